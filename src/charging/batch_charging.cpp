#include "charging/batch_charging.h"

#include <QSet>
#include <vector>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "shell/operation_log.h"
#include "shell/system_parameters.h"
#include "store/batch_scope.h"
#include "tariffs/late_fees.h"

namespace charging {

BatchCheck check_batch_request(const BatchRequest& request) {
    if (request.reader.isEmpty() && request.street.isEmpty())
        return {false, kBatchNeedsReaderOrStreet, BatchField::Reader};
    if (request.collector.isEmpty()) return {false, kNoCollector, BatchField::Collector};
    return {true, {}, BatchField::None};
}

QString batch_confirmation_text(const QString& collector) {
    return QStringLiteral("确认要把选择的所有抄表记录，批量作为收费人员【") + collector +
           QStringLiteral("】的收费记录吗？\r\n该操作不可逆，请慎重！");
}

QString batch_condition(const BatchRequest& request) {
    QString condition;
    if (!platform::text_trim(request.reader).isEmpty())
        condition +=
            QStringLiteral(" and 用户表管理.抄表人员=") + platform::sql_quote(request.reader);
    if (!platform::text_trim(request.street).isEmpty())
        condition +=
            QStringLiteral(" and 用户信息表.居住街道=") + platform::sql_quote(request.street);
    return condition;
}

QString batch_log_remark(const BatchRequest& request) {
    return QStringLiteral("执行批量收费；把抄表人员：") + request.reader +
           QStringLiteral("的抄表内容，作为收费人员：") + request.collector +
           QStringLiteral("收费记录。");
}

QStringList collect_batch_households(platform::Connection& connection, const BatchRequest& request,
                                     Messages& messages, const BatchProgress& progress) {
    platform::db_execute(connection, QStringLiteral("delete from 未收费数据"));
    if (!platform::db_execute(
            connection,
            QStringLiteral(
                "INSERT INTO 未收费数据 (户号) select 用户表管理.父号 from "
                "用户表管理,总收费,用户信息表 where 用户表管理.户号=总收费.户号  and "
                "用户表管理.父号=用户信息表.户号 and  总收费.收费标志=1 and 总收费.标志=1") +
                batch_condition(request)))
        messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
    // The charge engine keys a household's bills by the household number, which pairs with no
    // meter account above; such a household is found once through its accounts, after the
    // households found by their accounts' own bills.
    if (!platform::db_execute(
            connection,
            QStringLiteral(
                "INSERT INTO 未收费数据 (户号) select distinct 用户表管理.父号 from "
                "用户表管理,总收费,用户信息表 where 总收费.户号=用户表管理.父号 and "
                "用户表管理.父号=用户信息表.户号 and  总收费.收费标志=1 and 总收费.标志=1") +
                batch_condition(request) +
                QStringLiteral(" and 用户表管理.父号 not in (select 户号 from 未收费数据)")))
        messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));

    QStringList households;
    QSet<QString> seen;
    for (const char* having : {"> 1", "= 1"}) {
        const QStringList rows = platform::query_column(
            connection,
            QStringLiteral(
                "select 户号 from 未收费数据 where 户号 in (select  户号  from  未收费数据  "
                "group  by  户号  having  count(户号) ") +
                QString::fromLatin1(having) + u')',
            platform::OnFailure::Quiet);
        if (progress.set_maximum) progress.set_maximum(static_cast<int>(rows.size()));
        for (const QString& h : rows) {
            if (progress.step) progress.step();
            if (!seen.contains(h)) {
                seen.insert(h);
                households.append(h);
            }
        }
        if (progress.reset) progress.reset();
    }
    return households;
}

BatchOutcome batch_charge_unpaid_bills(platform::Connection& connection,
                                       const QStringList& households, const QString& collector,
                                       const QDate& today, const BatchProgress& progress) {
    BatchOutcome out;
    if (progress.set_maximum) progress.set_maximum(static_cast<int>(households.size()));
    const int digits = shell::system_parameters.payment_serial_digits;
    store::BatchScope scope(connection);
    if (!scope.active()) {
        out.stopped = true;
        out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
        return out;
    }
    // What each household's row did; a replayed batch runs its rows again and overwrites them.
    std::vector<PaymentOutcome> results(static_cast<size_t>(households.size()));
    std::vector<size_t> bill_counts(results.size(), 0);
    bool failed = false;
    for (qsizetype i = 0; i < households.size(); ++i) {
        if (progress.step) progress.step();
        const QString h = households[i];
        const size_t at = static_cast<size_t>(i);
        auto work = [&, h, at](platform::Connection& c) {
            PaymentOutcome& result = results[at];
            result = PaymentOutcome{};
            bill_counts[at] = 0;
            tariffs::apply_late_fees_to_unpaid_charges(c, h);
            PaymentRequest request;
            for (const QString& b : platform::query_column(
                     c,
                     QStringLiteral(
                         "select 收据号 from 总收费 where 收费标志=1 and 标志=1 and 户号 like ") +
                         platform::sql_quote(h + u'%'),
                     platform::OnFailure::Quiet))
                request.bills.push_back(b.toLongLong());
            if (request.bills.empty()) {
                result.done = true;
                return true;
            }
            request.collector = collector;
            request.date = today;
            request.rule = SerialRule::Coded;
            result = pay_bills_unguarded(c, request, digits);
            bill_counts[at] = request.bills.size();
            return result.done;
        };
        auto applied = [&, at] {
            const PaymentOutcome& result = results[at];
            if (result.serial == 0) return;
            if (out.first_serial == 0) out.first_serial = result.serial;
            out.last_serial = result.serial;
            ++out.households_charged;
            out.bills_paid += static_cast<int>(bill_counts[at]);
        };
        if (!scope.add(work, applied)) {
            failed = true;
            break;
        }
    }
    // finish() applies the rows still queued; a failure among them shows up here.
    if (!scope.finish() || failed) {
        out.stopped = true;
        for (const PaymentOutcome& result : results)
            if (!result.done && !result.messages.empty()) {
                out.messages = result.messages;
                break;
            }
        if (out.messages.empty()) out.messages.push_back(tariffs::plain_message(scope.error()));
    }
    return out;
}

std::function<void()>& batch_pay_from_prepayments_hook() {
    static std::function<void()> hook;
    return hook;
}

BatchRunOutcome run_batch_charging(platform::Connection& connection, const BatchRequest& request,
                                   const QDate& today, const BatchProgress& progress) {
    BatchRunOutcome out;
    if (batch_pay_from_prepayments_hook()) batch_pay_from_prepayments_hook()();
    const QStringList households =
        collect_batch_households(connection, request, out.messages, progress);
    if (households.isEmpty()) {
        out.messages.push_back(tariffs::info_message(kBatchNothingToCharge));
        return out;
    }
    out.batch =
        batch_charge_unpaid_bills(connection, households, request.collector, today, progress);
    out.charged = true;
    for (const Message& m : out.batch.messages) out.messages.push_back(m);
    if (!shell::write_operation_log(kChargingGroup, QStringLiteral("批量收费"),
                                    batch_log_remark(request)))
        out.messages.push_back(tariffs::info_message(kLogFailed));
    out.messages.push_back(tariffs::info_message(kBatchDone));
    return out;
}

}  // namespace charging
