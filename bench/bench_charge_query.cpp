// The charge-query page's paid list against reading the same rows with raw SQLCipher calls, in
// the same run: 100,000 paid bills of 10,000 households, listed by the function the page's
// query window calls (fill_paid_charge_list: the distinct-serial count, the statement opened on
// the main connection, the columns of the class laid out, twelve cells per row written in one
// model reset, the totals row, hidden columns removed and widths applied). The raw side
// prepares, steps and reads column_text of every field of the same statement. Prints the ratio
// page/raw; the target is at most 2.
#include <sqlcipher/sqlite3.h>

#include <QApplication>
#include <QTableView>
#include <cstdio>

#include "bench_program.h"
#include "charging/charge_queries.h"
#include "charging/charge_query_page.h"
#include "platform/listview.h"
#include "store/main_database.h"

namespace {

constexpr int kHouseholds = 10000;
constexpr int kBillsEach = 10;
constexpr int kRows = kHouseholds * kBillsEach;

charging::ChargeQueryPage* g_page = nullptr;

QString paid_statement() {
    return charging::paid_select() +
           QStringLiteral(" and 总收费.收费标志=0 ORDER  BY 总收费.流水号,总收费.收据号");
}

// Households 000001.. with ten paid bills each, one payment serial per household.
bool add_paid_bills(const QString& path) {
    sqlite3* db = bench::open_raw(path, false);
    if (!db) return false;
    const std::string households =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" +
        std::to_string(kHouseholds) +
        ") INSERT INTO 用户信息表 (户号,父号,用户名,居住街道,详细地址,性质) "
        "SELECT printf('%06d',i),'0','用户'||i,'东区','1号楼',0 FROM n";
    const std::string bills =
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM n WHERE i<" +
        std::to_string(kRows - 1) +
        ") INSERT INTO 总收费 (户号,收据号,流水号,发票号,标志,收费标志,收费项目,抄表人员,收费日期,"
        "收费人员,实收金额,预存扣款) SELECT printf('%06d',i/" +
        std::to_string(kBillsEach) + "+1),i+1,1000000001+i/" + std::to_string(kBillsEach) +
        ",'',1,0,'水费','张三','2024-03-05','李四',12.5+i%7,0 FROM n";
    const bool ok = bench::exec_raw(db, "BEGIN") && bench::exec_raw(db, households.c_str()) &&
                    bench::exec_raw(db, bills.c_str()) && bench::exec_raw(db, "COMMIT");
    sqlite3_close(db);
    return ok;
}

void BM_PaidChargePage(benchmark::State& state) {
    const QString statement = paid_statement();
    for (auto _ : state) {
        charging::fill_paid_charge_list(g_page->query_list(), statement);
        if (platform::listview_row_count(g_page->query_list()) != kRows + 1)
            state.SkipWithError("list not filled");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_PaidChargeRaw(benchmark::State& state) {
    const std::string sql = paid_statement().toStdString();
    bench::time_raw_read(state, sql.c_str(), kRows);
}

BENCHMARK(BM_PaidChargePage)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_PaidChargeRaw)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::ProgramFolder folder;
    if (!add_paid_bills(folder.path() + QStringLiteral("/DATA/DATA.mdb")) ||
        !store::reopen_main_database())
        return folder.cannot_prepare();
    folder.start_session();

    return bench::run_page_benchmarks(g_page, "charge query page fill", "BM_PaidChargePage",
                                      "BM_PaidChargeRaw", 5);
}
