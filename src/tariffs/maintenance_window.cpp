#include "tariffs/maintenance_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "platform/dialogs.h"
#include "platform/listview.h"
#include "store/main_database.h"

namespace tariffs {

void show_outcome(const Outcome& outcome, QWidget* parent) {
    for (const Message& message : outcome.messages)
        platform::message_box(message.text, message.caption,
                              message.plain ? platform::MsgIcon::None : platform::MsgIcon::Information,
                              message.buttons, parent);
}

bool ask(const Question& question, QWidget* parent) {
    platform::beep();
    if (question.ok_cancel)
        return platform::message_box(question.text, question.caption, platform::MsgIcon::Question,
                                     platform::MsgButtons::OkCancel, parent) == platform::MsgResult::Ok;
    return platform::message_box(question.text, question.caption, platform::MsgIcon::Question,
                                 platform::MsgButtons::YesNo, parent) == platform::MsgResult::Yes;
}

void focus_box(QWidget* box, bool select_text) {
    if (!box) return;
    box->setFocus();
    if (!select_text) return;
    if (auto* edit = qobject_cast<QLineEdit*>(box)) edit->selectAll();
}

void set_combo_items(QComboBox* combo, const QStringList& items) {
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
}

void fix_combo(QComboBox* combo, const QString& value) {
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItem(value);
    combo->setCurrentIndex(0);
    combo->setEnabled(false);
}

// ---- the list window ----

MaintenanceListWindow::MaintenanceListWindow(TariffTable table, QWidget* parent) : QDialog(parent), table_(table) {}

void MaintenanceListWindow::set_up(const Units& units) {
    list_ = units.list;
    platform::setup_report_view(list_);
    for (const ListColumn& column : tariff_list_columns(table_))
        platform::listview_insert_column(list_, column.title, column.width);
    if (units.add) connect(units.add, &QAbstractButton::clicked, this, [this] { on_add_click(); });
    if (units.modify) connect(units.modify, &QAbstractButton::clicked, this, [this] { on_modify_click(); });
    if (units.remove) connect(units.remove, &QAbstractButton::clicked, this, [this] { on_delete_click(); });
    if (units.close) connect(units.close, &QAbstractButton::clicked, this, [this] { on_close_click(); });
    connect(list_, &QTableView::doubleClicked, this, [this] {
        if (double_click_modifies_ && !selected_row().isEmpty()) open_info(kModeModify);
    });
    fill_list();
}

void MaintenanceListWindow::fill_list() {
    platform::listview_begin_fill(list_);
    platform::listview_clear_rows(list_);
    for (const QStringList& cells : tariff_list_rows(store::main_connection(), table_))
        platform::listview_model(list_)->append_row(cells);
    platform::listview_end_fill(list_);
}

QStringList MaintenanceListWindow::selected_row() const {
    const int row = platform::listview_selected_row(list_);
    if (row < 0) return {};
    QStringList cells;
    for (int column = 0; column < platform::listview_column_count(list_); ++column)
        cells << platform::listview_cell_text(list_, row, column);
    return cells;
}

QString MaintenanceListWindow::selected_cell(const QString& title) const {
    const int row = platform::listview_selected_row(list_);
    const int column = platform::listview_column_index(list_, title);
    return row < 0 || column < 0 ? QString() : platform::listview_cell_text(list_, row, column);
}

void MaintenanceListWindow::on_add_click() { add(); }

void MaintenanceListWindow::on_modify_click() {
    if (!modify_refusal_.isEmpty() && selected_row().value(0).isEmpty()) {
        platform::inform(modify_refusal_);
        return;
    }
    open_info(kModeModify);
}

void MaintenanceListWindow::on_delete_click() {
    const QStringList row = selected_row();
    const QString refusal = delete_refusal(row);
    if (!refusal.isEmpty()) {
        platform::inform(refusal);
        return;
    }
    if (silent_without_selection() && row.value(0).isEmpty()) return;
    if (!ask(delete_question(row), this)) return;
    const Outcome outcome = remove(row);
    show_outcome(outcome, this);
    if (outcome.done) fill_list();
}

void MaintenanceListWindow::on_close_click() { reject(); }

void MaintenanceListWindow::open_dialog(MaintenanceInfoDialog& dialog) {
    dialog.set_after_save([this] { fill_list(); });
    platform::window_open_modal(&dialog);
}

// ---- the edit dialog ----

MaintenanceInfoDialog::MaintenanceInfoDialog(const QString& mode, QWidget* parent) : QDialog(parent), mode_(mode) {}

void MaintenanceInfoDialog::wire(QAbstractButton* ok, QAbstractButton* cancel) {
    connect(ok, &QAbstractButton::clicked, this, [this] { on_ok_click(); });
    // Each of these dialogs has one obvious action: Enter in any of its boxes saves.
    if (auto* button = qobject_cast<QPushButton*>(ok)) button->setDefault(true);
    connect(cancel, &QAbstractButton::clicked, this, [this] { on_cancel_click(); });
}

void MaintenanceInfoDialog::on_ok_click() {
    const Outcome outcome = save();
    show_outcome(outcome, this);
    if (!outcome.done) {
        focus_refusal(outcome);
        return;
    }
    if (after_save_) after_save_();
    accept();
}

void MaintenanceInfoDialog::on_cancel_click() { reject(); }

void MaintenanceInfoDialog::focus_refusal(const Outcome& outcome) {
    focus_box(field_box(outcome.focus), outcome.select_text);
}

}  // namespace tariffs
