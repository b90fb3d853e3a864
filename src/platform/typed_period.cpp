#include "platform/typed_period.h"

namespace platform {

namespace {

std::optional<int> digits_value(const QString& text, qsizetype min_length, qsizetype max_length) {
    if (text.size() < min_length || text.size() > max_length) return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

}  // namespace

std::optional<int> typed_year(const QString& text) {
    const auto year = digits_value(text, 4, 4);
    if (!year || *year < 1000) return std::nullopt;
    return year;
}

std::optional<int> typed_month(const QString& text) {
    const auto month = digits_value(text, 1, 2);
    if (!month || *month < 1 || *month > 12) return std::nullopt;
    return month;
}

}  // namespace platform
