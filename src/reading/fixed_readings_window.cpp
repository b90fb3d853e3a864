#include "reading/fixed_readings_window.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <cmath>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "platform/query.h"
#include "reading/fixed_readings.h"
#include "reading/reading_install.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_fixed_reading_info_window.h"
#include "ui_fixed_readings_window.h"

namespace reading {

namespace {

using platform::inform;

const QString& prefix() { return shell::system_parameters.household_number_prefix; }

qint64 whole_id(const QString& text) {
    const double value = std::trunc(platform::to_number(text));
    return std::fabs(value) < 9e15 ? static_cast<qint64>(value) : 0;
}

}  // namespace

// ---- FixedReadingsWindow ----------------------------------------------------------------------

FixedReadingsWindow::FixedReadingsWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::FixedReadingsWindow>()) {
    ui->setupUi(this);
    QTableView* list = ui->抄表机_列表框;
    platform::setup_report_view(list);
    const struct {
        const char16_t* title;
        int width;
    } columns[] = {{u"编号", 50},     {u"抄表户号", 70}, {u"用户姓名", 70},
                   {u"收费项目", 70}, {u"价格类别", 70}, {u"居住街道", 70},
                   {u"详细地址", 70}, {u"固定用量", 70}, {u"损耗", 50}};
    for (const auto& c : columns)
        platform::listview_insert_column(list, QString::fromUtf16(c.title), c.width);
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_fixed_readings_add_click(); });
    connect(ui->删除1, &QPushButton::clicked, this, [this] { on_fixed_readings_modify_click(); });
    connect(ui->删除, &QPushButton::clicked, this, [this] { on_fixed_readings_delete_click(); });
    connect(ui->按钮2, &QPushButton::clicked, this, [this] { on_fixed_readings_generate_click(); });
    connect(ui->按钮3, &QPushButton::clicked, this, [this] { reject(); });
    fill_fixed_readings_list();
}

FixedReadingsWindow::~FixedReadingsWindow() = default;

QTableView* FixedReadingsWindow::fixed_list() const { return ui->抄表机_列表框; }

QString FixedReadingsWindow::selected_id() const {
    const int row = platform::listview_selected_row(ui->抄表机_列表框);
    return row < 0 ? QString() : platform::listview_cell_text(ui->抄表机_列表框, row, 0);
}

void FixedReadingsWindow::fill_fixed_readings_list() {
    QTableView* list = ui->抄表机_列表框;
    platform::listview_begin_fill(list);
    platform::listview_clear_rows(list);
    platform::RecordSet records;
    if (platform::query_open(records, store::main_connection(), fixed_readings_list_statement())) {
        auto text = [&](const char16_t* name) {
            return platform::recordset_field_text(records, QString::fromUtf16(name));
        };
        auto number = [&](const char16_t* name) {
            return platform::to_text(
                platform::recordset_field_number(records, QString::fromUtf16(name)));
        };
        for (; !platform::recordset_eof(records); platform::recordset_move_next(records))
            platform::listview_model(list)->append_row(
                {QString::number(whole_id(text(u"编号"))), text(u"户号"), text(u"用户名"),
                 text(u"收费项目"), text(u"价格类别"), text(u"居住街道"), text(u"详细地址"),
                 number(u"固定用量"), number(u"水损")});
    }
    platform::listview_end_fill(list);
}

void FixedReadingsWindow::open_info_window() {
    FixedReadingInfoWindow info(this, this);
    platform::window_open_modal(&info);
}

void FixedReadingsWindow::on_fixed_readings_add_click() {
    fixed_reading_edit_mode = 0;
    open_info_window();
}

void FixedReadingsWindow::on_fixed_readings_modify_click() {
    if (selected_id().isEmpty()) {
        inform(QStringLiteral("请选择待修改的内容！"));
        return;
    }
    fixed_reading_edit_mode = 1;
    open_info_window();
}

void FixedReadingsWindow::on_fixed_readings_delete_click() {
    const QString id = selected_id();
    if (id.isEmpty()) return;
    if (platform::message_box(
            QStringLiteral("确定删除编号为【") + id + QStringLiteral("】的记录吗？"),
            QStringLiteral("警告"), platform::MsgIcon::Question,
            platform::MsgButtons::OkCancel) != platform::MsgResult::Ok)
        return;
    if (delete_fixed_reading(store::main_connection(), whole_id(id))) {
        inform(QStringLiteral("执行成功！"));
        fill_fixed_readings_list();
    } else {
        inform(QStringLiteral("执行失败！"));
    }
}

void FixedReadingsWindow::on_fixed_readings_generate_click() {
    const FixedGenerationOutcome out =
        generate_fixed_readings(store::main_connection(), platform::today());
    inform(out.message);
    if (out.result != FixedGenerationOutcome::Result::Done) return;
    accept();
    show_monthly_readings();
}

// ---- FixedReadingInfoWindow -------------------------------------------------------------------

FixedReadingInfoWindow::FixedReadingInfoWindow(FixedReadingsWindow* list_window, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::FixedReadingInfoWindow>()),
      list_window_(list_window) {
    ui->setupUi(this);
    ui->编辑框_户号->installEventFilter(this);
    connect(ui->按钮_收费, &QPushButton::clicked, this, [this] { on_fixed_reading_save_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, [this] { reject(); });
    if (fixed_reading_edit_mode == 1) {
        const FixedMeterInfo row =
            load_fixed_reading(store::main_connection(),
                               whole_id(list_window_ ? list_window_->selected_id() : QString()));
        ui->编辑框_户号->setText(row.account);
        ui->编辑框_户名->setText(row.name);
        ui->编辑框_街道->setText(row.street);
        ui->编辑框_地址->setText(row.address);
        ui->编辑框_收费项目->setText(row.fee_item);
        ui->编辑框_价格类别->setText(row.category);
        ui->编辑框_用量->setText(platform::to_text(row.usage));
        ui->编辑框_水损->setText(platform::to_text(row.loss));
        ui->编辑框_户号->selectAll();
        setWindowTitle(QStringLiteral("修改固定抄表"));
    } else {
        ui->编辑框_户号->setText(prefix());
        ui->编辑框_户号->setCursorPosition(ui->编辑框_户号->text().size());
    }
}

FixedReadingInfoWindow::~FixedReadingInfoWindow() { ui->编辑框_户号->removeEventFilter(this); }

bool FixedReadingInfoWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->编辑框_户号) {
        if (event->type() == QEvent::FocusOut) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                on_fixed_reading_account_lookup();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                ui->编辑框_用量->setFocus();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FixedReadingInfoWindow::on_fixed_reading_account_lookup() {
    QLineEdit* box = ui->编辑框_户号;
    if (box->text().isEmpty()) return;
    const FixedMeterInfo meter = find_fixed_meter(store::main_connection(), box->text());
    if (!meter.found && box->text() != prefix()) {
        inform(QStringLiteral("请在计量管理中设置计量表！"));
        box->setText(prefix());
        box->setFocus();
        return;
    }
    box->setText(meter.account);
    ui->编辑框_户名->setText(meter.name);
    ui->编辑框_街道->setText(meter.street);
    ui->编辑框_地址->setText(meter.address);
    ui->编辑框_收费项目->setText(meter.fee_item);
    ui->编辑框_价格类别->setText(meter.category);
}

void FixedReadingInfoWindow::on_fixed_reading_save_click() {
    FixedReadingForm form;
    form.edit = fixed_reading_edit_mode == 1;
    form.id = whole_id(list_window_ ? list_window_->selected_id() : QString());
    form.account = ui->编辑框_户号->text();
    form.usage_text = ui->编辑框_用量->text();
    form.loss_text = ui->编辑框_水损->text();
    const FixedReadingOutcome out = save_fixed_reading(store::main_connection(), form);
    if (!out.loss_text.isEmpty()) ui->编辑框_水损->setText(out.loss_text);
    inform(out.message);
    if (out.result == FixedReadingOutcome::Result::Refused) {
        switch (out.focus) {
            case FixedReadingOutcome::Focus::Account:
                ui->编辑框_户号->setFocus();
                break;
            case FixedReadingOutcome::Focus::AccountSelected:
                ui->编辑框_户号->selectAll();
                ui->编辑框_户号->setFocus();
                break;
            case FixedReadingOutcome::Focus::Usage:
                ui->编辑框_用量->setFocus();
                break;
            case FixedReadingOutcome::Focus::None:
                break;
        }
        return;
    }
    accept();
    if (list_window_) list_window_->fill_fixed_readings_list();
}

void on_main_nav_fixed_reading_click(shell::MainWindow* window) {
    if (!shell::require_permission(QStringLiteral("固定抄表"))) return;
    if (window) window->select_content_page(shell::kPageWelcome);
    FixedReadingsWindow fixed(window);
    platform::window_open_modal(&fixed);
}

}  // namespace reading
