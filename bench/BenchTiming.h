#pragma once

// What every benchmark measures with: the median of repeated runs, and the floor the
// program's own path is set against: the best plain SQL on the same indexes, read as a C
// program would.

#include "server/DatabaseNames.h"

#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace BenchTiming {

// Wall-clock time, or (when set) the time this thread ran: on a machine shared with
// other work the CPU time still shows what a look-up costs (a commit's wait for the
// disk is then not counted).
inline bool& cpuClock()
{
    static bool cpu = false;
    return cpu;
}

// The time this thread has run, in nanoseconds.
inline qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

inline qint64 nowNs()
{
    if (!cpuClock()) {
        static QElapsedTimer wall;
        if (!wall.isValid())
            wall.start();
        return wall.nsecsElapsed();
    }
    return threadCpuNs();
}

// Median time of `runs` calls of `work`, in milliseconds; `rows` is what the last call
// returned (the rows it read).
inline double medianMs(int runs, const std::function<int()>& work, int& rows)
{
    std::vector<qint64> times;
    times.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        const qint64 start = nowNs();
        rows = work();
        times.push_back(nowNs() - start);
    }
    std::sort(times.begin(), times.end());
    return double(times[times.size() / 2]) / 1e6;
}

// The floor a look-up is set against: the plain SQL statement prepared once, its
// parameters bound, and every value of every row copied as bytes into one reused buffer,
// as a C program keeping the answer would: no string object per value. `kept` receives
// the rows as text, for the checks made outside the timings.
inline int rawQuery(sqlite3* db, sqlite3_stmt* stmt, const QStringList& parameters,
                    QList<QStringList>* kept = nullptr)
{
    static std::string buffer;
    buffer.clear();
    sqlite3_reset(stmt);
    for (int i = 0; i < parameters.size(); ++i) {
        const QByteArray utf8 = parameters.at(i).toUtf8();
        sqlite3_bind_text(stmt, i + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    const int columns = sqlite3_column_count(stmt);
    if (kept)
        kept->clear();
    int rows = 0;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < columns; ++c) {
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            const int bytes = sqlite3_column_bytes(stmt, c);
            if (text)
                buffer.append(text, size_t(bytes));
            buffer.push_back('\0');
            if (kept)
                row << QString::fromUtf8(text, bytes);
        }
        if (kept)
            *kept << row;
        ++rows;
    }
    if (rc != SQLITE_DONE)
        qFatal("raw query failed: %s", sqlite3_errmsg(db));
    return rows;
}

// The program's time as a multiple of the floor's, as printed beside both.
inline QString ratio(double program, double floor)
{
    return floor > 0 ? QString::number(program / floor, 'f', 2) + QLatin1Char('x')
                     : QStringLiteral("-");
}

// The store's SQL names each database; all four are the one file's main database.
inline int prepareOnStore(sqlite3* db, const char* sql, sqlite3_stmt** stmt)
{
    const QByteArray text = DatabaseNames::toMain(QString::fromUtf8(sql)).toUtf8();
    return sqlite3_prepare_v2(db, text.constData(), -1, stmt, nullptr);
}

inline sqlite3_stmt* prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (prepareOnStore(db, sql, &stmt) != SQLITE_OK)
        qFatal("cannot prepare: %s", sqlite3_errmsg(db));
    return stmt;
}

// The command line every benchmark takes: [--data DIR] [--runs N] [--cpu] (--cpu
// measures the thread's CPU time instead of the wall clock).
struct Options
{
    QString folder;
    int runs = 0;
};

// Reads --data DIR, --runs N and --cpu. --help prints `usage` and ends the program; so
// does anything else, with exit code 2, because a mistyped option would otherwise start a
// generation of millions of rows.
inline Options options(const QStringList& args, int defaultRuns, const char* usage)
{
    Options out{QString(), defaultRuns};
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--cpu")) {
            cpuClock() = true;
        } else if (arg == QLatin1String("--data") && hasValue) {
            out.folder = args.at(++i);
        } else if (arg == QLatin1String("--runs") && hasValue && args.at(i + 1).toInt() > 0) {
            out.runs = args.at(++i).toInt();
        } else {
            const bool help = arg == QLatin1String("--help") || arg == QLatin1String("-h");
            std::fputs(usage, help ? stdout : stderr);
            std::exit(help ? 0 : 2);
        }
    }
    return out;
}

} // namespace BenchTiming
