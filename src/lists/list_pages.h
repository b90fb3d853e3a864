#pragma once
// The list pages of the main window's content page control (选择夹2) and their shared buttons:
// column settings (列设置), save widths (保存列宽), export (导出) and print (打印). One table says,
// per page, which list view (by object name) the page shows, its 查询列 class (fixed, or chosen
// at run time from the list kinds the shell keeps), its buttons (by object name) and its
// export's default file name. wire_list_page() connects the buttons of one page to the shared
// handlers; the handlers look everything up in the table.
//
// A subsystem that fills a content page with its page widget (whose child units carry the
// names below) wires it once after creating it:
//     lists::wire_list_page(12, log_page_widget);
// The pages with two list forms take their class from the shell's list kinds, installed once:
//     lists::set_list_kind_sources({[] { return shell::reading_query_kind; },
//                                   [] { return shell::charge_query_kind; },
//                                   [] { return shell::reduction_list_kind; }});
// List printing installs its routine once:
//     lists::set_print_list_handler([](QTableView* list) { print_list_view(list); });
#include <QString>
#include <functional>
#include <vector>

#include "platform/dialogs.h"

class QTableView;
class QWidget;

namespace lists {

// A text read when a button is pressed (a class, a kind).
using TextProvider = std::function<QString()>;
// The default file name of a page's export, from the widget holding the page's units.
using ExportNameProvider = std::function<QString(QWidget* page_root)>;
// Prints a list (the list printer's routine).
using PrintListHandler = std::function<void(QTableView* list)>;

struct ListPage {
    int page = -1;        // index in 选择夹2
    QString tab_caption;  // as stored with the page control
    QString list_unit;    // object name of the page's list view
    // The 查询列 class of the list as its filler builds it and as 保存列宽 stores it; null for a
    // page whose columns come from elsewhere (the statistics page).
    TextProvider column_class;
    // The class the column-settings window edits when it opens on this page; null: take
    // column_class. An empty text leaves the class of the previous opening.
    TextProvider settings_class;
    QString query_button;  // the page's own (not wired here); empty: none
    QString export_button;
    ExportNameProvider export_file_name;
    // Whether a failed export says "导出失败!" (with this icon); the other pages say nothing.
    bool export_says_failure = false;
    platform::MsgIcon export_failure_icon = platform::MsgIcon::Information;
    QString print_button;
    QString column_settings_button;  // empty: the page has none
    QString save_widths_button;      // empty: the page has none
};

// Every list page, by page number (pages 2 and 16 have no list and no entry).
const std::vector<ListPage>& list_pages();
// The entry of a page, or null.
const ListPage* list_page(int page);

// ---- classes chosen at run time ----
// "已抄表查询" when the kind is "已抄表查询", else "未抄表查询".
QString reading_query_class(const QString& reading_query_kind);
// "收费查询" when the kind is "已收费查询", else "未收费查询".
QString charge_query_class(const QString& charge_query_kind);
// The kind when it is "减免设置" or "减免明细", else "" (the window keeps its previous class).
QString reduction_settings_class(const QString& reduction_list_kind);

// The program-wide kinds of the pages with two list forms (3, 6 and 10). Until they are set
// the kinds read as empty texts.
struct ListKindSources {
    TextProvider reading_query_kind;
    TextProvider charge_query_kind;
    TextProvider reduction_list_kind;
};
void set_list_kind_sources(ListKindSources sources);

// Replaces a page's class providers (null settings_class: the window takes column_class).
void set_list_page_class(int page, TextProvider column_class, TextProvider settings_class = {});
// Replaces a page's default export file name.
void set_list_page_export_name(int page, ExportNameProvider name);

// The class of a page's list (save widths, export name); "" for a page without one.
QString column_class_of_page(int page);
// The class the column-settings window takes on this page; "" leaves the previous one.
QString settings_class_of_page(int page);
// The default export file name of a page, read from its units; "" for a page without export.
QString export_file_name_of_page(int page, QWidget* page_root);

// ---- list printing hook ----
// Print buttons are enabled only while a handler is installed; null removes it.
void set_print_list_handler(PrintListHandler handler);
bool has_print_list_handler();

// ---- wiring ----
// Connects the page's export, print, column-settings and save-widths buttons found under
// root (by object name) to the handlers below, and remembers root as the page's widget.
// Units the page does not have are skipped; wiring the same buttons again adds nothing.
void wire_list_page(int page, QWidget* root);
// The widget last wired for the page, or null.
QWidget* list_page_root(int page);
// The page's list view under its root, or null.
QTableView* list_page_list(int page, QWidget* root = nullptr);

// ---- the shared handlers (also for menu entries that do what a page button does) ----
// Opens ColumnSettingsWindow modally, without an owner, for the page; the list is refilled
// only by the page's next fill.
void on_list_column_settings_click(int page);
// Stores the width of every column of the page's list under the page's class.
void on_list_save_widths_click(int page, QWidget* root = nullptr);
// Asks for a file (proposing the page's default name), exports the page's list to it.
void on_list_export_click(int page, QWidget* root = nullptr);
// Prints the page's list through the installed handler.
void on_list_print_click(int page, QWidget* root = nullptr);

// Stores the current width of each column of the list into 查询列 (by class and title), all
// or nothing, and says "保存列宽成功，下次自动显示！"; a failed update shows the connection's
// error text instead, and nothing is stored. Returns whether the widths were stored.
bool save_list_column_widths(QTableView* list, const QString& column_class);

}  // namespace lists
