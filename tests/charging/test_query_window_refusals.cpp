// The two radio-button query windows over prepayments (用户结余 on the balance page, 预存查询 on
// the prepayment page): a ticked condition left empty is refused with its own message, the window
// stays open and the focus goes to the field that condition needs.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>

#include "charging/balance_page.h"
#include "charging/prepayment_page.h"
#include "charging/prepayment_query_window.h"
#include "charging_fixture.h"
#include "ui_household_balance_window.h"
#include "ui_prepayment_query_window.h"

namespace charging_test {
namespace {

class QueryWindowRefusals : public ChargingTest {};

struct Refusal {
    const char* message;
    QRadioButton* radio;
    QWidget* field;
};

// Ticks each radio with its field empty and checks the box, the open window and the focus.
template <class Window>
void expect_refusals(UiScript& ui, Window& window, void (Window::*ok)(),
                     std::initializer_list<Refusal> refusals) {
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.message);
        r.radio->setChecked(true);
        ui.expect_box(s(r.message));
        (window.*ok)();
        EXPECT_NE(window.result(), QDialog::Accepted);
        EXPECT_EQ(window.focusWidget(), r.field);
    }
}

TEST_F(QueryWindowRefusals, EachEmptyConditionFocusesItsOwnField) {
    charging::BalancePage balances;
    charging::HouseholdBalanceWindow balance(balances.balance_list());
    Ui::HouseholdBalanceWindow* b = balance.form();
    b->编辑框_户号->clear();
    expect_refusals(ui, balance, &charging::HouseholdBalanceWindow::on_balance_query_ok_click,
                    {{"待查询的户名不能为空！", b->单选框_户名, b->编辑框_户名},
                     {"待查询的收费人员不能为空！", b->单选框_收费人员, b->组合框_收费人员},
                     {"待查询的街道不能为空！", b->单选框_街道, b->组合框_街道},
                     {"待查询的户号不能为空！", b->单选框_按户号, b->编辑框_户号}});

    charging::PrepaymentPage prepayments;
    charging::PrepaymentQueryWindow prepayment(prepayments.prepay_list());
    Ui::PrepaymentQueryWindow* p = prepayment.form();
    p->编辑框_户号->setText(s("  "));  // blanks only: no household
    expect_refusals(ui, prepayment, &charging::PrepaymentQueryWindow::on_prepay_query_ok_click,
                    {{"待查询的户名不能为空！", p->单选框_户名, p->编辑框_户名},
                     {"待查询的居住街道不能为空！", p->单选框_居住街道, p->组合框_居住街道},
                     {"待查询的收费人员不能为空！", p->单选框_收费人员, p->组合框_收费人员},
                     {"待查询的户号不能为空！", p->单选框_按户号, p->编辑框_户号}});
    EXPECT_EQ(ui.boxes().size(), 8u);
}

}  // namespace
}  // namespace charging_test
