#include <gtest/gtest.h>

#include "platform/db.h"
#include "shell/operation_log.h"
#include "shell/program_state.h"
#include "shell/run_context.h"
#include "shell_fixture.h"
#include "store/main_database.h"

using namespace shell;

namespace {

class OperationLogTest : public shell_test::ProgramStateTest {
protected:
    void SetUp() override {
        ProgramStateTest::SetUp();
        set_clock(QDateTime(QDate(2012, 9, 8), QTime(7, 5, 3)));
    }
    QList<QStringList> log_rows() {
        return rows(QStringLiteral(
            "select 操作人员,发生时间,上级项目,当前项目,备注 from 日志管理 order by ID"));
    }
};

}  // namespace

TEST(LogTimeText, HasNoLeadingZeros) {
    EXPECT_EQ(log_time_text(QDateTime(QDate(2012, 9, 8), QTime(7, 5, 3))),
              QStringLiteral("2012-9-8 7:5:3"));
    EXPECT_EQ(log_time_text(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59))),
              QStringLiteral("2024-12-31 23:59:59"));
    EXPECT_EQ(log_time_text(QDateTime(QDate(2024, 1, 1), QTime(0, 0, 0))),
              QStringLiteral("2024-1-1 0:0:0"));
}

TEST_F(OperationLogTest, WritesOneRowWithTrimmedOperatorAndTheClock) {
    current_operator = QStringLiteral(" 张三　");
    ASSERT_TRUE(write_operation_log(QStringLiteral("人员信息"), QStringLiteral("登陆"),
                                    QStringLiteral("进入系统")));
    const auto all = log_rows();
    ASSERT_EQ(all.size(), 1);
    EXPECT_EQ(all[0], (QStringList{QStringLiteral("张三"), QStringLiteral("2012-09-08 07:05:03"),
                                   QStringLiteral("人员信息"), QStringLiteral("登陆"),
                                   QStringLiteral("进入系统")}));
    // The operator's own name is left as it is.
    EXPECT_EQ(current_operator, QStringLiteral(" 张三　"));
    // Stored as a date, so the log query's range finds it.
    EXPECT_EQ(count(QStringLiteral("select count(*) from 日志管理 where 发生时间>=#2012-9-8 0:0:0# "
                                   "and 发生时间<=#2012-9-8 23:59:59#")),
              1);
}

TEST_F(OperationLogTest, QuotesInTheRemarkBecomeBlanksOthersAreKept) {
    current_operator = QStringLiteral("O'Brien");
    ASSERT_TRUE(write_operation_log(QStringLiteral("基本设置"), QStringLiteral("操作人员设置"),
                                    QStringLiteral("把原操作人员：O'Neil修改为：'x'。")));
    // A quote where the program's own words go is stored, not allowed to break the statement.
    ASSERT_TRUE(write_operation_log(QStringLiteral("基本'设置"), QStringLiteral("a'b"),
                                    QStringLiteral("''")));
    const auto all = log_rows();
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0][0], QStringLiteral("O'Brien"));
    EXPECT_EQ(all[0][4], QStringLiteral("把原操作人员：O Neil修改为： x 。"));
    EXPECT_EQ(all[1][2], QStringLiteral("基本'设置"));
    EXPECT_EQ(all[1][3], QStringLiteral("a'b"));
    EXPECT_EQ(all[1][4], QStringLiteral("  "));
}

TEST_F(OperationLogTest, ReportsFailureWithoutAMessage) {
    exec(QStringLiteral("drop table 日志管理"));
    current_operator = QStringLiteral("管理员");
    // No box is scripted: the writer must stay silent and leave the message to its caller.
    EXPECT_FALSE(write_operation_log(QStringLiteral("人员信息"), QStringLiteral("退出"),
                                     QStringLiteral("退出系统。")));
    platform::db_close(store::main_connection());
    EXPECT_FALSE(write_operation_log(QStringLiteral("人员信息"), QStringLiteral("退出"),
                                     QStringLiteral("退出系统。")));
    EXPECT_TRUE(ui.boxes().empty());
}

// An action's row goes through the action's connection with the action's operator and moment,
// so it stays or goes with the action's transaction.
TEST_F(OperationLogTest, TheActionsRowFollowsItsTransaction) {
    current_operator = QStringLiteral("管理员");
    const RunContext run{
        QDateTime(QDate(2024, 3, 20), QTime(9, 1, 2)), {}, QStringLiteral(" 李四 ")};
    {
        platform::Transaction undone(store::main_connection());
        ASSERT_TRUE(write_operation_log(store::main_connection(), run, QStringLiteral("收费管理"),
                                        QStringLiteral("收费作废"), QStringLiteral("流水号1")));
        undone.rollback();
    }
    EXPECT_TRUE(log_rows().isEmpty());
    {
        platform::Transaction kept(store::main_connection());
        ASSERT_TRUE(write_operation_log(store::main_connection(), run, QStringLiteral("收费管理"),
                                        QStringLiteral("收费作废"), QStringLiteral("流水号2")));
        ASSERT_TRUE(kept.commit());
    }
    EXPECT_EQ(log_rows(),
              (QList<QStringList>{{QStringLiteral("李四"), QStringLiteral("2024-03-20 09:01:02"),
                                   QStringLiteral("收费管理"), QStringLiteral("收费作废"),
                                   QStringLiteral("流水号2")}}));
}
