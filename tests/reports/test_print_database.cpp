// The print database a charge or prepayment receipt is printed from, row by row and column by
// column, for payments put straight into the tables.
#include <gtest/gtest.h>

#include "receipt_fixture.h"
#include "reports/print_database.h"
#include "tariffs/bills.h"

namespace reports_test {
namespace {

using reports::build_charge_receipt;
using reports::build_prepay_receipt;

const QString kMeterColumns =
    s("select 起数,止数,用量,倍率,损耗,基本度数,实收,价格,金额,抄表日期,收费项目,价格类别 from "
      "电表信息");

TEST(ReceiptNumbers, FirstOneBecomesTheNumeroSignAndBack) {
    struct Case {
        qint64 number;
        const char* shown;
    };
    for (const Case& c :
         {Case{1000000001, "№000000001"}, Case{2100, "2№00"}, Case{2000, "2000"}, Case{11, "№1"}}) {
        EXPECT_EQ(tariffs::serial_display_text(c.number), s(c.shown));
        EXPECT_EQ(tariffs::serial_from_display_text(s(c.shown)), c.number);
    }
    EXPECT_EQ(tariffs::serial_from_display_text(s("abc")), 0);
}

TEST(ReceiptNumbers, TierNamesAndHalfWidth) {
    EXPECT_EQ(reports::plain_chinese_numeral(2), s("二"));
    EXPECT_EQ(reports::plain_chinese_numeral(10), s("十"));
    EXPECT_EQ(reports::plain_chinese_numeral(12), s("十二"));
    EXPECT_EQ(reports::plain_chinese_numeral(21), s("二十一"));
    EXPECT_EQ(reports::to_half_width(s("０００１Ａ　")), s("0001A "));
}

TEST_F(ReceiptTest, PaymentOverTwoBillsFillsBothTablesColumnByColumn) {
    add_two_bill_payment();
    const reports::ReceiptBuild build = build_charge_receipt(store::main_connection(), kSerial);
    EXPECT_TRUE(build.messages.empty()) << build.messages.front().text.toStdString();

    const QList<QStringList> lines = print_rows(kMeterColumns);
    const QList<QStringList> expected = {
        // Reading lines at today's 水价类别 price (2.50, not the 9.99 stored with the reading),
        // each less its share 2 of the reduction of 5 over two readings.
        {"100", "120", "20", "1", "0", "-2", "18", "2.5", "45", "2024-2-20", s("水费"),
         s("居民水")},
        {"80", "100", "20", "1", "1", "-2", "19", "2.5", "47.5", "2024-1-20", s("水费"),
         s("居民水")},
        // The meter went round: 200 + 10000 - 9950. Tiers 100 / 100 / 50.
        {"9950", "200", "250", "10", "0", "0", "100", "0.5", "50", "2024-2-21", s("电费"),
         s("居民电")},
        {"", "", "", "", "", "", "100", "0.6", "60", "", s("第二阶梯"), ""},
        {"", "", "", "", "", "", "50", "0.8", "40", "", s("第三阶梯"), ""},
        // Surcharges once per bill, though bill 501 has two readings.
        {s("污水处理费"), "", "", "", "", "", "39", "0.8", "31.2", "", s("水费"), s("居民水")},
        {s("水资源费"), "", "", "", "", "", "39", "0.2", "7.8", "", s("水费"), s("居民水")},
        {s("电力附加"), "", "", "", "", "", "250", "0.02", "5", "", s("电费"), s("居民电")},
    };
    ASSERT_EQ(lines.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;

    const QList<QStringList> head = print_rows(
        s("select "
          "户号,用户名,居住街道,详细地址,磁卡号码,系统流水,缴费性质,收费日期,上期结余,本期结余,"
          "应收金额,"
          "实收金额,预存扣款,减免金额,滞纳金,减免用量,收费人员,实收大写,发票号 from 用户信息"));
    ASSERT_EQ(head.size(), 1);
    EXPECT_EQ(head[0],
              (QStringList{"0001", s("张三"), s("东区"), s("1号楼101"), "C001", s("№000000001"),
                           s("现金缴费"), s("2024年3月5日"), "0.3", "0.45", "286.5", "273", "5",
                           "10", "1.5", "5", s("李会计"), s("贰佰柒拾叁元整"), "FP001"}));
}

TEST_F(ReceiptTest, EachReceiptStartsFromTheEmptyShippedFile) {
    add_two_bill_payment();
    build_charge_receipt(store::main_connection(), kSerial);
    build_charge_receipt(store::main_connection(), kSerial);
    EXPECT_EQ(print_rows(s("select * from 用户信息")).size(), 1);
    EXPECT_EQ(print_rows(kMeterColumns).size(), 8);
}

TEST_F(ReceiptTest, BaseQuantityTopsUpAShortUsage) {
    exec(s("update 收费项目 set 计费模式='基本用量模式' where 项目名称='水费'"));
    exec(s("update 水价类别 set 基本方=30 where 水价类别='居民水'"));
    add_reading(
        {"000101", "0001", 100, 120, 20, 0, "2024-02-20", s("水费"), s("居民水"), 601, 1000000002});
    add_bill({"0001", 601, 1000000002, s("水费"), s("居民水"), 75, 0, 0, 0, 0, 0, 75, 0, 0});
    build_charge_receipt(store::main_connection(), 1000000002);
    QList<QStringList> lines = print_rows(kMeterColumns);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].mid(5, 4), (QStringList{"10", "30", "2.5", "75"}));

    // A monthly adjustment covering the reading date wins over the category's base.
    exec(
        s("insert into 基本方调整 (抄表日起,抄表日止,用水类型,基本方,收费项目) values "
          "('2024-02-01','2024-02-29','居民水',25,'水费')"));
    build_charge_receipt(store::main_connection(), 1000000002);
    lines = print_rows(kMeterColumns);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].mid(5, 4), (QStringList{"5", "25", "2.5", "62.5"}));

    // A master-meter household multiplies the base by its active meter accounts; with none
    // active the base is 0 and the usage is billed as read.
    exec(s("update 用户信息表 set 性质=1 where 户号='0001'"));
    build_charge_receipt(store::main_connection(), 1000000002);
    EXPECT_EQ(print_rows(kMeterColumns)[0].mid(5, 2),
              (QStringList{"30", "50"}));  // 2 accounts x 25
    exec(s("update 用户表管理 set 状态='报停' where 父号='0001'"));
    build_charge_receipt(store::main_connection(), 1000000002);
    EXPECT_EQ(print_rows(kMeterColumns)[0].mid(5, 2), (QStringList{"0", "20"}));
}

// One category name under two fee items, each with its own base: the receipt prints the base
// of the bill's fee item, as the engine billed it, and a monthly window of the other fee item
// does not apply.
TEST_F(ReceiptTest, BaseQuantityIsTheBillsFeeItems) {
    exec(s("update 收费项目 set 计费模式='基本用量模式' where 项目名称 in ('水费','电费')"));
    exec(s("update 收费项目 set 阶梯收费='关闭' where 项目名称='电费'"));
    exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
           "(4,'居民','电费',0.5,120,0)"));
    exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values "
           "(5,'居民','水费',2,8,0)"));
    add_reading(
        {"000101", "0001", 100, 103, 3, 0, "2024-02-20", s("水费"), s("居民"), 801, 1000000004});
    add_bill({"0001", 801, 1000000004, s("水费"), s("居民"), 16, 0, 0, 0, 0, 0, 16, 0, 0});
    const auto printed = [&] {
        build_charge_receipt(store::main_connection(), 1000000004);
        const QList<QStringList> lines = print_rows(kMeterColumns);
        return lines.size() == 1 ? lines[0].mid(5, 4) : QStringList();
    };
    // 基本度数, 实收, 价格, 金额: the water base of 8 at 2.00.
    EXPECT_EQ(printed(), (QStringList{"5", "8", "2", "16"}));
    exec(s("insert into 基本方调整 (抄表日起,抄表日止,用水类型,基本方,收费项目) values "
           "('2024-02-01','2024-02-29','居民',200,'电费')"));
    EXPECT_EQ(printed(), (QStringList{"5", "8", "2", "16"}));
    exec(s("insert into 基本方调整 (抄表日起,抄表日止,用水类型,基本方,收费项目) values "
           "('2024-02-01','2024-02-29','居民',10,'水费')"));
    EXPECT_EQ(printed(), (QStringList{"7", "10", "2", "20"}));
}

TEST_F(ReceiptTest, SerialWithoutReadingsHasSumsButNoHousehold) {
    add_bill({"0001", 701, 1000000003, s("物业"), s("住宅"), 60, 0, 0, 2, 0, 0, 62, 0, 0});
    build_charge_receipt(store::main_connection(), 1000000003);
    EXPECT_TRUE(print_rows(kMeterColumns).isEmpty());
    const QList<QStringList> head = print_rows(
        s("select 户号,用户名,收费人员,上期结余,本期结余,实收金额,滞纳金,系统流水,实收大写 from "
          "用户信息"));
    ASSERT_EQ(head.size(), 1);
    EXPECT_EQ(head[0],
              (QStringList{"", "", "", "0", "0", "62", "2", s("№000000003"), s("陆拾贰元整")}));
}

TEST_F(ReceiptTest, QuotesInNamesDoNotBreakTheStatements) {
    exec(s("update 用户信息表 set 用户名='O''Neil', 详细地址='3''号' where 户号='0001'"));
    add_reading(
        {"000101", "0001", 100, 120, 20, 0, "2024-02-20", s("水费"), s("居民水"), 801, 1000000004});
    add_bill({"0001", 801, 1000000004, s("水费"), s("居民水"), 50, 0, 0, 0, 0, 0, 50, 0, 0});
    add_surcharge(801, s("污水'费"), 20, 0.5, 10, s("水费"), s("居民水"));
    const reports::ReceiptBuild build = build_charge_receipt(store::main_connection(), 1000000004);
    EXPECT_TRUE(build.messages.empty());
    EXPECT_EQ(print_rows(s("select 用户名,详细地址 from 用户信息")).value(0),
              (QStringList{"O'Neil", s("3'号")}));
    EXPECT_EQ(print_rows(s("select 起数 from 电表信息")).value(1), QStringList{s("污水'费")});
}

TEST_F(ReceiptTest, MissingShippedPrintDatabaseIsToldAndNothingIsWritten) {
    add_two_bill_payment();
    ASSERT_TRUE(platform::file_delete(path(platform::kShippedPrintDatabaseFile)));
    const reports::ReceiptBuild build = build_charge_receipt(store::main_connection(), kSerial);
    ASSERT_FALSE(build.messages.empty());
    EXPECT_TRUE(build.messages.front().text.contains("print.bak"));
    EXPECT_EQ(build.messages.front().icon, platform::MsgIcon::None);
    EXPECT_FALSE(platform::file_exists(path(platform::kPrintDatabaseFile)));
}

// ---- prepayment receipts ----

const QString kPrepayColumns =
    s("select "
      "户号,用户名,居住街道,详细地址,系统流水,缴费性质,预存日期,上期结余,本期结余,预存金额,"
      "收费人员,磁卡号码,预存大写 from 预存信息");

TEST_F(ReceiptTest, FirstPrepaymentShowsZeroBeforeAndItsAmountAfter) {
    add_prepayment(1000000005, "0002", 100, "2024-03-05", 1);
    const reports::ReceiptBuild build = build_prepay_receipt(store::main_connection(), 1000000005);
    EXPECT_TRUE(build.printable);
    EXPECT_TRUE(build.messages.empty());
    const QList<QStringList> rows = print_rows(kPrepayColumns);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0], (QStringList{"0002", s("李四"), s("西区"), s("2号楼202"), s("№000000005"),
                                    s("预存缴费"), "2024-3-5", "0", "100", "100", s("李会计"),
                                    "C002", s("壹佰元整")}));
}

TEST_F(ReceiptTest, PrepaymentBalanceCountsEveryValidPrepaymentLessWhatBillsTook) {
    struct Case {
        const char* what;
        qint64 printed;
        const char* before;
        const char* after;
        double settled_with_it = 0;
    };
    // 0001: 100 on 3-1, 50.5 on 3-5, 30 voided; bill 502 (meter-account prefix match) and a
    // bill of the household itself took 5 + 20 from the balance: 150.5 - 25 = 125.5.
    add_prepayment(1000000006, "0001", 100, "2024-03-01", 1);
    add_prepayment(1000000007, "0001", 50.5, "2024-03-05", 1);
    add_prepayment(1000000008, "0001", 30, "2024-03-05", 2);
    add_bill({"0001", 502, 1000000001, s("电费"), s("居民电"), 155, 0, 0, 0, 0, 0, 150, 5, 0});
    add_bill({"000101", 503, 1000000009, s("水费"), s("居民水"), 20, 0, 0, 0, 0, 0, 0, 20, 0});
    for (const Case& c : {Case{"the latest", 1000000007, "75", "125.5"},
                          // Printed again later: today's balance, not the one of its day.
                          Case{"an older one", 1000000006, "25.5", "125.5"},
                          // Voided: not part of the balance, still printed.
                          Case{"a voided one", 1000000008, "95.5", "125.5"},
                          // Just taken, and 20.00 of it paid 000101's bill at once: before the
                          // deposit the household had 125.5 - 50.5 + 20.
                          Case{"a new deposit that paid a bill", 1000000007, "95", "125.5", 20}}) {
        const reports::ReceiptBuild build =
            build_prepay_receipt(store::main_connection(), c.printed, c.settled_with_it);
        EXPECT_TRUE(build.printable) << c.what;
        const QList<QStringList> rows = print_rows(s("select 上期结余,本期结余 from 预存信息"));
        ASSERT_EQ(rows.size(), 1) << c.what;
        EXPECT_EQ(rows[0], (QStringList{c.before, c.after})) << c.what;
    }
    // The work table holds one merged row for the household afterwards.
    EXPECT_EQ(rows(s("select 编号,预存金额,已扣金额,结余金额 from 预存结余")),
              (QList<QStringList>{{"1000000006", "150.5", "25", "125.5"}}));
}

TEST_F(ReceiptTest, OnlyPrepaymentVoidedGivesMinusTheAmountBefore) {
    add_prepayment(1000000010, "0002", 80, "2024-03-05", 2);
    build_prepay_receipt(store::main_connection(), 1000000010);
    EXPECT_EQ(print_rows(s("select 上期结余,本期结余,预存金额,预存大写 from 预存信息")).value(0),
              (QStringList{"-80", "0", "80", s("捌拾元整")}));
}

TEST_F(ReceiptTest, PrepaymentRowThatCannotBeWrittenIsNotPrintable) {
    add_prepayment(1000000011, "0002", 80, "2024-03-05", 1);
    ASSERT_TRUE(platform::file_delete(path(platform::kShippedPrintDatabaseFile)));
    const reports::ReceiptBuild build = build_prepay_receipt(store::main_connection(), 1000000011);
    EXPECT_FALSE(build.printable);
    ASSERT_EQ(build.messages.size(), 3u);
    EXPECT_EQ(build.messages[0].icon, platform::MsgIcon::None);  // the open failed
    EXPECT_TRUE(build.messages[1].text.startsWith(s("insert into 预存信息")));
    EXPECT_EQ(build.messages[1].icon, platform::MsgIcon::None);
    EXPECT_EQ(build.messages[2].icon, platform::MsgIcon::Information);
}

}  // namespace
}  // namespace reports_test
