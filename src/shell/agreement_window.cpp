#include "shell/agreement_window.h"

#include <QCloseEvent>
#include <QTimer>

#include "platform/db.h"
#include "platform/dialogs.h"
#include "store/main_database.h"
#include "ui_agreement_window.h"

namespace shell {

AgreementWindow::AgreementWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::AgreementWindow>()), timer_(new QTimer(this)) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    timer_->setObjectName(QStringLiteral("时钟1"));
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, [this] { on_agreement_text_timer(); });
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_agreement_text_close_click(); });
    connect(ui->按钮2, &QPushButton::clicked, this, [this] { on_agreement_text_decline_click(); });
    on_agreement_text_window_create();
}

AgreementWindow::~AgreementWindow() = default;

void AgreementWindow::on_agreement_text_window_create() {
    ui->按钮2->setFocus();
    agreement_countdown_ = kAgreementCountdownStart;
    ui->按钮1->setEnabled(false);
    timer_->start();
}

void AgreementWindow::on_agreement_text_timer() {
    if (agreement_countdown_ <= 0) return;  // a tick already queued when the timer stopped
    --agreement_countdown_;
    ui->按钮1->setText(QStringLiteral("我接受(") + QString::number(agreement_countdown_) +
                       QStringLiteral(")"));
    if (agreement_countdown_ == 0) {
        ui->按钮1->setText(kAgreementAcceptCaption);
        timer_->stop();
        ui->按钮1->setEnabled(true);
    }
}

void AgreementWindow::on_agreement_text_close_click() {
    closing_by_button_ = true;
    close();
    closing_by_button_ = false;
}

void AgreementWindow::on_agreement_text_decline_click() {
    platform::recordset_close(store::main_recordset(1));
    platform::recordset_close(store::main_recordset(2));
    platform::db_close(store::main_connection());
    platform::end_program(0);
}

bool AgreementWindow::on_agreement_text_query_close() { return false; }

void AgreementWindow::reject() {
    if (closing_by_button_) QDialog::reject();
}

void AgreementWindow::closeEvent(QCloseEvent* event) {
    if (closing_by_button_ || on_agreement_text_query_close()) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
}

}  // namespace shell
