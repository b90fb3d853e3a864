// Invoice books: the recount of used numbers (one table of cases), and the invoice page's add
// and delete through InvoiceInfoWindow and the page's buttons.
#define SQLITE_HAS_CODEC 1
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include "tariff_window_fixture.h"
#include "tariffs/invoice_page.h"
#include "tariffs/invoices.h"
#include "platform/db.h"
#include "store/main_database.h"

using namespace tariffs_test;
using platform::MsgResult;

namespace {

class Invoices : public TariffTest {
public:
    void book(const QString& first, const QString& last, int total, const QString& holder = s("张三")) {
        exec(s("insert into 发票设置 (领取时间,发票代码,发票起号,发票止号,发票类型,总张数,收费人员,用完标志) values "
               "('2024-3-1','000000000000',") +
             platform::sql_quote(first) + u',' + platform::sql_quote(last) + s(",'00000',") + QString::number(total) +
             u',' + platform::sql_quote(holder) + s(",0)"));
    }
    // A bill row carrying an invoice number: 标志 1 valid, 2 a void marker.
    void bill(const QString& number, double amount, int flag = 1) {
        exec(s("insert into 总收费 (户号,收据号,发票号,标志,实收金额) values ('0001',") +
             (flag == 2 ? s("null") : QString::number(++receipt_)) + u',' + platform::sql_quote(number) + u',' +
             QString::number(flag) + u',' + platform::sql_number(amount) + u')');
    }
    void prepayment(const QString& number, double amount, int flag = 1) {
        exec(s("insert into 预存明细 (收据号,户号,预存金额,发票号,标志,收费人员) values (") + QString::number(++receipt_) +
             s(",'0001',") + platform::sql_number(amount) + u',' + platform::sql_quote(number) + u',' +
             QString::number(flag) + s(",'张三')"));
    }
    qint64 receipt_ = 100;
};

struct RecountCase {
    const char* name;
    std::function<void(Invoices&)> setup;
    // Per book in 编号 order: 当前发票号|已使用|作废|总开票金额|用完标志
    QStringList books;
    const char* current;
};

TEST_F(Invoices, RecountCountsEachUsedNumberOnce) {
    const RecountCase cases[] = {
        {"no book", [](Invoices&) {}, {}, ""},
        {"numbers on one bill each",
         [](Invoices& t) {
             t.book(s("001"), s("100"), 100);
             t.bill(s("001"), 10);
             t.bill(s("002"), 20.5);
             t.bill(s("003"), 5);
         },
         {s("004|3|0|35.5|0")}, "004"},
        {"one payment over several bills",
         [](Invoices& t) {
             t.book(s("0098"), s("0102"), 5);
             t.bill(s("0098"), 12.3);
             t.bill(s("0098"), 7.7);
             t.bill(s("0099"), 1);
         },
         {s("0100|2|0|21|0")}, "0100"},
        {"a void row beside the bills it voided",
         [](Invoices& t) {
             t.book(s("001"), s("010"), 10);
             t.bill(s("001"), 30);
             t.bill(s("001"), 20);
             t.bill(s("001"), 50, 2);
             t.bill(s("002"), 8, 2);
         },
         {s("003|2|2|0|0")}, "003"},
        {"prepayments, valid and voided",
         [](Invoices& t) {
             t.book(s("500"), s("509"), 10);
             t.prepayment(s("500"), 100);
             t.prepayment(s("501"), 40, 2);
             t.bill(s("502"), 9);
         },
         {s("503|3|1|109|0")}, "503"},
        {"a full book hands over to the next",
         [](Invoices& t) {
             t.book(s("01"), s("03"), 3);
             t.book(s("04"), s("06"), 3);
             for (const char* n : {"01", "02", "03", "04"}) t.bill(s(n), 1);
         },
         {s("03|3|0|3|1"), s("05|1|0|1|0")}, "05"},
        {"every book used up",
         [](Invoices& t) {
             t.book(s("7"), s("7"), 1);
             t.bill(s("7"), 2);
         },
         {s("7|1|0|2|1")}, ""},
        {"a book of no numbers",
         [](Invoices& t) {
             t.book(s("100"), s("099"), 0);
             t.book(s("200"), s("201"), 2);
         },
         {s("100|0|0|0|1"), s("200|0|0|0|0")}, "200"},
        {"a row neither valid nor void voids its number",
         [](Invoices& t) {
             t.book(s("001"), s("010"), 10);
             t.bill(s("001"), 10, 0);
         },
         {s("002|1|1|0|0")}, "002"},
        {"a number on a bill is counted from the bill alone",
         [](Invoices& t) {
             t.book(s("001"), s("010"), 10);
             t.bill(s("001"), 10);
             t.prepayment(s("001"), 100);
         },
         {s("002|1|0|10|0")}, "002"},
        {"the amount invoiced as summed, not rounded",
         [](Invoices& t) {
             t.book(s("001"), s("010"), 10);
             t.bill(s("001"), 10.125);
         },
         {s("002|1|0|10.125|0")}, "002"},
        {"a gap is the next number",
         [](Invoices& t) {
             t.book(s("1"), s("9"), 9);
             t.bill(s("1"), 1);
             t.bill(s("3"), 1);
         },
         {s("2|1|0|1|0")}, "2"},
    };
    for (const RecountCase& c : cases) {
        SCOPED_TRACE(c.name);
        exec(s("delete from 发票设置"));
        exec(s("delete from 总收费"));
        exec(s("delete from 预存明细"));
        c.setup(*this);
        shell::current_invoice_number = s("stale");
        const tariffs::InvoiceRecount recount = tariffs::refresh_current_invoice_number();
        EXPECT_TRUE(recount.failures.isEmpty());
        QStringList books;
        for (const QStringList& row : rows(s("select 当前发票号,已使用,作废,总开票金额,用完标志 from 发票设置 order by 编号")))
            books << row.join(u'|');
        EXPECT_EQ(books, c.books);
        EXPECT_EQ(recount.current, s(c.current));
        EXPECT_EQ(shell::current_invoice_number, s(c.current));
        EXPECT_EQ(tariffs::current_invoice_number(), s(c.current));
    }
}

TEST_F(Invoices, UsedUpBooksAreNotCountedAgain) {
    book(s("01"), s("02"), 2);
    bill(s("01"), 1);
    bill(s("02"), 1);
    tariffs::refresh_current_invoice_number();
    exec(s("delete from 总收费"));
    tariffs::refresh_current_invoice_number();
    EXPECT_EQ(rows(s("select 当前发票号,已使用,用完标志 from 发票设置")), (QList<QStringList>{{s("02"), s("2"), s("1")}}));
}

// The counter recounts at every look-up: its work is the open books' numbers, the same after
// thousands of payments under the numbers of books long used up as before them.
TEST_F(Invoices, RecountWorkDoesNotGrowWithTheHistory) {
    book(s("001"), s("100"), 100);
    for (const char* n : {"001", "002", "003"}) bill(s(n), 1);
    prepayment(s("004"), 5);
    const auto work = [this] {
        sqlite3* db = platform::db_handle(store::main_connection());
        qint64 steps = 0;
        sqlite3_progress_handler(
            db, 1,
            [](void* counter) {
                ++*static_cast<qint64*>(counter);
                return 0;
            },
            &steps);
        const tariffs::InvoiceRecount recount = tariffs::refresh_current_invoice_number();
        sqlite3_progress_handler(db, 0, nullptr, nullptr);
        EXPECT_EQ(recount.current, s("005"));
        return steps;
    };
    const auto earlier_payments = [](int count) {
        const std::string sql =
            "with recursive n(i) as (select 1 union all select i+1 from n where i<" +
            std::to_string(count) +
            ") insert into 总收费 (户号,收据号,发票号,标志,实收金额) select '0002',100000+i,"
            "printf('9%06d',i),1,1 "
            "from n";
        ASSERT_EQ(sqlite3_exec(platform::db_handle(store::main_connection()), sql.c_str(),
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
    };
    const qint64 few = work();
    earlier_payments(2000);
    const qint64 many = work();
    EXPECT_LT(many, few * 3 / 2) << few << " steps before, " << many << " after";
}

// A book that cannot be written: the failed closing of a used-up book shows the database's text
// and the statement, every other failed update only the text.
TEST_F(Invoices, FailedUpdatesAreReported) {
    book(s("01"), s("01"), 1);
    book(s("05"), s("09"), 5);
    bill(s("01"), 1);
    ASSERT_EQ(sqlite3_exec(platform::db_handle(store::main_connection()),
                           "create trigger 坏 before update on 发票设置 begin select raise(abort,'boom'); end",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    const tariffs::InvoiceRecount recount = tariffs::refresh_current_invoice_number();
    ASSERT_EQ(recount.failures.size(), 5);
    for (int i : {0, 2, 3, 4}) EXPECT_TRUE(recount.failures[i].contains(s("boom"))) << i;
    // The statement shown is the one that closes the used-up book, and only that book.
    exec(s("drop trigger 坏"));
    exec(recount.failures[1]);
    EXPECT_EQ(rows(s("select 编号,用完标志 from 发票设置 order by 编号")),
              (QList<QStringList>{{s("1"), s("1")}, {s("2"), s("0")}}));
}

TEST(InvoiceNumbers, CountUpKeepingTheirWidth) {
    EXPECT_EQ(tariffs::invoice_book_numbers(s("008"), 3), (QStringList{s("008"), s("009"), s("010")}));
    EXPECT_EQ(tariffs::invoice_book_numbers(s("98"), 3), (QStringList{s("98"), s("99"), s("100")}));
    EXPECT_EQ(tariffs::invoice_book_numbers(s("00012399"), 2), (QStringList{s("00012399"), s("00012400")}));
}

class InvoicePageTest : public Invoices {
protected:
    void add_book(tariffs::InvoicePage& page, const QString& first, const QString& last,
                  const QString& collector = s("张三")) {
        on_dialog("tariffs::InvoiceInfoWindow", "添加", [=](QDialog* d) {
            unit<QDateEdit>(d, "日期框_收费日期")->setDate(QDate(2024, 3, 1));
            edit(d, "编辑框_发票起号")->setText(first);
            edit(d, "编辑框_发票止号")->setText(last);
            if (!collector.isEmpty()) choose(combo(d, "选择框_收费人员"), collector);
        });
        button(&page, "发票管理_添加")->click();
    }
};

TEST_F(InvoicePageTest, AddsBooksWithTheirChecks) {
    exec(s("insert into 收费员 (收费人员,密码,许可) values ('张三','',1)"));
    tariffs::InvoicePage page;
    tariffs::on_menu_invoice_management(&page);
    QTableView* list = page.invoice_list();
    EXPECT_EQ(platform::listview_column_count(list), 12);

    ui.on_modal(s("tariffs::InvoiceInfoWindow"), [](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), s("发票信息"));
        EXPECT_EQ(edit(d, "编辑框_发票代码")->text(), s("000000000000"));
        EXPECT_EQ(edit(d, "编辑框_发票类型")->text(), s("00000"));
        // The administrator hands books to the other operators.
        EXPECT_EQ(items(combo(d, "选择框_收费人员")), QStringList{s("张三")});
        EXPECT_EQ(combo(d, "选择框_收费人员")->currentIndex(), -1);
        return d->result();
    });
    button(&page, "发票管理_添加")->click();

    ui.expect_box(s("发票起号不能为空!"));
    add_book(page, {}, s("100"));
    ui.expect_box(s("收费人员不能为空!"));
    add_book(page, s("1"), s("100"), {});
    ui.expect_box(s("发票止号不能小于发票起号!"));
    add_book(page, s("00012400"), s("00012301"));
    ui.expect_box(s("发票起号只能是数字!"));
    add_book(page, s("A12"), s("100"));
    EXPECT_EQ(count(s("select count(*) from 发票设置")), 0);

    ui.expect_box(s("添加成功!"));
    add_book(page, s(" 00012301"), s("00012400 "));
    EXPECT_EQ(rows(s("select 领取时间,发票起号,发票止号,总张数,收费人员,用完标志 from 发票设置")),
              (QList<QStringList>{{s("2024-03-01"), s("00012301"), s("00012400"), s("100"), s("张三"), s("0")}}));
    ASSERT_EQ(platform::listview_row_count(list), 1);
    EXPECT_EQ(listed(list).first(),
              (QStringList{s("1"), s("2024年3月1日"), s("000000000000"), s("00012301"), s("00012400"), s("00000"),
                           s("0.00"), s("100"), s("0"), s("0"), s("00012301"), s("张三")}));
    EXPECT_EQ(log_rows_text(), s("打印设置|发票设置|添加发票起：00012301 止：00012400"));
    EXPECT_EQ(shell::current_invoice_number, s("00012301"));
}

TEST_F(InvoicePageTest, OperatorsAddAndDeleteOnlyTheirOwnBooks) {
    book(s("001"), s("100"), 100, s("张三"));
    book(s("101"), s("200"), 100, s("李四"));
    shell::current_operator = s("张三");
    tariffs::InvoicePage page;
    page.fill_invoice_list();
    QTableView* list = page.invoice_list();

    ui.on_modal(s("tariffs::InvoiceInfoWindow"), [](QDialog* d) {
        EXPECT_EQ(items(combo(d, "选择框_收费人员")), QStringList{s("张三")});
        EXPECT_EQ(combo(d, "选择框_收费人员")->currentText(), s("张三"));
        return d->result();
    });
    button(&page, "发票管理_添加")->click();

    QPushButton* remove = button(&page, "发票管理_删除");
    ui.expect_box(s("请选择待删除的发票编号！"));
    remove->click();
    platform::listview_select_row(list, 1);
    ui.expect_box(s("只有管理员或该条记录的收费人员才能删除。"));
    remove->click();

    platform::listview_select_row(list, 0);
    ui.expect_box(s("确定删除编号为【1】的记录吗？"), MsgResult::Cancel);
    remove->click();
    EXPECT_EQ(ui.boxes().back().caption, s("警告"));
    EXPECT_EQ(count(s("select count(*) from 发票设置")), 2);
    EXPECT_TRUE(log_rows_text().isEmpty());

    ui.expect_box(s("确定删除编号为【1】的记录吗？"), MsgResult::Ok).expect_box(s("删除成功！"));
    remove->click();
    EXPECT_EQ(rows(s("select 编号 from 发票设置")), (QList<QStringList>{{s("2")}}));
    EXPECT_EQ(platform::listview_row_count(list), 1);
    EXPECT_EQ(log_rows_text(), s("打印设置|发票设置|删除编号：1信息。"));
}

TEST_F(InvoicePageTest, BooksWithUsedNumbersStay) {
    book(s("001"), s("100"), 100);
    book(s("101"), s("200"), 100);
    book(s("201"), s("300"), 100);
    prepayment(s("001"), 50);
    bill(s("201"), 3);
    bill(s("150"), 3);  // not the book's first number: only the first one counts
    tariffs::InvoicePage page;
    page.fill_invoice_list();
    for (int row : {0, 2}) {
        platform::listview_select_row(page.invoice_list(), row);
        ui.expect_box(s("确定删除"), MsgResult::Ok).expect_box(s("发票已经使用，不能删除！"));
        button(&page, "发票管理_删除")->click();
    }
    platform::listview_select_row(page.invoice_list(), 1);
    ui.expect_box(s("确定删除"), MsgResult::Ok).expect_box(s("删除成功！"));
    button(&page, "发票管理_删除")->click();
    EXPECT_EQ(rows(s("select 发票起号 from 发票设置")), (QList<QStringList>{{s("001")}, {s("201")}}));
}

}  // namespace
