#include "reports/charge_takings.h"

#include <cmath>

#include "platform/money.h"
#include "platform/query.h"
#include "reports/typed_literals.h"

namespace reports {

namespace {

using platform::OnFailure;
using platform::sql_quote;

qint64 count_of(platform::Connection& main, const QString& sql) {
    return platform::query_integer(main, sql, OnFailure::Quiet);
}

// A sum and a count from one statement, in that field order; no row or a failure gives zeros.
std::pair<double, qint64> sum_and_count(platform::Connection& main, const QString& sql) {
    const auto rows = platform::query_rows(main, sql, OnFailure::Quiet);
    if (rows.isEmpty() || rows.first().size() < 2) return {0, 0};
    return {rows.first()[0].toDouble(), rows.first()[1].toLongLong()};
}

QString count_text(qint64 count) { return QString::number(count); }

// Per collector: window payments (serials and amount), prepayments taken (rows and amount).
struct CollectorCells {
    qint64 serials = 0, prepay_rows = 0;
    double window = 0, prepay = 0;
};

CollectorCells collector_cells(platform::Connection& main, const QString& g, const QString& s,
                               const QString& e) {
    CollectorCells cells;
    const QString range =
        QStringLiteral("收费日期>=") + s + QStringLiteral(" and 收费日期 <= ") + e;
    if (g == kEarlierDeduction) {
        cells.serials =
            count_of(main, QStringLiteral("select count(*) from 总收费 where ") + range +
                               QStringLiteral(" and 收费人员='未知' and 标志=1 and "
                                              "收费标志=1 and 预存扣款>0"));
        // Unpaid bills took no money at the window: the first field is the constant 0.
        cells.window =
            report_sum(main, QStringLiteral("select 0,sum(预存扣款) from 总收费 where ") + range +
                                 QStringLiteral(" and 收费人员='未知' and 标志=1 and "
                                                "收费标志=1"));
    } else {
        cells.serials = count_of(
            main,
            QStringLiteral("select count(*) from (select distinct 流水号 from 总收费 where ") +
                range + QStringLiteral(" and 收费人员=") + sql_quote(g) +
                QStringLiteral(" and 标志=1 and 收费标志=0)"));
        cells.window = report_sum(
            main, QStringLiteral("select sum(实收金额),sum(预存扣款) from 总收费 where ") + range +
                      QStringLiteral(" and 收费人员=") + sql_quote(g) +
                      QStringLiteral(" and 标志=1 and 收费标志=0"));
    }
    const auto [amount, rows] = sum_and_count(
        main, QStringLiteral("select sum(预存金额) as 预存金额合计 , count(户号) as 用户数 from "
                             "预存明细 where 预存日期>=") +
                  s + QStringLiteral(" and 预存日期 <= ") + e + QStringLiteral(" and 收费人员=") +
                  sql_quote(g) + QStringLiteral(" and 标志=1"));
    cells.prepay = amount;
    cells.prepay_rows = rows;
    return cells;
}

// Per street: readings, paid and unpaid bills, amounts paid and prepaid, deductions.
struct StreetCells {
    qint64 read = 0, paid = 0, unpaid = 0, prepay_rows = 0;
    double collected = 0, prepay = 0, deduction = 0;
};

StreetCells street_cells(platform::Connection& main, const QString& g, const QString& s,
                         const QString& e, bool yearly) {
    StreetCells cells;
    const QString street = QStringLiteral(" and 用户信息表.居住街道=") + sql_quote(g);
    const QString bills_of_street =
        QStringLiteral(
            "from 总收费,用户信息表 where 总收费.户号=用户信息表.户号 and "
            "总收费.收费日期>=") +
        s + QStringLiteral(" and 总收费.收费日期 <= ") + e + street;
    cells.read = count_of(main, QStringLiteral("select count(*) from 抄表总表,用户信息表 where "
                                               "抄表总表.父号=用户信息表.户号 and "
                                               "抄表总表.抄表日期>=") +
                                    s + QStringLiteral(" and 抄表总表.抄表日期 <= ") + e + street);
    cells.paid = count_of(
        main, QStringLiteral("select count(*) from 总收费 where 总收费.收费日期>=") + s +
                  QStringLiteral(" and 总收费.收费日期 <= ") + e +
                  QStringLiteral(" and 总收费.标志=1 and 总收费.收费标志=0 and 总收费.户号 in "
                                 "(select 用户信息表.户号 from 用户信息表 where "
                                 "用户信息表.居住街道=") +
                  sql_quote(g) + QStringLiteral(")"));
    cells.unpaid = count_of(main, QStringLiteral("select count(*) ") + bills_of_street +
                                      QStringLiteral(" and 总收费.标志=1 and 总收费.收费标志=1"));
    cells.collected =
        report_sum(main, QStringLiteral("select sum(总收费.实收金额) ") + bills_of_street +
                             QStringLiteral(" and 总收费.标志=1 and 总收费.收费标志=0"));
    if (yearly) {
        // Reached through the prepayment's meter account: a row without one counts for no
        // street.
        const auto [amount, rows] = sum_and_count(
            main,
            QStringLiteral("select sum(预存明细.预存金额) as 预存金额合计,count(预存明细.户号) "
                           "as 用户数 from 预存明细,用户表管理,用户信息表 where "
                           "预存明细.户号=用户信息表.户号 and "
                           "预存明细.抄表户号=用户表管理.户号 and 预存明细.预存日期>=") +
                s + QStringLiteral(" and 预存明细.预存日期 <= ") + e + street +
                QStringLiteral(" and 预存明细.标志=1"));
        cells.prepay = amount;
        cells.prepay_rows = rows;
    } else {
        cells.prepay = report_sum(
            main, QStringLiteral("select sum(预存明细.预存金额) as 预存金额合计  from "
                                 "预存明细,用户信息表 where 预存明细.户号=用户信息表.户号 and "
                                 "预存明细.预存日期>=") +
                      s + QStringLiteral(" and 预存明细.预存日期 <= ") + e + street +
                      QStringLiteral(" and 预存明细.标志=1"));
    }
    cells.deduction =
        report_sum(main, QStringLiteral("select sum(总收费.预存扣款) ") + bills_of_street +
                             (yearly ? QStringLiteral(" and 总收费.标志=1")
                                     : QStringLiteral(" and 总收费.标志=1 and 总收费.收费标志=0")));
    return cells;
}

}  // namespace

QString report_rate_text(double collected, double read) {
    if (std::fabs(collected) <= platform::kMoneyTolerance ||
        std::fabs(read) <= platform::kMoneyTolerance)
        return QStringLiteral("0.00%");
    return report_amount_text(collected / read * 100) + QLatin1Char('%');
}

StatisticsReport build_charge_takings(platform::Connection& main, const QString& grouping,
                                      const ChargeTakingsShape& shape,
                                      const ReportProgress& progress) {
    StatisticsReport report;
    const bool by_street = grouping == kByStreet;
    const QString& s = shape.start_literal;
    const QString& e = shape.end_literal;
    QStringList groups;
    if (by_street) {
        report.columns = {QStringLiteral("街道名称"), QStringLiteral("抄表户数"),
                          QStringLiteral("已收费户数"), QStringLiteral("未收费户数"),
                          QStringLiteral("收费金额")};
        report.divisors = {12.833333333333334, 15.4, 14, 14, 15.4};
        if (shape.yearly) {
            report.columns << QStringLiteral("预存户数");
            report.divisors.push_back(15.4);
        }
        report.columns << QStringLiteral("预存金额") << QStringLiteral("收款小计")
                       << QStringLiteral("收费率") << QStringLiteral("预存扣款")
                       << shape.period_title;
        for (double divisor : {15.4, 15.4, 15.4, 15.4, 12.833333333333334})
            report.divisors.push_back(divisor);
        groups = report_group_names(main, QStringLiteral("select 街道 from 街道"));
    } else {
        report.columns = {QStringLiteral("收费人员"),
                          QStringLiteral("窗口收费户数"),
                          QStringLiteral("窗口收费金额"),
                          QStringLiteral("预存缴费户数"),
                          shape.collector_prepay_title,
                          QStringLiteral("金额小计"),
                          shape.period_title};
        report.divisors.assign(7, 11);
        groups = report_group_names(
            main, QStringLiteral("select 收费人员 from 收费员 where 收费人员<>'管理员'"));
        groups << kSettledFromBalance << kEarlierDeduction;
    }
    report.progress_steps = static_cast<int>(groups.size());
    GroupProgress group_done(progress, report.progress_steps);
    const int width = static_cast<int>(report.columns.size());
    // The bounds carry the box texts as typed: one that names no day matches nothing, and is
    // never run, so no text typed into a box becomes part of a statement.
    const bool usable = report_literal_is_day(s) && report_literal_is_day(e);

    if (by_street) {
        qint64 read = 0, paid = 0, unpaid = 0, prepay_rows = 0;
        double collected = 0, prepay = 0, deduction = 0;
        for (const QString& g : groups) {
            group_done();
            const StreetCells c =
                usable ? street_cells(main, g, s, e, shape.yearly) : StreetCells();
            QStringList row = {g, count_text(c.read), count_text(c.paid), count_text(c.unpaid),
                               report_amount_text(c.collected)};
            if (shape.yearly) row << count_text(c.prepay_rows);
            row << report_amount_text(c.prepay) << report_amount_text(c.collected + c.prepay)
                << report_rate_text(static_cast<double>(c.paid), static_cast<double>(c.read))
                << report_amount_text(c.deduction) << shape.period_text;
            report.rows.push_back(row);
            report.rows.push_back(QStringList(width, QString()));
            read += c.read;
            paid += c.paid;
            unpaid += c.unpaid;
            prepay_rows += c.prepay_rows;
            collected += c.collected;
            prepay += c.prepay;
            deduction += c.deduction;
        }
        QStringList total = {QStringLiteral("合计"), count_text(read), count_text(paid),
                             count_text(unpaid), report_amount_text(collected)};
        if (shape.yearly) total << count_text(prepay_rows);
        total << report_amount_text(prepay) << report_amount_text(collected + prepay)
              << report_rate_text(static_cast<double>(paid), static_cast<double>(read))
              << report_amount_text(deduction) << shape.period_text;
        report.rows.push_back(total);
    } else {
        qint64 serials = 0, prepay_rows = 0;
        double window = 0, prepay = 0;
        for (const QString& g : groups) {
            group_done();
            const CollectorCells c = usable ? collector_cells(main, g, s, e) : CollectorCells();
            report.rows.push_back({g, count_text(c.serials), report_amount_text(c.window),
                                   count_text(c.prepay_rows), report_amount_text(c.prepay),
                                   report_amount_text(c.window + c.prepay), shape.period_text});
            report.rows.push_back(QStringList(width, QString()));
            serials += c.serials;
            prepay_rows += c.prepay_rows;
            window += c.window;
            prepay += c.prepay;
        }
        report.rows.push_back({QStringLiteral("合计"), count_text(serials),
                               report_amount_text(window), count_text(prepay_rows),
                               report_amount_text(prepay), report_amount_text(window + prepay),
                               shape.period_text});
    }
    const int total_row = static_cast<int>(report.rows.size()) - 1;
    for (int column = 0; column < width; ++column) report.red_cells.push_back({total_row, column});
    return report;
}

}  // namespace reports
