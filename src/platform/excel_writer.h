#pragma once
// Writing a workbook of one sheet of text and number cells (.xlsx, through libxlsxwriter). A
// text stays a text cell, so "0001" stays "0001" when a spreadsheet program opens it; a number
// cell can be shown with a given number of decimals.
//
// The workbook is written to a temporary file beside the target and renamed over it only when
// complete: a failed or abandoned export leaves an existing file as it was and no half file.
#include <QByteArray>
#include <QString>
#include <map>
#include <string>

struct lxw_format;
struct lxw_workbook;
struct lxw_worksheet;

namespace platform::excel {

// Why no workbook can be written at `path` (no name, a missing folder, a folder or a read-only
// file in its place), as the text a user reads; empty when one can.
QString workbook_target_refusal(const QString& path);

class XlsxSheetWriter {
public:
    XlsxSheetWriter();
    ~XlsxSheetWriter();  // an unfinished workbook is discarded
    XlsxSheetWriter(const XlsxSheetWriter&) = delete;
    XlsxSheetWriter& operator=(const XlsxSheetWriter&) = delete;

    // Starts the workbook for `path` with one sheet named `sheet_name` ("Sheet1" when empty).
    // Fails, with a readable text, when the folder is missing or not writable, the target is
    // a folder or a read-only file, or the sheet name is not one Excel accepts.
    bool begin(const QString& path, const QString& sheet_name, QString* error);

    // The next row (the first call writes the first row): `count` UTF-8 texts; a null
    // pointer or an empty text leaves the cell empty. Texts longer than a cell holds (32,767
    // characters) are cut there. Errors are kept and reported by finish().
    void write_row(const char* const* cells, int count);
    // Cells of the row last started by write_row() or start_row(): a UTF-8 text (null or empty:
    // no cell), a number shown with `decimals` decimals ("0.00") or, when negative, as the
    // spreadsheet shows any number.
    void start_row();
    void put_text(int column, const char* text);
    void put_number(int column, double value, int decimals = -1);

    int rows_written() const { return next_row_; }

    // Completes the workbook and puts it in place of the target.
    bool finish(QString* error);

    // Drops an unfinished workbook; the target stays as it was.
    void discard();

private:
    // Keeps the first failure of a cell of the current row (a libxlsxwriter error code).
    void note_cell_error(int column, int rc);

    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    QString target_;
    QString temp_path_;
    QByteArray temp_path_bytes_;
    QByteArray tmpdir_bytes_;
    QString first_error_;
    std::string escaped_;
    std::map<int, lxw_format*> number_formats_;  // by decimals; the workbook owns them
    int next_row_ = 0;
};

}  // namespace platform::excel
