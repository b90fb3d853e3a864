// The busy windows while long work runs on the user-interface thread: a list filler's progress
// window is drawn and advances by rows; one run at a time of a button's action, the clicks and
// keys made meanwhile dropped when it ends while the program's own queued work still runs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "harness/busy_watch.h"
#include "harness/fixture.h"
#include "lists/list_columns.h"
#include "lists/progress_window.h"
#include "platform/listview.h"

namespace {

class BusyWindows : public harness::ProgramFolderTest {};

TEST_F(BusyWindows, AListFillIsDrawnAndAdvancesRowByRow) {
    exec(QStringLiteral(
        "insert into 查询列 (类名,列名,显示,列宽,排序) values ('测试类','户号','真',80,1)"));
    QWidget page;
    auto* view = platform::make_report_view(&page);
    page.show();
    harness::BusyWatch watch;
    {
        lists::ListBuilder build(view, QStringLiteral("测试类"), &page);
        build.show_progress(40);
        for (int r = 1; r <= 40; ++r) build.append_row({QString::number(r)});
        build.finish();
    }
    EXPECT_EQ(watch.windows_opened(), 1);
    EXPECT_EQ(watch.painted_maximum(), 40);
    const std::vector<int>& painted = watch.painted_positions();
    ASSERT_GE(painted.size(), 10u);
    EXPECT_TRUE(std::is_sorted(painted.begin(), painted.end()));
    EXPECT_EQ(painted.back(), 40);
    EXPECT_EQ(platform::listview_row_count(view), 40);
}

class Delivered : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) ++delivered;
        return QObject::event(e);
    }
    int delivered = 0;
};

TEST_F(BusyWindows, OneRunAtATimeAndWhatTheUserDidMeanwhileIsDropped) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* run = new QPushButton(QStringLiteral("查询"), &window);
    auto* other = new QPushButton(QStringLiteral("返回"), &window);
    auto* box = new QLineEdit(&window);
    layout->addWidget(run);
    layout->addWidget(other);
    layout->addWidget(box);
    window.show();
    int other_clicks = 0;
    QObject::connect(other, &QPushButton::clicked, [&] { ++other_clicks; });
    Delivered queued;

    bool running = false;
    {
        lists::BusyGuard guard(running, run);
        ASSERT_TRUE(guard.running());
        EXPECT_FALSE(run->isEnabled());
        lists::BusyGuard again(running, run);
        EXPECT_FALSE(again.running());  // a second start while the first runs does nothing

        // Meanwhile the user clicks elsewhere and types; the program queues work of its own.
        harness::post_click(other);
        QCoreApplication::postEvent(box, new QKeyEvent(QEvent::KeyPress, Qt::Key_A,
                                                        Qt::NoModifier, QStringLiteral("a")));
        QCoreApplication::postEvent(&queued, new QEvent(QEvent::User));
    }
    EXPECT_FALSE(running);
    EXPECT_TRUE(run->isEnabled());
    QCoreApplication::processEvents();
    EXPECT_EQ(other_clicks, 0);
    EXPECT_TRUE(box->text().isEmpty());
    EXPECT_EQ(queued.delivered, 1);

    // A button disabled before the run stays disabled after it.
    run->setEnabled(false);
    { lists::BusyGuard guard(running, run); }
    EXPECT_FALSE(run->isEnabled());
}

}  // namespace
