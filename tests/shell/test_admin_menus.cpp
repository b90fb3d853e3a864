// The administration menu entries around the database file: manual backup, restore and
// initialisation, with their questions, messages and the reload of the system parameters; the
// backup settings window with its folder chooser.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "harness/file_helpers.h"
#include "harness/fixture.h"
#include "harness/units.h"
#include "platform/db.h"
#include "platform/files.h"
#include "shell/admin.h"
#include "shell/backup_path_window.h"
#include "shell/backup_settings_window.h"
#include "shell/permissions.h"
#include "shell/program_state.h"
#include "shell/system_parameters.h"
#include "store/backup.h"
#include "store/main_database.h"

namespace {

using harness::unit;
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
    EXPECT_EQ(ui.file_requests()[0].directory, path("bak"));
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
    // Enter refuses: the question's default button is 否.
    EXPECT_EQ(ui.boxes().back().default_button, platform::MsgDefault::Refusal);

    ui.expect_box("确认要恢复以前备份的数据吗?", MsgResult::Yes)
        .expect_file(backup)
        .expect_box("数据恢复成功！\r\n为防止数据读写错误，建议重新启动系统！");
    shell::on_menu_restore_database();
    ASSERT_EQ(ui.file_requests().size(), 1u);
    EXPECT_EQ(ui.file_requests()[0].directory, path("bak"));  // where the backups are
    EXPECT_NE(shell::system_parameters.organisation_name, "新单位");
    EXPECT_EQ(shell::system_parameters.organisation_name,
              value("select 文本 from pz where 项目名称='单位信息'"));

    ui.expect_box("确认要恢复以前备份的数据吗?", MsgResult::Yes)
        .expect_file(path("DATA/DATA.mdb"))
        .expect_box("数据恢复失败！\r\n所选文件就是正在使用的数据库文件。");
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
    // Enter refuses: the question's default button is 取消.
    EXPECT_EQ(ui.boxes().back().default_button, platform::MsgDefault::Refusal);

    ui.expect_box("确认要初始化所有数据", MsgResult::Ok).expect_box("数据初始化成功！");
    shell::on_menu_system_initialise();
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='张三'"), 0);
    EXPECT_NE(shell::system_parameters.organisation_name, "新单位");
    EXPECT_EQ(store::schema_version(), store::kCurrentSchemaVersion);
    EXPECT_TRUE(QFile::exists(path("bak/data.bak")));

    // A damaged shipped file keeps the live database: cut short, or with an index out of step
    // with its table (it opens and passes the quick check).
    exec("insert into 收费员 (收费人员,密码,许可) values ('李四','y',1)");
    const QByteArray whole = harness::read_bytes(path("bak/data.bak"));
    for (const bool cut_short : {true, false}) {
        SCOPED_TRACE(cut_short ? "cut short" : "index out of step");
        harness::write_bytes(path("bak/data.bak"), whole);
        if (cut_short) {
            QFile shipped(path("bak/data.bak"));
            ASSERT_TRUE(shipped.resize(shipped.size() / 3));
        } else {
            harness::put_index_out_of_step(path("bak/data.bak"));
        }
        ui.expect_box("确认要初始化所有数据", MsgResult::Ok)
            .expect_box(
                "数据初始化失败！\r\n安装时的数据文件（bak\\data.bak）已损坏，不能初始化！");
        shell::on_menu_system_initialise();
        EXPECT_EQ(ui.boxes().back().icon, MsgIcon::Information);
        EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='李四'"), 1);
    }
}

TEST_F(BackupMenuTest, RestoreRefusesADamagedBackup) {
    const QString backup = make_backup("之前.mdb");
    harness::put_index_out_of_step(backup);
    exec("insert into 收费员 (收费人员,密码,许可) values ('李四','y',1)");
    ui.expect_box("确认要恢复以前备份的数据吗?", MsgResult::Yes)
        .expect_file(backup)
        .expect_box("数据恢复失败！\r\n备份文件已损坏，不能恢复！");
    shell::on_menu_restore_database();
    EXPECT_EQ(ui.boxes().back().icon, MsgIcon::Critical);
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员='李四'"), 1);
    EXPECT_EQ(count("select count(*) from 收费员 where 收费人员 like '索引%'"), 0);
}

class BackupSettingsTest : public harness::ProgramFolderTest {
protected:
    QString key(const char* section, const char* name) {
        return platform::ini_read_text(QString::fromUtf8(section), QString::fromUtf8(name));
    }
    void set_key(const char* section, const char* name, const char* value) {
        platform::ini_write_text(QString::fromUtf8(section), QString::fromUtf8(name),
                                 QString::fromUtf8(value));
    }
};

TEST_F(BackupSettingsTest, OpensWithTheStoredSettingsOrTheirDefaults) {
    {
        shell::BackupSettingsWindow window;
        EXPECT_TRUE(unit<QRadioButton>(&window, "手动备份按键")->isChecked());
        EXPECT_TRUE(unit<QRadioButton>(&window, "备份时不提示按键")->isChecked());
        EXPECT_EQ(unit<QLineEdit>(&window, "编辑框_路径")->text(), path("bak"));
        EXPECT_EQ(unit<QLabel>(&window, "周期显示")->text(), "1天");
        EXPECT_EQ(unit<QComboBox>(&window, "组合框_覆盖")->currentText(), "否");
        // Saved untouched, the cycle is the one the window shows.
        unit<QRadioButton>(&window, "自动备份按键")->setChecked(true);
        ui.expect_box("保存设置成功!");
        window.on_backup_settings_save_click();
        EXPECT_EQ(key("备份方式", "备份周期"), "1");
    }
    set_key("备份方式", "自动备份", "真");
    set_key("备份提示", "提示", "真");
    set_key("备份方式", "备份周期", "7");
    set_key("备份方式", "覆盖备份", "是");
    set_key("备份方式", "备份路径", "/srv/备份");
    shell::BackupSettingsWindow window;
    EXPECT_EQ(window.windowTitle(), "备份设置");
    EXPECT_TRUE(unit<QRadioButton>(&window, "自动备份按键")->isChecked());
    EXPECT_TRUE(unit<QRadioButton>(&window, "备份时提示按键")->isChecked());
    EXPECT_EQ(unit<QLineEdit>(&window, "编辑框_路径")->text(), "/srv/备份");
    EXPECT_EQ(unit<QSlider>(&window, "周期滑条")->value(), 7);
    EXPECT_EQ(unit<QLabel>(&window, "周期显示")->text(), "7天");
    EXPECT_EQ(unit<QComboBox>(&window, "组合框_覆盖")->currentIndex(), 1);
    unit<QSlider>(&window, "周期滑条")->setValue(0);
    EXPECT_EQ(unit<QLabel>(&window, "周期显示")->text(), "0天");
}

TEST_F(BackupSettingsTest, SaveWritesInOrderAndStopsWithoutAFolder) {
    shell::BackupSettingsWindow window;
    window.show();
    unit<QRadioButton>(&window, "自动备份按键")->setChecked(true);
    unit<QRadioButton>(&window, "备份时提示按键")->setChecked(true);
    unit<QSlider>(&window, "周期滑条")->setValue(5);
    unit<QLineEdit>(&window, "编辑框_路径")->clear();
    ui.expect_box("请选择备份路径！");
    window.on_backup_settings_save_click();
    // The switch and the prompt are written before the folder is checked; nothing after it.
    EXPECT_EQ(key("备份方式", "自动备份"), "真");
    EXPECT_EQ(key("备份提示", "提示"), "真");
    EXPECT_EQ(key("备份方式", "备份周期"), "");
    EXPECT_TRUE(window.isVisible());

    unit<QLineEdit>(&window, "编辑框_路径")->setText(path("bak"));
    unit<QComboBox>(&window, "组合框_覆盖")->setCurrentIndex(1);
    ui.expect_box("保存设置成功!");
    window.on_backup_settings_save_click();
    EXPECT_EQ(key("备份方式", "备份周期"), "5");
    EXPECT_EQ(key("备份方式", "备份路径"), path("bak"));
    EXPECT_EQ(key("备份方式", "覆盖备份"), "是");
    EXPECT_FALSE(window.isVisible());

    // Manual backup switches the automatic one off and leaves the prompt key as it was.
    shell::BackupSettingsWindow again;
    unit<QRadioButton>(&again, "手动备份按键")->setChecked(true);
    unit<QRadioButton>(&again, "备份时不提示按键")->setChecked(true);
    ui.expect_box("保存设置成功!");
    again.on_backup_settings_save_click();
    EXPECT_EQ(key("备份方式", "自动备份"), "假");
    EXPECT_EQ(key("备份提示", "提示"), "真");
}

TEST_F(BackupSettingsTest, FolderChooserFillsThePathBox) {
    ASSERT_TRUE(QDir().mkpath(path("备份/每日")));
    ui.on_modal("shell::BackupPathWindow", [this](QDialog* d) {
        auto* chooser = qobject_cast<shell::BackupPathWindow*>(d);
        EXPECT_EQ(chooser->windowTitle(), "备份路径");
        // It starts at the folder the settings name.
        EXPECT_EQ(chooser->directory_path(), path("bak"));
        EXPECT_NE(unit<QComboBox>(chooser, "驱动器框1"), nullptr);
        chooser->set_directory_path(path("备份/每日"));
        unit<QPushButton>(chooser, "按钮1")->click();
        return chooser->result();
    });
    shell::BackupSettingsWindow window;
    unit<QPushButton>(&window, "按钮1")->click();
    EXPECT_EQ(unit<QLineEdit>(&window, "编辑框_路径")->text(), path("备份/每日"));

    shell::BackupPathWindow chooser;
    chooser.on_backup_path_drive_changed();
    EXPECT_EQ(chooser.directory_path(),
              unit<QComboBox>(&chooser, "驱动器框1")->currentData().toString());
}

TEST_F(BackupSettingsTest, MenuAndSubmenuHeaderOpenTheSettings) {
    ui.on_modal("shell::BackupSettingsWindow", [](QDialog*) { return 0; });
    shell::on_menu_backup_settings();
    shell::on_menu_database_management();
    EXPECT_EQ(ui.modal_windows(),
              (QStringList{"shell::BackupSettingsWindow", "shell::BackupSettingsWindow"}));
}

}  // namespace
