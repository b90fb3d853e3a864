#pragma once
// The two household pages of the main window's content area: page 0 "添加窗口" (HouseholdAddPage,
// list 列表框_添加列表: today's households or an import's result) and page 1 "查询窗口"
// (HouseholdQueryPage, list 用户查询列表框: the result of a household query). Their export,
// print, column-settings and save-widths buttons are the list pages' shared ones
// (lists::wire_list_page); the handlers here are the pages' own.
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QTableView;

namespace Ui {
class HouseholdAddPage;
class HouseholdQueryPage;
}  // namespace Ui

namespace households {

// ---- actions on a household list, shared by both pages ----

// 用户添加 checked, then the household form in add mode (source "假"), modally.
void open_household_form_for_add(QWidget* owner);
// 用户修改 checked, the selected household of `list` found, then the form in modify mode with
// the given source ("假" page 0, "真" page 1) when the household is a top-level one.
void open_household_form_for_modify(QTableView* list, const QString& source, QWidget* owner);

// Which page a deletion runs on: they ask and answer differently.
enum class DeletionPage { TodaysHouseholds, QueryResult };
// Deletes the selected household's register row after the permission check (用户删除) and a
// question. Its meter accounts, readings, bills and prepayments stay (and keep its number from
// being handed out again). Page 0 refills its list; page 1 writes a log row and leaves the
// list as it is. Returns whether the row was deleted.
bool delete_selected_household(QTableView* list, DeletionPage page);

// ---- page 0 ----
class HouseholdAddPage : public QWidget {
    Q_OBJECT

public:
    explicit HouseholdAddPage(QWidget* parent = nullptr);
    ~HouseholdAddPage() override;

    // Navigation entry 用户管理_添加按钮 (and the first step of F3): page 0 shown, today's
    // households listed, focus to 用户_添加.
    void on_main_nav_household_list_click();
    // 用户_添加 (and the second step of F3)
    void on_main_household_add_click();
    // 用户_修改
    void on_main_household_modify_click();
    // double-click on 列表框_添加列表
    void on_main_household_list_dblclick();
    // 用户_删除
    void on_main_household_delete_click();

    // The Excel imports behind 批量添加 and 批量修改; each button is disabled while it has no
    // action.
    void set_import_actions(std::function<void()> add_import, std::function<void()> modify_import);

    QTableView* household_list() const;
    Ui::HouseholdAddPage* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::HouseholdAddPage> ui;
    std::function<void()> add_import_;
    std::function<void()> modify_import_;
};

// ---- page 1 ----
class HouseholdQueryPage : public QWidget {
    Q_OBJECT

public:
    explicit HouseholdQueryPage(QWidget* parent = nullptr);
    ~HouseholdQueryPage() override;

    // Navigation entry 用户管理_用户查询 (and the first step of F4): page 1 shown, the list
    // emptied down to the shown columns of class 用户信息, focus to 用户查询_查询.
    void on_main_nav_household_query_click();
    // 用户查询_查询 (and the second step of F4): HouseholdQueryWindow modally, owned by the main
    // window.
    void on_main_household_query_open_click();
    // 查询_修改
    void on_main_household_query_modify_click();
    // double-click on 用户查询列表框
    void on_main_household_query_list_dblclick();
    // 查询_删除
    void on_main_household_query_delete_click();
    // 查询_打印: the query list printed through the list printer.
    void on_main_household_query_print_click();

    QTableView* household_list() const;
    Ui::HouseholdQueryPage* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::HouseholdQueryPage> ui;
};

}  // namespace households
