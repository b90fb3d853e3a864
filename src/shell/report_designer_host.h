#pragma once
// The host of the receipt-template designer. One instance, designer_host, lives for the whole
// run: created empty at start-up, it creates the designer control inside a window of the
// template-designer window each time that window opens, forwards the few members the program
// uses, and releases the control when the window closes. The control itself belongs to the
// reporting side, which supplies it through set_designer_factory(); without one, creation
// fails as it did when the designer component was not installed.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QObject;

namespace shell {

// What the hosted designer offers the program: the template it edits, whether it changed,
// the default action of its save question, and handing pending edits to the template.
class DesignerControl {
public:
    virtual ~DesignerControl() = default;
    virtual void set_report(QObject* report) = 0;
    virtual bool dirty() const = 0;
    virtual void set_default_action(bool value) = 0;
    virtual void post() = 0;
};

// Makes the control inside the host window; null when it cannot be made.
using DesignerFactory = std::function<std::shared_ptr<DesignerControl>(QWidget* host_window)>;
void set_designer_factory(DesignerFactory factory);

class ReportDesigner {
public:
    ReportDesigner() = default;
    ~ReportDesigner();

    // Releases the control and frees the host window.
    void designer_destroy();
    // A copy sharing the same control and windows.
    std::unique_ptr<ReportDesigner> designer_clone() const;
    // Releases the control; the host window stays.
    void designer_release();
    QWidget* designer_set_parent(QWidget* parent);
    QWidget* designer_get_parent() const;
    // Creates the host window as a child of parent at the given place and size and the control
    // inside it; false without a parent or when no control could be made.
    bool designer_create_window(QWidget* parent, int left, int top, int width, int height);
    std::shared_ptr<DesignerControl> designer_get_object() const;
    // The forwarding members do nothing while there is no control.
    void designer_put_report(QObject* report);
    bool designer_get_dirty() const;
    void designer_default_action(bool value);
    void designer_post();

    QWidget* host_window() const { return host_window_; }

private:
    std::shared_ptr<DesignerControl> designer_;
    QPointer<QWidget> host_window_;
    QPointer<QWidget> parent_;
};

// Holds one component object of the reporting side; empty until that side creates it.
struct ComponentHolder {
    std::shared_ptr<QObject> object;
};

// The program-wide objects of the template designer, created by init_program_variables before
// any window and freed at exit.
extern std::unique_ptr<ComponentHolder> designer_report;
extern std::unique_ptr<ReportDesigner> designer_host;
extern std::unique_ptr<ComponentHolder> designer_ocx;

// Run once on designer_host right after it is created. Hosting a control in a window needs no
// initialisation with Qt, so there is nothing to do; callers use no result.
void init_report_designer_host(ReportDesigner& host);

}  // namespace shell
