#include "households/household_import_rows.h"

#include <QSet>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

#include "households/household_record.h"
#include "households/list_totals.h"
#include "households/meter_account.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/excel_bridge.h"
#include "platform/excel_install.h"
#include "platform/excel_sheet.h"
#include "platform/money.h"
#include "platform/prepared.h"
#include "platform/query.h"
#include "shell/system_parameters.h"
#include "store/batch_scope.h"

namespace households {

namespace {

using platform::RecordSet;
using platform::sql_quote;

// ---- reading the scratch table ------------------------------------------------------------

// Position of a sheet column by its title, -1 when the sheet has none.
int column_of(const RecordSet& rows, const QString& title) {
    return platform::recordset_field_index(rows, title);
}

const RecordSet::Cell* cell_of(const RecordSet& rows, int column) {
    if (column < 0 || column >= rows.names.size() || rows.position < 0 ||
        rows.position >= rows.row_count)
        return nullptr;
    return &rows.cells[static_cast<size_t>(rows.position) * static_cast<size_t>(rows.names.size()) +
                       static_cast<size_t>(column)];
}

// A cell as text: a number cell in the form the bridge gives numbers in text columns (whole
// numbers with every digit, so a bank account typed as a number keeps its digits), an empty
// cell or a missing column as "".
QString cell_text(const RecordSet& rows, int column) {
    const RecordSet::Cell* cell = cell_of(rows, column);
    if (!cell) return QString();
    switch (cell->type) {
        case RecordSet::CellType::Null:
            return QString();
        case RecordSet::CellType::Real:
            return platform::excel::number_cell_text(cell->real);
        case RecordSet::CellType::Integer:
            return QString::number(cell->integer);
        default:
            return platform::recordset_field_text(rows, column);
    }
}

// The row is the totals row of the list the sheet was exported from.
bool is_totals_row(const RecordSet& rows) {
    return is_list_totals_row(cell_text(rows, 0), cell_text(rows, 1));
}

// What every import loop does first with a row: keeps the wait window painted and passes over
// the sheet's totals row, counting it. True when the row is that totals row.
bool totals_row_passed(const RecordSet& rows, const ImportWait& wait, ImportReport& report) {
    if (wait.row) wait.row();
    if (!is_totals_row(rows)) return false;
    ++report.skipped_totals;
    return true;
}

bool cell_is_null(const RecordSet& rows, int column) {
    const RecordSet::Cell* cell = cell_of(rows, column);
    return !cell || cell->type == RecordSet::CellType::Null;
}

// A date cell: a date column's value, or a text that reads as a date ("2024-3-5", "2024/3/5",
// "2024年3月5日", as the household lists export it). Anything else is the empty date.
// Read in parts: a QDateTime per row asks the time zone for its offset, which costs more
// than the rest of the row's reading.
QDate cell_date(const RecordSet& rows, int column) {
    const RecordSet::Cell* cell = cell_of(rows, column);
    platform::DateParts parts;
    if (!cell || cell->type != RecordSet::CellType::Text ||
        !platform::recordset_field_date_parts(rows, column, &parts))
        return QDate();
    return QDate(parts.year, parts.month, parts.day);
}

// A cell meant as a number. Empty, zero or no number at all counts as no value; a text that
// starts like a number but is none (12abc) is a bad value, which the statement must not see.
enum class NumberCell { None, Value, Bad };
NumberCell cell_number(const QString& text, double* value) {
    if (platform::money_is_zero(platform::to_number(text))) return NumberCell::None;
    return read_plain_number(text, value) ? NumberCell::Value : NumberCell::Bad;
}

// The sheet's columns titled `titles`, in that order; none, with a message naming every missing
// title, when one is missing.
std::vector<int> required_columns(const RecordSet& rows, const QStringList& titles,
                                  ImportReport& report) {
    std::vector<int> columns;
    QStringList missing;
    for (const QString& title : titles) {
        columns.push_back(column_of(rows, title));
        if (columns.back() < 0) missing << title;
    }
    if (missing.isEmpty()) return columns;
    report.error = QStringLiteral("工作表缺少列：") + missing.join(QStringLiteral("、"));
    return {};
}

// ---- card numbers ------------------------------------------------------------------------

// The row of the sheet a row of the scratch table came from (the header is the first).
int sheet_row(const RecordSet& rows) { return rows.position + 2; }

// The rows of a sheet whose card is refused that a message lists one by one.
constexpr int kCardConflictsListed = 20;

// Who a row of the sheet is: its household number (empty while it has none yet) and name.
struct SheetHousehold {
    QString number, name;
};

// A card belongs to one household (see CardNumbers): a row giving a card that another household
// holds, or that an earlier row gives to another household, refuses the whole import before any
// row goes in, each such row named in the report. `household_of` says who the current row is,
// or nothing for a row the import passes over. True when the import is refused.
bool cards_refused(platform::Connection& connection, RecordSet& rows, int c_card,
                   const std::function<std::optional<SheetHousehold>()>& household_of,
                   ImportReport& report) {
    if (c_card < 0) return false;
    CardNumbers cards;
    cards.load(connection);
    QStringList refused;
    int unlisted = 0;
    for (platform::recordset_move_first(rows); !platform::recordset_eof(rows);
         platform::recordset_move_next(rows)) {
        if (is_totals_row(rows)) continue;
        const std::optional<SheetHousehold> household = household_of();
        if (!household) continue;
        const QString card = platform::text_trim(cell_text(rows, c_card));
        if (card.isEmpty()) continue;
        const int row = sheet_row(rows);
        const std::optional<CardHolder> holder =
            cards.holder_other_than(card, household->number, row);
        if (!holder) {
            cards.hold(card, {household->number, household->name, row});
            continue;
        }
        if (refused.size() == kCardConflictsListed) {
            ++unlisted;
            continue;
        }
        const QString who = household->number.isEmpty()
                                ? QStringLiteral("用户名“") + household->name + QStringLiteral("”")
                                : QStringLiteral("户号“") + household->number + QStringLiteral("”");
        refused << QStringLiteral("第") + QString::number(row) + QStringLiteral("行") + who +
                       QStringLiteral("的") + card_taken_text(card, *holder);
    }
    platform::recordset_move_first(rows);
    if (refused.isEmpty()) return false;
    if (unlisted > 0)
        refused << QStringLiteral("另有") + QString::number(unlisted) +
                       QStringLiteral("行磁卡号码重复");
    report.error = QStringLiteral("磁卡号码重复，没有导入任何一行：\n") + refused.join(u'\n');
    return true;
}

// ---- household numbers in use -------------------------------------------------------------

// The numbers a new household must not get, read once: those of the register and those that
// the data of a deleted household still carries (its meter accounts, readings, prepayments,
// reduction settings and bills), as household_number_owned tells them one by one. Text
// compares without regard to case, as the tables do.
class TakenNumbers {
public:
    void load(platform::Connection& connection) {
        add_column(connection, QStringLiteral("select 户号 from 用户信息表"), numbers_);
        add_column(connection, QStringLiteral("select distinct 父号 from 用户表管理"), numbers_);
        add_column(connection, QStringLiteral("select 户号 from 用户表管理"), meter_numbers_);
        add_column(connection, QStringLiteral("select distinct 父号 from 抄表管理"), numbers_);
        add_column(connection, QStringLiteral("select distinct 父号 from 抄表总表"), numbers_);
        add_column(connection, QStringLiteral("select distinct 户号 from 预存明细"), numbers_);
        add_column(connection, QStringLiteral("select distinct 户号 from 减免设置"), numbers_);
        // A bill carries the household number or a meter-account number: the household number
        // and two or three digits.
        QSet<QString> bills;
        add_column(connection, QStringLiteral("select distinct 户号 from 总收费"), bills);
        for (const QString& bill : std::as_const(bills)) {
            numbers_.insert(bill);
            for (int digits : {2, 3}) {
                if (bill.size() <= digits) continue;
                bool all_digits = true;
                for (qsizetype i = bill.size() - digits; i < bill.size(); ++i)
                    all_digits = all_digits && bill[i] >= u'0' && bill[i] <= u'9';
                if (all_digits) numbers_.insert(bill.left(bill.size() - digits));
            }
        }
    }

    bool taken(const QString& number) const {
        return numbers_.contains(fold(number)) ||
               meter_numbers_.contains(fold(number + meter_suffix_text(1)));
    }

    void take(const QString& number) {
        numbers_.insert(fold(number));
        meter_numbers_.insert(fold(number + meter_suffix_text(1)));
    }

private:
    static QString fold(const QString& text) { return text.toLower(); }

    static void add_column(platform::Connection& connection, const QString& sql,
                           QSet<QString>& into) {
        for (const QString& value : platform::query_column(connection, sql))
            if (!value.isEmpty()) into.insert(fold(value));
    }

    QSet<QString> numbers_;
    QSet<QString> meter_numbers_;
};

// Numbers are searched one after the other; a run of taken numbers this long means the rule
// is getting nowhere (a number without digits to count).
constexpr int kMaxNumbersPassedOver = 1000000;

bool open_scratch_table(platform::Connection& connection, RecordSet& rows, ImportReport& report) {
    platform::recordset_bind_connection(rows, connection);
    if (platform::recordset_open(rows, QStringLiteral("select * from ") + kScratchTable))
        return true;
    report.error = platform::db_last_error(connection);
    return false;
}

// The import's rows go through the store's batch scope (whole rows or nothing of them, the
// rows before a failing one kept, the run committed at its end); each row that went in counts
// in the report with the household number it reports.
class ImportBatch {
public:
    ImportBatch(platform::Connection& connection, ImportReport& report)
        : report_(report), scope_(connection) {}

    // A row's statements and the household number it reports (null: none). False when the
    // batch was due and a row of it failed.
    bool add(QStringList statements, const QString& number = QString()) {
        return scope_.add_statements(std::move(statements), applied(number));
    }
    // A row whose writes are its own work (bound values on prepared statements).
    bool add(store::BatchScope::RowWork work, const QString& number) {
        return scope_.add(std::move(work), applied(number));
    }

    // Ends the run: closes the sheet's rows, applies what is pending and commits, even after a
    // failing row. A failed commit leaves nothing applied. True when every row went in.
    bool finish(RecordSet& rows, bool failed) {
        platform::recordset_close(rows);
        const bool ok = scope_.finish(failed);
        if (!ok && report_.error.isEmpty()) report_.error = scope_.error();
        if (scope_.rows_applied() == 0) {
            report_.numbers.clear();
            report_.rows_applied = 0;
        }
        return ok;
    }

private:
    store::BatchScope::Applied applied(const QString& number) {
        return [this, number] {
            if (!number.isNull()) report_.numbers << number;
            ++report_.rows_applied;
        };
    }

    ImportReport& report_;
    store::BatchScope scope_;
};

// The two rows a new household writes, as bound values: the household and its property-fee
// meter account. One prepared statement each for the whole run instead of a statement text per
// row to translate and compile.
const char kHouseholdInsert[] =
    "INSERT INTO 用户信息表 (户号,用户名,居住街道,建档时间,固定电话,移动电话,备注,详细地址,"
    "身份证号,性质,父号,家庭人口,银行帐号,磁卡号码,开户银行,助记词,物业类别,物业面积) "
    "VALUES (?,?,?,?,?,?,?,?,?,0,'0',?,?,?,?,?,?,?)";
const char kMeterInsert[] =
    "INSERT INTO 用户表管理 (户号,收费项目,价格类别,开始起数,抄表人员,倍率,计量编号,抄表序号,"
    "建表时间,父号,状态) VALUES (?,?,?,?,?,?,?,?,?,?,?)";

const char kMeterOrderUpdate[] = "UPDATE 用户表管理 SET 抄表序号=?,抄表人员=? WHERE 户号=?";

void bind_meter(platform::SqliteStatement& insert, const HouseholdMeter& meter) {
    insert.bind_text(1, meter.number);
    insert.bind_text(2, meter.fee_item);
    insert.bind_text(3, meter.price_category);
    insert.bind_number(4, meter.start_reading);
    insert.bind_text(5, meter.reader);
    insert.bind_number(6, meter.multiplier);
    insert.bind_text(7, meter.meter_number);
    insert.bind_integer(8, meter.reading_order);
    insert.bind_text(9, platform::date_storage_text(meter.set_up));
    insert.bind_text(10, meter.household);
    insert.bind_text(11, meter.state);
}

}  // namespace

// ---- reading the sheet ------------------------------------------------------------------------

bool read_sheet_into_scratch_table(platform::Connection& connection, const QString& file,
                                   const QString& sheet) {
    // The table may not be there.
    platform::db_execute(connection, QStringLiteral("DROP TABLE ") + kScratchTable);
    // Through the program's Excel bridge.
    if (!platform::excel_bridge()) platform::install_excel_bridge();
    // The file and sheet names are quoted into the statement: "]" or ";" in them is a name.
    return platform::db_execute(connection, QStringLiteral("SELECT * INTO ") + kScratchTable +
                                                QStringLiteral(" FROM ") +
                                                platform::excel_workbook_reference(file) + u'.' +
                                                platform::bracketed_name(sheet + u'$') + u' ');
}

// ---- 批量添加 ---------------------------------------------------------------------------------

ImportReport import_household_rows(platform::Connection& connection, const ImportWait& wait) {
    ImportReport report;
    RecordSet rows;
    if (!open_scratch_table(connection, rows, report)) return report;

    const std::vector<int> required = required_columns(rows, {QStringLiteral("用户名")}, report);
    if (required.empty()) return report;
    const int c_name = required[0];
    const int c_street = column_of(rows, QStringLiteral("居住街道"));
    const int c_address = column_of(rows, QStringLiteral("详细地址"));
    const int c_registered = column_of(rows, QStringLiteral("建档时间"));
    const int c_identity = column_of(rows, QStringLiteral("身份证号"));
    const int c_fixed = column_of(rows, QStringLiteral("固定电话"));
    const int c_mobile = column_of(rows, QStringLiteral("移动电话"));
    const int c_remark = column_of(rows, QStringLiteral("备注"));
    const int c_account = column_of(rows, QStringLiteral("银行帐号"));
    const int c_category = column_of(rows, QStringLiteral("物业类别"));
    const int c_area = column_of(rows, QStringLiteral("物业面积"));
    const int c_persons = column_of(rows, QStringLiteral("家庭人口"));
    const int c_bank = column_of(rows, QStringLiteral("开户银行"));
    const int c_card = column_of(rows, QStringLiteral("磁卡号码"));

    // Rows without a name become no household.
    const auto household_of = [&rows, c_name]() -> std::optional<SheetHousehold> {
        const QString name = platform::text_trim(cell_text(rows, c_name));
        if (name.isEmpty()) return std::nullopt;
        return SheetHousehold{QString(), name};
    };
    if (cards_refused(connection, rows, c_card, household_of, report)) return report;

    if (rows.row_count > 0 && wait.begin) wait.begin();

    const QString& prefix = shell::system_parameters.household_number_prefix;
    TakenNumbers taken;
    taken.load(connection);
    // Counting starts from the most recently created top-level household, or, in an empty
    // register, from the prefix and a run of zeros as wide as the numbers are.
    const QStringList last = platform::query_column(
        connection,
        QStringLiteral("select top 1 户号 from  用户信息表  where 父号='0' ORDER  BY 编号  DESC "));
    const QString start =
        !last.isEmpty()
            ? last.first()
            : prefix + QString(std::max(shell::system_parameters.household_number_digits, 0),
                               QLatin1Char('0'));
    qint64 reading_order = next_reading_order(connection, kSystemReader);
    const QDate today = platform::today();

    bool failed = false;
    QString number = start;
    platform::SqliteStatement insert_household(connection, kHouseholdInsert);
    platform::SqliteStatement insert_meter(connection, kMeterInsert);
    if (!insert_household.ok() || !insert_meter.ok()) {
        report.error = platform::db_last_error(connection);
        return report;
    }
    ImportBatch batch(connection, report);
    for (; !platform::recordset_eof(rows); platform::recordset_move_next(rows)) {
        // Not a household: the totals row neither becomes one nor uses up a number.
        if (totals_row_passed(rows, wait, report)) continue;
        // Every row advances the number, a skipped one too; numbers in use are passed over.
        number = household_number_successor(number, prefix, false);
        for (int passed = 0; taken.taken(number); ++passed) {
            if (passed == kMaxNumbersPassedOver) {
                report.error = QStringLiteral("找不到可用的户号：") + number;
                failed = true;
                break;
            }
            number = household_number_successor(number, prefix, false);
        }
        if (failed) break;

        // Trimmed of blanks (full-width ones too), as the name query trims what it looks for.
        const QString name = platform::text_trim(cell_text(rows, c_name));
        if (name.isEmpty()) continue;

        // A number column without a value writes 0; one that is no number stops the import.
        double numbers[2] = {0, 0};
        const int number_columns[2] = {c_persons, c_area};
        const QString number_titles[2] = {QStringLiteral("家庭人口"), QStringLiteral("物业面积")};
        for (int i = 0; i < 2 && !failed; ++i) {
            const QString text = cell_text(rows, number_columns[i]);
            double value = 0;
            switch (cell_number(text, &value)) {
                case NumberCell::None:
                    numbers[i] = 0;
                    break;
                case NumberCell::Value:
                    // As a statement would write it: at most 13 significant digits.
                    numbers[i] = platform::to_number(platform::sql_number(value));
                    break;
                case NumberCell::Bad:
                    report.error = QStringLiteral("用户名“") + name + QStringLiteral("”的") +
                                   number_titles[i] + QStringLiteral("不是数字：") + text;
                    failed = true;
                    break;
            }
        }
        if (failed) break;
        QDate registered = cell_date(rows, c_registered);
        if (!registered.isValid()) registered = today;
        const QString category = cell_text(rows, c_category);

        // The row's values, bound when its batch is applied (a failed batch is replayed, so
        // the work keeps them unchanged).
        struct Values {
            QString texts[14];
            double persons = 0, area = 0;
            HouseholdMeter meter;
        };
        auto v = std::make_shared<Values>();
        // 户号,用户名,居住街道,建档时间,固定电话,移动电话,备注,详细地址,身份证号 | 家庭人口 |
        // 银行帐号,磁卡号码,开户银行,助记词,物业类别 | 物业面积
        v->texts[0] = number;
        v->texts[1] = name;
        v->texts[2] = cell_text(rows, c_street);
        v->texts[3] = platform::date_storage_text(registered);
        v->texts[4] = cell_text(rows, c_fixed);
        v->texts[5] = cell_text(rows, c_mobile);
        v->texts[6] = cell_text(rows, c_remark);
        v->texts[7] = cell_text(rows, c_address);
        v->texts[8] = cell_text(rows, c_identity);
        v->texts[9] = cell_text(rows, c_account);
        // Trimmed, as the card reader's look-up trims what it reads.
        v->texts[10] = platform::text_trim(cell_text(rows, c_card));
        v->texts[11] = cell_text(rows, c_bank);
        v->texts[12] = platform::text_trim(make_pinyin_initials(name));
        v->texts[13] = category;
        v->persons = numbers[0];
        v->area = numbers[1];
        // The household and its property-fee meter account go in together.
        v->meter = property_fee_meter_account(platform::text_trim(number),
                                              platform::text_trim(category), registered);
        v->meter.reading_order = reading_order;
        ++reading_order;
        taken.take(number);
        auto work = [v, &insert_household, &insert_meter](platform::Connection&) {
            for (int slot = 1; slot <= 9; ++slot)
                insert_household.bind_text(slot, v->texts[slot - 1]);
            insert_household.bind_number(10, v->persons);
            for (int slot = 11; slot <= 15; ++slot)
                insert_household.bind_text(slot, v->texts[slot - 2]);
            insert_household.bind_number(16, v->area);
            if (!insert_household.execute()) return false;
            bind_meter(insert_meter, v->meter);
            return insert_meter.execute();
        };
        if (!batch.add(std::move(work), number)) {
            failed = true;
            break;
        }
    }
    // A bad value ends the import after the rows before it.
    if (!batch.finish(rows, failed)) return report;
    platform::db_execute(connection, QStringLiteral("DROP TABLE ") + kScratchTable);
    report.ok = true;
    return report;
}

// ---- 批量修改 ---------------------------------------------------------------------------------

ImportReport modify_household_rows(platform::Connection& connection, const ImportWait& wait) {
    ImportReport report;
    RecordSet rows;
    if (!open_scratch_table(connection, rows, report)) return report;
    const std::vector<int> required = required_columns(rows, {QStringLiteral("户号")}, report);
    if (required.empty()) return report;
    const int c_number = required[0];

    // The fields in the order their assignments are written. The household record has no
    // reading order (that belongs to its meter accounts), so a 抄表序号 column is not read.
    enum class Kind { Text, Number, Date };
    struct Field {
        const char16_t* title;
        Kind kind;
        int column;
    };
    Field fields[] = {{u"用户名", Kind::Text, -1},     {u"居住街道", Kind::Text, -1},
                      {u"身份证号", Kind::Text, -1},   {u"详细地址", Kind::Text, -1},
                      {u"家庭人口", Kind::Number, -1}, {u"银行帐号", Kind::Text, -1},
                      {u"开户银行", Kind::Text, -1},   {u"磁卡号码", Kind::Text, -1},
                      {u"物业面积", Kind::Number, -1}, {u"物业类别", Kind::Text, -1},
                      {u"建档时间", Kind::Date, -1},   {u"备注", Kind::Text, -1},
                      {u"固定电话", Kind::Text, -1},   {u"移动电话", Kind::Text, -1}};
    for (Field& field : fields) field.column = column_of(rows, QString::fromUtf16(field.title));

    const auto household_of = [&rows, c_number]() -> std::optional<SheetHousehold> {
        if (cell_is_null(rows, c_number)) return std::nullopt;
        return SheetHousehold{cell_text(rows, c_number), QString()};
    };
    if (cards_refused(connection, rows, column_of(rows, QStringLiteral("磁卡号码")), household_of,
                      report))
        return report;

    if (wait.begin) wait.begin();

    bool failed = false;
    ImportBatch batch(connection, report);
    for (; !platform::recordset_eof(rows); platform::recordset_move_next(rows)) {
        if (totals_row_passed(rows, wait, report)) continue;
        if (cell_is_null(rows, c_number)) continue;
        const QString number = cell_text(rows, c_number);

        QStringList assignments;
        QString category;
        for (const Field& field : fields) {
            const QString title = QString::fromUtf16(field.title);
            QString text = cell_text(rows, field.column);
            // 用户名, and 磁卡号码 as the card reader's look-up trims what it reads
            if (&field == &fields[0] || &field == &fields[7]) text = platform::text_trim(text);
            switch (field.kind) {
                case Kind::Text:
                    if (text.isEmpty()) break;
                    assignments << title + u'=' + sql_quote(text);
                    // The mnemonic follows the new name.
                    if (title == QStringLiteral("用户名"))
                        assignments
                            << QStringLiteral("助记词=") +
                                   sql_quote(platform::text_trim(make_pinyin_initials(text)));
                    if (title == QStringLiteral("物业类别")) category = text;
                    break;
                case Kind::Number: {
                    double value = 0;
                    const NumberCell kind = cell_number(text, &value);
                    if (kind == NumberCell::Value)
                        assignments << title + u'=' + platform::sql_number(value);
                    if (kind == NumberCell::Bad) {
                        report.error = QStringLiteral("户号“") + number + QStringLiteral("”的") +
                                       title + QStringLiteral("不是数字：") + text;
                        failed = true;
                    }
                    break;
                }
                case Kind::Date: {
                    const QDate date = cell_date(rows, field.column);
                    if (date.isValid())
                        assignments << title + u'=' + platform::date_to_quoted(date);
                    break;
                }
            }
            if (failed) break;
        }
        if (failed) break;
        // Empty cells never clear a field; a row with nothing to change is a broken template.
        if (assignments.isEmpty()) {
            report.error = QStringLiteral("户号“") + number + QStringLiteral("”没有要修改的内容");
            failed = true;
            break;
        }
        QStringList statements{QStringLiteral("update 用户信息表 set ") +
                               assignments.join(QLatin1Char(',')) + QStringLiteral(" where 户号=") +
                               sql_quote(number)};
        // The property-fee account keeps the household's property category.
        if (!category.isEmpty())
            statements << QStringLiteral("update 用户表管理 set 价格类别=") + sql_quote(category) +
                              QStringLiteral(" where 户号=") +
                              sql_quote(number + meter_suffix_text(1));
        if (!batch.add(statements, number)) {
            failed = true;
            break;
        }
    }
    report.ok = batch.finish(rows, failed);
    return report;
}

// ---- 批量排序 ---------------------------------------------------------------------------------

ImportReport sort_meter_rows(platform::Connection& connection, const ImportWait& wait) {
    ImportReport report;
    RecordSet rows;
    if (!open_scratch_table(connection, rows, report)) return report;
    const std::vector<int> required = required_columns(
        rows, {QStringLiteral("抄表户号"), QStringLiteral("抄表人员"), QStringLiteral("抄表序号")},
        report);
    if (required.empty()) return report;
    const int c_meter = required[0], c_reader = required[1], c_order = required[2];

    if (wait.begin) wait.begin();

    // One prepared statement for the run; the values are bound as sql_quote would write them.
    platform::SqliteStatement update(connection, kMeterOrderUpdate);
    if (!update.ok()) {
        report.error = platform::db_last_error(connection);
        return report;
    }
    bool failed = false;
    ImportBatch batch(connection, report);
    for (; !platform::recordset_eof(rows); platform::recordset_move_next(rows)) {
        if (totals_row_passed(rows, wait, report)) continue;
        if (cell_is_null(rows, c_meter)) continue;
        const QString meter = cell_text(rows, c_meter);
        const QString order_text = cell_text(rows, c_order);
        // The reader is taken as it is; the order must be a whole number.
        double order = 0;
        if (!read_plain_number(order_text, &order) || order != std::trunc(order) ||
            std::fabs(order) > 1e15) {
            report.error = QStringLiteral("抄表户号“") + meter +
                           QStringLiteral("”的抄表序号不是整数：") + order_text;
            failed = true;
            break;
        }
        auto work = [&update, order = static_cast<qint64>(order),
                     reader = platform::clean_text(cell_text(rows, c_reader)),
                     meter = platform::clean_text(meter)](platform::Connection&) {
            update.bind_integer(1, order);
            update.bind_text(2, reader);
            update.bind_text(3, meter);
            return update.execute();
        };
        if (!batch.add(std::move(work), QString())) {
            failed = true;
            break;
        }
    }
    report.ok = batch.finish(rows, failed);
    return report;
}

}  // namespace households
