#pragma once
// Late fees of unpaid bills, recomputed from today's date whenever a household's unpaid bills
// are about to be shown or paid.
#include <QDate>
#include <QString>

#include "shell/system_parameters.h"

namespace platform {
struct Connection;
}

namespace tariffs {

// Whether late fees are charged at all: when not, recomputing them changes no bill.
bool late_fees_charged(const shell::SystemParameters& parameters);

// The late fee of a bill dated `bill_date` with `outstanding` still owed, as of `today`,
// rounded to the fen: 0 when late fees are off or the bill is not overdue; per mille per
// overdue day of the outstanding amount ("按利率"), or a fixed amount per overdue month
// ("固定金额"). The due day is 滞纳金结算日期 of the bill's own month, or its last day.
double compute_late_fee(const QDate& bill_date, double outstanding,
                        const shell::SystemParameters& parameters, const QDate& today);

struct LateFeeOutcome {
    int bills_updated = 0;
    int failures = 0;  // updates that failed; those bills keep their values
    QString error;     // the database's text of the last failure
};

// Recomputes the unpaid valid bills of the household's meter accounts (in the order 用户表管理
// returns them), then of the household itself, each number's bills in 收据号 order. A bill
// with a fee gets 滞纳金, 实收金额 = the amount due rounded by the rounding rule (应收 − 减免金额
// + fee − 上月接转 − 预存扣款), and 本月接转 = rounded − exact, which the next bill with a fee of
// the same run takes as its 上月接转. A granted reduction stays granted.
LateFeeOutcome apply_late_fees_to_unpaid_charges(platform::Connection& connection,
                                                 const QString& household,
                                                 const shell::SystemParameters& parameters,
                                                 const QDate& today);

}  // namespace tariffs
