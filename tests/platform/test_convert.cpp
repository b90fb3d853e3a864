#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "harness/scripted_ui.h"  // PrintTo(QString)
#include "platform/convert.h"

using namespace platform;

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
}  // namespace

TEST(ToText, NumbersInShortestFormWithAtMost13Digits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {3, "3"},
        {100, "100"},
        {0.1, "0.1"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.3333333333333"},
        {2.0 / 3, "0.6666666666667"},
        {-2.5, "-2.5"},
        {123.456, "123.456"},
        {1234567890123, "1234567890123"},
        {12345678901234, "1.234567890123e+13"},
        {1e20, "1e+20"},
        {0.00001, "1e-05"},
        {-0.0, "0"},
        {kNaN, "0"},
        {kInf, "0"},
        {-kInf, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(to_text(c.value), QString::fromLatin1(c.text));
        EXPECT_EQ(sql_number(c.value), QString::fromLatin1(c.text));
    }
}

TEST(ToText, TruthValuesAndWholeNumbers) {
    EXPECT_EQ(to_text(true), QStringLiteral("真"));
    EXPECT_EQ(to_text(false), QStringLiteral("假"));
    // Whole numbers must not be taken for truth values, nor lose digits through a double.
    EXPECT_EQ(to_text(5), QStringLiteral("5"));
    EXPECT_EQ(to_text(0), QStringLiteral("0"));
    EXPECT_EQ(to_text(qint64(9007199254740993)), QStringLiteral("9007199254740993"));
}

TEST(ToNumber, ReadsTheLeadingNumericPart) {
    const struct {
        const char16_t* text;
        double value;
    } cases[] = {
        {u"", 0},           {u"abc", 0},
        {u"  12.5 ", 12.5}, {u"12abc", 12},
        {u"-3", -3},        {u"+4", 4},
        {u".5", 0.5},       {u"5.", 5},
        {u"1e3", 1000},     {u"1e", 1},
        {u"2E-2x", 0.02},   {u"1,234", 1},
        {u"- 5", 0},        {u".", 0},
        {u"１２３", 123},   {u"１２．５", 12.5},
        {u"－７", -7},      {u"\u3000\t8\u3000", 8},
        {u"1e999", 0},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(to_number(text), c.value);
    }
    EXPECT_FALSE(std::signbit(to_number(QStringLiteral("-0"))));
}

TEST(RoundTo, HalfAwayFromZeroOnTheDecimalValue) {
    const struct {
        double value;
        int decimals;
        double expected;
    } cases[] = {
        {1.005, 2, 1.01},  // stored as 1.00499999999999989...
        {2.675, 2, 2.68},
        {0.285, 2, 0.29},
        {0.125, 2, 0.13},
        {-1.005, 2, -1.01},
        {-2.5, 0, -3},
        {2.5, 0, 3},
        {0.5, 0, 1},
        {0.95, 0, 1},
        {0.05, 0, 0},
        {1.0049999, 2, 1.0},
        {52.396, 1, 52.4},
        {9.995, 2, 10},
        {123456.785, 2, 123456.79},
        {0.004, 2, 0},
        {0.005, 2, 0.01},
        {-0.004, 2, 0},
        {3, 2, 3},
        {0.1 + 0.2, 2, 0.3},
        {1e-20, 2, 0},
        {1234.5678, -2, 1200},
        {1250, -2, 1300},
        {1.23456789, 20, 1.23456789},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((to_text(c.value) + QStringLiteral(" at ") + QString::number(c.decimals))
                         .toStdString());
        const double r = round_to(c.value, c.decimals);
        EXPECT_EQ(r, c.expected);
        if (r == 0) {
            EXPECT_FALSE(std::signbit(r));
        }
    }
    EXPECT_TRUE(std::isnan(round_to(kNaN, 2)));
}

TEST(FormatNumber, FixedDecimalsRoundedHalfAwayFromZero) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {2.675, 2, "2.68"},
        {1.005, 2, "1.01"},
        {3, 2, "3.00"},
        {-0.001, 2, "0.00"},
        {-2.5, 0, "-3"},
        {0.5, 0, "1"},
        {1234567.891, 2, "1234567.89"},  // no thousands separator
        {12.3456, 4, "12.3456"},
        {100, 0, "100"},
        {5, -1, "5"},
        {kNaN, 2, "0.00"},
        {kInf, 2, "0.00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(format_number(c.value, c.decimals), QString::fromLatin1(c.text));
    }
}

TEST(TextTrim, RemovesAsciiAndFullWidthBlanksAtBothEnds) {
    EXPECT_EQ(text_trim(QStringLiteral(" a b ")), QStringLiteral("a b"));
    EXPECT_EQ(text_trim(QStringLiteral("\u3000\t甲 乙\u3000 ")), QStringLiteral("甲 乙"));
    EXPECT_EQ(text_trim(QStringLiteral("\u3000\u3000")), QString());
    EXPECT_EQ(text_trim(QString()), QString());
    EXPECT_EQ(text_trim(QStringLiteral("x\n")), QStringLiteral("x\n"));
}

TEST(DateText, YearMonthDayThenTimeWithTrailingZeroPartsLeftOff) {
    const QDate d(2024, 3, 5);
    const struct {
        QTime time;
        const char16_t* text;
    } cases[] = {
        {QTime(0, 0, 0), u"2024年3月5日"},
        {QTime(10, 0, 0), u"2024年3月5日10时"},
        {QTime(10, 30, 0), u"2024年3月5日10时30分"},
        {QTime(10, 0, 5), u"2024年3月5日10时0分5秒"},
        {QTime(0, 0, 7), u"2024年3月5日0时0分7秒"},
        {QTime(23, 59, 59), u"2024年3月5日23时59分59秒"},
    };
    for (const auto& c : cases) {
        const QString expected = QString::fromUtf16(c.text);
        SCOPED_TRACE(expected.toStdString());
        const QDateTime moment(d, c.time);
        EXPECT_EQ(to_text(moment), expected);
        EXPECT_EQ(parse_date_text(expected), moment);  // the text reads back
    }
    EXPECT_EQ(to_text(QDate(2012, 9, 28)), QStringLiteral("2012年9月28日"));
    EXPECT_EQ(to_text(QDateTime()), QString());
}

TEST(DateText, SqlAndStorageForms) {
    const QDate d(2024, 3, 5);
    EXPECT_EQ(date_ymd_text(d), QStringLiteral("2024-3-5"));
    EXPECT_EQ(date_to_sql_literal(d), QStringLiteral("#2024-3-5#"));
    EXPECT_EQ(date_to_quoted(QDate(2012, 12, 28)), QStringLiteral("'2012-12-28'"));
    EXPECT_EQ(date_storage_text(d), QStringLiteral("2024-03-05"));
    EXPECT_EQ(date_storage_text(QDateTime(d, QTime(0, 0))), QStringLiteral("2024-03-05"));
    const QDateTime with_time(d, QTime(9, 7, 5));
    EXPECT_EQ(date_storage_text(with_time), QStringLiteral("2024-03-05 09:07:05"));
    EXPECT_EQ(parse_date_text(date_storage_text(with_time)), with_time);
    // Text order is date order.
    EXPECT_LT(date_storage_text(QDate(2024, 9, 30)), date_storage_text(QDate(2024, 10, 1)));
}

TEST(DateText, ParsesTheAcceptedFormsAndRefusesTheRest) {
    const struct {
        const char16_t* text;
        QDateTime expected;
    } good[] = {
        {u"2024-3-5", QDateTime(QDate(2024, 3, 5), QTime(0, 0))},
        {u"2024/03/05 10:30", QDateTime(QDate(2024, 3, 5), QTime(10, 30))},
        {u" 2024-3-5T1:2:3 ", QDateTime(QDate(2024, 3, 5), QTime(1, 2, 3))},
        {u"2024-02-29 23:59:59.250", QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59))},
        {u"2024年12月31日", QDateTime(QDate(2024, 12, 31), QTime(0, 0))},
    };
    for (const auto& c : good) {
        SCOPED_TRACE(QString::fromUtf16(c.text).toStdString());
        EXPECT_EQ(parse_date_text(QString::fromUtf16(c.text)), c.expected);
    }
    for (const char16_t* bad : {u"", u"abc", u"2023-2-29", u"2024-13-1", u"24-3-5",
                                u"2024-3-5 25:00", u"2024-3-5x", u"2024年3月32日"}) {
        SCOPED_TRACE(QString::fromUtf16(bad).toStdString());
        EXPECT_FALSE(parse_date_text(QString::fromUtf16(bad)).isValid());
    }
}

TEST(Dates, MonthArithmetic) {
    EXPECT_EQ(add_months(QDate(2024, 1, 31), 1), QDate(2024, 2, 29));
    EXPECT_EQ(add_months(QDate(2024, 12, 15), 1), QDate(2025, 1, 15));
    EXPECT_EQ(add_days(QDate(2024, 2, 28), 2), QDate(2024, 3, 1));
    EXPECT_EQ(days_in_month(2023, 2), 28);
    EXPECT_EQ(days_in_month(2024, 2), 29);
    EXPECT_EQ(last_day_of_month(QDate(2024, 4, 10)), QDate(2024, 4, 30));
}

TEST(Clock, TestsSetTheClockAndClearIt) {
    const QDateTime fixed(QDate(2024, 3, 5), QTime(10, 30));
    set_clock_for_tests(fixed);
    EXPECT_EQ(now(), fixed);
    EXPECT_EQ(today(), QDate(2024, 3, 5));
    EXPECT_EQ(year_of(now()), 2024);
    EXPECT_EQ(month_of(today()), 3);
    EXPECT_EQ(day_of(now()), 5);
    clear_clock_for_tests();
    const QDateTime real = now();
    EXPECT_LE(std::llabs(real.secsTo(QDateTime::currentDateTime())), 2);
    EXPECT_EQ(real.time().msec(), 0);  // to the second, as stored
}
