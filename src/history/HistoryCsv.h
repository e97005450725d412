#pragma once

#include "KeysetPager.h"

class QFile;

// The history's meals written to a CSV file: the field names, then every row of every
// page the pager reads, read page by page so no more than one page is held at a time.
class HistoryCsv
{
public:
    // Returns the number of meals written. Throws DbError: what the pager throws, and
    // a write that fails (number 0, the file's name and the system's reason).
    static qint64 write(QFile& file, KeysetPager pager);
};
