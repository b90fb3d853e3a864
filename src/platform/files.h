#pragma once
// Files and settings: the program folder and the paths under it, the settings file pz.ini,
// file copies, MD5 digests and a private scratch folder.
#include <QString>

class QSaveFile;

namespace platform {

// Files under the program folder, one constant for every spelling the program uses for them
// ("data.mdb" and "DATA.mdb" are one file, so are "print.mdb" and "Print.mdb").
// Pass them to app_path().
inline const QString kMainDatabaseFile = QStringLiteral("DATA/DATA.mdb");
inline const QString kShippedDatabaseFile = QStringLiteral("bak/data.bak");
inline const QString kPrintDatabaseFile = QStringLiteral("print.mdb");
inline const QString kShippedPrintDatabaseFile = QStringLiteral("bak/print.bak");
inline const QString kBackupFolder = QStringLiteral("bak");
inline const QString kIniFile = QStringLiteral("pz.ini");

// The folder of the executable (no trailing separator), or the folder a test set.
QString program_directory();
// Points the program folder at a test's temporary copy; an empty path restores the real one.
void set_program_directory_for_tests(const QString& path);

// A path under the program folder from a tail written either way: "\\DATA\\DATA.mdb",
// "DATA/DATA.mdb" and "/DATA//DATA.mdb" all give program_directory() + "/DATA/DATA.mdb".
QString app_path(const QString& tail);

// pz.ini in the program folder, UTF-8 without byte-order mark. Every call reads the file
// afresh and every write saves it at once, so an edit made behind the program's back is seen
// by the next read. Section and key names match without regard to ASCII letter case.
// A missing file, section or key reads as default_value.
QString ini_read_text(const QString& section, const QString& key,
                      const QString& default_value = QString());
// Creates the file when missing. Line breaks in the value are written as blanks, so a value
// cannot break the file apart. Returns false when the file cannot be written.
bool ini_write_text(const QString& section, const QString& key, const QString& value);

bool file_exists(const QString& path);  // a file, not a folder
bool folder_exists(const QString& path);
// Copies a file; false when the source is missing, the target exists and overwrite is false,
// or writing fails. The target is replaced whole or not at all (written beside it, then
// renamed over it). Copying a file onto itself succeeds and leaves it untouched.
bool file_copy(const QString& from, const QString& to, bool overwrite);
// A copy laid for a scratch file (the print database), replacing what is there: written in
// place, without waiting for the disk; a broken copy is laid again at its next use.
bool file_copy_scratch(const QString& from, const QString& to);
// Finishes a file written through QSaveFile only when every byte reached the disk: the buffered
// rest is flushed and checked first (QSaveFile::commit alone renames a file cut short by a full
// disk over the old one and reports success). On failure the old file stays and the new one is
// dropped.
bool commit_whole_file(QSaveFile& file);
// False when there was nothing to delete or it could not be deleted.
bool file_delete(const QString& path);
// Creates the folder and any missing parents; true when it exists afterwards.
bool make_directory(const QString& path);

// 32 lowercase hexadecimal digits: the MD5 digest of the text's UTF-8 bytes.
QString md5_hex(const QString& text);

// A private temporary folder for scratch files, created on first use and removed with
// everything in it when the process ends. No trailing separator.
QString temp_folder();

// The path up to and including its last separator ("D:\data\x.dbf" -> "D:\data\",
// "/home/a/x.dbf" -> "/home/a/"); empty when there is none. Both '\' and '/' separate.
QString path_directory_part(const QString& path);
// The part after the last separator; the whole path when there is none.
QString path_file_name_part(const QString& path);

}  // namespace platform
