#include "reports/template_designer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/files.h"
#include "reports/print_database.h"
#include "reports/report_engine.h"
#include "store/main_database.h"

namespace reports {

namespace {

// Sample rows the design page shows in the detail table.
constexpr int kSampleRows = 3;
// How close to an item's lower right corner a press starts a resize, millimetres.
constexpr double kHandleMm = 2.0;

QStringList column_names(const ReportEngine& report, bool detail) {
    ReportRows rows = detail ? report.read_detail_rows() : report.read_rows();
    if (!rows.names.isEmpty()) return rows.names;
    // No receipt printed yet: the shipped print database has the same tables, empty.
    ReportEngine shipped;
    shipped.set_report_template(report.report_template());
    const QString text = QStringLiteral("ODBC;DBQ=") +
                         platform::app_path(platform::kShippedPrintDatabaseFile) + QLatin1Char(';');
    if (detail) {
        shipped.set_detail_source(text, report.detail_query());
        return shipped.read_detail_rows().names;
    }
    shipped.ConnectionString(text);
    shipped.QuerySQL(report.query());
    return shipped.read_rows().names;
}

QDoubleSpinBox* length_box(const QString& name, double max = 1000) {
    auto* box = new QDoubleSpinBox;
    box->setObjectName(name);
    box->setRange(0, max);
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" mm"));
    return box;
}

}  // namespace

// ---- TemplateDesigner --------------------------------------------------------------------------

TemplateDesigner::TemplateDesigner(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TemplateDesigner"));
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);

    auto* tools = new QHBoxLayout;
    save_button_ = new QPushButton(QStringLiteral("保存模板"));
    save_button_->setObjectName(QStringLiteral("按钮_保存模板"));
    auto* add_text = new QPushButton(QStringLiteral("添加文本"));
    add_text->setObjectName(QStringLiteral("按钮_添加文本"));
    new_field_box_ = new QComboBox;
    new_field_box_->setObjectName(QStringLiteral("组合框_新字段"));
    new_field_box_->setMinimumContentsLength(10);
    auto* add_field = new QPushButton(QStringLiteral("添加字段"));
    add_field->setObjectName(QStringLiteral("按钮_添加字段"));
    auto* remove = new QPushButton(QStringLiteral("删除"));
    remove->setObjectName(QStringLiteral("按钮_删除项目"));
    auto* show_preview = new QPushButton(QStringLiteral("预览"));
    show_preview->setObjectName(QStringLiteral("按钮_预览"));
    tools->addWidget(save_button_);
    tools->addSpacing(16);
    tools->addWidget(add_text);
    tools->addWidget(new QLabel(QStringLiteral("字段：")));
    tools->addWidget(new_field_box_);
    tools->addWidget(add_field);
    tools->addWidget(remove);
    tools->addSpacing(16);
    tools->addWidget(show_preview);
    tools->addStretch();
    root->addLayout(tools);

    auto* body = new QHBoxLayout;
    canvas_ = new DesignerCanvas(this);
    auto* scroll = new QScrollArea;
    scroll->setWidget(canvas_);
    scroll->setAlignment(Qt::AlignCenter);
    scroll->setBackgroundRole(QPalette::Dark);
    body->addWidget(scroll, 1);

    auto* panel = new QGroupBox(QStringLiteral("属性"));
    panel->setObjectName(QStringLiteral("分组框_属性"));
    auto* form = new QFormLayout(panel);
    text_edit_ = new QLineEdit;
    text_edit_->setObjectName(QStringLiteral("编辑框_项目文本"));
    field_box_ = new QComboBox;
    field_box_->setObjectName(QStringLiteral("组合框_项目字段"));
    x_box_ = length_box(QStringLiteral("数值框_左"));
    y_box_ = length_box(QStringLiteral("数值框_上"));
    w_box_ = length_box(QStringLiteral("数值框_宽"));
    h_box_ = length_box(QStringLiteral("数值框_高"));
    size_box_ = new QDoubleSpinBox;
    size_box_->setObjectName(QStringLiteral("数值框_字号"));
    size_box_->setRange(4, 72);
    size_box_->setDecimals(1);
    bold_box_ = new QCheckBox(QStringLiteral("粗体"));
    bold_box_->setObjectName(QStringLiteral("选择框_粗体"));
    border_box_ = new QCheckBox(QStringLiteral("边框"));
    border_box_->setObjectName(QStringLiteral("选择框_边框"));
    align_box_ = new QComboBox;
    align_box_->setObjectName(QStringLiteral("组合框_对齐"));
    align_box_->addItems(
        {QStringLiteral("左对齐"), QStringLiteral("居中"), QStringLiteral("右对齐")});
    form->addRow(QStringLiteral("文本："), text_edit_);
    form->addRow(QStringLiteral("字段："), field_box_);
    form->addRow(QStringLiteral("左："), x_box_);
    form->addRow(QStringLiteral("上："), y_box_);
    form->addRow(QStringLiteral("宽："), w_box_);
    form->addRow(QStringLiteral("高："), h_box_);
    form->addRow(QStringLiteral("字号："), size_box_);
    form->addRow(QStringLiteral("对齐："), align_box_);
    form->addRow(QString(), bold_box_);
    form->addRow(QString(), border_box_);
    panel->setMinimumWidth(260);
    body->addWidget(panel);
    root->addLayout(body, 1);

    connect(save_button_, &QPushButton::clicked, this, &TemplateDesigner::save_requested);
    auto* save_key = new QShortcut(QKeySequence::Save, this);
    connect(save_key, &QShortcut::activated, this, &TemplateDesigner::save_requested);
    connect(add_text, &QPushButton::clicked, this, [this] { add_text_item(); });
    connect(add_field, &QPushButton::clicked, this,
            [this] { add_field_item(new_field_box_->currentText()); });
    connect(remove, &QPushButton::clicked, this, [this] { delete_selection(); });
    connect(show_preview, &QPushButton::clicked, this, [this] { preview(); });
    connect(text_edit_, &QLineEdit::textEdited, this, [this] { apply_panel(); });
    connect(field_box_, &QComboBox::currentTextChanged, this, [this] { apply_panel(); });
    for (QDoubleSpinBox* box : {x_box_, y_box_, w_box_, h_box_, size_box_})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { apply_panel(); });
    for (QCheckBox* box : {bold_box_, border_box_})
        connect(box, &QCheckBox::toggled, this, [this] { apply_panel(); });
    connect(align_box_, &QComboBox::currentIndexChanged, this, [this] { apply_panel(); });
    // Inside a dialog every button would be a default one, and Enter in a property box would
    // press "保存模板"; Enter there only finishes the value.
    for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
    refresh_panel();
}

void TemplateDesigner::set_report(QObject* report) {
    report_ = qobject_cast<ReportEngine*>(report);
    design_ = report_ ? report_->report_template() : ReportTemplate{};
    fields_ = report_ ? column_names(*report_, false) : QStringList();
    detail_fields_ = report_ && design_.detail ? column_names(*report_, true) : QStringList();
    new_field_box_->clear();
    new_field_box_->addItems(fields_);
    selection_ = {};
    dirty_ = false;
    canvas_->updateGeometry();
    canvas_->resize(canvas_->sizeHint());
    refresh_panel();
    canvas_->update();
}

void TemplateDesigner::post() {
    if (report_) report_->set_report_template(design_);
}

TemplateBand* TemplateDesigner::band(DesignBand which) {
    if (which == DesignBand::Header) return &design_.header;
    if (which == DesignBand::Footer) return &design_.footer;
    return nullptr;
}

TemplateItem* TemplateDesigner::selected_item() {
    TemplateBand* b = band(selection_.band);
    if (!b || selection_.index < 0 || selection_.index >= static_cast<int>(b->items.size()))
        return nullptr;
    return &b->items[static_cast<size_t>(selection_.index)];
}

TemplateColumn* TemplateDesigner::selected_column() {
    if (selection_.band != DesignBand::Detail || !design_.detail) return nullptr;
    auto& columns = design_.detail->columns;
    if (selection_.index < 0 || selection_.index >= static_cast<int>(columns.size()))
        return nullptr;
    return &columns[static_cast<size_t>(selection_.index)];
}

void TemplateDesigner::select(DesignSelection selection) {
    selection_ = selection;
    if (!selected_item() && !selected_column()) selection_ = {};
    refresh_panel();
    canvas_->update();
}

void TemplateDesigner::changed() {
    dirty_ = true;
    canvas_->update();
    emit design_changed();
}

void TemplateDesigner::move_selection(double dx, double dy) {
    if (TemplateItem* it = selected_item()) {
        it->x = std::clamp(it->x + dx, 0.0, 999.0);
        it->y = std::clamp(it->y + dy, 0.0, 999.0);
        refresh_panel();
        changed();
    }
}

void TemplateDesigner::resize_selection(double w, double h) {
    w = std::clamp(w, 1.0, 999.0);
    h = std::clamp(h, 1.0, 999.0);
    if (TemplateItem* it = selected_item()) {
        it->w = w;
        it->h = h;
    } else if (TemplateColumn* c = selected_column()) {
        c->width = w;
    } else {
        return;
    }
    refresh_panel();
    changed();
}

void TemplateDesigner::set_selection_text(const QString& text) {
    if (TemplateItem* it = selected_item()) {
        if (it->kind != ItemKind::Text) return;
        it->text = text;
    } else if (TemplateColumn* c = selected_column()) {
        c->title = text;
    } else {
        return;
    }
    refresh_panel();
    changed();
}

void TemplateDesigner::set_selection_field(const QString& field) {
    if (field.trimmed().isEmpty()) return;
    if (TemplateItem* it = selected_item()) {
        if (it->kind != ItemKind::Field) return;
        it->field = field;
        it->name = field;
    } else if (TemplateColumn* c = selected_column()) {
        c->field = field;
    } else {
        return;
    }
    refresh_panel();
    changed();
}

void TemplateDesigner::add_text_item() {
    TemplateItem it;
    it.kind = ItemKind::Text;
    it.text = QStringLiteral("文本");
    it.x = 2;
    it.y = 2;
    it.w = 30;
    it.h = 6;
    it.font = design_.font;
    design_.header.items.push_back(it);
    select({DesignBand::Header, static_cast<int>(design_.header.items.size()) - 1});
    changed();
}

void TemplateDesigner::add_field_item(const QString& field) {
    if (field.trimmed().isEmpty()) return;
    TemplateItem it;
    it.kind = ItemKind::Field;
    it.field = field;
    it.name = field;
    it.x = 2;
    it.y = 2;
    it.w = 40;
    it.h = 6;
    it.font = design_.font;
    design_.header.items.push_back(it);
    select({DesignBand::Header, static_cast<int>(design_.header.items.size()) - 1});
    changed();
}

void TemplateDesigner::delete_selection() {
    if (TemplateBand* b = band(selection_.band); b && selected_item()) {
        b->items.erase(b->items.begin() + selection_.index);
    } else if (selected_column() && design_.detail->columns.size() > 1) {
        // A detail table keeps at least one column: a template without any is not sound.
        design_.detail->columns.erase(design_.detail->columns.begin() + selection_.index);
    } else {
        return;
    }
    select({});
    changed();
}

void TemplateDesigner::preview() {
    ReportEngine shown;
    shown.set_report_template(design_);
    if (report_) {
        shown.Title(report_->title());
        shown.ConnectionString(report_->connection_text());
        shown.QuerySQL(report_->query());
        shown.set_detail_source(report_->detail_connection_text(), report_->detail_query());
    }
    shown.set_text_variable(QStringLiteral("单位信息"),
                            office_name(store::main_connection(), shell::system_parameters));
    shown.PrintPreview(true);
}

double TemplateDesigner::band_top(DesignBand which) const {
    const double header_top = design_.page.top;
    if (which == DesignBand::Header) return header_top;
    const double detail_top = header_top + design_.header.height;
    if (which == DesignBand::Detail) return detail_top;
    const double detail_height =
        design_.detail ? design_.detail->header_height + kSampleRows * design_.detail->row_height
                       : 0;
    return detail_top + detail_height;
}

QRectF TemplateDesigner::selection_rect_mm(DesignSelection s) const {
    if (s.band == DesignBand::Header || s.band == DesignBand::Footer) {
        const TemplateBand& b = s.band == DesignBand::Header ? design_.header : design_.footer;
        if (s.index < 0 || s.index >= static_cast<int>(b.items.size())) return {};
        const TemplateItem& it = b.items[static_cast<size_t>(s.index)];
        return QRectF(design_.page.left + it.x, band_top(s.band) + it.y, it.w, it.h);
    }
    if (s.band == DesignBand::Detail && design_.detail) {
        const auto& columns = design_.detail->columns;
        if (s.index < 0 || s.index >= static_cast<int>(columns.size())) return {};
        double x = design_.page.left;
        for (int i = 0; i < s.index; ++i) x += columns[static_cast<size_t>(i)].width;
        return QRectF(x, band_top(DesignBand::Detail), columns[static_cast<size_t>(s.index)].width,
                      design_.detail->header_height + kSampleRows * design_.detail->row_height);
    }
    return {};
}

DesignSelection TemplateDesigner::hit_test(QPointF p) const {
    for (DesignBand which : {DesignBand::Footer, DesignBand::Header}) {
        const TemplateBand& b = which == DesignBand::Header ? design_.header : design_.footer;
        for (int i = static_cast<int>(b.items.size()) - 1; i >= 0; --i)
            if (selection_rect_mm({which, i}).adjusted(-0.5, -0.5, 0.5, 0.5).contains(p))
                return {which, i};
    }
    if (design_.detail)
        for (int i = 0; i < static_cast<int>(design_.detail->columns.size()); ++i)
            if (selection_rect_mm({DesignBand::Detail, i}).contains(p))
                return {DesignBand::Detail, i};
    return {};
}

void TemplateDesigner::refresh_panel() {
    filling_panel_ = true;
    const TemplateItem* it = selected_item();
    const TemplateColumn* c = selected_column();
    const QRectF r = selection_rect_mm(selection_);
    text_edit_->setEnabled((it && it->kind == ItemKind::Text) || c);
    text_edit_->setText(it ? it->text : c ? c->title : QString());
    field_box_->clear();
    const bool detail = c != nullptr;
    field_box_->addItems(detail ? detail_fields_ : fields_);
    const QString field = it ? it->field : c ? c->field : QString();
    if (!field.isEmpty() && field_box_->findText(field) < 0) field_box_->addItem(field);
    if (field.isEmpty())
        field_box_->setCurrentIndex(-1);
    else
        field_box_->setCurrentText(field);
    field_box_->setEnabled((it && it->kind == ItemKind::Field) || c);
    x_box_->setEnabled(it);
    y_box_->setEnabled(it);
    w_box_->setEnabled(it || c);
    h_box_->setEnabled(it);
    x_box_->setValue(it ? it->x : 0);
    y_box_->setValue(it ? it->y : 0);
    w_box_->setValue(r.width());
    h_box_->setValue(it ? it->h : r.height());
    size_box_->setEnabled(it);
    bold_box_->setEnabled(it);
    border_box_->setEnabled(it);
    align_box_->setEnabled(it || c);
    size_box_->setValue(it ? it->font.size : 10);
    bold_box_->setChecked(it && it->font.bold);
    border_box_->setChecked(it && it->border);
    const ItemAlign align = it ? it->align : c ? c->align : ItemAlign::Left;
    align_box_->setCurrentIndex(align == ItemAlign::Center ? 1 : align == ItemAlign::Right ? 2 : 0);
    filling_panel_ = false;
}

void TemplateDesigner::apply_panel() {
    if (filling_panel_) return;
    const ItemAlign align = align_box_->currentIndex() == 1   ? ItemAlign::Center
                            : align_box_->currentIndex() == 2 ? ItemAlign::Right
                                                              : ItemAlign::Left;
    if (TemplateItem* it = selected_item()) {
        if (it->kind == ItemKind::Text) it->text = text_edit_->text();
        if (it->kind == ItemKind::Field && !field_box_->currentText().isEmpty()) {
            it->field = field_box_->currentText();
            it->name = it->field;
        }
        it->x = x_box_->value();
        it->y = y_box_->value();
        it->w = std::max(1.0, w_box_->value());
        it->h = std::max(1.0, h_box_->value());
        it->font.size = size_box_->value();
        it->font.bold = bold_box_->isChecked();
        it->border = border_box_->isChecked();
        it->align = align;
    } else if (TemplateColumn* c = selected_column()) {
        c->title = text_edit_->text();
        if (!field_box_->currentText().isEmpty()) c->field = field_box_->currentText();
        c->width = std::max(1.0, w_box_->value());
        c->align = align;
    } else {
        return;
    }
    changed();
}

// ---- DesignerCanvas ----------------------------------------------------------------------------

DesignerCanvas::DesignerCanvas(TemplateDesigner* designer) : QWidget(nullptr), designer_(designer) {
    setObjectName(QStringLiteral("设计画布"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAutoFillBackground(true);
    resize(sizeHint());
}

QSize DesignerCanvas::sizeHint() const {
    const ReportTemplate& t = designer_->design();
    const double height = std::max(
        t.page.height, designer_->band_top(DesignBand::Footer) + t.footer.height + t.page.bottom);
    return QSize(static_cast<int>(t.page.width * kPixelsPerMm) + 1,
                 static_cast<int>(height * kPixelsPerMm) + 1);
}

void DesignerCanvas::paintEvent(QPaintEvent*) {
    const ReportTemplate& t = designer_->design();
    if (size() != sizeHint()) resize(sizeHint());
    QPainter p(this);
    p.fillRect(rect(), palette().dark());
    p.fillRect(QRectF(0, 0, t.page.width * kPixelsPerMm, t.page.height * kPixelsPerMm), Qt::white);
    const auto px = [](double mm) { return mm * kPixelsPerMm; };
    const double left = t.page.left, content_w = t.page.width - t.page.left - t.page.right;

    // Band outlines with their names.
    const auto band_outline = [&](DesignBand which, double height, const QString& name) {
        const QRectF r(px(left), px(designer_->band_top(which)), px(content_w), px(height));
        p.setPen(QPen(QColor(170, 190, 230), 1, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
        QFont f = font();
        f.setPointSizeF(7);
        p.setFont(f);
        p.setPen(QColor(120, 140, 200));
        p.drawText(r.adjusted(2, 1, -2, -1), Qt::AlignRight | Qt::AlignTop, name);
    };
    band_outline(DesignBand::Header, t.header.height, QStringLiteral("报表头"));
    band_outline(DesignBand::Footer, t.footer.height, QStringLiteral("报表尾"));

    const auto draw_box = [&](const QRectF& r, const QString& text, const TemplateFont& tf,
                              ItemAlign align, bool border, bool field) {
        if (border) {
            p.setPen(QPen(Qt::black, 1));
            p.drawRect(r);
        }
        QFont f = font();
        f.setPixelSize(std::max(1, static_cast<int>(tf.size * 25.4 / 72.0 * kPixelsPerMm + 0.5)));
        f.setBold(tf.bold);
        p.setFont(f);
        p.setPen(field ? QColor(0, 70, 170) : Qt::black);
        const Qt::Alignment a = align == ItemAlign::Center  ? Qt::AlignHCenter
                                : align == ItemAlign::Right ? Qt::AlignRight
                                                            : Qt::AlignLeft;
        // A field's placeholder stays on one line, cut at the box, as its value would print.
        const QRectF inner = r.adjusted(2, 0, -2, 0);
        if (field)
            p.drawText(
                inner, a | Qt::AlignVCenter,
                p.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(inner.width())));
        else
            p.drawText(inner, a | Qt::AlignVCenter | Qt::TextWordWrap, text);
    };

    for (DesignBand which : {DesignBand::Header, DesignBand::Footer}) {
        const TemplateBand& b = which == DesignBand::Header ? t.header : t.footer;
        for (int i = 0; i < static_cast<int>(b.items.size()); ++i) {
            const TemplateItem& it = b.items[static_cast<size_t>(i)];
            const QRectF mm = designer_->selection_rect_mm({which, i});
            const QRectF r(to_pixels(mm.topLeft()), to_pixels(mm.bottomRight()));
            p.setPen(QPen(QColor(200, 200, 200), 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(r);
            if (it.kind == ItemKind::Picture) {
                const QImage image = QImage::fromData(it.picture);
                if (!image.isNull())
                    p.drawImage(QRectF(r.topLeft(),
                                       QSizeF(image.size()).scaled(r.size(), Qt::KeepAspectRatio)),
                                image);
                continue;
            }
            draw_box(r,
                     it.kind == ItemKind::Field
                         ? QStringLiteral("[") + it.field + QStringLiteral("]")
                         : it.text,
                     it.font, it.align, it.border, it.kind == ItemKind::Field);
        }
    }

    if (t.detail) {
        const TemplateDetail& d = *t.detail;
        double x = left;
        const double top = designer_->band_top(DesignBand::Detail);
        TemplateFont bold = d.font;
        bold.bold = true;
        for (const TemplateColumn& c : d.columns) {
            draw_box(QRectF(px(x), px(top), px(c.width), px(d.header_height)), c.title, bold,
                     ItemAlign::Center, true, false);
            for (int r = 0; r < kSampleRows; ++r)
                draw_box(QRectF(px(x), px(top + d.header_height + r * d.row_height), px(c.width),
                                px(d.row_height)),
                         r == 0 ? QStringLiteral("[") + c.field + QStringLiteral("]") : QString(),
                         d.font, c.align, true, true);
            x += c.width;
        }
    }

    const DesignSelection s = designer_->selection();
    if (s.valid()) {
        const QRectF mm = designer_->selection_rect_mm(s);
        const QRectF r(to_pixels(mm.topLeft()), to_pixels(mm.bottomRight()));
        p.setPen(QPen(QColor(220, 40, 40), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r);
        p.fillRect(QRectF(r.bottomRight() - QPointF(6, 6), QSizeF(6, 6)), QColor(220, 40, 40));
    }
}

void DesignerCanvas::mousePressEvent(QMouseEvent* event) {
    setFocus();
    const QPointF mm = to_mm(event->position());
    const DesignSelection current = designer_->selection();
    const QRectF selected = designer_->selection_rect_mm(current);
    if (current.valid() && QRectF(selected.bottomRight() - QPointF(kHandleMm, kHandleMm),
                                  QSizeF(kHandleMm * 2, kHandleMm * 2))
                               .contains(mm)) {
        drag_ = Drag::Resize;
    } else {
        designer_->select(designer_->hit_test(mm));
        drag_ = designer_->selection().band == DesignBand::Detail ? Drag::None : Drag::Move;
        if (!designer_->selection().valid()) drag_ = Drag::None;
    }
    last_mm_ = mm;
}

void DesignerCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPointF mm = to_mm(event->position());
    if (drag_ == Drag::Move) {
        designer_->move_selection(mm.x() - last_mm_.x(), mm.y() - last_mm_.y());
        last_mm_ = mm;
    } else if (drag_ == Drag::Resize) {
        const QRectF r = designer_->selection_rect_mm(designer_->selection());
        designer_->resize_selection(mm.x() - r.left(), mm.y() - r.top());
    }
}

void DesignerCanvas::mouseReleaseEvent(QMouseEvent*) { drag_ = Drag::None; }

void DesignerCanvas::keyPressEvent(QKeyEvent* event) {
    const double step = event->modifiers() & Qt::ShiftModifier ? 5.0 : 0.5;
    switch (event->key()) {
        case Qt::Key_Delete:
            designer_->delete_selection();
            return;
        case Qt::Key_Left:
            designer_->move_selection(-step, 0);
            return;
        case Qt::Key_Right:
            designer_->move_selection(step, 0);
            return;
        case Qt::Key_Up:
            designer_->move_selection(0, -step);
            return;
        case Qt::Key_Down:
            designer_->move_selection(0, step);
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void install_template_designer() {
    shell::set_designer_factory(
        [](QWidget* host_window) -> std::shared_ptr<shell::DesignerControl> {
            auto* designer = new TemplateDesigner(host_window);
            auto* layout = new QVBoxLayout(host_window);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->addWidget(designer);
            designer->show();
            // The host window owns the widget; the last holder of the control deletes it unless the
            // host window has done so already.
            QPointer<TemplateDesigner> guard(designer);
            return std::shared_ptr<shell::DesignerControl>(
                designer, [guard](shell::DesignerControl*) { delete guard.data(); });
        });
}

}  // namespace reports
