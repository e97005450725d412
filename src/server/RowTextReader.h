#pragma once

#include <QString>
#include <QVarLengthArray>
#include <array>

// Turns a result column's UTF-8 values into the snapshot's strings. A column that keeps
// repeating a few short values (the day, a department) gets the same shared string for
// each repeat instead of a decoded copy per row: a list of 100,000 employees then holds
// one "12/8/2026", not 100,000. A column whose values seldom repeat stops looking after
// its first rows.
class RowTextReader
{
public:
    explicit RowTextReader(int columns);

    // The text of `size` bytes at `utf8` in `column`; a null pointer reads as "".
    QString text(int column, const char* utf8, int size);

private:
    static constexpr int SlotCount = 8;
    static constexpr int MaxBytes = 32;
    static constexpr int TrialRows = 64;

    struct Slot
    {
        int size = -1;
        std::array<char, MaxBytes> bytes{};
        QString text;
    };
    struct Column
    {
        std::array<Slot, SlotCount> recent;
        int lookups = 0;
        int hits = 0;
        bool enabled = true;
    };

    QString remembered(Column& column, const char* utf8, int size);

    QVarLengthArray<Column, 8> m_columns;
};
