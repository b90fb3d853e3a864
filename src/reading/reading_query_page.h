#pragma once
// Content page 3 of the main window (抄表查询): committed readings, or the meter accounts unread
// in a month, in 抄表查询列表框; the query window, the two quick look-ups, correction and
// deletion of a reading. Export, print, column settings and save widths are the list pages'
// shared buttons.
#include <QString>
#include <QWidget>
#include <memory>

class QTableView;

namespace Ui {
class ReadingQueryPage;
}

namespace shell {
class MainWindow;
}

namespace reading {

// Fills the page's list: kind 1 readings, kind 2 unread meter accounts (sets
// reading_query_kind, and the list's class with it).
void fill_reading_query_list(QTableView* list, const QString& statement, int kind,
                             QWidget* window = nullptr);

class ReadingQueryPage : public QWidget {
    Q_OBJECT

public:
    explicit ReadingQueryPage(QWidget* parent = nullptr);
    ~ReadingQueryPage() override;

    QTableView* query_list() const;
    Ui::ReadingQueryPage* form() const { return ui.get(); }

    void on_main_reading_query_click();               // 抄表_查询
    void on_main_reading_query_by_card_click();       // 抄表_磁卡号码
    void on_main_reading_query_by_household_click();  // 抄表_按户号查询
    void on_main_reading_edit_click();                // 抄表_修改
    void on_main_reading_delete_click();              // 抄表_删除

private:
    // The 编号 of the selected reading, or -1 after the refusal was shown.
    qint64 selected_reading_id();

    std::unique_ptr<Ui::ReadingQueryPage> ui;
};

// The navigation entry 抄表管理1_抄表查询.
void on_main_nav_reading_query_click(shell::MainWindow& window, ReadingQueryPage& page);

}  // namespace reading
