// The print grid: pages, titles, header and footer, bands of columns, centring, fonts and
// paper, read back from the PDF it writes with poppler's pdftotext and pdfinfo.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QToolBar>
#include <cmath>
#include <set>

#include "dialog_look.h"
#include "harness/pdf_text.h"
#include "platform/dialogs.h"
#include "platform/grid.h"

using harness::captured_numbers;
using harness::find_word;
using harness::PdfText;
using harness::PdfWord;
using harness::range;
using harness::read_pdf;
using platform::GridColumn;
using platform::GridControl;
using platform::GridFont;

namespace {

constexpr double kPtPerCm = 72.0 / 2.54;
// Qt writes a PDF page box in whole points (A4: 595 x 842), which PDF readers still name A4.
constexpr double kPageBoxTolerance = 0.5;
constexpr double kPtPerPx = 72.0 / 96.0;
// Height of poppler's word box per point of font size for the print family.
constexpr double kBoxPerPoint = 1.26;

// A grid filled and set up the way list printing does it.
void set_list_defaults(GridControl& grid) {
    grid.Appearance = 1;
    grid.DrawMode = 0;
    grid.FixedRowColStyle = 2;
    grid.SelectionMode = 1;
    grid.DefaultFont.Name = "Tahoma";
    grid.DefaultFont.Size = 10;
    grid.DefaultRowHeight = 25;
    auto setup = grid.PageSetup();
    setup->PaperHeight = 29.7;
    setup->PaperWidth = 21;
    setup->TopMargin = 1.5;
    setup->BottomMargin = 2.5;
    setup->LeftMargin = 1.5;
    setup->RightMargin = 1.5;
    setup->PrintGridlines = true;
    setup->CenterHorizontally = true;
    setup->PrintFixedRow = true;
    setup->Footer = "共&n页，第&p页";
    grid.DisplayRowIndex = false;
    grid.AllowUserReorderColumn = false;
    grid.DisplayFocusRect = false;
}

void add_title(GridControl& grid, const QString& text, bool all_pages = true) {
    grid.ReportTitles().AddBlankReportTitle();
    auto& title = grid.ReportTitles().Item(grid.ReportTitles().Count());
    title.Text = text;
    title.Font.Name = "黑体";
    title.Font.Size = 20;
    title.PrintOnAllPages = all_pages;
}

const QStringList kTitles = {"户号", "用户姓名", "居住街道", "欠费金额"};

// Row r: "户" + 4 digits, a Chinese name, a street, an amount.
void fill_list(GridControl& grid, int rows) {
    grid.Cols(kTitles.size() + 1);
    for (int k = 1; k <= kTitles.size(); ++k) {
        grid.Cell(0, k).Text = kTitles[k - 1];
        grid.Column(k).Width = k == 3 ? 160 : 100;
    }
    grid.Rows(rows + 1);
    const QStringList surnames = {"张", "王", "李", "赵", "陈", "刘"};
    for (int r = 1; r <= rows; ++r) {
        grid.Cell(r, 1).Text = QString("户%1").arg(r, 4, 10, QChar('0'));
        grid.Cell(r, 2).Text = surnames[r % surnames.size()] + QString("用户%1").arg(r);
        grid.Cell(r, 3).Text = QString("幸福路%1号").arg(r);
        grid.Cell(r, 4).Text = QString::number(r * 1.25, 'f', 2) + "(1)";
    }
}

// Numbers of the rows ("户0001" -> 1) whose first cell is on a page of -layout text.
std::vector<int> rows_on(const QString& page) {
    static const QRegularExpression re(R"(户(\d{4}))");
    return captured_numbers(page, re);
}

class GridPrint : public ::testing::Test {
protected:
    QString pdf(const char* name) const { return dir_.filePath(QString(name) + ".pdf"); }
    PdfText print(const GridControl& grid, const char* name = "out") {
        const QString path = pdf(name);
        EXPECT_TRUE(grid.render_to_pdf(path));
        return read_pdf(path);
    }
    QTemporaryDir dir_;
};

// ---- pages of a list -------------------------------------------------------------------------

TEST_F(GridPrint, ListOfSixtyRowsPagesWithTitlesAndFooterOnEveryPage) {
    GridControl grid;
    set_list_defaults(grid);
    grid.DefaultRowHeight = 40;
    add_title(grid, "抄表查询");
    fill_list(grid, 60);

    // Between the margins: 29.7 - 1.5 - 2.5 = 25.7 cm = 971.3 px at 96 dpi. The 20-point title
    // takes 40 pt = 53.3 px, the title row 40 px, leaving 878.0 px: 21 rows of 40 px per page,
    // so 21 + 21 + 18 rows on 3 pages.
    const PdfText out = print(grid);
    ASSERT_EQ(out.page_count, 3);
    ASSERT_EQ(out.pages.size(), 3);
    EXPECT_NEAR(out.page_width, 595.28, kPageBoxTolerance);
    EXPECT_NEAR(out.page_height, 841.89, kPageBoxTolerance);
    EXPECT_EQ(rows_on(out.pages[0]), range(1, 21));
    EXPECT_EQ(rows_on(out.pages[1]), range(22, 42));
    EXPECT_EQ(rows_on(out.pages[2]), range(43, 60));
    for (int p = 0; p < 3; ++p) {
        const QString& page = out.pages[p];
        EXPECT_EQ(page.count("抄表查询"), 1) << p;
        for (const QString& title : kTitles) EXPECT_EQ(page.count(title), 1) << p;
        EXPECT_TRUE(page.contains(QString("共3页，第%1页").arg(p + 1))) << page.toStdString();
        // Title above the column titles above the rows above the footer.
        const qsizetype title = page.indexOf("抄表查询"), head = page.indexOf("户号");
        const qsizetype first_row = page.indexOf(u'户', head + 2), footer = page.indexOf("共3页");
        EXPECT_LT(title, head);
        EXPECT_LT(head, first_row);
        EXPECT_LT(first_row, footer);
    }
    EXPECT_TRUE(out.pages[0].contains("张用户60") == false);
    EXPECT_TRUE(out.pages[2].contains("张用户60"));
    EXPECT_TRUE(out.pages[2].contains("75.00(1)"));
}

TEST_F(GridPrint, EmptyListPrintsTheTitleRowOnly) {
    GridControl grid;
    set_list_defaults(grid);
    fill_list(grid, 0);
    const PdfText out = print(grid);
    ASSERT_EQ(out.page_count, 1);
    for (const QString& title : kTitles) EXPECT_TRUE(out.pages[0].contains(title));
    EXPECT_TRUE(out.pages[0].contains("共1页，第1页"));
    EXPECT_TRUE(rows_on(out.pages[0]).empty());
}

TEST_F(GridPrint, LandscapeA4AndABlankTitleTakesNoLine) {
    GridControl grid;
    set_list_defaults(grid);
    grid.PageSetup()->Orientation = 2;
    add_title(grid, "   ");
    fill_list(grid, 60);

    // Landscape A4 between the margins: 21 - 4 = 17 cm = 642.5 px; with no title line and a
    // 25 px title row, 24 rows of 25 px fit (a 20-point title line would leave room for 22).
    const PdfText out = print(grid);
    EXPECT_TRUE(out.page_size_line.contains("(A4)")) << out.page_size_line.toStdString();
    EXPECT_NEAR(out.page_width, 841.89, kPageBoxTolerance);
    EXPECT_NEAR(out.page_height, 595.28, kPageBoxTolerance);
    ASSERT_EQ(out.page_count, 3);
    EXPECT_EQ(rows_on(out.pages[0]), range(1, 24));
    EXPECT_EQ(rows_on(out.pages[1]), range(25, 48));
    EXPECT_EQ(rows_on(out.pages[2]), range(49, 60));
    // The column titles are the first line of the page.
    EXPECT_TRUE(out.pages[0].trimmed().startsWith("户号"));
}

TEST_F(GridPrint, TitlesAndTitleRowOnFirstPageOnlyWhenAsked) {
    GridControl grid;
    set_list_defaults(grid);
    grid.DefaultRowHeight = 40;
    grid.PageSetup()->PrintFixedRow = false;
    add_title(grid, "只印首页的标题", false);
    add_title(grid, "每页标题", true);
    fill_list(grid, 60);

    const PdfText out = print(grid);
    ASSERT_GE(out.page_count, 2);
    EXPECT_TRUE(out.pages[0].contains("只印首页的标题"));
    EXPECT_TRUE(out.pages[0].contains("用户姓名"));
    for (int p = 1; p < out.page_count; ++p) {
        EXPECT_FALSE(out.pages[p].contains("只印首页的标题")) << p;
        EXPECT_FALSE(out.pages[p].contains("用户姓名")) << p;
        EXPECT_TRUE(out.pages[p].contains("每页标题")) << p;
    }
    // Every row still prints, once.
    std::vector<int> all;
    for (const QString& page : out.pages) {
        const auto rows = rows_on(page);
        all.insert(all.end(), rows.begin(), rows.end());
    }
    EXPECT_EQ(all, range(1, 60));
}

// The meter-reading handbook's grid: its single-line columns add up to 695 px, which just fit
// between its 1.3 cm margins (18.4 cm = 695.4 px), so every page carries every column.
TEST_F(GridPrint, HandbookLayoutFitsOneBandPerPage) {
    GridControl grid;
    grid.Appearance = 1;
    grid.DrawMode = 0;
    grid.FixedRowColStyle = 1;
    grid.SelectionMode = 1;
    grid.DefaultFont.Name = "Tahoma";
    grid.DefaultFont.Size = 10;
    grid.DefaultRowHeight = 25;
    auto setup = grid.PageSetup();
    setup->Orientation = 1;
    setup->PaperHeight = 29.7;
    setup->PaperWidth = 21;
    setup->TopMargin = 1.5;
    setup->BottomMargin = 2.5;
    setup->LeftMargin = 1.3;
    setup->RightMargin = 1.3;
    setup->PrintGridlines = setup->CenterHorizontally = setup->PrintFixedRow = true;
    const int accounts = 80;
    setup->Footer = QString("共&n页，第&p页 用户数：%1户").arg(accounts);
    grid.DisplayRowIndex = false;
    grid.AllowUserReorderColumn = false;
    grid.DisplayFocusRect = true;
    auto& title = grid.ReportTitles().AddBlankReportTitle();
    title.Text = "某物业抄表手册---当前抄表人员(李四)--2024-3-5";
    title.Font.Name = "黑体";
    title.Font.Size = 15;
    title.PrintOnAllPages = true;
    const QStringList titles = {"户号",     "用户姓名", "起数",     "止数",
                                "欠费金额", "收费项目", "居住街道", "移动电话"};
    const int widths[] = {80, 90, 70, 70, 95, 90, 85, 115};
    grid.Cols(titles.size() + 1);
    for (int j = 1; j <= titles.size(); ++j) {
        grid.Cell(0, j).Text = titles[j - 1];
        grid.Column(j).Width = widths[j - 1];
    }
    grid.Rows(accounts + 1);
    for (int r = 1; r <= accounts; ++r) {
        grid.Cell(r, 1).Text = QString("户%1").arg(r, 4, 10, QChar('0'));
        grid.Cell(r, 2).Text = "王五";
        grid.Cell(r, 3).Text = "1234.5";
        grid.Cell(r, 5).Text = "56.70(2)";
        grid.Cell(r, 6).Text = "水费";
        grid.Cell(r, 7).Text = "和平街";
        grid.Cell(r, 8).Text = "13800138000";
    }
    grid.AutoRedraw = true;
    grid.Refresh();

    // 971.3 px of height less the 15-point title (30 pt = 40 px) and the 25 px title row hold
    // 36 rows of 25 px: 36 + 36 + 8 rows.
    const PdfText out = print(grid);
    ASSERT_EQ(out.page_count, 3);
    EXPECT_EQ(rows_on(out.pages[0]), range(1, 36));
    EXPECT_EQ(rows_on(out.pages[1]), range(37, 72));
    EXPECT_EQ(rows_on(out.pages[2]), range(73, 80));
    for (int p = 0; p < 3; ++p) {
        for (const QString& t : titles) EXPECT_EQ(out.pages[p].count(t), 1) << p << t.toStdString();
        EXPECT_TRUE(out.pages[p].contains(title.Text));
        EXPECT_TRUE(out.pages[p].contains(QString("共3页，第%1页 用户数：80户").arg(p + 1)));
        EXPECT_TRUE(out.pages[p].contains("13800138000"));
    }
}

// ---- a table wider than the page -------------------------------------------------------------

TEST_F(GridPrint, WideTableContinuesItsColumnsOnFurtherPages) {
    GridControl grid;
    set_list_defaults(grid);
    const int columns = 24, rows = 10;
    grid.Cols(columns + 1);
    grid.Rows(rows + 1);
    for (int c = 1; c <= columns; ++c) {
        grid.Cell(0, c).Text = QString("列%1").arg(c, 2, 10, QChar('0'));
        grid.Column(c).Width = 110;
        for (int r = 1; r <= rows; ++r) grid.Cell(r, c).Text = QString("r%1c%2").arg(r).arg(c);
    }

    // 18 cm between the margins = 680.3 px: 6 columns of 110 px per page, 4 pages.
    const PdfText out = print(grid);
    ASSERT_EQ(out.page_count, 4);
    for (int p = 0; p < 4; ++p) {
        for (int c = 1; c <= columns; ++c) {
            const bool here = (c - 1) / 6 == p;
            const QString title = QString("列%1").arg(c, 2, 10, QChar('0'));
            EXPECT_EQ(out.pages[p].contains(title), here) << p << " " << c;
            for (int r = 1; r <= rows; ++r) {
                const QString cell = QString("r%1c%2").arg(r).arg(c);
                EXPECT_EQ(out.words[p].end() !=
                              std::find_if(out.words[p].begin(), out.words[p].end(),
                                           [&](const PdfWord& w) { return w.text == cell; }),
                          here)
                    << p << " " << cell.toStdString();
            }
        }
        EXPECT_TRUE(out.pages[p].contains(QString("共4页，第%1页").arg(p + 1)));
    }
}

TEST_F(GridPrint, WideTableWithManyRowsGoesAcrossThenDown) {
    GridControl grid;
    set_list_defaults(grid);
    grid.PageSetup()->PrintFixedColumn = true;
    grid.DisplayRowIndex = true;
    grid.Cols(9);
    grid.Rows(61);
    for (int c = 1; c <= 8; ++c) {
        grid.Cell(0, c).Text = QString("第%1列").arg(c);
        grid.Column(c).Width = 150;
    }
    for (int r = 1; r <= 60; ++r) grid.Cell(r, 1).Text = QString("户%1").arg(r, 4, 10, QChar('0'));

    // Fixed column 40 px + 4 x 150 px = 640 px fit 680.3 px: two bands. 971.3 px of height
    // hold the title row and 37 rows of 25 px: two slices of rows (1-37, 38-60).
    const PdfText out = print(grid);
    ASSERT_EQ(out.page_count, 4);
    EXPECT_EQ(rows_on(out.pages[0]), range(1, 37));
    EXPECT_TRUE(rows_on(out.pages[1]).empty());
    EXPECT_TRUE(out.pages[1].contains("第5列"));
    EXPECT_EQ(rows_on(out.pages[2]), range(38, 60));
    EXPECT_TRUE(out.pages[3].contains("第8列"));
    // The fixed column repeats the row numbers beside every band.
    for (int p : {1, 3}) {
        const int first = p == 1 ? 1 : 38, last = p == 1 ? 37 : 60;
        for (int r = first; r <= last; ++r)
            EXPECT_NE(find_word(out.words[p], QString::number(r)), nullptr) << p << " " << r;
    }
}

// ---- text ------------------------------------------------------------------------------------

TEST_F(GridPrint, ChineseTextReadsBackExactly) {
    GridControl grid;
    set_list_defaults(grid);
    add_title(grid, "某某物业管理处抄表手册");
    grid.Cols(3);
    grid.Rows(4);
    grid.Cell(0, 1).Text = "收费项目";
    grid.Cell(0, 2).Text = "金额大写";
    grid.Column(2).Width = 260;
    const QStringList texts = {"水费",  "壹佰贰拾叁元肆角伍分", "角", "电费（峰谷）", "零元整",
                               "鑫淼犇"};
    for (int i = 0; i < texts.size(); ++i) grid.Cell(1 + i / 2, 1 + i % 2).Text = texts[i];

    const PdfText out = print(grid);
    ASSERT_EQ(out.page_count, 1);
    std::vector<QString> words;
    for (const PdfWord& w : out.words[0]) words.push_back(w.text);
    for (const QString& text :
         texts + QStringList{"某某物业管理处抄表手册", "收费项目", "金额大写"})
        EXPECT_NE(std::find(words.begin(), words.end(), text), words.end()) << text.toStdString();
}

// The words poppler reads inside one cell's column, top to bottom, left to right.
std::vector<PdfWord> words_between(const std::vector<PdfWord>& words, double left, double right) {
    std::vector<PdfWord> inside;
    for (const PdfWord& w : words)
        if (w.x_min >= left - 0.5 && w.x_max <= right + 0.5) inside.push_back(w);
    std::sort(inside.begin(), inside.end(), [](const PdfWord& a, const PdfWord& b) {
        return a.y_min != b.y_min ? a.y_min < b.y_min : a.x_min < b.x_min;
    });
    return inside;
}

// A printed list never hides data: a column whose texts are a little too wide prints them in
// a smaller font on one line; what even the smallest font cannot hold wraps, and its row grows.
TEST_F(GridPrint, LongCellsPrintWholeInsideTheirColumns) {
    struct Case {
        const char* name;
        int width;  // px
        const char* text;
        bool wraps;
    };
    const Case cases[] = {
        {"identity number", 110, "110101199001011234", false},
        {"date", 80, "2026年12月10日", false},
        {"bank account", 120, "6222000011112222333", false},
        {"letters", 60, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", true},
        {"address", 60, "北京市朝阳区幸福路一百二十三号院", true},
        {"own line break", 120, "第一行\r\n第二行", true},
    };
    for (const Case& c : cases) {
        GridControl grid;
        set_list_defaults(grid);
        grid.PageSetup()->CenterHorizontally = false;
        grid.Cols(3);
        grid.Rows(4);
        grid.Column(1).Width = c.width;
        grid.Column(2).Width = 80;
        grid.Cell(0, 1).Text = "内容";
        grid.Cell(0, 2).Text = "右邻";
        grid.Cell(1, 1).Text = "短";
        grid.Cell(2, 1).Text = c.text;
        grid.Cell(2, 2).Text = "同行";
        grid.Cell(3, 1).Text = "下行";
        const PdfText out = print(grid, "long");
        ASSERT_EQ(out.page_count, 1) << c.name;

        const double left = 1.5 * kPtPerCm, right = left + c.width * kPtPerPx;
        const std::vector<PdfWord> inside = words_between(out.words[0], left, right);
        QString joined;
        std::set<double> line_tops;
        const PdfWord *whole = nullptr, *below = nullptr, *first = nullptr, *last = nullptr;
        for (const PdfWord& w : inside) {
            if (w.text == "下行") below = &w;
            if (w.text == "短" || w.text == "内容" || w.text == "下行") continue;
            if (!first) first = &w;
            last = &w;
            joined += w.text;
            line_tops.insert(std::round(w.y_min));
            if (w.text == QString(c.text)) whole = &w;
        }
        QString expected = c.text;
        expected.remove("\r\n");
        EXPECT_EQ(joined, expected) << c.name;
        EXPECT_FALSE(out.pages[0].contains(u'…')) << c.name;
        ASSERT_NE(first, nullptr) << c.name;
        ASSERT_NE(below, nullptr) << c.name;
        if (c.wraps) {
            EXPECT_GE(line_tops.size(), 2u) << c.name;
        } else {
            ASSERT_NE(whole, nullptr) << c.name << " on one line";
            // The column's font shrank: the word box is lower than the 10-point font's.
            EXPECT_LT((whole->y_max - whole->y_min) / 10, kBoxPerPoint - 0.05) << c.name;
        }
        // The row below starts under the last line; the neighbour cell of the same row stays
        // in its own column.
        EXPECT_GT(below->y_min, last->y_max) << c.name;
        const PdfWord* neighbour = find_word(out.words[0], "同行");
        ASSERT_NE(neighbour, nullptr) << c.name;
        EXPECT_GE(neighbour->x_min, right) << c.name;
        const double centre = (neighbour->y_min + neighbour->y_max) / 2;
        EXPECT_GT(centre, first->y_min) << c.name;
        EXPECT_LT(centre, last->y_max) << c.name;
    }
}

TEST_F(GridPrint, RowsThatGrowStillPageEveryRowOnce) {
    GridControl grid;
    set_list_defaults(grid);
    add_title(grid, "抄表查询");
    fill_list(grid, 60);
    // Every third street is too long for its 160 px column even in the smallest font.
    for (int r = 3; r <= 60; r += 3)
        grid.Cell(r, 3).Text = QString("幸福路%1号院东区北侧第十二栋三单元四楼靠西的那一户").arg(r);
    const PdfText out = print(grid);
    ASSERT_GE(out.page_count, 2);
    std::vector<int> all;
    for (int p = 0; p < out.page_count; ++p) {
        const auto rows = rows_on(out.pages[p]);
        all.insert(all.end(), rows.begin(), rows.end());
        EXPECT_TRUE(
            out.pages[p].contains(QString("共%1页，第%2页").arg(out.page_count).arg(p + 1)));
        for (const PdfWord& w : out.words[p]) {
            if (w.text.startsWith("共")) continue;  // the footer, in the bottom margin
            EXPECT_LT(w.y_max, out.page_height - 2.5 * kPtPerCm + 1) << w.text.toStdString();
        }
    }
    EXPECT_EQ(all, range(1, 60));
    EXPECT_FALSE(out.all().contains(u'…'));
    // Each long street reads back whole from the street column (the table of 460 px is centred:
    // the column starts 200 px right of the table's left edge and is 160 px wide).
    const double column_left = (out.page_width - 460 * kPtPerPx) / 2 + 200 * kPtPerPx;
    QString streets;
    for (const auto& words : out.words)
        for (const PdfWord& w : words_between(words, column_left, column_left + 160 * kPtPerPx))
            streets += w.text;
    for (int r = 3; r <= 60; r += 3)
        EXPECT_TRUE(
            streets.contains(QString("幸福路%1号院东区北侧第十二栋三单元四楼靠西的那一户").arg(r)))
            << r;
}

// ---- placement on the page -------------------------------------------------------------------

TEST_F(GridPrint, HeaderAndFooterSitInTheirMarginsWithTheirAlignment) {
    struct Case {
        int alignment;
        const char* name;
    };
    for (const Case& c : {Case{0, "left"}, Case{1, "centre"}, Case{2, "right"}}) {
        GridControl grid;
        set_list_defaults(grid);
        fill_list(grid, 3);
        auto setup = grid.PageSetup();
        setup->Header = "页眉&P/&N&&x";
        setup->HeaderAlignment = c.alignment;
        setup->HeaderMargin = 0.5;
        setup->Footer = "页脚&p";
        setup->FooterAlignment = c.alignment;
        setup->FooterMargin = 1.0;
        setup->FooterFont.Name = "宋体";
        setup->FooterFont.Size = 12;
        const PdfText out = print(grid, c.name);
        ASSERT_EQ(out.page_count, 1);
        const PdfWord* header = find_word(out.words[0], "页眉1/1&x");
        const PdfWord* footer = find_word(out.words[0], "页脚1");
        ASSERT_NE(header, nullptr) << c.name << out.pages[0].toStdString();
        ASSERT_NE(footer, nullptr) << c.name;
        const double left = 1.5 * kPtPerCm, right = out.page_width - 1.5 * kPtPerCm;
        for (const PdfWord* w : {header, footer}) {
            switch (c.alignment) {
                case 0:
                    EXPECT_NEAR(w->x_min, left, 1.0) << c.name;
                    break;
                case 1:
                    EXPECT_NEAR((w->x_min + w->x_max) / 2, out.page_width / 2, 1.0) << c.name;
                    break;
                case 2:
                    EXPECT_NEAR(w->x_max, right, 1.0) << c.name;
                    break;
            }
        }
        EXPECT_NEAR(header->y_min, 0.5 * kPtPerCm, 2.0) << c.name;
        EXPECT_NEAR(footer->y_max, out.page_height - 1.0 * kPtPerCm, 2.0) << c.name;
        // A 12-point footer font: poppler's word box is the font's ascent plus descent.
        EXPECT_NEAR((footer->y_max - footer->y_min) / 12, kBoxPerPoint, 0.05) << c.name;
    }
}

TEST_F(GridPrint, ZoomAndCentringPlaceTheTable) {
    struct Case {
        int zoom;
        bool centre_h;
        bool centre_v;
    };
    for (const Case& c : {Case{100, false, false}, Case{100, true, false}, Case{200, true, true},
                          Case{50, false, true}}) {
        GridControl grid;
        set_list_defaults(grid);
        auto setup = grid.PageSetup();
        setup->Zoom = c.zoom;
        setup->CenterHorizontally = c.centre_h;
        setup->CenterVertically = c.centre_v;
        setup->Footer.clear();
        grid.Cols(2);
        grid.Rows(2);
        grid.Column(1).Width = 96;  // one inch at zoom 100
        grid.DefaultRowHeight = 24;
        grid.Cell(0, 1).Text = "标题";
        grid.Cell(1, 1).Text = "内容";
        const std::string label =
            std::to_string(c.zoom) + (c.centre_h ? " h" : "") + (c.centre_v ? " v" : "");
        const PdfText out = print(grid);
        ASSERT_EQ(out.page_count, 1) << label;
        const PdfWord* content = find_word(out.words[0], "内容");
        const PdfWord* title = find_word(out.words[0], "标题");
        ASSERT_NE(content, nullptr) << label;
        ASSERT_NE(title, nullptr) << label;

        const double k = c.zoom / 100.0;
        const double table_w = 72 * k, row_h = 18 * k, padding = 3 * kPtPerPx * k;
        const double left = c.centre_h ? (out.page_width - table_w) / 2 : 1.5 * kPtPerCm;
        EXPECT_NEAR(content->x_min, left + padding, 0.8) << label;
        // The title row's text is centred in its cell.
        EXPECT_NEAR((title->x_min + title->x_max) / 2, left + table_w / 2, 0.8) << label;
        // Text is centred vertically in its row.
        const double top = c.centre_v
                               ? 1.5 * kPtPerCm + (out.page_height - 4 * kPtPerCm - 2 * row_h) / 2
                               : 1.5 * kPtPerCm;
        EXPECT_NEAR((content->y_min + content->y_max) / 2, top + 1.5 * row_h, 1.0) << label;
        const double points = 10 * k;  // the 10-point cell font, zoomed
        EXPECT_NEAR((content->y_max - content->y_min) / points, kBoxPerPoint, 0.05) << label;
    }
}

// ---- paper and the shared page setup ---------------------------------------------------------

TEST_F(GridPrint, PaperSizesEndWithTheCustomSize) {
    auto setup = std::make_shared<platform::GridPageSetup>();  // as created at start-up
    auto& sizes = setup->PaperSizes();
    sizes.Refresh();
    ASSERT_GE(sizes.Count(), 2);
    EXPECT_EQ(sizes.Item(sizes.Count()).PaperName, platform::kCustomPaperName);
    int a4 = 0;
    for (int i = 1; i <= sizes.Count(); ++i) {
        EXPECT_FALSE(sizes.Item(i).PaperName.isEmpty());
        if (sizes.Item(i).PaperName == "A4") a4 = i;
    }
    ASSERT_GT(a4, 0);
    EXPECT_DOUBLE_EQ(sizes.Item(a4).Width, 21.0);
    EXPECT_DOUBLE_EQ(sizes.Item(a4).Height, 29.7);

    // The custom entry has no size of its own, so an odd paper size matches no entry; an index
    // outside the list answers the page setup's own size, so a caller without a selection keeps
    // the paper.
    setup->PaperWidth = 10;
    setup->PaperHeight = 15.5;
    sizes.Refresh();
    for (int i = 1; i <= sizes.Count(); ++i)
        EXPECT_FALSE(sizes.Item(i).Width == 10 && sizes.Item(i).Height == 15.5) << i;
    EXPECT_DOUBLE_EQ(sizes.Item(sizes.Count()).Width, 0);
    EXPECT_DOUBLE_EQ(sizes.Item(sizes.Count()).Height, 0);
    for (int outside : {0, -1, sizes.Count() + 1}) {
        EXPECT_DOUBLE_EQ(sizes.Item(outside).Width, 10);
        EXPECT_DOUBLE_EQ(sizes.Item(outside).Height, 15.5);
    }
}

TEST_F(GridPrint, PageSetupHeldElsewhereActsOnItsGrid) {
    std::shared_ptr<platform::GridPageSetup> page_setup_object =
        std::make_shared<platform::GridPageSetup>();
    GridControl grid;
    set_list_defaults(grid);
    fill_list(grid, 5);
    page_setup_object = grid.PageSetup();
    page_setup_object->PaperWidth = 10;
    page_setup_object->PaperHeight = 15;
    page_setup_object->Orientation = 1;
    page_setup_object->LeftMargin = page_setup_object->RightMargin = 0.5;
    page_setup_object->Footer = "第&p页";

    PdfText out = print(grid, "custom");
    EXPECT_NEAR(out.page_width, 10 * kPtPerCm, kPageBoxTolerance);
    EXPECT_NEAR(out.page_height, 15 * kPtPerCm, kPageBoxTolerance);
    EXPECT_TRUE(out.all().contains("第1页"));

    page_setup_object->Orientation = 2;
    out = print(grid, "custom_landscape");
    EXPECT_NEAR(out.page_width, 15 * kPtPerCm, kPageBoxTolerance);
    EXPECT_NEAR(out.page_height, 10 * kPtPerCm, kPageBoxTolerance);
}

TEST_F(GridPrint, UnusablePageValuesStillPrintEveryRow) {
    GridControl grid;
    set_list_defaults(grid);
    fill_list(grid, 12);
    auto setup = grid.PageSetup();
    setup->PaperWidth = 0;  // no paper size: A4
    setup->PaperHeight = -3;
    setup->Zoom = 0;         // prints at the smallest zoom, not at none
    setup->LeftMargin = 15;  // margins wider than the paper shrink to leave room
    setup->RightMargin = 15;
    setup->TopMargin = std::nan("");
    grid.DefaultRowHeight = 0;
    const PdfText out = print(grid);
    EXPECT_NEAR(out.page_width, 595.28, kPageBoxTolerance);
    std::vector<int> all;
    for (const QString& page : out.pages) {
        const auto rows = rows_on(page);
        all.insert(all.end(), rows.begin(), rows.end());
    }
    EXPECT_EQ(all, range(1, 12));
}

// ---- the grid's cells ------------------------------------------------------------------------

TEST(GridCells, ResizingKeepsCellsAndOutsideCellsAreIgnored) {
    GridControl grid;
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.Cols(), 1);
    grid.Cell(0, 3).Text = "outside";  // before Cols: no such cell
    grid.Cols(4);
    EXPECT_EQ(grid.Cell(0, 3).Text, "");
    grid.Cell(0, 3).Text = "标题";
    grid.Rows(3);
    grid.Cell(2, 1).Text = "a";
    grid.Cell(2, 3).Text = "b";
    grid.Cols(6);  // wider: every cell stays at its row and column
    EXPECT_EQ(grid.Cell(0, 3).Text, "标题");
    EXPECT_EQ(grid.Cell(2, 1).Text, "a");
    EXPECT_EQ(grid.Cell(2, 3).Text, "b");
    grid.Cols(3);  // narrower: column 3 is gone
    EXPECT_EQ(grid.Cell(2, 1).Text, "a");
    EXPECT_EQ(grid.Cell(2, 3).Text, "");
    grid.Rows(2);
    EXPECT_EQ(grid.Cell(2, 1).Text, "");
    grid.Rows(3);
    EXPECT_EQ(grid.Cell(2, 1).Text, "");  // a removed row does not come back
    for (auto [r, c] : {std::pair{-1, 0}, {0, -1}, {3, 0}, {0, 3}}) {
        grid.Cell(r, c).Text = "x";
        EXPECT_EQ(grid.Cell(r, c).Text, "");
    }
    grid.Column(7).Width = 500;
    EXPECT_EQ(grid.Column(7).Width, GridColumn().Width);
    grid.Cols(0);
    EXPECT_EQ(grid.Cols(), 1);

    platform::GridReportTitles titles;
    titles.Item(1).Text = "none yet";
    EXPECT_EQ(titles.Count(), 0);
    auto& added = titles.AddBlankReportTitle();
    EXPECT_TRUE(added.Text.isEmpty());
    titles.Item(1).Text = "第一";
    titles.AddBlankReportTitle();
    EXPECT_EQ(added.Text, "第一");  // handed-out titles stay valid
    EXPECT_EQ(titles.Count(), 2);
}

TEST(GridFonts, EveryNameMapsOntoTheOnePrintFamily) {
    struct Case {
        const char* name;
        double size;
        double scale;
        double points;
    };
    for (const Case& c :
         {Case{"黑体", 20, 1, 20}, Case{"宋体", 9, 1, 9}, Case{"Tahoma", 10, 0.85, 8.5},
          Case{"No Such Font", 12, 2, 24}, Case{"", 0, 1, 9}}) {
        GridFont gf;
        gf.Name = c.name;
        gf.Size = c.size;
        gf.Bold = true;
        gf.Underline = true;
        const QFont font = platform::resolve_print_font(gf, c.scale);
        EXPECT_EQ(QFontInfo(font).family(), platform::print_font_family()) << c.name;
        EXPECT_DOUBLE_EQ(font.pointSizeF(), c.points) << c.name;
        EXPECT_TRUE(font.bold());
        EXPECT_TRUE(font.underline());
        EXPECT_FALSE(font.italic());
    }
}

// ---- print preview ---------------------------------------------------------------------------

// Answers the preview window the way a test does: prints what it shows into a PDF.
class PreviewToPdf : public platform::UiBackend {
public:
    explicit PreviewToPdf(QString path) : path_(std::move(path)) {}
    platform::MsgResult message_box(const QString& text, const QString&, platform::MsgIcon,
                                    platform::MsgButtons, QWidget*) override {
        ADD_FAILURE() << "unexpected box " << text.toStdString();
        return platform::MsgResult::Ok;
    }
    bool input_box(const QString&, const QString&, const QString&, QString*, QWidget*) override {
        ADD_FAILURE() << "unexpected input box";
        return false;
    }
    QString file_dialog(const platform::FileDialogRequest&, QWidget*) override { return {}; }
    int run_modal(QDialog* window) override {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(window);
        EXPECT_NE(preview, nullptr);
        if (!preview) return QDialog::Rejected;
        ++previews;
        title = preview->windowTitle();
        if (auto* view = preview->findChild<QPrintPreviewWidget*>()) zoom = view->zoomFactor();
        printed = platform::print_preview_to_pdf(*preview, path_);
        return QDialog::Accepted;
    }
    void beep() override {}
    void play_sound(const QString&) override {}
    [[noreturn]] void end_program(int exit_code) override {
        throw platform::ProgramEnded{exit_code};
    }

    int previews = 0;
    bool printed = false;
    QString title;
    double zoom = 0;

private:
    QString path_;
};

TEST_F(GridPrint, PrintPreviewOpensModallyAndPrintsWhatItShows) {
    GridControl grid;
    set_list_defaults(grid);
    grid.PageSetup()->Orientation = 2;
    add_title(grid, "预览标题");
    fill_list(grid, 30);
    PreviewToPdf backend(pdf("preview"));
    platform::set_ui_backend(&backend);
    grid.PrintPreview("100");
    platform::set_ui_backend(nullptr);

    EXPECT_EQ(backend.previews, 1);
    EXPECT_EQ(backend.title, "打印预览");
    EXPECT_DOUBLE_EQ(backend.zoom, 1.0);
    ASSERT_TRUE(backend.printed);
    const PdfText out = read_pdf(pdf("preview"));
    EXPECT_NEAR(out.page_width, 841.89, kPageBoxTolerance);  // landscape A4, as set up
    EXPECT_TRUE(out.pages[0].contains("预览标题"));
    std::vector<int> all;
    for (const QString& page : out.pages) {
        const auto rows = rows_on(page);
        all.insert(all.end(), rows.begin(), rows.end());
    }
    EXPECT_EQ(all, range(1, 30));
    EXPECT_TRUE(out.pages.last().contains(QString("共%1页，第%1页").arg(out.page_count)));
}

// The preview opens over the whole screen with every tool of its bar showing, icons drawn,
// under every skin.
class PreviewLook : public PreviewToPdf {
public:
    PreviewLook() : PreviewToPdf(QString()) {}
    int run_modal(QDialog* window) override {
        window->show();
        maximised = window->windowState().testFlag(Qt::WindowMaximized);
        geometry = window->geometry();
        frame = window->frameGeometry();
        for (QToolBar* bar : window->findChildren<QToolBar*>()) {
            // A bar too narrow for its tools shows its overflow handle.
            for (QToolButton* button : bar->findChildren<QToolButton*>())
                if (button->objectName() == "qt_toolbar_ext_button" && button->isVisible())
                    overflow = true;
        }
        without_icons = dialog_look::tool_buttons_without_icons(window);
        // The zoom box's text is not cut: with the caret at its end the text has not scrolled
        // away from where it starts, and its end is inside the box's frame and padding.
        for (QComboBox* box : window->findChildren<QComboBox*>()) {
            if (!box->isVisible() || !box->lineEdit()) continue;
            QLineEdit* edit = box->lineEdit();
            edit->setCursorPosition(0);
            const int start = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
            edit->setCursorPosition(int(edit->text().size()));
            const int end = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
            if (end - start < edit->fontMetrics().horizontalAdvance(edit->text()) - 2 ||
                end > edit->width() - 5)
                cut_texts << edit->text();
        }
        window->hide();
        return QDialog::Accepted;
    }
    bool maximised = false;
    bool overflow = false;
    QRect geometry;
    QRect frame;
    QStringList without_icons;
    QStringList cut_texts;
};

TEST_F(GridPrint, PrintPreviewFillsTheScreenWithEveryToolShowing) {
    const dialog_look::ProgramFont font;
    for (const QString& skin : dialog_look::kSkins) {
        SCOPED_TRACE(skin.toStdString());
        const dialog_look::SkinOn look(skin);
        GridControl grid;
        set_list_defaults(grid);
        fill_list(grid, 3);
        PreviewLook backend;
        platform::set_ui_backend(&backend);
        grid.PrintPreview("100");
        platform::set_ui_backend(nullptr);
        EXPECT_TRUE(backend.maximised);
        // Where no window manager maximises it, the working area less a frame, the frame on it.
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_TRUE(area.contains(backend.frame)) << backend.frame.x() << "," << backend.frame.y();
        EXPECT_GE(backend.geometry.width() * 10, area.width() * 9);
        EXPECT_GE(backend.geometry.height() * 10, area.height() * 9);
        EXPECT_FALSE(backend.overflow);
        EXPECT_EQ(backend.without_icons, QStringList());
        EXPECT_EQ(backend.cut_texts, QStringList());
    }
}

}  // namespace
