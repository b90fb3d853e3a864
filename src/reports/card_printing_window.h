#pragma once
// CardPrintingWindow "卡片打印": prints the meter-reading handbook of one reader, one account a
// line or two accounts a line, at a chosen font size and row height, through the grid's print
// preview. The first page's sort and stopped-meter choices are shown but not used: the order
// is always the walking order and only active accounts are listed.
#include <QDialog>
#include <memory>

namespace Ui {
class CardPrintingWindow;
}

namespace reports {

class CardPrintingWindow : public QDialog {
    Q_OBJECT

public:
    explicit CardPrintingWindow(QWidget* parent = nullptr);
    ~CardPrintingWindow() override;

    void on_card_print_window_create();
    // 方式二_打印
    void on_card_print_handbook_click();
    // 方式二_返回
    void on_card_print_return_click();

    Ui::CardPrintingWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::CardPrintingWindow> ui;
    bool printing_ = false;  // a handbook is being built
};

// Builds the handbook tables for the reader and opens the print preview of the handbook; says
// "没有待查询的数据！" when the reader has no active account. `hint` is hidden when done.
void print_reading_handbook(const QString& reader, bool single_line, int font_size, int row_height,
                            QWidget* hint = nullptr);

// Menu 打印 > 打印卡片: the window, modally, for every operator.
void on_main_menu_print_cards_click(QWidget* owner = nullptr);

}  // namespace reports
