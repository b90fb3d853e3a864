#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTableView>
#include <memory>

#include "harness/fixture.h"
#include "lists/list_columns.h"
#include "platform/db.h"
#include "platform/listview.h"
#include "store/main_database.h"

using namespace platform;

namespace {

QStringList titles(QTableView* list) {
    QStringList t;
    for (int c = 0; c < listview_column_count(list); ++c) t << listview_column_title(list, c);
    return t;
}

QList<int> widths(QTableView* list) {
    QList<int> w;
    for (int c = 0; c < listview_column_count(list); ++c) w << listview_column_width(list, c);
    return w;
}

class ListColumns : public harness::ProgramFolderTest {
protected:
    // Rows of a class of this test, inserted out of their 排序 order.
    void add_column(const QString& name, bool shown, int width, int order,
                    const QString& column_class = QStringLiteral("测试类")) {
        exec(QStringLiteral("insert into 查询列 (类名,列名,显示,列宽,排序) values (%1,%2,%3,%4,%5)")
                 .arg(sql_quote(column_class), sql_quote(name),
                      sql_quote(shown ? QStringLiteral("真") : QStringLiteral("假")))
                 .arg(width)
                 .arg(order));
    }

    std::unique_ptr<QTableView> list_{make_report_view()};
    QTableView* list() { return list_.get(); }
};

}  // namespace

TEST_F(ListColumns, BuildsEveryColumnInSortOrderThenDropsHiddenOnesAndSizesTheRest) {
    add_column(QStringLiteral("金额"), true, 70, 4);
    add_column(QStringLiteral("户号"), true, 90, 1);
    add_column(QStringLiteral("电话"), false, 55, 3);
    add_column(QStringLiteral("用户名"), true, 120, 2);
    add_column(QStringLiteral("备注"), false, 200, 5);
    // What the list showed before goes, rows and columns alike.
    listview_insert_column(list(), QStringLiteral("旧列"), 40);
    listview_model(list())->append_row({QStringLiteral("旧行")});

    lists::load_query_column_names(list(), QStringLiteral("测试类"));
    EXPECT_EQ(titles(list()), (QStringList{"户号", "用户名", "电话", "金额", "备注"}));
    EXPECT_EQ(widths(list()), (QList<int>{1, 1, 1, 1, 1}));
    EXPECT_EQ(listview_row_count(list()), 0);

    // The filler writes its fields by position, hidden columns included.
    listview_model(list())->append_row({"0001", "张三", "5550100", "12.50", "无"});
    lists::apply_query_column_visibility_and_widths(list(), QStringLiteral("测试类"));
    EXPECT_EQ(titles(list()), (QStringList{"户号", "用户名", "金额"}));
    EXPECT_EQ(widths(list()), (QList<int>{90, 120, 70}));
    EXPECT_EQ(list()->horizontalHeader()->sectionSize(1), 120);
    EXPECT_EQ(listview_cell_text(list(), 0, 2), QStringLiteral("12.50"));
    EXPECT_TRUE(list()->updatesEnabled());
    EXPECT_FALSE(recordset_is_open(store::main_recordset(1)));
}

TEST_F(ListColumns, ShippedClassesNameTheirColumnsInOrder) {
    lists::load_query_column_names(list(), QStringLiteral("日志管理"));
    EXPECT_EQ(titles(list()),
              (QStringList{"ID", "发生时间", "当前项目", "上级项目", "操作人员", "备注"}));
    lists::apply_query_column_visibility_and_widths(list(), QStringLiteral("日志管理"));
    EXPECT_EQ(widths(list()), (QList<int>{60, 150, 100, 100, 80, 360}));
}

TEST_F(ListColumns, EdgeCasesOfTheHiddenColumnAndWidthSteps) {
    // Two rows of one title, the later one hidden: only the first column of that title goes,
    // and widths go by position.
    add_column(QStringLiteral("甲"), true, 10, 1);
    add_column(QStringLiteral("乙"), true, 20, 2);
    add_column(QStringLiteral("甲"), false, 30, 3);
    lists::load_query_column_names(list(), QStringLiteral("测试类"));
    ASSERT_EQ(titles(list()), (QStringList{"甲", "乙", "甲"}));
    listview_model(list())->append_row({"first", "second", "third"});
    lists::apply_query_column_visibility_and_widths(list(), QStringLiteral("测试类"));
    EXPECT_EQ(titles(list()), (QStringList{"乙", "甲"}));
    EXPECT_EQ(listview_cell_text(list(), 0, 1), QStringLiteral("third"));
    EXPECT_EQ(widths(list()), (QList<int>{10, 20}));

    // More shown rows than columns (the table changed between the two steps): the extra
    // widths change nothing.
    lists::load_query_column_names(list(), QStringLiteral("测试类"));
    add_column(QStringLiteral("丙"), true, 40, 0);
    lists::apply_query_column_visibility_and_widths(list(), QStringLiteral("测试类"));
    EXPECT_EQ(titles(list()), (QStringList{"乙", "甲"}));
    EXPECT_EQ(widths(list()), (QList<int>{40, 10}));

    // A class without rows leaves no column and no row; a quote in a class breaks nothing.
    listview_model(list())->append_row({"x", "y"});
    lists::load_query_column_names(list(), QStringLiteral("无此类' or '1'='1"));
    EXPECT_EQ(listview_column_count(list()), 0);
    EXPECT_EQ(listview_row_count(list()), 0);
}

TEST_F(ListColumns, BuilderFillsInOneResetAndColoursFollowTheirColumns) {
    add_column(QStringLiteral("户号"), true, 80, 1);
    add_column(QStringLiteral("电话"), false, 90, 2);
    add_column(QStringLiteral("金额"), true, 70, 3);
    QWidget page;
    auto* view = make_report_view(&page);
    page.show();
    listview_insert_column(view, QStringLiteral("旧"), 10);
    listview_model(view)->append_row({QStringLiteral("旧")});
    listview_set_cell_colour(view, 0, 0, Qt::blue);  // from the previous fill

    int resets = 0;
    QObject::connect(listview_model(view), &QAbstractItemModel::modelReset, [&] { ++resets; });
    {
        lists::ListBuilder build(view, QStringLiteral("测试类"), &page);
        EXPECT_TRUE(view->isHidden());
        build.show_progress(3);
        EXPECT_EQ(build.column_count(), 3);
        build.append_row({"0001", "5550100", "10.00"});
        build.append_row({"0002", "5550101", "2.50"});
        const int total = build.append_row({"合计", "", "12.50"});
        build.colour_row(total);
        build.finish();
    }
    EXPECT_EQ(resets, 1);
    EXPECT_FALSE(view->isHidden());
    EXPECT_EQ(titles(view), (QStringList{"户号", "金额"}));
    EXPECT_EQ(widths(view), (QList<int>{80, 70}));
    ListModel* model = listview_model(view);
    EXPECT_EQ(model->coloured_cell_count(), 2);  // the old colour went, the hidden cell's too
    EXPECT_EQ(model->cell_colour(2, 0).text, QColor(Qt::red));
    EXPECT_EQ(model->cell_colour(2, 1).text, QColor(Qt::red));
    EXPECT_EQ(listview_cell_text(view, 2, 1), QStringLiteral("12.50"));
    EXPECT_FALSE(model->cell_colour(1, 1).text.isValid());
}

TEST_F(ListColumns, BuilderWritesRecordFieldsByPosition) {
    exec(
        QStringLiteral("insert into 日志管理 (操作人员,发生时间,上级项目,当前项目,备注) values "
                       "('管理员','2024-3-5 10:00:00','系统设置','登录','it''s')"));
    RecordSet& records = store::main_recordset(2);
    lists::ListBuilder build(list(), QStringLiteral("日志管理"));
    ASSERT_TRUE(recordset_open(
        records,
        QStringLiteral(
            "select ID,发生时间,当前项目,上级项目,操作人员,备注 from 日志管理 order by ID desc")));
    const int rows = recordset_record_count(records);
    for (; !recordset_eof(records); recordset_move_next(records)) build.append_fields(records);
    build.finish();
    ASSERT_EQ(listview_row_count(list()), rows);
    EXPECT_EQ(listview_cell_text(list(), 0, 4), QStringLiteral("管理员"));
    EXPECT_EQ(listview_cell_text(list(), 0, 5), QStringLiteral("it's"));
}

// The list keeps its texts in one buffer; cells written over and over (a handler updating a row)
// must keep every other cell's text through the buffer's clean-ups.
TEST(ListCells, TextsSurviveRewritesAndColumnChanges) {
    std::unique_ptr<QTableView> list(make_report_view());
    for (const char* t : {"户号", "金额", "备注"}) listview_insert_column(list.get(), QString::fromUtf8(t), 50);
    ListModel* model = listview_model(list.get());
    model->append_row({"0001", "", "第一行"});
    model->append_row({"0002", "1.5", "O'Brien"});
    for (int i = 0; i < 20000; ++i)
        model->set_cell_text(0, 1, QStringLiteral("金额%1元").arg(i));
    const QByteArray utf8 = QStringLiteral("幸福小区3栋").toUtf8();
    model->set_cell_utf8(1, 2, utf8.constData(), utf8.size());
    EXPECT_EQ(listview_cell_text(list.get(), 0, 1), QStringLiteral("金额19999元"));
    EXPECT_EQ(listview_cell_text(list.get(), 0, 2), QStringLiteral("第一行"));
    EXPECT_EQ(listview_cell_text(list.get(), 1, 2), QStringLiteral("幸福小区3栋"));
    EXPECT_EQ(model->index(1, 0).data().toString(), QStringLiteral("0002"));
    ASSERT_TRUE(listview_delete_column(list.get(), 0));
    model->insert_column(QStringLiteral("新"), 10, 1);
    EXPECT_EQ(listview_cell_text(list.get(), 0, 0), QStringLiteral("金额19999元"));
    EXPECT_EQ(listview_cell_text(list.get(), 0, 1), QString());
    EXPECT_EQ(listview_cell_text(list.get(), 1, 2), QStringLiteral("幸福小区3栋"));
    ASSERT_TRUE(listview_delete_row(list.get(), 0));
    EXPECT_EQ(listview_cell_text(list.get(), 0, 0), QStringLiteral("1.5"));
}
