#include "UnicodeText.h"

#include <QList>
#include <algorithm>
#include <memory>
#include <optional>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uspoof.h>
#include <vector>

namespace {

// A byte that is not part of valid UTF-8 decodes to this plus its value: above every
// code point, and each such byte distinct from the others.
constexpr char32_t InvalidByte = 0x110000;
constexpr char32_t LastUnit = InvalidByte + 0xFF;

// The character (or invalid byte) at text[i]; advances i past it. Only shortest-form
// sequences of scalar values are characters, so decoding never depends on what came
// before and never drops anything.
char32_t nextUnit(QByteArrayView text, qsizetype& i)
{
    const auto lead = static_cast<unsigned char>(text.at(i));
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        least = 0x10000;
    }
    if (length == 0 || i + length > text.size()) {
        ++i;
        return InvalidByte + lead;
    }
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text.at(i + k));
        if ((next & 0xC0) != 0x80) {
            ++i;
            return InvalidByte + lead;
        }
        value = (value << 6) | (next & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++i;
        return InvalidByte + lead;
    }
    i += length;
    return value;
}

char32_t folded(char32_t unit)
{
    if (unit < 0x80)
        return unit >= 'A' && unit <= 'Z' ? unit + ('a' - 'A') : unit;
    return unit < InvalidByte ? QChar::toCaseFolded(unit) : unit;
}

QByteArrayView withoutTrailingBlanks(QByteArrayView text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == ' ')
        --end;
    return text.first(end);
}

// A unit some stored text can decode to, and that folding leaves as it is.
bool isFoldedUnit(char32_t unit)
{
    if (unit >= InvalidByte)
        return unit >= InvalidByte + 0x80;
    return !(unit >= 0xD800 && unit <= 0xDFFF) && folded(unit) == unit;
}

// Encoded by hand: Qt's UTF-32 reading would take a U+FEFF for a byte-order mark.
void appendUnit(QByteArray& out, char32_t unit)
{
    if (unit >= InvalidByte) {
        out.append(char(unit - InvalidByte));
    } else if (unit < 0x80) {
        out.append(char(unit));
    } else if (unit < 0x800) {
        out.append(char(0xC0 | (unit >> 6))).append(char(0x80 | (unit & 0x3F)));
    } else if (unit < 0x10000) {
        out.append(char(0xE0 | (unit >> 12)))
            .append(char(0x80 | ((unit >> 6) & 0x3F)))
            .append(char(0x80 | (unit & 0x3F)));
    } else {
        out.append(char(0xF0 | (unit >> 18)))
            .append(char(0x80 | ((unit >> 12) & 0x3F)))
            .append(char(0x80 | ((unit >> 6) & 0x3F)))
            .append(char(0x80 | (unit & 0x3F)));
    }
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
    return compareUtf8(a.toUtf8(), b.toUtf8());
}

// The ASCII part of two keys is compared byte by byte; only from the first non-ASCII
// byte on are characters decoded (the parts before it are equal, so the order is the
// same as decoding everything).
int compareUtf8(QByteArrayView a, QByteArrayView b)
{
    a = withoutTrailingBlanks(a);
    b = withoutTrailingBlanks(b);
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype i = 0;
    for (; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(a.at(i));
        const auto cb = static_cast<unsigned char>(b.at(i));
        if (ca >= 0x80 || cb >= 0x80)
            break;
        const char32_t la = folded(ca);
        const char32_t lb = folded(cb);
        if (la != lb)
            return la < lb ? -1 : 1;
    }
    qsizetype ia = i;
    qsizetype ib = i;
    while (ia < a.size() && ib < b.size()) {
        const char32_t ua = folded(nextUnit(a, ia));
        const char32_t ub = folded(nextUnit(b, ib));
        if (ua != ub)
            return ua < ub ? -1 : 1;
    }
    if (ia < a.size())
        return 1;
    return ib < b.size() ? -1 : 0;
}

// Each folded unit as three bytes, most significant first (units stay below 2^24).
QByteArray sortKey(QByteArrayView utf8)
{
    utf8 = withoutTrailingBlanks(utf8);
    QByteArray key;
    key.reserve(utf8.size() * 3);
    for (qsizetype i = 0; i < utf8.size();) {
        const char32_t unit = folded(nextUnit(utf8, i));
        key.append(char(unit >> 16)).append(char((unit >> 8) & 0xFF)).append(char(unit & 0xFF));
    }
    return key;
}

// The prefix's folded units with the last one raised to the next unit a text can hold
// (carrying into the one before when it has none). A blank is skipped as that next
// unit: a text ending in it would sort as if it were not there.
std::optional<QByteArray> prefixEnd(QByteArrayView prefix)
{
    prefix = withoutTrailingBlanks(prefix);
    std::vector<char32_t> units;
    for (qsizetype i = 0; i < prefix.size();)
        units.push_back(folded(nextUnit(prefix, i)));
    while (!units.empty()) {
        char32_t next = units.back() + 1;
        units.pop_back();
        while (next <= LastUnit && (next == ' ' || !isFoldedUnit(next)))
            ++next;
        if (next > LastUnit)
            continue;
        units.push_back(next);
        QByteArray out;
        for (char32_t unit : units)
            appendUnit(out, unit);
        return out;
    }
    return std::nullopt;
}

QString fromUtf8(QByteArrayView utf8)
{
    static const QByteArrayView Bom("\xEF\xBB\xBF");
    QString out;
    while (utf8.startsWith(Bom)) {
        out += QChar(0xFEFF);
        utf8 = utf8.sliced(Bom.size());
    }
    return out.isEmpty() ? QString::fromUtf8(utf8) : out + QString::fromUtf8(utf8);
}

bool hasInvisible(QStringView text)
{
    for (const char32_t c : text.toUcs4()) {
        const auto cp = static_cast<UChar32>(c);
        if (c == ' ')
            continue;
        const int8_t type = u_charType(cp);
        // The braille blank is a symbol to Unicode, yet it prints as an empty cell.
        if (u_hasBinaryProperty(cp, UCHAR_DEFAULT_IGNORABLE_CODE_POINT) ||
            u_hasBinaryProperty(cp, UCHAR_WHITE_SPACE) ||
            u_hasBinaryProperty(cp, UCHAR_NONCHARACTER_CODE_POINT) || type == U_CONTROL_CHAR ||
            type == U_FORMAT_CHAR || type == U_SURROGATE || type == U_UNASSIGNED ||
            type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR ||
            type == U_SPACE_SEPARATOR || c == 0x2800)
            return true;
    }
    return false;
}

QString keyForm(QStringView text)
{
    UErrorCode status = U_ZERO_ERROR;
    static const icu::Normalizer2* const fold = icu::Normalizer2::getNFKCCasefoldInstance(status);
    const QStringView trimmed = text.trimmed();
    if (!fold)
        return trimmed.toString().toCaseFolded();
    const icu::UnicodeString source(false, reinterpret_cast<const char16_t*>(trimmed.utf16()),
                                    int32_t(trimmed.size()));
    status = U_ZERO_ERROR;
    const icu::UnicodeString folded = fold->normalize(source, status);
    if (U_FAILURE(status))
        return trimmed.toString().toCaseFolded();
    return QString(reinterpret_cast<const QChar*>(folded.getBuffer()), folded.length());
}

// One spoof checker per thread: ICU's checker may be shared for reading, but its
// creation is not free and the store runs on more than one thread.
QString lookAlikeForm(QStringView text)
{
    struct Checker
    {
        USpoofChecker* checker = nullptr;
        Checker()
        {
            UErrorCode status = U_ZERO_ERROR;
            checker = uspoof_open(&status);
            if (U_FAILURE(status))
                checker = nullptr;
        }
        ~Checker()
        {
            if (checker)
                uspoof_close(checker);
        }
    };
    thread_local const Checker spoof;
    const QString key = keyForm(text);
    if (!spoof.checker || key.isEmpty())
        return key;
    const auto* source = reinterpret_cast<const UChar*>(key.utf16());
    UErrorCode status = U_ZERO_ERROR;
    QString skeleton(key.size() * 2 + 8, Qt::Uninitialized);
    int32_t length = uspoof_getSkeleton(spoof.checker, 0, source, int32_t(key.size()),
                                        reinterpret_cast<UChar*>(skeleton.data()),
                                        int32_t(skeleton.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        skeleton.resize(length);
        status = U_ZERO_ERROR;
        length = uspoof_getSkeleton(spoof.checker, 0, source, int32_t(key.size()),
                                    reinterpret_cast<UChar*>(skeleton.data()),
                                    int32_t(skeleton.size()), &status);
    }
    if (U_FAILURE(status))
        return key;
    skeleton.resize(length);
    // The skeleton of a folded text may hold capitals again ("l" and "I" become "l", but
    // some marks map to capitals): fold once more so that case never separates two forms.
    return keyForm(skeleton);
}

bool hasNonAsciiDigit(QStringView text)
{
    for (const char32_t c : text.toUcs4()) {
        if (c > 0x7F && QChar::isDigit(c))
            return true;
    }
    return false;
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
