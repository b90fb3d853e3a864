// The log page and its query window: whole days in the date range, the filters and their
// refusals, the sort order, and the page's columns from the column settings.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QTableView>

#include "harness/units.h"
#include "platform/db.h"
#include "platform/listview.h"
#include "shell/admin.h"
#include "shell/log_page.h"
#include "shell/log_query_window.h"
#include "shell/operation_log.h"
#include "shell/permissions.h"
#include "shell/program_state.h"
#include "shell_fixture.h"

using namespace shell;

namespace {

using harness::unit;

struct Choices {
    QDate first = QDate(2026, 3, 5);
    QDate last = QDate(2026, 3, 6);
    QString operator_name;  // ticks the filter; "?" ticks it with nothing chosen
    QString group;
    QString item;
    int sort_key = 0;
    int direction = 1;  // 0 升序, 1 降序
};

// Filters on the default range, newest first unless `direction` says otherwise.
Choices filter(const QString& who, const QString& group, const QString& item, int direction = 1) {
    Choices c;
    c.operator_name = who;
    c.group = group;
    c.item = item;
    c.direction = direction;
    return c;
}
Choices sorted(int key, int direction) {
    Choices c;
    c.sort_key = key;
    c.direction = direction;
    return c;
}
Choices days(const QDate& first, const QDate& last) {
    Choices c;
    c.first = first;
    c.last = last;
    c.direction = 0;
    return c;
}

class LogPageTest : public shell_test::ProgramStateTest {
protected:
    void SetUp() override {
        ProgramStateTest::SetUp();
        current_operator = kAdministrator;
    }
    void log_at(const QDateTime& when, const QString& who, const QString& group,
                const QString& item, const QString& remark) {
        set_clock(when);
        current_operator = who;
        ASSERT_TRUE(write_operation_log(group, item, remark));
        current_operator = kAdministrator;
    }
    // Runs the query window from the page's 日志_查询 with these choices; returns whether the
    // window closed.
    bool query(LogPage& page, const Choices& c) {
        bool closed = false;
        ui.on_modal("shell::LogQueryWindow", [c, &closed](QDialog* d) {
            auto* w = qobject_cast<LogQueryWindow*>(d);
            unit<QDateEdit>(w, "收费日期_起")->setDate(c.first);
            unit<QDateEdit>(w, "收费日期_止")->setDate(c.last);
            const auto pick = [w](const char* box, const char* combo, const QString& text) {
                if (text.isEmpty()) return;
                unit<QCheckBox>(w, box)->setChecked(true);
                if (text != "?") unit<QComboBox>(w, combo)->setCurrentText(text);
            };
            pick("收费选择框_收费人员", "组合框_操作人员", c.operator_name);
            pick("收费选择框_上级项目", "组合框_上级项目", c.group);
            pick("收费选择框_当前项目", "组合框_当前项目", c.item);
            unit<QComboBox>(w, "收费排序分类")->setCurrentIndex(c.sort_key);
            unit<QComboBox>(w, "收费排序方式")->setCurrentIndex(c.direction);
            w->on_log_query_ok_click();
            closed = w->result() == QDialog::Accepted;
            return w->result();
        });
        page.on_main_log_query_click();
        return closed;
    }
    QList<QStringList> listed(LogPage& page) {
        QTableView* list = page.log_list();
        QList<QStringList> out;
        for (int r = 0; r < platform::listview_row_count(list); ++r) {
            QStringList row;
            for (int c = 0; c < platform::listview_column_count(list); ++c)
                row << platform::listview_cell_text(list, r, c);
            out << row;
        }
        return out;
    }
    QStringList remarks(LogPage& page) {
        QStringList out;
        const int column = platform::listview_column_index(page.log_list(), "备注");
        for (int r = 0; r < platform::listview_row_count(page.log_list()); ++r)
            out << platform::listview_cell_text(page.log_list(), r, column);
        return out;
    }
    QStringList titles(LogPage& page) {
        QStringList out;
        for (int c = 0; c < platform::listview_column_count(page.log_list()); ++c)
            out << platform::listview_column_title(page.log_list(), c);
        return out;
    }
};

TEST_F(LogPageTest, RangeCoversTheWholeFirstAndLastDay) {
    const QDate first(2026, 3, 5), last(2026, 3, 6);
    log_at(QDateTime(first.addDays(-1), QTime(23, 59, 59)), "张三", "人员信息", "登陆", "前一天");
    log_at(QDateTime(first, QTime(0, 0, 0)), "张三", "人员信息", "登陆", "首日零点");
    log_at(QDateTime(first, QTime(12, 30, 5)), "张三", "人员信息", "登陆", "首日中午");
    log_at(QDateTime(last, QTime(23, 59, 59)), "张三", "人员信息", "退出", "末日最后一秒");
    log_at(QDateTime(last.addDays(1), QTime(0, 0, 0)), "张三", "人员信息", "退出", "后一天零点");

    LogPage page;
    EXPECT_TRUE(query(page, days(first, last)));
    EXPECT_EQ(remarks(page), (QStringList{"首日零点", "首日中午", "末日最后一秒"}));
    // The row as the page shows it: ID, time as written, item, group, operator, remark.
    EXPECT_EQ(listed(page)[0],
              (QStringList{value("select ID from 日志管理 where 备注='首日零点'"), "2026-3-5 0:0:0",
                           "登陆", "人员信息", "张三", "首日零点"}));
    EXPECT_EQ(listed(page)[2][1], "2026-3-6 23:59:59");

    // A single day is a whole day too.
    EXPECT_TRUE(query(page, days(last, last)));
    EXPECT_EQ(remarks(page), QStringList{"末日最后一秒"});
}

TEST_F(LogPageTest, FiltersNarrowTheRowsAndRefuseEmptyChoices) {
    const QDateTime t(QDate(2026, 3, 5), QTime(8, 0, 0));
    log_at(t, "张三", "人员信息", "登陆", "张三进入");
    log_at(t.addSecs(1), "张三", "人员信息", "退出", "张三退出");
    log_at(t.addSecs(2), "O'Neil", "人员信息", "退出", "O'Neil退出");
    log_at(t.addSecs(3), "管理员", "基本设置", "阶梯气价设置", "删除阶梯");
    exec("insert into 收费员 (收费人员,密码,许可) values ('张三','x',1)");
    exec("insert into 收费员 (收费人员,密码,许可) values ('O''Neil','x',1)");

    LogPage page;
    const struct {
        Choices choices;
        QStringList expected;
    } cases[] = {
        {filter("", "人员信息", "退出", 0), {"张三退出", "O Neil退出"}},
        {filter("O'Neil", "", ""), {"O Neil退出"}},
        {filter("张三", "人员信息", "", 0), {"张三进入", "张三退出"}},
        // An item that is not an item of its group is found by the group alone.
        {filter("", "基本设置", ""), {"删除阶梯"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected.join(",").toStdString());
        EXPECT_TRUE(query(page, c.choices));
        EXPECT_EQ(remarks(page), c.expected);
    }

    const struct {
        Choices choices;
        const char* message;
    } refusals[] = {
        {filter("?", "", ""), "操作人员不能为空!"},
        {filter("", "?", ""), "上级项目不能为空!"},
        {filter("", "人员信息", "?"), "当前项目不能为空!"},
        {filter("", "", "?"), "当前项目不能为空!"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.message);
        ui.expect_box(QString::fromUtf8(r.message));
        EXPECT_FALSE(query(page, r.choices));
    }
}

TEST_F(LogPageTest, SortKeyAndDirection) {
    const QDateTime t(QDate(2026, 3, 5), QTime(8, 0, 0));
    log_at(t.addSecs(20), "乙", "人员信息", "退出", "一");
    log_at(t.addSecs(10), "甲", "人员信息", "登陆", "二");
    log_at(t.addSecs(30), "丙", "人员信息", "登陆", "三");
    LogPage page;
    const struct {
        int key, direction;
        QStringList expected;
    } cases[] = {
        {0, 1, {"三", "二", "一"}},  // the window's first choices: 编号ID, 降序
        {0, 0, {"一", "二", "三"}},
        {1, 0, {"二", "一", "三"}},
        {1, 1, {"三", "一", "二"}},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(query(page, sorted(c.key, c.direction)));
        EXPECT_EQ(remarks(page), c.expected) << c.key << " " << c.direction;
    }
}

TEST_F(LogPageTest, OpeningThePageShowsTheSettingsColumnsAndNoRows) {
    exec("update 查询列 set 显示='假' where 类名='日志管理' and 列名='操作人员'");
    exec("update 查询列 set 列宽=222 where 类名='日志管理' and 列名='备注'");
    log_at(QDateTime(QDate(2026, 3, 5), QTime(8, 0, 0)), "张三", "人员信息", "登陆", "进入");
    LogPage page;
    bool shown = false;
    on_menu_log_management(&page, [&shown] { shown = true; });
    EXPECT_TRUE(shown);
    EXPECT_EQ(titles(page), (QStringList{"ID", "发生时间", "当前项目", "上级项目", "备注"}));
    EXPECT_EQ(platform::listview_column_width(page.log_list(), 4), 222);
    EXPECT_EQ(platform::listview_row_count(page.log_list()), 0);

    // A query fills the same fields, the hidden one left out.
    EXPECT_TRUE(query(page, Choices()));
    EXPECT_EQ(listed(page).value(0).mid(1),
              (QStringList{"2026-3-5 8:0:0", "登陆", "人员信息", "进入"}));

    current_operator = "张三";
    ui.expect_box("只有管理员才能进入！");
    on_menu_log_management(&page, [] { ADD_FAILURE() << "page shown to another operator"; });
}

TEST_F(LogPageTest, GroupChoiceFillsTheItemList) {
    LogPage page;
    ui.on_modal("shell::LogQueryWindow", [](QDialog* d) {
        auto* groups = unit<QComboBox>(d, "组合框_上级项目");
        auto* items = unit<QComboBox>(d, "组合框_当前项目");
        EXPECT_EQ(groups->itemText(0), "人员信息");
        EXPECT_EQ(groups->currentIndex(), -1);
        groups->setCurrentText("人员信息");
        EXPECT_EQ(items->count(), 2);
        EXPECT_EQ(items->itemText(1), "退出");
        groups->setCurrentText("打印设置");
        QStringList texts;
        for (int i = 0; i < items->count(); ++i) texts << items->itemText(i);
        EXPECT_EQ(texts, (QStringList{"发票设置", "收据重打", "流水号重打"}));
        EXPECT_EQ(items->currentIndex(), -1);
        return 0;
    });
    page.on_main_log_query_click();
}

}  // namespace

// The log grows by the day: a query reads the days it asks for, whatever it filters and sorts by.
TEST_F(LogPageTest, QueryReadsItsDaysThroughTheTimeIndex) {
    for (int key = 0; key < 4; ++key) {
        LogQuery q;
        q.first_day = QDate(2026, 3, 5);
        q.last_day = QDate(2026, 3, 6);
        q.operator_name = "张三";
        q.sort_key = key;
        QString plan;
        for (const QStringList& row : rows("EXPLAIN QUERY PLAN " + log_query_statement(q)))
            plan += row.join(' ') + '\n';
        EXPECT_TRUE(plan.contains("SEARCH TABLE 日志管理 USING INDEX 日志管理_发生时间 (发生时间>? AND "
                                  "发生时间<?)"))
            << key << "\n"
            << plan.toStdString();
    }
}
