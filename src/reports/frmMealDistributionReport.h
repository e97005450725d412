#pragma once

#include "ReportData.h"
#include "ReportHeader.h"
#include "ReportTable.h"

#include <QWidget>
#include <functional>

class AppContext;
class QComboBox;
class ReportChart;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;

// Reports > Meal Distribution Report: the meals handed out in a period, counted and
// costed by the database, grouped on two levels with subtotals and a grand total, or
// laid out for the payroll office, or the revoked meals listed. A child of the main
// window; each menu item opens another one, so several can stay side by side.
//
// The period is preset by the menu item (a day, its week, its month, or a range) and
// can be changed here; Run reads the report again. The report goes to the print
// preview (and from there to a printer), to a PDF file, a CSV file or an Excel workbook.
class frmMealDistributionReport : public QWidget
{
    Q_OBJECT

public:
    frmMealDistributionReport(AppContext& context, ReportPeriod::Kind kind, QDate day,
                              Qt::DayOfWeek firstDayOfWeek = Qt::Monday);

    // Reads the report for the window's settings and shows it; a refused setting or a
    // failed call is shown and the last report stays.
    void cmdRun_Click();
    void cmdPreview_Click();
    void cmdPdf_Click();
    void cmdCsv_Click();
    void cmdXlsx_Click();

    ReportRequest request() const;
    const ReportTable& table() const { return m_table; }
    const ReportHeader& header() const { return m_header; }
    // Asks where to save a file of the given type ("PDF files (*.pdf)"); an empty
    // answer cancels.
    std::function<QString(const QString& filter)> chooseFile;

private slots:
    void cboPeriod_Changed();
    void cboLayout_Changed();

private:
    void createControls();
    void showTable();

    AppContext& m_context;
    ReportData m_data;
    Qt::DayOfWeek m_firstDayOfWeek;
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
    QLabel* lblHospital = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblPeriod = nullptr;
    QLabel* lblPrinted = nullptr;
    QTableWidget* grdReport = nullptr;
    ReportChart* chtReport = nullptr;
};
