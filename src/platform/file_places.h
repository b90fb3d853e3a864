#pragma once
// Where a file dialog opens for each kind of file: backups in bak/ under the program folder,
// exports and the files read back in beside the last export or in the user's documents. Never
// the process's working directory, which is only wherever the program happened to be started
// from.
#include <QString>

namespace platform {

enum class FilePlace {
    Backup,    // database backups, made and restored: bak/ under the program folder
    Exchange,  // exports, and the workbooks and handheld files read in: beside the last export
    Picture,   // a picture the operator picks: the user's pictures folder
};

// pz.ini key holding the folder of the last export.
inline const QString kLastExportSection = QStringLiteral("导出");
inline const QString kLastExportKey = QStringLiteral("文件夹");

// An existing absolute folder for a dialog to open in. For Backup, bak/ is created when missing.
// Each place falls back to the user's documents, then the home folder, then the program folder.
QString dialog_start_folder(FilePlace place);

// Remembers the folder of a file just exported, so that the next export dialog opens there.
// A relative path is not remembered: it would mean the working directory again.
bool remember_export_folder(const QString& exported_file);

}  // namespace platform
