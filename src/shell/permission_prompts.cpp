#include "shell/permission_prompts.h"

#include "platform/dialogs.h"
#include "shell/session.h"

namespace shell {

bool require_permission(const QString& item) {
    if (check_operator_permission(item)) return true;
    platform::message_box(QStringLiteral("您没有取得授权！"), platform::kDefaultCaption,
                          platform::MsgIcon::Information);
    return false;
}

bool require_administrator() {
    if (current_operator == kAdministrator) return true;
    platform::message_box(QStringLiteral("只有管理员才能进入！"), platform::kDefaultCaption,
                          platform::MsgIcon::Information);
    return false;
}

}  // namespace shell
