#pragma once
// The refusals the guarded handlers show: the permission check of permissions.h with its
// message box.
#include <QString>

#include "shell/permissions.h"

namespace shell {

// The refusal every guarded handler makes: check_operator_permission, and when it refuses,
// "您没有取得授权！" with where the right is granted (information icon). Returns whether the
// action may go on.
bool require_permission(const QString& item);

// The rule of the administrator-only entries: true for "管理员"; otherwise shows
// "只有管理员才能进入！" (information icon) and returns false.
bool require_administrator();

}  // namespace shell
