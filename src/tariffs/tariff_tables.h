#pragma once
// The price book's tables and every write to them: fee items (收费项目), price categories
// (水价类别), tiers (阶梯信息), surcharges (附加费), monthly base-quantity windows (基本方调整)
// and banks (开户银行). Each maintenance window lists one table and calls the use cases below;
// each use case checks the form's values in the window's order, writes one statement, writes
// the operation-log row and returns the boxes to show.
//
// Every text value reaches SQL through sql_quote, so a name with a quote in it is stored as
// typed. Rows are addressed by their full key: a tier or surcharge by its fee item as well as
// its category, so that two fee items with a same-named category never touch each other's rows.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

#include "shell/run_context.h"
#include "tariffs/tariff_outcome.h"

namespace platform {
struct Connection;
}

namespace tariffs {

inline const QString kLogGroup = QStringLiteral("基本设置");

// ---- the lists of the maintenance windows ----
enum class TariffTable { FeeItems, PriceCategories, Tiers, Surcharges, BaseAdjustments, Banks };

struct ListColumn {
    QString title;
    int width = 0;
};

// The columns of a table's list window, in order.
std::vector<ListColumn> tariff_list_columns(TariffTable table);
// The rows of a table's list, every cell as the list shows it. Empty when the table can't be
// read.
QList<QStringList> tariff_list_rows(platform::Connection& connection, TariffTable table);

// The fee-item names in 编号 order, for the drop-downs.
QStringList fee_item_names(platform::Connection& connection);
// The category names of a fee item in the database's order (编号 order when `by_number`).
QStringList price_category_names(platform::Connection& connection, const QString& fee_item,
                                 bool by_number = false);

// ---- fee items ----
inline const QString kActualUsageMode = QStringLiteral("实际用量模式");
inline const QString kBaseUsageMode = QStringLiteral("基本用量模式");
inline const QString kOn = QStringLiteral("开启");
inline const QString kOff = QStringLiteral("关闭");

struct FeeItem {
    QString name;
    QString billing_mode = kActualUsageMode;  // 计费模式
    QString zero_usage = kOff;                // 收零用量
    QString tiered = kOff;                    // 阶梯收费
    QString auto_loss = kOff;                 // 自动损耗
    QString loss_digits = QStringLiteral("个位");  // 损耗位数
};

// "物业", "电费" and "水费" are the system's own and are never deleted.
bool is_system_fee_item(const QString& trimmed_name);
// The stored row of a fee item (the defaults when there is none).
FeeItem read_fee_item(platform::Connection& connection, const QString& name);
// Add (name trimmed, refused when taken) or modify (the stored name's modes).
Outcome save_fee_item(platform::Connection& connection, const QString& mode, const FeeItem& item,
                      const shell::RunContext& context);
// The refusal before the delete question, or "" when the delete may be asked.
QString fee_item_delete_refusal(const QString& name);
Question fee_item_delete_question(const QString& name);
Outcome delete_fee_item(platform::Connection& connection, const QString& name,
                        const shell::RunContext& context);

// ---- price categories ----
struct PriceCategory {
    QString fee_item;
    QString name;
    QString price;  // the boxes' texts as typed
    QString base;
    QString rate;
};

// Add (编号 = rows + 1) or modify the category `previous_name` of the fee item. A new name that
// the fee item already has for another category is refused either way.
Outcome save_price_category(platform::Connection& connection, const QString& mode,
                            const PriceCategory& category, const QString& previous_name,
                            const shell::RunContext& context);
QString price_category_delete_refusal(const QString& fee_item);
Question price_category_delete_question(const QString& fee_item, const QString& category);
Outcome delete_price_category(platform::Connection& connection, const QString& fee_item,
                              const QString& category, const shell::RunContext& context);

// ---- tiers ----
struct Tier {
    QString fee_item;
    QString category;
    QString price;  // the price box's text as typed
    QString start;  // the start box's text (shown by the next-start rule)
    QString stop;
};

// The start of the category's next tier: 0 for the first, else the highest-numbered tier's
// upper bound plus 1, in shortest form.
QString tier_next_start_text(platform::Connection& connection, const QString& category,
                             const QString& fee_item);
// 阶梯起量 and 阶梯止量 of one tier (shortest form), for the modify form.
struct TierBounds {
    QString start;
    QString stop;
};
TierBounds read_tier_bounds(platform::Connection& connection, const QString& fee_item,
                            const QString& category, const QString& number);
// Add (numbered one past the category's highest number) or modify tier `number` (its price and
// upper bound). A refusal of the bound test points at Field::Start: the window then shows the
// start box's own message and moves on to the stop box.
Outcome save_tier(platform::Connection& connection, const QString& mode, const Tier& tier,
                  const QString& number, const shell::RunContext& context);
inline const QString kTierStartLocked = QStringLiteral("对不起不能改变阶梯起量!");
QString tier_delete_refusal(const QString& first_cell);
Question tier_delete_question(const QString& category, const QString& number);
Outcome delete_tier(platform::Connection& connection, const QString& fee_item,
                    const QString& category, const QString& number,
                    const shell::RunContext& context);

// ---- surcharges ----
inline const QString kByQuantity = QStringLiteral("按用量");
inline const QString kFixedAmount = QStringLiteral("固定金额");

struct Surcharge {
    QString fee_item;
    QString category;
    QString name;
    QString price;  // as typed
    QString method = kByQuantity;
};

Outcome save_surcharge(platform::Connection& connection, const QString& mode,
                       const Surcharge& surcharge, const QString& previous_name,
                       const shell::RunContext& context);
QString surcharge_delete_refusal(const QString& first_cell);
Question surcharge_delete_question(const QString& category, const QString& name);
Outcome delete_surcharge(platform::Connection& connection, const QString& fee_item,
                         const QString& category, const QString& name,
                         const shell::RunContext& context);

// ---- monthly base-quantity windows ----
struct BaseAdjustment {
    QDate start;
    QDate end;
    QString fee_item;
    QString category;
    QString quantity;  // as typed
};

Outcome add_base_adjustment(platform::Connection& connection, const BaseAdjustment& window,
                            const shell::RunContext& context);
Question base_adjustment_delete_question(const QString& number);
Outcome delete_base_adjustment(platform::Connection& connection, const QString& number,
                               const shell::RunContext& context);

// ---- banks ----
// `typed` is the box's text as typed (only the emptiness test takes it untrimmed).
Outcome add_bank(platform::Connection& connection, const QString& typed,
                 const shell::RunContext& context);
QString bank_delete_refusal(const QString& name);
Question bank_delete_question(const QString& name);
Outcome delete_bank(platform::Connection& connection, const QString& name,
                    const shell::RunContext& context);

}  // namespace tariffs
