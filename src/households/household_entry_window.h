#pragma once
// The household form (caption "用户添加", "用户修改" when modifying), opened modally. In add mode
// it proposes the next household number and saves a new household together with its
// property-fee meter account (account number = household number + "01"), both or neither; with
// 连续添加 ticked it stays open for the next household. In modify mode it rewrites the household
// and mirrors its property category onto that meter account, again both or neither.
//
// The mode comes from the program-wide values its openers set just before opening it:
// households::household_form_mode ("添加" / "修改") and shell::household_form_source ("假": the
// list of page 0, "真": the query list of page 1), whose selected row names the household to
// modify.
#include <QDialog>
#include <QString>
#include <QTableView>
#include <memory>

#include "households/household_entry.h"
#include "platform/db.h"

class QComboBox;

namespace Ui {
class HouseholdEntryWindow;
}

namespace households {

class HouseholdEntryWindow : public QDialog {
    Q_OBJECT

public:
    explicit HouseholdEntryWindow(QWidget* parent = nullptr);
    ~HouseholdEntryWindow() override;

    // Creation: binds 记录集1, then prepares add mode (proposed number, combo boxes, 连续添加)
    // or loads the selected household of the source list for modify mode.
    void on_household_form_created();
    // Streets, banks and the property-fee price categories into the three data combo boxes,
    // in the order the database returns them; nothing selected.
    void fill_household_form_combos();
    // Modify mode: the household's values into the form, the number locked.
    void load_household_into_form(const QString& number);
    // 按钮_添加: validates and saves.
    void on_household_form_save_click();
    // 返回: closes without saving.
    void on_household_form_back_click();

    bool add_mode() const { return add_mode_; }
    Ui::HouseholdEntryWindow* form() const { return ui.get(); }

private:
    HouseholdEntry read_entry() const;
    // Shows the outcome's boxes and gives the refused box the focus.
    void show_outcome(const HouseholdSaveOutcome& outcome);
    static void reselect_household(QTableView* list, const QString& number);
    void prepare_next_entry(const QString& number_used);
    void select_or_add(QComboBox* combo, const QString& value);

    std::unique_ptr<Ui::HouseholdEntryWindow> ui;
    bool add_mode_ = true;
};

}  // namespace households
