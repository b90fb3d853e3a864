// What a clerk does all day, in a register of 1,000 and of 200,000 households (each with its
// property-fee meter account, all read by reader 系统): adding, modifying and deleting a household
// or a meter account, the proposal of the next household number with its ownership check, and
// the reading-order moves. Each action runs the way its button runs it: the page's handler, the
// form opened and filled as a clerk fills it, the statements, the messages, the log row and the
// refill of the page's list. Prints for each action the ratio of its time at 200,000 to its time
// at 1,000 households; the target is at most 1.5.
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

#include "bench_common.h"
#include "bench_register.h"
#include "harness/fixture.h"
#include "households/household_lists.h"
#include "households/household_pages.h"
#include "households/household_record.h"
#include "households/meter_account.h"
#include "households/meter_info_window.h"
#include "households/meter_list_page.h"
#include "platform/convert.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "shell/program_state.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace {

constexpr int kSmall = 1000;
constexpr int kLarge = 200000;
const char kSeeded[] = "2023-01-01";  // the register was set up over the 250 days from here

std::map<int, QString> g_folders;  // register size -> program folder
int g_open_size = 0;
bench::BenchUser* g_user = nullptr;
households::HouseholdAddPage* g_add_page = nullptr;
households::MeterListPage* g_meter_page = nullptr;
int g_serial = 0;  // makes every added name and household distinct

bool use_register(int size) {
    if (g_open_size == size) return true;
    store::close_main_database();
    platform::set_program_directory_for_tests(g_folders[size]);
    if (!store::reopen_main_database()) return false;
    shell::load_system_parameters();
    g_open_size = size;
    return true;
}

template <class T>
T* unit(QWidget* w, const char* name) {
    return w->findChild<T*>(QString::fromUtf8(name));
}

void choose(QComboBox* box, const QString& text) { box->setCurrentIndex(box->findText(text)); }

// Selects the first row of a list.
void select_first_row(QTableView* list) { platform::listview_select_row(list, 0); }

// The meter list showing the accounts of this statement's condition.
void show_meters(const QString& condition) {
    g_meter_page->fill_meter_list(households::meter_list_base_query() + condition +
                                  QStringLiteral(" ORDER BY 用户表管理.编号"));
    select_first_row(g_meter_page->meter_list());
}

#define SIZED(state)                                                            \
    if (!use_register(static_cast<int>(state.range(0)))) {                      \
        state.SkipWithError("cannot open the register");                        \
        return;                                                                 \
    }

void BM_AddHousehold(benchmark::State& state) {
    SIZED(state);
    g_user->modal = [](QDialog* w) {
        unit<QLineEdit>(w, "编辑框_用户名")->setText(QStringLiteral("新住户%1").arg(++g_serial));
        choose(unit<QComboBox>(w, "组合框_居住街道"), QStringLiteral("东区"));
        choose(unit<QComboBox>(w, "组合框_物业类别"), QStringLiteral("住宅"));
        unit<QPushButton>(w, "按钮_添加")->click();
    };
    for (auto _ : state) {
        g_user->last_box.clear();
        g_add_page->on_main_household_add_click();
        if (!g_user->last_box.contains(QStringLiteral("成功"))) state.SkipWithError("not added");
    }
}

void BM_ModifyHousehold(benchmark::State& state) {
    SIZED(state);
    g_user->modal = [](QDialog* w) {
        unit<QLineEdit>(w, "编辑框_详细地址")->setText(QStringLiteral("改%1").arg(++g_serial));
        unit<QPushButton>(w, "按钮_添加")->click();
    };
    for (auto _ : state) {
        state.PauseTiming();
        households::fill_todays_households_list();
        select_first_row(g_add_page->household_list());
        g_user->last_box.clear();
        state.ResumeTiming();
        g_add_page->on_main_household_modify_click();
        if (!g_user->last_box.contains(QStringLiteral("成功"))) state.SkipWithError("not changed");
    }
}

void BM_DeleteHousehold(benchmark::State& state) {
    SIZED(state);
    for (auto _ : state) {
        state.PauseTiming();
        // A household registered today, first (newest) in today's list.
        bench::raw_exec(("INSERT INTO 用户信息表 (户号,父号,用户名,建档时间) VALUES ('D" +
                         std::to_string(++g_serial) + "','0','待删','" +
                         platform::date_storage_text(platform::today()).toStdString() + "')")
                            .c_str());
        households::fill_todays_households_list();
        select_first_row(g_add_page->household_list());
        g_user->last_box.clear();
        state.ResumeTiming();
        g_add_page->on_main_household_delete_click();
        if (!g_user->last_box.contains(QStringLiteral("成功"))) state.SkipWithError("not deleted");
    }
}

void BM_ProposeHouseholdNumber(benchmark::State& state) {
    SIZED(state);
    for (auto _ : state) {
        const QString number = households::next_household_number(store::main_connection());
        if (number.isEmpty()) state.SkipWithError("no number");
        benchmark::DoNotOptimize(number);
    }
}

void BM_AddMeter(benchmark::State& state) {
    SIZED(state);
    const int size = static_cast<int>(state.range(0));
    g_user->modal = [size](QDialog* d) {
        auto* w = static_cast<households::MeterInfoWindow*>(d);
        unit<QLineEdit>(w, "编辑框_户号")
            ->setText(QString::fromStdString(bench::household_number(1 + ++g_serial % size)));
        w->on_meter_household_number_lost_focus();
        choose(unit<QComboBox>(w, "组合框_收费项目"), QStringLiteral("水费"));
        choose(unit<QComboBox>(w, "组合框_价格类别"), QStringLiteral("民用水"));
        choose(unit<QComboBox>(w, "组合框_抄表人员"), QStringLiteral("张师傅"));
        w->on_meter_form_save_click();
    };
    for (auto _ : state) {
        g_user->last_box.clear();
        g_meter_page->on_main_meter_add_click();
        if (g_user->last_box != QStringLiteral("执行成功!")) state.SkipWithError("not added");
    }
}

void BM_ModifyMeter(benchmark::State& state) {
    SIZED(state);
    g_user->modal = [](QDialog* d) {
        auto* w = static_cast<households::MeterInfoWindow*>(d);
        unit<QLineEdit>(w, "编辑框_新表编号")->setText(QStringLiteral("M%1").arg(++g_serial));
        w->on_meter_form_save_click();
    };
    for (auto _ : state) {
        state.PauseTiming();
        // One of the accounts added today (BM_AddMeter); the list after saving shows those.
        show_meters(QStringLiteral("and 用户表管理.抄表人员='张师傅'"));
        g_user->last_box.clear();
        state.ResumeTiming();
        g_meter_page->on_main_meter_modify_click();
        if (g_user->last_box != QStringLiteral("执行成功!")) state.SkipWithError("not changed");
    }
}

void BM_DeleteMeter(benchmark::State& state) {
    SIZED(state);
    for (auto _ : state) {
        state.PauseTiming();
        const std::string number = "X" + std::to_string(++g_serial);
        bench::raw_exec(("INSERT INTO 用户表管理 (户号,父号,收费项目,抄表人员,抄表序号) VALUES ('" +
                         number + "01','" + number + "','水费','张师傅',1)")
                            .c_str());
        bench::raw_exec(("INSERT INTO 用户信息表 (户号,父号,用户名) VALUES ('" + number +
                         "','0','待删')")
                            .c_str());
        show_meters(QStringLiteral("and 用户表管理.户号='") + QString::fromStdString(number) +
                    QStringLiteral("01'"));
        g_user->last_box.clear();
        state.ResumeTiming();
        g_meter_page->on_main_meter_delete_click();
        if (!g_user->last_box.contains(QStringLiteral("删除成功"))) state.SkipWithError("not deleted");
    }
}

// A property-fee account in the middle of reader 系统's walk, selected.
void select_middle_account(int size) {
    show_meters(QStringLiteral("and 用户表管理.户号='") +
                QString::fromStdString(bench::household_number(size / 2)) +
                QStringLiteral("01'"));
}

void move_benchmark(benchmark::State& state, void (households::MeterListPage::*move)(),
                    const char* success) {
    SIZED(state);
    const int size = static_cast<int>(state.range(0));
    // 移动到: a place near the end of the walk, so that the accounts after it (which the move
    // renumbers, however it is done) are as many in both registers.
    g_user->answer = QString::number(size - 10);
    for (auto _ : state) {
        state.PauseTiming();
        select_middle_account(size);
        g_user->last_box.clear();
        state.ResumeTiming();
        (g_meter_page->*move)();
        if (g_user->last_box != QString::fromUtf8(success)) state.SkipWithError("not moved");
    }
}

void BM_MoveUp(benchmark::State& state) {
    move_benchmark(state, &households::MeterListPage::on_main_meter_move_up_click, "序号上移成功！");
}
void BM_MoveDown(benchmark::State& state) {
    move_benchmark(state, &households::MeterListPage::on_main_meter_move_down_click,
                   "序号下移成功！");
}
void BM_MoveTo(benchmark::State& state) {
    move_benchmark(state, &households::MeterListPage::on_main_meter_move_to_click, "序号移动成功！");
}

const char* const kActions[] = {"BM_AddHousehold",  "BM_ModifyHousehold",
                                "BM_DeleteHousehold", "BM_ProposeHouseholdNumber",
                                "BM_AddMeter",        "BM_ModifyMeter",
                                "BM_DeleteMeter",     "BM_MoveUp",
                                "BM_MoveDown",        "BM_MoveTo"};

#define ACTION_BENCHMARK(name)                                                                \
    BENCHMARK(name)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond)->Iterations(20) \
        ->UseRealTime()
ACTION_BENCHMARK(BM_AddHousehold);
ACTION_BENCHMARK(BM_ModifyHousehold);
ACTION_BENCHMARK(BM_DeleteHousehold);
ACTION_BENCHMARK(BM_ProposeHouseholdNumber);
ACTION_BENCHMARK(BM_AddMeter);
ACTION_BENCHMARK(BM_ModifyMeter);
ACTION_BENCHMARK(BM_DeleteMeter);
ACTION_BENCHMARK(BM_MoveUp);
ACTION_BENCHMARK(BM_MoveDown);
ACTION_BENCHMARK(BM_MoveTo);

// A program folder with a register of `size` households and what the forms offer.
bool make_register(const QString& folder, int size) {
    QDir().mkpath(folder);
    harness::lay_out_program_folder(folder);
    platform::set_program_directory_for_tests(folder);
    if (!store::reopen_main_database()) return false;
    const bool ok = bench::add_register(size, kSeeded, 250) &&
                    bench::raw_exec("INSERT INTO 街道 (街道) VALUES ('东区')") &&
                    bench::raw_exec("INSERT INTO 抄表员 (抄表员) VALUES ('张师傅')") &&
                    bench::raw_exec("INSERT INTO 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) "
                                    "VALUES (2,'民用水','水费',2.5,0,0)");
    store::close_main_database();
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    QTemporaryDir dir;
    for (const int size : {kSmall, kLarge}) {
        g_folders[size] = dir.filePath(QStringLiteral("register%1").arg(size));
        if (!make_register(g_folders[size], size)) {
            std::fprintf(stderr, "cannot prepare the register of %d households\n", size);
            return 1;
        }
    }
    shell::init_program_variables();
    shell::current_operator = QStringLiteral("管理员");
    platform::set_clock_for_tests(QDateTime(QDate(2024, 3, 5), QTime(10, 0)));
    if (!use_register(kSmall)) return 1;
    bench::BenchUser user;
    g_user = &user;
    platform::set_ui_backend(&user);
    // The pages as the main window holds them, shown.
    households::HouseholdAddPage add_page;
    households::MeterListPage meter_page;
    for (QWidget* page : {static_cast<QWidget*>(&add_page), static_cast<QWidget*>(&meter_page)}) {
        page->resize(1200, 700);
        page->show();
    }
    g_add_page = &add_page;
    g_meter_page = &meter_page;

    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* action : kActions) {
        const std::string base = action;
        reporter.print_ratio(action, base + "/200000/iterations:20/real_time", "200,000",
                             base + "/1000/iterations:20/real_time", "1,000", "1.5");
    }

    g_add_page = nullptr;
    g_meter_page = nullptr;
    platform::set_ui_backend(nullptr);
    platform::clear_clock_for_tests();
    store::close_main_database();
    shell::free_program_variables();
    platform::set_program_directory_for_tests(QString());
    benchmark::Shutdown();
    return 0;
}
