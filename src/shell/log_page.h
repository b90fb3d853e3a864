#pragma once
// Content page 12 of the main window (日志管理): the operation log list 列表框_日志管理 with its
// buttons. The page opens with the columns of class 日志管理 and no rows; rows come only from
// the log query window (日志_查询). Export, print, column settings and save widths are the list
// pages' shared buttons (lists::wire_list_page).
#include <QWidget>
#include <memory>

class QTableView;

namespace Ui {
class LogPage;
}

namespace shell {

// The 查询列 class of the log list.
inline const QString kLogColumnClass = QStringLiteral("日志管理");

class LogPage : public QWidget {
    Q_OBJECT

public:
    explicit LogPage(QWidget* parent = nullptr);
    ~LogPage() override;

    // Opening the page from the menu: every row and column removed, the columns of class
    // 日志管理 laid out (hidden ones removed, stored widths applied).
    void open_log_page();
    // 日志_查询: the log query window, modally; it fills the list.
    void on_main_log_query_click();

    QTableView* log_list() const;
    Ui::LogPage* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::LogPage> ui;
};

}  // namespace shell
