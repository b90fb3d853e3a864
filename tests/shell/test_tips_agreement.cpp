// The tips window and the agreement window: their countdowns, the setting the tips window
// keeps, and the ways the agreement window may and may not close.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTimer>

#include "harness/fixture.h"
#include "harness/units.h"
#include "platform/db.h"
#include "shell/agreement_window.h"
#include "shell/main_window.h"
#include "shell/settings_keys.h"
#include "shell/tips_window.h"
#include "store/main_database.h"

namespace {

using harness::unit;
using namespace shell;
namespace keys = shell::settings;

using TipsWindowTest = harness::ProgramFolderTest;
using AgreementWindowTest = harness::ProgramFolderTest;

// ---- tips window -------------------------------------------------------------------------------

TEST_F(TipsWindowTest, CountsDownFourteenToZeroAndClosesOnTheSixteenthTick) {
    NavigationTipsWindow window;
    window.show();
    EXPECT_TRUE(window.windowTitle().isEmpty());
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(unit<QCheckBox>(window, "选择框_不再显示")->isChecked());
    EXPECT_EQ(unit<QCheckBox>(window, "选择框_不再显示")->text(), "本窗口不再显示");
    EXPECT_EQ(window.timer()->objectName(), "时钟1");
    EXPECT_TRUE(window.timer()->isActive());
    EXPECT_EQ(window.timer()->interval(), 1000);
    EXPECT_EQ(window.tips_countdown(), 15);

    for (int tick = 1; tick <= 15; ++tick) {
        window.on_tips_timer();
        EXPECT_EQ(unit<QLabel>(window, "提示")->text(),
                  QString::number(15 - tick) + "秒后自动关闭。")
            << "tick " << tick;
        EXPECT_TRUE(window.isVisible()) << "tick " << tick;
    }
    window.on_tips_timer();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(unit<QLabel>(window, "提示")->text(), "0秒后自动关闭。");
    EXPECT_EQ(keys::kShowTips.read(), "");  // counting down writes nothing
}

TEST_F(TipsWindowTest, TickingTheBoxSwitchesTheWindowOffAndClosesIt) {
    EXPECT_TRUE(tips_shown_at_startup());  // no section at all
    NavigationTipsWindow window;
    window.show();
    window.on_tips_timer();
    unit<QCheckBox>(window, "选择框_不再显示")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(keys::kShowTips.read(), "假");
    EXPECT_FALSE(tips_shown_at_startup());
}

TEST_F(TipsWindowTest, OpenedWhileSwitchedOffUntickingSwitchesItBackOn) {
    keys::kShowTips.write(keys::kFalse);
    NavigationTipsWindow window;
    window.show();
    EXPECT_TRUE(unit<QCheckBox>(window, "选择框_不再显示")->isChecked());
    EXPECT_EQ(keys::kShowTips.read(), "假");  // showing the stored choice writes nothing
    unit<QCheckBox>(window, "选择框_不再显示")->click();
    EXPECT_EQ(keys::kShowTips.read(), "真");
    EXPECT_TRUE(tips_shown_at_startup());
    // It stays until its countdown ends.
    for (int tick = 1; tick <= 15; ++tick) window.on_tips_timer();
    EXPECT_TRUE(window.isVisible());
    window.on_tips_timer();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TipsWindowTest, ShownAtStartupOnlyForTrue) {
    const std::pair<const char*, bool> cases[] = {
        {"真", true}, {"假", false}, {"是", false}, {"", false}};
    for (const auto& [value, shown] : cases) {
        keys::kShowTips.write(value);
        EXPECT_EQ(tips_shown_at_startup(), shown) << value;
    }
}

TEST_F(TipsWindowTest, RunsModallyAndCountsAfreshEachTime) {
    for (int opening = 0; opening < 2; ++opening) {
        NavigationTipsWindow window;
        ui.on_modal("shell::NavigationTipsWindow", [](QDialog* dialog) {
            auto* tips = static_cast<NavigationTipsWindow*>(dialog);
            EXPECT_EQ(tips->tips_countdown(), 15);
            for (int tick = 0; tick < 16 && tips->isVisible(); ++tick) tips->on_tips_timer();
            EXPECT_FALSE(tips->isVisible());
            return tips->result();
        });
        platform::window_open_modal(&window);
    }
    EXPECT_EQ(ui.modal_windows().size(), 2);
}

// A hot key the tips name is the entry the navigation shows with that key.
TEST_F(TipsWindowTest, NamesTheHotKeysAsTheNavigationDoes) {
    NavigationTipsWindow window;
    QTextDocument tips;
    tips.setHtml(unit<QLabel>(window, "标签_内容")->text());
    MainWindow main;
    QStringList entries;
    for (QPushButton* button : main.findChildren<QPushButton*>()) entries << button->text();
    const QRegularExpression named(QStringLiteral("(F[3-9]) ([^，。]+)"));
    int keys = 0;
    for (auto it = named.globalMatch(tips.toPlainText()); it.hasNext(); ++keys) {
        const QRegularExpressionMatch m = it.next();
        EXPECT_TRUE(entries.contains(m.captured(2) + u'(' + m.captured(1) + u')'))
            << m.captured(0).toStdString();
    }
    EXPECT_EQ(keys, 7);
}

// ---- agreement window --------------------------------------------------------------------------

TEST_F(AgreementWindowTest, AcceptIsDisabledForThirtyTicks) {
    AgreementWindow window;
    window.show();
    auto* accept = unit<QPushButton>(window, "按钮1");
    auto* text = unit<QPlainTextEdit>(window, "编辑框1");
    EXPECT_EQ(window.windowTitle(), "许可协议");
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_TRUE(text->toPlainText().contains("收费管理系统"));
    EXPECT_EQ(unit<QPushButton>(window, "按钮2")->text(), "我不接受&N");
    EXPECT_FALSE(accept->isEnabled());
    EXPECT_EQ(window.focusWidget(), unit<QPushButton>(window, "按钮2"));
    EXPECT_EQ(window.timer()->interval(), 1000);
    EXPECT_TRUE(window.timer()->isActive());
    EXPECT_EQ(window.agreement_countdown(), 30);

    for (int tick = 1; tick < 30; ++tick) {
        window.on_agreement_text_timer();
        EXPECT_EQ(accept->text(), "我接受(" + QString::number(30 - tick) + ")") << tick;
        EXPECT_FALSE(accept->isEnabled()) << tick;
    }
    EXPECT_TRUE(window.timer()->isActive());
    window.on_agreement_text_timer();
    EXPECT_EQ(accept->text(), "我接受&O");
    EXPECT_TRUE(accept->isEnabled());
    EXPECT_FALSE(window.timer()->isActive());
    // A tick already on its way when the timer stopped changes nothing.
    window.on_agreement_text_timer();
    EXPECT_EQ(accept->text(), "我接受&O");
    EXPECT_EQ(window.agreement_countdown(), 0);

    accept->click();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(AgreementWindowTest, TitleBarCloseAndEscapeAreRefused) {
    AgreementWindow window;
    window.show();
    EXPECT_FALSE(window.on_agreement_text_query_close());
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    window.reject();  // what Esc does
    EXPECT_TRUE(window.isVisible());
    // Even once accepting is possible, only the button closes it.
    for (int tick = 0; tick < 30; ++tick) window.on_agreement_text_timer();
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    window.on_agreement_text_close_click();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(AgreementWindowTest, DeclineClosesTheDatabaseAndEndsTheProgram) {
    ASSERT_TRUE(platform::recordset_open(store::main_recordset(1), "select * from 收费员"));
    ASSERT_TRUE(platform::recordset_open(store::main_recordset(2), "select * from 收费员"));
    AgreementWindow window;
    window.show();
    EXPECT_THROW(window.on_agreement_text_decline_click(), platform::ProgramEnded);
    EXPECT_EQ(ui.exit_code(), 0);
    EXPECT_FALSE(platform::recordset_is_open(store::main_recordset(1)));
    EXPECT_FALSE(platform::recordset_is_open(store::main_recordset(2)));
    EXPECT_FALSE(platform::db_is_open(store::main_connection()));
}

}  // namespace
