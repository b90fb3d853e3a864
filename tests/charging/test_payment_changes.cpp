// Voiding and editing a payment without a window: who may do it, the void of a whole payment
// (all or nothing), a second void refused, the edit of one bill with its log row, and the
// receipt reprint run with its pauses.
#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include "charging/charge_queries.h"
#include "charging/charging_hooks.h"
#include "charging/payment_changes.h"
#include "charging/payments.h"
#include "charging/receipt_reprint.h"
#include "charging_fixture.h"

namespace charging_test {
namespace {

class PaymentChanges : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        household("0001", "王五");
        household("0002", "赵六");
        bill("0001", 101, 50, 50);
        bill("0001", 102, 30, 29.5);
        bill("0001", 103, 10, 10);
        bill("0002", 201, 12.5, 12.5);
    }
    qint64 pay(std::vector<qint64> bills, const char* collector, const char* invoice = "") {
        charging::PaymentRequest r;
        r.bills = std::move(bills);
        r.household = owner_of_bill(r.bills.front());
        r.collector = s(collector);
        r.date = QDate(2024, 3, 18);
        r.invoice_number = s(invoice);
        const charging::PaymentOutcome out = charging::take_payment(db(), r, 9);
        EXPECT_TRUE(out.done);
        return out.serial;
    }
    void break_log() {
        ASSERT_EQ(sqlite3_exec(platform::db_handle(db()),
                               "create trigger 无日志 before insert on 日志管理 begin "
                               "select raise(abort,'full'); end",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }
};

TEST(SelectedSerial, EmptyNotASerialOrTheSerial) {
    using State = charging::SelectedSerial::State;
    EXPECT_EQ(charging::selected_serial(s("")).state, State::Empty);
    EXPECT_EQ(charging::selected_serial(s("0001")).state, State::NotSerial);
    EXPECT_EQ(charging::selected_serial(s("合计：")).state, State::NotSerial);
    const charging::SelectedSerial serial = charging::selected_serial(s("№000000003"));
    EXPECT_EQ(serial.state, State::Serial);
    EXPECT_EQ(serial.serial, 1000000003);
}

TEST_F(PaymentChanges, OnlyTheAdministratorOrTheCollectorMayVoidOrEdit) {
    const qint64 mine = pay({101}, "李四");
    const qint64 from_balance = pay({201}, "预存扣款");
    struct Case {
        const char* who;
        qint64 serial;
        const char* void_refusal;
        const char* edit_refusal;
    };
    const Case cases[] = {
        {"管理员", mine, "", ""},
        {"李四", mine, "", ""},
        {"张三", mine, "只有管理员或该条记录的收费人员才能作废。",
         "只有管理员或该条记录的收费人员才能修改！"},
        {"管理员", from_balance, "", ""},
        {"李四", from_balance, "只有管理员或该条记录的收费人员才能作废。",
         "只有管理员或该条记录的收费人员才能修改！"},
        {"李四", 1999999999, "取收费人员失败！", "查找失败！"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(charging::void_refusal(db(), c.serial, s(c.who)), s(c.void_refusal)) << c.who;
        EXPECT_EQ(charging::edit_refusal(db(), c.serial, s(c.who)), s(c.edit_refusal)) << c.who;
    }
}

TEST_F(PaymentChanges, VoidReturnsEveryBillAndRecordsOneVoidRow) {
    const qint64 serial = pay({101, 102, 103}, "李四", "F-9");
    pay({201}, "李四");
    operator_name = s("李四");
    const charging::VoidOutcome out = charging::void_payment(db(), serial, context());
    EXPECT_TRUE(out.done);
    EXPECT_EQ(out.messages, (platform::Messages{platform::information(s("作废成功！"))}));
    EXPECT_EQ(
        rows(s("select 收据号,收费标志,流水号,ifnull(收费人员,'NULL'),实收金额,标志 from 总收费 "
               "where 户号='0001' order by 收据号")),
        (QList<QStringList>{{s(""), s(""), s("1000000001"), s("李四"), s("89.5"), s("2")},
                            {s("101"), s("1"), s("0"), s("NULL"), s("50"), s("1")},
                            {s("102"), s("1"), s("0"), s("NULL"), s("29.5"), s("1")},
                            {s("103"), s("1"), s("0"), s("NULL"), s("10"), s("1")}}));
    EXPECT_EQ(rows(s("select 收费日期,发票号 from 总收费 where 标志=2")),
              (QList<QStringList>{{s("2024-03-18"), s("F-9")}}));
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 流水号 is null and 父号='0001'")), 3);
    EXPECT_EQ(value(s("select 流水号 from 抄表总表 where 收据号=201")), s("1000000002"));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='收费作废'")),
              s("流水号№000000001"));
    EXPECT_EQ(value(s("select 操作人员 from 日志管理 where 当前项目='收费作废'")), s("李四"));

    // The serial stays taken, and voiding it again is refused before anything is asked.
    EXPECT_EQ(charging::void_refusal(db(), serial, s("管理员")), charging::kAlreadyVoided);
    EXPECT_EQ(charging::edit_refusal(db(), serial, s("管理员")), s("此收据已经作废不能修改！"));
    const charging::VoidOutcome again = charging::void_payment(db(), serial, context());
    EXPECT_FALSE(again.done);
    EXPECT_EQ(count(s("select count(*) from 总收费 where 标志=2")), 1);
    EXPECT_EQ(pay({101, 102, 103}, "李四"), 1000000003);
}

// Only bills still paid under the serial are voided: a bill made unpaid again since (its serial
// left on it) is neither voided nor counted in the void row.
TEST_F(PaymentChanges, VoidTakesOnlyThePaidBillsOfTheSerial) {
    const qint64 serial = pay({101, 102}, "李四");
    exec(s("update 总收费 set 收费标志=1 where 收据号=102"));
    EXPECT_TRUE(charging::void_payment(db(), serial, context()).done);
    EXPECT_EQ(value(s("select 实收金额 from 总收费 where 标志=2")), s("50"));
    EXPECT_EQ(rows(s("select 收据号,流水号 from 总收费 where 标志=1 and 收据号 in (101,102) "
                     "order by 收据号")),
              (QList<QStringList>{{s("101"), s("0")}, {s("102"), s("1000000001")}}));

    // None of its bills paid any more: nothing to void, nothing written.
    const qint64 other = pay({103}, "李四");
    exec(s("update 总收费 set 收费标志=1 where 收据号=103"));
    EXPECT_EQ(charging::void_refusal(db(), other, s("管理员")), charging::kAlreadyVoided);
    const QList<QStringList> before = rows(s("select * from 总收费 order by 收据号"));
    const charging::VoidOutcome out = charging::void_payment(db(), other, context());
    EXPECT_FALSE(out.done);
    EXPECT_EQ(out.messages, (platform::Messages{platform::information(charging::kAlreadyVoided)}));
    EXPECT_EQ(rows(s("select * from 总收费 order by 收据号")), before);
}

TEST_F(PaymentChanges, VoidThatFailsHalfWayLeavesThePaymentAsItWas) {
    const qint64 serial = pay({101, 102}, "李四");
    const QList<QStringList> before = rows(s("select * from 总收费 order by 收据号"));
    ASSERT_EQ(sqlite3_exec(platform::db_handle(db()),
                           "create trigger 坏 before update on 抄表总表 begin "
                           "select raise(abort,'boom'); end",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const charging::VoidOutcome out = charging::void_payment(db(), serial, context());
    EXPECT_FALSE(out.done);
    ASSERT_FALSE(out.messages.isEmpty());
    EXPECT_TRUE(out.messages.back().text.contains(s("boom")));
    EXPECT_EQ(out.messages.back().icon, platform::MsgIcon::None);
    EXPECT_EQ(rows(s("select * from 总收费 order by 收据号")), before);
    EXPECT_EQ(count(s("select count(*) from 日志管理 where 当前项目='收费作废'")), 0);
}

TEST_F(PaymentChanges, VoidWithAFailedLogSaysSoInsteadOfSuccess) {
    const qint64 serial = pay({201}, "李四");
    break_log();
    const charging::VoidOutcome out = charging::void_payment(db(), serial, context());
    EXPECT_TRUE(out.done);
    EXPECT_EQ(out.messages, (platform::Messages{platform::information(s("添加日志失败！"))}));
    EXPECT_EQ(value(s("select 收费标志 from 总收费 where 收据号=201")), s("1"));
}

TEST_F(PaymentChanges, EditLoadsTheSerialsBillsAndSavesOneBill) {
    const qint64 serial = pay({101, 102}, "李四");
    bool ok = false;
    const QList<charging::ChargeRecordFields> bills =
        charging::serial_charge_records(db(), serial, &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(bills.size(), 2);
    EXPECT_EQ(bills[1].bill_number, 102);
    EXPECT_DOUBLE_EQ(bills[1].received, 29.5);
    EXPECT_EQ(bills[1].collector, s("李四"));
    EXPECT_EQ(bills[1].date.date(), QDate(2024, 3, 18));
    EXPECT_TRUE(charging::paid_charge_record(db(), 101).has_value());
    EXPECT_FALSE(charging::paid_charge_record(db(), 201).has_value());  // unpaid

    exec(s("insert into 收费员 (收费人员) values ('李四'),('O''Neil')"));
    EXPECT_EQ(charging::edit_collector_choices(db(), s("预存扣款")), QStringList{s("预存扣款")});
    EXPECT_TRUE(charging::edit_collector_choices(db(), s("李四")).contains(s("O'Neil")));
    EXPECT_FALSE(charging::edit_collector_choices(db(), s("李四")).contains(s("管理员")));

    charging::ChargeEditRequest r;
    r.bill_number = 102;
    r.received = s("28.8");
    r.carry_over = s("0.7");
    r.cost = s("");     // empty: 0
    r.billed = s("x");  // no number: 0
    r.prepaid = s("1.5");
    r.collector = s("O'Neil");
    r.date = QDate(2024, 3, 19);
    r.original_received = 29.5;
    r.original_collector = s("李四");
    const charging::ChargeEditOutcome out = charging::save_charge_record_edit(db(), r, context());
    EXPECT_TRUE(out.done);
    EXPECT_EQ(out.messages, (platform::Messages{platform::information(s("修改成功！"))}));
    EXPECT_EQ(
        rows(s("select 实收金额,本月接转,成本金额,应收金额,收费人员,预存扣款,收费日期 from 总收费 "
               "where 收据号=102")),
        (QList<QStringList>{
            {s("28.8"), s("0.7"), s("0"), s("0"), s("O'Neil"), s("1.5"), s("2024-03-19")}}));
    EXPECT_EQ(value(s("select 收费人员 from 总收费 where 收据号=101")), s("李四"));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='收费修改'")),
              s("修改收据号：№02把原实收金额：29.5修改为：28.8把原收费人员：李四修改为：O Neil"));
}

TEST_F(PaymentChanges, EditWithAnAmountThatIsNoNumberWritesNothing) {
    pay({101}, "李四");
    const QList<QStringList> before = rows(s("select * from 总收费"));
    charging::ChargeEditRequest r;
    r.bill_number = 101;
    r.collector = s("李四");
    r.date = QDate(2024, 3, 19);
    for (const char* typed : {"", "abc", "1,收费标志=1", "12 or 1=1"}) {
        r.received = s(typed);
        const charging::ChargeEditOutcome out =
            charging::save_charge_record_edit(db(), r, context());
        EXPECT_FALSE(out.done) << typed;
        EXPECT_TRUE(out.messages.isEmpty()) << typed;
    }
    r.received = s("5");
    r.bill_number = 0;  // nothing loaded
    EXPECT_FALSE(charging::save_charge_record_edit(db(), r, context()).done);
    EXPECT_EQ(rows(s("select * from 总收费")), before);
}

TEST_F(PaymentChanges, EditWithAFailedLogSaysBoth) {
    pay({101}, "李四");
    break_log();
    charging::ChargeEditRequest r;
    r.bill_number = 101;
    r.received = s("40");
    r.collector = s("李四");
    r.date = QDate(2024, 3, 19);
    const charging::ChargeEditOutcome out = charging::save_charge_record_edit(db(), r, context());
    EXPECT_TRUE(out.done);
    EXPECT_EQ(out.messages, (platform::Messages{platform::information(s("添加日志失败！")),
                                                platform::information(s("修改成功！"))}));
}

class ReceiptReprint : public PaymentChanges {
protected:
    void SetUp() override {
        PaymentChanges::SetUp();
        charging::charge_receipt_printer() = [this](qint64 n) {
            printed.push_back(n);
            return true;
        };
        charging::prepay_receipt_printer() = [this](qint64 n, double) {
            printed_prepay.push_back(n);
            return true;
        };
        charging::reprint_waiter() = [this](int ms) { waits.push_back({printed.size(), ms}); };
    }
    std::vector<qint64> printed, printed_prepay;
    std::vector<std::pair<size_t, int>> waits;  // (receipts printed so far, milliseconds)
};

TEST_F(ReceiptReprint, RangePrintsExistingSerialsAndPausesAfterEverySecond) {
    // Five consecutive serials: 1..4 paid, the fifth voided, plus a bill of a household
    // whose readings are under a meter account (户号 differs from the bill's).
    household("0003", "孙七");
    bill("0003", 301, 5, 5);
    exec(s("update 抄表总表 set 户号='000301' where 收据号=301"));
    bill("0002", 202, 1, 1);
    pay({101}, "李四");
    pay({102}, "李四");
    pay({301}, "李四");
    pay({201}, "李四");
    const qint64 voided = pay({202}, "李四");
    ASSERT_TRUE(charging::void_payment(db(), voided, context()).done);
    pay({103}, "李四");  // past the range

    charging::ReprintRequest r;
    r.first = s("№000000001");
    r.last = s("№000000005");
    r.per_pause = s("2");
    r.pause = s("3");
    const charging::ReprintOutcome out = charging::run_receipt_reprint(db(), r, context());
    EXPECT_TRUE(out.run);
    EXPECT_EQ(printed, (std::vector<qint64>{1000000001, 1000000002, 1000000003, 1000000004}));
    EXPECT_EQ(out.printed, printed);
    EXPECT_EQ(waits, (std::vector<std::pair<size_t, int>>{{2, 3000}, {4, 3000}}));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='收据重打' order by rowid desc")),
              s("打印收费流水号：№000000004"));
    EXPECT_EQ(count(s("select count(*) from 日志管理 where 当前项目='收据重打'")), 4);
}

TEST_F(ReceiptReprint, NumbersAreReadAsTheReceiptShowsThem) {
    pay({101}, "李四");
    pay({102}, "李四");
    pay({201}, "李四");
    ASSERT_EQ(charging::reprint_series_width(db(), charging::ReprintScheme::Charge), 9);
    const std::vector<qint64> first_two{1000000001, 1000000002};
    struct Case {
        const char* first;
        const char* last;
        std::vector<qint64> printed;
    };
    const Case cases[] = {
        {"№000000001", "№000000002", first_two},
        {"000000001", "000000002", first_two},  // the digits after "№", without it
        {"1", "2", first_two},
        {" №1 ", "002", first_two},
        {"1000000001", "1000000002", first_two},  // the stored number in full
        {"3", "3", {1000000003}},
        {"4", "10", {}},
        {"abc", "", {}},
    };
    for (const Case& c : cases) {
        printed.clear();
        charging::ReprintRequest r;
        r.first = s(c.first);
        r.last = s(c.last);
        r.per_pause = s("5");
        r.pause = s("0");
        const qint64 logged = count(s("select count(*) from 日志管理 where 当前项目='收据重打'"));
        const charging::ReprintOutcome out = charging::run_receipt_reprint(db(), r, context());
        EXPECT_TRUE(out.run) << c.first;
        EXPECT_EQ(printed, c.printed) << c.first << " " << c.last;
        EXPECT_EQ(count(s("select count(*) from 日志管理 where 当前项目='收据重打'")),
                  logged + static_cast<qint64>(c.printed.size()))
            << c.first;
        EXPECT_EQ(out.messages,
                  c.printed.empty()
                      ? platform::Messages{platform::information(s("没有找到要重打的票据！"))}
                      : platform::Messages{})
            << c.first;
    }
}

TEST_F(ReceiptReprint, TheWidthOfASeriesComesFromItsNumbers) {
    EXPECT_EQ(charging::reprint_series_width(db(), charging::ReprintScheme::Charge), -1);
    exec(s("insert into 预存明细 (收据号,户号,预存金额,标志) values (100004,'0001',10,1)"));
    EXPECT_EQ(charging::reprint_series_width(db(), charging::ReprintScheme::Prepay), 5);
    struct Case {
        const char* typed;
        int width;
        qint64 number;
    };
    const Case cases[] = {
        {"4", 5, 100004},      {"00004", 5, 100004}, {"№00004", 5, 100004},
        {"100004", 5, 100004}, {"№4", 5, 100004},    {"№00004", -1, 100004},
        {"4", -1, 4},          {"1２", 5, 0},        {"", 5, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(charging::reprint_number_from_text(s(c.typed), c.width), c.number) << c.typed;
}

TEST_F(ReceiptReprint, RefusalsComeBeforeTheRange) {
    struct Case {
        const char* first;
        const char* last;
        const char* per_pause;
        const char* message;
        charging::ReprintOutcome::Focus focus;
    };
    using Focus = charging::ReprintOutcome::Focus;
    const Case cases[] = {
        {"№000000005", "№000000001", "0", "发票张数不能小于０!", Focus::PerPause},
        {"1", "2", "abc", "发票张数不能小于０!", Focus::PerPause},
        {"№000000005", "№000000001", "1", "流水号2必须大于等于收据号1", Focus::Last},
    };
    for (const Case& c : cases) {
        charging::ReprintRequest r;
        r.first = s(c.first);
        r.last = s(c.last);
        r.per_pause = s(c.per_pause);
        r.pause = s("1");
        const charging::ReprintOutcome out = charging::run_receipt_reprint(db(), r, context());
        EXPECT_FALSE(out.run) << c.message;
        EXPECT_EQ(out.message, s(c.message));
        EXPECT_EQ(out.focus, c.focus);
    }
    EXPECT_TRUE(printed.empty());
}

TEST_F(ReceiptReprint, PrepaymentReceiptsWhateverTheirFlagAndNoPauseAtZeroSeconds) {
    exec(
        s("insert into 预存明细 (收据号,户号,预存金额,标志) values (1000007,'0001',100,1),"
          "(1000008,'0001',50,2),(1000010,'0002',20,1)"));
    charging::ReprintRequest r;
    r.scheme = charging::ReprintScheme::Prepay;
    r.first = s("№000007");
    r.last = s("1000010");
    r.per_pause = s("1");
    r.pause = s("0");
    const charging::ReprintOutcome out = charging::run_receipt_reprint(db(), r, context());
    EXPECT_EQ(printed_prepay, (std::vector<qint64>{1000007, 1000008, 1000010}));
    EXPECT_TRUE(printed.empty());
    EXPECT_TRUE(waits.empty());
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='收据重打' order by rowid")),
              s("打印预存收据号：№000007"));
}

TEST_F(ReceiptReprint, OnePaymentFromTheListPrintsOnceAndLogsTheCell) {
    EXPECT_TRUE(
        charging::reprint_payment_receipt(db(), 1000000009, s("№000000009"), context()).isEmpty());
    EXPECT_EQ(printed, (std::vector<qint64>{1000000009}));
    EXPECT_EQ(rows(s("select 上级项目,当前项目,备注 from 日志管理")),
              (QList<QStringList>{{s("打印设置"), s("流水号重打"), s("打印流水号：№000000009")}}));
    break_log();
    EXPECT_EQ(charging::reprint_payment_receipt(db(), 1000000009, s("№000000009"), context()),
              (platform::Messages{platform::information(s("添加日志失败！"))}));
}

}  // namespace
}  // namespace charging_test
