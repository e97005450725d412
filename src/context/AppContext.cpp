#include "AppContext.h"

#include "WindowRegistry.h"
#include "data/Connection.h"
#include "data/DbError.h"
#include "user/UserObject.h"
#include "widgets/MessageService.h"

AppContext::AppContext(MessageService& messages, ModalRunner& modal)
    : dtServerDate(zeroDateTime()), m_messages(messages), m_modal(modal),
      m_windows(std::make_unique<WindowRegistry>(*this))
{}

AppContext::~AppContext() = default;

QDateTime AppContext::zeroDateTime()
{
    // The date-time a never-set date holds: midnight of 30 December 1899.
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

void AppContext::setServerDate(const QDateTime& value)
{
    dtServerDate = value;
    if (serverDateChanged)
        serverDateChanged(dtServerDate);
}

QDate AppContext::today() const
{
    return dtServerDate.date() > zeroDateTime().date() ? dtServerDate.date() : QDate::currentDate();
}

QString AppContext::userCode() const
{
    return objUser ? objUser->EmployeeCode() : QString();
}

void AppContext::onSettingsSaved(QObject* receiver,
                                 std::function<void(const AppSettings&)> listener)
{
    m_settingsListeners.push_back({receiver, std::move(listener)});
}

void AppContext::settingsSaved(const AppSettings& settings)
{
    std::erase_if(m_settingsListeners, [](const SettingsListener& l) { return !l.receiver; });
    for (const SettingsListener& l : m_settingsListeners)
        l.listener(settings);
}

namespace {
Connection& usable(Connection* connection)
{
    if (!connection)
        throw DbError(3709, QStringLiteral("The connection cannot be used to perform this "
                                           "operation. It is either closed or invalid."));
    return *connection;
}
} // namespace

Recordset AppContext::open(const QString& sql)
{
    return usable(objUser ? objUser->SQLConnection() : nullptr).open(sql);
}

void AppContext::execute(const QString& sql)
{
    usable(cnMain).execute(sql);
}

void AppContext::transaction(const std::function<void()>& work)
{
    usable(cnMain).transaction(work);
}

bool AppContext::attempt(const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const DbError& error) {
        m_messages.error(error);
        return false;
    }
}
