#pragma once
// Content page 13 of the main window (发票设置): the invoice books with their usage, recounted
// every time the list fills, the add and delete buttons, and the list pages' shared export,
// print, column-settings and save-widths buttons. InvoiceInfoWindow ("发票信息") registers a
// book.
#include <QDialog>
#include <functional>
#include <QWidget>
#include <memory>

#include "tariffs/tariff_outcome.h"

class QTableView;

namespace Ui {
class InvoicePage;
class InvoiceInfoWindow;
}  // namespace Ui

namespace tariffs {

class InvoicePage : public QWidget {
    Q_OBJECT

public:
    explicit InvoicePage(QWidget* parent = nullptr);
    ~InvoicePage() override;

    // Recounts the books, then lists them by the column settings of class 发票管理.
    void fill_invoice_list();
    // 发票管理_添加: InvoiceInfoWindow modally.
    void on_invoice_add_click();
    // 发票管理_删除: the selected book, after the holder test and the question.
    void on_invoice_delete_click();

    QTableView* invoice_list() const;
    Ui::InvoicePage* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::InvoicePage> ui;
};

class InvoiceInfoWindow : public QDialog {
    Q_OBJECT

public:
    // `page`: the page whose list fills again after a book is added (may be null).
    explicit InvoiceInfoWindow(QWidget* parent = nullptr, InvoicePage* page = nullptr);
    ~InvoiceInfoWindow() override;

    // 添加
    void on_invoice_save_click();
    // 按钮2
    void on_invoice_close_click();
    Ui::InvoiceInfoWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::InvoiceInfoWindow> ui;
    InvoicePage* page_;
};

// The recount of the invoice books on the main connection for a window: failed statements are
// shown in plain boxes, and the number in use (shell::current_invoice_number) is returned.
QString refresh_current_invoice_number_showing_failures(QWidget* parent = nullptr);

// Menu 打印 > 发票管理: the permission "发票设置", content page 13, its list filled. `show_page`
// selects the page (the main window's).
void on_menu_invoice_management(InvoicePage* page, const std::function<void()>& show_page = {});

}  // namespace tariffs
