#include "charging/prepay_balance_list.h"

#include <charconv>
#include <cmath>
#include <string>

#include "charging/list_cells.h"
#include "charging/list_queries.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "tariffs/household_bills.h"

namespace charging {

namespace {

const QString kInsertJoined = QStringLiteral(
    "INSERT INTO 预存结余 (编号,户号,预存金额) select 预存明细.收据号,预存明细.户号,"
    "预存明细.预存金额 from 预存明细,用户信息表 where ");



}  // namespace

QString balance_household_insert(const QString& household) {
    return QStringLiteral(
               "INSERT INTO 预存结余 (编号,户号,预存金额) select 收据号,户号,预存金额 from "
               "预存明细 where 户号=") +
           platform::sql_quote(household) + QStringLiteral(" and 标志=1");
}

QString balance_card_insert(const QString& card) {
    return kInsertJoined + QStringLiteral("预存明细.户号=用户信息表.户号 and 用户信息表.磁卡号码=") +
           platform::sql_quote(card) + QStringLiteral(" and 标志=1");
}

QString balance_shortfall_insert() {
    return kInsertJoined + QStringLiteral("用户信息表.户号=预存明细.户号  and 预存明细.标志=1");
}

QString balance_list_statement(const QString& order_clause) {
    return QStringLiteral(
               "select 预存结余.应扣金额,预存结余.户号,预存结余.预存金额,预存结余.已扣金额,"
               "预存结余.结余金额,用户信息表.用户名,用户信息表.居住街道,用户信息表.详细地址,"
               "用户信息表.移动电话,预存结余.应扣金额,用户信息表.固定电话,用户信息表.磁卡号码 "
               "from 预存结余,用户信息表 where 用户信息表.户号=预存结余.户号 ") +
           order_clause;
}

QString shortfall_list_statement() {
    return QStringLiteral(
        "select 预存结余.应扣金额,预存结余.户号,预存结余.预存金额,预存结余.已扣金额,"
        "预存结余.结余金额,用户信息表.用户名,用户信息表.居住街道,用户信息表.详细地址,"
        "用户信息表.固定电话,用户信息表.移动电话,用户信息表.磁卡号码 from 预存结余,用户信息表 "
        "where 用户信息表.户号=预存结余.户号 and 预存结余.标记=1 ORDER  BY 预存结余.编号");
}

tariffs::BalanceOutcome compute_prepay_amounts_due(platform::Connection& connection) {
    // One statement for every household: what its valid unpaid bills (its own number's and its
    // meter accounts') still ask, each household's found by its numbers in the index of unpaid
    // bills.
    tariffs::BalanceOutcome out;
    const tariffs::HouseholdBillSums& unpaid = tariffs::amount_due_sums();
    platform::PreparedStatement due(
        connection, QStringLiteral("update 预存结余 set 应扣金额=") + unpaid.own + u'+' +
                        unpaid.accounts);
    if (!due.execute()) {
        out.fail(platform::db_last_error(connection));
    }
    return out;
}

tariffs::Messages rebuild_balances_with_amounts_due(platform::Connection& connection,
                                                    const QString& insert_statement) {
    // The rebuild and the amounts due in one transaction and one pass over the rows.
    tariffs::PerRowRebuild how;
    how.amounts_due = true;
    return tariffs::recompute_prepay_balances(connection, insert_statement, how).messages;
}

tariffs::BalanceOutcome mark_households_with_amounts_due(platform::Connection& connection) {
    tariffs::BalanceOutcome out;
    tariffs::RebuildTransaction transaction(connection);
    if (!transaction.active()) {
        out.fail(platform::db_last_error(connection));
        return out;
    }
    out.messages = rebuild_balances_with_amounts_due(connection, balance_shortfall_insert());
    // Short are the households whose balance does not cover what is due; one whose balance pays
    // all of it is not (the difference beyond the money tolerance).
    if (!platform::db_execute(connection,
                              QStringLiteral("update 预存结余 set 标记=1 where 应扣金额>0 and "
                                             "应扣金额-ifnull(结余金额,0)>0.0000001"))) {
        out.fail(platform::db_last_error(connection));
    }
    if (!transaction.commit() && out.ok) {
        out.fail(platform::db_last_error(connection));
    }
    return out;
}

BalanceListSummary read_balance_rows(platform::Connection& connection, const QString& statement,
                                     const std::function<void(int count)>& start,
                                     const std::function<void(const BalanceCells&)>& row) {
    BalanceListSummary summary;
    platform::RecordSet records;
    summary.opened = open_list_records(records, connection, statement, start);
    if (!summary.opened) return summary;
    const auto field = [&records](const char16_t* name) { return list_field(records, name); };
    const int number = field(u"户号");
    const std::array<std::pair<int, int>, 6> texts = {{{1, field(u"用户名")},
                                                       {2, field(u"磁卡号码")},
                                                       {3, field(u"居住街道")},
                                                       {4, field(u"详细地址")},
                                                       {5, field(u"固定电话")},
                                                       {6, field(u"移动电话")}}};
    const int prepaid = field(u"预存金额"), deducted = field(u"已扣金额"),
              balance = field(u"结余金额"), due = field(u"应扣金额");
    std::string scratch[7];
    std::string number_text;
    char amounts[5][kAmountCellSize];
    const auto number_of = [&records](int index) {
        return index >= 0 ? platform::recordset_field_number(records, index) : 0.0;
    };
    BalanceCells cells;
    for (; !platform::recordset_eof(records); platform::recordset_move_next(records)) {
        cells[0] = {};
        if (number >= 0) {
            cells[0] = half_width_cell(
                platform::recordset_field_utf8(records, number, scratch[0]), number_text);
        }
        for (const auto& [position, index] : texts)
            cells[static_cast<size_t>(position)] =
                index >= 0 ? platform::recordset_field_utf8(records, index,
                                                            scratch[static_cast<size_t>(position)])
                           : std::string_view();
        const double p = number_of(prepaid), d = number_of(deducted), b = number_of(balance),
                     a = number_of(due);
        summary.total.prepaid += p;
        summary.total.deducted += d;
        summary.total.balance += b;
        summary.total.due += a;
        cells[7] = amount_cell(p, amounts[0]);
        cells[8] = amount_cell(d, amounts[1]);
        cells[9] = amount_cell(b, amounts[2]);
        cells[10] = amount_cell(a, amounts[3]);
        cells[11] = amount_cell(b - a, amounts[4]);
        ++summary.rows;
        if (row) row(cells);
    }
    return summary;
}

QStringList balance_totals_row(const BalanceTotals& total) {
    return totals_row(kBalanceListCells, kBalanceTotalsCell,
                      {{7, total.prepaid},
                       {8, total.deducted},
                       {9, total.balance},
                       {10, total.due},
                       {11, total.balance - total.due}});
}

QList<QStringList> balance_list_rows(platform::Connection& connection, const QString& statement) {
    QList<QStringList> rows;
    const BalanceListSummary summary = read_balance_rows(
        connection, statement, [&rows](int count) { rows.reserve(count + 1); },
        [&rows](const BalanceCells& cells) { rows << cell_texts(cells); });
    rows << balance_totals_row(summary.total);
    return rows;
}

HouseholdBalanceQueryOutcome build_household_balance_query(const HouseholdBalanceQuery& query) {
    HouseholdBalanceQueryOutcome out;
    out.order_clause = order_clause(
        query.order, {u" ORDER  BY 用户信息表.户号", u" ORDER  BY 用户信息表.户号 DESC",
                      u" ORDER  BY 用户信息表.居住街道 ", u" ORDER  BY 用户信息表.居住街道 DESC"});
    const BalanceQueryBy by = query.by;
    const ChosenConditions chosen = choose_conditions({
        prepay_household_condition(by == BalanceQueryBy::Household, query.household),
        prepay_name_condition(by == BalanceQueryBy::Name, query.name),
        prepay_collector_condition(by == BalanceQueryBy::Collector, query.collector),
        prepay_street_condition(by == BalanceQueryBy::Street, query.street,
                                QStringLiteral("待查询的街道不能为空！")),
        fixed_condition(by == BalanceQueryBy::Date,
                        QStringLiteral(" and 预存明细.预存日期 between #") +
                            platform::date_ymd_text(query.from) + QStringLiteral("# and #") +
                            platform::date_ymd_text(query.to) + u'#'),
    });
    if (!chosen.ok) {
        out.refusal = chosen.refusal;
        return out;
    }
    out.insert_statement = kInsertJoined + QStringLiteral("用户信息表.户号=预存明细.户号 ") +
                           chosen.clause + QStringLiteral(" and 预存明细.标志=1");
    out.ok = true;
    return out;
}

QStringList balance_query_collectors(platform::Connection& connection) {
    return platform::query_column(
        connection, QStringLiteral("select 收费人员 from 收费员 where 收费人员<>'管理员'"),
        platform::OnFailure::Quiet);
}

}  // namespace charging
