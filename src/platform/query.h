#pragma once
// Query helpers over the database layer: one value, one column, whether a row exists, and a
// record set of the caller's own. Each runs a Jet statement on the given connection through a
// record set that lives only for the call. A failure is reported (the provider's text, through
// the database error reporter) unless the caller asks for quiet; `ok` tells a failed query from
// one that found nothing.
#include <QString>
#include <QStringList>

#include "platform/db.h"

namespace platform {

// The first column of the first row as text; "" when there is no row or the query failed.
QString query_text(Connection& connection, const QString& jet_sql,
                   OnFailure on_failure = OnFailure::Report, bool* ok = nullptr);
// The first column of the first row as a number; 0 when there is no row or the query failed.
double query_number(Connection& connection, const QString& jet_sql,
                    OnFailure on_failure = OnFailure::Report, bool* ok = nullptr);
// As query_number, as a whole number (64-bit, for 收据号 and 流水号).
qint64 query_integer(Connection& connection, const QString& jet_sql,
                     OnFailure on_failure = OnFailure::Report, bool* ok = nullptr);
// True when the statement returns at least one row; false when none, or when it failed.
bool query_exists(Connection& connection, const QString& jet_sql,
                  OnFailure on_failure = OnFailure::Report, bool* ok = nullptr);
// The first column of every row, as texts, in row order.
QStringList query_column(Connection& connection, const QString& jet_sql,
                         OnFailure on_failure = OnFailure::Report, bool* ok = nullptr);
// Every row, as texts in select order.
QList<QStringList> query_rows(Connection& connection, const QString& jet_sql,
                              OnFailure on_failure = OnFailure::Report, bool* ok = nullptr);
// The same for a prepared statement with its values bound.
QList<QStringList> statement_rows(PreparedStatement& statement,
                                  OnFailure on_failure = OnFailure::Report, bool* ok = nullptr);
// Opens `records` (the caller's own) on the connection. The same as binding and opening.
bool query_open(RecordSet& records, Connection& connection, const QString& jet_sql,
                OnFailure on_failure = OnFailure::Report);

}  // namespace platform
