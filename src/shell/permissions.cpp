#include "shell/permissions.h"

#include "platform/db.h"
#include "shell/session.h"
#include "store/main_database.h"

namespace shell {

bool check_operator_permission(const QString& item) {
    return check_operator_permission(store::main_connection(), current_operator, item);
}

bool check_operator_permission(platform::Connection& connection, const QString& operator_name,
                               const QString& item) {
    if (operator_name == kAdministrator) return true;
    // Both names go in quoted, so a quote in an operator's or item's name is looked up like
    // any other character instead of breaking the statement.
    const QString sql = QStringLiteral("select 权限标识 from 权限管理 where 当前项目=") +
                        platform::sql_quote(item) + QStringLiteral(" and 人员姓名=") +
                        platform::sql_quote(operator_name);
    platform::RecordSet records(connection);
    if (!platform::recordset_open(records, sql) || platform::recordset_record_count(records) == 0) {
        platform::recordset_close(records);
        return false;
    }
    platform::recordset_move_first(records);
    const bool granted = platform::recordset_field_bool(records, 0);
    platform::recordset_close(records);
    return granted;
}

}  // namespace shell
