// Qt's own windows in Chinese on a machine whose own language is not: the translations the
// program installs, and the file dialog under each skin (its list, its texts, its icons).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractProxyModel>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLocale>
#include <QTemporaryDir>
#include <QTreeView>

#include "dialog_look.h"
#include "platform/chinese_ui.h"
#include "platform/dialogs.h"

namespace {

using dialog_look::reads_english;

QString tr(const char* context, const char* text, const char* disambiguation = nullptr) {
    return QCoreApplication::translate(context, text, disambiguation);
}

TEST(ChineseUi, QtsOwnTextsAndOursAreChineseWhileItLives) {
    const QLocale before = QLocale();
    {
        const platform::ChineseUi chinese;
        EXPECT_TRUE(chinese.qt_translation_loaded());
        EXPECT_EQ(QLocale().language(), QLocale::Chinese);
        EXPECT_EQ(QLocale().territory(), QLocale::China);
        // From Qt's own translation.
        EXPECT_EQ(tr("QFileDialog", "Look in:"), "查找范围：");
        EXPECT_EQ(tr("QPrintPreviewDialog", "Page Setup"), "页面设置");
        // From ours, where Qt's has nothing (Qt asks with a disambiguation).
        EXPECT_EQ(tr("QAbstractFileIconProvider", "Folder", "All other platforms"), "文件夹");
        EXPECT_EQ(tr("QAbstractFileIconProvider", "Drive"), "驱动器");
        EXPECT_EQ(tr("QPrintSettingsOutput", "Long side"), "长边");
        // What neither knows stays as it is.
        EXPECT_EQ(tr("QFileDialog", "no such text"), "no such text");
    }
    EXPECT_EQ(tr("QAbstractFileIconProvider", "Folder"), "Folder");
    EXPECT_EQ(tr("QFileDialog", "Look in:"), "Look in:");
    EXPECT_EQ(QLocale(), before);
}

// Processes events until `done` holds; false when the file model's thread took too long.
template <class F>
bool wait_for(F done) {
    QDeadlineTimer deadline(10000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

TEST(FileDialog, SpeaksChineseWithItsIconsUnderEverySkin) {
    const platform::ChineseUi chinese;
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("子目录"));
    QFile file(dir.filePath("用户.xlsx"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3000, 'x'));
    ASSERT_TRUE(file.flush());
    const QDateTime modified(QDate(2026, 12, 10), QTime(16, 43, 41));
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();

    for (const QString& skin : dialog_look::kSkins) {
        SCOPED_TRACE(skin.toStdString());
        const dialog_look::SkinOn look(skin);
        platform::FileDialogRequest request;
        request.kind = platform::FileDialogRequest::Kind::Save;
        request.title = "导出";
        request.directory = dir.path();
        request.file_name = "新文件.xlsx";
        request.filter = "Excel文件(*.xlsx)|*.xlsx";
        const std::unique_ptr<QFileDialog> dialog = platform::make_file_dialog(request);
        dialog->setViewMode(QFileDialog::Detail);
        dialog->resize(900, 560);
        dialog->show();

        auto* view = dialog->findChild<QTreeView*>("treeView");
        ASSERT_NE(view, nullptr);
        auto* list = qobject_cast<QAbstractProxyModel*>(view->model());
        ASSERT_NE(list, nullptr);
        auto* files = qobject_cast<QFileSystemModel*>(list->sourceModel());
        ASSERT_NE(files, nullptr);
        const QModelIndex folder = list->mapFromSource(files->index(dir.filePath("子目录")));
        const QModelIndex xlsx = list->mapFromSource(files->index(dir.filePath("用户.xlsx")));
        ASSERT_TRUE(wait_for([&] {
            return list->index(xlsx.row(), 3, xlsx.parent()).data().toString().size() > 0 &&
                   list->index(folder.row(), 2, folder.parent()).data().toString().size() > 0;
        }));
        auto cell = [&](const QModelIndex& row, int column) {
            return list->index(row.row(), column, row.parent()).data().toString();
        };

        EXPECT_EQ(cell(folder, 0), "子目录");
        EXPECT_EQ(cell(folder, 2), "文件夹");
        EXPECT_EQ(
            cell(xlsx, 3),
            QLocale(QLocale::Chinese, QLocale::China).toString(modified, QLocale::ShortFormat));
        EXPECT_FALSE(reads_english(cell(xlsx, 3))) << cell(xlsx, 3).toStdString();
        EXPECT_EQ(cell(xlsx, 1), "2.93 kB");
        // The type is the desktop's own name of the file type, in Chinese ("Excel 2007 电子表格").
        EXPECT_TRUE(cell(xlsx, 2).contains(QRegularExpression("\\p{Han}")))
            << cell(xlsx, 2).toStdString();
        QStringList headers;
        for (int c = 0; c < 4; ++c)
            headers << list->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        EXPECT_EQ(headers, (QStringList{"名称", "大小", "类型", "修改日期"}));

        // Every caption, label and tool tip the operator sees is Chinese.
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            if (!label->isVisible()) continue;
            EXPECT_FALSE(reads_english(label->text())) << label->text().toStdString();
        }
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (!button->isVisible()) continue;
            EXPECT_FALSE(reads_english(button->text())) << button->text().toStdString();
            EXPECT_FALSE(reads_english(button->toolTip())) << button->toolTip().toStdString();
        }
        EXPECT_EQ(dialog->windowTitle(), "导出");

        // The six tool buttons draw their icons whatever the skin pads buttons with.
        EXPECT_EQ(dialog->findChildren<QToolButton*>().size(), 6);
        EXPECT_EQ(dialog_look::tool_buttons_without_icons(dialog.get()), QStringList());
    }
}

TEST(FileDialog, EachKindChoosesWhatItAsksFor) {
    QTemporaryDir dir;
    struct Case {
        platform::FileDialogRequest::Kind kind;
        QFileDialog::FileMode mode;
        QFileDialog::AcceptMode accept;
    };
    using Kind = platform::FileDialogRequest::Kind;
    for (const Case& c : {Case{Kind::Open, QFileDialog::ExistingFile, QFileDialog::AcceptOpen},
                          Case{Kind::Save, QFileDialog::AnyFile, QFileDialog::AcceptSave},
                          Case{Kind::Folder, QFileDialog::Directory, QFileDialog::AcceptOpen}}) {
        platform::FileDialogRequest request;
        request.kind = c.kind;
        request.directory = dir.path();
        request.file_name = "2026年3月8日9时5分.mdb";
        request.filter = "Access文件|*.mdb";
        const auto dialog = platform::make_file_dialog(request);
        EXPECT_EQ(dialog->fileMode(), c.mode);
        EXPECT_EQ(dialog->acceptMode(), c.accept);
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
        if (c.kind == Kind::Folder) {
            EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
        } else {
            EXPECT_EQ(dialog->nameFilters(), QStringList{"Access文件 (*.mdb)"});
            EXPECT_EQ(platform::chosen_file(*dialog), dir.filePath("2026年3月8日9时5分.mdb"));
        }
    }
}

}  // namespace
