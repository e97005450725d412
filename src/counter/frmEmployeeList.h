#pragma once

#include "BackgroundLink.h"
#include "BadgeScanWatch.h"
#include "CounterData.h"
#include "EmployeeListLayout.h"
#include "OrderList.h"

#include <QWidget>
#include <memory>

class AppContext;
class QTimer;

// The meal counter ("List of Employees"): the clerk's working window, shown as the
// main window's one modeless child.
//
// Browse mode: the clerk searches and picks an employee; a click shows the meals the
// employee has received today. Entry mode (a double-click, with right "6"): the clerk
// builds an order from the employee's allowed meals and saves it, or revokes a meal
// received (right "8"). Save and Cancel go back to browse mode.
class frmEmployeeList : public QWidget
{
    Q_OBJECT

public:
    explicit frmEmployeeList(AppContext& context);

    // The window's Load: fills the employee list with an empty search, browse mode.
    void Form_Load();

    // Whether the counter may close: in entry mode with order lines not saved the clerk
    // is asked first. The main window asks it too before the program ends.
    bool mayClose();

    // The orders the server refused when the journal sent them, in their window (from the
    // status bar or the File menu); the status bar follows what was settled.
    void settleRefusedOrders();

    // The employee of the last Click or DblClick on the list.
    QString strEmpNum;
    QString strEmpCol3;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void cmdSearch_Click();
    void mshEmpList_Click();
    void mshEmpList_DblClick();
    void mshEmpList_RightButtonDown(const QPoint& globalPos);
    void cmdMealEntry_Click(int index);
    void mshMealList_Click(int index);
    void mshMealList_DblClick(int index);

private:
    // Settings saved on this workstation count at once, without waiting for a search
    // (App Settings tells the context, the context tells the counter).
    void useSettings(const AppSettings& settings);
    // The controls' signals to the window's handlers.
    void connectControls();

    // The window's procedures; the database ones throw DbError and are run by the
    // handlers through AppContext::attempt.
    void LoadEmployeeList();
    // The search itself, for a given text (the box's, or the last one searched).
    void searchEmployees(const QString& text);
    void ResetCounter();
    void EnableMealEntry();
    // False when the employee of the current row is no longer in the list (searched
    // again past midnight): nothing is loaded then.
    bool LoadDistributedMeals();
    CounterData::Outcome SaveDistributedMeals();
    // The status bar tells how many orders wait in the journal while any do (and the
    // counter's other notes beside).
    void showWaitingOrders();
    // Where the site keeps serving and the journal holds refused orders, the status bar
    // says how many and opens them; nothing otherwise.
    void showRefusedOrders();
    // Where the site keeps serving: while orders wait, the journal is sent on in the
    // background every `ReplaySeconds`, never holding up the clerk.
    void replayInBackground();
    static constexpr int ReplaySeconds = 30;
    // Where the site keeps serving: the copy the counter serves from offline is taken
    // afresh in the background when the counter opens and every `CopyMinutes`.
    void refreshCopy();
    static constexpr int CopyMinutes = 5;
    // A revoke where the server cannot be reached, or of a meal still in the journal:
    // the clerk hears that it needs the server, and nothing changes.
    void revokeNeedsServer(bool stillWaiting);
    // False when the clerk answered No.
    bool RevokeDistributedMeal();
    // True when the line was added to the order.
    bool AddMealToOrder();
    void ClearMealEntry();
    void clearMealMode();
    // The site's modes, the listed ones first, in the mode list; the text stays.
    void showMealModes();
    // Entry opens on the mode served at the server's time, when one is.
    void preselectMealMode();
    // With scan mode on, a search for exactly one employee's number opens meal entry
    // for that employee as a double-click would.
    void openScannedEmployee();
    // A badge scanned while an order is open: the order is saved or dropped first (the
    // clerk decides when it has lines), then the badge is served as in the search box.
    void serveBadgeDuringOrder(const QString& number);
    // Save as the button does it; true when the order was recorded.
    bool saveOrder();
    // Past a warn-mode limit the clerk decides; false: nothing of the order is recorded.
    bool clerkAcceptsLimits(const QList<OrderLine>& lines);
    void lookUpMeal();
    // Names the employee being served in the counter frame ("" in browse mode).
    void showChosenEmployee(const QString& empNum, const QString& name);
    // The clerk's keys with keyboard order entry: Enter moves an order on from box to box.
    void connectKeyboard();
    bool keyboardEntry() const { return m_data.settings().keyboardEntry; }
    // The site's settings shown: the mode list, the keys, and the status line.
    void applySettings();
    void showStatusNote();
    // Once a site limits any mode, a mode typed by hand must be one of the site's; true
    // when `typed` passes, with the site's own spelling put in its place.
    bool acceptMealMode(QString& typed);
    // An order ended (saved or cancelled): in scan mode the box is ready for the next badge.
    void readyForNextEmployee();
    // A list searched before midnight holds yesterday in its third column: search
    // again, with the same text, for today and keep the same employee current. False
    // when that employee is not found again.
    bool refreshListForNewDay();
    // The employee list's double-click: the right to serve, then entry mode for the
    // employee of the current row. Also the refresh after a revoke question.
    void chooseEmployee();
    // Gives the employee of the current row to the meal tagging window.
    void handOverToTagging(const QPoint& globalPos);

    AppContext& m_context;
    CounterData m_data;
    bool m_refusedShown = false;
    BackgroundLink* m_replayer = nullptr;
    QTimer* m_replayTimer = nullptr;
    BackgroundLink* m_copier = nullptr;
    QTimer* m_copyTimer = nullptr;

    // The controls, built where the design puts them; this window wires and runs them.
    EmployeeListLayout m_ui;

    std::unique_ptr<OrderList> m_order;
    QString m_lastSearchText;
    // Badges scanned into the order's boxes (scan mode, entry mode).
    BadgeScanWatch* m_badgeWatch = nullptr;
    // What the last scan came to, for the status line ("" when it found its employee).
    QString m_scanNote;
};
