#pragma once

#include <QString>
#include <optional>

// Where the database is: an embedded store folder, or a SQL Server reached through an
// ODBC connection string taken from a configuration file. A database password is never
// part of the settings: the connection uses integrated sign-in, or the sign-in dialog
// asks for the database login each time.
class ConnectionSettings
{
public:
    enum class Kind
    {
        Embedded,
        Odbc
    };

    static ConnectionSettings embedded(const QString& folder, bool demo = false);

    // Reads a configuration file:
    //   [database]
    //   odbc=Driver={ODBC Driver 18 for SQL Server};Server=host;Database=Station;...
    //   login=prompt        (optional; "integrated", the default, asks for nothing)
    // Lines starting with ; or # are comments. Nothing is returned, and `error` says why,
    // when the file cannot be read, has no connection string or holds a password.
    static std::optional<ConnectionSettings> fromConfigFile(const QString& path, QString& error);
    static std::optional<ConnectionSettings> fromConfigText(const QString& text, QString& error);

    Kind kind() const { return m_kind; }
    // Embedded store: its folder, and whether a missing store is created with demo data.
    const QString& folder() const { return m_folder; }
    bool demo() const { return m_demo; }
    // SQL Server: the ODBC connection string, and whether to ask for a database login.
    const QString& odbcConnectionString() const { return m_odbc; }
    bool promptsForLogin() const { return m_promptLogin; }

private:
    static bool holdsPassword(const QString& connectionString);

    Kind m_kind = Kind::Embedded;
    QString m_folder;
    bool m_demo = false;
    QString m_odbc;
    bool m_promptLogin = false;
};
