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
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "bench_common.h"
#include "charging/deduction_page.h"
#include "charging/deduction_query_window.h"
#include "harness/fixture.h"
#include "platform/db.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "store/main_database.h"

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

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool seed(sqlite3* db) {
    if (!exec(db, "BEGIN")) return false;
    sqlite3_stmt* household = nullptr;
    sqlite3_stmt* bill = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,磁卡号码) "
                       "values (?,'0',?,?,?,'')",
                       -1, &household, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 总收费 (户号,收据号,标志,收费标志,收费人员,收费日期,实收金额,"
                       "预存扣款) values (?,?,1,0,'预存扣款',?,0,?)",
                       -1, &bill, nullptr);
    bool ok = household && bill;
    for (int h = 0; ok && h < kHouseholds; ++h) {
        char number[16];
        std::snprintf(number, sizeof number, "%06d", h + 1);
        const std::string name = "用户" + std::to_string(h + 1);
        const std::string street = "街道" + std::to_string(h % 40);
        const std::string address =
            std::to_string(h % 300) + "号楼" + std::to_string(h % 6 + 1) + "单元";
        sqlite3_bind_text(household, 1, number, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(household, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(household, 3, street.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(household, 4, address.c_str(), -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(household) == SQLITE_DONE;
        sqlite3_reset(household);
        for (int k = 0; ok && k < 2; ++k) {
            char date[16];
            std::snprintf(date, sizeof date, "2024-03-%02d", (h + k * 7) % 31 + 1);
            sqlite3_bind_text(bill, 1, number, -1, SQLITE_TRANSIENT);
            // Receipt numbers not in household order, as bills of a month are.
            sqlite3_bind_int64(bill, 2, 1 + static_cast<sqlite3_int64>(k) * kHouseholds + h);
            sqlite3_bind_text(bill, 3, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(bill, 4, 10.0 + (h % 997) * 0.37 + k * 0.005);
            ok = sqlite3_step(bill) == SQLITE_DONE;
            sqlite3_reset(bill);
        }
    }
    sqlite3_finalize(household);
    sqlite3_finalize(bill);
    return exec(db, ok ? "COMMIT" : "ROLLBACK") && ok;
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

void BM_DeductionRaw(benchmark::State& state) {
    sqlite3* db = bench::open_raw(store::main_database_path(), false);
    for (auto _ : state)
        if (bench::read_every_field(db, kRaw) != kRows) state.SkipWithError("raw read incomplete");
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_DeductionPage)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_DeductionRaw)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

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
    charging::DeductionPage page;
    page.resize(1200, 700);
    page.show();
    g_page = &page;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("deduction page fill", "BM_DeductionPage/iterations:5/real_time", "page",
                         "BM_DeductionRaw/iterations:5/real_time", "raw", "2");

    g_page = nullptr;
    store::close_main_database();
    platform::set_program_directory_for_tests(QString());
    benchmark::Shutdown();
    return 0;
}
