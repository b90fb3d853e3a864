#pragma once
// Adding and modifying a household: the rules of the household form, without the form. The
// form hands over what its boxes hold, as typed; the outcome says whether the household was
// written, which box gets the focus after a refusal, and the boxes to show, in order.
#include <QDate>
#include <QString>

#include "platform/db.h"
#include "platform/messages.h"

namespace households {

// The form's values as typed (texts untrimmed; numbers as their texts).
struct HouseholdEntry {
    QString number;  // 户号
    QString name;    // 用户名
    QString street;  // 居住街道
    QString address;
    QString identity;
    QString persons;  // 家庭人口
    QDate registered;
    QString card;
    QString bank;
    QString account;
    bool several_meters = false;  // 性质: 多表
    QString remark;
    QString fixed_phone;
    QString mobile_phone;
    QString category;  // 物业类别
    QString area;      // 物业面积
    QString parking_fee;
};

enum class HouseholdField { None, Number, Name, Card };

struct HouseholdSaveOutcome {
    // Refused before anything was written (a required value missing, the number taken): the
    // form stays as it is. Otherwise a write was tried, and saved says how it went.
    bool refused = false;
    bool saved = false;
    HouseholdField focus = HouseholdField::None;
    platform::Messages messages;
};

// "户号、用户姓名、居住街道、物业类别不能为空！" (focus on the name) unless the number (trimmed),
// the name, the street and the category are given.
HouseholdSaveOutcome check_household_entry(const HouseholdEntry& entry);

// "磁卡号码【c】已被用户【户号 用户名】使用，请重新输入。" (caption "输入提示", focus on the card)
// when a household other than the entry's number holds its card number; blank is nobody's. A
// household saved with the card it already holds is never refused, so one of two households
// sharing a card from older data can still be edited (its duplicate stays as it was).
HouseholdSaveOutcome card_refusal(platform::Connection& connection, const HouseholdEntry& entry);

// A new household and its property-fee meter account (household number + "01", reader 系统 at
// the end of that reader's walk), both or neither; then the log row 用户管理/用户添加. Refused
// when the number is in use ("户号【n】已经存在，请重新输入。") or still carried by a deleted
// household's data ("户号【n】已被删除用户的计量、收费或预存记录占用，请重新输入。"), both with
// the caption "输入提示" and the focus on the number. A failed statement gives the database's
// text and the statement, each in a box without icon. A card number another household holds is
// refused (card_refusal).
HouseholdSaveOutcome add_household(platform::Connection& connection, const HouseholdEntry& entry);

// Rewrites the household's row and mirrors its property category onto its property-fee meter
// account, both or neither; then the log row 用户管理/用户修改. A failed statement gives the
// database's text in a box without icon. Changing the card number to one another household
// holds is refused (card_refusal); keeping the household's own card is not.
HouseholdSaveOutcome modify_household(platform::Connection& connection,
                                      const HouseholdEntry& entry);

}  // namespace households
