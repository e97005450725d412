#include "context/WindowRegistry.h"
#include "counter/CounterData.h"
#include "history/frmDistributedMeals.h"
#include "masters/frmMealBuildFile.h"
#include "masters/frmMealTypeBuildFile.h"
#include "server/EmbeddedStore.h"
#include "settings/AppSettingsData.h"
#include "support/TestEnvironment.h"
#include "support/WidgetUi.h"
#include "widgets/FlexGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeView>

namespace {

const QString kAllRights = QStringLiteral("|1|2|3|4|5|6|7|8");

// The history window on a store with six meals over two days (the server date is
// 12/8/2026): meal 5 is revoked, meals 3 and 6 share their date-time.
class History : public WidgetUi
{
public:
    explicit History(const QString& rights = kAllRights, const QString& user = "CLERK01")
        : env(user, rights)
    {
        env.addEmployee("E001", "O'Neil", "Mary", {}, "NURSING");
        env.addEmployee("E002", "Smith", "John", "P", "KITCHEN");
        env.addEmployee("E003", "Smithers", "Ann", {}, "KITCHEN");
        env.addMealType("BF", "Breakfast");
        env.addMealType("LU", "Lunch");
        env.addMeal("M01", "Rice porridge", "BF");
        env.addMeal("M02", "Fish fillet", "LU");
        meal(1, "E001", "M01", "Breakfast", "2026-12-07 07:00:00", "CLERK01");
        meal(2, "E002", "M02", "Lunch", "2026-12-07 12:00:00", "CLERK02");
        meal(3, "E001", "M02", "Lunch", "2026-12-08 12:00:00", "CLERK01");
        meal(4, "E002", "M01", "Breakfast", "2026-12-08 07:30:00", "CLERK02", "no sugar, \"hot\"");
        meal(5, "E003", "M02", "Lunch", "2026-12-08 12:05:00", "CLERK01");
        meal(6, "E002", "M02", "Lunch", "2026-12-08 12:00:00", "CLERK01");
        env.sqlite("UPDATE Station.tbTALOEmployeeDistributedMeals SET RevokedBy = 'SUPER01', "
                   "RevokedAt = '2026-12-08 12:10:00' WHERE TransNum = 5");
        window = &env.context().windows().get<frmDistributedMeals>();
        root = window;
        window->resize(1000, 700);
        window->show();
        window->Form_Load();
    }

    void meal(int trans, const QString& emp, const QString& code, const QString& mode,
              const QString& date, const QString& clerk, const QString& remarks = {})
    {
        env.sqlite(QStringLiteral("INSERT INTO Station.tbTALOEmployeeDistributedMeals(TransNum, "
                                  "EmpNum, MealCode, MealMode, MealDate, Remarks, ClerkID, "
                                  "Source, RecordedAt) VALUES (%1, '%2', '%3', '%4', '%5', "
                                  "'%6', '%7', 'S', '%5')")
                       .arg(trans)
                       .arg(emp, code, mode, date, QString(remarks).replace("'", "''"), clerk));
    }

    // The history's lists are table views, not grids.
    QAbstractItemView* grid(const char* name = "grdMeals") const
    {
        return get<QAbstractItemView>(name);
    }
    QString cell(int row, const QString& field, const char* name = "grdMeals") const
    {
        const QAbstractItemModel* model = grid(name)->model();
        for (int c = 0; c < model->columnCount(); ++c) {
            if (model->headerData(c, Qt::Horizontal, Qt::UserRole).toString() == field)
                return model->index(row, c).data().toString();
        }
        return QStringLiteral("<no %1>").arg(field);
    }
    QStringList column(const QString& field, const char* name = "grdMeals") const
    {
        QStringList out;
        for (int r = 0; r < grid(name)->model()->rowCount(); ++r)
            out << cell(r, field, name);
        return out;
    }
    void setRange(const QDate& from, const QDate& to)
    {
        get<QDateTimeEdit>("dtpFrom")->setDateTime(QDateTime(from, QTime(0, 0)));
        get<QDateTimeEdit>("dtpTo")->setDateTime(QDateTime(to, QTime(23, 59, 59)));
    }
    QStringList sent() const
    {
        QStringList out;
        for (const QString& s : env.statements()) {
            if (!s.startsWith("Select UserRights"))
                out << s;
        }
        return out;
    }

    TestEnvironment env;
    frmDistributedMeals* window = nullptr;
};

const QDate kMon(2026, 12, 7);
const QDate kTue(2026, 12, 8);

} // namespace

// Opens a master window, types `details` into its detail boxes, sets its status box
// and saves.
template <class Form> void saveInMaster(History& h, const QStringList& details, bool active)
{
    h.env.modal().then([&](QDialog& dialog) {
        for (int i = 0; i < details.size(); ++i)
            dialog.findChild<QLineEdit*>(QStringLiteral("txtMealDetails(%1)").arg(i))
                ->setText(details.at(i));
        dialog.findChild<QCheckBox*>("chkStatus")->setChecked(active);
        QTest::mouseClick(dialog.findChild<QPushButton*>("cmdSave"), Qt::LeftButton);
    });
    h.env.context().windows().get<Form>().showModal();
}

class tst_frmDistributedMeals : public QObject
{
    Q_OBJECT

private slots:
    void filtersAloneAndCombined_data();
    void filtersAloneAndCombined();
    void firstLoadIsTodayWithTheStatementsSent();
    void employeeNameGoesThroughTheLookup();
    void mealGoesThroughTheMealLookup();
    void wrongFiltersChangeNothing();
    void pagesNeitherSkipNorRepeatWhenMealsArrive();
    void revokeFromTheHistory();
    void showRevokedAppliesAtOnceToTheListShown();
    void revokeRefusedOrDeclined();
    void changesViewTellsEachKindOfChange();
    void changesViewNeedsRightFive();
    void batchesShowAsOneLineThatOpens_data();
    void batchesShowAsOneLineThatOpens();
    void everyAuditedChangeReadsAsASentence_data();
    void everyAuditedChangeReadsAsASentence();
    void listsShowWordsAndFollowRevokesAndSearches();
    void exportWritesTheFilteredMeals();
    void failedReadShowsErrorAndKeepsRows();
    void filterBoxesTakeNoMoreThanTheProcedureHolds_data();
    void filterBoxesTakeNoMoreThanTheProcedureHolds();
};

void tst_frmDistributedMeals::filtersAloneAndCombined_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QString>("employee");
    QTest::addColumn<QString>("meal");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("clerk");
    QTest::addColumn<bool>("revoked");
    QTest::addColumn<QStringList>("meals");

    QTest::newRow("today") << kTue << ""
                           << ""
                           << ""
                           << "" << false << QStringList{"4", "3", "6"};
    QTest::newRow("today, revoked shown") << kTue << ""
                                          << ""
                                          << ""
                                          << "" << true << QStringList{"4", "3", "6", "5"};
    QTest::newRow("two days") << kMon << ""
                              << ""
                              << ""
                              << "" << false << QStringList{"1", "2", "4", "3", "6"};
    QTest::newRow("employee number") << kMon << "e002"
                                     << ""
                                     << ""
                                     << "" << false << QStringList{"2", "4", "6"};
    QTest::newRow("employee by unique last name, revoked shown") << kMon << "Smithers"
                                                                 << ""
                                                                 << ""
                                                                 << "" << true << QStringList{"5"};
    QTest::newRow("meal") << kMon << ""
                          << "M01"
                          << ""
                          << "" << false << QStringList{"1", "4"};
    QTest::newRow("mode") << kMon << ""
                          << ""
                          << "Lunch"
                          << "" << false << QStringList{"2", "3", "6"};
    QTest::newRow("clerk") << kMon << ""
                           << ""
                           << ""
                           << "CLERK02" << false << QStringList{"2", "4"};
    QTest::newRow("clerk, meal and mode, revoked shown")
        << kMon << ""
        << "M02"
        << "Lunch"
        << "clerk01" << true << QStringList{"3", "6", "5"};
    QTest::newRow("employee and clerk, nothing") << kMon << "E001"
                                                 << ""
                                                 << ""
                                                 << "CLERK02" << false << QStringList{};
}

void tst_frmDistributedMeals::filtersAloneAndCombined()
{
    QFETCH(QDate, from);
    QFETCH(QString, employee);
    QFETCH(QString, meal);
    QFETCH(QString, mode);
    QFETCH(QString, clerk);
    QFETCH(bool, revoked);
    QFETCH(QStringList, meals);

    History h;
    h.setRange(from, kTue);
    h.get<QLineEdit>("txtEmployee")->setText(employee);
    h.get<QLineEdit>("txtMeal")->setText(meal);
    h.get<QComboBox>("cboMealMode")->setCurrentText(mode);
    h.get<QLineEdit>("txtClerk")->setText(clerk);
    h.get<QCheckBox>("chkShowRevoked")->setChecked(revoked);
    h.click("cmdSearch");

    QCOMPARE(h.column("TRANSNUM"), meals);
    QCOMPARE(h.get<QLabel>("lblCount")->text(),
             QString::number(meals.size()) + (meals.size() == 1 ? " meal" : " meals"));
    QCOMPARE(h.env.messages().texts(), QStringList());
    // Revoked rows carry who revoked them; the others do not.
    for (int r = 0; r < meals.size(); ++r)
        QCOMPARE(h.cell(r, "REVOKEDBY"), meals.at(r) == "5" ? QString("SUPER01") : QString());
}

void tst_frmDistributedMeals::firstLoadIsTodayWithTheStatementsSent()
{
    History h;
    QCOMPARE(h.sent(),
             QStringList({"Station..Count_TALO_DistributedMealHistory '12/8/2026', "
                          "'12/8/2026 11:59:59 PM', '', '', '', '', '0'",
                          "Station..Load_TALO_DistributedMealHistory '12/8/2026', "
                          "'12/8/2026 11:59:59 PM', '', '', '', '', '0', '', '', '200'"}));
    QCOMPARE(h.cell(0, "MEALDATE"), QString("12/8/2026 7:30:00 AM"));
    QCOMPARE(h.cell(0, "NAME"), QString("Smith, John P"));
    QCOMPARE(h.cell(0, "DEPARTMENT"), QString("KITCHEN"));
    QCOMPARE(h.cell(0, "DESCRIPTION"), QString("Rice porridge"));
    QCOMPARE(h.cell(0, "REMARKS"), QString("no sugar, \"hot\""));
    QCOMPARE(h.get<QLabel>("lblCount")->text(), QString("3 meals"));
}

void tst_frmDistributedMeals::employeeNameGoesThroughTheLookup()
{
    History h;
    h.setRange(kMon, kTue);
    // "Smith" begins two last names: the look-up lists both and the double-click
    // chooses Smithers.
    h.env.modal().then([](QDialog& dialog) {
        auto* list = dialog.findChild<FlexGrid*>("mshEmployees");
        QVERIFY(list);
        QCOMPARE(list->Rows(), 3);
        const int row = list->TextMatrix(1, 1) == "E003" ? 1 : 2;
        // The department beside the name tells two employees of one name apart.
        QCOMPARE(list->TextMatrix(row, 3), QString("KITCHEN"));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->rowRect(row).center());
    });
    h.get<QLineEdit>("txtEmployee")->setText("Smith");
    h.get<QCheckBox>("chkShowRevoked")->setChecked(true);
    h.click("cmdSearch");
    QCOMPARE(h.env.modal().shown(), QStringList{"frmEmployeeLookup"});
    QCOMPARE(h.get<QLineEdit>("txtEmployee")->text(), QString("E003"));
    QCOMPARE(h.get<QLabel>("lblEmployeeName")->text(), QString("Smithers, Ann "));
    QCOMPARE(h.column("TRANSNUM"), QStringList{"5"});

    // Closed without a choice: no search runs and the list stays as it was.
    h.env.modal().thenClose();
    h.get<QLineEdit>("txtEmployee")->setText("Smith");
    h.env.clearStatements();
    h.click("cmdSearch");
    QVERIFY(!h.sent().join('\n').contains("Load_TALO_DistributedMealHistory"));
    QCOMPARE(h.column("TRANSNUM"), QStringList{"5"});

    // Enter chooses the highlighted employee as the double-click does.
    h.env.modal().then([](QDialog& dialog) {
        auto* list = dialog.findChild<FlexGrid*>("mshEmployees");
        list->setRow(list->TextMatrix(1, 1) == "E002" ? 1 : 2);
        QTest::keyClick(list, Qt::Key_Return);
    });
    h.click("cmdSearch");
    QCOMPARE(h.get<QLineEdit>("txtEmployee")->text(), QString("E002"));
    QCOMPARE(h.column("TRANSNUM"), QStringList({"2", "4", "6"}));
    QCOMPARE(h.env.modal().unexpected(), 0);
}

// The meal look-up reads the meal master itself: whoever may open the history must be
// able to read it (the SQL Server kit check collects this statement).
void tst_frmDistributedMeals::mealGoesThroughTheMealLookup()
{
    History h;
    h.env.modal().then([](QDialog& dialog) {
        auto* list = dialog.findChild<FlexGrid*>("mshSearchList");
        QVERIFY(list);
        QCOMPARE(list->TextMatrix(1, 1), QString("M02"));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->rowRect(1).center());
    });
    h.get<QLineEdit>("txtMeal")->setText("fish");
    h.env.clearStatements();
    h.click("cmdMeal");
    QCOMPARE(h.env.modal().shown(), QStringList{"frmSearcher"});
    QVERIFY(h.sent().join('\n').contains("from Station..tbcoMeal where"));
    QCOMPARE(h.get<QLineEdit>("txtMeal")->text(), QString("M02"));
    QCOMPARE(h.env.modal().unexpected(), 0);
}

void tst_frmDistributedMeals::wrongFiltersChangeNothing()
{
    History h;
    const QStringList before = h.column("TRANSNUM");
    h.env.clearStatements();
    h.setRange(kTue, kMon);
    h.click("cmdSearch");
    h.setRange(kMon, kTue);
    h.get<QLineEdit>("txtEmployee")->setText("Nobody");
    h.click("cmdSearch");
    QCOMPARE(h.env.messages().infos(),
             QStringList({"The From date-time is after the To date-time.",
                          "No employee has the number or last name Nobody."}));
    QVERIFY(!h.sent().join('\n').contains("History"));
    QCOMPARE(h.column("TRANSNUM"), before);
}

void tst_frmDistributedMeals::pagesNeitherSkipNorRepeatWhenMealsArrive()
{
    History h;
    h.window->pageSize = 2;
    h.setRange(kMon, kTue);
    h.get<QCheckBox>("chkShowRevoked")->setChecked(true);
    h.click("cmdSearch");
    QCOMPARE(h.column("TRANSNUM"), QStringList({"1", "2"}));
    QCOMPARE(h.get<QLabel>("lblCount")->text(), QString("6 meals"));

    // Between pages the counter records a meal after the page read and one that sits
    // before it; a meal at the same date-time as the page's last row but with a
    // higher number belongs after it.
    h.meal(7, "E001", "M01", "Breakfast", "2026-12-08 13:00:00", "CLERK01");
    h.meal(8, "E003", "M01", "Breakfast", "2026-12-07 06:00:00", "CLERK01");
    h.meal(9, "E003", "M01", "Breakfast", "2026-12-07 12:00:00", "CLERK01");
    // The list asks for pages while its end is in view, then on scrolling.
    QTRY_VERIFY(!h.grid()->model()->canFetchMore({}) || h.grid()->model()->rowCount() > 2);
    for (int i = 0; i < 10 && h.grid()->model()->canFetchMore({}); ++i) {
        h.grid()->scrollToBottom();
        QTest::qWait(20);
    }
    QCOMPARE(h.column("TRANSNUM"), QStringList({"1", "2", "9", "4", "3", "6", "5", "7"}));
    QVERIFY(h.sent().contains("Station..Load_TALO_DistributedMealHistory '12/7/2026', "
                              "'12/8/2026 11:59:59 PM', '', '', '', '', '1', "
                              "'12/7/2026 12:00:00 PM', '2', '2'"));
    QCOMPARE(h.env.messages().texts(), QStringList());
}

void tst_frmDistributedMeals::showRevokedAppliesAtOnceToTheListShown()
{
    History h;
    QCOMPARE(h.column("TRANSNUM"), QStringList({"4", "3", "6"}));
    // Typed but not searched: the box changes the list shown, not this filter.
    h.get<QLineEdit>("txtEmployee")->setText("E001");
    h.get<QCheckBox>("chkShowRevoked")->setChecked(true);
    QCOMPARE(h.column("TRANSNUM"), QStringList({"4", "3", "6", "5"}));
    QCOMPARE(h.env.modal().shown(), QStringList());
    h.get<QCheckBox>("chkShowRevoked")->setChecked(false);
    QCOMPARE(h.column("TRANSNUM"), QStringList({"4", "3", "6"}));
}

void tst_frmDistributedMeals::revokeFromTheHistory()
{
    History h;
    QCOMPARE(h.column("TRANSNUM"), QStringList({"4", "3", "6"}));
    h.grid()->setCurrentIndex(h.grid()->model()->index(1, 0));
    h.env.clearStatements();
    h.env.messages().answerNext(true);
    h.click("cmdRevoke");

    // A question naming the meal, the counter's call, "Done.", and the row read again.
    QCOMPARE(h.env.messages().texts(),
             QStringList({"Revoke M02 Fish fillet given to E001 O'Neil, Mary on 12/8/2026 at "
                          "12:00?",
                          "Done."}));
    QCOMPARE(h.sent().value(0), CounterData::revokeText("E001", "3", "CLERK01"));
    QCOMPARE(h.column("TRANSNUM"), QStringList({"4", "3", "6"}));
    QCOMPARE(h.cell(1, "REVOKEDBY"), QString("CLERK01"));
    QVERIFY(!h.cell(1, "REVOKEDAT").isEmpty());
    QCOMPARE(h.grid()->model()->index(1, 0).data(Qt::BackgroundRole).isValid(), true);
    QCOMPARE(h.grid()->model()->index(0, 0).data(Qt::BackgroundRole).isValid(), false);
    QCOMPARE(h.env.scalar("SELECT RevokedBy FROM Station.tbTALOEmployeeDistributedMeals "
                          "WHERE TransNum = 3"),
             QString("CLERK01"));

    // The same row again: it is already revoked, nothing is asked or sent.
    h.env.messages().clear();
    h.env.clearStatements();
    h.click("cmdRevoke");
    QCOMPARE(h.env.messages().infos(), QStringList{"Meal 3 is already revoked."});
    QCOMPARE(h.env.statements(), QStringList());
}

void tst_frmDistributedMeals::revokeRefusedOrDeclined()
{
    History h(QStringLiteral("|1|2|3|4|5|6|7|0"));
    h.grid()->setCurrentIndex(h.grid()->model()->index(0, 0));
    h.click("cmdRevoke");
    QCOMPARE(h.env.messages().infos(), QStringList{"No Access."});

    h.env.setRights("CLERK01", kAllRights);
    h.env.messages().clear();
    h.env.messages().answerNext(false);
    h.click("cmdRevoke");
    QCOMPARE(h.env.messages().texts(),
             QStringList{"Revoke M01 Rice porridge given to E002 Smith, John P on 12/8/2026 at "
                         "07:30?"});
    QCOMPARE(h.env.scalar("SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals "
                          "WHERE RevokedBy IS NOT NULL"),
             QString("1"));
    QCOMPARE(h.cell(0, "REVOKEDBY"), QString());
}

void tst_frmDistributedMeals::changesViewTellsEachKindOfChange()
{
    History h(kAllRights, "SUPER01");
    h.env.store().store().functions().setClock(
        [] { return QDateTime(QDate(2026, 12, 8), QTime(14, 2, 0)); });
    // Through the two master windows as a user fills them in...
    saveInMaster<frmMealTypeBuildFile>(h, {"SN", "Snacks"}, true);
    saveInMaster<frmMealBuildFile>(h, {"M09", "Soup", "SN", "12.5"}, true);
    saveInMaster<frmMealBuildFile>(h, {"M09", "Soup", "SN", "12.5"}, false);
    QCOMPARE(h.env.messages().infos(), QStringList({"Done.", "Done.", "Done."}));
    h.env.messages().clear();
    // ...and the calls the tagging window, user access and the counter send.
    for (const char* call :
         {"Station..Save_TALO_EmployeeMeal 'E001', 'SN', 'SUPER01'",
          "Station..Remove_TALO_EmployeeTaggedMeals 'E001', 'SN', 'SUPER01'",
          "Station..Save_TALO_User_Rights 'CLERK02', '|0|0|0|0|0|6|0|0', 'SUPER01'",
          "Station..Revoke_TALO_EmployeeDistributedMeals 'E002', '6', 'CLERK01'"})
        h.env.context().execute(QString::fromLatin1(call));

    h.get<QTabWidget>("tabViews")->setCurrentIndex(1);
    QCOMPARE(h.column("CHANGE", "grdChanges"),
             QStringList({"SUPER01 added meal type SN Snacks (active)",
                          "SUPER01 added meal M09 Soup (cost 12.50, meal type SN, active)",
                          "SUPER01 changed the status of M09 Soup from active to inactive",
                          "SUPER01 tagged meal type SN Snacks to E001 O'Neil, Mary",
                          "SUPER01 removed meal type SN Snacks from E001 O'Neil, Mary",
                          "SUPER01 changed the rights of CLERK02: granted Meal Entry",
                          "CLERK01 revoked M02 Fish fillet given to E002 Smith, John P at 12:00"}));
    QCOMPARE(h.column("CHANGEDAT", "grdChanges").value(0), QString("12/8/2026 2:02:00 PM"));

    // Filters: one table, one user.
    h.get<QComboBox>("cboTable")->setCurrentText("Revokes, refused orders");
    h.click("cmdChangesSearch");
    QCOMPARE(h.column("CHANGE", "grdChanges"),
             QStringList{"CLERK01 revoked M02 Fish fillet given to E002 Smith, John P at 12:00"});
    h.get<QComboBox>("cboTable")->setCurrentIndex(0);
    h.get<QLineEdit>("txtUser")->setText("clerk01");
    h.click("cmdChangesSearch");
    QCOMPARE(h.column("USERID", "grdChanges"), QStringList{"CLERK01"});
    QCOMPARE(h.env.messages().texts(), QStringList());
}

// An import (sent in slices under one key, with its file's name) and a bulk tagging each
// read as one line that opens to their changes; changes sent without a key (as before
// batches were kept) stay one line each. `lines`: the last lines shown, a batch's line
// followed by "+n" for its n changes.
void tst_frmDistributedMeals::batchesShowAsOneLineThatOpens_data()
{
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("lines");
    const QString import = "Station..Save_TALO_StaffImport '[%1]', 'ADMIN'%2";
    const QString newcomer = R"(["E010", "Cruz", "Ana", "", "KITCHEN", "", "1"])";
    const QString leaver = R"(["E001", "O''Neil", "Mary", "", "NURSING", "", "0"])";
    const QString renamed = R"(["E002", "Smith", "Johnny", "P", "KITCHEN", "", "1"])";
    const QString department = R"(["E011", "Diaz", "Ben", "", "ER", "Emergency Room", "1"])";
    const QString batch = ", 'B1', 'staff.csv'";
    const QString tagging = "Station..Save_TALO_EmployeeMealBulk 'DEPARTMENT', 'KITCHEN', '', "
                            "'[\"LU\", \"BF\"]', '1', 'ADMIN'%1";
    QTest::newRow("an import in two slices")
        << QStringList{import.arg(newcomer + ", " + leaver, batch),
                       import.arg(department + ", " + renamed, batch)}
        << QStringList{"Imported staff.csv: 2 added, 1 changed, 1 deactivated", "+5"};
    QTest::newRow("a bulk tagging")
        << QStringList{tagging.arg(", 'B2'")}
        << QStringList{"Bulk tagging: Breakfast, Lunch for 2 employees", "+4"};
    QTest::newRow("an import of departments only")
        << QStringList{import.arg(R"(["E002", "Smith", "John", "P", "KITCHEN", "Galley", "1"])",
                                  ", 'B3', ''")}
        << QStringList{"Imported a staff file: departments only", "+1"};
    QTest::newRow("changes without a key, then a batch")
        << QStringList{import.arg(newcomer, QString()), tagging.arg(QString()),
                       import.arg(leaver, batch)}
        << QStringList{"ADMIN added employee E010 Cruz, Ana (department KITCHEN, active)",
                       "ADMIN tagged meal type BF Breakfast to E002 Smith, John P",
                       "ADMIN tagged meal type LU Lunch to E002 Smith, John P",
                       "ADMIN tagged meal type BF Breakfast to E003 Smithers, Ann",
                       "ADMIN tagged meal type LU Lunch to E003 Smithers, Ann",
                       "ADMIN tagged meal type BF Breakfast to E010 Cruz, Ana",
                       "ADMIN tagged meal type LU Lunch to E010 Cruz, Ana",
                       "Imported staff.csv: 1 deactivated",
                       "+1"};
}

void tst_frmDistributedMeals::batchesShowAsOneLineThatOpens()
{
    QFETCH(QStringList, calls);
    QFETCH(QStringList, lines);
    History h(kAllRights, "ADMIN");
    for (const QString& call : calls)
        h.env.context().execute(call);
    h.get<QTabWidget>("tabViews")->setCurrentIndex(1);
    auto* view = h.get<QTreeView>("grdChanges");
    const QAbstractItemModel* model = view->model();
    const int sentence = model->columnCount() - 1;
    QStringList shown;
    int changes = 0;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex line = model->index(row, 0);
        shown << line.siblingAtColumn(sentence).data().toString();
        const int under = model->rowCount(line);
        changes += std::max(under, 1);
        if (under > 0)
            shown << "+" + QString::number(under);
    }
    QCOMPARE(shown.mid(shown.size() - lines.size()), lines);
    // The count is of changes, each row of a batch included.
    QCOMPARE(h.get<QLabel>("lblChangesCount")->text(),
             QString::number(changes) + (changes == 1 ? " change" : " changes"));

    // The keyboard opens and closes the last batch's line.
    int last = model->rowCount() - 1;
    while (model->rowCount(model->index(last, 0)) == 0)
        --last;
    const QModelIndex batchLine = model->index(last, 0);
    view->setFocus();
    view->setCurrentIndex(batchLine);
    QTest::keyClick(view, Qt::Key_Right);
    QVERIFY(view->isExpanded(batchLine));
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(view->currentIndex().parent(), batchLine);
    QTest::keyClick(view, Qt::Key_Left);
    QCOMPARE(view->currentIndex(), batchLine);
    QTest::keyClick(view, Qt::Key_Return);
    QVERIFY(!view->isExpanded(batchLine));
    QCOMPARE(h.env.messages().texts(), QStringList());
}

// Each row makes changes of one kind as the program's windows send them ("sqlite:" for a
// row written by hand: how older versions or the sign-in wrote it), then reads the
// sentences of the last changes in the Changes view.
void tst_frmDistributedMeals::everyAuditedChangeReadsAsASentence_data()
{
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("sentences");
    const QString meal = "Station..Save_TALO_MealOnly '%1', '%2', '%3', '%4', '%5','ADMIN'";
    const QString type = "Station..Save_TALO_MealType '%1', '%2', '%3','ADMIN'";
    const QString rights = "Station..Save_TALO_User_Rights 'CLERK02', '%1', 'ADMIN'";
    const QString user = "Station..Save_TALO_User 'E050', '%1', 'Dina', 'M', 'ADMIN'";
    const QString password = "Station..Save_TALO_UserPassword 'E050', "
                             "'$argon2id$v=19$m=65536,t=2,p=1$AAAAAAAAAAAAAAAAAAAAAA$"
                             "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA', 'ADMIN'";
    const QString access = "Station..Save_TALO_UserAccess 'E050', '%1', '%2', 'ADMIN'";
    const QString import = "Station..Save_TALO_StaffImport '[%1]', 'ADMIN'";
    const QString old = "sqlite:INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, "
                        "Details, UserID, ChangedAt) VALUES ('%1', '%2', '%3', '%4', '%5', "
                        "'2026-12-08 14:02:00')";
    AppSettings site = AppSettings::defaults();
    site.scanMode = true;
    site.firstDayOfWeek = Qt::Sunday;
    AppSettings counterKeys = AppSettings::defaults();
    counterKeys.keyboardEntry = true;
    counterKeys.bulkTagging = true;
    counterKeys.keepServingOffline = true;
    counterKeys.fittedColumns = true;
    counterKeys.statementTimeout = 25;
    AppSettings lunch = AppSettings::defaults();
    lunch.mode("Lunch")->dailyLimit = 2;
    lunch.mode("Lunch")->limitAction = LimitAction::Block;
    AppSettings midnight = AppSettings::defaults();
    midnight.mealModes.append({"Midnight", 1, LimitAction::Warn, QTime(23, 0), QTime(1, 0)});

    QTest::newRow("meal added") << QStringList{meal.arg("L01", "Lunch Plate", "85", "LU", "1")}
                                << QStringList{"ADMIN added meal L01 Lunch Plate (cost 85.00, "
                                               "meal type LU, active)"};
    QTest::newRow("meal's cost") << QStringList{meal.arg("M02", "Fish fillet", "90", "LU", "1")}
                                 << QStringList{"ADMIN changed the cost of M02 Fish fillet from "
                                                "0.00 to 90.00"};
    QTest::newRow("meal renamed, type and status")
        << QStringList{meal.arg("M02", "Fish plate", "0", "BF", "0")}
        << QStringList{"ADMIN changed M02: name from Fish fillet to Fish plate, meal type from "
                       "LU to BF, status from active to inactive"};
    QTest::newRow("meal saved as it was")
        << QStringList{meal.arg("M02", "Fish fillet", "0", "LU", "1")}
        << QStringList{"ADMIN saved M02 Fish fillet without a change"};
    QTest::newRow("meal type added") << QStringList{type.arg("SN", "Snacks", "1")}
                                     << QStringList{"ADMIN added meal type SN Snacks (active)"};
    QTest::newRow("meal type's status")
        << QStringList{type.arg("LU", "Lunch", "0")}
        << QStringList{"ADMIN changed the status of meal type LU Lunch from active to inactive"};
    QTest::newRow("tag and untag")
        << QStringList{"Station..Save_TALO_EmployeeMeal 'E001', 'LU', 'ADMIN'",
                       "Station..Remove_TALO_EmployeeTaggedMeals 'E001', 'LU', 'ADMIN'"}
        << QStringList{"ADMIN tagged meal type LU Lunch to E001 O'Neil, Mary",
                       "ADMIN removed meal type LU Lunch from E001 O'Neil, Mary"};
    QTest::newRow("bulk tagging")
        << QStringList{"Station..Save_TALO_EmployeeMealBulk 'LIST', '', '[\"E001\"]', "
                       "'[\"LU\"]', '1', 'ADMIN'"}
        << QStringList{"ADMIN tagged meal type LU Lunch to E001 O'Neil, Mary"};
    QTest::newRow("rights by name")
        << QStringList{rights.arg("|1|0|0|0|0|6|0|8"), rights.arg("|0|0|3|0|0|6|0|0"),
                       rights.arg("|0|0|3|0|0|6|0|0")}
        << QStringList{"ADMIN changed the rights of CLERK02: granted Reports, Meal Entry, "
                       "Revoke Meals",
                       "ADMIN changed the rights of CLERK02: granted Meals; withdrew Reports, "
                       "Revoke Meals",
                       "ADMIN saved the rights of CLERK02 without a change"};
    QTest::newRow("revoke the same day and another day")
        << QStringList{"Station..Revoke_TALO_EmployeeDistributedMeals 'E002', '6', 'CLERK01'",
                       "Station..Revoke_TALO_EmployeeDistributedMeals 'E002', '2', 'CLERK01'"}
        << QStringList{"CLERK01 revoked M02 Fish fillet given to E002 Smith, John P at 12:00",
                       "CLERK01 revoked M02 Fish fillet given to E002 Smith, John P on 12/7/2026 "
                       "at 12:00"};
    // Orders a counter's journal kept as refused, settled by a supervisor; the remark, the
    // meals and the server's words may hold "; " themselves.
    QTest::newRow("refused order saved anyway and one discarded")
        << QStringList{"Station..Save_TALO_EmployeeDistributedMeals 'E002', 'M02', 'Lunch', "
                       "'12/8/2026 11:30:15 AM', '', 'CLERK01', 'S', 'k1', '1', 'ADMIN', "
                       "'Double shift; approved'",
                       "Station..Save_TALO_DiscardedOrder 'k2', 'E002', '12/7/2026 11:30:15 AM', "
                       "'CLERK01', 'M03 Fruit cup (Lunch; no sugar)', 'Limit; 1 a day.', "
                       "'Served twice', 'ADMIN'"}
        << QStringList{"ADMIN saved M02 Fish fillet given to E002 Smith, John P at 11:30 by "
                       "CLERK01 past the server's refusal: Double shift; approved",
                       "ADMIN discarded the order served to E002 Smith, John P on 12/7/2026 at "
                       "11:30 by CLERK01 (M03 Fruit cup (Lunch; no sugar)), which the server "
                       "refused (Limit; 1 a day.): Served twice"};
    QTest::newRow("user added and renamed")
        << QStringList{user.arg("Lopez"), user.arg("Lopez-Reyes")}
        << QStringList{"ADMIN added user E050 Lopez, Dina M",
                       "ADMIN changed the name of user E050 from Lopez, Dina M to Lopez-Reyes, "
                       "Dina M"};
    QTest::newRow("password set and reset, no hash")
        << QStringList{user.arg("Lopez"), password, password}
        << QStringList{"ADMIN set the password of user E050", "ADMIN reset the password of user "
                                                              "E050"};
    QTest::newRow("access and status")
        << QStringList{user.arg("Lopez"), access.arg("1", "1"), access.arg("0", "1"),
                       access.arg("0", "0")}
        << QStringList{"ADMIN let user E050 use Talodesk",
                       "ADMIN withdrew the use of Talodesk from user E050",
                       "ADMIN changed the status of user E050 from active to inactive"};
    QTest::newRow("import adds")
        << QStringList{import.arg(R"(["E100","Reyes","Ana","B","NUR","Nursing","1"])")}
        << QStringList{"ADMIN added department NUR Nursing",
                       "ADMIN added employee E100 Reyes, Ana B (department NUR, active)"};
    QTest::newRow("import changes")
        << QStringList{import.arg(R"(["E002","Smith","John","P","NURSING","Nursing care","0"])")}
        << QStringList{"ADMIN changed the name of department NURSING from NURSING to Nursing care",
                       "ADMIN changed employee E002 Smith, John P: department from KITCHEN to "
                       "NURSING, status from active to inactive"};
    QTest::newRow("site settings")
        << QStringList{AppSettingsData::saveText(site, "ADMIN")}
        << QStringList{"ADMIN changed the site settings: scan mode from off to on, first day of "
                       "the week from Monday to Sunday"};
    QTest::newRow("settings in App Settings' words")
        << QStringList{AppSettingsData::saveText(counterKeys, "ADMIN")}
        << QStringList{"ADMIN changed the site settings: keyboard order entry from off to on, bulk "
                       "tagging in the tagging window from off to on, keep serving when the "
                       "server cannot be reached from off to on, fit list columns to their "
                       "contents from off to on, give up on a statement after (seconds) from 10 "
                       "to 25"};
    QTest::newRow("meal mode limit") << QStringList{AppSettingsData::saveText(lunch, "ADMIN")}
                                     << QStringList{"ADMIN changed meal mode Lunch: daily limit "
                                                    "from (none) to 2, past the limit from warn "
                                                    "to block"};
    QTest::newRow("meal mode added and removed")
        << QStringList{AppSettingsData::saveText(midnight, "ADMIN"),
                       AppSettingsData::saveText(AppSettings::defaults(), "ADMIN")}
        << QStringList{"ADMIN added meal mode Midnight (daily limit 1, warn, served from 23:00 "
                       "to 01:00)",
                       "ADMIN removed meal mode Midnight (daily limit 1, warn, served from 23:00 "
                       "to 01:00)"};
    QTest::newRow("failed sign-in")
        << QStringList{old.arg("SignIn", "CLERK9", "FAILED", "Workstation: PC-12", "")}
        << QStringList{"Failed sign-in as CLERK9 at workstation PC-12"};
    QTest::newRow("older rows without old values or names")
        << QStringList{old.arg("tbcoMeal", "M09", "UPDATE",
                               "Description=Soup; Cost=12.50; MealType=SN; Status=0", "ADMIN"),
                       old.arg("tbTALOEmployeeDistributedMeals", "6", "REVOKE",
                               "EmpNum=E002; MealCode=M02; MealDate=2026-12-08 12:00:00",
                               "CLERK01"),
                       old.arg("tbTALOEmployeeMeal", "E001/LU", "TAG", "", "ADMIN"),
                       old.arg("tbPasswordMain", "E050", "UPDATE",
                               "Lastname=Lopez; Firstname=Dina; Middlename=", "ADMIN"),
                       old.arg("tbTALOUserRights", "CLERK02", "RIGHTS", "(none) -> |1|0|9",
                               "ADMIN")}
        << QStringList{"ADMIN changed M09 Soup (now cost 12.50, meal type SN, inactive)",
                       "CLERK01 revoked M02 given to E002 at 12:00",
                       "ADMIN tagged meal type LU to E001",
                       "ADMIN changed the name of user E050 to Lopez, Dina",
                       "ADMIN changed the rights of CLERK02: granted Reports, right 9"};
}

void tst_frmDistributedMeals::everyAuditedChangeReadsAsASentence()
{
    QFETCH(QStringList, calls);
    QFETCH(QStringList, sentences);
    History h(kAllRights, "ADMIN");
    h.env.store().store().functions().setClock(
        [] { return QDateTime(QDate(2026, 12, 8), QTime(14, 2, 0)); });
    for (const QString& call : calls) {
        if (call.startsWith("sqlite:"))
            h.env.sqlite(call.mid(7));
        else
            h.env.context().execute(call);
    }
    h.get<QTabWidget>("tabViews")->setCurrentIndex(1);
    const QStringList shown = h.column("CHANGE", "grdChanges");
    QCOMPARE(shown.mid(shown.size() - sentences.size()), sentences);
    QCOMPARE(h.get<QLabel>("lblChangesCount")->text(),
             QString::number(shown.size()) + (shown.size() == 1 ? " change" : " changes"));
    QCOMPARE(h.env.messages().texts(), QStringList());
}

void tst_frmDistributedMeals::listsShowWordsAndFollowRevokesAndSearches()
{
    History h;
    const QAbstractItemModel* meals = h.grid()->model();
    QCOMPARE(meals->headerData(0, Qt::Horizontal).toString(), QString("Date and time"));
    QCOMPARE(meals->headerData(meals->columnCount() - 1, Qt::Horizontal).toString(),
             QString("Transaction No."));
    // A revoke with revoked meals hidden takes the meal off the count at once.
    QCOMPARE(h.get<QLabel>("lblCount")->text(), QString("3 meals"));
    h.grid()->setCurrentIndex(meals->index(1, 0));
    h.env.messages().answerNext(true);
    h.click("cmdRevoke");
    QCOMPARE(h.get<QLabel>("lblCount")->text(), QString("2 meals"));

    // A new search starts at the top, however far the last one was scrolled.
    for (int i = 0; i < 60; ++i)
        h.meal(100 + i, "E001", "M01", "Breakfast", "2026-12-08 08:00:00", "CLERK01");
    h.window->resize(1000, 300);
    h.click("cmdSearch");
    h.grid()->scrollToBottom();
    QVERIFY(h.grid()->verticalScrollBar()->value() > 0);
    h.click("cmdSearch");
    QCOMPARE(h.grid()->verticalScrollBar()->value(), 0);

    // The Changes view: who the server knew as the caller beside the user the program
    // names.
    h.get<QTabWidget>("tabViews")->setCurrentIndex(1);
    QCOMPARE(h.column("USERID", "grdChanges"), QStringList{"CLERK01"});
    QVERIFY(!h.cell(0, "LOGINNAME", "grdChanges").isEmpty());
    QCOMPARE(h.grid("grdChanges")->model()->headerData(2, Qt::Horizontal).toString(),
             QString("Server login"));
}

void tst_frmDistributedMeals::changesViewNeedsRightFive()
{
    History h(QStringLiteral("|1|2|3|4|0|6|7|8"));
    // Without the right the tab is not offered at all; with it, it is.
    QVERIFY(!h.get<QTabWidget>("tabViews")->isTabVisible(1));
    h.env.clearStatements();
    h.get<QTabWidget>("tabViews")->setCurrentIndex(1);
    QCOMPARE(h.get<QTabWidget>("tabViews")->currentIndex(), 0);
    QVERIFY(!h.sent().join('\n').contains("AuditLog"));
    QVERIFY(History().get<QTabWidget>("tabViews")->isTabVisible(1));
}

void tst_frmDistributedMeals::exportWritesTheFilteredMeals()
{
    History h;
    h.setRange(kMon, kTue);
    h.get<QLineEdit>("txtEmployee")->setText("E002");
    h.click("cmdSearch");
    QTemporaryDir dir;
    const QString path = dir.filePath("meals.csv");
    h.window->chooseExportFile = [&] { return path; };
    h.click("cmdExport");

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // UTF-8 with its byte-order mark first.
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split("\r\n");
    QCOMPARE(lines.value(0), QString("MEALDATE,EMPNUM,NAME,DEPARTMENT,MEAL,DESCRIPTION,MEALMODE,"
                                     "REMARKS,CLERKID,RECORDEDAT,REVOKEDBY,REVOKEDAT,TRANSNUM"));
    QCOMPARE(lines.size(), 5); // header, three meals, and the empty text after the last CR LF
    QCOMPARE(lines.value(2), QString("12/8/2026 7:30:00 AM,E002,\"Smith, John P\",KITCHEN,M01,"
                                     "Rice porridge,Breakfast,\"no sugar, \"\"hot\"\"\",CLERK02,"
                                     "12/8/2026 7:30:00 AM,,,4"));
    QCOMPARE(h.env.messages().infos(), QStringList{"Exported 3 meals to " + path + "."});

    // Cancelled in the file dialog: nothing is written, nothing is said.
    h.env.messages().clear();
    h.window->chooseExportFile = [] { return QString(); };
    h.click("cmdExport");
    QCOMPARE(h.env.messages().texts(), QStringList());
}

void tst_frmDistributedMeals::failedReadShowsErrorAndKeepsRows()
{
    History h;
    h.env.sqlite("DROP INDEX Station.ixDistributedDate");
    h.click("cmdSearch");
    QCOMPARE(h.env.messages().errors().size(), 1);
    QCOMPARE(h.column("TRANSNUM"), QStringList({"4", "3", "6"}));
}

QTEST_MAIN(tst_frmDistributedMeals)
#include "tst_frmDistributedMeals.moc"

void tst_frmDistributedMeals::filterBoxesTakeNoMoreThanTheProcedureHolds_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("rows");

    // An employee is looked up first: none found is said, and the list stays as it was.
    QTest::newRow("employee") << "txtEmployee" << 0 << 200 << "cmdSearch" << 3;
    QTest::newRow("meal") << "txtMeal" << 0 << 30 << "cmdSearch" << 0;
    QTest::newRow("meal mode") << "cboMealMode" << 0 << 50 << "cmdSearch" << 0;
    QTest::newRow("clerk") << "txtClerk" << 0 << 30 << "cmdSearch" << 0;
    QTest::newRow("changes user") << "txtUser" << 1 << 30 << "cmdChangesSearch" << 0;
}

// Typing past a box's limit keeps its first characters; the longest text a box takes
// is searched for without the procedure refusing it (nothing is found, no error).
void tst_frmDistributedMeals::filterBoxesTakeNoMoreThanTheProcedureHolds()
{
    QFETCH(QString, box);
    QFETCH(int, tab);
    QFETCH(int, length);
    QFETCH(QString, search);
    QFETCH(int, rows);
    History h;
    h.get<QTabWidget>("tabViews")->setCurrentIndex(tab);
    QWidget* widget = h.get<QWidget>(box);
    auto* combo = qobject_cast<QComboBox*>(widget);
    QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(widget);
    QVERIFY(edit);
    const QString typed = QString("Zz9").repeated(length);
    QTest::keyClicks(edit, typed.left(length + 5));
    QCOMPARE(edit->text(), typed.left(length));

    h.env.messages().clear();
    h.click(qPrintable(search));
    QCOMPARE(h.env.messages().errors().size(), 0);
    QCOMPARE(h.grid(tab == 0 ? "grdMeals" : "grdChanges")->model()->rowCount(), rows);
}
