// The month's property-fee readings: which accounts get a row, what the row holds, and that a
// second run in the same month adds nothing while a run in the next month adds again.
#include <gtest/gtest.h>

#include "reading/monthly_commit.h"
#include "reading/property_fee.h"
#include "reading_fixture.h"

using namespace reading_test;

namespace {

class PropertyFee : public ReadingTest {
protected:
    void SetUp() override {
        ReadingTest::SetUp();
        add_category(s("物业"), s("商铺"), 2, 0);
        add_property_household(s("0001"), 85.5, {s("000101")});
        add_property_household(s("0002"), 0, {s("000201")});
        add_property_household(s("0003"), 60, {s("000301")}, s("报停"));
        add_property_household(s("0004"), 100, {s("000401"), s("000402")});
        add_property_household(s("0005"), 50, {s("000501")});
        exec(s("update 用户信息表 set 物业类别='商铺' where 户号='0005'"));
    }
    void add_property_household(const QString& number, double area, const QStringList& accounts,
                                const QString& state = QStringLiteral("正常")) {
        add_household(number, s("户") + number, area);
        int order = 0;
        for (const QString& account : accounts) {
            Meter m;
            m.number = account;
            m.household = number;
            m.item = s("物业");
            m.category = s("住宅");  // the account's own category is not what the row takes
            m.reader = s("系统");
            m.order = number.toInt() * 10 + ++order;
            m.state = state;
            m.meter_number = s("000000");
            add_meter(m);
        }
    }
    int generate() {
        int steps = 0, stepped = 0;
        reading::GenerationProgress progress;
        progress.start = [&](int n) { steps = n; };
        progress.step = [&] { ++stepped; };
        const int written =
            reading::generate_property_fee_readings(db(), platform::today(), progress);
        EXPECT_EQ(steps, stepped);
        return written;
    }
};

TEST_F(PropertyFee, OneRowPerNormalAccountWithAnAreaAndNothingTheSecondTime) {
    EXPECT_EQ(generate(), 4);
    EXPECT_EQ(
        rows(s("select 户号,父号,起方,止方,用量,抄表日期,水损,收费项目,价格类别,抄表人员,价格 "
               "from 抄表管理 order by 编号")),
        (QList<QStringList>{{s("000101"), s("0001"), s("0"), s("0"), s("85.5"), s("2024-03-05"),
                             s("0"), s("物业"), s("住宅"), s("系统"), s("1.2")},
                            {s("000401"), s("0004"), s("0"), s("0"), s("100"), s("2024-03-05"),
                             s("0"), s("物业"), s("住宅"), s("系统"), s("1.2")},
                            {s("000402"), s("0004"), s("0"), s("0"), s("100"), s("2024-03-05"),
                             s("0"), s("物业"), s("住宅"), s("系统"), s("1.2")},
                            {s("000501"), s("0005"), s("0"), s("0"), s("50"), s("2024-03-05"),
                             s("0"), s("物业"), s("商铺"), s("系统"), s("2")}}));
    EXPECT_EQ(generate(), 0);
    EXPECT_EQ(count(s("select count(*) from 抄表管理")), 4);
}

TEST_F(PropertyFee, ACommittedMonthIsNotGeneratedAgainTheNextMonthIs) {
    ASSERT_EQ(generate(), 4);
    ASSERT_TRUE(reading::move_batch_to_history(db(), nullptr, nullptr));
    set_clock(QDateTime(QDate(2024, 3, 31), QTime(9, 0)));
    EXPECT_EQ(generate(), 0);
    set_clock(QDateTime(QDate(2024, 4, 1), QTime(9, 0)));
    EXPECT_EQ(generate(), 4);
    EXPECT_EQ(value(s("select distinct 抄表日期 from 抄表管理")), s("2024-04-01"));
    // Any pending row of the account counts, whatever its month.
    exec(s("delete from 抄表管理 where 户号='000501'"));
    add_pending(s("000501"), s("0005"), 0, 1, s("物业"), s("商铺"), s("2024-2-1"));
    EXPECT_EQ(generate(), 0);
}

}  // namespace
