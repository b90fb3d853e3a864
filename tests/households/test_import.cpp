// The three Excel imports on small .xls and .xlsx workbooks (saved by LibreOffice Calc from the
// .fods files in import_fixtures/): 批量添加 with numbers that are passed over when in use, a
// skipped row, an empty date becoming today and a quote in a cell; 批量修改 changing only the
// cells that hold a value and skipping the totals row; 批量排序; and the refusals: no right, no
// file, no sheet name, a file that is no workbook, a sheet without the needed titles, a row
// with a bad value (the rows before it stay, each whole).
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include "harness/busy_watch.h"
#include "household_fixture.h"
#include "households/household_import.h"
#include "households/household_import_rows.h"
#include "store/main_database.h"

namespace {

using namespace households_test;

QString fixture(const QString& name) {
    return QStringLiteral(FEE_SOURCE_DIR "/tests/households") +
           QStringLiteral("/import_fixtures/") + name;
}

class Import : public HouseholdTest, public ::testing::WithParamInterface<const char*> {
protected:
    QString workbook(const char* base) { return fixture(s(base) + u'.' + s(GetParam())); }

    void run_add(const QString& file, const QString& sheet) {
        ui.expect_file(file).expect_input(sheet);
        households::on_main_household_import_click(nullptr,
                                                   [this](const QStringList& n) { shown = n; });
    }
    void run_modify(const QString& file, const QString& sheet) {
        ui.expect_file(file).expect_input(sheet);
        households::on_main_household_batch_modify_import_click(
            nullptr, [this](const QStringList& n) { shown = n; });
    }
    void run_sort(const QString& file, const QString& sheet) {
        ui.expect_file(file).expect_input(sheet);
        households::on_main_meter_batch_sort_import_click(nullptr);
    }

    // The kept per-reader counts against a fresh count of the meter accounts.
    void expect_reader_counts_fresh() {
        EXPECT_EQ(rows(s("select 抄表人员, 户数 from 抄表员户数 where 户数<>0 order by 抄表人员")),
                  rows(s("select 抄表人员, count(*) from 用户表管理 where 抄表人员 is not null "
                         "group by 抄表人员 order by 抄表人员")));
    }

    bool scratch_table_exists() {
        return count(s("select count(*) from sqlite_master where name='导入暂存表'")) == 1;
    }

    QStringList shown;
};

INSTANTIATE_TEST_SUITE_P(Formats, Import, ::testing::Values("xls", "xlsx"));

TEST_P(Import, AddGivesEveryNamedRowTheNextFreeNumberAndItsPropertyFeeAccount) {
    // The last registered household is 0001, but 0002 is taken and 0004's data outlived it.
    insert_household(s("0002"), s("甲"));
    insert_household(s("0001"), s("乙"));
    insert_meter_account(s("000401"), s("0004"), s("物业"), s("住宅"), s("系统"), 1);

    ui.expect_box(s("导入数据库成功！"));
    run_add(workbook("households_add"), s("Sheet1"));
    EXPECT_EQ(ui.boxes().back().caption, s("信息提示"));
    ASSERT_EQ(ui.inputs().size(), 1u);
    EXPECT_EQ(ui.inputs()[0].prompt, s("请输入要导入的XLS表名!"));
    EXPECT_EQ(ui.inputs()[0].caption, s("信息提示"));
    EXPECT_EQ(ui.inputs()[0].initial, s("Sheet1"));

    // 0002 and 0004 are passed over; the row without a name uses up 0006.
    EXPECT_EQ(shown, (QStringList{s("0003"), s("0005"), s("0007")}));
    EXPECT_EQ(
        rows(s("select "
               "户号,用户名,居住街道,详细地址,建档时间,身份证号,固定电话,移动电话,备注,银行帐号,"
               "物业类别,"
               "物业面积,家庭人口,开户银行,磁卡号码,助记词,性质,父号 from 用户信息表 where 户号 "
               "not in ('0001','0002') "
               "order by 编号")),
        (QList<QStringList>{{s("0003"), s("王小明"), s("东区"), s("1号楼101"), s("2024-01-15"),
                             s("110101199001011234"), s("0571-88886666"), s("13800000001"),
                             s("老住户"), s("6222021234567890123"), s("住宅"), s("85.5"), s("3"),
                             s("工商银行"), s("00012345"), s("wxm"), s("0"), s("0")},
                            {s("0005"), s("李四"), s("西区"), s("2号楼'东'单元"), s("2023-12-31"),
                             QString(), QString(), QString(), QString(), QString(), s("商铺"),
                             s("120"), s("2"), QString(), QString(), s("ls"), s("0"), s("0")},
                            // No date: today; no area and no persons: 0.
                            {s("0007"), s("张三"), s("东区"), s("3号楼"), s("2024-03-05"),
                             QString(), QString(), QString(), QString(), QString(), s("住宅"),
                             s("0"), s("0"), QString(), QString(), s("zs"), s("0"), s("0")}}));
    EXPECT_EQ(
        rows(s("select "
               "户号,收费项目,价格类别,开始起数,抄表人员,倍率,计量编号,抄表序号,建表时间,父号,状态 "
               "from 用户表管理 where 户号<>'000401' order by 编号")),
        (QList<QStringList>{{s("000301"), s("物业"), s("住宅"), s("0"), s("系统"), s("1"),
                             s("000000"), s("2"), s("2024-01-15"), s("0003"), s("正常")},
                            {s("000501"), s("物业"), s("商铺"), s("0"), s("系统"), s("1"),
                             s("000000"), s("3"), s("2023-12-31"), s("0005"), s("正常")},
                            {s("000701"), s("物业"), s("住宅"), s("0"), s("系统"), s("1"),
                             s("000000"), s("4"), s("2024-03-05"), s("0007"), s("正常")}}));
    EXPECT_EQ(value(s("select 户数 from 抄表员户数 where 抄表人员='系统'")), s("4"));
    expect_reader_counts_fresh();
    EXPECT_FALSE(scratch_table_exists());
}

TEST_P(Import, AnEmptyRegisterStartsAtThePrefixAndTheFirstNumber) {
    // Prefix A, four digits: A0001; the row without a name uses up A0003.
    shell::system_parameters.household_number_prefix = s("A");
    shell::system_parameters.household_number_digits = 4;
    ui.expect_box(s("导入数据库成功！"));
    run_add(workbook("households_add"), s("Sheet1"));
    EXPECT_EQ(shown, (QStringList{s("A0001"), s("A0002"), s("A0004")}));
    EXPECT_EQ(
        rows(s("select 户号,父号 from 用户表管理 order by 编号")),
        (QList<QStringList>{
            {s("A000101"), s("A0001")}, {s("A000201"), s("A0002")}, {s("A000401"), s("A0004")}}));
}

TEST_P(Import, TheWaitWindowIsDrawnWhileTheWorkbookIsReadAndWhileTheRowsGoIn) {
    harness::BusyWatch watch;
    int painted_while_reading = -1;
    watch.on_first_paint([&] {
        painted_while_reading = static_cast<int>(count(s("select count(*) from 用户信息表")));
    });
    ui.expect_box(s("导入数据库成功！"));
    run_add(workbook("households_add"), s("Sheet1"));
    EXPECT_EQ(watch.windows_opened(), 2);  // reading the workbook, then applying its rows
    EXPECT_EQ(painted_while_reading, 0);   // drawn before any household was added
    EXPECT_GE(watch.paints(), 2);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->inherits("households::WaitWindow") && w->isVisible());
}

TEST_P(Import, AddRefusesMissingTitlesAndStopsAtABadValueKeepingWholeRows) {
    const qint64 households_before = count(s("select count(*) from 用户信息表"));
    ui.expect_box(s("批量添加出错,请检查模版!"));
    run_add(workbook("households_add"), s("缺列"));
    EXPECT_EQ(count(s("select count(*) from 用户信息表")), households_before);
    EXPECT_TRUE(shown.isEmpty());

    // 赵六 goes in with its account; 钱七's persons "3人" stops the import; 孙八 never comes.
    ui.expect_box(s("批量添加出错,请检查模版!"));
    run_add(workbook("households_add"), s("坏值"));
    EXPECT_EQ(rows(s("select 户号,用户名,家庭人口 from 用户信息表")),
              (QList<QStringList>{{s("0001"), s("赵六"), s("2")}}));
    EXPECT_EQ(rows(s("select 户号,父号 from 用户表管理")),
              (QList<QStringList>{{s("000101"), s("0001")}}));
    EXPECT_TRUE(scratch_table_exists());
}

TEST_P(Import, ARowTheDatabaseRefusesLeavesNothingHalfAndTheRowsBeforeItStay) {
    // The property-fee account of the third household is refused: its household must not stay
    // without it.
    exec(
        s("CREATE TRIGGER 拒绝 BEFORE INSERT ON 用户表管理 WHEN new.户号='000401' "
          "BEGIN SELECT RAISE(ABORT,'refused'); END"));
    ui.expect_box(s("批量添加出错,请检查模版!"));
    run_add(workbook("households_add"), s("Sheet1"));
    EXPECT_EQ(rows(s("select 户号,用户名 from 用户信息表 order by 编号")),
              (QList<QStringList>{{s("0001"), s("王小明")}, {s("0002"), s("李四")}}));
    EXPECT_EQ(rows(s("select 户号 from 用户表管理 order by 编号")),
              (QList<QStringList>{{s("000101")}, {s("000201")}}));
    // The batch that failed was undone and replayed: the counts hold the two accounts only.
    expect_reader_counts_fresh();
    EXPECT_EQ(value(s("select 户数 from 抄表员户数 where 抄表人员='系统'")), s("2"));
    EXPECT_TRUE(shown.isEmpty());
}

TEST_P(Import, ModifyChangesOnlyFilledCellsAndSkipsTheTotalsRow) {
    insert_household(s("0001"), s("王小明"), s("2024-1-1"), s(",家庭人口,物业面积,备注"),
                     s(",3,80,'原备注'"));
    insert_household(s("0002"), s("李四"), s("2024-1-1"), s(",家庭人口,物业面积"), s(",2,60"));
    insert_meter_account(s("000101"), s("0001"), s("物业"), s("住宅"), s("系统"), 1);
    insert_meter_account(s("000201"), s("0002"), s("物业"), s("住宅"), s("系统"), 2);
    const auto household = [this](const char* number) {
        return rows(s("select * from 用户信息表 where 户号='") + s(number) + u'\'').value(0);
    };
    QStringList first = household("0001");
    QStringList second = household("0002");

    ui.expect_box(s("导入数据库成功！"));
    run_modify(workbook("households_modify"), s("Sheet1"));
    EXPECT_EQ(shown, (QStringList{s("0001"), s("0002"), s("9999")}));
    // 0001: the name and its mnemonic, nothing else.
    const int name = 3, mnemonic = 14, persons = 7, category = 17, area = 18;
    first[name] = s("王大明");
    first[mnemonic] = s("wdm");
    EXPECT_EQ(household("0001"), first);
    // 0002: persons, area and category; its property-fee account follows the category.
    second[persons] = s("5");
    second[category] = s("商铺");
    second[area] = s("120");
    EXPECT_EQ(household("0002"), second);
    EXPECT_EQ(value(s("select 价格类别 from 用户表管理 where 户号='000201'")), s("商铺"));
    EXPECT_EQ(value(s("select 价格类别 from 用户表管理 where 户号='000101'")), s("住宅"));
    EXPECT_EQ(count(s("select count(*) from 用户信息表")), 2);  // 9999 and 用户数 change nothing
}

TEST_P(Import, ModifyStopsAtARowWithNothingToChange) {
    insert_household(s("0001"), s("王小明"));
    insert_household(s("0002"), s("李四"));
    insert_household(s("0003"), s("张三"));
    ui.expect_box(s("批量修改出错,请检模版!"));
    run_modify(workbook("households_modify"), s("仅户号"));
    EXPECT_EQ(rows(s("select 用户名 from 用户信息表 order by 户号")),
              (QList<QStringList>{{s("新名字")}, {s("李四")}, {s("张三")}}));
    EXPECT_TRUE(shown.isEmpty());

    ui.expect_box(s("批量修改出错,请检模版!"));
    run_modify(workbook("households_modify"), s("缺列"));
    EXPECT_EQ(value(s("select 用户名 from 用户信息表 where 户号='0001'")), s("新名字"));
}

TEST_P(Import, SortSetsReaderAndOrderOfTheNamedAccounts) {
    insert_meter_account(s("000102"), s("0001"), s("水费"), s("民用水"), s("李师傅"), 5);
    insert_meter_account(s("000202"), s("0002"), s("水费"), s("民用水"), s("李师傅"), 6);
    insert_meter_account(s("000302"), s("0003"), s("水费"), s("民用水"), s("李师傅"), 7);
    const auto accounts = [this] {
        return rows(s("select 户号,抄表人员,抄表序号 from 用户表管理 order by 户号"));
    };

    ui.expect_box(s("导入数据库成功,请刷新显示！"));
    run_sort(workbook("meter_order"), s("Sheet1"));
    EXPECT_EQ(ui.boxes().back().caption, s("信息提示"));
    EXPECT_EQ(
        ui.inputs().back().prompt,
        s("请输入要导入的XLS表名!\r\n注意:批量排序需要三列即:抄表户号、抄表人员、抄表序号。"));
    // 999901 matches nothing; an empty reader cell writes an empty reader.
    EXPECT_EQ(accounts(), (QList<QStringList>{{s("000102"), s("张师傅"), s("2")},
                                              {s("000202"), s("张师傅"), s("1")},
                                              {s("000302"), QString(), s("4")}}));
    expect_reader_counts_fresh();

    // An empty order stops at its row, with the reason after the message.
    ui.expect_box(s("批量修改出错,请检模版!抄表户号“000102”"));
    run_sort(workbook("meter_order"), s("空序号"));
    EXPECT_EQ(accounts(), (QList<QStringList>{{s("000102"), s("张师傅"), s("2")},
                                              {s("000202"), s("王师傅"), s("7")},
                                              {s("000302"), QString(), s("4")}}));

    ui.expect_box(s("批量修改出错,请检模版!工作表缺少列：抄表人员"));
    run_sort(workbook("meter_order"), s("缺列"));
}

// The row writes without a window or a workbook: a scratch table in, the meter accounts
// changed, the wait told when rows begin and after each row, and the sheet's reason on a bad
// row with the rows before it kept.
class ImportRows : public HouseholdTest {};

TEST_F(ImportRows, SortWritesTheRowsOfTheScratchTable) {
    insert_meter_account(s("000102"), s("0001"), s("水费"), s("民用水"), s("李师傅"), 5);
    insert_meter_account(s("000202"), s("0002"), s("水费"), s("民用水"), s("李师傅"), 6);
    exec(s("create table 导入暂存表 (抄表户号 text, 抄表人员 text, 抄表序号 text)"));
    exec(s("insert into 导入暂存表 values ('000202','张''师傅','1')"));
    exec(s("insert into 导入暂存表 values ('000102','王师傅','2')"));
    int begun = 0, rows_told = 0;
    households::ImportWait wait{[&] { ++begun; }, [&] { ++rows_told; }};
    const households::ImportReport report =
        households::sort_meter_rows(store::main_connection(), wait);
    EXPECT_TRUE(report.ok) << report.error.toStdString();
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(rows_told, 2);
    const auto accounts = [this] {
        return rows(
            s("select 户号,抄表人员,抄表序号 from 用户表管理 where 户号 in "
              "('000102','000202') order by 户号"));
    };
    EXPECT_EQ(accounts(), (QList<QStringList>{{s("000102"), s("王师傅"), s("2")},
                                              {s("000202"), s("张'师傅"), s("1")}}));

    exec(s("delete from 导入暂存表"));
    exec(s("insert into 导入暂存表 values ('000102','赵师傅','3')"));
    exec(s("insert into 导入暂存表 values ('000202','赵师傅','')"));
    const households::ImportReport stopped = households::sort_meter_rows(store::main_connection());
    EXPECT_FALSE(stopped.ok);
    EXPECT_EQ(stopped.error, s("抄表户号“000202”的抄表序号不是整数："));
    EXPECT_EQ(accounts(), (QList<QStringList>{{s("000102"), s("赵师傅"), s("3")},
                                              {s("000202"), s("张'师傅"), s("1")}}));
}

TEST_F(ImportRows, ACardAnotherHouseholdHoldsRefusesTheWholeSheet) {
    insert_household(s("0001"), s("王小明"), s("2024-3-5"), s(",磁卡号码"), s(",'00012345'"));
    const auto households = [this] {
        return rows(s("select 户号,磁卡号码 from 用户信息表 order by 户号"));
    };

    // 批量添加: a card of the register, and one that an earlier row gives, are both named.
    exec(s("create table 导入暂存表 (用户名 text, 磁卡号码 text)"));
    exec(
        s("insert into 导入暂存表 values ('张三','00012346'),('李四',' 00012345'),"
          "('王五','00012346'),('','00012345'),('赵六',''),('孙七','  ')"));
    households::ImportReport report = households::import_household_rows(store::main_connection());
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.error, s("磁卡号码重复，没有导入任何一行：\n"
                              "第3行用户名“李四”的磁卡号码【00012345】已被用户【0001 王小明】使用\n"
                              "第4行用户名“王五”的磁卡号码【00012346】与表中第2行相同"));
    EXPECT_EQ(households(), (QList<QStringList>{{s("0001"), s("00012345")}}));
    EXPECT_EQ(count(s("select count(*) from 用户表管理")), 0);

    // Without them the rows go in, cards trimmed; blank cards are nobody's.
    exec(s("delete from 导入暂存表 where 用户名 in ('李四','王五')"));
    report = households::import_household_rows(store::main_connection());
    EXPECT_TRUE(report.ok) << report.error.toStdString();
    EXPECT_EQ(households(), (QList<QStringList>{{s("0001"), s("00012345")},
                                                {s("0002"), s("00012346")},
                                                {s("0004"), QString()},
                                                {s("0005"), QString()}}));

    // 批量修改: a household keeps its own card; another's, or one that another row of the sheet
    // gives a second household, refuses the sheet.
    exec(s("create table 导入暂存表 (户号 text, 磁卡号码 text, 备注 text)"));  // dropped above
    exec(
        s("insert into 导入暂存表 values ('0001','00012345','x'),('0004','00012345','x'),"
          "('0005','A9','x'),('0004','a9','x'),('0005','A9','y')"));
    report = households::modify_household_rows(store::main_connection());
    EXPECT_FALSE(report.ok);
    EXPECT_EQ(report.error, s("磁卡号码重复，没有导入任何一行：\n"
                              "第3行户号“0004”的磁卡号码【00012345】已被用户【0001 王小明】使用\n"
                              "第5行户号“0004”的磁卡号码【a9】与表中第4行相同"));
    EXPECT_EQ(count(s("select count(*) from 用户信息表 where 备注<>''")), 0);

    exec(s("delete from 导入暂存表 where 户号='0004'"));
    report = households::modify_household_rows(store::main_connection());
    EXPECT_TRUE(report.ok) << report.error.toStdString();
    EXPECT_EQ(value(s("select 磁卡号码||备注 from 用户信息表 where 户号='0005'")), s("A9y"));
}

TEST_F(ImportRows, BatchModifyKeepsACardTwoHouseholdsAlreadyShare) {
    // Data from before cards were checked: 0001 and 0002 share a card.
    insert_household(s("0001"), s("王小明"), s("2024-3-5"), s(",磁卡号码"), s(",'DUP9'"));
    insert_household(s("0002"), s("李四"), s("2024-3-5"), s(",磁卡号码"), s(",'DUP9'"));
    insert_household(s("0003"), s("赵六"), s("2024-3-5"), s(",磁卡号码"), s(",''"));
    struct Case {
        const char* what;
        const char* rows;   // (户号, 磁卡号码, 备注)
        const char* error;  // nullptr: imported
    } cases[] = {
        {"both keep it", "('0001','DUP9','a'),('0002',' dup9','a'),('0003','','a')", nullptr},
        {"another takes it", "('0001','DUP9','b'),('0003','DUP9','b')",
         "磁卡号码重复，没有导入任何一行：\n"
         "第3行户号“0003”的磁卡号码【DUP9】已被用户【0001 王小明】使用"},
        {"a sharer takes a card another row gives", "('0003','N1','c'),('0002','N1','c')",
         "磁卡号码重复，没有导入任何一行：\n"
         "第3行户号“0002”的磁卡号码【N1】与表中第2行相同"},
    };
    for (const Case& c : cases) {
        exec(s("drop table if exists 导入暂存表"));
        exec(s("create table 导入暂存表 (户号 text, 磁卡号码 text, 备注 text)"));
        exec(s("insert into 导入暂存表 values ") + s(c.rows));
        const QList<QStringList> before = rows(s("select * from 用户信息表 order by 户号"));
        const households::ImportReport report =
            households::modify_household_rows(store::main_connection());
        if (!c.error) {
            EXPECT_TRUE(report.ok) << c.what << report.error.toStdString();
            continue;
        }
        EXPECT_FALSE(report.ok) << c.what;
        EXPECT_EQ(report.error, s(c.error)) << c.what;
        EXPECT_EQ(rows(s("select * from 用户信息表 order by 户号")), before) << c.what;
    }
    EXPECT_EQ(rows(s("select 户号,磁卡号码,备注 from 用户信息表 order by 户号")),
              (QList<QStringList>{{s("0001"), s("DUP9"), s("a")},
                                  {s("0002"), s("dup9"), s("a")},
                                  {s("0003"), QString(), s("a")}}));
}

TEST_P(Import, TheFrameRefusesWithoutRightFileSheetNameOrWorkbook) {
    // No right: nothing asked.
    shell::current_operator = s("张三");
    ui.expect_box(s("您没有取得授权！"));
    households::on_main_household_import_click(nullptr, {});
    shell::current_operator = s("管理员");

    // No file chosen: nothing said.
    ui.expect_file(QString());
    households::on_main_household_batch_modify_import_click(nullptr, {});

    ui.expect_file(workbook("households_add")).cancel_input().expect_box(s("您没有输入表名！"));
    households::on_main_household_import_click(nullptr, {});
    EXPECT_EQ(ui.boxes().back().caption, s("信息提示"));
    // A blank is a name, of no sheet there is.
    ui.expect_file(workbook("households_add"))
        .expect_input(s(" "))
        .expect_box(s("导入数据库失败！\r\n"));
    households::on_main_household_import_click(nullptr, {});

    // A sheet that is not there, and a text file named like a workbook.
    ui.expect_box(s("导入数据库失败！\r\n"));
    run_add(workbook("households_add"), s("Sheet9"));
    QFile text(path(s("名单.") + s(GetParam())));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("用户名,居住街道\n王五,东区\n");
    text.close();
    ui.expect_box(s("导入数据库失败！\r\n"));
    run_add(text.fileName(), s("Sheet1"));
    EXPECT_EQ(ui.boxes().back().caption, s("信息提示"));
    EXPECT_EQ(count(s("select count(*) from 用户信息表")), 0);
    EXPECT_FALSE(scratch_table_exists());
}

}  // namespace
