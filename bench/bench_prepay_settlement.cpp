// Settling bills from prepaid balances for 20,000 households (one meter account each, two unpaid
// bills of 12.50 booked under it, prepayments of 20.00, so the first bill is settled and the
// second is not) through pay_all_households_from_prepayments, the run the balance page's 执行扣款
// and batch charging start, against a competent raw run of the same work with prepared sqlite3
// statements in one transaction: the prepayments from one grouped query, each household's
// deductions and unpaid bills by the index range of its prefix, a new serial per settled bill, the
// bill and its readings updated. Prints the ratio run/raw; the target is at most 5.
#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_program.h"
#include "charging/prepay_settlement.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace {

constexpr int kHouseholds = 20000;

// Each household also prepaid 20.00 (receipt 1000000000+i).
bool seed(platform::Connection& c) {
    sqlite3* db = platform::db_handle(c);
    sqlite3_stmt* prepayment = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志,"
                       "抄表户号) values (?,?,20,'2024-03-01','李四','',1,'')",
                       -1, &prepayment, nullptr);
    const bool ok =
        bench::seed_unpaid_bills(db, kHouseholds, [&](int i, const QByteArray& household) {
            sqlite3_bind_int64(prepayment, 1, 1000000000LL + i);
            sqlite3_bind_text(prepayment, 2, household.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_step(prepayment);
            sqlite3_reset(prepayment);
        });
    sqlite3_finalize(prepayment);
    return ok;
}

void reset(platform::Connection& c) {
    sqlite3* db = platform::db_handle(c);
    bench::exec_raw(db, "BEGIN");
    bench::exec_raw(db,
                    "update 总收费 set 收费标志=1,实收金额=12.5,预存扣款=0,收费人员='未知',"
                    "收费日期='2024-03-01',流水号=null");
    bench::exec_raw(db, "update 抄表总表 set 流水号=null");
    bench::exec_raw(db, "COMMIT");
}

void BM_Settlement(benchmark::State& state) {
    platform::Connection& c = store::main_connection();
    for (auto _ : state) {
        state.PauseTiming();
        reset(c);
        state.ResumeTiming();
        const charging::SettlementOutcome out =
            charging::pay_all_households_from_prepayments(c, shell::program_context());
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
        bench::exec_raw(db, "BEGIN");
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
        if (!bench::exec_raw(db, "COMMIT") || settled != kHouseholds)
            state.SkipWithError("raw run failed");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds);
}

BENCHMARK(BM_Settlement)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_RawSettlement)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

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
    reporter.print_ratio("settling from balances", "BM_Settlement/iterations:2/real_time", "run",
                         "BM_RawSettlement/iterations:2/real_time", "raw", "5");
    benchmark::Shutdown();
    return 0;
}
