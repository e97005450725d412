#include "SignInFixture.h"
#include "user/EmbeddedDatabaseOpener.h"
#include "user/FirstAdministratorDialog.h"
#include "user/PasswordRule.h"

using namespace signin_test;

namespace {

void typeAdministrator(QDialog& dialog, const QString& id, const QString& last,
                       const QString& first, const QString& password, const QString& again)
{
    child<QLineEdit>(dialog, "txtStaffID")->setText(id);
    child<QLineEdit>(dialog, "txtLastName")->setText(last);
    child<QLineEdit>(dialog, "txtFirstName")->setText(first);
    child<QLineEdit>(dialog, "txtPassword")->setText(password);
    child<QLineEdit>(dialog, "txtConfirmPassword")->setText(again);
    QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
}

} // namespace

class tst_SignInFirstStart : public QObject
{
    Q_OBJECT

private slots:
    void createsTheAdministratorThenSignsInNormally();
    void incompleteOrMismatchedEntriesAreRefusedAndKept();
    void cancellingLeavesTheStoreEmptyAndSignsNobodyIn();
    void quotesAndPlaceholdersInNamesAreStoredAsTyped();
    void anyoneRegisteredForTheApplicationClosesFirstStart();
    void demoStoreIsCreatedOnlyInAFolderWithoutAStore();
};

void tst_SignInFirstStart::createsTheAdministratorThenSignsInNormally()
{
    Fixture f;
    QString offeredId;
    f.modal.then([](QDialog& dialog) {
        typeAdministrator(dialog, QStringLiteral(" BOSS1 "), QStringLiteral("Dela Cruz"),
                          QStringLiteral("María"), QStringLiteral("s3cret pass"),
                          QStringLiteral("s3cret pass"));
        QVERIFY(!dialog.isVisible());
    });
    f.modal.then([&](QDialog& dialog) {
        offeredId = child<QLineEdit>(dialog, "txtStaffID")->text();
        typeSignIn(dialog, QStringLiteral("boss1"), QStringLiteral("s3cret pass"));
    });

    f.user->ShowMain();

    QCOMPARE(f.modal.shown(), QStringList({QStringLiteral("FirstAdministratorDialog"),
                                           QStringLiteral("SignInDialog")}));
    QCOMPARE(offeredId, QStringLiteral("BOSS1"));
    QVERIFY(connected(*f.user));
    QCOMPARE(f.user->EmployeeCode(), QStringLiteral("BOSS1"));
    QCOMPARE(f.user->EmployeeName(), QStringLiteral("María Dela Cruz"));
    QVERIFY(f.messages.messages().isEmpty());

    QCOMPARE(f.scalar(QStringLiteral("SELECT UserID || UserRights || ModifiedBy FROM "
                                     "Station.tbTALOUserRights")),
             QStringLiteral("BOSS1|1|2|3|4|5|6|7|8BOSS1"));
    QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM Station.tbTALOUserRights")),
             QStringLiteral("1"));
    QCOMPARE(f.scalar(QStringLiteral("SELECT Lastname || '/' || Firstname || '/' || Active "
                                     "FROM Password.tbPasswordMain WHERE EmployeeID = 'BOSS1'")),
             QStringLiteral("Dela Cruz/María/1"));
    const QString hash =
        f.scalar(QStringLiteral("SELECT PasswordHash FROM Password.tbPasswordMain"));
    QVERIFY(hash.startsWith(QStringLiteral("$argon2id$")));
    QVERIFY(!hash.contains(QStringLiteral("s3cret")));
    QCOMPARE(f.scalar(QStringLiteral("SELECT EmployeeID || AppCode FROM "
                                     "Password.tbPasswordAppAccess")),
             QStringLiteral("BOSS1TALO"));
    // The administrator's creation is in the changes log as the Users window records it.
    QCOMPARE(f.scalar(QStringLiteral(
                 "SELECT group_concat(TableName || '|' || RecordKey || '|' || Action || '|' || "
                 "Details || '|' || UserID, char(10)) FROM (SELECT * FROM Station.tbTALOAuditLog "
                 "ORDER BY AuditID)")),
             QStringLiteral("tbTALOUserRights|BOSS1|RIGHTS|(none) -> |1|2|3|4|5|6|7|8|BOSS1\n"
                            "tbPasswordMain|BOSS1|INSERT|Lastname=Dela Cruz; Firstname=María; "
                            "Middlename=|BOSS1\n"
                            "tbPasswordMain|BOSS1|PASSWORD|password set|BOSS1\n"
                            "tbPasswordAppAccess|BOSS1|ACCESS|TALO granted|BOSS1"));

    // The next start goes straight to the sign-in.
    clsCurrentUser again(f.opener, f.modal, f.messages);
    again.setPasswordDeptCode(QStringLiteral("TALO"));
    f.modal.then([](QDialog& dialog) {
        typeSignIn(dialog, QStringLiteral("BOSS1"), QStringLiteral("s3cret pass"));
    });
    again.ShowMain();
    QCOMPARE(f.modal.shown().last(), QStringLiteral("SignInDialog"));
    QCOMPARE(f.modal.shown().size(), 3);
    QVERIFY(connected(again));
}

void tst_SignInFirstStart::incompleteOrMismatchedEntriesAreRefusedAndKept()
{
    Fixture f;
    f.modal.then([&](QDialog& dialog) {
        typeAdministrator(dialog, QStringLiteral("BOSS1"), QStringLiteral("Reyes"),
                          QStringLiteral("   "), QStringLiteral("pw"), QStringLiteral("pw"));
        QVERIFY(dialog.isVisible());
        typeAdministrator(dialog, QStringLiteral("BOSS1"), QStringLiteral("Reyes"),
                          QStringLiteral("Ana"), QString(), QString());
        QVERIFY(dialog.isVisible());
        typeAdministrator(dialog, QStringLiteral("BOSS1"), QStringLiteral("Reyes"),
                          QStringLiteral("Ana"), QStringLiteral("pw1"), QStringLiteral("pw2"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(child<QLineEdit>(dialog, "txtStaffID")->text(), QStringLiteral("BOSS1"));
        QCOMPARE(child<QLineEdit>(dialog, "txtPassword")->text(), QStringLiteral("pw1"));
        QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM Password.tbPasswordMain")),
                 QStringLiteral("0"));
        // The rule of every other password: at least eight characters.
        typeAdministrator(dialog, QStringLiteral("BOSS1"), QStringLiteral("Reyes"),
                          QStringLiteral("Ana"), QStringLiteral("pw1"), QStringLiteral("pw1"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM Password.tbPasswordMain")),
                 QStringLiteral("0"));
        typeAdministrator(dialog, QStringLiteral("BOSS1"), QStringLiteral("Reyes"),
                          QStringLiteral("Ana"), QStringLiteral("pw1-long"),
                          QStringLiteral("pw1-long"));
        QVERIFY(!dialog.isVisible());
    });
    f.modal.then([](QDialog& dialog) {
        typeSignIn(dialog, QStringLiteral("BOSS1"), QStringLiteral("pw1-long"));
    });

    f.user->ShowMain();

    QCOMPARE(f.messages.infos(), QStringList({FirstAdministratorDialog::incompleteText(),
                                              FirstAdministratorDialog::incompleteText(),
                                              FirstAdministratorDialog::mismatchText(),
                                              PasswordRule::fault(QStringLiteral("pw1"))}));
    QCOMPARE(PasswordRule::fault(QStringLiteral("pw1")),
             QStringLiteral("The password must have at least 8 characters."));
    QCOMPARE(FirstAdministratorDialog::incompleteText(),
             QStringLiteral("Please Complete the details."));
    QVERIFY(connected(*f.user));
}

void tst_SignInFirstStart::cancellingLeavesTheStoreEmptyAndSignsNobodyIn()
{
    Fixture f;
    f.modal.then([](QDialog& dialog) {
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
    });

    f.user->ShowMain();

    QVERIFY(!connected(*f.user));
    QCOMPARE(f.modal.shown(), QStringList{QStringLiteral("FirstAdministratorDialog")});
    QCOMPARE(f.scalar(QStringLiteral("SELECT (SELECT COUNT(*) FROM Password.tbPasswordMain) + "
                                     "(SELECT COUNT(*) FROM Station.tbTALOUserRights)")),
             QStringLiteral("0"));
}

void tst_SignInFirstStart::quotesAndPlaceholdersInNamesAreStoredAsTyped()
{
    Fixture f;
    const QString id = QStringLiteral("O'B %1 %2");
    const QString last = QStringLiteral("O'Neil'); DROP TABLE tbPasswordMain; --");
    f.modal.then([&](QDialog& dialog) {
        typeAdministrator(dialog, id, last, QStringLiteral("100%"), QStringLiteral("p'w %1 %2"),
                          QStringLiteral("p'w %1 %2"));
    });
    f.modal.then([&](QDialog& dialog) { typeSignIn(dialog, id, QStringLiteral("p'w %1 %2")); });

    f.user->ShowMain();

    QVERIFY(connected(*f.user));
    QCOMPARE(f.user->EmployeeCode(), id);
    QCOMPARE(f.user->EmployeeName(), QStringLiteral("100% ") + last);
    QCOMPARE(f.scalar(QStringLiteral("SELECT UserID FROM Station.tbTALOUserRights")), id);
}

void tst_SignInFirstStart::anyoneRegisteredForTheApplicationClosesFirstStart()
{
    // Even an inactive administrator: otherwise whoever starts the program next could
    // make themselves administrator of a store that is in use.
    Fixture f;
    f.addPerson(QStringLiteral("OLDADMIN"), QStringLiteral("Reyes"), QStringLiteral("Ana"),
                QStringLiteral("old"), QStringLiteral("TALO"), false);
    f.addPerson(QStringLiteral("PAY1"), QStringLiteral("Lim"), QStringLiteral("Joy"),
                QStringLiteral("pay"), QStringLiteral("PAYR"));
    f.modal.thenClose();

    f.user->ShowMain();

    QCOMPARE(f.modal.shown(), QStringList{QStringLiteral("SignInDialog")});
    QVERIFY(!connected(*f.user));
}

void tst_SignInFirstStart::demoStoreIsCreatedOnlyInAFolderWithoutAStore()
{
    int fills = 0;
    const EmbeddedDatabaseOpener::Filler demo = [&](EmbeddedConnection& store) {
        ++fills;
        store.nativeExecute(
            QStringLiteral("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, Firstname, "
                           "Middlename, PasswordHash, Active) VALUES('ADMIN', 'Reyes', 'Ana', '', "
                           "%1, '1'); INSERT INTO Password.tbPasswordAppAccess(EmployeeID, "
                           "AppCode) VALUES('ADMIN', 'TALO')")
                .arg(lit(PasswordHash::make(QStringLiteral("admin123")))));
    };
    QTemporaryDir fresh;
    const QString folder = fresh.filePath(QStringLiteral("new/demo"));
    QVERIFY(!EmbeddedDatabaseOpener::holdsStore(folder));
    {
        EmbeddedDatabaseOpener opener(folder, demo);
        const std::unique_ptr<Connection> connection = opener.open({}, {});
        QVERIFY(EmbeddedDatabaseOpener::holdsStore(folder));
        QVERIFY(!opener.needsFirstAdministrator(QStringLiteral("TALO")));
        PasswordRegister passwords(*connection, QStringLiteral("TALO"));
        QVERIFY(passwords.signIn(QStringLiteral("ADMIN"), QStringLiteral("admin123")));
    }
    {
        // Opening the same folder again keeps what it holds.
        EmbeddedDatabaseOpener opener(folder, demo);
        const std::unique_ptr<Connection> connection = opener.open({}, {});
        QCOMPARE(fills, 1);
    }

    // A folder that already holds a store, even an empty one, is never filled.
    Fixture existing;
    EmbeddedDatabaseOpener opener(existing.dir.path(), demo);
    const std::unique_ptr<Connection> connection = opener.open({}, {});
    QCOMPARE(fills, 1);
    QVERIFY(opener.needsFirstAdministrator(QStringLiteral("TALO")));
}

QTEST_MAIN(tst_SignInFirstStart)
#include "tst_SignInFirstStart.moc"
