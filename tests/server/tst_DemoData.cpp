#include "server/DemoData.h"
#include "server/EmbeddedConnection.h"

#include <QTemporaryDir>
#include <QTest>
#include <sodium.h>

// The demo store: realistic people and meals, and the three documented sign-ins.
class tst_DemoData : public QObject
{
    Q_OBJECT

private slots:
    void populatedStore()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QTemporaryDir dir;
        EmbeddedConnection store(dir.path());
        DemoData::populate(store);
        const auto scalar = [&](const QString& sql) { return store.nativeQuery(sql).value(0, 0); };

        QVERIFY(scalar("SELECT count(*) FROM Payroll.tbcmaster").toInt() >= 200);
        QCOMPARE(scalar("SELECT count(*) FROM Payroll.tbcmaster WHERE Lastname = 'O''Neil'"),
                 QString("1"));
        QVERIFY(scalar("SELECT count(*) FROM Payroll.tbcmaster WHERE Lastname LIKE '%ñ%'").toInt() >
                0);
        QVERIFY(scalar("SELECT count(*) FROM Station.tbcoMeal WHERE Status = '0'").toInt() > 0);
        QVERIFY(scalar("SELECT count(*) FROM Station.tbcoMealType WHERE Status = '0'").toInt() > 0);
        QVERIFY(scalar("SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals "
                       "WHERE MealDate < date('now', 'localtime')")
                    .toInt() > 0);
        // Every distributed meal is one the employee could have been given.
        QCOMPARE(scalar("SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals dm "
                        "JOIN Station.tbcoMeal m ON m.Code = dm.MealCode WHERE NOT EXISTS "
                        "(SELECT 1 FROM Station.tbTALOEmployeeMeal t WHERE t.EmpNum = dm.EmpNum "
                        "AND t.MealTypeCode = m.MealType)"),
                 QString("0"));

        // Revoked meals carry the audit row a revoke writes, and every master row, tag
        // and rights row the audit row its save writes.
        QVERIFY(scalar("SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals "
                       "WHERE RevokedAt IS NOT NULL")
                    .toInt() > 0);
        QCOMPARE(scalar("SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals dm "
                        "WHERE RevokedAt IS NOT NULL AND NOT EXISTS (SELECT 1 FROM "
                        "Station.tbTALOAuditLog a WHERE a.TableName = "
                        "'tbTALOEmployeeDistributedMeals' AND a.RecordKey = dm.TransNum AND "
                        "a.Action = 'REVOKE' AND a.UserID = dm.RevokedBy AND a.ChangedAt = "
                        "dm.RevokedAt)"),
                 QString("0"));
        QCOMPARE(scalar("SELECT count(*) FROM Station.tbTALOAuditLog WHERE Action = 'REVOKE'"),
                 scalar("SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals "
                        "WHERE RevokedAt IS NOT NULL"));
        const QStringList audited = {
            "tbcoMeal t WHERE NOT EXISTS (SELECT 1 FROM Station.tbTALOAuditLog a WHERE "
            "a.TableName = 'tbcoMeal' AND a.RecordKey = t.Code AND a.Action = 'INSERT')",
            "tbcoMealType t WHERE NOT EXISTS (SELECT 1 FROM Station.tbTALOAuditLog a WHERE "
            "a.TableName = 'tbcoMealType' AND a.RecordKey = t.Code AND a.Action = 'INSERT')",
            "tbTALOEmployeeMeal t WHERE NOT EXISTS (SELECT 1 FROM Station.tbTALOAuditLog a "
            "WHERE a.TableName = 'tbTALOEmployeeMeal' AND a.Action = 'TAG' AND a.RecordKey = "
            "t.EmpNum || '/' || t.MealTypeCode)",
            "tbTALOUserRights t WHERE NOT EXISTS (SELECT 1 FROM Station.tbTALOAuditLog a "
            "WHERE a.TableName = 'tbTALOUserRights' AND a.Action = 'RIGHTS' AND a.RecordKey = "
            "t.UserID)"};
        for (const QString& missing : audited)
            QCOMPARE(scalar("SELECT count(*) FROM Station." + missing), QString("0"));

        const QList<QStringList> users = {{"ADMIN", "admin123", "|1|2|3|4|5|6|7|8"},
                                          {"SUPER01", "super123", "|1|2|3|4|0|0|0|0"},
                                          {"CLERK01", "clerk123", "|0|0|0|0|0|6|0|8"}};
        QVERIFY(sodium_init() >= 0);
        for (const QStringList& u : users) {
            const QString id = u.at(0);
            const QByteArray hash =
                scalar("SELECT PasswordHash FROM Password.tbPasswordMain WHERE EmployeeID = '" +
                       id + "'")
                    .toLatin1();
            const QByteArray password = u.at(1).toLatin1();
            QVERIFY2(crypto_pwhash_str_verify(hash.constData(), password.constData(),
                                              password.size()) == 0,
                     qPrintable(id));
            QVERIFY(crypto_pwhash_str_verify(hash.constData(), "wrong", 5) != 0);
            QCOMPARE(
                scalar("SELECT AppCode FROM Password.tbPasswordAppAccess WHERE EmployeeID = '" +
                       id + "'"),
                QString("TALO"));
            QCOMPARE(scalar("SELECT UserRights FROM Station.tbTALOUserRights WHERE UserID = '" +
                            id + "'"),
                     u.at(2));
        }
    }
};

QTEST_MAIN(tst_DemoData)
#include "tst_DemoData.moc"
