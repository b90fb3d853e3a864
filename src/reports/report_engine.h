#pragma once
// The report engine that prints receipts: a template (report_template.h) filled with the rows
// the template's queries read from the print database, painted with QPainter onto the printer,
// into a print preview, or into a PDF file.
//
// Callers drive it as they would a report component:
//     ReportEngine report;
//     if (!report.LoadFromFile(path)) ...;
//     report.Title("收费发票打印");
//     report.ConnectionString(print_connection_text());
//     report.QuerySQL("select * from 用户信息");
//     if (ReportDetailGrid grid = report.DetailGrid(); !grid.empty()) {
//         grid.Recordset().ConnectionString(...); grid.Recordset().QuerySQL(...); }
//     report.PrintPreview(true);   // or Print(false)
// The engine reads its data itself when it paints: nothing is handed over but the connection
// text and the queries. The first record of the report's query fills the field items; every
// record of the detail query makes a detail row.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "reports/report_template.h"

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

namespace reports {

class ReportEngine;

// Rows of one query, read whole.
struct ReportRows {
    QStringList names;
    struct Value {
        QString text;
        double number = 0;
        bool null = true;
    };
    std::vector<std::vector<Value>> rows;
    // The value of a column of a row; a missing column or row reads as NULL.
    Value field_value(int row, const QString& name) const;
};

// The detail grid's record set: where its rows come from.
class ReportRecordset {
public:
    explicit ReportRecordset(ReportEngine* engine = nullptr) : engine_(engine) {}
    bool empty() const { return !engine_; }
    void ConnectionString(const QString& text);
    void QuerySQL(const QString& sql);

private:
    QPointer<ReportEngine> engine_;
};

// The detail grid of a report; empty when the template has none.
class ReportDetailGrid {
public:
    explicit ReportDetailGrid(ReportEngine* engine = nullptr) : engine_(engine) {}
    bool empty() const { return !engine_; }
    ReportRecordset Recordset() const { return ReportRecordset(engine_); }

private:
    QPointer<ReportEngine> engine_;
};

class ReportEngine : public QObject {
    Q_OBJECT

public:
    explicit ReportEngine(QObject* parent = nullptr);

    // Reads a template file; false (the template left empty) for a missing or damaged file.
    bool LoadFromFile(const QString& path);
    // Writes the template; false when the file cannot be written (the old file then stays).
    bool SaveToFile(const QString& path);
    void Title(const QString& title) { title_ = title; }
    void ConnectionString(const QString& text) { connection_ = text; }
    void QuerySQL(const QString& sql) { query_ = sql; }
    ReportDetailGrid DetailGrid() { return ReportDetailGrid(template_.detail ? this : nullptr); }
    // Prints on the default printer without asking; true when the job was sent.
    bool Print(bool ask_for_printer);
    // Shows the print preview (modal through the platform's window runner) until it closes;
    // the user prints from there. True when there was something to show.
    bool PrintPreview(bool modal);

    // ---- for the designer, the receipt printer and tests ----
    bool loaded() const { return loaded_; }
    const QString& load_error() const { return load_error_; }
    const ReportTemplate& report_template() const { return template_; }
    void set_report_template(const ReportTemplate& report);
    const QString& title() const { return title_; }
    const QString& connection_text() const { return connection_; }
    const QString& query() const { return query_; }
    const QString& detail_connection_text() const { return detail_connection_; }
    const QString& detail_query() const { return detail_query_; }
    void set_detail_source(const QString& connection_text, const QString& sql);
    // Text items may carry "{name}" placeholders for values that live outside the print
    // database (the office name, {单位信息}); each is replaced by the value given here.
    void set_text_variable(const QString& name, const QString& value);
    QString expand_text(const QString& text) const;

    // The print database file a connection text names ("ODBC;DBQ=<file>;Driver=..."), found
    // whatever the letter case of its name; empty when there is none.
    static QString database_file(const QString& connection_text);
    // Reads the report's and the detail grid's rows now.
    ReportRows read_rows() const;
    ReportRows read_detail_rows() const;

    // Paints every page onto a device whose painter has begun; returns the page count.
    int paint_pages(QPainter& painter, QPagedPaintDevice& device) const;
    // Gives the device the template's paper with no device margins.
    void apply_page_layout(QPagedPaintDevice& device) const;
    bool render_to_pdf(const QString& path) const;

private:
    ReportRows query_rows(const QString& connection_text, const QString& sql) const;

    ReportTemplate template_;
    bool loaded_ = false;
    QString load_error_;
    QString title_;
    QString connection_;
    QString query_;
    QString detail_connection_;
    QString detail_query_;
    std::vector<std::pair<QString, QString>> variables_;
};

// Where Print() sends its pages: the printer, unless a test has named a PDF file instead.
void set_direct_print_file_for_tests(const QString& pdf_path);

}  // namespace reports
