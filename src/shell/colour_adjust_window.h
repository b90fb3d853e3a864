#pragma once
// The colour adjustment window "颜色参数调整", opened modally from the UI settings window. Its
// sliders act on the look at once and only for this run of the program; nothing they do is
// written to pz.ini. They always open at their middle or default positions, whatever the look
// is at the moment.
#include <QDialog>
#include <memory>

class QSlider;

namespace Ui {
class ColourAdjustWindow;
}

namespace shell {

class UiSettingsWindow;

class ColourAdjustWindow : public QDialog {
    Q_OBJECT

public:
    // `settings_window`, when given, is the owner whose controls "还  原" refreshes.
    explicit ColourAdjustWindow(UiSettingsWindow* settings_window = nullptr);
    ~ColourAdjustWindow() override;

    // A mouse press on 滑块条1..3: hue, saturation and brightness from their positions
    // (minus 180, 100 and 100).
    void on_colour_hsv_slider_pressed();
    // A mouse press on 滑块条4..10: the Aero parameters from their positions.
    void on_colour_aero_slider_pressed();
    // "还  原": the default appearance keys into pz.ini, the UI settings window refreshed,
    // no colour offsets and Aero off (the Aero switch in pz.ini stays as it is).
    void on_colour_defaults_click();
    // "确  认"
    void on_colour_adjust_close_click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool is_hsv_slider(const QObject* slider) const;
    bool is_aero_slider(const QObject* slider) const;

    std::unique_ptr<Ui::ColourAdjustWindow> ui;
    UiSettingsWindow* settings_window_;
};

}  // namespace shell
