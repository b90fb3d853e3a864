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
#include <cstdio>
#include <string>

#include "bench_program.h"
#include "charging/prepayment_page.h"
#include "charging/prepayment_query_window.h"
#include "platform/db.h"
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

bool seed(sqlite3* db) {
    if (!bench::exec_raw(db, "BEGIN")) return false;
    bench::HouseholdInserter household(db, true);
    sqlite3_stmt* prepayment = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志,"
                       "抄表户号) values (?,?,?,?,'李四',?,?,'')",
                       -1, &prepayment, nullptr);
    bool ok = household.ready() && prepayment;
    for (int h = 0; ok && h < kHouseholds; ++h) {
        ok = household.add(h);
        for (int k = 0; ok && k < 2; ++k) {
            char date[16];
            std::snprintf(date, sizeof date, "2024-03-%02d", (h + k * 7) % 31 + 1);
            const sqlite3_int64 receipt =
                1000000001 + static_cast<sqlite3_int64>(k) * kHouseholds + h;
            const std::string invoice = std::to_string(receipt % 100000);
            sqlite3_bind_int64(prepayment, 1, receipt);
            sqlite3_bind_text(prepayment, 2, household.number(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(prepayment, 3, 50.0 + (h % 997) * 0.37 + k * 0.005);
            sqlite3_bind_text(prepayment, 4, date, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(prepayment, 5, invoice.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(prepayment, 6, h % 10 == 0 && k == 1 ? 2 : 1);
            ok = sqlite3_step(prepayment) == SQLITE_DONE;
            sqlite3_reset(prepayment);
        }
    }
    sqlite3_finalize(prepayment);
    return bench::exec_raw(db, ok ? "COMMIT" : "ROLLBACK") && ok;
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

void BM_PrepaymentRaw(benchmark::State& state) { bench::time_raw_read(state, kRaw, kRows); }

BENCHMARK(BM_PrepaymentPage)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_PrepaymentRaw)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::ProgramFolder folder;
    if (!store::reopen_main_database() || !seed(platform::db_handle(store::main_connection())))
        return folder.cannot_prepare();

    return bench::run_page_benchmarks(g_page, "prepayment page fill", "BM_PrepaymentPage",
                                      "BM_PrepaymentRaw", 5);
}
