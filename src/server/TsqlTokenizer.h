#pragma once

#include "TsqlToken.h"

// Splits T-SQL text into tokens. String literals stay whole (a quote inside is
// doubled), so nothing inside a literal is ever taken for syntax.
class TsqlTokenizer
{
public:
    // Throws DbError for an unterminated literal, bracket or comment, or a character
    // that T-SQL does not use.
    static TsqlTokens tokenize(const QString& sql);
};
