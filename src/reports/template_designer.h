#pragma once
// The template designer control that the designer host puts into ReportDesignerWindow: the page
// of a receipt template drawn to scale with its header band, detail table and footer band.
// The user selects an item (or a detail column) with the mouse, drags it to move it, drags its
// lower right corner to resize it, edits its text, field binding, place, size and font in the
// panel on the right, adds text and field items bound to the print database's columns and
// deletes items. Edits change the control's own copy of the template; post() hands that copy
// to the report, and "保存模板" raises the host's save question (the component's event 7).
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "reports/report_template.h"
#include "shell/report_designer_host.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPushButton;

namespace reports {

class ReportEngine;
class DesignerCanvas;

enum class DesignBand { None, Header, Detail, Footer };

struct DesignSelection {
    DesignBand band = DesignBand::None;
    int index = -1;  // item of the band, or column of the detail table
    bool valid() const { return band != DesignBand::None && index >= 0; }
};

class TemplateDesigner : public QWidget, public shell::DesignerControl {
    Q_OBJECT

public:
    explicit TemplateDesigner(QWidget* parent = nullptr);

    // ---- shell::DesignerControl ----
    void set_report(QObject* report) override;
    bool dirty() const override { return dirty_; }
    void set_default_action(bool value) override { default_action_ = value; }
    void post() override;

    // ---- what the window and tests use ----
    const ReportTemplate& design() const { return design_; }
    void set_dirty(bool value) { dirty_ = value; }
    bool default_action() const { return default_action_; }
    DesignSelection selection() const { return selection_; }
    void select(DesignSelection selection);
    // The columns field items may be bound to (the report's query) and those of the detail
    // table (its record set's query).
    const QStringList& fields() const { return fields_; }
    const QStringList& detail_fields() const { return detail_fields_; }

    // Edits of the selection, as the mouse and the panel make them; each marks the design
    // changed. Lengths are millimetres.
    void move_selection(double dx, double dy);
    void resize_selection(double w, double h);
    void set_selection_text(const QString& text);
    void set_selection_field(const QString& field);
    void add_text_item();
    void add_field_item(const QString& field);
    void delete_selection();
    // Shows the design as it would print, with the rows the last receipt left in the print
    // database.
    void preview();

    // Where an item (or detail column) lies on the page, millimetres from the paper's corner.
    QRectF selection_rect_mm(DesignSelection selection) const;
    // The topmost thing under a point of the page.
    DesignSelection hit_test(QPointF page_mm) const;
    // Top of each band on the design page.
    double band_top(DesignBand band) const;
    DesignerCanvas* canvas() const { return canvas_; }

signals:
    // The user asked to save (the designer component's event 7).
    void save_requested();
    void design_changed();

private:
    void changed();
    void refresh_panel();
    void apply_panel();
    TemplateItem* selected_item();
    TemplateColumn* selected_column();
    TemplateBand* band(DesignBand which);

    ReportTemplate design_;
    QPointer<ReportEngine> report_;
    QStringList fields_;
    QStringList detail_fields_;
    DesignSelection selection_;
    bool dirty_ = false;
    bool default_action_ = true;
    bool filling_panel_ = false;

    DesignerCanvas* canvas_ = nullptr;
    QPushButton* save_button_ = nullptr;
    QComboBox* new_field_box_ = nullptr;
    QLineEdit* text_edit_ = nullptr;
    QComboBox* field_box_ = nullptr;
    QDoubleSpinBox* x_box_ = nullptr;
    QDoubleSpinBox* y_box_ = nullptr;
    QDoubleSpinBox* w_box_ = nullptr;
    QDoubleSpinBox* h_box_ = nullptr;
    QDoubleSpinBox* size_box_ = nullptr;
    QCheckBox* bold_box_ = nullptr;
    QCheckBox* border_box_ = nullptr;
    QComboBox* align_box_ = nullptr;
};

// Draws the design page and turns mouse drags into moves and resizes.
class DesignerCanvas : public QWidget {
    Q_OBJECT

public:
    explicit DesignerCanvas(TemplateDesigner* designer);
    static constexpr double kPixelsPerMm = 4.0;
    QSize sizeHint() const override;
    QPointF to_mm(QPointF pixels) const { return pixels / kPixelsPerMm; }
    QPointF to_pixels(QPointF mm) const { return mm * kPixelsPerMm; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Drag { None, Move, Resize };
    TemplateDesigner* designer_;
    Drag drag_ = Drag::None;
    QPointF last_mm_;
};

// Makes the designer hosts put a TemplateDesigner into their windows.
void install_template_designer();

}  // namespace reports
