// Settling bills from prepaid balances for 20,000 households (one meter account each, two unpaid
// bills of 12.50 booked under it, prepayments of 20.00, so the first bill is settled and the
// second is not) through pay_all_households_from_prepayments, the run the balance page's 执行扣款
// and batch charging start, against a competent raw run of the same work with prepared sqlite3
// statements in one transaction: the prepayments from one grouped query, each household's
// deductions and unpaid bills by the index range of its prefix, a new serial per settled bill, the
// bill and its readings updated. Prints the ratio run/raw; the target is at most 5.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_common.h"
#include "charging/prepay_settlement.h"
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
    sqlite3_stmt *household = nullptr, *meter = nullptr, *bill = nullptr, *reading = nullptr,
                 *prepayment = nullptr;
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
    sqlite3_prepare_v2(db,
                       "insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志,"
                       "抄表户号) values (?,?,20,'2024-03-01','李四','',1,'')",
                       -1, &prepayment, nullptr);
    for (int i = 1; i <= kHouseholds; ++i) {
        const QByteArray h = household_number(i), m = h + "01";
        sqlite3_bind_text(household, 1, h.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(household);
        sqlite3_reset(household);
        sqlite3_bind_text(meter, 1, m.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(meter, 2, h.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(meter);
        sqlite3_reset(meter);
        sqlite3_bind_int64(prepayment, 1, 1000000000LL + i);
        sqlite3_bind_text(prepayment, 2, h.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(prepayment);
        sqlite3_reset(prepayment);
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
    for (sqlite3_stmt* stmt : {household, meter, bill, reading, prepayment}) sqlite3_finalize(stmt);
    return exec(db, "COMMIT");
}

void reset(platform::Connection& c) {
    sqlite3* db = platform::db_handle(c);
    exec(db, "BEGIN");
    exec(db,
         "update 总收费 set 收费标志=1,实收金额=12.5,预存扣款=0,收费人员='未知',"
         "收费日期='2024-03-01',流水号=null");
    exec(db, "update 抄表总表 set 流水号=null");
    exec(db, "COMMIT");
}

void BM_Settlement(benchmark::State& state) {
    platform::Connection& c = store::main_connection();
    for (auto _ : state) {
        state.PauseTiming();
        reset(c);
        state.ResumeTiming();
        const charging::SettlementOutcome out =
            charging::pay_all_households_from_prepayments(c, platform::today());
        if (!out.completed || out.settled.size() != static_cast<size_t>(kHouseholds))
            state.SkipWithError("the run failed");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds);
}

void BM_RawSettlement(benchmark::State& state) {
    platform::Connection& c = store::main_connection();
    sqlite3* db = platform::db_handle(c);
    for (auto _ : state) {
        state.PauseTiming();
        reset(c);
        state.ResumeTiming();
        exec(db, "BEGIN");
        sqlite3_stmt *balances = nullptr, *taken = nullptr, *bills = nullptr, *top = nullptr,
                     *bill = nullptr, *reading = nullptr;
        sqlite3_prepare_v2(db,
                           "select 户号, sum(预存金额) from 预存明细 where 标志=1 group by 户号",
                           -1, &balances, nullptr);
        // A household's own bills and its meter accounts': the index range of its prefix.
        sqlite3_prepare_v2(db,
                           "select ifnull(sum(预存扣款),0) from 总收费 where 户号>=?1 and 户号<?2 "
                           "and 标志=1",
                           -1, &taken, nullptr);
        sqlite3_prepare_v2(db,
                           "select 实收金额,收据号,预存扣款 from 总收费 where 户号>=?1 and 户号<?2 "
                           "and 标志=1 and 收费标志=1",
                           -1, &bills, nullptr);
        sqlite3_prepare_v2(db, "select max(流水号) from 总收费", -1, &top, nullptr);
        sqlite3_prepare_v2(db,
                           "update 总收费 set 收费标志=0,实收金额=0,预存扣款=?,收费人员='预存扣款',"
                           "收费日期='2024-03-20',流水号=? where 收据号=?",
                           -1, &bill, nullptr);
        sqlite3_prepare_v2(db, "update 抄表总表 set 流水号=? where 收据号=?", -1, &reading,
                           nullptr);
        int settled = 0;
        while (sqlite3_step(balances) == SQLITE_ROW) {
            const std::string h = reinterpret_cast<const char*>(sqlite3_column_text(balances, 0));
            const std::string past = h + "\xff";
            sqlite3_bind_text(taken, 1, h.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(taken, 2, past.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(taken);
            double balance = sqlite3_column_double(balances, 1) - sqlite3_column_double(taken, 0);
            sqlite3_reset(taken);
            if (balance <= 0) continue;
            sqlite3_bind_text(bills, 1, h.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(bills, 2, past.c_str(), -1, SQLITE_TRANSIENT);
            struct Row {
                double due, prepaid;
                qint64 number;
            };
            std::vector<Row> rows;
            while (sqlite3_step(bills) == SQLITE_ROW)
                rows.push_back({sqlite3_column_double(bills, 0), sqlite3_column_double(bills, 2),
                                sqlite3_column_int64(bills, 1)});
            sqlite3_reset(bills);
            for (const Row& r : rows) {
                if (balance - r.due < -1e-7) break;
                sqlite3_step(top);
                const qint64 largest = sqlite3_column_int64(top, 0);
                sqlite3_reset(top);
                const qint64 serial = (largest == 0 ? 1000000000LL : largest) + 1;
                sqlite3_bind_double(bill, 1, r.prepaid + r.due);
                sqlite3_bind_int64(bill, 2, serial);
                sqlite3_bind_int64(bill, 3, r.number);
                sqlite3_step(bill);
                sqlite3_reset(bill);
                sqlite3_bind_int64(reading, 1, serial);
                sqlite3_bind_int64(reading, 2, r.number);
                sqlite3_step(reading);
                sqlite3_reset(reading);
                balance -= r.due;
                ++settled;
            }
        }
        for (sqlite3_stmt* stmt : {balances, taken, bills, top, bill, reading})
            sqlite3_finalize(stmt);
        if (!exec(db, "COMMIT") || settled != kHouseholds) state.SkipWithError("raw run failed");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds);
}

BENCHMARK(BM_Settlement)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_RawSettlement)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

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
    reporter.print_ratio("settling from balances", "BM_Settlement/iterations:2/real_time", "run",
                         "BM_RawSettlement/iterations:2/real_time", "raw", "5");
    store::close_main_database();
    benchmark::Shutdown();
    return 0;
}
