#pragma once
// ReportDesignerWindow: the receipt-template designer for designer_template_name, maximised,
// with the designer control filling it (through the program-wide designer host). It loads the
// template into a report bound to the print database as the receipt would be, hands it to the
// designer, and asks "是否保存设计模板?" when the user saves in the designer and again when the
// window closes, if the design changed.
#include <QDialog>

namespace reports {

class ReportEngine;
class TemplateDesigner;

class ReportDesignerWindow : public QDialog {
    Q_OBJECT

public:
    explicit ReportDesignerWindow(QWidget* parent = nullptr);
    ~ReportDesignerWindow() override;

    // The designer's save question (its event 7, and before the window closes).
    void on_designer_save_question();

    // Null when the designer could not be made.
    TemplateDesigner* designer() const;
    ReportEngine* report() const;

    void done(int result) override;

private:
    void on_report_designer_created();
    void release();
    bool released_ = false;
};

}  // namespace reports
