#include "shell/operation_log.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "shell/run_context.h"
#include "store/main_database.h"

namespace shell {

QString log_time_text(const QDateTime& moment) {
    const QDate d = moment.date();
    const QTime t = moment.time();
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second());
}

bool write_operation_log(platform::Connection& connection, const RunContext& context,
                         const QString& parent_item, const QString& current_item,
                         const QString& remark) {
    QString safe_remark = remark;
    safe_remark.replace(QLatin1Char('\''), QLatin1Char(' '));
    const QString operator_name = platform::text_trim(context.operator_name);
    const QString time_text = log_time_text(context.now);
    const QString sql =
        QStringLiteral("insert into 日志管理 (操作人员,发生时间,上级项目,当前项目,备注) values (") +
        platform::sql_quote(operator_name) + QLatin1Char(',') + platform::sql_quote(time_text) +
        QLatin1Char(',') + platform::sql_quote(parent_item) + QLatin1Char(',') +
        platform::sql_quote(current_item) + QLatin1Char(',') + platform::sql_quote(safe_remark) +
        QLatin1Char(')');
    return platform::db_execute(connection, sql);
}

bool write_operation_log(const QString& parent_item, const QString& current_item,
                         const QString& remark) {
    return write_operation_log(store::main_connection(), program_context(), parent_item,
                               current_item, remark);
}

}  // namespace shell
