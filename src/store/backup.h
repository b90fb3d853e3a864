#pragma once
// Protection of the main database, which is one file: the automatic backup when the program
// ends (at most once per configured number of days), a manual backup to a chosen file, and the
// replacement of the live file by a backup (restore) or by the pristine shipped database
// (initialisation). The replacement never loses the live database: the new file is copied
// beside it and checked to be a whole database of this system before it takes the live file's
// place in one rename, and any failure leaves the old file in place and open again.
//
// The settings of the automatic backup live in pz.ini, section 备份方式 (and 备份提示/提示).
#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>

#include "platform/db_copy.h"
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

// Every backup is a snapshot of the database (another program may be writing the file at the
// same time, and goes on doing so), written under a name of its own beside the target, checked
// and only then renamed to the target: a backup that is not whole is never left under the
// backup's name, and is never told as made. The automatic backup checks every page and b-tree of
// the copy; the manual backup compares the indexes with their tables as well (restore and
// initialisation make that whole check of whatever they put in place).
//
// The automatic backup: writes the backup of the database to the backup folder under the name of
// now. On success, and with 覆盖备份 "是", the previous backup named by 备份文件 is deleted — only
// then, and never when it is the file just written; stores 备份日期 and 备份文件; the message is
// "数据备份成功 ！". On failure the message is "数据备份失败！" (a critical box) and nothing
// changes.
struct AutomaticBackupOutcome {
    bool made = false;
    platform::Message message;
};
AutomaticBackupOutcome backup_database(const platform::DatabaseProgress& progress = {});

// Readies the exit backup of the database just opened when the settings make one at the exit:
// the key its copy reads the file with is worked out on a thread of its own while the program
// runs, not while the operator waits at the exit.
void prepare_exit_backup();

// How the window layer shows long work: it runs `work`, handing it where progress goes, and
// whatever it showed meanwhile is gone when it returns.
using ShowWhileWorking =
    std::function<void(const std::function<void(const platform::DatabaseProgress&)>& work)>;

// The whole exit step, run after the database is closed: decide, ask when the settings say so
// (beep, Yes/No), back up under `show` and show the message (backup_prompts.cpp, with the
// windows).
void run_exit_backup(const ShowWhileWorking& show = {});

// The manual backup: the backup of the database, written to `target` (replacing a file there).
// The main connection stays open throughout.
struct ManualBackupResult {
    bool made = false;
    QString reason;  // why it failed, for the user; a target that is the live file is refused
    bool ok() const { return made; }
};
ManualBackupResult backup_main_database_to(const QString& target,
                                           const platform::DatabaseProgress& progress = {});

enum class DatabaseFileCheck {
    Ours,          // whole, opens with the database password, and has a version row in 版本
    NotADatabase,  // missing, unreadable, another key, or without 版本
    Damaged,       // a database under our key whose pages or indexes are broken
};
// Checks a file on a connection of its own and leaves it unchanged; reads every page, so it
// takes a while on a big file (progress without a known end).
DatabaseFileCheck check_database_file(const QString& path,
                                      const platform::DatabaseProgress& progress = {});
// check_database_file(path) == Ours: a whole database of this system.
bool is_database_of_this_system(const QString& path);

enum class ReplaceOutcome {
    Replaced,      // the live file is now a copy of the source, open again
    SameFile,      // the source is the live file itself (by identity: a hard link is too)
    NotADatabase,  // missing, unreadable, another key, or without 版本
    Damaged,       // a database of this system, but broken: fails the integrity check
    CopyFailed,    // the copy beside the live file could not be written
    SwapFailed,    // the new file could not take the live file's place, or would not open
    InUse,         // another program has the database open: it must be closed first
};

// Puts a copy of source in place of the main database file, only while no other program has the
// database open (InUse otherwise). The database is closed and held against every other program
// from the first step to the last: the copy is written beside the live file and checked
// (check_database_file), stale -wal and -shm files are removed and the copy renamed over the live
// file; then the database is reopened. On every outcome but Replaced the current database is kept
// and, when it had been closed, reopened. The main connection is open afterwards unless even the
// old file would not open again.
ReplaceOutcome replace_main_database(const QString& source,
                                     const platform::DatabaseProgress& progress = {});

// Whose file is put in place: a backup the operator chose, or the database shipped with the
// program. The reasons name it.
enum class ReplaceSource { Backup, Shipped };

// Why a replacement was refused, for the user ("" for Replaced).
QString replace_outcome_reason(ReplaceOutcome outcome,
                               ReplaceSource source = ReplaceSource::Backup);

// At start: removes the part files of backups killed part-way (`<name>.part`, with their journal
// files) from the program's bak, the automatic backup folder and the folder of the last automatic
// backup; a part file a running backup holds stays.
void clean_backup_leftovers();

// At start, before the database opens: removes what a restore or initialisation killed
// half-way left beside the live file (DATA.mdb.new, DATA.mdb.old and their journals); should
// the live file itself be missing, the kept old file becomes it again.
void clean_replacement_leftovers();

}  // namespace store
