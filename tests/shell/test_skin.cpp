// Skins, the look settings in pz.ini, the UI settings window and the colour adjustment window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <string>

#include "harness/fixture.h"
#include "harness/units.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "shell/colour_adjust_window.h"
#include "shell/interface_settings_window.h"
#include "shell/main_window.h"
#include "shell/settings_keys.h"
#include "shell/skin.h"

namespace {

using harness::unit;
using namespace shell;
namespace keys = shell::settings;

QString read_file(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void write_file(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// A program folder with the shipped skins, and the platform's plain look before and after.
class SkinTest : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        harness::ProgramFolderTest::SetUp();
        const QString shipped = harness::shipped_program_folder() + "/Skin";
        QDir().mkpath(path("Skin"));
        const QStringList skins = QDir(shipped).entryList({"*.she"}, QDir::Files);
        ASSERT_GE(skins.size(), 2) << "no shipped skins in " << shipped.toStdString();
        for (const QString& name : skins)
            ASSERT_TRUE(QFile::copy(shipped + "/" + name, path("Skin/" + name)));
        skin_reset();
    }
    void TearDown() override {
        skin_reset();
        harness::ProgramFolderTest::TearDown();
    }
    QString ini() const { return read_file(path("pz.ini")); }
};

// A few of the controls every window has, to see a skin the way a user does.
QImage render_sample() {
    QWidget sample;
    auto* layout = new QVBoxLayout(&sample);
    layout->addWidget(new QPushButton(QStringLiteral("保存")));
    layout->addWidget(new QLineEdit(QStringLiteral("0001")));
    sample.resize(200, 90);
    sample.ensurePolished();
    return sample.grab().toImage();
}

// Every shipped date column of a list holds a whole date in the list's font under each skin.
TEST_F(SkinTest, ShippedDateColumnsHoldAWholeDate) {
    const QStringList skins = QDir(path("Skin")).entryList({"*.she"}, QDir::Files);
    for (const QString& name : skins) {
        skin_attach(path("Skin/" + name));
        QTableView view;
        platform::setup_report_view(&view);
        view.ensurePolished();
        const int needed =
            QFontMetrics(view.font()).horizontalAdvance(QStringLiteral("2024年12月31日")) + 12;
        int dates = 0;
        for (const QStringList& row :
             rows(QStringLiteral("select 类名,列名,列宽 from 查询列 where 显示='真' and "
                                 "(列名 like '%日期%' or 列名 like '%时间%')"))) {
            ++dates;
            EXPECT_GE(row[2].toInt(), needed)
                << name.toStdString() << ' ' << row[0].toStdString() << ' ' << row[1].toStdString();
        }
        EXPECT_GT(dates, 10);
    }
}

// ---- start-up ----------------------------------------------------------------------------------

TEST_F(SkinTest, EmptySettingsFileStartsWithTheDefaultSkinAndNothingElse) {
    load_skin_settings();
    const SkinState& state = skin_state();
    EXPECT_EQ(state.skin_path, default_skin_path());
    EXPECT_TRUE(default_skin_path().endsWith("/Skin/默认.she"));
    EXPECT_FALSE(qApp->styleSheet().isEmpty());
    EXPECT_EQ(qApp->styleSheet(), read_file(default_skin_path()));
    EXPECT_FALSE(state.aero);
    EXPECT_FALSE(state.menu_alpha.has_value());  // no menu opacity without a stored one
    EXPECT_EQ(state.hue, 0);
    EXPECT_EQ(state.saturation, 0);
    EXPECT_EQ(state.brightness, 0);
    EXPECT_EQ(ini(), QString());  // reading writes nothing
}

TEST_F(SkinTest, TheTwoShippedDefaultsLookDifferent) {
    load_skin_settings();
    const QString default_sheet = qApp->styleSheet();
    const QImage default_look = render_sample();

    keys::kSkinPath.write(classic_skin_path());
    load_skin_settings();
    EXPECT_EQ(skin_state().skin_path, classic_skin_path());
    EXPECT_FALSE(qApp->styleSheet().isEmpty());
    EXPECT_NE(qApp->styleSheet(), default_sheet);
    EXPECT_NE(render_sample(), default_look);
}

TEST_F(SkinTest, UnreadableSkinFileKeepsThePreviousLook) {
    load_skin_settings();
    const QString before = qApp->styleSheet();
    keys::kSkinPath.write(path("Skin/没有这个.she"));
    load_skin_settings();
    EXPECT_EQ(qApp->styleSheet(), before);
    EXPECT_EQ(skin_state().skin_path, default_skin_path());
}

TEST_F(SkinTest, ColourOffsetsFromTheFile) {
    struct Case {
        const char* hue;
        const char* saturation;
        const char* brightness;
        int want_hue, want_saturation, want_brightness;
    };
    // Above the slider's middle the stored value is taken as raised by it.
    const Case cases[] = {
        {"200", "150", "170", 20, 50, 70},
        {"90", "100", "-30", 90, 100, -30},
        {"", "", "", 0, 0, 0},
        {"180", "100.5", "abc", 180, 0, 0},
        {"181", "0", "101", 1, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.hue) + "/" + c.saturation + "/" + c.brightness);
        keys::kHue.write(c.hue);
        keys::kSaturation.write(c.saturation);
        keys::kBrightness.write(c.brightness);
        load_skin_settings();
        EXPECT_EQ(skin_state().hue, c.want_hue);
        EXPECT_EQ(skin_state().saturation, c.want_saturation);
        EXPECT_EQ(skin_state().brightness, c.want_brightness);
    }
}

TEST_F(SkinTest, MenuOpacityAndAeroFromTheFile) {
    keys::kMenuAlpha.write("0");
    keys::kAeroSwitch.write(keys::kOff);
    keys::kAeroAlpha.write("200");
    load_skin_settings();
    EXPECT_FALSE(skin_state().menu_alpha.has_value());
    EXPECT_FALSE(skin_state().aero);
    // With the effect off its parameters are not read.
    EXPECT_EQ(skin_state().aero_parameters, AeroParameters{});

    keys::kMenuAlpha.write("200");
    keys::kAeroSwitch.write(keys::kOn);
    keys::kAeroShadowSize.write("12");
    keys::kAeroShadowSharpness.write("6");
    keys::kAeroShadowBrightness.write("40");
    keys::kAeroRed.write("10");
    keys::kAeroGreen.write("20");
    keys::kAeroBlue.write("30");
    load_skin_settings();
    EXPECT_EQ(skin_state().menu_alpha, 200);
    EXPECT_TRUE(skin_state().aero);
    const AeroParameters want{200, 40, 6, 12, 0, 0, 10, 20, 30};
    EXPECT_EQ(skin_state().aero_parameters, want);
}

TEST_F(SkinTest, BackgroundPictureGoesToTheMainWindow) {
    MainWindow window;
    window.resize(900, 600);
    window.show();
    QLabel* box = window.picture_box();
    auto centre_colour = [box] {
        const QPixmap shown = box->pixmap();
        return shown.isNull() ? QColor()
                              : shown.toImage().pixelColor(shown.width() / 2, shown.height() / 2);
    };
    QImage red(64, 64, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    ASSERT_TRUE(red.save(path("红.png")));
    keys::kBackgroundPicture.write(path("红.png"));
    load_skin_settings();
    EXPECT_EQ(centre_colour(), QColor(255, 0, 0));

    // A file that holds no picture shows the built-in one again.
    write_file(path("坏.png"), "not a picture");
    keys::kBackgroundPicture.write(path("坏.png"));
    load_skin_settings();
    EXPECT_TRUE(centre_colour().isValid());
    EXPECT_NE(centre_colour(), QColor(255, 0, 0));
}

// A picture that is not the page's shape still covers the whole page: no bands at its edges.
TEST_F(SkinTest, BackgroundPictureFillsThePage) {
    MainWindow window;
    window.resize(1000, 700);
    window.show();
    for (const QSize size : {QSize(200, 50), QSize(50, 200)}) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(QColor(0, 128, 0));
        const QString file = path(QString("绿%1.png").arg(size.width()));
        ASSERT_TRUE(picture.save(file));
        keys::kBackgroundPicture.write(file);
        load_skin_settings();
        const QImage shown = window.picture_box()->pixmap().toImage();
        ASSERT_EQ(shown.size(), window.picture_box()->size());
        const int w = shown.width() - 1, h = shown.height() - 1;
        for (const QPoint corner : {QPoint(0, 0), QPoint(w, 0), QPoint(0, h), QPoint(w, h),
                                    QPoint(w / 2, 0), QPoint(0, h / 2)})
            EXPECT_EQ(shown.pixelColor(corner), QColor(0, 128, 0))
                << size.width() << " " << corner.x() << "," << corner.y();
    }
}

// The navigation pane and the built-in welcome picture take their colours from the skin: the
// frame sets none of its own.
TEST_F(SkinTest, NavigationPaneAndWelcomePictureFollowTheSkin) {
    MainWindow window;
    window.resize(1100, 760);
    window.show();
    const QList<QWidget*> units = {window.navigation_tabs(), window.picture_box(),
                                   window.findChild<QWidget*>("分隔条1"),
                                   window.findChild<QWidget*>("箭头")};
    for (QWidget* unit_with_look : units) {
        ASSERT_NE(unit_with_look, nullptr);
        EXPECT_FALSE(unit_with_look->styleSheet().contains(u'#'))
            << unit_with_look->objectName().toStdString();
        EXPECT_FALSE(unit_with_look->styleSheet().contains("rgb"))
            << unit_with_look->objectName().toStdString();
    }
    struct Case {
        const char* skin;
        QColor pane;     // the pane's background in the skin
        QColor picture;  // the welcome picture's colour in the skin
    };
    const Case cases[] = {{"默认.she", QColor("#eef3fa"), QColor("#d7e5f5")},
                          {"经典.she", QColor("#d4d0c8"), QColor("#c9c5bd")},
                          {"青翠.she", QColor("#eef8f2"), QColor("#d6eee0")}};
    QPushButton* header = window.findChild<QPushButton*>("抄表管理0");
    QPushButton* current = window.findChild<QPushButton*>("用户管理0");
    ASSERT_NE(header, nullptr);
    ASSERT_NE(current, nullptr);
    QList<QImage> headers;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.skin);
        skin_attach(path(QString("Skin/") + c.skin));
        QApplication::processEvents();
        // The header of the page shown is marked out from the others.
        current->resize(header->size());
        EXPECT_NE(current->grab().toImage(), header->grab().toImage());
        // A spot of the pane between the page's entries and the group headers at its bottom.
        QTabWidget* pane = window.navigation_tabs();
        const QImage pane_image = pane->grab().toImage();
        EXPECT_EQ(pane_image.pixelColor(pane->width() / 2, pane->height() / 2), c.pane);
        headers << header->grab().toImage();
        // The built-in picture: its sky ends in the skin's colour at the bottom edge.
        EXPECT_EQ(window.picture_box()->palette().color(QPalette::Window), c.picture);
        const QImage shown = window.picture_box()->pixmap().toImage();
        ASSERT_FALSE(shown.isNull());
        EXPECT_EQ(shown.size(), window.picture_box()->size());
        const QColor top = shown.pixelColor(2, 2);
        EXPECT_GT(top.lightness(), c.picture.lightness());  // the sky lightens toward the top
        EXPECT_LT(std::abs(top.hue() - c.picture.hue()) % 360, 40) << top.name().toStdString();
    }
    EXPECT_NE(headers[0], headers[1]);
    EXPECT_NE(headers[1], headers[2]);
    EXPECT_NE(headers[0], headers[2]);

    // A window made while a skin is on (as at start-up) has the same look from the first.
    skin_attach(path("Skin/经典.she"));
    MainWindow later;
    later.resize(1100, 760);
    later.show();
    QApplication::processEvents();
    EXPECT_EQ(later.picture_box()->palette().color(QPalette::Window), QColor("#c9c5bd"));
    const QImage shown = later.picture_box()->pixmap().toImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixelColor(2, 2), window.picture_box()->pixmap().toImage().pixelColor(2, 2));
    QPushButton* later_current = later.findChild<QPushButton*>("用户管理0");
    QPushButton* later_header = later.findChild<QPushButton*>("抄表管理0");
    later_current->resize(later_header->size());
    EXPECT_NE(later_current->grab().toImage(), later_header->grab().toImage());
}

// ---- the engine --------------------------------------------------------------------------------

TEST(SkinColours, AdjustColour) {
    EXPECT_EQ(adjust_colour(QColor(255, 0, 0), 120, 0, 0), QColor(0, 255, 0));
    EXPECT_EQ(adjust_colour(QColor(255, 0, 0), -120, 0, 0), QColor(0, 0, 255));
    EXPECT_EQ(adjust_colour(QColor(0x12, 0x34, 0x56), 0, 0, 0), QColor(0x12, 0x34, 0x56));
    // Greys keep no hue to turn; saturation cannot colour them.
    EXPECT_EQ(adjust_colour(QColor(128, 128, 128), 90, 100, 0), QColor(128, 128, 128));
    EXPECT_EQ(adjust_colour(QColor(200, 60, 60), 0, -100, 0).hslSaturation(), 0);
    EXPECT_EQ(adjust_colour(QColor(40, 90, 160), 0, 0, 100), QColor(255, 255, 255));
    EXPECT_EQ(adjust_colour(QColor(40, 90, 160), 0, 0, -100), QColor(0, 0, 0));
    EXPECT_GT(adjust_colour(QColor(40, 90, 160), 0, 0, 40).lightness(),
              QColor(40, 90, 160).lightness());
    EXPECT_EQ(adjust_colour(QColor(255, 0, 0, 100), 120, 0, 0).alpha(), 100);
}

TEST(SkinColours, StyleSheetColourLiterals) {
    struct Case {
        const char* name;
        QString sheet;
        QString want;
    };
    const Case cases[] = {
        {"hex in a block", "QPushButton { color: #ff0000; }", "QPushButton { color: #00ff00; }"},
        {"short hex", "QLabel{background:#f00}", "QLabel{background:#00ff00}"},
        {"id selector is no colour", "QPushButton#add { color: #f00 }",
         "QPushButton#add { color: #00ff00 }"},
        {"comment and quoted text kept", "/* #ff0000 */ QLabel { qproperty-text: \"#ff0000\"; }",
         "/* #ff0000 */ QLabel { qproperty-text: \"#ff0000\"; }"},
        {"rgb and rgba", "QLabel { color: rgb(255, 0, 0); background: rgba(255,0,0,40%) }",
         "QLabel { color: rgb(0, 255, 0); background: rgba(0, 255, 0, 40%) }"},
        {"named colour, property names kept", "QLabel { color: red; border-color: red }",
         "QLabel { color: #00ff00; border-color: #00ff00 }"},
        {"gradient stops",
         "QMenuBar { background: qlineargradient(x1:0, y1:0, stop:0 #ff0000, stop:1 #f00) }",
         "QMenuBar { background: qlineargradient(x1:0, y1:0, stop:0 #00ff00, stop:1 #00ff00) }"},
        {"not a colour", "QLabel { color: #ff00; }", "QLabel { color: #ff00; }"},
        {"transparent stays", "QLabel { background: transparent }",
         "QLabel { background: transparent }"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(adjust_style_sheet_colours(c.sheet, 120, 0, 0), c.want);
    }
    const QString sheet = "QLabel { color: #123456; }";
    EXPECT_EQ(adjust_style_sheet_colours(sheet, 0, 0, 0), sheet);
    // Pictures a skin names beside itself are found whatever the working folder.
    EXPECT_EQ(adjust_style_sheet_colours("QLabel { image: url(pic/a.png); }", 0, 0, 0, "/x/Skin"),
              "QLabel { image: url(\"/x/Skin/pic/a.png\"); }");
    EXPECT_EQ(adjust_style_sheet_colours("QLabel { image: url(':/a.png'); }", 0, 0, 0, "/x/Skin"),
              "QLabel { image: url(':/a.png'); }");
}

TEST_F(SkinTest, ColourOffsetsActOnPaletteAndSkin) {
    load_skin_settings();
    const QColor window_colour = QApplication::palette().color(QPalette::Window);
    const QString sheet = qApp->styleSheet();
    skin_adjust_hsv(0, 0, -50);
    EXPECT_LT(QApplication::palette().color(QPalette::Window).lightness(),
              window_colour.lightness());
    EXPECT_NE(qApp->styleSheet(), sheet);
    EXPECT_EQ(skin_state().skin_style_sheet, sheet);  // the file's text is kept as read
    skin_adjust_hsv(0, 0, 0);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), window_colour);
    EXPECT_EQ(qApp->styleSheet(), sheet);
}

TEST_F(SkinTest, AeroAndMenuOpacityActOnWindows) {
    QWidget shown_before;
    shown_before.show();
    skin_adjust_aero(255, 0, 8, 10, 0, 0, 0, 0, 0);
    skin_set_aero(1);
    EXPECT_DOUBLE_EQ(shown_before.windowOpacity(), 1.0);
    skin_adjust_aero(0, 0, 8, 10, 0, 0, 0, 0, 0);
    EXPECT_NEAR(shown_before.windowOpacity(), 0.75, 0.005);  // never fainter than this
    skin_adjust_aero(120, 0, 8, 10, 0, 0, 0, 0, 0);
    const double translucent = shown_before.windowOpacity();
    EXPECT_GT(translucent, 0.75);
    EXPECT_LT(translucent, 1.0);

    QWidget opened_later;
    opened_later.show();
    EXPECT_DOUBLE_EQ(opened_later.windowOpacity(), translucent);

    skin_set_menu_alpha(153);
    QMenu menu;
    menu.addAction(QStringLiteral("退出"));
    menu.show();
    EXPECT_NEAR(menu.windowOpacity(), 0.6, 0.01);

    skin_set_aero(0);
    EXPECT_DOUBLE_EQ(shown_before.windowOpacity(), 1.0);
    EXPECT_DOUBLE_EQ(opened_later.windowOpacity(), 1.0);
}

// ---- UI settings window ------------------------------------------------------------------------

TEST_F(SkinTest, SettingsWindowOpensWithTheStoredChoices) {
    {
        UiSettingsWindow window;  // nothing stored
        EXPECT_EQ(window.windowTitle(), "界面设置");
        EXPECT_TRUE(unit<QRadioButton>(window, "单选框2")->isChecked());
        EXPECT_FALSE(unit<QRadioButton>(window, "单选框1")->isChecked());
        QComboBox* list = unit<QComboBox>(window, "组合框1");
        QStringList names;
        for (int i = 0; i < list->count(); ++i) names << list->itemText(i);
        EXPECT_TRUE(names.contains("默认.she"));
        EXPECT_TRUE(names.contains("经典.she"));
        // The list takes the classic skin as current while none is stored.
        EXPECT_EQ(list->currentText(), "经典.she");
        EXPECT_EQ(unit<QLineEdit>(window, "编辑框_图片地址")->text(), "");
    }
    keys::kAeroSwitch.write(keys::kOn);
    keys::kSkinPath.write(default_skin_path());
    keys::kBackgroundPicture.write("/图片/背景.png");
    UiSettingsWindow window;
    EXPECT_TRUE(unit<QRadioButton>(window, "单选框1")->isChecked());
    EXPECT_EQ(unit<QComboBox>(window, "组合框1")->currentText(), "默认.she");
    EXPECT_EQ(unit<QLineEdit>(window, "编辑框_图片地址")->text(), "/图片/背景.png");
    EXPECT_EQ(window.focusWidget(), unit<QPushButton>(window, "按钮1"));
}

TEST_F(SkinTest, ChoosingASkinAppliesItAndResetsTheAppearanceKeys) {
    keys::kAeroSwitch.write(keys::kOn);
    const shell::SettingKey* appearance[] = {&keys::kHue,
                                             &keys::kSaturation,
                                             &keys::kBrightness,
                                             &keys::kAeroAlpha,
                                             &keys::kAeroShadowSize,
                                             &keys::kAeroShadowSharpness,
                                             &keys::kAeroShadowBrightness,
                                             &keys::kAeroRed,
                                             &keys::kAeroGreen,
                                             &keys::kAeroBlue,
                                             &keys::kMenuAlpha};
    for (const auto* key : appearance) key->write("77");

    UiSettingsWindow window;
    QComboBox* list = unit<QComboBox>(window, "组合框1");
    const int index = list->findText("默认.she");
    ASSERT_GE(index, 0);
    list->setCurrentIndex(index);
    window.on_ui_settings_skin_changed(index);

    EXPECT_EQ(keys::kSkinPath.read(), platform::app_path("Skin/默认.she"));
    EXPECT_EQ(skin_state().skin_path, default_skin_path());
    EXPECT_EQ(qApp->styleSheet(), read_file(default_skin_path()));
    const char* want[] = {"0", "0", "0", "120", "10", "8", "0", "0", "0", "0", "255"};
    for (size_t i = 0; i < std::size(appearance); ++i)
        EXPECT_EQ(appearance[i]->read(), want[i])
            << appearance[i]->section.toStdString() << "/" << appearance[i]->key.toStdString();
    EXPECT_EQ(keys::kAeroSwitch.read(), keys::kOn);
    // The file's own spelling of the section and keys.
    EXPECT_TRUE(ini().contains("[自定义颜色]"));
    EXPECT_TRUE(ini().contains("饱合度"));
    EXPECT_TRUE(ini().contains("[Aero特效]"));
}

TEST_F(SkinTest, SkinsInSubfoldersAreListedAndChosenByTheirPath) {
    QDir().mkpath(path("Skin/节日"));
    write_file(path("Skin/节日/春节.she"), "QPushButton { background: #c00000; }");
    QDir().mkpath(path("Skin/.隐藏"));
    write_file(path("Skin/.隐藏/不见.she"), "QPushButton { }");
    keys::kSkinPath.write(path("Skin/节日/春节.she"));

    UiSettingsWindow window;
    QComboBox* list = unit<QComboBox>(window, "组合框1");
    EXPECT_EQ(list->findText("不见.she"), -1);
    EXPECT_EQ(list->findText(".隐藏/不见.she"), -1);
    EXPECT_EQ(list->currentText(), "节日/春节.she");
    window.on_ui_settings_skin_changed(list->currentIndex());
    EXPECT_EQ(qApp->styleSheet(), "QPushButton { background: #c00000; }");
}

TEST_F(SkinTest, AeroSwitchWritesOnAndOff) {
    UiSettingsWindow window;
    unit<QRadioButton>(window, "单选框1")->click();
    EXPECT_EQ(keys::kAeroSwitch.read(), "开");
    EXPECT_TRUE(skin_state().aero);
    EXPECT_FALSE(unit<QRadioButton>(window, "单选框2")->isChecked());
    unit<QRadioButton>(window, "单选框2")->click();
    EXPECT_EQ(keys::kAeroSwitch.read(), "关");
    EXPECT_FALSE(skin_state().aero);
    EXPECT_FALSE(unit<QRadioButton>(window, "单选框1")->isChecked());
}

TEST_F(SkinTest, BackgroundPictureChosenInTheSettingsWindow) {
    QImage blue(32, 32, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 255));
    ASSERT_TRUE(blue.save(path("蓝.png")));
    MainWindow main;
    main.resize(900, 600);
    main.show();

    UiSettingsWindow window;
    ui.expect_file("");  // cancelled: nothing changes
    window.on_ui_settings_reset_picture_click();
    EXPECT_EQ(keys::kBackgroundPicture.read(), "");
    ASSERT_EQ(ui.file_requests().size(), 1u);
    EXPECT_EQ(ui.file_requests()[0].title, "请选择图片文件");
    EXPECT_EQ(ui.file_requests()[0].filter,
              "所有图片(*.jpg;*.bmp;*.png)|*.jpg;*.bmp;*.png|JPEG图片(*.jpg)|*.jpg|位图文件(*.bmp)|"
              "*.bmp|PNG图片文件(*.png)|*.png");

    ui.expect_file(path("蓝.png"));
    window.on_ui_settings_reset_picture_click();
    EXPECT_EQ(unit<QLineEdit>(window, "编辑框_图片地址")->text(), path("蓝.png"));
    EXPECT_EQ(keys::kBackgroundPicture.read(), path("蓝.png"));
    const QImage shown = main.picture_box()->pixmap().toImage();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(0, 0, 255));
}

// ---- colour adjustment window ------------------------------------------------------------------

TEST_F(SkinTest, ColourSlidersActAtOnceAndWriteNothing) {
    load_skin_settings();
    const QString file_before = ini();
    UiSettingsWindow settings_window;
    bool ran = false;
    ui.on_modal("shell::ColourAdjustWindow", [&](QDialog* dialog) {
        auto* window = static_cast<ColourAdjustWindow*>(dialog);
        EXPECT_EQ(window->windowTitle(), "颜色参数调整");
        // The sliders open at their own positions whatever the look is.
        const int start[] = {180, 100, 100, 120, 10, 8, 0, 0, 0, 0};
        QSlider* sliders[10];
        for (int i = 0; i < 10; ++i)
            sliders[i] = unit<QSlider>(*window, ("滑块条" + std::to_string(i + 1)).c_str());
        const int maximum[] = {360, 200, 200, 255, 18, 12, 255, 255, 255, 255};
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(sliders[i]->value(), start[i]) << i + 1;
            EXPECT_EQ(sliders[i]->maximum(), maximum[i]) << i + 1;
        }
        sliders[0]->setValue(300);
        sliders[1]->setValue(50);
        sliders[2]->setValue(160);
        window->on_colour_hsv_slider_pressed();
        EXPECT_EQ(skin_state().hue, 120);
        EXPECT_EQ(skin_state().saturation, -50);
        EXPECT_EQ(skin_state().brightness, 60);

        const int aero[] = {200, 5, 3, 40, 1, 2, 3};  // 滑块条4..10
        for (int i = 0; i < 7; ++i) sliders[3 + i]->setValue(aero[i]);
        window->on_colour_aero_slider_pressed();
        const AeroParameters want{200, 40, 3, 5, 0, 0, 1, 2, 3};
        EXPECT_EQ(skin_state().aero_parameters, want);
        ran = true;
        window->on_colour_adjust_close_click();
        return QDialog::Accepted;
    });
    unit<QPushButton>(settings_window, "按钮4")->click();
    EXPECT_TRUE(ran);
    EXPECT_EQ(ini(), file_before);
}

TEST_F(SkinTest, RestoreDefaultsWritesTheKeysAndSwitchesAeroOff) {
    keys::kAeroSwitch.write(keys::kOn);
    keys::kAeroAlpha.write("33");
    keys::kHue.write("200");
    load_skin_settings();
    ASSERT_TRUE(skin_state().aero);
    UiSettingsWindow settings_window;
    ui.on_modal("shell::ColourAdjustWindow", [&](QDialog* dialog) {
        auto* window = static_cast<ColourAdjustWindow*>(dialog);
        unit<QPushButton>(*window, "按钮1")->click();  // 还  原
        return QDialog::Accepted;
    });
    unit<QPushButton>(settings_window, "按钮5")->click();
    EXPECT_EQ(keys::kAeroAlpha.read(), "120");
    EXPECT_EQ(keys::kHue.read(), "0");
    EXPECT_EQ(keys::kMenuAlpha.read(), "255");
    EXPECT_EQ(keys::kAeroSwitch.read(), "开");  // the switch itself stays
    EXPECT_EQ(keys::kSkinPath.read(), "");
    EXPECT_FALSE(skin_state().aero);
    EXPECT_EQ(skin_state().hue, 0);
    EXPECT_TRUE(unit<QRadioButton>(settings_window, "单选框1")->isChecked());
}

}  // namespace
