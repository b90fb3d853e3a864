#include "charging/reduction_windows.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "charging/reduction_details.h"
#include "charging/reduction_page.h"
#include "charging/reduction_settings.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/query.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_reduction_query_window.h"
#include "ui_reduction_settings_window.h"

namespace charging {

namespace {

const QString& prefix() { return shell::system_parameters.household_number_prefix; }

void focus_with_selection(QLineEdit* box) {
    box->setFocus();
    box->selectAll();
}

// The choice box shows `item` (one of its two items).
void choose(QComboBox* choice, const QString& item) {
    const int index = choice->findText(item);
    if (index >= 0) choice->setCurrentIndex(index);
}

}  // namespace

// ---- ReductionSettingsWindow ------------------------------------------------------------------

ReductionSettingsWindow::ReductionSettingsWindow(ReductionPage* page, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReductionSettingsWindow>()), page_(page) {
    ui->setupUi(this);
    // Nothing applies until a partial or counted reduction is chosen.
    for (QLineEdit* value :
         {ui->编辑框_减免金额, ui->编辑框_减免次数, ui->编辑框_减免用量, ui->编辑框_减免用量次数})
        value->setText(kNotApplicable);
    const std::pair<QComboBox*, QLineEdit*> choices[] = {
        {ui->选择框_减免方式, ui->编辑框_减免金额},
        {ui->选择框_减免期限, ui->编辑框_减免次数},
        {ui->选择框_减免用量方式, ui->编辑框_减免用量},
        {ui->选择框_减免用量期限, ui->编辑框_减免用量次数}};
    for (const auto& [choice, value] : choices)
        connect(choice, &QComboBox::activated, this,
                [this, choice, value] { on_reduction_choice(choice, value); });
    ui->编辑框_户号->installEventFilter(this);
    connect(ui->按钮_添加, &QPushButton::clicked, this, [this] { on_reduction_save_click(); });
    connect(ui->按钮_返回, &QPushButton::clicked, this, [this] { reject(); });

    edit_ = !edited_reduction_household.isEmpty();
    if (edit_) {
        load_for_edit();
        return;
    }
    ui->编辑框_户号->setText(prefix());
    focus_with_selection(ui->编辑框_户号);
}

ReductionSettingsWindow::~ReductionSettingsWindow() { ui->编辑框_户号->removeEventFilter(this); }

bool ReductionSettingsWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->编辑框_户号) {
        if (event->type() == QEvent::FocusOut) {
            // A box of our own or a switch to another program takes the focus for a moment:
            // that is no leaving of the box.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                on_reduction_household_lookup();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                ui->按钮_添加->setFocus();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ReductionSettingsWindow::load_for_edit() {
    const LoadedReductionSetting loaded =
        load_reduction_setting(store::main_connection(), edited_reduction_household);
    const ReductionSettingForm& f = loaded.form;
    if (loaded.found) {
        if (f.by_quantity) {
            choose(ui->选择框_减免用量方式, f.quantity_mode);
            ui->编辑框_减免用量->setText(f.quantity);
            choose(ui->选择框_减免用量期限, f.quantity_period);
            ui->编辑框_减免用量次数->setText(f.quantity_times);
            ui->组合框_减免类型->setCurrentIndex(1);
        } else {
            choose(ui->选择框_减免方式, f.amount_mode);
            ui->编辑框_减免金额->setText(f.amount);
            choose(ui->选择框_减免期限, f.amount_period);
            ui->编辑框_减免次数->setText(f.amount_times);
            ui->组合框_减免类型->setCurrentIndex(0);
        }
    }
    ui->编辑框_户号->setText(edited_reduction_household);
    on_reduction_household_lookup();
    ui->按钮_添加->setText(QStringLiteral("保存&B"));
    setWindowTitle(QStringLiteral("减免修改"));
    ui->按钮_添加->setFocus();
}

void ReductionSettingsWindow::on_reduction_household_lookup() {
    QLineEdit* box = ui->编辑框_户号;
    const ReductionHouseholdLookup lookup =
        look_up_reduction_household(store::main_connection(), box->text(), prefix());
    using Result = ReductionHouseholdLookup::Result;
    switch (lookup.result) {
        case Result::Nothing:
            return;
        case Result::Missing:
            platform::inform(kNoReductionHousehold);
            box->clear();
            box->setFocus();
            return;
        case Result::MasterMeter:
            platform::inform(kMasterMeterRefused);
            box->setText(prefix());
            box->setFocus();
            return;
        case Result::Found:
            ui->编辑框_户名->setText(lookup.name);
            ui->编辑框_街道->setText(lookup.street);
            ui->编辑框_地址->setText(lookup.address);
            return;
    }
}

void ReductionSettingsWindow::on_reduction_choice(QComboBox* choice, QLineEdit* value) {
    if (choice->currentIndex() == 0)
        value->setText(kNotApplicable);
    else
        value->clear();
}

void ReductionSettingsWindow::on_reduction_save_click() {
    ReductionSettingForm form;
    form.household = ui->编辑框_户号->text();
    form.by_quantity = ui->组合框_减免类型->currentIndex() == 1;
    form.amount_mode = ui->选择框_减免方式->currentText();
    form.amount = ui->编辑框_减免金额->text();
    form.amount_period = ui->选择框_减免期限->currentText();
    form.amount_times = ui->编辑框_减免次数->text();
    form.quantity_mode = ui->选择框_减免用量方式->currentText();
    form.quantity = ui->编辑框_减免用量->text();
    form.quantity_period = ui->选择框_减免用量期限->currentText();
    form.quantity_times = ui->编辑框_减免用量次数->text();
    const ReductionOutcome outcome = save_reduction_setting(
        store::main_connection(), form, edit_ ? edited_reduction_household : QString());
    platform::show_messages(outcome.messages, this);
    if (!outcome.done) {
        QLineEdit* box = nullptr;
        switch (outcome.focus) {
            case ReductionField::Household:
                box = ui->编辑框_户号;
                break;
            case ReductionField::Amount:
                box = ui->编辑框_减免金额;
                break;
            case ReductionField::AmountTimes:
                box = ui->编辑框_减免次数;
                break;
            case ReductionField::Quantity:
                box = ui->编辑框_减免用量;
                break;
            case ReductionField::QuantityTimes:
                box = ui->编辑框_减免用量次数;
                break;
            case ReductionField::None:
                break;
        }
        if (box) {
            box->setFocus();
            if (outcome.select_text) box->selectAll();
        }
        return;
    }
    accept();
    if (page_) page_->fill_reduction_settings_list();
}

// ---- ReductionQueryWindow ---------------------------------------------------------------------

ReductionQueryWindow::ReductionQueryWindow(ReductionPage* page, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReductionQueryWindow>()), page_(page) {
    ui->setupUi(this);
    ui->日期框_起->setDate(platform::today());
    ui->日期框_止->setDate(platform::today());
    connect(ui->确定, &QPushButton::clicked, this, [this] { on_reduction_query_ok_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, [this] { reject(); });
    const QStringList streets =
        platform::query_column(store::main_connection(), QStringLiteral("select * from 街道"));
    ui->组合框_街道->addItems(streets);
    ui->组合框_街道->setCurrentIndex(streets.isEmpty() ? -1 : 0);
    ui->单选框_按户号->setChecked(true);
    ui->编辑框_户号起->setText(prefix());
    focus_with_selection(ui->编辑框_户号起);
}

ReductionQueryWindow::~ReductionQueryWindow() = default;

void ReductionQueryWindow::on_reduction_query_ok_click() {
    ReductionQuery query;
    if (ui->单选框_街道->isChecked()) {
        query.by = ReductionQuery::By::Street;
        query.text = ui->组合框_街道->currentText();
    } else if (ui->单选框_减免日期->isChecked()) {
        query.by = ReductionQuery::By::Date;
        query.from = ui->日期框_起->date();
        query.to = ui->日期框_止->date();
    } else {
        query.by = ReductionQuery::By::Household;
        query.text = ui->编辑框_户号起->text();
    }
    const ReductionQueryStatement statement = reduction_details_statement(query);
    if (!statement.refusal.isEmpty()) {
        platform::inform(statement.refusal);
        ui->编辑框_户号起->setFocus();
        return;
    }
    accept();
    if (page_) page_->fill_reduction_details_list(statement.sql);
}

}  // namespace charging
