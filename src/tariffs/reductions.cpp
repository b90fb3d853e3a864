#include "tariffs/reductions.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "tariffs/charge_engine.h"

namespace tariffs {

namespace {

const QString kFull = QStringLiteral("全部减免");
const QString kPartial = QStringLiteral("部分减免");

// A "次数" setting is in use while the household has fewer reduction records than it grants.
bool in_use(platform::Connection& connection, const QString& household, double times) {
    const double used = platform::query_number(
        connection, QStringLiteral("select count(*) from 减免明细 where 户号=") +
                        platform::sql_quote(household),
        platform::OnFailure::Quiet);
    return used < times;
}

QStringList reading_ids_of(const QStringList& fields) {
    QStringList ids = fields.value(12).split(u'%');
    ids.removeAll(QString());
    return ids;
}

}  // namespace

int apply_reduction_record(platform::Connection& connection, const QString& record, double amount,
                           const QString& mode, const QString& type, qint64 quantity,
                           const QDate& today, Messages* messages) {
    const QStringList fields = record.split(u'|');
    const QStringList ids = reading_ids_of(fields);
    if (fields.size() < 15 || ids.isEmpty()) return 0;
    QString reduced_amount;
    QString reduced_quantity;
    if (mode == kFull) {
        reduced_amount = fields[10];
        reduced_quantity = fields[14];
    } else if (mode == kPartial && type == kReductionByAmount) {
        if (platform::money_positive(platform::to_number(fields[10]) - amount)) return 0;
        reduced_amount = fields[10];
        reduced_quantity = QStringLiteral("0");
    } else if (mode == kPartial && type == kReductionByQuantity) {
        // As with an amount: the reduction applies when it covers the whole quantity.
        if (platform::money_positive(platform::to_number(fields[14]) -
                                     static_cast<double>(quantity)))
            return 0;
        reduced_amount = QStringLiteral("0");
        reduced_quantity = fields[14];
    } else {
        return 0;
    }
    // Numbers as the record holds them, as long as they are numbers.
    reduced_amount = platform::sql_number(platform::to_number(reduced_amount));
    reduced_quantity = platform::sql_number(platform::to_number(reduced_quantity));

    platform::Transaction reduction(connection);
    const NumberOutcome number = take_bill_number(connection);
    if (!number.ok) {
        if (messages) messages->push_back(plain_message(number.error));
        return 0;
    }
    QString reading_list;
    for (const QString& id : ids) reading_list += id + u'|';
    const QString insert =
        QStringLiteral("insert into 减免明细 (户号,减免金额,抄表ID,减免日期,减免用量,减免类型,收据号) "
                       "values ( ") +
        platform::sql_quote(fields[13]) + u',' + reduced_amount + u',' +
        platform::sql_quote(reading_list) + u',' + platform::date_to_quoted(today) + u',' +
        reduced_quantity + u',' + platform::sql_quote(type) + u',' +
        QString::number(number.number) + u')';
    for (const QString& id : ids) {
        if (!platform::db_execute(
                connection, QStringLiteral("update 抄表总表 set 是否收费=1,收据号=") +
                                QString::number(number.number) +
                                QStringLiteral("  where 编号=") +
                                platform::sql_number(platform::to_number(id)))) {
            if (messages)
                messages->push_back(plain_message(QStringLiteral("修改抄表数据错误") +
                                         platform::db_last_error(connection)));
            return 0;
        }
    }
    if (!platform::db_execute(connection, insert)) {
        if (messages)
            messages->push_back(plain_message(QStringLiteral("添加减免明细错误") + platform::db_last_error(connection)));
        return 0;
    }
    if (!reduction.commit()) {
        if (messages) messages->push_back(plain_message(platform::db_last_error(connection)));
        return 0;
    }
    return 1;
}

QString build_reduction_input_record(platform::Connection& connection, const QString& household,
                                     const QDate& today) {
    const QStringList items = platform::query_column(
        connection, QStringLiteral("select 项目名称 from 收费项目 order by 编号"),
        platform::OnFailure::Quiet);
    QStringList ids;
    double amount = 0;
    double quantity = 0;
    for (const QString& name : items) {
        const PricedReadings priced = price_household_readings(
            connection, household, fee_item_switches(connection, name), today);
        for (qint64 id : priced.reading_ids) ids << QString::number(id);
        amount += priced.amount;
        quantity += priced.quantity;
    }
    if (ids.isEmpty()) return QString();
    QStringList fields(15);
    fields[0] = household;
    fields[2] = platform::sql_number(quantity);
    fields[10] = platform::sql_number(platform::round_cents(amount));
    fields[12] = ids.join(u'%');
    fields[13] = household;
    fields[14] = platform::sql_number(quantity);
    return fields.join(u'|');
}

ReductionRunOutcome apply_all_reductions(platform::Connection& connection, const QDate& today) {
    ReductionRunOutcome out;
    struct Setting {
        QString household;
        QString type;
        double amount = 0;
        qint64 quantity = 0;
        double times = 0;
    };
    const auto read = [&](const QString& sql, bool counted) {
        std::vector<Setting> settings;
        platform::RecordSet rows;
        if (!platform::query_open(rows, connection, sql, platform::OnFailure::Quiet))
            return settings;
        const int count = platform::recordset_record_count(rows);
        for (int i = 0; i < count; ++i, platform::recordset_move_next(rows)) {
            Setting s;
            s.household = half_width(platform::recordset_field_text(rows, QStringLiteral("户号")));
            s.type = platform::recordset_field_text(rows, QStringLiteral("减免类型"));
            s.amount = platform::recordset_field_number(rows, QStringLiteral("减免金额"));
            s.quantity = static_cast<qint64>(
                platform::recordset_field_number(rows, QStringLiteral("减免用量")));
            s.times = platform::recordset_field_number(rows, QStringLiteral("减免次数"));
            if (!counted || in_use(connection, s.household, s.times)) settings.push_back(s);
        }
        return settings;
    };
    const auto apply = [&](const Setting& s, double amount, const QString& mode, qint64 quantity) {
        out.applied += apply_reduction_record(
            connection, build_reduction_input_record(connection, s.household, today), amount, mode,
            s.type, quantity, today, &out.messages);
    };

    for (const Setting& s :
         read(QStringLiteral("select 户号,减免类型 from 减免设置 where 减免方式='全部减免' and "
                             "减免期限='永久'"),
              false))
        apply(s, 0, kFull, 0);
    for (const Setting& s :
         read(QStringLiteral("select 户号,减免金额,减免用量,减免类型 from 减免设置 where "
                             "减免方式='部分减免' and 减免期限='永久'"),
              false)) {
        const QString record = build_reduction_input_record(connection, s.household, today);
        const qsizetype n = reading_ids_of(record.split(u'|')).size();
        if (record.isEmpty() || n < 1) continue;
        out.applied += apply_reduction_record(connection, record, s.amount * static_cast<double>(n),
                                              kPartial, s.type, s.quantity, today, &out.messages);
    }
    for (const Setting& s :
         read(QStringLiteral("select 户号,减免次数,减免类型 from 减免设置 where "
                             "减免方式='全部减免' and 减免期限='次数'"),
              true))
        apply(s, 0, kFull, 0);
    for (const Setting& s :
         read(QStringLiteral("select 户号,减免金额,减免次数,减免类型,减免用量 from 减免设置 "
                             "where 减免方式='部分减免' and 减免期限='次数'"),
              true))
        apply(s, s.amount, kPartial, s.quantity);
    return out;
}

}  // namespace tariffs
