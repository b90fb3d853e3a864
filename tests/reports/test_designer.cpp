// The template designer: opened on a template it binds the print database's columns, edits
// made in it are saved with the save question, and a reopened designer shows them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTest>

#include "harness/pdf_text.h"
#include "harness/units.h"
#include "platform/grid.h"
#include "receipt_fixture.h"
#include "reports/print_parameters.h"
#include "reports/receipts.h"
#include "reports/report_designer_window.h"
#include "reports/report_engine.h"
#include "reports/template_designer.h"
#include "shell/report_designer_host.h"

namespace reports_test {
namespace {

using harness::unit;
using reports::DesignBand;
using reports::ItemKind;
using reports::ReportDesignerWindow;
using reports::TemplateDesigner;

class Designer : public ReceiptTest {
protected:
    void SetUp() override {
        ReceiptTest::SetUp();
        reports::install_template_designer();
        reports::designer_template_name = s("收费发票");
    }
    void TearDown() override {
        shell::set_designer_factory({});
        ReceiptTest::TearDown();
    }
    static void kPreviewOff() { reports::kPrintPreviewKey.write(s("假")); }
    // Index of the first header item with this text.
    static int header_item(const TemplateDesigner& d, const QString& text) {
        const auto& items = d.design().header.items;
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].text == text) return static_cast<int>(i);
        return -1;
    }
};

TEST_F(Designer, OpensOnTheTemplateWithTheColumnsOfThePrintDatabase) {
    ReportDesignerWindow window;
    EXPECT_EQ(window.windowTitle(), s("收费发票报表设计"));
    TemplateDesigner* d = window.designer();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(reports::designer_template_path, path("grf/sf.grf"));
    EXPECT_EQ(window.report()->title(), s("收费发票设计"));
    EXPECT_EQ(window.report()->query(), s("select * from 用户信息"));
    EXPECT_EQ(window.report()->detail_query(), s("select * from 电表信息"));
    // No receipt was printed yet: the columns come from the shipped print database.
    EXPECT_TRUE(d->fields().contains(s("实收大写")));
    EXPECT_TRUE(d->detail_fields().contains(s("基本度数")));
    EXPECT_FALSE(d->dirty());
    ui.on_modal("x", [](QDialog*) { return 0; });  // nothing else may open
    window.reject();                               // unchanged: no question
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_FALSE(shell::designer_host->designer_get_object());
    EXPECT_FALSE(shell::designer_report->object);
}

TEST_F(Designer, EditedLabelIsSavedAndShownWhenReopened) {
    {
        ReportDesignerWindow window;
        TemplateDesigner* d = window.designer();
        ASSERT_NE(d, nullptr);
        const int label = header_item(*d, s("户号："));
        ASSERT_GE(label, 0);
        d->select({DesignBand::Header, label});
        auto* text = unit<QLineEdit>(*d, "编辑框_项目文本");
        text->clear();
        // Typed as an input method would hand it over.
        QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, s("用户编号："));
        QCoreApplication::sendEvent(text, &typed);
        EXPECT_EQ(text->text(), s("用户编号："));
        EXPECT_TRUE(d->dirty());
        d->move_selection(1.5, 0);
        ui.expect_box(s("是否保存设计模板?"), platform::MsgResult::Yes)
            .expect_box(s("模板保存成功!"));
        unit<QPushButton>(*d, "按钮_保存模板")->click();
        EXPECT_EQ(ui.boxes().at(0).caption, s("提示"));
        EXPECT_EQ(ui.boxes().at(0).icon, platform::MsgIcon::Question);
        EXPECT_FALSE(d->default_action());
        window.reject();  // saved: nothing more to ask
        EXPECT_EQ(ui.boxes().size(), 2u);
    }
    ReportDesignerWindow again;
    TemplateDesigner* d = again.designer();
    ASSERT_NE(d, nullptr);
    const int label = header_item(*d, s("用户编号："));
    ASSERT_GE(label, 0);
    EXPECT_DOUBLE_EQ(d->design().header.items[static_cast<size_t>(label)].x, 1.5);
    EXPECT_EQ(header_item(*d, s("户号：")), -1);
    again.reject();
}

// Enter in a property box finishes the value; it does not press 保存模板.
TEST_F(Designer, EnterInAPropertyBoxAsksNothing) {
    ReportDesignerWindow window;
    window.show();
    QApplication::setActiveWindow(&window);
    TemplateDesigner* d = window.designer();
    ASSERT_NE(d, nullptr);
    d->select({DesignBand::Header, header_item(*d, s("户号："))});
    auto* text = unit<QLineEdit>(*d, "编辑框_项目文本");
    text->setFocus();
    QApplication::processEvents();
    QTest::keyClicks(text, QStringLiteral("No"));
    QTest::keyClick(text, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(ui.boxes().empty());
    EXPECT_TRUE(d->dirty());
    EXPECT_TRUE(window.isVisible());
    ui.expect_box(s("是否保存设计模板?"), platform::MsgResult::No);
    window.reject();
}

TEST_F(Designer, AddedFieldDeletedItemAndDeclinedSave) {
    reports::ReportTemplate before;
    {
        ReportDesignerWindow window;
        TemplateDesigner* d = window.designer();
        ASSERT_NE(d, nullptr);
        before = d->design();
        const size_t items = d->design().header.items.size();
        d->add_field_item(s("实收大写"));
        ASSERT_EQ(d->design().header.items.size(), items + 1);
        EXPECT_EQ(d->design().header.items.back().kind, ItemKind::Field);
        d->resize_selection(80, 7);
        EXPECT_DOUBLE_EQ(d->design().header.items.back().w, 80);
        d->delete_selection();
        d->select({DesignBand::Detail, 0});
        d->set_selection_text(s("项目"));
        EXPECT_EQ(d->design().detail->columns[0].title, s("项目"));
        // Closing asks; No keeps the file as it was.
        ui.expect_box(s("是否保存设计模板?"), platform::MsgResult::No);
        window.reject();
    }
    reports::ReportEngine engine;
    ASSERT_TRUE(engine.LoadFromFile(path("grf/sf.grf")));
    EXPECT_EQ(engine.report_template(), before);
}

TEST_F(Designer, PreviewShowsTheUnsavedDesignWithTheLastReceiptsRows) {
    add_two_bill_payment();
    kPreviewOff();
    reports::set_direct_print_file_for_tests(folder() + "/printed.pdf");
    ASSERT_TRUE(reports::print_charge_receipt(kSerial));  // leaves its rows in print.mdb
    reports::set_direct_print_file_for_tests(QString());

    ReportDesignerWindow window;
    TemplateDesigner* d = window.designer();
    ASSERT_NE(d, nullptr);
    const int label = header_item(*d, s("户号："));
    ASSERT_GE(label, 0);
    d->select({DesignBand::Header, label});
    d->set_selection_text(s("用户编号："));
    const QString pdf = folder() + "/design.pdf";
    ui.on_modal("QPrintPreviewDialog", [&](QDialog* w) {
        EXPECT_TRUE(platform::print_preview_to_pdf(*qobject_cast<QPrintPreviewDialog*>(w), pdf));
        return int(QDialog::Accepted);
    });
    unit<QPushButton>(*d, "按钮_预览")->click();
    const QString text = harness::read_pdf(pdf).all();
    EXPECT_TRUE(text.contains(s("用户编号："))) << text.toStdString();
    EXPECT_TRUE(text.contains(s("贰佰柒拾叁元整")));
    EXPECT_TRUE(text.contains(s("物业服务中心")));
    ui.expect_box(s("是否保存设计模板?"), platform::MsgResult::No);
    window.reject();
}

TEST_F(Designer, MouseDragMovesAndTheCornerResizes) {
    ReportDesignerWindow window;
    window.show();
    TemplateDesigner* d = window.designer();
    ASSERT_NE(d, nullptr);
    const int label = header_item(*d, s("户号："));
    const QRectF before = d->selection_rect_mm({DesignBand::Header, label});
    auto* canvas = d->canvas();
    const auto px = [](QPointF mm) {
        return (mm * reports::DesignerCanvas::kPixelsPerMm).toPoint();
    };
    const QPoint start = px(before.center());
    QTest::mousePress(canvas, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, start + QPoint(40, 20),
                     canvas->mapToGlobal(start + QPoint(40, 20)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &move);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, start + QPoint(40, 20));
    const QRectF moved = d->selection_rect_mm({DesignBand::Header, label});
    EXPECT_NEAR(moved.left() - before.left(), 10, 0.3);
    EXPECT_NEAR(moved.top() - before.top(), 5, 0.3);

    const QPoint corner = px(moved.bottomRight());
    QTest::mousePress(canvas, Qt::LeftButton, {}, corner);
    QMouseEvent grow(QEvent::MouseMove, corner + QPoint(20, 8),
                     canvas->mapToGlobal(corner + QPoint(20, 8)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(canvas, &grow);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, corner + QPoint(20, 8));
    const QRectF resized = d->selection_rect_mm({DesignBand::Header, label});
    EXPECT_NEAR(resized.width() - moved.width(), 5, 0.3);
    EXPECT_NEAR(resized.height() - moved.height(), 2, 0.3);
    ui.expect_box(s("是否保存设计模板?"), platform::MsgResult::No);
    window.reject();
}

TEST_F(Designer, DamagedTemplateIsToldAndWithoutADesignerTheWindowStaysEmpty) {
    QFile damaged(path("grf/yc.grf"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("not a template");
    damaged.close();
    reports::designer_template_name = s("预存发票");
    {
        ui.expect_box(s("加载报表模板失败！"));
        ReportDesignerWindow window;
        EXPECT_EQ(window.report()->query(), s("select * from 预存信息"));
        EXPECT_TRUE(window.report()->DetailGrid().empty());
        window.reject();
    }
    shell::set_designer_factory({});
    ui.expect_box(s("不能实例化报表设计器"));
    ReportDesignerWindow window;
    EXPECT_EQ(window.designer(), nullptr);
    window.reject();
}

}  // namespace
}  // namespace reports_test
