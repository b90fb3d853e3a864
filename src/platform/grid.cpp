#include "platform/grid.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "platform/dialogs.h"

namespace platform {

// ---- fonts -----------------------------------------------------------------------------------

QString print_font_family() { return QStringLiteral("WenQuanYi Zen Hei"); }

QFont resolve_print_font(const GridFont& font, double scale) {
    // Every name ("黑体", "宋体", "Tahoma", ...) prints in one CJK family that has Latin glyphs
    // too and whose PDF text maps back to the exact characters; the other installed CJK fonts
    // read some characters back as radicals.
    QFont result(print_font_family());
    double size = std::isfinite(font.Size) && font.Size > 0 ? font.Size : 9.0;
    if (!std::isfinite(scale) || scale <= 0) scale = 1.0;
    result.setPointSizeF(size * scale);
    result.setBold(font.Bold);
    result.setItalic(font.Italic);
    result.setUnderline(font.Underline);
    result.setStrikeOut(font.Strikethrough);
    // Outline metrics at the printer's resolution, not hinted screen metrics.
    result.setHintingPreference(QFont::PreferNoHinting);
    return result;
}

// ---- paper sizes -----------------------------------------------------------------------------

namespace {

struct NamedPaper {
    const char16_t* name;
    double width_cm;
    double height_cm;
};

constexpr NamedPaper kNamedPapers[] = {
    {u"A3", 29.7, 42.0},       {u"A4", 21.0, 29.7},       {u"A5", 14.8, 21.0},
    {u"B4 (JIS)", 25.7, 36.4}, {u"B5 (JIS)", 18.2, 25.7}, {u"16开", 18.4, 26.0},
    {u"32开", 13.0, 18.4},     {u"Letter", 21.59, 27.94}, {u"Legal", 21.59, 35.56},
};

bool usable_length(double cm) { return std::isfinite(cm) && cm > 0.5 && cm < 1000; }

}  // namespace

void GridPaperSizes::Refresh() {
    items_.clear();
    for (const NamedPaper& paper : kNamedPapers)
        items_.push_back({QString::fromUtf16(paper.name), paper.width_cm, paper.height_cm});
    items_.push_back({kCustomPaperName, 0.0, 0.0});
}

const GridPaperSize& GridPaperSizes::Item(int index) const {
    if (index >= 1 && index <= Count()) return items_[index - 1];
    current_ = {QString(), owner_->PaperWidth, owner_->PaperHeight};
    return current_;
}

// ---- report titles ---------------------------------------------------------------------------

GridReportTitle& GridReportTitles::AddBlankReportTitle() {
    titles_.emplace_back();
    return titles_.back();
}

GridReportTitle& GridReportTitles::Item(int index) {
    if (index >= 1 && index <= Count()) return titles_[index - 1];
    detached_ = GridReportTitle{};
    return detached_;
}

const GridReportTitle& GridReportTitles::Item(int index) const {
    static const GridReportTitle none;
    if (index >= 1 && index <= Count()) return titles_[index - 1];
    return none;
}

// ---- grid contents ---------------------------------------------------------------------------

namespace {
constexpr int kFixedColumnWidth = 40;
}

GridControl::GridControl(QWidget* parent)
    : parent_(parent), page_setup_(std::make_shared<GridPageSetup>()) {
    cells_.resize(1);
    columns_.resize(1);
    columns_[0].Width = kFixedColumnWidth;
}

void GridControl::Cols(int count) {
    count = std::max(count, 1);
    if (count == cols_) return;
    std::vector<GridCell> cells(static_cast<size_t>(rows_) * count);
    const int keep = std::min(cols_, count);
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < keep; ++c)
            cells[static_cast<size_t>(r) * count + c] =
                std::move(cells_[static_cast<size_t>(r) * cols_ + c]);
    cells_ = std::move(cells);
    columns_.resize(count);
    cols_ = count;
}

void GridControl::Rows(int count) {
    count = std::max(count, 1);
    cells_.resize(static_cast<size_t>(count) * cols_);
    rows_ = count;
}

GridCell& GridControl::Cell(int row, int col) {
    if (row >= 0 && row < rows_ && col >= 0 && col < cols_)
        return cells_[static_cast<size_t>(row) * cols_ + col];
    detached_cell_ = GridCell{};
    return detached_cell_;
}

const GridCell& GridControl::Cell(int row, int col) const {
    static const GridCell empty;
    if (row >= 0 && row < rows_ && col >= 0 && col < cols_)
        return cells_[static_cast<size_t>(row) * cols_ + col];
    return empty;
}

GridColumn& GridControl::Column(int col) {
    if (col >= 0 && col < cols_) return columns_[col];
    detached_column_ = GridColumn{};
    return detached_column_;
}

// ---- page layout -----------------------------------------------------------------------------

namespace {

// The paper as it will print: upright size in centimetres and orientation, made usable.
struct Paper {
    double width_cm;
    double height_cm;
    bool landscape;
};

Paper paper_of(const GridPageSetup& setup) {
    Paper paper{setup.PaperWidth, setup.PaperHeight, setup.Orientation == 2};
    if (!usable_length(paper.width_cm) || !usable_length(paper.height_cm)) {
        paper.width_cm = 21.0;
        paper.height_cm = 29.7;
    }
    return paper;
}

QPageSize page_size_of(const Paper& paper) {
    const QSizeF mm(paper.width_cm * 10.0, paper.height_cm * 10.0);
    // An exact standard size keeps its name (a PDF reader then reports "A4").
    QPageSize size(mm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    if (size.id() != QPageSize::Custom) return size;
    return QPageSize(mm, QPageSize::Millimeter, kCustomPaperName, QPageSize::ExactMatch);
}

}  // namespace

void GridControl::apply_page_layout(QPagedPaintDevice& device) const {
    const Paper paper = paper_of(*page_setup_);
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) {
        printer->setFullPage(true);
        printer->setColorMode(page_setup_->BlackAndWhite ? QPrinter::GrayScale : QPrinter::Color);
    }
    QPageLayout layout(page_size_of(paper),
                       paper.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    device.setPageLayout(layout);
}

// ---- pagination and painting -----------------------------------------------------------------

namespace {

constexpr double kCellPaddingPx = 3.0;  // left and right inside a cell, at 96 dpi
// Above and below the lines of a wrapped cell, at 96 dpi.
constexpr double kWrappedRowPaddingPx = 2.0;
// The smallest font a column shrinks to before its texts wrap, as a share of the cell font:
// 10 points become 7, still easy to read on paper.
constexpr double kMinFontScale = 0.7;

QString expand_page_codes(const QString& text, int page, int pages) {
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch == u'&' && i + 1 < text.size()) {
            const QChar code = text[i + 1].toLower();
            if (code == u'n') {
                out += QString::number(pages);
                ++i;
                continue;
            }
            if (code == u'p') {
                out += QString::number(page);
                ++i;
                continue;
            }
            if (code == u'&') {
                out += u'&';
                ++i;
                continue;
            }
        }
        out += ch;
    }
    return out;
}

Qt::Alignment alignment_of(int code) {
    switch (code) {
        case 0:
            return Qt::AlignLeft;
        case 2:
            return Qt::AlignRight;
        default:
            return Qt::AlignHCenter;
    }
}

bool finite_non_negative(double v) { return std::isfinite(v) && v >= 0; }

struct TitleLine {
    QString text;
    QFont font;
    double height;  // device units
};

// Everything the pages need, worked out before the first page so that "&n" is known.
struct Plan {
    double dpi = 0;
    double page_w = 0, page_h = 0;
    QRectF content;
    double zoom = 1;
    double row_h = 0;  // the default row height
    QFont cell_font;
    bool fixed_column = false;
    std::vector<double> width;       // device width per grid column
    std::vector<QFont> column_font;  // per grid column: the cell font, shrunk to fit
    std::vector<double> height;      // device height per grid row, grown to fit
    // Per cell (row by row): its text prints on one line inside its column, in the column's
    // font, so it needs neither wrapping nor a clip.
    std::vector<bool> one_line;
    std::vector<std::vector<int>> bands;      // data columns of each band
    std::vector<std::pair<int, int>> slices;  // rows [first, last) of each slice
    std::vector<TitleLine> first_titles, all_titles;
    int pages() const { return static_cast<int>(bands.size() * slices.size()); }
};

double title_block_height(const std::vector<TitleLine>& titles) {
    double h = 0;
    for (const TitleLine& t : titles) h += t.height;
    return h;
}

// A cell's text with its own line breaks as "\n".
QString normalised_cell_text(const QString& raw) {
    QString text = raw;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

// The width a text needs on one line per line break of its own.
double natural_width(const QString& text, const QFontMetricsF& fm) {
    if (!text.contains(u'\n')) return fm.horizontalAdvance(text);
    double widest = 0;
    for (const QString& line : text.split(u'\n'))
        widest = std::max(widest, fm.horizontalAdvance(line));
    return widest;
}

// The lines a text takes in a width: its own line breaks, then breaks at word boundaries or,
// inside a long word such as an account number, anywhere.
QStringList wrapped_lines(const QString& text, const QFont& font, QPaintDevice* device,
                          double width) {
    QString laid = text;
    laid.replace(u'\n', QChar::LineSeparator);
    QTextLayout layout(laid, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        lines << laid.mid(line.textStart(), line.textLength()).remove(QChar::LineSeparator);
    }
    layout.endLayout();
    if (lines.isEmpty()) lines << QString();
    return lines;
}

// One cell's text inside its box, in the column's font: on one line when it fits, else wrapped
// onto the lines its row was made tall enough for. Only a row capped at the page's height can
// hold fewer lines than the text needs; its last line then ends elided.
void draw_cell_text(QPainter& painter, QPaintDevice* device, const QRectF& box, const QString& raw,
                    Qt::Alignment align, const QFont& font, const QFontMetricsF& fm) {
    const QString text = normalised_cell_text(raw);
    if (!text.contains(u'\n') && fm.horizontalAdvance(text) <= box.width()) {
        painter.drawText(box, align | Qt::AlignVCenter | Qt::TextSingleLine, text);
        return;
    }
    QStringList lines = wrapped_lines(text, font, device, box.width());
    const double line_h = fm.lineSpacing();
    const int max_lines = std::max(1, static_cast<int>(std::floor(box.height() / line_h + 1e-6)));
    if (lines.size() > max_lines) {
        const QString rest = lines.mid(max_lines - 1).join(u' ');
        lines = lines.mid(0, max_lines - 1);
        lines << fm.elidedText(rest, Qt::ElideRight, box.width());
    }
    double ly = box.top() + (box.height() - lines.size() * line_h) / 2;
    for (const QString& line : lines) {
        painter.drawText(QRectF(box.left(), ly, box.width(), line_h),
                         align | Qt::AlignVCenter | Qt::TextSingleLine, line);
        ly += line_h;
    }
}

}  // namespace

// Paints the page setup, titles and table across as many pages as the rows and columns need.
int GridControl::paint_pages(QPainter& painter, QPagedPaintDevice& device) const {
    const GridPageSetup& setup = *page_setup_;
    Plan plan;
    plan.dpi = device.logicalDpiX() > 0 ? device.logicalDpiX() : 1200;
    const QPageLayout layout = device.pageLayout();
    const QRectF full = layout.fullRectPixels(static_cast<int>(plan.dpi));
    const QRectF printable = layout.paintRectPixels(static_cast<int>(plan.dpi));
    plan.page_w = full.width();
    plan.page_h = full.height();

    auto cm = [&](double v) { return v / 2.54 * plan.dpi; };
    auto pt = [&](double v) { return v / 72.0 * plan.dpi; };
    plan.zoom = std::clamp(setup.Zoom, 10, 400) / 100.0;
    auto px = [&](double v) { return v / 96.0 * plan.dpi * plan.zoom; };

    // Margins: a negative or unreadable margin counts as none; margins that would leave less
    // than a centimetre of paper shrink together.
    double left = finite_non_negative(setup.LeftMargin) ? cm(setup.LeftMargin) : 0;
    double right = finite_non_negative(setup.RightMargin) ? cm(setup.RightMargin) : 0;
    double top = finite_non_negative(setup.TopMargin) ? cm(setup.TopMargin) : 0;
    double bottom = finite_non_negative(setup.BottomMargin) ? cm(setup.BottomMargin) : 0;
    const double min_content = cm(1.0);
    if (left + right > plan.page_w - min_content) {
        const double k = std::max(plan.page_w - min_content, 0.0) / (left + right);
        left *= k;
        right *= k;
    }
    if (top + bottom > plan.page_h - min_content) {
        const double k = std::max(plan.page_h - min_content, 0.0) / (top + bottom);
        top *= k;
        bottom *= k;
    }
    plan.content = QRectF(left, top, plan.page_w - left - right, plan.page_h - top - bottom);
    const double content_w = plan.content.width();
    const double content_h = plan.content.height();

    plan.row_h = px(std::max(DefaultRowHeight, 1));
    plan.cell_font = resolve_print_font(DefaultFont, plan.zoom);

    // Columns and bands.
    plan.fixed_column = setup.PrintFixedColumn && columns_[0].Width > 0;
    plan.width.resize(cols_);
    for (int c = 0; c < cols_; ++c)
        plan.width[c] = std::min(px(std::max(columns_[c].Width, 0)), content_w);
    if (plan.fixed_column) plan.width[0] = std::min(plan.width[0], content_w / 2);
    const double fixed_w = plan.fixed_column ? plan.width[0] : 0;
    std::vector<int> band;
    double band_w = fixed_w;
    for (int c = 1; c < cols_; ++c) {
        if (columns_[c].Width <= 0) continue;
        const double w = std::min(plan.width[c], content_w - fixed_w);
        plan.width[c] = w;
        if (!band.empty() && band_w + w > content_w + 1e-6) {
            plan.bands.push_back(std::move(band));
            band.clear();
            band_w = fixed_w;
        }
        band.push_back(c);
        band_w += w;
    }
    plan.bands.push_back(std::move(band));

    // Titles: a blank one takes no room.
    const auto& titles = report_titles_;
    for (int i = 1; i <= titles.Count(); ++i) {
        const GridReportTitle& title = titles.Item(i);
        const QString text = title.Text.trimmed();
        if (text.isEmpty()) continue;
        const QFont font = resolve_print_font(title.Font, plan.zoom);
        const QFontMetricsF fm(font, &device);
        const QRectF bound = fm.boundingRect(QRectF(0, 0, content_w, 1e9),
                                             Qt::AlignHCenter | Qt::TextWordWrap, text);
        const int lines =
            std::max(1, static_cast<int>(std::lround(bound.height() / fm.lineSpacing())));
        const double size = font.pointSizeF();
        TitleLine line{text, font, pt(size * (2.0 + 1.5 * (lines - 1)))};
        plan.first_titles.push_back(line);
        if (title.PrintOnAllPages) plan.all_titles.push_back(line);
    }

    // A printed list never hides what its cells hold: a column whose texts are wider than the
    // column prints in a smaller font, down to kMinFontScale of the cell font; what is still too
    // wide wraps, and its row grows to hold the lines.
    const double pad = px(kCellPaddingPx);
    const double line_pad = px(kWrappedRowPaddingPx);
    const QFontMetricsF cell_metrics(plan.cell_font, &device);
    // What a cell prints: an empty cell of the fixed column shows its row number when asked.
    auto printed_text = [this](int r, int c) {
        const QString& text = Cell(r, c).Text;
        if (c == 0 && r > 0 && text.isEmpty() && DisplayRowIndex) return QString::number(r);
        return text;
    };
    std::vector<int> printed_columns;
    if (plan.fixed_column) printed_columns.push_back(0);
    for (const std::vector<int>& b : plan.bands)
        printed_columns.insert(printed_columns.end(), b.begin(), b.end());
    plan.column_font.assign(cols_, plan.cell_font);
    plan.height.assign(rows_, plan.row_h);
    plan.one_line.assign(cells_.size(), false);
    const auto one_line = [&](int r, int c) {
        plan.one_line[static_cast<size_t>(r) * cols_ + c] = true;
    };
    // A row never grows past what a page holds below the titles and the title row.
    const double tallest_titles =
        std::max(title_block_height(plan.first_titles), title_block_height(plan.all_titles));
    const double row_cap = std::max(plan.row_h, content_h - tallest_titles - plan.row_h);
    const int to_measure = static_cast<int>(printed_columns.size());
    for (int measured = 0; measured < to_measure; ++measured) {
        if (layout_measured) layout_measured(measured, to_measure);
        const int c = printed_columns[measured];
        const double inner = plan.width[c] - 2 * pad;
        if (inner <= 0) continue;
        std::vector<double> natural(rows_, 0.0);
        std::vector<bool> broken(rows_, false);  // the text has line breaks of its own
        double widest = 0;
        bool any_broken = false;
        for (int r = 0; r < rows_; ++r) {
            const QString text = normalised_cell_text(printed_text(r, c));
            if (text.isEmpty()) continue;
            natural[r] = natural_width(text, cell_metrics);
            widest = std::max(widest, natural[r]);
            broken[r] = text.contains(u'\n');
            any_broken = any_broken || broken[r];
        }
        if (widest <= inner && !any_broken) {
            for (int r = 0; r < rows_; ++r) one_line(r, c);
            continue;
        }
        const double base_size = plan.cell_font.pointSizeF();
        double scale = widest <= inner ? 1.0 : std::max(inner / widest, kMinFontScale);
        QFont font = plan.cell_font;
        font.setPointSizeF(base_size * scale);
        // Glyph advances do not shrink exactly with the size: check the widest text again.
        for (int attempt = 0; attempt < 4 && scale < 1.0 && scale > kMinFontScale; ++attempt) {
            double longest = 0;
            const QFontMetricsF fm(font, &device);
            for (int r = 0; r < rows_; ++r)
                if (natural[r] * scale > inner * 0.9)
                    longest = std::max(longest,
                                       natural_width(normalised_cell_text(printed_text(r, c)), fm));
            if (longest <= inner) break;
            scale = std::max(scale * inner / longest * 0.99, kMinFontScale);
            font.setPointSizeF(base_size * scale);
        }
        plan.column_font[c] = font;
        const QFontMetricsF fm(font, &device);
        for (int r = 0; r < rows_; ++r) {
            if (!broken[r] && natural[r] * scale <= inner * 0.9) {  // fits with room
                one_line(r, c);
                continue;
            }
            const QString text = normalised_cell_text(printed_text(r, c));
            if (!broken[r] && fm.horizontalAdvance(text) <= inner) {
                one_line(r, c);
                continue;
            }
            const auto lines = wrapped_lines(text, font, &device, inner).size();
            const double needed = static_cast<double>(lines) * fm.lineSpacing() + 2 * line_pad;
            plan.height[r] = std::min(std::max(plan.height[r], needed), row_cap);
        }
    }

    if (layout_measured) layout_measured(to_measure, to_measure);

    // Row slices: the first slice shares its page with the first-page titles.
    const int data_rows = rows_ - 1;
    int next = 1;
    do {
        const bool first = plan.slices.empty();
        const bool fixed_row = setup.PrintFixedRow || first;
        const double room = content_h -
                            title_block_height(first ? plan.first_titles : plan.all_titles) -
                            (fixed_row ? plan.height[0] : 0);
        int last = next;
        double used = 0;
        while (last < rows_ && (last == next || used + plan.height[last] <= room + 1e-6))
            used += plan.height[last++];
        last = std::max(last, std::min(next + 1, rows_));
        plan.slices.emplace_back(next, last);
        next = last;
    } while (next <= data_rows);

    // ---- painting ----
    const int pages = plan.pages();
    const QColor ink = Qt::black;
    const QColor shade = setup.BlackAndWhite ? QColor(Qt::white) : QColor(0xE8, 0xE8, 0xE8);
    QPen grid_pen(ink);
    grid_pen.setWidthF(pt(0.5));

    painter.save();
    // The painter's origin is the device's printable corner; draw in paper coordinates.
    painter.translate(-printable.topLeft());

    auto draw_page_text = [&](const QString& raw, const GridFont& gf, int align, double margin_cm,
                              bool at_top, int page) {
        if (raw.isEmpty()) return;
        const QString text = expand_page_codes(raw, page, pages);
        const QFont font = resolve_print_font(gf);
        const QFontMetricsF fm(font, &device);
        const int flags = alignment_of(align) | Qt::TextWordWrap;
        const double h = fm.boundingRect(QRectF(0, 0, content_w, 1e9), flags, text).height();
        const double margin = finite_non_negative(margin_cm) ? cm(margin_cm) : 0;
        const double y = at_top ? margin : plan.page_h - margin - h;
        painter.setFont(font);
        painter.setPen(ink);
        painter.drawText(QRectF(plan.content.left(), y, content_w, h), flags | Qt::AlignTop, text);
    };

    for (int page = 0; page < pages; ++page) {
        if (page > 0) device.newPage();
        const size_t slice_index = page / plan.bands.size();
        const std::vector<int>& cols_on_page = plan.bands[page % plan.bands.size()];
        const auto [first_row, end_row] = plan.slices[slice_index];
        const bool fixed_row = setup.PrintFixedRow || slice_index == 0;
        const std::vector<TitleLine>& page_titles = page == 0 ? plan.first_titles : plan.all_titles;

        // Printed columns of this page, left to right, with the fixed column first.
        std::vector<int> cols;
        if (plan.fixed_column) cols.push_back(0);
        cols.insert(cols.end(), cols_on_page.begin(), cols_on_page.end());
        double table_w = 0;
        for (int c : cols) table_w += plan.width[c];
        std::vector<int> rows;
        if (fixed_row) rows.push_back(0);
        for (int r = first_row; r < end_row; ++r) rows.push_back(r);
        double table_h = 0;
        if (!cols.empty())
            for (int r : rows) table_h += plan.height[r];

        double x0 = plan.content.left();
        if (setup.CenterHorizontally) x0 += std::max(0.0, (content_w - table_w) / 2);
        double y = plan.content.top();
        if (setup.CenterVertically)
            y += std::max(0.0, (content_h - title_block_height(page_titles) - table_h) / 2);

        // Titles, centred over the table as far as the margins allow.
        const double centre = cols.empty() ? plan.content.center().x() : x0 + table_w / 2;
        for (const TitleLine& title : page_titles) {
            const QFontMetricsF fm(title.font, &device);
            const double natural = fm.horizontalAdvance(title.text);
            const double w = std::min(natural + pad * 2, content_w);
            const double x =
                std::clamp(centre - w / 2, plan.content.left(), plan.content.right() - w);
            painter.setFont(title.font);
            painter.setPen(ink);
            painter.drawText(QRectF(x, y, w, title.height - pt(title.font.pointSizeF() * 0.5)),
                             Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap, title.text);
            y += title.height;
        }

        // Shading of the fixed row and column.
        if (!cols.empty() && !setup.BlackAndWhite) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(shade);
            if (fixed_row) painter.drawRect(QRectF(x0, y, table_w, plan.height[0]));
            if (plan.fixed_column) painter.drawRect(QRectF(x0, y, plan.width[0], table_h));
            painter.setBrush(Qt::NoBrush);
        }

        // Cell texts. Most print on one line as they are: no clip, and the font set only where
        // the column's font differs, since a preview records every state change of every page.
        painter.setPen(ink);
        int font_of = -1;  // the column whose font the painter holds
        double row_y = y;
        for (int r : rows) {
            double cx = x0;
            const double row_h = plan.height[r];
            for (int c : cols) {
                const QString text = printed_text(r, c);
                const Qt::Alignment align = (r == 0 || c == 0) ? Qt::AlignHCenter : Qt::AlignLeft;
                const QRectF box(cx + pad, row_y, plan.width[c] - 2 * pad, row_h);
                if (!text.isEmpty() && box.width() > 0) {
                    if (font_of < 0 || plan.column_font[c] != plan.column_font[font_of]) {
                        painter.setFont(plan.column_font[c]);
                        font_of = c;
                    }
                    if (plan.one_line[static_cast<size_t>(r) * cols_ + c]) {
                        painter.drawText(box, align | Qt::AlignVCenter | Qt::TextSingleLine, text);
                    } else {
                        painter.save();
                        painter.setClipRect(QRectF(cx, row_y, plan.width[c], row_h));
                        draw_cell_text(painter, &device, box, text, align, plan.column_font[c],
                                       QFontMetricsF(plan.column_font[c], &device));
                        painter.restore();
                    }
                }
                cx += plan.width[c];
            }
            row_y += row_h;
        }

        // Grid lines: one stroke per row and column boundary.
        if (setup.PrintGridlines && !cols.empty() && !rows.empty()) {
            painter.setPen(grid_pen);
            double ly = y;
            painter.drawLine(QPointF(x0, ly), QPointF(x0 + table_w, ly));
            for (int r : rows) {
                ly += plan.height[r];
                painter.drawLine(QPointF(x0, ly), QPointF(x0 + table_w, ly));
            }
            double lx = x0;
            painter.drawLine(QPointF(lx, y), QPointF(lx, y + table_h));
            for (int c : cols) {
                lx += plan.width[c];
                painter.drawLine(QPointF(lx, y), QPointF(lx, y + table_h));
            }
        }

        draw_page_text(setup.Header, setup.HeaderFont, setup.HeaderAlignment, setup.HeaderMargin,
                       true, page + 1);
        draw_page_text(setup.Footer, setup.FooterFont, setup.FooterAlignment, setup.FooterMargin,
                       false, page + 1);
        if (page_painted) page_painted(page + 1, pages);
    }
    painter.restore();
    return pages;
}

int GridControl::print_to(QPagedPaintDevice& device) const {
    apply_page_layout(device);
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    const int pages = paint_pages(painter, device);
    painter.end();
    return pages;
}

bool GridControl::render_to_pdf(const QString& path) const {
    QPdfWriter writer(path);
    writer.setCreator(QStringLiteral("收费系统"));
    writer.setResolution(1200);
    return print_to(writer) > 0;
}

void GridControl::PrintPreview(const QString& zoom) {
    QPrinter printer(QPrinter::HighResolution);
    apply_page_layout(printer);
    QPrintPreviewDialog preview(&printer, parent_);
    preview.setWindowTitle(QStringLiteral("打印预览"));
    // The whole screen, so that every tool of the bar shows (a narrow preview hides the page
    // setup and print buttons behind the bar's overflow handle).
    fill_working_area(&preview, parent_);
    keep_tool_button_icons(&preview);
    // The zoom box shows its whole percentage whatever padding a skin gives combo boxes.
    for (QComboBox* zoom_box : preview.findChildren<QComboBox*>())
        zoom_box->setMinimumWidth(
            zoom_box->fontMetrics().horizontalAdvance(QStringLiteral("1000.0%")) + 48);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [this](QPrinter* target) {
                         QPainter painter;
                         if (painter.begin(target)) paint_pages(painter, *target);
                     });
    if (auto* view = preview.findChild<QPrintPreviewWidget*>()) {
        bool ok = false;
        const double percent = zoom.trimmed().toDouble(&ok);
        if (ok && percent > 0) {
            view->setZoomMode(QPrintPreviewWidget::CustomZoom);
            view->setZoomFactor(percent / 100.0);
        } else {
            view->setZoomMode(QPrintPreviewWidget::FitToWidth);
        }
    }
    window_open_modal(&preview);
}

bool print_preview_to_pdf(QPrintPreviewDialog& preview, const QString& path) {
    QPrinter* shown = preview.printer();
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(path);
    pdf.setFullPage(true);
    pdf.setColorMode(shown->colorMode());
    pdf.setPageLayout(shown->pageLayout());
    emit preview.paintRequested(&pdf);
    const QFileInfo file(path);
    return file.exists() && file.size() > 0;
}

}  // namespace platform
