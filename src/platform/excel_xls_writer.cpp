#include "platform/excel_xls_writer.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/excel_writer.h"

namespace platform::excel {

namespace {

// Record types of the workbook stream.
constexpr quint16 kBof = 0x0809;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kCodePage = 0x0042;
constexpr quint16 kWindow1 = 0x003D;
constexpr quint16 kDateMode = 0x0022;
constexpr quint16 kFont = 0x0031;
constexpr quint16 kFormat = 0x041E;
constexpr quint16 kXf = 0x00E0;
constexpr quint16 kStyle = 0x0293;
constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kSst = 0x00FC;
constexpr quint16 kContinue = 0x003C;
constexpr quint16 kExtSst = 0x00FF;
constexpr quint16 kDimensions = 0x0200;
constexpr quint16 kLabelSst = 0x00FD;
constexpr quint16 kNumber = 0x0203;
constexpr quint16 kWindow2 = 0x023E;

constexpr int kMaxRecordData = 8224;  // a record's data; more goes into CONTINUE records
constexpr quint16 kCellXf = 15;       // the first cell format after the 15 style formats
// The number formats a workbook defines itself are numbered from here; below are built-ins.
constexpr quint16 kFirstCustomFormat = 164;
constexpr int kCellCharsMax = 32767;

// Compound file.
constexpr quint32 kFreeSector = 0xFFFFFFFFu;
constexpr quint32 kEndOfChain = 0xFFFFFFFEu;
constexpr quint32 kFatSector = 0xFFFFFFFDu;
constexpr quint32 kDifatSector = 0xFFFFFFFCu;
constexpr quint32 kNoStream = 0xFFFFFFFFu;
constexpr int kSectorSize = 512;
constexpr int kMiniStreamCutoff = 4096;

void put8(QByteArray& b, quint8 v) { b.append(static_cast<char>(v)); }
void put16(QByteArray& b, quint16 v) {
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>(v >> 8));
}
void put32(QByteArray& b, quint32 v) {
    put16(b, static_cast<quint16>(v & 0xFFFF));
    put16(b, static_cast<quint16>(v >> 16));
}
void set32(QByteArray& b, qsizetype at, quint32 v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void put_utf16(QByteArray& b, QStringView text) {
    for (const QChar ch : text) put16(b, ch.unicode());
}

void record(QByteArray& out, quint16 type, const QByteArray& data) {
    put16(out, type);
    put16(out, static_cast<quint16>(data.size()));
    out += data;
}

QByteArray bof(quint16 substream) {
    QByteArray d;
    put16(d, 0x0600);  // BIFF8
    put16(d, substream);
    put16(d, 0x0DBB);  // build
    put16(d, 0x07CC);  // year
    put32(d, 0);       // file history
    put32(d, 0x0006);  // lowest version that reads it
    return d;
}

QByteArray font() {
    QByteArray d;
    put16(d, 200);     // 10 points, in twentieths
    put16(d, 0);       // no italics, no strike-out
    put16(d, 0x7FFF);  // window text colour
    put16(d, 400);     // normal weight
    put16(d, 0);       // no super- or subscript
    put8(d, 0);        // no underline
    put8(d, 0);        // family
    put8(d, 0x86);     // GB2312 character set
    put8(d, 0);
    const QString name = QStringLiteral("宋体");
    put8(d, static_cast<quint8>(name.size()));
    put8(d, 0x01);  // UTF-16
    put_utf16(d, name);
    return d;
}

// A cell format (or, with `style`, a style format) using number format `number_format`.
QByteArray xf(bool style, quint16 number_format = 0) {
    QByteArray d;
    put16(d, 0);                        // font 0
    put16(d, number_format);            // 0: General
    put16(d, style ? 0xFFF5 : 0x0001);  // locked; a style format has no parent
    put8(d, 0x20);                      // bottom aligned
    put8(d, 0);
    put8(d, 0);
    put8(d, number_format ? 0x04 : 0);  // a number format of its own, not its style's
    put32(d, 0);                        // no borders
    put32(d, 0);
    put16(d, 0x20C0);  // pattern colours: automatic
    return d;
}

// The shared-string table with its CONTINUE records, and the index of it (EXTSST) that readers
// use to find strings quickly: the stream position of every n-th string.
void shared_strings(QByteArray& out, const std::vector<QString>& strings, quint32 uses) {
    const qsizetype start = out.size();
    std::vector<QByteArray> chunks(1);
    put32(chunks[0], uses);
    put32(chunks[0], static_cast<quint32>(strings.size()));
    const size_t per_bucket =
        std::max<size_t>(8, (strings.size() + 126) / 127);  // at most 127 index entries
    struct Start {
        size_t chunk;
        qsizetype offset;
    };
    std::vector<Start> bucket_starts;
    for (size_t i = 0; i < strings.size(); ++i) {
        const QString& s = strings[i];
        const qsizetype n = s.size();
        // A string's header and its first character stay in one record. A string that would
        // spread over three records starts a record of its own: FreeXL reads a string
        // continued more than once wrongly, and one that starts a record reaches 8,221
        // characters in two.
        const qsizetype room_here = (kMaxRecordData - chunks.back().size() - 3) / 2;
        const bool fresh = chunks.size() > 1 && chunks.back().isEmpty();
        if (!fresh && (room_here < (n > 0 ? 1 : 0) || n > room_here + (kMaxRecordData - 1) / 2))
            chunks.emplace_back();
        if (i % per_bucket == 0) bucket_starts.push_back({chunks.size() - 1, chunks.back().size()});
        put16(chunks.back(), static_cast<quint16>(n));
        put8(chunks.back(), 0x01);  // UTF-16 characters
        qsizetype done = 0;
        while (done < n) {
            qsizetype room = (kMaxRecordData - chunks.back().size()) / 2;
            if (room == 0) {
                // The rest of the string continues in the next record, after its own flags.
                chunks.emplace_back();
                put8(chunks.back(), 0x01);
                room = (kMaxRecordData - 1) / 2;
            }
            const qsizetype take = std::min(room, n - done);
            put_utf16(chunks.back(), QStringView(s).mid(done, take));
            done += take;
        }
    }
    std::vector<qsizetype> chunk_at;
    qsizetype at = start;
    for (size_t k = 0; k < chunks.size(); ++k) {
        chunk_at.push_back(at);
        record(out, k == 0 ? kSst : kContinue, chunks[k]);
        at = out.size();
    }
    QByteArray index;
    put16(index, static_cast<quint16>(per_bucket));
    for (const Start& s : bucket_starts) {
        put32(index, static_cast<quint32>(chunk_at[s.chunk] + 4 + s.offset));
        put16(index, static_cast<quint16>(4 + s.offset));
        put16(index, 0);
    }
    record(out, kExtSst, index);
}

// "0", "0.00", ...: a number with exactly `decimals` decimals.
QString number_format_code(int decimals) {
    return decimals > 0 ? QStringLiteral("0.") + QString(decimals, u'0') : QStringLiteral("0");
}

bool valid_sheet_name(const QString& name) {
    if (name.isEmpty() || name.size() > 31) return false;
    if (name.startsWith(u'\'') || name.endsWith(u'\'')) return false;
    for (const QChar ch : name)
        if (QStringLiteral("[]:*?/\\").contains(ch)) return false;
    return true;
}

}  // namespace

QString xls_too_many_rows_text(qint64 rows) {
    return QStringLiteral(
               "要导出%1行（含标题行），Excel 97工作簿（.xls）的一张工作表最多只能有"
               "65,536行，请选择.xlsx格式导出。")
        .arg(rows);
}

bool is_xls_file_name(const QString& path) {
    return path.endsWith(QStringLiteral(".xls"), Qt::CaseInsensitive);
}

bool XlsSheetWriter::begin(const QString& path, const QString& sheet_name, QString* error) {
    discard();
    auto fail = [&](const QString& text) {
        discard();
        if (error) *error = text;
        return false;
    };
    if (const QString refusal = workbook_target_refusal(path); !refusal.isEmpty())
        return fail(refusal);
    const QFileInfo target(path);
    const QString name = sheet_name.isEmpty() ? QStringLiteral("Sheet1") : sheet_name;
    if (!valid_sheet_name(name)) return fail(QStringLiteral("工作表名“%1”无效。").arg(sheet_name));
    target_ = target.absoluteFilePath();
    sheet_name_ = name;
    started_ = true;
    return true;
}

bool XlsSheetWriter::cell_fits(int column) {
    if (next_row_ > kXlsMaxRows) return false;  // refused whole by finish()
    if (column >= kXlsMaxColumns) {
        if (first_error_.isEmpty())
            first_error_ = QStringLiteral(
                "Excel 97工作簿（.xls）的工作表最多只能有256列，"
                "请选择.xlsx格式导出。");
        return false;
    }
    return column >= 0;
}

void XlsSheetWriter::cell_header(quint16 type, quint16 size, int column, quint16 xf) {
    put16(cells_, type);
    put16(cells_, size);
    put16(cells_, static_cast<quint16>(next_row_ - 1));
    put16(cells_, static_cast<quint16>(column));
    put16(cells_, xf);
    max_column_ = std::max(max_column_, column);
}

void XlsSheetWriter::start_row() {
    if (!started_) return;
    ++next_row_;
}

void XlsSheetWriter::put_text(int column, const QString& text) {
    if (!started_ || text.isEmpty() || !cell_fits(column)) return;
    const QString cell = text.size() > kCellCharsMax ? text.left(kCellCharsMax) : text;
    auto found = string_index_.constFind(cell);
    if (found == string_index_.constEnd()) {
        found = string_index_.insert(cell, static_cast<quint32>(strings_.size()));
        strings_.push_back(cell);
    }
    ++string_uses_;
    cell_header(kLabelSst, 10, column, kCellXf);
    put32(cells_, *found);
}

void XlsSheetWriter::put_number(int column, double value, int decimals) {
    if (!started_ || !std::isfinite(value) || !cell_fits(column)) return;
    // Cell format kCellXf shows numbers as General; each number format in use has the next one.
    quint16 cell_xf = kCellXf;
    if (decimals >= 0) {
        decimals = std::min(decimals, 30);
        auto used = std::find(number_formats_.begin(), number_formats_.end(), decimals);
        if (used == number_formats_.end())
            used = number_formats_.insert(number_formats_.end(), decimals);
        cell_xf = static_cast<quint16>(kCellXf + 1 + (used - number_formats_.begin()));
    }
    cell_header(kNumber, 14, column, cell_xf);
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    put32(cells_, static_cast<quint32>(bits & 0xFFFFFFFFu));
    put32(cells_, static_cast<quint32>(bits >> 32));
}

void XlsSheetWriter::write_row(const char* const* cells, int count) {
    start_row();
    for (int c = 0; c < count; ++c)
        if (cells[c] && *cells[c]) put_text(c, QString::fromUtf8(cells[c]));
}

bool XlsSheetWriter::finish(QString* error) {
    auto fail = [&](const QString& text) {
        discard();
        if (error) *error = text;
        return false;
    };
    if (!started_) return fail(QStringLiteral("工作簿没有开始写。"));
    if (next_row_ > kXlsMaxRows) return fail(xls_too_many_rows_text(next_row_));
    if (!first_error_.isEmpty()) return fail(first_error_);

    // The globals: what every cell refers to, the sheet's entry and the shared texts.
    QByteArray stream;
    record(stream, kBof, bof(0x0005));
    QByteArray d;
    put16(d, 1200);  // texts are UTF-16
    record(stream, kCodePage, d);
    d.clear();
    for (const quint16 v : {0, 0, 0x4000, 0x2000, 0x0038, 0, 0, 1, 0x0258}) put16(d, v);
    record(stream, kWindow1, d);
    d.clear();
    put16(d, 0);  // dates count from 1900
    record(stream, kDateMode, d);
    // Font 4 is never written by Excel; four fonts cover the indexes formats may use.
    for (int i = 0; i < 4; ++i) record(stream, kFont, font());
    for (size_t i = 0; i < number_formats_.size(); ++i) {
        d.clear();
        put16(d, static_cast<quint16>(kFirstCustomFormat + i));
        const QString code = number_format_code(number_formats_[i]);
        put16(d, static_cast<quint16>(code.size()));
        put8(d, 0x01);  // UTF-16
        put_utf16(d, code);
        record(stream, kFormat, d);
    }
    for (int i = 0; i < 15; ++i) record(stream, kXf, xf(true));
    record(stream, kXf, xf(false));
    for (size_t i = 0; i < number_formats_.size(); ++i)
        record(stream, kXf, xf(false, static_cast<quint16>(kFirstCustomFormat + i)));
    d.clear();
    put16(d, 0x8000);  // built-in style of format 0
    put8(d, 0);        // Normal
    put8(d, 0xFF);
    record(stream, kStyle, d);
    d.clear();
    put32(d, 0);  // the sheet's position, set below
    put8(d, 0);   // visible
    put8(d, 0);   // worksheet
    put8(d, static_cast<quint8>(sheet_name_.size()));
    put8(d, 0x01);
    put_utf16(d, sheet_name_);
    const qsizetype sheet_position_at = stream.size() + 4;
    record(stream, kBoundSheet, d);
    shared_strings(stream, strings_, string_uses_);
    record(stream, kEof, {});
    set32(stream, sheet_position_at, static_cast<quint32>(stream.size()));

    // The worksheet.
    record(stream, kBof, bof(0x0010));
    d.clear();
    put32(d, 0);
    put32(d, static_cast<quint32>(max_column_ < 0 ? 0 : next_row_));
    put16(d, 0);
    put16(d, static_cast<quint16>(max_column_ + 1));
    put16(d, 0);
    record(stream, kDimensions, d);
    stream += cells_;
    d.clear();
    put16(d, 0x06B6);  // grid lines, headings, zeros; the selected and shown sheet
    put16(d, 0);
    put16(d, 0);
    put32(d, 0x40);
    put16(d, 0);
    put16(d, 0);
    put32(d, 0);
    record(stream, kWindow2, d);
    record(stream, kEof, {});
    cells_.clear();
    cells_.squeeze();

    const QByteArray file = xls_compound_file(stream);
    stream.clear();
    QSaveFile out(target_);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size() || !out.commit())
        return fail(QStringLiteral("无法写入文件“%1”：%2。").arg(target_, out.errorString()));
    discard();
    return true;
}

void XlsSheetWriter::discard() {
    target_.clear();
    sheet_name_.clear();
    first_error_.clear();
    cells_.clear();
    number_formats_.clear();
    strings_.clear();
    string_index_.clear();
    string_uses_ = 0;
    next_row_ = 0;
    max_column_ = -1;
    started_ = false;
}

QByteArray xls_compound_file(const QByteArray& workbook_stream) {
    // A stream below the cutoff would belong in the mini stream; padding it keeps every
    // stream in ordinary sectors. Readers stop at the records' own end.
    QByteArray stream = workbook_stream;
    if (stream.size() < kMiniStreamCutoff) stream.append(kMiniStreamCutoff - stream.size(), '\0');
    const quint32 stream_size = static_cast<quint32>(stream.size());
    const quint32 stream_sectors = (stream_size + kSectorSize - 1) / kSectorSize;
    stream.append(qsizetype(stream_sectors) * kSectorSize - stream.size(), '\0');

    // Sectors: the stream, one directory sector, the FAT and, past 109 FAT sectors, the
    // DIFAT sectors that list the rest.
    quint32 fat_sectors = 1, difat_sectors = 0;
    for (;;) {
        const quint32 total = stream_sectors + 1 + fat_sectors + difat_sectors;
        const quint32 fat = (total + 127) / 128;
        const quint32 difat = fat > 109 ? (fat - 109 + 126) / 127 : 0;
        if (fat == fat_sectors && difat == difat_sectors) break;
        fat_sectors = fat;
        difat_sectors = difat;
    }
    const quint32 directory_sector = stream_sectors;
    const quint32 first_fat = directory_sector + 1;
    const quint32 first_difat = first_fat + fat_sectors;

    std::vector<quint32> fat(size_t(fat_sectors) * 128, kFreeSector);
    for (quint32 i = 0; i + 1 < stream_sectors; ++i) fat[i] = i + 1;
    fat[stream_sectors - 1] = kEndOfChain;
    fat[directory_sector] = kEndOfChain;
    for (quint32 i = 0; i < fat_sectors; ++i) fat[first_fat + i] = kFatSector;
    for (quint32 i = 0; i < difat_sectors; ++i) fat[first_difat + i] = kDifatSector;

    QByteArray out;
    out.reserve(qsizetype(512) + stream.size() +
                qsizetype(1 + fat_sectors + difat_sectors) * kSectorSize);
    const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    out.append(signature, 8);
    out.append(16, '\0');  // class id
    put16(out, 0x003E);
    put16(out, 0x0003);  // version 3: 512-byte sectors
    put16(out, 0xFFFE);  // little-endian
    put16(out, 9);       // sector size 2^9
    put16(out, 6);       // mini sector size 2^6
    out.append(6, '\0');
    put32(out, 0);  // directory sectors (version 3: 0)
    put32(out, fat_sectors);
    put32(out, directory_sector);
    put32(out, 0);
    put32(out, kMiniStreamCutoff);
    put32(out, kEndOfChain);  // no mini FAT
    put32(out, 0);
    put32(out, difat_sectors ? first_difat : kEndOfChain);
    put32(out, difat_sectors);
    for (quint32 i = 0; i < 109; ++i) put32(out, i < fat_sectors ? first_fat + i : kFreeSector);

    out += stream;

    // The directory: the root and the Workbook stream, then two empty entries.
    auto entry = [&](const QString& name, quint8 type, quint32 child, quint32 start, quint32 size) {
        QByteArray e;
        put_utf16(e, name);
        e.append(64 - e.size(), '\0');
        put16(e, static_cast<quint16>(name.isEmpty() ? 0 : (name.size() + 1) * 2));
        put8(e, type);
        put8(e, type ? 1 : 0);  // black
        put32(e, kNoStream);
        put32(e, kNoStream);
        put32(e, child);
        e.append(16 + 4 + 16, '\0');  // class id, state, times
        put32(e, start);
        put32(e, size);
        put32(e, 0);
        out += e;
    };
    entry(QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    entry(QStringLiteral("Workbook"), 2, kNoStream, 0, stream_size);
    entry(QString(), 0, kNoStream, 0, 0);
    entry(QString(), 0, kNoStream, 0, 0);

    for (const quint32 link : fat) put32(out, link);
    for (quint32 k = 0; k < difat_sectors; ++k) {
        for (quint32 i = 0; i < 127; ++i) {
            const quint32 n = 109 + k * 127 + i;
            put32(out, n < fat_sectors ? first_fat + n : kFreeSector);
        }
        put32(out, k + 1 < difat_sectors ? first_difat + k + 1 : kEndOfChain);
    }
    return out;
}

}  // namespace platform::excel
