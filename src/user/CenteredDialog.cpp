#include "CenteredDialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

void CenteredDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (parentWidget() && parentWidget()->isVisible())
        return;
    if (const QScreen* where = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
}

QLineEdit* CenteredDialog::makeField(const QString& name, bool secret)
{
    auto* field = new QLineEdit(this);
    field->setObjectName(name);
    if (secret)
        field->setEchoMode(QLineEdit::Password);
    return field;
}

QDialogButtonBox* CenteredDialog::makeOkCancel()
{
    auto* buttons = new QDialogButtonBox(this);
    cmdOK = buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    return buttons;
}
