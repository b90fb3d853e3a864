#include <gtest/gtest.h>

#include <limits>

#include "platform/files.h"
#include "platform/money.h"

using namespace platform;

namespace {

struct WordsCase {
    const char* amount;
    const char* words;
};

// Money mode with capital digits, as every receipt asks for it.
// The compare helpers at the tolerance's edge, on both signs: within 1e-7 is equal (and zero),
// beyond it is not.
TEST(MoneyCompare, TheToleranceDecides) {
    struct Case {
        double a, b;
        bool equal, greater, less;
    } cases[] = {
        {10.0, 10.0, true, false, false},
        {10.00000005, 10.0, true, false, false},
        {10.0, 10.00000005, true, false, false},
        {10.0000002, 10.0, false, true, false},
        {10.0, 10.0000002, false, false, true},
        {-3.0000002, -3.0, false, false, true},
        {-3.00000005, -3.0, true, false, false},
        {0.1 + 0.2, 0.3, true, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(money_equal(c.a, c.b), c.equal) << c.a << " " << c.b;
        EXPECT_EQ(money_greater(c.a, c.b), c.greater) << c.a << " " << c.b;
        EXPECT_EQ(money_less(c.a, c.b), c.less) << c.a << " " << c.b;
    }
    struct Sign {
        double amount;
        bool zero, positive, negative;
    } signs[] = {
        {0.0, true, false, false},          {-0.0, true, false, false},
        {5e-8, true, false, false},         {-5e-8, true, false, false},
        {2e-7, false, true, false},         {-2e-7, false, false, true},
        {0.01, false, true, false},         {-0.01, false, false, true},
    };
    for (const Sign& c : signs) {
        EXPECT_EQ(money_is_zero(c.amount), c.zero) << c.amount;
        EXPECT_EQ(money_positive(c.amount), c.positive) << c.amount;
        EXPECT_EQ(money_negative(c.amount), c.negative) << c.amount;
    }
}

TEST(AmountInWords, MoneyTextOfReceiptAmounts) {
    const WordsCase cases[] = {
        {"0.5", "伍角整"},
        {"1.05", "壹元零伍分"},
        {"10", "壹拾元整"},
        {"105.5", "壹佰零伍元伍角整"},
        {"100000", "壹拾万元整"},
        {"1000010", "壹佰万零壹拾元整"},  // 万 section without a 万 digit keeps its mark
        {"0", "零"},
        {"-3", "负叁元整"},
        {"1.5", "壹元伍角整"},
        {"1.55", "壹元伍角伍分"},
        {"10.5", "壹拾元零伍角整"},
        {"100.05", "壹佰元零伍分"},
        {"1005", "壹仟零伍元整"},  // inner zeros collapse to one 零
        {"1500", "壹仟伍佰元整"},  // trailing zeros say nothing
        {"0.05", "伍分"},
        {"0.005", "壹分"},  // half a fen rounds up
        {"0.004", "零"},
        {"1.005", "壹元零壹分"},  // stored just below 1.005, still rounds up
        {"-0.004", "零"},
        {"12345678.999", "壹仟贰佰叁拾肆万伍仟陆佰柒拾玖元整"},
        {"  42 ", "肆拾贰元整"},
        {"+7", "柒元整"},
        {"1e3", "壹仟元整"},
        {"12abc", "壹拾贰元整"},  // read as the number it starts with
        {"abc", "零"},
        {"", "零"},
    };
    for (const WordsCase& c : cases)
        EXPECT_EQ(amount_in_words(QString::fromUtf8(c.amount), true, true),
                  QString::fromUtf8(c.words))
            << "'" << c.amount << "'";
}

TEST(AmountInWords, BadInputGivesItsText) {
    const QString too_many_points = QStringLiteral("你输入的数值有问题,小数点过多");
    EXPECT_EQ(amount_in_words(QStringLiteral("1.2.3")), too_many_points);
    EXPECT_EQ(amount_in_words(QStringLiteral("1..")), too_many_points);
    EXPECT_EQ(amount_in_words(QStringLiteral("..")), too_many_points);
    EXPECT_EQ(amount_in_words(QStringLiteral("1.2.3"), false), too_many_points);

    const QString overflow = QStringLiteral("溢出");
    EXPECT_EQ(amount_in_words(QStringLiteral("12345678901234567")), overflow);
    EXPECT_EQ(amount_in_words(QStringLiteral("12345678901234567"), false), overflow);
    EXPECT_EQ(amount_in_words(QStringLiteral("1e+20")), overflow);
    // Rounding the fen carries into a high group that no longer fits.
    EXPECT_EQ(amount_in_words(QStringLiteral("9999999999999999.995")), overflow);
}

TEST(AmountInWords, AboveOneHundredMillion) {
    const WordsCase cases[] = {
        {"123456789", "壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖元整"},
        {"100000000", "壹亿元整"},
        {"1234567890123456", "壹仟贰佰叁拾肆万伍仟陆佰柒拾捌亿玖仟零壹拾贰万叁仟肆佰伍拾陆元整"},
        {"199999999.995", "贰亿元整"},  // fen rounding carries into the 亿 group
        {"-123456789", "负壹亿贰仟叁佰肆拾伍万陆仟柒佰捌拾玖元整"},
        // The low group is read on its own: no 零 after 亿, no 元 when only jiao and fen follow.
        {"100000005", "壹亿伍元整"},
        {"100000000.5", "壹亿伍角整"},
        {"100000000.05", "壹亿伍分"},
        {"101000000", "壹亿壹佰万元整"},
        {"100000000.004", "壹亿元整"},
        // A sign or leading zeros are not digits of the amount.
        {"-12345678.5", "负壹仟贰佰叁拾肆万伍仟陆佰柒拾捌元伍角整"},
        {"000000012.5", "壹拾贰元伍角整"},
    };
    for (const WordsCase& c : cases)
        EXPECT_EQ(amount_in_words(QString::fromUtf8(c.amount)), QString::fromUtf8(c.words))
            << c.amount;
}

// Splitting the integer part in two groups must not change what the amount reads as when the
// low group has no leading zeros (with them, the low group is read on its own, above).
TEST(AmountInWords, GroupSplitAgreesWithTheWholeConversion) {
    const char* amounts[] = {"110000000",        "210300400.56",  "9999999999999.99",
                             "1234567890123.45", "-123456789.5",  "5000000000000",
                             "1000000000000",    "987654321.09"};
    for (const char* a : amounts) {
        const QString text = QString::fromLatin1(a);
        EXPECT_EQ(amount_in_words(text), amount_to_chinese_money_text(text.toDouble())) << a;
    }
}

TEST(AmountInWords, PlainDigitsAndNumeralMode) {
    EXPECT_EQ(amount_in_words(QStringLiteral("105.5"), true, false),
              QStringLiteral("一百零五元五角整"));
    EXPECT_EQ(amount_in_words(QStringLiteral("105.5"), false, true),
              QStringLiteral("壹佰零伍点伍"));
    EXPECT_EQ(amount_in_words(QStringLiteral("-1234567890.05"), false, false),
              QStringLiteral("负一十二亿三千四百五十六万七千八百九十点零五"));
    EXPECT_EQ(amount_in_words(QStringLiteral("100000005"), false, true),
              QStringLiteral("壹亿零伍"));
    EXPECT_EQ(amount_in_words(QStringLiteral("0"), false, true), QStringLiteral("零"));
}

TEST(AmountToChineseMoneyText, RangeAndSign) {
    EXPECT_EQ(amount_to_chinese_money_text(105.5), QStringLiteral("壹佰零伍元伍角整"));
    EXPECT_EQ(amount_to_chinese_money_text(105.5, false), QStringLiteral("一百零五元五角整"));
    EXPECT_EQ(amount_to_chinese_money_text(-3), QStringLiteral("负叁元整"));
    EXPECT_EQ(amount_to_chinese_money_text(0), QStringLiteral("零"));
    // The largest amount it can say, then one fen more.
    EXPECT_EQ(amount_to_chinese_money_text(9999999999999.99),
              QStringLiteral("玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"));
    EXPECT_EQ(amount_to_chinese_money_text(10000000000000.0), QStringLiteral("溢出"));
    // An empty 亿 section still puts 亿 after the 万 above it.
    EXPECT_EQ(amount_to_chinese_money_text(1000000000000.0), QStringLiteral("壹万亿元整"));
    EXPECT_EQ(amount_to_chinese_money_text(std::numeric_limits<double>::infinity()),
              QStringLiteral("溢出"));
    EXPECT_EQ(amount_to_chinese_money_text(std::numeric_limits<double>::quiet_NaN()),
              QStringLiteral("零"));
}

struct PathCase {
    const char* path;
    const char* directory;
    const char* file_name;
};

TEST(PathParts, SplitAtTheLastSeparator) {
    const PathCase cases[] = {
        {"D:\\data\\x.dbf", "D:\\data\\", "x.dbf"},
        {"x.dbf", "", "x.dbf"},
        {"/home/u/x.dbf", "/home/u/", "x.dbf"},
        {"/home/u/", "/home/u/", ""},
        {"/a\\b/c.dbf", "/a\\b/", "c.dbf"},
        {"/数据/抄表.dbf", "/数据/", "抄表.dbf"},
        {"", "", ""},
    };
    for (const PathCase& c : cases) {
        const QString path = QString::fromUtf8(c.path);
        EXPECT_EQ(path_directory_part(path), QString::fromUtf8(c.directory)) << c.path;
        EXPECT_EQ(path_file_name_part(path), QString::fromUtf8(c.file_name)) << c.path;
    }
}

// A typed amount is the box's whole text or nothing: "1,000.50" is no 1.00, "12abc" no 12.
TEST(TypedAmount, TheWholeTextIsAPlainDecimal) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"12", 12},          {" 60.00 ", 60},   {"-3.5", -3.5},   {"+0.05", 0.05},
        {".5", 0.5},         {"7.", 7},         {"999999999.99", 999999999.99},
        {"1,000.50", {}},    {"12abc", {}},     {"1e308", {}},    {"1e2", {}},
        {"0.001", {}},       {"1000000000", {}}, {"nan", {}},     {"inf", {}},
        {"", {}},            {".", {}},         {"--1", {}},      {"1 2", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parse_typed_amount(QString::fromUtf8(text)), expected) << text;
}

}  // namespace
