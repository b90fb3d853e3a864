#pragma once
// What the counter and card windows show of a household before it pays: the household found by
// number, name or card, its unpaid bills with their readings and surcharge lines, and the money
// figures; and the household search of the counter window.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

#include "tariffs/tariff_outcome.h"

namespace platform {
struct Connection;
}

namespace charging {

inline const QString kNoSuchHousehold = QStringLiteral("无此用户!");
inline const QString kNothingToPay = QStringLiteral("该用户本月未抄表或已缴费！");
inline const QString kNothingToPayCaption = QStringLiteral("提示");

enum class LookupBy { Number, Name, Card };

struct HouseholdFound {
    bool found = false;
    QString name, address, street, number;
    int active_meters = 0;  // meter accounts in state 正常
    QString meter_label() const {
        return QStringLiteral("计量表正常:") + QString::number(active_meters);
    }
};

// The first household whose 户号, 用户名 or 磁卡号码 equals the trimmed key.
HouseholdFound find_household(platform::Connection& connection, LookupBy by, const QString& key);

// The unpaid test before the bills are shown: the household's valid unpaid bills, those keyed by
// its own number and by its meter accounts' numbers.
qint64 count_unpaid_bills(platform::Connection& connection, const QString& household);

struct ChargingBill {
    std::vector<qint64> bill_numbers;  // ascending 收据号
    QList<QStringList> readings;  // 项目 起数 止数 用量 价格 金额 抄表日期, then 合计
    QList<QStringList> surcharges;  // 项目 名称 用量 价格 金额, then 合计
    double amount_billed = 0;       // sum 应收金额
    double to_collect = 0;          // sum 实收金额
    double late_fee = 0;            // sum 滞纳金
    double reduction = 0;           // sum 减免金额
    double prepaid = 0;             // sum 预存扣款
    double carry_in = 0;            // 上月接转 of the first bill
    double carry_out = 0;           // 本月接转 of the last bill
    // Two-decimal texts of the labels.
    QString amount_billed_text() const;
    QString to_collect_text() const;
    QString late_fee_text() const;
    QString carry_in_text() const;
    QString carry_out_text() const;
    QString due_text() const;  // 应收: billed − carry-in + late fee
    QString reduction_text() const;
    QString prepaid_text() const;
};

// The household's unpaid valid bills (its own number's and its meter accounts'), as the windows
// list them, in 收据号 order.
ChargingBill load_charging_bill(platform::Connection& connection, const QString& household);

// 本期结余 after the cashier changed 实收: 实收 − 应收 + 减免金额 + 预存扣款 (texts read as
// numbers, empty or non-numeric as 0), two decimals.
QString carry_over_after_received(const QString& received, const QString& due,
                                  const QString& reduction, const QString& prepaid);
// Receipt copies: the integer part of the box's number, none below 1.
int receipt_copies(const QString& copies_text);

// The counter window's search modes.
inline const QString kSearchByName = QStringLiteral("按用户姓名");
inline const QString kSearchByMeter = QStringLiteral("按电表编号");
inline const QString kSearchByStreet = QStringLiteral("按居住街道");

// Rows 户号, 用户名, 电表编号, 居住街道, 详细地址 of households joined with their meter accounts,
// by the mode; an unknown mode finds nothing.
QList<QStringList> search_households(platform::Connection& connection, const QString& mode,
                                     const QString& content);

}  // namespace charging
