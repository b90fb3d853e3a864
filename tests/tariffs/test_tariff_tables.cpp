// The price book's maintenance windows driven through their own buttons: fee items, price
// categories, tiers, surcharges, monthly base-quantity windows and banks, with their refusals,
// messages, log rows and the rows written.
#include <gtest/gtest.h>

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlcipher/sqlite3.h>

#include <QHeaderView>
#include <memory>

#include "shell/skin.h"
#include "tariff_window_fixture.h"
#include "tariffs/direct_entry_windows.h"
#include "tariffs/fee_items_window.h"
#include "tariffs/price_categories_window.h"
#include "tariffs/surcharges_window.h"
#include "tariffs/tiered_prices_window.h"

using namespace tariffs_test;
using platform::MsgResult;

namespace {

// ---- fee items ----

class FeeItems : public TariffTest {
protected:
    void add(tariffs::FeeItemsWindow& w, const QString& name, const QString& mode = {}) {
        on_dialog("tariffs::FeeItemInfoWindow", "按钮_确定", [name, mode](QDialog* d) {
            edit(d, "编辑框_项目名称")->setText(name);
            if (!mode.isEmpty()) choose(combo(d, "组合框_计费模式"), mode);
        });
        button(&w, "按钮1")->click();
    }
};

TEST_F(FeeItems, AddsTrimmedNamesOnceAndListsThemInOrder) {
    tariffs::FeeItemsWindow w;
    EXPECT_EQ(w.windowTitle(), s("收费项目"));
    QTableView* list = unit<QTableView>(&w, "超级列表框_收费项目");
    EXPECT_EQ(platform::listview_column_title(list, 1), s("收费模式"));
    EXPECT_EQ(platform::listview_column_width(list, 1), 85);

    ui.expect_box(s("执行成功!"));
    add(w, s("  燃气 "));
    ui.expect_box(s("收费项目重复!"));
    add(w, s("燃气"));
    ui.expect_box(s("项目名称不能为空！"));
    add(w, s("　"));
    // A quote is part of the name, not of the statement.
    ui.expect_box(s("执行成功!"));
    add(w, s("O'Gas"));

    EXPECT_EQ(listed(list).size(), 5);
    EXPECT_EQ(listed(list).at(3),
              (QStringList{s("燃气"), s("实际用量模式"), s("关闭"), s("关闭"), s("关闭"), s("个位")}));
    EXPECT_EQ(listed(list).at(4).first(), s("O'Gas"));
    EXPECT_EQ(log_rows_text(), s("基本设置|收费项目设置|添加收费项目【燃气】\n"
                                 "基本设置|收费项目设置|添加收费项目【O Gas】"));
}

TEST_F(FeeItems, ModifyKeepsTheNameAndRestoresTheModes) {
    exec(s("insert into 收费项目 (项目名称,计费模式,收零用量,阶梯收费,自动损耗,损耗位数) values "
           "('燃气','基本用量模式','开启','开启','关闭','十分位')"));
    tariffs::FeeItemsWindow w;
    QTableView* list = unit<QTableView>(&w, "超级列表框_收费项目");

    ui.expect_box(s("请选择待修改的收费项目!"));
    button(&w, "修改")->click();
    EXPECT_TRUE(ui.modal_windows().isEmpty());

    select_row(list, s("项目名称"), s("燃气"));
    ui.on_modal(s("tariffs::FeeItemInfoWindow"), [](QDialog* d) {
        EXPECT_FALSE(edit(d, "编辑框_项目名称")->isEnabled());
        EXPECT_EQ(button(d, "按钮_确定")->text(), s("保  存&Q"));
        EXPECT_EQ(combo(d, "组合框_计费模式")->currentText(), s("基本用量模式"));
        EXPECT_EQ(combo(d, "组合框_收零用量")->currentText(), s("开启"));
        EXPECT_EQ(combo(d, "组合框_阶梯收费")->currentText(), s("开启"));
        EXPECT_EQ(combo(d, "组合框_损耗位数")->currentText(), s("十分位"));
        // Picking actual usage switches zero usage off; it may be switched on again.
        choose(combo(d, "组合框_计费模式"), s("实际用量模式"));
        EXPECT_EQ(combo(d, "组合框_收零用量")->currentText(), s("关闭"));
        choose(combo(d, "组合框_收零用量"), s("开启"));
        choose(combo(d, "组合框_损耗位数"), s("百分位"));
        button(d, "按钮_确定")->click();
        return d->result();
    });
    ui.expect_box(s("执行成功!"));
    button(&w, "修改")->click();
    EXPECT_EQ(rows(s("select 计费模式,收零用量,阶梯收费,损耗位数 from 收费项目 where 项目名称='燃气'")),
              (QList<QStringList>{{s("实际用量模式"), s("开启"), s("开启"), s("百分位")}}));
    EXPECT_EQ(value(s("select 备注 from 日志管理")), s("修改收费项目【燃气】"));
}

TEST_F(FeeItems, SystemItemsStayOthersGoAfterOk) {
    exec(s("insert into 收费项目 (项目名称) values ('燃气')"));
    exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格) values (2,'民用','燃气',3)"));
    tariffs::FeeItemsWindow w;
    QTableView* list = unit<QTableView>(&w, "超级列表框_收费项目");
    QPushButton* remove = button(&w, "删除");

    ui.expect_box(s("请选择待删除的收费项目!"));
    remove->click();
    for (const char* name : {"物业", "电费", "水费"}) {
        select_row(list, s("项目名称"), s(name));
        ui.expect_box(s("收费项目【") + s(name) + s("】为系统默认，不能删除！"));
        remove->click();
    }
    select_row(list, s("项目名称"), s("燃气"));
    ui.expect_box(s("确定要删除收费项目【燃气】的记录吗？"), MsgResult::Cancel);
    remove->click();
    EXPECT_EQ(ui.boxes().back().caption, s("警告"));
    EXPECT_EQ(ui.boxes().back().buttons, platform::MsgButtons::OkCancel);
    EXPECT_EQ(count(s("select count(*) from 收费项目")), 4);

    ui.expect_box(s("确定要删除收费项目【燃气】"), MsgResult::Ok).expect_box(s("删除成功!"));
    remove->click();
    EXPECT_EQ(count(s("select count(*) from 收费项目")), 3);
    EXPECT_EQ(listed(list).size(), 3);
    // Nothing follows the delete: the category keeps its fee item's name.
    EXPECT_EQ(count(s("select count(*) from 水价类别 where 收费项目='燃气'")), 1);
    EXPECT_EQ(ui.beep_count(), 2);
}

TEST_F(FeeItems, MenuEntryNeedsThePermission) {
    shell::current_operator = s("张三");
    ui.expect_box(s("您没有取得授权！"));
    tariffs::on_menu_fee_items();
    EXPECT_TRUE(ui.modal_windows().isEmpty());
    exec(s("insert into 权限管理 (当前项目,人员姓名,权限标识) values ('收费项目设置','张三',1)"));
    ui.on_modal(s("tariffs::FeeItemsWindow"), [](QDialog* w) { return w->result(); });
    tariffs::on_menu_fee_items();
    EXPECT_EQ(ui.modal_windows(), QStringList{s("tariffs::FeeItemsWindow")});
}

// ---- price categories ----

class PriceCategories : public TariffTest {
protected:
    void add(tariffs::PriceCategoriesWindow& w, const QString& item, const QString& name, const QString& price,
             const QString& base = {}, const QString& rate = {}) {
        on_dialog("tariffs::PriceCategoryInfoWindow", "按钮_确定", [=](QDialog* d) {
            if (!item.isEmpty()) choose(combo(d, "组合框_收费项目"), item);
            edit(d, "编辑框_名称")->setText(name);
            edit(d, "编辑框_价格")->setText(price);
            edit(d, "编辑框_基本方")->setText(base);
            edit(d, "编辑框_比例")->setText(rate);
        });
        button(&w, "按钮1")->click();
    }
};

TEST_F(PriceCategories, AddsWithItsChecksAndNumbersByRowCount) {
    tariffs::PriceCategoriesWindow w;
    QTableView* list = unit<QTableView>(&w, "超级列表框1");
    ui.expect_box(s("收费项目不能为空,请选择收费项目或在收费项目设置中添加!"));
    add(w, {}, s("居民"), s("2"));
    ui.expect_box(s("类别名称不能为空!"));
    add(w, s("水费"), s(" "), s("2"));
    ui.expect_box(s("类别价格不能小于等于0!"));
    add(w, s("水费"), s("居民"), s("0.00000001"));

    ui.expect_box(s("添加成功！"));
    add(w, s("水费"), s("居民"), s("2.5"), s("3"), s("5"));
    EXPECT_EQ(ui.boxes().back().caption, s("提示"));
    ui.expect_box(s("待添加的类别名称重复!"));
    add(w, s("水费"), s("居民"), s("3"));
    // The same name under another fee item, and the mixed-use category, are categories too.
    ui.expect_box(s("添加成功！")).expect_box(s("添加成功！"));
    add(w, s("电费"), s("居民"), s("0.56"));
    add(w, s("水费"), s("混合用水"), s("3"));

    EXPECT_EQ(listed(list), (QList<QStringList>{
                                {s("物业"), s("住宅"), s("1.2000"), s("0"), s("0"), s("1")},
                                {s("水费"), s("居民"), s("2.5000"), s("3"), s("5"), s("2")},
                                {s("电费"), s("居民"), s("0.5600"), s("0"), s("0"), s("3")},
                                {s("水费"), s("混合用水"), s("3.0000"), s("0"), s("0"), s("4")},
                            }));
    EXPECT_EQ(value(s("select 备注 from 日志管理 order by ID")), s("添加收费项目：水费价格类别：居民 基本度数：3编号：2"));
}

TEST_F(PriceCategories, RenameIsRefusedOntoANameTheFeeItemHasAndDeleteTakesOnePair) {
    exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values (2,'居民','水费',2.5,0,0)"));
    exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values (3,'商业','水费',4,0,0)"));
    exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values (4,'商业','电费',1,0,0)"));
    tariffs::PriceCategoriesWindow w;
    QTableView* list = unit<QTableView>(&w, "超级列表框1");
    select_row(list, s("编号"), s("3"));

    auto modify = [&](const QString& name, const QString& price) {
        ui.on_modal(s("tariffs::PriceCategoryInfoWindow"), [=](QDialog* d) {
            EXPECT_FALSE(combo(d, "组合框_收费项目")->isEnabled());
            EXPECT_EQ(combo(d, "组合框_收费项目")->currentText(), s("水费"));
            edit(d, "编辑框_名称")->setText(name);
            edit(d, "编辑框_价格")->setText(price);
            button(d, "按钮_确定")->click();
            return d->result();
        });
        button(&w, "修改")->click();
    };
    ui.expect_box(s("类别名称【居民】已存在,不能重复!"));
    modify(s("居民"), s("4"));
    ui.expect_box(s("修改成功！"));
    modify(s("工业"), s("4.5"));
    EXPECT_EQ(rows(s("select 水价类别,价格 from 水价类别 where 编号=3")), (QList<QStringList>{{s("工业"), s("4.5")}}));
    // The other fee item's same-named category is untouched.
    EXPECT_EQ(value(s("select 价格 from 水价类别 where 收费项目='电费'")), s("1"));

    select_row(list, s("收费项目"), s("电费"));
    ui.expect_box(s("确认要删除收费项目【电费】及价格类别【商业】吗？\r\n该操作不可逆,请慎重!"), MsgResult::Yes)
        .expect_box(s("删除收费项目【电费】及价格类别【商业】成功！"));
    button(&w, "删除")->click();
    EXPECT_EQ(count(s("select count(*) from 水价类别")), 3);
    EXPECT_EQ(value(s("select 备注 from 日志管理 order by ID desc")), s("删除价格类别【商业】"));
}

// ---- tiers ----

class Tiers : public TariffTest {
protected:
    void SetUp() override {
        TariffTest::SetUp();
        exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格) values (2,'居民','水费',2)"));
        exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格) values (3,'居民','电费',1)"));
    }
    // Adds a tier through the dialog; `start_seen` gets the start box's text after the pick.
    void add(tariffs::TieredPricesWindow& w, const QString& item, const QString& stop, const QString& price = s("2"),
             QString* start_seen = nullptr) {
        on_dialog("tariffs::TierInfoWindow", "按钮_确定", [=](QDialog* d) {
            EXPECT_EQ(edit(d, "编辑框_起量")->text(), s("0"));
            choose(combo(d, "组合框_收费项目"), item);
            choose(combo(d, "组合框_类别名称"), s("居民"));
            if (start_seen) *start_seen = edit(d, "编辑框_起量")->text();
            edit(d, "编辑框_价格")->setText(price);
            edit(d, "编辑框_止量")->setText(stop);
        });
        button(&w, "按钮1")->click();
    }
    QList<QStringList> tiers(const QString& item) {
        return rows(s("select 阶梯序号,阶梯起量,阶梯止量,类别价格 from 阶梯信息 where 收费项目=") +
                    platform::sql_quote(item) + s(" order by 阶梯序号"));
    }
};

TEST_F(Tiers, NextStartAndBoundRules) {
    tariffs::TieredPricesWindow w;
    QString start;
    ui.expect_box(s("类别名称【居民】第【1】阶梯方量不能小于等于第【0】阶梯方量【0】方"))
        .expect_box(s("对不起不能改变阶梯起量!"));
    add(w, s("水费"), s("0"), s("2"), &start);
    EXPECT_EQ(start, s("0"));

    ui.expect_box(s("添加成功！"));
    add(w, s("水费"), s("100"), s("2.1"));
    ui.expect_box(s("止量不能小于起量!"));
    add(w, s("水费"), s("100"), s("3"), &start);
    EXPECT_EQ(start, s("101"));
    ui.expect_box(s("类别价格不能小于等于0!"));
    add(w, s("水费"), s("200"), s("0"));
    ui.expect_box(s("添加成功！"));
    add(w, s("水费"), s("200"), s("3"));

    EXPECT_EQ(tiers(s("水费")), (QList<QStringList>{{s("1"), s("0"), s("100"), s("2.1")},
                                                   {s("2"), s("101"), s("200"), s("3")}}));
    EXPECT_EQ(listed(unit<QTableView>(&w, "超级列表框1")).at(1),
              (QStringList{s("水费"), s("居民"), s("3.0000"), s("101至200"), s("2")}));
    EXPECT_EQ(value(s("select 备注 from 日志管理 order by ID desc")),
              s("添加收费项目：水费类别名称：居民 价格：3 起量：101 止量：200 编号：2"));
}

TEST_F(Tiers, NumbersStayUniqueAfterADeleteAndOtherFeeItemsAreUntouched) {
    for (const char* item : {"水费", "电费"})
        for (int k = 1; k <= 3; ++k)
            exec(s("insert into 阶梯信息 (类别名称,收费项目,阶梯序号,阶梯起量,阶梯止量,类别价格) values ('居民','") +
                 s(item) + s("',") + QString::number(k) + u',' + QString::number(k == 1 ? 0 : (k - 1) * 100 + 1) +
                 u',' + QString::number(k * 100) + s(",2)"));
    tariffs::TieredPricesWindow w;
    QTableView* list = unit<QTableView>(&w, "超级列表框1");

    ui.expect_box(s("请选择待删除的阶梯类别！"));
    button(&w, "删除")->click();

    platform::listview_select_row(list, 1);  // 水费 tier 2
    ui.expect_box(s("确认要删除类别名称【居民】且阶梯序号【2】的设置吗？\r\n该操作不可逆,请慎重!"), MsgResult::Yes)
        .expect_box(s("删除成功！"));
    button(&w, "删除")->click();
    EXPECT_EQ(tiers(s("水费")).size(), 2);
    EXPECT_EQ(tiers(s("电费")).size(), 3);
    EXPECT_EQ(rows(s("select 当前项目,备注 from 日志管理")),
              (QList<QStringList>{{s("阶梯气价设置"), s("删除类别名称：居民 阶梯序号：2")}}));

    ui.expect_box(s("添加成功！"));
    add(w, s("水费"), s("400"));
    EXPECT_EQ(tiers(s("水费")).last(), (QStringList{s("4"), s("301"), s("400"), s("2")}));

    // Modifying 水费 tier 3 takes its previous bound from 水费's tiers and changes 水费 only.
    select_row(list, s("阶梯区间"), s("201至300"));
    ASSERT_EQ(platform::listview_cell_text(list, platform::listview_selected_row(list), 0), s("水费"));
    ui.on_modal(s("tariffs::TierInfoWindow"), [](QDialog* d) {
        EXPECT_FALSE(combo(d, "组合框_类别名称")->isEnabled());
        EXPECT_EQ(edit(d, "编辑框_起量")->text(), s("201"));
        EXPECT_EQ(edit(d, "编辑框_止量")->text(), s("300"));
        edit(d, "编辑框_止量")->setText(s("350"));
        edit(d, "编辑框_价格")->setText(s("2.8"));
        button(d, "按钮_确定")->click();
        return d->result();
    });
    ui.expect_box(s("修改成功！"));
    button(&w, "修改")->click();
    EXPECT_EQ(tiers(s("水费")).at(1), (QStringList{s("3"), s("201"), s("350"), s("2.8")}));
    EXPECT_EQ(tiers(s("电费")).at(2), (QStringList{s("3"), s("201"), s("300"), s("2")}));
}

// ---- surcharges ----

TEST_F(TariffTest, SurchargesAddRefuseDuplicatesAndDeleteWithinTheirFeeItem) {
    exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格) values (2,'居民','水费',2)"));
    exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格) values (3,'居民','电费',1)"));
    tariffs::SurchargesWindow w;
    QTableView* list = unit<QTableView>(&w, "超级列表框1");
    auto add = [&](const QString& item, const QString& name, const QString& price, const QString& method) {
        on_dialog("tariffs::SurchargeInfoWindow", "按钮_确定", [=](QDialog* d) {
            EXPECT_EQ(combo(d, "组合框_计费方式")->currentText(), s("按用量"));
            choose(combo(d, "组合框_收费项目"), item);
            EXPECT_EQ(combo(d, "组合框_类别名称")->currentIndex(), -1);
            choose(combo(d, "组合框_类别名称"), s("居民"));
            choose(combo(d, "组合框_计费方式"), method);
            edit(d, "编辑框_名称")->setText(name);
            edit(d, "编辑框_价格")->setText(price);
        });
        button(&w, "按钮1")->click();
    };
    ui.expect_box(s("附加费名称不能为空!"));
    add(s("水费"), s(" "), s("1"), s("按用量"));
    ui.expect_box(s("附加费价格不能小于等于0!"));
    add(s("水费"), s("污水处理费"), s("abc"), s("按用量"));
    ui.expect_box(s("添加成功！")).expect_box(s("添加成功！"));
    add(s("水费"), s("污水处理费"), s("0.8"), s("按用量"));
    add(s("电费"), s("污水处理费"), s("5"), s("固定金额"));
    ui.expect_box(s("待添加的附加费名称重复!"));
    add(s("水费"), s(" 污水处理费"), s("1"), s("按用量"));

    EXPECT_EQ(listed(list), (QList<QStringList>{{s("水费"), s("居民"), s("按用量"), s("污水处理费"), s("0.80")},
                                                {s("电费"), s("居民"), s("固定金额"), s("污水处理费"), s("5.00")}}));

    select_row(list, s("收费项目"), s("电费"));
    ui.on_modal(s("tariffs::SurchargeInfoWindow"), [](QDialog* d) {
        EXPECT_EQ(combo(d, "组合框_计费方式")->currentText(), s("固定金额"));
        EXPECT_EQ(edit(d, "编辑框_价格")->text(), s("5.00"));
        edit(d, "编辑框_价格")->setText(s("6"));
        button(d, "按钮_确定")->click();
        return d->result();
    });
    ui.expect_box(s("修改成功！"));
    button(&w, "修改")->click();
    EXPECT_EQ(value(s("select 价格 from 附加费 where 收费项目='水费'")), s("0.8"));
    EXPECT_EQ(value(s("select 价格 from 附加费 where 收费项目='电费'")), s("6"));

    select_row(list, s("收费项目"), s("水费"));
    ui.expect_box(s("确认要删除电价类别【居民】附加费为【污水处理费】吗？"), MsgResult::Yes)
        .expect_box(s("删除电价类别【居民】附加费为【污水处理费】成功！"));
    button(&w, "删除")->click();
    EXPECT_EQ(ui.boxes().back().caption, s("删除成功"));
    EXPECT_EQ(rows(s("select 收费项目 from 附加费")), (QList<QStringList>{{s("电费")}}));
}

// ---- monthly base-quantity windows ----

TEST_F(TariffTest, BaseQuantityWindowsAddInOrderOfChecksAndDeleteByNumber) {
    exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格) values (2,'居民','水费',2)"));
    tariffs::MonthlyBaseAdjustWindow w;
    QTableView* list = unit<QTableView>(&w, "调整列表框");
    QPushButton* add = button(&w, "按钮_添加");
    EXPECT_EQ(items(combo(&w, "组合框_收费项目")), (QStringList{s("物业"), s("电费"), s("水费")}));

    ui.expect_box(s("请选择价格类别！"));
    add->click();
    choose(combo(&w, "组合框_收费项目"), s("水费"));
    EXPECT_EQ(items(combo(&w, "组合框_价格类别")), QStringList{s("居民")});
    choose(combo(&w, "组合框_价格类别"), s("居民"));
    ui.expect_box(s("方数不能小于等于0！"));
    add->click();

    unit<QDateEdit>(&w, "日期框_起")->setDate(QDate(2012, 9, 5));
    unit<QDateEdit>(&w, "日期框_止")->setDate(QDate(2012, 9, 30));
    edit(&w, "编辑框_方数")->setText(s("7.5"));
    ui.expect_box(s("添加成功！"));
    add->click();
    EXPECT_EQ(rows(s("select 抄表日起,抄表日止,用水类型,基本方,收费项目 from 基本方调整")),
              (QList<QStringList>{{s("2012-09-05"), s("2012-09-30"), s("居民"), s("7.5"), s("水费")}}));
    EXPECT_EQ(listed(list), (QList<QStringList>{{s("1"), s("2012年9月5日"), s("2012年9月30日"), s("水费"), s("居民"),
                                                 s("7.5")}}));
    EXPECT_EQ(edit(&w, "编辑框_方数")->text(), s("7.5"));

    button(&w, "按钮_删除")->click();  // nothing selected: nothing happens
    platform::listview_select_row(list, 0);
    ui.expect_box(s("确认要删除编号【1】的记录吗？"), MsgResult::Yes).expect_box(s("删除成功！"));
    button(&w, "按钮_删除")->click();
    EXPECT_EQ(count(s("select count(*) from 基本方调整")), 0);
    EXPECT_EQ(log_rows_text(), s("基本设置|单月收费设置|添加单月基本用量调整条件！\n"
                                 "基本设置|单月收费设置|删除单月基本方调整条件编号：1"));
}

// A failed add or delete shows the database's text in a box with Cancel, Try Again and
// Continue; whichever is pressed, the box closes and nothing more happens.
TEST_F(TariffTest, BaseQuantityWindowFailureBoxOffersThreeButtonsThatEachClose) {
    exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格) values (2,'居民','水费',2)"));
    exec(s("insert into 基本方调整 (抄表日起,抄表日止,用水类型,基本方,收费项目) values "
           "('2012-9-1','2012-9-30','居民',5,'水费')"));
    // Triggers straight through SQLite make both statements fail.
    for (const char* trigger :
         {"CREATE TRIGGER no_add BEFORE INSERT ON 基本方调整 BEGIN SELECT RAISE(ABORT,'disk is full'); END",
          "CREATE TRIGGER no_delete BEFORE DELETE ON 基本方调整 BEGIN SELECT RAISE(ABORT,'database is locked'); END"}) {
        ASSERT_EQ(sqlite3_exec(platform::db_handle(store::main_connection()), trigger, nullptr, nullptr, nullptr), SQLITE_OK);
        platform::db_schema_changed(store::main_connection());
    }
    tariffs::MonthlyBaseAdjustWindow w;
    QTableView* list = unit<QTableView>(&w, "调整列表框");
    choose(combo(&w, "组合框_收费项目"), s("水费"));
    choose(combo(&w, "组合框_价格类别"), s("居民"));
    edit(&w, "编辑框_方数")->setText(s("7"));
    for (const MsgResult answer : {MsgResult::Cancel, MsgResult::TryAgain, MsgResult::Continue}) {
        const size_t before = ui.boxes().size();
        ui.expect_box(s("disk is full"), answer);
        button(&w, "按钮_添加")->click();
        ASSERT_EQ(ui.boxes().size(), before + 1);
        EXPECT_EQ(ui.boxes().back().buttons, platform::MsgButtons::CancelTryContinue);
        EXPECT_EQ(ui.boxes().back().icon, platform::MsgIcon::None);

        platform::listview_select_row(list, 0);
        ui.expect_box(s("确认要删除编号【1】的记录吗？"), MsgResult::Yes)
            .expect_box(s("database is locked"), answer);
        button(&w, "按钮_删除")->click();
        ASSERT_EQ(ui.boxes().size(), before + 3);
        EXPECT_EQ(ui.boxes().back().buttons, platform::MsgButtons::CancelTryContinue);
    }
    EXPECT_EQ(count(s("select count(*) from 基本方调整")), 1);
    EXPECT_EQ(log_rows_text(), QString());
}

// ---- banks ----

TEST_F(TariffTest, BanksAddTrimmedNamesOnceAndDeleteAfterYes) {
    tariffs::BanksWindow w;
    QTableView* list = unit<QTableView>(&w, "超级列表框1");
    QLineEdit* name = edit(&w, "编辑框1");
    ui.expect_box(s("待添加的开户银行名称不能为空！"));
    button(&w, "按钮1")->click();
    name->setText(s(" 农业银行 "));
    ui.expect_box(s("添加开户银行【农业银行】成功！"));
    button(&w, "按钮1")->click();
    EXPECT_TRUE(name->text().isEmpty());
    name->setText(s("农业银行　"));
    ui.expect_box(s("待添加的开户银行名称重复！"));
    button(&w, "按钮1")->click();
    EXPECT_EQ(listed(list), (QList<QStringList>{{s("农业银行")}}));

    ui.expect_box(s("请选择待删除的开户银行！"));
    button(&w, "删除")->click();
    platform::listview_select_row(list, 0);
    ui.expect_box(s("确认要删除开户银行【农业银行】吗？\r\n该操作不可逆,请慎重!"), MsgResult::No);
    button(&w, "删除")->click();
    ui.expect_box(s("确认要删除开户银行"), MsgResult::Yes).expect_box(s("删除开户银行【农业银行】成功！"));
    button(&w, "删除")->click();
    EXPECT_EQ(ui.boxes().back().caption, s("删除成功"));
    EXPECT_EQ(count(s("select count(*) from 开户银行")), 0);
    EXPECT_EQ(log_rows_text(), s("基本设置|开户银行设置|添加开户银行【农业银行】\n"
                                 "基本设置|开户银行设置|删除开户银行【农业银行】"));
}

}  // namespace

namespace tariffs_test {
namespace {

// No list of the price book cuts a column's title, in the skin the program starts with.
TEST_F(TariffTest, ListHeadersAreWhole) {
    shell::skin_attach(harness::shipped_program_folder() + s("/Skin/默认.she"));
    std::vector<std::unique_ptr<QDialog>> windows;
    windows.push_back(std::make_unique<tariffs::FeeItemsWindow>());
    windows.push_back(std::make_unique<tariffs::PriceCategoriesWindow>());
    windows.push_back(std::make_unique<tariffs::TieredPricesWindow>());
    windows.push_back(std::make_unique<tariffs::SurchargesWindow>());
    for (const auto& window : windows) {
        window->show();
        QHeaderView* header = window->findChild<QTableView*>()->horizontalHeader();
        for (int c = 0; c < header->count(); ++c)
            EXPECT_LE(header->sectionSizeHint(c), header->sectionSize(c))
                << window->metaObject()->className() << ' '
                << header->model()->headerData(c, Qt::Horizontal).toString().toStdString();
    }
    shell::skin_reset();
}

}  // namespace
}  // namespace tariffs_test
