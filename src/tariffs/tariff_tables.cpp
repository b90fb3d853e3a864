#include "tariffs/tariff_tables.h"

#include <cmath>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/money.h"
#include "platform/query.h"
#include "shell/operation_log.h"

namespace tariffs {

namespace {

using platform::sql_number;
using platform::sql_quote;
using platform::to_number;
using platform::to_text;

const QString kPrompt = QStringLiteral("提示");
const QString kLogFailed = QStringLiteral("添加日志失败！");
const QString kIrreversible = QStringLiteral("\r\n该操作不可逆,请慎重!");

const QString kFeeItemsLog = QStringLiteral("收费项目设置");
const QString kCategoriesLog = QStringLiteral("价格类别设置");
const QString kTiersLog = QStringLiteral("阶梯价格设置");
const QString kTierDeleteLog = QStringLiteral("阶梯气价设置");
const QString kSurchargesLog = QStringLiteral("附加费设置");
const QString kBaseLog = QStringLiteral("单月收费设置");
const QString kBanksLog = QStringLiteral("开户银行设置");

// A number counts as not above zero within the money tolerance.
bool not_positive(double value) { return value <= platform::kMoneyTolerance; }

void log_change(platform::Connection& connection, const shell::RunContext& context,
                Outcome& outcome, const QString& item, const QString& remark) {
    if (!shell::write_operation_log(connection, context, kLogGroup, item, remark))
        outcome.say(kLogFailed);
}

// The database's own words about the last failed statement.
QString last_error(platform::Connection& connection) { return platform::db_last_error(connection); }

bool exists(platform::Connection& connection, const QString& sql) {
    return platform::query_exists(connection, sql, platform::OnFailure::Quiet);
}

QString date_cell(const platform::RecordSet& records, int index) {
    return to_text(platform::recordset_field_date(records, index));
}

}  // namespace

// ---- lists ----

std::vector<ListColumn> tariff_list_columns(TariffTable table) {
    auto c = [](const char16_t* title, int width) { return ListColumn{QString::fromUtf16(title), width}; };
    switch (table) {
        case TariffTable::FeeItems:
            return {c(u"项目名称", 100), c(u"收费模式", 85), c(u"收零用量", 70),
                    c(u"阶梯收费", 80), c(u"自动损耗", 70), c(u"损耗位数", 80)};
        case TariffTable::PriceCategories:
            return {c(u"收费项目", 70), c(u"类别名称", 80), c(u"类别价格", 70),
                    c(u"基本度数", 70), c(u"损耗比例", 70), c(u"编号", 50)};
        case TariffTable::Tiers:
            return {c(u"收费项目", 80), c(u"类别名称", 100), c(u"类别价格", 85), c(u"阶梯区间", 80),
                    c(u"阶梯序号", 70)};
        case TariffTable::Surcharges:
            return {c(u"收费项目", 80), c(u"价格类别", 70), c(u"计费方式", 80),
                    c(u"附加费名称", 86), c(u"价格", 60)};
        case TariffTable::BaseAdjustments:
            return {c(u"编号", 40), c(u"抄表日期起", 100), c(u"抄表日期止", 100),
                    c(u"收费项目", 70), c(u"价格类别", 70), c(u"基本用量", 70)};
        case TariffTable::Banks:
            return {c(u"开户银行", 230)};
    }
    return {};
}

QList<QStringList> tariff_list_rows(platform::Connection& connection, TariffTable table) {
    using platform::format_number;
    using platform::recordset_field_number;
    using platform::recordset_field_text;
    QString sql;
    switch (table) {
        case TariffTable::FeeItems: sql = QStringLiteral("select * from 收费项目 ORDER  BY 编号"); break;
        case TariffTable::PriceCategories: sql = QStringLiteral("select * from 水价类别  ORDER  BY 编号"); break;
        case TariffTable::Tiers: sql = QStringLiteral("select * from 阶梯信息"); break;
        case TariffTable::Surcharges: sql = QStringLiteral("select * from 附加费 "); break;
        case TariffTable::BaseAdjustments: sql = QStringLiteral("select * from  基本方调整 order by 编号 "); break;
        case TariffTable::Banks: sql = QStringLiteral("select * from 开户银行"); break;
    }
    QList<QStringList> rows;
    platform::RecordSet r;
    if (!platform::query_open(r, connection, sql)) return rows;
    auto text = [&r](const char16_t* name) { return recordset_field_text(r, QString::fromUtf16(name)); };
    auto number = [&r](const char16_t* name) { return recordset_field_number(r, QString::fromUtf16(name)); };
    for (; !platform::recordset_eof(r); platform::recordset_move_next(r)) {
        switch (table) {
            case TariffTable::FeeItems:
                rows.append(QStringList{text(u"项目名称"), text(u"计费模式"), text(u"收零用量"), text(u"阶梯收费"),
                             text(u"自动损耗"), text(u"损耗位数")});
                break;
            case TariffTable::PriceCategories:
                rows.append(QStringList{text(u"收费项目"), text(u"水价类别"), format_number(number(u"价格"), 4),
                             to_text(number(u"基本方")), text(u"电损率"), text(u"编号")});
                break;
            case TariffTable::Tiers:
                rows.append(QStringList{text(u"收费项目"), text(u"类别名称"), format_number(number(u"类别价格"), 4),
                             to_text(number(u"阶梯起量")) + QStringLiteral("至") + to_text(number(u"阶梯止量")),
                             text(u"阶梯序号")});
                break;
            case TariffTable::Surcharges:
                rows.append(QStringList{text(u"收费项目"), text(u"水价类别"), text(u"计费方式"), text(u"附加费名称"),
                             format_number(number(u"价格"), 2)});
                break;
            case TariffTable::BaseAdjustments:
                // By position, as the table's columns stand.
                rows.append(QStringList{recordset_field_text(r, 0), date_cell(r, 1), date_cell(r, 2),
                             recordset_field_text(r, 5), recordset_field_text(r, 3),
                             to_text(recordset_field_number(r, 4))});
                break;
            case TariffTable::Banks: rows.append(QStringList{recordset_field_text(r, 0)}); break;
        }
    }
    return rows;
}

QStringList fee_item_names(platform::Connection& connection) {
    return platform::query_column(connection, QStringLiteral("select 项目名称 from 收费项目  ORDER BY 编号"));
}

QStringList price_category_names(platform::Connection& connection, const QString& fee_item, bool by_number) {
    return platform::query_column(connection, QStringLiteral("select 水价类别 from 水价类别 where 收费项目=") +
                                                  sql_quote(fee_item) +
                                                  (by_number ? QStringLiteral(" order by 编号") : QString()));
}

// ---- fee items ----

bool is_system_fee_item(const QString& trimmed_name) {
    return trimmed_name == QStringLiteral("物业") || trimmed_name == QStringLiteral("电费") ||
           trimmed_name == QStringLiteral("水费");
}

FeeItem read_fee_item(platform::Connection& connection, const QString& name) {
    FeeItem item;
    item.name = name;
    platform::RecordSet r;
    if (!platform::query_open(r, connection, QStringLiteral("select * from 收费项目 where 项目名称=") + sql_quote(name)) ||
        platform::recordset_eof(r))
        return item;
    item.billing_mode = platform::recordset_field_text(r, QStringLiteral("计费模式"));
    item.zero_usage = platform::recordset_field_text(r, QStringLiteral("收零用量"));
    item.tiered = platform::recordset_field_text(r, QStringLiteral("阶梯收费"));
    item.auto_loss = platform::recordset_field_text(r, QStringLiteral("自动损耗"));
    item.loss_digits = platform::recordset_field_text(r, QStringLiteral("损耗位数"));
    return item;
}

Outcome save_fee_item(platform::Connection& connection, const QString& mode, const FeeItem& item,
                      const shell::RunContext& context) {
    const QString name = platform::text_trim(item.name);
    if (name.isEmpty()) return Outcome::refused(QStringLiteral("项目名称不能为空！"), Field::Name);
    QString sql;
    if (mode == kModeAdd) {
        const double taken = platform::query_number(
            connection, QStringLiteral("select count(*) from 收费项目 where 项目名称=") + sql_quote(name));
        if (taken > 0) return Outcome::refused(QStringLiteral("收费项目重复!"), Field::Name, true);
        sql = QStringLiteral("insert into 收费项目 (项目名称,计费模式,收零用量,阶梯收费,自动损耗,损耗位数) values (") +
              sql_quote(name) + u',' + sql_quote(item.billing_mode) + u',' + sql_quote(item.zero_usage) + u',' +
              sql_quote(item.tiered) + u',' + sql_quote(item.auto_loss) + u',' + sql_quote(item.loss_digits) + u')';
    } else {
        sql = QStringLiteral("update 收费项目 set 计费模式=") + sql_quote(item.billing_mode) +
              QStringLiteral(",收零用量=") + sql_quote(item.zero_usage) + QStringLiteral(",阶梯收费=") +
              sql_quote(item.tiered) + QStringLiteral(",自动损耗=") + sql_quote(item.auto_loss) +
              QStringLiteral(",损耗位数=") + sql_quote(item.loss_digits) + QStringLiteral(" where 项目名称=") +
              sql_quote(item.name);
    }
    Outcome outcome;
    if (!platform::db_execute(connection, sql)) {
        outcome.say(QStringLiteral("执行失败!")).say_plain(last_error(connection));
        return outcome;
    }
    outcome.done = true;
    log_change(
        connection, context, outcome, kFeeItemsLog,
        (mode == kModeAdd ? QStringLiteral("添加收费项目【") : QStringLiteral("修改收费项目【")) +
            name + QStringLiteral("】"));
    outcome.say(QStringLiteral("执行成功!"));
    return outcome;
}

QString fee_item_delete_refusal(const QString& name) {
    const QString trimmed = platform::text_trim(name);
    if (trimmed.isEmpty()) return QStringLiteral("请选择待删除的收费项目!");
    if (is_system_fee_item(trimmed))
        return QStringLiteral("收费项目【") + trimmed + QStringLiteral("】为系统默认，不能删除！");
    return {};
}

Question fee_item_delete_question(const QString& name) {
    return {QStringLiteral("确定要删除收费项目【") + name + QStringLiteral("】的记录吗？"), QStringLiteral("警告"), true};
}

Outcome delete_fee_item(platform::Connection& connection, const QString& name,
                        const shell::RunContext& context) {
    const QString trimmed = platform::text_trim(name);
    if (QString refusal = fee_item_delete_refusal(name); !refusal.isEmpty()) return Outcome::refused(refusal);
    Outcome outcome;
    if (!platform::db_execute(connection, QStringLiteral("delete from 收费项目 where 项目名称=") + sql_quote(trimmed))) {
        outcome.say(QStringLiteral("删除失败!"));
        return outcome;
    }
    outcome.done = true;
    log_change(connection, context, outcome, kFeeItemsLog,
               QStringLiteral("删除收费项目【") + name + QStringLiteral("】"));
    outcome.say(QStringLiteral("删除成功!"));
    return outcome;
}

// ---- price categories ----

Outcome save_price_category(platform::Connection& connection, const QString& mode,
                            const PriceCategory& category, const QString& previous_name,
                            const shell::RunContext& context) {
    const QString& fee_item = category.fee_item;
    const QString& name = category.name;
    if (platform::text_trim(fee_item).isEmpty())
        return Outcome::refused(QStringLiteral("收费项目不能为空,请选择收费项目或在收费项目设置中添加!"), Field::FeeItem);
    if (platform::text_trim(name).isEmpty()) return Outcome::refused(QStringLiteral("类别名称不能为空!"), Field::Name);
    const double price_value = to_number(category.price);
    if (not_positive(price_value)) return Outcome::refused(QStringLiteral("类别价格不能小于等于0!"), Field::Price);
    const QString price = to_text(price_value);
    const QString base = to_text(to_number(category.base));
    const QString rate = to_text(to_number(category.rate));

    Outcome outcome;
    if (mode == kModeAdd) {
        if (exists(connection, QStringLiteral("select 水价类别 from 水价类别 where 水价类别=") + sql_quote(name) +
                                   QStringLiteral(" and 收费项目=") + sql_quote(fee_item)))
            return Outcome::refused(QStringLiteral("待添加的类别名称重复!"), Field::Name);
        const qint64 number = platform::query_integer(connection, QStringLiteral("select count(*) from 水价类别")) + 1;
        const QString sql = QStringLiteral("insert into 水价类别 (水价类别,价格,基本方,编号,电损率,收费项目) values ( ") +
                            sql_quote(name) + u',' + price + u',' + base + u',' + QString::number(number) + u',' +
                            rate + u',' + sql_quote(platform::text_trim(fee_item)) + u')';
        if (!platform::db_execute(connection, sql)) {
            outcome.say_plain(last_error(connection));
            return outcome;
        }
        outcome.done = true;
        log_change(connection, context, outcome, kCategoriesLog,
                   QStringLiteral("添加收费项目：") + fee_item + QStringLiteral("价格类别：") +
                       name + QStringLiteral(" 基本度数：") + base + QStringLiteral("编号：") +
                       QString::number(number));
        outcome.say(QStringLiteral("添加成功！"), kPrompt);
        return outcome;
    }

    // A rename onto a name the fee item already has would make two rows share the key that
    // meters, readings and the engine look the category up by.
    if (name != previous_name &&
        exists(connection, QStringLiteral("select 水价类别 from 水价类别 where 水价类别=") + sql_quote(name) +
                               QStringLiteral(" and 收费项目=") + sql_quote(fee_item) +
                               QStringLiteral(" and 水价类别<>") + sql_quote(previous_name)))
        return Outcome::refused(QStringLiteral("类别名称【") + name + QStringLiteral("】已存在,不能重复!"), Field::Name, true);
    const QString sql = QStringLiteral("update 水价类别 set 水价类别=") + sql_quote(name) + QStringLiteral(",价格=") +
                        price + QStringLiteral(",基本方=") + base + QStringLiteral(",电损率=") + rate +
                        QStringLiteral(" where 水价类别=") + sql_quote(previous_name) +
                        QStringLiteral(" and 收费项目=") + sql_quote(fee_item);
    if (!platform::db_execute(connection, sql)) {
        outcome.say_plain(last_error(connection)).say_plain(sql);
        return outcome;
    }
    outcome.done = true;
    log_change(connection, context, outcome, kCategoriesLog,
               QStringLiteral("修改收费项目：") + fee_item + QStringLiteral("价格类别：") + name +
                   QStringLiteral(" 价格：") + category.price + QStringLiteral(" 基本度数：") +
                   base);
    outcome.say(QStringLiteral("修改成功！"), kPrompt);
    return outcome;
}

QString price_category_delete_refusal(const QString& fee_item) {
    return fee_item.isEmpty() ? QStringLiteral("请选择待删除的电价类别！") : QString();
}

Question price_category_delete_question(const QString& fee_item, const QString& category) {
    return {QStringLiteral("确认要删除收费项目【") + fee_item + QStringLiteral("】及价格类别【") + category +
            QStringLiteral("】吗？") + kIrreversible};
}

Outcome delete_price_category(platform::Connection& connection, const QString& fee_item,
                              const QString& category, const shell::RunContext& context) {
    if (QString refusal = price_category_delete_refusal(fee_item); !refusal.isEmpty())
        return Outcome::refused(refusal);
    Outcome outcome;
    if (!platform::db_execute(connection, QStringLiteral("delete from 水价类别 where 水价类别=") + sql_quote(category) +
                                              QStringLiteral(" and 收费项目=") + sql_quote(fee_item)))
        return outcome;
    outcome.done = true;
    log_change(connection, context, outcome, kCategoriesLog,
               QStringLiteral("删除价格类别【") + category + QStringLiteral("】"));
    outcome.say(QStringLiteral("删除收费项目【") + fee_item + QStringLiteral("】及价格类别【") + category +
                    QStringLiteral("】成功！"),
                kPrompt);
    return outcome;
}

// ---- tiers ----

namespace {

struct LastTier {
    bool any = false;
    qint64 number = 0;
    double bound = 0;
};

// The category's highest-numbered tier of this fee item.
LastTier last_tier(platform::Connection& connection, const QString& category, const QString& fee_item) {
    LastTier last;
    platform::RecordSet r;
    if (platform::query_open(r, connection,
                             QStringLiteral("select 阶梯起量,阶梯止量,阶梯序号 from 阶梯信息 where 类别名称=") +
                                 sql_quote(category) + QStringLiteral(" and 收费项目=") + sql_quote(fee_item) +
                                 QStringLiteral(" ORDER  BY 阶梯序号 DESC")) &&
        !platform::recordset_eof(r)) {
        last.any = true;
        last.bound = platform::recordset_field_number(r, 1);
        last.number = static_cast<qint64>(std::llround(platform::recordset_field_number(r, 2)));
    }
    return last;
}

QString tier_bound_refusal(const QString& category, qint64 number, qint64 previous_number, double previous_bound) {
    return QStringLiteral("类别名称【") + category + QStringLiteral("】第【") + QString::number(number) +
           QStringLiteral("】阶梯方量不能小于等于第【") + QString::number(previous_number) +
           QStringLiteral("】阶梯方量【") + to_text(previous_bound) + QStringLiteral("】方");
}

}  // namespace

QString tier_next_start_text(platform::Connection& connection, const QString& category, const QString& fee_item) {
    const double bound = last_tier(connection, category, fee_item).bound;
    if (std::fabs(bound) <= platform::kMoneyTolerance) return QStringLiteral("0");
    return to_text(bound + 1);
}

TierBounds read_tier_bounds(platform::Connection& connection, const QString& fee_item, const QString& category,
                            const QString& number) {
    TierBounds bounds;
    platform::RecordSet r;
    if (platform::query_open(r, connection,
                             QStringLiteral("select 阶梯起量,阶梯止量,阶梯序号 from 阶梯信息 where 类别名称=") +
                                 sql_quote(category) + QStringLiteral(" and 收费项目=") + sql_quote(fee_item) +
                                 QStringLiteral(" and 阶梯序号=") + sql_number(to_number(number))) &&
        !platform::recordset_eof(r)) {
        bounds.start = to_text(platform::recordset_field_number(r, 0));
        bounds.stop = to_text(platform::recordset_field_number(r, 1));
    }
    return bounds;
}

Outcome save_tier(platform::Connection& connection, const QString& mode, const Tier& tier,
                  const QString& number_text, const shell::RunContext& context) {
    if (tier.fee_item.isEmpty()) return Outcome::refused(QStringLiteral("收费项目不能为空!"), Field::FeeItem);
    if (tier.category.isEmpty()) return Outcome::refused(QStringLiteral("类别名称不能为空!"), Field::Category);
    const double price = to_number(tier.price);
    if (not_positive(price)) return Outcome::refused(QStringLiteral("类别价格不能小于等于0!"), Field::Price);
    const double start = to_number(tier.start);
    const double stop = to_number(tier.stop);
    if (stop - start < -platform::kMoneyTolerance)
        return Outcome::refused(QStringLiteral("止量不能小于起量!"), Field::Stop, true);

    Outcome outcome;
    if (mode == kModeAdd) {
        // One past the highest number: after a delete in the middle, counting the tiers would
        // hand out a number that a remaining tier still carries.
        const LastTier last = last_tier(connection, tier.category, tier.fee_item);
        const qint64 number = last.number + 1;
        if (stop - last.bound <= platform::kMoneyTolerance)
            return Outcome::refused(tier_bound_refusal(tier.category, number, last.number, last.bound), Field::Start,
                                    true);
        const QString sql = QStringLiteral("insert into 阶梯信息 (类别名称,类别价格,阶梯起量,阶梯止量,阶梯序号,收费项目) values ( ") +
                            sql_quote(tier.category) + u',' + sql_number(price) + u',' + to_text(start) + u',' +
                            to_text(stop) + u',' + QString::number(number) + u',' + sql_quote(tier.fee_item) + u')';
        if (!platform::db_execute(connection, sql)) {
            outcome.say_plain(last_error(connection));
            return outcome;
        }
        outcome.done = true;
        log_change(connection, context, outcome, kTiersLog,
                   QStringLiteral("添加收费项目：") + tier.fee_item + QStringLiteral("类别名称：") +
                       tier.category + QStringLiteral(" 价格：") + tier.price +
                       QStringLiteral(" 起量：") + to_text(start) + QStringLiteral(" 止量：") +
                       to_text(stop) + QStringLiteral(" 编号：") + QString::number(number));
        outcome.say(QStringLiteral("添加成功！"), kPrompt);
        return outcome;
    }

    const qint64 number = static_cast<qint64>(std::llround(to_number(number_text)));
    const double previous_bound = platform::query_number(
        connection, QStringLiteral("select 阶梯止量,阶梯序号 from 阶梯信息 where 类别名称=") + sql_quote(tier.category) +
                        QStringLiteral(" and 收费项目=") + sql_quote(tier.fee_item) + QStringLiteral(" and 阶梯序号<") +
                        QString::number(number) + QStringLiteral(" ORDER  BY 阶梯序号 DESC"));
    if (stop - previous_bound <= platform::kMoneyTolerance)
        return Outcome::refused(tier_bound_refusal(tier.category, number, number - 1, previous_bound), Field::Start,
                                true);
    const QString sql = QStringLiteral("update 阶梯信息 set 类别名称=") + sql_quote(tier.category) +
                        QStringLiteral(",类别价格=") + sql_number(price) + QStringLiteral(",阶梯止量=") + to_text(stop) +
                        QStringLiteral(" where 类别名称=") + sql_quote(tier.category) + QStringLiteral(" and 收费项目=") +
                        sql_quote(tier.fee_item) + QStringLiteral(" and 阶梯序号=") + QString::number(number);
    if (!platform::db_execute(connection, sql)) {
        outcome.say_plain(last_error(connection));
        return outcome;
    }
    outcome.done = true;
    log_change(connection, context, outcome, kTiersLog,
               QStringLiteral("修改类别名称：") + tier.category + QStringLiteral(" 价格：") +
                   tier.price + QStringLiteral(" 起量：") + to_text(start) +
                   QStringLiteral(" 止量：") + to_text(stop) + QStringLiteral(" 编号：") +
                   QString::number(number));
    outcome.say(QStringLiteral("修改成功！"), kPrompt);
    return outcome;
}

QString tier_delete_refusal(const QString& first_cell) {
    return first_cell.isEmpty() ? QStringLiteral("请选择待删除的阶梯类别！") : QString();
}

Question tier_delete_question(const QString& category, const QString& number) {
    return {QStringLiteral("确认要删除类别名称【") + category + QStringLiteral("】且阶梯序号【") + number +
            QStringLiteral("】的设置吗？") + kIrreversible};
}

Outcome delete_tier(platform::Connection& connection, const QString& fee_item,
                    const QString& category, const QString& number,
                    const shell::RunContext& context) {
    if (QString refusal = tier_delete_refusal(fee_item); !refusal.isEmpty()) return Outcome::refused(refusal);
    Outcome outcome;
    if (!platform::db_execute(connection, QStringLiteral("delete from 阶梯信息 where 类别名称=") + sql_quote(category) +
                                              QStringLiteral(" and 收费项目=") + sql_quote(fee_item) +
                                              QStringLiteral(" and 阶梯序号=") + sql_number(to_number(number))))
        return outcome;
    outcome.done = true;
    log_change(
        connection, context, outcome, kTierDeleteLog,
        QStringLiteral("删除类别名称：") + category + QStringLiteral(" 阶梯序号：") + number);
    outcome.say(QStringLiteral("删除成功！"), kPrompt);
    return outcome;
}

// ---- surcharges ----

Outcome save_surcharge(platform::Connection& connection, const QString& mode,
                       const Surcharge& surcharge, const QString& previous_name,
                       const shell::RunContext& context) {
    if (platform::text_trim(surcharge.fee_item).isEmpty())
        return Outcome::refused(QStringLiteral("收费项目不能为空!"), Field::FeeItem);
    if (platform::text_trim(surcharge.category).isEmpty())
        return Outcome::refused(QStringLiteral("价格类别不能为空!"), Field::Category);
    const QString name = platform::text_trim(surcharge.name);
    if (name.isEmpty()) return Outcome::refused(QStringLiteral("附加费名称不能为空!"), Field::Name);
    const double price_value = to_number(surcharge.price);
    if (not_positive(price_value)) return Outcome::refused(QStringLiteral("附加费价格不能小于等于0!"), Field::Price);
    const QString price = to_text(price_value);
    const QString where_category = QStringLiteral(" and 水价类别=") + sql_quote(surcharge.category) +
                                   QStringLiteral(" and 收费项目=") + sql_quote(surcharge.fee_item);
    const QString remark = QStringLiteral("收费项目：") + surcharge.fee_item + QStringLiteral("价格类别：") +
                           surcharge.category + QStringLiteral(" 附加费：") + name;
    Outcome outcome;
    if (mode == kModeAdd) {
        if (exists(connection,
                   QStringLiteral("select 附加费名称 from 附加费 where 附加费名称=") + sql_quote(name) + where_category))
            return Outcome::refused(QStringLiteral("待添加的附加费名称重复!"), Field::Name);
        const QString sql = QStringLiteral("insert into 附加费 (水价类别,附加费名称,价格,计费方式,收费项目) values ( ") +
                            sql_quote(surcharge.category) + u',' + sql_quote(name) + u',' + price + u',' +
                            sql_quote(surcharge.method) + u',' + sql_quote(surcharge.fee_item) + u')';
        if (!platform::db_execute(connection, sql)) {
            outcome.say_plain(last_error(connection));
            return outcome;
        }
        outcome.done = true;
        log_change(connection, context, outcome, kSurchargesLog, QStringLiteral("添加") + remark);
        outcome.say(QStringLiteral("添加成功！"), kPrompt);
        return outcome;
    }
    const QString sql = QStringLiteral("update 附加费 set 附加费名称=") + sql_quote(name) + QStringLiteral(",价格=") +
                        price + QStringLiteral(",计费方式=") + sql_quote(surcharge.method) +
                        QStringLiteral(" where 附加费名称=") + sql_quote(previous_name) + where_category;
    if (!platform::db_execute(connection, sql)) {
        outcome.say_plain(last_error(connection));
        return outcome;
    }
    outcome.done = true;
    log_change(connection, context, outcome, kSurchargesLog, QStringLiteral("修改") + remark);
    outcome.say(QStringLiteral("修改成功！"), kPrompt);
    return outcome;
}

QString surcharge_delete_refusal(const QString& first_cell) {
    return first_cell.isEmpty() ? QStringLiteral("请选择待删除的附加费名称！") : QString();
}

Question surcharge_delete_question(const QString& category, const QString& name) {
    return {QStringLiteral("确认要删除电价类别【") + category + QStringLiteral("】附加费为【") + name +
            QStringLiteral("】吗？") + kIrreversible};
}

Outcome delete_surcharge(platform::Connection& connection, const QString& fee_item,
                         const QString& category, const QString& name,
                         const shell::RunContext& context) {
    if (QString refusal = surcharge_delete_refusal(fee_item); !refusal.isEmpty()) return Outcome::refused(refusal);
    Outcome outcome;
    if (!platform::db_execute(connection, QStringLiteral("delete from 附加费 where 附加费名称=") + sql_quote(name) +
                                              QStringLiteral(" and 水价类别=") + sql_quote(category) +
                                              QStringLiteral(" and 收费项目=") + sql_quote(fee_item)))
        return outcome;
    outcome.done = true;
    const QString what = QStringLiteral("删除电价类别【") + category + QStringLiteral("】附加费为【") + name + QStringLiteral("】");
    log_change(connection, context, outcome, kSurchargesLog, what);
    outcome.say(what + QStringLiteral("成功！"), QStringLiteral("删除成功"));
    return outcome;
}

// ---- monthly base-quantity windows ----

Outcome add_base_adjustment(platform::Connection& connection, const BaseAdjustment& window,
                            const shell::RunContext& context) {
    if (window.category.isEmpty()) return Outcome::refused(QStringLiteral("请选择价格类别！"), Field::Category);
    if (window.fee_item.isEmpty()) return Outcome::refused(QStringLiteral("请选择收费项目！"), Field::FeeItem);
    const double quantity = to_number(window.quantity);
    if (not_positive(quantity)) return Outcome::refused(QStringLiteral("方数不能小于等于0！"), Field::Quantity);
    Outcome outcome;
    if (!platform::db_execute(connection,
                              QStringLiteral("insert into 基本方调整 (抄表日起,抄表日止,用水类型,基本方,收费项目) values (") +
                                  platform::date_to_quoted(window.start) + u',' + platform::date_to_quoted(window.end) +
                                  u',' + sql_quote(window.category) + u',' + to_text(quantity) + u',' +
                                  sql_quote(window.fee_item) + u')')) {
        outcome.say_failure_box(last_error(connection));
        return outcome;
    }
    outcome.done = true;
    log_change(connection, context, outcome, kBaseLog,
               QStringLiteral("添加单月基本用量调整条件！"));
    outcome.say(QStringLiteral("添加成功！"));
    return outcome;
}

Question base_adjustment_delete_question(const QString& number) {
    return {QStringLiteral("确认要删除编号【") + number + QStringLiteral("】的记录吗？")};
}

Outcome delete_base_adjustment(platform::Connection& connection, const QString& number,
                               const shell::RunContext& context) {
    Outcome outcome;
    if (number.isEmpty()) return outcome;
    if (!platform::db_execute(connection,
                              QStringLiteral("delete  from 基本方调整 where 编号=") + sql_number(to_number(number)))) {
        outcome.say_failure_box(last_error(connection));
        return outcome;
    }
    outcome.done = true;
    log_change(connection, context, outcome, kBaseLog,
               QStringLiteral("删除单月基本方调整条件编号：") + number);
    outcome.say(QStringLiteral("删除成功！"));
    return outcome;
}

// ---- banks ----

Outcome add_bank(platform::Connection& connection, const QString& typed,
                 const shell::RunContext& context) {
    if (typed.isEmpty()) return Outcome::refused(QStringLiteral("待添加的开户银行名称不能为空！"), Field::Name);
    const QString name = platform::text_trim(typed);
    if (exists(connection, QStringLiteral("select * from 开户银行 where 开户银行=") + sql_quote(name)))
        return Outcome::refused(QStringLiteral("待添加的开户银行名称重复！"), Field::Name);
    Outcome outcome;
    if (!platform::db_execute(connection,
                              QStringLiteral("insert into 开户银行(开户银行) values (") + sql_quote(name) + QStringLiteral(" )")))
        return outcome;
    outcome.done = true;
    log_change(connection, context, outcome, kBanksLog,
               QStringLiteral("添加开户银行【") + name + QStringLiteral("】"));
    outcome.say(QStringLiteral("添加开户银行【") + name + QStringLiteral("】成功！"));
    return outcome;
}

QString bank_delete_refusal(const QString& name) {
    return name.isEmpty() ? QStringLiteral("请选择待删除的开户银行！") : QString();
}

Question bank_delete_question(const QString& name) {
    return {QStringLiteral("确认要删除开户银行【") + name + QStringLiteral("】吗？") + kIrreversible};
}

Outcome delete_bank(platform::Connection& connection, const QString& name,
                    const shell::RunContext& context) {
    if (QString refusal = bank_delete_refusal(name); !refusal.isEmpty()) return Outcome::refused(refusal);
    Outcome outcome;
    if (!platform::db_execute(connection, QStringLiteral("delete from 开户银行 where 开户银行=") + sql_quote(name)))
        return outcome;
    outcome.done = true;
    log_change(connection, context, outcome, kBanksLog,
               QStringLiteral("删除开户银行【") + name + QStringLiteral("】"));
    outcome.say(QStringLiteral("删除开户银行【") + name + QStringLiteral("】成功！"), QStringLiteral("删除成功"));
    return outcome;
}

}  // namespace tariffs
