#include "shell/colour_adjust_window.h"

#include <QEvent>
#include <QSlider>

#include "shell/interface_settings_window.h"
#include "shell/skin.h"
#include "ui_colour_adjust_window.h"

namespace shell {

ColourAdjustWindow::ColourAdjustWindow(UiSettingsWindow* settings_window)
    : QDialog(settings_window),
      ui(std::make_unique<Ui::ColourAdjustWindow>()),
      settings_window_(settings_window) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    adjustSize();  // as tall as the sliders need under any skin
    QSlider* const sliders[] = {ui->滑块条1, ui->滑块条2, ui->滑块条3, ui->滑块条4, ui->滑块条5,
                                ui->滑块条6, ui->滑块条7, ui->滑块条8, ui->滑块条9, ui->滑块条10};
    for (QSlider* s : sliders) {
        // The press applies the positions as they stand; letting go of a drag applies where
        // the slider was left, so a drag shows its effect without a second press.
        s->installEventFilter(this);
        connect(s, &QSlider::sliderReleased, this, [this, s] {
            if (is_hsv_slider(s))
                on_colour_hsv_slider_pressed();
            else
                on_colour_aero_slider_pressed();
        });
    }
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_colour_defaults_click(); });
    connect(ui->按钮2, &QPushButton::clicked, this, [this] { on_colour_adjust_close_click(); });
}

ColourAdjustWindow::~ColourAdjustWindow() = default;

bool ColourAdjustWindow::is_hsv_slider(const QObject* slider) const {
    return slider == ui->滑块条1 || slider == ui->滑块条2 || slider == ui->滑块条3;
}

bool ColourAdjustWindow::is_aero_slider(const QObject* slider) const {
    return slider == ui->滑块条4 || slider == ui->滑块条5 || slider == ui->滑块条6 ||
           slider == ui->滑块条7 || slider == ui->滑块条8 || slider == ui->滑块条9 ||
           slider == ui->滑块条10;
}

bool ColourAdjustWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (is_hsv_slider(watched))
            on_colour_hsv_slider_pressed();
        else if (is_aero_slider(watched))
            on_colour_aero_slider_pressed();
    }
    return QDialog::eventFilter(watched, event);
}

void ColourAdjustWindow::on_colour_hsv_slider_pressed() {
    skin_adjust_hsv(ui->滑块条1->value() - 180, ui->滑块条2->value() - 100,
                    ui->滑块条3->value() - 100);
}

void ColourAdjustWindow::on_colour_aero_slider_pressed() {
    skin_adjust_aero(ui->滑块条4->value(), ui->滑块条7->value(), ui->滑块条6->value(),
                     ui->滑块条5->value(), 0, 0, ui->滑块条8->value(), ui->滑块条9->value(),
                     ui->滑块条10->value());
}

void ColourAdjustWindow::on_colour_defaults_click() {
    write_default_appearance_settings();
    if (settings_window_) settings_window_->on_ui_settings_window_create();
    skin_adjust_hsv(0, 0, 0);
    skin_set_aero(0);
}

void ColourAdjustWindow::on_colour_adjust_close_click() { close(); }

}  // namespace shell
