#include "households/household_query_window.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "households/household_lists.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "ui_household_query_window.h"

namespace households {

namespace {

using platform::sql_quote;

// Every query lists in register order.
const QString kOrder = QStringLiteral(" ORDER  BY 编号  ");

using platform::inform;

}  // namespace

HouseholdQueryWindow::HouseholdQueryWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::HouseholdQueryWindow>()) {
    ui->setupUi(this);
    ui->日期框_起->setDate(platform::today());
    ui->日期框_止->setDate(platform::today());
    connect(ui->按钮_确定, &QPushButton::clicked, this, [this] { on_household_query_ok_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, [this] { on_household_query_cancel_click(); });
    connect(ui->单选框_按户号, &QRadioButton::toggled, this,
            [this](bool ticked) { if (ticked) on_household_query_number_option_click(); });
    connect(ui->单选框_户名, &QRadioButton::toggled, this,
            [this](bool ticked) { if (ticked) on_household_query_name_option_click(); });
    connect(ui->单选框_磁卡号码, &QRadioButton::clicked, this,
            [this] { on_household_query_card_option_click(); });
    connect(ui->编辑框_户号起, &QLineEdit::textChanged, this,
            [this] { on_household_query_number_from_changed(); });
    on_household_query_created();
}

HouseholdQueryWindow::~HouseholdQueryWindow() { platform::recordset_close(records_); }

void HouseholdQueryWindow::on_household_query_created() {
    platform::recordset_bind_connection(records_, store::main_connection());
    ui->组合框_街道->clear();
    if (platform::recordset_open(records_, QStringLiteral("select * from 街道")))
        for (; !platform::recordset_eof(records_); platform::recordset_move_next(records_))
            ui->组合框_街道->addItem(platform::recordset_field_text(records_, 0));
    platform::recordset_close(records_);
    ui->组合框_街道->setCurrentIndex(ui->组合框_街道->count() > 0 ? 0 : -1);
    ui->单选框_按户号->setChecked(true);
    ui->编辑框_户号起->setText(shell::system_parameters.household_number_prefix);
    ui->编辑框_户号起->setFocus();
}

void HouseholdQueryWindow::on_household_query_number_option_click() { ui->编辑框_户号起->setFocus(); }

void HouseholdQueryWindow::on_household_query_name_option_click() { ui->编辑框_户名->setFocus(); }

void HouseholdQueryWindow::on_household_query_card_option_click() { ui->编辑框_磁卡号码->setFocus(); }

void HouseholdQueryWindow::on_household_query_number_from_changed() {
    ui->编辑框_户号止->setText(ui->编辑框_户号起->text());
}

QString HouseholdQueryWindow::build_query_statement() {
    const QString select = QStringLiteral("select * from 用户信息表 where ");
    if (ui->单选框_按户号->isChecked()) {
        const QString from = platform::text_trim(ui->编辑框_户号起->text());
        if (from.isEmpty()) {
            inform(QStringLiteral("户号起不能为空！"));
            ui->编辑框_户号起->setFocus();
            return {};
        }
        const QString to = platform::text_trim(ui->编辑框_户号止->text());
        if (to.isEmpty()) {
            inform(QStringLiteral("户号止不能为空！"));
            ui->编辑框_户号止->setFocus();
            return {};
        }
        // Numbers compare as texts: 00010 lies between 0001 and 0009.
        return select + QStringLiteral("户号 between ") + sql_quote(from) + QStringLiteral(" and ") +
               sql_quote(to) + kOrder;
    }
    if (ui->单选框_建档时间->isChecked())
        return select + QStringLiteral("建档时间 between ") + platform::date_to_sql_literal(ui->日期框_起->date()) +
               QStringLiteral(" and ") + platform::date_to_sql_literal(ui->日期框_止->date()) + kOrder;
    if (ui->单选框_户名->isChecked()) {
        if (ui->编辑框_户名->text().isEmpty()) {
            inform(QStringLiteral("用户名为空！"));
            ui->编辑框_户名->setFocus();
            return {};
        }
        if (ui->编辑框_户名->text().size() > platform::kMaxQueryTextLength) {
            inform(platform::kQueryTextTooLong);
            ui->编辑框_户名->setFocus();
            return {};
        }
        // The name or its mnemonic starts with what was typed.
        const QString pattern = sql_quote(platform::text_trim(ui->编辑框_户名->text()) + QLatin1Char('%'));
        return select + QStringLiteral("用户名   LIKE ") + pattern + QStringLiteral(" or 助记词 LIKE ") +
               pattern + QLatin1Char(' ') + kOrder;
    }
    if (ui->单选框_街道->isChecked())
        return select + QStringLiteral("居住街道=") + sql_quote(ui->组合框_街道->currentText()) + kOrder;
    if (ui->单选框_用户性质->isChecked()) {
        const QString kind = ui->组合框_用户性质->currentText();
        if (kind == QStringLiteral("总表"))
            return select + QStringLiteral("性质<>0 and 父号='0'") + kOrder;
        if (kind == QStringLiteral("分表"))
            return select + QStringLiteral("性质=0 and 父号<>'0'") + kOrder;
        return select + QStringLiteral("性质=0 and 父号='0'") + kOrder;
    }
    if (ui->单选框_磁卡号码->isChecked())
        return select + QStringLiteral("磁卡号码=") + sql_quote(platform::text_trim(ui->编辑框_磁卡号码->text())) +
               kOrder;
    return {};
}

void HouseholdQueryWindow::on_household_query_ok_click() {
    const QString statement = build_query_statement();
    if (statement.isEmpty()) return;
    accept();
    fill_household_query_list(statement);
}

void HouseholdQueryWindow::on_household_query_cancel_click() { reject(); }

}  // namespace households
