#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <memory>

#include "harness/fixture.h"
#include "lists/column_settings_window.h"
#include "lists/list_columns.h"
#include "lists/list_pages.h"
#include "platform/db.h"
#include "platform/listview.h"
#include "store/main_database.h"

using namespace platform;

namespace {

// A page widget as a subsystem builds it: the list and the shared buttons by their names.
std::unique_ptr<QWidget> make_page(int page) {
    auto root = std::make_unique<QWidget>();
    const lists::ListPage* p = lists::list_page(page);
    EXPECT_NE(p, nullptr);
    if (!p) return root;
    make_report_view(root.get())->setObjectName(p->list_unit);
    for (const QString& name :
         {p->export_button, p->print_button, p->column_settings_button, p->save_widths_button})
        if (!name.isEmpty()) (new QPushButton(name, root.get()))->setObjectName(name);
    return root;
}

QPushButton* button(QWidget* root, const QString& name) {
    auto* b = root->findChild<QPushButton*>(name);
    EXPECT_NE(b, nullptr) << name.toStdString();
    return b;
}

class ListPages : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        harness::ProgramFolderTest::SetUp();
        lists::set_list_kind_sources({[this] { return reading_kind; }, [] { return QString(); },
                                      [this] { return reduction_kind; }});
    }
    void TearDown() override {
        lists::set_list_kind_sources({});
        lists::set_print_list_handler({});
        harness::ProgramFolderTest::TearDown();
    }
    int width_of(const QString& column_class, const QString& name) {
        return value(QStringLiteral("select 列宽 from 查询列 where 类名=%1 and 列名=%2")
                         .arg(sql_quote(column_class), sql_quote(name)))
            .toInt();
    }
    void fail_updates_of(const QString& name) {
        const QByteArray sql = QStringLiteral(
                                   "CREATE TRIGGER 拒绝 BEFORE UPDATE ON 查询列 WHEN new.列名='%1' "
                                   "BEGIN SELECT RAISE(ABORT, '不能保存%1'); END")
                                   .arg(name)
                                   .toUtf8();
        ASSERT_EQ(sqlite3_exec(db_handle(store::main_connection()), sql.constData(), nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
    }

    QString reading_kind, reduction_kind;
};

}  // namespace

TEST(ListPageTable, EveryListPageWithItsUnitsClassesAndFileNames) {
    struct Row {
        int page;
        const char* list;
        const char* column_class;  // with empty kinds
        const char* export_name;
        const char* settings;
        const char* save_widths;
    };
    const Row rows[] = {
        {0, "列表框_添加列表", "用户信息", "用户添加表.xls", "", ""},
        {1, "用户查询列表框", "用户信息", "用户查询表.xls", "查询_列设置", "查询_保存列宽"},
        {3, "抄表查询列表框", "未抄表查询", "抄表查询列表.xls", "抄表_列设置", "抄表_保存列宽"},
        {4, "抄表统计列表框", "", "年月查询统计.xls", "", ""},
        {5, "月抄表列表框", "月抄表", "月抄表用户表.xls", "月抄表_列设置", "月抄表_保存列宽"},
        {6, "收费查询列表框", "未收费查询", "收费查询明细表.xls", "收费_列设置", "收费_保存列宽"},
        {7, "预存明细_列表框", "预存明细", "预存明细列表.xls", "预存明细_列设置",
         "预存明细_保存列宽"},
        {8, "预存扣款_列表框", "预存扣款", "预存结余列表.xls", "预存结余_列设置",
         "预存结余_保存列宽"},
        {9, "扣款明细_列表框", "扣款明细", "扣款明细列表.xls", "扣款明细_列设置",
         "扣款明细_保存列宽"},
        {10, "减免管理__列表框", "", "列表.xls", "减免管理__列设置", "减免管理__保存列宽"},
        {11, "抄表机_列表框", "抄表机", "抄表机用户表.xls", "抄表机__列设置", "抄表机__保存列宽"},
        {12, "列表框_日志管理", "日志管理", "操作日志列表.xls", "日志_列设置", "日志_保存列宽"},
        {13, "列表框_发票设置", "发票管理", "发票信息.xls", "发票管理__列设置",
         "发票管理__保存列宽"},
        {14, "列表框_换表管理", "换表管理", "换表管理列表.xls", "换表管理_列设置",
         "换表管理_保存列宽"},
        {15, "列表框_用户表管理", "用户表管理", "用户表管理信息.xls", "用户表管理_列设置",
         "用户表管理_保存列宽"},
    };
    ASSERT_EQ(lists::list_pages().size(), std::size(rows));
    for (const Row& r : rows) {
        const lists::ListPage* p = lists::list_page(r.page);
        ASSERT_NE(p, nullptr) << r.page;
        EXPECT_EQ(p->list_unit, QString::fromUtf8(r.list)) << r.page;
        EXPECT_EQ(lists::column_class_of_page(r.page), QString::fromUtf8(r.column_class)) << r.page;
        QWidget empty;
        EXPECT_EQ(lists::export_file_name_of_page(r.page, &empty), QString::fromUtf8(r.export_name))
            << r.page;
        EXPECT_EQ(p->column_settings_button, QString::fromUtf8(r.settings)) << r.page;
        EXPECT_EQ(p->save_widths_button, QString::fromUtf8(r.save_widths)) << r.page;
        EXPECT_FALSE(p->export_button.isEmpty());
        EXPECT_FALSE(p->print_button.isEmpty());
    }
    EXPECT_EQ(lists::list_page(2), nullptr);
    EXPECT_EQ(lists::list_page(16), nullptr);

    // The statistics page names its file after the report's boxes.
    QWidget stats;
    (new QLineEdit(QStringLiteral("2024"), &stats))
        ->setObjectName(QStringLiteral("抄表统计年选择框"));
    (new QLineEdit(QStringLiteral("3"), &stats))->setObjectName(QStringLiteral("抄表统计月选择框"));
    auto* grouping = new QComboBox(&stats);
    grouping->setObjectName(QStringLiteral("抄表统计2"));
    grouping->addItems({QStringLiteral("按收费人员"), QStringLiteral("按居住街道")});
    grouping->setCurrentIndex(1);
    EXPECT_EQ(lists::export_file_name_of_page(4, &stats),
              QStringLiteral("2024年3月按居住街道查询统计.xls"));
}

TEST_F(ListPages, SaveWidthsStoresTheShownColumnsWidthsUnderThePagesClass) {
    exec(QStringLiteral("update 查询列 set 显示='假' where 类名='日志管理' and 列名='操作人员'"));
    auto root = make_page(12);
    lists::wire_list_page(12, root.get());
    QTableView* list = lists::list_page_list(12);
    ASSERT_NE(list, nullptr);
    lists::ListBuilder(list, QStringLiteral("日志管理")).finish();
    root->show();
    list->horizontalHeader()->resizeSection(1, 222);  // as the user drags it
    listview_set_column_width(list, 4, 333);

    ui.expect_box(QStringLiteral("保存列宽成功，下次自动显示！"));
    button(root.get(), QStringLiteral("日志_保存列宽"))->click();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::Information);
    EXPECT_EQ(width_of(QStringLiteral("日志管理"), QStringLiteral("发生时间")), 222);
    EXPECT_EQ(width_of(QStringLiteral("日志管理"), QStringLiteral("备注")), 333);
    EXPECT_EQ(width_of(QStringLiteral("日志管理"), QStringLiteral("操作人员")),
              80);  // hidden: kept

    // The next build shows them.
    lists::ListBuilder(list, QStringLiteral("日志管理")).finish();
    EXPECT_EQ(listview_column_width(list, 1), 222);
}

TEST_F(ListPages, SaveWidthsReportsAFailedUpdateAndStoresNothing) {
    auto root = make_page(12);
    lists::wire_list_page(12, root.get());
    QTableView* list = lists::list_page_list(12);
    lists::ListBuilder(list, QStringLiteral("日志管理")).finish();
    listview_set_column_width(list, 0, 11);
    listview_set_column_width(list, 5, 55);
    fail_updates_of(QStringLiteral("备注"));

    ui.expect_box(QStringLiteral("不能保存备注"));
    button(root.get(), QStringLiteral("日志_保存列宽"))->click();
    EXPECT_EQ(ui.boxes().size(), 1u);
    EXPECT_FALSE(ui.has_box(QStringLiteral("保存列宽成功")));
    EXPECT_EQ(width_of(QStringLiteral("日志管理"), QStringLiteral("ID")), 60);
}

TEST_F(ListPages, SaveWidthsTakesTheKindsClassAndSucceedsOnAnEmptyList) {
    auto reading = make_page(3);
    lists::wire_list_page(3, reading.get());
    QTableView* list = lists::list_page_list(3);
    reading_kind = QStringLiteral("已抄表查询");
    lists::ListBuilder(list, lists::column_class_of_page(3)).finish();
    ASSERT_EQ(listview_column_title(list, 0), QStringLiteral("编号"));
    listview_set_column_width(list, 0, 44);
    ui.expect_box(QStringLiteral("保存列宽成功"));
    button(reading.get(), QStringLiteral("抄表_保存列宽"))->click();
    EXPECT_EQ(width_of(QStringLiteral("已抄表查询"), QStringLiteral("编号")), 44);

    // The reductions page saves under the kind itself.
    auto reductions = make_page(10);
    lists::wire_list_page(10, reductions.get());
    reduction_kind = QStringLiteral("减免明细");
    QTableView* rlist = lists::list_page_list(10);
    lists::ListBuilder(rlist, QStringLiteral("减免明细")).finish();
    listview_set_column_width(rlist, 0, 33);
    ui.expect_box(QStringLiteral("保存列宽成功"));
    button(reductions.get(), QStringLiteral("减免管理__保存列宽"))->click();
    EXPECT_EQ(width_of(QStringLiteral("减免明细"), QStringLiteral("编号")), 33);

    // No columns at all: still the success message.
    listview_clear_columns(rlist);
    ui.expect_box(QStringLiteral("保存列宽成功，下次自动显示！"));
    button(reductions.get(), QStringLiteral("减免管理__保存列宽"))->click();
    EXPECT_EQ(ui.boxes().size(), 3u);
}

TEST_F(ListPages, ColumnSettingsButtonOpensTheWindowModallyWithoutOwner) {
    auto root = make_page(14);
    lists::wire_list_page(14, root.get());
    lists::wire_list_page(14, root.get());  // wired twice: still one window per click
    int opened = 0;
    ui.on_modal(QStringLiteral("lists::ColumnSettingsWindow"), [&](QDialog* window) {
        ++opened;
        EXPECT_EQ(window->parentWidget(), nullptr);
        EXPECT_EQ(lists::column_settings_class, QStringLiteral("换表管理"));
        return int(QDialog::Accepted);
    });
    button(root.get(), QStringLiteral("换表管理_列设置"))->click();
    EXPECT_EQ(opened, 1);
}

TEST_F(ListPages, PrintButtonsWorkOnlyWithAPrinterInstalled) {
    auto root = make_page(9);
    lists::wire_list_page(9, root.get());
    QPushButton* print = button(root.get(), QStringLiteral("扣款明细_打印"));
    EXPECT_FALSE(print->isEnabled());
    QTableView* printed = nullptr;
    lists::set_print_list_handler([&](QTableView* list) { printed = list; });
    EXPECT_TRUE(print->isEnabled());
    print->click();
    EXPECT_EQ(printed, lists::list_page_list(9, root.get()));
    EXPECT_EQ(printed->objectName(), QStringLiteral("扣款明细_列表框"));
    lists::set_print_list_handler({});
    EXPECT_FALSE(print->isEnabled());
}
