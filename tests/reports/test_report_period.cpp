// The report periods: the report month in both forms, the reading window and the twelve
// months of a report year, at month, year and leap-year edges.
#include <gtest/gtest.h>

#include "reports/report_period.h"

namespace {

using reports::ReportPeriodRule;

shell::SystemParameters parameters(const char* day_mode, int settlement_day,
                                   const char* month_mode, int settlement_month,
                                   int reading_day = 1) {
    shell::SystemParameters p;
    p.day_settlement_mode = QString::fromUtf8(day_mode);
    p.settlement_day = settlement_day;
    p.month_settlement_mode = QString::fromUtf8(month_mode);
    p.settlement_month = settlement_month;
    p.reading_day = reading_day;
    return p;
}

struct MonthCase {
    const char* day_mode;
    int settlement_day;
    const char* year;
    const char* month;
    QDate start, end;
    const char* start_literal;
    const char* end_literal;
};

TEST(ReportPeriod, ReportMonthInBothForms) {
    const MonthCase cases[] = {
        {"固定日期", 25, "2012", "1", QDate(2011, 12, 26), QDate(2012, 1, 25), "#2011-12-26#",
         "#2012-1-25#"},
        {"固定日期", 20, "2012", "3", QDate(2012, 2, 21), QDate(2012, 3, 20), "#2012-2-21#",
         "#2012-3-20#"},
        // 28 February + 1 day is 1 March in a common year.
        {"固定日期", 28, "2013", "3", QDate(2013, 3, 1), QDate(2013, 3, 28), "#2013-3-1#",
         "#2013-3-28#"},
        {"每月月底", 25, "2012", "2", QDate(2012, 2, 1), QDate(2012, 2, 29), "#2012-2-1#",
         "#2012-2-29#"},
        {"", 25, "2013", "2", QDate(2013, 2, 1), QDate(2013, 2, 28), "#2013-2-1#", "#2013-2-28#"},
        // Only the exact text gives the settlement form.
        {"固定日期 ", 25, "2012", "12", QDate(2012, 12, 1), QDate(2012, 12, 31), "#2012-12-1#",
         "#2012-12-31#"},
        // Texts as typed go into the literals built from them.
        {"每月月底", 25, "2012", "04", QDate(2012, 4, 1), QDate(2012, 4, 30), "#2012-04-1#",
         "#2012-04-30#"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.day_mode) + " " + c.year + "-" + c.month);
        const ReportPeriodRule rule(parameters(c.day_mode, c.settlement_day, "每年12月", 6));
        const auto period = rule.report_month_bounds(QString::fromUtf8(c.year),
                                                     QString::fromUtf8(c.month));
        EXPECT_EQ(period.start, c.start);
        EXPECT_EQ(period.end, c.end);
        EXPECT_EQ(period.start_literal, QString::fromUtf8(c.start_literal));
        EXPECT_EQ(period.end_literal, QString::fromUtf8(c.end_literal));
    }
}

TEST(ReportPeriod, ReadingWindowStartsOnTheReadingDay) {
    const ReportPeriodRule rule(parameters("固定日期", 25, "每年12月", 6, 15));
    const auto window = rule.report_reading_window(QStringLiteral("2012"), QStringLiteral("2"));
    EXPECT_EQ(window.start, QDate(2012, 2, 15));
    EXPECT_EQ(window.end, QDate(2012, 2, 29));
    EXPECT_EQ(window.start_literal, QStringLiteral("#2012-2-15#"));
    EXPECT_EQ(window.end_literal, QStringLiteral("#2012-2-29#"));
}

TEST(ReportPeriod, SettlementYearEndsInTheSettlementMonth) {
    const ReportPeriodRule rule(parameters("固定日期", 20, "实际月份", 6));
    const auto months = rule.report_year_months(QStringLiteral("2012"), false);
    ASSERT_EQ(months.size(), 12u);
    EXPECT_EQ(months[0].start, QDate(2011, 6, 21));
    EXPECT_EQ(months[0].end, QDate(2011, 7, 20));
    EXPECT_EQ(months[0].label, QStringLiteral("2011年7月"));
    EXPECT_EQ(months[11].start, QDate(2012, 5, 21));
    EXPECT_EQ(months[11].end, QDate(2012, 6, 20));
    EXPECT_EQ(months[11].label, QStringLiteral("2012年6月"));
}

TEST(ReportPeriod, SettlementDay28EndsEveryMonthOnItsOwn28th) {
    const ReportPeriodRule rule(parameters("固定日期", 28, "每年12月", 6));
    const auto months = rule.report_year_months(QStringLiteral("2013"), false);
    ASSERT_EQ(months.size(), 12u);
    EXPECT_EQ(months[0].start, QDate(2012, 12, 29));
    EXPECT_EQ(months[0].end, QDate(2013, 1, 28));
    EXPECT_EQ(months[1].start, QDate(2013, 1, 29));
    EXPECT_EQ(months[1].end, QDate(2013, 2, 28));
    // The 28th of February is February's, not March's too.
    EXPECT_EQ(months[2].start, QDate(2013, 3, 1));
    EXPECT_EQ(months[2].end, QDate(2013, 3, 28));
    for (std::size_t i = 3; i < months.size(); ++i) EXPECT_EQ(months[i].start.day(), 29);
    EXPECT_EQ(months[11].end, QDate(2013, 12, 28));
}

// Every day lies in exactly one month of exactly one report year, and each month is the one
// report_month_bounds gives for it.
TEST(ReportPeriod, SettlementMonthsNeitherOverlapNorLeaveAGap) {
    struct Case {
        const char* month_mode;
        int settlement_month;
        int settlement_day;
    };
    const Case cases[] = {{"每年12月", 6, 28}, {"实际月份", 1, 28}, {"实际月份", 6, 20},
                          {"实际月份", 11, 1}, {"每年12月", 6, 25}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.month_mode) + " " + std::to_string(c.settlement_month) + " " +
                     std::to_string(c.settlement_day));
        const ReportPeriodRule rule(
            parameters("固定日期", c.settlement_day, c.month_mode, c.settlement_month));
        QDate next;
        for (int year = 2010; year <= 2013; ++year) {
            for (const auto& month : rule.report_year_months(QString::number(year), false)) {
                if (next.isValid()) {
                    EXPECT_EQ(month.start, next);
                }
                EXPECT_LE(month.start, month.end);
                const auto bounds = rule.report_month_bounds(QString::number(month.end.year()),
                                                             QString::number(month.end.month()));
                EXPECT_EQ(bounds.start, month.start);
                EXPECT_EQ(bounds.end, month.end);
                next = month.end.addDays(1);
            }
        }
    }
    // 实际月份 with 结算月份 1: the year 2011 runs from 29 January 2010 to 28 January 2011, so a
    // deposit of 30 January 2011 lies in the year 2012.
    const ReportPeriodRule january(parameters("固定日期", 28, "实际月份", 1));
    const auto y2011 = january.report_year_months(QStringLiteral("2011"), false);
    EXPECT_EQ(y2011.front().start, QDate(2010, 1, 29));
    EXPECT_EQ(y2011.back().end, QDate(2011, 1, 28));
    EXPECT_EQ(january.report_year_months(QStringLiteral("2012"), false).front().start,
              QDate(2011, 1, 29));
}

TEST(ReportPeriod, CalendarYears) {
    // 每年12月: January to December of the year typed.
    const ReportPeriodRule december(parameters("固定日期", 20, "每年12月", 6));
    auto months = december.report_year_months(QStringLiteral("2012"), true);
    ASSERT_EQ(months.size(), 12u);
    EXPECT_EQ(months[0].start, QDate(2012, 1, 1));
    EXPECT_EQ(months[1].end, QDate(2012, 2, 29));
    EXPECT_EQ(months[11].end, QDate(2012, 12, 31));
    EXPECT_EQ(months[11].label, QStringLiteral("2012年12月"));
    // 实际月份 with 结算月份 11: December of the previous year to November.
    const ReportPeriodRule november(parameters("每月月底", 20, "实际月份", 11));
    months = november.report_year_months(QStringLiteral("2012"), false);
    ASSERT_EQ(months.size(), 12u);
    EXPECT_EQ(months[0].start, QDate(2011, 12, 1));
    EXPECT_EQ(months[0].end, QDate(2011, 12, 31));
    EXPECT_EQ(months[0].label, QStringLiteral("2011年12月"));
    EXPECT_EQ(months[11].start, QDate(2012, 11, 1));
    EXPECT_EQ(months[11].end, QDate(2012, 11, 30));
}

TEST(ReportPeriod, DisplayTexts) {
    EXPECT_EQ(reports::report_date_text(QDate(2012, 9, 8)), QStringLiteral("2012年9月8日"));
    EXPECT_EQ(reports::report_date_literal(QDate(2012, 9, 8)), QStringLiteral("#2012-9-8#"));
    EXPECT_EQ(reports::report_text_number(QStringLiteral("3.9")), 3);
    EXPECT_EQ(reports::report_text_number(QStringLiteral("x")), 0);
}

}  // namespace
