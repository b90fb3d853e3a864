// .xls workbooks (BIFF in an OLE2 compound file) through FreeXL.
#include <freexl.h>

#include <QFile>

#include "platform/excel_readers.h"

namespace platform::excel::detail {

namespace {

QString freexl_error_text(int code) {
    switch (code) {
        case FREEXL_FILE_NOT_FOUND:
            return QStringLiteral("文件无法打开");
        case FREEXL_INSUFFICIENT_MEMORY:
            return QStringLiteral("内存不足");
        case FREEXL_INVALID_CFBF_HEADER:
        case FREEXL_CFBF_INVALID_SIGNATURE:
        case FREEXL_CFBF_INVALID_SECTOR_SIZE:
            return QStringLiteral("文件头无效");
        case FREEXL_CFBF_READ_ERROR:
        case FREEXL_CFBF_SEEK_ERROR:
            return QStringLiteral("文件被截断");
        case FREEXL_CFBF_EMPTY_FAT_CHAIN:
        case FREEXL_CFBF_ILLEGAL_FAT_ENTRY:
        case FREEXL_INVALID_MINI_STREAM:
        case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY:
            return QStringLiteral("文件分配表无效");
        case FREEXL_BIFF_INVALID_BOF:
        case FREEXL_BIFF_INVALID_SST:
        case FREEXL_BIFF_ILLEGAL_SST_INDEX:
        case FREEXL_ILLEGAL_RK_VALUE:
        case FREEXL_CRAFTED_FILE:
            return QStringLiteral("工作表数据无效");
        case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
            return QStringLiteral("文件中没有Excel工作簿");
        case FREEXL_INVALID_CHARACTER:
        case FREEXL_UNSUPPORTED_CHARSET:
            return QStringLiteral("文字编码无法识别");
        default:
            return QStringLiteral("FreeXL错误%1").arg(code);
    }
}

// Owns a FreeXL handle; FreeXL wants freexl_close() even after a failed open.
class XlsFile {
public:
    ~XlsFile() {
        if (handle_) freexl_close(handle_);
    }
    bool open(const QString& path, QString* error) {
        if (!xls_check_structure(path, error)) return false;
        const int rc = freexl_open(QFile::encodeName(path).constData(), &handle_);
        if (rc != FREEXL_OK) return fail(path, rc, error);
        unsigned int protection = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &protection) == FREEXL_OK &&
            protection == FREEXL_BIFF_OBFUSCATED) {
            if (error)
                *error = QStringLiteral("工作簿“%1”有密码保护，无法读取。").arg(file_label(path));
            return false;
        }
        return true;
    }
    bool names(const QString& path, QStringList& out, QString* error) {
        unsigned int count = 0;
        int rc = freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count);
        if (rc != FREEXL_OK) return fail(path, rc, error);
        for (unsigned int i = 0; i < count; ++i) {
            const char* name = nullptr;
            rc = freexl_get_worksheet_name(handle_, static_cast<unsigned short>(i), &name);
            if (rc != FREEXL_OK) return fail(path, rc, error);
            out << QString::fromUtf8(name ? name : "");
        }
        return true;
    }
    const void* handle() const { return handle_; }
    static bool fail(const QString& path, int rc, QString* error) {
        if (error) *error = damaged_text(path, freexl_error_text(rc));
        return false;
    }

private:
    const void* handle_ = nullptr;
};

bool fail_text(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

// FreeXL gives "HH:MM:SS" for a time of day; the database keeps date-times, and a time
// without a date is the spreadsheet's day zero.
QString freexl_date_text(unsigned char type, const char* text) {
    QString value = QString::fromUtf8(text ? text : "");
    if (type == FREEXL_CELL_TIME) return QStringLiteral("1899-12-30 ") + value;
    if (type == FREEXL_CELL_DATETIME && value.endsWith(QLatin1String(" 00:00:00"))) value.chop(9);
    return value;
}

}  // namespace

bool xls_sheet_names(const QString& path, QStringList& names, QString* error) {
    XlsFile file;
    return file.open(path, error) && file.names(path, names, error);
}

bool xls_read_sheet(const QString& path, int sheet_index, SheetData& out, QString* error) {
    XlsFile file;
    if (!file.open(path, error)) return false;
    const void* xls = file.handle();
    int rc = freexl_select_active_worksheet(xls, static_cast<unsigned short>(sheet_index));
    if (rc != FREEXL_OK) return XlsFile::fail(path, rc, error);
    unsigned int rows = 0;
    unsigned short columns = 0;
    rc = freexl_worksheet_dimensions(xls, &rows, &columns);
    if (rc != FREEXL_OK) return XlsFile::fail(path, rc, error);

    if (quint64(rows) * columns > quint64(kMaxSheetCells))
        return fail_text(error, too_large_text(path, cell_limit_text()));

    // Sparse rows: only cells that hold something are kept.
    std::vector<SheetRow> all(rows);
    qint64 cells_kept = 0;
    for (unsigned int r = 0; r < rows; ++r) {
        SheetRow& row = all[r];
        row.index = static_cast<int>(r);
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            rc = freexl_get_cell_value(xls, r, c, &value);
            if (rc != FREEXL_OK) return XlsFile::fail(path, rc, error);
            SheetCell cell;
            switch (value.type) {
                case FREEXL_CELL_INT:
                    cell.kind = SheetCell::Kind::Number;
                    cell.number = value.value.int_value;
                    break;
                case FREEXL_CELL_DOUBLE:
                    cell.kind = SheetCell::Kind::Number;
                    cell.number = value.value.double_value;
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    if (value.value.text_value && *value.value.text_value) {
                        cell.kind = SheetCell::Kind::Text;
                        cell.text = QString::fromUtf8(value.value.text_value);
                    }
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    cell.kind = SheetCell::Kind::Date;
                    cell.text = freexl_date_text(value.type, value.value.text_value);
                    break;
                default:
                    break;  // FREEXL_CELL_NULL: blank, error value or formula
            }
            if (cell.kind == SheetCell::Kind::Empty) continue;
            row.columns.push_back(c);
            row.cells.push_back(std::move(cell));
            ++cells_kept;
        }
    }

    // Formula cells, which FreeXL leaves empty, get their saved results.
    const char* name = nullptr;
    std::vector<FormulaCell> formulas;
    if (freexl_get_worksheet_name(xls, static_cast<unsigned short>(sheet_index), &name) ==
            FREEXL_OK &&
        name && xls_formula_results(path, QString::fromUtf8(name), formulas)) {
        for (FormulaCell& f : formulas) {
            if (f.row < 0 || f.row >= 65536 || f.column < 0 || f.column >= 256) continue;
            if (static_cast<size_t>(f.row) >= all.size()) {
                const size_t old = all.size();
                all.resize(static_cast<size_t>(f.row) + 1);
                for (size_t i = old; i < all.size(); ++i) all[i].index = static_cast<int>(i);
            }
            SheetRow& row = all[static_cast<size_t>(f.row)];
            if (row.at(f.column)) continue;
            if (++cells_kept > kMaxSheetCells)
                return fail_text(error, too_large_text(path, cell_limit_text()));
            row.set(f.column, std::move(f.cell));
        }
    }

    for (SheetRow& row : all)
        if (!row.cells.empty()) out.rows.push_back(std::move(row));
    return true;
}

}  // namespace platform::excel::detail
