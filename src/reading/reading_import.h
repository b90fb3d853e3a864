#pragma once
// The Excel import of end readings (批量抄表): the sheet is copied into the scratch table
// 导入暂存表 through the workbook bridge, and every row with a 户号 becomes a pending reading
// dated today, its start taken from the meter's history. Meters already pending, rows whose end
// lies below the start and account numbers that match no meter are left out and listed.
#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

namespace platform {
struct Connection;
}

namespace reading {

inline const QString kReadingScratchTable = QStringLiteral("导入暂存表");

struct ReadingImportOutcome {
    bool ok = false;  // false, without a message, when no row has a 户号
    QString message;  // the failure to show ("抄表导入失败!\r\n" + why); empty when ok
    int inserted = 0;
    QStringList end_below_start;  // 户号 whose sheet end lies below the start
    QStringList already_pending;  // 户号 that already have a pending reading
    QStringList unknown_accounts; // 户号 that match no meter account
    int skipped_totals = 0;       // totals rows of an exported list, passed over
};

// The start reading of this import: 开始起数, replaced by the end of the latest committed
// reading, replaced by the start of a meter change executed in today's month.
double import_start_reading(platform::Connection& connection, const QString& account,
                            const QDate& today);

// Runs the import of one sheet of a workbook (.xls or .xlsx). A workbook that cannot be read,
// or a sheet without 户号 or 止数, is refused and nothing is written; a row whose insert fails
// is passed over.
ReadingImportOutcome import_readings_from_workbook(platform::Connection& connection,
                                                   const QString& file, const QString& sheet,
                                                   const QDate& today,
                                                   const std::function<void(int, int)>& progress = {});

// Writes the numbers one per line, each ending in CR LF. False when the file cannot be written.
bool write_account_list_file(const QString& path, const QStringList& numbers);

}  // namespace reading
