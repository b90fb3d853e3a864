// Two programs on one data file: a cashier takes counter payments while a second program runs
// batch charging, or 执行扣款 (settling bills from prepaid balances), over the same households.
// Each bill is paid exactly once, no serial is used for two households, no balance pays a bill
// the counter took, and a counter payment that lost the race is refused as changed meanwhile
// (or waited for the other run to finish) instead of paying the bills a second time. A second
// program saving reading corrections never deletes a bill the counter took, nor bills its
// readings again.
//
// The second program is this test executable again, running a PaymentRaceChild test on the
// parent's program folder.
#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <set>

#include "charging/batch_charging.h"
#include "charging/charging_bill.h"
#include "charging/payments.h"
#include "charging/prepay_settlement.h"
#include "charging_fixture.h"
#include "platform/files.h"
#include "platform/query.h"
#include "reading/monthly_commit.h"
#include "reading/reading_edit.h"

namespace charging_test {
namespace {

const char* const kRaceFolder = "FEE_RACE_FOLDER";
constexpr int kHouseholds = 40;
constexpr int kBusyMilliseconds = 10000;  // generous: CI machines may be busy

// Both programs charge with the same parameters.
void race_parameters() {
    shell::system_parameters.payment_serial_digits = 6;
    shell::system_parameters.late_fee_enabled = QStringLiteral("关闭");
    shell::system_parameters.invoice_management = QStringLiteral("关闭");
    shell::current_operator = QStringLiteral("管理员");
}

// The second program: batch charging of reader 张三's households, started by PaymentRace. Once
// it holds the write lock and is about to charge, it says "holding" and waits for the parent's
// word, so that the parent's next payment meets a batch in progress.
TEST(PaymentRaceChild, BatchCharging) {
    const QString folder = qEnvironmentVariable(kRaceFolder);
    if (folder.isEmpty()) GTEST_SKIP() << "runs only as the second program of PaymentRace";
    platform::set_program_directory_for_tests(folder);
    ASSERT_TRUE(store::open_main_database());
    sqlite3_busy_timeout(platform::db_handle(store::main_connection()), kBusyMilliseconds);
    race_parameters();
    platform::Connection& db = store::main_connection();
    charging::Messages messages;
    bool refilled = false;
    const QStringList households = charging::collect_batch_households(
        db, {QStringLiteral("张三"), QString(), QStringLiteral("王收")}, messages, {}, &refilled);
    ASSERT_TRUE(refilled);
    bool told = false;
    charging::BatchProgress progress;
    progress.step = [&told] {
        if (told) return;
        told = true;
        std::puts("holding");
        std::fflush(stdout);
        char word[8];
        if (!std::fgets(word, sizeof word, stdin)) std::puts("no word from the parent");
    };
    const charging::BatchOutcome out = charging::batch_charge_unpaid_bills(
        db, households, QStringLiteral("王收"),
        shell::run_on(QDate(2024, 3, 20), shell::system_parameters, shell::current_operator),
        progress);
    std::printf("charged %d\n", out.households_charged);
    EXPECT_FALSE(out.stopped);
    EXPECT_TRUE(told);
    store::close_main_database();
    platform::set_program_directory_for_tests(QString());
}

// The second program: 执行扣款 over every household with a balance, started by PaymentRace.
// It takes the write lock as the run would, says "holding" and waits for the parent's word,
// so that the parent's next payment meets the run in progress.
TEST(PaymentRaceChild, PrepayDeductions) {
    const QString folder = qEnvironmentVariable(kRaceFolder);
    if (folder.isEmpty()) GTEST_SKIP() << "runs only as the second program of PaymentRace";
    platform::set_program_directory_for_tests(folder);
    ASSERT_TRUE(store::open_main_database());
    sqlite3_busy_timeout(platform::db_handle(store::main_connection()), kBusyMilliseconds);
    race_parameters();
    platform::Connection& db = store::main_connection();
    {
        platform::Transaction holding(db);
        ASSERT_TRUE(holding.active());
        std::puts("holding");
        std::fflush(stdout);
        char word[8];
        if (!std::fgets(word, sizeof word, stdin)) std::puts("no word from the parent");
        const charging::DeductionRunOutcome out = charging::execute_prepay_deductions(
            db,
            shell::run_on(QDate(2024, 3, 20), shell::system_parameters, shell::current_operator));
        EXPECT_TRUE(out.run.completed);
        ASSERT_TRUE(holding.commit());
        std::printf("settled %d\n", static_cast<int>(out.run.settled.size()));
    }
    store::close_main_database();
    platform::set_program_directory_for_tests(QString());
}

// The second program: reading corrections, started by PaymentRace. It loads every committed
// reading of the households "C..." for correction (the windows open), says "holding" and waits
// for the parent's word; then saves each correction, one more unit on the end reading, in turn.
TEST(PaymentRaceChild, Corrections) {
    const QString folder = qEnvironmentVariable(kRaceFolder);
    if (folder.isEmpty()) GTEST_SKIP() << "runs only as the second program of PaymentRace";
    platform::set_program_directory_for_tests(folder);
    ASSERT_TRUE(store::open_main_database());
    sqlite3_busy_timeout(platform::db_handle(store::main_connection()), kBusyMilliseconds);
    race_parameters();
    platform::Connection& db = store::main_connection();
    std::vector<reading::EditedReading> loaded;
    for (const QString& id : platform::query_column(
             db, QStringLiteral("select 编号 from 抄表总表 where 父号 like 'C%' order by 编号")))
        loaded.push_back(reading::load_edited_reading(db, id.toLongLong()));
    std::puts("holding");
    std::fflush(stdout);
    char word[8];
    if (!std::fgets(word, sizeof word, stdin)) std::puts("no word from the parent");
    int corrected = 0, paid = 0, other = 0;
    for (const reading::EditedReading& r : loaded) {
        const reading::EditOutcome out = reading::correct_reading(
            db, r, r.start, r.end + 1, r.loss, r.date,
            shell::run_on(QDate(2024, 3, 20), shell::system_parameters, shell::current_operator));
        if (out.ok) {
            ++corrected;
        } else if (out.refused && out.message == QStringLiteral("该条抄表记录已经收费不能修改！")) {
            ++paid;
        } else {
            ++other;
            std::printf("%s\n", out.message.toUtf8().constData());
        }
    }
    std::printf("corrected %d refused %d other %d\n", corrected, paid, other);
    std::fflush(stdout);
    store::close_main_database();
    platform::set_program_directory_for_tests(QString());
}

class PaymentRace : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        race_parameters();
        std::mt19937 random(20241211);
        platform::Transaction seeding(db());
        for (int h = 0; h < kHouseholds; ++h) {
            const QByteArray number = QString::asprintf("R%03d", h).toUtf8();
            const QByteArray account = number + "01";
            household(number.constData(), "户");
            meter(number.constData(), account.constData(), "张三");
            const int bills = 1 + static_cast<int>(random() % 3);
            for (int k = 0; k < bills; ++k) {
                // Some bills keyed by the household, some by its meter account.
                const qint64 receipt = 1000 + h * 10 + k;
                bill(random() % 2 ? number.constData() : account.constData(), receipt, 10 + k,
                     10 + k);
                households_of[receipt] = QString::fromUtf8(number);
            }
            order.push_back(QString::fromUtf8(number));
        }
        ASSERT_TRUE(seeding.commit());
        std::shuffle(order.begin(), order.end(), random);
        sqlite3_busy_timeout(platform::db_handle(db()), kBusyMilliseconds);
    }

    // A counter payment of the bills the cashier saw listed for the household.
    charging::PaymentOutcome pay(const std::vector<qint64>& listed) {
        charging::PaymentRequest r;
        r.bills = listed;
        if (!listed.empty()) r.household = owner_of_bill(listed.front());
        r.collector = s("李四");
        r.date = QDate(2024, 3, 20);
        r.invoice_number = QString();
        return charging::take_payment(db(), r, 6);
    }

    // Starts the second program on this folder with the PaymentRaceChild test `child` and
    // waits until it holds the write lock; what it said goes to `said`.
    void start_second_program(QProcess& program, const char* child, QString& said) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kRaceFolder), folder());
        program.setProcessEnvironment(environment);
        program.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--gtest_filter=PaymentRaceChild.") + QString::fromLatin1(child)});
        ASSERT_TRUE(program.waitForStarted(10000));
        while (!said.contains(QStringLiteral("holding")) && program.waitForReadyRead(20000))
            said += QString::fromUtf8(program.readAllStandardOutput());
        ASSERT_TRUE(said.contains(QStringLiteral("holding"))) << said.toStdString();
    }
    // Tells the second program to go on with its run.
    static void let_go(QProcess& program) {
        program.write("go\n");
        program.waitForBytesWritten(10000);
        program.closeWriteChannel();
    }
    // Waits for the second program's end; it must have passed.
    static void wait_for_end(QProcess& program, QString& said) {
        ASSERT_TRUE(program.waitForFinished(20000));
        said += QString::fromUtf8(program.readAllStandardOutput());
        ASSERT_EQ(program.exitCode(), 0)
            << said.toStdString() << program.readAllStandardError().toStdString();
    }

    std::map<qint64, QString> households_of;  // bill -> household
    std::vector<QString> order;               // the order the cashier takes households in
};

TEST_F(PaymentRace, EachBillPaidOnceAndNoSerialTwice) {
    // The cashier looked every household up before the batch ran: these lists go stale.
    std::map<QString, std::vector<qint64>> listed;
    for (const QString& h : order) listed[h] = charging::load_charging_bill(db(), h).bill_numbers;

    std::map<QString, qint64> counter_serials;  // households the counter charged
    int refused = 0;
    const auto take = [&](const QString& h) {
        const charging::PaymentOutcome out = pay(listed[h]);
        if (out.done) {
            counter_serials[h] = out.serial;
            return;
        }
        ++refused;
        ASSERT_EQ(out.messages.size(), 1u) << h.toStdString();
        EXPECT_EQ(out.messages[0].text, charging::kPaymentChanged) << h.toStdString();
    };

    // A quarter before the second program starts: the batch must leave these alone.
    const size_t before = order.size() / 4;
    for (size_t i = 0; i < before; ++i) take(order[i]);
    ASSERT_EQ(counter_serials.size(), before);

    QProcess batch;
    QString said;
    ASSERT_NO_FATAL_FAILURE(start_second_program(batch, "BatchCharging", said));
    // The batch holds the lock: the next payment waits for it to commit, then finds its bills
    // paid; so does every later one.
    let_go(batch);
    for (size_t i = before; i < order.size(); ++i) take(order[i]);
    ASSERT_NO_FATAL_FAILURE(wait_for_end(batch, said));
    EXPECT_TRUE(said.contains(QStringLiteral("charged %1").arg(kHouseholds - before)))
        << said.toStdString();
    EXPECT_EQ(refused, static_cast<int>(order.size() - before));

    // Every bill paid once: by the counter under the serial it reported, else by the batch.
    EXPECT_EQ(count(s("select count(*) from 总收费 where 标志=1 and 收费标志<>0")), 0);
    std::map<qint64, std::set<QString>> households_of_serial;
    for (const QStringList& r : rows(s("select 收据号,流水号,收费人员 from 总收费 where 标志=1"))) {
        const QString h = households_of[r.value(0).toLongLong()];
        const qint64 serial = r.value(1).toLongLong();
        households_of_serial[serial].insert(h);
        const auto counter = counter_serials.find(h);
        if (counter != counter_serials.end()) {
            EXPECT_EQ(serial, counter->second) << r.join(u',').toStdString();
            EXPECT_EQ(r.value(2), s("李四"));
        } else {
            EXPECT_EQ(r.value(2), s("王收")) << r.join(u',').toStdString();
        }
    }
    // One serial per household, none shared.
    EXPECT_EQ(households_of_serial.size(), static_cast<size_t>(kHouseholds));
    for (const auto& [serial, households] : households_of_serial)
        EXPECT_EQ(households.size(), 1u) << serial;
    // Each reading carries its bill's serial.
    EXPECT_EQ(count(s("select count(*) from 抄表总表,总收费 where 抄表总表.收据号=总收费.收据号 "
                      "and (抄表总表.流水号 is null or 抄表总表.流水号<>总收费.流水号)")),
              0);
    EXPECT_EQ(static_cast<int>(counter_serials.size()) + refused, kHouseholds);
}

// 执行扣款 against the counter. Households with a balance for all their bills, for the first one
// only, or none; the cashier listed every household before the run and takes a quarter of them
// before it starts: the run spends no balance on those. While it runs the next payment waits;
// then a household the run settled a bill of is refused as changed meanwhile (its bills left as
// the run left them), and one it left alone is paid at the counter.
TEST_F(PaymentRace, CounterPaymentsAgainstPrepayDeductions) {
    std::map<QString, double> prepaid;  // household -> its prepayment
    {
        platform::Transaction seeding(db());
        for (int h = 0; h < kHouseholds; ++h) {
            if (h % 3 == 2) continue;
            const QString number = QString::asprintf("R%03d", h);
            prepaid[number] = h % 3 == 0 ? 100 : 10.5;  // every bill / the first (10.00) only
            exec(s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志) "
                   "values (") +
                 QString::number(5000 + h) + u',' + q(number) + u',' + n(prepaid[number]) +
                 s(",'2024-3-1','李四','',1)"));
        }
        ASSERT_TRUE(seeding.commit());
    }
    std::map<QString, std::vector<qint64>> listed;
    for (const QString& h : order) listed[h] = charging::load_charging_bill(db(), h).bill_numbers;

    std::map<QString, qint64> counter_serials;
    std::set<QString> refused;
    const auto take = [&](const QString& h) {
        const charging::PaymentOutcome out = pay(listed[h]);
        if (out.done) {
            counter_serials[h] = out.serial;
            return;
        }
        refused.insert(h);
        ASSERT_EQ(out.messages.size(), 1u) << h.toStdString();
        EXPECT_EQ(out.messages[0].text, charging::kPaymentChanged) << h.toStdString();
    };
    const size_t before = order.size() / 4;
    for (size_t i = 0; i < before; ++i) take(order[i]);
    ASSERT_EQ(counter_serials.size(), before);

    QProcess deductions;
    QString said;
    ASSERT_NO_FATAL_FAILURE(start_second_program(deductions, "PrepayDeductions", said));
    let_go(deductions);
    for (size_t i = before; i < order.size(); ++i) take(order[i]);
    ASSERT_NO_FATAL_FAILURE(wait_for_end(deductions, said));

    // Per household: the bills in receipt order, and what the run should have settled.
    std::map<QString, std::vector<qint64>> bills_of;
    for (const auto& [bill, h] : households_of) bills_of[h].push_back(bill);
    std::map<qint64, double> amount_of;
    for (const QStringList& r : rows(s("select 收据号,应收金额 from 总收费")))
        amount_of[r.value(0).toLongLong()] = r.value(1).toDouble();
    int settled_count = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        const QString& h = order[i];
        SCOPED_TRACE(h.toStdString());
        std::set<qint64> settled;  // what a balance should pay: the bills its balance covers
        if (i >= before && prepaid.count(h)) {
            double left = prepaid[h];
            for (const qint64 bill : bills_of[h]) {
                if (left - amount_of[bill] < -1e-7) break;
                left -= amount_of[bill];
                settled.insert(bill);
            }
        }
        settled_count += static_cast<int>(settled.size());
        EXPECT_EQ(refused.count(h), settled.empty() ? 0u : 1u);
        for (const qint64 bill : bills_of[h]) {
            const QStringList r = rows(s("select 收费标志,收费人员,实收金额,预存扣款,流水号 from "
                                         "总收费 where 收据号=") +
                                       QString::number(bill))
                                      .value(0);
            if (settled.count(bill)) {
                EXPECT_EQ(r.mid(0, 4), (QStringList{s("0"), s("预存扣款"), s("0"),
                                                    QString::number(amount_of[bill])}))
                    << bill;
            } else if (!settled.empty()) {
                EXPECT_EQ(r.mid(0, 2), (QStringList{s("1"), s("未知")})) << bill;  // left unpaid
            } else {
                EXPECT_EQ(r.mid(0, 2), (QStringList{s("0"), s("李四")})) << bill;
                EXPECT_EQ(r.value(4).toLongLong(), counter_serials[h]) << bill;
            }
        }
    }
    EXPECT_GT(settled_count, 0);  // the race was run: both sides paid something after the start
    EXPECT_LT(refused.size() + before, order.size());
    EXPECT_TRUE(said.contains(QStringLiteral("settled %1").arg(settled_count)))
        << said.toStdString();
    // No serial is shared by two households, and each reading carries its bill's serial.
    std::map<qint64, std::set<QString>> households_of_serial;
    for (const QStringList& r :
         rows(s("select 收据号,流水号 from 总收费 where 标志=1 and 收费标志=0")))
        households_of_serial[r.value(1).toLongLong()].insert(
            households_of[r.value(0).toLongLong()]);
    for (const auto& [serial, households] : households_of_serial)
        EXPECT_EQ(households.size(), 1u) << serial;
    EXPECT_EQ(count(s("select count(*) from 抄表总表,总收费 where 抄表总表.收据号=总收费.收据号 "
                      "and 总收费.收费标志=0 and (抄表总表.流水号 is null or "
                      "抄表总表.流水号<>总收费.流水号)")),
              0);
}

// Reading corrections against counter payments. Households C000.. each have one reading billed
// by the engine. The second program loads every reading for correction; the cashier then pays
// half of the households (their windows stay open at the other seat), and while the second
// program saves its corrections the cashier pays the other half. A correction meets a bill paid
// since its load and is refused; a payment meets a bill corrected since its listing and is
// refused as changed. So each household is either paid at the counter or corrected, never both:
// no paid bill is deleted, and no reading is billed twice.
TEST_F(PaymentRace, CorrectionsAgainstCounterPayments) {
    constexpr int kCorrected = 20;
    std::vector<QString> households;
    {
        platform::Transaction seeding(db());
        exec(
            s("insert into 水价类别 (水价类别,收费项目,价格,基本方,电损率) values "
              "('居民','水费',2.5,0,0)"));
        for (int h = 0; h < kCorrected; ++h) {
            const QString number = QString::asprintf("C%03d", h);
            household(number.toUtf8().constData(), "户");
            exec(s("insert into 用户表管理 "
                   "(户号,父号,收费项目,价格类别,抄表人员,状态,计量编号,倍率) "
                   "values (") +
                 q(number + s("01")) + u',' + q(number) + s(",'水费','居民','张三','正常','M',1)"));
            exec(s("insert into 抄表总表 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
                   "抄表人员,是否收费,价格) values (") +
                 q(number + s("01")) + u',' + q(number) +
                 s(",0,10,10,0,'2024-3-5','水费','居民','张三',0,2.5)"));
            households.push_back(number);
        }
        ASSERT_TRUE(reading::bill_unbilled_readings(db(), context()).ok());
        ASSERT_TRUE(seeding.commit());
    }
    std::map<QString, std::vector<qint64>> listed;
    for (const QString& h : households) {
        listed[h] = charging::load_charging_bill(db(), h).bill_numbers;
        ASSERT_EQ(listed[h].size(), 1u) << h.toStdString();
    }

    std::map<QString, qint64> counter_serials;
    std::set<QString> counter_refused;
    const auto take = [&](const QString& h) {
        const charging::PaymentOutcome out = pay(listed[h]);
        if (out.done) {
            counter_serials[h] = out.serial;
            return;
        }
        counter_refused.insert(h);
        ASSERT_EQ(out.messages.size(), 1u) << h.toStdString();
        EXPECT_EQ(out.messages[0].text, charging::kPaymentChanged) << h.toStdString();
    };

    QProcess corrections;
    QString said;
    ASSERT_NO_FATAL_FAILURE(start_second_program(corrections, "Corrections", said));
    // Paid while the corrections are open at the other seat: each of these saves is refused.
    const size_t half = households.size() / 2;
    for (size_t i = 0; i < half; ++i) take(households[i]);
    ASSERT_EQ(counter_serials.size(), half);
    let_go(corrections);
    for (size_t i = half; i < households.size(); ++i) take(households[i]);
    ASSERT_NO_FATAL_FAILURE(wait_for_end(corrections, said));

    // Each household paid at the counter or corrected, never both.
    const int paid = static_cast<int>(counter_serials.size());
    EXPECT_EQ(paid + static_cast<int>(counter_refused.size()), kCorrected);
    EXPECT_TRUE(said.contains(
        QStringLiteral("corrected %1 refused %2 other 0").arg(kCorrected - paid).arg(paid)))
        << said.toStdString();
    for (const QString& h : households) {
        SCOPED_TRACE(h.toStdString());
        const QList<QStringList> bills = rows(
            s("select 收据号,收费标志,流水号,应收金额 from 总收费 where 标志=1 and 户号=") + q(h));
        ASSERT_EQ(bills.size(), 1);
        const QStringList reading =
            rows(s("select 止方,是否收费,收据号,流水号 from 抄表总表 where 父号=") + q(h)).value(0);
        const auto counter = counter_serials.find(h);
        if (counter != counter_serials.end()) {
            // The paid bill stands, with the reading it was paid for.
            EXPECT_EQ(bills[0].value(0).toLongLong(), listed[h].front());
            EXPECT_EQ(bills[0].mid(1, 3),
                      (QStringList{s("0"), QString::number(counter->second), s("25")}));
            EXPECT_EQ(reading, (QStringList{s("10"), s("1"), bills[0].value(0),
                                            QString::number(counter->second)}));
        } else {
            // Corrected: one new unpaid bill of 11 units carries the reading.
            EXPECT_NE(bills[0].value(0).toLongLong(), listed[h].front());
            EXPECT_EQ(bills[0].mid(1, 3), (QStringList{s("1"), s(""), s("27.5")}));
            EXPECT_EQ(reading.mid(0, 3), (QStringList{s("11"), s("1"), bills[0].value(0)}));
        }
    }
    // Every first-half household was paid before its correction was saved.
    for (size_t i = 0; i < half; ++i) EXPECT_EQ(counter_serials.count(households[i]), 1u);
}

}  // namespace
}  // namespace charging_test
