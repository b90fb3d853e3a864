#include "reports/reading_handbook.h"

#include "platform/convert.h"
#include "platform/query.h"

namespace reports {

using platform::sql_quote;

namespace {

void tell(std::vector<ReceiptMessage>& messages, const QString& text,
          platform::MsgIcon icon = platform::MsgIcon::None) {
    messages.push_back({text, icon});
}

}  // namespace

std::vector<ReceiptMessage> build_handbook_tables(
    platform::Connection& main, const QString& reader, const QDate& today,
    const std::function<void(int done, int total)>& progress) {
    std::vector<ReceiptMessage> messages;
    // Ten statements below, each a step of the progress.
    constexpr int kStatements = 10;
    int done = 0;
    const auto run = [&](const QString& sql) {
        const bool ok = platform::db_execute(main, sql);
        if (progress) progress(++done, kStatements);
        return ok;
    };
    const QString r = sql_quote(reader);
    // One transaction for the whole rebuild, kept at its end whatever step failed: the tables
    // are scratch, rebuilt at every print, so the commit need not wait for the disk either.
    platform::Transaction scratch(main, platform::Commit::WorkTablesOnly);

    run(QStringLiteral("DROP TABLE 抄表信息"));
    if (!run(QStringLiteral(
            "create table 抄表信息 (编号 identity primary key,户号 varchar(50),起方 float,"
            "用量 float,序号 int,欠费 float,欠费月数 int,父号 varchar(50))")))
        tell(messages, QStringLiteral("创建数据库失败!"), platform::MsgIcon::Information);
    if (!run("INSERT INTO 抄表信息 (户号,起方,用量,序号,欠费,欠费月数,父号) SELECT "
             "户号,开始起数,0,抄表序号,0,0,父号 "
             "from 用户表管理 where 抄表人员=" +
             r + " and 状态='正常'  order by 抄表序号"))
        tell(messages, QStringLiteral("抄表数据失败!"), platform::MsgIcon::Information);
    // The updates below find an account's row by 户号: without an index each of the register's
    // newest readings would scan the whole table (ten thousand accounts took seconds).
    run(QStringLiteral("create index 抄表信息_户号 on 抄表信息 (户号)"));
    // The newest committed reading of an account is where the next one starts.
    if (!run(QStringLiteral(
            "update 抄表信息,(select 户号,止方,用量 from 抄表总表 where 编号 in (select max(编号) "
            "from 抄表总表 group by 户号)) as T1 set 抄表信息.起方=T1.止方,抄表信息.用量=T1.用量 "
            "where 抄表信息.户号=T1.户号")))
        tell(messages, platform::db_last_error(main));
    // A meter changed this month starts from the new meter's first reading.
    const QString month = QString::number(today.year()) + "-" + QString::number(today.month());
    if (!run("update 抄表信息,(select 户号,换表起方 from 换表管理 where 执行日期=" +
             sql_quote(month) +
             ") as T1 set 抄表信息.起方=T1.换表起方 where 抄表信息.户号=T1.户号"))
        tell(messages, platform::db_last_error(main));

    run(QStringLiteral("DROP TABLE 欠费信息"));
    if (!run(QStringLiteral("create table 欠费信息 (户号 varchar(50),欠费 float,月数 int)")))
        tell(messages, QStringLiteral("创建数据库失败!"), platform::MsgIcon::Information);
    const QString arrears =
        "INSERT INTO 欠费信息 (户号,欠费,月数) select 总收费.户号,sum(总收费.实收金额) as "
        "欠费金额,count(*) as 月数 "
        "From 总收费 where 收费标志=1 and 标志=1 and 抄表人员=" +
        r + " group by 户号";
    if (!run(arrears)) tell(messages, platform::db_last_error(main) + arrears);
    const QString spread = QStringLiteral(
        "update 抄表信息,欠费信息 set 抄表信息.欠费=欠费信息.欠费,抄表信息.欠费月数=欠费信息.月数 "
        "where 抄表信息.父号=欠费信息.户号");
    if (!run(spread)) tell(messages, platform::db_last_error(main) + spread);
    if (scratch.active() && !scratch.commit()) tell(messages, platform::db_last_error(main));
    return messages;
}

std::vector<HandbookLine> handbook_lines(platform::Connection& main, const QString& reader) {
    std::vector<HandbookLine> lines;
    platform::RecordSet rs;
    platform::query_open(rs, main,
                         "select "
                         "用户表管理.户号,用户信息表.用户名,用户表管理.计量编号,用户信息表."
                         "居住街道,用户信息表.详细地址,"
                         "用户信息表.移动电话,抄表信息.起方,抄表信息.欠费,抄表信息.欠费月数,"
                         "用户表管理.收费项目 from "
                         "用户信息表,抄表信息,用户表管理 where 用户信息表.户号=用户表管理.父号 and "
                         "用户表管理.户号=抄表信息.户号 "
                         "and 用户表管理.抄表人员=" +
                             sql_quote(reader) + " order by 抄表信息.序号");
    for (; !platform::recordset_eof(rs); platform::recordset_move_next(rs)) {
        HandbookLine line;
        line.account = platform::recordset_field_text(rs, "户号");
        line.name = platform::recordset_field_text(rs, "用户名");
        line.start = platform::to_text(platform::recordset_field_number(rs, "起方"));
        line.arrears =
            platform::format_number(platform::recordset_field_number(rs, "欠费"), 2) + "(" +
            QString::number(static_cast<qint64>(platform::recordset_field_number(rs, "欠费月数"))) +
            ")";
        line.item = platform::recordset_field_text(rs, "收费项目");
        line.street = platform::recordset_field_text(rs, "居住街道");
        line.mobile = platform::recordset_field_text(rs, "移动电话");
        lines.push_back(std::move(line));
    }
    return lines;
}

QString handbook_title(const QString& office, const QString& reader, const QDate& day) {
    return office + QStringLiteral("抄表手册---当前抄表人员(") + reader + QStringLiteral(")--") +
           platform::date_ymd_text(day);
}

QStringList handbook_readers(platform::Connection& main) {
    return platform::query_column(main,
                                  QStringLiteral("select * from 抄表员 where 抄表员<>'系统'"));
}

}  // namespace reports
