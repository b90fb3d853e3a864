#pragma once
// The main window: navigation pane 选择夹1 on the left (six groups, each page showing all six
// group headers), content area 选择夹2 on the right (seventeen pages), the splitter 分隔条1 with
// the collapse arrow 箭头 between them, the menu bar with two hidden context menus, and the
// status bar 状态条1.
//
// The frame knows nothing of the subsystems that fill it. They put their page widgets into the
// content pages (set_content_page_widget) and register their handlers by name
// (register_action): a navigation entry by its unit name or by its handler name, a menu entry
// by its handler name, a hot-key step by the handler or window name it runs. An entry whose
// name has no action is disabled, so nothing on screen pretends to work.
//
// Navigation entries (unit name = handler name):
//   page 0 用户管理: 用户管理_添加按钮 = on_main_nav_household_list_click,
//     用户管理_用户查询 = on_main_nav_household_query_click,
//     用户管理_用户表管理 = on_main_nav_household_meters_click
//   page 1 抄表管理: 抄表管理1_月抄表 = on_main_nav_monthly_reading_click,
//     抄表管理1_抄表查询 = on_main_nav_reading_query_click, 抄表管理1_抄表机 =
//     on_main_nav_handheld_click, 抄表管理1_固定抄表 = on_main_nav_fixed_reading_click,
//     抄表管理1_换表管理 = on_main_nav_meter_change_click,
//     抄表管理1_生成物业费 = on_main_nav_generate_property_fee_click
//   page 2 收费管理: 收费管理2_窗口收费 = on_main_nav_counter_charging_click,
//     收费管理2_磁卡收费 = on_main_nav_card_charging_click,
//     收费管理2_批量收费 = on_main_nav_batch_charging_click,
//     收费管理2_收费查询 = on_main_nav_charge_query_click
//   page 3 数据报表: 数据报表3_收费日报表 = on_main_nav_daily_charge_report_click,
//     数据报表3_收费月报表 = on_main_nav_monthly_charge_report_click,
//     数据报表3_收费统计 = on_main_nav_annual_charge_ledger_click,
//     数据报表3_成本核算表 = on_main_nav_annual_charge_report_click,
//     数据报表3_抄表月报表 = on_main_nav_monthly_reading_report_click,
//     数据报表3_用户月报表 = on_main_nav_monthly_household_report_click,
//     数据报表3_用户年报表 = on_main_nav_annual_household_report_click
//   page 4 系统设置: 系统设置4_密码 = on_main_nav_change_password_click,
//     系统设置4_帮助 = on_main_nav_help_click (built in), 系统设置4_退出 = on_main_nav_exit_click
//     (built in)
//   page 5 预存管理: 预存管理_预存添加 = on_main_nav_add_prepayment_click,
//     预存管理_预存查询 = on_main_nav_prepay_query_click,
//     预存管理_预存扣款 = on_main_nav_prepay_deduction_click,
//     预存管理_扣款查询 = on_main_nav_deduction_query_click
//
// Menu entries (caption: handler name):
//   基本设置: 系统参数设置 on_menu_system_parameters, 打印参数设置
//   on_main_menu_print_parameters_click,
//     收费项目设置 on_menu_fee_items, 价格类别设置 on_menu_price_categories,
//     居住街道设置 on_menu_streets_click, 抄表人员设置 on_menu_meter_readers,
//     操作人员管理 > 操作人员设置 on_menu_operator_settings, 操作人员权限设置
//     on_menu_operator_permissions, 附加费设置 on_menu_surcharges, 开户银行设置 on_menu_banks,
//     单月收费基本度数调整 on_menu_monthly_base_adjust, 减免管理 (hidden)
//     on_main_menu_reductions_click, 滞纳金设置 on_main_menu_late_fee_click, 阶梯价格设置
//     on_menu_tiered_prices, 系统初始化 on_menu_system_initialise, 数据库管理 > 数据库备份设置
//     on_menu_backup_settings, 数据库备份 on_menu_backup_database,
//       数据库恢复 on_menu_restore_database,
//     日志管理 on_menu_log_management, 退出 on_menu_exit (built in)
//   打印: 发票管理 on_menu_invoice_management, 打印卡片 on_main_menu_print_cards_click,
//     收据重打 on_main_menu_reprint_receipt_click
//   辅助: 界面设置 on_menu_ui_settings, 计算器 on_menu_calculator, 记事本 on_menu_notepad (built
//   in) 技术支持: 帮助 on_menu_help, 导航提示 on_menu_navigation_hint, 许可协议
//   on_menu_agreement_text
//     (built in)
//   hidden context menu 收费查询 (charge_query_menu()): 修改 on_main_charge_popup_edit_click,
//     作废 on_main_charge_popup_void_click, 导出 on_main_charge_popup_export_click,
//     打印 on_main_charge_popup_print_click, 重打收据 on_main_charge_popup_reprint_click
//   hidden context menu 预存查询 (prepay_query_menu()): 修改 on_main_prepay_popup_edit_click,
//     作废 on_main_prepay_popup_void_click, 重打收据 on_main_prepay_popup_reprint_click
//
// Hot keys (each first selects the navigation page, then runs the named steps):
//   F3 page 0: on_main_nav_household_list_click, on_main_household_add_click
//   F4 page 0: on_main_nav_household_query_click, HouseholdQueryWindow (opens that window
//      modally, owned by the main window)
//   F5 page 1: on_main_nav_monthly_reading_click; then, only when the operator holds
//      "抄表添加", reading_form_mode becomes "添加" and ReadingEntryWindow runs (opens the
//      reading window modally, without owner)
//   F6 page 0: on_main_nav_household_meters_click, on_main_meter_add_click
//   F7 page 5: on_main_nav_add_prepayment_click
//   F8 page 2: on_main_nav_counter_charging_click
//   F9 unchanged: on_main_nav_card_charging_click
#include <QMainWindow>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class QShortcut;
class QTabWidget;

namespace Ui {
class MainWindow;
}

namespace shell {

// Pages of the navigation pane 选择夹1 (the group numbers).
enum NavigationPage {
    kNavHouseholds = 0,  // 用户管理
    kNavReadings = 1,    // 抄表管理
    kNavCharging = 2,    // 收费管理
    kNavReports = 3,     // 数据报表
    kNavSettings = 4,    // 系统设置
    kNavPrepayments = 5  // 预存管理
};
inline constexpr int kNavigationPageCount = 6;

// Pages of the content area 选择夹2.
enum ContentPage {
    kPageTodaysHouseholds = 0,  // 添加窗口
    kPageHouseholdQuery = 1,    // 查询窗口
    kPageWelcome = 2,           // 欢迎窗口
    kPageReadingQuery = 3,      // 抄表查询
    kPageStatistics = 4,        // 抄表统计
    kPageMonthlyReadings = 5,   // 月抄表
    kPageChargeQuery = 6,       // 收费查询
    kPagePrepayments = 7,       // 预存查询
    kPageBalances = 8,          // 预存扣款
    kPageDeductions = 9,        // 扣款明细
    kPageReductions = 10,       // 减免明细
    kPageHandheld = 11,         // 抄表机
    kPageOperationLog = 12,     // 日志管理
    kPageInvoices = 13,         // 发票设置
    kPageMeterChanges = 14,     // 换表管理
    kPageMeters = 15,           // 用户表管理
    kPageSpare = 16             // (no caption)
};
inline constexpr int kContentPageCount = 17;

// pz.ini: the navigation pane width, "0" while collapsed.
inline const QString kSplitterSection = QStringLiteral("分割条");
inline const QString kSplitterKey = QStringLiteral("数值");
inline constexpr int kDefaultPaneWidth = 210;

// The help pages under the program folder; the menu entry 帮助 opens the first one.
inline const QString kHelpFile = QStringLiteral("help/index.html");

// The hot keys' registration ids are their virtual-key codes, F3 = 114 .. F9 = 120, registered
// in the order F3, F4, F5, F7, F8, F9, F6.
inline constexpr std::array<int, 7> kHotKeyRegistrationOrder = {114, 115, 116, 118, 119, 120, 117};

// What the frame hands to the desktop: a file to open with its default program (the help page)
// or a program to start without waiting (calculator, text editor). Tests replace it so that
// nothing is started; it returns whether the desktop took the request.
using DesktopLauncher = std::function<bool(const QString& target, bool start_program)>;
void set_desktop_launcher_for_tests(DesktopLauncher launcher);

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // ---- action registry ----
    // Binds a handler to a navigation entry, menu entry or hot-key step (names above) and
    // enables its controls; an empty function unbinds and disables them again. A name the frame
    // does not know (use the constants of action_names.h) changes nothing: it stops a debug
    // build, and otherwise is logged as a warning and returns false.
    bool register_action(const QString& name, std::function<void()> action);
    bool has_action(const QString& name) const;
    // Runs the named action; false when none is registered.
    bool run_action(const QString& name);
    // Every name register_action accepts.
    QStringList action_names() const;

    // ---- pages ----
    QTabWidget* navigation_tabs() const;  // 选择夹1
    QTabWidget* content_tabs() const;     // 选择夹2
    // Puts a subsystem's page widget into content page `page` (filling it; a widget already
    // there is deleted). The frame takes ownership.
    void set_content_page_widget(int page, QWidget* page_widget);
    // The widget set for a page, or null.
    QWidget* content_page_widget(int page) const;
    void select_content_page(int page);
    void select_navigation_page(int page);

    // ---- the two hidden context menus, for the charge and prepayment lists to pop up ----
    QMenu* charge_query_menu() const;  // 收费查询
    QMenu* prepay_query_menu() const;  // 预存查询

    // ---- picture box 图片框1 on the welcome page ----
    // A null or empty picture shows the built-in one.
    void set_background_picture(const QPixmap& picture);
    QLabel* picture_box() const;
    // The built-in welcome picture, drawn for the given size.
    static QPixmap builtin_background_picture(QSize size = QSize(1280, 800));

    // ---- status bar 状态条1 ----
    // Appends a panel of the given width.
    QLabel* add_status_panel(const QString& text, int width);
    QStringList status_panel_texts() const;

    // ---- navigation pane layout ----
    // Start-up layout from 分割条/数值.
    void layout_navigation_bar();
    // The splitter's moved event with the new pane width; also the layout routine: stores the
    // width in pz.ini and places pane, splitter, arrow and content area.
    void on_main_splitter_moved(int pane_width);
    // Collapses or expands the pane.
    void on_main_nav_arrow_click();
    int navigation_pane_width() const { return pane_width_; }
    // True while the arrow shows the open-state picture.
    bool arrow_shows_open_state() const { return arrow_open_; }

    // ---- hot keys ----
    void register_hot_keys();
    void unregister_hot_keys();
    bool hot_keys_registered() const { return !hot_keys_.empty(); }
    // The hot-key event with the registration id of the key pressed.
    void on_main_hotkey_pressed(int registration_id);

    // ---- handlers of the frame's own entries ----
    void on_menu_ui_settings();
    void on_menu_calculator();
    void on_menu_notepad();
    void on_menu_help();
    void on_main_nav_help_click();
    void on_menu_navigation_hint();
    void on_menu_agreement_text();
    void on_menu_exit();
    void on_main_nav_exit_click();
    // The headers of the submenu 数据库管理 and of the hidden menu 收费查询 have actions of
    // their own: the backup settings, and content page 3. Qt gives a menu header no event of
    // its own, so nothing on screen runs them.
    void on_menu_database_management();
    void on_main_charge_popup_open();

    Ui::MainWindow* form() const { return ui.get(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Binding {
        std::vector<QAbstractButton*> buttons;
        std::vector<QAction*> actions;
        std::function<void()> action;
    };

    void build_navigation_headers();
    void bind_entries();
    void add_binding(const QString& name, const QString& alias, QAbstractButton* button,
                     QAction* action);
    void enable_binding(Binding& binding);
    void trigger(const QString& name);
    void place_frame_units();
    void update_arrow_picture();
    void show_scaled_picture();
    void open_with_desktop(const QStringList& candidates);

    std::unique_ptr<Ui::MainWindow> ui;
    std::map<QString, Binding> bindings_;
    std::map<QString, QString> aliases_;  // handler name -> canonical name
    std::vector<QShortcut*> hot_keys_;
    std::vector<QLabel*> status_panels_;
    QPixmap background_;
    int pane_width_ = kDefaultPaneWidth;
    bool arrow_open_ = true;
    int splitter_grab_offset_ = -1;  // while dragging: mouse x minus splitter x
};

// The main window of the running program (null before it is created and after it is gone).
MainWindow* main_window();

}  // namespace shell
