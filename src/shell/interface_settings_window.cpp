#include "shell/interface_settings_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "platform/dialogs.h"
#include "platform/files.h"
#include "shell/colour_adjust_window.h"
#include "shell/settings_keys.h"
#include "shell/skin.h"
#include "ui_interface_settings_window.h"

namespace shell {

namespace {

// The skin's name as the list shows it: its path below the skin folder.
QString skin_list_name(QString path) {
    path.replace(u'\\', u'/');
    const QString marker = QStringLiteral("/Skin/");
    const qsizetype at = path.lastIndexOf(marker, -1, Qt::CaseInsensitive);
    if (at >= 0) return path.mid(at + marker.size());
    return QFileInfo(path).fileName();
}

// Skin files of a folder and, below them, those of its subfolders (hidden ones skipped), each
// named relative to the folder first given. Sorted by name, so the list is the same on every
// file system.
void collect_skins(const QString& folder, const QString& prefix, QStringList* names) {
    const QDir dir(folder);
    for (const QString& file :
         dir.entryList({QStringLiteral("*.she")}, QDir::Files | QDir::Readable, QDir::Name))
        *names << prefix + file;
    for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (sub.startsWith(u'.')) continue;
        collect_skins(dir.filePath(sub), prefix + sub + u'/', names);
    }
}

}  // namespace

UiSettingsWindow::UiSettingsWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::UiSettingsWindow>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // activated, not currentIndexChanged: filling the list must not count as a choice.
    connect(ui->组合框1, &QComboBox::activated, this,
            [this](int index) { on_ui_settings_skin_changed(index); });
    connect(ui->单选框1, &QRadioButton::clicked, this, [this] { on_ui_settings_aero_on(); });
    connect(ui->单选框2, &QRadioButton::clicked, this, [this] { on_ui_settings_aero_off(); });
    connect(ui->按钮_重设, &QPushButton::clicked, this,
            [this] { on_ui_settings_reset_picture_click(); });
    connect(ui->按钮4, &QPushButton::clicked, this, [this] { on_ui_settings_button4_click(); });
    connect(ui->按钮5, &QPushButton::clicked, this, [this] { on_ui_settings_button5_click(); });
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_ui_settings_close_click(); });
    on_ui_settings_window_create();
}

UiSettingsWindow::~UiSettingsWindow() = default;

void UiSettingsWindow::on_ui_settings_window_create() {
    if (settings::kAeroSwitch.read() == settings::kOn)
        ui->单选框1->setChecked(true);
    else
        ui->单选框2->setChecked(true);
    fill_skin_list(skin_folder());
    const QString picture = settings::kBackgroundPicture.read();
    if (!picture.isEmpty()) ui->编辑框_图片地址->setText(picture);
    ui->按钮1->setFocus();
}

void UiSettingsWindow::fill_skin_list(const QString& folder) {
    QCoreApplication::processEvents();
    QString dir = folder;
    dir.replace(u'\\', u'/');
    if (!dir.endsWith(u'/')) dir += u'/';
    QString current = settings::kSkinPath.read();
    if (current.isEmpty()) current = classic_skin_path();
    const QString current_name = skin_list_name(current);

    QStringList names;
    collect_skins(dir, QString(), &names);
    ui->组合框1->clear();
    ui->组合框1->addItems(names);
    if (names.isEmpty()) return;
    const qsizetype found = names.indexOf(current_name);
    ui->组合框1->setCurrentIndex(found >= 0 ? static_cast<int>(found) : 0);
}

void UiSettingsWindow::on_ui_settings_skin_changed(int index) {
    if (index < 0 || index >= ui->组合框1->count()) return;
    const QString path = platform::app_path(QStringLiteral("Skin/") + ui->组合框1->itemText(index));
    skin_attach(path, QString());
    settings::kSkinPath.write(path);
    // The new skin's colour and Aero values start from their defaults at the next start.
    write_default_appearance_settings();
}

void UiSettingsWindow::on_ui_settings_aero_on() {
    ui->单选框1->setChecked(true);
    ui->单选框2->setChecked(false);
    skin_set_aero(1);
    settings::kAeroSwitch.write(settings::kOn);
}

void UiSettingsWindow::on_ui_settings_aero_off() {
    ui->单选框2->setChecked(true);
    ui->单选框1->setChecked(false);
    skin_set_aero(0);
    settings::kAeroSwitch.write(settings::kOff);
}

void UiSettingsWindow::on_ui_settings_reset_picture_click() {
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Open;
    request.title = kPictureDialogTitle;
    request.place = platform::FilePlace::Picture;
    request.filter = kPictureDialogFilter;
    const QString path = platform::common_dialog_show(request, this);
    if (path.isEmpty()) return;
    ui->编辑框_图片地址->setText(path);
    show_background_picture_file(path);
    settings::kBackgroundPicture.write(path);
}

void UiSettingsWindow::on_ui_settings_button4_click() { open_colour_adjust_window(); }

void UiSettingsWindow::on_ui_settings_button5_click() { open_colour_adjust_window(); }

void UiSettingsWindow::on_ui_settings_close_click() { close(); }

void UiSettingsWindow::open_colour_adjust_window() {
    ColourAdjustWindow window(this);
    platform::window_open_modal(&window);
}

}  // namespace shell
