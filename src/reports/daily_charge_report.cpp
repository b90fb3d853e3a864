#include "reports/daily_charge_report.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/money.h"
#include "platform/query.h"
#include "reports/period_bills.h"
#include "reports/typed_literals.h"

namespace reports {

namespace {

using platform::OnFailure;

QString amount(double value) { return report_amount_text(value); }

QStringList group_names(platform::Connection& main, const QString& sql) {
    return report_group_names(main, sql);
}

const QString kUnknownCollector = QStringLiteral("未知");

// One group on one day.
struct DayCells {
    qint64 window_count = 0, bill_count = 0, prepay_count = 0;
    // Summed in extended precision so that a month of bills added one by one stays exact to the
    // cent whatever order they come in.
    long double window_amount = 0, deduction = 0, prepay_amount = 0;
};

// Keyed by the day (YYYY-MM-DD, as the dates are stored) and the group's key.
using DayMap = QHash<QString, DayCells>;

QString day_key(const QString& day, const QString& group) {
    return day + QLatin1Char('|') + report_group_key(group);
}

// The month's figures: each group's cells by day, and the month's totals over every counted
// bill and prepayment whatever group it falls in.
struct MonthFigures {
    DayMap cells;
    qint64 serials = 0, prepay_count = 0;
    long double window = 0, deduction = 0, prepay = 0;
    bool failed = false;  // a read failed part-way (and was told): no figure is whole
};

// Every figure of the month from one pass over the month's counted bills (paid, or carrying a
// deduction) and the grouped prepayments: reading the month's bills once is the report's cost,
// so the groups, the distinct serials and the month's totals are all summed from that one read.
// A bill belongs to its household (its own number or one of its meter accounts'); its amounts
// count in its group only where that household is registered, its serial for its collector in
// any case, and the month's totals count every bill once.
MonthFigures month_figures(platform::Connection& main, const ReportPeriod& period,
                           bool by_collector) {
    MonthFigures month;
    // Whose bill it is comes from the register, read once, not from a look-up per bill.
    const RegisterStreets reg(main, !by_collector);
    if (reg.failed()) {
        month.failed = true;
        return month;
    }
    RowStream bills(main,
                    by_collector
                        ? "select 收费日期,收费人员,流水号,收据号 is not null,case when 收费标志=0 "
                          "then 实收金额 end,预存扣款,户号 from 总收费 where 收费日期>=?1 and "
                          "收费日期<=?2 and 标志=1 and (预存扣款>0 or 收费标志=0)"
                        : "select 收费日期,null,流水号,收据号 is not null,case when 收费标志=0 "
                          "then 实收金额 end,预存扣款,户号 from 总收费 where 收费日期>=?1 and "
                          "收费日期<=?2 and 标志=1 and (预存扣款>0 or 收费标志=0)");
    bills.bind_day(1, period.start);
    bills.bind_day(2, period.end);
    struct Group {
        DayCells cells;
        SerialSet serials;
    };
    std::unordered_map<std::string, Group> groups;
    SerialSet month_serials;
    std::string day, key, last_key, number;
    Group* last = nullptr;  // stays valid: the map's nodes do not move
    while (bills.next()) {
        day.assign(bills.text(0));
        day.push_back('|');
        const double window = bills.number(4);
        const double deduction = bills.number(5);
        const bool receipted = bills.number(3) != 0;
        // The registrations of the bill's household: none when its number names no household.
        int household = -1;
        if (!bills.is_null(6)) {
            number.clear();
            fold_key_into(bills.text(6), number);
            household = reg.bill_household(number);
        }
        if (by_collector) {
            // Its serial counts for its collector in any case; its amounts once for each
            // registration of its household, its receipt as often (and once without any).
            const int registered = reg.count(household);
            key = day;
            fold_key_into(bills.text(1), key);
            // The bills come a day's and a collector's at a time: the group of the last one is
            // mostly the group of this one.
            if (!last || key != last_key) {
                last = &groups[key];
                last_key = key;
            }
            Group& g = *last;
            g.serials.add(bills, 2);
            if (receipted) g.cells.bill_count += std::max(registered, 1);
            g.cells.window_amount += static_cast<long double>(window) * registered;
            g.cells.deduction += static_cast<long double>(deduction) * registered;
        } else {
            for (int r = household; r >= 0; r = reg.next(r)) {
                key = day;
                key += reg.streets()[static_cast<size_t>(reg.street(r))];
                Group& g = groups[key];
                g.serials.add(bills, 2);
                if (receipted) ++g.cells.bill_count;
                g.cells.window_amount += window;
                g.cells.deduction += deduction;
            }
        }
        // The month's totals count every bill once.
        month_serials.add(bills, 2);
        month.window += window;
        month.deduction += deduction;
    }
    if (bills.failed()) {
        month.failed = true;
        return month;
    }
    month.serials = month_serials.count();
    for (auto& [group_key, g] : groups) {
        g.cells.window_count = g.serials.count();
        month.cells.insert(QString::fromStdString(group_key), g.cells);
    }

    const QString prepay_sql =
        by_collector
            ? QStringLiteral(
                  "select 预存日期,收费人员,count(户号),total(预存金额) from 预存明细 "
                  "where 预存日期>=") +
                  period.start_literal + QStringLiteral(" and 预存日期<=") + period.end_literal +
                  QStringLiteral(" and 标志=1 group by 预存日期,收费人员")
            : QStringLiteral(
                  "select 预存明细.预存日期,用户信息表.居住街道,count(预存明细.户号),"
                  "total(预存明细.预存金额) from 预存明细,用户信息表 where "
                  "预存明细.户号=用户信息表.户号 and 预存明细.预存日期>=") +
                  period.start_literal + QStringLiteral(" and 预存明细.预存日期<=") +
                  period.end_literal +
                  QStringLiteral(
                      " and 预存明细.标志=1 group by 预存明细.预存日期,"
                      "用户信息表.居住街道");
    for (const QStringList& row : platform::query_rows(main, prepay_sql, OnFailure::Quiet)) {
        DayCells& c = month.cells[day_key(row.value(0), row.value(1))];
        c.prepay_count += row.value(2).toLongLong();
        c.prepay_amount += row.value(3).toDouble();
        // By collector the groups hold every prepayment of the month: their sums are the
        // month's.
        if (by_collector) {
            month.prepay_count += row.value(2).toLongLong();
            month.prepay += row.value(3).toDouble();
        }
    }
    if (by_collector) return month;
    const auto rows = platform::query_rows(
        main,
        QStringLiteral("select count(户号),sum(预存金额) from 预存明细 where 预存日期>=") +
            period.start_literal + QStringLiteral(" and 预存日期<=") + period.end_literal +
            QStringLiteral(" and 标志=1"),
        OnFailure::Quiet);
    if (!rows.isEmpty() && rows.first().size() >= 2) {
        month.prepay_count = rows.first()[0].toLongLong();
        month.prepay = rows.first()[1].toDouble();
    }
    return month;
}

// The days of the month on which any bill was paid or any prepayment taken, void ones included:
// each day of the period looked up on its own, so a busy month costs two seeks a day rather than
// a read of every bill it took.
QSet<QString> business_days(platform::Connection& main, const ReportPeriod& period) {
    QSet<QString> days;
    for (const QString& day : platform::query_column(
             main,
             QStringLiteral("with recursive 日历(日期) as (select ") + period.start_literal +
                 QStringLiteral(" union all select date(日期,'+1 day') from 日历 where 日期<") +
                 period.end_literal +
                 QStringLiteral(") select 日期 from 日历 where exists (select 1 from 总收费 where "
                                "收费日期=日历.日期) or exists (select 1 from 预存明细 where "
                                "预存日期=日历.日期)"),
             OnFailure::Quiet))
        days.insert(day);
    return days;
}

}  // namespace

StatisticsReport build_daily_charge_report(platform::Connection& main, const QString& year_text,
                                           const QString& month_text, const QString& grouping,
                                           const ReportPeriodRule& rule,
                                           const ReportProgress& progress) {
    StatisticsReport report;
    const bool by_collector = grouping == kByCollector;
    report.columns = {by_collector ? QStringLiteral("收费人员") : QStringLiteral("居住街道"),
                      QStringLiteral("窗口收费户数"),
                      QStringLiteral("窗口收费金额"),
                      QStringLiteral("预存缴费户数"),
                      QStringLiteral("预存收费金额"),
                      QStringLiteral("收费金额合计"),
                      QStringLiteral("预存扣款金额"),
                      QStringLiteral("收费日期")};
    report.divisors = {11, 11, 11, 11, 11, 11, 11, 9.625};
    const ReportPeriod period = rule.report_month_bounds(year_text, month_text);
    // The bounds carry the box texts as typed: one that names no day matches nothing and is
    // never run.
    const bool usable =
        report_literal_is_day(period.start_literal) && report_literal_is_day(period.end_literal);

    QStringList groups;
    if (by_collector) {
        groups = group_names(
            main, QStringLiteral("select 收费人员 from 收费员 where 收费人员<>'管理员'"));
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
    const MonthFigures month =
        days > 0 ? month_figures(main, period, by_collector) : MonthFigures();
    // Part of the month's bills is no month: the report shows nothing rather than that.
    if (month.failed) return report;
    const DayMap& cells = month.cells;
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
            double window_amount = static_cast<double>(c.window_amount),
                   prepay_amount = static_cast<double>(c.prepay_amount),
                   deduction = static_cast<double>(c.deduction);
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

    const qint64 serials = month.serials, prepay_count = month.prepay_count;
    const double window = static_cast<double>(month.window),
                 prepay = static_cast<double>(month.prepay),
                 deduction = static_cast<double>(month.deduction);
    const int total_row = static_cast<int>(report.rows.size());
    report.rows.push_back({QStringLiteral("合计"), QString::number(serials), amount(window),
                           QString::number(prepay_count), amount(prepay), amount(prepay + window),
                           amount(deduction),
                           year_text + QStringLiteral("年") + month_text + QStringLiteral("月")});
    for (int column = 0; column <= 6; ++column) report.red_cells.push_back({total_row, column});
    return report;
}

}  // namespace reports
