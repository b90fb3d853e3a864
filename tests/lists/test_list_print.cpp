// Printing a list page: the page setup window opens on the list defaults, the preview prints
// what the list shows with the pz.ini title, read back from the PDF with pdfinfo and pdftotext.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <algorithm>
#include <functional>
#include <memory>

#include "harness/busy_watch.h"
#include "harness/fixture.h"
#include "harness/pdf_text.h"
#include "harness/units.h"
#include "lists/list_pages.h"
#include "lists/list_print.h"
#include "lists/page_setup_window.h"
#include "platform/files.h"
#include "platform/grid.h"
#include "platform/listview.h"

namespace {

using harness::captured_numbers;
using harness::find_word;
using harness::PdfText;
using harness::PdfWord;
using harness::range;
using harness::read_pdf;
using harness::unit;

// Top edge (points) of the first word with this text on page 1, or -1.
double word_top(const PdfText& out, const QString& text) {
    const PdfWord* word = out.words.empty() ? nullptr : find_word(out.words[0], text);
    return word ? word->y_min : -1;
}

const QStringList kTitles = {"户号", "用户名", "备注", "居住街道", "欠费金额"};
constexpr int kHiddenColumn = 2;  // 备注, width 0 as the column settings hide a column
const QStringList kShownTitles = {"户号", "用户名", "居住街道", "欠费金额"};

// A list page's view: 户号 "88" + 4 digits, a name, a hidden remark, a street, an amount.
std::unique_ptr<QTableView> make_list(int rows) {
    std::unique_ptr<QTableView> list(platform::make_report_view());
    for (int k = 0; k < kTitles.size(); ++k)
        platform::listview_insert_column(list.get(), kTitles[k],
                                         k == kHiddenColumn ? 0 : (k == 3 ? 140 : 90));
    platform::listview_begin_fill(list.get());
    for (int r = 1; r <= rows; ++r) {
        platform::listview_model(list.get())
            ->append_row({QString("88%1").arg(r, 4, 10, QChar('0')), QString("王用户%1").arg(r),
                          QString("隐藏备注%1").arg(r), QString("幸福路%1号").arg(r),
                          QString::number(r * 1.25, 'f', 2)});
    }
    platform::listview_end_fill(list.get());
    return list;
}

// Numbers of the rows ("880017" -> 17) on a page of -layout text.
std::vector<int> rows_on(const QString& page) {
    static const QRegularExpression re(R"(\b88(\d{4})\b)");
    return captured_numbers(page, re);
}

constexpr double kA4Short = 595.28, kA4Long = 841.89, kTolerance = 0.5;
constexpr double kPtPerCm = 72.0 / 2.54;

class ListPrint : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        pdf_ = folder() + "/preview.pdf";
        ui.on_modal("QPrintPreviewDialog", [this](QDialog* window) {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(window);
            EXPECT_NE(preview, nullptr);
            if (!preview) return int(QDialog::Rejected);
            ++previews_;
            EXPECT_TRUE(platform::print_preview_to_pdf(*preview, pdf_));
            return int(QDialog::Accepted);
        });
    }
    void TearDown() override {
        lists::page_setup_object.reset();
        ProgramFolderTest::TearDown();
    }

    // The page setup window is answered by `step`, which returns its result code.
    void on_page_setup(std::function<int(lists::PageSetupWindow&)> step) {
        ui.on_modal("PageSetupWindow", [this, step](QDialog* window) {
            auto* setup = qobject_cast<lists::PageSetupWindow*>(window);
            EXPECT_NE(setup, nullptr);
            if (!setup) return int(QDialog::Rejected);
            ++setups_;
            EXPECT_EQ(previews_, setups_ - 1) << "the preview opened before the page setup window";
            return step(*setup);
        });
    }

    static int confirm(lists::PageSetupWindow& window) {
        unit<QPushButton>(window, "按钮_确定")->click();
        return window.result();
    }

    QString pdf_;
    int previews_ = 0;
    int setups_ = 0;
};

// ---- pages of a list -------------------------------------------------------------------------

TEST_F(ListPrint, SixtyRowsPrintWithTitleColumnTitlesAndFooterOnEveryPage) {
    // Row height 25 px, margins 1.5 / 2.5 cm, a 20-point title taking 40 pt and the title row:
    // portrait has 25.7 cm = 971.3 px for 35 rows per page, landscape 17 cm = 642.5 px for 22.
    struct Case {
        const char* orientation;
        double width, height;
        std::vector<std::vector<int>> pages;
    };
    const Case cases[] = {
        {"纵向", kA4Short, kA4Long, {range(1, 35), range(36, 60)}},
        {"横向", kA4Long, kA4Short, {range(1, 22), range(23, 44), range(45, 60)}},
    };
    platform::ini_write_text("标题", "标题名称", "二〇二四年用户欠费表");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        previews_ = setups_ = 0;
        auto list = make_list(60);
        on_page_setup([&](lists::PageSetupWindow& window) {
            // The window edits the new grid's page setup, which carries the list defaults.
            const auto& setup = lists::page_setup_object;
            EXPECT_EQ(window.page_setup(), setup);
            EXPECT_DOUBLE_EQ(setup->PaperWidth, 21);
            EXPECT_DOUBLE_EQ(setup->PaperHeight, 29.7);
            EXPECT_DOUBLE_EQ(setup->TopMargin, 1.5);
            EXPECT_DOUBLE_EQ(setup->BottomMargin, 2.5);
            EXPECT_DOUBLE_EQ(setup->LeftMargin, 1.5);
            EXPECT_DOUBLE_EQ(setup->RightMargin, 1.5);
            EXPECT_TRUE(setup->PrintGridlines && setup->CenterHorizontally && setup->PrintFixedRow);
            EXPECT_EQ(setup->Footer, "共&n页，第&p页");
            EXPECT_EQ(unit<QLineEdit>(window, "编辑框_标题名称")->text(), "二〇二四年用户欠费表");
            if (QString(c.orientation) == "横向")
                unit<QRadioButton>(window, "单选框_横向")->setChecked(true);
            return confirm(window);
        });
        lists::print_list_view(list.get());
        ASSERT_EQ(setups_, 1);
        ASSERT_EQ(previews_, 1);
        EXPECT_EQ(platform::ini_read_text("标题", "纸张方向"), c.orientation);

        const PdfText out = read_pdf(pdf_);
        EXPECT_TRUE(out.page_size_line.contains("(A4)")) << out.page_size_line.toStdString();
        EXPECT_NEAR(out.page_width, c.width, kTolerance);
        EXPECT_NEAR(out.page_height, c.height, kTolerance);
        ASSERT_EQ(out.page_count, int(c.pages.size()));
        ASSERT_EQ(out.pages.size(), c.pages.size());
        const int n = out.page_count;
        for (int p = 0; p < n; ++p) {
            const QString& page = out.pages[p];
            SCOPED_TRACE(p + 1);
            EXPECT_EQ(rows_on(page), c.pages[p]);
            EXPECT_EQ(page.count("二〇二四年用户欠费表"), 1);
            for (const QString& title : kShownTitles)
                EXPECT_EQ(page.count(title), 1) << title.toStdString();
            EXPECT_FALSE(page.contains("备注"));  // the hidden column
            EXPECT_FALSE(page.contains("隐藏备注"));
            EXPECT_TRUE(page.contains(QString("共%1页，第%2页").arg(n).arg(p + 1)));
            EXPECT_LT(page.indexOf("二〇二四年用户欠费表"), page.indexOf("户号"));
            EXPECT_LT(page.indexOf("户号"), page.indexOf("88"));
        }
        EXPECT_TRUE(out.pages[0].contains("王用户1 "));
        EXPECT_TRUE(out.pages.last().contains("幸福路60号"));
        EXPECT_TRUE(out.pages.last().contains("75.00"));
    }
}

// A printed list never hides what the list shows: dates, identity numbers and bank accounts a
// little wider than their columns print whole on one line, a long address wraps in its column.
TEST_F(ListPrint, LongCellsPrintWhole) {
    struct Column {
        const char* title;
        int width;  // the shipped widths of the household list
        const char* text;
    };
    const Column columns[] = {
        {"户号", 80, "000123"},
        {"建档时间", 110, "2026年12月10日"},
        {"身份证号", 140, "11010119900101123X"},
        {"银行帐号", 130, "6222000011112222333"},
        {"详细地址", 150, "北京市朝阳区幸福路一百二十三号院东区北侧第十二栋三单元四楼"},
        {"家庭人口", 60, "5"},
    };
    std::unique_ptr<QTableView> list(platform::make_report_view());
    for (const Column& c : columns) platform::listview_insert_column(list.get(), c.title, c.width);
    platform::listview_begin_fill(list.get());
    QStringList row;
    for (const Column& c : columns) row << c.text;
    for (int r = 0; r < 3; ++r) platform::listview_model(list.get())->append_row(row);
    platform::listview_end_fill(list.get());

    on_page_setup(confirm);
    lists::print_list_view(list.get());
    const PdfText out = read_pdf(pdf_);
    ASSERT_EQ(out.page_count, 1);
    const QString& page = out.pages[0];
    EXPECT_FALSE(page.contains(u'…'));
    for (const Column& c : columns) {
        if (QString(c.title) == "详细地址") continue;
        EXPECT_EQ(page.count(c.title), 1) << c.title;
        EXPECT_EQ(page.count(c.text), 3) << c.title << " " << page.toStdString();
    }
    // The address reads back whole from its own column, top to bottom, once per row.
    const PdfWord* header = find_word(out.words[0], "详细地址");
    ASSERT_NE(header, nullptr);
    const double centre = (header->x_min + header->x_max) / 2, half = 150 * 0.75 / 2;
    std::vector<PdfWord> inside;
    for (const PdfWord& w : out.words[0])
        if (w.x_min >= centre - half - 0.5 && w.x_max <= centre + half + 0.5 &&
            w.text != "详细地址")
            inside.push_back(w);
    std::sort(inside.begin(), inside.end(),
              [](const PdfWord& a, const PdfWord& b) { return a.y_min < b.y_min; });
    QString joined;
    for (const PdfWord& w : inside) joined += w.text;
    EXPECT_EQ(joined, QString(columns[4].text).repeated(3));
    EXPECT_GT(inside.size(), 3u) << "the address wraps";
}

TEST_F(ListPrint, BlankTitlePrintsNoTitleAndTheTableStartsAtTheTopMargin) {
    platform::ini_write_text("标题", "标题名称", "上次的标题");
    auto list = make_list(3);
    on_page_setup([](lists::PageSetupWindow& window) {
        unit<QLineEdit>(window, "编辑框_标题名称")->setText("   ");
        return confirm(window);
    });
    lists::print_list_view(list.get());
    EXPECT_EQ(platform::ini_read_text("标题", "标题名称", "缺省"), "");

    const PdfText out = read_pdf(pdf_);
    ASSERT_EQ(out.page_count, 1);
    EXPECT_FALSE(out.pages[0].contains("上次的标题"));
    EXPECT_TRUE(out.pages[0].trimmed().startsWith("户号"));
    // The title row is the first thing under the 1.5 cm top margin (a 25 px row, text centred).
    const double top = word_top(out, "户号");
    EXPECT_GT(top, 1.5 * kPtPerCm);
    EXPECT_LT(top, 1.5 * kPtPerCm + 25 * 0.75);
    EXPECT_EQ(rows_on(out.pages[0]), range(1, 3));
}

TEST_F(ListPrint, CancellingThePageSetupPreviewsWithTheListDefaults) {
    // The orientation stored by an earlier print applies on OK only.
    platform::ini_write_text("标题", "纸张方向", "横向");
    platform::ini_write_text("标题", "标题名称", "抄表查询");
    auto list = make_list(5);
    on_page_setup([](lists::PageSetupWindow& window) {
        EXPECT_TRUE(unit<QRadioButton>(window, "单选框_横向")->isChecked());
        unit<QLineEdit>(window, "编辑框_缩放比例")->setText("50");
        unit<QLineEdit>(window, "编辑框_标题名称")->setText("不会保存");
        unit<QPushButton>(window, "按钮_取消")->click();
        return window.result();
    });
    lists::print_list_view(list.get());
    ASSERT_EQ(previews_, 1);

    EXPECT_EQ(platform::ini_read_text("标题", "纸张方向"), "横向");
    EXPECT_EQ(platform::ini_read_text("标题", "标题名称"), "抄表查询");
    EXPECT_EQ(lists::page_setup_object->Orientation, 1);
    EXPECT_EQ(lists::page_setup_object->Zoom, 100);

    const PdfText out = read_pdf(pdf_);
    EXPECT_NEAR(out.page_width, kA4Short, kTolerance);  // portrait, the list default
    EXPECT_NEAR(out.page_height, kA4Long, kTolerance);
    ASSERT_EQ(out.page_count, 1);
    EXPECT_TRUE(out.pages[0].contains("抄表查询"));
    EXPECT_FALSE(out.pages[0].contains("不会保存"));
    EXPECT_TRUE(out.pages[0].contains("共1页，第1页"));
    EXPECT_EQ(rows_on(out.pages[0]), range(1, 5));
}

TEST_F(ListPrint, EmptyListPrintsTheTitleRowOnlyAndTheListIsUntouched) {
    auto list = make_list(0);
    on_page_setup(confirm);
    lists::print_list_view(list.get());
    const PdfText out = read_pdf(pdf_);
    ASSERT_EQ(out.page_count, 1);
    for (const QString& title : kShownTitles)
        EXPECT_TRUE(out.pages[0].contains(title)) << title.toStdString();
    EXPECT_TRUE(rows_on(out.pages[0]).empty());

    EXPECT_EQ(platform::listview_column_count(list.get()), kTitles.size());
    EXPECT_EQ(platform::listview_row_count(list.get()), 0);
    EXPECT_EQ(platform::listview_column_width(list.get(), kHiddenColumn), 0);
}

TEST_F(ListPrint, EachPrintStartsFromTheDefaultsAndKeepsTheLastPageSetup) {
    auto list = make_list(2);
    on_page_setup([](lists::PageSetupWindow& window) {
        unit<QLineEdit>(window, "编辑框_顶边距")->setText("4");
        unit<QCheckBox>(window, "选择框_打印网格线")->setChecked(false);
        return confirm(window);
    });
    lists::print_list_view(list.get());
    const std::shared_ptr<platform::GridPageSetup> first = lists::page_setup_object;
    ASSERT_TRUE(first);
    // The grid is gone; the page setup it printed with lives on in page_setup_object.
    EXPECT_EQ(first.use_count(), 2);
    EXPECT_DOUBLE_EQ(first->TopMargin, 4);
    EXPECT_FALSE(first->PrintGridlines);

    on_page_setup([&](lists::PageSetupWindow& window) {
        EXPECT_NE(window.page_setup(), first);
        EXPECT_EQ(unit<QLineEdit>(window, "编辑框_顶边距")->text(), "1.5");
        EXPECT_TRUE(unit<QCheckBox>(window, "选择框_打印网格线")->isChecked());
        return confirm(window);
    });
    lists::print_list_view(list.get());
    EXPECT_NE(lists::page_setup_object, first);
    EXPECT_EQ(first.use_count(), 1);  // released by page_setup_object
    EXPECT_EQ(previews_, 2);
}

TEST_F(ListPrint, PrintButtonOfAListPagePrintsItsListOnceInstalled) {
    QWidget page;
    auto list = make_list(4);
    list->setParent(&page);
    list->setObjectName("列表框_日志管理");
    auto* button = new QPushButton("打印", &page);
    button->setObjectName("日志_打印");
    lists::wire_list_page(12, &page);
    lists::install_list_printing();
    EXPECT_TRUE(button->isEnabled());

    on_page_setup(confirm);
    button->click();
    EXPECT_EQ(setups_, 1);
    ASSERT_EQ(previews_, 1);
    EXPECT_EQ(rows_on(read_pdf(pdf_).pages.value(0)), range(1, 4));

    lists::set_print_list_handler(nullptr);
}

}  // namespace

namespace {

// The copy of the rows and the painting of the pages take seconds on a long list: a progress
// window counts the rows, then the pages, and is gone once the last page is painted.
TEST_F(ListPrint, AProgressWindowCountsTheRowsThenThePagesAndGoesWithTheLastPage) {
    auto list = make_list(60);
    on_page_setup(confirm);
    bool progress_left_over = true;
    ui.on_modal("QPrintPreviewDialog", [&](QDialog* window) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(window);
        EXPECT_TRUE(platform::print_preview_to_pdf(*preview, pdf_));
        progress_left_over = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("lists::ProgressWindow") && w->isVisible()) progress_left_over = true;
        return int(QDialog::Accepted);
    });
    harness::BusyWatch watch;
    lists::print_list_view(list.get());

    EXPECT_EQ(watch.windows_opened(), 1);
    EXPECT_EQ(watch.painted_maximum(), 60);
    const std::vector<int>& painted = watch.painted_positions();
    EXPECT_NE(std::find(painted.begin(), painted.end(), 60), painted.end());
    ASSERT_FALSE(painted.empty());
    EXPECT_EQ(painted.back(), 2);  // the second of two pages
    EXPECT_FALSE(progress_left_over);
}

}  // namespace
