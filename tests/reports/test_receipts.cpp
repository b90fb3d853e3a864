// Printing receipts: the preview's pages read back from a PDF with pdftotext, printing straight
// to the printer when the preview is off, and nothing printed when the template is damaged.
#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QPrintPreviewDialog>

#include "harness/pdf_text.h"
#include "platform/grid.h"
#include "receipt_fixture.h"
#include "reports/print_parameters.h"
#include "reports/receipts.h"
#include "reports/report_engine.h"

namespace reports_test {
namespace {

class PrintedReceipt : public ReceiptTest {
protected:
    void SetUp() override {
        ReceiptTest::SetUp();
        pdf_ = folder() + "/receipt.pdf";
    }
    void TearDown() override {
        reports::set_direct_print_file_for_tests(QString());
        ReceiptTest::TearDown();
    }
    void expect_preview() {
        ui.on_modal("QPrintPreviewDialog", [this](QDialog* window) {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(window);
            EXPECT_NE(preview, nullptr);
            if (!preview) return int(QDialog::Rejected);
            ++previews_;
            EXPECT_TRUE(platform::print_preview_to_pdf(*preview, pdf_));
            return int(QDialog::Accepted);
        });
    }
    // The text of the printed PDF with runs of blanks made one, so that words of a line can be
    // looked for whatever the layout's spacing.
    QString printed_text() {
        const harness::PdfText out = harness::read_pdf(pdf_);
        page_count_ = out.page_count;
        page_width_ = out.page_width;
        page_height_ = out.page_height;
        QString text = out.all();
        text.replace(QRegularExpression("[ \t]+"), " ");
        return text;
    }
    QString pdf_;
    int previews_ = 0;
    int page_count_ = 0;
    double page_width_ = 0, page_height_ = 0;
};

TEST_F(PrintedReceipt, ChargeReceiptPreviewShowsEveryFigureTheCapitalsAndTheSerial) {
    add_two_bill_payment();
    expect_preview();
    EXPECT_TRUE(reports::print_charge_receipt(kSerial));
    EXPECT_EQ(previews_, 1);
    const QString text = printed_text();
    EXPECT_EQ(page_count_, 1);
    // A5 across: 210 x 148 mm.
    EXPECT_NEAR(page_width_, 595.28, 1.0);
    EXPECT_NEAR(page_height_, 419.53, 1.0);
    for (const QString& expected :
         {s("物业服务中心"), s("收费收据"), s("№000000001"), s("2024年3月5日"), s("FP001"),
          s("张三"), s("0001"), s("东区"), s("1号楼101"), s("C001"), s("现金缴费"),
          // the detail lines
          s("45.0000"), s("47.5000"), s("2.5000"), s("2024-2-20"), s("2024-1-20"), s("9950"),
          s("250"), s("50.0000"), s("第二阶梯"), s("60.0000"), s("第三阶梯"), s("40.0000"),
          s("污水处理费"), s("31.2000"), s("水资源费"), s("7.8000"), s("电力附加"), s("5.0000"),
          // the totals
          s("上期结余： 0.30"), s("本期结余： 0.45"), s("应收金额： 286.50"), s("减免金额： 10.00"),
          s("滞纳金： 1.50"), s("预存扣款： 5.00"), s("实收金额： 273.00"), s("贰佰柒拾叁元整"),
          s("收费人员： 李会计")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n"
                                             << text.toStdString();
    // 45.00 belongs to the reading line only; the 9.99 stored with the readings is not printed.
    EXPECT_FALSE(text.contains("9.99"));
}

TEST_F(PrintedReceipt, PrepayReceiptPrintsStraightAwayWhenThePreviewIsOff) {
    ASSERT_TRUE(reports::kPrintPreviewKey.write(s("假")));
    reports::set_direct_print_file_for_tests(pdf_);
    add_prepayment(1000000005, "0002", 100, "2024-03-05", 1);
    EXPECT_TRUE(reports::print_prepay_receipt(1000000005));  // no preview: none is scripted
    const QString text = printed_text();
    for (const QString& expected : {s("预存收据"), s("№000000005"), s("2024-3-5"), s("李四"),
                                    s("预存缴费"), s("上期结余： 0.00"), s("预存金额： 100.00"),
                                    s("本期结余： 100.00"), s("壹佰元整"), s("李会计")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n"
                                             << text.toStdString();
}

TEST_F(PrintedReceipt, ATemplateThatDoesNotLoadIsToldAndOnlyTheChargeReceiptStillPrints) {
    add_two_bill_payment();
    add_prepayment(1000000005, "0002", 100, "2024-03-05", 1);
    expect_preview();  // a preview that should not open is counted all the same
    struct Case {
        const char* file;
        bool damaged;  // else missing
        const char* message;
        bool charge;
        bool preview;  // [控件注册] 打印预览 on, else straight to the printer
        bool printed;
    };
    for (const Case& c : {Case{"grf/sf.grf", true, "加载报表模板失败!", true, true, true},
                          Case{"grf/sf.grf", false, "加载报表模板失败!", true, true, true},
                          Case{"grf/sf.grf", false, "加载报表模板失败!", true, false, true},
                          Case{"grf/yc.grf", true, "加载报表模板失败！", false, true, false},
                          Case{"grf/yc.grf", false, "加载报表模板失败！", false, false, false}}) {
        SCOPED_TRACE(std::string(c.file) + (c.damaged ? " damaged" : " missing") +
                     (c.preview ? " preview" : " direct"));
        platform::file_delete(path(c.file));
        platform::file_delete(pdf_);
        if (c.damaged) {
            QFile damaged(path(c.file));
            ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
            damaged.write("{\"format\": \"feeoffice-report\", \"version\": 1, \"bands\": [");
        }
        ASSERT_TRUE(reports::kPrintPreviewKey.write(c.preview ? s("真") : s("假")));
        reports::set_direct_print_file_for_tests(c.preview ? QString() : pdf_);
        previews_ = 0;
        const size_t before = ui.boxes().size();
        ui.expect_box(s(c.message));
        const bool printed = c.charge ? reports::print_charge_receipt(kSerial)
                                      : reports::print_prepay_receipt(1000000005);
        EXPECT_EQ(printed, c.printed);
        EXPECT_EQ(previews_, c.printed && c.preview ? 1 : 0);
        EXPECT_EQ(QFile::exists(pdf_), c.printed);
        ASSERT_EQ(ui.boxes().size(), before + 1);
        EXPECT_EQ(ui.boxes().back().text, s(c.message));
        EXPECT_EQ(ui.boxes().back().icon, platform::MsgIcon::Information);
    }
}

TEST_F(PrintedReceipt, APrepayRowThatCannotBeWrittenIsToldAndNotPrinted) {
    add_prepayment(1000000005, "0002", 100, "2024-03-05", 1);
    ASSERT_TRUE(platform::file_delete(path(platform::kShippedPrintDatabaseFile)));
    ui.answer(platform::MsgResult::Ok)
        .expect_box(s("insert into 预存信息"))
        .answer(platform::MsgResult::Ok);
    EXPECT_FALSE(reports::print_prepay_receipt(1000000005));
    ASSERT_EQ(ui.boxes().size(), 3u);
    EXPECT_EQ(ui.boxes()[1].icon, platform::MsgIcon::None);
    EXPECT_EQ(ui.boxes()[2].icon, platform::MsgIcon::Information);
}

TEST_F(PrintedReceipt, LongDetailRunsOntoFurtherPagesWithItsColumnTitles) {
    for (int i = 0; i < 40; ++i)
        add_reading({"000101", "0001", double(i), double(i + 1), 1, 0, "2024-02-20", s("水费"),
                     s("居民水"), 901, 1000000012});
    add_bill({"0001", 901, 1000000012, s("水费"), s("居民水"), 100, 0, 0, 0, 0, 0, 100, 0, 0});
    reports::set_direct_print_file_for_tests(pdf_);
    ASSERT_TRUE(reports::kPrintPreviewKey.write(s("假")));
    EXPECT_TRUE(reports::print_charge_receipt(1000000012));
    const harness::PdfText out = harness::read_pdf(pdf_);
    ASSERT_GE(out.page_count, 2);
    EXPECT_TRUE(out.pages[1].contains(s("价格类别")));
    EXPECT_TRUE(out.pages.last().contains(s("壹佰元整")));
}

}  // namespace
}  // namespace reports_test
