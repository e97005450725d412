#include "MealMasterTestSteps.h"
#include "context/WindowRegistry.h"
#include "masters/frmMealTypeBuildFile.h"
#include "support/CaptionCheck.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace MealMasterTestSteps;

namespace {

QStringList texts(const frmMealTypeBuildFile& form)
{
    return {form.txtMealDetails[0]->text(), form.txtMealDetails[1]->text()};
}

QStringList storedType(TestEnvironment& env, const QString& code)
{
    const Recordset rs =
        env.query(QStringLiteral("SELECT Code, Description, Status FROM Station.tbcoMealType "
                                 "WHERE Code = '%1'")
                      .arg(code));
    return rs.recordCount() ? rs.rows().first() : QStringList();
}

} // namespace

class tst_frmMealTypeBuildFile : public QObject
{
    Q_OBJECT

private:
    // Shows the meal type master and runs `body` while it is open.
    void run(TestEnvironment& env, const std::function<void(frmMealTypeBuildFile&)>& body)
    {
        auto& form = env.context().windows().get<frmMealTypeBuildFile>();
        env.modal().then([&](QDialog&) { body(form); });
        form.showModal();
        QCOMPARE(env.modal().unexpected(), 0);
        QCOMPARE(env.messages().unansweredQuestions(), 0);
    }

private slots:
    void layoutAndTabOrder()
    {
        TestEnvironment env;
        run(env, [](frmMealTypeBuildFile& form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("Form1"));
            QCOMPARE(form.findChildren<QLineEdit*>().size(), 3);
            QCOMPARE(form.lblCode[2]->objectName(), QStringLiteral("lblCode(2)"));
            QCOMPARE(cutOffCaptions(&form).join(", "), QString());
            const QList<QWidget*> order{
                form.txtMealSearch,     form.cmdMealSearch, form.txtMealDetails[0], form.chkStatus,
                form.txtMealDetails[1], form.cmdSave,       form.cmdClose,          form.cmdClear};
            for (int i = 1; i < order.size(); ++i)
                QCOMPARE(nextTabStop(order[i - 1]), order[i]);
        });
    }

    void newTypeSavedAndEmptyFormRefused()
    {
        TestEnvironment env;
        run(env, [&](frmMealTypeBuildFile& form) {
            env.clearStatements();
            click(form.cmdSave);
            QCOMPARE(env.messages().infos(), QStringList{"Please Complete the details."});
            QVERIFY(env.statements().isEmpty());

            env.messages().clear();
            QVERIFY(form.chkStatus->isChecked()); // a new type starts active
            type(form.txtMealDetails[0], QStringLiteral("SNK"));
            type(form.txtMealDetails[1], QStringLiteral("Chef's snack"));
            click(form.cmdSave);
            QCOMPARE(env.messages().infos(), QStringList{"Done."});
            QCOMPARE(env.statements(),
                     QStringList{"Station..Save_TALO_MealType 'SNK', 'Chef''s snack', "
                                 "'1','CLERK01'"});
            QCOMPARE(storedType(env, "SNK"), (QStringList{"SNK", "Chef's snack", "1"}));
            QCOMPARE(texts(form), QStringList(2));
            QVERIFY(form.chkStatus->isChecked());
        });
    }

    void onlyNameSendsAnEmptyCode()
    {
        TestEnvironment env;
        run(env, [&](frmMealTypeBuildFile& form) {
            type(form.txtMealDetails[1], QStringLiteral("Night snack"));
            env.clearStatements();
            click(form.cmdSave);
            QCOMPARE(env.statements(),
                     QStringList{"Station..Save_TALO_MealType '', 'Night snack', '1','CLERK01'"});
            // The store refuses a type without a code: shown (its text alone, as a
            // warning), nothing stored, nothing reported as done, the name stays as typed.
            QCOMPARE(env.messages().errors().size(), 1);
            QCOMPARE(env.messages().errors().first().shown,
                     QStringLiteral("Meal type code is required."));
            QVERIFY(env.messages().errors().first().warning);
            QVERIFY(env.messages().infos().isEmpty());
            QCOMPARE(env.scalar("SELECT COUNT(*) FROM Station.tbcoMealType"), QStringLiteral("0"));
            QCOMPARE(texts(form), (QStringList{"", "Night snack"}));
        });
    }

    void inactiveTypeFetchedAndEditedAfterConfirmation()
    {
        TestEnvironment env;
        env.addMealType(QStringLiteral("OLD"), QStringLiteral("Old menu"), false);
        run(env, [&](frmMealTypeBuildFile& form) {
            type(form.txtMealSearch, QStringLiteral("OLD"));
            env.clearStatements();
            env.modal().then([](QDialog& dialog) { choose(dialog); });
            enter(form.txtMealSearch);
            QCOMPARE(env.statements(),
                     QStringList{"Select * from Station..tbcoMealType where Description like "
                                 "'%OLD%' or Code like '%OLD%'"});
            QCOMPARE(texts(form), (QStringList{"OLD", "Old menu"}));
            QVERIFY(!form.chkStatus->isChecked());
            QVERIFY(form.txtMealDetails[0]->isReadOnly());

            form.chkStatus->setChecked(true);
            type(form.txtMealDetails[1], QStringLiteral("Old menu (back)"));
            env.clearStatements();
            env.messages().answerNext(false);
            click(form.cmdSave);
            QCOMPARE(env.messages().texts(), QStringList{kConfirm});
            QCOMPARE(env.messages().messages().first().title, QStringLiteral("Confirmation"));
            QVERIFY(env.statements().isEmpty());
            QCOMPARE(texts(form), (QStringList{"OLD", "Old menu (back)"}));
            QVERIFY(form.editMode());

            env.messages().clear();
            env.messages().answerNext(true);
            click(form.cmdSave);
            QCOMPARE(env.messages().texts(), (QStringList{kConfirm, "Done."}));
            QCOMPARE(env.statements(),
                     QStringList{"Station..Save_TALO_MealType 'OLD', 'Old menu (back)', "
                                 "'1','CLERK01'"});
            QCOMPARE(storedType(env, "OLD"), (QStringList{"OLD", "Old menu (back)", "1"}));
            QVERIFY(!form.txtMealDetails[0]->isReadOnly());
            QVERIFY(!form.editMode());
        });
    }

    void fetchClosedWithoutChoiceEmptiesButKeepsLock()
    {
        TestEnvironment env;
        env.addMealType(QStringLiteral("BRK"), QStringLiteral("Breakfast"));
        run(env, [&](frmMealTypeBuildFile& form) {
            env.modal().then([](QDialog& dialog) { choose(dialog); });
            click(form.cmdMealSearch);
            QCOMPARE(texts(form), (QStringList{"BRK", "Breakfast"}));
            QVERIFY(form.chkStatus->isChecked());

            env.modal().thenClose();
            click(form.cmdMealSearch);
            QCOMPARE(texts(form), QStringList(2));
            QVERIFY(!form.chkStatus->isChecked());
            QVERIFY(!form.editMode());
            QVERIFY(form.txtMealDetails[0]->isReadOnly());

            click(form.cmdClear);
            QVERIFY(!form.txtMealDetails[0]->isReadOnly());
        });
    }

    void enterOnlySearches()
    {
        TestEnvironment env;
        run(env, [&](frmMealTypeBuildFile& form) {
            form.chkStatus->setChecked(true);
            enter(form.chkStatus);
            QVERIFY(form.chkStatus->isChecked());
            type(form.txtMealDetails[0], QStringLiteral("T1"));
            type(form.txtMealDetails[1], QStringLiteral("Tea"));
            env.clearStatements();
            enter(form.txtMealDetails[0]);
            enter(form.txtMealDetails[1]);
            QVERIFY(env.statements().isEmpty());
            QVERIFY(env.messages().messages().isEmpty());
            QCOMPARE(env.modal().shown().size(), 1);
            QCOMPARE(texts(form), (QStringList{"T1", "Tea"}));
        });
    }

    void reopeningStartsANewEntry()
    {
        TestEnvironment env;
        env.addMealType(QStringLiteral("BRK"), QStringLiteral("Breakfast"), false);
        run(env, [&](frmMealTypeBuildFile& form) {
            env.modal().then([](QDialog& dialog) { choose(dialog); });
            click(form.cmdMealSearch);
            QVERIFY(form.editMode());
            click(form.cmdClose);
        });
        run(env, [&](frmMealTypeBuildFile& form) {
            QVERIFY(!form.editMode());
            QVERIFY(!form.txtMealDetails[0]->isReadOnly());
            QVERIFY(form.chkStatus->isChecked());
        });
    }
};

QTEST_MAIN(tst_frmMealTypeBuildFile)
#include "tst_frmMealTypeBuildFile.moc"
