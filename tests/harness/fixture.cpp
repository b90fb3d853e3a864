#include "harness/fixture.h"

#include <QDir>
#include <QFile>

#include "platform/convert.h"
#include "platform/db.h"
#include "platform/files.h"
#include "shell/session.h"
#include "store/main_database.h"

#ifndef FEE_APP_DIR
#define FEE_APP_DIR ""
#endif

namespace harness {

QString shipped_program_folder() {
    const QString from_env = qEnvironmentVariable("FEE_APP_DIR");
    return from_env.isEmpty() ? QStringLiteral(FEE_APP_DIR) : from_env;
}

void lay_out_program_folder(const QString& folder) {
    const QString shipped = shipped_program_folder();
    QDir(folder).mkpath(QStringLiteral("DATA"));
    QDir(folder).mkpath(QStringLiteral("bak"));
    for (const QString& tail : {platform::kShippedDatabaseFile, platform::kShippedPrintDatabaseFile}) {
        ASSERT_TRUE(QFile::copy(shipped + "/" + tail, folder + "/" + tail))
            << "missing shipped file " << (shipped + "/" + tail).toStdString();
    }
    ASSERT_TRUE(QFile::copy(shipped + "/" + platform::kShippedDatabaseFile,
                            folder + "/" + platform::kMainDatabaseFile));
    for (const QString& tail : {platform::kShippedDatabaseFile, platform::kShippedPrintDatabaseFile,
                                platform::kMainDatabaseFile})
        QFile::setPermissions(folder + "/" + tail, QFile::ReadOwner | QFile::WriteOwner);
    // The receipt templates and their shipped copies.
    QDir(folder).mkpath(QStringLiteral("grf"));
    for (const QString& tail : {QStringLiteral("grf/sf.grf"), QStringLiteral("grf/yc.grf"),
                                QStringLiteral("bak/sf.bak"), QStringLiteral("bak/yc.bak")}) {
        ASSERT_TRUE(QFile::copy(shipped + "/" + tail, folder + "/" + tail))
            << "missing shipped file " << (shipped + "/" + tail).toStdString();
        QFile::setPermissions(folder + "/" + tail, QFile::ReadOwner | QFile::WriteOwner);
    }
    QFile ini(folder + "/" + platform::kIniFile);
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
}

void ProgramFolderTest::SetUp() {
    // Each test starts as the program does: no one logged in and every parameter at its
    // default, whatever the test before it left.
    shell::clear_program_values();
    dir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(dir_->isValid());
    folder_ = dir_->path();
    lay_out_program_folder(folder_);
    platform::set_program_directory_for_tests(folder_);
    ASSERT_TRUE(store::open_main_database()) << platform::db_last_error(store::main_connection()).toStdString();
    store::bind_main_record_sets();
}

void ProgramFolderTest::TearDown() {
    store::close_main_database();
    shell::clear_program_values();
    platform::clear_clock_for_tests();
    platform::set_program_directory_for_tests(QString());
    dir_.reset();
}

QString ProgramFolderTest::path(const QString& tail) const { return folder_ + "/" + tail; }

void ProgramFolderTest::exec(const QString& sql) {
    EXPECT_TRUE(platform::db_execute(store::main_connection(), sql))
        << sql.toStdString() << ": " << platform::db_last_error(store::main_connection()).toStdString();
}

QList<QStringList> ProgramFolderTest::rows(const QString& sql) {
    QList<QStringList> result;
    platform::RecordSet rs;
    platform::recordset_bind_connection(rs, store::main_connection());
    if (!platform::recordset_open(rs, sql)) {
        ADD_FAILURE() << sql.toStdString() << ": "
                      << platform::db_last_error(store::main_connection()).toStdString();
        return result;
    }
    const int fields = platform::recordset_field_count(rs);
    for (; !platform::recordset_eof(rs); platform::recordset_move_next(rs)) {
        QStringList row;
        for (int i = 0; i < fields; ++i) row << platform::recordset_field_text(rs, i);
        result << row;
    }
    platform::recordset_close(rs);
    return result;
}

QString ProgramFolderTest::value(const QString& sql) {
    const auto all = rows(sql);
    return all.isEmpty() || all.first().isEmpty() ? QString() : all.first().first();
}

qint64 ProgramFolderTest::count(const QString& sql) { return value(sql).toLongLong(); }

void ProgramFolderTest::set_clock(const QDateTime& moment) { platform::set_clock_for_tests(moment); }

void ProgramFolderTest::reopen() {
    store::close_main_database();
    ASSERT_TRUE(store::reopen_main_database());
}

}  // namespace harness
