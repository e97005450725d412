#include "RowTextReader.h"

#include "UnicodeText.h"

#include <cstring>

RowTextReader::RowTextReader(int columns) : m_columns(columns) {}

QString RowTextReader::text(int column, const char* utf8, int size)
{
    if (!utf8)
        return QString("");
    Column& c = m_columns[column];
    if (!c.enabled || size > MaxBytes)
        return UnicodeText::fromUtf8({utf8, size});
    return remembered(c, utf8, size);
}

QString RowTextReader::remembered(Column& column, const char* utf8, int size)
{
    // A slot per hash of the bytes; a new value replaces the slot's old one.
    unsigned hash = 2166136261u;
    for (int i = 0; i < size; ++i)
        hash = (hash ^ static_cast<unsigned char>(utf8[i])) * 16777619u;
    Slot& slot = column.recent[hash % SlotCount];
    ++column.lookups;
    if (slot.size == size && std::memcmp(slot.bytes.data(), utf8, size_t(size)) == 0) {
        ++column.hits;
        return slot.text;
    }
    if (column.lookups == TrialRows && column.hits * 4 < TrialRows)
        column.enabled = false;
    slot.size = size;
    std::memcpy(slot.bytes.data(), utf8, size_t(size));
    slot.text = UnicodeText::fromUtf8({utf8, size});
    return slot.text;
}
