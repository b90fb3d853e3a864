#pragma once
// Text, number and date conversion: the one place where numbers become text (lists, messages,
// SQL, file names), where money is rounded, and where the program reads the clock.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <concepts>
#include <string>

namespace platform {

// ---- numbers and truth values as text ------------------------------------------------------

// Shortest form with at most 13 significant digits ("%.13g": 3 -> "3", 0.1 -> "0.1",
// 1e20 -> "1e+20"). Independent of the locale; never "nan" or "inf" (non-finite gives "0"),
// never "-0".
QString to_text(double value);
// "真" or "假".
QString to_text(bool value);
// Whole numbers in plain decimal digits.
template <std::integral T>
requires(!std::same_as<T, bool>) QString to_text(T value) { return QString::number(value); }
// A pointer would otherwise turn silently into a truth value.
template <class T>
QString to_text(T*) = delete;

// Year "年" month "月" day "日" without leading zeros, then, unless the time is midnight,
// hour "时", minute "分", second "秒" with trailing zero parts left off:
// 2024-03-05 10:00:00 -> "2024年3月5日10时", 10:00:05 -> "2024年3月5日10时0分5秒".
// An invalid date gives "".
QString to_text(const QDateTime& value);
QString to_text(const QDate& value);

// Number in SQL text: the shortest form of to_text(double), never nan/inf.
QString sql_number(double value);

// The leading numeric part of the trimmed text (sign, digits, point, exponent; full-width
// digits, point and signs count as their ASCII forms). Empty or non-numeric text gives 0;
// "12abc" gives 12. Never returns a non-finite value.
double to_number(const QString& text);

// Half away from zero on the decimal value: the value is first written with 15 significant
// digits, so 1.005 (stored as 1.00499999...) rounds to 1.01 at 2 decimals. Negative decimals
// round to tens, hundreds, ... Non-finite values come back unchanged.
double round_to(double value, int decimals);

// Fixed number of decimals (0 to 20), rounded as round_to, no thousands separator:
// format_number(2.675, 2) -> "2.68", format_number(3, 2) -> "3.00". Non-finite gives 0.
QString format_number(double value, int decimals);

// Text as it may enter the system: without NUL characters (which end a text in the database
// and in every C library) and without lone halves of surrogate pairs (which no file encoding
// can hold). Everything else is kept as it is.
QString clean_text(const QString& text);

// The longest text a query looks for (a name, a number): a longer one is refused with
// kQueryTextTooLong rather than handed to the database as a pattern it cannot use.
inline constexpr int kMaxQueryTextLength = 100;
inline const QString kQueryTextTooLong = QStringLiteral("查询内容过长，请输入不超过100个字！");
bool text_is_clean(const QString& text);

// Blanks (ASCII space, tab and the full-width blank U+3000) removed at both ends.
QString text_trim(const QString& text);

// ---- dates --------------------------------------------------------------------------------

// The local date and time to the second, or the clock a test set.
QDateTime now();
QDate today();
// Tests fix the clock; now() and today() then return that moment until cleared.
void set_clock_for_tests(const QDateTime& moment);
void clear_clock_for_tests();

int year_of(const QDate& date);
int month_of(const QDate& date);
int day_of(const QDate& date);
int year_of(const QDateTime& moment);
int month_of(const QDateTime& moment);
int day_of(const QDateTime& moment);

QDate add_days(const QDate& date, int days);
// Clamped to the end of a shorter month: 2024-1-31 plus one month is 2024-2-29.
QDate add_months(const QDate& date, int months);
int days_in_month(int year, int month);
QDate last_day_of_month(const QDate& date);

// "2024-3-5": year, month and day without leading zeros joined by hyphens.
QString date_ymd_text(const QDate& date);
// "#2024-3-5#", the date literal of the statements.
QString date_to_sql_literal(const QDate& date);
// "'2024-3-5'", the quoted form some statements use.
QString date_to_quoted(const QDate& date);
// What the database stores: "YYYY-MM-DD", or "YYYY-MM-DD HH:MM:SS" when not midnight,
// so that text order is date order.
QString date_storage_text(const QDateTime& moment);
QString date_storage_text(const QDate& date);

// Reads "YYYY-M-D" and "YYYY/M/D" with an optional time "H:M" or "H:M:S" (after a blank or
// "T"), and the form "2024年3月5日" with optional "10时30分5秒". Surrounding blanks are
// ignored. Anything else, or an impossible date or time, gives an invalid QDateTime.
QDateTime parse_date_text(const QString& text);

// ---- dates without a QDateTime ---------------------------------------------------------------
// A list of many rows turns a stored date into text per row. A local QDateTime asks the time
// zone for its offset each time it is made, which costs more than the rest of the row; these
// work on the parts alone.

struct DateParts {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
};

// The stored forms "YYYY-MM-DD" and "YYYY-MM-DD HH:MM:SS" (UTF-8), nothing else: false for any
// other text or an impossible date or time.
bool parse_storage_date(const char* utf8, size_t size, DateParts* parts);
// Any text parse_date_text reads; the stored forms without a regular expression.
bool parse_date_parts(const char* utf8, size_t size, DateParts* parts);
// A date kept as a number (a workbook's cell): days since 30 December 1899, the fraction the
// time of day. False outside the years 100 to 9999.
bool serial_date_parts(double days, DateParts* parts);
// The text to_text gives for the same moment: "2024年3月5日", with the time when with_time is
// set and the time is not midnight ("2024年3月5日10时30分"). Appended as UTF-8.
void append_date_text(std::string& out, const DateParts& parts, bool with_time);

}  // namespace platform
