#pragma once
// The operation log: one row of 日志管理 per logged action (who, when, group, item, remark).
#include <QDateTime>
#include <QString>

namespace platform {
struct Connection;
}

namespace shell {

struct RunContext;

// Inserts one row into 日志管理 through the action's own connection, so the row goes in with
// the action inside its transaction when it has one: 操作人员 is the context's operator
// trimmed, 发生时间 its moment (to the second), then the three texts. Single quotes in the
// remark become blanks, so a remark never carries a quote. Shows no message; returns false
// when the row could not be written, and the caller shows "添加日志失败！".
bool write_operation_log(platform::Connection& connection, const RunContext& context,
                         const QString& parent_item, const QString& current_item,
                         const QString& remark);
// The same on the main connection for the logged-in operator at the program's clock, for the
// windows' own actions (login, settings) that have no context of their own.
bool write_operation_log(const QString& parent_item, const QString& current_item,
                         const QString& remark);

// The time text of a log row: year-month-day hour:minute:second without leading zeros
// (2012-9-8 7:5:3).
QString log_time_text(const QDateTime& moment);

}  // namespace shell
