#include "reports/report_designer_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/dialogs.h"
#include "platform/files.h"
#include "reports/print_database.h"
#include "reports/print_parameters.h"
#include "reports/report_engine.h"
#include "reports/template_designer.h"
#include "shell/main_window.h"
#include "shell/report_designer_host.h"

namespace reports {

namespace {

// The program-wide holders exist from start-up on; a window opened without them (a test that
// skipped start-up) makes them.
void ensure_designer_objects() {
    if (!shell::designer_report)
        shell::designer_report = std::make_unique<shell::ComponentHolder>();
    if (!shell::designer_ocx) shell::designer_ocx = std::make_unique<shell::ComponentHolder>();
    if (!shell::designer_host) {
        shell::designer_host = std::make_unique<shell::ReportDesigner>();
        shell::init_report_designer_host(*shell::designer_host);
    }
}

}  // namespace

ReportDesignerWindow::ReportDesignerWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ReportDesignerWindow"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    on_report_designer_created();
}

ReportDesignerWindow::~ReportDesignerWindow() { release(); }

void ReportDesignerWindow::on_report_designer_created() {
    ensure_designer_objects();
    setWindowState(windowState() | Qt::WindowMaximized);
    setWindowTitle(designer_template_name + QStringLiteral("报表设计"));
    shell::designer_report->object = std::make_shared<ReportEngine>();

    QSize area(1280, 800);
    if (shell::MainWindow* main = shell::main_window())
        area = main->size();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableSize();
    if (!shell::designer_host->designer_create_window(this, 0, 0, area.width() - 30,
                                                      area.height() - 50)) {
        platform::message_box(QStringLiteral("不能实例化报表设计器"), platform::kDefaultCaption,
                              platform::MsgIcon::Information, platform::MsgButtons::Ok, this);
        shell::designer_host->designer_release();
        return;
    }
    // The host window fills this window as it is resized.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(shell::designer_host->host_window());
    resize(area.width() - 30, area.height() - 50);

    TemplateDesigner* control = designer();
    if (control) {
        shell::designer_ocx->object = std::shared_ptr<QObject>(std::shared_ptr<QObject>(), control);
        connect(control, &TemplateDesigner::save_requested, this,
                [this] { on_designer_save_question(); });
    }

    ReportEngine* engine = report();
    const ReceiptTemplate* receipt = find_receipt_template(designer_template_name);
    if (receipt) {
        designer_template_path = platform::app_path(receipt->file);
        if (!engine->LoadFromFile(designer_template_path))
            platform::message_box(QStringLiteral("加载报表模板失败！"), platform::kDefaultCaption,
                                  platform::MsgIcon::Information, platform::MsgButtons::Ok, this);
        engine->Title(designer_template_name + QStringLiteral("设计"));
        engine->ConnectionString(print_connection_text());
        engine->QuerySQL(receipt->query);
        if (ReportDetailGrid grid = engine->DetailGrid();
            !grid.empty() && !receipt->detail_query.isEmpty()) {
            grid.Recordset().ConnectionString(print_connection_text());
            grid.Recordset().QuerySQL(receipt->detail_query);
        }
    }
    shell::designer_host->designer_put_report(engine);
}

TemplateDesigner* ReportDesignerWindow::designer() const {
    if (!shell::designer_host) return nullptr;
    return dynamic_cast<TemplateDesigner*>(shell::designer_host->designer_get_object().get());
}

ReportEngine* ReportDesignerWindow::report() const {
    if (!shell::designer_report) return nullptr;
    return qobject_cast<ReportEngine*>(shell::designer_report->object.get());
}

void ReportDesignerWindow::on_designer_save_question() {
    if (!shell::designer_host) return;
    const bool dirty = shell::designer_host->designer_get_dirty();
    shell::designer_host->designer_default_action(false);
    shell::designer_host->designer_post();
    if (designer_template_path.isEmpty() || !dirty) return;
    if (platform::message_box(QStringLiteral("是否保存设计模板?"), QStringLiteral("提示"),
                              platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                              this) != platform::MsgResult::Yes)
        return;
    ReportEngine* engine = report();
    const bool saved = engine && engine->SaveToFile(designer_template_path);
    platform::message_box(saved ? QStringLiteral("模板保存成功!") : QStringLiteral("模板保存失败!"),
                          platform::kDefaultCaption, platform::MsgIcon::Information,
                          platform::MsgButtons::Ok, this);
    // What is saved is no longer a change to ask about.
    if (saved)
        if (TemplateDesigner* control = designer()) control->set_dirty(false);
}

void ReportDesignerWindow::done(int result) {
    if (!released_) {
        on_designer_save_question();
        release();
    }
    QDialog::done(result);
}

void ReportDesignerWindow::release() {
    if (released_) return;
    released_ = true;
    if (shell::designer_ocx) shell::designer_ocx->object.reset();
    if (shell::designer_host) shell::designer_host->designer_release();
    if (shell::designer_report) shell::designer_report->object.reset();
}

}  // namespace reports
