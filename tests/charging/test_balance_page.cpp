// Prepaid balances as the 预存结余 page shows them: the per-household cells (prepayments less
// every deduction of the household and its meter accounts, the amount still due), the totals
// row, the households with an amount due, the query window's conditions, and failures that are
// reported instead of passing as a balance of 0.
#include "charging/prepay_balance_list.h"
#include "charging_fixture.h"
#include "platform/query.h"

namespace charging_test {
namespace {

class BalanceList : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        household("0001", "王五", "东区", "3号楼", "C77");
        household("0002", "赵六", "西区", "5号楼", "C88");
        household("0003", "王小", "北区", "7号楼", "C99");
        exec(s("update 用户信息表 set 固定电话='8888',移动电话='139' where 户号='0001'"));
    }
    void prepayment(const char* number, qint64 receipt, double amount, int flag = 1,
                    const char* day = "2024-3-1", const char* collector = "李四") {
        exec(s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志,抄表户号) "
               "values (") +
             QString::number(receipt) + u',' + q(s(number)) + u',' + n(amount) + u',' +
             q(s(day)) + u',' + q(s(collector)) + s(",''," ) + QString::number(flag) + s(",'')"));
    }
    // A valid bill: unpaid with `due` to collect, or paid; `prepaid` already taken from balances.
    void bill_of(const char* number, qint64 receipt, double due, double prepaid, bool unpaid) {
        bill(number, receipt, due, due);
        exec(s("update 总收费 set 预存扣款=") + n(prepaid) + s(",收费标志=") +
             QString::number(unpaid ? 1 : 0) + s(" where 收据号=") + QString::number(receipt));
    }
    QList<QStringList> list_after(const QString& insert, const QString& order) {
        const tariffs::Messages messages =
            charging::rebuild_balances_with_amounts_due(db(), insert);
        EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
        return charging::balance_list_rows(db(), charging::balance_list_statement(order));
    }
    QList<QStringList> everyone() {
        return list_after(charging::balance_shortfall_insert(), charging::kBalanceReceiptOrder);
    }
    static QStringList amounts(const QStringList& row) { return row.mid(7); }
};

TEST_F(BalanceList, CellsOfEachHouseholdAndTheTotalsRow) {
    prepayment("0001", 1000000005, 300);
    prepayment("0001", 1000000003, 200);
    prepayment("0001", 1000000009, 999, 2);  // void: never counted
    bill_of("0001", 11, 40, 40, false);      // paid from the balance
    meter("0001", "000101");
    bill_of("000101", 12, 25, 5, true);      // a meter account's bill, partly prepaid, unpaid
    bill_of("0001", 13, 60, -10, true);      // a negative deduction lowers what was taken
    exec(s("update 总收费 set 标志=2 where 收据号=13"));  // ... but only on a valid bill
    bill_of("0001", 14, 10, -3, true);
    prepayment("0002", 1000000002, 50);      // no bill at all
    prepayment("0009", 1000000001, 70);      // no 用户信息表 row: not listed
    const QList<QStringList> rows = everyone();
    ASSERT_EQ(rows.size(), 3);
    // 0002 holds the smaller receipt number (0001's rows merge under 1000000003).
    EXPECT_EQ(rows[0], (QStringList{s("0002"), s("赵六"), s("C88"), s("西区"), s("5号楼"), s(""),
                                    s(""), s("50.00"), s("0.00"), s("50.00"), s("0.00"),
                                    s("50.00")}));
    EXPECT_EQ(rows[1], (QStringList{s("0001"), s("王五"), s("C77"), s("东区"), s("3号楼"),
                                    s("8888"), s("139"), s("500.00"), s("42.00"), s("458.00"),
                                    s("35.00"), s("423.00")}));
    EXPECT_EQ(rows[2], (QStringList{s("合计："), s(""), s(""), s(""), s(""), s(""), s(""),
                                    s("550.00"), s("42.00"), s("508.00"), s("35.00"),
                                    s("473.00")}));
    EXPECT_EQ(value(s("select 编号 from 预存结余 where 户号='0001'")), s("1000000003"));
    // The amounts due found in the rebuild's own pass are those the separate pass writes.
    const QString table = s("select * from 预存结余 order by rowid");
    const QList<QStringList> together = platform::query_rows(db(), table);
    tariffs::recompute_prepay_balances(db(), charging::balance_shortfall_insert());
    EXPECT_TRUE(charging::compute_prepay_amounts_due(db()).ok);
    EXPECT_EQ(platform::query_rows(db(), table), together);
}

TEST_F(BalanceList, AVoidedPrepaymentCanLeaveANegativeBalance) {
    prepayment("0001", 1000000001, 30, 2);
    prepayment("0001", 1000000002, 20);
    bill_of("0001", 11, 50, 50, false);
    const QList<QStringList> rows = everyone();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(amounts(rows[0]),
              (QStringList{s("20.00"), s("50.00"), s("-30.00"), s("0.00"), s("-30.00")}));
}

TEST_F(BalanceList, ByHouseholdAndByCardCountOnlyThatHousehold) {
    prepayment("0001", 1000000001, 30);
    prepayment("0002", 1000000002, 20);
    bill_of("0002", 11, 8, 0, true);
    const QList<QStringList> by_number =
        list_after(charging::balance_household_insert(s("0002")), charging::kBalanceReceiptOrder);
    ASSERT_EQ(by_number.size(), 2);
    EXPECT_EQ(by_number[0][0], s("0002"));
    EXPECT_EQ(amounts(by_number[0]),
              (QStringList{s("20.00"), s("0.00"), s("20.00"), s("8.00"), s("12.00")}));
    const QList<QStringList> by_card =
        list_after(charging::balance_card_insert(s("C77")), charging::kBalanceReceiptOrder);
    ASSERT_EQ(by_card.size(), 2);
    EXPECT_EQ(by_card[0][0], s("0001"));
}

TEST_F(BalanceList, ANumberWithoutPrepaymentsOrWithAQuoteGivesOnlyZeroTotals) {
    prepayment("0001", 1000000001, 30);
    const QStringList zeros{s("合计："), s(""),     s(""),     s(""),     s(""),     s(""),
                            s(""),       s("0.00"), s("0.00"), s("0.00"), s("0.00"), s("0.00")};
    for (const char* answer : {"0002", "0001' or '1'='1", "x'"}) {
        SCOPED_TRACE(answer);
        EXPECT_EQ(list_after(charging::balance_household_insert(s(answer)),
                             charging::kBalanceReceiptOrder),
                  QList<QStringList>{zeros});
    }
    EXPECT_EQ(list_after(charging::balance_card_insert(s("C' or 1=1 or '")),
                         charging::kBalanceReceiptOrder),
              QList<QStringList>{zeros});
}

TEST_F(BalanceList, ShortfallListsOnlyHouseholdsWhoseBalanceDoesNotCoverWhatIsDue) {
    prepayment("0001", 1000000001, 1000);
    bill_of("0001", 11, 10, 0, true);  // covered many times over
    prepayment("0002", 1000000002, 5);
    bill_of("0002", 12, 40, 0, false);  // paid: nothing due
    prepayment("0003", 1000000003, 5);
    meter("0003", "000301");
    bill_of("000301", 13, 7, 0, true);  // due on a meter account, 2.00 short
    prepayment("0004", 1000000004, 7.3);
    bill_of("0004", 14, 7.3, 0, true);  // covered exactly
    const tariffs::BalanceOutcome marked = charging::mark_households_with_amounts_due(db());
    EXPECT_TRUE(marked.ok);
    EXPECT_TRUE(marked.messages.empty());
    const QList<QStringList> rows =
        charging::balance_list_rows(db(), charging::shortfall_list_statement());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][0], s("0003"));
    EXPECT_EQ(amounts(rows[0]),
              (QStringList{s("5.00"), s("0.00"), s("5.00"), s("7.00"), s("-2.00")}));
    EXPECT_EQ(rows[1][0], s("合计："));
}

TEST_F(BalanceList, AFailedWriteOfTheAmountsDueIsReportedAndTheRowsKeepTheirValues) {
    prepayment("0001", 1000000001, 30);
    prepayment("0002", 1000000002, 30);
    bill_of("0001", 11, 9, 0, true);
    bill_of("0002", 12, 4, 0, true);
    tariffs::recompute_prepay_balances(db(), charging::balance_shortfall_insert());
    exec(s("create trigger 坏 before update of 应扣金额 on 预存结余 when new.户号='0001' begin "
           "select raise(abort,'boom'); end"));
    const tariffs::BalanceOutcome out = charging::compute_prepay_amounts_due(db());
    EXPECT_FALSE(out.ok);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_TRUE(out.messages[0].text.contains(s("boom")));
    EXPECT_TRUE(out.messages[0].plain);
    // One statement for all households: none is half written.
    EXPECT_EQ(value(s("select 应扣金额 from 预存结余 where 户号='0002'")), s(""));
    EXPECT_EQ(value(s("select 应扣金额 from 预存结余 where 户号='0001'")), s(""));
}

TEST_F(BalanceList, QueryWindowConditionsSelectWhichPrepaymentsAreSummed) {
    prepayment("0001", 1000000001, 30, 1, "2024-3-1", "李四");
    prepayment("0001", 1000000002, 20, 1, "2024-3-10", "王收");
    prepayment("0002", 1000000003, 11, 1, "2024-3-5", "李四");
    prepayment("0003", 1000000004, 7, 1, "2024-3-12", "王收");
    bill_of("0001", 11, 5, 5, false);
    using By = charging::BalanceQueryBy;
    struct Case {
        By by;
        const char* text;  // the field the condition reads
        QDate from, to;
        int order;
        QStringList households;  // in list order
        QString prepaid_of_first;
    } cases[] = {
        {By::All, "", {}, {}, 1, {s("0003"), s("0002"), s("0001")}, s("7.00")},
        {By::All, "", {}, {}, 0, {s("0001"), s("0002"), s("0003")}, s("50.00")},
        {By::Household, "0002", {}, {}, 0, {s("0002")}, s("11.00")},
        {By::Household, "0002' or '1'='1", {}, {}, 0, {}, {}},
        {By::Name, "王", {}, {}, 0, {s("0001"), s("0003")}, s("50.00")},
        {By::Name, "王'", {}, {}, 0, {}, {}},
        {By::Collector, "王收", {}, {}, 0, {s("0001"), s("0003")}, s("20.00")},
        {By::Street, "西区", {}, {}, 0, {s("0002")}, s("11.00")},
        {By::Date, "", QDate(2024, 3, 2), QDate(2024, 3, 10), 0, {s("0001"), s("0002")},
         s("20.00")},
        {By::All, "", {}, {}, 3, {s("0002"), s("0003"), s("0001")}, s("11.00")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SCOPED_TRACE(static_cast<int>(c.by));
        charging::HouseholdBalanceQuery query;
        query.by = c.by;
        query.household = query.name = query.collector = query.street = s(c.text);
        query.from = c.from;
        query.to = c.to;
        query.order = c.order;
        const charging::HouseholdBalanceQueryOutcome out =
            charging::build_household_balance_query(query);
        ASSERT_TRUE(out.ok);
        const QList<QStringList> rows = list_after(out.insert_statement, out.order_clause);
        QStringList listed;
        for (int r = 0; r + 1 < rows.size(); ++r) listed << rows[r][0];
        EXPECT_EQ(listed, c.households);
        if (!c.households.isEmpty()) {
            EXPECT_EQ(rows[0][7], c.prepaid_of_first);
            // Deductions always cover all of the household's bills.
            if (rows[0][0] == s("0001")) {
                EXPECT_EQ(rows[0][8], s("5.00"));
            }
        }
    }
}

TEST_F(BalanceList, QueryWindowRefusesAnEmptyField) {
    using By = charging::BalanceQueryBy;
    const std::pair<By, const char*> cases[] = {
        {By::Household, "待查询的户号不能为空！"},
        {By::Name, "待查询的户名不能为空！"},
        {By::Collector, "待查询的收费人员不能为空！"},
        {By::Street, "待查询的街道不能为空！"},
    };
    for (const auto& [by, refusal] : cases) {
        charging::HouseholdBalanceQuery query;
        query.by = by;
        const charging::HouseholdBalanceQueryOutcome out =
            charging::build_household_balance_query(query);
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.refusal, s(refusal));
        EXPECT_TRUE(out.insert_statement.isEmpty());
    }
    charging::HouseholdBalanceQuery none;
    none.by = By::All;
    const charging::HouseholdBalanceQueryOutcome out = charging::build_household_balance_query(none);
    EXPECT_TRUE(out.ok);
    EXPECT_TRUE(out.order_clause.isEmpty());
}

}  // namespace
}  // namespace charging_test
