#pragma once
// ChargeQueryWindow ("收费查询"): the conditions of the paid query, the arrears query and the
// void rows, one tab each; running one closes the window and fills the page's list.
#include <QDialog>
#include <memory>

class QTableView;

namespace Ui {
class ChargeQueryWindow;
}

namespace charging {

class ChargeQueryWindow : public QDialog {
    Q_OBJECT

public:
    ChargeQueryWindow(QTableView* list, QWidget* parent = nullptr);
    ~ChargeQueryWindow() override;

    Ui::ChargeQueryWindow* form() const { return ui.get(); }

    void on_charge_query_tab_changed(int page);
    void on_charge_query_paid_ok_click();
    void on_charge_query_unpaid_ok_click();
    void on_charge_query_void_ok_click();

private:
    std::unique_ptr<Ui::ChargeQueryWindow> ui;
    QTableView* list_;
};

}  // namespace charging
