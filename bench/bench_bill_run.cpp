// A month's bill run: 20,000 households with two fee items each (one reading per meter
// account; 水费 tiered with a per-unit surcharge, 电费 at a plain price), every tenth household
// with a prepaid balance and every seventh with a carry-over, run through the charge engine in
// one transaction, against straight sqlite3 inserts and updates of the same resulting rows
// (the bills, their surcharge lines and the readings' billing columns) in one transaction,
// measured in the same run. Prints the ratio engine/raw; the target is at most 3.
#include <QCoreApplication>
#include <cstdio>
#include <vector>

#include "bench_program.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "tariffs/charge_engine.h"

namespace {

constexpr int kHouseholds = 20000;

shell::SystemParameters g_parameters;

QString household_number(int i) { return QStringLiteral("H%1").arg(i, 5, 10, QLatin1Char('0')); }

bool seed(platform::Connection& c) {
    sqlite3* db = platform::db_handle(c);
    bench::exec_raw(db, "BEGIN");
    bench::exec_raw(db,
                    "insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
                    "(5,'居民','水费',9,0,0),(6,'商业','电费',0.6,0,0)");
    bench::exec_raw(
        db,
        "insert into 阶梯信息 (类别名称,收费项目,阶梯序号,阶梯起量,阶梯止量,类别价格) values "
        "('居民','水费',1,0,10,1.5),('居民','水费',2,10,20,2),('居民','水费',3,20,30,3)");
    bench::exec_raw(db,
                    "insert into 附加费 (附加费名称,价格,计费方式,水价类别,收费项目) values "
                    "('污水费',0.8,'按用量','居民','水费')");
    sqlite3_stmt* reading = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into 抄表总表 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,"
                       "价格类别,抄表人员,是否收费,价格) values (?,?,0,?,?,0,'2024-03-01',?,?,"
                       "'张三',0,?)",
                       -1, &reading, nullptr);
    sqlite3_stmt* other = nullptr;
    for (int i = 1; i <= kHouseholds; ++i) {
        const QByteArray h = household_number(i).toUtf8();
        const QByteArray water = h + "01", power = h + "02";
        const double usage = 5 + i % 31;
        const struct {
            const QByteArray& meter;
            const char* item;
            const char* category;
            double usage, price;
        } rows[] = {{water, "水费", "居民", usage, 9}, {power, "电费", "商业", usage * 7.3, 0.6}};
        for (const auto& r : rows) {
            sqlite3_bind_text(reading, 1, r.meter.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(reading, 2, h.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(reading, 3, r.usage);
            sqlite3_bind_double(reading, 4, r.usage);
            sqlite3_bind_text(reading, 5, r.item, -1, SQLITE_STATIC);
            sqlite3_bind_text(reading, 6, r.category, -1, SQLITE_STATIC);
            sqlite3_bind_double(reading, 7, r.price);
            sqlite3_step(reading);
            sqlite3_reset(reading);
        }
        if (i % 10 == 0) {
            const QByteArray sql = "insert into 预存明细 (收据号,户号,预存金额,预存日期,标志) values (" +
                                   QByteArray::number(i) + ",'" + h + "',100,'2024-02-01',1)";
            bench::exec_raw(db, sql.constData());
        }
        if (i % 7 == 0) {
            const QByteArray sql =
                "insert into 总收费 (户号,收据号,标志,收费标志,本月接转,预存扣款,实收金额) values ('" + h +
                "'," + QByteArray::number(i) + ",1,0,0.3,0,0)";
            bench::exec_raw(db, sql.constData());
        }
    }
    sqlite3_finalize(reading);
    sqlite3_finalize(other);
    return bench::exec_raw(db, "COMMIT");
}

void reset(platform::Connection& c) {
    sqlite3* db = platform::db_handle(c);
    bench::exec_raw(db, "BEGIN");
    bench::exec_raw(db, "delete from 总收费 where 收据号>=1000000000");
    bench::exec_raw(db, "delete from 月附加费");
    bench::exec_raw(db, "delete from 减免明细");
    bench::exec_raw(db, "update 抄表总表 set 是否收费=0,收据号=null,流水号=null,实收量=null");
    bench::exec_raw(db, "COMMIT");
}

// The rows the engine wrote, kept as the raw side's input.
struct Written {
    std::vector<std::vector<QByteArray>> bills, lines, readings;
} g_written;

void capture(platform::Connection& c) {
    const auto take = [&](const QString& sql) {
        std::vector<std::vector<QByteArray>> out;
        for (const QStringList& row : platform::query_rows(c, sql)) {
            std::vector<QByteArray> cells;
            for (const QString& cell : row) cells.push_back(cell.toUtf8());
            out.push_back(cells);
        }
        return out;
    };
    g_written.bills = take(QStringLiteral(
        "select 户号,收据号,流水号,标志,收费标志,收费项目,价格类别,抄表人员,抄表日期,收费日期,"
        "收费人员,实收量,价格,水费金额,附加费金额,成本金额,差额,应收金额,减免金额,减免用量,上月接转,"
        "本月接转,实收金额,预存扣款,滞纳金,水损 from 总收费 where 收据号>=1000000000"));
    g_written.lines = take(QStringLiteral(
        "select 户号,附加费名称,用量,价格,金额,收费日期,收据号,收费标志,收费项目,价格类别 from 月附加费"));
    g_written.readings = take(QStringLiteral(
        "select 收据号,流水号,价格,实收量,编号 from 抄表总表 where 是否收费=1"));
}

void bind_cells(sqlite3_stmt* stmt, const std::vector<QByteArray>& cells) {
    for (size_t i = 0; i < cells.size(); ++i) {
        const int at = static_cast<int>(i) + 1;
        if (cells[i].isEmpty())
            sqlite3_bind_null(stmt, at);
        else
            sqlite3_bind_text(stmt, at, cells[i].constData(), static_cast<int>(cells[i].size()),
                              SQLITE_STATIC);
    }
}

void BM_RawRows(benchmark::State& state) {
    platform::Connection& c = store::main_connection();
    sqlite3* db = platform::db_handle(c);
    for (auto _ : state) {
        state.PauseTiming();
        reset(c);
        state.ResumeTiming();
        bench::exec_raw(db, "BEGIN");
        sqlite3_stmt *bill = nullptr, *line = nullptr, *reading = nullptr;
        sqlite3_prepare_v2(db,
                           "insert into 总收费 (户号,收据号,流水号,标志,收费标志,收费项目,价格类别,"
                           "抄表人员,抄表日期,收费日期,收费人员,实收量,价格,水费金额,附加费金额,成本金额,"
                           "差额,应收金额,减免金额,减免用量,上月接转,本月接转,实收金额,预存扣款,滞纳金,"
                           "水损) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                           -1, &bill, nullptr);
        sqlite3_prepare_v2(db,
                           "insert into 月附加费 (户号,附加费名称,用量,价格,金额,收费日期,收据号,"
                           "收费标志,收费项目,价格类别) values (?,?,?,?,?,?,?,?,?,?)",
                           -1, &line, nullptr);
        sqlite3_prepare_v2(db,
                           "update 抄表总表 set 是否收费=1,收据号=?,流水号=?,价格=?,实收量=? "
                           "where 编号=?",
                           -1, &reading, nullptr);
        for (const auto& [stmt, rows] : {std::pair{bill, &g_written.bills},
                                          std::pair{line, &g_written.lines},
                                          std::pair{reading, &g_written.readings}})
            for (const auto& row : *rows) {
                bind_cells(stmt, row);
                sqlite3_step(stmt);
                sqlite3_reset(stmt);
            }
        sqlite3_finalize(bill);
        sqlite3_finalize(line);
        sqlite3_finalize(reading);
        if (!bench::exec_raw(db, "COMMIT")) state.SkipWithError("commit failed");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds * 2);
}

void BM_BillRun(benchmark::State& state) {
    platform::Connection& c = store::main_connection();
    const tariffs::FeeItemSwitches items[] = {
        {QStringLiteral("关闭"), QStringLiteral("实际用量模式"), QStringLiteral("水费"),
         QStringLiteral("开启")},
        {QStringLiteral("关闭"), QStringLiteral("实际用量模式"), QStringLiteral("电费"),
         QStringLiteral("关闭")}};
    QStringList households;
    for (int i = 1; i <= kHouseholds; ++i) households << household_number(i);
    for (auto _ : state) {
        state.PauseTiming();
        reset(c);
        state.ResumeTiming();
        // As the month's commit bills: one run per fee item inside the run's transaction.
        platform::Transaction run(c);
        int bills = 0;
        for (const tariffs::FeeItemSwitches& item : items) {
            tariffs::BillRun billing(
                c, item, [&](const tariffs::ChargeOutcome& out) { bills += out.bill_written; },
                shell::RunContext{platform::now(), g_parameters, shell::current_operator});
            for (const QString& h : households)
                if (!billing.add(h)) break;
            billing.finish();
        }
        if (!run.commit() || bills != kHouseholds * 2) state.SkipWithError("the run failed");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds * 2);
}

BENCHMARK(BM_BillRun)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_RawRows)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::ProgramFolder folder(QStringLiteral("program"));
    if (!store::open_main_database() || !seed(store::main_connection()))
        return folder.cannot_prepare();
    platform::set_clock_for_tests(QDateTime(QDate(2024, 3, 20), QTime(9, 0)));
    g_parameters.personal_account = QStringLiteral("开启");
    g_parameters.rounding_enabled = QStringLiteral("真");
    g_parameters.rounding_position = QStringLiteral("十分位");
    g_parameters.payment_serial_digits = 9;
    // The raw side writes what one engine run wrote.
    {
        platform::Transaction run(store::main_connection());
        const tariffs::FeeItemSwitches items[] = {
            tariffs::fee_item_switches(store::main_connection(), QStringLiteral("水费")),
            tariffs::fee_item_switches(store::main_connection(), QStringLiteral("电费"))};
        for (tariffs::FeeItemSwitches item : items) {
            if (item.fee_item == QStringLiteral("水费")) item.tiered = QStringLiteral("开启");
            for (int i = 1; i <= kHouseholds; ++i)
                tariffs::generate_household_charges(
                    store::main_connection(), household_number(i), item,
                    shell::RunContext{platform::now(), g_parameters, shell::current_operator});
        }
        run.commit();
        capture(store::main_connection());
    }

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("bill run", "BM_BillRun/iterations:2/real_time", "engine",
                         "BM_RawRows/iterations:2/real_time", "raw rows", "3");
    benchmark::Shutdown();
    return 0;
}
