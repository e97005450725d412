#include "UnicodeText.h"

#include <optional>

namespace {

QStringView withoutTrailingBlanks(QStringView text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.first(end);
}

// Matches one [..] set at pattern[pos] (pos on the '['). Returns the index after the
// closing ']' or -1 when the set is not closed; `matched` tells whether c is in it.
qsizetype matchSet(const QString& pattern, qsizetype pos, QChar c, bool& matched)
{
    qsizetype i = pos + 1;
    bool negate = false;
    if (i < pattern.size() && pattern.at(i) == QLatin1Char('^')) {
        negate = true;
        ++i;
    }
    bool found = false;
    const qsizetype first = i;
    while (i < pattern.size()) {
        const QChar p = pattern.at(i);
        if (p == QLatin1Char(']') && i > first) {
            matched = found != negate;
            return i + 1;
        }
        if (i + 2 < pattern.size() && pattern.at(i + 1) == QLatin1Char('-') &&
            pattern.at(i + 2) != QLatin1Char(']')) {
            if (c >= p && c <= pattern.at(i + 2))
                found = true;
            i += 3;
            continue;
        }
        if (c == p)
            found = true;
        ++i;
    }
    return -1;
}

// Both texts are case-folded. Iterative match with backtracking to the last %.
bool matchFolded(const QString& text, const QString& pattern, std::optional<QChar> escape)
{
    qsizetype t = 0, p = 0;
    qsizetype starP = -1, starT = 0;
    while (t < text.size()) {
        bool advanced = false;
        if (p < pattern.size()) {
            const QChar pc = pattern.at(p);
            if (escape && pc == *escape && p + 1 < pattern.size()) {
                if (pattern.at(p + 1) == text.at(t)) {
                    p += 2;
                    ++t;
                    advanced = true;
                }
            } else if (pc == QLatin1Char('%')) {
                starP = ++p;
                starT = t;
                continue;
            } else if (pc == QLatin1Char('_')) {
                ++p;
                ++t;
                advanced = true;
            } else if (pc == QLatin1Char('[')) {
                bool matched = false;
                const qsizetype next = matchSet(pattern, p, text.at(t), matched);
                if (next < 0) {
                    if (text.at(t) == pc) {
                        ++p;
                        ++t;
                        advanced = true;
                    }
                } else if (matched) {
                    p = next;
                    ++t;
                    advanced = true;
                }
            } else if (pc == text.at(t)) {
                ++p;
                ++t;
                advanced = true;
            }
        }
        if (advanced)
            continue;
        if (starP < 0)
            return false;
        p = starP;
        t = ++starT;
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('%'))
        ++p;
    return p == pattern.size();
}

} // namespace

namespace UnicodeText {

int compare(QStringView a, QStringView b)
{
    return QStringView(withoutTrailingBlanks(a))
        .compare(withoutTrailingBlanks(b), Qt::CaseInsensitive);
}

bool like(QStringView text, QStringView pattern)
{
    return matchFolded(text.toString().toCaseFolded(), pattern.toString().toCaseFolded(),
                       std::nullopt);
}

bool like(QStringView text, QStringView pattern, QChar escape)
{
    return matchFolded(text.toString().toCaseFolded(), pattern.toString().toCaseFolded(),
                       escape.toCaseFolded());
}

bool startsWith(QStringView text, QStringView prefix)
{
    return text.startsWith(prefix, Qt::CaseInsensitive);
}

bool contains(QStringView text, QStringView part)
{
    return text.contains(part, Qt::CaseInsensitive);
}

} // namespace UnicodeText
