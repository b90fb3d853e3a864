#pragma once
// A program folder with the shipped database, the administrator logged in, the parameters
// loaded, the clock fixed on 5 March 2024, and helpers that seed households, meter accounts,
// price categories, pending and committed readings.
#include <sqlcipher/sqlite3.h>

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "harness/fixture.h"
#include "harness/units.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/listview.h"
#include "reading/reading_entry.h"
#include "shell/program_state.h"
#include "shell/run_context.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace reading_test {

inline QString s(const char* utf8) { return QString::fromUtf8(utf8); }

using harness::unit;
using platform::sql_quote;

class ReadingTest : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        shell::init_program_variables();
        shell::current_operator = s("管理员");
        shell::load_system_parameters();
        set_clock(kNow);
        reading::reading_entry_next_meter_id = 0;
        reading::reading_entry_fee_item.clear();
        reading::reading_entry_price_category.clear();
        reading::reading_entry_reader.clear();
        reading::reading_entry_household.clear();
        exec(s("insert into 街道(街道) values ('东区')"));
        exec(s("insert into 抄表员(抄表员) values ('张三')"));
        exec(s("insert into 抄表员(抄表员) values ('李四')"));
        add_category(s("水费"), s("居民"), 2.5, 0);
        add_category(s("电费"), s("照明"), 0.6, 0);
    }
    void TearDown() override {
        shell::free_program_variables();
        ProgramFolderTest::TearDown();
    }

    platform::Connection& db() { return store::main_connection(); }

    // The run the reading routines are handed: the fixture's moment, the loaded parameters and
    // the operator.
    static inline const QDateTime kNow{QDate(2024, 3, 5), QTime(10, 0, 0)};
    shell::RunContext context() const {
        return {kNow, shell::system_parameters, shell::current_operator};
    }

    void add_category(const QString& item, const QString& category, double price, int loss_rate) {
        exec(s("insert into 水价类别 (编号,水价类别,收费项目,价格,基本方,电损率) values (9,") +
             sql_quote(category) + u',' + sql_quote(item) + u',' + platform::sql_number(price) +
             s(",0,") + QString::number(loss_rate) + u')');
    }

    void set_loss(const QString& item, const QString& automatic, const QString& digits) {
        exec(s("update 收费项目 set 自动损耗=") + sql_quote(automatic) + s(",损耗位数=") +
             sql_quote(digits) + s(" where 项目名称=") + sql_quote(item));
    }

    // A household (父号 '0'), street 东区, property category 住宅.
    void add_household(const QString& number, const QString& name, double area = 0,
                       bool composite = false) {
        exec(s("insert into 用户信息表 (户号,父号,用户名,居住街道,详细地址,建档时间,性质,物业类别,"
               "物业面积) values (") +
             sql_quote(number) + s(",'0',") + sql_quote(name) + s(",'东区',") +
             sql_quote(name + s("的家")) + s(",'2024-1-1',") + (composite ? s("1") : s("0")) +
             s(",'住宅',") + platform::sql_number(area) + u')');
    }

    struct Meter {
        QString number, household, item = QStringLiteral("水费"), category = QStringLiteral("居民");
        QString reader = QStringLiteral("张三");
        int order = 1;
        double start = 0;
        int multiplier = 1;
        QString state = QStringLiteral("正常");
        QString meter_number = QStringLiteral("M1");
    };
    void add_meter(const Meter& m) {
        exec(s("insert into 用户表管理 (户号,收费项目,价格类别,开始起数,抄表人员,倍率,计量编号,"
               "抄表序号,建表时间,父号,状态) values (") +
             sql_quote(m.number) + u',' + sql_quote(m.item) + u',' + sql_quote(m.category) + u',' +
             platform::sql_number(m.start) + u',' + sql_quote(m.reader) + u',' +
             QString::number(m.multiplier) + u',' + sql_quote(m.meter_number) + u',' +
             QString::number(m.order) + s(",'2024-1-1',") + sql_quote(m.household) + u',' +
             sql_quote(m.state) + u')');
    }
    // A household with one water meter (household number + "01").
    void add_water_household(const QString& number, const QString& name, int order,
                             double start = 0, const QString& reader = QStringLiteral("张三")) {
        add_household(number, name);
        Meter m;
        m.number = number + s("01");
        m.household = number;
        m.order = order;
        m.start = start;
        m.reader = reader;
        add_meter(m);
    }

    // A committed reading.
    void add_history(const QString& account, const QString& household, double start, double end,
                     const QString& date, const QString& item = QStringLiteral("水费"),
                     const QString& category = QStringLiteral("居民"), int billed = 1) {
        exec(s("insert into 抄表总表 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
               "抄表人员,是否收费,价格) values (") +
             sql_quote(account) + u',' + sql_quote(household) + u',' + platform::sql_number(start) +
             u',' + platform::sql_number(end) + u',' + platform::sql_number(end - start) +
             s(",0,") + sql_quote(date) + u',' + sql_quote(item) + u',' + sql_quote(category) +
             s(",'张三',") + QString::number(billed) + s(",2.5)"));
    }

    // A pending reading.
    void add_pending(const QString& account, const QString& household, double start, double end,
                     const QString& item = QStringLiteral("水费"),
                     const QString& category = QStringLiteral("居民"),
                     const QString& date = QStringLiteral("2024-3-5"), double price = 2.5) {
        exec(s("insert into 抄表管理 (户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,"
               "抄表人员,价格) values (") +
             sql_quote(account) + u',' + sql_quote(household) + u',' + platform::sql_number(start) +
             u',' + platform::sql_number(end) + u',' + platform::sql_number(end - start) +
             s(",0,") + sql_quote(date) + u',' + sql_quote(item) + u',' + sql_quote(category) +
             s(",'张三',") + platform::sql_number(price) + u')');
    }

    // A SQLite trigger that makes a statement fail (the layer's translator is not involved).
    void raw_exec(const char* sql) {
        char* error = nullptr;
        const int rc = sqlite3_exec(platform::db_handle(db()), sql, nullptr, nullptr, &error);
        EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        platform::db_schema_changed(db());
    }

    static QLineEdit* edit(QWidget* w, const char* name) { return unit<QLineEdit>(w, name); }
    static QComboBox* combo(QWidget* w, const char* name) { return unit<QComboBox>(w, name); }
    static QPushButton* button(QWidget* w, const char* name) { return unit<QPushButton>(w, name); }

    // Every cell of a list, row by row.
    static QList<QStringList> list_rows(QTableView* list) {
        QList<QStringList> out;
        for (int r = 0; r < platform::listview_row_count(list); ++r) {
            QStringList row;
            for (int c = 0; c < platform::listview_column_count(list); ++c)
                row << platform::listview_cell_text(list, r, c);
            out << row;
        }
        return out;
    }
};

}  // namespace reading_test
