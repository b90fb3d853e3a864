// The deduction list: which bills the three queries find, the cells and the totals row they
// give (without a window), and the page as a user drives it: the navigation entry, the query
// window, the two quick queries, hidden columns and the export.
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "charging/deduction_page.h"
#include "charging/deduction_query.h"
#include "charging/deduction_query_window.h"
#include "charging/deductions_install.h"
#include "charging_fixture.h"
#include "harness/units.h"
#include "platform/excel_install.h"
#include "platform/excel_sheet.h"
#include "platform/listview.h"
#include "shell/action_names.h"
#include "shell/main_window.h"
#include "shell/program_state.h"

namespace charging_test {
namespace {

using Rows = QList<QStringList>;

// Screenshots of a walk through the page go to FEE_SCREENSHOT_DIR when it is set (run under
// xvfb-run to look at them).
void shoot(QWidget* w, const char* name) {
    const QString folder = qEnvironmentVariable("FEE_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    QApplication::processEvents();
    w->grab().save(folder + u'/' + QString::fromUtf8(name) + QStringLiteral(".png"));
}

class DeductionTest : public ChargingTest {
protected:
    void SetUp() override {
        ChargingTest::SetUp();
        household("0001", "王五", "东区", "3号楼", "C77");
        household("0002", "赵六", "西区", "5号楼", "C88");
        deducted("0001", 101, 30, "2024-03-01");
        deducted("0001", 102, 12.345, "2024-03-31", 1, 1);  // unpaid, part settled
        deducted("0001", 103, 5, "2024-04-01");
        deducted("0002", 104, 0, "2024-03-05");
        deducted("0002", 105, 7.5, "2024-03-05", 2, 0);  // a void row
        deducted("000201", 106, 8, "2024-03-05");        // a meter account, no household row
        deducted("0002", 107, 20, "2024-03-15");
        deducted("0002", 100, 1.5, "2024-03-20 10:30:00");  // booked last, listed first
    }

    void deducted(const char* number, qint64 receipt, double amount, const char* date,
                  int valid = 1, int unpaid = 0) {
        exec(s("insert into 总收费 (户号,收据号,标志,收费标志,收费人员,收费日期,实收金额,预存扣款) "
               "values (") +
             q(s(number)) + u',' + QString::number(receipt) + u',' + QString::number(valid) + u',' +
             QString::number(unpaid) + s(",'预存扣款',") + q(s(date)) + s(",0,") + n(amount) +
             u')');
    }

    Rows list_rows(const QString& statement) {
        return charging::deduction_list_rows(db(), statement);
    }

    const QStringList k100 = {s("0002"),  s("赵六"), s("西区"),
                              s("5号楼"), s("1.50"), s("2024年3月20日10时30分")};
    const QStringList k101 = {s("0001"),  s("王五"),  s("东区"),
                              s("3号楼"), s("30.00"), s("2024年3月1日")};
    const QStringList k102 = {s("0001"),  s("王五"),  s("东区"),
                              s("3号楼"), s("12.35"), s("2024年3月31日")};
    const QStringList k103 = {s("0001"),  s("王五"), s("东区"),
                              s("3号楼"), s("5.00"), s("2024年4月1日")};
    const QStringList k107 = {s("0002"),  s("赵六"),  s("西区"),
                              s("5号楼"), s("20.00"), s("2024年3月15日")};
    static QStringList totals(const char* amount) {
        return {s("合计："), s(""), s(""), s(""), s(amount), s("")};
    }
};

TEST_F(DeductionTest, PeriodKeepsValidDeductedBillsOfHouseholdsInReceiptOrder) {
    // Paid and unpaid alike; no void row, no bill without a deduction, none booked under a
    // number without a household row; both days of the period included.
    EXPECT_EQ(
        list_rows(charging::deduction_period_statement(QDate(2024, 3, 1), QDate(2024, 3, 31))),
        (Rows{k100, k101, k102, k107, totals("63.85")}));

    struct Case {
        QDate from, to;
        Rows expected;
    } cases[] = {
        {QDate(2024, 3, 31), QDate(2024, 3, 31), Rows{k102, totals("12.35")}},
        {QDate(2024, 3, 1), QDate(2024, 3, 1), Rows{k101, totals("30.00")}},
        {QDate(2024, 3, 31), QDate(2024, 3, 1), Rows{totals("0.00")}},
        {QDate(2024, 4, 1), QDate(2024, 4, 30), Rows{k103, totals("5.00")}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(list_rows(charging::deduction_period_statement(c.from, c.to)), c.expected)
            << c.from.toString(Qt::ISODate).toStdString();
}

TEST_F(DeductionTest, QuickQueriesMatchHouseholdOrCardExactly) {
    EXPECT_EQ(list_rows(charging::deduction_household_statement(s("0001"))),
              (Rows{k101, k102, k103, totals("47.35")}));
    EXPECT_EQ(list_rows(charging::deduction_card_statement(s("C88"))),
              (Rows{k100, k107, totals("21.50")}));
    EXPECT_EQ(list_rows(charging::deduction_household_statement(s("000201"))),
              (Rows{totals("0.00")}));
    EXPECT_EQ(list_rows(charging::deduction_household_statement(s("000"))), (Rows{totals("0.00")}));
    EXPECT_EQ(list_rows(charging::deduction_card_statement(s("C7"))), (Rows{totals("0.00")}));
}

TEST_F(DeductionTest, TypedQuotesAreLookedForAndCannotWidenTheQuery) {
    household("0'3", "O'Neil", "北区", "7'号", "C'9");
    deducted("0'3", 108, 2, "2024-03-02");
    const QStringList row = {s("0'3"),  s("O'Neil"), s("北区"),
                             s("7'号"), s("2.00"),   s("2024年3月2日")};
    EXPECT_EQ(list_rows(charging::deduction_household_statement(s("0'3"))),
              (Rows{row, totals("2.00")}));
    EXPECT_EQ(list_rows(charging::deduction_card_statement(s("C'9"))), (Rows{row, totals("2.00")}));
    for (const char* typed : {"x' or '1'='1", "0001' or 1=1 --"}) {
        EXPECT_EQ(list_rows(charging::deduction_household_statement(s(typed))),
                  (Rows{totals("0.00")}))
            << typed;
        EXPECT_EQ(list_rows(charging::deduction_card_statement(s(typed))), (Rows{totals("0.00")}))
            << typed;
    }
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(DeductionTest, AStatementThatCannotOpenGivesTheTotalsRowOnly) {
    ui.answer(platform::MsgResult::Ok);  // the database layer's report of the failure
    int started = -1;
    const charging::DeductionListSummary summary = charging::read_deduction_rows(
        db(), s("select 户号 from 没有的表"), [&started](int count) { started = count; },
        [](const charging::DeductionCells&) { ADD_FAILURE() << "a row from a failed open"; });
    EXPECT_FALSE(summary.opened);
    EXPECT_EQ(started, 0);
    EXPECT_EQ(ui.boxes().size(), 1u);
    ui.answer(platform::MsgResult::Ok);
    EXPECT_EQ(list_rows(s("select 户号 from 没有的表")), (Rows{totals("0.00")}));
}

// ---- the page ----------------------------------------------------------------------------

class DeductionPageTest : public DeductionTest {
protected:
    void SetUp() override {
        DeductionTest::SetUp();
        set_clock(kNow);  // the page's query window opens on the program's today
        platform::install_excel_bridge();
        window = std::make_unique<shell::MainWindow>();
        charging::install_deductions(*window);
        page = charging::deduction_page();
        ASSERT_NE(page, nullptr);
        list = page->deduction_list();
    }
    void TearDown() override {
        window.reset();
        DeductionTest::TearDown();
    }

    Rows shown() const {
        Rows out;
        for (int r = 0; r < platform::listview_row_count(list); ++r) {
            QStringList cells;
            for (int c = 0; c < platform::listview_column_count(list); ++c)
                cells << platform::listview_cell_text(list, r, c);
            out << cells;
        }
        return out;
    }
    QStringList titles() const {
        QStringList out;
        for (int c = 0; c < platform::listview_column_count(list); ++c)
            out << platform::listview_column_title(list, c);
        return out;
    }
    QList<int> widths() const {
        QList<int> out;
        for (int c = 0; c < platform::listview_column_count(list); ++c)
            out << platform::listview_column_width(list, c);
        return out;
    }
    void expect_last_row_red() const {
        const int last = platform::listview_row_count(list) - 1;
        ASSERT_GE(last, 0);
        for (int c = 0; c < platform::listview_column_count(list); ++c)
            EXPECT_EQ(platform::listview_model(list)->cell_colour(last, c).text, QColor(255, 0, 0))
                << c;
        if (last > 0) {
            EXPECT_FALSE(platform::listview_model(list)->cell_colour(0, 0).text.isValid());
        }
    }
    void click(const char* button) { harness::unit<QPushButton>(page, button)->click(); }

    std::unique_ptr<shell::MainWindow> window;
    charging::DeductionPage* page = nullptr;
    QTableView* list = nullptr;
    const QStringList kTitles = {s("户号"),     s("用户姓名"), s("居住街道"),
                                 s("详细地址"), s("扣款金额"), s("扣款日期")};
};

TEST_F(DeductionPageTest, NavigationEntryShowsThePageWithAnEmptyLaidOutList) {
    EXPECT_TRUE(harness::unit<QPushButton>(window.get(), "预存管理_扣款查询")->isEnabled());
    charging::fill_deduction_list(list, charging::deduction_household_statement(s("0001")));
    ASSERT_EQ(platform::listview_row_count(list), 4);
    exec(s("update 查询列 set 显示='假' where 类名='扣款明细' and 列名='居住街道'"));

    ASSERT_TRUE(window->run_action(s(shell::action::kMainNavDeductionQuery)));
    EXPECT_EQ(window->content_tabs()->currentIndex(), shell::kPageDeductions);
    EXPECT_EQ(window->content_page_widget(shell::kPageDeductions), page);
    EXPECT_EQ(platform::listview_row_count(list), 0);
    EXPECT_EQ(titles(),
              (QStringList{s("户号"), s("用户姓名"), s("详细地址"), s("扣款金额"), s("扣款日期")}));
    EXPECT_EQ(widths(), (QList<int>{80, 80, 120, 80, 120}));
    EXPECT_EQ(window->focusWidget(), harness::unit<QPushButton>(page, "扣款明细_查询"));
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(DeductionPageTest, QueryWindowStartsAtTheMonthAndFillsThePeriod) {
    bool ran = false;
    ui.on_modal(s("DeductionQueryWindow"), [&](QDialog* d) {
        auto* from = harness::unit<QDateEdit>(d, "日期框_起");
        auto* to = harness::unit<QDateEdit>(d, "日期框_止");
        EXPECT_EQ(d->windowTitle(), s("扣款查询"));
        EXPECT_EQ(from->date(), QDate(2024, 3, 1));
        EXPECT_EQ(to->date(), QDate(2024, 3, 20));
        EXPECT_EQ(d->focusWidget(), harness::unit<QPushButton>(d, "按钮_查询"));
        to->setDate(QDate(2024, 3, 31));
        harness::unit<QPushButton>(d, "按钮_查询")->click();
        EXPECT_FALSE(d->isVisible());
        ran = true;
        return d->result();
    });
    click("扣款明细_查询");
    ASSERT_TRUE(ran);
    EXPECT_EQ(titles(), kTitles);
    EXPECT_EQ(widths(), (QList<int>{80, 80, 100, 120, 80, 120}));
    EXPECT_EQ(shown(), (Rows{k100, k101, k102, k107, totals("63.85")}));
    expect_last_row_red();
    EXPECT_FALSE(list->isHidden());
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(DeductionPageTest, ExitLeavesTheListAsItWas) {
    charging::fill_deduction_list(list, charging::deduction_card_statement(s("C88")));
    const Rows before = shown();
    ui.on_modal(s("DeductionQueryWindow"), [](QDialog* d) {
        harness::unit<QPushButton>(d, "按钮_退出")->click();
        return d->result();
    });
    click("扣款明细_查询");
    EXPECT_EQ(ui.modal_windows(), QStringList{s("charging::DeductionQueryWindow")});
    EXPECT_EQ(shown(), before);
}

TEST_F(DeductionPageTest, QuickQueriesAskAndFillOrDoNothing) {
    shell::system_parameters.household_number_prefix = s("00");
    ui.cancel_input();
    click("扣款明细_指定户号");
    ui.expect_input(s(""));
    click("扣款明细_按磁卡号");
    EXPECT_EQ(platform::listview_column_count(list), 0);  // nothing was filled

    ui.expect_input(s("0001"));
    click("扣款明细_指定户号");
    EXPECT_EQ(shown(), (Rows{k101, k102, k103, totals("47.35")}));
    expect_last_row_red();

    ui.expect_input(s("C88"));
    click("扣款明细_按磁卡号");
    EXPECT_EQ(shown(), (Rows{k100, k107, totals("21.50")}));
    expect_last_row_red();

    ui.expect_input(s("x' or '1'='1"));
    click("扣款明细_按磁卡号");
    EXPECT_EQ(shown(), (Rows{totals("0.00")}));
    expect_last_row_red();

    ASSERT_EQ(ui.inputs().size(), 5u);
    for (size_t i : {0u, 2u}) {
        EXPECT_EQ(ui.inputs()[i].prompt, s("请输入待查询的户号："));
        EXPECT_EQ(ui.inputs()[i].caption, s("扣款明细查询--按户号"));
        EXPECT_EQ(ui.inputs()[i].initial, s("00"));
    }
    for (size_t i : {1u, 3u, 4u}) {
        EXPECT_EQ(ui.inputs()[i].prompt, s("请输入待查询的磁卡号码："));
        EXPECT_EQ(ui.inputs()[i].caption, s("扣款明细查询--按磁卡号码"));
        EXPECT_EQ(ui.inputs()[i].initial, s(""));
    }
    EXPECT_TRUE(ui.boxes().empty());
}

TEST_F(DeductionPageTest, HiddenColumnsDropTheirCellsAndTheShownOnesTakeTheirWidths) {
    exec(
        s("update 查询列 set 显示='假' where 类名='扣款明细' and 列名 in ('用户姓名','扣款日期')"));
    exec(s("update 查询列 set 列宽=150 where 类名='扣款明细' and 列名='详细地址'"));
    charging::fill_deduction_list(list, charging::deduction_household_statement(s("0001")));
    EXPECT_EQ(titles(), (QStringList{s("户号"), s("居住街道"), s("详细地址"), s("扣款金额")}));
    EXPECT_EQ(widths(), (QList<int>{80, 100, 150, 80}));
    EXPECT_EQ(shown(), (Rows{{s("0001"), s("东区"), s("3号楼"), s("30.00")},
                             {s("0001"), s("东区"), s("3号楼"), s("12.35")},
                             {s("0001"), s("东区"), s("3号楼"), s("5.00")},
                             {s("合计："), s(""), s(""), s("47.35")}}));
    expect_last_row_red();
}

TEST_F(DeductionPageTest, ExportWritesTheListAsShown) {
    charging::fill_deduction_list(list, charging::deduction_card_statement(s("C88")));
    const QString file = path(s("扣款.xlsx"));
    ui.expect_file(file).expect_box(s("导出成功！"));
    click("扣款明细_导出");
    ASSERT_EQ(ui.file_requests().size(), 1u);
    EXPECT_EQ(ui.file_requests()[0].file_name, s("扣款明细列表.xls"));

    platform::excel::SheetData sheet;
    QString error;
    ASSERT_TRUE(platform::excel::read_sheet(file, s("Sheet1$"), sheet, &error))
        << error.toStdString();
    Rows back;
    for (const platform::excel::SheetRow& row : sheet.rows) {
        QStringList cells;
        for (int c = 0; c < 6; ++c) {
            const platform::excel::SheetCell* cell = row.at(c);
            // The amounts are number cells a spreadsheet sums; they read back to the cent.
            if (cell && cell->kind == platform::excel::SheetCell::Kind::Number)
                cells << QString::number(cell->number, 'f', 2);
            else
                cells << (cell ? cell->text : QString());
        }
        back << cells;
    }
    EXPECT_EQ(back, (Rows{kTitles, k100, k107, totals("21.50")}));
    ASSERT_TRUE(sheet.rows.size() > 1 && sheet.rows[1].at(4));
    EXPECT_EQ(sheet.rows[1].at(4)->kind, platform::excel::SheetCell::Kind::Number);
}

TEST_F(DeductionPageTest, ACashierLooksUpTheMonthsDeductionsInTheMainWindow) {
    window->resize(1400, 860);
    window->show();
    harness::unit<QPushButton>(window.get(), "预存管理_扣款查询")->click();
    EXPECT_EQ(window->content_tabs()->currentIndex(), shell::kPageDeductions);
    shoot(window.get(), "1_deduction_page_empty");
    ui.on_modal(s("DeductionQueryWindow"), [&](QDialog* d) {
        harness::unit<QDateEdit>(d, "日期框_止")->setDate(QDate(2024, 3, 31));
        shoot(d, "2_deduction_query_window");
        harness::unit<QPushButton>(d, "按钮_查询")->click();
        return d->result();
    });
    click("扣款明细_查询");
    EXPECT_EQ(shown().size(), 5);
    EXPECT_FALSE(list->isHidden());
    shoot(window.get(), "3_deduction_page_march");
}

}  // namespace
}  // namespace charging_test
