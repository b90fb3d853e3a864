// Backup, restore and initialisation: when the exit makes a backup, what the overwrite keeps,
// and that a restore or initialisation either puts a whole database of this system in place or
// leaves the live one exactly as it was.
#include <fcntl.h>
#include <sqlcipher/sqlite3.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "harness/file_helpers.h"
#include "harness/fixture.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/db_copy.h"
#include "platform/files.h"
#include "platform/query.h"
#include "store/backup.h"
#include "store/main_database.h"

namespace {

using platform::MsgIcon;
using platform::MsgResult;
using store::ExitBackupDecision;

const QDateTime kNow(QDate(2026, 3, 8), QTime(9, 5, 0));

class BackupTest : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        set_clock(kNow);
    }

    QStringList backups_in(const QString& folder) const {
        return QDir(folder).entryList({QStringLiteral("*.mdb")}, QDir::Files, QDir::Name);
    }
    void write_settings(const QString& automatic, const QString& cycle, const QString& date,
                        const QString& ask, const QString& overwrite = QStringLiteral("否")) {
        platform::ini_write_text("备份方式", "自动备份", automatic);
        platform::ini_write_text("备份方式", "备份周期", cycle);
        platform::ini_write_text("备份方式", "备份日期", date);
        platform::ini_write_text("备份方式", "覆盖备份", overwrite);
        platform::ini_write_text("备份提示", "提示", ask);
    }
    // The exit: the database is closed before the backup step runs.
    void exit_backup() {
        store::close_main_database();
        store::run_exit_backup();
        ASSERT_TRUE(store::reopen_main_database());
    }
    // A backup of the database as it is now, through the manual backup's file work.
    QString make_backup(const QString& name) {
        const QString target = path("bak/" + name);
        EXPECT_TRUE(store::backup_main_database_to(target).ok());
        return target;
    }
};

TEST(BackupFileName, IsTheDateAndTimeWithoutTrailingZeroParts) {
    const struct {
        QDateTime moment;
        const char* name;
    } cases[] = {
        {QDateTime(QDate(2026, 3, 8), QTime(9, 5, 0)), "2026年3月8日9时5分.mdb"},
        {QDateTime(QDate(2026, 3, 8), QTime(0, 0, 0)), "2026年3月8日.mdb"},
        {QDateTime(QDate(2026, 12, 31), QTime(10, 0, 5)), "2026年12月31日10时0分5秒.mdb"},
        {QDateTime(QDate(2026, 1, 2), QTime(23, 0, 0)), "2026年1月2日23时.mdb"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(store::backup_file_name(c.moment), QString::fromUtf8(c.name));
}

TEST(ExitBackupDecision, FollowsSwitchCycleDateAndPrompt) {
    const QDate today(2026, 3, 8);
    const struct {
        const char* automatic;
        const char* cycle;
        const char* date;
        const char* ask;
        ExitBackupDecision expected;
    } cases[] = {
        {"假", "3", "2026-3-1", "假", ExitBackupDecision::None},    // switched off
        {"", "3", "2026-3-1", "假", ExitBackupDecision::None},      // never set
        {"真", "", "2026-3-1", "假", ExitBackupDecision::None},     // no cycle
        {"真", "3", "", "真", ExitBackupDecision::BackUp},          // first: never asks
        {"真", "3", "2026-3-6", "假", ExitBackupDecision::None},    // 2 days ago
        {"真", "3", "2026-3-5", "假", ExitBackupDecision::BackUp},  // 3 days ago
        {"真", "3", "2026-3-5", "真", ExitBackupDecision::AskFirst},
        {"真", "3.9", "2026-3-6", "假", ExitBackupDecision::None},  // fraction cut off
        {"真", "0", "2026-3-8", "假", ExitBackupDecision::BackUp},  // every exit
        {"真", "0", "2026-3-9", "假", ExitBackupDecision::None},    // a date in the future
        {"真", "3", "坏日期", "假", ExitBackupDecision::BackUp},    // unreadable: due
    };
    for (const auto& c : cases) {
        store::BackupSettings s;
        s.automatic = QString::fromUtf8(c.automatic);
        s.cycle = QString::fromUtf8(c.cycle);
        s.last_date = QString::fromUtf8(c.date);
        s.ask = QString::fromUtf8(c.ask);
        EXPECT_EQ(store::decide_exit_backup(s, today), c.expected)
            << c.automatic << " " << c.cycle << " " << c.date << " " << c.ask;
    }
}

TEST_F(BackupTest, CycleOfThreeDaysBacksUpOnTheThirdDayOnly) {
    write_settings("真", "3", "2026-3-6", "假");
    exit_backup();
    EXPECT_TRUE(backups_in(path("bak")).isEmpty());
    EXPECT_TRUE(ui.boxes().empty());

    write_settings("真", "3", "2026-3-5", "假");
    ui.expect_box("数据备份成功 ！");
    exit_backup();
    EXPECT_EQ(backups_in(path("bak")), QStringList{"2026年3月8日9时5分.mdb"});
    EXPECT_EQ(platform::ini_read_text("备份方式", "备份日期"), "2026-3-8");
    EXPECT_EQ(platform::ini_read_text("备份方式", "备份文件"), path("bak/2026年3月8日9时5分.mdb"));
    EXPECT_TRUE(store::is_database_of_this_system(path("bak/2026年3月8日9时5分.mdb")));
}

TEST_F(BackupTest, FirstExitAfterSwitchingOnBacksUpWithoutAsking) {
    write_settings("真", "7", "", "真");
    ui.expect_box("数据备份成功 ！");
    exit_backup();
    EXPECT_EQ(backups_in(path("bak")).size(), 1);
    EXPECT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.beep_count(), 0);
}

TEST_F(BackupTest, DueBackupAsksWhenThePromptIsOnAndHonoursTheAnswer) {
    write_settings("真", "0", "2026-3-1", "真");
    ui.expect_box("请问退出时是否备份数据库?", MsgResult::No);
    exit_backup();
    EXPECT_TRUE(backups_in(path("bak")).isEmpty());
    EXPECT_EQ(platform::ini_read_text("备份方式", "备份日期"), "2026-3-1");

    ui.expect_box("请问退出时是否备份数据库?", MsgResult::Yes).expect_box("数据备份成功 ！");
    exit_backup();
    EXPECT_EQ(backups_in(path("bak")).size(), 1);
    EXPECT_EQ(ui.beep_count(), 2);
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::Question);
}

TEST_F(BackupTest, OverwriteKeepsOnlyTheNewestBackupAndNeverDeletesTheOneJustWritten) {
    const QString folder = path("自选备份");
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* overwrite : {"是", "否"}) {
        SCOPED_TRACE(overwrite);
        for (const QString& f : backups_in(folder)) QFile::remove(folder + "/" + f);
        platform::ini_write_text("备份方式", "备份文件", "");
        write_settings("真", "0", "", "假", QString::fromUtf8(overwrite));
        platform::ini_write_text("备份方式", "备份路径", folder);
        set_clock(kNow);
        ui.expect_box("数据备份成功 ！")
            .expect_box("数据备份成功 ！")
            .expect_box("数据备份成功 ！");
        exit_backup();
        set_clock(kNow.addSecs(60));
        exit_backup();
        // A third exit in the same second writes the same file again: it must survive.
        exit_backup();
        const QStringList expected =
            QString::fromUtf8(overwrite) == "是"
                ? QStringList{"2026年3月8日9时6分.mdb"}
                : QStringList{"2026年3月8日9时5分.mdb", "2026年3月8日9时6分.mdb"};
        EXPECT_EQ(backups_in(folder), expected);
    }
    EXPECT_TRUE(backups_in(path("bak")).isEmpty());
}

TEST_F(BackupTest, FailedCopyReportsAndLeavesTheSettingsAlone) {
    write_settings("真", "1", "2026-3-1", "假", "是");
    platform::ini_write_text("备份方式", "备份路径", path("没有这个文件夹"));
    platform::ini_write_text("备份方式", "备份文件", path("bak/旧备份.mdb"));
    QFile::copy(path("bak/data.bak"), path("bak/旧备份.mdb"));
    ui.expect_box("数据备份失败！");
    exit_backup();
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(platform::ini_read_text("备份方式", "备份日期"), "2026-3-1");
    EXPECT_TRUE(QFile::exists(path("bak/旧备份.mdb")));  // the old backup is kept
}

TEST_F(BackupTest, ManualBackupCopiesTheWholeDatabaseAndKeepsItOpen) {
    exec("insert into 收费员 (收费人员,密码,许可) values ('张三','x',1)");
    const QString target = make_backup("手动.mdb");
    EXPECT_TRUE(platform::db_is_open(store::main_connection()));
    EXPECT_EQ(platform::db_check_file(target), platform::FileCheck::Whole);
    // One file on its own: no journal beside it, none needed to read it.
    EXPECT_EQ(QDir(path("bak")).entryList({"手动*"}, QDir::Files), QStringList{"手动.mdb"});
    EXPECT_TRUE(store::is_database_of_this_system(target));
    platform::Connection copy;
    ASSERT_TRUE(platform::db_open_access_file(copy, target));
    platform::RecordSet rs;
    platform::recordset_bind_connection(rs, copy);
    ASSERT_TRUE(platform::recordset_open(rs, "select count(*) from 收费员 where 收费人员='张三'"));
    EXPECT_EQ(platform::recordset_field_number(rs, 0), 1);
    platform::recordset_close(rs);
    platform::db_close(copy);
}

TEST_F(BackupTest, RestoreBringsBackTheRowsChangedSince) {
    exec("insert into 收费员 (收费人员,密码,许可) values ('张三','x',1)");
    const QString backup = make_backup("之前.mdb");
    exec("delete from 收费员 where 收费人员='张三'");
    exec("update pz set 文本='改过的单位' where 项目名称='单位信息'");
    exec("insert into 收费员 (收费人员,密码,许可) values ('李四','y',1)");

    EXPECT_EQ(store::replace_main_database(backup), store::ReplaceOutcome::Replaced);
    EXPECT_TRUE(platform::db_is_open(store::main_connection()));
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='张三'"), 1);
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='李四'"), 0);
    EXPECT_NE(value("select 文本 from pz where 项目名称='单位信息'"), "改过的单位");
    // The main window's record sets work again without rebinding.
    ASSERT_TRUE(platform::recordset_open(store::main_recordset(2), "select * from 收费员"));
    platform::recordset_close(store::main_recordset(2));
    // Nothing of the swap is left beside the live file, and the chosen file is untouched.
    EXPECT_EQ(QDir(path("DATA")).entryList(QDir::Files).filter(".mdb."), QStringList{});
    EXPECT_TRUE(store::is_database_of_this_system(backup));
}

// Other programs hold the file, one reading and one writing: the backup is the database as it
// stood at one moment, with every committed payment (though the file itself does not hold it yet:
// a reader keeps it in the journal) and nothing of a transaction still open.
TEST_F(BackupTest, BackupIsTheCommittedDatabaseWhileAnotherProgramWrites) {
    exec("insert into 收费员 (收费人员,密码,许可) values ('张三','x',1)");
    platform::Connection reader;
    ASSERT_TRUE(platform::db_open_access_file(reader, path("DATA/DATA.mdb")));
    ASSERT_EQ(sqlite3_exec(platform::db_handle(reader), "BEGIN; SELECT count(*) FROM 收费员",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    platform::Connection other;
    ASSERT_TRUE(platform::db_open_access_file(other, path("DATA/DATA.mdb")));
    ASSERT_TRUE(platform::db_execute(other, "insert into 收费员 (收费人员,密码,许可) values ('王五','z',1)"));
    platform::Transaction open_payment(other);
    ASSERT_TRUE(open_payment.active());
    ASSERT_TRUE(platform::db_execute(other, "insert into 收费员 (收费人员,密码,许可) values ('李四','y',1)"));

    const QString manual = make_backup("手动.mdb");
    write_settings("真", "0", "", "假");
    ui.expect_box("数据备份成功 ！");
    exit_backup();
    const QString automatic = path("bak/2026年3月8日9时5分.mdb");
    ASSERT_TRUE(open_payment.commit());
    platform::db_close(other);
    sqlite3_exec(platform::db_handle(reader), "COMMIT", nullptr, nullptr, nullptr);
    platform::db_close(reader);

    for (const QString& backup : {manual, automatic}) {
        SCOPED_TRACE(backup.toStdString());
        EXPECT_EQ(platform::db_check_file(backup), platform::FileCheck::Whole);
        platform::Connection copy;
        ASSERT_TRUE(platform::db_open_access_file(copy, backup));
        EXPECT_EQ(platform::query_column(copy,
                                         "select 收费人员 from 收费员 where 收费人员 in "
                                         "('张三','王五','李四') order by 收费人员"),
                  (QStringList{"张三", "王五"}));
    }
}

// With the automatic backup on, opening the database works out its key meanwhile; the exit
// backup opens the file with that key as it is, and its copy reads under the password.
TEST_F(BackupTest, OpeningWithTheAutomaticBackupOnPreparesTheKeyTheExitBackupUses) {
    const QString live = path("DATA/DATA.mdb");
    write_settings("真", "0", "", "假");
    ASSERT_TRUE(store::reopen_main_database());
    const QByteArray key = platform::prepared_database_key(live);
    ASSERT_FALSE(key.isEmpty());
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(live).constData(), &raw, SQLITE_OPEN_READONLY,
                              nullptr),
              SQLITE_OK);
    sqlite3_key(raw, key.constData(), static_cast<int>(key.size()));
    EXPECT_EQ(sqlite3_exec(raw, "SELECT count(*) FROM 收费员", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);

    exec("insert into 收费员 (收费人员,密码,许可) values ('张三','x',1)");
    ui.expect_box("数据备份成功 ！");
    exit_backup();
    const QString automatic = path("bak/2026年3月8日9时5分.mdb");
    EXPECT_EQ(platform::db_check_file(automatic), platform::FileCheck::Whole);
    platform::Connection copy;
    ASSERT_TRUE(platform::db_open_access_file(copy, automatic));
    EXPECT_EQ(platform::query_column(copy, "select 收费人员 from 收费员 where 收费人员='张三'"),
              QStringList{"张三"});
}

// A backup that is not whole is no backup: a database already damaged copies its damage, the
// check of the copy finds it, and neither the manual nor the automatic backup says "成功" or
// leaves a file under the backup's name (a file that was there stays as it was). The manual
// backup compares the indexes with their tables; the exit backup checks what a copy of pages can
// get wrong (every page read, every b-tree walked), so an index out of step passes it, and a
// restore of that backup is refused.
TEST_F(BackupTest, CopyThatFailsTheCheckIsReportedAndLeavesNoFile) {
    store::close_main_database();
    harness::put_index_out_of_step(path("DATA/DATA.mdb"));
    ASSERT_TRUE(store::reopen_main_database());
    harness::write_bytes(path("bak/已有.mdb"), "前一个文件");

    for (const char* name : {"已有.mdb", "新的.mdb"}) {
        const store::ManualBackupResult result =
            store::backup_main_database_to(path("bak/") + QString::fromUtf8(name));
        EXPECT_FALSE(result.ok()) << name;
        EXPECT_EQ(result.reason, "写出的备份文件未通过完整性检查。");
    }
    EXPECT_EQ(harness::read_bytes(path("bak/已有.mdb")), QByteArray("前一个文件"));

    write_settings("真", "0", "2026-3-1", "假");
    ui.expect_box("数据备份成功 ！");
    exit_backup();
    const QString automatic = path("bak/2026年3月8日9时5分.mdb");
    ASSERT_TRUE(QFile::exists(automatic));
    exec("insert into 收费员 (收费人员,密码,许可) values ('李四','y',1)");
    EXPECT_EQ(store::replace_main_database(automatic), store::ReplaceOutcome::Damaged);
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='李四'"), 1);
    QFile::remove(automatic);

    // A page that no longer decrypts fails the exit backup's check as well.
    exec("delete from 收费员 where 收费人员='李四'");
    store::close_main_database();
    {
        QFile live(path("DATA/DATA.mdb"));
        ASSERT_TRUE(live.open(QIODevice::ReadWrite));
        ASSERT_TRUE(live.seek(live.size() - 512));
        live.write(QByteArray(256, '\x33'));
    }
    ASSERT_TRUE(store::reopen_main_database());
    write_settings("真", "0", "2026-3-1", "假");
    ui.expect_box("数据备份失败！");
    exit_backup();
    EXPECT_EQ(ui.boxes().back().icon, MsgIcon::Critical);
    EXPECT_EQ(platform::ini_read_text("备份方式", "备份日期"), "2026-3-1");
    EXPECT_EQ(QDir(path("bak")).entryList({"*.mdb*"}, QDir::Files), QStringList{"已有.mdb"});
    EXPECT_TRUE(platform::db_is_open(store::main_connection()));
}

// Files that must never take the live database's place.
class RestoreRefusalTest : public BackupTest {
protected:
    // A database with the tables of this system, keyed with another password.
    QString database_under_another_key() {
        const QString target = path("bak/另一个密钥.mdb");
        harness::write_database(target, "another-key",
                                {"CREATE TABLE 版本 (版本号 TEXT); INSERT INTO 版本 VALUES ('2.2');"
                                 "CREATE TABLE 收费员 (收费人员 TEXT, 密码 TEXT, 许可 INTEGER);"});
        return target;
    }
    QString text_file() {
        const QString target = path("bak/说明.mdb");
        QFile f(target);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("这不是数据库\n");
        return target;
    }
    QString truncated_copy() {
        const QString target = make_backup("截断.mdb");
        QFile f(target);
        EXPECT_TRUE(f.resize(f.size() / 2));
        return target;
    }
    // A whole-sized backup whose last page was overwritten: it opens, only reading every page
    // finds the damage.
    QString damaged_copy() {
        const QString target = make_backup("损坏.mdb");
        QFile f(target);
        EXPECT_TRUE(f.open(QIODevice::ReadWrite));
        EXPECT_TRUE(f.seek(f.size() - 512));
        f.write(QByteArray(256, '\x33'));
        return target;
    }
    // Opens, reads and passes the quick check; an index disagrees with its table.
    QString index_out_of_step() {
        const QString target = make_backup("索引不一致.mdb");
        harness::put_index_out_of_step(target);
        platform::Connection c;
        EXPECT_TRUE(platform::db_open_access_file(c, target));
        EXPECT_EQ(platform::query_text(c, "PRAGMA quick_check"), "ok");
        platform::db_close(c);
        return target;
    }
    QString without_version_table() {
        const QString target = make_backup("无版本.mdb");
        platform::Connection c;
        EXPECT_TRUE(platform::db_open_access_file(c, target));
        EXPECT_TRUE(platform::db_execute(c, "drop table 版本"));
        platform::db_close(c);
        return target;
    }
};

TEST_F(RestoreRefusalTest, KeepsEveryRowOfTheLiveDatabase) {
    using store::ReplaceOutcome;
    exec("insert into 收费员 (收费人员,密码,许可) values ('张三','x',1)");
    const struct {
        const char* what;
        QString file;
        ReplaceOutcome outcome;
    } cases[] = {
        {"text file", text_file(), ReplaceOutcome::NotADatabase},
        {"truncated copy", truncated_copy(), ReplaceOutcome::Damaged},
        {"damaged copy", damaged_copy(), ReplaceOutcome::Damaged},
        {"index out of step", index_out_of_step(), ReplaceOutcome::Damaged},
        {"another key", database_under_another_key(), ReplaceOutcome::NotADatabase},
        {"no version table", without_version_table(), ReplaceOutcome::NotADatabase},
        {"missing file", path("bak/没有.mdb"), ReplaceOutcome::NotADatabase},
    };
    exec("insert into 收费员 (收费人员,密码,许可) values ('李四','y',1)");
    const auto before = rows("select * from 收费员 order by 收费人员");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray chosen = harness::read_bytes(c.file);
        EXPECT_EQ(store::replace_main_database(c.file), c.outcome);
        EXPECT_TRUE(platform::db_is_open(store::main_connection()));
        EXPECT_EQ(rows("select * from 收费员 order by 收费人员"), before);
        EXPECT_EQ(QDir(path("DATA")).entryList(QDir::Files).filter(".mdb."), QStringList{});
        EXPECT_EQ(harness::read_bytes(c.file), chosen);  // the chosen file as it was
    }
    EXPECT_EQ(store::replace_outcome_reason(ReplaceOutcome::Damaged), "备份文件已损坏，不能恢复！");
}

TEST_F(RestoreRefusalTest, TheLiveFileOntoItselfChangesNothing) {
    exec("insert into 收费员 (收费人员,密码,许可) values ('张三','x',1)");
    EXPECT_EQ(store::replace_main_database(path("DATA/DATA.mdb")), store::ReplaceOutcome::SameFile);
    EXPECT_TRUE(platform::db_is_open(store::main_connection()));
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='张三'"), 1);
}

TEST_F(RestoreRefusalTest, JournalLeftByTheOldDatabaseIsNotReadIntoTheNewOne) {
    const QString backup = make_backup("之前.mdb");
    exec("insert into 收费员 (收费人员,密码,许可) values ('张三','x',1)");
    // The journal of the old database as a crash would leave it: frames not yet in the file.
    QFile::remove(path("保存的.wal"));
    ASSERT_TRUE(QFile::copy(path("DATA/DATA.mdb-wal"), path("保存的.wal")));
    store::close_main_database();
    ASSERT_FALSE(QFile::exists(path("DATA/DATA.mdb-wal")));
    ASSERT_TRUE(QFile::copy(path("保存的.wal"), path("DATA/DATA.mdb-wal")));

    EXPECT_EQ(store::replace_main_database(backup), store::ReplaceOutcome::Replaced);
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='张三'"), 0);
}

// The live file is known by its identity: a hard link to it, or a backup target that is the
// live file, is refused with the reason and changes nothing.
TEST_F(RestoreRefusalTest, LiveFileUnderAnotherNameIsTheLiveFile) {
    exec("insert into 收费员 (收费人员,密码,许可) values ('张三','x',1)");
    const QString live = path("DATA/DATA.mdb");
    const QString link = path("bak/链接.mdb");
    ASSERT_EQ(::link(QFile::encodeName(live).constData(), QFile::encodeName(link).constData()), 0);
    EXPECT_EQ(store::replace_main_database(link), store::ReplaceOutcome::SameFile);
    EXPECT_EQ(store::replace_outcome_reason(store::ReplaceOutcome::SameFile),
              "所选文件就是正在使用的数据库文件。");
    EXPECT_TRUE(platform::db_is_open(store::main_connection()));
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='张三'"), 1);

    for (const QString& target : {live, link, path("DATA/../DATA/DATA.mdb")}) {
        SCOPED_TRACE(target.toStdString());
        const store::ManualBackupResult result = store::backup_main_database_to(target);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.reason, "不能备份到正在使用的数据库文件上，请另选文件。");
        EXPECT_TRUE(platform::db_is_open(store::main_connection()));
        EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='张三'"), 1);
    }
}

// What a restore killed half-way leaves beside the live file goes at the next start; a live
// file missing altogether comes back from the kept old one.
TEST_F(BackupTest, LeftoversOfAKilledRestoreAreCleanedAtStart) {
    exec("insert into 收费员 (收费人员,密码,许可) values ('张三','x',1)");
    store::close_main_database();
    const QString live = path("DATA/DATA.mdb");
    for (const char* leftover : {".new", ".old", ".new-wal", ".old-shm"})
        ASSERT_TRUE(QFile::copy(live, live + leftover));
    store::clean_replacement_leftovers();
    EXPECT_EQ(QDir(path("DATA")).entryList(QDir::Files), QStringList{"DATA.mdb"});

    // Killed after the old file was kept and before the new one was renamed, with the live
    // name gone: the old database is the one that opens.
    ASSERT_TRUE(QFile::rename(live, live + ".old"));
    harness::write_bytes(live + ".new", "half a copy");
    store::clean_replacement_leftovers();
    EXPECT_EQ(QDir(path("DATA")).entryList(QDir::Files), QStringList{"DATA.mdb"});
    ASSERT_TRUE(store::reopen_main_database());
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='张三'"), 1);
}

// Part files of backups killed part-way go at the next start, from the program's bak, the
// automatic backup folder and the folder of the last backup; the part file of a backup still
// under way (another program's, holding it) and every other file stay.
TEST_F(BackupTest, PartFilesOfKilledBackupsAreRemovedAtStart) {
    QDir().mkpath(path("别处"));
    QDir().mkpath(path("上次"));
    platform::ini_write_text("备份方式", "备份路径", path("别处"));
    platform::ini_write_text("备份方式", "备份文件", path("上次/2026年3月1日.mdb"));
    const QStringList leftovers = {"bak/2026年3月7日.mdb.part", "bak/2026年3月7日.mdb.part-journal",
                                   "别处/2026年3月6日.mdb.part", "上次/手动.mdb.part"};
    const QStringList kept = {"bak/2026年3月5日.mdb", "bak/说明.txt", "别处/2026年3月4日.mdb",
                              "上次/2026年3月1日.mdb", "bak/进行中.mdb.part"};
    for (const QString& file : leftovers + kept) harness::write_bytes(path(file), "x");
    const int running = ::open(QFile::encodeName(path("bak/进行中.mdb.part")).constData(), O_RDWR);
    ASSERT_GE(running, 0);
    ASSERT_EQ(::flock(running, LOCK_EX), 0);

    store::clean_backup_leftovers();
    ::close(running);
    for (const QString& file : leftovers) EXPECT_FALSE(QFile::exists(path(file))) << file.toStdString();
    for (const QString& file : kept) EXPECT_TRUE(QFile::exists(path(file))) << file.toStdString();
}

}  // namespace
