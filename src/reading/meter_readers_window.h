#pragma once
// MeterReadersWindow ("抄表人员设置"): the list of meter readers with add and delete.
#include <QDialog>
#include <memory>

namespace Ui {
class MeterReadersWindow;
}

namespace reading {

class MeterReadersWindow : public QDialog {
    Q_OBJECT

public:
    explicit MeterReadersWindow(QWidget* parent = nullptr);
    ~MeterReadersWindow() override;

    // 超级列表框1 afresh from "select * from 抄表员".
    void fill_readers_list();
    void on_readers_add_click();     // 按钮1
    void on_readers_delete_click();  // 删除

    Ui::MeterReadersWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::MeterReadersWindow> ui;
};

// Menu 基本设置 > 抄表人员设置: needs "抄表人员设置"; the welcome page, then MeterReadersWindow
// modally (owned by `owner`).
void on_menu_meter_readers(QWidget* owner = nullptr);

}  // namespace reading
