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

// Where the administrator grants the rights, as the menus read.
inline const QString kPermissionsMenuPath =
    QStringLiteral("基本设置 → 操作人员管理 → 操作人员权限设置");
inline const QString kNotAuthorised = QStringLiteral("您没有取得授权！");

// What an operator refused the item reads: "您没有取得授权！", and under it the menu where the
// administrator grants the item, naming the group it is ticked under in that window's tree.
QString permission_refusal_text(platform::Connection& connection, const QString& item);

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
