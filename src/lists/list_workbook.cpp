#include "lists/list_workbook.h"

#include <sqlcipher/sqlite3.h>

#include <QFile>
#include <QRandomGenerator>
#include <charconv>
#include <string>
#include <vector>

#include "platform/db.h"
#include "platform/excel_bridge.h"
#include "platform/excel_install.h"
#include "platform/files.h"
#include "platform/prepared.h"

namespace lists {

QString export_field_name(const QString& title) {
    QString name = title;
    name.remove(QChar(u' '));
    name.remove(QChar(u'\u3000'));
    return name;
}

QString export_scratch_path() { return platform::temp_folder() + QStringLiteral("/db.tmp"); }

bool export_number_text(std::string_view text, int* decimals) {
    // Amounts of a fee office stay far below ten digits before the point; longer digit runs
    // are codes (mobile numbers, receipt serials, bank accounts, identity cards).
    constexpr size_t kMaxWholeDigits = 10;
    constexpr size_t kMaxSignificantDigits = 15;
    size_t i = 0;
    if (i < text.size() && text[i] == '-') ++i;
    const size_t whole_start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    const size_t whole = i - whole_start;
    if (whole == 0 || whole > kMaxWholeDigits) return false;
    if (whole > 1 && text[whole_start] == '0') return false;  // "0001": a code
    size_t fraction = 0;
    if (i < text.size() && text[i] == '.') {
        const size_t fraction_start = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        fraction = i - fraction_start;
        if (fraction == 0) return false;
    }
    if (i != text.size()) return false;
    // "0.05" has one significant digit before its decimals: the zero does not count.
    const size_t significant = (whole == 1 && text[whole_start] == '0' ? 0 : whole) + fraction;
    if (significant > kMaxSignificantDigits) return false;
    if (decimals) *decimals = static_cast<int>(fraction);
    return true;
}

ExportColumn export_column_kind(const WorkbookRows& table, int column) {
    ExportColumn kind;
    bool first = true;
    for (int r = 0; r < table.rows; ++r) {
        const std::string_view text = table.cell(r, column);
        if (text.empty()) continue;
        int decimals = 0;
        if (!export_number_text(text, &decimals)) return {};
        if (first)
            kind.decimals = decimals;
        else if (decimals != kind.decimals)
            kind.decimals = -1;
        first = false;
    }
    kind.number = !first;
    return kind;
}

namespace {

// A fresh empty database file: SQLite takes an empty file for an empty database, so there is
// no template to keep. Any earlier scratch file (and its journal) goes.
bool make_scratch_file(const QString& path) {
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    file.close();
    return file.error() == QFileDevice::NoError;
}

// Removes the scratch database and its journals when the export ends, whichever way: the list
// (names, identity numbers) must not stay in the temporary folder.
struct ScratchRemover {
    QString path;
    platform::Connection& connection;
    ~ScratchRemover() {
        platform::db_close(connection);
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        QFile::remove(path + QStringLiteral("-journal"));
    }
};

// A key of this export alone, never written anywhere: what reaches the disk while the export
// runs (and stays there should the program be killed) is unreadable.
QString one_time_key() {
    QByteArray bytes(32, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                          bytes.size() / 4);
    return QString::fromLatin1(bytes.toHex());
}

// The scratch table lives for one export: nothing is gained by journalling it or waiting for
// the disk, and a crash loses nothing the list does not still show.
void skip_durability(platform::Connection& connection) {
    if (sqlite3* db = platform::db_handle(connection)) {
        sqlite3_exec(db, "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    }
}

// The value of a text export_number_text accepted.
double parse_number(std::string_view text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

bool write_list_workbook(platform::Connection& connection, const WorkbookRows& table,
                         const QString& file, const QString& sheet, bool sheet_given,
                         const std::function<void(int)>& stored) {
    // Closes the connection, then removes the file, whichever way this returns.
    const QString scratch = export_scratch_path();
    ScratchRemover remover{scratch, connection};
    if (!make_scratch_file(scratch)) return false;

    const int columns = static_cast<int>(table.titles.size());
    if (columns == 0) return false;  // no field to make a table of
    QStringList names;
    QStringList definitions;
    std::vector<ExportColumn> kinds;
    for (int c = 0; c < columns; ++c) {
        const QString name = export_field_name(table.titles[c]);
        kinds.push_back(export_column_kind(table, c));
        names << name;
        // A number column carries its decimals in its declared type; the bridge shows its
        // cells with as many.
        definitions << name + u' ' +
                           (kinds.back().number ? platform::excel_number_type(kinds.back().decimals)
                                                : QStringLiteral("text"));
    }
    const QString select_list = names.join(u',');

    if (!platform::db_open_access_file(connection, scratch, one_time_key())) return false;
    skip_durability(connection);
    // Sorting and other temporary files stay in memory, never on disk unencrypted.
    platform::db_execute(connection, QStringLiteral("PRAGMA temp_store=MEMORY"));
    platform::db_execute(connection, QStringLiteral("drop table tmp"));  // fresh file: none there
    if (!platform::db_execute(connection, QStringLiteral("create table tmp (") +
                                              definitions.join(u',') +
                                              QStringLiteral(",排序 integer)")))
        return false;
    if (stored) stored(0);

    {
        // One transaction and one prepared insert for all rows, the cells bound as the caller
        // keeps them: a list of a hundred thousand rows is copied in one go.
        platform::Transaction transaction(connection);
        std::string insert = "INSERT INTO tmp VALUES (";
        for (int c = 0; c <= columns; ++c) insert += c ? ",?" : "?";
        insert += ')';
        platform::SqliteStatement row_insert(connection, insert.c_str());
        if (!row_insert.ok()) return false;
        for (int r = 0; r < table.rows; ++r) {
            for (int c = 0; c < columns; ++c) {
                const std::string_view text = table.cell(r, c);
                if (!kinds[size_t(c)].number)
                    row_insert.bind_utf8(c + 1, text);
                else if (text.empty())
                    row_insert.bind_null(c + 1);
                else
                    row_insert.bind_number(c + 1, parse_number(text));
            }
            row_insert.bind_integer(columns + 1, r + 1);
            if (!row_insert.execute()) return false;
            if (stored) stored(r + 1);
        }
        if (!transaction.commit()) return false;
    }

    // The old workbook is not deleted first: the bridge writes the new one beside it and
    // renames it over the old one only when it is complete, so a failed export (a full disk)
    // keeps the old file. The file name is quoted into the statement, whatever it holds.
    // The statement below is the bridge's work; the program's own bridge unless one is set.
    if (!platform::excel_bridge()) platform::install_excel_bridge();
    const QString target = sheet_given ? sheet : QStringLiteral("[Sheet1]");
    return platform::db_execute(
        connection, QStringLiteral("SELECT ") + select_list + QStringLiteral(" INTO ") +
                        platform::excel_workbook_reference(file, QStringLiteral("Database")) +
                        u'.' + target + QStringLiteral(" FROM tmp  ORDER BY 排序"));
}

}  // namespace lists
