#include "context/WindowRegistry.h"
#include "lookup/frmSearcher.h"
#include "support/TestEnvironment.h"
#include "support/WidgetUi.h"
#include "widgets/FlexGrid.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// The lookup dialog on a store with meals, meal types and one tagged employee.
class Lookup
{
public:
    Lookup()
    {
        env.addMealType(QStringLiteral("BF"), QStringLiteral("Breakfast"));
        env.addMealType(QStringLiteral("SN1"), QStringLiteral("Snack PM"), false);
        env.addMealType(QStringLiteral("SN2"), QStringLiteral("Late supper"), false);
        env.addMealType(QStringLiteral("SN3"), QStringLiteral("Midnight"), true);
        env.addMeal(QStringLiteral("M01"), QStringLiteral("Rice porridge"), QStringLiteral("BF"),
                    QStringLiteral("35.50"));
        env.addMeal(QStringLiteral("M02"), QStringLiteral("O'Hara stew"), QStringLiteral("SN3"),
                    QStringLiteral("80.00"));
        env.addMeal(QStringLiteral("M03"), QStringLiteral("Old toast"), QStringLiteral("BF"),
                    QStringLiteral("10.00"), false);
        env.addEmployee(QStringLiteral("E002"), QStringLiteral("Smith"), QStringLiteral("John"));
        env.tag(QStringLiteral("E002"), QStringLiteral("BF"));
        env.tag(QStringLiteral("E002"), QStringLiteral("SN3"));
    }

    frmSearcher& dialog() { return env.context().windows().get<frmSearcher>(); }

    // Opens the dialog in `mode`; `step` acts in it while it is shown.
    void open(const QString& mode, const QString& text, ScriptedModalRunner::Step step)
    {
        dialog().strMode = mode;
        dialog().strSearchText = text;
        env.modal().then(std::move(step));
        env.clearStatements();
        dialog().showModal();
    }

    static FlexGrid* list(QDialog& d)
    {
        return d.findChild<FlexGrid*>(QStringLiteral("mshSearchList"));
    }
    static QLineEdit* box(QDialog& d)
    {
        return d.findChild<QLineEdit*>(QStringLiteral("txtSearchEntry"));
    }
    static QStringList codes(QDialog& d) { return gridColumn(*list(d), 1); }
    static void choose(QDialog& d, int row) { WidgetUi::dblClickRow(list(d), row); }
    static void chooseCode(QDialog& d, const QString& code)
    {
        choose(d, int(codes(d).indexOf(code)) + 1);
    }

    TestEnvironment env;
};

} // namespace

class tst_frmSearcher : public QObject
{
    Q_OBJECT

private slots:
    void designedWindow();
    void eachModeSendsItsQuery_data();
    void eachModeSendsItsQuery();
    void typeByDescriptionWhateverStatusByCodeOnlyWhenActive();
    void choiceCopiesTheColumnsOfItsMode_data();
    void choiceCopiesTheColumnsOfItsMode();
    void closingWithoutChoiceReturnsNothing();
    void noMatchOffersNothingToChoose();
    void enterSearchesOnceAndOtherKeysOnlyType();
    void statusCellsReadAsTruthValues_data();
    void statusCellsReadAsTruthValues();
    void keyboardChoosesAndEscapeClosesWithoutChoice();
    void withoutKeyboardChoiceOnlyEnterInTheBoxDoesAnything();
};

void tst_frmSearcher::designedWindow()
{
    Lookup l;
    l.open(QStringLiteral("2"), {}, [](QDialog& d) {
        QCOMPARE(d.objectName(), QStringLiteral("frmSearcher"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Search"));
        auto* button = d.findChild<QPushButton*>(QStringLiteral("cmdSearch"));
        QVERIFY(button);
        QCOMPARE(button->text(), QStringLiteral("SEARCH"));
        QVERIFY(d.findChild<QWidget*>(QStringLiteral("fraSearch")));
        QCOMPARE(Lookup::list(d)->ColWidth(2), 2450);
        QCOMPARE(Lookup::list(d)->TextMatrix(0, 2), QStringLiteral("Description"));
    });
    QCOMPARE(l.env.modal().unexpected(), 0);
    QVERIFY(!l.dialog().isLoaded());
}

void tst_frmSearcher::eachModeSendsItsQuery_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("codes");

    QTest::newRow("allowed meals")
        << "1"
        << "r"
        << "Station..Load_TALO_EmployeeAllowedMeals 'E002', 'r'" << QStringList{"M02", "M01"};
    QTest::newRow("all meals, empty text")
        << "2"
        << ""
        << "Select * from Station..tbcoMeal where Description like '%%'"
        << QStringList{"M01", "M02", "M03"};
    QTest::newRow("meal with a quote")
        << "2"
        << "O'Hara"
        << "Select * from Station..tbcoMeal where Description like '%O''Hara%'"
        << QStringList{"M02"};
    QTest::newRow("types, empty text")
        << "3"
        << ""
        << "Select * from Station..tbcoMealType where Description like '%%' or Code like '%%' "
           "and Status = '1'"
        << QStringList{"BF", "SN1", "SN2", "SN3"};
    QTest::newRow("all types") << "4"
                               << "SN"
                               << "Select * from Station..tbcoMealType where Description like "
                                  "'%SN%' or Code like '%SN%'"
                               << QStringList{"SN1", "SN2", "SN3"};
    QTest::newRow("unknown mode") << "5"
                                  << "x"
                                  << "" << QStringList{""};
}

void tst_frmSearcher::eachModeSendsItsQuery()
{
    QFETCH(QString, mode);
    QFETCH(QString, text);
    QFETCH(QString, sql);
    QFETCH(QStringList, codes);
    Lookup l;
    l.dialog().strEmpNumSearch = QStringLiteral("E002");
    QStringList shown;
    bool enabled = false;
    l.open(mode, text, [&](QDialog& d) {
        shown = Lookup::codes(d);
        enabled = Lookup::list(d)->isEnabled();
        QCOMPARE(Lookup::box(d)->text(), text);
    });
    QCOMPARE(l.env.statements(), sql.isEmpty() ? QStringList() : QStringList{sql});
    if (mode != QLatin1String("3")) // the order of mode "3" is the store's own
        QCOMPARE(shown, codes);
    else
        QCOMPARE(QSet<QString>(shown.begin(), shown.end()),
                 QSet<QString>(codes.begin(), codes.end()));
    QCOMPARE(enabled, !sql.isEmpty());
}

void tst_frmSearcher::typeByDescriptionWhateverStatusByCodeOnlyWhenActive()
{
    Lookup l;
    QStringList shown;
    // "Snack PM" (inactive) is found by its description; SN2 (inactive) only by its code,
    // so it is left out; SN3 is active and found by its code.
    l.open(QStringLiteral("3"), QStringLiteral("SN"),
           [&](QDialog& d) { shown = Lookup::codes(d); });
    shown.sort();
    QCOMPARE(shown, QStringList({"SN1", "SN3"}));
}

void tst_frmSearcher::choiceCopiesTheColumnsOfItsMode_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("cost");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("status");
    QTest::newRow("allowed meals") << frmSearcher::ModeAllowedMeals << "rice"
                                   << "M01"
                                   << "Rice porridge"
                                   << "35.50"
                                   << "BF" << true;
    // Meals read status from column 5: the inactive meal gives False.
    QTest::newRow("meals") << frmSearcher::ModeMeals << "toast"
                           << "M03"
                           << "Old toast"
                           << "10.00"
                           << "BF" << false;
    // Active meal types: code and description only, whatever the row holds.
    QTest::newRow("active meal types") << frmSearcher::ModeActiveMealTypes << "Midnight"
                                       << "SN3"
                                       << "Midnight"
                                       << ""
                                       << "" << false;
    // Every meal type: status from column 3.
    QTest::newRow("meal types, active") << frmSearcher::ModeMealTypes << "Midnight"
                                        << "SN3"
                                        << "Midnight"
                                        << ""
                                        << "" << true;
    QTest::newRow("meal types, inactive") << frmSearcher::ModeMealTypes << "Snack"
                                          << "SN1"
                                          << "Snack PM"
                                          << ""
                                          << "" << false;
}

void tst_frmSearcher::choiceCopiesTheColumnsOfItsMode()
{
    QFETCH(QString, mode);
    QFETCH(QString, text);
    QFETCH(QString, code);
    QFETCH(QString, description);
    QFETCH(QString, cost);
    QFETCH(QString, type);
    QFETCH(bool, status);
    Lookup l;
    frmSearcher& s = l.dialog();
    s.strEmpNumSearch = QStringLiteral("E002");
    // What the last choice left is cleared at the opening.
    s.strCost = s.strType = QStringLiteral("stale");
    s.blnStatus = !status;
    l.open(mode, text, [code](QDialog& d) { Lookup::chooseCode(d, code); });
    QCOMPARE(s.strCode, code);
    QCOMPARE(s.strDescription, description);
    QCOMPARE(s.strCost, cost);
    QCOMPARE(s.strType, type);
    QCOMPARE(s.blnStatus, status);
    QCOMPARE(s.strEmpNumSearch, QStringLiteral("E002")); // kept for the next allowed meals
    QCOMPARE(l.env.modal().unexpected(), 0);
}

void tst_frmSearcher::closingWithoutChoiceReturnsNothing()
{
    Lookup l;
    frmSearcher& s = l.dialog();
    l.open(QStringLiteral("2"), QStringLiteral("rice"),
           [](QDialog& d) { Lookup::chooseCode(d, QStringLiteral("M01")); });
    QCOMPARE(s.strCode, QStringLiteral("M01"));

    l.open(QStringLiteral("2"), QStringLiteral("rice"), [](QDialog& d) {
        // A single click highlights a row but chooses nothing.
        FlexGrid* grid = Lookup::list(d);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->rowRect(1).center());
        QVERIFY(d.isVisible());
    });
    QCOMPARE(s.strCode, QString());
    QCOMPARE(s.strDescription, QString());
    QCOMPARE(s.strCost, QString());
    QCOMPARE(s.strType, QString());
    QCOMPARE(s.blnStatus, false);
    QCOMPARE(s.strSearchText, QStringLiteral("rice")); // inputs are the opener's
}

void tst_frmSearcher::noMatchOffersNothingToChoose()
{
    Lookup l;
    bool stillOpen = false;
    l.open(QStringLiteral("2"), QStringLiteral("caviar"), [&](QDialog& d) {
        FlexGrid* grid = Lookup::list(d);
        QCOMPARE(grid->Rows(), 2);
        QCOMPARE(grid->TextMatrix(1, 1), QString());
        QVERIFY(!grid->isEnabled());
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                           QPoint(grid->viewport()->width() / 2, 5));
        stillOpen = d.isVisible();
    });
    QVERIFY(stillOpen);
    QCOMPARE(l.dialog().strCode, QString());
}

void tst_frmSearcher::enterSearchesOnceAndOtherKeysOnlyType()
{
    Lookup l;
    QStringList before;
    QStringList after;
    QStringList shown;
    l.open(QStringLiteral("2"), QStringLiteral("zzz"), [&](QDialog& d) {
        QLineEdit* box = Lookup::box(d);
        box->clear();
        QTest::keyClicks(box, QStringLiteral("porr"));
        before = l.env.statements();
        QTest::keyClick(box, Qt::Key_Return);
        after = l.env.statements();
        shown = Lookup::codes(d);
        QVERIFY(d.isVisible()); // Enter is no choice and closes nothing
    });
    QCOMPARE(before.size(), 1);
    QCOMPARE(after,
             before +
                 QStringList{"Select * from Station..tbcoMeal where Description like '%porr%'"});
    QCOMPARE(shown, QStringList{"M01"});
}

void tst_frmSearcher::statusCellsReadAsTruthValues_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<bool>("expected");
    QTest::newRow("one") << "1" << true;
    QTest::newRow("zero") << "0" << false;
    QTest::newRow("minus one") << "-1" << true;
    QTest::newRow("decimal zero") << "0.00" << false;
    QTest::newRow("True") << "True" << true;
    QTest::newRow("FALSE") << "FALSE" << false;
    QTest::newRow("true, lower case") << "true" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("word") << "Yes" << false;
}

void tst_frmSearcher::statusCellsReadAsTruthValues()
{
    QFETCH(QString, cell);
    QFETCH(bool, expected);
    QCOMPARE(frmSearcher::readStatus(cell), expected);
}

void tst_frmSearcher::keyboardChoosesAndEscapeClosesWithoutChoice()
{
    Lookup l;
    frmSearcher& s = l.dialog();
    // With the counter's keyboard order entry, from the search box Down goes into the
    // list; Enter there chooses the current row.
    QString second;
    s.setKeyboardChoice(true);
    l.open(QStringLiteral("4"), QString(), [&](QDialog& d) {
        second = Lookup::list(d)->TextMatrix(2, 1);
        Lookup::box(d)->setFocus();
        QTest::keyClick(Lookup::box(d), Qt::Key_Down);
        QVERIFY(Lookup::list(d)->hasFocus());
        QTest::keyClick(Lookup::list(d), Qt::Key_Down);
        QCOMPARE(Lookup::list(d)->Row(), 2);
        QTest::keyClick(Lookup::list(d), Qt::Key_Return);
        QVERIFY(!d.isVisible());
    });
    QVERIFY(!second.isEmpty());
    QCOMPARE(s.strCode, second);

    // Escape is the close box: the dialog closes and nothing is chosen.
    bool open = true;
    s.setKeyboardChoice(true);
    l.open(QStringLiteral("4"), QStringLiteral("snack"), [&](QDialog& d) {
        QTest::keyClick(Lookup::list(d), Qt::Key_Escape);
        open = d.isVisible();
    });
    QVERIFY(!open);
    QCOMPARE(s.strCode, QString());
    QCOMPARE(s.blnStatus, false);
}

void tst_frmSearcher::withoutKeyboardChoiceOnlyEnterInTheBoxDoesAnything()
{
    Lookup l;
    frmSearcher& s = l.dialog();
    // The choice counts for one showing only: the next opener has the plain dialog.
    s.setKeyboardChoice(true);
    l.open(QStringLiteral("4"), QString(), [](QDialog&) {});
    bool open = false;
    QString typed;
    int row = 0;
    l.open(QStringLiteral("4"), QString(), [&](QDialog& d) {
        QLineEdit* box = Lookup::box(d);
        FlexGrid* list = Lookup::list(d);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Down);
        QVERIFY(box->hasFocus());
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        QTest::keyClicks(list, QStringLiteral("sn"));
        QVERIFY(list->hasFocus());
        // The list's own keys still move its highlight.
        QTest::keyClick(list, Qt::Key_Down);
        row = list->Row();
        open = d.isVisible();
        typed = box->text();
        // Tab leaves the list for the search box, then SEARCH; Escape closes nothing.
        QTest::keyClick(list, Qt::Key_Tab);
        QVERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Tab);
        QCOMPARE(d.focusWidget()->objectName(), QStringLiteral("cmdSearch"));
        QTest::keyClick(list, Qt::Key_Escape);
        open = open && d.isVisible();
    });
    QVERIFY(open);
    QCOMPARE(typed, QString());
    QCOMPARE(row, 2);
    QCOMPARE(s.strCode, QString());
}

QTEST_MAIN(tst_frmSearcher)
#include "tst_frmSearcher.moc"
