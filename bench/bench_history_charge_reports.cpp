// The charge reports after a year of history (bench_history.h), in the register of 1,000 and of
// 200,000 households: 收费月统计 and 收费日报表 for November 2023 and 收费年报表 for 2023, each in
// each of its groupings, and 收费年台帐 for 2023, each in every form of its period (the report
// month by calendar or by settlement day, the report year ending in December or in the settlement
// month), through the builder the statistics page calls with the register's parameters, against
// the same reads done raw: the statements that read each row the report reads (its groups, the
// register where it places bills in it, the period's bills and readings, its prepayments), every
// column read typed, and nothing more. The register's collectors are made operators first.
// Prints each ratio; each side runs once untimed first, so that both are timed from the same warm
// start.
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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

std::string day_of(const QDate& day) { return day.toString(Qt::ISODate).toStdString(); }

// Each day of the period, marked where a bill was paid or a prepayment taken, as the daily report
// finds its days.
std::string business_days(const std::string& first, const std::string& last) {
    return "with recursive 日历(日期) as (select '" + first +
           "' union all select date(日期,'+1 day') from 日历 where 日期<'" + last +
           "') select 日期 from 日历 where exists (select 1 from 总收费 where 收费日期=日历.日期) or "
           "exists (select 1 from 预存明细 where 预存日期=日历.日期)";
}

// The statements that read what the report reads, in its period: its groups' names, the register
// where it places bills in it, the period's bills (and readings) and its grouped prepayments.
std::vector<std::string> raw_of(const Report& r) {
    const auto [first, last] = period_of(r);
    const std::string paid_in = "收费日期>='" + first + "' and 收费日期<='" + last + "'";
    const std::string prepaid_in = "预存日期>='" + first + "' and 预存日期<='" + last + "'";
    const std::string collectors = "select 收费人员 from 收费员 where 收费人员<>'管理员'";
    const std::string streets = "select 街道 from 街道";
    const std::string accounts =
        "select 户号,父号 from 用户表管理 where 户号 is not null and 父号 is not null order by "
        "户号,父号";
    const std::string register_streets = "select 户号,居住街道 from 用户信息表 order by 户号";
    switch (r.raw) {
        case RawGroups::Collector:
            return {collectors,
                    "select 收费人员,收费标志,流水号,实收金额 from 总收费 where " + paid_in +
                        " and 标志=1 and (收费标志=0 or (收费人员='未知' and 收费标志=1 and "
                        "预存扣款>0))",
                    "select 收费人员,count(户号),total(预存金额) from 预存明细 where " +
                        prepaid_in + " and 标志=1 group by 收费人员"};
        case RawGroups::Street:
            return {streets,
                    register_streets,
                    accounts,
                    "select 父号 from 抄表总表 where 抄表日期>='" + first + "' and 抄表日期<='" +
                        last + "'",
                    "select 户号,收费标志,实收金额,预存扣款 from 总收费 where " + paid_in +
                        " and 标志=1",
                    "select u.居住街道,count(p.户号),total(p.预存金额) from 预存明细 p,用户信息表 u "
                    "where p.户号=u.户号 and p." +
                        prepaid_in + " and p.标志=1 group by u.居住街道"};
        case RawGroups::CollectorDay:
        case RawGroups::StreetDay: {
            const bool by_collector = r.raw == RawGroups::CollectorDay;
            std::vector<std::string> reads = {
                by_collector ? collectors : streets, business_days(first, last),
                by_collector ? "select 户号 from 用户信息表 order by 户号" : register_streets,
                accounts,
                std::string("select 收费日期,") + (by_collector ? "收费人员," : "") +
                    "流水号,收据号 is not null,case when 收费标志=0 then 实收金额 end,预存扣款,户号 "
                    "from 总收费 where " +
                    paid_in + " and 标志=1 and (预存扣款>0 or 收费标志=0)"};
            if (by_collector) {
                reads.push_back("select 预存日期,收费人员,count(户号),total(预存金额) from 预存明细 "
                                "where " +
                                prepaid_in + " and 标志=1 group by 预存日期,收费人员");
            } else {
                reads.push_back(
                    "select p.预存日期,u.居住街道,count(p.户号),total(p.预存金额) from 预存明细 "
                    "p,用户信息表 u where p.户号=u.户号 and p." +
                    prepaid_in + " and p.标志=1 group by p.预存日期,u.居住街道");
                reads.push_back("select count(户号),sum(预存金额) from 预存明细 where " +
                                prepaid_in + " and 标志=1");
            }
            return reads;
        }
        case RawGroups::Month: {
            // Each report month: the usage of its calendar month, the bills read in the calendar
            // month or in the report month (one read of both), its window takings and its
            // prepayments.
            std::vector<std::string> reads;
            for (const auto& month : rule_of(r).report_year_months(QStringLiteral("2023"), false)) {
                const QDate calendar_first(month.end.year(), month.end.month(), 1);
                const QDate calendar_last = calendar_first.addDays(calendar_first.daysInMonth() - 1);
                const std::string cf = day_of(calendar_first), cl = day_of(calendar_last);
                const std::string t = day_of(month.start), u = day_of(month.end);
                const std::string low = day_of(std::min(calendar_first, month.start));
                const std::string high = day_of(std::max(calendar_last, month.end));
                const std::string calendar = "抄表日期>='" + cf + "' and 抄表日期<='" + cl + "'";
                const std::string in_month = "抄表日期>='" + t + "' and 抄表日期<='" + u + "'";
                reads.push_back("select sum(用量) from 抄表总表 where " + calendar);
                reads.push_back("select total(case when " + calendar +
                                " then 实收金额 end),total(case when " + calendar +
                                " then 预存扣款 end),total(case when " + in_month +
                                " then 预存扣款 end),total(case when " + in_month +
                                " and 收费标志=1 then 实收金额 end) from 总收费 where 抄表日期>='" +
                                low + "' and 抄表日期<='" + high + "' and 标志=1");
                reads.push_back("select sum(实收金额) from 总收费 where 收费日期>='" + t +
                                "' and 收费日期<='" + u + "' and 标志=1 and 收费标志=0");
                reads.push_back("select sum(预存金额) from 预存明细 where 预存日期>='" + t +
                                "' and 预存日期<='" + u + "' and 标志=1");
            }
            return reads;
        }
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

// The raw side: the report's reads, each prepared and stepped, every column read typed.
void BM_ReportRaw(benchmark::State& state) {
    ON_REGISTER(state);
    const std::vector<std::string> reads = raw_of(kReports[state.range(1)]);
    sqlite3* db = platform::db_handle(store::main_connection());
    read_raw(db, reads);
    for (auto _ : state)
        if (read_raw(db, reads) == 0) state.SkipWithError("no rows");
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
