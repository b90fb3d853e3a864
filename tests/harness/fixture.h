#pragma once
// A test's own program folder: a temporary copy of what ships (DATA/DATA.mdb fresh from the
// shipped database, bak/data.bak, bak/print.bak, an empty pz.ini), the program pointed at it,
// the main database open, no one logged in, the system parameters at their defaults and a
// scripted user in place. Tests read tables back through the helpers below.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "harness/scripted_ui.h"

namespace harness {

// The build's program folder, where the shipped files lie.
QString shipped_program_folder();

// Lays out a program folder in `folder` as a fresh installation has it.
void lay_out_program_folder(const QString& folder);

class ProgramFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Path of a file under the test's program folder ("DATA/DATA.mdb", "pz.ini").
    QString path(const QString& tail) const;
    const QString& folder() const { return folder_; }

    // Runs a statement on the main connection; fails the test when it fails.
    void exec(const QString& sql);
    // All rows of a query as texts (columns in select order).
    QList<QStringList> rows(const QString& sql);
    // The first column of the first row, or "" when there is no row.
    QString value(const QString& sql);
    qint64 count(const QString& sql);

    // Fixes the program's clock.
    void set_clock(const QDateTime& moment);

    // Closes the main database and opens it again (as the program does around file work).
    void reopen();

    UiScript ui;

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString folder_;
};

}  // namespace harness
