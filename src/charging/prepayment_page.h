#pragma once
// Content page 7 of the main window (预存查询): the prepayments in 预存明细_列表框, filled from
// the query window or the two quick look-ups, and the row actions 修改, 作废 and 重打收据 (by
// button, popup menu or double-click). Export, print, column settings and save widths are the
// list pages' shared buttons.
#include <QString>
#include <QWidget>
#include <memory>

class QTableView;

namespace Ui {
class PrepaymentPage;
}

namespace shell {
class MainWindow;
}

namespace charging {

// Fills the list from a statement: the thirteen cells of each prepayment by position under the
// columns of class 预存明细, then the red totals row.
void fill_prepayment_list(QTableView* list, const QString& statement, QWidget* window = nullptr);

class PrepaymentPage : public QWidget {
    Q_OBJECT

public:
    explicit PrepaymentPage(QWidget* parent = nullptr);
    ~PrepaymentPage() override;

    QTableView* prepay_list() const;
    Ui::PrepaymentPage* form() const { return ui.get(); }

    void on_main_prepay_query_click();        // 预存明细_查询
    void on_main_prepay_by_card_click();      // 预存明细_按磁卡号
    void on_main_prepay_by_invoice_click();   // 预存明细_按发票号
    void on_main_prepay_edit_click();         // 预存明细_修改 and the popup's 修改
    void on_main_prepay_void_click();         // 预存明细_删除 and the popup's 作废
    void on_main_prepay_reprint_click();      // the popup's 重打收据
    void on_main_prepay_list_double_click();  // 预存明细_列表框
    // Right click: the popup menu over a prepayment row; true when it was shown.
    bool on_main_prepay_list_right_click(const QPoint& global_position);

private:
    // The selected row's cell under "收据号", "" when no row is selected.
    QString receipt_cell() const;
    QString selected_cell(int column) const;
    // The selected receipt cell for a row action; "" after the box that says why there is none.
    QString chosen_receipt_cell(const QString& nothing_selected) const;
    void open_entry_window();
    void quick_query(const QString& prompt, const QString& caption, bool by_card);

    std::unique_ptr<Ui::PrepaymentPage> ui;
};

// The page the program installed, or null.
PrepaymentPage* prepayment_page();
void set_prepayment_page(PrepaymentPage* page);

// The navigation entries 预存添加 (F7) and 预存查询.
void on_main_nav_add_prepayment_click(shell::MainWindow* window);
void on_main_nav_prepay_query_click(shell::MainWindow* window, PrepaymentPage& page);

}  // namespace charging
