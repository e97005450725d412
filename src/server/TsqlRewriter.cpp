#include "TsqlRewriter.h"

#include "DatabaseNames.h"
#include "SchemaCatalog.h"
#include "ServerErrors.h"
#include "TsqlTokenizer.h"
#include "data/DbError.h"
#include "data/GeneralDate.h"

#include <QSet>

namespace {

using Kind = TsqlToken::Kind;

[[noreturn]] void unsupported(const QString& what)
{
    throw DbError(ServerErrors::Unsupported, what);
}

[[noreturn]] void syntaxNear(const TsqlToken& token)
{
    throw DbError(ServerErrors::Syntax,
                  QStringLiteral("Incorrect syntax near '%1'.").arg(token.text));
}

const QSet<QString>& refusedWords()
{
    static const QSet<QString> words = {
        "insert",  "update",    "delete",   "merge",      "drop",      "create",
        "alter",   "truncate",  "attach",   "detach",     "pragma",    "replace",
        "into",    "exec",      "execute",  "vacuum",     "reindex",   "analyze",
        "begin",   "commit",    "rollback", "savepoint",  "release",   "with",
        "top",     "limit",     "offset",   "glob",       "regexp",    "match",
        "declare", "set",       "grant",    "revoke",     "deny",      "use",
        "go",      "waitfor",   "shutdown", "openrowset", "openquery", "opendatasource",
        "bulk",    "raiserror", "print",    "if",         "while",     "returning",
        "collate", "escape",    "cast",     "convert",
    };
    return words;
}

// Keywords that may stand before an opening parenthesis without being a function.
const QSet<QString>& keywordsBeforeParen()
{
    static const QSet<QString> words = {
        "in",       "exists", "not",    "and",    "or",        "on",   "where",
        "select",   "from",   "as",     "when",   "then",      "else", "between",
        "like",     "is",     "having", "by",     "all",       "any",  "some",
        "distinct", "union",  "join",   "except", "intersect", "case", "end",
    };
    return words;
}

// Functions that mean the same in both dialects.
const QSet<QString>& sameFunctions()
{
    static const QSet<QString> names = {"count", "min", "max", "sum", "avg", "coalesce"};
    return names;
}

qsizetype nextSolid(const TsqlTokens& tokens, qsizetype i)
{
    for (++i; i < tokens.size(); ++i) {
        if (!tokens.at(i).isSpace())
            return i;
    }
    return -1;
}

qsizetype prevSolid(const TsqlTokens& tokens, qsizetype i)
{
    for (--i; i >= 0; --i) {
        if (!tokens.at(i).isSpace())
            return i;
    }
    return -1;
}

bool isName(const TsqlToken& token)
{
    return token.kind == Kind::Word || token.kind == Kind::Bracketed;
}

qsizetype matchingClose(const TsqlTokens& tokens, qsizetype open)
{
    int depth = 0;
    for (qsizetype i = open; i < tokens.size(); ++i) {
        if (tokens.at(i).isSymbol("("))
            ++depth;
        else if (tokens.at(i).isSymbol(")") && --depth == 0)
            return i;
    }
    syntaxNear(tokens.at(open));
}

qsizetype matchingOpen(const TsqlTokens& tokens, qsizetype close)
{
    int depth = 0;
    for (qsizetype i = close; i >= 0; --i) {
        if (tokens.at(i).isSymbol(")"))
            ++depth;
        else if (tokens.at(i).isSymbol("(") && --depth == 0)
            return i;
    }
    syntaxNear(tokens.at(close));
}

// Words that may follow a table name and are not its alias.
const QSet<QString>& clauseWords()
{
    static const QSet<QString> words = {
        "where", "join",  "inner",  "left",  "right",  "full",      "cross",   "outer", "on",
        "group", "order", "having", "union", "except", "intersect", "natural", "using", "as",
    };
    return words;
}

// The alias written after the table name that ends before `end` ("t" in "tbl t" or
// "tbl as t"), or "".
QString aliasAfter(const TsqlTokens& tokens, qsizetype end)
{
    qsizetype next = nextSolid(tokens, end - 1);
    if (next >= 0 && tokens.at(next).isWord("as"))
        next = nextSolid(tokens, next);
    if (next < 0 || !isName(tokens.at(next)) ||
        (tokens.at(next).kind == Kind::Word &&
         clauseWords().contains(tokens.at(next).text.toLower())))
        return {};
    return tokens.at(next).name();
}

} // namespace

TsqlRewriter::TsqlRewriter(const SchemaCatalog& schema, std::function<QDateTime()> clock)
    : m_schema(schema), m_clock(std::move(clock))
{}

QString TsqlRewriter::rewrite(const QString& tsql) const
{
    TsqlTokens tokens = TsqlTokenizer::tokenize(tsql);
    while (!tokens.isEmpty() && (tokens.last().isSpace() || tokens.last().isSymbol(";"))) {
        const bool semicolon = tokens.last().isSymbol(";");
        tokens.removeLast();
        if (semicolon) {
            while (!tokens.isEmpty() && tokens.last().isSpace())
                tokens.removeLast();
            break;
        }
    }
    checkShape(tokens);
    const Tables tables = joinNames(tokens);
    replaceFunctions(tokens);
    rewritePlus(tokens, tables);
    foldLiterals(tokens);
    rangeForLikePrefix(tokens, tables);
    QString out;
    for (const TsqlToken& token : tokens)
        out += token.text;
    return out;
}

void TsqlRewriter::checkShape(const TsqlTokens& tokens) const
{
    const qsizetype first = nextSolid(tokens, -1);
    if (first < 0)
        unsupported(QStringLiteral("The statement is empty."));
    if (!tokens.at(first).isWord("select"))
        unsupported(QStringLiteral("The embedded store runs SELECT statements and procedure calls "
                                   "only; '%1' is not one of them.")
                        .arg(tokens.at(first).text));
    int depth = 0;
    for (qsizetype i = first; i < tokens.size(); ++i) {
        const TsqlToken& token = tokens.at(i);
        if (token.isSymbol("(")) {
            ++depth;
        } else if (token.isSymbol(")")) {
            if (--depth < 0)
                syntaxNear(token);
        } else if (token.isSymbol(";")) {
            unsupported(QStringLiteral("Only one statement can be run at a time."));
        } else if (token.isSymbol("||") || token.isSymbol("^") || token.isSymbol("!<") ||
                   token.isSymbol("!>")) {
            unsupported(QStringLiteral("The operator '%1' is not supported.").arg(token.text));
        } else if (token.kind == Kind::Word) {
            const QString word = token.text.toLower();
            if (word.startsWith(QLatin1Char('@')) || word.startsWith(QLatin1Char('#')))
                unsupported(
                    QStringLiteral("Variables and temporary tables are not supported: '%1'.")
                        .arg(token.text));
            if (refusedWords().contains(word))
                unsupported(QStringLiteral("'%1' is not supported by the embedded store: it runs "
                                           "one plain SELECT or a procedure call.")
                                .arg(token.text));
            if (word == QLatin1String("select") && i != first && depth == 0) {
                const qsizetype prev = prevSolid(tokens, i);
                const TsqlToken& before = tokens.at(prev);
                if (!before.isWord("union") && !before.isWord("all") && !before.isWord("except") &&
                    !before.isWord("intersect"))
                    unsupported(QStringLiteral("Only one statement can be run at a time."));
            }
        }
    }
    if (depth != 0)
        throw DbError(ServerErrors::Syntax,
                      QStringLiteral("Incorrect syntax: unbalanced parentheses."));
}

TsqlRewriter::Tables TsqlRewriter::joinNames(TsqlTokens& tokens) const
{
    Tables tables;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (!isName(tokens.at(i)))
            continue;
        // Collect the chain name(.name | ..name)* written without blanks.
        QList<qsizetype> parts = {i};
        qsizetype j = i + 1;
        while (j + 1 < tokens.size() &&
               (tokens.at(j).isSymbol(".") || tokens.at(j).isSymbol("..")) &&
               isName(tokens.at(j + 1))) {
            if (tokens.at(j).isSymbol("..") && parts.size() != 1)
                syntaxNear(tokens.at(j));
            parts << j + 1;
            j += 2;
        }
        if (parts.size() == 1)
            continue;
        const qsizetype separator = parts.at(0) + 1;
        const bool known = DatabaseNames::isDatabase(tokens.at(parts.at(0)).name());
        if (tokens.at(separator).isSymbol("..")) {
            tokens[separator].text = QStringLiteral(".");
        } else if (known && parts.size() >= 3 &&
                   tokens.at(parts.at(1))
                           .name()
                           .compare(QLatin1String("dbo"), Qt::CaseInsensitive) == 0) {
            tokens.remove(parts.at(1), 2);
            parts.remove(1);
            for (qsizetype k = 1; k < parts.size(); ++k)
                parts[k] -= 2;
            j -= 2;
        }
        if (parts.size() > 3)
            unsupported(QStringLiteral("Names with a server part are not supported."));
        if (known) {
            const QString database = tokens.at(parts.at(0)).name();
            const QString table = tokens.at(parts.at(1)).name();
            if (m_schema.hasTable(database, table))
                tables.append({database, table, aliasAfter(tokens, j)});
            else if (m_schema.hasTable({}, table))
                // Another database's table: all four share one file, but a SQL Server
                // would not find it here.
                throw DbError(1, QStringLiteral("no such table: %1.%2").arg(database, table));
        }
        i = j - 1;
    }
    return tables;
}

void TsqlRewriter::replaceFunctions(TsqlTokens& tokens) const
{
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const TsqlToken& token = tokens.at(i);
        if (token.isWord("current_timestamp")) {
            tokens[i] = TsqlToken::string(GeneralDate::toText(m_clock()));
            continue;
        }
        if (token.kind != Kind::Word)
            continue;
        const qsizetype open = nextSolid(tokens, i);
        if (open < 0 || !tokens.at(open).isSymbol("("))
            continue;
        const QString name = token.text.toLower();
        if (keywordsBeforeParen().contains(name) || sameFunctions().contains(name))
            continue;
        const qsizetype close = nextSolid(tokens, open);
        if (name == QLatin1String("getdate") && close >= 0 && tokens.at(close).isSymbol(")")) {
            tokens[i] = TsqlToken::string(GeneralDate::toText(m_clock()));
            tokens.remove(i + 1, close - i);
            continue;
        }
        const qsizetype before = prevSolid(tokens, i);
        // "from Station.tbcoMeal (..." is not a call; only a bare word can be a function.
        if (before >= 0 && (tokens.at(before).isSymbol(".") || tokens.at(before).isSymbol("..")))
            continue;
        unsupported(QStringLiteral("The function '%1' is not supported by the embedded store.")
                        .arg(token.text));
    }
}

TsqlRewriter::Type TsqlRewriter::columnType(const TsqlTokens& tokens, qsizetype lastPart,
                                            const Tables& tables) const
{
    const TsqlToken& token = tokens.at(lastPart);
    if (token.isWord("null"))
        return Type::Unknown;
    std::optional<bool> found;
    for (const auto& [database, table, alias] : tables) {
        const auto text = m_schema.columnIsText(database, table, token.name());
        if (!text)
            continue;
        if (found && *found != *text)
            return Type::Unknown;
        found = text;
    }
    if (!found)
        return Type::Unknown;
    return *found ? Type::Text : Type::Number;
}

TsqlRewriter::Operand TsqlRewriter::leftOperand(const TsqlTokens& tokens, qsizetype plus,
                                                const Tables& tables,
                                                const QList<qsizetype>& joins) const
{
    const qsizetype last = prevSolid(tokens, plus);
    if (last < 0)
        syntaxNear(tokens.at(plus));
    const TsqlToken& token = tokens.at(last);
    if (token.kind == Kind::String)
        return {last, last, Type::Text};
    if (token.kind == Kind::Number)
        return {last, last, Type::Number};
    if (token.isSymbol(")")) {
        const qsizetype open = matchingOpen(tokens, last);
        const qsizetype name = prevSolid(tokens, open);
        if (name >= 0 && tokens.at(name).kind == Kind::Word &&
            sameFunctions().contains(tokens.at(name).text.toLower())) {
            const QString fn = tokens.at(name).text.toLower();
            const bool numeric = fn == QLatin1String("count") || fn == QLatin1String("sum") ||
                                 fn == QLatin1String("avg");
            return {name, last, numeric ? Type::Number : Type::Unknown};
        }
        // A group is text when it ends in a join of texts or is a single literal.
        const qsizetype inner = prevSolid(tokens, last);
        Type type = Type::Unknown;
        if (inner > open && prevSolid(tokens, inner) == open)
            type = tokens.at(inner).kind == Kind::String   ? Type::Text
                   : tokens.at(inner).kind == Kind::Number ? Type::Number
                                                           : Type::Unknown;
        for (qsizetype k = open; k < last; ++k) {
            if (joins.contains(k))
                type = Type::Text;
        }
        return {open, last, type};
    }
    if (isName(token)) {
        qsizetype first = last;
        while (first >= 2 && tokens.at(first - 1).isSymbol(".") && isName(tokens.at(first - 2)))
            first -= 2;
        return {first, last, columnType(tokens, last, tables)};
    }
    syntaxNear(tokens.at(plus));
}

TsqlRewriter::Operand TsqlRewriter::rightOperand(const TsqlTokens& tokens, qsizetype plus,
                                                 const Tables& tables) const
{
    const qsizetype first = nextSolid(tokens, plus);
    if (first < 0)
        syntaxNear(tokens.at(plus));
    const TsqlToken& token = tokens.at(first);
    if (token.kind == Kind::String)
        return {first, first, Type::Text};
    if (token.kind == Kind::Number)
        return {first, first, Type::Number};
    if (token.isSymbol("-") || token.isSymbol("+")) {
        const Operand inner = rightOperand(tokens, first, tables);
        return {first, inner.last, Type::Number};
    }
    if (token.isSymbol("(")) {
        const qsizetype close = matchingClose(tokens, first);
        const qsizetype inner = nextSolid(tokens, first);
        Type type = Type::Unknown;
        if (inner < close && nextSolid(tokens, inner) == close)
            type = tokens.at(inner).kind == Kind::String   ? Type::Text
                   : tokens.at(inner).kind == Kind::Number ? Type::Number
                                                           : Type::Unknown;
        return {first, close, type};
    }
    if (isName(token)) {
        const qsizetype open = nextSolid(tokens, first);
        if (token.kind == Kind::Word && open >= 0 && tokens.at(open).isSymbol("(")) {
            const QString fn = token.text.toLower();
            const bool numeric = fn == QLatin1String("count") || fn == QLatin1String("sum") ||
                                 fn == QLatin1String("avg");
            return {first, matchingClose(tokens, open), numeric ? Type::Number : Type::Unknown};
        }
        qsizetype last = first;
        while (last + 2 < tokens.size() && tokens.at(last + 1).isSymbol(".") &&
               isName(tokens.at(last + 2)))
            last += 2;
        return {first, last, columnType(tokens, last, tables)};
    }
    syntaxNear(tokens.at(plus));
}

void TsqlRewriter::rewritePlus(TsqlTokens& tokens, const Tables& tables) const
{
    QList<qsizetype> joins;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (!tokens.at(i).isSymbol("+"))
            continue;
        // A unary plus (after an operator, a comma or an opening parenthesis) is left alone.
        const qsizetype prev = prevSolid(tokens, i);
        if (prev < 0 || (tokens.at(prev).kind == Kind::Symbol && !tokens.at(prev).isSymbol(")")) ||
            (tokens.at(prev).kind == Kind::Word &&
             keywordsBeforeParen().contains(tokens.at(prev).text.toLower())))
            continue;
        Operand left = leftOperand(tokens, i, tables, joins);
        const Operand right = rightOperand(tokens, i, tables);
        const qsizetype before = prevSolid(tokens, left.first);
        if (before >= 0 && joins.contains(before))
            left.type = Type::Text;
        if (left.type != Type::Text && right.type != Type::Text)
            continue;
        if (left.type == Type::Number || right.type == Type::Number)
            unsupported(QStringLiteral("Text and a number joined with '+' are not supported by "
                                       "the embedded store."));
        const qsizetype after = nextSolid(tokens, right.last);
        const auto tighter = [&](qsizetype k, bool leftSide) {
            if (k < 0)
                return false;
            const TsqlToken& t = tokens.at(k);
            if (t.isSymbol("*") || t.isSymbol("/") || t.isSymbol("%"))
                return true;
            return leftSide && (t.isSymbol("-") || (t.isSymbol("+") && !joins.contains(k)));
        };
        if (tighter(before, true) || tighter(after, false))
            unsupported(QStringLiteral("Joining texts with '+' next to arithmetic is not "
                                       "supported by the embedded store."));
        tokens[i].text = QStringLiteral("||");
        joins << i;
    }
}

void TsqlRewriter::foldLiterals(TsqlTokens& tokens) const
{
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (!tokens.at(i).isSymbol("||"))
            continue;
        const qsizetype left = prevSolid(tokens, i);
        const qsizetype right = nextSolid(tokens, i);
        if (left < 0 || right < 0 || tokens.at(left).kind != Kind::String ||
            tokens.at(right).kind != Kind::String)
            continue;
        tokens[left] =
            TsqlToken::string(tokens.at(left).stringValue() + tokens.at(right).stringValue());
        tokens.remove(left + 1, right - left);
        i = left;
    }
}

// "Lastname like 'Pe%'" on its own is a scan, since the Unicode LIKE cannot use an
// index. Every name that matches begins with the literal prefix, and in the UNICODE_CI
// order those names lie between the prefix and talo_prefix_end(prefix): adding that
// range lets the index find the candidates, the LIKE still decides. The range is added
// only when the column is a case-insensitive text column of exactly one table the
// statement names (through its alias or table name when the column is qualified);
// anywhere else it could drop rows.
void TsqlRewriter::rangeForLikePrefix(TsqlTokens& tokens, const Tables& tables) const
{
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (!tokens.at(i).isWord("like"))
            continue;
        const qsizetype column = prevSolid(tokens, i);
        const qsizetype pattern = nextSolid(tokens, i);
        if (column < 0 || pattern < 0 || !isName(tokens.at(column)) ||
            tokens.at(pattern).kind != Kind::String)
            continue;
        const qsizetype after = nextSolid(tokens, pattern);
        // Only a plain comparison: not beside arithmetic, joins or another operator.
        if (after >= 0 && tokens.at(after).kind == Kind::Symbol && !tokens.at(after).isSymbol(")"))
            continue;
        qsizetype first = column;
        while (first >= 2 && tokens.at(first - 1).isSymbol(".") && isName(tokens.at(first - 2)))
            first -= 2;
        const qsizetype before = prevSolid(tokens, first);
        if (before >= 0 && (tokens.at(before).kind == Kind::Symbol &&
                            !tokens.at(before).isSymbol("(") && !tokens.at(before).isSymbol(",")))
            continue;
        const QString qualifier = first < column ? tokens.at(column - 2).name() : QString();
        int owners = 0;
        bool ignoresCase = false;
        for (const auto& [database, table, alias] : tables) {
            if (!qualifier.isEmpty() && qualifier.compare(alias, Qt::CaseInsensitive) != 0 &&
                qualifier.compare(table, Qt::CaseInsensitive) != 0)
                continue;
            if (!m_schema.columnIsText(database, table, tokens.at(column).name()))
                continue;
            ++owners;
            ignoresCase = m_schema.columnIgnoresCase(database, table, tokens.at(column).name());
        }
        if (owners != 1 || !ignoresCase)
            continue;
        const QString value = tokens.at(pattern).stringValue();
        qsizetype end = 0;
        while (end < value.size() && value.at(end) != QLatin1Char('%') &&
               value.at(end) != QLatin1Char('_') && value.at(end) != QLatin1Char('['))
            ++end;
        if (end == 0)
            continue;
        QString columnText;
        for (qsizetype k = first; k <= column; ++k)
            columnText += tokens.at(k).text;
        const QString prefix = TsqlToken::string(value.left(end)).text;
        const QString range =
            QStringLiteral("(%1 >= %2 AND %1 < talo_prefix_end(%2) AND ").arg(columnText, prefix);
        tokens.insert(first, {Kind::Space, range});
        tokens.insert(pattern + 2, {Kind::Space, QStringLiteral(")")});
        i = pattern + 2;
    }
}
