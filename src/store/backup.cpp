#include "store/backup.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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
// A database of this system has its schema version.
const char kVersionRow[] = "SELECT 版本号 FROM 版本 LIMIT 1";

QString read_key(const QString& section, const QString& key) {
    return platform::ini_read_text(section, key);
}

// Windows-style folders from an older settings file ("D:\\备份\\") still name a folder here.
QString join_path(const QString& folder, const QString& name) {
    QString f = folder;
    f.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(f + QLatin1Char('/') + name);
}

// One file by identity (device and inode), so a hard link or another spelling of the live
// file is the live file too.
bool same_existing_file(const QString& a, const QString& b) {
    struct stat sa {}, sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Writes a file's data, or a folder's entries (a rename), through to the disk.
void sync_path(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
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

// A rename is durable only once the folder holding it is synced.
bool rename_over(const QString& from, const QString& to) {
    sync_path(from);
    const bool renamed =
        std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
    if (renamed) sync_path(QFileInfo(to).absolutePath());
    return renamed;
}

const QString kPartSuffix = QStringLiteral(".part");

// The part file a backup is written under, locked (flock) for as long as the backup is under way,
// so that a program starting meanwhile leaves it alone: only a part file nobody holds is a
// leftover.
class PartFile {
public:
    explicit PartFile(const QString& path) : path_(path) {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~PartFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;
    // False when another program is writing a backup under the same name.
    bool ours() const { return fd_ >= 0; }
    void remove() const {
        QFile::remove(path_);
        remove_journal_files(path_);
        QFile::remove(path_ + QStringLiteral("-journal"));
    }

private:
    QString path_;
    int fd_ = -1;
};

// Writes the backup of the main database to `target`: a snapshot under a name of its own beside
// the target, checked whole, then renamed over the target. "" when done, else why not; nothing
// is left under either name on failure (a file that was at the target stays as it was). The exit
// backup checks what a copy of pages can get wrong (Pages); the backup the operator asks for
// compares the indexes with their tables as well (Full).
QString write_checked_backup(const QString& target, const platform::DatabaseProgress& progress,
                             platform::CheckDepth check) {
    const PartFile part(target + kPartSuffix);
    if (!part.ours()) return QStringLiteral("另一个程序正在写同名的备份文件。");
    const auto fail = [&](const QString& reason) {
        part.remove();
        return reason;
    };
    const QString part_path = target + kPartSuffix;
    QString error;
    switch (platform::db_snapshot_copy(main_database_path(), part_path, check, progress, &error)) {
        case platform::FileCheck::Whole:
            break;
        case platform::FileCheck::Damaged:
            return fail(QStringLiteral("写出的备份文件未通过完整性检查。"));
        case platform::FileCheck::Unreadable:
            return fail(QStringLiteral("无法写出备份文件：") + error);
    }
    if (!rename_over(part_path, target))
        return fail(QStringLiteral("无法写入所选文件（磁盘空间不足或没有写入权限）。"));
    return QString();
}

const QString kIncomingSuffix = QStringLiteral(".new");
const QString kKeptSuffix = QStringLiteral(".old");

// The file work of a replacement, while the live database is closed and held: the source copied
// beside the live file and checked, the live file kept under a second name and the copy renamed
// over it. Replaced leaves the old file kept; every other outcome leaves the live file as it was.
ReplaceOutcome replace_held_database(const QString& source, const QString& live,
                                     const platform::DatabaseProgress& progress) {
    const QString incoming = live + kIncomingSuffix;
    const QString kept = live + kKeptSuffix;
    remove_journal_files(incoming);
    if (!platform::file_copy(source, incoming, true)) {
        QFile::remove(incoming);
        return ReplaceOutcome::CopyFailed;
    }
    // The copy is checked, not the source: it is what goes live, and the chosen file is left
    // exactly as it was. The whole check, indexes against their tables: a file that only reads
    // would put wrong answers in place of the live database (a payment found half, a bill
    // missed by its index).
    const DatabaseFileCheck check = check_database_file(incoming, progress);
    if (check != DatabaseFileCheck::Ours) {
        QFile::remove(incoming);
        remove_journal_files(incoming);
        return check == DatabaseFileCheck::Damaged ? ReplaceOutcome::Damaged
                                                   : ReplaceOutcome::NotADatabase;
    }
    // Journal files left beside the live file belong to the old database and must never be
    // read as part of the new one; with the file held, no program is using them.
    remove_journal_files(live);
    if (!keep_current_file(live, kept) || !rename_over(incoming, live)) {
        QFile::remove(incoming);
        QFile::remove(kept);
        return ReplaceOutcome::SwapFailed;
    }
    return ReplaceOutcome::Replaced;
}

// Removes the part files of backups killed part-way in `folder`, leaving those a running backup
// holds.
void remove_backup_leftovers(const QString& folder) {
    if (folder.isEmpty()) return;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*") + kPartSuffix}, QDir::Files)) {
        const PartFile part(dir.filePath(name));
        if (part.ours()) part.remove();
    }
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

AutomaticBackupOutcome backup_database(const platform::DatabaseProgress& progress) {
    AutomaticBackupOutcome outcome;
    const BackupSettings settings = read_backup_settings();
    const QDateTime moment = platform::now();
    const QString target = join_path(automatic_backup_folder(settings), backup_file_name(moment));
    if (!write_checked_backup(target, progress, platform::CheckDepth::Pages).isEmpty()) {
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

void prepare_exit_backup() {
    if (read_backup_settings().automatic == kTrue)
        platform::prepare_database_key(main_database_path());
}

ManualBackupResult backup_main_database_to(const QString& target,
                                           const platform::DatabaseProgress& progress) {
    ManualBackupResult result;
    // A backup onto the live file itself would be no backup at all.
    if (same_existing_file(target, main_database_path())) {
        result.reason = QStringLiteral("不能备份到正在使用的数据库文件上，请另选文件。");
        return result;
    }
    result.reason = write_checked_backup(target, progress, platform::CheckDepth::Full);
    result.made = result.reason.isEmpty();
    return result;
}

DatabaseFileCheck check_database_file(const QString& path,
                                      const platform::DatabaseProgress& progress) {
    switch (platform::db_check_file(path, kVersionRow, progress)) {
        case platform::FileCheck::Whole:
            return DatabaseFileCheck::Ours;
        case platform::FileCheck::Damaged:
            return DatabaseFileCheck::Damaged;
        case platform::FileCheck::Unreadable:
            break;
    }
    return DatabaseFileCheck::NotADatabase;
}

bool is_database_of_this_system(const QString& path) {
    return check_database_file(path) == DatabaseFileCheck::Ours;
}

QString replace_outcome_reason(ReplaceOutcome outcome, ReplaceSource source) {
    const bool shipped = source == ReplaceSource::Shipped;
    switch (outcome) {
        case ReplaceOutcome::Replaced:
            return QString();
        case ReplaceOutcome::SameFile:
            return QStringLiteral("所选文件就是正在使用的数据库文件。");
        case ReplaceOutcome::NotADatabase:
            return shipped ? QStringLiteral("安装时的数据文件（bak\\data.bak）不是本系统的数据库。")
                           : QStringLiteral("所选文件不是本系统的数据库。");
        case ReplaceOutcome::Damaged:
            return shipped ? QStringLiteral("安装时的数据文件（bak\\data.bak）已损坏，不能初始化！")
                           : QStringLiteral("备份文件已损坏，不能恢复！");
        case ReplaceOutcome::CopyFailed:
            return shipped
                       ? QStringLiteral("无法复制安装时的数据文件（磁盘空间不足或没有写入权限）。")
                       : QStringLiteral("无法复制所选文件（磁盘空间不足或没有写入权限）。");
        case ReplaceOutcome::SwapFailed:
            return QStringLiteral("无法替换正在使用的数据库文件。");
        case ReplaceOutcome::InUse:
            return shipped ? QStringLiteral("其他程序正在使用数据库，请先关闭其他所有收费程序，再初始化。")
                           : QStringLiteral("其他程序正在使用数据库，请先关闭其他所有收费程序，再恢复数据。");
    }
    return QString();
}

void clean_backup_leftovers() {
    const BackupSettings settings = read_backup_settings();
    QStringList folders{platform::app_path(platform::kBackupFolder), settings.folder};
    if (!settings.last_file.isEmpty())
        folders << QFileInfo(join_path(settings.last_file, QString())).absolutePath();
    folders.removeDuplicates();
    for (const QString& folder : folders)
        remove_backup_leftovers(join_path(folder, QString()));
}

void clean_replacement_leftovers() {
    const QString live = main_database_path();
    const QString incoming = live + kIncomingSuffix;
    const QString kept = live + kKeptSuffix;
    // Killed between keeping the old file and renaming the new one over it: the old file is
    // the database (never the unchecked new one).
    if (!QFileInfo::exists(live) && QFileInfo::exists(kept)) rename_over(kept, live);
    for (const QString& leftover : {incoming, kept}) {
        QFile::remove(leftover);
        remove_journal_files(leftover);
    }
}

ReplaceOutcome replace_main_database(const QString& source,
                                     const platform::DatabaseProgress& progress) {
    const QString live = main_database_path();
    if (same_existing_file(source, live)) return ReplaceOutcome::SameFile;
    if (!platform::file_exists(source)) return ReplaceOutcome::NotADatabase;

    // No other program may have the file open while it is replaced: one that had would go on
    // writing into the old file, its work lost, and its journal files would be taken for the new
    // database's. So the database is closed here and held against every other program from the
    // first step to the last, and refused at once when another program has it open.
    close_main_database();
    ReplaceOutcome outcome = ReplaceOutcome::Replaced;
    {
        const platform::DatabaseFileHold hold(live);
        outcome = hold.held() ? replace_held_database(source, live, progress)
                              : ReplaceOutcome::InUse;
    }
    if (outcome != ReplaceOutcome::Replaced) {
        reopen_main_database();
        return outcome;
    }
    const QString kept = live + kKeptSuffix;
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
