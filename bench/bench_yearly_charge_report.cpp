// The yearly charge report by street over 200 streets and a year of business of 20,000
// households (one meter account each, twelve readings and twelve bills per household, paid at
// the window, from the balance or still unpaid, and two prepayments per household), against
// the same sums done by three grouped SQL statements with raw SQLCipher calls, in the same run.
// The report's path is the whole of it: the streets read, six statements per street on the
// main connection, the texts of the cells and the totals. Prints the ratio report/raw; the
// target is at most 3.
#include <QCoreApplication>
#include <cstdio>
#include <functional>
#include <map>

#include "bench_program.h"
#include "platform/db.h"
#include "reports/statistics_report.h"
#include "reports/yearly_charge_report.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace {

constexpr int kStreets = 200;
constexpr int kHouseholds = 20000;

QByteArray street_name(int i) { return QStringLiteral("街道%1").arg(i).toUtf8(); }

bool seed(platform::Connection& c) {
    sqlite3* db = platform::db_handle(c);
    bench::exec_raw(db, "BEGIN");
    sqlite3_stmt *street = nullptr, *household = nullptr, *meter = nullptr, *reading = nullptr,
                 *bill = nullptr, *prepay = nullptr;
    sqlite3_prepare_v2(db, "insert into 街道 (街道) values (?)", -1, &street, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 用户信息表 (户号,父号,用户名,居住街道) values (?,'0','户',?)",
                       -1, &household, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 用户表管理 (户号,父号,收费项目,抄表人员,状态) values "
                       "(?,?,'水费','张三','正常')",
                       -1, &meter, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 抄表总表 (户号,父号,起方,止方,用量,抄表日期,收费项目,是否收费,"
                       "收据号) values (?,?,0,?,?,?,'水费',1,?)",
                       -1, &reading, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 总收费 (户号,收据号,流水号,标志,收费标志,收费人员,收费项目,"
                       "抄表日期,收费日期,应收金额,实收金额,预存扣款) values "
                       "(?,?,?,?,?,?,'水费',?,?,?,?,?)",
                       -1, &bill, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志,"
                       "抄表户号) values (?,?,?,?,'李会计','',1,?)",
                       -1, &prepay, nullptr);
    bool ok = street && household && meter && reading && bill && prepay;
    for (int s = 0; ok && s < kStreets; ++s) {
        const QByteArray name = street_name(s);
        sqlite3_bind_text(street, 1, name.constData(), -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(street) == SQLITE_DONE;
        sqlite3_reset(street);
    }
    const char* collectors[] = {"李会计", "王出纳", "赵出纳", "预存扣款"};
    qint64 receipt = 0;
    for (int i = 1; ok && i <= kHouseholds; ++i) {
        const QByteArray h = QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')).toUtf8();
        const QByteArray m = h + "01";
        const QByteArray name = street_name(i % kStreets);
        sqlite3_bind_text(household, 1, h.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(household, 2, name.constData(), -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(household) == SQLITE_DONE;
        sqlite3_reset(household);
        sqlite3_bind_text(meter, 1, m.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(meter, 2, h.constData(), -1, SQLITE_TRANSIENT);
        ok = ok && sqlite3_step(meter) == SQLITE_DONE;
        sqlite3_reset(meter);
        for (int month = 1; ok && month <= 12; ++month) {
            ++receipt;
            char read_on[16], paid_on[16];
            std::snprintf(read_on, sizeof read_on, "2024-%02d-%02d", month, 1 + i % 20);
            std::snprintf(paid_on, sizeof paid_on, "2024-%02d-%02d", month, 5 + i % 20);
            const double usage = 3 + (i + month) % 17;
            sqlite3_bind_text(reading, 1, m.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(reading, 2, h.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(reading, 3, usage);
            sqlite3_bind_double(reading, 4, usage);
            sqlite3_bind_text(reading, 5, read_on, -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(reading, 6, receipt);
            ok = sqlite3_step(reading) == SQLITE_DONE;
            sqlite3_reset(reading);
            // Mostly paid at the window; some settled from the balance, some still unpaid.
            const int kind = (i + month) % 10;
            const bool unpaid = kind == 9;
            const double amount = usage * 2.5, deducted = kind >= 7 ? 5.0 : 0.0;
            sqlite3_bind_text(bill, 1, h.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(bill, 2, receipt);
            if (unpaid)
                sqlite3_bind_null(bill, 3);
            else
                sqlite3_bind_int64(bill, 3, 1000000000 + receipt);
            sqlite3_bind_int(bill, 4, kind == 3 && month == 6 ? 2 : 1);
            sqlite3_bind_int(bill, 5, unpaid ? 1 : 0);
            sqlite3_bind_text(bill, 6, unpaid ? "未知" : collectors[kind % 4], -1, SQLITE_STATIC);
            sqlite3_bind_text(bill, 7, read_on, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(bill, 8, paid_on, -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(bill, 9, amount);
            sqlite3_bind_double(bill, 10, amount - deducted);
            sqlite3_bind_double(bill, 11, deducted);
            ok = ok && sqlite3_step(bill) == SQLITE_DONE;
            sqlite3_reset(bill);
        }
        for (int k = 0; ok && k < 2; ++k) {
            char day[16];
            std::snprintf(day, sizeof day, "2024-%02d-%02d", 1 + (i + 5 * k) % 12, 1 + i % 28);
            sqlite3_bind_int64(prepay, 1, 2 * i + k);
            sqlite3_bind_text(prepay, 2, h.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(prepay, 3, 50 + i % 7);
            sqlite3_bind_text(prepay, 4, day, -1, SQLITE_TRANSIENT);
            // Every other prepayment names its meter account.
            sqlite3_bind_text(prepay, 5, k ? "" : m.constData(), -1, SQLITE_TRANSIENT);
            ok = sqlite3_step(prepay) == SQLITE_DONE;
            sqlite3_reset(prepay);
        }
    }
    for (sqlite3_stmt* stmt : {street, household, meter, reading, bill, prepay})
        sqlite3_finalize(stmt);
    return bench::exec_raw(db, ok ? "COMMIT" : "ROLLBACK") && ok;
}

reports::ReportPeriodRule calendar_rule() {
    shell::SystemParameters p;
    p.day_settlement_mode = QStringLiteral("每月月底");
    p.month_settlement_mode = QStringLiteral("每年12月");
    return reports::ReportPeriodRule(p);
}

QString g_total;  // the 收费金额 of the report's 合计, checked against the raw sums

void BM_YearlyReportByStreet(benchmark::State& state) {
    const auto rule = calendar_rule();
    for (auto _ : state) {
        const auto report =
            reports::build_annual_charge_report(store::main_connection(), QStringLiteral("2024"),
                                                QStringLiteral("1"), reports::kByStreet, rule);
        if (report.rows.size() != 2 * kStreets + 1) state.SkipWithError("rows missing");
        g_total = report.rows.back().value(4);
    }
    state.SetItemsProcessed(state.iterations() * kStreets);
}

// Per street: readings, paid and unpaid bills, the paid amount, deductions and prepayments.
struct StreetSums {
    qint64 read = 0, paid = 0, unpaid = 0, prepay_rows = 0;
    double collected = 0, deduction = 0, prepay = 0;
};

void for_each_row(sqlite3* db, const char* sql, const std::function<void(sqlite3_stmt*)>& f) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) f(stmt);
    sqlite3_finalize(stmt);
}

std::string street_of(sqlite3_stmt* stmt) {
    return reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
}

void BM_RawGroupedSums(benchmark::State& state) {
    sqlite3* db = bench::open_raw(store::main_database_path(), false);
    double collected_total = 0;
    for (auto _ : state) {
        std::map<std::string, StreetSums> sums;
        for_each_row(db, "select 居住街道 from 街道", [&](sqlite3_stmt* s) { sums[street_of(s)]; });
        for_each_row(
            db,
            "select u.居住街道, count(*) from 抄表总表 r join 用户信息表 u on "
            "r.父号=u.户号 where r.抄表日期>='2024-01-01' and r.抄表日期<='2024-12-31' "
            "group by u.居住街道",
            [&](sqlite3_stmt* s) { sums[street_of(s)].read = sqlite3_column_int64(s, 1); });
        for_each_row(
            db,
            "select u.居住街道, sum(b.收费标志=0), sum(b.收费标志=1), "
            "total(case when b.收费标志=0 then b.实收金额 end), total(b.预存扣款) from 总收费 "
            "b join 用户信息表 u on b.户号=u.户号 where b.收费日期>='2024-01-01' and "
            "b.收费日期<='2024-12-31' and b.标志=1 group by u.居住街道",
            [&](sqlite3_stmt* s) {
                StreetSums& x = sums[street_of(s)];
                x.paid = sqlite3_column_int64(s, 1);
                x.unpaid = sqlite3_column_int64(s, 2);
                x.collected = sqlite3_column_double(s, 3);
                x.deduction = sqlite3_column_double(s, 4);
            });
        for_each_row(
            db,
            "select u.居住街道, count(*), total(p.预存金额) from 预存明细 p join 用户表管理 a "
            "on p.抄表户号=a.户号 join 用户信息表 u on p.户号=u.户号 where "
            "p.预存日期>='2024-01-01' and p.预存日期<='2024-12-31' and p.标志=1 group by "
            "u.居住街道",
            [&](sqlite3_stmt* s) {
                StreetSums& x = sums[street_of(s)];
                x.prepay_rows = sqlite3_column_int64(s, 1);
                x.prepay = sqlite3_column_double(s, 2);
            });
        collected_total = 0;
        for (const auto& [name, x] : sums) collected_total += x.collected;
        if (sums.size() != kStreets) state.SkipWithError("streets missing");
        benchmark::DoNotOptimize(sums);
    }
    sqlite3_close(db);
    if (!g_total.isEmpty() && g_total != reports::report_amount_text(collected_total))
        state.SkipWithError("the report and the raw sums differ");
    state.SetItemsProcessed(state.iterations() * kStreets);
}

BENCHMARK(BM_YearlyReportByStreet)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_RawGroupedSums)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::ProgramFolder folder(QStringLiteral("program"));
    if (!store::open_main_database() || !seed(store::main_connection()))
        return folder.cannot_prepare();
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("yearly charge report by street",
                         "BM_YearlyReportByStreet/iterations:3/real_time", "report",
                         "BM_RawGroupedSums/iterations:3/real_time", "raw", "3");
    benchmark::Shutdown();
    return 0;
}
