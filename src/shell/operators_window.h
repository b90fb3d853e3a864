#pragma once
// The operators window (administrator only): the operators other than "管理员" with their
// login permission, and add, modify and delete through the form OperatorInfoWindow. Adding an
// operator also gives it one refused grant row per permission item; renaming and deleting carry
// the grant rows along.
#include <QDialog>
#include <QString>
#include <memory>

#include "platform/db.h"

class QTableView;

namespace Ui {
class OperatorsWindow;
}

namespace shell {

// "添加" or "修改": how the operators window opens the form.
extern QString operator_form_mode;
// In "修改" mode, the name of the operator being modified as it was when the form opened.
extern QString operator_name_before_edit;

class OperatorsWindow : public QDialog {
    Q_OBJECT

public:
    explicit OperatorsWindow(QWidget* parent = nullptr);
    ~OperatorsWindow() override;

    // Handlers, public so that tests drive them as the user would.
    void on_operators_window_created();
    void fill_operators_list();
    void on_operators_add_click();
    void on_operators_modify_click();
    void on_operators_list_dblclick();
    void on_operators_delete_click();
    void on_operators_return_click();

    // 超级列表框1: column 0 the name, column 1 "√" or "×".
    QTableView* operators_list() const;
    Ui::OperatorsWindow* form() const { return ui.get(); }

private:
    QString selected_name() const;
    void open_operator_form();

    std::unique_ptr<Ui::OperatorsWindow> ui;
    platform::RecordSet 记录集1;
};

}  // namespace shell
