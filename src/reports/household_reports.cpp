#include "reports/household_reports.h"

#include <QByteArray>
#include <QHash>
#include <string>
#include <utility>
#include <vector>

#include "platform/jet_sql.h"
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
// from b to e, and all of them. One statement over the register instead of two per street.
QHash<QString, std::pair<qint64, qint64>> street_counts(platform::Connection& main,
                                                        const QString& b, const QString& e) {
    QHash<QString, std::pair<qint64, qint64>> counts;
    for (const QStringList& row : platform::query_rows(
             main,
             QStringLiteral("select 居住街道,sum(建档时间>=") + b +
                 QStringLiteral(" and 建档时间<=") + e +
                 QStringLiteral("),count(*) from 用户信息表 where 父号='0' group by 居住街道"),
             OnFailure::Quiet))
        counts[report_group_key(row.value(0))] = {row.value(1).toLongLong(),
                                                  row.value(2).toLongLong()};
    return counts;
}

// The households (父号 '0') of one street registered on one day, as the register holds the day:
// its text, or its kind when it is not a text.
struct StreetDay {
    QString street_key;
    QByteArray day;  // UTF-8, compared byte by byte as the database compares texts
    enum class Kind { Text, Number, Blob, Null } kind = Kind::Null;
    qint64 households = 0;
};

// One pass over the register in the order of its index: the households per street and day,
// a few rows that the counts of every month of a year are summed from.
std::vector<StreetDay> street_days(platform::Connection& main) {
    std::vector<StreetDay> days;
    for (const QStringList& row : platform::query_rows(
             main,
             QStringLiteral("select 居住街道, 建档时间, typeof(建档时间), count(*) from 用户信息表 "
                            "where 父号='0' group by 居住街道, 建档时间"),
             OnFailure::Quiet)) {
        StreetDay d;
        d.street_key = report_group_key(row.value(0));
        d.day = row.value(1).toUtf8();
        const QString kind = row.value(2);
        d.kind = kind == QLatin1String("text") ? StreetDay::Kind::Text
                 : kind == QLatin1String("integer") || kind == QLatin1String("real")
                     ? StreetDay::Kind::Number
                 : kind == QLatin1String("blob") ? StreetDay::Kind::Blob
                                                 : StreetDay::Kind::Null;
        d.households = row.value(3).toLongLong();
        days.push_back(std::move(d));
    }
    return days;
}

// A day literal as the statements compare it: the text the database holds for #Y-M-D#.
QByteArray day_text(const QString& literal) {
    std::string text;
    platform::normalise_date_text(literal.mid(1, literal.size() - 2).toStdString(), text);
    return QByteArray::fromStdString(text);
}

// 建档时间>=bound and 建档时间<=bound as the database decides them for a day of each kind: a
// number sorts before every text, a blob after it, and no NULL compares.
bool on_or_after(const StreetDay& d, const QByteArray& bound) {
    return d.kind == StreetDay::Kind::Text ? d.day >= bound : d.kind == StreetDay::Kind::Blob;
}
bool on_or_before(const StreetDay& d, const QByteArray& bound) {
    return d.kind == StreetDay::Kind::Text ? d.day <= bound : d.kind == StreetDay::Kind::Number;
}

}  // namespace

StatisticsReport build_monthly_household_report(platform::Connection& main,
                                                const QString& year_text, const QString& month_text,
                                                const QString&, const ReportPeriodRule&,
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
    const QString label = label_of(report_text_number(year_text), report_text_number(month_text));

    const QStringList streets = report_group_names(main, kStreets);
    report.progress_steps = static_cast<int>(streets.size());
    // A month that names no day still counts every household; it adds none.
    const auto counts =
        street_counts(main, month_usable ? month.start_literal : QStringLiteral("#9999-12-31#"),
                      month_usable ? month.end_literal : QStringLiteral("#1000-1-1#"));
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

StatisticsReport build_annual_household_report(platform::Connection& main, const QString& year_text,
                                               const QString&, const QString&,
                                               const ReportPeriodRule& rule,
                                               const ReportProgress& progress) {
    StatisticsReport report;
    report.columns = {QStringLiteral("居住街道"), QStringLiteral("本月新增"),
                      QStringLiteral("当前户数"), QStringLiteral("报表日期")};
    report.divisors = {11, 11, 11, 11};

    const std::vector<ReportYearMonth> months = rule.report_year_months(year_text, true);
    const QStringList streets = report_group_names(main, kStreets);
    report.progress_steps = static_cast<int>(months.size());
    // One read of the register for the whole year; each month sums its streets from it.
    const std::vector<StreetDay> days = street_days(main);
    qint64 year_new = 0, last_current = 0;
    GroupProgress month_done(progress, report.progress_steps);
    for (const ReportYearMonth& month : months) {
        month_done();
        const QString b = report_date_literal(month.start);
        const QString e = report_date_literal(month.end);
        const bool usable = report_literal_is_day(b) && report_literal_is_day(e);
        qint64 month_new = 0, month_current = 0;
        QHash<QString, std::pair<qint64, qint64>> counts;
        if (usable) {
            const QByteArray first = day_text(b), last = day_text(e);
            for (const StreetDay& d : days) {
                if (!on_or_before(d, last)) continue;
                auto& [added, current] = counts[d.street_key];
                current += d.households;
                if (on_or_after(d, first)) added += d.households;
            }
        }
        for (const QString& street : streets) {
            const auto [added, current] = counts.value(report_group_key(street));
            report.rows.push_back(
                {street, QString::number(added), QString::number(current), QString()});
            month_new += added;
            month_current += current;
        }
        report.rows.push_back({QStringLiteral("小计"), QString::number(month_new),
                               QString::number(month_current), usable ? month.label : QString()});
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
