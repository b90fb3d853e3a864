#include "platform/files.h"

#include <SimpleIni.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <string>

namespace platform {

namespace {

QString g_test_program_directory;

QString ini_file_path() { return app_path(kIniFile); }

// Reads pz.ini into a fresh parser; a missing or unreadable file is an empty one.
void load_ini(CSimpleIniA& ini) {
    ini.SetUnicode(true);
    ini.SetMultiKey(false);
    QFile file(ini_file_path());
    if (!file.open(QIODevice::ReadOnly)) return;
    const QByteArray bytes = file.readAll();
    ini.LoadData(bytes.constData(), static_cast<size_t>(bytes.size()));
}

bool same_file(const QString& a, const QString& b) {
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0) return false;
    if (::stat(QFile::encodeName(b).constData(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

QString program_directory() {
    if (!g_test_program_directory.isEmpty()) return g_test_program_directory;
    return QCoreApplication::applicationDirPath();
}

void set_program_directory_for_tests(const QString& path) {
    QString dir = QDir::fromNativeSeparators(path);
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/'))) dir.chop(1);
    g_test_program_directory = dir;
}

QString app_path(const QString& tail) {
    QString rel = tail;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString collapsed;
    collapsed.reserve(rel.size());
    for (QChar c : rel) {
        if (c == u'/' && (collapsed.isEmpty() || collapsed.back() == u'/')) continue;
        collapsed.append(c);
    }
    QString base = program_directory();
    if (collapsed.isEmpty()) return base;
    if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
    return base + collapsed;
}

QString ini_read_text(const QString& section, const QString& key, const QString& default_value) {
    CSimpleIniA ini;
    load_ini(ini);
    const QByteArray s = section.toUtf8();
    const QByteArray k = key.toUtf8();
    const char* value = ini.GetValue(s.constData(), k.constData(), nullptr);
    if (!value) return default_value;
    return QString::fromUtf8(value);
}

bool ini_write_text(const QString& section, const QString& key, const QString& value) {
    CSimpleIniA ini;
    load_ini(ini);
    QString one_line = value;
    one_line.replace(QLatin1String("\r\n"), QLatin1String(" "));
    one_line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    one_line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray s = section.toUtf8();
    const QByteArray k = key.toUtf8();
    const QByteArray v = one_line.toUtf8();
    if (ini.SetValue(s.constData(), k.constData(), v.constData()) < 0) return false;
    std::string data;
    if (ini.Save(data, false) < 0) return false;
    // Written beside the file and renamed over it: a failed write keeps the old settings.
    QSaveFile file(ini_file_path());
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(data.data(), static_cast<qint64>(data.size())) !=
        static_cast<qint64>(data.size())) {
        file.cancelWriting();
        return false;
    }
    return commit_whole_file(file);
}

bool file_exists(const QString& path) { return QFileInfo(path).isFile(); }

bool folder_exists(const QString& path) { return QFileInfo(path).isDir(); }

bool file_copy(const QString& from, const QString& to, bool overwrite) {
    if (!QFileInfo(from).isFile()) return false;
    if (same_file(from, to)) return true;
    const QFileInfo target(to);
    if (target.exists() && (!overwrite || target.isDir())) return false;
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) return false;
    QSaveFile copy(to);
    if (!copy.open(QIODevice::WriteOnly)) return false;
    QByteArray chunk;
    while (!(chunk = source.read(1 << 20)).isEmpty()) {
        if (copy.write(chunk) != chunk.size()) {
            copy.cancelWriting();
            return false;
        }
    }
    if (source.error() != QFileDevice::NoError) {
        copy.cancelWriting();
        return false;
    }
    return commit_whole_file(copy);
}

bool file_copy_scratch(const QString& from, const QString& to) {
    if (!QFileInfo(from).isFile() || same_file(from, to)) return false;
    if (QFileInfo::exists(to) && !QFile::remove(to)) return false;
    return QFile::copy(from, to);
}

bool commit_whole_file(QSaveFile& file) {
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool file_delete(const QString& path) {
    if (!QFileInfo(path).isFile()) return false;
    return QFile::remove(path);
}

bool make_directory(const QString& path) {
    if (path.isEmpty()) return false;
    return QDir().mkpath(path);
}

QString md5_hex(const QString& text) {
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
}

QString temp_folder() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/fee-office-XXXXXX"));
    if (!dir.isValid()) return QDir::tempPath();
    return dir.path();
}

namespace {
qsizetype last_separator(const QString& path) {
    return std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
}
}  // namespace

QString path_directory_part(const QString& path) {
    const qsizetype at = last_separator(path);
    return at < 0 ? QString() : path.left(at + 1);
}

QString path_file_name_part(const QString& path) {
    const qsizetype at = last_separator(path);
    return at < 0 ? path : path.mid(at + 1);
}

}  // namespace platform
