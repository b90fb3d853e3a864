// The Excel bridge: workbooks written by the export statement and sheets read by the import
// statement, through db_execute as the callers run them.
//
// excel_fixtures/*.xls and *.xlsx were saved by LibreOffice Calc from the .fods files beside
// them (soffice --headless --convert-to xls / xlsx); each pair holds the same sheets.
#include <gtest/gtest.h>
#include <xlsxwriter.h>

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <utility>

#include "harness/file_helpers.h"
#include "harness/scripted_ui.h"  // PrintTo(QString)
#include "platform/db.h"
#include "platform/excel_install.h"
#include "platform/excel_readers.h"
#include "platform/excel_sheet.h"

using namespace platform;
using platform::excel::SheetCell;

namespace {

using harness::read_bytes;
using harness::write_bytes;

QString fixture(const QString& name) {
    return QStringLiteral(FEE_SOURCE_DIR "/tests/platform") + QStringLiteral("/excel_fixtures/") +
           name;
}

// A plain SQLite scratch database in a folder of its own, the bridge installed.
class ExcelBridgeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        install_excel_bridge();
        const QString db = path("scratch.db");
        write_bytes(db, QByteArray());
        ASSERT_TRUE(db_open_access_file(conn_, db, QString()))
            << db_last_error(conn_).toStdString();
    }
    void TearDown() override { db_close(conn_); }

    QString path(const QString& name) const { return dir_.path() + u'/' + name; }

    bool exec(const QString& sql) { return db_execute(conn_, sql); }

    bool import(const QString& file, const QString& sheet,
                const QString& table = QStringLiteral("导入暂存表")) {
        return exec(QStringLiteral("SELECT * INTO %1 FROM [Excel 8.0;DATABASE=%2].[%3$] ")
                        .arg(table, file, sheet));
    }

    bool table_exists(const QString& table) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_handle(conn_), "SELECT 1 FROM sqlite_master WHERE name=?", -1, &st,
                           nullptr);
        const QByteArray name = table.toUtf8();
        sqlite3_bind_text(st, 1, name.constData(), -1, SQLITE_TRANSIENT);
        const bool found = sqlite3_step(st) == SQLITE_ROW;
        sqlite3_finalize(st);
        return found;
    }

    // "name TYPE" per column, from the table's definition, one a line.
    QString columns(const QString& table) {
        QStringList out;
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QStringLiteral("PRAGMA table_info(\"%1\")").arg(table).toUtf8();
        sqlite3_prepare_v2(db_handle(conn_), sql.constData(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))) +
                       u' ' +
                       QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 2)));
        sqlite3_finalize(st);
        return out.join(u'\n');
    }

    // Every row as "value|..." in table order, one a line; reals as "real:value", NULL as
    // "null".
    QString rows(const QString& table) {
        QStringList out;
        sqlite3_stmt* st = nullptr;
        const QByteArray sql =
            QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table).toUtf8();
        sqlite3_prepare_v2(db_handle(conn_), sql.constData(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList cells;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                switch (sqlite3_column_type(st, c)) {
                    case SQLITE_NULL:
                        cells << QStringLiteral("null");
                        break;
                    case SQLITE_FLOAT: {
                        const double v = sqlite3_column_double(st, c);
                        cells << QStringLiteral("real:") + excel::number_cell_text(v);
                        break;
                    }
                    case SQLITE_INTEGER:
                        cells << QStringLiteral("int:%1").arg(sqlite3_column_int64(st, c));
                        break;
                    default:
                        cells << QString::fromUtf8(
                            reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
                }
            }
            out << cells.join(u'|');
        }
        sqlite3_finalize(st);
        return out.join(u'\n');
    }

    // A list as the export's scratch table holds it: text columns and the 排序 position, the
    // rows inserted out of order so that only ORDER BY 排序 gives list order.
    void make_list_table(const QList<QStringList>& list_rows) {
        ASSERT_TRUE(
            exec(QStringLiteral("create table tmp (户号 text,用户名 text,备注 text,排序 integer)")))
            << db_last_error(conn_).toStdString();
        for (qsizetype r = list_rows.size() - 1; r >= 0; --r) {
            const QStringList& cells = list_rows[r];
            ASSERT_TRUE(
                exec(QStringLiteral("insert into tmp (户号,用户名,备注,排序) values (%1,%2,%3,%4)")
                         .arg(sql_quote(cells[0]), sql_quote(cells[1]),
                              cells[2] == QLatin1String("<null>") ? QStringLiteral("null")
                                                                  : sql_quote(cells[2]))
                         .arg(r + 1)))
                << db_last_error(conn_).toStdString();
        }
    }

    bool export_list(const QString& file) {
        return exec(QStringLiteral("SELECT 户号,用户名,备注 INTO [Excel 8.0;Database=%1].[Sheet1] "
                                   "FROM tmp  ORDER BY 排序")
                        .arg(file));
    }

    QTemporaryDir dir_;
    Connection conn_;
};

// ---- reading ------------------------------------------------------------------------------

class LibreOfficeWorkbook : public ExcelBridgeTest,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(LibreOfficeWorkbook, SheetBecomesTableWithTypedColumns) {
    ASSERT_TRUE(import(fixture(QString::fromLatin1(GetParam())), QStringLiteral("Sheet1")))
        << db_last_error(conn_).toStdString();
    // Numbers-only columns are REAL, dates-only DATE, anything else text; a blank title is
    // named by its position, a repeated one gets a suffix, titles are trimmed.
    EXPECT_EQ(
        columns(QStringLiteral("导入暂存表")),
        QStringList({"户号 TEXT", "用户名 TEXT", "家庭人口 REAL", "物业面积 REAL", "建档时间 DATE",
                     "编码 TEXT", "F7 TEXT", "用户名1 TEXT", "备注 TEXT", "抄表时刻 DATE"})
            .join(u'\n'));
    // The blank third sheet row is left out; empty cells are NULL; text keeps leading zeros;
    // numbers in a text column are in shortest form.
    EXPECT_EQ(rows(QStringLiteral("导入暂存表")),
              QStringList({
                              "0001|张三|real:3|real:85.5|2024-03-05|10101|甲|张三丰|it's "
                              "\"quoted\"|2024-03-05 10:30:00",
                              "0002|李四|null|real:120|1999-12-31|A12|null|null|null|2024-04-01",
                              "0010|王五|real:5|real:60.25|null|12.5|null|null|末行|null",
                          })
                  .join(u'\n'));

    // What the imports then read through record sets.
    RecordSet rs;
    recordset_bind_connection(rs, conn_);
    ASSERT_TRUE(
        recordset_open(rs, QStringLiteral("select * from 导入暂存表 where 建档时间=#2024-3-5#")));
    ASSERT_EQ(recordset_record_count(rs), 1);
    EXPECT_EQ(recordset_field_text(rs, QStringLiteral("户号")), QStringLiteral("0001"));
    EXPECT_EQ(recordset_field_text(rs, QStringLiteral("家庭人口")), QStringLiteral("3"));
    EXPECT_EQ(recordset_field_date(rs, QStringLiteral("建档时间")).date(), QDate(2024, 3, 5));
    recordset_close(rs);
    // Text compares without regard to case, as in every other table.
    ASSERT_TRUE(recordset_open(rs, QStringLiteral("select 户号 from 导入暂存表 where 编码='a12'")));
    EXPECT_EQ(recordset_record_count(rs), 1);
    recordset_close(rs);
}

TEST_P(LibreOfficeWorkbook, OtherSheetByNameWithNumericAccountNumbers) {
    // The sheet name matches without regard to case and with or without its "$".
    ASSERT_TRUE(import(fixture(QString::fromLatin1(GetParam())), QStringLiteral("抄表")))
        << db_last_error(conn_).toStdString();
    EXPECT_EQ(columns(QStringLiteral("导入暂存表")), QStringLiteral("户号 REAL\n止数 REAL"));
    RecordSet rs;
    recordset_bind_connection(rs, conn_);
    ASSERT_TRUE(recordset_open(rs, QStringLiteral("select * from 导入暂存表 where 户号<>null")));
    ASSERT_EQ(recordset_record_count(rs), 2);
    EXPECT_EQ(recordset_field_text(rs, QStringLiteral("户号")), QStringLiteral("1010101"));
    EXPECT_DOUBLE_EQ(recordset_field_number(rs, QStringLiteral("止数")), 123.4);
    recordset_close(rs);

    ASSERT_TRUE(exec(QStringLiteral("DROP TABLE 导入暂存表")));
    ASSERT_TRUE(
        exec(QStringLiteral("SELECT * INTO 导入暂存表 FROM [Excel 8.0;DATABASE=%1].[sheet1] ")
                 .arg(fixture(QString::fromLatin1(GetParam())))))
        << db_last_error(conn_).toStdString();
    EXPECT_EQ(rows(QStringLiteral("导入暂存表")).count(u'\n'), 2);
}

INSTANTIATE_TEST_SUITE_P(Formats, LibreOfficeWorkbook,
                         ::testing::Values("sample.xls", "sample.xlsx"));

TEST_F(ExcelBridgeTest, FormatIsToldByContentNotByName) {
    ASSERT_TRUE(QFile::copy(fixture(QStringLiteral("sample.xlsx")), path("really-xlsx.xls")));
    ASSERT_TRUE(QFile::copy(fixture(QStringLiteral("sample.xls")), path("really-xls.xlsx")));
    ASSERT_TRUE(import(path("really-xlsx.xls"), QStringLiteral("Sheet1"), QStringLiteral("a")))
        << db_last_error(conn_).toStdString();
    ASSERT_TRUE(import(path("really-xls.xlsx"), QStringLiteral("Sheet1"), QStringLiteral("b")))
        << db_last_error(conn_).toStdString();
    EXPECT_EQ(rows(QStringLiteral("a")), rows(QStringLiteral("b")));
    EXPECT_EQ(rows(QStringLiteral("a")).count(u'\n'), 2);
}

// Formula cells read as the results saved with them: numbers, dates by their format, texts;
// an error value is an empty cell.
TEST_F(ExcelBridgeTest, FormulaCellsReadTheirSavedResults) {
    ASSERT_TRUE(import(fixture(QStringLiteral("formulas.xlsx")), QStringLiteral("公式"),
                       QStringLiteral("x")))
        << db_last_error(conn_).toStdString();
    EXPECT_EQ(rows(QStringLiteral("x")),
              QStringLiteral("real:3|2024-03-05|007|null\nreal:10101|null|null|null"));

    // LibreOffice saves no text result with a formula in .xls (Excel does: a STRING record
    // after the FORMULA record). The text cell's record is rewritten here the way Excel
    // writes it, in the same number of bytes: FORMULA with the text marker and no formula
    // tokens, then STRING "00701".
    QByteArray xls = read_bytes(fixture(QStringLiteral("formulas.xls")));
    const qsizetype at = xls.indexOf(QByteArray::fromHex("0600200001000200"));  // row 1, column 2
    ASSERT_GE(at, 0);
    QByteArray formula = xls.mid(at, 24);
    formula[2] = 20;
    formula.replace(10, 8, QByteArray::fromHex("000000000000ffff"));
    formula[22] = 0;
    formula[23] = 0;
    const QByteArray string = QByteArray::fromHex("070208000500") + QByteArray(1, '\0') + "00701";
    xls.replace(at, 36, formula + string);
    write_bytes(path("formulas.xls"), xls);
    ASSERT_TRUE(import(path("formulas.xls"), QStringLiteral("公式"), QStringLiteral("y")))
        << db_last_error(conn_).toStdString();
    EXPECT_EQ(columns(QStringLiteral("y")),
              QStringLiteral("数值 REAL\n日期 DATE\n文字 TEXT\n错误 TEXT"));
    EXPECT_EQ(rows(QStringLiteral("y")),
              QStringLiteral("real:3|2024-03-05|00701|null\nreal:10101|null|null|null"));
}

// Each bad workbook fails the statement with a readable error and creates no table.
TEST_F(ExcelBridgeTest, BadWorkbooksFailCleanlyWithoutTable) {
    const QByteArray xlsx = read_bytes(fixture(QStringLiteral("sample.xlsx")));
    const QByteArray xls = read_bytes(fixture(QStringLiteral("sample.xls")));
    ASSERT_FALSE(xlsx.isEmpty());
    ASSERT_FALSE(xls.isEmpty());
    write_bytes(path("cut.xlsx"), xlsx.left(xlsx.size() / 2));
    write_bytes(path("cut.xls"), xls.left(xls.size() / 2));
    QByteArray flipped = xlsx;  // the zip's directory is intact, a compressed part is not
    for (qsizetype i = 200; i < 600; ++i) flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    write_bytes(path("garbled.xlsx"), flipped);
    // Lengths and links that FreeXL would trust and read past: a directory entry's name
    // length, and a link of the sector table to a sector beyond the file's end.
    QByteArray bad_name = xls;
    const qsizetype entry = bad_name.indexOf(QByteArray("W\0o\0r\0k\0b\0o\0o\0k\0", 16));
    ASSERT_GE(entry, 0);
    bad_name[entry + 64] = '\xF6';
    bad_name[entry + 65] = '\xFA';
    write_bytes(path("bad-name.xls"), bad_name);
    QByteArray bad_link = xls;
    bad_link.replace(512 + 4 * 60, 4, QByteArray::fromHex("000000FF"));  // sector table entry 60
    write_bytes(path("bad-link.xls"), bad_link);
    write_bytes(path("notes.xls"), QByteArrayLiteral("户号,用户名\r\n0001,张三\r\n"));
    write_bytes(path("empty.xls"), QByteArray());

    struct Case {
        QString file;
        QString sheet;
        QString error_part;
    };
    const Case cases[] = {
        {path("cut.xlsx"), "Sheet1", "已损坏"},
        {path("cut.xls"), "Sheet1", "已损坏"},
        {path("garbled.xlsx"), "Sheet1", "已损坏"},
        {path("bad-name.xls"), "Sheet1", "已损坏，无法读取（文件结构无效）"},
        {path("bad-link.xls"), "Sheet1", "已损坏，无法读取（文件结构无效）"},
        {path("notes.xls"), "Sheet1", "不是Excel工作簿"},
        {path("empty.xls"), "Sheet1", "不是Excel工作簿"},
        {path("missing.xls"), "Sheet1", "找不到文件"},
        {fixture("sample.xls"), "Sheet2", "没有工作表“Sheet2”；已有的工作表：Sheet1、抄表"},
        {fixture("sample.xlsx"), "Sheet2", "没有工作表“Sheet2”；已有的工作表：Sheet1、抄表"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        EXPECT_FALSE(import(c.file, c.sheet));
        EXPECT_TRUE(db_last_error(conn_).contains(c.error_part))
            << db_last_error(conn_).toStdString();
        EXPECT_FALSE(table_exists(QStringLiteral("导入暂存表")));
    }
}

TEST_F(ExcelBridgeTest, ExistingTargetTableIsNeitherReplacedNorTouched) {
    ASSERT_TRUE(exec(QStringLiteral("create table 导入暂存表 (x text)")));
    ASSERT_TRUE(exec(QStringLiteral("insert into 导入暂存表 (x) values ('keep')")));
    EXPECT_FALSE(import(fixture(QStringLiteral("sample.xlsx")), QStringLiteral("Sheet1")));
    EXPECT_TRUE(db_last_error(conn_).contains(QStringLiteral("导入暂存表")));
    EXPECT_EQ(rows(QStringLiteral("导入暂存表")), QStringLiteral("keep"));
}

// Cells as libxlsxwriter writes them in its default mode: shared strings, numbers, dates by
// number format, truth values, formula results and a far-off cell.
TEST_F(ExcelBridgeTest, ReadsWorkbookWrittenByLibxlsxwriter) {
    const QByteArray file = QFile::encodeName(path("lxw.xlsx"));
    lxw_workbook* wb = workbook_new(file.constData());
    lxw_worksheet* ws = workbook_add_worksheet(wb, "数据");
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy\"年\"m\"月\"d\"日\"");
    lxw_format* money = workbook_add_format(wb);
    format_set_num_format(money, "#,##0.00 [Red]");
    const char* titles[] = {"户号", "金额", "日期", "已交", "公式"};
    for (int c = 0; c < 5; ++c) worksheet_write_string(ws, 0, c, titles[c], nullptr);
    worksheet_write_string(ws, 1, 0, "00123", nullptr);
    worksheet_write_number(ws, 1, 1, 1234.5, money);
    lxw_datetime dt = {2024, 2, 29, 0, 0, 0};
    worksheet_write_datetime(ws, 1, 2, &dt, date);
    worksheet_write_boolean(ws, 1, 3, 1, nullptr);
    worksheet_write_formula_str(ws, 1, 4, "=A2&\"X\"", nullptr, "00123X");
    worksheet_write_string(ws, 5, 0, "_x0041_ text", nullptr);  // libxlsxwriter does not escape it
    lxw_datetime dt2 = {1900, 1, 1, 12, 0, 0};
    worksheet_write_datetime(ws, 5, 2, &dt2, date);
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);

    excel::SheetData sheet;
    QString error;
    ASSERT_TRUE(excel::read_sheet(path("lxw.xlsx"), QStringLiteral("数据$"), sheet, &error))
        << error.toStdString();
    const excel::SheetTable table = excel::make_sheet_table(sheet);
    EXPECT_EQ(table.names, QStringList({"户号", "金额", "日期", "已交", "公式"}));
    ASSERT_EQ(table.rows.size(), 2u);
    const auto& r = table.rows[0];
    EXPECT_EQ(r[0].text, QStringLiteral("00123"));
    EXPECT_EQ(r[1].kind, SheetCell::Kind::Number);  // "[Red]" is a colour, not a date part
    EXPECT_EQ(r[1].number, 1234.5);
    EXPECT_EQ(r[2].kind, SheetCell::Kind::Date);
    EXPECT_EQ(r[2].text, QStringLiteral("2024-02-29"));
    EXPECT_EQ(r[3].kind, SheetCell::Kind::Number);
    EXPECT_EQ(r[3].number, 1.0);
    EXPECT_EQ(r[4].text, QStringLiteral("00123X"));
    EXPECT_EQ(table.rows[1][0].text, QStringLiteral("A text"));  // as Excel reads it
    EXPECT_EQ(table.rows[1][2].text, QStringLiteral("1900-01-01 12:00:00"));
    EXPECT_EQ(table.types[2], excel::ColumnType::Date);
}

// ---- writing ------------------------------------------------------------------------------

// The name's extension picks the format: Excel 97 for .xls, the list export's default.
class ExportedFormat : public ExcelBridgeTest,
                       public ::testing::WithParamInterface<
                           std::pair<const char*, excel::WorkbookFormat>> {};

INSTANTIATE_TEST_SUITE_P(BothFormats, ExportedFormat,
                         ::testing::Values(std::make_pair("用户添加表.xls",
                                                          excel::WorkbookFormat::Xls),
                                           std::make_pair("用户添加表.xlsx",
                                                          excel::WorkbookFormat::Xlsx)));

TEST_P(ExportedFormat, ExportedListReadsBackInListOrderWithTextKept) {
    const QList<QStringList> list = {
        {"0001", "张三", "O'Brien"}, {"0002", "李四", "<null>"}, {"00123", "10101", "12.50"},
        {"0010", "王五", "=1+1"},    {"_x0041_", "x", "y"},  // looks like the format's own escape
                                                             // of a character
    };
    make_list_table(list);
    const QString file = path(QString::fromUtf8(GetParam().first));
    ASSERT_TRUE(export_list(file)) << db_last_error(conn_).toStdString();
    EXPECT_EQ(excel::workbook_format_of(file), GetParam().second);

    // Every value is a text cell, so numbers-looking texts stay as written.
    excel::SheetData sheet;
    QString error;
    ASSERT_TRUE(excel::read_sheet(file, QStringLiteral("Sheet1"), sheet, &error))
        << error.toStdString();
    EXPECT_EQ(sheet.name, QStringLiteral("Sheet1"));
    ASSERT_EQ(sheet.rows.size(), 6u);
    for (const auto& row : sheet.rows)
        for (const auto& cell : row.cells)
            EXPECT_TRUE(cell.kind == SheetCell::Kind::Text || cell.kind == SheetCell::Kind::Empty);

    ASSERT_TRUE(import(file, QStringLiteral("Sheet1"))) << db_last_error(conn_).toStdString();
    EXPECT_EQ(columns(QStringLiteral("导入暂存表")),
              QStringLiteral("户号 TEXT\n用户名 TEXT\n备注 TEXT"));
    EXPECT_EQ(rows(QStringLiteral("导入暂存表")),
              QStringList({"0001|张三|O'Brien", "0002|李四|null", "00123|10101|12.50",
                           "0010|王五|=1+1", "_x0041_|x|y"})
                  .join(u'\n'));
}

TEST_F(ExcelBridgeTest, EmptyListGivesHeaderOnly) {
    make_list_table({});
    const QString file = path("empty.xlsx");
    ASSERT_TRUE(export_list(file)) << db_last_error(conn_).toStdString();
    ASSERT_TRUE(import(file, QStringLiteral("Sheet1"))) << db_last_error(conn_).toStdString();
    EXPECT_EQ(columns(QStringLiteral("导入暂存表")),
              QStringLiteral("户号 TEXT\n用户名 TEXT\n备注 TEXT"));
    EXPECT_EQ(rows(QStringLiteral("导入暂存表")), QString());
}

TEST_F(ExcelBridgeTest, ExportReplacesAFileWholeOrLeavesItAlone) {
    make_list_table({{"0001", "张三", "x"}});
    const QString file = path("list.xls");
    write_bytes(file, QByteArrayLiteral("old contents"));
    ASSERT_TRUE(export_list(file)) << db_last_error(conn_).toStdString();
    EXPECT_EQ(excel::workbook_format_of(file), excel::WorkbookFormat::Xls);
    const QByteArray good = read_bytes(file);

    // A select that fails half-way (integer overflow on the second row) leaves the last
    // workbook as it was and no temporary file behind.
    ASSERT_TRUE(exec(QStringLiteral("create table big (户号 text, v integer, 排序 integer)")));
    ASSERT_TRUE(exec(QStringLiteral("insert into big values ('a', 1, 1)")));
    ASSERT_TRUE(exec(QStringLiteral("insert into big values ('b', -9223372036854775807 - 1, 2)")));
    EXPECT_FALSE(
        exec(QStringLiteral(
                 "SELECT 户号,abs(v) INTO [Excel 8.0;Database=%1].[Sheet1] FROM big ORDER BY 排序")
                 .arg(file)));
    EXPECT_FALSE(db_last_error(conn_).isEmpty());
    EXPECT_EQ(read_bytes(file), good);

    // A read-only file is not replaced.
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadUser));
    EXPECT_FALSE(export_list(file));
    EXPECT_TRUE(db_last_error(conn_).contains(QStringLiteral("只读")))
        << db_last_error(conn_).toStdString();
    EXPECT_EQ(read_bytes(file), good);
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // A missing folder and a bad sheet name fail with their reason.
    EXPECT_FALSE(export_list(path("no-such-folder/list.xlsx")));
    EXPECT_TRUE(db_last_error(conn_).contains(QStringLiteral("不存在")))
        << db_last_error(conn_).toStdString();
    EXPECT_FALSE(exec(QStringLiteral("SELECT 户号 INTO [Excel 8.0;Database=%1].[a:b] FROM tmp")
                          .arg(path("x.xlsx"))));
    EXPECT_TRUE(db_last_error(conn_).contains(QStringLiteral("工作表名")))
        << db_last_error(conn_).toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("x.xlsx")));

    // No temporary workbook is left behind.
    EXPECT_EQ(QDir(dir_.path()).entryList({QStringLiteral("*.xls*")}, QDir::Files | QDir::Hidden),
              QStringList({"list.xls"}));
}

// ---- the rules in isolation ---------------------------------------------------------------

SheetCell text(const char* t) { return {SheetCell::Kind::Text, 0, QString::fromUtf8(t)}; }
SheetCell number(double v) { return {SheetCell::Kind::Number, v, QString()}; }
SheetCell date(const char* t) { return {SheetCell::Kind::Date, 0, QString::fromUtf8(t)}; }
SheetCell none() { return {}; }

// A row written out column by column from the first; empty cells hold a place and are left
// out, as the readers leave them out.
excel::SheetRow row(int index, std::initializer_list<SheetCell> cells) {
    excel::SheetRow r;
    r.index = index;
    int column = 0;
    for (const SheetCell& cell : cells) r.set(column++, cell);
    return r;
}

TEST(ExcelSheetTable, TitlesAndUsedRange) {
    excel::SheetData sheet;
    // Data starts in the third column of the third row; titles blank, repeated in another
    // case, or padded.
    sheet.rows.push_back(row(2, {none(), none(), text(" Name "), none(), text("name"), text("NAME1")}));
    sheet.rows.push_back(row(3, {none(), none(), number(1), number(2), date("2024-01-01"), text("x")}));
    sheet.rows.push_back(row(4, {none(), none(), none(), none(), none(), none(), none(), text("far")}));
    const excel::SheetTable t = excel::make_sheet_table(sheet);
    EXPECT_EQ(t.names, QStringList({"Name", "F2", "name1", "NAME11", "F5", "F6"}));
    using excel::ColumnType;
    EXPECT_EQ(t.types,
              (std::vector<ColumnType>{ColumnType::Number, ColumnType::Number, ColumnType::Date,
                                       ColumnType::Text, ColumnType::Text, ColumnType::Text}));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[1][5].text, QStringLiteral("far"));
    EXPECT_EQ(t.rows[1][0].kind, SheetCell::Kind::Empty);

    const excel::SheetTable empty = excel::make_sheet_table(excel::SheetData{});
    EXPECT_EQ(empty.names, QStringList({"F1"}));
    EXPECT_TRUE(empty.rows.empty());
}

TEST(ExcelSheetTable, MixedColumnsBecomeTextInShortestForm) {
    excel::SheetData sheet;
    sheet.rows.push_back(row(0, {text("a")}));
    sheet.rows.push_back(row(1, {number(10101)}));
    sheet.rows.push_back(row(2, {date("2024-03-05")}));
    sheet.rows.push_back(row(3, {number(0.1 + 0.2)}));
    const excel::SheetTable t = excel::make_sheet_table(sheet);
    ASSERT_EQ(t.types, std::vector<excel::ColumnType>{excel::ColumnType::Text});
    QStringList values;
    for (const auto& row : t.rows) values << row[0].text;
    EXPECT_EQ(values, QStringList({"10101", "2024-03-05", "0.3"}));
}

TEST(ExcelSheetTable, NumberTexts) {
    const std::pair<double, const char*> cases[] = {
        {10101, "10101"}, {12.5, "12.5"},
        {-0.0, "0"},      {0.1 + 0.2, "0.3"},
        {1e20, "1e+20"},  {6222021234567890.0, "6222021234567890"},
        {-3, "-3"},       {1.0 / 3, "0.333333333333333"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(excel::number_cell_text(value), QString::fromLatin1(expected)) << value;
}

TEST(ExcelSheetTable, SerialDates) {
    const std::tuple<double, bool, const char*> cases[] = {
        {1, false, "1900-01-01"},
        {59, false, "1900-02-28"},
        {61, false, "1900-03-01"},
        {45356, false, "2024-03-05"},
        {45356.4375, false, "2024-03-05 10:30:00"},
        {0.5, false, "1899-12-30 12:00:00"},
        {45356.99999999, false, "2024-03-06"},  // rounds to the second
        {0, true, "1904-01-01"},
        {43894, true, "2024-03-05"},
    };
    for (const auto& [serial, date1904, expected] : cases) {
        QString out;
        ASSERT_TRUE(excel::detail::serial_to_date_text(serial, date1904, out)) << serial;
        EXPECT_EQ(out, QString::fromLatin1(expected)) << serial;
    }
    QString out;
    EXPECT_FALSE(excel::detail::serial_to_date_text(-1, false, out));
    EXPECT_FALSE(excel::detail::serial_to_date_text(3e6, false, out));
}

}  // namespace
