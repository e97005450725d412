#pragma once

#include "HistoryData.h"
#include "KeysetPager.h"

#include <QWidget>
#include <functional>

class AppContext;
class PagedRowsModel;
class QCheckBox;
class QComboBox;
class QDate;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The history window's "Distributed Meals" tab: filters by date-time range, employee,
// meal, meal mode, clerk and whether revoked meals are shown; reads the history page by
// page as the list is scrolled, shows the total the server counts, revokes a meal (right
// "8", as the counter does) and exports the filtered meals to CSV.
class MealsTab : public QWidget
{
    Q_OBJECT

public:
    // `pageSize` and `chooseExportFile` are the window's: read at each search and export.
    MealsTab(AppContext& context, HistoryData& data, const int& pageSize,
             const std::function<QString()>& chooseExportFile);

    // The designed state: the day's meals, revoked ones hidden, no employee chosen.
    void clear(const QDate& today);
    void search();
    // "Show revoked meals" applies at once to the list shown.
    void showRevokedChanged();

private:
    void createControls();
    // Turns what the employee box holds (a number or the start of a last name) into one
    // employee number, through the look-up when several match. False: nobody chosen.
    bool resolveEmployee();
    // Opens the employee look-up on the box's text; true when someone was chosen.
    bool lookUpEmployee();
    // Filters by this employee from now on, showing the number and the name.
    void takeEmployee(const QString& number, const QString& name);
    bool readFilter(HistoryData::MealFilter& filter);
    KeysetPager pager(const HistoryData::MealFilter& filter, int size) const;
    int column(const QString& field) const;
    void showCount(qint64 count);
    // Reads and shows the meals of `filter`, which then is the last search. Throws DbError.
    void showMeals(const HistoryData::MealFilter& filter);
    void lookUpMeal();
    void revoke();
    void exportCsv();

    AppContext& m_context;
    HistoryData& m_data;
    const int& m_pageSize;
    const std::function<QString()>& m_chooseExportFile;
    // The filter of the last search that answered; what Export writes.
    HistoryData::MealFilter m_filter;
    bool m_searched = false;
    KeysetPager m_pager;
    // The employee box's text that was last turned into a number, and that number.
    QString m_employeeText;
    QString m_employeeNumber;
    bool m_fetching = false;

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
};
