// The reports of readings and households after a year of history (bench_history.h), in the
// register of 1,000 and of 200,000 households: 抄表统计 for November 2023 in each of its groupings,
// 用户月报表 for November 2023 and 用户年报表 for 2023 in each form of the report year, each
// through the builder the statistics page calls with the register's own parameters, against one
// grouped query over the rows the report reads (the month's readings with the table that holds the
// group's name; the households of the register), read raw with typed columns. Prints each ratio
//; each side runs once untimed first, so that both
// are timed from the same warm start.
#include <QCoreApplication>
#include <cstdio>

#include "bench_history.h"
#include "reports/reading_statistics_report.h"
#include "reports/statistics_builders.h"
#include "reports/statistics_report.h"
#include "shell/program_state.h"
#include "shell/system_parameters.h"

namespace {

using namespace bench::history;

Registers* g_registers = nullptr;

int size_of(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

#define ON_REGISTER(state)                               \
    if (!g_registers->use(size_of(state))) {             \
        state.SkipWithError("cannot open the register"); \
        return;                                          \
    }

struct Report {
    const char* title;  // the report and how it is run, as the ratio line names it
    const char* name;   // the report name the statistics page dispatches on
    const char* grouping;
    const char* year_form;  // 月结算方式 for the run; null keeps the register's
    const char* raw;        // one grouped query over the rows the report reads
};

#define READINGS_OF_NOVEMBER "r.抄表日期>='2023-11-01' and r.抄表日期<='2023-11-30'"

const Report kReports[] = {
    {"抄表统计 按抄表人员", "抄表统计", "按抄表人员", nullptr,
     "select a.抄表人员, count(*), total(r.用量) from 抄表总表 r join 用户表管理 a on "
     "a.户号=r.户号 where " READINGS_OF_NOVEMBER " group by a.抄表人员"},
    {"抄表统计 按居住街道", "抄表统计", "按居住街道", nullptr,
     "select u.居住街道, count(*), total(r.用量) from 抄表总表 r join 用户信息表 u on "
     "u.户号=r.父号 where " READINGS_OF_NOVEMBER " group by u.居住街道"},
    {"抄表统计 按收费项目", "抄表统计", "按收费项目", nullptr,
     "select a.收费项目, count(*), total(r.用量) from 抄表总表 r join 用户表管理 a on "
     "a.户号=r.户号 where " READINGS_OF_NOVEMBER " group by a.收费项目"},
    {"用户月报表 按居住街道", "用户月报表", "按居住街道", nullptr,
     "select 居住街道, count(*), total(建档时间>='2023-11-01' and 建档时间<='2023-11-30') from "
     "用户信息表 where 父号='0' group by 居住街道"},
    {"用户年报表 按居住街道 每年12月", "用户年报表", "按居住街道", "每年12月",
     "select 居住街道, 建档时间, count(*) from 用户信息表 where 父号='0' and "
     "建档时间<='2023-12-31' "
     "group by 居住街道, 建档时间"},
    {"用户年报表 按居住街道 实际月份", "用户年报表", "按居住街道", "实际月份",
     "select 居住街道, 建档时间, count(*) from 用户信息表 where 父号='0' and "
     "建档时间<='2023-11-30' "
     "group by 居住街道, 建档时间"},
};

// The rule the statistics page runs with: the register's parameters, with the report year's
// form of the case.
reports::ReportPeriodRule rule_of(const Report& r) {
    shell::SystemParameters p = shell::system_parameters;
    if (r.year_form) {
        p.month_settlement_mode = QString::fromUtf8(r.year_form);
        p.settlement_month = 11;
    }
    return reports::ReportPeriodRule(p);
}

void BM_Report(benchmark::State& state) {
    ON_REGISTER(state);
    const Report& r = kReports[state.range(1)];
    const reports::StatisticsBuilder* build =
        reports::statistics_builder(QString::fromUtf8(r.name));
    const QString grouping = QString::fromUtf8(r.grouping);
    const auto rule = rule_of(r);
    const auto run = [&] {
        return (*build)(store::main_connection(), QStringLiteral("2023"), QStringLiteral("11"),
                        grouping, rule, {});
    };
    run();
    for (auto _ : state)
        if (run().rows.size() < 2) state.SkipWithError("empty report");
}

// The raw side: the grouped query prepared, stepped, every column read typed.
void BM_ReportRaw(benchmark::State& state) {
    ON_REGISTER(state);
    const Report& r = kReports[state.range(1)];
    sqlite3* db = platform::db_handle(store::main_connection());
    const auto run = [&] {
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
        return rows;
    };
    run();
    for (auto _ : state)
        if (run() == 0) state.SkipWithError("no rows");
}

void report_args(benchmark::internal::Benchmark* b) {
    report_cases(b, static_cast<int>(std::size(kReports)));
}

// As many runs as fit in a fifth of a second, at least one: a run of a few milliseconds at 1,000
// households is timed over many, one of seconds at 200,000 once.
BENCHMARK(BM_Report)
    ->Apply(report_args)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.2)
    ->UseRealTime();
BENCHMARK(BM_ReportRaw)
    ->Apply(report_args)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.2)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    Registers registers;
    g_registers = &registers;
    if (!start_history_bench(&argc, argv, registers)) return 1;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_report_ratios(reporter, static_cast<int>(std::size(kReports)),
                        [](int r) { return std::string(kReports[r].title); });
    shell::free_program_variables();
    platform::clear_clock_for_tests();
    benchmark::Shutdown();
    return 0;
}
