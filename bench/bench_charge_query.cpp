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
#include <QTemporaryDir>
#include <cstdio>

#include "bench_common.h"
#include "charging/charge_queries.h"
#include "charging/charge_query_page.h"
#include "harness/fixture.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "shell/program_state.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
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
    const bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK &&
                    sqlite3_exec(db, households.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK &&
                    sqlite3_exec(db, bills.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK &&
                    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
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
    sqlite3* db = bench::open_raw(store::main_database_path(), false);
    const std::string sql = paid_statement().toStdString();
    for (auto _ : state)
        if (bench::read_every_field(db, sql.c_str()) != kRows)
            state.SkipWithError("raw read incomplete");
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_PaidChargePage)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_PaidChargeRaw)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    harness::lay_out_program_folder(dir.path());
    platform::set_program_directory_for_tests(dir.path());
    if (!add_paid_bills(dir.path() + QStringLiteral("/DATA/DATA.mdb")) ||
        !store::reopen_main_database()) {
        std::fprintf(stderr, "cannot prepare the database in %s\n", qPrintable(dir.path()));
        return 1;
    }
    shell::init_program_variables();
    shell::current_operator = QStringLiteral("管理员");
    shell::load_system_parameters();

    charging::ChargeQueryPage page;
    page.resize(1200, 700);
    page.show();
    g_page = &page;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("charge query page fill", "BM_PaidChargePage/iterations:5/real_time",
                         "page", "BM_PaidChargeRaw/iterations:5/real_time", "raw", "2");

    g_page = nullptr;
    store::close_main_database();
    shell::free_program_variables();
    platform::set_program_directory_for_tests(QString());
    benchmark::Shutdown();
    return 0;
}
