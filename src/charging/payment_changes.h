#pragma once
// Changing a payment after it was taken: voiding the whole payment of a serial (its bills back
// to unpaid, a void row recording it) and editing one paid bill of it. Both are for the
// administrator and for the collector who took the payment. A void moves money: it runs in
// one transaction, so a failure leaves the payment exactly as it was.
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

#include "platform/messages.h"
#include "shell/run_context.h"

namespace platform {
struct Connection;
}

namespace charging {

// ---- the serial of the selected list row ----
struct SelectedSerial {
    enum class State { Empty, NotSerial, Serial } state = State::Empty;
    qint64 serial = 0;
};
// The cell of the serial column: empty, not a serial in display form, or the serial.
SelectedSerial selected_serial(const QString& cell);

// ---- who may change a payment ----
// Empty when the operator may void or edit the payment: the administrator always; anybody
// else only when the first bill of the serial names them as collector. `refusal` is the
// action's own wording; a serial without any row gives `missing`.
QString payment_owner_refusal(platform::Connection& connection, qint64 serial,
                              const QString& operator_name, const QString& refusal,
                              const QString& missing);

// ---- void ----
inline const QString kVoidNotOwner = QStringLiteral("只有管理员或该条记录的收费人员才能作废。");
inline const QString kVoidNoCollector = QStringLiteral("取收费人员失败！");
inline const QString kAlreadyVoided = QStringLiteral("该流水号的收费记录已经作废！");

// The checks before the question: who may void, and whether anything of the serial is left
// to void (a serial whose only row is its void row is refused). Empty: go on.
QString void_refusal(platform::Connection& connection, qint64 serial, const QString& operator_name);
// "确定作废流水号为【<cell>】的记录吗？"
QString void_question(const QString& cell);

struct VoidOutcome {
    bool done = false;
    platform::Messages messages;  // "作废成功！", or "添加日志失败！", or what failed
};
// Returns every paid valid bill of the serial to unpaid (收费标志 1, 流水号 0, no collector),
// clears the serial from their readings and adds the void row (户号, date, collector and
// invoice of the first bill, the sum of 实收金额, the serial, 标志 2), all in one transaction
// that holds the write lock from its start; then writes the log row. A serial with no paid bill
// left is refused (kAlreadyVoided); bills that changed under the void roll it back whole.
VoidOutcome void_payment(platform::Connection& connection, qint64 serial,
                         const shell::RunContext& context);

// ---- edit ----
inline const QString kEditNotOwner = QStringLiteral("只有管理员或该条记录的收费人员才能修改！");
inline const QString kEditVoided = QStringLiteral("此收据已经作废不能修改！");
inline const QString kLookupFailed = QStringLiteral("查找失败！");

// The checks of 修改 for the serial: owner, then a void row. Empty: the window may open.
QString edit_refusal(platform::Connection& connection, qint64 serial, const QString& operator_name);

// One bill as the edit window shows it.
struct ChargeRecordFields {
    qint64 bill_number = 0;  // 收据号
    double cost = 0;         // 成本金额
    double received = 0;     // 实收金额
    double billed = 0;       // 应收金额
    double prepaid = 0;      // 预存扣款
    double carry_over = 0;   // 本月接转
    QString collector;       // 收费人员
    QDateTime date;          // 收费日期
};
// The bills of a serial in 收据号 order; ok false when the statement failed.
QList<ChargeRecordFields> serial_charge_records(platform::Connection& connection, qint64 serial,
                                                bool* ok = nullptr);
// A valid paid bill by its number; none when there is no such bill (ok false: the statement
// failed).
std::optional<ChargeRecordFields> paid_charge_record(platform::Connection& connection,
                                                     qint64 bill_number, bool* ok = nullptr);
// The collectors the edit window offers for a bill: every operator but the administrator, or
// "预存扣款" alone for a bill paid from a balance.
QStringList edit_collector_choices(platform::Connection& connection, const QString& collector);

// The bill the edit window holds, set when a bill is loaded and read by its save.
extern qint64 edited_bill_number;
extern double edited_bill_original_received;
extern QString edited_bill_original_collector;

struct ChargeEditRequest {
    qint64 bill_number = 0;
    QString received;                           // 实收 as typed: must be a number
    QString carry_over, cost, billed, prepaid;  // read as numbers, empty or no number is 0
    QString collector;
    QDate date;
    double original_received = 0;
    QString original_collector;
};
struct ChargeEditOutcome {
    bool done = false;            // written: the window closes
    platform::Messages messages;  // "添加日志失败！" and "修改成功！"; nothing when not written
};
// Writes the bill's amounts, collector and date (one statement, one bill) and its log row.
// A 实收 that is no number, or no bill loaded, writes nothing and says nothing.
ChargeEditOutcome save_charge_record_edit(platform::Connection& connection,
                                          const ChargeEditRequest& request,
                                          const shell::RunContext& context);

}  // namespace charging
