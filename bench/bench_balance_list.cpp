// The 预存结余 page's list filled with 50,000 households' balances against reading the same
// rows of the same statement with raw SQLCipher calls, in the same run. The work table holds
// one row per household as the per-row rebuild leaves it; the page's path is what the user
// waits for once the balances are rebuilt: the standard balance select opened on the main
// connection, the columns of class 预存扣款 laid out, the twelve cells of every household
// written (half-width 户号, five amounts with two decimals) in one model reset, the red totals
// row, the widths applied. Prints the ratio page/raw; the target is at most 2.
#include <QApplication>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "bench_common.h"
#include "charging/balance_page.h"
#include "charging/prepay_balance_list.h"
#include "harness/fixture.h"
#include "platform/db.h"
#include "platform/files.h"
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

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool seed(sqlite3* db) {
    if (!exec(db, "BEGIN")) return false;
    sqlite3_stmt* household = nullptr;
    sqlite3_stmt* balance = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,磁卡号码,"
                       "固定电话,移动电话) values (?,'0',?,?,?,?,'0571-8888','13900000000')",
                       -1, &household, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 预存结余 (编号,户号,预存金额,已扣金额,结余金额,应扣金额) "
                       "values (?,?,?,?,?,?)",
                       -1, &balance, nullptr);
    bool ok = household && balance;
    for (int h = 0; ok && h < kHouseholds; ++h) {
        char number[16];
        std::snprintf(number, sizeof number, "%06d", h + 1);
        const std::string name = "用户" + std::to_string(h + 1);
        const std::string street = "街道" + std::to_string(h % 40);
        const std::string address =
            std::to_string(h % 300) + "号楼" + std::to_string(h % 6 + 1) + "单元";
        const std::string card = "C" + std::to_string(h + 1);
        sqlite3_bind_text(household, 1, number, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(household, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(household, 3, street.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(household, 4, address.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(household, 5, card.c_str(), -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(household) == SQLITE_DONE;
        sqlite3_reset(household);
        const double prepaid = 50.0 + (h % 997) * 0.37, taken = (h % 13) * 1.1;
        sqlite3_bind_int64(balance, 1, 1000000001 + h);
        sqlite3_bind_text(balance, 2, number, -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(balance, 3, prepaid);
        sqlite3_bind_double(balance, 4, taken);
        sqlite3_bind_double(balance, 5, prepaid - taken);
        sqlite3_bind_double(balance, 6, (h % 7) * 12.5);
        ok = ok && sqlite3_step(balance) == SQLITE_DONE;
        sqlite3_reset(balance);
    }
    sqlite3_finalize(household);
    sqlite3_finalize(balance);
    return exec(db, ok ? "COMMIT" : "ROLLBACK") && ok;
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

void BM_BalanceRaw(benchmark::State& state) {
    sqlite3* db = bench::open_raw(store::main_database_path(), false);
    for (auto _ : state)
        if (bench::read_every_field(db, kRaw) != kHouseholds)
            state.SkipWithError("raw read incomplete");
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kHouseholds);
}

BENCHMARK(BM_BalancePage)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_BalanceRaw)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    harness::lay_out_program_folder(dir.path());
    platform::set_program_directory_for_tests(dir.path());
    if (!store::reopen_main_database() || !seed(platform::db_handle(store::main_connection()))) {
        std::fprintf(stderr, "cannot prepare the database in %s\n", qPrintable(dir.path()));
        return 1;
    }

    // The page as the main window holds it, shown.
    charging::BalancePage page;
    page.resize(1200, 700);
    page.show();
    g_page = &page;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("balance page fill", "BM_BalancePage/iterations:5/real_time", "page",
                         "BM_BalanceRaw/iterations:5/real_time", "raw", "2");

    g_page = nullptr;
    store::close_main_database();
    platform::set_program_directory_for_tests(QString());
    benchmark::Shutdown();
    return 0;
}
