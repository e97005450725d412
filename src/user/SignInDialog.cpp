#include "SignInDialog.h"

#include "widgets/MessageService.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SignInDialog::SignInDialog(MessageService& messages, bool asksForDatabaseLogin, Check check,
                           QWidget* parent)
    : CenteredDialog(parent), m_messages(messages), m_check(std::move(check))
{
    setObjectName(QStringLiteral("SignInDialog"));
    setWindowTitle(MessageService::applicationTitle() + QStringLiteral(" - Sign In"));
    setModal(true);
    setMinimumWidth(360);

    auto* form = new QFormLayout;
    txtStaffID = makeField(QStringLiteral("txtStaffID"), false);
    txtPassword = makeField(QStringLiteral("txtPassword"), true);
    form->addRow(tr("Staff ID:"), txtStaffID);
    form->addRow(tr("Password:"), txtPassword);
    if (asksForDatabaseLogin) {
        txtDatabaseLogin = makeField(QStringLiteral("txtDatabaseLogin"), false);
        txtDatabasePassword = makeField(QStringLiteral("txtDatabasePassword"), true);
        form->addRow(tr("Database login:"), txtDatabaseLogin);
        form->addRow(tr("Database password:"), txtDatabasePassword);
    }

    QDialogButtonBox* buttons = makeOkCancel();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(cmdOK, &QPushButton::clicked, this, &SignInDialog::cmdOK_Click);
    txtStaffID->setFocus();
}

QString SignInDialog::staffId() const
{
    return txtStaffID->text().trimmed();
}

QString SignInDialog::password() const
{
    return txtPassword->text();
}

QString SignInDialog::databaseLogin() const
{
    return txtDatabaseLogin ? txtDatabaseLogin->text().trimmed() : QString();
}

QString SignInDialog::databasePassword() const
{
    return txtDatabasePassword ? txtDatabasePassword->text() : QString();
}

void SignInDialog::setStaffId(const QString& staffId)
{
    txtStaffID->setText(staffId);
    txtPassword->setFocus();
}

QString SignInDialog::refusalText()
{
    return QStringLiteral("The staff ID or password is not correct.");
}

void SignInDialog::cmdOK_Click()
{
    switch (m_check(*this)) {
    case Verdict::Accepted:
        m_failures = 0;
        accept();
        return;
    case Verdict::Failed:
        return;
    case Verdict::Refused:
        break;
    }
    ++m_failures;
    m_messages.info(refusalText());
    if (m_failures >= maxFailures) {
        // The program ends with the dialog: say why rather than vanish.
        m_messages.info(QStringLiteral("Too many failed sign-ins. Talodesk will close."));
        reject();
        return;
    }
    txtPassword->clear();
    txtPassword->setFocus();
}
