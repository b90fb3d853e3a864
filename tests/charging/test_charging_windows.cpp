// The counter and card windows driven as a cashier would: look a household up, change the
// amount received, charge; the sound, the log row and the receipts follow the payment.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <functional>

#include "charging/batch_charging_window.h"
#include "charging/charging_hooks.h"
#include "charging/charging_window.h"
#include "charging_fixture.h"
#include "platform/listview.h"
#include "shell/operator_accounts.h"
#include "ui_batch_charging_window.h"
#include "ui_charging_window.h"

namespace charging_test {
namespace {

class ChargingWindows : public ChargingWindowTest {
protected:
    void SetUp() override {
        ChargingWindowTest::SetUp();
        shell::current_operator = s("李四");
        household("0001", "王五", "东区", "3号楼", "C77");
        meter("0001", "000101");
        bill("0001", 101, 50.00, 50.00, 0, 0, 20, 2.5);
        bill("0001", 102, 45.80, 45.50, 0, -0.30, 13, 3.5, "电费");
        charging::charge_receipt_printer() = [this](qint64 serial) {
            printed.push_back(serial);
            return true;
        };
    }
    std::vector<qint64> printed;
};

TEST_F(ChargingWindows, CounterQueryChangeAndCharge) {
    charging::CounterChargingWindow w;
    ASSERT_TRUE(w.opened());
    Ui::ChargingWindowForm* f = w.form();
    EXPECT_EQ(w.windowTitle(), s("窗口收费"));
    EXPECT_EQ(f->收费人员选择框->currentText(), s("李四"));
    EXPECT_EQ(f->打印张数->text(), s("2"));  // no 发票张数 in pz.ini
    EXPECT_FALSE(f->收费按钮->isEnabled());

    f->编辑框_户号->setText(s("0001"));
    w.on_counter_query_click();
    EXPECT_TRUE(f->收费按钮->isEnabled());
    EXPECT_EQ(f->应收->text(), s("95.80"));
    EXPECT_EQ(f->实收->text(), s("95.50"));
    EXPECT_EQ(f->本月结余->text(), s("-0.30"));
    EXPECT_EQ(f->标签_用户性质->text(), s("计量表正常:1"));
    EXPECT_EQ(w.counter_bill_numbers(), (std::vector<qint64>{101, 102}));

    f->实收->setText(s("100.00"));
    EXPECT_EQ(f->本月结余->text(), s("4.20"));
    f->收款金额->setText(s("100"));
    w.on_change_calc_click();
    EXPECT_EQ(f->找零->text(), s("0.00"));
    f->打印张数->setText(s("2.9"));

    w.on_counter_charge_click();
    EXPECT_TRUE(ui.box_texts().isEmpty()) << ui.box_texts().join(u'|').toStdString();
    EXPECT_EQ(ui.sounds().size(), 1);
    EXPECT_EQ(printed, (std::vector<qint64>{1000000001, 1000000001}));
    EXPECT_FALSE(f->收费按钮->isEnabled());
    EXPECT_EQ(f->编辑框_户号->text(), s(""));
    EXPECT_EQ(
        rows(s("select 收据号,流水号,收费人员,实收金额,本月接转 from 总收费 order by 收据号")),
        (QList<QStringList>{{s("101"), s("1000000001"), s("李四"), s("50"), s("0")},
                            {s("102"), s("1000000001"), s("李四"), s("50"), s("4.2")}}));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='窗口收费'")),
              s("添加收费记录0001"));
}

TEST_F(ChargingWindows, CounterRefusals) {
    charging::CounterChargingWindow w;
    Ui::ChargingWindowForm* f = w.form();
    ui.expect_box(s("用户姓名或户号不能为空！"));
    w.on_counter_query_click();
    ui.expect_box(s("无此用户!"));
    f->编辑框_户号->setText(s("9999"));
    w.on_counter_query_click();
    household("0002", "孙七");
    ui.expect_box(s("该用户本月未抄表或已缴费！"));
    f->编辑框_户号->setText(s("0002"));
    w.on_counter_query_click();
    EXPECT_EQ(ui.boxes().back().caption, s("提示"));
    EXPECT_FALSE(f->收费按钮->isEnabled());
}

TEST_F(ChargingWindows, AFailedPaymentPlaysNothingAndPrintsNothing) {
    charging::CounterChargingWindow w;
    Ui::ChargingWindowForm* f = w.form();
    f->编辑框_户号->setText(s("0001"));
    w.on_counter_query_click();
    fail_readings_of(102);
    ui.expect_box(s("boom"));
    w.on_counter_charge_click();
    EXPECT_TRUE(ui.sounds().isEmpty());
    EXPECT_TRUE(printed.empty());
    EXPECT_TRUE(f->收费按钮->isEnabled());
    EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 0);
    EXPECT_EQ(count(s("select count(*) from 日志管理 where 当前项目='窗口收费'")), 0);
}

// Nothing listed, nothing to charge: 收费 stays off, and a charge of nothing (or of bills paid
// since they were listed) plays, logs and prints nothing.
TEST_F(ChargingWindows, NoChargeOfNothingOrOfBillsPaidMeanwhile) {
    household("0002", "孙七", "东区", "5号楼", "C88");
    charging::CounterChargingWindow counter;
    charging::CardChargingWindow card;
    const std::pair<charging::ChargingWindow*, std::function<void()>> windows[] = {
        {&counter, [&] { counter.fill_counter_charging_bill(s("0002")); }},
        {&card, [&] { card.fill_card_charging_bill(s("0002")); }},
    };
    for (const auto& [w, fill] : windows) {
        SCOPED_TRACE(w->windowTitle().toStdString());
        w->form()->收费按钮->setEnabled(true);
        fill();
        EXPECT_FALSE(w->form()->收费按钮->isEnabled());
        ui.expect_box(s("该用户本月未抄表或已缴费！"));
        w->on_charge_click();
    }

    counter.form()->编辑框_户号->setText(s("0001"));
    counter.on_counter_query_click();
    ASSERT_TRUE(counter.form()->收费按钮->isEnabled());
    // Another program pays the second bill in between.
    exec(s("update 总收费 set 收费标志=0,流水号=777 where 收据号=102"));
    ui.expect_box(s("该用户的收费记录已被修改,请重新查询！"));
    counter.on_counter_charge_click();
    EXPECT_FALSE(counter.form()->收费按钮->isEnabled());
    EXPECT_EQ(value(s("select 收费标志 from 总收费 where 收据号=101")), s("1"));

    EXPECT_TRUE(ui.sounds().isEmpty());
    EXPECT_TRUE(printed.empty());
    EXPECT_EQ(count(s("select count(*) from 日志管理 where 当前项目='窗口收费'")), 0);
    EXPECT_EQ(count(s("select count(*) from 总收费 where 流水号>1000000000")), 0);
}

// The cashier takes 90.00 for 95.50.
TEST_F(ChargingWindows, ShortfallRefusedWithoutAccountAskedWithOne) {
    const struct {
        const char* account;
        platform::MsgResult answer;
        bool paid;
    } cases[] = {
        {"关闭", platform::MsgResult::Ok, false},
        {"开启", platform::MsgResult::Cancel, false},
        {"开启", platform::MsgResult::Ok, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.account) + (c.paid ? " paid" : ""));
        exec(s("update 总收费 set 收费标志=1,流水号=null"));
        shell::system_parameters.personal_account = s(c.account);
        charging::CounterChargingWindow w;
        Ui::ChargingWindowForm* f = w.form();
        f->编辑框_户号->setText(s("0001"));
        w.on_counter_query_click();
        f->实收->setText(s("90.00"));
        ASSERT_EQ(f->本月结余->text(), s("-5.80"));
        ui.expect_box(s("实收金额比应交金额少5.50元"), c.answer);
        w.on_counter_charge_click();
        EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), c.paid ? 2 : 0);
        EXPECT_EQ(f->收费按钮->isEnabled(), !c.paid);
    }
    EXPECT_EQ(ui.boxes()[0].icon, platform::MsgIcon::Information);
    EXPECT_EQ(ui.boxes()[1].icon, platform::MsgIcon::Question);
    EXPECT_EQ(rows(s("select 实收金额,本月接转 from 总收费 order by 收据号")),
              (QList<QStringList>{{s("50"), s("0")}, {s("40"), s("-5.8")}}));
}

TEST_F(ChargingWindows, AdministratorMayNotChargeUnderInvoices) {
    shell::current_operator = s("管理员");
    shell::system_parameters.invoice_management = s("开启");
    ui.expect_box(s("管理员不能收费!"));
    charging::CounterChargingWindow w;
    EXPECT_FALSE(w.opened());
}

TEST_F(ChargingWindows, CardWindowUsesTheCodedSerial) {
    shell::system_parameters.payment_serial_digits = 6;
    charging::CardChargingWindow w;
    Ui::ChargingWindowForm* f = w.form();
    EXPECT_EQ(w.windowTitle(), s("磁卡收费"));
    EXPECT_EQ(f->分组框_户号查询, nullptr);
    f->编辑框_户号->setText(s("C77"));
    w.on_card_query_click();
    EXPECT_EQ(f->编辑框_户号->text(), s("C77"));
    EXPECT_EQ(f->编辑框_用户名->text(), s("王五"));
    f->打印选择框->setChecked(false);
    w.on_card_charge_click();
    EXPECT_TRUE(printed.empty());
    EXPECT_EQ(value(s("select distinct 流水号 from 总收费")), s("1000001"));
    EXPECT_EQ(f->编辑框_户号->text(), s(""));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='窗口收费'")),
              s("添加收费记录C77"));
}

// Long prices and amounts and a search hit: no list is narrower than its columns and no cell
// is narrower than its text, while no column is narrower than the width it was given.
TEST_F(ChargingWindows, ListsCutNoText) {
    bill("0001", 103, 15241.58, 15241.58, 0, 0, 12345.5, 1234.5678);
    surcharge_line("0001", 103, "污水处理费", 12345.5, 0.95);
    charging::CounterChargingWindow w;
    Ui::ChargingWindowForm* f = w.form();
    f->编辑框_户号->setText(s("0001"));
    w.on_counter_query_click();
    f->组合框_查询方式->setCurrentIndex(0);
    f->编辑框_查询内容->setText(s("王"));
    w.on_counter_household_search_click();
    const struct {
        QTableView* view;
        std::vector<int> least;
    } lists[] = {{f->表单, {60, 60, 60, 50, 60, 70, 100}},
                 {f->表单1, {90, 90, 90, 90, 90}},
                 {f->抄表机_列表框, {}}};
    for (const auto& list : lists) {
        SCOPED_TRACE(list.view->objectName().toStdString());
        ASSERT_GE(platform::listview_row_count(list.view), 1);
        EXPECT_GE(list.view->minimumWidth(), list.view->horizontalHeader()->length());
        const QFontMetrics metrics(list.view->font());
        for (int c = 0; c < platform::listview_column_count(list.view); ++c) {
            const int width = platform::listview_column_width(list.view, c);
            if (c < static_cast<int>(list.least.size())) {
                EXPECT_GE(width, list.least[static_cast<size_t>(c)]);
            }
            for (int r = 0; r < platform::listview_row_count(list.view); ++r)
                EXPECT_LT(metrics.horizontalAdvance(platform::listview_cell_text(list.view, r, c)),
                          width)
                    << r << ',' << c;
        }
    }
}

void press(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::processEvents();
}

// The card window or the counter window.
std::unique_ptr<charging::ChargingWindow> open_charging_window(bool card) {
    if (card) return std::make_unique<charging::CardChargingWindow>();
    return std::make_unique<charging::CounterChargingWindow>();
}

void show_active(QWidget* window) {
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    QApplication::processEvents();
}

// The whole counter cycle from the keyboard: 户号, Enter, amount, Enter, Enter.
TEST_F(ChargingWindows, CounterCycleFromTheKeyboard) {
    charging::CounterChargingWindow w;
    Ui::ChargingWindowForm* f = w.form();
    show_active(&w);
    ASSERT_TRUE(f->编辑框_户号->hasFocus());

    f->编辑框_户号->setText(s("0001"));
    press(f->编辑框_户号, Qt::Key_Return);
    EXPECT_EQ(w.counter_bill_numbers(), (std::vector<qint64>{101, 102}));
    EXPECT_TRUE(f->收款金额->hasFocus());

    f->收款金额->setText(s("100"));
    press(f->收款金额, Qt::Key_Return);
    EXPECT_EQ(f->找零->text(), s("4.50"));
    EXPECT_TRUE(f->收费按钮->hasFocus());
    EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 0);  // not charged yet

    press(f->收费按钮, Qt::Key_Return);
    EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 2);
    EXPECT_EQ(printed.size(), 2u);
    EXPECT_TRUE(f->编辑框_户号->hasFocus());
}

// Cash short of 实收金额 is refused with both figures, the focus back in 本次收款 and nothing
// charged; the amount typed again charges. An empty 本次收款 is the exact sum.
TEST_F(ChargingWindows, CashShortOfWhatIsReceivedIsRefused) {
    for (const bool card : {false, true}) {
        SCOPED_TRACE(card ? "card" : "counter");
        exec(s("update 总收费 set 收费标志=1,流水号=null,收费人员='未知'"));
        const auto sounds = ui.sounds().size();
        const std::unique_ptr<charging::ChargingWindow> w = open_charging_window(card);
        Ui::ChargingWindowForm* f = w->form();
        show_active(w.get());
        QTest::keyClicks(f->编辑框_户号, card ? s("C77") : s("0001"));
        QTest::keyClick(f->编辑框_户号, Qt::Key_Return);
        ASSERT_TRUE(f->收款金额->hasFocus());
        QTest::keyClicks(f->收款金额, s("50"));
        QTest::keyClick(f->收款金额, Qt::Key_Return);
        EXPECT_EQ(f->找零->text(), s("-45.50"));
        ASSERT_TRUE(f->收费按钮->hasFocus());
        ui.expect_box(s("本次收款50.00元少于实收金额95.50元，不能收费！请核对本次收款。"));
        QTest::keyClick(f->收费按钮, Qt::Key_Return);
        EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 0);
        EXPECT_EQ(count(s("select count(*) from 日志管理 where 当前项目='窗口收费'")), 0);
        EXPECT_TRUE(printed.empty());
        EXPECT_EQ(ui.sounds().size(), sounds);
        EXPECT_TRUE(f->收款金额->hasFocus());
        EXPECT_TRUE(f->收费按钮->isEnabled());

        // Typed over (the text is selected), one cent short, then the exact sum.
        QTest::keyClicks(f->收款金额, s("95.49"));
        ui.expect_box(s("本次收款95.49元少于实收金额95.50元，不能收费！请核对本次收款。"));
        f->收费按钮->click();
        EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 0);
        f->收款金额->selectAll();
        QTest::keyClicks(f->收款金额, s("95.5"));
        QTest::keyClick(f->收款金额, Qt::Key_Return);
        QTest::keyClick(f->收费按钮, Qt::Key_Return);
        EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 2);
        EXPECT_EQ(count(s("select count(*) from 总收费 where 实收金额=50")), 1);
        printed.clear();
        exec(s("delete from 日志管理"));
    }
    // The core refuses it too, whoever calls it, and an empty box takes no part.
    charging::PaymentRequest r;
    r.bills = {101};
    r.collector = s("李四");
    r.cash = charging::cash_handed(s("abc"), s("50.00"));
    const charging::PaymentOutcome out = charging::take_payment(db(), r, 9);
    EXPECT_FALSE(out.done);
    EXPECT_TRUE(out.focus_cash);
    EXPECT_FALSE(charging::cash_handed(s(" "), s("50.00")).cash.has_value());
    EXPECT_TRUE(charging::cash_short_text(charging::cash_handed(s("50"), s("50.00"))).isEmpty());
}

// 收费 by its Alt key straight after typing 本次收款 (no Enter): the change is on screen before
// the receipt prints, short cash and cash that is no amount are refused as with Enter.
TEST_F(ChargingWindows, AltSShowsTheChangeAndRefusesShortCash) {
    for (const bool card : {false, true}) {
        SCOPED_TRACE(card ? "card" : "counter");
        exec(s("update 总收费 set 收费标志=1,流水号=null,收费人员='未知'"));
        const std::unique_ptr<charging::ChargingWindow> w = open_charging_window(card);
        Ui::ChargingWindowForm* f = w->form();
        QStringList change_when_printed;
        charging::charge_receipt_printer() = [&](qint64) {
            change_when_printed << f->找零->text();
            return true;
        };
        show_active(w.get());
        QTest::keyClicks(f->编辑框_户号, card ? s("C77") : s("0001"));
        QTest::keyClick(f->编辑框_户号, Qt::Key_Return);
        ASSERT_TRUE(f->收款金额->hasFocus());
        const auto charge_with_alt_s = [&](const char* handed) {
            f->收款金额->setFocus();
            f->收款金额->selectAll();
            f->收款金额->insert(s(handed));  // as typed (keyClicks knows no 元)
            QTest::keyClick(f->收款金额, Qt::Key_S, Qt::AltModifier);
            // The Alt key clicks 收费 the way a mnemonic does, animated: its click comes from
            // the event loop once the button is released.
            ASSERT_TRUE(f->收费按钮->isDown());
            ASSERT_TRUE(QTest::qWaitFor([&] { return !f->收费按钮->isDown(); }, 5000));
        };

        ui.expect_box(charging::kCashNotAnAmount);
        charge_with_alt_s("70元");
        EXPECT_EQ(f->找零->text(), s(""));
        ui.expect_box(s("本次收款50.00元少于实收金额95.50元，不能收费！请核对本次收款。"));
        charge_with_alt_s("50");
        EXPECT_EQ(f->找零->text(), s("-45.50"));
        EXPECT_TRUE(f->收款金额->hasFocus());
        EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 0);
        EXPECT_TRUE(change_when_printed.isEmpty());

        charge_with_alt_s("100");
        EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 2);
        EXPECT_EQ(change_when_printed, (QStringList{s("4.50"), s("4.50")}));
        exec(s("delete from 日志管理"));
    }
}

// The log row names the household that was charged, not what the 户号 box holds when 收费 is
// pressed: 0002 shown, 0001 typed into the box without Enter, then Tab to 收费 and Enter.
TEST_F(ChargingWindows, LogNamesTheHouseholdCharged) {
    household("0002", "孙七", "东区", "5号楼");
    bill("0002", 201, 70.00, 70.00);
    charging::CounterChargingWindow w;
    Ui::ChargingWindowForm* f = w.form();
    show_active(&w);
    QTest::keyClicks(f->编辑框_户号, s("0002"));
    QTest::keyClick(f->编辑框_户号, Qt::Key_Return);
    ASSERT_EQ(w.counter_bill_numbers(), (std::vector<qint64>{201}));
    f->编辑框_户号->setFocus();
    f->编辑框_户号->selectAll();
    QTest::keyClicks(f->编辑框_户号, s("0001"));
    QTest::keyClick(f->编辑框_户号, Qt::Key_Tab);
    QTest::keyClick(f->收款金额, Qt::Key_Tab);
    ASSERT_TRUE(f->收费按钮->hasFocus());
    QTest::keyClick(f->收费按钮, Qt::Key_Return);
    EXPECT_EQ(rows(s("select 收据号 from 总收费 where 收费标志=0")),
              (QList<QStringList>{{s("201")}}));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='窗口收费'")),
              s("添加收费记录0002"));
}

// Tab goes 户号 → 本次收款 → 收费, and every button has an Alt key of its own.
TEST_F(ChargingWindows, TabOrderAndAltKeys) {
    for (const bool card : {false, true}) {
        SCOPED_TRACE(card ? "card" : "counter");
        const std::unique_ptr<charging::ChargingWindow> w = open_charging_window(card);
        Ui::ChargingWindowForm* f = w->form();
        show_active(w.get());
        f->编辑框_户号->setText(card ? s("C77") : s("0001"));
        press(f->编辑框_户号, Qt::Key_Enter);  // the card reader's Enter
        ASSERT_TRUE(f->收款金额->hasFocus());
        f->编辑框_户号->setFocus();
        press(f->编辑框_户号, Qt::Key_Tab);
        EXPECT_TRUE(f->收款金额->hasFocus());
        press(f->收款金额, Qt::Key_Tab);
        EXPECT_TRUE(f->收费按钮->hasFocus());

        QList<QKeySequence> keys;
        for (QPushButton* b : {f->查询按钮, f->收费按钮, f->找零计算, f->按钮3}) {
            const QKeySequence key = QKeySequence::mnemonic(b->text());
            EXPECT_FALSE(key.isEmpty()) << b->objectName().toStdString();
            EXPECT_FALSE(keys.contains(key)) << b->objectName().toStdString();
            keys.append(key);
        }
        EXPECT_GE(f->收费人员选择框->minimumSizeHint().width(),
                  QFontMetrics(f->收费人员选择框->font()).horizontalAdvance(s("收费人员甲")));
    }
}

// A look-up that finds nothing to pay leaves nothing of the household before on screen.
TEST_F(ChargingWindows, FailedLookUpClearsTheBillShownBefore) {
    household("0002", "孙七");
    charging::CounterChargingWindow w;
    Ui::ChargingWindowForm* f = w.form();
    for (const char* number : {"0002", "9999"}) {
        SCOPED_TRACE(number);
        f->编辑框_户号->setText(s("0001"));
        w.on_counter_query_click();
        ASSERT_TRUE(f->收费按钮->isEnabled());
        f->编辑框_户号->setText(s(number));
        ui.answer(platform::MsgResult::Ok);
        w.on_counter_query_click();
        EXPECT_FALSE(f->收费按钮->isEnabled());
        EXPECT_TRUE(w.counter_bill_numbers().empty());
        EXPECT_EQ(platform::listview_row_count(f->表单), 0);
        EXPECT_EQ(platform::listview_row_count(f->表单1), 0);
        EXPECT_EQ(f->应收->text(), s("0.00"));
        EXPECT_EQ(f->实收->text(), s(""));
        EXPECT_EQ(f->本月结余->text(), s("0.00"));
        EXPECT_NE(f->编辑框_用户名->text(), s("王五"));
    }
    EXPECT_EQ(ui.box_texts(), (QStringList{s("该用户本月未抄表或已缴费！"), s("无此用户!")}));
}

// A fresh install has no collector: the administrator is told once what to do and the
// operators window is one answer away; a collector added there is offered at once.
TEST_F(ChargingWindows, NoCollectorOffersTheOperatorsWindow) {
    shell::current_operator = s("管理员");
    ui.expect_box(s("请先在“操作人员设置”"), platform::MsgResult::No);
    {
        charging::CounterChargingWindow w;
        EXPECT_EQ(w.form()->收费人员选择框->count(), 0);
    }
    ui.expect_box(s("请先在“操作人员设置”"), platform::MsgResult::Yes)
        .on_modal(s("OperatorsWindow"), [this](QDialog*) {
            EXPECT_TRUE(shell::add_operator(db(), s("赵六"), s("1"), true).saved);
            return 0;
        });
    exec(s("insert into 街道 (街道) values ('东区')"));
    exec(s("insert into 抄表员 (抄表员) values ('张三')"));
    charging::BatchChargingWindow batch;
    EXPECT_EQ(batch.form()->组合框_收费人员->count(), 1);
    EXPECT_EQ(batch.form()->组合框_收费人员->itemText(0), s("赵六"));
    // The streets and readers are offered too.
    EXPECT_GE(batch.form()->组合框_居住街道->findText(s("东区")), 0);
    EXPECT_GE(batch.form()->组合框_抄表人员->findText(s("张三")), 0);
    // With a collector there, nothing is asked.
    charging::CounterChargingWindow w;
    EXPECT_EQ(w.form()->收费人员选择框->count(), 1);
    EXPECT_EQ(ui.boxes().size(), 2u);
    // The prompt also says that the new collector needs rights, and where they are given.
    EXPECT_TRUE(ui.boxes()[0].text.contains(shell::kPermissionsMenuPath));
    EXPECT_TRUE(ui.boxes()[0].text.contains(s("您没有取得授权！")));
}

}  // namespace
}  // namespace charging_test
