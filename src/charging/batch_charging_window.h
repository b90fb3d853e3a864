#pragma once
// The batch charging window (批量收费): reader, street and collector, then one confirmed run of
// run_batch_charging with the progress window over the main window.
#include <QDialog>
#include <memory>

namespace Ui {
class BatchChargingWindow;
}
namespace shell {
class MainWindow;
}

namespace charging {

class BatchChargingWindow : public QDialog {
    Q_OBJECT

public:
    explicit BatchChargingWindow(QWidget* parent = nullptr);
    ~BatchChargingWindow() override;
    Ui::BatchChargingWindow* form() const { return ui.get(); }

    void on_batch_query_click();
    void on_batch_close_click();

private:
    void on_batch_window_create();
    std::unique_ptr<Ui::BatchChargingWindow> ui;
    bool running_ = false;  // a batch is being charged
};

void on_main_nav_batch_charging_click(shell::MainWindow* main_window);

}  // namespace charging
