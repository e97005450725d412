#include "PasswordRegister.h"

#include "PasswordHash.h"
#include "data/Connection.h"
#include "data/SqlText.h"

PasswordRegister::PasswordRegister(Connection& connection, QString appCode)
    : m_connection(connection), m_appCode(std::move(appCode))
{}

namespace {

// No stored ID holds NUL (every save refuses it), and neither the statement text nor the
// failure's record can carry one: such an ID is looked up and recorded with the
// replacement character, a wrong ID like any other.
QString typedId(const QString& staffId)
{
    return QString(staffId).replace(QChar(0), QChar(QChar::ReplacementCharacter));
}

} // namespace

std::optional<PasswordRegister::Person> PasswordRegister::signIn(const QString& typed,
                                                                 const QString& password)
{
    const QString staffId = typedId(typed);
    // Every refusal takes the same path: the same two reads and one verification at the
    // program's own cost, against the person's hash when there is a usable one and
    // against the decoy otherwise (unknown or inactive ID, no password, a stored text that
    // is not a hash), so the time taken does not tell which IDs exist.
    const Recordset person = m_connection.open(
        QStringLiteral("Select EmployeeID, Lastname, Firstname, PasswordHash from "
                       "Password..tbPasswordMain where EmployeeID = '") +
        SqlText::quote(staffId) + QStringLiteral("' and Active = '1'"));
    const bool found = person.recordCount() == 1;
    const QString stored = found ? person.value(0, QStringLiteral("PasswordHash")) : QString();
    const bool usable = PasswordHash::wellFormed(stored);
    const bool verified = PasswordHash::verify(usable ? stored : decoyHash(), password) && usable;

    const QString storedId = found ? person.value(0, QStringLiteral("EmployeeID")) : staffId;
    const Recordset access = m_connection.open(
        QStringLiteral("Select EmployeeID, AppCode from Password..tbPasswordAppAccess where "
                       "EmployeeID = '") +
        SqlText::quote(storedId) + QStringLiteral("' and AppCode = '") + SqlText::quote(m_appCode) +
        QStringLiteral("'"));
    if (!verified || access.eof())
        return std::nullopt;

    const QString first = person.value(0, QStringLiteral("Firstname")).trimmed();
    const QString last = person.value(0, QStringLiteral("Lastname")).trimmed();
    return Person{storedId, (first + QLatin1Char(' ') + last).trimmed()};
}

void PasswordRegister::recordFailure(const QString& staffId, const QString& workstation)
{
    m_connection.execute(SqlText::call(QStringLiteral("Station..Save_TALO_FailedSignIn"),
                                       {typedId(staffId).left(30), workstation.left(100)}));
}

const QString& PasswordRegister::decoyHash()
{
    // A fixed hash of a random password nobody knows, made once at the program's own
    // cost: verifying against it takes as long as against a person's hash, also on the
    // first sign-in of a process (computing it then would double that one's time).
    static const QString hash =
        QStringLiteral("$argon2id$v=19$m=65536,t=2,p=1$Et+UGQFML8KrcETITMcGtQ$"
                       "CWefuHSNa78UY+iLw2tqfufjg/bVT+8hAOFav0ftQvc");
    return hash;
}
