#include "charging/prepay_settlement.h"

#include <memory>
#include <set>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/prepared.h"
#include "platform/query.h"
#include "shell/permissions.h"
#include "shell/system_parameters.h"
#include "store/batch_scope.h"
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

// A run of settlements in one batch scope: the decisions (coverage, running balance, serial)
// are made as the bills are read, the two updates of each settled bill are one row of the
// scope, so each bill goes in whole or not at all and a failing bill ends the run with the
// bills before it kept. Nothing but this run writes 流水号 while it holds its transaction, so
// after the first allocation (the largest stored plus one, tested) the next free serial is the
// last one plus one.
class Settler {
public:
    Settler(platform::Connection& connection, const QDate& today, SettlementOutcome& out)
        : connection_(connection),
          out_(out),
          scope_(connection),
          today_(platform::date_storage_text(today)),
          digits_(shell::system_parameters.payment_serial_digits),
          statements_(std::make_shared<Statements>(connection)) {}

    bool active() const { return scope_.active(); }

    // Queues the bill when the running balance covers it. Uncovered ends the household's turn,
    // Failed the run.
    Step settle(double& balance, const UnpaidBill& bill) {
        if (balance - bill.to_collect < -platform::kMoneyTolerance) return Step::Uncovered;
        if (!statements_->bill.ok() || !statements_->readings.ok()) {
            out_.messages.push_back(tariffs::plain_message(platform::db_last_error(connection_)));
            return Step::Failed;
        }
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
        last_serial_ = serial;
        balance -= bill.to_collect;
        const SettledBill settled{bill.number, serial, bill.to_collect};
        const double prepaid = bill.prepaid + bill.to_collect;
        auto work = [statements = statements_, settled, prepaid,
                     today = today_](platform::Connection&) {
            statements->bill.bind_number(1, prepaid);
            statements->bill.bind_text(2, kPrepaidCollector);
            statements->bill.bind_text(3, today);
            statements->bill.bind_integer(4, settled.serial);
            statements->bill.bind_integer(5, settled.bill_number);
            statements->readings.bind_integer(1, settled.serial);
            statements->readings.bind_integer(2, settled.bill_number);
            return statements->bill.execute() && statements->readings.execute();
        };
        if (!scope_.add(work, [this, settled] { out_.settled.push_back(settled); })) {
            failed_in_scope_ = true;
            return Step::Failed;
        }
        return Step::Settled;
    }

    // Writes the queued bills now, so that the next reads see them paid; false when one failed.
    bool catch_up() {
        if (scope_.apply_pending()) return true;
        failed_in_scope_ = true;
        return false;
    }

    // Applies what is queued and commits: false when a bill or the commit failed.
    bool finish(bool stopped) {
        const bool ok = scope_.finish(stopped);
        if (!ok && (failed_in_scope_ || !stopped)) {
            out_.messages.push_back(tariffs::plain_message(scope_.error()));
            if (scope_.rows_applied() == 0) out_.settled.clear();
        }
        return ok;
    }

private:
    struct Statements {
        explicit Statements(platform::Connection& connection)
            : bill(connection,
                   "update 总收费 set 收费标志=0,实收金额=0,预存扣款=?,收费人员=?,收费日期=?,"
                   "流水号=? where 收据号=?"),
              readings(connection, "update 抄表总表 set 流水号=? where 收据号=?") {}
        platform::SqliteStatement bill;
        platform::SqliteStatement readings;
    };

    platform::Connection& connection_;
    SettlementOutcome& out_;
    store::BatchScope scope_;
    QString today_;
    int digits_;
    std::shared_ptr<Statements> statements_;
    qint64 last_serial_ = 0;
    bool failed_in_scope_ = false;
};

// The households' turns: each one's balance as the rebuild left it, its late fees brought up to
// date, then its bills until one is not covered. False when a failure ended the run.
bool settle_households(platform::Connection& connection, Settler& settler,
                       const QStringList& households, bool grouped, const QDate& today,
                       SettlementOutcome& out) {
    // Households whose turn came already. When one number begins with another, their prefix
    // matches share bills: what the earlier turn settled must be written before the later one
    // brings late fees up to date and reads its unpaid bills.
    std::set<QString> served;
    const auto shares_bills = [&served](const QString& household) {
        for (qsizetype k = 1; k <= household.size(); ++k)
            if (served.count(household.left(k))) return true;
        const auto longer = served.lower_bound(household);
        return longer != served.end() && longer->startsWith(household);
    };
    for (const QString& household : households) {
        if (!grouped && shares_bills(household) && !settler.catch_up()) return false;
        served.insert(household);
        double balance = grouped ? tariffs::grouped_balance_of(connection, household)
                                 : tariffs::per_row_balance_of(connection, household);
        tariffs::apply_late_fees_to_unpaid_charges(connection, household, shell::system_parameters,
                                                   today);
        const QString which =
            grouped ? QStringLiteral("户号=") + platform::sql_quote(household)
                    : QStringLiteral("户号 like ") + platform::sql_quote(household + u'%');
        platform::RecordSet bills;
        if (!platform::query_open(
                bills, connection,
                QStringLiteral("select 实收金额,收据号,预存扣款 from 总收费  where ") + which +
                    QStringLiteral(" and 标志=1 and 收费标志=1"),
                platform::OnFailure::Quiet)) {
            out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
            return false;
        }
        for (; !platform::recordset_eof(bills); platform::recordset_move_next(bills)) {
            const UnpaidBill bill{platform::recordset_field_number(bills, 0),
                                  static_cast<qint64>(platform::recordset_field_number(bills, 1)),
                                  platform::recordset_field_number(bills, 2)};
            const Step step = settler.settle(balance, bill);
            if (step == Step::Failed) return false;
            if (step == Step::Uncovered) break;
        }
    }
    return true;
}

QStringList households_of(platform::Connection& connection, const QString& sql) {
    QStringList households;
    for (const QString& h : platform::query_column(connection, sql, platform::OnFailure::Quiet))
        households << tariffs::half_width(h);
    return households;
}

// The run in one batch scope; the bills settled before a failure are kept.
template <typename Work>
SettlementOutcome settlement_run(platform::Connection& connection, const QDate& today, Work work) {
    SettlementOutcome out;
    Settler settler(connection, today, out);
    if (!settler.active()) {
        out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
        return out;
    }
    const bool ran = work(settler, out);
    out.completed = settler.finish(!ran) && ran;
    return out;
}

}  // namespace

SettlementOutcome pay_household_charges_from_prepayment(platform::Connection& connection,
                                                        const QString& household,
                                                        const QDate& today) {
    return settlement_run(connection, today, [&](Settler& settler, SettlementOutcome& out) {
        const QString h = platform::sql_quote(household);
        const tariffs::BalanceOutcome rebuilt = tariffs::rebuild_prepayment_balances(
            connection,
            QStringLiteral(
                "insert into  预存结余 (户号,预存金额,已扣金额,应扣金额) select 预存明细.户号,"
                "SUM (预存明细.预存金额) as 预存金额,0 as 扣款金额,0 as 应收金额 from 预存明细 "
                "where 预存明细.户号 in (select 户号 from 总收费 where 总收费.标志=1 and "
                "总收费.收费标志=1 and 总收费.户号=") +
                h + QStringLiteral(") and 预存明细.标志=1 GROUP BY 预存明细.户号"));
        out.messages.insert(out.messages.end(), rebuilt.messages.begin(), rebuilt.messages.end());
        if (!rebuilt.ok) return false;
        return settle_households(
            connection, settler,
            households_of(
                connection,
                QStringLiteral("select 户号 from 预存结余新 where (预存金额-已扣金额)>0")),
            true, today, out);
    });
}

SettlementOutcome pay_all_households_from_prepayments(platform::Connection& connection,
                                                      const QDate& today) {
    return settlement_run(connection, today, [&](Settler& settler, SettlementOutcome& out) {
        const tariffs::BalanceOutcome rebuilt = tariffs::recompute_prepay_balances(
            connection, QStringLiteral("INSERT INTO 预存结余 (编号,户号,预存金额) select "
                                       "收据号,户号,预存金额 from 预存明细 where 标志=1"));
        out.messages.insert(out.messages.end(), rebuilt.messages.begin(), rebuilt.messages.end());
        return settle_households(
            connection, settler,
            households_of(connection,
                          QStringLiteral("select 户号 from 预存结余 where (预存金额-已扣金额)>0")),
            false, today, out);
    });
}

SettlementOutcome batch_pay_from_prepayments(platform::Connection& connection, const QDate& today) {
    if (!shell::check_operator_permission(kPrepayDeductionItem)) {
        SettlementOutcome out;
        out.refused = true;
        out.messages.push_back(tariffs::info_message(kNotAuthorised));
        return out;
    }
    return pay_all_households_from_prepayments(connection, today);
}

DeductionRunOutcome execute_prepay_deductions(platform::Connection& connection,
                                              const QDate& today) {
    DeductionRunOutcome out;
    out.run = batch_pay_from_prepayments(connection, today);
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
