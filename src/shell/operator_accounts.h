#pragma once
// Adding and modifying an operator (收费员) with the grant rows (权限管理) that follow its name:
// the rules of the operator form, without the form. The form hands over its name and password
// as typed; the outcome says whether the form closes, which box gets the focus after a
// refusal, and the boxes to show, in order.
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "platform/db.h"
#include "platform/messages.h"
#include "shell/permissions.h"

namespace shell {

enum class OperatorField { None, Name, Password };

struct OperatorSaveOutcome {
    bool saved = false;
    bool close_form = false;  // the form is done (after a save, and after a failed rename)
    OperatorField focus = OperatorField::None;
    platform::Messages messages;
};

// A new operator (name trimmed, the password's MD5) with a grant row, not granted, for every
// permission item that is not a group header (权限项目 首项=0), all or nothing. Refused: an empty
// name ("操作人员不能为空！"), an empty password ("密码不能为空！"), a name in use
// ("待添加的操作人员名称重复!"). A failed insert of the operator gives the database's text; a
// failed grant row "写入权限项目失败！"; both keep the form open.
OperatorSaveOutcome add_operator(platform::Connection& connection, const QString& typed_name,
                                 const QString& password, bool may_log_in);

// Renames the operator `name_before` (and its grant rows, in the same step) and replaces its
// password and login permission. The same refusals; its own name (in any letter case) is no
// duplicate. On success "修改成功!", on failure the database's text; the form closes either way.
OperatorSaveOutcome modify_operator(platform::Connection& connection, const QString& name_before,
                                    const QString& typed_name, const QString& password,
                                    bool may_log_in);

// What a delete, a password change or a save of grants did: done, and the boxes to show.
struct OperatorWriteOutcome {
    bool done = false;
    bool clear_password_boxes = false;  // the three boxes of the password form start again
    platform::Messages messages;
};

// Deletes the operator and its grant rows together, logs it and says "删除操作人员【n】成功！";
// on failure nothing is deleted and the database's text is the message.
OperatorWriteOutcome delete_operator(platform::Connection& connection, const QString& name);

// The logged-in operator changes the password: refused for an empty new password
// ("密码不能为空！"), two typings that differ ("两次密码不相符，请重新输入！", the boxes cleared)
// and an old password that is not the stored one ("旧密码没有被确认！"). Stores the new password's
// MD5.
OperatorWriteOutcome change_operator_password(platform::Connection& connection,
                                              const QString& operator_name,
                                              const QString& old_password,
                                              const QString& new_password,
                                              const QString& repeated_password);

// One grant per permission item as the tree shows it (item name, granted). Written in one
// transaction for speed; as before, what was written before a failing statement stays, and the
// failure reads "写登陆人员用户权限失败！" with the database's text. Logs the change and says
// "权限设置成功！".
OperatorWriteOutcome save_operator_grants(platform::Connection& connection,
                                          const QString& operator_name,
                                          const std::vector<std::pair<QString, bool>>& grants);

}  // namespace shell

namespace shell {

// Where the administrator adds operators, as the menus read.
inline const QString kOperatorsMenuPath = QStringLiteral("基本设置 → 操作人员管理 → 操作人员设置");

// What a window says when the administrator has no collector to choose: a fresh install has
// only "管理员", who cannot be a payment's collector. A new operator holds no right at all, so
// it also says where the collector gets the right to take money.
inline const QString kNoCollectorHint =
    QStringLiteral(
        "还没有收费人员，请先在“操作人员设置”（菜单“%1”）中添加收费人员。\n"
        "新添加的收费人员还没有任何权限，收费时会提示“您没有取得授权！”：添加后请在"
        "菜单“%2”中选中该收费人员，勾选“收费管理”（或展开后勾选其中的“窗口收费”等），"
        "再按“确 定”保存。")
        .arg(kOperatorsMenuPath, kPermissionsMenuPath);

// The collectors the administrator chooses from: every operator but "管理员", in stored order.
QStringList collector_names(platform::Connection& connection);

}  // namespace shell
