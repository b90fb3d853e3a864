// Moving a meter account to a place of its reader's walk ("移动到.."): the last account of a walk
// of N accounts to place 1, so every other account is renumbered. The move runs a fixed number
// of set-based statements, so its cost follows the raw cost of renumbering N rows: the ratio
// stays the same at 1,000 and at 200,000 accounts. The raw side is the least a renumbering of a
// gap-free walk costs: one UPDATE shifting the others by one and one placing the moved account,
// in one transaction, on the same keyed file.
#include <QCoreApplication>
#include <QTemporaryDir>

#include "bench_common.h"
#include "harness/file_helpers.h"
#include "households/reading_order.h"
#include "platform/query.h"

namespace {

QTemporaryDir* g_dir = nullptr;

QString database_of(int accounts) {
    const QString path = g_dir->filePath(QStringLiteral("walk%1.mdb").arg(accounts));
    if (QFile::exists(path)) return path;
    QStringList statements{QStringLiteral(
        "CREATE TABLE 用户表管理 (户号 TEXT COLLATE NOCASE, 收费项目 TEXT COLLATE NOCASE, 价格类别 "
        "TEXT COLLATE NOCASE, 开始起数 REAL, 抄表人员 TEXT COLLATE NOCASE, 倍率 INTEGER, 计量编号 "
        "TEXT COLLATE NOCASE, 抄表序号 INTEGER, 建表时间 DATE, 父号 TEXT COLLATE NOCASE, 状态 TEXT "
        "COLLATE NOCASE, 编号 INTEGER PRIMARY KEY AUTOINCREMENT)")};
    statements << QStringLiteral("BEGIN");
    for (int n = 1; n <= accounts; ++n)
        statements << QStringLiteral(
                          "INSERT INTO 用户表管理 (户号,收费项目,价格类别,抄表人员,抄表序号,父号,状态) "
                          "VALUES ('%1','水费','民用水','张师傅',%2,'%3','正常')")
                          .arg(n * 100 + 1)
                          .arg(n)
                          .arg(n);
    statements << QStringLiteral("COMMIT");
    harness::write_database(path, QByteArray(platform::kDatabasePassword), statements);
    return path;
}

void BM_MoveToLayer(benchmark::State& state) {
    const int accounts = static_cast<int>(state.range(0));
    platform::Connection conn;
    platform::db_open_access_file(conn, database_of(accounts));
    for (auto _ : state) {
        state.PauseTiming();
        const qint64 last = platform::query_integer(
            conn, QStringLiteral("select 编号 from 用户表管理 where 抄表序号=%1").arg(accounts));
        state.ResumeTiming();
        if (!households::move_meter_to_place(conn, last, QStringLiteral("1")).moved)
            state.SkipWithError("move failed");
    }
    state.SetItemsProcessed(state.iterations() * accounts);
}

void BM_MoveToRaw(benchmark::State& state) {
    const int accounts = static_cast<int>(state.range(0));
    sqlite3* db = bench::open_raw(database_of(accounts), false);
    for (auto _ : state) {
        state.PauseTiming();
        qint64 last = 0;
        sqlite3_stmt* find = nullptr;
        sqlite3_prepare_v2(db, "SELECT 编号 FROM 用户表管理 WHERE 抄表序号=?", -1, &find, nullptr);
        sqlite3_bind_int(find, 1, accounts);
        if (sqlite3_step(find) == SQLITE_ROW) last = sqlite3_column_int64(find, 0);
        sqlite3_finalize(find);
        const QByteArray shift =
            QStringLiteral("UPDATE 用户表管理 SET 抄表序号=抄表序号+1 WHERE 抄表人员='张师傅' AND "
                           "编号<>%1 AND 抄表序号>=1")
                .arg(last)
                .toUtf8();
        const QByteArray place =
            QStringLiteral("UPDATE 用户表管理 SET 抄表序号=1 WHERE 编号=%1").arg(last).toUtf8();
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_exec(db, place.constData(), nullptr, nullptr, nullptr);
        sqlite3_exec(db, shift.constData(), nullptr, nullptr, nullptr);
        if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            state.SkipWithError("raw move failed");
    }
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * accounts);
}

BENCHMARK(BM_MoveToLayer)->Arg(1000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_MoveToRaw)->Arg(1000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* n : {"1000", "200000"}) {
        const std::string suffix = std::string("/") + n + "/iterations:5/real_time";
        reporter.print_ratio((std::string("move to, ") + n + " accounts").c_str(),
                             "BM_MoveToLayer" + suffix, "move", "BM_MoveToRaw" + suffix, "raw",
                             "1.5");
    }
    benchmark::Shutdown();
    return 0;
}
