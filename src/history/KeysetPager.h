#pragma once

#include "HistoryData.h"

#include <functional>

// Reads a result page after page by key: each page asks for the rows after the last
// row of the page before (its date-time and number columns), so rows added meanwhile
// never shift a page and no row is read twice or skipped.
class KeysetPager
{
public:
    using Read = std::function<Recordset(const HistoryData::Key& after, int pageSize)>;

    KeysetPager() = default;
    KeysetPager(Read read, QString dateField, QString numberField, int pageSize);

    // The next page (the first after construction). Throws what `read` throws; the
    // position is then unchanged, so the same page can be asked for again.
    Recordset next();
    // True once a page came back short: there is nothing after it.
    bool atEnd() const { return m_atEnd; }

private:
    Read m_read;
    QString m_dateField;
    QString m_numberField;
    int m_pageSize = 0;
    HistoryData::Key m_after;
    bool m_atEnd = true;
};
