#pragma once
// The permission check: may the logged-in operator do what a permission item guards?
// The administrator "管理员" may do everything; anybody else needs a granted row of 权限管理
// (当前项目 the item, 人员姓名 the operator, 权限标识 1).
#include <QString>

namespace platform {
struct Connection;
}

namespace shell {

inline const QString kAdministrator = QStringLiteral("管理员");

// True for "管理员" without reading the database; otherwise the 权限标识 of the first
// 权限管理 row for the item and current_operator, read through the main window's first
// record set (left closed). No row, or a statement that cannot run, refuses. Shows no message
// of its own.
bool check_operator_permission(const QString& item);
// The same for a named operator through the caller's connection: the routines that run with a
// context of their own.
bool check_operator_permission(platform::Connection& connection, const QString& operator_name,
                               const QString& item);

}  // namespace shell
