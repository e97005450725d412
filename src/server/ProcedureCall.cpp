#include "ProcedureCall.h"

#include "ServerErrors.h"
#include "TsqlTokenizer.h"
#include "data/DbError.h"

namespace {

using Kind = TsqlToken::Kind;

bool isName(const TsqlToken& token)
{
    return token.kind == Kind::Word || token.kind == Kind::Bracketed;
}

[[noreturn]] void syntaxNear(const TsqlToken& token)
{
    throw DbError(ServerErrors::Syntax,
                  QStringLiteral("Incorrect syntax near '%1'.").arg(token.text));
}

} // namespace

std::optional<ProcedureCall> ProcedureCall::parse(const QString& sql)
{
    TsqlTokens all = TsqlTokenizer::tokenize(sql);
    TsqlTokens tokens;
    for (const TsqlToken& token : all) {
        if (!token.isSpace())
            tokens << token;
    }
    if (!tokens.isEmpty() && tokens.last().isSymbol(";"))
        tokens.removeLast();
    if (tokens.isEmpty() || !isName(tokens.first()))
        return std::nullopt;

    static const char* const statements[] = {"select",  "insert", "update", "delete",   "merge",
                                             "drop",    "create", "alter",  "truncate", "with",
                                             "declare", "set",    "begin",  "use"};
    for (const char* word : statements) {
        if (tokens.first().isWord(word))
            return std::nullopt;
    }
    qsizetype i = 0;
    const bool exec = tokens.first().isWord("exec") || tokens.first().isWord("execute");
    if (exec)
        ++i;
    else if (tokens.first().kind == Kind::Word && tokens.size() > 1 &&
             !tokens.at(1).isSymbol("..") && !tokens.at(1).isSymbol(".") &&
             tokens.at(1).kind != Kind::String && tokens.at(1).kind != Kind::Number)
        return std::nullopt; // "Select ...", "Insert ...": not a call
    if (i >= tokens.size() || !isName(tokens.at(i)))
        return std::nullopt;

    // Name: Name | Db..Name | Db.dbo.Name
    QStringList parts = {tokens.at(i).name()};
    ++i;
    if (i + 1 < tokens.size() && tokens.at(i).isSymbol("..") && isName(tokens.at(i + 1))) {
        parts << tokens.at(i + 1).name();
        i += 2;
    } else if (i + 3 < tokens.size() && tokens.at(i).isSymbol(".") && isName(tokens.at(i + 1)) &&
               tokens.at(i + 1).name().compare(QLatin1String("dbo"), Qt::CaseInsensitive) == 0 &&
               tokens.at(i + 2).isSymbol(".") && isName(tokens.at(i + 3))) {
        parts << tokens.at(i + 3).name();
        i += 4;
    } else if (i < tokens.size() && tokens.at(i).isSymbol(".")) {
        syntaxNear(tokens.at(i));
    }

    ProcedureCall call;
    call.database = parts.size() == 2 ? parts.first() : QString();
    call.name = parts.last();
    bool expectValue = true;
    for (; i < tokens.size(); ++i) {
        const TsqlToken& token = tokens.at(i);
        if (expectValue) {
            if (token.kind == Kind::String) {
                call.arguments << token.stringValue();
            } else if (token.kind == Kind::Number) {
                call.arguments << token.text;
            } else if (token.isSymbol("-") && i + 1 < tokens.size() &&
                       tokens.at(i + 1).kind == Kind::Number) {
                call.arguments << QLatin1Char('-') + tokens.at(++i).text;
            } else {
                syntaxNear(token);
            }
            expectValue = false;
        } else {
            if (!token.isSymbol(","))
                syntaxNear(token);
            expectValue = true;
        }
    }
    if (expectValue && !call.arguments.isEmpty())
        throw DbError(ServerErrors::Syntax, QStringLiteral("Incorrect syntax near ','."));
    return call;
}
