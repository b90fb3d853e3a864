#pragma once
// Content page 9 of the main window (扣款明细): the bills settled in part or whole from prepaid
// balances, asked for by period (DeductionQueryWindow), by household number or by card number.
// Export, print, column settings and save widths are the list pages' shared buttons.
#include <QString>
#include <QWidget>
#include <memory>

class QTableView;

namespace Ui {
class DeductionPage;
}

namespace shell {
class MainWindow;
}

namespace charging {

// Fills the list from a statement of deduction_query.h: the columns of class 扣款明细, one row
// per bill, the red totals row, the hidden columns removed and the widths applied, with the
// progress window over `window`.
void fill_deduction_list(QTableView* list, const QString& statement, QWidget* window = nullptr);

class DeductionPage : public QWidget {
    Q_OBJECT

public:
    explicit DeductionPage(QWidget* parent = nullptr);
    ~DeductionPage() override;

    QTableView* deduction_list() const;
    Ui::DeductionPage* form() const { return ui.get(); }

    void on_main_deduction_query_click();         // 扣款明细_查询
    void on_main_deduction_by_household_click();  // 扣款明细_指定户号
    void on_main_deduction_by_card_click();       // 扣款明细_按磁卡号

private:
    std::unique_ptr<Ui::DeductionPage> ui;
};

// The navigation entry 预存管理_扣款查询: shows the page with the empty list laid out.
void on_main_nav_deduction_query_click(shell::MainWindow& window, DeductionPage& page);

}  // namespace charging
