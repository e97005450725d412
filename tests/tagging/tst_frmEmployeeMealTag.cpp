#include "context/WindowRegistry.h"
#include "counter/frmEmployeeList.h"
#include "lookup/frmSearcher.h"
#include "shell/mdiTALO.h"
#include "support/CaptionCheck.h"
#include "support/DialogUi.h"
#include "support/TestEnvironment.h"
#include "tagging/frmEmployeeMealTag.h"
#include "widgets/FlexGrid.h"
#include "widgets/Twips.h"

#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

const QString kPersonnelAll = QStringLiteral(
    "Select empnum[EMPID], Lastname+', '+Firstname+' '+Middlename[NAME] from Payroll..tbcmaster "
    "where EmpNum = '' or Lastname like '' + '%'");

template <class T = QWidget> T* child(QDialog& d, const QString& name)
{
    return DialogUi(d).get<T>(name);
}
QLineEdit* box(QDialog& d, int i)
{
    return child<QLineEdit>(d, QStringLiteral("txtMealDetails(%1)").arg(i));
}
FlexGrid* grid(QDialog& d, const char* name)
{
    return DialogUi(d).grid(name);
}
void click(QDialog& d, const char* name)
{
    DialogUi(d).click(name);
}
void enter(QWidget* w)
{
    QTest::keyClick(w, Qt::Key_Return);
}
void dblClickRow(FlexGrid* g, int row)
{
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->rowRect(row).center());
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, g->rowRect(row).center());
}
int rowOf(FlexGrid* g, const QString& code)
{
    for (int r = 1; r < g->Rows(); ++r)
        if (g->TextMatrix(r, 1) == code)
            return r;
    return -1;
}
QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}
bool personnelShown(QDialog& d)
{
    return child(d, QStringLiteral("fraEmpList"))->x() == Twips::toPixels(30);
}

} // namespace

class tst_frmEmployeeMealTag : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnvironment> env;

    frmEmployeeMealTag& form() { return env->context().windows().get<frmEmployeeMealTag>(); }
    void open(const QString& mode, ScriptedModalRunner::Step step)
    {
        form().strMode = mode;
        env->modal().then(std::move(step));
        form().showModal();
        QCOMPARE(env->modal().pendingSteps(), 0);
        QCOMPARE(env->modal().unexpected(), 0);
    }
    // Queues the meal type lookup's answer: a double-click on `code`, or a plain close.
    void lookupAnswers(const QString& code)
    {
        env->modal().then([code](QDialog& d) {
            if (!code.isEmpty())
                dblClickRow(grid(d, "mshSearchList"), rowOf(grid(d, "mshSearchList"), code));
        });
    }
    QString tagsOf(const QString& emp)
    {
        return env->scalar("SELECT group_concat(MealTypeCode, ',') FROM (SELECT MealTypeCode "
                           "FROM Station.tbTALOEmployeeMeal WHERE EmpNum = '" +
                           emp + "' ORDER BY MealTypeCode)");
    }

private slots:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        env->addEmployee("1001", "Reyes", "Ana", "Bautista");
        env->addEmployee("1002", "Santos", "Ben", "Cruz");
        env->addEmployee("REY", "Mendoza", "Carla", "Diaz");
        env->addEmployee("1003", "O'Neil", "Pat", "Lee");
        env->addMealType("BRK", "Breakfast");
        env->addMealType("LUN", "Lunch");
        env->addMealType("CODE", "Code Shaped");
        env->tag("1001", "BRK");
    }
    void cleanup() { env.reset(); }

    void opensForTheChosenModeAndStartsAfreshEachTime()
    {
        form().strEmpNumTagMeal = "1001";
        form().strEmpNameTagMeal = "Reyes, Ana Bautista";
        open("0", [this](QDialog& d) {
            QCOMPARE(d.width(), Twips::toPixels(5715));
            QCOMPARE(cutOffCaptions(&d).join(", "), QString());
            QCOMPARE(box(d, 0)->text(), QString("1001"));
            QCOMPARE(box(d, 1)->text(), QString("Reyes, Ana Bautista"));
            QVERIFY(box(d, 0)->isReadOnly());
            QVERIFY(child(d, "cmdSearchEmployee")->isHidden());
            QCOMPARE(gridColumn(*grid(d, "mshMealList"), 1), QStringList{"BRK"});
            // Tab leaves the tagged meals for the next control.
            QVERIFY(!WidgetUi::tabFrom(grid(d, "mshMealList")).isEmpty());
            // Without the search, Enter in either search box does nothing.
            enter(box(d, 0));
            enter(child(d, "txtEmpSearch"));
            QVERIFY(!personnelShown(d));
        });
        // The site's settings first: they say whether bulk tagging is offered.
        QCOMPARE(env->statements(), QStringList({"Station..Load_TALO_AppSettings",
                                                 "Station..Load_TALO_EmployeeTaggedMeals '1001'"}));

        env->clearStatements();
        open("1", [](QDialog& d) {
            QVERIFY(!box(d, 0)->isReadOnly());
            QVERIFY(box(d, 1)->isReadOnly() && box(d, 2)->isReadOnly());
            QVERIFY(!child(d, "cmdSearchEmployee")->isHidden());
            QCOMPARE(box(d, 0)->text(), QString());
            QVERIFY(!grid(d, "mshMealList")->isEnabled());
        });
        QCOMPARE(env->statements(), QStringList({"Station..Load_TALO_AppSettings",
                                                 "Station..Load_TALO_EmployeeTaggedMeals ''"}));
    }

    void personnelSearchListsNumberAndLastNamePrefix()
    {
        open("1", [this](QDialog& d) {
            click(d, "cmdSearchEmployee");
            QVERIFY(personnelShown(d));
            QCOMPARE(d.width(), Twips::toPixels(5715));
            QCOMPARE(env->statements().last(), kPersonnelAll);
            FlexGrid* list = grid(d, "mshEmpList");
            QCOMPARE(sorted(gridColumn(*list, 1)), QStringList({"1001", "1002", "1003", "REY"}));
            QCOMPARE(list->TextMatrix(0, 1), QString("EMPID"));

            // A number that is also the start of a last name finds both people.
            auto* search = child<QLineEdit>(d, "txtEmpSearch");
            search->setText("REY");
            enter(search);
            QCOMPARE(box(d, 0)->text(), QString("REY"));
            QCOMPARE(sorted(gridColumn(*list, 1)), QStringList({"1001", "REY"}));
            dblClickRow(list, rowOf(list, "1001"));
            QVERIFY(!personnelShown(d));
            QCOMPARE(box(d, 1)->text(), QString("Reyes, Ana Bautista"));
            QCOMPARE(gridColumn(*grid(d, "mshMealList"), 1), QStringList{"BRK"});
        });
        QVERIFY(env->statements().contains(
            "Select empnum[EMPID], Lastname+', '+Firstname+' '+Middlename[NAME] from "
            "Payroll..tbcmaster where EmpNum = 'REY' or Lastname like 'REY' + '%'"));
        QCOMPARE(env->statements().last(),
                 QString("Station..Load_TALO_EmployeeTaggedMeals '1001'"));
    }

    void selectOnEmptyListAndCancelLeaveTheRightState()
    {
        open("1", [this](QDialog& d) {
            box(d, 0)->setText("1001");
            enter(box(d, 0));
            dblClickRow(grid(d, "mshEmpList"), 1);
            QCOMPARE(gridColumn(*grid(d, "mshMealList"), 1), QStringList{"BRK"});

            // Cancel empties the employee but keeps the list loaded before.
            click(d, "cmdSearchEmployee");
            env->clearStatements();
            click(d, "cmdCancel");
            QVERIFY(!personnelShown(d));
            QCOMPARE(box(d, 0)->text() + box(d, 1)->text(), QString());
            QCOMPARE(gridColumn(*grid(d, "mshMealList"), 1), QStringList{"BRK"});
            QVERIFY(env->statements().isEmpty());

            // Select on a search that found nobody chooses the empty employee.
            box(d, 0)->setText("nobody");
            click(d, "cmdSearchEmployee");
            QVERIFY(!grid(d, "mshEmpList")->isEnabled());
            QCOMPARE(grid(d, "mshEmpList")->TextMatrix(0, 1), QString("CODE "));
            click(d, "cmdSelect");
            QCOMPARE(box(d, 0)->text() + box(d, 1)->text(), QString());
            QVERIFY(!grid(d, "mshMealList")->isEnabled());
        });
        QCOMPARE(env->statements().last(), QString("Station..Load_TALO_EmployeeTaggedMeals ''"));
    }

    void aQuoteInTheSearchTextStaysInsideItsLiteral()
    {
        open("1", [this](QDialog& d) {
            box(d, 0)->setText("O'Neil");
            click(d, "cmdSearchEmployee");
            QCOMPARE(gridColumn(*grid(d, "mshEmpList"), 2), QStringList{"O'Neil, Pat Lee"});
            click(d, "cmdSelect");
            lookupAnswers("LUN");
            click(d, "cmdSearchType");
            click(d, "cmdSave");
        });
        QVERIFY(env->messages().errors().isEmpty());
        QVERIFY(env->statements().contains(
            "Select empnum[EMPID], Lastname+', '+Firstname+' '+Middlename[NAME] from "
            "Payroll..tbcmaster where EmpNum = 'O''Neil' or Lastname like 'O''Neil' + '%'"));
        QCOMPARE(tagsOf("1003"), QString("LUN"));
    }

    void duplicateTypeIsRefusedButTheHeadingTextIsNot()
    {
        form().strEmpNumTagMeal = "1001";
        form().strEmpNameTagMeal = "Reyes, Ana Bautista";
        open("0", [this](QDialog& d) {
            lookupAnswers("BRK");
            click(d, "cmdSearchType");
            QCOMPARE(env->messages().infos(), QStringList{"Meal Type already tagged."});
            QCOMPARE(box(d, 2)->text(), QString());
            QCOMPARE(box(d, 3)->text(), QString("BRK"));
            click(d, "cmdSave");
            QCOMPARE(env->messages().infos().last(), QString("Please Complete the details."));

            // A lookup closed without a choice empties both boxes, silently.
            lookupAnswers("LUN");
            enter(box(d, 2));
            lookupAnswers({});
            enter(box(d, 2));
            QCOMPARE(box(d, 2)->text() + box(d, 3)->text(), QString());
            QCOMPARE(env->messages().infos().size(), 2);

            // A code equal to the list's heading is an ordinary meal type.
            lookupAnswers("CODE");
            click(d, "cmdSearchType");
            QCOMPARE(box(d, 2)->text(), QString("Code Shaped"));
            env->clearStatements();
            click(d, "cmdSave");
            QCOMPARE(gridColumn(*grid(d, "mshMealList"), 1), QStringList({"BRK", "CODE"}));
        });
        QCOMPARE(env->statements(),
                 QStringList({"Station..Save_TALO_EmployeeMeal '1001', 'CODE','CLERK01'",
                              "Station..Load_TALO_EmployeeTaggedMeals '1001'"}));
        QCOMPARE(env->messages().infos().last(), QString("Done."));
        QCOMPARE(env->scalar("SELECT TaggedBy FROM Station.tbTALOEmployeeMeal WHERE MealTypeCode "
                             "= 'CODE'"),
                 QString("CLERK01"));
    }

    void saveNeedsAllDetailsAndIsNotRepeated()
    {
        open("1", [this](QDialog& d) {
            lookupAnswers("LUN");
            click(d, "cmdSearchType");
            click(d, "cmdSave"); // no employee yet
            box(d, 0)->setText("1002");
            click(d, "cmdSave"); // typed, not chosen: no name
            QCOMPARE(env->messages().infos(), QStringList(2, "Please Complete the details."));

            enter(box(d, 0));
            click(d, "cmdSelect");
            click(d, "cmdSave");
            QCOMPARE(box(d, 3)->text(), QString("LUN"));
            QCOMPARE(gridColumn(*grid(d, "mshMealList"), 1), QStringList{"LUN"});
            click(d, "cmdSave");
        });
        QCOMPARE(env->messages().infos(),
                 QStringList({"Please Complete the details.", "Please Complete the details.",
                              "Done.", "Please Complete the details."}));
        QCOMPARE(env->statements().filter("Save_TALO"),
                 QStringList{"Station..Save_TALO_EmployeeMeal '1002', 'LUN','CLERK01'"});
        QCOMPARE(tagsOf("1002"), QString("LUN"));
    }

    void removeAsksFirstAndRemovesTheCurrentRow()
    {
        env->tag("1001", "LUN");
        form().strEmpNumTagMeal = "1001";
        open("0", [this](QDialog& d) {
            FlexGrid* list = grid(d, "mshMealList");
            env->clearStatements();
            env->messages().answerNext(false);
            click(d, "cmdRemove");
            QVERIFY(env->statements().isEmpty());
            env->messages().answerNext(true);
            dblClickRow(list, rowOf(list, "LUN"));
            QCOMPARE(gridColumn(*list, 1), QStringList{"BRK"});
        });
        const auto asked = env->messages().messages().first();
        QCOMPARE(asked.text, QString("Are you sure you want to REMOVE the selected items?"));
        QCOMPARE(asked.title, QString("Confirmation"));
        QCOMPARE(env->statements(),
                 QStringList({"Station..Remove_TALO_EmployeeTaggedMeals '1001', 'LUN', 'CLERK01'",
                              "Station..Load_TALO_EmployeeTaggedMeals '1001'"}));
        QCOMPARE(env->messages().infos(), QStringList{"Done."});
        QCOMPARE(tagsOf("1001"), QString("BRK"));
    }

    void removeOnAnEmptyListSendsAnEmptyCode()
    {
        form().strEmpNumTagMeal = "1002";
        open("0", [this](QDialog& d) {
            env->messages().answerNext(true);
            click(d, "cmdRemove");
        });
        QVERIFY(env->statements().contains(
            "Station..Remove_TALO_EmployeeTaggedMeals '1002', '', 'CLERK01'"));
        // The store refuses to remove a tag that is not there; that is not "Done.".
        QCOMPARE(env->messages().errors().size(), 1);
        QVERIFY(env->messages().infos().isEmpty());
        QCOMPARE(tagsOf("1001"), QString("BRK"));
    }

    void aFailedSaveIsReportedAndKeepsTheEntry()
    {
        form().strEmpNumTagMeal = "1001";
        form().strEmpNameTagMeal = "Reyes, Ana Bautista";
        open("0", [this](QDialog& d) {
            lookupAnswers("LUN");
            click(d, "cmdSearchType");
            env->sqlite("DROP TABLE Station.tbTALOEmployeeMeal");
            click(d, "cmdSave");
            QCOMPARE(box(d, 2)->text(), QString("Lunch"));
        });
        QCOMPARE(env->messages().errors().size(), 1);
        QVERIFY(!env->messages().infos().contains("Done."));
    }

    void aMealTaggedFromTheCounterIsOfferedByItsMealLookup()
    {
        env->addMeal("L01", "Chicken Adobo", "LUN");
        env->addMeal("B01", "Pandesal", "BRK");
        mdiTALO frame(env->context(),
                      [this] { return std::make_unique<TestUser>(&env->recorder(), "CLERK01"); });
        QVERIFY(frame.Form_Load());
        frame.show();
        auto& counter = env->context().windows().get<frmEmployeeList>();
        auto* list = counter.findChild<FlexGrid*>("mshEmpList");
        const QPoint at = list->rowRect(rowOf(list, "1002")).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(list->viewport(), Qt::RightButton, {}, at);
        auto* inquiry = frame.findChild<QMenu*>("mnuInquiry");
        QTRY_VERIFY(inquiry->isVisible());

        env->modal().then([this](QDialog& d) {
            QCOMPARE(box(d, 1)->text(), QString("Santos, Ben Cruz"));
            lookupAnswers("LUN");
            click(d, "cmdSearchType");
            click(d, "cmdSave");
            click(d, "cmdClose");
        });
        auto* item = frame.findChild<QAction*>("mnuTagEmployeeMeal");
        QTest::mouseClick(inquiry, Qt::LeftButton, {}, inquiry->actionGeometry(item).center());
        QCOMPARE(tagsOf("1002"), QString("LUN"));

        QStringList offered;
        env->modal().then(
            [&offered](QDialog& d) { offered = gridColumn(*grid(d, "mshSearchList"), 1); });
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(counter.findChild<QPushButton*>("cmdMealEntry(4)"), Qt::LeftButton);
        QCOMPARE(offered, QStringList{"L01"});
        QCOMPARE(env->modal().unexpected(), 0);
    }
};

QTEST_MAIN(tst_frmEmployeeMealTag)
#include "tst_frmEmployeeMealTag.moc"
