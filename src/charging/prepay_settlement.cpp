#include "charging/prepay_settlement.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <optional>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "shell/permissions.h"
#include "tariffs/household_bills.h"
#include "tariffs/late_fees.h"
#include "tariffs/prepay_balances.h"

namespace charging {

namespace {

enum class Step { Settled, Uncovered, Failed };

struct UnpaidBill {
    double to_collect = 0;  // 实收金额
    qint64 number = 0;      // 收据号
    double prepaid = 0;     // 预存扣款
};

// A settlement run is one transaction, all or nothing: a bill that is no longer unpaid when it
// is written (paid meanwhile by another window or program), a failing statement or a taken
// serial rolls back every bill of the run. Nothing but this run writes 流水号 while it holds its
// transaction, so after the first allocation (the largest stored plus one, tested) the next
// free serial is the last one plus one.
class Settler {
public:
    Settler(platform::Connection& connection, const shell::RunContext& context,
            SettlementOutcome& out)
        : connection_(connection),
          out_(out),
          transaction_(connection),
          today_(platform::date_storage_text(context.today())),
          digits_(context.parameters.payment_serial_digits),
          bill_(connection,
                QStringLiteral("update 总收费 set 收费标志=0,实收金额=0,预存扣款=?,收费人员=?,"
                               "收费日期=?,流水号=? where ") +
                    payable_bill_condition()),
          readings_(connection, QStringLiteral("update 抄表总表 set 流水号=? where 收据号=?")) {}

    bool active() const { return transaction_.active(); }

    // Settles the bill when the running balance covers it. Uncovered ends the household's
    // turn, Failed the run.
    Step settle(double& balance, const QString& household, const UnpaidBill& bill) {
        if (balance - bill.to_collect < -platform::kMoneyTolerance) return Step::Uncovered;
        qint64 serial = last_serial_ + 1;
        if (last_serial_ == 0) {
            const SerialOutcome allocated =
                allocate_payment_serial(connection_, SerialRule::Coded, digits_);
            if (!allocated.ok) {
                out_.messages.insert(out_.messages.end(), allocated.messages.begin(),
                                     allocated.messages.end());
                return Step::Failed;
            }
            serial = allocated.serial;
        }
        bill_.bind_number(1, bill.prepaid + bill.to_collect);
        bill_.bind_text(2, kPrepaidCollector);
        bill_.bind_text(3, today_);
        bill_.bind_integer(4, serial);
        bind_payable_bill(bill_, 5, bill.number, household);
        qint64 changed = 0;
        if (!bill_.execute(&changed)) return failed();
        if (changed != 1) {
            out_.messages.push_back(tariffs::info_message(kPrepaidBillsChanged));
            return Step::Failed;
        }
        readings_.bind_integer(1, serial);
        readings_.bind_integer(2, bill.number);
        if (!readings_.execute()) return failed();
        last_serial_ = serial;
        balance -= bill.to_collect;
        out_.settled.push_back({bill.number, serial, bill.to_collect});
        return Step::Settled;
    }

    // Commits a run that went through; rolls back one that did not. False when nothing of the
    // run stays.
    bool finish(bool ran) {
        if (ran && transaction_.commit()) return true;
        if (ran)
            out_.messages.push_back(tariffs::plain_message(platform::db_last_error(connection_)));
        transaction_.rollback();
        out_.settled.clear();
        return false;
    }

private:
    Step failed() {
        out_.messages.push_back(tariffs::plain_message(platform::db_last_error(connection_)));
        return Step::Failed;
    }

    platform::Connection& connection_;
    SettlementOutcome& out_;
    platform::Transaction transaction_;
    QString today_;
    int digits_;
    platform::PreparedStatement bill_;
    platform::PreparedStatement readings_;
    qint64 last_serial_ = 0;
};

// A household to serve and, when the caller read it already, its balance as the rebuild left it.
struct Turn {
    QString household;
    std::optional<double> balance;
};

// Each household's unpaid valid bills (its own number's and its meter accounts'), by the number
// as 预存结余 holds it, in receipt order.
using BillsByHousehold = QHash<QString, std::vector<UnpaidBill>>;

// The bills of every household of 预存结余 with a positive balance, read in one pass instead of
// one look per household: what each household's own look would find before the run settled
// anything. Empty when the read failed.
std::optional<BillsByHousehold> unpaid_bills_of_balance_holders(platform::Connection& connection) {
    // Its own number's bills, then its meter accounts' (each seeking its bills in the index of
    // unpaid bills). A bill both ways (an account numbered as its household) is read twice and
    // kept once, by its row.
    static const QString sql = QStringLiteral(
        "select t.户号,b.rowid,b.实收金额,b.收据号,b.预存扣款 from 预存结余 t cross join 总收费 b "
        "where (t.预存金额-t.已扣金额)>0 and b.户号=t.户号 and b.标志=1 and b.收费标志=1 union all "
        "select t.户号,b.rowid,b.实收金额,b.收据号,b.预存扣款 from 预存结余 t cross join 用户表管理 m "
        "cross join 总收费 b where (t.预存金额-t.已扣金额)>0 and m.父号=t.户号 and b.户号=m.户号 "
        "and b.标志=1 and b.收费标志=1");
    platform::RecordSet rows;
    if (!platform::query_open(rows, connection, sql, platform::OnFailure::Quiet))
        return std::nullopt;
    QHash<QString, std::vector<std::pair<qint64, UnpaidBill>>> found;
    for (; !platform::recordset_eof(rows); platform::recordset_move_next(rows))
        found[platform::recordset_field_text(rows, 0)].push_back(
            {static_cast<qint64>(platform::recordset_field_number(rows, 1)),
             {platform::recordset_field_number(rows, 2),
              static_cast<qint64>(platform::recordset_field_number(rows, 3)),
              platform::recordset_field_number(rows, 4)}});
    BillsByHousehold bills;
    for (auto it = found.begin(); it != found.end(); ++it) {
        auto& list = it.value();
        std::sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
            return a.second.number != b.second.number ? a.second.number < b.second.number
                                                      : a.first < b.first;
        });
        std::vector<UnpaidBill>& kept = bills[it.key()];
        for (size_t i = 0; i < list.size(); ++i)
            if (i == 0 || list[i].first != list[i - 1].first) kept.push_back(list[i].second);
    }
    return bills;
}

// The households' turns: each one's balance as the rebuild left it, its late fees brought up to
// date, then its bills (its own number's and its meter accounts', oldest receipt first) until one
// is not covered. When late fees are not charged nothing changes a bill between the turns but
// the run's own settling, so the bills of the turns whose number is as 预存结余 holds it come
// from `read_once` (less those an earlier turn settled); otherwise each turn looks its bills up
// after its late fees, with the statement prepared once and bound to each household.
// A household takes one turn per run. Its balance is read under its half-width number and is not
// lowered by what the run settles, so a second row under another spelling of the number (full-width
// digits of old imports) would spend the same balance again on the bills the first left unpaid.
// False when a failure ended the run.
bool settle_households(platform::Connection& connection, Settler& settler,
                       const std::vector<Turn>& turns, bool grouped,
                       const shell::RunContext& context, SettlementOutcome& out,
                       const BillsByHousehold* read_once = nullptr) {
    static const QString bills_sql =
        QStringLiteral("select 实收金额,收据号,预存扣款 from 总收费  where ") +
        tariffs::households_bills_condition(QStringLiteral("?")) +
        QStringLiteral(" and 标志=1 and 收费标志=1 order by 收据号");
    if (read_once && tariffs::late_fees_charged(context.parameters)) read_once = nullptr;
    QSet<qint64> settled;  // by receipt number: a bill two turns reach is settled once
    QSet<QString> served;  // by half-width number: a household's balance is spent once
    const std::vector<UnpaidBill> none;
    std::vector<UnpaidBill> looked_up;
    for (const Turn& turn : turns) {
        const QString& household = turn.household;
        if (served.contains(household)) continue;
        served.insert(household);
        double balance = turn.balance ? *turn.balance
                         : grouped    ? tariffs::grouped_balance_of(connection, household)
                                      : tariffs::per_row_balance_of(connection, household);
        const std::vector<UnpaidBill>* bills = nullptr;
        if (read_once && turn.balance) {
            const auto it = read_once->constFind(household);
            bills = it == read_once->constEnd() ? &none : &it.value();
        } else {
            tariffs::apply_late_fees_to_unpaid_charges(connection, household, context.parameters,
                                                       context.today());
            platform::PreparedStatement select(connection, bills_sql);
            select.bind_text(1, household);
            select.bind_text(2, household);
            platform::RecordSet rows;
            if (!select.open(rows, platform::OnFailure::Quiet)) {
                out.messages.push_back(
                    tariffs::plain_message(platform::db_last_error(connection)));
                return false;
            }
            looked_up.clear();
            for (; !platform::recordset_eof(rows); platform::recordset_move_next(rows))
                looked_up.push_back(
                    {platform::recordset_field_number(rows, 0),
                     static_cast<qint64>(platform::recordset_field_number(rows, 1)),
                     platform::recordset_field_number(rows, 2)});
            bills = &looked_up;
        }
        for (const UnpaidBill& bill : *bills) {
            if (settled.contains(bill.number)) continue;
            const Step step = settler.settle(balance, household, bill);
            if (step == Step::Failed) return false;
            if (step == Step::Uncovered) break;
            settled.insert(bill.number);
        }
    }
    return true;
}

std::vector<Turn> households_of(platform::Connection& connection, const QString& sql) {
    std::vector<Turn> turns;
    for (const QString& h : platform::query_column(connection, sql, platform::OnFailure::Quiet))
        turns.push_back({tariffs::half_width(h), std::nullopt});
    return turns;
}

// The households of 预存结余 with a positive balance, in its order, each with its balance. A
// number that half-width conversion changes looks its balance up under the converted number, as
// a turn always does.
std::vector<Turn> per_row_turns(platform::Connection& connection) {
    std::vector<Turn> turns;
    platform::RecordSet rows;
    if (!platform::query_open(
            rows, connection,
            QStringLiteral("select 户号,结余金额 from 预存结余 where (预存金额-已扣金额)>0"),
            platform::OnFailure::Quiet))
        return turns;
    for (; !platform::recordset_eof(rows); platform::recordset_move_next(rows)) {
        const QString number = platform::recordset_field_text(rows, 0);
        const QString h = tariffs::half_width(number);
        std::optional<double> balance;
        if (h == number) balance = platform::recordset_field_number(rows, 1);
        turns.push_back({h, balance});
    }
    return turns;
}

// The run, rebuild included, in one transaction.
template <typename Work>
SettlementOutcome settlement_run(platform::Connection& connection, const shell::RunContext& context,
                                 Work work) {
    SettlementOutcome out;
    Settler settler(connection, context, out);
    if (!settler.active()) {
        out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
        return out;
    }
    out.completed = settler.finish(work(settler, out));
    return out;
}

}  // namespace

SettlementOutcome pay_household_charges_from_prepayment(platform::Connection& connection,
                                                        const QString& household,
                                                        const shell::RunContext& context) {
    return settlement_run(connection, context, [&](Settler& settler, SettlementOutcome& out) {
        const QString h = platform::sql_quote(household);
        const tariffs::BalanceOutcome rebuilt = tariffs::rebuild_prepayment_balances(
            connection,
            QStringLiteral(
                "insert into  预存结余 (户号,预存金额,已扣金额,应扣金额) select 预存明细.户号,"
                "SUM (预存明细.预存金额) as 预存金额,0 as 扣款金额,0 as 应收金额 from 预存明细 "
                "where 预存明细.户号=") +
                h +
                QStringLiteral(" and exists (select 收据号 from 总收费 where 总收费.标志=1 and "
                               "总收费.收费标志=1 and ") +
                tariffs::household_bills_condition(household, QStringLiteral("总收费.户号")) +
                QStringLiteral(") and 预存明细.标志=1 GROUP BY 预存明细.户号"));
        out.messages.insert(out.messages.end(), rebuilt.messages.begin(), rebuilt.messages.end());
        if (!rebuilt.ok) return false;
        return settle_households(
            connection, settler,
            households_of(
                connection,
                QStringLiteral("select 户号 from 预存结余新 where (预存金额-已扣金额)>0")),
            true, context, out);
    });
}

SettlementOutcome pay_all_households_from_prepayments(platform::Connection& connection,
                                                      const shell::RunContext& context) {
    // Only a household with a valid unpaid bill (under its own number or a meter account's) can
    // spend its balance; the others' turns would settle nothing. So the rebuild and the turns
    // take the households with valid prepayments among those owing, found from the unpaid bills
    // alone (their own index), in the order every household's rebuild would list them. A number
    // with characters beyond ASCII is always taken, since its turn is under its half-width form.
    static const QString unpaid =
        QStringLiteral("select 户号 from 总收费 where 收费标志=1 and 标志=1");
    static const QString holders =
        QStringLiteral("from 预存明细 where 标志=1 and (户号 in (") + unpaid +
        QStringLiteral(") or 户号 in (select 父号 from 用户表管理 where 户号 in (") + unpaid +
        QStringLiteral(")) or 户号 glob '*[^ -~]*')");
    // With no such household there is nothing to settle: the look-up is the whole run, with no
    // rebuild and no transaction to wait for. It starts from the unpaid bills, each seeking a
    // prepayment of its household, so it costs what is unpaid, not the register.
    static const QString any_holder = QStringLiteral(
        "select 1 from 总收费 b where b.收费标志=1 and b.标志=1 and (exists (select 1 from "
        "预存明细 "
        "p where p.户号=b.户号 and p.标志=1) or exists (select 1 from 用户表管理 m,预存明细 p "
        "where "
        "m.户号=b.户号 and p.户号=m.父号 and p.标志=1)) union all select 1 from 预存明细 where "
        "标志=1 and 户号 glob '*[^ -~]*' limit 1");
    bool read = false;
    if (!platform::query_exists(connection, any_holder, platform::OnFailure::Quiet, &read) &&
        read) {
        SettlementOutcome out;
        out.completed = true;
        return out;
    }
    static const QString fill =
        QStringLiteral("INSERT INTO 预存结余 (编号,户号,预存金额) select 收据号,户号,预存金额 ") +
        holders + QStringLiteral(" order by rowid");
    return settlement_run(connection, context, [&](Settler& settler, SettlementOutcome& out) {
        const tariffs::BalanceOutcome rebuilt =
            tariffs::recompute_prepay_balances(connection, fill);
        out.messages.insert(out.messages.end(), rebuilt.messages.begin(), rebuilt.messages.end());
        // Balances that a failed rebuild left wrong would spend money that is not there.
        if (!rebuilt.ok) return false;
        const std::vector<Turn> turns = per_row_turns(connection);
        std::optional<BillsByHousehold> bills;
        if (!tariffs::late_fees_charged(context.parameters))
            bills = unpaid_bills_of_balance_holders(connection);
        return settle_households(connection, settler, turns, false, context, out,
                                 bills ? &*bills : nullptr);
    });
}

SettlementOutcome batch_pay_from_prepayments(platform::Connection& connection,
                                             const shell::RunContext& context) {
    if (!shell::check_operator_permission(connection, context.operator_name,
                                          kPrepayDeductionItem)) {
        SettlementOutcome out;
        out.refused = true;
        out.messages.push_back(tariffs::info_message(
            shell::permission_refusal_text(connection, kPrepayDeductionItem)));
        return out;
    }
    return pay_all_households_from_prepayments(connection, context);
}

DeductionRunOutcome execute_prepay_deductions(platform::Connection& connection,
                                              const shell::RunContext& context) {
    DeductionRunOutcome out;
    out.run = batch_pay_from_prepayments(connection, context);
    out.messages = out.run.messages;
    if (!out.run.completed) return out;
    const qint64 carrying = platform::query_integer(
        connection,
        QStringLiteral("select count(*) from 总收费 where 预存扣款>0 and 收费标志=1 and 标志=1"),
        platform::OnFailure::Quiet);
    out.show_shortfall_list = carrying > 0;
    out.messages.push_back(tariffs::info_message(
        out.show_shortfall_list ? kDeductionsDoneWithShortfall : kDeductionsDone));
    return out;
}

}  // namespace charging
