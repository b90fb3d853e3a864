// Bill numbering and the companion statements.
#include <cmath>

#include "engine_fixture.h"
#include "tariffs/bills.h"

namespace tariffs_test {
namespace {

TEST_F(EngineTest, FirstNumbersOfEachKind) {
    EXPECT_EQ(tariffs::take_bill_number(db()).number, 1000000001);
    EXPECT_EQ(tariffs::next_payment_serial(db(), tariffs::kFixedNumberStart).number, 1000000001);
    EXPECT_EQ(tariffs::next_checked_payment_serial(db(), tariffs::number_start(6)).number, 1000001);
    EXPECT_EQ(tariffs::number_start(12), 1000000000000);
}

TEST_F(EngineTest, NumbersPastTwoToTheThirtyOne) {
    exec(s("insert into 抄表总表 (户号,是否收费,收据号) values ('X',1,5000000000)"));
    exec(s("insert into 总收费 (户号,收据号,流水号,标志) values ('X',6000000000,7000000000,1)"));
    // The largest number on the readings or the bills, whichever is larger.
    EXPECT_EQ(tariffs::take_bill_number(db()).number, 6000000001);
    EXPECT_EQ(tariffs::next_payment_serial(db(), 1).number, 7000000001);
    EXPECT_TRUE(tariffs::payment_serial_taken(db(), 7000000000));
    EXPECT_FALSE(tariffs::payment_serial_taken(db(), 7000000001));
}

TEST_F(EngineTest, UnpaidBillStatementLeavesTheSerialOut) {
    tariffs::ChargeRecord bill;
    bill.number = s("O'1");
    bill.bill_number = 1000000001;
    bill.reading_date = QDate(2024, 3, 1);
    bill.charge_date = QDate(2024, 3, 1);
    bill.amount_to_collect = std::nan("");
    exec(tariffs::bill_insert_statement(bill));
    bill.payment_serial = 1000000009;
    bill.bill_number = 1000000002;
    exec(tariffs::bill_insert_statement(bill));
    EXPECT_EQ(rows(s("select 户号,流水号,实收金额,抄表日期 from 总收费 order by 收据号")),
              (QList<QStringList>{{s("O'1"), s(""), s("0"), s("2024-03-01")},
                                  {s("O'1"), s("1000000009"), s("0"), s("2024-03-01")}}));
}

TEST(HalfWidth, LettersDigitsAndBlank) {
    EXPECT_EQ(tariffs::half_width(s("Ａ０１２　ｂ")), s("A012 b"));
    EXPECT_EQ(tariffs::half_width(s("户号")), s("户号"));
}

}  // namespace
}  // namespace tariffs_test
