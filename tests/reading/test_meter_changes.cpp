// Meter changes: the save's refusals, the change row and the account's meter number, the
// write-back that never puts a stale number on an account, the query conditions, and the page
// with its windows.
#include <gtest/gtest.h>

#include <QRadioButton>

#include "reading/meter_change_page.h"
#include "reading/meter_change_windows.h"
#include "reading/meter_changes.h"
#include "reading_fixture.h"

using namespace reading_test;
using platform::MsgResult;
using reading::MeterChangeForm;
using reading::MeterChangeOutcome;

namespace {

class MeterChanges : public ReadingTest {
protected:
    void SetUp() override {
        ReadingTest::SetUp();
        add_water_household(s("0001"), s("甲"), 1);
        add_water_household(s("0002"), s("乙"), 2);
        exec(s("update 用户表管理 set 计量编号='1001' where 户号='000101'"));
        exec(s("insert into 收费员 (收费人员,密码,许可) values ('张三','x',1)"));
    }
    static MeterChangeForm form(const QString& account, const QString& old_number,
                                const QString& new_number) {
        MeterChangeForm f;
        f.account = account;
        f.operator_name = s("张三");
        f.year_text = s("2024");
        f.month_text = s("3");
        f.old_number = old_number;
        f.new_number = new_number;
        f.start_text = s("5");
        f.change_date = QDate(2024, 3, 5);
        return f;
    }
    MeterChangeOutcome save(const MeterChangeForm& f) {
        return reading::save_meter_change(db(), f, context());
    }
    QString meter_number() {
        return value(s("select 计量编号 from 用户表管理 where 户号='000101'"));
    }
    qint64 last_change() { return value(s("select max(编号) from 换表管理")).toLongLong(); }
};

TEST_F(MeterChanges, SaveRefusesMissingValues) {
    struct Case {
        const char* account;
        const char* op;
        const char* year;
        const char* month;
        const char* message;
    };
    const Case cases[] = {
        {"  ", "张三", "2024", "3", "用户户号不能不空！"},
        {"000101", "", "2024", "3", "操作人员不能不空！"},
        {"000101", "张三", "", "3", "执行年不能不空！"},
        {"000101", "张三", "0", "3", "执行年不能不空！"},
        {"000101", "张三", "abc", "3", "执行年不能不空！"},
        {"000101", "张三", "2024", "", "执行月不能不空！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        MeterChangeForm f = form(s(c.account), s("1001"), s("1002"));
        f.operator_name = s(c.op);
        f.year_text = s(c.year);
        f.month_text = s(c.month);
        const MeterChangeOutcome out = save(f);
        EXPECT_EQ(out.result, MeterChangeOutcome::Result::Refused);
        EXPECT_EQ(out.message, s(c.message));
    }
    EXPECT_EQ(count(s("select count(*) from 换表管理")), 0);
}

TEST_F(MeterChanges, AddWritesTheChangeTheNumberAndTheLog) {
    MeterChangeForm f = form(s(" 000101 "), s("1001"), s("1002"));
    f.month_text = s("9");
    f.year_text = s("2012");
    f.start_text = s("12.50");
    const MeterChangeOutcome out = save(f);
    EXPECT_EQ(out.result, MeterChangeOutcome::Result::Done);
    EXPECT_EQ(out.message, s("执行成功,请刷新显示！"));
    EXPECT_EQ(
        rows(s("select 户号,旧表编号,新表编号,换表起方,换表日期,执行日期,操作人员 from 换表管理")),
        (QList<QStringList>{{s("000101"), s("1001"), s("1002"), s("12.5"), s("2024-03-05"),
                             s("2012-9"), s("张三")}}));
    EXPECT_EQ(meter_number(), s("1002"));
    // The household's other meters keep their numbers.
    EXPECT_EQ(value(s("select 计量编号 from 用户表管理 where 户号='000201'")), s("M1"));
    EXPECT_EQ(
        rows(s("select 上级项目,当前项目,备注 from 日志管理")),
        (QList<QStringList>{{s("基本设置"), s("换表管理"), s("换表添加户号:000101新表号:1002")}}));
}

TEST_F(MeterChanges, AnOlderChangeNeverWritesAStaleNumber) {
    ASSERT_EQ(save(form(s("000101"), s("1001"), s("1002"))).result,
              MeterChangeOutcome::Result::Done);
    const qint64 first = last_change();
    ASSERT_EQ(save(form(s("000101"), s("1002"), s("1003"))).result,
              MeterChangeOutcome::Result::Done);
    const qint64 second = last_change();
    ASSERT_EQ(meter_number(), s("1003"));

    // Editing the older change changes the change, not the meter that carries 1003 now.
    MeterChangeForm edit = form(s("000101"), s("x"), s("1002A"));
    edit.edit = true;
    edit.edited_id = QString::number(first);
    EXPECT_EQ(save(edit).result, MeterChangeOutcome::Result::Done);
    EXPECT_EQ(meter_number(), s("1003"));
    EXPECT_EQ(
        rows(s("select 户号,旧表编号,新表编号 from 换表管理 where 编号=") + QString::number(first)),
        (QList<QStringList>{{s("000101"), s("1001"), s("1002A")}}));

    // Deleting it keeps 1003 too.
    MeterChangeOutcome out = reading::delete_meter_change(db(), first, context());
    EXPECT_EQ(out.message, s("删除成功,请刷新数据！"));
    EXPECT_EQ(meter_number(), s("1003"));
    EXPECT_EQ(count(s("select count(*) from 换表管理")), 1);

    // The latest change: an edit moves the number on, its delete puts the old one back.
    edit.edited_id = QString::number(second);
    edit.new_number = s("1004");
    EXPECT_EQ(save(edit).result, MeterChangeOutcome::Result::Done);
    EXPECT_EQ(meter_number(), s("1004"));
    out = reading::delete_meter_change(db(), second, context());
    EXPECT_EQ(out.result, MeterChangeOutcome::Result::Done);
    EXPECT_EQ(meter_number(), s("1002"));
    EXPECT_EQ(value(s("select 备注 from 日志管理 order by ID desc")),
              s("删除编号:") + QString::number(second) + s("户号:000101"));
}

// Each condition of the query window run against changes: the accounts it lists, in the order
// chosen (the changes go in out of account and street order), typed quotes kept as values, and
// empty inputs refused.
TEST_F(MeterChanges, QueryConditionsSelectTheirChangesAndRefuseEmptyInputs) {
    add_water_household(s("0003"), s("张三"), 3);
    add_household(s("0004"), s("张'四"));
    Meter quoted;
    quoted.number = s("0001'01");
    quoted.household = s("0001");
    add_meter(quoted);
    quoted.number = s("0004'01");
    quoted.household = s("0004");
    add_meter(quoted);
    exec(s("update 用户信息表 set 居住街道='西区' where 户号 in ('0002','0004')"));
    exec(s("update 用户信息表 set 居住街道='北区' where 户号='0003'"));
    const char* changes[][4] = {
        // account, new meter number, change date, operator
        {"0004'01", "1002", "2024-2-29", "张三"}, {"000301", "1002", "2024-3-1", "张三"},
        {"000101", "2001", "2024-3-31", "李四"},  {"000201", "3001", "2024-4-1", "张'三"},
        {"0001'01", "4001", "2024-3-15", "张三"},
    };
    for (const auto& c : changes)
        exec(s("insert into 换表管理 (户号,旧表编号,新表编号,换表起方,换表日期,执行日期,操作人员) "
               "values (") +
             sql_quote(s(c[0])) + s(",'M0',") + sql_quote(s(c[1])) + s(",0,") + sql_quote(s(c[2])) +
             s(",'2024-3',") + sql_quote(s(c[3])) + u')');

    using C = reading::MeterChangeCriterion;
    struct Case {
        const char* what;
        C criterion;
        const char* text;
        int order;
        const char* accounts;  // in list order, '|' between
        bool any_order;
    };
    const Case cases[] = {
        {"account with a quote", C::Account, "0001'01", 0, "0001'01", false},
        {"account exactly", C::Account, "0001", 0, "", false},
        {"name prefix, by change", C::Name, "张", 1, "0004'01|000301", false},
        {"name prefix with a quote", C::Name, "张'", 1, "0004'01", false},
        {"new meter number, by street", C::MeterNumber, "1002", 2, "000301|0004'01", false},
        {"street", C::Street, "东区", -1, "000101|0001'01", true},
        {"operator, by account", C::Operator, "张三", 0, "000301|0001'01|0004'01", false},
        {"operator with a quote", C::Operator, "张'三", -1, "000201", false},
        {"no condition", C::None, "", 0, "0004'01|000301|000101|000201|0001'01", true},
    };
    const auto listed = [&](const QString& clause, bool any_order) {
        QStringList accounts;
        for (const QStringList& row : rows(reading::meter_change_list_statement() + clause))
            accounts << row.value(1);
        if (any_order) accounts.sort();
        return accounts;
    };
    const auto expected = [](const char* accounts, bool any_order) {
        QStringList list = s(accounts).split(u'|', Qt::SkipEmptyParts);
        if (any_order) list.sort();
        return list;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        reading::MeterChangeQuery q;
        q.criterion = c.criterion;
        q.text = s(c.text);
        q.order = c.order;
        const reading::MeterChangeCondition out = reading::meter_change_query_condition(q);
        EXPECT_EQ(out.refusal, s(""));
        EXPECT_EQ(listed(out.clause, c.any_order), expected(c.accounts, c.any_order));
    }
    reading::MeterChangeQuery dates;
    dates.criterion = C::ChangeDate;
    dates.from = QDate(2024, 3, 1);
    dates.to = QDate(2024, 3, 31);
    EXPECT_EQ(listed(reading::meter_change_query_condition(dates).clause, true),
              expected("000301|000101|0001'01", true));

    const struct {
        C criterion;
        const char* refusal;
    } refusals[] = {
        {C::Account, "待查询的户号不能为空！"},         {C::Name, "待查询的户名不能为空！"},
        {C::MeterNumber, "待查询的计量编号不能为空！"}, {C::Street, "待查询的街道不能为空！"},
        {C::Operator, "待查询的操作人员不能为空！"},
    };
    for (const auto& r : refusals) {
        reading::MeterChangeQuery q;
        q.criterion = r.criterion;
        q.order = 0;
        EXPECT_EQ(reading::meter_change_query_condition(q).refusal, s(r.refusal));
    }
}

TEST_F(MeterChanges, PageListsTodaysChangesAndTheWindowsAddEditAndQuery) {
    add_household(s("0009"), s("总表户"), 0, true);
    Meter composite;
    composite.number = s("000901");
    composite.household = s("0009");
    add_meter(composite);
    exec(
        s("insert into 换表管理 (户号,旧表编号,新表编号,换表起方,换表日期,执行日期,操作人员) "
          "values ('000201','M0','M1',0,'2024-3-4','2024-3','张三')"));

    reading::MeterChangePage page;
    reading::fill_meter_change_list(nullptr, page.change_list(),
                                    reading::meter_change_today_condition(platform::today()));
    EXPECT_EQ(platform::listview_row_count(page.change_list()), 0);

    ui.expect_box(s("请选择待修改的记录！")).expect_box(s("请选择待修改的记录！"));
    page.on_meter_change_modify_click();
    page.on_meter_change_delete_click();

    ui.on_modal(s("reading::MeterChangeEntryWindow"), [this](QDialog* w) {
        EXPECT_EQ(w->windowTitle(), s("换表添加"));
        EXPECT_EQ(edit(w, "编辑框_年")->text(), s("2024"));
        EXPECT_EQ(combo(w, "组合框_月")->count(), 12);
        EXPECT_EQ(combo(w, "组合框_月")->currentIndex(), -1);
        EXPECT_EQ(combo(w, "选择框_操作人员")->currentIndex(), -1);
        auto* entry = static_cast<reading::MeterChangeEntryWindow*>(w);
        edit(w, "编辑框_户号")->setText(s("000901"));
        ui.expect_box(s("用户性质为总表无效!"));
        entry->on_meter_change_account_lookup();
        edit(w, "编辑框_户号")->setText(s("009999"));
        ui.expect_box(s("无此用户！"));
        entry->on_meter_change_account_lookup();
        EXPECT_EQ(edit(w, "编辑框_户号")->text(), s(""));
        edit(w, "编辑框_户号")->setText(s("000101"));
        entry->on_meter_change_account_lookup();
        EXPECT_EQ(edit(w, "编辑框_户名")->text(), s("甲"));
        EXPECT_EQ(edit(w, "编辑框_水表编号")->text(), s("1001"));
        edit(w, "编辑框_新表编号")->setText(s("2002"));
        edit(w, "编辑框_换表起方")->setText(s("5"));
        ui.expect_box(s("操作人员不能不空！"));
        button(w, "按钮_收费")->click();
        combo(w, "选择框_操作人员")->setCurrentIndex(0);
        ui.expect_box(s("执行月不能不空！"));
        button(w, "按钮_收费")->click();
        combo(w, "组合框_月")->setCurrentIndex(2);
        ui.expect_box(s("执行成功,请刷新显示！"));
        button(w, "按钮_收费")->click();
        return w->result();
    });
    page.on_meter_change_add_click();
    EXPECT_EQ(meter_number(), s("2002"));
    EXPECT_EQ(value(s("select 执行日期 from 换表管理 where 户号='000101'")), s("2024-3"));

    reading::fill_meter_change_list(nullptr, page.change_list(),
                                    reading::meter_change_today_condition(platform::today()));
    ASSERT_EQ(platform::listview_row_count(page.change_list()), 1);
    EXPECT_EQ(list_rows(page.change_list()).front().mid(1),
              (QStringList{s("000101"), s("甲"), s("东区"), s("甲的家"), s("2024年3月5日"),
                           s("1001"), s("2002"), s("5"), s("2024-3"), s("张三")}));

    platform::listview_select_row(page.change_list(), 0);
    ui.on_modal(s("reading::MeterChangeEntryWindow"), [this](QDialog* w) {
        EXPECT_EQ(w->windowTitle(), s("换表修改"));
        EXPECT_EQ(edit(w, "编辑框_水表编号")->text(), s("1001"));
        EXPECT_EQ(edit(w, "编辑框_新表编号")->text(), s("2002"));
        EXPECT_EQ(combo(w, "组合框_月")->currentText(), s("3"));
        EXPECT_EQ(combo(w, "选择框_操作人员")->currentText(), s("张三"));
        edit(w, "编辑框_新表编号")->setText(s("2003"));
        ui.expect_box(s("执行成功,请刷新显示！"));
        button(w, "按钮_收费")->click();
        return w->result();
    });
    page.on_meter_change_modify_click();
    EXPECT_EQ(meter_number(), s("2003"));

    ui.on_modal(s("reading::MeterChangeQueryWindow"), [this](QDialog* w) {
        EXPECT_TRUE(unit<QRadioButton>(w, "单选框_按户号")->isChecked());
        unit<QRadioButton>(w, "单选框_户名")->setChecked(true);
        ui.expect_box(s("待查询的户名不能为空！"));
        button(w, "按钮_确定")->click();
        edit(w, "编辑框_户名")->setText(s("乙"));
        button(w, "按钮_确定")->click();
        return w->result();
    });
    page.on_meter_change_query_click();
    EXPECT_EQ(platform::listview_row_count(page.change_list()), 1);
    EXPECT_EQ(platform::listview_cell_text(page.change_list(), 0, 1), s("000201"));

    platform::listview_select_row(page.change_list(), 0);
    const QString id = platform::listview_cell_text(page.change_list(), 0, 0);
    ui.expect_box(s("确定编号为【") + id + s("】的记录吗？"), MsgResult::Ok)
        .expect_box(s("删除成功,请刷新数据！"));
    page.on_meter_change_delete_click();
    EXPECT_EQ(value(s("select 计量编号 from 用户表管理 where 户号='000201'")), s("M0"));
}

}  // namespace
