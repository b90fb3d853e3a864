// Filling a list page against reading the same rows with raw SQLCipher calls, in the same run:
// 100,000 rows of 12 text columns. The page's path is the whole of it: the record set opened on
// the main connection, the columns built from 查询列, one row per record written into the list
// (progress window advancing per row) in one model reset, the hidden column deleted and the
// widths applied. The raw path prepares, steps and reads column_text of every field.
// Prints the ratio page/raw; the target is at most 2.
#include <sqlcipher/sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "bench_common.h"
#include "lists/list_columns.h"
#include "platform/db.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "store/main_database.h"

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 12;
const char kSelect[] =
    "select 户号,用户名,磁卡号码,居住街道,详细地址,收费项目,价格类别,起数,止数,用量,金额,备注 "
    "from 大表";

using bench::open_raw;

// A program folder whose main database holds the rows and the column settings of their list.
bool make_main_database(const QString& folder) {
    QDir(folder).mkpath(QStringLiteral("DATA"));
    sqlite3* db = open_raw(folder + QStringLiteral("/DATA/DATA.mdb"), true);
    if (!db) return false;
    std::string sql =
        "BEGIN;"
        "CREATE TABLE 查询列 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 类名 TEXT COLLATE NOCASE,"
        " 列名 TEXT COLLATE NOCASE, 显示 TEXT COLLATE NOCASE, 列宽 INTEGER, 排序 INTEGER);"
        "CREATE TABLE 大表 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 户号 TEXT COLLATE NOCASE,"
        " 用户名 TEXT COLLATE NOCASE, 磁卡号码 TEXT COLLATE NOCASE, 居住街道 TEXT COLLATE NOCASE,"
        " 详细地址 TEXT COLLATE NOCASE, 收费项目 TEXT COLLATE NOCASE, 价格类别 TEXT COLLATE NOCASE,"
        " 起数 TEXT COLLATE NOCASE, 止数 TEXT COLLATE NOCASE, 用量 TEXT COLLATE NOCASE,"
        " 金额 TEXT COLLATE NOCASE, 备注 TEXT COLLATE NOCASE);";
    const char* titles[kColumns] = {"户号",     "用户名",   "磁卡号码", "居住街道",
                                    "详细地址", "收费项目", "价格类别", "起数",
                                    "止数",     "用量",     "金额",     "备注"};
    for (int c = 0; c < kColumns; ++c)
        sql += "INSERT INTO 查询列 (类名,列名,显示,列宽,排序) VALUES ('大表测试','" +
               std::string(titles[c]) + "','" + (c == 2 ? "假" : "真") + "',80," +
               std::to_string(c + 1) + ");";
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO 大表 (户号,用户名,磁卡号码,居住街道,详细地址,收费项目,价格类别,"
                       "起数,止数,用量,金额,备注) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)",
                       -1, &insert, nullptr);
    for (int i = 0; i < kRows; ++i) {
        const QStringList cells = {QStringLiteral("%1").arg(i, 8, 10, QLatin1Char('0')),
                                   QStringLiteral("用户%1").arg(i),
                                   QString::number(900000 + i),
                                   QStringLiteral("街道%1").arg(i % 40),
                                   QStringLiteral("幸福小区%1栋%2号").arg(i % 90).arg(i % 300),
                                   i % 3 ? QStringLiteral("水费") : QStringLiteral("电费"),
                                   QStringLiteral("居民"),
                                   QString::number(i % 5000),
                                   QString::number(i % 5000 + i % 37),
                                   QString::number(i % 37),
                                   QString::number((i % 37) * 2.5, 'f', 2),
                                   QStringLiteral("第%1行").arg(i)};
        QByteArray bytes[kColumns];
        for (int c = 0; c < kColumns; ++c) {
            bytes[c] = cells[c].toUtf8();
            sqlite3_bind_text(insert, c + 1, bytes[c].constData(), int(bytes[c].size()),
                              SQLITE_TRANSIENT);
        }
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT; PRAGMA journal_mode=DELETE;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return true;
}

QWidget* g_page = nullptr;
QTableView* g_list = nullptr;

void BM_FillListPage(benchmark::State& state) {
    platform::RecordSet records;
    platform::recordset_bind_connection(records, store::main_connection());
    for (auto _ : state) {
        lists::ListBuilder build(g_list, QStringLiteral("大表测试"), g_page);
        if (!platform::recordset_open(records, QString::fromUtf8(kSelect)))
            state.SkipWithError("open failed");
        const int count = platform::recordset_record_count(records);
        build.show_progress(count);
        build.reserve_rows(count);
        for (; !platform::recordset_eof(records); platform::recordset_move_next(records))
            build.append_fields(records);
        build.finish();
        platform::recordset_close(records);
        if (platform::listview_row_count(g_list) != kRows ||
            platform::listview_column_count(g_list) != kColumns - 1)
            state.SkipWithError("list not filled");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_ReadRaw(benchmark::State& state) {
    sqlite3* db = open_raw(store::main_database_path(), false);
    for (auto _ : state) bench::read_every_field(db, kSelect);
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_FillListPage)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_ReadRaw)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    if (!make_main_database(dir.path())) {
        std::fprintf(stderr, "cannot make the database\n");
        return 1;
    }
    platform::set_program_directory_for_tests(dir.path());
    if (!store::reopen_main_database()) {
        std::fprintf(stderr, "cannot open the database\n");
        return 1;
    }
    // The list on a shown page, as on the main window.
    QWidget page;
    page.resize(1000, 600);
    g_page = &page;
    g_list = platform::make_report_view(&page);
    g_list->resize(1000, 600);
    page.show();

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("list fill", "BM_FillListPage/iterations:10/real_time", "page",
                         "BM_ReadRaw/iterations:10/real_time", "raw", "2");
    store::close_main_database();
    platform::set_program_directory_for_tests(QString());
    benchmark::Shutdown();
    return 0;
}
