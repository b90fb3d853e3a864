#include "households/meter_info_window.h"

#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <cmath>

#include "households/meter_account.h"
#include "households/meter_entry.h"
#include "households/meter_list_page.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "platform/query.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_meter_info_window.h"

namespace households {

namespace {

using platform::inform;

// Fills a combo box; the entry equal to `wanted` is selected (the last one when several
// are), else the first; with select_first false and no match nothing is selected.
void fill_combo(QComboBox* box, const QStringList& items, const QString& wanted,
                bool select_first) {
    box->clear();
    box->addItems(items);
    int chosen = -1;
    if (!wanted.isNull())
        for (int i = 0; i < items.size(); ++i)
            if (items[i] == wanted) chosen = i;
    if (chosen < 0 && select_first && !items.isEmpty()) chosen = 0;
    box->setCurrentIndex(chosen);
}

}  // namespace

MeterInfoWindow::MeterInfoWindow(MeterListPage* page, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::MeterInfoWindow>()), page_(page) {
    ui->setupUi(this);
    ui->日期框_建表时间->setDate(platform::today());
    ui->组合框_当前状态->setCurrentIndex(0);
    ui->编辑框_户号->installEventFilter(this);
    ui->编辑框_磁卡号码->installEventFilter(this);
    connect(ui->编辑框_户号, &QLineEdit::returnPressed, this,
            [this] { ui->组合框_收费项目->setFocus(); });
    connect(ui->组合框_收费项目, &QComboBox::currentIndexChanged, this, [this] {
        if (!loading_) on_meter_fee_item_changed();
    });
    connect(ui->组合框_抄表人员, &QComboBox::currentIndexChanged, this, [this] {
        if (!loading_) on_meter_reader_changed();
    });
    connect(ui->按钮_收费, &QPushButton::clicked, this, [this] { on_meter_form_save_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, [this] { reject(); });

    loading_ = true;
    if (meter_form_mode == QStringLiteral("添加")) {
        // Adding: fee items and readers, nothing chosen; the number box ready for typing.
        fill_combo(
            ui->组合框_收费项目,
            platform::query_column(store::main_connection(), QStringLiteral("select 项目名称 from 收费项目 order by 编号")),
            QString(), false);
        fill_combo(ui->组合框_抄表人员,
                   platform::query_column(store::main_connection(), QStringLiteral("select 抄表员 from 抄表员")), QString(),
                   false);
        ui->编辑框_户号->setText(shell::system_parameters.household_number_prefix);
        ui->编辑框_户号->setCursorPosition(ui->编辑框_户号->text().size());
        ui->编辑框_户号->setFocus();
        loading_ = false;
    } else {
        // Modifying: the account, its household, and the save button ready.
        load_meter_into_form();
        loading_ = false;
        on_meter_household_number_lost_focus();
        ui->按钮_收费->setText(QStringLiteral("保  存&U"));
        ui->按钮_收费->setFocus();
    }
}

MeterInfoWindow::~MeterInfoWindow() {
    // The boxes lose their focus while the window is taken down; the look-ups must not run then.
    ui->编辑框_户号->removeEventFilter(this);
    ui->编辑框_磁卡号码->removeEventFilter(this);
}

bool MeterInfoWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == ui->编辑框_户号)
            on_meter_household_number_lost_focus();
        else if (watched == ui->编辑框_磁卡号码)
            on_meter_card_number_lost_focus();
    }
    return QDialog::eventFilter(watched, event);
}

void MeterInfoWindow::load_meter_into_form() {
    if (!page_) return;
    QTableView* list = page_->meter_list();
    const int column = platform::listview_column_index(list, QStringLiteral("编号"));
    if (column < 0) {
        inform(QStringLiteral("请在查询列在设置显示编号列!"));
        return;
    }
    const int row = platform::listview_selected_row(list);
    const QString cell = row < 0 ? QString() : platform::listview_cell_text(list, row, column);
    edited_meter_id = static_cast<int>(std::trunc(platform::to_number(cell)));

    // A failed open finds no row either (its own box comes first).
    platform::RecordSet records(store::main_connection());
    if (!platform::recordset_open(records, QStringLiteral("select * from 用户表管理 where 编号=") +
                                                QString::number(edited_meter_id)) ||
        platform::recordset_eof(records)) {
        inform(QStringLiteral("系统出错,错误编号:1002!"));
        return;
    }
    auto text = [&records](const char16_t* name) {
        return platform::recordset_field_text(records, QString::fromUtf16(name));
    };
    const QString fee_item = text(u"收费项目");
    const QString reader = text(u"抄表人员");
    const QString category = text(u"价格类别");
    const QString meter_number = text(u"计量编号");
    const QString state = text(u"状态");
    const double start = platform::recordset_field_number(records, QStringLiteral("开始起数"));
    const auto multiplier = static_cast<qint64>(
        std::trunc(platform::recordset_field_number(records, QStringLiteral("倍率"))));
    const QDateTime set_up = platform::recordset_field_date(records, QStringLiteral("建表时间"));
    edited_meter_household = text(u"父号");

    if (state == QStringLiteral("正常"))
        ui->组合框_当前状态->setCurrentIndex(0);
    else if (state == QStringLiteral("报停"))
        ui->组合框_当前状态->setCurrentIndex(1);
    else if (state == QStringLiteral("拆表"))
        ui->组合框_当前状态->setCurrentIndex(2);
    ui->编辑框_户号->setText(edited_meter_household);
    ui->编辑框_开始起码->setText(platform::to_text(start));
    ui->编辑框_倍率->setText(QString::number(multiplier));
    if (set_up.isValid()) ui->日期框_建表时间->setDate(set_up.date());
    ui->编辑框_新表编号->setText(meter_number);

    fill_combo(
        ui->组合框_收费项目,
        platform::query_column(store::main_connection(), QStringLiteral("select 项目名称 from 收费项目 order by 编号")),
        fee_item, true);
    fill_combo(ui->组合框_抄表人员,
               platform::query_column(store::main_connection(), QStringLiteral("select 抄表员 from 抄表员")), reader, true);
    fill_combo(
        ui->组合框_价格类别,
        platform::query_column(store::main_connection(), QStringLiteral("select 水价类别 from 水价类别 where 收费项目=") +
                                    platform::sql_quote(ui->组合框_收费项目->currentText()) +
                                    QStringLiteral("order by 编号")),
        category, true);
}

bool MeterInfoWindow::show_household(const QString& column, const QString& value) {
    platform::RecordSet records(store::main_connection());
    if (!platform::recordset_open(
            records,
            QStringLiteral("select 户号,用户名,磁卡号码,居住街道,详细地址 from 用户信息表 where ") +
                column + u'=' + platform::sql_quote(value)))
        return false;
    const bool found = !platform::recordset_eof(records);
    if (found) {
        ui->编辑框_户号->setText(platform::recordset_field_text(records, 0));
        ui->编辑框_户名->setText(platform::recordset_field_text(records, 1));
        ui->编辑框_磁卡号码->setText(platform::recordset_field_text(records, 2));
        ui->编辑框_居住街道->setText(platform::recordset_field_text(records, 3));
        ui->编辑框_详细地址->setText(platform::recordset_field_text(records, 4));
    }
    if (found) ui->组合框_收费项目->setFocus();
    return found;
}

void MeterInfoWindow::on_meter_household_number_lost_focus() {
    show_household(QStringLiteral("户号"), platform::text_trim(ui->编辑框_户号->text()));
}

void MeterInfoWindow::on_meter_card_number_lost_focus() {
    show_household(QStringLiteral("磁卡号码"), platform::text_trim(ui->编辑框_磁卡号码->text()));
}

void MeterInfoWindow::on_meter_fee_item_changed() {
    const QString fee_item = ui->组合框_收费项目->currentText();
    if (fee_item.isEmpty()) return;
    loading_ = true;
    fill_combo(ui->组合框_价格类别,
               platform::query_column(store::main_connection(), QStringLiteral("select 水价类别 from 水价类别 where 收费项目=") +
                                 platform::sql_quote(fee_item) + QStringLiteral(" order by 编号")),
               QString(), false);
    loading_ = false;
}

void MeterInfoWindow::on_meter_reader_changed() {
    if (platform::text_trim(ui->组合框_收费项目->currentText()) == kPropertyFeeItem &&
        ui->组合框_抄表人员->currentText() != kSystemReader)
        inform(QStringLiteral("当收费项目为物业,抄表人员只能是系统!"));
}

void MeterInfoWindow::on_meter_form_save_click() {
    MeterEntry entry;
    entry.adding = meter_form_mode == QStringLiteral("添加");
    entry.edited_id = edited_meter_id;
    entry.edited_household = edited_meter_household;
    entry.household = ui->编辑框_户号->text();
    entry.fee_item = ui->组合框_收费项目->currentText();
    entry.price_category = ui->组合框_价格类别->currentText();
    entry.reader = ui->组合框_抄表人员->currentText();
    entry.start_reading = ui->编辑框_开始起码->text();
    entry.multiplier = ui->编辑框_倍率->text();
    entry.meter_number = ui->编辑框_新表编号->text();
    entry.set_up = ui->日期框_建表时间->date();
    entry.state = ui->组合框_当前状态->currentText();

    const MeterSaveOutcome outcome = save_meter_account(store::main_connection(), entry);
    platform::show_messages(outcome.messages);
    if (outcome.focus == MeterField::Household)
        ui->编辑框_户号->setFocus();
    else if (outcome.focus == MeterField::Multiplier)
        ui->编辑框_倍率->setFocus();
    if (!outcome.saved) return;
    // Saved: the form closes and the page shows every account set up on the form's date.
    accept();
    if (page_)
        page_->fill_meter_list(meter_list_base_query() +
                               QStringLiteral("and 用户表管理.建表时间=") +
                               platform::date_to_sql_literal(entry.set_up) +
                               QStringLiteral(" ORDER BY  用户表管理.编号 DESC"));
}

}  // namespace households
