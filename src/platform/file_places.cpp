#include "platform/file_places.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <initializer_list>

#include "platform/files.h"

namespace platform {

namespace {

QString standard_folder(QStandardPaths::StandardLocation location) {
    return QStandardPaths::writableLocation(location);
}

// The first candidate that names an existing folder by an absolute path. A relative one would
// be read against the working directory, which is what a dialog must not fall back to.
QString first_existing(std::initializer_list<QString> candidates) {
    for (const QString& folder : candidates)
        if (!folder.isEmpty() && QDir::isAbsolutePath(folder) && folder_exists(folder))
            return QDir::cleanPath(folder);
    return QDir::cleanPath(program_directory());
}

}  // namespace

QString dialog_start_folder(FilePlace place) {
    const QString documents = standard_folder(QStandardPaths::DocumentsLocation);
    const QString home = QDir::homePath();
    switch (place) {
        case FilePlace::Backup: {
            const QString backups = app_path(kBackupFolder);
            make_directory(backups);
            return first_existing({backups, documents, home});
        }
        case FilePlace::Exchange:
            return first_existing(
                {ini_read_text(kLastExportSection, kLastExportKey), documents, home});
        case FilePlace::Picture:
            return first_existing(
                {standard_folder(QStandardPaths::PicturesLocation), documents, home});
    }
    return first_existing({documents, home});
}

bool remember_export_folder(const QString& exported_file) {
    if (exported_file.isEmpty() || !QDir::isAbsolutePath(exported_file)) return false;
    return ini_write_text(kLastExportSection, kLastExportKey,
                          QFileInfo(exported_file).absolutePath());
}

}  // namespace platform
