// Export to Excel against raw libxlsxwriter, in the same run: a list of 100,000 rows of 12 text
// columns exported by export_list_view_to_excel, the function every export button calls (the
// scratch database made, the list copied into its table tmp, the workbook written by the Excel
// bridge from SELECT ... INTO [Excel 8.0;Database=f].[Sheet1] FROM tmp ORDER BY 排序), and by
// plain libxlsxwriter calls writing the same texts from memory. Both use libxlsxwriter's
// constant-memory mode. Prints the ratio export/raw; the target is at most 1.5.
#include <xlsxwriter.h>

#include <QApplication>
#include <QTableView>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_common.h"
#include "lists/list_export.h"
#include "platform/files.h"
#include "platform/listview.h"

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 12;

QTemporaryDir* g_dir = nullptr;
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

QTableView* g_list = nullptr;

// The list as a page shows it: titled columns, every cell a text.
void make_list() {
    g_list = platform::make_report_view();
    platform::ListModel* model = platform::listview_model(g_list);
    platform::ListModel::Filler fill(model);
    for (int c = 0; c < kColumns; ++c) {
        g_titles.push_back("列" + std::to_string(c + 1));
        model->insert_column(QString::fromStdString(g_titles.back()), 80);
    }
    g_rows.resize(kRows);
    for (int r = 0; r < kRows; ++r) {
        const int row = model->insert_row();
        for (int c = 0; c < kColumns; ++c) {
            g_rows[r].push_back(cell_text(r, c));
            model->set_cell_utf8(row, c, g_rows[r][c].data(),
                                 static_cast<qsizetype>(g_rows[r][c].size()));
        }
    }
}

void BM_ExportList(benchmark::State& state) {
    const QString target = g_dir->filePath(QStringLiteral("export.xlsx"));
    for (auto _ : state) {
        if (!lists::export_list_view_to_excel(g_list, target))
            state.SkipWithError("the export failed");
        state.PauseTiming();
        QFile::remove(target);
        state.ResumeTiming();
    }
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

BENCHMARK(BM_ExportList)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_ExportRaw)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    make_list();
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("export", "BM_ExportList/iterations:5/real_time", "export",
                         "BM_ExportRaw/iterations:5/real_time", "raw libxlsxwriter", "1.5");
    delete g_list;
    benchmark::Shutdown();
    return 0;
}
