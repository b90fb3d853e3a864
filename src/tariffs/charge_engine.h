#pragma once
// The charge engine: turns a household's unbilled readings of one fee item into one bill
// (generate_household_charges). The month's commit and the billing again after a reading
// correction both bill through it, household by household in a bill run, so a corrected reading
// is billed by the same rules as one that was right in the first place.
//
// Each run writes its bill, the bill's surcharge lines, the billing marks of its readings and
// its reduction record in one transaction (a savepoint inside the caller's): a failure leaves
// nothing of that bill behind and hands back the database's text. Surcharge lines are written
// only with a bill, just before it.
#include <QDate>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/db.h"
#include "shell/run_context.h"
#include "tariffs/bills.h"

namespace platform {
struct Connection;
}

namespace tariffs {

// The fee item's stored switches, as 收费项目 holds them.
struct FeeItemSwitches {
    QString zero_usage;    // 收零用量: "开启" or "关闭"
    QString billing_mode;  // 计费模式: "实际用量模式" or "基本用量模式"
    QString fee_item;      // 项目名称
    QString tiered;        // 阶梯收费: "开启" or "关闭"
};

// Reads the switches of a fee item from 收费项目; empty texts when it has no row.
FeeItemSwitches fee_item_switches(platform::Connection& connection, const QString& fee_item);

struct ChargeOutcome {
    // 1 when the run ended normally, with or without a bill; 0 when a write failed (then
    // nothing of the bill was kept). The monthly commit stops billing the fee item on 0.
    int result = 1;
    bool bill_written = false;
    // 'a' paid from carry-over, 'b' unpaid, 'c' paid from the balance, 'd' paid from the
    // balance after rounding to nothing; 0 without a bill.
    char bill_case = 0;
    qint64 bill_number = 0;     // 收据号 of the bill written
    qint64 payment_serial = 0;  // 流水号 when it was born paid
    QString error;              // the database's text of a failed write
    Messages messages;          // what to show, in order
    bool ok() const { return result == 1; }
};

// Bills the unbilled readings (是否收费 0) of the household (父号) for the fee item. Takes the
// carry-over switch and the rounding rule from the run's parameters, the bill's day from its
// date.
ChargeOutcome generate_household_charges(platform::Connection& connection, const QString& household,
                                         const QString& zero_usage, const QString& billing_mode,
                                         const QString& fee_item, const QString& tiered,
                                         const shell::RunContext& run);
ChargeOutcome generate_household_charges(platform::Connection& connection, const QString& household,
                                         const FeeItemSwitches& item, const shell::RunContext& run);

// Bills one fee item for many households in the caller's transaction, as the month's commit
// does: each household's outcome is that of generate_household_charges, its bill all or
// nothing, the households before a failing one billed, none after it. The households are
// written in batches under one savepoint each rather than one savepoint per bill (SQLCipher
// journals an encrypted copy of every page a savepoint guards, which would cost more than the
// bill); a failing batch is rolled back and billed again household by household.
class BillRun {
public:
    // Told each household's outcome, in order: a billed household's once its batch was kept
    // (some households later, at the latest by finish()), a failing household's (nothing of
    // its bill kept) right after those before it.
    using Billed = std::function<void(const ChargeOutcome&)>;

    BillRun(platform::Connection& connection, const FeeItemSwitches& item, Billed billed,
            const shell::RunContext& run, size_t batch_households = 256);
    ~BillRun();  // finishes the run
    BillRun(const BillRun&) = delete;
    BillRun& operator=(const BillRun&) = delete;

    // Bills a household. Its outcome is told once its batch went in (the bills of a batch are
    // kept together), a failing household's at once. False once a household failed: no later
    // household is billed, and the caller stops adding.
    bool add(const QString& household);
    // With carry-over on, the household's bill of this run carries in `carry` in place of the
    // carry-over of its latest bill: a bill billed again takes what the bill before it left,
    // where a later bill may by now be the household's latest.
    void carry_in_for(const QString& household, double carry);
    // Keeps what is pending and tells its outcomes; false when a household failed.
    bool finish();

private:
    struct Pending {
        QString household;
        ChargeOutcome outcome;
    };
    bool flush();
    std::optional<double> carry_in_of(const QString& household) const;
    bool alone(const QString& household);
    bool replay(const QString& failing);

    platform::Connection& connection_;
    FeeItemSwitches item_;
    Billed billed_;
    shell::RunContext run_;
    size_t batch_households_;
    std::unique_ptr<struct PriceBook> prices_;      // read once per run
    std::unique_ptr<class BillWrites> writes_;      // prepared once per run
    std::unique_ptr<platform::Transaction> batch_;  // the savepoint of the batch under way
    std::vector<Pending> pending_;                  // billed in it, not yet told
    QHash<QString, double> carry_ins_;              // carry_in_for, by household
    bool failed_ = false;
    bool finished_ = false;
};

// What generate_household_charges would charge for the household's unbilled readings of one
// fee item, without writing anything: the bill's charges before any reduction, carry-over and
// balance (应收), its billable quantity (before a quantity reduction) and the readings. The
// reduction pass builds its input records from this.
struct PricedReadings {
    std::vector<qint64> reading_ids;
    double amount = 0;    // 应收
    double quantity = 0;  // billable quantity (Q)
};
PricedReadings price_household_readings(platform::Connection& connection, const QString& household,
                                        const FeeItemSwitches& item, const QDate& today);

}  // namespace tariffs
