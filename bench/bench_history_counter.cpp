// The clerk's everyday actions after a year of history (bench_history.h), in the register of
// 1,000 and of 200,000 households: the counter's 查询 of one household (look-up, unpaid test,
// late fees, the bills with their readings and surcharge lines), its 收费 of that household's
// bill with the log row and the receipt's print database, and the reading entry's 添加 of one
// meter with 自动刷新 on over the pending batch (half the register) shown on the monthly page.
// Each runs the functions its window runs. Prints each action's ratio of 200,000 to 1,000 and
// of its time to the raw statements that read or write the same rows (typed columns, prepared,
// through the indexes).
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTableView>
#include <cstdio>
#include <filesystem>
#include <type_traits>

#include "bench_history.h"
#include "bench_register.h"
#include "charging/charging_bill.h"
#include "charging/payments.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "reading/monthly_reading_page.h"
#include "reading/reading_entry_window.h"
#include "reports/print_database.h"
#include "shell/program_state.h"
#include "shell/run_context.h"
#include "shell/session.h"
#include "tariffs/late_fees.h"

namespace {

using namespace bench::history;

Registers* g_registers = nullptr;
bench::BenchUser* g_user = nullptr;
reading::MonthlyReadingPage* g_page = nullptr;
int g_next[2] = {0, 0};  // per size: the next household an action takes

int size_of(const benchmark::State& state) { return static_cast<int>(state.range(0)); }
int& next_of(int size) { return g_next[size == kSmall ? 0 : 1]; }

#define ON_REGISTER(state)                               \
    if (!g_registers->use(size_of(state))) {             \
        state.SkipWithError("cannot open the register"); \
        return;                                          \
    }

sqlite3* raw() { return platform::db_handle(store::main_connection()); }

// ---- counter 查询 ----

bool counter_lookup(const QString& number) {
    platform::Connection& db = store::main_connection();
    const charging::HouseholdFound found =
        charging::find_household(db, charging::LookupBy::Number, number);
    if (!found.found || charging::count_unpaid_bills(db, found.number) == 0) return false;
    const shell::RunContext context = shell::program_context();
    tariffs::apply_late_fees_to_unpaid_charges(db, found.number, context.parameters,
                                               context.today());
    const charging::ChargingBill bill = charging::load_charging_bill(db, found.number);
    return !bill.bill_numbers.empty() && !bill.surcharges.isEmpty();
}

// The households each look-up side takes, in turn. Each side first runs its look-ups of them once
// untimed, so that both are timed on the same warm cache: run in turn, the raw side would read
// the pages the action had just brought in, and the action its own pages from the disk.
constexpr int kLookups = 50;
int lookup_household(int n, int& i) { return i = i * 7919 % n + 1; }

void BM_CounterLookup(benchmark::State& state) {
    ON_REGISTER(state);
    const int n = size_of(state);
    int i = 1;
    for (int k = 0; k < kLookups; ++k)
        counter_lookup(QString::fromStdString(household(lookup_household(n, i))));
    i = 1;
    for (auto _ : state)
        if (!counter_lookup(QString::fromStdString(household(lookup_household(n, i)))))
            state.SkipWithError("no bill shown");
}

// The same rows read raw: the household, its active meters, its unpaid bills, their readings
// and surcharge lines.
struct RawLookup {
    explicit RawLookup(sqlite3* db) {
        const char* sql[] = {
            "select 户号,用户名,详细地址,居住街道 from 用户信息表 where 户号=?",
            "select count(*) from 用户表管理 where 父号=? and 状态='正常'",
            "select 收据号,应收金额,实收金额,滞纳金,减免金额,预存扣款,上月接转,本月接转 from "
            "总收费 "
            "where 户号 in (select 户号 from 用户表管理 where 父号=?1 union select ?1) and 标志=1 "
            "and 收费标志=1 order by 收据号",
            "select 收费项目,起方,止方,用量,价格,抄表日期 from 抄表总表 where 收据号=?",
            "select 收费项目,附加费名称,用量,价格,金额 from 月附加费 where 收据号=?"};
        for (int k = 0; k < 5; ++k) sqlite3_prepare_v2(db, sql[k], -1, &stmt[k], nullptr);
    }
    ~RawLookup() {
        for (sqlite3_stmt* s : stmt) sqlite3_finalize(s);
    }
    // Steps a statement to its end, reading typed columns; the first column of its last row.
    qint64 run(int k, const std::string& key) {
        sqlite3_bind_text(stmt[k], 1, key.c_str(), -1, SQLITE_TRANSIENT);
        return drain(k);
    }
    qint64 run(int k, qint64 key) {
        sqlite3_bind_int64(stmt[k], 1, key);
        return drain(k);
    }
    qint64 drain(int k) {
        qint64 first = 0;
        double sum = 0;
        while (sqlite3_step(stmt[k]) == SQLITE_ROW) {
            first = sqlite3_column_int64(stmt[k], 0);
            for (int c = 1; c < sqlite3_column_count(stmt[k]); ++c)
                sum += sqlite3_column_type(stmt[k], c) == SQLITE_TEXT
                           ? sqlite3_column_bytes(stmt[k], c)
                           : sqlite3_column_double(stmt[k], c);
        }
        benchmark::DoNotOptimize(sum);
        sqlite3_reset(stmt[k]);
        return first;
    }
    sqlite3_stmt* stmt[5] = {};
};

void BM_CounterLookupRaw(benchmark::State& state) {
    ON_REGISTER(state);
    const int n = size_of(state);
    RawLookup q(raw());
    const auto look_up = [&q](int household_index) {
        const std::string h = household(household_index);
        q.run(0, h);
        q.run(1, h);
        const qint64 bill = q.run(2, h);
        q.run(3, bill);
        q.run(4, bill);
        return bill != 0;
    };
    int i = 1;
    for (int k = 0; k < kLookups; ++k) look_up(lookup_household(n, i));
    i = 1;
    for (auto _ : state) {
        if (!look_up(lookup_household(n, i))) state.SkipWithError("no bill");
    }
}

// ---- counter 收费 ----

void BM_CounterPayment(benchmark::State& state) {
    ON_REGISTER(state);
    const int n = size_of(state);
    platform::Connection& db = store::main_connection();
    for (auto _ : state) {
        state.PauseTiming();
        const int i = ++next_of(n);
        const QString number = QString::fromStdString(household(i));
        const charging::ChargingBill bill = charging::load_charging_bill(db, number);
        charging::PaymentRequest request;
        request.household = number;
        request.bills = bill.bill_numbers;
        request.collector = QStringLiteral("收费员甲");
        request.date = QDate(2024, 1, 20);
        request.invoice_number = shell::current_invoice_number;
        request.rule = charging::SerialRule::Counter;
        request.carry_over = charging::CarryOverChange{bill.carry_out, bill.carry_out};
        state.ResumeTiming();
        // As the window's 收费 click: the log row goes in with the payment, one commit.
        request.log = charging::PaymentLog{shell::program_context(), QStringLiteral("收费管理"),
                                           QStringLiteral("窗口收费"),
                                           QStringLiteral("添加收费记录") + number};
        const charging::PaymentOutcome out = charging::take_payment(db, request, 9);
        if (!out.done || out.log_failed || request.bills.empty()) {
            state.SkipWithError("not paid");
            break;
        }
        reports::build_charge_receipt(db, out.serial);
    }
}

// The receipt's print database written raw: the shipped empty one laid afresh and opened as a
// scratch file, one 电表信息 row per reading and per surcharge line, the 用户信息 row, closed.
class RawPrintDatabase {
public:
    RawPrintDatabase()
        : shipped_(platform::app_path(platform::kShippedPrintDatabaseFile).toStdString()),
          target_(reports::print_database_path().toStdString()) {}
    bool open() {
        std::error_code error;
        std::filesystem::copy_file(shipped_, target_,
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error || sqlite3_open_v2(target_.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr))
            return false;
        sqlite3_exec(db_, "PRAGMA journal_mode=MEMORY; PRAGMA synchronous=OFF", nullptr, nullptr,
                     nullptr);
        sqlite3_prepare_v2(db_,
                           "insert into 电表信息 (起数,止数,用量,实收,价格,金额,抄表日期,收费项目) "
                           "values (?,?,?,?,?,?,?,?)",
                           -1, &reading_, nullptr);
        sqlite3_prepare_v2(db_,
                           "insert into 电表信息 (起数,实收,价格,金额,收费项目) values (?,?,?,?,?)",
                           -1, &surcharge_, nullptr);
        sqlite3_prepare_v2(
            db_,
            "insert into 用户信息 (户号,系统流水,缴费性质,收费日期,应收金额,实收金额,"
            "收费人员) values (?,?,'现金缴费','2024-01-20',?,?,'收费员甲')",
            -1, &household_, nullptr);
        return reading_ && surcharge_ && household_;
    }
    // Each reading line of `readings` (收费项目,起方,止方,用量,价格,抄表日期) as a print row.
    void readings(sqlite3_stmt* readings) {
        while (sqlite3_step(readings) == SQLITE_ROW) {
            const double usage = sqlite3_column_double(readings, 3),
                         price = sqlite3_column_double(readings, 4);
            sqlite3_bind_double(reading_, 1, sqlite3_column_double(readings, 1));
            sqlite3_bind_double(reading_, 2, sqlite3_column_double(readings, 2));
            sqlite3_bind_double(reading_, 3, usage);
            sqlite3_bind_double(reading_, 4, usage);
            sqlite3_bind_double(reading_, 5, price);
            sqlite3_bind_double(reading_, 6, usage * price);
            sqlite3_bind_value(reading_, 7, sqlite3_column_value(readings, 5));
            sqlite3_bind_value(reading_, 8, sqlite3_column_value(readings, 0));
            step(reading_);
        }
        sqlite3_reset(readings);
    }
    // Each surcharge line of `lines` (收费项目,附加费名称,用量,价格,金额) as a print row.
    void surcharges(sqlite3_stmt* lines) {
        while (sqlite3_step(lines) == SQLITE_ROW) {
            sqlite3_bind_value(surcharge_, 1, sqlite3_column_value(lines, 1));
            for (int c = 2; c <= 4; ++c)
                sqlite3_bind_double(surcharge_, c, sqlite3_column_double(lines, c));
            sqlite3_bind_value(surcharge_, 5, sqlite3_column_value(lines, 0));
            step(surcharge_);
        }
        sqlite3_reset(lines);
    }
    void household(const std::string& number, qint64 serial, double due, double paid) {
        sqlite3_bind_text(household_, 1, number.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(household_, 2, serial);
        sqlite3_bind_double(household_, 3, due);
        sqlite3_bind_double(household_, 4, paid);
        step(household_);
    }
    void close() {
        for (sqlite3_stmt* s : {reading_, surcharge_, household_}) sqlite3_finalize(s);
        reading_ = surcharge_ = household_ = nullptr;
        sqlite3_close(db_);
        db_ = nullptr;
    }

private:
    void step(sqlite3_stmt* statement) {
        if (sqlite3_step(statement) != SQLITE_DONE) ++failures;
        sqlite3_reset(statement);
    }
    std::string shipped_, target_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt *reading_ = nullptr, *surcharge_ = nullptr, *household_ = nullptr;

public:
    int failures = 0;
};

// The same writes and reads raw: the bill and its readings marked paid under a new serial and
// the log row in one transaction (one synced commit, as the click's), the receipt's rows read by
// the serial and written into a fresh print database.
void BM_CounterPaymentRaw(benchmark::State& state) {
    ON_REGISTER(state);
    const int n = size_of(state);
    sqlite3* db = raw();
    sqlite3_stmt *top = nullptr, *bill = nullptr, *readings = nullptr, *log = nullptr;
    sqlite3_prepare_v2(db, "select max(流水号) from 总收费", -1, &top, nullptr);
    sqlite3_prepare_v2(db,
                       "update 总收费 set 收费标志=0,收费人员='收费员甲',收费日期='2024-01-20',"
                       "发票号='',流水号=? where 收据号=? and 收费标志=1",
                       -1, &bill, nullptr);
    sqlite3_prepare_v2(db, "update 抄表总表 set 流水号=? where 收据号=?", -1, &readings, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 日志管理 (操作人员,发生时间,上级项目,当前项目,备注) values "
                       "('管理员','2024-1-20 9:0:0','收费管理','窗口收费',?)",
                       -1, &log, nullptr);
    RawLookup lines(db);
    sqlite3_stmt* by_serial = nullptr;
    sqlite3_prepare_v2(
        db, "select 户号,收据号,应收金额,实收金额,实收量,价格 from 总收费 where 流水号=?", -1,
        &by_serial, nullptr);
    for (auto _ : state) {
        const int i = ++next_of(n);
        const qint64 r = receipt(n, i, kMonths);
        bench::raw_exec("BEGIN");
        sqlite3_step(top);
        const qint64 s = sqlite3_column_int64(top, 0) + 1;
        sqlite3_reset(top);
        sqlite3_bind_int64(bill, 1, s);
        sqlite3_bind_int64(bill, 2, r);
        sqlite3_step(bill);
        sqlite3_reset(bill);
        if (sqlite3_changes(db) != 1) state.SkipWithError("raw payment changed no bill");
        sqlite3_bind_int64(readings, 1, s);
        sqlite3_bind_int64(readings, 2, r);
        sqlite3_step(readings);
        sqlite3_reset(readings);
        const std::string remark = "添加收费记录" + household(i);
        sqlite3_bind_text(log, 1, remark.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(log);
        sqlite3_reset(log);
        if (!bench::raw_exec("COMMIT")) state.SkipWithError("raw payment not committed");
        RawPrintDatabase print;
        if (!print.open()) state.SkipWithError("raw print database not laid");
        double due = 0, paid = 0;
        sqlite3_bind_int64(by_serial, 1, s);
        while (sqlite3_step(by_serial) == SQLITE_ROW) {
            due += sqlite3_column_double(by_serial, 2);
            paid += sqlite3_column_double(by_serial, 3);
        }
        sqlite3_reset(by_serial);
        sqlite3_bind_int64(lines.stmt[3], 1, r);
        print.readings(lines.stmt[3]);
        sqlite3_bind_int64(lines.stmt[4], 1, r);
        print.surcharges(lines.stmt[4]);
        print.household(household(i), s, due, paid);
        print.close();
        if (print.failures) state.SkipWithError("raw print rows not written");
    }
    for (sqlite3_stmt* s : {top, bill, readings, log, by_serial}) sqlite3_finalize(s);
}

// ---- reading entry 添加 ----

void BM_ReadingEntryAdd(benchmark::State& state) {
    ON_REGISTER(state);
    QTableView* list = g_page->monthly_list();
    g_page->refill();  // the page as the clerk opened it
    shell::reading_form_mode = QStringLiteral("添加");
    reading::ReadingEntryWindow entry(list, g_page);
    const auto unit = [&entry](auto* type, const char* name) {
        return entry.findChild<std::remove_pointer_t<decltype(type)>*>(QString::fromUtf8(name));
    };
    QLineEdit* number = unit(static_cast<QLineEdit*>(nullptr), "户号");
    QLineEdit* end = unit(static_cast<QLineEdit*>(nullptr), "止方输入框");
    unit(static_cast<QCheckBox*>(nullptr), "到下一户")->setChecked(false);
    unit(static_cast<QCheckBox*>(nullptr), "选择框_刷新")->setChecked(true);
    int even = 0;
    for (auto _ : state) {
        state.PauseTiming();
        even += 2;  // the even households have no pending reading yet
        const int rows = platform::listview_row_count(list);
        g_user->last_box.clear();
        state.ResumeTiming();
        number->setText(QString::fromStdString(account(even)));
        entry.load_previous_reading();
        end->setText(QString::number(start_reading(even, 13) + 9));
        entry.on_add_reading_confirm_click();
        if (!g_user->last_box.isEmpty() || platform::listview_row_count(list) != rows + 1) {
            state.SkipWithError("reading not added");
            break;
        }
    }
}

void BM_ReadingEntryAddRaw(benchmark::State& state) {
    ON_REGISTER(state);
    sqlite3* db = raw();
    sqlite3_stmt *meter = nullptr, *done = nullptr, *last = nullptr, *insert = nullptr,
                 *log = nullptr;
    sqlite3_prepare_v2(
        db, "select 户号,收费项目,价格类别,抄表人员,父号,倍率 from 用户表管理 where 户号=?", -1,
        &meter, nullptr);
    sqlite3_prepare_v2(db,
                       "select count(*) from 抄表总表 where 户号=? and 抄表日期>='2024-01-01' and "
                       "抄表日期<'2024-02-01'",
                       -1, &done, nullptr);
    sqlite3_prepare_v2(db, "select 止方 from 抄表总表 where 户号=? order by 抄表日期 desc limit 1",
                       -1, &last, nullptr);
    sqlite3_prepare_v2(
        db,
        "insert into 抄表管理 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
        "抄表人员,价格) values (?,?,?,?,9,0,'2024-01-20','水费','居民','李四',2.5)",
        -1, &insert, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 日志管理 (操作人员,发生时间,上级项目,当前项目,备注) values "
                       "('管理员','2024-1-20 9:0:0','抄表管理','抄表添加',?)",
                       -1, &log, nullptr);
    // Even households from the end of the register, which the window's run leaves alone.
    int even = size_of(state) / 2 * 2;
    for (auto _ : state) {
        const std::string a = account(even);
        even -= 2;
        const std::string h = a.substr(0, 6);
        for (sqlite3_stmt* s : {meter, done, last}) {
            sqlite3_bind_text(s, 1, a.c_str(), -1, SQLITE_TRANSIENT);
            while (sqlite3_step(s) == SQLITE_ROW)
                benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
            sqlite3_reset(s);
        }
        sqlite3_bind_text(insert, 1, a.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, h.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 3, 100);
        sqlite3_bind_double(insert, 4, 109);
        sqlite3_step(insert);
        sqlite3_reset(insert);
        sqlite3_bind_text(log, 1, a.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(log);
        sqlite3_reset(log);
    }
    for (sqlite3_stmt* s : {meter, done, last, insert, log}) sqlite3_finalize(s);
}

#define HISTORY_BENCHMARK(name, iterations) \
    BENCHMARK(name)                         \
        ->Arg(kSmall)                       \
        ->Arg(large_size())                 \
        ->Unit(benchmark::kMillisecond)     \
        ->Iterations(iterations)            \
        ->UseRealTime()
HISTORY_BENCHMARK(BM_CounterLookup, kLookups);
HISTORY_BENCHMARK(BM_CounterLookupRaw, kLookups);
HISTORY_BENCHMARK(BM_CounterPayment, 30);
HISTORY_BENCHMARK(BM_CounterPaymentRaw, 30);
HISTORY_BENCHMARK(BM_ReadingEntryAdd, 100);
HISTORY_BENCHMARK(BM_ReadingEntryAddRaw, 100);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Registers registers;
    g_registers = &registers;
    if (!start_history_bench(&argc, argv, registers)) return 1;
    if (!registers.use(kSmall)) return 1;
    bench::BenchUser user;
    g_user = &user;
    platform::set_ui_backend(&user);
    reading::MonthlyReadingPage page;
    page.resize(1200, 700);
    page.show();
    g_page = &page;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const struct {
        const char *what, *name, *raw, *iterations, *size_target, *raw_target;
    } actions[] = {
        {"counter 查询", "BM_CounterLookup", "BM_CounterLookupRaw", "50", "2", "3"},
        {"counter 收费", "BM_CounterPayment", "BM_CounterPaymentRaw", "30", "2", "3"},
        {"reading entry 添加", "BM_ReadingEntryAdd", "BM_ReadingEntryAddRaw", "100", "3", "3"},
    };
    for (const auto& a : actions) {
        const std::string suffix = std::string("/iterations:") + a.iterations + "/real_time";
        print_size_ratio(reporter, a.what, a.name, suffix, a.size_target);
        for (const int size : {kSmall, large_size()}) {
            const std::string at = "/" + std::to_string(size) + suffix;
            const std::string what = std::string(a.what) + " vs raw at " + std::to_string(size);
            reporter.print_ratio(what.c_str(), a.name + at, "action", a.raw + at, "raw",
                                 a.raw_target);
        }
    }
    g_page = nullptr;
    platform::set_ui_backend(nullptr);
    platform::clear_clock_for_tests();
    shell::free_program_variables();
    benchmark::Shutdown();
    return 0;
}
