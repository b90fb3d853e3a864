#pragma once
// Meter accounts (用户表管理): one metering point of one household for one fee item. A meter
// account's own number (户号) is its household's number (父号) followed by a suffix of at least
// two digits (01 .. 09, 10 .. 99, 100 ..); the household's property-fee account is suffix 01.
// 抄表序号 is the account's place in its reader's reading walk.
#include <QDate>
#include <QString>

namespace platform {
struct Connection;
}

namespace households {

// ---- program-wide values of the meter form ----
// "添加" or "修改": how MeterInfoWindow opens; set by the page's add and modify buttons.
extern QString meter_form_mode;
// 编号 and 父号 of the meter account loaded into the form for modification.
extern int edited_meter_id;
extern QString edited_meter_household;

inline const QString kPropertyFeeItem = QStringLiteral("物业");
inline const QString kSystemReader = QStringLiteral("系统");
inline const QString kPropertyFeeMeterNumber = QStringLiteral("000000");
inline const QString kMeterStateNormal = QStringLiteral("正常");

// One row of 用户表管理 (编号 is the row identity, never written).
struct HouseholdMeter {
    QString number;  // 户号
    QString fee_item;
    QString price_category;
    double start_reading = 0.0;
    QString reader;
    double multiplier = 1.0;
    QString meter_number;  // 计量编号
    qint64 reading_order = 0;
    QDate set_up;       // 建表时间
    QString household;  // 父号
    QString state = kMeterStateNormal;
};

// The suffix of the n-th meter account (n >= 1): at least two digits, "01", "09", "10", "100".
QString meter_suffix_text(int n);

// The number for a new meter account of the household: the household number followed by the
// smallest suffix (01, 02, ...) that no meter account carries yet. Counting the household's
// accounts would hand out the number of an existing account once one of them was deleted, and
// readings and bills address an account by this number alone, so a freed suffix is reused
// and a taken one never is. The test is over every 户号 of 用户表管理, so that the number of
// another household's account can never be repeated either. Empty when the database cannot
// be read.
QString next_meter_account_number(platform::Connection& connection, const QString& household);

// The number of the reader's meter accounts, as count(*) of 用户表管理 by 抄表人员 gives it, read
// from the count the database keeps per reader (抄表员户数), so that it costs the same in any
// register. `ok` is false when it cannot be read.
qint64 reader_account_count(platform::Connection& connection, const QString& reader,
                            bool* ok = nullptr);

// The reading order of a new meter account of the reader: the end of the reader's walk, one
// past the larger of the reader's account count and the highest 抄表序号 the reader has (a move
// to a position can leave the highest number above the count; the count alone would then
// give two accounts one place). 0 when the database cannot be read.
qint64 next_reading_order(platform::Connection& connection, const QString& reader);

// The insert statement of a meter account, texts through sql_quote, the set-up date quoted as
// 'Y-M-D'.
QString meter_insert_statement(const HouseholdMeter& meter);

// The property-fee meter account of a household: number household + "01", fee item 物业, the
// household's 物业类别, start 0, reader 系统, multiplier 1, meter number 000000, state 正常.
// The reading order is left for the caller (next_reading_order for 系统).
HouseholdMeter property_fee_meter_account(const QString& household, const QString& category,
                                          const QDate& set_up);

// A number as typed or read from a cell: ASCII or full-width digits, point, sign and exponent,
// blanks around it ignored, nothing else. What the database would refuse gives false.
bool read_plain_number(const QString& text, double* value);

// The statement that lists meter accounts with their households: the sixteen fields the meter
// list shows, by name. Callers append their conditions (starting with "and ") and order.
QString meter_list_base_query();

}  // namespace households
