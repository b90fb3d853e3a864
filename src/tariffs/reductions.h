#pragma once
// Reductions that cover a household's readings completely: the four passes over the reduction
// settings (减免设置) that write a reduction record (减免明细) and mark the covered readings
// billed under a receipt number of their own, so that the engine leaves them alone.
#include <QDate>
#include <QString>

#include "tariffs/bills.h"

namespace platform {
struct Connection;
}

namespace tariffs {

struct ReductionRunOutcome {
    int applied = 0;    // reduction records written
    Messages messages;  // failures, in order
};

// Full permanent, partial permanent, full count-limited, partial count-limited, in this order.
// The in-use count of a "次数" setting is taken when its pass reads the settings, so one run
// adds at most one record per such setting. Records are dated `today`.
ReductionRunOutcome apply_all_reductions(platform::Connection& connection, const QDate& today);

// Applies one reduction to the readings described by `record` (the input record below):
// "全部减免" always; "部分减免" "按金额" when `amount` covers field 10, "按用量" when `quantity`
// covers field 14. Marks the readings (是否收费 1, the new 收据号) and writes the reduction
// record dated `today`, all or nothing. 1 when written, 0 when it does not apply or a write failed
// (the message goes to `messages`).
int apply_reduction_record(platform::Connection& connection, const QString& record, double amount,
                           const QString& mode, const QString& type, qint64 quantity,
                           const QDate& today, Messages* messages = nullptr);

// A household's reduction input record: "|"-separated fields, at least 15; field 2 and 14 the
// billable quantity, 10 the amount the engine would charge (应收 over every fee item), 12 the
// reading 编号 joined by "%", 13 the household number. Empty when the household has no reading
// the engine would bill.
QString build_reduction_input_record(platform::Connection& connection, const QString& household,
                                     const QDate& today);

}  // namespace tariffs
