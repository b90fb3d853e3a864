#include "shell/permission_prompts.h"

#include "platform/dialogs.h"
#include "shell/session.h"
#include "store/main_database.h"

namespace shell {

bool require_permission(const QString& item) {
    if (check_operator_permission(item)) return true;
    platform::message_box(permission_refusal_text(store::main_connection(), item),
                          platform::kDefaultCaption, platform::MsgIcon::Information);
    return false;
}

bool require_administrator() {
    if (current_operator == kAdministrator) return true;
    platform::message_box(QStringLiteral("只有管理员才能进入！"), platform::kDefaultCaption,
                          platform::MsgIcon::Information);
    return false;
}

}  // namespace shell
