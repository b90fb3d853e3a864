#include "shell/operator_info_window.h"

#include <QPushButton>
#include <QTableView>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "shell/operation_log.h"
#include "shell/operators_window.h"
#include "store/main_database.h"
#include "ui_operator_info_window.h"

namespace shell {

namespace {

using platform::inform;

// The connection's own error text, in a box without icon.
void show_database_error(const QString& error) {
    platform::message_box(error, platform::kDefaultCaption, platform::MsgIcon::None);
}

// Leading blanks removed, as the item names are written into the grant rows.
QString trim_left(const QString& text) {
    int start = 0;
    while (start < text.size() &&
           (text[start] == QLatin1Char(' ') || text[start] == QLatin1Char('\t') ||
            text[start] == QChar(0x3000)))
        ++start;
    return text.mid(start);
}

}  // namespace

OperatorInfoWindow::OperatorInfoWindow(QWidget* parent, QTableView* operators_list)
    : QDialog(parent),
      ui(std::make_unique<Ui::OperatorInfoWindow>()),
      operators_list_(operators_list) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(ui->按钮_确定, &QPushButton::clicked, this, [this] { on_operator_info_save_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this,
            [this] { on_operator_info_cancel_click(); });
    on_operator_info_window_created();
}

OperatorInfoWindow::~OperatorInfoWindow() = default;

void OperatorInfoWindow::on_operator_info_window_created() {
    platform::recordset_bind_connection(记录集1, store::main_connection());
    ui->组合框_进入->setCurrentIndex(0);
    if (operator_form_mode == QStringLiteral("修改")) {
        const int row = operators_list_ ? platform::listview_selected_row(operators_list_) : -1;
        operator_name_before_edit =
            row < 0 ? QString() : platform::listview_cell_text(operators_list_, row, 0);
        bool permitted = false;
        if (platform::recordset_open(记录集1,
                                     QStringLiteral("select * from 收费员 where 收费人员=") +
                                         platform::sql_quote(operator_name_before_edit)))
            permitted = platform::recordset_field_bool(记录集1, 2);
        platform::recordset_close(记录集1);
        ui->组合框_进入->setCurrentIndex(permitted ? 0 : 1);
        ui->编辑框_姓名->setText(operator_name_before_edit);
        ui->编辑框_密码->clear();
        ui->编辑框_姓名->selectAll();
    }
    ui->编辑框_姓名->setFocus();
}

void OperatorInfoWindow::on_operator_info_save_click() {
    // A name of blanks alone would be stored empty: it is no name.
    if (platform::text_trim(ui->编辑框_姓名->text()).isEmpty()) {
        inform(QStringLiteral("操作人员不能为空！"));
        ui->编辑框_姓名->setFocus();
        return;
    }
    if (ui->编辑框_密码->text().isEmpty()) {
        inform(QStringLiteral("密码不能为空！"));
        ui->编辑框_密码->setFocus();
        return;
    }
    const QString name = platform::text_trim(ui->编辑框_姓名->text());
    const QString digest = platform::md5_hex(ui->编辑框_密码->text());
    const bool permitted = ui->组合框_进入->currentIndex() == 0;
    if (operator_form_mode == QStringLiteral("添加"))
        add_operator(name, digest, permitted);
    else if (operator_form_mode == QStringLiteral("修改"))
        modify_operator(name, digest, permitted);
}

bool OperatorInfoWindow::refuse_duplicate_name(const QString& name, const QString& own_name) {
    QString sql =
        QStringLiteral("select 收费人员 from 收费员 where 收费人员=") + platform::sql_quote(name);
    // A rename may keep its own name (or change only its letter case).
    if (!own_name.isNull())
        sql += QStringLiteral(" and 收费人员<>") + platform::sql_quote(own_name);
    const bool duplicate =
        platform::recordset_open(记录集1, sql) && !platform::recordset_eof(记录集1);
    platform::recordset_close(记录集1);
    if (!duplicate) return false;
    inform(QStringLiteral("待添加的操作人员名称重复!"));
    ui->编辑框_姓名->setFocus();
    return true;
}

void OperatorInfoWindow::add_operator(const QString& name, const QString& digest, bool permitted) {
    if (refuse_duplicate_name(name, QString())) return;
    platform::Connection& db = store::main_connection();
    {
        // The operator comes with a grant row for every item, or not at all: an operator
        // missing some rows could never be granted those items.
        platform::Transaction transaction(db);
        if (!platform::db_execute(
                db, QStringLiteral("insert into 收费员 (收费人员,密码,许可) values (") +
                        platform::sql_quote(name) + QLatin1Char(',') + platform::sql_quote(digest) +
                        (permitted ? QStringLiteral(",1 )") : QStringLiteral(",0 )")))) {
            const QString error = platform::db_last_error(db);
            transaction.rollback();
            show_database_error(error);
            return;
        }
        bool granted = platform::recordset_open(
            记录集1, QStringLiteral("select 项目名称 from 权限项目 where 首项=0 ORDER  BY ID"));
        for (; granted && !platform::recordset_eof(记录集1);
             platform::recordset_move_next(记录集1)) {
            granted = platform::db_execute(
                db, QStringLiteral("insert into 权限管理 (权限标识,当前项目,人员姓名) values (0,") +
                        platform::sql_quote(trim_left(platform::recordset_field_text(记录集1, 0))) +
                        QLatin1Char(',') + platform::sql_quote(name) + QStringLiteral(" )"));
        }
        platform::recordset_close(记录集1);
        if (!granted || !transaction.commit()) {
            transaction.rollback();
            inform(QStringLiteral("写入权限项目失败！"));
            return;
        }
    }
    inform(QStringLiteral("添加成功，请在权限管理中分配权限！"));
    if (!write_operation_log(QStringLiteral("基本设置"), QStringLiteral("操作人员设置"),
                             QStringLiteral("添加操作人员：") + name + QStringLiteral("。")))
        inform(QStringLiteral("添加日志失败！"));
    accept();
}

void OperatorInfoWindow::modify_operator(const QString& name, const QString& digest,
                                         bool permitted) {
    if (refuse_duplicate_name(name, operator_name_before_edit)) return;
    platform::Connection& db = store::main_connection();
    bool changed = false;
    QString error;
    {
        // The grant rows follow the name in the same step: under a new name without them the
        // operator would be refused everything.
        platform::Transaction transaction(db);
        changed = platform::db_execute(
                      db, QStringLiteral("update 收费员 set 密码=") + platform::sql_quote(digest) +
                              (permitted ? QStringLiteral(",许可=1,收费人员=")
                                         : QStringLiteral(",许可=0, 收费人员=")) +
                              platform::sql_quote(name) + QStringLiteral(" where 收费人员=") +
                              platform::sql_quote(operator_name_before_edit)) &&
                  platform::db_execute(db, QStringLiteral("update 权限管理 set 人员姓名=") +
                                               platform::sql_quote(name) +
                                               QStringLiteral("  where 人员姓名=") +
                                               platform::sql_quote(operator_name_before_edit)) &&
                  transaction.commit();
        if (!changed) {
            error = platform::db_last_error(db);
            transaction.rollback();
        }
    }
    if (changed) {
        if (!write_operation_log(QStringLiteral("基本设置"), QStringLiteral("操作人员设置"),
                                 QStringLiteral("把原操作人员：") + operator_name_before_edit +
                                     QStringLiteral("修改为：") + name + QStringLiteral("。")))
            inform(QStringLiteral("添加日志失败！"));
        inform(QStringLiteral("修改成功!"));
    } else {
        show_database_error(error);
    }
    accept();
}

void OperatorInfoWindow::on_operator_info_cancel_click() { reject(); }

}  // namespace shell
