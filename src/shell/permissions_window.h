#pragma once
// The permission settings window (administrator only): the operators in a list and, for the
// chosen one, a tree of the permission groups whose items are read from the database when a
// group is first opened or ticked, each item ticked when the operator holds it. Ticking a group
// ticks all its items. Saving writes the tick of every loaded node into the operator's grant
// rows; it never adds or deletes grant rows.
#include <QDialog>
#include <QString>
#include <memory>

#include "platform/db.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace Ui {
class PermissionsWindow;
}

namespace shell {

// The operator chosen last in the window's list; kept while the program runs.
extern QString permission_operator;

// Text of the placeholder child a group shows until its items are read.
inline const QString kPermissionPlaceholder = QStringLiteral("正在读");

class PermissionsWindow : public QDialog {
    Q_OBJECT

public:
    explicit PermissionsWindow(QWidget* parent = nullptr);
    ~PermissionsWindow() override;

    void on_permissions_window_created();
    void on_permissions_operator_selected();
    void reload_permission_tree();
    // A group node opened: its items are read from the stored grant rows the first time; later
    // openings keep the ticks made since.
    void on_permissions_tree_expanded(QTreeWidgetItem* node);
    // A node ticked or unticked: every node below it takes the same state, the items of a group
    // never opened included (they are read first).
    void on_permissions_tree_check_changed(QTreeWidgetItem* node, Qt::CheckState state);
    void on_permissions_save_click();
    void on_permissions_close_click();

    Ui::PermissionsWindow* form() const { return ui.get(); }
    QTreeWidget* permission_tree() const;
    // The group node of this name, or null.
    QTreeWidgetItem* group_node(const QString& group) const;
    // Expands a group as the user would (collapsing it first when it is open), which reads its
    // items.
    void expand_group(QTreeWidgetItem* node);

private:
    void load_group_items(QTreeWidgetItem* node);
    // False while the group holds only its placeholder.
    bool group_items_read(const QTreeWidgetItem* group) const;

    std::unique_ptr<Ui::PermissionsWindow> ui;
    platform::RecordSet 记录集1;
    platform::RecordSet 记录集2;
    bool building_ = false;  // nodes being added or re-ticked by the window itself
    int group_loads_ = 0;    // item loads so far, to tell whether an expansion read the items
};

}  // namespace shell
