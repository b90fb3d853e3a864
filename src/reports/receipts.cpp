#include "reports/receipts.h"

#include "platform/dialogs.h"
#include "platform/files.h"
#include "reports/print_database.h"
#include "reports/print_parameters.h"
#include "reports/report_engine.h"
#include "store/main_database.h"

namespace reports {

namespace {

void show(const std::vector<ReceiptMessage>& messages) {
    for (const ReceiptMessage& m : messages)
        platform::message_box(m.text, platform::kDefaultCaption, m.icon);
}

// Loads the template and prints or previews it. A template that does not load prints
// nothing: a receipt without its layout would be a blank page handed to the household.
bool print_template(const ReceiptTemplate& receipt, const QString& title,
                    const QString& load_failure) {
    ReportEngine report;
    if (!report.LoadFromFile(platform::app_path(receipt.file))) {
        platform::message_box(load_failure);
        return false;
    }
    report.Title(title);
    report.set_text_variable(QStringLiteral("单位信息"),
                             office_name(store::main_connection(), shell::system_parameters));
    report.ConnectionString(print_connection_text());
    report.QuerySQL(receipt.query);
    if (ReportDetailGrid grid = report.DetailGrid();
        !grid.empty() && !receipt.detail_query.isEmpty()) {
        grid.Recordset().ConnectionString(print_connection_text());
        grid.Recordset().QuerySQL(receipt.detail_query);
    }
    if (!receipts_open_preview()) return report.Print(false);
    return report.PrintPreview(true);
}

}  // namespace

bool print_charge_receipt(qint64 serial) {
    const ReceiptBuild build = build_charge_receipt(store::main_connection(), serial);
    show(build.messages);
    return print_template(*find_receipt_template(kChargeTemplateName),
                          QStringLiteral("收费发票打印"), QStringLiteral("加载报表模板失败!"));
}

bool print_prepay_receipt(qint64 receipt_number, double settled_with_it) {
    const ReceiptBuild build =
        build_prepay_receipt(store::main_connection(), receipt_number, settled_with_it);
    show(build.messages);
    if (!build.printable) return false;
    return print_template(*find_receipt_template(kPrepayTemplateName),
                          QStringLiteral("预存发票打印"), QStringLiteral("加载报表模板失败！"));
}

}  // namespace reports
