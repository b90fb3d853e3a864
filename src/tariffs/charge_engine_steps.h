#pragma once
// What the charge engine's steps share and no caller needs: the reading and pricing records,
// the run's price book, the pricing of a household's unbilled readings, the bill writer of one
// household, and the small rules of numbers they all apply. Pricing lives in
// charge_pricing.cpp, one household's bill in bill_writing.cpp, runs over many households in
// bill_run.cpp.
#include <QDate>
#include <QString>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/db.h"
#include "tariffs/bills.h"
#include "tariffs/charge_engine.h"
#include "tariffs/tiers.h"

namespace tariffs {

// A surcharge of a category and fee item as the bill reads it.
struct SurchargeRow {
    QString name;  // 附加费名称
    double price = 0;
    QString mode;  // 计费方式
};

// The price book of a run: tiers and surcharges by category and fee item, read once. A run
// writes none of them, so what it read first is what every later read would give.
struct PriceBook {
    using Key = std::pair<QString, QString>;
    std::map<Key, std::vector<TierStep>> tiers;
    std::map<Key, std::vector<SurchargeRow>> surcharges;
};

// The bill writes of a run: the bill, its surcharge lines, its readings' billing marks and its
// reduction record, each shape of statement prepared the first time the run needs it and then
// run with bound values, so no value ever becomes part of a statement and a run of many bills
// prepares each shape once. Each write is false with the connection's last error on failure.
class BillWrites {
public:
    explicit BillWrites(platform::Connection& connection);
    ~BillWrites();
    BillWrites(const BillWrites&) = delete;
    BillWrites& operator=(const BillWrites&) = delete;

    bool bill(const ChargeRecord& bill);
    bool surcharge_line(const SurchargeLine& line);
    // The monthly commit's mark: billed under the bill number (and the serial of a bill born
    // paid), with the reading's unit price and billed quantity.
    bool priced_reading(qint64 id, qint64 bill_number, std::optional<qint64> serial,
                        double unit_price, double quantity);
    bool reduction(const ReductionRecord& record);

private:
    enum Shape {
        kBillWithSerial,
        kBillWithoutSerial,
        kSurchargeLine,
        kPricedReadingWithSerial,
        kPricedReading,
        kReductionByAmountShape,
        kReductionByQuantityShape,
        kReductionOfBoth,
        kShapes
    };
    static QString text_of(Shape shape);
    platform::PreparedStatement& statement(Shape shape);

    platform::Connection& connection_;
    std::array<std::unique_ptr<platform::PreparedStatement>, kShapes> statements_;
};

namespace engine {

inline const QString kOn = QStringLiteral("开启");
inline const QString kBaseQuantityMode = QStringLiteral("基本用量模式");
inline const QString kPropertyFee = QStringLiteral("物业");
inline const QString kMixedUse = QStringLiteral("混合用水");
inline const QString kLineBreak = QStringLiteral("\r\n");

// A value that can reach the database: a non-finite number (only a fault could make one) is 0.
inline double finite(double value) { return std::isfinite(value) ? value : 0.0; }

// A quantity reduction is a whole number: the fraction is dropped.
inline qint64 whole(double value) { return static_cast<qint64>(std::trunc(finite(value))); }

// The reading columns the engine reads.
struct Reading {
    QString number;  // 户号, half-width
    double usage = 0;
    double loss = 0;
    QDate date;
    QString category;
    QString fee_item;
    qint64 id = 0;
    double price = 0;
    QString reader;
};

QString reduction_type_of(platform::Connection& connection, const QString& number);

struct PricedReading {
    qint64 id = 0;
    double quantity = 0;
    double unit_price = 0;
};

// Steps up to the bill's charges: what generate_household_charges computes before it looks at
// reductions by amount, carry-over and balance.
struct HouseholdCharges {
    bool any = false;                     // readings found
    std::vector<PricedReading> readings;  // in 编号 order
    double readings_charge = 0;           // T from the readings alone
    double quantity = 0;                  // Q
    double surcharges = 0;                // S
    double parking = 0;
    double billed = 0;                    // 应收
    qint64 quantity_reduction = 0;        // R0
    QString reduction_type;
    std::vector<SurchargeLine> lines;     // queued; 收据号 filled in when the bill is numbered
    QString category;                     // the bill's 价格类别
    QString fee_item;                     // last reading's
    QString reader;
    QDate date;
    bool read_failed = false;
    QString error;
};

// Prices the household's unbilled readings of the fee item, reading the reduction type unless
// the caller knows it, and the tiers and surcharges through the run's price book when there is
// one. Writes nothing.
HouseholdCharges price_household(platform::Connection& connection, const QString& household,
                                 const FeeItemSwitches& item, const QDate& today,
                                 bool with_quantity_reduction = true,
                                 const QString* known_reduction_type = nullptr,
                                 PriceBook* book = nullptr);

// Marks the outcome failed with the database's text of the write that failed.
inline void write_failed(platform::Connection& connection, ChargeOutcome& out) {
    out.result = 0;
    out.error = platform::db_last_error(connection);
}

// Marks the outcome of a bill whose writes could not be committed: nothing was written, and the
// database's text is the message.
inline void commit_failed(platform::Connection& connection, ChargeOutcome& out) {
    write_failed(connection, out);
    out.bill_written = false;
    out.bill_case = 0;
    out.messages.push_back(plain_message(out.error));
}

// One household's bill. With `own_savepoint` its writes are all or nothing by themselves;
// without, the caller's savepoint guards them and must be rolled back when the outcome is not
// ok (a failed write may leave the writes before it). With carry-over on, the bill carries in
// `carry_in` when given, in place of the household's latest bill's carry-over.
ChargeOutcome charge_household(platform::Connection& connection, const QString& household,
                               const FeeItemSwitches& item, const shell::RunContext& run,
                               bool own_savepoint, BillWrites& writes, PriceBook* book = nullptr,
                               std::optional<double> carry_in = std::nullopt);

}  // namespace engine
}  // namespace tariffs
