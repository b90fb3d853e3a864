#pragma once
// ReadingEntryWindow ("抄表添加"): the meter clerk types the month's readings one meter after
// another. Add mode (reading_form_mode "添加") inserts pending readings; modify mode ("修改")
// changes start, end, usage and loss of the pending row selected on the monthly page. The
// window looks the meter up when its number box is left, refuses a meter already read and
// committed for the month, proposes the start reading, computes the loss while the end reading
// is typed, and after a save may walk on to the next meter of the reader's route. A save plays
// the confirmation sound.
#include <QDialog>
#include <memory>

class QTableView;

namespace Ui {
class ReadingEntryWindow;
}

namespace reading {

class ReadingEntryWindow : public QDialog {
    Q_OBJECT

public:
    // monthly_list: the main window's 月抄表列表框 (read in modify mode, refilled after saves);
    // may be null.
    explicit ReadingEntryWindow(QTableView* monthly_list, QWidget* parent = nullptr);
    ~ReadingEntryWindow() override;

    void on_add_reading_window_created();
    // The number box was left (and from the save): look-up, already-read test, start reading.
    void load_previous_reading();
    void show_meter_info_for_reading();
    void on_add_reading_end_changed();
    void on_add_reading_start_got_focus();
    void on_add_reading_confirm_click();
    void on_add_reading_close_click();

    Ui::ReadingEntryWindow* form() const { return ui.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void account_to_prefix();
    void refill_monthly_list();

    std::unique_ptr<Ui::ReadingEntryWindow> ui;
    QTableView* monthly_list_;
    bool modify_ = false;
    bool in_start_guard_ = false;
};

}  // namespace reading
