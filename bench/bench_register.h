#pragma once
// A register for the benchmarks of the user's paths: a program folder laid out as installed,
// households, their property-fee meter accounts and log rows written in bulk with the C API
// (setting up is not what is measured), and a user who answers every box, input box, file
// dialog and modal window as a clerk at work would.
#include <sqlcipher/sqlite3.h>

#include <QDate>
#include <QDialog>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/db.h"
#include "platform/dialogs.h"
#include "store/main_database.h"

namespace bench {

// The user: OK and Yes to every box, except that a list is not refreshed after a move (the
// refill of a reader's whole walk is a list fill of its own); input boxes and file dialogs
// answered from `answer` and `file`; a modal window worked by `modal`.
class BenchUser : public platform::UiBackend {
public:
    platform::MsgResult message_box(const QString& text, const QString&, platform::MsgIcon,
                                    platform::MsgButtons buttons, QWidget*) override {
        last_box = text;
        ++boxes;
        if (buttons == platform::MsgButtons::YesNo)
            return text.contains(QStringLiteral("刷新列表")) ? platform::MsgResult::No
                                                             : platform::MsgResult::Yes;
        return platform::MsgResult::Ok;
    }
    bool input_box(const QString&, const QString&, const QString&, QString* answer_out,
                   QWidget*) override {
        *answer_out = answer;
        return true;
    }
    QString file_dialog(const platform::FileDialogRequest&, QWidget*) override { return file; }
    int run_modal(QDialog* window) override {
        window->setResult(QDialog::Rejected);
        if (modal) modal(window);
        return window->result();
    }
    void beep() override {}
    void play_sound(const QString&) override {}
    [[noreturn]] void end_program(int exit_code) override { std::exit(exit_code); }

    QString answer;
    QString file;
    std::function<void(QDialog*)> modal;
    QString last_box;
    int boxes = 0;
};

// Runs `sql` on the main connection with the C API; false when it fails.
inline bool raw_exec(const char* sql) {
    return sqlite3_exec(platform::db_handle(store::main_connection()), sql, nullptr, nullptr,
                        nullptr) == SQLITE_OK;
}

// Household number i (from 1) of the register: six digits.
inline std::string household_number(int i) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06d", i);
    return buf;
}

// `count` households 000001 .. numbered, each with its property-fee meter account (reader 系统,
// reading order i), registered and set up on `date` ("YYYY-MM-DD") or, with spread_days, on one
// of that many days from it on, in one transaction.
inline bool add_register(int count, const char* first_date, int spread_days = 0) {
    sqlite3* db = platform::db_handle(store::main_connection());
    if (!raw_exec("BEGIN")) return false;
    sqlite3_stmt* household = nullptr;
    sqlite3_stmt* meter = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO 用户信息表 (户号,父号,用户名,居住街道,详细地址,身份证号,家庭人口,"
                       "建档时间,磁卡号码,开户银行,银行帐号,性质,备注,助记词,固定电话,移动电话,物业类别,"
                       "物业面积,停车费) VALUES (?,'0',?,?,?,?,?,?,?,'工商银行',?,?,?,?,?,?,'住宅',?,?)",
                       -1, &household, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO 用户表管理 (户号,收费项目,价格类别,开始起数,抄表人员,倍率,计量编号,"
                       "抄表序号,建表时间,父号,状态) VALUES (?,'物业','住宅',0,'系统',1,'000000',?,?,?,"
                       "'正常')",
                       -1, &meter, nullptr);
    bool ok = household && meter;
    char buf[64];
    for (int i = 1; ok && i <= count; ++i) {
        const std::string number = household_number(i);
        std::string day = first_date;
        if (spread_days > 0) {
            const QDate d = QDate::fromString(QString::fromLatin1(first_date), Qt::ISODate)
                                .addDays(i % spread_days);
            day = d.toString(Qt::ISODate).toStdString();
        }
        const char* date = day.c_str();
        const auto text = [&](int slot, const char* format, auto... values) {
            std::snprintf(buf, sizeof buf, format, values...);
            sqlite3_bind_text(household, slot, buf, -1, SQLITE_TRANSIENT);
        };
        sqlite3_bind_text(household, 1, number.c_str(), -1, SQLITE_TRANSIENT);
        text(2, "住户%d号", i);
        text(3, "街道%d", i % 40);
        text(4, "幸福小区%d栋%d号", i % 90, i % 300);
        text(5, "1101011990%08d", i);
        sqlite3_bind_int(household, 6, 1 + i % 6);
        sqlite3_bind_text(household, 7, date, -1, SQLITE_TRANSIENT);
        text(8, "%d", 800000 + i);
        text(9, "6222%d", i);
        sqlite3_bind_int(household, 10, i % 3 == 0);
        if (i % 7)
            sqlite3_bind_null(household, 11);
        else
            text(11, "备注%d", i);
        text(12, "zh%d", i);
        text(13, "010-%d", 1000000 + i);
        text(14, "139%d", 10000000 + i);
        sqlite3_bind_double(household, 15, 50.0 + (i % 200) * 0.5);
        sqlite3_bind_double(household, 16, i % 4 ? 0.0 : 30.0);
        ok = sqlite3_step(household) == SQLITE_DONE;
        sqlite3_reset(household);
        const std::string account = number + "01";
        sqlite3_bind_text(meter, 1, account.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(meter, 2, i);
        sqlite3_bind_text(meter, 3, date, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(meter, 4, number.c_str(), -1, SQLITE_TRANSIENT);
        ok = ok && sqlite3_step(meter) == SQLITE_DONE;
        sqlite3_reset(meter);
    }
    sqlite3_finalize(household);
    sqlite3_finalize(meter);
    return raw_exec(ok ? "COMMIT" : "ROLLBACK") && ok;
}

// `count` rows of the operation log, one a minute from `first_day` ("YYYY-MM-DD") on.
inline bool add_log_rows(int count, int year) {
    sqlite3* db = platform::db_handle(store::main_connection());
    if (!raw_exec("BEGIN")) return false;
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO 日志管理 (操作人员,发生时间,上级项目,当前项目,备注) VALUES "
                       "(?,?,'用户管理','用户添加',?)",
                       -1, &insert, nullptr);
    bool ok = insert != nullptr;
    char when[32], remark[64];
    for (int i = 0; ok && i < count; ++i) {
        const int minutes = i % (60 * 24), day = i / (60 * 24);
        std::snprintf(when, sizeof when, "%04d-%02d-%02d %02d:%02d:%02d", year, 1 + day / 28 % 12,
                      1 + day % 28, minutes / 60, minutes % 60, i % 60);
        std::snprintf(remark, sizeof remark, "单户户号：%06d用户名：住户%d号", i, i);
        sqlite3_bind_text(insert, 1, i % 2 ? "管理员" : "收费员", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 2, when, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, remark, -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE;
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    return raw_exec(ok ? "COMMIT" : "ROLLBACK") && ok;
}

}  // namespace bench
