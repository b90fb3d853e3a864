#include "platform/query.h"

namespace platform {

namespace {

bool open_first(RecordSet& records, Connection& connection, const QString& jet_sql,
                OnFailure on_failure, bool* ok) {
    const bool opened = query_open(records, connection, jet_sql, on_failure);
    if (ok) *ok = opened;
    return opened && !recordset_eof(records);
}

}  // namespace

bool query_open(RecordSet& records, Connection& connection, const QString& jet_sql,
                OnFailure on_failure) {
    recordset_bind_connection(records, connection);
    return recordset_open(records, jet_sql, on_failure);
}

QString query_text(Connection& connection, const QString& jet_sql, OnFailure on_failure,
                   bool* ok) {
    RecordSet records;
    if (!open_first(records, connection, jet_sql, on_failure, ok)) return QString();
    return recordset_field_text(records, 0);
}

double query_number(Connection& connection, const QString& jet_sql, OnFailure on_failure,
                    bool* ok) {
    RecordSet records;
    if (!open_first(records, connection, jet_sql, on_failure, ok)) return 0.0;
    return recordset_field_number(records, 0);
}

qint64 query_integer(Connection& connection, const QString& jet_sql, OnFailure on_failure,
                     bool* ok) {
    RecordSet records;
    if (!open_first(records, connection, jet_sql, on_failure, ok)) return 0;
    const RecordSet::Cell& cell = records.cells[size_t(records.position) * records.names.size()];
    if (cell.type == RecordSet::CellType::Integer) return cell.integer;
    return qint64(recordset_field_number(records, 0));
}

bool query_exists(Connection& connection, const QString& jet_sql, OnFailure on_failure,
                  bool* ok) {
    RecordSet records;
    return open_first(records, connection, jet_sql, on_failure, ok);
}

QStringList query_column(Connection& connection, const QString& jet_sql, OnFailure on_failure,
                         bool* ok) {
    RecordSet records;
    QStringList values;
    const bool opened = query_open(records, connection, jet_sql, on_failure);
    if (ok) *ok = opened;
    if (!opened) return values;
    values.reserve(recordset_record_count(records));
    for (; !recordset_eof(records); recordset_move_next(records))
        values << recordset_field_text(records, 0);
    return values;
}

namespace {

QList<QStringList> texts_of(RecordSet& records) {
    QList<QStringList> rows;
    const int fields = recordset_field_count(records);
    rows.reserve(recordset_record_count(records));
    for (; !recordset_eof(records); recordset_move_next(records)) {
        QStringList row;
        row.reserve(fields);
        for (int i = 0; i < fields; ++i) row << recordset_field_text(records, i);
        rows << row;
    }
    return rows;
}

}  // namespace

QList<QStringList> query_rows(Connection& connection, const QString& jet_sql, OnFailure on_failure,
                              bool* ok) {
    RecordSet records;
    const bool opened = query_open(records, connection, jet_sql, on_failure);
    if (ok) *ok = opened;
    return opened ? texts_of(records) : QList<QStringList>();
}

QList<QStringList> statement_rows(PreparedStatement& statement, OnFailure on_failure, bool* ok) {
    RecordSet records;
    const bool opened = statement.open(records, on_failure);
    if (ok) *ok = opened;
    return opened ? texts_of(records) : QList<QStringList>();
}

}  // namespace platform
