#include "KeysetPager.h"

KeysetPager::KeysetPager(Read read, QString dateField, QString numberField, int pageSize)
    : m_read(std::move(read)), m_dateField(std::move(dateField)),
      m_numberField(std::move(numberField)), m_pageSize(pageSize), m_atEnd(false)
{}

Recordset KeysetPager::next()
{
    if (m_atEnd)
        return {};
    Recordset page = m_read(m_after, m_pageSize);
    const int last = page.recordCount() - 1;
    if (last >= 0)
        m_after = {page.value(last, m_dateField), page.value(last, m_numberField)};
    m_atEnd = page.recordCount() < m_pageSize;
    return page;
}
