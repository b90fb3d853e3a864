#include "shell/permissions_window.h"

#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "shell/operation_log.h"
#include "shell/operator_accounts.h"
#include "store/main_database.h"
#include "ui_permissions_window.h"

namespace shell {

QString permission_operator;

namespace {

// Node value: the group's 权限项目.ID, or the item's 权限管理.ID.
constexpr int kNodeValueRole = Qt::UserRole;

using platform::inform;

void set_subtree_state(QTreeWidgetItem* node, Qt::CheckState state) {
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        if (child->text(0) != kPermissionPlaceholder) child->setCheckState(0, state);
        set_subtree_state(child, state);
    }
}

}  // namespace

PermissionsWindow::PermissionsWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::PermissionsWindow>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    platform::show_whole_text(ui->编辑框1);
    connect(ui->列表框_收费人员, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && !building_) on_permissions_operator_selected();
    });
    connect(ui->树型框_权限, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* node) { on_permissions_tree_expanded(node); });
    connect(ui->树型框_权限, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* node, int) {
        if (!building_ && node->text(0) != kPermissionPlaceholder)
            on_permissions_tree_check_changed(node, node->checkState(0));
    });
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_permissions_save_click(); });
    connect(ui->按钮2, &QPushButton::clicked, this, [this] { on_permissions_close_click(); });
    on_permissions_window_created();
}

PermissionsWindow::~PermissionsWindow() = default;

QTreeWidget* PermissionsWindow::permission_tree() const { return ui->树型框_权限; }

void PermissionsWindow::on_permissions_window_created() {
    platform::recordset_bind_connection(记录集1, store::main_connection());
    platform::recordset_bind_connection(记录集2, store::main_connection());
    building_ = true;
    ui->列表框_收费人员->clear();
    if (platform::recordset_open(
            记录集1, QStringLiteral("select 收费人员 from 收费员 where 收费人员<>'管理员'"))) {
        for (; !platform::recordset_eof(记录集1); platform::recordset_move_next(记录集1))
            ui->列表框_收费人员->addItem(platform::recordset_field_text(记录集1, 0));
    }
    platform::recordset_close(记录集1);
    ui->列表框_收费人员->setCurrentRow(-1);
    ui->树型框_权限->clear();
    building_ = false;
}

void PermissionsWindow::on_permissions_operator_selected() {
    QListWidgetItem* chosen = ui->列表框_收费人员->currentItem();
    if (!chosen) return;
    permission_operator = chosen->text();
    reload_permission_tree();
}

void PermissionsWindow::reload_permission_tree() {
    QTreeWidget* tree = ui->树型框_权限;
    building_ = true;
    tree->clear();
    const QIcon group_icon = style()->standardIcon(QStyle::SP_DirIcon);
    if (platform::recordset_open(
            记录集1,
            QStringLiteral("select ID,项目名称 from 权限项目 where 首项<>0 ORDER  BY ID"))) {
        for (; !platform::recordset_eof(记录集1); platform::recordset_move_next(记录集1)) {
            const QString group = platform::recordset_field_text(记录集1, 1);
            auto* node = new QTreeWidgetItem(tree, QStringList{group});
            node->setIcon(0, group_icon);
            node->setData(0, kNodeValueRole, platform::recordset_field_text(记录集1, 0));
            node->setCheckState(0, Qt::Unchecked);
            const bool has_items =
                platform::recordset_open(记录集2,
                                         QStringLiteral("select ID from 权限项目 where 父项目=") +
                                             platform::sql_quote(group)) &&
                platform::recordset_record_count(记录集2) > 0;
            platform::recordset_close(记录集2);
            if (has_items) new QTreeWidgetItem(node, QStringList{kPermissionPlaceholder});
        }
    }
    platform::recordset_close(记录集1);
    building_ = false;
    if (tree->topLevelItemCount() > 0) expand_group(tree->topLevelItem(0));
}

QTreeWidgetItem* PermissionsWindow::group_node(const QString& group) const {
    QTreeWidget* tree = ui->树型框_权限;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->text(0) == group) return tree->topLevelItem(i);
    return nullptr;
}

void PermissionsWindow::expand_group(QTreeWidgetItem* node) {
    if (!node) return;
    if (node->isExpanded()) node->setExpanded(false);
    // Expanding emits itemExpanded, whose handler reads the items; should the view not emit it,
    // the items are read here.
    const int loads = group_loads_;
    node->setExpanded(true);
    if (group_loads_ == loads) on_permissions_tree_expanded(node);
}

bool PermissionsWindow::group_items_read(const QTreeWidgetItem* group) const {
    return !(group->childCount() == 1 && group->child(0)->text(0) == kPermissionPlaceholder);
}

void PermissionsWindow::on_permissions_tree_expanded(QTreeWidgetItem* node) {
    if (!node || node->parent()) return;
    // Read once: closing and opening a group again keeps the ticks made in it (a group ticked
    // while closed would otherwise lose them the moment it is opened to check them).
    if (!group_items_read(node)) load_group_items(node);
}

void PermissionsWindow::load_group_items(QTreeWidgetItem* node) {
    building_ = true;
    const QString group = node->text(0);
    qDeleteAll(node->takeChildren());
    const QString sql =
        QStringLiteral(
            "select 权限管理.ID,权限项目.项目名称,权限管理.权限标识 from 权限项目,权限管理 "
            "where 权限项目.项目名称=权限管理.当前项目 and 权限项目.父项目=") +
        platform::sql_quote(group) + QStringLiteral(" and 权限管理.人员姓名=") +
        platform::sql_quote(permission_operator) + QStringLiteral("  ORDER  BY 权限项目.ID");
    if (platform::recordset_open(记录集1, sql)) {
        for (; !platform::recordset_eof(记录集1); platform::recordset_move_next(记录集1)) {
            auto* item =
                new QTreeWidgetItem(node, QStringList{platform::recordset_field_text(记录集1, 1)});
            item->setData(0, kNodeValueRole, platform::recordset_field_text(记录集1, 0));
            item->setCheckState(
                0, platform::recordset_field_bool(记录集1, 2) ? Qt::Checked : Qt::Unchecked);
        }
    }
    platform::recordset_close(记录集1);
    ++group_loads_;
    building_ = false;
}

void PermissionsWindow::on_permissions_tree_check_changed(QTreeWidgetItem* node,
                                                          Qt::CheckState state) {
    if (!node) return;
    // A group still closed has only its placeholder: its items are read first, so that ticking
    // the group ticks them whether it was ever opened or not.
    if (!node->parent() && !group_items_read(node)) load_group_items(node);
    building_ = true;
    if (node->checkState(0) != state) node->setCheckState(0, state);
    set_subtree_state(node, state);
    building_ = false;
}

void PermissionsWindow::on_permissions_save_click() {
    // A group's placeholder stands for items never read: they are not touched.
    std::vector<std::pair<QString, bool>> grants;
    for (QTreeWidgetItemIterator it(ui->树型框_权限); *it; ++it)
        if ((*it)->text(0) != kPermissionPlaceholder)
            grants.emplace_back((*it)->text(0), (*it)->checkState(0) == Qt::Checked);
    platform::show_messages(
        save_operator_grants(store::main_connection(), permission_operator, grants).messages);
}

void PermissionsWindow::on_permissions_close_click() { close(); }

}  // namespace shell
