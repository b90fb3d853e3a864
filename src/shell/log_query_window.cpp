#include "shell/log_query_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTableView>
#include <string>

#include "lists/list_columns.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "shell/log_page.h"
#include "shell/operation_log.h"
#include "store/main_database.h"
#include "ui_log_query_window.h"

namespace shell {

namespace {

using platform::inform;

const QString kPeopleGroup = QStringLiteral("人员信息");

}  // namespace

QString log_query_statement(const LogQuery& q) {
    // Whole days: from 0:0:0 of the first day to 23:59:59 of the last (times are stored to
    // the second).
    const auto day_text = [](const QDate& d) {
        return QStringLiteral("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day());
    };
    QString sql = QStringLiteral("select * from 日志管理 where 发生时间>=#") +
                  day_text(q.first_day) + QStringLiteral(" 0:0:0# and 发生时间<=#") +
                  day_text(q.last_day) + QStringLiteral(" 23:59:59#");
    if (!q.operator_name.isEmpty())
        sql += QStringLiteral(" and 操作人员=") + platform::sql_quote(q.operator_name);
    if (!q.parent_item.isEmpty())
        sql += QStringLiteral(" and 上级项目=") + platform::sql_quote(q.parent_item) +
               QLatin1Char(' ');
    if (!q.current_item.isEmpty())
        sql += QStringLiteral(" and 当前项目=") + platform::sql_quote(q.current_item) +
               QLatin1Char(' ');
    switch (q.sort_key) {
        case 1:
            sql += QStringLiteral(" ORDER  BY 发生时间");
            break;
        case 2:
            sql += QStringLiteral(" ORDER  BY 操作人员");
            break;
        case 3:
            sql += QStringLiteral(" ORDER  BY 当前项目");
            break;
        default:
            sql += QStringLiteral(" ORDER  BY ID");
            break;
    }
    sql += q.ascending ? QStringLiteral(" ASC") : QStringLiteral(" DESC");
    return sql;
}

void fill_log_list(QTableView* list, platform::RecordSet& records, const QString& statement) {
    lists::ListBuilder build(list, kLogColumnClass);
    if (platform::recordset_open(records, statement)) {
        build.reserve_rows(platform::recordset_record_count(records));
        const auto field = [&records](const char16_t* name) {
            return platform::recordset_field_index(records, QString::fromUtf16(name));
        };
        const int id = field(u"ID"), when = field(u"发生时间"), item = field(u"当前项目"),
                  group = field(u"上级项目"), person = field(u"操作人员"), remark = field(u"备注");
        std::string time;
        for (; !platform::recordset_eof(records); platform::recordset_move_next(records)) {
            const int row = build.append_empty_row();
            build.put_text(row, 0, records, id);
            time.clear();
            platform::DateParts p;
            if (platform::recordset_field_date_parts(records, when, &p)) {
                // log_time_text's form, without a QDateTime per row.
                time = std::to_string(p.year) + '-' + std::to_string(p.month) + '-' +
                       std::to_string(p.day) + ' ' + std::to_string(p.hour) + ':' +
                       std::to_string(p.minute) + ':' + std::to_string(p.second);
            }
            build.put_utf8(row, 1, time);
            build.put_text(row, 2, records, item);
            build.put_text(row, 3, records, group);
            build.put_text(row, 4, records, person);
            build.put_text(row, 5, records, remark);
        }
    }
    platform::recordset_close(records);
    build.finish();
}

LogQueryWindow::LogQueryWindow(QWidget* parent, QTableView* log_list)
    : QDialog(parent), ui(std::make_unique<Ui::LogQueryWindow>()), log_list_(log_list) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ui->收费日期_起->setDate(platform::today());
    ui->收费日期_止->setDate(platform::today());
    ui->收费排序分类->setCurrentIndex(0);
    ui->收费排序方式->setCurrentIndex(1);
    connect(ui->收费按钮_确定, &QPushButton::clicked, this, [this] { on_log_query_ok_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, [this] { on_log_query_cancel_click(); });
    on_log_query_window_create();
    connect(ui->组合框_上级项目, &QComboBox::currentIndexChanged, this,
            [this] { on_log_query_parent_item_changed(); });
}

LogQueryWindow::~LogQueryWindow() = default;

void LogQueryWindow::on_log_query_window_create() {
    platform::recordset_bind_connection(记录集1, store::main_connection());
    ui->组合框_上级项目->clear();
    ui->组合框_上级项目->addItem(kPeopleGroup);
    if (platform::recordset_open(
            记录集1,
            QStringLiteral("select ID,项目名称 from 权限项目 where 首项<>0 ORDER  BY ID"))) {
        for (; !platform::recordset_eof(记录集1); platform::recordset_move_next(记录集1))
            ui->组合框_上级项目->addItem(platform::recordset_field_text(记录集1, 1));
    }
    platform::recordset_close(记录集1);
    ui->组合框_操作人员->clear();
    if (platform::recordset_open(记录集1, QStringLiteral("select 收费人员 from 收费员"))) {
        for (; !platform::recordset_eof(记录集1); platform::recordset_move_next(记录集1))
            ui->组合框_操作人员->addItem(platform::recordset_field_text(记录集1, 0));
    }
    platform::recordset_close(记录集1);
    // Drop-down lists start with nothing chosen, as the filters' checks expect.
    ui->组合框_上级项目->setCurrentIndex(-1);
    ui->组合框_操作人员->setCurrentIndex(-1);
    ui->组合框_当前项目->setCurrentIndex(-1);
    ui->收费按钮_确定->setFocus();
}

void LogQueryWindow::on_log_query_parent_item_changed() {
    const QString group = ui->组合框_上级项目->currentText();
    if (group.isEmpty()) return;
    QComboBox* items = ui->组合框_当前项目;
    items->clear();
    if (group == kPeopleGroup) {
        items->addItem(QStringLiteral("登陆"));
        items->addItem(QStringLiteral("退出"));
    } else {
        if (platform::recordset_open(
                记录集1, QStringLiteral("select 项目名称 from 权限项目 where 父项目=") +
                             platform::sql_quote(group) + QStringLiteral(" ORDER  BY ID"))) {
            for (; !platform::recordset_eof(记录集1); platform::recordset_move_next(记录集1))
                items->addItem(platform::recordset_field_text(记录集1, 0));
        }
        platform::recordset_close(记录集1);
    }
    items->setCurrentIndex(-1);
}

void LogQueryWindow::on_log_query_ok_click() {
    LogQuery query;
    query.first_day = ui->收费日期_起->date();
    query.last_day = ui->收费日期_止->date();
    if (ui->收费选择框_收费人员->isChecked()) {
        query.operator_name = ui->组合框_操作人员->currentText();
        if (query.operator_name.isEmpty()) {
            inform(QStringLiteral("操作人员不能为空!"));
            ui->组合框_操作人员->setFocus();
            return;
        }
    }
    if (ui->收费选择框_上级项目->isChecked()) {
        query.parent_item = ui->组合框_上级项目->currentText();
        if (query.parent_item.isEmpty()) {
            inform(QStringLiteral("上级项目不能为空!"));
            ui->组合框_上级项目->setFocus();
            return;
        }
    }
    if (ui->收费选择框_当前项目->isChecked()) {
        query.current_item = ui->组合框_当前项目->currentText();
        if (query.current_item.isEmpty()) {
            inform(QStringLiteral("当前项目不能为空!"));
            ui->组合框_当前项目->setFocus();
            return;
        }
    }
    query.sort_key = ui->收费排序分类->currentIndex();
    query.ascending = ui->收费排序方式->currentIndex() == 0;

    if (log_list_) fill_log_list(log_list_, 记录集1, log_query_statement(query));
    accept();
}

void LogQueryWindow::on_log_query_cancel_click() { reject(); }

}  // namespace shell
