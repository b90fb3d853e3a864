#include "reading/fixed_readings.h"

#include <cmath>
#include <vector>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "reading/reading_rules.h"

namespace reading {

int fixed_reading_edit_mode = 0;

using platform::sql_number;
using platform::sql_quote;

QString fixed_readings_list_statement() {
    return QStringLiteral(
        "select 用户表管理.户号,用户表管理.收费项目,用户表管理.价格类别,用户信息表.居住街道,"
        "用户信息表.用户名,用户信息表.详细地址,固定抄表.固定用量,固定抄表.水损,固定抄表.编号 from "
        "用户信息表,固定抄表,用户表管理 where 用户表管理.户号=固定抄表.户号 and "
        "用户信息表.户号=用户表管理.父号 order by 固定抄表.编号");
}

namespace {

FixedMeterInfo read_meter_info(platform::Connection& connection, const QString& sql,
                               bool with_amounts) {
    FixedMeterInfo info;
    platform::RecordSet records;
    if (!platform::query_open(records, connection, sql) || platform::recordset_eof(records))
        return info;
    auto text = [&](const char16_t* name) {
        return platform::recordset_field_text(records, QString::fromUtf16(name));
    };
    info.found = true;
    info.account = text(u"户号");
    info.street = text(u"居住街道");
    info.name = text(u"用户名");
    info.address = text(u"详细地址");
    info.fee_item = text(u"收费项目");
    info.category = text(u"价格类别");
    if (with_amounts) {
        info.usage = platform::recordset_field_number(records, QStringLiteral("固定用量"));
        info.loss = platform::recordset_field_number(records, QStringLiteral("水损"));
    }
    return info;
}

}  // namespace

FixedMeterInfo find_fixed_meter(platform::Connection& connection, const QString& account) {
    return read_meter_info(
        connection,
        QStringLiteral("select 用户表管理.户号,用户信息表.居住街道,用户信息表.用户名,"
                       "用户信息表.详细地址,用户表管理.收费项目,用户表管理.价格类别 from "
                       "用户信息表,用户表管理 where 用户表管理.户号=") +
            sql_quote(platform::text_trim(account)) +
            QStringLiteral(" and 用户表管理.父号=用户信息表.户号"),
        false);
}

FixedMeterInfo load_fixed_reading(platform::Connection& connection, qint64 id) {
    return read_meter_info(
        connection,
        QStringLiteral(
            "select 用户表管理.户号,用户信息表.居住街道,用户信息表.用户名,"
            "用户信息表.详细地址,固定抄表.固定用量,固定抄表.水损,固定抄表.编号,"
            "用户表管理.收费项目,用户表管理.价格类别 from 用户信息表,用户表管理,固定抄表 "
            "where 用户表管理.户号=固定抄表.户号 and 用户信息表.户号=用户表管理.父号 and "
            "固定抄表.编号=") +
            QString::number(id),
        true);
}

FixedReadingOutcome save_fixed_reading(platform::Connection& connection,
                                       const FixedReadingForm& form) {
    using Focus = FixedReadingOutcome::Focus;
    using Result = FixedReadingOutcome::Result;
    FixedReadingOutcome out;
    const QString account = platform::text_trim(form.account);
    if (account.isEmpty()) {
        out.message = QStringLiteral("户号不能为空！");
        out.focus = Focus::Account;
        return out;
    }
    const double usage = std::trunc(platform::to_number(form.usage_text));
    if (!(usage > 0)) {
        out.message = QStringLiteral("固定用量不能小于等于0");
        out.focus = Focus::Usage;
        return out;
    }
    if (!platform::query_exists(
            connection,
            QStringLiteral("select 户号 from 用户表管理 where 户号=") + sql_quote(account))) {
        out.message = QStringLiteral("请在计量管理中设置计量表！");
        out.focus = Focus::AccountSelected;
        return out;
    }
    const double loss = platform::to_number(form.loss_text);
    out.loss_text = platform::to_text(loss);
    QString sql;
    if (form.edit) {
        sql = QStringLiteral(" update 固定抄表  set 固定用量=") + sql_number(usage) +
              QStringLiteral(",水损=") + sql_number(loss) + QStringLiteral(" where 编号=") +
              QString::number(form.id);
    } else {
        if (platform::query_exists(
                connection,
                QStringLiteral("select 户号 from 固定抄表 where 户号=") + sql_quote(account))) {
            out.message = QStringLiteral("该用户已经有固定抄表记录，不能重复添加！");
            return out;
        }
        sql = QStringLiteral("insert into 固定抄表 (户号,固定用量,水损) values ( ") +
              sql_quote(account) + u',' + sql_number(usage) + u',' + sql_number(loss) + u')';
    }
    if (platform::db_execute(connection, sql)) {
        out.result = Result::Saved;
        out.message = QStringLiteral("执行成功！");
    } else {
        out.result = Result::Failed;
        out.message = QStringLiteral("执行失败！");
    }
    return out;
}

bool delete_fixed_reading(platform::Connection& connection, qint64 id) {
    return platform::db_execute(
        connection, QStringLiteral("Delete  from 固定抄表 where 编号=") + QString::number(id));
}

double fixed_start_reading(platform::Connection& connection, const QString& account,
                           const QDate& today, double opening) {
    double start = opening;
    platform::RecordSet last;
    if (platform::query_open(last, connection,
                             QStringLiteral("select top 1 止方 from 抄表总表 where 户号=") +
                                 sql_quote(account) + QStringLiteral("order by 抄表日期 DESC")) &&
        !platform::recordset_eof(last))
        start = platform::recordset_field_number(last, 0);
    meter_change_start(connection, account, today, &start);
    return start;
}

FixedGenerationOutcome generate_fixed_readings(platform::Connection& connection,
                                               const QDate& today) {
    FixedGenerationOutcome out;
    struct Fixed {
        QString account;
        double usage;
        double loss;
    };
    std::vector<Fixed> fixed;
    {
        platform::RecordSet records;
        if (platform::query_open(records, connection,
                                 QStringLiteral("select 户号,固定用量,水损 from 固定抄表")))
            for (; !platform::recordset_eof(records); platform::recordset_move_next(records))
                fixed.push_back({platform::recordset_field_text(records, 0),
                                 platform::recordset_field_number(records, 1),
                                 platform::recordset_field_number(records, 2)});
    }
    if (fixed.empty()) {
        out.message = QStringLiteral("没有固定抄表数据！");
        return out;
    }
    const QString this_month =
        QStringLiteral(" and ") + month_condition(QStringLiteral("抄表日期"), today);
    // One transaction for the run, committed at its end (also when a missing meter ends it): the
    // rows written before stay, and a failed insert skips its meter only.
    platform::Transaction run(connection);
    out.result = FixedGenerationOutcome::Result::Done;
    for (const Fixed& f : fixed) {
        const QString account = sql_quote(f.account);
        if (platform::query_exists(
                connection,
                QStringLiteral("select 户号 from 抄表总表 where 户号=") + account + this_month))
            continue;
        if (platform::query_exists(
                connection,
                QStringLiteral("select 户号 from 抄表管理 where 户号=") + account + this_month))
            continue;
        platform::RecordSet meter;
        if (!platform::query_open(meter, connection,
                                  QStringLiteral("select 开始起数,收费项目,价格类别,父号,抄表人员 "
                                                 "from 用户表管理 where 户号=") +
                                      account) ||
            platform::recordset_eof(meter)) {
            out.result = FixedGenerationOutcome::Result::MeterMissing;
            out.missing_account = f.account;
            out.message = QStringLiteral("系统查询用户计量表失败,请重新输入!");
            break;
        }
        PendingReading row;
        row.account = f.account;
        row.fee_item = platform::recordset_field_text(meter, 1);
        row.category = platform::recordset_field_text(meter, 2);
        row.household = platform::recordset_field_text(meter, 3);
        row.reader = platform::recordset_field_text(meter, 4);
        row.start = fixed_start_reading(connection, f.account, today,
                                        platform::recordset_field_number(meter, 0));
        row.end = row.start + f.usage;
        row.usage = f.usage;
        row.date = today;
        row.loss = f.loss;
        row.price = category_price(connection, row.fee_item, row.category);
        if (platform::db_execute(connection, pending_insert_statement(row))) ++out.written;
    }
    run.commit();
    if (out.result == FixedGenerationOutcome::Result::Done)
        out.message = QStringLiteral("固定抄表完成,系统自动转入临时抄表库！");
    return out;
}

}  // namespace reading
