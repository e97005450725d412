#include "counter/CounterData.h"
#include "counter/OrderJournal.h"
#include "counter/RefusedOrderData.h"
#include "data/DbError.h"
#include "support/CounterUi.h"
#include "support/CuttingConnection.h"
#include "support/DialogUi.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

// The orders a counter kept while the server could not be reached and the server then
// refused: two counters served John Smith the one lunch a day, the other counter's
// arrived first. The status bar says so, and a supervisor settles the order in its window.
class tst_frmRefusedOrders : public QObject
{
    Q_OBJECT

    struct Refused
    {
        explicit Refused(const QString& rights, const QString& employee = QStringLiteral("E002"))
            : c(rights)
        {
            c.changeSettings([](AppSettings& s) {
                s.keepServingOffline = true;
                MealModeSetting& lunch = Counter::modeOf(s, QStringLiteral("Lunch"));
                lunch.dailyLimit = 1;
                lunch.limitAction = LimitAction::Block;
            });
            c.env.context().showStatusAction = [this](const QString& text,
                                                      const std::function<void()>& action) {
                statusText = text;
                settle = action;
            };
            // The other counter's lunch, stored first.
            c.seedLunch(QStringLiteral("M03"));
            const QString path = journalPath();
            QDir().mkpath(QFileInfo(path).absolutePath());
            OrderJournal journal(path);
            journal.add({0,
                         key,
                         employee,
                         QStringLiteral("12/8/2026 11:30:15 AM"),
                         QStringLiteral("CLERK01"),
                         {{QStringLiteral("M02"), QStringLiteral("Fish fillet"),
                           QStringLiteral("Lunch"), QStringLiteral("no rice")}},
                         {}});
            CounterData::replay(*c.env.context().cnMain, journal, path);
            c.window->Form_Load();
        }
        QString journalPath()
        {
            return c.env.context().workstationFolder + QStringLiteral("/counter-journal.sqlite");
        }
        int refused() { return int(OrderJournal(journalPath()).refused().size()); }
        // The audit rows of settled orders.
        QString audit()
        {
            return c.env.scalar(QStringLiteral(
                "SELECT group_concat(Action || ' ' || UserID || ': ' || Details, '|') FROM "
                "Station.tbTALOAuditLog WHERE Action IN ('OVERRIDE', 'DISCARD')"));
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
            QCOMPARE(c.env.modal().shown(), QStringList{QStringLiteral("frmRefusedOrders")});
        }

        Counter c;
        const QString key = QStringLiteral("5b0c8f0e-1d2a-4c3b-9e4f-6a7b8c9d0e1f");
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
    QTest::addColumn<QString>("stored"); // the order's meal as stored, "" when none
    QTest::addColumn<QString>("audited");

    const QString save = QStringLiteral("cmdSaveAnyway");
    const QString discard = QStringLiteral("cmdDiscard");
    const QString remark = QStringLiteral("Double shift; the ward sister asked");
    QTest::newRow("saved anyway, past the limit")
        << save << remark << "E002" << false << "Saved!"
        << "E002 M02 Lunch 2026-12-08 11:30:15 no rice CLERK01 1"
        << "OVERRIDE CLERK01: EmpNum=E002; EmployeeName=Smith, John P; MealCode=M02; "
           "MealName=Fish fillet; MealDate=2026-12-08 11:30:15; ClerkID=CLERK01; OrderKey="
           "5b0c8f0e-1d2a-4c3b-9e4f-6a7b8c9d0e1f; Reason=Double shift; the ward sister asked";
    QTest::newRow("discarded with a reason")
        << discard << "Served twice by mistake"
        << "E002" << false << "Discarded."
        << ""
        << "DISCARD CLERK01: EmpNum=E002; EmployeeName=Smith, John P; MealDate=2026-12-08 "
           "11:30:15; ClerkID=CLERK01; Meals=M02 Fish fillet (Lunch; no rice); Refusal=Smith, "
           "John P (E002) has received 1 Lunch today and this order holds 1; the site allows 1 "
           "a day.; Reason=Served twice by mistake";
    QTest::newRow("a blank remark changes nothing")
        << save << "   "
        << "E002" << false
        << "Type a remark saying why the order is saved anyway. Nothing was changed."
        << ""
        << "";
    QTest::newRow("a blank reason changes nothing")
        << discard << ""
        << "E002" << false << "Type the reason the order is discarded. Nothing was changed."
        << ""
        << "";
    // Nobody stores a meal for someone not on the payroll; discarding is what is left.
    QTest::newRow("an unknown employee is never saved")
        << save << remark << "E999" << false
        << "Employee E999 is not on the payroll: nobody can save a meal for him, the order can "
           "only be discarded."
        << ""
        << "";
    QTest::newRow("server down while settling")
        << discard << "Served twice by mistake"
        << "E002" << true << "The connection to the database server was lost."
        << ""
        << "";
}

void tst_frmRefusedOrders::aSupervisorSettlesARefusedOrder()
{
    QFETCH(QString, button);
    QFETCH(QString, note);
    QFETCH(QString, employee);
    QFETCH(bool, serverDown);
    QFETCH(QString, heard);
    QFETCH(QString, stored);
    QFETCH(QString, audited);

    Refused r(kAllRights, employee);
    QCOMPARE(r.refused(), 1);
    QCOMPARE(r.statusText, QStringLiteral("1 refused order: settle…"));
    CuttingConnection link(*r.c.env.context().cnMain);
    link.setDown(serverDown);
    r.c.env.context().cnMain = &link;
    r.c.env.messages().clear();
    r.c.env.messages().answerNext(true);

    r.inWindow([&](DialogUi& ui) {
        QCOMPARE(ui.column(QStringLiteral("mshOrders"), 2), QStringList{employee});
        QVERIFY(
            ui.column(QStringLiteral("mshOrders"), 4).constFirst().startsWith("M02 Fish fillet"));
        WidgetUi::clickRow(ui.grid(QStringLiteral("mshOrders")), 1);
        ui.edit(QStringLiteral("txtRemark"))->setText(note);
        ui.click(button);
    });

    QCOMPARE(r.c.env.messages().texts().constLast(), heard);
    const bool settled = !stored.isEmpty() || !audited.isEmpty();
    QCOMPARE(r.refused(), settled ? 0 : 1);
    QCOMPARE(r.statusText, settled ? QString() : QStringLiteral("1 refused order: settle…"));
    // The stored meal keeps the order's key, line, served time and clerk.
    QCOMPARE(
        r.c.env.scalar(
            QStringLiteral(
                "SELECT EmpNum || ' ' || MealCode || ' ' || MealMode || ' ' || MealDate || ' ' "
                "|| Remarks || ' ' || ClerkID || ' ' || OrderLine FROM "
                "Station.tbTALOEmployeeDistributedMeals WHERE OrderKey = '%1'")
                .arg(r.key)),
        stored);
    QCOMPARE(r.audit(), audited);
}

void tst_frmRefusedOrders::withoutTheRightTheListIsReadOnly()
{
    Refused r(kNoRevoking);
    r.inWindow([](DialogUi& ui) {
        QCOMPARE(ui.column(QStringLiteral("mshOrders"), 2), QStringList{"E002"});
        QVERIFY(ui.label(QStringLiteral("lblNote"))->text().contains("Only a user with the right"));
        QVERIFY(!ui.get<QPushButton>(QStringLiteral("cmdSaveAnyway"))->isEnabled());
        QVERIFY(!ui.get<QPushButton>(QStringLiteral("cmdDiscard"))->isEnabled());
    });
    QCOMPARE(r.refused(), 1);
    // Sent by hand, the server refuses it too: the right is its check as well.
    OrderJournal journal(r.journalPath());
    const OrderJournal::Order order = journal.refused().constFirst();
    try {
        r.c.env.context().execute(
            RefusedOrderData::discardText(order, QStringLiteral("CLERK01"), QStringLiteral("x")));
        QFAIL("the discard was stored");
    } catch (const DbError& error) {
        QCOMPARE(error.message(), QStringLiteral("User CLERK01 does not hold the right to revoke "
                                                 "meals, which discarding a refused order needs."));
    }
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
