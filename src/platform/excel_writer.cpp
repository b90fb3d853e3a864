#include "platform/excel_writer.h"

#include <xlsxwriter.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/files.h"

namespace platform::excel {

namespace {

constexpr size_t kCellCharsMax = 32767;

// The first kCellCharsMax characters of a longer UTF-8 text.
std::string cut_to_cell(const char* text) {
    size_t chars = 0;
    const char* p = text;
    for (; *p; ++p) {
        if ((static_cast<unsigned char>(*p) & 0xC0) != 0x80) {
            if (chars == kCellCharsMax) break;
            ++chars;
        }
    }
    return std::string(text, static_cast<size_t>(p - text));
}

bool is_hex(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

// A text that itself reads like the format's escape of a character ("_x0041_") gets its
// underscore escaped ("_x005F_x0041_"), so that spreadsheet programs show it as written.
// libxlsxwriter escapes control characters but not this.
bool escape_literal_escapes(const char* text, std::string& out) {
    if (!std::strstr(text, "_x")) return false;
    out.clear();
    bool changed = false;
    for (const char* p = text; *p; ++p) {
        if (p[0] == '_' && p[1] == 'x' && is_hex(p[2]) && is_hex(p[3]) && is_hex(p[4]) &&
            is_hex(p[5]) && p[6] == '_') {
            out += "_x005F_";
            changed = true;
            continue;
        }
        out += *p;
    }
    return changed;
}

}  // namespace

XlsxSheetWriter::XlsxSheetWriter() = default;

XlsxSheetWriter::~XlsxSheetWriter() { discard(); }

QString workbook_target_refusal(const QString& path) {
    const QFileInfo target(path);
    if (path.isEmpty()) return QStringLiteral("没有给出导出文件名。");
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("文件夹“%1”不存在。").arg(QDir::toNativeSeparators(folder));
    if (target.isDir()) return QStringLiteral("“%1”是一个文件夹，不能写成工作簿。").arg(path);
    // The owner's write bit counts too: a file marked read-only stays untouched even for a
    // user (root) whom the system would let write it.
    if (target.exists() &&
        (!target.isWritable() || !(target.permissions() & QFileDevice::WriteOwner)))
        return QStringLiteral("文件“%1”是只读的或正被使用，无法写入。").arg(path);
    return {};
}

bool XlsxSheetWriter::begin(const QString& path, const QString& sheet_name, QString* error) {
    discard();
    auto fail = [&](QString text) {  // by value: discard() clears first_error_
        discard();
        if (error) *error = text;
        return false;
    };
    if (const QString refusal = workbook_target_refusal(path); !refusal.isEmpty())
        return fail(refusal);
    const QFileInfo target(path);
    const QString folder = target.absolutePath();

    // The temporary file sits in the target's folder so that the final rename stays on one
    // file system and replaces the target in one step.
    QTemporaryFile temp(folder + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    temp.setAutoRemove(false);
    if (!temp.open())
        return fail(QStringLiteral("无法在文件夹“%1”中写入文件：%2。")
                        .arg(QDir::toNativeSeparators(folder), temp.errorString()));
    temp_path_ = temp.fileName();
    temp.close();
    // The name is ours now; libxlsxwriter creates the file afresh, with the usual permissions
    // rather than the temporary file's owner-only ones.
    QFile::remove(temp_path_);
    target_ = target.absoluteFilePath();
    temp_path_bytes_ = QFile::encodeName(temp_path_);
    tmpdir_bytes_ = QFile::encodeName(platform::temp_folder());

    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;  // rows go straight to disk: memory stays flat
    options.tmpdir = tmpdir_bytes_.isEmpty() ? nullptr : tmpdir_bytes_.data();
    options.use_zip64 = LXW_TRUE;
    workbook_ = workbook_new_opt(temp_path_bytes_.constData(), &options);
    if (!workbook_) return fail(QStringLiteral("无法创建工作簿“%1”。").arg(path));

    const QByteArray name = (sheet_name.isEmpty() ? QStringLiteral("Sheet1") : sheet_name).toUtf8();
    const lxw_error name_check = workbook_validate_sheet_name(workbook_, name.constData());
    if (name_check != LXW_NO_ERROR)
        return fail(
            QStringLiteral("工作表名“%1”无效：%2。").arg(sheet_name, lxw_strerror(name_check)));
    sheet_ = workbook_add_worksheet(workbook_, name.constData());
    if (!sheet_) return fail(QStringLiteral("工作表名“%1”无效。").arg(sheet_name));
    return true;
}

void XlsxSheetWriter::start_row() {
    if (!sheet_) return;
    if (next_row_ >= LXW_ROW_MAX && first_error_.isEmpty())
        first_error_ = QStringLiteral("行数超过了工作表的上限%1行。").arg(LXW_ROW_MAX);
    ++next_row_;
}

void XlsxSheetWriter::note_cell_error(int column, int rc) {
    if (rc != LXW_NO_ERROR && first_error_.isEmpty())
        first_error_ = QStringLiteral("第%1行第%2列无法写入：%3。")
                           .arg(next_row_)
                           .arg(column + 1)
                           .arg(QString::fromUtf8(lxw_strerror(static_cast<lxw_error>(rc))));
}

void XlsxSheetWriter::put_text(int column, const char* text) {
    if (!sheet_ || next_row_ > LXW_ROW_MAX || !text || !*text) return;
    const auto row = static_cast<lxw_row_t>(next_row_ - 1);
    if (escape_literal_escapes(text, escaped_)) text = escaped_.c_str();
    lxw_error rc =
        worksheet_write_string(sheet_, row, static_cast<lxw_col_t>(column), text, nullptr);
    if (rc == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED) {
        const std::string cut = cut_to_cell(text);
        rc = worksheet_write_string(sheet_, row, static_cast<lxw_col_t>(column), cut.c_str(),
                                    nullptr);
    }
    note_cell_error(column, rc);
}

void XlsxSheetWriter::put_number(int column, double value, int decimals) {
    if (!sheet_ || next_row_ > LXW_ROW_MAX || !std::isfinite(value)) return;
    lxw_format* format = nullptr;
    if (decimals >= 0) {
        decimals = std::min(decimals, 30);
        lxw_format*& made = number_formats_[decimals];
        if (!made) {
            made = workbook_add_format(workbook_);
            const std::string code = decimals > 0 ? "0." + std::string(size_t(decimals), '0') : "0";
            format_set_num_format(made, code.c_str());
        }
        format = made;
    }
    note_cell_error(column, worksheet_write_number(sheet_, static_cast<lxw_row_t>(next_row_ - 1),
                                                   static_cast<lxw_col_t>(column), value, format));
}

void XlsxSheetWriter::write_row(const char* const* cells, int count) {
    start_row();
    for (int c = 0; c < count; ++c) put_text(c, cells[c]);
}

bool XlsxSheetWriter::finish(QString* error) {
    if (!workbook_) {
        if (error) *error = QStringLiteral("工作簿没有开始写。");
        return false;
    }
    auto fail = [&](QString text) {  // by value: discard() clears first_error_
        discard();
        if (error) *error = text;
        return false;
    };
    if (!first_error_.isEmpty()) return fail(first_error_);
    const lxw_error rc = workbook_close(workbook_);
    workbook_ = nullptr;
    sheet_ = nullptr;
    if (rc != LXW_NO_ERROR)
        return fail(QStringLiteral("工作簿“%1”写入失败：%2。")
                        .arg(target_, QString::fromUtf8(lxw_strerror(rc))));
    // rename() replaces the target in one step; a reader never sees a partial workbook.
    if (std::rename(temp_path_bytes_.constData(), QFile::encodeName(target_).constData()) != 0)
        return fail(QStringLiteral("无法写入文件“%1”：%2。")
                        .arg(target_, QString::fromLocal8Bit(std::strerror(errno))));
    temp_path_.clear();
    temp_path_bytes_.clear();
    target_.clear();
    next_row_ = 0;
    return true;
}

void XlsxSheetWriter::discard() {
    if (workbook_) {
        // libxlsxwriter has no abort: closing writes the file, which is then removed.
        workbook_close(workbook_);
        workbook_ = nullptr;
    }
    sheet_ = nullptr;
    if (!temp_path_.isEmpty()) QFile::remove(temp_path_);
    temp_path_.clear();
    temp_path_bytes_.clear();
    target_.clear();
    first_error_.clear();
    number_formats_.clear();
    next_row_ = 0;
}

}  // namespace platform::excel
