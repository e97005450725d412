#include "context/WindowRegistry.h"
#include "counter/BadgeScanWatch.h"
#include "counter/frmEmployeeList.h"
#include "settings/AppSettingsData.h"
#include "support/CaptionCheck.h"
#include "support/CounterUi.h"
#include "support/TestEnvironment.h"
#include "support/WidgetUi.h"
#include "widgets/FlexGrid.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class tst_frmEmployeeList : public QObject
{
    Q_OBJECT

private slots:
    void layoutMatchesTheDesign();
    void tabVisitsTheControlsInTheDesignedOrder();
    void captionsFitTheirBoxesWithTheFontsAtHand();
    void loadSearchesWithEmptyTextInBrowseMode();
    void enterSearchesAndOtherKeysOnlyType();
    void searchWithQuoteOrWithoutMatch();
    void failedSearchKeepsTheTextAndOffersNobody();
    void clickShowsReceivedMealsWithoutEntry();
    void doubleClickNeedsServingRight();
    void addBuildsTheOrderWithoutDuplicates();
    void addRefusesIncompleteEntry();
    void removeByButtonAndDoubleClick();
    void cancelDropsTheOrder();
    void mealLookupFillsOrEmptiesTheEntry();
    void saveRecordsEveryLineOnce();
    void saveFailureKeepsTheOrderAndStoresNothing();
    void saveOfEmptyOrderSendsNothing();
    void revokeAskedAnsweredAndRefreshed();
    void revokeNeedsRevokingRight();
    void aClosedMonthIsNeitherRevokedNorAddedTo();
    void typedMealModeIsTakenUnchanged_data();
    void typedMealModeIsTakenUnchanged();
    void eachSearchLoadAndSaveReadsTheServerClock();
    void pastMidnightTheCounterWorksOnTheNewDay();
    void entryModeNamesTheChosenEmployee();
    void wholeOrderByKeyboardAlone();
    void warnLimitAsksBeforeTheSave_data();
    void warnLimitAsksBeforeTheSave();
    void blockLimitIsRefusedAndNothingStored();
    void modeServedAtTheServerTimeIsPreselected_data();
    void modeServedAtTheServerTimeIsPreselected();
    void scanModeOpensEntryForAnExactNumber_data();
    void scanModeOpensEntryForAnExactNumber();
    void keysDoOnlyWhatTheSiteChose_data();
    void keysDoOnlyWhatTheSiteChose();
    void settingsAreReadAtLoadAndOnceAMinute();
    void scanModeServesBadgeAfterBadge();
    void badgeThatFindsNobodySaysWhy_data();
    void badgeThatFindsNobodySaysWhy();
    void badgesScannedDuringOrdersReachTheirEmployees();
    void badgeScannedOverAnOrderWithLines_data();
    void badgeScannedOverAnOrderWithLines();
    void typedModeMustBeTheSitesOnceAnyModeIsLimited_data();
    void typedModeMustBeTheSitesOnceAnyModeIsLimited();
    void closingWithAnUnsavedOrderAsksFirst_data();
    void closingWithAnUnsavedOrderAsksFirst();
};

void tst_frmEmployeeList::layoutMatchesTheDesign()
{
    Counter c;
    QCOMPARE(c.window->objectName(), QStringLiteral("frmEmployeeList"));
    QCOMPARE(c.window->windowTitle(), QStringLiteral("List of Employees"));
    QCOMPARE(c.window->size(), QSize(Twips::toPixels(14670), Twips::toPixels(8880)));

    const struct
    {
        const char* name;
        const char* parent;
        const char* caption;
        QRect twips;
    } controls[] = {
        {"fraSearch", "frmEmployeeList", "", {30, 30, 8895, 1215}},
        {"lblSearchEmployee", "fraSearch", "Search Employee", {150, 120, 3495, 495}},
        {"txtEmployeeDetails", "fraSearch", "", {120, 600, 7335, 500}},
        {"cmdSearch", "fraSearch", "Search", {7560, 600, 1215, 495}},
        {"fraList", "frmEmployeeList", "", {30, 1275, 8895, 7575}},
        {"lblListEmployees", "fraList", "List of Employees Entered", {150, 120, 3495, 495}},
        {"mshEmpList", "fraList", "", {155, 600, 8585, 6855}},
        {"fraCounter", "frmEmployeeList", "", {8955, 30, 5685, 8820}},
        {"lblCounter(3)", "fraCounter", "Meals Received Today", {120, 120, 5415, 375}},
        {"mshMealList(1)", "fraCounter", "", {120, 600, 5415, 1695}},
        {"lblCounter(0)", "fraCounter", "Meal Entries", {120, 2520, 5415, 375}},
        {"txtMealEntry(1)", "fraCounter", "", {120, 2880, 4095, 500}},
        {"cmdMealEntry(4)", "fraCounter", "Search", {4320, 2880, 1215, 495}},
        {"lblCounter(4)", "fraCounter", "Meal Mode:", {120, 3480, 1575, 375}},
        {"cmdMealMode", "fraCounter", "", {1800, 3480, 2415, 420}},
        {"txtMealEntry(0)", "fraCounter", "", {4320, 3480, 1215, 300}},
        {"lblCounter(1)", "fraCounter", "Remarks", {120, 3960, 1335, 375}},
        {"txtMealEntry(2)", "fraCounter", "", {120, 4320, 5415, 855}},
        {"cmdMealEntry(2)", "fraCounter", "Add", {4320, 5280, 1215, 495}},
        {"lblCounter(2)", "fraCounter", "Order List", {120, 6000, 1935, 375}},
        {"mshMealList(0)", "fraCounter", "", {120, 6360, 5415, 1695}},
        {"cmdMealEntry(3)", "fraCounter", "Remove", {120, 8160, 1215, 495}},
        {"cmdMealEntry(0)", "fraCounter", "Save", {3000, 8160, 1215, 495}},
        {"cmdMealEntry(1)", "fraCounter", "Cancel", {4320, 8160, 1215, 495}},
    };
    for (const auto& control : controls) {
        const QString name = QLatin1String(control.name);
        auto* widget = c.get<QWidget>(name);
        QCOMPARE(widget->parentWidget()->objectName(), QLatin1String(control.parent));
        const QRect& t = control.twips;
        QCOMPARE(widget->geometry(), Twips::rect(t.x(), t.y(), t.width(), t.height()));
        if (auto* label = qobject_cast<QLabel*>(widget))
            QCOMPARE(label->text(), QLatin1String(control.caption));
        if (auto* button = qobject_cast<QPushButton*>(widget))
            QCOMPARE(button->text(), QLatin1String(control.caption));
    }
    for (const char* line : {"Line1", "Line2"})
        QCOMPARE(c.get<QWidget>(QLatin1String(line))->parentWidget(), c.frame("fraCounter"));

    QStringList modes;
    for (int i = 0; i < c.mealMode()->count(); ++i)
        modes.append(c.mealMode()->itemText(i));
    QCOMPARE(modes, QStringList({"Breakfast", "Lunch", "Dinner", "AM Snack", "PM Snack", "MN Snack",
                                 "Extra Meal", "Extra Snack"}));
    QVERIFY(c.mealMode()->isEditable());
}

void tst_frmEmployeeList::tabVisitsTheControlsInTheDesignedOrder()
{
    // Down the search and list frames, then the counter frame from top to bottom; the
    // combo box and the meal code box sit on one line, the box last.
    Counter c;
    QCOMPARE(c.tabStops(),
             QStringList({"txtEmployeeDetails", "cmdSearch", "mshEmpList", "mshMealList(1)",
                          "txtMealEntry(1)", "cmdMealEntry(4)", "cmdMealMode", "txtMealEntry(0)",
                          "txtMealEntry(2)", "cmdMealEntry(2)", "mshMealList(0)", "cmdMealEntry(3)",
                          "cmdMealEntry(0)", "cmdMealEntry(1)"}));

    // A key pressed in the list: Tab leaves it and its current row stays.
    c.search(QStringLiteral("Smith"));
    c.empList()->setFocus();
    const int row = c.empList()->Row();
    Counter::key(Qt::Key_Tab);
    QVERIFY(!c.empList()->hasFocus());
    QCOMPARE(c.empList()->Row(), row);
}

void tst_frmEmployeeList::captionsFitTheirBoxesWithTheFontsAtHand()
{
    Counter c;
    QCOMPARE(cutOffCaptions(c.window).join(", "), QString());
    // Only what is too wide is made smaller: a caption with room keeps its designed size.
    QCOMPARE(c.get<QLabel>(QStringLiteral("lblCounter(3)"))->font().pointSizeF(), 14.25);
    QVERIFY(c.get<QLabel>(QStringLiteral("lblListEmployees"))->font().pointSizeF() >= 6.0);

    // In entry mode, with meals received (CLERKID among them) and an order line: the lists
    // at their designed widths, the last columns too, whatever their headers need.
    c.seedReceived(QStringLiteral("M01"), QStringLiteral("07:15:00"), QStringLiteral("warm"));
    c.serveSmith();
    c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"));
    QCOMPARE(c.received()->TextMatrix(0, 5), QStringLiteral("CLERKID"));
    QCOMPARE(cutOffCaptions(c.window).join(", "), QString());
    QCOMPARE(c.received()->columnWidth(5), Twips::toPixels(750));
    QCOMPARE(c.orderList()->columnWidth(4), Twips::toPixels(3000));
    // The site's fitted columns: every header whole.
    c.changeSettings([](AppSettings& s) { s.fittedColumns = true; });
    QCOMPARE(cutOffCaptions(c.window).join(", "), QString());
    QVERIFY(c.received()->columnWidth(5) >= Twips::toPixels(750));
}

void tst_frmEmployeeList::loadSearchesWithEmptyTextInBrowseMode()
{
    Counter c;
    QCOMPARE(c.sent(), QStringList{kSearchEmpty});
    FlexGrid* list = c.empList();
    QCOMPARE(list->Rows(), 4); // header and the three employees, by name
    QCOMPARE(list->TextMatrix(1, 2).trimmed(), QStringLiteral("O'Neil, Mary"));
    QCOMPARE(list->TextMatrix(0, 1), QStringLiteral("EMPNUM"));
    QVERIFY(list->isEnabled());
    QCOMPARE(list->Row(), 1);
    QVERIFY(c.inBrowseMode());
    for (int i = 0; i < 3; ++i) {
        QVERIFY(!c.entry(i)->isEnabled());
        QCOMPARE(c.entry(i)->text(), QString());
    }
    QCOMPARE(c.mealMode()->currentText(), QString());
}

void tst_frmEmployeeList::enterSearchesAndOtherKeysOnlyType()
{
    Counter c;
    c.env.clearStatements();
    QTest::keyClicks(c.searchBox(), QStringLiteral("Smi"));
    QCOMPARE(c.sent(), QStringList());
    QCOMPARE(c.searchBox()->text(), QStringLiteral("Smi"));

    c.searchBox()->setFocus();
    QTest::keyClick(c.searchBox(), Qt::Key_Return);
    QCOMPARE(c.sent(), QStringList{QStringLiteral(
                           "Station..Load_Employee_for_Meal '12/8/2026 11:30:15 AM', 'Smi'")});
    FlexGrid* list = c.empList();
    QCOMPARE(list->Rows(), 3);
    QCOMPARE(list->TextMatrix(1, 1), QStringLiteral("E002"));
    QCOMPARE(list->TextMatrix(2, 1), QStringLiteral("E003"));
    QVERIFY(list->isEnabled());
    QCOMPARE(list->Row(), 1);
    QVERIFY(list->hasFocus());
    QCOMPARE(list->ColWidth(2), 3500);

    // The button runs the same search; the search leaves the counter alone.
    c.env.clearStatements();
    QTest::mouseClick(c.get<QPushButton>(QStringLiteral("cmdSearch")), Qt::LeftButton);
    QCOMPARE(c.sent().size(), 1);
    QCOMPARE(c.received()->Rows(), 2);
}

void tst_frmEmployeeList::searchWithQuoteOrWithoutMatch()
{
    Counter c;
    c.env.clearStatements();
    c.search(QStringLiteral("O'Neil"));
    QCOMPARE(c.sent(), QStringList{QStringLiteral("Station..Load_Employee_for_Meal "
                                                  "'12/8/2026 11:30:15 AM', 'O''Neil'")});
    QCOMPARE(c.empList()->Rows(), 2);
    QCOMPARE(c.empList()->TextMatrix(1, 2).trimmed(), QStringLiteral("O'Neil, Mary"));
    QCOMPARE(c.env.messages().errors().size(), 0);

    c.search(QStringLiteral("Nobody"));
    QCOMPARE(c.empList()->Rows(), 2);
    QCOMPARE(c.empList()->TextMatrix(1, 1), QString());
    QVERIFY(!c.empList()->isEnabled());
}

void tst_frmEmployeeList::failedSearchKeepsTheTextAndOffersNobody()
{
    Counter c;
    c.env.sqlite(QStringLiteral("ALTER TABLE Payroll.tbcmaster RENAME TO tbcmasterGone"));
    c.search(QStringLiteral("Smith"));
    QCOMPARE(c.env.messages().errors().size(), 1);
    QCOMPARE(c.searchBox()->text(), QStringLiteral("Smith"));
    // The rows of the earlier search are gone and nothing can be double-clicked.
    QCOMPARE(c.empList()->TextMatrix(1, 1), QString());
    QVERIFY(!c.empList()->isEnabled());
    QVERIFY(c.inBrowseMode());
}

void tst_frmEmployeeList::clickShowsReceivedMealsWithoutEntry()
{
    Counter c;
    c.seedReceived(QStringLiteral("M01"), QStringLiteral("07:15:00"), QStringLiteral("No sugar"));
    c.search(QStringLiteral("E002"));
    c.env.clearStatements();

    Counter::clickRow(c.empList(), 1);
    QCOMPARE(c.sent(), QStringList{kLoadE002});
    QCOMPARE(c.window->strEmpNum, QStringLiteral("E002"));
    QCOMPARE(c.window->strEmpCol3, QStringLiteral("2026-12-08"));
    FlexGrid* received = c.received();
    QCOMPARE(received->Rows(), 2);
    QCOMPARE(received->Cols(), 8);
    QCOMPARE(received->TextMatrix(1, 1), QStringLiteral("M01"));
    QCOMPARE(received->TextMatrix(1, 2), QStringLiteral("Rice porridge"));
    QCOMPARE(received->TextMatrix(1, 4), QStringLiteral("No sugar"));
    QCOMPARE(received->TextMatrix(0, 6), QStringLiteral("TRANSNUM"));
    // Shown with data, yet out of reach while the counter frame is disabled.
    QVERIFY(received->isEnabledTo(c.frame("fraCounter")));
    QVERIFY(!received->isEnabled());
    QVERIFY(c.inBrowseMode());

    // Someone who received nothing: the designed headers, one blank disabled row.
    c.search(QStringLiteral("E003"));
    Counter::clickRow(c.empList(), 1);
    QCOMPARE(received->Rows(), 2);
    QCOMPARE(received->Cols(), 5);
    QCOMPARE(received->TextMatrix(0, 2), QStringLiteral("DESCRIPTION "));
    QCOMPARE(received->TextMatrix(1, 1), QString());
    QVERIFY(!received->isEnabledTo(c.frame("fraCounter")));
}

void tst_frmEmployeeList::doubleClickNeedsServingRight()
{
    {
        Counter c(kNoServing);
        c.search(QStringLiteral("E002"));
        c.env.clearStatements();
        Counter::dblClickRow(c.empList(), 1);
        QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("No Access.")});
        QVERIFY(c.inBrowseMode());
        QCOMPARE(c.sent(), QStringList{kLoadE002}); // the Click's load only
    }
    Counter c;
    c.search(QStringLiteral("E002"));
    c.env.clearStatements();
    Counter::dblClickRow(c.empList(), 1);
    QCOMPARE(c.env.messages().texts(), QStringList());
    QVERIFY(c.inEntryMode());
    QCOMPARE(c.sent(), QStringList({kLoadE002, kLoadE002}));
    QCOMPARE(c.orderList()->Rows(), 2);
    QCOMPARE(c.orderList()->Cols(), 5);
    QCOMPARE(c.orderList()->TextMatrix(0, 3), QStringLiteral("MEAL MODE "));
    QCOMPARE(c.orderList()->ColWidth(4), 3000);
}

void tst_frmEmployeeList::addBuildsTheOrderWithoutDuplicates()
{
    Counter c;
    c.serveSmith();
    c.typeLine(QStringLiteral("M01"), QStringLiteral("Rice porridge"), QStringLiteral("Breakfast"),
               QStringLiteral("Don't add salt"));
    QCOMPARE(c.orderList()->Rows(), 2);
    QCOMPARE(c.orderColumn(1), QStringList{"M01"});
    QCOMPARE(c.orderColumn(4), QStringList{"Don't add salt"});
    for (int i = 0; i < 3; ++i)
        QCOMPARE(c.entry(i)->text(), QString());
    QCOMPARE(c.mealMode()->currentText(), QString());

    // A mode typed by hand is taken as typed.
    c.entry(0)->setText(QStringLiteral("M02"));
    c.entry(1)->setText(QStringLiteral("Fish fillet"));
    QTest::keyClicks(c.mealMode(), QStringLiteral("Late Lunch"));
    QTest::mouseClick(c.button(2), Qt::LeftButton);
    QCOMPARE(c.orderColumn(1), QStringList({"M01", "M02"}));
    QCOMPARE(c.orderColumn(3), QStringList({"Breakfast", "Late Lunch"}));

    // The same meal again, under another mode: refused naming the line already there.
    c.typeLine(QStringLiteral("M01"), QStringLiteral("Other text"), QStringLiteral("Dinner"));
    QCOMPARE(c.env.messages().infos(),
             QStringList{QStringLiteral("Meal Rice porridge already on the List.")});
    QCOMPARE(c.orderColumn(1), QStringList({"M01", "M02"}));
    QCOMPARE(c.entry(0)->text(), QString());
    QCOMPARE(c.entry(1)->text(), QString());

    // Letter case makes a different code.
    c.typeLine(QStringLiteral("m01"), QStringLiteral("Rice porridge"), QStringLiteral("Dinner"));
    QCOMPARE(c.orderColumn(1), QStringList({"M01", "M02", "m01"}));
    QCOMPARE(c.sent(), QStringList());
}

void tst_frmEmployeeList::addRefusesIncompleteEntry()
{
    Counter c;
    c.serveSmith();
    c.typeLine(QStringLiteral("M01"), QStringLiteral("Rice porridge"), QString(),
               QStringLiteral("warm"));
    c.typeLine(QString(), QStringLiteral("Rice porridge"), QStringLiteral("Lunch"));
    QCOMPARE(c.env.messages().infos(), QStringList({QStringLiteral("Please complete detatils."),
                                                    QStringLiteral("Please complete detatils.")}));
    // Nothing was cleared and no line was written.
    QCOMPARE(c.entry(1)->text(), QStringLiteral("Rice porridge"));
    QCOMPARE(c.mealMode()->currentText(), QStringLiteral("Lunch"));
    QCOMPARE(c.orderList()->Rows(), 2);
    QCOMPARE(c.orderList()->TextMatrix(1, 1), QString());
}

void tst_frmEmployeeList::removeByButtonAndDoubleClick()
{
    Counter c;
    c.serveSmith();
    c.typeLine(QStringLiteral("M01"), QStringLiteral("Rice porridge"), QStringLiteral("Breakfast"));
    c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"));
    c.typeLine(QStringLiteral("M03"), QStringLiteral("Fruit cup"), QStringLiteral("Lunch"));

    Counter::clickRow(c.orderList(), 2);
    QCOMPARE(c.orderList()->Row(), 2);
    QTest::mouseClick(c.button(3), Qt::LeftButton);
    QCOMPARE(c.orderColumn(1), QStringList({"M01", "M03"}));

    Counter::dblClickRow(c.orderList(), 1);
    QCOMPARE(c.orderColumn(1), QStringList{"M03"});

    // The last line is blanked, not deleted; on an empty order nothing changes.
    QTest::mouseClick(c.button(3), Qt::LeftButton);
    QCOMPARE(c.orderList()->Rows(), 2);
    for (int col = 1; col < 5; ++col)
        QCOMPARE(c.orderList()->TextMatrix(1, col), QString());
    QCOMPARE(c.orderList()->TextMatrix(0, 1), QStringLiteral("MEAL "));
    QTest::mouseClick(c.button(3), Qt::LeftButton);
    QCOMPARE(c.orderList()->Rows(), 2);
    QCOMPARE(c.orderList()->TextMatrix(0, 1), QStringLiteral("MEAL "));

    // The next Add fills the blank row instead of leaving it above the line.
    c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"));
    QCOMPARE(c.orderColumn(1), QStringList{"M02"});
    QCOMPARE(c.sent(), QStringList());
}

void tst_frmEmployeeList::cancelDropsTheOrder()
{
    Counter c;
    c.serveSmith();
    c.typeLine(QStringLiteral("M01"), QStringLiteral("Rice porridge"), QStringLiteral("Breakfast"));
    c.entry(2)->setText(QStringLiteral("half"));
    c.mealMode()->setEditText(QStringLiteral("Dinner"));
    QTest::mouseClick(c.button(1), Qt::LeftButton);
    QVERIFY(c.inBrowseMode());
    QCOMPARE(c.orderList()->TextMatrix(1, 1), QString());
    QCOMPARE(c.entry(2)->text(), QString());
    QCOMPARE(c.mealMode()->currentText(), QString());
    QVERIFY(c.searchBox()->hasFocus());
    QCOMPARE(c.sent(), QStringList());
    QCOMPARE(c.storedMeals(), 0);
}

void tst_frmEmployeeList::mealLookupFillsOrEmptiesTheEntry()
{
    Counter c;
    c.serveSmith();
    c.entry(1)->setText(QStringLiteral("f"));

    c.env.modal().then([](QDialog& dialog) {
        auto* list = dialog.findChild<FlexGrid*>(QStringLiteral("mshSearchList"));
        QVERIFY(list);
        QCOMPARE(list->Rows(), 3); // Fish fillet, Fruit cup
        Counter::dblClickRow(list, 2);
    });
    QTest::mouseClick(c.button(4), Qt::LeftButton);
    QCOMPARE(c.env.modal().shown(), QStringList{QStringLiteral("frmSearcher")});
    QCOMPARE(c.sent(),
             QStringList{QStringLiteral("Station..Load_TALO_EmployeeAllowedMeals 'E002', 'f'")});
    QCOMPARE(c.entry(0)->text(), QStringLiteral("M03"));
    QCOMPARE(c.entry(1)->text(), QStringLiteral("Fruit cup"));

    // Closed without a choice: both boxes are emptied.
    c.env.modal().thenClose();
    QTest::mouseClick(c.button(4), Qt::LeftButton);
    QCOMPARE(c.entry(0)->text(), QString());
    QCOMPARE(c.entry(1)->text(), QString());
    QCOMPARE(c.env.modal().unexpected(), 0);
}

void tst_frmEmployeeList::saveRecordsEveryLineOnce()
{
    Counter c;
    c.serveSmith();
    c.typeLine(QStringLiteral("M01"), QStringLiteral("Rice porridge"), QStringLiteral("Breakfast"),
               QStringLiteral("Don't add salt"));
    c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"));
    c.typeLine(QStringLiteral("M03"), QStringLiteral("Fruit cup"), QStringLiteral("PM Snack"),
               QStringLiteral("cold"));
    QTest::mouseClick(c.button(0), Qt::LeftButton);

    QCOMPARE(c.sent(),
             QStringList({saveText("M01", "Breakfast", "Don''t add salt"),
                          saveText("M02", "Lunch", ""), saveText("M03", "PM Snack", "cold")}));
    const Recordset rows =
        c.env.query(QStringLiteral("SELECT EmpNum, MealCode, MealMode, MealDate, Remarks, ClerkID, "
                                   "Source FROM Station.tbTALOEmployeeDistributedMeals "
                                   "ORDER BY TransNum"));
    QCOMPARE(rows.recordCount(), 3);
    QCOMPARE(rows.rows().at(0), QStringList({"E002", "M01", "Breakfast", "2026-12-08 11:30:15",
                                             "Don't add salt", "CLERK01", "S"}));
    QCOMPARE(rows.value(2, 1), QStringLiteral("M03"));
    QCOMPARE(rows.value(2, 3), QStringLiteral("2026-12-08 11:30:15"));
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved!")});
    QVERIFY(c.inBrowseMode());
    QCOMPARE(c.orderList()->TextMatrix(1, 1), QString());
    QCOMPARE(c.received()->TextMatrix(1, 2), QString()); // not reloaded

    // The remark with its quote comes back as typed among the meals received.
    Counter::clickRow(c.empList(), 1);
    QCOMPARE(c.received()->Rows(), 4);
    QCOMPARE(c.received()->TextMatrix(c.rowOf(c.received(), "M01"), 4),
             QStringLiteral("Don't add salt"));
}

void tst_frmEmployeeList::saveFailureKeepsTheOrderAndStoresNothing()
{
    Counter c;
    c.serveSmith();
    c.typeLine(QStringLiteral("M01"), QStringLiteral("Rice porridge"), QStringLiteral("Breakfast"));
    c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"));
    c.typeLine(QStringLiteral("M03"), QStringLiteral("Fruit cup"), QStringLiteral("Lunch"));
    c.env.sqlite(QStringLiteral(
        "CREATE TEMP TRIGGER refuseFish BEFORE INSERT ON Station.tbTALOEmployeeDistributedMeals "
        "WHEN NEW.MealCode = 'M02' BEGIN SELECT RAISE(ABORT, 'fish is off'); END"));

    QTest::mouseClick(c.button(0), Qt::LeftButton);
    QCOMPARE(c.sent(),
             QStringList({saveText("M01", "Breakfast", ""), saveText("M02", "Lunch", "")}));
    QCOMPARE(c.storedMeals(), 0);
    QCOMPARE(c.env.messages().errors().size(), 1);
    QCOMPARE(c.env.messages().infos(), QStringList());
    QVERIFY(c.inEntryMode());
    QCOMPARE(c.orderColumn(1), QStringList({"M01", "M02", "M03"}));

    // Once the cause is gone, the retry records each meal exactly once.
    c.env.sqlite(QStringLiteral("DROP TRIGGER refuseFish"));
    QTest::mouseClick(c.button(0), Qt::LeftButton);
    QCOMPARE(c.storedMeals(), 3);
    QCOMPARE(c.storedMeals(QStringLiteral("MealCode = 'M01'")), 1);
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved!")});
}

void tst_frmEmployeeList::saveOfEmptyOrderSendsNothing()
{
    Counter c;
    c.serveSmith();
    c.typeLine(QStringLiteral("M01"), QStringLiteral("Rice porridge"), QStringLiteral("Breakfast"));
    QTest::mouseClick(c.button(3), Qt::LeftButton); // back to the blank row
    QTest::mouseClick(c.button(0), Qt::LeftButton);
    QCOMPARE(c.sent(), QStringList());
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("The order list is empty.")});
    QCOMPARE(c.storedMeals(), 0);
    QVERIFY(c.inEntryMode());
}

void tst_frmEmployeeList::revokeAskedAnsweredAndRefreshed()
{
    Counter c;
    c.seedReceived(QStringLiteral("M01"), QStringLiteral("07:15:00"), QStringLiteral(""));
    c.seedReceived(QStringLiteral("M02"), QStringLiteral("12:05:00"), QStringLiteral(""));
    const QString fishTrans = c.env.scalar(QStringLiteral(
        "SELECT TransNum FROM Station.tbTALOEmployeeDistributedMeals WHERE MealCode = 'M02'"));
    c.serveSmith();
    c.typeLine(QStringLiteral("M03"), QStringLiteral("Fruit cup"), QStringLiteral("Lunch"));

    // No: nothing sent, nothing refreshed, and the unsaved line stays in the order.
    c.env.messages().answerNext(false);
    Counter::dblClickRow(c.received(), c.rowOf(c.received(), "M02"));
    QCOMPARE(c.env.messages().messages().size(), 1);
    QCOMPARE(c.env.messages().messages().at(0).text,
             QStringLiteral("Are you sure you want to revoke the selected items?"));
    QCOMPARE(c.env.messages().messages().at(0).title, QStringLiteral("Confirmation"));
    QCOMPARE(c.sent(), QStringList());
    QCOMPARE(c.orderColumn(1), QStringList{"M03"});
    QCOMPARE(c.received()->Rows(), 3);
    QVERIFY(c.inEntryMode());
    QCOMPARE(c.storedMeals(QStringLiteral("RevokedBy IS NOT NULL")), 0);

    // Yes: the meal of the double-clicked row is revoked, then the list is read again.
    c.env.clearStatements();
    c.env.messages().clear();
    c.env.messages().answerNext(true);
    Counter::dblClickRow(c.received(), c.rowOf(c.received(), "M02"));
    QCOMPARE(c.sent(), QStringList({QStringLiteral("Station..Revoke_TALO_EmployeeDistributedMeals "
                                                   "'E002', '%1', 'CLERK01'")
                                        .arg(fishTrans),
                                    kLoadE002}));
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Done.")});
    QCOMPARE(
        c.env.scalar(QStringLiteral("SELECT RevokedBy FROM "
                                    "Station.tbTALOEmployeeDistributedMeals WHERE TransNum = ") +
                     fishTrans),
        QStringLiteral("CLERK01"));
    QCOMPARE(c.storedMeals(QStringLiteral("RevokedBy IS NOT NULL")), 1);
    QCOMPARE(c.received()->Rows(), 2);
    QCOMPARE(c.received()->TextMatrix(1, 1), QStringLiteral("M01"));
    QVERIFY(c.inEntryMode());
}

void tst_frmEmployeeList::aClosedMonthIsNeitherRevokedNorAddedTo()
{
    Counter c;
    c.seedReceived(QStringLiteral("M01"), QStringLiteral("07:15:00"), QStringLiteral(""));
    const QString trans = c.env.scalar(QStringLiteral(
        "SELECT TransNum FROM Station.tbTALOEmployeeDistributedMeals WHERE MealCode = 'M01'"));
    // Payroll has the meals through today, the day of the server's clock.
    AppSettingsData(c.env.context()).closeThrough(QDate(2026, 12, 8));
    c.serveSmith();
    c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"));

    // The revoke is refused with the store's words; the meal and the order stay.
    c.env.messages().answerNext(true);
    Counter::dblClickRow(c.received(), 1);
    QCOMPARE(c.env.messages().errors().size(), 1);
    QCOMPARE(c.env.messages().errors().at(0).text,
             QStringLiteral("Meal %1 of 2026-12-08 cannot be revoked: the meals through "
                            "2026-12-08 are closed for payroll.")
                 .arg(trans));
    QVERIFY(!c.env.messages().infos().contains(QStringLiteral("Done.")));
    QCOMPARE(c.storedMeals(QStringLiteral("RevokedAt IS NOT NULL")), 0);
    QCOMPARE(c.orderColumn(1), QStringList{"M02"});

    // No meal is added to the closed day either.
    c.env.messages().clear();
    QTest::mouseClick(c.button(0), Qt::LeftButton);
    QCOMPARE(c.env.messages().errors().size(), 1);
    QCOMPARE(c.env.messages().errors().at(0).text,
             QStringLiteral("The meals through 2026-12-08 are closed for payroll: no meal dated "
                            "12/8/2026 11:30:15 AM can be recorded."));
    QCOMPARE(c.storedMeals(), 1);
    QCOMPARE(c.orderColumn(1), QStringList{"M02"});

    // Closed through the day before, today's meals are the counter's again.
    AppSettingsData(c.env.context()).closeThrough(QDate(2026, 12, 7));
    c.env.messages().clear();
    QTest::mouseClick(c.button(0), Qt::LeftButton);
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved!")});
    QCOMPARE(c.storedMeals(), 2);
}

void tst_frmEmployeeList::revokeNeedsRevokingRight()
{
    Counter c(kNoRevoking);
    c.seedReceived(QStringLiteral("M01"), QStringLiteral("07:15:00"), QStringLiteral(""));
    c.serveSmith();
    c.typeLine(QStringLiteral("M03"), QStringLiteral("Fruit cup"), QStringLiteral("Lunch"));
    Counter::dblClickRow(c.received(), 1);
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("No Access.")});
    QCOMPARE(c.sent(), QStringList());
    QCOMPARE(c.orderColumn(1), QStringList{"M03"}); // no refresh: the order stays
    QCOMPARE(c.storedMeals(QStringLiteral("RevokedBy IS NOT NULL")), 0);

    // Holding "8" but no longer "6": the revoke goes through, the refresh is refused.
    c.env.setRights(QStringLiteral("CLERK01"), QStringLiteral("|1|2|3|4|5|0|7|8"));
    c.env.messages().clear();
    c.env.messages().answerNext(true);
    Counter::dblClickRow(c.received(), 1);
    QCOMPARE(c.env.messages().infos(),
             QStringList({QStringLiteral("Done."), QStringLiteral("No Access.")}));
    QCOMPARE(c.storedMeals(QStringLiteral("RevokedBy IS NOT NULL")), 1);
    QCOMPARE(c.orderColumn(1), QStringList{"M03"});
}

void tst_frmEmployeeList::typedMealModeIsTakenUnchanged_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("beginning of an item") << QStringLiteral("Extra");
    QTest::newRow("capitals of an item") << QStringLiteral("AM");
    QTest::newRow("one letter") << QStringLiteral("b");
    QTest::newRow("not an item") << QStringLiteral("Late Lunch");
}

void tst_frmEmployeeList::typedMealModeIsTakenUnchanged()
{
    QFETCH(QString, typed);
    Counter c;
    c.serveSmith();
    c.entry(0)->setText(QStringLiteral("M01"));
    QTest::keyClicks(c.mealMode(), typed);
    QCOMPARE(c.mealMode()->currentText(), typed);
    QTest::mouseClick(c.button(2), Qt::LeftButton);
    QCOMPARE(c.orderColumn(3), QStringList{typed});

    // A mode chosen from the list is the item's text.
    c.entry(0)->setText(QStringLiteral("M02"));
    c.mealMode()->setCurrentIndex(6);
    QTest::mouseClick(c.button(2), Qt::LeftButton);
    QCOMPARE(c.orderColumn(3), QStringList({typed, QStringLiteral("Extra Meal")}));
}

void tst_frmEmployeeList::eachSearchLoadAndSaveReadsTheServerClock()
{
    Counter c;
    c.env.setServerClock(QDateTime(QDate(2026, 12, 8), QTime(13, 2, 0)));
    c.env.clearStatements();
    c.search(QStringLiteral("E002"));
    QCOMPARE(c.sentWithClock(),
             QStringList({kReadClock, QStringLiteral("Station..Load_Employee_for_Meal "
                                                     "'12/8/2026 1:02:00 PM', 'E002'")}));

    c.env.clearStatements();
    Counter::clickRow(c.empList(), 1);
    QCOMPARE(c.sentWithClock(), QStringList({kReadClock, kLoadE002}));

    // A meal saved at two o'clock is recorded at two, not at the time of the sign-in.
    Counter::dblClickRow(c.empList(), 1);
    c.typeLine(QStringLiteral("M01"), QStringLiteral("Rice porridge"), QStringLiteral("Lunch"));
    c.env.setServerClock(QDateTime(QDate(2026, 12, 8), QTime(14, 0, 0)));
    c.env.clearStatements();
    QTest::mouseClick(c.button(0), Qt::LeftButton);
    QCOMPARE(c.sentWithClock(),
             QStringList(
                 {kReadClock, QStringLiteral("Station..Save_TALO_EmployeeDistributedMeals 'E002', "
                                             "'M01', 'Lunch', '12/8/2026 2:00:00 PM', '', "
                                             "'CLERK01', 'S'")}));
    QCOMPARE(
        c.env.scalar(QStringLiteral("SELECT MealDate FROM Station.tbTALOEmployeeDistributedMeals")),
        QStringLiteral("2026-12-08 14:00:00"));
    QCOMPARE(c.env.context().dtServerDate, QDateTime(QDate(2026, 12, 8), QTime(14, 0, 0)));
}

void tst_frmEmployeeList::pastMidnightTheCounterWorksOnTheNewDay()
{
    Counter c;
    c.seedReceived(QStringLiteral("M01"), QStringLiteral("12:15:00"), QStringLiteral("yesterday"));
    c.env.sqlite(QStringLiteral(
        "INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, "
        "MealDate, Remarks, ClerkID, Source, RecordedAt) VALUES('E002', 'M02', 'MN Snack', "
        "'2026-12-09 00:02:00', 'today', 'CLERK09', 'S', '2026-12-09 00:02:00')"));
    c.env.setServerClock(QDateTime(QDate(2026, 12, 8), QTime(23, 58, 0)));
    c.search(QString()); // O'Neil, Smith, Smithers
    Counter::clickRow(c.empList(), 2);
    QCOMPARE(c.received()->TextMatrix(1, 4), QStringLiteral("yesterday"));

    // Past midnight, with the list searched before it: the list is searched again for
    // the new day, the same employee stays current, and today's meals are the ones shown.
    c.env.setServerClock(QDateTime(QDate(2026, 12, 9), QTime(0, 5, 0)));
    c.env.clearStatements();
    c.searchBox()->setText(QStringLiteral("Smithers")); // typed, not searched: not used
    Counter::clickRow(c.empList(), 2);
    QCOMPARE(c.sent(), QStringList({QStringLiteral("Station..Load_Employee_for_Meal "
                                                   "'12/9/2026 12:05:00 AM', ''"),
                                    QStringLiteral("Station..Load_TALO_EmployeeDistributedMeals "
                                                   "'E002', '2026-12-09'")}));
    QCOMPARE(c.empList()->Row(), 2);
    QCOMPARE(c.window->strEmpNum, QStringLiteral("E002"));
    QCOMPARE(c.received()->Rows(), 2);
    QCOMPARE(c.received()->TextMatrix(1, 4), QStringLiteral("today"));

    // What is served now is recorded on the new day.
    Counter::dblClickRow(c.empList(), 2);
    c.typeLine(QStringLiteral("M03"), QStringLiteral("Fruit cup"), QStringLiteral("Breakfast"));
    c.env.setServerClock(QDateTime(QDate(2026, 12, 9), QTime(0, 7, 30)));
    QTest::mouseClick(c.button(0), Qt::LeftButton);
    QCOMPARE(c.env.scalar(QStringLiteral("SELECT MealDate FROM "
                                         "Station.tbTALOEmployeeDistributedMeals WHERE "
                                         "MealCode = 'M03'")),
             QStringLiteral("2026-12-09 00:07:30"));

    // Someone who leaves the list by the next day is never replaced by the next row.
    c.search(QString());
    c.env.sqlite(QStringLiteral("UPDATE Payroll.tbcmaster SET Active = '0' WHERE EmpNum = 'E002'"));
    c.env.setServerClock(QDateTime(QDate(2026, 12, 10), QTime(0, 1, 0)));
    Counter::dblClickRow(c.empList(), 2);
    QVERIFY(c.inBrowseMode());
    QCOMPARE(c.chosenEmployee()->text(), QString());
    QCOMPARE(c.received()->TextMatrix(1, 1), QString());
}

void tst_frmEmployeeList::entryModeNamesTheChosenEmployee()
{
    Counter c;
    c.search(QStringLiteral("Smith"));
    QCOMPARE(c.chosenEmployee()->text(), QString());
    Counter::dblClickRow(c.empList(), 1);
    QVERIFY(c.inEntryMode());
    QCOMPARE(c.chosenEmployee()->text(), QStringLiteral("E002  Smith, John P"));
    // The name in large type is for keyboard order entry; the greyed list is enough.
    QVERIFY(!c.chosenEmployee()->isVisible());
    QCOMPARE(cutOffCaptions(c.frame("fraCounter")).join(", "), QString());

    // The greyed list still paints the chosen row as chosen.
    FlexGrid* list = c.empList();
    QVERIFY(!list->isEnabled());
    QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(list->selectionModel()->selectedRows().first().row() + 1, 1);
    const QPalette colours = list->palette();
    QVERIFY(colours.color(QPalette::Disabled, QPalette::Highlight) !=
            colours.color(QPalette::Disabled, QPalette::Base));

    // Back in browse mode nobody is named; a list disabled for want of rows shows no choice.
    QTest::mouseClick(c.button(1), Qt::LeftButton);
    QCOMPARE(c.chosenEmployee()->text(), QString());
    c.search(QStringLiteral("Nobody"));
    QCOMPARE(list->palette().color(QPalette::Disabled, QPalette::Highlight),
             list->palette().color(QPalette::Disabled, QPalette::Base));
}

void tst_frmEmployeeList::wholeOrderByKeyboardAlone()
{
    Counter c;
    c.keyboardEntry(true);
    c.env.addMeal(QStringLiteral("M04"), QStringLiteral("Fish soup"), QStringLiteral("LU"));
    QCOMPARE(c.button(0)->text(), QStringLiteral("&Save"));
    QCOMPARE(c.button(1)->text(), QStringLiteral("&Cancel"));
    c.searchBox()->setFocus();

    // Search by number; the list takes the focus and Enter chooses the current row.
    Counter::type(QStringLiteral("E002"));
    Counter::key(Qt::Key_Return);
    QVERIFY(c.empList()->hasFocus());
    Counter::key(Qt::Key_Return);
    QVERIFY(c.inEntryMode());
    QCOMPARE(c.window->strEmpNum, QStringLiteral("E002"));
    QVERIFY(c.entry(1)->hasFocus());
    QVERIFY(c.chosenEmployee()->isVisible());

    // The lookup by Enter opens on its list: Down moves, Enter chooses; typing in the
    // list goes on in the search box, whose Enter searches again.
    c.env.modal().then([](QDialog& dialog) {
        auto* list = dialog.findChild<FlexGrid*>(QStringLiteral("mshSearchList"));
        QVERIFY(list->hasFocus());
        QCOMPARE(list->TextMatrix(2, 2), QStringLiteral("Fish soup"));
        Counter::key(Qt::Key_Down);
        Counter::key(Qt::Key_Return);
    });
    c.env.modal().then([](QDialog& dialog) {
        auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("txtSearchEntry"));
        auto* list = dialog.findChild<FlexGrid*>(QStringLiteral("mshSearchList"));
        QVERIFY(list->hasFocus());
        Counter::type(QStringLiteral("u"));
        QVERIFY(box->hasFocus());
        QCOMPARE(box->text(), QStringLiteral("Fru"));
        Counter::key(Qt::Key_Return);
        QVERIFY(list->hasFocus());
        Counter::key(Qt::Key_Up); // already on the first row: stays
        Counter::key(Qt::Key_Return);
    });

    Counter::type(QStringLiteral("Fish"));
    Counter::key(Qt::Key_Return);
    c.backFromDialog();
    QCOMPARE(c.entry(0)->text(), QStringLiteral("M04"));
    QVERIFY(c.mealMode()->hasFocus());
    Counter::type(QStringLiteral("Lunch"));
    Counter::key(Qt::Key_Return);
    QVERIFY(c.entry(2)->hasFocus());
    Counter::type(QStringLiteral("no bones"));
    Counter::key(Qt::Key_Return);
    QCOMPARE(c.orderColumn(1), QStringList{"M04"});
    // The next line starts in the meal box, with the same mode.
    QVERIFY(c.entry(1)->hasFocus());
    QCOMPARE(c.mealMode()->currentText(), QStringLiteral("Lunch"));
    QCOMPARE(c.entry(2)->text(), QString());

    Counter::type(QStringLiteral("Fr"));
    Counter::key(Qt::Key_Return);
    c.backFromDialog();
    QCOMPARE(c.entry(0)->text(), QStringLiteral("M03"));
    Counter::type(QStringLiteral("PM Snack"));
    Counter::key(Qt::Key_Return);
    Counter::key(Qt::Key_Return);
    QCOMPARE(c.orderColumn(1), QStringList({"M04", "M03"}));

    // A button's Alt key presses it the way a click would, a moment later.
    Counter::key(Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved!")});
    QCOMPARE(c.env.modal().unexpected(), 0);
    const Recordset rows = c.env.query(QStringLiteral(
        "SELECT EmpNum, MealCode, MealMode, Remarks FROM Station.tbTALOEmployeeDistributedMeals "
        "ORDER BY TransNum"));
    QCOMPARE(rows.recordCount(), 2);
    QCOMPARE(rows.rows().at(0), QStringList({"E002", "M04", "Lunch", "no bones"}));
    QCOMPARE(rows.rows().at(1), QStringList({"E002", "M03", "PM Snack", ""}));
    QVERIFY(c.inBrowseMode());
    QVERIFY(c.searchBox()->hasFocus());

    // Alt+C cancels an order.
    Counter::key(Qt::Key_A, Qt::ControlModifier); // the next number replaces the last
    Counter::type(QStringLiteral("E002"));
    Counter::key(Qt::Key_Return);
    Counter::key(Qt::Key_Return);
    QVERIFY(c.inEntryMode());
    Counter::key(Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(c.inBrowseMode());
}

void tst_frmEmployeeList::warnLimitAsksBeforeTheSave_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("received"); // lunches today; "-" before a revoked one
    QTest::addColumn<QStringList>("ordered");  // meals ordered as Lunch
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("question"); // "" = none asked
    QTest::addColumn<int>("recorded");

    const QString another =
        QStringLiteral("Smith, John P has already received 1 Lunch today. Record another?");
    QTest::newRow("one more, No") << 1 << QStringList{"M03"} << QStringList{"M02"} << false
                                  << another << 0;
    QTest::newRow("one more, Yes")
        << 1 << QStringList{"M03"} << QStringList{"M02"} << true << another << 1;
    QTest::newRow("two more, No")
        << 1 << QStringList{"M03"} << QStringList{"M02", "M01"} << false
        << "Smith, John P has already received 1 Lunch today. Record 2 more?" << 0;
    QTest::newRow("the order alone passes it")
        << 1 << QStringList() << QStringList{"M02", "M03"} << true
        << "The order holds 2 Lunch for Smith, John P; the site allows 1 a day. Record them all?"
        << 2;
    QTest::newRow("within the limit")
        << 2 << QStringList{"M03"} << QStringList{"M02"} << false << QString() << 1;
    QTest::newRow("a revoked meal does not count")
        << 1 << QStringList{"-M03"} << QStringList{"M02"} << false << QString() << 1;
}

void tst_frmEmployeeList::warnLimitAsksBeforeTheSave()
{
    QFETCH(int, limit);
    QFETCH(QStringList, received);
    QFETCH(QStringList, ordered);
    QFETCH(bool, yes);
    QFETCH(QString, question);
    QFETCH(int, recorded);

    Counter c;
    c.env.addMeal(QStringLiteral("M04"), QStringLiteral("Tea"), QStringLiteral("LU"));
    c.changeSettings([&](AppSettings& s) { Counter::modeOf(s, "Lunch").dailyLimit = limit; });
    for (const QString& meal : received)
        c.seedLunch(meal.mid(meal.startsWith('-') ? 1 : 0), meal.startsWith('-'));
    const int before = c.storedMeals();
    c.serveSmith();
    // A mode without a limit never counts.
    c.typeLine(QStringLiteral("M04"), QStringLiteral("Tea"), QStringLiteral("PM Snack"));
    for (const QString& meal : ordered)
        c.typeLine(meal, meal, QStringLiteral("Lunch"));
    if (!question.isEmpty())
        c.env.messages().answerNext(yes);
    QTest::mouseClick(c.button(0), Qt::LeftButton);

    QStringList asked;
    for (const auto& message : c.env.messages().messages()) {
        if (message.kind == ScriptedMessageService::Kind::Question)
            asked << message.text;
    }
    QCOMPARE(asked, question.isEmpty() ? QStringList() : QStringList{question});
    QCOMPARE(c.env.messages().unansweredQuestions(), 0);
    // Enter on the question must not record the extra meal.
    for (const auto& message : c.env.messages().messages()) {
        if (message.kind == ScriptedMessageService::Kind::Question)
            QVERIFY(message.noByDefault);
    }
    if (recorded == 0) {
        // No records nothing of the order, and the order stays for the clerk.
        QCOMPARE(c.storedMeals(), before);
        QVERIFY(c.inEntryMode());
        QCOMPARE(c.orderColumn(1), QStringList{"M04"} + ordered);
        QCOMPARE(c.env.messages().infos(), QStringList());
    } else {
        QCOMPARE(c.storedMeals(), before + 1 + recorded);
        QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved!")});
    }
}

void tst_frmEmployeeList::blockLimitIsRefusedAndNothingStored()
{
    Counter c;
    c.changeSettings([](AppSettings& s) {
        MealModeSetting& lunch = Counter::modeOf(s, "Lunch");
        lunch.dailyLimit = 1;
        lunch.limitAction = LimitAction::Block;
    });
    c.seedLunch(QStringLiteral("M03"));
    c.serveSmith();
    c.typeLine(QStringLiteral("M01"), QStringLiteral("Rice porridge"), QStringLiteral("Breakfast"));
    c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("lunch"));
    QTest::mouseClick(c.button(0), Qt::LeftButton);

    // No question: the server refuses, in the order's own transaction.
    QCOMPARE(c.env.messages().messages().size(), 1);
    QCOMPARE(c.env.messages().errors().size(), 1);
    QCOMPARE(c.env.messages().errors().first().text,
             QStringLiteral("Smith, John P (E002) has received 1 Lunch today and this order "
                            "holds 1; the site allows 1 a day."));
    QCOMPARE(c.storedMeals(), 1);
    QVERIFY(c.inEntryMode());
    QCOMPARE(c.orderColumn(1), QStringList({"M01", "M02"}));

    // Revoking the earlier lunch frees the limit.
    c.env.sqlite(QStringLiteral(
        "UPDATE Station.tbTALOEmployeeDistributedMeals SET RevokedBy = 'CLERK09', RevokedAt = "
        "'2026-12-08 11:40:00' WHERE MealCode = 'M03'"));
    QTest::mouseClick(c.button(0), Qt::LeftButton);
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved!")});
    QCOMPARE(c.storedMeals(), 3);
}

void tst_frmEmployeeList::modeServedAtTheServerTimeIsPreselected_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("mode"); // "" = not guessed

    const QDate day(2026, 12, 8);
    QTest::newRow("breakfast window") << QDateTime(day, QTime(7, 30)) << "Breakfast";
    QTest::newRow("its first minute") << QDateTime(day, QTime(6, 0)) << "Breakfast";
    QTest::newRow("lunch window") << QDateTime(day, QTime(12, 45)) << "Lunch";
    QTest::newRow("between windows") << QDateTime(day, QTime(10, 45)) << "";
    QTest::newRow("window past midnight, before it") << QDateTime(day, QTime(23, 30)) << "MN Snack";
    QTest::newRow("window past midnight, after it")
        << QDateTime(day.addDays(1), QTime(0, 30)) << "MN Snack";
    QTest::newRow("a mode the site added") << QDateTime(day, QTime(3, 15)) << "Night Meal";
}

void tst_frmEmployeeList::modeServedAtTheServerTimeIsPreselected()
{
    QFETCH(QDateTime, now);
    QFETCH(QString, mode);

    Counter c;
    c.env.setServerClock(QDateTime(now.date(), QTime(9, 0)));
    c.changeSettings([](AppSettings& s) {
        const auto window = [&](const QString& name, QTime from, QTime to) {
            MealModeSetting& m = Counter::modeOf(s, name);
            m.serveFrom = from;
            m.serveTo = to;
        };
        window("Breakfast", QTime(6, 0), QTime(10, 0));
        window("Lunch", QTime(11, 0), QTime(14, 0));
        window("MN Snack", QTime(23, 0), QTime(1, 0));
        window("Night Meal", QTime(2, 0), QTime(4, 0));
    });
    c.search(QStringLiteral("E002"));
    // The site's own mode follows the listed ones.
    QCOMPARE(c.mealMode()->count(), 9);
    QCOMPARE(c.mealMode()->itemText(8), QStringLiteral("Night Meal"));
    QCOMPARE(c.mealMode()->currentText(), QString());

    // The clock moves on between the search and the double-click: its time counts (the
    // search's own time lies in the breakfast window).
    c.env.setServerClock(now);
    Counter::dblClickRow(c.empList(), 1);
    QVERIFY(c.inEntryMode());
    QCOMPARE(c.mealMode()->currentText(), mode);

    // The clerk may take another mode.
    c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Extra Meal"));
    QCOMPARE(c.orderColumn(3), QStringList{"Extra Meal"});
}

void tst_frmEmployeeList::scanModeOpensEntryForAnExactNumber_data()
{
    QTest::addColumn<bool>("scanMode");
    QTest::addColumn<QString>("rights");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("entry");

    QTest::newRow("exact number") << true << kAllRights << "E002" << true;
    QTest::newRow("letter case of a reader") << true << kAllRights << "e002" << true;
    QTest::newRow("partial number") << true << kAllRights << "E00" << false;
    QTest::newRow("a name") << true << kAllRights << "Smithers" << false;
    QTest::newRow("scan mode off") << false << kAllRights << "E002" << false;
    QTest::newRow("without the right to serve") << true << kNoServing << "E002" << false;
}

void tst_frmEmployeeList::scanModeOpensEntryForAnExactNumber()
{
    QFETCH(bool, scanMode);
    QFETCH(QString, rights);
    QFETCH(QString, typed);
    QFETCH(bool, entry);

    Counter c(rights);
    c.changeSettings([&](AppSettings& s) { s.scanMode = scanMode; });
    c.searchBox()->setFocus();
    Counter::type(typed);
    Counter::key(Qt::Key_Return);

    QCOMPARE(c.inEntryMode(), entry);
    if (entry) {
        QCOMPARE(c.window->strEmpNum, QStringLiteral("E002"));
        QCOMPARE(c.sent(), QStringList({QStringLiteral("Station..Load_Employee_for_Meal "
                                                       "'12/8/2026 11:30:15 AM', '%1'")
                                            .arg(typed),
                                        kLoadE002}));
        QVERIFY(c.entry(1)->hasFocus());
        QCOMPARE(c.chosenEmployee()->text(), QStringLiteral("E002  Smith, John P"));
    } else {
        QVERIFY(c.inBrowseMode());
    }
    const bool refused = rights == kNoServing;
    QCOMPARE(c.env.messages().infos(),
             refused ? QStringList{QStringLiteral("No Access.")} : QStringList());
}

void tst_frmEmployeeList::keysDoOnlyWhatTheSiteChose_data()
{
    // Where the keys go and what they do, with the site's keyboard order entry off (the
    // counter as designed) and on.
    QTest::addColumn<QString>("where");
    QTest::addColumn<bool>("keyboard");

    for (const char* where :
         {"Enter in the meal box", "Enter in the remarks", "Enter in the meal mode",
          "Enter on the list", "Down on the list", "Alt+S", "meal chosen in the lookup"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1, off").arg(QLatin1String(where))))
            << QString::fromLatin1(where) << false;
        QTest::newRow(qPrintable(QStringLiteral("%1, on").arg(QLatin1String(where))))
            << QString::fromLatin1(where) << true;
    }
}

void tst_frmEmployeeList::keysDoOnlyWhatTheSiteChose()
{
    QFETCH(QString, where);
    QFETCH(bool, keyboard);

    Counter c;
    c.keyboardEntry(keyboard);
    QCOMPARE(c.button(0)->text(), keyboard ? QStringLiteral("&Save") : QStringLiteral("Save"));
    QCOMPARE(c.button(1)->text(), keyboard ? QStringLiteral("&Cancel") : QStringLiteral("Cancel"));

    if (where.endsWith(QLatin1String("on the list"))) {
        c.search(QStringLiteral("Smi"));
        QVERIFY(c.empList()->hasFocus());
        c.env.clearStatements();
        if (where.startsWith(QLatin1String("Enter"))) {
            // Off: only a double-click chooses.
            Counter::key(Qt::Key_Return);
            QCOMPARE(c.inEntryMode(), keyboard);
        } else {
            // Off: the highlight moves; the meals received wait for a Click.
            Counter::key(Qt::Key_Down);
            QCOMPARE(c.empList()->Row(), 2);
            QCOMPARE(c.sent(), keyboard ? QStringList{QStringLiteral(
                                              "Station..Load_TALO_EmployeeDistributedMeals "
                                              "'E003', '2026-12-08'")}
                                        : QStringList());
            QVERIFY(c.inBrowseMode());
        }
        QCOMPARE(c.env.modal().unexpected(), 0);
        return;
    }

    c.serveSmith();
    QVERIFY(c.inEntryMode());
    // Off: entry mode does not move the focus (the disabled search box hands it on).
    QCOMPARE(c.entry(1)->hasFocus(), keyboard);
    bool lookedUp = false;
    if (where == QLatin1String("Enter in the meal box")) {
        if (keyboard)
            c.env.modal().then([&](QDialog&) { lookedUp = true; });
        c.entry(1)->setFocus();
        QTest::keyClicks(c.entry(1), QStringLiteral("Fish"));
        QTest::keyClick(c.entry(1), Qt::Key_Return);
        QCOMPARE(lookedUp, keyboard);
        QCOMPARE(c.entry(1)->text(), keyboard ? QString() : QStringLiteral("Fish"));
    } else if (where == QLatin1String("Enter in the remarks")) {
        c.entry(0)->setText(QStringLiteral("M02"));
        c.mealMode()->setEditText(QStringLiteral("Lunch"));
        c.entry(2)->setFocus();
        QTest::keyClick(c.entry(2), Qt::Key_Return);
        QCOMPARE(c.orderColumn(1), keyboard ? QStringList{"M02"} : QStringList{""});
    } else if (where == QLatin1String("Enter in the meal mode")) {
        c.mealMode()->setFocus();
        QTest::keyClick(c.mealMode(), Qt::Key_Return);
        QCOMPARE(c.entry(2)->hasFocus(), keyboard);
    } else if (where == QLatin1String("Alt+S")) {
        c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"));
        c.entry(2)->setFocus();
        QTest::keyClick(c.entry(2), Qt::Key_S, Qt::AltModifier);
        if (keyboard)
            QTRY_COMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved!")});
        QTest::qWait(20);
        QCOMPARE(c.storedMeals(), keyboard ? 1 : 0);
    } else {
        // The meal is chosen with the mouse; the focus stays where it was unless by keys.
        c.env.modal().then([](QDialog& dialog) {
            auto* list = dialog.findChild<FlexGrid*>(QStringLiteral("mshSearchList"));
            Counter::dblClickRow(list, 1);
        });
        c.entry(1)->setFocus();
        QTest::mouseClick(c.button(4), Qt::LeftButton);
        c.backFromDialog();
        QVERIFY(!c.entry(0)->text().isEmpty());
        QCOMPARE(c.mealMode()->hasFocus(), keyboard);
    }
    QCOMPARE(c.env.modal().unexpected(), 0);
}

void tst_frmEmployeeList::settingsAreReadAtLoadAndOnceAMinute()
{
    Counter c;
    // Load read them; a search within the minute sends the clock and the search only.
    c.env.clearStatements();
    c.search(QStringLiteral("Smi"));
    QCOMPARE(c.env.statements(),
             QStringList({kReadClock, QStringLiteral("Station..Load_Employee_for_Meal "
                                                     "'12/8/2026 11:30:15 AM', 'Smi'")}));

    // Another workstation limits Lunch: seen once the server's clock has moved a minute on.
    c.changeSettings([](AppSettings& s) { Counter::modeOf(s, "Lunch").dailyLimit = 1; }, true);
    const QDate day(2026, 12, 8);
    c.env.setServerClock(QDateTime(day, QTime(11, 31, 0)));
    c.search(QStringLiteral("Smi"));
    QCOMPARE(c.settingsReadings(), 0);
    c.env.setServerClock(QDateTime(day, QTime(11, 31, 15)));
    c.search(QStringLiteral("Smi"));
    QCOMPARE(c.settingsReadings(), 1);

    // The counter opened again reads them at once, whatever the clock says.
    c.env.clearStatements();
    c.window->Form_Load();
    QCOMPARE(c.settingsReadings(), 1);
}

void tst_frmEmployeeList::badgeThatFindsNobodySaysWhy_data()
{
    QTest::addColumn<QString>("badge");
    QTest::addColumn<QString>("note");
    QTest::newRow("nobody carries it") << "E099"
                                       << "No employee has the number E099.";
    QTest::newRow("an inactive employee") << "E077"
                                          << "Employee E077 is inactive.";
}

void tst_frmEmployeeList::badgeThatFindsNobodySaysWhy()
{
    QFETCH(QString, badge);
    QFETCH(QString, note);
    Counter c;
    c.watchStatusNote();
    c.env.addEmployee(QStringLiteral("E077"), QStringLiteral("Ortega"), QStringLiteral("Ben"));
    c.env.sqlite(QStringLiteral("UPDATE Payroll.tbcmaster SET Active = '0' WHERE EmpNum = 'E077'"));
    c.changeSettings([](AppSettings& s) { s.scanMode = true; });
    c.window->Form_Load();
    Counter::type(badge);
    Counter::key(Qt::Key_Return);
    QVERIFY(c.inBrowseMode());
    QCOMPARE(c.statusNote, note);
}

void tst_frmEmployeeList::scanModeServesBadgeAfterBadge()
{
    Counter c;
    c.watchStatusNote();
    c.changeSettings([](AppSettings& s) { s.scanMode = true; });
    c.env.tag(QStringLiteral("E001"), QStringLiteral("LU"));
    // Opened in scan mode, the counter waits for a badge in its search box.
    c.window->Form_Load();
    QVERIFY(c.searchBox()->hasFocus());

    // First badge, an order, Save: the box is empty and ready for the next badge.
    Counter::type(QStringLiteral("E002"));
    Counter::key(Qt::Key_Return);
    QVERIFY(c.inEntryMode());
    c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"));
    QTest::mouseClick(c.button(0), Qt::LeftButton);
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved!")});
    QCOMPARE(c.searchBox()->text(), QString());
    QVERIFY(c.searchBox()->hasFocus());

    // Second badge, then Cancel: the same.
    Counter::type(QStringLiteral("E001"));
    Counter::key(Qt::Key_Return);
    QVERIFY(c.inEntryMode());
    QCOMPARE(c.window->strEmpNum, QStringLiteral("E001"));
    QTest::mouseClick(c.button(1), Qt::LeftButton);
    QCOMPARE(c.searchBox()->text(), QString());
    QVERIFY(c.searchBox()->hasFocus());

    // A badge nobody carries says so; the next one clears the word.
    Counter::type(QStringLiteral("E099"));
    Counter::key(Qt::Key_Return);
    QVERIFY(c.inBrowseMode());
    QCOMPARE(c.statusNote, QStringLiteral("No employee has the number E099."));
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved!")});
    // The next badge replaces the number that found nobody.
    QVERIFY(c.searchBox()->hasFocus());
    Counter::type(QStringLiteral("E002"));
    Counter::key(Qt::Key_Return);
    QVERIFY(c.inEntryMode());
    QCOMPARE(c.statusNote, QString());
    QCOMPARE(c.storedMeals(), 1);
}

namespace {

// Three badge holders for the scanner, with scan mode and keyboard order entry on.
void scanningSite(Counter& c)
{
    for (const char* number : {"100004", "100005", "100006"}) {
        c.env.addEmployee(QLatin1String(number), QStringLiteral("Badge"),
                          QStringLiteral("Holder %1").arg(QLatin1String(number).right(1)), {},
                          QStringLiteral("KITCHEN"));
        c.env.tag(QLatin1String(number), QStringLiteral("LU"));
    }
    c.changeSettings([](AppSettings& s) {
        s.scanMode = true;
        s.keyboardEntry = true;
    });
    c.window->Form_Load();
}

// A badge reader: the digits and Enter at once, into whatever has the focus.
void scan(const QString& number)
{
    Counter::type(number);
    Counter::key(Qt::Key_Return);
}

} // namespace

void tst_frmEmployeeList::badgesScannedDuringOrdersReachTheirEmployees()
{
    Counter c;
    scanningSite(c);
    for (const QString number : {"100004", "100005", "100006"}) {
        scan(number);
        QVERIFY(c.inEntryMode());
        QCOMPARE(c.window->strEmpNum, number);
        QVERIFY(c.chosenEmployee()->text().startsWith(number));
        // The number went into no box, and the meal box waits for this employee's order.
        QCOMPARE(c.entry(1)->text(), QString());
        QVERIFY(c.entry(1)->hasFocus());
    }
    QCOMPARE(c.env.modal().unexpected(), 0);
    QCOMPARE(c.env.messages().messages().size(), 0);

    // Typed by hand, digits and Enter are what the clerk typed: no badge.
    c.changeSettings([](AppSettings& s) { s.keyboardEntry = false; });
    c.entry(2)->setFocus();
    QTest::keyClicks(c.entry(2), QStringLiteral("250"), Qt::NoModifier,
                     int(BadgeScanWatch::kScanGapMs) * 3);
    QTest::qWait(int(BadgeScanWatch::kScanGapMs) * 3);
    QTest::keyClick(c.entry(2), Qt::Key_Return);
    QCOMPARE(c.entry(2)->text(), QStringLiteral("250"));
    QCOMPARE(c.window->strEmpNum, QStringLiteral("100006"));
}

void tst_frmEmployeeList::badgeScannedOverAnOrderWithLines_data()
{
    QTest::addColumn<QList<bool>>("answers"); // save first?, then drop it?
    QTest::addColumn<QString>("served");      // whom the counter serves afterwards
    QTest::addColumn<int>("stored");

    QTest::newRow("saved first") << QList<bool>{true} << "100005" << 1;
    QTest::newRow("dropped") << QList<bool>{false, true} << "100005" << 0;
    QTest::newRow("neither: the order stays") << QList<bool>{false, false} << "100004" << 0;
}

void tst_frmEmployeeList::badgeScannedOverAnOrderWithLines()
{
    QFETCH(QList<bool>, answers);
    QFETCH(QString, served);
    QFETCH(int, stored);
    Counter c;
    scanningSite(c);
    scan(QStringLiteral("100004"));
    c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"));
    c.entry(1)->setFocus();
    QTest::keyClicks(c.entry(1), QStringLiteral("Fru"));
    for (bool answer : answers)
        c.env.messages().answerNext(answer);

    scan(QStringLiteral("100005"));
    QStringList asked{
        QStringLiteral("Badge 100005 was scanned. Save the order for Badge, Holder 4 first?")};
    if (answers.size() > 1)
        asked << QStringLiteral("Drop the order for Badge, Holder 4 and serve badge 100005?");
    QStringList questions;
    for (const auto& message : c.env.messages().messages())
        if (message.kind == ScriptedMessageService::Kind::Question)
            questions << message.text;
    QCOMPARE(questions, asked);
    QCOMPARE(c.window->strEmpNum, served);
    QCOMPARE(c.storedMeals(QStringLiteral("EmpNum = '100004'")), stored);
    QVERIFY(c.inEntryMode());
    if (served == QLatin1String("100004")) {
        // Back to the order as it was: its line, and the meal box as typed.
        QCOMPARE(c.orderColumn(1), QStringList{"M02"});
        QCOMPARE(c.entry(1)->text(), QStringLiteral("Fru"));
    } else {
        QCOMPARE(c.orderColumn(1), QStringList{""});
        QCOMPARE(c.entry(1)->text(), QString());
    }
    QCOMPARE(c.env.modal().unexpected(), 0);
}

void tst_frmEmployeeList::typedModeMustBeTheSitesOnceAnyModeIsLimited_data()
{
    QTest::addColumn<bool>("limited"); // Lunch limited to 1, Block
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("taken"); // "" = refused

    QTest::newRow("free typing without limits") << false << "Lunchh"
                                                << "Lunchh";
    QTest::newRow("a typo once limited") << true << "Lunchh"
                                         << "";
    QTest::newRow("a mode the site does not have") << true << "Brunch"
                                                   << "";
    QTest::newRow("letter case and blanks") << true << "  lunch "
                                            << "Lunch";
    QTest::newRow("full-width letters") << true << QStringLiteral("ＬＵＮＣＨ") << "Lunch";
    QTest::newRow("a mode without a limit") << true << "dinner"
                                            << "Dinner";
    QTest::newRow("a mode the site added") << true << "night meal"
                                           << "Night Meal";
}

void tst_frmEmployeeList::typedModeMustBeTheSitesOnceAnyModeIsLimited()
{
    QFETCH(bool, limited);
    QFETCH(QString, typed);
    QFETCH(QString, taken);

    Counter c;
    c.changeSettings([&](AppSettings& s) {
        Counter::modeOf(s, "Night Meal");
        if (limited) {
            MealModeSetting& lunch = Counter::modeOf(s, "Lunch");
            lunch.dailyLimit = 1;
            lunch.limitAction = LimitAction::Block;
        }
    });
    c.serveSmith();
    c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), typed, QStringLiteral("hot"));
    if (taken.isEmpty()) {
        QCOMPARE(c.env.messages().infos(),
                 QStringList{QStringLiteral("Meal mode %1 is not one of the site's meal modes. "
                                            "While the site limits meals a day, choose a meal "
                                            "mode from the list.")
                                 .arg(typed)});
        // Nothing added, nothing of the entry lost, nothing sent.
        QCOMPARE(c.orderColumn(1), QStringList{""});
        QCOMPARE(c.entry(0)->text(), QStringLiteral("M02"));
        QCOMPARE(c.mealMode()->currentText(), typed);
        QCOMPARE(c.sent(), QStringList());
        // By keys, the mode is mended where it was typed.
        c.keyboardEntry(true);
        c.entry(2)->setFocus();
        QTest::keyClick(c.entry(2), Qt::Key_Return);
        QVERIFY(c.mealMode()->hasFocus());
        QCOMPARE(c.mealMode()->lineEdit()->selectedText(), typed);
        return;
    }
    QCOMPARE(c.env.messages().infos(), QStringList());
    QCOMPARE(c.orderColumn(3), QStringList{taken});
    QTest::mouseClick(c.button(0), Qt::LeftButton);
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved!")});
    QCOMPARE(c.storedMeals(QStringLiteral("MealMode = '%1'").arg(taken)), 1);
}

void tst_frmEmployeeList::closingWithAnUnsavedOrderAsksFirst_data()
{
    QTest::addColumn<bool>("entry");
    QTest::addColumn<bool>("line");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("asked");

    QTest::newRow("browse mode") << false << false << false << false;
    QTest::newRow("entry mode, empty order") << true << false << false << false;
    QTest::newRow("an order, No") << true << true << false << true;
    QTest::newRow("an order, Yes") << true << true << true << true;
}

void tst_frmEmployeeList::closingWithAnUnsavedOrderAsksFirst()
{
    QFETCH(bool, entry);
    QFETCH(bool, line);
    QFETCH(bool, yes);
    QFETCH(bool, asked);

    Counter c;
    if (entry)
        c.serveSmith();
    if (line)
        c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"));
    if (asked)
        c.env.messages().answerNext(yes);
    const bool closed = c.window->close();

    QCOMPARE(closed, !asked || yes);
    const auto& messages = c.env.messages().messages();
    QCOMPARE(messages.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(messages.first().text,
                 QStringLiteral("The order for Smith, John P is not saved. Close the counter "
                                "and drop the order?"));
        QCOMPARE(messages.first().title, QStringLiteral("Confirmation"));
        QVERIFY(messages.first().noByDefault);
    }
    if (!closed)
        QCOMPARE(c.orderColumn(1), QStringList{"M02"});
    QCOMPARE(c.storedMeals(), 0);
}

QTEST_MAIN(tst_frmEmployeeList)
#include "tst_frmEmployeeList.moc"
