#include "history/frmDistributedMeals.h"
#include "shell/mdiTALO.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

// File > Distributed Meals opens the history as a child of the main window, for any
// signed-in user; closing and opening again starts from the designed state.
class tst_HistoryMenu : public QObject
{
    Q_OBJECT

private slots:
    void opensForAnyUserAndStartsAfreshAfterClosing();
};

void tst_HistoryMenu::opensForAnyUserAndStartsAfreshAfterClosing()
{
    TestEnvironment env(QStringLiteral("NOBODY"), QString());
    mdiTALO frame(env.context(), [&env] {
        return std::make_unique<TestUser>(&env.recorder(), QStringLiteral("NOBODY"),
                                          QStringLiteral("No Rights"));
    });
    QVERIFY(frame.Form_Load());
    frame.show();
    auto* item = frame.findChild<QAction*>(QStringLiteral("mnuDistributedMeals"));
    QVERIFY(item && item->isEnabled());
    item->trigger();

    auto* area = frame.findChild<QMdiArea*>(QStringLiteral("mdiArea"));
    QMdiSubWindow* sub = area->activeSubWindow();
    QVERIFY(sub);
    QCOMPARE(sub->objectName(), QStringLiteral("frmDistributedMealsWindow"));
    auto* history = qobject_cast<frmDistributedMeals*>(sub->widget());
    QVERIFY(history);
    QCOMPARE(sub->windowTitle(), QStringLiteral("Distributed Meals"));
    QVERIFY(env.statements().last().startsWith("Station..Load_TALO_DistributedMealHistory"));

    // A second choice while it is open only brings it forward.
    auto* employee = history->findChild<QLineEdit*>(QStringLiteral("txtEmployee"));
    employee->setText(QStringLiteral("typed"));
    item->trigger();
    QCOMPARE(employee->text(), QStringLiteral("typed"));
    QCOMPARE(area->subWindowList().size(), 2);

    sub->close();
    item->trigger();
    QCOMPARE(area->activeSubWindow(), sub);
    QCOMPARE(employee->text(), QString());
    QCOMPARE(env.messages().texts(), QStringList());
}

QTEST_MAIN(tst_HistoryMenu)
#include "tst_HistoryMenu.moc"
