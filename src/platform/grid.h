#pragma once
// The grid that lists and the meter-reading handbook print through: a table of texts with a
// fixed title row (row 0) and a fixed column (column 0), a page setup, report titles, and a
// paginating renderer onto any paged device (QPrinter for the preview, QPdfWriter for files).
//
// Callers fill it the way they would fill a grid control:
//     platform::GridControl grid(parent);
//     grid.DefaultFont.Name = "Tahoma"; grid.DefaultRowHeight = 25;
//     auto setup = grid.PageSetup(); setup->Footer = "共&n页，第&p页";
//     grid.Cols(titles.size() + 1); grid.Cell(0, 1).Text = "户号"; grid.Column(1).Width = 80;
//     grid.Rows(rows + 1); ...; grid.PrintPreview("100");
//
// Units
//   - Page setup lengths (PaperWidth, PaperHeight and the six margins) are centimetres.
//     The paper size is given upright; Orientation 2 turns it to landscape.
//   - Column widths and DefaultRowHeight are screen pixels at 96 dpi; on paper they are scaled
//     by Zoom / 100 (percent).
//   - Font sizes are points. Zoom scales the table's font and the report titles; the header and
//     footer, which live in the page margins, are not scaled.
//   - HeaderAlignment, FooterAlignment: 0 left, 1 centred, 2 right (other values: centred).
//
// Page layout
//   - Header: its text's top edge lies HeaderMargin below the paper's top edge; the footer's
//     bottom edge lies FooterMargin above the paper's bottom edge; both span the space between
//     the left and right margins. "&n" becomes the page count, "&p" the page number (either
//     case), "&&" a single "&".
//   - Between the four margins: the report titles (a non-blank title with PrintOnAllPages on
//     every page, other non-blank titles on the first page only; a blank title prints nothing),
//     each taking 2 x its point size in height (1.5 x for every further wrapped line), then the
//     table.
//   - No cell is cut: a column whose texts are wider than the column prints in a smaller font
//     (down to 70% of DefaultFont); a text still too wide, or with line breaks of its own,
//     wraps inside its column and its row grows to hold the lines (never past one page).
//   - Rows are paged by their heights: DefaultRowHeight, or more for a row that grew. With
//     PrintFixedRow the title row repeats at the top of every page; without it, it prints above
//     the first rows only. Column 0 prints only with PrintFixedColumn, then at the left of every
//     page. Columns of width 0 are hidden.
//   - A table wider than the page is never cut: its columns are split into bands that fit the
//     width, and every band is printed for each slice of rows (across, then down), so page 2
//     holds the same rows as page 1 with the next columns.
//   - CenterHorizontally / CenterVertically centre the table (and its titles) between the
//     margins on every page. PrintGridlines draws cell borders; the title row is shaded unless
//     BlackAndWhite.
//   - Every font name maps onto one installed CJK family (resolve_print_font), so Chinese text
//     prints and reads back from a PDF exactly whatever name a caller uses.
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QFont;
class QPagedPaintDevice;
class QPainter;
class QPrintPreviewDialog;
class QWidget;

namespace platform {

struct GridFont {
    QString Name = QStringLiteral("宋体");
    double Size = 9;  // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
};

// The one mapping from a font named by a caller to the font that prints. `scale` multiplies
// the size (the page setup's zoom). A size of 0 or less prints at 9 points.
QFont resolve_print_font(const GridFont& font, double scale = 1.0);
// The family every print font maps onto.
QString print_font_family();

struct GridPaperSize {
    QString PaperName;
    double Width = 0;   // centimetres, upright
    double Height = 0;  // centimetres, upright
};

class GridPageSetup;

// The named paper sizes, items 1..Count; the last item is the custom size. It has no size of
// its own (0 x 0), so a paper size that no named paper matches matches no item at all; whoever
// picks it types the size. Item outside 1..Count answers the page setup's current paper size
// with no name, so a caller that asks with no selection keeps the paper as it is.
class GridPaperSizes {
public:
    explicit GridPaperSizes(const GridPageSetup* owner) : owner_(owner) { Refresh(); }
    void Refresh();
    int Count() const { return static_cast<int>(items_.size()); }
    const GridPaperSize& Item(int index) const;

private:
    const GridPageSetup* owner_;
    std::vector<GridPaperSize> items_;
    mutable GridPaperSize current_;
};

// The caption of the custom paper size, the last item of GridPaperSizes.
inline const QString kCustomPaperName = QStringLiteral("自定义大小");

// Page setup of one grid, shared by pointer: whoever holds it (the program-wide page setup of
// list printing, the page setup window) changes what that grid prints. A default-constructed
// one is a complete A4 portrait setup.
class GridPageSetup {
public:
    GridPageSetup() : paper_sizes_(this) {}
    // Shared, never copied: its paper-size list refers back to it.
    GridPageSetup(const GridPageSetup&) = delete;
    GridPageSetup& operator=(const GridPageSetup&) = delete;

    int Orientation = 1;  // 1 portrait, 2 landscape
    int Zoom = 100;       // percent; values outside 10..400 print at the nearest bound
    int HeaderAlignment = 1;
    int FooterAlignment = 1;
    double PaperWidth = 21.0;
    double PaperHeight = 29.7;
    double TopMargin = 2.5;
    double BottomMargin = 2.5;
    double LeftMargin = 2.0;
    double RightMargin = 2.0;
    double HeaderMargin = 0.8;
    double FooterMargin = 0.8;
    bool BlackAndWhite = false;
    bool CenterHorizontally = false;
    bool CenterVertically = false;
    bool PrintFixedRow = true;
    bool PrintFixedColumn = false;
    bool PrintGridlines = true;
    QString Header;
    QString Footer;
    GridFont HeaderFont;
    GridFont FooterFont;

    GridPaperSizes& PaperSizes() { return paper_sizes_; }

private:
    GridPaperSizes paper_sizes_;
};

struct GridReportTitle {
    QString Text;
    GridFont Font{QStringLiteral("宋体"), 14};
    bool PrintOnAllPages = false;
};

class GridReportTitles {
public:
    // Appends a title with no text and returns it; it is Item(Count()).
    GridReportTitle& AddBlankReportTitle();
    // Index from 1. Outside 1..Count: a detached title that never prints.
    GridReportTitle& Item(int index);
    const GridReportTitle& Item(int index) const;
    int Count() const { return static_cast<int>(titles_.size()); }

private:
    std::deque<GridReportTitle> titles_;  // a deque keeps handed-out references valid
    GridReportTitle detached_;
};

struct GridCell {
    QString Text;
};

struct GridColumn {
    int Width = 72;  // pixels at 96 dpi; 0 hides the column
};

class GridControl {
public:
    // `parent` is the window the print preview opens over.
    explicit GridControl(QWidget* parent = nullptr);
    GridControl(const GridControl&) = delete;
    GridControl& operator=(const GridControl&) = delete;

    // Screen appearance: kept for callers, without effect on paper.
    int Appearance = 1;
    int DrawMode = 0;
    int FixedRowColStyle = 1;
    int SelectionMode = 0;
    bool AllowUserReorderColumn = true;
    bool AutoRedraw = true;
    bool DisplayFocusRect = true;

    // Row height of every row, pixels at 96 dpi.
    int DefaultRowHeight = 20;
    // Column 0 shows the row number in rows whose own cell is empty.
    bool DisplayRowIndex = true;
    // The font of every cell.
    GridFont DefaultFont;

    // Counts include the fixed row and column; at least 1 each. Resizing keeps the cells that
    // remain.
    int Cols() const { return cols_; }
    void Cols(int count);
    int Rows() const { return rows_; }
    void Rows(int count);

    // Outside the grid: a detached cell (or column) whose writes go nowhere and which reads
    // empty, as a grid control ignores out-of-range cells.
    GridCell& Cell(int row, int col);
    const GridCell& Cell(int row, int col) const;
    GridColumn& Column(int col);

    std::shared_ptr<GridPageSetup> PageSetup() const { return page_setup_; }
    GridReportTitles& ReportTitles() { return report_titles_; }
    const GridReportTitles& ReportTitles() const { return report_titles_; }

    // Nothing is drawn on screen, so there is nothing to repaint.
    void Refresh() {}

    // Told after each page is painted (page, pages): a preview of many pages paints them all
    // before it shows, so its caller can show that it works.
    std::function<void(int page, int pages)> page_painted;
    // Told before the first page as the texts are measured, column by column (done, total): the
    // layout of a long table takes a while of its own.
    std::function<void(int done, int total)> layout_measured;

    // Opens the print preview at the zoom given as percent text ("100"; other text fits the
    // page width), through window_open_modal, and returns when it closes. Printing is done from
    // the preview.
    void PrintPreview(const QString& zoom);

    // Gives the device the page setup's paper size and orientation (and grey scale for
    // BlackAndWhite on a printer), with no device margins: the page setup's margins are drawn.
    void apply_page_layout(QPagedPaintDevice& device) const;
    // Paints every page onto a device whose painter is already begun, paging by the device's
    // current page layout; returns the number of pages.
    int paint_pages(QPainter& painter, QPagedPaintDevice& device) const;
    // Applies the page layout and prints every page; returns the page count, 0 on failure.
    int print_to(QPagedPaintDevice& device) const;
    // Writes the pages into a PDF file; false when the file cannot be written.
    bool render_to_pdf(const QString& path) const;

private:
    QWidget* parent_;
    std::shared_ptr<GridPageSetup> page_setup_;
    GridReportTitles report_titles_;
    int rows_ = 1;
    int cols_ = 1;
    std::vector<GridCell> cells_;  // rows_ x cols_, row by row
    std::vector<GridColumn> columns_;
    GridCell detached_cell_;
    GridColumn detached_column_;
};

// Prints what a print preview shows into a PDF file, with the preview printer's page layout:
// what tests do with a preview dialog that reached window_open_modal.
bool print_preview_to_pdf(QPrintPreviewDialog& preview, const QString& path);

}  // namespace platform
