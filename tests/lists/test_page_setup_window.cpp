// The page setup window: loading from the shared page setup and pz.ini, writing back on OK,
// nothing on cancel, and its previews (paper boxes, alignment, centring, margin markers).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <climits>

#include "harness/fixture.h"
#include "harness/units.h"
#include "lists/list_print.h"
#include "lists/page_setup_window.h"
#include "platform/files.h"
#include "platform/grid.h"

namespace {

using harness::unit;
using lists::PageSetupWindow;
using platform::GridPageSetup;

QString ini(const char* key) { return platform::ini_read_text("标题", key, "(none)"); }

class PageSetupWindowTest : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        setup = std::make_shared<GridPageSetup>();
        lists::page_setup_object = setup;
    }
    void TearDown() override {
        lists::page_setup_object.reset();
        ProgramFolderTest::TearDown();
    }

    QLineEdit* edit(PageSetupWindow& w, const char* name) { return unit<QLineEdit>(w, name); }
    QCheckBox* check(PageSetupWindow& w, const char* name) { return unit<QCheckBox>(w, name); }
    QComboBox* paper(PageSetupWindow& w) { return unit<QComboBox>(w, "组合框_纸张大小"); }
    // Opens the window on the page setup, confirms it and returns its result.
    int open_and_confirm() {
        PageSetupWindow window;
        unit<QPushButton>(window, "按钮_确定")->click();
        return window.result();
    }

    std::shared_ptr<GridPageSetup> setup;
};

TEST_F(PageSetupWindowTest, OpensWithCaptionPagesAndEveryValueOfThePageSetup) {
    platform::ini_write_text("标题", "标题名称", "用户清单");
    platform::ini_write_text("标题", "纸张方向", "横向");
    setup->Orientation = 1;  // the window shows the stored orientation, not this one
    setup->Zoom = 85;
    setup->TopMargin = 1.5;
    setup->BottomMargin = 2.25;
    setup->LeftMargin = 0;
    setup->RightMargin = 1.3;
    setup->HeaderMargin = 0.8;
    setup->FooterMargin = 0.75;
    setup->PrintFixedRow = false;
    setup->PrintFixedColumn = true;
    setup->PrintGridlines = true;
    setup->BlackAndWhite = true;
    setup->CenterHorizontally = true;
    setup->CenterVertically = false;
    setup->Header = "页眉文字";
    setup->Footer = "共&n页，第&p页";
    setup->HeaderAlignment = 0;
    setup->FooterAlignment = 2;
    setup->HeaderFont = {"黑体", 12, true, false, true, false};

    PageSetupWindow window;
    EXPECT_EQ(window.windowTitle(), "页面设置");
    EXPECT_EQ(window.page_setup(), setup);
    auto* tabs = unit<QTabWidget>(window, "选择夹1");
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), " 页面 ");
    EXPECT_EQ(tabs->tabText(1), " 页边距 ");
    EXPECT_EQ(tabs->tabText(2), "页眉和页脚");

    EXPECT_TRUE(unit<QRadioButton>(window, "单选框_横向")->isChecked());
    EXPECT_FALSE(unit<QRadioButton>(window, "单选框_纵向")->isChecked());
    EXPECT_EQ(paper(window)->currentText(), "A4");
    EXPECT_EQ(edit(window, "编辑框_缩放比例")->text(), "85");
    EXPECT_EQ(edit(window, "编辑框_标题名称")->text(), "用户清单");
    const std::pair<const char*, const char*> margins[] = {
        {"编辑框_顶边距", "1.5"}, {"编辑框_底边距", "2.25"},  {"编辑框_左边距", "0"},
        {"编辑框_右边距", "1.3"}, {"编辑框_页眉边距", "0.8"}, {"编辑框_页脚边距", "0.75"}};
    for (const auto& [box, text] : margins) EXPECT_EQ(edit(window, box)->text(), text) << box;
    const std::pair<const char*, bool> checks[] = {
        {"选择框_打印固定行", false}, {"选择框_打印固定列", true}, {"选择框_打印网格线", true},
        {"选择框_单色打印", true},    {"选择框_水平居中", true},   {"选择框_垂直居中", false}};
    for (const auto& [box, on] : checks) EXPECT_EQ(check(window, box)->isChecked(), on) << box;

    QLineEdit* header = edit(window, "编辑框_页眉");
    QLineEdit* footer = edit(window, "编辑框_页脚");
    EXPECT_EQ(header->text(), "页眉文字");
    EXPECT_EQ(footer->text(), "共&n页，第&p页");
    EXPECT_EQ(unit<QComboBox>(window, "组合框_页眉对齐方式")->currentText(), "左对齐");
    EXPECT_EQ(unit<QComboBox>(window, "组合框_页脚对齐方式")->currentText(), "右对齐");
    EXPECT_TRUE(header->alignment() & Qt::AlignLeft);
    EXPECT_TRUE(footer->alignment() & Qt::AlignRight);
    // The header box shows the header font at its own size.
    EXPECT_EQ(header->font().family(), "黑体");
    EXPECT_DOUBLE_EQ(header->font().pointSizeF(), 12);
    EXPECT_TRUE(header->font().bold());
    EXPECT_TRUE(header->font().underline());
    EXPECT_FALSE(header->font().italic());

    // The page setup is untouched by opening.
    EXPECT_EQ(setup->Orientation, 1);
}

TEST_F(PageSetupWindowTest, PaperListSelectsTheMatchingSizeAndShowsBoxesForTheCustomOne) {
    struct Case {
        double width, height;
        const char* selected;
        bool boxes;
    };
    for (const Case& c : {Case{21, 29.7, "A4", false}, Case{29.7, 42, "A3", false},
                          Case{21.004, 29.74, "A4", false},  // same in hundredths / tenths
                          Case{10.126, 15, "", false}}) {  // no entry matches: none selected
        setup->PaperWidth = c.width;
        setup->PaperHeight = c.height;
        PageSetupWindow window;
        window.show();
        SCOPED_TRACE(c.selected);
        QComboBox* combo = paper(window);
        EXPECT_EQ(combo->count(), setup->PaperSizes().Count());
        EXPECT_EQ(combo->itemText(combo->count() - 1), platform::kCustomPaperName);
        EXPECT_EQ(combo->currentText(), c.selected);
        if (!*c.selected) {
            EXPECT_EQ(combo->currentIndex(), -1);
        }
        for (const char* name : {"编辑框_宽度", "编辑框_高度"})
            EXPECT_EQ(edit(window, name)->isVisible(), c.boxes) << name;
        for (const char* name : {"标签_宽度", "标签_高度"})
            EXPECT_EQ(unit<QLabel>(window, name)->isVisible(), c.boxes) << name;
    }

    // Choosing the last entry shows the current paper size in the boxes.
    PageSetupWindow window;
    window.show();
    QComboBox* combo = paper(window);
    combo->setCurrentIndex(combo->count() - 1);
    EXPECT_TRUE(edit(window, "编辑框_宽度")->isVisible());
    EXPECT_EQ(edit(window, "编辑框_宽度")->text(), "10.13");
    EXPECT_EQ(edit(window, "编辑框_高度")->text(), "15");
    combo->setCurrentIndex(0);
    EXPECT_FALSE(edit(window, "编辑框_宽度")->isVisible());
}

TEST_F(PageSetupWindowTest, OkWritesEveryBoxBackIntoThePageSetupAndTheTitleIntoPzIni) {
    PageSetupWindow window;
    unit<QRadioButton>(window, "单选框_横向")->setChecked(true);
    paper(window)->setCurrentText("A3");
    edit(window, "编辑框_缩放比例")->setText("85.9");
    edit(window, "编辑框_标题名称")->setText("  收费月报  ");
    check(window, "选择框_打印固定行")->setChecked(false);
    check(window, "选择框_打印固定列")->setChecked(true);
    check(window, "选择框_打印网格线")->setChecked(false);
    check(window, "选择框_单色打印")->setChecked(true);
    check(window, "选择框_水平居中")->setChecked(true);
    check(window, "选择框_垂直居中")->setChecked(true);
    edit(window, "编辑框_左边距")->setText("1.1");
    edit(window, "编辑框_右边距")->setText("1.2");
    edit(window, "编辑框_顶边距")->setText("1.3");
    edit(window, "编辑框_底边距")->setText("1.4");
    edit(window, "编辑框_页眉边距")->setText("0.5");
    edit(window, "编辑框_页脚边距")->setText("abc");  // read as a number: 0
    edit(window, "编辑框_页眉")->setText("第&p页");
    unit<QComboBox>(window, "组合框_页眉对齐方式")->setCurrentIndex(2);
    edit(window, "编辑框_页脚")->setText("");
    unit<QComboBox>(window, "组合框_页脚对齐方式")->setCurrentIndex(0);
    unit<QPushButton>(window, "按钮_确定")->click();

    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_EQ(setup->Orientation, 2);
    EXPECT_EQ(ini("纸张方向"), "横向");
    EXPECT_DOUBLE_EQ(setup->PaperWidth, 29.7);
    EXPECT_DOUBLE_EQ(setup->PaperHeight, 42);
    EXPECT_EQ(setup->Zoom, 85);
    EXPECT_EQ(ini("标题名称"), "收费月报");
    EXPECT_FALSE(setup->PrintFixedRow);
    EXPECT_TRUE(setup->PrintFixedColumn);
    EXPECT_FALSE(setup->PrintGridlines);
    EXPECT_TRUE(setup->BlackAndWhite);
    EXPECT_TRUE(setup->CenterHorizontally);
    EXPECT_TRUE(setup->CenterVertically);
    EXPECT_DOUBLE_EQ(setup->LeftMargin, 1.1);
    EXPECT_DOUBLE_EQ(setup->RightMargin, 1.2);
    EXPECT_DOUBLE_EQ(setup->TopMargin, 1.3);
    EXPECT_DOUBLE_EQ(setup->BottomMargin, 1.4);
    EXPECT_DOUBLE_EQ(setup->HeaderMargin, 0.5);
    EXPECT_DOUBLE_EQ(setup->FooterMargin, 0);
    EXPECT_EQ(setup->Header, "第&p页");
    EXPECT_EQ(setup->HeaderAlignment, 2);
    EXPECT_EQ(setup->Footer, "");
    EXPECT_EQ(setup->FooterAlignment, 0);

    // 纵向 back again.
    PageSetupWindow again;
    EXPECT_TRUE(unit<QRadioButton>(again, "单选框_横向")->isChecked());
    unit<QRadioButton>(again, "单选框_纵向")->setChecked(true);
    unit<QPushButton>(again, "按钮_确定")->click();
    EXPECT_EQ(setup->Orientation, 1);
    EXPECT_EQ(ini("纸张方向"), "纵向");
}

TEST_F(PageSetupWindowTest, ZoomTextIsCutTowardZero) {
    struct Case {
        const char* text;
        int zoom;
    };
    for (const Case& c : {Case{"85.9", 85}, Case{"100", 100}, Case{"-3.7", -3}, Case{"", 0},
                          Case{"１２０", 120}, Case{"1e30", INT_MAX}}) {
        PageSetupWindow window;
        edit(window, "编辑框_缩放比例")->setText(c.text);
        unit<QPushButton>(window, "按钮_确定")->click();
        EXPECT_EQ(setup->Zoom, c.zoom) << c.text;
    }
}

TEST_F(PageSetupWindowTest, CustomPaperTakesTheWidthAndHeightBoxes) {
    PageSetupWindow window;
    QComboBox* combo = paper(window);
    combo->setCurrentIndex(combo->count() - 1);
    edit(window, "编辑框_宽度")->setText("24.1");
    edit(window, "编辑框_高度")->setText("9.3");
    unit<QPushButton>(window, "按钮_确定")->click();
    EXPECT_DOUBLE_EQ(setup->PaperWidth, 24.1);
    EXPECT_DOUBLE_EQ(setup->PaperHeight, 9.3);
}

TEST_F(PageSetupWindowTest, OkWithNoPaperSelectedKeepsThePaperSize) {
    setup->PaperWidth = 18.2;
    setup->PaperHeight = 25.7;
    PageSetupWindow window;
    paper(window)->setCurrentIndex(-1);
    unit<QPushButton>(window, "按钮_确定")->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(setup->PaperWidth, 18.2);
    EXPECT_DOUBLE_EQ(setup->PaperHeight, 25.7);

    // A size no entry matches opens without a selection and goes through OK unchanged.
    setup->PaperWidth = 10.126;
    setup->PaperHeight = 15;
    PageSetupWindow odd;
    ASSERT_EQ(paper(odd)->currentIndex(), -1);
    unit<QPushButton>(odd, "按钮_确定")->click();
    EXPECT_DOUBLE_EQ(setup->PaperWidth, 10.126);
    EXPECT_DOUBLE_EQ(setup->PaperHeight, 15);
}

TEST_F(PageSetupWindowTest, RepeatedOkLeavesEveryValueAsItWas) {
    setup->HeaderFont = {"宋体", 9, false, true, false, true};
    setup->FooterFont = {"Tahoma", 10.5, true, false, false, false};
    setup->Zoom = 120;
    setup->PaperWidth = 10;
    setup->PaperHeight = 15;
    setup->TopMargin = 1.75;
    setup->Header = "&p";
    setup->HeaderAlignment = 0;
    platform::ini_write_text("标题", "标题名称", "年报");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(open_and_confirm(), QDialog::Accepted);

    EXPECT_EQ(setup->HeaderFont.Name, "宋体");
    EXPECT_DOUBLE_EQ(setup->HeaderFont.Size, 9);
    EXPECT_TRUE(setup->HeaderFont.Italic);
    EXPECT_TRUE(setup->HeaderFont.Strikethrough);
    EXPECT_FALSE(setup->HeaderFont.Bold);
    EXPECT_EQ(setup->FooterFont.Name, "Tahoma");
    EXPECT_DOUBLE_EQ(setup->FooterFont.Size, 10.5);
    EXPECT_TRUE(setup->FooterFont.Bold);
    EXPECT_EQ(setup->Zoom, 120);
    EXPECT_DOUBLE_EQ(setup->PaperWidth, 10);
    EXPECT_DOUBLE_EQ(setup->PaperHeight, 15);
    EXPECT_DOUBLE_EQ(setup->TopMargin, 1.75);
    EXPECT_EQ(setup->Header, "&p");
    EXPECT_EQ(setup->HeaderAlignment, 0);
    EXPECT_EQ(ini("标题名称"), "年报");
}

TEST_F(PageSetupWindowTest, CancelWritesNothing) {
    platform::ini_write_text("标题", "纸张方向", "纵向");
    PageSetupWindow window;
    unit<QRadioButton>(window, "单选框_横向")->setChecked(true);
    edit(window, "编辑框_缩放比例")->setText("50");
    edit(window, "编辑框_标题名称")->setText("新标题");
    edit(window, "编辑框_左边距")->setText("5");
    paper(window)->setCurrentText("A5");
    unit<QPushButton>(window, "按钮_取消")->click();

    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_EQ(setup->Orientation, 1);
    EXPECT_EQ(setup->Zoom, 100);
    EXPECT_DOUBLE_EQ(setup->LeftMargin, 2.0);
    EXPECT_DOUBLE_EQ(setup->PaperWidth, 21);
    EXPECT_EQ(ini("纸张方向"), "纵向");
    EXPECT_EQ(ini("标题名称"), "(none)");
}

TEST_F(PageSetupWindowTest, FontDialogChangesTheBoxAndTheFontOnlyOnOk) {
    setup->HeaderFont = {"宋体", 9, false, false, false, false};
    PageSetupWindow window;
    QFont seeded;
    ui.on_modal("QFontDialog", [&](QDialog* dialog) {
        auto* fonts = qobject_cast<QFontDialog*>(dialog);
        EXPECT_EQ(dialog->objectName(), "字体对话框");
        seeded = fonts->currentFont();
        QFont chosen("Noto Sans CJK SC");  // a family with a bold face
        chosen.setPointSize(14);
        chosen.setBold(true);
        chosen.setUnderline(true);
        fonts->setCurrentFont(chosen);
        return int(QDialog::Accepted);
    });
    unit<QPushButton>(window, "按钮_页眉字体")->click();
    EXPECT_DOUBLE_EQ(seeded.pointSizeF(), 9);  // seeded with the box's font

    QLineEdit* header = edit(window, "编辑框_页眉");
    EXPECT_DOUBLE_EQ(header->font().pointSizeF(), 14);
    EXPECT_TRUE(header->font().bold());
    EXPECT_DOUBLE_EQ(setup->HeaderFont.Size, 9);  // not before OK

    // A cancelled dialog changes nothing.
    ui.on_modal("QFontDialog", [](QDialog*) { return int(QDialog::Rejected); });
    unit<QPushButton>(window, "按钮_页脚字体")->click();
    EXPECT_DOUBLE_EQ(window.footer_font().Size, setup->FooterFont.Size);

    unit<QPushButton>(window, "按钮_确定")->click();
    EXPECT_EQ(setup->HeaderFont.Name, "Noto Sans CJK SC");
    EXPECT_DOUBLE_EQ(setup->HeaderFont.Size, 14);
    EXPECT_TRUE(setup->HeaderFont.Bold);
    EXPECT_TRUE(setup->HeaderFont.Underline);
    EXPECT_FALSE(setup->HeaderFont.Italic);
    EXPECT_EQ(setup->FooterFont.Name, GridPageSetup().FooterFont.Name);
}

TEST_F(PageSetupWindowTest, CentringMovesTheTablePictureBetweenTheMarkers) {
    PageSetupWindow window;
    auto* picture = unit<QLabel>(window, "图片框_表格");
    auto* left = unit<QFrame>(window, "外形框_左边距");
    auto* right = unit<QFrame>(window, "外形框_右边距");
    auto* top = unit<QFrame>(window, "外形框_顶边距");
    auto* bottom = unit<QFrame>(window, "外形框_底边距");
    ASSERT_LT(left->x() + picture->width(), right->x());
    ASSERT_LT(top->y() + picture->height(), bottom->y());

    check(window, "选择框_水平居中")->setChecked(true);
    EXPECT_EQ(picture->x(), left->x() + (right->x() - left->x() - picture->width()) / 2);
    check(window, "选择框_水平居中")->setChecked(false);
    EXPECT_EQ(picture->x(), left->x());
    check(window, "选择框_垂直居中")->setChecked(true);
    EXPECT_EQ(picture->y(), top->y() + (bottom->y() - top->y() - picture->height()) / 2);
    check(window, "选择框_垂直居中")->setChecked(false);
    EXPECT_EQ(picture->y(), top->y());
}

TEST_F(PageSetupWindowTest, AMarginBoxWithTheFocusDrawsItsMarkerBlackInFront) {
    PageSetupWindow window;
    const std::pair<const char*, const char*> pairs[] = {
        {"编辑框_顶边距", "外形框_顶边距"},     {"编辑框_底边距", "外形框_底边距"},
        {"编辑框_左边距", "外形框_左边距"},     {"编辑框_右边距", "外形框_右边距"},
        {"编辑框_页眉边距", "外形框_页眉边距"}, {"编辑框_页脚边距", "外形框_页脚边距"}};
    for (const auto& [box_name, marker_name] : pairs) {
        QLineEdit* box = edit(window, box_name);
        auto* marker = unit<QFrame>(window, marker_name);
        EXPECT_EQ(PageSetupWindow::marker_colour(marker), QColor(192, 192, 192)) << marker_name;
        QFocusEvent in(QEvent::FocusIn);
        QCoreApplication::sendEvent(box, &in);
        EXPECT_EQ(PageSetupWindow::marker_colour(marker), QColor(0, 0, 0)) << marker_name;
        // In front of the picture and the other markers.
        EXPECT_EQ(marker->parentWidget()->children().last(), marker) << marker_name;
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(box, &out);
        EXPECT_EQ(PageSetupWindow::marker_colour(marker), QColor(192, 192, 192)) << marker_name;
    }
}

TEST_F(PageSetupWindowTest, WithoutASharedPageSetupItEditsAFreshOne) {
    lists::page_setup_object.reset();
    PageSetupWindow window;
    ASSERT_TRUE(window.page_setup());
    EXPECT_EQ(paper(window)->currentText(), "A4");
    unit<QPushButton>(window, "按钮_确定")->click();
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

}  // namespace
