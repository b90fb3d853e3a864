// Where file dialogs open: each kind of file in its own place, with the fallbacks when that
// place is gone, and never the folder the process happened to be started from.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <optional>

#include "harness/scripted_ui.h"  // PrintTo(QString)
#include "platform/dialogs.h"
#include "platform/file_places.h"
#include "platform/files.h"

using namespace platform;

namespace {

// A program folder, a home folder and a working directory of the test's own, side by side, so
// that a dialog falling back to the working directory shows as such. The environment that
// decides the user's folders is put back afterwards.
class FilePlaces : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        for (const char* folder : {"program", "home", "elsewhere/出口", "exports"})
            ASSERT_TRUE(QDir(root_.path()).mkpath(QString::fromUtf8(folder)));
        set_program_directory_for_tests(at("program"));
        saved_home_ = qgetenv("HOME");
        saved_xdg_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", at("home").toLocal8Bit());
        qunsetenv("XDG_CONFIG_HOME");
        saved_cwd_ = QDir::currentPath();
        QDir::setCurrent(at("elsewhere"));
    }
    void TearDown() override {
        QDir::setCurrent(saved_cwd_);
        qputenv("HOME", saved_home_);
        if (saved_xdg_.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", saved_xdg_);
        set_program_directory_for_tests(QString());
    }
    QString at(const QString& tail) const { return root_.path() + u'/' + tail; }

    QTemporaryDir root_;
    QByteArray saved_home_, saved_xdg_;
    QString saved_cwd_;
};

}  // namespace

TEST_F(FilePlaces, EachKindOfFileOpensInItsOwnPlace) {
    struct Case {
        const char* what;
        FilePlace place;
        std::optional<QString> last_export;  // as pz.ini holds it
        QStringList user_folders;            // made under home
        bool home_exists;
        QString expected;  // under the test's root
    };
    const Case cases[] = {
        {"first export, documents there",
         FilePlace::Exchange,
         {},
         {"Documents"},
         true,
         "home/Documents"},
        {"first export, no documents folder", FilePlace::Exchange, {}, {}, true, "home"},
        {"beside the last export",
         FilePlace::Exchange,
         at("exports"),
         {"Documents"},
         true,
         "exports"},
        {"last export folder gone",
         FilePlace::Exchange,
         at("exports/删掉了"),
         {"Documents"},
         true,
         "home/Documents"},
        {"a relative last export is not the working directory's",
         FilePlace::Exchange,
         QStringLiteral("出口"),
         {"Documents"},
         true,
         "home/Documents"},
        {"nothing of the user's exists", FilePlace::Exchange, {}, {}, false, "program"},
        {"backups in bak, made when missing",
         FilePlace::Backup,
         at("exports"),
         {"Documents"},
         true,
         "program/bak"},
        {"pictures", FilePlace::Picture, {}, {"Pictures", "Documents"}, true, "home/Pictures"},
        {"no pictures folder", FilePlace::Picture, {}, {"Documents"}, true, "home/Documents"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QDir(at("home")).removeRecursively());
        ASSERT_TRUE(QDir(at("program/bak")).removeRecursively());
        QFile::remove(at("program/pz.ini"));
        if (c.home_exists) {
            ASSERT_TRUE(QDir(at("home")).mkpath("."));
        }
        for (const QString& folder : c.user_folders) ASSERT_TRUE(QDir(at("home")).mkpath(folder));
        if (c.last_export) {
            ASSERT_TRUE(ini_write_text(kLastExportSection, kLastExportKey, *c.last_export));
        }

        const QString start = dialog_start_folder(c.place);
        EXPECT_EQ(start, at(c.expected));
        EXPECT_TRUE(folder_exists(start));
        EXPECT_NE(start, QDir::currentPath());
    }
}

TEST_F(FilePlaces, AnExportIsRememberedByItsFolder) {
    ASSERT_TRUE(QDir(at("home")).mkpath("Documents"));
    EXPECT_EQ(dialog_start_folder(FilePlace::Exchange), at("home/Documents"));

    EXPECT_TRUE(remember_export_folder(at("exports/用户查询表.xls")));
    EXPECT_EQ(ini_read_text(kLastExportSection, kLastExportKey), at("exports"));
    EXPECT_EQ(dialog_start_folder(FilePlace::Exchange), at("exports"));
    // Backups keep their own place whatever was exported last.
    EXPECT_EQ(dialog_start_folder(FilePlace::Backup), at("program/bak"));

    // A bare file name would be the working directory's: not remembered.
    EXPECT_FALSE(remember_export_folder(QStringLiteral("用户查询表.xls")));
    EXPECT_FALSE(remember_export_folder(QString()));
    EXPECT_EQ(dialog_start_folder(FilePlace::Exchange), at("exports"));
}

// The dialog layer hands every dialog its place's folder, whatever the caller put in directory.
TEST_F(FilePlaces, TheDialogLayerOpensEveryDialogInItsPlace) {
    UiScript ui;
    ui.expect_file(QString()).expect_file(QString());
    FileDialogRequest backup;
    backup.kind = FileDialogRequest::Kind::Open;
    backup.place = FilePlace::Backup;
    common_dialog_show(backup);
    FileDialogRequest unplaced;  // a save that names no place opens with the exchanged files
    unplaced.kind = FileDialogRequest::Kind::Save;
    unplaced.directory = QStringLiteral(".");
    common_dialog_show(unplaced);
    ASSERT_EQ(ui.file_requests().size(), 2u);
    EXPECT_EQ(ui.file_requests()[0].directory, at("program/bak"));
    EXPECT_EQ(ui.file_requests()[1].directory, at("home"));
}
