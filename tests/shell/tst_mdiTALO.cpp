#include "context/WindowRegistry.h"
#include "counter/frmEmployeeList.h"
#include "data/DbError.h"
#include "data/GeneralDate.h"
#include "settings/AppSettingsData.h"
#include "shell/mdiTALO.h"
#include "support/CaptionCheck.h"
#include "support/TestEnvironment.h"
#include "tagging/frmEmployeeMealTag.h"
#include "widgets/Twips.h"

#include "widgets/FlexGrid.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

namespace {

// Lets statements that name `failOn` fail as a missing object would on the server.
class FailingConnection : public Connection
{
public:
    FailingConnection(Connection& inner, QString failOn)
        : m_inner(inner), m_failOn(std::move(failOn))
    {}
    Recordset open(const QString& sql) override
    {
        failIfNamed(sql);
        return m_inner.open(sql);
    }
    void execute(const QString& sql) override
    {
        failIfNamed(sql);
        m_inner.execute(sql);
    }
    void transaction(const std::function<void()>& work) override { m_inner.transaction(work); }
    QString serverName() const override { return m_inner.serverName(); }

private:
    void failIfNamed(const QString& sql)
    {
        if (sql.contains(m_failOn))
            throw DbError(208, QStringLiteral("Invalid object name '%1'.").arg(m_failOn));
    }
    Connection& m_inner;
    QString m_failOn;
};

// Names of the controls a window shows, in a stable order.
QStringList shownControls(const QWidget& window)
{
    QStringList names;
    for (const QWidget* child : window.findChildren<QWidget*>()) {
        // Qt's own parts (a scroll bar's container) come and go with the window's size.
        if (!child->objectName().isEmpty() &&
            !child->objectName().startsWith(QLatin1String("qt_")) && child->isVisible())
            names.append(child->objectName());
    }
    names.sort();
    return names;
}

// Seeds an employee the counter can serve a meal to.
void seedServing(TestEnvironment& env)
{
    env.addEmployee(QStringLiteral("E002"), QStringLiteral("Smith"), QStringLiteral("John"));
    env.addMealType(QStringLiteral("LU"), QStringLiteral("Lunch"));
    env.addMeal(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("LU"));
    env.tag(QStringLiteral("E002"), QStringLiteral("LU"));
}

// Searches the counter for E002, double-clicks him into meal entry and adds one line.
void orderForSmith(QWidget& counter)
{
    auto* search = counter.findChild<QLineEdit*>(QStringLiteral("txtEmployeeDetails"));
    search->setText(QStringLiteral("E002"));
    QTest::keyClick(search, Qt::Key_Return);
    auto* list = counter.findChild<FlexGrid*>(QStringLiteral("mshEmpList"));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->rowRect(1).center());
    counter.findChild<QLineEdit*>(QStringLiteral("txtMealEntry(0)"))->setText("M02");
    counter.findChild<QComboBox*>(QStringLiteral("cmdMealMode"))->setEditText("Lunch");
    QTest::mouseClick(counter.findChild<QPushButton*>(QStringLiteral("cmdMealEntry(2)")),
                      Qt::LeftButton);
}

int storedMeals(TestEnvironment& env)
{
    return env.scalar(QStringLiteral("SELECT COUNT(*) FROM Station.tbTALOEmployeeDistributedMeals"))
        .toInt();
}

const QStringList kGuardedItems{"mnuReports", "mnuEmployeeMeal", "mnuTagEmployeeMeal",
                                "mnuMeals",   "mnuMealType",     "mnuAccess",
                                "mnuUsers",   "mnuAppSettings",  "mnuImportStaff"};

QStringList startUpStatements(const QString& userCode)
{
    QStringList out{"Select GetDate() As ServerDate From Patient_Data..tbHospitalInfo"};
    for (int i = 0; i < 7; ++i) {
        out.append("Select UserRights [Rights] from Station..tbTALOUserRights where UserID = '" +
                   userCode + "'");
    }
    return out;
}

// A frame whose start-up creates a TestUser on the test store.
class Frame
{
public:
    explicit Frame(TestEnvironment& env, QString userCode = QStringLiteral("CLERK01"),
                   Connection* connection = nullptr)
        : window(env.context(), [this, &env, userCode, connection] {
              auto made = std::make_unique<TestUser>(connection ? connection : &env.recorder(),
                                                     userCode, QStringLiteral("Ana Cruz"));
              user = made.get();
              if (prepare)
                  prepare(*made);
              return made;
          })
    {}

    QAction* item(const QString& name) const { return window.findChild<QAction*>(name); }
    QString panel(int number) const
    {
        return window.findChild<QLabel*>(QStringLiteral("stbInfo(%1)").arg(number))->text();
    }
    QList<QMdiSubWindow*> children() const
    {
        return window.findChild<QMdiArea*>()->subWindowList();
    }

    std::function<void(TestUser&)> prepare;
    TestUser* user = nullptr;
    mdiTALO window;
};

} // namespace

class tst_mdiTALO : public QObject
{
    Q_OBJECT

private slots:
    void startUpRunsInOrder();
    void refusedSignInEndsStartUpQuietly_data();
    void refusedSignInEndsStartUpQuietly();
    void userWithoutRightsRowGetsGuardedItemsDisabled();
    void menusFollowEachRight();
    void failingRightsChecksDisableTheirItemsWithOneMessage();
    void statusBarShowsUserDateAndServer();
    void statusBarForEmptyNameAndMissingDateRow();
    void failingServerDateLeavesTheZeroDateAndGoesOn();
    void menuTreeHasItsCaptionsAndHiddenItems();
    void commandsOpenTheirWindowsModally();
    void itemsWithoutCommandDoNothing();
    void inquiryMenuPopsUpWithoutBlocking();
    void mealCounterIsTheOneMaximizedChild();
    void employeeListReopensTheClosedCounterAndExitEnds();
    void reopenedWindowsComeBackWhole_data();
    void reopenedWindowsComeBackWhole();
    void failingSettingsReadLeavesTheDefaultsAndTheCounterServes();
    void endingWithAnUnsavedOrderAsksFirst();
    void statusBarKeepsTheServerDateCurrentAndShowsWholeTexts();
    void statusActionIsInTheBarAndTheFileMenu();
    void escapeKeepsWhatWasTyped_data();
    void escapeKeepsWhatWasTyped();
};

void tst_mdiTALO::startUpRunsInOrder()
{
    TestEnvironment env;
    env.context().cnMain = nullptr;
    env.clearStatements();
    Frame frame(env);

    QVERIFY(frame.window.Form_Load());

    QCOMPARE(frame.window.objectName(), QStringLiteral("mdiTALO"));
    QCOMPARE(frame.window.windowTitle(), QStringLiteral("Talodesk"));
    QCOMPARE(frame.user->used.mid(0, 5), QStringList({"PasswordDeptCode", "hwndParentForm",
                                                      "ShowMain", "Connected", "SQLConnection"}));
    QCOMPARE(frame.user->deptCode, QStringLiteral("TALO"));
    QCOMPARE(frame.user->parentForm, &frame.window);
    QCOMPARE(frame.user->showMainCalls, 1);
    QCOMPARE(env.context().objUser, frame.user);
    QCOMPARE(env.context().cnMain, &env.recorder());
    QCOMPARE(env.statements().mid(0, 8), startUpStatements("CLERK01"));
    QVERIFY(env.messages().errors().isEmpty());
}

void tst_mdiTALO::refusedSignInEndsStartUpQuietly_data()
{
    QTest::addColumn<QVariant>("connected");
    QTest::newRow("false") << QVariant(false);
    QTest::newRow("null") << QVariant();
}

void tst_mdiTALO::refusedSignInEndsStartUpQuietly()
{
    QFETCH(QVariant, connected);
    TestEnvironment env;
    env.context().cnMain = nullptr;
    env.clearStatements();
    Frame frame(env);
    frame.prepare = [connected](TestUser& user) { user.connected = connected; };

    QVERIFY(!frame.window.Form_Load());

    QCOMPARE(frame.user->used,
             QStringList({"PasswordDeptCode", "hwndParentForm", "ShowMain", "Connected"}));
    QVERIFY(env.statements().isEmpty());
    QVERIFY(env.messages().messages().isEmpty());
    QCOMPARE(env.context().cnMain, nullptr);
    QVERIFY(frame.children().isEmpty());
    QVERIFY(!env.context().windows().exists<frmEmployeeList>());
    QCOMPARE(frame.panel(3), QString());
}

void tst_mdiTALO::userWithoutRightsRowGetsGuardedItemsDisabled()
{
    TestEnvironment env(QStringLiteral("NOBODY"), QString());
    Frame frame(env, QStringLiteral("NOBODY"));

    QVERIFY(frame.window.Form_Load());

    for (const QString& name : kGuardedItems)
        QVERIFY2(!frame.item(name)->isEnabled(), qPrintable(name));
    for (const char* name : {"mnuFile", "mnuSettings", "mnuEmployeeList", "mnuDistributedMeals"})
        QVERIFY2(frame.item(name)->isEnabled(), name);
    // The frame and the counter come up all the same, without a word.
    QCOMPARE(frame.children().size(), 1);
    QVERIFY(env.messages().messages().isEmpty());
}

void tst_mdiTALO::menusFollowEachRight()
{
    TestEnvironment env(QStringLiteral("CLERK01"), QStringLiteral("|1|0|3|0|5|6|0|8"));
    Frame frame(env);
    QVERIFY(frame.window.Form_Load());

    const QMap<QString, bool> expected{{"mnuReports", true},
                                       {"mnuEmployeeMeal", false},
                                       {"mnuTagEmployeeMeal", false},
                                       {"mnuMeals", true},
                                       {"mnuMealType", false},
                                       {"mnuAccess", true},
                                       {"mnuAppSettings", false},
                                       // These two follow their neighbours' rights, 5 and 7.
                                       {"mnuUsers", true},
                                       {"mnuImportStaff", false}};
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QVERIFY2(frame.item(it.key())->isEnabled() == it.value(), qPrintable(it.key()));

    TestEnvironment other(QStringLiteral("CLERK02"), QStringLiteral("|0|2|0|4|0|0|7"));
    Frame second(other, QStringLiteral("CLERK02"));
    QVERIFY(second.window.Form_Load());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QVERIFY2(second.item(it.key())->isEnabled() != it.value(), qPrintable(it.key()));
    // Right "1" missing: the whole Reports menu is out of reach.
    QVERIFY(!second.window.findChild<QMenu*>("mnuReports")->menuAction()->isEnabled());
}

void tst_mdiTALO::failingRightsChecksDisableTheirItemsWithOneMessage()
{
    TestEnvironment env;
    FailingConnection failing(env.store(), QStringLiteral("tbTALOUserRights"));
    RecordingConnection recorder(failing);
    Frame frame(env, QStringLiteral("CLERK01"), &recorder);

    QVERIFY(frame.window.Form_Load());

    QCOMPARE(recorder.statements().mid(0, 8), startUpStatements("CLERK01"));
    for (const QString& name : kGuardedItems)
        QVERIFY2(!frame.item(name)->isEnabled(), qPrintable(name));
    QCOMPARE(env.messages().errors().size(), 1);
    QCOMPARE(env.messages().errors().first().errorNumber, 208);
    QCOMPARE(frame.children().size(), 1);
}

void tst_mdiTALO::statusBarShowsUserDateAndServer()
{
    TestEnvironment env;
    Frame frame(env);
    QVERIFY(frame.window.Form_Load());

    QCOMPARE(frame.panel(1), QStringLiteral("Powered by Ferromont"));
    QCOMPARE(frame.window.findChild<QLabel*>("stbInfo(1)")->toolTip(),
             QStringLiteral("Powered by Ferromont"));
    QCOMPARE(frame.panel(2), QString());
    QCOMPARE(frame.panel(3), QStringLiteral("USER NAME: Ana Cruz"));
    QCOMPARE(frame.panel(4), QString());
    QVERIFY(env.context().dtServerDate.date().year() > 2000);
    QCOMPARE(frame.panel(5), GeneralDate::toText(env.context().dtServerDate));
    QCOMPARE(frame.panel(6), QString());
    QCOMPARE(frame.panel(7), QStringLiteral("TESTSERVER"));

    const QList<int> widths{2000, 200, 3000, 200, 2000, 200, 2000};
    for (int i = 0; i < widths.size(); ++i) {
        const auto* panel =
            frame.window.findChild<QLabel*>(QStringLiteral("stbInfo(%1)").arg(i + 1));
        // The designed width at least: a longer text widens its panel.
        QVERIFY(panel->minimumWidth() == Twips::toPixels(widths.at(i)));
        QCOMPARE(panel->font().family(), QStringLiteral("Britannic Bold"));
        QCOMPARE(panel->parentWidget(), frame.window.findChild<QStatusBar*>("stbInfo"));
    }
}

void tst_mdiTALO::statusBarForEmptyNameAndMissingDateRow()
{
    TestEnvironment env;
    env.sqlite(QStringLiteral("DELETE FROM Patient_Data.tbHospitalInfo"));
    env.context().dtServerDate = AppContext::zeroDateTime();
    Frame frame(env);
    frame.prepare = [](TestUser& user) {
        user.employeeName.clear();
        user.serverName = QStringLiteral("SQL01");
    };

    QVERIFY(frame.window.Form_Load());

    QCOMPARE(frame.panel(3), QStringLiteral("USER NAME: "));
    QCOMPARE(frame.panel(5), QStringLiteral("12/30/1899"));
    QCOMPARE(frame.panel(7), QStringLiteral("SQL01"));
    QCOMPARE(frame.children().size(), 1);
}

void tst_mdiTALO::failingServerDateLeavesTheZeroDateAndGoesOn()
{
    TestEnvironment env;
    env.context().dtServerDate = AppContext::zeroDateTime();
    FailingConnection failing(env.store(), QStringLiteral("tbHospitalInfo"));
    RecordingConnection recorder(failing);
    Frame frame(env, QStringLiteral("CLERK01"), &recorder);

    QVERIFY(frame.window.Form_Load());

    // Start-up's reading fails, and so does the counter's first search, which needs the
    // date: each says why, and the program goes on.
    QCOMPARE(env.messages().errors().size(), 2);
    for (const auto& error : env.messages().errors()) {
        // Not a refusal: the number stays with the text, and it is no mere warning.
        QCOMPARE(error.shown, QStringLiteral("Error 208: Invalid object name 'tbHospitalInfo'."));
        QVERIFY(!error.warning);
    }
    QCOMPARE(frame.panel(5), QStringLiteral("12/30/1899"));
    QCOMPARE(frame.children().size(), 1);
    QCOMPARE(recorder.statements().mid(0, 8), startUpStatements("CLERK01"));
    for (const QString& name : kGuardedItems)
        QVERIFY2(frame.item(name)->isEnabled(), qPrintable(name));
}

void tst_mdiTALO::menuTreeHasItsCaptionsAndHiddenItems()
{
    TestEnvironment env;
    Frame frame(env);
    const auto captionsOf = [](const QList<QAction*>& actions) {
        QStringList out;
        for (const QAction* action : actions)
            out.append(action->objectName() + "=" + action->text() +
                       (action->isVisible() ? "" : " (hidden)"));
        return out;
    };

    QCOMPARE(captionsOf(frame.window.menuBar()->actions()),
             QStringList({"mnuFile=File", "mnuReports=Reports", "mnuSettings=Settings"}));
    QCOMPARE(captionsOf(frame.window.findChild<QMenu*>("mnuFile")->actions()),
             QStringList({"mnuEmployeeList=Employee List", "mnuDistributedMeals=Distributed Meals",
                          "mnuStatusAction= (hidden)"}));
    // Quitting by keys is the frame's shortcut, with no item in the menu.
    QCOMPARE(frame.item("actQuit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    QCOMPARE(captionsOf(frame.window.findChild<QMenu*>("mnuReports")->actions()),
             QStringList({"mnuMealDistributionReport=Meal Distribution Report"}));
    QCOMPARE(
        captionsOf(frame.window.findChild<QMenu*>("mnuMealDistributionReport")->actions()),
        QStringList({"mnuDistributionDaily=Daily", "mnuDistributionWeekly=Weekly",
                     "mnuDistributionMonthly=Monthly", "mnuDistributionDateRange=By Date Range",
                     "mnuDistributionMealType=Per Meal Type (hidden)",
                     "mnuDistributionMeal=Per Meal (hidden)",
                     "mnuDistributionMealTime=Per Meal Time (hidden)"}));
    QCOMPARE(captionsOf(frame.window.findChild<QMenu*>("mnuSettings")->actions()),
             QStringList({"mnuEmployeeMeal=Tag Employee Meal", "mnuMeals=Meals",
                          "mnuMealType=Meal Type", "mnuAccess=User Access", "mnuUsers=Users",
                          "mnuAppSettings=App Settings", "mnuImportStaff=Import Staff…"}));
    const QMenu* inquiry = frame.window.findChild<QMenu*>("mnuInquiry");
    QCOMPARE(inquiry->title(), QStringLiteral("Inquiry"));
    QCOMPARE(captionsOf(inquiry->actions()), QStringList({"mnuTagEmployeeMeal=Tag Employee Meal"}));
    // Before start-up every item is enabled.
    for (const QString& name : kGuardedItems)
        QVERIFY2(frame.item(name)->isEnabled(), qPrintable(name));
}

void tst_mdiTALO::commandsOpenTheirWindowsModally()
{
    TestEnvironment env;
    Frame frame(env);
    QVERIFY(frame.window.Form_Load());
    auto& tagging = env.context().windows().get<frmEmployeeMealTag>();
    QString modeWhenShown;
    env.modal().then([&](QDialog&) { modeWhenShown = tagging.strMode; });
    env.modal().then([&](QDialog&) { modeWhenShown += tagging.strMode; });
    for (int i = 0; i < 6; ++i)
        env.modal().thenClose();

    frame.item("mnuEmployeeMeal")->trigger();
    frame.item("mnuTagEmployeeMeal")->trigger();
    frame.item("mnuMeals")->trigger();
    frame.item("mnuMealType")->trigger();
    frame.item("mnuAccess")->trigger();
    frame.item("mnuUsers")->trigger();
    frame.item("mnuAppSettings")->trigger();
    frame.item("mnuImportStaff")->trigger();

    QCOMPARE(modeWhenShown, QStringLiteral("10"));
    QCOMPARE(env.modal().shown().size(), 8);
    QCOMPARE(env.modal().shown().mid(5),
             QStringList({"frmUsers", "frmAppSettings", "frmStaffImport"}));
    QCOMPARE(env.modal().pendingSteps(), 0);
    QCOMPARE(env.modal().unexpected(), 0);
    QCOMPARE(env.modal().shown().at(0), env.modal().shown().at(1));
    QCOMPARE(QSet<QString>(env.modal().shown().begin(), env.modal().shown().end()).size(), 7);
}

void tst_mdiTALO::itemsWithoutCommandDoNothing()
{
    TestEnvironment env;
    Frame frame(env);
    QVERIFY(frame.window.Form_Load());
    env.clearStatements();

    for (const char* name : {"mnuEmployeeList", "mnuDistributionDaily", "mnuDistributionWeekly",
                             "mnuDistributionMonthly", "mnuDistributionDateRange"})
        frame.item(name)->trigger();

    QVERIFY(env.modal().shown().isEmpty());
    // The four report windows read nothing but the site's first day of the week.
    QCOMPARE(env.statements(), QStringList(4, AppSettingsData::loadText()));
    QVERIFY(env.messages().messages().isEmpty());
}

void tst_mdiTALO::inquiryMenuPopsUpWithoutBlocking()
{
    TestEnvironment env;
    Frame frame(env);
    frame.window.show();
    QVERIFY(env.context().popupInquiryMenu);

    env.context().popupInquiryMenu(frame.window.mapToGlobal(QPoint(40, 40)));

    auto* inquiry = frame.window.findChild<QMenu*>("mnuInquiry");
    QVERIFY(inquiry->isVisible());
    inquiry->hide();
}

void tst_mdiTALO::mealCounterIsTheOneMaximizedChild()
{
    TestEnvironment env;
    QPointer<frmEmployeeList> counter;
    {
        Frame frame(env);
        frame.window.show();
        QVERIFY(frame.window.Form_Load());

        const QList<QMdiSubWindow*> children = frame.children();
        QCOMPARE(children.size(), 1);
        counter = &env.context().windows().get<frmEmployeeList>();
        QCOMPARE(children.first()->widget(), counter.data());
        // At its designed client area, not maximized.
        QVERIFY(!children.first()->isMaximized());
        QCOMPARE(counter->size(), QSize(Twips::toPixels(14670), Twips::toPixels(8880)));
        QVERIFY(counter->isVisible());
    }
    // The frame is gone; the counter's instance stays with the window registry.
    QVERIFY(!counter.isNull());
    QVERIFY(env.context().windows().exists<frmEmployeeList>());
    QCOMPARE(env.context().popupInquiryMenu, nullptr);
}

void tst_mdiTALO::employeeListReopensTheClosedCounterAndExitEnds()
{
    TestEnvironment env;
    seedServing(env);
    Frame frame(env);
    frame.window.show();
    QVERIFY(frame.window.Form_Load());
    QMdiSubWindow* counter = frame.children().first();
    auto* search = counter->findChild<QLineEdit*>(QStringLiteral("txtEmployeeDetails"));
    search->setText(QStringLiteral("Smi"));

    // The close box hides the counter; File > Employee List brings it back, loaded anew.
    counter->close();
    QVERIFY(counter->isHidden());
    env.clearStatements();
    frame.item("mnuEmployeeList")->trigger();
    QVERIFY(counter->isVisible());
    QVERIFY(!counter->isMaximized());
    QCOMPARE(frame.window.findChild<QMdiArea*>()->activeSubWindow(), counter);
    QCOMPARE(search->text(), QString());
    QVERIFY(env.statements().contains(
        QStringLiteral("Station..Load_Employee_for_Meal '12/8/2026 11:30:15 AM', ''")));
    // Every control is back, and the counter serves.
    QVERIFY(counter->widget()->isVisible());
    QVERIFY(search->isVisible());
    orderForSmith(*counter->widget());
    QTest::mouseClick(counter->findChild<QPushButton*>(QStringLiteral("cmdMealEntry(0)")),
                      Qt::LeftButton);
    QCOMPARE(env.messages().texts(), QStringList{QStringLiteral("Saved!")});
    QCOMPARE(storedMeals(env), 1);

    // Open already: it is only brought forward.
    env.clearStatements();
    frame.item("mnuEmployeeList")->trigger();
    QVERIFY(env.statements().isEmpty());
    QCOMPARE(frame.children().size(), 1);

    // Ctrl+Q closes the frame, which ends the program, only with keyboard order entry.
    QVERIFY(QTest::qWaitForWindowActive(&frame.window));
    QTest::keyClick(&frame.window, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(frame.window.isVisible());
    AppSettingsData settings(env.context());
    AppSettings keys = settings.load();
    keys.keyboardEntry = true;
    settings.save(keys);
    QTest::keyClick(&frame.window, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!frame.window.isVisible());
}

void tst_mdiTALO::reopenedWindowsComeBackWhole_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("modal");
    QTest::newRow("meal counter") << "mnuEmployeeList" << false;
    QTest::newRow("distributed meals") << "mnuDistributedMeals" << false;
    for (const char* item : {"mnuEmployeeMeal", "mnuMeals", "mnuMealType", "mnuAccess", "mnuUsers",
                             "mnuAppSettings", "mnuImportStaff"})
        QTest::newRow(item) << QString::fromLatin1(item) << true;
}

void tst_mdiTALO::reopenedWindowsComeBackWhole()
{
    QFETCH(QString, item);
    QFETCH(bool, modal);
    TestEnvironment env;
    Frame frame(env);
    frame.window.show();
    QVERIFY(frame.window.Form_Load());

    QStringList first;
    QStringList again;
    if (modal) {
        env.modal().then([&](QDialog& d) { first = shownControls(d); });
        env.modal().then([&](QDialog& d) { again = shownControls(d); });
        frame.item(item)->trigger();
        frame.item(item)->trigger();
        QCOMPARE(env.modal().unexpected(), 0);
    } else {
        if (item != QLatin1String("mnuEmployeeList"))
            frame.item(item)->trigger();
        QMdiSubWindow* window = frame.window.findChild<QMdiArea*>()->activeSubWindow();
        QVERIFY(window);
        first = shownControls(*window);
        window->close();
        QVERIFY(window->isHidden());
        frame.item(item)->trigger();
        QVERIFY(window->isVisible());
        again = shownControls(*window);
    }
    QVERIFY(first.size() > 3);
    QCOMPARE(again, first);
}

void tst_mdiTALO::failingSettingsReadLeavesTheDefaultsAndTheCounterServes()
{
    TestEnvironment env;
    seedServing(env);
    // A server not yet given the settings procedure.
    FailingConnection failing(env.recorder(), QStringLiteral("Load_TALO_AppSettings"));
    Frame frame(env, QStringLiteral("CLERK01"), &failing);
    frame.window.show();
    QVERIFY(frame.window.Form_Load());

    const QString note = frame.window.findChild<QLabel*>(QStringLiteral("stbNote"))->text();
    QVERIFY2(note.startsWith(QStringLiteral("Default settings are in use: the site's settings "
                                            "could not be read (Error 208: Invalid object name")),
             qPrintable(note));
    QCOMPARE(env.messages().messages().size(), 0);
    auto& counter = env.context().windows().get<frmEmployeeList>();
    QCOMPARE(counter.findChild<FlexGrid*>(QStringLiteral("mshEmpList"))->TextMatrix(1, 1),
             QStringLiteral("E002"));

    orderForSmith(counter);
    QTest::mouseClick(counter.findChild<QPushButton*>(QStringLiteral("cmdMealEntry(0)")),
                      Qt::LeftButton);
    QCOMPARE(env.messages().texts(), QStringList{QStringLiteral("Saved!")});
    QCOMPARE(storedMeals(env), 1);

    // The line goes with the counter and comes back with it.
    auto* stbNote = frame.window.findChild<QLabel*>(QStringLiteral("stbNote"));
    frame.children().first()->close();
    QCOMPARE(stbNote->text(), QString());
    frame.item("mnuEmployeeList")->trigger();
    QCOMPARE(stbNote->text(), note);
}

void tst_mdiTALO::endingWithAnUnsavedOrderAsksFirst()
{
    TestEnvironment env;
    seedServing(env);
    Frame frame(env);
    frame.window.show();
    QVERIFY(frame.window.Form_Load());
    orderForSmith(env.context().windows().get<frmEmployeeList>());

    // No keeps the program and the order; Yes ends it. One question each time.
    env.messages().answerNext(false);
    QVERIFY(!frame.window.close());
    QVERIFY(frame.window.isVisible());
    env.messages().answerNext(true);
    QVERIFY(frame.window.close());
    QCOMPARE(env.messages().messages().size(), 2);
    QVERIFY(env.messages().messages().at(1).noByDefault);
    QCOMPARE(env.messages().unansweredQuestions(), 0);
}

void tst_mdiTALO::statusBarKeepsTheServerDateCurrentAndShowsWholeTexts()
{
    TestEnvironment env;
    Frame frame(env);
    frame.prepare = [](TestUser& user) {
        user.employeeName = QStringLiteral("System Administrator of the Night Shift");
        user.serverName = QStringLiteral("Ferromont-SQL-Server-01");
    };
    frame.window.resize(1280, 1000);
    frame.window.show();
    QVERIFY(frame.window.Form_Load());
    QCOMPARE(frame.panel(5), QStringLiteral("12/8/2026 11:30:15 AM"));
    // As the event loop would before the clerk sees it: the bar laid out for its texts.
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCOMPARE(cutOffCaptions(frame.window.findChild<QStatusBar*>("stbInfo")).join(", "), QString());

    // Past midnight the next search reads the clock again and the panel follows.
    env.setServerClock(QDateTime(QDate(2026, 12, 9), QTime(0, 5, 0)));
    auto* search = frame.window.findChild<QLineEdit*>(QStringLiteral("txtEmployeeDetails"));
    QTest::keyClick(search, Qt::Key_Return);
    QCOMPARE(frame.panel(5), QStringLiteral("12/9/2026 12:05:00 AM"));
    QCOMPARE(env.context().dtServerDate, QDateTime(QDate(2026, 12, 9), QTime(0, 5, 0)));
}

// What the counter asks the user to act on: a click in the status bar, or the File menu's
// item by the keyboard, does it; with nothing to say neither shows.
void tst_mdiTALO::statusActionIsInTheBarAndTheFileMenu()
{
    TestEnvironment env;
    Frame frame(env);
    frame.window.show();
    auto* button = frame.window.findChild<QPushButton*>("stbAction");
    QAction* item = frame.item("mnuStatusAction");
    int runs = 0;
    for (const QString& text : {QStringLiteral("2 refused orders: settle…"), QString()}) {
        env.context().statusAction(text, [&runs] { ++runs; });
        QCOMPARE(button->isVisible() ? button->text() : QString(), text);
        QCOMPARE(item->isVisible() ? item->text() : QString(), text);
        QTest::mouseClick(button, Qt::LeftButton);
        item->trigger();
    }
    QCOMPARE(runs, 2);
}

void tst_mdiTALO::escapeKeepsWhatWasTyped_data()
{
    QTest::addColumn<QString>("item");
    QTest::newRow("meal master") << QStringLiteral("mnuMeals");
    QTest::newRow("meal type master") << QStringLiteral("mnuMealType");
    QTest::newRow("meal tagging") << QStringLiteral("mnuEmployeeMeal");
    QTest::newRow("user access") << QStringLiteral("mnuAccess");
}

void tst_mdiTALO::escapeKeepsWhatWasTyped()
{
    QFETCH(QString, item);
    TestEnvironment env;
    Frame frame(env);
    QVERIFY(frame.window.Form_Load());
    bool openAfterEscape = false;
    QString kept;
    env.modal().then([&](QDialog& dialog) {
        QLineEdit* box = nullptr;
        for (QLineEdit* candidate : dialog.findChildren<QLineEdit*>()) {
            if (candidate->isVisible() && candidate->isEnabled() && !candidate->isReadOnly()) {
                box = candidate;
                break;
            }
        }
        QVERIFY(box);
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("half typed"));
        QTest::keyClick(box, Qt::Key_Escape);
        openAfterEscape = dialog.isVisible();
        kept = box->text();
    });

    frame.item(item)->trigger();

    QVERIFY(openAfterEscape);
    QVERIFY2(kept.endsWith(QStringLiteral("half typed")), qPrintable(kept));
    QCOMPARE(env.modal().unexpected(), 0);
}

QTEST_MAIN(tst_mdiTALO)
#include "tst_mdiTALO.moc"
