// The month's work after a year of history (bench_history.h), in the register of 1,000 and of
// 200,000 households: batch charging of reader 张三's households (their December bills) as the
// window's click runs it, the settlement from prepaid balances first, and a later click's
// settlement with nothing left to settle; the 抄表入库 of January (every household's reading
// pending), and the bill run of those readings alone. Each runs what its window runs, and against
// it the raw statements that write the same resulting rows (prepared, bound, one transaction) or
// read what a later click must read, on the register in the same state. The commit and the bill
// runs lay their register afresh (a copy of the file, before the timing starts), so every
// repetition of them does the same work. Prints each job's ratio to its raw writes at both sizes
// and of 200,000 to 1,000.
#include <QApplication>
#include <QComboBox>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench_history.h"
#include "bench_register.h"
#include "charging/batch_charging.h"
#include "charging/batch_charging_window.h"
#include "charging/prepayments_install.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/query.h"
#include "reading/monthly_commit.h"
#include "shell/program_state.h"
#include "shell/session.h"
#include "tariffs/charge_engine.h"

namespace {

using namespace bench::history;
using Rows = bench::RawRows;

Registers* g_registers = nullptr;
bench::BenchUser* g_user = nullptr;

int size_of(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

#define ON_REGISTER(state, copy)                         \
    if (!g_registers->use(size_of(state), copy)) {       \
        state.SkipWithError("cannot open the register"); \
        return;                                          \
    }

// The copy laid afresh from the copy `from` (the cache when 0) before the run: each repetition
// of a run that leaves the register changed starts from the same rows and does the same work.
#define ON_REGISTER_AS(state, copy, from)                   \
    if (!g_registers->restore(size_of(state), copy, from)) { \
        state.SkipWithError("cannot lay out the register");  \
        return;                                             \
    }

sqlite3* raw() { return platform::db_handle(store::main_connection()); }
bool exec(const std::string& sql) { return bench::raw_exec(sql.c_str()); }

// The rows of a year: everything numbered above them is this month's.
qint64 year_rows(int n) { return static_cast<qint64>(kMonths) * n; }
qint64 last_year_receipt(int n) { return receipt(n, n, kMonths); }

QString take_text(const char* sql) {
    return platform::query_text(store::main_connection(), QString::fromUtf8(sql));
}

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

// December's bills unpaid again, as the register was built: nothing settled from a balance,
// nothing paid.
void unpay_december(int n) {
    const std::string range = " between " + std::to_string(receipt(n, 1, kMonths)) + " and " +
                              std::to_string(last_year_receipt(n));
    exec("BEGIN");
    exec(
        "update 总收费 set 收费标志=1,流水号=null,收费人员='',收费日期='2023-12-06',发票号='',"
        "实收金额=应收金额,预存扣款=0 where 收据号" +
        range);
    exec("update 抄表总表 set 流水号=null where 收据号" + range);
    exec("COMMIT");
}

// The window on screen with reader 张三 and collector 收费员甲 chosen, as the clerk leaves it
// before clicking 执行.
class BatchWindow {
public:
    BatchWindow() {
        window_.findChild<QComboBox*>(QStringLiteral("组合框_抄表人员"))
            ->setCurrentText(QStringLiteral("张三"));
        window_.findChild<QComboBox*>(QStringLiteral("组合框_收费人员"))
            ->setCurrentText(QStringLiteral("收费员甲"));
        window_.show();
        QCoreApplication::processEvents();
        g_user->last_box.clear();
    }
    // The click on 执行, confirmed: the settlement from prepaid balances the program installs,
    // then the batch. Returns the closing box.
    QString click() {
        window_.on_batch_query_click();
        return g_user->last_box;
    }

private:
    // The collector is on the register before the window lists the collectors.
    static bool add_collector() {
        return exec(
            "insert into 收费员 (收费人员,密码,许可) select '收费员甲','',1 where not exists "
            "(select 1 from 收费员 where 收费人员='收费员甲')");
    }
    bool collector_added_ = add_collector();
    charging::BatchChargingWindow window_;
};

// December's bills unpaid, and the register's copy opened anew, so that a run reads its pages
// from the file as the first run did.
bool december_unpaid_from_the_file(int n) {
    unpay_december(n);
    return g_registers->use(n, 'a', true);
}

// By the time a clerk runs a batch the program has painted its windows, progress windows among
// them, and run its statements; the bench's process has not, and its first click would pay for
// the process's first paint of a progress window and its first run of the code, which the raw
// side (run later in the process) does not. So one click goes first, untimed, on the register's
// twin copy (a connection and pages of its own), and the twin is set back.
void warm_up_the_process(int n) {
    static bool warm = false;
    if (warm || !g_registers->use(n, 'b')) return;
    warm = true;
    BatchWindow().click();
    unpay_december(n);
}

// What the first click paid, by bill: 收据号, 实收金额, 预存扣款, 收费人员, 流水号.
struct PaidBill {
    qint64 bill, serial;
    double to_collect, prepaid;
    QByteArray collector;
};
std::map<int, std::vector<PaidBill>> g_paid;  // by register size

// The first click after the month's bills: reader 张三's households charged, and before them
// every household whose balance covers its December bill (thirteen in twenty) settled.
void BM_BatchCharging(benchmark::State& state) {
    const int n = size_of(state);
    warm_up_the_process(n);
    ON_REGISTER(state, 'a');
    for (auto _ : state) {
        state.PauseTiming();
        if (!december_unpaid_from_the_file(n)) state.SkipWithError("cannot open the register");
        BatchWindow window;
        state.ResumeTiming();
        if (window.click() != charging::kBatchDone) state.SkipWithError("the run failed");
    }
    std::vector<PaidBill>& paid = g_paid[n];
    paid.clear();
    platform::RecordSet rows;
    platform::query_open(
        rows, store::main_connection(),
        QString::fromStdString("select 收据号,流水号,实收金额,预存扣款,收费人员 from 总收费 where "
                               "收费标志=0 and 收据号>" +
                               std::to_string(receipt(n, n, kMonths - 1))));
    for (; !platform::recordset_eof(rows); platform::recordset_move_next(rows))
        paid.push_back({static_cast<qint64>(platform::recordset_field_number(rows, 0)),
                        static_cast<qint64>(platform::recordset_field_number(rows, 1)),
                        platform::recordset_field_number(rows, 2),
                        platform::recordset_field_number(rows, 3),
                        platform::recordset_field_text(rows, 4).toUtf8()});
    const int settled = static_cast<int>(std::count_if(
        paid.begin(), paid.end(), [](const PaidBill& b) { return b.collector == "预存扣款"; }));
    // Every household with a prepayment (its 100 covers any December bill) and every other
    // household of 张三.
    int expected_settled = 0, expected = 0;
    for (int i = 1; i <= n; ++i) {
        expected_settled += i % 20 < 13;
        expected += i % 20 < 13 || i % 2;
    }
    if (settled != expected_settled || static_cast<int>(paid.size()) != expected)
        state.SkipWithError("not every bill settled or charged");
}

// A later click's settlement, as the click runs it (the installed hook): nothing is left to
// settle, every balance-holding household's bills being paid.
void BM_SettlementNothingLeft(benchmark::State& state) {
    ON_REGISTER(state, 'a');
    const QString before = take_text("select count(*) from 总收费 where 收费标志=1");
    g_user->last_box.clear();
    for (auto _ : state) charging::batch_pay_from_prepayments_hook()(shell::program_context());
    if (!g_user->last_box.isEmpty() ||
        take_text("select count(*) from 总收费 where 收费标志=1") != before)
        state.SkipWithError("the settlement did something");
}

// The first click's rows written by hand, committed as the click commits them: the bills
// settled from balances in one transaction (the settlement is its own all-or-nothing run), then
// the batch's bills and the log row in another; each bill under its serial, its reading under the
// same serial. False when a write failed or found its bill paid already.
bool write_the_click_rows(const std::vector<PaidBill>& paid) {
    sqlite3_stmt* bill = prepare(
        "update 总收费 set 收费标志=0,实收金额=?,预存扣款=?,收费人员=?,收费日期='2024-01-20',"
        "流水号=? where 收据号=? and 收费标志=1");
    sqlite3_stmt* reading = prepare("update 抄表总表 set 流水号=? where 收据号=?");
    bool ok = true;
    for (const bool settled : {true, false}) {
        ok = exec("BEGIN") && ok;
        for (const PaidBill& b : paid) {
            if ((b.collector == "预存扣款") != settled) continue;
            sqlite3_bind_double(bill, 1, b.to_collect);
            sqlite3_bind_double(bill, 2, b.prepaid);
            sqlite3_bind_text(bill, 3, b.collector.constData(), -1, SQLITE_STATIC);
            sqlite3_bind_int64(bill, 4, b.serial);
            sqlite3_bind_int64(bill, 5, b.bill);
            ok = sqlite3_step(bill) == SQLITE_DONE && sqlite3_changes(raw()) == 1 && ok;
            sqlite3_reset(bill);
            sqlite3_bind_int64(reading, 1, b.serial);
            sqlite3_bind_int64(reading, 2, b.bill);
            ok = sqlite3_step(reading) == SQLITE_DONE && ok;
            sqlite3_reset(reading);
        }
        if (!settled)
            ok = exec(
                     "insert into 日志管理 (操作人员,发生时间,上级项目,当前项目,备注) values "
                     "('管理员','2024-01-20 09:00:00','收费管理','批量收费','执行批量收费')") &&
                 ok;
        ok = exec("COMMIT") && ok;
    }
    sqlite3_finalize(bill);
    sqlite3_finalize(reading);
    return ok;
}

// The first click's rows by hand, from the same register read from the file.
void BM_BatchChargingRaw(benchmark::State& state) {
    ON_REGISTER(state, 'a');
    const int n = size_of(state);
    const std::vector<PaidBill>& paid = g_paid[n];
    if (paid.empty()) {
        state.SkipWithError("the click did not run");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (!december_unpaid_from_the_file(n)) state.SkipWithError("cannot open the register");
        state.ResumeTiming();
        if (!write_the_click_rows(paid)) state.SkipWithError("raw writes failed");
    }
    unpay_december(n);
}

// A later settlement's look by hand: the unpaid bills of the households that hold a balance,
// one grouped query.
void BM_SettlementNothingLeftRaw(benchmark::State& state) {
    ON_REGISTER(state, 'a');
    const int n = size_of(state);
    const std::vector<PaidBill>& paid = g_paid[n];
    // The register as the first click left it.
    exec("BEGIN");
    sqlite3_stmt* bill = prepare(
        "update 总收费 set 收费标志=0,实收金额=?,预存扣款=?,收费人员=?,流水号=? where 收据号=?");
    for (const PaidBill& b : paid) {
        sqlite3_bind_double(bill, 1, b.to_collect);
        sqlite3_bind_double(bill, 2, b.prepaid);
        sqlite3_bind_text(bill, 3, b.collector.constData(), -1, SQLITE_STATIC);
        sqlite3_bind_int64(bill, 4, b.serial);
        sqlite3_bind_int64(bill, 5, b.bill);
        sqlite3_step(bill);
        sqlite3_reset(bill);
    }
    sqlite3_finalize(bill);
    exec("COMMIT");
    for (auto _ : state)
        if (bench::read_every_field(
                raw(),
                "select p.户号,sum(b.实收金额) from 预存明细 p join 总收费 b on b.户号=p.户号 "
                "where p.标志=1 and b.标志=1 and b.收费标志=1 group by p.户号") != 0)
            state.SkipWithError("a balance-holding household owes");
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

// The register as built with the whole of January pending, committed. Its rows are kept for the
// raw side, and the register with January moved and not billed (copy 'm') is where both bill
// runs start.
void BM_MonthCommit(benchmark::State& state) {
    ON_REGISTER_AS(state, 'a', 0);
    const int n = size_of(state);
    complete_the_batch(n);
    for (auto _ : state) {
        const reading::CommitOutcome out =
            reading::commit_month(store::main_connection(), shell::program_context());
        if (!out.moved || out.bills_written != n) state.SkipWithError("the commit failed");
    }
    capture(n, g_commit[n]);
    unbill_january(n);
    if (!g_registers->restore(n, 'm', 'a')) state.SkipWithError("cannot keep the moved month");
}

void BM_MonthCommitRaw(benchmark::State& state) {
    ON_REGISTER_AS(state, 'b', 0);
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
}

void BM_BillRun(benchmark::State& state) {
    ON_REGISTER_AS(state, 'a', 'm');
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
    ON_REGISTER_AS(state, 'b', 'm');
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
MONTH_BENCHMARK(BM_SettlementNothingLeft);
MONTH_BENCHMARK(BM_BatchChargingRaw);
MONTH_BENCHMARK(BM_SettlementNothingLeftRaw);
MONTH_BENCHMARK(BM_MonthCommit);
MONTH_BENCHMARK(BM_MonthCommitRaw);
MONTH_BENCHMARK(BM_BillRun);
MONTH_BENCHMARK(BM_BillRunRaw);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Registers registers;
    g_registers = &registers;
    if (!start_history_bench(&argc, argv, registers, {'a', 'b'})) return 1;
    bench::BenchUser user;
    g_user = &user;
    platform::set_ui_backend(&user);
    // What the program installs at start: batch charging settles from balances first.
    charging::install_batch_settlement();

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const struct {
        const char *what, *name, *raw, *raw_target;
    } jobs[] = {
        {"batch charging as clicked", "BM_BatchCharging", "BM_BatchChargingRaw", "3"},
        {"settlement with nothing left", "BM_SettlementNothingLeft", "BM_SettlementNothingLeftRaw",
         "1.5"},
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
    charging::batch_pay_from_prepayments_hook() = nullptr;
    platform::set_ui_backend(nullptr);
    platform::clear_clock_for_tests();
    shell::free_program_variables();
    benchmark::Shutdown();
    return 0;
}
