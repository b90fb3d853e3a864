#include "reading/reading_query.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "platform/typed_period.h"

namespace reading {

namespace {

using platform::OnFailure;
using platform::sql_quote;

QString date_literal(const QDate& d) {
    return u'#' + QString::number(d.year()) + u'-' + QString::number(d.month()) + u'-' +
           QString::number(d.day()) + u'#';
}

QString direction_text(const QString& direction) {
    return direction == QStringLiteral("降序") ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
}

QString date_cell(const platform::RecordSet& rows, int field) {
    if (platform::recordset_field_is_null(rows, field)) return {};
    return platform::to_text(platform::recordset_field_date(rows, field));
}

}  // namespace

const QString kUnreadListStatement = QStringLiteral(
    "select 未抄表数据.抄表户号,未抄表数据.父号,未抄表数据.收费项目,未抄表数据.价格类别,未抄表数据.建表时间,"
    "未抄表数据.计量编号,未抄表数据.抄表人员,用户信息表.居住街道,用户信息表.详细地址,用户信息表.固定电话,"
    "用户信息表.移动电话,用户信息表.用户名 from 未抄表数据,用户信息表 where 用户信息表.户号=未抄表数据.父号");

QString read_readings_statement(const QString& condition) {
    return QStringLiteral(
               "select 抄表总表.户号,抄表总表.父号,用户信息表.用户名,用户信息表.居住街道,用户信息表.详细地址,"
               "抄表总表.抄表日期,抄表总表.起方,抄表总表.止方,抄表总表.抄表日期,抄表总表.编号,用户表管理.建表时间,"
               "抄表总表.水损,抄表总表.收费项目,抄表总表.价格类别,抄表总表.抄表人员,用户表管理.计量编号,抄表总表.用量 "
               "from 用户信息表,抄表总表,用户表管理  where 用户信息表.户号=抄表总表.父号  and "
               "用户表管理.父号=用户信息表.户号 and 用户表管理.户号=抄表总表.户号 and ") +
           condition;
}

QString card_number_condition(const QString& entry) {
    return QStringLiteral("用户信息表.磁卡号码=") + sql_quote(platform::text_trim(entry)) +
           QStringLiteral(" ORDER  BY 抄表总表.抄表日期");
}

QString household_condition(const QString& entry) {
    return QStringLiteral("抄表总表.父号=") + sql_quote(platform::text_trim(entry)) +
           QStringLiteral(" ORDER  BY 抄表总表.抄表日期");
}

QString read_readings_condition(const ReadQueryForm& f) {
    QString c = QStringLiteral("抄表总表.抄表日期  between ") + date_literal(f.from) +
                QStringLiteral(" and ") + date_literal(f.to);
    if (f.by_fee_item) c += QStringLiteral(" and 抄表总表.收费项目=") + sql_quote(f.fee_item);
    if (f.by_reader) c += QStringLiteral(" and 抄表总表.抄表人员=") + sql_quote(f.reader);
    if (f.by_street) c += QStringLiteral(" and 用户信息表.居住街道=") + sql_quote(f.street);
    if (f.order == QStringLiteral("抄表人员"))
        c += QStringLiteral(" order by 抄表总表.抄表人员,用户表管理.抄表序号");
    else if (f.order == QStringLiteral("居住街道"))
        c += QStringLiteral(" order by 用户信息表.居住街道,用户表管理.抄表序号");
    else if (f.order == QStringLiteral("抄表日期"))
        c += QStringLiteral(" order by 抄表总表.抄表日期");
    else
        c += QStringLiteral(" order by 用户信息表.编号");
    return c + direction_text(f.direction);
}

UnreadQueryOutcome run_unread_query(platform::Connection& connection, const UnreadQueryForm& f,
                                    int reading_day) {
    using Focus = UnreadQueryOutcome::Focus;
    if (f.year.isEmpty()) return {false, QStringLiteral("请输入查询年！"), Focus::Year, {}};
    if (f.month.isEmpty()) return {false, QStringLiteral("请输入查询月！"), Focus::Month, {}};
    // A year or month that names no date cannot be queried: the literal would be no date.
    const auto typed_year = platform::typed_year(platform::text_trim(f.year));
    if (!typed_year) return {false, QStringLiteral("请输入查询年！"), Focus::Year, {}};
    const auto typed_month = platform::typed_month(platform::text_trim(f.month));
    if (!typed_month) return {false, QStringLiteral("请输入查询月！"), Focus::Month, {}};
    const int year = *typed_year;
    const int month = *typed_month;
    const int last = platform::days_in_month(year, month);
    const int first = qBound(1, reading_day, last);
    const QString from = u'#' + QString::number(year) + u'-' + QString::number(month) + u'-' +
                         QString::number(first) + u'#';
    const QString to = u'#' + QString::number(year) + u'-' + QString::number(month) + u'-' +
                       QString::number(last) + u'#';
    UnreadQueryOutcome out;
    out.run = true;
    if (!platform::db_execute(connection, QStringLiteral("delete from 未抄表数据")))
        out.failures << platform::db_last_error(connection);
    // Asked for only once the work table has been emptied: the refusal leaves it empty.
    if (f.by_fee_item && platform::text_trim(f.fee_item).isEmpty()) {
        out.run = false;
        out.message = QStringLiteral("请选择待查询的收费项目!");
        out.focus = Focus::FeeItem;
        return out;
    }
    QString fill = QStringLiteral(
                       "INSERT INTO 未抄表数据 (抄表户号,价格类别,计量编号,抄表人员,建表时间,父号,收费项目,居住街道,"
                       "详细地址) select 用户表管理.户号,用户表管理.价格类别,用户表管理.计量编号,用户表管理.抄表人员,"
                       "用户表管理.建表时间,用户表管理.父号,用户表管理.收费项目,用户信息表.居住街道,用户信息表.详细地址 "
                       "from 用户表管理,用户信息表 where not exists  (select 抄表总表.户号 from 抄表总表 where "
                       "抄表总表.户号=用户表管理.户号 and 抄表总表.抄表日期 between ") +
                   from + QStringLiteral(" and ") + to +
                   QStringLiteral(")  and 用户信息表.户号=用户表管理.父号 and 用户表管理.状态 ='正常'");
    if (f.by_reader) fill += QStringLiteral(" and 用户表管理.抄表人员=") + sql_quote(f.reader);
    if (f.by_street) fill += QStringLiteral(" and 用户信息表.居住街道=") + sql_quote(f.street);
    if (f.by_fee_item)
        fill += QStringLiteral(" and 用户表管理.收费项目=") + sql_quote(platform::text_trim(f.fee_item));
    if (f.order == QStringLiteral("抄表人员"))
        fill += QStringLiteral(" order by 用户表管理.抄表人员,用户表管理.抄表序号");
    else if (f.order == QStringLiteral("居住街道"))
        fill += QStringLiteral(" order by 用户信息表.居住街道,用户信息表.编号");
    else
        fill += QStringLiteral(" order by 用户信息表.编号");
    fill += direction_text(f.direction);
    if (!platform::db_execute(connection, fill))
        out.failures << platform::db_last_error(connection) << fill;
    return out;
}

QList<QStringList> reading_query_rows(platform::Connection& connection, const QString& statement,
                                      int kind,
                                      const std::function<void(int done, int total)>& progress) {
    QList<QStringList> out;
    platform::RecordSet rows;
    platform::query_open(rows, connection, statement, OnFailure::Quiet);
    double usage = 0;
    double loss = 0;
    const int count = platform::recordset_is_open(rows) ? platform::recordset_record_count(rows) : 0;
    out.reserve(count + 1);
    // Fields by position, found once: a list runs to a register's every meter.
    const auto field = [&rows](const char16_t* name) {
        return platform::recordset_is_open(rows)
                   ? platform::recordset_field_index(rows, QString::fromUtf16(name))
                   : -1;
    };
    const auto t = [&rows](int f) { return platform::recordset_field_text(rows, f); };
    const auto n = [&rows](int f) { return platform::recordset_field_number(rows, f); };
    const int f_id = field(u"编号"), f_item = field(u"收费项目"), f_parent = field(u"父号"),
              f_number = field(u"户号"), f_name = field(u"用户名"), f_meter = field(u"计量编号"),
              f_made = field(u"建表时间"), f_category = field(u"价格类别"),
              f_street = field(u"居住街道"), f_address = field(u"详细地址"), f_start = field(u"起方"),
              f_end = field(u"止方"), f_usage = field(u"用量"), f_loss = field(u"水损"),
              f_reader = field(u"抄表人员"), f_date = field(u"抄表日期"),
              f_account = field(u"抄表户号"), f_phone = field(u"固定电话"),
              f_mobile = field(u"移动电话");
    for (; platform::recordset_is_open(rows) && !platform::recordset_eof(rows);
         platform::recordset_move_next(rows)) {
        if (kind == 1) {
            usage += n(f_usage);
            loss += n(f_loss);
            out << QStringList{QString::number(static_cast<qint64>(n(f_id))), t(f_item), t(f_parent),
                               t(f_number), t(f_name), t(f_meter), date_cell(rows, f_made),
                               t(f_category), t(f_street), t(f_address),
                               platform::to_text(n(f_start)), platform::to_text(n(f_end)),
                               platform::to_text(n(f_usage)), platform::to_text(n(f_loss)),
                               t(f_reader), date_cell(rows, f_date)};
        } else {
            out << QStringList{t(f_parent), t(f_account), t(f_name), t(f_street), t(f_address),
                               date_cell(rows, f_made), t(f_item), t(f_category), t(f_phone),
                               t(f_mobile), t(f_meter), t(f_reader)};
        }
        if (progress) progress(static_cast<int>(out.size()), count);
    }
    QStringList totals(kind == 1 ? 16 : 12);
    totals[0] = QStringLiteral("合计");
    totals[1] = QString::number(count) + QStringLiteral("户");
    if (kind == 1) {
        totals[12] = platform::to_text(usage);
        totals[13] = platform::to_text(loss);
    }
    out << totals;
    return out;
}

}  // namespace reading
