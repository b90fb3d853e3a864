#pragma once
// The folder chooser of the backup settings (caption "备份路径"): the desktop's own folder
// dialog in place of a drive box and a directory box.
#include <QString>

class QWidget;

namespace shell {

inline const QString kBackupPathCaption = QStringLiteral("备份路径");

// Shows the folder dialog starting at `current` (when it exists); returns the chosen folder, or
// an empty text when the operator cancelled.
QString choose_backup_folder(QWidget* parent, const QString& current);

}  // namespace shell
