#pragma once
// Content page 6 of the main window (收费查询): paid bills and void rows, or arrears, in
// 收费查询列表框; the query window, four quick look-ups, voiding and editing a payment and
// reprinting its receipt. Export, print, column settings and save widths are the list pages'
// shared buttons; the list's popup menu is the main window's hidden menu 收费查询.
#include <QString>
#include <QWidget>
#include <memory>

class QMenu;
class QTableView;

namespace Ui {
class ChargeQueryPage;
}

namespace shell {
class MainWindow;
}

namespace charging {

// Fills the page's list in the paid form from a paid-form statement (sets charge_query_kind
// to "已收费查询").
void fill_paid_charge_list(QTableView* list, const QString& statement, QWidget* window = nullptr);
// Fills the arrears form from a statement on the work table (sets "未收费查询").
void fill_unpaid_charge_list(QTableView* list, const QString& statement, QWidget* window = nullptr);
// Rebuilds the operator's work table from an arrears statement (each failing step's text in a
// box without icon) and lists it.
void build_unpaid_charge_table(QTableView* list, const QString& arrears_statement,
                               QWidget* window = nullptr);

// The cell of the selected row in the column titled "系统流水" (the first column when there
// is none); "" when no row is selected.
QString selected_serial_cell(QTableView* list);

class ChargeQueryPage : public QWidget {
    Q_OBJECT

public:
    explicit ChargeQueryPage(QWidget* parent = nullptr);
    ~ChargeQueryPage() override;

    QTableView* query_list() const;
    Ui::ChargeQueryPage* form() const { return ui.get(); }
    // The popup menu the list shows on a right-click (the main window's 收费查询 menu).
    void set_popup_menu(QMenu* menu) { popup_ = menu; }
    // Whether a right-click on the current row pops the menu up: not on an empty first cell or
    // on the paid form's totals row "合计".
    bool popup_allowed() const;

    void on_main_charge_query_click();         // 收费_查询
    void on_main_charge_by_household_click();  // 收费_按户号
    void on_main_charge_by_card_click();       // 收费_按磁卡号
    void on_main_charge_by_invoice_click();    // 收费_按发票号
    void on_main_charge_by_serial_click();     // 收费_按收据号
    void on_main_charge_edit_click();          // 收费_修改, popup 修改
    void on_main_charge_void_click();          // 收费_作废, popup 作废
    void on_main_charge_reprint_click();       // popup 重打收据
    void on_main_charge_list_right_click(const QPoint& position);

private:
    std::unique_ptr<Ui::ChargeQueryPage> ui;
    QMenu* popup_ = nullptr;
};

// The navigation entry 收费管理2_收费查询: shows the page with the paid form's shown columns
// and no rows.
void on_main_nav_charge_query_click(shell::MainWindow& window, ChargeQueryPage& page);

}  // namespace charging
