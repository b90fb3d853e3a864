#pragma once
// The operation log: one row of 日志管理 per logged action (who, when, group, item, remark).
#include <QDateTime>
#include <QString>

namespace shell {

// Inserts one row into 日志管理 on the main connection: 操作人员 is current_operator trimmed,
// 发生时间 the clock read once (to the second), then the three texts. Single quotes in the
// remark become blanks, so a remark never carries a quote. Shows no message; returns false
// when the row could not be written, and the caller shows "添加日志失败！".
bool write_operation_log(const QString& parent_item, const QString& current_item,
                         const QString& remark);

// The time text of a log row: year-month-day hour:minute:second without leading zeros
// (2012-9-8 7:5:3).
QString log_time_text(const QDateTime& moment);

}  // namespace shell
