#include "charging/list_queries.h"

#include "platform/convert.h"

namespace charging {

QueryCondition quoted_condition(bool chosen, const QString& value, const QString& refusal,
                                const QString& head, const QString& tail) {
    return {chosen, value, refusal, head + platform::sql_quote(value) + tail};
}

QueryCondition starts_with_condition(bool chosen, const QString& value, const QString& refusal,
                                     const QString& head) {
    return {chosen, value, refusal, head + platform::sql_quote(value + u'%')};
}

QueryCondition fixed_condition(bool chosen, const QString& clause) {
    return {chosen, {}, {}, clause};
}

QueryCondition prepay_household_condition(bool chosen, const QString& household) {
    return quoted_condition(chosen, household, QStringLiteral("待查询的户号不能为空！"),
                            QStringLiteral(" and 用户信息表.户号  = "));
}

QueryCondition prepay_name_condition(bool chosen, const QString& name) {
    return starts_with_condition(chosen, name, QStringLiteral("待查询的户名不能为空！"),
                                 QStringLiteral(" and 用户信息表.用户名  LIKE "));
}

QueryCondition prepay_collector_condition(bool chosen, const QString& collector) {
    return quoted_condition(chosen, collector, QStringLiteral("待查询的收费人员不能为空！"),
                            QStringLiteral(" and 预存明细.收费人员="));
}

QueryCondition prepay_street_condition(bool chosen, const QString& street, const QString& refusal) {
    return quoted_condition(chosen, street, refusal, QStringLiteral(" and 用户信息表.居住街道="));
}

ChosenConditions choose_conditions(std::initializer_list<QueryCondition> conditions) {
    ChosenConditions out;
    int position = 0;
    for (const QueryCondition& c : conditions) {
        if (c.chosen) {
            if (!c.refusal.isEmpty() && c.value.isEmpty()) {
                out.ok = false;
                out.clause.clear();
                out.refusal = c.refusal;
                out.refused = position;
                return out;
            }
            out.clause += c.clause;
        }
        ++position;
    }
    return out;
}

QString order_clause(int index, std::initializer_list<const char16_t*> clauses) {
    if (index < 0 || index >= static_cast<int>(clauses.size())) return {};
    return QString::fromUtf16(clauses.begin()[index]);
}

bool open_list_records(platform::RecordSet& records, platform::Connection& connection,
                       const QString& statement, const std::function<void(int count)>& start,
                       platform::OnFailure on_failure) {
    const bool opened = platform::query_open(records, connection, statement, on_failure);
    if (start) start(opened ? platform::recordset_record_count(records) : 0);
    return opened;
}

int list_field(const platform::RecordSet& records, const char16_t* name) {
    return platform::recordset_field_index(records, QString::fromUtf16(name));
}

QStringList cell_texts(std::span<const std::string_view> cells) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(cells.size()));
    for (std::string_view cell : cells)
        texts << QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()));
    return texts;
}

QStringList totals_row(int cells, const QString& caption,
                       std::initializer_list<std::pair<int, double>> amounts) {
    QStringList row(cells);
    row[0] = caption;
    for (const auto& [position, amount] : amounts)
        row[position] = platform::format_number(amount, 2);
    return row;
}

}  // namespace charging
