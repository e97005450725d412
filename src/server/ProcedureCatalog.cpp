#include "ProcedureCatalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

const ProcedureCatalog& ProcedureCatalog::builtIn()
{
    static const ProcedureCatalog catalog(QStringLiteral(":/server/procedures"));
    return catalog;
}

ProcedureCatalog::ProcedureCatalog(const QString& folder)
{
    const QDir dir(folder);
    for (const QString& file : dir.entryList({QStringLiteral("*.sql")}, QDir::Files)) {
        QFile f(dir.filePath(file));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString name = QFileInfo(file).completeBaseName();
        m_procedures.insert(name.toLower(),
                            parse(name, withSharedParts(folder, QString::fromUtf8(f.readAll()))));
    }
}

QString ProcedureCatalog::withSharedParts(const QString& folder, const QString& text)
{
    const QString tag = QStringLiteral("-- shared:");
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (!trimmed.startsWith(tag))
            continue;
        // A part that is missing leaves the line as it is: a comment, so the statement
        // it belonged in fails where it is run, naming the procedure.
        QFile part(QDir(folder).filePath(
            QStringLiteral("shared/%1.sql").arg(trimmed.mid(tag.size()).trimmed())));
        if (part.open(QIODevice::ReadOnly))
            line = QString::fromUtf8(part.readAll()).trimmed();
    }
    return lines.join(QLatin1Char('\n'));
}

ProcedureCatalog::Procedure ProcedureCatalog::parse(const QString& name, const QString& text)
{
    Procedure procedure;
    procedure.name = name;
    procedure.body = text;
    const QString parametersTag = QStringLiteral("-- parameters:");
    const QString accessTag = QStringLiteral("-- access:");
    const QString jsonTag = QStringLiteral("-- json:");
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(parametersTag, Qt::CaseInsensitive)) {
            for (const QString& p : trimmed.mid(parametersTag.size()).split(QLatin1Char(','))) {
                QString parameter = p.trimmed();
                if (parameter.isEmpty())
                    continue;
                const bool optional =
                    parameter.startsWith(QLatin1Char('[')) && parameter.endsWith(QLatin1Char(']'));
                if (optional)
                    parameter = parameter.mid(1, parameter.size() - 2).trimmed();
                else
                    procedure.required = procedure.parameters.size() + 1;
                procedure.parameters << parameter;
            }
        } else if (trimmed.startsWith(jsonTag, Qt::CaseInsensitive)) {
            for (const QString& p : trimmed.mid(jsonTag.size()).split(QLatin1Char(','))) {
                if (!p.trimmed().isEmpty())
                    procedure.jsonParameters << p.trimmed();
            }
        } else if (trimmed.startsWith(accessTag, Qt::CaseInsensitive)) {
            procedure.access =
                trimmed.mid(accessTag.size()).trimmed().toLower() == QLatin1String("read")
                    ? EmbeddedStore::Access::Read
                    : EmbeddedStore::Access::Write;
        } else if (!trimmed.startsWith(QLatin1String("--")) && !trimmed.isEmpty()) {
            break;
        }
    }
    return procedure;
}

const ProcedureCatalog::Procedure* ProcedureCatalog::find(const QString& name) const
{
    const auto it = m_procedures.constFind(name.toLower());
    return it == m_procedures.cend() ? nullptr : &*it;
}

QStringList ProcedureCatalog::names() const
{
    QStringList out;
    for (const Procedure& p : m_procedures)
        out << p.name;
    std::sort(out.begin(), out.end());
    return out;
}
