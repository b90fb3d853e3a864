#include "reading/monthly_reading_page.h"

#include <QPushButton>
#include <QTableView>
#include <array>

#include "lists/list_columns.h"
#include "lists/progress_window.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "platform/query.h"
#include "reading/monthly_commit.h"
#include "reading/reading_entry_window.h"
#include "reading/reading_rules.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "shell/session.h"
#include "store/main_database.h"
#include "ui_monthly_reading_page.h"

namespace reading {

namespace {

using platform::inform;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

const QString kInfoCaption = QStringLiteral("提示信息");

// "2024-03-05" (as stored) -> "2024年3月5日", as to_text writes a date; other texts through the
// full date reader.
QString reading_date_text(const platform::RecordSet& records, int field) {
    const QString stored = platform::recordset_field_text(records, field);
    if (stored.size() == 10 && stored[4] == u'-' && stored[7] == u'-') {
        bool y = false, m = false, d = false;
        const int year = QStringView(stored).left(4).toInt(&y);
        const int month = QStringView(stored).mid(5, 2).toInt(&m);
        const int day = QStringView(stored).mid(8, 2).toInt(&d);
        if (y && m && d)
            return QString::number(year) + QStringLiteral("年") + QString::number(month) +
                   QStringLiteral("月") + QString::number(day) + QStringLiteral("日");
    }
    return platform::to_text(platform::recordset_field_date(records, field));
}

// The cells of the current pending row, by position; the statement may select the fields in
// any order.
class MonthlyCells {
public:
    explicit MonthlyCells(const platform::RecordSet& records) : records_(records) {
        static const std::array<const char16_t*, 11> names = {
            u"户号", u"用户名", u"居住街道", u"收费项目", u"价格类别", u"起方",
            u"止方", u"用量",   u"水损",     u"抄表人员", u"抄表日期"};
        for (size_t i = 0; i < names.size(); ++i)
            field_[i] = platform::recordset_field_index(records, QString::fromUtf16(names[i]));
    }
    const QStringList& current() {
        cells_.clear();
        for (size_t i = 0; i + 1 < field_.size(); ++i)
            cells_ << platform::recordset_field_text(records_, field_[i]);
        cells_ << reading_date_text(records_, field_[10]);
        return cells_;
    }

private:
    const platform::RecordSet& records_;
    std::array<int, 11> field_{};
    QStringList cells_;
};

// What a list filled with the standard statement remembers, so that the next pending rows can
// be put in front of it without reading the batch again: the newest 编号 it shows, the titles
// of its columns, and the cell position each column shows.
const char kShownThrough[] = "monthly_shown_through";
const char kShownTitles[] = "monthly_shown_titles";
const char kShownCells[] = "monthly_shown_cells";

QStringList column_titles(QTableView* list) {
    QStringList titles;
    for (int c = 0; c < platform::listview_column_count(list); ++c)
        titles << platform::listview_column_title(list, c);
    return titles;
}

void forget_shown_rows(QTableView* list) {
    list->setProperty(kShownThrough, QVariant());
    list->setProperty(kShownTitles, QVariant());
    list->setProperty(kShownCells, QVariant());
}

qint64 newest_pending_id() {
    return platform::query_integer(store::main_connection(),
                                   QStringLiteral("select max(编号) from 抄表管理"),
                                   platform::OnFailure::Quiet);
}

}  // namespace

void fill_monthly_reading_list(QWidget* window, QTableView* list, const QString& statement) {
    platform::listview_set_checkable(list, true);
    forget_shown_rows(list);
    const bool standard = statement == monthly_reading_statement();
    QStringList laid_out;
    {
        lists::ListBuilder build(list, kMonthlyColumnClass, window);
        platform::RecordSet records;
        platform::recordset_bind_connection(records, store::main_connection());
        if (platform::recordset_open(records, statement)) {
            const int count = platform::recordset_record_count(records);
            build.show_progress(count);
            build.reserve_rows(count);
            MonthlyCells cells(records);
            for (; !platform::recordset_eof(records); platform::recordset_move_next(records))
                build.append_row(cells.current());
            platform::recordset_close(records);
        }
        laid_out = column_titles(list);
        build.finish();
    }
    if (!standard) return;
    // Which cell each remaining column shows: the hidden columns went by title, first first.
    const QStringList shown = column_titles(list);
    QVariantList positions;
    QStringList left = laid_out;
    for (const QString& title : shown) {
        const qsizetype at = left.indexOf(title);
        if (at < 0) return;
        positions << static_cast<int>(at);
        left[at] = QString(QChar(0));  // taken
    }
    list->setProperty(kShownThrough, newest_pending_id());
    list->setProperty(kShownTitles, shown);
    list->setProperty(kShownCells, positions);
}

void show_new_monthly_readings(QWidget* window, QTableView* list) {
    const QVariant through = list->property(kShownThrough);
    const QVariantList positions = list->property(kShownCells).toList();
    if (!through.isValid() || list->property(kShownTitles).toStringList() != column_titles(list)) {
        fill_monthly_reading_list(window, list, monthly_reading_statement());
        return;
    }
    QString statement = monthly_reading_statement();
    statement.replace(QStringLiteral(" ORDER  BY "), QStringLiteral(" and 抄表管理.编号>") +
                                                        QString::number(through.toLongLong()) +
                                                        QStringLiteral(" ORDER  BY "));
    platform::RecordSet records;
    platform::recordset_bind_connection(records, store::main_connection());
    if (!platform::recordset_open(records, statement)) return;
    // As after a refill: nothing ticked, nothing selected, the newest rows on top.
    platform::ListModel* model = platform::listview_model(list);
    model->clear_checks();
    platform::listview_select_row(list, -1);
    MonthlyCells cells(records);
    int at = 0;
    for (; !platform::recordset_eof(records); platform::recordset_move_next(records)) {
        const QStringList& row_cells = cells.current();
        const int row = model->insert_row(at++);
        for (int c = 0; c < positions.size(); ++c)
            model->set_cell_text(row, c, row_cells.value(positions[c].toInt()));
    }
    platform::recordset_close(records);
    list->setProperty(kShownThrough, newest_pending_id());
    list->scrollToTop();
}

MonthlyReadingPage::MonthlyReadingPage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::MonthlyReadingPage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->月抄表列表框);
    platform::listview_set_checkable(ui->月抄表列表框, true);
    connect(ui->月抄表1, &QPushButton::clicked, this,
            [this] { on_main_monthly_reading_add_click(); });
    connect(ui->月抄表2, &QPushButton::clicked, this,
            [this] { on_main_monthly_reading_modify_click(); });
    connect(ui->月抄表3, &QPushButton::clicked, this,
            [this] { on_main_monthly_reading_delete_click(); });
    connect(ui->月抄表6, &QPushButton::clicked, this,
            [this] { on_main_commit_monthly_readings_click(); });
    connect(ui->月抄表_清除所有, &QPushButton::clicked, this,
            [this] { on_main_monthly_reading_clear_all_click(); });
    connect(ui->月抄表_批量抄表, &QPushButton::clicked, this, [this] {
        if (batch_import_) batch_import_();
    });
    connect(ui->月抄表列表框, &QTableView::doubleClicked, this,
            [this] { on_main_monthly_reading_dblclick(); });
    ui->月抄表_批量抄表->setEnabled(false);
}

MonthlyReadingPage::~MonthlyReadingPage() = default;

QTableView* MonthlyReadingPage::monthly_list() const { return ui->月抄表列表框; }

void MonthlyReadingPage::set_batch_import_action(std::function<void()> action) {
    batch_import_ = std::move(action);
    ui->月抄表_批量抄表->setEnabled(static_cast<bool>(batch_import_));
}

void MonthlyReadingPage::refill() {
    fill_monthly_reading_list(window(), ui->月抄表列表框, monthly_reading_statement());
}

void MonthlyReadingPage::open_entry_window() {
    ReadingEntryWindow entry(ui->月抄表列表框, window());
    platform::window_open_modal(&entry);
}

void MonthlyReadingPage::on_main_monthly_reading_add_click() {
    shell::reading_form_mode = QStringLiteral("添加");
    open_entry_window();
}

void MonthlyReadingPage::on_main_monthly_reading_modify_click() {
    QTableView* list = ui->月抄表列表框;
    if (platform::listview_column_index(list, QStringLiteral("户号")) < 0) {
        inform(QStringLiteral("请在查询列在设置显示户号列!"));
        return;
    }
    const int item_column = platform::listview_column_index(list, QStringLiteral("收费项目"));
    if (item_column < 0) {
        inform(QStringLiteral("请在查询列在设置显示收费项目列!"));
        return;
    }
    const int row = platform::listview_selected_row(list);
    const QString item = row < 0 ? QString() : platform::listview_cell_text(list, row, item_column);
    if (item.isEmpty()) {
        inform(QStringLiteral("请选择待修改的记录！"));
        return;
    }
    if (item == kPropertyFeeItem) {
        inform(
            QStringLiteral("当收费项目为【物业】时系统禁止修改，如果你要修改物业类型的用量，"
                           "请到用户管理中修改用户物业面积！"));
        return;
    }
    shell::reading_form_mode = QStringLiteral("修改");
    open_entry_window();
}

void MonthlyReadingPage::on_main_monthly_reading_dblclick() {
    QTableView* list = ui->月抄表列表框;
    const int column = platform::listview_column_index(list, QStringLiteral("户号"));
    if (column < 0) {
        inform(QStringLiteral("请在查询列在设置显示户号列!"));
        return;
    }
    const int row = platform::listview_selected_row(list);
    if (row < 0 || platform::listview_cell_text(list, row, column).isEmpty()) return;
    shell::reading_form_mode = QStringLiteral("修改");
    open_entry_window();
}

void MonthlyReadingPage::on_main_monthly_reading_delete_click() {
    platform::beep();
    if (platform::message_box(QStringLiteral("确定要删除选中户号的抄表记录吗？"),
                              QStringLiteral("提示删除"), MsgIcon::Question,
                              MsgButtons::OkCancel) != MsgResult::Ok)
        return;
    QTableView* list = ui->月抄表列表框;
    bool ticked = false;
    bool failed = false;
    // A row whose delete failed stays in the list, ticked, so the list shows what is still
    // pending; the walk goes on past it.
    for (int row = 0; row < platform::listview_row_count(list);) {
        if (!platform::listview_row_checked(list, row)) {
            ++row;
            continue;
        }
        ticked = true;
        const QString number = platform::listview_cell_text(list, row, 0);
        if (delete_pending_account(store::main_connection(), number)) {
            platform::listview_delete_row(list, row);
            continue;
        }
        failed = true;
        inform(QStringLiteral("户号【") + number + QStringLiteral("】抄表记录删除失败！"),
               QStringLiteral("删除失败"));
        ++row;
    }
    if (!ticked)
        inform(QStringLiteral("请选中待删除项后再删除！\r\n本次操作失败！"));
    else if (failed)
        inform(QStringLiteral("选中户号抄表记录部分删除失败，未删除的记录仍在列表中！"),
               QStringLiteral("删除失败"));
    else
        inform(QStringLiteral("选中户号抄表记录删除成功！"), QStringLiteral("删除成功"));
}

void MonthlyReadingPage::on_main_monthly_reading_clear_all_click() {
    platform::beep();
    if (platform::message_box(
            QStringLiteral("确定要把清除本月抄表的所有数据吗？\r\n该操作不可逆请慎用！"),
            kInfoCaption, MsgIcon::Question, MsgButtons::OkCancel) != MsgResult::Ok)
        return;
    if (!clear_pending_batch(store::main_connection())) return;
    refill();
    inform(QStringLiteral("操作成功！"), kInfoCaption);
}

void MonthlyReadingPage::on_main_commit_monthly_readings_click() {
    // A click on 抄表入库 while the month is being committed does not commit again.
    lists::BusyGuard busy(committing_, ui->月抄表6);
    if (!busy.running()) return;
    if (!shell::require_permission(QStringLiteral("抄表入库"))) return;
    switch (check_pending_batch(store::main_connection())) {
        case BatchState::Empty:
            inform(QStringLiteral("没有抄表数据。"));
            return;
        case BatchState::NegativeUsage:
            inform(QStringLiteral("待入库的抄表用量不能为负值。"));
            fill_monthly_reading_list(window(), ui->月抄表列表框,
                                      monthly_negative_reading_statement());
            return;
        case BatchState::Ready:
            break;
    }
    platform::beep();
    if (platform::message_box(
            QStringLiteral("确定要把月抄表数据加入到抄表总数据中吗？\r\n该操作不可逆请慎用！"),
            kInfoCaption, MsgIcon::Question, MsgButtons::OkCancel) != MsgResult::Ok)
        return;

    std::unique_ptr<lists::ProgressScope> progress;
    CommitHooks hooks;
    hooks.after_move = [this](bool moved, const QString& error) {
        if (!moved) {
            platform::message_box(error, platform::kDefaultCaption, MsgIcon::None);
            return;
        }
        refill();
    };
    hooks.show = [](const QString& text, bool information_icon) {
        platform::message_box(text, platform::kDefaultCaption,
                              information_icon ? MsgIcon::Information : MsgIcon::None);
    };
    hooks.progress_open = [&progress, this] {
        progress = std::make_unique<lists::ProgressScope>(window());
    };
    hooks.progress_maximum = [&progress](int steps) {
        if (progress) progress->set_maximum(steps);
    };
    hooks.progress_step = [&progress] {
        if (progress) progress->step();
    };
    hooks.progress_close = [&progress] { progress.reset(); };
    const CommitOutcome outcome =
        commit_month(store::main_connection(), shell::program_context(), hooks);
    progress.reset();
    // Success is told once the billing has committed too, never while it is still to run.
    if (outcome.moved && outcome.billing_error.isEmpty() && outcome.failed_items.isEmpty())
        inform(QStringLiteral("操作成功！"), kInfoCaption);
}

void on_main_nav_monthly_reading_click(shell::MainWindow& window, MonthlyReadingPage& page) {
    if (!shell::require_permission(QStringLiteral("抄表添加"))) return;
    window.select_content_page(shell::kPageMonthlyReadings);
    fill_monthly_reading_list(&window, page.monthly_list(), monthly_reading_navigation_statement());
    page.form()->月抄表1->setFocus();
}

}  // namespace reading
