// The workbook stream of .xls files, read directly for two things FreeXL does not do:
//
// - Checking the structure before FreeXL sees the file. FreeXL trusts some lengths it reads
//   (a directory entry's name length, for one) and reads past its buffers on a damaged file;
//   a file whose compound-file structure or record chain does not hold together is refused
//   here as damaged instead.
// - Formula cells. FreeXL reads values, texts, dates and truth values but passes over formula
//   cells, so a sheet whose numbers or names are computed would read as empty. The results
//   saved with each formula come from the sheet's FORMULA (and STRING) records, with the cell
//   formats (XF, FORMAT) and the date system (DATEMODE) that tell dates from numbers.
//
// Everything is bounds-checked.
#include <QFile>
#include <QHash>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/excel_readers.h"

namespace platform::excel::detail {

namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr uint32_t kSpecialMarkers = 0xFFFFFFFAu;  // from here on: DIFAT, FAT, end, free
constexpr qint64 kMaxFileSize = qint64(128) << 20;  // 65,536 full rows take far less

class Bytes {
public:
    explicit Bytes(const QByteArray& data) : data_(data) {}
    qsizetype size() const { return data_.size(); }
    bool has(qsizetype at, qsizetype n) const {
        return at >= 0 && n >= 0 && at + n <= data_.size();
    }
    uint8_t u8(qsizetype at) const { return static_cast<uint8_t>(data_[at]); }
    uint16_t u16(qsizetype at) const { return static_cast<uint16_t>(u8(at) | (u8(at + 1) << 8)); }
    uint32_t u32(qsizetype at) const {
        return static_cast<uint32_t>(u16(at)) | (static_cast<uint32_t>(u16(at + 2)) << 16);
    }
    double f64(qsizetype at) const {
        uint64_t bits = static_cast<uint64_t>(u32(at)) | (static_cast<uint64_t>(u32(at + 4)) << 32);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const QByteArray& data() const { return data_; }

private:
    const QByteArray& data_;
};

// The streams of an OLE2 compound file.
class CompoundFile {
public:
    bool open(const QByteArray& file) {
        file_ = file;
        const Bytes b(file_);
        if (!b.has(0, 512)) return false;
        const uint16_t sector_shift = b.u16(0x1E);
        const uint16_t mini_shift = b.u16(0x20);
        if (sector_shift != 9 && sector_shift != 12) return false;
        if (mini_shift != 6) return false;
        sector_size_ = 1u << sector_shift;
        mini_cutoff_ = b.u32(0x38);
        if (mini_cutoff_ != 4096) return false;

        // The FAT's own sectors: 109 in the header, the rest in the DIFAT chain.
        const uint32_t fat_sectors = b.u32(0x2C);
        std::vector<uint32_t> fat_ids;
        for (int i = 0; i < 109 && fat_ids.size() < fat_sectors; ++i)
            fat_ids.push_back(b.u32(0x4C + 4 * i));
        uint32_t difat = b.u32(0x44);
        for (uint32_t guard = 0; fat_ids.size() < fat_sectors && difat < kEndOfChain; ++guard) {
            if (guard > sector_count()) return false;
            const qsizetype at = sector_offset(difat);
            if (!b.has(at, sector_size_)) return false;
            const uint32_t per = sector_size_ / 4 - 1;
            for (uint32_t i = 0; i < per && fat_ids.size() < fat_sectors; ++i)
                fat_ids.push_back(b.u32(at + 4 * i));
            difat = b.u32(at + 4 * per);
        }
        for (uint32_t id : fat_ids) {
            const qsizetype at = sector_offset(id);
            if (id >= kEndOfChain || !b.has(at, sector_size_)) return false;
            for (uint32_t i = 0; i < sector_size_ / 4; ++i) fat_.push_back(b.u32(at + 4 * i));
        }
        // Every link names a sector of the file or is one of the special markers; FreeXL
        // follows links without checking them.
        for (uint32_t link : fat_)
            if (link >= sector_count() && link < kSpecialMarkers) return false;

        QByteArray directory;
        if (!read_chain(b.u32(0x30), fat_, sector_size_, file_, 512, directory)) return false;
        const Bytes d(directory);
        for (qsizetype at = 0; d.has(at, 128); at += 128) {
            Entry e;
            const uint16_t name_bytes = d.u16(at + 64);
            if (name_bytes > 64 || name_bytes % 2 != 0 || d.u8(at + 66) > 5) return false;
            // The name's length counts its terminating zero.
            const int name_chars = std::max(name_bytes / 2 - 1, 0);
            for (int i = 0; i < name_chars; ++i)
                e.name += QChar(static_cast<char16_t>(d.u16(at + 2 * i)));
            e.type = d.u8(at + 66);
            e.start = d.u32(at + 116);
            e.size = d.u32(at + 120);
            entries_.push_back(e);
        }
        if (entries_.empty() || entries_[0].type != 5) return false;

        QByteArray mini_fat_bytes;
        if (b.u32(0x3C) < kEndOfChain &&
            !read_chain(b.u32(0x3C), fat_, sector_size_, file_, 512, mini_fat_bytes))
            return false;
        const Bytes m(mini_fat_bytes);
        for (qsizetype at = 0; m.has(at, 4); at += 4) mini_fat_.push_back(m.u32(at));
        if (entries_[0].start < kEndOfChain &&
            !read_chain(entries_[0].start, fat_, sector_size_, file_, 512, mini_stream_))
            return false;
        if (mini_stream_.size() < static_cast<qsizetype>(entries_[0].size)) return false;
        mini_stream_.truncate(entries_[0].size);
        const uint32_t mini_sectors = static_cast<uint32_t>((mini_stream_.size() + 63) / 64);
        for (uint32_t link : mini_fat_)
            if (link >= mini_sectors && link < kSpecialMarkers) return false;
        // Every stream starts inside the area it lives in.
        for (size_t i = 1; i < entries_.size(); ++i) {
            const Entry& e = entries_[i];
            if (e.type != 2 || e.size == 0) continue;
            const uint32_t limit = e.size < mini_cutoff_ ? mini_sectors : sector_count();
            if (e.start >= limit) return false;
        }
        return true;
    }

    bool stream(const QString& name, QByteArray& out) const {
        for (const Entry& e : entries_) {
            if (e.type != 2 || e.name.compare(name, Qt::CaseInsensitive) != 0) continue;
            const bool ok = e.size < mini_cutoff_
                                ? read_chain(e.start, mini_fat_, 64, mini_stream_, 0, out)
                                : read_chain(e.start, fat_, sector_size_, file_, 512, out);
            if (!ok || out.size() < static_cast<qsizetype>(e.size)) return false;
            out.truncate(e.size);
            return true;
        }
        return false;
    }

private:
    struct Entry {
        QString name;
        uint8_t type = 0;
        uint32_t start = kEndOfChain;
        uint32_t size = 0;
    };

    uint32_t sector_count() const {
        return static_cast<uint32_t>((file_.size() + sector_size_ - 1) / sector_size_);
    }
    qsizetype sector_offset(uint32_t id) const { return 512 + qsizetype(id) * sector_size_; }

    // Concatenates the sectors of a chain; a loop or a sector outside the data fails.
    static bool read_chain(uint32_t start, const std::vector<uint32_t>& table, uint32_t size,
                           const QByteArray& data, qsizetype base, QByteArray& out) {
        out.clear();
        const Bytes b(data);
        uint32_t id = start;
        for (size_t steps = 0; id != kEndOfChain; ++steps) {
            if (id >= table.size() || steps > table.size()) return false;
            const qsizetype at = base + qsizetype(id) * size;
            if (!b.has(at, 1)) return false;
            out.append(data.constData() + at, std::min<qsizetype>(size, data.size() - at));
            id = table[id];
        }
        return true;
    }

    QByteArray file_;
    uint32_t sector_size_ = 512;
    uint32_t mini_cutoff_ = 4096;
    std::vector<uint32_t> fat_;
    std::vector<uint32_t> mini_fat_;
    std::vector<Entry> entries_;
    QByteArray mini_stream_;
};

constexpr uint16_t kBof = 0x0809, kEof = 0x000A, kFilePass = 0x002F, kDateMode = 0x0022,
                   kFormat = 0x041E, kXf = 0x00E0, kBoundSheet = 0x0085, kFormula = 0x0006,
                   kString = 0x0207, kContinue = 0x003C, kLabel = 0x0204, kRString = 0x00D6,
                   kSst = 0x00FC, kLabelSst = 0x00FD, kDimension = 0x0200, kNumber = 0x0203,
                   kRk = 0x027E, kMulRk = 0x00BD, kBlank = 0x0201, kMulBlank = 0x00BE,
                   kBoolErr = 0x0205;

struct Record {
    uint16_t type;
    qsizetype data;  // where the data starts in the stream
    uint16_t size;
};

bool record_at(const Bytes& s, qsizetype at, Record& r) {
    if (!s.has(at, 4)) return false;
    r.type = s.u16(at);
    r.size = s.u16(at + 2);
    r.data = at + 4;
    return s.has(r.data, r.size);
}

// A BIFF8 unicode string whose characters may run on into further chunks (CONTINUE records),
// each of which starts with a fresh flags byte. The string starts at `at` in the first chunk
// with a character count of `count_bytes` bytes: 2 (XLUnicodeString) or 1 (the short form).
bool read_unicode_string(const Bytes& s, const std::vector<Record>& chunks, qsizetype at,
                         int count_bytes, QString& out) {
    out.clear();
    if (chunks.empty()) return false;
    const Record* chunk = &chunks[0];
    auto end_of = [](const Record& r) { return r.data + r.size; };
    if (at + count_bytes + 1 > end_of(*chunk)) return false;
    const int count = count_bytes == 2 ? s.u16(at) : s.u8(at);
    uint8_t flags = s.u8(at + count_bytes);
    qsizetype pos = at + count_bytes + 1;
    if (flags & 0x08) pos += 2;  // rich text: run count
    if (flags & 0x04) pos += 4;  // phonetic block size
    size_t next_chunk = 1;
    while (out.size() < count) {
        const int width = (flags & 0x01) ? 2 : 1;
        if (pos + width > end_of(*chunk)) {
            if (next_chunk >= chunks.size()) return false;
            chunk = &chunks[next_chunk++];
            if (chunk->size < 1) return false;
            flags = s.u8(chunk->data);
            pos = chunk->data + 1;
            continue;
        }
        out += QChar(static_cast<char16_t>(width == 2 ? s.u16(pos) : s.u8(pos)));
        pos += width;
    }
    return true;
}

// The shared string table: the SST record and the CONTINUE records after it hold exactly as
// many strings as the SST announces, each string's head inside one record, its characters
// running on into the next record only after a fresh flags byte. FreeXL reads and frees past
// its buffers on a table that does not hold together. Gives the number of strings.
bool check_shared_strings(const Bytes& s, const std::vector<Record>& chunks, uint32_t& unique) {
    if (chunks.empty() || chunks[0].size < 8) return false;
    unique = s.u32(chunks[0].data + 4);
    size_t chunk = 0;
    qsizetype pos = chunks[0].data + 8;
    auto end = [&] { return chunks[chunk].data + chunks[chunk].size; };
    // Skips n bytes that may run on into later records (rich-text runs, phonetic data).
    auto skip = [&](qint64 n) {
        while (n > 0) {
            const qint64 here = std::min<qint64>(n, end() - pos);
            pos += here;
            n -= here;
            if (n > 0) {
                if (++chunk >= chunks.size()) return false;
                pos = chunks[chunk].data;
            }
        }
        return true;
    };
    for (uint32_t i = 0; i < unique; ++i) {
        if (pos == end()) {  // a string may start a new record
            if (++chunk >= chunks.size()) return false;
            pos = chunks[chunk].data;
        }
        if (pos + 3 > end()) return false;
        qint64 chars = s.u16(pos);
        uint8_t flags = s.u8(pos + 2);
        pos += 3;
        if (flags & ~0x0Du) return false;
        qint64 runs = 0, phonetic = 0;
        if (flags & 0x08) {
            if (pos + 2 > end()) return false;
            runs = s.u16(pos);
            pos += 2;
        }
        if (flags & 0x04) {
            if (pos + 4 > end()) return false;
            phonetic = s.u32(pos);
            pos += 4;
        }
        while (chars > 0) {
            const int width = (flags & 0x01) ? 2 : 1;
            const qint64 fit = (end() - pos) / width;
            if (fit >= chars) {
                pos += chars * width;
                break;
            }
            if ((end() - pos) % width != 0) return false;  // a character split between records
            chars -= fit;
            if (++chunk >= chunks.size()) return false;
            pos = chunks[chunk].data;
            if (chunks[chunk].size < 1) return false;
            flags = s.u8(pos);
            if (flags & ~0x01u) return false;
            ++pos;
        }
        if (!skip(runs * 4) || !skip(phonetic)) return false;
    }
    return true;
}

bool is_cell_record(uint16_t type) {
    switch (type) {
        case kNumber:
        case kRk:
        case kMulRk:
        case kLabelSst:
        case kLabel:
        case kRString:
        case kBlank:
        case kMulBlank:
        case kBoolErr:
        case kFormula:
            return true;
        default:
            return false;
    }
}

// One sheet's substream, from its BOF to the matching EOF: at most one DIMENSION, ahead of
// every cell, with a sane extent; every cell inside it. FreeXL sizes its cell array from the
// first DIMENSION and frees it on a second, and places cells by their row and column.
// An empty text when the sheet holds together, else what is wrong with it.
QString check_sheet(const Bytes& s, qsizetype at, bool biff8, uint32_t strings) {
    Record r{};
    if (!record_at(s, at, r) || r.type != kBof) return QStringLiteral("工作表位置无效");
    const bool worksheet = r.size >= 4 && s.u16(r.data + 2) == 0x0010;
    int depth = 0;
    bool dimension_seen = false;
    uint32_t rows = 0, columns = 0;
    for (; record_at(s, at, r); at = r.data + r.size) {
        if (r.type == kBof) ++depth;
        if (r.type == kEof && --depth == 0) return QString();
        if (r.type == kDimension) {
            if (dimension_seen) return QStringLiteral("工作表范围记录重复");
            dimension_seen = true;
            if (r.size < (biff8 ? 14 : 10)) return QStringLiteral("工作表范围记录无效");
            const uint32_t first_row = biff8 ? s.u32(r.data) : s.u16(r.data);
            rows = biff8 ? s.u32(r.data + 4) : s.u16(r.data + 2);
            const qsizetype c = r.data + (biff8 ? 8 : 4);
            const uint32_t first_column = s.u16(c);
            columns = s.u16(c + 2);
            if (first_row > rows || first_column > columns || rows > 65536 || columns > 256)
                return QStringLiteral("工作表范围记录无效");
            if (quint64(rows) * columns > quint64(kMaxSheetCells))
                return QStringLiteral("工作表范围超过%1个单元格").arg(kMaxSheetCells);
            continue;
        }
        if (!worksheet || depth != 1 || !is_cell_record(r.type)) continue;
        if (!dimension_seen || r.size < 6) return QStringLiteral("单元格记录无效");
        const uint32_t row = s.u16(r.data);
        uint32_t first = s.u16(r.data + 2), last = first;
        if (r.type == kMulRk || r.type == kMulBlank) {
            // row, first column, n entries (6 bytes each for RK, 2 for blanks), last column
            last = s.u16(r.data + r.size - 2);
            const qsizetype entry = r.type == kMulRk ? 6 : 2;
            if (last < first || 4 + (qsizetype(last - first) + 1) * entry + 2 != r.size)
                return QStringLiteral("单元格记录无效");
        }
        if (row >= rows || last >= columns) return QStringLiteral("单元格超出工作表范围");
        if (r.type == kLabelSst && (r.size < 10 || s.u32(r.data + 6) >= strings))
            return QStringLiteral("共享字符串编号无效");
    }
    return QStringLiteral("工作表没有结束记录");
}

}  // namespace

bool xls_check_structure(const QString& path, QString* error) {
    auto damaged = [&](const QString& detail) {
        if (error) *error = damaged_text(path, detail);
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return damaged(file.errorString());
    if (file.size() > kMaxFileSize) return damaged(QStringLiteral("文件过大"));
    CompoundFile compound;
    if (!compound.open(file.readAll())) return damaged(QStringLiteral("文件结构无效"));
    QByteArray workbook;
    if (!compound.stream(QStringLiteral("Workbook"), workbook) &&
        !compound.stream(QStringLiteral("Book"), workbook)) {
        if (error)
            *error =
                QStringLiteral("文件“%1”不是Excel工作簿（.xls或.xlsx）。").arg(file_label(path));
        return false;
    }
    // Every record lies inside the stream, the first is a BOF, and each sheet the globals
    // name starts with a BOF of its own.
    const Bytes s(workbook);
    Record r{};
    if (!record_at(s, 0, r) || r.type != kBof) return damaged(QStringLiteral("缺少工作簿开始记录"));
    const bool biff8 = r.size >= 2 && s.u16(r.data) == 0x0600;
    std::vector<qint64> sheets;
    bool in_globals = true;
    bool sst_seen = false;
    uint32_t strings = 0;
    qsizetype at = 0;
    for (; record_at(s, at, r); at = r.data + r.size) {
        if (in_globals && r.type == kEof) in_globals = false;
        if (in_globals && r.type == kSst) {
            if (sst_seen) return damaged(QStringLiteral("共享字符串表重复"));
            sst_seen = true;
            std::vector<Record> chunks{r};
            Record more{};
            for (qsizetype next = r.data + r.size;
                 record_at(s, next, more) && more.type == kContinue; next = more.data + more.size)
                chunks.push_back(more);
            if (!check_shared_strings(s, chunks, strings))
                return damaged(QStringLiteral("共享字符串表无效"));
        }
        if (in_globals && biff8 && r.type == kFormat) {
            if (r.size < 5) return damaged(QStringLiteral("格式记录无效"));
            const int chars = s.u16(r.data + 2);
            const int width = (s.u8(r.data + 4) & 0x01) ? 2 : 1;
            if (5 + chars * width > r.size) return damaged(QStringLiteral("格式记录无效"));
        }
        if (r.type == kLabel || r.type == kRString) {
            // row, column, format, character count, [flags,] characters
            const int head = biff8 ? 9 : 8;
            if (r.size < head) return damaged(QStringLiteral("文字单元格无效"));
            const int chars = s.u16(r.data + 6);
            const int width = biff8 && (s.u8(r.data + 8) & 0x01) ? 2 : 1;
            if (head + chars * width > r.size) return damaged(QStringLiteral("文字单元格无效"));
        }
        if (in_globals && r.type == kBoundSheet) {
            // BIFF8 names carry a flags byte (8-bit or 16-bit characters); BIFF5 names do not.
            if (r.size < 7 + (biff8 ? 1 : 0)) return damaged(QStringLiteral("工作表记录无效"));
            const int chars = s.u8(r.data + 6);
            const int width = biff8 && (s.u8(r.data + 7) & 0x01) ? 2 : 1;
            if (7 + (biff8 ? 1 : 0) + chars * width > r.size)
                return damaged(QStringLiteral("工作表名无效"));
            sheets.push_back(s.u32(r.data));
        }
    }
    // Trailing bytes too short for a record header are padding.
    if (s.size() - at >= 4) return damaged(QStringLiteral("记录超出数据流"));
    for (qint64 sheet : sheets) {
        const QString problem = check_sheet(s, static_cast<qsizetype>(sheet), biff8, strings);
        if (!problem.isEmpty()) return damaged(problem);
    }
    return true;
}

bool xls_formula_results(const QString& path, const QString& sheet_name,
                         std::vector<FormulaCell>& out) {
    out.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize) return false;
    CompoundFile compound;
    if (!compound.open(file.readAll())) return false;
    QByteArray workbook;
    if (!compound.stream(QStringLiteral("Workbook"), workbook)) return false;
    const Bytes s(workbook);

    // The workbook globals: BIFF8 only, not encrypted.
    Record r{};
    if (!record_at(s, 0, r) || r.type != kBof || r.size < 2 || s.u16(r.data) != 0x0600)
        return false;
    bool date1904 = false;
    QHash<int, bool> custom_formats;
    std::vector<uint16_t> xf_formats;
    qint64 sheet_at = -1;
    for (qsizetype at = r.data + r.size; record_at(s, at, r); at = r.data + r.size) {
        if (r.type == kEof) break;
        if (r.type == kFilePass) return false;
        if (r.type == kDateMode && r.size >= 2) date1904 = s.u16(r.data) != 0;
        if (r.type == kXf && r.size >= 4) xf_formats.push_back(s.u16(r.data + 2));
        if (r.type == kFormat && r.size >= 5) {
            QString code;
            if (read_unicode_string(s,
                                    {Record{r.type, r.data + 2, static_cast<uint16_t>(r.size - 2)}},
                                    r.data + 2, 2, code))
                custom_formats.insert(s.u16(r.data), is_date_format_code(code));
        }
        if (r.type == kBoundSheet && r.size >= 8) {
            QString name;
            if (read_unicode_string(s,
                                    {Record{r.type, r.data + 6, static_cast<uint16_t>(r.size - 6)}},
                                    r.data + 6, 1, name) &&
                name == sheet_name)
                sheet_at = s.u32(r.data);
        }
    }
    if (sheet_at < 0) return false;

    auto is_date_xf = [&](uint16_t xf) {
        if (xf >= xf_formats.size()) return false;
        const int format = xf_formats[xf];
        return custom_formats.contains(format) ? custom_formats.value(format)
                                               : is_builtin_date_format(format);
    };

    // The sheet's substream; charts embedded in it are substreams of their own.
    if (!record_at(s, sheet_at, r) || r.type != kBof) return false;
    int depth = 1;
    bool string_pending = false;
    int pending_row = 0, pending_column = 0;
    for (qsizetype at = r.data + r.size; depth > 0 && record_at(s, at, r); at = r.data + r.size) {
        if (r.type == kBof) ++depth;
        if (r.type == kEof) --depth;
        if (depth != 1) continue;
        if (r.type == kFormula && r.size >= 20) {
            string_pending = false;
            FormulaCell cell;
            cell.row = s.u16(r.data);
            cell.column = s.u16(r.data + 2);
            const uint16_t xf = s.u16(r.data + 4);
            const qsizetype value = r.data + 6;
            if (s.u16(value + 6) == 0xFFFF) {
                switch (s.u8(value)) {
                    case 0:  // text: the next STRING record holds it
                        string_pending = true;
                        pending_row = cell.row;
                        pending_column = cell.column;
                        continue;
                    case 1:
                        cell.cell.kind = SheetCell::Kind::Number;
                        cell.cell.number = s.u8(value + 2) ? 1.0 : 0.0;
                        break;
                    default:
                        continue;  // an error value or an empty text
                }
            } else {
                const double number = s.f64(value);
                if (!std::isfinite(number)) continue;
                if (is_date_xf(xf) && serial_to_date_text(number, date1904, cell.cell.text)) {
                    cell.cell.kind = SheetCell::Kind::Date;
                } else {
                    cell.cell.kind = SheetCell::Kind::Number;
                    cell.cell.number = number;
                }
            }
            out.push_back(std::move(cell));
            if (out.size() > size_t(kMaxSheetCells)) return false;
        } else if (r.type == kString && string_pending) {
            string_pending = false;
            std::vector<Record> chunks{r};
            Record more{};
            for (qsizetype next = r.data + r.size;
                 record_at(s, next, more) && more.type == kContinue; next = more.data + more.size)
                chunks.push_back(more);
            FormulaCell cell;
            cell.row = pending_row;
            cell.column = pending_column;
            if (read_unicode_string(s, chunks, r.data, 2, cell.cell.text) &&
                !cell.cell.text.isEmpty()) {
                cell.cell.kind = SheetCell::Kind::Text;
                out.push_back(std::move(cell));
            }
        }
    }
    return true;
}

}  // namespace platform::excel::detail
