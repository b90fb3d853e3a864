#pragma once
// The settings of the automatic backup (caption "备份设置"): on or off, ask or not, the cycle in
// days (0: every exit), overwrite the previous backup or keep it, and the backup folder. Kept in
// pz.ini one key at a time.
#include <QDialog>
#include <memory>

namespace Ui {
class BackupSettingsWindow;
}

namespace shell {

class BackupSettingsWindow : public QDialog {
    Q_OBJECT

public:
    explicit BackupSettingsWindow(QWidget* parent = nullptr);
    ~BackupSettingsWindow() override;

    void on_backup_settings_window_create();
    void on_backup_cycle_slider_changed();
    // 按钮1 ("......"): BackupPathWindow, modally; its "确定" fills 编辑框_路径.
    void on_backup_settings_path_click();
    void on_backup_settings_save_click();
    void on_backup_settings_return_click();

    Ui::BackupSettingsWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::BackupSettingsWindow> ui;
};

}  // namespace shell
