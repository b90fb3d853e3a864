#pragma once
// Content page 5 of the main window (月抄表): the pending batch in 月抄表列表框 (a check box per
// row, newest first) and its actions: add and modify through ReadingEntryWindow, delete the
// ticked rows, clear the batch, the Excel import of readings (批量抄表, put behind its button by
// whoever provides it), and the commit 抄表入库. Export, print, column settings and save widths
// are the list pages' shared buttons.
//
// The list's cells by position (titles from 查询列 class 月抄表): 户号, 用户名, 居住街道, 收费项目,
// 价格类别, 起方, 止方, 用量, 水损, 抄表人员, 抄表日期.
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "reading/monthly_batch.h"

class QTableView;

namespace Ui {
class MonthlyReadingPage;
}

namespace shell {
class MainWindow;
}

namespace reading {

// Fills the monthly list from a statement selecting the page's eleven fields by name, with the
// progress window over `window`. No totals row, no colours; every row unticked.
void fill_monthly_reading_list(QWidget* window, QTableView* list, const QString& statement);
// The list as fill_monthly_reading_list with the standard statement leaves it, reached by
// putting the pending rows added since it was filled in front of it (a list filled otherwise,
// or whose columns changed since, is filled again).
void show_new_monthly_readings(QWidget* window, QTableView* list);

class MonthlyReadingPage : public QWidget {
    Q_OBJECT

public:
    explicit MonthlyReadingPage(QWidget* parent = nullptr);
    ~MonthlyReadingPage() override;

    QTableView* monthly_list() const;
    Ui::MonthlyReadingPage* form() const { return ui.get(); }

    // Refills the list with the standard statement.
    void refill();

    void on_main_monthly_reading_add_click();     // 月抄表1
    void on_main_monthly_reading_modify_click();  // 月抄表2
    void on_main_monthly_reading_dblclick();      // double-click on the list
    void on_main_monthly_reading_delete_click();  // 月抄表3
    void on_main_monthly_reading_clear_all_click();
    void on_main_commit_monthly_readings_click();  // 月抄表6

    // The Excel import behind 批量抄表; the button is disabled while there is none.
    void set_batch_import_action(std::function<void()> action);

private:
    void open_entry_window();

    std::unique_ptr<Ui::MonthlyReadingPage> ui;
    std::function<void()> batch_import_;
    bool committing_ = false;  // 抄表入库 is running
};

// The navigation entry 抄表管理1_月抄表 (also F5's first step): needs "抄表添加"; shows page 5
// filled with the batch and puts the focus on 月抄表1.
void on_main_nav_monthly_reading_click(shell::MainWindow& window, MonthlyReadingPage& page);

}  // namespace reading
