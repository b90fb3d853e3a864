// 批量添加 of 20,000 households against the Excel bridge alone, in the same run. The sheet is an
// .xlsx written here with libxlsxwriter, typed as a user's sheet is (names and numbers with
// leading zeros as text, dates as date cells, area and persons as numbers). The bridge alone is
// the statement that copies the sheet into 导入暂存表; the import is the whole of what the button
// runs: the same copy, then every row (the next free number, the household and its property-fee
// account, rows in batches under savepoints, all in one transaction), and the listing of the
// imported households in page 0's list (fill_household_list_by_numbers, as the main window wires
// the button). Prints the ratio import/bridge; the target is at most 3.
#include <xlsxwriter.h>

#include <QApplication>
#include <QFile>
#include <cstdio>
#include <cstdlib>

#include "bench_program.h"
#include "households/household_import.h"
#include "households/household_lists.h"
#include "households/household_pages.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/excel_install.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace {

constexpr int kRows = 20000;

bench::ProgramFolder* g_folder = nullptr;
QString g_sheet_file;
QStringList g_imported;
households::HouseholdAddPage* g_page = nullptr;

// The user, as the import frame meets them: the workbook, its sheet name, OK to every box.
class BenchUser : public platform::UiBackend {
public:
    platform::MsgResult message_box(const QString& text, const QString&, platform::MsgIcon,
                                    platform::MsgButtons, QWidget*) override {
        last_box = text;
        return platform::MsgResult::Ok;
    }
    bool input_box(const QString&, const QString&, const QString&, QString* answer,
                   QWidget*) override {
        *answer = QStringLiteral("Sheet1");
        return true;
    }
    QString file_dialog(const platform::FileDialogRequest&, QWidget*) override {
        return g_sheet_file;
    }
    int run_modal(QDialog*) override { return 0; }
    void beep() override {}
    void play_sound(const QString&) override {}
    [[noreturn]] void end_program(int exit_code) override { std::exit(exit_code); }
    QString last_box;
};
BenchUser* g_user = nullptr;

bool write_sheet() {
    g_sheet_file = g_folder->scratch_path(QStringLiteral("households.xlsx"));
    const QByteArray path = QFile::encodeName(g_sheet_file);
    lxw_workbook* workbook = workbook_new(path.constData());
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Sheet1");
    lxw_format* date = workbook_add_format(workbook);
    format_set_num_format(date, "yyyy-mm-dd");
    const char* titles[] = {"用户名",   "居住街道", "详细地址", "建档时间", "身份证号",
                            "固定电话", "移动电话", "备注",     "银行帐号", "物业类别",
                            "物业面积", "家庭人口", "开户银行", "磁卡号码"};
    for (lxw_col_t c = 0; c < 14; ++c) worksheet_write_string(sheet, 0, c, titles[c], nullptr);
    char buf[64];
    for (int r = 0; r < kRows; ++r) {
        const auto row = static_cast<lxw_row_t>(r + 1);
        std::snprintf(buf, sizeof buf, "用户%d", r);
        worksheet_write_string(sheet, row, 0, buf, nullptr);
        worksheet_write_string(sheet, row, 1, r % 2 ? "东区" : "西区", nullptr);
        std::snprintf(buf, sizeof buf, "幸福街%d号楼%d单元", r % 300, r % 7);
        worksheet_write_string(sheet, row, 2, buf, nullptr);
        lxw_datetime when = {2020 + r % 5, r % 12 + 1, r % 28 + 1, 0, 0, 0};
        worksheet_write_datetime(sheet, row, 3, &when, date);
        std::snprintf(buf, sizeof buf, "1101011990%08d", r);
        worksheet_write_string(sheet, row, 4, buf, nullptr);
        std::snprintf(buf, sizeof buf, "0571-%08d", r);
        worksheet_write_string(sheet, row, 5, buf, nullptr);
        std::snprintf(buf, sizeof buf, "139%08d", r);
        worksheet_write_string(sheet, row, 6, buf, nullptr);
        worksheet_write_string(sheet, row, 7, r % 10 ? "" : "老住户", nullptr);
        std::snprintf(buf, sizeof buf, "62220212%011d", r);
        worksheet_write_string(sheet, row, 8, buf, nullptr);
        worksheet_write_string(sheet, row, 9, "住宅", nullptr);
        worksheet_write_number(sheet, row, 10, 50 + (r % 900) / 10.0, nullptr);
        worksheet_write_number(sheet, row, 11, r % 6 + 1, nullptr);
        worksheet_write_string(sheet, row, 12, "工商银行", nullptr);
        std::snprintf(buf, sizeof buf, "%08d", r);
        worksheet_write_string(sheet, row, 13, buf, nullptr);
    }
    return workbook_close(workbook) == LXW_NO_ERROR;
}

void empty_register() {
    platform::Connection& c = store::main_connection();
    platform::db_execute(c, QStringLiteral("DROP TABLE 导入暂存表"));
    platform::db_execute(c, QStringLiteral("delete from 用户信息表"));
    platform::db_execute(c, QStringLiteral("delete from 用户表管理"));
}

void BM_BridgeRead(benchmark::State& state) {
    platform::Connection& c = store::main_connection();
    const QString statement = QStringLiteral("SELECT * INTO 导入暂存表 FROM [Excel 8.0;DATABASE=") +
                              g_sheet_file + QStringLiteral("].[Sheet1$] ");
    for (auto _ : state) {
        state.PauseTiming();
        empty_register();
        state.ResumeTiming();
        if (!platform::db_execute(c, statement))
            state.SkipWithError(platform::db_last_error(c).toStdString().c_str());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_HouseholdImport(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        empty_register();
        g_user->last_box.clear();
        state.ResumeTiming();
        households::on_main_household_import_click(nullptr, [](const QStringList& numbers) {
            g_imported = numbers;
            households::fill_household_list_by_numbers(numbers, nullptr, g_page->household_list());
        });
        if (g_user->last_box != QStringLiteral("导入数据库成功！") || g_imported.size() != kRows ||
            platform::listview_row_count(g_page->household_list()) != kRows + 1)
            state.SkipWithError("the import did not complete");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_BridgeRead)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_HouseholdImport)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::ProgramFolder folder(QStringLiteral("program"));
    g_folder = &folder;
    if (!write_sheet()) {
        std::fprintf(stderr, "could not write the sheet\n");
        return 1;
    }
    if (!store::open_main_database()) return folder.cannot_prepare();
    store::bind_main_record_sets();
    folder.start_session();
    platform::install_excel_bridge();
    BenchUser user;
    g_user = &user;
    platform::set_ui_backend(&user);
    // Page 0 as the main window holds it, shown.
    households::HouseholdAddPage page;
    page.resize(1200, 700);
    page.show();
    g_page = &page;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.print_ratio("household import", "BM_HouseholdImport/iterations:3/real_time", "import",
                         "BM_BridgeRead/iterations:3/real_time", "bridge alone", "3");
    g_page = nullptr;

    platform::set_ui_backend(nullptr);
    g_folder = nullptr;
    benchmark::Shutdown();
    return 0;
}
