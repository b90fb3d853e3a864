#include "reading/reading_entry_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "reading/confirmation_sound.h"
#include "reading/monthly_reading_page.h"
#include "reading/reading_entry.h"
#include "shell/permissions.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_reading_entry_window.h"

namespace reading {

namespace {

using platform::inform;

const QString& prefix() { return shell::system_parameters.household_number_prefix; }

// A focus change that comes from another window opening (a message box) or closing is no
// leaving of the box by the user.
bool user_moved_focus(QEvent* event) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

}  // namespace

ReadingEntryWindow::ReadingEntryWindow(QTableView* monthly_list, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReadingEntryWindow>()), monthly_list_(monthly_list) {
    ui->setupUi(this);
    ui->抄表日期框->setDate(platform::today());
    ui->户号->installEventFilter(this);
    ui->起方输入框->installEventFilter(this);
    connect(ui->止方输入框, &QLineEdit::textChanged, this,
            [this] { on_add_reading_end_changed(); });
    connect(ui->抄表确定, &QPushButton::clicked, this, [this] { on_add_reading_confirm_click(); });
    connect(ui->按钮5, &QPushButton::clicked, this, [this] { on_add_reading_close_click(); });
    // From the keyboard: Enter in 户号 goes on to the end reading (leaving the box looks the
    // account up), Enter there or in the loss adds the reading.
    connect(ui->户号, &QLineEdit::returnPressed, this, [this] { ui->止方输入框->setFocus(); });
    for (QLineEdit* box : {ui->止方输入框, ui->编辑框_水损})
        connect(box, &QLineEdit::returnPressed, ui->抄表确定, &QPushButton::click);
    on_add_reading_window_created();
}

ReadingEntryWindow::~ReadingEntryWindow() {
    // The boxes lose their focus while the window is taken down; nothing may run then.
    ui->户号->removeEventFilter(this);
    ui->起方输入框->removeEventFilter(this);
}

bool ReadingEntryWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->户号 && event->type() == QEvent::FocusOut && user_moved_focus(event))
        load_previous_reading();
    else if (watched == ui->起方输入框 && event->type() == QEvent::FocusIn)
        on_add_reading_start_got_focus();
    return QDialog::eventFilter(watched, event);
}

void ReadingEntryWindow::account_to_prefix() {
    ui->户号->setText(prefix());
    ui->户号->selectAll();
}

void ReadingEntryWindow::on_add_reading_window_created() {
    reading_entry_edit_fee_item.clear();
    reading_entry_edit_price_category.clear();
    reading_entry_edit_reader.clear();
    modify_ = shell::reading_form_mode == QStringLiteral("修改");
    if (!modify_) {
        account_to_prefix();
        ui->户号->setFocus();
        return;
    }
    const struct {
        const char16_t* title;
        const char16_t* missing;
    } columns[] = {{u"户号", u"请在查询列在设置显示户号列!"},
                   {u"收费项目", u"请在查询列在设置显示收费项目列!"},
                   {u"价格类别", u"请在查询列在设置显示价格类别列!"},
                   {u"抄表人员", u"请在查询列在设置显示抄表人员列!"}};
    QString cells[4];
    const int row = monthly_list_ ? platform::listview_selected_row(monthly_list_) : -1;
    for (int i = 0; i < 4; ++i) {
        const int column = monthly_list_ ? platform::listview_column_index(
                                               monthly_list_, QString::fromUtf16(columns[i].title))
                                         : -1;
        if (column < 0) {
            inform(QString::fromUtf16(columns[i].missing));
            return;
        }
        cells[i] = row < 0 ? QString() : platform::listview_cell_text(monthly_list_, row, column);
        if (i == 0) ui->户号->setText(cells[0]);
    }
    reading_entry_edit_fee_item = cells[1];
    reading_entry_edit_price_category = cells[2];
    reading_entry_edit_reader = cells[3];

    const PendingValues values =
        pending_reading_values(store::main_connection(), cells[0], reading_entry_edit_fee_item);
    if (values.found) {
        ui->起方输入框->setText(platform::to_text(values.start));
        ui->止方输入框->setText(platform::to_text(values.end));
        ui->编辑框_水损->setText(platform::to_text(values.loss));
    }
    ui->止方输入框->selectAll();
    ui->止方输入框->setFocus();
    ui->户号->setEnabled(false);
    show_meter_info_for_reading();
    setWindowTitle(QStringLiteral("抄表修改"));
    ui->抄表确定->setText(QStringLiteral("保存&B"));
}

void ReadingEntryWindow::show_meter_info_for_reading() {
    const qint64 by_id = reading_entry_next_meter_id;
    const MeterOnShow meter = find_meter_on_show(store::main_connection(), ui->户号->text(), by_id);
    // The id is used once: the next look-up takes the number as typed.
    if (by_id != 0) reading_entry_next_meter_id = 0;
    if (!meter.found) return;
    ui->户号->setText(meter.account);
    reading_entry_fee_item = meter.fee_item;
    reading_entry_price_category = meter.category;
    reading_entry_reader = meter.reader;
    reading_entry_household = meter.household;
    // Modify mode shows the pending row's values, not the account's.
    if (!reading_entry_edit_fee_item.isEmpty())
        reading_entry_fee_item = reading_entry_edit_fee_item;
    if (!reading_entry_edit_price_category.isEmpty())
        reading_entry_price_category = reading_entry_edit_price_category;
    if (!platform::text_trim(reading_entry_edit_reader).isEmpty())
        reading_entry_reader = reading_entry_edit_reader;
    ui->用户信息1->setText(QStringLiteral("用户姓名：") + meter.name);
    ui->用户信息2->setText(QStringLiteral("收费项目：") + reading_entry_fee_item);
    ui->用户信息3->setText(QStringLiteral("价格类别：") + reading_entry_price_category);
    ui->用户信息4->setText(QStringLiteral("居住街道：") + meter.street);
    ui->用户信息5->setText(QStringLiteral("计量编号：") + meter.meter_number);
    ui->用户信息8->setText(QStringLiteral("详细地址：") + meter.address);
    ui->用户信息6->setText(QStringLiteral("建表时间：") + meter.set_up);
    ui->用户信息7->setText(QStringLiteral("抄表人员：") + reading_entry_reader);
}

void ReadingEntryWindow::load_previous_reading() {
    if (platform::text_trim(ui->户号->text()).isEmpty() && reading_entry_next_meter_id == 0) return;
    show_meter_info_for_reading();
    const QDate date = ui->抄表日期框->date();
    const PreviousReading found =
        previous_reading(store::main_connection(), platform::text_trim(ui->户号->text()),
                         reading_entry_fee_item, reading_entry_price_category, date);
    switch (found.status) {
        case PreviousReading::Status::NoAccount:
            account_to_prefix();
            return;
        case PreviousReading::Status::AlreadyRead:
            inform(QStringLiteral("该用户本月已抄表并且已经入库!"));
            account_to_prefix();
            return;
        case PreviousReading::Status::Ready:
            ui->起方输入框->setText(platform::to_text(found.start));
            return;
    }
}

void ReadingEntryWindow::on_add_reading_end_changed() {
    const std::optional<double> loss = loss_while_typing(
        store::main_connection(), ui->户号->text(), reading_entry_fee_item,
        reading_entry_price_category, platform::to_number(ui->起方输入框->text()),
        platform::to_number(ui->止方输入框->text()),
        meter_state_from_text(ui->组合框_水表状态->currentText()), &reading_entry_multiplier);
    if (loss) ui->编辑框_水损->setText(platform::to_text(*loss));
}

void ReadingEntryWindow::on_add_reading_start_got_focus() {
    if (in_start_guard_ || shell::current_operator == shell::kAdministrator) return;
    in_start_guard_ = true;
    ui->起方输入框->setEnabled(false);
    inform(QStringLiteral("对不起您不是管理员,不能修改起方!"));
    ui->止方输入框->selectAll();
    ui->止方输入框->setFocus();
    ui->起方输入框->setEnabled(true);
    in_start_guard_ = false;
}

void ReadingEntryWindow::refill_monthly_list() {
    if (!monthly_list_ || !ui->选择框_刷新->isChecked()) return;
    // An added reading is one more row on top: the batch is not read again for it.
    if (modify_)
        fill_monthly_reading_list(parentWidget(), monthly_list_, monthly_reading_statement());
    else
        show_new_monthly_readings(parentWidget(), monthly_list_);
}

void ReadingEntryWindow::on_add_reading_confirm_click() {
    ReadingForm form;
    form.modify = modify_;
    form.account = platform::text_trim(ui->户号->text());
    form.prefix = prefix();
    form.start_text = ui->起方输入框->text();
    form.end_text = ui->止方输入框->text();
    form.loss_text = ui->编辑框_水损->text();
    form.state = meter_state_from_text(ui->组合框_水表状态->currentText());
    form.date = ui->抄表日期框->date();
    form.fee_item = reading_entry_fee_item;
    form.category = reading_entry_price_category;
    form.reader = reading_entry_reader;
    form.household = reading_entry_household;
    form.edit_fee_item = reading_entry_edit_fee_item;
    const ReadingSaveOutcome out =
        save_pending_reading(store::main_connection(), form, shell::program_context());
    using Focus = ReadingSaveOutcome::Focus;
    if (out.result != ReadingSaveOutcome::Result::Saved) {
        if (!out.message.isEmpty())
            inform(out.message, out.caption.isEmpty() ? platform::kDefaultCaption : out.caption);
        if (out.account_to_prefix) account_to_prefix();
        switch (out.focus) {
            case Focus::Account:
                ui->户号->setFocus();
                break;
            case Focus::AccountSelected:
                ui->户号->selectAll();
                ui->户号->setFocus();
                break;
            case Focus::EndSelected:
                ui->止方输入框->selectAll();
                ui->止方输入框->setFocus();
                break;
            case Focus::End:
                ui->止方输入框->setFocus();
                break;
            case Focus::None:
                break;
        }
        return;
    }
    reading_entry_multiplier = out.multiplier;
    platform::play_sound(confirmation_sound_path());
    if (out.log_failed) inform(QStringLiteral("添加日志失败！"));
    if (modify_) {
        refill_monthly_list();
        accept();
        return;
    }
    reading_entry_reader.clear();
    refill_monthly_list();
    ui->起方输入框->clear();
    ui->止方输入框->clear();
    ui->编辑框_水损->setText(QStringLiteral("0"));
    if (!ui->到下一户->isChecked()) {
        ui->户号->setFocus();
        account_to_prefix();
        return;
    }
    const qint64 next = next_meter_on_route(store::main_connection(), form.account,
                                            reading_entry_fee_item, reading_entry_price_category);
    reading_entry_next_meter_id = next;
    if (next == 0) ui->户号->clear();
    if (ui->户号->text().isEmpty()) {
        // The route is finished.
        account_to_prefix();
        ui->户号->setFocus();
        return;
    }
    load_previous_reading();
    ui->止方输入框->setFocus();
}

void ReadingEntryWindow::on_add_reading_close_click() { reject(); }

}  // namespace reading
