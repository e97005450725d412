#include "Recordset.h"

#include "DbError.h"

Recordset::Recordset(QStringList fieldNames, QList<Row> rows)
    : m_fieldNames(std::move(fieldNames)), m_rows(std::move(rows))
{}

int Recordset::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fieldNames.size(); ++i) {
        if (m_fieldNames.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString Recordset::value(int row, int column) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    const Row& r = m_rows.at(row);
    return column >= 0 && column < r.size() ? r.at(column) : QString();
}

QString Recordset::value(int row, const QString& fieldName) const
{
    const int column = fieldIndex(fieldName);
    if (column < 0)
        throw DbError(3265, QStringLiteral("Item cannot be found in the collection corresponding "
                                           "to the requested name or ordinal: %1")
                                .arg(fieldName));
    return value(row, column);
}
