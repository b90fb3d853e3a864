// Fixed readings: the info window's save with its refusals, the list window, deletion, and the
// month's generation of pending rows (start readings, skips, the stop at a vanished meter).
#include <gtest/gtest.h>

#include "reading/fixed_readings.h"
#include "reading/fixed_readings_window.h"
#include "reading_fixture.h"

using namespace reading_test;
using platform::MsgResult;
using reading::FixedReadingForm;
using reading::FixedReadingOutcome;

namespace {

class FixedReadings : public ReadingTest {
protected:
    void SetUp() override {
        ReadingTest::SetUp();
        for (int i = 1; i <= 6; ++i)
            add_water_household(QStringLiteral("000%1").arg(i), QStringLiteral("户%1").arg(i), i,
                                100 * i);
    }
    void add_fixed(const QString& account, double usage, double loss = 0) {
        exec(s("insert into 固定抄表 (户号,固定用量,水损) values (") + sql_quote(account) + u',' +
             platform::sql_number(usage) + u',' + platform::sql_number(loss) + u')');
    }
};

TEST_F(FixedReadings, SaveRefusesAndTruncatesTheUsage) {
    struct Case {
        const char* account;
        const char* usage;
        const char* message;
        FixedReadingOutcome::Focus focus;
    };
    const Case refusals[] = {
        {" ", "5", "户号不能为空！", FixedReadingOutcome::Focus::Account},
        {"000101", "0.5", "固定用量不能小于等于0", FixedReadingOutcome::Focus::Usage},
        {"000101", "-3", "固定用量不能小于等于0", FixedReadingOutcome::Focus::Usage},
        {"000101", "很多", "固定用量不能小于等于0", FixedReadingOutcome::Focus::Usage},
        {"009901", "5", "请在计量管理中设置计量表！", FixedReadingOutcome::Focus::AccountSelected},
    };
    for (const Case& c : refusals) {
        SCOPED_TRACE(c.message);
        FixedReadingForm form;
        form.account = s(c.account);
        form.usage_text = s(c.usage);
        const FixedReadingOutcome out = reading::save_fixed_reading(db(), form);
        EXPECT_EQ(out.result, FixedReadingOutcome::Result::Refused);
        EXPECT_EQ(out.message, s(c.message));
        EXPECT_EQ(out.focus, c.focus);
    }
    FixedReadingForm form;
    form.account = s(" 000101 ");
    form.usage_text = s("2.9");
    form.loss_text = s("0.50");
    FixedReadingOutcome out = reading::save_fixed_reading(db(), form);
    EXPECT_EQ(out.message, s("执行成功！"));
    EXPECT_EQ(out.loss_text, s("0.5"));
    EXPECT_EQ(rows(s("select 户号,固定用量,水损 from 固定抄表")),
              (QList<QStringList>{{s("000101"), s("2"), s("0.5")}}));

    out = reading::save_fixed_reading(db(), form);
    EXPECT_EQ(out.message, s("该用户已经有固定抄表记录，不能重复添加！"));

    // An edit changes usage and loss only, whatever the number box holds.
    form.edit = true;
    form.id = value(s("select 编号 from 固定抄表")).toLongLong();
    form.account = s("000201");
    form.usage_text = s("7");
    form.loss_text = s("");
    out = reading::save_fixed_reading(db(), form);
    EXPECT_EQ(out.message, s("执行成功！"));
    EXPECT_EQ(rows(s("select 户号,固定用量,水损 from 固定抄表")),
              (QList<QStringList>{{s("000101"), s("7"), s("0")}}));
}

TEST_F(FixedReadings, GenerationStartsWhereTheMeterStandsAndSkipsReadMeters) {
    add_history(s("000201"), s("0002"), 200, 250, s("2024-2-10"));
    add_history(s("000301"), s("0003"), 300, 320, s("2024-2-10"));
    exec(
        s("insert into 换表管理 (户号,旧表编号,新表编号,换表起方,换表日期,执行日期,操作人员) "
          "values ('000301','M1','M9',7,'2024-3-1','2024-3','张三')"));
    add_history(s("000401"), s("0004"), 400, 410, s("2024-3-1"));
    add_pending(s("000501"), s("0005"), 500, 510);
    exec(s("update 用户表管理 set 状态='报停' where 户号='000601'"));
    add_fixed(s("000101"), 5, 0.5);
    add_fixed(s("000201"), 10);
    add_fixed(s("000301"), 3);
    add_fixed(s("000401"), 4);
    add_fixed(s("000501"), 5);
    add_fixed(s("000601"), 6);
    add_fixed(s("009901"), 1);  // its meter is gone
    add_fixed(s("000101"), 1);  // after the stop: never reached

    reading::FixedGenerationOutcome out = reading::generate_fixed_readings(db(), platform::today());
    EXPECT_EQ(out.result, reading::FixedGenerationOutcome::Result::MeterMissing);
    EXPECT_EQ(out.message, s("系统查询用户计量表失败,请重新输入!"));
    EXPECT_EQ(out.missing_account, s("009901"));
    EXPECT_EQ(out.written, 4);
    EXPECT_EQ(
        rows(s("select 户号,父号,起方,止方,用量,水损,抄表日期,收费项目,价格类别,抄表人员,价格 "
               "from 抄表管理 where 户号<>'000501' order by 编号")),
        (QList<QStringList>{{s("000101"), s("0001"), s("100"), s("105"), s("5"), s("0.5"),
                             s("2024-03-05"), s("水费"), s("居民"), s("张三"), s("2.5")},
                            {s("000201"), s("0002"), s("250"), s("260"), s("10"), s("0"),
                             s("2024-03-05"), s("水费"), s("居民"), s("张三"), s("2.5")},
                            {s("000301"), s("0003"), s("7"), s("10"), s("3"), s("0"),
                             s("2024-03-05"), s("水费"), s("居民"), s("张三"), s("2.5")},
                            {s("000601"), s("0006"), s("600"), s("606"), s("6"), s("0"),
                             s("2024-03-05"), s("水费"), s("居民"), s("张三"), s("2.5")}}));

    exec(s("delete from 固定抄表 where 户号='009901'"));
    out = reading::generate_fixed_readings(db(), platform::today());
    EXPECT_EQ(out.result, reading::FixedGenerationOutcome::Result::Done);
    EXPECT_EQ(out.message, s("固定抄表完成,系统自动转入临时抄表库！"));
    EXPECT_EQ(out.written, 0);

    exec(s("delete from 固定抄表"));
    out = reading::generate_fixed_readings(db(), platform::today());
    EXPECT_EQ(out.result, reading::FixedGenerationOutcome::Result::NoRows);
    EXPECT_EQ(out.message, s("没有固定抄表数据！"));
}

TEST_F(FixedReadings, WindowsListAddEditDeleteAndGenerate) {
    add_fixed(s("000101"), 5);
    add_fixed(s("009901"), 1);  // not listed: its meter is gone
    reading::FixedReadingsWindow w;
    EXPECT_EQ(w.windowTitle(), s("固定抄表"));
    QTableView* list = w.fixed_list();
    EXPECT_EQ(platform::listview_column_title(list, 1), s("抄表户号"));
    EXPECT_EQ(list_rows(list),
              (QList<QStringList>{{s("1"), s("000101"), s("户1"), s("水费"), s("居民"), s("东区"),
                                   s("户1的家"), s("5"), s("0")}}));

    ui.expect_box(s("请选择待修改的内容！"));
    button(&w, "删除1")->click();
    button(&w, "删除")->click();  // nothing selected: nothing happens

    ui.on_modal(s("reading::FixedReadingInfoWindow"), [this](QDialog* info) {
        EXPECT_EQ(info->windowTitle(), s("固定抄表信息"));
        QLineEdit* account = edit(info, "编辑框_户号");
        account->setText(s("000201"));
        static_cast<reading::FixedReadingInfoWindow*>(info)->on_fixed_reading_account_lookup();
        EXPECT_EQ(edit(info, "编辑框_户名")->text(), s("户2"));
        EXPECT_EQ(edit(info, "编辑框_价格类别")->text(), s("居民"));
        edit(info, "编辑框_用量")->setText(s("0"));
        ui.expect_box(s("固定用量不能小于等于0"));
        button(info, "按钮_收费")->click();
        EXPECT_TRUE(info->isVisible());
        edit(info, "编辑框_用量")->setText(s("8.8"));
        ui.expect_box(s("执行成功！"));
        button(info, "按钮_收费")->click();
        return info->result();
    });
    button(&w, "按钮1")->click();
    EXPECT_EQ(platform::listview_row_count(list), 2);
    EXPECT_EQ(platform::listview_cell_text(list, 1, 7), s("8"));

    platform::listview_select_row(list, 1);
    ui.on_modal(s("reading::FixedReadingInfoWindow"), [this](QDialog* info) {
        EXPECT_EQ(info->windowTitle(), s("修改固定抄表"));
        EXPECT_EQ(edit(info, "编辑框_户号")->text(), s("000201"));
        EXPECT_EQ(edit(info, "编辑框_用量")->text(), s("8"));
        edit(info, "编辑框_用量")->setText(s("9"));
        ui.expect_box(s("执行成功！"));
        button(info, "按钮_收费")->click();
        return info->result();
    });
    button(&w, "删除1")->click();
    EXPECT_EQ(value(s("select 固定用量 from 固定抄表 where 户号='000201'")), s("9"));

    platform::listview_select_row(list, 0);
    ui.expect_box(s("确定删除编号为【1】的记录吗？"), MsgResult::Ok).expect_box(s("执行成功！"));
    button(&w, "删除")->click();
    EXPECT_EQ(ui.boxes()[ui.boxes().size() - 2].caption, s("警告"));
    EXPECT_EQ(count(s("select count(*) from 固定抄表 where 户号='000101'")), 0);
    EXPECT_EQ(platform::listview_row_count(list), 1);

    exec(s("delete from 固定抄表 where 户号='009901'"));
    ui.expect_box(s("固定抄表完成,系统自动转入临时抄表库！"));
    button(&w, "按钮2")->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(value(s("select 户号 || ':' || 用量 from 抄表管理")), s("000201:9.0"));
}

TEST_F(FixedReadings, InfoWindowLookUpResetsAnUnknownNumber) {
    exec(s("update pz set 文本='00' where 项目名称='编码前缀'"));
    shell::load_system_parameters();
    reading::fixed_reading_edit_mode = 0;
    reading::FixedReadingInfoWindow info(nullptr);
    EXPECT_EQ(edit(&info, "编辑框_户号")->text(), s("00"));
    info.on_fixed_reading_account_lookup();  // only the prefix: no message
    edit(&info, "编辑框_户号")->setText(s("009901"));
    ui.expect_box(s("请在计量管理中设置计量表！"));
    info.on_fixed_reading_account_lookup();
    EXPECT_EQ(edit(&info, "编辑框_户号")->text(), s("00"));
}

}  // namespace
