#include "shell/backup_path_window.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include "platform/file_places.h"
#include "platform/files.h"
#include "ui_backup_path_window.h"

namespace shell {

BackupPathWindow::BackupPathWindow(QWidget* parent, QLineEdit* path_box)
    : QDialog(parent),
      ui(std::make_unique<Ui::BackupPathWindow>()),
      folders_(new QFileSystemModel(this)),
      path_box_(path_box) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(kBackupPathCaption);

    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setRootPath(QString());
    ui->目录框1->setModel(folders_);
    // A directory box shows names only.
    for (int column = 1; column < folders_->columnCount(); ++column)
        ui->目录框1->hideColumn(column);
    ui->目录框1->setHeaderHidden(true);

    for (const QFileInfo& drive : QDir::drives())
        ui->驱动器框1->addItem(QDir::toNativeSeparators(drive.absoluteFilePath()),
                               drive.absoluteFilePath());

    QString start = path_box_ ? path_box_->text() : QString();
    start.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (start.isEmpty() || !platform::folder_exists(start))
        start = platform::dialog_start_folder(platform::FilePlace::Backup);
    set_directory_path(start);

    connect(ui->驱动器框1, &QComboBox::currentIndexChanged, this, [this] {
        if (!moving_) on_backup_path_drive_changed();
    });
    connect(ui->目录框1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!moving_ && current.isValid()) directory_ = folders_->filePath(current);
            });
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_backup_path_ok_click(); });
}

BackupPathWindow::~BackupPathWindow() = default;

void BackupPathWindow::show_drive_of(const QString& folder) {
    // The drive whose root the folder lies under; the longest root wins ("/" holds all).
    int best = -1;
    qsizetype best_length = -1;
    for (int i = 0; i < ui->驱动器框1->count(); ++i) {
        const QString root = ui->驱动器框1->itemData(i).toString();
        if (folder.startsWith(root, Qt::CaseInsensitive) && root.size() > best_length) {
            best = i;
            best_length = root.size();
        }
    }
    if (best >= 0) ui->驱动器框1->setCurrentIndex(best);
}

void BackupPathWindow::set_directory_path(const QString& folder) {
    moving_ = true;
    directory_ = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    show_drive_of(directory_);
    const QModelIndex index = folders_->index(directory_);
    if (index.isValid()) {
        ui->目录框1->setCurrentIndex(index);
        ui->目录框1->expand(index);
        ui->目录框1->scrollTo(index);
    }
    moving_ = false;
}

void BackupPathWindow::on_backup_path_drive_changed() {
    const QString root = ui->驱动器框1->currentData().toString();
    if (!root.isEmpty()) set_directory_path(root);
}

void BackupPathWindow::on_backup_path_ok_click() {
    if (path_box_) path_box_->setText(directory_);
    accept();
}

}  // namespace shell
