#include "shell/report_designer_host.h"

namespace shell {

std::unique_ptr<ComponentHolder> designer_report;
std::unique_ptr<ReportDesigner> designer_host;
std::unique_ptr<ComponentHolder> designer_ocx;

namespace {

DesignerFactory& factory() {
    static DesignerFactory instance;
    return instance;
}

}  // namespace

void set_designer_factory(DesignerFactory f) { factory() = std::move(f); }

ReportDesigner::~ReportDesigner() { designer_release(); }

void ReportDesigner::designer_destroy() {
    designer_release();
    delete host_window_.data();
}

std::unique_ptr<ReportDesigner> ReportDesigner::designer_clone() const {
    auto copy = std::make_unique<ReportDesigner>();
    copy->designer_ = designer_;
    copy->host_window_ = host_window_;
    copy->parent_ = parent_;
    return copy;
}

void ReportDesigner::designer_release() { designer_.reset(); }

QWidget* ReportDesigner::designer_set_parent(QWidget* parent) {
    parent_ = parent;
    return parent;
}

QWidget* ReportDesigner::designer_get_parent() const { return parent_; }

bool ReportDesigner::designer_create_window(QWidget* parent, int left, int top, int width,
                                            int height) {
    parent_ = parent;
    if (!parent) return false;
    auto* window = new QWidget(parent);
    window->setObjectName(QStringLiteral("designer_host_window"));
    window->setGeometry(left, top, width, height);
    window->show();
    host_window_ = window;
    designer_ = factory() ? factory()(window) : nullptr;
    return designer_ != nullptr;
}

std::shared_ptr<DesignerControl> ReportDesigner::designer_get_object() const { return designer_; }

void ReportDesigner::designer_put_report(QObject* report) {
    if (designer_) designer_->set_report(report);
}

bool ReportDesigner::designer_get_dirty() const { return designer_ && designer_->dirty(); }

void ReportDesigner::designer_default_action(bool value) {
    if (designer_) designer_->set_default_action(value);
}

void ReportDesigner::designer_post() {
    if (designer_) designer_->post();
}

void init_report_designer_host(ReportDesigner&) {}

}  // namespace shell
