// Statements prepared once per connection with bound values: the rows they write equal what
// the same statement with the values written into its text stores, a value never breaks the
// statement, and a statement survives reuse, nesting and a reopen of its connection.
#include <gtest/gtest.h>

#include <QDate>
#include <QTemporaryDir>
#include <cmath>
#include <limits>

#include "harness/file_helpers.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/prepared.h"

using namespace platform;

namespace {

const char kSchema[] =
    "CREATE TABLE 收费 (编号 INTEGER PRIMARY KEY AUTOINCREMENT, 户号 TEXT COLLATE NOCASE,"
    " 金额 float, 数量 NUMERIC, 日期 DATE, 收据号 INTEGER, 备注 TEXT COLLATE NOCASE)";

class PreparedTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("DATA.mdb"));
        harness::write_database(path, QByteArray(kDatabasePassword), {QString::fromUtf8(kSchema)});
        ASSERT_TRUE(db_open_access_file(conn, path)) << db_last_error(conn).toStdString();
    }
    // typeof and text of one column of the row with the given 备注.
    QString cell(const char* column, const QString& remark) {
        RecordSet r;
        recordset_bind_connection(r, conn);
        if (!recordset_open(r, QStringLiteral("select typeof(") + QString::fromUtf8(column) +
                                   QStringLiteral(")||':'||ifnull(") +
                                   QString::fromUtf8(column) + QStringLiteral(",'') from 收费 where 备注=") + sql_quote(remark)))
            return QStringLiteral("<failed>");
        return recordset_field_text(r, 0);
    }

    QTemporaryDir dir;
    QString path;
    Connection conn;
};

const QString kInsert = QStringLiteral(
    "insert into 收费 (户号,金额,数量,日期,收据号,备注) values (?,?,?,?,?,?)");

TEST_F(PreparedTest, BoundRowsEqualRowsWrittenAsText) {
    const double big = std::numeric_limits<double>::infinity();
    const struct {
        double amount;
        QDate date;
    } cases[] = {{1.005, QDate(2024, 3, 1)},         {5, QDate(2024, 12, 31)},
                 {-0.3, QDate()},                    {0.1 + 0.2, QDate(2000, 1, 9)},
                 {1234567890123456.0, QDate(2024, 2, 29)}, {big, QDate(2024, 1, 1)},
                 {std::nan(""), QDate(2024, 1, 1)},  {-7, QDate(2024, 1, 1)}};
    int k = 0;
    for (const auto& c : cases) {
        const QString as_text = QStringLiteral("t%1").arg(k), bound = QStringLiteral("b%1").arg(k);
        ++k;
        ASSERT_TRUE(db_execute(
            conn, QStringLiteral("insert into 收费 (户号,金额,数量,日期,收据号,备注) values (") +
                      sql_quote(QStringLiteral("it's")) + u',' + sql_number(c.amount) + u',' +
                      sql_number(c.amount) + u',' + date_to_quoted(c.date) +
                      QStringLiteral(",10000000001,") + sql_quote(as_text) + u')'));
        PreparedStatement insert(conn, kInsert);
        ASSERT_TRUE(insert.valid()) << db_last_error(conn).toStdString();
        insert.bind_text(1, QStringLiteral("it's"));
        insert.bind_number(2, c.amount);
        insert.bind_number(3, c.amount);
        insert.bind_date(4, c.date);
        insert.bind_integer(5, 10000000001);
        insert.bind_text(6, bound);
        ASSERT_TRUE(insert.execute()) << db_last_error(conn).toStdString();
        for (const char* column : {"户号", "金额", "数量", "日期", "收据号"})
            EXPECT_EQ(cell(column, bound), cell(column, as_text)) << column << " case " << k;
    }
}

TEST_F(PreparedTest, QuotesAndStatementTextInValuesStayValues) {
    const QString nasty = QStringLiteral("x'); delete from 收费; --");
    PreparedStatement insert(conn, kInsert);
    insert.bind_text(1, nasty);
    insert.bind_null(2);
    insert.bind_text(6, QStringLiteral("n"));
    ASSERT_TRUE(insert.execute());
    EXPECT_EQ(cell("户号", QStringLiteral("n")), QStringLiteral("text:") + nasty);
    EXPECT_EQ(cell("金额", QStringLiteral("n")), QStringLiteral("null:"));
}

// A text stored through a bound value is stored byte for byte as the same text quoted into the
// statement: NUL and lone surrogate halves dropped alike, quotes and everything else kept.
TEST_F(PreparedTest, BoundTextsAreCleanedAsQuotedTextsAre) {
    const auto text = [](std::initializer_list<char16_t> units) {
        QString t;
        for (const char16_t u : units) t += QChar(u);
        return t;
    };
    const QString cases[] = {
        text({u'王', 0, u'五'}),         text({u'收', 0xD800, u'费'}), text({u'收', 0xDC00}),
        text({0xD83D, 0xDE00, u'x'}),  // a whole pair stays
        text({0xDE00, 0xD83D}),        // two halves the wrong way round
        QStringLiteral("O'Brien''; --"), text({0, u'\'', 0}),          QString(),
    };
    int k = 0;
    for (const QString& value : cases) {
        const QString quoted = QStringLiteral("q%1").arg(k), bound = QStringLiteral("b%1").arg(k),
                      raw = QStringLiteral("r%1").arg(k);
        ++k;
        ASSERT_TRUE(db_execute(conn, QStringLiteral("insert into 收费 (户号,备注) values (") +
                                         sql_quote(value) + u',' + sql_quote(quoted) + u')'))
            << db_last_error(conn).toStdString();
        PreparedStatement insert(conn, kInsert);
        insert.bind_text(1, value);
        insert.bind_text(6, bound);
        ASSERT_TRUE(insert.execute()) << db_last_error(conn).toStdString();
        SqliteStatement plain(conn, "insert into 收费 (户号,备注) values (?,?)");
        ASSERT_TRUE(plain.ok());
        plain.bind_text(1, value);
        plain.bind_text(2, raw);
        ASSERT_TRUE(plain.execute()) << db_last_error(conn).toStdString();
        const auto stored = [&](const QString& remark) {
            RecordSet r;
            recordset_bind_connection(r, conn);
            if (!recordset_open(r, QStringLiteral("select typeof(户号)||':'||hex(户号) from 收费 "
                                                  "where 备注=") +
                                       sql_quote(remark)))
                return QStringLiteral("<failed>");
            return recordset_field_text(r, 0);
        };
        SCOPED_TRACE(k);
        EXPECT_EQ(stored(quoted),
                  QStringLiteral("text:") +
                      QString::fromLatin1(clean_text(value).toUtf8().toHex().toUpper()));
        EXPECT_EQ(stored(bound), stored(quoted));
        EXPECT_EQ(stored(raw), stored(quoted));
    }
}

TEST_F(PreparedTest, ReusedNestedAndAfterReopen) {
    for (int i = 0; i < 3; ++i) {
        PreparedStatement insert(conn, kInsert);
        insert.bind_text(1, QStringLiteral("H%1").arg(i));
        insert.bind_text(6, QStringLiteral("r"));
        qint64 rows = 0;
        ASSERT_TRUE(insert.execute(&rows));
        EXPECT_EQ(rows, 1);
    }
    // Values of one use do not carry over into the next.
    {
        PreparedStatement insert(conn, kInsert);
        insert.bind_text(6, QStringLiteral("empty"));
        ASSERT_TRUE(insert.execute());
        EXPECT_EQ(cell("户号", QStringLiteral("empty")), QStringLiteral("null:"));
    }
    const QString select = QStringLiteral("select 户号 from 收费 where 备注=? order by 编号");
    PreparedStatement outer(conn, select);
    outer.bind_text(1, QStringLiteral("r"));
    {
        // The same text while the first is in use gets a statement of its own.
        PreparedStatement inner(conn, select);
        inner.bind_text(1, QStringLiteral("R"));
        RecordSet rows;
        ASSERT_TRUE(inner.open(rows));
        EXPECT_EQ(recordset_record_count(rows), 3);
    }
    RecordSet rows;
    ASSERT_TRUE(outer.open(rows));
    ASSERT_EQ(recordset_record_count(rows), 3);
    EXPECT_EQ(recordset_field_text(rows, QStringLiteral("户号")), QStringLiteral("H0"));
    // Opening again runs it again, with the same values.
    ASSERT_TRUE(outer.open(rows));
    EXPECT_EQ(recordset_record_count(rows), 3);

    db_close(conn);
    EXPECT_FALSE(outer.execute());
    ASSERT_TRUE(db_open_access_file(conn, path));
    PreparedStatement again(conn, select);
    again.bind_text(1, QStringLiteral("r"));
    ASSERT_TRUE(again.open(rows));
    EXPECT_EQ(recordset_record_count(rows), 3);
}

TEST_F(PreparedTest, FailuresLeaveTheErrorText) {
    PreparedStatement broken(conn, QStringLiteral("select * from 没有的表 where 户号=?"));
    EXPECT_FALSE(broken.valid());
    EXPECT_TRUE(db_last_error(conn).contains(QStringLiteral("没有的表")));
    RecordSet rows;
    EXPECT_FALSE(broken.open(rows, OnFailure::Quiet));
    ASSERT_TRUE(db_execute(conn, QStringLiteral("create unique index 收费_收据号 on 收费 (收据号)")));
    for (int i = 0; i < 2; ++i) {
        PreparedStatement insert(conn, kInsert);
        insert.bind_integer(5, 7);
        EXPECT_EQ(insert.execute(), i == 0);
    }
    EXPECT_TRUE(db_last_error(conn).contains(QStringLiteral("UNIQUE")));
}

}  // namespace
