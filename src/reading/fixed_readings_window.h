#pragma once
// FixedReadingsWindow ("固定抄表") lists the fixed readings and adds, edits and deletes them
// through FixedReadingInfoWindow ("固定抄表信息"); its 执行 button writes this month's pending
// readings of the fixed meters and goes to the monthly page.
#include <QDialog>
#include <memory>

class QTableView;

namespace Ui {
class FixedReadingsWindow;
class FixedReadingInfoWindow;
}  // namespace Ui

namespace shell {
class MainWindow;
}

namespace reading {

class FixedReadingsWindow : public QDialog {
    Q_OBJECT

public:
    explicit FixedReadingsWindow(QWidget* parent = nullptr);
    ~FixedReadingsWindow() override;

    QTableView* fixed_list() const;
    // 编号 (column 0) of the selected row; empty when none is selected.
    QString selected_id() const;

    void fill_fixed_readings_list();
    void on_fixed_readings_add_click();       // 按钮1
    void on_fixed_readings_modify_click();    // 删除1
    void on_fixed_readings_delete_click();    // 删除
    void on_fixed_readings_generate_click();  // 按钮2

    Ui::FixedReadingsWindow* form() const { return ui.get(); }

private:
    void open_info_window();

    std::unique_ptr<Ui::FixedReadingsWindow> ui;
};

class FixedReadingInfoWindow : public QDialog {
    Q_OBJECT

public:
    explicit FixedReadingInfoWindow(FixedReadingsWindow* list_window, QWidget* parent = nullptr);
    ~FixedReadingInfoWindow() override;

    // The 户号 box was left.
    void on_fixed_reading_account_lookup();
    // 按钮_收费
    void on_fixed_reading_save_click();

    Ui::FixedReadingInfoWindow* form() const { return ui.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::FixedReadingInfoWindow> ui;
    FixedReadingsWindow* list_window_;
};

// The navigation entry 抄表管理1_固定抄表: needs "固定抄表"; the welcome page, then
// FixedReadingsWindow modally.
void on_main_nav_fixed_reading_click(shell::MainWindow* window);

}  // namespace reading
