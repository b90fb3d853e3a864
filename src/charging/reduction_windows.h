#pragma once
// The windows of the reductions page: ReductionSettingsWindow ("减免设置", "减免修改" when it
// edits the household in charging::edited_reduction_household) and ReductionQueryWindow
// ("减免查询"), which lists the reductions granted by household, street or date.
#include <QDialog>
#include <memory>

class QComboBox;
class QLineEdit;

namespace Ui {
class ReductionSettingsWindow;
class ReductionQueryWindow;
}  // namespace Ui

namespace charging {

class ReductionPage;

class ReductionSettingsWindow : public QDialog {
    Q_OBJECT

public:
    // page: whose settings list fills again after a save (may be null).
    explicit ReductionSettingsWindow(ReductionPage* page, QWidget* parent = nullptr);
    ~ReductionSettingsWindow() override;

    // 编辑框_户号 left: the household's name, street and address, or the refusal.
    void on_reduction_household_lookup();
    // An item chosen in one of the four choice boxes: "--" beside the first, empty beside the
    // second.
    void on_reduction_choice(QComboBox* choice, QLineEdit* value);
    // 按钮_添加
    void on_reduction_save_click();

    Ui::ReductionSettingsWindow* form() const { return ui.get(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void load_for_edit();

    std::unique_ptr<Ui::ReductionSettingsWindow> ui;
    ReductionPage* page_;
    bool edit_ = false;
};

class ReductionQueryWindow : public QDialog {
    Q_OBJECT

public:
    explicit ReductionQueryWindow(ReductionPage* page, QWidget* parent = nullptr);
    ~ReductionQueryWindow() override;

    // 确定
    void on_reduction_query_ok_click();

    Ui::ReductionQueryWindow* form() const { return ui.get(); }

private:
    std::unique_ptr<Ui::ReductionQueryWindow> ui;
    ReductionPage* page_;
};

}  // namespace charging
