#pragma once
// The late-fee rule as the office sets it: whether late fees are charged, fixed amount per
// overdue month or per mille per overdue day, the value, and the day of the month after which a
// bill is late. Four pz rows, written together; the charge engine reads them back through the
// loaded system parameters.
#include <QString>
#include <QStringList>

#include "platform/messages.h"
#include "shell/run_context.h"
#include "shell/system_parameters.h"

namespace platform {
struct Connection;
}

namespace charging {

inline const QString kLateFeeOn = QStringLiteral("开启");
inline const QString kLateFeeOff = QStringLiteral("关闭");
inline const QString kLateFeeFixedAmount = QStringLiteral("固定金额");
inline const QString kLateFeeByRate = QStringLiteral("按利率");
inline const QString kLateFeeLastDay = QStringLiteral("每月最后一天");
inline const QString kLateFeeSaved = QStringLiteral("保存成功！");

// The day choices: "1" to "28", then "每月最后一天".
QStringList late_fee_day_items();
// The position of a stored 滞纳金结算日期 among those choices: the last one for "每月最后一天",
// else the text's number less one; -1 when that is no position of the list.
int late_fee_day_index(const QString& stored_day);
// The caption of the value and of its unit for a method ("固定金额" or anything else).
QString late_fee_value_caption(const QString& method);
QString late_fee_unit_caption(const QString& method);
// The value as stored: the number the text starts with in its shortest decimal form ("1.50"
// gives "1.5"; a text that is no number gives "0").
QString late_fee_value_text(const QString& typed);

// What the window shows and saves.
struct LateFeeForm {
    QString state;      // "开启" or "关闭"
    QString method;     // "固定金额" or "按利率"
    QString value;      // as typed
    QString start_day;  // the chosen day text, "" when none is chosen
};

// The form as the loaded parameters give it: anything but "开启" reads as "关闭", anything
// but "固定金额" as "按利率".
LateFeeForm late_fee_form_from(const shell::SystemParameters& parameters);

struct LateFeeSaveOutcome {
    bool done = false;
    platform::Messages messages;  // in order: the log failure, then "保存成功！"; or the failure
    // After a save: the context's parameters with pz read again, for the caller to put in force.
    shell::SystemParameters parameters;
};

// Writes the four rows in one transaction (a failing statement keeps none of them and its
// text is the message), reads the parameters back and writes the log row.
LateFeeSaveOutcome save_late_fee_settings(platform::Connection& connection, const LateFeeForm& form,
                                          const shell::RunContext& context);

}  // namespace charging
