#include "TestEnvironment.h"

#include "data/SqlText.h"
#include "server/EmbeddedStore.h"
#include "widgets/DesignedFonts.h"
#include "widgets/FlexGrid.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {
QString lit(const QString& value)
{
    return QLatin1Char('\'') + SqlText::quote(value) + QLatin1Char('\'');
}
} // namespace

TestEnvironment::TestEnvironment(const QString& userCode, const QString& rights)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // The fonts the program runs with, so captions are measured as users see them.
    DesignedFonts::install();
    if (!m_dir.isValid())
        qFatal("cannot create a temporary folder for the test store");
    m_store = std::make_unique<EmbeddedConnection>(m_dir.path());
    m_recorder = std::make_unique<RecordingConnection>(*m_store);
    m_user = std::make_unique<TestUser>(m_recorder.get(), userCode, QStringLiteral("Test User"));
    m_context = std::make_unique<AppContext>(m_messages, m_modal);
    m_context->objUser = m_user.get();
    m_context->cnMain = m_recorder.get();
    m_context->workstationFolder = m_dir.filePath(QStringLiteral("workstation"));
    m_serverClock = QDateTime(QDate(2026, 12, 8), QTime(11, 30, 15));
    m_store->store().functions().setClock([this] { return m_serverClock; });
    m_context->dtServerDate = m_serverClock;
    if (!rights.isEmpty())
        setRights(userCode, rights);
}

TestEnvironment::~TestEnvironment()
{
    appendStatementLog();
    // A window may have taken the site's fitted list columns on for every grid of the
    // program: the next test starts at the designed widths.
    FlexGrid::setFittedColumns(false);
}

void TestEnvironment::appendStatementLog() const
{
    // The SQL Server kit check collects what each window sends, to prove that the roles
    // which may open the window are granted every object it names.
    const QString folder = qEnvironmentVariable("TALODESK_STATEMENT_LOG");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QFile log(QDir(folder).filePath(QCoreApplication::applicationName() + QStringLiteral(".txt")));
    if (!log.open(QIODevice::Append | QIODevice::Text))
        qFatal("cannot write the statement log %s", qPrintable(log.fileName()));
    for (QString statement : m_recorder->statements())
        log.write(statement.replace(QLatin1Char('\n'), QLatin1Char(' ')).toUtf8() + '\n');
}

void TestEnvironment::sqlite(const QString& nativeSql)
{
    m_store->nativeExecute(nativeSql);
}

Recordset TestEnvironment::query(const QString& nativeSql)
{
    return m_store->nativeQuery(nativeSql);
}

QString TestEnvironment::scalar(const QString& nativeSql)
{
    return query(nativeSql).value(0, 0);
}

void TestEnvironment::addEmployee(const QString& empNum, const QString& lastName,
                                  const QString& firstName, const QString& middleName,
                                  const QString& department)
{
    QString dept = department;
    if (!dept.isEmpty()) {
        sqlite(QStringLiteral("INSERT OR IGNORE INTO Payroll.tbcDepartment(DeptCode, Description) "
                              "VALUES(%1, %1)")
                   .arg(lit(dept)));
    }
    sqlite(QStringLiteral("INSERT INTO Payroll.tbcmaster(EmpNum, Lastname, Firstname, Middlename, "
                          "DeptCode, Active) VALUES(%1, %2, %3, %4, %5, '1')")
               .arg(lit(empNum), lit(lastName), lit(firstName), lit(middleName),
                    dept.isEmpty() ? QStringLiteral("NULL") : lit(dept)));
}

void TestEnvironment::addMealType(const QString& code, const QString& description, bool active)
{
    sqlite(QStringLiteral("INSERT INTO Station.tbcoMealType(Code, Description, Status) "
                          "VALUES(%1, %2, %3)")
               .arg(lit(code), lit(description), active ? "'1'" : "'0'"));
}

void TestEnvironment::addMeal(const QString& code, const QString& description,
                              const QString& mealType, const QString& cost, bool active)
{
    sqlite(QStringLiteral("INSERT INTO Station.tbcoMeal(Code, Description, Cost, MealType, Status) "
                          "VALUES(%1, %2, %3, %4, %5)")
               .arg(lit(code), lit(description), lit(cost), lit(mealType), active ? "'1'" : "'0'"));
}

void TestEnvironment::tag(const QString& empNum, const QString& mealTypeCode)
{
    sqlite(QStringLiteral("INSERT INTO Station.tbTALOEmployeeMeal(EmpNum, MealTypeCode, TaggedBy, "
                          "TaggedAt) VALUES(%1, %2, 'TEST', '2026-12-01 08:00:00')")
               .arg(lit(empNum), lit(mealTypeCode)));
}

void TestEnvironment::setRights(const QString& userId, const QString& rights)
{
    sqlite(
        QStringLiteral("DELETE FROM Station.tbTALOUserRights WHERE UserID = %1").arg(lit(userId)));
    sqlite(QStringLiteral("INSERT INTO Station.tbTALOUserRights(UserID, UserRights, ModifiedBy, "
                          "ModifiedAt) VALUES(%1, %2, 'TEST', '2026-12-01 08:00:00')")
               .arg(lit(userId), lit(rights)));
}
