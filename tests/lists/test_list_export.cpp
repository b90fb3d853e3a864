#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "harness/busy_watch.h"
#include "harness/fixture.h"
#include "lists/list_export.h"
#include "lists/list_pages.h"
#include "lists/list_workbook.h"
#include "lists/progress_window.h"
#include "platform/chinese_ui.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/excel_install.h"
#include "platform/excel_sheet.h"
#include "platform/files.h"
#include "platform/listview.h"
#include "store/main_database.h"

using namespace platform;

namespace {

std::unique_ptr<QTableView> make_list(const QStringList& titles, const QList<QStringList>& rows) {
    std::unique_ptr<QTableView> list(make_report_view());
    for (const QString& t : titles) listview_insert_column(list.get(), t, 80);
    for (const QStringList& r : rows) listview_model(list.get())->append_row(r);
    return list;
}

// Sees what the export leaves on screen while the workbook is written, then lets the
// program's bridge write it.
class WatchingBridge : public ExcelBridge {
public:
    bool read_sheet(Connection& c, const QString& file, const QString& sheet, const QString& table,
                    QString* error) override {
        return install_excel_bridge().read_sheet(c, file, sheet, table, error);
    }
    bool write_sheet(Connection& c, const QString& file, const QString& sheet,
                     const QString& select, QString* error) override {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<lists::ProgressWindow*>(w); p && p->isVisible()) {
                progress_seen = true;
                bar_maximum = p->progress_bar()->maximum();
                bar_value = p->progress_bar()->value();
            }
        ++writes;
        if (during_write) during_write();
        return install_excel_bridge().write_sheet(c, file, sheet, select, error);
    }
    bool progress_seen = false;
    int bar_maximum = -1, bar_value = -1, writes = 0;
    std::function<void()> during_write;
};

class ListExport : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        harness::ProgramFolderTest::SetUp();
        install_excel_bridge();
    }
    void TearDown() override {
        install_excel_bridge();
        harness::ProgramFolderTest::TearDown();
    }

    // The workbook read back through the bridge's reader: field names, then the rows.
    QList<QStringList> read_back(const QString& file) {
        exec(QStringLiteral("drop table if exists 回读"));
        exec(QStringLiteral("SELECT * INTO 回读 FROM %1.[Sheet1$]")
                 .arg(excel_workbook_reference(file)));
        RecordSet records;
        recordset_bind_connection(records, store::main_connection());
        EXPECT_TRUE(recordset_open(records, QStringLiteral("select * from 回读")));
        QList<QStringList> result{records.names};
        for (; !recordset_eof(records); recordset_move_next(records)) {
            QStringList row;
            for (int i = 0; i < recordset_field_count(records); ++i)
                row << recordset_field_text(records, i);
            result << row;
        }
        return result;
    }
    QString out(const QString& name) { return folder() + "/" + name; }
};

}  // namespace

TEST_F(ListExport, WritesTheHeaderAndEveryRowAsText) {
    auto list = make_list({"户 号", "用户名", "地　址", "金额"},
                          {{"0001", "O'Brien", "一路'1号", "12.50"},
                           {"0002", "张三", "", "007"},
                           {"合计", "", "x'); drop table tmp; --", "19.50"}});
    const QString file = out("用户查询表.xlsx");
    QFile old(file);  // an existing file is replaced
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();
    QProgressBar bar;
    ASSERT_TRUE(lists::export_list_view_to_excel(list.get(), file, QString(), false, &bar, true));
    EXPECT_EQ(bar.maximum(), 3);
    EXPECT_EQ(bar.value(), 3);
    EXPECT_EQ(listview_row_count(list.get()), 3);  // the list stays as it was

    const QList<QStringList> back = read_back(file);
    ASSERT_EQ(back.size(), 4);
    EXPECT_EQ(back[0], (QStringList{"户号", "用户名", "地址", "金额"}));
    EXPECT_EQ(back[1], (QStringList{"0001", "O'Brien", "一路'1号", "12.50"}));
    EXPECT_EQ(back[2], (QStringList{"0002", "张三", "", "007"}));
    EXPECT_EQ(back[3], (QStringList{"合计", "", "x'); drop table tmp; --", "19.50"}));

    // Every cell is a text cell, so leading zeros survive any spreadsheet program.
    excel::SheetData sheet;
    QString error;
    ASSERT_TRUE(excel::read_sheet(file, QStringLiteral("Sheet1$"), sheet, &error))
        << error.toStdString();
    ASSERT_EQ(sheet.rows.size(), 4u);
    ASSERT_TRUE(sheet.rows[1].at(0) && sheet.rows[2].at(3));
    EXPECT_EQ(sheet.rows[1].at(0)->kind, excel::SheetCell::Kind::Text);
    EXPECT_EQ(sheet.rows[2].at(3)->text, QStringLiteral("007"));
}

// The writer without any list or window: texts in, a workbook out, the scratch database and
// its connection gone afterwards, and no workbook from titles that make no distinct fields.
TEST_F(ListExport, TheWorkbookWriterTakesRowsWithoutAList) {
    const std::vector<std::vector<std::string>> cells = {{"0001", "O'Brien"}, {"0002", "张 三"}};
    lists::WorkbookRows table;
    table.titles = QStringList{QStringLiteral("户 号"), QStringLiteral("用户名")};
    table.rows = static_cast<int>(cells.size());
    table.cell = [&](int row, int column) -> std::string_view {
        return cells[static_cast<size_t>(row)][static_cast<size_t>(column)];
    };
    Connection scratch;
    std::vector<int> stored;
    const QString file = out(QStringLiteral("名单.xlsx"));
    ASSERT_TRUE(lists::write_list_workbook(scratch, table, file, QString(), false,
                                           [&](int n) { stored.push_back(n); }));
    EXPECT_EQ(stored, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(db_is_open(scratch));
    EXPECT_FALSE(QFile::exists(lists::export_scratch_path()));
    EXPECT_EQ(read_back(file),
              (QList<QStringList>{{QStringLiteral("户号"), QStringLiteral("用户名")},
                                  {QStringLiteral("0001"), QStringLiteral("O'Brien")},
                                  {QStringLiteral("0002"), QStringLiteral("张 三")}}));

    table.titles = QStringList{QStringLiteral("户 号"), QStringLiteral("户号")};
    const QString refused = out(QStringLiteral("重名.xlsx"));
    EXPECT_FALSE(lists::write_list_workbook(scratch, table, refused));
    EXPECT_FALSE(QFile::exists(refused));
    EXPECT_FALSE(db_is_open(scratch));
    EXPECT_FALSE(QFile::exists(lists::export_scratch_path()));
}

TEST_F(ListExport, AListWithoutRowsGivesTheHeaderOnly) {
    auto list = make_list({"户号", "用户 名"}, {});
    const QString file = out("空.xlsx");
    ASSERT_TRUE(lists::export_list_view_to_excel(list.get(), file));
    excel::SheetData sheet;
    QString error;
    ASSERT_TRUE(excel::read_sheet(file, QStringLiteral("Sheet1$"), sheet, &error))
        << error.toStdString();
    ASSERT_EQ(sheet.rows.size(), 1u);
    ASSERT_EQ(sheet.rows[0].cells.size(), 2u);
    EXPECT_EQ(sheet.rows[0].cells[0].text, QStringLiteral("户号"));
    EXPECT_EQ(sheet.rows[0].cells[1].text, QStringLiteral("用户名"));
}

TEST_F(ListExport, UnusableListsAndTargetsFail) {
    const QString file = out("x.xlsx");
    auto none = make_list({}, {});
    EXPECT_FALSE(lists::export_list_view_to_excel(none.get(), file));
    auto twice = make_list({"户 号", "户号"}, {{"1", "2"}});  // equal once blanks go
    EXPECT_FALSE(lists::export_list_view_to_excel(twice.get(), file));
    auto order = make_list({"排序"}, {{"1"}});
    EXPECT_FALSE(lists::export_list_view_to_excel(order.get(), file));
    auto fine = make_list({"户号"}, {{"1"}});
    EXPECT_FALSE(lists::export_list_view_to_excel(fine.get(), out("无此目录/x.xlsx")));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(lists::export_list_view_to_excel(fine.get(), file));  // nothing left in the way
}

TEST_F(ListExport, QueryPageExportsWithProgressAndSaysSo) {
    WatchingBridge watcher;
    set_excel_bridge(&watcher);
    QWidget page;
    auto* list = make_report_view(&page);
    list->setObjectName(QStringLiteral("用户查询列表框"));
    for (const char* t : {"户号", "用户名"}) listview_insert_column(list, QString::fromUtf8(t), 80);
    for (int r = 0; r < 5; ++r)
        listview_model(list)->append_row({QStringLiteral("%1").arg(r, 4, 10, QChar('0')), "某"});
    auto* button = new QPushButton(&page);
    button->setObjectName(QStringLiteral("查询_导出"));
    lists::wire_list_page(1, &page);

    const QString file = out("用户查询表.xls");
    ui.expect_file(file).expect_box(QStringLiteral("导出成功！"));
    button->click();
    ASSERT_EQ(ui.file_requests().size(), 1u);
    const FileDialogRequest& request = ui.file_requests()[0];
    EXPECT_EQ(request.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(request.file_name, QStringLiteral("用户查询表.xls"));
    // Excel 97 is the first choice, .xlsx the second.
    EXPECT_EQ(request.filter, QStringLiteral("*.xls|*.xls|*.xlsx|*.xlsx"));
    EXPECT_EQ(excel::workbook_format_of(file), excel::WorkbookFormat::Xls);
    EXPECT_TRUE(watcher.progress_seen);
    EXPECT_EQ(watcher.bar_maximum, 5);
    EXPECT_EQ(watcher.bar_value, 5);
    EXPECT_EQ(ui.boxes()[0].icon, MsgIcon::Information);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<lists::ProgressWindow*>(w) && w->isVisible());
    EXPECT_EQ(read_back(file).size(), 6);

    // Cancelled: nothing written, nothing said.
    ui.expect_file(QString());
    button->click();
    EXPECT_EQ(watcher.writes, 1);
    EXPECT_EQ(ui.boxes().size(), 1u);
}

// The save dialog opens in a folder of the user's, not the folder the program was started from,
// and beside the last export once a list was exported; a cancelled or failed export moves nothing.
TEST_F(ListExport, TheSaveDialogOpensBesideTheLastExport) {
    QWidget page;
    auto* list = make_report_view(&page);
    list->setObjectName(QStringLiteral("用户查询列表框"));
    listview_insert_column(list, QStringLiteral("户号"), 80);
    listview_model(list)->append_row({QStringLiteral("0001")});
    auto* button = new QPushButton(&page);
    button->setObjectName(QStringLiteral("查询_导出"));
    lists::wire_list_page(1, &page);
    const QString started_in = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder()));
    ASSERT_TRUE(QDir(folder()).mkpath(QStringLiteral("月报")));

    ui.expect_file(out("月报/用户查询表.xls")).expect_box(QStringLiteral("导出成功！"));
    button->click();
    ui.expect_file(QString());
    button->click();
    ui.expect_file(out("无此目录/用户查询表.xls")).expect_box(QStringLiteral("导出失败!"));
    button->click();
    ui.expect_file(QString());
    button->click();
    QDir::setCurrent(started_in);

    ASSERT_EQ(ui.file_requests().size(), 4u);
    const QString first = ui.file_requests()[0].directory;
    EXPECT_TRUE(QDir::isAbsolutePath(first) && folder_exists(first)) << first.toStdString();
    EXPECT_NE(first, folder());
    for (size_t i = 1; i < 4; ++i) EXPECT_EQ(ui.file_requests()[i].directory, out("月报")) << i;

    // With FEE_SCREENSHOT_DIR set, the dialog the second click showed is saved there as a
    // picture (run under xvfb-run to see it as a user would).
    const QString shots = qEnvironmentVariable("FEE_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        QDir().mkpath(shots);
        const ChineseUi chinese;  // as the program shows it
        const auto dialog = make_file_dialog(ui.file_requests()[1]);
        dialog->resize(760, 460);
        dialog->show();
        for (int i = 0; i < 50; ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(10);
        }
        dialog->grab().save(shots + QStringLiteral("/export_dialog.png"));
    }
}

// Every list page shows its rows going out, and a click on 导出 while they go exports nothing
// more.
TEST_F(ListExport, EveryPageExportsWithProgressOnceAtATime) {
    WatchingBridge watcher;
    set_excel_bridge(&watcher);
    const lists::ListPage* p = lists::list_page(3);
    ASSERT_NE(p, nullptr);
    QWidget page;
    auto* list = make_report_view(&page);
    list->setObjectName(p->list_unit);
    listview_insert_column(list, QStringLiteral("户号"), 80);
    for (int r = 0; r < 7; ++r) listview_model(list)->append_row({QString::number(r)});
    auto* button = new QPushButton(&page);
    button->setObjectName(p->export_button);
    page.show();
    lists::wire_list_page(3, &page);
    watcher.during_write = [button] { harness::post_click(button); };

    ui.expect_file(out("抄表.xlsx")).expect_box(QStringLiteral("导出成功！"));
    button->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(watcher.progress_seen);
    EXPECT_EQ(watcher.bar_maximum, 7);
    EXPECT_EQ(watcher.writes, 1);
    EXPECT_EQ(ui.file_requests().size(), 1u);
    EXPECT_TRUE(button->isEnabled());
}

// An .xls sheet holds 65,536 rows with its title row: a longer list is refused before anything
// is written, with a message that names .xlsx, which takes it.
TEST_F(ListExport, ListLongerThanAnXlsSheetGoesToXlsxOnly) {
    QWidget page;
    auto* list = make_report_view(&page);
    list->setObjectName(QStringLiteral("列表框_日志管理"));
    listview_insert_column(list, QStringLiteral("编号"), 80);
    ListModel* model = listview_model(list);
    for (int r = 0; r < 65535; ++r) model->append_row({QString::number(r)});
    auto* button = new QPushButton(&page);
    button->setObjectName(QStringLiteral("日志_导出"));
    lists::wire_list_page(12, &page);

    // 65,535 rows and the title fill a sheet exactly.
    ui.expect_file(out("操作日志列表.xls")).expect_box(QStringLiteral("导出成功！"));
    button->click();
    EXPECT_EQ(excel::workbook_format_of(out("操作日志列表.xls")), excel::WorkbookFormat::Xls);

    model->append_row({QStringLiteral("65535")});
    ui.expect_file(out("长列表.xls")).expect_box(QStringLiteral(".xlsx"));
    button->click();
    EXPECT_TRUE(ui.boxes().back().text.contains(QStringLiteral("65537")))
        << ui.boxes().back().text.toStdString();
    EXPECT_FALSE(QFile::exists(out("长列表.xls")));

    ui.expect_file(out("长列表.xlsx")).expect_box(QStringLiteral("导出成功！"));
    button->click();
    EXPECT_EQ(excel::workbook_format_of(out("长列表.xlsx")), excel::WorkbookFormat::Xlsx);
}

// The households query and the statistics say "导出失败!"; the other pages say nothing.
TEST_F(ListExport, FailedExportIsSaidOnlyWhereThePageSaysIt) {
    struct Case {
        int page;
        bool says;
        MsgIcon failure_icon;
    };
    for (const Case c : {Case{1, true, MsgIcon::Information}, Case{5, false, MsgIcon::None},
                         Case{12, false, MsgIcon::None}, Case{4, true, MsgIcon::None}}) {
        const lists::ListPage* p = lists::list_page(c.page);
        QWidget page;
        auto* list = make_report_view(&page);
        list->setObjectName(p->list_unit);
        listview_insert_column(list, QStringLiteral("户号"), 80);
        listview_model(list)->append_row({QStringLiteral("0001")});
        auto* button = new QPushButton(&page);
        button->setObjectName(p->export_button);
        lists::wire_list_page(c.page, &page);

        const size_t before = ui.boxes().size();
        ui.expect_file(out("无此目录/导出.xlsx"));
        if (c.says) ui.expect_box(QStringLiteral("导出失败!"));
        button->click();
        ASSERT_EQ(ui.boxes().size(), before + (c.says ? 1 : 0)) << c.page;
        if (!c.says) continue;
        EXPECT_EQ(ui.boxes().back().text, QStringLiteral("导出失败!")) << c.page;
        EXPECT_EQ(ui.boxes().back().icon, c.failure_icon) << c.page;
        for (QWidget* w : QApplication::topLevelWidgets())  // closed on failure too
            EXPECT_FALSE(qobject_cast<lists::ProgressWindow*>(w) && w->isVisible()) << c.page;
    }
    EXPECT_FALSE(ui.has_box(QStringLiteral("导出成功")));
}

// The old workbook goes only when the new one takes its place whole; any name reaches the
// bridge as it is.
TEST_F(ListExport, OldWorkbookStaysUntilTheNewOneIsCompleteWhateverItsName) {
    auto list = make_list({"户号", "用户名"}, {{"0001", "张三"}});
    for (const QString& name :
         {QStringLiteral("旧;表.xlsx"), QStringLiteral("a]b.xlsx"), QStringLiteral("x\"; y .xlsx"),
          QStringLiteral(" 前后空格 .xlsx")}) {
        SCOPED_TRACE(name.toStdString());
        const QString file = out(name);
        QFile old(file);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents");
        old.close();
        ASSERT_TRUE(lists::export_list_view_to_excel(list.get(), file))
            << db_last_error(store::main_connection()).toStdString();
        EXPECT_EQ(read_back(file), (QList<QStringList>{{"户号", "用户名"}, {"0001", "张三"}}));
        QFile::remove(file);
    }
    EXPECT_FALSE(QFile::exists(out(QStringLiteral("旧"))));
    EXPECT_FALSE(QFile::exists(out(QStringLiteral("a"))));

    // A workbook that cannot be written (a sheet name no workbook may hold) leaves the old
    // file as it was.
    const QString file = out(QStringLiteral("保留.xlsx"));
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents");
    old.close();
    EXPECT_FALSE(lists::export_list_view_to_excel(list.get(), file, QStringLiteral("[a:b]"), true));
    QFile kept(file);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("old contents"));
    // No half-written temporary file beside it either.
    EXPECT_EQ(
        QDir(folder()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("保留.xlsx.")),
        QStringList());
}

// What the scratch database holds on disk while the workbook is written is unreadable
// without the export's own key, and nothing of it stays afterwards.
class ScratchWatchingBridge : public ExcelBridge {
public:
    bool read_sheet(Connection& c, const QString& file, const QString& sheet, const QString& table,
                    QString* error) override {
        return install_excel_bridge().read_sheet(c, file, sheet, table, error);
    }
    bool write_sheet(Connection& c, const QString& file, const QString& sheet,
                     const QString& select, QString* error) override {
        for (const QString& suffix : {QString(), QStringLiteral("-wal")}) {
            QFile scratch(lists::export_scratch_path() + suffix);
            if (scratch.open(QIODevice::ReadOnly)) on_disk += scratch.readAll();
        }
        return install_excel_bridge().write_sheet(c, file, sheet, select, error);
    }
    QByteArray on_disk;
};

TEST_F(ListExport, ScratchDatabaseHoldsNoPlainTextAndIsGoneAfterwards) {
    ScratchWatchingBridge bridge;
    set_excel_bridge(&bridge);
    auto list = make_list({"用户名", "身份证号"}, {{"张三丰", "110101199001011234"}});
    ASSERT_TRUE(lists::export_list_view_to_excel(list.get(), out(QStringLiteral("名单.xlsx"))));
    ASSERT_FALSE(bridge.on_disk.isEmpty());
    EXPECT_FALSE(bridge.on_disk.contains(QStringLiteral("张三丰").toUtf8()));
    EXPECT_FALSE(bridge.on_disk.contains("110101199001011234"));
    EXPECT_FALSE(bridge.on_disk.startsWith("SQLite format 3"));
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        EXPECT_FALSE(QFile::exists(lists::export_scratch_path() + suffix));
    // A failed export leaves nothing either.
    auto no_columns = make_list({}, {});
    EXPECT_FALSE(lists::export_list_view_to_excel(no_columns.get(), out(QStringLiteral("x.xlsx"))));
    EXPECT_FALSE(QFile::exists(lists::export_scratch_path()));
}

// ---- number columns --------------------------------------------------------------------------

TEST(ExportNumbers, PlainDecimalNumbersAreNumbersAndCodesAreNot) {
    struct Case {
        const char* text;
        bool number;
        int decimals;
    };
    const Case cases[] = {
        {"70.00", true, 2},
        {"262.50", true, 2},
        {"80", true, 0},
        {"0", true, 0},
        {"0.5", true, 1},
        {"-12.30", true, 2},
        {"-0.05", true, 2},
        {"1234567890", true, 0},
        {"123456789.123456", true, 6},
        {"0001", false, 0},
        {"007", false, 0},
        {"00.5", false, 0},
        {"-01", false, 0},
        {"A0001", false, 0},
        {"12345678901", false, 0},
        {"13812345678", false, 0},
        {"110101199001011234", false, 0},
        {"1234567890.123456", false, 0},  // 16 significant digits: a double cannot keep them
        {"", false, 0},
        {"-", false, 0},
        {"1.", false, 0},
        {".5", false, 0},
        {"+5", false, 0},
        {"1,234.00", false, 0},
        {" 12", false, 0},
        {"12 ", false, 0},
        {"1e5", false, 0},
        {"12.50(2)", false, 0},
        {"12.5元", false, 0},
        {"１２", false, 0},
        {"2023-11", false, 0},
        {"1.2.3", false, 0},
    };
    for (const Case& c : cases) {
        int decimals = -7;
        EXPECT_EQ(lists::export_number_text(c.text, &decimals), c.number) << c.text;
        if (c.number) {
            EXPECT_EQ(decimals, c.decimals) << c.text;
        }
    }
}

TEST(ExportNumbers, AColumnIsNumbersOnlyWhenEveryFilledCellIs) {
    struct Case {
        std::vector<std::string> cells;
        bool number;
        int decimals;
    };
    const Case cases[] = {
        {{"70.00", "262.50", ""}, true, 2},  // the totals row may leave a cell empty
        {{"80", "3"}, true, 0},
        {{"12.5", "7", "0.25"}, true, -1},  // decimals differ: each shown as it is
        {{"0001", "0002"}, false, -1},      // 户号
        {{"70.00", "合计"}, false, -1},
        {{"12", "0012"}, false, -1},  // one code makes the column a column of codes
        {{"", ""}, false, -1},
        {{}, false, -1},
    };
    for (const Case& c : cases) {
        lists::WorkbookRows table;
        table.titles = QStringList{QStringLiteral("列")};
        table.rows = static_cast<int>(c.cells.size());
        table.cell = [&](int row, int) -> std::string_view { return c.cells[size_t(row)]; };
        const lists::ExportColumn kind = lists::export_column_kind(table, 0);
        const std::string trace = c.cells.empty() ? std::string("(no rows)") : c.cells[0];
        EXPECT_EQ(kind.number, c.number) << trace;
        if (c.number) {
            EXPECT_EQ(kind.decimals, c.decimals) << trace;
        }
    }
}

namespace {

// The system's Python with xlrd, or empty (Debian's python3-xlrd belongs to /usr/bin/python3,
// which another python3 on the path may hide).
QString python_with_xlrd() {
    for (const QString& candidate :
         {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(candidate, {QStringLiteral("-c"), QStringLiteral("import xlrd")});
        if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0)
            return candidate;
    }
    return {};
}

// Every cell of the first sheet as [type, value, number format], read by readers that share
// nothing with ours: xlrd for .xls, the zip and XML of the file itself for .xlsx. Types: "e"
// empty, "s" text, "n" number.
QJsonArray independent_cells(const QString& python, const QString& file) {
    const QString script = QStringLiteral(R"(
import sys, json, zipfile, re
import xml.etree.ElementTree as ET
path = sys.argv[1]
rows = []
if path.endswith('.xls'):
    import xlrd
    book = xlrd.open_workbook(path, formatting_info=True)
    sheet = book.sheet_by_index(0)
    kinds = {xlrd.XL_CELL_EMPTY: 'e', xlrd.XL_CELL_BLANK: 'e', xlrd.XL_CELL_TEXT: 's',
             xlrd.XL_CELL_NUMBER: 'n'}
    for r in range(sheet.nrows):
        row = []
        for c in sheet.row(r):
            fmt = book.format_map[book.xf_list[c.xf_index].format_key].format_str
            row.append([kinds.get(c.ctype, '?'), c.value, fmt])
        rows.append(row)
else:
    ns = {'m': 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'}
    z = zipfile.ZipFile(path)
    styles = ET.fromstring(z.read('xl/styles.xml'))
    codes = {0: 'General', 1: '0', 2: '0.00'}
    for f in styles.findall('m:numFmts/m:numFmt', ns):
        codes[int(f.get('numFmtId'))] = f.get('formatCode')
    xfs = [int(x.get('numFmtId', '0')) for x in styles.findall('m:cellXfs/m:xf', ns)]
    shared = []
    if 'xl/sharedStrings.xml' in z.namelist():
        for si in ET.fromstring(z.read('xl/sharedStrings.xml')).findall('m:si', ns):
            shared.append(''.join(t.text or '' for t in si.iter('{%s}t' % ns['m'])))
    sheet = ET.fromstring(z.read('xl/worksheets/sheet1.xml'))
    for row in sheet.findall('m:sheetData/m:row', ns):
        cells = []
        for c in row.findall('m:c', ns):
            col = 0
            for ch in re.match('[A-Z]+', c.get('r')).group(0):
                col = col * 26 + ord(ch) - 64
            while len(cells) < col - 1:
                cells.append(['e', '', 'General'])
            fmt = codes.get(xfs[int(c.get('s', '0'))], '?')
            t = c.get('t')
            if t == 's':
                cells.append(['s', shared[int(c.find('m:v', ns).text)], fmt])
            elif t == 'inlineStr':
                cells.append(['s', ''.join(x.text or '' for x in c.iter('{%s}t' % ns['m'])), fmt])
            else:
                cells.append(['n', float(c.find('m:v', ns).text), fmt])
        rows.append(cells)
sys.stdout.buffer.write(json.dumps(rows, ensure_ascii=False).encode('utf-8'))
)");
    QProcess reader;
    reader.start(python, {QStringLiteral("-c"), script, file});
    EXPECT_TRUE(reader.waitForFinished(120000));
    EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).array();
}

}  // namespace

// Amounts, quantities and readings go out as number cells a spreadsheet can sum, shown with
// the list's decimals; 户号, receipt numbers with leading zeros and mobile numbers stay text.
TEST_F(ListExport, AmountColumnsAreNumberCellsAndCodesStayText) {
    const QString python = python_with_xlrd();
    if (python.isEmpty()) GTEST_SKIP() << "python3-xlrd is not installed";
    auto list = make_list({"户号", "用户名", "金额", "数量", "读数", "移动电话", "收据号", "备注"},
                          {{"0001", "张三", "70.00", "80", "12.5", "13812345678", "00012", ""},
                           {"0002", "李四", "262.50", "3", "7", "13900000000", "00013", "x"},
                           {"合计", "", "332.50", "83", "", "", "", ""}});
    struct Want {
        const char* type;
        double number;
        const char* text;
        const char* format;
    };
    const std::vector<std::vector<Want>> want = {
        {{"s", 0, "0001", nullptr},
         {"s", 0, "张三", nullptr},
         {"n", 70, nullptr, "0.00"},
         {"n", 80, nullptr, "0"},
         {"n", 12.5, nullptr, "General"},
         {"s", 0, "13812345678", nullptr},
         {"s", 0, "00012", nullptr},
         {"e", 0, nullptr, nullptr}},
        {{"s", 0, "0002", nullptr},
         {"s", 0, "李四", nullptr},
         {"n", 262.5, nullptr, "0.00"},
         {"n", 3, nullptr, "0"},
         {"n", 7, nullptr, "General"},
         {"s", 0, "13900000000", nullptr},
         {"s", 0, "00013", nullptr},
         {"s", 0, "x", nullptr}},
        {{"s", 0, "合计", nullptr},
         {"e", 0, nullptr, nullptr},
         {"n", 332.5, nullptr, "0.00"},
         {"n", 83, nullptr, "0"}},
    };
    for (const QString& name :
         {QStringLiteral("收费查询明细表.xls"), QStringLiteral("收费查询明细表.xlsx")}) {
        SCOPED_TRACE(name.toStdString());
        const QString file = out(name);
        ASSERT_TRUE(lists::export_list_view_to_excel(list.get(), file));
        const QJsonArray rows = independent_cells(python, file);
        ASSERT_EQ(rows.size(), 4);
        EXPECT_EQ(rows[0].toArray()[2].toArray()[1].toString(), QStringLiteral("金额"));
        for (size_t r = 0; r < want.size(); ++r) {
            const QJsonArray row = rows[qsizetype(r) + 1].toArray();
            for (size_t c = 0; c < want[r].size(); ++c) {
                SCOPED_TRACE(testing::Message() << "row " << r + 1 << " column " << c);
                const Want& w = want[r][c];
                const QJsonArray cell = qsizetype(c) < row.size() ? row[qsizetype(c)].toArray()
                                                                  : QJsonArray{QStringLiteral("e")};
                EXPECT_EQ(cell[0].toString(), QString::fromLatin1(w.type));
                if (std::string(w.type) == "n") {
                    EXPECT_EQ(cell[1].toDouble(), w.number);
                    EXPECT_EQ(cell[2].toString(), QString::fromLatin1(w.format));
                } else if (w.text) {
                    EXPECT_EQ(cell[1].toString(), QString::fromUtf8(w.text));
                }
            }
        }

        // Our own reader agrees on the kinds, so an import reads the amounts as numbers.
        excel::SheetData sheet;
        QString error;
        ASSERT_TRUE(excel::read_sheet(file, QStringLiteral("Sheet1$"), sheet, &error))
            << error.toStdString();
        ASSERT_EQ(sheet.rows.size(), 4u);
        ASSERT_TRUE(sheet.rows[1].at(2) && sheet.rows[1].at(0) && sheet.rows[1].at(6));
        EXPECT_EQ(sheet.rows[1].at(2)->kind, excel::SheetCell::Kind::Number);
        EXPECT_EQ(sheet.rows[1].at(2)->number, 70.0);
        EXPECT_EQ(sheet.rows[1].at(0)->kind, excel::SheetCell::Kind::Text);
        EXPECT_EQ(sheet.rows[1].at(6)->text, QStringLiteral("00012"));
    }
}
