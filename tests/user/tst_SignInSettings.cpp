#include "user/ConnectionSettings.h"
#include "user/PasswordHash.h"

#include <QTemporaryDir>
#include <QTest>

class tst_SignInSettings : public QObject
{
    Q_OBJECT

private slots:
    void passwordHashes();
    void readsTheConnectionStringWhole();
    void refusesConfigurationsThatCannotBeUsed_data();
    void refusesConfigurationsThatCannotBeUsed();
    void readsAConfigurationFile();
};

void tst_SignInSettings::passwordHashes()
{
    const QString hash = PasswordHash::make(QStringLiteral("Peña'Ñ 100%"));
    QVERIFY(hash.startsWith(QStringLiteral("$argon2id$")));
    QVERIFY(PasswordHash::verify(hash, QStringLiteral("Peña'Ñ 100%")));
    QVERIFY(!PasswordHash::verify(hash, QStringLiteral("peña'ñ 100%")));
    QVERIFY(!PasswordHash::verify(hash, QString()));
    // Salted: the same password never gives the same text twice.
    QVERIFY(PasswordHash::make(QStringLiteral("Peña'Ñ 100%")) != hash);
    // A fixed-width server column pads the stored text with blanks.
    QVERIFY(PasswordHash::verify(hash + QStringLiteral("      "), QStringLiteral("Peña'Ñ 100%")));
    // Damaged or foreign hash texts are mismatches, never crashes.
    QVERIFY(!PasswordHash::verify(QString(), QString()));
    QVERIFY(!PasswordHash::verify(QStringLiteral("admin123"), QStringLiteral("admin123")));
    QVERIFY(!PasswordHash::verify(hash.left(hash.size() - 5), QStringLiteral("Peña'Ñ 100%")));
    QVERIFY(!PasswordHash::verify(QString(500, QLatin1Char('$')), QStringLiteral("x")));
    QVERIFY(PasswordHash::verify(PasswordHash::make(QString(1000, QLatin1Char('x'))),
                                 QString(1000, QLatin1Char('x'))));
}

void tst_SignInSettings::readsTheConnectionStringWhole()
{
    QString error;
    const auto settings = ConnectionSettings::fromConfigText(
        QStringLiteral("; Talodesk at the main kitchen\n"
                       "[other]\nodbc=ignored\n"
                       "[Database]\n"
                       "odbc = Driver={ODBC Driver 18 for SQL Server};Server=db1,1433;"
                       "Database=Station;Trusted_Connection=yes;Encrypt=yes\n"
                       "# asked at every sign-in\n"
                       "login = Prompt\n"),
        error);
    QVERIFY2(settings, qPrintable(error));
    QCOMPARE(settings->kind(), ConnectionSettings::Kind::Odbc);
    QCOMPARE(settings->odbcConnectionString(),
             QStringLiteral("Driver={ODBC Driver 18 for SQL Server};Server=db1,1433;"
                            "Database=Station;Trusted_Connection=yes;Encrypt=yes"));
    QVERIFY(settings->promptsForLogin());

    const auto integrated = ConnectionSettings::fromConfigText(
        QStringLiteral("[database]\r\nodbc=\"DSN=talo;PWDHINT=none\"\r\n"), error);
    QVERIFY2(integrated, qPrintable(error));
    QCOMPARE(integrated->odbcConnectionString(), QStringLiteral("DSN=talo;PWDHINT=none"));
    QVERIFY(!integrated->promptsForLogin());
}

void tst_SignInSettings::refusesConfigurationsThatCannotBeUsed_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    QTest::newRow("password in the string") << "[database]\nodbc=DSN=talo;UID=sa;PWD=secret\n"
                                            << "password";
    QTest::newRow("password key spelled out")
        << "[database]\nodbc=Driver={FreeTDS};Server=x; Password = secret\n"
        << "password";
    QTest::newRow("password key of its own") << "[database]\nodbc=DSN=talo\npassword=x\n"
                                             << "password";
    QTest::newRow("no connection string") << "[database]\nlogin=prompt\n"
                                          << "odbc=";
    QTest::newRow("connection string outside the section") << "odbc=DSN=talo\n"
                                                           << "odbc=";
    QTest::newRow("unknown login kind") << "[database]\nodbc=DSN=talo\nlogin=always\n"
                                        << "login=";
    QTest::newRow("not key=value") << "[database]\nodbc\n"
                                   << "Line 2";
}

void tst_SignInSettings::refusesConfigurationsThatCannotBeUsed()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    QString error;
    QVERIFY(!ConnectionSettings::fromConfigText(text, error));
    QVERIFY2(error.contains(reason), qPrintable(error));
}

void tst_SignInSettings::readsAConfigurationFile()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY(!ConnectionSettings::fromConfigFile(dir.filePath(QStringLiteral("none.ini")), error));
    QVERIFY(error.contains(QStringLiteral("none.ini")));

    QFile file(dir.filePath(QStringLiteral("talodesk.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[database]\nodbc=Driver={FreeTDS};Server=db1;TDS_Version=7.4;"
               "ClientCharset=UTF-8;Database=Station\nlogin=prompt\n");
    file.close();
    const auto settings = ConnectionSettings::fromConfigFile(file.fileName(), error);
    QVERIFY2(settings, qPrintable(error));
    QVERIFY(settings->odbcConnectionString().endsWith(QStringLiteral("Database=Station")));
    QVERIFY(settings->promptsForLogin());

    const ConnectionSettings embedded = ConnectionSettings::embedded(dir.path(), true);
    QCOMPARE(embedded.kind(), ConnectionSettings::Kind::Embedded);
    QCOMPARE(embedded.folder(), dir.path());
    QVERIFY(embedded.demo());
}

QTEST_MAIN(tst_SignInSettings)
#include "tst_SignInSettings.moc"
