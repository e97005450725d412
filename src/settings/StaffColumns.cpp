#include "StaffColumns.h"

#include <QRegularExpression>

namespace {

// Lower case, letters and digits only: "Emp. No" and "EMP_NO" both become "empno".
QString normalized(const QString& name)
{
    QString out;
    for (const QChar c : name)
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

const QStringList& spellings(StaffColumns::Field field)
{
    static const std::array<QStringList, StaffColumns::FieldCount> names{
        QStringList{"empnum", "employeenumber", "employeeno", "empno", "employeeid", "staffid",
                    "staffno", "staffnumber", "idnumber", "number", "id"},
        QStringList{"lastname", "surname", "familyname", "last"},
        QStringList{"firstname", "givenname", "first"},
        QStringList{"middlename", "middle", "middleinitial", "mi"},
        QStringList{"deptcode", "departmentcode", "dept", "deptno", "costcenter"},
        QStringList{"deptname", "departmentname", "department", "deptdescription", "description"},
        QStringList{"active", "status", "isactive", "employed"}};
    return names[field];
}

} // namespace

StaffColumns StaffColumns::fromHeader(const QStringList& header)
{
    StaffColumns columns;
    QList<QString> names;
    for (const QString& name : header)
        names.append(normalized(name));
    for (int field = 0; field < FieldCount; ++field) {
        // The earlier spelling wins, so "EmpNum" beats a column merely called "ID".
        for (const QString& spelling : spellings(Field(field))) {
            const int at = int(names.indexOf(spelling));
            if (at >= 0) {
                columns.m_columns[field] = at;
                break;
            }
        }
    }
    return columns;
}

QString StaffColumns::value(const QStringList& fields, Field field) const
{
    const int at = m_columns[field];
    if (at < 0 || at >= fields.size())
        return {};
    // A line break inside a quoted field is how a spreadsheet wraps a long name, not part
    // of it: it and the blanks around it become one space.
    static const QRegularExpression lineBreak(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    QString value = fields.at(at);
    return value.replace(lineBreak, QStringLiteral(" ")).trimmed();
}

QString StaffColumns::label(Field field)
{
    static const std::array<QString, FieldCount> labels{
        QStringLiteral("Employee number"), QStringLiteral("Last name"),
        QStringLiteral("First name"),      QStringLiteral("Middle name"),
        QStringLiteral("Department code"), QStringLiteral("Department name"),
        QStringLiteral("Active")};
    return labels[field];
}

int StaffColumns::maxLength(Field field)
{
    static constexpr std::array<int, FieldCount> lengths{30, 100, 100, 100, 30, 200, 0};
    return lengths[field];
}
