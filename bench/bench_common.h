#pragma once
// What every benchmark program shares: the reporter that keeps each run's time so the program
// can print its ratio to the raw cost at the end, and raw SQLCipher access to the keyed files the
// database layer writes, for the raw side of a comparison.
#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>

#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/db.h"
#include "platform/query.h"

namespace benchmark::internal {
// The console options the library's own reporter takes from --benchmark_color and
// --benchmark_counters_tabular (exported by the library, not declared in its header).
ConsoleReporter::OutputOptions GetOutputOptions(bool force_no_color);
}  // namespace benchmark::internal

namespace bench {

// Keeps the time per iteration of every run, so the ratios can be printed at the end. Made after
// benchmark::Initialize, it writes its table as the options of the command line ask (colours
// only when asked for, or on a terminal when "auto"), as the library's own reporter would.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(benchmark::internal::GetOutputOptions(false)) {}

    // With --benchmark_repetitions a benchmark's time is the median of its repetitions.
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                std::vector<double>& all = repetitions_[run.benchmark_name()];
                all.push_back(run.GetAdjustedRealTime());
                std::vector<double> sorted = all;
                std::sort(sorted.begin(), sorted.end());
                const size_t mid = sorted.size() / 2;
                times[run.benchmark_name()] =
                    sorted.size() % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
            }
        ConsoleReporter::ReportRuns(runs);
    }

    // Prints "ratio <what>: <job/base> (<job_label> <job> ms, <base_label> <base> ms; target <=
    // <target>)" from the runs named job and base; nothing when either did not run.
    void print_ratio(const char* what, const std::string& job, const char* job_label,
                     const std::string& base, const char* base_label, const char* target) const {
        const auto j = times.find(job), b = times.find(base);
        if (j == times.end() || b == times.end() || b->second <= 0) return;
        std::printf("ratio %s: %.2f (%s %.1f ms, %s %.1f ms; target <= %s)\n", what,
                    j->second / b->second, job_label, j->second, base_label, b->second, target);
    }

    std::map<std::string, double> times;

private:
    std::map<std::string, std::vector<double>> repetitions_;
};

// Opens a database file keyed as the layer keys it, with the settings the layer runs with, or
// nullptr. `create` makes a missing file.
inline sqlite3* open_raw(const QString& path, bool create) {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_key(db, platform::kDatabasePassword,
                static_cast<int>(sizeof(platform::kDatabasePassword) - 1));
    sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA cache_size=-32768", nullptr, nullptr, nullptr);
    return db;
}

// The raw read a list is measured against: prepare, step, and column_text of every field of
// every row. Returns the number of rows read.
inline int read_every_field(sqlite3* db, const char* sql) {
    qint64 bytes = 0;
    int rows = 0;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    const int fields = sqlite3_column_count(stmt);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        ++rows;
        for (int i = 0; i < fields; ++i) {
            const unsigned char* text = sqlite3_column_text(stmt, i);
            benchmark::DoNotOptimize(text);
            bytes += sqlite3_column_bytes(stmt, i);
        }
    }
    sqlite3_finalize(stmt);
    benchmark::DoNotOptimize(bytes);
    return rows;
}

// Rows as the raw side writes them back: each cell's text in UTF-8, empty for NULL.
using RawRows = std::vector<std::vector<QByteArray>>;

// The rows `sql` selects through the database layer, as cells for the raw side.
inline RawRows take_rows(platform::Connection& connection, const QString& sql) {
    RawRows out;
    for (const QStringList& row : platform::query_rows(connection, sql)) {
        std::vector<QByteArray> cells;
        for (const QString& cell : row) cells.push_back(cell.toUtf8());
        out.push_back(cells);
    }
    return out;
}

// "insert into <table> (<columns>) values (?,...)" prepared on `db`, or nullptr (the error
// printed).
inline sqlite3_stmt* prepare_insert(sqlite3* db, const char* table, const char* columns) {
    const int count = QByteArray(columns).count(',') + 1;
    std::string sql = std::string("insert into ") + table + " (" + columns + ") values (?";
    for (int i = 1; i < count; ++i) sql += ",?";
    sql += ")";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
    return stmt;
}

// Binds each row's cells (empty as NULL) and steps the statement; finalizes it. False when the
// statement is missing or a row was not written.
inline bool write_rows(sqlite3_stmt* stmt, const RawRows& rows) {
    bool ok = stmt != nullptr;
    for (const auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            const int at = static_cast<int>(i) + 1;
            if (row[i].isEmpty())
                sqlite3_bind_null(stmt, at);
            else
                sqlite3_bind_text(stmt, at, row[i].constData(), static_cast<int>(row[i].size()),
                                  SQLITE_STATIC);
        }
        ok = sqlite3_step(stmt) == SQLITE_DONE && ok;
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    return ok;
}

}  // namespace bench
