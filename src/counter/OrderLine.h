#pragma once

#include <QString>

// One line of the order being built at the counter. The description is shown to the
// clerk but is not part of what gets recorded.
struct OrderLine
{
    QString mealCode;
    QString description;
    QString mealMode;
    QString remarks;
};
