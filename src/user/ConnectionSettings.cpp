#include "ConnectionSettings.h"

#include <QFile>
#include <QStringList>

ConnectionSettings ConnectionSettings::embedded(const QString& folder, bool demo)
{
    ConnectionSettings settings;
    settings.m_kind = Kind::Embedded;
    settings.m_folder = folder;
    settings.m_demo = demo;
    return settings;
}

std::optional<ConnectionSettings> ConnectionSettings::fromConfigFile(const QString& path,
                                                                     QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("Cannot read the configuration file %1: %2")
                    .arg(path, file.errorString());
        return std::nullopt;
    }
    return fromConfigText(QString::fromUtf8(file.readAll()), error);
}

std::optional<ConnectionSettings> ConnectionSettings::fromConfigText(const QString& text,
                                                                     QString& error)
{
    // A small reader of our own: QSettings would take the semicolons of a connection
    // string for comments and its commas for list separators.
    QString section;
    QString odbc;
    QString login = QStringLiteral("integrated");
    int lineNumber = 0;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        ++lineNumber;
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            error = QStringLiteral("Line %1 of the configuration file is not key=value.")
                        .arg(lineNumber);
            return std::nullopt;
        }
        if (section != QLatin1String("database"))
            continue;
        const QString key = line.left(equals).trimmed().toLower();
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) &&
            value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        if (key == QLatin1String("odbc")) {
            odbc = value;
        } else if (key == QLatin1String("login")) {
            login = value.toLower();
        } else if (key == QLatin1String("password") || key == QLatin1String("pwd")) {
            error = QStringLiteral("The configuration file must not hold a database password: "
                                   "use integrated sign-in or login=prompt.");
            return std::nullopt;
        }
    }
    if (odbc.isEmpty()) {
        error = QStringLiteral("The configuration file has no odbc= connection string in its "
                               "[database] section.");
        return std::nullopt;
    }
    if (holdsPassword(odbc)) {
        error = QStringLiteral("The configuration file must not hold a database password: "
                               "use integrated sign-in or login=prompt.");
        return std::nullopt;
    }
    if (login != QLatin1String("prompt") && login != QLatin1String("integrated")) {
        error = QStringLiteral("login= must be \"prompt\" or \"integrated\".");
        return std::nullopt;
    }
    ConnectionSettings settings;
    settings.m_kind = Kind::Odbc;
    settings.m_odbc = odbc;
    settings.m_promptLogin = login == QLatin1String("prompt");
    return settings;
}

bool ConnectionSettings::holdsPassword(const QString& connectionString)
{
    // Keys are separated by semicolons outside braces: Driver={A;B};PWD=x.
    QStringList keys;
    QString current;
    int braces = 0;
    bool inValue = false;
    for (const QChar c : connectionString) {
        if (c == QLatin1Char('{'))
            ++braces;
        else if (c == QLatin1Char('}') && braces > 0)
            --braces;
        if (braces == 0 && c == QLatin1Char(';')) {
            current.clear();
            inValue = false;
        } else if (braces == 0 && !inValue && c == QLatin1Char('=')) {
            keys.append(current.trimmed().toLower());
            inValue = true;
        } else if (!inValue) {
            current.append(c);
        }
    }
    return keys.contains(QLatin1String("pwd")) || keys.contains(QLatin1String("password"));
}
