#include "ChangeDetails.h"

#include <QRegularExpression>

namespace {

const QString Arrow = QStringLiteral(" -> ");

} // namespace

ChangeDetails::ChangeDetails(const QString& details)
{
    // A part starts where "; " is followed by a field name and "=" or ": ", so a value
    // holding "; " itself ("Fish; chips") stays whole.
    static const QRegularExpression boundary(QStringLiteral("; (?=[A-Za-z]+(=|: ))"));
    static const QRegularExpression valuePart(QStringLiteral("^([A-Za-z]+)=(.*)$"),
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression changePart(QStringLiteral("^([A-Za-z]+): (.*)$"),
                                               QRegularExpression::DotMatchesEverythingOption);
    if (details.isEmpty())
        return;
    for (const QString& part : details.split(boundary)) {
        if (const auto m = valuePart.match(part); m.hasMatch()) {
            m_fields << m.captured(1);
            m_values.insert(m.captured(1), m.captured(2).trimmed());
            continue;
        }
        const auto m = changePart.match(part);
        const qsizetype arrow = m.hasMatch() ? m.captured(2).indexOf(Arrow) : -1;
        if (arrow >= 0) {
            const QString both = m.captured(2);
            m_changes.append({m.captured(1), both.left(arrow).trimmed(),
                              both.mid(arrow + Arrow.size()).trimmed()});
            continue;
        }
        m_notes << part;
    }
}

QString ChangeDetails::value(const QString& field, bool before) const
{
    for (const Change& change : m_changes) {
        if (change.field == field)
            return before ? change.from : change.to;
    }
    return m_values.value(field);
}

bool ChangeDetails::has(const QString& field) const
{
    if (m_values.contains(field))
        return true;
    for (const Change& change : m_changes) {
        if (change.field == field)
            return true;
    }
    return false;
}
