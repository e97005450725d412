#include "access/frmAccess.h"
#include "lookup/frmSearcher.h"
#include "support/CaptionCheck.h"
#include "support/CounterUi.h"
#include "support/DialogUi.h"
#include "tagging/frmEmployeeMealTag.h"
#include "widgets/Twips.h"

#include <QTest>

namespace {

// Brings up the window that holds a list and hands the list over while it is shown.
using Check = std::function<void(FlexGrid*)>;
using Open = void (*)(Counter&, const QString& grid, const Check&);

void inCounter(Counter& c, const QString& grid, const Check& check)
{
    // Entry mode with a meal received and an order line: all three lists are filled.
    c.seedReceived(QStringLiteral("M01"), QStringLiteral("07:15:00"), QStringLiteral("warm"));
    c.serveSmith();
    c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"));
    check(c.grid(grid));
}

template <class Window>
void inDialog(Counter& c, Window& window, const std::function<void(const DialogUi&)>& steps,
              const QString& grid, const Check& check)
{
    c.env.modal().then([&](QDialog& d) {
        const DialogUi ui(d);
        steps(ui);
        check(ui.grid(grid));
    });
    window.showModal();
    QCOMPARE(c.env.modal().unexpected(), 0);
}

void inLookup(Counter& c, const QString& grid, const Check& check)
{
    auto& lookup = c.env.context().windows().get<frmSearcher>();
    lookup.strMode = frmSearcher::ModeMeals;
    inDialog(
        c, lookup, [](const DialogUi&) {}, grid, check);
}

void inPersonnelSearch(Counter& c, const QString& grid, const Check& check)
{
    auto& tagging = c.env.context().windows().get<frmEmployeeMealTag>();
    tagging.strMode = frmEmployeeMealTag::ModeFromSettings;
    inDialog(
        c, tagging, [](const DialogUi& ui) { ui.click(QStringLiteral("cmdSearchEmployee")); }, grid,
        check);
}

void inTaggedMeals(Counter& c, const QString& grid, const Check& check)
{
    auto& tagging = c.env.context().windows().get<frmEmployeeMealTag>();
    tagging.strMode = frmEmployeeMealTag::ModeFromCounter;
    tagging.strEmpNumTagMeal = QStringLiteral("E002");
    inDialog(
        c, tagging, [](const DialogUi&) {}, grid, check);
}

void inAccess(Counter& c, const QString& grid, const Check& check)
{
    c.env.sqlite(QStringLiteral("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, "
                                "Firstname, Middlename) VALUES('CLERK01', 'Cruz', 'Ana', 'B')"));
    inDialog(
        c, c.env.context().windows().get<frmAccess>(),
        [](const DialogUi& ui) {
            QTest::keyClicks(ui.edit(QStringLiteral("txtSearchEntry")), QStringLiteral("CLERK01"));
            QTest::keyClick(ui.edit(QStringLiteral("txtSearchEntry")), Qt::Key_Return);
            ui.dblClickRow(QStringLiteral("mshEmpList"), 1);
        },
        grid, check);
}

// The shown width of each column given a designed width, in pixels (0: hidden).
QList<int> shownWidths(const FlexGrid* grid, qsizetype count)
{
    QList<int> widths;
    for (int col = 0; col < count && col < grid->Cols(); ++col)
        widths.append(grid->isColumnHidden(col) ? 0 : grid->columnWidth(col));
    return widths;
}

int usedWidth(const FlexGrid* grid)
{
    int used = 0;
    for (int col = 0; col < grid->Cols(); ++col)
        used += grid->isColumnHidden(col) ? 0 : grid->columnWidth(col);
    return used;
}

} // namespace

Q_DECLARE_METATYPE(Open)

// Every list the windows were designed with shows its designed widths; with the site's
// fitted columns on, no column is narrower than it was designed or than its header, and
// the columns fill the list.
class tst_ListColumns : public QObject
{
    Q_OBJECT

private slots:
    void listsShowTheirDesignedWidths_data();
    void listsShowTheirDesignedWidths();
};

void tst_ListColumns::listsShowTheirDesignedWidths_data()
{
    QTest::addColumn<Open>("open");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<QList<int>>("twips");
    QTest::addColumn<bool>("fitted");

    const struct
    {
        const char* name;
        Open open;
        const char* grid;
        QList<int> twips;
    } lists[] = {
        {"counter employees", inCounter, "mshEmpList", {0, 1000, 3500, 2400, 1900}},
        {"counter order", inCounter, "mshMealList(0)", {0, 1000, 3000, 2000, 3000}},
        {"counter received", inCounter, "mshMealList(1)", {0, 0, 3000, 1000, 2000, 750, 0, 0}},
        {"lookup", inLookup, "mshSearchList", {0, 1000, 2450, 1000}},
        {"tagging personnel", inPersonnelSearch, "mshEmpList", {0, 1500, 3500}},
        {"tagged meals", inTaggedMeals, "mshMealList", {0, 1500, 3500}},
        {"access personnel", inAccess, "mshEmpList", {0, 750, 3500}},
        {"access rights", inAccess, "mshSearchAccess", {0, 750, 2500, 750}},
    };
    for (const bool fitted : {false, true}) {
        for (const auto& list : lists) {
            QTest::addRow("%s%s", list.name, fitted ? ", fitted" : "")
                << list.open << QString::fromLatin1(list.grid) << list.twips << fitted;
        }
    }
}

void tst_ListColumns::listsShowTheirDesignedWidths()
{
    QFETCH(Open, open);
    QFETCH(QString, grid);
    QFETCH(QList<int>, twips);
    QFETCH(bool, fitted);

    Counter c;
    // Saved in App Settings: the counter, open from sign-in on, passes it to every list.
    c.changeSettings([fitted](AppSettings& s) { s.fittedColumns = fitted; });
    QCOMPARE(FlexGrid::fittedColumns(), fitted);

    QList<int> designed;
    for (const int width : twips)
        designed.append(Twips::toPixels(width));
    bool checked = false;
    open(c, grid, [&](FlexGrid* list) {
        checked = true;
        const QList<int> shown = shownWidths(list, twips.size());
        if (!fitted) {
            QCOMPARE(shown, designed);
            return;
        }
        QCOMPARE(shown.size(), designed.size());
        for (int col = 0; col < designed.size(); ++col)
            QVERIFY2(designed.at(col) == 0 ? shown.at(col) == 0 : shown.at(col) >= designed.at(col),
                     qPrintable(QString::number(col)));
        QCOMPARE(cutOffCaptions(list).join(", "), QString());
        QVERIFY(usedWidth(list) >= list->viewport()->width());
    });
    QVERIFY(checked);
}

QTEST_MAIN(tst_ListColumns)
#include "tst_ListColumns.moc"
