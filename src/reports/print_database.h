#pragma once
// The print database print.mdb: a scratch file in the program folder that holds the rows of
// the last receipt built and nothing else. Before each receipt it is replaced by the pristine
// bak/print.bak, the receipt's rows are written into it, and the report engine reads them back
// through the template's queries. Charge receipts fill 用户信息 (one row) and 电表信息 (the
// detail lines), prepayment receipts fill 预存信息.
//
// The builders take the main connection and return what the user is to be told, in order;
// the receipt printer (receipts.h) shows the boxes and prints.
#include <QString>
#include <QtGlobal>
#include <vector>

#include "platform/db.h"
#include "platform/messages.h"
#include "shell/system_parameters.h"

namespace reports {

// The connection the receipts write the print database through (数据库连接_打印).
platform::Connection& print_connection();
QString print_database_path();
// The text the report engine is given to find the print database (the letter case of the
// file name differs from print_database_path's; both name the same file).
QString print_connection_text();

// The office's name as receipts and the handbook print it: the parameters' name, or the pz row
// when the parameters were not loaded.
QString office_name(platform::Connection& main, const shell::SystemParameters& parameters);

// Replaces print.mdb by the shipped empty copy and opens it on print_connection(). False, with
// the connection's error text set, when either step fails.
bool rebuild_print_database();

// Full-width letters, digits and signs made half-width (the household numbers of old imports
// carry full-width digits).
QString to_half_width(const QString& text);
// "二", "三", ..., "十", "十一": the plain numeral of a tier number.
QString plain_chinese_numeral(int number);

struct ReceiptMessage {
    QString text;
    platform::MsgIcon icon = platform::MsgIcon::None;
};

struct ReceiptBuild {
    // Whether the receipt may be printed (a prepayment receipt whose row failed may not).
    bool printable = true;
    std::vector<ReceiptMessage> messages;
};

// Fills the print database with the charge receipt of one payment serial (用户信息 and
// 电表信息) and closes it. Reads the payment's readings, bills and the tariff tables; writes
// nothing into the main database.
ReceiptBuild build_charge_receipt(platform::Connection& main, qint64 serial);

// The prepaid balance of a household as the prepayment receipt prints it: its valid
// prepayments less what every valid bill of the household and its meter accounts took from
// them. Rebuilds the work table 预存结余 for that household on the way.
double household_prepay_balance(platform::Connection& main, const QString& household,
                                std::vector<ReceiptMessage>* messages = nullptr);

// Fills the print database with the receipt of one prepayment (预存信息) and closes it. Not
// printable when the row could not be written. 上期结余 is the balance less the amount, plus
// `settled_with_it`: what the deposit paid of the household's bills as it was taken, so that a
// new deposit's receipt shows the balance before it (a reprint passes 0).
ReceiptBuild build_prepay_receipt(platform::Connection& main, qint64 receipt_number,
                                  double settled_with_it = 0);

}  // namespace reports
