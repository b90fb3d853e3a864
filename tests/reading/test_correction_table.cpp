// A correction bills as the month's commit bills. Each case is committed by the month's commit,
// then its reading is corrected through the function the correction window calls:
// - to the values it already has: every bill, surcharge line, reduction record and reading is
//   what the commit wrote, column by column;
// - to new values: everything is what a commit of those values in the first place writes.
// Bill and serial numbers are compared as which row carries which number, and the dates the run
// stamps with its own day are left out: the correction runs on a later day than the commit.
#include <gtest/gtest.h>

#include <QMap>
#include <algorithm>
#include <functional>
#include <ostream>

#include "platform/query.h"
#include "reading/monthly_commit.h"
#include "reading/reading_edit.h"
#include "reading_fixture.h"

namespace reading_test {
namespace {

// Expected columns of a bill: column name and the text the database gives back.
using Columns = std::vector<std::pair<const char*, const char*>>;

// A reading's correctable values.
struct Values {
    double start = 0, end = 0, loss = 0;
    const char* date = "2024-3-1";
};

class CorrectionTable;

struct CorrectionCase {
    const char* name;
    // Seeds prices, settings and pending readings; calls target() once for the reading corrected.
    std::function<void(CorrectionTable&)> seed;
    Values before, after;
    // Figures worked out by hand for household 0001's bill of the corrected reading's fee item
    // after the commit of `before` and after a commit of `after`; empty when no bill is written.
    Columns billed, rebilled;
};

const QDate kCorrectionDay{2024, 3, 25};

class CorrectionTable : public ReadingTest, public ::testing::WithParamInterface<CorrectionCase> {
public:
    void SetUp() override {
        ReadingTest::SetUp();
        params = shell::system_parameters;
        params.personal_account = s("关闭");
        params.rounding_enabled = s("假");
        params.rounding_position = s("十分位");
        params.late_fee_enabled = s("关闭");
        params.payment_serial_digits = 9;
        add_household(s("0001"), s("甲"));
        add_household(s("0002"), s("乙"));
    }

    // --- seeding -------------------------------------------------------------------------
    void switches(const char* mode, const char* zero_usage, const char* tiered) {
        exec(s("update 收费项目 set 计费模式=") + sql_quote(s(mode)) + s(",收零用量=") +
             sql_quote(s(zero_usage)) + s(",阶梯收费=") + sql_quote(s(tiered)) +
             s(" where 项目名称='水费'"));
    }
    void price(const char* category, double value, double base = 0) {
        exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values (10,") +
             sql_quote(s(category)) + s(",'水费',") + platform::sql_number(value) + u',' +
             platform::sql_number(base) + s(",0)"));
    }
    void meter(const char* account, const char* household, const char* category = "居民",
               const char* item = "水费") {
        Meter m;
        m.number = s(account);
        m.household = s(household);
        m.category = s(category);
        m.item = s(item);
        add_meter(m);
    }
    void pending(const char* account, const char* household, const Values& v,
                 const char* category = "居民", double at = 2.5, const char* item = "水费") {
        exec(s("insert into 抄表管理 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
               "抄表人员,价格) values (") +
             sql_quote(s(account)) + u',' + sql_quote(s(household)) + u',' + num(v.start) + u',' +
             num(v.end) + u',' + num(v.end - v.start) + u',' + num(v.loss) + u',' +
             sql_quote(s(v.date)) + u',' + sql_quote(s(item)) + u',' + sql_quote(s(category)) +
             s(",'张三',") + num(at) + u')');
    }
    // The reading the case corrects, with the values of the run under way.
    void target(const char* account, const char* household, const char* category = "居民",
                double at = 2.5, const char* item = "水费") {
        target_account = s(account);
        target_item = s(item);
        pending(account, household, seeding_after ? GetParam().after : GetParam().before, category,
                at, item);
    }
    void surcharge(const char* name, double value, const char* mode,
                   const char* category = "居民") {
        exec(s("insert into 附加费 (附加费名称,价格,计费方式,水价类别,收费项目) values (") +
             sql_quote(s(name)) + u',' + num(value) + u',' + sql_quote(s(mode)) + u',' +
             sql_quote(s(category)) + s(",'水费')"));
    }
    void tier(int order, double stop, double value, const char* category = "居民") {
        exec(s("insert into 阶梯信息 (类别名称,收费项目,阶梯序号,阶梯起量,阶梯止量,类别价格) "
               "values (") +
             sql_quote(s(category)) + s(",'水费',") + QString::number(order) + s(",0,") +
             num(stop) + u',' + num(value) + u')');
    }
    void share(const char* account, const char* category, int percent) {
        exec(s("insert into 混合用水 (户号,价格类别,百分比值) values (") + sql_quote(s(account)) +
             u',' + sql_quote(s(category)) + u',' + QString::number(percent) + u')');
    }
    void reduction(const char* mode, const char* term, const char* type, double amount,
                   int quantity, int times = 0) {
        exec(s("insert into 减免设置 (户号,减免方式,减免期限,减免类型,减免金额,减免用量,减免次数) "
               "values ('0001',") +
             sql_quote(s(mode)) + u',' + sql_quote(s(term)) + u',' + sql_quote(s(type)) + u',' +
             num(amount) + u',' + QString::number(quantity) + u',' + QString::number(times) + u')');
    }
    void earlier_reduction_record() {
        exec(
            s("insert into 减免明细 (户号,减免金额,抄表ID,减免日期,收据号,减免类型) values "
              "('0001',10,'','2024-1-5',7,'按金额')"));
    }
    void prepayment(double amount) {
        exec(s("insert into 预存明细 (收据号,户号,预存金额,预存日期,收费人员,标志) values "
               "(1,'0001',") +
             num(amount) + s(",'2024-2-1','甲',1)"));
    }
    // A paid bill of February that left `carry` on the household's account.
    void earlier_bill(double carry) {
        exec(s("insert into 总收费 (户号,收据号,流水号,标志,收费标志,收费项目,价格类别,抄表日期,"
               "收费日期,应收金额,实收金额,本月接转) values ('0001',5,5,1,0,'水费','居民',"
               "'2024-2-1','2024-2-3',10,10,") +
             num(carry) + u')');
    }

    // --- the runs ------------------------------------------------------------------------
    shell::RunContext run_on(const QDate& day) const {
        return {QDateTime(day, QTime(10, 0, 0)), params, s("管理员")};
    }
    // Seeds the case with the target's values before or after the correction, plus a second
    // household the correction must leave alone, and commits the month.
    void seed_and_commit(bool after) {
        seeding_after = after;
        GetParam().seed(*this);
        meter("000201", "0002");
        pending("000201", "0002", {0, 7, 0, "2024-3-1"});
        shell::system_parameters = params;
        const reading::CommitOutcome committed = reading::commit_month(db(), run_on(kNow.date()));
        ASSERT_TRUE(committed.moved) << committed.move_error.toStdString();
        ASSERT_TRUE(committed.failed_items.isEmpty());
        ASSERT_TRUE(committed.billing_error.isEmpty()) << committed.billing_error.toStdString();
    }
    // The target's first reading (a later month's of the same meter account comes after it).
    qint64 target_id() {
        return value(s("select min(编号) from 抄表总表 where 户号=") + sql_quote(target_account))
            .toLongLong();
    }
    // Corrects the target reading as the correction window does: load it, then save.
    void correct_to(const Values& v) {
        const reading::EditedReading loaded = reading::load_edited_reading(db(), target_id());
        ASSERT_TRUE(loaded.found);
        const reading::EditOutcome outcome = reading::correct_reading(
            db(), loaded, v.start, v.end, v.loss, QDate::fromString(s(v.date), s("yyyy-M-d")),
            run_on(kCorrectionDay));
        ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
        EXPECT_EQ(outcome.message, s("修改成功！"));
    }

    // --- what is compared ----------------------------------------------------------------
    // Every bill, surcharge line, reduction record and reading, with each bill and serial number
    // replaced by the order in which it first appears: bills by household, fee item and number,
    // then the reduction records and the readings. A reading's billed quantity is compared only
    // on a bill's readings, and an unbilled reading's bill and serial numbers not at all: a
    // reading that a correction left unbilled, or that the reduction pass took, may keep those
    // of the bill it lost, and nothing reads them there. Its price is always compared: the
    // engine prices the reading by it.
    QList<QStringList> bills_and_details() {
        QMap<QString, QString> receipts, serials;
        const auto label = [](QMap<QString, QString>& seen, const QString& number, char kind) {
            if (number.isEmpty() || number == s("0")) return number;
            if (!seen.contains(number))
                seen.insert(number, QString(QChar(kind)) + QString::number(seen.size() + 1));
            return seen.value(number);
        };
        const QStringList bills = platform::query_column(db(), s("select 收据号 from 总收费"));
        QList<QStringList> out;
        out << QStringList{s("总收费")};
        for (QStringList r :
             rows(s("select 户号,收据号,流水号,发票号,标志,收费标志,收费项目,价格类别,抄表人员,"
                    "抄表日期,收费日期,收费人员,实收量,价格,水费金额,附加费金额,成本金额,差额,"
                    "应收金额,减免金额,减免用量,上月接转,本月接转,实收金额,预存扣款,滞纳金,水损 "
                    "from 总收费 order by 户号,收费项目,收据号"))) {
            r[1] = label(receipts, r[1], 'N');
            r[2] = label(serials, r[2], 'L');
            out << r;
        }
        out << QStringList{s("月附加费")};
        for (QStringList r :
             rows(s("select 户号,附加费名称,用量,价格,金额,收据号,收费标志,收费项目,"
                    "价格类别 from 月附加费 order by 户号,收据号,rowid"))) {
            r[5] = label(receipts, r[5], 'N');
            out << r;
        }
        out << QStringList{s("减免明细")};
        for (QStringList r : rows(s("select 户号,减免金额,减免用量,抄表ID,收据号,减免类型 from "
                                    "减免明细 order by 户号,编号"))) {
            r[4] = label(receipts, r[4], 'N');
            out << r;
        }
        out << QStringList{s("抄表总表")};
        for (QStringList r : rows(s("select 编号,户号,父号,起方,止方,用量,水损,抄表日期,收费项目,"
                                    "价格类别,抄表人员,是否收费,收据号,流水号,价格,实收量 from "
                                    "抄表总表 order by 编号"))) {
            const bool billed = r[11] == s("1");
            if (!billed || !bills.contains(r[12])) r[15].clear();
            r[12] = billed ? label(receipts, r[12], 'N') : QString();
            r[13] = billed ? label(serials, r[13], 'L') : QString();
            out << r;
        }
        return out;
    }

    // Household 0001's bill of the corrected reading's fee item written by a run (not the seeded
    // February bill), against the figures of the case.
    void expect_bill(const Columns& expected, const char* label) {
        const QString where =
            s(" from 总收费 where 户号='0001' and 标志=1 and 收据号>100 and 收费项目=") +
            sql_quote(target_item);
        if (expected.empty()) {
            EXPECT_EQ(count(s("select count(*)") + where), 0) << label;
            return;
        }
        ASSERT_EQ(count(s("select count(*)") + where), 1) << label;
        for (const auto& [column, text] : expected)
            EXPECT_EQ(value(s("select ") + s(column) + where).toStdString(), std::string(text))
                << label << ": " << column;
    }

    static QString num(double v) { return platform::sql_number(v); }

    shell::SystemParameters params;
    QString target_account, target_item;
    bool seeding_after = false;
};

// The rows that differ, table by table, each beside the one it should have been, so a failing
// comparison names the table, the row and the column.
std::string differences(const QList<QStringList>& expected, const QList<QStringList>& actual) {
    // Each table's heading is a row of one cell; every other row has more.
    const auto tables = [](const QList<QStringList>& all) {
        QMap<QString, QList<QStringList>> out;
        QString table;
        for (const QStringList& r : all) {
            if (r.size() == 1)
                table = r.front();
            else
                out[table] << r;
        }
        return out;
    };
    const QMap<QString, QList<QStringList>> e = tables(expected), a = tables(actual);
    std::string out;
    for (const QString& table : {s("总收费"), s("月附加费"), s("减免明细"), s("抄表总表")}) {
        const QList<QStringList> er = e.value(table), ar = a.value(table);
        for (qsizetype i = 0; i < std::max(er.size(), ar.size()); ++i) {
            if (er.value(i) == ar.value(i)) continue;
            out += table.toStdString() +
                   "\n  expected: " + er.value(i).join(s(" | ")).toStdString() +
                   "\n  actual:   " + ar.value(i).join(s(" | ")).toStdString() + "\n";
        }
    }
    return out;
}

void PrintTo(const CorrectionCase& c, std::ostream* os) { *os << c.name; }

const CorrectionCase kCarryToALaterBill = {
    "carry_over_passes_to_a_later_bill",
    [](CorrectionTable& t) {
        t.params.personal_account = s("开启");
        t.params.rounding_enabled = s("真");
        t.params.rounding_position = s("个位");
        t.earlier_bill(0.4);
        t.meter("000101", "0001");
        t.meter("000111", "0001", "照明", "电费");
        t.pending("000101", "0001", {0, 11, 0, "2024-3-1"});
        t.target("000111", "0001", "照明", 0.6, "电费");
    },
    {0, 11, 0, "2024-3-1"},
    {0, 15, 0, "2024-3-1"},
    {{"应收金额", "6.6"}, {"上月接转", "0.4"}, {"实收金额", "6"}, {"本月接转", "-0.2"}},
    {{"应收金额", "9"}, {"上月接转", "0.4"}, {"实收金额", "9"}, {"本月接转", "0.4"}}};

const CorrectionCase kCases[] = {
    // 居民 at 2.5: 12 units 30, 污水费 0.8 a unit 9.6, 垃圾费 3 a bill.
    {"plain_price_with_surcharges",
     [](CorrectionTable& t) {
         t.surcharge("污水费", 0.8, "按用量");
         t.surcharge("垃圾费", 3, "固定");
         t.meter("000101", "0001");
         t.target("000101", "0001");
     },
     {0, 12, 0, "2024-3-1"},
     {0, 20, 0, "2024-4-2"},
     {{"户号", "0001"},
      {"应收金额", "42.6"},
      {"实收金额", "42.6"},
      {"附加费金额", "12.6"},
      {"实收量", "12"},
      {"价格", "2.5"},
      {"收费标志", "1"},
      {"收费人员", "未知"}},
     {{"应收金额", "69"},
      {"实收金额", "69"},
      {"附加费金额", "19"},
      {"实收量", "20"},
      {"抄表日期", "2024-04-02"}}},
    // 3 units and a loss of 1 under a base quantity of 10: the base first, then the loss.
    {"base_quantity_then_loss",
     [](CorrectionTable& t) {
         t.switches("基本用量模式", "关闭", "关闭");
         t.price("基本", 2, 10);
         t.meter("000101", "0001", "基本");
         t.target("000101", "0001", "基本", 2);
     },
     {0, 3, 1, "2024-3-1"},
     {0, 12, 1.5, "2024-3-1"},
     {{"应收金额", "22"}, {"实收量", "11"}, {"水损", "0"}},
     {{"应收金额", "27"}, {"实收量", "13.5"}}},
    {"zero_usage_billed_at_the_base_quantity",
     [](CorrectionTable& t) {
         t.switches("基本用量模式", "开启", "关闭");
         t.price("基本", 2, 10);
         t.meter("000101", "0001", "基本");
         t.target("000101", "0001", "基本", 2);
     },
     {5, 5, 0, "2024-3-1"},
     {5, 17, 0, "2024-3-1"},
     {{"应收金额", "20"}, {"实收量", "10"}},
     {{"应收金额", "24"}, {"实收量", "12"}}},
    {"loss_is_billed",
     [](CorrectionTable& t) {
         t.meter("000101", "0001");
         t.target("000101", "0001");
     },
     {0, 10, 1.5, "2024-3-1"},
     {0, 10, 0.5, "2024-3-1"},
     {{"应收金额", "28.75"}, {"实收量", "11.5"}, {"水损", "0"}},
     {{"应收金额", "26.25"}, {"实收量", "10.5"}}},
    // Tiers up to 10 at 2, up to 20 at 3, above at 4, restarting on each reading: 15 units
    // 35 and 8 units 16; corrected to 25 units, 70.
    {"tiers_per_reading_over_two_meter_accounts",
     [](CorrectionTable& t) {
         t.switches("实际用量模式", "关闭", "开启");
         t.tier(1, 10, 2);
         t.tier(2, 20, 3);
         t.tier(3, 30, 4);
         t.meter("000101", "0001");
         t.meter("000102", "0001");
         t.target("000101", "0001");
         t.pending("000102", "0001", {0, 8, 0, "2024-3-2"});
     },
     {0, 15, 0, "2024-3-1"},
     {0, 25, 0, "2024-3-1"},
     {{"应收金额", "51"}, {"实收量", "23"}, {"价格", "2.22"}, {"抄表日期", "2024-03-02"}},
     {{"应收金额", "86"}, {"实收量", "33"}, {"价格", "2.61"}}},
    // 30% at 2 and 70% at 3: 10 units are 3 + 7, 27; 14 units are 4 + 10, 38.
    {"mixed_use_split_by_share",
     [](CorrectionTable& t) {
         t.price("混合用水", 0);
         t.price("甲类", 2);
         t.price("乙类", 3);
         t.share("000101", "甲类", 30);
         t.share("000101", "乙类", 70);
         t.meter("000101", "0001", "混合用水");
         t.target("000101", "0001", "混合用水", 0);
     },
     {0, 10, 0, "2024-3-1"},
     {0, 14, 0, "2024-3-1"},
     {{"应收金额", "27"}, {"实收量", "10"}, {"价格", "2.7"}, {"价格类别", "混合用水"}},
     {{"应收金额", "38"}, {"实收量", "14"}, {"价格", "2.71"}}},
    // The household's 5 units: 3 from the first reading, 2 from the corrected second.
    {"quantity_reduction_runs_over_the_readings",
     [](CorrectionTable& t) {
         t.reduction("部分减免", "永久", "按用量", 0, 5);
         t.meter("000101", "0001");
         t.meter("000102", "0001");
         t.pending("000101", "0001", {0, 3, 0, "2024-3-1"});
         t.target("000102", "0001");
     },
     {0, 10, 0, "2024-3-2"},
     {0, 12, 0, "2024-3-2"},
     {{"应收金额", "20"}, {"实收量", "8"}, {"减免用量", "5"}, {"实收金额", "20"}},
     {{"应收金额", "25"}, {"实收量", "10"}, {"减免用量", "5"}}},
    // The reading the reduction used up is corrected upwards: 9 − 5 leave 4 units, 10.
    {"quantity_reduction_used_up_reading_corrected",
     [](CorrectionTable& t) {
         t.reduction("部分减免", "永久", "按用量", 0, 5);
         t.meter("000101", "0001");
         t.meter("000102", "0001");
         t.target("000101", "0001");
         t.pending("000102", "0001", {0, 10, 0, "2024-3-2"});
     },
     {0, 3, 0, "2024-3-1"},
     {0, 9, 0, "2024-3-1"},
     {{"应收金额", "20"}, {"实收量", "8"}, {"减免用量", "5"}},
     {{"应收金额", "35"}, {"实收量", "14"}, {"减免用量", "5"}}},
    {"amount_reduction_permanent",
     [](CorrectionTable& t) {
         t.reduction("部分减免", "永久", "按金额", 10, 0);
         t.meter("000101", "0001");
         t.target("000101", "0001");
     },
     {0, 12, 0, "2024-3-1"},
     {0, 20, 0, "2024-3-1"},
     {{"应收金额", "30"}, {"减免金额", "10"}, {"实收金额", "20"}},
     {{"应收金额", "50"}, {"减免金额", "10"}, {"实收金额", "40"}}},
    // Granted twice, once already: the correction gives back its own grant and takes it again.
    {"amount_reduction_count_limited",
     [](CorrectionTable& t) {
         t.reduction("部分减免", "次数", "按金额", 10, 0, 2);
         t.earlier_reduction_record();
         t.meter("000101", "0001");
         t.target("000101", "0001");
     },
     {0, 12, 0, "2024-3-1"},
     {0, 20, 0, "2024-3-1"},
     {{"应收金额", "30"}, {"减免金额", "10"}, {"实收金额", "20"}},
     {{"应收金额", "50"}, {"减免金额", "10"}, {"实收金额", "40"}}},
    // 20 off a bill of 30 asks 10; corrected to 15 the reduction covers the bill, and the
    // reduction pass writes a record in place of a bill.
    {"amount_reduction_covers_the_corrected_bill",
     [](CorrectionTable& t) {
         t.reduction("部分减免", "永久", "按金额", 20, 0);
         t.meter("000101", "0001");
         t.target("000101", "0001");
     },
     {0, 12, 0, "2024-3-1"},
     {0, 6, 0, "2024-3-1"},
     {{"应收金额", "30"}, {"减免金额", "20"}, {"实收金额", "10"}},
     {}},
    // The reduction pass covers the household's readings: no bill, a reduction record.
    {"full_reduction",
     [](CorrectionTable& t) {
         t.reduction("全部减免", "永久", "按金额", 0, 0);
         t.meter("000101", "0001");
         t.target("000101", "0001");
     },
     {0, 12, 0, "2024-3-1"},
     {0, 20, 0, "2024-3-1"},
     {},
     {}},
    // Carry-over on, whole yuan: 27.5 less the 0.4 carried is 27.1, asked 27, carrying −0.1.
    {"carry_over_with_rounding",
     [](CorrectionTable& t) {
         t.params.personal_account = s("开启");
         t.params.rounding_enabled = s("真");
         t.params.rounding_position = s("个位");
         t.earlier_bill(0.4);
         t.meter("000101", "0001");
         t.target("000101", "0001");
     },
     {0, 11, 0, "2024-3-1"},
     {0, 13, 0, "2024-3-1"},
     {{"应收金额", "27.5"}, {"上月接转", "0.4"}, {"实收金额", "27"}, {"本月接转", "-0.1"}},
     {{"应收金额", "32.5"}, {"上月接转", "0.4"}, {"实收金额", "32"}, {"本月接转", "-0.1"}}},
    // 40 carried: a bill of 50 asks 10; corrected to 30 it is paid from the carry-over.
    {"carry_over_covers_the_corrected_bill",
     [](CorrectionTable& t) {
         t.params.personal_account = s("开启");
         t.earlier_bill(40);
         t.meter("000101", "0001");
         t.target("000101", "0001");
     },
     {0, 20, 0, "2024-3-1"},
     {0, 12, 0, "2024-3-1"},
     {{"应收金额", "50"},
      {"上月接转", "40"},
      {"实收金额", "10"},
      {"本月接转", "0"},
      {"收费标志", "1"}},
     {{"应收金额", "30"},
      {"上月接转", "40"},
      {"实收金额", "30"},
      {"本月接转", "10"},
      {"收费标志", "0"},
      {"收费人员", "预存扣款"}}},
    // Carry-over on, whole yuan, 0.4 carried: 电费 (billed first, corrected) 6.6 asks 6 and
    // carries −0.2 to 水费, 27.7 asking 28. Corrected to 15 units, 电费 9 − 0.4 asks 9 and
    // carries 0.4, and 水费 27.1 asks 27: the later bill is billed again after it.
    kCarryToALaterBill,
    {"prepaid_balance_short_of_the_bill",
     [](CorrectionTable& t) {
         t.prepayment(20);
         t.meter("000101", "0001");
         t.target("000101", "0001");
     },
     {0, 12, 0, "2024-3-1"},
     {0, 20, 0, "2024-3-1"},
     {{"应收金额", "30"}, {"预存扣款", "20"}, {"实收金额", "10"}, {"收费标志", "1"}},
     {{"应收金额", "50"}, {"预存扣款", "20"}, {"实收金额", "30"}}},
    // 40 prepaid: a bill of 50 asks 10; corrected to 30 it is paid from the balance.
    {"prepaid_balance_covers_the_corrected_bill",
     [](CorrectionTable& t) {
         t.prepayment(40);
         t.meter("000101", "0001");
         t.target("000101", "0001");
     },
     {0, 20, 0, "2024-3-1"},
     {0, 12, 0, "2024-3-1"},
     {{"应收金额", "50"}, {"预存扣款", "40"}, {"实收金额", "10"}, {"收费标志", "1"}},
     {{"应收金额", "30"},
      {"预存扣款", "30"},
      {"实收金额", "0"},
      {"收费标志", "0"},
      {"收费人员", "预存扣款"}}},
    // 20 prepaid: 电费 (billed first) takes 6.6 of it, 水费 the 13.4 left.
    {"prepaid_balance_shared_with_an_earlier_bill",
     [](CorrectionTable& t) {
         t.prepayment(20);
         t.meter("000101", "0001");
         t.meter("000111", "0001", "照明", "电费");
         t.pending("000111", "0001", {0, 11, 0, "2024-3-1"}, "照明", 0.6, "电费");
         t.target("000101", "0001");
     },
     {0, 11, 0, "2024-3-1"},
     {0, 15, 0, "2024-3-1"},
     {{"应收金额", "27.5"}, {"预存扣款", "13.4"}, {"实收金额", "14.1"}},
     {{"应收金额", "37.5"}, {"预存扣款", "13.4"}, {"实收金额", "24.1"}}},
    // 5 prepaid: 电费 (billed first, corrected) takes all of it and asks 1.6; the later 水费 bill
    // finds nothing left.
    {"prepaid_balance_taken_by_the_corrected_earlier_bill",
     [](CorrectionTable& t) {
         t.prepayment(5);
         t.meter("000101", "0001");
         t.meter("000111", "0001", "照明", "电费");
         t.pending("000101", "0001", {0, 11, 0, "2024-3-1"});
         t.target("000111", "0001", "照明", 0.6, "电费");
     },
     {0, 11, 0, "2024-3-1"},
     {0, 15, 0, "2024-3-1"},
     {{"应收金额", "6.6"}, {"预存扣款", "5"}, {"实收金额", "1.6"}},
     {{"应收金额", "9"}, {"预存扣款", "5"}, {"实收金额", "4"}}},
    // Corrected to no usage: the other meter account's reading is the household's bill alone.
    {"corrected_to_no_usage",
     [](CorrectionTable& t) {
         t.meter("000101", "0001");
         t.meter("000102", "0001");
         t.target("000101", "0001");
         t.pending("000102", "0001", {0, 4, 0, "2024-3-2"});
     },
     {0, 12, 0, "2024-3-1"},
     {0, 0, 0, "2024-3-1"},
     {{"应收金额", "40"}, {"实收量", "16"}},
     {{"应收金额", "10"}, {"实收量", "4"}}},
};

TEST_P(CorrectionTable, ToTheSameValuesKeepsEveryBillAsCommitted) {
    seed_and_commit(false);
    expect_bill(GetParam().billed, "committed");
    const QList<QStringList> committed = bills_and_details();
    correct_to(GetParam().before);
    const QList<QStringList> corrected = bills_and_details();
    EXPECT_TRUE(corrected == committed) << differences(committed, corrected);
}

TEST_P(CorrectionTable, ToNewValuesBillsAsACommitOfThoseValues) {
    QList<QStringList> fresh;
    {
        // What the commit writes had the reading been right in the first place; then undone.
        platform::Transaction undone(db());
        ASSERT_TRUE(undone.active());
        seed_and_commit(true);
        expect_bill(GetParam().rebilled, "fresh commit");
        fresh = bills_and_details();
    }
    seed_and_commit(false);
    correct_to(GetParam().after);
    expect_bill(GetParam().rebilled, "corrected");
    const QList<QStringList> corrected = bills_and_details();
    EXPECT_TRUE(corrected == fresh) << differences(fresh, corrected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CorrectionTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The carry-over chain when the corrected 电费 bill is not the household's latest: a later bill
// paid since, or bills of a later month.
class CarryChain : public CorrectionTable {
public:
    // April's commit: 电费 9 units more, at 0.6.
    void commit_april() {
        pending("000111", "0001", {11, 20, 0, "2024-4-1"}, "照明", 0.6, "电费");
        shell::system_parameters = params;
        const reading::CommitOutcome committed =
            reading::commit_month(db(), run_on(QDate(2024, 4, 5)));
        ASSERT_TRUE(committed.moved) << committed.move_error.toStdString();
        ASSERT_TRUE(committed.failed_items.isEmpty());
        ASSERT_TRUE(committed.billing_error.isEmpty()) << committed.billing_error.toStdString();
    }
    // Household 0001's 水费 bill and the readings it covers, numbers as they are.
    QList<QStringList> water_bill() {
        return rows(s("select 收据号,流水号,收费标志,收费人员,应收金额,上月接转,本月接转,实收金额 "
                      "from 总收费 where 户号='0001' and 收费项目='水费' and 收据号>100")) +
               rows(s("select 编号,是否收费,收据号,流水号 from 抄表总表 where 户号='000101'"));
    }

    // 水费, billed after the corrected 电费 bill, paid before the correction.
    void pay_the_water_bill() {
        exec(
            s("update 总收费 set 收费标志=0,收费人员='甲',流水号=1000000050 where 户号='0001' and "
              "收费项目='水费' and 收据号>100"));
        ASSERT_EQ(water_bill().value(0).value(2), s("0"));
    }
};

// The paid 水费 bill stays as paid, and the corrected 电费 bill carries in what the bill before
// it left (February's), never what the later paid bill left: it is billed as a commit of the
// corrected values bills it.
TEST_P(CarryChain, ALaterPaidBillStaysAsPaid) {
    seed_and_commit(false);
    pay_the_water_bill();
    const QList<QStringList> paid = water_bill();
    correct_to(GetParam().after);
    EXPECT_EQ(water_bill(), paid);
    expect_bill(GetParam().rebilled, "corrected");
}

// With the later bill paid, a correction to the same values changes no money column, and a
// second one neither: the bill billed again has a number after the paid bill's by then.
TEST_P(CarryChain, ToTheSameValuesBehindAPaidBillChangesNothing) {
    seed_and_commit(false);
    pay_the_water_bill();
    const QList<QStringList> paid = bills_and_details();
    for (const char* round : {"first", "second"}) {
        correct_to(GetParam().before);
        const QList<QStringList> corrected = bills_and_details();
        EXPECT_TRUE(corrected == paid) << round << "\n" << differences(paid, corrected);
    }
}

// April's 电费 bill comes after March's 电费 and 水费 bills: each is billed again as its own
// commit billed it, April's apart from March's and carrying over from March's 水费.
TEST_P(CarryChain, BillsOfALaterMonthAreBilledAgainByMonth) {
    QList<QStringList> fresh;
    {
        platform::Transaction undone(db());
        ASSERT_TRUE(undone.active());
        seed_and_commit(true);
        commit_april();
        fresh = bills_and_details();
    }
    seed_and_commit(false);
    commit_april();
    const QList<QStringList> committed = bills_and_details();
    correct_to(GetParam().before);
    const QList<QStringList> same = bills_and_details();
    EXPECT_TRUE(same == committed) << differences(committed, same);
    correct_to(GetParam().after);
    const QList<QStringList> corrected = bills_and_details();
    EXPECT_TRUE(corrected == fresh) << differences(fresh, corrected);
    EXPECT_EQ(count(s("select count(*) from 总收费 where 户号='0001' and 收费项目='电费'")), 2);
}

// February left 40: 电费 of 60 (100 units at 0.6) takes it and asks 20, carrying 0 to 水费.
// Corrected to 50 units, 30 is paid from the 40, carrying 10.
const CorrectionCase kCreditTakenByTheCorrectedBill = {
    "credit_taken_by_the_corrected_bill",
    [](CorrectionTable& t) {
        t.params.personal_account = s("开启");
        t.earlier_bill(40);
        t.meter("000101", "0001");
        t.meter("000111", "0001", "照明", "电费");
        t.pending("000101", "0001", {0, 11, 0, "2024-3-1"});
        t.target("000111", "0001", "照明", 0.6, "电费");
    },
    {0, 100, 0, "2024-3-1"},
    {0, 50, 0, "2024-3-1"},
    {{"应收金额", "60"}, {"上月接转", "40"}, {"实收金额", "20"}, {"本月接转", "0"}},
    {{"应收金额", "30"},
     {"上月接转", "40"},
     {"实收金额", "30"},
     {"本月接转", "10"},
     {"收费标志", "0"}}};

INSTANTIATE_TEST_SUITE_P(Case, CarryChain,
                         ::testing::Values(kCarryToALaterBill, kCreditTakenByTheCorrectedBill),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace reading_test
