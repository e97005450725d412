#pragma once

#include "TsqlToken.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <functional>

class SchemaCatalog;

// Turns the SELECT statements the program sends (T-SQL) into SQLite SQL with the same
// meaning and the same result column names: Db..Object -> Db.Object, "+" between texts
// -> "||" (SQLite's "+" only adds numbers), literal + literal folded, GetDate() -> the
// server clock as general date text. Brackets and literals pass unchanged. It is not
// a T-SQL engine: anything else is refused with a DbError rather than run with another
// meaning.
class TsqlRewriter
{
public:
    TsqlRewriter(const SchemaCatalog& schema, std::function<QDateTime()> clock);

    // Throws DbError for statements other than one SELECT and for syntax it does not
    // translate faithfully.
    QString rewrite(const QString& tsql) const;

private:
    enum class Type
    {
        Unknown,
        Text,
        Number
    };
    struct Operand
    {
        qsizetype first;
        qsizetype last;
        Type type;
    };
    // A table the statement names, with the alias it gives it ("" when none).
    struct Table
    {
        QString database;
        QString table;
        QString alias;
    };
    using Tables = QList<Table>;

    void checkShape(const TsqlTokens& tokens) const;
    Tables joinNames(TsqlTokens& tokens) const;
    void replaceFunctions(TsqlTokens& tokens) const;
    void rewritePlus(TsqlTokens& tokens, const Tables& tables) const;
    void foldLiterals(TsqlTokens& tokens) const;
    void rangeForLikePrefix(TsqlTokens& tokens, const Tables& tables) const;

    Operand leftOperand(const TsqlTokens& tokens, qsizetype plus, const Tables& tables,
                        const QList<qsizetype>& joins) const;
    Operand rightOperand(const TsqlTokens& tokens, qsizetype plus, const Tables& tables) const;
    Type columnType(const TsqlTokens& tokens, qsizetype lastPart, const Tables& tables) const;

    const SchemaCatalog& m_schema;
    std::function<QDateTime()> m_clock;
};
