// The column settings as the lists change them, without a window.
#include <gtest/gtest.h>

#include "harness/fixture.h"
#include "lists/list_settings.h"
#include "store/main_database.h"

namespace {

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

class ListSettings : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        harness::ProgramFolderTest::SetUp();
        exec(s("insert into 查询列 (类名,列名,显示,列宽,排序) values ('测试','户号','真',10,1)"));
        exec(s("insert into 查询列 (类名,列名,显示,列宽,排序) values ('测试','O''Neil','真',10,2)"));
        exec(s("insert into 查询列 (类名,列名,显示,列宽,排序) values ('别的','户号','真',10,1)"));
    }
    platform::Connection& db() { return store::main_connection(); }
    QList<QStringList> settings() {
        return rows(s("select 类名,列名,显示,列宽 from 查询列 where 类名 in ('测试','别的') "
                      "order by 类名,排序"));
    }
};

TEST_F(ListSettings, WidthsOfOneClassOnlyOrNone) {
    auto outcome = lists::save_column_widths(db(), s("测试"),
                                             {{s("户号"), 80}, {s("O'Neil"), -3}, {s("无此列"), 5}});
    EXPECT_TRUE(outcome.done);
    ASSERT_EQ(outcome.messages.size(), 1);
    EXPECT_EQ(outcome.messages[0].text, s("保存列宽成功，下次自动显示！"));
    EXPECT_EQ(settings(), (QList<QStringList>{{s("别的"), s("户号"), s("真"), s("10")},
                                              {s("测试"), s("户号"), s("真"), s("80")},
                                              {s("测试"), s("O'Neil"), s("真"), s("0")}}));

    exec(s("CREATE TRIGGER 拒绝 BEFORE UPDATE ON 查询列 WHEN new.列名='O''Neil' BEGIN "
           "SELECT RAISE(ABORT,'refused'); END"));
    outcome = lists::save_column_widths(db(), s("测试"), {{s("户号"), 99}, {s("O'Neil"), 99}});
    EXPECT_FALSE(outcome.done);
    ASSERT_EQ(outcome.messages.size(), 1);
    EXPECT_TRUE(outcome.messages[0].text.contains(s("refused")));
    EXPECT_EQ(value(s("select 列宽 from 查询列 where 类名='测试' and 列名='户号'")), s("80"));
}

TEST_F(ListSettings, ShowAndHideOneColumnOfOneClass) {
    EXPECT_TRUE(lists::set_column_shown(db(), s("测试"), s("户号"), false).done);
    EXPECT_TRUE(lists::set_column_shown(db(), s("测试"), s("O'Neil"), false).done);
    EXPECT_TRUE(lists::set_column_shown(db(), s("测试"), s("O'Neil"), true).done);
    EXPECT_EQ(settings(), (QList<QStringList>{{s("别的"), s("户号"), s("真"), s("10")},
                                              {s("测试"), s("户号"), s("假"), s("10")},
                                              {s("测试"), s("O'Neil"), s("真"), s("10")}}));
    exec(s("CREATE TRIGGER 拒绝 BEFORE UPDATE ON 查询列 BEGIN SELECT RAISE(ABORT,'refused'); END"));
    const auto outcome = lists::set_column_shown(db(), s("测试"), s("户号"), true);
    EXPECT_FALSE(outcome.done);
    ASSERT_EQ(outcome.messages.size(), 1);
    EXPECT_EQ(outcome.messages[0].icon, platform::MsgIcon::None);
}

}  // namespace
