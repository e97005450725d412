#pragma once

#include "data/Recordset.h"

#include <QStringList>

// One column of every row of a result, as the store's tests compare it.
inline QStringList column(const Recordset& rows, int col = 0)
{
    QStringList out;
    for (int i = 0; i < rows.recordCount(); ++i)
        out << rows.value(i, col);
    return out;
}
