#include "context/WindowRegistry.h"
#include "counter/frmEmployeeList.h"
#include "server/EmbeddedConnection.h"
#include "settings/AppSettingsData.h"
#include "settings/frmAppSettings.h"
#include "support/CaptionCheck.h"
#include "support/DialogUi.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString kSaveCall = QStringLiteral("Station..Save_TALO_AppSettings");

struct Ui : DialogUi
{
    using DialogUi::DialogUi;
    QLineEdit* box(const char* name, int line) const
    {
        return get<QLineEdit>(QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(line));
    }
    QComboBox* action(int line) const
    {
        return get<QComboBox>(QStringLiteral("cboAction(%1)").arg(line));
    }
    QLabel* fault(int line) const
    {
        return get<QLabel>(QStringLiteral("lblModeError(%1)").arg(line));
    }
    // Types into a box as the keyboard would, replacing what is there.
    static void type(QLineEdit* box, const QString& text)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    // A new mode's line; its index is the one after the last line.
    int addMode(const QString& name) const
    {
        click("cmdAddMode");
        auto* named = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        if (!named)
            qFatal("the new line's name box has not the focus");
        QTest::keyClicks(named, name);
        const QString objectName = named->objectName();
        return objectName.mid(8, objectName.size() - 9).toInt(); // txtMode(<n>)
    }
};

int openSettings(TestEnvironment& env, const std::function<void(const Ui&)>& step)
{
    env.modal().then([&](QDialog& d) {
        // As on a desktop, the window shown takes the keyboard.
        d.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        step(Ui(d));
    });
    return env.context().windows().get<frmAppSettings>().showModal();
}

int saveCalls(const TestEnvironment& env)
{
    int calls = 0;
    for (const QString& sql : env.statements())
        calls += sql.startsWith(kSaveCall) ? 1 : 0;
    return calls;
}

// Another workstation on the same store: its own connection, context and user.
struct OtherWorkstation
{
    explicit OtherWorkstation(const QString& folder)
        : connection(folder), user(&connection, QStringLiteral("CLERK02")), context(messages, modal)
    {
        context.objUser = &user;
        context.cnMain = &connection;
    }
    EmbeddedConnection connection;
    ScriptedMessageService messages;
    ScriptedModalRunner modal;
    TestUser user;
    AppContext context;
};

} // namespace

class tst_frmAppSettings : public QObject
{
    Q_OBJECT

private slots:
    void showsTheListedModesAndFitsItsWindow();
    void savedSettingsPersistAndAreSharedByAnotherWorkstation();
    void badValuesAreRefusedBesideTheField_data();
    void badValuesAreRefusedBesideTheField();
    void cancelAndEscapeDropTheChanges();
    void closedDayIsSentOnlyWhenChanged();
    void failingSaveShowsTheErrorAndTheWindowStays();
};

void tst_frmAppSettings::showsTheListedModesAndFitsItsWindow()
{
    TestEnvironment env;
    env.sqlite(QStringLiteral("UPDATE Patient_Data.tbHospitalInfo SET HospitalName = 'St. Anne'"));
    openSettings(env, [&](const Ui& ui) {
        QCOMPARE(ui.dialog.windowTitle(), QStringLiteral("App Settings"));
        const QStringList listed{"Breakfast", "Lunch",    "Dinner",     "AM Snack",
                                 "PM Snack",  "MN Snack", "Extra Meal", "Extra Snack"};
        for (int line = 0; line < listed.size(); ++line) {
            QCOMPARE(ui.get<QLabel>(QStringLiteral("lblMode(%1)").arg(line))->text(),
                     listed.at(line));
            QCOMPARE(ui.box("txtLimit", line)->text(), QString());
            QCOMPARE(ui.box("txtServeFrom", line)->text(), QString());
            // The listed modes stay: they have no Remove button.
            QVERIFY(
                !ui.dialog.findChild<QPushButton*>(QStringLiteral("cmdRemoveMode(%1)").arg(line)));
        }
        QVERIFY(!ui.get<QCheckBox>("chkScanMode")->isChecked());
        // Keyboard order entry is the site's choice: off until it is made.
        QCOMPARE(ui.get<QCheckBox>("chkKeyboardEntry")->text(),
                 QStringLiteral("Keyboard order entry"));
        QVERIFY(!ui.get<QCheckBox>("chkKeyboardEntry")->isChecked());
        QVERIFY(!ui.get<QCheckBox>("chkBulkTagging")->isChecked());
        QCOMPARE(ui.get<QComboBox>("cboFirstDay")->currentText(), QStringLiteral("Monday"));
        QCOMPARE(ui.get<QLineEdit>("txtSiteName")->placeholderText(), QStringLiteral("St. Anne"));
        QCOMPARE(cutOffCaptions(&ui.dialog).join(", "), QString());
        // Opened on the first limit, ready for the keyboard; Tab goes along a line, then
        // down the window.
        QVERIFY(ui.box("txtLimit", 0)->hasFocus());
        QTest::keyClick(ui.box("txtLimit", 0), Qt::Key_Tab);
        QVERIFY(ui.action(0)->hasFocus());
        ui.box("txtServeTo", 7)->setFocus();
        QTest::keyClick(ui.box("txtServeTo", 7), Qt::Key_Tab);
        QVERIFY(ui.get<QPushButton>("cmdAddMode")->hasFocus());
    });
    QCOMPARE(env.modal().unexpected(), 0);
    QCOMPARE(env.messages().messages().size(), 0);
}

void tst_frmAppSettings::savedSettingsPersistAndAreSharedByAnotherWorkstation()
{
    TestEnvironment env;
    frmEmployeeList& counter = env.context().windows().get<frmEmployeeList>();
    env.clearStatements();
    const int result = openSettings(env, [&](const Ui& ui) {
        Ui::type(ui.box("txtLimit", 1), QStringLiteral("1"));
        ui.action(1)->setCurrentIndex(1); // Block
        Ui::type(ui.box("txtServeFrom", 0), QStringLiteral("6:00"));
        Ui::type(ui.box("txtServeTo", 0), QStringLiteral("10:30"));
        const int night = ui.addMode(QStringLiteral("Night Meal"));
        Ui::type(ui.box("txtLimit", night), QStringLiteral("2"));
        Ui::type(ui.box("txtServeFrom", night), QStringLiteral("23:00"));
        Ui::type(ui.box("txtServeTo", night), QStringLiteral("02:00"));
        // A line added and removed again is not saved.
        const int dropped = ui.addMode(QStringLiteral("Dropped"));
        ui.click(qPrintable(QStringLiteral("cmdRemoveMode(%1)").arg(dropped)));
        QTRY_VERIFY(!ui.dialog.findChild<QLineEdit*>(QStringLiteral("txtMode(%1)").arg(dropped)));
        ui.get<QCheckBox>("chkScanMode")->setChecked(true);
        ui.get<QCheckBox>("chkKeyboardEntry")->setChecked(true);
        ui.get<QCheckBox>("chkBulkTagging")->setChecked(true);
        // Windows that only meet at an end are no overlap.
        Ui::type(ui.box("txtServeFrom", 1), QStringLiteral("10:30"));
        Ui::type(ui.box("txtServeTo", 1), QStringLiteral("14:00"));
        ui.get<QComboBox>("cboFirstDay")->setCurrentIndex(6); // Sunday
        Ui::type(ui.get<QLineEdit>("txtSiteName"), QStringLiteral("  North Wing "));
        ui.click("cmdSave");
        QVERIFY(!ui.dialog.isVisible());
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(saveCalls(env), 1);
    QCOMPARE(env.messages().messages().size(), 0);

    // This workstation's counter offers the new mode at once.
    auto* modes = counter.findChild<QComboBox*>(QStringLiteral("cmdMealMode"));
    QCOMPARE(modes->count(), 9);
    QCOMPARE(modes->itemText(8), QStringLiteral("Night Meal"));

    // Another workstation reads the same, and so does this one after a restart.
    OtherWorkstation other(env.folder());
    const AppSettings shared = AppSettingsData(other.context).load();
    QCOMPARE(shared.mealModes.size(), 9);
    QCOMPARE(shared.mealModes.at(1).dailyLimit, std::optional<int>(1));
    QCOMPARE(shared.mealModes.at(1).limitAction, LimitAction::Block);
    QCOMPARE(shared.mealModes.at(0).serveFrom, QTime(6, 0));
    QCOMPARE(shared.mealModes.at(0).serveTo, QTime(10, 30));
    QCOMPARE(shared.mealModes.at(8).mealMode, QStringLiteral("Night Meal"));
    QCOMPARE(shared.mealModes.at(8).serveTo, QTime(2, 0));
    QVERIFY(shared.scanMode);
    QVERIFY(shared.keyboardEntry);
    QVERIFY(shared.bulkTagging);
    QCOMPARE(shared.firstDayOfWeek, Qt::Sunday);
    QCOMPARE(shared.siteName, QStringLiteral("North Wing"));

    openSettings(env, [&](const Ui& ui) {
        QCOMPARE(ui.box("txtLimit", 1)->text(), QStringLiteral("1"));
        QCOMPARE(ui.action(1)->currentText(), QStringLiteral("Block"));
        QCOMPARE(ui.box("txtServeFrom", 0)->text(), QStringLiteral("06:00"));
        QCOMPARE(ui.box("txtMode", 8)->text(), QStringLiteral("Night Meal"));
        QCOMPARE(ui.box("txtServeFrom", 8)->text(), QStringLiteral("23:00"));
        QVERIFY(ui.get<QCheckBox>("chkScanMode")->isChecked());
        QVERIFY(ui.get<QCheckBox>("chkKeyboardEntry")->isChecked());
        QVERIFY(ui.get<QCheckBox>("chkBulkTagging")->isChecked());
        QCOMPARE(ui.get<QComboBox>("cboFirstDay")->currentText(), QStringLiteral("Sunday"));
        QCOMPARE(ui.get<QLineEdit>("txtSiteName")->text(), QStringLiteral("North Wing"));
        // An added mode can be removed again; the saved list then lacks it.
        ui.click("cmdRemoveMode(8)");
        ui.click("cmdSave");
    });
    QCOMPARE(AppSettingsData(other.context).load().mealModes.size(), 8);
}

void tst_frmAppSettings::badValuesAreRefusedBesideTheField_data()
{
    // What is typed into the line of Dinner: "box=value" pairs, "txtMode=..." adding a
    // mode; the box that must be marked; the message shown beside the line.
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("marked");
    QTest::addColumn<QString>("fault");

    const QString limit = QStringLiteral("whole number from 0 to 99");
    QTest::newRow("limit not whole") << QStringList{"txtLimit=1."} << "txtLimit" << limit;
    QTest::newRow("limit not a number") << QStringList{"txtLimit=x1"} << "txtLimit" << limit;
    QTest::newRow("limit negative") << QStringList{"txtLimit=-1"} << "txtLimit" << limit;
    // Typed in full, not cut to "10".
    QTest::newRow("limit past 99") << QStringList{"txtLimit=100"} << "txtLimit" << limit;
    QTest::newRow("hour past 23") << QStringList{"txtServeFrom=24:00", "txtServeTo=02:00"}
                                  << "txtServeFrom"
                                  << "Serving from: a time of day";
    QTest::newRow("minutes past 59")
        << QStringList{"txtServeFrom=06:00", "txtServeTo=7:60"} << "txtServeTo"
        << "Serving to: a time of day";
    QTest::newRow("no minutes") << QStringList{"txtServeFrom=7", "txtServeTo=9:00"}
                                << "txtServeFrom"
                                << "Serving from: a time of day";
    QTest::newRow("from without to") << QStringList{"txtServeFrom=07:00"} << "txtServeTo"
                                     << "Give both serving times";
    QTest::newRow("to without from") << QStringList{"txtServeTo=09:00"} << "txtServeFrom"
                                     << "Give both serving times";
    QTest::newRow("same time twice")
        << QStringList{"txtServeFrom=08:00", "txtServeTo=8:00"} << "txtServeTo"
        << "cannot be the same time";
    // The counter could not tell which mode it serves in the shared minutes; a window
    // that only meets another at its end is fine (the other lines of these rows).
    QTest::newRow("serving times overlap")
        << QStringList{"txtServeFrom=17:00", "txtServeTo=20:00", "txtMode=Supper",
                       "txtServeFrom=19:30", "txtServeTo=21:00"}
        << "txtServeFrom"
        << "overlap those of Dinner (17:00 to 20:00)";
    QTest::newRow("serving times overlap past midnight")
        << QStringList{"txtServeFrom=20:00", "txtServeTo=23:00", "txtMode=Night Meal",
                       "txtServeFrom=22:00", "txtServeTo=02:00"}
        << "txtServeFrom"
        << "overlap those of Dinner (20:00 to 23:00)";
    QTest::newRow("new mode without name") << QStringList{"txtMode="} << "txtMode"
                                           << "Give the new meal mode a name";
    QTest::newRow("new mode named as a listed one") << QStringList{"txtMode= lunch"} << "txtMode"
                                                    << "already a meal mode called lunch";
}

void tst_frmAppSettings::badValuesAreRefusedBesideTheField()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, marked);
    QFETCH(QString, fault);

    TestEnvironment env;
    env.clearStatements();
    openSettings(env, [&](const Ui& ui) {
        // A good value elsewhere is not saved either.
        Ui::type(ui.box("txtLimit", 0), QStringLiteral("2"));
        int line = 2; // Dinner
        for (const QString& pair : typed) {
            const QString box = pair.section(QLatin1Char('='), 0, 0);
            const QString value = pair.section(QLatin1Char('='), 1);
            if (box == QLatin1String("txtMode"))
                line = ui.addMode(value);
            else
                Ui::type(ui.box(qPrintable(box), line), value);
        }
        ui.click("cmdSave");

        QVERIFY(ui.dialog.isVisible());
        QVERIFY2(ui.fault(line)->isVisible(), "no message beside the line");
        QVERIFY2(ui.fault(line)->text().contains(fault), qPrintable(ui.fault(line)->text()));
        QLineEdit* bad = ui.box(qPrintable(marked), line);
        QVERIFY(bad->property("fault").toBool());
        QVERIFY(bad->hasFocus());
        QVERIFY(!ui.get<QLabel>("lblStatus")->text().isEmpty());
        // Only the faulty line speaks.
        QVERIFY(!ui.fault(0)->isVisible());
        QVERIFY(!ui.box("txtLimit", 0)->property("fault").toBool());
        QCOMPARE(cutOffCaptions(&ui.dialog).join(", "), QString());
    });
    QCOMPARE(saveCalls(env), 0);
    QCOMPARE(env.messages().messages().size(), 0);
    QCOMPARE(AppSettingsData(env.context()).load(), AppSettings::defaults());
}

void tst_frmAppSettings::cancelAndEscapeDropTheChanges()
{
    TestEnvironment env;
    for (const bool byEscape : {false, true}) {
        env.clearStatements();
        const int result = openSettings(env, [&](const Ui& ui) {
            Ui::type(ui.box("txtLimit", 1), QStringLiteral("3"));
            ui.addMode(QStringLiteral("Snack Box"));
            if (byEscape)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            else
                ui.click("cmdCancel");
            QVERIFY(!ui.dialog.isVisible());
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(saveCalls(env), 0);
        openSettings(env, [&](const Ui& ui) {
            QCOMPARE(ui.box("txtLimit", 1)->text(), QString());
            QVERIFY(!ui.dialog.findChild<QLineEdit*>(QStringLiteral("txtMode(8)")));
        });
    }
    QCOMPARE(env.messages().messages().size(), 0);
}

void tst_frmAppSettings::closedDayIsSentOnlyWhenChanged()
{
    TestEnvironment env;
    const QString user = env.context().userCode();
    const auto closedCalls = [&env] {
        QStringList calls;
        for (const QString& sql : env.statements())
            if (sql.startsWith(QLatin1String("Station..Save_TALO_ClosedThrough")))
                calls << sql;
        return calls;
    };
    // Nothing is closed until the site says so; the box then offers last month's end.
    openSettings(env, [&](const Ui& ui) {
        QVERIFY(!ui.get<QCheckBox>("chkClosedThrough")->isChecked());
        QVERIFY(!ui.get<QDateEdit>("dtpClosedThrough")->isEnabled());
        QCOMPARE(ui.get<QDateEdit>("dtpClosedThrough")->date(), QDate(2026, 11, 30));
        ui.get<QCheckBox>("chkClosedThrough")->click();
        ui.click("cmdSave");
    });
    QCOMPARE(closedCalls(),
             QStringList{
                 QStringLiteral("Station..Save_TALO_ClosedThrough '2026-11-30', '%1'").arg(user)});
    QCOMPARE(AppSettingsData(env.context()).load().closedThrough, QDate(2026, 11, 30));

    // Saved again unchanged: not sent. Unticked: the day is taken away.
    for (const bool untick : {false, true}) {
        env.clearStatements();
        openSettings(env, [&](const Ui& ui) {
            QVERIFY(ui.get<QCheckBox>("chkClosedThrough")->isChecked());
            if (untick)
                ui.get<QCheckBox>("chkClosedThrough")->click();
            ui.click("cmdSave");
        });
        QCOMPARE(
            closedCalls(),
            untick
                ? QStringList{QStringLiteral("Station..Save_TALO_ClosedThrough '', '%1'").arg(user)}
                : QStringList());
    }
    QVERIFY(!AppSettingsData(env.context()).load().closedThrough.isValid());
    QCOMPARE(env.scalar(QStringLiteral("SELECT group_concat(Details, ' / ') FROM "
                                       "Station.tbTALOAuditLog WHERE Details LIKE "
                                       "'ClosedThrough%'")),
             QStringLiteral("ClosedThrough:  -> 2026-11-30 / ClosedThrough: 2026-11-30 -> "));
    QCOMPARE(env.messages().messages().size(), 0);
}

void tst_frmAppSettings::failingSaveShowsTheErrorAndTheWindowStays()
{
    TestEnvironment env;
    // Every change writes an audit row: a log that cannot take one refuses the save.
    env.sqlite(QStringLiteral("CREATE TEMP TRIGGER refuseSettings BEFORE INSERT ON "
                              "Station.tbTALOAuditLog BEGIN SELECT RAISE(ABORT, "
                              "'disk full'); END"));
    openSettings(env, [&](const Ui& ui) {
        Ui::type(ui.box("txtLimit", 1), QStringLiteral("1"));
        ui.click("cmdSave");
        QVERIFY(ui.dialog.isVisible());
        QCOMPARE(env.messages().errors().size(), 1);
        QVERIFY(env.messages().errors().first().text.contains(QStringLiteral("disk full")));
        // What was typed stays for another try.
        QCOMPARE(ui.box("txtLimit", 1)->text(), QStringLiteral("1"));
    });
    QCOMPARE(AppSettingsData(env.context()).load(), AppSettings::defaults());
}

QTEST_MAIN(tst_frmAppSettings)
#include "tst_frmAppSettings.moc"
