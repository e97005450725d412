#pragma once

#include "ReportData.h"
#include "ReportHeader.h"
#include "ReportTable.h"

#include <QWidget>
#include <functional>
#include <memory>

class AppContext;
class BackgroundReader;
class Connection;
class QProgressBar;
class QComboBox;
class ReportChart;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableView;
class ReportTableModel;

// Reports > Meal Distribution Report: the meals handed out in a period, counted and
// costed by the database, grouped on two levels with subtotals and a grand total, or
// laid out for the payroll office, or the revoked meals listed. A child of the main
// window; each menu item opens another one, so several can stay side by side.
//
// The period is preset by the menu item (a day, its week, its month, or a range) and
// can be changed here; Run reads the report again, on the report's own connection and
// thread: the window stays usable, shows that the report runs, and Cancel stops it. The
// report goes to the print preview (and from there to a printer), to a PDF file, a CSV
// file or an Excel workbook.
class frmMealDistributionReport : public QWidget
{
    Q_OBJECT

public:
    frmMealDistributionReport(AppContext& context, ReportPeriod::Kind kind, QDate day,
                              Qt::DayOfWeek firstDayOfWeek = Qt::Monday);
    ~frmMealDistributionReport() override;

    // Starts reading the report for the window's settings; when it arrives it is shown.
    // A refused setting or a failed call is shown and the last report stays.
    void cmdRun_Click();
    // Stops the report being read; the last report stays.
    void cmdCancel_Click();
    bool isRunning() const;
    void cmdPreview_Click();
    void cmdPdf_Click();
    void cmdCsv_Click();
    void cmdXlsx_Click();

    ReportRequest request() const;
    const ReportTable& table() const { return m_table; }
    const ReportHeader& header() const { return m_header; }
    // Asks where to save a file of the given type ("PDF files (*.pdf)"); an empty
    // answer cancels. By default a save dialog that offers suggestedFileName.
    std::function<QString(const QString& filter)> chooseFile;
    // The file name the save dialog offers for the report shown: its layout and period,
    // "meal-distribution-2026-12-08.csv", with the extension given ("csv").
    QString suggestedFileName(const QString& extension) const;
    // Opens the report's own connection; called on the report's thread. By default a
    // reader of the signed-in user's connection.
    std::function<std::unique_ptr<Connection>()> openReader;

private slots:
    void cboPeriod_Changed();
    void dtpFrom_Changed();
    void cboLayout_Changed();

private:
    void createControls();
    void showTable();
    void setRunning(bool running);
    // Measures each column's text once per report, on a sample of its lines.
    void measureColumns();
    void fitColumns();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showReport(const ReportRequest& wanted, const ReportTable& table, const QString& hospital);
    // Tells that the report was saved to `path`.
    void saved(const QString& path);
    // After the payroll layout went to a file for payroll, offers to close its period.
    void offerToClose();

    AppContext& m_context;
    Qt::DayOfWeek m_firstDayOfWeek;
    // The day the periods are preset from: the menu's day, or the one chosen in From.
    QDate m_day;
    // The request of the report shown.
    ReportRequest m_shown;
    ReportHeader m_header;
    ReportTable m_table;
    bool m_hasReport = false;

    QComboBox* cboPeriod = nullptr;
    QDateEdit* dtpFrom = nullptr;
    QDateEdit* dtpTo = nullptr;
    QComboBox* cboLayout = nullptr;
    QComboBox* cboGroup1 = nullptr;
    QComboBox* cboGroup2 = nullptr;
    QPushButton* cmdRun = nullptr;
    QPushButton* cmdPreview = nullptr;
    QPushButton* cmdPdf = nullptr;
    QPushButton* cmdCsv = nullptr;
    QPushButton* cmdXlsx = nullptr;
    QPushButton* cmdCancel = nullptr;
    QProgressBar* prgReport = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* lblHospital = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblPeriod = nullptr;
    QLabel* lblPrinted = nullptr;
    QTableView* grdReport = nullptr;
    ReportTableModel* m_model = nullptr;
    // Each column's text width, from measureColumns.
    QList<int> m_textWidths;
    ReportChart* chtReport = nullptr;
    // Last, so it stops (and closes its connection) before anything else goes.
    std::unique_ptr<BackgroundReader> m_reader;
};
