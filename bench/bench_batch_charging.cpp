// Batch charging of 20,000 households (one meter account of one reader each, two unpaid bills
// with one reading each) through run_batch_charging, against straight sqlite3 updates of the
// same bill and reading rows (prepared, one transaction), measured in the same run. Prints the
// ratio batch/raw; the target is at most 5.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "bench_common.h"
#include "charging/batch_charging.h"
#include "harness/fixture.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/files.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace {

constexpr int kHouseholds = 20000;

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

QByteArray household_number(int i) {
    return QStringLiteral("H%1").arg(i, 5, 10, QLatin1Char('0')).toUtf8();
}

bool seed(platform::Connection& c) {
    sqlite3* db = platform::db_handle(c);
    exec(db, "BEGIN");
    sqlite3_stmt *household = nullptr, *meter = nullptr, *bill = nullptr, *reading = nullptr;
    sqlite3_prepare_v2(
        db, "insert into 用户信息表 (户号,父号,用户名,居住街道) values (?,'0','户','东区')", -1,
        &household, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 用户表管理 (户号,父号,收费项目,抄表人员,状态) values "
                       "(?,?,'水费','张三','正常')",
                       -1, &meter, nullptr);
    sqlite3_prepare_v2(
        db,
        "insert into 总收费 (户号,收据号,标志,收费标志,收费人员,收费项目,抄表日期,收费日期,"
        "应收金额,实收金额,上月接转,本月接转,滞纳金,减免金额,预存扣款) values "
        "(?,?,1,1,'未知','水费','2024-03-01','2024-03-01',12.5,12.5,0,0,0,0,0)",
        -1, &bill, nullptr);
    sqlite3_prepare_v2(
        db,
        "insert into 抄表总表 (户号,父号,起方,止方,用量,实收量,价格,抄表日期,收费项目,"
        "是否收费,收据号) values (?,?,0,5,5,5,2.5,'2024-03-01','水费',1,?)",
        -1, &reading, nullptr);
    for (int i = 1; i <= kHouseholds; ++i) {
        const QByteArray h = household_number(i), m = h + "01";
        sqlite3_bind_text(household, 1, h.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(household);
        sqlite3_reset(household);
        sqlite3_bind_text(meter, 1, m.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(meter, 2, h.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(meter);
        sqlite3_reset(meter);
        for (int k = 0; k < 2; ++k) {
            const qint64 receipt = 2LL * i + k;
            sqlite3_bind_text(bill, 1, m.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(bill, 2, receipt);
            sqlite3_step(bill);
            sqlite3_reset(bill);
            sqlite3_bind_text(reading, 1, m.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(reading, 2, h.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(reading, 3, receipt);
            sqlite3_step(reading);
            sqlite3_reset(reading);
        }
    }
    for (sqlite3_stmt* stmt : {household, meter, bill, reading}) sqlite3_finalize(stmt);
    return exec(db, "COMMIT");
}

void reset(platform::Connection& c) {
    sqlite3* db = platform::db_handle(c);
    exec(db, "BEGIN");
    exec(db, "update 总收费 set 收费标志=1,收费人员='未知',收费日期='2024-03-01',流水号=null");
    exec(db, "update 抄表总表 set 流水号=null");
    exec(db, "delete from 日志管理");
    exec(db, "COMMIT");
}

void BM_BatchCharging(benchmark::State& state) {
    platform::Connection& c = store::main_connection();
    for (auto _ : state) {
        state.PauseTiming();
        reset(c);
        state.ResumeTiming();
        const charging::BatchRunOutcome out = charging::run_batch_charging(
            c, {QStringLiteral("张三"), QString(), QStringLiteral("王收")}, platform::today());
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
        exec(db, "BEGIN");
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
        if (!exec(db, "COMMIT")) state.SkipWithError("commit failed");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds);
}

BENCHMARK(BM_BatchCharging)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_RawUpdates)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("program"));
    harness::lay_out_program_folder(folder);
    platform::set_program_directory_for_tests(folder);
    if (!store::open_main_database() || !seed(store::main_connection())) {
        std::fprintf(stderr, "could not prepare the database\n");
        return 1;
    }
    platform::set_clock_for_tests(QDateTime(QDate(2024, 3, 20), QTime(9, 0)));
    shell::load_system_parameters();
    shell::system_parameters.late_fee_enabled = QStringLiteral("关闭");
    shell::system_parameters.payment_serial_digits = 9;
    shell::current_operator = QStringLiteral("管理员");

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("batch charging", "BM_BatchCharging/iterations:2/real_time", "batch",
                         "BM_RawUpdates/iterations:2/real_time", "raw updates", "5");
    store::close_main_database();
    benchmark::Shutdown();
    return 0;
}
