#include "reading/reading_edit_window.h"

#include <QPushButton>

#include "lists/progress_window.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "reading/reading_edit.h"
#include "store/main_database.h"
#include "ui_reading_edit_window.h"

namespace reading {

ReadingEditWindow::ReadingEditWindow(qint64 reading_id, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReadingEditWindow>()) {
    ui->setupUi(this);
    reading_ = load_edited_reading(store::main_connection(), reading_id);
    const EditedReading& r = reading_;
    ui->编辑框_户号->setText(r.household);
    ui->编辑框_户名->setText(r.name);
    ui->编辑框_收费项目->setText(r.fee_item);
    ui->编辑框_价格类别->setText(r.category);
    ui->编辑框_街道->setText(r.street);
    ui->编辑框_地址->setText(r.address);
    ui->编辑框_起->setText(platform::to_text(r.start));
    ui->编辑框_止->setText(platform::to_text(r.end));
    ui->编辑框_抄表户号->setText(r.meter);
    ui->编辑框_水损->setText(platform::to_text(r.loss));
    ui->日期框1->setDate(r.date.isValid() ? r.date : platform::today());
    show_usage();
    connect(ui->编辑框_止, &QLineEdit::textChanged, this,
            [this] { on_edit_reading_end_changed(); });
    // The save computes from both boxes, so a change of either shows what it will write.
    connect(ui->编辑框_起, &QLineEdit::textChanged, this,
            [this] { on_edit_reading_end_changed(); });
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_edit_reading_save_click(); });
    connect(ui->按钮2, &QPushButton::clicked, this, &QDialog::reject);
    // Saving is the window's one action: Enter in any box saves.
    ui->按钮1->setDefault(true);
}

ReadingEditWindow::~ReadingEditWindow() = default;

void ReadingEditWindow::on_edit_reading_end_changed() {
    const UsageAndLoss computed = show_usage();
    if (computed.loss_computed) ui->编辑框_水损->setText(platform::to_text(computed.loss));
}

// The usage the save writes, from the boxes as they stand; empty when the meter account is gone
// (the save then refuses).
UsageAndLoss ReadingEditWindow::show_usage() {
    const UsageAndLoss computed = edit_usage_and_loss(
        store::main_connection(), reading_, platform::to_number(ui->编辑框_起->text()),
        platform::to_number(ui->编辑框_止->text()), platform::to_number(ui->编辑框_水损->text()));
    ui->编辑框_用量->setText(computed.account_found ? platform::to_text(computed.usage)
                                                    : QString());
    return computed;
}

void ReadingEditWindow::on_edit_reading_save_click() {
    auto progress = std::make_unique<lists::ProgressScope>(parentWidget());
    CommitHooks bar;
    bar.progress_maximum = [&progress](int steps) { progress->set_maximum(steps); };
    bar.progress_step = [&progress] { progress->step(); };
    const EditOutcome outcome = correct_reading(
        store::main_connection(), reading_, platform::to_number(ui->编辑框_起->text()),
        platform::to_number(ui->编辑框_止->text()), platform::to_number(ui->编辑框_水损->text()),
        ui->日期框1->date(), shell::program_context(), bar);
    progress.reset();
    if (outcome.log_failed) platform::inform(QStringLiteral("添加日志失败！"));
    if (!outcome.message.isEmpty()) platform::inform(outcome.message);
    if (outcome.ok)
        accept();
    else if (outcome.refused)
        reject();  // paid or changed meanwhile: nothing left to save here
}

}  // namespace reading
