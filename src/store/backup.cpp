#include "store/backup.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "platform/files.h"
#include "store/main_database.h"


namespace store {

namespace {

const QString kBackupSection = QStringLiteral("备份方式");
const QString kAskSection = QStringLiteral("备份提示");
const QString kTrue = QStringLiteral("真");
const QString kYes = QStringLiteral("是");

QString read_key(const QString& section, const QString& key) {
    return platform::ini_read_text(section, key);
}

// Windows-style folders from an older settings file ("D:\\备份\\") still name a folder here.
QString join_path(const QString& folder, const QString& name) {
    QString f = folder;
    f.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(f + QLatin1Char('/') + name);
}

bool same_existing_file(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

void remove_journal_files(const QString& database) {
    QFile::remove(database + QStringLiteral("-wal"));
    QFile::remove(database + QStringLiteral("-shm"));
}

// Keeps the current file under a second name while the new one takes its place: a hard link
// costs nothing; where the file system has none, a copy.
bool keep_current_file(const QString& live, const QString& kept) {
    QFile::remove(kept);
    if (::link(QFile::encodeName(live).constData(), QFile::encodeName(kept).constData()) == 0)
        return true;
    return platform::file_copy(live, kept, true);
}

bool rename_over(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

}  // namespace

BackupSettings read_backup_settings() {
    BackupSettings s;
    s.automatic = read_key(kBackupSection, QStringLiteral("自动备份"));
    s.cycle = read_key(kBackupSection, QStringLiteral("备份周期"));
    s.last_date = read_key(kBackupSection, QStringLiteral("备份日期"));
    s.overwrite = read_key(kBackupSection, QStringLiteral("覆盖备份"));
    s.last_file = read_key(kBackupSection, QStringLiteral("备份文件"));
    s.folder = read_key(kBackupSection, QStringLiteral("备份路径"));
    s.ask = read_key(kAskSection, QStringLiteral("提示"));
    return s;
}

QString backup_file_name(const QDateTime& moment) {
    return platform::to_text(moment) + QStringLiteral(".mdb");
}

QString automatic_backup_folder(const BackupSettings& settings) {
    if (!settings.folder.isEmpty()) return settings.folder;
    return platform::app_path(platform::kBackupFolder);
}

ExitBackupDecision decide_exit_backup(const BackupSettings& settings, const QDate& today) {
    if (settings.automatic != kTrue) return ExitBackupDecision::None;
    if (settings.cycle.isEmpty()) return ExitBackupDecision::None;
    if (settings.last_date.isEmpty()) return ExitBackupDecision::BackUp;
    const QDate last = platform::parse_date_text(settings.last_date).date();
    if (last.isValid()) {
        const int cycle = static_cast<int>(platform::to_number(settings.cycle));
        const QDate due = platform::add_days(last, cycle);
        if (today.daysTo(due) > 0) return ExitBackupDecision::None;
    }
    return settings.ask == kTrue ? ExitBackupDecision::AskFirst : ExitBackupDecision::BackUp;
}

AutomaticBackupOutcome backup_database() {
    AutomaticBackupOutcome outcome;
    const BackupSettings settings = read_backup_settings();
    const QDateTime moment = platform::now();
    const QString target = join_path(automatic_backup_folder(settings), backup_file_name(moment));
    if (!platform::file_copy(main_database_path(), target, true)) {
        outcome.message = {QStringLiteral("数据备份失败！"), platform::kDefaultCaption,
                           platform::MsgIcon::Critical};
        return outcome;
    }
    // The previous backup goes only now that its successor is complete, and never when the
    // two are one file (two exits within the same second).
    if (settings.overwrite == kYes && !settings.last_file.isEmpty() &&
        !same_existing_file(settings.last_file, target))
        platform::file_delete(settings.last_file);
    platform::ini_write_text(kBackupSection, QStringLiteral("备份日期"),
                             platform::date_ymd_text(moment.date()));
    platform::ini_write_text(kBackupSection, QStringLiteral("备份文件"), target);
    outcome.made = true;
    outcome.message = platform::information(QStringLiteral("数据备份成功 ！"));
    return outcome;
}

ManualBackupResult backup_main_database_to(const QString& target) {
    ManualBackupResult result;
    // Closing checkpoints the journal, so the file alone is the whole database.
    close_main_database();
    result.copied = platform::file_copy(main_database_path(), target, true);
    result.reopened = reopen_main_database();
    return result;
}

bool is_database_of_this_system(const QString& path) {
    if (!platform::file_exists(path)) return false;
    platform::Connection probe;
    if (!platform::db_open_access_file(probe, path)) return false;
    // A file under inspection may well fail a query: that is an answer, not an error to show.
    bool ok = false;
    const bool whole =
        platform::query_text(probe, QStringLiteral("PRAGMA quick_check"), platform::OnFailure::Quiet,
                             &ok) == QLatin1String("ok") &&
        ok;
    const bool has_version =
        whole && platform::query_exists(probe, QStringLiteral("select top 1 版本号 from 版本"),
                                        platform::OnFailure::Quiet);
    platform::db_close(probe);
    return has_version;
}

ReplaceOutcome replace_main_database(const QString& source) {
    const QString live = main_database_path();
    if (same_existing_file(source, live)) return ReplaceOutcome::SameFile;
    if (!platform::file_exists(source)) return ReplaceOutcome::NotADatabase;

    const QString incoming = live + QStringLiteral(".new");
    const QString kept = live + QStringLiteral(".old");
    remove_journal_files(incoming);
    if (!platform::file_copy(source, incoming, true)) {
        QFile::remove(incoming);
        return ReplaceOutcome::CopyFailed;
    }
    // The copy is checked, not the source: it is what goes live, and the chosen file is left
    // exactly as it was.
    if (!is_database_of_this_system(incoming)) {
        QFile::remove(incoming);
        remove_journal_files(incoming);
        return ReplaceOutcome::NotADatabase;
    }

    close_main_database();
    // Journal files left beside the live file belong to the old database and must never be
    // read as part of the new one.
    remove_journal_files(live);
    const bool kept_old = keep_current_file(live, kept);
    if (!kept_old || !rename_over(incoming, live)) {
        QFile::remove(incoming);
        QFile::remove(kept);
        reopen_main_database();
        return ReplaceOutcome::SwapFailed;
    }
    if (!reopen_main_database()) {
        // Put the old file back; the database the program had stays the one it has.
        remove_journal_files(live);
        rename_over(kept, live);
        reopen_main_database();
        return ReplaceOutcome::SwapFailed;
    }
    QFile::remove(kept);
    return ReplaceOutcome::Replaced;
}

}  // namespace store
