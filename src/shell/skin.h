#pragma once
// Skins and the look of the windows.
//
// A skin is a Qt style sheet in Skin/<name>.she under the program folder. The skin engine
// offers five operations (attach a skin, switch the Aero effect, menu opacity, colour offsets,
// Aero parameters) and applies them to every window of the process, including windows opened
// later:
//   - the skin's style sheet becomes the application's style sheet;
//   - the colour offsets (hue, saturation, brightness) recolour the application palette and
//     every colour written in the skin's style sheet;
//   - the Aero effect makes ordinary windows translucent, from the Aero alpha (0..255 maps onto
//     an opacity of 0.75..1, so no window ever becomes unreadable); the shadow and tint
//     parameters are kept but draw nothing, as Qt has no frame of its own to draw them on;
//   - the menu opacity acts on every menu as it opens.
// Nothing is reported: a skin file that cannot be read leaves the previous look.
#include <QColor>
#include <QString>
#include <optional>

class QPixmap;

namespace shell {

// ---- the skin engine -----------------------------------------------------------------------

struct AeroParameters {
    int alpha = 120;
    int shadow_brightness = 0;
    int shadow_sharpness = 8;
    int shadow_size = 10;
    int x_offset = 0;
    int y_offset = 0;
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const AeroParameters&) const = default;
};

struct SkinState {
    QString skin_path;         // the last skin file that was read; empty while none is on
    QString skin_style_sheet;  // its text as read, before colour offsets
    int hue = 0;               // -180..180 degrees
    int saturation = 0;        // -100..100 percent
    int brightness = 0;        // -100..100 percent
    bool aero = false;
    AeroParameters aero_parameters;
    std::optional<int> menu_alpha;  // unset until a menu opacity is given
};

// Applies the skin file to all windows; the password is accepted for the caller's sake and not
// used. A file that cannot be read changes nothing.
void skin_attach(const QString& path, const QString& password = QString());
// 1 switches the Aero effect on, 0 off.
void skin_set_aero(int on);
// Opacity of menus, 0..255 (values outside are clamped).
void skin_set_menu_alpha(int alpha);
// Hue, saturation and brightness offsets, in this order.
void skin_adjust_hsv(int hue, int saturation, int brightness);
// Aero parameters in this order: alpha, shadow brightness, shadow sharpness, shadow size,
// x offset, y offset, red, green, blue.
void skin_adjust_aero(int alpha, int shadow_brightness, int shadow_sharpness, int shadow_size,
                      int x_offset, int y_offset, int red, int green, int blue);

const SkinState& skin_state();
// Switches skins off: the plain look of the platform, no offsets, no Aero, no menu opacity.
void skin_reset();

// The opacity a top-level window gets from the Aero effect; 1 while it is off.
double aero_window_opacity(const SkinState& state);

// One colour moved by the offsets: the hue turns by `hue` degrees, the (HSV) saturation scales
// by (100 + saturation)%, and every channel moves toward white (positive brightness) or black
// (negative) by |brightness|%. Alpha is kept; greys stay grey.
QColor adjust_colour(const QColor& colour, int hue, int saturation, int brightness);
// Every colour literal of a style sheet (#rgb, #rrggbb, #aarrggbb, rgb(), rgba()) moved by the
// offsets; comments, quoted texts and url() are left alone, and a relative url() is made
// relative to `base_folder` when one is given (Qt would resolve it against the working folder).
QString adjust_style_sheet_colours(const QString& sheet, int hue, int saturation, int brightness,
                                   const QString& base_folder = QString());

// ---- skin files and the settings --------------------------------------------------------

// The skin folder, program folder + "/Skin" (no trailing separator).
QString skin_folder();
// Program folder + "/Skin/默认.she": the skin used at start-up while none is set.
QString default_skin_path();
// Program folder + "/Skin/经典.she": the one the skin list takes as current while none is set.
QString classic_skin_path();

// The start-up: applies the skin, the Aero switch, the menu opacity, the colour offsets and
// the Aero parameters from pz.ini, then shows the background picture (or, when none is set or
// it cannot be read, the built-in one) in the main window's picture box 图片框1.
void load_skin_settings();

// Writes the appearance keys that choosing a skin and "还  原" reset: colour offsets "0",
// Aero 120, 10, 8, 0, 0, 0, 0 and menu opacity 255. The skin path and the Aero switch stay.
void write_default_appearance_settings();

// ---- the background picture of the main window -------------------------------------------

// The picture in a file: null when the file is missing, empty or holds no picture.
QPixmap load_background_picture(const QString& path);
// Shows the file's picture in the main window's picture box 图片框1. Returns false, leaving the
// box as it was, when the file gives no picture.
bool show_background_picture_file(const QString& path);

}  // namespace shell
