#include "reading/meter_changes.h"

#include <cmath>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "shell/operation_log.h"

namespace reading {

int meter_change_edit_mode = 0;
QString edited_meter_change_number;

using platform::sql_quote;

namespace {

const QString kLogGroup = QStringLiteral("基本设置");
const QString kLogItem = QStringLiteral("换表管理");

qint64 whole_id(const QString& text) {
    const double value = std::trunc(platform::to_number(text));
    if (!(std::fabs(value) < 9e15)) return 0;
    return static_cast<qint64>(value);
}

}  // namespace

QString meter_change_list_statement() {
    return QStringLiteral(
        "select 换表管理.编号,换表管理.户号,用户信息表.用户名,用户信息表.居住街道,"
        "用户信息表.详细地址,换表管理.旧表编号,换表管理.换表日期,换表管理.操作人员,"
        "换表管理.新表编号,换表管理.执行日期,换表管理.换表起方 from 换表管理,用户信息表,"
        "用户表管理 where 用户表管理.户号=换表管理.户号 and 用户表管理.父号=用户信息表.户号 ");
}

QString meter_change_today_condition(const QDate& today) {
    return QStringLiteral(" and 换表管理.换表日期=") + platform::date_to_sql_literal(today) +
           QStringLiteral("  ORDER  BY 换表管理.编号");
}

MeterChangeAccount find_meter_change_account(platform::Connection& connection,
                                             const QString& account) {
    MeterChangeAccount found;
    platform::RecordSet records;
    if (!platform::query_open(
            records, connection,
            QStringLiteral("select 用户信息表.居住街道,用户信息表.用户名,用户信息表.详细地址,"
                           "用户表管理.收费项目,用户表管理.计量编号,用户信息表.性质 from "
                           "用户表管理,用户信息表 where 用户表管理.父号=用户信息表.户号 and "
                           "用户表管理.户号=") +
                sql_quote(account)) ||
        platform::recordset_eof(records))
        return found;
    found.found = true;
    found.street = platform::recordset_field_text(records, 0);
    found.name = platform::recordset_field_text(records, 1);
    found.address = platform::recordset_field_text(records, 2);
    found.fee_item = platform::recordset_field_text(records, 3);
    found.meter_number = platform::recordset_field_text(records, 4);
    found.composite = platform::recordset_field_bool(records, 5);
    return found;
}

MeterChangeRow load_meter_change(platform::Connection& connection, qint64 id) {
    MeterChangeRow row;
    platform::RecordSet records;
    if (!platform::query_open(
            records, connection,
            QStringLiteral("select 户号,旧表编号,新表编号,换表日期,换表起方,执行日期,"
                           "操作人员 from 换表管理 where 编号=") +
                QString::number(id)) ||
        platform::recordset_eof(records))
        return row;
    row.found = true;
    row.account = platform::recordset_field_text(records, 0);
    row.old_number = platform::recordset_field_text(records, 1);
    row.new_number = platform::recordset_field_text(records, 2);
    row.change_date = platform::recordset_field_date(records, 3).date();
    row.start = platform::recordset_field_number(records, 4);
    row.execution = platform::recordset_field_text(records, 5);
    row.operator_name = platform::recordset_field_text(records, 6);
    return row;
}

QStringList change_operator_names(platform::Connection& connection) {
    return platform::query_column(
        connection, QStringLiteral("select 收费人员 from 收费员 where 收费人员<>'管理员'"));
}

MeterChangeOutcome save_meter_change(platform::Connection& connection, const MeterChangeForm& form,
                                     const shell::RunContext& run) {
    using Focus = MeterChangeOutcome::Focus;
    using Result = MeterChangeOutcome::Result;
    MeterChangeOutcome out;
    auto refuse = [&](const char16_t* message, Focus focus) {
        out.message = QString::fromUtf16(message);
        out.focus = focus;
        return out;
    };
    QString account = platform::text_trim(form.account);
    if (account.isEmpty()) return refuse(u"用户户号不能不空！", Focus::Account);
    if (form.operator_name.isEmpty()) return refuse(u"操作人员不能不空！", Focus::Operator);
    const double year = platform::to_number(form.year_text);
    if (std::fabs(year) <= 1e-7) return refuse(u"执行年不能不空！", Focus::Year);
    if (form.month_text.isEmpty()) return refuse(u"执行月不能不空！", Focus::Month);

    const QString new_number = platform::text_trim(form.new_number);
    const QString old_number = platform::text_trim(form.old_number);
    const QString start = platform::sql_number(platform::to_number(form.start_text));
    const QString date = platform::date_to_sql_literal(form.change_date);
    const QString execution = platform::to_text(year) + u'-' + form.month_text;

    QString sql;
    // The number the account must still carry for this save to write the new one (edit only).
    QString number_in_effect;
    bool edit_found = false;
    if (form.edit) {
        const qint64 id = whole_id(form.edited_id);
        platform::RecordSet change;
        if (platform::query_open(change, connection,
                                 QStringLiteral("select 户号,新表编号 from 换表管理 where 编号=") +
                                     QString::number(id)) &&
            !platform::recordset_eof(change)) {
            edit_found = true;
            // The change keeps its account, so the number goes to that account.
            account = platform::recordset_field_text(change, 0);
            number_in_effect = platform::recordset_field_text(change, 1);
        }
        sql = QStringLiteral("update 换表管理 set 新表编号=") + sql_quote(new_number) +
              QStringLiteral(",操作人员=") + sql_quote(form.operator_name) +
              QStringLiteral(",换表日期=") + date + QStringLiteral(",换表起方=") + start +
              QStringLiteral(",执行日期=") + sql_quote(execution) + QStringLiteral(" where 编号=") +
              QString::number(id);
    } else {
        sql =
            QStringLiteral(
                "insert into 换表管理 (户号,旧表编号,新表编号,换表起方,换表日期,执行日期,操作人员) "
                "values ( ") +
            sql_quote(account) + u',' + sql_quote(old_number) + u',' + sql_quote(new_number) +
            u',' + start + u',' + date + u',' + sql_quote(execution) + u',' +
            sql_quote(form.operator_name) + u')';
    }
    if (!platform::db_execute(connection, sql)) {
        out.result = Result::Failed;
        out.message = platform::db_last_error(connection) + sql;
        return out;
    }
    QString number_update = QStringLiteral("update 用户表管理 set 计量编号=") +
                            sql_quote(form.new_number) + QStringLiteral(" where 户号=") +
                            sql_quote(account);
    if (form.edit) number_update += QStringLiteral(" and 计量编号=") + sql_quote(number_in_effect);
    if ((!form.edit || edit_found) && !platform::db_execute(connection, number_update)) {
        out.result = Result::Failed;
        out.message = platform::db_last_error(connection);
        return out;
    }
    out.result = Result::Done;
    out.message = QStringLiteral("执行成功,请刷新显示！");
    const QString remark =
        (form.edit ? QStringLiteral("换表修改户号:") : QStringLiteral("换表添加户号:")) + account +
        QStringLiteral("新表号:") + form.new_number;
    out.log_failed = !shell::write_operation_log(connection, run, kLogGroup, kLogItem, remark);
    return out;
}

MeterChangeOutcome delete_meter_change(platform::Connection& connection, qint64 id,
                                       const shell::RunContext& run) {
    MeterChangeOutcome out;
    out.result = MeterChangeOutcome::Result::Failed;
    QString old_number, account, new_number;
    {
        platform::RecordSet change;
        if (!platform::query_open(
                change, connection,
                QStringLiteral("select 旧表编号,户号,新表编号 from 换表管理 where 编号=") +
                    QString::number(id)))
            return out;
        old_number = platform::recordset_field_text(change, 0);
        account = platform::recordset_field_text(change, 1);
        new_number = platform::recordset_field_text(change, 2);
    }
    {
        // The old number goes back and the change goes, or neither.
        platform::Transaction both(connection);
        if (!platform::db_execute(connection,
                                  QStringLiteral("update 用户表管理 set  计量编号=") +
                                      sql_quote(old_number) + QStringLiteral(" where 户号=") +
                                      sql_quote(account) + QStringLiteral(" and 计量编号=") +
                                      sql_quote(new_number)) ||
            !platform::db_execute(connection, QStringLiteral("Delete from 换表管理 where 编号=") +
                                                  QString::number(id)) ||
            !both.commit())
            return out;
    }
    out.result = MeterChangeOutcome::Result::Done;
    out.log_failed = !shell::write_operation_log(
        connection, run, kLogGroup, kLogItem,
        QStringLiteral("删除编号:") + QString::number(id) + QStringLiteral("户号:") + account);
    out.message = QStringLiteral("删除成功,请刷新数据！");
    return out;
}

MeterChangeCondition meter_change_query_condition(const MeterChangeQuery& query) {
    MeterChangeCondition out;
    QString order;
    switch (query.order) {
        case 0:
            order = QStringLiteral(" ORDER  BY 用户表管理.编号   ");
            break;
        case 1:
            order = QStringLiteral(" ORDER  BY 换表管理.编号");
            break;
        case 2:
            order = QStringLiteral(" ORDER  BY 用户信息表.居住街道");
            break;
        default:
            break;
    }
    auto needs_text = [&](const char16_t* refusal) {
        if (query.text.isEmpty()) out.refusal = QString::fromUtf16(refusal);
        return out.refusal.isEmpty();
    };
    QString condition;
    switch (query.criterion) {
        case MeterChangeCriterion::None:
            return out;
        case MeterChangeCriterion::Account:
            if (!needs_text(u"待查询的户号不能为空！")) return out;
            condition = QStringLiteral(" and 用户表管理.户号  = ") + sql_quote(query.text);
            break;
        case MeterChangeCriterion::Name:
            if (!needs_text(u"待查询的户名不能为空！")) return out;
            condition =
                QStringLiteral(" and 用户信息表.用户名  LIKE ") + sql_quote(query.text + u'%');
            break;
        case MeterChangeCriterion::MeterNumber:
            if (!needs_text(u"待查询的计量编号不能为空！")) return out;
            condition = QStringLiteral(" and 换表管理.新表编号=") + sql_quote(query.text);
            break;
        case MeterChangeCriterion::Street:
            if (!needs_text(u"待查询的街道不能为空！")) return out;
            condition = QStringLiteral(" and 用户信息表.居住街道=") + sql_quote(query.text);
            break;
        case MeterChangeCriterion::ChangeDate:
            condition = QStringLiteral(" and 换表管理.换表日期>=") +
                        platform::date_to_sql_literal(query.from) +
                        QStringLiteral(" and 换表管理.换表日期<=") +
                        platform::date_to_sql_literal(query.to);
            break;
        case MeterChangeCriterion::Operator:
            if (!needs_text(u"待查询的操作人员不能为空！")) return out;
            condition = QStringLiteral(" and 换表管理.操作人员=") + sql_quote(query.text);
            break;
    }
    out.clause = condition + order;
    return out;
}

}  // namespace reading
