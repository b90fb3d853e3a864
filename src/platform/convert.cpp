#include "platform/convert.h"

#include <QRegularExpression>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

namespace platform {

namespace {

// std::to_chars / from_chars: the C library's printf and strtod follow the locale, which
// QApplication sets from the environment (a decimal comma would break SQL text).
QString chars_to_qstring(const char* first, const char* last) {
    return QString::fromLatin1(first, static_cast<qsizetype>(last - first));
}

std::optional<QDateTime> g_test_clock;

}  // namespace

// ---- numbers ------------------------------------------------------------------------------

QString to_text(double value) {
    if (!std::isfinite(value) || value == 0.0) return QStringLiteral("0");
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 13);
    return chars_to_qstring(buf, res.ptr);
}

QString to_text(bool value) { return value ? QStringLiteral("真") : QStringLiteral("假"); }

QString sql_number(double value) { return to_text(value); }

double to_number(const QString& text) {
    const QString trimmed = text_trim(text);
    std::string s;
    s.reserve(static_cast<size_t>(trimmed.size()));
    for (QChar ch : trimmed) {
        char16_t u = ch.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            u = static_cast<char16_t>(u - 0xFF10 + '0');
        else if (u == 0xFF0E)
            u = '.';
        else if (u == 0xFF0B)
            u = '+';
        else if (u == 0xFF0D)
            u = '-';
        if (u > 0x7F) break;
        s.push_back(static_cast<char>(u));
    }
    // The leading numeric part: [sign] digits [. digits] [e [sign] digits].
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const size_t mantissa_start = i;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const size_t exp_digits_start = j;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
        if (j > exp_digits_start) end = j;
    }
    // from_chars accepts neither a leading '+' nor a bare trailing '.', so hand it the digits.
    std::string number = s.substr(mantissa_start, end - mantissa_start);
    if (!number.empty() && number.front() == '.') number.insert(number.begin(), '0');
    double value = 0.0;
    const auto res = std::from_chars(number.data(), number.data() + number.size(), value);
    if (res.ec != std::errc() || !std::isfinite(value)) return 0.0;
    if (value == 0.0) return 0.0;
    return negative ? -value : value;
}

double round_to(double value, int decimals) {
    if (!std::isfinite(value)) return value;
    if (value == 0.0) return 0.0;
    // The decimal value as 15 significant digits: d.dddddddddddddde±XX.
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    const std::string sci(buf, res.ptr);
    const size_t e = sci.find('e');
    const std::string digits = sci.substr(0, 1) + sci.substr(2, e - 2);
    const int exponent = std::stoi(sci.substr(e + 1));
    // Digits that stay: those before the rounding position.
    const long long keep = static_cast<long long>(exponent) + 1 + decimals;
    if (keep >= static_cast<long long>(digits.size())) return value;
    if (keep < 0) return 0.0;
    long long kept = keep == 0 ? 0 : std::stoll(digits.substr(0, static_cast<size_t>(keep)));
    if (digits[static_cast<size_t>(keep)] >= '5') ++kept;
    if (kept == 0) return 0.0;
    const std::string rounded = std::to_string(kept) + "e" + std::to_string(-decimals);
    double result = 0.0;
    std::from_chars(rounded.data(), rounded.data() + rounded.size(), result);
    return value < 0 ? -result : result;
}

QString format_number(double value, int decimals) {
    decimals = std::clamp(decimals, 0, 20);
    double rounded = round_to(value, decimals);
    if (!std::isfinite(rounded) || rounded == 0.0) rounded = 0.0;
    char buf[400];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed, decimals);
    return chars_to_qstring(buf, res.ptr);
}

bool text_is_clean(const QString& text) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isNull()) return false;
        if (c.isHighSurrogate()) {
            if (i + 1 >= n || !text[i + 1].isLowSurrogate()) return false;
            ++i;
        } else if (c.isLowSurrogate()) {
            return false;
        }
    }
    return true;
}

QString clean_text(const QString& text) {
    if (text_is_clean(text)) return text;
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c.isNull() || c.isLowSurrogate()) continue;
        if (c.isHighSurrogate()) {
            if (i + 1 < n && text[i + 1].isLowSurrogate()) {
                out += c;
                out += text[++i];
            }
            continue;
        }
        out += c;
    }
    return out;
}

QString text_trim(const QString& text) {
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == QChar(0x3000); };
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && blank(text[first])) ++first;
    while (last > first && blank(text[last - 1])) --last;
    return text.mid(first, last - first);
}

// ---- dates --------------------------------------------------------------------------------

QString to_text(const QDate& value) {
    if (!value.isValid()) return {};
    return QStringLiteral("%1年%2月%3日").arg(value.year()).arg(value.month()).arg(value.day());
}

QString to_text(const QDateTime& value) {
    if (!value.isValid()) return {};
    QString text = to_text(value.date());
    const QTime t = value.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0) return text;
    text += QString::number(t.hour()) + QStringLiteral("时");
    if (t.minute() == 0 && t.second() == 0) return text;
    text += QString::number(t.minute()) + QStringLiteral("分");
    if (t.second() == 0) return text;
    return text + QString::number(t.second()) + QStringLiteral("秒");
}

QDateTime now() {
    if (g_test_clock) return *g_test_clock;
    QDateTime moment = QDateTime::currentDateTime();
    const QTime t = moment.time();
    moment.setTime(QTime(t.hour(), t.minute(), t.second()));
    return moment;
}

QDate today() { return now().date(); }

void set_clock_for_tests(const QDateTime& moment) { g_test_clock = moment; }
void clear_clock_for_tests() { g_test_clock.reset(); }

int year_of(const QDate& date) { return date.year(); }
int month_of(const QDate& date) { return date.month(); }
int day_of(const QDate& date) { return date.day(); }
int year_of(const QDateTime& moment) { return moment.date().year(); }
int month_of(const QDateTime& moment) { return moment.date().month(); }
int day_of(const QDateTime& moment) { return moment.date().day(); }

QDate add_days(const QDate& date, int days) { return date.addDays(days); }
QDate add_months(const QDate& date, int months) { return date.addMonths(months); }

int days_in_month(int year, int month) { return QDate(year, month, 1).daysInMonth(); }

QDate last_day_of_month(const QDate& date) {
    if (!date.isValid()) return {};
    return QDate(date.year(), date.month(), date.daysInMonth());
}

QString date_ymd_text(const QDate& date) {
    if (!date.isValid()) return {};
    return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
}

QString date_to_sql_literal(const QDate& date) {
    return QLatin1Char('#') + date_ymd_text(date) + QLatin1Char('#');
}

QString date_to_quoted(const QDate& date) {
    return QLatin1Char('\'') + date_ymd_text(date) + QLatin1Char('\'');
}

QString date_storage_text(const QDate& date) {
    if (!date.isValid()) return {};
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString date_storage_text(const QDateTime& moment) {
    if (!moment.isValid()) return {};
    const QTime t = moment.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return date_storage_text(moment.date());
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime parse_date_text(const QString& text) {
    static const QRegularExpression numeric(QStringLiteral(
        R"(^(\d{4})[-/](\d{1,2})[-/](\d{1,2})(?:(?:\s+|T)(\d{1,2}):(\d{1,2})(?::(\d{1,2})(?:\.\d+)?)?)?$)"));
    static const QRegularExpression chinese(QStringLiteral(
        R"(^(\d{4})年(\d{1,2})月(\d{1,2})日\s*(?:(\d{1,2})时(?:(\d{1,2})分)?(?:(\d{1,2})秒)?)?$)"));
    const QString trimmed = text_trim(text);
    QRegularExpressionMatch m = numeric.match(trimmed);
    if (!m.hasMatch()) m = chinese.match(trimmed);
    if (!m.hasMatch()) return {};
    const auto part = [&m](int n) { return m.captured(n).isEmpty() ? 0 : m.captured(n).toInt(); };
    const QDate date(part(1), part(2), part(3));
    const QTime time(part(4), part(5), part(6));
    if (!date.isValid() || !time.isValid()) return {};
    return QDateTime(date, time);
}

// ---- dates without a QDateTime ---------------------------------------------------------------

namespace {

bool digits_at(const char* s, size_t from, size_t count, int* value) {
    int v = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
    }
    *value = v;
    return true;
}

bool valid_parts(const DateParts& p) {
    return p.month >= 1 && p.month <= 12 && p.day >= 1 &&
           p.day <= QDate(p.year, p.month, 1).daysInMonth() && p.hour >= 0 && p.hour < 24 &&
           p.minute >= 0 && p.minute < 60 && p.second >= 0 && p.second < 60;
}

void append_number(std::string& out, int value) {
    char buf[16];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

}  // namespace

bool parse_storage_date(const char* s, size_t size, DateParts* parts) {
    if (size != 10 && size != 19) return false;
    DateParts p;
    if (!digits_at(s, 0, 4, &p.year) || s[4] != '-' || !digits_at(s, 5, 2, &p.month) ||
        s[7] != '-' || !digits_at(s, 8, 2, &p.day))
        return false;
    if (size == 19 && (s[10] != ' ' || !digits_at(s, 11, 2, &p.hour) || s[13] != ':' ||
                       !digits_at(s, 14, 2, &p.minute) || s[16] != ':' ||
                       !digits_at(s, 17, 2, &p.second)))
        return false;
    if (p.year < 1 || !valid_parts(p)) return false;
    *parts = p;
    return true;
}

bool parse_date_parts(const char* utf8, size_t size, DateParts* parts) {
    if (parse_storage_date(utf8, size, parts)) return true;
    const QDateTime moment =
        parse_date_text(QString::fromUtf8(utf8, static_cast<qsizetype>(size)));
    if (!moment.isValid()) return false;
    const QDate d = moment.date();
    const QTime t = moment.time();
    *parts = DateParts{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
    return true;
}

bool serial_date_parts(double days, DateParts* parts) {
    if (!std::isfinite(days) || days < -657434 || days > 2958465) return false;
    const double whole = std::floor(days);
    int seconds = static_cast<int>(std::lround((days - whole) * 86400.0));
    QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    if (seconds >= 86400) {
        date = date.addDays(1);
        seconds -= 86400;
    }
    if (!date.isValid()) return false;
    *parts = DateParts{date.year(), date.month(), date.day(), seconds / 3600, seconds / 60 % 60,
                       seconds % 60};
    return true;
}

void append_date_text(std::string& out, const DateParts& p, bool with_time) {
    append_number(out, p.year);
    out += "年";
    append_number(out, p.month);
    out += "月";
    append_number(out, p.day);
    out += "日";
    if (!with_time || (p.hour == 0 && p.minute == 0 && p.second == 0)) return;
    append_number(out, p.hour);
    out += "时";
    if (p.minute == 0 && p.second == 0) return;
    append_number(out, p.minute);
    out += "分";
    if (p.second == 0) return;
    append_number(out, p.second);
    out += "秒";
}

}  // namespace platform
