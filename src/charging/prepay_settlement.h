#pragma once
// Settling unpaid bills from prepaid balances: a settled bill is paid with no cash taken
// (收费标志 0, 实收金额 0, its former 实收金额 added to 预存扣款, collector "预存扣款", today,
// a serial of its own by the coded rule, the same serial on its readings). A household's bills
// (its own number's and its meter accounts') are settled whole, in the order the database
// returns them, until the first one its running balance cannot cover. A household (by its
// half-width number) takes one turn per run, however many spellings of its number its
// prepayments are stored under.
//
// A run, its balance rebuild included, is one transaction and all or nothing: a failed rebuild
// or statement, a taken serial, or a bill found no longer unpaid when it is written rolls back
// every bill of the run, and the run says why.
#include <QDate>
#include <QString>
#include <vector>

#include "charging/payments.h"
#include "shell/run_context.h"

namespace platform {
struct Connection;
}

namespace charging {

inline const QString kPrepaidCollector = QStringLiteral("预存扣款");
// The permission item of settling every household (the balance page and batch charging).
inline const QString kPrepayDeductionItem = QStringLiteral("预存扣款");
// A bill of the run was paid meanwhile (another window or program): nothing of the run stays.
inline const QString kPrepaidBillsChanged = QStringLiteral("该用户的收费记录已被修改,请重新查询！");
inline const QString kDeductionsDone = QStringLiteral("操作完成!");
inline const QString kDeductionsDoneWithShortfall =
    QStringLiteral("操作完成!\r\n以下是余额不足的用户请查看!");

struct SettledBill {
    qint64 bill_number = 0;  // 收据号
    qint64 serial = 0;       // 流水号
    double amount = 0;       // the 实收金额 moved into 预存扣款
};

struct SettlementOutcome {
    bool completed = false;  // ran to its end and committed (false: refused, or nothing stays)
    bool refused = false;    // the operator lacks 预存扣款
    std::vector<SettledBill> settled;  // what the committed run settled
    Messages messages;                 // the refusal or the failure, in order
};

// One household right after a prepayment: the grouped balance rebuild over the household's
// valid prepayments (counted only while one of its bills is valid and unpaid), then its bills.
// No message on success. Inside the caller's transaction when it has one (a new prepayment).
SettlementOutcome pay_household_charges_from_prepayment(platform::Connection& connection,
                                                        const QString& household,
                                                        const shell::RunContext& context);

// Every household with valid prepayments and a positive balance: the per-row rebuild, then
// per household its bills. No permission check and no closing message.
SettlementOutcome pay_all_households_from_prepayments(platform::Connection& connection,
                                                      const shell::RunContext& context);

// Batch charging's settlement before it charges: the permission 预存扣款 (of the context's
// operator), then the run above.
SettlementOutcome batch_pay_from_prepayments(platform::Connection& connection,
                                             const shell::RunContext& context);

struct DeductionRunOutcome {
    SettlementOutcome run;
    // After a complete run: some valid unpaid bill already carries a prepaid part, so the
    // balance page lists the households with an amount due (after the messages).
    bool show_shortfall_list = false;
    Messages messages;  // the refusal or failure, else the closing message
};

// The balance page's 执行扣款: permission, the run, then "操作完成!" (with the shortfall line
// when a valid unpaid bill carries a prepaid part) only when the run was committed; otherwise
// its failure, with the database's text.
DeductionRunOutcome execute_prepay_deductions(platform::Connection& connection,
                                              const shell::RunContext& context);

}  // namespace charging
