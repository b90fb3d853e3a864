// The reports and the balance query after a year of history (bench_history.h), in the register
// of 1,000 and of 200,000 households: each charge report for November 2023 (收费月统计,
// 收费日报表 and 收费年报表, 收费年台帐 by collector; the reports of readings and households are
// in bench_history_household_reports.cpp) through the builder the statistics page calls, against
// one grouped query over the period's rows read raw with typed columns; and the 预存结余 查询 of
// every household (the rebuild and the list) against the fill of its list alone. Prints each ratio
// and each of 200,000 to 1,000.
#include <QApplication>
#include <QTableView>
#include <cstdio>

#include "bench_history.h"
#include "bench_register.h"
#include "charging/balance_page.h"
#include "charging/prepay_balance_list.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "reports/statistics_builders.h"
#include "reports/statistics_report.h"
#include "shell/program_state.h"
#include "shell/session.h"

namespace {

using namespace bench::history;

Registers* g_registers = nullptr;
QTableView* g_list = nullptr;

int size_of(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

#define ON_REGISTER(state)                                              \
    if (!g_registers->use(size_of(state))) {                            \
        state.SkipWithError("cannot open the register");                \
        return;                                                         \
    }

struct Report {
    const char* name;
    const QString& grouping;
    // One grouped query over the rows the report sums.
    const char* raw;
};

const char kMonthBills[] =
    "select 收费人员, count(*), total(实收金额), total(应收金额), total(预存扣款) from 总收费 "
    "where 收费日期>='2023-11-01' and 收费日期<='2023-11-30' and 标志=1 group by 收费人员";
const Report kReports[] = {
    {"收费月统计", reports::kByCollector, kMonthBills},
    {"收费日报表", reports::kByCollector,
     "select 收费人员, 收费日期, count(*), total(实收金额), total(预存扣款) from 总收费 where "
     "收费日期>='2023-11-01' and 收费日期<='2023-11-30' and 标志=1 group by 收费人员, 收费日期"},
    {"收费年报表", reports::kByCollector,
     "select 收费人员, substr(收费日期,1,7), count(*), total(实收金额), total(预存扣款) from 总收费 "
     "where 收费日期>='2023-01-01' and 收费日期<='2023-12-31' and 标志=1 group by 收费人员, "
     "substr(收费日期,1,7)"},
    {"收费年台帐", reports::kByCollector,
     "select 收费人员, substr(收费日期,1,7), count(*), total(实收金额), total(应收金额) from 总收费 "
     "where 收费日期>='2023-01-01' and 收费日期<='2023-12-31' and 标志=1 group by 收费人员, "
     "substr(收费日期,1,7)"},
};

reports::ReportPeriodRule calendar_rule() {
    shell::SystemParameters p;
    p.day_settlement_mode = QStringLiteral("每月月底");
    p.month_settlement_mode = QStringLiteral("每年12月");
    return reports::ReportPeriodRule(p);
}

void BM_Report(benchmark::State& state) {
    ON_REGISTER(state);
    const Report& r = kReports[state.range(1)];
    const reports::StatisticsBuilder* build = reports::statistics_builder(QString::fromUtf8(r.name));
    const auto rule = calendar_rule();
    for (auto _ : state) {
        const reports::StatisticsReport report = (*build)(
            store::main_connection(), QStringLiteral("2023"), QStringLiteral("11"), r.grouping, rule, {});
        if (report.rows.empty()) state.SkipWithError("empty report");
    }
}

// The raw side: the grouped query prepared, stepped, every column read typed.
void BM_ReportRaw(benchmark::State& state) {
    ON_REGISTER(state);
    const Report& r = kReports[state.range(1)];
    sqlite3* db = platform::db_handle(store::main_connection());
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, r.raw, -1, &stmt, nullptr);
        double sum = 0;
        int rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                sum += sqlite3_column_type(stmt, c) == SQLITE_TEXT ? sqlite3_column_bytes(stmt, c)
                                                                   : sqlite3_column_double(stmt, c);
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(sum);
        if (rows == 0) state.SkipWithError("no rows");
    }
}

// One untimed fill of the list before the fill benchmark: the first list of 130,000 rows in the
// process pays for fresh memory pages and cold database pages, which the timed fill should not
// carry (the query benchmark warms up by one untimed query of its own).
void warm_up_balance_list(const QString& order_clause) {
    charging::fill_prepay_balance_list(g_list, charging::balance_list_statement(order_clause));
    QApplication::processEvents();
}

// 预存结余 查询 of every household, as its window's OK runs it.
void BM_BalanceQuery(benchmark::State& state) {
    ON_REGISTER(state);
    charging::HouseholdBalanceQuery q;
    q.by = charging::BalanceQueryBy::All;
    const charging::HouseholdBalanceQueryOutcome out = charging::build_household_balance_query(q);
    if (!out.ok) {
        state.SkipWithError("refused");
        return;
    }
    // The same query once untimed: the list is then timed from the same warm start as the
    // fill alone below, whose warm-up finds the balances this one rebuilt.
    charging::show_household_balances(g_list, out.insert_statement, out.order_clause);
    // What that query left for the event loop (drawing its list) is done before the timed one,
    // as the program's loop does it between two clicks.
    QApplication::processEvents();
    for (auto _ : state) {
        charging::show_household_balances(g_list, out.insert_statement, out.order_clause);
        if (platform::listview_row_count(g_list) < 2) state.SkipWithError("no balances");
    }
}

// The fill of the same list from the rebuilt balances alone.
void BM_BalanceListFill(benchmark::State& state) {
    ON_REGISTER(state);
    charging::HouseholdBalanceQuery q;
    q.by = charging::BalanceQueryBy::All;
    const charging::HouseholdBalanceQueryOutcome out = charging::build_household_balance_query(q);
    warm_up_balance_list(out.order_clause);
    for (auto _ : state) {
        charging::fill_prepay_balance_list(g_list,
                                           charging::balance_list_statement(out.order_clause));
        if (platform::listview_row_count(g_list) < 2) state.SkipWithError("no balances");
    }
}

void report_args(benchmark::internal::Benchmark* b) {
    for (int r = 0; r < static_cast<int>(std::size(kReports)); ++r)
        for (const int size : {kSmall, large_size()}) b->Args({size, r});
}

BENCHMARK(BM_Report)->Apply(report_args)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_ReportRaw)
    ->Apply(report_args)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_BalanceQuery)
    ->Arg(kSmall)
    ->Arg(large_size())
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_BalanceListFill)
    ->Arg(kSmall)
    ->Arg(large_size())
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Registers registers;
    g_registers = &registers;
    if (!start_history_bench(&argc, argv, registers)) return 1;
    bench::BenchUser user;
    platform::set_ui_backend(&user);
    QTableView list;
    platform::setup_report_view(&list);
    list.resize(1200, 700);
    list.show();
    g_list = &list;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string suffix = "/iterations:1/real_time";
    for (int r = 0; r < static_cast<int>(std::size(kReports)); ++r) {
        for (const int size : {kSmall, large_size()}) {
            const std::string at = "/" + std::to_string(size) + "/" + std::to_string(r) + suffix;
            const std::string what =
                std::string(kReports[r].name) + " vs one grouped query at " + std::to_string(size);
            reporter.print_ratio(what.c_str(), "BM_Report" + at, "report", "BM_ReportRaw" + at,
                                 "raw", "3");
        }
    }
    for (const int size : {kSmall, large_size()}) {
        const std::string at = "/" + std::to_string(size) + suffix;
        const std::string what = "预存结余 查询 vs its list fill at " + std::to_string(size);
        reporter.print_ratio(what.c_str(), "BM_BalanceQuery" + at, "query",
                             "BM_BalanceListFill" + at, "fill", "2");
    }
    print_size_ratio(reporter, "预存结余 查询", "BM_BalanceQuery", suffix, "200 (households)");
    g_list = nullptr;
    platform::set_ui_backend(nullptr);
    platform::clear_clock_for_tests();
    shell::free_program_variables();
    benchmark::Shutdown();
    return 0;
}
