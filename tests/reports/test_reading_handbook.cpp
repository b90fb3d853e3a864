// The meter-reading handbook: its scratch tables, the lines in walking order with the start
// reading and the arrears, and the printed pages read back from the preview's PDF.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <algorithm>
#include <set>

#include "harness/busy_watch.h"
#include "harness/pdf_text.h"
#include "harness/units.h"
#include "platform/grid.h"
#include "receipt_fixture.h"
#include "reports/card_printing_window.h"
#include "reports/reading_handbook.h"

namespace reports_test {
namespace {

using harness::unit;

class Handbook : public ReceiptTest {
protected:
    void SetUp() override {
        ReceiptTest::SetUp();
        for (const char* reader : {"王抄表", "赵抄表", "空抄表"})
            exec(s("insert into 抄表员 (抄表员) values ('") + s(reader) + "')");
        exec(s("update 用户信息表 set 移动电话='13900000001' where 户号='0001'"));
        exec(
            s("update 用户表管理 set 抄表人员='王抄表', 开始起数=100, 抄表序号=2 where "
              "户号='000101'"));
        exec(
            s("update 用户表管理 set 抄表人员='王抄表', 开始起数=5000, 抄表序号=1 where "
              "户号='000102'"));
        exec(
            s("insert into 用户表管理 "
              "(户号,收费项目,价格类别,开始起数,抄表人员,倍率,抄表序号,父号,状态) values "
              "('000201','水费','居民水',7,'王抄表',1,3,'0002','正常')"));
        exec(
            s("insert into 用户表管理 "
              "(户号,收费项目,价格类别,开始起数,抄表人员,倍率,抄表序号,父号,状态) values "
              "('000202','水费','居民水',9,'王抄表',1,4,'0002','报停')"));
        exec(
            s("insert into 用户表管理 "
              "(户号,收费项目,价格类别,开始起数,抄表人员,倍率,抄表序号,父号,状态) values "
              "('000203','水费','居民水',11,'赵抄表',1,1,'0002','正常')"));
        // 000101 has two committed readings: the newer one ends at 135.
        add_reading(
            {"000101", "0001", 100, 120, 20, 0, "2024-01-20", s("水费"), s("居民水"), 0, 0});
        add_reading(
            {"000101", "0001", 120, 135, 15, 0, "2024-02-20", s("水费"), s("居民水"), 0, 0});
        // 000102 got a new meter this month, starting at 3; a change of last month does not count.
        exec(s("insert into 换表管理 (户号,换表起方,执行日期) values ('000102',3,'2024-3')"));
        exec(s("insert into 换表管理 (户号,换表起方,执行日期) values ('000201',99,'2024-2')"));
        // Arrears of 0001 taken by 王抄表: two unpaid bills; a paid one, a void one and one of
        // another reader do not count.
        const auto bill = [this](qint64 number, double amount, int unpaid, int valid,
                                 const char* reader) {
            exec(s("insert into 总收费 (户号,收据号,标志,收费标志,实收金额,抄表人员) values "
                   "('0001',") +
                 QString::number(number) + "," + QString::number(valid) + "," +
                 QString::number(unpaid) + "," + platform::sql_number(amount) + ",'" + s(reader) +
                 "')");
        };
        bill(1, 10.5, 1, 1, "王抄表");
        bill(2, 20, 1, 1, "王抄表");
        bill(3, 40, 0, 1, "王抄表");
        bill(4, 80, 1, 2, "王抄表");
        bill(5, 160, 1, 1, "赵抄表");
    }
};

TEST_F(Handbook, LinesInWalkingOrderWithStartReadingAndHouseholdArrears) {
    EXPECT_TRUE(
        reports::build_handbook_tables(store::main_connection(), s("王抄表"), kNow.date()).empty());
    const std::vector<reports::HandbookLine> lines =
        reports::handbook_lines(store::main_connection(), s("王抄表"));
    ASSERT_EQ(lines.size(), 3u);
    const auto row = [](const reports::HandbookLine& l) {
        return QStringList{l.account, l.name, l.start, l.arrears, l.item, l.street, l.mobile};
    };
    EXPECT_EQ(row(lines[0]), (QStringList{"000102", s("张三"), "3", "30.50(2)", s("电费"),
                                          s("东区"), "13900000001"}));
    EXPECT_EQ(row(lines[1]), (QStringList{"000101", s("张三"), "135", "30.50(2)", s("水费"),
                                          s("东区"), "13900000001"}));
    EXPECT_EQ(row(lines[2]),
              (QStringList{"000201", s("李四"), "7", "0.00(0)", s("水费"), s("西区"), ""}));
    EXPECT_EQ(rows(s("select 户号,欠费,月数 from 欠费信息")),
              (QList<QStringList>{{"0001", "30.5", "2"}}));

    // Built again for another reader, the tables hold only that reader's accounts.
    reports::build_handbook_tables(store::main_connection(), s("赵抄表"), kNow.date());
    EXPECT_EQ(count(s("select count(*) from 抄表信息")), 1);
    EXPECT_EQ(value(s("select 欠费 from 欠费信息 where 户号='0001'")), "160");
}

TEST_F(Handbook, TitleAndReaders) {
    EXPECT_EQ(reports::handbook_title(s("物业服务中心"), s("王抄表"), QDate(2024, 3, 5)),
              s("物业服务中心抄表手册---当前抄表人员(王抄表)--2024-3-5"));
    EXPECT_EQ(reports::handbook_readers(store::main_connection()),
              (QStringList{s("王抄表"), s("赵抄表"), s("空抄表")}));
}

class HandbookPrint : public Handbook {
protected:
    void SetUp() override {
        Handbook::SetUp();
        set_clock(kNow);  // the window titles the handbook with the program's today
        pdf_ = folder() + "/handbook.pdf";
    }
    void expect_preview() {
        ui.on_modal("QPrintPreviewDialog", [this](QDialog* window) {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(window);
            EXPECT_NE(preview, nullptr);
            if (!preview) return int(QDialog::Rejected);
            ++previews_;
            EXPECT_TRUE(platform::print_preview_to_pdf(*preview, pdf_));
            return int(QDialog::Accepted);
        });
    }
    QString printed() {
        QString text = harness::read_pdf(pdf_).all();
        text.replace(QRegularExpression("[ \t]+"), " ");
        return text;
    }
    QString pdf_;
    int previews_ = 0;
};

TEST_F(HandbookPrint, WindowOffersTheReadersAndPrintsOneAccountALine) {
    reports::CardPrintingWindow window;
    EXPECT_EQ(window.windowTitle(), s("卡片打印"));
    EXPECT_EQ(unit<QTabWidget>(window, "选择夹1")->currentIndex(), 1);
    auto* readers = unit<QComboBox>(window, "方式二_抄表员选择框");
    EXPECT_EQ(readers->count(), 3);
    EXPECT_EQ(readers->currentText(), s("王抄表"));
    EXPECT_TRUE(unit<QRadioButton>(window, "单选框_单行")->isChecked());
    expect_preview();
    unit<QPushButton>(window, "方式二_打印")->click();
    EXPECT_EQ(previews_, 1);
    EXPECT_TRUE(unit<QLabel>(window, "标签_提示")->isHidden());
    const QString text = printed();
    for (const QString& expected :
         {s("物业服务中心抄表手册---当前抄表人员(王抄表)--2024-3-5"),
          s("户号 用户姓名 起数 止数 欠费金额 收费项目 居住街道 移动电话"),
          s("000102 张三 3 30.50(2) 电费 东区 13900000001"),
          s("000101 张三 135 30.50(2) 水费 东区 13900000001"), s("000201 李四 7 0.00(0) 水费 西区"),
          s("共1页，第1页 用户数：3户")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n"
                                             << text.toStdString();
    EXPECT_FALSE(text.contains("000202"));  // stopped
    EXPECT_FALSE(text.contains("000203"));  // another reader's
}

// The bar positions painted before the print preview was made and while it was there (it paints
// its pages as it opens).
class PreviewWatch : public QObject {
public:
    PreviewWatch() { qApp->installEventFilter(this); }
    ~PreviewWatch() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (auto* bar = qobject_cast<QProgressBar*>(watched);
            bar && event->type() == QEvent::Paint) {
            const QWidgetList windows = QApplication::topLevelWidgets();
            const bool previewing = std::any_of(windows.begin(), windows.end(), [](QWidget* w) {
                return qobject_cast<QPrintPreviewDialog*>(w) != nullptr;
            });
            (previewing ? during : before).push_back(bar->value());
        }
        return false;
    }
    std::vector<int> before, during;
};

TEST_F(HandbookPrint, OneProgressBarFillsThroughThePagesAndASecondClickPrintsNothingMore) {
    // 100 accounts of the reader: three pages.
    for (int i = 1; i <= 97; ++i)
        exec(s("insert into 用户表管理 (户号,收费项目,价格类别,开始起数,抄表人员,倍率,抄表序号,"
               "父号,状态) values ('") +
             QString("09%1").arg(i, 4, 10, QChar('0')) + s("','水费','居民水',0,'王抄表',1,") +
             QString::number(10 + i) + s(",'0002','正常')"));
    reports::CardPrintingWindow window;
    window.show();
    auto* print = unit<QPushButton>(window, "方式二_打印");
    harness::BusyWatch watch;
    watch.on_first_paint([print] { harness::post_click(print); });
    PreviewWatch bar;
    expect_preview();
    print->click();
    QCoreApplication::processEvents();

    EXPECT_EQ(previews_, 1);
    EXPECT_TRUE(printed().contains(s("共3页，第3页 用户数：100户")));
    EXPECT_EQ(watch.windows_opened(), 1);
    // One bar from empty to full, never going back: it moves while the tables are built and
    // the lines read, again while the preview lays out and paints the pages, and ends full.
    const std::vector<int>& at = watch.painted_positions();
    const int full = watch.painted_maximum();
    ASSERT_GT(full, 0);
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));
    ASSERT_GE(bar.before.size(), 3u);
    ASSERT_FALSE(bar.during.empty());
    EXPECT_LT(bar.before.front(), full / 10);
    EXPECT_LT(bar.before.back(), full / 2);
    const std::set<int> moves(bar.during.begin(), bar.during.end());
    EXPECT_GE(std::count_if(moves.begin(), moves.end(),
                            [&](int p) { return p > bar.before.back() && p < full; }),
              3);
    EXPECT_EQ(at.back(), full);
    EXPECT_TRUE(print->isEnabled());
}

TEST_F(HandbookPrint, TwoAccountsALineLeaveTheLastRightHalfEmpty) {
    reports::CardPrintingWindow window;
    unit<QRadioButton>(window, "单选框_双行")->setChecked(true);
    unit<QLineEdit>(window, "编辑框_字体大小")->setText("10.5");
    expect_preview();
    unit<QPushButton>(window, "方式二_打印")->click();
    const QString text = printed();
    EXPECT_TRUE(
        text.contains(s("户号 用户姓名 起数 止数 收费项目 户号 用户姓名 起数 止数 收费项目")));
    EXPECT_TRUE(text.contains(s("000102 张三 3 电费 000101 张三 135 水费"))) << text.toStdString();
    EXPECT_TRUE(text.contains(s("000201 李四 7 水费\n"))) << text.toStdString();
}

TEST_F(HandbookPrint, BadSizesStopSilentlyAndAnEmptyReaderIsTold) {
    reports::CardPrintingWindow window;
    for (const char* size : {"", "abc", "0", "-3"}) {
        unit<QLineEdit>(window, "编辑框_字体大小")->setText(s(size));
        unit<QPushButton>(window, "方式二_打印")->click();  // nothing scripted: nothing may open
    }
    unit<QLineEdit>(window, "编辑框_字体大小")->setText("10");
    unit<QLineEdit>(window, "编辑框_每页行数")->setText("0");
    unit<QPushButton>(window, "方式二_打印")->click();
    unit<QLineEdit>(window, "编辑框_每页行数")->setText("25");
    unit<QComboBox>(window, "方式二_抄表员选择框")->setCurrentText(s("空抄表"));
    ui.expect_box(s("没有待查询的数据！"));
    unit<QPushButton>(window, "方式二_打印")->click();
    EXPECT_TRUE(unit<QLabel>(window, "标签_提示")->isHidden());
}

TEST_F(HandbookPrint, WithNoReaderButTheSystemOneTheWindowSaysWhereReadersAreGiven) {
    exec(s("delete from 抄表员 where 抄表员<>'系统'"));
    reports::CardPrintingWindow window;
    EXPECT_EQ(unit<QComboBox>(window, "方式二_抄表员选择框")->count(), 0);
    ui.expect_box(
        s("没有可打印卡片的抄表人员：计量账户都还属于“系统”。\n请先在菜单“基本设置 → "
          "抄表人员设置”中添加抄表人员，再到“用户管理 → 计量管理(F6)”页面用“批量排序”"));
    unit<QPushButton>(window, "方式二_打印")->click();
    EXPECT_EQ(ui.boxes().size(), 1u);
    EXPECT_EQ(previews_, 0);
}

TEST_F(HandbookPrint, MenuEntryOpensTheWindowForEveryOperator) {
    shell::current_operator = s("收费员甲");
    ui.on_modal("reports::CardPrintingWindow", [](QDialog*) { return int(QDialog::Rejected); });
    reports::on_main_menu_print_cards_click();
    EXPECT_EQ(ui.modal_windows(), QStringList{"reports::CardPrintingWindow"});
}

}  // namespace
}  // namespace reports_test
