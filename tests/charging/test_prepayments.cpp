// Prepayments without a window: the form's refusals in order, the stored row column by column,
// receipt numbers that never come back, the settlement that follows a new prepayment, changes,
// the owner rule, voids, and the statements and rows of the 预存明细 list.
#include <algorithm>

#include "charging/prepayment_queries.h"
#include "charging/prepayments.h"
#include "charging_fixture.h"
#include "tariffs/bills.h"

namespace charging_test {
namespace {

class Prepayments : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        params.payment_serial_digits = 6;
        shell::system_parameters = params;
        household("0001", "甲", "东区", "1号楼", "C1");
        household("0002", "乙", "西区", "2号楼", "C2");
    }
    charging::PrepaymentForm form(const char* household, const char* amount,
                                  const char* collector = "李四") {
        return {s(household), s(collector), s(amount), QDate(2024, 3, 18), s("甲")};
    }
    QStringList texts(const charging::Messages& messages) {
        QStringList out;
        for (const auto& m : messages) out << m.text;
        return out;
    }
    QStringList stored() {
        QStringList out;
        for (const QStringList& r :
             rows(s("select 收据号,户号,预存金额,预存日期,收费人员,发票号,标志,"
                    "抄表户号 from 预存明细 order by 收据号")))
            out << r.join(u' ');
        return out;
    }
};

TEST_F(Prepayments, FormRefusalsInOrder) {
    using F = charging::PrepayField;
    struct Case {
        charging::PrepaymentForm form;
        const char* message;
        F focus;
    } cases[] = {
        {form("  ", "10"), "请输入用户号！", F::Household},
        {form("0001", "10", ""), "请选择收费人员！", F::Collector},
        {form("0001", "0"), "预存金额不能小于等于零！", F::Amount},
        {form("0001", "-5"), "预存金额不能小于等于零！", F::Amount},
        {form("0001", "abc"), "预存金额不能小于等于零！", F::Amount},
        {form("0001", "0.00000001"), "预存金额不能小于等于零！", F::Amount},
        // The whole box, not the number it begins with.
        {form("0001", "1,000.50"), "预存金额不能小于等于零！", F::Amount},
        {form("0001", "12abc"), "预存金额不能小于等于零！", F::Amount},
        {form("0001", "1e308"), "预存金额不能小于等于零！", F::Amount},
        {form("0001", "10.456"), "预存金额不能小于等于零！", F::Amount},
        {form("0001", "1000000000"), "预存金额不能小于等于零！", F::Amount},
        {form("9999", "10"), "无此用户！", F::Household},
        {form("0001' or '1'='1", "10"), "无此用户！", F::Household},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const charging::PrepaymentOutcome out =
            charging::take_prepayment(db(), c.form, QString(), context());
        EXPECT_FALSE(out.done);
        EXPECT_EQ(texts(out.messages), QStringList{s(c.message)});
        EXPECT_EQ(out.focus, c.focus);
    }
    EXPECT_EQ(count(s("select count(*) from 预存明细")), 0);
}

TEST_F(Prepayments, ANewPrepaymentIsStoredLoggedAndPaysTheBills) {
    params.invoice_management = s("开启");
    bill("0001", 11, 30, 30);
    bill("0001", 12, 50, 50);
    const charging::PrepaymentOutcome out =
        charging::take_prepayment(db(), form(" 0001 ", "40.5"), s("00012"), context());
    ASSERT_TRUE(out.done);
    EXPECT_EQ(texts(out.messages), QStringList{s("添加成功！")});
    EXPECT_EQ(out.receipt, 1000000001);
    EXPECT_EQ(stored(), QStringList{s("1000000001 0001 40.5 2024-03-18 李四 00012 1 ")});
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='预存添加'")),
              s("添加预存户号：0001 用户姓名：甲 预存金额：40.5元。"));
    // 40.5 covers the 30 bill, not the 50 one.
    ASSERT_EQ(out.settlement.settled.size(), 1u);
    EXPECT_EQ(
        rows(s("select 收据号,收费标志,预存扣款,收费人员,流水号 from 总收费 order by 收据号")),
        (QList<QStringList>{{s("11"), s("0"), s("30"), s("预存扣款"), s("1000001")},
                            {s("12"), s("1"), s("0"), s("未知"), s("")}}));
}

TEST_F(Prepayments, ReceiptNumbersNeverComeBack) {
    EXPECT_EQ(charging::next_prepayment_receipt_number(db()), 1000000001);
    charging::take_prepayment(db(), form("0001", "10"), QString(), context());
    charging::take_prepayment(db(), form("0002", "20"), QString(), context());
    const auto voided = charging::void_prepayment(db(), 1000000002, s("№000000002"), context());
    EXPECT_TRUE(voided.done);
    EXPECT_EQ(charging::take_prepayment(db(), form("0001", "5"), QString(), context()).receipt,
              1000000003);
    EXPECT_EQ(count(s("select count(*) from 预存明细 where 标志=2")), 1);
}

TEST_F(Prepayments, AFailedInsertStoresNothingAndSaysWhy) {
    exec(
        s("create trigger 坏 before insert on 预存明细 begin select raise(abort,'disk full'); "
          "end"));
    bill("0001", 11, 1, 1);
    const charging::PrepaymentOutcome out =
        charging::take_prepayment(db(), form("0001", "10"), QString(), context());
    EXPECT_FALSE(out.done);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_TRUE(out.messages[0].plain);
    EXPECT_TRUE(out.messages[0].text.contains(s("disk full")));
    EXPECT_EQ(count(s("select count(*) from 日志管理 where 当前项目='预存添加'")), 0);
    EXPECT_EQ(value(s("select 收费标志 from 总收费")), s("1"));
}

// Without invoice management a deposit has no invoice, whatever number another window left.
TEST_F(Prepayments, WithoutInvoiceManagementTheInvoiceIsEmpty) {
    params.invoice_management = s("关闭");
    ASSERT_TRUE(charging::take_prepayment(db(), form("0001", "10"), s("00012"), context()).done);
    EXPECT_EQ(value(s("select 发票号 from 预存明细")), s(""));
}

// The deposit and the bills it pays go together: a settlement that fails stores no deposit.
TEST_F(Prepayments, AFailedSettlementStoresNothing) {
    bill("0001", 11, 10, 10);
    fail_readings_of(11);
    const charging::PrepaymentOutcome out =
        charging::take_prepayment(db(), form("0001", "10"), QString(), context());
    EXPECT_FALSE(out.done);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_TRUE(out.messages[0].text.contains(s("boom")));
    EXPECT_TRUE(out.settlement.settled.empty());
    EXPECT_EQ(count(s("select count(*) from 预存明细")), 0);
    EXPECT_EQ(count(s("select count(*) from 日志管理 where 当前项目='预存添加'")), 0);
    EXPECT_EQ(value(s("select 收费标志 from 总收费")), s("1"));
}

TEST_F(Prepayments, ModifyingChangesTheRowAndSettlesNothing) {
    params.invoice_management = s("开启");
    bill("0001", 11, 30, 30);
    charging::take_prepayment(db(), form("0001", "10"), s("7"), context());
    const charging::StoredPrepayment loaded = charging::load_prepayment(db(), 1000000001);
    ASSERT_TRUE(loaded.found);
    EXPECT_EQ(loaded.amount, 10);
    EXPECT_EQ(loaded.date, QDate(2024, 3, 18));
    EXPECT_EQ(loaded.flag, 1);
    charging::PrepaymentForm changed = form("0002", "100", "王五");
    changed.date = QDate(2024, 3, 19);
    changed.name = s("乙");
    const charging::PrepaymentOutcome out =
        charging::modify_prepayment(db(), 1000000001, loaded.amount, changed, context());
    EXPECT_TRUE(out.done);
    EXPECT_EQ(texts(out.messages), QStringList{s("修改成功！")});
    EXPECT_EQ(stored(), QStringList{s("1000000001 0002 100 2024-03-19 王五 7 1 ")});
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='预存修改'")),
              s("修改预存户号：0002 用户姓名：乙 预存金额：100元 以前金额：10元。"));
    EXPECT_EQ(value(s("select 收费标志 from 总收费")), s("1"));
    // The same refusals as a new one.
    EXPECT_EQ(texts(charging::modify_prepayment(db(), 1000000001, 100, form("0002", "0"), context())
                        .messages),
              QStringList{s("预存金额不能小于等于零！")});
}

TEST_F(Prepayments, OnlyTheAdministratorOrTheCollectorMayChangeARow) {
    charging::take_prepayment(db(), form("0001", "10", "李四"), QString(), context());
    using A = charging::RowAction;
    EXPECT_EQ(charging::prepayment_owner_refusal(db(), 1000000001, s("管理员"), A::Void), s(""));
    EXPECT_EQ(charging::prepayment_owner_refusal(db(), 1000000001, s("李四"), A::Modify), s(""));
    EXPECT_EQ(charging::prepayment_owner_refusal(db(), 1000000001, s("王五"), A::Modify),
              s("只有管理员或该条记录的收费人员才能修改。"));
    EXPECT_EQ(charging::prepayment_owner_refusal(db(), 1000000001, s("王五"), A::Void),
              s("只有管理员或该条记录的收费人员才能作废。"));
    EXPECT_EQ(charging::prepayment_owner_refusal(db(), 42, s("王五"), A::Void),
              s("取收费人员失败！"));
}

TEST_F(Prepayments, AVoidKeepsTheRowAndTheBillsItPaid) {
    bill("0001", 11, 10, 10);
    charging::take_prepayment(db(), form("0001", "10"), QString(), context());
    const charging::PrepaymentVoidOutcome out =
        charging::void_prepayment(db(), 1000000001, s("№000000001"), context());
    EXPECT_TRUE(out.done);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text, s("作废预存记录收据号【№000000001】成功！"));
    EXPECT_EQ(out.messages[0].caption, s("作废成功"));
    EXPECT_EQ(value(s("select 标志 from 预存明细")), s("2"));
    EXPECT_EQ(value(s("select 收费标志 from 总收费")), s("0"));
    EXPECT_EQ(value(s("select 备注 from 日志管理 where 当前项目='预存作废'")),
              s("作废收据号：№000000001"));
    // A receipt without a row voids nothing and says so.
    const charging::PrepaymentVoidOutcome none =
        charging::void_prepayment(db(), 5, s("5"), context());
    EXPECT_FALSE(none.done);
    EXPECT_EQ(none.messages[0].caption, s("作废失败"));
}

TEST_F(Prepayments, ReceiptDisplayForm) {
    EXPECT_EQ(tariffs::serial_display_text(1000000001), s("№000000001"));
    EXPECT_EQ(tariffs::serial_display_text(2100000001), s("2№00000001"));
    EXPECT_EQ(tariffs::serial_from_display_text(s("№000000001")), 1000000001);
    EXPECT_TRUE(charging::is_receipt_cell(s("№000000001")));
    EXPECT_FALSE(charging::is_receipt_cell(s("合计：")));
}

TEST_F(Prepayments, HouseholdLookUp) {
    auto found = charging::find_prepaying_household(db(), s(" 0002 "), s("C1"));
    EXPECT_TRUE(found.found);
    EXPECT_EQ(found.name, s("乙"));  // the number wins over the card
    found = charging::find_prepaying_household(db(), s(""), s("C1"));
    EXPECT_EQ(found.number, s("0001"));
    EXPECT_EQ(found.street, s("东区"));
    EXPECT_FALSE(charging::find_prepaying_household(db(), s("00"), s("C1")).found);
}

class PrepaymentQueries : public Prepayments {};

// Each condition of the query window against rows: which prepayments it lists, in which order,
// and typed quotes kept as values. Receipts are inserted out of their order so that an order
// the statement does not give shows.
TEST_F(PrepaymentQueries, QueryWindowConditionsSelectTheirRows) {
    household("0003", "王'小", "北区");
    household("0004", "王五", "东区");
    household("00012", "丙", "南区");  // shares the first four characters with 0001
    household("0005", "王'大", "西区");
    const struct {
        qint64 receipt;
        const char *household, *day, *collector;
        int flag;
    } seeds[] = {
        {7, "0003", "2024-3-15", "李四", 1}, {2, "0003", "2024-3-10", "张三", 2},
        {6, "00012", "2024-3-1", "李四", 1}, {1, "0001", "2024-3-5", "李四", 1},
        {9, "0005", "2024-3-20", "张三", 2}, {4, "0002", "2024-3-31", "张三", 1},
        {3, "0004", "2024-2-28", "李四", 1}, {5, "0001", "2024-4-1", "张三", 2},
    };
    for (const auto& p : seeds)
        exec(s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,发票号,标志,抄表户号) "
               "values (") +
             QString::number(1000000000 + p.receipt) + u',' + q(s(p.household)) + s(",10,") +
             q(s(p.day)) + u',' + q(s(p.collector)) + s(",'',") + QString::number(p.flag) +
             s(",'')"));

    using B = charging::PrepayQueryBy;
    struct Case {
        const char* what;
        charging::PrepaymentQuery query;
        QList<int> receipts;  // in list order
        bool any_order;       // no order chosen: compared as a set
    } cases[] = {
        {"household, trimmed and exact, valid ones, by household",
         {B::Household, s(" 0001 "), {}, {}, {}, {}, {}, 1, 0},
         {1},
         false},
        {"household, every state",
         {B::Household, s("0001"), {}, {}, {}, {}, {}, 0, 0},
         {1, 5},
         true},
        {"name beginning with a quote, void ones, street descending",
         {B::Name, {}, s("王'"), {}, {}, {}, {}, 2, 5},
         {9, 2},
         false},
        {"street, receipt descending",
         {B::Street, {}, {}, s("东区"), {}, {}, {}, 0, 3},
         {5, 3, 1},
         false},
        {"collector, no state, no order",
         {B::Collector, {}, {}, {}, s("李四"), {}, {}, -1, -1},
         {1, 3, 6, 7},
         true},
        {"a collector's quote stays in the value",
         {B::Collector, {}, {}, {}, s("李四' or '1'='1"), {}, {}, 0, -1},
         {},
         true},
        {"dates, both ends included, receipt ascending",
         {B::Date, {}, {}, {}, {}, QDate(2024, 3, 1), QDate(2024, 3, 31), 0, 2},
         {1, 2, 4, 6, 7, 9},
         false},
        {"no condition, valid ones, by household",
         {B::None, {}, {}, {}, {}, {}, {}, 1, 0},
         {1, 4, 7, 3, 6},
         false},
        {"no condition, void ones, household descending",
         {B::None, {}, {}, {}, {}, {}, {}, 2, 1},
         {9, 2, 5},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const charging::PrepaymentQueryOutcome out = charging::build_prepayment_query(c.query);
        ASSERT_TRUE(out.ok);
        const charging::PrepaymentListRows list =
            charging::prepayment_list_rows(db(), out.statement);
        ASSERT_TRUE(list.opened);
        QList<int> listed;
        for (const QStringList& row : list.rows.mid(0, list.rows.size() - 1))
            listed << int(tariffs::serial_from_display_text(row.value(0)) - 1000000000);
        QList<int> expected = c.receipts;
        if (c.any_order) {
            std::sort(listed.begin(), listed.end());
            std::sort(expected.begin(), expected.end());
        }
        EXPECT_EQ(listed, expected);
    }

    const struct {
        charging::PrepaymentQuery query;
        const char* refusal;
    } refusals[] = {
        {{B::Household, s("  "), {}, {}, {}, {}, {}, 0, 0}, "待查询的户号不能为空！"},
        {{B::Name, {}, s(""), {}, {}, {}, {}, 0, 0}, "待查询的户名不能为空！"},
        {{B::Street, {}, {}, s(""), {}, {}, {}, 0, 0}, "待查询的居住街道不能为空！"},
        {{B::Collector, {}, {}, {}, s(""), {}, {}, 0, 0}, "待查询的收费人员不能为空！"},
    };
    for (const auto& r : refusals) {
        const charging::PrepaymentQueryOutcome out = charging::build_prepayment_query(r.query);
        EXPECT_FALSE(out.ok);
        EXPECT_EQ(out.refusal, s(r.refusal));
    }
}

TEST_F(PrepaymentQueries, ListRowsAndTotals) {
    exec(s("update 用户信息表 set 固定电话='555',移动电话='139' where 户号='0001'"));
    params.invoice_management = s("开启");
    charging::take_prepayment(db(), form("0001", "10.46"), s("00012"), context());
    charging::take_prepayment(db(), form("0002", "20"), QString(), context());
    charging::void_prepayment(db(), 1000000002, s("№000000002"), context());
    charging::PrepaymentQuery query;
    query.by = charging::PrepayQueryBy::None;
    query.order = 2;
    charging::PrepaymentListRows list =
        charging::prepayment_list_rows(db(), charging::build_prepayment_query(query).statement);
    ASSERT_EQ(list.rows.size(), 3);
    EXPECT_EQ(list.rows[0], (QStringList{s("№000000001"), s("0001"), s("甲"), s("C1"), s("东区"),
                                         s("1号楼"), s("555"), s("139"), s("10.46"),
                                         s("2024年3月18日"), s("李四"), s("00012"), s("正常")}));
    EXPECT_EQ(list.rows[1].value(12), s("作废"));
    EXPECT_EQ(list.rows[2].value(0), s("合计："));
    EXPECT_EQ(list.rows[2].value(8), s("30.46"));  // void rows count too
    EXPECT_EQ(list.rows[2].size(), charging::kPrepayListCells);

    // The refill after a change reads 用户表: no card and no phone columns there.
    list = charging::prepayment_list_rows(
        db(), charging::prepayments_of_day_statement(QDate(2024, 3, 18)));
    ASSERT_EQ(list.rows.size(), 3);
    EXPECT_EQ(list.rows[0].value(0), s("№000000002"));
    EXPECT_EQ(list.rows[0].value(3), s(""));
    EXPECT_EQ(list.rows[0].value(2), s("乙"));

    list = charging::prepayment_list_rows(db(), charging::prepayments_by_card_statement(s("C2")));
    EXPECT_EQ(list.rows.size(), 2);
    list = charging::prepayment_list_rows(db(),
                                          charging::prepayments_by_invoice_statement(s("00012")));
    EXPECT_EQ(list.rows.size(), 2);
    // A number typed in full-width forms is listed in half-width.
    household("００３", "丙");
    charging::take_prepayment(db(), form("００３", "1"), QString(), context());
    list = charging::prepayment_list_rows(
        db(), charging::prepayment_query_head() + s(" and 预存明细.收据号=1000000003"));
    EXPECT_EQ(list.rows[0].value(1), s("003"));

    list = charging::prepayment_list_rows(db(), s("select nonsense"));
    EXPECT_FALSE(list.opened);
    EXPECT_EQ(list.rows, (QList<QStringList>{{s("合计："), s(""), s(""), s(""), s(""), s(""), s(""),
                                              s(""), s("0.00"), s(""), s(""), s(""), s("")}}));
}

}  // namespace
}  // namespace charging_test
