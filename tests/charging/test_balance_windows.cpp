// The 预存结余 page and its query window driven as a cashier would: the navigation entry lays
// out the empty list, the quick look-ups and 余额不足 fill it, 用户结余 refuses an empty field
// and otherwise closes and fills the list, and 执行扣款 settles bills and then lists the
// households that still owe.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

#include "charging/balance_page.h"
#include "charging/prepayments_install.h"
#include "charging_fixture.h"
#include "platform/listview.h"
#include "shell/main_window.h"
#include "ui_balance_page.h"
#include "ui_household_balance_window.h"

namespace charging_test {
namespace {

class BalanceWindows : public ChargingWindowTest {
protected:
    void SetUp() override {
        ChargingWindowTest::SetUp();
        shell::system_parameters.payment_serial_digits = 6;
        household("0001", "王五", "东区", "3号楼", "C77");
        household("0002", "赵六", "西区", "5号楼", "C88");
        exec(s("insert into 收费员 (收费人员,密码,许可) values ('李四','',1),('王收','',1),"
               "('管理员','',1)"));
        prepayment("0001", 1000000001, 100);
        prepayment("0002", 1000000002, 20);
        bill("0001", 11, 30, 30);
        bill("0002", 12, 50, 50);
    }
    void prepayment(const char* number, qint64 receipt, double amount) {
        exec(s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志,抄表户号) "
               "values (") +
             QString::number(receipt) + u',' + q(s(number)) + u',' + n(amount) +
             s(",'2024-3-1','李四','',1,'')"));
    }
    static QStringList first_cells(QTableView* list) {
        QStringList out;
        for (int r = 0; r < platform::listview_row_count(list); ++r)
            out << platform::listview_cell_text(list, r, 0);
        return out;
    }
};

TEST_F(BalanceWindows, TheEntryLaysOutTheColumnsAndTheQuickLookUpsFillTheList) {
    shell::MainWindow window;
    charging::install_prepayments(window);
    auto* page =
        qobject_cast<charging::BalancePage*>(window.content_page_widget(shell::kPageBalances));
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(window.run_action(s("on_main_nav_prepay_deduction_click")));
    EXPECT_EQ(window.content_tabs()->currentIndex(), shell::kPageBalances);
    QTableView* list = page->balance_list();
    ASSERT_EQ(platform::listview_column_count(list), 12);
    EXPECT_EQ(platform::listview_column_title(list, 0), s("户号"));
    EXPECT_EQ(platform::listview_column_title(list, 11), s("预计结余"));
    EXPECT_EQ(platform::listview_row_count(list), 0);

    shell::system_parameters.household_number_prefix = s("00");
    ui.expect_input(s("0002"));
    page->form()->预存结余_指定户号->click();
    EXPECT_EQ(ui.inputs().back().prompt, s("请输入待查询的户号："));
    EXPECT_EQ(ui.inputs().back().initial, s("00"));
    EXPECT_EQ(first_cells(list), (QStringList{s("0002"), s("合计：")}));
    EXPECT_EQ(platform::listview_cell_text(list, 0, 11), s("-30.00"));

    ui.cancel_input();  // nothing changes
    page->form()->预存结余_磁卡号码->click();
    EXPECT_EQ(first_cells(list), (QStringList{s("0002"), s("合计：")}));
    ui.expect_input(s("C77"));
    page->form()->预存结余_磁卡号码->click();
    EXPECT_EQ(first_cells(list), (QStringList{s("0001"), s("合计：")}));

    // 0001's 100.00 covers its 30.00; 0002's 20.00 does not cover its 50.00.
    page->form()->预存结余_余额不足->click();
    EXPECT_EQ(first_cells(list), (QStringList{s("0002"), s("合计：")}));
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(BalanceWindows, QueryWindowRefusesAnEmptyFieldThenFillsTheList) {
    charging::BalancePage page;
    shell::system_parameters.household_number_prefix = s("00");
    int round = 0;
    ui.on_modal(s("HouseholdBalanceWindow"), [&round](QDialog* d) {
        auto* w = static_cast<charging::HouseholdBalanceWindow*>(d);
        auto* f = w->form();
        EXPECT_TRUE(f->单选框_按户号->isChecked());
        EXPECT_EQ(f->编辑框_户号->text(), s("00"));
        EXPECT_EQ(f->组合框_收费人员->count(), 2);  // not the administrator
        f->单选框_户名->setChecked(true);
        if (round++ == 0) {
            w->on_balance_query_ok_click();  // empty name: refused, the window stays
            EXPECT_NE(w->result(), QDialog::Accepted);
            f->编辑框_户名->setText(s("赵"));
        } else {
            f->编辑框_户名->setText(s("王"));
        }
        w->on_balance_query_ok_click();
        return w->result();
    });
    ui.expect_box(s("待查询的户名不能为空！"));
    page.form()->预存结余_查询->click();
    EXPECT_EQ(ui.boxes().front().icon, platform::MsgIcon::Information);
    EXPECT_EQ(first_cells(page.balance_list()), (QStringList{s("0002"), s("合计：")}));
    page.form()->预存结余_查询->click();
    EXPECT_EQ(first_cells(page.balance_list()), (QStringList{s("0001"), s("合计：")}));
    EXPECT_EQ(platform::listview_cell_text(page.balance_list(), 0, 9), s("100.00"));
}

TEST_F(BalanceWindows, DeductingNeedsTheRightThenListsWhoStillOwes) {
    charging::BalancePage page;
    shell::current_operator = s("李四");
    ui.expect_box(s("您没有取得授权！"));
    page.form()->预存结余_执行扣款->click();
    EXPECT_EQ(value(s("select count(*) from 总收费 where 收费标志=0")), s("0"));

    shell::current_operator = s("管理员");
    // 0001's bill is covered; 0002 holds 20 against 50 and keeps its bill.
    ui.expect_box(s("操作完成!"));
    page.form()->预存结余_执行扣款->click();
    EXPECT_EQ(value(s("select 收费标志 from 总收费 where 收据号=11")), s("0"));
    EXPECT_EQ(value(s("select 收费标志 from 总收费 where 收据号=12")), s("1"));
    EXPECT_EQ(platform::listview_row_count(page.balance_list()), 0);

    // A valid unpaid bill already carrying a prepaid part: the shortfall list follows.
    exec(s("update 总收费 set 预存扣款=5 where 收据号=12"));
    ui.expect_box(s("以下是余额不足的用户请查看!"));
    page.form()->预存结余_执行扣款->click();
    EXPECT_EQ(first_cells(page.balance_list()), (QStringList{s("0002"), s("合计：")}));
}

// After a deduction run the list shows the households it showed before, with what is now due.
TEST_F(BalanceWindows, DeductingRefreshesTheHouseholdsShown) {
    charging::BalancePage page;
    ui.expect_input(s("0001"));
    page.form()->预存结余_指定户号->click();
    ASSERT_EQ(first_cells(page.balance_list()), (QStringList{s("0001"), s("合计：")}));
    EXPECT_EQ(platform::listview_column_title(page.balance_list(), 10), s("当前应扣"));
    EXPECT_EQ(platform::listview_cell_text(page.balance_list(), 0, 10), s("30.00"));
    ui.expect_box(s("操作完成!"));
    page.form()->预存结余_执行扣款->click();
    EXPECT_EQ(first_cells(page.balance_list()), (QStringList{s("0001"), s("合计：")}));
    EXPECT_EQ(platform::listview_cell_text(page.balance_list(), 0, 10), s("0.00"));
    EXPECT_EQ(platform::listview_cell_text(page.balance_list(), 0, 9), s("70.00"));
}

}  // namespace
}  // namespace charging_test
