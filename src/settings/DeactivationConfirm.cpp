#include "DeactivationConfirm.h"

#include "widgets/FormControls.h"
#include "widgets/ModalRunner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

DeactivationConfirm::DeactivationConfirm(int count, int activeStaff, QWidget* parent)
    : QDialog(parent), m_count(count)
{
    setObjectName(QStringLiteral("dlgConfirmDeactivation"));
    setWindowTitle(QStringLiteral("Confirmation"));
    auto* question = FormControls::label(
        this, QStringLiteral("lblDeactivateQuestion"),
        QStringLiteral("The import would deactivate %1 of the %2 active employees: they could "
                       "no longer receive meals.\nType %1 to confirm.")
            .arg(count)
            .arg(activeStaff));
    question->setWordWrap(true);
    txtDeactivateCount = FormControls::textBox(this, QStringLiteral("txtDeactivateCount"));
    cmdDeactivate = FormControls::button(this, QStringLiteral("cmdDeactivate"),
                                         QStringLiteral("&Deactivate %1").arg(count));
    auto* cancel =
        FormControls::button(this, QStringLiteral("cmdCancelDeactivate"), QStringLiteral("Cancel"));
    cmdDeactivate->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdDeactivate);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(txtDeactivateCount);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(txtDeactivateCount, &QLineEdit::textChanged, this, [this](const QString& text) {
        cmdDeactivate->setEnabled(text.trimmed() == QString::number(m_count));
    });
    FormControls::onEnter(txtDeactivateCount, [this] {
        if (cmdDeactivate->isEnabled())
            accept();
    });
    connect(cmdDeactivate, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool DeactivationConfirm::confirmed(ModalRunner& runner, int count, int activeStaff,
                                    QWidget* parent)
{
    DeactivationConfirm dialog(count, activeStaff, parent);
    return runner.runModal(dialog) == QDialog::Accepted;
}
