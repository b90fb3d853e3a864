// The household pages: today's households, the query window's six options and the list they
// fill (kind words, totals row), the import result list, deletion with its refusals, and the
// pages installed into the main window with their navigation entries and hot keys.
#include <gtest/gtest.h>

#include <QDialog>
#include <QRadioButton>
#include <QTabWidget>

#include "household_fixture.h"
#include "households/household_query_window.h"
#include "households/households_install.h"
#include "lists/list_pages.h"
#include "shell/main_window.h"

using namespace households_test;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

namespace {

class HouseholdPages : public HouseholdTest {
protected:
    void SetUp() override {
        HouseholdTest::SetUp();
        insert_household(s("0001"), s("王小明"), s("2024-3-1"), s(",磁卡号码"), s(",'8001'"));
        insert_household(s("0002"), s("李四"), s("2024-3-5"), s(",磁卡号码"), s(",'8002'"));
        exec(s("update 用户信息表 set 性质=1, 居住街道='西区' where 户号='0002'"));
        insert_household(s("00010"), s("王五"), s("2024-2-1"));
        insert_household(s("A0005"), s("张三"), s("2024-3-5"));
        exec(s("update 用户信息表 set 居住街道='西区' where 户号='A0005'"));
        exec(s("insert into 用户信息表 (户号,父号,用户名,建档时间,性质) values ('0002-1','0002','赵六','2024-3-5',0)"));
        exec(s("insert into 用户表管理 (户号,父号,收费项目,价格类别) values ('000101','0001','物业','住宅')"));
    }

    // Runs the query window with the option set up by `choose_option`, as the user would.
    void run_query(const std::function<void(QDialog*)>& choose_option, bool expect_closed = true) {
        households::HouseholdQueryWindow window;
        choose_option(&window);
        button(&window, "按钮_确定")->click();
        EXPECT_EQ(window.result() == QDialog::Accepted, expect_closed);
    }
    void tick(QDialog* w, const char* option) { unit<QRadioButton>(w, option)->setChecked(true); }

    QTableView* query_list() const { return query_page->household_list(); }
};

TEST_F(HouseholdPages, TodaysListShowsOnlyTodaysHouseholdsNewestFirst) {
    add_page->on_main_nav_household_list_click();
    QTableView* list = add_page->household_list();
    EXPECT_EQ(listed_numbers(list), (QStringList{s("0002-1"), s("A0005"), s("0002")}));
    EXPECT_EQ(households::household_list_totals_row(list), -1);
    // Kind words of page 0, and the column titles of class 用户信息.
    EXPECT_EQ(platform::listview_column_title(list, 3), s("用户性质"));
    EXPECT_EQ(platform::listview_cell_text(list, 0, 3), s("分表"));
    EXPECT_EQ(platform::listview_cell_text(list, 1, 3), s("单表"));
    EXPECT_EQ(platform::listview_cell_text(list, 2, 3), s("总表"));
    EXPECT_EQ(platform::listview_column_count(list), 18);
}

TEST_F(HouseholdPages, QueryWindowOpensOnTheNumberOptionWithThePrefix) {
    shell::system_parameters.household_number_prefix = s("A");
    households::HouseholdQueryWindow window;
    EXPECT_EQ(window.windowTitle(), s("用户查询"));
    EXPECT_TRUE(unit<QRadioButton>(&window, "单选框_按户号")->isChecked());
    EXPECT_EQ(edit(&window, "编辑框_户号起")->text(), s("A"));
    EXPECT_EQ(edit(&window, "编辑框_户号止")->text(), s("A"));
    edit(&window, "编辑框_户号起")->setText(s("A0001"));
    EXPECT_EQ(edit(&window, "编辑框_户号止")->text(), s("A0001"));
    QComboBox* streets = combo(&window, "组合框_街道");
    EXPECT_EQ(streets->count(), 2);
    EXPECT_EQ(streets->currentText(), s("东区"));
    EXPECT_EQ(combo(&window, "组合框_用户性质")->currentText(), s("单表"));
}

struct QueryCase {
    const char* what;
    std::function<void(QDialog*)> set_up;
    QStringList numbers;
};

TEST_F(HouseholdPages, EachQueryOptionListsItsHouseholds) {
    const auto number_range = [this](const char* from, const char* to) {
        return [=, this](QDialog* w) {
            edit(w, "编辑框_户号起")->setText(s(from));
            edit(w, "编辑框_户号止")->setText(s(to));
        };
    };
    const auto name = [this](const char* typed) {
        return [=, this](QDialog* w) {
            tick(w, "单选框_户名");
            edit(w, "编辑框_户名")->setText(s(typed));
        };
    };
    const auto kind = [this](const char* word) {
        return [=, this](QDialog* w) {
            tick(w, "单选框_用户性质");
            choose(combo(w, "组合框_用户性质"), s(word));
        };
    };
    const std::vector<QueryCase> cases = {
        // Text comparison: 00010 lies between 0001 and 0009, A0005 does not.
        {"number range", number_range("0001", "0009"), {s("0001"), s("0002"), s("00010"), s("0002-1")}},
        {"number range trimmed", number_range(" A0001 ", "A9"), {s("A0005")}},
        {"registration dates",
         [this](QDialog* w) {
             tick(w, "单选框_建档时间");
             unit<QDateEdit>(w, "日期框_起")->setDate(QDate(2024, 2, 1));
             unit<QDateEdit>(w, "日期框_止")->setDate(QDate(2024, 3, 1));
         },
         {s("0001"), s("00010")}},
        {"mnemonic", name("wxm"), {s("0001")}},
        {"mnemonic in capitals", name("WXM"), {s("0001")}},
        {"first initial", name("w"), {s("0001"), s("00010")}},
        {"name", name(" 王 "), {s("0001"), s("00010")}},
        {"street",
         [this](QDialog* w) {
             tick(w, "单选框_街道");
             choose(combo(w, "组合框_街道"), s("西区"));
         },
         {s("0002"), s("A0005")}},
        {"kind 单表", kind("单表"), {s("0001"), s("00010"), s("A0005")}},
        {"kind 总表", kind("总表"), {s("0002")}},
        {"kind 分表", kind("分表"), {s("0002-1")}},
        {"card",
         [this](QDialog* w) {
             tick(w, "单选框_磁卡号码");
             edit(w, "编辑框_磁卡号码")->setText(s(" 8002"));
         },
         {s("0002")}},
    };
    for (const QueryCase& c : cases) {
        run_query(c.set_up);
        EXPECT_EQ(listed_numbers(query_list()), c.numbers) << c.what;
        const int totals = households::household_list_totals_row(query_list());
        ASSERT_EQ(totals, platform::listview_row_count(query_list()) - 1) << c.what;
        EXPECT_EQ(platform::listview_cell_text(query_list(), totals, 0), s("当前：")) << c.what;
        EXPECT_EQ(platform::listview_cell_text(query_list(), totals, 1), QString::number(c.numbers.size()))
            << c.what;
    }
}

TEST_F(HouseholdPages, QueryListKindWordsAndAPlainTotalsRow) {
    run_query([this](QDialog* w) { edit(w, "编辑框_户号起")->setText(s("0")); edit(w, "编辑框_户号止")->setText(s("1")); });
    QTableView* list = query_list();
    EXPECT_EQ(platform::listview_cell_text(list, row_of(list, s("0002")), 3), s("双表"));
    EXPECT_EQ(platform::listview_cell_text(list, row_of(list, s("0002-1")), 3), s("分表"));
    EXPECT_EQ(platform::listview_cell_text(list, row_of(list, s("0001")), 3), s("单表"));
    EXPECT_EQ(platform::listview_cell_text(list, row_of(list, s("0001")), 6), s("2024年3月1日"));
    EXPECT_EQ(platform::listview_cell_text(list, row_of(list, s("0001")), 13), s("wxm"));
    // Unlike the money lists, the household lists do not colour their totals row.
    const int totals = households::household_list_totals_row(list);
    ASSERT_GE(totals, 0);
    for (int column = 0; column < platform::listview_column_count(list); ++column)
        EXPECT_FALSE(platform::listview_model(list)->cell_colour(totals, column).text.isValid()) << column;
}

TEST_F(HouseholdPages, PrintButtonPrintsTheQueryList) {
    QTableView* printed = nullptr;
    lists::set_print_list_handler([&](QTableView* list) { printed = list; });
    query_page->on_main_household_query_print_click();
    lists::set_print_list_handler({});
    EXPECT_EQ(printed, query_list());
}

TEST_F(HouseholdPages, QueryRefusalsKeepTheWindowOpen) {
    ui.expect_box(s("户号起不能为空！")).expect_box(s("户号止不能为空！")).expect_box(s("用户名为空！"));
    run_query([this](QDialog* w) { edit(w, "编辑框_户号起")->setText(s("  ")); }, false);
    run_query([this](QDialog* w) {
        edit(w, "编辑框_户号起")->setText(s("1"));
        edit(w, "编辑框_户号止")->clear();
    }, false);
    run_query([this](QDialog* w) { tick(w, "单选框_户名"); }, false);
    EXPECT_EQ(platform::listview_row_count(query_list()), 0);
}

TEST_F(HouseholdPages, ImportResultListsTheNumbersInOrderWithACount) {
    QTableView* list = add_page->household_list();
    households::fill_household_list_by_numbers({s("0002"), s("9999"), s("0001"), s("0002-1")}, nullptr, list);
    EXPECT_EQ(listed_numbers(list), (QStringList{s("0002"), s("0001")}));
    const int totals = households::household_list_totals_row(list);
    EXPECT_EQ(platform::listview_cell_text(list, totals, 0), s("用户数"));
    EXPECT_EQ(platform::listview_cell_text(list, totals, 1), s("2"));
    EXPECT_EQ(platform::listview_cell_text(list, 0, 3), s("总表"));
}

TEST_F(HouseholdPages, DeletingFromTheQueryPageAsksYesNoLogsAndLeavesTheList) {
    run_query([this](QDialog* w) { edit(w, "编辑框_户号起")->setText(s("0001")); });
    platform::listview_select_row(query_list(), 0);
    ui.expect_box(s("确定要删除户号【0001】吗？"), MsgResult::No);
    query_page->on_main_household_query_delete_click();
    EXPECT_EQ(count(s("select count(*) from 用户信息表 where 户号='0001'")), 1);

    ui.expect_box(s("确定要删除户号【0001】吗？"), MsgResult::Yes).expect_box(s("删除户号【0001】成功！"));
    query_page->on_main_household_query_delete_click();
    ASSERT_EQ(ui.boxes().size(), 3u);
    EXPECT_EQ(ui.boxes()[1].caption, s("提示删除"));
    EXPECT_EQ(ui.boxes()[1].icon, MsgIcon::Question);
    EXPECT_EQ(ui.boxes()[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(ui.boxes()[2].caption, s("删除成功"));
    EXPECT_EQ(ui.beep_count(), 3);
    EXPECT_EQ(count(s("select count(*) from 用户信息表 where 户号='0001'")), 0);
    // Its property-fee meter account stays, and keeps the number from being given out again.
    EXPECT_EQ(count(s("select count(*) from 用户表管理 where 父号='0001'")), 1);
    EXPECT_TRUE(households::household_number_owned(s("0001")));
    EXPECT_EQ(rows(s("select 上级项目,当前项目,备注 from 日志管理")),
              (QList<QStringList>{{s("用户管理"), s("用户删除"), s("户号：0001")}}));
    EXPECT_EQ(listed_numbers(query_list()), QStringList{s("0001")});
}

TEST_F(HouseholdPages, DeletingFromTodaysPageAsksOkCancelAndRefills) {
    add_page->on_main_nav_household_list_click();
    QTableView* list = add_page->household_list();
    platform::listview_select_row(list, row_of(list, s("A0005")));
    ui.expect_box(s("确定要删除户号【A0005】吗？"), MsgResult::Cancel);
    add_page->on_main_household_delete_click();
    EXPECT_EQ(ui.boxes()[0].buttons, MsgButtons::OkCancel);
    ui.expect_box(s("确定要删除户号【A0005】吗？"), MsgResult::Ok).expect_box(s("【删除户号A0005】成功！"));
    add_page->on_main_household_delete_click();
    EXPECT_EQ(ui.boxes()[2].caption, s("删除成功"));
    EXPECT_EQ(listed_numbers(list), (QStringList{s("0002-1"), s("0002")}));
    EXPECT_EQ(count(s("select count(*) from 日志管理")), 0);
}

TEST_F(HouseholdPages, DeletionRefusals) {
    run_query([this](QDialog* w) { edit(w, "编辑框_户号起")->setText(s("0001")); edit(w, "编辑框_户号止")->setText(s("0002")); });
    QTableView* list = query_list();
    ui.expect_box(s("请选择待删除的记录！"));
    query_page->on_main_household_query_delete_click();
    ui.expect_box(s("请选择待删除的记录！"));
    platform::listview_select_row(list, households::household_list_totals_row(list));
    query_page->on_main_household_query_delete_click();

    platform::listview_select_row(list, 0);
    shell::current_operator = s("张三");
    ui.expect_box(s("您没有取得授权！"));
    query_page->on_main_household_query_delete_click();
    // A granted item lets the operator through to the question.
    exec(s("insert into 权限管理 (当前项目,人员姓名,权限标识) values ('用户删除','张三',1)"));
    ui.expect_box(s("确定要删除户号"), MsgResult::No);
    query_page->on_main_household_query_delete_click();
    shell::current_operator = s("管理员");

    exec(s("update 查询列 set 显示='假' where 类名='用户信息' and 列名='户号'"));
    add_page->on_main_nav_household_list_click();
    platform::listview_select_row(add_page->household_list(), 0);
    ui.expect_box(s("请在查询列在设置显示户号列!"));
    add_page->on_main_household_delete_click();
    EXPECT_EQ(count(s("select count(*) from 用户信息表")), 5);
}

class InstalledPages : public HouseholdPages {
protected:
    void SetUp() override {
        HouseholdPages::SetUp();
        window = std::make_unique<shell::MainWindow>();
        pages = households::install(*window);
    }
    void TearDown() override {
        window.reset();
        HouseholdPages::TearDown();
    }
    std::unique_ptr<shell::MainWindow> window;
    households::HouseholdPages pages;
};

TEST_F(InstalledPages, EntriesHotKeysAndTheStreetsMenuWork) {
    for (const char* name : {"用户管理_添加按钮", "用户管理_用户查询", "on_main_nav_household_list_click",
                             "on_main_household_add_click", "HouseholdQueryWindow", "on_menu_streets_click"})
        EXPECT_TRUE(window->has_action(s(name))) << name;
    EXPECT_EQ(window->content_page_widget(0), pages.add_page);
    EXPECT_EQ(window->content_page_widget(1), pages.query_page);
    EXPECT_EQ(lists::list_page_root(1), pages.query_page);

    // 用户管理_用户查询: page 1 with the shown columns and no rows.
    ASSERT_TRUE(window->run_action(s("用户管理_用户查询")));
    EXPECT_EQ(window->content_tabs()->currentIndex(), 1);
    QTableView* query = households::household_query_list();
    EXPECT_EQ(platform::listview_column_count(query), 18);
    EXPECT_EQ(platform::listview_column_width(query, 0), 80);
    EXPECT_EQ(platform::listview_row_count(query), 0);

    // F4: the query page, then the query window over the main window.
    ui.on_modal(s("households::HouseholdQueryWindow"), [&](QDialog* w) {
        EXPECT_EQ(w->parentWidget(), window.get());
        tick(w, "单选框_用户性质");
        choose(combo(w, "组合框_用户性质"), s("总表"));
        button(w, "按钮_确定")->click();
        return w->result();
    });
    window->on_main_hotkey_pressed(115);
    EXPECT_EQ(listed_numbers(query), QStringList{s("0002")});

    // F3: today's households on page 0, then the form in add mode.
    ui.on_modal(s("households::HouseholdEntryWindow"), [&](QDialog* w) {
        // The last household registered is A0005: with an empty prefix its letter is kept and
        // its digits counted on.
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s("A0006"));
        button(w, "返回")->click();
        return w->result();
    });
    window->on_main_hotkey_pressed(114);
    EXPECT_EQ(window->content_tabs()->currentIndex(), 0);
    EXPECT_EQ(listed_numbers(households::todays_households_list()).size(), 3);

    ui.on_modal(s("households::StreetsWindow"), [&](QDialog* w) {
        button(w, "按钮3")->click();
        return w->result();
    });
    ASSERT_TRUE(window->run_action(s("on_menu_streets_click")));
    EXPECT_EQ(window->content_tabs()->currentIndex(), 2);
    EXPECT_EQ(ui.modal_windows().size(), 3);
}

}  // namespace
