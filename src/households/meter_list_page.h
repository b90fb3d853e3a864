#pragma once
// Content page 15 of the main window (用户表管理): meter accounts with their households in the
// list 列表框_用户表管理, and the page's buttons: query, add, modify, delete, the reading-order
// moves (上移, 下移, 移动到..) and the reading-order import (批量排序). Export, print, column
// settings and save widths are the list pages' shared buttons (lists::wire_list_page).
//
// The list's sixteen cells per row, by position (titles come from 查询列 class 用户表管理):
// 编号, 父号, 户号, 用户名, 磁卡号码, 居住街道, 详细地址, 建表时间, 收费项目, 价格类别, 计量编号,
// 开始起数, 倍率, 状态, 抄表人员, 抄表序号.
#include <QString>
#include <QWidget>
#include <memory>

class QTableView;

namespace Ui {
class MeterListPage;
}

namespace shell {
class MainWindow;
}

namespace households {

struct ReadingOrderOutcome;

// The 查询列 class of the meter list.
inline const QString kMeterColumnClass = QStringLiteral("用户表管理");

class MeterListPage : public QWidget {
    Q_OBJECT

public:
    explicit MeterListPage(QWidget* parent = nullptr);
    ~MeterListPage() override;

    QTableView* meter_list() const;
    Ui::MeterListPage* form() const { return ui.get(); }

    // The navigation entry's list step: no rows, one column per shown row of the class, with its
    // stored width.
    void open_meter_page();

    // Fills the list from a statement that selects the sixteen fields by name (a
    // meter_list_base_query() with conditions), with the progress window over the main window.
    void fill_meter_list(const QString& query);

    // The buttons.
    void on_main_meter_page_query_click();         // 查询: HouseholdMeterQueryWindow, modally
    void on_main_meter_add_click();                // 添加: MeterInfoWindow in mode 添加
    void on_main_meter_modify_click();             // 修改: MeterInfoWindow in mode 修改
    void on_main_meter_delete_click();             // 删除
    void on_main_meter_move_up_click();            // 上移
    void on_main_meter_move_down_click();          // 下移
    void on_main_meter_move_to_click();            // 移动到..
    void on_main_meter_batch_sort_import_click();  // 批量排序

    // The 编号 in the selected row's column titled "编号". Without such a column shows
    // "请在查询列在设置显示编号列!"; without a selected row shows no_row_message. 0 when refused.
    qint64 selected_meter_id(const QString& no_row_message);

private:
    enum class Move { Up, Down };
    void move_by_one(Move direction);
    // A move's message, or its refill question and closing message.
    void show_move(const ReadingOrderOutcome& outcome);
    // Refills with every account of the reader in reading order.
    void refill_reader(const QString& reader);

    std::unique_ptr<Ui::MeterListPage> ui;
};

// The navigation entry 用户管理_用户表管理 (also the first step of F6): needs "用户表管理"; lays
// out the page's columns and shows content page 15.
void on_main_nav_household_meters_click(shell::MainWindow& window, MeterListPage& page);

}  // namespace households
