#include "lists/list_pages.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>
#include <algorithm>
#include <map>

#include "lists/column_settings_window.h"
#include "lists/list_export.h"
#include "lists/list_settings.h"
#include "lists/progress_window.h"
#include "platform/db.h"
#include "platform/excel_xls_writer.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "store/main_database.h"

namespace lists {

namespace {

ListKindSources& kind_sources() {
    static ListKindSources sources;
    return sources;
}

QString read_kind(const TextProvider& source) { return source ? source() : QString(); }

TextProvider fixed(const QString& text) {
    return [text] { return text; };
}

ExportNameProvider fixed_name(const QString& name) {
    return [name](QWidget*) { return name; };
}

// The text a unit shows, whatever kind of box it is.
QString unit_text(QWidget* root, const QString& name) {
    if (!root) return {};
    QWidget* unit = root->findChild<QWidget*>(name);
    if (auto* edit = qobject_cast<QLineEdit*>(unit)) return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(unit)) return combo->currentText();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(unit)) return spin->text();
    if (auto* label = qobject_cast<QLabel*>(unit)) return label->text();
    return {};
}

ListPage entry(int page, const QString& caption, const QString& list, TextProvider column_class,
               const QString& query, const QString& export_button, ExportNameProvider name,
               const QString& print, const QString& settings, const QString& save_widths) {
    ListPage p;
    p.page = page;
    p.tab_caption = caption;
    p.list_unit = list;
    p.column_class = std::move(column_class);
    p.query_button = query;
    p.export_button = export_button;
    p.export_file_name = std::move(name);
    p.print_button = print;
    p.column_settings_button = settings;
    p.save_widths_button = save_widths;
    return p;
}

std::vector<ListPage> make_table() {
    const auto s = [](const char16_t* text) { return QString::fromUtf16(text); };
    std::vector<ListPage> t;
    t.push_back(entry(0, s(u"添加窗口"), s(u"列表框_添加列表"), fixed(s(u"用户信息")), {},
                      s(u"用户_导出"), fixed_name(s(u"用户添加表.xls")), s(u"用户_打印"), {}, {}));
    // The page of today's households has no column-settings button: opening the window there
    // keeps the class of the previous opening.
    t.back().settings_class = fixed(QString());
    t.push_back(entry(1, s(u"查询窗口"), s(u"用户查询列表框"), fixed(s(u"用户信息")),
                      s(u"用户查询_查询"), s(u"查询_导出"), fixed_name(s(u"用户查询表.xls")),
                      s(u"查询_打印"), s(u"查询_列设置"), s(u"查询_保存列宽")));
    t.back().export_says_failure = true;
    t.push_back(entry(
        3, s(u"抄表查询"), s(u"抄表查询列表框"),
        [] { return reading_query_class(read_kind(kind_sources().reading_query_kind)); },
        s(u"抄表_查询"), s(u"抄表_导出"), fixed_name(s(u"抄表查询列表.xls")), s(u"抄表_打印"),
        s(u"抄表_列设置"), s(u"抄表_保存列宽")));
    // The statistics reports build their own columns; the name comes from the report's boxes.
    t.push_back(entry(
        4, s(u"抄表统计"), s(u"抄表统计列表框"), {}, s(u"抄表统计3"), s(u"抄表统计4"),
        [](QWidget* root) {
            return unit_text(root, QStringLiteral("抄表统计年选择框")) + QStringLiteral("年") +
                   unit_text(root, QStringLiteral("抄表统计月选择框")) + QStringLiteral("月") +
                   unit_text(root, QStringLiteral("抄表统计2")) + QStringLiteral("查询统计.xls");
        },
        s(u"抄表统计5"), {}, {}));
    t.back().export_says_failure = true;
    t.back().export_failure_icon = platform::MsgIcon::None;
    t.push_back(entry(5, s(u"月抄表"), s(u"月抄表列表框"), fixed(s(u"月抄表")), {}, s(u"月抄表4"),
                      fixed_name(s(u"月抄表用户表.xls")), s(u"月抄表5"), s(u"月抄表_列设置"),
                      s(u"月抄表_保存列宽")));
    t.push_back(entry(
        6, s(u"收费查询"), s(u"收费查询列表框"),
        [] { return charge_query_class(read_kind(kind_sources().charge_query_kind)); },
        s(u"收费_查询"), s(u"收费_导出"), fixed_name(s(u"收费查询明细表.xls")), s(u"收费_打印"),
        s(u"收费_列设置"), s(u"收费_保存列宽")));
    t.push_back(entry(7, s(u"预存查询"), s(u"预存明细_列表框"), fixed(s(u"预存明细")),
                      s(u"预存明细_查询"), s(u"预存明细_导出"), fixed_name(s(u"预存明细列表.xls")),
                      s(u"预存明细_打印"), s(u"预存明细_列设置"), s(u"预存明细_保存列宽")));
    t.push_back(entry(8, s(u"预存扣款"), s(u"预存扣款_列表框"), fixed(s(u"预存扣款")),
                      s(u"预存结余_查询"), s(u"预存结余_导出"), fixed_name(s(u"预存结余列表.xls")),
                      s(u"预存结余_打印"), s(u"预存结余_列设置"), s(u"预存结余_保存列宽")));
    t.push_back(entry(9, s(u"扣款明细"), s(u"扣款明细_列表框"), fixed(s(u"扣款明细")),
                      s(u"扣款明细_查询"), s(u"扣款明细_导出"), fixed_name(s(u"扣款明细列表.xls")),
                      s(u"扣款明细_打印"), s(u"扣款明细_列设置"), s(u"扣款明细_保存列宽")));
    // Saving widths takes the kind itself as the class; the window only a kind it knows.
    t.push_back(entry(
        10, s(u"减免明细"), s(u"减免管理__列表框"),
        [] { return read_kind(kind_sources().reduction_list_kind); }, s(u"减免管理__减免查询"),
        s(u"减免管理__导出"),
        [](QWidget*) {
            return read_kind(kind_sources().reduction_list_kind) + QStringLiteral("列表.xls");
        },
        s(u"减免管理__打印"), s(u"减免管理__列设置"), s(u"减免管理__保存列宽")));
    t.back().settings_class = [] {
        return reduction_settings_class(read_kind(kind_sources().reduction_list_kind));
    };
    t.push_back(entry(11, s(u"抄表机"), s(u"抄表机_列表框"), fixed(s(u"抄表机")), {},
                      s(u"抄表机_导出"), fixed_name(s(u"抄表机用户表.xls")), s(u"抄表机_打印"),
                      s(u"抄表机__列设置"), s(u"抄表机__保存列宽")));
    t.push_back(entry(12, s(u"日志管理"), s(u"列表框_日志管理"), fixed(s(u"日志管理")),
                      s(u"日志_查询"), s(u"日志_导出"), fixed_name(s(u"操作日志列表.xls")),
                      s(u"日志_打印"), s(u"日志_列设置"), s(u"日志_保存列宽")));
    t.push_back(entry(13, s(u"发票设置"), s(u"列表框_发票设置"), fixed(s(u"发票管理")), {},
                      s(u"发票管理__导出"), fixed_name(s(u"发票信息.xls")), s(u"发票管理__打印"),
                      s(u"发票管理__列设置"), s(u"发票管理__保存列宽")));
    t.push_back(entry(14, s(u"换表管理"), s(u"列表框_换表管理"), fixed(s(u"换表管理")),
                      s(u"换表管理_查询"), s(u"换表管理_导出"), fixed_name(s(u"换表管理列表.xls")),
                      s(u"换表管理_打印"), s(u"换表管理_列设置"), s(u"换表管理_保存列宽")));
    t.push_back(entry(15, s(u"用户表管理"), s(u"列表框_用户表管理"), fixed(s(u"用户表管理")),
                      s(u"用户表管理_查询"), s(u"用户表管理_导出"),
                      fixed_name(s(u"用户表管理信息.xls")), s(u"用户表管理_打印"),
                      s(u"用户表管理_列设置"), s(u"用户表管理_保存列宽")));
    return t;
}

std::vector<ListPage>& table() {
    static std::vector<ListPage> t = make_table();
    return t;
}

ListPage* find_page(int page) {
    for (ListPage& p : table())
        if (p.page == page) return &p;
    return nullptr;
}

std::map<int, QPointer<QWidget>>& page_roots() {
    static std::map<int, QPointer<QWidget>> roots;
    return roots;
}

PrintListHandler& print_handler() {
    static PrintListHandler handler;
    return handler;
}

std::vector<QPointer<QAbstractButton>>& print_buttons() {
    static std::vector<QPointer<QAbstractButton>> buttons;
    return buttons;
}

QWidget* root_or_wired(int page, QWidget* root) { return root ? root : list_page_root(page); }

// Connects a button once, however often its page is wired.
QAbstractButton* wire_button(QWidget* root, const QString& name, std::function<void()> handler) {
    if (name.isEmpty()) return nullptr;
    auto* button = root->findChild<QAbstractButton*>(name);
    if (!button) return nullptr;
    if (button->property("lists_wired").toBool()) return button;
    button->setProperty("lists_wired", true);
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [handler = std::move(handler)] { handler(); });
    return button;
}

}  // namespace

const std::vector<ListPage>& list_pages() { return table(); }

const ListPage* list_page(int page) { return find_page(page); }

QString reading_query_class(const QString& reading_query_kind) {
    return reading_query_kind == QStringLiteral("已抄表查询") ? QStringLiteral("已抄表查询")
                                                              : QStringLiteral("未抄表查询");
}

QString charge_query_class(const QString& charge_query_kind) {
    return charge_query_kind == QStringLiteral("已收费查询") ? QStringLiteral("收费查询")
                                                             : QStringLiteral("未收费查询");
}

QString reduction_settings_class(const QString& reduction_list_kind) {
    if (reduction_list_kind == QStringLiteral("减免设置") ||
        reduction_list_kind == QStringLiteral("减免明细"))
        return reduction_list_kind;
    return {};
}

void set_list_kind_sources(ListKindSources sources) { kind_sources() = std::move(sources); }

void set_list_page_class(int page, TextProvider column_class, TextProvider settings_class) {
    if (ListPage* p = find_page(page)) {
        p->column_class = std::move(column_class);
        p->settings_class = std::move(settings_class);
    }
}

void set_list_page_export_name(int page, ExportNameProvider name) {
    if (ListPage* p = find_page(page)) p->export_file_name = std::move(name);
}

QString column_class_of_page(int page) {
    const ListPage* p = find_page(page);
    return p && p->column_class ? p->column_class() : QString();
}

QString settings_class_of_page(int page) {
    const ListPage* p = find_page(page);
    if (!p) return {};
    if (p->settings_class) return p->settings_class();
    return p->column_class ? p->column_class() : QString();
}

QString export_file_name_of_page(int page, QWidget* page_root) {
    const ListPage* p = find_page(page);
    return p && p->export_file_name ? p->export_file_name(root_or_wired(page, page_root))
                                    : QString();
}

void set_print_list_handler(PrintListHandler handler) {
    print_handler() = std::move(handler);
    const bool enabled = static_cast<bool>(print_handler());
    for (const auto& button : print_buttons())
        if (button) button->setEnabled(enabled);
}

bool has_print_list_handler() { return static_cast<bool>(print_handler()); }

void wire_list_page(int page, QWidget* root) {
    const ListPage* p = find_page(page);
    if (!p || !root) return;
    page_roots()[page] = root;
    QPointer<QWidget> guarded(root);
    wire_button(root, p->export_button, [page, guarded] {
        if (guarded) on_list_export_click(page, guarded);
    });
    wire_button(root, p->column_settings_button, [page] { on_list_column_settings_click(page); });
    wire_button(root, p->save_widths_button, [page, guarded] {
        if (guarded) on_list_save_widths_click(page, guarded);
    });
    if (QAbstractButton* print = wire_button(root, p->print_button, [page, guarded] {
            if (guarded) on_list_print_click(page, guarded);
        })) {
        // A print button with nothing behind it would only pretend to work.
        print->setEnabled(has_print_list_handler());
        auto& buttons = print_buttons();
        std::erase_if(buttons, [](const QPointer<QAbstractButton>& b) { return b.isNull(); });
        if (std::find(buttons.begin(), buttons.end(), print) == buttons.end())
            buttons.emplace_back(print);
    }
}

QWidget* list_page_root(int page) {
    const auto it = page_roots().find(page);
    return it == page_roots().end() ? nullptr : it->second.data();
}

QTableView* list_page_list(int page, QWidget* root) {
    const ListPage* p = find_page(page);
    root = root_or_wired(page, root);
    if (!p || !root || p->list_unit.isEmpty()) return nullptr;
    if (root->objectName() == p->list_unit)
        if (auto* self = qobject_cast<QTableView*>(root)) return self;
    return root->findChild<QTableView*>(p->list_unit);
}

void on_list_column_settings_click(int page) {
    // Modal and without an owner; the page's list shows the change at its next fill.
    ColumnSettingsWindow window(page);
    platform::window_open_modal(&window);
}

bool save_list_column_widths(QTableView* list, const QString& column_class) {
    std::vector<std::pair<QString, int>> widths;
    const int columns = list ? platform::listview_column_count(list) : 0;
    for (int k = 0; k < columns; ++k)
        widths.emplace_back(platform::listview_column_title(list, k),
                            platform::listview_column_width(list, k));
    const ListSettingOutcome outcome =
        save_column_widths(store::main_connection(), column_class, widths);
    platform::show_messages(outcome.messages);
    return outcome.done;
}

void on_list_save_widths_click(int page, QWidget* root) {
    const ListPage* p = find_page(page);
    if (!p || p->save_widths_button.isEmpty()) return;
    QTableView* list = list_page_list(page, root);
    if (!list) return;
    save_list_column_widths(list, column_class_of_page(page));
}

void on_list_export_click(int page, QWidget* root) {
    const ListPage* p = find_page(page);
    root = root_or_wired(page, root);
    QTableView* list = list_page_list(page, root);
    if (!p || !list) return;
    // One export at a time: a click on 导出 while a list is written does not export again.
    static bool exporting = false;
    BusyGuard busy(exporting, root && !p->export_button.isEmpty()
                                  ? root->findChild<QWidget*>(p->export_button)
                                  : nullptr);
    if (!busy.running()) return;
    QWidget* main_window = root ? root->window() : nullptr;

    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Save;
    request.place = platform::FilePlace::Exchange;
    request.file_name = export_file_name_of_page(page, root);
    // Excel 97 first, as the lists have always been saved; .xlsx holds longer lists.
    request.filter = QStringLiteral("*.xls|*.xls|*.xlsx|*.xlsx");
    const QString file = platform::common_dialog_show(request, main_window);
    if (file.isEmpty()) return;
    // An .xls sheet holds 65,536 rows with the title row: a longer list is told to use .xlsx
    // before anything is written.
    const qint64 sheet_rows = qint64(platform::listview_row_count(list)) + 1;
    if (platform::excel::is_xls_file_name(file) && sheet_rows > platform::excel::kXlsMaxRows) {
        platform::message_box(platform::excel::xls_too_many_rows_text(sheet_rows));
        return;
    }
    // The chosen file stays until the new workbook takes its place whole.

    // Every list shows its rows going out: a long list takes seconds.
    bool written = false;
    {
        ProgressWindow progress(main_window);
        progress.open();
        written =
            export_list_view_to_excel(list, file, QString(), false, progress.progress_bar(), true);
        progress.close();
    }
    if (written) {
        platform::remember_export_folder(file);
        platform::message_box(QStringLiteral("导出成功！"));
    } else if (p->export_says_failure) {
        platform::message_box(QStringLiteral("导出失败!"), platform::kDefaultCaption,
                              p->export_failure_icon);
    }
}

void on_list_print_click(int page, QWidget* root) {
    QTableView* list = list_page_list(page, root);
    if (!list || !print_handler()) return;
    // A copy: the handler may install another while it runs.
    const PrintListHandler handler = print_handler();
    handler(list);
}

}  // namespace lists
