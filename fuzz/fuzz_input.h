#pragma once
// The readers take a path (FreeXL and minizip open files themselves): each input is written to
// a file of this process in memory-backed /dev/shm, or the temporary folder.
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>

inline QString fuzz_input_file(const uint8_t* data, size_t size, const char* suffix) {
    static const QString path =
        (QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                   : QDir::tempPath()) +
        QStringLiteral("/fee-fuzz-%1%2").arg(::getpid()).arg(QString::fromLatin1(suffix));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
        file.close();
    }
    return path;
}
