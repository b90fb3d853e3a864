// The Excel import of end readings into the pending batch.
#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <QFile>

#include "reading/reading_import.h"
#include "reading_fixture.h"

namespace reading_test {
namespace {

class ReadingImportTest : public ReadingTest {
protected:
    void SetUp() override {
        ReadingTest::SetUp();
        add_water_household(s("10101"), s("甲"), 1, 100);  // meter 1010101
        add_water_household(s("0002"), s("乙"), 2, 0);
        add_history(s("000201"), s("0002"), 0, 50, s("2024-2-5"));
        add_water_household(s("0003"), s("丙"), 3, 0);
        add_history(s("000301"), s("0003"), 0, 50, s("2024-2-5"));
        exec(s("insert into 换表管理 (户号,换表起方,执行日期) values ('000301',80,'2024-3')"));
        add_water_household(s("0004"), s("丁"), 4, 0);
        add_pending(s("000401"), s("0004"), 0, 1, s("水费"), s("居民"), s("2023-1-1"));
        add_water_household(s("0005"), s("戊"), 5, 10);
        exec(s("update 用户表管理 set 倍率=10 where 户号='000501'"));
    }
    // A workbook: the title row, then rows whose cells are numbers when they read as one.
    QString workbook(const std::vector<std::vector<const char*>>& rows, bool numbers = true,
                     const QString& name = QStringLiteral("readings.xlsx")) {
        const QString file = folder() + u'/' + name;
        lxw_workbook* book = workbook_new(QFile::encodeName(file).constData());
        lxw_worksheet* sheet = workbook_add_worksheet(book, "Sheet1");
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < rows[r].size(); ++c) {
                if (!rows[r][c]) continue;
                bool ok = false;
                const double v = QString::fromUtf8(rows[r][c]).toDouble(&ok);
                if (numbers && ok && r > 0 && rows[r][c][0] != '0')
                    worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), v, nullptr);
                else
                    worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), rows[r][c], nullptr);
            }
        EXPECT_EQ(workbook_close(book), LXW_NO_ERROR);
        return file;
    }
};

TEST_F(ReadingImportTest, RowsBecomePendingReadingsAndTheRestIsListed) {
    set_loss(s("水费"), s("开启"), s("十分位"));
    exec(s("update 水价类别 set 电损率=3 where 水价类别='居民'"));
    const QString file = workbook({{"户号", "止数", "备注"},
                                   {"1010101", "130", "number cell"},
                                   {"000201", "50", nullptr},          // end equal to start
                                   {"000301", "79", nullptr},          // below the change's start
                                   {"000401", "5", nullptr},           // already pending
                                   {"999999", "5", nullptr},           // no such meter
                                   {nullptr, "7", nullptr},            // no 户号: ignored
                                   {"000501", "20", nullptr}},
                                  true);
    const auto outcome = reading::import_readings_from_workbook(db(), file, s("Sheet1"), QDate(2024, 3, 5));
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.inserted, 3);
    EXPECT_EQ(outcome.end_below_start, QStringList{s("000301")});
    EXPECT_EQ(outcome.already_pending, QStringList{s("000401")});
    EXPECT_EQ(outcome.unknown_accounts, QStringList{s("999999")});
    EXPECT_EQ(rows(s("select 户号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,抄表人员,父号,价格 "
                     "from 抄表管理 where 户号<>'000401' order by 编号")),
              (QList<QStringList>{
                  {s("1010101"), s("100"), s("130"), s("30"), s("0.9"), s("2024-03-05"), s("水费"),
                   s("居民"), s("张三"), s("10101"), s("2.5")},
                  {s("000201"), s("50"), s("50"), s("0"), s("0"), s("2024-03-05"), s("水费"), s("居民"),
                   s("张三"), s("0002"), s("2.5")},
                  {s("000501"), s("10"), s("20"), s("100"), s("3"), s("2024-03-05"), s("水费"),
                   s("居民"), s("张三"), s("0005"), s("2.5")}}));
    EXPECT_TRUE(value(s("select count(*) from 导入暂存表")).toInt() > 0);  // left in the database

    const QString list = folder() + s("/止方出错户号.txt");
    ASSERT_TRUE(reading::write_account_list_file(list, {s("000301"), s("000302")}));
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("000301\r\n000302\r\n"));
}

TEST_F(ReadingImportTest, UnreadableWorkbooksAndSheetsAreRefusedAndNothingIsWritten) {
    const QString damaged = folder() + s("/damaged.xlsx");
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("PK\x03\x04 this is no workbook");
    f.close();
    struct Case {
        QString file, sheet;
    };
    const QString good = workbook({{"户号", "止数"}, {"000201", "60"}});
    const QString no_end = workbook({{"户号", "别的"}, {"000201", "60"}}, true, s("no_end.xlsx"));
    for (const Case& c : {Case{damaged, s("Sheet1")}, Case{folder() + s("/missing.xlsx"), s("Sheet1")},
                          Case{good, s("Sheet9")}, Case{no_end, s("Sheet1")}}) {
        const auto outcome = reading::import_readings_from_workbook(db(), c.file, c.sheet, QDate(2024, 3, 5));
        EXPECT_FALSE(outcome.ok) << c.file.toStdString();
        EXPECT_TRUE(outcome.message.startsWith(s("抄表导入失败!\r\n"))) << outcome.message.toStdString();
    }
    EXPECT_EQ(value(s("select count(*) from 抄表管理")), s("1"));
}

TEST_F(ReadingImportTest, AFailingRowIsPassedOverAndASheetWithoutAccountsEndsQuietly) {
    raw_exec("create trigger refuse before insert on 抄表管理 when new.户号='000201' begin "
             "select raise(abort,'refused'); end");
    const QString file = workbook({{"户号", "止数"}, {"1010101", "130"}, {"000201", "60"}, {"000501", "20"}});
    const auto outcome = reading::import_readings_from_workbook(db(), file, s("Sheet1"), QDate(2024, 3, 5));
    EXPECT_TRUE(outcome.ok);
    EXPECT_TRUE(outcome.message.isEmpty());
    EXPECT_EQ(outcome.inserted, 2);
    EXPECT_EQ(rows(s("select 户号 from 抄表管理 where 户号<>'000401' order by 编号")),
              (QList<QStringList>{{s("1010101")}, {s("000501")}}));

    const QString empty = workbook({{"户号", "止数"}, {nullptr, "5"}}, true, s("empty.xlsx"));
    const auto quiet = reading::import_readings_from_workbook(db(), empty, s("Sheet1"), QDate(2024, 3, 5));
    EXPECT_FALSE(quiet.ok);
    EXPECT_TRUE(quiet.message.isEmpty());
}

// A workbook name with "[", "]", ";" or "#" reads like any other, and the totals row of the
// list a sheet was exported from is passed over and counted, not listed as an unknown meter.
TEST_F(ReadingImportTest, AnyFileNameImportsAndAListsTotalsRowIsSkipped) {
    for (const QString& name : {s("名[3月].xlsx"), s("a;b#c.xlsx"), s("x]];y.xlsx")}) {
        exec(s("delete from 抄表管理 where 户号<>'000401'"));
        const QString file = workbook({{"户号", "用户名", "止数"},
                                       {"000201", "乙", "60"},
                                       {"合计", "1户", "60"}},
                                      true, name);
        const auto outcome = reading::import_readings_from_workbook(db(), file, s("Sheet1"), QDate(2024, 3, 5));
        ASSERT_TRUE(outcome.ok) << name.toStdString() << ": " << outcome.message.toStdString();
        EXPECT_EQ(outcome.inserted, 1) << name.toStdString();
        EXPECT_EQ(outcome.skipped_totals, 1) << name.toStdString();
        EXPECT_TRUE(outcome.unknown_accounts.isEmpty()) << name.toStdString();
    }
}

}  // namespace
}  // namespace reading_test
