#include "charging/batch_charging.h"

#include <QSet>
#include <vector>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "shell/operation_log.h"
#include "store/batch_scope.h"
#include "tariffs/household_bills.h"
#include "tariffs/late_fees.h"

namespace charging {

namespace {

// Blank after trimming ASCII and full-width blanks: such a text selects nothing. A reader or
// street of blanks once made the condition empty and charged the whole register.
bool blank(const QString& text) { return platform::text_trim(text).trimmed().isEmpty(); }

}  // namespace

BatchCheck check_batch_request(const BatchRequest& request) {
    if (blank(request.reader) && blank(request.street))
        return {false, kBatchNeedsReaderOrStreet, BatchField::Reader};
    if (blank(request.collector)) return {false, kNoCollector, BatchField::Collector};
    return {true, {}, BatchField::None};
}

QString batch_confirmation_text(const QString& collector) {
    return QStringLiteral("确认要把选择的所有抄表记录，批量作为收费人员【") + collector +
           QStringLiteral("】的收费记录吗？\r\n该操作不可逆，请慎重！");
}

QString batch_condition(const BatchRequest& request) {
    QString condition;
    if (!blank(request.reader))
        condition +=
            QStringLiteral(" and 用户表管理.抄表人员=") + platform::sql_quote(request.reader);
    if (!blank(request.street))
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
                                     Messages& messages, const BatchProgress& progress,
                                     bool* refilled) {
    if (refilled) *refilled = false;
    // The work table's refill is one transaction that writes nothing but the work table, so its
    // commit need not wait for the disk.
    platform::Transaction refill(connection, platform::Commit::WorkTablesOnly);
    const auto refill_failed = [&] {
        messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
        return QStringList{};
    };
    if (!refill.active()) return refill_failed();
    if (!platform::db_execute(connection, QStringLiteral("delete from 未收费数据")))
        return refill_failed();
    if (!platform::db_execute(
            connection,
            QStringLiteral(
                "INSERT INTO 未收费数据 (户号) select 用户表管理.父号 from "
                "用户表管理,总收费,用户信息表 where 用户表管理.户号=总收费.户号  and "
                "用户表管理.父号=用户信息表.户号 and  总收费.收费标志=1 and 总收费.标志=1") +
                batch_condition(request)))
        return refill_failed();
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
                QStringLiteral(" and 用户表管理.父号 not in (select 户号 from 未收费数据)")) ||
        !refill.commit())
        return refill_failed();

    QStringList households;
    QSet<QString> seen;
    for (const char* having : {"> 1", "= 1"}) {
        bool read = false;
        const QStringList rows = platform::query_column(
            connection,
            QStringLiteral(
                "select 户号 from 未收费数据 where 户号 in (select  户号  from  未收费数据  "
                "group  by  户号  having  count(户号) ") +
                QString::fromLatin1(having) + u')',
            platform::OnFailure::Quiet, &read);
        if (!read) return refill_failed();
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
    if (refilled) *refilled = true;
    return households;
}

BatchOutcome batch_charge_unpaid_bills(platform::Connection& connection,
                                       const QStringList& households, const QString& collector,
                                       const shell::RunContext& context,
                                       const BatchProgress& progress,
                                       const std::optional<PaymentLog>& log) {
    const QDate today = context.today();
    BatchOutcome out;
    if (progress.set_maximum) progress.set_maximum(static_cast<int>(households.size()));
    store::BatchScope scope(connection);
    const auto stop = [&out](const Messages& messages) {
        out.stopped = true;
        out.messages = messages;
        return out;
    };
    if (!scope.active() || !claim_write_lock(connection))
        return stop({tariffs::plain_message(platform::db_last_error(connection))});
    // The run holds the write lock from here to its commit, so no other program takes a serial
    // meanwhile: after the first one (the largest stored plus one, checked) each household's is
    // the one before plus one, without a query per household.
    const SerialOutcome first =
        next_batch_serial_number(connection, context.parameters.payment_serial_digits);
    if (!first.ok) return stop(first.messages);
    qint64 next_serial = first.serial;

    // What each household's row did; a replayed batch runs its rows again and overwrites them.
    // A row keeps the serial it was given the first time, so a replay pays under the same one.
    const size_t n = static_cast<size_t>(households.size());
    std::vector<PaymentOutcome> results(n);
    std::vector<size_t> bill_counts(n, 0);
    std::vector<qint64> serial_of(n, 0);
    const QString bills_sql =
        QStringLiteral("select 收据号 from 总收费 where 收费标志=1 and 标志=1 and ") +
        tariffs::households_bills_condition(QStringLiteral("?")) +
        QStringLiteral(" order by 收据号");
    bool failed = false;
    for (qsizetype i = 0; i < households.size(); ++i) {
        if (progress.step) progress.step();
        const QString h = households[i];
        const size_t at = static_cast<size_t>(i);
        auto work = [&, h, at](platform::Connection& c) {
            PaymentOutcome& result = results[at];
            result = PaymentOutcome{};
            bill_counts[at] = 0;
            tariffs::apply_late_fees_to_unpaid_charges(c, h, context.parameters, today);
            std::vector<qint64> bills;
            {
                platform::PreparedStatement select(c, bills_sql);
                select.bind_text(1, h);
                select.bind_text(2, h);
                platform::RecordSet rows;
                if (!select.open(rows, platform::OnFailure::Quiet)) {
                    result.messages.push_back(tariffs::plain_message(platform::db_last_error(c)));
                    return false;
                }
                for (; !platform::recordset_eof(rows); platform::recordset_move_next(rows))
                    bills.push_back(static_cast<qint64>(platform::recordset_field_number(rows, 0)));
            }
            if (bills.empty()) {
                result.done = true;
                return true;
            }
            if (serial_of[at] == 0) serial_of[at] = next_serial++;
            result =
                pay_bills_under_serial(c, h, bills, collector, today, std::nullopt,
                                       serial_of[at]);
            bill_counts[at] = bills.size();
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
    // The rows still queued go in, then the log row of a run that charged someone, so that the
    // run and its log row are one commit; a failure among the rows shows up in finish().
    if (!failed && !scope.apply_pending()) failed = true;
    if (log && out.households_charged > 0)
        out.log_failed = !shell::write_operation_log(connection, log->context, log->parent_item,
                                                     log->current_item, log->remark);
    const bool finished = scope.finish(failed);
    if (scope.rows_applied() == 0) {
        // The commit failed or nothing went in: nothing of the run was charged.
        out.households_charged = 0;
        out.bills_paid = 0;
        out.first_serial = out.last_serial = 0;
    }
    if (!finished || failed) {
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

std::function<void(const shell::RunContext&)>& batch_pay_from_prepayments_hook() {
    static std::function<void(const shell::RunContext&)> hook;
    return hook;
}

QString batch_stopped_text(int households_charged) {
    return QStringLiteral("批量收费未完成！已收费") + QString::number(households_charged) +
           QStringLiteral("户。");
}

BatchRunOutcome run_batch_charging(platform::Connection& connection, const BatchRequest& request,
                                   const shell::RunContext& context,
                                   const BatchProgress& progress) {
    BatchRunOutcome out;
    // Never a run without a reader or a street: the condition would select the whole register.
    const BatchCheck check = check_batch_request(request);
    if (!check.ok) {
        out.messages.push_back(tariffs::info_message(check.message));
        return out;
    }
    if (batch_pay_from_prepayments_hook()) batch_pay_from_prepayments_hook()(context);
    bool refilled = false;
    const QStringList households =
        collect_batch_households(connection, request, out.messages, progress, &refilled);
    if (!refilled) return out;  // the database's text says why; nothing was charged
    if (households.isEmpty()) {
        out.messages.push_back(tariffs::info_message(kBatchNothingToCharge));
        return out;
    }
    // The log records what was charged, with the run; a run that charged nothing has nothing
    // to log.
    out.batch = batch_charge_unpaid_bills(
        connection, households, request.collector, context, progress,
        PaymentLog{context, kChargingGroup, QStringLiteral("批量收费"), batch_log_remark(request)});
    out.charged = out.batch.households_charged > 0;
    for (const Message& m : out.batch.messages) out.messages.push_back(m);
    if (out.charged && out.batch.log_failed)
        out.messages.push_back(tariffs::info_message(kLogFailed));
    out.messages.push_back(
        tariffs::info_message(out.batch.stopped ? batch_stopped_text(out.batch.households_charged)
                              : out.charged     ? kBatchDone
                                                : kBatchNothingToCharge));
    return out;
}

}  // namespace charging
