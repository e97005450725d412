#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

// Which column of the personnel file holds which employee field. Columns are found by
// their header names (several usual spellings); the user can change the mapping.
class StaffColumns
{
public:
    enum Field
    {
        Number,
        Lastname,
        Firstname,
        Middlename,
        DeptCode,
        DeptName,
        Active,
        FieldCount
    };

    // The mapping guessed from a header row; a field no header names stays unmapped.
    static StaffColumns fromHeader(const QStringList& header);

    // Column index (0-based) of the field, or -1 when the file has no such column.
    int column(Field field) const { return m_columns[field]; }
    void setColumn(Field field, int column) { m_columns[field] = column; }
    bool mapped(Field field) const { return m_columns[field] >= 0; }
    // The field's value on a record: trimmed, empty when unmapped or missing.
    QString value(const QStringList& fields, Field field) const;

    // The field's name as the window and the reasons of rejected lines show it.
    static QString label(Field field);
    // The longest value the store keeps for the field (0: no limit).
    static int maxLength(Field field);

private:
    std::array<int, FieldCount> m_columns{-1, -1, -1, -1, -1, -1, -1};
};
