// Meter accounts and their form: numbers that never repeat an existing account (01, 09, 10,
// 100, a freed suffix reused), the end of the reader's walk, adding and modifying through
// MeterInfoWindow with its look-ups, refusals and the property-fee rules.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>

#include "household_fixture.h"
#include "households/meter_account.h"
#include "households/meter_info_window.h"
#include "households/meter_list_page.h"
#include "store/main_database.h"

namespace {

using namespace households_test;
using households::MeterInfoWindow;
using platform::MsgResult;

class MeterTest : public HouseholdTest {
protected:
    void SetUp() override {
        HouseholdTest::SetUp();
        exec(s("insert into 抄表员 (抄表员) values ('张师傅')"));
        exec(s("insert into 抄表员 (抄表员) values ('李师傅')"));
        exec(
            s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
              "(3,'民用水','水费',3.5,0,0)"));
        exec(
            s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
              "(4,'商业水','水费',5,0,0)"));
        households::meter_form_mode.clear();
        page = std::make_unique<households::MeterListPage>();
        page->open_meter_page();
    }
    void TearDown() override {
        page.reset();
        HouseholdTest::TearDown();
    }

    // A meter account of the page's fixture: meter number "M" + its account number.
    void insert_meter(const QString& number, const QString& household, const QString& item,
                      const QString& reader, int order, const QString& category = s("民用水")) {
        insert_meter_account(number, household, item, category, reader, order, s("2024-1-1"),
                             s("正常"), s("M") + number);
    }

    // Opens the form through the page's add button and lets `fill` work it.
    void add_through_page(const std::function<void(MeterInfoWindow*)>& fill) {
        ui.on_modal(s("households::MeterInfoWindow"), [&](QDialog* w) {
            fill(static_cast<MeterInfoWindow*>(w));
            return w->result();
        });
        page->on_main_meter_add_click();
    }

    // Fills the form for a water account of household 0001 read by 张师傅.
    static void fill_water(MeterInfoWindow* w, const QString& household = s("0001")) {
        edit(w, "编辑框_户号")->setText(household);
        w->on_meter_household_number_lost_focus();
        choose(combo(w, "组合框_收费项目"), s("水费"));
        choose(combo(w, "组合框_价格类别"), s("民用水"));
        choose(combo(w, "组合框_抄表人员"), s("张师傅"));
    }

    std::unique_ptr<households::MeterListPage> page;
};

TEST(MeterSuffix, AtLeastTwoDigits) {
    const std::pair<int, const char*> cases[] = {
        {1, "01"}, {9, "09"}, {10, "10"}, {99, "99"}, {100, "100"}};
    for (const auto& [n, text] : cases)
        EXPECT_EQ(households::meter_suffix_text(n), QString::fromUtf8(text)) << n;
}

TEST_F(MeterTest, NewNumbersFollowTheAccountsTheHouseholdHas) {
    // Accounts 01..n exist: the next one is n + 1 with at least two digits.
    const std::pair<int, const char*> cases[] = {
        {0, "000101"}, {8, "000109"}, {9, "000110"}, {99, "0001100"}};
    for (const auto& [existing, expected] : cases) {
        exec(s("delete from 用户表管理"));
        for (int n = 1; n <= existing; ++n)
            insert_meter(s("0001") + households::meter_suffix_text(n), s("0001"), s("水费"),
                         s("张师傅"), n);
        EXPECT_EQ(households::next_meter_account_number(store::main_connection(), s("0001")),
                  QString::fromUtf8(expected))
            << existing;
    }
}

TEST_F(MeterTest, AFreedSuffixIsReusedAndATakenOneNeverRepeated) {
    insert_household(s("0001"), s("王小明"));
    insert_meter(s("000101"), s("0001"), s("物业"), s("系统"), 1, s("住宅"));
    insert_meter(s("000102"), s("0001"), s("水费"), s("张师傅"), 1);
    insert_meter(s("000103"), s("0001"), s("电费"), s("张师傅"), 2);
    exec(s("delete from 用户表管理 where 户号='000102'"));
    // Counting would give 03, the number of an account that still exists.
    EXPECT_EQ(households::next_meter_account_number(store::main_connection(), s("0001")),
              s("000102"));

    ui.expect_box(s("执行成功!"));
    add_through_page([&](MeterInfoWindow* w) {
        fill_water(w);
        w->on_meter_form_save_click();
    });
    EXPECT_EQ(count(s("select count(*) from 用户表管理 where 户号='000102' and 收费项目='水费'")),
              1);
    EXPECT_EQ(households::next_meter_account_number(store::main_connection(), s("0001")),
              s("000104"));
    // The number of another household's account counts as taken too.
    insert_meter(s("00011001"), s("000110"), s("水费"), s("张师傅"), 3);
    EXPECT_EQ(households::next_meter_account_number(store::main_connection(), s("000110")),
              s("00011002"));
}

TEST_F(MeterTest, AddThroughTheFormWritesTheAccountAndShowsTheDaysAccounts) {
    insert_household(s("0001"), s("王小明"), s("2024-3-5"), s(",磁卡号码,详细地址"),
                     s(",'C77','1号楼'"));
    insert_meter(s("000101"), s("0001"), s("物业"), s("系统"), 1, s("住宅"));
    insert_meter(s("000201"), s("0002"), s("水费"), s("张师傅"), 1);
    insert_meter(s("000301"), s("0003"), s("水费"), s("张师傅"), 2);
    ui.expect_box(s("执行成功!"));
    add_through_page([&](MeterInfoWindow* w) {
        EXPECT_EQ(w->windowTitle(), s("计量信息"));
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), QString());  // the prefix, empty here
        EXPECT_EQ(combo(w, "组合框_收费项目")->currentIndex(), -1);
        EXPECT_EQ(combo(w, "组合框_收费项目")->count(), 3);
        EXPECT_EQ(combo(w, "组合框_抄表人员")->currentIndex(), -1);
        EXPECT_EQ(edit(w, "编辑框_开始起码")->text(), s("0"));
        EXPECT_EQ(edit(w, "编辑框_倍率")->text(), s("1"));
        EXPECT_EQ(combo(w, "组合框_当前状态")->currentText(), s("正常"));
        EXPECT_EQ(button(w, "按钮_收费")->text(), s("确  定&S"));

        // The card number finds the household as well as its number.
        edit(w, "编辑框_磁卡号码")->setText(s(" C77 "));
        w->on_meter_card_number_lost_focus();
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s("0001"));
        EXPECT_EQ(edit(w, "编辑框_户名")->text(), s("王小明"));
        EXPECT_EQ(edit(w, "编辑框_详细地址")->text(), s("1号楼"));
        choose(combo(w, "组合框_收费项目"), s("水费"));
        EXPECT_EQ(combo(w, "组合框_价格类别")->count(), 2);
        EXPECT_EQ(combo(w, "组合框_价格类别")->currentIndex(), -1);
        choose(combo(w, "组合框_价格类别"), s("商业水"));
        choose(combo(w, "组合框_抄表人员"), s("张师傅"));
        edit(w, "编辑框_开始起码")->setText(s("12.50"));
        edit(w, "编辑框_倍率")->setText(s(" 10 "));
        edit(w, "编辑框_新表编号")->setText(s("A'01"));
        w->findChild<QDateEdit*>(s("日期框_建表时间"))->setDate(QDate(2024, 3, 5));
        w->on_meter_form_save_click();
        EXPECT_EQ(w->result(), QDialog::Accepted);
    });
    EXPECT_EQ(
        rows(s("select "
               "户号,收费项目,价格类别,开始起数,抄表人员,倍率,计量编号,抄表序号,建表时间,父号,状态 "
               "from 用户表管理 where 父号='0001' and 收费项目='水费'")),
        (QList<QStringList>{{s("000102"), s("水费"), s("商业水"), s("12.5"), s("张师傅"), s("10"),
                             s("A'01"), s("3"), s("2024-03-05"), s("0001"), s("正常")}}));
    // The page now lists the accounts set up on the form's date, newest first.
    QTableView* list = page->meter_list();
    ASSERT_EQ(platform::listview_row_count(list), 1);
    EXPECT_EQ(
        platform::listview_cell_text(list, 0, platform::listview_column_index(list, s("抄表户号"))),
        s("000102"));
    EXPECT_EQ(
        platform::listview_cell_text(list, 0, platform::listview_column_index(list, s("建表时间"))),
        s("2024年3月5日"));
}

TEST_F(MeterTest, RefusalsKeepTheFormOpenAndWriteNothing) {
    insert_household(s("0001"), s("王小明"));
    insert_meter(s("000101"), s("0001"), s("水费"), s("张师傅"), 1);
    add_through_page([&](MeterInfoWindow* w) {
        ui.expect_box(s("没此用户，请在用户管理中添加用户信息!"));
        edit(w, "编辑框_户号")->setText(s("0009"));
        w->on_meter_form_save_click();

        ui.expect_box(s("收费项目、价格类别、抄表人员不能为空！"));
        edit(w, "编辑框_户号")->setText(s("0001"));
        choose(combo(w, "组合框_收费项目"), s("电费"));
        w->on_meter_form_save_click();

        // Nothing in 电费's categories: give it one.
        exec(
            s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
              "(5,'民用电','电费',0.5,0,0)"));
        choose(combo(w, "组合框_收费项目"), s("水费"));
        choose(combo(w, "组合框_收费项目"), s("电费"));
        choose(combo(w, "组合框_价格类别"), s("民用电"));
        choose(combo(w, "组合框_抄表人员"), s("李师傅"));
        for (const char* multiplier : {"0", "-1", "abc", "0.0000001"}) {
            ui.expect_box(s("倍率不能小于等于0！"));
            edit(w, "编辑框_倍率")->setText(s(multiplier));
            w->on_meter_form_save_click();
        }
        // Passes the test but is no plain number: nothing is saved, and nothing of it reaches a
        // statement.
        edit(w, "编辑框_倍率")->setText(s("2,状态='拆表'"));
        w->on_meter_form_save_click();

        ui.expect_box(s("该用户的收费项目已经添加!"));
        choose(combo(w, "组合框_收费项目"), s("水费"));
        choose(combo(w, "组合框_价格类别"), s("民用水"));
        edit(w, "编辑框_倍率")->setText(s("0.0000002"));
        w->on_meter_form_save_click();
        EXPECT_EQ(w->result(), 0);
        EXPECT_EQ(count(s("select count(*) from 用户表管理")), 1);

        // A household with several meters may have a second account of one fee item.
        exec(s("update 用户信息表 set 性质=1 where 户号='0001'"));
        ui.expect_box(s("执行成功!"));
        w->on_meter_form_save_click();
        return;
    });
    EXPECT_EQ(count(s("select count(*) from 用户表管理 where 父号='0001' and 收费项目='水费'")), 2);
    EXPECT_EQ(value(s("select 倍率 from 用户表管理 where 户号='000102'")), s("2e-07"));
}

TEST_F(MeterTest, PropertyFeeAccountsAreReadBySystemAndMirrorTheCategory) {
    insert_household(s("0001"), s("王小明"));
    insert_meter(s("000901"), s("0009"), s("物业"), s("系统"), 1, s("住宅"));
    ui.expect_box(s("当收费项目为物业,抄表人员只能是系统!")).expect_box(s("执行成功!"));
    add_through_page([&](MeterInfoWindow* w) {
        edit(w, "编辑框_户号")->setText(s("0001"));
        choose(combo(w, "组合框_收费项目"), s("物业"));
        choose(combo(w, "组合框_价格类别"), s("商铺"));
        choose(combo(w, "组合框_抄表人员"), s("张师傅"));
        w->on_meter_form_save_click();
    });
    EXPECT_EQ(rows(s("select 户号,抄表人员,抄表序号,价格类别 from 用户表管理 where 父号='0001'")),
              (QList<QStringList>{{s("000101"), s("系统"), s("2"), s("商铺")}}));
    EXPECT_EQ(value(s("select 物业类别 from 用户信息表 where 户号='0001'")), s("商铺"));
}

TEST_F(MeterTest, ModifyLoadsTheSelectedAccountAndKeepsItsNumberHouseholdAndOrder) {
    insert_household(s("0001"), s("王小明"));
    insert_household(s("0002"), s("李四"));
    insert_meter(s("000101"), s("0001"), s("物业"), s("系统"), 1, s("住宅"));
    insert_meter(s("000102"), s("0001"), s("水费"), s("张师傅"), 4, s("商业水"));
    exec(s("update 用户表管理 set 开始起数=7.25,倍率=3,状态='报停' where 户号='000102'"));
    page->fill_meter_list(households::meter_list_base_query() + s("ORDER BY 用户表管理.编号"));
    QTableView* list = page->meter_list();

    // Refusals before the form opens.
    ui.expect_box(s("请选择待修改的记录！"));
    page->on_main_meter_modify_click();

    platform::listview_select_row(list, 1);
    ui.expect_box(s("执行成功!"));
    ui.on_modal(s("households::MeterInfoWindow"), [&](QDialog* d) {
        auto* w = static_cast<MeterInfoWindow*>(d);
        EXPECT_EQ(button(w, "按钮_收费")->text(), s("保  存&U"));
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s("0001"));
        EXPECT_EQ(edit(w, "编辑框_户名")->text(), s("王小明"));
        EXPECT_EQ(combo(w, "组合框_收费项目")->currentText(), s("水费"));
        EXPECT_EQ(combo(w, "组合框_价格类别")->currentText(), s("商业水"));
        EXPECT_EQ(combo(w, "组合框_抄表人员")->currentText(), s("张师傅"));
        EXPECT_EQ(combo(w, "组合框_当前状态")->currentText(), s("报停"));
        EXPECT_EQ(edit(w, "编辑框_开始起码")->text(), s("7.25"));
        EXPECT_EQ(edit(w, "编辑框_倍率")->text(), s("3"));
        EXPECT_EQ(edit(w, "编辑框_新表编号")->text(), s("M000102"));
        // The household shown changes, the account's household does not.
        edit(w, "编辑框_户号")->setText(s("0002"));
        choose(combo(w, "组合框_抄表人员"), s("李师傅"));
        choose(combo(w, "组合框_当前状态"), s("拆表"));
        w->on_meter_form_save_click();
        return d->result();
    });
    page->on_main_meter_modify_click();
    EXPECT_EQ(rows(s("select 户号,父号,抄表序号,抄表人员,状态,价格类别 from 用户表管理 where "
                     "户号='000102'")),
              (QList<QStringList>{
                  {s("000102"), s("0001"), s("4"), s("李师傅"), s("拆表"), s("商业水")}}));

    // Without the 编号 column the account cannot be found.
    exec(s("update 查询列 set 显示='假' where 类名='用户表管理' and 列名='编号'"));
    page->fill_meter_list(households::meter_list_base_query());
    platform::listview_select_row(list, 0);
    ui.expect_box(s("请在查询列在设置显示编号列!"));
    page->on_main_meter_modify_click();
}

TEST_F(MeterTest, AnAccountDeletedMeanwhileIsReportedAndCannotBeSaved) {
    insert_household(s("0001"), s("王小明"));
    insert_meter(s("000102"), s("0001"), s("水费"), s("张师傅"), 1);
    page->fill_meter_list(households::meter_list_base_query());
    platform::listview_select_row(page->meter_list(), 0);
    exec(s("delete from 用户表管理"));
    ui.expect_box(s("系统出错,错误编号:1002!"))
        .expect_box(s("没此用户，请在用户管理中添加用户信息!"));
    ui.on_modal(s("households::MeterInfoWindow"), [&](QDialog* d) {
        auto* w = static_cast<MeterInfoWindow*>(d);
        EXPECT_EQ(combo(w, "组合框_收费项目")->count(), 0);
        w->on_meter_form_save_click();
        return d->result();
    });
    page->on_main_meter_modify_click();
    EXPECT_EQ(count(s("select count(*) from 用户表管理")), 0);
}

TEST_F(MeterTest, WithoutTheRightNothingOpens) {
    shell::current_operator = s("张三");
    ui.expect_box(s("您没有取得授权！")).expect_box(s("您没有取得授权！"));
    page->on_main_meter_add_click();
    page->on_main_meter_modify_click();
    EXPECT_TRUE(ui.modal_windows().isEmpty());
}

}  // namespace
