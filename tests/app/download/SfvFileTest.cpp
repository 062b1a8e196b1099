#include "download/Crc32.h"
#include "download/SfvFile.h"
#include "HexTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

TEST(Crc32, KnownValues)
{
    Crc32 crc;
    EXPECT_EQ(crc.Value(), 0x00000000u);
    crc.Update("123456789", 9);
    EXPECT_EQ(crc.Value(), 0xCBF43926u);

    Crc32 split;
    split.Update("1234", 4);
    split.Update("56789", 5);
    EXPECT_EQ(split.Value(), 0xCBF43926u);
}

TEST(Crc32, TextLinesCountAsCrLf)
{
    Crc32 lines;
    lines.UpdateTextLine("ab\n");
    lines.UpdateTextLine("c");
    EXPECT_EQ(lines.Value(), CrcOfBytes("ab\r\nc"));
    EXPECT_NE(lines.Value(), CrcOfBytes("ab\nc"));
}

struct SfvCase {
    const char* text;
    int result;
    std::uint32_t expected;
};

TEST(SfvFile, DecidingLine)
{
    const SfvCase cases[] = {
        {"; made by a tool\n\nAPP.H86 1A2B3C4D\n", 0, 0x1A2B3C4Du},
        {"; comment\r\n\r\napp.h86 deadBEEF\r\nignored 12345678\r\n", 0, 0xDEADBEEFu},
        {"app.h86 00000000", 0, 0u},                // no line feed at the end
        {"app.h86   0x1f\n", 0, 0x1Fu},             // blanks and "0x" as with %lX
        {"app.h86 1234abcd trailing words\n", 0, 0x1234ABCDu},
        {"app.h86\n", -6, 0xFFFFFFFFu},            // a name only
        {"app.h86 zz\n", -6, 0xFFFFFFFFu},
        {"app.h86 \n", -6, 0xFFFFFFFFu},
        {"app.h86 123456789\n", -6, 0xFFFFFFFFu},   // more than 32 bits
        {" 12345678\n", 0, 0x12345678u},            // the name is not looked at
        {"", 0, 0xFFFFFFFFu},                       // nothing decides
        {"; only\n;comments\n\n", 0, 0xFFFFFFFFu},
        {"x\tABCD\n", -6, 0xFFFFFFFFu},             // a tab is no blank here
    };
    TempFolder dir;
    for (const SfvCase& c : cases) {
        const std::string path = dir.Write("f.sfv", c.text);
        std::uint32_t expected = 0;
        EXPECT_EQ(ReadSfvFile(path, expected), c.result) << c.text;
        if (c.result == 0) {
            EXPECT_EQ(expected, c.expected) << c.text;
        }
    }
}

TEST(SfvFile, MissingOrUnreadable)
{
    TempFolder dir;
    std::uint32_t expected = 0;
    EXPECT_EQ(ReadSfvFile(dir.Path("none.sfv"), expected), -4);
    ASSERT_EQ(::mkdir(dir.Path("folder.sfv").c_str(), 0700), 0);
    EXPECT_EQ(ReadSfvFile(dir.Path("folder.sfv"), expected), -5);
}

TEST(SfvFile, OverlongFirstLineIsJudgedByItsStart)
{
    TempFolder dir;
    std::string text = "name 0000ABCD" + std::string(400, ' ') + "X\n";
    std::uint32_t expected = 0;
    EXPECT_EQ(ReadSfvFile(dir.Write("long.sfv", text), expected), 0);
    EXPECT_EQ(expected, 0xABCDu);

    // The rest of a long comment line is no deciding line.
    text = ";" + std::string(300, 'c') + "\nname 00000042\n";
    EXPECT_EQ(ReadSfvFile(dir.Write("long2.sfv", text), expected), 0);
    EXPECT_EQ(expected, 0x42u);
}

}  // namespace
