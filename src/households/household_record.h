#pragma once
// The household register: one row of 用户信息表 per household, addressed everywhere by its
// household number 户号. This file holds the record, the display words of its kind 性质, the
// program-wide mode of the household form, and the numbering rule that proposes the number of
// the next household.
//
// Numbers stay with their data: deleting a household removes its register row only, so its
// meter accounts, readings, bills, prepayments and reduction settings keep carrying its number.
// Such a number is never proposed again and the form refuses it (household_number_owned), so a
// new household never inherits another one's bills or balance.
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

#include "households/household_number.h"
#include "households/pinyin.h"

namespace platform {
struct Connection;
struct RecordSet;
}

namespace households {

// The 查询列 class of both household lists.
inline const QString kHouseholdColumnClass = QStringLiteral("用户信息");

// "添加" or "修改": how the household form opens; set by its openers just before they open it
// (its source, "假" or "真", is shell::household_form_source).
extern QString household_form_mode;
inline const QString kFormModeAdd = QStringLiteral("添加");
inline const QString kFormModeModify = QStringLiteral("修改");

// One row of 用户信息表.
struct Household {
    qint64 id = 0;             // 编号
    QString number;            // 户号
    QString parent_number;     // 父号: "0" for a household
    QString name;              // 用户名
    QString street;            // 居住街道
    QString address;           // 详细地址
    QString identity_number;   // 身份证号
    double persons = 0;        // 家庭人口
    QDate registered;          // 建档时间
    QString card_number;       // 磁卡号码
    QString bank;              // 开户银行
    QString bank_account;      // 银行帐号
    bool several_meters = false;  // 性质
    QString remark;            // 备注
    QString mnemonic;          // 助记词
    QString fixed_telephone;   // 固定电话
    QString mobile_telephone;  // 移动电话
    QString property_category; // 物业类别
    double property_area = 0;  // 物业面积
    double parking_fee = 0;    // 停车费
    QString state;             // 目前状态 (kept, never used)
};

// The current row of a record set opened on 用户信息表 (fields by name).
Household read_household(const platform::RecordSet& records);

// Where a kind word is shown; the words differ by place.
enum class KindPlace {
    Form,       // household form: 单表 / 多表
    AddList,    // page 0 and the import result: 单表 / 总表, 分表 below a household
    QueryList,  // page 1: 单表 / 双表, 分表 below a household
};
QString household_kind_word(bool several_meters, const QString& parent_number, KindPlace place);

// household_number_successor with the configured prefix household_number_prefix; the prefix is
// matched with regard to letter case when `prefix_matched_with_case` is true (continuous entry),
// without it otherwise (the number proposed when the form opens).
QString household_number_successor(const QString& number, bool prefix_matched_with_case);

// The number proposed for a new household: the successor of the last household's number (the
// top-level row with the highest 编号, prefix matched without regard to case), or, with no
// household yet, the prefix followed by household_number_digits - 1 zeros and "1". Numbers in
// use or owned by a deleted household's data are passed over.
QString next_household_number(platform::Connection& connection);

// The first number from `number` on (itself included) that no household has and no deleted
// household's data owns, counting on with household_number_successor.
QString first_free_household_number(const QString& number, bool prefix_ignores_case);
QString first_free_household_number(platform::Connection& connection, const QString& number,
                                    bool prefix_ignores_case);

// A household row (of any 父号) has this number.
bool household_number_exists(const QString& number);  // on the main connection
bool household_number_exists(platform::Connection& connection, const QString& number);

// Data of a household that is no longer in the register still carries this number: its meter
// accounts (用户表管理 父号, or the property-fee account number + "01"), readings (抄表管理 and
// 抄表总表 父号), bills (总收费 户号: the household number or one of its meter-account numbers,
// the number followed by two or three digits), prepayments (预存明细 户号) or reduction settings
// (减免设置 户号). Text compares without regard to case, as the tables do.
bool household_number_owned(const QString& number);  // on the main connection
bool household_number_owned(platform::Connection& connection, const QString& number);

// Card numbers. 磁卡收费 finds a household by a 磁卡号码 equal to the card read (blanks around
// what is read dropped, letter case aside) and takes the first it meets, so a card that two
// households hold charges only one of them: a card belongs to one household. A blank card
// number is nobody's: many households have no card.
struct CardHolder {
    QString number;     // 户号; empty for a row of an import that has none yet
    QString name;       // 用户名
    int sheet_row = 0;  // the row of an import's sheet giving the card; 0: the register
};
// The card numbers held in the register, as the card look-up matches them.
class CardNumbers {
public:
    // Every household's card (an import), or only the households holding `card` (one form).
    void load(platform::Connection& connection);
    void load(platform::Connection& connection, const QString& card);
    // A household other than `own_number` (and other than the sheet row `own_row`) holding the
    // card; none for a blank card, and none when the register already gives `own_number` the
    // card (kept, even where another household shares it from older data).
    std::optional<CardHolder> holder_other_than(const QString& card, const QString& own_number,
                                                int own_row = 0) const;
    // Counts the card as held from now on (a row of an import about to go in).
    void hold(const QString& card, const CardHolder& holder);

private:
    void add_rows(const QList<QStringList>& rows);
    QHash<QString, QList<CardHolder>> holders_;
};
// The same for one card, read from the register.
std::optional<CardHolder> card_holder_other_than(platform::Connection& connection,
                                                 const QString& card, const QString& own_number);
// "磁卡号码【c】已被用户【户号 用户名】使用", or for a holder that is a row of the sheet
// "磁卡号码【c】与表中第n行相同": what a refusal says about the card.
QString card_taken_text(const QString& card, const CardHolder& holder);

}  // namespace households
