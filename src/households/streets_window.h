#pragma once
// Streets (table 街道, one column 街道): the dialog "居住街道设置" lists them in the order the
// database returns them, adds a street (trimmed, not twice) and deletes the selected one after a
// question. Households keep the name of a deleted street.
#include <QDialog>
#include <QString>
#include <memory>

#include "platform/db.h"

namespace Ui {
class StreetsWindow;
}

namespace households {

class StreetsWindow : public QDialog {
    Q_OBJECT

public:
    explicit StreetsWindow(QWidget* parent = nullptr);
    ~StreetsWindow() override;

    // Creation: binds 记录集1, fills the list, focus to 编辑框1.
    void on_streets_created();
    // 超级列表框1 afresh from "select * from 街道".
    void fill_street_list();
    // 按钮1
    void on_streets_add_click();
    // 删除
    void on_streets_delete_click();
    // 按钮3
    void on_streets_close_click();

    Ui::StreetsWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::StreetsWindow> ui;
    platform::RecordSet records_;  // 记录集1
};

// Menu 基本设置 > 居住街道设置: the permission "居住街道设置", the welcome page, then StreetsWindow
// modally (owned by `owner`).
void on_menu_streets_click(QWidget* owner = nullptr);

}  // namespace households
