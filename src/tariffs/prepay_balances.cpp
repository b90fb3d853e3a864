#include "tariffs/prepay_balances.h"

#include <functional>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"

namespace tariffs {

namespace {

bool run(platform::Connection& connection, const QString& sql, BalanceOutcome& out) {
    if (platform::db_execute(connection, sql)) return true;
    if (out.ok) out.error = platform::db_last_error(connection);
    out.ok = false;
    return false;
}

// A fixed statement of the rebuilds, prepared once per connection.
bool run_fixed(platform::Connection& connection, const QString& sql, BalanceOutcome& out) {
    platform::PreparedStatement statement(connection, sql);
    if (statement.execute()) return true;
    if (out.ok) out.error = platform::db_last_error(connection);
    out.ok = false;
    return false;
}

const QString kGroupedTableColumns = QStringLiteral(
    "CREATE TABLE [预存结余新]([户号] varchar(50) ,[预存金额] float,[已扣金额] float,"
    "[结余金额] float,[应扣金额] float,[标记] int)");

// Empties 预存结余新 for the grouped rebuild. The table ships with these columns, so emptying it
// gives what dropping and creating it would, without changing the schema on every bill of a
// run; a table that is missing (or cannot be emptied) is dropped and created anew.
bool reset_grouped_table(platform::Connection& connection, BalanceOutcome& out) {
    if (platform::PreparedStatement(connection, QStringLiteral("delete from 预存结余新")).execute())
        return true;
    platform::db_execute(connection, QStringLiteral("DROP TABLE [预存结余新]"));
    if (platform::db_execute(connection, kGroupedTableColumns)) return true;
    out.ok = false;
    out.error = platform::db_last_error(connection);
    out.messages.push_back(plain_message(out.error + kGroupedTableColumns));
    return false;
}

}  // namespace

BalanceOutcome empty_prepayment_work_tables(platform::Connection& connection) {
    BalanceOutcome out;
    run_fixed(connection, QStringLiteral("delete from 预存结余"), out);
    reset_grouped_table(connection, out);
    return out;
}

namespace {

// The grouped rebuild after 预存结余 was filled by `fill`.
BalanceOutcome rebuild_grouped(platform::Connection& connection,
                               const std::function<bool()>& fill) {
    BalanceOutcome out;
    if (!run_fixed(connection, QStringLiteral("delete from 预存结余"), out)) return out;
    if (!fill()) {
        out.ok = false;
        out.error = platform::db_last_error(connection);
        out.messages.push_back(plain_message(out.error));
        return out;
    }
    if (!run_fixed(connection,
             QStringLiteral(
                 "insert into  预存结余 (户号,预存金额,已扣金额,应扣金额)  select 总收费.户号,0 as "
                 "预存金额,SUM (总收费.预存扣款) as 扣款金额,0 as 应收金额 from 总收费 where "
                 "总收费.标志=1  and 总收费.预存扣款>0 and 总收费.户号 in (select 户号 from "
                 "预存结余) GROUP BY 总收费.户号"),
             out))
        return out;
    if (!run_fixed(connection,
             QStringLiteral(
                 "insert into  预存结余 (户号,预存金额,已扣金额,应扣金额) select 总收费.户号,0 as "
                 "预存金额,0 as 扣款金额, sum (总收费.实收金额) as 应收金额 from 总收费 where "
                 "总收费.标志=1 and 总收费.收费标志=1  and  总收费.户号 in(select 户号 from "
                 "预存结余) GROUP BY 总收费.户号"),
             out))
        return out;
    if (!reset_grouped_table(connection, out)) return out;
    if (!run_fixed(connection,
             QStringLiteral("insert into  预存结余新 (户号,预存金额,已扣金额,应扣金额)  select  "
                            "户号,sum(预存金额) as 预存金额,sum(已扣金额) as 已扣金额 ,SUM(应扣金额) "
                            "as 应扣金额 from 预存结余 GROUP BY 户号"),
             out))
        return out;
    if (!run_fixed(connection, QStringLiteral("update 预存结余新 set 结余金额=预存金额-已扣金额"), out))
        return out;
    run_fixed(connection, QStringLiteral("update 预存结余新 set 标记=1 where 应扣金额>0"), out);
    return out;
}

}  // namespace

BalanceOutcome rebuild_prepayment_balances(platform::Connection& connection,
                                           const QString& insert_statement, int /*flag*/) {
    const QString fill =
        insert_statement.isEmpty()
            ? QStringLiteral(
                  "insert into  预存结余 (户号,预存金额,已扣金额,应扣金额) select 预存明细.户号,"
                  "SUM (预存明细.预存金额) as 预存金额,0 as 扣款金额,0 as 应收金额 from 预存明细 "
                  "where 预存明细.标志=1 GROUP BY 预存明细.户号")
            : insert_statement;
    return rebuild_grouped(connection, [&] { return platform::db_execute(connection, fill); });
}

BalanceOutcome rebuild_household_prepayment_balances(platform::Connection& connection,
                                                     const QString& household) {
    return rebuild_grouped(connection, [&] {
        platform::PreparedStatement fill(
            connection,
            QStringLiteral("INSERT INTO 预存结余 (编号,户号,预存金额,已扣金额,应扣金额) select 收据号,"
                           "户号,预存金额,0,0 from 预存明细 where 户号=? and 标志=1"));
        fill.bind_text(1, household);
        return fill.execute();
    });
}

BalanceOutcome recompute_prepay_balances(platform::Connection& connection,
                                         const QString& insert_statement) {
    BalanceOutcome out;
    platform::db_execute(connection, QStringLiteral("delete from 预存结余"));
    if (!run(connection, insert_statement, out)) {
        out.messages.push_back(plain_message(platform::db_last_error(connection)));
        out.messages.push_back(plain_message(insert_statement));
    }
    // One row per household: the one with the smallest receipt number, holding the sum.
    const QStringList repeated = platform::query_column(
        connection,
        QStringLiteral("select 户号 from 预存结余 where 户号 in (select 户号 from  预存结余  "
                       "group  by  户号  having  count(户号) > 1)"),
        platform::OnFailure::Quiet);
    QStringList households;
    for (const QString& h : repeated)
        if (!households.contains(h)) households << h;
    for (const QString& h : households) {
        const QString who = platform::sql_quote(h);
        const double sum = platform::query_number(
            connection,
            QStringLiteral("select sum(预存金额) as 总金额  from  预存结余   where 户号=") + who,
            platform::OnFailure::Quiet);
        const QString first = platform::query_text(
            connection,
            QStringLiteral("select 编号 from 预存结余 where  户号=") + who +
                QStringLiteral("  order by 编号"),
            platform::OnFailure::Quiet);
        const QString key = first.isEmpty() ? QStringLiteral("null") : first;
        if (!run(connection,
                 QStringLiteral("update 预存结余 set 预存金额=") + platform::sql_number(sum) +
                     QStringLiteral(" where 户号=") + who + QStringLiteral(" and  编号") +
                     (first.isEmpty() ? QStringLiteral(" is null") : u'=' + key),
                 out))
            out.messages.push_back(plain_message(platform::db_last_error(connection)));
        run(connection,
            QStringLiteral("delete from 预存结余 where 户号=") + who +
                (first.isEmpty() ? QStringLiteral(" and  编号 is not null")
                                 : QStringLiteral(" and  编号<>") + key),
            out);
    }
    const QList<QStringList> rows = platform::query_rows(
        connection, QStringLiteral("select 预存金额,户号 from 预存结余"), platform::OnFailure::Quiet);
    for (const QStringList& row : rows) {
        const double paid_in = platform::to_number(row.value(0));
        const QString h = half_width(row.value(1));
        // A household's own bills and those of its meter accounts (its number plus a suffix).
        const double taken = platform::query_number(
            connection,
            QStringLiteral("select sum(预存扣款)as 总金额 from 总收费 where 户号  like ") +
                platform::sql_quote(h + u'%') + QStringLiteral(" and 标志=1"),
            platform::OnFailure::Quiet);
        const QString update = QStringLiteral("update 预存结余 set 已扣金额=") +
                               platform::sql_number(taken) + QStringLiteral(",结余金额=") +
                               platform::sql_number(paid_in - taken) +
                               QStringLiteral(" where 户号=") + platform::sql_quote(h);
        if (!run(connection, update, out)) {
            out.messages.push_back(plain_message(update));
            out.messages.push_back(plain_message(platform::db_last_error(connection)));
        }
    }
    return out;
}

double grouped_balance_of(platform::Connection& connection, const QString& household) {
    platform::PreparedStatement balance(
        connection, QStringLiteral("select 结余金额 from 预存结余新 where 户号=?"));
    balance.bind_text(1, household);
    platform::RecordSet row;
    if (!balance.open(row, platform::OnFailure::Quiet) || platform::recordset_eof(row)) return 0.0;
    return platform::recordset_field_number(row, 0);
}

double per_row_balance_of(platform::Connection& connection, const QString& household) {
    return platform::query_number(
        connection,
        QStringLiteral("select 结余金额 from 预存结余 where 户号=") + platform::sql_quote(household),
        platform::OnFailure::Quiet);
}

}  // namespace tariffs
