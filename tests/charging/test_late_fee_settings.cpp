// The late-fee rule's four pz rows: how the window's choices map onto them, and saving them
// together with the parameters reloaded and the change logged.
#include "charging/late_fee_settings.h"
#include "charging_fixture.h"

namespace charging_test {
namespace {

QStringList texts(const platform::Messages& messages) {
    QStringList out;
    for (const platform::Message& m : messages) out << m.text;
    return out;
}

class LateFeeSettings : public ChargingTest {
protected:
    QString stored(const char* key) {
        return value(s("select 文本 from pz where 项目名称=") + q(s(key)));
    }
    charging::LateFeeForm form(const char* state, const char* method, const char* value,
                               const char* day) {
        return {s(state), s(method), s(value), s(day)};
    }
};

TEST_F(LateFeeSettings, DayPositions) {
    const QStringList items = charging::late_fee_day_items();
    ASSERT_EQ(items.size(), 29);
    EXPECT_EQ(items.first(), s("1"));
    EXPECT_EQ(items.at(27), s("28"));
    EXPECT_EQ(items.last(), s("每月最后一天"));
    struct Case {
        const char* stored;
        int index;
    } cases[] = {{"每月最后一天", 28}, {"28", 27}, {"15", 14},  {"1", 0},  {"0", -1}, {"", -1},
                 {"abc", -1},          {"30", -1}, {"2.5", -1}, {"-3", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(charging::late_fee_day_index(s(c.stored)), c.index) << c.stored;
}

TEST_F(LateFeeSettings, ValueTextAndCaptions) {
    struct Case {
        const char* typed;
        const char* stored;
    } cases[] = {{"1.50", "1.5"}, {"abc", "0"}, {"", "0"}, {" 2 ", "2"}, {"0.125", "0.125"}};
    for (const Case& c : cases)
        EXPECT_EQ(charging::late_fee_value_text(s(c.typed)), s(c.stored)) << c.typed;
    EXPECT_EQ(charging::late_fee_value_caption(s("固定金额")), s("滞纳金固定金额："));
    EXPECT_EQ(charging::late_fee_unit_caption(s("固定金额")), s("元 (/月)"));
    EXPECT_EQ(charging::late_fee_value_caption(s("按利率")), s("滞纳金税率设置："));
    EXPECT_EQ(charging::late_fee_unit_caption(s("按利率")), s("‰ (/天)"));
}

TEST_F(LateFeeSettings, FormFromTheLoadedParameters) {
    shell::SystemParameters p;
    p.late_fee_enabled = s("开启");
    p.late_fee_mode = s("固定金额");
    p.late_fee_value = s("3");
    p.late_fee_start_day = s("28");
    charging::LateFeeForm f = charging::late_fee_form_from(p);
    EXPECT_EQ(f.state, s("开启"));
    EXPECT_EQ(f.method, s("固定金额"));
    EXPECT_EQ(f.value, s("3"));
    EXPECT_EQ(f.start_day, s("28"));
    p.late_fee_enabled = s("");
    p.late_fee_mode = s("别的");
    p.late_fee_start_day = s("x");
    f = charging::late_fee_form_from(p);
    EXPECT_EQ(f.state, s("关闭"));
    EXPECT_EQ(f.method, s("按利率"));
    EXPECT_EQ(f.start_day, s(""));
}

TEST_F(LateFeeSettings, SaveWritesTheFourRowsReloadsAndLogs) {
    const charging::LateFeeSaveOutcome out =
        charging::save_late_fee_settings(db(), form("开启", "固定金额", "1.50", "15"), context());
    EXPECT_TRUE(out.done);
    EXPECT_EQ(texts(out.messages), QStringList{s("保存成功！")});
    EXPECT_EQ(stored("滞纳金计费"), s("开启"));
    EXPECT_EQ(stored("滞纳金计费方式"), s("固定金额"));
    EXPECT_EQ(stored("滞纳金值"), s("1.5"));
    EXPECT_EQ(stored("滞纳金结算日期"), s("15"));
    // The parameters read back, for the caller to put in force.
    EXPECT_EQ(out.parameters.late_fee_enabled, s("开启"));
    EXPECT_EQ(out.parameters.late_fee_mode, s("固定金额"));
    EXPECT_EQ(out.parameters.late_fee_value, s("1.5"));
    EXPECT_EQ(out.parameters.late_fee_start_day, s("15"));
    EXPECT_EQ(rows(s("select 上级项目,当前项目,备注 from 日志管理")),
              (QList<QStringList>{{s("基本设置"), s("滞纳金设置"), s("修改滞纳金设置")}}));

    // No number and no day chosen; a quote in a text cannot break the statement.
    EXPECT_TRUE(
        charging::save_late_fee_settings(db(), form("关闭", "按利率", "x'y", ""), context()).done);
    EXPECT_EQ(stored("滞纳金计费"), s("关闭"));
    EXPECT_EQ(stored("滞纳金计费方式"), s("按利率"));
    EXPECT_EQ(stored("滞纳金值"), s("0"));
    EXPECT_EQ(stored("滞纳金结算日期"), s(""));
    EXPECT_TRUE(
        charging::save_late_fee_settings(db(), form("关闭", "按利率", "1", "2'8"), context()).done);
    EXPECT_EQ(stored("滞纳金结算日期"), s("2'8"));
}

TEST_F(LateFeeSettings, AFailedWriteKeepsTheOldRuleAndIsNotReportedAsSaved) {
    const QByteArray sql = s("create trigger 坏 before update on pz when "
                             "new.项目名称='滞纳金结算日期' begin select raise(abort,'boom'); end")
                               .toUtf8();
    ASSERT_EQ(sqlite3_exec(platform::db_handle(db()), sql.constData(), nullptr, nullptr, nullptr),
              SQLITE_OK);
    const charging::LateFeeSaveOutcome out =
        charging::save_late_fee_settings(db(), form("开启", "固定金额", "9", "3"), context());
    EXPECT_FALSE(out.done);
    ASSERT_EQ(out.messages.size(), 1);
    EXPECT_TRUE(out.messages[0].text.contains(s("boom")));
    EXPECT_EQ(out.messages[0].icon, platform::MsgIcon::None);
    EXPECT_EQ(stored("滞纳金计费"), s("关闭"));
    EXPECT_EQ(stored("滞纳金计费方式"), s("按利率"));
    EXPECT_EQ(stored("滞纳金值"), s("0.5"));
    EXPECT_EQ(count(s("select count(*) from 日志管理")), 0);
}

}  // namespace
}  // namespace charging_test
