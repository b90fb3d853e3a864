// The 预存明细 page filled with 100,000 prepayments (50,000 households with two each, one of
// every ten void) against reading the same rows of the same statement with raw SQLCipher calls,
// in the same run. The page's path is what the user waits for after 确定 in the query window
// (every prepayment, by receipt number): the statement opened on the main connection, the
// columns of class 预存明细 laid out, the thirteen cells of every row written (receipt number in
// list form, amount with two decimals, date as text, status) in one model reset, the red totals
// row, the hidden columns removed, the widths applied. The raw side prepares, steps and reads
// column_text of every field. Prints the ratio page/raw; the target is at most 2.
#include <QApplication>
#include <QComboBox>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "bench_common.h"
#include "charging/prepayment_page.h"
#include "charging/prepayment_query_window.h"
#include "harness/fixture.h"
#include "platform/db.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "store/main_database.h"

namespace {

constexpr int kHouseholds = 50000;
constexpr int kRows = 2 * kHouseholds;

// The statement the query window builds for every prepayment by receipt number, as the
// database layer runs it.
const char kRaw[] =
    "select 预存明细.收据号,预存明细.户号,预存明细.预存金额,预存明细.预存日期,预存明细.收费人员,"
    "用户信息表.用户名,用户信息表.居住街道,用户信息表.详细地址,用户信息表.固定电话,"
    "用户信息表.移动电话,预存明细.发票号,预存明细.标志,用户信息表.磁卡号码 from 预存明细,"
    "用户信息表 where 用户信息表.户号=预存明细.户号  ORDER  BY 预存明细.收据号   ";

charging::PrepaymentPage* g_page = nullptr;

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool seed(sqlite3* db) {
    if (!exec(db, "BEGIN")) return false;
    sqlite3_stmt* household = nullptr;
    sqlite3_stmt* prepayment = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,磁卡号码,"
                       "固定电话,移动电话) values (?,'0',?,?,?,?,'0571-8888','13900000000')",
                       -1, &household, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志,"
                       "抄表户号) values (?,?,?,?,'李四',?,?,'')",
                       -1, &prepayment, nullptr);
    bool ok = household && prepayment;
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
        for (int k = 0; ok && k < 2; ++k) {
            char date[16];
            std::snprintf(date, sizeof date, "2024-03-%02d", (h + k * 7) % 31 + 1);
            const sqlite3_int64 receipt =
                1000000001 + static_cast<sqlite3_int64>(k) * kHouseholds + h;
            const std::string invoice = std::to_string(receipt % 100000);
            sqlite3_bind_int64(prepayment, 1, receipt);
            sqlite3_bind_text(prepayment, 2, number, -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(prepayment, 3, 50.0 + (h % 997) * 0.37 + k * 0.005);
            sqlite3_bind_text(prepayment, 4, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(prepayment, 5, invoice.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(prepayment, 6, h % 10 == 0 && k == 1 ? 2 : 1);
            ok = sqlite3_step(prepayment) == SQLITE_DONE;
            sqlite3_reset(prepayment);
        }
    }
    sqlite3_finalize(household);
    sqlite3_finalize(prepayment);
    return exec(db, ok ? "COMMIT" : "ROLLBACK") && ok;
}

void BM_PrepaymentPage(benchmark::State& state) {
    QTableView* list = g_page->prepay_list();
    for (auto _ : state) {
        charging::PrepaymentQueryWindow window(list, g_page);
        window.findChild<QRadioButton*>(QStringLiteral("单选框_预存日期"))->setAutoExclusive(false);
        window.findChild<QRadioButton*>(QStringLiteral("单选框_预存日期"))->setChecked(false);
        window.findChild<QComboBox*>(QStringLiteral("组合框_排序"))->setCurrentIndex(2);
        window.on_prepay_query_ok_click();
        if (platform::listview_row_count(list) != kRows + 1) state.SkipWithError("list not filled");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_PrepaymentRaw(benchmark::State& state) {
    sqlite3* db = bench::open_raw(store::main_database_path(), false);
    for (auto _ : state)
        if (bench::read_every_field(db, kRaw) != kRows) state.SkipWithError("raw read incomplete");
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_PrepaymentPage)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_PrepaymentRaw)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

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
    charging::PrepaymentPage page;
    page.resize(1200, 700);
    page.show();
    g_page = &page;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("prepayment page fill", "BM_PrepaymentPage/iterations:5/real_time", "page",
                         "BM_PrepaymentRaw/iterations:5/real_time", "raw", "2");

    g_page = nullptr;
    store::close_main_database();
    platform::set_program_directory_for_tests(QString());
    benchmark::Shutdown();
    return 0;
}
