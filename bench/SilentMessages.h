#pragma once

#include "data/DbError.h"
#include "widgets/MessageService.h"

#include <cstdio>

// The message service of a benchmark that drives the program's data classes: nothing is
// shown, every question is answered Yes, a database error is printed.
class SilentMessages : public MessageService
{
public:
    void info(const QString&) override {}
    bool ask(const QString&, const QString&) override { return true; }
    void error(const DbError& error) override
    {
        std::fprintf(stderr, "database error %d: %s\n", error.number(),
                     qPrintable(error.message()));
    }
};
