// The reports of readings and households after a year of history (bench_history.h), in the
// register of 1,000 and of 200,000 households: 抄表统计 for November 2023 in each of its groupings,
// 用户月报表 for November 2023 and 用户年报表 for 2023 in each form of the report year, each
// through the builder the statistics page calls with the register's own parameters, against the
// same reads done raw, every column read typed: for 抄表统计 its groups' names, the meter accounts
// by state and the readings of its window, each with the tables that place them in a group; for
// the household reports one grouped query over the households of the register. Prints each ratio;
// each side runs once untimed first, so that both are timed from the same warm start.
#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <vector>

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
    // The household reports: one grouped query over the rows the report reads. 抄表统计: the
    // statement of its groups' names and the column that names a group (its reads follow).
    const char* raw;
    const char* group_column = nullptr;
};

const Report kReports[] = {
    {"抄表统计 按抄表人员", "抄表统计", "按抄表人员", nullptr, "select * from 抄表员",
     "用户表管理.抄表人员"},
    {"抄表统计 按居住街道", "抄表统计", "按居住街道", nullptr, "select * from 街道",
     "用户信息表.居住街道"},
    {"抄表统计 按收费项目", "抄表统计", "按收费项目", nullptr, "select 项目名称 from 收费项目",
     "用户表管理.收费项目"},
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

// The statements that read what the report reads. 抄表统计: its groups' names, every meter
// account with its household by state, and the readings of its window with their meter accounts
// and households, each grouped by the group's column as the report groups them.
std::vector<std::string> raw_of(const Report& r) {
    if (!r.group_column) return {r.raw};
    const reports::ReportPeriod window =
        rule_of(r).report_reading_window(QStringLiteral("2023"), QStringLiteral("11"));
    const std::string column = r.group_column;
    return {r.raw,
            "select " + column +
                ",count(*),sum(状态='报停'),sum(状态='正常') from 用户表管理,用户信息表 where "
                "用户信息表.户号=用户表管理.父号 group by " +
                column,
            "select " + column +
                ",count(*),total(抄表总表.用量) from 抄表总表,用户表管理,用户信息表 where "
                "抄表总表.抄表日期>='" +
                window.start.toString(Qt::ISODate).toStdString() + "' and 抄表总表.抄表日期<='" +
                window.end.toString(Qt::ISODate).toStdString() +
                "' and 抄表总表.户号=用户表管理.户号 and 用户信息表.户号=抄表总表.父号 group by " +
                column};
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

// The raw side: the report's reads, each prepared and stepped, every column read typed.
void BM_ReportRaw(benchmark::State& state) {
    ON_REGISTER(state);
    const std::vector<std::string> reads = raw_of(kReports[state.range(1)]);
    sqlite3* db = platform::db_handle(store::main_connection());
    read_raw(db, reads);
    for (auto _ : state)
        if (read_raw(db, reads) == 0) state.SkipWithError("no rows");
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
