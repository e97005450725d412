#include "GroupTally.h"

#include "data/DbError.h"

#include <QString>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int Values = 4;
// The columns of talo_tally_rows: the four values, the count, and the hidden argument.
constexpr int CountColumn = Values;
constexpr int TallyColumn = Values + 1;

// How a value is written into a key: one varint, (length << 2) | tag, then for a text or
// a blob its bytes, so that two keys are equal exactly when their values are. A code or
// a cost shorter than 32 bytes takes one byte beside its bytes: a month's meals make
// short keys, quickly hashed and compared.
enum Tag : unsigned char
{
    NullValue = 0,
    TextValue = 1,
    BlobValue = 2
};

// What a tally blob starts with, so that any other blob is refused rather than misread.
constexpr std::string_view Magic("talo_tally\x02", 11);

void appendVarint(std::string& out, std::uint64_t value)
{
    while (value >= 0x80) {
        out.push_back(char((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.push_back(char(value));
}

bool takeVarint(std::string_view& in, std::uint64_t& value)
{
    value = 0;
    for (int shift = 0; shift < 64 && !in.empty(); shift += 7) {
        const auto byte = static_cast<unsigned char>(in.front());
        in.remove_prefix(1);
        value |= std::uint64_t(byte & 0x7F) << shift;
        if (byte < 0x80)
            return true;
    }
    return false;
}

template <class T> void append(std::string& out, T value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <class T> bool take(std::string_view& in, T& value)
{
    if (in.size() < sizeof value)
        return false;
    std::memcpy(&value, in.data(), sizeof value);
    in.remove_prefix(sizeof value);
    return true;
}

// The rows counted so far: the keys one after another in the order first met, and an
// open-addressing hash table of their places (linear probing, at most half full).
class Counts
{
public:
    Counts() : m_table(1024, 0) {}

    // False when a value is a number.
    bool add(sqlite3_value** values)
    {
        m_key.clear();
        for (int i = 0; i < Values; ++i) {
            const int type = sqlite3_value_type(values[i]);
            if (type == SQLITE_NULL) {
                m_key.push_back(char(NullValue));
                continue;
            }
            if (type != SQLITE_TEXT && type != SQLITE_BLOB)
                return false;
            const void* bytes = type == SQLITE_TEXT
                                    ? static_cast<const void*>(sqlite3_value_text(values[i]))
                                    : sqlite3_value_blob(values[i]);
            const auto size = std::uint64_t(sqlite3_value_bytes(values[i]));
            appendVarint(m_key, size << 2 | (type == SQLITE_TEXT ? TextValue : BlobValue));
            m_key.append(static_cast<const char*>(bytes), size);
        }
        count(m_key);
        return true;
    }

    // The blob talo_tally_rows reads: Magic, then per key its count, length and bytes.
    std::string blob() const
    {
        std::string out(Magic);
        out.reserve(Magic.size() + m_keys.size() + m_entries.size() * 12);
        for (const Entry& entry : m_entries) {
            append(out, entry.rows);
            append(out, entry.length);
            out.append(m_keys, entry.offset, entry.length);
        }
        return out;
    }

private:
    struct Entry
    {
        std::size_t hash;
        std::uint32_t offset;
        std::uint32_t length;
        std::int64_t rows;
    };

    void count(std::string_view key)
    {
        const std::size_t hash = std::hash<std::string_view>()(key);
        const std::size_t mask = m_table.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const std::uint32_t place = m_table[i];
            if (place == 0) {
                m_entries.push_back(
                    {hash, std::uint32_t(m_keys.size()), std::uint32_t(key.size()), 1});
                m_keys.append(key);
                m_table[i] = std::uint32_t(m_entries.size());
                if (m_entries.size() * 2 > m_table.size())
                    grow();
                return;
            }
            Entry& entry = m_entries[place - 1];
            if (entry.hash == hash && entry.length == key.size() &&
                std::memcmp(m_keys.data() + entry.offset, key.data(), key.size()) == 0) {
                ++entry.rows;
                return;
            }
        }
    }

    void grow()
    {
        m_table.assign(m_table.size() * 2, 0);
        const std::size_t mask = m_table.size() - 1;
        for (std::size_t e = 0; e < m_entries.size(); ++e) {
            std::size_t i = m_entries[e].hash & mask;
            while (m_table[i] != 0)
                i = (i + 1) & mask;
            m_table[i] = std::uint32_t(e + 1);
        }
    }

    std::vector<Entry> m_entries;
    std::vector<std::uint32_t> m_table;
    std::string m_keys;
    std::string m_key;
};

void tallyStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto** counts = static_cast<Counts**>(sqlite3_aggregate_context(ctx, sizeof(Counts*)));
    if (!counts) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    try {
        if (!*counts)
            *counts = new Counts;
        if (!(*counts)->add(argv))
            sqlite3_result_error(ctx, "talo_tally counts texts, blobs and NULLs, not numbers.", -1);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(ctx);
    }
}

void tallyFinal(sqlite3_context* ctx)
{
    // No context: no row was counted.
    auto** counts = static_cast<Counts**>(sqlite3_aggregate_context(ctx, 0));
    Counts* owned = counts ? *counts : nullptr;
    try {
        const std::string blob = owned ? owned->blob() : std::string(Magic);
        sqlite3_result_blob64(ctx, blob.data(), blob.size(), SQLITE_TRANSIENT);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(ctx);
    }
    delete owned;
}

// --- talo_tally_rows --------------------------------------------------------------------

struct Value
{
    Tag tag = NullValue;
    std::string_view bytes;
};

struct RowsCursor : sqlite3_vtab_cursor
{
    std::string blob;
    // What is left to read after the current row.
    std::string_view rest;
    bool eof = true;
    sqlite3_int64 rowid = 0;
    std::int64_t rows = 0;
    Value values[Values];

    // False when the blob is not a tally.
    bool next()
    {
        if (rest.empty()) {
            eof = true;
            return true;
        }
        std::uint32_t length = 0;
        if (!take(rest, rows) || !take(rest, length) || rest.size() < length)
            return false;
        std::string_view key = rest.substr(0, length);
        rest.remove_prefix(length);
        for (Value& value : values) {
            std::uint64_t header = 0;
            if (!takeVarint(key, header) || (header & 3) > BlobValue)
                return false;
            value.tag = Tag(header & 3);
            value.bytes = {};
            const std::uint64_t size = header >> 2;
            if (value.tag == NullValue) {
                if (size != 0)
                    return false;
                continue;
            }
            if (key.size() < size)
                return false;
            value.bytes = key.substr(0, size);
            key.remove_prefix(size);
        }
        ++rowid;
        eof = false;
        return key.empty();
    }
};

int rowsConnect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** table, char**)
{
    const int rc = sqlite3_declare_vtab(db, "CREATE TABLE x(K1, K2, K3, K4, N, tally HIDDEN)");
    if (rc != SQLITE_OK)
        return rc;
    *table = static_cast<sqlite3_vtab*>(sqlite3_malloc(sizeof(sqlite3_vtab)));
    if (!*table)
        return SQLITE_NOMEM;
    std::memset(*table, 0, sizeof(sqlite3_vtab));
    return SQLITE_OK;
}

int rowsDisconnect(sqlite3_vtab* table)
{
    sqlite3_free(table);
    return SQLITE_OK;
}

// The rows come only from the argument: without it there is nothing to read.
int rowsBestIndex(sqlite3_vtab*, sqlite3_index_info* info)
{
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& constraint = info->aConstraint[i];
        if (constraint.iColumn == TallyColumn && constraint.op == SQLITE_INDEX_CONSTRAINT_EQ &&
            constraint.usable) {
            info->aConstraintUsage[i].argvIndex = 1;
            info->aConstraintUsage[i].omit = 1;
            info->estimatedCost = 1000;
            info->estimatedRows = 1000;
            return SQLITE_OK;
        }
    }
    return SQLITE_CONSTRAINT;
}

int rowsOpen(sqlite3_vtab*, sqlite3_vtab_cursor** cursor)
{
    try {
        *cursor = new RowsCursor;
    } catch (const std::bad_alloc&) {
        return SQLITE_NOMEM;
    }
    return SQLITE_OK;
}

int rowsClose(sqlite3_vtab_cursor* cursor)
{
    delete static_cast<RowsCursor*>(cursor);
    return SQLITE_OK;
}

int notATally(sqlite3_vtab_cursor* cursor)
{
    sqlite3_free(cursor->pVtab->zErrMsg);
    cursor->pVtab->zErrMsg = sqlite3_mprintf("talo_tally_rows reads what talo_tally returns.");
    return SQLITE_ERROR;
}

int rowsFilter(sqlite3_vtab_cursor* base, int, const char*, int argc, sqlite3_value** argv)
{
    auto* cursor = static_cast<RowsCursor*>(base);
    cursor->rowid = 0;
    cursor->eof = true;
    if (argc != 1 || sqlite3_value_type(argv[0]) != SQLITE_BLOB)
        return notATally(base);
    try {
        cursor->blob.assign(static_cast<const char*>(sqlite3_value_blob(argv[0])),
                            std::size_t(sqlite3_value_bytes(argv[0])));
    } catch (const std::bad_alloc&) {
        return SQLITE_NOMEM;
    }
    cursor->rest = cursor->blob;
    if (!cursor->rest.starts_with(Magic))
        return notATally(base);
    cursor->rest.remove_prefix(Magic.size());
    return cursor->next() ? SQLITE_OK : notATally(base);
}

int rowsNext(sqlite3_vtab_cursor* base)
{
    return static_cast<RowsCursor*>(base)->next() ? SQLITE_OK : notATally(base);
}

int rowsEof(sqlite3_vtab_cursor* base)
{
    return static_cast<RowsCursor*>(base)->eof;
}

int rowsColumn(sqlite3_vtab_cursor* base, sqlite3_context* ctx, int column)
{
    const auto* cursor = static_cast<RowsCursor*>(base);
    if (column == CountColumn) {
        sqlite3_result_int64(ctx, cursor->rows);
    } else if (column < Values) {
        const Value& value = cursor->values[column];
        const auto size = sqlite3_uint64(value.bytes.size());
        if (value.tag == TextValue)
            sqlite3_result_text64(ctx, value.bytes.data(), size, SQLITE_TRANSIENT, SQLITE_UTF8);
        else if (value.tag == BlobValue)
            sqlite3_result_blob64(ctx, value.bytes.data(), size, SQLITE_TRANSIENT);
        else
            sqlite3_result_null(ctx);
    } else {
        sqlite3_result_null(ctx);
    }
    return SQLITE_OK;
}

int rowsRowid(sqlite3_vtab_cursor* base, sqlite3_int64* rowid)
{
    *rowid = static_cast<RowsCursor*>(base)->rowid;
    return SQLITE_OK;
}

sqlite3_module rowsModule()
{
    sqlite3_module module{};
    // No xCreate: the table exists only as the function, never in a schema.
    module.xConnect = rowsConnect;
    module.xBestIndex = rowsBestIndex;
    module.xDisconnect = rowsDisconnect;
    module.xOpen = rowsOpen;
    module.xClose = rowsClose;
    module.xFilter = rowsFilter;
    module.xNext = rowsNext;
    module.xEof = rowsEof;
    module.xColumn = rowsColumn;
    module.xRowid = rowsRowid;
    return module;
}

void check(sqlite3* db, int rc)
{
    if (rc != SQLITE_OK)
        throw DbError(rc, QString::fromUtf8(sqlite3_errmsg(db)));
}

} // namespace

void GroupTally::registerOn(sqlite3* db)
{
    static const sqlite3_module module = rowsModule();
    check(db, sqlite3_create_function_v2(db, "talo_tally", Values, SQLITE_UTF8, nullptr, nullptr,
                                         tallyStep, tallyFinal, nullptr));
    check(db, sqlite3_create_module_v2(db, "talo_tally_rows", &module, nullptr, nullptr));
}
