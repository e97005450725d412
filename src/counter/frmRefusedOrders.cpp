#include "frmRefusedOrders.h"

#include "RefusedOrderData.h"
#include "context/AppContext.h"
#include "context/Rights.h"
#include "widgets/FlexGrid.h"
#include "widgets/FormControls.h"
#include "widgets/MessageService.h"
#include "widgets/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// The list's columns (column 0 is the row header).
enum Column
{
    ServedColumn = 1,
    EmployeeColumn = 2,
    NameColumn = 3,
    MealsColumn = 5,
    RefusalColumn = 6,
    KeyColumn = 7
};
const QString Nothing = QStringLiteral(" Nothing was changed.");
} // namespace

frmRefusedOrders::frmRefusedOrders(AppContext& context)
    : ModalForm(context.modal()), m_context(context)
{
    setObjectName(QStringLiteral("frmRefusedOrders"));
    setWindowTitle(QStringLiteral("Refused Orders"));
    setClientSizeTwips(15000, 6600);
    setClosesOnEscape(true);
}

void frmRefusedOrders::createControls(QWidget* surface)
{
    lblNote = FormControls::label(surface, QStringLiteral("lblNote"), QString());
    Twips::place(lblNote, 120, 120, 14760, 600);
    lblNote->setWordWrap(true);
    mshOrders = FormControls::grid(surface, QStringLiteral("mshOrders"));
    Twips::place(mshOrders, 120, 780, 14760, 3300);
    connect(mshOrders, &FlexGrid::Click, this, [this] {
        mshOrders->selectWholeRow();
        showChosen();
    });
    // The chosen order's meals and refusal in full: the list's columns cut long ones.
    lblChosen = FormControls::label(surface, QStringLiteral("lblChosen"), QString());
    Twips::place(lblChosen, 120, 4140, 14760, 960);
    lblChosen->setWordWrap(true);
    lblChosen->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblChosen->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* caption = FormControls::label(surface, QStringLiteral("lblRemark"),
                                        QStringLiteral("&Remark or reason:"));
    Twips::place(caption, 120, 5280, 1800, 315);
    txtRemark = FormControls::textBox(surface, QStringLiteral("txtRemark"));
    Twips::place(txtRemark, 1980, 5220, 12900, 375);
    txtRemark->setMaxLength(500);
    caption->setBuddy(txtRemark);
    cmdSaveAnyway = FormControls::button(surface, QStringLiteral("cmdSaveAnyway"),
                                         QStringLiteral("Save &anyway"));
    Twips::place(cmdSaveAnyway, 10200, 5880, 1500, 495);
    cmdDiscard =
        FormControls::button(surface, QStringLiteral("cmdDiscard"), QStringLiteral("&Discard"));
    Twips::place(cmdDiscard, 11820, 5880, 1500, 495);
    auto* close =
        FormControls::button(surface, QStringLiteral("cmdClose"), QStringLiteral("&Close"));
    Twips::place(close, 13440, 5880, 1440, 495);
    connect(cmdSaveAnyway, &QPushButton::clicked, this, &frmRefusedOrders::cmdSaveAnyway_Click);
    connect(cmdDiscard, &QPushButton::clicked, this, &frmRefusedOrders::cmdDiscard_Click);
    connect(close, &QPushButton::clicked, this, &frmRefusedOrders::unload);
}

void frmRefusedOrders::Form_Load()
{
    bool settles = false;
    m_context.attempt([&] { settles = Rights::held(m_context, Rights::Right::Revoke); });
    lblNote->setText(
        settles
            ? QStringLiteral("The server refused these orders when they were sent after it could "
                             "not be reached. Save one anyway with a remark saying why, or "
                             "discard it with a reason; either is recorded under your name.")
            : QStringLiteral("The server refused these orders when they were sent after it could "
                             "not be reached. Only a user with the right to revoke meals can "
                             "settle them."));
    for (QWidget* control : {static_cast<QWidget*>(cmdSaveAnyway),
                             static_cast<QWidget*>(cmdDiscard), static_cast<QWidget*>(txtRemark)})
        control->setEnabled(settles);
    loadOrders();
}

void frmRefusedOrders::loadOrders()
{
    mshOrders->layOut(
        QStringLiteral(" |<Served |<Employee |<Name |<Clerk |<Meals |<Refused because |"), 8,
        {0, 2000, 1000, 2500, 1000, 3500, 4500, 0});
    m_context.attempt([this] {
        mshOrders->fillFrom(
            [this] { return RefusedOrderData(m_context, strJournalPath).ordersList(); }, false);
    });
    showChosen();
}

void frmRefusedOrders::showChosen()
{
    const int row = mshOrders->Row();
    const bool chosen = row >= 1 && !mshOrders->TextMatrix(row, KeyColumn).isEmpty();
    lblChosen->setText(chosen ? QStringLiteral("Meals: %1\nRefused because: %2")
                                    .arg(mshOrders->TextMatrix(row, MealsColumn),
                                         mshOrders->TextMatrix(row, RefusalColumn))
                              : QString());
}

QString frmRefusedOrders::chosenOrder()
{
    const int row = mshOrders->Row();
    const QString key = row < 1 ? QString() : mshOrders->TextMatrix(row, KeyColumn);
    if (key.isEmpty())
        m_context.messages().info(QStringLiteral("Choose an order in the list first."));
    return key;
}

QString frmRefusedOrders::typedNote(const QString& needed)
{
    const QString note = txtRemark->text().trimmed();
    if (note.isEmpty()) {
        m_context.messages().info(needed + Nothing);
        txtRemark->setFocus();
    }
    return note;
}

void frmRefusedOrders::cmdSaveAnyway_Click()
{
    settle(QStringLiteral("Type a remark saying why the order is saved anyway."), false,
           &RefusedOrderData::saveAnyway, QStringLiteral("Saved!"));
}

void frmRefusedOrders::cmdDiscard_Click()
{
    settle(QStringLiteral("Type the reason the order is discarded."), true,
           &RefusedOrderData::discard, QStringLiteral("Discarded."));
}

void frmRefusedOrders::settle(const QString& needed, bool confirm, Settlement settlement,
                              const QString& done)
{
    const QString key = chosenOrder();
    if (key.isEmpty())
        return;
    const QString note = typedNote(needed);
    if (note.isEmpty())
        return;
    m_context.attempt([&] {
        if (!Rights::heldOrRefused(m_context, Rights::Right::Revoke))
            return;
        if (confirm && !confirmDiscard())
            return;
        RefusedOrderData data(m_context, strJournalPath);
        const std::optional<OrderJournal::Order> order = data.order(key);
        if (!order) {
            m_context.messages().info(QStringLiteral("This order was settled meanwhile."));
            return;
        }
        (data.*settlement)(*order, note);
        txtRemark->clear();
        m_context.messages().info(done);
    });
    loadOrders();
}

bool frmRefusedOrders::confirmDiscard()
{
    const int row = mshOrders->Row();
    const QString name = mshOrders->TextMatrix(row, NameColumn);
    const QString employee = mshOrders->TextMatrix(row, EmployeeColumn);
    return m_context.messages().askDefaultNo(
        QStringLiteral("Discard the order served to %1 at %2? Its meals will not be recorded.")
            .arg(name.isEmpty() ? employee : QStringLiteral("%1 (%2)").arg(name, employee),
                 mshOrders->TextMatrix(row, ServedColumn)),
        QStringLiteral("Confirmation"));
}
