#include "households/household_entry_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "households/household_lists.h"
#include "households/household_record.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "platform/query.h"
#include "shell/program_state.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_household_entry_window.h"

namespace households {

namespace {

using platform::sql_quote;

const QString kStreetsStatement = QStringLiteral("select * from 街道");
const QString kBanksStatement = QStringLiteral("select * from 开户银行");
const QString kCategoriesStatement =
    QStringLiteral("select 水价类别 from 水价类别 where 收费项目='物业'");

}  // namespace

HouseholdEntryWindow::HouseholdEntryWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::HouseholdEntryWindow>()) {
    ui->setupUi(this);
    ui->选择框_连续->hide();
    ui->日期框_建档时间->setDate(platform::today());
    ui->编辑框_停车费->setText(QStringLiteral("0"));
    ui->组合框_用户性质->setCurrentIndex(0);
    connect(ui->按钮_添加, &QPushButton::clicked, this, [this] { on_household_form_save_click(); });
    connect(ui->返回, &QPushButton::clicked, this, [this] { on_household_form_back_click(); });
    on_household_form_created();
}

HouseholdEntryWindow::~HouseholdEntryWindow() = default;

void HouseholdEntryWindow::on_household_form_created() {
    add_mode_ = household_form_mode != kFormModeModify;
    if (add_mode_) {
        ui->编辑框_户号->setText(next_household_number(store::main_connection()));
        fill_household_form_combos();
        ui->选择框_连续->show();
        ui->编辑框_用户名->setFocus();
        return;
    }
    // The household to modify is the selected row of the list the form was opened from.
    QTableView* source = shell::household_form_source == QStringLiteral("真") ? household_query_list()
                                                                             : todays_households_list();
    QString number;
    if (source) {
        int column = platform::listview_column_index(source, QStringLiteral("户号"));
        if (column < 0) column = 0;
        const int row = platform::listview_selected_row(source);
        if (row >= 0) number = platform::listview_cell_text(source, row, column);
    }
    load_household_into_form(number);
}

void HouseholdEntryWindow::fill_household_form_combos() {
    const auto fill = [this](QComboBox* combo, const QString& statement) {
        combo->clear();
        combo->addItems(platform::query_column(store::main_connection(), statement));
        combo->setCurrentIndex(-1);
    };
    fill(ui->组合框_居住街道, kStreetsStatement);
    fill(ui->组合框_开户银行, kBanksStatement);
    fill(ui->组合框_物业类别, kCategoriesStatement);
}

// A stored value that is no longer among the items (a deleted street, say) is shown as an item
// of its own, so that saving an unrelated change keeps it instead of blanking it.
void HouseholdEntryWindow::select_or_add(QComboBox* combo, const QString& value) {
    if (value.isEmpty()) {
        combo->setCurrentIndex(-1);
        return;
    }
    int index = combo->findText(value, Qt::MatchExactly);
    if (index < 0) {
        combo->addItem(value);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

void HouseholdEntryWindow::load_household_into_form(const QString& number) {
    Household h;
    platform::RecordSet records(store::main_connection());
    if (platform::recordset_open(records, QStringLiteral("select * from 用户信息表 where 户号=") +
                                               sql_quote(number)) &&
        !platform::recordset_eof(records))
        h = read_household(records);

    ui->编辑框_户号->setText(number);
    ui->编辑框_用户名->setText(h.name);
    if (h.registered.isValid()) ui->日期框_建档时间->setDate(h.registered);
    ui->编辑框_固定电话->setText(h.fixed_telephone);
    ui->编辑框_移动电话->setText(h.mobile_telephone);
    ui->编辑框_备注->setText(h.remark);
    ui->编辑框_身份证->setText(h.identity_number);
    ui->编辑框_详细地址->setText(h.address);
    ui->编辑框_家庭人口->setText(platform::to_text(h.persons));
    ui->编辑框_银行帐号->setText(h.bank_account);
    ui->编辑框_磁卡号码->setText(h.card_number);
    ui->编辑框_停车费->setText(platform::to_text(h.parking_fee));
    ui->编辑框_物业面积->setText(platform::to_text(h.property_area));
    ui->编辑框_户号->setEnabled(false);

    fill_household_form_combos();
    select_or_add(ui->组合框_居住街道, h.street);
    select_or_add(ui->组合框_开户银行, h.bank);
    select_or_add(ui->组合框_物业类别, h.property_category);
    ui->组合框_用户性质->setCurrentIndex(h.several_meters ? 1 : 0);

    ui->按钮_添加->setText(QStringLiteral("保  存&U"));
    setWindowTitle(QStringLiteral("用户修改"));
    ui->编辑框_用户名->setFocus();
}

HouseholdEntry HouseholdEntryWindow::read_entry() const {
    HouseholdEntry e;
    e.number = ui->编辑框_户号->text();
    e.name = ui->编辑框_用户名->text();
    e.street = ui->组合框_居住街道->currentText();
    e.address = ui->编辑框_详细地址->text();
    e.identity = ui->编辑框_身份证->text();
    e.persons = ui->编辑框_家庭人口->text();
    e.registered = ui->日期框_建档时间->date();
    e.card = ui->编辑框_磁卡号码->text();
    e.bank = ui->组合框_开户银行->currentText();
    e.account = ui->编辑框_银行帐号->text();
    e.several_meters = ui->组合框_用户性质->currentIndex() > 0;
    e.remark = ui->编辑框_备注->text();
    e.fixed_phone = ui->编辑框_固定电话->text();
    e.mobile_phone = ui->编辑框_移动电话->text();
    e.category = ui->组合框_物业类别->currentText();
    e.area = ui->编辑框_物业面积->text();
    e.parking_fee = ui->编辑框_停车费->text();
    return e;
}

void HouseholdEntryWindow::show_outcome(const HouseholdSaveOutcome& outcome) {
    platform::show_messages(outcome.messages);
    if (outcome.focus == HouseholdField::Number)
        ui->编辑框_户号->setFocus();
    else if (outcome.focus == HouseholdField::Name)
        ui->编辑框_用户名->setFocus();
    else if (outcome.focus == HouseholdField::Card) {
        ui->编辑框_磁卡号码->setFocus();
        ui->编辑框_磁卡号码->selectAll();
    }
}

void HouseholdEntryWindow::on_household_form_save_click() {
    const HouseholdEntry entry = read_entry();
    if (!add_mode_) {
        const HouseholdSaveOutcome outcome = modify_household(store::main_connection(), entry);
        show_outcome(outcome);
        if (outcome.saved) {
            // The list the form was opened from shows the household as saved, still selected.
            const bool from_query = shell::household_form_source == QStringLiteral("真");
            if (from_query)
                refill_household_query_list();
            else
                fill_todays_households_list();
            reselect_household(from_query ? household_query_list() : todays_households_list(),
                               platform::text_trim(entry.number));
            accept();
        }
        return;
    }
    const HouseholdSaveOutcome outcome = add_household(store::main_connection(), entry);
    show_outcome(outcome);
    if (outcome.refused) return;
    // A failed save has been reported; the form goes on as after a saved one.
    fill_todays_households_list();
    if (ui->选择框_连续->isChecked())
        prepare_next_entry(platform::text_trim(entry.number));
    else
        done(outcome.saved ? QDialog::Accepted : QDialog::Rejected);
}

void HouseholdEntryWindow::prepare_next_entry(const QString& number_used) {
    ui->编辑框_户号->setText(first_free_household_number(
        household_number_successor(number_used, shell::system_parameters.household_number_prefix, false),
        false));
    for (QLineEdit* edit : {ui->编辑框_用户名, ui->编辑框_详细地址, ui->编辑框_身份证, ui->编辑框_固定电话,
                            ui->编辑框_移动电话, ui->编辑框_磁卡号码, ui->编辑框_物业面积})
        edit->clear();
    ui->编辑框_停车费->setText(QStringLiteral("0"));
    ui->编辑框_用户名->setFocus();
}

void HouseholdEntryWindow::on_household_form_back_click() { reject(); }

void HouseholdEntryWindow::reselect_household(QTableView* list, const QString& number) {
    if (!list) return;
    int column = platform::listview_column_index(list, QStringLiteral("户号"));
    if (column < 0) column = 0;
    for (int row = 0; row < platform::listview_row_count(list); ++row)
        if (platform::listview_cell_text(list, row, column) == number) {
            platform::listview_select_row(list, row);
            return;
        }
}

}  // namespace households
