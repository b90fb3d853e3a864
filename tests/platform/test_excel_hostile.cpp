// Damaged and crafted workbooks: each is refused with a clear message, read in the sheet
// reader's process, and the calling process never crashes, hangs or runs out of memory.
//
// The crafted inputs lie in fuzz/regressions/ (they are replayed by the fuzz targets too): one
// record of an ordinary workbook changed, or a small zip that unpacks into far more.
#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "harness/file_helpers.h"
#include "harness/scripted_ui.h"  // PrintTo(QString)
#include "platform/excel_isolation.h"
#include "platform/excel_sheet.h"

using namespace platform::excel;

namespace {

QString regression(const QString& name) {
    return QStringLiteral(FEE_SOURCE_DIR "/tests/platform") +
           QStringLiteral("/../../fuzz/regressions/") + name;
}

QString fixture(const QString& name) {
    return QStringLiteral(FEE_SOURCE_DIR "/tests/platform") + QStringLiteral("/excel_fixtures/") +
           name;
}

// The reader program and its limits back to the usual ones after each test.
class HostileWorkbook : public ::testing::Test {
protected:
    void TearDown() override {
        set_sheet_reader_program(QString());
        set_sheet_reader_limits(SheetReaderLimits{});
    }
    QString path(const QString& name) const { return dir_.path() + u'/' + name; }

    // A reader program of a shell script's making.
    QString script(const QString& name, const QByteArray& body) {
        const QString file = path(name);
        harness::write_bytes(file, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file;
    }

    QTemporaryDir dir_;
};

TEST_F(HostileWorkbook, CraftedFilesAreRefusedWithTheReason) {
    struct Case {
        const char* file;
        const char* error_part;
    };
    const Case cases[] = {
        // FreeXL sizes its cells from the first DIMENSION and frees them on the second.
        {"xls/second-dimension.xls", "已损坏，无法读取（工作表范围记录重复）"},
        {"xls/second-dimension-smaller.xls", "已损坏，无法读取（工作表范围记录重复）"},
        // FreeXL reads past the shared strings there are.
        {"xls/sst-count-beyond-records.xls", "已损坏，无法读取（共享字符串表无效）"},
        {"xls/sst-string-beyond-records.xls", "已损坏，无法读取（共享字符串表无效）"},
        // FreeXL reads these without a word, through bytes that are no part of any string.
        {"xls/sst-continue-without-its-flags.xls", "已损坏，无法读取（共享字符串表无效）"},
        {"xls/sst-rich-runs-beyond-records.xls", "已损坏，无法读取（共享字符串表无效）"},
        // 65,536 x 256 cells claimed: 0.9 GB in FreeXL before a cell is read.
        {"xls/dimension-whole-sheet.xls", "工作表范围超过4000000个单元格"},
        // A value in column XFD on each of 20,000 rows: a table 16,384 columns wide.
        {"xlsx/column-xfd-on-every-row.xlsx", "太大，无法导入（使用的列超过1000列）"},
        // A 300 KB zip whose sheet unpacks to 300 MB.
        {"xlsx/part-unpacks-to-300mb.xlsx", "太大，无法导入（xl/worksheets/sheet1.xml解压后超过256 MB）"},
        {"xlsx/five-million-shared-strings.xlsx", "太大，无法导入（共享字符串超过4000000个）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        SheetData sheet;
        QString error;
        EXPECT_FALSE(read_sheet(regression(QString::fromUtf8(c.file)), QStringLiteral("Sheet1$"),
                                sheet, &error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.error_part))) << error.toStdString();
        EXPECT_TRUE(sheet.rows.empty());
    }
}

// One value far to the right on each of many rows costs one cell each: rows are sparse, and
// the sheet reads well within a small memory limit (dense rows would take 13 GB).
TEST_F(HostileWorkbook, FarRightColumnReadsAsOneColumn) {
    SheetReaderLimits limits;
    limits.memory_bytes = qint64(512) << 20;
    set_sheet_reader_limits(limits);
    const QString file = path("far.xlsx");
    lxw_workbook* workbook = workbook_new(QFile::encodeName(file).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Sheet1");
    worksheet_write_string(sheet, 0, 16383, "金额", nullptr);
    for (lxw_row_t r = 1; r <= 20000; ++r) worksheet_write_number(sheet, r, 16383, r, nullptr);
    ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR);

    SheetData data;
    QString error;
    ASSERT_TRUE(read_sheet(file, QStringLiteral("Sheet1$"), data, &error)) << error.toStdString();
    ASSERT_EQ(data.rows.size(), 20001u);
    EXPECT_EQ(data.rows[5].columns, std::vector<int>{16383});
    const SheetTable table = make_sheet_table(data);
    EXPECT_EQ(table.names, QStringList{QStringLiteral("金额")});
    ASSERT_EQ(table.rows.size(), 20000u);
    EXPECT_EQ(table.rows.back()[0].number, 20000.0);
}

// Whatever ends the reader early is a message, never the caller's end.
TEST_F(HostileWorkbook, ReaderThatDiesHangsOrBabblesIsAMessage) {
    const QString book = fixture(QStringLiteral("sample.xlsx"));
    struct Case {
        const char* name;
        QByteArray body;
        const char* error_part;
    };
    const Case cases[] = {
        {"crash", "kill -SEGV $$", "读取程序意外结束"},
        {"fail", "exit 9", "读取程序意外结束"},
        {"memory", "exit 3", "太大，无法导入（读取时所需内存超过"},
        {"babble", "echo not a sheet", "读取程序意外结束"},
        {"silent", "exit 0", "读取程序意外结束"},
        {"hang", "exec sleep 30", "超时（超过1秒）"},
    };
    SheetReaderLimits limits;
    limits.seconds = 1;
    set_sheet_reader_limits(limits);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        set_sheet_reader_program(script(QString::fromUtf8(c.name), c.body));
        SheetData sheet;
        QString error;
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(read_sheet(book, QStringLiteral("Sheet1$"), sheet, &error));
        EXPECT_LT(clock.elapsed(), 10000);
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.error_part))) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("sample.xlsx"))) << error.toStdString();
        QStringList names;
        EXPECT_FALSE(sheet_names(book, names, &error));
    }
    set_sheet_reader_program(path("nowhere"));
    SheetData sheet;
    QString error;
    EXPECT_FALSE(read_sheet(book, QStringLiteral("Sheet1$"), sheet, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("找不到读取工作簿的程序"))) << error.toStdString();
}

}  // namespace
