// .xlsx workbooks: the zip is read with minizip, its XML parts with QXmlStreamReader.
// Parts used: _rels/.rels (where the workbook is), the workbook and its relationships (sheet
// names and parts, the date system), the shared strings, the styles (which cells carry a
// date format) and the worksheet itself.
#include <minizip/unzip.h>

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>

#include "platform/excel_readers.h"

namespace platform::excel::detail {

namespace {

constexpr int kMaxRows = 1048576;
constexpr int kMaxColumns = 16384;

class ZipArchive {
public:
    explicit ZipArchive(const QString& path) : path_(path) {
        zip_ = unzOpen64(QFile::encodeName(path).constData());
    }
    ~ZipArchive() {
        if (zip_) unzClose(zip_);
    }
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool is_open() const { return zip_ != nullptr; }
    // Unpacked bytes of every part read so far: a small zip must not unpack into gigabytes.
    bool has(const QString& part) {
        return zip_ && unzLocateFile(zip_, part.toUtf8().constData(), 2) == UNZ_OK;
    }
    // Reads a part; part names of the package compare without regard to case.
    bool read(const QString& part, QByteArray& out, QString* error) {
        out.clear();
        if (!has(part)) {
            if (error) *error = damaged_text(path_, QStringLiteral("缺少%1").arg(part));
            return false;
        }
        // The size the zip declares is refused before anything is unpacked; the bytes are
        // counted as they come as well, since a crafted zip may declare less than it holds.
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK &&
            (info.uncompressed_size > quint64(kMaxPartBytes) ||
             unpacked_ + qint64(info.uncompressed_size) > kMaxWorkbookBytes)) {
            if (error)
                *error = too_large(part, info.uncompressed_size > quint64(kMaxPartBytes));
            return false;
        }
        if (unzOpenCurrentFile(zip_) != UNZ_OK) {
            if (error) *error = damaged_text(path_, QStringLiteral("无法解压%1").arg(part));
            return false;
        }
        char buffer[65536];
        for (;;) {
            const int n = unzReadCurrentFile(zip_, buffer, sizeof buffer);
            if (n < 0) {
                unzCloseCurrentFile(zip_);
                if (error) *error = damaged_text(path_, QStringLiteral("无法解压%1").arg(part));
                return false;
            }
            if (out.size() + n > kMaxPartBytes || unpacked_ + n > kMaxWorkbookBytes) {
                const bool part_too_large = out.size() + n > kMaxPartBytes;
                unzCloseCurrentFile(zip_);
                out.clear();
                if (error) *error = too_large(part, part_too_large);
                return false;
            }
            unpacked_ += n;
            if (n == 0) break;
            out.append(buffer, n);
        }
        if (unzCloseCurrentFile(zip_) != UNZ_OK) {
            if (error) *error = damaged_text(path_, QStringLiteral("%1校验失败").arg(part));
            return false;
        }
        return true;
    }

private:
    QString too_large(const QString& part, bool part_too_large) const {
        return too_large_text(
            path_, part_too_large
                       ? QStringLiteral("%1解压后超过%2 MB").arg(part).arg(kMaxPartBytes >> 20)
                       : QStringLiteral("解压后超过%1 MB").arg(kMaxWorkbookBytes >> 20));
    }

    QString path_;
    unzFile zip_ = nullptr;
    qint64 unpacked_ = 0;
};

// Relationship targets are relative to the folder of the part that names them, or absolute
// from the package root.
QString resolve_target(const QString& source_part, const QString& target) {
    QString joined;
    if (target.startsWith(u'/')) {
        joined = target.mid(1);
    } else {
        const qsizetype slash = source_part.lastIndexOf(u'/');
        joined = (slash >= 0 ? source_part.left(slash + 1) : QString()) + target;
    }
    QStringList parts;
    for (const QString& segment : joined.split(u'/', Qt::SkipEmptyParts)) {
        if (segment == QLatin1String(".")) continue;
        if (segment == QLatin1String("..")) {
            if (!parts.isEmpty()) parts.removeLast();
            continue;
        }
        parts << segment;
    }
    return parts.join(u'/');
}

QString rels_part_of(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
           QStringLiteral(".rels");
}

struct Relationship {
    QString type;    // the last segment of the type URI: "officeDocument", "worksheet", ...
    QString target;  // resolved part name
};

bool xml_failed(const QXmlStreamReader& xml, const QString& path, const QString& part,
                QString* error) {
    if (!xml.hasError()) return false;
    if (error)
        *error = damaged_text(
            path,
            QStringLiteral("%1第%2行：%3").arg(part).arg(xml.lineNumber()).arg(xml.errorString()));
    return true;
}

bool read_relationships(ZipArchive& zip, const QString& path, const QString& source_part,
                        QHash<QString, Relationship>& out, QString* error) {
    const QString part = rels_part_of(source_part);
    QByteArray bytes;
    if (!zip.read(part, bytes, error)) return false;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement ||
            xml.name() != QLatin1String("Relationship"))
            continue;
        const auto attrs = xml.attributes();
        Relationship rel;
        const QString type = attrs.value(QLatin1String("Type")).toString();
        rel.type = type.mid(type.lastIndexOf(u'/') + 1);
        if (attrs.value(QLatin1String("TargetMode")) != QLatin1String("External"))
            rel.target =
                resolve_target(source_part, attrs.value(QLatin1String("Target")).toString());
        out.insert(attrs.value(QLatin1String("Id")).toString(), rel);
    }
    return !xml_failed(xml, path, part, error);
}

// Text of the OOXML "_xHHHH_" escapes (control characters and a literal "_x" written as
// "_x005F_x").
QString decode_escapes(const QString& text) {
    if (!text.contains(QLatin1String("_x"))) return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            bool ok = false;
            const uint code = QStringView(text).mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(static_cast<char16_t>(code));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The text of a rich or plain string item (<si>, <is>): the <t> of the item and of its runs,
// leaving out phonetic guides (<rPh>), which repeat the text's reading.
QString read_string_item(QXmlStreamReader& xml) {
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
            case QXmlStreamReader::StartElement:
                if (xml.name() == QLatin1String("t")) {
                    text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
                } else if (xml.name() == QLatin1String("rPh") ||
                           xml.name() == QLatin1String("phoneticPr")) {
                    xml.skipCurrentElement();
                } else {
                    ++depth;
                }
                break;
            case QXmlStreamReader::EndElement:
                --depth;
                break;
            default:
                break;
        }
    }
    return decode_escapes(text);
}

bool read_shared_strings(ZipArchive& zip, const QString& path, const QString& part,
                         QStringList& out, QString* error) {
    QByteArray bytes;
    if (!zip.read(part, bytes, error)) return false;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si")) {
            if (out.size() >= kMaxSharedStrings) {
                if (error)
                    *error = too_large_text(
                        path, QStringLiteral("共享字符串超过%1个").arg(kMaxSharedStrings));
                return false;
            }
            out << read_string_item(xml);
        }
    }
    return !xml_failed(xml, path, part, error);
}

// For each cell format (<cellXfs>) whether it shows dates.
bool read_styles(ZipArchive& zip, const QString& path, const QString& part,
                 std::vector<bool>& date_xf, QString* error) {
    QByteArray bytes;
    if (!zip.read(part, bytes, error)) return false;
    QHash<int, bool> custom;
    QXmlStreamReader xml(bytes);
    bool in_cell_xfs = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const auto name = xml.name();
            if (name == QLatin1String("numFmt")) {
                const auto attrs = xml.attributes();
                custom.insert(
                    attrs.value(QLatin1String("numFmtId")).toInt(),
                    is_date_format_code(attrs.value(QLatin1String("formatCode")).toString()));
            } else if (name == QLatin1String("cellXfs")) {
                in_cell_xfs = true;
            } else if (in_cell_xfs && name == QLatin1String("xf")) {
                const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
                date_xf.push_back(custom.contains(id) ? custom.value(id)
                                                      : is_builtin_date_format(id));
            }
        } else if (token == QXmlStreamReader::EndElement &&
                   xml.name() == QLatin1String("cellXfs")) {
            in_cell_xfs = false;
        }
    }
    return !xml_failed(xml, path, part, error);
}

struct WorkbookInfo {
    QStringList names;
    QStringList sheet_parts;
    QString shared_strings_part;
    QString styles_part;
    bool date1904 = false;
};

bool read_workbook(ZipArchive& zip, const QString& path, WorkbookInfo& info, QString* error) {
    if (!zip.is_open()) {
        if (error) *error = damaged_text(path, QStringLiteral("不是有效的zip文件"));
        return false;
    }
    // The package names its main part; workbooks that leave out the package relationships
    // still keep it at the usual place.
    QString workbook_part = QStringLiteral("xl/workbook.xml");
    if (zip.has(QStringLiteral("_rels/.rels"))) {
        QHash<QString, Relationship> root;
        if (!read_relationships(zip, path, QString(), root, error)) return false;
        for (const Relationship& rel : std::as_const(root))
            if (rel.type == QLatin1String("officeDocument")) workbook_part = rel.target;
    }
    if (!zip.has(workbook_part)) {
        if (error)
            *error =
                QStringLiteral("文件“%1”不是Excel工作簿（.xls或.xlsx）。").arg(file_label(path));
        return false;
    }
    QHash<QString, Relationship> rels;
    if (!read_relationships(zip, path, workbook_part, rels, error)) return false;
    for (const Relationship& rel : std::as_const(rels)) {
        if (rel.type == QLatin1String("sharedStrings")) info.shared_strings_part = rel.target;
        if (rel.type == QLatin1String("styles")) info.styles_part = rel.target;
    }

    QByteArray bytes;
    if (!zip.read(workbook_part, bytes, error)) return false;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto attrs = xml.attributes();
        if (xml.name() == QLatin1String("workbookPr")) {
            const auto v = attrs.value(QLatin1String("date1904"));
            info.date1904 = v == QLatin1String("1") || v == QLatin1String("true");
        } else if (xml.name() == QLatin1String("sheet")) {
            QString id;
            for (const auto& a : attrs)
                if (a.name() == QLatin1String("id") && !a.namespaceUri().isEmpty())
                    id = a.value().toString();
            const auto rel = rels.constFind(id);
            if (rel == rels.constEnd()) {
                if (error)
                    *error = damaged_text(path, QStringLiteral("工作表“%1”没有内容")
                                                    .arg(attrs.value(QLatin1String("name"))));
                return false;
            }
            info.names << attrs.value(QLatin1String("name")).toString();
            info.sheet_parts << rel->target;
        }
    }
    return !xml_failed(xml, path, workbook_part, error);
}

// "BC12" -> column 54 (0-based 54 = B*26 + C - 1 ...), row 11; false for anything else.
bool parse_cell_reference(QStringView ref, int& column, int& row) {
    qsizetype i = 0;
    int col = 0;
    while (i < ref.size() && ref[i].isLetter() && ref[i].unicode() < 128) {
        col = col * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
        if (col > kMaxColumns) return false;
        ++i;
    }
    if (i == 0 || i == ref.size()) return false;
    bool ok = false;
    const int r = ref.mid(i).toInt(&ok);
    if (!ok || r < 1 || r > kMaxRows) return false;
    column = col - 1;
    row = r - 1;
    return true;
}

}  // namespace

bool xlsx_sheet_names(const QString& path, QStringList& names, QString* error) {
    ZipArchive zip(path);
    WorkbookInfo info;
    if (!read_workbook(zip, path, info, error)) return false;
    names = info.names;
    return true;
}

bool xlsx_read_sheet(const QString& path, int sheet_index, SheetData& out, QString* error) {
    ZipArchive zip(path);
    WorkbookInfo info;
    if (!read_workbook(zip, path, info, error)) return false;
    QStringList shared;
    if (!info.shared_strings_part.isEmpty() &&
        !read_shared_strings(zip, path, info.shared_strings_part, shared, error))
        return false;
    std::vector<bool> date_xf;
    if (!info.styles_part.isEmpty() && !read_styles(zip, path, info.styles_part, date_xf, error))
        return false;

    const QString part = info.sheet_parts.value(sheet_index);
    QByteArray bytes;
    if (!zip.read(part, bytes, error)) return false;

    auto bad = [&](const QString& detail) {
        if (error) *error = damaged_text(path, QStringLiteral("%1：%2").arg(part, detail));
        return false;
    };

    QXmlStreamReader xml(bytes);
    int row_index = -1;
    int next_column = 0;
    qint64 cells_kept = 0;
    SheetRow row;
    bool row_sorted = true;
    auto finish_row = [&] {
        if (!row_sorted) row.sort_cells();
        if (!row.cells.empty()) out.rows.push_back(std::move(row));
        row = SheetRow{};
        row_sorted = true;
    };
    bool sorted = true;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("row")) {
            finish_row();
            continue;
        }
        if (token != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("row")) {
            const auto r = xml.attributes().value(QLatin1String("r"));
            int index = row_index + 1;
            if (!r.isEmpty()) {
                bool ok = false;
                index = r.toInt(&ok) - 1;
                if (!ok || index < 0 || index >= kMaxRows) return bad(QStringLiteral("行号无效"));
            }
            if (index <= row_index) sorted = false;
            row_index = index;
            row.index = index;
            next_column = 0;
            continue;
        }
        if (xml.name() != QLatin1String("c")) continue;

        const auto attrs = xml.attributes();
        int column = next_column;
        const auto ref = attrs.value(QLatin1String("r"));
        if (!ref.isEmpty()) {
            int ref_row = 0;
            if (!parse_cell_reference(ref, column, ref_row))
                return bad(QStringLiteral("单元格位置无效"));
        }
        if (column >= kMaxColumns) return bad(QStringLiteral("单元格位置无效"));
        next_column = column + 1;
        const QString type = attrs.value(QLatin1String("t")).toString();
        const int style = attrs.value(QLatin1String("s")).toInt();

        QString value;
        QString inline_text;
        bool has_value = false;
        while (!xml.atEnd()) {
            const auto t = xml.readNext();
            if (t == QXmlStreamReader::EndElement && xml.name() == QLatin1String("c")) break;
            if (t != QXmlStreamReader::StartElement) continue;
            if (xml.name() == QLatin1String("v")) {
                value = xml.readElementText();
                has_value = true;
            } else if (xml.name() == QLatin1String("is")) {
                inline_text = read_string_item(xml);
                has_value = true;
            } else {
                xml.skipCurrentElement();  // formula and extensions
            }
        }
        if (!has_value) continue;

        SheetCell cell;
        if (type == QLatin1String("s")) {
            bool ok = false;
            const int index = value.trimmed().toInt(&ok);
            if (!ok || index < 0 || index >= shared.size())
                return bad(QStringLiteral("共享字符串编号无效"));
            cell.text = shared[index];
            if (!cell.text.isEmpty()) cell.kind = SheetCell::Kind::Text;
        } else if (type == QLatin1String("inlineStr")) {
            cell.text = inline_text;
            if (!cell.text.isEmpty()) cell.kind = SheetCell::Kind::Text;
        } else if (type == QLatin1String("str")) {
            cell.text = decode_escapes(value);
            if (!cell.text.isEmpty()) cell.kind = SheetCell::Kind::Text;
        } else if (type == QLatin1String("b")) {
            cell.kind = SheetCell::Kind::Number;
            cell.number = value.trimmed() == QLatin1String("1") ? 1.0 : 0.0;
        } else if (type == QLatin1String("e")) {
            // An error value (#N/A, #DIV/0!) holds nothing a record could use.
        } else if (type == QLatin1String("d")) {
            QDateTime moment = QDateTime::fromString(value.trimmed(), Qt::ISODate);
            if (!moment.isValid())
                moment = QDateTime(QDate::fromString(value.trimmed(), Qt::ISODate), QTime(0, 0));
            if (!moment.isValid()) return bad(QStringLiteral("日期无效"));
            cell.kind = SheetCell::Kind::Date;
            cell.text = moment.time() == QTime(0, 0)
                            ? moment.date().toString(QStringLiteral("yyyy-MM-dd"))
                            : moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        } else {
            const QString trimmed = value.trimmed();
            if (trimmed.isEmpty()) continue;
            bool ok = false;
            const double number = trimmed.toDouble(&ok);
            if (!ok || !std::isfinite(number)) return bad(QStringLiteral("数值无效"));
            const bool date_style = style >= 0 && static_cast<size_t>(style) < date_xf.size() &&
                                    date_xf[static_cast<size_t>(style)];
            if (date_style && serial_to_date_text(number, info.date1904, cell.text)) {
                cell.kind = SheetCell::Kind::Date;
            } else {
                cell.kind = SheetCell::Kind::Number;
                cell.number = number;
            }
        }
        if (cell.kind == SheetCell::Kind::Empty) continue;
        if (++cells_kept > kMaxSheetCells) {
            if (error) *error = too_large_text(path, cell_limit_text());
            return false;
        }
        // Appended as they come; a row written out of column order is sorted once at its end.
        if (!row.columns.empty() && row.columns.back() >= column) row_sorted = false;
        row.columns.push_back(column);
        row.cells.push_back(std::move(cell));
    }
    if (xml_failed(xml, path, part, error)) return false;
    finish_row();
    if (!sorted) {
        std::stable_sort(out.rows.begin(), out.rows.end(),
                         [](const SheetRow& a, const SheetRow& b) { return a.index < b.index; });
    }
    return true;
}

}  // namespace platform::excel::detail
