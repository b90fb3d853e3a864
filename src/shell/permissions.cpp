#include "shell/permissions.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
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

QString permission_refusal_text(platform::Connection& connection, const QString& item) {
    const QString name = platform::text_trim(item);
    const QString group = platform::text_trim(platform::query_text(
        connection,
        QStringLiteral("select 父项目 from 权限项目 where 项目名称=") + platform::sql_quote(name),
        platform::OnFailure::Quiet));
    const QString what = group.isEmpty() || group == name
                             ? QStringLiteral("“%1”").arg(name)
                             : QStringLiteral("“%1”下的“%2”").arg(group, name);
    return kNotAuthorised +
           QStringLiteral("\n请管理员在菜单“%1”中为您勾选%2。").arg(kPermissionsMenuPath, what);
}

}  // namespace shell
