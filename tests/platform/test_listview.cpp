#include <gtest/gtest.h>

#include <QBrush>
#include <QHeaderView>
#include <QImage>
#include <QPixmap>
#include <QTableView>
#include <memory>

#include "harness/scripted_ui.h"  // PrintTo(QString)
#include "platform/listview.h"

using namespace platform;

namespace {

struct SignalCounts {
    int resets = 0;
    int rows_inserted = 0;
    int rows_removed = 0;
    int data_changed = 0;
};

void count_signals(ListModel* model, SignalCounts* counts) {
    QObject::connect(model, &QAbstractItemModel::modelReset, [counts] { ++counts->resets; });
    QObject::connect(model, &QAbstractItemModel::rowsInserted,
                     [counts] { ++counts->rows_inserted; });
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, [counts] { ++counts->rows_removed; });
    QObject::connect(model, &QAbstractItemModel::dataChanged, [counts] { ++counts->data_changed; });
}

QStringList row_texts(QTableView* view, int row) {
    QStringList texts;
    for (int c = 0; c < listview_column_count(view); ++c) texts << listview_cell_text(view, row, c);
    return texts;
}

class ListView : public ::testing::Test {
protected:
    std::unique_ptr<QTableView> view_{make_report_view()};
    QTableView* view() { return view_.get(); }
};

}  // namespace

TEST_F(ListView, ColumnsByIndexAndTitle) {
    EXPECT_EQ(listview_insert_column(view(), QStringLiteral("户号"), 80), 0);
    EXPECT_EQ(listview_insert_column(view(), QStringLiteral("用户名"), 120), 1);
    EXPECT_EQ(listview_insert_column(view(), QStringLiteral("金额"), 60), 2);
    EXPECT_EQ(listview_column_count(view()), 3);
    EXPECT_EQ(listview_column_title(view(), 1), QStringLiteral("用户名"));
    EXPECT_EQ(listview_column_index(view(), QStringLiteral("金额")), 2);
    EXPECT_EQ(listview_column_index(view(), QStringLiteral("地址")), -1);
    EXPECT_EQ(view()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("户号"));
    EXPECT_EQ(listview_column_width(view(), 1), 120);
    EXPECT_EQ(view()->horizontalHeader()->sectionSize(1), 120);

    const int row = listview_insert_row(view());
    listview_set_cell_text(view(), row, 0, QStringLiteral("0001"));
    listview_set_cell_text(view(), row, 1, QStringLiteral("张三"));
    listview_set_cell_text(view(), row, 2, QStringLiteral("12.50"));

    // Cells stay with their columns when columns come and go.
    EXPECT_TRUE(listview_delete_column(view(), QStringLiteral("用户名")));
    EXPECT_EQ(row_texts(view(), 0), (QStringList{QStringLiteral("0001"), QStringLiteral("12.50")}));
    EXPECT_EQ(listview_column_width(view(), 1), 60);
    EXPECT_EQ(listview_model(view())->insert_column(QStringLiteral("街道"), 90, 1), 1);
    EXPECT_EQ(row_texts(view(), 0),
              (QStringList{QStringLiteral("0001"), QString(), QStringLiteral("12.50")}));
    EXPECT_EQ(view()->horizontalHeader()->sectionSize(1), 90);
    EXPECT_TRUE(listview_delete_column(view(), 0));
    EXPECT_EQ(row_texts(view(), 0), (QStringList{QString(), QStringLiteral("12.50")}));
    EXPECT_FALSE(listview_delete_column(view(), QStringLiteral("户号")));
    EXPECT_FALSE(listview_delete_column(view(), 5));

    listview_clear_columns(view());
    EXPECT_EQ(listview_column_count(view()), 0);
    EXPECT_EQ(listview_row_count(view()), 0);
}

TEST_F(ListView, RowsAndCells) {
    listview_insert_column(view(), QStringLiteral("甲"), 50);
    listview_insert_column(view(), QStringLiteral("乙"), 50);
    for (int i = 0; i < 3; ++i) {
        const int row = listview_insert_row(view());
        EXPECT_EQ(row, i);
        EXPECT_TRUE(listview_set_cell_text(view(), row, 0, QString::number(i)));
    }
    EXPECT_EQ(listview_row_count(view()), 3);
    EXPECT_EQ(listview_cell_text(view(), 2, 0), QStringLiteral("2"));
    EXPECT_EQ(listview_cell_text(view(), 2, 1), QString());
    EXPECT_FALSE(listview_set_cell_text(view(), 3, 0, QStringLiteral("x")));
    EXPECT_FALSE(listview_set_cell_text(view(), 0, 2, QStringLiteral("x")));
    EXPECT_EQ(listview_cell_text(view(), -1, 0), QString());
    EXPECT_EQ(listview_cell_text(view(), 0, 9), QString());

    EXPECT_TRUE(listview_delete_row(view(), 1));
    EXPECT_EQ(listview_cell_text(view(), 1, 0), QStringLiteral("2"));
    EXPECT_EQ(listview_model(view())->insert_row(0), 0);
    EXPECT_EQ(listview_cell_text(view(), 0, 0), QString());
    EXPECT_EQ(listview_cell_text(view(), 1, 0), QStringLiteral("0"));
    EXPECT_EQ(listview_model(view())->append_row(
                  {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}),
              3);
    EXPECT_EQ(row_texts(view(), 3), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));

    listview_clear_rows(view());
    EXPECT_EQ(listview_row_count(view()), 0);
    EXPECT_EQ(listview_column_count(view()), 2);
}

TEST_F(ListView, FillingManyRowsIsOneModelReset) {
    for (int c = 0; c < 12; ++c)
        listview_insert_column(view(), QStringLiteral("列%1").arg(c), 40 + c);
    SignalCounts counts;
    count_signals(listview_model(view()), &counts);

    constexpr int kRows = 100000;
    listview_begin_fill(view());
    listview_clear_rows(view());
    listview_model(view())->reserve_rows(kRows);
    for (int r = 0; r < kRows; ++r) {
        const int row = listview_insert_row(view());
        for (int c = 0; c < 12; ++c)
            listview_set_cell_text(view(), row, c, QString::number(r * 12 + c));
    }
    {
        ListModel::Filler nested(listview_model(view()));  // an inner batch adds no reset
        listview_set_cell_colour(view(), kRows - 1, 0, Qt::red);
    }
    EXPECT_EQ(counts.resets, 0);  // nothing reaches the view before the fill ends
    listview_end_fill(view());

    EXPECT_EQ(counts.resets, 1);
    EXPECT_EQ(counts.rows_inserted, 0);
    EXPECT_EQ(counts.rows_removed, 0);
    EXPECT_EQ(counts.data_changed, 0);
    EXPECT_EQ(listview_row_count(view()), kRows);
    EXPECT_EQ(view()->model()->rowCount(), kRows);
    EXPECT_EQ(listview_cell_text(view(), 54321, 7), QString::number(54321 * 12 + 7));
    EXPECT_EQ(view()->model()->index(kRows - 1, 11).data().toString(),
              QString::number(kRows * 12 - 1));
    // The reset rebuilt the header; the widths are the columns' own again.
    for (int c = 0; c < 12; ++c) EXPECT_EQ(view()->horizontalHeader()->sectionSize(c), 40 + c);

    // Outside a fill every change is signalled, so views never miss one.
    listview_insert_row(view());
    listview_set_cell_text(view(), kRows, 0, QStringLiteral("x"));
    EXPECT_EQ(counts.rows_inserted, 1);
    EXPECT_EQ(counts.data_changed, 1);
    EXPECT_EQ(counts.resets, 1);
}

TEST_F(ListView, ColumnsRebuiltInsideAFillKeepTheirWidths) {
    listview_insert_column(view(), QStringLiteral("旧"), 200);
    listview_insert_row(view());
    SignalCounts counts;
    count_signals(listview_model(view()), &counts);
    listview_begin_fill(view());
    listview_clear_columns(view());
    listview_insert_column(view(), QStringLiteral("户号"), 30);
    listview_insert_column(view(), QStringLiteral("用户名"), 60);
    listview_insert_column(view(), QStringLiteral("金额"), 0);  // a hidden column
    listview_insert_row(view());
    listview_end_fill(view());
    EXPECT_EQ(counts.resets, 1);
    EXPECT_EQ(listview_column_count(view()), 3);
    EXPECT_EQ(listview_row_count(view()), 1);
    QHeaderView* header = view()->horizontalHeader();
    EXPECT_EQ(header->sectionSize(0), 30);
    EXPECT_EQ(header->sectionSize(1), 60);
    EXPECT_EQ(header->sectionSize(2), 0);
    EXPECT_EQ(listview_column_width(view(), 2), 0);
}

TEST_F(ListView, CellColoursStayUntilTheFillerClearsThem) {
    listview_insert_column(view(), QStringLiteral("甲"), 50);
    listview_insert_column(view(), QStringLiteral("乙"), 50);
    ListModel* model = listview_model(view());
    // A filler may colour the totals row before appending it.
    listview_set_cell_colour(view(), 1, 0, Qt::red);
    listview_set_cell_colour(view(), 1, 1, Qt::blue, Qt::yellow);
    listview_set_cell_colour(view(), 1, 1, Qt::red);  // the last colours win
    EXPECT_EQ(model->coloured_cell_count(), 2);

    const auto fill = [&] {
        ListModel::Filler filler(model);
        model->clear_rows();
        model->append_row({QStringLiteral("1"), QStringLiteral("2")});
        model->append_row({QStringLiteral("合计"), QStringLiteral("3")});
    };
    fill();
    const QModelIndex total = model->index(1, 1);
    EXPECT_EQ(total.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
    EXPECT_FALSE(total.data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(model->index(0, 1).data(Qt::ForegroundRole).isValid());

    fill();  // refilled without clearing: still coloured
    EXPECT_EQ(model->index(1, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));

    listview_clear_cell_colour(view(), 1, 0);
    EXPECT_FALSE(model->index(1, 0).data(Qt::ForegroundRole).isValid());
    EXPECT_TRUE(model->index(1, 1).data(Qt::ForegroundRole).isValid());
    listview_clear_cell_colours(view());
    EXPECT_EQ(model->coloured_cell_count(), 0);
    EXPECT_FALSE(model->index(1, 1).data(Qt::ForegroundRole).isValid());
}

TEST_F(ListView, DelegatePaintsCellColoursEvenUnderAStyleSheet) {
    view()->setStyleSheet(QStringLiteral("QTableView::item { background: white; color: black; }"));
    view()->resize(400, 200);
    listview_insert_column(view(), QStringLiteral("甲"), 150);
    listview_insert_column(view(), QStringLiteral("乙"), 150);
    const int row = listview_insert_row(view());
    listview_set_cell_text(view(), row, 0, QStringLiteral("██████"));
    listview_set_cell_text(view(), row, 1, QStringLiteral("██████"));
    listview_set_cell_colour(view(), row, 0, QColor(255, 0, 0), QColor(0, 255, 0));
    view()->show();

    const QImage image = view()->viewport()->grab().toImage();
    const auto count = [&image](const QRect& rect, auto predicate) {
        int n = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                if (predicate(image.pixelColor(x, y))) ++n;
        return n;
    };
    const auto green = [](const QColor& c) {
        return c.green() > 200 && c.red() < 60 && c.blue() < 60;
    };
    const auto red = [](const QColor& c) {
        return c.red() > 200 && c.green() < 60 && c.blue() < 60;
    };
    const QRect coloured =
        view()->visualRect(view()->model()->index(row, 0)).adjusted(1, 1, -1, -1);
    const QRect plain = view()->visualRect(view()->model()->index(row, 1)).adjusted(1, 1, -1, -1);
    EXPECT_GT(count(coloured, green), coloured.width() * coloured.height() / 4);
    EXPECT_GT(count(coloured, red), 20);
    EXPECT_EQ(count(plain, green), 0);
    EXPECT_EQ(count(plain, red), 0);
}

TEST_F(ListView, SelectionOfOneRow) {
    listview_insert_column(view(), QStringLiteral("甲"), 50);
    listview_insert_column(view(), QStringLiteral("乙"), 50);
    EXPECT_EQ(listview_selected_row(view()), -1);
    for (int i = 0; i < 5; ++i) listview_insert_row(view());
    listview_select_row(view(), 3);
    EXPECT_EQ(listview_selected_row(view()), 3);
    listview_select_row(view(), 1);
    EXPECT_EQ(listview_selected_row(view()), 1);  // single selection
    EXPECT_EQ(view()->selectionModel()->selectedRows().size(), 1);
    listview_select_row(view(), -1);
    EXPECT_EQ(listview_selected_row(view()), -1);
    listview_select_row(view(), 4);
    listview_begin_fill(view());
    listview_end_fill(view());
    EXPECT_EQ(listview_selected_row(view()), -1);  // a refill drops the selection
    listview_select_row(view(), 9);
    EXPECT_EQ(listview_selected_row(view()), -1);
}

TEST_F(ListView, WidthsFollowTheViewBothWays) {
    listview_insert_column(view(), QStringLiteral("甲"), 50);
    listview_insert_column(view(), QStringLiteral("乙"), 70);
    listview_set_column_width(view(), 0, 110);
    EXPECT_EQ(view()->horizontalHeader()->sectionSize(0), 110);
    // The user drags a column wider.
    view()->horizontalHeader()->resizeSection(1, 95);
    EXPECT_EQ(listview_column_width(view(), 1), 95);
    // Width 0 hides a column.
    listview_set_column_width(view(), 1, 0);
    EXPECT_EQ(view()->horizontalHeader()->sectionSize(1), 0);
    EXPECT_EQ(listview_column_width(view(), 1), 0);
    EXPECT_EQ(listview_column_width(view(), 7), -1);
}

TEST(ListViewSetup, APlainTableViewBecomesAReportList) {
    QTableView view;  // as a .ui file makes it
    EXPECT_EQ(listview_insert_column(&view, QStringLiteral("户号"), 80), 0);
    EXPECT_NE(qobject_cast<ListModel*>(view.model()), nullptr);
    EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(view.verticalHeader()->isHidden());
    EXPECT_NE(qobject_cast<ListCellDelegate*>(view.itemDelegate()), nullptr);
    EXPECT_FALSE(view.model()->flags(view.model()->index(0, 0)) & Qt::ItemIsEditable);
    ListModel* model = listview_model(&view);
    listview_insert_row(&view);
    EXPECT_EQ(listview_model(&view), model);  // set up once
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
}

TEST_F(ListView, RowTicksStayWithTheirRowsAndShowInTheFirstColumn) {
    listview_insert_column(view(), QStringLiteral("户号"), 50);
    listview_insert_column(view(), QStringLiteral("用户名"), 50);
    ListModel* model = listview_model(view());
    for (const char* n : {"1", "2", "3", "4"}) model->append_row({QString::fromLatin1(n), QString()});
    // Not checkable: no box is shown and nothing can be ticked by the user.
    EXPECT_FALSE(model->data(model->index(0, 0), Qt::CheckStateRole).isValid());
    EXPECT_FALSE(model->setData(model->index(0, 0), Qt::Checked, Qt::CheckStateRole));

    listview_set_checkable(view(), true);
    EXPECT_EQ(model->data(model->index(1, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_FALSE(model->data(model->index(1, 1), Qt::CheckStateRole).isValid());
    EXPECT_TRUE(model->flags(model->index(1, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model->flags(model->index(1, 1)) & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(model->setData(model->index(1, 0), Qt::Checked, Qt::CheckStateRole));
    listview_set_row_checked(view(), 3, true);
    EXPECT_EQ(model->data(model->index(1, 0), Qt::CheckStateRole).toInt(), Qt::Checked);

    // Deleting and inserting rows before a ticked row moves its tick along with it.
    listview_delete_row(view(), 0);
    EXPECT_TRUE(listview_row_checked(view(), 0));
    EXPECT_FALSE(listview_row_checked(view(), 1));
    EXPECT_TRUE(listview_row_checked(view(), 2));
    model->insert_row(0);
    EXPECT_FALSE(listview_row_checked(view(), 0));
    EXPECT_TRUE(listview_row_checked(view(), 1));
    EXPECT_TRUE(listview_row_checked(view(), 3));
    EXPECT_FALSE(listview_row_checked(view(), 9));

    listview_clear_rows(view());
    model->append_row({QStringLiteral("5"), QString()});
    EXPECT_FALSE(listview_row_checked(view(), 0));
}

// Rows put in front of, into and taken out of a list, checked against a plain copy of what it
// should hold: the front rows take a gap kept before the first row, which runs out and grows,
// and columns laid out again must keep that gap's rows out of the list.
TEST_F(ListView, RowsInsertedAndDeletedAnywhereKeepTheirTextsAndTicks) {
    listview_insert_column(view(), QStringLiteral("甲"), 50);
    listview_insert_column(view(), QStringLiteral("乙"), 50);
    ListModel* model = listview_model(view());
    struct Row {
        QString a, b;
        bool ticked;
    };
    std::vector<Row> expected;
    int serial = 0;
    const auto insert = [&](int at) {
        const Row row{QStringLiteral("a%1").arg(serial), QStringLiteral("b%1").arg(serial),
                      serial % 3 == 0};
        ++serial;
        EXPECT_EQ(model->insert_row(at), at);
        EXPECT_EQ(model->cell_text(at, 0) + model->cell_text(at, 1), QString()) << at;
        EXPECT_FALSE(model->row_checked(at)) << at;
        model->set_cell_text(at, 0, row.a);
        model->set_cell_text(at, 1, row.b);
        model->set_row_checked(at, row.ticked);
        expected.insert(expected.begin() + at, row);
    };
    const auto remove = [&](int at) {
        EXPECT_TRUE(model->delete_row(at));
        expected.erase(expected.begin() + at);
    };
    const auto matches = [&](const char* step) {
        SCOPED_TRACE(step);
        ASSERT_EQ(model->rowCount(), static_cast<int>(expected.size()));
        int ticked = 0;
        for (int r = 0; r < model->rowCount(); ++r) {
            const Row& row = expected[size_t(r)];
            EXPECT_EQ(model->cell_text(r, 0), row.a) << r;
            EXPECT_EQ(model->cell_text(r, 1), row.b) << r;
            EXPECT_EQ(model->row_checked(r), row.ticked) << r;
            ticked += row.ticked;
        }
        EXPECT_EQ(model->checked_count(), ticked);
    };

    for (int i = 0; i < 10; ++i) insert(i);  // appended
    for (int i = 0; i < 300; ++i) insert(0);  // on top, past several gaps
    matches("on top");
    for (const int at : {1, 5, 150, 290, 309, 2}) insert(at);
    matches("into the middle");
    for (const int at : {0, 0, 3, 100, 200, 310}) remove(at);  // the last
    matches("deleted");
    for (int i = 0; i < 70; ++i) insert(i % 2 == 0 ? 0 : 1);
    matches("on top after deletes");

    // A column put between the two and the first taken away again.
    model->insert_column(QStringLiteral("丙"), 50, 1);
    for (int r = 0; r < model->rowCount(); ++r) EXPECT_EQ(model->cell_text(r, 1), QString());
    model->delete_column(1);
    matches("columns laid out again");
    insert(0);
    matches("on top after the columns");

    // Texts written again and again get packed away; every cell still reads its own.
    for (int round = 0; round < 200; ++round)
        for (int r = 0; r < 5; ++r) {
            expected[size_t(r)].a = QString(300, QChar(u'字')) + QString::number(round);
            model->set_cell_text(r, 0, expected[size_t(r)].a);
        }
    matches("texts packed");

    while (!expected.empty()) remove(static_cast<int>(expected.size()) / 3);
    matches("emptied");
    insert(0);
    matches("one row again");
}

TEST_F(ListView, ClearingTicksUnticksEveryRowInOneSignal) {
    listview_insert_column(view(), QStringLiteral("户号"), 50);
    ListModel* model = listview_model(view());
    for (int i = 0; i < 10; ++i) model->append_row({QString::number(i)});
    model->set_checkable(true);
    SignalCounts counts;
    count_signals(model, &counts);
    model->clear_checks();  // nothing ticked: nothing to tell the view
    EXPECT_EQ(counts.data_changed, 0);

    model->set_row_checked(2, true);
    model->set_row_checked(7, true);
    model->set_row_checked(7, true);  // ticked twice is still one row
    model->set_row_checked(4, false);
    EXPECT_EQ(model->checked_count(), 2);
    QModelIndex top, bottom;
    QObject::connect(model, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& first, const QModelIndex& last) {
                         top = first;
                         bottom = last;
                     });
    counts = {};
    model->clear_checks();
    EXPECT_EQ(counts.data_changed, 1);
    EXPECT_EQ(top.row(), 2);
    EXPECT_EQ(bottom.row(), 7);
    EXPECT_EQ(model->checked_count(), 0);
    for (int r = 0; r < 10; ++r) EXPECT_FALSE(model->row_checked(r)) << r;

    model->set_row_checked(9, true);
    model->delete_row(9);  // a ticked row deleted takes its tick with it
    EXPECT_EQ(model->checked_count(), 0);
    counts = {};
    model->clear_checks();
    EXPECT_EQ(counts.data_changed, 0);
}
