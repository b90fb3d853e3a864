#include "reading/reading_entry.h"

#include <cmath>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "shell/operation_log.h"

namespace reading {

QString reading_entry_fee_item;
QString reading_entry_price_category;
QString reading_entry_reader;
QString reading_entry_household;
int reading_entry_multiplier = 0;
qint64 reading_entry_next_meter_id = 0;
QString reading_entry_edit_fee_item;
QString reading_entry_edit_price_category;
QString reading_entry_edit_reader;

using platform::sql_quote;

namespace {

QString same_meter_condition(const QString& account, const QString& fee_item,
                             const QString& category) {
    return QStringLiteral("户号=") + sql_quote(account) + QStringLiteral(" and 收费项目=") +
           sql_quote(fee_item) + QStringLiteral(" and 价格类别=") + sql_quote(category);
}

int whole(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 2e9) return 0;
    return static_cast<int>(std::trunc(value));
}

}  // namespace

MeterOnShow find_meter_on_show(platform::Connection& connection, const QString& typed_account,
                               qint64 next_meter_id) {
    QString sql = QStringLiteral(
        "select 用户表管理.户号,用户信息表.用户名,用户信息表.居住街道,用户信息表.详细地址,"
        "用户信息表.性质,用户表管理.收费项目,用户表管理.价格类别,用户表管理.建表时间,"
        "用户表管理.抄表人员,用户表管理.计量编号,用户表管理.父号 from 用户信息表,用户表管理  "
        "where 用户表管理.父号=用户信息表.户号 and ");
    if (next_meter_id == 0)
        sql += QStringLiteral("用户表管理.户号=") + sql_quote(platform::text_trim(typed_account)) +
               QStringLiteral(" order by 用户表管理.抄表人员,用户表管理.抄表序号");
    else
        sql += QStringLiteral("用户表管理.编号=") + QString::number(next_meter_id);
    MeterOnShow meter;
    platform::RecordSet records;
    if (!platform::query_open(records, connection, sql) || platform::recordset_eof(records))
        return meter;
    auto text = [&](const char16_t* name) {
        return platform::recordset_field_text(records, QString::fromUtf16(name));
    };
    meter.found = true;
    meter.account = text(u"户号");
    meter.name = text(u"用户名");
    meter.street = text(u"居住街道");
    meter.address = text(u"详细地址");
    meter.fee_item = text(u"收费项目");
    meter.category = text(u"价格类别");
    const QDateTime set_up = platform::recordset_field_date(records, QStringLiteral("建表时间"));
    meter.set_up = set_up.isValid() ? platform::to_text(set_up.date()) : QString();
    meter.reader = text(u"抄表人员");
    meter.meter_number = text(u"计量编号");
    meter.household = text(u"父号");
    return meter;
}

PendingValues pending_reading_values(platform::Connection& connection, const QString& account,
                                     const QString& fee_item) {
    PendingValues values;
    platform::RecordSet records;
    if (!platform::query_open(records, connection,
                              QStringLiteral("select 起方,止方,水损 from 抄表管理 where 户号=") +
                                  sql_quote(account) + QStringLiteral(" and 收费项目=") +
                                  sql_quote(fee_item)) ||
        platform::recordset_eof(records))
        return values;
    values.found = true;
    values.start = platform::recordset_field_number(records, 0);
    values.end = platform::recordset_field_number(records, 1);
    values.loss = platform::recordset_field_number(records, 2);
    return values;
}

PreviousReading previous_reading(platform::Connection& connection, const QString& account,
                                 const QString& fee_item, const QString& category,
                                 const QDate& date) {
    PreviousReading result;
    if (platform::query_number(connection,
                               QStringLiteral("select count(*) from 用户表管理 where 户号=") +
                                   sql_quote(account)) < 0.5)
        return result;
    if (read_in_month(connection, account, fee_item, category, date)) {
        result.status = PreviousReading::Status::AlreadyRead;
        return result;
    }
    result.status = PreviousReading::Status::Ready;
    result.start = start_reading(connection, account, fee_item, category, date);
    return result;
}

std::optional<double> loss_while_typing(platform::Connection& connection, const QString& account,
                                        const QString& fee_item, const QString& category,
                                        double start, double end, MeterState state,
                                        int* multiplier) {
    int rate = 0;
    int times = 0;
    {
        platform::RecordSet records;
        if (platform::query_open(
                records, connection,
                QStringLiteral(
                    "select 水价类别.电损率,用户表管理.倍率 from 用户表管理,水价类别 where "
                    "用户表管理.价格类别=水价类别.水价类别 and "
                    "用户表管理.收费项目=水价类别.收费项目 and 用户表管理.户号=") +
                    sql_quote(platform::text_trim(account)) +
                    QStringLiteral(" and 用户表管理.收费项目=") + sql_quote(fee_item) +
                    QStringLiteral(" and 用户表管理.价格类别=") + sql_quote(category))) {
            rate = whole(platform::recordset_field_number(records, 0));
            times = whole(platform::recordset_field_number(records, 1));
        }
    }
    if (multiplier) *multiplier = times;
    const double usage = entry_integer_usage(start, end, times, state);
    platform::RecordSet item;
    if (!platform::query_open(
            item, connection,
            QStringLiteral("select 自动损耗,损耗位数 from 收费项目 where 项目名称=") +
                sql_quote(fee_item)) ||
        platform::recordset_field_text(item, 0) != kAutomaticLossOn)
        return std::nullopt;
    return loss_for_usage(usage, rate, platform::recordset_field_text(item, 1));
}

ReadingSaveOutcome save_pending_reading(platform::Connection& connection, const ReadingForm& form,
                                        const shell::RunContext& run) {
    using Focus = ReadingSaveOutcome::Focus;
    using Result = ReadingSaveOutcome::Result;
    ReadingSaveOutcome out;
    auto refuse = [&](const QString& message, Focus focus) {
        out.result = Result::Refused;
        out.message = message;
        out.focus = focus;
        return out;
    };
    const QString account = platform::text_trim(form.account);
    if (account.isEmpty() || account == form.prefix)
        return refuse(QStringLiteral("户号不能为空！"), Focus::Account);
    if (platform::text_trim(form.end_text).isEmpty())
        return refuse(QStringLiteral("止数不能为空！"), Focus::End);
    const double start = platform::to_number(form.start_text);
    const double end = platform::to_number(form.end_text);
    if (end_below_start(start, end, form.state))
        return refuse(QStringLiteral("止数减起度不能小于0！"), Focus::EndSelected);
    if (form.fee_item == kPropertyFeeItem) {
        out.account_to_prefix = true;
        return refuse(
            QStringLiteral("该用户户号为物业不需要抄表,请点击物业抄表,系统自动生成抄表数据!"),
            Focus::AccountSelected);
    }
    const QString meter = same_meter_condition(account, form.fee_item, form.category);
    if (!platform::query_exists(connection,
                                QStringLiteral("select 户号 from 用户表管理 where ") + meter))
        return refuse(QStringLiteral("无此用户计量信息,请在计量管理中添加用户计量表！"),
                      Focus::AccountSelected);
    const double price = category_price(connection, form.fee_item, form.category);
    if (!form.modify &&
        platform::query_exists(connection,
                               QStringLiteral("select 户号 from 抄表管理 where ") + meter)) {
        out.caption = QStringLiteral("抄表提示");
        return refuse(QStringLiteral("在临时抄表中已加入了该用户抄表记录！\r\n"
                                     "请点击【抄表入库】即可完成用户抄表。"),
                      Focus::AccountSelected);
    }
    out.multiplier = whole(platform::query_number(
        connection,
        QStringLiteral("select 倍率 from 用户表管理 where 户号=") + sql_quote(account)));
    out.usage = reading_usage(start, end, out.multiplier, form.state);
    const double loss = platform::to_number(form.loss_text);

    QString sql;
    if (form.modify) {
        sql = QStringLiteral("update 抄表管理 set 止方=") + platform::sql_number(end) +
              QStringLiteral(",用量=") + platform::sql_number(out.usage) +
              QStringLiteral(",起方=") + platform::sql_number(start) + QStringLiteral(",水损=") +
              platform::sql_number(loss) + QStringLiteral(" where 户号=") + sql_quote(account) +
              QStringLiteral(" and 收费项目=") + sql_quote(form.edit_fee_item);
    } else {
        PendingReading row;
        row.account = account;
        row.start = start;
        row.end = end;
        row.usage = out.usage;
        row.date = form.date;
        row.loss = loss;
        row.fee_item = form.fee_item;
        row.category = form.category;
        row.reader = form.reader;
        row.household = form.household;
        row.price = price;
        sql = pending_insert_statement(row);
    }
    if (!platform::db_execute(connection, sql)) {
        out.result = Result::Failed;
        out.message = QStringLiteral("添加失败!\r\n") + platform::db_last_error(connection);
        return out;
    }
    out.result = Result::Saved;
    const QString remark =
        form.modify
            ? QStringLiteral("修改户号：") + account + QStringLiteral("的抄表记录，但未入抄表库。")
            : QStringLiteral("添加户号：") + account + QStringLiteral("的抄表记录。");
    out.log_failed = !shell::write_operation_log(connection, run, QStringLiteral("抄表管理"),
                                                 QStringLiteral("抄表添加"), remark);
    return out;
}

qint64 next_meter_on_route(platform::Connection& connection, const QString& account,
                           const QString& fee_item, const QString& category) {
    platform::RecordSet place;
    if (!platform::query_open(place, connection,
                              QStringLiteral("select 抄表序号,抄表人员 from 用户表管理 where ") +
                                  same_meter_condition(account, fee_item, category)))
        return 0;
    const double order = std::trunc(platform::recordset_field_number(place, 0));
    const QString reader = platform::recordset_field_text(place, 1);
    return platform::query_integer(
        connection, QStringLiteral("select top 1 编号 from 用户表管理 where 抄表序号>") +
                        platform::sql_number(order) + QStringLiteral(" and 抄表人员=") +
                        sql_quote(reader) + QStringLiteral(" and 状态='正常' order by 抄表序号"));
}

}  // namespace reading
