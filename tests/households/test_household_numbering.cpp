// The number proposed for a new household: the successor of the last household, never a
// number that a household has or that a deleted household's data still carries.
#include <gtest/gtest.h>

#include "household_fixture.h"
#include "store/main_database.h"

using namespace households_test;

namespace {

class Numbering : public HouseholdTest {
protected:
    QString proposal() {
        return households::next_household_number(store::main_connection());
    }
};

TEST_F(Numbering, EmptyRegisterStartsAtOneWithPrefixAndDigits) {
    struct Case {
        const char* prefix;
        int digits;
        const char* first;
    };
    for (const Case& c : {Case{"", 4, "0001"}, Case{"A", 4, "A0001"}, Case{"B", 6, "B000001"},
                          Case{"", 1, "1"}, Case{"", 0, "1"}}) {
        shell::system_parameters.household_number_prefix = s(c.prefix);
        shell::system_parameters.household_number_digits = c.digits;
        EXPECT_EQ(proposal(), s(c.first)) << c.prefix << " " << c.digits;
    }
}

TEST_F(Numbering, ContinuesFromTheLastRegisteredHouseholdNotTheHighestNumber) {
    insert_household(s("0005"), s("甲"));
    insert_household(s("0100"), s("乙"));
    EXPECT_EQ(proposal(), s("0101"));
    exec(s("delete from 用户信息表"));
    insert_household(s("0100"), s("乙"));
    insert_household(s("0005"), s("甲"));
    EXPECT_EQ(proposal(), s("0006"));
    // A sub-household registered after it does not count.
    exec(s("insert into 用户信息表 (户号,父号,用户名) values ('0900','0005','分')"));
    EXPECT_EQ(proposal(), s("0006"));
    // The successor is in use by an earlier household: passed over.
    insert_household(s("0006"), s("丙"));
    exec(s("update 用户信息表 set 编号=1 where 户号='0006'"));
    EXPECT_EQ(proposal(), s("0007"));
}

TEST_F(Numbering, SuccessorTakesTheConfiguredPrefixWithOrWithoutCase) {
    shell::system_parameters.household_number_prefix = s("A");
    EXPECT_EQ(households::household_number_successor(s("a0009"), false), s("A0010"));
    EXPECT_EQ(households::household_number_successor(s("A0009"), true), s("A0010"));
    // Matched with case, the lower-case a is no prefix: the A further on is.
    EXPECT_EQ(households::household_number_successor(s("aA0009"), true), s("aA0010"));
}

TEST_F(Numbering, AllNinesGrowsByOneDigitKeepingThePrefix) {
    insert_household(s("9999"), s("甲"));
    EXPECT_EQ(proposal(), s("10000"));
    shell::system_parameters.household_number_prefix = s("A");
    insert_household(s("a9999"), s("乙"));
    EXPECT_EQ(proposal(), s("A10000"));
}

// Households 0001 .. 0003; 0003 deleted from the register while its data stays behind.
struct OwnedCase {
    const char* what;
    const char* statement;
    const char* proposal;
};

class OwnedNumbers : public Numbering, public ::testing::WithParamInterface<OwnedCase> {};

TEST_P(OwnedNumbers, ANumberStillCarriedByDataIsNeverProposedNorAccepted) {
    const OwnedCase& c = GetParam();
    for (const char* number : {"0001", "0002", "0003"}) insert_household(s(number), s("户主"));
    exec(s("delete from 用户信息表 where 户号='0003'"));
    exec(s(c.statement));
    EXPECT_EQ(proposal(), s(c.proposal)) << c.what;
    EXPECT_EQ(households::household_number_owned(s("0003")), s(c.proposal) != s("0003")) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    DeletedHousehold, OwnedNumbers,
    ::testing::Values(
        OwnedCase{"nothing left", "delete from 总收费 where 收据号=-1", "0003"},
        OwnedCase{"meter account", "insert into 用户表管理 (户号,父号,收费项目) values ('000302','0003','水费')", "0004"},
        OwnedCase{"property-fee account", "insert into 用户表管理 (户号,父号,收费项目) values ('000301','X','物业')", "0004"},
        OwnedCase{"bill of the household", "insert into 总收费 (户号,收据号,应收金额) values ('0003',7,12.5)", "0004"},
        OwnedCase{"bill of a meter account", "insert into 总收费 (户号,收据号) values ('000302',8)", "0004"},
        OwnedCase{"bill of a longer number", "insert into 总收费 (户号,收据号) values ('00031234',9)", "0003"},
        OwnedCase{"prepayment", "insert into 预存明细 (收据号,户号,预存金额) values (3,'0003',100)", "0004"},
        OwnedCase{"reading", "insert into 抄表总表 (户号,父号,用量) values ('000301','0003',5)", "0004"},
        OwnedCase{"pending reading", "insert into 抄表管理 (户号,父号,用量) values ('000301','0003',5)", "0004"},
        OwnedCase{"reduction setting", "insert into 减免设置 (户号,减免方式) values ('0003','金额')", "0004"}));

TEST_F(Numbering, OwnedNumbersAreSkippedAlsoWhenTheRegisterIsEmpty) {
    exec(s("insert into 用户表管理 (户号,父号,收费项目) values ('000101','0001','物业')"));
    exec(s("insert into 总收费 (户号,收据号) values ('0002',1)"));
    EXPECT_EQ(proposal(), s("0003"));
    EXPECT_EQ(households::first_free_household_number(s("0001"), false), s("0003"));
}

}  // namespace
