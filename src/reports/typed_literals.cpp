#include "reports/typed_literals.h"

#include <QDate>
#include <QStringList>

namespace reports {

namespace {

bool digits_only(const QString& text) {
    if (text.isEmpty() || text.size() > 4) return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return false;
    return true;
}

}  // namespace

bool report_literal_is_day(const QString& literal) {
    if (literal.size() < 7 || !literal.startsWith(u'#') || !literal.endsWith(u'#')) return false;
    const QStringList parts = literal.mid(1, literal.size() - 2).split(u'-');
    if (parts.size() != 3) return false;
    for (const QString& part : parts)
        if (!digits_only(part)) return false;
    // The database reads a four-digit year only.
    if (parts[0].size() != 4 || parts[1].size() > 2 || parts[2].size() > 2) return false;
    return QDate(parts[0].toInt(), parts[1].toInt(), parts[2].toInt()).isValid();
}

}  // namespace reports
