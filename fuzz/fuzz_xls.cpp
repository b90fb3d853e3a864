// The .xls reader: structure check, FreeXL, the formula results, and the sheet as a table.
#include "fuzz_input.h"
#include "platform/excel_readers.h"

using namespace platform::excel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz_input_file(data, size, ".xls");
    QStringList names;
    QString error;
    // As the sheet reader process runs them: the limits on what a sheet may hold included.
    if (!sheet_names_here(path, names, &error)) return 0;
    for (int i = 0; i < names.size() && i < 4; ++i) {
        SheetData sheet;
        if (read_sheet_here(path, names[i], sheet, &error)) make_sheet_table(sheet);
    }
    return 0;
}
