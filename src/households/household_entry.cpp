#include "households/household_entry.h"

#include "households/household_record.h"
#include "households/meter_account.h"
#include "households/pinyin.h"
#include "platform/convert.h"
#include "shell/operation_log.h"

namespace households {

namespace {

using platform::information;
using platform::sql_quote;
using platform::text_trim;

// The values as they go into the statements.
struct Columns {
    QString number, name, street, address, identity, persons, registered, card, bank, account,
        kind, remark, mnemonic, fixed_phone, mobile_phone, category, area, parking_fee;
};

Columns columns_of(const HouseholdEntry& e) {
    const auto number_text = [](const QString& text) {
        return platform::sql_number(platform::to_number(text));
    };
    Columns c;
    c.number = sql_quote(text_trim(e.number));
    c.name = sql_quote(e.name);
    c.street = sql_quote(e.street);
    c.address = sql_quote(text_trim(e.address));
    c.identity = sql_quote(e.identity);
    c.persons = number_text(e.persons);
    c.registered = platform::date_to_quoted(e.registered);
    c.card = sql_quote(text_trim(e.card));
    c.bank = sql_quote(text_trim(e.bank));
    c.account = sql_quote(text_trim(e.account));
    c.kind = e.several_meters ? QStringLiteral("1") : QStringLiteral("0");
    c.remark = sql_quote(text_trim(e.remark));
    c.mnemonic = sql_quote(text_trim(make_pinyin_initials(e.name)));
    c.fixed_phone = sql_quote(text_trim(e.fixed_phone));
    c.mobile_phone = sql_quote(text_trim(e.mobile_phone));
    c.category = sql_quote(e.category);
    c.area = number_text(e.area);
    c.parking_fee = number_text(e.parking_fee);
    return c;
}

HouseholdSaveOutcome refusal(const QString& text, const QString& caption, HouseholdField focus) {
    HouseholdSaveOutcome outcome;
    outcome.refused = true;
    outcome.focus = focus;
    outcome.messages << information(text, caption);
    return outcome;
}

void add_failure(HouseholdSaveOutcome& outcome, platform::Connection& connection,
                 const QString& statement) {
    outcome.messages << platform::database_error(platform::db_last_error(connection));
    if (!statement.isEmpty()) outcome.messages << platform::database_error(statement);
}

}  // namespace

HouseholdSaveOutcome check_household_entry(const HouseholdEntry& entry) {
    // A number of blanks only would be stored as an empty number, which nothing can address.
    if (text_trim(entry.number).isEmpty() || entry.name.isEmpty() || entry.street.isEmpty() ||
        entry.category.isEmpty())
        return refusal(QStringLiteral("户号、用户姓名、居住街道、物业类别不能为空！"),
                       platform::kDefaultCaption, HouseholdField::Name);
    return {};
}

HouseholdSaveOutcome card_refusal(platform::Connection& connection, const HouseholdEntry& entry) {
    const auto holder = card_holder_other_than(connection, entry.card, text_trim(entry.number));
    if (!holder) return {};
    return refusal(card_taken_text(entry.card, *holder) + QStringLiteral("，请重新输入。"),
                   QStringLiteral("输入提示"), HouseholdField::Card);
}

HouseholdSaveOutcome add_household(platform::Connection& connection, const HouseholdEntry& entry) {
    HouseholdSaveOutcome outcome = check_household_entry(entry);
    if (outcome.refused) return outcome;
    const QString number = text_trim(entry.number);
    if (household_number_exists(connection, number))
        return refusal(QStringLiteral("户号【") + number + QStringLiteral("】已经存在，请重新输入。"),
                       QStringLiteral("输入提示"), HouseholdField::Number);
    // The meter accounts, readings, bills or prepayments of a deleted household still carry its
    // number; a new household under it would inherit them.
    if (household_number_owned(connection, number))
        return refusal(QStringLiteral("户号【") + number +
                           QStringLiteral("】已被删除用户的计量、收费或预存记录占用，请重新输入。"),
                       QStringLiteral("输入提示"), HouseholdField::Number);
    outcome = card_refusal(connection, entry);
    if (outcome.refused) return outcome;

    const Columns c = columns_of(entry);
    {
        // The household and its property-fee meter account are written together or not at all.
        platform::Transaction transaction(connection);
        const QString household_insert =
            QStringLiteral("insert into 用户信息表(户号,用户名,居住街道,详细地址,身份证号,家庭人口,建档时间,"
                           "磁卡号码,开户银行,银行帐号,性质,备注,助记词,固定电话,移动电话,父号,物业类别,物业面积,"
                           "停车费) values (") +
            c.number + u',' + c.name + u',' + c.street + u',' + c.address + u',' + c.identity + u',' +
            c.persons + u',' + c.registered + u',' + c.card + u',' + c.bank + u',' + c.account + u',' +
            c.kind + u',' + c.remark + u',' + c.mnemonic + u',' + c.fixed_phone + u',' +
            c.mobile_phone + QStringLiteral(",'0',") + c.category + u',' + c.area + u',' +
            c.parking_fee + u')';
        if (!platform::db_execute(connection, household_insert)) {
            add_failure(outcome, connection, household_insert);
            return outcome;
        }
        // The reading order puts the account at the end of reader 系统's walk.
        HouseholdMeter account =
            property_fee_meter_account(number, text_trim(entry.category), platform::today());
        account.reading_order = next_reading_order(connection, kSystemReader);
        const QString account_insert = meter_insert_statement(account);
        if (!platform::db_execute(connection, account_insert)) {
            add_failure(outcome, connection, account_insert);
            return outcome;
        }
        if (!transaction.commit()) {
            add_failure(outcome, connection, QString());
            return outcome;
        }
    }
    outcome.saved = true;
    if (!shell::write_operation_log(QStringLiteral("用户管理"), QStringLiteral("用户添加"),
                                    QStringLiteral("单户户号：") + entry.number +
                                        QStringLiteral("用户名：") + text_trim(entry.name)))
        outcome.messages << information(QStringLiteral("添加日志失败！"));
    outcome.messages << information(QStringLiteral("添加用户【") + entry.name + QStringLiteral("】成功！"),
                                    QStringLiteral("添加成功"));
    return outcome;
}

HouseholdSaveOutcome modify_household(platform::Connection& connection,
                                      const HouseholdEntry& entry) {
    HouseholdSaveOutcome outcome = check_household_entry(entry);
    if (outcome.refused) return outcome;
    outcome = card_refusal(connection, entry);
    if (outcome.refused) return outcome;
    const Columns c = columns_of(entry);
    {
        // The household's property category and its meter account's price category change
        // together or not at all.
        platform::Transaction transaction(connection);
        const QString update =
            QStringLiteral("update 用户信息表 set 用户名=") + c.name + QStringLiteral(",居住街道=") +
            c.street + QStringLiteral(",详细地址=") + c.address + QStringLiteral(",身份证号=") +
            c.identity + QStringLiteral(",家庭人口=") + c.persons + QStringLiteral(",建档时间=") +
            c.registered + QStringLiteral(",磁卡号码=") + c.card + QStringLiteral(",开户银行=") +
            c.bank + QStringLiteral(",银行帐号=") + c.account + QStringLiteral(",性质=") + c.kind +
            QStringLiteral(",备注=") + c.remark + QStringLiteral(",助记词=") + c.mnemonic +
            QStringLiteral(",固定电话=") + c.fixed_phone + QStringLiteral(",移动电话=") +
            c.mobile_phone + QStringLiteral(",物业类别=") + c.category + QStringLiteral(",物业面积=") +
            c.area + QStringLiteral(",停车费=") + c.parking_fee + QStringLiteral(" where 户号=") +
            c.number;
        const QString mirror = QStringLiteral("update 用户表管理 set 价格类别=") + c.category +
                               QStringLiteral(" where 户号=") +
                               sql_quote(text_trim(entry.number) + QStringLiteral("01"));
        if (!platform::db_execute(connection, update) || !platform::db_execute(connection, mirror) ||
            !transaction.commit()) {
            add_failure(outcome, connection, QString());
            return outcome;
        }
    }
    outcome.saved = true;
    if (!shell::write_operation_log(QStringLiteral("用户管理"), QStringLiteral("用户修改"),
                                    QStringLiteral("户号：") + entry.number +
                                        QStringLiteral("用户名：") + text_trim(entry.name)))
        outcome.messages << information(QStringLiteral("添加日志失败！"));
    outcome.messages << information(
        QStringLiteral("修改用户【") + entry.name + QStringLiteral("】成功！"),
        QStringLiteral("提示"));
    return outcome;
}

}  // namespace households
