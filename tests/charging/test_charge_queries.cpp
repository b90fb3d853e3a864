// Charge queries without a window: the display form of serials, the statements built from the
// query window's conditions and the quick look-ups (typed quotes stay values), the paid and
// arrears rows with their totals, and the operator's own arrears work table.
#include <QSet>

#include "charging/charge_queries.h"
#include "charging/payments.h"
#include "charging_fixture.h"
#include "platform/query.h"
#include "tariffs/bills.h"

namespace charging_test {
namespace {

using charging::PaidQueryForm;
using charging::PaidQueryOutcome;

TEST(NumberDisplay, FirstOneBecomesTheSignAndBack) {
    struct Case {
        qint64 number;
        const char* shown;
    };
    const Case cases[] = {
        {1000000001, "№000000001"}, {2100001, "2№00001"}, {2, "2"}, {10000000001, "№0000000001"}};
    for (const Case& c : cases) {
        EXPECT_EQ(tariffs::serial_display_text(c.number), s(c.shown)) << c.number;
        EXPECT_EQ(tariffs::serial_from_display_text(s(c.shown)), c.number) << c.shown;
    }
    EXPECT_EQ(tariffs::serial_from_display_text(s("1000000001")), 1000000001);
    EXPECT_EQ(tariffs::serial_from_display_text(s(" №0005 ")), 10005);
    EXPECT_EQ(tariffs::serial_from_display_text(s("")), 0);
    EXPECT_EQ(tariffs::serial_from_display_text(s("№abc")), 0);
}

TEST(PaidQueryStatement, TickedEmptyConditionsRefusedInOrder) {
    using Focus = PaidQueryOutcome::Focus;
    struct Case {
        const char* label;
        PaidQueryForm form;
        const char* message;
        Focus focus;
    };
    PaidQueryForm all_empty;
    all_empty.by_collector = all_empty.by_street = all_empty.by_reader = all_empty.by_fee_item =
        true;
    PaidQueryForm street_empty = all_empty;
    street_empty.collector = s("李四");
    PaidQueryForm reader_empty = street_empty;
    reader_empty.street = s("东区");
    PaidQueryForm item_empty = reader_empty;
    item_empty.reader = s("张三");
    const Case cases[] = {
        {"collector first", all_empty, "收费人费不能为空!", Focus::Collector},
        {"then street", street_empty, "居住街道不能为空!", Focus::Street},
        {"then reader", reader_empty, "抄表人员不能为空!", Focus::Reader},
        {"then fee item", item_empty, "收费项目不能为空!", Focus::FeeItem},
    };
    for (const Case& c : cases) {
        const PaidQueryOutcome out = charging::paid_query_statement(c.form);
        EXPECT_TRUE(out.statement.isEmpty()) << c.label;
        EXPECT_EQ(out.message, s(c.message)) << c.label;
        EXPECT_EQ(out.focus, c.focus) << c.label;
    }
    PaidQueryForm unticked;  // empty values of unticked boxes do not matter
    unticked.from = QDate(2024, 3, 1);
    unticked.to = QDate(2024, 3, 31);
    const PaidQueryOutcome out = charging::paid_query_statement(unticked);
    EXPECT_FALSE(out.statement.isEmpty());
    EXPECT_TRUE(out.message.isEmpty());
}

class ChargeQueries : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        household("0001", "王五", "东'区", "3号楼", "C77");
        household("0002", "赵六", "西区", "5号楼", "C88");
        bill("0001", 101, 50, 50, 0, 0, 20, 2.5);
        bill("0001", 102, 30, 30, 0, 0, 10, 3, "电费");
        bill("0002", 201, 12.5, 12.5, 0, 0, 5, 2.5);
        bill("0002", 202, 7, 7, 0, 0, 2, 3.5);  // left unpaid
        exec(s("update 总收费 set 预存扣款=1.25 where 收据号=201"));
        const char* usage[][3] = {
            {"101", "20", "2.5"}, {"102", "10", "3"}, {"201", "5", "2.5"}, {"202", "2", "3.5"}};
        for (const auto& u : usage)
            exec(s("update 总收费 set 价格类别='居民',实收量=") + s(u[1]) + s(",价格=") + s(u[2]) +
                 s(" where 收据号=") + s(u[0]));
    }
    qint64 pay(std::vector<qint64> bills, const char* collector, const char* invoice = "",
               QDate date = QDate(2024, 3, 20)) {
        charging::PaymentRequest r;
        r.bills = std::move(bills);
        r.household = owner_of_bill(r.bills.front());
        r.collector = s(collector);
        r.date = date;
        r.invoice_number = s(invoice);
        const charging::PaymentOutcome out = charging::take_payment(db(), r, 9);
        EXPECT_TRUE(out.done);
        return out.serial;
    }
};

TEST_F(ChargeQueries, PaidRowsAndTotalsCountDistinctSerials) {
    const qint64 first = pay({101, 102}, "李四", "F-1");
    const qint64 second = pay({201}, "王'五");
    EXPECT_EQ(second, first + 1);
    PaidQueryForm f;
    f.from = QDate(2024, 3, 1);
    f.to = QDate(2024, 3, 31);
    const QList<QStringList> rows =
        charging::paid_charge_rows(db(), charging::paid_query_statement(f).statement);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], (QStringList{s("0001"), s("王五"), s("东'区"), s("50.00"), s("0.00"),
                                    s("50.00"), s("2024年3月20日"), s("№000000001"), s(""),
                                    s("李四"), s("水费"), s("F-1")}));
    EXPECT_EQ(rows[2][3], s("12.50"));
    EXPECT_EQ(rows[2][4], s("1.25"));
    EXPECT_EQ(rows[2][5], s("13.75"));
    EXPECT_EQ(rows[2][7], s("№000000002"));
    EXPECT_EQ(rows[3],
              (QStringList{s("合计"), s("发票张数:2"), s("记录数:3"), s("92.50"), s("1.25"),
                           s("93.75"), s(""), s(""), s(""), s(""), s(""), s("")}));
}

// Each ticked condition against paid bills: the bills it lists (known by their amounts) in
// serial order, then bill order; the dates bound the payment day on both ends.
TEST_F(ChargeQueries, PaidConditionsSelectTheirBillsInSerialOrder) {
    bill("0001", 103, 9, 9);
    bill("0001", 104, 8, 8);
    exec(s("update 总收费 set 抄表人员='张三' where 收据号 in (101,201)"));
    pay({201}, "王'五", "", QDate(2024, 3, 1));
    pay({101, 102}, "李四", "", QDate(2024, 3, 31));
    pay({103}, "李四", "", QDate(2024, 4, 1));
    pay({104}, "李四", "", QDate(2024, 2, 29));
    struct Case {
        const char* what;
        PaidQueryForm form;
        QStringList amounts;
    };
    PaidQueryForm dates;
    dates.from = QDate(2024, 3, 1);
    dates.to = QDate(2024, 3, 31);
    const auto with = [&](auto set) {
        PaidQueryForm f = dates;
        set(f);
        return f;
    };
    const Case cases[] = {
        {"dates only", dates, {s("12.50"), s("50.00"), s("30.00")}},
        {"collector",
         with([](PaidQueryForm& f) { f.by_collector = true, f.collector = s("李四"); }),
         {s("50.00"), s("30.00")}},
        {"street",
         with([](PaidQueryForm& f) { f.by_street = true, f.street = s("西区"); }),
         {s("12.50")}},
        {"reader",
         with([](PaidQueryForm& f) { f.by_reader = true, f.reader = s("张三"); }),
         {s("12.50"), s("50.00")}},
        {"fee item",
         with([](PaidQueryForm& f) { f.by_fee_item = true, f.fee_item = s("电费"); }),
         {s("30.00")}},
        {"reader and street",
         with([](PaidQueryForm& f) {
             f.by_reader = f.by_street = true;
             f.reader = s("张三");
             f.street = s("东'区");
         }),
         {s("50.00")}},
        {"a quote stays in the value",
         with([](PaidQueryForm& f) { f.by_fee_item = true, f.fee_item = s("水费' or '1'='1"); }),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QList<QStringList> rows =
            charging::paid_charge_rows(db(), charging::paid_query_statement(c.form).statement);
        ASSERT_FALSE(rows.isEmpty());
        QStringList amounts;
        for (const QStringList& row : rows.mid(0, rows.size() - 1)) amounts << row.value(3);
        EXPECT_EQ(amounts, c.amounts);
    }
}

TEST_F(ChargeQueries, ConditionsAndQuickLookUpsKeepTypedQuotesAsValues) {
    pay({101, 102}, "李四", "F'1");
    pay({201}, "王'五");
    const auto count_rows = [&](const QString& sql) {
        return charging::paid_charge_rows(db(), sql).size() - 1;
    };
    PaidQueryForm f;
    f.from = QDate(2024, 3, 1);
    f.to = QDate(2024, 3, 31);
    f.by_street = true;
    f.street = s("东'区");
    EXPECT_EQ(count_rows(charging::paid_query_statement(f).statement), 2);
    f.by_street = false;
    f.by_collector = true;
    f.collector = s("王'五");
    EXPECT_EQ(count_rows(charging::paid_query_statement(f).statement), 1);
    EXPECT_EQ(count_rows(charging::household_paid_statement(s(" 0001 "))), 2);
    EXPECT_EQ(count_rows(charging::card_paid_statement(s("C88"))), 1);
    EXPECT_EQ(count_rows(charging::card_paid_statement(s("x' or '1'='1"))), 0);
    EXPECT_TRUE(platform::query_exists(db(), charging::invoice_lookup_statement(s("F'1"))));
    EXPECT_EQ(count_rows(charging::invoice_paid_statement(s("F'1"))), 2);
    const qint64 serial = tariffs::serial_from_display_text(s("№000000002"));
    EXPECT_TRUE(platform::query_exists(db(), charging::serial_lookup_statement(serial)));
    EXPECT_EQ(count_rows(charging::serial_paid_statement(serial)), 1);
    // The unpaid bill is no paid row.
    EXPECT_EQ(count_rows(charging::household_paid_statement(s("0002"))), 1);
}

// 系统流水 finds a payment by the number its receipt shows, as reprinting reads it, and still by
// the stored serial typed in full (with or without its "№"), even a short one from older data.
TEST_F(ChargeQueries, TheSerialLookUpReadsTheNumberAReceiptShows) {
    pay({101}, "李四");
    pay({102}, "李四");
    exec(s("insert into 总收费 (户号,实收金额,收费日期,收费人员,流水号,发票号,标志) values "
           "('0001',1,'2024-1-5','李四',15,'',0)"));
    struct Case {
        const char* typed;
        qint64 serial;  // 0: 无效收据号
    } cases[] = {
        {"№000000002", 1000000002}, {"000000002", 1000000002}, {" №2 ", 1000000002},
        {"2", 1000000002},          {"1000000001", 1000000001}, {"№000000001", 1000000001},
        {"15", 15},                 {"№5", 15},                 {"5", 0},
        {"3", 0},                   {"abc", 0},                 {"№", 0},
        {"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(charging::paid_serial_from_text(db(), s(c.typed)), c.serial) << c.typed;
}

TEST_F(ChargeQueries, VoidRowsOfOneMonthOrAllDates) {
    exec(
        s("insert into 总收费 (户号,实收金额,收费日期,收费人员,流水号,发票号,标志) values "
          "('0001',80,'2024-2-29','李四',1000000005,'',2),"
          "('0002',12.5,'2024-3-1','李四',1000000006,'',2),"
          "('0002',3,'2024-3-31','李四',1000000007,'',2)"));
    const auto serials = [&](const QString& sql) {
        QStringList out;
        for (const QStringList& row : charging::paid_charge_rows(db(), sql)) out << row[7];
        return out;
    };
    EXPECT_EQ(serials(charging::void_rows_statement(false, 2024, 3)),
              (QStringList{s("№000000006"), s("№000000007"), s("")}));
    EXPECT_EQ(serials(charging::void_rows_statement(false, 2024, 2)),
              (QStringList{s("№000000005"), s("")}));
    EXPECT_EQ(serials(charging::void_rows_statement(true, 0, 0)).size(), 4);
    EXPECT_EQ(charging::paid_charge_rows(db(), charging::void_rows_statement(true, 0, 0)).back()[1],
              s("发票张数:3"));
}

TEST_F(ChargeQueries, ArrearsTableIsTheOperatorsOwnWithReadingsAndMeterFlag) {
    exec(s("update 用户信息表 set 性质=1 where 户号='0002'"));
    exec(s("update 用户信息表 set 固定电话='010-1',移动电话='139' where 户号='0001'"));
    exec(s("create table [T_WSFCX别人] (编号 integer)"));
    exec(s("insert into [T_WSFCX别人] values (7)"));
    charging::UnpaidQueryForm f;
    f.by_street = true;
    f.street = s("东'区");
    EXPECT_TRUE(
        charging::build_unpaid_charge_table(db(), s("李四"), charging::unpaid_query_statement(f))
            .isEmpty());
    QList<QStringList> rows =
        charging::unpaid_charge_rows(db(), charging::unpaid_list_statement(s("李四")));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], (QStringList{s("0001"), s("王五"), s("东'区"), s("3号楼"), s("010-1"),
                                    s("139"), s("100"), s("120"), s("20"), s("2.5000"), s("50.00"),
                                    s("0.00"), s(""), s("2024年3月1日"), s("水费"), s("居民")}));
    EXPECT_EQ(rows[2],
              (QStringList{s("合计："), s("2"), s(""), s(""), s(""), s(""), s(""), s(""), s("30"),
                           s(""), s("80.00"), s("0.00"), s(""), s(""), s(""), s("")}));

    // Run again, for every street: the table is replaced, not added to.
    charging::build_unpaid_charge_table(db(), s("李四"), charging::unpaid_query_statement({}));
    rows = charging::unpaid_charge_rows(db(), charging::unpaid_list_statement(s("李四")));
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(rows[2][6], s("--"));  // several meters: no single start reading
    EXPECT_EQ(rows[2][7], s("--"));
    EXPECT_EQ(rows[4][11], s("1.25"));
    EXPECT_EQ(value(s("select 编号 from [T_WSFCX别人]")), s("7"));
}

TEST_F(ChargeQueries, ArrearsStepsReportEachFailureAndGoOn) {
    // An insert that cannot run: the table is still created and listed empty.
    const platform::Messages failures =
        charging::build_unpaid_charge_table(db(), s("李四"), s("select nothing from nowhere"));
    ASSERT_EQ(failures.size(), 1);
    EXPECT_EQ(failures[0].icon, platform::MsgIcon::None);
    const QList<QStringList> rows =
        charging::unpaid_charge_rows(db(), charging::unpaid_list_statement(s("李四")));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][1], s("0"));
}

// No character of an operator's name breaks the work table's statements (a bracket, a quote,
// NUL, half a surrogate pair), and each operator keeps a table of his own.
TEST_F(ChargeQueries, ArrearsTableOfAnyOperatorName) {
    EXPECT_EQ(charging::unpaid_work_table(s("李四")), s("T_WSFCX李四"));
    QString nul = s("王");
    nul += QChar(0);
    nul += s("五");
    QString half = s("赵");
    half += QChar(0xD800);
    const QString names[] = {nul, half, s("a]b[c"), s("abc"), s("a'b\"\" --"), s("王五")};
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        const platform::Messages failures =
            charging::build_unpaid_charge_table(db(), name, charging::unpaid_query_statement({}));
        EXPECT_TRUE(failures.isEmpty())
            << (failures.isEmpty() ? "" : failures[0].text.toStdString());
        const QList<QStringList> rows =
            charging::unpaid_charge_rows(db(), charging::unpaid_list_statement(name));
        ASSERT_EQ(rows.size(), 5);
        EXPECT_EQ(rows[4][0], s("合计："));
    }
    QSet<QString> tables;
    for (const QString& name : names) tables.insert(charging::unpaid_work_table(name));
    EXPECT_EQ(tables.size(), static_cast<qsizetype>(std::size(names)));
    // Emptying one operator's table leaves the others' as they were.
    exec(s("delete from [") + charging::unpaid_work_table(nul) + u']');
    EXPECT_EQ(charging::unpaid_charge_rows(db(), charging::unpaid_list_statement(nul)).size(), 1);
    EXPECT_EQ(charging::unpaid_charge_rows(db(), charging::unpaid_list_statement(s("王五"))).size(),
              5);
}

TEST_F(ChargeQueries, StatementThatCannotOpenGivesTheTotalsRowAlone) {
    const QList<QStringList> rows = charging::paid_charge_rows(db(), s("select bad from nowhere"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0][0], s("合计"));
    EXPECT_EQ(rows[0][2], s("记录数:0"));
}

}  // namespace
}  // namespace charging_test
