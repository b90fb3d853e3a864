#include "reading/monthly_commit.h"

#include "platform/db.h"
#include "platform/query.h"
#include "tariffs/charge_engine.h"
#include "tariffs/reductions.h"

namespace reading {

namespace {

void call(const std::function<void()>& hook) {
    if (hook) hook();
}

}  // namespace

bool move_batch_to_history(platform::Connection& connection, qint64* rows, QString* error) {
    qint64 copied = 0;
    platform::Transaction move(connection);
    const bool done =
        move.active() &&
        platform::db_execute(
            connection,
            QStringLiteral(
                "INSERT INTO 抄表总表 (户号,起方,止方,用量,抄表日期,水损,抄表人员,收费项目,"
                "价格类别,父号,价格,实收量) SELECT 户号,起方,止方,用量,抄表日期,水损,抄表人员,"
                "收费项目,价格类别,父号,价格,实收量 from 抄表管理 ORDER  BY 编号"),
            &copied) &&
        platform::db_execute(connection, QStringLiteral("delete from 抄表管理")) && move.commit();
    if (!done) {
        // Read before the rollback, which may set an error of its own.
        if (error) *error = platform::db_last_error(connection);
        move.rollback();
        if (rows) *rows = 0;
        return false;
    }
    if (rows) *rows = copied;
    return true;
}

QStringList households_to_bill(platform::Connection& connection, const QString& fee_item,
                               const QString& zero_usage, const QString& billing_mode, bool* ok) {
    const bool bills_zero_usage =
        zero_usage == QStringLiteral("开启") && billing_mode == QStringLiteral("基本用量模式");
    return platform::query_column(
        connection,
        QStringLiteral("select distinct 抄表总表.父号 from 抄表总表 where 是否收费=0 ") +
            (bills_zero_usage ? QString() : QStringLiteral("and 用量>0 ")) +
            QStringLiteral("and 父号<>'0' and 收费项目=") + platform::sql_quote(fee_item),
        platform::OnFailure::Quiet, ok);
}

BillingOutcome bill_unbilled_readings(platform::Connection& connection,
                                      const shell::RunContext& run, const CommitHooks& hooks,
                                      const std::vector<CarryIn>& carry_ins) {
    BillingOutcome out;
    const auto show = [&](const tariffs::Messages& messages) {
        if (!hooks.show) return;
        for (const tariffs::Message& m : messages) hooks.show(m.text, !m.plain);
    };
    const auto note = [&](const QString& error) {
        if (out.error.isEmpty()) out.error = error;
    };
    // A list that cannot be read is told as the provider's text, and nothing of it is billed.
    const auto unread = [&] {
        const QString error = platform::db_last_error(connection);
        note(error);
        if (hooks.show) hooks.show(error, false);
    };
    bool read = true;
    const QList<QStringList> items = platform::query_rows(
        connection,
        QStringLiteral("select 项目名称,计费模式,收零用量,阶梯收费 from 收费项目 order by 编号"),
        platform::OnFailure::Quiet, &read);
    if (!read) unread();
    for (const QStringList& row : items) {
        tariffs::FeeItemSwitches item;
        item.fee_item = row.value(0);
        item.billing_mode = row.value(1);
        item.zero_usage = row.value(2);
        item.tiered = row.value(3);
        const QStringList households = households_to_bill(
            connection, item.fee_item, item.zero_usage, item.billing_mode, &read);
        if (!read) {
            unread();
            out.failed_items << item.fee_item;
            continue;
        }
        if (hooks.progress_maximum) hooks.progress_maximum(static_cast<int>(households.size()));
        tariffs::BillRun bills(
            connection, item,
            [&](const tariffs::ChargeOutcome& charge) {
                show(charge.messages);
                if (charge.bill_written) ++out.bills_written;
                if (!charge.ok()) note(charge.error);
            },
            run);
        for (const CarryIn& given : carry_ins)
            if (given.fee_item == item.fee_item) bills.carry_in_for(given.household, given.carry);
        for (const QString& household : households) {
            call(hooks.progress_step);
            if (!bills.add(household)) break;
        }
        if (!bills.finish()) {
            out.failed_items << item.fee_item;
            if (hooks.show) hooks.show(QStringLiteral("生成数据有错误!"), true);
        }
    }
    return out;
}

CommitOutcome commit_month(platform::Connection& connection, const shell::RunContext& run_context,
                           const CommitHooks& hooks) {
    CommitOutcome out;
    // The move, the reductions and the billing are one transaction: a crash or a full disk
    // anywhere keeps none of it (the batch stays pending, nothing billed) and the next commit
    // does it all; success is told only once all of it is on disk.
    platform::Transaction run(connection);
    if (!run.active()) {
        out.billing_error = platform::db_last_error(connection);
        if (hooks.show) hooks.show(out.billing_error, false);
        return out;
    }
    out.moved = move_batch_to_history(connection, &out.rows_moved, &out.move_error);
    if (!out.moved && hooks.after_move) hooks.after_move(false, out.move_error);

    auto show = [&](const tariffs::Messages& messages) {
        if (!hooks.show) return;
        for (const tariffs::Message& m : messages) hooks.show(m.text, !m.plain);
    };

    const tariffs::ReductionRunOutcome reductions =
        tariffs::apply_all_reductions(connection, run_context.today());
    out.reductions_applied = reductions.applied;
    show(reductions.messages);

    call(hooks.progress_open);
    const BillingOutcome billing = bill_unbilled_readings(connection, run_context, hooks);
    out.bills_written = billing.bills_written;
    out.failed_items = billing.failed_items;
    call(hooks.progress_close);
    // What went in before a failing household stays (each bill whole); a commit that fails
    // keeps nothing, and the batch is still pending for the next try.
    if (!run.commit()) {
        out.billing_error = platform::db_last_error(connection);
        out.bills_written = 0;
        out.reductions_applied = 0;
        out.moved = false;
        out.rows_moved = 0;
        if (hooks.show) hooks.show(out.billing_error, false);
        return out;
    }
    if (out.moved && hooks.after_move) hooks.after_move(true, QString());
    return out;
}

}  // namespace reading
