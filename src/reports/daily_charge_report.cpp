#include "reports/daily_charge_report.h"

#include <QHash>
#include <QSet>
#include <cmath>

#include "platform/money.h"
#include "platform/query.h"
#include "reports/typed_literals.h"
#include "tariffs/household_bills.h"

namespace reports {

namespace {

using platform::OnFailure;

QString amount(double value) { return report_amount_text(value); }

double sum_of(platform::Connection& main, const QString& sql) { return report_sum(main, sql); }

QStringList group_names(platform::Connection& main, const QString& sql) {
    return report_group_names(main, sql);
}

const QString kUnknownCollector = QStringLiteral("未知");

// One group on one day.
struct DayCells {
    qint64 window_count = 0, bill_count = 0, prepay_count = 0;
    double window_amount = 0, deduction = 0, prepay_amount = 0;
};

// Keyed by the day (YYYY-MM-DD, as the dates are stored) and the group's key.
using DayMap = QHash<QString, DayCells>;

QString day_key(const QString& day, const QString& group) {
    return day + QLatin1Char('|') + report_group_key(group);
}

// Every figure of the month in two grouped statements bounded by the month: the bills that were
// paid or carry a deduction, and the valid prepayments, each by day and group. A bill belongs to
// its household (its own number or one of its meter accounts'); its amounts count only where
// that household is registered, its serial for its collector in any case.
DayMap month_figures(platform::Connection& main, const ReportPeriod& period, bool by_collector) {
    DayMap cells;
    const QString household =
        tariffs::bill_household_expression(QStringLiteral("总收费.户号"));
    const QString bill_group =
        by_collector ? QStringLiteral("总收费.收费人员") : QStringLiteral("用户信息表.居住街道");
    for (const QStringList& row : platform::query_rows(
             main,
             QStringLiteral("select 总收费.收费日期,") + bill_group +
                 QStringLiteral(
                     ",count(distinct 总收费.流水号)+max(总收费.流水号 is null),"
                     "count(总收费.收据号),total(case when 用户信息表.户号 is not null and "
                     "总收费.收费标志=0 then 总收费.实收金额 end),total(case when 用户信息表.户号 "
                     "is not null then 总收费.预存扣款 end) from 总收费 left "
                     "join 用户信息表 on 用户信息表.户号=") +
                 household + QStringLiteral(" where 总收费.收费日期>=") + period.start_literal +
                 QStringLiteral(" and 总收费.收费日期<=") + period.end_literal +
                 QStringLiteral(" and 总收费.标志=1 and (总收费.预存扣款>0 or 总收费.收费标志=0) "
                                "group by 总收费.收费日期,") +
                 bill_group,
             OnFailure::Quiet)) {
        DayCells& c = cells[day_key(row.value(0), row.value(1))];
        c.window_count = row.value(2).toLongLong();
        c.bill_count = row.value(3).toLongLong();
        c.window_amount = row.value(4).toDouble();
        c.deduction = row.value(5).toDouble();
    }
    const QString prepay_sql =
        by_collector
            ? QStringLiteral("select 预存日期,收费人员,count(户号),total(预存金额) from 预存明细 "
                             "where 预存日期>=") +
                  period.start_literal + QStringLiteral(" and 预存日期<=") + period.end_literal +
                  QStringLiteral(" and 标志=1 group by 预存日期,收费人员")
            : QStringLiteral("select 预存明细.预存日期,用户信息表.居住街道,count(预存明细.户号),"
                             "total(预存明细.预存金额) from 预存明细,用户信息表 where "
                             "预存明细.户号=用户信息表.户号 and 预存明细.预存日期>=") +
                  period.start_literal + QStringLiteral(" and 预存明细.预存日期<=") +
                  period.end_literal +
                  QStringLiteral(" and 预存明细.标志=1 group by 预存明细.预存日期,"
                                 "用户信息表.居住街道");
    for (const QStringList& row : platform::query_rows(main, prepay_sql, OnFailure::Quiet)) {
        DayCells& c = cells[day_key(row.value(0), row.value(1))];
        c.prepay_count = row.value(2).toLongLong();
        c.prepay_amount = row.value(3).toDouble();
    }
    return cells;
}

// The days of the month on which any bill was paid or any prepayment taken, void ones included.
QSet<QString> business_days(platform::Connection& main, const ReportPeriod& period) {
    QSet<QString> days;
    for (const QString& day : platform::query_column(
             main,
             QStringLiteral("select distinct 收费日期 from 总收费 where 收费日期>=") +
                 period.start_literal + QStringLiteral(" and 收费日期<=") + period.end_literal +
                 QStringLiteral(" union select distinct 预存日期 from 预存明细 where 预存日期>=") +
                 period.start_literal + QStringLiteral(" and 预存日期<=") + period.end_literal,
             OnFailure::Quiet))
        days.insert(day);
    return days;
}

}  // namespace

StatisticsReport build_daily_charge_report(platform::Connection& main,
                                           const QString& year_text, const QString& month_text,
                                           const QString& grouping,
                                           const ReportPeriodRule& rule,
                                           const ReportProgress& progress) {
    StatisticsReport report;
    const bool by_collector = grouping == kByCollector;
    report.columns = {by_collector ? QStringLiteral("收费人员") : QStringLiteral("居住街道"),
                      QStringLiteral("窗口收费户数"), QStringLiteral("窗口收费金额"),
                      QStringLiteral("预存缴费户数"), QStringLiteral("预存收费金额"),
                      QStringLiteral("收费金额合计"), QStringLiteral("预存扣款金额"),
                      QStringLiteral("收费日期")};
    report.divisors = {11, 11, 11, 11, 11, 11, 11, 9.625};
    const ReportPeriod period = rule.report_month_bounds(year_text, month_text);
    // The bounds carry the box texts as typed: one that names no day matches nothing and is
    // never run.
    const bool usable = report_literal_is_day(period.start_literal) &&
                        report_literal_is_day(period.end_literal);

    QStringList groups;
    if (by_collector) {
        groups = group_names(main, QStringLiteral(
                                       "select 收费人员 from 收费员 where 收费人员<>'管理员'"));
        groups << QStringLiteral("预存扣款") << kUnknownCollector;
    } else if (grouping == kByStreet) {
        groups = group_names(main, QStringLiteral("select 街道 from 街道"));
    }

    const int days = usable && period.start.isValid() && period.end.isValid()
                         ? static_cast<int>(period.start.daysTo(period.end)) + 1
                         : 0;
    report.progress_steps = std::max(days, 0);
    GroupProgress day_done(progress, report.progress_steps);
    const QSet<QString> open_days = days > 0 ? business_days(main, period) : QSet<QString>();
    const DayMap cells = days > 0 ? month_figures(main, period, by_collector) : DayMap();
    for (int i = 0; i < days; ++i) {
        day_done();
        const QDate day = period.start.addDays(i);
        const QString day_text = day.toString(Qt::ISODate);
        if (!open_days.contains(day_text)) continue;
        qint64 sub_window_count = 0, sub_prepay_count = 0;
        double sub_window = 0, sub_prepay = 0, sub_total = 0, sub_deduction = 0;
        for (const QString& g : groups) {
            const DayCells c = cells.value(day_key(day_text, g));
            qint64 window_count = c.window_count, prepay_count = c.prepay_count;
            double window_amount = c.window_amount, prepay_amount = c.prepay_amount,
                   deduction = c.deduction;
            if (by_collector && g == kUnknownCollector) {
                // Unpaid bills with a deduction: counted as bills, not serials; nothing was
                // taken at the window or as a prepayment.
                window_count = c.bill_count;
                window_amount = 0;
                prepay_count = 0;
                prepay_amount = 0;
            }
            if (window_count <= 0 && prepay_count <= 0) continue;
            const double total = prepay_amount + window_amount;
            const QString label =
                by_collector && g == kUnknownCollector ? QStringLiteral("前期扣款") : g;
            report.rows.push_back({label, QString::number(window_count), amount(window_amount),
                                   QString::number(prepay_count), amount(prepay_amount),
                                   amount(total), amount(deduction), QString()});
            sub_window_count += window_count;
            sub_window += window_amount;
            sub_prepay_count += prepay_count;
            sub_prepay += prepay_amount;
            sub_total += total;
            sub_deduction += deduction;
        }
        if (sub_total > platform::kMoneyTolerance || sub_window_count > 0) {
            report.rows.push_back({QStringLiteral("小计"), QString::number(sub_window_count),
                                   amount(sub_window), QString::number(sub_prepay_count),
                                   amount(sub_prepay), amount(sub_total), amount(sub_deduction),
                                   report_date_text(day)});
            report.rows.push_back(QStringList(8, QString()));
        }
    }

    // The month's totals straight from the month's rows, whatever the groups cover.
    const QString range = QStringLiteral(">=") + period.start_literal +
                          QStringLiteral(" and 收费日期<=") + period.end_literal;
    const qint64 serials = !usable ? 0 : platform::query_integer(
        main,
        QStringLiteral("select count(*) from (select distinct 流水号 from 总收费 where 收费日期") +
            range + QStringLiteral(" and 标志=1 and ( 预存扣款>0 or 收费标志=0))"),
        OnFailure::Quiet);
    const double window = !usable ? 0 : sum_of(main, QStringLiteral("select sum(实收金额) as 收费金额 from 总收费 "
                                                      "where 收费日期") +
                                           range +
                                           QStringLiteral(" and 标志=1 and  收费标志=0"));
    qint64 prepay_count = 0;
    double prepay = 0;
    const auto rows = !usable ? QList<QStringList>() : platform::query_rows(
        main,
        QStringLiteral("select count(户号) as 收费户数, sum(预存金额) as 预存金额合计 from 预存明细 "
                       "where 预存日期>=") +
            period.start_literal + QStringLiteral(" and 预存日期<=") + period.end_literal +
            QStringLiteral(" and 标志=1"),
        OnFailure::Quiet);
    if (!rows.isEmpty() && rows.first().size() >= 2) {
        prepay_count = rows.first()[0].toLongLong();
        prepay = rows.first()[1].toDouble();
    }
    const double deduction = !usable ? 0 : sum_of(
        main, QStringLiteral("select sum(预存扣款) as 预存扣款 from 总收费 where 收费日期") + range +
                  QStringLiteral(" and 标志=1 and ( 预存扣款>0 or 收费标志=0)"));
    const int total_row = static_cast<int>(report.rows.size());
    report.rows.push_back({QStringLiteral("合计"), QString::number(serials), amount(window),
                           QString::number(prepay_count), amount(prepay), amount(prepay + window),
                           amount(deduction), year_text + QStringLiteral("年") + month_text +
                                                  QStringLiteral("月")});
    for (int column = 0; column <= 6; ++column) report.red_cells.push_back({total_row, column});
    return report;
}

}  // namespace reports
