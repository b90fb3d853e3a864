#include "reading/handheld_windows.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTableView>

#include "households/list_totals.h"
#include "lists/list_columns.h"
#include "lists/progress_window.h"
#include "platform/convert.h"
#include "platform/dialogs.h"
#include "platform/listview.h"
#include "platform/files.h"
#include "platform/query.h"
#include "reading/handheld_schemes.h"
#include "reading/monthly_batch.h"
#include "reading/monthly_reading_page.h"
#include "reading/reading_import.h"
#include "reading/reading_install.h"
#include "shell/main_window.h"
#include "shell/permission_prompts.h"
#include "store/main_database.h"
#include "ui_handheld_import_window.h"
#include "ui_handheld_page.h"
#include "ui_reading_data_conditions_window.h"
#include "ui_reading_data_export_window.h"

namespace reading {

QString handheld_page_mode;

namespace {

using platform::inform;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;

const QString kHandheldClass = QStringLiteral("抄表机");
const QString kSaveCaption = QStringLiteral("保 存&B");

platform::Connection& db() { return store::main_connection(); }

// Shows the account numbers a run left out, when there are any.
void show_skipped_accounts(const QStringList& accounts) {
    if (accounts.isEmpty()) return;
    inform(QStringLiteral("以下") + QString::number(accounts.size()) +
           QStringLiteral("个户号没有对应的抄表户号，未导入：\r\n") + accounts.join(QStringLiteral("、")));
}

}  // namespace

// ---------------------------------------------------------------- page 11

HandheldPage::HandheldPage(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::HandheldPage>()) {
    ui->setupUi(this);
    platform::setup_report_view(ui->抄表机_列表框);
    platform::listview_set_checkable(ui->抄表机_列表框, true);
    connect(ui->抄表机_生成抄表数据, &QPushButton::clicked, this, [this] { on_handheld_generate_click(); });
    connect(ui->抄表机_导出数据, &QPushButton::clicked, this, [this] { on_handheld_export_click(); });
    connect(ui->抄表机_导入数据, &QPushButton::clicked, this, [this] { on_handheld_import_click(); });
    connect(ui->抄表机_删除, &QPushButton::clicked, this, [this] { on_handheld_delete_click(); });
}

HandheldPage::~HandheldPage() = default;

QTableView* HandheldPage::handheld_list() const { return ui->抄表机_列表框; }

void HandheldPage::reset_list() {
    route_.clear();
    lists::ListBuilder build(ui->抄表机_列表框, kHandheldClass, nullptr);
    build.finish();
}

void HandheldPage::fill_handheld_list(const QString& statement) {
    route_ = handheld_route_rows(db(), statement, platform::today());
    inform(QStringLiteral("检索到【") + QString::number(route_.size()) +
           QStringLiteral("】条记录等待系统显示。"));
    lists::ListBuilder build(ui->抄表机_列表框, kHandheldClass, window());
    build.show_progress(static_cast<int>(route_.size()));
    build.reserve_rows(static_cast<int>(route_.size()));
    for (const HandheldRow& row : route_) build.append_row(row.cells());
    build.finish();
    handheld_page_mode = QStringLiteral("导出设置");
}

void HandheldPage::on_handheld_generate_click() {
    ReadingDataConditionsWindow conditions(this, window());
    platform::window_open_modal(&conditions);
}

void HandheldPage::on_handheld_export_click() {
    ReadingDataExportWindow exporter(route_, window());
    platform::window_open_modal(&exporter);
}

void HandheldPage::on_handheld_import_click() {
    HandheldImportWindow importer(window());
    platform::window_open_modal(&importer);
}

void HandheldPage::on_handheld_delete_click() {
    if (handheld_page_mode != QStringLiteral("导出设置")) return;
    QTableView* list = ui->抄表机_列表框;
    bool ticked = false;
    for (int row = platform::listview_row_count(list) - 1; row >= 0; --row) {
        if (!platform::listview_row_checked(list, row)) continue;
        ticked = true;
        platform::listview_delete_row(list, row);
        if (row < static_cast<int>(route_.size())) route_.erase(route_.begin() + row);
    }
    if (!ticked) {
        inform(QStringLiteral("请选中待删除项后再删除！\r\n本次操作失败！"));
        return;
    }
    inform(QStringLiteral("还有[") + QString::number(platform::listview_row_count(list)) +
           QStringLiteral("]条记录。"));
}

void on_main_nav_handheld_click(shell::MainWindow& window, HandheldPage& page) {
    if (!shell::require_permission(QStringLiteral("抄表添加"))) return;
    window.select_content_page(shell::kPageHandheld);
    page.reset_list();
}

// ---------------------------------------------------------------- conditions

ReadingDataConditionsWindow::ReadingDataConditionsWindow(HandheldPage* page, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReadingDataConditionsWindow>()), page_(page) {
    ui->setupUi(this);
    ui->组合框_抄表人员->addItems(
        platform::query_column(db(), QStringLiteral("select 抄表员 from 抄表员 where 抄表员<>'系统'")));
    ui->组合框_抄表人员->setCurrentIndex(ui->组合框_抄表人员->count() > 0 ? 0 : -1);
    ui->组合框_收费项目->addItems(platform::query_column(db(), QStringLiteral("select 项目名称 from 收费项目")));
    ui->组合框_收费项目->setCurrentIndex(-1);
    ui->组合框_排序->addItems({QStringLiteral("按户号升序"), QStringLiteral("按街道升序"),
                               QStringLiteral("按抄表序号升序")});
    connect(ui->按钮_查询, &QPushButton::clicked, this, [this] { on_conditions_ok_click(); });
    connect(ui->按钮_取消, &QPushButton::clicked, this, &QDialog::reject);
}

ReadingDataConditionsWindow::~ReadingDataConditionsWindow() = default;

void ReadingDataConditionsWindow::on_conditions_ok_click() {
    RouteConditions c;
    c.by_reader = ui->选择框_抄表人员->isChecked();
    c.reader = ui->组合框_抄表人员->currentText();
    c.by_fee_item = ui->选择框_收费项目->isChecked();
    c.fee_item = ui->组合框_收费项目->currentText();
    const RouteOutcome outcome = handheld_route_statement(c);
    if (!outcome.ok) {
        inform(outcome.message);
        (outcome.focus == RouteOutcome::Focus::Reader ? ui->组合框_抄表人员 : ui->组合框_收费项目)
            ->setFocus();
        return;
    }
    accept();
    if (page_) page_->fill_handheld_list(outcome.statement);
}

// ---------------------------------------------------------------- schemes and export

ReadingDataExportWindow::ReadingDataExportWindow(std::vector<HandheldRow> route, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ReadingDataExportWindow>()), route_(std::move(route)) {
    ui->setupUi(this);
    ui->组合框_类型->addItems(handheld_field_types());
    ui->组合框_对应字段->addItems(handheld_data_items());
    QTableView* list = ui->字段_列表框;
    platform::setup_report_view(list);
    const std::pair<const char16_t*, int> columns[] = {{u"字段名称", 80}, {u"字段类型", 80},
                                                       {u"字段长度", 80}, {u"对应字段", 80},
                                                       {u"方案名", 80},   {u"编号", 50}};
    for (const auto& [title, width] : columns)
        platform::listview_insert_column(list, QString::fromUtf16(title), width);
    ui->进度条1->setVisible(false);
    fill_handheld_scheme_combo();
    fill_handheld_scheme_fields();
    load_default_handheld_scheme(db());
    ui->编辑框_字段名->setFocus();
    QFile::remove(platform::program_directory() + u'/' + kHandheldFileName);
    connect(ui->组合框_方案名称, &QComboBox::currentTextChanged, this,
            [this] { fill_handheld_scheme_fields(); });
    connect(ui->按钮_新建方案, &QPushButton::clicked, this, [this] { on_new_scheme_click(); });
    connect(ui->按钮_设为默认, &QPushButton::clicked, this, [this] { on_set_default_scheme_click(); });
    connect(ui->按钮_删除方案, &QPushButton::clicked, this, [this] { on_delete_scheme_click(); });
    connect(ui->按钮_添加, &QPushButton::clicked, this, [this] { on_field_add_click(); });
    connect(ui->按钮_修改, &QPushButton::clicked, this, [this] { on_field_modify_click(); });
    connect(ui->按钮_删除, &QPushButton::clicked, this, [this] { on_field_delete_click(); });
    connect(ui->按钮_导出, &QPushButton::clicked, this, [this] { on_handheld_export_dbf_click(); });
    connect(ui->按钮_退出, &QPushButton::clicked, this, &QDialog::reject);
}

ReadingDataExportWindow::~ReadingDataExportWindow() = default;

void ReadingDataExportWindow::fill_handheld_scheme_combo() {
    QComboBox* combo = ui->组合框_方案名称;
    const QSignalBlocker quiet(combo);
    combo->clear();
    combo->addItems(scheme_names(db()));
    const int current = combo->findText(current_handheld_scheme, Qt::MatchExactly);
    combo->setCurrentIndex(current >= 0 ? current : (combo->count() > 0 ? 0 : -1));
}

void ReadingDataExportWindow::fill_handheld_scheme_fields() {
    QTableView* list = ui->字段_列表框;
    platform::listview_clear_rows(list);
    for (const SchemeField& f : scheme_fields_in_table_order(db(), ui->组合框_方案名称->currentText())) {
        const int row = platform::listview_insert_row(list);
        const QStringList cells = {f.name, f.type_name, QString::number(f.width), f.item, f.scheme,
                                   QString::number(f.number)};
        for (int c = 0; c < cells.size(); ++c) platform::listview_set_cell_text(list, row, c, cells[c]);
    }
}

void ReadingDataExportWindow::on_new_scheme_click() {
    QString name;
    if (!platform::input_box(QStringLiteral("请输入方案名称："), platform::kDefaultCaption, QString(),
                             &name, this) ||
        name.isEmpty())
        return;
    const SchemeOutcome outcome = add_handheld_scheme(db(), name);
    if (!outcome.message.isEmpty()) inform(outcome.message);
    if (outcome.ok) fill_handheld_scheme_combo();
}

void ReadingDataExportWindow::on_set_default_scheme_click() {
    const SchemeOutcome outcome = set_default_handheld_scheme(db(), ui->组合框_方案名称->currentText());
    if (outcome.focus == SchemeOutcome::Focus::SchemeCombo) {
        inform(outcome.message);
        ui->组合框_方案名称->setFocus();
        return;
    }
    if (outcome.ok)
        inform(outcome.message);
    else
        platform::message_box(outcome.message, platform::kDefaultCaption, MsgIcon::None);
}

void ReadingDataExportWindow::on_delete_scheme_click() {
    const QString name = ui->组合框_方案名称->currentText();
    if (scheme_has_fields(db(), name)) {
        inform(QStringLiteral("该方案名称下面有对应的方案字段不能删除！"));
        return;
    }
    if (platform::message_box(QStringLiteral("确定要删除方案名称【") + name + QStringLiteral("】吗？"),
                              QStringLiteral("提示删除"), MsgIcon::Question, MsgButtons::YesNo,
                              this) != MsgResult::Yes)
        return;
    const SchemeOutcome outcome = delete_handheld_scheme(db(), name);
    if (!outcome.message.isEmpty()) inform(outcome.message);
    if (outcome.ok) fill_handheld_scheme_combo();
}

void ReadingDataExportWindow::on_field_add_click() {
    FieldForm form{ui->组合框_方案名称->currentText(), ui->编辑框_字段名->text(),
                   ui->组合框_类型->currentIndex(), ui->编辑框_字段长度->text(),
                   ui->组合框_对应字段->currentText()};
    const bool modify = ui->按钮_添加->text() == kSaveCaption;
    const SchemeOutcome outcome = save_handheld_field(db(), form, modify);
    if (!outcome.message.isEmpty()) inform(outcome.message);
    switch (outcome.focus) {
        case SchemeOutcome::Focus::SchemeCombo: ui->组合框_方案名称->setFocus(); break;
        case SchemeOutcome::Focus::FieldName: ui->编辑框_字段名->setFocus(); break;
        case SchemeOutcome::Focus::Width: ui->编辑框_字段长度->setFocus(); break;
        case SchemeOutcome::Focus::None: break;
    }
    if (outcome.ok) fill_handheld_scheme_fields();
}

void ReadingDataExportWindow::on_field_modify_click() {
    QTableView* list = ui->字段_列表框;
    const int row = platform::listview_selected_row(list);
    const QString name = row < 0 ? QString() : platform::listview_cell_text(list, row, 0);
    if (name.isEmpty()) return;
    ui->编辑框_字段名->setText(name);
    const QString type = platform::listview_cell_text(list, row, 1);
    const int position = handheld_field_types().indexOf(type);
    ui->组合框_类型->setCurrentIndex(position >= 0 && position < 4 ? position : 4);
    ui->编辑框_字段长度->setText(platform::listview_cell_text(list, row, 2));
    const int item = handheld_data_items().indexOf(platform::listview_cell_text(list, row, 3));
    ui->组合框_对应字段->setCurrentIndex(item >= 0 ? item : handheld_data_items().size() - 1);
    handheld_field_number = static_cast<int>(platform::to_number(platform::listview_cell_text(list, row, 5)));
    ui->按钮_添加->setText(kSaveCaption);
    ui->编辑框_字段名->selectAll();
    ui->编辑框_字段名->setFocus();
}

void ReadingDataExportWindow::on_field_delete_click() {
    QTableView* list = ui->字段_列表框;
    const int row = platform::listview_selected_row(list);
    const QString name = row < 0 ? QString() : platform::listview_cell_text(list, row, 0);
    if (name.isEmpty()) return;
    if (platform::message_box(QStringLiteral("确定要删除字段名称【") + name + QStringLiteral("】吗？"),
                              QStringLiteral("提示删除"), MsgIcon::Question, MsgButtons::YesNo,
                              this) != MsgResult::Yes)
        return;
    const SchemeOutcome outcome = delete_handheld_field(db(), ui->组合框_方案名称->currentText(), name);
    if (!outcome.ok) return;
    inform(outcome.message);
    ui->编辑框_字段名->clear();
    ui->编辑框_字段长度->clear();
    fill_handheld_scheme_fields();
}

void ReadingDataExportWindow::on_handheld_export_dbf_click() {
    if (current_handheld_scheme.isEmpty()) {
        inform(QStringLiteral("请选择抄表机数据库配置方案！"));
        ui->选择夹1->setCurrentIndex(0);
        return;
    }
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Save;
    request.place = platform::FilePlace::Exchange;
    request.file_name = kHandheldFileName;
    request.filter = platform::qt_file_filter(QStringLiteral("抄表机文件|*.dbf"));
    const QString path = platform::common_dialog_show(request, this);
    if (path.isEmpty()) return;
    ui->进度条1->setMaximum(static_cast<int>(route_.size()));
    ui->进度条1->setValue(0);
    ui->进度条1->setVisible(true);
    const ExportOutcome outcome = export_handheld_file(
        db(), current_handheld_scheme, path, route_, [this](int done) { ui->进度条1->setValue(done); });
    ui->进度条1->setVisible(false);
    if (outcome.ok) platform::remember_export_folder(path);
    platform::message_box(outcome.message, platform::kDefaultCaption,
                          outcome.ok || outcome.information_icon ? MsgIcon::Information : MsgIcon::None);
}

// ---------------------------------------------------------------- import

HandheldImportWindow::HandheldImportWindow(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::HandheldImportWindow>()) {
    ui->setupUi(this);
    load_default_handheld_scheme(db());
    connect(ui->按钮_抄表机文件, &QPushButton::clicked, this, [this] { on_handheld_import_file_click(); });
}

HandheldImportWindow::~HandheldImportWindow() = default;

void HandheldImportWindow::on_handheld_import_file_click() {
    if (current_handheld_scheme.isEmpty()) {
        inform(QStringLiteral("请选择抄表机数据库配置方案！"));
        ReadingDataExportWindow schemes({}, this);
        platform::window_open_modal(&schemes);
        return;
    }
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Open;
    request.place = platform::FilePlace::Exchange;
    request.file_name = kHandheldFileName;
    request.filter = platform::qt_file_filter(QStringLiteral("*.dbf|*.dbf"));
    const QString path = platform::common_dialog_show(request, this);
    if (path.isEmpty()) return;
    // The file is read whole before anything changes, so a damaged one writes nothing.
    const DeviceFile file = read_handheld_file(db(), current_handheld_scheme, path);
    if (!file.ok) {
        inform(QStringLiteral("无法导入抄表机文件！\r\n") + file.error);
        return;
    }
    bool clear = false;
    if (platform::query_exists(db(), QStringLiteral("select 编号 from 抄表管理")))
        clear = platform::message_box(
                    QStringLiteral("临时抄表数据库中有记录。\r\n为防止导入抄表机数据时出错,"
                                   "建议删除所有记录确定执行吗？"),
                    QStringLiteral("提示删除"), MsgIcon::Question, MsgButtons::OkCancel, this) ==
                MsgResult::Ok;
    lists::ProgressWindow progress(parentWidget());
    progress.open();
    progress.set_maximum(static_cast<int>(file.records.size()));
    const ImportOutcome outcome = import_handheld_records(
        db(), file.records, clear, platform::today(), [&](int done) { progress.set_position(done); });
    progress.close();
    if (!outcome.ok) {
        inform(outcome.message);  // nothing was written
        return;
    }
    if (outcome.cleared) inform(QStringLiteral("删除临时抄表记录成功!"));
    // One box for the whole file, however many records were refused.
    inform(handheld_import_summary(outcome, file.deleted_records));
    if (outcome.inserted == 0) return;
    accept();
    shell::MainWindow* main = shell::main_window();
    if (main && monthly_reading_page()) on_main_nav_monthly_reading_click(*main, *monthly_reading_page());
}

// ---------------------------------------------------------------- Excel import

namespace {

void save_account_list(QWidget* owner, const QStringList& accounts, const QString& question,
                       const QString& file_name, const QString& done) {
    if (accounts.isEmpty()) return;
    inform(question);
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Save;
    request.place = platform::FilePlace::Exchange;
    request.file_name = file_name + QStringLiteral(".txt");
    request.filter = platform::qt_file_filter(QStringLiteral("文本文件|*.txt"));
    QString path = platform::common_dialog_show(request, owner);
    if (path.isEmpty()) return;
    if (!path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) path += QStringLiteral(".txt");
    if (write_account_list_file(path, accounts)) {
        platform::remember_export_folder(path);
        inform(done);
    }
    else
        inform(QStringLiteral("无法写入文件：") + path);
}

}  // namespace

void on_main_monthly_batch_import_click(QWidget* owner, QTableView* monthly_list) {
    platform::FileDialogRequest request;
    request.kind = platform::FileDialogRequest::Kind::Open;
    request.place = platform::FilePlace::Exchange;
    request.filter = QStringLiteral("Excel 文件 (*.xls *.xlsx)");
    const QString file = platform::common_dialog_show(request, owner);
    if (file.isEmpty()) return;
    QString sheet;
    const QString caption = QStringLiteral("信息提示");
    if (!platform::input_box(QStringLiteral("请输入要导入的XLS表名!"), caption, QStringLiteral("Sheet1"),
                             &sheet, owner) ||
        sheet.isEmpty()) {
        inform(QStringLiteral("您没有输入表名！"), caption);
        return;
    }
    lists::ProgressWindow progress(owner);
    progress.open();
    const ReadingImportOutcome outcome = import_readings_from_workbook(
        db(), file, sheet, platform::today(), [&](int done, int total) {
            if (done == 1) progress.set_maximum(total);
            progress.set_position(done);
        });
    progress.close();
    if (!outcome.ok) {
        if (!outcome.message.isEmpty()) inform(outcome.message);
        return;
    }
    save_account_list(owner, outcome.end_below_start,
                      QStringLiteral("在本次抄表中有(") + QString::number(outcome.end_below_start.size()) +
                          QStringLiteral(")户,上月止方大于本月止方,点击确定查看。"),
                      QStringLiteral("止方出错户号"), QStringLiteral("写入止方出错户号成功！"));
    save_account_list(owner, outcome.already_pending,
                      QStringLiteral("在本次抄表中有(") + QString::number(outcome.already_pending.size()) +
                          QStringLiteral(")户,本月已抄表。"),
                      QStringLiteral("已抄表户号"), QStringLiteral("写入已抄表户号成功！"));
    show_skipped_accounts(outcome.unknown_accounts);
    if (outcome.skipped_totals > 0)
        inform(households::skipped_totals_text(outcome.skipped_totals).trimmed());
    if (monthly_list)
        fill_monthly_reading_list(owner, monthly_list,
                                  QStringLiteral(
                                      "select 用户表管理.户号,用户信息表.居住街道,用户信息表.用户名,抄表管理.价格类别,"
                                      "抄表管理.收费项目,抄表管理.抄表人员,抄表管理.起方,抄表管理.止方,抄表管理.用量,"
                                      "抄表管理.抄表日期,抄表管理.水损 from 抄表管理,用户信息表,用户表管理  where "
                                      "用户表管理.父号=用户信息表.户号 and 用户表管理.户号=抄表管理.户号   ORDER  BY "
                                      "抄表管理.编号 DESC"));
}

}  // namespace reading
