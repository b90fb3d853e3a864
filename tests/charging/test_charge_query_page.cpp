// The 收费查询 page in the main window, driven as a clerk would: the entry, the query window's
// three tabs, the quick look-ups, voiding and editing a payment from the list, the popup's
// reprint and the receipt reprint window.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>

#include "charging/charge_queries.h"
#include "charging/charge_queries_install.h"
#include "charging/charge_query_page.h"
#include "charging/charge_query_window.h"
#include "charging/charge_record_edit_window.h"
#include "charging/charging_hooks.h"
#include "charging/payment_changes.h"
#include "charging/payments.h"
#include "charging/receipt_reprint.h"
#include "charging/receipt_reprint_window.h"
#include "charging_fixture.h"
#include "platform/listview.h"
#include "shell/action_names.h"
#include "shell/main_window.h"
#include "ui_charge_query_page.h"
#include "ui_charge_query_window.h"
#include "ui_charge_record_edit_window.h"
#include "ui_receipt_reprint_window.h"

namespace charging_test {
namespace {

namespace a = shell::action;

class ChargeQueryPageTest : public ChargingWindowTest {
protected:
    void SetUp() override {
        ChargingWindowTest::SetUp();
        window = std::make_unique<shell::MainWindow>();
        charging::install_charge_queries(*window);
        page = charging::charge_query_page();
        list = page->query_list();
        household("0001", "王五", "东区", "3号楼", "C77");
        household("0002", "赵六", "西区", "5号楼", "C88");
        bill("0001", 101, 50, 50);
        bill("0001", 102, 30, 29.5);
        bill("0002", 201, 12.5, 12.5);
        bill("0002", 202, 7, 7);
        exec(s("insert into 收费员 (收费人员) values ('李四'),('张三')"));
        first = pay({101, 102}, "李四", "F-1");
        second = pay({201}, "张三");
        charging::charge_receipt_printer() = [this](qint64 n) {
            printed.push_back(n);
            return true;
        };
        charging::reprint_waiter() = [this](int ms) { waits.push_back(ms); };
    }
    void TearDown() override {
        window.reset();
        ChargingTest::TearDown();
    }
    qint64 pay(std::vector<qint64> bills, const char* collector, const char* invoice = "") {
        charging::PaymentRequest r;
        r.bills = std::move(bills);
        r.household = owner_of_bill(r.bills.front());
        r.collector = s(collector);
        r.date = QDate(2024, 3, 18);
        r.invoice_number = s(invoice);
        return charging::take_payment(db(), r, 9).serial;
    }
    void grant(const char* who, const char* item) {
        exec(s("insert into 权限管理 (权限标识,当前项目,人员姓名) values (1,") + q(s(item)) + u',' +
             q(s(who)) + u')');
    }
    // Lists the household's paid bills through the quick look-up.
    void list_household(const char* number) {
        ui.expect_input(s(number));
        page->on_main_charge_by_household_click();
    }
    QStringList column(int c) {
        QStringList out;
        for (int r = 0; r < platform::listview_row_count(list); ++r)
            out << platform::listview_cell_text(list, r, c);
        return out;
    }
    QStringList titles() {
        QStringList out;
        for (int c = 0; c < platform::listview_column_count(list); ++c)
            out << platform::listview_column_title(list, c);
        return out;
    }

    std::unique_ptr<shell::MainWindow> window;
    charging::ChargeQueryPage* page = nullptr;
    QTableView* list = nullptr;
    qint64 first = 0, second = 0;
    std::vector<qint64> printed;
    std::vector<int> waits;
};

TEST_F(ChargeQueryPageTest, EntryShowsThePaidColumnsWithoutRows) {
    shell::charge_query_kind = charging::kUnpaidChargeKind;
    exec(s("update 查询列 set 显示='假' where 类名='收费查询' and 列名='发票号'"));
    EXPECT_TRUE(window->run_action(s(a::kMainNavChargeQuery)));
    EXPECT_EQ(window->content_tabs()->currentIndex(), shell::kPageChargeQuery);
    EXPECT_EQ(shell::charge_query_kind, charging::kPaidChargeKind);
    EXPECT_EQ(platform::listview_row_count(list), 0);
    EXPECT_EQ(titles().size(), 11);
    EXPECT_EQ(titles()[7], s("系统流水"));
    EXPECT_TRUE(ui.box_texts().isEmpty());
}

TEST_F(ChargeQueryPageTest, PaidTabRefusesAnEmptyTickedComboThenLists) {
    shell::current_operator = s("李四");
    grant("李四", "收费查询");
    int runs = 0;
    ui.on_modal(s("charging::ChargeQueryWindow"), [&](QDialog* d) {
        auto* w = static_cast<charging::ChargeQueryWindow*>(d);
        Ui::ChargeQueryWindow* f = w->form();
        ++runs;
        EXPECT_EQ(w->windowTitle(), s("收费查询"));
        EXPECT_EQ(f->年选择框->value(), 2024);
        EXPECT_EQ(f->月选择框->value(), 3);
        EXPECT_EQ(f->未收费日期_起->date(), QDate(2024, 3, 1));
        EXPECT_EQ(f->已收费组合框_收费人员->count(), 3);  // 李四, 张三, 预存扣款
        EXPECT_EQ(f->已收费组合框_收费人员->itemText(2), s("预存扣款"));
        f->已收费选择框_收费人员->setChecked(true);
        w->on_charge_query_paid_ok_click();
        EXPECT_EQ(w->result(), QDialog::Rejected);  // still open
        f->已收费组合框_收费人员->setCurrentText(s("李四"));
        f->已收费日期_起->setDate(QDate(2024, 3, 1));
        w->on_charge_query_paid_ok_click();
        return w->result();
    });
    ui.expect_box(s("收费人费不能为空!"));
    page->form()->收费_查询->click();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(column(0), (QStringList{s("0001"), s("0001"), s("合计")}));
    EXPECT_EQ(column(7), (QStringList{s("№000000001"), s("№000000001"), s("")}));
    EXPECT_EQ(platform::listview_cell_text(list, 2, 1), s("发票张数:1"));
    EXPECT_EQ(platform::listview_cell_text(list, 2, 3), s("79.50"));
}

TEST_F(ChargeQueryPageTest, ArrearsTabAndVoidTab) {
    ui.on_modal(s("charging::ChargeQueryWindow"), [](QDialog* d) {
        auto* w = static_cast<charging::ChargeQueryWindow*>(d);
        w->form()->选择夹_窗口->setCurrentIndex(1);
        EXPECT_TRUE(w->form()->未收费按钮_确定->isDefault());
        w->form()->未收费选择框_居住街道->setChecked(true);  // empty street: accepted
        w->on_charge_query_unpaid_ok_click();
        return w->result();
    });
    page->on_main_charge_query_click();
    EXPECT_EQ(shell::charge_query_kind, charging::kUnpaidChargeKind);
    EXPECT_EQ(titles().size(), 16);
    EXPECT_EQ(column(0), (QStringList{s("合计：")}));
    EXPECT_TRUE(page->popup_allowed() == false);
    platform::listview_select_row(list, 0);
    EXPECT_TRUE(page->popup_allowed());  // "合计：" is no paid totals row
    ui.expect_box(s("只能修改已收费的记录!"));
    page->on_main_charge_edit_click();
    ui.expect_box(s("请在列设置中选择显示系统流水列！"));
    page->on_main_charge_void_click();

    ui.on_modal(s("charging::ChargeQueryWindow"), [](QDialog* d) {
        auto* w = static_cast<charging::ChargeQueryWindow*>(d);
        w->form()->选择夹_窗口->setCurrentIndex(1);
        w->on_charge_query_unpaid_ok_click();
        return w->result();
    });
    page->on_main_charge_query_click();
    EXPECT_EQ(column(0), (QStringList{s("0002"), s("合计：")}));
    EXPECT_EQ(platform::listview_cell_text(list, 0, 10), s("7.00"));
    EXPECT_EQ(value(s("select count(*) from [T_WSFCX管理员]")), s("1"));

    charging::void_payment(db(), first, context());
    ui.on_modal(s("charging::ChargeQueryWindow"), [](QDialog* d) {
        auto* w = static_cast<charging::ChargeQueryWindow*>(d);
        w->form()->选择夹_窗口->setCurrentIndex(2);
        w->on_charge_query_void_ok_click();
        return w->result();
    });
    page->on_main_charge_query_click();
    EXPECT_EQ(shell::charge_query_kind, charging::kPaidChargeKind);
    EXPECT_EQ(column(7), (QStringList{s("№000000001"), s("")}));
    EXPECT_EQ(platform::listview_cell_text(list, 0, 3), s("79.50"));
}

TEST_F(ChargeQueryPageTest, QuickLookUps) {
    ui.expect_input(s("№000000002"));
    page->on_main_charge_by_serial_click();
    EXPECT_EQ(column(0), (QStringList{s("0002"), s("合计")}));
    EXPECT_EQ(ui.inputs().back().caption, s("已收费查询--按流水号"));
    EXPECT_EQ(ui.inputs().back().initial, s("№"));
    ui.expect_input(s("000000002"));  // as the receipt shows it after "№"
    page->on_main_charge_by_serial_click();
    EXPECT_EQ(column(0), (QStringList{s("0002"), s("合计")}));
    ui.expect_input(s("1000000001"));
    page->on_main_charge_by_serial_click();
    EXPECT_EQ(column(0).size(), 3);

    ui.expect_input(s("abc")).expect_box(s("无效收据号!"));
    page->on_main_charge_by_serial_click();
    ui.expect_input(s("nope")).expect_box(s("无效发票号!"));
    page->on_main_charge_by_invoice_click();
    ui.expect_input(s("F-1"));
    page->on_main_charge_by_invoice_click();
    EXPECT_EQ(column(0).size(), 3);
    ui.expect_input(s("C88"));
    page->on_main_charge_by_card_click();
    EXPECT_EQ(column(0), (QStringList{s("0002"), s("合计")}));
    ui.cancel_input();
    page->on_main_charge_by_household_click();
    EXPECT_EQ(column(0), (QStringList{s("0002"), s("合计")}));  // unchanged

    shell::current_operator = s("张三");
    ui.expect_box(s("您没有取得授权！"));
    page->on_main_charge_by_card_click();
}

TEST_F(ChargeQueryPageTest, VoidFromTheListAsTheCollector) {
    shell::current_operator = s("李四");
    grant("李四", "收费查询");
    grant("李四", "收费作废");
    list_household("0001");
    ui.expect_box(s("请选择待作废的记录！"));
    page->on_main_charge_void_click();
    platform::listview_select_row(list, 2);  // the totals row has no serial
    ui.expect_box(s("请选择待作废的记录！"));
    page->on_main_charge_void_click();

    list_household("0002");
    platform::listview_select_row(list, 0);
    ui.expect_box(s("只有管理员或该条记录的收费人员才能作废。"));
    page->on_main_charge_void_click();

    list_household("0001");
    platform::listview_select_row(list, 1);
    ui.expect_box(s("确定作废流水号为【№000000001】的记录吗？"), platform::MsgResult::Cancel);
    page->on_main_charge_void_click();
    EXPECT_EQ(ui.boxes().back().caption, s("警告"));
    EXPECT_EQ(ui.boxes().back().icon, platform::MsgIcon::Question);
    EXPECT_EQ(ui.boxes().back().buttons, platform::MsgButtons::OkCancel);
    EXPECT_EQ(count(s("select count(*) from 总收费 where 标志=2")), 0);

    const int beeps = ui.beep_count();
    ui.expect_box(s("确定作废"), platform::MsgResult::Ok).expect_box(s("作废成功！"));
    window->run_action(s(a::kMainChargePopupVoid));
    EXPECT_EQ(ui.beep_count(), beeps + 1);
    EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=1 and 户号='0001'")), 2);
    EXPECT_EQ(value(s("select 实收金额 from 总收费 where 标志=2")), s("79.5"));
    // The list is shown again: the voided payment is no longer among the paid ones.
    EXPECT_EQ(column(0), (QStringList{s("合计")}));
}

TEST_F(ChargeQueryPageTest, HiddenSerialColumnIsAskedFor) {
    exec(s("update 查询列 set 显示='假' where 类名='收费查询' and 列名='系统流水'"));
    list_household("0001");
    platform::listview_select_row(list, 0);
    ui.expect_box(s("请在列设置中选择显示系统流水列！"));
    page->on_main_charge_void_click();
    ui.expect_box(s("请在列设置中选择显示收据号列！"));
    page->on_main_charge_edit_click();
}

TEST_F(ChargeQueryPageTest, EditTheLastBillOrTheOneDoubleClicked) {
    list_household("0001");
    platform::listview_select_row(list, 0);
    ui.expect_box(s("该流水号下有2条收费记录,默认修改最后一条记录!"));
    ui.on_modal(s("charging::ChargeRecordEditWindow"), [this](QDialog* d) {
        auto* w = static_cast<charging::ChargeRecordEditWindow*>(d);
        Ui::ChargeRecordEditWindow* f = w->form();
        EXPECT_EQ(w->windowTitle(), s("修改收费记录"));
        EXPECT_EQ(ui.boxes().back().icon, platform::MsgIcon::None);
        EXPECT_EQ(f->编辑框_收据号->text(), s("№02"));
        EXPECT_EQ(f->实收->text(), s("29.50"));
        EXPECT_EQ(f->组合框_收费人员->currentText(), s("李四"));
        EXPECT_EQ(f->收费日期框->date(), QDate(2024, 3, 18));
        EXPECT_EQ(platform::listview_row_count(f->表单), 2);
        EXPECT_EQ(charging::edited_bill_number, 102);

        w->on_edit_list_double_click(0);
        EXPECT_EQ(f->编辑框_收据号->text(), s("№01"));
        EXPECT_EQ(f->实收->text(), s("50.00"));
        EXPECT_EQ(charging::edited_bill_number, 101);

        f->实收->setText(s("abc"));  // no number: nothing happens
        w->on_edit_save_click();
        EXPECT_EQ(w->result(), QDialog::Rejected);
        f->实收->setText(s("48"));
        f->成本金额->setText(s(""));
        f->组合框_收费人员->setCurrentText(s("张三"));
        ui.expect_box(s("修改成功！"));
        w->on_edit_save_click();
        EXPECT_EQ(f->成本金额->text(), s("0"));
        return w->result();
    });
    page->on_main_charge_edit_click();
    EXPECT_EQ(rows(s("select 实收金额,收费人员,成本金额 from 总收费 where 收据号=101")),
              (QList<QStringList>{{s("48"), s("张三"), s("0")}}));
    EXPECT_EQ(value(s("select 实收金额 from 总收费 where 收据号=102")), s("29.5"));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='收费修改'")),
              s("修改收据号：№01把原实收金额：50修改为：48把原收费人员：李四修改为：张三"));

    // The first bill of the serial now names 张三: 李四 may no longer edit it; without the
    // right nobody but the administrator may.
    shell::current_operator = s("李四");
    grant("李四", "收费修改");
    ui.expect_box(s("只有管理员或该条记录的收费人员才能修改！"));
    page->on_main_charge_edit_click();
    shell::current_operator = s("王八");
    ui.expect_box(s("您没有取得授权！"));
    page->on_main_charge_edit_click();
}

TEST_F(ChargeQueryPageTest, PopupOnDataRowsAndItsReprint) {
    list_household("0001");
    platform::listview_select_row(list, 2);
    EXPECT_FALSE(page->popup_allowed());  // the paid totals row
    platform::listview_select_row(list, 1);
    EXPECT_TRUE(page->popup_allowed());
    // A right-click selects the row under the mouse and pops the menu up there, not on the
    // totals row.
    window->show();
    window->run_action(s(a::kMainNavChargeQuery));
    list_household("0001");
    QMenu* menu = window->charge_query_menu();
    page->on_main_charge_list_right_click(list->visualRect(list->model()->index(2, 0)).center());
    EXPECT_FALSE(menu->isVisible());
    page->on_main_charge_list_right_click(list->visualRect(list->model()->index(1, 0)).center());
    EXPECT_EQ(platform::listview_selected_row(list), 1);
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 7);
    EXPECT_TRUE(items[1]->isEnabled());

    // 导出 proposes the page's file name; cancelling writes nothing.
    ui.expect_file(QString());
    window->run_action(s(a::kMainChargePopupExport));
    ASSERT_EQ(ui.file_requests().size(), 1u);
    EXPECT_EQ(ui.file_requests()[0].file_name, s("收费查询明细表.xls"));

    window->run_action(s(a::kMainChargePopupReprint));
    EXPECT_EQ(printed, (std::vector<qint64>{first}));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='流水号重打'")),
              s("打印流水号：№000000001"));
    platform::listview_select_row(list, -1);
    ui.expect_box(s("请选择待修改的记录！"));
    window->run_action(s(a::kMainChargePopupReprint));
    shell::current_operator = s("李四");
    ui.expect_box(s("您没有取得授权！"));
    window->run_action(s(a::kMainChargePopupReprint));
    EXPECT_EQ(printed.size(), 1u);
}

TEST_F(ChargeQueryPageTest, ReprintWindowRangeAndRefusals) {
    ui.on_modal(s("charging::ReceiptReprintWindow"), [this](QDialog* d) {
        auto* w = static_cast<charging::ReceiptReprintWindow*>(d);
        Ui::ReceiptReprintWindow* f = w->form();
        EXPECT_EQ(w->windowTitle(), s("收据重新打印"));
        EXPECT_EQ(f->透明标签1->text(), s("流水号："));
        f->组合框_打印方案->setCurrentIndex(1);
        EXPECT_EQ(f->透明标签1->text(), s("收据号："));
        f->组合框_打印方案->setCurrentIndex(0);
        EXPECT_EQ(f->透明标签1->text(), s("流水号："));
        f->编辑框_收据号1->setText(s("№000000001"));
        EXPECT_EQ(f->编辑框_收据号2->text(), s("№000000001"));

        f->编辑框_张数->setText(s("0"));
        ui.expect_box(s("发票张数不能小于０!"));
        w->on_reprint_print_click();
        f->编辑框_张数->setText(s("1"));
        // Numbers typed without "№" are the digits the receipts show after it.
        f->编辑框_收据号1->setText(s("2"));
        f->编辑框_收据号2->setText(s("1"));
        ui.expect_box(s("流水号2必须大于等于收据号1"));
        w->on_reprint_print_click();
        EXPECT_TRUE(printed.empty());

        f->编辑框_收据号1->setText(s("000000001"));
        f->编辑框_收据号2->setText(s("№000000009"));
        f->编辑框_时间->setText(s("2"));
        w->on_reprint_print_click();
        EXPECT_EQ(printed, (std::vector<qint64>{first, second}));
        EXPECT_EQ(waits, (std::vector<int>{2000, 2000}));
        return QDialog::Rejected;
    });
    window->run_action(s(a::kMainMenuReprintReceipt));
    EXPECT_EQ(ui.modal_windows().size(), 1);

    shell::current_operator = s("李四");
    ui.expect_box(s("您没有取得授权！"));
    window->run_action(s(a::kMainMenuReprintReceipt));
    EXPECT_EQ(ui.modal_windows().size(), 1);
}

}  // namespace
}  // namespace charging_test
