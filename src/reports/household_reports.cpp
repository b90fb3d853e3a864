#include "reports/household_reports.h"

#include <QHash>
#include <utility>

#include "platform/query.h"
#include "reports/typed_literals.h"

namespace reports {

namespace {

using platform::OnFailure;

const QString kStreets = QStringLiteral("select 街道 from 街道");

QString label_of(int year, int month) {
    return QString::number(year) + QStringLiteral("年") + QString::number(month) +
           QStringLiteral("月");
}

// For every street at once (keyed by report_group_key): the households (父号 '0') registered
// from b to e, and those registered up to e or, without e, at all. One statement over the
// register instead of two per street.
QHash<QString, std::pair<qint64, qint64>> street_counts(platform::Connection& main,
                                                        const QString& b, const QString& e,
                                                        bool up_to_end) {
    QHash<QString, std::pair<qint64, qint64>> counts;
    const QString added =
        QStringLiteral("sum(建档时间>=") + b + QStringLiteral(" and 建档时间<=") + e +
        QStringLiteral(")");
    const QString all = up_to_end ? QStringLiteral("sum(建档时间<=") + e + QStringLiteral(")")
                                  : QStringLiteral("count(*)");
    for (const QStringList& row : platform::query_rows(
             main,
             QStringLiteral("select 居住街道,") + added + QLatin1Char(',') + all +
                 QStringLiteral(" from 用户信息表 where 父号='0' group by 居住街道"),
             OnFailure::Quiet))
        counts[report_group_key(row.value(0))] = {row.value(1).toLongLong(),
                                                  row.value(2).toLongLong()};
    return counts;
}

}  // namespace

StatisticsReport build_monthly_household_report(platform::Connection& main,
                                                const QString& year_text,
                                                const QString& month_text, const QString&,
                                                const ReportPeriodRule&,
                                                const ReportProgress& progress) {
    StatisticsReport report;
    report.columns = {QStringLiteral("居住街道"), QStringLiteral("本月新增"),
                      QStringLiteral("总户数"), QStringLiteral("报表日期")};
    report.divisors = {11, 11, 11, 11};

    // Always the calendar month of the boxes, whatever the settlement rule says.
    shell::SystemParameters calendar;
    const ReportPeriod month =
        ReportPeriodRule(calendar).report_month_bounds(year_text, month_text);
    const bool month_usable =
        report_literal_is_day(month.start_literal) && report_literal_is_day(month.end_literal);
    const QString label =
        label_of(report_text_number(year_text), report_text_number(month_text));

    const QStringList streets = report_group_names(main, kStreets);
    report.progress_steps = static_cast<int>(streets.size());
    // A month that names no day still counts every household; it adds none.
    const auto counts = street_counts(
        main, month_usable ? month.start_literal : QStringLiteral("#9999-12-31#"),
        month_usable ? month.end_literal : QStringLiteral("#1000-1-1#"), false);
    qint64 total_new = 0, total_all = 0;
    GroupProgress street_done(progress, report.progress_steps);
    for (const QString& street : streets) {
        street_done();
        const auto [added, all] = counts.value(report_group_key(street));
        report.rows.push_back({street, QString::number(added), QString::number(all), label});
        report.rows.push_back(QStringList(4, QString()));
        total_new += added;
        total_all += all;
    }
    const int total_row = static_cast<int>(report.rows.size());
    report.rows.push_back(
        {QStringLiteral("合计"), QString::number(total_new), QString::number(total_all), label});
    for (int column = 0; column < 4; ++column) report.red_cells.push_back({total_row, column});
    return report;
}

StatisticsReport build_annual_household_report(platform::Connection& main,
                                               const QString& year_text, const QString&,
                                               const QString&, const ReportPeriodRule& rule,
                                               const ReportProgress& progress) {
    StatisticsReport report;
    report.columns = {QStringLiteral("居住街道"), QStringLiteral("本月新增"),
                      QStringLiteral("当前户数"), QStringLiteral("报表日期")};
    report.divisors = {11, 11, 11, 11};

    const std::vector<ReportYearMonth> months = rule.report_year_months(year_text, true);
    const QStringList streets = report_group_names(main, kStreets);
    report.progress_steps = static_cast<int>(months.size());
    qint64 year_new = 0, last_current = 0;
    GroupProgress month_done(progress, report.progress_steps);
    for (const ReportYearMonth& month : months) {
        month_done();
        const QString b = report_date_literal(month.start);
        const QString e = report_date_literal(month.end);
        const bool usable = report_literal_is_day(b) && report_literal_is_day(e);
        qint64 month_new = 0, month_current = 0;
        const auto counts = usable ? street_counts(main, b, e, true)
                                   : QHash<QString, std::pair<qint64, qint64>>();
        for (const QString& street : streets) {
            const auto [added, current] = counts.value(report_group_key(street));
            report.rows.push_back(
                {street, QString::number(added), QString::number(current), QString()});
            month_new += added;
            month_current += current;
        }
        report.rows.push_back({QStringLiteral("小计"), QString::number(month_new),
                               QString::number(month_current),
                               usable ? month.label : QString()});
        report.rows.push_back(QStringList(4, QString()));
        year_new += month_new;
        last_current = month_current;
    }
    const int total_row = static_cast<int>(report.rows.size());
    report.rows.push_back({QStringLiteral("合计"), QString::number(year_new),
                           QString::number(last_current), year_text + QStringLiteral("年")});
    for (int column = 0; column < 4; ++column) report.red_cells.push_back({total_row, column});
    return report;
}

}  // namespace reports
