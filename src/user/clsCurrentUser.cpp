#include "clsCurrentUser.h"

#include "DatabaseOpener.h"
#include "FirstAdministratorDialog.h"
#include "PasswordRegister.h"
#include "data/Connection.h"
#include "data/DbError.h"
#include "widgets/MessageService.h"
#include "widgets/ModalRunner.h"

#include <QSysInfo>

clsCurrentUser::clsCurrentUser(DatabaseOpener& opener, ModalRunner& modal, MessageService& messages)
    : m_opener(opener), m_modal(modal), m_messages(messages)
{}

clsCurrentUser::~clsCurrentUser() = default;

void clsCurrentUser::setPasswordDeptCode(const QString& code)
{
    m_deptCode = code;
}

void clsCurrentUser::sethwndParentForm(QWidget* parent)
{
    m_parent = parent;
}

void clsCurrentUser::ShowMain()
{
    if (m_connected)
        return;
    QString newStaffId;
    if (!m_opener.asksForDatabaseLogin()) {
        if (!openConnection({}, {}))
            return;
        if (!ensureAdministrator(newStaffId))
            return;
    }

    SignInDialog dialog(
        m_messages, m_opener.asksForDatabaseLogin(),
        [this](const SignInDialog& typed) { return signInVerdict(typed); }, m_parent);
    if (!newStaffId.isEmpty())
        dialog.setStaffId(newStaffId);
    m_modal.runModal(dialog);
}

bool clsCurrentUser::openConnection(const QString& login, const QString& password)
{
    try {
        m_connection = m_opener.open(login, password);
        return true;
    } catch (const DbError& error) {
        m_connection.reset();
        m_messages.error(error);
        return false;
    }
}

bool clsCurrentUser::ensureAdministrator(QString& newStaffId)
{
    try {
        if (!m_opener.needsFirstAdministrator(m_deptCode))
            return true;
    } catch (const DbError& error) {
        m_messages.error(error);
        return false;
    }

    FirstAdministratorDialog dialog(
        m_messages,
        [this](const DatabaseOpener::NewAdministrator& person) {
            try {
                m_opener.createFirstAdministrator(person, m_deptCode);
                return true;
            } catch (const DbError& error) {
                m_messages.error(error);
                return false;
            }
        },
        m_parent);
    if (m_modal.runModal(dialog) != QDialog::Accepted)
        return false;
    newStaffId = dialog.person().staffId;
    return true;
}

SignInDialog::Verdict clsCurrentUser::signInVerdict(const SignInDialog& typed)
{
    using Verdict = SignInDialog::Verdict;
    // With a database login the connection can only be opened once it has been typed;
    // a login the server refuses is its own error, not a failed sign-in.
    if (!m_connection && !openConnection(typed.databaseLogin(), typed.databasePassword()))
        return Verdict::Failed;
    try {
        PasswordRegister passwords(*m_connection, m_deptCode);
        const std::optional<PasswordRegister::Person> person =
            passwords.signIn(typed.staffId(), typed.password());
        if (!person) {
            // A failure to record is shown, but the refusal still counts towards the
            // five that end the program.
            try {
                passwords.recordFailure(typed.staffId(), QSysInfo::machineHostName());
            } catch (const DbError& error) {
                m_messages.error(error);
            }
            return Verdict::Refused;
        }
        m_serverName = m_connection->serverName();
        m_employeeCode = person->staffId;
        m_employeeName = person->name;
        m_connected = true;
        return Verdict::Accepted;
    } catch (const DbError& error) {
        m_messages.error(error);
        return Verdict::Failed;
    }
}

QVariant clsCurrentUser::Connected() const
{
    return m_connected;
}

Connection* clsCurrentUser::SQLConnection() const
{
    return m_connection.get();
}

QString clsCurrentUser::EmployeeCode() const
{
    return m_employeeCode;
}

QString clsCurrentUser::EmployeeName() const
{
    return m_employeeName;
}

QString clsCurrentUser::ServerName() const
{
    return m_serverName;
}
