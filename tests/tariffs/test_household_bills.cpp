// Which bills belong to a household: its own number and its meter accounts' numbers, exactly.
#include "engine_fixture.h"
#include "tariffs/household_bills.h"

namespace tariffs_test {
namespace {

class HouseholdBills : public EngineTest {
public:
    void SetUp() override {
        EngineTest::SetUp();
        for (const char* h : {"0001", "00011", "0002"})
            exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道) values (") + q(s(h)) +
                 s(",'0','x',") + q(s(h[3] == '2' ? "南街" : "北街")) + u')');
        // 0001 has two meter accounts; 00011 (another household) has one whose number begins
        // with 0001 too.
        for (const auto& [meter, parent] : std::vector<std::pair<const char*, const char*>>{
                 {"000101", "0001"}, {"000102", "0001"}, {"0001101", "00011"}, {"000201", "0002"}})
            exec(s("insert into 用户表管理 (户号,父号,收费项目) values (") + q(s(meter)) + u',' +
                 q(s(parent)) + s(",'水费')"));
        qint64 receipt = 1;
        for (const char* number : {"0001", "000101", "000102", "00011", "0001101", "000201",
                                   "00010", "0002"})
            earlier_bill(number, receipt++, 0);
    }
    QStringList numbers(const QString& where) {
        QStringList out;
        for (const QStringList& row :
             rows(s("select 户号 from 总收费 where ") + where + s(" order by 收据号")))
            out << row[0];
        return out;
    }
};

TEST_F(HouseholdBills, OwnNumberAndMeterAccountsExactly) {
    struct Case {
        const char* household;
        QStringList expected;
    };
    for (const Case& c : {Case{"0001", {"0001", "000101", "000102"}},
                          Case{"00011", {"00011", "0001101"}},
                          Case{"0002", {"000201", "0002"}},
                          Case{"000", {}},
                          Case{"it's", {}}}) {
        SCOPED_TRACE(c.household);
        EXPECT_EQ(numbers(tariffs::household_bills_condition(s(c.household))), c.expected);
    }
}

TEST_F(HouseholdBills, HouseholdsOfAStreetAndEachBillsHousehold) {
    EXPECT_EQ(numbers(tariffs::households_bills_condition(
                  s("select 户号 from 用户信息表 where 居住街道='北街'"))),
              (QStringList{"0001", "000101", "000102", "00011", "0001101"}));
    // Grouping by the household a bill belongs to: "00010" belongs to no household, so it
    // stands for itself and joins no street.
    const auto grouped = rows(
        s("select h.居住街道, count(*) from 总收费 b join 用户信息表 h on h.户号=") +
        tariffs::bill_household_expression(s("b.户号")) +
        s(" group by h.居住街道 order by h.居住街道"));
    ASSERT_EQ(grouped.size(), 2);
    EXPECT_EQ(grouped[0], (QStringList{s("北街"), s("5")}));
    EXPECT_EQ(grouped[1], (QStringList{s("南街"), s("2")}));
}

TEST_F(HouseholdBills, AccountNumbersOwnFirst) {
    bool ok = false;
    EXPECT_EQ(tariffs::household_account_numbers(db(), s("0001"), &ok),
              (QStringList{"0001", "000101", "000102"}));
    EXPECT_TRUE(ok);
    EXPECT_EQ(tariffs::household_account_numbers(db(), s("0003"), &ok), QStringList{"0003"});
}

}  // namespace
}  // namespace tariffs_test
