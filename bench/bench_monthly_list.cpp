// The monthly reading page filled with 40,000 pending readings (20,000 households with two
// meters each) against reading the same rows of the same statement with raw SQLCipher calls, in
// the same run. The page's path is the whole of it: the page's standard statement opened on the
// main connection, the columns built from 查询列 class 月抄表, one row per record with its check
// box (the date written as the page shows it) in one model reset, the widths applied, the
// progress window stepping. The raw path prepares, steps and reads column_text of every field.
// Prints the ratio page/raw; the target is at most 2.
#include <QApplication>
#include <QTableView>
#include <cstdio>

#include "bench_program.h"
#include "platform/db.h"
#include "platform/listview.h"
#include "reading/monthly_batch.h"
#include "reading/monthly_reading_page.h"
#include "store/main_database.h"

namespace {

constexpr int kHouseholds = 20000;

bool exec(sqlite3* db, const char* sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool seed(platform::Connection& c) {
    sqlite3* db = platform::db_handle(c);
    exec(db, "BEGIN");
    sqlite3_stmt *household = nullptr, *meter = nullptr, *pending = nullptr;
    sqlite3_prepare_v2(
        db,
        "insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,建档时间) values "
        "(?,'0',?,?,?,'2024-01-01')",
        -1, &household, nullptr);
    sqlite3_prepare_v2(db,
                       "insert into 用户表管理 (户号,父号,收费项目,价格类别,抄表人员,状态) values "
                       "(?,?,?,?,'张三','正常')",
                       -1, &meter, nullptr);
    sqlite3_prepare_v2(
        db,
        "insert into 抄表管理 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
        "抄表人员,价格) values (?,?,?,?,?,0,'2024-03-05',?,?,'张三',2.5)",
        -1, &pending, nullptr);
    for (int i = 1; i <= kHouseholds; ++i) {
        const QByteArray h = QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0')).toUtf8();
        const QByteArray name = QStringLiteral("用户%1").arg(i).toUtf8();
        const QByteArray street = QStringLiteral("街道%1").arg(i % 40).toUtf8();
        const QByteArray address =
            QStringLiteral("幸福小区%1栋%2号").arg(i % 90).arg(i % 300).toUtf8();
        sqlite3_bind_text(household, 1, h.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(household, 2, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(household, 3, street.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(household, 4, address.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(household);
        sqlite3_reset(household);
        const struct {
            const char* suffix;
            const char* item;
            const char* category;
        } meters[] = {{"01", "水费", "居民"}, {"02", "电费", "照明"}};
        for (const auto& m : meters) {
            const QByteArray account = h + m.suffix;
            sqlite3_bind_text(meter, 1, account.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(meter, 2, h.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(meter, 3, m.item, -1, SQLITE_STATIC);
            sqlite3_bind_text(meter, 4, m.category, -1, SQLITE_STATIC);
            sqlite3_step(meter);
            sqlite3_reset(meter);
            const double start = 100 + i % 700, usage = 3.5 + i % 29;
            sqlite3_bind_text(pending, 1, account.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(pending, 2, h.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(pending, 3, start);
            sqlite3_bind_double(pending, 4, start + usage);
            sqlite3_bind_double(pending, 5, usage);
            sqlite3_bind_text(pending, 6, m.item, -1, SQLITE_STATIC);
            sqlite3_bind_text(pending, 7, m.category, -1, SQLITE_STATIC);
            sqlite3_step(pending);
            sqlite3_reset(pending);
        }
    }
    sqlite3_finalize(household);
    sqlite3_finalize(meter);
    sqlite3_finalize(pending);
    return exec(db, "COMMIT");
}

QWidget* g_window = nullptr;
QTableView* g_list = nullptr;

void BM_FillMonthlyPage(benchmark::State& state) {
    const QString statement = reading::monthly_reading_statement();
    for (auto _ : state) {
        reading::fill_monthly_reading_list(g_window, g_list, statement);
        if (platform::listview_row_count(g_list) != kHouseholds * 2)
            state.SkipWithError("list not filled");
    }
    state.SetItemsProcessed(state.iterations() * kHouseholds * 2);
}

void BM_ReadRaw(benchmark::State& state) {
    const QByteArray sql = reading::monthly_reading_statement().toUtf8();
    bench::time_raw_read(state, sql.constData(), kHouseholds * 2);
}

BENCHMARK(BM_FillMonthlyPage)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_ReadRaw)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::ProgramFolder folder(QStringLiteral("program"));
    if (!store::open_main_database() || !seed(store::main_connection()))
        return folder.cannot_prepare();
    store::bind_main_record_sets();
    // The list on a shown page of a shown window, as on the main window.
    QWidget window;
    window.resize(1200, 700);
    g_window = &window;
    g_list = platform::make_report_view(&window);
    g_list->resize(1200, 700);
    window.show();

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    bench::print_page_ratio(reporter, "monthly page fill", "BM_FillMonthlyPage", "BM_ReadRaw", 10);
    benchmark::Shutdown();
    return 0;
}
