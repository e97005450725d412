#include "DemoData.h"

#include "EmbeddedConnection.h"
#include "EmbeddedStore.h"
#include "data/DbError.h"
#include "data/SqlText.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QStringList>
#include <sodium.h>

namespace {

QString lit(const QString& value)
{
    return QLatin1Char('\'') + SqlText::quote(value) + QLatin1Char('\'');
}

const QStringList LastNames = {
    "Santos",  "Reyes",       "Cruz",      "Bautista", "Ocampo",    "Garcia",     "Mendoza",
    "Torres",  "Tomas",       "Andrada",   "Castillo", "Flores",    "Villanueva", "Ramos",
    "Castro",  "Rivera",      "Aquino",    "Navarro",  "Salazar",   "Mercado",    "Dela Cruz",
    "De Leon", "Del Rosario", "Peña",      "Muñoz",    "Ibañez",    "Nuñez",      "Dizon",
    "Pascual", "Soriano",     "Gonzales",  "Lopez",    "Hernandez", "Fernandez",  "Domingo",
    "Aguilar", "Manalo",      "Magsaysay", "Macaraeg", "Lacson",    "Tolentino",  "Valdez",
    "Smith",   "Johnson",     "Brown",     "Taylor",   "Wilson",    "Clarke",     "Walker",
    "Miller",  "Evans",       "Murphy",    "Sison",    "Yap",       "Tan",        "Lim",
    "Co",      "Ong",         "Sy",        "Padilla",  "Roxas",     "Quezon",     "Zamora",
};
const QStringList FirstNames = {
    "Juan",    "Maria",    "Jose",      "Ana",       "Pedro",   "Rosa",     "Antonio", "Carmen",
    "Manuel",  "Teresa",   "Ricardo",   "Luz",       "Eduardo", "Cristina", "Ramon",   "Josefina",
    "Roberto", "Marites",  "Francisco", "Rosario",   "Miguel",  "Angelica", "Carlos",  "Patricia",
    "Rafael",  "Lourdes",  "Fernando",  "Imelda",    "Emilio",  "Corazon",  "Andres",  "Leonor",
    "John",    "Mary",     "James",     "Elizabeth", "Michael", "Sarah",    "David",   "Grace",
    "Niño",    "Señorita", "Jhun",      "Bong",      "Jun",     "Lea",      "Joy",     "Mae",
};
const QStringList MiddleNames = {
    "Santos", "Reyes",  "Cruz",   "Garcia", "Lopez",  "Peña",    "Ramos",  "Castro",
    "Diaz",   "Rivera", "Torres", "Flores", "Aquino", "Navarro", "Ibañez", "",
};

struct Department
{
    const char* code;
    const char* name;
};
const Department Departments[] = {
    {"NUR", "Nursing Service"}, {"MED", "Medical Service"}, {"LAB", "Laboratory"},
    {"RAD", "Radiology"},       {"PHA", "Pharmacy"},        {"DIE", "Dietary Service"},
    {"ADM", "Administration"},  {"ENG", "Engineering"},
};

struct MealType
{
    const char* code;
    const char* name;
    bool active;
};
const MealType MealTypes[] = {
    {"BRK", "Breakfast", true},        {"LUN", "Lunch", true},
    {"DIN", "Dinner", true},           {"SNK", "Snacks", true},
    {"NSH", "Night Shift Meal", true}, {"OLD", "Old Ration", false},
};

struct Meal
{
    const char* code;
    const char* name;
    const char* cost;
    const char* type;
    bool active;
};
const Meal Meals[] = {
    {"B01", "Tapsilog", "55.00", "BRK", true},
    {"B02", "Longsilog", "50.00", "BRK", true},
    {"B03", "Champorado", "30.00", "BRK", true},
    {"B04", "Pandesal and Coffee", "20.00", "BRK", true},
    {"B05", "Arroz Caldo", "35.00", "BRK", false},
    {"L01", "Chicken Adobo with Rice", "75.00", "LUN", true},
    {"L02", "Sinigang na Baboy with Rice", "80.00", "LUN", true},
    {"L03", "Pinakbet with Rice", "60.00", "LUN", true},
    {"L04", "Fish Fillet with Rice", "70.00", "LUN", true},
    {"L05", "Kare-Kare with Rice", "90.00", "LUN", false},
    {"D01", "Beef Caldereta with Rice", "85.00", "DIN", true},
    {"D02", "Tinolang Manok with Rice", "70.00", "DIN", true},
    {"D03", "Paksiw na Bangus with Rice", "65.00", "DIN", true},
    {"D04", "Vegetable Lumpia with Rice", "55.00", "DIN", true},
    {"S01", "Banana Cue", "15.00", "SNK", true},
    {"S02", "Turon", "15.00", "SNK", true},
    {"S03", "Pancit Canton", "35.00", "SNK", true},
    {"S04", "Puto and Dinuguan", "40.00", "SNK", false},
    {"N01", "Arroz Caldo (Night)", "35.00", "NSH", true},
    {"N02", "Lugaw with Egg", "30.00", "NSH", true},
    {"X01", "Old Packed Ration", "25.00", "OLD", true},
};

struct User
{
    const char* id;
    const char* last;
    const char* first;
    const char* middle;
    const char* password;
    const char* rights;
};
const User Users[] = {
    {"ADMIN", "Administrator", "System", "", "admin123", "|1|2|3|4|5|6|7|8"},
    {"SUPER01", "Dela Cruz", "Teresa", "Santos", "super123", "|1|2|3|4|0|0|0|0"},
    {"CLERK01", "Peña", "Jose", "Reyes", "clerk123", "|0|0|0|0|0|6|0|8"},
};

QString hashPassword(const char* password)
{
    if (sodium_init() < 0)
        throw DbError(50003, QStringLiteral("The password library could not start."));
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password, strlen(password), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw DbError(50003, QStringLiteral("Out of memory while hashing a demo password."));
    return QString::fromLatin1(hash);
}

void addDepartmentsAndMeals(QStringList& sql)
{
    for (const Department& d : Departments)
        sql << QStringLiteral("INSERT INTO Payroll.tbcDepartment(DeptCode, Description) "
                              "VALUES(%1, %2);")
                   .arg(lit(d.code), lit(d.name));
    for (const MealType& t : MealTypes)
        sql << QStringLiteral("INSERT INTO Station.tbcoMealType(Code, Description, Status) "
                              "VALUES(%1, %2, '%3');")
                   .arg(lit(t.code), lit(t.name), t.active ? "1" : "0");
    for (const Meal& m : Meals)
        sql << QStringLiteral("INSERT INTO Station.tbcoMeal(Code, Description, Cost, MealType, "
                              "Status) VALUES(%1, %2, %3, %4, '%5');")
                   .arg(lit(m.code), lit(m.name), lit(m.cost), lit(m.type), m.active ? "1" : "0");
}

// Employees 10001.. with tags; a few are inactive. Returns their tagged meal types.
QList<QPair<QString, QStringList>> addEmployees(QStringList& sql, QRandomGenerator& random,
                                                const QString& taggedAt)
{
    QList<QPair<QString, QStringList>> employees;
    const int count = 320;
    for (int i = 0; i < count; ++i) {
        const QString number = QString::number(10001 + i);
        QString last = LastNames.at(random.bounded(LastNames.size()));
        QString first = FirstNames.at(random.bounded(FirstNames.size()));
        QString middle = MiddleNames.at(random.bounded(MiddleNames.size()));
        if (i == 7) {
            last = QStringLiteral("O'Neil");
            first = QStringLiteral("Patrick");
            middle = QStringLiteral("Reyes");
        }
        const Department& dept = Departments[random.bounded(int(std::size(Departments)))];
        const bool active = i % 41 != 40;
        sql << QStringLiteral("INSERT INTO Payroll.tbcmaster(EmpNum, Lastname, Firstname, "
                              "Middlename, DeptCode, Active) VALUES(%1, %2, %3, %4, %5, '%6');")
                   .arg(lit(number), lit(last), lit(first), lit(middle), lit(dept.code),
                        active ? "1" : "0");
        QStringList types = {QStringLiteral("BRK"), QStringLiteral("LUN")};
        if (random.bounded(3) != 0)
            types << QStringLiteral("DIN");
        if (random.bounded(4) == 0)
            types << QStringLiteral("SNK");
        if (QString(dept.code) == QLatin1String("NUR") && random.bounded(2) == 0)
            types << QStringLiteral("NSH");
        if (i % 9 == 0) // a few employees have no tags yet
            types.clear();
        for (const QString& type : types)
            sql << QStringLiteral("INSERT INTO Station.tbTALOEmployeeMeal(EmpNum, MealTypeCode, "
                                  "TaggedBy, TaggedAt) VALUES(%1, %2, 'ADMIN', %3);")
                       .arg(lit(number), lit(type), lit(taggedAt));
        if (active)
            employees.append({number, types});
    }
    return employees;
}

void addDistributedMeals(QStringList& sql, QRandomGenerator& random,
                         const QList<QPair<QString, QStringList>>& employees)
{
    const QDate today = QDate::currentDate();
    const char* const modes[] = {"Breakfast", "Lunch", "Dinner", "Extra Snack"};
    for (int day = 7; day >= 1; --day) {
        const QDate date = today.addDays(-day);
        for (int n = 0; n < 60; ++n) {
            const auto& [number, types] = employees.at(random.bounded(employees.size()));
            if (types.isEmpty())
                continue;
            const QString type = types.at(random.bounded(types.size()));
            QStringList meals;
            for (const Meal& m : Meals) {
                if (m.active && type == QLatin1String(m.type))
                    meals << m.code;
            }
            if (meals.isEmpty())
                continue;
            const int hour = type == QLatin1String("BRK")   ? 6 + random.bounded(3)
                             : type == QLatin1String("LUN") ? 11 + random.bounded(2)
                             : type == QLatin1String("NSH") ? 23
                                                            : 17 + random.bounded(3);
            const QDateTime at(date, QTime(hour, random.bounded(60), random.bounded(60)));
            const QString iso = at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            const QString mode = QLatin1String(modes[random.bounded(4)]);
            const bool revoked = random.bounded(25) == 0;
            sql << QStringLiteral(
                       "INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, "
                       "MealMode, MealDate, Remarks, ClerkID, Source, RecordedAt, RevokedBy, "
                       "RevokedAt) VALUES(%1, %2, %3, %4, %5, 'CLERK01', 'S', %4, %6, %7);")
                       .arg(lit(number), lit(meals.at(random.bounded(meals.size()))), lit(mode),
                            lit(iso),
                            lit(random.bounded(5) == 0 ? QStringLiteral("no rice") : QString()),
                            revoked ? QStringLiteral("'ADMIN'") : QStringLiteral("NULL"),
                            revoked ? lit(at.addSecs(600).toString(
                                          QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                                    : QStringLiteral("NULL"));
        }
    }
    // The meals record their price when saved; the oldest day stands for meals saved
    // before that, which the reports cost at today's price.
    sql << QStringLiteral("UPDATE Station.tbTALOEmployeeDistributedMeals SET MealCost = "
                          "(SELECT m.Cost FROM Station.tbcoMeal AS m WHERE m.Code = MealCode) "
                          "WHERE MealDate >= %1;")
               .arg(lit(today.addDays(-6).toString(QStringLiteral("yyyy-MM-dd"))));
}

void addUsers(QStringList& sql, const QString& now)
{
    for (const User& u : Users) {
        sql << QStringLiteral("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, "
                              "Firstname, Middlename, PasswordHash, Active) "
                              "VALUES(%1, %2, %3, %4, %5, '1');")
                   .arg(lit(u.id), lit(u.last), lit(u.first), lit(u.middle),
                        lit(hashPassword(u.password)));
        sql << QStringLiteral("INSERT INTO Password.tbPasswordAppAccess(EmployeeID, AppCode) "
                              "VALUES(%1, 'TALO');")
                   .arg(lit(u.id));
        sql << QStringLiteral("INSERT INTO Station.tbTALOUserRights(UserID, UserRights, "
                              "ModifiedBy, ModifiedAt) VALUES(%1, %2, 'ADMIN', %3);")
                   .arg(lit(u.id), lit(u.rights), lit(now));
    }
    // Staff in the password register without access to this program.
    const char* const staff[][3] = {{"NURSE01", "Villanueva", "Carmen"},
                                    {"NURSE02", "Muñoz", "Angelica"},
                                    {"LAB01", "Smith", "John"},
                                    {"PHA01", "Tan", "Grace"}};
    for (const auto& s : staff)
        sql << QStringLiteral("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, "
                              "Firstname, Middlename, PasswordHash, Active) "
                              "VALUES(%1, %2, %3, '', '', '1');")
                   .arg(lit(s[0]), lit(s[1]), lit(s[2]));
}

// The audit rows the procedures would have written for the rows above, with the same
// keys, texts, users and times.
void addAuditTrail(QStringList& sql, const QString& now)
{
    const QString insert = QStringLiteral(
        "INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, "
        "ChangedAt, Fields) ");
    sql << insert + QStringLiteral("SELECT 'tbcoMealType', Code, 'INSERT', 'Description=' || "
                                   "Description || '; Status=' || Status, 'ADMIN', %1, "
                                   "json_object('Description', json_object('new', "
                                   "Description), 'Status', json_object('new', Status)) "
                                   "FROM Station.tbcoMealType ORDER BY rowid;")
                        .arg(lit(now));
    sql << insert + QStringLiteral("SELECT 'tbcoMeal', Code, 'INSERT', 'Description=' || "
                                   "Description || '; Cost=' || Cost || '; MealType=' || "
                                   "MealType || '; Status=' || Status, 'ADMIN', %1, "
                                   "json_object('Description', json_object('new', "
                                   "Description), 'Cost', json_object('new', Cost), "
                                   "'MealType', json_object('new', MealType), 'Status', "
                                   "json_object('new', Status)) "
                                   "FROM Station.tbcoMeal ORDER BY rowid;")
                        .arg(lit(now));
    const QString name =
        QStringLiteral("rtrim(e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename)");
    sql << insert +
               QStringLiteral("SELECT 'tbTALOEmployeeMeal', t.EmpNum || '/' || t.MealTypeCode, "
                              "'TAG', 'EmployeeName=' || %1 || '; TypeName=' || "
                              "mt.Description, t.TaggedBy, t.TaggedAt, json_object('EmpNum', "
                              "json_object('new', t.EmpNum), 'MealTypeCode', "
                              "json_object('new', t.MealTypeCode)) FROM "
                              "Station.tbTALOEmployeeMeal t JOIN Payroll.tbcmaster e ON "
                              "e.EmpNum = t.EmpNum JOIN Station.tbcoMealType mt ON mt.Code = "
                              "t.MealTypeCode ORDER BY t.rowid;")
                   .arg(name);
    sql << insert + QStringLiteral("SELECT 'tbTALOEmployeeDistributedMeals', dm.TransNum, "
                                   "'REVOKE', 'EmpNum=' || dm.EmpNum || '; EmployeeName=' || %1 || "
                                   "'; MealCode=' || dm.MealCode || '; MealName=' || "
                                   "m.Description || '; MealDate=' || dm.MealDate, dm.RevokedBy, "
                                   "dm.RevokedAt, json_object('EmpNum', json_object('old', "
                                   "dm.EmpNum), 'MealCode', json_object('old', dm.MealCode), "
                                   "'MealDate', json_object('old', dm.MealDate)) FROM "
                                   "Station.tbTALOEmployeeDistributedMeals dm "
                                   "JOIN Payroll.tbcmaster e ON e.EmpNum = dm.EmpNum JOIN "
                                   "Station.tbcoMeal m ON m.Code = dm.MealCode "
                                   "WHERE dm.RevokedAt IS NOT NULL ORDER BY dm.RevokedAt, "
                                   "dm.TransNum;")
                        .arg(name);
    sql << insert + QStringLiteral("SELECT 'tbTALOUserRights', UserID, 'RIGHTS', '(none) -> ' || "
                                   "UserRights, ModifiedBy, ModifiedAt, json_object('UserRights', "
                                   "json_object('new', UserRights)) "
                                   "FROM Station.tbTALOUserRights ORDER BY rowid;");
}

} // namespace

namespace DemoData {

void populate(EmbeddedConnection& store)
{
    QRandomGenerator random(20261208);
    const QString now =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QStringList sql;
    sql << QStringLiteral("UPDATE Patient_Data.tbHospitalInfo SET HospitalName = "
                          "'San Lorenzo General Hospital', Address = '12 Rizal Avenue, "
                          "Quezon City';");
    addDepartmentsAndMeals(sql);
    const auto employees = addEmployees(sql, random, now);
    addDistributedMeals(sql, random, employees);
    addUsers(sql, now);
    addAuditTrail(sql, now);
    store.transaction([&] { store.nativeExecute(sql.join(QLatin1Char('\n'))); });
}

} // namespace DemoData
