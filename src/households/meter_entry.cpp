#include "households/meter_entry.h"

#include "households/meter_account.h"
#include "platform/convert.h"
#include "platform/money.h"
#include "platform/query.h"

namespace households {

namespace {

using platform::information;
using platform::sql_quote;

MeterSaveOutcome refusal(const QString& text, MeterField focus = MeterField::None) {
    MeterSaveOutcome outcome;
    outcome.focus = focus;
    outcome.messages << information(text);
    return outcome;
}

MeterSaveOutcome failure(platform::Connection& connection) {
    MeterSaveOutcome outcome;
    outcome.messages << platform::database_error(platform::db_last_error(connection));
    return outcome;
}

}  // namespace

MeterSaveOutcome save_meter_account(platform::Connection& connection, const MeterEntry& entry) {
    const QString household = platform::text_trim(entry.household);
    if (!platform::query_exists(connection, QStringLiteral("select 户号 from 用户信息表 where 户号=") +
                                                sql_quote(household)))
        return refusal(QStringLiteral("没此用户，请在用户管理中添加用户信息!"), MeterField::Household);
    if (entry.fee_item.isEmpty() || entry.price_category.isEmpty() || entry.reader.isEmpty())
        return refusal(QStringLiteral("收费项目、价格类别、抄表人员不能为空！"));
    // The multiplier is compared with the same tolerance as every amount.
    if (!platform::money_positive(platform::to_number(entry.multiplier)))
        return refusal(QStringLiteral("倍率不能小于等于0！"), MeterField::Multiplier);
    // One account per fee item, unless the household has several meters (性质 set).
    bool several_meters = false;
    {
        platform::RecordSet kind(connection);
        if (platform::recordset_open(kind, QStringLiteral("select 性质 from 用户信息表 where 户号=") +
                                               sql_quote(household)))
            several_meters = platform::recordset_field_bool(kind, 0);
    }
    if (!several_meters) {
        QString sql = QStringLiteral("select count(*) from 用户表管理 where 父号=") +
                      sql_quote(household) + QStringLiteral(" and 收费项目=") +
                      sql_quote(entry.fee_item);
        if (!entry.adding) sql += QStringLiteral(" and 编号<>") + QString::number(entry.edited_id);
        if (platform::query_integer(connection, sql) >= 1)
            return refusal(QStringLiteral("该用户的收费项目已经添加!"));
    }

    const bool property_fee = platform::text_trim(entry.fee_item) == kPropertyFeeItem;
    const QString reader = property_fee ? kSystemReader : platform::text_trim(entry.reader);
    const double start = platform::to_number(entry.start_reading);
    double multiplier = 0;
    // What the database would refuse saves nothing (and says nothing); nothing typed reaches the
    // statement unconverted.
    if (!read_plain_number(entry.multiplier, &multiplier)) return {};
    const QString meter_number = platform::text_trim(entry.meter_number);

    platform::Transaction transaction(connection);
    QString statement;
    if (entry.adding) {
        // A number no account has, at the end of the reader's walk.
        HouseholdMeter meter;
        meter.number = next_meter_account_number(connection, household);
        meter.reading_order = next_reading_order(connection, reader);
        // A look-up that failed has told its own error already.
        if (meter.number.isEmpty() || meter.reading_order == 0) return {};
        meter.fee_item = entry.fee_item;
        meter.price_category = entry.price_category;
        meter.start_reading = start;
        meter.reader = reader;
        meter.multiplier = multiplier;
        meter.meter_number = meter_number;
        meter.set_up = entry.set_up;
        meter.household = household;
        meter.state = entry.state;
        statement = meter_insert_statement(meter);
    } else {
        // Number, household and reading order stay as they are.
        statement = QStringLiteral("update 用户表管理 set 收费项目=") + sql_quote(entry.fee_item) +
                    QStringLiteral(",价格类别=") + sql_quote(entry.price_category) +
                    QStringLiteral(",开始起数=") + platform::sql_number(start) +
                    QStringLiteral(",抄表人员=") + sql_quote(reader) + QStringLiteral(",倍率=") +
                    platform::sql_number(multiplier) + QStringLiteral(",计量编号=") +
                    sql_quote(meter_number) + QStringLiteral(",建表时间=") +
                    platform::date_to_quoted(entry.set_up) + QStringLiteral(",状态=") +
                    sql_quote(entry.state) + QStringLiteral(" where 编号=") +
                    QString::number(entry.edited_id);
    }
    if (!platform::db_execute(connection, statement)) return failure(connection);
    // The household's property category follows its property-fee account, in the same step:
    // an account and a household that disagree would bill one category and show another.
    if (property_fee &&
        !platform::db_execute(connection,
                              QStringLiteral("update 用户信息表 set 物业类别=") +
                                  sql_quote(entry.price_category) + QStringLiteral("where 户号=") +
                                  sql_quote(entry.adding ? household : entry.edited_household)))
        return failure(connection);
    if (!transaction.commit()) return failure(connection);

    MeterSaveOutcome outcome;
    outcome.saved = true;
    outcome.messages << information(QStringLiteral("执行成功!"));
    return outcome;
}

platform::Messages delete_meter_account(platform::Connection& connection, qint64 id) {
    // Readings and bills of the account stay where they are.
    if (!platform::db_execute(connection,
                              QStringLiteral("delete from 用户表管理 where 编号=") + QString::number(id)))
        return {platform::database_error(platform::db_last_error(connection))};
    return {information(QStringLiteral("删除成功，请刷新显示！"))};
}

}  // namespace households
