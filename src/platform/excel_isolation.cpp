#include "platform/excel_isolation.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <new>

#include "platform/excel_readers.h"

#ifndef FEE_PROGRAM_FOLDER
#define FEE_PROGRAM_FOLDER ""
#endif

namespace platform::excel {

namespace {

const QString kReaderName = QStringLiteral("feeoffice-sheet-reader");
constexpr quint32 kMagic = 0x46585231;  // "FXR1"
enum class Reply : quint8 { Failure = 0, Sheet = 1, Names = 2 };

QString& program_override() {
    static QString program;
    return program;
}

SheetReaderLimits& limits_in_use() {
    static SheetReaderLimits limits;
    return limits;
}

QString reader_failed_text(const QString& path) {
    return QStringLiteral("读取工作簿“%1”时出错，读取程序意外结束，文件可能已损坏。")
        .arg(detail::file_label(path));
}

QDataStream& begin_stream(QDataStream& out, Reply reply) {
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << static_cast<quint8>(reply);
    return out;
}

// Reads the head of a reply; false with the message for a failure or an unreadable reply.
bool open_reply(QDataStream& in, Reply wanted, const QString& path, QString* error) {
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint8 reply = 0;
    in >> magic >> reply;
    if (in.status() != QDataStream::Ok || magic != kMagic) {
        if (error) *error = reader_failed_text(path);
        return false;
    }
    if (reply == static_cast<quint8>(Reply::Failure)) {
        QString text;
        in >> text;
        if (error) *error = in.status() == QDataStream::Ok ? text : reader_failed_text(path);
        return false;
    }
    if (reply != static_cast<quint8>(wanted)) {
        if (error) *error = reader_failed_text(path);
        return false;
    }
    return true;
}

bool write_all(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n <= 0) return false;
        p += n;
        left -= n;
    }
    return true;
}

}  // namespace

QString sheet_reader_program() {
    if (!program_override().isEmpty()) return program_override();
    if (QCoreApplication::instance()) {
        const QString beside = QCoreApplication::applicationDirPath() + u'/' + kReaderName;
        if (QFileInfo(beside).isExecutable()) return beside;
    }
    return QStringLiteral(FEE_PROGRAM_FOLDER "/") + kReaderName;
}

void set_sheet_reader_program(const QString& program) { program_override() = program; }
void set_sheet_reader_limits(const SheetReaderLimits& limits) { limits_in_use() = limits; }
SheetReaderLimits sheet_reader_limits() { return limits_in_use(); }

bool run_sheet_reader(const QString& path, const QStringList& arguments, QByteArray& output,
                      QString* error) {
    output.clear();
    const QString program = sheet_reader_program();
    if (!QFileInfo(program).isExecutable()) {
        if (error)
            *error = QStringLiteral("找不到读取工作簿的程序“%1”，请重新安装本系统。").arg(program);
        return false;
    }
    const SheetReaderLimits limits = limits_in_use();
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    // The limits hold in the reader from its first instruction: set between fork and exec.
    process.setChildProcessModifier([limits] {
        const rlim_t memory = static_cast<rlim_t>(limits.memory_bytes);
        const rlimit as{memory, memory};
        ::setrlimit(RLIMIT_AS, &as);
        const rlim_t cpu = static_cast<rlim_t>(limits.seconds);
        const rlimit cpu_limit{cpu, cpu + 1};
        ::setrlimit(RLIMIT_CPU, &cpu_limit);
        const rlimit no_core{0, 0};
        ::setrlimit(RLIMIT_CORE, &no_core);
    });
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(30000)) {
        if (error)
            *error = QStringLiteral("无法启动读取工作簿的程序“%1”：%2。")
                         .arg(program, process.errorString());
        return false;
    }
    // Output is taken as it comes, so the reader never blocks on a full pipe.
    QDeadlineTimer deadline(qint64(limits.seconds) * 1000);
    bool timed_out = false;
    while (process.state() != QProcess::NotRunning) {
        if (deadline.hasExpired()) {
            timed_out = true;
            process.kill();
            process.waitForFinished(5000);
            break;
        }
        process.waitForReadyRead(
            static_cast<int>(std::min<qint64>(deadline.remainingTime(), 1000)));
        output += process.readAllStandardOutput();
    }
    output += process.readAllStandardOutput();
    const QString label = detail::file_label(path);
    if (timed_out) {
        output.clear();
        if (error)
            *error = QStringLiteral("读取工作簿“%1”超时（超过%2秒），文件可能已损坏或过大。")
                         .arg(label)
                         .arg(limits.seconds);
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        output.clear();
        if (error) {
            if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 3)
                *error = detail::too_large_text(
                    path, QStringLiteral("读取时所需内存超过%1 MB").arg(limits.memory_bytes >> 20));
            else
                *error = reader_failed_text(path);
        }
        return false;
    }
    return true;
}

QByteArray encode_sheet_failure(const QString& error) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    begin_stream(out, Reply::Failure) << error;
    return bytes;
}

QByteArray encode_sheet(const SheetData& sheet) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    begin_stream(out, Reply::Sheet) << sheet.name << quint64(sheet.rows.size());
    for (const SheetRow& row : sheet.rows) {
        out << qint32(row.index) << quint64(row.cells.size());
        for (size_t i = 0; i < row.cells.size(); ++i) {
            const SheetCell& cell = row.cells[i];
            out << qint32(row.columns[i]) << static_cast<quint8>(cell.kind);
            if (cell.kind == SheetCell::Kind::Number)
                out << cell.number;
            else
                out << cell.text;
        }
    }
    return bytes;
}

QByteArray encode_sheet_names(const QStringList& names) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    begin_stream(out, Reply::Names) << names;
    return bytes;
}

bool decode_sheet(const QByteArray& bytes, const QString& path, SheetData& out, QString* error) {
    out = SheetData{};
    QDataStream in(bytes);
    if (!open_reply(in, Reply::Sheet, path, error)) return false;
    quint64 rows = 0;
    in >> out.name >> rows;
    // Every row takes at least 12 bytes of the reply: a count beyond that is no reply of ours.
    if (in.status() != QDataStream::Ok || rows > quint64(bytes.size()) / 12) {
        if (error) *error = reader_failed_text(path);
        return false;
    }
    out.rows.reserve(static_cast<size_t>(rows));
    for (quint64 r = 0; r < rows && in.status() == QDataStream::Ok; ++r) {
        SheetRow row;
        qint32 index = 0;
        quint64 cells = 0;
        in >> index >> cells;
        if (cells > quint64(bytes.size()) / 5) break;
        row.index = index;
        row.columns.reserve(static_cast<size_t>(cells));
        row.cells.reserve(static_cast<size_t>(cells));
        for (quint64 c = 0; c < cells && in.status() == QDataStream::Ok; ++c) {
            qint32 column = 0;
            quint8 kind = 0;
            in >> column >> kind;
            SheetCell cell;
            cell.kind = static_cast<SheetCell::Kind>(kind);
            if (cell.kind == SheetCell::Kind::Number)
                in >> cell.number;
            else
                in >> cell.text;
            row.columns.push_back(column);
            row.cells.push_back(std::move(cell));
        }
        out.rows.push_back(std::move(row));
    }
    if (in.status() != QDataStream::Ok || out.rows.size() != rows || !in.atEnd()) {
        out = SheetData{};
        if (error) *error = reader_failed_text(path);
        return false;
    }
    return true;
}

bool decode_sheet_names(const QByteArray& bytes, const QString& path, QStringList& out,
                        QString* error) {
    out.clear();
    QDataStream in(bytes);
    if (!open_reply(in, Reply::Names, path, error)) return false;
    in >> out;
    if (in.status() != QDataStream::Ok || !in.atEnd()) {
        out.clear();
        if (error) *error = reader_failed_text(path);
        return false;
    }
    return true;
}

int sheet_reader_main(int argc, char** argv) {
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i) list << QFile::decodeName(argv[i]);
        return list;
    }();
    const bool sheet = args.size() == 3 && args[0] == QLatin1String("sheet");
    const bool names = args.size() == 2 && args[0] == QLatin1String("names");
    if (!sheet && !names) return 2;
    try {
        QString error;
        QByteArray reply;
        if (sheet) {
            SheetData data;
            reply = read_sheet_here(args[1], args[2], data, &error) ? encode_sheet(data)
                                                                   : encode_sheet_failure(error);
        } else {
            QStringList list;
            reply = sheet_names_here(args[1], list, &error) ? encode_sheet_names(list)
                                                            : encode_sheet_failure(error);
        }
        return write_all(STDOUT_FILENO, reply) ? 0 : 1;
    } catch (const std::bad_alloc&) {
        return 3;
    }
}

}  // namespace platform::excel
