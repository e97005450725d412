#include "SqlFunctions.h"

#include "HashEncoding.h"

#include "GroupTally.h"
#include "UnicodeText.h"
#include "data/DbError.h"
#include "data/GeneralDate.h"
#include "data/PerThread.h"

#include <QLocale>
#include <QRegularExpression>
#include <atomic>
#include <sqlite3.h>
#include <string>

namespace {

const char* const IsoFormat = "yyyy-MM-dd HH:mm:ss";

QString argText(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return text ? UnicodeText::fromUtf8(QByteArrayView(text, sqlite3_value_bytes(value)))
                : QString();
}

bool argIsNull(sqlite3_value* value)
{
    return sqlite3_value_type(value) == SQLITE_NULL;
}

void resultText(sqlite3_context* ctx, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(ctx, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

SqlFunctions* self(sqlite3_context* ctx)
{
    return static_cast<SqlFunctions*>(sqlite3_user_data(ctx));
}

bool isAscii(const char* text, int size)
{
    for (int i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    }
    return true;
}

// The order of every key and name index: it must be a total order over any bytes a
// text can hold, or an index stops finding its own rows.
int collateUnicodeCi(void*, int na, const void* a, int nb, const void* b)
{
    const int c = UnicodeText::compareUtf8(QByteArrayView(static_cast<const char*>(a), na),
                                           QByteArrayView(static_cast<const char*>(b), nb));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// SQLite calls like(pattern, text [, escape]) for "text LIKE pattern".
void likeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argIsNull(argv[0]) || argIsNull(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString pattern = argText(argv[0]);
    const QString text = argText(argv[1]);
    if (argc == 3) {
        const QString escape = argText(argv[2]);
        if (escape.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        sqlite3_result_int(ctx, UnicodeText::like(text, pattern, escape.at(0)) ? 1 : 0);
        return;
    }
    sqlite3_result_int(ctx, UnicodeText::like(text, pattern) ? 1 : 0);
}

void raiseFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const QString message = argText(argv[0]);
    self(ctx)->raise(message);
    const QByteArray utf8 = message.toUtf8();
    sqlite3_result_error(ctx, utf8.constData(), int(utf8.size()));
}

void nowFunction(sqlite3_context* ctx, int, sqlite3_value**)
{
    resultText(ctx, self(ctx)->now().toString(QLatin1String(IsoFormat)));
}

// Reading locale date text is slow next to an index look-up, and a procedure reads the
// same argument several times: the last few texts read are remembered (per locale).
std::optional<QDateTime> parsedArg(sqlite3_value* value)
{
    if (argIsNull(value))
        return std::nullopt;
    struct Entry
    {
        QString text;
        QString locale;
        std::optional<QDateTime> value;
    };
    QList<Entry>& recent = perThread<QList<Entry>, struct RecentDates>();
    const QString text = argText(value);
    // A digit of another script would be read as some other number (a full-width year
    // came out as year -1): dates are written in ASCII digits.
    if (UnicodeText::hasNonAsciiDigit(text))
        return std::nullopt;
    const QString locale = QLocale().name();
    for (const Entry& e : recent) {
        if (e.text == text && e.locale == locale)
            return e.value;
    }
    const auto parsed = GeneralDate::fromText(text);
    if (recent.size() >= 8)
        recent.removeFirst();
    recent.append({text, locale, parsed});
    return parsed;
}

// General date text (or ISO) -> stored ISO text; NULL when it is not a date-time.
void isoFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto value = parsedArg(argv[0]);
    if (!value)
        sqlite3_result_null(ctx);
    else
        resultText(ctx, value->toString(QLatin1String(IsoFormat)));
}

// The history's date range when its From is empty: the 31 days ending at the To date
// (its day and the 30 before it), or ending today by the server's clock when To is empty
// too; a history without any date would otherwise read (and count) every meal ever
// recorded. With a From, the range is From to To (or without an end).
void historyFromFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (const auto from = parsedArg(argv[0])) {
        resultText(ctx, from->toString(QLatin1String(IsoFormat)));
        return;
    }
    const auto to = parsedArg(argv[1]);
    const QDate first = (to ? to->date() : self(ctx)->now().date()).addDays(-30);
    // Never before the first day a date can have.
    const QDate start = first >= QDate(1, 1, 1) ? first : QDate(1, 1, 1);
    resultText(ctx, start.toString(QLatin1String("yyyy-MM-dd")) + QLatin1String(" 00:00:00"));
}

void historyToFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (const auto to = parsedArg(argv[1])) {
        resultText(ctx, to->toString(QLatin1String(IsoFormat)));
        return;
    }
    if (parsedArg(argv[0])) {
        resultText(ctx, QStringLiteral("9999-12-31 23:59:59"));
        return;
    }
    resultText(ctx, self(ctx)->now().date().toString(QLatin1String("yyyy-MM-dd")) +
                        QLatin1String(" 23:59:59"));
}

// The day of a date-time text as ISO "yyyy-MM-dd"; NULL when it is not a date-time.
void isoDayFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto value = parsedArg(argv[0]);
    if (!value)
        sqlite3_result_null(ctx);
    else
        resultText(ctx, value->date().toString(QLatin1String("yyyy-MM-dd")));
}

// The day of a date-time text as general date text ("12/8/2026").
void generalDayFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto value = parsedArg(argv[0]);
    if (!value)
        sqlite3_result_null(ctx);
    else
        resultText(ctx, GeneralDate::toText(QDateTime(value->date(), QTime(0, 0))));
}

// A stored ISO date-time as the workstation's general date text ("12/8/2026 11:30:15 AM"),
// the form every date-time leaves the store in; NULL stays NULL.
void generalDateFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (argIsNull(argv[0])) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const QByteArrayView general = GeneralDate::storedToUtf8(
        QByteArrayView(bytes, sqlite3_value_bytes(argv[0])), self(ctx)->statementStamp());
    if (general.isEmpty()) {
        // Not a stored date-time: the text as it is.
        resultText(ctx, argText(argv[0]));
        return;
    }
    sqlite3_result_text(ctx, general.constData(), int(general.size()), SQLITE_TRANSIENT);
}

// The workstation's short time of a date-time text ("11:30 AM").
void shortTimeFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto value = parsedArg(argv[0]);
    if (!value) {
        sqlite3_result_null(ctx);
        return;
    }
    QString text = QLocale().toString(value->time(), QLocale::ShortFormat);
    text.replace(QChar(0x202F), QLatin1Char(' '));
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    resultText(ctx, text);
}

// A cost as the decimal it reads: "" stays "", a number of zero or more gets at least
// two decimals and keeps every further significant one ("12.5" -> "12.50", "2.675" ->
// "2.675", "10.990" -> "10.99"), anything else is NULL. Built from the digits, never
// through a double, so the text is exact as SQL Server's DECIMAL is; the procedure
// refuses a cost with more than two significant decimals rather than rounding it.
void costFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const QString text = argText(argv[0]).trimmed();
    if (text.isEmpty()) {
        resultText(ctx, QString());
        return;
    }
    static const QRegularExpression number(
        QStringLiteral("^(?:(\\d{1,12})(?:\\.(\\d*))?|\\.(\\d+))$"));
    const auto match = number.match(text);
    if (!match.hasMatch()) {
        sqlite3_result_null(ctx);
        return;
    }
    QString whole = match.captured(1);
    QString decimals = match.hasCaptured(3) ? match.captured(3) : match.captured(2);
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    while (decimals.size() > 2 && decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    while (decimals.size() < 2)
        decimals.append(QLatin1Char('0'));
    resultText(ctx, whole + QLatin1Char('.') + decimals);
}

// Length as SQL Server counts an NVARCHAR: in UTF-16 code units.
void lengthFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (argIsNull(argv[0]))
        sqlite3_result_null(ctx);
    else
        sqlite3_result_int64(ctx, argText(argv[0]).size());
}

void loginFunction(sqlite3_context* ctx, int, sqlite3_value**)
{
    resultText(ctx, self(ctx)->loginName());
}

void startsWithFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const int textSize = sqlite3_value_bytes(argv[0]);
    const auto* prefix = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const int prefixSize = sqlite3_value_bytes(argv[1]);
    if (!text || !prefix) {
        sqlite3_result_null(ctx);
        return;
    }
    if (isAscii(prefix, prefixSize) && isAscii(text, std::min(textSize, prefixSize))) {
        sqlite3_result_int(
            ctx, prefixSize <= textSize && sqlite3_strnicmp(text, prefix, prefixSize) == 0 ? 1 : 0);
        return;
    }
    sqlite3_result_int(ctx, UnicodeText::startsWith(UnicodeText::fromUtf8({text, textSize}),
                                                    UnicodeText::fromUtf8({prefix, prefixSize}))
                                ? 1
                                : 0);
}

void containsFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_result_int(ctx, UnicodeText::contains(argText(argv[0]), argText(argv[1])) ? 1 : 0);
}

// A rights string: "|" followed by a number, any number of times ("" = no rights).
// The whole text must match: "$" would also match before a final line break, and \d
// would take digits of any script.
void rightsValidFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    static const QRegularExpression rights(QStringLiteral("\\A(?:\\|[0-9]+)*\\z"));
    sqlite3_result_int(ctx, rights.match(argText(argv[0])).hasMatch() ? 1 : 0);
}

// The upper bound of the texts that begin with the argument ("x >= p AND x <
// talo_prefix_end(p)"). With no bound (an empty prefix) an empty blob, which sorts
// after every text.
void prefixEndFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto* prefix = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    if (!prefix) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto end = UnicodeText::prefixEnd({prefix, sqlite3_value_bytes(argv[0])});
    if (!end)
        sqlite3_result_zeroblob(ctx, 0);
    else
        sqlite3_result_text(ctx, end->constData(), int(end->size()), SQLITE_TRANSIENT);
}

// The sort key of a text (a blob): ORDER BY talo_sort_key(x) is ORDER BY x COLLATE
// UNICODE_CI, but each row's text is decoded once instead of at every comparison.
void sortKeyFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    if (!text) {
        sqlite3_result_null(ctx);
        return;
    }
    const QByteArray key = UnicodeText::sortKey({text, sqlite3_value_bytes(argv[0])});
    sqlite3_result_blob(ctx, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

// "Last, First Middle" as Lastname || ', ' || Firstname || ' ' || Middlename gives it
// (NULL when a part is NULL). The opening search shows it for every employee: three
// concatenations allocate three times per row, this is put together in a buffer kept
// between calls and copied once into the result, whose memory SQLite reuses row by row.
void fullNameFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    std::string& name = perThread<std::string, struct FullName>();
    name.clear();
    for (int i = 0; i < 3; ++i) {
        const auto* part = reinterpret_cast<const char*>(sqlite3_value_text(argv[i]));
        if (!part) {
            sqlite3_result_null(ctx);
            return;
        }
        if (i > 0)
            name.append(i == 1 ? ", " : " ");
        name.append(part, size_t(sqlite3_value_bytes(argv[i])));
    }
    sqlite3_result_text64(ctx, name.data(), sqlite3_uint64(name.size()), SQLITE_TRANSIENT,
                          SQLITE_UTF8);
}

void invisibleFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_result_int(ctx, UnicodeText::hasInvisible(argText(argv[0])) ? 1 : 0);
}

// A key or meal mode in the form it is compared in (see UnicodeText::keyForm,
// lookAlikeForm). NULL stays NULL.
template <QString (*form)(QStringView)>
void keyFormFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (argIsNull(argv[0]))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, form(argText(argv[0])));
}

// Part n (from 1) of a rights string "|p1|p2|...", '' when there is none: right k is
// the k-th part only, wherever else its digit appears.
void rightsPartFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const QString rights = argIsNull(argv[0]) ? QString() : argText(argv[0]);
    const qsizetype n = sqlite3_value_int64(argv[1]);
    const QStringList parts = rights.split(QLatin1Char('|'));
    resultText(ctx, n >= 1 && rights.startsWith(QLatin1Char('|')) && n < parts.size() ? parts.at(n)
                                                                                      : QString());
}

// A password hash the program could have made and libsodium can read: see HashEncoding.
void argon2idFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_result_int(ctx,
                       !argIsNull(argv[0]) && HashEncoding::wellFormed(argText(argv[0])) ? 1 : 0);
}

// The meals saved in the caller's open transaction, so that a block refusal can tell
// what the employee received before from what this order holds.
void orderAddFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    self(ctx)->addToOrder(sqlite3_value_int64(argv[0]));
    sqlite3_result_null(ctx);
}

void inOrderFunction(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_result_int(ctx, self(ctx)->inOrder(sqlite3_value_int64(argv[0])) ? 1 : 0);
}

int orderCommitHook(void* functions)
{
    static_cast<SqlFunctions*>(functions)->endOrder();
    return 0;
}

void orderRollbackHook(void* functions)
{
    static_cast<SqlFunctions*>(functions)->endOrder();
}

using ScalarFn = void (*)(sqlite3_context*, int, sqlite3_value**);

void define(sqlite3* db, const char* name, int args, ScalarFn fn, void* user, bool deterministic)
{
    const int flags = SQLITE_UTF8 | (deterministic ? SQLITE_DETERMINISTIC : 0);
    const int rc =
        sqlite3_create_function_v2(db, name, args, flags, user, fn, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw DbError(rc, QString::fromUtf8(sqlite3_errmsg(db)));
}

} // namespace

SqlFunctions::SqlFunctions()
    : m_clock([] { return QDateTime::currentDateTime(); }),
      m_loginName(qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME")))
{
    if (m_loginName.isEmpty())
        m_loginName = QStringLiteral("(embedded)");
}

void SqlFunctions::registerOn(sqlite3* db)
{
    const int rc = sqlite3_create_collation_v2(db, "UNICODE_CI", SQLITE_UTF8, nullptr,
                                               collateUnicodeCi, nullptr);
    if (rc != SQLITE_OK)
        throw DbError(rc, QString::fromUtf8(sqlite3_errmsg(db)));
    define(db, "like", 2, likeFunction, nullptr, true);
    define(db, "like", 3, likeFunction, nullptr, true);
    define(db, "talo_raise", 1, raiseFunction, this, false);
    define(db, "talo_now", 0, nowFunction, this, false);
    define(db, "talo_iso", 1, isoFunction, nullptr, true);
    define(db, "talo_iso_day", 1, isoDayFunction, nullptr, true);
    define(db, "talo_history_from", 2, historyFromFunction, this, false);
    define(db, "talo_history_to", 2, historyToFunction, this, false);
    define(db, "talo_general_day", 1, generalDayFunction, nullptr, true);
    define(db, "talo_short_time", 1, shortTimeFunction, nullptr, false);
    define(db, "talo_general_date", 1, generalDateFunction, this, false);
    define(db, "talo_cost", 1, costFunction, nullptr, true);
    define(db, "talo_length", 1, lengthFunction, nullptr, true);
    define(db, "talo_login", 0, loginFunction, this, false);
    define(db, "talo_starts_with", 2, startsWithFunction, nullptr, true);
    define(db, "talo_contains", 2, containsFunction, nullptr, true);
    define(db, "talo_rights_valid", 1, rightsValidFunction, nullptr, true);
    define(db, "talo_prefix_end", 1, prefixEndFunction, nullptr, true);
    define(db, "talo_invisible", 1, invisibleFunction, nullptr, true);
    define(db, "talo_sort_key", 1, sortKeyFunction, nullptr, true);
    define(db, "talo_full_name", 3, fullNameFunction, nullptr, true);
    define(db, "talo_match_key", 1, keyFormFunction<UnicodeText::lookAlikeForm>, nullptr, true);
    define(db, "talo_key_form", 1, keyFormFunction<UnicodeText::keyForm>, nullptr, true);
    define(db, "talo_look_alike", 1, keyFormFunction<UnicodeText::lookAlikeForm>, nullptr, true);
    define(db, "talo_rights_part", 2, rightsPartFunction, nullptr, true);
    define(db, "talo_argon2id", 1, argon2idFunction, nullptr, true);
    define(db, "talo_order_add", 1, orderAddFunction, this, false);
    define(db, "talo_in_order", 1, inOrderFunction, this, false);
    GroupTally::registerOn(db);
    sqlite3_commit_hook(db, orderCommitHook, this);
    sqlite3_rollback_hook(db, orderRollbackHook, this);
}

void SqlFunctions::statementStarts()
{
    static std::atomic<quint64> stamps{0};
    m_statementStamp = ++stamps;
}

QString SqlFunctions::takeRaised()
{
    m_hasRaised = false;
    return std::exchange(m_raised, QString());
}

void SqlFunctions::raise(const QString& message)
{
    m_hasRaised = true;
    m_raised = message;
}
