#pragma once
// Files a test writes or reads back byte for byte, and database files made directly through
// the SQLCipher C API, past the layer under test.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace harness {

// The whole file, or nothing when it cannot be read.
QByteArray read_bytes(const QString& path);

// Replaces the file by these bytes; a failed write fails the test.
void write_bytes(const QString& path, const QByteArray& bytes);

// Makes (or opens) a database file the way the build tool makes the shipped one: keyed with
// `key` (a plain SQLite file when it is empty), then the statements run in order. A failing open
// or statement fails the test, and nothing after it runs.
void write_database(const QString& path, const QByteArray& key, const QStringList& statements);

// Damages a database of this system (keyed with the program's password) as a torn copy can: an
// index out of step with its table. The file still opens, reads and passes the quick check; only
// the full integrity check, comparing each index with its table, finds it. Adds two rows to
// 收费员 and an index 收费员_测试 whose entries are those of another column than it names.
void put_index_out_of_step(const QString& path);

// While it lives, no file of this process grows past `bytes` (the process's file size limit, its
// signal ignored): a write beyond it fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long long before_ = 0;
    void (*old_handler_)(int) = nullptr;
};

}  // namespace harness
