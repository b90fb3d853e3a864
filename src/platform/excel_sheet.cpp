#include "platform/excel_sheet.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

#include "platform/convert.h"
#include "platform/excel_isolation.h"
#include "platform/excel_readers.h"

namespace platform::excel {

namespace detail {

QString file_label(const QString& path) { return QFileInfo(path).fileName(); }

QString damaged_text(const QString& path, const QString& detail) {
    QString text = QStringLiteral("工作簿“%1”已损坏，无法读取").arg(file_label(path));
    if (!detail.isEmpty()) text += QStringLiteral("（%1）").arg(detail);
    return text + QStringLiteral("。");
}

bool serial_to_date_text(double serial, bool date1904, QString& out) {
    // 2958465 is 9999-12-31 in the 1900 system.
    if (!std::isfinite(serial) || serial < 0.0 || serial >= 2958466.0) return false;
    const long long seconds = std::llround(serial * 86400.0);
    long long day = seconds / 86400;
    const long long in_day = seconds % 86400;
    QDate date;
    if (date1904) {
        date = QDate(1904, 1, 1).addDays(day);
    } else {
        // The 1900 system counts a 29 February 1900 that never was: serials up to 60 are one
        // day later than a plain count from 1899-12-30 gives.
        if (day >= 1 && day < 61) day += 1;
        date = QDate(1899, 12, 30).addDays(day);
    }
    if (!date.isValid() || date.year() > 9999) return false;
    out = date.toString(QStringLiteral("yyyy-MM-dd"));
    if (in_day != 0) {
        const int h = static_cast<int>(in_day / 3600);
        const int m = static_cast<int>(in_day / 60 % 60);
        const int s = static_cast<int>(in_day % 60);
        out += QStringLiteral(" %1:%2:%3")
                   .arg(h, 2, 10, QLatin1Char('0'))
                   .arg(m, 2, 10, QLatin1Char('0'))
                   .arg(s, 2, 10, QLatin1Char('0'));
    }
    return true;
}

// Whether a number format shows a date or a time: it names a year, month, day, hour, minute
// or second outside quoted text, escapes and bracketed colours or conditions.
bool is_date_format_code(const QString& code) {
    bool quoted = false;
    bool bracket = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar ch = code[i];
        if (quoted) {
            if (ch == u'"') quoted = false;
            continue;
        }
        if (bracket) {
            if (ch == u']') bracket = false;
            continue;
        }
        switch (ch.unicode()) {
            case '"':
                quoted = true;
                break;
            case '[':
                bracket = true;
                break;
            case '\\':
            case '_':
            case '*':
                ++i;
                break;  // the next character is literal or a fill/space width
            case 'y':
            case 'Y':
            case 'm':
            case 'M':
            case 'd':
            case 'D':
            case 'h':
            case 'H':
            case 's':
            case 'S':
                return true;
            default:
                break;
        }
    }
    return false;
}

QString too_large_text(const QString& path, const QString& what) {
    return QStringLiteral("工作簿“%1”太大，无法导入（%2）。").arg(file_label(path), what);
}

QString cell_limit_text() {
    return QStringLiteral("单元格超过%1个").arg(kMaxSheetCells);
}

bool is_builtin_date_format(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

}  // namespace detail

using namespace detail;

const SheetCell* SheetRow::at(int column) const {
    const auto it = std::lower_bound(columns.begin(), columns.end(), column);
    if (it == columns.end() || *it != column) return nullptr;
    return &cells[static_cast<size_t>(it - columns.begin())];
}

void SheetRow::set(int column, SheetCell cell) {
    auto it = std::lower_bound(columns.begin(), columns.end(), column);
    const auto at = static_cast<size_t>(it - columns.begin());
    const bool there = it != columns.end() && *it == column;
    if (cell.kind == SheetCell::Kind::Empty) {
        if (there) {
            columns.erase(it);
            cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(at));
        }
        return;
    }
    if (there) {
        cells[at] = std::move(cell);
        return;
    }
    columns.insert(it, column);
    cells.insert(cells.begin() + static_cast<std::ptrdiff_t>(at), std::move(cell));
}

void SheetRow::sort_cells() {
    std::vector<size_t> order(columns.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return columns[a] < columns[b]; });
    std::vector<int> sorted_columns;
    std::vector<SheetCell> sorted_cells;
    sorted_columns.reserve(order.size());
    sorted_cells.reserve(order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        const size_t i = order[k];
        if (!sorted_columns.empty() && sorted_columns.back() == columns[i]) {
            sorted_cells.back() = std::move(cells[i]);
            continue;
        }
        sorted_columns.push_back(columns[i]);
        sorted_cells.push_back(std::move(cells[i]));
    }
    columns = std::move(sorted_columns);
    cells = std::move(sorted_cells);
}

WorkbookFormat workbook_format_of(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return WorkbookFormat::Unknown;
    const QByteArray head = file.read(8);
    static const char ole2[] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};
    if (head.size() == 8 && std::equal(head.begin(), head.end(), ole2)) return WorkbookFormat::Xls;
    if (head.size() >= 4 && head.startsWith("PK\x03\x04")) return WorkbookFormat::Xlsx;
    return WorkbookFormat::Unknown;
}

namespace {

// Opens the workbook far enough to know its format; false with the error text otherwise.
bool check_workbook(const QString& path, WorkbookFormat& format, QString* error) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        if (error) *error = QStringLiteral("找不到文件“%1”。").arg(path);
        return false;
    }
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("无法打开文件“%1”：%2。").arg(path, probe.errorString());
        return false;
    }
    probe.close();
    format = workbook_format_of(path);
    if (format == WorkbookFormat::Unknown) {
        if (error)
            *error =
                QStringLiteral("文件“%1”不是Excel工作簿（.xls或.xlsx）。").arg(file_label(path));
        return false;
    }
    return true;
}

bool names_of(const QString& path, WorkbookFormat format, QStringList& names, QString* error) {
    names.clear();
    return format == WorkbookFormat::Xls ? xls_sheet_names(path, names, error)
                                         : xlsx_sheet_names(path, names, error);
}

}  // namespace

bool sheet_names_here(const QString& path, QStringList& out, QString* error) {
    WorkbookFormat format{};
    if (!check_workbook(path, format, error)) return false;
    return names_of(path, format, out, error);
}

bool read_sheet_here(const QString& path, const QString& sheet_reference, SheetData& out,
                     QString* error) {
    out = SheetData{};
    WorkbookFormat format{};
    if (!check_workbook(path, format, error)) return false;
    QStringList names;
    if (!names_of(path, format, names, error)) return false;

    auto find = [&](const QString& wanted) -> int {
        for (int i = 0; i < names.size(); ++i)
            if (names[i].compare(wanted, Qt::CaseInsensitive) == 0) return i;
        return -1;
    };
    int index = find(sheet_reference);
    if (index < 0 && sheet_reference.endsWith(u'$')) index = find(sheet_reference.chopped(1));
    if (index < 0) {
        QString wanted = sheet_reference;
        if (wanted.endsWith(u'$')) wanted.chop(1);
        if (error) {
            *error = QStringLiteral("工作簿“%1”中没有工作表“%2”").arg(file_label(path), wanted);
            *error +=
                names.isEmpty()
                    ? QStringLiteral("。")
                    : QStringLiteral("；已有的工作表：%1。").arg(names.join(QStringLiteral("、")));
        }
        return false;
    }
    const bool ok = format == WorkbookFormat::Xls ? xls_read_sheet(path, index, out, error)
                                                  : xlsx_read_sheet(path, index, out, error);
    if (!ok) {
        out = SheetData{};
        return false;
    }
    // The table made of the sheet has one column per column of the used range.
    int first = INT_MAX, last = -1;
    for (const SheetRow& row : out.rows) {
        if (row.columns.empty()) continue;
        first = std::min(first, row.columns.front());
        last = std::max(last, row.columns.back());
    }
    if (last >= 0 && last - first + 1 > kMaxSheetColumns) {
        out = SheetData{};
        if (error)
            *error = too_large_text(path, QStringLiteral("使用的列超过%1列").arg(kMaxSheetColumns));
        return false;
    }
    out.name = names[index];
    return true;
}

bool read_sheet(const QString& path, const QString& sheet_reference, SheetData& out,
                QString* error) {
    out = SheetData{};
    QByteArray reply;
    if (!run_sheet_reader(path, {QStringLiteral("sheet"), path, sheet_reference}, reply, error))
        return false;
    return decode_sheet(reply, path, out, error);
}

bool sheet_names(const QString& path, QStringList& out, QString* error) {
    out.clear();
    QByteArray reply;
    if (!run_sheet_reader(path, {QStringLiteral("names"), path}, reply, error)) return false;
    return decode_sheet_names(reply, path, out, error);
}

// ---- the sheet as a table ----------------------------------------------------------------

QString number_cell_text(double value) {
    if (!std::isfinite(value) || value == 0.0) return QStringLiteral("0");
    char buf[64];
    std::to_chars_result res;
    if (std::fabs(value) < 9007199254740992.0 && value == std::trunc(value))
        res = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value));
    else
        res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    return QString::fromLatin1(buf, static_cast<qsizetype>(res.ptr - buf));
}

namespace {

bool is_empty(const SheetCell& cell) { return cell.kind == SheetCell::Kind::Empty; }

QString cell_as_text(const SheetCell& cell) {
    switch (cell.kind) {
        case SheetCell::Kind::Empty:
            return QString();
        case SheetCell::Kind::Number:
            return number_cell_text(cell.number);
        case SheetCell::Kind::Date:
        case SheetCell::Kind::Text:
            return cell.text;
    }
    return QString();
}

// ASCII letters folded, as SQLite compares names.
QString fold_name(const QString& name) {
    QString folded = name;
    for (QChar& ch : folded)
        if (ch.unicode() >= 'A' && ch.unicode() <= 'Z') ch = QChar(ch.unicode() + ('a' - 'A'));
    return folded;
}

}  // namespace

SheetTable make_sheet_table(const SheetData& sheet) {
    SheetTable table;
    // The used range: the first row with a value holds the titles; columns from the first to
    // the last one holding a value in any row.
    const SheetRow* header = nullptr;
    int first_col = INT_MAX;
    int last_col = -1;
    std::vector<const SheetRow*> data;
    for (const SheetRow& row : sheet.rows) {
        int first = INT_MAX, last = -1;
        for (size_t i = 0; i < row.cells.size(); ++i) {
            if (is_empty(row.cells[i])) continue;
            first = std::min(first, row.columns[i]);
            last = std::max(last, row.columns[i]);
        }
        if (last < 0) continue;
        first_col = std::min(first_col, first);
        last_col = std::max(last_col, last);
        if (!header)
            header = &row;
        else
            data.push_back(&row);
    }
    if (!header) {
        table.names << QStringLiteral("F1");
        table.types.push_back(ColumnType::Text);
        return table;
    }
    const size_t columns = static_cast<size_t>(last_col - first_col + 1);
    auto cell_at = [&](const SheetRow& row, size_t column) -> const SheetCell* {
        return row.at(first_col + static_cast<int>(column));
    };

    QSet<QString> taken;
    for (size_t column = 0; column < columns; ++column) {
        const SheetCell* cell = cell_at(*header, column);
        QString name = cell ? clean_text(cell_as_text(*cell)).trimmed() : QString();
        if (name.isEmpty()) name = QStringLiteral("F%1").arg(column + 1);
        if (taken.contains(fold_name(name))) {
            for (int suffix = 1;; ++suffix) {
                const QString candidate = name + QString::number(suffix);
                if (!taken.contains(fold_name(candidate))) {
                    name = candidate;
                    break;
                }
            }
        }
        taken.insert(fold_name(name));
        table.names << name;
    }

    // Column kinds from the cells there are, row by row (sparse rows give no empty cells).
    std::vector<char> any(columns, 0), all_numbers(columns, 1), all_dates(columns, 1);
    for (const SheetRow* row : data) {
        for (size_t i = 0; i < row->cells.size(); ++i) {
            const SheetCell& cell = row->cells[i];
            if (is_empty(cell)) continue;
            const auto column = static_cast<size_t>(row->columns[i] - first_col);
            any[column] = 1;
            all_numbers[column] &= cell.kind == SheetCell::Kind::Number ? 1 : 0;
            all_dates[column] &= cell.kind == SheetCell::Kind::Date ? 1 : 0;
        }
    }
    table.types.assign(columns, ColumnType::Text);
    for (size_t column = 0; column < columns; ++column) {
        if (any[column] && all_numbers[column])
            table.types[column] = ColumnType::Number;
        else if (any[column] && all_dates[column])
            table.types[column] = ColumnType::Date;
    }

    table.rows.reserve(data.size());
    for (const SheetRow* row : data) {
        std::vector<SheetCell> values(columns);
        for (size_t i = 0; i < row->cells.size(); ++i) {
            const SheetCell& cell = row->cells[i];
            if (is_empty(cell)) continue;
            const auto column = static_cast<size_t>(row->columns[i] - first_col);
            if (table.types[column] == ColumnType::Text) {
                // A workbook's texts enter the database here: NUL and lone surrogates go.
                values[column].kind = SheetCell::Kind::Text;
                values[column].text = clean_text(cell_as_text(cell));
            } else {
                values[column] = cell;
            }
        }
        table.rows.push_back(std::move(values));
    }
    return table;
}

}  // namespace platform::excel
