#include "platform/money.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/convert.h"

namespace platform {

namespace {

const QString kTooManyPoints = QStringLiteral("你输入的数值有问题,小数点过多");
const QString kOverflow = QStringLiteral("溢出");

constexpr int64_t kMaxCents = 999'999'999'999'999;
constexpr int64_t kCentsPerYi = 10'000'000'000;  // 100,000,000 yuan

struct Numerals {
    QString digits;  // 0 to 9
    QString units;   // position 3 (tens of yuan) upwards
};

const Numerals& numerals(bool formal) {
    static const Numerals formal_set{QStringLiteral("零壹贰叁肆伍陆柒捌玖"),
                                     QStringLiteral("拾佰仟万拾佰仟亿拾佰仟万")};
    static const Numerals plain_set{QStringLiteral("零一二三四五六七八九"),
                                    QStringLiteral("十百千万十百千亿十百千万")};
    return formal ? formal_set : plain_set;
}

// Built from the right. Positions: 0 fen, 1 jiao, 2 yuan, 3.. the unit table; the 万 section
// is positions 6-9, the 亿 section 10-13. A section whose own unit digit is 0 still gets its
// mark from its first non-zero digit above it.
QString money_text_from_cents(int64_t cents, bool negative, bool formal) {
    if (cents == 0) return QStringLiteral("零");
    const Numerals& n = numerals(formal);
    QString text;
    if (cents % 10 == 0) text = QStringLiteral("整");
    bool have_previous = false;
    int previous = 0;
    bool yuan_written = false;
    bool section_marked = false;
    for (int pos = 0; cents > 0; ++pos, cents /= 10) {
        const int d = static_cast<int>(cents % 10);
        if (pos == 6 || pos == 10) section_marked = false;
        if (d == 0) {
            // A run of zeros reads as one 零; zeros below the lowest digit read as nothing.
            if (have_previous && previous != 0) text.prepend(QStringLiteral("零"));
        } else if (pos <= 1) {
            text.prepend(pos == 0 ? QStringLiteral("分") : QStringLiteral("角"));
            text.prepend(n.digits[d]);
        } else {
            if (!yuan_written) {
                text.prepend(QStringLiteral("元"));
                yuan_written = true;
            }
            if (pos >= 6 && !section_marked) {
                if (pos >= 7 && pos <= 9) text.prepend(QStringLiteral("万"));
                if (pos >= 11) text.prepend(QStringLiteral("亿"));
                section_marked = true;
            }
            if (pos >= 3) text.prepend(n.units[pos - 3]);
            text.prepend(n.digits[d]);
        }
        have_previous = true;
        previous = d;
    }
    if (negative) text.prepend(QStringLiteral("负"));
    return text;
}

// Half up to the fen on the decimal value, so 1.005 (stored just below) is 101 fen.
// -1 when the result exceeds what the text can say.
int64_t to_cents(double amount) {
    const double cents = platform::round_to(std::fabs(amount), 2) * 100;
    if (!(cents < static_cast<double>(kMaxCents) + 0.5)) return -1;
    return std::llround(cents);
}

// A whole number of up to 8 digits read out: 105 -> 壹佰零伍, 0 -> 零.
QString group_text(int64_t value, bool formal) {
    if (value == 0) return QStringLiteral("零");
    QString text = money_text_from_cents(value * 100, false, formal);
    text.chop(2);  // 元整
    return text;
}

struct DecimalText {
    bool negative = false;
    QString integer_digits;  // no leading zeros; empty for 0
    QString decimal_digits;
};

// The amount as sign, integer digits and decimal digits. Plain decimal text is taken digit for
// digit; anything else (an exponent, trailing letters, no number at all) is read as the number
// it starts with, as the rest of the program reads numbers, and written out in full.
DecimalText split_amount(const QString& amount_text) {
    static const QRegularExpression plain(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?$"));
    QString text = platform::text_trim(amount_text);
    QRegularExpressionMatch m = plain.match(text);
    if (!m.hasMatch() || (m.capturedLength(2) == 0 && m.capturedLength(3) == 0)) {
        const double value = platform::to_number(text);
        text = QString::number(value, 'f', QLocale::FloatingPointShortest);
        m = plain.match(text);
    }
    DecimalText parts;
    parts.negative = m.captured(1) == QLatin1String("-");
    parts.integer_digits = m.captured(2);
    parts.decimal_digits = m.captured(3);
    qsizetype zeros = 0;
    while (zeros < parts.integer_digits.size() && parts.integer_digits[zeros] == u'0') ++zeros;
    parts.integer_digits.remove(0, zeros);
    return parts;
}

double to_double(const QString& integer_digits, const QString& decimal_digits) {
    const QString text = (integer_digits.isEmpty() ? QStringLiteral("0") : integer_digits) + u'.' +
                         (decimal_digits.isEmpty() ? QStringLiteral("0") : decimal_digits);
    return text.toDouble();
}

QString money_words(const DecimalText& a, bool formal) {
    const qsizetype n = a.integer_digits.size();
    if (n <= 8) {
        const double value = to_double(a.integer_digits, a.decimal_digits);
        return amount_to_chinese_money_text(a.negative ? -value : value, formal);
    }
    // Above 8 digits: the high group counts 亿 and the low group, with its decimals rounded to
    // the fen, says the rest; a rounding that reaches 亿 carries into the high group.
    int64_t high = a.integer_digits.left(n - 8).toLongLong();
    const QString low_digits = a.integer_digits.right(8);
    int64_t low_cents = a.decimal_digits.isEmpty()
                            ? low_digits.toLongLong() * 100
                            : to_cents(to_double(low_digits, a.decimal_digits));
    if (low_cents >= kCentsPerYi) {
        low_cents -= kCentsPerYi;
        high += 1;
        if (high > 99'999'999) return kOverflow;
    }
    QString text = group_text(high, formal) + QStringLiteral("亿");
    if (low_cents == 0) {
        text += QStringLiteral("元整");
    } else {
        // The zeros between the lowest digit of the high group and the highest of the low one
        // read as one 零, as they do inside a group: 壹亿零伍元整, not 壹亿伍元整 (which
        // reads as 1.5亿). Only jiao and fen below the 亿 still need their 元.
        if (low_cents < 100) text += QStringLiteral("元");
        if (high % 10 == 0 || low_cents < kCentsPerYi / 10) text += QStringLiteral("零");
        text += money_text_from_cents(low_cents, false, formal);
    }
    if (a.negative) text.prepend(QStringLiteral("负"));
    return text;
}

QString numeral_words(const DecimalText& a, bool formal) {
    const qsizetype n = a.integer_digits.size();
    QString text;
    if (n <= 8) {
        text = group_text(a.integer_digits.toLongLong(), formal);
    } else {
        const int64_t low = a.integer_digits.right(8).toLongLong();
        text = group_text(a.integer_digits.left(n - 8).toLongLong(), formal) + QStringLiteral("亿");
        if (low != 0) {
            if (low < 10'000'000) text += QStringLiteral("零");
            text += group_text(low, formal);
        }
    }
    if (!a.decimal_digits.isEmpty()) {
        const QString& digits = numerals(formal).digits;
        text += QStringLiteral("点");
        for (QChar c : a.decimal_digits) text += digits[c.digitValue()];
    }
    const bool zero =
        a.integer_digits.isEmpty() && a.decimal_digits.count(u'0') == a.decimal_digits.size();
    if (a.negative && !zero) text.prepend(QStringLiteral("负"));
    return text;
}

}  // namespace

QString amount_to_chinese_money_text(double amount, bool formal_digits) {
    if (std::isnan(amount)) return QStringLiteral("零");
    const int64_t cents = to_cents(amount);
    if (cents < 0) return kOverflow;
    return money_text_from_cents(cents, amount < 0, formal_digits);
}

QString amount_in_words(const QString& amount_text, bool money_mode, bool formal_digits) {
    if (amount_text.count(u'.') >= 2) return kTooManyPoints;
    const DecimalText a = split_amount(amount_text);
    if (a.integer_digits.size() > 16) return kOverflow;
    return money_mode ? money_words(a, formal_digits) : numeral_words(a, formal_digits);
}

double round_amount_to_halves(double amount) {
    // Worked on the two-decimal text, as the cashier reads the amount: 52.396 is "52.40",
    // so its first decimal is 4. The sign is put back afterwards; working on the signed
    // text would carry -52.81 up to -51 instead of -53.
    const bool negative = amount < 0;
    const QString text = format_number(std::fabs(amount), 2);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? text : text.left(point);
    const int first_decimal =
        point < 0 || point + 1 >= text.size() ? 0 : text.at(point + 1).digitValue();
    double result = to_number(whole);
    if (first_decimal >= 8) {
        result += 1.0;
    } else if (first_decimal >= 4) {
        result += 0.5;
    }
    if (result == 0.0) return 0.0;  // never -0
    return negative ? -result : result;
}

double round_amount(double amount, RoundingMode mode) {
    if (!std::isfinite(amount)) return 0.0;
    double result = 0.0;
    switch (mode) {
        case RoundingMode::Cents: result = round_to(amount, 2); break;
        case RoundingMode::Halves: result = round_amount_to_halves(amount); break;
        case RoundingMode::Units: result = round_to(amount, 0); break;
    }
    return result == 0.0 ? 0.0 : result;  // never -0
}

double round_cents(double amount) { return round_amount(amount, RoundingMode::Cents); }

std::optional<double> parse_typed_amount(const QString& text) {
    static const QRegularExpression plain(QStringLiteral("^[+-]?(\\d+(\\.\\d{0,2})?|\\.\\d{1,2})$"));
    const QString trimmed = text_trim(text);
    if (!plain.match(trimmed).hasMatch()) return std::nullopt;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) >= kLargestTypedAmount) return std::nullopt;
    return value;
}

}  // namespace platform
