#include <gtest/gtest.h>

#include <QBrush>
#include <QImage>
#include <QTableView>
#include <memory>

#include "harness/scripted_ui.h"
#include "lists/list_colours.h"
#include "platform/listview.h"

using namespace platform;

namespace {

std::unique_ptr<QTableView> make_list(int rows, const QStringList& titles) {
    std::unique_ptr<QTableView> list(make_report_view());
    for (const QString& t : titles) listview_insert_column(list.get(), t, 80);
    for (int r = 0; r < rows; ++r) {
        QStringList cells;
        for (int c = 0; c < titles.size(); ++c) cells << QStringLiteral("██%1%2").arg(r).arg(c);
        listview_model(list.get())->append_row(cells);
    }
    return list;
}

QColor text_colour(QTableView* list, int row, int column) {
    const QVariant v = list->model()->index(row, column).data(Qt::ForegroundRole);
    return v.isValid() ? v.value<QBrush>().color() : QColor();
}

QColor background(QTableView* list, int row, int column) {
    const QVariant v = list->model()->index(row, column).data(Qt::BackgroundRole);
    return v.isValid() ? v.value<QBrush>().color() : QColor();
}

}  // namespace

TEST(ListColours, RegisteringReplacesAndTheListsOwnColoursRemoveTheEntry) {
    auto list = make_list(3, {"甲", "乙"});
    QTableView* v = list.get();
    lists::set_list_item_colour(nullptr, v, 2, 0, lists::colour_from_bgr(255));
    EXPECT_EQ(text_colour(v, 2, 0), QColor(255, 0, 0));
    EXPECT_FALSE(background(v, 2, 0).isValid());  // the list's own background

    // The same cell again: one entry with the last colours.
    lists::set_list_item_colour(nullptr, v, 2, 0, lists::colour_from_bgr(0xff0000),
                                QColor(Qt::yellow), true);
    EXPECT_EQ(text_colour(v, 2, 0), QColor(0, 0, 255));
    EXPECT_EQ(background(v, 2, 0), QColor(Qt::yellow));
    EXPECT_EQ(listview_model(v)->coloured_cell_count(), 1);

    // The list's own text colour without a background: the ordinary look again.
    lists::set_list_item_colour(nullptr, v, 2, 0, v->palette().color(QPalette::Text));
    EXPECT_FALSE(text_colour(v, 2, 0).isValid());
    EXPECT_FALSE(background(v, 2, 0).isValid());
    EXPECT_EQ(listview_model(v)->coloured_cell_count(), 0);

    // A background given with the flag off is not used.
    lists::set_list_item_colour(nullptr, v, 1, 1, Qt::red, QColor(Qt::green), false);
    EXPECT_FALSE(background(v, 1, 1).isValid());
}

TEST(ListColours, ColoursStayThroughRefillsAndColumnChangesUntilCleared) {
    auto first = make_list(4, {"户号", "电话", "金额"});
    auto second = make_list(2, {"甲"});
    const auto colour_totals = [&] {
        for (int c = 0; c < 3; ++c)
            lists::set_list_item_colour(nullptr, first.get(), 3, c, Qt::red);
    };
    colour_totals();
    lists::set_list_item_colour(nullptr, second.get(), 1, 0, Qt::red);

    // Rows appended again without clearing keep their colours.
    ListModel* model = listview_model(first.get());
    model->clear_rows();
    for (int r = 0; r < 4; ++r) model->append_row({"a", "b", "c"});
    EXPECT_EQ(text_colour(first.get(), 3, 2), QColor(Qt::red));

    // A column deleted (the hidden-column step): the colours stay on their cells.
    model->set_cell_colour(0, 2, Qt::blue);
    ASSERT_TRUE(listview_delete_column(first.get(), QStringLiteral("电话")));
    EXPECT_EQ(text_colour(first.get(), 0, 1), QColor(Qt::blue));  // 金额 moved left
    EXPECT_EQ(text_colour(first.get(), 3, 1), QColor(Qt::red));
    EXPECT_FALSE(text_colour(first.get(), 0, 0).isValid());
    EXPECT_EQ(model->coloured_cell_count(), 3);  // the deleted cell's colour went with it
    // A row deleted above the totals row: the colour moves up with it.
    ASSERT_TRUE(listview_delete_row(first.get(), 1));
    EXPECT_EQ(text_colour(first.get(), 2, 0), QColor(Qt::red));
    EXPECT_FALSE(text_colour(first.get(), 1, 0).isValid());
    // A column inserted before a coloured one pushes its colour along.
    model->insert_column(QStringLiteral("新"), 40, 0);
    EXPECT_FALSE(text_colour(first.get(), 2, 0).isValid());
    EXPECT_EQ(text_colour(first.get(), 2, 1), QColor(Qt::red));

    // Clearing one list leaves the other; clearing all clears every coloured list.
    lists::refresh_list_colours(nullptr, first.get(), true);
    EXPECT_EQ(listview_model(first.get())->coloured_cell_count(), 0);
    EXPECT_EQ(text_colour(second.get(), 1, 0), QColor(Qt::red));
    colour_totals();
    lists::refresh_list_colours(nullptr, nullptr, false);
    EXPECT_EQ(listview_model(first.get())->coloured_cell_count(), 0);
    EXPECT_EQ(listview_model(second.get())->coloured_cell_count(), 0);

    // A list never coloured: nothing happens.
    auto plain = make_list(1, {"甲"});
    lists::refresh_list_colours(nullptr, plain.get(), true);
    EXPECT_EQ(listview_model(plain.get())->rowCount(), 1);
}

TEST(ListColours, TheTotalsRowIsPaintedRedAndItsNeighboursPlain) {
    auto list = make_list(2, {"甲", "乙"});
    QTableView* v = list.get();
    v->resize(300, 120);
    lists::set_list_item_colour(nullptr, v, 1, 0, lists::kTotalsRowColour);
    v->show();
    const QImage image = v->viewport()->grab().toImage();
    const auto reds = [&](int row, int column) {
        const QRect r = v->visualRect(v->model()->index(row, column)).adjusted(1, 1, -1, -1);
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 180 && c.green() < 80 && c.blue() < 80) ++n;
            }
        return n;
    };
    EXPECT_GT(reds(1, 0), 20);
    EXPECT_EQ(reds(1, 1), 0);  // same row, not registered: the list's own colours
    EXPECT_EQ(reds(0, 0), 0);
}
