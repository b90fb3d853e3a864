#include "charging/receipt_reprint_window.h"

#include <QApplication>
#include <QPushButton>

#include "charging/receipt_reprint.h"
#include "platform/dialogs.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"
#include "ui_receipt_reprint_window.h"

namespace charging {

ReceiptReprintWindow::ReceiptReprintWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReceiptReprintWindow>()) {
    ui->setupUi(this);
    connect(ui->编辑框_收据号1, &QLineEdit::textChanged, this,
            [this] { on_reprint_first_changed(); });
    connect(ui->组合框_打印方案, &QComboBox::currentIndexChanged, this,
            [this](int index) { on_reprint_scheme_changed(index); });
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_reprint_print_click(); });
    connect(ui->按钮2, &QPushButton::clicked, this, [this] { on_reprint_close_click(); });
    ui->按钮1->setDefault(true);
    ui->编辑框_收据号1->setFocus();
    ui->编辑框_收据号1->selectAll();
}

ReceiptReprintWindow::~ReceiptReprintWindow() = default;

void ReceiptReprintWindow::on_reprint_first_changed() {
    ui->编辑框_收据号2->setText(ui->编辑框_收据号1->text());
}

void ReceiptReprintWindow::on_reprint_scheme_changed(int) {
    ui->透明标签1->setText(ui->组合框_打印方案->currentText() == kChargeScheme
                               ? QStringLiteral("流水号：")
                               : QStringLiteral("收据号："));
}

void ReceiptReprintWindow::on_reprint_print_click() {
    ReprintRequest r;
    r.scheme = ui->组合框_打印方案->currentText() == kChargeScheme ? ReprintScheme::Charge
                                                                   : ReprintScheme::Prepay;
    r.first = ui->编辑框_收据号1->text();
    r.last = ui->编辑框_收据号2->text();
    r.per_pause = ui->编辑框_张数->text();
    r.pause = ui->编辑框_时间->text();
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    const ReprintOutcome out =
        run_receipt_reprint(store::main_connection(), r, shell::program_context());
    QApplication::restoreOverrideCursor();
    if (!out.run) {
        platform::inform(out.message);
        QLineEdit* box =
            out.focus == ReprintOutcome::Focus::PerPause ? ui->编辑框_张数 : ui->编辑框_收据号2;
        box->setFocus();
        box->selectAll();
        return;
    }
    platform::show_messages(out.messages, this);
}

void ReceiptReprintWindow::on_reprint_close_click() { reject(); }

void on_main_menu_reprint_receipt_click(shell::MainWindow* window) {
    if (!shell::require_permission(QStringLiteral("收据重打"))) return;
    ReceiptReprintWindow reprint(window);
    platform::window_open_modal(&reprint);
}

}  // namespace charging
