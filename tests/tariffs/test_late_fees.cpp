// Late fees: the fee of one bill by rate and by fixed amount with month-end and day-d due
// dates, and the recomputation of a household's unpaid bills.
#include "engine_fixture.h"
#include "tariffs/late_fees.h"

namespace tariffs_test {
namespace {

struct FeeCase {
    const char* start_day;
    const char* mode;
    const char* value;
    QDate bill;
    QDate today;
    double fee;
};

const FeeCase kFees[] = {
    {"每月最后一天", "按利率", "3", {2012, 8, 20}, {2012, 9, 10}, 3.00},
    {"每月最后一天", "按利率", "3", {2012, 8, 20}, {2012, 8, 28}, 0},
    {"每月最后一天", "固定金额", "5", {2012, 8, 20}, {2012, 10, 5}, 10.00},
    {"每月最后一天", "固定金额", "5", {2012, 12, 5}, {2013, 1, 20}, 5.00},
    {"15", "固定金额", "5", {2012, 8, 20}, {2012, 8, 25}, 5.00},
    {"15", "固定金额", "5", {2012, 8, 20}, {2012, 9, 10}, 10.00},
    {"15", "按利率", "3", {2012, 8, 20}, {2012, 9, 10}, 7.80},
    {"15", "按利率", "3", {2012, 8, 20}, {2012, 8, 10}, 0},
    // Dated on the due day itself: the first fee comes the next day.
    {"每月最后一天", "按利率", "3", {2012, 8, 31}, {2012, 8, 31}, 0},
    {"每月最后一天", "按利率", "3", {2012, 8, 31}, {2012, 9, 1}, 0.30},
    {"每月最后一天", "按利率", "abc", {2012, 8, 20}, {2012, 9, 10}, 0},
};

TEST(ComputeLateFee, WorkedExamples) {
    for (const FeeCase& c : kFees) {
        shell::SystemParameters p;
        p.late_fee_enabled = s("开启");
        p.late_fee_start_day = s(c.start_day);
        p.late_fee_mode = s(c.mode);
        p.late_fee_value = s(c.value);
        EXPECT_DOUBLE_EQ(tariffs::compute_late_fee(c.bill, 100, p, c.today), c.fee)
            << c.start_day << " " << c.mode << " " << c.bill.toString().toStdString() << " "
            << c.today.toString().toStdString();
        p.late_fee_enabled = s("关闭");
        EXPECT_EQ(tariffs::compute_late_fee(c.bill, 100, p, c.today), 0);
    }
}

TEST(ComputeLateFee, NothingOutstandingEarnsOnlyAFixedFee) {
    shell::SystemParameters p;
    p.late_fee_enabled = s("开启");
    p.late_fee_start_day = s("每月最后一天");
    p.late_fee_value = s("5");
    p.late_fee_mode = s("按利率");
    EXPECT_EQ(tariffs::compute_late_fee({2012, 8, 20}, 0, p, {2012, 10, 5}), 0);
    p.late_fee_mode = s("固定金额");
    EXPECT_EQ(tariffs::compute_late_fee({2012, 8, 20}, 0, p, {2012, 10, 5}), 10);
}

class LateFees : public EngineTest {
public:
    void SetUp() override {
        EngineTest::SetUp();
        params.rounding_enabled = s("真");
        params.rounding_position = s("个位");
        params.late_fee_enabled = s("开启");
        params.late_fee_start_day = s("每月最后一天");
        params.late_fee_mode = s("按利率");
        params.late_fee_value = s("3");
    }
    void unpaid(const char* number, qint64 receipt, const char* date, double billed,
                double carry_in, double reduction = 0, double prepaid = 0) {
        exec(s("insert into 总收费 (户号,收据号,标志,收费标志,抄表日期,应收金额,上月接转,减免金额,"
               "预存扣款,实收金额,本月接转,滞纳金) values (") +
             q(s(number)) + u',' + QString::number(receipt) + s(",1,1,") + q(s(date)) + u',' +
             n(billed) + u',' + n(carry_in) + u',' + n(reduction) + u',' + n(prepaid) +
             s(",1,0,0)"));
    }
    void expect_bill(qint64 receipt, const Columns& columns) {
        expect_columns(s("select * from 总收费 where 收据号=") + QString::number(receipt), columns,
                       "bill " + std::to_string(receipt));
    }
};

TEST_F(LateFees, WorkedExampleCarriesTheRoundingOn) {
    unpaid("0001", 101, "2012-8-20", 100, 0.4);
    unpaid("0001", 102, "2012-9-20", 80, -0.2);
    const auto out =
        tariffs::apply_late_fees_to_unpaid_charges(db(), s("0001"), params, {2012, 10, 10});
    EXPECT_EQ(out.bills_updated, 2);
    expect_bill(101, {{"滞纳金", "12"}, {"上月接转", "0.4"}, {"实收金额", "112"}, {"本月接转", "0.4"}});
    expect_bill(102, {{"滞纳金", "2.4"}, {"上月接转", "0.4"}, {"实收金额", "82"}, {"本月接转", "0"}});
    // The same day again stores the same values; later the fee grows from 应收金额 again.
    tariffs::apply_late_fees_to_unpaid_charges(db(), s("0001"), params, {2012, 10, 10});
    expect_bill(101, {{"滞纳金", "12"}, {"实收金额", "112"}});
    tariffs::apply_late_fees_to_unpaid_charges(db(), s("0001"), params, {2012, 10, 20});
    expect_bill(101, {{"滞纳金", "15"}, {"实收金额", "115"}});
}

TEST_F(LateFees, GrantedReductionStaysOffTheAmountDue) {
    unpaid("0001", 101, "2012-8-20", 100, 0.4, 10);
    tariffs::apply_late_fees_to_unpaid_charges(db(), s("0001"), params, {2012, 10, 10});
    expect_bill(101, {{"减免金额", "10"}, {"滞纳金", "12"}, {"实收金额", "102"}, {"本月接转", "0.4"}});
}

TEST_F(LateFees, HalvesAndCentsRounding) {
    params.rounding_position = s("十分位");
    unpaid("0001", 101, "2012-8-20", 100, 0.4);
    tariffs::apply_late_fees_to_unpaid_charges(db(), s("0001"), params, {2012, 10, 10});
    // 本月接转 is rounded minus exact, as computed.
    expect_bill(101, {{"实收金额", "111.5"}});
    EXPECT_NEAR(value(s("select 本月接转 from 总收费 where 收据号=101")).toDouble(), -0.1, 1e-9);
    params.rounding_enabled = s("假");
    params.late_fee_mode = s("固定金额");
    params.late_fee_value = s("2.456");
    unpaid("0002", 201, "2012-9-20", 80, 0);
    tariffs::apply_late_fees_to_unpaid_charges(db(), s("0002"), params, {2012, 10, 10});
    // 80 + 2.456 x 1 month = 82.456 -> 82.46, fee itself to the fen.
    expect_bill(201, {{"滞纳金", "2.46"}, {"实收金额", "82.46"}});
}

TEST_F(LateFees, MeterAccountsFirstPaidAndInvalidBillsAlone) {
    exec(s("insert into 用户表管理 (户号,父号,收费项目) values ('000101','0001','水费')"));
    unpaid("000101", 301, "2012-8-20", 50, 0);
    unpaid("0001", 101, "2012-9-20", 80, 0);
    exec(s("insert into 总收费 (户号,收据号,标志,收费标志,抄表日期,应收金额,实收金额) values "
           "('0001',90,1,0,'2012-1-1',10,10)"));
    exec(s("insert into 总收费 (户号,收据号,标志,收费标志,抄表日期,应收金额,实收金额) values "
           "('0001',91,2,1,'2012-1-1',10,10)"));
    const auto out =
        tariffs::apply_late_fees_to_unpaid_charges(db(), s("0001"), params, {2012, 10, 10});
    EXPECT_EQ(out.bills_updated, 2);
    expect_bill(301, {{"滞纳金", "6"}, {"实收金额", "56"}});
    expect_bill(90, {{"实收金额", "10"}, {"滞纳金", ""}});
    expect_bill(91, {{"实收金额", "10"}, {"滞纳金", ""}});
    params.late_fee_enabled = s("关闭");
    EXPECT_EQ(tariffs::apply_late_fees_to_unpaid_charges(db(), s("0001"), params,
                                                         {2013, 10, 10})
                  .bills_updated,
              0);
}

}  // namespace
}  // namespace tariffs_test
