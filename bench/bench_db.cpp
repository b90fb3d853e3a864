// The database layer against raw SQLCipher on the same keyed file format, in the same run:
// 100,000 inserts in one transaction (db_execute vs sqlite3_exec of the same texts), and reading
// a 100,000-row record set field by field as text (recordset_open vs prepare/step/column_text).
// Prints each ratio layer/raw; the target is at most 1.5.
#include <sqlcipher/sqlite3.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "bench_common.h"
#include "platform/db.h"

namespace {

using bench::open_raw;

constexpr int kRows = 100000;

const char kSchema[] =
    "CREATE TABLE 抄表记录 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 户号 TEXT COLLATE NOCASE,"
    " 用户名 TEXT COLLATE NOCASE, 抄表日期 DATE, 用量 REAL, 金额 REAL, 标志 INTEGER,"
    " 备注 TEXT COLLATE NOCASE)";

QTemporaryDir* g_dir = nullptr;
std::vector<QString> g_layer_texts;
std::vector<std::string> g_raw_texts;
QString g_read_path;

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
    for (auto _ : state) bench::read_every_field(db, "select * from 抄表记录");
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_InsertLayer)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_InsertRaw)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_ReadLayer)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_ReadRaw)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

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
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("insert", "BM_InsertLayer/iterations:3/real_time", "layer",
                         "BM_InsertRaw/iterations:3/real_time", "raw", "1.5");
    reporter.print_ratio("read", "BM_ReadLayer/iterations:10/real_time", "layer",
                         "BM_ReadRaw/iterations:10/real_time", "raw", "1.5");
    benchmark::Shutdown();
    return 0;
}
