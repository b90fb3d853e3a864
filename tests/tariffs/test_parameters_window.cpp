// The system parameters window: filled from pz, every key saved and reloaded, the digits check,
// and a failed statement reported without the success message and without a half save.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>

#include "tariff_window_fixture.h"
#include "tariffs/system_parameters_window.h"

using namespace tariffs_test;

namespace {

class ParametersWindow : public TariffTest {
protected:
    static QRadioButton* radio(QWidget* w, const char* name) { return unit<QRadioButton>(w, name); }
    QList<QStringList> pz() { return rows(s("select 项目名称,值,文本 from pz order by 项目名称")); }
};

TEST_F(ParametersWindow, ShowsTheStoredValues) {
    exec(s("update pz set 值=5 where 项目名称='四舍五入'"));
    exec(s("update pz set 值=0 where 项目名称='结算月份'"));
    exec(s("update pz set 文本='开启' where 项目名称='发票管理'"));
    tariffs::SystemParametersWindow w;
    EXPECT_EQ(w.windowTitle(), s("系统参数设置"));
    EXPECT_EQ(edit(&w, "编_单位名称")->text(), s("物业服务中心"));
    EXPECT_EQ(combo(&w, "日期")->count(), 28);
    EXPECT_EQ(combo(&w, "日期")->currentText(), s("25"));
    EXPECT_EQ(combo(&w, "月份")->count(), 11);
    EXPECT_EQ(combo(&w, "月份")->currentText(), s("11"));  // 0 shows as 11
    EXPECT_TRUE(radio(&w, "月结_每月月底")->isChecked());
    EXPECT_TRUE(radio(&w, "年结_每年12月")->isChecked());
    EXPECT_TRUE(radio(&w, "个人帐户_关闭")->isChecked());
    EXPECT_TRUE(radio(&w, "发票管理_开启")->isChecked());
    EXPECT_TRUE(radio(&w, "单选框_四舍五入到个位")->isChecked());
    EXPECT_FALSE(unit<QCheckBox>(&w, "选择框_四舍五入")->isChecked());
    EXPECT_EQ(edit(&w, "编辑框_用户位数")->text(), s("4"));
}

TEST_F(ParametersWindow, SavesEveryKeyAndReloads) {
    tariffs::SystemParametersWindow w;
    edit(&w, "编_单位名称")->setText(s("O'Neil 水务"));
    choose(combo(&w, "日期"), s("20"));
    choose(combo(&w, "月份"), s("6"));
    radio(&w, "月结_固定日期")->setChecked(true);
    radio(&w, "年结_实际结算月份")->setChecked(true);
    radio(&w, "个人帐户_开启")->setChecked(true);
    edit(&w, "编辑框_前缀")->setText(s("SW"));
    edit(&w, "编辑框_用户位数")->setText(s("6.0"));
    unit<QCheckBox>(&w, "选择框_四舍五入")->setChecked(true);
    radio(&w, "单选框_四舍五入到个位")->setChecked(true);
    radio(&w, "发票管理_开启")->setChecked(true);
    ui.expect_box(s("修改成功！"));
    button(&w, "按钮1")->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);

    const QList<QStringList> stored = pz();
    auto row = [&](const char* key) {
        for (const QStringList& r : stored)
            if (r.first() == s(key)) return r.mid(1).join(u'|');
        return QString();
    };
    EXPECT_EQ(row("单位信息"), s("0|O'Neil 水务"));
    EXPECT_EQ(row("结算日期"), s("20|"));
    EXPECT_EQ(row("结算月份"), s("6|"));
    EXPECT_EQ(row("日结算方式"), s("0|固定日期"));
    EXPECT_EQ(row("月结算方式"), s("0|实际月份"));
    EXPECT_EQ(row("个人帐户"), s("0|开启"));
    EXPECT_EQ(row("编码前缀"), s("0|SW"));
    EXPECT_EQ(row("用户编码位数"), s("6|"));
    EXPECT_EQ(row("四舍五入"), s("1|真"));
    EXPECT_EQ(row("发票管理"), s("0|开启"));

    const shell::SystemParameters& p = shell::system_parameters;
    EXPECT_EQ(p.organisation_name, s("O'Neil 水务"));
    EXPECT_EQ(p.settlement_day, 20);
    EXPECT_EQ(p.settlement_month, 6);
    EXPECT_EQ(p.day_settlement_mode, s("固定日期"));
    EXPECT_EQ(p.month_settlement_mode, s("实际月份"));
    EXPECT_EQ(p.personal_account, s("开启"));
    EXPECT_EQ(p.household_number_prefix, s("SW"));
    EXPECT_EQ(p.household_number_digits, 6);
    EXPECT_EQ(p.rounding_enabled, s("真"));
    EXPECT_EQ(p.rounding_position, s("个位"));
    EXPECT_EQ(p.invoice_management, s("开启"));
    EXPECT_EQ(log_rows_text(), s("基本设置|系统参数设置|修改系统参数设置"));

    // Opening and saving again changes nothing and logs again.
    tariffs::SystemParametersWindow again;
    ui.expect_box(s("修改成功！"));
    button(&again, "按钮1")->click();
    EXPECT_EQ(pz(), stored);
    EXPECT_EQ(count(s("select count(*) from 日志管理")), 2);
}

TEST_F(ParametersWindow, RefusesDigitsThatAreNoNumber) {
    tariffs::SystemParametersWindow w;
    edit(&w, "编_单位名称")->setText(s("新名称"));
    for (const char* digits : {"0", "", "abc"}) {
        edit(&w, "编辑框_用户位数")->setText(s(digits));
        ui.expect_box(s("编码位数不能为0！"));
        button(&w, "按钮1")->click();
    }
    EXPECT_EQ(value(s("select 文本 from pz where 项目名称='单位信息'")), s("物业服务中心"));
    EXPECT_EQ(count(s("select count(*) from 日志管理")), 0);
}

TEST_F(ParametersWindow, AFailedStatementSavesNothingAndSaysSo) {
    tariffs::SystemParametersWindow w;
    edit(&w, "编_单位名称")->setText(s("新名称"));
    radio(&w, "发票管理_开启")->setChecked(true);
    combo(&w, "日期")->setCurrentIndex(-1);  // no day: its statement can't run
    ui.expect_box(s("")).expect_box(s("update pz set 值="));
    button(&w, "按钮1")->click();
    EXPECT_FALSE(ui.has_box(s("修改成功！")));
    EXPECT_EQ(ui.boxes().front().icon, platform::MsgIcon::None);
    EXPECT_NE(w.result(), QDialog::Accepted);
    EXPECT_EQ(value(s("select 文本 from pz where 项目名称='单位信息'")), s("物业服务中心"));
    EXPECT_EQ(value(s("select 文本 from pz where 项目名称='发票管理'")), s("关闭"));
    EXPECT_EQ(shell::system_parameters.organisation_name, s("物业服务中心"));
    EXPECT_EQ(count(s("select count(*) from 日志管理")), 0);
}

TEST_F(ParametersWindow, MenuEntryNeedsThePermission) {
    shell::current_operator = s("张三");
    ui.expect_box(s("您没有取得授权！"));
    tariffs::on_menu_system_parameters();
    EXPECT_TRUE(ui.modal_windows().isEmpty());
}

}  // namespace
