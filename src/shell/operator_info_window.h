#pragma once
// The form of one operator: name, password and login permission. In "添加" mode it adds the
// operator together with its grant rows; in "修改" mode it renames the operator (and its grant
// rows) and replaces its password. The mode is operator_form_mode (operators_window.h).
#include <QDialog>
#include <memory>

#include "platform/db.h"

class QTableView;

namespace Ui {
class OperatorInfoWindow;
}

namespace shell {

class OperatorInfoWindow : public QDialog {
    Q_OBJECT

public:
    // operators_list: the operators window's list, whose selected row the "修改" mode edits.
    explicit OperatorInfoWindow(QWidget* parent = nullptr, QTableView* operators_list = nullptr);
    ~OperatorInfoWindow() override;

    void on_operator_info_window_created();
    void on_operator_info_save_click();
    void on_operator_info_cancel_click();

    Ui::OperatorInfoWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::OperatorInfoWindow> ui;
    QTableView* operators_list_;
};

}  // namespace shell
