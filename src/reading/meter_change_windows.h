#pragma once
// The windows of the meter-change page: MeterChangeEntryWindow ("换表添加", "换表修改" when
// editing) records a change or edits one, and MeterChangeQueryWindow ("换表查询") fills the
// page's list by one criterion.
#include <QDialog>
#include <memory>

namespace Ui {
class MeterChangeEntryWindow;
class MeterChangeQueryWindow;
}  // namespace Ui

namespace reading {

class MeterChangePage;

class MeterChangeEntryWindow : public QDialog {
    Q_OBJECT

public:
    // page: where the change being edited is selected (edit mode); may be null in add mode.
    explicit MeterChangeEntryWindow(MeterChangePage* page, QWidget* parent = nullptr);
    ~MeterChangeEntryWindow() override;

    // The 户号 box was left (also while an edit loads): the account and its meter number.
    void on_meter_change_account_lookup();
    // 按钮_收费
    void on_meter_change_save_click();

    Ui::MeterChangeEntryWindow* form() const { return ui.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load_change_for_edit();

    std::unique_ptr<Ui::MeterChangeEntryWindow> ui;
    MeterChangePage* page_;
    bool edit_ = false;
};

class MeterChangeQueryWindow : public QDialog {
    Q_OBJECT

public:
    explicit MeterChangeQueryWindow(MeterChangePage* page, QWidget* parent = nullptr);
    ~MeterChangeQueryWindow() override;

    // 按钮_确定
    void on_meter_change_query_ok_click();

    Ui::MeterChangeQueryWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::MeterChangeQueryWindow> ui;
    MeterChangePage* page_;
};

}  // namespace reading
