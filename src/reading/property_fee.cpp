#include "reading/property_fee.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "reading/reading_rules.h"

namespace reading {

int generate_property_fee_readings(platform::Connection& connection, const QDate& today,
                                   const GenerationProgress& progress) {
    platform::RecordSet candidates;
    if (!platform::query_open(
            candidates, connection,
            QStringLiteral(
                "select 用户表管理.户号,用户信息表.物业面积,用户表管理.父号,用户信息表.物业类别 "
                "from 用户表管理,用户信息表 where 用户信息表.户号=用户表管理.父号 and "
                "用户表管理.收费项目='物业' and 用户表管理.状态='正常' and 用户信息表.物业面积>0 "
                "order by 用户表管理.抄表序号")))
        return 0;
    if (progress.start) progress.start(platform::recordset_record_count(candidates));
    int written = 0;
    // One transaction for the run, committed at its end: a failed insert skips its account only.
    platform::Transaction run(connection);
    for (; !platform::recordset_eof(candidates); platform::recordset_move_next(candidates)) {
        if (progress.step) progress.step();
        PendingReading row;
        row.account = platform::recordset_field_text(candidates, QStringLiteral("户号"));
        row.category = platform::recordset_field_text(candidates, QStringLiteral("物业类别"));
        row.usage = platform::recordset_field_number(candidates, QStringLiteral("物业面积"));
        row.household = platform::recordset_field_text(candidates, QStringLiteral("父号"));
        if (account_read_in_month(connection, row.account, today)) continue;
        if (platform::query_number(connection,
                                   QStringLiteral("select count(*) from 抄表管理 where 户号=") +
                                       platform::sql_quote(row.account)) > 0)
            continue;
        row.price = category_price(connection, kPropertyFeeItem, row.category);
        row.date = today;
        row.fee_item = kPropertyFeeItem;
        row.reader = kSystemReader;
        if (platform::db_execute(connection, pending_insert_statement(row))) ++written;
    }
    if (!run.commit()) return 0;
    return written;
}

}  // namespace reading
