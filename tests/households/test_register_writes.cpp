// The register's small writes without a window: a street added once, a street and a household
// deleted, each with its log row only when it went in; a failed write logs nothing.
#include <gtest/gtest.h>

#include "household_fixture.h"
#include "households/register_writes.h"
#include "store/main_database.h"

using namespace households_test;

namespace {

class RegisterWrites : public HouseholdTest {
protected:
    qint64 log_rows() { return count(s("select count(*) from 日志管理")); }
};

TEST_F(RegisterWrites, StreetAddedOnceAndDeletedWithTheirLogRows) {
    platform::Connection& c = store::main_connection();
    households::RegisterWrite added = households::add_street(c, s("幸福路"));
    EXPECT_TRUE(added.written);
    EXPECT_FALSE(added.duplicate);
    EXPECT_FALSE(added.log_failed);
    EXPECT_EQ(log_rows(), 1);

    households::RegisterWrite again = households::add_street(c, s("幸福路"));
    EXPECT_TRUE(again.duplicate);
    EXPECT_FALSE(again.written);
    EXPECT_EQ(count(s("select count(*) from 街道 where 街道='幸福路'")), 1);
    EXPECT_EQ(log_rows(), 1);

    EXPECT_TRUE(households::delete_street(c, s("幸福路")).written);
    EXPECT_EQ(count(s("select count(*) from 街道 where 街道='幸福路'")), 0);
    EXPECT_EQ(value(s("select 备注 from 日志管理 order by ID desc")), s("删除街道【幸福路】"));
}

TEST_F(RegisterWrites, HouseholdDeletedLogsOnlyWhenAskedAndNothingAfterAFailure) {
    platform::Connection& c = store::main_connection();
    exec(s("insert into 用户信息表 (户号,用户名,父号) values ('0001','甲','0'),('0002','乙','0')"));
    EXPECT_TRUE(households::delete_household(c, s("0001"), false).written);
    EXPECT_EQ(log_rows(), 0);
    EXPECT_TRUE(households::delete_household(c, s("0002"), true).written);
    EXPECT_EQ(value(s("select 备注 from 日志管理")), s("户号：0002"));

    exec(s("create trigger refuse before delete on 用户信息表 begin select raise(abort,'no'); end"));
    exec(s("insert into 用户信息表 (户号,用户名,父号) values ('0003','丙','0')"));
    households::RegisterWrite refused = households::delete_household(c, s("0003"), true);
    EXPECT_FALSE(refused.written);
    EXPECT_EQ(count(s("select count(*) from 用户信息表 where 户号='0003'")), 1);
    EXPECT_EQ(log_rows(), 1);
}

}  // namespace
