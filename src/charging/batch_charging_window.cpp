#include "charging/batch_charging_window.h"

#include <QApplication>
#include <QCursor>

#include "charging/batch_charging.h"
#include "lists/progress_window.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/query.h"
#include "shell/admin.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"
#include "ui_batch_charging_window.h"

namespace charging {

BatchChargingWindow::BatchChargingWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::BatchChargingWindow>()) {
    ui->setupUi(this);
    connect(ui->查询按钮, &QPushButton::clicked, this, [this] { on_batch_query_click(); });
    connect(ui->收费按钮, &QPushButton::clicked, this, [this] { on_batch_close_click(); });
    on_batch_window_create();
}

BatchChargingWindow::~BatchChargingWindow() = default;

void BatchChargingWindow::on_batch_window_create() {
    platform::Connection& db = store::main_connection();
    ui->组合框_收费人员->addItems(shell::offer_collector_setup(this));
    ui->组合框_收费人员->setCurrentIndex(-1);
    ui->组合框_抄表人员->addItems(platform::query_column(
        db, QStringLiteral("select * from 抄表员 "), platform::OnFailure::Quiet));
    ui->组合框_抄表人员->setCurrentIndex(-1);
    // The streets are offered for choice; the condition uses whatever text the box holds.
    ui->组合框_居住街道->addItems(platform::query_column(
        db, QStringLiteral("select 街道 from 街道"), platform::OnFailure::Quiet));
    ui->组合框_居住街道->setCurrentIndex(-1);
    ui->组合框_居住街道->setEditText(QString());
    ui->组合框_抄表人员->setFocus();
}

void BatchChargingWindow::on_batch_query_click() {
    // A click on the button while the batch runs does not charge a second time.
    lists::BusyGuard busy(running_, ui->查询按钮);
    if (!busy.running()) return;
    BatchRequest request{ui->组合框_抄表人员->currentText(), ui->组合框_居住街道->currentText(),
                         ui->组合框_收费人员->currentText()};
    const BatchCheck check = check_batch_request(request);
    if (!check.ok) {
        platform::inform(check.message);
        (check.focus == BatchField::Reader ? ui->组合框_抄表人员 : ui->组合框_收费人员)->setFocus();
        return;
    }
    platform::beep();
    if (platform::message_box(batch_confirmation_text(request.collector), platform::kDefaultCaption,
                              platform::MsgIcon::Question, platform::MsgButtons::OkCancel,
                              this) != platform::MsgResult::Ok)
        return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    lists::ProgressWindow progress(parentWidget());
    progress.open();
    BatchProgress bar{[&progress](int steps) { progress.set_maximum(steps); },
                      [&progress] { progress.step(); }, [&progress] { progress.set_position(0); }};
    const BatchRunOutcome outcome =
        run_batch_charging(store::main_connection(), request, shell::program_context(), bar);
    progress.close();
    QApplication::restoreOverrideCursor();
    for (const Message& m : outcome.messages)
        platform::message_box(m.text, m.plain ? QString() : m.caption,
                              m.plain ? platform::MsgIcon::None : platform::MsgIcon::Information,
                              platform::MsgButtons::Ok, this);
}

void BatchChargingWindow::on_batch_close_click() { close(); }

void on_main_nav_batch_charging_click(shell::MainWindow* main_window) {
    if (!shell::require_permission(QStringLiteral("批量收费"))) return;
    BatchChargingWindow window(main_window);
    platform::window_open_modal(&window);
}

}  // namespace charging
