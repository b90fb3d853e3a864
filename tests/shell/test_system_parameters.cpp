#include <gtest/gtest.h>

#include <cmath>

#include "platform/db.h"
#include "platform/grid.h"
#include "shell/program_state.h"
#include "shell/system_parameters.h"
#include "shell_fixture.h"
#include "store/main_database.h"

using namespace shell;

namespace {

struct RoundingCase {
    const char* enabled;
    const char* position;
    double amount;
    double expected;
};

}  // namespace

TEST(AmountRounding, FollowsTheConfiguredRule) {
    const RoundingCase cases[] = {
        // Halves: the first decimal of the two-decimal text decides.
        {"真", "十分位", 10.03, 10.00},
        {"真", "十分位", 10.40, 10.50},
        {"真", "十分位", 10.79, 10.50},
        {"真", "十分位", 10.80, 11.00},
        {"真", "十分位", 52.37, 52.00},
        {"真", "十分位", 52.45, 52.50},
        {"真", "十分位", 52.81, 53.00},
        {"真", "十分位", 52.396, 52.50},  // "52.40"
        {"真", "十分位", 10.395, 10.50},  // "10.40": halves of a cent go up first
        {"真", "十分位", 10.349, 10.00},  // "10.35"
        {"真", "十分位", 99.96, 100.00},
        {"真", "十分位", 99.996, 100.00},  // "100.00"
        {"真", "十分位", 0.0, 0.0},
        {"真", "十分位", 0.39, 0.0},
        {"真", "十分位", 7.0, 7.0},
        // A negative amount mirrors its absolute value.
        {"真", "十分位", -10.80, -11.00},
        {"真", "十分位", -52.45, -52.50},
        {"真", "十分位", -52.37, -52.00},
        {"真", "十分位", -0.81, -1.00},
        // Whole units, halves away from zero; any position but "十分位" means units.
        {"真", "个位", 10.49, 10.0},
        {"真", "个位", 10.5, 11.0},
        {"真", "个位", -2.5, -3.0},
        {"真", "", 2.5, 3.0},
        // Rounding off (or not "真"): cents, from the decimal value.
        {"假", "十分位", 1.005, 1.01},
        {"假", "个位", 10.796, 10.80},
        {"", "十分位", 2.675, 2.68},
        {"假", "十分位", -1.005, -1.01},
    };
    for (const RoundingCase& c : cases) {
        const QString enabled = QString::fromUtf8(c.enabled);
        const QString position = QString::fromUtf8(c.position);
        EXPECT_DOUBLE_EQ(platform::round_amount(c.amount, rounding_mode(enabled, position)),
                         c.expected)
            << c.enabled << " " << c.position << " " << c.amount;
        SystemParameters p;
        p.rounding_enabled = enabled;
        p.rounding_position = position;
        EXPECT_DOUBLE_EQ(apply_amount_rounding(c.amount, p), c.expected);
    }
    EXPECT_FALSE(std::signbit(platform::round_amount_to_halves(-0.2)));  // never -0
}

TEST(AmountRounding, ProgramWideOverloadReadsTheLoadedParameters) {
    system_parameters = SystemParameters{};
    EXPECT_DOUBLE_EQ(apply_amount_rounding(10.79), 10.79);
    system_parameters.rounding_enabled = QStringLiteral("真");
    system_parameters.rounding_position = kRoundingToTenths;
    EXPECT_DOUBLE_EQ(apply_amount_rounding(10.79), 10.50);
    system_parameters.rounding_position = kRoundingToUnits;
    EXPECT_DOUBLE_EQ(apply_amount_rounding(10.79), 11.0);
    system_parameters = SystemParameters{};
}

TEST(ParameterRows, RoundingKeyFillsBothValuesAndUnknownKeysAreIgnored) {
    SystemParameters p;
    apply_parameter_row(p, QStringLiteral("四舍五入"), 5, QStringLiteral("真"));
    EXPECT_EQ(p.rounding_enabled, QStringLiteral("真"));
    EXPECT_EQ(p.rounding_position, QStringLiteral("个位"));
    apply_parameter_row(p, QStringLiteral("四舍五入"), 0, QStringLiteral("假"));
    EXPECT_EQ(p.rounding_position, QStringLiteral("十分位"));

    // Texts go where the key says, numbers too; a near-miss key changes nothing.
    apply_parameter_row(p, QStringLiteral("单位信息 "), 0, QStringLiteral("别的"));
    apply_parameter_row(p, QStringLiteral("自动电损"), 7, QStringLiteral("开启"));
    EXPECT_TRUE(p.organisation_name.isEmpty());
    apply_parameter_row(p, QStringLiteral("滞纳金值"), 3, QStringLiteral("0.5"));
    EXPECT_EQ(p.late_fee_value, QStringLiteral("0.5"));
    apply_parameter_row(p, QStringLiteral("收费编码位数"), 9, QStringLiteral("x"));
    EXPECT_EQ(p.payment_serial_digits, 9);
}

class SystemParametersTest : public shell_test::ProgramStateTest {};

TEST_F(SystemParametersTest, LoadsTheShippedRows) {
    load_system_parameters();
    const SystemParameters& p = system_parameters;
    EXPECT_EQ(p.reading_day, 1);
    EXPECT_EQ(p.settlement_day, 25);
    EXPECT_EQ(p.day_settlement_mode, QStringLiteral("每月月底"));
    EXPECT_EQ(p.settlement_month, 11);
    EXPECT_EQ(p.month_settlement_mode, QStringLiteral("每年12月"));
    EXPECT_EQ(p.personal_account, QStringLiteral("关闭"));
    EXPECT_EQ(p.rounding_enabled, QStringLiteral("假"));
    EXPECT_EQ(p.rounding_position, QStringLiteral("十分位"));
    EXPECT_EQ(p.organisation_name, QStringLiteral("物业服务中心"));
    EXPECT_EQ(p.household_number_prefix, QString());
    EXPECT_EQ(p.household_number_digits, 4);
    EXPECT_EQ(p.payment_serial_digits, 9);
    EXPECT_EQ(p.late_fee_enabled, QStringLiteral("关闭"));
    EXPECT_EQ(p.late_fee_mode, QStringLiteral("按利率"));
    EXPECT_EQ(p.late_fee_value, QStringLiteral("0.5"));
    EXPECT_EQ(p.late_fee_start_day, QStringLiteral("每月最后一天"));
    EXPECT_EQ(p.invoice_management, QStringLiteral("关闭"));
    EXPECT_FALSE(platform::recordset_is_open(store::main_recordset(1)));
}

TEST_F(SystemParametersTest, ReloadTrimsTextsAndKeepsValuesWithoutRow) {
    load_system_parameters();
    exec(QStringLiteral("update pz set 文本='　新的单位 ' where 项目名称='单位信息'"));
    exec(QStringLiteral("update pz set 值=5, 文本='真' where 项目名称='四舍五入'"));
    exec(QStringLiteral("update pz set 文本='开启' where 项目名称='发票管理'"));
    load_system_parameters();
    EXPECT_EQ(system_parameters.organisation_name, QStringLiteral("新的单位"));
    EXPECT_EQ(system_parameters.rounding_enabled, QStringLiteral("真"));
    EXPECT_EQ(system_parameters.rounding_position, QStringLiteral("个位"));
    EXPECT_EQ(system_parameters.invoice_management, QStringLiteral("开启"));

    // A deleted row leaves the value as the last load found it.
    exec(QStringLiteral("delete from pz where 项目名称='发票管理'"));
    exec(QStringLiteral("update pz set 值=6 where 项目名称='用户编码位数'"));
    load_system_parameters();
    EXPECT_EQ(system_parameters.invoice_management, QStringLiteral("开启"));
    EXPECT_EQ(system_parameters.household_number_digits, 6);

    // On a first load a missing row leaves the value empty.
    system_parameters = SystemParameters{};
    load_system_parameters();
    EXPECT_TRUE(system_parameters.invoice_management.isEmpty());
}

TEST_F(SystemParametersTest, ProgramVariablesStartEmptyAndAreFreed) {
    EXPECT_EQ(household_form_source, QStringLiteral("假"));
    ASSERT_TRUE(page_setup_object);
    EXPECT_EQ(page_setup_object->Orientation, 1);
    EXPECT_TRUE(current_operator.isEmpty());
    EXPECT_TRUE(counter_bill_numbers.empty());

    current_operator = QStringLiteral("张三");
    reading_form_mode = QStringLiteral("添加");
    charge_query_kind = QStringLiteral("已收费查询");
    current_invoice_number = QStringLiteral("0001");
    counter_bill_numbers = {1000000001, 1000000002};
    card_bill_numbers = {7};
    page_setup_object->Orientation = 2;
    load_system_parameters();
    ASSERT_FALSE(system_parameters.organisation_name.isEmpty());

    free_program_variables();
    EXPECT_FALSE(page_setup_object);
    EXPECT_TRUE(current_operator.isEmpty());
    EXPECT_TRUE(household_form_source.isEmpty());
    EXPECT_TRUE(reading_form_mode.isEmpty());
    EXPECT_TRUE(charge_query_kind.isEmpty());
    EXPECT_TRUE(current_invoice_number.isEmpty());
    EXPECT_TRUE(counter_bill_numbers.empty());
    EXPECT_TRUE(card_bill_numbers.empty());
    EXPECT_TRUE(system_parameters.organisation_name.isEmpty());
    EXPECT_EQ(system_parameters.household_number_digits, 0);

    // A new start gets a fresh page setup, not the old one.
    init_program_variables();
    ASSERT_TRUE(page_setup_object);
    EXPECT_EQ(page_setup_object->Orientation, 1);
}
