// The one number syntax of the command line and the control socket.
#include "NumberArgument.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct NumberRow {
    const char* name;
    const char* text;
    uint64_t limit;
    bool valid;
    uint64_t value;
};

class NumberArgumentRows : public ::testing::TestWithParam<NumberRow> {};

TEST_P(NumberArgumentRows, ParsesOrRefuses)
{
    const NumberRow& row = GetParam();
    uint64_t out = 4242;
    EXPECT_EQ(NumberArgument::parse(row.text, row.limit, out), row.valid) << row.text;
    EXPECT_EQ(out, row.valid ? row.value : 4242u) << "a refused text leaves the value alone";
}

constexpr uint64_t kAll = std::numeric_limits<uint64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Rows, NumberArgumentRows,
    ::testing::Values(NumberRow{"Decimal", "127", 127, true, 127},
                      NumberRow{"Zero", "0", 5, true, 0},
                      NumberRow{"Hexadecimal", "0x7500", 0xFFFF, true, 0x7500},
                      NumberRow{"UpperCaseHex", "0XFF", 0xFF, true, 0xFF},
                      NumberRow{"Octal", "017", 100, true, 15},
                      NumberRow{"LargestSerial", "99999999999999", 99999999999999ull, true, 99999999999999ull},
                      NumberRow{"WholeRange", "18446744073709551615", kAll, true, kAll},
                      NumberRow{"AboveLimit", "128", 127, false, 0},
                      NumberRow{"Overflow", "18446744073709551616", kAll, false, 0},
                      NumberRow{"Minus", "-1", kAll, false, 0},
                      NumberRow{"Plus", "+5", 10, false, 0},
                      NumberRow{"LeadingBlank", " 5", 10, false, 0},
                      NumberRow{"BlankThenMinus", " -1", kAll, false, 0},
                      NumberRow{"TrailingBlank", "5 ", 10, false, 0},
                      NumberRow{"TrailingLetters", "12ab", 1000, false, 0},
                      NumberRow{"PrefixOnly", "0x", 10, false, 0},
                      NumberRow{"NotOctal", "09", 10, false, 0},
                      NumberRow{"Empty", "", 10, false, 0}),
    [](const ::testing::TestParamInfo<NumberRow>& info) { return info.param.name; });

}  // namespace
