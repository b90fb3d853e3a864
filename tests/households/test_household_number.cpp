#include <gtest/gtest.h>

#include "households/household_number.h"

using namespace households;

namespace {

struct SuccessorCase {
    const char* prefix;
    bool ignore_case;
    const char* last;
    const char* next;
};

class Successor : public ::testing::TestWithParam<SuccessorCase> {};

TEST_P(Successor, FollowsLastNumber) {
    const SuccessorCase& c = GetParam();
    EXPECT_EQ(household_number_successor(QString::fromUtf8(c.last), QString::fromUtf8(c.prefix),
                                         c.ignore_case),
              QString::fromUtf8(c.next))
        << "prefix " << c.prefix << ", last " << c.last;
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, Successor,
    ::testing::Values(
        SuccessorCase{"", false, "0001", "0002"}, SuccessorCase{"", false, "0019", "0020"},
        SuccessorCase{"A", true, "A0009", "A0010"}, SuccessorCase{"", false, "0999", "1000"},
        SuccessorCase{"", false, "20000", "20001"}, SuccessorCase{"B", false, "B000001", "B000002"},
        // An all-nines run grows by one digit and keeps its value and prefix.
        SuccessorCase{"", false, "9999", "10000"}, SuccessorCase{"A", true, "A9999", "A10000"},
        SuccessorCase{"", false, "9", "10"},
        // Runs longer than a double holds exactly.
        SuccessorCase{"", false, "0000000000001", "0000000000002"},
        SuccessorCase{"", false, "9999999999999", "10000000000000"},
        SuccessorCase{"A", true, "A0999999999999999999", "A1000000000000000000"},
        // A number typed without the prefix is continued as it is.
        SuccessorCase{"A", true, "0012", "0013"},
        // Case: the form matches the prefix in any case and writes it as configured;
        // continuous entry matches it exactly.
        SuccessorCase{"A", true, "a0009", "A0010"}, SuccessorCase{"AB", true, "ab0100", "AB0101"},
        SuccessorCase{"A", false, "a0009", "a0010"}, SuccessorCase{"A", false, "aA0009", "aA0010"},
        // Text before the prefix is kept, text after the digit run is dropped.
        SuccessorCase{"A", true, "XA0012", "XA0013"}, SuccessorCase{"", false, "0012-3", "0013"},
        // A number that does not start with its digit run keeps what stands before the run.
        SuccessorCase{"", false, "B0012", "B0013"}, SuccessorCase{"A", true, "A-0099", "A-0100"},
        // Full-width digits count and are written back as ASCII digits.
        SuccessorCase{"", false, "００１９", "0020"},
        // No digit run at all: counting starts at 1.
        SuccessorCase{"", false, "", "1"}, SuccessorCase{"A", true, "A", "A1"},
        SuccessorCase{"", false, "abc", "abc1"}));

}  // namespace
