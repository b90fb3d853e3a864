// Batch charging: which households a reader and street select, one serial per household in
// list order, every bill of the household paid, a run that stops at a failing household keeping
// the households before it and saying so, and blank choices refused.
#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QPushButton>

#include "charging/batch_charging.h"
#include "charging/batch_charging_window.h"
#include "charging_fixture.h"
#include "harness/busy_watch.h"
#include "harness/units.h"

namespace charging_test {
namespace {

class BatchCharging : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        params.payment_serial_digits = 6;
        shell::system_parameters = params;
        household("0001", "甲", "东区");
        household("0002", "乙", "西区");
        household("0003", "丙", "东区");
        meter("0001", "000101", "张三");
        meter("0002", "000201", "张三");
        meter("0002", "000202", "张三");
        meter("0003", "000301", "李四");
        bill("000101", 11, 10, 10);
        bill("0001", 12, 5,
             5.5);  // keyed by the household: paid with it, found only through 000101
        bill("000201", 21, 7, 7);
        bill("000202", 22, 8, 8);
        bill("000301", 31, 9, 9);
    }
    QStringList serials() {
        QStringList out;
        for (const QStringList& r : rows(s("select 收据号,流水号 from 总收费 order by 收据号")))
            out << r.join(u':');
        return out;
    }
    QStringList texts(const charging::Messages& messages) {
        QStringList out;
        for (const auto& m : messages) out << m.text;
        return out;
    }
};

TEST_F(BatchCharging, ChecksBeforeTheQuestion) {
    EXPECT_EQ(charging::check_batch_request({s(""), s(""), s("李四")}).message,
              s("请选择抄表人员或居住街道！"));
    EXPECT_EQ(charging::check_batch_request({s(""), s("东区"), s("")}).focus,
              charging::BatchField::Collector);
    EXPECT_TRUE(charging::check_batch_request({s("张三"), s(""), s("李四")}).ok);
}

// The households a reader and a street choose: a blank street chooses none, both together
// narrow, and a typed quote stays in the value.
TEST_F(BatchCharging, ReaderAndStreetChooseTheHouseholds) {
    const struct {
        const char *reader, *street;
        QStringList households;
    } cases[] = {
        {"张三", " ", {s("0002"), s("0001")}}, {"张三", "东区", {s("0001")}},
        {"", "东区", {s("0001"), s("0003")}},  {"张三' or '1'='1", "", {}},
        {"张三", "东区' or '1'='1", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.reader) + "/" + c.street);
        charging::Messages messages;
        bool refilled = false;
        const QStringList households = charging::collect_batch_households(
            db(), {s(c.reader), s(c.street), s("王收")}, messages, {}, &refilled);
        EXPECT_TRUE(refilled);
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(households, c.households);
    }
}

TEST_F(BatchCharging, OneSerialPerHouseholdInListOrder) {
    const charging::BatchRunOutcome out =
        charging::run_batch_charging(db(), {s("张三"), s(""), s("王收")}, context());
    ASSERT_TRUE(out.charged);
    EXPECT_EQ(texts(out.messages), QStringList{s("批量收费完成！")});
    EXPECT_EQ(out.batch.households_charged, 2);
    EXPECT_EQ(out.batch.bills_paid, 4);
    // 0002 has two matching rows, so it comes first.
    EXPECT_EQ(serials(), (QStringList{s("11:1000002"), s("12:1000002"), s("21:1000001"),
                                      s("22:1000001"), s("31:")}));
    EXPECT_EQ(rows(s("select distinct 收费人员,收费日期,发票号 from 总收费 where 收费标志=0")),
              (QList<QStringList>{{s("王收"), s("2024-03-20"), s("")}}));
    EXPECT_EQ(value(s("select 实收金额 from 总收费 where 收据号=12")), s("5.5"));
    EXPECT_EQ(rows(s("select 流水号 from 抄表总表 where 收据号 in (11,12) order by 收据号")),
              (QList<QStringList>{{s("1000002")}, {s("1000002")}}));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='批量收费'")),
              s("执行批量收费；把抄表人员：张三的抄表内容，作为收费人员：王收收费记录。"));
}

TEST_F(BatchCharging, ReaderAndStreetTogether) {
    const charging::BatchRunOutcome out =
        charging::run_batch_charging(db(), {s("张三"), s("东区"), s("王收")}, context());
    EXPECT_EQ(out.batch.households_charged, 1);
    EXPECT_EQ(serials(),
              (QStringList{s("11:1000001"), s("12:1000001"), s("21:"), s("22:"), s("31:")}));
}

TEST_F(BatchCharging, AHouseholdWhoseBillsCarryItsOwnNumberIsChargedToo) {
    // The engine keys bills by the household number: 0004 has no bill under its account.
    household("0004", "丁", "东区");
    meter("0004", "000401", "李四");
    meter("0004", "000402", "李四");
    bill("0004", 41, 6, 6);
    const charging::BatchRunOutcome out =
        charging::run_batch_charging(db(), {s("李四"), s(""), s("王收")}, context());
    ASSERT_TRUE(out.charged);
    EXPECT_EQ(out.batch.households_charged, 2);
    EXPECT_EQ(rows(s("select 收据号,流水号 from 总收费 where 收据号 in (31,41) order by 收据号")),
              (QList<QStringList>{{s("31"), s("1000001")}, {s("41"), s("1000002")}}));
}

TEST_F(BatchCharging, NothingToCharge) {
    const charging::BatchRunOutcome out =
        charging::run_batch_charging(db(), {s("无人"), s(""), s("王收")}, context());
    EXPECT_FALSE(out.charged);
    EXPECT_EQ(texts(out.messages), QStringList{s("没有待收费的记录！")});
    EXPECT_EQ(count(s("select count(*) from 日志管理 where 当前项目='批量收费'")), 0);
}

TEST_F(BatchCharging, AFailingHouseholdStopsTheRunAndKeepsTheOnesBefore) {
    fail_readings_of(12);  // the second household's second bill
    const charging::BatchRunOutcome out =
        charging::run_batch_charging(db(), {s("张三"), s(""), s("王收")}, context());
    EXPECT_TRUE(out.batch.stopped);
    EXPECT_EQ(out.batch.households_charged, 1);
    ASSERT_EQ(out.messages.size(), 2u);
    EXPECT_TRUE(out.messages[0].plain);
    EXPECT_TRUE(out.messages[0].text.contains(s("boom")));
    EXPECT_EQ(out.messages[1].text, s("批量收费未完成！已收费1户。"));
    EXPECT_EQ(count(s("select count(*) from 日志管理 where 当前项目='批量收费'")), 1);
    // Nothing of household 0001 is paid, not even its first bill.
    EXPECT_EQ(serials(),
              (QStringList{s("11:"), s("12:"), s("21:1000001"), s("22:1000001"), s("31:")}));
    EXPECT_EQ(count(s("select count(*) from 抄表总表 where 收据号=11 and 流水号 is not null")), 0);
}

// A failure is reported with the database's text, and only what was committed is counted.
TEST_F(BatchCharging, NoSuccessAfterAFailure) {
    const struct {
        const char* label;
        const char* fault;  // a trigger
        const char* said;   // the database's text
        const char* last;   // the last word, if any
    } cases[] = {
        {"the refill fails",
         "create trigger 坏 before insert on 未收费数据 begin select raise(abort,'disk full'); end",
         "disk full", nullptr},
        {"the first household fails",
         "create trigger 坏 before update on 抄表总表 begin select raise(abort,'disk full'); end",
         "disk full", "批量收费未完成！已收费0户。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(sqlite3_exec(platform::db_handle(db()), c.fault, nullptr, nullptr, nullptr),
                  SQLITE_OK);
        const charging::BatchRunOutcome out =
            charging::run_batch_charging(db(), {s("张三"), s(""), s("王收")}, context());
        exec(s("drop trigger 坏"));
        EXPECT_FALSE(out.charged);
        EXPECT_EQ(out.batch.households_charged, 0);
        EXPECT_EQ(out.batch.bills_paid, 0);
        ASSERT_FALSE(out.messages.empty());
        EXPECT_TRUE(out.messages[0].plain);
        EXPECT_TRUE(out.messages[0].text.contains(s(c.said))) << out.messages[0].text.toStdString();
        const QStringList said = texts(out.messages);
        EXPECT_FALSE(said.contains(s("批量收费完成！")));
        EXPECT_FALSE(said.contains(s("没有待收费的记录！")));
        if (c.last) {
            EXPECT_EQ(said.back(), s(c.last));
        }
        EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 0);
        EXPECT_EQ(count(s("select count(*) from 日志管理 where 当前项目='批量收费'")), 0);
    }
}

// One blank reader or street must never select the whole register.
TEST_F(BatchCharging, BlankReaderAndStreetAreRefused) {
    const char* blanks[] = {" ", "　", " 　\t", "\t"};
    for (const char* blank : blanks) {
        SCOPED_TRACE(blank);
        for (const charging::BatchRequest& request :
             {charging::BatchRequest{s(blank), s(""), s("王收")},
              charging::BatchRequest{s(""), s(blank), s("王收")},
              charging::BatchRequest{s(blank), s(blank), s("王收")}}) {
            EXPECT_EQ(charging::check_batch_request(request).message,
                      s("请选择抄表人员或居住街道！"));
            const charging::BatchRunOutcome out =
                charging::run_batch_charging(db(), request, context());
            EXPECT_EQ(texts(out.messages), QStringList{s("请选择抄表人员或居住街道！")});
        }
        EXPECT_EQ(charging::check_batch_request({s("张三"), s(""), s(blank)}).message,
                  s("请选择收费人员！"));
    }
    EXPECT_EQ(count(s("select count(*) from 总收费 where 收费标志=0")), 0);
}

TEST_F(BatchCharging, PrepaymentsSettleFirst) {
    bool settled = false;
    charging::batch_pay_from_prepayments_hook() = [this, &settled](const shell::RunContext&) {
        settled = true;
        exec(s(
            "update 总收费 set 收费标志=0,收费人员='预存扣款',流水号=500 where 收据号 in (21,22)"));
    };
    const charging::BatchRunOutcome out =
        charging::run_batch_charging(db(), {s("张三"), s(""), s("王收")}, context());
    EXPECT_TRUE(settled);
    EXPECT_EQ(out.batch.households_charged, 1);
    EXPECT_EQ(value(s("select 流水号 from 总收费 where 收据号=11")), s("501"));
}

}  // namespace
}  // namespace charging_test

namespace charging_test {
namespace {

// The window: the progress window stands over the run and advances per household, and a click
// on the button during the run does not charge again.
TEST_F(BatchCharging, TheWindowShowsTheRunMovingAndTakesNoSecondClick) {
    exec(s("insert into 抄表员(抄表员) values ('张三')"));
    exec(s("insert into 收费员(收费人员) values ('王收')"));
    charging::BatchChargingWindow window;
    window.show();
    harness::unit<QComboBox>(&window, "组合框_抄表人员")->setCurrentText(s("张三"));
    harness::unit<QComboBox>(&window, "组合框_收费人员")->setCurrentText(s("王收"));
    auto* button = harness::unit<QPushButton>(&window, "查询按钮");
    harness::BusyWatch watch;
    watch.on_first_paint([button] { harness::post_click(button); });
    ui.expect_box(s("确认要把选择的所有抄表记录"), platform::MsgResult::Ok)
        .expect_box(s("批量收费完成！"));
    button->click();
    QCoreApplication::processEvents();

    EXPECT_EQ(watch.windows_opened(), 1);
    ASSERT_FALSE(watch.painted_positions().empty());
    EXPECT_EQ(watch.painted_positions().back(), 2);  // 0002 and 0001 charged
    EXPECT_EQ(ui.boxes().size(), 2u);
    EXPECT_EQ(count(s("select count(distinct 流水号) from 总收费 where 收费标志=0")), 2);
    EXPECT_TRUE(button->isEnabled());
}

}  // namespace
}  // namespace charging_test
