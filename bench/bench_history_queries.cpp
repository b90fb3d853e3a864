// The queries a clerk runs every day, after a year of history (bench_history.h), in the register
// of 1,000 and of 200,000 households: 收费查询's arrears (未收费) and paid bills (已收费) under
// each condition the query window allows and the household look-up, 扣款明细 for a month, 日志
// for a day, 未抄表 with the window's first choices, and the invoice recount the counter runs at
// every look-up with invoice management on. Each runs the core function its window calls and
// works out every row's cells (the arrears through the operator's work table, rebuilt as the
// window rebuilds it; the log's records as its window opens them). The raw side reads the same rows through the same indexes with prepared statements (a work table
// filled and read back where the program fills one), every field read. Prints each query's ratio
// to its raw side (target 3; 2 for the two default lists of the whole register, the list-fill
// target) and of 200,000 to 1,000 households per row (target 2).
#include <QCoreApplication>
#include <cstdio>
#include <algorithm>
#include <functional>
#include <map>

#include "bench_history.h"
#include "bench_program.h"
#include "charging/charge_queries.h"
#include "charging/deduction_query.h"
#include "reading/reading_query.h"
#include "shell/log_query_window.h"
#include "shell/program_state.h"
#include "tariffs/invoices.h"

namespace {

using namespace bench::history;

Registers* g_registers = nullptr;

// The rows each run listed, by the benchmark's name without its options.
std::map<std::string, int> g_rows;

int size_of(const benchmark::State& state) { return static_cast<int>(state.range(0)); }
sqlite3* raw() { return platform::db_handle(store::main_connection()); }

#define ON_REGISTER(state)                               \
    if (!g_registers->use(size_of(state))) {             \
        state.SkipWithError("cannot open the register"); \
        return;                                          \
    }

platform::Connection& db() { return store::main_connection(); }
const QString kOperator = QStringLiteral("管理员");

// Counts the rows a list would show; the cells are worked out and dropped.
class CountingSink : public charging::ListRowSink {
public:
    void begin(int) override {}
    int add_row() override { return rows++; }
    void put(int, int, std::string_view cell) override { benchmark::DoNotOptimize(cell.data()); }
    int rows = 0;
};

// ---- the program's side: the core functions the windows call, their rows counted ----

charging::UnpaidQueryForm unpaid(bool street, bool reader, bool item, bool dates) {
    charging::UnpaidQueryForm f;
    f.by_street = street;
    f.street = QStringLiteral("街道5");
    f.by_reader = reader;
    f.reader = QStringLiteral("张三");
    f.by_fee_item = item;
    f.fee_item = QStringLiteral("水费");
    f.by_reading_date = dates;
    f.from = QDate(2023, 12, 1);
    f.to = QDate(2023, 12, 31);
    return f;
}

charging::PaidQueryForm paid(bool street, bool collector, bool reader, bool item) {
    charging::PaidQueryForm f;
    f.from = QDate(2023, 11, 1);
    f.to = QDate(2023, 11, 30);
    f.by_street = street;
    f.street = QStringLiteral("街道5");
    f.by_collector = collector;
    f.collector = QStringLiteral("收费员乙");
    f.by_reader = reader;
    f.reader = QStringLiteral("张三");
    f.by_fee_item = item;
    f.fee_item = QStringLiteral("水费");
    return f;
}

// The operator's work table rebuilt and its rows listed, as the arrears tab does.
int arrears(const charging::UnpaidQueryForm& f) {
    charging::build_unpaid_charge_table(db(), kOperator, charging::unpaid_query_statement(f));
    CountingSink sink;
    charging::write_unpaid_charge_rows(db(), charging::unpaid_list_statement(kOperator), sink);
    return sink.rows - 1;
}

int paid_bills(const QString& statement) {
    CountingSink sink;
    charging::write_paid_charge_rows(db(), statement, sink);
    return sink.rows - 1;
}

int deductions(const QDate& from, const QDate& to) {
    return charging::read_deduction_rows(db(), charging::deduction_period_statement(from, to),
                                         nullptr, nullptr)
        .rows;
}

// The records the log page lists, opened as its query window opens them.
int log_day() {
    shell::LogQuery q;
    q.first_day = q.last_day = QDate(2023, 11, 5);
    platform::RecordSet records;
    if (!platform::query_open(records, db(), shell::log_query_statement(q))) return -1;
    int rows = 0;
    std::string scratch;
    const int fields = platform::recordset_field_count(records);
    for (; !platform::recordset_eof(records); platform::recordset_move_next(records), ++rows)
        for (int f = 0; f < fields; ++f)
            benchmark::DoNotOptimize(platform::recordset_field_utf8(records, f, scratch).data());
    return rows;
}

int unread_meters() {
    reading::UnreadQueryForm f;
    f.year = QStringLiteral("2024");
    f.month = QStringLiteral("1");
    f.order = QStringLiteral("抄表人员");
    f.direction = QStringLiteral("升序");
    reading::run_unread_query(db(), f, shell::system_parameters.reading_day);
    return static_cast<int>(
               reading::reading_query_rows(db(), reading::kUnreadListStatement, 2, {}).size()) -
           1;
}

int invoice_recount() {
    tariffs::refresh_current_invoice_number();
    return shell::current_invoice_number == QStringLiteral("00000051") ? 50 : -1;
}

// ---- the raw side ----

int read(const char* sql) { return bench::read_every_field(raw(), sql); }

bool exec(const std::string& sql) { return bench::exec_raw(raw(), sql.c_str()); }

// The arrears written into a work table of the same columns and read back in its order, the
// start and end readings taken from the bills' readings by receipt number.
int raw_arrears(const std::string& from_where) {
    exec("drop table if exists raw_arrears");
    exec("create table raw_arrears (编号 integer primary key autoincrement, 户号 text, 用户名 text, "
         "价格类别 text, 居住街道 text, 详细地址 text, 起数 real, 止数 real, 用量 real, 价格 real, "
         "欠费金额 real, 预存扣款 real, 抄表日期 date, 抄表人员 text, 移动电话 text, 固定电话 text, "
         "收费项目 text, 收据号 int, 性质 int)");
    exec("insert into raw_arrears (户号,用户名,价格类别,居住街道,详细地址,起数,止数,用量,价格,欠费金额,"
         "预存扣款,抄表日期,抄表人员,移动电话,固定电话,收费项目,性质,收据号) select u.户号,u.用户名,"
         "b.价格类别,u.居住街道,u.详细地址,r.起方,r.止方,b.实收量,b.价格,b.实收金额,b.预存扣款,"
         "b.抄表日期,b.抄表人员,u.移动电话,u.固定电话,b.收费项目,u.性质,b.收据号 " +
         from_where + " order by u.户号,b.收据号");
    return read("select * from raw_arrears order by 编号");
}

#define UNPAID_FROM                                                                      \
    "from 总收费 b join 用户信息表 u on u.户号=b.户号 left join 抄表总表 r on r.收据号=b.收据号 " \
    "where b.收费标志=1 and b.标志=1"
// A street's households reach their bills by number: their own and their meter accounts', as
// every reader of a household's bills does.
#define STREET_UNPAID_FROM                                                                     \
    "from 用户信息表 u join 总收费 b on (b.户号=u.户号 or b.户号 in (select a.户号 from 用户表管理 a " \
    "where a.父号=u.户号)) left join 抄表总表 r on r.收据号=b.收据号 where b.收费标志=1 and b.标志=1 "  \
    "and u.居住街道='街道5'"
#define STREET_PAID_SELECT                                                                     \
    "select u.户号,u.用户名,u.居住街道,b.抄表人员,b.收费人员,b.收费日期,b.实收金额,b.发票号,b.预存扣款," \
    "b.流水号,b.收费项目 from 用户信息表 u join 总收费 b on (b.户号=u.户号 or b.户号 in (select a.户号 " \
    "from 用户表管理 a where a.父号=u.户号)) where u.居住街道='街道5' and "
#define PAID_SELECT                                                                           \
    "select u.户号,u.用户名,u.居住街道,b.抄表人员,b.收费人员,b.收费日期,b.实收金额,b.发票号,b.预存扣款," \
    "b.流水号,b.收费项目 from 总收费 b join 用户信息表 u on u.户号=b.户号 where "
#define NOVEMBER_PAID "b.收费日期>='2023-11-01' and b.收费日期<='2023-11-30' and b.收费标志=0"

int raw_invoice_recount() {
    // Each used number and the first free one sought in the bills, the free one also in the
    // prepayments, and the book's row written.
    sqlite3_stmt* bills = nullptr;
    sqlite3_stmt* deposits = nullptr;
    sqlite3_prepare_v2(raw(), "select 实收金额,标志 from 总收费 where 发票号=? and 发票号<>''", -1,
                       &bills, nullptr);
    sqlite3_prepare_v2(raw(), "select 预存金额,标志 from 预存明细 where 发票号=?", -1, &deposits,
                       nullptr);
    int used = 0;
    for (int k = 1;; ++k) {
        char number[16];
        std::snprintf(number, sizeof number, "%08d", k);
        bool found = false;
        for (sqlite3_stmt* s : {bills, deposits}) {
            sqlite3_bind_text(s, 1, number, -1, SQLITE_STATIC);
            while (sqlite3_step(s) == SQLITE_ROW) {
                found = true;
                benchmark::DoNotOptimize(sqlite3_column_double(s, 0));
            }
            sqlite3_reset(s);
            if (found) break;
        }
        if (!found) break;
        ++used;
    }
    sqlite3_finalize(bills);
    sqlite3_finalize(deposits);
    exec("begin");
    exec("update 发票设置 set 用完标志=0 where 编号=1");
    exec("update 发票设置 set 当前发票号='00000051',已使用=50,作废=0,总开票金额=0 where 编号=1");
    exec("commit");
    return used;
}

struct Query {
    const char* title;
    std::function<int()> run;
    std::function<int()> raw;
    const char* target;
};

const Query kQueries[] = {
    {"未收费 默认", [] { return arrears(unpaid(false, false, false, false)); },
     [] { return raw_arrears(UNPAID_FROM); }, "2"},
    {"未收费 居住街道", [] { return arrears(unpaid(true, false, false, false)); },
     [] { return raw_arrears(STREET_UNPAID_FROM); }, "3"},
    {"未收费 抄表人员 收费项目", [] { return arrears(unpaid(false, true, true, false)); },
     [] { return raw_arrears(UNPAID_FROM " and b.抄表人员='张三' and b.收费项目='水费'"); }, "3"},
    {"未收费 全部条件", [] { return arrears(unpaid(true, true, true, true)); },
     [] {
         return raw_arrears(STREET_UNPAID_FROM
                            " and b.抄表人员='张三' and b.收费项目='水费' and "
                            "b.收费日期>='2023-12-01' and b.收费日期<='2023-12-31'");
     },
     "3"},
    {"已收费 一月", [] { return paid_bills(charging::paid_query_statement(paid(0, 0, 0, 0)).statement); },
     [] { return read(PAID_SELECT NOVEMBER_PAID " order by b.流水号,b.收据号"); }, "3"},
    {"已收费 一月 居住街道",
     [] { return paid_bills(charging::paid_query_statement(paid(1, 0, 0, 0)).statement); },
     [] {
         return read(STREET_PAID_SELECT NOVEMBER_PAID " order by b.流水号,b.收据号");
     },
     "3"},
    {"已收费 一月 收费人员",
     [] { return paid_bills(charging::paid_query_statement(paid(0, 1, 0, 0)).statement); },
     [] {
         return read(PAID_SELECT NOVEMBER_PAID " and b.收费人员='收费员乙' order by b.流水号,b.收据号");
     },
     "3"},
    {"已收费 一月 全部条件",
     [] { return paid_bills(charging::paid_query_statement(paid(1, 1, 1, 1)).statement); },
     [] {
         return read(STREET_PAID_SELECT NOVEMBER_PAID
                     " and b.收费人员='收费员乙' and b.抄表人员='张三' and "
                     "b.收费项目='水费' order by b.流水号,b.收据号");
     },
     "3"},
    {"已收费 指定户号",
     [] { return paid_bills(charging::household_paid_statement(QStringLiteral("000777"))); },
     [] {
         return read(PAID_SELECT "b.户号='000777' and u.户号='000777' and b.收费标志=0 order by b.收据号");
     },
     "3"},
    {"扣款明细 一月", [] { return deductions(QDate(2023, 11, 1), QDate(2023, 11, 30)); },
     [] {
         return read(
             "select u.户号,u.用户名,u.居住街道,u.详细地址,b.预存扣款,b.收费日期 from 总收费 b join "
             "用户信息表 u on u.户号=b.户号 where b.预存扣款>0 and b.收费日期>='2023-11-01' and "
             "b.收费日期<='2023-11-30' and b.标志=1 order by +b.收据号");
     },
     "3"},
    {"日志 一天", log_day,
     [] {
         return read("select * from 日志管理 where 发生时间>='2023-11-05' and "
                     "发生时间<='2023-11-05 23:59:59' order by ID desc");
     },
     "3"},
    {"未抄表 默认", unread_meters,
     [] {
         exec("drop table if exists raw_unread");
         exec("create table raw_unread (编号 integer primary key autoincrement, 抄表户号 text, 价格类别 "
              "text, 计量编号 text, 抄表人员 text, 建表时间 date, 父号 text, 收费项目 text, 居住街道 "
              "text, 详细地址 text)");
         exec("insert into raw_unread (抄表户号,价格类别,计量编号,抄表人员,建表时间,父号,收费项目,居住街道,"
              "详细地址) select a.户号,a.价格类别,a.计量编号,a.抄表人员,a.建表时间,a.父号,a.收费项目,"
              "u.居住街道,u.详细地址 from 用户表管理 a join 用户信息表 u on u.户号=a.父号 where not "
              "exists (select 1 from 抄表总表 r where r.户号=a.户号 and r.抄表日期 between "
              "'2024-01-01' and '2024-01-31') and a.状态='正常' order by a.抄表人员,a.抄表序号");
         return read("select n.抄表户号,n.父号,n.收费项目,n.价格类别,n.建表时间,n.计量编号,n.抄表人员,"
                     "u.居住街道,u.详细地址,u.固定电话,u.移动电话,u.用户名 from raw_unread n join "
                     "用户信息表 u on u.户号=n.父号 order by n.编号");
     },
     "2"},
    {"发票号 每次查询", invoice_recount, raw_invoice_recount, "3"},
};

// Both sides run their query once untimed first, so both are timed from the same warm start.
void time_query(benchmark::State& state, const char* name, const std::function<int()>& run) {
    ON_REGISTER(state);
    const int rows = run();
    if (rows < 0) {
        state.SkipWithError("the query failed");
        return;
    }
    for (auto _ : state)
        if (run() != rows) state.SkipWithError("the rows changed");
    state.counters["rows"] = rows;
    g_rows[std::string(name) + "/" + std::to_string(state.range(0)) + "/" +
           std::to_string(state.range(1))] = rows;
}

void BM_Query(benchmark::State& state) {
    time_query(state, "BM_Query", kQueries[state.range(1)].run);
}
void BM_QueryRaw(benchmark::State& state) {
    time_query(state, "BM_QueryRaw", kQueries[state.range(1)].raw);
}

void query_args(benchmark::internal::Benchmark* b) {
    report_cases(b, static_cast<int>(std::size(kQueries)));
}

BENCHMARK(BM_Query)->Apply(query_args)->Unit(benchmark::kMillisecond)->MinTime(0.2)->UseRealTime();
BENCHMARK(BM_QueryRaw)->Apply(query_args)->Unit(benchmark::kMillisecond)->MinTime(0.2)->UseRealTime();

// The invoices the recount finds: a book of a thousand numbers, the first fifty carried by bills
// of November (one payment each), in every copy of the register.
bool add_invoices(int households) {
    if (!g_registers->use(households)) return false;
    bool ok = exec("begin") &&
              exec("insert into 发票设置 (领取时间,发票代码,发票起号,发票止号,发票类型,总张数,收费人员,"
                   "用完标志) values ('2023-01-01','000000000000','00000001','00001000','00000',1000,"
                   "'收费员甲',0)");
    for (int k = 1; ok && k <= 50; ++k) {
        char number[16];
        std::snprintf(number, sizeof number, "%08d", k);
        ok = exec("update 总收费 set 发票号='" + std::string(number) + "' where 收据号=" +
                  std::to_string(receipt(households, k, 11)));
    }
    return exec(ok ? "commit" : "rollback") && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    Registers registers;
    g_registers = &registers;
    if (!start_history_bench(&argc, argv, registers)) return 1;
    for (const int size : {kSmall, large_size()})
        if (!add_invoices(size)) {
            std::fprintf(stderr, "cannot add the invoices\n");
            return 1;
        }

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string suffix = "/min_time:0.200/real_time";
    for (int q = 0; q < static_cast<int>(std::size(kQueries)); ++q) {
        for (const int size : {kSmall, large_size()}) {
            const std::string at = "/" + std::to_string(size) + "/" + std::to_string(q) + suffix;
            const std::string what =
                std::string(kQueries[q].title) + " vs raw at " + std::to_string(size);
            reporter.print_ratio(what.c_str(), "BM_Query" + at, "query", "BM_QueryRaw" + at, "raw",
                                 kQueries[q].target);
        }
        // Per row listed (a query of no rows counted as one).
        const auto per_row = [&](int size) {
            const std::string name = "BM_Query/" + std::to_string(size) + "/" + std::to_string(q);
            const auto t = reporter.times.find(name + suffix);
            const auto n = g_rows.find(name);
            return t == reporter.times.end() || n == g_rows.end()
                       ? -1.0
                       : t->second / std::max(1, n->second);
        };
        const double small = per_row(kSmall), large = per_row(large_size());
        if (small > 0 && large >= 0)
            std::printf("ratio %s per row %d/%d: %.2f (%d rows %.4f ms, %d rows %.4f ms; target <= "
                        "2)\n",
                        kQueries[q].title, large_size(), kSmall, large / small,
                        g_rows["BM_Query/" + std::to_string(large_size()) + "/" + std::to_string(q)],
                        large, g_rows["BM_Query/" + std::to_string(kSmall) + "/" + std::to_string(q)],
                        small);
    }
    shell::free_program_variables();
    platform::clear_clock_for_tests();
    benchmark::Shutdown();
    return 0;
}
