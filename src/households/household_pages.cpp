#include "households/household_pages.h"

#include "households/register_writes.h"

#include <QPushButton>
#include <QTableView>

#include "households/household_entry_window.h"
#include "households/household_lists.h"
#include "households/household_query_window.h"
#include "households/household_record.h"
#include "lists/list_pages.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "shell/main_window.h"
#include "shell/operation_log.h"
#include "shell/permission_prompts.h"
#include "shell/permissions.h"
#include "shell/program_state.h"
#include "store/main_database.h"
#include "ui_household_add_page.h"
#include "ui_household_query_page.h"

namespace households {

namespace {

using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

using platform::inform;

// Modal windows of the pages stand over the main window.
QWidget* owner_of(QWidget* page) {
    if (shell::MainWindow* window = shell::main_window()) return window;
    return page ? page->window() : nullptr;
}

void show_page(int page) {
    if (shell::MainWindow* window = shell::main_window()) window->select_content_page(page);
}

// The selection every action on a household list starts from; false (with the refusal shown)
// when there is none to act on.
bool take_selection(QTableView* list, const QString& no_selection_text, QString* number) {
    switch (selected_household_number(list, number)) {
        case HouseholdSelection::Selected:
            return true;
        case HouseholdSelection::NoNumberColumn:
            inform(QStringLiteral("请在查询列在设置显示户号列!"));
            return false;
        case HouseholdSelection::NothingSelected:
            inform(no_selection_text);
            return false;
    }
    return false;
}

}  // namespace

// ---- shared actions ------------------------------------------------------------------------------

void open_household_form_for_add(QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("用户添加"))) return;
    shell::household_form_source = QStringLiteral("假");
    household_form_mode = kFormModeAdd;
    HouseholdEntryWindow window(owner);
    platform::window_open_modal(&window);
}

void open_household_form_for_modify(QTableView* list, const QString& source, QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("用户修改"))) return;
    QString number;
    if (!take_selection(list, QStringLiteral("请选择待修改的记录！"), &number)) return;
    platform::RecordSet records(store::main_connection());
    QString parent;
    if (platform::recordset_open(records, QStringLiteral("select 父号 from 用户信息表 where 户号=") +
                                              platform::sql_quote(number)))
        parent = platform::recordset_field_text(records, 0);
    platform::recordset_close(records);
    shell::household_form_source = source;
    household_form_mode = kFormModeModify;
    // A sub-household, or a number no longer in the register, opens nothing.
    if (parent != QLatin1String("0")) return;
    HouseholdEntryWindow window(owner);
    platform::window_open_modal(&window);
}

bool delete_selected_household(QTableView* list, DeletionPage page) {
    if (!shell::require_permission(QStringLiteral("用户删除"))) return false;
    QString number;
    if (!take_selection(list, QStringLiteral("请选择待删除的记录！"), &number)) return false;

    platform::beep();
    const bool on_query_page = page == DeletionPage::QueryResult;
    const MsgResult answer = platform::message_box(
        QStringLiteral("确定要删除户号【") + number + QStringLiteral("】吗？"), QStringLiteral("提示删除"),
        MsgIcon::Question, on_query_page ? MsgButtons::YesNo : MsgButtons::OkCancel);
    if (answer != (on_query_page ? MsgResult::Yes : MsgResult::Ok)) return false;

    const RegisterWrite outcome =
        delete_household(store::main_connection(), number, /*write_log=*/on_query_page);
    const bool deleted = outcome.written;
    platform::beep();
    if (!on_query_page) {
        if (deleted) {
            inform(QStringLiteral("【删除户号") + number + QStringLiteral("】成功！"), QStringLiteral("删除成功"));
            fill_todays_households_list();
        } else {
            inform(QStringLiteral("【删除户号") + number + QStringLiteral("】失败！"), QStringLiteral("删除失败"));
        }
        return deleted;
    }
    if (deleted) {
        if (outcome.log_failed) inform(QStringLiteral("添加日志失败！"));
        inform(QStringLiteral("删除户号【") + number + QStringLiteral("】成功！"), QStringLiteral("删除成功"));
    } else {
        inform(QStringLiteral("删除户号【") + number + QStringLiteral("】失败！"), QStringLiteral("删除失败"));
    }
    return deleted;
}

// ---- page 0 ----------------------------------------------------------------------------------------

HouseholdAddPage::HouseholdAddPage(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::HouseholdAddPage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->列表框_添加列表);
    register_todays_households_list(ui->列表框_添加列表);
    connect(ui->用户_添加, &QPushButton::clicked, this, [this] { on_main_household_add_click(); });
    connect(ui->用户_修改, &QPushButton::clicked, this, [this] { on_main_household_modify_click(); });
    connect(ui->用户_删除, &QPushButton::clicked, this, [this] { on_main_household_delete_click(); });
    connect(ui->列表框_添加列表, &QTableView::doubleClicked, this, [this] { on_main_household_list_dblclick(); });
    connect(ui->用户_添加导入, &QPushButton::clicked, this, [this] { if (add_import_) add_import_(); });
    connect(ui->用户_修改导入, &QPushButton::clicked, this, [this] { if (modify_import_) modify_import_(); });
    // 添加分表 has no action: shown, never pretending to work.
    ui->用户_添加分户->setEnabled(false);
    set_import_actions({}, {});
}

HouseholdAddPage::~HouseholdAddPage() {
    if (todays_households_list() == ui->列表框_添加列表) register_todays_households_list(nullptr);
}

QTableView* HouseholdAddPage::household_list() const { return ui->列表框_添加列表; }

void HouseholdAddPage::set_import_actions(std::function<void()> add_import, std::function<void()> modify_import) {
    add_import_ = std::move(add_import);
    modify_import_ = std::move(modify_import);
    ui->用户_添加导入->setEnabled(static_cast<bool>(add_import_));
    ui->用户_修改导入->setEnabled(static_cast<bool>(modify_import_));
}

void HouseholdAddPage::on_main_nav_household_list_click() {
    show_page(shell::kPageTodaysHouseholds);
    fill_todays_households_list();
    ui->用户_添加->setFocus();
}

void HouseholdAddPage::on_main_household_add_click() { open_household_form_for_add(owner_of(this)); }

void HouseholdAddPage::on_main_household_modify_click() {
    open_household_form_for_modify(ui->列表框_添加列表, QStringLiteral("假"), owner_of(this));
}

void HouseholdAddPage::on_main_household_list_dblclick() { on_main_household_modify_click(); }

void HouseholdAddPage::on_main_household_delete_click() {
    delete_selected_household(ui->列表框_添加列表, DeletionPage::TodaysHouseholds);
}

// ---- page 1 ----------------------------------------------------------------------------------------

HouseholdQueryPage::HouseholdQueryPage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::HouseholdQueryPage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->用户查询列表框);
    register_household_query_list(ui->用户查询列表框);
    connect(ui->用户查询_查询, &QPushButton::clicked, this, [this] { on_main_household_query_open_click(); });
    connect(ui->查询_修改, &QPushButton::clicked, this, [this] { on_main_household_query_modify_click(); });
    connect(ui->查询_删除, &QPushButton::clicked, this, [this] { on_main_household_query_delete_click(); });
    connect(ui->用户查询列表框, &QTableView::doubleClicked, this,
            [this] { on_main_household_query_list_dblclick(); });
}

HouseholdQueryPage::~HouseholdQueryPage() {
    if (household_query_list() == ui->用户查询列表框) register_household_query_list(nullptr);
}

QTableView* HouseholdQueryPage::household_list() const { return ui->用户查询列表框; }

void HouseholdQueryPage::on_main_nav_household_query_click() {
    show_page(shell::kPageHouseholdQuery);
    lay_out_household_query_columns(ui->用户查询列表框);
    ui->用户查询_查询->setFocus();
}

void HouseholdQueryPage::on_main_household_query_open_click() {
    HouseholdQueryWindow window(owner_of(this));
    platform::window_open_modal(&window);
}

void HouseholdQueryPage::on_main_household_query_modify_click() {
    open_household_form_for_modify(ui->用户查询列表框, QStringLiteral("真"), owner_of(this));
}

void HouseholdQueryPage::on_main_household_query_list_dblclick() { on_main_household_query_modify_click(); }

void HouseholdQueryPage::on_main_household_query_delete_click() {
    delete_selected_household(ui->用户查询列表框, DeletionPage::QueryResult);
}

void HouseholdQueryPage::on_main_household_query_print_click() {
    lists::on_list_print_click(shell::kPageHouseholdQuery, this);
}

}  // namespace households
