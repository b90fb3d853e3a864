#include "lists/column_settings_window.h"

#include "lists/list_pages.h"
#include "lists/list_settings.h"
#include "platform/dialogs.h"
#include "store/main_database.h"
#include "ui_column_settings_window.h"

namespace lists {

QString column_settings_class;

ColumnSettingsWindow::ColumnSettingsWindow(int current_page, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ColumnSettingsWindow>()) {
    ui->setupUi(this);
    connect(ui->按钮1, &QPushButton::clicked, this, [this] { on_column_settings_add_click(); });
    connect(ui->按钮2, &QPushButton::clicked, this, [this] { on_column_settings_remove_click(); });

    platform::recordset_bind_connection(records_, store::main_connection());
    ui->列表框1->clear();
    const QString page_class = settings_class_of_page(current_page);
    if (!page_class.isEmpty()) column_settings_class = page_class;
    load_column_lists();
}

ColumnSettingsWindow::~ColumnSettingsWindow() = default;

void ColumnSettingsWindow::load_column_lists() {
    ui->列表框1->clear();
    ui->列表框2->clear();
    if (!platform::recordset_open(records_,
                                  QStringLiteral("select 列名,显示 from 查询列 where 类名=") +
                                      platform::sql_quote(column_settings_class) +
                                      QStringLiteral(" ORDER  BY 排序")))
        return;
    platform::recordset_move_first(records_);
    const int count = platform::recordset_record_count(records_);
    for (int i = 0; i < count; ++i) {
        const QString shown = platform::recordset_field_text(records_, QStringLiteral("显示"));
        const QString name = platform::recordset_field_text(records_, QStringLiteral("列名"));
        (shown == QStringLiteral("真") ? ui->列表框2 : ui->列表框1)->addItem(name);
        platform::recordset_move_next(records_);
    }
    platform::recordset_close(records_);
}

void ColumnSettingsWindow::on_column_settings_remove_click() {
    const QListWidgetItem* selected = ui->列表框2->currentItem();
    if (!selected || !selected->isSelected()) return;
    platform::show_messages(
        set_column_shown(store::main_connection(), column_settings_class, selected->text(), false)
            .messages);
    load_column_lists();
}

void ColumnSettingsWindow::on_column_settings_add_click() {
    const QListWidgetItem* selected = ui->列表框1->currentItem();
    const QString text = selected && selected->isSelected() ? selected->text() : QString();
    for (int i = 0; i < ui->列表框2->count(); ++i) {
        if (ui->列表框2->item(i)->text() == text) {
            platform::message_box(QStringLiteral("该列已经加入!"));
            return;
        }
    }
    platform::show_messages(
        set_column_shown(store::main_connection(), column_settings_class, text, true).messages);
    load_column_lists();
}

}  // namespace lists
