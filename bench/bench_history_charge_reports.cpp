// The charge reports after a year of history (bench_history.h), in the register of 1,000 and of
// 200,000 households: 收费月统计 and 收费日报表 for November 2023 and 收费年报表 for 2023, each in
// each of its groupings, and 收费年台帐 for 2023, each in every form of its period (the report
// month by calendar or by settlement day, the report year ending in December or in the settlement
// month), through the builder the statistics page calls with the register's parameters, against
// one grouped query over the bills of the same period, read raw with typed columns. The takings
// reports sum their bills joined to the households in every grouping, so their raw side reads the
// same join; the ledger sums the bills alone. The register's collectors are made operators first.
// Prints each ratio; each side runs once untimed first, so that both are timed from the same warm
// start.
#include <QCoreApplication>
#include <cstdio>
#include <string>

#include "bench_history.h"
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

// How the raw side groups the period's bills.
enum class RawGroups { Collector, CollectorDay, Street, StreetDay, Month };

struct Report {
    const char* name;       // the report name the statistics page dispatches on
    const char* grouping;   // as the grouping selector offers it
    const char* day_form;   // 日结算方式 of the run
    const char* year_form;  // 月结算方式 of the run; null where the report has a month
    RawGroups raw;
};

constexpr const char kCalendar[] = "每月月底";
constexpr const char kSettlementDay[] = "固定日期";
constexpr const char kDecember[] = "每年12月";
constexpr const char kSettlementMonth[] = "实际月份";

const Report kReports[] = {
    {"收费月统计", "按收费人员", kCalendar, nullptr, RawGroups::Collector},
    {"收费月统计", "按收费人员", kSettlementDay, nullptr, RawGroups::Collector},
    {"收费月统计", "按居住街道", kCalendar, nullptr, RawGroups::Street},
    {"收费月统计", "按居住街道", kSettlementDay, nullptr, RawGroups::Street},
    {"收费日报表", "按收费人员", kCalendar, nullptr, RawGroups::CollectorDay},
    {"收费日报表", "按收费人员", kSettlementDay, nullptr, RawGroups::CollectorDay},
    {"收费日报表", "按居住街道", kCalendar, nullptr, RawGroups::StreetDay},
    {"收费日报表", "按居住街道", kSettlementDay, nullptr, RawGroups::StreetDay},
    {"收费年报表", "按收费人员", kCalendar, kDecember, RawGroups::Collector},
    {"收费年报表", "按收费人员", kSettlementDay, kDecember, RawGroups::Collector},
    {"收费年报表", "按收费人员", kCalendar, kSettlementMonth, RawGroups::Collector},
    {"收费年报表", "按收费人员", kSettlementDay, kSettlementMonth, RawGroups::Collector},
    {"收费年报表", "按居住街道", kCalendar, kDecember, RawGroups::Street},
    {"收费年报表", "按居住街道", kSettlementDay, kDecember, RawGroups::Street},
    {"收费年报表", "按居住街道", kCalendar, kSettlementMonth, RawGroups::Street},
    {"收费年报表", "按居住街道", kSettlementDay, kSettlementMonth, RawGroups::Street},
    {"收费年台帐", "按月份", kCalendar, kDecember, RawGroups::Month},
    {"收费年台帐", "按月份", kSettlementDay, kDecember, RawGroups::Month},
    {"收费年台帐", "按月份", kCalendar, kSettlementMonth, RawGroups::Month},
    {"收费年台帐", "按月份", kSettlementDay, kSettlementMonth, RawGroups::Month},
};

std::string title_of(const Report& r) {
    std::string title = std::string(r.name) + " " + r.grouping + " " + r.day_form;
    if (r.year_form) title += std::string(" ") + r.year_form;
    return title;
}

// The rule the statistics page runs with: the register's parameters (settlement day 25,
// settlement month 11), in the forms of the case.
reports::ReportPeriodRule rule_of(const Report& r) {
    shell::SystemParameters p = shell::system_parameters;
    p.day_settlement_mode = QString::fromUtf8(r.day_form);
    p.month_settlement_mode = QString::fromUtf8(r.year_form ? r.year_form : kDecember);
    return reports::ReportPeriodRule(p);
}

// The period the report covers, as the register stores days.
std::pair<std::string, std::string> period_of(const Report& r) {
    const auto rule = rule_of(r);
    QDate first, last;
    if (r.year_form) {
        const auto months = rule.report_year_months(QStringLiteral("2023"), false);
        first = months.front().start;
        last = months.back().end;
    } else {
        const reports::ReportPeriod month =
            rule.report_month_bounds(QStringLiteral("2023"), QStringLiteral("11"));
        first = month.start;
        last = month.end;
    }
    return {first.toString(Qt::ISODate).toStdString(), last.toString(Qt::ISODate).toStdString()};
}

// One grouped query over the valid bills paid (or made) in the period.
std::string raw_of(const Report& r) {
    const auto [first, last] = period_of(r);
    const std::string in_period =
        "b.收费日期>='" + first + "' and b.收费日期<='" + last + "' and b.标志=1";
    const std::string sums = "count(*), total(b.实收金额), total(b.预存扣款)";
    const std::string by_household = " from 总收费 b join 用户信息表 u on u.户号=b.户号 where ";
    switch (r.raw) {
        case RawGroups::Collector:
            return "select b.收费人员, " + sums + by_household + in_period + " group by b.收费人员";
        case RawGroups::CollectorDay:
            return "select b.收费人员, b.收费日期, " + sums + by_household + in_period +
                   " group by b.收费人员, b.收费日期";
        case RawGroups::Street:
            return "select u.居住街道, " + sums + by_household + in_period + " group by u.居住街道";
        case RawGroups::StreetDay:
            return "select u.居住街道, b.收费日期, " + sums + by_household + in_period +
                   " group by u.居住街道, b.收费日期";
        case RawGroups::Month:
            return "select substr(b.收费日期,1,7), " + sums + " from 总收费 b where " + in_period +
                   " group by substr(b.收费日期,1,7)";
    }
    return {};
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
    const std::string sql = raw_of(kReports[state.range(1)]);
    sqlite3* db = platform::db_handle(store::main_connection());
    const auto run = [&] {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
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

// The register's four collectors are operators of the program, so the grouping by collector shows
// a row for each of them beside the two pseudo-collectors.
bool add_collectors() {
    for (const int size : {kSmall, large_size()}) {
        if (!g_registers->use(size)) return false;
        sqlite3* db = platform::db_handle(store::main_connection());
        for (const char* name : {"收费员甲", "收费员乙", "收费员丙", "收费员丁"}) {
            const std::string sql =
                std::string("insert into 收费员 (收费人员,密码,许可) select '") + name +
                "','',1 where not exists (select 1 from 收费员 where "
                "收费人员='" +
                name + "')";
            if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) return false;
        }
    }
    return true;
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
    if (!start_history_bench(&argc, argv, registers) || !add_collectors()) return 1;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print_report_ratios(reporter, static_cast<int>(std::size(kReports)),
                        [](int r) { return title_of(kReports[r]); });
    shell::free_program_variables();
    platform::clear_clock_for_tests();
    benchmark::Shutdown();
    return 0;
}
