// Filling the household query page against reading the same rows with raw SQLCipher calls, in
// the same run: 50,000 households in the shipped (keyed) database. The page's path is the whole
// of it: the statement opened on the main connection, the columns of class 用户信息 laid out, one
// row per household with its eighteen cells (kind word, date text and numbers made on the way)
// in one model reset, the totals row, the widths applied, the progress window advancing per
// household. The raw path prepares, steps and reads column_text of every field of every row.
// Prints the ratio page/raw; the target is at most 2.
#include <sqlcipher/sqlite3.h>

#include <QApplication>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>

#include "bench_common.h"
#include "harness/fixture.h"
#include "households/household_lists.h"
#include "households/household_pages.h"
#include "platform/db.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "store/main_database.h"

namespace {

constexpr int kHouseholds = 50000;
const char kStatement[] = "select * from 用户信息表 where 户号 between '0' and '9' ORDER BY 编号";

bool add_households() {
    sqlite3* db = platform::db_handle(store::main_connection());
    if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO 用户信息表 (户号,父号,用户名,居住街道,详细地址,身份证号,家庭人口,建档时间,磁卡号码,"
                       "开户银行,银行帐号,性质,备注,助记词,固定电话,移动电话,物业类别,物业面积,停车费) "
                       "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                       -1, &insert, nullptr);
    for (int i = 0; i < kHouseholds; ++i) {
        const QStringList texts = {
            QStringLiteral("%1").arg(i + 1, 6, 10, QLatin1Char('0')),
            i % 50 == 49 ? QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')) : QStringLiteral("0"),
            QStringLiteral("住户%1号").arg(i),
            QStringLiteral("街道%1").arg(i % 40),
            QStringLiteral("幸福小区%1栋%2号").arg(i % 90).arg(i % 300),
            QStringLiteral("1101011990%1").arg(i, 8, 10, QLatin1Char('0')),
            QString(),  // 家庭人口
            QStringLiteral("20%1-%2-%3").arg(10 + i % 14).arg(1 + i % 12, 2, 10, QLatin1Char('0')).arg(1 + i % 28, 2, 10, QLatin1Char('0')),
            QString::number(800000 + i),
            QStringLiteral("工商银行"),
            QStringLiteral("6222%1").arg(i),
            QString(),  // 性质
            i % 7 ? QString() : QStringLiteral("备注%1").arg(i),
            QStringLiteral("zh%1").arg(i),
            QStringLiteral("010-%1").arg(1000000 + i),
            QStringLiteral("139%1").arg(10000000 + i),
            QStringLiteral("住宅"),
        };
        QByteArray bytes[19];
        for (int c = 0; c < 17; ++c) {
            if (c == 6 || c == 11) continue;
            bytes[c] = texts[c].toUtf8();
            sqlite3_bind_text(insert, c + 1, bytes[c].constData(), int(bytes[c].size()), SQLITE_TRANSIENT);
        }
        sqlite3_bind_int(insert, 7, 1 + i % 6);
        sqlite3_bind_int(insert, 12, i % 3 == 0);
        sqlite3_bind_double(insert, 18, 50.0 + (i % 200) * 0.5);
        sqlite3_bind_double(insert, 19, i % 4 ? 0.0 : 30.0);
        if (sqlite3_step(insert) != SQLITE_DONE) return false;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

households::HouseholdQueryPage* g_page = nullptr;

void BM_FillHouseholdQueryPage(benchmark::State& state) {
    for (auto _ : state) {
        households::fill_household_query_list(QString::fromUtf8(kStatement));
        if (platform::listview_row_count(g_page->household_list()) != kHouseholds + 1)
            state.SkipWithError("list not filled");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds);
}

void BM_ReadRaw(benchmark::State& state) {
    sqlite3* db = bench::open_raw(store::main_database_path(), false);
    for (auto _ : state)
        if (bench::read_every_field(db, kStatement) != kHouseholds)
            state.SkipWithError("raw read incomplete");
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kHouseholds);
}

BENCHMARK(BM_FillHouseholdQueryPage)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_ReadRaw)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    harness::lay_out_program_folder(dir.path());
    platform::set_program_directory_for_tests(dir.path());
    if (!store::reopen_main_database() || !add_households()) {
        std::fprintf(stderr, "cannot prepare the database in %s\n", qPrintable(dir.path()));
        return 1;
    }
    // The page as the main window holds it, shown.
    households::HouseholdQueryPage page;
    page.resize(1200, 700);
    page.show();
    g_page = &page;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("household query page fill",
                         "BM_FillHouseholdQueryPage/iterations:10/real_time", "page",
                         "BM_ReadRaw/iterations:10/real_time", "raw", "2");
    g_page = nullptr;
    store::close_main_database();
    platform::set_program_directory_for_tests(QString());
    benchmark::Shutdown();
    return 0;
}
