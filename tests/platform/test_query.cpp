// The query helpers on a real database file: what each returns for rows, no row and a failed
// statement, the ok flag that tells the last two apart, reported versus quiet failures (the
// scripted user sees the provider's text or nothing), and 64-bit whole numbers.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>

#include "harness/file_helpers.h"
#include "harness/scripted_ui.h"
#include "platform/db.h"
#include "platform/query.h"

using namespace platform;

namespace {

QString s(const char* utf8) { return QString::fromUtf8(utf8); }

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("q.mdb"));
        harness::write_database(
            path, QByteArray(kDatabasePassword),
            {s("CREATE TABLE 总收费 (收据号 INTEGER, 户号 TEXT COLLATE NOCASE, 金额 REAL)"),
             s("INSERT INTO 总收费 VALUES (9007199254740993, 'A01', 12.5)"),
             s("INSERT INTO 总收费 VALUES (2, 'a02', NULL)")});
        ASSERT_TRUE(db_open_access_file(conn, path));
    }
    QTemporaryDir dir;
    Connection conn;
    UiScript ui;
};

TEST_F(QueryTest, ValuesColumnsAndRowsWithTheOkFlag) {
    bool ok = false;
    EXPECT_EQ(query_text(conn, s("select 户号 from 总收费 order by 收据号"), OnFailure::Report, &ok),
              s("a02"));
    EXPECT_TRUE(ok);
    EXPECT_DOUBLE_EQ(query_number(conn, s("select 金额 from 总收费 where 户号='A01'")), 12.5);
    // Beyond a double's 53 bits: the integer comes back whole.
    EXPECT_EQ(query_integer(conn, s("select max(收据号) from 总收费")), Q_INT64_C(9007199254740993));
    EXPECT_EQ(query_column(conn, s("select 户号 from 总收费")), (QStringList{s("A01"), s("a02")}));
    EXPECT_EQ(query_rows(conn, s("select 户号,金额 from 总收费")),
              (QList<QStringList>{{s("A01"), s("12.5")}, {s("a02"), QString()}}));
    EXPECT_TRUE(query_exists(conn, s("select 1 from 总收费 where 户号='a01'")));

    // No row is an answer, not a failure.
    ok = false;
    EXPECT_EQ(query_text(conn, s("select 户号 from 总收费 where 收据号=7"), OnFailure::Report, &ok),
              QString());
    EXPECT_TRUE(ok);
    ok = false;
    EXPECT_FALSE(query_exists(conn, s("select 1 from 总收费 where 收据号=7"), OnFailure::Report, &ok));
    EXPECT_TRUE(ok);
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(QueryTest, AFailedQueryIsReportedUnlessQuiet) {
    const QString bad = s("select 户号 from 没有的表");
    struct Case {
        const char* what;
        std::function<void(OnFailure, bool*)> run;
    } cases[] = {
        {"text", [&](OnFailure f, bool* ok) { EXPECT_EQ(query_text(conn, bad, f, ok), QString()); }},
        {"number", [&](OnFailure f, bool* ok) { EXPECT_EQ(query_number(conn, bad, f, ok), 0.0); }},
        {"integer", [&](OnFailure f, bool* ok) { EXPECT_EQ(query_integer(conn, bad, f, ok), 0); }},
        {"exists", [&](OnFailure f, bool* ok) { EXPECT_FALSE(query_exists(conn, bad, f, ok)); }},
        {"column", [&](OnFailure f, bool* ok) { EXPECT_TRUE(query_column(conn, bad, f, ok).isEmpty()); }},
        {"rows", [&](OnFailure f, bool* ok) { EXPECT_TRUE(query_rows(conn, bad, f, ok).isEmpty()); }},
    };
    for (const Case& c : cases) {
        bool ok = true;
        const size_t boxes_before = ui.boxes().size();
        c.run(OnFailure::Quiet, &ok);
        EXPECT_FALSE(ok) << c.what;
        EXPECT_EQ(ui.boxes().size(), boxes_before) << c.what;
        EXPECT_TRUE(db_last_error(conn).contains(s("没有的表"))) << c.what;

        ok = true;
        ui.expect_box(s("没有的表"));
        c.run(OnFailure::Report, &ok);
        EXPECT_FALSE(ok) << c.what;
        ASSERT_EQ(ui.boxes().size(), boxes_before + 1) << c.what;
        EXPECT_EQ(ui.boxes().back().icon, MsgIcon::None) << c.what;
    }
    EXPECT_EQ(ui.boxes().size(), std::size(cases));
}

TEST_F(QueryTest, ARecordSetOfTheCallersOwn) {
    RecordSet records;
    ASSERT_TRUE(query_open(records, conn, s("select * from 总收费 order by 收据号")));
    EXPECT_EQ(recordset_record_count(records), 2);
    EXPECT_EQ(recordset_field_text(records, s("户号")), s("a02"));
    EXPECT_FALSE(query_open(records, conn, s("select * from 没有的表"), OnFailure::Quiet));
    EXPECT_FALSE(recordset_is_open(records));
}

}  // namespace
