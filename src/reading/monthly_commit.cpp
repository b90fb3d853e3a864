#include "reading/monthly_commit.h"

#include "platform/db.h"
#include "platform/query.h"

namespace reading {

bool move_batch_to_history(platform::Connection& connection, qint64* rows, QString* error) {
    qint64 copied = 0;
    platform::Transaction move(connection);
    const bool done =
        move.active() &&
        platform::db_execute(
            connection,
            QStringLiteral("INSERT INTO 抄表总表 (户号,起方,止方,用量,抄表日期,水损,抄表人员,收费项目,"
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
                               const QString& zero_usage, const QString& billing_mode) {
    const bool bills_zero_usage = zero_usage == QStringLiteral("开启") &&
                                  billing_mode == QStringLiteral("基本用量模式");
    return platform::query_column(
        connection,
        QStringLiteral("select distinct 抄表总表.父号 from 抄表总表 where 是否收费=0 ") +
            (bills_zero_usage ? QString() : QStringLiteral("and 用量>0 ")) +
            QStringLiteral("and 父号<>'0' and 收费项目=") + platform::sql_quote(fee_item));
}

CommitOutcome commit_month(platform::Connection& connection, const CommitHooks& hooks) {
    // Billing is wired in when the charge engine lands on this branch.
    CommitOutcome out;
    out.moved = move_batch_to_history(connection, &out.rows_moved, &out.move_error);
    if (hooks.after_move) hooks.after_move(out.moved, out.move_error);
    return out;
}

}  // namespace reading
