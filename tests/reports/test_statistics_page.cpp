// The statistics page in a main window: the 数据报表 entries with their rights, groupings,
// preview columns and layouts, 查询 through the report names, colours between runs, and export
// and print of the list.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <algorithm>

#include "harness/busy_watch.h"
#include "harness/fixture.h"
#include "harness/units.h"
#include "lists/list_pages.h"
#include "platform/db.h"
#include "platform/listview.h"
#include "reports/statistics_entries.h"
#include "reports/statistics_install.h"
#include "reports/statistics_page.h"
#include "shell/main_window.h"
#include "shell/program_state.h"
#include "shell/session.h"
#include "shell/system_parameters.h"

namespace {

using harness::unit;

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

class StatisticsPageTest : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        shell::init_program_variables();
        shell::current_operator = s("管理员");
        shell::load_system_parameters();
        set_clock(QDateTime(QDate(2024, 3, 5), QTime(9, 0)));
        reports::current_report_name.clear();
        window_ = std::make_unique<shell::MainWindow>();
        window_->resize(1800, 900);
        window_->show();
        reports::install_statistics(*window_);
        page_ = reports::statistics_page();
        ASSERT_NE(page_, nullptr);
        list_ = page_->statistics_list();
        // Column widths are shown for a list of this width.
        list_->setFixedWidth(1540);
        QCoreApplication::processEvents();
        ASSERT_EQ(list_->width(), 1540);
    }
    void TearDown() override {
        window_.reset();
        shell::free_program_variables();
        ProgramFolderTest::TearDown();
    }

    QStringList titles() const {
        QStringList t;
        for (int c = 0; c < platform::listview_column_count(list_); ++c)
            t << platform::listview_column_title(list_, c);
        return t;
    }
    std::vector<int> widths() const {
        std::vector<int> w;
        for (int c = 0; c < platform::listview_column_count(list_); ++c)
            w.push_back(platform::listview_column_width(list_, c));
        return w;
    }
    // "140|120|..." as pixel widths.
    static std::vector<int> pixels(const char* widths) {
        std::vector<int> w;
        for (const QString& text : s(widths).split(u'|')) w.push_back(text.toInt());
        return w;
    }
    QStringList groupings() const {
        auto* combo = unit<QComboBox>(page_, "抄表统计2");
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
        return items;
    }
    void seed_streets() {
        for (const char* street : {"东区", "西区"})
            exec(s("insert into 街道 (街道) values (") + platform::sql_quote(s(street)) + ")");
        exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道,建档时间) values "
               "('0001','0','甲','东区','2024-03-02')"));
    }
    void query() { unit<QPushButton>(page_, "抄表统计3")->click(); }
    platform::ListModel* model() const { return platform::listview_model(list_); }

    std::unique_ptr<shell::MainWindow> window_;
    reports::StatisticsPage* page_ = nullptr;
    QTableView* list_ = nullptr;
};

TEST_F(StatisticsPageTest, EachEntryPreparesThePageForItsReport) {
    struct Case {
        const char* unit;
        const char* report;
        const char* groupings;
        bool month_shown;
        const char* preview;
        const char* widths;
    };
    const Case cases[] = {
        {"数据报表3_收费日报表", "收费日报表", "按收费人员|按居住街道", true,
         "收费人员|窗口收费户数|窗口收费金额|预存缴费户数|预存收费金额|收费金额合计|预存扣款金额|"
         "收费日期",
         "140|140|140|140|140|140|140|160"},
        {"数据报表3_收费月报表", "收费月统计", "按收费人员|按居住街道", true,
         "收费人员|窗口收费户数|窗口收费金额|预存缴费户数|预存收费金额|金额小计|报表月份",
         "140|140|140|140|140|140|160"},
        {"数据报表3_抄表月报表", "抄表统计", "按抄表人员|按居住街道|按收费项目", true,
         "抄表人员|总户数|销户户数|应抄表户数|已抄表户数|未抄表户数|抄表率|本月用量|报表月份",
         "140|120|120|120|120|120|120|140|120"},
        {"数据报表3_用户月报表", "用户月报表", "按居住街道", true,
         "居住街道|本月新增|总户数|报表日期", "140|140|140|140"},
        {"数据报表3_用户年报表", "用户年报表", "按居住街道", false,
         "居住街道|本月新增|当前户数|报表日期", "140|140|140|140"},
        {"数据报表3_成本核算表", "收费年报表", "按收费人员|按居住街道", false,
         "收费人员|窗口收费户数|窗口收费金额|预存缴费户数|收费金额|金额小计|报表年份",
         "140|140|140|140|140|140|160"},
        {"数据报表3_收费统计", "收费年台帐", "按月份", false,
         "报表月份|抄表用量|应收金额|窗口收费|预存收费|收费合计|预存扣款|已收合计|未收金额",
         "140|140|140|140|140|140|140|140|140"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        window_->select_content_page(shell::kPageWelcome);
        unit<QLineEdit>(page_, "抄表统计年选择框")->setText(s("1999"));
        unit<QLabel>(page_, "抄表统计1")->setText(QString());
        ASSERT_TRUE(window_->run_action(s(c.unit)));
        EXPECT_EQ(window_->content_tabs()->currentIndex(), shell::kPageStatistics);
        EXPECT_EQ(reports::current_report_name, s(c.report));
        EXPECT_EQ(unit<QLineEdit>(page_, "抄表统计年选择框")->text(), s("2024"));
        EXPECT_EQ(unit<QLineEdit>(page_, "抄表统计月选择框")->text(), s("3"));
        EXPECT_EQ(groupings(), s(c.groupings).split('|'));
        EXPECT_EQ(unit<QComboBox>(page_, "抄表统计2")->currentIndex(), 0);
        EXPECT_EQ(unit<QLabel>(page_, "抄表统计1")->text(), s("统计方式："));
        EXPECT_EQ(titles(), s(c.preview).split('|'));
        EXPECT_EQ(widths(), pixels(c.widths));
        EXPECT_EQ(platform::listview_row_count(list_), 0);
        EXPECT_EQ(unit<QLineEdit>(page_, "抄表统计月选择框")->isVisible(), c.month_shown);
        EXPECT_EQ(unit<QLabel>(page_, "抄表统计7")->isVisible(), c.month_shown);
    }
}

// What a run shows: every report and grouping sizes its columns as
// the user sees them, whatever the preview had.
TEST_F(StatisticsPageTest, EachReportRunSizesItsColumns) {
    const char* const street_months = "120|100|110|110|100|100|100|100|100|120";
    const char* const street_years = "120|100|110|110|100|100|100|100|100|100|120";
    const char* const readings = "140|120|120|120|120|120|120|140|120";
    const struct {
        const char* unit;
        int grouping;
        const char* widths;
    } cases[] = {
        {"数据报表3_收费日报表", 0, "140|140|140|140|140|140|140|160"},
        {"数据报表3_收费日报表", 1, "140|140|140|140|140|140|140|160"},
        {"数据报表3_收费月报表", 0, "140|140|140|140|140|140|140"},
        {"数据报表3_收费月报表", 1, street_months},
        {"数据报表3_抄表月报表", 0, readings},
        {"数据报表3_抄表月报表", 1, readings},
        {"数据报表3_抄表月报表", 2, readings},
        {"数据报表3_用户月报表", 0, "140|140|140|140"},
        {"数据报表3_用户年报表", 0, "140|140|140|140"},
        {"数据报表3_成本核算表", 0, "140|140|140|140|140|140|140"},
        {"数据报表3_成本核算表", 1, street_years},
        {"数据报表3_收费统计", 0, "140|140|140|140|140|140|140|140|140"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.unit) + " " + std::to_string(c.grouping));
        ASSERT_TRUE(window_->run_action(s(c.unit)));
        unit<QComboBox>(page_, "抄表统计2")->setCurrentIndex(c.grouping);
        query();
        EXPECT_EQ(widths(), pixels(c.widths));
    }
}

// On an office screen the list's shares are narrow: a month, a total or a title wider than its
// share widens its column instead of showing cut in every row; a share that holds it stays.
TEST_F(StatisticsPageTest, AColumnTooNarrowForItsTextsWidensToThem) {
    list_->setFixedWidth(600);
    QCoreApplication::processEvents();
    ASSERT_TRUE(window_->run_action(s("数据报表3_收费统计")));
    query();
    ASSERT_GT(platform::listview_row_count(list_), 12);
    ASSERT_EQ(platform::listview_cell_text(list_, 0, 0).left(5), s("2024年"));
    const QFontMetrics metrics(list_->font());
    for (int column = 0; column < platform::listview_column_count(list_); ++column) {
        const int width = platform::listview_column_width(list_, column);
        EXPECT_GE(width, 600 / 11) << column;
        for (int row = 0; row < platform::listview_row_count(list_); ++row) {
            const QString text = platform::listview_cell_text(list_, row, column);
            // The delegate keeps a few pixels either side of the text.
            EXPECT_LE(metrics.horizontalAdvance(text) + 6, width)
                << row << " " << text.toStdString();
        }
    }
}

TEST_F(StatisticsPageTest, ARefusedEntryLeavesThePageAsItWas) {
    shell::current_operator = s("王五");
    exec(s("insert into 权限管理 (当前项目,人员姓名,权限标识) values ('用户月报表','王五',1)"));
    exec(s("insert into 权限管理 (当前项目,人员姓名,权限标识) values ('抄表月报表','王五',0)"));
    ASSERT_TRUE(window_->run_action(s("数据报表3_用户月报表")));
    unit<QLineEdit>(page_, "抄表统计年选择框")->setText(s("2023"));
    window_->select_content_page(shell::kPageWelcome);

    for (const char* refused : {"数据报表3_抄表月报表", "数据报表3_收费统计"}) {
        SCOPED_TRACE(refused);
        ui.expect_box(s("您没有取得授权！"));
        ASSERT_TRUE(window_->run_action(s(refused)));
        EXPECT_EQ(ui.boxes().back().icon, platform::MsgIcon::Information);
        EXPECT_EQ(window_->content_tabs()->currentIndex(), shell::kPageWelcome);
        EXPECT_EQ(reports::current_report_name, s("用户月报表"));
        EXPECT_EQ(titles(), s("居住街道|本月新增|总户数|报表日期").split('|'));
        EXPECT_EQ(groupings(), QStringList{s("按居住街道")});
        EXPECT_EQ(unit<QLineEdit>(page_, "抄表统计年选择框")->text(), s("2023"));
    }
}

TEST_F(StatisticsPageTest, LayoutPlacesTheUnitsInARow) {
    auto* year = unit<QLineEdit>(page_, "抄表统计年选择框");
    auto* month_label = unit<QLabel>(page_, "抄表统计7");
    auto* month = unit<QLineEdit>(page_, "抄表统计月选择框");
    auto* run = unit<QPushButton>(page_, "抄表统计3");
    auto* exporter = unit<QPushButton>(page_, "抄表统计4");
    auto* print = unit<QPushButton>(page_, "抄表统计5");
    const auto right = [](QWidget* w) { return w->x() + w->width(); };
    for (int pass = 0; pass < 2; ++pass) {
        page_->layout_stats_page(reports::kYearOnly);
        EXPECT_TRUE(month->isHidden());
        EXPECT_TRUE(month_label->isHidden());
        EXPECT_EQ(run->x(), right(year) + 20);
        EXPECT_EQ(exporter->x(), right(run) + 5);
        EXPECT_EQ(print->x(), right(exporter) + 5);

        page_->layout_stats_page(reports::kYearAndMonth);
        EXPECT_FALSE(month->isHidden());
        EXPECT_FALSE(month_label->isHidden());
        EXPECT_EQ(month_label->x(), right(year) + 20);
        EXPECT_EQ(month->x(), right(month_label));
        EXPECT_EQ(run->x(), right(month) + 20);
        EXPECT_EQ(exporter->x(), right(run) + 5);
        EXPECT_EQ(print->x(), right(exporter) + 5);
    }
}

TEST_F(StatisticsPageTest, RunningAgainLeavesNoColourOfThePreviousReport) {
    seed_streets();
    const QColor red(255, 0, 0);
    ASSERT_TRUE(window_->run_action(s("数据报表3_用户年报表")));
    query();
    ASSERT_EQ(platform::listview_row_count(list_), 49);
    EXPECT_EQ(titles(), s("居住街道|本月新增|当前户数|报表日期").split('|'));
    EXPECT_EQ(widths(), pixels("140|140|140|140"));
    EXPECT_EQ(platform::listview_cell_text(list_, 48, 0), s("合计"));
    EXPECT_EQ(model()->coloured_cell_count(), 4);
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(model()->cell_colour(48, column).text, red) << column;

    // The same report again: the same rows and still only its own four red cells.
    QStringList first_run;
    for (int row = 0; row < 49; ++row) first_run << platform::listview_cell_text(list_, row, 2);
    query();
    QStringList second_run;
    for (int row = 0; row < 49; ++row) second_run << platform::listview_cell_text(list_, row, 2);
    EXPECT_EQ(second_run, first_run);
    EXPECT_EQ(model()->coloured_cell_count(), 4);

    // A shorter report: its 合计 is row 4, and nothing is left of the yearly one.
    ASSERT_TRUE(window_->run_action(s("数据报表3_用户月报表")));
    query();
    ASSERT_EQ(platform::listview_row_count(list_), 5);
    EXPECT_EQ(platform::listview_cell_text(list_, 0, 1), s("1"));
    EXPECT_EQ(platform::listview_cell_text(list_, 4, 0), s("合计"));
    EXPECT_EQ(model()->coloured_cell_count(), 4);
    EXPECT_EQ(model()->cell_colour(4, 3).text, red);
    EXPECT_FALSE(model()->cell_colour(0, 0).text.isValid());
}

TEST_F(StatisticsPageTest, QueryTakesTheBoxesAndTheSelectedGrouping) {
    seed_streets();
    ASSERT_TRUE(window_->run_action(s("数据报表3_抄表月报表")));
    unit<QComboBox>(page_, "抄表统计2")->setCurrentIndex(1);
    unit<QLineEdit>(page_, "抄表统计月选择框")->setText(s("2"));
    query();
    EXPECT_EQ(platform::listview_column_title(list_, 0), s("居住街道"));
    EXPECT_EQ(platform::listview_cell_text(list_, 0, 0), s("东区"));
    EXPECT_EQ(platform::listview_cell_text(list_, 0, 8), s("2024年2月"));
}

// A year or month box that names no period is refused with the query's own message, the focus
// goes to that box and the list keeps the last report; a yearly report ignores the month box.
TEST_F(StatisticsPageTest, ABoxThatNamesNoPeriodIsRefused) {
    seed_streets();
    ASSERT_TRUE(window_->run_action(s("数据报表3_收费日报表")));
    query();
    const int rows = platform::listview_row_count(list_);
    ASSERT_GT(rows, 0);
    auto* year = unit<QLineEdit>(page_, "抄表统计年选择框");
    auto* month = unit<QLineEdit>(page_, "抄表统计月选择框");
    struct Case {
        const char* year;
        const char* month;
        const char* message;
        QLineEdit* focus;
    };
    const Case cases[] = {
        {"", "3", "请输入查询年！", year},       {"abc", "3", "请输入查询年！", year},
        {"99", "3", "请输入查询年！", year},     {"1e308", "3", "请输入查询年！", year},
        {"2024", "", "请输入查询月！", month},   {"2024", "13", "请输入查询月！", month},
        {"2024", "3#", "请输入查询月！", month},
    };
    for (const Case& c : cases) {
        year->setText(s(c.year));
        month->setText(s(c.month));
        ui.expect_box(s(c.message));
        query();
        EXPECT_EQ(c.focus->window()->focusWidget(), c.focus) << c.year << " " << c.month;
        EXPECT_EQ(platform::listview_row_count(list_), rows) << c.year << " " << c.month;
    }
    ASSERT_TRUE(window_->run_action(s("数据报表3_收费统计")));
    month->setText(s("x"));
    query();
    EXPECT_EQ(platform::listview_row_count(list_), 25);
}

TEST_F(StatisticsPageTest, AReportWithoutABuilderLeavesTheListEmpty) {
    seed_streets();
    ASSERT_TRUE(window_->run_action(s("数据报表3_用户月报表")));
    query();
    ASSERT_GT(platform::listview_row_count(list_), 0);
    for (const char* name : {"", "无此报表"}) {
        reports::current_report_name = s(name);
        query();
        EXPECT_EQ(platform::listview_column_count(list_), 0) << name;
        EXPECT_EQ(platform::listview_row_count(list_), 0) << name;
        EXPECT_EQ(model()->coloured_cell_count(), 0) << name;
    }
}

TEST_F(StatisticsPageTest, ExportProposesTheBoxesAndGroupingAsFileName) {
    seed_streets();
    ASSERT_TRUE(window_->run_action(s("数据报表3_用户年报表")));
    unit<QLineEdit>(page_, "抄表统计年选择框")->setText(s("2023"));
    query();
    // The month box is hidden for a yearly report but its text is part of the name.
    ui.expect_file(QString());
    unit<QPushButton>(page_, "抄表统计4")->click();
    ASSERT_EQ(ui.file_requests().size(), 1u);
    EXPECT_EQ(ui.file_requests()[0].file_name, s("2023年3月按居住街道查询统计.xls"));
    EXPECT_TRUE(ui.boxes().empty());

    const QString file = path(s("统计.xlsx"));
    ui.expect_file(file).expect_box(s("导出成功！"));
    page_->on_main_stats_export_click();
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(StatisticsPageTest, PrintHandsTheListToTheListPrinter) {
    QTableView* printed = nullptr;
    lists::set_print_list_handler([&printed](QTableView* list) { printed = list; });
    ASSERT_TRUE(window_->run_action(s("数据报表3_用户月报表")));
    unit<QPushButton>(page_, "抄表统计5")->click();
    lists::set_print_list_handler({});
    EXPECT_EQ(printed, list_);
}

}  // namespace

TEST_F(StatisticsPageTest, TheBarMovesDayByDayWhileTheReportIsBuiltAndASecondClickDoesNothing) {
    seed_streets();
    ASSERT_TRUE(window_->run_action(s("数据报表3_收费日报表")));
    auto* run = unit<QPushButton>(page_, "抄表统计3");
    harness::BusyWatch watch;
    // The cashier clicks 查询 again while the month is being added up.
    watch.on_first_paint([run] { harness::post_click(run); });
    query();
    QCoreApplication::processEvents();

    EXPECT_EQ(watch.windows_opened(), 1);
    // Painted at every day of March as it was reached, not all at once after the build.
    const std::vector<int>& painted = watch.painted_positions();
    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(watch.painted_maximum(), 31);
    EXPECT_TRUE(std::is_sorted(painted.begin(), painted.end()));
    EXPECT_GE(std::count_if(painted.begin(), painted.end(), [](int v) { return v > 0 && v < 31; }),
              5);
    EXPECT_EQ(painted.back(), 31);
    EXPECT_TRUE(run->isEnabled());
    EXPECT_EQ(platform::listview_column_title(list_, 0), s("收费人员"));
}
