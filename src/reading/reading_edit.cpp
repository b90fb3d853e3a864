#include "reading/reading_edit.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "reading/reading_rules.h"
#include "shell/operation_log.h"
#include "tariffs/charge_engine.h"
#include "tariffs/reductions.h"

namespace reading {

qint64 edited_reading_id = 0;
QString edited_reading_meter;
QString edited_reading_fee_item;
QString edited_reading_price_category;
double edited_reading_old_start = 0;
double edited_reading_old_end = 0;
qint64 edited_reading_bill_number = 0;
double edited_reading_usage = 0;

namespace {

using platform::OnFailure;
using platform::sql_quote;

QString n(double value) { return platform::sql_number(value); }

}  // namespace

bool reading_is_paid(platform::Connection& connection, qint64 id) {
    return platform::query_integer(
               connection,
               QStringLiteral("select count(*) from 抄表总表,总收费 where 抄表总表.收据号=总收费.收据号 and "
                              "总收费.标志=1 and 总收费.收费标志=0 and 抄表总表.编号=") +
                   QString::number(id)) > 0;
}

QString reading_edit_refusal(platform::Connection& connection, qint64 id) {
    if (platform::query_text(connection, QStringLiteral("select 收费项目 from 抄表总表 where 编号=") +
                                             QString::number(id)) == kPropertyFeeItem)
        return QStringLiteral("当收费项目为【物业】时系统禁止修改，如果你要修改物业类型的用量，"
                              "请到用户管理中修改用户物业面积！");
    if (reading_is_paid(connection, id)) return QStringLiteral("该条抄表记录已经收费不能修改！");
    return {};
}

EditedReading load_edited_reading(platform::Connection& connection, qint64 id) {
    EditedReading r;
    edited_reading_id = id;
    platform::RecordSet rows;
    if (!platform::query_open(
            rows, connection,
            QStringLiteral("select 抄表总表.户号,用户信息表.用户名,抄表总表.起方,抄表总表.止方,抄表总表.水损,"
                           "抄表总表.收据号,抄表总表.抄表日期,用户信息表.居住街道,用户信息表.详细地址,"
                           "抄表总表.价格类别,抄表总表.收费项目,抄表总表.父号 from 抄表总表,用户信息表 where "
                           "用户信息表.户号=抄表总表.父号 and 抄表总表.编号=") +
                QString::number(id)) ||
        platform::recordset_eof(rows))
        return r;
    const auto t = [&](const char16_t* name) {
        return platform::recordset_field_text(rows, QString::fromUtf16(name));
    };
    const auto num = [&](const char16_t* name) {
        return platform::recordset_field_number(rows, QString::fromUtf16(name));
    };
    r.found = true;
    r.meter = t(u"户号");
    r.name = t(u"用户名");
    r.start = num(u"起方");
    r.end = num(u"止方");
    r.loss = num(u"水损");
    r.bill_number = static_cast<qint64>(num(u"收据号"));
    r.date = platform::recordset_field_date(rows, QStringLiteral("抄表日期")).date();
    r.street = t(u"居住街道");
    r.address = t(u"详细地址");
    r.category = t(u"价格类别");
    r.fee_item = t(u"收费项目");
    r.household = t(u"父号");
    edited_reading_meter = r.meter;
    edited_reading_fee_item = r.fee_item;
    edited_reading_price_category = r.category;
    edited_reading_old_start = r.start;
    edited_reading_old_end = r.end;
    edited_reading_bill_number = r.bill_number;
    return r;
}

UsageAndLoss edit_usage_and_loss(platform::Connection& connection, double start, double end,
                                 double typed_loss) {
    UsageAndLoss out;
    const QList<QStringList> meter = platform::query_rows(
        connection,
        QStringLiteral("select 水价类别.电损率,用户表管理.倍率,用户表管理.抄表人员 from 用户表管理,水价类别 "
                       "where 用户表管理.价格类别=水价类别.水价类别 and 用户表管理.收费项目=水价类别.收费项目 "
                       "and 用户表管理.户号=") +
            sql_quote(edited_reading_meter) + QStringLiteral(" and 用户表管理.收费项目=") +
            sql_quote(edited_reading_fee_item) + QStringLiteral(" and 用户表管理.价格类别=") +
            sql_quote(edited_reading_price_category));
    const int rate = meter.isEmpty() ? 0 : static_cast<int>(platform::to_number(meter[0].value(0)));
    const int multiplier =
        meter.isEmpty() ? 0 : static_cast<int>(platform::to_number(meter[0].value(1)));
    const QList<QStringList> item = platform::query_rows(
        connection, QStringLiteral("select 自动损耗,损耗位数 from 收费项目 where 项目名称=") +
                        sql_quote(edited_reading_fee_item));
    out.usage = (end - start) * multiplier;
    edited_reading_usage = out.usage;
    out.loss = typed_loss;
    if (!item.isEmpty() && item[0].value(0) == kAutomaticLossOn) {
        out.loss = loss_for_usage(out.usage, rate, item[0].value(1));
        out.loss_computed = true;
    }
    return out;
}

EditOutcome correct_reading(platform::Connection& connection, double start, double end,
                            double typed_loss, const QDate& date, const shell::RunContext& run) {
    EditOutcome out;
    const UsageAndLoss computed = edit_usage_and_loss(connection, start, end, typed_loss);
    // A negative usage would be billed as a credit; the entry window refuses it, so does this.
    if (start - end > kReadingTolerance) {
        out.message = QStringLiteral("止数减起度不能小于0！");
        return out;
    }
    platform::Transaction transaction(connection);
    const auto failed = [&](const QString& what) {
        const QString error = platform::db_last_error(connection);
        transaction.rollback();
        out.ok = false;
        out.message = what + (error.isEmpty() ? QString() : QStringLiteral("\r\n") + error);
        return out;
    };
    const QString N = QString::number(edited_reading_bill_number);
    if (!platform::db_execute(connection, QStringLiteral("update 抄表总表 set 起方=") + n(start) +
                                              QStringLiteral(",止方=") + n(end) +
                                              QStringLiteral(",用量=") + n(computed.usage) +
                                              QStringLiteral(",水损=") + n(computed.loss) +
                                              QStringLiteral(",抄表日期=") +
                                              platform::date_to_sql_literal(date) +
                                              QStringLiteral(" where 编号=") +
                                              QString::number(edited_reading_id)))
        return failed(QStringLiteral("修改失败！"));
    out.log_failed = !shell::write_operation_log(
        connection, run, QStringLiteral("抄表管理"), QStringLiteral("抄表修改"),
        QStringLiteral("修改抄表库户号：") + edited_reading_meter +
            QStringLiteral("的抄表内容； 起数：") + platform::to_text(start) +
            QStringLiteral(" 止数：") + platform::to_text(end) + QStringLiteral(" 以前起数：") +
            platform::to_text(edited_reading_old_start) + QStringLiteral("止数：") +
            platform::to_text(edited_reading_old_end));
    for (const QString& sql :
         {QStringLiteral("delete from 总收费 where 收据号=") + N,
          QStringLiteral("update 抄表总表 set 是否收费=0 where 收据号=") + N,
          QStringLiteral("delete from 减免明细 where 收据号=") + N,
          QStringLiteral("delete from 月附加费 where 收据号=") + N}) {
        if (!platform::db_execute(connection, sql)) return failed(QStringLiteral("修改失败！"));
    }
    const tariffs::ReductionRunOutcome reductions =
        tariffs::apply_all_reductions(connection, run.today());
    if (!reductions.messages.empty()) {
        transaction.rollback();
        out.message = QStringLiteral("修改失败！\r\n") + reductions.messages.front().text;
        return out;
    }
    const QList<QStringList> items = platform::query_rows(
        connection, QStringLiteral("select 项目名称,计费模式,收零用量,阶梯收费 from 收费项目 order by 编号"));
    for (const QStringList& item : items) {
        const QString fee_item = item.value(0), mode = item.value(1), zero = item.value(2),
                      tiered = item.value(3);
        const bool bill_zero =
            zero == QStringLiteral("开启") && mode == QStringLiteral("基本用量模式");
        platform::RecordSet unbilled;
        if (!platform::query_open(
                unbilled, connection,
                bill_zero ? QStringLiteral("select 户号,抄表日期 from 抄表总表  where 是否收费=0 ORDER  BY 编号")
                          : QStringLiteral("select 户号,抄表日期 from 抄表总表  where 是否收费=0 and 用量>0 "
                                           "ORDER  BY 编号"),
                OnFailure::Quiet))
            return failed(QStringLiteral("修改失败！"));
        for (; !platform::recordset_eof(unbilled); platform::recordset_move_next(unbilled)) {
            const tariffs::ChargeOutcome charged = tariffs::rebill_meter_for_month(
                connection, platform::recordset_field_text(unbilled, 0), tariffs::kCollectorUnknown,
                platform::recordset_field_date(unbilled, 1).date(), zero, mode, fee_item, tiered,
                run);
            if (!charged.ok()) {
                transaction.rollback();
                out.message = QStringLiteral("修改失败！\r\n") + charged.error;
                return out;
            }
        }
    }
    if (!transaction.commit()) return failed(QStringLiteral("修改失败！"));
    out.ok = true;
    out.message = QStringLiteral("修改成功！");
    return out;
}

DeleteTarget reading_delete_target(platform::Connection& connection, qint64 id) {
    DeleteTarget t;
    const QList<QStringList> rows = platform::query_rows(
        connection,
        QStringLiteral("select 抄表总表.户号,抄表总表.收据号,用户信息表.用户名 from 用户信息表,抄表总表,用户表管理  "
                       "where 用户信息表.户号=抄表总表.父号  and 用户表管理.父号=用户信息表.户号 and "
                       "用户表管理.户号=抄表总表.户号 and 抄表总表.编号=") +
            QString::number(id));
    if (rows.isEmpty()) return t;
    t.found = true;
    t.meter = rows[0].value(0);
    t.bill_number = static_cast<qint64>(platform::to_number(rows[0].value(1)));
    t.name = rows[0].value(2);
    return t;
}

EditOutcome delete_reading(platform::Connection& connection, qint64 id,
                           const shell::RunContext& run) {
    EditOutcome out;
    if (reading_is_paid(connection, id)) {
        out.message = QStringLiteral("该条抄表记录已经收费不能删除！");
        return out;
    }
    // The bill number of the row itself, so that a reading whose household is gone still takes
    // its bill with it.
    const qint64 bill = platform::query_integer(
        connection, QStringLiteral("select 收据号 from 抄表总表 where 编号=") + QString::number(id));
    const QString meter = platform::query_text(
        connection, QStringLiteral("select 户号 from 抄表总表 where 编号=") + QString::number(id));
    const QString N = QString::number(bill);
    platform::Transaction transaction(connection);
    qint64 removed = 0;
    // A reading already gone (a stale list) deletes nothing, which is no failure.
    if (!platform::db_execute(connection,
                              QStringLiteral("delete from 抄表总表 where 编号=") + QString::number(id),
                              &removed)) {
        transaction.rollback();
        out.message = QStringLiteral("删除失败！");
        return out;
    }
    for (const QString& sql :
         {QStringLiteral("delete from 总收费 where 收费标志=1 and 收据号=") + N,
          QStringLiteral("delete from 月附加费 where 收费标志=1 and 收据号=") + N,
          QStringLiteral("delete from 减免明细 where 收据号=") + N,
          QStringLiteral("update 抄表总表 set 是否收费=0 where 收据号=") + N}) {
        if (!platform::db_execute(connection, sql)) {
            transaction.rollback();
            out.message = QStringLiteral("删除失败！");
            return out;
        }
    }
    // In the delete's transaction, so the delete and its log row are kept together.
    const bool logged =
        shell::write_operation_log(connection, run, QStringLiteral("抄表管理"),
                                   QStringLiteral("抄表删除"), QStringLiteral("户号：") + meter);
    if (!transaction.commit()) {
        out.message = QStringLiteral("删除失败！");
        return out;
    }
    out.log_failed = !logged;
    out.ok = true;
    out.message = QStringLiteral("删除成功！");
    return out;
}

}  // namespace reading
