#pragma once
// Bills (总收费), their surcharge lines (月附加费) and reduction records (减免明细): the row
// records, their insert statements, the bill states, and the numbering of 收据号 and 流水号.
// Numbers are 64-bit: "1" followed by 收费编码位数 zeros passes 2^31 from ten digits on.
#include <QDate>
#include <QString>
#include <optional>
#include <vector>

#include "tariffs/tariff_outcome.h"

namespace platform {
struct Connection;
}

namespace tariffs {

// What to show, in order: a plain box (no icon) for the database's own text and statements, the
// information icon for the system's own messages.
using Messages = std::vector<Message>;
inline Message plain_message(const QString& text) { return {text, kInfoCaption, true}; }
inline Message info_message(const QString& text) { return {text, kInfoCaption, false}; }

inline const QString kCollectorUnknown = QStringLiteral("未知");      // born unpaid
inline const QString kCollectorPrepaid = QStringLiteral("预存扣款");  // settled at birth
inline const QString kParkingFeeName = QStringLiteral("停车费");
inline const QString kReductionByAmount = QStringLiteral("按金额");
inline const QString kReductionByQuantity = QStringLiteral("按用量");
// The fixed start of the monthly commit's numbers: the first 收据号 and 流水号 are 1000000001.
inline constexpr qint64 kFixedNumberStart = 1000000000;

// How lists, boxes and receipts show a 收据号 or 流水号: its first "1" written as "№"
// (1000000001 -> "№000000001"); and back, blanks around it ignored, 0 when the text is no number.
inline const QString kNumeroSign = QStringLiteral("№");
QString serial_display_text(qint64 number);
qint64 serial_from_display_text(const QString& text);

// 标志 and 收费标志.
inline constexpr int kBillValid = 1;
inline constexpr int kBillVoidMarker = 2;
inline constexpr int kBillUnpaid = 1;
inline constexpr int kBillPaid = 0;

// One row of 总收费 as the engines write it. payment_serial empty: the column is not written.
struct ChargeRecord {
    QString number;  // 户号
    qint64 bill_number = 0;                // 收据号
    std::optional<qint64> payment_serial;  // 流水号
    int valid = kBillValid;                // 标志
    int unpaid = kBillUnpaid;              // 收费标志
    QString fee_item;                      // 收费项目
    QString price_category;                // 价格类别
    QString reader;                        // 抄表人员
    QDate reading_date;                    // 抄表日期
    QDate charge_date;                     // 收费日期
    QString collector;                     // 收费人员
    double quantity = 0;                   // 实收量
    double price = 0;                      // 价格
    double usage_charge = 0;               // 水费金额
    double surcharge_total = 0;            // 附加费金额
    double cost = 0;                       // 成本金额
    double difference = 0;                 // 差额
    double amount_billed = 0;              // 应收金额
    double reduction_amount = 0;           // 减免金额
    qint64 reduction_quantity = 0;         // 减免用量
    double carry_in = 0;                   // 上月接转 (positive: the household's credit)
    double carry_out = 0;                  // 本月接转
    double amount_to_collect = 0;          // 实收金额
    double prepaid_deduction = 0;          // 预存扣款
    double late_fee = 0;                   // 滞纳金
    double loss = 0;                       // 水损
};

// One row of 月附加费.
struct SurchargeLine {
    QString number;  // 户号
    QString name;    // 附加费名称 ("停车费" for the parking fee)
    double quantity = 0;
    double price = 0;
    double amount = 0;
    QDate date;  // 收费日期: the day the line was written
    qint64 bill_number = 0;
    QString fee_item;
    QString price_category;
};

// One row of 减免明细 (编号 comes from the database).
struct ReductionRecord {
    QString number;  // 户号
    double amount = 0;        // 减免金额
    qint64 quantity = 0;      // 减免用量
    QString reading_ids;      // 抄表ID: "1201|1202|"
    QDate date;               // 减免日期
    qint64 bill_number = 0;   // 收据号
    QString type;             // 减免类型: "按金额" or "按用量"
};

// The bill's insert statement as text, as a failed bill write shows it: texts through
// sql_quote, numbers in shortest form (never nan/inf), dates quoted 'Y-M-D', 流水号 left out
// when the record has none. The engine itself writes bills with bound values.
QString bill_insert_statement(const ChargeRecord& bill);

// "1" followed by `digits` zeros as a number: the largest number that counts as taken while
// none exists yet (9 digits: 1000000000). Fewer than 0 or more than 17 digits are clamped.
qint64 number_start(int payment_serial_digits);

struct NumberOutcome {
    bool ok = false;  // false: the database could not be read (error says why) or, for the
                      // checked numbers, the number was taken
    bool taken = false;
    qint64 number = 0;
    QString error;
};

// Takes the 收据号 of a new bill or reduction record (the monthly commit, the billing after a
// correction, the reduction pass): one above the highest ever given, which 号码计数 keeps so that
// deleting the bill that carried the largest number never lets the next one take it again. The
// counter is raised in the caller's transaction, so a write that rolls back gives the number
// back unused. Numbers already on readings or bills count too (a database that another program
// wrote); 1000000000 counts as given, so the first number is 1000000001.
NumberOutcome take_bill_number(platform::Connection& connection);
// The highest 收据号 given so far as an SQL expression (the counter, the readings' and bills'
// numbers, 1000000000): a statement that reads it with other values numbers a bill by it plus 1,
// then keeps that number with record_bill_number in the same transaction.
QString largest_given_bill_number();
// Raises the counter to `number`, a bill number just given; false with the database's text.
bool record_bill_number(platform::Connection& connection, qint64 number, QString* error);
// 流水号: the largest 总收费.流水号 plus 1, a largest of 0 (or none) counting as `start`.
NumberOutcome next_payment_serial(platform::Connection& connection, qint64 start);
// As next_payment_serial, then refused (taken) when a bill already carries it.
NumberOutcome next_checked_payment_serial(platform::Connection& connection, qint64 start);
bool payment_serial_taken(platform::Connection& connection, qint64 serial, bool* ok = nullptr);

// Full-width ASCII letters, digits and signs (and the full-width blank) as their half-width
// forms: how household numbers read from rows are compared.
QString half_width(const QString& text);

}  // namespace tariffs
