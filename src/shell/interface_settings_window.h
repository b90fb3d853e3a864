#pragma once
// The UI settings window "界面设置": the skin, the Aero switch, the colour and Aero adjustment
// and the main window's background picture. Every choice takes effect at once and is kept in
// pz.ini. Opened modally from the menu entry 辅助 > 界面设置.
//
// (The file is not called ui_settings_window.h: the build's form compiler claims every header
// named ui_*.h as its own output.)
#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class UiSettingsWindow;
}

namespace shell {

inline const QString kPictureDialogTitle = QStringLiteral("请选择图片文件");
inline const QString kPictureDialogFilter = QStringLiteral(
    "所有图片(*.jpg;*.bmp;*.png)|*.jpg;*.bmp;*.png|JPEG图片(*.jpg)|*.jpg|位图文件(*.bmp)|*.bmp|"
    "PNG图片文件(*.png)|*.png");

class UiSettingsWindow : public QDialog {
    Q_OBJECT

public:
    explicit UiSettingsWindow(QWidget* parent = nullptr);
    ~UiSettingsWindow() override;

    // Creation: the Aero switch, the skin list, the picture path, the focus on 按钮1. Run again
    // by the colour adjustment window's "还  原".
    void on_ui_settings_window_create();
    // Fills 组合框1 with the skins (*.she) in `folder` and its subfolders (those in a subfolder
    // as "subfolder/name.she", so that the skin folder + "/" + entry is the file), and selects
    // the current skin.
    void fill_skin_list(const QString& folder);
    // A skin chosen in 组合框1 (its index).
    void on_ui_settings_skin_changed(int index);
    void on_ui_settings_aero_on();              // 单选框1
    void on_ui_settings_aero_off();             // 单选框2
    void on_ui_settings_reset_picture_click();  // 按钮_重设
    void on_ui_settings_button4_click();        // 颜色调整
    void on_ui_settings_button5_click();        // Aero调整
    void on_ui_settings_close_click();          // 按钮1 退  出

private:
    void open_colour_adjust_window();

    std::unique_ptr<Ui::UiSettingsWindow> ui;
};

}  // namespace shell
