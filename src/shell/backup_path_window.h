#pragma once
// The folder chooser of the backup settings (caption "备份路径"): a drive box, a directory box
// and "确定", which puts the chosen folder into the settings window's path box.
#include <QDialog>
#include <QString>
#include <memory>

class QFileSystemModel;
class QLineEdit;

namespace Ui {
class BackupPathWindow;
}

namespace shell {

inline const QString kBackupPathCaption = QStringLiteral("备份路径");

class BackupPathWindow : public QDialog {
    Q_OBJECT

public:
    // path_box: the settings window's 编辑框_路径, which "确定" fills. The directory box starts
    // at the folder that box names, when it exists, else at the program folder.
    explicit BackupPathWindow(QWidget* parent = nullptr, QLineEdit* path_box = nullptr);
    ~BackupPathWindow() override;

    // 驱动器框1 changed: the directory box goes to the root of the chosen drive.
    void on_backup_path_drive_changed();
    // 按钮1 ("确定"): the directory box's folder into the path box, and the chooser closes.
    void on_backup_path_ok_click();

    // The folder the directory box stands on.
    QString directory_path() const { return directory_; }
    void set_directory_path(const QString& folder);

    Ui::BackupPathWindow* form() const { return ui.get(); }

private:
    void show_drive_of(const QString& folder);

    std::unique_ptr<Ui::BackupPathWindow> ui;
    QFileSystemModel* folders_;
    QLineEdit* path_box_;
    QString directory_;
    bool moving_ = false;  // the window itself is moving the boxes
};

}  // namespace shell
