#pragma once
// A program folder with the shipped database (fee items 物业, 电费 and 水费, category 住宅 of
// 物业), the administrator logged in, the parameters loaded and a fixed clock; helpers to find
// units, drive the edit dialogs and read the maintenance lists.
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <functional>

#include "harness/fixture.h"
#include "harness/units.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/listview.h"
#include "shell/program_state.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"

namespace tariffs_test {

inline QString s(const char* utf8) { return QString::fromUtf8(utf8); }

using harness::unit;

class TariffTest : public harness::ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        shell::init_program_variables();
        shell::current_operator = s("管理员");
        shell::load_system_parameters();
        set_clock(QDateTime(QDate(2024, 3, 5), QTime(10, 0, 0)));
    }
    void TearDown() override {
        shell::free_program_variables();
        ProgramFolderTest::TearDown();
    }

public:
    static QLineEdit* edit(QWidget* w, const char* name) { return unit<QLineEdit>(w, name); }
    static QComboBox* combo(QWidget* w, const char* name) { return unit<QComboBox>(w, name); }
    static QPushButton* button(QWidget* w, const char* name) { return unit<QPushButton>(w, name); }
    static void choose(QComboBox* box, const QString& text) {
        const int index = box->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
    }
    static QStringList items(QComboBox* box) {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
        return texts;
    }

    // Every row of a list view, cell texts in column order.
    static QList<QStringList> listed(QTableView* list) {
        QList<QStringList> result;
        for (int row = 0; row < platform::listview_row_count(list); ++row) {
            QStringList cells;
            for (int column = 0; column < platform::listview_column_count(list); ++column)
                cells << platform::listview_cell_text(list, row, column);
            result << cells;
        }
        return result;
    }
    // Selects the first row whose cell under `title` is `text`.
    static void select_row(QTableView* list, const QString& title, const QString& text) {
        const int column = platform::listview_column_index(list, title);
        for (int row = 0; row < platform::listview_row_count(list); ++row)
            if (platform::listview_cell_text(list, row, column) == text) {
                platform::listview_select_row(list, row);
                return;
            }
        ADD_FAILURE() << "no row " << text.toStdString();
    }

    // The next modal window of this class runs `fill`, then its OK button `ok`; the window's
    // own result is returned.
    void on_dialog(const char* class_name, const char* ok, std::function<void(QDialog*)> fill) {
        ui.on_modal(s(class_name), [fill, ok](QDialog* w) {
            fill(w);
            unit<QPushButton>(w, ok)->click();
            return w->result();
        });
    }

protected:
    QString log_rows_text() {
        QStringList lines;
        for (const QStringList& row : rows(s("select 上级项目,当前项目,备注 from 日志管理 order by ID")))
            lines << row.join(u'|');
        return lines.join(u'\n');
    }
};

}  // namespace tariffs_test
