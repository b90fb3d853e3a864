#pragma once
// Workbooks are read in a short-lived process of our own, the sheet reader
// (feeoffice-sheet-reader, shipped beside the program), so that no workbook can crash, hang or
// exhaust the program: a damaged or crafted file is untrusted input, and FreeXL trusts lengths
// it finds in the file. The reader runs under limits on its address space and CPU time and a
// limit on the wall-clock time it may take; it hands the sheet back over a pipe. Whatever
// ends it early becomes a clear message, and the caller has read nothing.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/excel_sheet.h"

namespace platform::excel {

struct SheetReaderLimits {
    qint64 memory_bytes = qint64(2) << 30;  // address space of the reader process
    int seconds = 120;                      // CPU and wall-clock time
};

// The reader program in use: the one given by set_sheet_reader_program, else the one beside
// the running executable, else the one the build laid out in its program folder.
QString sheet_reader_program();

// For tests: another reader program (an empty text returns to the usual one) and other
// limits.
void set_sheet_reader_program(const QString& program);
void set_sheet_reader_limits(const SheetReaderLimits& limits);
SheetReaderLimits sheet_reader_limits();

// Runs the reader. `arguments` are the reader's (see sheet_reader_main). True with the
// reader's output when it ended normally; false with the message otherwise.
bool run_sheet_reader(const QString& path, const QStringList& arguments, QByteArray& output,
                      QString* error);

// What the reader writes: a result of one of the two requests, or a failure with its text.
QByteArray encode_sheet_failure(const QString& error);
QByteArray encode_sheet(const SheetData& sheet);
QByteArray encode_sheet_names(const QStringList& names);
// False with the reader's own message (a failure it reported), or, for output that does not
// decode, a message that the reader failed.
bool decode_sheet(const QByteArray& bytes, const QString& path, SheetData& out, QString* error);
bool decode_sheet_names(const QByteArray& bytes, const QString& path, QStringList& out,
                        QString* error);

// The reader's whole work: arguments "sheet <path> <reference>" or "names <path>"; writes the
// encoded result to standard output. Returns the process's exit code: 0 for a result or a
// reported failure, 2 for wrong arguments, 3 when memory ran out.
int sheet_reader_main(int argc, char** argv);

}  // namespace platform::excel
