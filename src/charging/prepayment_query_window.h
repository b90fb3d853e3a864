#pragma once
// The query window of the 预存明细 page (预存查询): one condition by the first ticked radio
// button, a status and an order; 确定 closes it and fills the page's list.
#include <QDialog>
#include <array>
#include <memory>

#include "charging/prepayment_queries.h"

class QTableView;

namespace Ui {
class PrepaymentQueryWindow;
}

namespace charging {

struct RadioCondition;

class PrepaymentQueryWindow : public QDialog {
    Q_OBJECT

public:
    explicit PrepaymentQueryWindow(QTableView* prepay_list, QWidget* parent = nullptr);
    ~PrepaymentQueryWindow() override;

    Ui::PrepaymentQueryWindow* form() const { return ui.get(); }
    // What the form asks for, as 确定 reads it.
    PrepaymentQuery query() const;

    void on_prepay_query_ok_click();
    void on_prepay_query_cancel_click();

private:
    // The radio buttons in the order they are read, each with its condition's field.
    std::array<RadioCondition, 5> conditions() const;

    std::unique_ptr<Ui::PrepaymentQueryWindow> ui;
    QTableView* list_;
};

}  // namespace charging
