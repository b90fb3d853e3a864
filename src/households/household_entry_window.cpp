#include "households/household_entry_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "households/household_lists.h"
#include "households/household_record.h"
#include "households/meter_account.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "shell/operation_log.h"
#include "shell/program_state.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_household_entry_window.h"

namespace households {

namespace {

using platform::sql_quote;

const QString kStreetsStatement = QStringLiteral("select * from 街道");
const QString kBanksStatement = QStringLiteral("select * from 开户银行");
const QString kCategoriesStatement =
    QStringLiteral("select 水价类别 from 水价类别 where 收费项目='物业'");

using platform::inform;

}  // namespace

// The form's values as they go into the statements.
struct HouseholdEntryWindow::Values {
    QString number;         // trimmed
    QString name;           // as typed
    QString trimmed_name;
    QString street;         // combo text
    QString address;        // trimmed
    QString identity;       // as typed
    QString persons;        // number text
    QString registered;     // 'y-m-d'
    QString card;           // trimmed
    QString bank;           // trimmed
    QString account;        // trimmed
    int kind = 0;
    QString remark;         // trimmed
    QString mnemonic;       // trimmed
    QString fixed_phone;    // trimmed
    QString mobile_phone;   // trimmed
    QString category;       // combo text
    QString area;           // number text
    QString parking_fee;    // number text
};

HouseholdEntryWindow::HouseholdEntryWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::HouseholdEntryWindow>()) {
    ui->setupUi(this);
    ui->选择框_连续->hide();
    ui->日期框_建档时间->setDate(platform::today());
    ui->编辑框_停车费->setText(QStringLiteral("0"));
    ui->组合框_用户性质->setCurrentIndex(0);
    connect(ui->按钮_添加, &QPushButton::clicked, this, [this] { on_household_form_save_click(); });
    connect(ui->返回, &QPushButton::clicked, this, [this] { on_household_form_back_click(); });
    on_household_form_created();
}

HouseholdEntryWindow::~HouseholdEntryWindow() { platform::recordset_close(records_); }

void HouseholdEntryWindow::on_household_form_created() {
    platform::recordset_bind_connection(records_, store::main_connection());
    add_mode_ = household_form_mode != kFormModeModify;
    if (add_mode_) {
        ui->编辑框_户号->setText(next_household_number(records_));
        fill_household_form_combos();
        ui->选择框_连续->show();
        ui->编辑框_用户名->setFocus();
        return;
    }
    // The household to modify is the selected row of the list the form was opened from.
    QTableView* source = shell::household_form_source == QStringLiteral("真") ? household_query_list()
                                                                             : todays_households_list();
    QString number;
    if (source) {
        int column = platform::listview_column_index(source, QStringLiteral("户号"));
        if (column < 0) column = 0;
        const int row = platform::listview_selected_row(source);
        if (row >= 0) number = platform::listview_cell_text(source, row, column);
    }
    load_household_into_form(number);
}

void HouseholdEntryWindow::fill_household_form_combos() {
    const auto fill = [this](QComboBox* combo, const QString& statement) {
        combo->clear();
        if (platform::recordset_open(records_, statement))
            for (; !platform::recordset_eof(records_); platform::recordset_move_next(records_))
                combo->addItem(platform::recordset_field_text(records_, 0));
        platform::recordset_close(records_);
        combo->setCurrentIndex(-1);
    };
    fill(ui->组合框_居住街道, kStreetsStatement);
    fill(ui->组合框_开户银行, kBanksStatement);
    fill(ui->组合框_物业类别, kCategoriesStatement);
}

// A stored value that is no longer among the items (a deleted street, say) is shown as an item
// of its own, so that saving an unrelated change keeps it instead of blanking it.
void HouseholdEntryWindow::select_or_add(QComboBox* combo, const QString& value) {
    if (value.isEmpty()) {
        combo->setCurrentIndex(-1);
        return;
    }
    int index = combo->findText(value, Qt::MatchExactly);
    if (index < 0) {
        combo->addItem(value);
        index = combo->count() - 1;
    }
    combo->setCurrentIndex(index);
}

void HouseholdEntryWindow::load_household_into_form(const QString& number) {
    Household h;
    if (platform::recordset_open(records_, QStringLiteral("select * from 用户信息表 where 户号=") +
                                               sql_quote(number)) &&
        !platform::recordset_eof(records_))
        h = read_household(records_);
    platform::recordset_close(records_);

    ui->编辑框_户号->setText(number);
    ui->编辑框_用户名->setText(h.name);
    if (h.registered.isValid()) ui->日期框_建档时间->setDate(h.registered);
    ui->编辑框_固定电话->setText(h.fixed_telephone);
    ui->编辑框_移动电话->setText(h.mobile_telephone);
    ui->编辑框_备注->setText(h.remark);
    ui->编辑框_身份证->setText(h.identity_number);
    ui->编辑框_详细地址->setText(h.address);
    ui->编辑框_家庭人口->setText(platform::to_text(h.persons));
    ui->编辑框_银行帐号->setText(h.bank_account);
    ui->编辑框_磁卡号码->setText(h.card_number);
    ui->编辑框_停车费->setText(platform::to_text(h.parking_fee));
    ui->编辑框_物业面积->setText(platform::to_text(h.property_area));
    ui->编辑框_户号->setEnabled(false);

    fill_household_form_combos();
    select_or_add(ui->组合框_居住街道, h.street);
    select_or_add(ui->组合框_开户银行, h.bank);
    select_or_add(ui->组合框_物业类别, h.property_category);
    ui->组合框_用户性质->setCurrentIndex(h.several_meters ? 1 : 0);

    ui->按钮_添加->setText(QStringLiteral("保  存&U"));
    setWindowTitle(QStringLiteral("用户修改"));
    ui->编辑框_用户名->setFocus();
}

HouseholdEntryWindow::Values HouseholdEntryWindow::read_values() const {
    using platform::text_trim;
    const auto number_text = [](const QLineEdit* edit) {
        return platform::sql_number(platform::to_number(edit->text()));
    };
    Values v;
    v.number = text_trim(ui->编辑框_户号->text());
    v.name = ui->编辑框_用户名->text();
    v.trimmed_name = text_trim(v.name);
    v.street = ui->组合框_居住街道->currentText();
    v.address = text_trim(ui->编辑框_详细地址->text());
    v.identity = ui->编辑框_身份证->text();
    v.persons = number_text(ui->编辑框_家庭人口);
    v.registered = platform::date_to_quoted(ui->日期框_建档时间->date());
    v.card = text_trim(ui->编辑框_磁卡号码->text());
    v.bank = text_trim(ui->组合框_开户银行->currentText());
    v.account = text_trim(ui->编辑框_银行帐号->text());
    v.kind = ui->组合框_用户性质->currentIndex() > 0 ? 1 : 0;
    v.remark = text_trim(ui->编辑框_备注->text());
    v.mnemonic = text_trim(make_pinyin_initials(v.name));
    v.fixed_phone = text_trim(ui->编辑框_固定电话->text());
    v.mobile_phone = text_trim(ui->编辑框_移动电话->text());
    v.category = ui->组合框_物业类别->currentText();
    v.area = number_text(ui->编辑框_物业面积);
    v.parking_fee = number_text(ui->编辑框_停车费);
    return v;
}

void HouseholdEntryWindow::on_household_form_save_click() {
    // A number of blanks only would be stored as an empty number, which nothing can address.
    if (platform::text_trim(ui->编辑框_户号->text()).isEmpty() || ui->编辑框_用户名->text().isEmpty() ||
        ui->组合框_居住街道->currentText().isEmpty() || ui->组合框_物业类别->currentText().isEmpty()) {
        inform(QStringLiteral("户号、用户姓名、居住街道、物业类别不能为空！"));
        ui->编辑框_用户名->setFocus();
        return;
    }
    const Values v = read_values();
    if (add_mode_)
        add_household(v);
    else
        modify_household(v);
}

void HouseholdEntryWindow::show_statement_failure(const QString& statement, bool with_statement) {
    platform::message_box(platform::db_last_error(store::main_connection()), platform::kDefaultCaption,
                          platform::MsgIcon::None);
    if (with_statement)
        platform::message_box(statement, platform::kDefaultCaption, platform::MsgIcon::None);
}

bool HouseholdEntryWindow::add_household(const Values& v) {
    platform::Connection& db = store::main_connection();
    if (household_number_exists(v.number)) {
        inform(QStringLiteral("户号【") + v.number + QStringLiteral("】已经存在，请重新输入。"),
               QStringLiteral("输入提示"));
        ui->编辑框_户号->setFocus();
        return false;
    }
    // The meter accounts, readings, bills or prepayments of a deleted household still carry its
    // number; a new household under it would inherit them.
    if (household_number_owned(v.number)) {
        inform(QStringLiteral("户号【") + v.number +
                   QStringLiteral("】已被删除用户的计量、收费或预存记录占用，请重新输入。"),
               QStringLiteral("输入提示"));
        ui->编辑框_户号->setFocus();
        return false;
    }

    bool saved = false;
    {
        // The household and its property-fee meter account are written together or not at all.
        platform::Transaction transaction(db);
        const QString household_insert =
            QStringLiteral("insert into 用户信息表(户号,用户名,居住街道,详细地址,身份证号,家庭人口,建档时间,"
                           "磁卡号码,开户银行,银行帐号,性质,备注,助记词,固定电话,移动电话,父号,物业类别,物业面积,"
                           "停车费) values (") +
            sql_quote(v.number) + u',' + sql_quote(v.name) + u',' + sql_quote(v.street) + u',' +
            sql_quote(v.address) + u',' + sql_quote(v.identity) + u',' + v.persons + u',' + v.registered +
            u',' + sql_quote(v.card) + u',' + sql_quote(v.bank) + u',' + sql_quote(v.account) + u',' +
            QString::number(v.kind) + u',' + sql_quote(v.remark) + u',' + sql_quote(v.mnemonic) + u',' +
            sql_quote(v.fixed_phone) + u',' + sql_quote(v.mobile_phone) + QStringLiteral(",'0',") +
            sql_quote(v.category) + u',' + v.area + u',' + v.parking_fee + u')';
        if (!platform::db_execute(db, household_insert)) {
            show_statement_failure(household_insert, true);
        } else {
            // The reading order puts the account at the end of reader 系统's walk.
            HouseholdMeter account = property_fee_meter_account(
                v.number, platform::text_trim(v.category), platform::today());
            account.reading_order = next_reading_order(db, kSystemReader);
            const QString account_insert = meter_insert_statement(account);
            if (!platform::db_execute(db, account_insert))
                show_statement_failure(account_insert, true);
            else if (!transaction.commit())
                show_statement_failure(QString(), false);
            else
                saved = true;
        }
    }

    if (saved) {
        if (!shell::write_operation_log(QStringLiteral("用户管理"), QStringLiteral("用户添加"),
                                        QStringLiteral("单户户号：") + ui->编辑框_户号->text() +
                                            QStringLiteral("用户名：") + v.trimmed_name))
            inform(QStringLiteral("添加日志失败！"));
        inform(QStringLiteral("添加用户【") + v.name + QStringLiteral("】成功！"), QStringLiteral("添加成功"));
    }
    // A refused save has been reported; the form goes on as after a saved one.
    fill_todays_households_list();
    if (ui->选择框_连续->isChecked())
        prepare_next_entry(v.number);
    else
        done(saved ? QDialog::Accepted : QDialog::Rejected);
    return saved;
}

void HouseholdEntryWindow::prepare_next_entry(const QString& number_used) {
    ui->编辑框_户号->setText(first_free_household_number(
        household_number_successor(number_used, shell::system_parameters.household_number_prefix, false),
        false));
    for (QLineEdit* edit : {ui->编辑框_用户名, ui->编辑框_详细地址, ui->编辑框_身份证, ui->编辑框_固定电话,
                            ui->编辑框_移动电话, ui->编辑框_磁卡号码, ui->编辑框_物业面积})
        edit->clear();
    ui->编辑框_停车费->setText(QStringLiteral("0"));
    ui->编辑框_用户名->setFocus();
}

bool HouseholdEntryWindow::modify_household(const Values& v) {
    platform::Connection& db = store::main_connection();
    {
        // The household's property category and its meter account's price category change
        // together or not at all.
        platform::Transaction transaction(db);
        const QString update =
            QStringLiteral("update 用户信息表 set 用户名=") + sql_quote(v.name) + QStringLiteral(",居住街道=") +
            sql_quote(v.street) + QStringLiteral(",详细地址=") + sql_quote(v.address) +
            QStringLiteral(",身份证号=") + sql_quote(v.identity) + QStringLiteral(",家庭人口=") + v.persons +
            QStringLiteral(",建档时间=") + v.registered + QStringLiteral(",磁卡号码=") + sql_quote(v.card) +
            QStringLiteral(",开户银行=") + sql_quote(v.bank) + QStringLiteral(",银行帐号=") +
            sql_quote(v.account) + QStringLiteral(",性质=") + QString::number(v.kind) +
            QStringLiteral(",备注=") + sql_quote(v.remark) + QStringLiteral(",助记词=") +
            sql_quote(v.mnemonic) + QStringLiteral(",固定电话=") + sql_quote(v.fixed_phone) +
            QStringLiteral(",移动电话=") + sql_quote(v.mobile_phone) + QStringLiteral(",物业类别=") +
            sql_quote(v.category) + QStringLiteral(",物业面积=") + v.area + QStringLiteral(",停车费=") +
            v.parking_fee + QStringLiteral(" where 户号=") + sql_quote(v.number);
        if (!platform::db_execute(db, update)) {
            show_statement_failure(update, false);
            return false;
        }
        const QString mirror = QStringLiteral("update 用户表管理 set 价格类别=") + sql_quote(v.category) +
                               QStringLiteral(" where 户号=") + sql_quote(v.number + QStringLiteral("01"));
        if (!platform::db_execute(db, mirror)) {
            show_statement_failure(mirror, false);
            return false;
        }
        if (!transaction.commit()) {
            show_statement_failure(QString(), false);
            return false;
        }
    }
    if (!shell::write_operation_log(QStringLiteral("用户管理"), QStringLiteral("用户修改"),
                                    QStringLiteral("户号：") + ui->编辑框_户号->text() +
                                        QStringLiteral("用户名：") + v.trimmed_name))
        inform(QStringLiteral("添加日志失败！"));
    inform(QStringLiteral("修改用户【") + v.name + QStringLiteral("】成功,请刷新显示！"), QStringLiteral("提示"));
    accept();
    return true;
}

void HouseholdEntryWindow::on_household_form_back_click() { reject(); }

}  // namespace households
