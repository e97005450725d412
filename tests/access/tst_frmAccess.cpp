#include "access/frmAccess.h"
#include "context/GlobalLookups.h"
#include "context/WindowRegistry.h"
#include "data/SqlText.h"
#include "shell/mdiTALO.h"
#include "support/CaptionCheck.h"
#include "support/DialogUi.h"
#include "support/StandInHash.h"
#include "support/TestEnvironment.h"
#include "widgets/FlexGrid.h"
#include "widgets/Twips.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString admin = QStringLiteral("ADMIN01");
const QString listStatement = QStringLiteral(
    "Select Code [CODE], Description [DESCRIPTION], '' [ACCESS] from Station..tbTALOUserSetUp");

QString searchStatement(const QString& t)
{
    return QStringLiteral("Select Distinct EmployeeID [STAFF ID], Lastname+', '+Firstname+' '+"
                          "Middlename[NAME] from Password..tbPasswordMain where EmployeeID = '%1' "
                          "or Lastname like '%1' + '%'")
        .arg(t);
}

QString rightsStatement(const QString& id)
{
    return QStringLiteral(
               "Select UserRights [Rights] from Station..tbTALOUserRights where UserID = '%1'")
        .arg(id);
}

QString saveStatement(const QString& id, const QString& rights)
{
    return QStringLiteral("Station..Save_TALO_User_Rights '%1', '%2','%3'").arg(id, rights, admin);
}

QString lit(const QString& value)
{
    return QLatin1Char('\'') + SqlText::quote(value) + QLatin1Char('\'');
}

void addPerson(TestEnvironment& env, const QString& id, const QString& last, const QString& first,
               const QString& middle)
{
    env.sqlite(QStringLiteral("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, "
                              "Firstname, Middlename) VALUES(%1, %2, %3, %4)")
                   .arg(lit(id), lit(last), lit(first), lit(middle)));
}

QString storedRights(TestEnvironment& env, const QString& id)
{
    return env.scalar(
        QStringLiteral("SELECT UserRights FROM Station.tbTALOUserRights WHERE UserID = %1")
            .arg(lit(id)));
}

// The window's controls, found by name while it is shown.
struct Ui : DialogUi
{
    using DialogUi::DialogUi;
    // Searches from the rights panel with Enter and chooses the first person listed.
    void choose(const QString& search) const
    {
        QTest::keyClicks(edit("txtSearchEntry"), search);
        QTest::keyClick(edit("txtSearchEntry"), Qt::Key_Return);
        dblClickRow("mshEmpList", 1);
    }
    QStringList access() const { return column("mshSearchAccess", 3); }
    int empListLeft() const { return Twips::fromPixels(get<QFrame>("fraEmpList")->x()); }
};

void runWindow(TestEnvironment& env, const std::function<void(const Ui&)>& step)
{
    env.modal().then([&](QDialog& d) { step(Ui(d)); });
    env.context().windows().get<frmAccess>().showModal();
    QCOMPARE(env.modal().unexpected(), 0);
}

} // namespace

class tst_frmAccess : public QObject
{
    Q_OBJECT

private slots:
    void layoutAtLoad()
    {
        TestEnvironment env(admin);
        runWindow(env, [&](const Ui& ui) {
            QCOMPARE(ui.dialog.windowTitle(), QStringLiteral("User Access"));
            QCOMPARE(Twips::fromPixels(ui.dialog.width()), 4875);
            const QString places =
                "fraSearch 30 30 4695 6255,txtSearchEntry 120 120 3135 500,cmdSearch 3360 120 "
                "1215 495,lblEmpName 120 720 4455 375,mshSearchAccess 120 1200 4455 4335,lblAccess "
                "120 5640 1815 615,lblEmpNum 120 5640 855 375,lblRights 1080 5640 855 375,cmdSave "
                "2040 5640 1215 495,cmdCancelRights 3360 5640 1215 495,fraEmpList 4920 30 4695 "
                "6255,lblCode 120 120 3135 375,txtEmpSearch 120 480 3165 500,cmdSearchEmp2 3360 "
                "480 1215 495,mshEmpList 120 1200 4455 4335,cmdSelect 2040 5640 1215 495,cmdCancel "
                "3360 5640 1215 495";
            for (const QString& place : places.split(',')) {
                const QStringList f = place.split(' ');
                QCOMPARE(ui.get<QWidget>(f[0])->geometry(),
                         Twips::rect(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt()));
            }
            QStringList captions;
            for (const char* name : {"cmdSearch", "cmdSave", "cmdCancelRights", "cmdSearchEmp2",
                                     "cmdSelect", "cmdCancel"})
                captions << ui.get<QPushButton>(name)->text();
            QCOMPARE(captions.join(','), QStringLiteral("SEARCH,Save,Cancel,Search,Select,Cancel"));
            QCOMPARE(ui.label("lblCode")->text(), QStringLiteral("Personnel List"));
            QCOMPARE(ui.label("lblAccess")->text(), "Double Click to Change" + QString(4, ' ') +
                                                        "N - No Access" + QString(19, ' ') +
                                                        "Y - With Access");
            QVERIFY(!ui.label("lblEmpNum")->isVisible() && !ui.label("lblRights")->isVisible());
            QCOMPARE(cutOffCaptions(&ui.dialog).join(", "), QString());
            QVERIFY(env.statements().isEmpty());
        });
    }

    void searchOpensByButtonAndEnterAndFindsByIdOrLastName()
    {
        TestEnvironment env(admin);
        addPerson(env, "1001", "Santos", "Maria", "Cruz");
        addPerson(env, "1002", "Santiago", "Jose", "Reyes");
        addPerson(env, "2001", "Reyes", "Ana", "Lim");
        runWindow(env, [&](const Ui& ui) {
            // Keys other than Enter are only typed.
            QTest::keyClicks(ui.edit("txtSearchEntry"), "Sant");
            QVERIFY(env.statements().isEmpty());
            QTest::keyClick(ui.edit("txtSearchEntry"), Qt::Key_Return);
            QCOMPARE(ui.empListLeft(), 30);
            QCOMPARE(ui.edit("txtEmpSearch")->text(), QStringLiteral("Sant"));
            QCOMPARE(env.statements(), QStringList{searchStatement("Sant")});
            FlexGrid* list = ui.grid("mshEmpList");
            QCOMPARE(list->TextMatrix(0, 1), QStringLiteral("STAFF ID"));
            QCOMPARE(list->TextMatrix(0, 2), QStringLiteral("NAME"));
            QStringList ids = ui.column("mshEmpList", 1);
            ids.sort();
            QCOMPARE(ids, (QStringList{"1001", "1002"}));
            QVERIFY(list->isEnabled());
            QCOMPARE(list->Row(), 1);

            ui.click("cmdCancel");
            QVERIFY(ui.empListLeft() >= 4875);
            QVERIFY(ui.edit("txtSearchEntry")->text().isEmpty());

            // The button with an empty text lists everybody; a staff ID finds its person.
            env.clearStatements();
            ui.click("cmdSearch");
            QCOMPARE(env.statements(), QStringList{searchStatement("")});
            QCOMPARE(list->Rows(), 4);
            ui.edit("txtEmpSearch")->setText("2001");
            ui.click("cmdSearchEmp2");
            QCOMPARE(ui.column("mshEmpList", 2), QStringList{"Reyes, Ana Lim"});

            // No match: one blank, disabled row; choosing hands over an empty staff ID.
            ui.edit("txtEmpSearch")->setText("Zzz");
            ui.click("cmdSearchEmp2");
            QCOMPARE(list->Rows(), 2);
            QVERIFY(!list->isEnabled());
            ui.click("cmdSelect");
            QCOMPARE(ui.label("lblEmpNum")->text(), QString());
            QCOMPARE(ui.label("lblEmpName")->text(), QStringLiteral(" "));
        });
        QVERIFY(env.messages().errors().isEmpty());
    }

    void searchFollowsEachKeyAndKeepsQuotesInside()
    {
        TestEnvironment env(admin);
        addPerson(env, "3001", "O'Brien", "Liam", "Paul");
        addPerson(env, "2001", "Reyes", "Ana", "Lim");
        runWindow(env, [&](const Ui& ui) {
            ui.click("cmdSearch");
            env.clearStatements();
            QTest::keyClicks(ui.edit("txtEmpSearch"), "Re");
            QCOMPARE(env.statements(), (QStringList{searchStatement("R"), searchStatement("Re")}));
            QCOMPARE(ui.column("mshEmpList", 1), QStringList{"2001"});
            QTest::keyClick(ui.edit("txtEmpSearch"), Qt::Key_Backspace);
            QTest::keyClick(ui.edit("txtEmpSearch"), Qt::Key_Return);
            QCOMPARE(env.statements().mid(2),
                     (QStringList{searchStatement("R"), searchStatement("R")}));

            ui.edit("txtEmpSearch")->clear();
            QTest::keyClicks(ui.edit("txtEmpSearch"), "%'");
            QCOMPARE(env.statements().last(), searchStatement("%''"));
            QTest::keyClick(ui.edit("txtEmpSearch"), Qt::Key_Backspace);
            QCOMPARE(ui.grid("mshEmpList")->Rows(), 3); // a wildcard, as on the server
            ui.click("cmdCancel");
            ui.choose("O'B");
            QCOMPARE(env.statements().at(env.statements().size() - 3), searchStatement("O''B"));
            QCOMPARE(ui.label("lblEmpName")->text(), QStringLiteral(" O'Brien, Liam Paul"));
        });
        QVERIFY(env.messages().errors().isEmpty());
    }

    void choosingShowsTheStoredRightsString()
    {
        TestEnvironment env(admin);
        env.sqlite("DELETE FROM Station.tbTALOUserSetUp WHERE Code > 5");
        addPerson(env, "1001", "Santos", "Maria", "Cruz");
        addPerson(env, "2001", "Reyes", "Ana", "Lim");
        env.setRights("1001", "|1|0|3");
        env.setRights("2001", "|1|02");
        runWindow(env, [&](const Ui& ui) {
            ui.choose("1001");
            QCOMPARE(env.statements(), (QStringList{searchStatement("1001"), listStatement,
                                                    rightsStatement("1001")}));
            FlexGrid* grid = ui.grid("mshSearchAccess");
            QCOMPARE(grid->TextMatrix(0, 1), QStringLiteral("CODE"));
            QCOMPARE(grid->TextMatrix(0, 3), QStringLiteral("ACCESS"));
            QCOMPARE(ui.column("mshSearchAccess", 1), (QStringList{"1", "2", "3", "4", "5"}));
            // Codes 4 and 5 lie beyond the three characters of "103".
            QCOMPARE(ui.access(), (QStringList{"Y", "N", "Y", "N", "N"}));
            QCOMPARE(ui.label("lblEmpNum")->text(), QStringLiteral("1001"));
            QCOMPARE(ui.label("lblEmpName")->text(), QStringLiteral(" Santos, Maria Cruz"));
            QCOMPARE(ui.label("lblRights")->text(), QStringLiteral("|1|0|3"));
            QVERIFY(ui.empListLeft() >= 4875);
            QCOMPARE(Twips::fromPixels(ui.dialog.width()), 4875);
            QVERIFY(ui.edit("txtSearchEntry")->text().isEmpty());
            QVERIFY(ui.edit("txtEmpSearch")->text().isEmpty());

            // Parts compare as exact text: "02" is not right 2.
            ui.choose("2001");
            QCOMPARE(ui.access(), (QStringList{"Y", "N", "N", "N", "N"}));

            // Cancelling a later search forgets the person but not the grid.
            ui.click("cmdSearch");
            ui.click("cmdCancel");
            QCOMPARE(ui.label("lblEmpNum")->text(), QString());
            QCOMPARE(ui.label("lblEmpName")->text(), QString());
            QCOMPARE(ui.access(), (QStringList{"Y", "N", "N", "N", "N"}));
        });
    }

    void marksToggledOnAPersonWithoutRightsAreStoredInGridOrder()
    {
        TestEnvironment env(admin);
        addPerson(env, "1002", "Santiago", "Jose", "Reyes");
        runWindow(env, [&](const Ui& ui) {
            ui.choose("1002");
            QCOMPARE(ui.access(), QStringList(8, QString()));
            for (int row : {1, 2, 5})
                ui.dblClickRow("mshSearchAccess", row);
            QCOMPARE(ui.access(), (QStringList{"Y", "Y", "", "", "Y", "", "", ""}));
            ui.dblClickRow("mshSearchAccess", 5);
            QCOMPARE(ui.access().at(4), QStringLiteral("N"));
            ui.dblClickRow("mshSearchAccess", 5);
            QCOMPARE(ui.access().at(4), QStringLiteral("Y"));
            QVERIFY(storedRights(env, "1002").isEmpty()); // nothing stored before Save
            env.clearStatements();
            ui.click("cmdSave");
            QCOMPARE(env.statements(), (QStringList{saveStatement("1002", "|1|2|0|0|5|0|0|0"),
                                                    rightsStatement("1002")}));
            QCOMPARE(env.messages().infos(), QStringList{"Done."});
            // Read back from the store into the grid.
            QCOMPARE(ui.access(), (QStringList{"Y", "Y", "N", "N", "Y", "N", "N", "N"}));
            QCOMPARE(ui.label("lblRights")->text(), QStringLiteral("|1|2|0|0|5|0|0|0"));
            // Saving again replaces the row.
            ui.dblClickRow("mshSearchAccess", 1);
            ui.click("cmdSave");
        });
        QCOMPARE(env.query("SELECT UserRights, ModifiedBy FROM Station.tbTALOUserRights WHERE "
                           "UserID = '1002'")
                     .rows(),
                 (QList<QStringList>{{"|0|2|0|0|5|0|0|0", admin}}));
    }

    void saveWithoutAPersonIsRefusedAndCancelDropsEdits()
    {
        TestEnvironment env(admin);
        addPerson(env, "1001", "Santos", "Maria", "Cruz");
        env.setRights("1001", "|1|0|3|0|0|0|0|0");
        runWindow(env, [&](const Ui& ui) {
            ui.choose("1001");
            ui.click("cmdSearch");
            ui.click("cmdCancel");
            ui.dblClickRow("mshSearchAccess", 2);
            env.clearStatements();
            ui.click("cmdSave");
            QCOMPARE(env.statements(), QStringList{saveStatement("", "|1|2|3|0|0|0|0|0")});
            QCOMPARE(env.messages().errors().size(), 1);
            QVERIFY(env.messages().infos().isEmpty());
            // The edits stay on screen until the window is closed.
            QCOMPARE(ui.access().mid(0, 3), (QStringList{"Y", "Y", "Y"}));
            ui.click("cmdCancelRights");
            QVERIFY(!ui.dialog.isVisible());
        });
        QCOMPARE(env.scalar("SELECT COUNT(*) FROM Station.tbTALOUserRights WHERE UserID = ''"),
                 QStringLiteral("0"));
        QCOMPARE(storedRights(env, "1001"), QStringLiteral("|1|0|3|0|0|0|0|0"));
    }

    void failedReadKeepsTheSearchOnScreen()
    {
        TestEnvironment env(admin);
        addPerson(env, "1001", "Santos", "Maria", "Cruz");
        runWindow(env, [&](const Ui& ui) {
            QTest::keyClicks(ui.edit("txtSearchEntry"), "San");
            ui.click("cmdSearch");
            env.sqlite("DROP TABLE Station.tbTALOUserSetUp");
            ui.click("cmdSelect");
            QCOMPARE(env.messages().errors().size(), 1);
            QCOMPARE(ui.empListLeft(), 30);
            QCOMPARE(ui.edit("txtEmpSearch")->text(), QStringLiteral("San"));
            QCOMPARE(ui.label("lblEmpNum")->text(), QString());
        });
    }

    void failedReadsLeaveNoStaleRowToChoose()
    {
        TestEnvironment env(admin);
        addPerson(env, "1001", "Santos", "Maria", "Cruz");
        runWindow(env, [&](const Ui& ui) {
            ui.choose("San");
            QVERIFY(ui.grid("mshSearchAccess")->isEnabled());
            QVERIFY(ui.grid("mshSearchAccess")->Rows() > 2);
            // Tab leaves either list for the next control; the current rows stay.
            QVERIFY(!Ui::tabFrom(ui.grid("mshEmpList")).isEmpty());
            QVERIFY(!Ui::tabFrom(ui.grid("mshSearchAccess")).isEmpty());

            // The access list is read again for the next person and fails.
            env.sqlite("DROP TABLE Station.tbTALOUserSetUp");
            QTest::keyClicks(ui.edit("txtSearchEntry"), "San");
            ui.click("cmdSearch");
            QVERIFY(ui.grid("mshEmpList")->isEnabled());
            ui.click("cmdSelect");
            QCOMPARE(env.messages().errors().size(), 1);
            FlexGrid* access = ui.grid("mshSearchAccess");
            QVERIFY(!access->isEnabled());
            QCOMPARE(access->Rows(), 2);
            QCOMPARE(access->TextMatrix(1, 1), QString());

            // The personnel search fails while Santos is listed: he is gone from the list.
            env.sqlite("DROP TABLE Password.tbPasswordMain");
            QTest::keyClicks(ui.edit("txtEmpSearch"), "t");
            QCOMPARE(env.messages().errors().size(), 2);
            FlexGrid* people = ui.grid("mshEmpList");
            QVERIFY(!people->isEnabled());
            QCOMPARE(people->Rows(), 2);
            QCOMPARE(people->TextMatrix(1, 1), QString());
            QCOMPARE(people->TextMatrix(1, 2), QString());
        });
    }

    void lastManagerKeepsRightFive()
    {
        // ADMIN01 is the only active person with right 5 who may sign in.
        TestEnvironment env(admin, "|1|2|3|4|5|6|7|8");
        addPerson(env, admin, "Admin", "Ana", "Cruz");
        addPerson(env, "BOSS", "Boss", "Ben", "Lim");
        env.sqlite("INSERT INTO Password.tbPasswordAppAccess VALUES ('ADMIN01', 'TALO'), "
                   "('BOSS', 'TALO')");
        // A manager has a password (any well-formed hash here).
        env.sqlite(QString("UPDATE Password.tbPasswordMain SET PasswordHash = '" + standInHash() +
                           "' WHERE EmployeeID IN ('%1', 'BOSS')")
                       .arg(admin));
        runWindow(env, [&](const Ui& ui) {
            ui.choose(admin);
            ui.dblClickRow("mshSearchAccess", 5);
            ui.click("cmdSave");
            QCOMPARE(env.messages().errors().size(), 1);
            QCOMPARE(env.messages().errors().at(0).errorNumber, 50000);
            QCOMPARE(env.messages().errors().at(0).text,
                     QStringLiteral("ADMIN01 is the last person with right 5 who may sign in; "
                                    "give right 5 to someone else first."));
            QVERIFY(env.messages().infos().isEmpty());
            QCOMPARE(storedRights(env, admin), QStringLiteral("|1|2|3|4|5|6|7|8"));
            QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbTALOAuditLog"),
                     QStringLiteral("0"));

            // Once BOSS holds right 5 as well, ADMIN01 may give it up.
            env.setRights("BOSS", "|0|0|0|0|5");
            ui.click("cmdSave");
            QCOMPARE(env.messages().infos(), QStringList{"Done."});
        });
        QCOMPARE(storedRights(env, admin), QStringLiteral("|1|2|3|4|0|6|7|8"));
    }

    void grantCountsAtTheNextCheckWhileMenusKeepTheirStartUpState()
    {
        // A senior clerk who may hand out rights signs in, then grants himself the revoke
        // right and the meal master through the Settings menu.
        const QString clerk = QStringLiteral("CLERK02");
        TestEnvironment env(clerk, "|0|0|0|0|5|6|0|0");
        addPerson(env, clerk, "Dizon", "Carlo", "Mae");
        mdiTALO main(env.context(),
                     [&] { return std::make_unique<TestUser>(&env.recorder(), clerk); });
        QVERIFY(main.Form_Load());
        auto* mnuMeals = main.findChild<QAction*>("mnuMeals");
        QVERIFY(!mnuMeals->isEnabled());
        QVERIFY(!CheckUserRights(env.context(), "8"));

        env.modal().then([&](QDialog& d) {
            const Ui ui(d);
            ui.choose(clerk);
            ui.dblClickRow("mshSearchAccess", 3);
            ui.dblClickRow("mshSearchAccess", 8);
            ui.click("cmdSave");
        });
        main.findChild<QAction*>("mnuAccess")->trigger();
        QCOMPARE(env.modal().shown().last(), QStringLiteral("frmAccess"));
        QCOMPARE(storedRights(env, clerk), QStringLiteral("|0|0|3|0|5|6|0|8"));
        QVERIFY(CheckUserRights(env.context(), "8"));
        QVERIFY(!mnuMeals->isEnabled());
    }
};

QTEST_MAIN(tst_frmAccess)
#include "tst_frmAccess.moc"
