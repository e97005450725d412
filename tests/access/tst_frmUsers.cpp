#include "access/frmUsers.h"
#include "context/WindowRegistry.h"
#include "data/DbError.h"
#include "data/SqlText.h"
#include "support/DialogUi.h"
#include "support/StandInHash.h"
#include "support/TestEnvironment.h"
#include "user/PasswordRegister.h"
#include "widgets/FlexGrid.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

QString lit(const QString& value)
{
    return QLatin1Char('\'') + SqlText::quote(value) + QLatin1Char('\'');
}

// A person in the password register who may use the program.
void addUser(TestEnvironment& env, const QString& id, const QString& last)
{
    env.sqlite(QStringLiteral("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, "
                              "Firstname) VALUES(%1, %2, 'Test')")
                   .arg(lit(id), lit(last)));
    env.sqlite(
        QStringLiteral("INSERT INTO Password.tbPasswordAppAccess VALUES(%1, 'TALO')").arg(lit(id)));
}

bool signsIn(TestEnvironment& env, const QString& id, const QString& password)
{
    return PasswordRegister(env.store(), QStringLiteral("TALO")).signIn(id, password).has_value();
}

struct Ui : DialogUi
{
    using DialogUi::DialogUi;
    FlexGrid* list() const { return get<FlexGrid>("mshUsers"); }
    // The list's row of that person as "ID|NAME|ACCESS|ACTIVE|PASSWORD"; empty when absent.
    QString row(const QString& id) const
    {
        for (int r = 1; r < list()->Rows(); ++r) {
            if (list()->TextMatrix(r, 1) != id)
                continue;
            QStringList cells;
            for (int c = 1; c <= 5; ++c)
                cells << list()->TextMatrix(r, c);
            return cells.join('|');
        }
        return {};
    }
    void choose(const QString& id) const
    {
        for (int r = 1; r < list()->Rows(); ++r)
            if (list()->TextMatrix(r, 1) == id)
                QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                                  list()->rowRect(r).center());
        QCOMPARE(edit("txtStaffID")->text(), id);
    }
    void typePassword(const QString& first, const QString& second) const
    {
        edit("txtPassword")->setText(first);
        edit("txtConfirm")->setText(second);
    }
};

void runWindow(TestEnvironment& env, const std::function<void(const Ui&)>& step)
{
    env.modal().then([&](QDialog& d) { step(Ui(d)); });
    env.context().windows().get<frmUsers>().showModal();
    QCOMPARE(env.modal().unexpected(), 0);
}

QString audit(TestEnvironment& env)
{
    const Recordset rows = env.query("SELECT TableName, RecordKey, Action, Details, UserID FROM "
                                     "Station.tbTALOAuditLog ORDER BY AuditID");
    QStringList lines;
    for (const Recordset::Row& row : rows.rows())
        lines << row.join('|');
    return lines.join('\n');
}

} // namespace

class tst_frmUsers : public QObject
{
    Q_OBJECT

private slots:
    void addedUserSignsIn();
    void passwordResetReplacesTheOldOne();
    void lastManagerAndOwnAccessAreGuarded();
    void noClearPasswordReachesStoreLogOrMessages();
    void accessNeedsAPasswordAndTheListShowsWhoIsInTheForm();
};

void tst_frmUsers::addedUserSignsIn()
{
    TestEnvironment env(QStringLiteral("ADMIN01"));
    env.addEmployee("E050", "Lopez", "Dina", "M");
    runWindow(env, [&](const Ui& ui) {
        ui.edit("txtStaffID")->setText("E999");
        ui.click("cmdFromPersonnel");
        QCOMPARE(env.messages().texts(), QStringList{"No employee E999 in the personnel master."});
        env.messages().clear();

        ui.edit("txtStaffID")->setText("E050");
        ui.click("cmdFromPersonnel");
        QCOMPARE(ui.edit("txtLastname")->text() + ui.edit("txtFirstname")->text() +
                     ui.edit("txtMiddlename")->text(),
                 QStringLiteral("LopezDinaM"));
        QVERIFY(ui.get<QCheckBox>("chkAccess")->isChecked());
        ui.typePassword("canteen-2026", "canteen-2026");
        ui.click("cmdSave");
        QCOMPARE(env.messages().texts(), QStringList{"Done."});
        QCOMPARE(ui.row("E050"), QStringLiteral("E050|Lopez, Dina M|Y|Y|Y"));
        QVERIFY(ui.edit("txtPassword")->text().isEmpty());
    });
    QVERIFY(signsIn(env, "E050", "canteen-2026"));
    QVERIFY(!signsIn(env, "E050", "canteen-2027"));
    QCOMPARE(audit(env), QStringLiteral("tbPasswordMain|E050|INSERT|Lastname=Lopez; "
                                        "Firstname=Dina; Middlename=M|ADMIN01\n"
                                        "tbPasswordMain|E050|PASSWORD|password set|ADMIN01\n"
                                        "tbPasswordAppAccess|E050|ACCESS|TALO granted|ADMIN01"));
}

void tst_frmUsers::passwordResetReplacesTheOldOne()
{
    TestEnvironment env(QStringLiteral("ADMIN01"));
    addUser(env, "CLERK7", "Reyes");
    runWindow(env, [&](const Ui& ui) {
        QCOMPARE(ui.row("CLERK7"), QStringLiteral("CLERK7|Reyes, Test |Y|Y|N"));
        ui.choose("CLERK7");
        QVERIFY(ui.edit("txtStaffID")->isReadOnly());
        ui.typePassword("first-pass", "first-pass");
        ui.click("cmdSave");

        // Refused before anything is sent: different, too short.
        const QString before = audit(env);
        env.clearStatements();
        ui.typePassword("second-pass", "second-pasS");
        ui.click("cmdSave");
        ui.typePassword("short77", "short77");
        ui.click("cmdSave");
        QCOMPARE(env.messages().texts(),
                 QStringList({"Done.", "The two passwords are not the same.",
                              "The password must have at least 8 characters."}));
        QVERIFY(env.statements().isEmpty());
        QCOMPARE(audit(env), before);

        ui.typePassword("second-pass", "second-pass");
        ui.click("cmdSave");
    });
    QVERIFY(signsIn(env, "CLERK7", "second-pass"));
    QVERIFY(!signsIn(env, "CLERK7", "first-pass"));
}

void tst_frmUsers::lastManagerAndOwnAccessAreGuarded()
{
    // HELP01 is signed in and holds every right, but cannot sign in any more itself;
    // ADMIN01 is the one manager who can.
    TestEnvironment env(QStringLiteral("HELP01"));
    addUser(env, "ADMIN01", "Admin");
    env.setRights("ADMIN01", "|1|2|3|4|5|6|7|8");
    addUser(env, "BOSS", "Boss");
    env.setRights("BOSS", "|1|2|3|4|0|6|7|8");
    addUser(env, "HELP01", "Helper");
    env.sqlite("UPDATE Password.tbPasswordMain SET Active = '0' WHERE EmployeeID = 'HELP01'");
    // A manager has a password (any well-formed hash here).
    env.sqlite(QString("UPDATE Password.tbPasswordMain SET PasswordHash = '" + standInHash() +
                       "' WHERE EmployeeID IN ('%1', 'BOSS')")
                   .arg("ADMIN01"));
    runWindow(env, [&](const Ui& ui) {
        const QString before = audit(env);
        ui.choose("ADMIN01");
        ui.get<QCheckBox>("chkActive")->setChecked(false);
        ui.click("cmdSave");
        ui.choose("ADMIN01");
        ui.get<QCheckBox>("chkAccess")->setChecked(false);
        ui.click("cmdSave");
        // Nobody withdraws his own access, even when others could still manage users.
        ui.choose("HELP01");
        ui.get<QCheckBox>("chkAccess")->setChecked(false);
        ui.click("cmdSave");
        QStringList errors;
        for (const auto& error : env.messages().errors())
            errors << QString::number(error.errorNumber) + ' ' + error.text;
        const QString last = "50000 ADMIN01 is the last person with right 5 who may sign in; "
                             "give right 5 to someone else first.";
        QCOMPARE(errors, QStringList({last, last, "50000 You cannot withdraw your own access."}));
        QCOMPARE(audit(env), before);
        QCOMPARE(ui.row("ADMIN01"), QStringLiteral("ADMIN01|Admin, Test |Y|Y|Y"));

        // Once BOSS holds right 5, ADMIN01 may go.
        env.setRights("BOSS", "|1|2|3|4|5|6|7|8");
        env.messages().clear();
        ui.choose("ADMIN01");
        ui.get<QCheckBox>("chkActive")->setChecked(false);
        ui.click("cmdSave");
        QCOMPARE(env.messages().texts(), QStringList{"Done."});
        QCOMPARE(ui.row("ADMIN01"), QStringLiteral("ADMIN01|Admin, Test |Y|N|Y"));
    });
}

void tst_frmUsers::noClearPasswordReachesStoreLogOrMessages()
{
    TestEnvironment env(QStringLiteral("ADMIN01"));
    const QStringList secrets{"Clear-Text-Secret-99", "Another-Secret-77"};
    runWindow(env, [&](const Ui& ui) {
        ui.edit("txtStaffID")->setText("NURSE1");
        ui.edit("txtLastname")->setText("Santos");
        ui.typePassword(secrets[0], secrets[0]);
        ui.click("cmdSave");
        ui.typePassword(secrets[1], secrets[1]);
        ui.click("cmdSave");
    });
    QVERIFY(signsIn(env, "NURSE1", secrets[1]));
    const QString statements = env.statements().join('\n');
    QVERIFY(statements.contains("Station..Save_TALO_UserPassword 'NURSE1', '$argon2id$"));
    QString stored;
    for (const QFileInfo& file : QDir(env.folder()).entryInfoList(QDir::Files)) {
        QFile f(file.filePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        stored += QString::fromLatin1(f.readAll());
    }
    QVERIFY(stored.contains("$argon2id$"));
    for (const QString& secret : secrets) {
        QVERIFY(!statements.contains(secret));
        QVERIFY(!stored.contains(secret));
        QVERIFY(!env.messages().texts().join('\n').contains(secret));
    }
    // Only the argon2id hash is accepted: a clear password sent by any other caller is refused.
    try {
        env.store().execute("Station..Save_TALO_UserPassword 'NURSE1', 'plain-password', 'X'");
        QFAIL("a clear password was stored");
    } catch (const DbError& error) {
        QCOMPARE(error.message(), QStringLiteral("The password must arrive as an argon2id hash."));
    }
}

void tst_frmUsers::accessNeedsAPasswordAndTheListShowsWhoIsInTheForm()
{
    TestEnvironment env(QStringLiteral("ADMIN01"));
    addUser(env, "ADMIN01", "Admin");
    addUser(env, "CLERK7", "Reyes");
    const QString refusal = "NURSE1 has no password: type one to let NURSE1 use Talodesk, or "
                            "untick \"May use Talodesk\".";
    runWindow(env, [&](const Ui& ui) {
        const auto highlighted = [&] {
            const QModelIndexList rows = ui.list()->selectionModel()->selectedRows();
            return rows.isEmpty() ? QString() : ui.list()->TextMatrix(rows.first().row() + 1, 1);
        };
        QCOMPARE(highlighted(), QString());
        ui.choose("CLERK7");
        QCOMPARE(highlighted(), QString("CLERK7"));
        ui.click("cmdNew");
        QCOMPARE(highlighted(), QString());

        // A new person with access and no password: refused, nothing sent.
        ui.edit("txtStaffID")->setText("NURSE1");
        ui.edit("txtLastname")->setText("Santos");
        env.clearStatements();
        ui.click("cmdSave");
        QCOMPARE(env.messages().texts(), QStringList{refusal});
        QVERIFY(!env.statements().join('\n').contains("Save_TALO_User"));
        // Without access, or once a password is stored, the save goes through.
        ui.get<QCheckBox>("chkAccess")->setChecked(false);
        ui.click("cmdSave");
        QCOMPARE(highlighted(), QString("NURSE1"));
        ui.get<QCheckBox>("chkAccess")->setChecked(true);
        ui.click("cmdSave");
        ui.typePassword("nurse-pass-1", "nurse-pass-1");
        ui.click("cmdSave");
        ui.get<QCheckBox>("chkActive")->setChecked(false);
        ui.click("cmdSave");
        QCOMPARE(env.messages().texts(),
                 QStringList({refusal, "Done.", refusal, "Done.", "Done."}));
        QCOMPARE(ui.row("NURSE1"), QStringLiteral("NURSE1|Santos,  |Y|N|Y"));
        QCOMPARE(highlighted(), QString("NURSE1"));
    });
}

QTEST_MAIN(tst_frmUsers)
#include "tst_frmUsers.moc"
