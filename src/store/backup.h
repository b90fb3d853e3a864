#pragma once
// Protection of the main database, which is one file: the automatic backup when the program
// ends (at most once per configured number of days), a manual backup to a chosen file, and the
// replacement of the live file by a backup (restore) or by the pristine shipped database
// (initialisation). The replacement never loses the live database: the new file is copied
// beside it and checked to be a database of this system before it takes the live file's place
// in one rename, and any failure leaves the old file in place and open again.
//
// The settings of the automatic backup live in pz.ini, section 备份方式 (and 备份提示/提示).
#include <QDate>
#include <QDateTime>
#include <QString>

#include "platform/messages.h"

namespace store {

// The pz.ini keys of the automatic backup, as they are stored (all texts).
struct BackupSettings {
    QString automatic;  // 备份方式/自动备份: "真" switches the automatic backup on
    QString cycle;      // 备份方式/备份周期: days between backups, "0" every exit, "" never
    QString last_date;  // 备份方式/备份日期: "2026-3-8", the date of the last automatic backup
    QString overwrite;  // 备份方式/覆盖备份: "是" keeps only the newest automatic backup
    QString last_file;  // 备份方式/备份文件: the file the last automatic backup wrote
    QString folder;  // 备份方式/备份路径: where automatic backups go; "" the program's bak
    QString ask;     // 备份提示/提示: "真" asks before the automatic backup
};

BackupSettings read_backup_settings();

// The name of a backup made at this moment: the date and time as text and ".mdb",
// 2026-3-8 09:05:00 -> "2026年3月8日9时5分.mdb"; at midnight the date alone.
QString backup_file_name(const QDateTime& moment);

// The folder automatic backups go to: 备份路径, or the program folder's bak when it is empty.
QString automatic_backup_folder(const BackupSettings& settings);

enum class ExitBackupDecision {
    None,      // no backup at this exit
    BackUp,    // back up without asking
    AskFirst,  // ask "请问退出时是否备份数据库?" and back up on yes
};

// Whether the exit is to make the automatic backup: off, or no cycle -> None; no backup yet ->
// BackUp (the first one never asks); not yet due (备份日期 + whole days of 备份周期 after today)
// -> None; due -> AskFirst when 提示 is "真", else BackUp. A 备份日期 that cannot be read counts
// as due.
ExitBackupDecision decide_exit_backup(const BackupSettings& settings, const QDate& today);

// The automatic backup: copies the (closed) database file to the backup folder under the
// name of now. On success, and with 覆盖备份 "是", the previous backup named by 备份文件 is
// deleted — only then, and never when it is the file just written; stores 备份日期 and 备份文件;
// the message is "数据备份成功 ！". On failure the message is "数据备份失败！" (a critical box)
// and nothing changes.
struct AutomaticBackupOutcome {
    bool made = false;
    platform::Message message;
};
AutomaticBackupOutcome backup_database();

// The whole exit step, run after the database is closed: decide, ask when the settings say so
// (beep, Yes/No), back up and show the message (backup_prompts.cpp, with the windows).
void run_exit_backup();

// The manual backup's file work: closes the main database, copies its file to target (replacing
// a file there), and reopens the database whatever the copy did.
struct ManualBackupResult {
    bool copied = false;
    bool reopened = false;
    bool ok() const { return copied && reopened; }
};
ManualBackupResult backup_main_database_to(const QString& target);

// True when the file opens with the database password, is whole (SQLite's quick check) and has
// a version row in 版本: a database of this system. Reads on a connection of its own and
// leaves the file unchanged.
bool is_database_of_this_system(const QString& path);

enum class ReplaceOutcome {
    Replaced,      // the live file is now a copy of the source, open again
    SameFile,      // the source is the live file itself: nothing changed
    NotADatabase,  // missing, unreadable, another key, truncated, or without 版本
    CopyFailed,    // the copy beside the live file could not be written
    SwapFailed,    // the new file could not take the live file's place, or would not open
};

// Puts a copy of source in place of the main database file. The copy is written beside the
// live file and checked (is_database_of_this_system) while the database is still open; only
// then is the database closed, stale -wal and -shm files removed and the copy renamed over the
// live file, and the database reopened. On every outcome but Replaced the current database is
// kept and, when it had been closed, reopened. The main connection is open afterwards unless
// even the old file would not open again.
ReplaceOutcome replace_main_database(const QString& source);

}  // namespace store
