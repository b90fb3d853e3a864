#include "reading/handheld_file.h"

#include <shapefil.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/query.h"
#include "reading/reading_rules.h"
#include "tariffs/bills.h"

namespace reading {

namespace {

using platform::OnFailure;
using platform::sql_quote;

const QString kTextType = QStringLiteral("文本型");
const QString kDateType = QStringLiteral("日期型");
// The DBF header's language driver for GBK (code page 936).
const char* const kGbkCodePage = "LDID/77";
// A DBF field name holds at most ten bytes.
constexpr int kFieldNameBytes = 10;

// One encoder per thread: opening a converter costs more than encoding a short value.
QByteArray to_gbk(const QString& text) {
    thread_local QStringEncoder encoder("GBK");
    encoder.resetState();
    return encoder.encode(text);
}

QString from_gbk(const char* bytes) {
    thread_local QStringDecoder decoder("GB18030");
    decoder.resetState();
    return decoder.decode(QByteArrayView(bytes));
}

// The field's width in bytes; a 日期型 field is always eight bytes.
int dbf_width(const SchemeField& f) { return f.type_name == kDateType ? 8 : f.width; }
int dbf_decimals(const SchemeField& f) {
    if (f.type_name == handheld_field_types()[1]) return 1;
    if (f.type_name == handheld_field_types()[2]) return 2;
    return 0;
}
char dbf_type(const SchemeField& f) {
    if (f.type_name == kTextType) return 'C';
    if (f.type_name == kDateType) return 'D';
    return 'N';
}

// Checks the header of a DBF file against its size, so that a damaged file is refused before
// the reader walks into it.
bool dbf_header_sound(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("无法打开文件：") + path;
        return false;
    }
    const qint64 size = file.size();
    const QByteArray head = file.read(32);
    const auto u8 = [&](int i) { return static_cast<quint32>(static_cast<unsigned char>(head[i])); };
    if (head.size() < 32) {
        *error = QStringLiteral("文件不是有效的DBF文件（文件头不完整）。");
        return false;
    }
    const quint32 records = u8(4) | (u8(5) << 8) | (u8(6) << 16) | (u8(7) << 24);
    const quint32 header = u8(8) | (u8(9) << 8);
    const quint32 record = u8(10) | (u8(11) << 8);
    if (header < 33 || header > size || record < 1 || (header - 32) / 32 < 1) {
        *error = QStringLiteral("文件不是有效的DBF文件（文件头已损坏）。");
        return false;
    }
    if (static_cast<qint64>(header) + static_cast<qint64>(records) * record > size) {
        *error = QStringLiteral("文件不是有效的DBF文件（记录不完整）。");
        return false;
    }
    // Field descriptors up to the terminator: widths must add up to the record length.
    file.seek(32);
    quint32 total = 1;
    bool terminated = false;
    for (quint32 at = 32; at + 1 <= header; at += 32) {
        const QByteArray d = file.read(1);
        if (d.isEmpty()) break;
        if (static_cast<unsigned char>(d[0]) == 0x0D) {
            terminated = true;
            break;
        }
        const QByteArray rest = file.read(31);
        if (rest.size() < 31) break;
        total += static_cast<unsigned char>(rest[15]);
    }
    if (!terminated || total != record) {
        *error = QStringLiteral("文件不是有效的DBF文件（字段定义已损坏）。");
        return false;
    }
    return true;
}

}  // namespace

QStringList HandheldRow::cells() const {
    return {account,      name,         fee_item,   category,  address,
            meter_number, last_reading, last_usage, multiplier};
}

HandheldRow HandheldRow::from_cells(const QStringList& c) {
    HandheldRow r;
    const auto at = [&](int i) { return i < c.size() ? c[i] : QString(); };
    r.account = at(0);
    r.name = at(1);
    r.fee_item = at(2);
    r.category = at(3);
    r.address = at(4);
    r.meter_number = at(5);
    r.last_reading = at(6);
    r.last_usage = at(7);
    r.multiplier = at(8);
    return r;
}

RouteOutcome handheld_route_statement(const RouteConditions& c) {
    QString condition;
    if (c.by_reader) {
        if (c.reader.isEmpty())
            return {false, QStringLiteral("请选择抄表人员！"), RouteOutcome::Focus::Reader, {}};
        condition += QStringLiteral(" and 用户表管理.抄表人员=") + sql_quote(c.reader);
    }
    if (c.by_fee_item) {
        if (c.fee_item.isEmpty())
            return {false, QStringLiteral("请选择收费项目！"), RouteOutcome::Focus::FeeItem, {}};
        condition += QStringLiteral(" and 用户表管理.收费项目=") + sql_quote(c.fee_item);
    }
    // The first condition opens the where clause.
    QString where = condition + QStringLiteral(" and 用户信息表.户号=用户表管理.父号");
    where.replace(0, 4, QStringLiteral(" where"));
    return {true, {}, RouteOutcome::Focus::None,
            QStringLiteral("select 用户表管理.户号,用户信息表.用户名,用户表管理.收费项目,用户表管理.计量编号,"
                           "用户信息表.居住街道,用户信息表.详细地址,用户表管理.价格类别,用户表管理.倍率 "
                           "from 用户信息表,用户表管理") +
                where + QStringLiteral("  ORDER  BY 用户表管理.抄表序号")};
}

std::vector<HandheldRow> handheld_route_rows(platform::Connection& connection,
                                             const QString& statement, const QDate& today) {
    std::vector<HandheldRow> out;
    platform::RecordSet meters;
    if (!platform::query_open(meters, connection, statement)) return out;
    out.reserve(platform::recordset_record_count(meters));
    for (; !platform::recordset_eof(meters); platform::recordset_move_next(meters)) {
        HandheldRow r;
        r.account = tariffs::half_width(platform::recordset_field_text(meters, QStringLiteral("户号")));
        r.name = platform::recordset_field_text(meters, QStringLiteral("用户名"));
        r.fee_item = platform::recordset_field_text(meters, QStringLiteral("收费项目"));
        r.category = platform::recordset_field_text(meters, QStringLiteral("价格类别"));
        r.address = platform::recordset_field_text(meters, QStringLiteral("居住街道")) +
                    platform::recordset_field_text(meters, QStringLiteral("详细地址"));
        r.meter_number = platform::recordset_field_text(meters, QStringLiteral("计量编号"));
        r.multiplier = QString::number(static_cast<qint64>(
            platform::recordset_field_number(meters, QStringLiteral("倍率"))));
        double last = 0;
        double usage = 0;
        platform::RecordSet history;
        if (platform::query_open(history, connection,
                                 QStringLiteral("select 止方,用量 from 抄表总表 where 户号=") +
                                     sql_quote(r.account) + QStringLiteral("  order by 抄表日期 DESC")) &&
            !platform::recordset_eof(history)) {
            last = platform::recordset_field_number(history, 0);
            usage = platform::recordset_field_number(history, 1);
        } else {
            last = platform::query_number(
                connection,
                QStringLiteral("select 开始起数 from 用户表管理 where 户号=") + sql_quote(r.account));
        }
        double changed = 0;
        if (meter_change_start(connection, r.account, today, &changed)) last = changed;
        r.last_reading = platform::to_text(last);
        r.last_usage = platform::to_text(usage);
        out.push_back(r);
    }
    return out;
}

QByteArray gbk_cut(const QString& text, int width) {
    if (width <= 0) return {};
    QByteArray bytes = to_gbk(text);
    if (bytes.size() <= width) return bytes;
    // A byte from 0x81 up leads a two-byte character: cut before a character that would not fit.
    int end = 0;
    while (end < bytes.size()) {
        const int len = static_cast<unsigned char>(bytes[end]) >= 0x81 ? 2 : 1;
        if (end + len > width) break;
        end += len;
    }
    bytes.truncate(end);
    return bytes;
}

QString truncate_dbf_field_value(const QString& value, int width) {
    return from_gbk(gbk_cut(value, width).constData());
}

QString handheld_item_value(const QString& item, const HandheldRow& row,
                            const QString& category_number) {
    const QStringList& items = handheld_data_items();
    switch (items.indexOf(item)) {
        case 0: return row.account;
        case 1: return row.meter_number.isEmpty() ? QStringLiteral("111111") : row.meter_number;
        case 2: return row.name;
        case 3: return row.fee_item + row.address;
        case 4: return category_number;
        case 5: return row.multiplier;
        case 6: return row.last_reading;
        case 8: return row.last_usage;
        default: return QStringLiteral("0");
    }
}

ExportOutcome export_handheld_file(platform::Connection& connection, const QString& scheme,
                                   const QString& path, const std::vector<HandheldRow>& rows,
                                   const std::function<void(int)>& progress) {
    const QString create_failed = QStringLiteral("创建数据库失败!经测试目录名不能为汉字。");
    if (scheme.isEmpty())
        return {false, QStringLiteral("请选择抄表机数据库配置方案！"), true};
    // The chosen file goes first, whatever happens after.
    QFile::remove(path);
    const std::vector<SchemeField> fields = scheme_fields(connection, scheme);
    if (fields.empty())
        return {false, create_failed + QStringLiteral("方案【") + scheme + QStringLiteral("】没有字段。")};
    // Fields that could not be written are refused before any file exists.
    for (const SchemeField& f : fields) {
        // A field that carries no known item has no value to write: the first record fails.
        if (!rows.empty() && !handheld_data_items().contains(f.item))
            return {false, QStringLiteral("字段【") + f.name + QStringLiteral("】的对应字段【") + f.item +
                               QStringLiteral("】无效，无法写入记录。")};
        const int width = dbf_width(f);
        if (width < 1 || width > 254 || (dbf_type(f) == 'N' && width > 20))
            return {false, create_failed + QStringLiteral("字段【") + f.name +
                               QStringLiteral("】的长度无效。")};
        if (gbk_cut(f.name, kFieldNameBytes).isEmpty())
            return {false, create_failed + QStringLiteral("字段名称为空。")};
    }
    const QByteArray native = QFile::encodeName(path);
    DBFHandle dbf = DBFCreateEx(native.constData(), kGbkCodePage);
    if (!dbf)
        return {false, create_failed + QStringLiteral("无法创建文件：") + path};
    const auto fail = [&](const QString& text) {
        DBFClose(dbf);
        QFile::remove(path);
        QFile::remove(QFileInfo(path).path() + u'/' + QFileInfo(path).completeBaseName() +
                      QStringLiteral(".cpg"));
        return ExportOutcome{false, text};
    };
    std::vector<int> index;
    for (const SchemeField& f : fields) {
        const QByteArray name = gbk_cut(f.name, kFieldNameBytes);
        const int i = DBFAddNativeFieldType(dbf, name.constData(), dbf_type(f), dbf_width(f),
                                            dbf_decimals(f));
        if (i < 0)
            return fail(create_failed + QStringLiteral("字段【") + f.name +
                        QStringLiteral("】无法创建（字段名称重复？）"));
        index.push_back(i);
    }
    QHash<QString, QString> category_numbers;
    int record = 0;
    for (const HandheldRow& row : rows) {
        const QString key = row.fee_item + QChar(0x1F) + row.category;
        auto found = category_numbers.find(key);
        if (found == category_numbers.end()) {
            bool ok = false;
            QString number = platform::query_text(
                connection,
                QStringLiteral("select 编号 from 水价类别 where 水价类别=") + sql_quote(row.category) +
                    QStringLiteral(" and 收费项目=") + sql_quote(row.fee_item),
                OnFailure::Quiet, &ok);
            if (number.isEmpty()) number = QStringLiteral("0");
            found = category_numbers.insert(key, number);
        }
        for (size_t k = 0; k < fields.size(); ++k) {
            const SchemeField& f = fields[k];
            if (f.type_name == kDateType) continue;  // created, left empty
            const QByteArray value = gbk_cut(handheld_item_value(f.item, row, *found), f.width);
            bool written = false;
            if (dbf_type(f) == 'C') {
                written = DBFWriteStringAttribute(dbf, record, index[k], value.constData());
            } else {
                written = DBFWriteDoubleAttribute(dbf, record, index[k],
                                                  platform::to_number(QString::fromLatin1(value)));
            }
            if (!written)
                return fail(QStringLiteral("户号【") + row.account + QStringLiteral("】的字段【") +
                            f.name + QStringLiteral("】写入失败：数值超出字段长度。"));
        }
        ++record;
        if (progress) progress(record);
    }
    // Closing writes the header, so a route without meters still gets its empty table.
    DBFClose(dbf);
    return {true, QStringLiteral("生成抄表机数据库成功!\r\n文件地址：") + path, false, record};
}

DeviceFile read_handheld_file(platform::Connection& connection, const QString& scheme,
                              const QString& path) {
    DeviceFile out;
    if (!dbf_header_sound(path, &out.error)) return out;
    const QStringList wanted = {QStringLiteral("抄表户号"), QStringLiteral("上月度数"),
                                QStringLiteral("本月度数")};
    QList<QByteArray> names;
    for (const QString& item : wanted) {
        const QString name = platform::query_text(
            connection, QStringLiteral("select 字段名称 from 抄表机_方案 where 方案名称=") +
                            sql_quote(scheme) + QStringLiteral(" and 对应字段=") + sql_quote(item));
        if (name.isEmpty()) {
            out.error = QStringLiteral("方案【") + scheme + QStringLiteral("】没有对应【") + item +
                        QStringLiteral("】的字段。");
            return out;
        }
        names << gbk_cut(name, kFieldNameBytes);
    }
    DBFHandle dbf = DBFOpen(QFile::encodeName(path).constData(), "rb");
    if (!dbf) {
        out.error = QStringLiteral("文件不是有效的DBF文件。");
        return out;
    }
    int field[3];
    for (int k = 0; k < 3; ++k) {
        field[k] = DBFGetFieldIndex(dbf, names[k].constData());
        if (field[k] < 0) {
            out.error = QStringLiteral("文件中没有字段【") + from_gbk(names[k].constData()) +
                        QStringLiteral("】，请检查抄表机数据库配置方案。");
            DBFClose(dbf);
            return out;
        }
    }
    const int count = DBFGetRecordCount(dbf);
    out.records.reserve(count);
    for (int r = 0; r < count; ++r) {
        // A record the device (or the user) deleted is no reading.
        if (DBFIsRecordDeleted(dbf, r)) {
            ++out.deleted_records;
            continue;
        }
        const char* account = DBFReadStringAttribute(dbf, r, field[0]);
        if (!account) {
            out.error = QStringLiteral("文件第") + QString::number(r + 1) + QStringLiteral("条记录无法读取。");
            out.records.clear();
            DBFClose(dbf);
            return out;
        }
        DeviceRecord d;
        d.account = tariffs::half_width(platform::text_trim(from_gbk(account)));
        const char* start = DBFReadStringAttribute(dbf, r, field[1]);
        d.start = platform::to_number(start ? QString::fromLatin1(start) : QString());
        const char* end = DBFReadStringAttribute(dbf, r, field[2]);
        d.end = platform::to_number(end ? QString::fromLatin1(end) : QString());
        out.records.push_back(d);
    }
    DBFClose(dbf);
    out.ok = true;
    return out;
}

ImportOutcome import_handheld_records(platform::Connection& connection,
                                      const std::vector<DeviceRecord>& records,
                                      bool clear_pending, const QDate& today,
                                      const std::function<void(int)>& progress) {
    ImportOutcome out;
    out.records = static_cast<int>(records.size());
    // One transaction for speed only: a failing record is reported and skipped, and what went
    // in before and after it stays.
    platform::Transaction transaction(connection);
    const auto failed = [&](const QString& text) {
        transaction.rollback();
        out.ok = false;
        out.inserted = 0;
        out.message = text;
        return out;
    };
    out.cleared = clear_pending && platform::db_execute(connection, QStringLiteral("delete from 抄表管理"));
    // Every meter account with its price category, read once: the first row of an account is
    // the one its own look-up would have found.
    struct Meter {
        int rate = 0, multiplier = 0;
        QString reader, fee_item, category, household;
    };
    QHash<QString, Meter> meters;
    {
        platform::RecordSet all;
        if (!platform::query_open(
                all, connection,
                QStringLiteral("select 用户表管理.户号,水价类别.电损率,用户表管理.倍率,用户表管理.抄表人员,"
                               "用户表管理.收费项目,用户表管理.价格类别,用户表管理.父号 from 用户表管理,水价类别 "
                               "where 用户表管理.价格类别=水价类别.水价类别 and "
                               "用户表管理.收费项目=水价类别.收费项目"),
                OnFailure::Quiet))
            return failed(QStringLiteral("加入抄表数据失败!\r\n") + platform::db_last_error(connection));
        for (; !platform::recordset_eof(all); platform::recordset_move_next(all)) {
            const QString account = platform::recordset_field_text(all, 0);
            if (meters.contains(account)) continue;
            meters.insert(account, {static_cast<int>(platform::recordset_field_number(all, 1)),
                                    static_cast<int>(platform::recordset_field_number(all, 2)),
                                    platform::recordset_field_text(all, 3),
                                    platform::recordset_field_text(all, 4),
                                    platform::recordset_field_text(all, 5),
                                    platform::recordset_field_text(all, 6)});
        }
    }
    struct ItemLoss {
        QString automatic, digits;
    };
    QHash<QString, ItemLoss> losses;
    QHash<QString, double> prices;
    int step = 0;
    constexpr int kRowsPerStatement = 100;
    QString batch;
    QStringList batched;
    QStringList batched_accounts;
    // A batch that fails goes again row by row, so only the failing records are left out.
    const auto flush = [&] {
        if (!batch.isEmpty() && !platform::db_execute(connection, batch)) {
            for (qsizetype k = 0; k < batched.size(); ++k) {
                if (platform::db_execute(connection, batched[k])) continue;
                out.failures.push_back({batched_accounts[k], platform::db_last_error(connection)});
                --out.inserted;
            }
        }
        batch.clear();
        batched.clear();
        batched_accounts.clear();
    };
    for (const DeviceRecord& d : records) {
        const auto meter = meters.constFind(d.account);
        if (meter == meters.constEnd()) {
            out.unknown_accounts << d.account;
            if (progress) progress(++step);
            continue;
        }
        PendingReading p;
        p.account = d.account;
        p.reader = meter->reader;
        p.fee_item = meter->fee_item;
        p.category = meter->category;
        p.household = meter->household;
        auto loss = losses.find(p.fee_item);
        if (loss == losses.end()) {
            const QList<QStringList> item = platform::query_rows(
                connection, QStringLiteral("select 自动损耗,损耗位数 from 收费项目 where 项目名称=") +
                                sql_quote(p.fee_item));
            ItemLoss l;
            if (!item.isEmpty()) l = {item[0].value(0), item[0].value(1)};
            loss = losses.insert(p.fee_item, l);
        }
        const QString price_key = p.fee_item + QChar(0x1F) + p.category;
        auto price = prices.find(price_key);
        if (price == prices.end())
            price = prices.insert(price_key, category_price(connection, p.fee_item, p.category));
        const double usage = (d.end - d.start) * meter->multiplier;
        p.start = platform::round_to(d.start, 2);
        p.end = platform::round_to(d.end, 2);
        p.usage = platform::round_to(usage, 2);
        p.loss = loss->automatic == kAutomaticLossOn ? loss_for_usage(usage, meter->rate, loss->digits) : 0;
        p.date = today;
        p.price = *price;
        // Rows go in many to a statement: the statement's own cost is most of a row's.
        const QString statement = pending_insert_statement(p);
        if (batch.isEmpty())
            batch = statement;
        else
            batch += u',' + statement.mid(statement.indexOf(QStringLiteral(" values ")) + 8);
        batched << statement;
        batched_accounts << d.account;
        ++out.inserted;
        if (batched.size() == kRowsPerStatement) flush();
        if (progress) progress(++step);
    }
    flush();
    if (!transaction.commit())
        return failed(QStringLiteral("加入抄表数据失败!\r\n") + platform::db_last_error(connection));
    out.ok = true;
    return out;
}

QString handheld_import_summary(const ImportOutcome& outcome, int deleted_records) {
    QStringList why;
    const auto listed = [](const QStringList& accounts) {
        constexpr int kShown = 20;
        QString text = accounts.mid(0, kShown).join(QStringLiteral("、"));
        if (accounts.size() > kShown) text += QStringLiteral("等");
        return text;
    };
    if (!outcome.unknown_accounts.isEmpty())
        why << QStringLiteral("没有对应的抄表户号%1条：").arg(outcome.unknown_accounts.size()) +
                   listed(outcome.unknown_accounts);
    // Failures grouped by the database's text, in the order they first came.
    QStringList errors;
    QList<QStringList> accounts_of;
    for (const FailedRecord& f : outcome.failures) {
        qsizetype k = errors.indexOf(f.error);
        if (k < 0) {
            errors << f.error;
            accounts_of << QStringList();
            k = errors.size() - 1;
        }
        accounts_of[k] << f.account;
    }
    for (qsizetype k = 0; k < errors.size(); ++k)
        why << QStringLiteral("加入抄表数据失败%1条（%2）：").arg(accounts_of[k].size()).arg(errors[k]) +
                   listed(accounts_of[k]);
    if (deleted_records > 0)
        why << QStringLiteral("文件中标记为删除的记录%1条，不作为抄表数据导入。").arg(deleted_records);

    QString text;
    if (outcome.inserted > 0) {
        text = QStringLiteral("数据导入成功，已加入到手动抄表临时库。");
        if (outcome.inserted == outcome.records && why.isEmpty()) return text;
        text += QStringLiteral("\r\n文件中共%1条记录，导入%2条，未导入%3条。")
                    .arg(outcome.records + deleted_records)
                    .arg(outcome.inserted)
                    .arg(outcome.records + deleted_records - outcome.inserted);
    } else {
        text = outcome.records + deleted_records == 0
                   ? QStringLiteral("抄表机文件中没有记录，没有导入任何抄表数据！")
                   : QStringLiteral("没有导入任何抄表数据！文件中共%1条记录，未导入%1条。")
                         .arg(outcome.records + deleted_records);
    }
    for (const QString& line : why) text += QStringLiteral("\r\n") + line;
    return text;
}

}  // namespace reading
