// 打印卡片 after a year of history (bench_history.h): the meter-reading handbook of reader 张三,
// who walks every other household, in the register of 1,000, of 20,000 (10,000 meter accounts,
// 278 pages) and of 200,000 households. The job is what 打印 runs, from print_reading_handbook
// (the scratch tables rebuilt, the lines read, the grid filled) to the preview's pages painted,
// as the preview dialog paints them when it shows, offscreen. Two raw sides: the same rows read
// in one query (the reader's active accounts in walking order with the household, the newest
// reading and the unpaid bills), prepared, every field read as text; and those rows read so and
// painted into a preview of the same pages with one drawText per cell. Painting the pages costs
// several times the read on its own, so the second is the raw cost of the same work. Prints
// each ratio.
#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <array>
#include <cstdio>
#include <set>

#include "bench_history.h"
#include "bench_register.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "reports/card_printing_window.h"
#include "shell/program_state.h"

namespace {

using namespace bench::history;

Registers* g_registers = nullptr;
bench::BenchUser* g_user = nullptr;
// 20,000 households: the 10,000 meter accounts of one reader.
constexpr int kTenThousandAccounts = 20000;
const char kReader[] = "张三";

int size_of(const benchmark::State& state) { return static_cast<int>(state.range(0)); }

#define ON_REGISTER(state)                               \
    if (!g_registers->use(size_of(state))) {             \
        state.SkipWithError("cannot open the register"); \
        return;                                          \
    }

std::vector<int> sizes() {
    const std::set<int> distinct = {kSmall, kTenThousandAccounts, large_size()};
    return {distinct.begin(), distinct.end()};
}

// 打印 in the window: one account a line, font 10, row height 25. The preview's pages are made
// as the dialog makes them when it shows; returns their count.
int print_handbook() {
    int pages = 0;
    g_user->modal = [&pages](QDialog* window) {
        auto* view = window->findChild<QPrintPreviewWidget*>();
        if (!view) return;
        view->updatePreview();
        pages = view->pageCount();
    };
    reports::print_reading_handbook(QString::fromUtf8(kReader), true, 10, 25);
    g_user->modal = nullptr;
    return pages;
}

void BM_CardPrinting(benchmark::State& state) {
    ON_REGISTER(state);
    int pages = print_handbook();  // once untimed: both sides start warm
    for (auto _ : state) pages = print_handbook();
    if (pages < 2) state.SkipWithError("no pages");
    state.counters["pages"] = pages;
}

// The rows the handbook prints, read in one statement.
const char kRawRows[] =
    "select m.户号, h.用户名, m.计量编号, h.居住街道, h.详细地址, h.移动电话, "
    "coalesce((select r.止方 from 抄表总表 r where r.编号=(select max(x.编号) from 抄表总表 x "
    "where x.户号=m.户号)), m.开始起数), "
    "(select total(b.实收金额) || '(' || count(*) || ')' from 总收费 b where b.户号=m.父号 and "
    "b.收费标志=1 and b.标志=1 and b.抄表人员='张三'), m.收费项目 "
    "from 用户表管理 m join 用户信息表 h on h.户号=m.父号 "
    "where m.抄表人员='张三' and m.状态='正常' order by m.抄表序号";

void BM_CardPrintingRaw(benchmark::State& state) {
    ON_REGISTER(state);
    sqlite3* db = platform::db_handle(store::main_connection());
    int rows = bench::read_every_field(db, kRawRows);
    for (auto _ : state) rows = bench::read_every_field(db, kRawRows);
    if (rows < 2) state.SkipWithError("no rows");
    state.counters["rows"] = rows;
}

// The same rows read raw and painted raw into a print preview of the same paper: A4, the same
// margins, font, column widths and row height, the title and the title row on every page, one
// drawText per cell at a fixed place, the grid lines and the footer; no measuring, no fitting.
int read_and_paint_raw(sqlite3* db) {
    std::vector<std::array<QString, 8>> lines;
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, kRawRows, -1, &stmt, nullptr);
    const auto text = [&](int i) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                                 sqlite3_column_bytes(stmt, i));
    };
    while (sqlite3_step(stmt) == SQLITE_ROW)
        lines.push_back({text(0), text(1), text(6), QString(), text(7), text(8), text(3), text(5)});
    sqlite3_finalize(stmt);

    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    QPrintPreviewWidget view(&printer);
    int pages = 0;
    QObject::connect(&view, &QPrintPreviewWidget::paintRequested, [&](QPrinter* target) {
        QPainter painter(target);
        const double dpi = target->resolution();
        const auto cm = [&](double v) { return v / 2.54 * dpi; };
        const auto px = [&](double v) { return v / 96.0 * dpi; };
        const int widths[8] = {80, 90, 70, 70, 95, 90, 85, 115};
        const char* titles[8] = {"户号",     "用户姓名", "起数",     "止数",
                                 "欠费金额", "收费项目", "居住街道", "移动电话"};
        QFont cell_font(platform::print_font_family());
        cell_font.setPointSizeF(10);
        QFont title_font(platform::print_font_family());
        title_font.setPointSizeF(15);
        const double row_h = px(25), left = cm(1.3) + px(15), top = cm(1.5) + 30.0 / 72 * dpi;
        const int per_page = static_cast<int>((cm(29.7 - 1.5 - 2.5) - 30.0 / 72 * dpi) / row_h) - 1;
        const int count = static_cast<int>(lines.size());
        pages = (count + per_page - 1) / per_page;
        const QFontMetricsF fm(cell_font, target);
        const double baseline = (row_h - fm.height()) / 2 + fm.ascent();
        for (int page = 0; page < pages; ++page) {
            if (page > 0) target->newPage();
            painter.setFont(title_font);
            painter.drawText(QPointF(left, top - 10.0 / 72 * dpi), QStringLiteral("抄表手册"));
            painter.setFont(cell_font);
            const int first = page * per_page, end = std::min(count, first + per_page);
            double x = left;
            for (int c = 0; c < 8; ++c) {
                painter.drawText(QPointF(x + px(3), top + baseline), QString::fromUtf8(titles[c]));
                for (int r = first; r < end; ++r)
                    painter.drawText(QPointF(x + px(3), top + (r - first + 1) * row_h + baseline),
                                     lines[r][c]);
                painter.drawLine(QPointF(x, top), QPointF(x, top + (end - first + 1) * row_h));
                x += px(widths[c]);
            }
            painter.drawLine(QPointF(x, top), QPointF(x, top + (end - first + 1) * row_h));
            for (int r = 0; r <= end - first + 1; ++r)
                painter.drawLine(QPointF(left, top + r * row_h), QPointF(x, top + r * row_h));
            painter.drawText(QPointF(left, cm(29.7 - 0.8)),
                             QStringLiteral("共%1页，第%2页").arg(pages).arg(page + 1));
        }
    });
    view.updatePreview();
    return view.pageCount() == pages ? pages : 0;
}

void BM_CardPrintingRawPages(benchmark::State& state) {
    ON_REGISTER(state);
    sqlite3* db = platform::db_handle(store::main_connection());
    int pages = read_and_paint_raw(db);
    for (auto _ : state) pages = read_and_paint_raw(db);
    if (pages < 2) state.SkipWithError("no pages");
    state.counters["pages"] = pages;
}

void size_args(benchmark::internal::Benchmark* b) {
    for (const int size : sizes()) b->Arg(size);
}

BENCHMARK(BM_CardPrinting)
    ->Apply(size_args)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_CardPrintingRaw)
    ->Apply(size_args)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_CardPrintingRawPages)
    ->Apply(size_args)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Registers registers;
    g_registers = &registers;
    if (!start_history_bench(&argc, argv, registers)) return 1;
    if (!registers.prepare(kTenThousandAccounts)) {
        std::fprintf(stderr, "cannot prepare the register of %d households\n",
                     kTenThousandAccounts);
        return 1;
    }
    bench::BenchUser user;
    g_user = &user;
    platform::set_ui_backend(&user);

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::string suffix = "/iterations:1/real_time";
    for (const int size : sizes()) {
        const std::string at = "/" + std::to_string(size) + suffix;
        const std::string what = "打印卡片 vs a raw read of its rows at " + std::to_string(size) +
                                 " households (" + std::to_string(size / 2) + " accounts)";
        reporter.print_ratio(what.c_str(), "BM_CardPrinting" + at, "print",
                             "BM_CardPrintingRaw" + at, "raw", "3");
        const std::string pages = "打印卡片 vs the same rows read and painted raw at " +
                                  std::to_string(size) + " households";
        reporter.print_ratio(pages.c_str(), "BM_CardPrinting" + at, "print",
                             "BM_CardPrintingRawPages" + at, "raw", "3");
    }
    g_user = nullptr;
    platform::set_ui_backend(nullptr);
    platform::clear_clock_for_tests();
    shell::free_program_variables();
    benchmark::Shutdown();
    return 0;
}
