#pragma once
// ReadingQueryWindow ("抄表查询"): the conditions of the read-readings query (page 0) and of the
// unread-meter query (page 1); running one closes the window and fills the page's list.
#include <QDialog>
#include <memory>

class QTableView;

namespace Ui {
class ReadingQueryWindow;
}

namespace reading {

class ReadingQueryWindow : public QDialog {
    Q_OBJECT

public:
    ReadingQueryWindow(QTableView* list, QWidget* parent = nullptr);
    ~ReadingQueryWindow() override;

    Ui::ReadingQueryWindow* form() const { return ui.get(); }

    void on_reading_query_tab_changed(int page);
    void on_reading_query_read_ok_click();
    void on_reading_query_unread_ok_click();

private:
    std::unique_ptr<Ui::ReadingQueryWindow> ui;
    QTableView* list_;
};

}  // namespace reading
