#include "harness/file_helpers.h"

#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>
#include <sys/resource.h>

#include <csignal>

#include <QFile>

namespace harness {

QByteArray read_bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write_bytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(bytes), bytes.size()) << path.toStdString();
}

namespace {

void run_statements(sqlite3* db, const QByteArray& key, const QStringList& statements) {
    if (!key.isEmpty()) sqlite3_key(db, key.constData(), static_cast<int>(key.size()));
    for (const QString& statement : statements) {
        char* error = nullptr;
        const int rc = sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, &error);
        const std::string message = error ? error : "";
        sqlite3_free(error);
        ASSERT_EQ(rc, SQLITE_OK) << statement.toStdString() << ": " << message;
    }
}

}  // namespace

void write_database(const QString& path, const QByteArray& key, const QStringList& statements) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    EXPECT_EQ(rc, SQLITE_OK) << path.toStdString();
    if (rc == SQLITE_OK) run_statements(db, key, statements);
    sqlite3_close(db);
}

FileSizeLimit::FileSizeLimit(qint64 bytes) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    before_ = limit.rlim_cur;
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(before_);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, old_handler_);
}

}  // namespace harness
