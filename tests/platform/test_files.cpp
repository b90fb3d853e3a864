#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "harness/file_helpers.h"
#include "harness/scripted_ui.h"  // PrintTo(QString)
#include "platform/files.h"

using namespace platform;

namespace {

using harness::read_bytes;
using harness::write_bytes;

// A program folder of its own for every test.
class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        set_program_directory_for_tests(dir_.path());
    }
    void TearDown() override { set_program_directory_for_tests(QString()); }
    QString path(const QString& name) const { return dir_.path() + u'/' + name; }

    QTemporaryDir dir_;
};

}  // namespace

TEST_F(ProgramFolder, AppPathJoinsBackslashTailsUnderTheProgramFolder) {
    const QString expected = dir_.path() + QStringLiteral("/DATA/DATA.mdb");
    EXPECT_EQ(app_path(QStringLiteral("\\DATA\\DATA.mdb")), expected);
    EXPECT_EQ(app_path(QStringLiteral("DATA/DATA.mdb")), expected);
    EXPECT_EQ(app_path(QStringLiteral("/DATA//DATA.mdb")), expected);
    EXPECT_EQ(app_path(kMainDatabaseFile), expected);
    EXPECT_EQ(app_path(kIniFile), dir_.path() + QStringLiteral("/pz.ini"));
    EXPECT_EQ(app_path(QString()), dir_.path());
    // A folder given with a trailing separator gives no doubled one.
    set_program_directory_for_tests(dir_.path() + u'/');
    EXPECT_EQ(app_path(QStringLiteral("\\bak\\data.bak")),
              dir_.path() + QStringLiteral("/bak/data.bak"));
    set_program_directory_for_tests(QString());
    EXPECT_EQ(program_directory(), QCoreApplication::applicationDirPath());
}

TEST_F(ProgramFolder, IniRoundTripKeepsChineseReadable) {
    EXPECT_FALSE(file_exists(path("pz.ini")));
    EXPECT_EQ(ini_read_text(QStringLiteral("备份方式"), QStringLiteral("备份周期")), QString());
    EXPECT_EQ(
        ini_read_text(QStringLiteral("导航命令"), QStringLiteral("提示"), QStringLiteral("真")),
        QStringLiteral("真"));

    ASSERT_TRUE(ini_write_text(QStringLiteral("备份方式"), QStringLiteral("备份路径"),
                               QStringLiteral("/home/收费/备份")));
    ASSERT_TRUE(
        ini_write_text(QStringLiteral("分割条"), QStringLiteral("数值"), QStringLiteral("210")));
    ASSERT_TRUE(ini_write_text(QStringLiteral("备份方式"), QStringLiteral("自动备份"),
                               QStringLiteral("真")));
    ASSERT_TRUE(ini_write_text(QStringLiteral("备份方式"), QStringLiteral("自动备份"),
                               QStringLiteral("假")));

    EXPECT_EQ(ini_read_text(QStringLiteral("备份方式"), QStringLiteral("备份路径")),
              QStringLiteral("/home/收费/备份"));
    EXPECT_EQ(
        ini_read_text(QStringLiteral("备份方式"), QStringLiteral("自动备份"), QStringLiteral("真")),
        QStringLiteral("假"));
    EXPECT_EQ(ini_read_text(QStringLiteral("分割条"), QStringLiteral("数值")),
              QStringLiteral("210"));
    // ASCII letters in names match regardless of case, as the settings file always has.
    ASSERT_TRUE(
        ini_write_text(QStringLiteral("Aero特效"), QStringLiteral("开关"), QStringLiteral("开")));
    EXPECT_EQ(ini_read_text(QStringLiteral("AERO特效"), QStringLiteral("开关")),
              QStringLiteral("开"));

    const QByteArray bytes = read_bytes(path("pz.ini"));
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));  // no byte-order mark
    const QString text = QString::fromUtf8(bytes);
    EXPECT_TRUE(text.contains(QStringLiteral("[备份方式]")));
    EXPECT_TRUE(text.contains(QStringLiteral("自动备份")));
    EXPECT_EQ(text.count(QStringLiteral("自动备份")), 1);
}

TEST_F(ProgramFolder, IniIsReadAfreshOnEveryCall) {
    ASSERT_TRUE(
        ini_write_text(QStringLiteral("标题"), QStringLiteral("标题名称"), QStringLiteral("甲")));
    EXPECT_EQ(ini_read_text(QStringLiteral("标题"), QStringLiteral("标题名称")),
              QStringLiteral("甲"));
    // Another program edits the file, with a byte-order mark and CRLF line ends.
    write_bytes(path("pz.ini"), QStringLiteral("\uFEFF[标题]\r\n标题名称=乙 \r\n").toUtf8());
    EXPECT_EQ(ini_read_text(QStringLiteral("标题"), QStringLiteral("标题名称")),
              QStringLiteral("乙"));
    // A write keeps what another program put there.
    ASSERT_TRUE(ini_write_text(QStringLiteral("打印设置"), QStringLiteral("发票张数"),
                               QStringLiteral("3")));
    EXPECT_EQ(ini_read_text(QStringLiteral("标题"), QStringLiteral("标题名称")),
              QStringLiteral("乙"));
    QFile::remove(path("pz.ini"));
    EXPECT_EQ(
        ini_read_text(QStringLiteral("标题"), QStringLiteral("标题名称"), QStringLiteral("无")),
        QStringLiteral("无"));
}

TEST_F(ProgramFolder, IniValueWithLineBreaksCannotBreakTheFile) {
    ASSERT_TRUE(ini_write_text(QStringLiteral("标题"), QStringLiteral("标题名称"),
                               QStringLiteral("一\r\n[皮肤]\n位置=坏")));
    EXPECT_EQ(ini_read_text(QStringLiteral("皮肤"), QStringLiteral("位置")), QString());
    EXPECT_EQ(ini_read_text(QStringLiteral("标题"), QStringLiteral("标题名称")),
              QStringLiteral("一 [皮肤] 位置=坏"));
}

TEST(Md5Hex, LowercaseDigestOfUtf8Bytes) {
    EXPECT_EQ(md5_hex(QStringLiteral("123")), QStringLiteral("202cb962ac59075b964b07152d234b70"));
    EXPECT_EQ(md5_hex(QString()), QStringLiteral("d41d8cd98f00b204e9800998ecf8427e"));
    EXPECT_EQ(md5_hex(QStringLiteral("管理员")),
              QStringLiteral("b1dae9bc5cabbc13e4bee21af11cdb8d"));
}

TEST_F(ProgramFolder, FileCopyOverwriteRulesAndCopyOntoItself) {
    const QString a = path("a.mdb");
    const QString b = path("b.mdb");
    write_bytes(a, "first");
    ASSERT_TRUE(file_copy(a, b, false));
    EXPECT_EQ(read_bytes(b), "first");

    write_bytes(a, "second");
    EXPECT_FALSE(file_copy(a, b, false));
    EXPECT_EQ(read_bytes(b), "first");
    EXPECT_TRUE(file_copy(a, b, true));
    EXPECT_EQ(read_bytes(b), "second");

    // Onto itself, by the same and by another spelling of the path: nothing is truncated.
    EXPECT_TRUE(file_copy(a, a, true));
    EXPECT_TRUE(file_copy(a, dir_.path() + QStringLiteral("/./a.mdb"), true));
    EXPECT_EQ(read_bytes(a), "second");

    EXPECT_FALSE(file_copy(path("missing.mdb"), path("c.mdb"), true));
    EXPECT_FALSE(file_exists(path("c.mdb")));
    EXPECT_FALSE(file_copy(a, path("no/such/folder/c.mdb"), true));
    ASSERT_TRUE(make_directory(path("sub/deeper")));
    EXPECT_TRUE(folder_exists(path("sub/deeper")));
    EXPECT_FALSE(file_copy(a, path("sub"), true));  // a folder is not replaced
    EXPECT_TRUE(file_copy(a, path("sub/deeper/a.bak"), false));
    EXPECT_EQ(read_bytes(path("sub/deeper/a.bak")), "second");
}

TEST_F(ProgramFolder, ACopyCutShortByAFullDiskFailsAndKeepsTheOldFile) {
    const QString a = path("a.mdb");
    const QString b = path("b.mdb");
    write_bytes(b, "old backup");
    write_bytes(a, QByteArray(64 * 1024, 'x'));
    {
        harness::FileSizeLimit limit(1024);
        EXPECT_FALSE(file_copy(a, b, true));
    }
    EXPECT_EQ(read_bytes(b), "old backup");
}

TEST_F(ProgramFolder, FileDeleteAndExists) {
    write_bytes(path("x.tmp"), "x");
    EXPECT_TRUE(file_exists(path("x.tmp")));
    EXPECT_FALSE(file_exists(dir_.path()));  // a folder is no file
    EXPECT_TRUE(file_delete(path("x.tmp")));
    EXPECT_FALSE(file_exists(path("x.tmp")));
    EXPECT_FALSE(file_delete(path("x.tmp")));
}

TEST(TempFolder, OnePrivateWritableFolderPerRun) {
    const QString folder = temp_folder();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(folder_exists(folder));
    EXPECT_EQ(temp_folder(), folder);
    EXPECT_FALSE(folder.endsWith(u'/'));
    QFile f(folder + QStringLiteral("/db.tmp"));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
}
