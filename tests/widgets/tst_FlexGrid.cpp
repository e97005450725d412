#include "data/DbError.h"
#include "widgets/FlexGrid.h"
#include "widgets/Twips.h"

#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTest>

namespace {

// The layout every window gives a list before its query.
void layOut(FlexGrid& grid)
{
    grid.layOut(QStringLiteral(" |<STAFF ID |<NAME"), 3, {0, 750, 3500});
}

Recordset people(int count)
{
    QList<Recordset::Row> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QStringLiteral("E%1").arg(i), QStringLiteral("Name %1").arg(i)});
    return Recordset({QStringLiteral("EMPID"), QStringLiteral("NAME")}, rows);
}

// One received meal: seven fields, more than the counter's list lays out.
Recordset receivedMeal()
{
    QStringList fields;
    for (int i = 1; i <= 7; ++i)
        fields.append(QStringLiteral("F%1").arg(i));
    return Recordset(fields, {{"B1", "Breakfast", "7:00:00 AM", "", "CLERK01", "41", "M"}});
}

// Puts the grid on screen, laid out and filled with `count` rows, as a window shows it.
bool showFilled(FlexGrid& grid, int count)
{
    layOut(grid);
    grid.resize(600, 300);
    grid.show();
    if (!QTest::qWaitForWindowExposed(&grid))
        return false;
    grid.fill(people(count), false);
    return true;
}

// Shows `window` with a text box of its own that holds the focus.
bool showWithFocusElsewhere(QWidget& window)
{
    auto* other = new QLineEdit(&window);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    other->setFocus();
    return true;
}

QString shownHeader(const FlexGrid& grid, int col)
{
    return grid.model()->headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
}

QString shownCell(const FlexGrid& grid, int row, int col)
{
    return grid.model()->index(row - 1, col).data().toString();
}

} // namespace

class tst_FlexGrid : public QObject
{
    Q_OBJECT

private slots:
    void emptyResultLeavesOneBlankDisabledRow();
    void singleRowWithEmptyFirstColumnCountsAsEmpty();
    void oneRealRowEnablesTheGridOnRowOne();
    void headerComesFromTheResultNotTheFormatString();
    void widthsOfColumnsNotYetThereApplyWhenBindingCreatesThem();
    void layOutEmptiesTheGridAndKeepsWidthsForLaterColumns();
    void layOutWithoutFormatStringLeavesTheHeadersEmpty();
    void failedReadLeavesAnEmptyDisabledGridAndPassesTheErrorOn();
    void readRunsOnAnEmptyDisabledGridAndItsResultIsFilled();
    void formatStringWithMoreEntriesThanColsShowsTheFirstOnes();
    void clearEmptiesEveryCellAndKeepsTheShape();
    void cellsOutsideTheGridReadEmptyAndIgnoreWrites();
    void addAndRemoveRows();
    void shrinkingKeepsTheCurrentRowInside();
    void clickSelectsTheWholeRow();
    void doubleClickStartsWithOneClick();
    void rightButtonDoesNotMoveTheCurrentRow();
    void disabledGridIgnoresClicks();
    void rowsFollowTheGridsOwnFont();
    void bindsAHundredThousandRows();
    void fittedColumnsShowHeadersWholeAndFillTheGrid();
    void keyboardChoosesOnlyWhenAsked();
    void cellsLookAsTheStyleDrawsThem_data();
    void cellsLookAsTheStyleDrawsThem();
};

void tst_FlexGrid::emptyResultLeavesOneBlankDisabledRow()
{
    FlexGrid grid;
    grid.fill(people(4), false);
    grid.setRow(3);
    QCOMPARE(grid.Row(), 3);

    layOut(grid);
    // Row 0 is a place no fill would choose: an empty result must leave it there.
    grid.setRow(0);
    const bool hasData =
        grid.fill(Recordset({QStringLiteral("EMPID"), QStringLiteral("NAME")}, {}), false);

    QVERIFY(!hasData);
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.model()->rowCount(), 1);
    QVERIFY(!grid.isEnabled());
    QCOMPARE(grid.Row(), 0);
    QCOMPARE(grid.TextMatrix(1, 1), QString());
    // Nothing was bound: the layout's headers stay.
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("STAFF ID "));
    QCOMPARE(shownHeader(grid, 2), QStringLiteral("NAME"));
}

void tst_FlexGrid::singleRowWithEmptyFirstColumnCountsAsEmpty()
{
    FlexGrid grid;
    layOut(grid);
    const bool hasData = grid.fill(
        Recordset({QStringLiteral("EMPID"), QStringLiteral("NAME")}, {{QString(), "Orphan"}}),
        false);

    QVERIFY(!hasData);
    QCOMPARE(grid.Rows(), 2);
    QVERIFY(!grid.isEnabled());

    // An empty first column on one of several rows is data all the same.
    QVERIFY(grid.fill(
        Recordset({QStringLiteral("A"), QStringLiteral("B")}, {{QString(), "x"}, {QString(), "y"}}),
        false));
    QVERIFY(grid.isEnabled());
    QCOMPARE(grid.Rows(), 3);
}

void tst_FlexGrid::oneRealRowEnablesTheGridOnRowOne()
{
    QWidget window;
    FlexGrid grid(&window);
    QVERIFY(showWithFocusElsewhere(window));

    layOut(grid);
    grid.setEnabled(false);
    QVERIFY(grid.fill(people(1), false));
    QVERIFY(grid.isEnabled());
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.currentIndex().row(), 0);
    QVERIFY(grid.selectionModel()->isRowSelected(0, {}));
    QVERIFY(!grid.hasFocus());

    QVERIFY(grid.fill(people(3), true));
    QCOMPARE(grid.Rows(), 4);
    QVERIFY(grid.hasFocus());
}

void tst_FlexGrid::headerComesFromTheResultNotTheFormatString()
{
    FlexGrid grid;
    layOut(grid);
    grid.fill(people(2), false);

    QCOMPARE(grid.Cols(), 3);
    QCOMPARE(grid.TextMatrix(0, 0), QString());
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("EMPID"));
    QCOMPARE(shownHeader(grid, 2), QStringLiteral("NAME"));
    QCOMPARE(grid.TextMatrix(2, 1), QStringLiteral("E2"));
    QCOMPARE(shownCell(grid, 2, 2), QStringLiteral("Name 2"));
    // Column 0 is the fixed column: empty, and hidden by its width of 0.
    QCOMPARE(grid.TextMatrix(1, 0), QString());
    QVERIFY(grid.isColumnHidden(0));
}

void tst_FlexGrid::widthsOfColumnsNotYetThereApplyWhenBindingCreatesThem()
{
    FlexGrid grid;
    grid.Clear();
    grid.setRows(2);
    grid.setFormatString(
        QStringLiteral(" |<MEAL |<DESCRIPTION |<TIME |<REMARKS |<CLERKID |<TRANSNUM |<MEALMODE"));
    grid.setCols(5);
    const QList<int> widths{0, 0, 3000, 1000, 2000, 750, 0, 0};
    for (int col = 0; col < widths.size(); ++col)
        grid.setColWidth(col, widths.at(col));
    QCOMPARE(grid.Cols(), 5);
    QCOMPARE(grid.ColWidth(5), 750);

    grid.fill(receivedMeal(), false);

    QCOMPARE(grid.Cols(), 8);
    // CLERKID, the last column shown, has its designed width: nothing stretches it.
    QCOMPARE(grid.columnWidth(5), Twips::toPixels(750));
    QCOMPARE(grid.columnWidth(2), Twips::toPixels(3000));
    QVERIFY(grid.isColumnHidden(0));
    QVERIFY(grid.isColumnHidden(1));
    QVERIFY(grid.isColumnHidden(6));
    QVERIFY(grid.isColumnHidden(7));
    QVERIFY(!grid.isColumnHidden(5));
    // Hidden cells still hold their values for the window to read.
    QCOMPARE(grid.TextMatrix(1, 6), QStringLiteral("41"));
}

void tst_FlexGrid::layOutEmptiesTheGridAndKeepsWidthsForLaterColumns()
{
    FlexGrid grid;
    grid.fill(people(5), false);
    grid.setRow(4);

    grid.layOut(
        QStringLiteral(" |<MEAL |<DESCRIPTION |<TIME |<REMARKS |<CLERKID |<TRANSNUM |<MEALMODE"), 5,
        {0, 0, 3000, 1000, 2000, 750, 0, 0});

    // Old rows go, the current row comes inside, every cell left is blank.
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.TextMatrix(1, 1), QString());
    // Cols wins over the number of format entries; the first entries head the grid.
    QCOMPARE(grid.Cols(), 5);
    QCOMPARE(grid.TextMatrix(0, 2), QStringLiteral("DESCRIPTION "));
    QCOMPARE(shownHeader(grid, 4), QStringLiteral("REMARKS "));
    QCOMPARE(grid.columnWidth(2), Twips::toPixels(3000));
    QVERIFY(grid.isColumnHidden(1));
    // Widths given past Cols wait for the columns a bind creates.
    QCOMPARE(grid.ColWidth(5), 750);
    QCOMPARE(grid.ColWidth(7), 0);
    grid.fill(receivedMeal(), false);
    QCOMPARE(grid.Cols(), 8);
    QCOMPARE(grid.columnWidth(5), Twips::toPixels(750));
    QVERIFY(!grid.isColumnHidden(5));
    QVERIFY(grid.isColumnHidden(6));
    QVERIFY(grid.isColumnHidden(7));
}

void tst_FlexGrid::layOutWithoutFormatStringLeavesTheHeadersEmpty()
{
    FlexGrid grid;
    layOut(grid);
    grid.fill(people(2), false);
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("EMPID"));

    // No format string: the headers of the last result are cleared, not kept.
    grid.layOut(QString(), 2, {0, 1000, 2450, 1000});
    QCOMPARE(grid.Cols(), 2);
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.TextMatrix(0, 1), QString());
    QCOMPARE(shownHeader(grid, 1), QString());
    QVERIFY(grid.isColumnHidden(0));
    QCOMPARE(grid.columnWidth(1), Twips::toPixels(1000)); // the last column shown
    QCOMPARE(grid.ColWidth(3), 1000);
}

void tst_FlexGrid::failedReadLeavesAnEmptyDisabledGridAndPassesTheErrorOn()
{
    FlexGrid grid;
    layOut(grid);
    QVERIFY(grid.fill(people(4), false));
    grid.setRow(3);
    QVERIFY(grid.isEnabled());

    // Read again without a fresh layout: nothing from the last result may stay choosable.
    bool thrown = false;
    try {
        grid.fillFrom([]() -> Recordset { throw DbError(-2147467259, QStringLiteral("gone")); },
                      true);
    } catch (const DbError& error) {
        thrown = true;
        QCOMPARE(error.message(), QStringLiteral("gone"));
    }
    QVERIFY(thrown);
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.model()->rowCount(), 1);
    QVERIFY(!grid.isEnabled());
    QCOMPARE(grid.Row(), 1);
    QCOMPARE(grid.TextMatrix(1, 1), QString());
    QCOMPARE(shownCell(grid, 1, 2), QString());
    // The header row still names the columns.
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("EMPID"));

    // The next good read brings the grid back.
    QVERIFY(grid.fillFrom([] { return people(2); }, false));
    QVERIFY(grid.isEnabled());
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.TextMatrix(2, 2), QStringLiteral("Name 2"));
}

void tst_FlexGrid::readRunsOnAnEmptyDisabledGridAndItsResultIsFilled()
{
    QWidget window;
    FlexGrid grid(&window);
    QVERIFY(showWithFocusElsewhere(window));

    layOut(grid);
    grid.fill(people(3), false);
    bool enabledDuringRead = true;
    int rowsDuringRead = 0;
    const bool hasData = grid.fillFrom(
        [&] {
            enabledDuringRead = grid.isEnabled();
            rowsDuringRead = grid.Rows();
            return people(5);
        },
        true);

    QVERIFY(!enabledDuringRead);
    QCOMPARE(rowsDuringRead, 2);
    QVERIFY(hasData);
    QVERIFY(grid.isEnabled());
    QCOMPARE(grid.Rows(), 6);
    QCOMPARE(grid.Row(), 1);
    QVERIFY(grid.hasFocus());

    // An empty answer ends as the plain fill leaves it: one blank disabled row.
    QVERIFY(!grid.fillFrom([] { return Recordset(); }, true));
    QVERIFY(!grid.isEnabled());
    QCOMPARE(grid.Rows(), 2);
}

void tst_FlexGrid::formatStringWithMoreEntriesThanColsShowsTheFirstOnes()
{
    FlexGrid grid;
    grid.setFormatString(
        QStringLiteral(" |<MEAL |<DESCRIPTION |<TIME |<REMARKS |<CLERKID |<TRANSNUM |<MEALMODE"));
    QCOMPARE(grid.Cols(), 8);
    grid.setCols(5);

    QCOMPARE(grid.Cols(), 5);
    QCOMPARE(grid.model()->columnCount(), 5);
    const QStringList expected{" ", "MEAL ", "DESCRIPTION ", "TIME ", "REMARKS "};
    for (int col = 0; col < 5; ++col) {
        QCOMPARE(grid.TextMatrix(0, col), expected.at(col));
        QCOMPARE(shownHeader(grid, col), expected.at(col));
    }
    QCOMPARE(grid.TextMatrix(0, 5), QString());
    const auto alignment =
        grid.model()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
    QVERIFY(alignment & Qt::AlignLeft);
}

void tst_FlexGrid::clearEmptiesEveryCellAndKeepsTheShape()
{
    FlexGrid grid;
    layOut(grid);
    grid.fill(people(3), false);
    grid.Clear();

    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.Cols(), 3);
    for (int row = 0; row < grid.Rows(); ++row) {
        for (int col = 0; col < grid.Cols(); ++col)
            QCOMPARE(grid.TextMatrix(row, col), QString());
    }
    QCOMPARE(shownHeader(grid, 1), QString());
    QCOMPARE(shownCell(grid, 3, 2), QString());
}

void tst_FlexGrid::cellsOutsideTheGridReadEmptyAndIgnoreWrites()
{
    FlexGrid grid;
    layOut(grid);
    grid.setTextMatrix(1, 2, QStringLiteral("kept"));
    grid.setTextMatrix(5, 1, QStringLiteral("lost"));
    grid.setTextMatrix(1, 9, QStringLiteral("lost"));
    grid.setTextMatrix(-1, 1, QStringLiteral("lost"));

    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.Cols(), 3);
    QCOMPARE(grid.TextMatrix(1, 2), QStringLiteral("kept"));
    QCOMPARE(shownCell(grid, 1, 2), QStringLiteral("kept"));
    QCOMPARE(grid.TextMatrix(5, 1), QString());
    QCOMPARE(grid.TextMatrix(1, -1), QString());

    // Shrinking drops the cells of removed columns; growing again shows them blank.
    grid.setCols(2);
    grid.setCols(3);
    QCOMPARE(grid.TextMatrix(1, 2), QString());
}

void tst_FlexGrid::addAndRemoveRows()
{
    FlexGrid grid;
    layOut(grid);
    grid.setTextMatrix(1, 1, QStringLiteral("B1"));
    grid.AddItem(QString());
    grid.setTextMatrix(grid.Rows() - 1, 1, QStringLiteral("L1"));
    grid.AddItem(QStringLiteral("\tD1\tDinner\tignored"));

    QCOMPARE(grid.Rows(), 4);
    QCOMPARE(grid.model()->rowCount(), 3);
    QCOMPARE(grid.TextMatrix(2, 1), QStringLiteral("L1"));
    QCOMPARE(grid.TextMatrix(3, 2), QStringLiteral("Dinner"));
    QCOMPARE(grid.TextMatrix(3, 3), QString());

    grid.setRow(3);
    grid.RemoveItem(2);
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.TextMatrix(2, 1), QStringLiteral("D1"));
    QCOMPARE(grid.Row(), 2);

    grid.RemoveItem(1);
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("D1"));
    // The last data row and the header are never removed; nor is a row that is not there.
    grid.RemoveItem(1);
    grid.RemoveItem(0);
    grid.RemoveItem(7);
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("D1"));
    QCOMPARE(grid.TextMatrix(0, 1), QStringLiteral("STAFF ID "));
}

void tst_FlexGrid::shrinkingKeepsTheCurrentRowInside()
{
    FlexGrid grid;
    grid.fill(people(6), false);
    grid.setRow(6);
    grid.setCol(2);
    grid.setRows(3);
    grid.setCols(2);
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(grid.Col(), 1);
    QCOMPARE(grid.ColSel(), 1);
    grid.setRow(9);
    QCOMPARE(grid.Row(), 2);
}

void tst_FlexGrid::clickSelectsTheWholeRow()
{
    FlexGrid grid;
    QVERIFY(showFilled(grid, 4));
    QSignalSpy clicks(&grid, &FlexGrid::Click);
    QSignalSpy doubleClicks(&grid, &FlexGrid::DblClick);

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.rowRect(3).center());

    QCOMPARE(clicks.count(), 1);
    QCOMPARE(doubleClicks.count(), 0);
    QCOMPARE(grid.Row(), 3);
    QCOMPARE(grid.Col(), 0);
    QCOMPARE(grid.ColSel(), 2);
    const QModelIndexList selected = grid.selectionModel()->selectedRows();
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().row(), 2);

    // Below the last row there is no row to choose.
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                      QPoint(grid.rowRect(4).center().x(), grid.rowRect(4).bottom() + 20));
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(grid.Row(), 3);
    QCOMPARE(grid.selectionModel()->selectedRows().first().row(), 2);
}

void tst_FlexGrid::doubleClickStartsWithOneClick()
{
    FlexGrid grid;
    QVERIFY(showFilled(grid, 4));
    QStringList events;
    connect(&grid, &FlexGrid::Click, &grid,
            [&] { events << QStringLiteral("Click %1").arg(grid.Row()); });
    connect(&grid, &FlexGrid::DblClick, &grid,
            [&] { events << QStringLiteral("DblClick %1").arg(grid.Row()); });

    // The double-click event alone, as a test tool delivers it.
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, grid.rowRect(2).center());
    QCOMPARE(events, QStringList({"Click 2", "DblClick 2"}));

    // The whole sequence a real mouse delivers: press, release, press, double-click,
    // release gives one Click and one DblClick.
    events.clear();
    const QPoint at = grid.rowRect(4).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(events, QStringList({"Click 4", "DblClick 4"}));
}

void tst_FlexGrid::rightButtonDoesNotMoveTheCurrentRow()
{
    FlexGrid grid;
    QVERIFY(showFilled(grid, 4));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.rowRect(2).center());
    QSignalSpy clicks(&grid, &FlexGrid::Click);
    QSignalSpy rightDowns(&grid, &FlexGrid::RightButtonDown);

    const QPoint at = grid.rowRect(4).center();
    QTest::mousePress(grid.viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(grid.viewport(), Qt::RightButton, {}, at);

    QCOMPARE(rightDowns.count(), 1);
    QCOMPARE(rightDowns.first().first().toPoint(), grid.viewport()->mapToGlobal(at));
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(grid.selectionModel()->selectedRows().first().row(), 1);
}

void tst_FlexGrid::disabledGridIgnoresClicks()
{
    FlexGrid grid;
    QVERIFY(showFilled(grid, 3));
    grid.setEnabled(false);
    QSignalSpy clicks(&grid, &FlexGrid::Click);
    QSignalSpy doubleClicks(&grid, &FlexGrid::DblClick);

    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.rowRect(3).center());
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, grid.rowRect(3).center());

    QCOMPARE(clicks.count(), 0);
    QCOMPARE(doubleClicks.count(), 0);
    QCOMPARE(grid.Row(), 1);
}

void tst_FlexGrid::rowsFollowTheGridsOwnFont()
{
    // Windows create a grid inside a frame with a large caption font, then give the
    // grid its own small font: rows and header must shrink to it.
    QWidget frame;
    QFont large = frame.font();
    large.setPointSize(28);
    frame.setFont(large);
    FlexGrid grid(&frame);
    const int largeRows = grid.verticalHeader()->defaultSectionSize();
    QFont small = large;
    small.setPointSize(8);
    grid.setFont(small);

    QVERIFY(grid.verticalHeader()->defaultSectionSize() < largeRows);
    QCOMPARE(grid.horizontalHeader()->font().pointSize(), 8);
}

void tst_FlexGrid::bindsAHundredThousandRows()
{
    // Speed is measured in bench/; this checks a large snapshot binds and clears whole.
    FlexGrid grid;
    layOut(grid);
    grid.resize(600, 400);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    const Recordset many = people(100000);

    grid.fill(many, false);
    QCoreApplication::processEvents();
    QCOMPARE(grid.Rows(), 100001);
    QCOMPARE(grid.TextMatrix(100000, 2), QStringLiteral("Name 100000"));

    // The grid shares the snapshot's rows: writing into it, the fixed column included,
    // or removing a row changes the grid alone.
    grid.setTextMatrix(1, 0, QStringLiteral(">"));
    grid.setTextMatrix(1, 2, QStringLiteral("Changed"));
    QCOMPARE(grid.TextMatrix(1, 0), QStringLiteral(">"));
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("E1"));
    QCOMPARE(grid.TextMatrix(1, 2), QStringLiteral("Changed"));
    QCOMPARE(many.rows().first(), QStringList({"E1", "Name 1"}));
    grid.RemoveItem(1);
    QCOMPARE(grid.Rows(), 100000);
    QCOMPARE(grid.TextMatrix(1, 0), QString());
    QCOMPARE(grid.TextMatrix(1, 1), QStringLiteral("E2"));
    QCOMPARE(many.recordCount(), 100000);

    grid.Clear();
    QCOMPARE(grid.Rows(), 100000);
    QCOMPARE(grid.TextMatrix(99999, 2), QString());
}

void tst_FlexGrid::fittedColumnsShowHeadersWholeAndFillTheGrid()
{
    FlexGrid grid;
    grid.resize(400, 200);
    grid.layOut(QStringLiteral(" |<ID |<A VERY LONG HEADER TEXT |<NOTE"), 4, {0, 300, 300, 500});
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    // Taken on while the grid is shown: it follows at once.
    FlexGrid::setFittedColumns(true);
    const auto restore = qScopeGuard([] { FlexGrid::setFittedColumns(false); });

    // A header wider than its designed column widens the column; the designed width is
    // still what the window reads back.
    const int headerText = grid.horizontalHeader()->fontMetrics().horizontalAdvance(
        QStringLiteral("A VERY LONG HEADER TEXT "));
    QVERIFY(grid.columnWidth(2) >= headerText);
    QCOMPARE(grid.ColWidth(2), 300);
    grid.setColWidth(1, 1500); // room for "ID": the designed width stands
    QCOMPARE(grid.columnWidth(1), Twips::toPixels(1500));
    // The last column reaches the viewport's right edge, and follows a wider grid.
    const auto right = [&grid] { return grid.columnViewportPosition(3) + grid.columnWidth(3); };
    QCOMPARE(right(), grid.viewport()->width());
    grid.resize(600, 200);
    QCOMPARE(right(), grid.viewport()->width());
}

void tst_FlexGrid::keyboardChoosesOnlyWhenAsked()
{
    FlexGrid grid;
    QVERIFY(showFilled(grid, 3));
    QSignalSpy clicks(&grid, &FlexGrid::Click);
    QSignalSpy choices(&grid, &FlexGrid::DblClick);
    grid.setFocus();

    // By default the keys only move the current row.
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Return);
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(choices.count(), 0);

    // Asked to: a move is a Click on the new row, Enter a DblClick on the current row.
    grid.setChoosesByKeyboard(true);
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(grid.Row(), 3);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(grid.ColSel(), grid.Cols() - 1);
    QTest::keyClick(&grid, Qt::Key_Down); // the last row: nothing moves, no Click
    QCOMPARE(clicks.count(), 1);
    QTest::keyClick(&grid, Qt::Key_Enter);
    QCOMPARE(choices.count(), 1);
    QCOMPARE(grid.Row(), 3);
}

// The grid lays its texts out once per cell; what the clerk sees must stay what the style's
// own item delegate paints: text, alignment, the chosen row, a greyed-out list, a text too
// long for its column cut with an ellipsis, the focus frame.
void tst_FlexGrid::cellsLookAsTheStyleDrawsThem_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("focus");
    QTest::addColumn<QString>("format");
    QTest::newRow("plain, left-aligned") << true << false << QStringLiteral(" |<STAFF ID |<NAME");
    QTest::newRow("centred and right-aligned")
        << true << false << QStringLiteral(" |^STAFF ID |>NAME");
    QTest::newRow("disabled") << false << false << QStringLiteral(" |<STAFF ID |<NAME");
    QTest::newRow("with the focus") << true << true << QStringLiteral(" |<STAFF ID |>NAME");
}

void tst_FlexGrid::cellsLookAsTheStyleDrawsThem()
{
    QFETCH(bool, enabled);
    QFETCH(bool, focus);
    QFETCH(QString, format);
    FlexGrid grid;
    grid.layOut(format, 3, {0, 750, 1500});
    grid.resize(400, 200);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QList<Recordset::Row> rows{{"E1", "Santos, Maria Dela Cruz"},
                               {"E22", "A name far too long to be shown whole in its column"},
                               {"E333", QString::fromUtf8("Peña, José")},
                               {"", ""}};
    grid.fill(Recordset({QStringLiteral("EMPID"), QStringLiteral("NAME")}, rows), focus);
    grid.setRow(2);
    grid.selectWholeRow();
    grid.setEnabled(enabled);
    if (focus) {
        grid.activateWindow();
        grid.setFocus();
    }
    const QImage own = grid.grab().toImage();
    QStyledItemDelegate styles;
    grid.setItemDelegate(&styles);
    const QImage expected = grid.grab().toImage();
    QCOMPARE(own, expected);
}

QTEST_MAIN(tst_FlexGrid)
#include "tst_FlexGrid.moc"
