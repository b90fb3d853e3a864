// The administration menu entries around the database file: manual backup, restore and
// initialisation, with their questions, messages and the reload of the system parameters.
#include <QFile>

#include "harness/fixture.h"
#include "platform/db.h"
#include "platform/files.h"
#include "shell/admin.h"
#include "shell/permissions.h"
#include "shell/program_state.h"
#include "shell/system_parameters.h"
#include "store/backup.h"
#include "store/main_database.h"

namespace {

using platform::MsgIcon;
using platform::MsgResult;

const QDateTime kNow(QDate(2026, 3, 8), QTime(9, 5, 0));

class BackupMenuTest : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        set_clock(kNow);
        shell::current_operator = shell::kAdministrator;
    }
    QString make_backup(const QString& name) {
        const QString target = path("bak/" + name);
        EXPECT_TRUE(store::backup_main_database_to(target).ok());
        return target;
    }
    void TearDown() override {
        shell::current_operator.clear();
        ProgramFolderTest::TearDown();
    }
};

TEST_F(BackupMenuTest, RestoreAndInitialisationAreForTheAdministratorOnly) {
    shell::current_operator = "张三";
    ui.expect_box("只有管理员才能进入！").expect_box("只有管理员才能进入！");
    shell::on_menu_restore_database();
    shell::on_menu_system_initialise();
    EXPECT_TRUE(ui.file_requests().empty());
}

TEST_F(BackupMenuTest, ManualBackupProposesTheNameOfNow) {
    ui.expect_file(path("bak/选定.mdb")).expect_box("数据备份成功 ！");
    shell::on_menu_backup_database();
    ASSERT_EQ(ui.file_requests().size(), 1u);
    EXPECT_EQ(ui.file_requests()[0].file_name, "2026年3月8日9时5分.mdb");
    EXPECT_TRUE(store::is_database_of_this_system(path("bak/选定.mdb")));
    EXPECT_TRUE(platform::db_is_open(store::main_connection()));

    ui.expect_file("");  // cancelled: nothing happens
    shell::on_menu_backup_database();
    EXPECT_EQ(ui.boxes().size(), 1u);
}

TEST_F(BackupMenuTest, RestoreThroughTheMenuReloadsTheParameters) {
    const QString backup = make_backup("之前.mdb");
    exec("update pz set 文本='新单位' where 项目名称='单位信息'");
    shell::load_system_parameters();
    ASSERT_EQ(shell::system_parameters.organisation_name, "新单位");

    ui.expect_box("确认要恢复以前备份的数据吗?", MsgResult::No);
    shell::on_menu_restore_database();
    EXPECT_EQ(value("select 文本 from pz where 项目名称='单位信息'"), "新单位");

    ui.expect_box("确认要恢复以前备份的数据吗?", MsgResult::Yes)
        .expect_file(backup)
        .expect_box("数据恢复成功！\r\n为防止数据读写错误，建议重新启动系统！");
    shell::on_menu_restore_database();
    EXPECT_NE(shell::system_parameters.organisation_name, "新单位");
    EXPECT_EQ(shell::system_parameters.organisation_name,
              value("select 文本 from pz where 项目名称='单位信息'"));

    ui.expect_box("确认要恢复以前备份的数据吗?", MsgResult::Yes)
        .expect_file(path("DATA/DATA.mdb"))
        .expect_box("数据恢复失败！");
    shell::on_menu_restore_database();
    EXPECT_EQ(ui.boxes().back().icon, MsgIcon::Critical);
    EXPECT_TRUE(platform::db_is_open(store::main_connection()));
}

TEST_F(BackupMenuTest, InitialisationPutsTheShippedDatabaseBack) {
    exec("insert into 收费员 (收费人员,密码,许可) values ('张三','x',1)");
    exec("update pz set 文本='新单位' where 项目名称='单位信息'");
    shell::load_system_parameters();

    ui.expect_box("确认要初始化所有数据", MsgResult::Cancel);
    shell::on_menu_system_initialise();
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='张三'"), 1);

    ui.expect_box("确认要初始化所有数据", MsgResult::Ok).expect_box("数据初始化成功！");
    shell::on_menu_system_initialise();
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='张三'"), 0);
    EXPECT_NE(shell::system_parameters.organisation_name, "新单位");
    EXPECT_EQ(store::schema_version(), store::kCurrentSchemaVersion);
    EXPECT_TRUE(QFile::exists(path("bak/data.bak")));

    // A damaged shipped file keeps the live database.
    exec("insert into 收费员 (收费人员,密码,许可) values ('李四','y',1)");
    QFile shipped(path("bak/data.bak"));
    ASSERT_TRUE(shipped.resize(shipped.size() / 3));
    ui.expect_box("确认要初始化所有数据", MsgResult::Ok).expect_box("数据初始化失败！");
    shell::on_menu_system_initialise();
    EXPECT_EQ(ui.boxes().back().icon, MsgIcon::Information);
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='李四'"), 1);
}

}  // namespace
