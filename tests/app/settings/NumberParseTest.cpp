#include "settings/NumberParse.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

const char* Shown(const char* text)
{
    return text != nullptr ? text : "(null)";
}

template <typename T, typename F>
::testing::AssertionResult Parses(F parse, const char* text, T expected)
{
    T value = static_cast<T>(0x5A);
    if (!parse(text, value))
        return ::testing::AssertionFailure() << "'" << Shown(text) << "' refused";
    if (value != expected)
        return ::testing::AssertionFailure()
               << "'" << Shown(text) << "' gave " << +value << ", expected " << +expected;
    return ::testing::AssertionSuccess();
}

template <typename T, typename F>
::testing::AssertionResult Refuses(F parse, const char* text)
{
    T value = static_cast<T>(0x5A);
    if (parse(text, value))
        return ::testing::AssertionFailure() << "'" << Shown(text) << "' accepted as " << +value;
    if (value != 0)
        return ::testing::AssertionFailure() << "'" << Shown(text) << "' left " << +value;
    return ::testing::AssertionSuccess();
}

#define U8_OK(t, v) EXPECT_TRUE(Parses<std::uint8_t>(ParseU8, t, std::uint8_t(v)))
#define U8_BAD(t) EXPECT_TRUE(Refuses<std::uint8_t>(ParseU8, t))
#define S8_OK(t, v) EXPECT_TRUE(Parses<std::int8_t>(ParseS8, t, std::int8_t(v)))
#define S8_BAD(t) EXPECT_TRUE(Refuses<std::int8_t>(ParseS8, t))
#define U16_OK(t, v) EXPECT_TRUE(Parses<std::uint16_t>(ParseU16, t, std::uint16_t(v)))
#define U16_BAD(t) EXPECT_TRUE(Refuses<std::uint16_t>(ParseU16, t))
#define S16_OK(t, v) EXPECT_TRUE(Parses<std::int16_t>(ParseS16, t, std::int16_t(v)))
#define S16_BAD(t) EXPECT_TRUE(Refuses<std::int16_t>(ParseS16, t))
#define U32_OK(t, v) EXPECT_TRUE(Parses<std::uint32_t>(ParseU32, t, std::uint32_t(v)))
#define U32_BAD(t) EXPECT_TRUE(Refuses<std::uint32_t>(ParseU32, t))
#define S32_OK(t, v) EXPECT_TRUE(Parses<std::int32_t>(ParseS32, t, std::int32_t(v)))
#define S32_BAD(t) EXPECT_TRUE(Refuses<std::int32_t>(ParseS32, t))

TEST(NumberParse, DecimalRangesOfEveryType)
{
    U8_OK("255", 255);
    U8_BAD("256");
    U8_OK("0", 0);
    S8_OK("-128", -128);
    S8_OK("127", 127);
    S8_BAD("128");
    S8_BAD("-129");
    U16_OK("65535", 65535);
    U16_BAD("65536");
    S16_OK("-32768", -32768);
    S16_OK("32767", 32767);
    S16_BAD("32768");
    S16_BAD("-32769");
    U32_OK("4294967295", 4294967295u);
    U32_BAD("4294967296");
    U32_BAD("99999999999999999999999");
    S32_OK("-2147483648", std::numeric_limits<std::int32_t>::min());
    S32_OK("2147483647", 2147483647);
    S32_BAD("2147483648");
    S32_BAD("-2147483649");
}

TEST(NumberParse, OctalTakesTheFullWidth)
{
    U8_OK("0377", 255);
    U8_BAD("0400");
    S8_OK("0377", -1);
    S8_OK("0200", -128);
    U16_OK("0177777", 65535);
    U16_BAD("0200000");
    S32_OK("037777777777", -1);
    U32_BAD("040000000000");
    U8_OK("017", 15);
    U8_BAD("08");
    U8_BAD("019");
}

TEST(NumberParse, HexadecimalIsTheBitPattern)
{
    U16_OK(" 0x00FFFF ", 65535);
    S8_OK("0xFF", -1);
    S8_OK("0x80", -128);
    S8_OK("0x7f", 127);
    U8_BAD("0x100");
    U8_OK("0x000000FF", 255);     // leading zeros are no digits
    S16_OK("0XFFFF", -1);
    S16_OK("0x8000", -32768);
    S16_BAD("0x10000");
    U32_OK("0xDEADbeef", 0xDEADBEEFu);
    S32_OK("0x80000000", std::numeric_limits<std::int32_t>::min());
    S32_BAD("0x100000000");
    U8_BAD("0xG1");
    U8_BAD("0x1G");
}

TEST(NumberParse, ZeroForms)
{
    U8_OK("0", 0);
    U8_OK("00", 0);
    U8_OK("0x", 0);
    U8_OK("0X ", 0);
    S8_OK("-0", 0);
    S8_OK("-000", 0);
    U8_OK("+00", 0);
    S32_OK("+0", 0);
}

TEST(NumberParse, Signs)
{
    U8_OK("+12", 12);
    U8_BAD("-1");
    U8_BAD("-0");          // no minus for unsigned types at all
    S8_OK("-5", -5);
    S8_OK("+5", 5);
    S8_BAD("+");
    S8_BAD("-");
    S8_BAD("- 5");
    S8_BAD("--5");
    S8_BAD("+-5");
    S32_BAD("-0x10");       // no sign before a hexadecimal number
    S32_OK("-010", -10);    // after a sign the number is decimal
    U32_OK("+0010", 10);
    S8_OK("-0000128", -128);
}

TEST(NumberParse, BlanksAndJunk)
{
    U8_BAD("");
    U8_BAD("   ");
    U8_BAD("\t");
    U8_OK(" \t 42", 42);
    U8_OK("42 \t ", 42);
    U8_BAD("4 2");
    U8_BAD("42x");
    U8_BAD("0x12 3");
    U8_BAD("42\n");         // only spaces and tabs may follow
    U8_BAD("\n42");
    U8_BAD("1.5");
    U8_BAD("abc");
    U8_BAD("0x 1");
}

TEST(NumberParse, NullTextFails)
{
    EXPECT_TRUE(Refuses<std::uint8_t>(ParseU8, nullptr));
    EXPECT_TRUE(Refuses<std::int32_t>(ParseS32, nullptr));
}

TEST(NumberParse, OutputIsZeroedOnFailure)
{
    std::uint32_t u = 77;
    EXPECT_FALSE(ParseU32("junk", u));
    EXPECT_EQ(u, 0u);
    std::int16_t s = -77;
    EXPECT_FALSE(ParseS16("40000", s));
    EXPECT_EQ(s, 0);
}

}  // namespace
