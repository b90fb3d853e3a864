#include "tariffs/prepay_balances.h"

#include <functional>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "tariffs/household_bills.h"

#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

namespace tariffs {

RebuildTransaction::RebuildTransaction(platform::Connection& connection) {
    sqlite3* handle = platform::db_handle(connection);
    if (!handle || sqlite3_get_autocommit(handle))
        own_.emplace(connection, platform::Commit::WorkTablesOnly);
}

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

// 预存结余新 from what 预存结余 holds: one row per household with its sums, 结余金额 =
// 预存金额 − 已扣金额 and 标记 1 where something is due, written in one statement rather than
// written and then updated twice.
void grouped_totals(platform::Connection& connection, BalanceOutcome& out) {
    if (!reset_grouped_table(connection, out)) return;
    run_fixed(connection,
              QStringLiteral("insert into  预存结余新 (户号,预存金额,已扣金额,结余金额,应扣金额,标记) "
                             "select 户号,sum(预存金额),sum(已扣金额),sum(预存金额)-sum(已扣金额),"
                             "SUM(应扣金额),case when SUM(应扣金额)>0 then 1 end from 预存结余 "
                             "GROUP BY 户号"),
              out);
}

void rebuild_grouped_steps(platform::Connection& connection, const std::function<bool()>& fill,
                           BalanceOutcome& out) {
    if (!run_fixed(connection, QStringLiteral("delete from 预存结余"), out)) return;
    if (!fill()) {
        out.fail(platform::db_last_error(connection));
        return;
    }
    // Each household's deductions and amounts due over all of its bills: its own number's and
    // its meter accounts'. The numbers lead the join (cross join keeps that order), so each one
    // seeks its bills; led by the bills, the engine's rebuild for one household would read every
    // unpaid or prepaid bill of the register for each household it bills.
    static const QString numbers =
        household_numbers_select(QStringLiteral("select 户号 from 预存结余"));
    if (!run_fixed(connection,
                   QStringLiteral("insert into  预存结余 (户号,预存金额,已扣金额,应扣金额) select "
                                  "n.所属户号,0,SUM (b.预存扣款),0 from (") +
                       numbers +
                       QStringLiteral(") n cross join 总收费 b where b.户号=n.账号 and b.标志=1 and b.预存扣款>0 "
                                      "GROUP BY n.所属户号"),
                   out))
        return;
    if (!run_fixed(connection,
                   QStringLiteral("insert into  预存结余 (户号,预存金额,已扣金额,应扣金额) select "
                                  "n.所属户号,0,0,sum (b.实收金额) from (") +
                       numbers +
                       QStringLiteral(") n cross join 总收费 b where b.户号=n.账号 and b.标志=1 and b.收费标志=1 "
                                      "GROUP BY n.所属户号"),
                   out))
        return;
    grouped_totals(connection, out);
}

// The grouped rebuild after 预存结余 was filled by `fill`.
BalanceOutcome rebuild_grouped(platform::Connection& connection,
                               const std::function<bool()>& fill) {
    // One transaction: one sync for the whole rebuild. What went in before a failing step stays.
    BalanceOutcome out;
    RebuildTransaction transaction(connection);
    if (!transaction.active()) {
        out.fail(platform::db_last_error(connection));
        return out;
    }
    rebuild_grouped_steps(connection, fill, out);
    if (!transaction.commit()) {
        if (out.ok) out.error = platform::db_last_error(connection);
        out.ok = false;
        out.messages.push_back(plain_message(platform::db_last_error(connection)));
    }
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

namespace {

// One household's row of the grouped rebuild for `what` (its deductions or its amount due): the
// household as its prepayments name it, and the sum over its bills when it has any. Written from
// the household's number, not read back from 预存结余, so the insert needs no copy of the rows it
// reads and no temporary table: the engine runs it for every household it bills.
QString household_row(const QString& aggregate, const QString& condition, const QString& columns) {
    const QString who = QStringLiteral("?");
    const HouseholdBillSums sums = household_bill_sums(aggregate, who, condition);
    return QStringLiteral("insert into  预存结余 (户号,预存金额,已扣金额,应扣金额) select h,") + columns +
           QStringLiteral(" from (select (select 户号 from 预存明细 where 户号=? and 标志=1 limit 1) "
                          "as h,") +
           sums.own + QStringLiteral(" as o,") + sums.accounts +
           QStringLiteral(" as a) where h is not null and (o is not null or a is not null)");
}

}  // namespace

BalanceOutcome rebuild_household_prepayment_balances(platform::Connection& connection,
                                                     const QString& household) {
    BalanceOutcome out;
    // Inside the engine's run no savepoint: its two statements would cost more than the
    // rebuild's sums for every household billed.
    RebuildTransaction transaction(connection);
    if (!transaction.active()) {
        out.fail(platform::db_last_error(connection));
        return out;
    }
    // The grouped rebuild's steps for one household, each bound to its number (every parameter).
    // A failing fill is shown; a failing sum only ends the rebuild, as in the grouped rebuild.
    static const QString deductions = household_row(
        QStringLiteral("sum(b.预存扣款)"), QStringLiteral("b.标志=1 and b.预存扣款>0"),
        QStringLiteral("0,coalesce(o,0)+coalesce(a,0),0"));
    static const QString due = household_row(
        QStringLiteral("sum(b.实收金额)"), QStringLiteral("b.标志=1 and b.收费标志=1"),
        QStringLiteral("0,0,coalesce(o,0)+coalesce(a,0)"));
    const auto step = [&](const QString& sql, bool shown) {
        platform::PreparedStatement statement(connection, sql);
        for (int i = 1, n = static_cast<int>(sql.count(u'?')); i <= n; ++i)
            statement.bind_text(i, household);
        if (statement.execute()) return true;
        if (shown) {
            out.fail(platform::db_last_error(connection));
        } else if (out.ok) {
            out.ok = false;
            out.error = platform::db_last_error(connection);
        }
        return false;
    };
    if (run_fixed(connection, QStringLiteral("delete from 预存结余"), out) &&
        step(QStringLiteral("INSERT INTO 预存结余 (编号,户号,预存金额,已扣金额,应扣金额) select 收据号,"
                            "户号,预存金额,0,0 from 预存明细 where 户号=? and 标志=1"), true) &&
        step(deductions, false) && step(due, false))
        grouped_totals(connection, out);
    if (!transaction.commit()) {
        if (out.ok) out.error = platform::db_last_error(connection);
        out.ok = false;
        out.messages.push_back(plain_message(platform::db_last_error(connection)));
    }
    return out;
}

const HouseholdBillSums& amount_due_sums() {
    static const HouseholdBillSums unpaid =
        household_bill_sums(QStringLiteral("total(b.实收金额)"), QStringLiteral("预存结余.户号"),
                            QStringLiteral("b.标志=1 and b.收费标志=1"));
    return unpaid;
}

BalanceOutcome recompute_prepay_balances(platform::Connection& connection,
                                         const QString& insert_statement,
                                         const PerRowRebuild& how) {
    // One transaction of a few set-based statements, whatever the number of households; a
    // failing statement is reported and the rest still run, and what went in is committed.
    BalanceOutcome out;
    RebuildTransaction transaction(connection);
    if (!transaction.active()) {
        out.fail(platform::db_last_error(connection));
        return out;
    }
    const auto report = [&](bool done) {
        if (!done) out.messages.push_back(plain_message(platform::db_last_error(connection)));
    };
    BalanceOutcome ignored;
    run_fixed(connection, QStringLiteral("delete from 预存结余"), ignored);
    if (!run(connection, insert_statement, out)) {
        out.messages.push_back(plain_message(platform::db_last_error(connection)));
        out.messages.push_back(plain_message(insert_statement));
    }
    // One row per household: the one with the smallest receipt number, holding the sum. Only
    // the kept row is updated, so each sum is taken before any row of its household changed.
    // Most households have one prepayment row: the merge runs only when one has more.
    static const QString kept = QStringLiteral(
        "rowid=(select top 1 t.rowid from 预存结余 t where t.户号=预存结余.户号 order by "
        "t.编号,t.rowid)");
    static const QString merged =
        QStringLiteral("户号 in (select 户号 from 预存结余 group by 户号 having count(户号)>1)");
    bool checked = false;
    const bool several = platform::query_exists(
        connection, QStringLiteral("select 户号 from 预存结余 group by 户号 having count(户号)>1"),
        platform::OnFailure::Quiet, &checked);
    if (several || !checked) {
        report(run_fixed(connection,
                         QStringLiteral("update 预存结余 set 预存金额=(select sum(t.预存金额) from "
                                        "预存结余 t where t.户号=预存结余.户号) where ") +
                             merged + QStringLiteral(" and ") + kept,
                         out));
        report(run_fixed(connection,
                         QStringLiteral("delete from 预存结余 where ") + merged +
                             QStringLiteral(" and not ") + kept,
                         out));
    }
    // What every bill of the household (its own number's and its meter accounts') took. A bill
    // that took nothing adds nothing, so only those with a deduction are read, each household's
    // found by its numbers in their own index. The amounts due, when asked, in the same pass.
    static const HouseholdBillSums taken =
        household_bill_sums(QStringLiteral("total(b.预存扣款)"), QStringLiteral("预存结余.户号"),
                            QStringLiteral("b.标志=1 and b.预存扣款<>0"));
    report(run_fixed(connection,
                     QStringLiteral("update 预存结余 set 已扣金额=") + taken.own + u'+' +
                         taken.accounts +
                         (how.amounts_due ? QStringLiteral(",应扣金额=") + amount_due_sums().own +
                                                u'+' + amount_due_sums().accounts
                                          : QString()),
                     out));
    report(run_fixed(connection,
                     QStringLiteral("update 预存结余 set 结余金额=coalesce(预存金额,0)-已扣金额"),
                     out));
    if (!transaction.commit()) {
        if (out.ok) out.error = platform::db_last_error(connection);
        out.ok = false;
        out.messages.push_back(plain_message(platform::db_last_error(connection)));
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
