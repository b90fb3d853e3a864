#pragma once
// The one shape of the price book's maintenance windows: a list window over one table (its
// list filled from the core's rows, its add, modify, delete and return buttons) and an edit
// dialog in the mode "添加" or "修改" whose OK button calls one core use case, shows the
// outcome's boxes and either closes (refilling the list) or moves the focus to the field the
// refusal names. Each window of the book is a small subclass that names its units.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

#include "tariffs/tariff_outcome.h"
#include "tariffs/tariff_tables.h"

class QAbstractButton;
class QComboBox;
class QTableView;

namespace tariffs {

class MaintenanceInfoDialog;

// Shows the outcome's boxes in order: information boxes, or plain ones for database texts.
void show_outcome(const Outcome& outcome, QWidget* parent = nullptr);
// Beeps and asks; true on Yes (or OK for an OK/Cancel question).
bool ask(const Question& question, QWidget* parent = nullptr);
// Gives the focus to a box, selecting its text when asked.
void focus_box(QWidget* box, bool select_text);
// Replaces a drop-down's items; nothing is selected afterwards.
void set_combo_items(QComboBox* combo, const QStringList& items);
// A drop-down holding just this value, selected and disabled (the modify forms).
void fix_combo(QComboBox* combo, const QString& value);

class MaintenanceListWindow : public QDialog {
    Q_OBJECT

public:
    // Clears the list and fills it afresh from the table.
    void fill_list();
    // The cells of the selected row; empty when no row is selected.
    QStringList selected_row() const;
    // The selected row's cell under this title ("" when none is selected).
    QString selected_cell(const QString& title) const;
    QTableView* list() const { return list_; }

    void on_add_click();
    void on_modify_click();
    void on_delete_click();
    void on_close_click();

protected:
    struct Units {
        QTableView* list = nullptr;
        QAbstractButton* add = nullptr;
        QAbstractButton* modify = nullptr;  // null: the window has no modify
        QAbstractButton* remove = nullptr;
        QAbstractButton* close = nullptr;
    };
    MaintenanceListWindow(TariffTable table, QWidget* parent);
    // Lays out the columns, wires the buttons and fills the list.
    void set_up(const Units& units);

    // Modify with no selected row shows this; "" lets the dialog open with empty fields.
    QString modify_refusal_;
    bool double_click_modifies_ = false;

    // The add button of a window without dialog does its own work here.
    virtual void add() { open_info(kModeAdd); }
    // Opens the edit dialog in the mode (the windows without one leave it).
    virtual void open_info(const QString& mode) {}
    // The delete's refusal for the selected row ("" to go on), its question and the delete.
    virtual QString delete_refusal(const QStringList& row) = 0;
    virtual Question delete_question(const QStringList& row) = 0;
    virtual Outcome remove(const QStringList& row) = 0;
    // Whether an empty selection stops the delete without a message (no refusal to show).
    virtual bool silent_without_selection() const { return false; }

    // Opens a dialog modally with this window's fill as its after-save step.
    void open_dialog(MaintenanceInfoDialog& dialog);

private:
    TariffTable table_;
    QTableView* list_ = nullptr;
};

class MaintenanceInfoDialog : public QDialog {
    Q_OBJECT

public:
    const QString& mode() const { return mode_; }
    // Runs after a successful save, before the dialog closes (the list window's fill).
    void set_after_save(std::function<void()> step) { after_save_ = std::move(step); }

    void on_ok_click();
    void on_cancel_click();

protected:
    MaintenanceInfoDialog(const QString& mode, QWidget* parent);
    void wire(QAbstractButton* ok, QAbstractButton* cancel);

    virtual Outcome save() = 0;
    // The box a refusal's field stands for.
    virtual QWidget* field_box(Field field) = 0;
    // Moves the focus after a refusal.
    virtual void focus_refusal(const Outcome& outcome);

private:
    QString mode_;
    std::function<void()> after_save_;
};

}  // namespace tariffs
