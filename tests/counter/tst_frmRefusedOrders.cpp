#include "counter/CounterData.h"
#include "counter/RefusedOrderData.h"
#include "data/DbError.h"
#include "support/CounterUi.h"
#include "support/CuttingConnection.h"
#include "support/DialogUi.h"

#include <QDir>
#include <QTest>

// Two counters served John Smith the one lunch a day while neither reached the server;
// the other counter's arrived first, so this one's order is refused. The status bar says
// so, and a supervisor settles the order in its window.
class tst_frmRefusedOrders : public QObject
{
    Q_OBJECT

    struct Refused
    {
        explicit Refused(const QString& rights, const QString& employee = "E002") : c(rights)
        {
            c.changeSettings([](AppSettings& s) {
                s.keepServingOffline = true;
                Counter::modeOf(s, "Lunch").dailyLimit = 1;
                Counter::modeOf(s, "Lunch").limitAction = LimitAction::Block;
            });
            c.env.context().showStatusAction = [this](const QString& text,
                                                      const std::function<void()>& action) {
                statusText = text;
                settle = action;
            };
            c.seedLunch("M03");
            QDir().mkpath(c.env.context().workstationFolder);
            OrderJournal journal(journalPath());
            journal.add({0,
                         key,
                         employee,
                         "12/8/2026 11:30:15 AM",
                         "CLERK01",
                         {{"M02", "Fish fillet", "Lunch", "no rice"}},
                         {}});
            CounterData::replay(*c.env.context().cnMain, journal, journalPath());
            c.window->Form_Load();
        }
        QString journalPath()
        {
            return c.env.context().workstationFolder + "/counter-journal.sqlite";
        }
        int refused() { return int(OrderJournal(journalPath()).refused().size()); }
        // The order's meals as stored, then the audit rows of settled orders.
        QString kept()
        {
            return c.env.scalar(
                "SELECT group_concat(r, '|') FROM (SELECT EmpNum || ' ' || MealCode "
                "|| ' ' || MealDate || ' ' || Remarks || ' ' || ClerkID || ' ' || "
                "OrderKey || '/' || OrderLine AS r FROM "
                "Station.tbTALOEmployeeDistributedMeals WHERE OrderKey IS NOT NULL "
                "UNION ALL SELECT Action || ' ' || UserID || ': ' || Details FROM "
                "Station.tbTALOAuditLog WHERE Action IN ('OVERRIDE', 'DISCARD'))");
        }
        // Opens the window from the status bar and runs `step` in it.
        void inWindow(const std::function<void(DialogUi&)>& step)
        {
            QVERIFY(settle);
            c.env.modal().then([step](QDialog& d) {
                DialogUi ui(d);
                step(ui);
            });
            settle();
            QCOMPARE(c.env.modal().shown(), QStringList{"frmRefusedOrders"});
        }

        Counter c;
        const QString key = "5b0c8f0e-1d2a-4c3b-9e4f-6a7b8c9d0e1f";
        QString statusText;
        std::function<void()> settle;
    };

private slots:
    void aSupervisorSettlesARefusedOrder_data();
    void aSupervisorSettlesARefusedOrder();
    void withoutTheRightTheListIsReadOnly();
    void nothingShowsWhereTheSiteDoesNotKeepServing();
};

void tst_frmRefusedOrders::aSupervisorSettlesARefusedOrder_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("note");
    QTest::addColumn<QString>("employee");
    QTest::addColumn<bool>("serverDown");
    QTest::addColumn<QString>("heard");
    QTest::addColumn<QString>("kept");

    const char* remark = "Double shift; the ward sister asked";
    // The meal keeps the order's key, line, served time and clerk; the audit row names the
    // supervisor and his remark.
    QTest::newRow("saved anyway, past the limit")
        << "cmdSaveAnyway" << remark << "E002" << false << "Saved!"
        << "E002 M02 2026-12-08 11:30:15 no rice CLERK01 5b0c8f0e-1d2a-4c3b-9e4f-6a7b8c9d0e1f/1|"
           "OVERRIDE CLERK01: EmpNum=E002; EmployeeName=Smith, John P; MealCode=M02; "
           "MealName=Fish fillet; MealDate=2026-12-08 11:30:15; ClerkID=CLERK01; OrderKey="
           "5b0c8f0e-1d2a-4c3b-9e4f-6a7b8c9d0e1f; Reason=Double shift; the ward sister asked";
    QTest::newRow("discarded with a reason")
        << "cmdDiscard"
        << "Served twice"
        << "E002" << false << "Discarded."
        << "DISCARD CLERK01: EmpNum=E002; EmployeeName=Smith, John P; MealDate=2026-12-08 "
           "11:30:15; ClerkID=CLERK01; Meals=M02 Fish fillet (Lunch; no rice); Refusal=Smith, "
           "John P (E002) has received 1 Lunch today and this order holds 1; the site allows 1 "
           "a day.; Reason=Served twice";
    QTest::newRow("a blank remark changes nothing")
        << "cmdSaveAnyway"
        << "   "
        << "E002" << false
        << "Type a remark saying why the order is saved anyway. Nothing was changed."
        << "";
    QTest::newRow("a blank reason changes nothing")
        << "cmdDiscard"
        << ""
        << "E002" << false << "Type the reason the order is discarded. Nothing was changed."
        << "";
    QTest::newRow("an unknown employee is never saved")
        << "cmdSaveAnyway" << remark << "E999" << false
        << "Employee E999 is not on the payroll: nobody can save a meal for him, the order can "
           "only be discarded."
        << "";
    QTest::newRow("server down while settling")
        << "cmdDiscard"
        << "Served twice"
        << "E002" << true << "The connection to the database server was lost."
        << "";
}

void tst_frmRefusedOrders::aSupervisorSettlesARefusedOrder()
{
    QFETCH(QString, button);
    QFETCH(QString, note);
    QFETCH(QString, employee);
    QFETCH(bool, serverDown);
    QFETCH(QString, heard);
    QFETCH(QString, kept);

    Refused r(kAllRights, employee);
    QCOMPARE(r.statusText, QStringLiteral("1 refused order: settle…"));
    // The name comes from the counter's copy; an employee it does not know shows his number.
    r.c.waitForCopy();
    const QString name = employee == "E002" ? "Smith, John P" : "";
    CuttingConnection link(*r.c.env.context().cnMain);
    link.setDown(serverDown);
    r.c.env.context().cnMain = &link;
    r.c.env.messages().answerNext(true);
    r.inWindow([&](DialogUi& ui) {
        QCOMPARE(ui.column("mshOrders", 2), QStringList{employee});
        QCOMPARE(ui.column("mshOrders", 3), QStringList{name});
        WidgetUi::clickRow(ui.grid("mshOrders"), 1);
        ui.edit("txtRemark")->setText(note);
        ui.click(button);
    });

    QCOMPARE(r.c.env.messages().texts().constLast(), heard);
    if (button == "cmdDiscard" && !note.isEmpty())
        QVERIFY(r.c.env.messages().texts().constFirst().startsWith(
            "Discard the order served to Smith, John P (E002) at 12/8/2026 11:30:15 AM?"));
    QCOMPARE(r.kept(), kept);
    // Settled, it leaves the journal and the status bar; otherwise nothing changed.
    QCOMPARE(r.refused(), kept.isEmpty() ? 1 : 0);
    QCOMPARE(r.statusText.isEmpty(), !kept.isEmpty());
}

void tst_frmRefusedOrders::withoutTheRightTheListIsReadOnly()
{
    Refused r(kNoRevoking);
    r.inWindow([](DialogUi& ui) {
        QCOMPARE(ui.column("mshOrders", 2), QStringList{"E002"});
        QVERIFY(ui.label("lblNote")->text().contains("Only a user with the right"));
        QVERIFY(!ui.get<QPushButton>("cmdSaveAnyway")->isEnabled());
        QVERIFY(!ui.get<QPushButton>("cmdDiscard")->isEnabled());
    });
    // Sent by hand, the server refuses it too.
    const OrderJournal::Order order = OrderJournal(r.journalPath()).refused().constFirst();
    try {
        r.c.env.context().execute(RefusedOrderData::discardText(order, "CLERK01", "x"));
        QFAIL("the discard was audited");
    } catch (const DbError& error) {
        QCOMPARE(error.message(), QStringLiteral("User CLERK01 does not hold the right to revoke "
                                                 "meals, which discarding a refused order needs."));
    }
    QCOMPARE(r.refused(), 1);
}

void tst_frmRefusedOrders::nothingShowsWhereTheSiteDoesNotKeepServing()
{
    Refused r(kAllRights);
    QVERIFY(!r.statusText.isEmpty());
    r.c.changeSettings([](AppSettings& s) { s.keepServingOffline = false; });
    QCOMPARE(r.statusText, QString());
    QCOMPARE(r.refused(), 1);
}

QTEST_MAIN(tst_frmRefusedOrders)
#include "tst_frmRefusedOrders.moc"
