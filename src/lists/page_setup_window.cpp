#include "lists/page_setup_window.h"

#include <QEvent>
#include <QFontDialog>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <climits>
#include <cmath>

#include "lists/list_print.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "ui_page_setup_window.h"

namespace lists {

namespace {

const QColor kMarkerActive(0, 0, 0);
const QColor kMarkerIdle(192, 192, 192);
const char* const kMarkerColourProperty = "marker_colour";

// The combo entry index is the alignment code: 0 left, 1 centred, 2 right.
Qt::Alignment box_alignment(int index) {
    switch (index) {
        case 0:
            return Qt::AlignLeft | Qt::AlignVCenter;
        case 2:
            return Qt::AlignRight | Qt::AlignVCenter;
        default:
            return Qt::AlignHCenter | Qt::AlignVCenter;
    }
}

// A small picture of a ruled table: what the margins frame on the page drawing.
QPixmap table_picture(QSize size) {
    QPixmap picture(size);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    const QRect frame(0, 0, size.width() - 1, size.height() - 1);
    painter.fillRect(QRect(0, 0, size.width(), 9), QColor(0xE8, 0xE8, 0xE8));
    painter.setPen(QColor(96, 96, 96));
    painter.drawRect(frame);
    for (int y = 9; y < size.height() - 1; y += 9) painter.drawLine(0, y, frame.right(), y);
    for (int x = size.width() / 3; x < size.width() - 1; x += size.width() / 3)
        painter.drawLine(x, 0, x, frame.bottom());
    return picture;
}

QString number_text(double value) { return platform::to_text(value); }

// The zoom box read as a number and cut toward zero, kept within what an int holds.
int zoom_from_text(const QString& text) {
    const double value = std::trunc(platform::to_number(text));
    return static_cast<int>(
        std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

}  // namespace

QFont font_of(const platform::GridFont& font) {
    QFont result(font.Name);
    if (std::isfinite(font.Size) && font.Size > 0) result.setPointSizeF(font.Size);
    result.setBold(font.Bold);
    result.setItalic(font.Italic);
    result.setUnderline(font.Underline);
    result.setStrikeOut(font.Strikethrough);
    return result;
}

platform::GridFont grid_font_of(const QFont& font, double fallback_size) {
    platform::GridFont result;
    result.Name = font.family();
    // A font sized in pixels has no point size; it keeps the size it had.
    result.Size = font.pointSizeF() > 0 ? font.pointSizeF() : fallback_size;
    result.Bold = font.bold();
    result.Italic = font.italic();
    result.Underline = font.underline();
    result.Strikethrough = font.strikeOut();
    return result;
}

PageSetupWindow::PageSetupWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::PageSetupWindow>()) {
    ui->setupUi(this);
    setup_ = page_setup_object ? page_setup_object : std::make_shared<platform::GridPageSetup>();

    ui->框架_页面->setAutoFillBackground(true);
    QPalette page = ui->框架_页面->palette();
    page.setColor(QPalette::Window, Qt::white);
    ui->框架_页面->setPalette(page);
    ui->图片框_表格->setPixmap(table_picture(ui->图片框_表格->size()));
    for (QLineEdit* box : {ui->编辑框_顶边距, ui->编辑框_底边距, ui->编辑框_左边距,
                           ui->编辑框_右边距, ui->编辑框_页眉边距, ui->编辑框_页脚边距}) {
        set_marker_colour(marker_of(box), kMarkerIdle);
        box->installEventFilter(this);
    }

    connect(ui->组合框_纸张大小, &QComboBox::currentIndexChanged, this,
            [this] { on_page_setup_paper_size_change(); });
    connect(ui->按钮_确定, &QPushButton::clicked, this, [this] { on_page_setup_ok_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, [this] { on_page_setup_cancel_click(); });
    connect(ui->按钮_页眉字体, &QPushButton::clicked, this,
            [this] { on_page_setup_header_font_click(); });
    connect(ui->按钮_页脚字体, &QPushButton::clicked, this,
            [this] { on_page_setup_footer_font_click(); });
    connect(ui->组合框_页眉对齐方式, &QComboBox::currentIndexChanged, this,
            [this] { on_page_setup_header_alignment_change(); });
    connect(ui->组合框_页脚对齐方式, &QComboBox::currentIndexChanged, this,
            [this] { on_page_setup_footer_alignment_change(); });
    connect(ui->选择框_水平居中, &QCheckBox::toggled, this,
            [this] { on_page_setup_center_horizontally_click(); });
    connect(ui->选择框_垂直居中, &QCheckBox::toggled, this,
            [this] { on_page_setup_center_vertically_click(); });

    on_page_setup_window_load();
}

PageSetupWindow::~PageSetupWindow() = default;

void PageSetupWindow::on_page_setup_window_load() {
    platform::GridPageSetup& setup = *setup_;

    // The orientation is the one last confirmed, not the page setup's.
    if (platform::ini_read_text(kTitleSection, kOrientationKey) == QStringLiteral("横向"))
        ui->单选框_横向->setChecked(true);
    else
        ui->单选框_纵向->setChecked(true);

    // Paper: widths compared in hundredths, heights in tenths of a centimetre.
    ui->组合框_纸张大小->clear();
    platform::GridPaperSizes& papers = setup.PaperSizes();
    papers.Refresh();
    for (int i = 1; i <= papers.Count(); ++i)
        ui->组合框_纸张大小->addItem(papers.Item(i).PaperName);
    const double width = std::round(setup.PaperWidth * 100);
    const double height = std::round(setup.PaperHeight * 10);
    int match = -1;
    for (int i = 1; i <= papers.Count() && match < 0; ++i) {
        const platform::GridPaperSize& paper = papers.Item(i);
        if (std::abs(std::round(paper.Width * 100) - width) < 1e-7 &&
            std::abs(std::round(paper.Height * 10) - height) < 1e-7)
            match = i - 1;
    }
    ui->组合框_纸张大小->setCurrentIndex(match);
    on_page_setup_paper_size_change();

    ui->编辑框_缩放比例->setText(QString::number(setup.Zoom));
    ui->编辑框_标题名称->setText(platform::ini_read_text(kTitleSection, kTitleKey));

    ui->选择框_打印固定行->setChecked(setup.PrintFixedRow);
    ui->选择框_打印固定列->setChecked(setup.PrintFixedColumn);
    ui->选择框_打印网格线->setChecked(setup.PrintGridlines);
    ui->选择框_单色打印->setChecked(setup.BlackAndWhite);
    ui->编辑框_顶边距->setText(number_text(setup.TopMargin));
    ui->编辑框_底边距->setText(number_text(setup.BottomMargin));
    ui->编辑框_左边距->setText(number_text(setup.LeftMargin));
    ui->编辑框_右边距->setText(number_text(setup.RightMargin));
    ui->编辑框_页眉边距->setText(number_text(setup.HeaderMargin));
    ui->编辑框_页脚边距->setText(number_text(setup.FooterMargin));
    ui->选择框_水平居中->setChecked(setup.CenterHorizontally);
    ui->选择框_垂直居中->setChecked(setup.CenterVertically);
    on_page_setup_center_horizontally_click();
    on_page_setup_center_vertically_click();

    // The boxes show the fonts at the size they print: a round trip through the window must
    // leave a font as it was.
    ui->编辑框_页眉->setText(setup.Header);
    header_font_ = setup.HeaderFont;
    ui->编辑框_页眉->setFont(font_of(header_font_));
    ui->编辑框_页脚->setText(setup.Footer);
    footer_font_ = setup.FooterFont;
    ui->编辑框_页脚->setFont(font_of(footer_font_));

    ui->组合框_页眉对齐方式->setCurrentIndex(setup.HeaderAlignment);
    ui->组合框_页脚对齐方式->setCurrentIndex(setup.FooterAlignment);
    on_page_setup_header_alignment_change();
    on_page_setup_footer_alignment_change();

    ui->按钮_确定->setFocus();
}

void PageSetupWindow::on_page_setup_paper_size_change() {
    QComboBox* combo = ui->组合框_纸张大小;
    const bool custom = combo->count() > 0 && combo->currentIndex() == combo->count() - 1;
    if (custom) {
        ui->编辑框_宽度->setText(number_text(platform::round_to(setup_->PaperWidth, 2)));
        ui->编辑框_高度->setText(number_text(platform::round_to(setup_->PaperHeight, 2)));
    }
    for (QWidget* unit :
         {static_cast<QWidget*>(ui->编辑框_宽度), static_cast<QWidget*>(ui->编辑框_高度),
          static_cast<QWidget*>(ui->标签_宽度), static_cast<QWidget*>(ui->标签_高度)})
        unit->setVisible(custom);
}

void PageSetupWindow::on_page_setup_ok_click() {
    platform::GridPageSetup& setup = *setup_;

    if (ui->单选框_纵向->isChecked()) {
        setup.Orientation = 1;
        platform::ini_write_text(kTitleSection, kOrientationKey, QStringLiteral("纵向"));
    } else {
        setup.Orientation = 2;
        platform::ini_write_text(kTitleSection, kOrientationKey, QStringLiteral("横向"));
    }

    // With no paper entry selected the paper stays as it is.
    const int paper = ui->组合框_纸张大小->currentIndex();
    const int papers = ui->组合框_纸张大小->count();
    if (paper >= 0 && paper < papers - 1) {
        const platform::GridPaperSize& size = setup.PaperSizes().Item(paper + 1);
        setup.PaperWidth = size.Width;
        setup.PaperHeight = size.Height;
    } else if (paper >= 0 && paper == papers - 1) {
        setup.PaperWidth = platform::to_number(ui->编辑框_宽度->text());
        setup.PaperHeight = platform::to_number(ui->编辑框_高度->text());
    }

    setup.Zoom = zoom_from_text(ui->编辑框_缩放比例->text());
    platform::ini_write_text(kTitleSection, kTitleKey,
                             platform::text_trim(ui->编辑框_标题名称->text()));

    setup.PrintFixedRow = ui->选择框_打印固定行->isChecked();
    setup.PrintFixedColumn = ui->选择框_打印固定列->isChecked();
    setup.PrintGridlines = ui->选择框_打印网格线->isChecked();
    setup.BlackAndWhite = ui->选择框_单色打印->isChecked();
    setup.CenterHorizontally = ui->选择框_水平居中->isChecked();
    setup.CenterVertically = ui->选择框_垂直居中->isChecked();

    setup.LeftMargin = platform::to_number(ui->编辑框_左边距->text());
    setup.RightMargin = platform::to_number(ui->编辑框_右边距->text());
    setup.TopMargin = platform::to_number(ui->编辑框_顶边距->text());
    setup.BottomMargin = platform::to_number(ui->编辑框_底边距->text());
    setup.HeaderMargin = platform::to_number(ui->编辑框_页眉边距->text());
    setup.FooterMargin = platform::to_number(ui->编辑框_页脚边距->text());

    setup.Header = ui->编辑框_页眉->text();
    if (ui->组合框_页眉对齐方式->currentIndex() >= 0)
        setup.HeaderAlignment = ui->组合框_页眉对齐方式->currentIndex();
    setup.HeaderFont = header_font_;
    setup.Footer = ui->编辑框_页脚->text();
    if (ui->组合框_页脚对齐方式->currentIndex() >= 0)
        setup.FooterAlignment = ui->组合框_页脚对齐方式->currentIndex();
    setup.FooterFont = footer_font_;

    accept();
}

void PageSetupWindow::on_page_setup_cancel_click() { reject(); }

bool PageSetupWindow::choose_font(platform::GridFont& font) {
    QFontDialog dialog(font_of(font), this);
    dialog.setObjectName(QStringLiteral("字体对话框"));
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (platform::window_open_modal(&dialog) != QDialog::Accepted) return false;
    font = grid_font_of(dialog.currentFont(), font.Size);
    return true;
}

void PageSetupWindow::on_page_setup_header_font_click() {
    if (choose_font(header_font_)) ui->编辑框_页眉->setFont(font_of(header_font_));
}

void PageSetupWindow::on_page_setup_footer_font_click() {
    if (choose_font(footer_font_)) ui->编辑框_页脚->setFont(font_of(footer_font_));
}

void PageSetupWindow::on_page_setup_header_alignment_change() {
    ui->编辑框_页眉->setAlignment(box_alignment(ui->组合框_页眉对齐方式->currentIndex()));
}

void PageSetupWindow::on_page_setup_footer_alignment_change() {
    ui->编辑框_页脚->setAlignment(box_alignment(ui->组合框_页脚对齐方式->currentIndex()));
}

void PageSetupWindow::on_page_setup_center_horizontally_click() {
    QWidget* picture = ui->图片框_表格;
    const int left = ui->外形框_左边距->x();
    const int right = ui->外形框_右边距->x();
    const int x =
        ui->选择框_水平居中->isChecked() ? left + (right - left - picture->width()) / 2 : left;
    picture->move(x, picture->y());
}

void PageSetupWindow::on_page_setup_center_vertically_click() {
    QWidget* picture = ui->图片框_表格;
    const int top = ui->外形框_顶边距->y();
    const int bottom = ui->外形框_底边距->y();
    const int y =
        ui->选择框_垂直居中->isChecked() ? top + (bottom - top - picture->height()) / 2 : top;
    picture->move(picture->x(), y);
}

QFrame* PageSetupWindow::marker_of(QLineEdit* box) const {
    if (box == ui->编辑框_顶边距) return ui->外形框_顶边距;
    if (box == ui->编辑框_底边距) return ui->外形框_底边距;
    if (box == ui->编辑框_左边距) return ui->外形框_左边距;
    if (box == ui->编辑框_右边距) return ui->外形框_右边距;
    if (box == ui->编辑框_页眉边距) return ui->外形框_页眉边距;
    if (box == ui->编辑框_页脚边距) return ui->外形框_页脚边距;
    return nullptr;
}

void PageSetupWindow::on_page_setup_margin_focus(QLineEdit* box, bool gained) {
    QFrame* marker = marker_of(box);
    if (!marker) return;
    set_marker_colour(marker, gained ? kMarkerActive : kMarkerIdle);
    if (gained) marker->raise();
}

bool PageSetupWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        if (auto* box = qobject_cast<QLineEdit*>(watched); box && marker_of(box))
            on_page_setup_margin_focus(box, event->type() == QEvent::FocusIn);
    }
    return QDialog::eventFilter(watched, event);
}

QColor PageSetupWindow::marker_colour(const QFrame* marker) {
    return marker ? marker->property(kMarkerColourProperty).value<QColor>() : QColor();
}

void PageSetupWindow::set_marker_colour(QFrame* marker, const QColor& colour) {
    if (!marker) return;
    marker->setProperty(kMarkerColourProperty, colour);
    // A style sheet of its own, so that a skin's style sheet does not paint over the marker.
    marker->setStyleSheet(
        QStringLiteral("QFrame { background-color: %1; border: none; }").arg(colour.name()));
}

}  // namespace lists
