#pragma once

#include <QList>
#include <QString>

// One piece of T-SQL text. String literals keep their quotes and doubled quotes, so
// writing the tokens back gives the literal exactly as it came.
struct TsqlToken
{
    enum class Kind
    {
        Space,     // blanks, line breaks and comments
        Word,      // identifier or keyword
        Bracketed, // [identifier]
        String,    // 'text' (an N'text' literal is kept without its N)
        Number,
        Symbol, // operators and punctuation: . .. , ( ) + - * / % = <> etc.
    };

    Kind kind;
    QString text;

    bool isSpace() const { return kind == Kind::Space; }
    bool isWord(const char* word) const
    {
        return kind == Kind::Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(const char* symbol) const
    {
        return kind == Kind::Symbol && text == QLatin1String(symbol);
    }
    // The value of a String token: without the quotes, '' read as one quote.
    QString stringValue() const;
    // An identifier's name: a Word as written, a Bracketed without its brackets.
    QString name() const;

    static TsqlToken string(const QString& value);
};

using TsqlTokens = QList<TsqlToken>;
