#include "reading/handheld_schemes.h"

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"

namespace reading {

QString current_handheld_scheme;
int handheld_field_number = 0;

namespace {

using platform::OnFailure;
using platform::sql_quote;

const QString kYes = QStringLiteral("是");
const QString kNo = QStringLiteral("否");

std::vector<SchemeField> read_fields(platform::Connection& connection, const QString& sql) {
    std::vector<SchemeField> out;
    platform::RecordSet rows;
    if (!platform::query_open(rows, connection, sql)) return out;
    for (; !platform::recordset_eof(rows); platform::recordset_move_next(rows)) {
        SchemeField f;
        f.name = platform::recordset_field_text(rows, QStringLiteral("字段名称"));
        f.type_name = platform::recordset_field_text(rows, QStringLiteral("字段类型"));
        f.width = static_cast<int>(platform::recordset_field_number(rows, QStringLiteral("字段长度")));
        f.item = platform::recordset_field_text(rows, QStringLiteral("对应字段"));
        f.scheme = platform::recordset_field_text(rows, QStringLiteral("方案名称"));
        f.width_flag = platform::recordset_field_text(rows, QStringLiteral("字段长度标志"));
        f.type_flag = platform::recordset_field_text(rows, QStringLiteral("字段类型标志"));
        f.number = static_cast<int>(platform::recordset_field_number(rows, QStringLiteral("编号")));
        out.push_back(f);
    }
    return out;
}

}  // namespace

const QStringList& handheld_field_types() {
    static const QStringList types = {QStringLiteral("文本型"), QStringLiteral("单精确度型"),
                                      QStringLiteral("双精确度型"), QStringLiteral("整数型"),
                                      QStringLiteral("日期型")};
    return types;
}

const QStringList& handheld_data_items() {
    static const QStringList items = {
        QStringLiteral("抄表户号"), QStringLiteral("计量编号"), QStringLiteral("用户姓名"),
        QStringLiteral("居住街道"), QStringLiteral("价格类别"), QStringLiteral("倍率"),
        QStringLiteral("上月度数"), QStringLiteral("本月度数"), QStringLiteral("上月用量"),
        QStringLiteral("本月用量"), QStringLiteral("抄表标志"), QStringLiteral("抄表日期"),
        QStringLiteral("错误标志")};
    return items;
}

FieldTypeFlags field_type_flags(int type_position, const QString& n) {
    switch (type_position) {
        case 0: return {handheld_field_types()[0], QStringLiteral("c"), u'(' + n + u')'};
        case 1: return {handheld_field_types()[1], QStringLiteral("n"), u'(' + n + QStringLiteral(",1)")};
        case 2: return {handheld_field_types()[2], QStringLiteral("n"), u'(' + n + QStringLiteral(",2)")};
        case 3: return {handheld_field_types()[3], QStringLiteral("n"), u'(' + n + QStringLiteral(",0)")};
        case 4: return {handheld_field_types()[4], QStringLiteral("D"), QStringLiteral("(8,0)")};
        default: return {};
    }
}

std::vector<SchemeField> scheme_fields(platform::Connection& connection, const QString& scheme) {
    return read_fields(connection, QStringLiteral("select * from 抄表机_方案 where 方案名称=") +
                                       sql_quote(scheme) + QStringLiteral(" order by 编号"));
}

std::vector<SchemeField> scheme_fields_in_table_order(platform::Connection& connection,
                                                      const QString& scheme) {
    return read_fields(connection,
                       QStringLiteral("select * from 抄表机_方案 where 方案名称=") + sql_quote(scheme));
}

QStringList scheme_names(platform::Connection& connection) {
    return platform::query_column(connection, QStringLiteral("select 方案名称 from 抄表机_方案名称"));
}

void load_default_handheld_scheme(platform::Connection& connection) {
    const QStringList defaults = platform::query_column(
        connection, QStringLiteral("select 方案名称 from 抄表机_方案名称 where 默认方案='是'"));
    if (defaults.size() == 1) {
        current_handheld_scheme = defaults.front();
        return;
    }
    const QStringList all = scheme_names(connection);
    if (all.size() == 1)
        current_handheld_scheme = all.front();
    else if (all.isEmpty())
        current_handheld_scheme.clear();
}

SchemeOutcome add_handheld_scheme(platform::Connection& connection, const QString& typed_name) {
    const QString name = platform::text_trim(typed_name);
    if (name.isEmpty()) return {};
    if (platform::query_exists(connection,
                               QStringLiteral("select 方案名称 from 抄表机_方案名称 where 方案名称=") +
                                   sql_quote(name)))
        return {false, QStringLiteral("待添加的方案名称重复！")};
    if (!platform::db_execute(connection,
                              QStringLiteral("insert into 抄表机_方案名称 (方案名称) values (") +
                                  sql_quote(name) + u')'))
        return {};
    return {true, QStringLiteral("添加方案名称成功！")};
}

SchemeOutcome set_default_handheld_scheme(platform::Connection& connection,
                                          const QString& scheme) {
    if (scheme.isEmpty())
        return {false, QStringLiteral("请先设置方案名称！"), SchemeOutcome::Focus::SchemeCombo};
    // Both marks move together, so a failure never leaves two defaults or none.
    platform::Transaction transaction(connection);
    if (!platform::db_execute(connection, QStringLiteral("update 抄表机_方案名称 set 默认方案=") +
                                              sql_quote(kNo)) ||
        !platform::db_execute(connection, QStringLiteral("update 抄表机_方案名称 set 默认方案=") +
                                              sql_quote(kYes) + QStringLiteral(" where 方案名称=") +
                                              sql_quote(scheme)) ||
        !transaction.commit()) {
        const QString error = platform::db_last_error(connection);
        transaction.rollback();
        return {false, error};
    }
    load_default_handheld_scheme(connection);
    return {true, QStringLiteral("修改默认方案成功！")};
}

bool scheme_has_fields(platform::Connection& connection, const QString& scheme) {
    return platform::query_exists(
        connection, QStringLiteral("select * from 抄表机_方案 where 方案名称=") + sql_quote(scheme));
}

SchemeOutcome delete_handheld_scheme(platform::Connection& connection, const QString& scheme) {
    if (scheme_has_fields(connection, scheme))
        return {false, QStringLiteral("该方案名称下面有对应的方案字段不能删除！")};
    if (!platform::db_execute(connection,
                              QStringLiteral("delete from 抄表机_方案名称 where 方案名称= ") +
                                  sql_quote(scheme)))
        return {};
    return {true, QStringLiteral("删除方案名称成功！")};
}

SchemeOutcome save_handheld_field(platform::Connection& connection, const FieldForm& form,
                                  bool modify) {
    if (form.scheme.isEmpty())
        return {false, QStringLiteral("请选择方案名称!"), SchemeOutcome::Focus::SchemeCombo};
    if (form.name.isEmpty())
        return {false, QStringLiteral("请输入字段名"), SchemeOutcome::Focus::FieldName};
    const double width = platform::to_number(form.width_text);
    if (!(width > 1e-7)) return {false, QStringLiteral("请输入字段长度"), SchemeOutcome::Focus::Width};
    const QString n = platform::to_text(width);
    const FieldTypeFlags flags = field_type_flags(form.type_position, n);
    const QString where_scheme = QStringLiteral(" and 方案名称=") + sql_quote(form.scheme);
    if (!modify) {
        if (platform::query_exists(connection,
                                   QStringLiteral("select 字段名称 from 抄表机_方案 where 字段名称=") +
                                       sql_quote(form.name) + where_scheme))
            return {false, QStringLiteral("该方案名称下已有相同的字段名称不能重复添加。")};
        if (platform::query_exists(connection,
                                   QStringLiteral("select 字段名称 from 抄表机_方案 where 对应字段=") +
                                       sql_quote(form.item) + where_scheme))
            return {false, QStringLiteral("该方案名称下已有相同的对应字段不能重复添加。")};
        // One past the largest, not the count plus one: after a deletion the count would hand
        // out a number still in use, and a later modify would then change two fields.
        handheld_field_number =
            static_cast<int>(platform::query_integer(
                connection, QStringLiteral("select max(编号) from 抄表机_方案 where 方案名称=") +
                                sql_quote(form.scheme))) +
            1;
        if (!platform::db_execute(
                connection,
                QStringLiteral("insert into 抄表机_方案 (字段名称,字段类型,字段长度标志,对应字段,方案名称,"
                               "字段长度,字段类型标志,编号) values (") +
                    sql_quote(form.name) + u',' + sql_quote(flags.type_name) + u',' +
                    sql_quote(flags.width_flag) + u',' + sql_quote(form.item) + u',' +
                    sql_quote(form.scheme) + u',' + sql_quote(n) + u',' + sql_quote(flags.type_flag) +
                    u',' + QString::number(handheld_field_number) + u')'))
            return {false, platform::db_last_error(connection)};
        return {true, QStringLiteral("添加方案成功！")};
    }
    if (!platform::db_execute(
            connection,
            QStringLiteral("update 抄表机_方案 set 字段名称=") + sql_quote(form.name) +
                QStringLiteral(",字段类型=") + sql_quote(flags.type_name) +
                QStringLiteral(",对应字段=") + sql_quote(form.item) + QStringLiteral(",字段长度=") +
                sql_quote(n) + QStringLiteral(",字段长度标志=") + sql_quote(flags.width_flag) +
                QStringLiteral(",字段类型标志=") + sql_quote(flags.type_flag) +
                QStringLiteral(" where 方案名称=") + sql_quote(form.scheme) +
                QStringLiteral(" and 编号=") + QString::number(handheld_field_number)))
        return {false, platform::db_last_error(connection)};
    return {true, QStringLiteral("修改方案成功！")};
}

SchemeOutcome delete_handheld_field(platform::Connection& connection, const QString& scheme,
                                    const QString& name) {
    if (name.isEmpty()) return {};
    if (!platform::db_execute(connection, QStringLiteral("delete from 抄表机_方案 where 方案名称= ") +
                                              sql_quote(scheme) + QStringLiteral(" and 字段名称=") +
                                              sql_quote(name)))
        return {};
    return {true, QStringLiteral("删除字段名称成功！")};
}

}  // namespace reading
