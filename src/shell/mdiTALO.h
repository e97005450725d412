#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

class AppContext;
class QAction;
class QCloseEvent;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStatusBar;
class StatusAction;
class UserObject;

// The main window ("Talodesk"): the frame of the meal counter, with the menu bar and
// the status bar. Its Form_Load is the program's start-up: sign-in through the user
// object, the shared connection, the server date, the menus by rights, the status bar
// and finally the meal counter as the one child window.
class mdiTALO : public QMainWindow
{
    Q_OBJECT

public:
    // `createUserObject` makes the user object at start-up; the frame owns it for the
    // rest of the run.
    mdiTALO(AppContext& context, std::function<std::unique_ptr<UserObject>()> createUserObject,
            QWidget* parent = nullptr);
    ~mdiTALO() override;

    // Start-up. False when the sign-in did not succeed: nothing else was done and the
    // program is to end quietly.
    bool Form_Load();

protected:
    // An order not yet saved at the counter is not dropped without a word.
    void closeEvent(QCloseEvent* event) override;

private slots:
    void mnuDistributedMeals_Click();
    void mnuEmployeeMeal_Click();
    void mnuTagEmployeeMeal_Click();
    void mnuMeals_Click();
    void mnuMealType_Click();
    void mnuAccess_Click();
    void mnuUsers_Click();
    void mnuAppSettings_Click();
    void mnuImportStaff_Click();
    // Opens the meal counter again after its close box, or brings it forward.
    // A window reopened comes back as its Load builds it.
    void mnuEmployeeList_Click();

private:
    // Opens another meal distribution report with its period preset around today.
    void openMealDistributionReport(int kind);
    void createMenus();
    void createStatusBar();
    // Enables each guarded menu item by the signed-in user's rights, one check each.
    void SetMenuRights();
    void showEmployeeList();
    void showCounterWindow();

    QMenu* addMenu(QMenu* parent, const char* name, const QString& caption);
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);

    AppContext& m_context;
    std::function<std::unique_ptr<UserObject>()> m_createUserObject;
    std::unique_ptr<UserObject> m_user;

    QMdiArea* m_mdiArea = nullptr;
    QMdiSubWindow* m_employeeListWindow = nullptr;
    QPointer<QWidget> m_employeeList;
    QMdiSubWindow* m_historyWindow = nullptr;
    QPointer<QWidget> m_history;

    QMenu* mnuFile = nullptr;
    QAction* mnuEmployeeList = nullptr;
    QAction* mnuDistributedMeals = nullptr;
    // Ctrl+Q ends the program; a shortcut of the frame, not an item of the File menu.
    QAction* m_quit = nullptr;
    QMenu* mnuReports = nullptr;
    QMenu* mnuMealDistributionReport = nullptr;
    QAction* mnuDistributionDaily = nullptr;
    QAction* mnuDistributionWeekly = nullptr;
    QAction* mnuDistributionMonthly = nullptr;
    QAction* mnuDistributionDateRange = nullptr;
    QAction* mnuDistributionMealType = nullptr;
    QAction* mnuDistributionMeal = nullptr;
    QAction* mnuDistributionMealTime = nullptr;
    QMenu* mnuSettings = nullptr;
    QAction* mnuEmployeeMeal = nullptr;
    QAction* mnuMeals = nullptr;
    QAction* mnuMealType = nullptr;
    QAction* mnuAccess = nullptr;
    QAction* mnuUsers = nullptr;
    QAction* mnuAppSettings = nullptr;
    QAction* mnuImportStaff = nullptr;
    QMenu* mnuInquiry = nullptr;
    QAction* mnuTagEmployeeMeal = nullptr;

    QStatusBar* stbInfo = nullptr;
    // Panels 1 to 7 at indexes 0 to 6.
    std::array<QLabel*, 7> m_panels{};
    // The counter's word on how it works just now (default settings, a scan that found
    // nobody).
    QLabel* stbNote = nullptr;
    // The status bar's one thing to act on (the counter's refused orders).
    StatusAction* m_statusAction = nullptr;
};
