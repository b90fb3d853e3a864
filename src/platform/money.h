#pragma once
// Money: amounts are doubles as the tables store them. Every rounding goes through
// round_amount with a named mode, every comparison through the helpers below with the one
// tolerance, and amounts in Chinese capitals are written here too.
#include <QString>
#include <cmath>
#include <optional>

namespace platform {

// How an amount a household is asked to pay is rounded: to the fen (no rounding asked for), to
// halves (十分位) or to whole yuan (个位). Shell's system parameters say which one applies.
enum class RoundingMode { Cents, Halves, Units };

// Two amounts closer than this are equal; an amount within it of 0 is 0.
inline constexpr double kMoneyTolerance = 1e-7;

inline bool money_is_zero(double amount) { return std::fabs(amount) <= kMoneyTolerance; }
inline bool money_equal(double a, double b) { return std::fabs(a - b) <= kMoneyTolerance; }
// a is larger than b by more than the tolerance.
inline bool money_greater(double a, double b) { return a - b > kMoneyTolerance; }
inline bool money_less(double a, double b) { return b - a > kMoneyTolerance; }
inline bool money_positive(double amount) { return amount > kMoneyTolerance; }
inline bool money_negative(double amount) { return amount < -kMoneyTolerance; }

// Rounds on the decimal value (1.005 is 1.01 at the fen), halves of the last place away from
// zero. Halves: the amount written with two decimals has a first decimal digit D; 0-3 drop the
// decimals, 4-7 make them .50, 8-9 go up to the next whole unit (10.03 -> 10.00,
// 10.40 -> 10.50, 52.396 -> 52.50, 10.80 -> 11.00); a negative amount is rounded like its
// absolute value. Never returns -0, NaN or infinity (a non-finite amount gives 0).
double round_amount(double amount, RoundingMode mode);
double round_amount_to_halves(double amount);
// round_amount(amount, RoundingMode::Cents).
double round_cents(double amount);

// Amounts typed into a box are at most this large (in absolute value).
inline constexpr double kLargestTypedAmount = 1e9;

// An amount box's whole text as an amount: a plain decimal ("12", "-3.5", "0.05", ".5"), blanks
// around it allowed, at most 2 decimals and below kLargestTypedAmount. Anything else (grouping
// commas, exponents, trailing text, "nan", an empty box) is no amount.
std::optional<double> parse_typed_amount(const QString& text);

// The capital text of an amount given in decimal figures ("1234.5", "-3", "100"), which is how
// receipts hand it over. Money mode (every caller): yuan, jiao and fen, 整 when there is no fen.
// Numeral mode: the number read out digit group by digit group, decimals after 点.
// formal_digits picks 零壹贰叁 / 拾佰仟 over 零一二三 / 十百千.
// Two or more points give "你输入的数值有问题,小数点过多"; more than 16 integer digits give
// "溢出"; text that is no number reads as the number it starts with, or 0 (零).
QString amount_in_words(const QString& amount_text, bool money_mode = true,
                        bool formal_digits = true);

// The money text of a number, rounded half up to the fen: 1.05 -> 壹元零伍分,
// 1000010 -> 壹佰万零壹拾元整, -3 -> 负叁元整, anything below half a fen -> 零.
// Beyond 999,999,999,999,999 fen (and infinity) gives "溢出".
QString amount_to_chinese_money_text(double amount, bool formal_digits = true);

}  // namespace platform
