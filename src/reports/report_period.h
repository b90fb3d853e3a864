#pragma once
// The periods the statistics reports share: the report month, the reading window of a month
// and the twelve months of a report year. They come from the year and month box texts as typed
// and the settlement parameters; nothing is stored.
#include <QDate>
#include <QString>
#include <vector>

#include "shell/system_parameters.h"

namespace reports {

// Both bounds inclusive, days without time. The literals are the Jet date texts the report
// queries use; a bound built from the box texts carries them as typed.
struct ReportPeriod {
    QDate start, end;
    QString start_literal, end_literal;
};

struct ReportYearMonth {
    QDate start, end;
    QString label;  // year of end + "年" + month of end + "月"
};

// "#" + year + "-" + month + "-" + day + "#", without leading zeros.
QString report_date_literal(const QDate& day);
// 2012年9月28日
QString report_date_text(const QDate& day);

// The rule with its parameters: 日结算方式 "固定日期" gives the settlement form of a month,
// 月结算方式 "实际月份" a year that ends in 结算月份; any other text the calendar form.
class ReportPeriodRule {
public:
    explicit ReportPeriodRule(const shell::SystemParameters& parameters);

    ReportPeriod report_month_bounds(const QString& year_text, const QString& month_text) const;
    ReportPeriod report_reading_window(const QString& year_text,
                                       const QString& month_text) const;
    std::vector<ReportYearMonth> report_year_months(const QString& year_text,
                                                    bool calendar_only) const;

private:
    shell::SystemParameters parameters_;
};

// Whether the year box, and for a report of one month the month box, name a period: digits
// only, a four-digit year and a month 1 to 12. Otherwise the refusal of the first box that does
// not ("请输入查询年！" or "请输入查询月！") and which box to give the focus.
struct PeriodBoxCheck {
    enum class Box { None, Year, Month };
    Box box = Box::None;
    QString message;
    bool ok() const { return box == Box::None; }
};
PeriodBoxCheck check_report_period_boxes(const QString& year_text, const QString& month_text,
                                         bool with_month);

// The box texts as numbers, truncated toward zero (a text that is not a number gives 0).
int report_text_number(const QString& text);

}  // namespace reports
