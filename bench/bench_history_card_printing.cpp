// 打印卡片 after a year of history (bench_history.h): the meter-reading handbook of reader 张三,
// who walks every other household, in the register of 1,000, of 20,000 (10,000 meter accounts,
// 278 pages) and of 200,000 households. The job is what 打印 runs, from print_reading_handbook
// (the scratch tables rebuilt, the lines read, the grid filled) to the preview's pages laid out,
// as the preview dialog lays them out when it shows, offscreen; the raw side reads the same rows
// in one query (the reader's active accounts in walking order with the household, the newest
// reading and the unpaid bills), prepared, every field read as text. Prints each ratio.
#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <cstdio>
#include <set>

#include "bench_history.h"
#include "bench_register.h"
#include "platform/dialogs.h"
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
    "coalesce((select r.止方 from 抄表总表 r where r.户号=m.户号 order by r.编号 desc limit 1), "
    "m.开始起数), "
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
    }
    g_user = nullptr;
    platform::set_ui_backend(nullptr);
    platform::clear_clock_for_tests();
    shell::free_program_variables();
    benchmark::Shutdown();
    return 0;
}
