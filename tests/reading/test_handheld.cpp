// Handheld schemes, the route file written for the device and the device's file read back.
// The DBF files are read and written here byte by byte, independently of the export code.
#include <gtest/gtest.h>

#include <algorithm>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include "reading/handheld_file.h"
#include "reading/handheld_schemes.h"
#include "reading/handheld_windows.h"
#include "reading_fixture.h"

namespace reading_test {
namespace {

using reading::FieldForm;

// A DBF table as its bytes say.
struct DbfField {
    QByteArray name;
    char type = 0;
    int width = 0;
    int decimals = 0;
};
struct DbfTable {
    bool ok = false;
    int language_driver = 0;
    std::vector<DbfField> fields;
    std::vector<std::vector<QByteArray>> records;  // raw field bytes
};

DbfTable read_dbf(const QString& path) {
    DbfTable t;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return t;
    const QByteArray b = f.readAll();
    const auto u8 = [&](int i) { return static_cast<unsigned char>(b[i]); };
    const int count = u8(4) | u8(5) << 8 | u8(6) << 16 | u8(7) << 24;
    const int header = u8(8) | u8(9) << 8;
    const int record = u8(10) | u8(11) << 8;
    t.language_driver = u8(29);
    for (int at = 32; at < header && u8(at) != 0x0D; at += 32) {
        DbfField d;
        d.name = b.mid(at, 11);
        d.name.truncate(d.name.indexOf('\0') < 0 ? 11 : d.name.indexOf('\0'));
        d.type = b[at + 11];
        d.width = u8(at + 16);
        d.decimals = u8(at + 17);
        t.fields.push_back(d);
    }
    for (int r = 0; r < count; ++r) {
        int at = header + r * record + 1;  // skip the deletion flag
        std::vector<QByteArray> values;
        for (const DbfField& d : t.fields) {
            values.push_back(b.mid(at, d.width));
            at += d.width;
        }
        t.records.push_back(values);
    }
    t.ok = true;
    return t;
}

QByteArray gbk(const QString& text) { return QStringEncoder("GBK").encode(text); }
QString from_gbk(const QByteArray& bytes) { return QStringDecoder("GB18030").decode(bytes); }

// Writes a DBF table of character fields: what a device hands back. Records whose position
// is in `deleted` carry the deletion mark.
void write_dbf(const QString& path, const std::vector<std::pair<QByteArray, int>>& fields,
               const std::vector<std::vector<QString>>& records,
               const std::vector<size_t>& deleted = {}) {
    QByteArray b(32, '\0');
    b[0] = 0x03;
    int record = 1;
    for (const auto& f : fields) record += f.second;
    const int header = 32 + 32 * static_cast<int>(fields.size()) + 1;
    const int count = static_cast<int>(records.size());
    b[4] = char(count & 0xFF);
    b[5] = char((count >> 8) & 0xFF);
    b[8] = char(header & 0xFF);
    b[9] = char(header >> 8);
    b[10] = char(record & 0xFF);
    b[11] = char(record >> 8);
    for (const auto& f : fields) {
        QByteArray d(32, '\0');
        d.replace(0, f.first.size(), f.first);
        d[11] = 'C';
        d[16] = char(f.second);
        b += d;
    }
    b += char(0x0D);
    for (size_t n = 0; n < records.size(); ++n) {
        const auto& r = records[n];
        b += std::find(deleted.begin(), deleted.end(), n) != deleted.end() ? '*' : ' ';
        for (size_t k = 0; k < fields.size(); ++k) {
            QByteArray v = gbk(r[k]).left(fields[k].second);
            v += QByteArray(fields[k].second - v.size(), ' ');
            b += v;
        }
    }
    b += char(0x1A);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b);
}

class HandheldTest : public ReadingTest {
protected:
    void SetUp() override {
        ReadingTest::SetUp();
        reading::current_handheld_scheme.clear();
        reading::handheld_field_number = 0;
    }
    void add_scheme(const QString& name) {
        EXPECT_TRUE(reading::add_handheld_scheme(db(), name).ok);
    }
    void add_field(const QString& scheme, const QString& name, int type, const QString& width,
                   const QString& item) {
        const auto outcome =
            reading::save_handheld_field(db(), FieldForm{scheme, name, type, width, item}, false);
        EXPECT_TRUE(outcome.ok) << outcome.message.toStdString();
    }
    // The route scheme used by the round trip.
    void route_scheme() {
        add_scheme(s("路线"));
        EXPECT_TRUE(reading::set_default_handheld_scheme(db(), s("路线")).ok);
        add_field(s("路线"), s("HH"), 0, s("10"), s("抄表户号"));
        add_field(s("路线"), s("XM"), 0, s("5"), s("用户姓名"));
        add_field(s("路线"), s("JL"), 0, s("8"), s("计量编号"));
        add_field(s("路线"), s("SYDS"), 1, s("10"), s("上月度数"));
        add_field(s("路线"), s("BYDS"), 2, s("10"), s("本月度数"));
        add_field(s("路线"), s("BL"), 3, s("4"), s("倍率"));
        add_field(s("路线"), s("LB"), 0, s("4"), s("价格类别"));
        add_field(s("路线"), s("RQ"), 4, s("20"), s("抄表日期"));
        add_field(s("路线"), s("类别名"), 0, s("6"), s("居住街道"));
    }
    QString dir() const { return folder(); }
};

TEST_F(HandheldTest, TypeTableGivesFlagsAndDateFieldsAreAlwaysEightWide) {
    struct Case {
        int position;
        const char* name;
        const char* type_flag;
        const char* width_flag;
    };
    for (const Case& c : {Case{0, "文本型", "c", "(20)"}, Case{1, "单精确度型", "n", "(20,1)"},
                          Case{2, "双精确度型", "n", "(20,2)"}, Case{3, "整数型", "n", "(20,0)"},
                          Case{4, "日期型", "D", "(8,0)"}, Case{-1, "", "", ""}}) {
        const auto f = reading::field_type_flags(c.position, s("20"));
        EXPECT_EQ(f.type_name, s(c.name));
        EXPECT_EQ(f.type_flag, s(c.type_flag));
        EXPECT_EQ(f.width_flag, s(c.width_flag));
    }
    add_scheme(s("甲"));
    add_field(s("甲"), s("RQ"), 4, s("20"), s("抄表日期"));
    EXPECT_EQ(value(s("select 字段长度标志 from 抄表机_方案")), s("(8,0)"));
    EXPECT_EQ(value(s("select 字段长度 from 抄表机_方案")), s("20"));
}

TEST_F(HandheldTest, FieldEditorRefusesDuplicatesAndMissingValues) {
    add_scheme(s("甲"));
    EXPECT_EQ(reading::add_handheld_scheme(db(), s(" 甲 ")).message, s("待添加的方案名称重复！"));
    add_field(s("甲"), s("HH"), 0, s("10"), s("抄表户号"));
    struct Case {
        FieldForm form;
        const char* message;
    };
    for (const Case& c :
         {Case{{s(""), s("A"), 0, s("1"), s("倍率")}, "请选择方案名称!"},
          Case{{s("甲"), s(""), 0, s("1"), s("倍率")}, "请输入字段名"},
          Case{{s("甲"), s("A"), 0, s("0"), s("倍率")}, "请输入字段长度"},
          Case{{s("甲"), s("A"), 0, s("x"), s("倍率")}, "请输入字段长度"},
          Case{{s("甲"), s("HH"), 0, s("5"), s("倍率")}, "该方案名称下已有相同的字段名称不能重复添加。"},
          Case{{s("甲"), s("B"), 0, s("5"), s("抄表户号")}, "该方案名称下已有相同的对应字段不能重复添加。"}})
        EXPECT_EQ(reading::save_handheld_field(db(), c.form, false).message, s(c.message));
    EXPECT_EQ(value(s("select count(*) from 抄表机_方案")), s("1"));
    EXPECT_EQ(reading::delete_handheld_scheme(db(), s("甲")).message,
              s("该方案名称下面有对应的方案字段不能删除！"));
}

TEST_F(HandheldTest, NewFieldAfterADeletionTakesOnePastTheLargestSoAModifyChangesOneField) {
    add_scheme(s("甲"));
    add_field(s("甲"), s("F1"), 0, s("5"), s("抄表户号"));
    add_field(s("甲"), s("F2"), 0, s("5"), s("用户姓名"));
    add_field(s("甲"), s("F3"), 0, s("5"), s("计量编号"));
    EXPECT_TRUE(reading::delete_handheld_field(db(), s("甲"), s("F2")).ok);
    add_field(s("甲"), s("F4"), 0, s("5"), s("倍率"));
    EXPECT_EQ(value(s("select 编号 from 抄表机_方案 where 字段名称='F4'")), s("4"));
    reading::handheld_field_number = 3;
    EXPECT_EQ(reading::save_handheld_field(db(), {s("甲"), s("G3"), 3, s("6"), s("上月度数")}, true)
                  .message,
              s("修改方案成功！"));
    EXPECT_EQ(rows(s("select 字段名称,字段类型标志,字段长度标志 from 抄表机_方案 order by 编号")),
              (QList<QStringList>{{s("F1"), s("c"), s("(5)")},
                                  {s("G3"), s("n"), s("(6,0)")},
                                  {s("F4"), s("c"), s("(5)")}}));
}

TEST_F(HandheldTest, DefaultSchemeRule) {
    reading::load_default_handheld_scheme(db());
    EXPECT_EQ(reading::current_handheld_scheme, s(""));
    add_scheme(s("甲"));
    reading::load_default_handheld_scheme(db());
    EXPECT_EQ(reading::current_handheld_scheme, s("甲"));  // the only scheme
    reading::current_handheld_scheme.clear();
    add_scheme(s("乙"));
    reading::load_default_handheld_scheme(db());
    EXPECT_EQ(reading::current_handheld_scheme, s(""));  // two, none default: kept
    EXPECT_EQ(reading::set_default_handheld_scheme(db(), s("乙")).message, s("修改默认方案成功！"));
    EXPECT_EQ(reading::current_handheld_scheme, s("乙"));
    EXPECT_EQ(value(s("select count(*) from 抄表机_方案名称 where 默认方案='是'")), s("1"));
    EXPECT_TRUE(reading::delete_handheld_scheme(db(), s("乙")).ok);
    EXPECT_EQ(reading::current_handheld_scheme, s("乙"));  // not reloaded by the deletion
    EXPECT_EQ(reading::set_default_handheld_scheme(db(), s("")).message, s("请先设置方案名称！"));
}

TEST_F(HandheldTest, GbkCutStopsAtAWholeCharacter) {
    EXPECT_EQ(reading::truncate_dbf_field_value(s("张三丰"), 6), s("张三丰"));
    EXPECT_EQ(reading::truncate_dbf_field_value(s("张三丰"), 5), s("张三"));
    EXPECT_EQ(reading::truncate_dbf_field_value(s("A张三"), 4), s("A张"));
    EXPECT_EQ(reading::truncate_dbf_field_value(s("A张三"), 2), s("A"));
    EXPECT_EQ(reading::truncate_dbf_field_value(s("12345678"), 3), s("123"));
    EXPECT_EQ(reading::gbk_cut(s("水费东区"), 7).size(), 6);
}

TEST_F(HandheldTest, RouteRowsCarryLastReadingUsageAndMeterChanges) {
    add_water_household(s("0001"), s("张三丰"), 2, 100);  // never read: 开始起数 and 0
    add_water_household(s("0002"), s("李四"), 1, 0);
    add_history(s("000201"), s("0002"), 50, 80, s("2024-2-5"));  // read last month
    add_water_household(s("0003"), s("王五"), 3, 0);
    add_history(s("000301"), s("0003"), 10, 30, s("2024-2-5"));
    exec(s("insert into 换表管理 (户号,换表起方,执行日期) values ('000301',7,'2024-3')"));
    exec(s("update 用户表管理 set 计量编号='' where 户号='000101'"));
    const auto statement = reading::handheld_route_statement({});
    ASSERT_TRUE(statement.ok);
    const auto rows = reading::handheld_route_rows(db(), statement.statement, QDate(2024, 3, 5));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].cells(), (QStringList{s("000201"), s("李四"), s("水费"), s("居民"),
                                            s("东区李四的家"), s("M1"), s("80"), s("30"), s("1")}));
    EXPECT_EQ(rows[1].last_reading, s("100"));
    EXPECT_EQ(rows[1].last_usage, s("0"));
    EXPECT_EQ(rows[2].last_reading, s("7"));
    EXPECT_EQ(rows[2].last_usage, s("20"));
    // Conditions: the first one opens the where clause; an empty pick is refused.
    EXPECT_EQ(reading::handheld_route_rows(
                  db(), reading::handheld_route_statement({true, s("李四"), false, {}}).statement,
                  QDate(2024, 3, 5))
                  .size(),
              0u);
    EXPECT_EQ(reading::handheld_route_statement({true, {}, false, {}}).message, s("请选择抄表人员！"));
    EXPECT_EQ(reading::handheld_route_statement({false, {}, true, {}}).message, s("请选择收费项目！"));
}

TEST_F(HandheldTest, RouteFileRoundTripsThroughTheDevice) {
    route_scheme();
    add_water_household(s("0001"), s("张三丰"), 1, 1400);
    exec(s("update 用户表管理 set 计量编号='',倍率=10 where 户号='000101'"));
    add_water_household(s("0002"), s("李四"), 2, 20);
    const auto route = reading::handheld_route_rows(
        db(), reading::handheld_route_statement({}).statement, QDate(2024, 3, 5));
    const QString path = dir() + s("/chaobiao.dbf");
    const auto outcome = reading::export_handheld_file(db(), s("路线"), path, route);
    ASSERT_TRUE(outcome.ok) << outcome.message.toStdString();
    EXPECT_EQ(outcome.message, s("生成抄表机数据库成功!\r\n文件地址：") + path);

    const DbfTable t = read_dbf(path);
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.language_driver, 0x4D);  // GBK
    ASSERT_EQ(t.fields.size(), 9u);
    const std::vector<std::tuple<QByteArray, char, int, int>> layout = {
        {"HH", 'C', 10, 0}, {"XM", 'C', 5, 0},  {"JL", 'C', 8, 0},
        {"SYDS", 'N', 10, 1}, {"BYDS", 'N', 10, 2}, {"BL", 'N', 4, 0},
        {"LB", 'C', 4, 0},  {"RQ", 'D', 8, 0},  {gbk(s("类别名")), 'C', 6, 0}};
    for (size_t k = 0; k < layout.size(); ++k) {
        EXPECT_EQ(t.fields[k].name, std::get<0>(layout[k]));
        EXPECT_EQ(t.fields[k].type, std::get<1>(layout[k]));
        EXPECT_EQ(t.fields[k].width, std::get<2>(layout[k]));
        EXPECT_EQ(t.fields[k].decimals, std::get<3>(layout[k]));
    }
    ASSERT_EQ(t.records.size(), 2u);
    const auto& r = t.records[0];
    EXPECT_EQ(r[0].trimmed(), QByteArray("000101"));
    EXPECT_EQ(from_gbk(r[1]).trimmed(), s("张三"));  // 5 bytes hold two whole characters
    EXPECT_EQ(r[1].size(), 5);
    EXPECT_EQ(r[2].trimmed(), QByteArray("111111"));  // no 计量编号
    EXPECT_EQ(r[3].trimmed(), QByteArray("1400.0"));
    EXPECT_EQ(r[4].trimmed(), QByteArray("0.00"));
    EXPECT_EQ(r[5].trimmed(), QByteArray("10"));
    EXPECT_EQ(r[6].trimmed(), QByteArray("9"));  // 编号 of 居民
    EXPECT_EQ(r[7].trimmed(), QByteArray(""));   // dates stay empty
    EXPECT_EQ(from_gbk(r[8]), s("水费东"));      // fee item + street, three characters

    // The device fills in the end readings; the import reads them back.
    QFile::remove(path);
    // The record the device marked deleted is no reading.
    write_dbf(path, {{"HH", 16}, {"SYDS", 10}, {"BYDS", 10}},
              {{s("000101"), s("1400"), s("1500")},
               {s("000101"), s("1400"), s("1499")},
               {s("９９９９"), s("1"), s("2")},
               {s(" ０００２０１ "), s("20"), s("20")}},
              {1});
    const auto file = reading::read_handheld_file(db(), s("路线"), path);
    ASSERT_TRUE(file.ok) << file.error.toStdString();
    EXPECT_EQ(file.records.size(), 3u);
    EXPECT_EQ(file.deleted_records, 1);
    set_loss(s("水费"), s("开启"), s("十分位"));
    exec(s("update 水价类别 set 电损率=3 where 水价类别='居民'"));
    add_pending(s("000201"), s("0002"), 0, 5);  // kept: the batch is not emptied
    const auto imported = reading::import_handheld_records(db(), file.records, false, QDate(2024, 3, 5));
    ASSERT_TRUE(imported.ok) << imported.message.toStdString();
    EXPECT_EQ(imported.inserted, 2);
    EXPECT_EQ(imported.unknown_accounts, QStringList{s("9999")});
    EXPECT_EQ(reading::handheld_import_summary(imported, file.deleted_records),
              s("数据导入成功，已加入到手动抄表临时库。\r\n文件中共4条记录，导入2条，未导入2条。\r\n"
                "没有对应的抄表户号1条：9999\r\n文件中标记为删除的记录1条，不作为抄表数据导入。"));
    EXPECT_EQ(rows(s("select 户号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,抄表人员,父号,价格 "
                     "from 抄表管理 order by 编号")),
              (QList<QStringList>{
                  {s("000201"), s("0"), s("5"), s("5"), s("0"), s("2024-03-05"), s("水费"), s("居民"),
                   s("张三"), s("0002"), s("2.5")},
                  {s("000101"), s("1400"), s("1500"), s("1000"), s("30"), s("2024-03-05"), s("水费"),
                   s("居民"), s("张三"), s("0001"), s("2.5")},
                  {s("000201"), s("20"), s("20"), s("0"), s("0"), s("2024-03-05"), s("水费"), s("居民"),
                   s("张三"), s("0002"), s("2.5")}}));
    QFile::remove(path);
}

TEST_F(HandheldTest, ExportOfAnEmptyRouteGivesTheTableWithoutRecords) {
    route_scheme();
    const QString path = dir() + s("/empty.dbf");
    ASSERT_TRUE(reading::export_handheld_file(db(), s("路线"), path, {}).ok);
    const DbfTable t = read_dbf(path);
    EXPECT_EQ(t.fields.size(), 9u);
    EXPECT_TRUE(t.records.empty());
    QFile::remove(path);
}

TEST_F(HandheldTest, ExportRefusesSchemesItCannotWriteAndLeavesNoFile) {
    const QString path = dir() + s("/bad.dbf");
    EXPECT_EQ(reading::export_handheld_file(db(), s(""), path, {}).message,
              s("请选择抄表机数据库配置方案！"));
    add_scheme(s("空"));
    EXPECT_TRUE(reading::export_handheld_file(db(), s("空"), path, {})
                    .message.startsWith(s("创建数据库失败!经测试目录名不能为汉字。")));
    exec(s("insert into 抄表机_方案 (字段名称,字段类型,字段长度,对应字段,方案名称,编号) values "
           "('X','文本型',5,'别的','空',1)"));
    // A field of no known item: an empty route still gets its table, a route row is refused
    // with the record's failure, not the table's.
    EXPECT_TRUE(reading::export_handheld_file(db(), s("空"), path, {}).ok);
    EXPECT_TRUE(QFile::exists(path));
    const auto unknown = reading::export_handheld_file(db(), s("空"), path, {reading::HandheldRow{}});
    EXPECT_FALSE(unknown.ok);
    EXPECT_FALSE(unknown.message.startsWith(s("创建数据库失败!")));
    // An earlier file of the chosen name is gone even when the scheme cannot be written.
    EXPECT_FALSE(QFile::exists(path));
    QFile old_file(path);
    ASSERT_TRUE(old_file.open(QIODevice::WriteOnly));
    old_file.write("old");
    old_file.close();
    EXPECT_FALSE(reading::export_handheld_file(db(), s("没有字段的方案"), path, {}).ok);
    EXPECT_FALSE(QFile::exists(path));
    // A value wider than its numeric field stops the export; no partial file stays.
    add_scheme(s("窄"));
    add_field(s("窄"), s("SY"), 2, s("4"), s("上月度数"));
    reading::HandheldRow row;
    row.last_reading = s("1234");
    const auto outcome = reading::export_handheld_file(db(), s("窄"), path, {row});
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(HandheldTest, DamagedDeviceFilesAreRefusedAndNothingIsWritten) {
    route_scheme();
    const QString path = dir() + s("/device.dbf");
    write_dbf(path, {{"HH", 10}, {"SYDS", 10}, {"BYDS", 10}},
              {{s("000101"), s("1"), s("2")}, {s("000101"), s("1"), s("2")}});
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QByteArray whole = f.readAll();
    struct Case {
        const char* what;
        QByteArray bytes;
    };
    QByteArray bad_header = whole;
    bad_header[8] = 0x05;  // header shorter than one descriptor
    QByteArray bad_widths = whole;
    bad_widths[32 + 16] = 0x30;  // widths no longer add up
    QByteArray huge_count = whole;
    huge_count[7] = 0x7F;
    for (const Case& c : {Case{"truncated", whole.left(whole.size() - 15)}, Case{"header", bad_header},
                          Case{"widths", bad_widths}, Case{"count", huge_count},
                          Case{"empty", QByteArray()}, Case{"text", QByteArray("not a table at all")}}) {
        f.resize(0);
        f.seek(0);
        f.write(c.bytes);
        f.flush();
        const auto file = reading::read_handheld_file(db(), s("路线"), path);
        EXPECT_FALSE(file.ok) << c.what;
        EXPECT_FALSE(file.error.isEmpty()) << c.what;
    }
    f.close();
    // A file without the scheme's fields is refused too.
    QFile::remove(path);
    write_dbf(path, {{"OTHER", 10}}, {{s("1")}});
    EXPECT_FALSE(reading::read_handheld_file(db(), s("路线"), path).ok);
    EXPECT_EQ(value(s("select count(*) from 抄表管理")), s("0"));
    QFile::remove(path);
}

TEST_F(HandheldTest, AFailingRecordIsReportedAndTheOthersStay) {
    add_water_household(s("0001"), s("甲"), 1);
    add_pending(s("000101"), s("0001"), 0, 1);
    raw_exec("create trigger refuse before insert on 抄表管理 when new.起方=7 begin "
             "select raise(abort,'refused'); end");
    struct Case {
        bool clear;
        QList<QStringList> left;
    };
    for (const Case& c : {Case{true, {{s("000101"), s("2")}, {s("000101"), s("11")}}},
                          Case{false, {{s("000101"), s("1")}, {s("000101"), s("2")}, {s("000101"), s("11")}}}}) {
        exec(s("delete from 抄表管理"));
        add_pending(s("000101"), s("0001"), 0, 1);
        const std::vector<reading::DeviceRecord> records = {
            {s("000101"), 1, 2}, {s("000101"), 7, 9}, {s("000101"), 10, 11}};
        const auto outcome = reading::import_handheld_records(db(), records, c.clear, QDate(2024, 3, 5));
        EXPECT_TRUE(outcome.ok);
        EXPECT_EQ(outcome.cleared, c.clear);
        EXPECT_EQ(outcome.inserted, 2);
        ASSERT_EQ(outcome.failures.size(), 1u);
        EXPECT_EQ(outcome.failures[0].account, s("000101"));
        EXPECT_TRUE(outcome.failures[0].error.contains(s("refused")))
            << outcome.failures[0].error.toStdString();
        EXPECT_EQ(rows(s("select 户号,止方 from 抄表管理 order by 编号")), c.left);
    }
}

// The closing box says how many records went in and why the others did not; success is said
// only when something went in.
TEST(HandheldSummary, CountsAndReasonsInOneText) {
    using reading::ImportOutcome;
    ImportOutcome all;
    all.ok = true;
    all.records = all.inserted = 3;
    EXPECT_EQ(reading::handheld_import_summary(all, 0), s("数据导入成功，已加入到手动抄表临时库。"));

    ImportOutcome none;
    none.ok = true;
    none.records = 18000;
    for (int k = 0; k < 18000; ++k)
        none.failures.push_back({QString::number(100000 + k), s("disk is full")});
    const QString text = reading::handheld_import_summary(none, 0);
    EXPECT_FALSE(text.contains(s("成功"))) << text.toStdString();
    EXPECT_TRUE(text.startsWith(s("没有导入任何抄表数据！文件中共18000条记录，未导入18000条。")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(s("加入抄表数据失败18000条（disk is full）：100000、100001")))
        << text.toStdString();
    EXPECT_LT(text.size(), 400);  // the accounts are cut short, not listed by the thousand

    ImportOutcome empty;
    empty.ok = true;
    EXPECT_EQ(reading::handheld_import_summary(empty, 2),
              s("没有导入任何抄表数据！文件中共2条记录，未导入2条。\r\n"
                "文件中标记为删除的记录2条，不作为抄表数据导入。"));
}

// Every record refused: one box with the count and the database's text, no success, and the
// window stays open on its file.
TEST_F(HandheldTest, ImportWhereEveryRecordFailsSaysSoInOneBox) {
    route_scheme();
    reading::current_handheld_scheme = s("路线");
    for (int k = 1; k <= 3; ++k)
        add_water_household(QStringLiteral("000%1").arg(k), s("用户"), k);
    raw_exec("create trigger refuse before insert on 抄表管理 begin select raise(abort,'disk is full'); end");
    const QString path = dir() + s("/chaobiao.dbf");
    write_dbf(path, {{"HH", 10}, {"SYDS", 10}, {"BYDS", 10}},
              {{s("000101"), s("1"), s("2")}, {s("000201"), s("1"), s("2")}, {s("000301"), s("1"), s("2")}});
    reading::HandheldImportWindow window;
    ui.expect_file(path).expect_box(s("没有导入任何抄表数据！文件中共3条记录，未导入3条。\r\n"
                                      "加入抄表数据失败3条（"));
    button(&window, "按钮_抄表机文件")->click();
    ASSERT_EQ(ui.boxes().size(), 1u);
    EXPECT_TRUE(ui.boxes()[0].text.contains(s("disk is full"))) << ui.boxes()[0].text.toStdString();
    EXPECT_TRUE(ui.boxes()[0].text.endsWith(s("：000101、000201、000301")));
    EXPECT_NE(window.result(), QDialog::Accepted);
    EXPECT_EQ(value(s("select count(*) from 抄表管理")), s("0"));
    QFile::remove(path);
}

}  // namespace
}  // namespace reading_test
