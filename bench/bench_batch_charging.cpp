// Batch charging of 20,000 households (one meter account of one reader each, two unpaid bills
// with one reading each) through run_batch_charging, against straight sqlite3 updates of the
// same bill and reading rows (prepared, one transaction), measured in the same run. Prints the
// ratio batch/raw; the target is at most 5.
#include <QCoreApplication>
#include <cstdio>

#include "bench_program.h"
#include "charging/batch_charging.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace {

constexpr int kHouseholds = 20000;

bool seed(platform::Connection& c) {
    return bench::seed_unpaid_bills(platform::db_handle(c), kHouseholds);
}

void reset(platform::Connection& c) {
    sqlite3* db = platform::db_handle(c);
    bench::exec_raw(db, "BEGIN");
    bench::exec_raw(
        db, "update 总收费 set 收费标志=1,收费人员='未知',收费日期='2024-03-01',流水号=null");
    bench::exec_raw(db, "update 抄表总表 set 流水号=null");
    bench::exec_raw(db, "delete from 日志管理");
    bench::exec_raw(db, "COMMIT");
}

void BM_BatchCharging(benchmark::State& state) {
    platform::Connection& c = store::main_connection();
    for (auto _ : state) {
        state.PauseTiming();
        reset(c);
        state.ResumeTiming();
        const charging::BatchRunOutcome out = charging::run_batch_charging(
            c, {QStringLiteral("张三"), QString(), QStringLiteral("王收")},
            shell::program_context());
        if (out.batch.households_charged != kHouseholds || out.batch.bills_paid != 2 * kHouseholds)
            state.SkipWithError("the run failed");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds);
}

// The same rows paid by hand: each household's two bills and their readings updated with the
// household's serial, in one transaction.
void BM_RawUpdates(benchmark::State& state) {
    platform::Connection& c = store::main_connection();
    sqlite3* db = platform::db_handle(c);
    for (auto _ : state) {
        state.PauseTiming();
        reset(c);
        state.ResumeTiming();
        bench::exec_raw(db, "BEGIN");
        sqlite3_stmt *bill = nullptr, *reading = nullptr;
        sqlite3_prepare_v2(
            db,
            "update 总收费 set 收费标志=0,收费人员='王收',收费日期='2024-03-20',流水号=? "
            "where 收据号=?",
            -1, &bill, nullptr);
        sqlite3_prepare_v2(db, "update 抄表总表 set 流水号=? where 收据号=?", -1, &reading,
                           nullptr);
        for (int i = 1; i <= kHouseholds; ++i) {
            const qint64 serial = 1000000000LL + i;
            for (int k = 0; k < 2; ++k) {
                for (sqlite3_stmt* stmt : {bill, reading}) {
                    sqlite3_bind_int64(stmt, 1, serial);
                    sqlite3_bind_int64(stmt, 2, 2LL * i + k);
                    sqlite3_step(stmt);
                    sqlite3_reset(stmt);
                }
            }
        }
        sqlite3_finalize(bill);
        sqlite3_finalize(reading);
        if (!bench::exec_raw(db, "COMMIT")) state.SkipWithError("commit failed");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds);
}

BENCHMARK(BM_BatchCharging)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_RawUpdates)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::ProgramFolder folder(QStringLiteral("program"));
    if (!store::open_main_database() || !seed(store::main_connection()))
        return folder.cannot_prepare();
    bench::start_charging_day();

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("batch charging", "BM_BatchCharging/iterations:2/real_time", "batch",
                         "BM_RawUpdates/iterations:2/real_time", "raw updates", "5");
    benchmark::Shutdown();
    return 0;
}
