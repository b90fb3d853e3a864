#pragma once
// The handheld reader's DBF file: the route of meters to read (one record per meter, laid out
// by the current scheme) and the import of the device's file back into the pending batch.
//
// The file is written and read directly through shapelib; text goes in GBK, each value cut to
// its field's width in bytes at a whole character.
#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "reading/handheld_schemes.h"

namespace platform {
struct Connection;
}

namespace reading {

inline const QString kHandheldFileName = QStringLiteral("chaobiao.dbf");

// One row of the export list (cells of 抄表机_列表框 by position).
struct HandheldRow {
    QString account;       // 0 户号, half-width
    QString name;          // 1 用户名
    QString fee_item;      // 2 收费项目
    QString category;      // 3 价格类别
    QString address;       // 4 居住街道 + 详细地址
    QString meter_number;  // 5 计量编号
    QString last_reading;  // 6 start reading of this month
    QString last_usage;    // 7 用量 of the latest committed reading, 0 without one
    QString multiplier;    // 8 倍率
    QStringList cells() const;
    static HandheldRow from_cells(const QStringList& cells);
};

// The route: meters of every state, optionally of one reader and one fee item, in 抄表序号
// order; the last reading and usage for the month of `today`.
struct RouteConditions {
    bool by_reader = false;
    QString reader;
    bool by_fee_item = false;
    QString fee_item;
};
struct RouteOutcome {
    bool ok = false;
    QString message;  // refusal
    enum class Focus { None, Reader, FeeItem } focus = Focus::None;
    QString statement;
};
RouteOutcome handheld_route_statement(const RouteConditions& conditions);
std::vector<HandheldRow> handheld_route_rows(platform::Connection& connection,
                                             const QString& statement, const QDate& today);

// GBK bytes of the text, cut to at most `width` bytes without splitting a character.
QByteArray gbk_cut(const QString& text, int width);
// The text of a value cut to the width in bytes (a Chinese character takes two).
QString truncate_dbf_field_value(const QString& value, int width);

// The value a field carries for a list row, before the width rule; `category_number` the
// 编号 of the row's price category ("0" when it has none).
QString handheld_item_value(const QString& item, const HandheldRow& row,
                            const QString& category_number);

struct ExportOutcome {
    bool ok = false;
    QString message;  // what to show (success or failure)
    bool information_icon = false;
    int records = 0;
};
// Writes the file at `path` (an existing one replaced). A failure leaves no file behind.
ExportOutcome export_handheld_file(platform::Connection& connection, const QString& scheme,
                                   const QString& path, const std::vector<HandheldRow>& rows,
                                   const std::function<void(int)>& progress = {});

// The three items of each record of a device file.
struct DeviceRecord {
    QString account;  // trimmed, half-width
    double start = 0;
    double end = 0;
};
struct DeviceFile {
    bool ok = false;
    QString error;  // why the file was refused
    std::vector<DeviceRecord> records;
    int deleted_records = 0;  // marked deleted in the file: not readings, left out
};
// Reads a device file laid out by the scheme. A file that is not a sound DBF table, or lacks
// the scheme's fields for 抄表户号, 上月度数 or 本月度数, is refused whole. Records the file
// marks deleted are left out and counted.
DeviceFile read_handheld_file(platform::Connection& connection, const QString& scheme,
                              const QString& path);

struct FailedRecord {
    QString account;
    QString error;  // the database's text
};
struct ImportOutcome {
    bool ok = false;  // the run was committed (false: nothing was written)
    QString message;  // why nothing was written
    int records = 0;
    int inserted = 0;
    bool cleared = false;               // the batch was emptied first
    std::vector<FailedRecord> failures;  // records whose insert failed
    QStringList unknown_accounts;       // records skipped: no such meter account
};
// Adds one pending reading per record dated `today`, after emptying the batch when
// `clear_pending`. A record whose insert fails is left out and listed; the rest stays.
ImportOutcome import_handheld_records(platform::Connection& connection,
                                      const std::vector<DeviceRecord>& records,
                                      bool clear_pending, const QDate& today,
                                      const std::function<void(int)>& progress = {});

// The one box that ends an import: how many records went in, how many did not and why.
// "数据导入成功，已加入到手动抄表临时库。" only when at least one record went in.
QString handheld_import_summary(const ImportOutcome& outcome, int deleted_records);

}  // namespace reading
