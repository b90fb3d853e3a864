#pragma once
// ReadingEditWindow ("抄表修改"): start, end, loss and date of one committed reading; saving
// bills the month again.
#include <QDialog>
#include <memory>

#include "reading/reading_edit.h"

namespace Ui {
class ReadingEditWindow;
}

namespace reading {

class ReadingEditWindow : public QDialog {
    Q_OBJECT

public:
    ReadingEditWindow(qint64 reading_id, QWidget* parent = nullptr);
    ~ReadingEditWindow() override;

    Ui::ReadingEditWindow* form() const { return ui.get(); }

    void on_edit_reading_end_changed();
    void on_edit_reading_save_click();

private:
    UsageAndLoss show_usage();

    std::unique_ptr<Ui::ReadingEditWindow> ui;
    EditedReading reading_;  // as loaded: the save hands it to the correction
};

}  // namespace reading
