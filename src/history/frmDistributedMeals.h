#pragma once

#include "ChangeText.h"
#include "HistoryData.h"
#include "KeysetPager.h"

#include <QWidget>
#include <functional>

class AppContext;
class PagedRowsModel;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QFile;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;

// File > Distributed Meals: the history of the meals handed out, and the changes log.
// A child of the main window that any signed-in user may open.
//
// The "Distributed Meals" view filters by date-time range, employee, meal, meal mode,
// clerk and whether revoked meals are shown; it reads the history page by page as the
// list is scrolled, shows the total the server counts, revokes a meal (right "8", as
// the counter does) and exports the filtered meals to CSV. The "Changes" view (right
// "5") tells the changes log as sentences, filtered by date range, table and user.
class frmDistributedMeals : public QWidget
{
    Q_OBJECT

public:
    explicit frmDistributedMeals(AppContext& context);

    // The designed state: today's meals, revoked ones hidden, the meals view, and the
    // first page read.
    void Form_Load();

    // Rows per page read from the server.
    int pageSize = 200;
    // Asks where to write the CSV file; an empty answer cancels the export.
    std::function<QString()> chooseExportFile;

private slots:
    void cmdSearch_Click();
    void cmdEmployee_Click();
    void cmdMeal_Click();
    void cmdRevoke_Click();
    void cmdExport_Click();
    void cmdChangesSearch_Click();
    void tabViews_CurrentChanged(int index);

private:
    void createControls();
    QWidget* createMealsPage();
    QWidget* createChangesPage();
    QTableView* createList(QWidget* parent, const QString& name, PagedRowsModel* model);

    // Turns what the employee box holds (a number or the start of a last name) into one
    // employee number, through the look-up when several match. False: nobody chosen.
    bool resolveEmployee();
    // Opens the employee look-up on the box's text; true when someone was chosen.
    bool lookUpEmployee();
    // Filters by this employee from now on, showing the number and the name.
    void takeEmployee(const QString& number, const QString& name);
    bool readMealFilter(HistoryData::MealFilter& filter);
    void fetchMoreMeals();
    void fetchMoreChanges();
    // Appends the next page of `pager` to `model`, its rows made by `rows`.
    void fetchMore(PagedRowsModel& model, KeysetPager& pager,
                   const std::function<QList<QStringList>(const Recordset&)>& rows);
    KeysetPager mealPager(const HistoryData::MealFilter& filter, int size) const;
    QList<QStringList> changeRows(const Recordset& page) const;
    int mealColumn(const QString& field) const;
    void showCount(qint64 count);
    void showChangeCount(qint64 count);
    // Writes the meals of the last search, every page of them, to `file`. Returns
    // the number of meals written; throws DbError.
    qint64 writeCsv(QFile& file);

    AppContext& m_context;
    HistoryData m_data;
    // The filter of the last search that answered; what Export writes.
    HistoryData::MealFilter m_mealFilter;
    bool m_searched = false;
    KeysetPager m_mealPager;
    KeysetPager m_changePager;
    // The rights' names, read with the first changes search.
    ChangeText::RightNames m_rightNames;
    // The employee box's text that was last turned into a number, and that number.
    QString m_employeeText;
    QString m_employeeNumber;
    bool m_fetching = false;

    QTabWidget* tabViews = nullptr;
    QDateTimeEdit* dtpFrom = nullptr;
    QDateTimeEdit* dtpTo = nullptr;
    QLineEdit* txtEmployee = nullptr;
    QPushButton* cmdEmployee = nullptr;
    QLabel* lblEmployeeName = nullptr;
    QLineEdit* txtMeal = nullptr;
    QPushButton* cmdMeal = nullptr;
    QComboBox* cboMealMode = nullptr;
    QLineEdit* txtClerk = nullptr;
    QCheckBox* chkShowRevoked = nullptr;
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdRevoke = nullptr;
    QPushButton* cmdExport = nullptr;
    QLabel* lblCount = nullptr;
    QTableView* grdMeals = nullptr;
    PagedRowsModel* m_meals = nullptr;

    QDateTimeEdit* dtpChangesFrom = nullptr;
    QDateTimeEdit* dtpChangesTo = nullptr;
    QComboBox* cboTable = nullptr;
    QLineEdit* txtUser = nullptr;
    QPushButton* cmdChangesSearch = nullptr;
    QLabel* lblChangesCount = nullptr;
    QTableView* grdChanges = nullptr;
    PagedRowsModel* m_changes = nullptr;
};
