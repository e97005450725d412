#pragma once

#include "context/WindowRegistry.h"
#include "counter/frmEmployeeList.h"
#include "settings/AppSettingsData.h"
#include "support/TestEnvironment.h"
#include "support/WidgetUi.h"
#include "widgets/FlexGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

inline const QString kAllRights = QStringLiteral("|1|2|3|4|5|6|7|8");
inline const QString kNoServing = QStringLiteral("|1|2|3|4|5|0|7|8");
inline const QString kNoRevoking = QStringLiteral("|1|2|3|4|5|6|7|0");

inline const QString kSearchEmpty =
    QStringLiteral("Station..Load_Employee_for_Meal '12/8/2026 11:30:15 AM', ''");
inline const QString kReadClock =
    QStringLiteral("Select GetDate() As ServerDate From Patient_Data..tbHospitalInfo");
inline const QString kLoadSettings = QStringLiteral("Station..Load_TALO_AppSettings");
inline const QString kLoadE002 =
    QStringLiteral("Station..Load_TALO_EmployeeDistributedMeals 'E002', '2026-12-08'");

inline QString saveText(const QString& meal, const QString& mode, const QString& remarks)
{
    return QStringLiteral("Station..Save_TALO_EmployeeDistributedMeals 'E002', '%1', '%2', "
                          "'12/8/2026 11:30:15 AM', '%3', 'CLERK01', 'S'")
        .arg(meal, mode, remarks);
}

// The counter window on a seeded store, shown and loaded as start-up leaves it.
class Counter : public WidgetUi
{
public:
    explicit Counter(const QString& rights = kAllRights) : env(QStringLiteral("CLERK01"), rights)
    {
        env.addEmployee(QStringLiteral("E001"), QStringLiteral("O'Neil"), QStringLiteral("Mary"),
                        {}, QStringLiteral("NURSING"));
        env.addEmployee(QStringLiteral("E002"), QStringLiteral("Smith"), QStringLiteral("John"),
                        QStringLiteral("P"), QStringLiteral("KITCHEN"));
        env.addEmployee(QStringLiteral("E003"), QStringLiteral("Smithers"), QStringLiteral("Ann"),
                        {}, QStringLiteral("KITCHEN"));
        env.addMealType(QStringLiteral("BF"), QStringLiteral("Breakfast"));
        env.addMealType(QStringLiteral("LU"), QStringLiteral("Lunch"));
        env.addMeal(QStringLiteral("M01"), QStringLiteral("Rice porridge"), QStringLiteral("BF"));
        env.addMeal(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("LU"));
        env.addMeal(QStringLiteral("M03"), QStringLiteral("Fruit cup"), QStringLiteral("LU"));
        env.tag(QStringLiteral("E002"), QStringLiteral("BF"));
        env.tag(QStringLiteral("E002"), QStringLiteral("LU"));

        window = &env.context().windows().get<frmEmployeeList>();
        root = window;
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            qWarning("the counter window did not become active");
        window->Form_Load();
    }

    FlexGrid* empList() const { return get<FlexGrid>(QStringLiteral("mshEmpList")); }
    FlexGrid* orderList() const { return get<FlexGrid>(QStringLiteral("mshMealList(0)")); }
    FlexGrid* received() const { return get<FlexGrid>(QStringLiteral("mshMealList(1)")); }
    QLineEdit* entry(int i) const
    {
        return get<QLineEdit>(QStringLiteral("txtMealEntry(%1)").arg(i));
    }
    QPushButton* button(int i) const
    {
        return get<QPushButton>(QStringLiteral("cmdMealEntry(%1)").arg(i));
    }
    QLineEdit* searchBox() const { return get<QLineEdit>(QStringLiteral("txtEmployeeDetails")); }
    QComboBox* mealMode() const { return get<QComboBox>(QStringLiteral("cmdMealMode")); }
    QGroupBox* frame(const char* name) const { return get<QGroupBox>(QLatin1String(name)); }

    void search(const QString& text)
    {
        searchBox()->clear();
        QTest::keyClicks(searchBox(), text);
        QTest::keyClick(searchBox(), Qt::Key_Return);
    }
    int rowOf(FlexGrid* grid, const QString& col1) const
    {
        for (int row = 1; row < grid->Rows(); ++row) {
            if (grid->TextMatrix(row, 1) == col1)
                return row;
        }
        qFatal("no row %s", qPrintable(col1));
    }
    // Searches for John Smith and double-clicks him into meal entry.
    void serveSmith()
    {
        search(QStringLiteral("E002"));
        dblClickRow(empList(), 1);
        env.clearStatements();
        env.messages().clear();
    }
    void typeLine(const QString& code, const QString& description, const QString& mode,
                  const QString& remarks = {})
    {
        entry(0)->setText(code);
        entry(1)->setText(description);
        mealMode()->setEditText(mode);
        entry(2)->setText(remarks);
        QTest::mouseClick(button(2), Qt::LeftButton);
    }
    QStringList orderColumn(int col) const { return gridColumn(*orderList(), col); }
    // Statements sent, without the rights look-ups, the readings of the server's clock
    // and of the site's settings (they have their own tests).
    QStringList sent() const
    {
        QStringList result;
        for (const QString& sql : sentWithClock()) {
            if (sql != kReadClock)
                result.append(sql);
        }
        return result;
    }
    // Statements sent, the readings of the clock included (rights look-ups and settings
    // readings left out).
    QStringList sentWithClock() const
    {
        QStringList result;
        for (const QString& sql : env.statements()) {
            if (!sql.startsWith(QLatin1String("Select UserRights"), Qt::CaseInsensitive) &&
                !sql.startsWith(kLoadSettings))
                result.append(sql);
        }
        return result;
    }
    // Changes the site's settings as App Settings on this workstation does: the counter
    // obeys at once. `elsewhere`: as another workstation would, unseen until this
    // counter reads the settings again.
    void changeSettings(const std::function<void(AppSettings&)>& change, bool elsewhere = false)
    {
        AppSettingsData data(env.context());
        AppSettings settings = data.load();
        change(settings);
        data.save(settings);
        if (!elsewhere)
            env.context().settingsSaved(settings);
        env.clearStatements();
    }
    void keyboardEntry(bool on)
    {
        changeSettings([on](AppSettings& s) { s.keyboardEntry = on; });
    }
    // The status bar's line, as the main window would show it.
    QString statusNote;
    void watchStatusNote()
    {
        env.context().showStatusNote = [this](const QString& text) { statusNote = text; };
    }
    int settingsReadings() const { return int(env.statements().count(kLoadSettings)); }
    static MealModeSetting& modeOf(AppSettings& settings, const QString& name)
    {
        for (MealModeSetting& mode : settings.mealModes) {
            if (mode.mealMode == name)
                return mode;
        }
        settings.mealModes.append(MealModeSetting{name, {}, LimitAction::Warn, {}, {}});
        return settings.mealModes.last();
    }
    void seedLunch(const QString& meal, bool revoked = false)
    {
        const QString revokedAt =
            revoked ? QStringLiteral("'2026-12-08 11:05:00'") : QStringLiteral("NULL");
        env.sqlite(QStringLiteral("INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, "
                                  "MealCode, MealMode, MealDate, Remarks, ClerkID, Source, "
                                  "RecordedAt, RevokedAt) VALUES('E002', '%1', 'Lunch', "
                                  "'2026-12-08 11:00:00', '', 'CLERK09', 'S', "
                                  "'2026-12-08 11:00:00', %2)")
                       .arg(meal, revokedAt));
    }
    // The offscreen platform has no window manager to hand the activation back when a
    // modal window closes; a desktop does that by itself.
    void backFromDialog() const
    {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    QLabel* chosenEmployee() const { return get<QLabel>(QStringLiteral("lblChosenEmployee")); }
    // The key goes to whichever control has the focus, as a keyboard's would.
    static void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget();
        QVERIFY2(target, "nothing has the focus");
        QTest::keyClick(target, key, modifiers);
    }
    static void type(const QString& text)
    {
        QWidget* target = QApplication::focusWidget();
        QVERIFY2(target, "nothing has the focus");
        QTest::keyClicks(target, text);
    }
    bool inEntryMode() const
    {
        return frame("fraCounter")->isEnabled() && !frame("fraSearch")->isEnabled() &&
               !frame("fraList")->isEnabled() && button(0)->isEnabled();
    }
    bool inBrowseMode() const
    {
        bool buttonsOff = true;
        for (int i = 0; i < 5; ++i)
            buttonsOff = buttonsOff && !button(i)->isEnabled();
        return !frame("fraCounter")->isEnabled() && frame("fraSearch")->isEnabled() &&
               frame("fraList")->isEnabled() && buttonsOff;
    }
    int storedMeals(const QString& where = QStringLiteral("1=1"))
    {
        return env
            .scalar(QStringLiteral("SELECT COUNT(*) FROM Station.tbTALOEmployeeDistributedMeals "
                                   "WHERE ") +
                    where)
            .toInt();
    }
    void seedReceived(const QString& meal, const QString& time, const QString& remarks)
    {
        env.sqlite(QStringLiteral("INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, "
                                  "MealCode, MealMode, MealDate, Remarks, ClerkID, Source, "
                                  "RecordedAt) VALUES('E002', '%1', 'Breakfast', '2026-12-08 %2', "
                                  "'%3', 'CLERK09', 'S', '2026-12-08 %2')")
                       .arg(meal, time, remarks));
    }

    // The workstation's copy of the counter's data, once the background refresh that the
    // site's keeping serving started has put it in place.
    QString copyPath()
    {
        return env.context().workstationFolder + QStringLiteral("/counter-copy.sqlite");
    }
    void waitForCopy() { QTRY_VERIFY(QFile::exists(copyPath())); }
    // Every statement of the counter, reads and writes, goes through `link` from here on.
    void routeThrough(Connection& link)
    {
        env.context().cnMain = &link;
        env.user().connection = &link;
    }

    TestEnvironment env;
    frmEmployeeList* window = nullptr;
};
