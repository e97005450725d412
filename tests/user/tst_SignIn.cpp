#include "SignInFixture.h"
#include "user/OdbcDatabaseOpener.h"
#include "user/SignInDialog.h"

#include <QSysInfo>

using namespace signin_test;

class tst_SignIn : public QObject
{
    Q_OBJECT

private slots:
    void acceptsTheRightPasswordAndTakesTheStoredId();
    void refusalsLookAlikeAndTheDialogStaysForAnotherTry();
    void refusesPeopleWhoMayNotUseTheApplication_data();
    void refusesPeopleWhoMayNotUseTheApplication();
    void fiveFailuresInARowCloseTheDialog();
    void cancelLeavesTheUserSignedOut();
    void hostileInputSignsNobodyInAndBreaksNothing_data();
    void hostileInputSignsNobodyInAndBreaksNothing();
    void databaseErrorsAreShownAndNotCountedAsFailures();
    void aStoreThatCannotBeOpenedEndsTheSignIn();
    void aRefusedDatabaseLoginIsNotASignInFailure();
};

void tst_SignIn::acceptsTheRightPasswordAndTakesTheStoredId()
{
    Fixture f;
    f.addPerson(QStringLiteral("ADMIN"), QStringLiteral("Reyes"), QStringLiteral("Ana"),
                QStringLiteral("admin123"));
    QWidget owner;
    f.user->sethwndParentForm(&owner);
    QWidget* dialogParent = nullptr;
    f.modal.then([&](QDialog& dialog) {
        dialogParent = dialog.parentWidget();
        // The staff ID is typed loosely; the register's own spelling is kept.
        typeSignIn(dialog, QStringLiteral(" admin "), QStringLiteral("admin123"));
        QVERIFY(!dialog.isVisible());
    });

    f.user->ShowMain();

    QCOMPARE(f.modal.shown(), QStringList{QStringLiteral("SignInDialog")});
    QCOMPARE(dialogParent, &owner);
    QVERIFY(connected(*f.user));
    QCOMPARE(f.user->EmployeeCode(), QStringLiteral("ADMIN"));
    QCOMPARE(f.user->EmployeeName(), QStringLiteral("Ana Reyes"));
    QVERIFY(f.user->SQLConnection() != nullptr);
    QCOMPARE(f.user->SQLConnection(), f.user->SQLConnection());
    QCOMPARE(f.user->ServerName(), f.user->SQLConnection()->serverName());
    QVERIFY(!f.user->ServerName().isEmpty());
    QVERIFY(f.messages.messages().isEmpty());
    QCOMPARE(f.opener.recorder->statements(),
             QStringList({QStringLiteral("Select EmployeeID, Lastname, Firstname, PasswordHash "
                                         "from Password..tbPasswordMain where EmployeeID = "
                                         "'admin' and Active = '1'"),
                          QStringLiteral("Select EmployeeID, AppCode from "
                                         "Password..tbPasswordAppAccess where EmployeeID = "
                                         "'ADMIN' and AppCode = 'TALO'")}));
}

void tst_SignIn::refusalsLookAlikeAndTheDialogStaysForAnotherTry()
{
    Fixture f;
    f.addPerson(QStringLiteral("CLERK01"), QStringLiteral("Cruz"), QStringLiteral("Ben"),
                QStringLiteral("clerk123"));
    f.modal.then([](QDialog& dialog) {
        typeSignIn(dialog, QStringLiteral("CLERK01"), QStringLiteral("Clerk123"));
        QVERIFY(dialog.isVisible());
        // A refused password is cleared; the staff ID stays for the next try.
        QCOMPARE(child<QLineEdit>(dialog, "txtPassword")->text(), QString());
        QCOMPARE(child<QLineEdit>(dialog, "txtStaffID")->text(), QStringLiteral("CLERK01"));
        typeSignIn(dialog, QStringLiteral("NOBODY"), QStringLiteral("clerk123"));
        QVERIFY(dialog.isVisible());
        typeSignIn(dialog, QStringLiteral(""), QStringLiteral(""));
        QVERIFY(dialog.isVisible());
        typeSignIn(dialog, QStringLiteral("CLERK01"), QStringLiteral("clerk123"));
        QVERIFY(!dialog.isVisible());
    });

    f.user->ShowMain();

    QVERIFY(connected(*f.user));
    QCOMPARE(f.user->EmployeeCode(), QStringLiteral("CLERK01"));
    // Wrong password, unknown ID and empty input get the very same message.
    QCOMPARE(f.messages.infos(), QStringList(3, SignInDialog::refusalText()));
    QVERIFY(f.messages.errors().isEmpty());
}

void tst_SignIn::refusesPeopleWhoMayNotUseTheApplication_data()
{
    QTest::addColumn<QString>("appCode");
    QTest::addColumn<bool>("active");
    QTest::newRow("access to another application only") << "PAYR" << true;
    QTest::newRow("no application access at all") << "" << true;
    QTest::newRow("inactive person") << "TALO" << false;
}

void tst_SignIn::refusesPeopleWhoMayNotUseTheApplication()
{
    QFETCH(QString, appCode);
    QFETCH(bool, active);
    Fixture f;
    f.addPerson(QStringLiteral("ADMIN"), QStringLiteral("Reyes"), QStringLiteral("Ana"),
                QStringLiteral("admin123"));
    f.addPerson(QStringLiteral("NURSE7"), QStringLiteral("Lim"), QStringLiteral("Joy"),
                QStringLiteral("nurse777"), appCode, active);
    f.modal.then([](QDialog& dialog) {
        typeSignIn(dialog, QStringLiteral("NURSE7"), QStringLiteral("nurse777"));
        QVERIFY(dialog.isVisible());
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
    });

    f.user->ShowMain();

    QVERIFY(!connected(*f.user));
    QCOMPARE(f.messages.texts(), QStringList{SignInDialog::refusalText()});
}

void tst_SignIn::fiveFailuresInARowCloseTheDialog()
{
    Fixture f;
    f.addPerson(QStringLiteral("ADMIN"), QStringLiteral("Reyes"), QStringLiteral("Ana"),
                QStringLiteral("admin123"));
    int visibleAfter = 0;
    f.modal.then([&](QDialog& dialog) {
        for (int attempt = 1; attempt <= 5; ++attempt) {
            typeSignIn(dialog, QStringLiteral("ADMIN"), QStringLiteral("guess%1").arg(attempt));
            if (dialog.isVisible())
                ++visibleAfter;
        }
    });

    f.user->ShowMain();

    QCOMPARE(visibleAfter, 4);
    QVERIFY(!connected(*f.user));
    QCOMPARE(f.user->EmployeeCode(), QString());
    // Each refusal is told, and the last one says why the program is about to end.
    QCOMPARE(f.messages.infos().size(), 6);
    QCOMPARE(f.messages.infos().last(),
             QStringLiteral("Too many failed sign-ins. Talodesk will close."));
    QCOMPARE(f.modal.unexpected(), 0);
    // Each failure is on record, by the ID typed and the workstation, with no user.
    QCOMPARE(f.scalar(QStringLiteral(
                 "SELECT count(*) || '|' || min(RecordKey) || '|' || min(Details) || '|' || "
                 "max(UserID) FROM Station.tbTALOAuditLog WHERE TableName = 'SignIn' AND "
                 "Action = 'FAILED'")),
             QStringLiteral("5|ADMIN|Workstation: ") + QSysInfo::machineHostName() +
                 QStringLiteral("|"));
    // The count starts again on the next sign-in: a new dialog allows five new tries.
    f.modal.then([](QDialog& dialog) {
        typeSignIn(dialog, QStringLiteral("ADMIN"), QStringLiteral("admin123"));
    });
    f.user->ShowMain();
    QVERIFY(connected(*f.user));
}

void tst_SignIn::cancelLeavesTheUserSignedOut()
{
    Fixture f;
    f.addPerson(QStringLiteral("ADMIN"), QStringLiteral("Reyes"), QStringLiteral("Ana"),
                QStringLiteral("admin123"));
    f.modal.then([](QDialog& dialog) {
        child<QLineEdit>(dialog, "txtStaffID")->setText(QStringLiteral("ADMIN"));
        child<QLineEdit>(dialog, "txtPassword")->setText(QStringLiteral("admin123"));
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
    });

    f.user->ShowMain();

    QVERIFY(!connected(*f.user));
    QVERIFY(f.user->Connected().canConvert<bool>());
    QCOMPARE(f.user->EmployeeCode(), QString());
    QCOMPARE(f.user->EmployeeName(), QString());
    QVERIFY(f.messages.messages().isEmpty());
    QVERIFY(f.opener.recorder->statements().isEmpty());
}

void tst_SignIn::hostileInputSignsNobodyInAndBreaksNothing_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("password");
    QTest::newRow("quote trick in the ID") << "' or '1'='1"
                                           << "x";
    QTest::newRow("comment after the ID") << "ADMIN'--"
                                          << "admin123";
    QTest::newRow("statement after the ID") << "x'; DELETE FROM tbPasswordMain; --"
                                            << "x";
    QTest::newRow("wildcard ID") << "%"
                                 << "admin123";
    QTest::newRow("wildcard prefix") << "AD%"
                                     << "admin123";
    QTest::newRow("quote trick in the password") << "ADMIN"
                                                 << "' or '1'='1";
    QTest::newRow("brackets and underscore") << "[A]DMI_"
                                             << "admin123";
    QTest::newRow("1,000 characters")
        << QString(1000, QLatin1Char('A')) << QString(1000, QLatin1Char('\''));
    QTest::newRow("NUL in the ID")
        << QStringLiteral("ADMIN") + QChar(0) + QStringLiteral("x") << "admin123";
}

void tst_SignIn::hostileInputSignsNobodyInAndBreaksNothing()
{
    QFETCH(QString, id);
    QFETCH(QString, password);
    Fixture f;
    f.addPerson(QStringLiteral("ADMIN"), QStringLiteral("Reyes"), QStringLiteral("Ana"),
                QStringLiteral("admin123"));
    f.modal.then([&](QDialog& dialog) {
        typeSignIn(dialog, id, password);
        QVERIFY(dialog.isVisible());
        // What was typed stays a value: the statement carries it whole, quotes doubled.
        // A NUL, which no statement can carry, is sent as the replacement character.
        const QString sent = f.opener.recorder->statements().value(0);
        const QString typed = id.trimmed().replace(QChar(0), QChar(QChar::ReplacementCharacter));
        QVERIFY2(sent.contains(QLatin1Char('\'') + SqlText::quote(typed) +
                               QStringLiteral("' and Active = '1'")),
                 qPrintable(sent.left(200)));
        // The register still works for the right person afterwards.
        typeSignIn(dialog, QStringLiteral("ADMIN"), QStringLiteral("admin123"));
    });

    f.user->ShowMain();

    QCOMPARE(f.messages.texts(), QStringList{SignInDialog::refusalText()});
    QVERIFY(connected(*f.user));
    QCOMPARE(f.user->EmployeeCode(), QStringLiteral("ADMIN"));
    QCOMPARE(f.scalar(QStringLiteral("SELECT COUNT(*) FROM Password.tbPasswordMain")),
             QStringLiteral("1"));
    // The wrong try is on record as any other.
    QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM Station.tbTALOAuditLog WHERE "
                                     "TableName = 'SignIn' AND Action = 'FAILED'")),
             QStringLiteral("1"));
}

void tst_SignIn::databaseErrorsAreShownAndNotCountedAsFailures()
{
    Fixture f;
    f.addPerson(QStringLiteral("ADMIN"), QStringLiteral("Reyes"), QStringLiteral("Ana"),
                QStringLiteral("admin123"));
    f.modal.then([&](QDialog& dialog) {
        f.opener.native().nativeExecute(
            QStringLiteral("ALTER TABLE Password.tbPasswordAppAccess RENAME TO Gone"));
        for (int attempt = 0; attempt < 6; ++attempt)
            typeSignIn(dialog, QStringLiteral("ADMIN"), QStringLiteral("admin123"));
        // Six errors are not six refusals: the dialog is still there.
        QVERIFY(dialog.isVisible());
        QCOMPARE(child<QLineEdit>(dialog, "txtPassword")->text(), QStringLiteral("admin123"));
        f.opener.native().nativeExecute(
            QStringLiteral("ALTER TABLE Password.Gone RENAME TO tbPasswordAppAccess"));
        QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
    });

    f.user->ShowMain();

    QCOMPARE(f.messages.errors().size(), 6);
    QVERIFY(f.messages.errors().constFirst().errorNumber != 0);
    QVERIFY(f.messages.infos().isEmpty());
    QVERIFY(connected(*f.user));
}

void tst_SignIn::aStoreThatCannotBeOpenedEndsTheSignIn()
{
    Fixture f;
    f.opener.failOpen = true;

    f.user->ShowMain();

    QVERIFY(!connected(*f.user));
    QVERIFY(f.modal.shown().isEmpty());
    QCOMPARE(f.messages.errors().size(), 1);
    QCOMPARE(f.messages.errors().constFirst().errorNumber, 14);
    QCOMPARE(f.user->SQLConnection(), nullptr);
}

void tst_SignIn::aRefusedDatabaseLoginIsNotASignInFailure()
{
    QTemporaryDir dir;
    OdbcDatabaseOpener opener(QStringLiteral("Driver=") +
                                  dir.filePath(QStringLiteral("no-such-driver.so")) +
                                  QStringLiteral(";Server=db1;Database=Station"),
                              true);
    ScriptedModalRunner modal;
    ScriptedMessageService messages;
    clsCurrentUser user(opener, modal, messages);
    user.setPasswordDeptCode(QStringLiteral("TALO"));
    modal.then([](QDialog& dialog) {
        child<QLineEdit>(dialog, "txtDatabaseLogin")->setText(QStringLiteral("talo_app"));
        child<QLineEdit>(dialog, "txtDatabasePassword")->setText(QStringLiteral("pw"));
        for (int attempt = 0; attempt < SignInDialog::maxFailures; ++attempt)
            typeSignIn(dialog, QStringLiteral("ADMIN"), QStringLiteral("admin123"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(child<QLineEdit>(dialog, "txtDatabaseLogin")->text(), QStringLiteral("talo_app"));
        QTest::mouseClick(child<QPushButton>(dialog, "cmdCancel"), Qt::LeftButton);
    });

    user.ShowMain();

    QVERIFY(!connected(user));
    QCOMPARE(messages.errors().size(), SignInDialog::maxFailures);
    QVERIFY(messages.infos().isEmpty());
    QCOMPARE(user.SQLConnection(), nullptr);
}

QTEST_MAIN(tst_SignIn)
#include "tst_SignIn.moc"
