// The database layer against raw SQLCipher on the same keyed file format, in the same run:
// 100,000 inserts in one transaction (db_execute vs sqlite3_exec of the same texts), and reading
// a 100,000-row record set field by field as text (recordset_open vs prepare/step/column_text).
// Prints each ratio layer/raw; the target is at most 1.5.
#include <benchmark/benchmark.h>
#include <sqlcipher/sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/db.h"

namespace {

constexpr int kRows = 100000;

const char kSchema[] =
    "CREATE TABLE 抄表记录 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 户号 TEXT COLLATE NOCASE,"
    " 用户名 TEXT COLLATE NOCASE, 抄表日期 DATE, 用量 REAL, 金额 REAL, 标志 INTEGER,"
    " 备注 TEXT COLLATE NOCASE)";

QTemporaryDir* g_dir = nullptr;
std::vector<QString> g_layer_texts;
std::vector<std::string> g_raw_texts;
QString g_read_path;

sqlite3* open_raw(const QString& path, bool create) {
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr) != SQLITE_OK)
        return nullptr;
    sqlite3_key(db, platform::kDatabasePassword,
                static_cast<int>(sizeof(platform::kDatabasePassword) - 1));
    // The same settings the layer runs with.
    sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    return db;
}

QString fresh_database() {
    static int serial = 0;
    const QString path = g_dir->filePath(QStringLiteral("bench%1.mdb").arg(++serial));
    sqlite3* db = open_raw(path, true);
    sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

// Statements as the program writes them: values joined into the text, the date unpadded.
void make_statements() {
    for (int i = 0; i < kRows; ++i) {
        const QString text =
            QStringLiteral(
                "insert into 抄表记录 (户号,用户名,抄表日期,用量,金额,标志,备注) values "
                "('%1','用户%2','2024-%3-%4',%5,%6,%7,'第%8行')")
                .arg(i, 6, 10, QLatin1Char('0'))
                .arg(i)
                .arg(i % 12 + 1)
                .arg(i % 28 + 1)
                .arg(i % 1000 / 10.0)
                .arg(i % 777 * 1.25)
                .arg(i % 2)
                .arg(i);
        g_layer_texts.push_back(text);
        g_raw_texts.push_back(text.toStdString());
    }
}

void BM_InsertLayer(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = fresh_database();
        platform::Connection conn;
        platform::db_open_access_file(conn, path);
        state.ResumeTiming();
        {
            platform::Transaction tx(conn);
            for (const QString& text : g_layer_texts)
                if (!platform::db_execute(conn, text)) state.SkipWithError("insert failed");
            tx.commit();
        }
        state.PauseTiming();
        platform::db_close(conn);
        QFile::remove(path);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_InsertRaw(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const QString path = fresh_database();
        sqlite3* db = open_raw(path, false);
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (const std::string& text : g_raw_texts)
            if (sqlite3_exec(db, text.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
                state.SkipWithError("insert failed");
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        state.PauseTiming();
        sqlite3_close(db);
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_ReadLayer(benchmark::State& state) {
    platform::Connection conn;
    platform::db_open_access_file(conn, g_read_path);
    platform::RecordSet rs;
    platform::recordset_bind_connection(rs, conn);
    for (auto _ : state) {
        qint64 chars = 0;
        if (!platform::recordset_open(rs, QStringLiteral("select * from 抄表记录")))
            state.SkipWithError("open failed");
        const int fields = platform::recordset_field_count(rs);
        for (; !platform::recordset_eof(rs); platform::recordset_move_next(rs))
            for (int i = 0; i < fields; ++i) chars += platform::recordset_field_text(rs, i).size();
        platform::recordset_close(rs);
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_ReadRaw(benchmark::State& state) {
    sqlite3* db = open_raw(g_read_path, false);
    for (auto _ : state) {
        qint64 chars = 0;
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, "select * from 抄表记录", -1, &stmt, nullptr);
        const int fields = sqlite3_column_count(stmt);
        while (sqlite3_step(stmt) == SQLITE_ROW)
            for (int i = 0; i < fields; ++i) {
                const unsigned char* text = sqlite3_column_text(stmt, i);
                benchmark::DoNotOptimize(text);
                chars += sqlite3_column_bytes(stmt, i);
            }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(chars);
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_InsertLayer)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_InsertRaw)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ReadLayer)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_ReadRaw)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

// Keeps the time per iteration of every run, so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    make_statements();
    // The database the reads run on: the rows the inserts make.
    g_read_path = fresh_database();
    {
        sqlite3* db = open_raw(g_read_path, false);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        platform::SchemaFacts facts;
        facts.add_column(QStringLiteral("抄表记录"), QStringLiteral("抄表日期"),
                         QStringLiteral("DATE"));
        for (const QString& text : g_layer_texts) {
            const platform::JetStatement st = platform::translate_jet_statement(text, facts);
            sqlite3_exec(db, st.sql.c_str(), nullptr, nullptr, nullptr);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&reporter](const char* what, const char* layer, const char* raw) {
        const auto l = reporter.times.find(layer), r = reporter.times.find(raw);
        if (l == reporter.times.end() || r == reporter.times.end() || r->second <= 0) return;
        std::printf("ratio %s: %.2f (layer %.1f ms, raw %.1f ms; target <= 1.5)\n", what,
                    l->second / r->second, l->second, r->second);
    };
    ratio("insert", "BM_InsertLayer/iterations:3/real_time", "BM_InsertRaw/iterations:3/real_time");
    ratio("read", "BM_ReadLayer/iterations:10/real_time", "BM_ReadRaw/iterations:10/real_time");
    benchmark::Shutdown();
    return 0;
}
