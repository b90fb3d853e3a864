// The reductions page, its two windows and the late-fee window, driven as a clerk would: the
// settings list and its edits, the details query, deletion in both forms, the refusals on the
// totals rows and on a hidden key column, and the late-fee rule saved from its window.
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include "charging/late_fee_window.h"
#include "charging/reduction_page.h"
#include "charging/reduction_settings.h"
#include "charging/reduction_windows.h"
#include "charging/reductions_install.h"
#include "charging_fixture.h"
#include "platform/listview.h"
#include "shell/main_window.h"
#include "ui_late_fee_window.h"
#include "ui_reduction_page.h"
#include "ui_reduction_query_window.h"
#include "ui_reduction_settings_window.h"

namespace charging_test {
namespace {

QStringList row_cells(QTableView* list, int row) {
    QStringList cells;
    for (int c = 0; c < platform::listview_column_count(list); ++c)
        cells << platform::listview_cell_text(list, row, c);
    return cells;
}

class ReductionWindows : public ChargingWindowTest {
protected:
    void SetUp() override {
        ChargingWindowTest::SetUp();
        shell::reduction_list_kind.clear();
        charging::edited_reduction_household.clear();
        shell::system_parameters.household_number_prefix = s("00");
        household("0001", "王五", "东区", "3号楼");
        household("0002", "赵六", "西区", "5号楼");
        exec(
            s("insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,性质) "
              "values ('0009','0','总表户','东区','9号楼',1)"));
        exec(s("insert into 街道(街道) values ('东区')"));
        exec(s("insert into 街道(街道) values ('西区')"));
        exec(
            s("insert into 减免设置 (户号,减免方式,减免期限,减免金额,减免次数,减免类型) "
              "values ('0001','部分减免','次数',12.5,3,'按金额')"));
        exec(
            s("insert into 减免设置 (户号,减免方式,减免期限,减免用量,减免次数,减免类型) "
              "values ('0002','全部减免','永久',0,0,'按用量')"));
    }
    void TearDown() override {
        shell::reduction_list_kind.clear();
        charging::edited_reduction_household.clear();
        ChargingTest::TearDown();
    }
    QTableView* list() { return page.reduction_list(); }
    void select(int row) { platform::listview_select_row(list(), row); }

    charging::ReductionPage page;
};

TEST_F(ReductionWindows, SettingsListAndItsTotalsRow) {
    page.on_reduction_query_click();
    EXPECT_EQ(shell::reduction_list_kind, s("减免设置"));
    ASSERT_EQ(platform::listview_row_count(list()), 3);
    EXPECT_EQ(platform::listview_column_title(list(), 0), s("户号"));
    EXPECT_EQ(row_cells(list(), 0),
              (QStringList{s("0001"), s("王五"), s("东区"), s("3号楼"), s("部分减免"), s("次数"),
                           s("12.50"), s("3"), s("0"), s("按金额")}));
    EXPECT_EQ(row_cells(list(), 2).mid(0, 2), (QStringList{s("用户数"), s("2")}));

    select(2);
    ui.expect_box(s("请选择待修改的记录！")).expect_box(s("请选择待删除的记录！"));
    page.on_reduction_edit_click();
    page.on_reduction_delete_click();
    EXPECT_TRUE(ui.modal_windows().isEmpty());
}

TEST_F(ReductionWindows, EditLoadsTheSelectedSettingAndSavesIt) {
    page.fill_reduction_settings_list();
    select(0);
    ui.on_modal(s("ReductionSettingsWindow"), [&](QDialog* d) {
        auto* w = static_cast<charging::ReductionSettingsWindow*>(d);
        Ui::ReductionSettingsWindow* f = w->form();
        EXPECT_EQ(w->windowTitle(), s("减免修改"));
        EXPECT_EQ(f->按钮_添加->text(), s("保存&B"));
        EXPECT_EQ(f->编辑框_户号->text(), s("0001"));
        EXPECT_EQ(f->编辑框_户名->text(), s("王五"));
        EXPECT_EQ(f->编辑框_地址->text(), s("3号楼"));
        EXPECT_EQ(f->选择框_减免方式->currentText(), s("部分减免"));
        EXPECT_EQ(f->编辑框_减免金额->text(), s("12.50"));
        EXPECT_EQ(f->选择框_减免期限->currentText(), s("次数"));
        EXPECT_EQ(f->编辑框_减免次数->text(), s("3"));
        EXPECT_EQ(f->组合框_减免类型->currentText(), s("按金额减免"));
        // Choosing "永久" clears the count with "--".
        f->选择框_减免期限->setCurrentIndex(0);
        emit f->选择框_减免期限->activated(0);
        EXPECT_EQ(f->编辑框_减免次数->text(), s("--"));
        f->编辑框_减免金额->setText(s("20"));
        ui.expect_box(s("修改成功！"));
        f->按钮_添加->click();
        return w->result();
    });
    page.on_reduction_edit_click();
    EXPECT_EQ(rows(s("select 减免期限,减免金额,减免次数 from 减免设置 where 户号='0001'")),
              (QList<QStringList>{{s("永久"), s("20"), s("0")}}));
    EXPECT_EQ(platform::listview_cell_text(list(), 0, 6), s("20.00"));
    EXPECT_EQ(platform::listview_cell_text(list(), 0, 7), s("--"));
}

TEST_F(ReductionWindows, AddThroughTheWindow) {
    exec(s("delete from 减免设置"));
    page.fill_reduction_settings_list();
    ui.on_modal(s("ReductionSettingsWindow"), [&](QDialog* d) {
        auto* w = static_cast<charging::ReductionSettingsWindow*>(d);
        Ui::ReductionSettingsWindow* f = w->form();
        EXPECT_EQ(w->windowTitle(), s("减免设置"));
        EXPECT_EQ(f->编辑框_户号->text(), s("00"));
        EXPECT_EQ(f->编辑框_户号->selectedText(), s("00"));

        // A master-meter household goes back to the prefix.
        f->编辑框_户号->setText(s("0009"));
        ui.expect_box(s("用户性质为总表无效!"));
        w->on_reduction_household_lookup();
        EXPECT_EQ(f->编辑框_户号->text(), s("00"));
        f->编辑框_户号->setText(s("0404"));
        ui.expect_box(s("无此用户！"));
        w->on_reduction_household_lookup();
        EXPECT_EQ(f->编辑框_户号->text(), s(""));

        f->编辑框_户号->setText(s("0002"));
        w->on_reduction_household_lookup();
        EXPECT_EQ(f->编辑框_户名->text(), s("赵六"));
        EXPECT_EQ(f->编辑框_街道->text(), s("西区"));
        f->组合框_减免类型->setCurrentIndex(1);
        f->选择框_减免用量方式->setCurrentIndex(1);
        emit f->选择框_减免用量方式->activated(1);
        EXPECT_EQ(f->编辑框_减免用量->text(), s(""));
        ui.expect_box(s("减免金额不能小于0！"));
        f->按钮_添加->click();
        EXPECT_TRUE(w->isVisible());
        f->编辑框_减免用量->setText(s("6"));
        ui.expect_box(s("添加成功！"));
        f->按钮_添加->click();
        return w->result();
    });
    page.on_reduction_add_click();
    EXPECT_EQ(rows(s("select 户号,减免方式,减免期限,减免用量,减免类型 from 减免设置")),
              (QList<QStringList>{{s("0002"), s("部分减免"), s("永久"), s("6"), s("按用量")}}));
    ASSERT_EQ(platform::listview_row_count(list()), 2);
    EXPECT_EQ(platform::listview_cell_text(list(), 0, 0), s("0002"));
}

TEST_F(ReductionWindows, LeavingTheHouseholdBoxLooksItUpAndEnterMovesOn) {
    charging::ReductionSettingsWindow w(&page);
    Ui::ReductionSettingsWindow* f = w.form();
    w.show();
    w.activateWindow();
    QApplication::setActiveWindow(&w);
    f->编辑框_户号->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(f->编辑框_户号->hasFocus());

    f->编辑框_户号->setText(s("0001"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(f->编辑框_户号, &enter);
    QApplication::processEvents();
    EXPECT_TRUE(f->按钮_添加->hasFocus());
    EXPECT_EQ(f->编辑框_户名->text(), s("王五"));

    f->编辑框_户号->setFocus();
    f->编辑框_户号->setText(s("0009"));
    ui.expect_box(s("用户性质为总表无效!"));
    f->编辑框_地址->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(f->编辑框_户号->text(), s("00"));
    EXPECT_TRUE(f->编辑框_户号->hasFocus());
}

TEST_F(ReductionWindows, DeleteASetting) {
    page.fill_reduction_settings_list();
    select(1);
    ui.expect_box(s("确定要删除减免设置【0002】的记录吗？"), platform::MsgResult::No);
    page.on_reduction_delete_click();
    EXPECT_EQ(count(s("select count(*) from 减免设置")), 2);

    ui.expect_box(s("确定要删除减免设置【0002】的记录吗？"), platform::MsgResult::Yes)
        .expect_box(s("删除减免设置成功!"));
    page.on_reduction_delete_click();
    EXPECT_EQ(ui.boxes()[1].caption, s("提示删除"));
    EXPECT_EQ(ui.boxes()[1].icon, platform::MsgIcon::Question);
    EXPECT_EQ(rows(s("select 户号 from 减免设置")), (QList<QStringList>{{s("0001")}}));
    EXPECT_EQ(platform::listview_row_count(list()), 2);
}

TEST_F(ReductionWindows, DetailsQueryListsAndDeletesAnUnchargedRecord) {
    exec(
        s("insert into 抄表总表 (编号,户号,父号,用量,抄表日期,是否收费,收据号) values "
          "(41,'0001','0001',5,'2024-3-1',1,90),(42,'0001','0001',6,'2024-3-1',1,90)"));
    exec(
        s("insert into 减免明细 (户号,减免金额,减免用量,抄表ID,减免日期,收据号,减免类型) values "
          "('0001',12.5,0,'41|42|','2024-3-2',0,'按金额'),"
          "('0002',0,4,'43|','2024-3-5',1000007,'按用量')"));
    page.fill_reduction_settings_list();
    ui.on_modal(s("ReductionQueryWindow"), [&](QDialog* d) {
        auto* w = static_cast<charging::ReductionQueryWindow*>(d);
        Ui::ReductionQueryWindow* f = w->form();
        EXPECT_TRUE(f->单选框_按户号->isChecked());
        EXPECT_EQ(f->编辑框_户号起->text(), s("00"));
        EXPECT_EQ(f->组合框_街道->currentText(), s("东区"));
        f->编辑框_户号起->clear();
        ui.expect_box(s("户号不能为空！"));
        f->确定->click();
        EXPECT_TRUE(w->isVisible());
        f->单选框_减免日期->setChecked(true);
        f->日期框_起->setDate(QDate(2024, 3, 1));
        f->日期框_止->setDate(QDate(2024, 3, 5));
        f->确定->click();
        return w->result();
    });
    page.on_reduction_details_click();
    EXPECT_EQ(shell::reduction_list_kind, s("减免明细"));
    ASSERT_EQ(platform::listview_row_count(list()), 3);
    EXPECT_EQ(row_cells(list(), 0),
              (QStringList{s("1"), s("0001"), s("王五"), s("东区"), s("3号楼"), s("12.50"), s("0"),
                           s("41|42"), s("2024年3月2日"), s("按金额")}));
    EXPECT_EQ(row_cells(list(), 2).mid(0, 7),
              (QStringList{s("合计:"), s("2"), s(""), s(""), s(""), s("12.50"), s("4")}));

    ui.expect_box(s("只能修改减免设置!"));
    page.on_reduction_edit_click();

    select(2);
    ui.expect_box(s("请选择待删除的记录！"));
    page.on_reduction_delete_click();
    select(1);
    ui.expect_box(s("该明细记录在收费管理中有收费记录,请在收费查询中删除!"));
    page.on_reduction_delete_click();

    select(0);
    ui.expect_box(s("确定要删除减免明细编号【1】的记录吗？"), platform::MsgResult::Yes)
        .expect_box(s("删除减免明细成功!"));
    page.on_reduction_delete_click();
    EXPECT_EQ(count(s("select count(*) from 减免明细")), 1);
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 是否收费=0")), 2);
    // The list is not refilled; deleting the row again says the record is gone.
    EXPECT_EQ(platform::listview_row_count(list()), 3);
    ui.expect_box(s("该减免明细记录已不存在！"));
    page.on_reduction_delete_click();
}

TEST_F(ReductionWindows, AHiddenKeyColumnRefusesDeleteInBothForms) {
    exec(
        s("insert into 减免明细 (户号,减免金额,减免用量,抄表ID,减免日期,收据号,减免类型) values "
          "('0001',1,0,'1|','2024-3-2',0,'按金额')"));
    exec(s("update 查询列 set 显示='假' where 类名='减免明细' and 列名='编号'"));
    exec(s("update 查询列 set 显示='假' where 类名='减免设置' and 列名='户号'"));
    page.fill_reduction_details_list(
        s("select 减免明细.编号,减免明细.户号,用户表.用户名,用户表.居住街道,"
          "用户表.详细地址,减免明细.减免金额,减免明细.抄表ID,减免明细.减免日期,"
          "减免明细.减免用量,减免明细.减免类型 from 减免明细,用户表 "
          "where 用户表.户号=减免明细.户号"));
    select(0);
    ui.expect_box(s("请在查询列在设置显示户号列!"));
    page.on_reduction_delete_click();
    page.fill_reduction_settings_list();
    select(0);
    ui.expect_box(s("请在查询列在设置显示户号列!")).expect_box(s("请在查询列在设置显示户号列!"));
    page.on_reduction_delete_click();
    page.on_reduction_edit_click();
    EXPECT_EQ(count(s("select count(*) from 减免明细")), 1);
    EXPECT_EQ(count(s("select count(*) from 减免设置")), 2);
}

// The page has no navigation entry: its menu item shows to whoever holds a reduction right.
TEST_F(ReductionWindows, MenuEntryShowsToHoldersOfAReductionRight) {
    shell::MainWindow window;
    charging::install_reductions(window);
    auto* entry = window.findChild<QAction*>(s("菜单_减免管理"));
    auto* menu = window.findChild<QMenu*>(s("菜单_基本设置"));
    ASSERT_TRUE(entry && menu);
    const auto visible_to = [&](const char* who) {
        shell::current_operator = s(who);
        emit menu->aboutToShow();
        return entry->isVisible();
    };
    EXPECT_TRUE(visible_to("管理员"));
    EXPECT_FALSE(visible_to("李四"));
    exec(s("insert into 权限管理 (权限标识,当前项目,人员姓名) values (1,'减免查询','李四')"));
    EXPECT_TRUE(visible_to("李四"));
    ASSERT_TRUE(window.run_action(s("on_main_menu_reductions_click")));
    EXPECT_EQ(window.content_tabs()->currentIndex(), shell::kPageReductions);
}

TEST_F(ReductionWindows, PermissionsAndTheReductionRun) {
    shell::current_operator = s("李四");
    ui.expect_box(s("您没有取得授权！"))
        .expect_box(s("您没有取得授权！"))
        .expect_box(s("您没有取得授权！"))
        .expect_box(s("您没有取得授权！"))
        .expect_box(s("您没有取得授权！"))
        .expect_box(s("您没有取得授权！"))
        .expect_box(s("您没有取得授权！"));
    page.on_reduction_query_click();
    page.on_reduction_add_click();
    page.on_reduction_edit_click();
    page.on_reduction_apply_click();
    page.on_reduction_details_click();
    page.on_reduction_delete_click();
    charging::on_main_menu_late_fee_click();
    EXPECT_TRUE(ui.modal_windows().isEmpty());

    exec(s("insert into 权限管理 (当前项目,人员姓名,权限标识) values ('执行减免','李四',1)"));
    ui.expect_box(s("执行成功！"));
    page.on_reduction_apply_click();
}

TEST_F(ReductionWindows, LateFeeWindowOpensOnTheRuleAndSavesIt) {
    exec(s("update pz set 文本='开启' where 项目名称='滞纳金计费'"));
    exec(s("update pz set 文本='固定金额' where 项目名称='滞纳金计费方式'"));
    exec(s("update pz set 文本='2' where 项目名称='滞纳金值'"));
    shell::load_system_parameters();
    ui.on_modal(s("LateFeeWindow"), [&](QDialog* d) {
        auto* w = static_cast<charging::LateFeeWindow*>(d);
        Ui::LateFeeWindow* f = w->form();
        EXPECT_EQ(w->windowTitle(), s("滞纳金设置"));
        EXPECT_EQ(f->组合框_状态->currentText(), s("开启"));
        EXPECT_EQ(f->组合框_计算方式->currentText(), s("固定金额"));
        EXPECT_EQ(f->编辑框_利率->text(), s("2"));
        EXPECT_EQ(f->组合框_日期->count(), 29);
        EXPECT_EQ(f->组合框_日期->currentText(), s("每月最后一天"));
        EXPECT_EQ(f->标签3->text(), s("滞纳金固定金额："));
        EXPECT_EQ(f->标签4->text(), s("元 (/月)"));
        f->编辑框_利率->setText(s("1.50"));
        f->组合框_计算方式->setCurrentText(s("按利率"));
        EXPECT_EQ(f->标签3->text(), s("滞纳金税率设置："));
        EXPECT_EQ(f->标签4->text(), s("‰ (/天)"));
        EXPECT_EQ(f->编辑框_利率->text(), s("1.50"));
        f->组合框_日期->setCurrentIndex(-1);
        ui.expect_box(s("保存成功！"));
        f->按钮_保存->click();
        return w->result();
    });
    charging::on_main_menu_late_fee_click();
    EXPECT_EQ(ui.modal_windows().size(), 1);
    const auto stored = [&](const char* key) {
        return value(s("select 文本 from pz where 项目名称=") + q(s(key)));
    };
    EXPECT_EQ(stored("滞纳金计费"), s("开启"));
    EXPECT_EQ(stored("滞纳金计费方式"), s("按利率"));
    EXPECT_EQ(stored("滞纳金值"), s("1.5"));
    EXPECT_EQ(stored("滞纳金结算日期"), s(""));
    EXPECT_EQ(shell::system_parameters.late_fee_mode, s("按利率"));

    // A day stored as "28" opens on "28"; 返回 closes without writing.
    exec(s("update pz set 文本='28' where 项目名称='滞纳金结算日期'"));
    shell::load_system_parameters();
    charging::LateFeeWindow w;
    EXPECT_EQ(w.form()->组合框_日期->currentText(), s("28"));
    w.form()->按钮_返回->click();
    EXPECT_EQ(w.result(), QDialog::Rejected);
}

}  // namespace
}  // namespace charging_test
