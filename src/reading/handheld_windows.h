#pragma once
// The handheld reader in the main window: content page 11 (抄表机) with the route list, the
// window that generates it (ReadingDataConditionsWindow), the scheme and export window
// (ReadingDataExportWindow) and the import window (HandheldImportWindow). Also the Excel import
// of readings behind the monthly page's 批量抄表.
#include <QDialog>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "reading/handheld_file.h"

class QTableView;

namespace Ui {
class HandheldPage;
class ReadingDataConditionsWindow;
class ReadingDataExportWindow;
class HandheldImportWindow;
}

namespace shell {
class MainWindow;
}

namespace reading {

// "导出设置" once a route list has been generated.
extern QString handheld_page_mode;

class HandheldPage : public QWidget {
    Q_OBJECT

public:
    explicit HandheldPage(QWidget* parent = nullptr);
    ~HandheldPage() override;

    QTableView* handheld_list() const;
    Ui::HandheldPage* form() const { return ui.get(); }
    // The route as generated, less the rows deleted from the list.
    const std::vector<HandheldRow>& route() const { return route_; }

    // Clears the list and lays out the columns of class 抄表机.
    void reset_list();
    void fill_handheld_list(const QString& statement);
    void on_handheld_generate_click();  // 抄表机_生成抄表数据
    void on_handheld_export_click();    // 抄表机_导出数据
    void on_handheld_import_click();    // 抄表机_导入数据
    void on_handheld_delete_click();    // 抄表机_删除

private:
    std::unique_ptr<Ui::HandheldPage> ui;
    std::vector<HandheldRow> route_;
};

void on_main_nav_handheld_click(shell::MainWindow& window, HandheldPage& page);

class ReadingDataConditionsWindow : public QDialog {
    Q_OBJECT

public:
    ReadingDataConditionsWindow(HandheldPage* page, QWidget* parent = nullptr);
    ~ReadingDataConditionsWindow() override;
    Ui::ReadingDataConditionsWindow* form() const { return ui.get(); }
    void on_conditions_ok_click();

private:
    std::unique_ptr<Ui::ReadingDataConditionsWindow> ui;
    HandheldPage* page_;
};

class ReadingDataExportWindow : public QDialog {
    Q_OBJECT

public:
    // `route`: the rows the export writes (none when opened from the import window).
    explicit ReadingDataExportWindow(std::vector<HandheldRow> route = {}, QWidget* parent = nullptr);
    ~ReadingDataExportWindow() override;
    Ui::ReadingDataExportWindow* form() const { return ui.get(); }

    void fill_handheld_scheme_combo();
    void fill_handheld_scheme_fields();
    void on_new_scheme_click();
    void on_set_default_scheme_click();
    void on_delete_scheme_click();
    void on_field_add_click();
    void on_field_modify_click();
    void on_field_delete_click();
    void on_handheld_export_dbf_click();

private:
    std::unique_ptr<Ui::ReadingDataExportWindow> ui;
    std::vector<HandheldRow> route_;
};

class HandheldImportWindow : public QDialog {
    Q_OBJECT

public:
    explicit HandheldImportWindow(QWidget* parent = nullptr);
    ~HandheldImportWindow() override;
    Ui::HandheldImportWindow* form() const { return ui.get(); }
    void on_handheld_import_file_click();

private:
    std::unique_ptr<Ui::HandheldImportWindow> ui;
};

// 批量抄表 of the monthly page; `refill` shows the batch afterwards.
void on_main_monthly_batch_import_click(QWidget* owner, QTableView* monthly_list);

}  // namespace reading
