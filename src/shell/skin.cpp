#include "shell/skin.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPalette>
#include <QPixmap>
#include <QPointer>
#include <algorithm>
#include <cmath>

#include "platform/convert.h"
#include "platform/files.h"
#include "shell/main_window.h"
#include "shell/settings_keys.h"

namespace shell {

namespace {

SkinState g_state;
QPalette g_base_palette;
bool g_base_captured = false;

// Windows opened after a change get the current look too: menus their opacity as they pop up,
// ordinary windows the Aero opacity as they are shown.
class WindowLookFilter final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

QPointer<WindowLookFilter> g_filter;

void apply_window_look(QWidget* window) {
    if (!window || !window->isWindow()) return;
    double opacity = 1.0;
    if (qobject_cast<QMenu*>(window)) {
        if (!g_state.menu_alpha) return;
        opacity = *g_state.menu_alpha / 255.0;
    } else {
        const Qt::WindowType type = window->windowType();
        if (type != Qt::Window && type != Qt::Dialog) return;
        opacity = aero_window_opacity(g_state);
    }
    // Windows keep their opacity in 1/255 steps; only a real change goes to the window system.
    if (std::abs(window->windowOpacity() - opacity) > 0.5 / 255.0)
        window->setWindowOpacity(opacity);
}

bool WindowLookFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType())
        apply_window_look(static_cast<QWidget*>(watched));
    return false;
}

bool have_application() { return qobject_cast<QApplication*>(QCoreApplication::instance()); }

// Remembers the platform's own palette before the engine first changes it, and starts watching
// new windows.
void ensure_engine() {
    if (!have_application()) return;
    if (!g_base_captured) {
        g_base_palette = QApplication::palette();
        g_base_captured = true;
    }
    if (!g_filter) {
        g_filter = new WindowLookFilter(qApp);
        qApp->installEventFilter(g_filter);
    }
}

void apply_window_opacity_to_all() {
    if (!have_application()) return;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) apply_window_look(w);
}

QPalette adjusted_palette(const QPalette& base, int hue, int saturation, int brightness) {
    QPalette result = base;
    for (int g = 0; g < QPalette::NColorGroups; ++g) {
        const auto group = static_cast<QPalette::ColorGroup>(g);
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const auto role = static_cast<QPalette::ColorRole>(r);
            if (role == QPalette::NoRole) continue;
            result.setColor(group, role,
                            adjust_colour(base.color(group, role), hue, saturation, brightness));
        }
    }
    return result;
}

// Puts the skin's style sheet, moved by the colour offsets, and the recoloured palette onto the
// application. Both are set only when they change, since every change repolishes all widgets.
void apply_colours() {
    if (!have_application()) return;
    ensure_engine();
    const QString folder =
        g_state.skin_path.isEmpty() ? QString() : QFileInfo(g_state.skin_path).absolutePath();
    const QString sheet = adjust_style_sheet_colours(
        g_state.skin_style_sheet, g_state.hue, g_state.saturation, g_state.brightness, folder);
    if (qApp->styleSheet() != sheet) qApp->setStyleSheet(sheet);
    const QPalette palette =
        adjusted_palette(g_base_palette, g_state.hue, g_state.saturation, g_state.brightness);
    if (QApplication::palette() != palette) QApplication::setPalette(palette);
}

int clamp_int(int value, int low, int high) { return std::clamp(value, low, high); }

// A number read from the settings file as an integer argument: the fraction cut off, and kept
// within a range an int holds whatever the file says.
int settings_integer(double value) {
    return static_cast<int>(std::trunc(std::clamp(value, -1.0e9, 1.0e9)));
}

int settings_integer(const SettingKey& key) {
    return settings_integer(platform::to_number(key.read()));
}

bool is_hex(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool is_identifier_char(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'-'; }

QString colour_literal(const QColor& colour) {
    if (colour.alpha() == 255) return colour.name(QColor::HexRgb);
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue())
        .arg(colour.alpha());
}

// One component of rgb()/rgba(): a number 0..255 or a percentage.
bool parse_rgb_component(const QString& text, int* value) {
    QString t = text.trimmed();
    bool ok = false;
    if (t.endsWith(u'%')) {
        const double p = t.chopped(1).trimmed().toDouble(&ok);
        if (!ok) return false;
        *value = clamp_int(static_cast<int>(std::lround(p * 255.0 / 100.0)), 0, 255);
        return true;
    }
    const double v = t.toDouble(&ok);
    if (!ok) return false;
    *value = clamp_int(static_cast<int>(std::lround(v)), 0, 255);
    return true;
}

bool is_relative_url(const QString& url) {
    return !url.isEmpty() && !url.startsWith(u'/') && !url.startsWith(u':') &&
           !url.contains(QStringLiteral("://")) && !QDir::isAbsolutePath(url);
}

}  // namespace

// ---- the engine -------------------------------------------------------------------------------

void skin_attach(const QString& path, const QString& /*password*/) {
    QString file_path = path;
    if (!QFileInfo::exists(file_path)) file_path.replace(u'\\', u'/');
    QFile file(file_path);
    if (!file.open(QIODevice::ReadOnly)) return;  // the previous look stays
    g_state.skin_path = file_path;
    g_state.skin_style_sheet = QString::fromUtf8(file.readAll());
    apply_colours();
}

void skin_set_aero(int on) {
    g_state.aero = on != 0;
    ensure_engine();
    apply_window_opacity_to_all();
}

void skin_set_menu_alpha(int alpha) {
    g_state.menu_alpha = clamp_int(alpha, 0, 255);
    ensure_engine();
}

void skin_adjust_hsv(int hue, int saturation, int brightness) {
    g_state.hue = clamp_int(hue, -360, 360);
    g_state.saturation = clamp_int(saturation, -100, 100);
    g_state.brightness = clamp_int(brightness, -100, 100);
    apply_colours();
}

void skin_adjust_aero(int alpha, int shadow_brightness, int shadow_sharpness, int shadow_size,
                      int x_offset, int y_offset, int red, int green, int blue) {
    g_state.aero_parameters = AeroParameters{clamp_int(alpha, 0, 255),
                                             shadow_brightness,
                                             shadow_sharpness,
                                             shadow_size,
                                             x_offset,
                                             y_offset,
                                             clamp_int(red, 0, 255),
                                             clamp_int(green, 0, 255),
                                             clamp_int(blue, 0, 255)};
    ensure_engine();
    apply_window_opacity_to_all();
}

const SkinState& skin_state() { return g_state; }

void skin_reset() {
    g_state = SkinState{};
    if (!have_application()) return;
    apply_colours();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowOpacity() < 1.0) w->setWindowOpacity(1.0);
}

double aero_window_opacity(const SkinState& state) {
    if (!state.aero) return 1.0;
    return 0.75 + 0.25 * clamp_int(state.aero_parameters.alpha, 0, 255) / 255.0;
}

QColor adjust_colour(const QColor& colour, int hue, int saturation, int brightness) {
    if (!colour.isValid() || (hue == 0 && saturation == 0 && brightness == 0)) return colour;
    // Hue and saturation in HSV, whose saturation of a pale tint is small, so that recolouring
    // a near-white background keeps it near white.
    const QColor hsv = colour.toHsv();
    float h = hsv.hsvHueF();  // negative for greys
    if (h >= 0) {
        h = std::fmod(h + hue / 360.0f, 1.0f);
        if (h < 0) h += 1.0f;
    } else {
        h = 0;  // a grey has no hue to turn, and its zero saturation keeps it grey
    }
    const float s = std::clamp(hsv.hsvSaturationF() * (100 + saturation) / 100.0f, 0.0f, 1.0f);
    QColor result = QColor::fromHsvF(h, s, hsv.valueF(), hsv.alphaF()).toRgb();
    // Brightness mixes every channel toward white or black, keeping the colour's character.
    const float b = brightness / 100.0f;
    auto shade = [b](float channel) {
        return std::clamp(b > 0 ? channel + (1.0f - channel) * b : channel * (1.0f + b), 0.0f,
                          1.0f);
    };
    result.setRgbF(shade(result.redF()), shade(result.greenF()), shade(result.blueF()),
                   result.alphaF());
    return result;
}

QString adjust_style_sheet_colours(const QString& sheet, int hue, int saturation, int brightness,
                                   const QString& base_folder) {
    const bool recolour = hue != 0 || saturation != 0 || brightness != 0;
    if (!recolour && base_folder.isEmpty()) return sheet;
    QString out;
    out.reserve(sheet.size() + 64);
    const qsizetype n = sheet.size();
    int depth = 0;  // inside a declaration block colours may appear; outside, '#' is an id
    qsizetype i = 0;
    auto starts_with_at = [&](qsizetype at, QStringView word) {
        return sheet.mid(at, word.size()).compare(word, Qt::CaseInsensitive) == 0;
    };
    while (i < n) {
        const QChar c = sheet[i];
        // Comments and quoted texts pass through untouched.
        if (c == u'/' && i + 1 < n && sheet[i + 1] == u'*') {
            qsizetype end = sheet.indexOf(QStringLiteral("*/"), i + 2);
            end = end < 0 ? n : end + 2;
            out += sheet.mid(i, end - i);
            i = end;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            qsizetype end = sheet.indexOf(c, i + 1);
            end = end < 0 ? n : end + 1;
            out += sheet.mid(i, end - i);
            i = end;
            continue;
        }
        if (c == u'{') ++depth;
        if (c == u'}' && depth > 0) --depth;
        const bool word_start = i == 0 || !is_identifier_char(sheet[i - 1]);
        if (word_start && starts_with_at(i, u"url(")) {
            qsizetype close = sheet.indexOf(u')', i + 4);
            if (close < 0) close = n - 1;
            QString inner = sheet.mid(i + 4, close - i - 4).trimmed();
            QChar quote;
            if (inner.size() >= 2 && (inner[0] == u'"' || inner[0] == u'\'') &&
                inner.back() == inner[0]) {
                quote = inner[0];
                inner = inner.mid(1, inner.size() - 2);
            }
            if (!base_folder.isEmpty() && is_relative_url(inner)) {
                inner = base_folder + u'/' + inner;
                if (quote.isNull()) quote = u'"';
            }
            out += QStringLiteral("url(");
            if (!quote.isNull()) out += quote;
            out += inner;
            if (!quote.isNull()) out += quote;
            out += u')';
            i = close + 1;
            continue;
        }
        if (recolour && depth > 0 && c == u'#') {
            qsizetype j = i + 1;
            while (j < n && is_hex(sheet[j])) ++j;
            const qsizetype digits = j - i - 1;
            if ((digits == 3 || digits == 6 || digits == 8) &&
                (j >= n || !is_identifier_char(sheet[j]))) {
                const QColor colour = QColor::fromString(sheet.mid(i, j - i));
                if (colour.isValid()) {
                    out += colour_literal(adjust_colour(colour, hue, saturation, brightness));
                    i = j;
                    continue;
                }
            }
        }
        if (recolour && depth > 0 && word_start &&
            (starts_with_at(i, u"rgb(") || starts_with_at(i, u"rgba("))) {
            const qsizetype open = sheet.indexOf(u'(', i);
            const qsizetype close = sheet.indexOf(u')', open);
            if (close > open) {
                const QStringList parts = sheet.mid(open + 1, close - open - 1).split(u',');
                int rgb[3];
                bool ok = parts.size() == 3 || parts.size() == 4;
                for (int k = 0; ok && k < 3; ++k) ok = parse_rgb_component(parts[k], &rgb[k]);
                if (ok) {
                    const QColor moved =
                        adjust_colour(QColor(rgb[0], rgb[1], rgb[2]), hue, saturation, brightness);
                    if (parts.size() == 4)
                        out += QStringLiteral("rgba(%1, %2, %3, %4)")
                                   .arg(moved.red())
                                   .arg(moved.green())
                                   .arg(moved.blue())
                                   .arg(parts[3].trimmed());
                    else
                        out += QStringLiteral("rgb(%1, %2, %3)")
                                   .arg(moved.red())
                                   .arg(moved.green())
                                   .arg(moved.blue());
                    i = close + 1;
                    continue;
                }
            }
        }
        // A colour given by name ("white", "navy") in a value, not a property name.
        if (recolour && depth > 0 && word_start && c.isLetter()) {
            qsizetype j = i;
            while (j < n && is_identifier_char(sheet[j])) ++j;
            const QString word = sheet.mid(i, j - i);
            qsizetype k = j;
            while (k < n && sheet[k].isSpace()) ++k;
            const bool property_name = k < n && sheet[k] == u':';
            const bool function_name = j < n && sheet[j] == u'(';
            if (!property_name && !function_name &&
                word.compare(u"transparent", Qt::CaseInsensitive) != 0 &&
                QColor::isValidColorName(word)) {
                out += colour_literal(
                    adjust_colour(QColor::fromString(word), hue, saturation, brightness));
            } else {
                out += word;
            }
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

// ---- skin files and settings ------------------------------------------------------------------

QString skin_folder() { return platform::app_path(QStringLiteral("Skin")); }

QString default_skin_path() { return platform::app_path(QStringLiteral("Skin/默认.she")); }

QString classic_skin_path() { return platform::app_path(QStringLiteral("Skin/经典.she")); }

void load_skin_settings() {
    using namespace settings;
    QString path = kSkinPath.read();
    if (path.isEmpty()) path = default_skin_path();
    skin_attach(path, QString());

    const bool aero_on = kAeroSwitch.read() == kOn;
    skin_set_aero(aero_on ? 1 : 0);

    const double menu_alpha = platform::to_number(kMenuAlpha.read());
    if (menu_alpha > 0.0000001) skin_set_menu_alpha(settings_integer(menu_alpha));

    // The file keeps offsets either as they are or raised by the slider's middle position.
    double hue = platform::to_number(kHue.read());
    double saturation = platform::to_number(kSaturation.read());
    double brightness = platform::to_number(kBrightness.read());
    if (hue > 180 + 0.0000001) hue -= 180;
    if (saturation > 100 + 0.0000001) saturation -= 100;
    if (brightness > 100 + 0.0000001) brightness -= 100;
    skin_adjust_hsv(settings_integer(hue), settings_integer(saturation),
                    settings_integer(brightness));

    if (aero_on) {
        skin_adjust_aero(settings_integer(kAeroAlpha), settings_integer(kAeroShadowBrightness),
                         settings_integer(kAeroShadowSharpness), settings_integer(kAeroShadowSize),
                         0, 0, settings_integer(kAeroRed), settings_integer(kAeroGreen),
                         settings_integer(kAeroBlue));
    }

    // A null picture makes the main window show its built-in one.
    if (MainWindow* window = main_window())
        window->set_background_picture(load_background_picture(kBackgroundPicture.read()));
}

void write_default_appearance_settings() {
    using namespace settings;
    const QString zero = QStringLiteral("0");
    kHue.write(zero);
    kSaturation.write(zero);
    kBrightness.write(zero);
    kAeroAlpha.write(kDefaultAeroAlpha);
    kAeroShadowSize.write(kDefaultAeroShadowSize);
    kAeroShadowSharpness.write(kDefaultAeroShadowSharpness);
    kAeroShadowBrightness.write(zero);
    kAeroRed.write(zero);
    kAeroGreen.write(zero);
    kAeroBlue.write(zero);
    kMenuAlpha.write(kDefaultMenuAlpha);
}

// ---- background picture -----------------------------------------------------------------------

QPixmap load_background_picture(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    QPixmap pixmap;
    if (bytes.isEmpty() || !pixmap.loadFromData(bytes)) return {};
    return pixmap;
}

bool show_background_picture_file(const QString& path) {
    const QPixmap picture = load_background_picture(path);
    if (picture.isNull()) return false;
    if (MainWindow* window = main_window()) window->set_background_picture(picture);
    return true;
}

}  // namespace shell
