#include "shell/main_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>

#include "lists/list_colours.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/flow_layout.h"
#include "shell/action_names.h"
#include "shell/agreement_window.h"
#include "shell/help_window.h"
#include "shell/interface_settings_window.h"
#include "shell/permissions.h"
#include "shell/program_state.h"
#include "shell/startup.h"
#include "shell/tips_window.h"
#include "ui_main_window.h"

namespace shell {

namespace {

MainWindow* g_main_window = nullptr;
DesktopLauncher g_test_launcher;

// The six groups in page order, and the order their headers are stacked in.
const std::array<QString, kNavigationPageCount> kGroups = {
    QStringLiteral("用户管理"), QStringLiteral("抄表管理"), QStringLiteral("收费管理"),
    QStringLiteral("数据报表"), QStringLiteral("系统设置"), QStringLiteral("预存管理")};
const std::array<QColor, kNavigationPageCount> kGroupColours = {
    QColor(0x2f, 0x7d, 0xc8), QColor(0x2a, 0x9d, 0x6f), QColor(0xd9, 0x7a, 0x1e),
    QColor(0x7b, 0x57, 0xc2), QColor(0x5f, 0x6f, 0x82), QColor(0xc2, 0x48, 0x5a)};

struct NamedEntry {
    const char* unit;     // unit name of the navigation entry or object name of the menu action
    const char* handler;  // handler name
};

struct NavEntry {
    int page;
    NamedEntry names;
};

const NavEntry kNavEntries[] = {
    {0, {"用户管理_添加按钮", action::kMainNavHouseholdList}},
    {0, {"用户管理_用户查询", action::kMainNavHouseholdQuery}},
    {0, {"用户管理_用户表管理", action::kMainNavHouseholdMeters}},
    {1, {"抄表管理1_月抄表", action::kMainNavMonthlyReading}},
    {1, {"抄表管理1_抄表查询", action::kMainNavReadingQuery}},
    {1, {"抄表管理1_抄表机", action::kMainNavHandheld}},
    {1, {"抄表管理1_固定抄表", action::kMainNavFixedReading}},
    {1, {"抄表管理1_换表管理", action::kMainNavMeterChange}},
    {1, {"抄表管理1_生成物业费", action::kMainNavGeneratePropertyFee}},
    {2, {"收费管理2_窗口收费", action::kMainNavCounterCharging}},
    {2, {"收费管理2_磁卡收费", action::kMainNavCardCharging}},
    {2, {"收费管理2_批量收费", action::kMainNavBatchCharging}},
    {2, {"收费管理2_收费查询", action::kMainNavChargeQuery}},
    {3, {"数据报表3_收费日报表", action::kMainNavDailyChargeReport}},
    {3, {"数据报表3_收费月报表", action::kMainNavMonthlyChargeReport}},
    {3, {"数据报表3_收费统计", action::kMainNavAnnualChargeLedger}},
    {3, {"数据报表3_成本核算表", action::kMainNavAnnualChargeReport}},
    {3, {"数据报表3_抄表月报表", action::kMainNavMonthlyReadingReport}},
    {3, {"数据报表3_用户月报表", action::kMainNavMonthlyHouseholdReport}},
    {3, {"数据报表3_用户年报表", action::kMainNavAnnualHouseholdReport}},
    {4, {"系统设置4_密码", action::kMainNavChangePassword}},
    {4, {"系统设置4_帮助", action::kMainNavHelp}},
    {4, {"系统设置4_退出", action::kMainNavExit}},
    {5, {"预存管理_预存添加", action::kMainNavAddPrepayment}},
    {5, {"预存管理_预存查询", action::kMainNavPrepayQuery}},
    {5, {"预存管理_预存扣款", action::kMainNavPrepayDeduction}},
    {5, {"预存管理_扣款查询", action::kMainNavDeductionQuery}},
};

// Menu actions by object name in the form, with the handler name they are registered under.
const NamedEntry kMenuEntries[] = {
    {"菜单_系统参数设置", action::kMenuSystemParameters},
    {"菜单_打印参数设置", action::kMainMenuPrintParameters},
    {"菜单_收费项目设置", action::kMenuFeeItems},
    {"菜单_价格类别设置", action::kMenuPriceCategories},
    {"菜单_居住街道设置", action::kMenuStreets},
    {"菜单_抄表人员设置", action::kMenuMeterReaders},
    {"菜单_操作人员设置", action::kMenuOperatorSettings},
    {"菜单_操作人员权限设置", action::kMenuOperatorPermissions},
    {"菜单_附加费设置", action::kMenuSurcharges},
    {"菜单_开户银行设置", action::kMenuBanks},
    {"菜单_单月收费基本度数调整", action::kMenuMonthlyBaseAdjust},
    {"菜单_减免管理", action::kMainMenuReductions},
    {"菜单_滞纳金设置", action::kMainMenuLateFee},
    {"菜单_阶梯价格设置", action::kMenuTieredPrices},
    {"菜单_系统初始化", action::kMenuSystemInitialise},
    {"菜单_数据库备份设置", action::kMenuBackupSettings},
    {"菜单_数据库备份", action::kMenuBackupDatabase},
    {"菜单_数据库恢复", action::kMenuRestoreDatabase},
    {"菜单_日志管理", action::kMenuLogManagement},
    {"菜单_退出", action::kMenuExit},
    {"菜单_发票管理", action::kMenuInvoiceManagement},
    {"菜单_打印卡片", action::kMainMenuPrintCards},
    {"菜单_收据重打", action::kMainMenuReprintReceipt},
    {"菜单_界面设置", action::kMenuUiSettings},
    {"菜单_计算器", action::kMenuCalculator},
    {"菜单_记事本", action::kMenuNotepad},
    {"菜单_帮助", action::kMenuHelp},
    {"菜单_导航提示", action::kMenuNavigationHint},
    {"菜单_许可协议", action::kMenuAgreementText},
    {"收费查询_修改", action::kMainChargePopupEdit},
    {"收费查询_作废", action::kMainChargePopupVoid},
    {"收费查询_导出", action::kMainChargePopupExport},
    {"收费查询_打印", action::kMainChargePopupPrint},
    {"收费查询_重打收据", action::kMainChargePopupReprint},
    {"预存查询_修改", action::kMainPrepayPopupEdit},
    {"预存查询_作废", action::kMainPrepayPopupVoid},
    {"预存查询_重打收据", action::kMainPrepayPopupReprint},
};

// Steps the hot keys run that no entry of the frame shows.
const char* const kHotKeyOnlySteps[] = {action::kMainHouseholdAdd, action::kHouseholdQueryWindow, action::kReadingEntryWindow, action::kMainMeterAdd};

const QStringList kCalculators = {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),
                                  QStringLiteral("galculator"),       QStringLiteral("mate-calc"),
                                  QStringLiteral("qalculate-gtk"),    QStringLiteral("xcalc")};
const QStringList kTextEditors = {QStringLiteral("gnome-text-editor"),
                                  QStringLiteral("gedit"),
                                  QStringLiteral("kwrite"),
                                  QStringLiteral("kate"),
                                  QStringLiteral("mousepad"),
                                  QStringLiteral("pluma"),
                                  QStringLiteral("xed"),
                                  QStringLiteral("featherpad"),
                                  QStringLiteral("leafpad")};

QString first_installed_program(const QStringList& candidates) {
    for (const QString& name : candidates) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) return path;
    }
    return QString();
}

bool launch_on_desktop(const QString& target, bool start_program) {
    if (g_test_launcher) return g_test_launcher(target, start_program);
    if (start_program) return QProcess::startDetached(target, {});
    return QDesktopServices::openUrl(QUrl::fromLocalFile(target));
}

// Runs a handler from a Qt signal. Under the scripted test user, ending the program throws;
// nothing may unwind through Qt's event dispatch, so it stops here, as the real program would
// have stopped at the same point.
template <class F>
void guarded(F&& work) {
    try {
        work();
    } catch (const platform::ProgramEnded&) {
    } catch (const std::exception& error) {
        qCritical("unhandled error in a main window handler: %s", error.what());
    }
}

// `a` moved toward `b` by `share` (0..1).
QColor mix_colours(const QColor& a, const QColor& b, qreal share) {
    auto channel = [share](qreal x, qreal y) { return x + (y - x) * share; };
    return QColor::fromRgbF(static_cast<float>(channel(a.redF(), b.redF())),
                            static_cast<float>(channel(a.greenF(), b.greenF())),
                            static_cast<float>(channel(a.blueF(), b.blueF())));
}

qreal wave_amplitude(qreal height, int layer) { return height * (layer == 0 ? 0.018 : 0.014); }

// The arrow's two pictures: pointing left while the pane is open (a click collapses it),
// pointing right while it is collapsed.
QIcon arrow_picture(bool open_state) {
    QPixmap picture(10, 18);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    if (open_state) {
        path.moveTo(8.5, 2);
        path.lineTo(1.5, 9);
        path.lineTo(8.5, 16);
    } else {
        path.moveTo(1.5, 2);
        path.lineTo(8.5, 9);
        path.lineTo(1.5, 16);
    }
    path.closeSubpath();
    painter.fillPath(path, QColor(0x3b, 0x5f, 0x8f));
    return QIcon(picture);
}

// A small square in the group's colour with the entry's first character, for the entry buttons.
QIcon entry_picture(const QColor& colour, const QString& caption) {
    QPixmap picture(22, 22);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, 22);
    gradient.setColorAt(0, colour.lighter(125));
    gradient.setColorAt(1, colour.darker(110));
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, 20, 20), 5, 5);
    QFont font = painter.font();
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(1, 1, 20, 20), Qt::AlignCenter, caption.left(1));
    return QIcon(picture);
}

// The navigation pane's layout, the same under every skin; its colours come from the skin,
// which styles the pane (navPane), its headers and entries (navRole, current), the splitter
// (navSplitter) and the arrow (navArrow).
const char kNavigationLayout[] = R"(
QPushButton[navRole="header"] { font-weight: bold; }
QPushButton[navRole="entry"] { text-align: left; padding-left: 22px; }
)";

}  // namespace

void set_desktop_launcher_for_tests(DesktopLauncher launcher) {
    g_test_launcher = std::move(launcher);
}

MainWindow* main_window() { return g_main_window; }

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::MainWindow>()) {
    ui->setupUi(this);
    g_main_window = this;

    // Both page controls are switched by the frame's own entries, never by tabs: a tab would
    // reach a page past the permission check of the entry that leads there.
    ui->选择夹1->tabBar()->hide();
    ui->选择夹2->tabBar()->hide();
    ui->箭头->setIconSize(QSize(10, 18));
    ui->箭头->raise();
    ui->图片框1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);

    // The two context menus of the charge and prepayment lists live in the menu bar, hidden.
    ui->菜单_收费查询->menuAction()->setVisible(false);
    ui->菜单_预存查询->menuAction()->setVisible(false);

    build_navigation_headers();
    bind_entries();

    connect(ui->箭头, &QToolButton::clicked, this,
            [this] { guarded([this] { on_main_nav_arrow_click(); }); });
    ui->主窗口区->installEventFilter(this);
    ui->分隔条1->installEventFilter(this);
    ui->图片框1->installEventFilter(this);

    // The look comes from the skin, through the properties its rules select on (set in the form,
    // so that they are there when a unit is first polished): navPane, navRole and current,
    // navSplitter, navArrow, and welcomePicture, whose background, text and selection colours
    // the built-in picture is drawn in.
    ui->选择夹1->setStyleSheet(QString::fromUtf8(kNavigationLayout));
    // The arrow is a small picture in the gap, whatever padding a skin gives tool buttons.
    ui->箭头->setStyleSheet(
        QStringLiteral("QToolButton { padding: 0; min-height: 0; min-width: 0; }"));

    select_navigation_page(kNavHouseholds);
    select_content_page(kPageWelcome);
    update_arrow_picture();
    place_frame_units();
    show_scaled_picture();
}

MainWindow::~MainWindow() {
    on_main_destroy(*this);
    if (g_main_window == this) g_main_window = nullptr;
}

// ---- navigation headers and entries -----------------------------------------------------------

void MainWindow::build_navigation_headers() {
    for (int page = 0; page < kNavigationPageCount; ++page) {
        for (int group = 0; group < kNavigationPageCount; ++group) {
            auto* header = findChild<QPushButton*>(kGroups[group] + QString::number(page));
            if (!header) continue;
            if (group == page) {
                // The page's own header: it marks where the operator is and does nothing.
                header->setProperty("current", true);
                continue;
            }
            connect(header, &QPushButton::clicked, this,
                    [this, group] { select_navigation_page(group); });
        }
    }
    for (const NavEntry& entry : kNavEntries) {
        auto* button = findChild<QPushButton*>(QString::fromUtf8(entry.names.unit));
        if (button) button->setIcon(entry_picture(kGroupColours[entry.page], button->text()));
    }
}

void MainWindow::add_binding(const QString& name, const QString& alias, QAbstractButton* button,
                             QAction* action) {
    Binding& binding = bindings_[name];
    if (button) {
        binding.buttons.push_back(button);
        connect(button, &QAbstractButton::clicked, this, [this, name] { trigger(name); });
    }
    if (action) {
        binding.actions.push_back(action);
        connect(action, &QAction::triggered, this, [this, name] { trigger(name); });
    }
    if (!alias.isEmpty()) aliases_[alias] = name;
    enable_binding(binding);
}

void MainWindow::bind_entries() {
    for (const NavEntry& entry : kNavEntries) {
        const QString unit = QString::fromUtf8(entry.names.unit);
        add_binding(unit, QString::fromUtf8(entry.names.handler), findChild<QAbstractButton*>(unit),
                    nullptr);
    }
    for (const NamedEntry& entry : kMenuEntries) {
        add_binding(QString::fromUtf8(entry.handler), QString(), nullptr,
                    findChild<QAction*>(QString::fromUtf8(entry.unit)));
    }
    for (const char* step : kHotKeyOnlySteps)
        add_binding(QString::fromUtf8(step), QString(), nullptr, nullptr);

    // The frame's own entries.
    register_action(action::kMenuExit, [this] { on_menu_exit(); });
    register_action(action::kMainNavExit, [this] { on_main_nav_exit_click(); });
    register_action(action::kMenuHelp, [this] { on_menu_help(); });
    register_action(action::kMainNavHelp, [this] { on_main_nav_help_click(); });
    register_action(action::kMenuUiSettings, [this] { on_menu_ui_settings(); });
    register_action(action::kMenuNavigationHint,
                    [this] { on_menu_navigation_hint(); });
    register_action(action::kMenuAgreementText, [this] { on_menu_agreement_text(); });
    // The desktop's calculator and text editor, when it has them; otherwise the entries stay
    // disabled rather than doing nothing.
    if (!first_installed_program(kCalculators).isEmpty())
        register_action(action::kMenuCalculator, [this] { on_menu_calculator(); });
    if (!first_installed_program(kTextEditors).isEmpty())
        register_action(action::kMenuNotepad, [this] { on_menu_notepad(); });
}

void MainWindow::enable_binding(Binding& binding) {
    const bool enabled = static_cast<bool>(binding.action);
    for (QAbstractButton* button : binding.buttons) button->setEnabled(enabled);
    for (QAction* action : binding.actions) action->setEnabled(enabled);
}

bool MainWindow::register_action(const QString& name, std::function<void()> action) {
    const auto alias = aliases_.find(name);
    const QString canonical = alias != aliases_.end() ? alias->second : name;
    const auto it = bindings_.find(canonical);
    if (it == bindings_.end()) {
        // A misspelt name would leave its entry disabled without a word: loud in a debug build,
        // logged and refused otherwise.
        qWarning("register_action: the main window has no entry named %s", qUtf8Printable(name));
        Q_ASSERT_X(false, "MainWindow::register_action", "unknown action name");
        return false;
    }
    it->second.action = std::move(action);
    enable_binding(it->second);
    return true;
}

bool MainWindow::has_action(const QString& name) const {
    const auto alias = aliases_.find(name);
    const auto it = bindings_.find(alias != aliases_.end() ? alias->second : name);
    return it != bindings_.end() && static_cast<bool>(it->second.action);
}

bool MainWindow::run_action(const QString& name) {
    const auto alias = aliases_.find(name);
    const auto it = bindings_.find(alias != aliases_.end() ? alias->second : name);
    if (it == bindings_.end() || !it->second.action) return false;
    // A copy: the action may register another one under the same name while it runs.
    const std::function<void()> action = it->second.action;
    action();
    return true;
}

QStringList MainWindow::action_names() const {
    QStringList names;
    for (const auto& [name, binding] : bindings_) names << name;
    for (const auto& [alias, name] : aliases_) names << alias;
    names.sort();
    return names;
}

void MainWindow::trigger(const QString& name) {
    guarded([&] { run_action(name); });
}

// ---- pages --------------------------------------------------------------------------------------

QTabWidget* MainWindow::navigation_tabs() const { return ui->选择夹1; }
QTabWidget* MainWindow::content_tabs() const { return ui->选择夹2; }

void MainWindow::set_content_page_widget(int page, QWidget* page_widget) {
    // The welcome page is the frame's own; the others are containers for the subsystems.
    if (page < 0 || page >= kContentPageCount || page == kPageWelcome) {
        qWarning("set_content_page_widget: page %d cannot take a widget", page);
        return;
    }
    QWidget* container = ui->选择夹2->widget(page);
    if (QWidget* old = content_page_widget(page); old && old != page_widget) delete old;
    if (!page_widget) return;
    // A page's buttons wrap onto a second row rather than cut their captions where the
    // navigation pane leaves the page too little width for one.
    platform::wrap_button_row(page_widget);
    container->layout()->addWidget(page_widget);
    page_widget->show();
}

QWidget* MainWindow::content_page_widget(int page) const {
    if (page < 0 || page >= kContentPageCount || page == kPageWelcome) return nullptr;
    QLayout* layout = ui->选择夹2->widget(page)->layout();
    for (int i = 0; i < layout->count(); ++i)
        if (QWidget* widget = layout->itemAt(i)->widget()) return widget;
    return nullptr;
}

void MainWindow::select_content_page(int page) {
    if (page >= 0 && page < kContentPageCount) ui->选择夹2->setCurrentIndex(page);
}

void MainWindow::select_navigation_page(int page) {
    if (page >= 0 && page < kNavigationPageCount) ui->选择夹1->setCurrentIndex(page);
}

QMenu* MainWindow::charge_query_menu() const { return ui->菜单_收费查询; }
QMenu* MainWindow::prepay_query_menu() const { return ui->菜单_预存查询; }

// ---- picture box ------------------------------------------------------------------------------

void MainWindow::set_background_picture(const QPixmap& picture) {
    background_ = picture;
    show_scaled_picture();
}

QLabel* MainWindow::picture_box() const { return ui->图片框1; }

QPixmap MainWindow::builtin_background_picture(QSize size, const QPalette& colours) {
    size = size.expandedTo(QSize(320, 200));
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width();
    const qreal h = size.height();
    const QColor base = colours.color(QPalette::Window);
    const QColor accent = colours.color(QPalette::Highlight);
    const QColor ink = colours.color(QPalette::WindowText);
    auto with_alpha = [](QColor colour, int alpha) {
        colour.setAlpha(alpha);
        return colour;
    };

    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, mix_colours(base, Qt::white, 0.6));
    sky.setColorAt(1, base);
    painter.fillRect(picture.rect(), sky);

    // Two soft waves along the bottom.
    for (int layer = 0; layer < 2; ++layer) {
        QPainterPath wave;
        const qreal base = h * (layer == 0 ? 0.80 : 0.86);
        const qreal amplitude = wave_amplitude(h, layer);
        const qreal period = w / (layer == 0 ? 2.5 : 1.75);
        const qreal phase = layer == 0 ? 0.0 : 1.3;
        wave.moveTo(0, base + amplitude * std::sin(phase));
        for (qreal x = 4; x <= w + 4; x += 4)
            wave.lineTo(x, base + amplitude * std::sin(2 * std::numbers::pi * x / period + phase));
        wave.lineTo(w, h);
        wave.lineTo(0, h);
        wave.closeSubpath();
        painter.fillPath(wave, layer == 0 ? with_alpha(mix_colours(accent, Qt::white, 0.45), 120)
                                          : with_alpha(mix_colours(accent, Qt::white, 0.15), 150));
    }

    // A water drop as the emblem.
    const qreal unit = std::min(w, h);
    const QPointF centre(w / 2, h * 0.30);
    const qreal r = unit * 0.075;
    QPainterPath drop;
    drop.moveTo(centre.x(), centre.y() - r * 1.9);
    drop.cubicTo(centre.x() + r * 0.4, centre.y() - r * 1.1, centre.x() + r, centre.y() - r * 0.5,
                 centre.x() + r, centre.y());
    drop.arcTo(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), 0, -180);
    drop.cubicTo(centre.x() - r, centre.y() - r * 0.5, centre.x() - r * 0.4, centre.y() - r * 1.1,
                 centre.x(), centre.y() - r * 1.9);
    QLinearGradient dropFill(centre.x(), centre.y() - 2 * r, centre.x(), centre.y() + r);
    dropFill.setColorAt(0, mix_colours(accent, Qt::white, 0.4));
    dropFill.setColorAt(1, accent);
    painter.fillPath(drop, dropFill);
    painter.setBrush(QColor(255, 255, 255, 150));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(centre.x() - r * 0.4, centre.y() - r * 0.1), r * 0.18, r * 0.3);

    QFont title = painter.font();
    title.setPixelSize(std::max(20, static_cast<int>(unit * 0.075)));
    title.setBold(true);
    title.setLetterSpacing(QFont::PercentageSpacing, 110);
    painter.setFont(title);
    painter.setPen(ink);
    const QRectF title_box(0, h * 0.43, w, unit * 0.11);
    painter.drawText(title_box, Qt::AlignCenter, QStringLiteral("欢迎使用收费系统"));

    QFont subtitle = painter.font();
    subtitle.setPixelSize(std::max(12, static_cast<int>(unit * 0.03)));
    subtitle.setBold(false);
    subtitle.setLetterSpacing(QFont::PercentageSpacing, 100);
    painter.setFont(subtitle);
    painter.setPen(mix_colours(ink, accent, 0.5));
    painter.drawText(QRectF(0, title_box.bottom(), w, unit * 0.06), Qt::AlignCenter,
                     QStringLiteral("用户 · 抄表 · 收费 · 预存 · 报表"));

    QFont keys = painter.font();
    keys.setPixelSize(std::max(11, static_cast<int>(unit * 0.022)));
    painter.setFont(keys);
    painter.setPen(mix_colours(ink, base, 0.3));
    painter.drawText(QRectF(0, h * 0.66, w, unit * 0.05), Qt::AlignCenter,
                     QStringLiteral("F3 用户添加    F4 用户查询    F5 手动抄表    F6 计量管理    "
                                    "F7 预存添加    F8 窗口收费    F9 磁卡收费"));
    return picture;
}

void MainWindow::show_scaled_picture() {
    QLabel* box = ui->图片框1;
    const QSize area = box->size();
    if (area.width() < 2 || area.height() < 2) return;
    if (background_.isNull()) {
        box->ensurePolished();  // the skin's colours are in its palette once it is polished
        box->setPixmap(builtin_background_picture(area, box->palette()));
        return;
    }
    // The picture covers the whole page, its middle kept where its shape differs from the page's.
    const QPixmap scaled =
        background_.scaled(area, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    box->setPixmap(scaled.copy((scaled.width() - area.width()) / 2,
                               (scaled.height() - area.height()) / 2, area.width(), area.height()));
}

// ---- status bar -------------------------------------------------------------------------------

QLabel* MainWindow::add_status_panel(const QString& text, int width) {
    auto* panel = new QLabel(text, ui->状态条1);
    panel->setFixedWidth(width);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setContentsMargins(4, 0, 4, 0);
    ui->状态条1->addWidget(panel);
    status_panels_.push_back(panel);
    return panel;
}

QStringList MainWindow::status_panel_texts() const {
    QStringList texts;
    for (const QLabel* panel : status_panels_) texts << panel->text();
    return texts;
}

// ---- navigation pane layout -------------------------------------------------------------------

void MainWindow::layout_navigation_bar() {
    const QString stored = platform::ini_read_text(kSplitterSection, kSplitterKey);
    if (stored.isEmpty()) {
        // First start: the pane opens at the default width while the arrow shows the
        // collapsed picture, so the first click on it only turns the picture.
        on_main_splitter_moved(kDefaultPaneWidth);
        arrow_open_ = false;
    } else {
        on_main_splitter_moved(static_cast<int>(std::trunc(platform::to_number(stored))));
        arrow_open_ = stored != QStringLiteral("0");
    }
    update_arrow_picture();
}

void MainWindow::on_main_splitter_moved(int pane_width) {
    // A width below 0 (a hand-edited settings file) means a closed pane, not a broken layout.
    pane_width_ = std::max(0, pane_width);
    platform::ini_write_text(kSplitterSection, kSplitterKey, QString::number(pane_width_));
    place_frame_units();
}

void MainWindow::on_main_nav_arrow_click() {
    const QString stored = platform::ini_read_text(kSplitterSection, kSplitterKey);
    if (arrow_open_) {
        on_main_splitter_moved(0);
        arrow_open_ = false;
    } else {
        const int width = static_cast<int>(std::trunc(platform::to_number(stored)));
        // "0" is what collapsing stored; an emptied or non-positive value cannot reopen the
        // pane either, so both take the default width.
        on_main_splitter_moved(stored == QStringLiteral("0") || width <= 0 ? kDefaultPaneWidth
                                                                           : width);
        arrow_open_ = true;
    }
    update_arrow_picture();
}

void MainWindow::update_arrow_picture() {
    ui->箭头->setIcon(arrow_picture(arrow_open_));
    ui->箭头->setToolTip(arrow_open_ ? QStringLiteral("收起导航栏") : QStringLiteral("展开导航栏"));
}

// Pane at left 5, top 5; the splitter and the arrow in the 15-pixel gap after it; the content
// area from pane width + 20 to 5 pixels before the right edge. The status bar lies below the
// central area, so the height is the central area's less the two 5-pixel margins.
void MainWindow::place_frame_units() {
    const QWidget* area = ui->主窗口区;
    const int client_width = area->width();
    const int height = std::max(0, area->height() - 10);
    // Never wider than leaves the content area some room, however wide the stored width.
    const int width = std::clamp(pane_width_, 0, std::max(0, client_width - 45));
    ui->选择夹1->setGeometry(5, 5, width, height);
    ui->分隔条1->setGeometry(width + 5, 5, 15, height);
    ui->箭头->setGeometry(width + 6, 5 + std::max(0, height / 2 - 30), 13, 60);
    ui->选择夹2->setGeometry(width + 20, 5, std::max(0, client_width - width - 25), height);
}

// ---- hot keys ---------------------------------------------------------------------------------

void MainWindow::register_hot_keys() {
    unregister_hot_keys();
    for (const int id : kHotKeyRegistrationOrder) {
        // Virtual keys 112.. are F1..; a window shortcut does not fire while one of our modal
        // dialogs is the active window.
        auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1 + (id - 112)), this);
        shortcut->setContext(Qt::WindowShortcut);
        shortcut->setAutoRepeat(false);
        shortcut->setObjectName(QStringLiteral("热键_F%1").arg(id - 111));
        connect(shortcut, &QShortcut::activated, this,
                [this, id] { guarded([this, id] { on_main_hotkey_pressed(id); }); });
        hot_keys_.push_back(shortcut);
    }
}

void MainWindow::unregister_hot_keys() {
    for (QShortcut* shortcut : hot_keys_) delete shortcut;
    hot_keys_.clear();
}

void MainWindow::on_main_hotkey_pressed(int registration_id) {
    switch (registration_id) {
        case 114:  // F3
            select_navigation_page(kNavHouseholds);
            run_action(QStringLiteral("on_main_nav_household_list_click"));
            run_action(QStringLiteral("on_main_household_add_click"));
            break;
        case 115:  // F4
            select_navigation_page(kNavHouseholds);
            run_action(QStringLiteral("on_main_nav_household_query_click"));
            run_action(QStringLiteral("HouseholdQueryWindow"));
            break;
        case 116:  // F5
            select_navigation_page(kNavReadings);
            run_action(QStringLiteral("on_main_nav_monthly_reading_click"));
            // The entry above refuses with its own message; this check is silent.
            if (check_operator_permission(QStringLiteral("抄表添加"))) {
                reading_form_mode = QStringLiteral("添加");
                run_action(QStringLiteral("ReadingEntryWindow"));
            }
            break;
        case 117:  // F6
            select_navigation_page(kNavHouseholds);
            run_action(QStringLiteral("on_main_nav_household_meters_click"));
            run_action(QStringLiteral("on_main_meter_add_click"));
            break;
        case 118:  // F7
            select_navigation_page(kNavPrepayments);
            run_action(QStringLiteral("on_main_nav_add_prepayment_click"));
            break;
        case 119:  // F8
            select_navigation_page(kNavCharging);
            run_action(QStringLiteral("on_main_nav_counter_charging_click"));
            break;
        case 120:  // F9: the navigation page stays
            run_action(QStringLiteral("on_main_nav_card_charging_click"));
            break;
        default:
            break;
    }
}

// ---- the frame's own entries ------------------------------------------------------------------

void MainWindow::on_menu_ui_settings() {
    UiSettingsWindow window(this);
    platform::window_open_modal(&window);
}

void MainWindow::on_menu_calculator() { open_with_desktop(kCalculators); }

void MainWindow::on_menu_notepad() { open_with_desktop(kTextEditors); }

void MainWindow::open_with_desktop(const QStringList& candidates) {
    const QString program = first_installed_program(candidates);
    if (!program.isEmpty()) launch_on_desktop(program, true);
}

void MainWindow::on_menu_help() {
    // The pages show in a window of the program's own, so help works where no desktop browser is;
    // one window, brought to the front with its first page again.
    static QPointer<HelpWindow> window;
    if (!window) window = new HelpWindow(this);
    window->show_page(platform::app_path(kHelpFile));
    window->show();
    window->raise();
    window->activateWindow();
}

void MainWindow::on_main_nav_help_click() { on_menu_help(); }

void MainWindow::on_menu_navigation_hint() {
    select_content_page(kPageWelcome);
    NavigationTipsWindow window(this);
    platform::window_open_modal(&window);
}

void MainWindow::on_menu_agreement_text() {
    AgreementWindow window(this);
    platform::window_open_modal(&window);
}

void MainWindow::on_menu_exit() { on_main_query_close(); }

void MainWindow::on_main_nav_exit_click() { on_main_query_close(); }

void MainWindow::on_menu_database_management() {
    run_action(QStringLiteral("on_menu_backup_settings"));
}

void MainWindow::on_main_charge_popup_open() { select_content_page(kPageReadingQuery); }

// ---- events -----------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    // on_main_query_close ends the program on Yes; the window itself never closes on its own.
    event->ignore();
    // A close request drops every list's cell colours, whatever the answer: after a declined
    // quit they come back only as the lists are coloured again.
    lists::refresh_list_colours(this, nullptr, false);
    guarded([] { on_main_query_close(); });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->主窗口区 && event->type() == QEvent::Resize) {
        place_frame_units();
    } else if (watched == ui->图片框1 &&
               (event->type() == QEvent::Resize ||
                (event->type() == QEvent::PaletteChange && background_.isNull()))) {
        // A new size, or new skin colours for the built-in picture.
        show_scaled_picture();
    } else if (watched == ui->分隔条1) {
        // Dragging the splitter moves it alone; the pane follows when the button is released.
        auto* mouse = dynamic_cast<QMouseEvent*>(event);
        if (mouse && event->type() == QEvent::MouseButtonPress &&
            mouse->button() == Qt::LeftButton) {
            splitter_grab_offset_ = static_cast<int>(mouse->position().x());
            return true;
        }
        if (mouse && event->type() == QEvent::MouseMove && splitter_grab_offset_ >= 0) {
            const QPoint in_area = ui->分隔条1->mapTo(ui->主窗口区, mouse->position().toPoint());
            const int max_x = std::max(5, ui->主窗口区->width() - 40);
            const int x = std::clamp(in_area.x() - splitter_grab_offset_, 5, max_x);
            ui->分隔条1->move(x, ui->分隔条1->y());
            ui->箭头->move(x + 1, ui->箭头->y());
            return true;
        }
        if (mouse && event->type() == QEvent::MouseButtonRelease && splitter_grab_offset_ >= 0 &&
            mouse->button() == Qt::LeftButton) {
            splitter_grab_offset_ = -1;
            const int width = ui->分隔条1->x() - 5;
            if (width != std::clamp(pane_width_, 0, std::max(0, ui->主窗口区->width() - 45)))
                guarded([this, width] { on_main_splitter_moved(width); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace shell
