// The meter page: its list by position under the column settings, deletion, the reading-order
// moves (上移, 下移, 移动到..), and the page inside the main window with F6.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QTabWidget>

#include "household_fixture.h"
#include "households/households_install.h"
#include "households/meter_account.h"
#include "households/meter_info_window.h"
#include "households/meter_list_page.h"
#include "households/meters_install.h"
#include "shell/main_window.h"
#include "store/main_database.h"

namespace {

using namespace households_test;
using platform::MsgIcon;
using platform::MsgResult;

class MeterPage : public HouseholdTest {
protected:
    void SetUp() override {
        HouseholdTest::SetUp();
        exec(s("insert into 抄表员 (抄表员) values ('张师傅')"));
        page = std::make_unique<households::MeterListPage>();
        page->open_meter_page();
    }
    void TearDown() override {
        page.reset();
        HouseholdTest::TearDown();
    }

    // Households 0001..00nn, each with a water account 00nn02 at place n of 张师傅's walk.
    void make_walk(int accounts) {
        for (int n = 1; n <= accounts; ++n) {
            const QString household = QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
            insert_household(household, s("用户") + QString::number(n));
            insert_meter_account(household + s("02"), household, s("水费"), s("民用水"),
                                 s("张师傅"), n);
        }
        show_walk();
    }
    void show_walk() {
        page->fill_meter_list(households::meter_list_base_query() +
                              s("and 用户表管理.抄表人员='张师傅' ORDER BY 用户表管理.抄表序号"));
    }

    // The reading order of the accounts of households 0001, 0002, ... in that order.
    QList<int> places() {
        QList<int> out;
        for (const QStringList& row :
             rows(s("select 抄表序号 from 用户表管理 where 抄表人员='张师傅' order by 户号")))
            out << row[0].toInt();
        return out;
    }

    void select_account(const QString& number) {
        QTableView* list = page->meter_list();
        const int column = platform::listview_column_index(list, s("抄表户号"));
        for (int row = 0; row < platform::listview_row_count(list); ++row)
            if (platform::listview_cell_text(list, row, column) == number) {
                platform::listview_select_row(list, row);
                return;
            }
        ADD_FAILURE() << "no row for " << number.toStdString();
    }

    std::unique_ptr<households::MeterListPage> page;
};

TEST_F(MeterPage, TheListHoldsTheSixteenFieldsByPositionAndDropsHiddenColumns) {
    insert_household(s("0001"), s("王小明"), s("2024-3-5"), s(",磁卡号码,详细地址"),
                     s(",'C1','1号楼'"));
    exec(
        s("insert into 用户表管理 "
          "(户号,收费项目,价格类别,开始起数,抄表人员,倍率,计量编号,抄表序号,建表时间,父号,状态) "
          "values ('000102','水费','民用水',12.5,'张师傅',2,'M-9',7,'2024-2-29','0001','报停')"));
    const QString id = value(s("select 编号 from 用户表管理"));
    QTableView* list = page->meter_list();
    EXPECT_EQ(platform::listview_column_count(list), 16);
    EXPECT_EQ(platform::listview_row_count(list), 0);

    exec(s("update 查询列 set 显示='假' where 类名='用户表管理' and 列名 in ('用户名','倍率')"));
    page->fill_meter_list(households::meter_list_base_query());
    ASSERT_EQ(platform::listview_row_count(list), 1);
    QStringList titles, cells;
    for (int c = 0; c < platform::listview_column_count(list); ++c) {
        titles << platform::listview_column_title(list, c);
        cells << platform::listview_cell_text(list, 0, c);
    }
    EXPECT_EQ(titles,
              (QStringList{s("编号"), s("户号"), s("抄表户号"), s("磁卡号码"), s("居住街道"),
                           s("详细地址"), s("建表时间"), s("收费项目"), s("价格类别"),
                           s("计量编号"), s("开始起数"), s("状态"), s("抄表人员"), s("抄表序号")}));
    EXPECT_EQ(cells, (QStringList{id, s("0001"), s("000102"), s("C1"), s("东区"), s("1号楼"),
                                  s("2024年2月29日"), s("水费"), s("民用水"), s("M-9"), s("12.5"),
                                  s("报停"), s("张师傅"), s("7")}));
    EXPECT_EQ(platform::listview_column_width(list, 0), 50);

    // The page as the navigation entry opens it: the shown columns only, stored widths, no rows.
    page->open_meter_page();
    EXPECT_EQ(platform::listview_row_count(list), 0);
    ASSERT_EQ(platform::listview_column_count(list), 14);
    EXPECT_EQ(platform::listview_column_title(list, 3), s("磁卡号码"));
    EXPECT_EQ(platform::listview_column_width(list, 3), 90);
}

TEST_F(MeterPage, MovingUpAndDownSwapsWithTheNeighbourAndStopsAtBothEnds) {
    make_walk(4);
    select_account(s("000102"));
    ui.expect_box(s("已到首位。"));
    page->on_main_meter_move_up_click();

    select_account(s("000402"));
    ui.expect_box(s("已到末位。"));
    page->on_main_meter_move_down_click();

    // Down with a refill: the reader's walk in reading order.
    select_account(s("000202"));
    ui.expect_box(s("序号下移成功，是否刷新列表？"), MsgResult::Yes)
        .expect_box(s("序号下移成功！"));
    page->on_main_meter_move_down_click();
    EXPECT_EQ(places(), (QList<int>{1, 3, 2, 4}));
    const RecordedBox& question = ui.boxes()[ui.boxes().size() - 2];
    EXPECT_EQ(question.caption, s("提示"));
    EXPECT_EQ(question.icon, MsgIcon::Question);
    QTableView* list = page->meter_list();
    EXPECT_EQ(
        platform::listview_cell_text(list, 2, platform::listview_column_index(list, s("抄表户号"))),
        s("000202"));

    // Up without a refill: the list stays as it was.
    select_account(s("000202"));
    ui.expect_box(s("序号上移成功，是否刷新列表？"), MsgResult::No).expect_box(s("序号上移成功！"));
    page->on_main_meter_move_up_click();
    EXPECT_EQ(places(), (QList<int>{1, 2, 3, 4}));
    EXPECT_EQ(
        platform::listview_cell_text(list, 2, platform::listview_column_index(list, s("抄表户号"))),
        s("000202"));

    // A refused statement moves nothing, half of a swap included, and is not reported as a move.
    exec(
        s("CREATE TRIGGER 拒绝 BEFORE UPDATE ON 用户表管理 WHEN new.户号='000402' "
          "BEGIN SELECT RAISE(ABORT,'refused'); END"));
    select_account(s("000302"));
    page->on_main_meter_move_down_click();
    EXPECT_EQ(places(), (QList<int>{1, 2, 3, 4}));

    ui.expect_box(s("请选择待移动的记录！"));
    platform::listview_select_row(list, -1);
    page->on_main_meter_move_down_click();
}

TEST_F(MeterPage, MovingToAPositionRenumbersTheFollowers) {
    make_walk(10);
    // 8 to 3: the accounts from 3 on follow it without a gap.
    select_account(s("000802"));
    ui.expect_input(s("3"));
    ui.expect_box(s("序号移动成功，是否刷新列表？"), MsgResult::Yes)
        .expect_box(s("序号移动成功！"));
    page->on_main_meter_move_to_click();
    EXPECT_EQ(places(), (QList<int>{1, 2, 4, 5, 6, 7, 8, 3, 9, 10}));
    ASSERT_EQ(ui.inputs().size(), 1u);
    EXPECT_EQ(ui.inputs()[0].prompt, s("请输入新序号："));
    EXPECT_EQ(ui.inputs()[0].caption, s("排序设置"));

    // Back to where the walk was, then 3 to 8: place 3 stays free and the last is 11.
    exec(s("update 用户表管理 set 抄表序号=cast(substr(户号,1,4) as integer)"));
    show_walk();
    select_account(s("000302"));
    ui.expect_input(s("8.9"));
    ui.expect_box(s("序号移动成功，是否刷新列表？"), MsgResult::No).expect_box(s("序号移动成功！"));
    page->on_main_meter_move_to_click();
    EXPECT_EQ(places(), (QList<int>{1, 2, 8, 4, 5, 6, 7, 9, 10, 11}));

    // The highest place (11) exceeds the reader's count (10): moving it down raises it to 12
    // without a partner, since only the place equal to the count is the last.
    show_walk();
    select_account(s("001002"));
    ui.expect_box(s("序号下移成功，是否刷新列表？"), MsgResult::No).expect_box(s("序号下移成功！"));
    page->on_main_meter_move_down_click();
    EXPECT_EQ(places(), (QList<int>{1, 2, 8, 4, 5, 6, 7, 9, 10, 12}));
    // Place 9 swaps with 10; at 10, the count, it is last although 12 is taken.
    select_account(s("000802"));
    ui.expect_box(s("序号下移成功，是否刷新列表？"), MsgResult::No).expect_box(s("序号下移成功！"));
    page->on_main_meter_move_down_click();
    EXPECT_EQ(places(), (QList<int>{1, 2, 8, 4, 5, 6, 7, 10, 9, 12}));
    ui.expect_box(s("已到末位。"));
    page->on_main_meter_move_down_click();
    // A new account of the reader goes behind the last place, not onto it.
    EXPECT_EQ(households::next_reading_order(store::main_connection(), s("张师傅")), 13);

    for (const char* refused : {"0", "-2", "abc", "0.5"}) {
        ui.expect_input(s(refused)).expect_box(s("待设置的序号不能小于１。"));
        page->on_main_meter_move_to_click();
    }
    ui.expect_input(QString());
    page->on_main_meter_move_to_click();
    ui.cancel_input();
    page->on_main_meter_move_to_click();
    EXPECT_EQ(places(), (QList<int>{1, 2, 8, 4, 5, 6, 7, 10, 9, 12}));
}

TEST_F(MeterPage, DeletingAsksThenRemovesOnlyTheAccount) {
    make_walk(2);
    const QString id = value(s("select 编号 from 用户表管理 where 户号='000102'"));
    exec(s("insert into 抄表总表 (户号,父号,用量,是否收费) values ('000102','0001',5,0)"));
    ui.expect_box(s("请选择待删除的记录！"));
    page->on_main_meter_delete_click();

    select_account(s("000102"));
    ui.expect_box(s("确定要删除编号【") + id + s("】吗？"), MsgResult::No);
    page->on_main_meter_delete_click();
    EXPECT_EQ(count(s("select count(*) from 用户表管理")), 2);

    ui.expect_box(s("确定要删除编号【") + id + s("】吗？"), MsgResult::Yes)
        .expect_box(s("删除成功，请刷新显示！"));
    page->on_main_meter_delete_click();
    EXPECT_EQ(ui.boxes()[ui.boxes().size() - 2].caption, s("提示删除"));
    EXPECT_EQ(count(s("select count(*) from 用户表管理 where 户号='000102'")), 0);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 户号='000102'")), 1);
    EXPECT_EQ(platform::listview_row_count(page->meter_list()), 2);  // until the next query

    // The rights: delete and sort are checked before anything else.
    shell::current_operator = s("张三");
    ui.expect_box(s("您没有取得授权！"))
        .expect_box(s("您没有取得授权！"))
        .expect_box(s("您没有取得授权！"));
    page->on_main_meter_delete_click();
    page->on_main_meter_move_up_click();
    page->on_main_meter_move_to_click();
    // Hidden 编号 column.
    shell::current_operator = s("管理员");
    exec(s("update 查询列 set 显示='假' where 类名='用户表管理' and 列名='编号'"));
    show_walk();
    select_account(s("000202"));
    ui.expect_box(s("请在查询列在设置显示编号列!")).expect_box(s("请在查询列在设置显示编号列!"));
    page->on_main_meter_delete_click();
    page->on_main_meter_move_down_click();
}

TEST_F(MeterPage, InTheMainWindowF6OpensThePageAndTheForm) {
    shell::MainWindow window;
    const households::HouseholdPages pages = households::install(window);
    auto* meters = households::install_meters(window, pages.add_page);
    ASSERT_NE(meters, nullptr);
    EXPECT_EQ(window.content_page_widget(shell::kPageMeters), meters);
    window.select_navigation_page(shell::kNavReports);
    ui.on_modal(s("households::MeterInfoWindow"), [](QDialog* w) {
        EXPECT_EQ(households::meter_form_mode, s("添加"));
        return w->result();
    });
    window.on_main_hotkey_pressed(117);
    EXPECT_EQ(window.navigation_tabs()->currentIndex(), shell::kNavHouseholds);
    EXPECT_EQ(window.content_tabs()->currentIndex(), shell::kPageMeters);
    EXPECT_EQ(ui.modal_windows(), QStringList{s("households::MeterInfoWindow")});
    EXPECT_EQ(platform::listview_column_count(meters->meter_list()), 16);

    // Without the right to the page, the navigation entry refuses; F6 still asks the form's own.
    shell::current_operator = s("张三");
    ui.expect_box(s("您没有取得授权！")).expect_box(s("您没有取得授权！"));
    window.on_main_hotkey_pressed(117);
}

TEST_F(MeterPage, TheImportsGoBehindTheHouseholdPageButtons) {
    shell::MainWindow window;
    const households::HouseholdPages pages = households::install(window);
    households::install_meters(window, pages.add_page);
    QWidget* add_page = window.content_page_widget(shell::kPageTodaysHouseholds);
    ASSERT_EQ(add_page, static_cast<QWidget*>(pages.add_page));
    EXPECT_TRUE(button(add_page, "用户_添加导入")->isEnabled());
    EXPECT_TRUE(button(add_page, "用户_修改导入")->isEnabled());
    // The button runs the import frame: here its file dialog, cancelled.
    ui.expect_file(QString());
    button(add_page, "用户_添加导入")->click();
    EXPECT_EQ(ui.file_requests().size(), 1u);
}

}  // namespace
