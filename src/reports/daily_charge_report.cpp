#include "reports/daily_charge_report.h"

#include <cmath>

#include "platform/money.h"
#include "platform/query.h"

namespace reports {

namespace {

using platform::OnFailure;

QString amount(double value) { return report_amount_text(value); }

double sum_of(platform::Connection& main, const QString& sql) { return report_sum(main, sql); }

QStringList group_names(platform::Connection& main, const QString& sql) {
    return report_group_names(main, sql);
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

    QStringList groups;
    QString filter;
    if (by_collector) {
        groups = group_names(main, QStringLiteral(
                                       "select 收费人员 from 收费员 where 收费人员<>'管理员'"));
        groups << QStringLiteral("预存扣款") << QStringLiteral("未知");
        filter = QStringLiteral(" and 总收费.收费人员='");
    } else if (grouping == kByStreet) {
        groups = group_names(main, QStringLiteral("select 街道 from 街道"));
        filter = QStringLiteral(" and 用户信息表.居住街道='");
    }

    const int days = period.start.isValid() && period.end.isValid()
                         ? static_cast<int>(period.start.daysTo(period.end)) + 1
                         : 0;
    report.progress_steps = std::max(days, 0);
    GroupProgress day_done(progress, report.progress_steps);
    for (int i = 0; i < days; ++i) {
        day_done();
        const QDate day = period.start.addDays(i);
        const QString d = report_date_literal(day);
        if (!platform::query_exists(main, QStringLiteral("select 收据号 from 总收费 where 收费日期=") + d,
                                    OnFailure::Quiet) &&
            !platform::query_exists(main,
                                    QStringLiteral("select 收据号 from 预存明细 where 预存日期=") + d,
                                    OnFailure::Quiet))
            continue;
        qint64 sub_window_count = 0, sub_prepay_count = 0;
        double sub_window = 0, sub_prepay = 0, sub_total = 0, sub_deduction = 0;
        for (const QString& g : groups) {
            qint64 window_count = 0, prepay_count = 0;
            // The name goes between the statement's own quotes, with its quotes doubled.
            const QString quoted = platform::sql_quote(g);
            const QString name_in_quotes = quoted.mid(1, quoted.size() - 2);
            double window_amount = 0, prepay_amount = 0, deduction = 0;
            if (by_collector && g == QStringLiteral("未知")) {
                const auto rows = platform::query_rows(
                    main,
                    QStringLiteral("select count(总收费.收据号) as 收费户数,sum(总收费.实收金额) as "
                                   "收费金额,sum(总收费.预存扣款) as 预存扣款 from 总收费 where "
                                   "总收费.收费日期=") +
                        d + QStringLiteral(" and 总收费.收费人员='") + name_in_quotes +
                        QStringLiteral("' and 总收费.标志=1 and ( 总收费.预存扣款>0 or "
                                       "总收费.收费标志=0)"),
                    OnFailure::Quiet);
                if (!rows.isEmpty() && rows.first().size() >= 3) {
                    window_count = rows.first()[0].toLongLong();
                    deduction = rows.first()[2].toDouble();
                }
            } else {
                window_amount = sum_of(
                    main, QStringLiteral("select sum(总收费.实收金额) as 收费金额 from 总收费,用户信息表 "
                                         "where 总收费.户号=用户信息表.户号 and 总收费.收费日期=") +
                              d + filter + name_in_quotes +
                              QStringLiteral("' and 总收费.标志=1 and 总收费.收费标志=0"));
                const QString serials = QStringLiteral(
                    "select count(*) as 收费户数 from (select distinct 流水号 from 总收费 where "
                    "标志=1 and (预存扣款>0 or 收费标志=0) and 收费日期=");
                if (by_collector) {
                    window_count = platform::query_integer(
                        main, serials + d + QStringLiteral(" and 总收费.收费人员='") + name_in_quotes +
                                  QStringLiteral("')"),
                        OnFailure::Quiet);
                } else {
                    window_count = platform::query_integer(
                        main, serials + d +
                                  QStringLiteral(" and 户号 in (select 户号 from 用户信息表 where "
                                                 "用户信息表.居住街道='") +
                                  name_in_quotes + QStringLiteral("'))"),
                        OnFailure::Quiet);
                }
                deduction = sum_of(
                    main, QStringLiteral("select sum(总收费.预存扣款) as 预存扣款 from 总收费,用户信息表 "
                                         "where 总收费.户号=用户信息表.户号 and 总收费.收费日期=") +
                              d + filter + name_in_quotes +
                              QStringLiteral("' and 总收费.标志=1 and ( 总收费.预存扣款>0 or "
                                             "总收费.收费标志=0)"));
                const QString prepay_sql =
                    by_collector
                        ? QStringLiteral("select count(预存明细.户号) as 收费户数, "
                                         "sum(预存明细.预存金额) as 预存金额合计 from 预存明细  where "
                                         "预存明细.预存日期=") +
                              d + QStringLiteral(" and 预存明细.收费人员='") + name_in_quotes +
                              QStringLiteral("' and 预存明细.标志=1")
                        : QStringLiteral("select count(预存明细.户号) as 收费户数, "
                                         "sum(预存明细.预存金额) as 预存金额合计 from 预存明细,用户信息表 "
                                         "where  预存明细.户号=用户信息表.户号 and 预存明细.预存日期=") +
                              d + QStringLiteral(" and 用户信息表.居住街道='") + name_in_quotes +
                              QStringLiteral("' and 预存明细.标志=1");
                const auto rows = platform::query_rows(main, prepay_sql, OnFailure::Quiet);
                if (!rows.isEmpty() && rows.first().size() >= 2) {
                    prepay_count = rows.first()[0].toLongLong();
                    prepay_amount = rows.first()[1].toDouble();
                }
            }
            if (window_count <= 0 && prepay_count <= 0) continue;
            const double total = prepay_amount + window_amount;
            const QString label =
                by_collector && g == QStringLiteral("未知") ? QStringLiteral("前期扣款") : g;
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

    const QString range = QStringLiteral(">=") + period.start_literal +
                          QStringLiteral(" and 收费日期<=") + period.end_literal;
    const qint64 serials = platform::query_integer(
        main,
        QStringLiteral("select count(*) from (select distinct 流水号 from 总收费 where 收费日期") +
            range + QStringLiteral(" and 标志=1 and ( 预存扣款>0 or 收费标志=0))"),
        OnFailure::Quiet);
    const double window = sum_of(main, QStringLiteral("select sum(实收金额) as 收费金额 from 总收费 "
                                                      "where 收费日期") +
                                           range +
                                           QStringLiteral(" and 标志=1 and  收费标志=0"));
    qint64 prepay_count = 0;
    double prepay = 0;
    const auto rows = platform::query_rows(
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
    const double deduction = sum_of(
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
