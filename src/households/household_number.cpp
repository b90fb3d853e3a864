#include "households/household_number.h"

namespace households {

namespace {

// ASCII or full-width digit value, or -1.
int digit_value(QChar ch) {
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'０' && c <= u'９') return c - u'０';
    return -1;
}

}  // namespace

QString household_number_successor(const QString& number, const QString& prefix,
                                   bool prefix_ignores_case) {
    qsizetype run_start = 0;
    QString head;
    if (!prefix.isEmpty()) {
        const qsizetype at = number.indexOf(
            prefix, 0, prefix_ignores_case ? Qt::CaseInsensitive : Qt::CaseSensitive);
        if (at >= 0) {
            head = number.left(at) + prefix;
            run_start = at + prefix.size();
        }
    }
    // Text between the prefix (or the start) and the first digit is kept: a number typed in
    // another form (B0012 with no prefix set) goes on as B0013 instead of starting over at 1.
    while (run_start < number.size() && digit_value(number[run_start]) < 0)
        head += number[run_start++];
    QString digits;
    for (qsizetype i = run_start; i < number.size() && digit_value(number[i]) >= 0; ++i)
        digits += QChar(u'0' + digit_value(number[i]));

    // Decimal increment on the text itself: any width, leading zeros untouched.
    qsizetype i = digits.size() - 1;
    while (i >= 0 && digits[i] == u'9') digits[i--] = u'0';
    if (i >= 0)
        digits[i] = QChar(digits[i].unicode() + 1);
    else
        digits.prepend(u'1');
    return head + digits;
}

}  // namespace households
