#include "reports/statistics_page.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "lists/list_colours.h"
#include "lists/list_pages.h"
#include "lists/progress_window.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "reports/statistics_builders.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"
#include "ui_statistics_page.h"

namespace reports {

namespace {

// Restores the normal cursor on every way out of a run.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

void place_left(QWidget* unit, int left) { unit->move(left, unit->y()); }

int right_of(const QWidget* unit) { return unit->x() + unit->width(); }

}  // namespace

StatisticsPage::StatisticsPage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::StatisticsPage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->抄表统计列表框);
    connect(ui->抄表统计3, &QPushButton::clicked, this, [this] { on_main_stats_run_click(); });
}

StatisticsPage::~StatisticsPage() = default;

QTableView* StatisticsPage::statistics_list() const { return ui->抄表统计列表框; }

void StatisticsPage::layout_stats_page(int mode) {
    if (mode == kYearAndMonth) {
        ui->抄表统计7->show();
        ui->抄表统计月选择框->show();
        place_left(ui->抄表统计7, right_of(ui->抄表统计年选择框) + 20);
        place_left(ui->抄表统计月选择框, right_of(ui->抄表统计7));
        place_left(ui->抄表统计3, right_of(ui->抄表统计月选择框) + 20);
    } else if (mode == kYearOnly) {
        ui->抄表统计7->hide();
        ui->抄表统计月选择框->hide();
        place_left(ui->抄表统计3, right_of(ui->抄表统计年选择框) + 20);
    }
    place_left(ui->抄表统计4, right_of(ui->抄表统计3) + 5);
    place_left(ui->抄表统计5, right_of(ui->抄表统计4) + 5);
}

void StatisticsPage::prepare_for(const StatisticsEntry& entry) {
    const QDate today = platform::today();
    ui->抄表统计年选择框->setText(QString::number(today.year()));
    ui->抄表统计月选择框->setText(QString::number(today.month()));

    QTableView* list = ui->抄表统计列表框;
    platform::listview_clear_rows(list);
    platform::listview_clear_columns(list);

    ui->抄表统计2->clear();
    ui->抄表统计2->addItems(entry.groupings);
    ui->抄表统计2->setCurrentIndex(0);

    // The list's width as the page now lays it out.
    if (layout()) layout()->activate();
    const int width = list->width();
    for (const auto& [title, divisor] : entry.preview)
        platform::listview_insert_column(list, title, statistics_column_width(width, divisor));

    layout_stats_page(entry.layout);
    ui->抄表统计1->setText(QStringLiteral("统计方式："));
    current_report_name = entry.report_name;
}

void StatisticsPage::on_main_stats_run_click() {
    // A box that names no period is refused before anything changes.
    if (const StatisticsEntry* entry = statistics_entry_of_report(current_report_name)) {
        const PeriodBoxCheck check =
            check_report_period_boxes(ui->抄表统计年选择框->text(), ui->抄表统计月选择框->text(),
                                      entry->layout == kYearAndMonth);
        if (!check.ok()) {
            platform::inform(check.message);
            if (check.box == PeriodBoxCheck::Box::Year) ui->抄表统计年选择框->setFocus();
            if (check.box == PeriodBoxCheck::Box::Month) ui->抄表统计月选择框->setFocus();
            return;
        }
    }
    // A second 查询 while a report is being built does not build it again.
    lists::BusyGuard busy(running_, ui->抄表统计3);
    if (!busy.running()) return;
    QTableView* list = ui->抄表统计列表框;
    platform::listview_clear_rows(list);
    // The red totals of the previous report must not colour the rows of this one.
    lists::refresh_list_colours(window(), list, true);
    platform::listview_clear_columns(list);

    const StatisticsBuilder* builder = statistics_builder(current_report_name);
    if (!builder) return;
    WaitCursor wait;
    lists::ProgressScope progress(window());
    // The bar moves per group as the report is built.
    const StatisticsReport report =
        (*builder)(store::main_connection(), ui->抄表统计年选择框->text(),
                   ui->抄表统计月选择框->text(), ui->抄表统计2->currentText(),
                   ReportPeriodRule(shell::system_parameters), progress.callback());
    show_statistics_report(window(), list, report);
}

void StatisticsPage::on_main_stats_export_click() {
    lists::on_list_export_click(shell::kPageStatistics, this);
}

void StatisticsPage::on_main_stats_print_click() {
    lists::on_list_print_click(shell::kPageStatistics, this);
}

void show_statistics_report(QWidget* window, QTableView* list, const StatisticsReport& report) {
    const int width = list->width();
    platform::ListModel* model = platform::listview_model(list);
    {
        platform::ListModel::Filler fill(model);
        for (qsizetype column = 0; column < report.columns.size(); ++column) {
            const double divisor = column < static_cast<qsizetype>(report.divisors.size())
                                       ? report.divisors[static_cast<size_t>(column)]
                                       : 11.0;
            model->insert_column(report.columns[column],
                                 statistics_column_width(width, divisor));
        }
        model->reserve_rows(static_cast<int>(report.rows.size()));
        for (const QStringList& row : report.rows) model->append_row(row);
    }
    // The shares of the list's width are the least a column gets: a month, a name or an amount
    // wider than its share widens its column rather than showing cut in every row.
    platform::listview_widen_columns_to_text(list);
    for (const auto& [row, column] : report.red_cells)
        lists::set_list_item_colour(window, list, row, column, lists::kTotalsRowColour);
}

void on_main_nav_statistics_entry(shell::MainWindow& window, StatisticsPage& page,
                                  const StatisticsEntry& entry) {
    if (!shell::require_permission(entry.permission)) return;
    window.select_content_page(shell::kPageStatistics);
    page.form()->抄表统计3->setFocus();
    page.prepare_for(entry);
}

}  // namespace reports
