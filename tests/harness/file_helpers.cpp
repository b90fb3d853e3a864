#include "harness/file_helpers.h"

#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>
#include <sys/resource.h>

#include <QFile>
#include <csignal>

#include "platform/db_key.h"

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

void put_index_out_of_step(const QString& path) {
    write_database(
        path, QByteArray(platform::kDatabasePassword),
        {"INSERT INTO 收费员 (收费人员,密码,许可) VALUES ('索引甲','x1',1),('索引乙','x2',1)",
         "CREATE INDEX 收费员_测试 ON 收费员 (收费人员)",
         // The schema now says the index holds 密码, while its pages hold 收费人员.
         "PRAGMA writable_schema=ON",
         "UPDATE sqlite_master SET sql='CREATE INDEX 收费员_测试 ON 收费员 (密码)' "
         "WHERE name='收费员_测试'",
         "PRAGMA writable_schema=OFF"});
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
