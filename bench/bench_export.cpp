// Export to Excel against raw libxlsxwriter, in the same run: 100,000 rows of 12 text columns
// written as a workbook by the export statement (SELECT ... INTO [Excel 8.0;Database=f].[Sheet1]
// FROM tmp ORDER BY 排序, through the database layer and the Excel bridge) and by plain
// libxlsxwriter calls writing the same texts from memory. Both use libxlsxwriter's
// constant-memory mode. Prints the ratio bridge/raw; the target is at most 1.5.
#include <sqlcipher/sqlite3.h>
#include <xlsxwriter.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_common.h"
#include "platform/db.h"
#include "platform/excel_install.h"
#include "platform/files.h"

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 12;

QTemporaryDir* g_dir = nullptr;
QString g_scratch;                             // the scratch database holding table tmp
std::vector<std::string> g_titles;             // field names
std::vector<std::vector<std::string>> g_rows;  // the same texts, in list order

// Texts like a household list's: numbers with leading zeros, names, addresses, dates, amounts.
std::string cell_text(int row, int column) {
    char buf[64];
    switch (column % 6) {
        case 0:
            std::snprintf(buf, sizeof buf, "%06d", row);
            break;
        case 1:
            std::snprintf(buf, sizeof buf, "用户%d", row);
            break;
        case 2:
            std::snprintf(buf, sizeof buf, "幸福街%d号楼%d单元", row % 300, row % 7);
            break;
        case 3:
            std::snprintf(buf, sizeof buf, "2024年%d月%d日", row % 12 + 1, row % 28 + 1);
            break;
        case 4:
            std::snprintf(buf, sizeof buf, "%.2f", (row % 10000) / 7.0);
            break;
        default:
            std::snprintf(buf, sizeof buf, "1390000%04d", row % 10000);
            break;
    }
    return buf;
}

bool make_scratch_database() {
    g_scratch = g_dir->filePath(QStringLiteral("db.tmp"));
    QFile file(g_scratch);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    file.close();
    platform::Connection conn;
    if (!platform::db_open_access_file(conn, g_scratch, QString())) return false;
    std::string create = "create table tmp (";
    for (int c = 0; c < kColumns; ++c) {
        g_titles.push_back("列" + std::to_string(c + 1));
        create += g_titles.back() + " text,";
    }
    create += "排序 integer)";
    if (!platform::db_execute(conn, QString::fromStdString(create))) return false;
    // Inserted with the C API: the benchmark is about the export, not about filling tmp.
    sqlite3* db = platform::db_handle(conn);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "insert into tmp values (?,?,?,?,?,?,?,?,?,?,?,?,?)", -1, &insert,
                       nullptr);
    g_rows.resize(kRows);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            g_rows[r].push_back(cell_text(r, c));
            sqlite3_bind_text(insert, c + 1, g_rows[r][c].c_str(), -1, SQLITE_STATIC);
        }
        sqlite3_bind_int(insert, kColumns + 1, r + 1);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    platform::db_close(conn);
    return true;
}

void BM_ExportBridge(benchmark::State& state) {
    platform::install_excel_bridge();
    platform::Connection conn;
    platform::db_open_access_file(conn, g_scratch, QString());
    QString select = QStringLiteral("SELECT ");
    for (int c = 0; c < kColumns; ++c)
        select += (c ? QStringLiteral(",") : QString()) + QString::fromStdString(g_titles[c]);
    const QString target = g_dir->filePath(QStringLiteral("bridge.xlsx"));
    const QString statement = select + QStringLiteral(" INTO [Excel 8.0;Database=") + target +
                              QStringLiteral("].[Sheet1] FROM tmp  ORDER BY 排序");
    for (auto _ : state) {
        if (!platform::db_execute(conn, statement))
            state.SkipWithError(platform::db_last_error(conn).toStdString().c_str());
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
    }
    platform::db_close(conn);
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_ExportRaw(benchmark::State& state) {
    const QByteArray target = QFile::encodeName(g_dir->filePath(QStringLiteral("raw.xlsx")));
    QByteArray tmpdir = QFile::encodeName(platform::temp_folder());
    for (auto _ : state) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = tmpdir.data();
        options.use_zip64 = LXW_TRUE;
        lxw_workbook* workbook = workbook_new_opt(target.constData(), &options);
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Sheet1");
        for (int c = 0; c < kColumns; ++c)
            worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c), g_titles[c].c_str(),
                                   nullptr);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c)
                worksheet_write_string(sheet, static_cast<lxw_row_t>(r + 1),
                                       static_cast<lxw_col_t>(c), g_rows[r][c].c_str(), nullptr);
        if (workbook_close(workbook) != LXW_NO_ERROR) state.SkipWithError("workbook_close failed");
        state.PauseTiming();
        QFile::remove(QFile::decodeName(target));
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_ExportBridge)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_ExportRaw)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    if (!dir.isValid() || !make_scratch_database()) {
        std::fprintf(stderr, "could not make the scratch database\n");
        return 1;
    }
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("export", "BM_ExportBridge/iterations:5/real_time", "bridge",
                         "BM_ExportRaw/iterations:5/real_time", "raw libxlsxwriter", "1.5");
    benchmark::Shutdown();
    return 0;
}
