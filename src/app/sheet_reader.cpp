// The sheet reader: reads one workbook in a process of its own, under the limits the program
// sets, and writes the sheet to standard output (see platform/excel_isolation.h).
#include "platform/excel_isolation.h"

int main(int argc, char** argv) { return platform::excel::sheet_reader_main(argc, argv); }
