#pragma once
// The query window 扣款查询 of the deduction page: a period of payment dates (both days
// included); 查询 closes the window and fills the page's list.
#include <QDialog>
#include <memory>

class QTableView;

namespace Ui {
class DeductionQueryWindow;
}

namespace charging {

class DeductionQueryWindow : public QDialog {
    Q_OBJECT

public:
    // list: the page's list, which 查询 fills.
    explicit DeductionQueryWindow(QTableView* list, QWidget* parent = nullptr);
    ~DeductionQueryWindow() override;

    void on_deduction_query_window_create();
    void on_deduction_query_click();  // 按钮_查询
    void on_deduction_exit_click();   // 按钮_退出

    Ui::DeductionQueryWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::DeductionQueryWindow> ui;
    QTableView* list_;
};

}  // namespace charging
