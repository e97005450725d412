#include "TsqlTokenizer.h"

#include "ServerErrors.h"
#include "data/DbError.h"

namespace {

[[noreturn]] void syntaxError(const QString& what)
{
    throw DbError(ServerErrors::Syntax, what);
}

bool isWordStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#');
}

bool isWordChar(QChar c)
{
    return isWordStart(c) || c.isDigit() || c == QLatin1Char('$');
}

// Index after the literal or identifier that opens at `start` and closes with
// `close`, where a doubled `close` stands for itself.
qsizetype closing(const QString& sql, qsizetype start, QChar close, const char* what)
{
    qsizetype i = start + 1;
    while (i < sql.size()) {
        if (sql.at(i) == close) {
            if (i + 1 < sql.size() && sql.at(i + 1) == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    syntaxError(QStringLiteral("Unclosed %1 in the statement.").arg(QLatin1String(what)));
}

const char* const TwoCharSymbols[] = {"..", "<>", "!=", "<=", ">=", "!<", "!>", "||"};
const QString SingleSymbols = QStringLiteral(".,()+-*/%=<>;&|^~");

} // namespace

TsqlTokens TsqlTokenizer::tokenize(const QString& sql)
{
    using Kind = TsqlToken::Kind;
    TsqlTokens tokens;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < sql.size() ? sql.at(i + 1) : QChar();
        qsizetype end = i + 1;
        Kind kind;
        QString text;
        if (c.isSpace()) {
            while (end < sql.size() && sql.at(end).isSpace())
                ++end;
            kind = Kind::Space;
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            while (end < sql.size() && sql.at(end) != QLatin1Char('\n'))
                ++end;
            kind = Kind::Space;
            text = QStringLiteral(" ");
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            end = sql.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0)
                syntaxError(QStringLiteral("Unclosed comment in the statement."));
            end += 2;
            kind = Kind::Space;
            text = QStringLiteral(" ");
        } else if (c == QLatin1Char('\'')) {
            end = closing(sql, i, QLatin1Char('\''), "quotation mark");
            kind = Kind::String;
        } else if ((c == QLatin1Char('N') || c == QLatin1Char('n')) && next == QLatin1Char('\'')) {
            end = closing(sql, i + 1, QLatin1Char('\''), "quotation mark");
            kind = Kind::String;
            text = sql.mid(i + 1, end - i - 1);
        } else if (c == QLatin1Char('[')) {
            end = closing(sql, i, QLatin1Char(']'), "bracket");
            kind = Kind::Bracketed;
        } else if (c == QLatin1Char('"')) {
            // A quoted identifier: kept as a bracketed one, which both dialects read
            // as an identifier only.
            end = closing(sql, i, QLatin1Char('"'), "quotation mark");
            QString name = sql.mid(i + 1, end - i - 2);
            name.replace(QLatin1String("\"\""), QLatin1String("\""));
            name.replace(QLatin1String("]"), QLatin1String("]]"));
            kind = Kind::Bracketed;
            text = QLatin1Char('[') + name + QLatin1Char(']');
        } else if (c.isDigit() || (c == QLatin1Char('.') && next.isDigit())) {
            while (end < sql.size() && (sql.at(end).isDigit() || sql.at(end) == QLatin1Char('.')))
                ++end;
            if (end < sql.size() &&
                (sql.at(end) == QLatin1Char('e') || sql.at(end) == QLatin1Char('E'))) {
                qsizetype e = end + 1;
                if (e < sql.size() &&
                    (sql.at(e) == QLatin1Char('+') || sql.at(e) == QLatin1Char('-')))
                    ++e;
                if (e < sql.size() && sql.at(e).isDigit()) {
                    end = e;
                    while (end < sql.size() && sql.at(end).isDigit())
                        ++end;
                }
            }
            if (end < sql.size() && isWordChar(sql.at(end)))
                syntaxError(
                    QStringLiteral("Incorrect syntax near '%1'.").arg(sql.mid(i, end - i + 1)));
            kind = Kind::Number;
        } else if (isWordStart(c)) {
            while (end < sql.size() && isWordChar(sql.at(end)))
                ++end;
            kind = Kind::Word;
        } else {
            kind = Kind::Symbol;
            bool two = false;
            for (const char* symbol : TwoCharSymbols) {
                if (sql.mid(i, 2) == QLatin1String(symbol)) {
                    two = true;
                    break;
                }
            }
            if (two)
                end = i + 2;
            else if (!SingleSymbols.contains(c))
                syntaxError(QStringLiteral("Incorrect syntax near '%1'.").arg(c));
        }
        if (text.isNull())
            text = sql.mid(i, end - i);
        tokens.append({kind, text});
        i = end;
    }
    return tokens;
}
