#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

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
        // Zeros between two digits read as one 零 across the 亿 too, and 元 stands after 亿
        // when only jiao and fen follow.
        {"100000005", "壹亿零伍元整"},
        {"100010000", "壹亿零壹万元整"},
        {"1000000001", "壹拾亿零壹元整"},
        {"707000703", "柒亿零柒佰万零柒佰零叁元整"},
        {"100000000.05", "壹亿元零伍分"},
        {"-100000005", "负壹亿零伍元整"},
        {"100000000.5", "壹亿元零伍角整"},
        {"101000000", "壹亿零壹佰万元整"},
        {"110000000", "壹亿壹仟万元整"},
        {"1070000000", "壹拾亿零柒仟万元整"},
        {"1000000000000.01", "壹万亿元零壹分"},
        {"100000000.004", "壹亿元整"},
        // A sign or leading zeros are not digits of the amount.
        {"-12345678.5", "负壹仟贰佰叁拾肆万伍仟陆佰柒拾捌元伍角整"},
        {"000000012.5", "壹拾贰元伍角整"},
    };
    for (const WordsCase& c : cases)
        EXPECT_EQ(amount_in_words(QString::fromUtf8(c.amount)), QString::fromUtf8(c.words))
            << c.amount;
}

// Splitting the integer part in two groups must not change what the amount reads as.
TEST(AmountInWords, GroupSplitAgreesWithTheWholeConversion) {
    const char* amounts[] = {"110000000",        "210300400.56",  "9999999999999.99",
                             "1234567890123.45", "-123456789.5",  "5000000000000",
                             "1000000000000",    "987654321.09",  "100000005",
                             "300000000.07",     "2000100000",    "4000000050.5"};
    for (const char* a : amounts) {
        const QString text = QString::fromLatin1(a);
        EXPECT_EQ(amount_in_words(text), amount_to_chinese_money_text(text.toDouble())) << a;
    }
}

// The amount a capital text says, in fen; -1 when the text is not one the writer makes.
int64_t read_capital_text(const QString& text) {
    const QString digits = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    bool negative = false;
    int64_t total = 0;    // everything already closed by 亿
    int64_t section = 0;  // below the last 亿, 万 multiplying what it closes
    int64_t digit = 0;
    int64_t cents = -1;
    qsizetype i = 0;
    if (text.startsWith(u'负')) {
        negative = true;
        i = 1;
    }
    for (; i < text.size(); ++i) {
        const QChar ch = text[i];
        const qsizetype d = digits.indexOf(ch);
        if (d > 0) {
            digit = d;
        } else if (d == 0) {
            continue;  // a 零 says nothing of the amount
        } else if (ch == u'拾' || ch == u'佰' || ch == u'仟') {
            section += digit * (ch == u'拾' ? 10 : ch == u'佰' ? 100 : 1000);
            digit = 0;
        } else if (ch == u'万') {
            section = (section + digit) * 10000;
            digit = 0;
        } else if (ch == u'亿') {
            total = (total + section + digit) * 100000000;
            section = digit = 0;
        } else if (ch == u'元') {
            cents = (total + section + digit) * 100;
            total = section = digit = 0;
        } else if (ch == u'角' || ch == u'分') {
            cents = std::max<int64_t>(cents, 0) + digit * (ch == u'角' ? 10 : 1);
            digit = 0;
        } else if (ch == u'整') {
            if (i + 1 != text.size()) return -1;
        } else {
            return -1;
        }
    }
    if (cents < 0 || digit != 0 || total != 0 || section != 0) return -1;
    return negative ? -cents : cents;
}

// Runs of zeros standing between two non-zero digits of the amount in fen.
int inner_zero_runs(int64_t cents) {
    const std::string digits = std::to_string(cents);
    int runs = 0;
    const size_t last = digits.find_last_not_of('0');
    for (size_t k = 1; k < last; ++k)
        if (digits[k] == '0' && digits[k - 1] != '0') ++runs;
    return runs;
}

// Many amounts with long runs of zeros: each reads back to itself, and each run of zeros
// between two digits says its 零 (a dropped 零 still reads back: 柒亿柒佰万 is 707,000,000).
TEST(AmountInWords, ZeroHeavyAmountsReadBackWithEveryZero) {
    std::mt19937_64 random(20240611);
    for (int n = 0; n < 40000; ++n) {
        int64_t yuan = 0;
        const int width = 1 + static_cast<int>(random() % 13);  // 1 to 999,999,999,999
        for (int k = 0; k < width; ++k)
            yuan = yuan * 10 + (random() % 10 < 7 ? 0 : 1 + static_cast<int>(random() % 9));
        const int fen = random() % 3 == 0 ? static_cast<int>(random() % 100) : 0;
        if (yuan == 0) yuan = 1;
        const bool negative = random() % 8 == 0;
        const QString amount = QStringLiteral("%1%2.%3")
                                   .arg(negative ? QStringLiteral("-") : QString())
                                   .arg(yuan)
                                   .arg(fen, 2, 10, QLatin1Char('0'));
        const int64_t cents = yuan * 100 + fen;
        const QString words = amount_in_words(amount);
        ASSERT_EQ(read_capital_text(words), negative ? -cents : cents)
            << amount.toStdString() << " " << words.toStdString();
        ASSERT_EQ(words.count(u'零'), inner_zero_runs(cents))
            << amount.toStdString() << " " << words.toStdString();
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
