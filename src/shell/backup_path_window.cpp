#include "shell/backup_path_window.h"

#include <QDir>

#include "platform/dialogs.h"
#include "platform/files.h"

namespace shell {

QString choose_backup_folder(QWidget* parent, const QString& current) {
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Folder;
    request.title = kBackupPathCaption;
    request.directory = platform::folder_exists(current) ? current : QDir::homePath();
    return platform::common_dialog_show(request, parent);
}

}  // namespace shell
