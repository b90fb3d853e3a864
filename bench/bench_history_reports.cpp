// The balance query after a year of history (bench_history.h), in the register of 1,000 and of
// 200,000 households: the 预存结余 查询 of every household (the rebuild and the list) against the
// fill of its list alone. Prints each ratio and that of 200,000 to 1,000. The statistics reports
// are in bench_history_charge_reports.cpp and bench_history_household_reports.cpp.
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
#include "shell/program_state.h"
#include "shell/session.h"

namespace {

using namespace bench::history;

Registers* g_registers = nullptr;
QTableView* g_list = nullptr;

int size_of(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

#define ON_REGISTER(state)                               \
    if (!g_registers->use(size_of(state))) {             \
        state.SkipWithError("cannot open the register"); \
        return;                                          \
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
