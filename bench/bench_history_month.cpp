// The month's work after a year of history (bench_history.h), in the register of 1,000 and of
// 200,000 households: batch charging of reader 张三's households (their December bills), the
// 抄表入库 of January (every household's reading pending), and the bill run of those readings
// alone. Each runs the function its window runs, and against it the raw statements that write
// the same resulting rows (prepared, bound, one transaction) on a second copy of the register in
// the same state. Prints each job's ratio to its raw writes at both sizes and of 200,000 to 1,000.
#include <QCoreApplication>
#include <cstdio>
#include <vector>

#include "bench_history.h"
#include "bench_register.h"
#include "charging/batch_charging.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "reading/monthly_commit.h"
#include "shell/program_state.h"
#include "shell/session.h"
#include "tariffs/charge_engine.h"

namespace {

using namespace bench::history;
using Rows = bench::RawRows;

Registers* g_registers = nullptr;

int size_of(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

#define ON_REGISTER(state, copy)                         \
    if (!g_registers->use(size_of(state), copy)) {       \
        state.SkipWithError("cannot open the register"); \
        return;                                          \
    }

sqlite3* raw() { return platform::db_handle(store::main_connection()); }
bool exec(const std::string& sql) { return bench::raw_exec(sql.c_str()); }

// The rows of a year: everything numbered above them is this month's.
qint64 year_rows(int n) { return static_cast<qint64>(kMonths) * n; }
qint64 last_year_receipt(int n) { return receipt(n, n, kMonths); }

Rows take(const std::string& sql) {
    return bench::take_rows(store::main_connection(), QString::fromStdString(sql));
}

sqlite3_stmt* prepare(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(raw(), sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(raw()));
    return stmt;
}

// ---- batch charging ----

// December's bills unpaid again, as the register was built.
void unpay_december(int n) {
    const std::string range = " between " + std::to_string(receipt(n, 1, kMonths)) + " and " +
                              std::to_string(last_year_receipt(n));
    exec("BEGIN");
    exec(
        "update 总收费 set 收费标志=1,流水号=null,收费人员='',收费日期='2023-12-06',发票号='' "
        "where 收据号" +
        range);
    exec("update 抄表总表 set 流水号=null where 收据号" + range);
    exec("COMMIT");
}

void BM_BatchCharging(benchmark::State& state) {
    ON_REGISTER(state, 'a');
    const int n = size_of(state);
    for (auto _ : state) {
        const charging::BatchRunOutcome out = charging::run_batch_charging(
            store::main_connection(),
            {QStringLiteral("张三"), QString(), QStringLiteral("收费员甲")},
            shell::program_context());
        if (out.batch.households_charged != (n + 1) / 2) state.SkipWithError("the run failed");
    }
    unpay_december(n);
}

// The same bills paid by hand: each household's bill and its reading under its own serial.
void BM_BatchChargingRaw(benchmark::State& state) {
    ON_REGISTER(state, 'a');
    const int n = size_of(state);
    for (auto _ : state) {
        exec("BEGIN");
        sqlite3_stmt* bill = prepare(
            "update 总收费 set 收费标志=0,收费人员='收费员甲',收费日期='2024-01-20',流水号=? "
            "where 收据号=? and 收费标志=1");
        sqlite3_stmt* reading = prepare("update 抄表总表 set 流水号=? where 收据号=?");
        qint64 s = serial(n, n, kMonths) + 1;
        for (int i = 1; i <= n; i += 2, ++s)
            for (sqlite3_stmt* stmt : {bill, reading}) {
                sqlite3_bind_int64(stmt, 1, s);
                sqlite3_bind_int64(stmt, 2, receipt(n, i, kMonths));
                sqlite3_step(stmt);
                sqlite3_reset(stmt);
            }
        sqlite3_finalize(bill);
        sqlite3_finalize(reading);
        if (!exec("COMMIT")) state.SkipWithError("commit failed");
    }
    unpay_december(n);
}

// ---- the month's commit and the bill run ----

const char kHistoryColumns[] =
    "编号,户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,抄表人员,是否收费,收据号,流水号,"
    "价格,实收量";
const char kBillColumns[] =
    "户号,收据号,流水号,标志,收费标志,收费项目,价格类别,抄表人员,抄表日期,收费日期,收费人员,实收量,"
    "价格,水费金额,附加费金额,成本金额,差额,应收金额,减免金额,减免用量,上月接转,本月接转,实收金额,"
    "预存扣款,滞纳金,水损";
const char kLineColumns[] =
    "户号,附加费名称,用量,价格,金额,收费日期,收据号,收费标志,收费项目,价格类别";

struct Written {
    Rows history, bills, lines, readings;
};
std::map<int, Written> g_commit, g_billing;  // by register size

// The even households' January readings added to the pending batch: the whole register is read.
bool complete_the_batch(int n) {
    exec("BEGIN");
    sqlite3_stmt* pending = prepare(
        "insert into 抄表管理 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,抄表人员,"
        "价格) values (?,?,?,?,?,0,'2024-01-05','水费','居民',?,2.5)");
    for (int i = 2; i <= n; i += 2) {
        const std::string a = account(i), h = household(i);
        sqlite3_bind_text(pending, 1, a.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(pending, 2, h.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(pending, 3, start_reading(i, 13));
        sqlite3_bind_double(pending, 4, start_reading(i, 13) + usage(i, 13));
        sqlite3_bind_double(pending, 5, usage(i, 13));
        sqlite3_bind_text(pending, 6, reader_of(i), -1, SQLITE_STATIC);
        sqlite3_step(pending);
        sqlite3_reset(pending);
    }
    sqlite3_finalize(pending);
    return exec("COMMIT");
}

// January's readings moved but not billed: what the bill run starts from.
void unbill_january(int n) {
    exec("BEGIN");
    exec("delete from 总收费 where 收据号>" + std::to_string(last_year_receipt(n)));
    exec("delete from 月附加费 where rowid>" + std::to_string(year_rows(n)));
    exec("delete from 减免明细");
    exec("update 抄表总表 set 是否收费=0,收据号=null,流水号=null,实收量=null where 编号>" +
         std::to_string(year_rows(n)));
    exec("COMMIT");
}

void capture(int n, Written& w) {
    const std::string year = std::to_string(year_rows(n));
    w.history =
        take(std::string("select ") + kHistoryColumns + " from 抄表总表 where 编号>" + year);
    w.bills = take(std::string("select ") + kBillColumns + " from 总收费 where 收据号>" +
                   std::to_string(last_year_receipt(n)));
    w.lines = take(std::string("select ") + kLineColumns + " from 月附加费 where rowid>" + year);
    w.readings = take("select 收据号,流水号,价格,实收量,编号 from 抄表总表 where 编号>" + year);
}

void BM_MonthCommit(benchmark::State& state) {
    ON_REGISTER(state, 'a');
    const int n = size_of(state);
    complete_the_batch(n);
    for (auto _ : state) {
        const reading::CommitOutcome out =
            reading::commit_month(store::main_connection(), shell::program_context());
        if (!out.moved || out.bills_written != n) state.SkipWithError("the commit failed");
    }
    capture(n, g_commit[n]);
    unbill_january(n);
}

void BM_MonthCommitRaw(benchmark::State& state) {
    ON_REGISTER(state, 'b');
    const int n = size_of(state);
    const Written& w = g_commit[n];
    if (w.bills.empty()) {
        state.SkipWithError("the commit did not run");
        return;
    }
    complete_the_batch(n);
    for (auto _ : state) {
        exec("BEGIN");
        bool ok =
            bench::write_rows(bench::prepare_insert(raw(), "抄表总表", kHistoryColumns),
                              w.history) &&
            exec("delete from 抄表管理") &&
            bench::write_rows(bench::prepare_insert(raw(), "总收费", kBillColumns), w.bills) &&
            bench::write_rows(bench::prepare_insert(raw(), "月附加费", kLineColumns), w.lines);
        if (!exec("COMMIT") || !ok) state.SkipWithError("raw commit failed");
    }
    unbill_january(n);
}

void BM_BillRun(benchmark::State& state) {
    ON_REGISTER(state, 'a');
    const int n = size_of(state);
    platform::Connection& c = store::main_connection();
    QStringList households;
    for (int i = 1; i <= n; ++i) households << QString::fromStdString(household(i));
    const tariffs::FeeItemSwitches item = tariffs::fee_item_switches(c, QStringLiteral("水费"));
    for (auto _ : state) {
        platform::Transaction run(c);
        int bills = 0;
        {
            tariffs::BillRun billing(
                c, item, [&](const tariffs::ChargeOutcome& out) { bills += out.bill_written; },
                shell::program_context());
            for (const QString& h : households)
                if (!billing.add(h)) break;
            billing.finish();
        }
        if (!run.commit() || bills != n) state.SkipWithError("the run failed");
    }
    capture(n, g_billing[n]);
}

void BM_BillRunRaw(benchmark::State& state) {
    ON_REGISTER(state, 'b');
    const int n = size_of(state);
    const Written& w = g_billing[n];
    if (w.bills.empty()) {
        state.SkipWithError("the bill run did not run");
        return;
    }
    for (auto _ : state) {
        exec("BEGIN");
        const bool ok =
            bench::write_rows(bench::prepare_insert(raw(), "总收费", kBillColumns), w.bills) &&
            bench::write_rows(bench::prepare_insert(raw(), "月附加费", kLineColumns), w.lines) &&
            bench::write_rows(
                prepare("update 抄表总表 set 是否收费=1,收据号=?,流水号=?,价格=?,实收量=? "
                        "where 编号=?"),
                w.readings);
        if (!exec("COMMIT") || !ok) state.SkipWithError("raw rows failed");
    }
}

#define MONTH_BENCHMARK(name)           \
    BENCHMARK(name)                     \
        ->Arg(kSmall)                   \
        ->Arg(large_size())             \
        ->Unit(benchmark::kMillisecond) \
        ->Iterations(1)                 \
        ->UseRealTime()
MONTH_BENCHMARK(BM_BatchCharging);
MONTH_BENCHMARK(BM_BatchChargingRaw);
MONTH_BENCHMARK(BM_MonthCommit);
MONTH_BENCHMARK(BM_MonthCommitRaw);
MONTH_BENCHMARK(BM_BillRun);
MONTH_BENCHMARK(BM_BillRunRaw);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Registers registers;
    g_registers = &registers;
    if (!start_history_bench(&argc, argv, registers, {'a', 'b'})) return 1;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const struct {
        const char *what, *name, *raw, *raw_target;
    } jobs[] = {
        {"batch charging", "BM_BatchCharging", "BM_BatchChargingRaw", "5"},
        {"抄表入库", "BM_MonthCommit", "BM_MonthCommitRaw", "3"},
        {"bill run", "BM_BillRun", "BM_BillRunRaw", "3"},
    };
    const std::string suffix = "/iterations:1/real_time";
    for (const auto& j : jobs) {
        for (const int size : {kSmall, large_size()}) {
            const std::string at = "/" + std::to_string(size) + suffix;
            const std::string what = std::string(j.what) + " vs raw at " + std::to_string(size);
            reporter.print_ratio(what.c_str(), j.name + at, "job", j.raw + at, "raw", j.raw_target);
        }
        // Per household, the large register should cost what the small one does.
        const double large = reporter.times[j.name + ("/" + std::to_string(large_size())) + suffix];
        const double small = reporter.times[j.name + ("/" + std::to_string(kSmall)) + suffix];
        if (large > 0 && small > 0)
            std::printf("ratio %s per household %d/%d: %.2f (target <= 2)\n", j.what, large_size(),
                        kSmall, large / large_size() / (small / kSmall));
    }
    platform::clear_clock_for_tests();
    shell::free_program_variables();
    benchmark::Shutdown();
    return 0;
}
