#include "households/list_totals.h"

#include <QRegularExpression>

#include "platform/convert.h"

namespace households {

bool is_list_totals_row(const QString& first_cell, const QString& second_cell) {
    static const QRegularExpression count(QStringLiteral("^[0-9]+户?$"));
    const QString caption = platform::text_trim(first_cell);
    const bool totals_caption = caption == QStringLiteral("用户数") ||
                                caption == QStringLiteral("当前：") ||
                                caption == QStringLiteral("当前:") ||
                                caption == QStringLiteral("合计");
    return totals_caption && count.match(platform::text_trim(second_cell)).hasMatch();
}

QString skipped_totals_text(int rows) {
    if (rows <= 0) return QString();
    return QStringLiteral("\r\n已跳过列表的合计行%1行。").arg(rows);
}

}  // namespace households
