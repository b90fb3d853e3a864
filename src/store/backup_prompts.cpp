// The automatic backup's part that talks to the user: the question before it and its message.
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "store/backup.h"

namespace store {

void run_exit_backup(const ShowWhileWorking& show) {
    switch (decide_exit_backup(read_backup_settings(), platform::today())) {
        case ExitBackupDecision::None:
            return;
        case ExitBackupDecision::AskFirst:
            platform::beep();
            if (platform::message_box(QStringLiteral("请问退出时是否备份数据库?"),
                                      platform::kDefaultCaption, platform::MsgIcon::Question,
                                      platform::MsgButtons::YesNo) != platform::MsgResult::Yes)
                return;
            break;
        case ExitBackupDecision::BackUp:
            break;
    }
    AutomaticBackupOutcome outcome;
    const auto work = [&outcome](const platform::DatabaseProgress& progress) {
        outcome = backup_database(progress);
    };
    if (show)
        show(work);
    else
        work({});
    platform::show_messages({outcome.message});
}

}  // namespace store
