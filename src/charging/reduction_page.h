#pragma once
// Content page 10 of the main window (减免管理) in its two forms: the reduction settings
// (减免设置, one row per household) and the reductions granted (减免明细). Its buttons query,
// add and edit settings, run the reductions, list the granted ones, and delete a setting or an
// uncharged reduction record depending on the form shown; export, print, column settings and
// save widths are the list pages' shared buttons, which take the form's kind as their class.
#include <QString>
#include <QWidget>
#include <memory>

class QTableView;

namespace Ui {
class ReductionPage;
}

namespace shell {
class MainWindow;
}

namespace charging {

class ReductionPage : public QWidget {
    Q_OBJECT

public:
    explicit ReductionPage(QWidget* parent = nullptr);
    ~ReductionPage() override;

    QTableView* reduction_list() const;
    Ui::ReductionPage* form() const { return ui.get(); }

    // The settings form, from the column class 减免设置.
    void fill_reduction_settings_list();
    // The details form from a details statement, from the column class 减免明细.
    void fill_reduction_details_list(const QString& sql);

    void on_reduction_query_click();  // 减免管理__减免查询
    void on_reduction_add_click();    // 减免管理_添加
    void on_reduction_edit_click();   // 减免管理__减免修改, and a double-click on the list
    void on_reduction_apply_click();  // 减免管理__执行减免
    void on_reduction_details_click();  // 减免管理_减免明细
    void on_reduction_delete_click();   // 减免管理_删除

private:
    // The key cell of the selected row (step shared by edit and delete): empty after a refusal,
    // which has been shown.
    QString selected_key(const QString& key, const QString& nothing_selected);
    void delete_setting(const QString& household);
    void delete_record(const QString& number_text);

    std::unique_ptr<Ui::ReductionPage> ui;
};

// Menu 基本设置 > 减免管理: the page with its settings list.
void on_main_menu_reductions_click(shell::MainWindow& window, ReductionPage& page);

}  // namespace charging
