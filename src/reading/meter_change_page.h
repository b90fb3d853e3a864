#pragma once
// Content page 14 of the main window (换表管理): meter changes in 列表框_换表管理 with query, add,
// modify and delete; export, print, column settings and save widths are the list pages' shared
// buttons. The cells by position (titles from 查询列 class 换表管理): 编号, 户号, 用户名, 居住街道,
// 详细地址, 换表日期, 旧表编号, 新表编号, 换表起方, 执行日期, 操作人员.
#include <QString>
#include <QWidget>
#include <memory>

class QTableView;

namespace Ui {
class MeterChangePage;
}

namespace shell {
class MainWindow;
}

namespace reading {

// Fills the page's list from the list statement followed by `condition_and_order`.
void fill_meter_change_list(QWidget* window, QTableView* list, const QString& condition_and_order);

class MeterChangePage : public QWidget {
    Q_OBJECT

public:
    explicit MeterChangePage(QWidget* parent = nullptr);
    ~MeterChangePage() override;

    QTableView* change_list() const;
    Ui::MeterChangePage* form() const { return ui.get(); }

    // The 编号 cell of the selected row: the column titled "编号", column 0 when none is.
    QString selected_change_number() const;

    void on_meter_change_query_click();   // 换表管理_查询
    void on_meter_change_add_click();     // 换表管理_添加
    void on_meter_change_modify_click();  // 换表管理_修改
    void on_meter_change_delete_click();  // 换表管理_删除

private:
    std::unique_ptr<Ui::MeterChangePage> ui;
};

// The navigation entry 抄表管理1_换表管理: needs "换表管理"; lists today's changes and shows
// page 14.
void on_main_nav_meter_change_click(shell::MainWindow& window, MeterChangePage& page);

}  // namespace reading
