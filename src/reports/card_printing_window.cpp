#include "reports/card_printing_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "lists/progress_window.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "reports/reading_handbook.h"
#include "shell/main_window.h"
#include "store/main_database.h"
#include "ui_card_printing_window.h"

namespace reports {

CardPrintingWindow::CardPrintingWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::CardPrintingWindow>()) {
    ui->setupUi(this);
    connect(ui->方式二_打印, &QPushButton::clicked, this,
            [this] { on_card_print_handbook_click(); });
    connect(ui->方式二_返回, &QPushButton::clicked, this, [this] { on_card_print_return_click(); });
    on_card_print_window_create();
}

CardPrintingWindow::~CardPrintingWindow() = default;

void CardPrintingWindow::on_card_print_window_create() {
    ui->方式二_抄表员选择框->addItems(handbook_readers(store::main_connection()));
    if (ui->方式二_抄表员选择框->count() > 0) ui->方式二_抄表员选择框->setCurrentIndex(0);
    ui->选择夹1->setCurrentIndex(1);
    ui->方式二_打印->setFocus();
}

void CardPrintingWindow::on_card_print_handbook_click() {
    // A click on 打印 while the handbook is built does not build it again.
    lists::BusyGuard busy(printing_, ui->方式二_打印);
    if (!busy.running()) return;
    if (ui->方式二_抄表员选择框->count() == 0) {
        platform::message_box(kNoHandbookReaderHint);
        return;
    }
    const bool single = ui->单选框_单行->isChecked();
    const double font_size = platform::to_number(ui->编辑框_字体大小->text());
    if (!(font_size > 1e-7)) return;
    const double row_height = platform::to_number(ui->编辑框_每页行数->text());
    if (!(row_height > 1e-7)) return;
    ui->标签_提示->show();
    print_reading_handbook(ui->方式二_抄表员选择框->currentText(), single,
                           static_cast<int>(font_size), static_cast<int>(row_height),
                           ui->标签_提示);
}

void CardPrintingWindow::on_card_print_return_click() { reject(); }

namespace {

// The stages of a print, with their shares of the progress bar as they share the time on a large
// register: the tables, reading the lines, filling the grid, measuring the texts, the pages.
enum HandbookStage { kTables, kLines, kGrid, kLayout, kPages };
const std::vector<int> kStageShares = {25, 10, 5, 15, 45};

}  // namespace

void print_reading_handbook(const QString& reader, bool single_line, int font_size, int row_height,
                            QWidget* hint) {
    platform::Connection& main = store::main_connection();
    // One bar from the first statement to the last page painted, when the preview shows and the
    // progress window goes. A message box in between closes it; it comes back where it was.
    auto progress = std::make_unique<lists::ProgressScope>(shell::main_window());
    lists::ProgressStages stages(kStageShares);
    bool previewed = false;  // pages painted again (printing from the preview) show no progress
    const auto advance = [&](HandbookStage stage, int done, int total) {
        if (progress && !previewed)
            progress->advance(stages.position(stage, done, total), stages.maximum());
    };
    const std::vector<ReceiptMessage> table_messages =
        build_handbook_tables(main, reader, platform::today(),
                              [&](int done, int total) { advance(kTables, done, total); });
    const std::vector<HandbookLine> lines = handbook_lines(main, reader);
    if (!table_messages.empty() || lines.empty()) progress.reset();
    for (const ReceiptMessage& m : table_messages)
        platform::message_box(m.text, platform::kDefaultCaption, m.icon);
    if (lines.empty()) {
        if (hint) hint->hide();
        platform::message_box(QStringLiteral("没有待查询的数据！"));
        return;
    }

    if (!progress) progress = std::make_unique<lists::ProgressScope>(shell::main_window());
    advance(kLines, 1, 1);
    platform::GridControl grid(shell::main_window());
    grid.layout_measured = [&](int done, int total) { advance(kLayout, done, total); };
    grid.page_painted = [&](int page, int pages) {
        advance(kPages, page, pages);
        if (page == pages && !previewed) {
            progress->close();
            previewed = true;
        }
    };
    grid.Appearance = 1;
    grid.DrawMode = 0;
    grid.FixedRowColStyle = 1;
    grid.SelectionMode = 1;
    grid.DefaultFont.Name = QStringLiteral("Tahoma");
    grid.DefaultFont.Size = font_size;
    grid.DefaultRowHeight = row_height;
    auto setup = grid.PageSetup();
    setup->Orientation = 1;
    setup->PaperHeight = 29.7;
    setup->PaperWidth = 21;
    setup->TopMargin = 1.5;
    setup->BottomMargin = 2.5;
    setup->LeftMargin = 1.3;
    setup->RightMargin = 1.3;
    setup->PrintGridlines = true;
    setup->CenterHorizontally = true;
    setup->PrintFixedRow = true;
    setup->Footer = QStringLiteral("共&n页，第&p页 用户数：") + QString::number(lines.size()) +
                    QStringLiteral("户");
    grid.DisplayRowIndex = false;
    grid.AllowUserReorderColumn = false;
    grid.DisplayFocusRect = true;

    const QString office = office_name(main, shell::system_parameters);
    platform::GridReportTitle& title = grid.ReportTitles().AddBlankReportTitle();
    title.Text = handbook_title(office, reader, platform::today());
    title.Font = {QStringLiteral("黑体"), 15};
    title.PrintOnAllPages = true;

    struct Column {
        const char* title;
        int width;
    };
    static const std::vector<Column> single_columns = {
        {"户号", 80},     {"用户姓名", 90}, {"起数", 70},     {"止数", 70},
        {"欠费金额", 95}, {"收费项目", 90}, {"居住街道", 85}, {"移动电话", 115}};
    static const std::vector<Column> double_columns = {
        {"户号", 60}, {"用户姓名", 80}, {"起数", 60}, {"止数", 60}, {"收费项目", 75},
        {"户号", 60}, {"用户姓名", 80}, {"起数", 60}, {"止数", 60}, {"收费项目", 75}};
    const std::vector<Column>& columns = single_line ? single_columns : double_columns;
    grid.Cols(static_cast<int>(columns.size()) + 1);
    for (size_t j = 0; j < columns.size(); ++j) {
        grid.Cell(0, static_cast<int>(j) + 1).Text = QString::fromUtf8(columns[j].title);
        grid.Column(static_cast<int>(j) + 1).Width = columns[j].width;
    }

    if (single_line) {
        grid.Rows(static_cast<int>(lines.size()) + 1);
        for (size_t i = 0; i < lines.size(); ++i) {
            const HandbookLine& l = lines[i];
            const int r = static_cast<int>(i) + 1;
            const QStringList cells = {l.account, l.name, l.start,  QString(),
                                       l.arrears, l.item, l.street, l.mobile};
            for (int j = 0; j < cells.size(); ++j) grid.Cell(r, j + 1).Text = cells[j];
            advance(kGrid, r, static_cast<int>(lines.size()));
        }
    } else {
        const int rows = static_cast<int>((lines.size() + 1) / 2);
        grid.Rows(rows + 1);
        for (size_t i = 0; i < lines.size(); ++i) {
            const HandbookLine& l = lines[i];
            const int r = static_cast<int>(i / 2) + 1;
            const int first = i % 2 == 0 ? 1 : 6;
            const QStringList cells = {l.account, l.name, l.start, QString(), l.item};
            for (int j = 0; j < cells.size(); ++j) grid.Cell(r, first + j).Text = cells[j];
            advance(kGrid, static_cast<int>(i) + 1, static_cast<int>(lines.size()));
        }
    }
    grid.AutoRedraw = true;
    grid.Refresh();
    if (hint) hint->hide();
    grid.PrintPreview(QStringLiteral("100"));
}

void on_main_menu_print_cards_click(QWidget* owner) {
    CardPrintingWindow window(owner);
    platform::window_open_modal(&window);
}

}  // namespace reports
