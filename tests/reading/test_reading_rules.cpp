// The rules every reading path builds on: usage with and without rollover, the loss, the entry
// window's integer usage, month bounds, the already-read test and the start reading.
#include <gtest/gtest.h>

#include "reading/reading_rules.h"
#include "reading_fixture.h"

using namespace reading_test;
using reading::MeterState;

namespace {

TEST(ReadingRules, UsageAndTheEntryWindowsIntegerUsage) {
    struct Case {
        double start, end;
        int multiplier;
        MeterState state;
        double usage, integer_usage;
    };
    const Case cases[] = {
        {0, 10.6, 1, MeterState::Normal, 10.6, 10},
        {0, 10.7, 2, MeterState::Normal, 21.4, 20},
        {9990, 15, 1, MeterState::Rollover, 25, 25},
        {9990.5, 15.2, 2, MeterState::Rollover, 49.4, 48},
        {120, 120, 3, MeterState::Normal, 0, 0},
        {100, 99.5, 1, MeterState::Normal, -0.5, 0},
        // A rollover is taken as such whatever the readings: 10000 is added all the same.
        {10, 30, 1, MeterState::Rollover, 10020, 10020},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " -> " << c.end << " x" << c.multiplier);
        EXPECT_NEAR(reading::reading_usage(c.start, c.end, c.multiplier, c.state), c.usage, 1e-9);
        EXPECT_DOUBLE_EQ(reading::entry_integer_usage(c.start, c.end, c.multiplier, c.state),
                         c.integer_usage);
    }
}

TEST(ReadingRules, EndBelowStartHasTheToleranceAndRolloverIsNotTested) {
    EXPECT_FALSE(reading::end_below_start(100, 100 - 5e-8, MeterState::Normal));
    EXPECT_TRUE(reading::end_below_start(100, 99.999, MeterState::Normal));
    EXPECT_FALSE(reading::end_below_start(9990, 15, MeterState::Rollover));
    EXPECT_EQ(reading::meter_state_from_text(s("翻字")), MeterState::Rollover);
    EXPECT_EQ(reading::meter_state_from_text(s("正常")), MeterState::Normal);
}

TEST(ReadingRules, LossRoundsHalfAwayFromZeroToTheFeeItemsDecimals) {
    struct Case {
        double usage;
        int rate;
        const char* digits;
        double loss;
    };
    const Case cases[] = {
        {10.6, 10, "百分位", 1.06},   {10.6, 10, "十分位", 1.1}, {10.6, 10, "个位", 1},
        {15, 5, "十分位", 0.8},       {25, 10, "个位", 3},       {10, 10, "", 1},
        {25, 5, "按位", 1},           {10, 0, "百分位", 0},      {20, 5, "十分位", 1},
        {1.005, 100, "百分位", 1.01},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.usage << " " << c.rate << "% " << c.digits);
        EXPECT_DOUBLE_EQ(reading::loss_for_usage(c.usage, c.rate, s(c.digits)), c.loss);
    }
}

TEST(ReadingRules, MonthTextsAreUnpadded) {
    EXPECT_EQ(reading::month_text(QDate(2012, 9, 5)), s("2012-9"));
    EXPECT_EQ(reading::month_first_literal(QDate(2012, 9, 5)), s("#2012-9-1#"));
    EXPECT_EQ(reading::month_last_literal(QDate(2012, 9, 5)), s("#2012-9-30#"));
    EXPECT_EQ(reading::month_last_literal(QDate(2024, 2, 10)), s("#2024-2-29#"));
}

class ReadingLookups : public ReadingTest {};

TEST_F(ReadingLookups, MonthConditionTakesTheWholeMonthOfAnyDayInIt) {
    add_water_household(s("0001"), s("甲"), 1);
    for (const char* day : {"2024-11-30", "2024-12-1", "2024-12-31", "2025-1-1"})
        add_history(s("000101"), s("0001"), 0, 5, s(day));
    EXPECT_EQ(rows(s("select 抄表日期 from 抄表总表 where ") +
                   reading::month_condition(s("抄表日期"), QDate(2024, 12, 31)) +
                   s(" order by 抄表日期")),
              (QList<QStringList>{{s("2024-12-01")}, {s("2024-12-31")}}));
}

TEST_F(ReadingLookups, ReadInMonthIncludesTheLastDayAndNotTheNextMonth) {
    add_water_household(s("0001"), s("甲"), 1);
    add_history(s("000101"), s("0001"), 0, 5, s("2024-3-31"));
    EXPECT_TRUE(reading::read_in_month(db(), s("000101"), s("水费"), s("居民"), QDate(2024, 3, 1)));
    EXPECT_FALSE(
        reading::read_in_month(db(), s("000101"), s("电费"), s("居民"), QDate(2024, 3, 1)));
    EXPECT_FALSE(
        reading::read_in_month(db(), s("000101"), s("水费"), s("商业"), QDate(2024, 3, 1)));
    EXPECT_TRUE(reading::account_read_in_month(db(), s("000101"), QDate(2024, 3, 15)));

    add_water_household(s("0002"), s("乙"), 2);
    add_history(s("000201"), s("0002"), 0, 5, s("2024-4-1"));
    EXPECT_FALSE(
        reading::read_in_month(db(), s("000201"), s("水费"), s("居民"), QDate(2024, 3, 20)));
    EXPECT_TRUE(
        reading::read_in_month(db(), s("000201"), s("水费"), s("居民"), QDate(2024, 4, 30)));
    add_history(s("000201"), s("0002"), 5, 6, s("2024-2-29"));
    EXPECT_TRUE(reading::account_read_in_month(db(), s("000201"), QDate(2024, 2, 1)));
}

TEST_F(ReadingLookups, StartReadingFromHistoryOpeningReadingAndMeterChange) {
    add_water_household(s("0001"), s("甲"), 1, 120);
    const QDate march(2024, 3, 5);
    // No reading yet: the account's opening reading; pending rows are not consulted.
    add_pending(s("000101"), s("0001"), 120, 150);
    EXPECT_DOUBLE_EQ(reading::start_reading(db(), s("000101"), s("水费"), s("居民"), march), 120);

    add_history(s("000101"), s("0001"), 120, 130, s("2024-1-10"));
    add_history(s("000101"), s("0001"), 130, 141.5, s("2024-2-10"));
    add_history(s("000101"), s("0001"), 0, 999, s("2024-2-20"), s("水费"), s("商业"));
    EXPECT_DOUBLE_EQ(reading::start_reading(db(), s("000101"), s("水费"), s("居民"), march), 141.5);

    // A change executed in another month is ignored; one of the reading's month wins.
    exec(
        s("insert into 换表管理 (户号,旧表编号,新表编号,换表起方,换表日期,执行日期,操作人员) "
          "values ('000101','M1','M2',7,'2024-2-1','2024-2','张三')"));
    EXPECT_DOUBLE_EQ(reading::start_reading(db(), s("000101"), s("水费"), s("居民"), march), 141.5);
    exec(
        s("insert into 换表管理 (户号,旧表编号,新表编号,换表起方,换表日期,执行日期,操作人员) "
          "values ('000101','M2','M3',3,'2024-3-1','2024-3','张三')"));
    EXPECT_DOUBLE_EQ(reading::start_reading(db(), s("000101"), s("水费"), s("居民"), march), 3);
    EXPECT_DOUBLE_EQ(
        reading::start_reading(db(), s("000101"), s("水费"), s("居民"), QDate(2024, 4, 1)), 141.5);
}

TEST_F(ReadingLookups, QuotesInNumbersAndNamesStayInsideTheirTexts) {
    add_household(s("O'1"), s("O'Brien"));
    Meter m;
    m.number = s("O'101");
    m.household = s("O'1");
    m.start = 7;
    m.category = s("居'民");
    add_meter(m);
    add_category(s("水费"), s("居'民"), 3.5, 0);
    EXPECT_DOUBLE_EQ(
        reading::start_reading(db(), s("O'101"), s("水费"), s("居'民"), QDate(2024, 3, 5)), 7);
    EXPECT_DOUBLE_EQ(reading::category_price(db(), s("水费"), s("居'民")), 3.5);
    reading::PendingReading row;
    row.account = s("O'101");
    row.household = s("O'1");
    row.end = 9;
    row.usage = 9;
    row.date = QDate(2024, 3, 5);
    row.fee_item = s("水费");
    row.category = s("居'民");
    row.reader = s("张'三");
    row.price = 3.5;
    exec(reading::pending_insert_statement(row));
    EXPECT_EQ(rows(s("select 户号,父号,抄表日期,价格类别,抄表人员,价格,用量 from 抄表管理")),
              (QList<QStringList>{{s("O'101"), s("O'1"), s("2024-03-05"), s("居'民"), s("张'三"),
                                   s("3.5"), s("9")}}));
}

}  // namespace
