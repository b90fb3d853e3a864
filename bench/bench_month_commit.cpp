// The month's commit: 20,000 households with two fee items each (40,000 pending readings of
// 水费 with a per-unit surcharge and 电费 at a plain price) moved into the history, run through
// the reduction pass and billed by the charge engine per fee item, exactly as the 抄表入库 button
// does it, against straight sqlite3 statements writing the same resulting rows in one
// transaction: the history rows as they end up (billed), the emptied batch, the bills and their
// surcharge lines. Both sides start from the same pending batch. Prints the ratio commit/raw;
// the target is at most 3.
#include <QCoreApplication>
#include <cstdio>
#include <vector>

#include "bench_program.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "reading/monthly_commit.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace {

constexpr int kHouseholds = 20000;

// The pending batch is kept in a table of its own and laid into 抄表管理 before every run.
bool seed(platform::Connection& c) {
    sqlite3* db = platform::db_handle(c);
    bench::exec_raw(db, "BEGIN");
    bench::exec_raw(db,
                    "insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
                    "(5,'居民','水费',2.5,0,0),(6,'商业','电费',0.6,0,0)");
    bench::exec_raw(db,
                    "insert into 附加费 (附加费名称,价格,计费方式,水价类别,收费项目) values "
                    "('污水费',0.8,'按用量','居民','水费')");
    bench::exec_raw(db, "create table 待入库 as select * from 抄表管理 where 0");
    sqlite3_stmt* pending = nullptr;
    sqlite3_prepare_v2(
        db,
        "insert into 待入库 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
        "抄表人员,价格) values (?,?,?,?,?,0,'2024-03-05',?,?,'张三',?)",
        -1, &pending, nullptr);
    for (int i = 1; i <= kHouseholds; ++i) {
        const QByteArray h = bench::household_code(i);
        const QByteArray water = h + "01", power = h + "02";
        const double start = 100 + i % 500;
        const double usage = 5 + i % 31;
        const struct {
            const QByteArray& meter;
            const char* item;
            const char* category;
            double usage, price;
        } rows[] = {{water, "水费", "居民", usage, 2.5}, {power, "电费", "商业", usage * 7.3, 0.6}};
        for (const auto& r : rows) {
            sqlite3_bind_text(pending, 1, r.meter.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(pending, 2, h.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(pending, 3, start);
            sqlite3_bind_double(pending, 4, start + r.usage);
            sqlite3_bind_double(pending, 5, r.usage);
            sqlite3_bind_text(pending, 6, r.item, -1, SQLITE_STATIC);
            sqlite3_bind_text(pending, 7, r.category, -1, SQLITE_STATIC);
            sqlite3_bind_double(pending, 8, r.price);
            sqlite3_step(pending);
            sqlite3_reset(pending);
        }
    }
    sqlite3_finalize(pending);
    return bench::exec_raw(db, "COMMIT");
}

// Back to the month before the commit: no history, no bills, the batch pending.
void reset(platform::Connection& c) {
    sqlite3* db = platform::db_handle(c);
    bench::exec_raw(db, "BEGIN");
    bench::exec_raw(db, "delete from 抄表总表");
    bench::exec_raw(db, "delete from sqlite_sequence where name='抄表总表'");
    bench::exec_raw(db, "delete from 总收费");
    bench::exec_raw(db, "delete from 月附加费");
    bench::exec_raw(db, "delete from 减免明细");
    bench::exec_raw(db, "delete from 抄表管理");
    bench::exec_raw(db, "insert into 抄表管理 select * from 待入库");
    bench::exec_raw(db, "COMMIT");
}

using Rows = bench::RawRows;
struct Written {
    Rows history, bills, lines;
} g_written;

const char kHistoryColumns[] =
    "编号,户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,抄表人员,是否收费,收据号,流水号,"
    "价格,实收量";
const char kBillColumns[] =
    "户号,收据号,流水号,标志,收费标志,收费项目,价格类别,抄表人员,抄表日期,收费日期,收费人员,实收量,"
    "价格,水费金额,附加费金额,成本金额,差额,应收金额,减免金额,减免用量,上月接转,本月接转,实收金额,"
    "预存扣款,滞纳金,水损";
const char kLineColumns[] =
    "户号,附加费名称,用量,价格,金额,收费日期,收据号,收费标志,收费项目,价格类别";

void capture(platform::Connection& c) {
    const auto take = [&](const char* columns, const char* table) {
        return bench::take_rows(c, QStringLiteral("select %1 from %2")
                                       .arg(QString::fromUtf8(columns), QString::fromUtf8(table)));
    };
    g_written.history = take(kHistoryColumns, "抄表总表");
    g_written.bills = take(kBillColumns, "总收费");
    g_written.lines = take(kLineColumns, "月附加费");
}

void BM_RawRows(benchmark::State& state) {
    platform::Connection& c = store::main_connection();
    sqlite3* db = platform::db_handle(c);
    for (auto _ : state) {
        state.PauseTiming();
        reset(c);
        state.ResumeTiming();
        bench::exec_raw(db, "BEGIN");
        bench::write_rows(bench::prepare_insert(db, "抄表总表", kHistoryColumns),
                          g_written.history);
        bench::exec_raw(db, "delete from 抄表管理");
        bench::write_rows(bench::prepare_insert(db, "总收费", kBillColumns), g_written.bills);
        bench::write_rows(bench::prepare_insert(db, "月附加费", kLineColumns), g_written.lines);
        if (!bench::exec_raw(db, "COMMIT")) state.SkipWithError("commit failed");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds * 2);
}

void BM_MonthCommit(benchmark::State& state) {
    platform::Connection& c = store::main_connection();
    for (auto _ : state) {
        state.PauseTiming();
        reset(c);
        state.ResumeTiming();
        const reading::CommitOutcome out = reading::commit_month(c, shell::program_context());
        if (!out.moved || out.bills_written != kHouseholds * 2)
            state.SkipWithError("the commit failed");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds * 2);
}

BENCHMARK(BM_MonthCommit)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_RawRows)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::ProgramFolder folder(QStringLiteral("program"));
    if (!store::open_main_database() || !seed(store::main_connection()))
        return folder.cannot_prepare();
    store::bind_main_record_sets();
    platform::set_clock_for_tests(QDateTime(QDate(2024, 3, 20), QTime(9, 0)));
    shell::load_system_parameters();
    // The raw side writes what one commit wrote.
    reset(store::main_connection());
    const reading::CommitOutcome first =
        reading::commit_month(store::main_connection(), shell::program_context());
    if (!first.moved || first.bills_written != kHouseholds * 2) {
        std::fprintf(stderr, "the first commit billed %d of %d\n", first.bills_written,
                     kHouseholds * 2);
        return 1;
    }
    capture(store::main_connection());

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("month commit", "BM_MonthCommit/iterations:2/real_time", "commit",
                         "BM_RawRows/iterations:2/real_time", "raw rows", "3");
    benchmark::Shutdown();
    return 0;
}
