#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The details of one audit row, read back into their parts. The procedures write
// "Field=value" for a value as it is (a new row's values, or the name of the row that
// changed) and "Field: old -> new" for a changed value, joined by "; ". A part that is
// neither (the rights row's "old -> new", "password set") is kept as a note.
class ChangeDetails
{
public:
    struct Change
    {
        QString field;
        QString from;
        QString to;
    };

    explicit ChangeDetails(const QString& details);

    // The value of `field` as it is; for a changed field its new value, or its old one
    // with `before`. Empty when the row does not hold the field.
    QString value(const QString& field, bool before = false) const;
    bool has(const QString& field) const;
    // The values as they are, in the order written.
    const QStringList& fields() const { return m_fields; }
    const QList<Change>& changes() const { return m_changes; }
    const QStringList& notes() const { return m_notes; }

private:
    QStringList m_fields;
    QMap<QString, QString> m_values;
    QList<Change> m_changes;
    QStringList m_notes;
};
