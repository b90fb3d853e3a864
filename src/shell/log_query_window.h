#pragma once
// The log query window: a date range (whole days: from 0:00:00 of the first to 23:59:59 of the
// last), optional operator, group and item filters and a sort order. It fills the log page's
// list and closes.
#include <QDialog>
#include <QString>
#include <memory>

#include "platform/db.h"

class QDate;
class QTableView;

namespace Ui {
class LogQueryWindow;
}

namespace shell {

// The query of the log page for the window's choices; an empty text for a filter leaves it
// out. sort_key is the position in 收费排序分类, ascending the choice of 收费排序方式.
struct LogQuery {
    QDate first_day;
    QDate last_day;
    QString operator_name;
    QString parent_item;
    QString current_item;
    int sort_key = 0;
    bool ascending = false;
};
QString log_query_statement(const LogQuery& query);

// Fills the log page's list from a statement on 日志管理 (class 日志管理): ID, the time as the log
// writes it (2024-3-5 9:30:0), 当前项目, 上级项目, 操作人员, 备注. Reads its rows through
// `records`, which is closed afterwards.
void fill_log_list(QTableView* list, platform::RecordSet& records, const QString& statement);

class LogQueryWindow : public QDialog {
    Q_OBJECT

public:
    // log_list: the log page's list, which a query fills.
    explicit LogQueryWindow(QWidget* parent = nullptr, QTableView* log_list = nullptr);
    ~LogQueryWindow() override;

    void on_log_query_window_create();
    void on_log_query_parent_item_changed();
    void on_log_query_ok_click();
    void on_log_query_cancel_click();

    Ui::LogQueryWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::LogQueryWindow> ui;
    QTableView* log_list_;
    platform::RecordSet 记录集1;
};

}  // namespace shell
