#include "FirstAdministratorDialog.h"

#include "PasswordRule.h"
#include "widgets/MessageService.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FirstAdministratorDialog::FirstAdministratorDialog(MessageService& messages, Create create,
                                                   QWidget* parent)
    : CenteredDialog(parent), m_messages(messages), m_create(std::move(create))
{
    setObjectName(QStringLiteral("FirstAdministratorDialog"));
    setWindowTitle(MessageService::applicationTitle() + QStringLiteral(" - First Start"));
    setModal(true);
    setMinimumWidth(360);

    auto* intro = new QLabel(tr("Nobody may use this database yet. Enter the administrator, "
                                "who receives every right."),
                             this);
    intro->setWordWrap(true);

    auto* form = new QFormLayout;
    txtStaffID = makeField(QStringLiteral("txtStaffID"), false);
    txtLastName = makeField(QStringLiteral("txtLastName"), false);
    txtFirstName = makeField(QStringLiteral("txtFirstName"), false);
    txtPassword = makeField(QStringLiteral("txtPassword"), true);
    txtConfirmPassword = makeField(QStringLiteral("txtConfirmPassword"), true);
    form->addRow(tr("Staff ID:"), txtStaffID);
    form->addRow(tr("Last name:"), txtLastName);
    form->addRow(tr("First name:"), txtFirstName);
    form->addRow(tr("Password:"), txtPassword);
    form->addRow(tr("Password again:"), txtConfirmPassword);

    QDialogButtonBox* buttons = makeOkCancel();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &FirstAdministratorDialog::cmdOK_Click);
    txtStaffID->setFocus();
}

DatabaseOpener::NewAdministrator FirstAdministratorDialog::person() const
{
    return {txtStaffID->text().trimmed(), txtLastName->text().trimmed(),
            txtFirstName->text().trimmed(), txtPassword->text()};
}

QString FirstAdministratorDialog::incompleteText()
{
    return QStringLiteral("Please Complete the details.");
}

QString FirstAdministratorDialog::mismatchText()
{
    return QStringLiteral("The two passwords are not the same.");
}

void FirstAdministratorDialog::cmdOK_Click()
{
    const DatabaseOpener::NewAdministrator typed = person();
    if (typed.staffId.isEmpty() || typed.lastName.isEmpty() || typed.firstName.isEmpty() ||
        typed.password.isEmpty()) {
        m_messages.info(incompleteText());
        return;
    }
    if (typed.password != txtConfirmPassword->text()) {
        m_messages.info(mismatchText());
        txtConfirmPassword->clear();
        txtConfirmPassword->setFocus();
        return;
    }
    // The administrator's password meets the rule of every other one.
    if (const QString fault = PasswordRule::fault(typed.password); !fault.isEmpty()) {
        m_messages.info(fault);
        txtPassword->setFocus();
        return;
    }
    if (m_create(typed))
        accept();
}
