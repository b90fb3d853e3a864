#pragma once
// Writing an Excel 97 workbook (.xls, BIFF8) of one sheet: a compound file whose Workbook
// stream holds the globals (fonts, cell formats, the sheet's entry, the shared texts) and one
// worksheet of text and number cells, a number cell shown with a given number of decimals. Texts
// are stored as UTF-16 shared strings, so Chinese reads back as written, and a text cell stays text
// ("0001" keeps its zeros).
//
// An .xls sheet holds at most 65,536 rows and 256 columns; a longer list must go to .xlsx.
// Like the .xlsx writer, the workbook is written to a temporary file beside the target and
// put in its place only when complete.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

namespace platform::excel {

inline constexpr int kXlsMaxRows = 65536;
inline constexpr int kXlsMaxColumns = 256;

// What a sheet of `rows` rows (the title row counted) too long for .xls is told: it names
// .xlsx, which holds it.
QString xls_too_many_rows_text(qint64 rows);

// Whether a file name asks for the Excel 97 format (ends in .xls, any case).
bool is_xls_file_name(const QString& path);

class XlsSheetWriter {
public:
    // Starts the workbook for `path` with one sheet named `sheet_name` ("Sheet1" when empty).
    // Fails, with a readable text, when the folder is missing, the target is a folder or a
    // read-only file, or the sheet name is not one Excel accepts.
    bool begin(const QString& path, const QString& sheet_name, QString* error);

    // The next row (the first call writes the first row): `count` UTF-8 texts; a null
    // pointer or an empty text leaves the cell empty. Texts longer than a cell holds (32,767
    // characters) are cut there. Too many rows or columns fail finish().
    void write_row(const char* const* cells, int count);
    // Cells of the row last started by write_row() or start_row().
    void start_row();
    void put_text(int column, const QString& text);
    // A number cell; with `decimals` of 0 or more it shows that many decimals ("0.00"), else
    // as the spreadsheet shows any number.
    void put_number(int column, double value, int decimals = -1);

    int rows_written() const { return next_row_; }

    // Builds the workbook and puts it in place of the target.
    bool finish(QString* error);

    // Drops the workbook; the target stays as it was.
    void discard();

private:
    bool cell_fits(int column);
    void cell_header(quint16 type, quint16 size, int column, quint16 xf);

    QString target_;
    QString sheet_name_;
    QString first_error_;
    QByteArray cells_;                 // the worksheet's cell records, in row order
    std::vector<int> number_formats_;  // decimals of each number format, in use order
    std::vector<QString> strings_;
    QHash<QString, quint32> string_index_;
    quint32 string_uses_ = 0;
    int next_row_ = 0;
    int max_column_ = -1;
    bool started_ = false;
};

// The workbook stream of a one-sheet workbook and the compound file that carries it; exposed
// for the tests of the record layout.
QByteArray xls_compound_file(const QByteArray& workbook_stream);

}  // namespace platform::excel
