#include "reports/reading_statistics_report.h"

#include <QHash>

#include "platform/convert.h"
#include "platform/query.h"
#include "reports/typed_literals.h"

namespace reports {

namespace {

using platform::OnFailure;

struct Grouping {
    QString title;
    QString source;  // the group names
    QString column;  // the column that holds the group name
};

// By the selector's text; the three groupings of the reading report's entry.
Grouping grouping_of(const QString& grouping) {
    if (grouping == kByReader)
        return {QStringLiteral("抄表人员"), QStringLiteral("select * from 抄表员"),
                QStringLiteral("用户表管理.抄表人员")};
    if (grouping == kByStreet)
        return {QStringLiteral("居住街道"), QStringLiteral("select * from 街道"),
                QStringLiteral("用户信息表.居住街道")};
    if (grouping == kByFeeItem)
        return {QStringLiteral("收费项目"), QStringLiteral("select 项目名称 from 收费项目 "),
                QStringLiteral("用户表管理.收费项目")};
    return {};
}

}  // namespace

QString reading_rate_text(qint64 read, qint64 total) {
    const double rate = total == 0 ? 0.0 : static_cast<double>(read) / total * 100.0;
    return report_amount_text(rate) + QStringLiteral("%");
}

StatisticsReport build_reading_statistics_report(platform::Connection& main,
                                                 const QString& year_text,
                                                 const QString& month_text,
                                                 const QString& grouping,
                                                 const ReportPeriodRule& rule,
                                                 const ReportProgress& progress) {
    StatisticsReport report;
    const Grouping g = grouping_of(grouping);
    const double narrow = 12.833333333333334;
    report.columns = {g.title,
                      QStringLiteral("总户数"),
                      QStringLiteral("销户户数"),
                      QStringLiteral("应抄表户数"),
                      QStringLiteral("已抄表户数"),
                      QStringLiteral("未抄表户数"),
                      QStringLiteral("抄表率"),
                      QStringLiteral("本月用量"),
                      QStringLiteral("报表月份")};
    report.divisors = {11, narrow, narrow, narrow, narrow, narrow, narrow, 11, narrow};

    const ReportPeriod window = rule.report_reading_window(year_text, month_text);
    // A bound that names no day matches no reading.
    const bool window_usable = report_literal_is_day(window.start_literal) &&
                               report_literal_is_day(window.end_literal);
    const QString month_label = year_text + QStringLiteral("年") + month_text + QStringLiteral("月");
    const QStringList groups =
        g.source.isEmpty() ? QStringList() : report_group_names(main, g.source);
    report.progress_steps = static_cast<int>(groups.size());

    // Two grouped statements: the meter accounts of every group by state, and the readings of
    // the window (bounded by the window first) by group.
    struct Counts {
        qint64 all = 0, stopped = 0, active = 0, read = 0;
        double usage = 0;
    };
    QHash<QString, Counts> counts;
    if (!g.column.isEmpty()) {
        for (const QStringList& row : platform::query_rows(
                 main,
                 QStringLiteral("select ") + g.column +
                     QStringLiteral(",count(*),sum(状态='报停'),sum(状态='正常') from "
                                    "用户表管理,用户信息表 where 用户信息表.户号=用户表管理.父号 "
                                    "group by ") +
                     g.column,
                 OnFailure::Quiet)) {
            Counts& c = counts[report_group_key(row.value(0))];
            c.all = row.value(1).toLongLong();
            c.stopped = row.value(2).toLongLong();
            c.active = row.value(3).toLongLong();
        }
        if (window_usable)
            for (const QStringList& row : platform::query_rows(
                     main,
                     QStringLiteral("select ") + g.column +
                         QStringLiteral(",count(*),total(抄表总表.用量) from 抄表总表,用户表管理,"
                                        "用户信息表 where 抄表总表.抄表日期>=") +
                         window.start_literal + QStringLiteral(" and 抄表总表.抄表日期 <= ") +
                         window.end_literal +
                         QStringLiteral(" and 抄表总表.户号=用户表管理.户号 and "
                                        "用户信息表.户号=抄表总表.父号 group by ") +
                         g.column,
                     OnFailure::Quiet)) {
                Counts& c = counts[report_group_key(row.value(0))];
                c.read = row.value(1).toLongLong();
                c.usage = row.value(2).toDouble();
            }
    }
    qint64 total_all = 0, total_stopped = 0, total_active = 0, total_read = 0, total_unread = 0;
    double total_usage = 0;
    GroupProgress group_done(progress, report.progress_steps);
    for (const QString& name : groups) {
        group_done();
        const Counts c = counts.value(report_group_key(name));
        const qint64 all = c.all, stopped = c.stopped, active = c.active, read = c.read;
        const double usage = c.usage;
        const qint64 unread = active - read;
        report.rows.push_back({name, QString::number(all), QString::number(stopped),
                               QString::number(active), QString::number(read),
                               QString::number(unread), reading_rate_text(read, all),
                               platform::to_text(usage), month_label});
        report.rows.push_back(QStringList(9, QString()));
        total_all += all;
        total_stopped += stopped;
        total_active += active;
        total_read += read;
        total_unread += unread;
        total_usage += usage;
    }

    const int total_row = static_cast<int>(report.rows.size());
    report.rows.push_back({QStringLiteral("合计"), QString::number(total_all),
                           QString::number(total_stopped), QString::number(total_active),
                           QString::number(total_read), QString::number(total_unread),
                           reading_rate_text(total_read, total_all),
                           platform::to_text(total_usage), month_label});
    for (int column = 0; column < 9; ++column) report.red_cells.push_back({total_row, column});
    return report;
}

}  // namespace reports
