#pragma once

#include "RefusedOrderData.h"
#include "widgets/ModalForm.h"

class AppContext;
class FlexGrid;
class QLabel;
class QLineEdit;
class QPushButton;

// The orders this workstation served while the server could not be reached and the
// server refused when they were sent: when, for whom, by which clerk, the meals and the
// server's words. A supervisor (the right to revoke meals) saves one anyway, past the
// refusal, with a remark, or discards it with a reason; the server audits both under his
// name. Anyone else sees the list only.
class frmRefusedOrders : public ModalForm
{
    Q_OBJECT

public:
    explicit frmRefusedOrders(AppContext& context);

    // Set by the opener: the workstation's order journal.
    QString strJournalPath;

protected:
    void createControls(QWidget* surface) override;
    void Form_Load() override;

private slots:
    void cmdSaveAnyway_Click();
    void cmdDiscard_Click();

private:
    void loadOrders();
    void showChosen();
    // The chosen order's key, or empty after telling the user to choose one.
    QString chosenOrder();
    // The remark or reason typed, or empty after telling the user it is needed.
    QString typedNote(const QString& needed);
    // Saving anyway or discarding the chosen order with the note typed, under the right to
    // revoke meals; the list then shows what is left.
    using Settlement = void (RefusedOrderData::*)(const OrderJournal::Order&, const QString&);
    void settle(const QString& needed, bool confirm, Settlement settlement, const QString& done);
    bool confirmDiscard();

    AppContext& m_context;
    FlexGrid* mshOrders = nullptr;
    QLabel* lblNote = nullptr;
    QLabel* lblChosen = nullptr;
    QLineEdit* txtRemark = nullptr;
    QPushButton* cmdSaveAnyway = nullptr;
    QPushButton* cmdDiscard = nullptr;
};
