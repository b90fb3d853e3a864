#include "charging/reduction_details.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "shell/operation_log.h"
#include "tariffs/bills.h"

namespace charging {

namespace {

using platform::information;

const QString kOrder = QStringLiteral(" ORDER  BY 减免明细.编号");
const QString kGone = QStringLiteral("该减免明细记录已不存在！");

struct RecordState {
    bool ok = false;     // the statement ran
    bool found = false;  // the record is there
    qint64 bill = 0;     // 收据号
    QString readings;    // 抄表ID
};

RecordState read_record(platform::Connection& connection, qint64 number) {
    RecordState state;
    platform::RecordSet r;
    state.ok = platform::query_open(
        r, connection,
        QStringLiteral("select 收据号,抄表ID from 减免明细 where 编号=") + QString::number(number));
    if (!state.ok || platform::recordset_eof(r)) return state;
    state.found = true;
    state.bill = static_cast<qint64>(platform::recordset_field_number(r, 0));
    state.readings = platform::recordset_field_text(r, 1);
    return state;
}

ReductionOutcome refusal(const QString& text) {
    ReductionOutcome outcome;
    outcome.messages << information(text);
    return outcome;
}

}  // namespace

ReductionQueryStatement reduction_details_statement(const ReductionQuery& query) {
    ReductionQueryStatement statement;
    QString condition;
    switch (query.by) {
        case ReductionQuery::By::Household:
            if (query.text.isEmpty()) {
                statement.refusal = kEmptyHouseholdRefused;
                return statement;
            }
            condition = QStringLiteral(" and 减免明细.户号=") + platform::sql_quote(query.text);
            break;
        case ReductionQuery::By::Street:
            condition = QStringLiteral(" and 用户表.居住街道=") + platform::sql_quote(query.text);
            break;
        case ReductionQuery::By::Date:
            condition = QStringLiteral(" and 减免明细.减免日期>=") +
                        platform::date_to_sql_literal(query.from) +
                        QStringLiteral(" and 减免明细.减免日期<=") +
                        platform::date_to_sql_literal(query.to);
            break;
    }
    statement.sql =
        QStringLiteral(
            "select 减免明细.编号,减免明细.户号,用户表.用户名,用户表.居住街道,用户表.详细地址,"
            "减免明细.减免金额,减免明细.抄表ID,减免明细.减免日期,减免明细.减免用量,"
            "减免明细.减免类型 from 减免明细,用户表 where 用户表.户号=减免明细.户号") +
        condition + kOrder;
    return statement;
}

ReductionList read_reduction_details_list(platform::Connection& connection, const QString& sql) {
    ReductionList list;
    double amount_sum = 0;
    qint64 quantity_sum = 0;
    platform::RecordSet r;
    list.ok = platform::query_open(r, connection, sql);
    if (list.ok) {
        using platform::recordset_field_text;
        for (; !platform::recordset_eof(r); platform::recordset_move_next(r)) {
            const double amount = platform::recordset_field_number(r, QStringLiteral("减免金额"));
            const double quantity = platform::recordset_field_number(r, QStringLiteral("减免用量"));
            amount_sum += amount;
            quantity_sum += static_cast<qint64>(quantity);
            QString readings = recordset_field_text(r, QStringLiteral("抄表ID"));
            if (readings.endsWith(u'|')) readings.chop(1);
            const QDateTime date = platform::recordset_field_date(r, QStringLiteral("减免日期"));
            list.rows.push_back(
                {recordset_field_text(r, QStringLiteral("编号")),
                 tariffs::half_width(recordset_field_text(r, QStringLiteral("户号"))),
                 recordset_field_text(r, QStringLiteral("用户名")),
                 recordset_field_text(r, QStringLiteral("居住街道")),
                 recordset_field_text(r, QStringLiteral("详细地址")),
                 platform::format_number(amount, 2),
                 recordset_field_text(r, QStringLiteral("减免用量")), readings,
                 date.isValid() ? platform::to_text(date) : QString(),
                 recordset_field_text(r, QStringLiteral("减免类型"))});
        }
    }
    list.totals = {kDetailsTotalsCell,
                   QString::number(list.rows.size()),
                   QString(),
                   QString(),
                   QString(),
                   platform::format_number(amount_sum, 2),
                   QString::number(quantity_sum)};
    return list;
}

QString reduction_record_delete_question(qint64 number) {
    return QStringLiteral("确定要删除减免明细编号【") + QString::number(number) +
           QStringLiteral("】的记录吗？");
}

ReductionOutcome check_reduction_record_delete(platform::Connection& connection, qint64 number) {
    const RecordState state = read_record(connection, number);
    if (!state.ok) return refusal(platform::db_last_error(connection));
    // The list is not refilled after a delete, so a row may name a record already gone.
    if (!state.found) return refusal(kGone);
    if (state.bill > 0) return refusal(kRecordCarriedByBill);
    ReductionOutcome outcome;
    outcome.done = true;
    return outcome;
}

ReductionOutcome delete_reduction_record(platform::Connection& connection, qint64 number,
                                         const shell::RunContext& context) {
    bool logged = false;
    {
        platform::Transaction transaction(connection);
        const RecordState state = read_record(connection, number);
        if (!state.ok) return refusal(platform::db_last_error(connection));
        if (!state.found) return refusal(kGone);
        if (state.bill > 0) return refusal(kRecordCarriedByBill);
        if (!platform::db_execute(connection, QStringLiteral("delete from 减免明细 where 编号=") +
                                                  QString::number(number)))
            return refusal(QStringLiteral("删除失败!\r\n") + platform::db_last_error(connection));
        // The record and its readings go together: a reading left billed by a record that
        // is gone would never be charged.
        const QString reading_failure = QStringLiteral("修改对应的抄表收费性质出错!\r\n");
        for (const QString& piece : state.readings.split(u'|', Qt::SkipEmptyParts)) {
            bool whole = false;
            const qint64 reading = piece.trimmed().toLongLong(&whole);
            if (!whole)
                return refusal(reading_failure + QStringLiteral("抄表ID“") + piece +
                               QStringLiteral("”不是抄表编号。"));
            if (!platform::db_execute(connection,
                                      QStringLiteral("update 抄表总表 set 是否收费=0 where 编号=") +
                                          QString::number(reading)))
                return refusal(reading_failure + platform::db_last_error(connection));
        }
        logged = shell::write_operation_log(
            connection, context, QStringLiteral("减免管理"), QStringLiteral("减免删除"),
            QStringLiteral("删除减免编号【") + QString::number(number) +
                QStringLiteral("】对应的抄表记录，重新改为未收费状态。"));
        if (!transaction.commit())
            return refusal(QStringLiteral("删除失败!\r\n") + platform::db_last_error(connection));
    }
    ReductionOutcome outcome;
    outcome.done = true;
    if (!logged) outcome.messages << information(QStringLiteral("添加日志失败！"));
    outcome.messages << information(QStringLiteral("删除减免明细成功!"));
    return outcome;
}

}  // namespace charging
