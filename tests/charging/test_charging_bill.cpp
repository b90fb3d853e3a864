// What the counter and card windows show: the household look-ups, the bill's lists and figures,
// the cashier's arithmetic and the household search.
#include "charging/charging_bill.h"
#include "charging/payments.h"
#include "charging_fixture.h"

namespace charging_test {
namespace {

class ChargingBillTest : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        household("0001", "王五", "东区", "3号楼", "C77");
        household("0002", "王五", "东区", "4号楼", "C77");
        household("0003", "赵六", "西区", "3号楼");
        meter("0001", "000101", "张三", "E100");
        meter("0001", "000102", "张三", "W200", "报停");
        meter("0003", "000301", "李四", "E101");
    }
};

TEST_F(ChargingBillTest, LookUpByNumberNameAndCard) {
    const charging::HouseholdFound by_number =
        charging::find_household(db(), charging::LookupBy::Number, s(" 0001 "));
    ASSERT_TRUE(by_number.found);
    EXPECT_EQ(by_number.address, s("3号楼"));
    EXPECT_EQ(by_number.meter_label(), s("计量表正常:1"));
    // Two households of one name, or of one card: the first the database returns.
    EXPECT_EQ(charging::find_household(db(), charging::LookupBy::Name, s("王五")).number,
              s("0001"));
    EXPECT_EQ(charging::find_household(db(), charging::LookupBy::Card, s("C77")).number, s("0001"));
    EXPECT_FALSE(charging::find_household(db(), charging::LookupBy::Number, s("0'9")).found);
}

TEST_F(ChargingBillTest, ListsAndFiguresOfTwoBills) {
    bill("0001", 101, 50.00, 50.00, 1.20, 0.10, 20, 2.5);
    bill("0001", 102, 45.80, 45.50, 0, -0.30, 13, 3.5, "电费");
    bill("0002", 103, 99, 99);
    exec(s("update 总收费 set 滞纳金=0.65,减免金额=1.00,预存扣款=2.005 where 收据号=102"));
    surcharge_line("0001", 101, "污水费", 20, 0.8);
    surcharge_line("0001", 102, "垃圾费", 1, 3.333);

    const charging::ChargingBill b = charging::load_charging_bill(db(), s("0001"));
    EXPECT_EQ(b.bill_numbers, (std::vector<qint64>{101, 102}));
    ASSERT_EQ(b.readings.size(), 3);
    EXPECT_EQ(b.readings[0], (QStringList{s("水费"), s("100"), s("120"), s("20"), s("￥2.5000"),
                                          s("￥50.0000"), s("2024年3月1日")}));
    EXPECT_EQ(b.readings[1].value(5), s("￥45.5000"));
    EXPECT_EQ(b.readings[2].value(0), s("合计"));
    EXPECT_EQ(b.readings[2].value(5), s("95.5000"));
    ASSERT_EQ(b.surcharges.size(), 3);
    EXPECT_EQ(b.surcharges[0],
              (QStringList{s("水费"), s("污水费"), s("20"), s("0.8000"), s("16.0000")}));
    EXPECT_EQ(b.surcharges[2].value(4), s("19.3330"));
    EXPECT_EQ(b.amount_billed_text(), s("95.80"));
    EXPECT_EQ(b.to_collect_text(), s("95.50"));
    EXPECT_EQ(b.late_fee_text(), s("0.65"));
    EXPECT_EQ(b.carry_in_text(), s("1.20"));
    EXPECT_EQ(b.carry_out_text(), s("-0.30"));
    // 95.80 - 1.20 + 0.65
    EXPECT_EQ(b.due_text(), s("95.25"));
    EXPECT_EQ(b.reduction_text(), s("1.00"));
    EXPECT_EQ(b.prepaid_text(), s("2.01"));
}

struct ArithmeticCase {
    const char* received;
    const char* due;
    const char* reduction;
    const char* prepaid;
    const char* carry_over;
};

TEST(CashierArithmetic, CarryOverChangeAndCopies) {
    const ArithmeticCase cases[] = {
        {"95.50", "95.80", "0.00", "0.00", "-0.30"},
        {"100.00", "95.80", "0.00", "0.00", "4.20"},
        {"", "10", "1", "2", "-7.00"},
        {"abc", "0", "0", "0", "0.00"},
        {"10.005", "0", "0", "0", "10.01"},
    };
    for (const ArithmeticCase& c : cases)
        EXPECT_EQ(charging::carry_over_after_received(s(c.received), s(c.due), s(c.reduction),
                                                      s(c.prepaid)),
                  s(c.carry_over))
            << c.received;
    EXPECT_EQ(charging::change_text(charging::cash_handed(s("100"), s("95.50"))), s("4.50"));
    // An empty 本次收款 is the exact sum: no change to show.
    EXPECT_EQ(charging::change_text(charging::cash_handed(s(""), s("3"))), s(""));
    const std::pair<const char*, int> copies[] = {
        {"3", 3}, {"2.9", 2}, {"0", 0}, {"-1", 0}, {"x", 0}};
    for (const auto& [text, expected] : copies)
        EXPECT_EQ(charging::receipt_copies(s(text)), expected) << text;
}

TEST_F(ChargingBillTest, HouseholdSearch) {
    auto numbers = [this](const char* mode, const char* content) {
        QStringList out;
        for (const QStringList& r : charging::search_households(db(), s(mode), s(content)))
            out << r.value(0) + u'/' + r.value(2);
        return out;
    };
    EXPECT_EQ(numbers("按居住街道", "东区and3号楼"), (QStringList{s("0001/E100"), s("0001/W200")}));
    EXPECT_EQ(numbers("按居住街道", "东区AND3号楼"), (QStringList{s("0001/E100"), s("0001/W200")}));
    EXPECT_EQ(numbers("按居住街道", "西区"), (QStringList{s("0003/E101")}));
    EXPECT_EQ(numbers("按电表编号", "E10"), (QStringList{s("0001/E100"), s("0003/E101")}));
    EXPECT_EQ(numbers("按用户姓名", "赵"), (QStringList{s("0003/E101")}));
    EXPECT_EQ(numbers("", "赵"), QStringList{});
    EXPECT_EQ(numbers("按用户姓名", "赵'"), QStringList{});
}

}  // namespace
}  // namespace charging_test
