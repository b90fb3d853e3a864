// The deduction page filled with 100,000 bills settled from prepaid balances (50,000 households
// with two bills each in one month) against reading the same rows of the same statement with
// raw SQLCipher calls, in the same run. The page's path is what the user waits for after
// 查询 in the query window: the statement opened on the main connection, the columns of class
// 扣款明细 laid out, every row written (the amount with two decimals, the date as text) in one
// model reset, the red totals row, the hidden columns removed, the widths applied, the progress
// window advancing. The raw side prepares, steps and reads column_text of every field. Prints
// the ratio page/raw; the target is at most 2.
#include <QApplication>
#include <QDateEdit>
#include <QTableView>
#include <cstdio>

#include "bench_program.h"
#include "charging/deduction_page.h"
#include "charging/deduction_query_window.h"
#include "platform/db.h"
#include "platform/listview.h"

namespace {

constexpr int kHouseholds = 50000;
constexpr int kRows = 2 * kHouseholds;

// The statement the query window builds for March 2024, as the database layer runs it.
const char kRaw[] =
    "select 用户信息表.户号,用户信息表.用户名,用户信息表.居住街道,用户信息表.详细地址,"
    "总收费.预存扣款,总收费.收费日期 from 总收费,用户信息表 where 用户信息表.户号=总收费.户号 "
    "and 总收费.预存扣款>0 and 总收费.收费日期>='2024-03-01' and 总收费.收费日期<='2024-03-31' "
    "and 总收费.标志=1 ORDER BY 总收费.收据号";

charging::DeductionPage* g_page = nullptr;

bool seed(sqlite3* db) {
    if (!bench::exec_raw(db, "BEGIN")) return false;
    bench::HouseholdInserter household(db, false);
    sqlite3_stmt* bill = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into 总收费 (户号,收据号,标志,收费标志,收费人员,收费日期,实收金额,"
                       "预存扣款) values (?,?,1,0,'预存扣款',?,0,?)",
                       -1, &bill, nullptr);
    bool ok = household.ready() && bill;
    for (int h = 0; ok && h < kHouseholds; ++h) {
        ok = household.add(h);
        for (int k = 0; ok && k < 2; ++k) {
            char date[16];
            std::snprintf(date, sizeof date, "2024-03-%02d", (h + k * 7) % 31 + 1);
            sqlite3_bind_text(bill, 1, household.number(), -1, SQLITE_TRANSIENT);
            // Receipt numbers not in household order, as bills of a month are.
            sqlite3_bind_int64(bill, 2, 1 + static_cast<sqlite3_int64>(k) * kHouseholds + h);
            sqlite3_bind_text(bill, 3, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(bill, 4, 10.0 + (h % 997) * 0.37 + k * 0.005);
            ok = sqlite3_step(bill) == SQLITE_DONE;
            sqlite3_reset(bill);
        }
    }
    sqlite3_finalize(bill);
    return bench::exec_raw(db, ok ? "COMMIT" : "ROLLBACK") && ok;
}

void BM_DeductionPage(benchmark::State& state) {
    QTableView* list = g_page->deduction_list();
    for (auto _ : state) {
        charging::DeductionQueryWindow window(list, g_page);
        window.findChild<QDateEdit*>(QStringLiteral("日期框_起"))->setDate(QDate(2024, 3, 1));
        window.findChild<QDateEdit*>(QStringLiteral("日期框_止"))->setDate(QDate(2024, 3, 31));
        window.on_deduction_query_click();
        if (platform::listview_row_count(list) != kRows + 1) state.SkipWithError("list not filled");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_DeductionRaw(benchmark::State& state) { bench::time_raw_read(state, kRaw, kRows); }

BENCHMARK(BM_DeductionPage)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_DeductionRaw)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::ProgramFolder folder;
    if (!store::reopen_main_database() || !seed(platform::db_handle(store::main_connection())))
        return folder.cannot_prepare();

    return bench::run_page_benchmarks(g_page, "deduction page fill", "BM_DeductionPage",
                                      "BM_DeductionRaw", 5);
}
