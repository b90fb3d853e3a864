// The household form, opened the way the pages open it: adding a household with its
// property-fee meter account (both or neither), continuous entry, the refusals, and modifying a
// household with its meter account's price category.
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <QCheckBox>

#include "household_fixture.h"
#include "store/main_database.h"

using namespace households_test;
using platform::MsgResult;

namespace {

const char kForm[] = "households::HouseholdEntryWindow";

class HouseholdForm : public HouseholdTest {
protected:
    QStringList household(const QString& number) {
        const auto all = rows(s("select 户号,父号,用户名,居住街道,详细地址,身份证号,家庭人口,建档时间,磁卡号码,开户银行,"
                                "银行帐号,性质,备注,助记词,固定电话,移动电话,物业类别,物业面积,停车费 from 用户信息表 "
                                "where 户号=") + platform::sql_quote(number));
        return all.size() == 1 ? all.first() : QStringList();
    }
    QStringList account(const QString& number) {
        const auto all = rows(s("select 户号,收费项目,价格类别,开始起数,抄表人员,倍率,计量编号,抄表序号,建表时间,父号,状态 "
                                "from 用户表管理 where 户号=") + platform::sql_quote(number));
        return all.size() == 1 ? all.first() : QStringList();
    }
    QList<QStringList> log_rows() { return rows(s("select 上级项目,当前项目,备注 from 日志管理 order by ID")); }

    // Opens the form from page 0's add button and lets `fill` work in it.
    void add_through_page(const std::function<void(QDialog*)>& fill) {
        ui.on_modal(s(kForm), [&](QDialog* w) {
            fill(w);
            return w->result();
        });
        add_page->on_main_household_add_click();
    }
};

TEST_F(HouseholdForm, AddWritesTheHouseholdAndItsPropertyFeeAccount) {
    exec(s("insert into 用户表管理 (户号,父号,收费项目,抄表人员,抄表序号) values ('990001','9900','物业','系统',1)"));
    ui.expect_box(s("添加用户【王小明】成功！"));
    add_through_page([&](QDialog* w) {
        EXPECT_EQ(w->windowTitle(), s("用户添加"));
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s("0001"));
        EXPECT_TRUE(unit<QCheckBox>(w, "选择框_连续")->isVisible());
        EXPECT_EQ(unit<QDateEdit>(w, "日期框_建档时间")->date(), QDate(2024, 3, 5));
        EXPECT_EQ(edit(w, "编辑框_停车费")->text(), s("0"));
        EXPECT_EQ(combo(w, "组合框_用户性质")->currentText(), s("单表"));
        fill_required(w, s("王小明"));
        edit(w, "编辑框_详细地址")->setText(s("  1号楼2单元　"));
        edit(w, "编辑框_身份证")->setText(s("110101199001011234"));
        edit(w, "编辑框_家庭人口")->setText(s("3"));
        edit(w, "编辑框_磁卡号码")->setText(s(" 8001 "));
        choose(combo(w, "组合框_开户银行"), s("工商银行"));
        edit(w, "编辑框_银行帐号")->setText(s("6222"));
        combo(w, "组合框_用户性质")->setCurrentIndex(1);
        edit(w, "编辑框_固定电话")->setText(s("010-1234"));
        edit(w, "编辑框_移动电话")->setText(s("139"));
        edit(w, "编辑框_物业面积")->setText(s("88.5"));
        edit(w, "编辑框_停车费")->setText(s("50"));
        edit(w, "编辑框_备注")->setText(s("备注"));
        button(w, "按钮_添加")->click();
        EXPECT_EQ(w->result(), QDialog::Accepted);
    });
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].caption, s("添加成功"));
    EXPECT_EQ(household(s("0001")),
              (QStringList{s("0001"), s("0"), s("王小明"), s("东区"), s("1号楼2单元"), s("110101199001011234"), s("3"),
                           s("2024-03-05"), s("8001"), s("工商银行"), s("6222"), s("1"), s("备注"), s("wxm"),
                           s("010-1234"), s("139"), s("住宅"), s("88.5"), s("50")}));
    // One above the accounts of reader 系统.
    EXPECT_EQ(account(s("000101")), (QStringList{s("000101"), s("物业"), s("住宅"), s("0"), s("系统"), s("1"),
                                                 s("000000"), s("2"), s("2024-03-05"), s("0001"), s("正常")}));
    EXPECT_EQ(log_rows(), (QList<QStringList>{{s("用户管理"), s("用户添加"), s("单户户号：0001用户名：王小明")}}));
    // Page 0 shows today's households, a household with several meters as 总表.
    QTableView* list = add_page->household_list();
    ASSERT_EQ(listed_numbers(list), QStringList{s("0001")});
    EXPECT_EQ(platform::listview_cell_text(list, 0, 3), s("总表"));
    EXPECT_EQ(platform::listview_cell_text(list, 0, 6), s("2024年3月5日"));
}

TEST_F(HouseholdForm, AnotherRegistrationDateIsStoredButNotListedAsToday) {
    ui.expect_box(s("成功"));
    add_through_page([&](QDialog* w) {
        fill_required(w, s("李四"));
        unit<QDateEdit>(w, "日期框_建档时间")->setDate(QDate(2023, 12, 1));
        button(w, "按钮_添加")->click();
    });
    EXPECT_EQ(value(s("select 建档时间 from 用户信息表 where 户号='0001'")), s("2023-12-01"));
    // The meter account is set up today, whatever the form said.
    EXPECT_EQ(value(s("select 建表时间 from 用户表管理 where 户号='000101'")), s("2024-03-05"));
    EXPECT_TRUE(listed_numbers(add_page->household_list()).isEmpty());
}

TEST_F(HouseholdForm, QuotesInEveryFieldAreStoredAsTyped) {
    exec(s("insert into 街道(街道) values ('O''Hare街')"));
    exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格) values (3,'老''住宅','物业',1)"));
    ui.expect_box(s("添加用户【O'Neil 王'小明 】成功！"));
    add_through_page([&](QDialog* w) {
        edit(w, "编辑框_户号")->setText(s("Q'1"));
        edit(w, "编辑框_用户名")->setText(s("O'Neil 王'小明 "));
        choose(combo(w, "组合框_居住街道"), s("O'Hare街"));
        choose(combo(w, "组合框_物业类别"), s("老'住宅"));
        edit(w, "编辑框_详细地址")->setText(s("3'号"));
        edit(w, "编辑框_身份证")->setText(s("'"));
        edit(w, "编辑框_备注")->setText(s("it's"));
        edit(w, "编辑框_移动电话")->setText(s("13'9"));
        button(w, "按钮_添加")->click();
    });
    const QStringList h = household(s("Q'1"));
    ASSERT_FALSE(h.isEmpty());
    EXPECT_EQ(h[2], s("O'Neil 王'小明 "));
    EXPECT_EQ(h[3], s("O'Hare街"));
    EXPECT_EQ(h[4], s("3'号"));
    EXPECT_EQ(h[5], s("'"));
    EXPECT_EQ(h[12], s("it's"));
    EXPECT_EQ(h[13], s("O'Neil w'xm"));
    EXPECT_EQ(h[15], s("13'9"));
    EXPECT_EQ(h[16], s("老'住宅"));
    EXPECT_EQ(account(s("Q'101")).value(2), s("老'住宅"));
    // The log remark turns quotes into blanks, as it always does.
    EXPECT_EQ(log_rows().value(0).value(2), s("单户户号：Q 1用户名：O Neil 王 小明"));
}

TEST_F(HouseholdForm, RefusalsWriteNothingAndKeepTheFormOpen) {
    insert_household(s("0001"), s("甲"));
    exec(s("insert into 预存明细 (收据号,户号,预存金额) values (1,'0005',100)"));
    const QString empty = s("户号、用户姓名、居住街道、物业类别不能为空！");
    ui.expect_box(empty).expect_box(empty).expect_box(empty).expect_box(empty);
    ui.expect_box(s("户号【0001】已经存在，请重新输入。"));
    ui.expect_box(s("户号【0005】已被删除用户的计量、收费或预存记录占用，请重新输入。"));
    add_through_page([&](QDialog* w) {
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s("0002"));
        QPushButton* save = button(w, "按钮_添加");
        save->click();  // nothing filled in
        fill_required(w, s("甲"));
        edit(w, "编辑框_户号")->setText(s("  　"));
        save->click();  // a number of blanks only
        edit(w, "编辑框_户号")->setText(s("0009"));
        combo(w, "组合框_居住街道")->setCurrentIndex(-1);
        save->click();
        fill_required(w, s("甲"));
        combo(w, "组合框_物业类别")->setCurrentIndex(-1);
        save->click();
        fill_required(w, s("甲"));
        edit(w, "编辑框_户号")->setText(s("0001 "));  // compared trimmed
        save->click();
        edit(w, "编辑框_户号")->setText(s("0005"));
        save->click();
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(edit(w, "编辑框_用户名")->text(), s("甲"));
        button(w, "返回")->click();
        EXPECT_EQ(w->result(), QDialog::Rejected);
    });
    EXPECT_EQ(ui.boxes()[4].caption, s("输入提示"));
    EXPECT_EQ(count(s("select count(*) from 用户信息表")), 1);
    EXPECT_EQ(count(s("select count(*) from 用户表管理")), 0);
    EXPECT_EQ(count(s("select count(*) from 日志管理")), 0);
}

TEST_F(HouseholdForm, ContinuousEntryProposesTheNextFreeNumberAndKeepsTheSharedFields) {
    insert_household(s("0006"), s("甲"));
    exec(s("insert into 用户表管理 (户号,父号,收费项目) values ('000901','0009','物业')"));  // 0009 is owned
    ui.expect_box(s("添加用户【乙】成功！")).expect_box(s("添加用户【丙】成功！"));
    add_through_page([&](QDialog* w) {
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s("0007"));
        unit<QCheckBox>(w, "选择框_连续")->setChecked(true);
        fill_required(w, s("乙"));
        choose(combo(w, "组合框_物业类别"), s("商铺"));
        choose(combo(w, "组合框_开户银行"), s("工商银行"));
        combo(w, "组合框_用户性质")->setCurrentIndex(1);
        unit<QDateEdit>(w, "日期框_建档时间")->setDate(QDate(2024, 3, 1));
        for (const char* name : {"编辑框_家庭人口", "编辑框_银行帐号", "编辑框_备注", "编辑框_详细地址", "编辑框_身份证",
                                 "编辑框_固定电话", "编辑框_移动电话", "编辑框_磁卡号码", "编辑框_物业面积", "编辑框_停车费"})
            edit(w, name)->setText(s("5"));
        button(w, "按钮_添加")->click();
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s("0008"));
        for (const char* name : {"编辑框_用户名", "编辑框_详细地址", "编辑框_身份证", "编辑框_固定电话", "编辑框_移动电话",
                                 "编辑框_磁卡号码", "编辑框_物业面积"})
            EXPECT_TRUE(edit(w, name)->text().isEmpty()) << name;
        EXPECT_EQ(edit(w, "编辑框_停车费")->text(), s("0"));
        for (const char* name : {"编辑框_家庭人口", "编辑框_银行帐号", "编辑框_备注"})
            EXPECT_EQ(edit(w, name)->text(), s("5")) << name;
        EXPECT_EQ(combo(w, "组合框_居住街道")->currentText(), s("东区"));
        EXPECT_EQ(combo(w, "组合框_物业类别")->currentText(), s("商铺"));
        EXPECT_EQ(combo(w, "组合框_开户银行")->currentText(), s("工商银行"));
        EXPECT_EQ(combo(w, "组合框_用户性质")->currentIndex(), 1);
        EXPECT_EQ(unit<QDateEdit>(w, "日期框_建档时间")->date(), QDate(2024, 3, 1));
        edit(w, "编辑框_用户名")->setText(s("丙"));
        button(w, "按钮_添加")->click();
        // 0009 still carries a deleted household's meter account.
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s("0010"));
        button(w, "返回")->click();
    });
    EXPECT_EQ(rows(s("select 户号,用户名,物业类别 from 用户信息表 order by 编号")),
              (QList<QStringList>{{s("0006"), s("甲"), s("住宅")},
                                  {s("0007"), s("乙"), s("商铺")},
                                  {s("0008"), s("丙"), s("商铺")}}));
    EXPECT_EQ(rows(s("select 户号,抄表序号 from 用户表管理 where 抄表人员='系统' order by 编号")),
              (QList<QStringList>{{s("000701"), s("1")}, {s("000801"), s("2")}}));
}

TEST_F(HouseholdForm, AFailedAccountInsertLeavesNoHouseholdBehind) {
    ASSERT_EQ(sqlite3_exec(platform::db_handle(store::main_connection()),
                           "CREATE TRIGGER refuse_accounts BEFORE INSERT ON 用户表管理 "
                           "BEGIN SELECT RAISE(ABORT, 'accounts refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    platform::db_schema_changed(store::main_connection());
    insert_household(s("0009"), s("甲"));  // registered today, so page 0 shows it once refilled

    // Without 连续添加 the form closes after the reported refusal.
    ui.expect_box(s("accounts refused")).expect_box(s("insert into 用户表管理"));
    add_through_page([&](QDialog* w) {
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s("0010"));
        fill_required(w, s("王小明"));
        button(w, "按钮_添加")->click();
        EXPECT_FALSE(w->isVisible());
    });
    EXPECT_EQ(ui.boxes()[0].icon, platform::MsgIcon::None);
    EXPECT_EQ(ui.boxes()[1].icon, platform::MsgIcon::None);
    EXPECT_EQ(listed_numbers(add_page->household_list()), QStringList{s("0009")});

    // With it, the next number is proposed and the household's own fields are emptied.
    ui.expect_box(s("accounts refused")).expect_box(s("insert into 用户表管理"));
    add_through_page([&](QDialog* w) {
        unit<QCheckBox>(w, "选择框_连续")->setChecked(true);
        fill_required(w, s("王小明"));
        button(w, "按钮_添加")->click();
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s("0011"));
        EXPECT_TRUE(edit(w, "编辑框_用户名")->text().isEmpty());
        button(w, "返回")->click();
    });
    EXPECT_EQ(ui.boxes().size(), 4u);
    EXPECT_EQ(count(s("select count(*) from 用户信息表")), 1);
    EXPECT_EQ(count(s("select count(*) from 日志管理")), 0);
}

class HouseholdModify : public HouseholdForm {
protected:
    void SetUp() override {
        HouseholdForm::SetUp();
        insert_household(s("0001"), s("王小明"), s("2024-3-5"), s(",开户银行,家庭人口,物业面积,停车费"),
                         s(",'旧银行',4,60.5,30"));
        exec(s("update 用户信息表 set 性质=1 where 户号='0001'"));
        exec(s("insert into 用户表管理 (户号,父号,收费项目,价格类别,抄表人员) values ('000101','0001','物业','住宅','系统')"));
        exec(s("insert into 用户表管理 (户号,父号,收费项目,价格类别,抄表人员) values ('000102','0001','水费','居民','张')"));
        // A sub-household below it.
        exec(s("insert into 用户信息表 (户号,父号,用户名,建档时间,性质) values ('0001-1','0001','分户','2024-3-5',0)"));
    }
};

TEST_F(HouseholdModify, ChangesTheHouseholdAndMirrorsThePropertyCategory) {
    add_page->on_main_nav_household_list_click();
    QTableView* list = add_page->household_list();
    platform::listview_select_row(list, row_of(list, s("0001")));
    ui.expect_box(s("修改用户【王晓明】成功！"));
    ui.on_modal(s(kForm), [&](QDialog* w) {
        EXPECT_EQ(w->windowTitle(), s("用户修改"));
        EXPECT_EQ(button(w, "按钮_添加")->text(), s("保  存&U"));
        EXPECT_FALSE(edit(w, "编辑框_户号")->isEnabled());
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s("0001"));
        EXPECT_EQ(edit(w, "编辑框_用户名")->text(), s("王小明"));
        EXPECT_EQ(edit(w, "编辑框_家庭人口")->text(), s("4"));
        EXPECT_EQ(edit(w, "编辑框_物业面积")->text(), s("60.5"));
        EXPECT_EQ(edit(w, "编辑框_停车费")->text(), s("30"));
        EXPECT_EQ(combo(w, "组合框_用户性质")->currentIndex(), 1);
        EXPECT_EQ(combo(w, "组合框_物业类别")->currentText(), s("住宅"));
        // A bank that is no longer among the banks is kept, not blanked.
        EXPECT_EQ(combo(w, "组合框_开户银行")->currentText(), s("旧银行"));
        EXPECT_FALSE(unit<QCheckBox>(w, "选择框_连续")->isVisible());
        edit(w, "编辑框_用户名")->setText(s("王晓明"));
        choose(combo(w, "组合框_物业类别"), s("商铺"));
        button(w, "按钮_添加")->click();
        return w->result();
    });
    add_page->on_main_household_list_dblclick();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].caption, s("提示"));
    EXPECT_EQ(shell::household_form_source, s("假"));
    EXPECT_EQ(rows(s("select 用户名,助记词,物业类别,开户银行,家庭人口,性质 from 用户信息表 where 户号='0001'")),
              (QList<QStringList>{{s("王晓明"), s("wxm"), s("商铺"), s("旧银行"), s("4"), s("1")}}));
    EXPECT_EQ(rows(s("select 户号,价格类别 from 用户表管理 order by 编号")),
              (QList<QStringList>{{s("000101"), s("商铺")}, {s("000102"), s("居民")}}));
    EXPECT_EQ(log_rows(), (QList<QStringList>{{s("用户管理"), s("用户修改"), s("户号：0001用户名：王晓明")}}));
    // The list shows the household as saved, still selected.
    EXPECT_EQ(platform::listview_cell_text(list, row_of(list, s("0001")), 1), s("王晓明"));
    EXPECT_EQ(platform::listview_selected_row(list), row_of(list, s("0001")));
}

TEST_F(HouseholdModify, FromTheQueryListWithSourceTrue) {
    households::fill_household_query_list(s("select * from 用户信息表 ORDER  BY 编号  "));
    QTableView* list = query_page->household_list();
    platform::listview_select_row(list, row_of(list, s("0001")));
    ui.expect_box(s("修改用户【王小明】成功！"));
    ui.on_modal(s(kForm), [&](QDialog* w) {
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s("0001"));
        edit(w, "编辑框_备注")->setText(s("改过"));
        button(w, "按钮_添加")->click();
        return w->result();
    });
    query_page->on_main_household_query_modify_click();
    EXPECT_EQ(shell::household_form_source, s("真"));
    EXPECT_EQ(value(s("select 备注 from 用户信息表 where 户号='0001'")), s("改过"));
    const int remark = platform::listview_column_index(list, s("备注"));
    ASSERT_GE(remark, 0);
    EXPECT_EQ(platform::listview_cell_text(list, row_of(list, s("0001")), remark), s("改过"));
}

TEST_F(HouseholdModify, OpeningRefusals) {
    QTableView* list = query_page->household_list();
    households::fill_household_query_list(s("select * from 用户信息表 ORDER  BY 编号  "));

    ui.expect_box(s("请选择待修改的记录！"));
    query_page->on_main_household_query_modify_click();  // nothing selected
    ui.expect_box(s("请选择待修改的记录！"));
    platform::listview_select_row(list, households::household_list_totals_row(list));
    query_page->on_main_household_query_list_dblclick();
    // A sub-household opens nothing and says nothing.
    platform::listview_select_row(list, row_of(list, s("0001-1")));
    query_page->on_main_household_query_modify_click();

    shell::current_operator = s("张三");
    ui.expect_box(s("您没有取得授权！"));
    query_page->on_main_household_query_modify_click();
    shell::current_operator = s("管理员");

    exec(s("update 查询列 set 显示='假' where 类名='用户信息' and 列名='户号'"));
    households::fill_household_query_list(s("select * from 用户信息表 ORDER  BY 编号  "));
    platform::listview_select_row(list, 0);
    ui.expect_box(s("请在查询列在设置显示户号列!"));
    query_page->on_main_household_query_modify_click();
    EXPECT_EQ(ui.boxes().size(), 4u);
    EXPECT_TRUE(ui.modal_windows().isEmpty());
}

}  // namespace
