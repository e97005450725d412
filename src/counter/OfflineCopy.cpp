#include "OfflineCopy.h"

#include "LocalStatement.h"
#include "context/GlobalLookups.h"
#include "data/Connection.h"
#include "data/GeneralDate.h"
#include "data/SqlText.h"
#include "server/UnicodeText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <sqlite3.h>

namespace {

const QString Owner = QStringLiteral("The workstation's copy of the counter's data");
// Read back by Qt::ISODate, the quick way.
const QString IsoFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss");
const QString MomentFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");
// Meals received a day, read a page at a time (the most the server gives in one).
constexpr int PageSize = 1000;

// Employee numbers match as the server matches them: case and blanks around ignored.
QString numberKey(const QString& empNum)
{
    return UnicodeText::keyForm(empNum);
}

bool byName(const OfflineCopy::Employee* a, const OfflineCopy::Employee* b)
{
    const int name = UnicodeText::compare(a->name(), b->name());
    return name != 0 ? name < 0 : UnicodeText::compare(a->empNum, b->empNum) < 0;
}

// A SQLite connection that closes itself.
class CopyFile
{
public:
    CopyFile(const QString& path, int flags)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK) {
            const DbError error =
                LocalStatement::error(m_db, Owner, QStringLiteral("cannot be opened"));
            sqlite3_close(m_db);
            m_db = nullptr;
            throw error;
        }
    }
    ~CopyFile() { sqlite3_close(m_db); }
    CopyFile(const CopyFile&) = delete;
    CopyFile& operator=(const CopyFile&) = delete;

    sqlite3* db() const { return m_db; }
    void run(const char* sql) const { LocalStatement::run(m_db, sql, Owner); }

private:
    sqlite3* m_db = nullptr;
};

struct Snapshot
{
    QString clerkRights;
    QList<OfflineCopy::Employee> employees;
    QList<QPair<QString, OfflineCopy::Meal>> meals;
    QList<OfflineCopy::Received> received;
};

Snapshot readServer(Connection& server, const QDate& day, const QString& clerk)
{
    Snapshot snapshot;
    const Recordset rights = server.open(userRightsText(clerk));
    snapshot.clerkRights = rights.recordCount() > 0 ? rights.value(0, 0) : QString();
    QHash<QString, QString> departments;
    const Recordset departmentRows =
        server.open(QStringLiteral("Select DeptCode, Description from Payroll..tbcDepartment"));
    for (const Recordset::Row& row : departmentRows.rows())
        departments.insert(numberKey(row.at(0)), row.at(1));
    const Recordset people =
        server.open(QStringLiteral("Select EmpNum, Lastname, Firstname, Middlename, DeptCode, "
                                   "Active from Payroll..tbcmaster"));
    for (const Recordset::Row& row : people.rows())
        snapshot.employees.append({row.at(0), row.at(1), row.at(2), row.at(3),
                                   row.at(5) == QLatin1String("1"),
                                   departments.value(numberKey(row.at(4)))});
    // The meals each one may take, as the counter's meal look-up asks for them: the server
    // alone knows which tags, meals and meal types are active.
    for (const OfflineCopy::Employee& e : std::as_const(snapshot.employees)) {
        if (!e.active)
            continue;
        const Recordset meals = server.open(SqlText::call(
            QStringLiteral("Station..Load_TALO_EmployeeAllowedMeals"), {e.empNum, QString()}));
        for (const Recordset::Row& row : meals.rows())
            snapshot.meals.append(
                {e.empNum, {row.at(0), row.at(1), row.at(2), row.at(3), row.at(4)}});
    }
    // The day's meals, not revoked, a page at a time as the history reads them.
    const QString from = GeneralDate::toText(QDateTime(day, QTime(0, 0)));
    const QString to = GeneralDate::toText(QDateTime(day, QTime(23, 59, 59)));
    QString afterDate;
    QString afterNumber;
    for (;;) {
        const Recordset page = server.open(SqlText::call(
            QStringLiteral("Station..Load_TALO_DistributedMealHistory"),
            {from, to, QString(), QString(), QString(), QString(), QStringLiteral("0"), afterDate,
             afterNumber, QString::number(PageSize)}));
        for (int row = 0; row < page.recordCount(); ++row) {
            const auto value = [&](const char* field) {
                return page.value(row, QLatin1String(field));
            };
            snapshot.received.append(
                {value("EMPNUM"), value("MEAL"), value("DESCRIPTION"),
                 GeneralDate::fromText(value("MEALDATE")).value_or(QDateTime()), value("REMARKS"),
                 value("CLERKID"), value("TRANSNUM"), value("MEALMODE")});
        }
        if (page.recordCount() < PageSize)
            break;
        afterDate = page.value(page.recordCount() - 1, QStringLiteral("MEALDATE"));
        afterNumber = page.value(page.recordCount() - 1, QStringLiteral("TRANSNUM"));
    }
    return snapshot;
}

void write(const QString& path, const Snapshot& snapshot, const QDateTime& takenAt,
           const QDateTime& takenHere, const QString& clerk)
{
    QFile::remove(path);
    CopyFile file(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    // A new file nobody else reads: no rollback journal, but on the disk before it is
    // put in place.
    file.run("PRAGMA journal_mode = OFF");
    file.run("PRAGMA synchronous = FULL");
    file.run("BEGIN");
    file.run("CREATE TABLE Employee (EmpNum TEXT, Lastname TEXT, Firstname TEXT, "
             "Middlename TEXT, Active INTEGER, Department TEXT)");
    file.run("CREATE TABLE AllowedMeal (EmpNum TEXT, Code TEXT, Description TEXT, Cost TEXT, "
             "Type TEXT, Status TEXT)");
    file.run("CREATE TABLE Received (EmpNum TEXT, Meal TEXT, Description TEXT, MealDate TEXT, "
             "Remarks TEXT, ClerkID TEXT, TransNum TEXT, MealMode TEXT)");
    // Written last: a file without it was never finished.
    file.run("CREATE TABLE Copy (TakenAt TEXT NOT NULL, TakenHere TEXT NOT NULL, "
             "ClerkID TEXT NOT NULL, ClerkRights TEXT NOT NULL)");
    const auto insert = [&file](const char* sql, const QStringList& values) {
        LocalStatement statement(file.db(), sql, Owner);
        for (int i = 0; i < values.size(); ++i)
            statement.bind(i + 1, values.at(i));
        statement.step();
    };
    for (const OfflineCopy::Employee& e : snapshot.employees)
        insert("INSERT INTO Employee VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
               {e.empNum, e.lastname, e.firstname, e.middlename,
                e.active ? QStringLiteral("1") : QStringLiteral("0"), e.department});
    for (const auto& [empNum, m] : snapshot.meals)
        insert("INSERT INTO AllowedMeal VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
               {empNum, m.code, m.description, m.cost, m.type, m.status});
    for (const OfflineCopy::Received& r : snapshot.received)
        insert("INSERT INTO Received VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
               {r.empNum, r.meal, r.description, r.served.toString(IsoFormat), r.remarks, r.clerk,
                r.transNum, r.mealMode});
    insert("INSERT INTO Copy VALUES (?1, ?2, ?3, ?4)",
           {takenAt.toString(IsoFormat), takenHere.toString(MomentFormat), clerk,
            snapshot.clerkRights});
    file.run("COMMIT");
}

} // namespace

void OfflineCopy::refresh(Connection& server, const QString& path, const QDateTime& serverNow,
                          const QString& clerk)
{
    const QDateTime takenHere = QDateTime::currentDateTime();
    const Snapshot snapshot = readServer(server, serverNow.date(), clerk);
    const QString building = path + QStringLiteral(".new");
    write(building, snapshot, serverNow, takenHere, clerk);
    // Put in place whole, or not at all: the last good copy stays until then.
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(building.toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), error);
    if (error)
        throw DbError(error.value(), Owner + QStringLiteral(" cannot be put in place: ") +
                                         QString::fromStdString(error.message()));
}

OfflineCopy OfflineCopy::read(const QString& path)
{
    OfflineCopy copy;
    if (!QFile::exists(path))
        return copy;
    try {
        CopyFile file(path, SQLITE_OPEN_READONLY);
        LocalStatement taken(file.db(), "SELECT TakenAt, TakenHere, ClerkID, ClerkRights FROM Copy",
                             Owner);
        if (!taken.step())
            return copy;
        copy.m_clerk = taken.text(2);
        copy.m_clerkRights = taken.text(3);
        const QDateTime takenAt = QDateTime::fromString(taken.text(0), Qt::ISODate);
        copy.m_takenHere = QDateTime::fromString(taken.text(1), Qt::ISODateWithMs);
        LocalStatement employees(file.db(), "SELECT * FROM Employee", Owner);
        while (employees.step())
            copy.m_employees.append({employees.text(0), employees.text(1), employees.text(2),
                                     employees.text(3), employees.integer(4) == 1,
                                     employees.text(5)});
        // An employee's key is made once, not once a row.
        QHash<QString, QString> keys;
        const auto keyOf = [&keys](const QString& empNum) {
            auto key = keys.constFind(empNum);
            if (key == keys.constEnd())
                key = keys.insert(empNum, numberKey(empNum));
            return *key;
        };
        LocalStatement meals(file.db(), "SELECT * FROM AllowedMeal", Owner);
        while (meals.step())
            copy.m_meals[keyOf(meals.text(0))].append(
                {meals.text(1), meals.text(2), meals.text(3), meals.text(4), meals.text(5)});
        LocalStatement received(file.db(), "SELECT * FROM Received", Owner);
        while (received.step())
            copy.m_received[keyOf(received.text(0))].append(
                {received.text(0), received.text(1), received.text(2),
                 QDateTime::fromString(received.text(3), Qt::ISODate), received.text(4),
                 received.text(5), received.text(6), received.text(7)});
        copy.m_takenAt = takenAt;
    } catch (const DbError&) {
        // Damaged or not a copy at all: as good as none.
        return OfflineCopy();
    }
    return copy;
}

Recordset OfflineCopy::employees(const QDate& day, const QString& text) const
{
    const bool byFullName = text.contains(QLatin1Char(','));
    QList<const Employee*> found;
    for (const Employee& e : m_employees) {
        if (!e.active)
            continue;
        if (text.isEmpty() || UnicodeText::compare(e.empNum, text) == 0 ||
            UnicodeText::startsWith(e.lastname, text) ||
            (byFullName && UnicodeText::startsWith(e.name(), text)))
            found.append(&e);
    }
    std::sort(found.begin(), found.end(), byName);
    QList<Recordset::Row> rows;
    const QString date = day.toString(Qt::ISODate);
    for (const Employee* e : found)
        rows.append({e->empNum, e->name(), date, e->department});
    return Recordset({QStringLiteral("EMPNUM"), QStringLiteral("NAME"), QStringLiteral("DATE"),
                      QStringLiteral("DEPARTMENT")},
                     std::move(rows));
}

bool OfflineCopy::clerkHolds(const QString& clerk, const QString& rightCode) const
{
    return usable() && UnicodeText::compare(m_clerk, clerk) == 0 &&
           rightsHold(m_clerkRights, rightCode);
}

QString OfflineCopy::pathBeside(const QString& journalPath)
{
    return QFileInfo(journalPath).absoluteDir().filePath(QStringLiteral("counter-copy.sqlite"));
}

const OfflineCopy::Employee* OfflineCopy::employee(const QString& empNum) const
{
    for (const Employee& e : m_employees) {
        if (UnicodeText::compare(e.empNum, empNum) == 0)
            return &e;
    }
    return nullptr;
}

Recordset OfflineCopy::allowedMeals(const QString& empNum, const QString& text) const
{
    QList<Meal> found;
    for (const Meal& meal : m_meals.value(numberKey(empNum))) {
        if (UnicodeText::compare(meal.code, text) == 0 ||
            UnicodeText::contains(meal.description, text))
            found.append(meal);
    }
    std::sort(found.begin(), found.end(), [](const Meal& a, const Meal& b) {
        const int description = UnicodeText::compare(a.description, b.description);
        return description != 0 ? description < 0 : UnicodeText::compare(a.code, b.code) < 0;
    });
    QList<Recordset::Row> rows;
    for (const Meal& meal : found)
        rows.append({meal.code, meal.description, meal.cost, meal.type, meal.status});
    return Recordset({QStringLiteral("CODE"), QStringLiteral("DESCRIPTION"), QStringLiteral("COST"),
                      QStringLiteral("TYPE"), QStringLiteral("STATUS")},
                     std::move(rows));
}

QList<OfflineCopy::Received> OfflineCopy::received(const QString& empNum, const QDate& day) const
{
    QList<Received> meals;
    for (const Received& meal : m_received.value(numberKey(empNum))) {
        if (meal.served.date() == day)
            meals.append(meal);
    }
    return meals;
}
