// The bill queries a clerk runs every day (arrears, paid bills, void rows, the quick look-ups,
// the deduction list) join each bill to the household it belongs to in a form SQLite can take
// either way round. Whichever way it takes, the rows are those of the plain join through the
// bill's household (its meter account's 父号, else its own number); and the plans read what the
// conditions name: a street's bills from its households, a period's bills from its days, never
// every bill of the history for each household.
#include "charging/charge_queries.h"
#include "charging/deduction_query.h"
#include "charging_fixture.h"
#include "tariffs/household_bills.h"

namespace charging_test {
namespace {

class BillQueryPlans : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        household("0001", "甲", "东区", "1号楼", "C1");
        household("0002", "乙", "西区", "2号楼", "C2");
        household("0003", "丙", "东区", "3号楼", "C3");
        household("A9", "丁", "东区", "4号楼", "C4");
        meter("0001", "000101", "张三");
        meter("0002", "000201", "李四");
        // A meter account of 0003 numbered like household 0002: a bill under "0002" is 0003's.
        meter("0003", "0002", "张三");
        meter("A9", "a901", "李四");
        // Receipt, number it is keyed by, amount, fee item.
        const struct {
            qint64 receipt;
            const char* number;
            double amount;
            const char* item;
        } bills[] = {
            {1, "0001", 11, "水费"},   {2, "000101", 12, "水费"}, {3, "0002", 13, "水费"},
            {4, "000201", 14, "电费"}, {5, "A901", 15, "水费"},   {6, "0003", 16, "电费"},
            {7, "9999", 17, "水费"},  // no household: listed nowhere
            {8, "0001", 18, "电费"},   {9, "000201", 19, "水费"}, {10, "0002", 20, "水费"},
            {11, "a901", 21, "电费"},  {12, "0003", 22, "水费"},
        };
        for (const auto& b : bills) {
            bill(b.number, b.receipt, b.amount, b.amount, 0, 0, 10, 1.5, b.item);
            exec(s("update 总收费 set 抄表人员=") + q(b.receipt % 2 ? s("张三") : s("李四")) +
                 s(",抄表日期='2024-3-1',收费日期='2024-3-") + QString::number(b.receipt) +
                 s("' where 收据号=") + QString::number(b.receipt));
        }
        // Receipts 7 to 12 paid by two collectors, some of it from balances; 12 is voided.
        exec(s("update 总收费 set 收费标志=0,流水号=1000000000+收据号,收费人员=(case when 收据号<10 "
               "then '李四' else '王五' end),预存扣款=(case when 收据号 in (8,10,11) then 2 else 0 "
               "end) where 收据号>=7"));
        exec(s("update 总收费 set 标志=2 where 收据号=12"));
        exec(s("update 总收费 set 预存扣款=3 where 收据号=3"));
    }

    // The statement as it was with the bill's household alone in the join.
    static QString plain_join(const QString& statement) {
        const QString plain = s("用户信息表.户号=") +
                              tariffs::bill_household_expression(s("总收费.户号"));
        QString out = statement;
        out.replace(tariffs::household_bills_join(s("用户信息表.户号"), s("总收费.户号")), plain);
        EXPECT_NE(out, statement) << "the join is not in " << statement.toStdString();
        return out;
    }

    QString plan(const QString& statement) {
        QString text;
        for (const QStringList& row : rows(s("EXPLAIN QUERY PLAN ") + statement))
            text += row.join(u' ') + u'\n';
        return text;
    }
};

TEST_F(BillQueryPlans, EveryConditionListsTheRowsOfThePlainJoin) {
    using charging::PaidQueryForm;
    using charging::UnpaidQueryForm;
    UnpaidQueryForm east;
    east.by_street = true;
    east.street = s("东区");
    UnpaidQueryForm all_unpaid = east;
    all_unpaid.by_reader = all_unpaid.by_fee_item = all_unpaid.by_reading_date = true;
    all_unpaid.reader = s("张三");
    all_unpaid.fee_item = s("水费");
    all_unpaid.from = QDate(2024, 3, 1);
    all_unpaid.to = QDate(2024, 3, 5);
    UnpaidQueryForm reader;
    reader.by_reader = true;
    reader.reader = s("李四");
    PaidQueryForm period;
    period.from = QDate(2024, 3, 1);
    period.to = QDate(2024, 3, 31);
    PaidQueryForm paid_east = period;
    paid_east.by_street = true;
    paid_east.street = s("东区");
    PaidQueryForm paid_all = paid_east;
    paid_all.by_collector = paid_all.by_reader = paid_all.by_fee_item = true;
    paid_all.collector = s("王五");
    paid_all.reader = s("李四");
    paid_all.fee_item = s("水费");
    PaidQueryForm paid_west = period;
    paid_west.by_street = true;
    paid_west.street = s("西区");
    const struct {
        const char* what;
        QString statement;
        int rows;  // of the plain join
    } cases[] = {
        {"arrears", charging::unpaid_query_statement({}), 6},
        {"arrears of a street", charging::unpaid_query_statement(east), 5},
        {"arrears by every condition", charging::unpaid_query_statement(all_unpaid), 3},
        {"arrears of a reader", charging::unpaid_query_statement(reader), 3},
        {"paid", charging::paid_query_statement(period).statement, 5},
        {"paid in a street", charging::paid_query_statement(paid_east).statement, 4},
        {"paid in the other street", charging::paid_query_statement(paid_west).statement, 1},
        {"paid by every condition", charging::paid_query_statement(paid_all).statement, 2},
        {"void rows", charging::void_rows_statement(true, 0, 0), 1},
        {"household 0002", charging::household_paid_statement(s("0002")), 1},
        {"household a9", charging::household_paid_statement(s("a9")), 1},
        {"card", charging::card_paid_statement(s("C3")), 2},
        {"card of 0002", charging::card_paid_statement(s("C2")), 1},
        {"deductions of the month",
         charging::deduction_period_statement(QDate(2024, 3, 1), QDate(2024, 3, 31)), 4},
        {"deductions of a household", charging::deduction_household_statement(s("0003")), 2},
        {"deductions by card", charging::deduction_card_statement(s("C4")), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QList<QStringList> expected = rows(plain_join(c.statement));
        EXPECT_EQ(expected.size(), c.rows);
        EXPECT_EQ(rows(c.statement), expected);
    }
}

// Each of these once read the bills of the whole history per household of the street, every
// bill in receipt order to find one month's, or every bill to find a card's.
TEST_F(BillQueryPlans, StreetsAndPeriodsAreReadThroughTheirIndexes) {
    charging::UnpaidQueryForm east;
    east.by_street = true;
    east.street = s("东区");
    charging::PaidQueryForm paid_east;
    paid_east.from = QDate(2024, 3, 1);
    paid_east.to = QDate(2024, 3, 31);
    paid_east.by_street = true;
    paid_east.street = s("东区");
    const struct {
        const char* what;
        QString statement;
        const char* reads;  // the index and the terms that find the bills
    } cases[] = {
        {"arrears of a street", charging::unpaid_query_statement(east),
         "INDEX 总收费_未收金额 (户号=?)"},
        {"paid in a street", charging::paid_query_statement(paid_east).statement,
         "INDEX 总收费_户号收费日期 (户号=?"},
        {"deductions of a month",
         charging::deduction_period_statement(QDate(2024, 3, 1), QDate(2024, 3, 31)),
         "INDEX 总收费_预存扣款日期 (收费日期>? AND 收费日期<?)"},
        {"paid by card", charging::card_paid_statement(s("C3")),
         "INDEX 用户信息表_磁卡号码 (磁卡号码=?)"},
        {"deductions by card", charging::deduction_card_statement(s("C4")),
         "INDEX 用户信息表_磁卡号码 (磁卡号码=?)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString p = plan(c.statement);
        EXPECT_TRUE(p.contains(s(c.reads))) << p.toStdString();
        EXPECT_FALSE(p.contains(s("SCAN TABLE 总收费"))) << p.toStdString();
    }
}

}  // namespace
}  // namespace charging_test
