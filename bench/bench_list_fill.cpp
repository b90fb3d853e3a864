// The list pages' fills against reading the same rows with raw SQLCipher calls, in the same run,
// 100,000 rows each. Each page is filled by the function its window calls: the meter page's
// fill_meter_list (the sixteen fields of meter accounts joined with their households), page 0's
// fill_todays_households_list and page 1's fill_household_query_list (eighteen cells with the
// kind word, the date text and numbers), and the log page's query window (its OK button). That
// is the whole of what the user waits for: the statement opened on the main connection, the
// columns of the class laid out, every row written in one model reset, the hidden columns
// removed, the widths applied, the progress window advancing. The raw side prepares, steps and
// reads column_text of every field of the same statement. Prints each ratio page/raw; the
// target is at most 2.
#include <sqlcipher/sqlite3.h>

#include <QApplication>
#include <QDateEdit>
#include <QTableView>
#include <cstdio>

#include "bench_program.h"
#include "bench_register.h"
#include "households/household_lists.h"
#include "households/household_pages.h"
#include "households/meter_account.h"
#include "households/meter_list_page.h"
#include "platform/convert.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "shell/log_page.h"
#include "shell/log_query_window.h"
#include "store/main_database.h"

namespace {

constexpr int kRows = 100000;
const char kRegistered[] = "2024-03-05";
const char kHouseholdQuery[] =
    "select * from 用户信息表 where 户号 between '0' and '9' ORDER BY 编号";
const char kTodaysRaw[] = "select * from 用户信息表 where 建档时间='2024-03-05' ORDER BY 编号 DESC";
const char kLogRaw[] =
    "select * from 日志管理 where 发生时间>='2024-01-01 00:00:00' and "
    "发生时间<='2024-12-31 23:59:59' ORDER BY ID DESC";

households::MeterListPage* g_meters = nullptr;
households::HouseholdAddPage* g_todays = nullptr;
households::HouseholdQueryPage* g_query = nullptr;
shell::LogPage* g_log = nullptr;

QString meter_query() {
    return households::meter_list_base_query() + QStringLiteral("ORDER BY 用户表管理.编号");
}

void check_rows(benchmark::State& state, QTableView* list, int rows) {
    if (platform::listview_row_count(list) != rows) state.SkipWithError("list not filled");
}

void BM_MeterPage(benchmark::State& state) {
    const QString query = meter_query();
    for (auto _ : state) {
        g_meters->fill_meter_list(query);
        check_rows(state, g_meters->meter_list(), kRows);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_TodaysHouseholdsPage(benchmark::State& state) {
    for (auto _ : state) {
        households::fill_todays_households_list();
        check_rows(state, g_todays->household_list(), kRows);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_HouseholdQueryPage(benchmark::State& state) {
    for (auto _ : state) {
        households::fill_household_query_list(QString::fromUtf8(kHouseholdQuery));
        check_rows(state, g_query->household_list(), kRows + 1);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_LogPage(benchmark::State& state) {
    for (auto _ : state) {
        shell::LogQueryWindow window(g_log, g_log->log_list());
        window.findChild<QDateEdit*>(QStringLiteral("收费日期_起"))->setDate(QDate(2024, 1, 1));
        window.findChild<QDateEdit*>(QStringLiteral("收费日期_止"))->setDate(QDate(2024, 12, 31));
        window.on_log_query_ok_click();
        check_rows(state, g_log->log_list(), kRows);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void raw_read(benchmark::State& state, const std::string& sql) {
    bench::time_raw_read(state, sql.c_str(), kRows);
}

void BM_MeterRaw(benchmark::State& state) { raw_read(state, meter_query().toStdString()); }
void BM_TodaysHouseholdsRaw(benchmark::State& state) { raw_read(state, kTodaysRaw); }
void BM_HouseholdQueryRaw(benchmark::State& state) { raw_read(state, kHouseholdQuery); }
void BM_LogRaw(benchmark::State& state) { raw_read(state, kLogRaw); }

#define PAGE_BENCHMARK(name) \
    BENCHMARK(name)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime()
PAGE_BENCHMARK(BM_MeterPage);
PAGE_BENCHMARK(BM_MeterRaw);
PAGE_BENCHMARK(BM_TodaysHouseholdsPage);
PAGE_BENCHMARK(BM_TodaysHouseholdsRaw);
PAGE_BENCHMARK(BM_HouseholdQueryPage);
PAGE_BENCHMARK(BM_HouseholdQueryRaw);
PAGE_BENCHMARK(BM_LogPage);
PAGE_BENCHMARK(BM_LogRaw);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::ProgramFolder folder;
    if (!store::reopen_main_database() || !bench::add_register(kRows, kRegistered) ||
        !bench::add_log_rows(kRows, 2024))
        return folder.cannot_prepare();
    folder.start_session();
    platform::set_clock_for_tests(QDateTime(QDate(2024, 3, 5), QTime(10, 0)));

    // The pages as the main window holds them, shown.
    households::MeterListPage meters;
    households::HouseholdAddPage todays;
    households::HouseholdQueryPage query;
    shell::LogPage log;
    for (QWidget* page : {static_cast<QWidget*>(&meters), static_cast<QWidget*>(&todays),
                          static_cast<QWidget*>(&query), static_cast<QWidget*>(&log)}) {
        page->resize(1200, 700);
        page->show();
    }
    g_meters = &meters;
    g_todays = &todays;
    g_query = &query;
    g_log = &log;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto ratio = [&reporter](const char* what, const char* page, const char* raw) {
        bench::print_page_ratio(reporter, what, page, raw, 5);
    };
    ratio("meter page fill", "BM_MeterPage", "BM_MeterRaw");
    ratio("today's households page fill", "BM_TodaysHouseholdsPage", "BM_TodaysHouseholdsRaw");
    ratio("household query page fill", "BM_HouseholdQueryPage", "BM_HouseholdQueryRaw");
    ratio("log page fill", "BM_LogPage", "BM_LogRaw");

    g_meters = nullptr;
    g_todays = nullptr;
    g_query = nullptr;
    g_log = nullptr;
    platform::clear_clock_for_tests();
    benchmark::Shutdown();
    return 0;
}
