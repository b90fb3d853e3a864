#pragma once
// Content page 4 of the main window (抄表统计): one statistics report at a time in
// 抄表统计列表框. The 数据报表 entries prepare the page and remember the report's name; 查询 runs
// that report's builder and shows what it returns; 导出 and 打印 are the list pages' shared
// export and print. Nothing here writes to the database.
//
// Units: 抄表统计1 "统计方式：" and the grouping selector 抄表统计2, 抄表统计6 "请选择年：" and
// the year box 抄表统计年选择框, 抄表统计7 "请选择月：" and the month box 抄表统计月选择框 (hidden
// for the year-only reports), the buttons 抄表统计3 查询, 抄表统计4 导出, 抄表统计5 打印.
#include <QWidget>
#include <memory>

#include "reports/statistics_entries.h"
#include "reports/statistics_report.h"

class QTableView;

namespace Ui {
class StatisticsPage;
}

namespace shell {
class MainWindow;
}

namespace reports {

class StatisticsPage : public QWidget {
    Q_OBJECT

public:
    explicit StatisticsPage(QWidget* parent = nullptr);
    ~StatisticsPage() override;

    QTableView* statistics_list() const;
    Ui::StatisticsPage* form() const { return ui.get(); }

    // 查询: the report named by current_report_name with the boxes' year, month and grouping.
    void on_main_stats_run_click();
    // 导出 and 打印 (the buttons reach the list pages' shared handlers directly).
    void on_main_stats_export_click();
    void on_main_stats_print_click();

    // Places the selectors and buttons in a row: kYearAndMonth shows the month, kYearOnly
    // hides it and moves the buttons up to the year box.
    void layout_stats_page(int mode);

    // What an entry does once its right is granted: today's year and month, the entry's
    // groupings and preview columns, the layout, and the report name.
    void prepare_for(const StatisticsEntry& entry);

private:
    std::unique_ptr<Ui::StatisticsPage> ui;
    bool running_ = false;  // a report is being built
};

// Puts a report into a list: its columns (width = list width / divisor), its rows and its red
// cells. The list is expected empty, without columns and without colours.
void show_statistics_report(QWidget* window, QTableView* list, const StatisticsReport& report);

// A 数据报表 navigation entry: the right, then page 4 of 选择夹2 with the focus on 查询, then the
// page prepared for the entry's report.
void on_main_nav_statistics_entry(shell::MainWindow& window, StatisticsPage& page,
                                  const StatisticsEntry& entry);

}  // namespace reports
