#pragma once
// The column-settings window (caption "列显示设置"): the shown columns of one list class in
// 列表框2, the hidden ones in 列表框1; "加  入" shows the column selected in 列表框1, "移  除"
// hides the one selected in 列表框2. Every change is written to 查询列 at once and both lists are
// reloaded from the table; the page's list changes at its next fill.
#include <QDialog>
#include <QString>
#include <memory>

#include "platform/db.h"

namespace Ui {
class ColumnSettingsWindow;
}

namespace lists {

// The class the window edits. Set when the window opens on a page that has a class; a page
// without one (or the reductions page while it shows neither of its lists) leaves the class of
// the previous opening. Lives for the whole run.
extern QString column_settings_class;

class ColumnSettingsWindow : public QDialog {
    Q_OBJECT
public:
    // current_page: the page of the content page control (选择夹2) being shown.
    explicit ColumnSettingsWindow(int current_page, QWidget* parent = nullptr);
    ~ColumnSettingsWindow() override;

    // Reloads both lists from 查询列 for column_settings_class.
    void load_column_lists();
    // "加  入" (按钮1)
    void on_column_settings_add_click();
    // "移  除" (按钮2)
    void on_column_settings_remove_click();

private:
    std::unique_ptr<Ui::ColumnSettingsWindow> ui;
    platform::RecordSet records_;  // 记录集1
};

}  // namespace lists
