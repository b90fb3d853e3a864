#pragma once
// ChargeRecordEditWindow ("修改收费记录"): the bills of one payment in 表单, and the amounts,
// collector and date of one of them (the last, or the one double-clicked) in the boxes, saved
// back to that bill alone.
#include <QDialog>
#include <memory>

namespace Ui {
class ChargeRecordEditWindow;
}

namespace charging {

struct ChargeRecordFields;

class ChargeRecordEditWindow : public QDialog {
    Q_OBJECT

public:
    ChargeRecordEditWindow(qint64 serial, QWidget* parent = nullptr);
    ~ChargeRecordEditWindow() override;

    Ui::ChargeRecordEditWindow* form() const { return ui.get(); }

    void on_edit_list_double_click(int row);  // 表单
    void on_edit_save_click();                // 按钮1
    void on_edit_close_click();               // 按钮3

private:
    void load_bill(const ChargeRecordFields& bill);

    std::unique_ptr<Ui::ChargeRecordEditWindow> ui;
};

}  // namespace charging
