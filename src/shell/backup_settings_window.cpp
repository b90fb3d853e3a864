#include "shell/backup_settings_window.h"

#include <QPushButton>

#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "shell/backup_path_window.h"
#include "shell/settings_keys.h"
#include "ui_backup_settings_window.h"

namespace shell {

using platform::inform;

BackupSettingsWindow::BackupSettingsWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::BackupSettingsWindow>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    on_backup_settings_window_create();
    connect(ui->周期滑条, &QSlider::valueChanged, this,
            [this] { on_backup_cycle_slider_changed(); });
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_backup_settings_path_click(); });
    connect(ui->保存设置, &QPushButton::clicked, this, [this] { on_backup_settings_save_click(); });
    connect(ui->返回, &QPushButton::clicked, this, [this] { on_backup_settings_return_click(); });
}

BackupSettingsWindow::~BackupSettingsWindow() = default;

void BackupSettingsWindow::on_backup_settings_window_create() {
    const bool automatic = settings::kAutoBackup.read() == settings::kTrue;
    ui->自动备份按键->setChecked(automatic);
    ui->手动备份按键->setChecked(!automatic);
    const bool ask = settings::kBackupAsk.read() == settings::kTrue;
    ui->备份时提示按键->setChecked(ask);
    ui->备份时不提示按键->setChecked(!ask);
    const QString folder = settings::kBackupPath.read();
    ui->编辑框_路径->setText(folder.isEmpty() ? platform::app_path(platform::kBackupFolder)
                                              : folder);
    const QString cycle = settings::kBackupCycle.read();
    if (!cycle.isEmpty()) {
        ui->周期滑条->setValue(static_cast<int>(platform::to_number(cycle)));
        ui->周期显示->setText(cycle + QStringLiteral("天"));
    } else {
        ui->周期显示->setText(QStringLiteral("1天"));
    }
    ui->组合框_覆盖->setCurrentIndex(settings::kBackupOverwrite.read() == settings::kYes ? 1 : 0);
}

void BackupSettingsWindow::on_backup_cycle_slider_changed() {
    ui->周期显示->setText(QString::number(ui->周期滑条->value()) + QStringLiteral("天"));
}

void BackupSettingsWindow::on_backup_settings_path_click() {
    BackupPathWindow chooser(this, ui->编辑框_路径);
    platform::window_open_modal(&chooser);
}

void BackupSettingsWindow::on_backup_settings_save_click() {
    if (ui->自动备份按键->isChecked()) {
        settings::kAutoBackup.write(settings::kTrue);
        settings::kBackupAsk.write(ui->备份时提示按键->isChecked() ? settings::kTrue
                                                                   : settings::kFalse);
        if (ui->编辑框_路径->text().isEmpty()) {
            inform(QStringLiteral("请选择备份路径！"));
            return;
        }
    }
    settings::kBackupCycle.write(QString::number(ui->周期滑条->value()));
    settings::kBackupPath.write(ui->编辑框_路径->text());
    settings::kBackupOverwrite.write(ui->组合框_覆盖->currentIndex() == 1 ? settings::kYes
                                                                          : settings::kNo);
    if (ui->手动备份按键->isChecked()) settings::kAutoBackup.write(settings::kFalse);
    inform(QStringLiteral("保存设置成功!"));
    accept();
}

void BackupSettingsWindow::on_backup_settings_return_click() { reject(); }

}  // namespace shell
