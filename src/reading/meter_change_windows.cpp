#include "reading/meter_change_windows.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/query.h"
#include "reading/meter_change_page.h"
#include "reading/meter_changes.h"
#include "shell/permissions.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_meter_change_entry_window.h"
#include "ui_meter_change_query_window.h"

namespace reading {

namespace {

using platform::inform;

const QString& prefix() { return shell::system_parameters.household_number_prefix; }

void prefix_with_caret(QLineEdit* box) {
    box->setText(prefix());
    box->setCursorPosition(box->text().size());
    box->setFocus();
}

}  // namespace

// ---- MeterChangeEntryWindow -------------------------------------------------------------------

MeterChangeEntryWindow::MeterChangeEntryWindow(MeterChangePage* page, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::MeterChangeEntryWindow>()), page_(page) {
    ui->setupUi(this);
    ui->日期框_预存收费->setDate(platform::today());
    ui->编辑框_户号->installEventFilter(this);
    connect(ui->按钮_收费, &QPushButton::clicked, this, [this] { on_meter_change_save_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, [this] { reject(); });

    for (int month = 1; month <= 12; ++month) ui->组合框_月->addItem(QString::number(month));
    ui->组合框_月->setCurrentIndex(-1);
    edit_ = meter_change_edit_mode == 1;
    if (edit_) {
        load_change_for_edit();
        return;
    }
    if (shell::current_operator != shell::kAdministrator) {
        ui->选择框_操作人员->addItem(shell::current_operator);
        ui->选择框_操作人员->setCurrentIndex(0);
    } else {
        ui->选择框_操作人员->addItems(change_operator_names(store::main_connection()));
        ui->选择框_操作人员->setCurrentIndex(-1);
    }
    ui->编辑框_年->setText(QString::number(platform::today().year()));
    prefix_with_caret(ui->编辑框_户号);
}

MeterChangeEntryWindow::~MeterChangeEntryWindow() { ui->编辑框_户号->removeEventFilter(this); }

bool MeterChangeEntryWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->编辑框_户号) {
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                on_meter_change_account_lookup();
        } else if (event->type() == QEvent::KeyPress && !edit_) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                ui->编辑框_新表编号->setFocus();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MeterChangeEntryWindow::load_change_for_edit() {
    edited_meter_change_number = page_ ? page_->selected_change_number() : QString();
    const double id = std::trunc(platform::to_number(edited_meter_change_number));
    const MeterChangeRow row = load_meter_change(
        store::main_connection(), std::fabs(id) < 9e15 ? static_cast<qint64>(id) : 0);
    ui->编辑框_户号->setText(row.account);
    on_meter_change_account_lookup();
    ui->编辑框_水表编号->setText(row.old_number);
    ui->编辑框_新表编号->setText(row.new_number);
    ui->编辑框_换表起方->setText(platform::to_text(row.start));
    if (row.change_date.isValid()) ui->日期框_预存收费->setDate(row.change_date);
    const QDateTime execution = platform::parse_date_text(row.execution + QStringLiteral("-1"));
    if (execution.isValid()) {
        ui->编辑框_年->setText(QString::number(execution.date().year()));
        ui->组合框_月->setCurrentIndex(execution.date().month() - 1);
    }
    const QStringList operators = change_operator_names(store::main_connection());
    ui->选择框_操作人员->addItems(operators);
    const int chosen = operators.indexOf(row.operator_name);
    ui->选择框_操作人员->setCurrentIndex(chosen >= 0 ? chosen : (operators.isEmpty() ? -1 : 0));
    setWindowTitle(QStringLiteral("换表修改"));
    ui->按钮_收费->setFocus();
}

void MeterChangeEntryWindow::on_meter_change_account_lookup() {
    QLineEdit* box = ui->编辑框_户号;
    if (box->text().isEmpty()) return;
    const MeterChangeAccount account =
        find_meter_change_account(store::main_connection(), box->text());
    if (!account.found && box->text() != prefix()) {
        inform(QStringLiteral("无此用户！"));
        box->clear();
        box->setFocus();
        return;
    }
    if (account.composite) {
        inform(QStringLiteral("用户性质为总表无效!"));
        box->setText(prefix());
        box->selectAll();
        box->setFocus();
        return;
    }
    ui->编辑框_户名->setText(account.name);
    ui->编辑框_街道->setText(account.street);
    ui->编辑框_地址->setText(account.address);
    ui->编辑框_收费项目->setText(account.fee_item);
    ui->编辑框_水表编号->setText(account.meter_number);
}

void MeterChangeEntryWindow::on_meter_change_save_click() {
    MeterChangeForm form;
    form.edit = edit_;
    form.edited_id = edited_meter_change_number;
    form.account = ui->编辑框_户号->text();
    form.operator_name = ui->选择框_操作人员->currentText();
    form.year_text = ui->编辑框_年->text();
    form.month_text = ui->组合框_月->currentText();
    form.new_number = ui->编辑框_新表编号->text();
    form.old_number = ui->编辑框_水表编号->text();
    form.start_text = ui->编辑框_换表起方->text();
    form.change_date = ui->日期框_预存收费->date();
    const MeterChangeOutcome out =
        save_meter_change(store::main_connection(), form, shell::program_context());
    switch (out.result) {
        case MeterChangeOutcome::Result::Refused:
            inform(out.message);
            switch (out.focus) {
                case MeterChangeOutcome::Focus::Account:
                    ui->编辑框_户号->setFocus();
                    break;
                case MeterChangeOutcome::Focus::Operator:
                    ui->选择框_操作人员->setFocus();
                    break;
                case MeterChangeOutcome::Focus::Year:
                    ui->编辑框_年->setFocus();
                    break;
                case MeterChangeOutcome::Focus::Month:
                    ui->组合框_月->setFocus();
                    break;
                case MeterChangeOutcome::Focus::None:
                    break;
            }
            return;
        case MeterChangeOutcome::Result::Failed:
            inform(out.message);
            return;
        case MeterChangeOutcome::Result::Done:
            inform(out.message);
            if (out.log_failed) inform(QStringLiteral("添加日志失败！"));
            accept();
            return;
    }
}

// ---- MeterChangeQueryWindow -------------------------------------------------------------------

MeterChangeQueryWindow::MeterChangeQueryWindow(MeterChangePage* page, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::MeterChangeQueryWindow>()), page_(page) {
    ui->setupUi(this);
    ui->日期框_起->setDate(platform::today());
    ui->日期框_止->setDate(platform::today());
    connect(ui->按钮_确定, &QPushButton::clicked, this,
            [this] { on_meter_change_query_ok_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, [this] { reject(); });

    QStringList streets;
    for (const QString& street :
         platform::query_column(store::main_connection(), QStringLiteral("select 街道 from 街道")))
        if (!streets.contains(street)) streets << street;
    ui->组合框_居住街道->addItems(streets);
    ui->组合框_居住街道->setCurrentIndex(streets.isEmpty() ? -1 : 0);
    const QStringList operators = change_operator_names(store::main_connection());
    ui->组合框_操作人员->addItems(operators);
    ui->组合框_操作人员->setCurrentIndex(operators.isEmpty() ? -1 : 0);
    ui->组合框_排序->setCurrentIndex(-1);
    ui->单选框_按户号->setChecked(true);
    prefix_with_caret(ui->编辑框_户号);
}

MeterChangeQueryWindow::~MeterChangeQueryWindow() = default;

void MeterChangeQueryWindow::on_meter_change_query_ok_click() {
    MeterChangeQuery query;
    query.order = ui->组合框_排序->currentIndex();
    QWidget* input = nullptr;
    if (ui->单选框_按户号->isChecked()) {
        query.criterion = MeterChangeCriterion::Account;
        query.text = ui->编辑框_户号->text();
        input = ui->编辑框_户号;
    } else if (ui->单选框_户名->isChecked()) {
        query.criterion = MeterChangeCriterion::Name;
        query.text = ui->编辑框_户名->text();
        input = ui->编辑框_户名;
    } else if (ui->单选框_水表编号->isChecked()) {
        query.criterion = MeterChangeCriterion::MeterNumber;
        query.text = ui->编辑框_水表编号->text();
        input = ui->编辑框_水表编号;
    } else if (ui->单选框_居住街道->isChecked()) {
        query.criterion = MeterChangeCriterion::Street;
        query.text = ui->组合框_居住街道->currentText();
        input = ui->组合框_居住街道;
    } else if (ui->单选框_预存日期->isChecked()) {
        query.criterion = MeterChangeCriterion::ChangeDate;
        query.from = ui->日期框_起->date();
        query.to = ui->日期框_止->date();
    } else if (ui->单选框_操作人员->isChecked()) {
        query.criterion = MeterChangeCriterion::Operator;
        query.text = ui->组合框_操作人员->currentText();
        input = ui->组合框_操作人员;
    }
    const MeterChangeCondition condition = meter_change_query_condition(query);
    if (!condition.refusal.isEmpty()) {
        inform(condition.refusal);
        if (input) input->setFocus();
        return;
    }
    accept();
    if (page_) fill_meter_change_list(parentWidget(), page_->change_list(), condition.clause);
}

}  // namespace reading
