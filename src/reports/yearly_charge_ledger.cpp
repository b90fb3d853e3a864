#include "reports/yearly_charge_ledger.h"

#include <algorithm>

#include "platform/convert.h"
#include "platform/query.h"
#include "reports/typed_literals.h"

namespace reports {

namespace {

using platform::OnFailure;

struct LedgerMonth {
    double usage = 0, billed = 0, window = 0, prepaid = 0, deduction = 0, unpaid = 0;
};

LedgerMonth ledger_month(platform::Connection& main, const ReportYearMonth& month) {
    LedgerMonth m;
    const QString t = report_date_literal(month.start);
    const QString u = report_date_literal(month.end);
    // The calendar month the row is named after.
    const QDate first(month.end.year(), month.end.month(), 1);
    const QString first_literal = report_date_literal(first);
    const QString last_literal = report_date_literal(first.addDays(first.daysInMonth() - 1));
    // A year the database cannot hold (no date, or more than four digits) matches nothing.
    if (!report_literal_is_day(t) || !report_literal_is_day(u) ||
        !report_literal_is_day(first_literal) || !report_literal_is_day(last_literal))
        return m;
    const QString calendar = QStringLiteral("抄表日期 >=") + first_literal +
                             QStringLiteral(" and 抄表日期 <=") + last_literal;
    m.usage = report_sum(main, QStringLiteral("select sum(用量) from 抄表总表 where ") + calendar);
    // The bills read in the calendar month and those read in the report month, in one read of
    // the two months' bills: with calendar months they are the same rows.
    const QString low = report_date_literal(std::min(first, month.start));
    const QString high = report_date_literal(std::max(first.addDays(first.daysInMonth() - 1),
                                                      month.end));
    const QString in_month = QStringLiteral("抄表日期 >= ") + t + QStringLiteral(" and 抄表日期 <= ") + u;
    const auto bills = platform::query_rows(
        main,
        QStringLiteral("select total(case when ") + calendar +
            QStringLiteral(" then 实收金额 end),total(case when ") + calendar +
            QStringLiteral(" then 预存扣款 end),total(case when ") + in_month +
            QStringLiteral(" then 预存扣款 end),total(case when ") + in_month +
            QStringLiteral(" and 收费标志=1 then 实收金额 end) from 总收费 where 抄表日期 >= ") +
            low + QStringLiteral(" and 抄表日期 <= ") + high + QStringLiteral(" and 标志=1"),
        OnFailure::Quiet);
    if (!bills.isEmpty() && bills.first().size() >= 4) {
        const QStringList& row = bills.first();
        m.billed = row[0].toDouble() + row[1].toDouble();
        m.deduction = row[2].toDouble();
        m.unpaid = row[3].toDouble();
    }
    m.window =
        report_sum(main, QStringLiteral("select sum(实收金额) from 总收费 where 收费日期 >= ") + t +
                             QStringLiteral(" and 收费日期 <= ") + u +
                             QStringLiteral(" and 标志=1 and 收费标志=0"));
    m.prepaid = report_sum(
        main, QStringLiteral("select sum(预存金额) as 预存金额合计  from 预存明细 "
                             "where 预存日期>=") +
                  t + QStringLiteral(" and 预存日期 <= ") + u + QStringLiteral(" and 标志=1"));
    return m;
}

QStringList ledger_row(const QString& label, const LedgerMonth& m) {
    return {label,
            platform::to_text(m.usage),
            report_amount_text(m.billed),
            report_amount_text(m.window),
            report_amount_text(m.prepaid),
            report_amount_text(m.window + m.prepaid),
            report_amount_text(m.deduction),
            report_amount_text(m.window + m.deduction),
            report_amount_text(m.unpaid)};
}

}  // namespace

StatisticsReport build_yearly_charge_ledger(platform::Connection& main, const QString& year_text,
                                            const QString& /*month_text*/,
                                            const QString& /*grouping*/,
                                            const ReportPeriodRule& rule,
                                            const ReportProgress& progress) {
    StatisticsReport report;
    report.columns = {
        QStringLiteral("报表月份"), QStringLiteral("抄表用量"), QStringLiteral("应收金额"),
        QStringLiteral("窗口收费"), QStringLiteral("预存收费"), QStringLiteral("收费合计"),
        QStringLiteral("预存扣款"), QStringLiteral("已收合计"), QStringLiteral("未收金额")};
    report.divisors.assign(report.columns.size(), 11);
    const auto months = rule.report_year_months(year_text, false);
    report.progress_steps = static_cast<int>(months.size());

    LedgerMonth year;
    GroupProgress month_done(progress, report.progress_steps);
    for (const ReportYearMonth& month : months) {
        month_done();
        const LedgerMonth m = ledger_month(main, month);
        report.rows.push_back(ledger_row(month.label, m));
        report.rows.push_back(QStringList(report.columns.size(), QString()));
        year.usage += m.usage;
        year.billed += m.billed;
        year.window += m.window;
        year.prepaid += m.prepaid;
        year.deduction += m.deduction;
        year.unpaid += m.unpaid;
    }
    const int total_row = static_cast<int>(report.rows.size());
    report.rows.push_back(ledger_row(QStringLiteral("合计"), year));
    for (int column = 0; column < report.columns.size(); ++column)
        report.red_cells.push_back({total_row, column});
    return report;
}

}  // namespace reports
