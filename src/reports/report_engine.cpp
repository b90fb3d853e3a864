#include "reports/report_engine.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTimer>

#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/query.h"

namespace reports {

namespace {

QString& direct_print_file() {
    static QString path;
    return path;
}

Qt::Alignment qt_align(ItemAlign a) {
    switch (a) {
        case ItemAlign::Center:
            return Qt::AlignHCenter;
        case ItemAlign::Right:
            return Qt::AlignRight;
        case ItemAlign::Left:
            break;
    }
    return Qt::AlignLeft;
}

QFont print_font(const TemplateFont& f) {
    platform::GridFont g;
    g.Name = f.name;
    g.Size = f.size;
    g.Bold = f.bold;
    return platform::resolve_print_font(g);
}

// Millimetres to device pixels.
struct Scale {
    double per_mm;
    double operator()(double mm) const { return mm * per_mm; }
    QRectF rect(double x, double y, double w, double h) const {
        return QRectF((*this)(x), (*this)(y), (*this)(w), (*this)(h));
    }
};

class Painter {
public:
    Painter(const ReportEngine& engine, QPainter& painter, QPagedPaintDevice& device)
        : engine_(engine),
          t_(engine.report_template()),
          p_(painter),
          device_(device),
          s_{device.logicalDpiY() / 25.4},
          master_(engine.read_rows()) {
        if (t_.detail) detail_ = engine.read_detail_rows();
    }

    int run() {
        const TemplatePage& page = t_.page;
        const double bottom = page.height - page.bottom;
        double y = page.top;
        int pages = 1;
        draw_band(t_.header, y);
        y += t_.header.height;
        if (t_.detail) {
            const TemplateDetail& d = *t_.detail;
            draw_detail_header(d, y);
            y += d.header_height;
            for (size_t r = 0; r < detail_.rows.size(); ++r) {
                if (y + d.row_height > bottom + 1e-6) {
                    new_page(pages);
                    y = page.top;
                    draw_detail_header(d, y);
                    y += d.header_height;
                }
                draw_detail_row(d, static_cast<int>(r), y);
                y += d.row_height;
            }
        }
        if (!t_.footer.items.empty() && y + t_.footer.height > bottom + 1e-6 && y > page.top) {
            new_page(pages);
            y = page.top;
        }
        draw_band(t_.footer, y);
        return pages;
    }

private:
    void new_page(int& pages) {
        device_.newPage();
        ++pages;
    }

    void draw_text(const QRectF& box, const QString& text, const TemplateFont& font,
                   ItemAlign align, bool border) {
        if (border) {
            p_.setPen(QPen(Qt::black, s_(0.2)));
            p_.setBrush(Qt::NoBrush);
            p_.drawRect(box);
        }
        if (text.isEmpty()) return;
        p_.setFont(print_font(font));
        p_.setPen(Qt::black);
        const double pad = s_(0.8);
        p_.drawText(box.adjusted(pad, 0, -pad, 0),
                    qt_align(align) | Qt::AlignVCenter | Qt::TextWordWrap, text);
    }

    void draw_band(const TemplateBand& band, double top) {
        const double left = t_.page.left;
        for (const TemplateItem& it : band.items) {
            const QRectF box = s_.rect(left + it.x, top + it.y, it.w, it.h);
            switch (it.kind) {
                case ItemKind::Text:
                    draw_text(box, engine_.expand_text(it.text), it.font, it.align, it.border);
                    break;
                case ItemKind::Field: {
                    const ReportRows::Value v = master_.field_value(0, it.field);
                    draw_text(box, format_template_value(v.text, v.number, v.null, it.format),
                              it.font, it.align, it.border);
                    break;
                }
                case ItemKind::Picture: {
                    const QImage image = QImage::fromData(it.picture);
                    if (image.isNull()) break;
                    const QSizeF fitted =
                        QSizeF(image.size()).scaled(box.size(), Qt::KeepAspectRatio);
                    p_.drawImage(QRectF(box.topLeft(), fitted), image);
                    if (it.border) {
                        p_.setPen(QPen(Qt::black, s_(0.2)));
                        p_.drawRect(box);
                    }
                    break;
                }
            }
        }
    }

    void draw_detail_header(const TemplateDetail& d, double top) {
        double x = t_.page.left;
        TemplateFont bold = d.font;
        bold.bold = true;
        for (const TemplateColumn& c : d.columns) {
            draw_text(s_.rect(x, top, c.width, d.header_height), c.title, bold, ItemAlign::Center,
                      true);
            x += c.width;
        }
    }

    void draw_detail_row(const TemplateDetail& d, int row, double top) {
        double x = t_.page.left;
        for (const TemplateColumn& c : d.columns) {
            const ReportRows::Value v = detail_.field_value(row, c.field);
            draw_text(s_.rect(x, top, c.width, d.row_height),
                      format_template_value(v.text, v.number, v.null, c.format), d.font, c.align,
                      true);
            x += c.width;
        }
    }

    const ReportEngine& engine_;
    const ReportTemplate& t_;
    QPainter& p_;
    QPagedPaintDevice& device_;
    Scale s_;
    ReportRows master_;
    ReportRows detail_;
};

}  // namespace

ReportRows::Value ReportRows::field_value(int row, const QString& name) const {
    const int col = names.indexOf(name, 0);
    int index = col;
    if (index < 0) {
        for (int i = 0; i < names.size(); ++i)
            if (names[i].compare(name, Qt::CaseInsensitive) == 0) index = i;
    }
    if (row < 0 || row >= static_cast<int>(rows.size()) || index < 0) return {};
    return rows[static_cast<size_t>(row)][static_cast<size_t>(index)];
}

void ReportRecordset::ConnectionString(const QString& text) {
    if (engine_) engine_->set_detail_source(text, engine_->detail_query());
}

void ReportRecordset::QuerySQL(const QString& sql) {
    if (engine_) engine_->set_detail_source(engine_->detail_connection_text(), sql);
}

ReportEngine::ReportEngine(QObject* parent) : QObject(parent) {}

bool ReportEngine::LoadFromFile(const QString& path) {
    auto loaded = load_template_file(path, &load_error_);
    if (!loaded) {
        template_ = ReportTemplate{};
        loaded_ = false;
        return false;
    }
    template_ = std::move(*loaded);
    loaded_ = true;
    load_error_.clear();
    return true;
}

bool ReportEngine::SaveToFile(const QString& path) { return save_template_file(template_, path); }

void ReportEngine::set_report_template(const ReportTemplate& report) {
    template_ = report;
    loaded_ = true;
}

void ReportEngine::set_detail_source(const QString& connection_text, const QString& sql) {
    detail_connection_ = connection_text;
    detail_query_ = sql;
}

void ReportEngine::set_text_variable(const QString& name, const QString& value) {
    for (auto& [key, text] : variables_)
        if (key == name) {
            text = value;
            return;
        }
    variables_.emplace_back(name, value);
}

QString ReportEngine::expand_text(const QString& text) const {
    QString out = text;
    for (const auto& [key, value] : variables_)
        out.replace(QLatin1Char('{') + key + QLatin1Char('}'), value);
    return out;
}

QString ReportEngine::database_file(const QString& connection_text) {
    static const QRegularExpression dbq(QStringLiteral("(?:^|;)\\s*DBQ=([^;]*)"),
                                        QRegularExpression::CaseInsensitiveOption);
    const auto match = dbq.match(connection_text);
    if (!match.hasMatch()) return {};
    QString path = match.captured(1).trimmed();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo info(path);
    if (info.isFile()) return info.absoluteFilePath();
    // The program spells the print database both "print.mdb" and "Print.mdb".
    const QDir dir = info.absoluteDir();
    for (const QString& entry : dir.entryList(QDir::Files))
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return {};
}

ReportRows ReportEngine::query_rows(const QString& connection_text, const QString& sql) const {
    ReportRows out;
    const QString file = database_file(connection_text);
    if (file.isEmpty() || sql.trimmed().isEmpty()) return out;
    platform::Connection connection;
    if (!platform::db_open_access_file(connection, file, QString())) return out;
    platform::RecordSet rs;
    if (platform::query_open(rs, connection, sql, platform::OnFailure::Quiet)) {
        const int fields = platform::recordset_field_count(rs);
        for (int i = 0; i < fields; ++i) out.names << platform::recordset_field_name(rs, i);
        for (; !platform::recordset_eof(rs); platform::recordset_move_next(rs)) {
            std::vector<ReportRows::Value> row;
            for (int i = 0; i < fields; ++i)
                row.push_back({platform::recordset_field_text(rs, i),
                               platform::recordset_field_number(rs, i),
                               platform::recordset_field_is_null(rs, i)});
            out.rows.push_back(std::move(row));
        }
    }
    platform::recordset_close(rs);
    platform::db_close(connection);
    return out;
}

ReportRows ReportEngine::read_rows() const { return query_rows(connection_, query_); }

ReportRows ReportEngine::read_detail_rows() const {
    if (!template_.detail) return {};
    return query_rows(detail_connection_, detail_query_);
}

void ReportEngine::apply_page_layout(QPagedPaintDevice& device) const {
    const TemplatePage& page = template_.page;
    const bool landscape = page.width > page.height;
    const QSizeF upright =
        landscape ? QSizeF(page.height, page.width) : QSizeF(page.width, page.height);
    const QPageLayout layout(QPageSize(upright, QPageSize::Millimeter),
                             landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                             QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    device.setPageLayout(layout);
}

int ReportEngine::paint_pages(QPainter& painter, QPagedPaintDevice& device) const {
    Painter paint(*this, painter, device);
    return paint.run();
}

bool ReportEngine::render_to_pdf(const QString& path) const {
    QPdfWriter writer(path);
    writer.setCreator(QStringLiteral("收费系统"));
    writer.setTitle(title_);
    writer.setResolution(600);
    apply_page_layout(writer);
    QPainter painter;
    if (!painter.begin(&writer)) return false;
    paint_pages(painter, writer);
    return painter.end();
}

bool ReportEngine::Print(bool) {
    if (!direct_print_file().isEmpty()) return render_to_pdf(direct_print_file());
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title_);
    printer.setFullPage(true);
    apply_page_layout(printer);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    paint_pages(painter, printer);
    return painter.end();
}

bool ReportEngine::PrintPreview(bool) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title_);
    printer.setFullPage(true);
    apply_page_layout(printer);
    QPrintPreviewDialog preview(&printer);
    preview.setWindowTitle(title_.isEmpty() ? QStringLiteral("打印预览") : title_);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [this](QPrinter* target) {
                         QPainter painter;
                         if (painter.begin(target)) paint_pages(painter, *target);
                     });
    if (auto* view = preview.findChild<QPrintPreviewWidget*>())
        view->setZoomMode(QPrintPreviewWidget::FitInView);
    // The screen's working area, as the list preview, so the bar shows every tool (the print
    // button too) at its normal size; the zoom box shows its whole percentage.
    platform::fill_working_area(&preview);
    platform::keep_tool_button_icons(&preview);
    for (QComboBox* zoom_box : preview.findChildren<QComboBox*>())
        zoom_box->setMinimumWidth(
            zoom_box->fontMetrics().horizontalAdvance(QStringLiteral("1000.0%")) + 48);
    // Fitting again once the window has its size puts the fitted zoom into the zoom box, which
    // otherwise keeps the factor of the first, smaller layout.
    QTimer::singleShot(0, &preview, [&preview] {
        if (auto* fit = preview.findChild<QAction*>(QStringLiteral("fitPageAction")))
            fit->trigger();
    });
    platform::window_open_modal(&preview);
    return true;
}

void set_direct_print_file_for_tests(const QString& pdf_path) { direct_print_file() = pdf_path; }

}  // namespace reports
