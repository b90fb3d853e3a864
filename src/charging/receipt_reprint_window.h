#pragma once
// ReceiptReprintWindow ("收据重新打印"): a range of payment serials or prepayment receipt
// numbers printed again, pausing after every few receipts; the window stays open for the
// next run.
#include <QDialog>
#include <memory>

namespace Ui {
class ReceiptReprintWindow;
}
namespace shell {
class MainWindow;
}

namespace charging {

class ReceiptReprintWindow : public QDialog {
    Q_OBJECT

public:
    explicit ReceiptReprintWindow(QWidget* parent = nullptr);
    ~ReceiptReprintWindow() override;

    Ui::ReceiptReprintWindow* form() const { return ui.get(); }

    void on_reprint_first_changed();            // 编辑框_收据号1
    void on_reprint_scheme_changed(int index);  // 组合框_打印方案
    void on_reprint_print_click();              // 按钮1
    void on_reprint_close_click();              // 按钮2

private:
    std::unique_ptr<Ui::ReceiptReprintWindow> ui;
};

// The menu entry 打印 > 收据重打.
void on_main_menu_reprint_receipt_click(shell::MainWindow* window);

}  // namespace charging
