#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

#include "harness/fixture.h"
#include "lists/column_settings_window.h"
#include "lists/list_pages.h"
#include "platform/db.h"
#include "store/main_database.h"

using namespace platform;

namespace {

QStringList items(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

// The window's units, by their names.
struct Units {
    explicit Units(QWidget* w)
        : 列表框1(w->findChild<QListWidget*>(QStringLiteral("列表框1"))),
          列表框2(w->findChild<QListWidget*>(QStringLiteral("列表框2"))),
          按钮1(w->findChild<QPushButton*>(QStringLiteral("按钮1"))),
          按钮2(w->findChild<QPushButton*>(QStringLiteral("按钮2"))),
          分组框2(w->findChild<QGroupBox*>(QStringLiteral("分组框2"))),
          分组框3(w->findChild<QGroupBox*>(QStringLiteral("分组框3"))) {}
    QListWidget* 列表框1;
    QListWidget* 列表框2;
    QPushButton* 按钮1;
    QPushButton* 按钮2;
    QGroupBox* 分组框2;
    QGroupBox* 分组框3;
};

void select(QListWidget* list, const QString& text) {
    const auto found = list->findItems(text, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << text.toStdString();
    list->setCurrentItem(found.first());
}

class ColumnSettings : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        harness::ProgramFolderTest::SetUp();
        lists::set_list_kind_sources({[this] { return reading_kind; },
                                      [this] { return charge_kind; },
                                      [this] { return reduction_kind; }});
    }
    void TearDown() override {
        lists::set_list_kind_sources({});
        harness::ProgramFolderTest::TearDown();
    }
    QString shown_flag(const QString& column_class, const QString& name) {
        return value(QStringLiteral("select 显示 from 查询列 where 类名=%1 and 列名=%2")
                         .arg(sql_quote(column_class), sql_quote(name)));
    }

    QString reading_kind, charge_kind, reduction_kind;
};

}  // namespace

TEST_F(ColumnSettings, OpensOnThePagesClassAndWritesEveryChangeAtOnce) {
    exec(QStringLiteral("update 查询列 set 显示='假' where 类名='日志管理' and 列名='上级项目'"));
    lists::ColumnSettingsWindow window(12);
    Units units(&window);
    Units* u = &units;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("列显示设置"));
    EXPECT_EQ(u->按钮1->text(), QStringLiteral("加  入&A"));
    EXPECT_EQ(u->按钮2->text(), QStringLiteral("移  除&D"));
    EXPECT_EQ(u->分组框3->title(), QStringLiteral("显示列"));
    EXPECT_EQ(u->分组框2->title(), QStringLiteral("移除列"));
    EXPECT_EQ(lists::column_settings_class, QStringLiteral("日志管理"));
    EXPECT_EQ(items(u->列表框2), (QStringList{"ID", "发生时间", "当前项目", "操作人员", "备注"}));
    EXPECT_EQ(items(u->列表框1), (QStringList{"上级项目"}));

    select(u->列表框2, QStringLiteral("备注"));
    u->按钮2->click();
    EXPECT_EQ(shown_flag(QStringLiteral("日志管理"), QStringLiteral("备注")), QStringLiteral("假"));
    EXPECT_EQ(items(u->列表框1), (QStringList{"上级项目", "备注"}));  // 排序 order

    select(u->列表框1, QStringLiteral("上级项目"));
    u->按钮1->click();
    EXPECT_EQ(shown_flag(QStringLiteral("日志管理"), QStringLiteral("上级项目")),
              QStringLiteral("真"));
    EXPECT_EQ(items(u->列表框2),
              (QStringList{"ID", "发生时间", "当前项目", "上级项目", "操作人员"}));
    EXPECT_TRUE(ui.box_texts().isEmpty());

    // Nothing selected: 移除 does nothing; 加入 runs with an empty name, which matches no row.
    u->列表框1->setCurrentItem(nullptr);
    u->列表框2->setCurrentItem(nullptr);
    u->按钮2->click();
    u->按钮1->click();
    EXPECT_EQ(items(u->列表框1), (QStringList{"备注"}));
    EXPECT_EQ(
        count(QStringLiteral("select count(*) from 查询列 where 类名='日志管理' and 显示='真'")),
        5);
}

TEST_F(ColumnSettings, AColumnAlreadyShownIsRefusedAndQuotesInNamesAreSafe) {
    exec(QStringLiteral(
        "insert into 查询列 (类名,列名,显示,列宽,排序) values ('日志管理','ID','假',10,7)"));
    exec(QStringLiteral(
        "insert into 查询列 (类名,列名,显示,列宽,排序) values ('日志管理','O''Neil','真',10,8)"));
    lists::ColumnSettingsWindow window(12);
    Units units(&window);
    Units* u = &units;
    ui.expect_box(QStringLiteral("该列已经加入!"));
    select(u->列表框1, QStringLiteral("ID"));
    u->按钮1->click();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::Information);

    select(u->列表框2, QStringLiteral("O'Neil"));
    u->按钮2->click();
    EXPECT_EQ(shown_flag(QStringLiteral("日志管理"), QStringLiteral("O'Neil")),
              QStringLiteral("假"));
    EXPECT_EQ(
        count(QStringLiteral("select count(*) from 查询列 where 类名='日志管理' and 显示='假'")),
        2);
}

TEST_F(ColumnSettings, AFailedUpdateShowsTheConnectionsErrorAndTheListsReload) {
    ASSERT_EQ(sqlite3_exec(db_handle(store::main_connection()),
                           "CREATE TRIGGER 只读 BEFORE UPDATE ON 查询列 BEGIN "
                           "SELECT RAISE(ABORT, '列设置只读'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    lists::ColumnSettingsWindow window(12);
    Units units(&window);
    Units* u = &units;
    ui.expect_box(QStringLiteral("列设置只读"));
    select(u->列表框2, QStringLiteral("备注"));
    u->按钮2->click();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::None);
    EXPECT_TRUE(items(u->列表框2).contains(QStringLiteral("备注")));  // as the table holds it
}

TEST_F(ColumnSettings, ClassFollowsThePageAndItsListKind) {
    struct Case {
        int page;
        QString reading, charge, reduction;
        QString expected;  // after opening, with "日志管理" before
    };
    const Case cases[] = {
        {1, {}, {}, {}, "用户信息"},           {3, "已抄表查询", {}, {}, "已抄表查询"},
        {3, "", {}, {}, "未抄表查询"},         {5, {}, {}, {}, "月抄表"},
        {6, {}, "已收费查询", {}, "收费查询"}, {6, {}, "未收费查询", {}, "未收费查询"},
        {8, {}, {}, {}, "预存扣款"},           {10, {}, {}, "减免明细", "减免明细"},
        {10, {}, {}, "", "日志管理"},  // neither form: the previous class
        {0, {}, {}, {}, "日志管理"},   // no column settings on this page
        {2, {}, {}, {}, "日志管理"},           {11, {}, {}, {}, "抄表机"},
        {13, {}, {}, {}, "发票管理"},          {15, {}, {}, {}, "用户表管理"},
    };
    for (const Case& c : cases) {
        lists::column_settings_class = QStringLiteral("日志管理");
        reading_kind = c.reading;
        charge_kind = c.charge;
        reduction_kind = c.reduction;
        lists::ColumnSettingsWindow window(c.page);
        EXPECT_EQ(lists::column_settings_class, c.expected) << "page " << c.page;
        EXPECT_EQ(Units(&window).列表框2->count() + Units(&window).列表框1->count(),
                  count(QStringLiteral("select count(*) from 查询列 where 类名=") +
                        sql_quote(c.expected)));
    }
}
