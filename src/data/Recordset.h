#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A client-side snapshot of a query result: field names in SELECT order and every
// row as text. NULLs arrive as empty strings, date-times as general date text, so
// windows never deal with driver-specific value types.
class Recordset
{
public:
    using Row = QStringList;

    Recordset() = default;
    Recordset(QStringList fieldNames, QList<Row> rows);

    const QStringList& fieldNames() const { return m_fieldNames; }
    int fieldCount() const { return int(m_fieldNames.size()); }
    int recordCount() const { return int(m_rows.size()); }
    bool eof() const { return m_rows.isEmpty(); }
    const QList<Row>& rows() const { return m_rows; }

    // Field index by name, ignoring case as ADO's Fields("name") does; -1 when absent.
    int fieldIndex(const QString& name) const;
    QString value(int row, int column) const;
    // Value of a field by name; throws DbError when the result has no such field.
    QString value(int row, const QString& fieldName) const;

private:
    QStringList m_fieldNames;
    QList<Row> m_rows;
};
