#include "charging/prepay_settlement.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "shell/permissions.h"
#include "shell/system_parameters.h"
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

// Settles one bill from the running balance, or leaves it when the balance falls short. The
// bill row and its readings go in together or not at all.
Step settle_bill(platform::Connection& connection, double& balance, const UnpaidBill& bill,
                 const QDate& today, int digits, SettlementOutcome& out) {
    if (balance - bill.to_collect < -platform::kMoneyTolerance) return Step::Uncovered;
    platform::Transaction transaction(connection);
    if (!transaction.active()) {
        out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
        return Step::Failed;
    }
    const SerialOutcome serial = allocate_payment_serial(connection, SerialRule::Coded, digits);
    if (!serial.ok) {
        out.messages.insert(out.messages.end(), serial.messages.begin(), serial.messages.end());
        return Step::Failed;
    }
    const QString bill_sql =
        QStringLiteral("update 总收费 set 收费标志=0,实收金额=0,预存扣款=") +
        platform::sql_number(bill.prepaid + bill.to_collect) + QStringLiteral(",收费人员=") +
        platform::sql_quote(kPrepaidCollector) + QStringLiteral(",收费日期=") +
        platform::date_to_sql_literal(today) + QStringLiteral(",流水号=") +
        QString::number(serial.serial) + QStringLiteral(" where 收据号=") +
        QString::number(bill.number);
    if (!platform::db_execute(connection, bill_sql) ||
        !platform::db_execute(connection, readings_serial_statement(serial.serial, bill.number)) ||
        !transaction.commit()) {
        out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
        return Step::Failed;
    }
    out.settled.push_back({bill.number, serial.serial, bill.to_collect});
    balance -= bill.to_collect;
    return Step::Settled;
}

// The households' turns: each one's balance as the rebuild left it, its late fees brought up to
// date, then its bills until one is not covered. False when a failure ended the run.
bool settle_households(platform::Connection& connection, const QStringList& households,
                       bool grouped, const QDate& today, SettlementOutcome& out) {
    const int digits = shell::system_parameters.payment_serial_digits;
    for (const QString& household : households) {
        double balance = grouped ? tariffs::grouped_balance_of(connection, household)
                                 : tariffs::per_row_balance_of(connection, household);
        tariffs::apply_late_fees_to_unpaid_charges(connection, household,
                                                   shell::system_parameters, today);
        const QString which =
            grouped ? QStringLiteral("户号=") + platform::sql_quote(household)
                    : QStringLiteral("户号 like ") + platform::sql_quote(household + u'%');
        bool ok = true;
        const QList<QStringList> rows = platform::query_rows(
            connection,
            QStringLiteral("select 实收金额,收据号,预存扣款 from 总收费  where ") + which +
                QStringLiteral(" and 标志=1 and 收费标志=1"),
            platform::OnFailure::Quiet, &ok);
        if (!ok) {
            out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
            return false;
        }
        for (const QStringList& row : rows) {
            const UnpaidBill bill{platform::to_number(row.value(0)), row.value(1).toLongLong(),
                                  platform::to_number(row.value(2))};
            const Step step = settle_bill(connection, balance, bill, today, digits, out);
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

// The run inside one transaction; the bills settled before a failure are kept.
template <typename Work>
SettlementOutcome in_one_transaction(platform::Connection& connection, Work work) {
    SettlementOutcome out;
    platform::Transaction transaction(connection);
    if (!transaction.active()) {
        out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
        return out;
    }
    out.completed = work(out);
    if (!transaction.commit()) {
        out.completed = false;
        out.settled.clear();
        out.messages.push_back(tariffs::plain_message(platform::db_last_error(connection)));
    }
    return out;
}

}  // namespace

SettlementOutcome pay_household_charges_from_prepayment(platform::Connection& connection,
                                                        const QString& household,
                                                        const QDate& today) {
    return in_one_transaction(connection, [&](SettlementOutcome& out) {
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
            connection,
            households_of(connection,
                          QStringLiteral("select 户号 from 预存结余新 where (预存金额-已扣金额)>0")),
            true, today, out);
    });
}

SettlementOutcome pay_all_households_from_prepayments(platform::Connection& connection,
                                                      const QDate& today) {
    return in_one_transaction(connection, [&](SettlementOutcome& out) {
        const tariffs::BalanceOutcome rebuilt = tariffs::recompute_prepay_balances(
            connection, QStringLiteral("INSERT INTO 预存结余 (编号,户号,预存金额) select "
                                       "收据号,户号,预存金额 from 预存明细 where 标志=1"));
        out.messages.insert(out.messages.end(), rebuilt.messages.begin(), rebuilt.messages.end());
        return settle_households(
            connection,
            households_of(connection,
                          QStringLiteral("select 户号 from 预存结余 where (预存金额-已扣金额)>0")),
            false, today, out);
    });
}

SettlementOutcome batch_pay_from_prepayments(platform::Connection& connection,
                                             const QDate& today) {
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
        QStringLiteral(
            "select count(*) from 总收费 where 预存扣款>0 and 收费标志=1 and 标志=1"),
        platform::OnFailure::Quiet);
    out.show_shortfall_list = carrying > 0;
    out.messages.push_back(tariffs::info_message(out.show_shortfall_list
                                                     ? kDeductionsDoneWithShortfall
                                                     : kDeductionsDone));
    return out;
}

}  // namespace charging
