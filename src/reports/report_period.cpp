#include "reports/report_period.h"

#include <cmath>

#include "platform/typed_period.h"

namespace reports {

namespace {

const QString kFixedDay = QStringLiteral("固定日期");
const QString kActualMonth = QStringLiteral("实际月份");

QString typed_literal(const QString& year_text, const QString& month_text, int day) {
    return QStringLiteral("#") + year_text + QLatin1Char('-') + month_text + QLatin1Char('-') +
           QString::number(day) + QLatin1Char('#');
}

int days_in(int year, int month) {
    const QDate first(year, month, 1);
    return first.isValid() ? first.daysInMonth() : 0;
}

// The settlement day of the month of `month`, or its last day where the month is shorter.
QDate settlement_day_of(const QDate& month, int settlement_day) {
    return QDate(month.year(), month.month(), qBound(1, settlement_day, month.daysInMonth()));
}

}  // namespace

PeriodBoxCheck check_report_period_boxes(const QString& year_text, const QString& month_text,
                                         bool with_month) {
    using Box = PeriodBoxCheck::Box;
    if (!platform::typed_year(year_text)) return {Box::Year, QStringLiteral("请输入查询年！")};
    if (with_month && !platform::typed_month(month_text))
        return {Box::Month, QStringLiteral("请输入查询月！")};
    return {};
}

int report_text_number(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) return 0;
    return static_cast<int>(std::trunc(value));
}

QString report_date_literal(const QDate& day) {
    return QStringLiteral("#%1-%2-%3#").arg(day.year()).arg(day.month()).arg(day.day());
}

QString report_date_text(const QDate& day) {
    return QStringLiteral("%1年%2月%3日").arg(day.year()).arg(day.month()).arg(day.day());
}

ReportPeriodRule::ReportPeriodRule(const shell::SystemParameters& parameters)
    : parameters_(parameters) {}

ReportPeriod ReportPeriodRule::report_month_bounds(const QString& year_text,
                                                   const QString& month_text) const {
    const int year = report_text_number(year_text);
    const int month = report_text_number(month_text);
    ReportPeriod period;
    if (parameters_.day_settlement_mode == kFixedDay) {
        const int settlement = parameters_.settlement_day;
        const int previous_year = month == 1 ? year - 1 : year;
        const int previous_month = month == 1 ? 12 : month - 1;
        period.start =
            settlement_day_of(QDate(previous_year, previous_month, 1), settlement).addDays(1);
        period.start_literal = report_date_literal(period.start);
        period.end = settlement_day_of(QDate(year, month, 1), settlement);
        period.end_literal = typed_literal(year_text, month_text,
                                           period.end.isValid() ? period.end.day() : settlement);
    } else {
        period.start = QDate(year, month, 1);
        period.start_literal = typed_literal(year_text, month_text, 1);
        const int last = days_in(year, month);
        period.end = QDate(year, month, last);
        period.end_literal = typed_literal(year_text, month_text, last);
    }
    return period;
}

ReportPeriod ReportPeriodRule::report_reading_window(const QString& year_text,
                                                     const QString& month_text) const {
    const int year = report_text_number(year_text);
    const int month = report_text_number(month_text);
    ReportPeriod period;
    period.start = QDate(year, month, parameters_.reading_day);
    period.start_literal = typed_literal(year_text, month_text, parameters_.reading_day);
    const int last = days_in(year, month);
    period.end = QDate(year, month, last);
    period.end_literal = typed_literal(year_text, month_text, last);
    return period;
}

std::vector<ReportYearMonth> ReportPeriodRule::report_year_months(const QString& year_text,
                                                                  bool calendar_only) const {
    const int year = report_text_number(year_text);
    int first_year = year;
    int first_month = 1;
    if (parameters_.month_settlement_mode == kActualMonth) {
        first_year = year - 1;
        first_month = parameters_.settlement_month + 1;
    }
    std::vector<ReportYearMonth> months;
    const QDate first(first_year, first_month, 1);
    if (!first.isValid()) {
        // A year that names no date: twelve months that match nothing.
        months.assign(12, ReportYearMonth{});
        return months;
    }
    if (parameters_.day_settlement_mode == kFixedDay && !calendar_only) {
        // Each month ends on its own settlement day and the next starts the day after, so the
        // months of a year (and the years themselves) neither overlap nor leave a gap, whatever
        // the lengths of the months.
        QDate start = settlement_day_of(first.addMonths(-1), parameters_.settlement_day).addDays(1);
        for (int i = 0; i < 12; ++i) {
            const QDate end = settlement_day_of(first.addMonths(i), parameters_.settlement_day);
            months.push_back({start, end, {}});
            start = end.addDays(1);
        }
    } else {
        for (int i = 0; i < 12; ++i) {
            const QDate start = first.addMonths(i);
            months.push_back({start, QDate(start.year(), start.month(), start.daysInMonth()), {}});
        }
    }
    for (auto& month : months)
        month.label = QStringLiteral("%1年%2月").arg(month.end.year()).arg(month.end.month());
    return months;
}

}  // namespace reports
