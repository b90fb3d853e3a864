#include "reports/print_parameters_window.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/dialogs.h"
#include "reports/print_parameters.h"
#include "reports/report_designer_window.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"
#include "ui_print_parameters_window.h"

namespace reports {

PrintParametersWindow::PrintParametersWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::PrintParametersWindow>()) {
    ui->setupUi(this);
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_print_parameters_save_click(); });
    connect(ui->按钮2, &QPushButton::clicked, this, [this] { on_print_parameters_return_click(); });
    connect(ui->按钮_发票设计, &QPushButton::clicked, this,
            [this] { on_print_parameters_design_click(); });
    connect(ui->按钮4, &QPushButton::clicked, this,
            [this] { on_print_parameters_restore_click(); });
    on_print_parameters_created();
}

PrintParametersWindow::~PrintParametersWindow() = default;

void PrintParametersWindow::on_print_parameters_created() {
    const PrintParameters p = load_print_parameters();
    ui->组合框_打印预览->setCurrentIndex(p.preview_index);
    // The copies the charging windows print, the default while none are stored.
    ui->组合框_打印预览1->setEditText(p.copies_text);
    // No template is chosen until the user picks one.
    ui->组合框_当前发票->setCurrentIndex(-1);
}

void PrintParametersWindow::on_print_parameters_save_click() {
    const SaveOutcome out =
        save_print_parameters(store::main_connection(), ui->组合框_打印预览->currentIndex(),
                              ui->组合框_打印预览1->currentText(), shell::program_context());
    if (!out.log_failure.isEmpty())
        platform::message_box(out.log_failure, platform::kDefaultCaption,
                              platform::MsgIcon::Information, platform::MsgButtons::Ok, this);
    platform::message_box(out.message, platform::kDefaultCaption, platform::MsgIcon::Information,
                          platform::MsgButtons::Ok, this);
    if (out.focus_copies) {
        ui->组合框_打印预览1->setFocus();
        return;
    }
    if (out.saved) accept();
}

void PrintParametersWindow::on_print_parameters_design_click() {
    const QString name = ui->组合框_当前发票->currentText();
    if (name.isEmpty()) {
        platform::message_box(QStringLiteral("请选择待设计的发票项目！"), platform::kDefaultCaption,
                              platform::MsgIcon::Information, platform::MsgButtons::Ok, this);
        ui->组合框_当前发票->setFocus();
        return;
    }
    designer_template_name = name;
    ReportDesignerWindow designer(this);
    platform::window_open_modal(&designer);
}

void PrintParametersWindow::on_print_parameters_restore_click() {
    const QString name = ui->组合框_当前发票->currentText();
    if (name.isEmpty()) {
        platform::message_box(QStringLiteral("请选择待设计的发票项目！"), platform::kDefaultCaption,
                              platform::MsgIcon::Information, platform::MsgButtons::Ok, this);
        ui->组合框_当前发票->setFocus();
        return;
    }
    if (platform::message_box(QStringLiteral("确定要恢复") + name + QStringLiteral("到初始状态吗?"),
                              platform::kDefaultCaption, platform::MsgIcon::Question,
                              platform::MsgButtons::YesNo, this) != platform::MsgResult::Yes)
        return;
    const RestoreOutcome out = restore_receipt_template(name);
    if (!out.message.isEmpty())
        platform::message_box(out.message, platform::kDefaultCaption,
                              platform::MsgIcon::Information, platform::MsgButtons::Ok, this);
}

void PrintParametersWindow::on_print_parameters_return_click() { reject(); }

void on_main_menu_print_parameters_click(QWidget* owner) {
    if (!shell::require_permission(QStringLiteral("打印参数设置"))) return;
    PrintParametersWindow window(owner);
    platform::window_open_modal(&window);
}

}  // namespace reports
