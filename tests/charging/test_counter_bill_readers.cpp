// Every reader of a household's unpaid bills at the counter, the card window and in batch
// charging takes the bills keyed by the household's own number and by its meter accounts'
// numbers, and never a neighbour's whose number merely begins with the same digits.
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <functional>

#include "charging/batch_charging.h"
#include "charging/charging_bill.h"
#include "charging/charging_hooks.h"
#include "charging/charging_window.h"
#include "charging_fixture.h"
#include "ui_charging_window.h"

namespace charging_test {
namespace {

class CounterBillReaders : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        shell::current_operator = s("李四");
        household("0001", "王五", "东区", "3号楼", "C1");
        meter("0001", "000101", "张三");
        household("00011", "赵六", "西区", "5号楼", "C2");
        meter("00011", "0001101", "钱七");
        bill("000101", 7, 20, 20);    // rebilled after a correction: keyed by the meter account
        bill("0001", 8, 30, 30);      // keyed by the household
        bill("00011", 9, 40, 40);     // the neighbour's, under its own number
        bill("0001101", 10, 50, 50);  // and under its meter account
        charging::charge_receipt_printer() = [](qint64) { return true; };
    }
    std::vector<qint64> paid() {
        std::vector<qint64> out;
        for (const QString& b :
             column(s("select 收据号 from 总收费 where 收费标志=0 order by 收据号")))
            out.push_back(b.toLongLong());
        return out;
    }
    QStringList column(const QString& sql) {
        QStringList out;
        for (const QStringList& r : rows(sql)) out << r.value(0);
        return out;
    }
    template <typename Window>
    std::vector<qint64> query(Window& w, const char* key) {
        w.form()->编辑框_户号->setText(s(key));
        w.on_query_click();
        return w.bill_numbers();
    }
};

TEST_F(CounterBillReaders, OwnAndMeterAccountBillsButNeverANeighbours) {
    const struct {
        const char* reader;
        std::function<std::vector<qint64>()> bills;  // or, for the unpaid test, {count}
    } readers[] = {
        {"unpaid test",
         [&] { return std::vector<qint64>{charging::count_unpaid_bills(db(), s("0001"))}; }},
        {"bill list", [&] { return charging::load_charging_bill(db(), s("0001")).bill_numbers; }},
        {"counter window",
         [&] {
             charging::CounterChargingWindow w;
             return query(w, "0001");
         }},
        {"card window",
         [&] {
             charging::CardChargingWindow w;
             return query(w, "C1");
         }},
        {"counter payment",
         [&] {
             charging::CounterChargingWindow w;
             query(w, "0001");
             w.on_counter_charge_click();
             return paid();
         }},
        {"batch charging",
         [&] {
             charging::run_batch_charging(db(), {s("张三"), s(""), s("王收")}, context());
             return paid();
         }},
    };
    for (const auto& r : readers) {
        SCOPED_TRACE(r.reader);
        exec(s("update 总收费 set 收费标志=1,流水号=null"));
        std::vector<qint64> bills = r.bills();
        std::sort(bills.begin(), bills.end());
        const std::vector<qint64> expected = r.reader == std::string_view("unpaid test")
                                                 ? std::vector<qint64>{2}
                                                 : std::vector<qint64>{7, 8};
        EXPECT_EQ(bills, expected);
    }
    EXPECT_EQ(count(s("select count(*) from 总收费 where 收据号 in (9,10) and 流水号 is not null")),
              0);
}

}  // namespace
}  // namespace charging_test
