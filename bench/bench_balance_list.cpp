// The 预存结余 page's list filled with 50,000 households' balances against reading the same
// rows of the same statement with raw SQLCipher calls, in the same run. The work table holds
// one row per household as the per-row rebuild leaves it; the page's path is what the user
// waits for once the balances are rebuilt: the standard balance select opened on the main
// connection, the columns of class 预存扣款 laid out, the twelve cells of every household
// written (half-width 户号, five amounts with two decimals) in one model reset, the red totals
// row, the widths applied. Prints the ratio page/raw; the target is at most 2.
#include <QApplication>
#include <QTableView>
#include <cstdio>

#include "bench_program.h"
#include "charging/balance_page.h"
#include "charging/prepay_balance_list.h"
#include "platform/db.h"
#include "platform/listview.h"
#include "store/main_database.h"

namespace {

constexpr int kHouseholds = 50000;

const char kRaw[] =
    "select 预存结余.应扣金额,预存结余.户号,预存结余.预存金额,预存结余.已扣金额,"
    "预存结余.结余金额,用户信息表.用户名,用户信息表.居住街道,用户信息表.详细地址,"
    "用户信息表.移动电话,预存结余.应扣金额,用户信息表.固定电话,用户信息表.磁卡号码 "
    "from 预存结余,用户信息表 where 用户信息表.户号=预存结余.户号  ORDER  BY 预存结余.编号";

charging::BalancePage* g_page = nullptr;

bool seed(sqlite3* db) {
    if (!bench::exec_raw(db, "BEGIN")) return false;
    bench::HouseholdInserter household(db, true);
    sqlite3_stmt* balance = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into 预存结余 (编号,户号,预存金额,已扣金额,结余金额,应扣金额) "
                       "values (?,?,?,?,?,?)",
                       -1, &balance, nullptr);
    bool ok = household.ready() && balance;
    for (int h = 0; ok && h < kHouseholds; ++h) {
        ok = household.add(h);
        const double prepaid = 50.0 + (h % 997) * 0.37, taken = (h % 13) * 1.1;
        sqlite3_bind_int64(balance, 1, 1000000001 + h);
        sqlite3_bind_text(balance, 2, household.number(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(balance, 3, prepaid);
        sqlite3_bind_double(balance, 4, taken);
        sqlite3_bind_double(balance, 5, prepaid - taken);
        sqlite3_bind_double(balance, 6, (h % 7) * 12.5);
        ok = ok && sqlite3_step(balance) == SQLITE_DONE;
        sqlite3_reset(balance);
    }
    sqlite3_finalize(balance);
    return bench::exec_raw(db, ok ? "COMMIT" : "ROLLBACK") && ok;
}

void BM_BalancePage(benchmark::State& state) {
    QTableView* list = g_page->balance_list();
    for (auto _ : state) {
        charging::fill_prepay_balance_list(
            list, charging::balance_list_statement(charging::kBalanceReceiptOrder), g_page);
        if (platform::listview_row_count(list) != kHouseholds + 1)
            state.SkipWithError("list not filled");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds);
}

void BM_BalanceRaw(benchmark::State& state) { bench::time_raw_read(state, kRaw, kHouseholds); }

BENCHMARK(BM_BalancePage)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_BalanceRaw)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::ProgramFolder folder;
    if (!store::reopen_main_database() || !seed(platform::db_handle(store::main_connection())))
        return folder.cannot_prepare();

    return bench::run_page_benchmarks(g_page, "balance page fill", "BM_BalancePage",
                                      "BM_BalanceRaw", 5);
}
