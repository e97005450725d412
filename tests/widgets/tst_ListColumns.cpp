#include "access/frmAccess.h"
#include "lookup/frmSearcher.h"
#include "support/CounterUi.h"
#include "support/DialogUi.h"
#include "tagging/frmEmployeeMealTag.h"
#include "widgets/Twips.h"

#include <QHeaderView>
#include <QTest>

// Every list the windows were designed with shows its designed widths; with the site's
// fitted columns on, no column is narrower than designed and together they fill the list.
class tst_ListColumns : public QObject
{
    Q_OBJECT

    enum Window
    {
        InCounter,
        InLookup,
        InPersonnelSearch,
        InTaggedMeals,
        InAccess
    };

private slots:
    void listsShowTheirDesignedWidths_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QList<int>>("twips");
        QTest::addColumn<bool>("fitted");
        const struct
        {
            const char* name;
            Window window;
            const char* grid;
            QList<int> twips;
        } lists[] = {
            {"counter employees", InCounter, "mshEmpList", {0, 1000, 3500, 2400, 1900}},
            {"counter order", InCounter, "mshMealList(0)", {0, 1000, 3000, 2000, 3000}},
            {"counter received", InCounter, "mshMealList(1)", {0, 0, 3000, 1000, 2000, 750, 0, 0}},
            {"lookup", InLookup, "mshSearchList", {0, 1000, 2450, 1000}},
            {"tagging personnel", InPersonnelSearch, "mshEmpList", {0, 1500, 3500}},
            {"tagged meals", InTaggedMeals, "mshMealList", {0, 1500, 3500}},
            {"access personnel", InAccess, "mshEmpList", {0, 750, 3500}},
            {"access rights", InAccess, "mshSearchAccess", {0, 750, 2500, 750}},
        };
        for (const bool fitted : {false, true}) {
            for (const auto& l : lists)
                QTest::addRow("%s%s", l.name, fitted ? ", fitted" : "")
                    << int(l.window) << QString::fromLatin1(l.grid) << l.twips << fitted;
        }
    }

    void listsShowTheirDesignedWidths()
    {
        QFETCH(int, window);
        QFETCH(QString, grid);
        QFETCH(QList<int>, twips);
        QFETCH(bool, fitted);
        Counter c;
        // Saved in App Settings: the counter, open from sign-in on, passes it to every list.
        c.changeSettings([fitted](AppSettings& s) { s.fittedColumns = fitted; });
        int checked = 0;
        const auto check = [&](FlexGrid* list) {
            ++checked;
            for (int col = 0; col < twips.size(); ++col) {
                const int shown = list->isColumnHidden(col) ? 0 : list->columnWidth(col);
                const int designed = Twips::toPixels(twips.at(col));
                QVERIFY2(fitted ? shown >= designed : shown == designed,
                         qPrintable(QStringLiteral("column %1: %2").arg(col).arg(shown)));
            }
            QVERIFY(!fitted || list->horizontalHeader()->length() >= list->viewport()->width());
        };
        if (window == InCounter) {
            c.seedReceived(QStringLiteral("M01"), QStringLiteral("07:15:00"), QString());
            c.serveSmith();
            c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"),
                       QStringLiteral("Lunch"));
            return check(c.grid(grid));
        }
        auto& windows = c.env.context().windows();
        windows.get<frmSearcher>().strMode = frmSearcher::ModeMeals;
        auto& tagging = windows.get<frmEmployeeMealTag>();
        tagging.strMode = window == InPersonnelSearch ? frmEmployeeMealTag::ModeFromSettings
                                                      : frmEmployeeMealTag::ModeFromCounter;
        tagging.strEmpNumTagMeal = QStringLiteral("E002");
        c.env.sqlite(
            QStringLiteral("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, "
                           "Firstname, Middlename) VALUES('CLERK01', 'Cruz', 'Ana', 'B')"));
        c.env.modal().then([&](QDialog& d) {
            const DialogUi ui(d);
            if (window == InPersonnelSearch)
                ui.click(QStringLiteral("cmdSearchEmployee"));
            if (window == InAccess) {
                QTest::keyClicks(ui.edit(QStringLiteral("txtSearchEntry")), QStringLiteral("Cruz"));
                QTest::keyClick(ui.edit(QStringLiteral("txtSearchEntry")), Qt::Key_Return);
                ui.dblClickRow(QStringLiteral("mshEmpList"), 1);
            }
            check(ui.grid(grid));
        });
        ModalForm* forms[] = {nullptr, &windows.get<frmSearcher>(), &tagging, &tagging,
                              &windows.get<frmAccess>()};
        forms[window]->showModal();
        QCOMPARE(checked, 1);
    }
};

QTEST_MAIN(tst_ListColumns)
#include "tst_ListColumns.moc"
