#pragma once

#include <QList>
#include <QString>

// The stored rights string of one person: "|" + p1 + "|" + p2 ..., where pk is the code
// k when right k is granted and "0" when it is not. The access window reads it into its
// ACCESS column and writes it back from there; the rights check reads the same text.
namespace RightsString {

inline const QString granted = QStringLiteral("Y");
inline const QString notGranted = QStringLiteral("N");

// One row of the rights grid: the right's code and its ACCESS mark.
struct Row
{
    QString code;
    QString access;
};

// The ACCESS mark of grid row `row` (1-based) holding the right `code`, given a stored
// rights string: "Y" when the part at the row's position is exactly the code, else "N".
// A code that is not a number, or a position beyond the last part, gives "N".
QString accessMark(const QString& rights, int row, const QString& code);

// What a double-click makes of a mark: "Y" <-> "N", and "" (never shown) becomes "Y".
// Any other text is left as it is.
QString toggled(const QString& mark);

// The rights string for the rows in grid order: the code where the mark is exactly "Y",
// "0" otherwise.
QString build(const QList<Row>& rows);

} // namespace RightsString
