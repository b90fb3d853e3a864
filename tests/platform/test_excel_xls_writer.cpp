// The Excel 97 (.xls) writer: workbooks read back with the program's own reader (FreeXL) and,
// where python3-xlrd is installed, with an independent one.
#include <gtest/gtest.h>

#ifndef SQLITE_HAS_CODEC
#define SQLITE_HAS_CODEC 1
#endif
#include <sqlcipher/sqlite3.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "harness/file_helpers.h"
#include "harness/scripted_ui.h"  // PrintTo(QString)
#include "platform/db.h"
#include "platform/excel_install.h"
#include "platform/excel_sheet.h"
#include "platform/excel_xls_writer.h"

using namespace platform;
using platform::excel::SheetCell;
using platform::excel::XlsSheetWriter;

namespace {

// A long Chinese text, continued from one record of the shared-string table into the next.
QString long_text(int seed, int length) {
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i) text += QChar(0x4E00 + (seed * 7919 + i * 31) % 20000);
    return text;
}

// What each cell of the test sheet holds: titles, then rows with leading zeros, Chinese,
// repeated and unique texts, numbers and gaps.
struct Expected {
    QList<QList<SheetCell>> rows;
};

Expected write_sample(XlsSheetWriter& writer) {
    Expected e;
    const auto text = [](const QString& t) { return SheetCell{SheetCell::Kind::Text, 0, t}; };
    const auto number = [](double v) { return SheetCell{SheetCell::Kind::Number, v, {}}; };
    writer.start_row();
    const QStringList titles = {QStringLiteral("户号"), QStringLiteral("用户名"),
                                QStringLiteral("金额"), QStringLiteral("备注")};
    QList<SheetCell> title_row;
    for (int c = 0; c < titles.size(); ++c) {
        writer.put_text(c, titles[c]);
        title_row << text(titles[c]);
    }
    e.rows << title_row;
    for (int r = 0; r < 3000; ++r) {
        writer.start_row();
        const QString account = QStringLiteral("%1").arg(r, 6, 10, QLatin1Char('0'));
        const QString name = r % 3 == 0 ? QStringLiteral("张三") : QStringLiteral("用户%1号").arg(r);
        const double amount = r * 1.25 - 100;
        writer.put_text(0, account);
        writer.put_text(1, name);
        writer.put_number(2, amount);
        QList<SheetCell> row{text(account), text(name), number(amount)};
        if (r % 97 == 7) {
            const QString remark = long_text(r, 4000 + r % 4200);
            writer.put_text(3, remark);
            row << text(remark);
        }
        e.rows << row;
    }
    return e;
}

void expect_sheet(const excel::SheetData& sheet, const Expected& e) {
    ASSERT_EQ(sheet.rows.size(), size_t(e.rows.size()));
    for (qsizetype r = 0; r < e.rows.size(); ++r) {
        const excel::SheetRow& row = sheet.rows[size_t(r)];
        ASSERT_EQ(row.index, r);
        ASSERT_EQ(row.cells.size(), size_t(e.rows[r].size())) << "row " << r;
        for (qsizetype c = 0; c < e.rows[r].size(); ++c) {
            const SheetCell* cell = row.at(int(c));
            ASSERT_NE(cell, nullptr) << r << "," << c;
            EXPECT_EQ(cell->kind, e.rows[r][c].kind) << r << "," << c;
            EXPECT_EQ(cell->text, e.rows[r][c].text) << r << "," << c;
            EXPECT_EQ(cell->number, e.rows[r][c].number) << r << "," << c;
        }
    }
}

class XlsWriter : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const QString& name) const { return dir_.path() + u'/' + name; }
    QTemporaryDir dir_;
};

TEST_F(XlsWriter, TextsAndNumbersReadBackWithTheProgramsReader) {
    const QString file = path(QStringLiteral("用户添加表.xls"));
    XlsSheetWriter writer;
    QString error;
    ASSERT_TRUE(writer.begin(file, QString(), &error)) << error.toStdString();
    const Expected expected = write_sample(writer);
    ASSERT_TRUE(writer.finish(&error)) << error.toStdString();
    EXPECT_EQ(excel::workbook_format_of(file), excel::WorkbookFormat::Xls);

    excel::SheetData sheet;
    ASSERT_TRUE(excel::read_sheet(file, QStringLiteral("Sheet1$"), sheet, &error))
        << error.toStdString();
    EXPECT_EQ(sheet.name, QStringLiteral("Sheet1"));
    expect_sheet(sheet, expected);
}

// Read by a reader that shares nothing with ours: python3-xlrd, where it is installed.
TEST_F(XlsWriter, TextsAndNumbersReadBackWithAnIndependentReader) {
    // Debian's python3-xlrd belongs to the system's Python, which another one on the path
    // may hide.
    QString python;
    for (const QString& candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(candidate, {QStringLiteral("-c"), QStringLiteral("import xlrd")});
        if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0) {
            python = candidate;
            break;
        }
    }
    if (python.isEmpty()) GTEST_SKIP() << "python3-xlrd is not installed";

    const QString file = path(QStringLiteral("名单.xls"));
    XlsSheetWriter writer;
    QString error;
    ASSERT_TRUE(writer.begin(file, QStringLiteral("数据"), &error)) << error.toStdString();
    const Expected expected = write_sample(writer);
    ASSERT_TRUE(writer.finish(&error)) << error.toStdString();

    const QString script = QStringLiteral(
        "import sys, json, xlrd\n"
        "book = xlrd.open_workbook(sys.argv[1])\n"
        "sheet = book.sheet_by_index(0)\n"
        "rows = [[[c.ctype, c.value] for c in sheet.row(r)] for r in range(sheet.nrows)]\n"
        "sys.stdout.buffer.write(json.dumps({'name': sheet.name, 'sheets': book.nsheets,\n"
        "    'rows': rows}, ensure_ascii=False).encode('utf-8'))\n");
    QProcess xlrd;
    xlrd.start(python, {QStringLiteral("-c"), script, file});
    ASSERT_TRUE(xlrd.waitForFinished(120000));
    ASSERT_EQ(xlrd.exitCode(), 0) << xlrd.readAllStandardError().toStdString();
    const QJsonObject book = QJsonDocument::fromJson(xlrd.readAllStandardOutput()).object();
    EXPECT_EQ(book.value(QStringLiteral("name")).toString(), QStringLiteral("数据"));
    EXPECT_EQ(book.value(QStringLiteral("sheets")).toInt(), 1);
    const QJsonArray rows = book.value(QStringLiteral("rows")).toArray();
    ASSERT_EQ(rows.size(), expected.rows.size());
    constexpr int kXlrdEmpty = 0, kXlrdText = 1, kXlrdNumber = 2;
    for (qsizetype r = 0; r < expected.rows.size(); ++r) {
        const QJsonArray row = rows[r].toArray();
        for (qsizetype c = 0; c < row.size(); ++c) {
            const QJsonArray cell = row[c].toArray();
            if (c >= expected.rows[r].size()) {
                EXPECT_EQ(cell[0].toInt(), kXlrdEmpty) << r << "," << c;
                continue;
            }
            const SheetCell& want = expected.rows[r][c];
            if (want.kind == SheetCell::Kind::Text) {
                EXPECT_EQ(cell[0].toInt(), kXlrdText) << r << "," << c;
                EXPECT_EQ(cell[1].toString(), want.text) << r << "," << c;
            } else {
                EXPECT_EQ(cell[0].toInt(), kXlrdNumber) << r << "," << c;
                EXPECT_EQ(cell[1].toDouble(), want.number) << r << "," << c;
            }
        }
    }
}

// A sheet holds 65,536 rows; one more is refused with a text that names .xlsx, and nothing is
// written.
TEST_F(XlsWriter, SheetBeyond65536RowsIsRefusedNamingXlsx) {
    for (const int rows : {65536, 65537}) {
        const QString file = path(QStringLiteral("rows%1.xls").arg(rows));
        XlsSheetWriter writer;
        QString error;
        ASSERT_TRUE(writer.begin(file, QString(), &error));
        for (int r = 0; r < rows; ++r) {
            writer.start_row();
            writer.put_number(0, r);
        }
        const bool written = writer.finish(&error);
        if (rows == 65536) {
            ASSERT_TRUE(written) << error.toStdString();
            excel::SheetData sheet;
            ASSERT_TRUE(excel::read_sheet(file, QStringLiteral("Sheet1"), sheet, &error))
                << error.toStdString();
            ASSERT_EQ(sheet.rows.size(), 65536u);
            EXPECT_EQ(sheet.rows.back().index, 65535);
            EXPECT_EQ(sheet.rows.back().cells[0].number, 65535.0);
        } else {
            EXPECT_FALSE(written);
            EXPECT_TRUE(error.contains(QStringLiteral(".xlsx"))) << error.toStdString();
            EXPECT_FALSE(QFileInfo::exists(file));
        }
    }
}

// A workbook of more than 109 FAT sectors (about 7 MB) lists the rest of its FAT in DIFAT
// sectors.
TEST_F(XlsWriter, LargeWorkbookReadsBackThroughItsDifatSectors) {
    const QString file = path(QStringLiteral("大.xls"));
    XlsSheetWriter writer;
    QString error;
    ASSERT_TRUE(writer.begin(file, QString(), &error));
    QStringList texts;
    for (int r = 0; r < 1100; ++r) {
        texts << long_text(r, 8000);
        writer.start_row();
        writer.put_text(0, texts.back());
    }
    ASSERT_TRUE(writer.finish(&error)) << error.toStdString();
    const QByteArray bytes = harness::read_bytes(file);
    ASSERT_GE(bytes.size(), 0x50);
    const auto u32 = [&](int at) {
        return quint32(quint8(bytes[at])) | quint32(quint8(bytes[at + 1])) << 8 |
               quint32(quint8(bytes[at + 2])) << 16 | quint32(quint8(bytes[at + 3])) << 24;
    };
    EXPECT_GT(u32(0x2C), 109u);  // FAT sectors
    EXPECT_GT(u32(0x48), 0u);    // DIFAT sectors

    excel::SheetData sheet;
    ASSERT_TRUE(excel::read_sheet(file, QStringLiteral("Sheet1"), sheet, &error))
        << error.toStdString();
    ASSERT_EQ(sheet.rows.size(), 1100u);
    for (int r = 0; r < 1100; ++r) ASSERT_EQ(sheet.rows[size_t(r)].cells[0].text, texts[r]) << r;
}

TEST_F(XlsWriter, BadTargetsAndSheetNamesFailWithTheirReason) {
    XlsSheetWriter writer;
    QString error;
    EXPECT_FALSE(writer.begin(path(QStringLiteral("无此目录/x.xls")), QString(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("不存在"))) << error.toStdString();
    EXPECT_FALSE(writer.begin(path(QStringLiteral("x.xls")), QStringLiteral("a:b"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("工作表名"))) << error.toStdString();
    EXPECT_FALSE(writer.begin(path(QStringLiteral("x.xls")), QString(32, u'名'), &error));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("x.xls"))));
}

// Through the export statement: a database's numbers become number cells, its texts text
// cells; a select longer than a sheet is refused for .xls and goes to .xlsx.
TEST(XlsBridge, ExportStatementWritesTypedCellsAndRefusesLongSelects) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    install_excel_bridge();
    const QString db = dir.path() + QStringLiteral("/scratch.db");
    harness::write_bytes(db, QByteArray());
    Connection conn;
    ASSERT_TRUE(db_open_access_file(conn, db, QString()));
    sqlite3* h = db_handle(conn);
    ASSERT_EQ(sqlite3_exec(h,
                           "CREATE TABLE t (户号 TEXT, 金额 REAL, 次数 INTEGER, 排序 INTEGER);"
                           "INSERT INTO t VALUES ('0001', 12.5, 3, 1);"
                           "INSERT INTO t VALUES ('000002', NULL, -7, 2);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const QString file = dir.path() + QStringLiteral("/收费.xls");
    ASSERT_TRUE(db_execute(conn, QStringLiteral("SELECT 户号,金额,次数 INTO [Excel 8.0;Database=") +
                                     file + QStringLiteral("].[Sheet1] FROM t  ORDER BY 排序")))
        << db_last_error(conn).toStdString();
    excel::SheetData sheet;
    QString error;
    ASSERT_TRUE(excel::read_sheet(file, QStringLiteral("Sheet1"), sheet, &error));
    ASSERT_EQ(sheet.rows.size(), 3u);
    EXPECT_EQ(sheet.rows[1].at(0)->text, QStringLiteral("0001"));
    EXPECT_EQ(sheet.rows[1].at(1)->kind, SheetCell::Kind::Number);
    EXPECT_EQ(sheet.rows[1].at(1)->number, 12.5);
    EXPECT_EQ(sheet.rows[2].at(0)->text, QStringLiteral("000002"));
    EXPECT_EQ(sheet.rows[2].at(1), nullptr);
    EXPECT_EQ(sheet.rows[2].at(2)->number, -7.0);

    // 65,536 rows and the title row: one more than a sheet holds.
    ASSERT_EQ(sqlite3_exec(h,
                           "CREATE TABLE big (户号 TEXT); WITH RECURSIVE n(i) AS (SELECT 1 UNION "
                           "ALL SELECT i + 1 FROM n WHERE i < 65536) INSERT INTO big SELECT "
                           "printf('%06d', i) FROM n;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(h);
    const QString too_long = dir.path() + QStringLiteral("/big.xls");
    EXPECT_FALSE(db_execute(conn, QStringLiteral("SELECT 户号 INTO [Excel 8.0;Database=") +
                                      too_long + QStringLiteral("].[Sheet1] FROM big")));
    EXPECT_TRUE(db_last_error(conn).contains(QStringLiteral(".xlsx")))
        << db_last_error(conn).toStdString();
    EXPECT_FALSE(QFileInfo::exists(too_long));
    EXPECT_TRUE(db_execute(conn, QStringLiteral("SELECT 户号 INTO [Excel 8.0;Database=") +
                                     dir.path() + QStringLiteral("/big.xlsx].[Sheet1] FROM big")))
        << db_last_error(conn).toStdString();
    db_close(conn);
}

}  // namespace
