#include "households/household_meter_query_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "households/meter_account.h"
#include "households/meter_list_page.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_household_meter_query_window.h"

namespace households {

namespace {

void fill_from(platform::RecordSet& records, QComboBox* box, const QString& sql) {
    box->clear();
    if (!platform::recordset_open(records, sql)) return;
    for (; !platform::recordset_eof(records); platform::recordset_move_next(records))
        box->addItem(platform::recordset_field_text(records, 0));
    platform::recordset_close(records);
    box->setCurrentIndex(-1);
}

// A refusal: the message, the focus on the input.
QString refuse(const QString& message, QWidget* input) {
    platform::message_box(message);
    input->setFocus();
    return QString();
}

}  // namespace

HouseholdMeterQueryWindow::HouseholdMeterQueryWindow(MeterListPage* page, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::HouseholdMeterQueryWindow>()), page_(page) {
    ui->setupUi(this);
    const QDate today = platform::today();
    ui->日期框_起->setDate(today);
    ui->日期框_止->setDate(today);
    ui->组合框_计量状态->setCurrentIndex(-1);

    platform::recordset_bind_connection(records_, store::main_connection());
    fill_from(records_, ui->组合框_居住街道, QStringLiteral("select 街道 from 街道"));
    fill_from(records_, ui->组合框_抄表人员, QStringLiteral("select 抄表员 from 抄表员"));
    fill_from(records_, ui->组合框_收费项目, QStringLiteral("select 项目名称 from 收费项目"));

    auto focus_on = [this](QAbstractButton* option, QWidget* input) {
        connect(option, &QAbstractButton::toggled, this, [input](bool on) {
            if (on) input->setFocus();
        });
    };
    focus_on(ui->单选框_按户号, ui->编辑框_户号起);
    focus_on(ui->单选框_户名, ui->编辑框_户名);
    focus_on(ui->单选框_居住街道, ui->组合框_居住街道);
    focus_on(ui->单选框_新表编号, ui->编辑框_新表编号);
    focus_on(ui->单选框_抄表人员, ui->组合框_抄表人员);
    focus_on(ui->单选框_收费项目, ui->组合框_收费项目);
    focus_on(ui->选择框_价格类别, ui->组合框_价格类别);
    focus_on(ui->单选框_预存日期, ui->日期框_起);
    focus_on(ui->单选框_磁卡号码, ui->编辑框_磁卡号码);
    // A single household is the default range.
    connect(ui->编辑框_户号起, &QLineEdit::textChanged, ui->编辑框_户号止, &QLineEdit::setText);
    connect(ui->组合框_收费项目, &QComboBox::currentIndexChanged, this,
            [this] { on_meter_query_fee_item_changed(); });
    connect(ui->按钮_确定, &QPushButton::clicked, this, [this] { on_meter_query_ok_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, [this] { reject(); });

    ui->单选框_按户号->setChecked(true);
    ui->编辑框_户号起->setText(shell::system_parameters.household_number_prefix);
    ui->编辑框_户号起->selectAll();
    ui->编辑框_户号起->setFocus();
}

HouseholdMeterQueryWindow::~HouseholdMeterQueryWindow() { platform::recordset_close(records_); }

void HouseholdMeterQueryWindow::on_meter_query_fee_item_changed() {
    fill_from(records_, ui->组合框_价格类别,
              QStringLiteral("select 水价类别 from 水价类别 where 收费项目=") +
                  platform::sql_quote(ui->组合框_收费项目->currentText()));
}

QString HouseholdMeterQueryWindow::build_meter_query() {
    using platform::sql_quote;
    using platform::text_trim;
    QString condition;
    if (ui->单选框_按户号->isChecked()) {
        const QString raw_from = ui->编辑框_户号起->text();
        const QString from = text_trim(raw_from);
        if (from.isEmpty() || raw_from == shell::system_parameters.household_number_prefix) {
            platform::message_box(QStringLiteral("请输入户号！"));
            ui->编辑框_户号起->setFocus();
            ui->编辑框_户号起->selectAll();
            return QString();
        }
        condition = QStringLiteral("and 用户表管理.父号 between ") + sql_quote(from) +
                    QStringLiteral(" and ") + sql_quote(text_trim(ui->编辑框_户号止->text()));
    } else if (ui->单选框_磁卡号码->isChecked()) {
        const QString card = text_trim(ui->编辑框_磁卡号码->text());
        if (card.isEmpty()) return refuse(QStringLiteral("请输入磁卡号码！"), ui->编辑框_磁卡号码);
        condition = QStringLiteral("and 用户信息表.磁卡号码=") + sql_quote(card);
    } else if (ui->单选框_户名->isChecked()) {
        const QString name = text_trim(ui->编辑框_户名->text());
        if (name.isEmpty()) return refuse(QStringLiteral("请输入用户姓名！"), ui->编辑框_户名);
        if (name.size() > platform::kMaxQueryTextLength)
            return refuse(platform::kQueryTextTooLong, ui->编辑框_户名);
        condition = QStringLiteral("and (用户信息表.用户名 LIKE ") + sql_quote(name + u'%') +
                    QStringLiteral(" or 助记词 LIKE ") + sql_quote(name + u'%') + u')';
    } else if (ui->单选框_新表编号->isChecked()) {
        const QString number = text_trim(ui->编辑框_新表编号->text());
        if (number.isEmpty())
            return refuse(QStringLiteral("请输入计量编号！"), ui->编辑框_新表编号);
        condition = QStringLiteral("and 用户表管理.计量编号=") + sql_quote(number);
    } else if (ui->单选框_居住街道->isChecked()) {
        const QString street = text_trim(ui->组合框_居住街道->currentText());
        if (street.isEmpty())
            return refuse(QStringLiteral("请选择居住街道！"), ui->组合框_居住街道);
        condition = QStringLiteral("and 用户信息表.居住街道=") + sql_quote(street);
    } else if (ui->单选框_抄表人员->isChecked()) {
        const QString reader = text_trim(ui->组合框_抄表人员->currentText());
        if (reader.isEmpty())
            return refuse(QStringLiteral("请选择抄表人员！"), ui->组合框_抄表人员);
        condition = QStringLiteral("and 用户表管理.抄表人员=") + sql_quote(reader);
    } else if (ui->单选框_预存日期->isChecked()) {
        condition = QStringLiteral("and 用户表管理.建表时间 between ") +
                    platform::date_to_sql_literal(ui->日期框_起->date()) + QStringLiteral(" and ") +
                    platform::date_to_sql_literal(ui->日期框_止->date());
    } else if (ui->单选框_收费项目->isChecked()) {
        const QString item = text_trim(ui->组合框_收费项目->currentText());
        if (item.isEmpty()) return refuse(QStringLiteral("请选择收费项目！"), ui->组合框_收费项目);
        condition = QStringLiteral("and 用户表管理.收费项目=") + sql_quote(item);
        if (ui->选择框_价格类别->isChecked()) {
            const QString category = text_trim(ui->组合框_价格类别->currentText());
            if (category.isEmpty())
                return refuse(QStringLiteral("请选择价格类别！"), ui->组合框_价格类别);
            condition += QStringLiteral(" and 用户表管理.价格类别=") + sql_quote(category);
        }
    } else {
        return QString();
    }
    if (ui->选择框_计量状态->isChecked())
        condition +=
            QStringLiteral(" and 用户表管理.状态=") + sql_quote(ui->组合框_计量状态->currentText());
    condition += ui->单选框_抄表人员->isChecked() ? QStringLiteral(" ORDER BY 用户表管理.抄表序号")
                                                  : QStringLiteral(" ORDER BY 用户表管理.编号");
    return meter_list_base_query() + condition;
}

void HouseholdMeterQueryWindow::on_meter_query_ok_click() {
    const QString query = build_meter_query();
    if (query.isEmpty()) return;
    accept();
    if (page_) page_->fill_meter_list(query);
}

}  // namespace households
