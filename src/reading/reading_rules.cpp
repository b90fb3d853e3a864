#include "reading/reading_rules.h"

#include <cmath>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"

namespace reading {

using platform::sql_quote;

MeterState meter_state_from_text(const QString& text) {
    return text == kStateRolloverText ? MeterState::Rollover : MeterState::Normal;
}

namespace {

double difference(double start, double end, MeterState state) {
    return state == MeterState::Rollover ? end + kRolloverAddition - start : end - start;
}

}  // namespace

double reading_usage(double start, double end, double multiplier, MeterState state) {
    return difference(start, end, state) * multiplier;
}

double entry_integer_usage(double start, double end, int multiplier, MeterState state) {
    return std::trunc(std::trunc(difference(start, end, state)) * multiplier);
}

bool end_below_start(double start, double end, MeterState state) {
    return state == MeterState::Normal && end - start < -kReadingTolerance;
}

int loss_decimals(const QString& loss_digits) {
    if (loss_digits == QStringLiteral("十分位")) return 1;
    if (loss_digits == QStringLiteral("百分位")) return 2;
    return 0;
}

double loss_for_usage(double usage, int loss_rate, const QString& loss_digits) {
    return platform::round_to(usage * loss_rate * 0.01, loss_decimals(loss_digits));
}

QString month_text(const QDate& date) {
    return QString::number(date.year()) + u'-' + QString::number(date.month());
}

QString month_first_literal(const QDate& date) {
    return platform::date_to_sql_literal(QDate(date.year(), date.month(), 1));
}

QString month_last_literal(const QDate& date) {
    return platform::date_to_sql_literal(platform::last_day_of_month(date));
}

QString month_condition(const QString& column, const QDate& date) {
    return column + QStringLiteral(">=") + month_first_literal(date) + QStringLiteral(" and ") +
           column + QStringLiteral("<=") + month_last_literal(date);
}

bool read_in_month(platform::Connection& connection, const QString& account,
                   const QString& fee_item, const QString& category, const QDate& date) {
    return platform::query_number(connection,
                                  QStringLiteral("select count(*) from 抄表总表 where 户号=") +
                                      sql_quote(account) + QStringLiteral(" and 收费项目=") +
                                      sql_quote(fee_item) + QStringLiteral(" and 价格类别=") +
                                      sql_quote(category) + QStringLiteral(" and ") +
                                      month_condition(QStringLiteral("抄表日期"), date)) > 0;
}

bool account_read_in_month(platform::Connection& connection, const QString& account,
                           const QDate& date) {
    return platform::query_number(connection,
                                  QStringLiteral("select count(*) from 抄表总表 where 户号=") +
                                      sql_quote(account) + QStringLiteral(" and ") +
                                      month_condition(QStringLiteral("抄表日期"), date)) > 0;
}

bool meter_change_start(platform::Connection& connection, const QString& account, const QDate& date,
                        double* start) {
    platform::RecordSet records;
    if (!platform::query_open(records, connection,
                              QStringLiteral("select 换表起方 from 换表管理 where 户号=") +
                                  sql_quote(account) + QStringLiteral(" and 执行日期=") +
                                  sql_quote(month_text(date))) ||
        platform::recordset_eof(records))
        return false;
    *start = platform::recordset_field_number(records, 0);
    return true;
}

double start_reading(platform::Connection& connection, const QString& account,
                     const QString& fee_item, const QString& category, const QDate& date) {
    const QString same_meter = sql_quote(account) + QStringLiteral(" and 收费项目=") +
                               sql_quote(fee_item) + QStringLiteral(" and 价格类别=") +
                               sql_quote(category);
    double start = 0;
    platform::RecordSet last;
    if (platform::query_open(last, connection,
                             QStringLiteral("select 止方 from 抄表总表 where 户号=") + same_meter +
                                 QStringLiteral(" ORDER  BY 抄表日期 DESC")) &&
        !platform::recordset_eof(last))
        start = platform::recordset_field_number(last, 0);
    else
        start = platform::query_number(
            connection, QStringLiteral("select 开始起数 from 用户表管理 where 户号=") + same_meter);
    meter_change_start(connection, account, date, &start);
    return start;
}

double category_price(platform::Connection& connection, const QString& fee_item,
                      const QString& category) {
    return platform::query_number(connection,
                                  QStringLiteral("select 价格 from 水价类别 where  收费项目=") +
                                      sql_quote(fee_item) + QStringLiteral(" and 水价类别=") +
                                      sql_quote(category));
}

QString pending_insert_statement(const PendingReading& r) {
    using platform::sql_number;
    return QStringLiteral(
               "insert into 抄表管理 (户号,起方,止方,用量,抄表日期,水损,收费项目,价格类别,"
               "抄表人员,父号,价格) values ( ") +
           sql_quote(r.account) + u',' + sql_number(r.start) + u',' + sql_number(r.end) + u',' +
           sql_number(r.usage) + u',' + platform::date_to_quoted(r.date) + u',' +
           sql_number(r.loss) + u',' + sql_quote(r.fee_item) + u',' + sql_quote(r.category) + u',' +
           sql_quote(r.reader) + u',' + sql_quote(r.household) + u',' + sql_number(r.price) + u')';
}

}  // namespace reading
