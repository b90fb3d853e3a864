#pragma once
// Batch charging: the unpaid bills of every household of one meter reader and/or street booked
// as collected by one collector, one serial per household, dated today, without invoice number,
// receipt or sound. The run is one batch scope: each household's late fees and payment go in
// whole or not at all, and a household that fails stops the run with the households before it
// kept. Only bills still unpaid are paid, so a household paid at the counter meanwhile is not
// paid twice.
#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "charging/payments.h"
#include "shell/run_context.h"

namespace platform {
struct Connection;
}

namespace charging {

inline const QString kBatchNeedsReaderOrStreet = QStringLiteral("请选择抄表人员或居住街道！");
inline const QString kBatchNothingToCharge = QStringLiteral("没有待收费的记录！");
inline const QString kBatchDone = QStringLiteral("批量收费完成！");
inline const QString kLogFailed = QStringLiteral("添加日志失败！");
inline const QString kChargingGroup = QStringLiteral("收费管理");

struct BatchRequest {
    QString reader;     // 抄表人员 as chosen
    QString street;     // 居住街道 as typed
    QString collector;  // 收费人员
};

enum class BatchField { None, Reader, Collector };

struct BatchCheck {
    bool ok = false;
    QString message;
    BatchField focus = BatchField::None;
};

// The refusals before the question: no reader and no street, then no collector (blank after
// trimming ASCII and full-width blanks counts as none).
BatchCheck check_batch_request(const BatchRequest& request);
QString batch_confirmation_text(const QString& collector);
// " and 用户表管理.抄表人员='r'" and/or " and 用户信息表.居住街道='s'".
QString batch_condition(const BatchRequest& request);
QString batch_log_remark(const BatchRequest& request);

// The progress window's bar, if there is one.
struct BatchProgress {
    std::function<void(int)> set_maximum;
    std::function<void()> step;
    std::function<void()> reset;
};

// Refills 未收费数据 and returns its distinct household numbers, those with several rows first.
// A failed refill adds the database's text to `messages`, returns no household and leaves
// `refilled` false: the run must not take what the table holds for the truth.
QStringList collect_batch_households(platform::Connection& connection, const BatchRequest& request,
                                     Messages& messages, const BatchProgress& progress = {},
                                     bool* refilled = nullptr);

// What a run committed: counts and serials only of what went in.
struct BatchOutcome {
    int households_charged = 0;
    int bills_paid = 0;
    qint64 first_serial = 0;
    qint64 last_serial = 0;
    bool stopped = false;     // a household failed and the run stopped there
    bool log_failed = false;  // households were charged, but the log row could not be written
    Messages messages;        // the failure, if any
};

// Charges the households in list order: late fees, then every unpaid valid bill of the household
// (its own number's and its meter accounts'), under one coded-rule serial per household. The
// run holds the write lock throughout and takes consecutive serials from the first free one.
// The log row, when given, goes in with the run when it charged a household (one commit).
BatchOutcome batch_charge_unpaid_bills(platform::Connection& connection,
                                       const QStringList& households, const QString& collector,
                                       const shell::RunContext& context,
                                       const BatchProgress& progress = {},
                                       const std::optional<PaymentLog>& log = std::nullopt);

// What settles households from their prepaid balances before the run; set by the prepayment
// subsystem, and run with the batch's own context. Unset: nothing is settled.
std::function<void(const shell::RunContext&)>& batch_pay_from_prepayments_hook();

// "批量收费未完成！已收费N户。": the last word of a run that stopped on a failure.
QString batch_stopped_text(int households_charged);

struct BatchRunOutcome {
    bool charged = false;  // households were charged and committed (the log row was attempted)
    BatchOutcome batch;
    Messages messages;  // in order: refill failure, stop reason, log failure, then the last word
};

// The run after the confirmation: the prepayment settlement, the household list, the charging,
// the log row and the closing message. A request without reader and street (blank after
// trimming) is refused here as well; a failed refill or run is reported with the database's
// text, never with "批量收费完成！".
BatchRunOutcome run_batch_charging(platform::Connection& connection, const BatchRequest& request,
                                   const shell::RunContext& context,
                                   const BatchProgress& progress = {});

}  // namespace charging
