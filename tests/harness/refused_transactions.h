#pragma once
// Makes a connection refuse to begin (or to commit) a transaction or savepoint while the object
// lives, as a file that another program keeps locked past the wait, or that cannot be written,
// refuses them. The refusal's text is SQLite's "not authorized".
#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <cstring>

#include "platform/db.h"

namespace harness {

class RefusedTransactions {
public:
    // `operation`: "BEGIN" refuses every BEGIN and SAVEPOINT; "COMMIT" refuses the COMMIT of
    // the outermost transaction (RELEASE of savepoints still works).
    RefusedTransactions(platform::Connection& connection, const char* operation)
        : db_(platform::db_handle(connection)), operation_(operation) {
        sqlite3_set_authorizer(db_, &refuse, this);
    }
    ~RefusedTransactions() { sqlite3_set_authorizer(db_, nullptr, nullptr); }
    RefusedTransactions(const RefusedTransactions&) = delete;
    RefusedTransactions& operator=(const RefusedTransactions&) = delete;

private:
    static int refuse(void* self, int action, const char* operation, const char*, const char*,
                      const char*) {
        const char* refused = static_cast<RefusedTransactions*>(self)->operation_;
        const bool savepoint_begin = action == SQLITE_SAVEPOINT && std::strcmp(refused, "BEGIN") == 0;
        const bool matches = (action == SQLITE_TRANSACTION || savepoint_begin) && operation &&
                             std::strcmp(operation, refused) == 0;
        return matches ? SQLITE_DENY : SQLITE_OK;
    }
    sqlite3* db_;
    const char* operation_;
};

}  // namespace harness
