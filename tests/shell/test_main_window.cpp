// The main window frame: navigation pane and headers, the action registry that enables what
// works and disables what does not, menus in display order with the hidden entries, content
// pages, the pane width kept in pz.ini with the collapse arrow, and the hot keys.
#include <QtGui/qtguiglobal.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <map>
#include <memory>

#include "harness/units.h"
#include "lists/list_colours.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "shell/action_names.h"
#include "shell/help_window.h"
#include "shell/main_window.h"
#include "shell/operator_accounts.h"
#include "shell/permission_prompts.h"
#include "shell/permissions.h"
#include "shell/program_state.h"
#include "shell_fixture.h"
#include "store/main_database.h"

// What QTest's key clicks use to offer a key press to the shortcut map, as the window system
// would: true when a shortcut took the key.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k,
                                               Qt::KeyboardModifiers mods, const QString& text,
                                               bool autorep, ushort count);

namespace {

using shell::MainWindow;

const QStringList kGroups = {QStringLiteral("用户管理"), QStringLiteral("抄表管理"),
                             QStringLiteral("收费管理"), QStringLiteral("数据报表"),
                             QStringLiteral("系统设置"), QStringLiteral("预存管理")};
// Header stacking order: 预存管理 comes before 收费管理.
const int kDisplayOrder[] = {0, 1, 5, 2, 3, 4};

const std::map<int, QStringList> kEntries = {
    {0, {"用户管理_添加按钮", "用户管理_用户查询", "用户管理_用户表管理"}},
    {1,
     {"抄表管理1_月抄表", "抄表管理1_抄表查询", "抄表管理1_抄表机", "抄表管理1_固定抄表",
      "抄表管理1_换表管理", "抄表管理1_生成物业费"}},
    {2, {"收费管理2_窗口收费", "收费管理2_磁卡收费", "收费管理2_批量收费", "收费管理2_收费查询"}},
    {3,
     {"数据报表3_收费日报表", "数据报表3_收费月报表", "数据报表3_收费统计", "数据报表3_成本核算表",
      "数据报表3_抄表月报表", "数据报表3_用户月报表", "数据报表3_用户年报表"}},
    {4, {"系统设置4_密码", "系统设置4_帮助", "系统设置4_退出"}},
    {5, {"预存管理_预存添加", "预存管理_预存查询", "预存管理_预存扣款", "预存管理_扣款查询"}},
};

class MainWindowTest : public shell_test::ProgramStateTest {
protected:
    void SetUp() override {
        ProgramStateTest::SetUp();
        shell::current_operator = QStringLiteral("管理员");
        window_ = std::make_unique<MainWindow>();
    }
    void TearDown() override {
        window_.reset();
        shell::set_desktop_launcher_for_tests({});
        ProgramStateTest::TearDown();
    }

    QPushButton* button(const QString& name) const {
        return window_->findChild<QPushButton*>(name);
    }
    QAction* action(const QString& name) const { return window_->findChild<QAction*>(name); }
    QString stored_width() const {
        return platform::ini_read_text(shell::kSplitterSection, shell::kSplitterKey);
    }

    // Shows the window at a known size with its layouts settled.
    void show_at(int width, int height) {
        window_->resize(width, height);
        window_->show();
        QApplication::processEvents();
    }

    std::unique_ptr<MainWindow> window_;
};

// ---- navigation pane -------------------------------------------------------------------------

TEST_F(MainWindowTest, EveryNavigationPageShowsAllSixHeadersInDisplayOrder) {
    show_at(1200, 800);
    QTabWidget* pane = window_->navigation_tabs();
    ASSERT_EQ(pane->count(), 6);
    EXPECT_TRUE(pane->tabBar()->isHidden());
    for (int page = 0; page < 6; ++page) {
        SCOPED_TRACE(page);
        window_->select_navigation_page(page);
        QWidget* page_widget = pane->widget(page);
        page_widget->layout()->activate();
        std::vector<QPushButton*> headers;
        for (int group : kDisplayOrder) {
            QPushButton* header =
                page_widget->findChild<QPushButton*>(kGroups[group] + QString::number(page));
            ASSERT_NE(header, nullptr) << kGroups[group].toStdString();
            EXPECT_EQ(header->text(), kGroups[group]);
            headers.push_back(header);
        }
        // Own header and those before it at the top from 2 pixels, 33 apart; the rest at the
        // bottom, the last one's top 35 pixels above the bottom; the entries in between.
        int own = 0;
        while (kDisplayOrder[own] != page) ++own;
        for (int i = 0; i <= own; ++i) EXPECT_EQ(headers[i]->y(), 2 + 33 * i);
        for (int i = 5, k = 0; i > own; --i, ++k)
            EXPECT_EQ(headers[i]->y(), page_widget->height() - 35 - 33 * k);
        int previous_bottom = headers[own]->geometry().bottom();
        for (const QString& name : kEntries.at(page)) {
            QPushButton* entry = page_widget->findChild<QPushButton*>(name);
            ASSERT_NE(entry, nullptr) << name.toStdString();
            EXPECT_GT(entry->y(), previous_bottom);
            previous_bottom = entry->geometry().bottom();
        }
        if (own < 5) {
            EXPECT_LT(previous_bottom, headers[own + 1]->y());
        }
    }
}

TEST_F(MainWindowTest, HeadersOfOtherGroupsSelectTheirPageAndTheOwnHeaderNothing) {
    int with_action = 0;
    for (int page = 0; page < 6; ++page) {
        for (int group = 0; group < 6; ++group) {
            window_->select_navigation_page(page);
            button(kGroups[group] + QString::number(page))->click();
            EXPECT_EQ(window_->navigation_tabs()->currentIndex(), group) << page << " " << group;
            if (group != page) ++with_action;
        }
    }
    EXPECT_EQ(with_action, 30);
}

// ---- the action registry ---------------------------------------------------------------------

TEST_F(MainWindowTest, EntriesWithoutActionAreDisabledAndRegisteringEnablesThem) {
    const QStringList built_in = {QStringLiteral("系统设置4_帮助"),
                                  QStringLiteral("系统设置4_退出")};
    for (const auto& [page, names] : kEntries)
        for (const QString& name : names)
            EXPECT_EQ(button(name)->isEnabled(), built_in.contains(name)) << name.toStdString();
    for (const char* name :
         {"菜单_系统参数设置", "菜单_居住街道设置", "菜单_数据库备份", "菜单_收据重打",
          "收费查询_作废", "预存查询_重打收据", "菜单_减免管理"})
        EXPECT_FALSE(action(QString::fromUtf8(name))->isEnabled()) << name;
    for (const char* name :
         {"菜单_退出", "菜单_帮助", "菜单_导航提示", "菜单_许可协议", "菜单_界面设置"})
        EXPECT_TRUE(action(QString::fromUtf8(name))->isEnabled()) << name;

    // A navigation entry answers to its unit name and to its handler name.
    int runs = 0;
    EXPECT_TRUE(window_->register_action(QStringLiteral("on_main_nav_household_list_click"),
                                         [&] { ++runs; }));
    EXPECT_TRUE(button(QStringLiteral("用户管理_添加按钮"))->isEnabled());
    button(QStringLiteral("用户管理_添加按钮"))->click();
    EXPECT_TRUE(
        window_->register_action(QStringLiteral("抄表管理1_换表管理"), [&] { runs += 10; }));
    EXPECT_TRUE(window_->run_action(QStringLiteral("on_main_nav_meter_change_click")));
    EXPECT_EQ(runs, 11);

    // Menu entries and context-menu entries by handler name.
    EXPECT_TRUE(
        window_->register_action(QStringLiteral("on_menu_streets_click"), [&] { runs += 100; }));
    action(QStringLiteral("菜单_居住街道设置"))->trigger();
    EXPECT_TRUE(window_->register_action(QStringLiteral("on_main_charge_popup_void_click"),
                                         [&] { runs += 1000; }));
    EXPECT_TRUE(action(QStringLiteral("收费查询_作废"))->isEnabled());
    window_->charge_query_menu()->actions().at(1)->trigger();
    EXPECT_EQ(runs, 1111);

    // Unbinding disables again.
    EXPECT_TRUE(window_->register_action(QStringLiteral("用户管理_添加按钮"), {}));
    EXPECT_FALSE(button(QStringLiteral("用户管理_添加按钮"))->isEnabled());
    EXPECT_FALSE(window_->run_action(QStringLiteral("用户管理_添加按钮")));
}

// The messages Qt logs while one lives.
class LogCapture {
public:
    LogCapture() : previous_(qInstallMessageHandler(&LogCapture::handle)) { messages().clear(); }
    ~LogCapture() { qInstallMessageHandler(previous_); }
    static QStringList& messages() {
        static QStringList captured;
        return captured;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext&, const QString& text) {
        messages() << text;
    }
    QtMessageHandler previous_;
};

TEST_F(MainWindowTest, AnUnknownActionNameFailsLoudly) {
    const auto register_unknown = [this] {
        return window_->register_action(QStringLiteral("on_menu_no_such_entry"), [] {});
    };
#ifdef QT_NO_DEBUG
    // Released: refused, logged, nothing changed.
    LogCapture log;
    EXPECT_FALSE(register_unknown());
    EXPECT_FALSE(window_->has_action(QStringLiteral("on_menu_no_such_entry")));
    ASSERT_EQ(log.messages().size(), 1);
    EXPECT_TRUE(log.messages()[0].contains(QStringLiteral("no entry named on_menu_no_such_entry")));
    // Every name of action_names.h is one the frame knows.
    for (const char* name : {shell::action::kMainNavHouseholdList, shell::action::kMenuStreets,
                             shell::action::kReadingEntryWindow, shell::action::kMainMeterAdd})
        EXPECT_TRUE(window_->register_action(QString::fromUtf8(name), [] {})) << name;
    EXPECT_EQ(log.messages().size(), 1);
#else
    // A debug build stops at once.
    EXPECT_DEATH(register_unknown(), "unknown action name");
#endif
}

// ---- menus -----------------------------------------------------------------------------------

// A menu's entries as the user sees them: captions, "—" for separators, "caption>" + entries
// for submenus; entries that are hidden are put in brackets.
QStringList entries_of(const QMenu* menu) {
    QStringList items;
    for (QAction* entry : menu->actions()) {
        if (entry->isSeparator()) {
            items << QStringLiteral("—");
        } else if (entry->menu()) {
            items << entry->text() + QStringLiteral(">") +
                         entries_of(entry->menu()).join(QLatin1Char(','));
        } else {
            items << (entry->isVisible()
                          ? entry->text()
                          : QStringLiteral("[") + entry->text() + QStringLiteral("]"));
        }
    }
    return items;
}

TEST_F(MainWindowTest, MenuBarHoldsEveryEntryInDisplayOrder) {
    QStringList visible_menus;
    QStringList hidden_menus;
    for (QAction* top : window_->menuBar()->actions())
        (top->isVisible() ? visible_menus : hidden_menus) << top->text();
    EXPECT_EQ(visible_menus, QStringList({"基本设置", "打印", "辅助", "技术支持"}));
    EXPECT_EQ(hidden_menus, QStringList({"收费查询", "预存查询"}));

    const QList<QAction*> tops = window_->menuBar()->actions();
    EXPECT_EQ(entries_of(tops[0]->menu()),
              QStringList({"系统参数设置",
                           "打印参数设置",
                           "—",
                           "收费项目设置",
                           "价格类别设置",
                           "居住街道设置",
                           "抄表人员设置",
                           "操作人员管理>操作人员设置,操作人员权限设置",
                           "附加费设置",
                           "开户银行设置",
                           "—",
                           "单月收费基本度数调整",
                           "[减免管理]",
                           "滞纳金设置",
                           "—",
                           "阶梯价格设置",
                           "—",
                           "系统初始化",
                           "数据库管理>数据库备份设置,数据库备份,数据库恢复",
                           "—",
                           "日志管理",
                           "—",
                           "退出"}));
    EXPECT_EQ(entries_of(tops[1]->menu()),
              QStringList({"发票管理", "—", "打印卡片", "—", "收据重打"}));
    EXPECT_EQ(entries_of(tops[2]->menu()), QStringList({"界面设置", "—", "计算器", "—", "记事本"}));
    EXPECT_EQ(entries_of(tops[3]->menu()), QStringList({"帮助", "导航提示", "—", "许可协议"}));

    // The two context menus, for the charge and prepayment lists to pop up.
    EXPECT_EQ(window_->charge_query_menu(), tops[4]->menu());
    EXPECT_EQ(window_->prepay_query_menu(), tops[5]->menu());
    EXPECT_EQ(entries_of(window_->charge_query_menu()),
              QStringList({"修改", "作废", "—", "导出", "打印", "—", "重打收据"}));
    EXPECT_EQ(entries_of(window_->prepay_query_menu()),
              QStringList({"修改", "作废", "—", "重打收据"}));
}

// ---- content pages ---------------------------------------------------------------------------

TEST_F(MainWindowTest, ContentPagesTakeTheSubsystemsWidgets) {
    const QStringList captions = {"添加窗口",   "查询窗口", "欢迎窗口", "抄表查询", "抄表统计",
                                  "月抄表",     "收费查询", "预存查询", "预存扣款", "扣款明细",
                                  "减免明细",   "抄表机",   "日志管理", "发票设置", "换表管理",
                                  "用户表管理", ""};
    QTabWidget* content = window_->content_tabs();
    ASSERT_EQ(content->count(), shell::kContentPageCount);
    for (int page = 0; page < content->count(); ++page)
        EXPECT_EQ(content->tabText(page), captions[page]) << page;
    EXPECT_EQ(content->currentIndex(), shell::kPageWelcome);
    EXPECT_TRUE(content->tabBar()->isHidden());

    auto* first = new QWidget;
    window_->set_content_page_widget(shell::kPageMonthlyReadings, first);
    EXPECT_EQ(window_->content_page_widget(shell::kPageMonthlyReadings), first);
    EXPECT_TRUE(content->widget(shell::kPageMonthlyReadings)->isAncestorOf(first));
    QPointer<QWidget> replaced(first);
    auto* second = new QWidget;
    window_->set_content_page_widget(shell::kPageMonthlyReadings, second);
    EXPECT_TRUE(replaced.isNull()) << "the old page widget is deleted";
    EXPECT_EQ(window_->content_page_widget(shell::kPageMonthlyReadings), second);

    // The welcome page is the frame's: its picture box stays.
    QWidget stray;
    window_->set_content_page_widget(shell::kPageWelcome, &stray);
    EXPECT_EQ(stray.parentWidget(), nullptr);
    window_->select_content_page(shell::kPageWelcome);
    show_at(1200, 800);
    EXPECT_FALSE(window_->picture_box()->pixmap().isNull());
    EXPECT_TRUE(content->widget(shell::kPageWelcome)->isAncestorOf(window_->picture_box()));
}

// ---- the pane width and the arrow ------------------------------------------------------------

TEST_F(MainWindowTest, PaneWidthSurvivesARestartAndExpandingAfterCollapseGives210) {
    window_->layout_navigation_bar();
    window_->on_main_splitter_moved(300);
    EXPECT_EQ(stored_width(), QStringLiteral("300"));

    window_ = std::make_unique<MainWindow>();  // the next start
    window_->layout_navigation_bar();
    EXPECT_EQ(window_->navigation_pane_width(), 300);
    EXPECT_TRUE(window_->arrow_shows_open_state());

    window_->on_main_nav_arrow_click();
    EXPECT_EQ(window_->navigation_pane_width(), 0);
    EXPECT_EQ(stored_width(), QStringLiteral("0"));
    EXPECT_FALSE(window_->arrow_shows_open_state());

    window_->on_main_nav_arrow_click();
    EXPECT_EQ(window_->navigation_pane_width(), 210);
    EXPECT_EQ(stored_width(), QStringLiteral("210"));
    EXPECT_TRUE(window_->arrow_shows_open_state());
}

TEST_F(MainWindowTest, StartUpLayoutFollowsTheStoredWidth) {
    struct Case {
        const char* stored;  // nullptr: no key at all
        int width;
        bool arrow_open;
        int width_after_click;
        bool arrow_open_after_click;
    };
    const Case cases[] = {
        {nullptr, 210, false, 210, true},  // first start: the first click only turns the arrow
        {"0", 0, false, 210, true},
        {"250.9", 250, true, 0, false},  // the fraction is cut off
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "(missing)");
        QFile::remove(path(platform::kIniFile));
        if (c.stored) {
            ASSERT_TRUE(
                platform::ini_write_text(shell::kSplitterSection, shell::kSplitterKey, c.stored));
        }
        window_ = std::make_unique<MainWindow>();
        window_->layout_navigation_bar();
        EXPECT_EQ(window_->navigation_pane_width(), c.width);
        EXPECT_EQ(stored_width(), QString::number(c.width));
        EXPECT_EQ(window_->arrow_shows_open_state(), c.arrow_open);

        window_->findChild<QAbstractButton*>(QStringLiteral("箭头"))->click();
        EXPECT_EQ(window_->navigation_pane_width(), c.width_after_click);
        EXPECT_EQ(window_->arrow_shows_open_state(), c.arrow_open_after_click);
    }
    // The first start's second click collapses.
    QFile::remove(path(platform::kIniFile));
    window_ = std::make_unique<MainWindow>();
    window_->layout_navigation_bar();
    window_->on_main_nav_arrow_click();
    window_->on_main_nav_arrow_click();
    EXPECT_EQ(window_->navigation_pane_width(), 0);
}

TEST_F(MainWindowTest, LayoutPlacesPaneSplitterAndContent) {
    show_at(1200, 800);
    window_->on_main_splitter_moved(300);
    const QWidget* area = window_->centralWidget();
    const int h = area->height() - 10;
    EXPECT_EQ(window_->navigation_tabs()->geometry(), QRect(5, 5, 300, h));
    EXPECT_EQ(window_->content_tabs()->geometry(), QRect(320, 5, area->width() - 325, h));
    const QWidget* splitter = window_->findChild<QWidget*>(QStringLiteral("分隔条1"));
    const QWidget* arrow = window_->findChild<QWidget*>(QStringLiteral("箭头"));
    EXPECT_EQ(splitter->geometry().left(), 305);
    EXPECT_EQ(splitter->geometry().right(), 319);
    EXPECT_GE(arrow->x(), 305);
    EXPECT_LE(arrow->geometry().right(), 319);

    // Collapsed, the content area starts right after the gap.
    window_->on_main_nav_arrow_click();
    EXPECT_EQ(window_->navigation_tabs()->width(), 0);
    EXPECT_EQ(window_->content_tabs()->x(), 20);
}

TEST_F(MainWindowTest, DraggingTheSplitterStoresTheNewWidth) {
    show_at(1200, 800);
    window_->on_main_splitter_moved(210);
    QWidget* splitter = window_->findChild<QWidget*>(QStringLiteral("分隔条1"));
    const QPointF grab(7, 100);
    const QPointF moved(7 + 90, 100);
    QMouseEvent press(QEvent::MouseButtonPress, grab, splitter->mapToGlobal(grab), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, moved, splitter->mapToGlobal(moved), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(splitter, &press);
    QApplication::sendEvent(splitter, &move);
    EXPECT_EQ(stored_width(), QStringLiteral("210")) << "nothing is stored while dragging";
    const QPointF released(7, 100);  // relative to the splitter where it now is
    QMouseEvent release(QEvent::MouseButtonRelease, released, splitter->mapToGlobal(released),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(splitter, &release);
    EXPECT_EQ(window_->navigation_pane_width(), 300);
    EXPECT_EQ(stored_width(), QStringLiteral("300"));
    EXPECT_EQ(window_->navigation_tabs()->width(), 300);
}

// ---- hot keys --------------------------------------------------------------------------------

class HotKeyTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        for (const char* step :
             {"on_main_nav_household_list_click", "on_main_household_add_click",
              "on_main_nav_household_query_click", "HouseholdQueryWindow",
              "on_main_nav_monthly_reading_click", "ReadingEntryWindow",
              "on_main_nav_household_meters_click", "on_main_meter_add_click",
              "on_main_nav_add_prepayment_click", "on_main_nav_counter_charging_click",
              "on_main_nav_card_charging_click"}) {
            const QString name = QString::fromUtf8(step);
            ASSERT_TRUE(window_->register_action(name, [this, name] { steps_ << name; }));
        }
    }
    QStringList steps_;
};

TEST_F(HotKeyTest, EachKeySelectsItsGroupThenRunsItsSteps) {
    struct Case {
        int id;
        int page;  // navigation page afterwards; the test starts on page 3
        QStringList steps;
    };
    const Case cases[] = {
        {114, 0, {"on_main_nav_household_list_click", "on_main_household_add_click"}},
        {115, 0, {"on_main_nav_household_query_click", "HouseholdQueryWindow"}},
        {116, 1, {"on_main_nav_monthly_reading_click", "ReadingEntryWindow"}},
        {117, 0, {"on_main_nav_household_meters_click", "on_main_meter_add_click"}},
        {118, 5, {"on_main_nav_add_prepayment_click"}},
        {119, 2, {"on_main_nav_counter_charging_click"}},
        {120, 3, {"on_main_nav_card_charging_click"}},  // F9 leaves the page alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        steps_.clear();
        shell::reading_form_mode.clear();
        window_->select_navigation_page(3);
        window_->on_main_hotkey_pressed(c.id);
        EXPECT_EQ(window_->navigation_tabs()->currentIndex(), c.page);
        EXPECT_EQ(steps_, c.steps);
        EXPECT_EQ(shell::reading_form_mode, c.id == 116 ? QStringLiteral("添加") : QString());
    }
}

TEST_F(HotKeyTest, F5WithoutTheRightIsRefusedOnceAndOpensNoReadingWindow) {
    exec(QStringLiteral("insert into 收费员 (收费人员, 密码, 许可) values ('张三', '', 1)"));
    shell::current_operator = QStringLiteral("张三");
    // The monthly-reading entry as its subsystem registers it: refused without "抄表添加".
    window_->register_action(QStringLiteral("on_main_nav_monthly_reading_click"), [this] {
        if (shell::require_permission(QStringLiteral("抄表添加")))
            steps_ << QStringLiteral("monthly");
    });
    ui.expect_box(QStringLiteral("您没有取得授权！"));
    window_->on_main_hotkey_pressed(116);
    ASSERT_EQ(ui.box_texts().size(), 1);
    EXPECT_TRUE(ui.box_texts()[0].startsWith(QStringLiteral("您没有取得授权！\n")));
    EXPECT_TRUE(ui.box_texts()[0].contains(shell::kPermissionsMenuPath));
    EXPECT_TRUE(steps_.isEmpty());
    EXPECT_TRUE(shell::reading_form_mode.isEmpty());

    exec(QStringLiteral(
        "insert into 权限管理 (权限标识, 当前项目, 人员姓名) values (1, '抄表添加', '张三')"));
    window_->on_main_hotkey_pressed(116);
    EXPECT_EQ(steps_,
              QStringList({QStringLiteral("monthly"), QStringLiteral("ReadingEntryWindow")}));
    EXPECT_EQ(shell::reading_form_mode, QStringLiteral("添加"));
}

// Offers a function key to the shortcut map as the window system does for the active window.
bool press(QWidget* target, Qt::Key key) {
    return qt_sendShortcutOverrideEvent(target, 0, key, Qt::NoModifier, QString(), false, 1);
}

TEST_F(HotKeyTest, KeysAreShortcutsOfTheMainWindowOnlyAndNotOfOurModalDialogs) {
    show_at(1200, 800);
    QApplication::setActiveWindow(window_.get());
    EXPECT_FALSE(press(window_.get(), Qt::Key_F9)) << "no keys before registration";
    EXPECT_TRUE(steps_.isEmpty());

    window_->register_hot_keys();
    EXPECT_TRUE(press(window_.get(), Qt::Key_F9));
    EXPECT_EQ(steps_, QStringList({QStringLiteral("on_main_nav_card_charging_click")}));

    // A modal dialog of ours is open: the keys are not the main window's there.
    steps_.clear();
    ui.on_modal(QStringLiteral("QDialog"), [this](QDialog* dialog) {
        QApplication::setActiveWindow(dialog);
        EXPECT_FALSE(press(dialog, Qt::Key_F9));
        EXPECT_FALSE(press(dialog, Qt::Key_F3));
        return int(QDialog::Accepted);
    });
    QDialog dialog(window_.get());
    platform::window_open_modal(&dialog);
    EXPECT_TRUE(steps_.isEmpty());

    // Unregistered with the window's destruction steps, the keys are gone.
    QApplication::setActiveWindow(window_.get());
    window_->unregister_hot_keys();
    EXPECT_FALSE(press(window_.get(), Qt::Key_F9));
    EXPECT_TRUE(steps_.isEmpty());
}

// ---- the frame's own entries -----------------------------------------------------------------

TEST_F(MainWindowTest, HelpEntriesShowTheHelpPagesInTheProgramsOwnWindow) {
    // Nothing goes to the desktop: help works where no browser is installed.
    shell::set_desktop_launcher_for_tests([&](const QString& target, bool) {
        ADD_FAILURE() << "handed to the desktop: " << target.toStdString();
        return false;
    });
    // The build lays the help pages into the program folder; this test's folder gets a copy.
    const QString shipped = harness::shipped_program_folder() + QStringLiteral("/help");
    ASSERT_TRUE(QDir(folder()).mkdir(QStringLiteral("help")));
    for (const QString& name : QDir(shipped).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(shipped + u'/' + name, folder() + QStringLiteral("/help/") + name));

    button(QStringLiteral("系统设置4_帮助"))->click();
    auto windows = window_->findChildren<shell::HelpWindow*>();
    ASSERT_EQ(windows.size(), 1);
    shell::HelpWindow* help = windows.front();
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    // Wholly on the screen, whatever size the screen has.
    EXPECT_TRUE(help->screen()->availableGeometry().contains(help->frameGeometry()));
    QTextBrowser* browser = help->browser();
    const QString page = platform::app_path(shell::kHelpFile);
    EXPECT_TRUE(page.startsWith(folder()));
    EXPECT_EQ(browser->source(), QUrl::fromLocalFile(page));
    EXPECT_EQ(help->windowTitle(), QStringLiteral("收费系统帮助"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("本系统能做什么")));

    // The pages link to each other; 后退 and 首页 come back.
    auto* back = harness::unit<QPushButton>(help, "按钮_后退");
    EXPECT_FALSE(back->isEnabled());
    browser->setSource(QUrl(QStringLiteral("start.html")));
    EXPECT_EQ(browser->source().fileName(), QStringLiteral("start.html"));
    // The first steps say what a fresh install needs before it can take money.
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("添加收费人员")));
    EXPECT_TRUE(back->isEnabled());
    back->click();
    EXPECT_EQ(browser->source(), QUrl::fromLocalFile(page));
    browser->setSource(QUrl(QStringLiteral("faq.html")));
    harness::unit<QPushButton>(help, "按钮_首页")->click();
    EXPECT_EQ(browser->source(), QUrl::fromLocalFile(page));

    // The menu entry brings the same window back with its first page.
    browser->setSource(QUrl(QStringLiteral("daily.html")));
    harness::unit<QPushButton>(help, "按钮_关闭")->click();
    EXPECT_FALSE(help->isVisible());
    action(QStringLiteral("菜单_帮助"))->trigger();
    EXPECT_EQ(window_->findChildren<shell::HelpWindow*>().size(), 1);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(browser->source(), QUrl::fromLocalFile(page));
}

// A new collector holds no right: the first-steps page and the no-collector prompt say where
// the administrator grants them, by menu paths that lead to the real entries.
TEST_F(MainWindowTest, FirstStepsNameTheMenusThatGiveACollectorRights) {
    auto entry_at = [&](const QString& path) -> QAction* {
        const QStringList steps = path.split(QStringLiteral(" → "));
        QList<QAction*> entries = window_->menuBar()->actions();
        QAction* found = nullptr;
        for (const QString& step : steps) {
            found = nullptr;
            for (QAction* a : entries)
                if (a->text() == step) found = a;
            if (!found) return nullptr;
            entries = found->menu() ? found->menu()->actions() : QList<QAction*>{};
        }
        return found;
    };
    EXPECT_EQ(entry_at(shell::kOperatorsMenuPath), action(QStringLiteral("菜单_操作人员设置")));
    EXPECT_EQ(entry_at(shell::kPermissionsMenuPath),
              action(QStringLiteral("菜单_操作人员权限设置")));

    EXPECT_TRUE(shell::kNoCollectorHint.contains(shell::kPermissionsMenuPath));
    QFile page(harness::shipped_program_folder() + QStringLiteral("/help/start.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString first_steps = QString::fromUtf8(page.readAll());
    EXPECT_TRUE(first_steps.contains(shell::kOperatorsMenuPath));
    EXPECT_TRUE(first_steps.contains(shell::kPermissionsMenuPath));
    // It quotes the refusal F8 gives a new collector, both lines of it.
    const QStringList refusal =
        shell::permission_refusal_text(store::main_connection(), QStringLiteral("窗口收费"))
            .split(u'\n');
    ASSERT_EQ(refusal.size(), 2);
    for (const QString& line : refusal)
        EXPECT_TRUE(first_steps.contains(line)) << line.toStdString();
}

TEST_F(MainWindowTest, HelpWithoutItsPagesSaysSoInItsWindow) {
    shell::set_desktop_launcher_for_tests([](const QString&, bool) { return false; });
    action(QStringLiteral("菜单_帮助"))->trigger();
    auto windows = window_->findChildren<shell::HelpWindow*>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(
        windows.front()->browser()->toPlainText().startsWith(QStringLiteral("找不到帮助文件")));
}

TEST_F(MainWindowTest, TipsAgreementAndUiSettingsOpenModally) {
    window_->select_content_page(shell::kPageChargeQuery);
    int tips_page = -1;
    QWidget* tips_owner = nullptr;
    ui.on_modal(QStringLiteral("shell::NavigationTipsWindow"), [&](QDialog* dialog) {
        tips_page = window_->content_tabs()->currentIndex();
        tips_owner = dialog->parentWidget();
        return int(QDialog::Accepted);
    });
    ui.on_modal(QStringLiteral("shell::AgreementWindow"),
                [](QDialog*) { return int(QDialog::Accepted); });
    ui.on_modal(QStringLiteral("shell::UiSettingsWindow"),
                [](QDialog*) { return int(QDialog::Accepted); });
    action(QStringLiteral("菜单_导航提示"))->trigger();
    action(QStringLiteral("菜单_许可协议"))->trigger();
    action(QStringLiteral("菜单_界面设置"))->trigger();
    EXPECT_EQ(ui.modal_windows(), QStringList({QStringLiteral("shell::NavigationTipsWindow"),
                                               QStringLiteral("shell::AgreementWindow"),
                                               QStringLiteral("shell::UiSettingsWindow")}));
    EXPECT_EQ(tips_page, shell::kPageWelcome);
    EXPECT_EQ(tips_owner, window_.get());
}

// A close request clears the lists' cell colours even when the quit is declined; they come
// back only with the next colouring.
TEST_F(MainWindowTest, DeclinedCloseDropsListColoursUntilTheNextColouring) {
    QTableView* list = platform::make_report_view(window_.get());
    platform::listview_insert_column(list, QStringLiteral("合计"), 80);
    platform::listview_insert_column(list, QStringLiteral("金额"), 80);
    platform::listview_model(list)->append_row({QStringLiteral("合计"), QStringLiteral("5")});
    const auto red = [list](int column) {
        return platform::listview_model(list)->cell_colour(0, column).text == QColor(255, 0, 0);
    };
    lists::set_list_item_colour(window_.get(), list, 0, 0, lists::kTotalsRowColour);
    lists::set_list_item_colour(window_.get(), list, 0, 1, lists::kTotalsRowColour);
    ASSERT_TRUE(red(0) && red(1));

    ui.expect_box(QStringLiteral("程序即将退出"), platform::MsgResult::No);
    EXPECT_FALSE(window_->close());
    EXPECT_TRUE(ui.has_box(QStringLiteral("程序即将退出")));
    EXPECT_FALSE(red(0));
    EXPECT_FALSE(red(1));

    lists::set_list_item_colour(window_.get(), list, 0, 1, lists::kTotalsRowColour);
    EXPECT_FALSE(red(0));
    EXPECT_TRUE(red(1));
}

TEST_F(MainWindowTest, MainWindowIsReachableWhileItLives) {
    EXPECT_EQ(shell::main_window(), window_.get());
    window_.reset();
    EXPECT_EQ(shell::main_window(), nullptr);
}

}  // namespace
