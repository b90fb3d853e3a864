// Runs one money action on a program folder, as the program would, and may be killed inside it:
//   durability_child <program folder> <action> <kill>
// <kill> 0 runs to the end and prints how many database progress ticks and commits the action
// took; k > 0 kills the process (SIGKILL, as a power cut leaves it) at the k-th progress tick;
// k < 0 kills it at the -k-th commit, after SQLite was told to commit but before it did.
// The action "paying" is another program at work beside the one under test: it pays a
// household's bills and voids the payment, household after household, printing a line per
// payment, until a file named "stop" appears in the program folder.
#define SQLITE_HAS_CODEC 1
#include <sqlcipher/sqlite3.h>

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "charging/batch_charging.h"
#include "charging/payment_changes.h"
#include "charging/payments.h"
#include "charging/prepay_settlement.h"
#include "charging/prepayments.h"
#include "durability_register.h"
#include "platform/convert.h"
#include "platform/db.h"
#include "platform/files.h"
#include "platform/query.h"
#include "reading/monthly_batch.h"
#include "reading/monthly_commit.h"
#include "shell/run_context.h"
#include "shell/session.h"
#include "shell/system_parameters.h"
#include "store/main_database.h"
#include "tariffs/household_bills.h"
#include "tariffs/invoices.h"

namespace {

long long g_kill_tick = 0;
long long g_kill_commit = 0;
long long g_ticks = 0;
long long g_commits = 0;

int on_progress(void*) {
    if (++g_ticks == g_kill_tick) raise(SIGKILL);
    return 0;
}

int on_commit(void*) {
    if (++g_commits == g_kill_commit) raise(SIGKILL);
    return 0;
}

using namespace durability;

// The cashier's 查询 then 收费 as the window takes it: the household's bills still unpaid, all of
// them, with the invoice in use and the log row in the payment's transaction.
charging::PaymentOutcome pay_household(platform::Connection& db, const QString& household,
                                       const shell::RunContext& context) {
    const QStringList bills = platform::query_column(
        db, QStringLiteral("select 收据号 from 总收费 where ") +
                tariffs::household_bills_condition(household) +
                QStringLiteral(" and 收费标志=1 and 标志=1 order by 收据号"));
    if (bills.isEmpty()) return {};
    charging::PaymentRequest request;
    request.household = household;
    for (const QString& bill : bills) request.bills.push_back(bill.toLongLong());
    request.collector = kCollector;
    request.date = kToday.date();
    request.invoice_number = shell::current_invoice_number;
    request.log =
        charging::PaymentLog{context, QStringLiteral("收费管理"), QStringLiteral("窗口收费"),
                             QStringLiteral("添加收费记录") + household};
    return charging::take_payment(db, request, 9);
}

// Pays and voids, household after household, until told to stop: a second program taking
// money on the same file while the first backs it up.
bool keep_paying(platform::Connection& db, const QString& folder,
                 const shell::RunContext& context) {
    // Every commit is checkpointed into the database file at once, as often as a program
    // that opens and closes the file would: the file itself changes all the time.
    platform::db_execute(db, QStringLiteral("PRAGMA wal_autocheckpoint=1"));
    const QString stop = folder + QStringLiteral("/stop");
    for (long long n = 0; !QFile::exists(stop); ++n) {
        const QString household = QString::number(1 + n % kHouseholds).rightJustified(4, u'0');
        const charging::PaymentOutcome paid = pay_household(db, household, context);
        if (!paid.done) continue;
        std::printf("paid %lld\n", n);
        std::fflush(stdout);
        if (!charging::void_payment(db, paid.serial, context).done) return false;
    }
    return true;
}

bool run(platform::Connection& db, const QString& action) {
    const QDate today = kToday.date();
    // As the windows do: the program's clock, parameters and operator, set up by main().
    const shell::RunContext context = shell::program_context();
    if (action == QLatin1String("commit")) {
        // As the page: an empty batch is refused before anything happens.
        if (reading::check_pending_batch(db) != reading::BatchState::Ready) return true;
        const reading::CommitOutcome out = reading::commit_month(db, context);
        return out.billing_error.isEmpty();
    }
    // The charging windows recount the invoice books as they open.
    tariffs::refresh_current_invoice_number(db);
    if (action == QLatin1String("payment")) {
        const charging::PaymentOutcome paid = pay_household(db, kPayingHousehold, context);
        return paid.done || paid.messages.empty();
    }
    if (action == QLatin1String("batch")) {
        charging::BatchRequest request;
        request.reader = kReader;
        request.collector = kCollector;
        charging::run_batch_charging(db, request, context);
        return true;
    }
    if (action == QLatin1String("deduct")) {
        charging::execute_prepay_deductions(db, context);
        return true;
    }
    if (action == QLatin1String("deposit")) {
        charging::PrepaymentForm form;
        form.household = kDepositHousehold;
        form.collector = kCollector;
        form.amount = QStringLiteral("100");
        form.date = today;
        form.name = QStringLiteral("丙");
        return charging::take_prepayment(db, form, shell::current_invoice_number, context).done;
    }
    std::fprintf(stderr, "unknown action\n");
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: durability_child <folder> <action> <kill>\n");
        return 2;
    }
    const long long kill = std::atoll(argv[3]);
    if (kill > 0) g_kill_tick = kill;
    if (kill < 0) g_kill_commit = -kill;

    platform::set_program_directory_for_tests(QString::fromLocal8Bit(argv[1]));
    platform::set_clock_for_tests(kToday);
    apply_parameters();
    shell::current_operator = QStringLiteral("管理员");
    if (!store::open_main_database()) {
        std::fprintf(stderr, "open failed\n");
        return 3;
    }
    store::bind_main_record_sets();
    platform::Connection& db = store::main_connection();
    if (QLatin1String(argv[2]) == QLatin1String("paying")) {
        tariffs::refresh_current_invoice_number(db);
        const bool ok = keep_paying(db, QString::fromLocal8Bit(argv[1]), shell::program_context());
        store::close_main_database();
        return ok ? 0 : 1;
    }
    sqlite3_progress_handler(platform::db_handle(db), kTickInstructions, on_progress, nullptr);
    sqlite3_commit_hook(platform::db_handle(db), on_commit, nullptr);
    const bool ok = run(db, QString::fromLatin1(argv[2]));
    sqlite3_progress_handler(platform::db_handle(db), 0, nullptr, nullptr);
    sqlite3_commit_hook(platform::db_handle(db), nullptr, nullptr);
    store::close_main_database();
    std::printf("%lld %lld\n", g_ticks, g_commits);
    return ok ? 0 : 1;
}
