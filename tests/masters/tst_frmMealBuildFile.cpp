#include "MealMasterTestSteps.h"
#include "context/WindowRegistry.h"
#include "masters/frmMealBuildFile.h"
#include "support/CaptionCheck.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace MealMasterTestSteps;

namespace {

QStringList texts(const frmMealBuildFile& form)
{
    QStringList out;
    for (const QLineEdit* box : form.txtMealDetails)
        out << box->text();
    return out;
}

QStringList storedMeal(TestEnvironment& env, const QString& code)
{
    const Recordset rs = env.query(
        QStringLiteral("SELECT Code, Description, Cost, MealType, Status FROM Station.tbcoMeal "
                       "WHERE Code = '%1'")
            .arg(code));
    return rs.recordCount() ? rs.rows().first() : QStringList();
}

} // namespace

class tst_frmMealBuildFile : public QObject
{
    Q_OBJECT

private:
    // Shows the meal master and runs `body` while it is open.
    void run(TestEnvironment& env, const std::function<void(frmMealBuildFile&)>& body)
    {
        auto& form = env.context().windows().get<frmMealBuildFile>();
        env.modal().then([&](QDialog&) { body(form); });
        form.showModal();
        QCOMPARE(env.modal().unexpected(), 0);
        QCOMPARE(env.messages().unansweredQuestions(), 0);
    }

private slots:
    void layoutNamesAndTabOrder()
    {
        TestEnvironment env;
        run(env, [](frmMealBuildFile& form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("Create/Edit Meals"));
            QCOMPARE(form.txtMealDetails[2]->objectName(), QStringLiteral("txtMealDetails(2)"));
            QCOMPARE(form.lblCode[3]->text(), QStringLiteral("Cost:"));
            QCOMPARE(form.cmdSearchType->parentWidget(), static_cast<QWidget*>(form.Frame1));
            QVERIFY(form.cmdSearchType->text().isEmpty());
            // Cost sits to the right of the type button, which sits right of Type.
            QVERIFY(form.cmdSearchType->x() > form.txtMealDetails[2]->geometry().right());
            QVERIFY(form.txtMealDetails[3]->x() > form.cmdSearchType->geometry().right());
            QCOMPARE(cutOffCaptions(&form).join(", "), QString());

            const QList<QWidget*> order{
                form.txtMealSearch,     form.cmdMealSearch,     form.txtMealDetails[0],
                form.chkStatus,         form.txtMealDetails[1], form.txtMealDetails[2],
                form.txtMealDetails[3], form.cmdSave,           form.cmdClose,
                form.cmdSearchType,     form.cmdClear};
            for (int i = 1; i < order.size(); ++i)
                QCOMPARE(nextTabStop(order[i - 1]), order[i]);
            // No button is pressed by Enter in a text box.
            for (QPushButton* button : form.findChildren<QPushButton*>())
                QVERIFY2(!button->autoDefault() && !button->isDefault(),
                         qPrintable(button->objectName()));
        });
    }

    void emptyFormIsRefusedWithoutSending()
    {
        TestEnvironment env;
        run(env, [&](frmMealBuildFile& form) {
            env.clearStatements();
            click(form.cmdSave);
            QCOMPARE(env.messages().infos(), QStringList{"Please Complete the details."});
            QVERIFY(env.statements().isEmpty());
        });
    }

    void newMealIsSavedAndFetchedBackExactly()
    {
        TestEnvironment env;
        env.addMealType(QStringLiteral("LUN"), QStringLiteral("Lunch"));
        run(env, [&](frmMealBuildFile& form) {
            QVERIFY(form.chkStatus->isChecked()); // a new meal starts active
            type(form.txtMealDetails[0], QStringLiteral("M900"));
            type(form.txtMealDetails[1], QStringLiteral("Chef's special"));
            type(form.txtMealDetails[2], QStringLiteral("LUN"));
            type(form.txtMealDetails[3], QStringLiteral("12.50"));
            env.clearStatements();
            click(form.cmdSave);

            // A new meal is saved without a question.
            QCOMPARE(env.messages().infos(), QStringList{"Done."});
            QCOMPARE(env.statements(),
                     QStringList{"Station..Save_TALO_MealOnly 'M900', 'Chef''s special', "
                                 "'12.50', 'LUN', '1','CLERK01'"});
            QCOMPARE(storedMeal(env, "M900"),
                     (QStringList{"M900", "Chef's special", "12.50", "LUN", "1"}));
            QCOMPARE(texts(form), QStringList(4));
            QVERIFY(form.chkStatus->isChecked());

            // Fetched back through the lookup, the quote and the cost come back as typed.
            type(form.txtMealSearch, QStringLiteral("Chef's"));
            env.modal().then([](QDialog& dialog) { choose(dialog); });
            env.clearStatements();
            click(form.cmdMealSearch);
            QCOMPARE(env.statements(),
                     QStringList{"Select * from Station..tbcoMeal where Description like "
                                 "'%Chef''s%'"});
            QCOMPARE(texts(form), (QStringList{"M900", "Chef's special", "LUN", "12.50"}));
            QVERIFY(form.chkStatus->isChecked());
            QVERIFY(form.txtMealDetails[0]->isReadOnly());
            QVERIFY(form.editMode());
        });
    }

    void onlyCodeSendsThreeEmptyValues()
    {
        TestEnvironment env;
        run(env, [&](frmMealBuildFile& form) {
            form.chkStatus->setChecked(false);
            type(form.txtMealDetails[0], QStringLiteral("M901"));
            env.clearStatements();
            click(form.cmdSave);
            QCOMPARE(env.statements(),
                     QStringList{"Station..Save_TALO_MealOnly 'M901', '', '', '', '0','CLERK01'"});
            QCOMPARE(env.messages().infos(), QStringList{"Done."});
            QCOMPARE(storedMeal(env, "M901"), (QStringList{"M901", "", "", "", "0"}));
        });
    }

    void fetchedMealAsksBeforeSaving()
    {
        TestEnvironment env;
        env.addMealType(QStringLiteral("BRK"), QStringLiteral("Breakfast"));
        env.addMeal(QStringLiteral("M100"), QStringLiteral("Pancakes"), QStringLiteral("BRK"),
                    QStringLiteral("3.75"), false);
        run(env, [&](frmMealBuildFile& form) {
            type(form.txtMealSearch, QStringLiteral("Pan"));
            env.modal().then([](QDialog& dialog) { choose(dialog); });
            click(form.cmdMealSearch);
            QCOMPARE(texts(form), (QStringList{"M100", "Pancakes", "BRK", "3.75"}));
            QVERIFY(!form.chkStatus->isChecked());
            QVERIFY(form.txtMealDetails[0]->isReadOnly());

            // The locked code box takes no typing: an edit saves under the fetched code.
            QTest::keyClicks(form.txtMealDetails[0], QStringLiteral("X"));
            QCOMPARE(form.txtMealDetails[0]->text(), QStringLiteral("M100"));

            type(form.txtMealDetails[1], QStringLiteral("Banana pancakes"));
            env.clearStatements();
            env.messages().answerNext(false);
            click(form.cmdSave);
            QCOMPARE(env.messages().messages().size(), 1);
            QCOMPARE(env.messages().messages().first().text, kConfirm);
            QCOMPARE(env.messages().messages().first().title, QStringLiteral("Confirmation"));
            // No: nothing sent, fields and the edit state stay.
            QVERIFY(env.statements().isEmpty());
            QCOMPARE(texts(form), (QStringList{"M100", "Banana pancakes", "BRK", "3.75"}));
            QVERIFY(form.txtMealDetails[0]->isReadOnly());

            form.chkStatus->setChecked(true);
            env.messages().clear();
            env.messages().answerNext(true);
            click(form.cmdSave);
            QCOMPARE(env.messages().texts(), (QStringList{kConfirm, "Done."}));
            QCOMPARE(env.statements(), QStringList{"Station..Save_TALO_MealOnly 'M100', "
                                                   "'Banana pancakes', '3.75', 'BRK', "
                                                   "'1','CLERK01'"});
            QCOMPARE(storedMeal(env, "M100"),
                     (QStringList{"M100", "Banana pancakes", "3.75", "BRK", "1"}));
            QCOMPARE(env.scalar("SELECT COUNT(*) FROM Station.tbcoMeal"), QStringLiteral("1"));

            // Back to a new entry: unlocked, and the next save asks nothing.
            QCOMPARE(texts(form), QStringList(4));
            QVERIFY(!form.txtMealDetails[0]->isReadOnly());
            QVERIFY(!form.editMode());
        });
    }

    void fetchClosedWithoutChoiceEmptiesButKeepsLock()
    {
        TestEnvironment env;
        env.addMealType(QStringLiteral("BRK"), QStringLiteral("Breakfast"));
        env.addMeal(QStringLiteral("M100"), QStringLiteral("Pancakes"), QStringLiteral("BRK"));
        run(env, [&](frmMealBuildFile& form) {
            env.modal().then([](QDialog& dialog) { choose(dialog); });
            click(form.cmdMealSearch);
            QVERIFY(form.chkStatus->isChecked());
            QVERIFY(form.editMode());

            env.modal().thenClose();
            enter(form.txtMealSearch);
            QCOMPARE(texts(form), QStringList(4));
            QVERIFY(!form.chkStatus->isChecked());
            QVERIFY(!form.editMode());
            QVERIFY(form.txtMealDetails[0]->isReadOnly());

            // Out of edit mode: a save asks nothing (and sends the empty code).
            type(form.txtMealDetails[1], QStringLiteral("Waffles"));
            env.clearStatements();
            env.messages().clear();
            click(form.cmdSave);
            QCOMPARE(env.statements(),
                     QStringList{"Station..Save_TALO_MealOnly '', 'Waffles', '', '', "
                                 "'0','CLERK01'"});
            QVERIFY(!env.messages().texts().contains(kConfirm));
            // The store refuses a meal without a code; what was typed stays.
            QCOMPARE(env.messages().errors().size(), 1);
            QCOMPARE(texts(form), (QStringList{"", "Waffles", "", ""}));

            click(form.cmdClear);
            QCOMPARE(texts(form), QStringList(4));
            QVERIFY(!form.txtMealDetails[0]->isReadOnly());
        });
    }

    void typeLookupPutsTheCodeInTheTypeBox()
    {
        TestEnvironment env;
        env.addMealType(QStringLiteral("DIN"), QStringLiteral("Dinner"));
        run(env, [&](frmMealBuildFile& form) {
            type(form.txtMealDetails[1], QStringLiteral("Stew"));
            type(form.txtMealDetails[2], QStringLiteral("Dinn"));
            env.clearStatements();
            env.modal().then([](QDialog& dialog) { choose(dialog); });
            enter(form.txtMealDetails[2]);
            QCOMPARE(env.statements(),
                     QStringList{"Select * from Station..tbcoMealType where Description like "
                                 "'%Dinn%' or Code like '%Dinn%' and Status = '1'"});
            QCOMPARE(texts(form), (QStringList{"", "Stew", "DIN", ""}));

            // The button does the same; closed without a choice it empties the Type box
            // only.
            env.modal().thenClose();
            click(form.cmdSearchType);
            QCOMPARE(texts(form), (QStringList{"", "Stew", "", ""}));
            QVERIFY(!form.editMode());
        });
    }

    void enterKeys()
    {
        TestEnvironment env;
        run(env, [&](frmMealBuildFile& form) {
            // Enter on the check box flips it both ways.
            form.chkStatus->setChecked(true);
            enter(form.chkStatus);
            QVERIFY(!form.chkStatus->isChecked());
            enter(form.chkStatus);
            QVERIFY(form.chkStatus->isChecked());

            // Enter in Code, Name or Cost does nothing.
            type(form.txtMealDetails[0], QStringLiteral("M1"));
            type(form.txtMealDetails[1], QStringLiteral("Soup"));
            type(form.txtMealDetails[3], QStringLiteral("2.00"));
            env.clearStatements();
            for (int i : {0, 1, 3})
                enter(form.txtMealDetails[i]);
            QVERIFY(env.statements().isEmpty());
            QVERIFY(env.modal().shown().size() == 1); // only the meal master itself
            QVERIFY(env.messages().messages().isEmpty());
            QCOMPARE(texts(form), (QStringList{"M1", "Soup", "", "2.00"}));

            // Enter in the search box fetches, and the box still receives the key.
            QSignalSpy returned(form.txtMealSearch, &QLineEdit::returnPressed);
            env.modal().thenClose();
            enter(form.txtMealSearch);
            QCOMPARE(env.modal().shown().size(), 2);
            QCOMPARE(returned.count(), 1);
        });
    }

    void activeBoxKeepsItsStateAfterSaveAndClear()
    {
        TestEnvironment env;
        env.addMealType(QStringLiteral("LUN"), QStringLiteral("Lunch"));
        run(env, [&](frmMealBuildFile& form) {
            form.chkStatus->setChecked(false);
            type(form.txtMealSearch, QStringLiteral("rice"));
            type(form.txtMealDetails[0], QStringLiteral("M300"));
            type(form.txtMealDetails[1], QStringLiteral("Fried rice"));
            type(form.txtMealDetails[2], QStringLiteral("LUN"));
            type(form.txtMealDetails[3], QStringLiteral("4.00"));
            click(form.cmdSave);
            QCOMPARE(env.messages().infos(), QStringList{"Done."});
            QCOMPARE(storedMeal(env, "M300").value(4), QStringLiteral("0"));
            QVERIFY(!form.chkStatus->isChecked());
            QCOMPARE(form.txtMealSearch->text(), QStringLiteral("rice"));

            form.chkStatus->setChecked(true);
            type(form.txtMealDetails[1], QStringLiteral("Draft"));
            click(form.cmdClear);
            QCOMPARE(texts(form), QStringList(4));
            QVERIFY(form.chkStatus->isChecked());
            QCOMPARE(form.txtMealSearch->text(), QStringLiteral("rice"));
        });
    }

    void refusedSaveKeepsEverythingAsTyped()
    {
        TestEnvironment env;
        env.addMealType(QStringLiteral("LUN"), QStringLiteral("Lunch"));
        run(env, [&](frmMealBuildFile& form) {
            type(form.txtMealDetails[0], QStringLiteral("M400"));
            type(form.txtMealDetails[1], QStringLiteral("Noodles"));
            type(form.txtMealDetails[2], QStringLiteral("LUN"));
            type(form.txtMealDetails[3], QStringLiteral("abc"));
            env.clearStatements();
            click(form.cmdSave);
            QCOMPARE(env.statements(),
                     QStringList{"Station..Save_TALO_MealOnly 'M400', 'Noodles', 'abc', "
                                 "'LUN', '1','CLERK01'"});
            const auto errors = env.messages().errors();
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors.first().text.contains(QStringLiteral("cost"), Qt::CaseInsensitive),
                     qPrintable(errors.first().text));
            QVERIFY(env.messages().infos().isEmpty());
            QCOMPARE(env.scalar("SELECT COUNT(*) FROM Station.tbcoMeal"), QStringLiteral("0"));
            QCOMPARE(texts(form), (QStringList{"M400", "Noodles", "LUN", "abc"}));
            QVERIFY(form.chkStatus->isChecked());

            // Corrected, the same form saves.
            type(form.txtMealDetails[3], QStringLiteral("5.25"));
            click(form.cmdSave);
            QCOMPARE(env.messages().infos(), QStringList{"Done."});
            QCOMPARE(storedMeal(env, "M400"), (QStringList{"M400", "Noodles", "5.25", "LUN", "1"}));
        });
    }

    void costWithAThirdDecimalIsRefusedNotRounded()
    {
        TestEnvironment env;
        env.addMealType(QStringLiteral("LUN"), QStringLiteral("Lunch"));
        run(env, [&](frmMealBuildFile& form) {
            type(form.txtMealDetails[0], QStringLiteral("M500"));
            type(form.txtMealDetails[1], QStringLiteral("Soup"));
            type(form.txtMealDetails[2], QStringLiteral("LUN"));
            type(form.txtMealDetails[3], QStringLiteral("10.999"));
            click(form.cmdSave);
            const auto errors = env.messages().errors();
            QCOMPARE(errors.size(), 1);
            QVERIFY2(errors.first().text.contains(
                         QStringLiteral("Cost can have at most two decimals, not '10.999'.")),
                     qPrintable(errors.first().text));
            QVERIFY(env.messages().infos().isEmpty());
            QCOMPARE(storedMeal(env, "M500"), QStringList());
            QCOMPARE(texts(form), (QStringList{"M500", "Soup", "LUN", "10.999"}));
        });
    }

    // The boxes take no more than the store keeps, so a long entry is cut while typing
    // instead of being refused at Save; what fits is stored whole.
    void boxesHoldWhatTheStoreKeeps()
    {
        TestEnvironment env;
        env.addMealType(QString(30, QLatin1Char('T')), QStringLiteral("Long type"));
        run(env, [&](frmMealBuildFile& form) {
            const QStringList typed = {QString(35, 'x'), QString(205, 'd'), QString(35, 'T'),
                                       "12.5" + QString(21, '0')};
            const QList<int> limits = {30, 200, 30, 20};
            for (int i = 0; i < 4; ++i) {
                type(form.txtMealDetails[i], typed[i]);
                QCOMPARE(form.txtMealDetails[i]->text(), typed[i].left(limits[i]));
            }
            click(form.cmdSave);
            QCOMPARE(env.messages().errors().size(), 0);
            QCOMPARE(env.messages().infos(), QStringList{"Done."});
            const QStringList stored = storedMeal(env, QString(30, 'x'));
            QCOMPARE(stored.value(1).size(), 200);
            QCOMPARE(stored.value(2), QStringLiteral("12.50"));
        });
    }

    void reopeningStartsANewEntry()
    {
        TestEnvironment env;
        env.addMealType(QStringLiteral("BRK"), QStringLiteral("Breakfast"));
        env.addMeal(QStringLiteral("M100"), QStringLiteral("Pancakes"), QStringLiteral("BRK"),
                    QStringLiteral("3.75"), false);
        run(env, [&](frmMealBuildFile& form) {
            env.modal().then([](QDialog& dialog) { choose(dialog); });
            click(form.cmdMealSearch);
            QVERIFY(form.editMode());
            click(form.cmdClose);
            QVERIFY(!form.isVisible());
        });
        QCOMPARE(env.modal().pendingSteps(), 0);

        run(env, [&](frmMealBuildFile& form) {
            QCOMPARE(texts(form), QStringList(4));
            QVERIFY(!form.txtMealDetails[0]->isReadOnly());
            QVERIFY(form.chkStatus->isChecked());
            type(form.txtMealDetails[0], QStringLiteral("M101"));
            type(form.txtMealDetails[1], QStringLiteral("Toast"));
            type(form.txtMealDetails[2], QStringLiteral("BRK"));
            env.messages().clear();
            click(form.cmdSave);
            QCOMPARE(env.messages().infos(), QStringList{"Done."}); // no question asked
            QCOMPARE(storedMeal(env, "M100").value(1), QStringLiteral("Pancakes"));
        });
    }
};

QTEST_MAIN(tst_frmMealBuildFile)
#include "tst_frmMealBuildFile.moc"
