#include "households/household_lists.h"

#include <QHash>
#include <QPointer>
#include <QTableView>
#include <array>
#include <string>

#include "lists/list_colours.h"
#include "lists/list_columns.h"
#include "lists/progress_window.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/listview.h"
#include "shell/main_window.h"
#include "store/main_database.h"

namespace households {

namespace {

// Where the filler keeps the row of a list's totals row (-1: none).
constexpr char kTotalsRowProperty[] = "household_totals_row";

QPointer<QTableView>& todays_list_slot() {
    static QPointer<QTableView> list;
    return list;
}

QPointer<QTableView>& query_list_slot() {
    static QPointer<QTableView> list;
    return list;
}

QWidget* progress_owner_for(QTableView* list) {
    if (shell::MainWindow* window = shell::main_window()) return window;
    return list ? list->window() : nullptr;
}

enum Cell {
    kNumber, kName, kCard, kKind, kStreet, kAddress, kRegistered, kIdentity, kBank, kAccount,
    kFixedPhone, kMobilePhone, kPersons, kMnemonic, kCategory, kArea, kParking, kRemark, kCellCount
};

// The record set's fields behind the cells, looked up once per fill.
struct Fields {
    std::array<int, kCellCount> cell{};
    int parent = -1;
    int kind = -1;

    explicit Fields(const platform::RecordSet& r) {
        const auto at = [&r](const char16_t* name) {
            return platform::recordset_field_index(r, QString::fromUtf16(name));
        };
        cell[kNumber] = at(u"户号");
        cell[kName] = at(u"用户名");
        cell[kCard] = at(u"磁卡号码");
        cell[kKind] = -1;
        cell[kStreet] = at(u"居住街道");
        cell[kAddress] = at(u"详细地址");
        cell[kRegistered] = at(u"建档时间");
        cell[kIdentity] = at(u"身份证号");
        cell[kBank] = at(u"开户银行");
        cell[kAccount] = at(u"银行帐号");
        cell[kFixedPhone] = at(u"固定电话");
        cell[kMobilePhone] = at(u"移动电话");
        cell[kPersons] = at(u"家庭人口");
        cell[kMnemonic] = at(u"助记词");
        cell[kCategory] = at(u"物业类别");
        cell[kArea] = at(u"物业面积");
        cell[kParking] = at(u"停车费");
        cell[kRemark] = at(u"备注");
        parent = at(u"父号");
        kind = at(u"性质");
    }
};

// The kind word of every case, made once per fill by the rule itself.
struct KindWords {
    std::string word[2][2];  // [several meters][top-level household]
    explicit KindWords(KindPlace place) {
        for (int several = 0; several < 2; ++several)
            for (int top = 0; top < 2; ++top)
                word[several][top] = household_kind_word(several != 0,
                                                         top ? QStringLiteral("0") : QStringLiteral("1"),
                                                         place)
                                         .toStdString();
    }
};

void append_household(lists::ListBuilder& build, const platform::RecordSet& r, const Fields& f,
                      const KindWords& kinds, std::string& scratch) {
    const int row = build.append_empty_row();
    for (const Cell text_cell : {kNumber, kName, kCard, kStreet, kAddress, kIdentity, kBank, kAccount,
                                 kFixedPhone, kMobilePhone, kMnemonic, kCategory, kRemark})
        build.put_text(row, text_cell, r, f.cell[text_cell]);
    const bool top = platform::recordset_field_utf8(r, f.parent, scratch) == "0";
    build.put_utf8(row, kKind, kinds.word[platform::recordset_field_bool(r, f.kind) ? 1 : 0][top ? 1 : 0]);
    // 2012年9月28日 (a time of day is not shown).
    build.put_date(row, kRegistered, r, f.cell[kRegistered]);
    for (const Cell number_cell : {kPersons, kArea, kParking})
        build.put_number(row, number_cell, r, f.cell[number_cell]);
}

// A household number as the table compares it (COLLATE NOCASE: ASCII letters without case).
QString fold_number(QString number) {
    for (QChar& ch : number)
        if (ch >= u'A' && ch <= u'Z') ch = QChar(ch.unicode() + (u'a' - u'A'));
    return number;
}

// The household lists draw their totals row in the list's own colours.
void append_totals_row(lists::ListBuilder& build, const QString& caption, int count) {
    const int row = build.append_row({caption, QString::number(count)});
    build.list()->setProperty(kTotalsRowProperty, row);
}

}  // namespace

QTableView* todays_households_list() { return todays_list_slot(); }
QTableView* household_query_list() { return query_list_slot(); }
void register_todays_households_list(QTableView* list) { todays_list_slot() = list; }
void register_household_query_list(QTableView* list) { query_list_slot() = list; }

QString todays_households_statement() {
    return QStringLiteral("select * from 用户信息表  where  建档时间=") +
           platform::date_to_sql_literal(platform::today()) + QStringLiteral("  ORDER  BY 编号  DESC");
}

int fill_household_list(QTableView* list, const QString& statement, KindPlace place,
                        const QString& totals_caption, QWidget* progress_owner) {
    if (!list) return 0;
    list->setProperty(kTotalsRowProperty, -1);
    int listed = 0;
    {
        lists::ProgressScope progress(progress_owner);
        lists::ListBuilder build(list, kHouseholdColumnClass);
        platform::RecordSet records(store::main_connection());
        if (platform::recordset_open(records, statement)) {
            const int count = platform::recordset_record_count(records);
            progress.set_maximum(count);
            build.reserve_rows(count + 1);
            const Fields fields(records);
            const KindWords kinds(place);
            std::string scratch;
            for (; !platform::recordset_eof(records); platform::recordset_move_next(records)) {
                progress.step();
                append_household(build, records, fields, kinds, scratch);
                ++listed;
            }
        }
        platform::recordset_close(records);
        if (!totals_caption.isEmpty()) append_totals_row(build, totals_caption, listed);
        build.finish();
    }
    list->setFocus();
    return listed;
}

void fill_todays_households_list() {
    QTableView* list = todays_households_list();
    if (!list) return;
    fill_household_list(list, todays_households_statement(), KindPlace::AddList, QString(),
                        progress_owner_for(list));
}

void fill_household_list_by_numbers(const QStringList& numbers, QWidget* window, QTableView* list) {
    if (!list) return;
    list->setProperty(kTotalsRowProperty, -1);
    {
        // The progress window stands over the main window, as with the other fills.
        QWidget* main = shell::main_window();
        lists::ProgressScope progress(main ? main : (window ? window : list->window()));
        lists::ListBuilder build(list, kHouseholdColumnClass);
        progress.set_maximum(static_cast<int>(numbers.size()));
        platform::RecordSet records(store::main_connection());
        const KindWords kinds(KindPlace::AddList);
        std::string scratch;
        int found = 0;
        // One statement per run of numbers rather than one per number (an import lists tens of
        // thousands); the rows found are then put in the order of the numbers, each number's
        // rows in table order, as a statement per number would list them.
        constexpr qsizetype kNumbersPerStatement = 2000;
        for (qsizetype from = 0; from < numbers.size(); from += kNumbersPerStatement) {
            const QStringList run = numbers.mid(from, kNumbersPerStatement);
            QStringList quoted;
            quoted.reserve(run.size());
            for (const QString& number : run) quoted << platform::sql_quote(number);
            const bool opened = platform::recordset_open(
                records, QStringLiteral("select * from 用户信息表  where  户号 in (") +
                             quoted.join(u',') + QStringLiteral(") and  父号='0' ORDER BY 编号"));
            // Rows by household number, compared as the table compares them.
            QHash<QString, QList<int>> rows_of;
            if (opened) {
                const int number_field =
                    platform::recordset_field_index(records, QStringLiteral("户号"));
                for (int r = 0; !platform::recordset_eof(records);
                     platform::recordset_move_next(records), ++r)
                    rows_of[fold_number(platform::recordset_field_text(records, number_field))]
                        .append(r);
            }
            const Fields fields(records);
            for (const QString& number : run) {
                progress.step();
                if (!opened) continue;
                const QList<int> found_rows = rows_of.value(fold_number(number));
                if (found_rows.size() == 1) ++found;
                for (const int r : found_rows) {
                    platform::recordset_move_to(records, r);
                    append_household(build, records, fields, kinds, scratch);
                }
            }
        }
        platform::recordset_close(records);
        append_totals_row(build, QStringLiteral("用户数"), found);
        build.finish();
    }
    list->setFocus();
}

// The statement the query list was last filled by, so that a change can show it again.
const char kShownQueryStatement[] = "shown_household_statement";

void fill_household_query_list(const QString& statement) {
    QTableView* list = household_query_list();
    if (!list) return;
    list->setProperty(kShownQueryStatement, statement);
    fill_household_list(list, statement, KindPlace::QueryList, QStringLiteral("当前："),
                        progress_owner_for(list));
}

void refill_household_query_list() {
    QTableView* list = household_query_list();
    if (!list) return;
    const QString statement = list->property(kShownQueryStatement).toString();
    if (!statement.isEmpty()) fill_household_query_list(statement);
}

void lay_out_household_query_columns(QTableView* list) {
    if (!list) return;
    list->setProperty(kTotalsRowProperty, -1);
    lists::refresh_list_colours(nullptr, list, true);
    platform::ListModel* model = platform::listview_model(list);
    platform::ListModel::Filler fill(model);
    model->clear_columns();
    platform::RecordSet records(store::main_connection());
    if (platform::recordset_open(records,
                                 QStringLiteral("select 列名,列宽 from 查询列 where 显示='真' and 类名=") +
                                     platform::sql_quote(kHouseholdColumnClass) +
                                     QStringLiteral(" ORDER  BY 排序"))) {
        for (; !platform::recordset_eof(records); platform::recordset_move_next(records))
            model->insert_column(platform::recordset_field_text(records, 0),
                                 static_cast<int>(platform::recordset_field_number(records, 1)));
    }
    platform::recordset_close(records);
}

int household_list_totals_row(QTableView* list) {
    if (!list) return -1;
    const QVariant row = list->property(kTotalsRowProperty);
    return row.isValid() ? row.toInt() : -1;
}

HouseholdSelection selected_household_number(QTableView* list, QString* number) {
    if (number) number->clear();
    if (!list) return HouseholdSelection::NothingSelected;
    const int column = platform::listview_column_index(list, QStringLiteral("户号"));
    if (column < 0) return HouseholdSelection::NoNumberColumn;
    const int row = platform::listview_selected_row(list);
    if (row < 0 || row == household_list_totals_row(list)) return HouseholdSelection::NothingSelected;
    const QString text = platform::listview_cell_text(list, row, column);
    if (text.isEmpty()) return HouseholdSelection::NothingSelected;
    if (number) *number = text;
    return HouseholdSelection::Selected;
}

}  // namespace households
