// A page's row of buttons made to wrap: on a page too narrow for one row every button keeps the
// width its caption needs, in its order, inside the page and above the list under the row.
#include <gtest/gtest.h>

#include <QBoxLayout>
#include <QPushButton>
#include <QTableView>
#include <QWidget>
#include <vector>

#include "platform/flow_layout.h"

namespace {

struct Page {
    QWidget widget;
    std::vector<QPushButton*> buttons;
    QTableView* list = nullptr;

    Page() {
        auto* page = new QVBoxLayout(&widget);
        auto* row = new QHBoxLayout;
        row->setObjectName(QStringLiteral("布局_按钮"));
        for (const char* caption : {"查询", "添加", "修改", "删除", "上移", "下移", "移动到..",
                                    "导出", "打印", "列设置", "保存列宽", "批量排序"}) {
            buttons.push_back(new QPushButton(QString::fromUtf8(caption)));
            row->addWidget(buttons.back());
        }
        row->addStretch();
        page->addLayout(row);
        list = new QTableView;
        page->addWidget(list);
    }
};

TEST(FlowLayout, AButtonRowTooWideForThePageWrapsWithWholeButtons) {
    for (const int width : {300, 500, 2000}) {
        SCOPED_TRACE(width);
        Page page;
        platform::wrap_button_row(&page.widget);
        page.widget.resize(width, 400);
        page.widget.show();
        page.widget.layout()->activate();
        int rows = 1;
        for (size_t i = 0; i < page.buttons.size(); ++i) {
            const QPushButton* button = page.buttons[i];
            EXPECT_GE(button->width(), button->sizeHint().width()) << i;
            EXPECT_TRUE(page.widget.rect().contains(button->geometry())) << i;
            EXPECT_LT(button->geometry().bottom(), page.list->geometry().top()) << i;
            if (i == 0) continue;
            const QRect before = page.buttons[i - 1]->geometry();
            // Next on the same row, or first on the row below.
            if (button->y() == before.y()) {
                EXPECT_GT(button->x(), before.right()) << i;
            } else {
                EXPECT_GT(button->y(), before.bottom()) << i;
                EXPECT_EQ(button->x(), page.buttons[0]->x()) << i;
                ++rows;
            }
        }
        EXPECT_EQ(rows > 1, width < 1000) << rows;
    }
}

}  // namespace
