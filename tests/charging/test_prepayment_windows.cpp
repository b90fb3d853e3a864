// The prepayment windows driven as a cashier would: take a prepayment (the household's bills
// paid from it, the receipts printed after), look the prepayments up on the page, change, void
// and reprint one, with the refusals on the way.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

#include "charging/batch_charging.h"
#include "charging/charging_hooks.h"
#include "charging/prepayment_entry_window.h"
#include "charging/prepayment_page.h"
#include "charging/prepayment_query_window.h"
#include "charging/prepayments.h"
#include "charging/prepayments_install.h"
#include "charging_fixture.h"
#include "platform/listview.h"
#include "shell/main_window.h"
#include "shell/settings_keys.h"
#include "ui_prepayment_entry_window.h"
#include "ui_prepayment_page.h"
#include "ui_prepayment_query_window.h"

namespace charging_test {
namespace {

class PrepaymentWindows : public ChargingWindowTest {
protected:
    void SetUp() override {
        ChargingWindowTest::SetUp();
        shell::system_parameters.payment_serial_digits = 6;
        shell::current_operator = s("李四");
        household("0001", "王五", "东区", "3号楼", "C77");
        household("0002", "赵六", "西区", "5号楼", "C88");
        bill("0001", 101, 30, 30);
        bill("0001", 102, 50, 50);
        exec(s("insert into 收费员 (收费人员,密码,许可) values ('李四','',1),('王收','',1)"));
        charging::prepay_receipt_printer() = [this](qint64 receipt, double settled) {
            printed.push_back(receipt);
            settled_with_it.push_back(settled);
            return true;
        };
        charging::prepayment_entry_mode = 0;
    }
    void grant(const char* item, const char* who = "李四") {
        exec(s("insert into 权限管理 (当前项目,人员姓名,权限标识) values (") + q(s(item)) + u',' +
             q(s(who)) + s(",1)"));
    }
    // A prepayment through the add window, as 李四.
    void take(const char* household, const char* amount) {
        charging::PrepaymentEntryWindow w(nullptr);
        w.form()->编辑框_户号->setText(s(household));
        w.form()->编辑框_预存金额->setText(s(amount));
        w.form()->选择框_打印->setChecked(false);
        ui.expect_box(s("添加成功！"));
        w.on_prepay_charge_click();
    }
    // Fills the page with every prepayment, receipt numbers ascending.
    void list_all(charging::PrepaymentPage& page) {
        ui.on_modal(s("PrepaymentQueryWindow"), [](QDialog* d) {
            auto* w = static_cast<charging::PrepaymentQueryWindow*>(d);
            w->form()->单选框_预存日期->setAutoExclusive(false);
            w->form()->单选框_预存日期->setChecked(false);
            w->form()->组合框_排序->setCurrentIndex(2);
            w->on_prepay_query_ok_click();
            return w->result();
        });
        page.on_main_prepay_query_click();
    }
    QStringList row(QTableView* list, int r) {
        QStringList cells;
        for (int c = 0; c < platform::listview_column_count(list); ++c)
            cells << platform::listview_cell_text(list, r, c);
        return cells;
    }
    std::vector<qint64> printed;
    std::vector<double> settled_with_it;  // what each printed deposit paid as it was taken
};

TEST_F(PrepaymentWindows, TakeAPrepaymentThatPaysABill) {
    charging::PrepaymentEntryWindow w(nullptr);
    ASSERT_TRUE(w.opened());
    Ui::PrepaymentEntryWindow* f = w.form();
    EXPECT_EQ(w.windowTitle(), s("预存添加"));
    EXPECT_EQ(f->收费人员选择框->count(), 1);
    EXPECT_EQ(f->收费人员选择框->currentText(), s("李四"));
    EXPECT_EQ(f->编辑框_打印发票张数->text(), s("2"));  // no 发票张数 setting
    EXPECT_EQ(f->编辑框_户号->text(), s(""));
    EXPECT_TRUE(f->选择框_打印->isChecked());
    EXPECT_EQ(f->日期框_预存收费->date(), QDate(2024, 3, 20));

    f->编辑框_磁卡号码->setText(s("C77"));
    w.on_prepay_household_enter();
    EXPECT_EQ(f->编辑框_户号->text(), s("0001"));
    EXPECT_EQ(f->编辑框_户名->text(), s("王五"));
    EXPECT_EQ(f->编辑框_街道->text(), s("东区"));
    EXPECT_EQ(f->编辑框_地址->text(), s("3号楼"));

    f->编辑框_预存金额->setText(s("40"));
    ui.expect_box(s("添加成功！"));
    w.on_prepay_charge_click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(printed, (std::vector<qint64>{1000000001, 1000000001}));
    // The receipt is told what the deposit paid at once (bill 101's 30.00), for its 上期结余.
    EXPECT_EQ(settled_with_it, (std::vector<double>{30, 30}));
    EXPECT_EQ(rows(s("select 收据号,户号,预存金额,收费人员,标志 from 预存明细")),
              (QList<QStringList>{{s("1000000001"), s("0001"), s("40"), s("李四"), s("1")}}));
    EXPECT_EQ(rows(s("select 收据号,收费标志,预存扣款,流水号 from 总收费 order by 收据号")),
              (QList<QStringList>{{s("101"), s("0"), s("30"), s("1000001")},
                                  {s("102"), s("1"), s("0"), s("")}}));
}

TEST_F(PrepaymentWindows, EntryRefusals) {
    shell::system_parameters.household_number_prefix = s("00");
    charging::PrepaymentEntryWindow w(nullptr);
    Ui::PrepaymentEntryWindow* f = w.form();
    // The prefix left in the number box wins over the card number.
    f->编辑框_户号->setText(s("00"));
    f->编辑框_磁卡号码->setText(s("C77"));
    ui.expect_box(s("无此用户,请重新输入用户信息！"));
    w.on_prepay_household_enter();
    EXPECT_EQ(f->编辑框_户号->text(), s("00"));
    EXPECT_EQ(f->编辑框_户名->text(), s(""));

    f->编辑框_户号->setText(s("0001"));
    ui.expect_box(s("预存金额不能小于等于零！"));
    w.on_prepay_charge_click();
    f->编辑框_户号->setText(s("0009"));
    f->编辑框_预存金额->setText(s("5"));
    ui.expect_box(s("无此用户！"));
    w.on_prepay_charge_click();
    EXPECT_NE(w.result(), QDialog::Accepted);
    EXPECT_EQ(f->编辑框_户号->selectedText(), s("0009"));
    EXPECT_EQ(count(s("select count(*) from 预存明细")), 0);
    EXPECT_TRUE(printed.empty());
}

TEST_F(PrepaymentWindows, TheAdministratorChoosesTheCollector) {
    shell::current_operator = s("管理员");
    charging::PrepaymentEntryWindow w(nullptr);
    Ui::PrepaymentEntryWindow* f = w.form();
    EXPECT_EQ(f->收费人员选择框->count(), 2);
    EXPECT_EQ(f->收费人员选择框->findText(s("管理员")), -1);
    EXPECT_EQ(f->收费人员选择框->currentIndex(), -1);
    f->编辑框_户号->setText(s("0001"));
    f->编辑框_预存金额->setText(s("5"));
    ui.expect_box(s("请选择收费人员！"));
    w.on_prepay_charge_click();
}

TEST_F(PrepaymentWindows, NoInvoiceLeftClosesTheAddWindow) {
    shell::system_parameters.invoice_management = s("开启");
    ui.expect_box(s("发票已经用完，请设置发票！"));
    charging::PrepaymentEntryWindow w(nullptr);
    EXPECT_FALSE(w.opened());
}

TEST_F(PrepaymentWindows, ThePrepaymentCarriesTheCurrentInvoiceNumber) {
    shell::system_parameters.invoice_management = s("开启");
    exec(s("insert into 发票设置 (发票起号,发票止号,总张数,用完标志) values ('001','100',100,0)"));
    take("0002", "10");
    charging::PrepaymentEntryWindow w(nullptr);
    EXPECT_EQ(w.windowTitle(), s("预存添加  当前发票号：002"));
    EXPECT_EQ(value(s("select 发票号 from 预存明细")), s("001"));
}

TEST_F(PrepaymentWindows, TheCopiesSettingPrefillsTheNumber) {
    exec(s("update pz set 文本='88' where 项目名称='编码前缀'"));
    shell::system_parameters.household_number_prefix = s("88");
    ASSERT_TRUE(shell::settings::kReceiptCopies.write(s("3")));
    charging::PrepaymentEntryWindow w(nullptr);
    EXPECT_EQ(w.form()->编辑框_打印发票张数->text(), s("3"));
    EXPECT_EQ(w.form()->编辑框_户号->text(), s("88"));
    EXPECT_EQ(w.form()->编辑框_户号->selectedText(), s("88"));
}

TEST_F(PrepaymentWindows, PageListsChangesVoidsAndReprints) {
    take("0001", "40");
    take("0002", "12.5");
    charging::PrepaymentPage page;
    QTableView* list = page.prepay_list();
    list_all(page);
    ASSERT_EQ(platform::listview_row_count(list), 3);
    EXPECT_EQ(platform::listview_column_title(list, 0), s("收据号"));
    EXPECT_EQ(row(list, 0).mid(0, 3), (QStringList{s("№000000001"), s("0001"), s("王五")}));
    EXPECT_EQ(row(list, 2).value(0), s("合计："));
    EXPECT_EQ(row(list, 2).value(8), s("52.50"));
    EXPECT_EQ(platform::listview_model(list)
                  ->data(platform::listview_model(list)->index(2, 8), Qt::ForegroundRole)
                  .value<QColor>(),
              QColor(255, 0, 0));

    // Nothing selected, then the totals row: no action, no menu.
    ui.expect_box(s("请选择待作废的预存记录！"));
    page.on_main_prepay_void_click();
    platform::listview_select_row(list, 2);
    EXPECT_FALSE(page.on_main_prepay_list_right_click(QPoint()));

    // Without the rights, then another collector's row.
    platform::listview_select_row(list, 1);
    ui.expect_box(s("您没有取得授权！"));
    page.on_main_prepay_edit_click();
    grant("预存修改");
    grant("预存作废");
    grant("流水号重打");
    exec(s("update 预存明细 set 收费人员='王收' where 收据号=1000000002"));
    ui.expect_box(s("只有管理员或该条记录的收费人员才能修改。"));
    page.on_main_prepay_edit_click();
    ui.expect_box(s("只有管理员或该条记录的收费人员才能作废。"));
    page.on_main_prepay_void_click();
    ui.expect_box(s("您不是管理员不能操作!"));
    page.on_main_prepay_list_double_click();

    // The administrator's double-click on the totals row finds nothing to change.
    shell::current_operator = s("管理员");
    platform::listview_select_row(list, 2);
    const qsizetype modals = ui.modal_windows().size();
    ui.expect_box(s("请在列设置中选择显示收据号列！"));
    page.on_main_prepay_list_double_click();
    EXPECT_EQ(ui.modal_windows().size(), modals);
    shell::current_operator = s("李四");

    // Change the own row: the list shows the day's prepayments afterwards.
    platform::listview_select_row(list, 0);
    ui.on_modal(s("PrepaymentEntryWindow"), [](QDialog* d) {
        auto* w = static_cast<charging::PrepaymentEntryWindow*>(d);
        EXPECT_EQ(w->windowTitle(), s("预存修改－收据号(№000000001)"));
        EXPECT_EQ(w->form()->编辑框_预存金额->text(), s("40.00"));
        EXPECT_EQ(w->form()->收费人员选择框->currentText(), s("李四"));
        w->form()->编辑框_预存金额->setText(s("45"));
        w->form()->选择框_打印->setChecked(false);
        w->on_prepay_charge_click();
        return w->result();
    });
    ui.expect_box(s("修改成功！"));
    page.on_main_prepay_edit_click();
    EXPECT_EQ(value(s("select 预存金额 from 预存明细 where 收据号=1000000001")), s("45"));
    ASSERT_EQ(platform::listview_row_count(list), 3);  // both rows of 2024-03-20, newest first
    EXPECT_EQ(row(list, 0).value(0), s("№000000002"));
    EXPECT_EQ(row(list, 2).value(8), s("57.50"));

    // Void, answering no, then yes.
    platform::listview_select_row(list, 1);
    ui.expect_box(s("确定要作废预存收据号【№000000001】的记录吗？"), platform::MsgResult::No);
    page.on_main_prepay_void_click();
    EXPECT_EQ(value(s("select 标志 from 预存明细 where 收据号=1000000001")), s("1"));
    ui.expect_box(s("确定要作废预存收据号【№000000001】的记录吗？"), platform::MsgResult::Yes)
        .expect_box(s("作废预存记录收据号【№000000001】成功！"));
    page.on_main_prepay_void_click();
    EXPECT_EQ(ui.boxes().back().caption, s("作废成功"));
    EXPECT_EQ(ui.boxes()[ui.boxes().size() - 2].caption, s("提示作废"));
    EXPECT_EQ(value(s("select 标志 from 预存明细 where 收据号=1000000001")), s("2"));
    EXPECT_EQ(value(s("select 收费标志 from 总收费 where 收据号=101")), s("0"));

    // A void row cannot be changed; its receipt can be printed again.
    ui.expect_box(s("此收据已经作废不能修改！"));
    page.on_main_prepay_edit_click();
    printed.clear();
    page.on_main_prepay_reprint_click();
    EXPECT_EQ(printed, (std::vector<qint64>{1000000001}));
}

TEST_F(PrepaymentWindows, QueryWindowRefusesAnEmptyFieldAndStaysOpen) {
    charging::PrepaymentPage page;
    charging::PrepaymentQueryWindow w(page.prepay_list());
    Ui::PrepaymentQueryWindow* f = w.form();
    EXPECT_TRUE(f->单选框_预存日期->isChecked());
    f->单选框_户名->setChecked(true);
    ui.expect_box(s("待查询的户名不能为空！"));
    w.on_prepay_query_ok_click();
    EXPECT_NE(w.result(), QDialog::Accepted);
    f->编辑框_户名->setText(s("王"));
    w.on_prepay_query_ok_click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(platform::listview_row_count(page.prepay_list()), 1);  // the totals row alone
}

TEST_F(PrepaymentWindows, QuickQueriesAndTheInstalledEntries) {
    take("0001", "40");
    shell::MainWindow window;
    charging::install_prepayments(window);
    charging::PrepaymentPage* page = charging::prepayment_page();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(window.content_page_widget(shell::kPagePrepayments), page);

    ASSERT_TRUE(window.run_action(s("on_main_nav_prepay_query_click")));
    EXPECT_EQ(window.content_tabs()->currentIndex(), shell::kPagePrepayments);
    EXPECT_EQ(platform::listview_column_count(page->prepay_list()), 13);
    EXPECT_EQ(platform::listview_row_count(page->prepay_list()), 0);

    ui.expect_input(s("C77"));
    page->on_main_prepay_by_card_click();
    EXPECT_EQ(ui.inputs().back().caption, s("扣款明细查询--按磁卡号码"));
    EXPECT_EQ(platform::listview_row_count(page->prepay_list()), 2);
    ui.cancel_input();
    page->on_main_prepay_by_invoice_click();
    EXPECT_EQ(platform::listview_row_count(page->prepay_list()), 2);

    // Batch charging's settlement asks for the right of the balance page.
    ASSERT_TRUE(charging::batch_pay_from_prepayments_hook());
    ui.expect_box(s("您没有取得授权！"));
    charging::batch_pay_from_prepayments_hook()(shell::program_context());

    ui.expect_box(s("您没有取得授权！"));
    window.run_action(s("on_main_nav_add_prepayment_click"));
}

}  // namespace
}  // namespace charging_test
