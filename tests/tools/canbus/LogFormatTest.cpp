// The log format of can-utils, written and read back.
#include "LogFormat.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

canbus_frame makeFrame(uint32_t id, std::initializer_list<uint8_t> data, uint8_t len = 0xFF)
{
    canbus_frame f{};
    f.id = id;
    f.len = len == 0xFF ? static_cast<uint8_t>(data.size()) : len;
    std::size_t i = 0;
    for (uint8_t b : data)
        f.data[i++] = b;
    return f;
}

struct LineRow {
    const char* name;
    canbus_frame frame;
    const char* text;
};

class LogLines : public ::testing::TestWithParam<LineRow> {};

TEST_P(LogLines, WrittenAsCandumpAndReadBack)
{
    const LineRow& row = GetParam();
    const std::string line = LogFormat::line(1700000000, 123456, "demo", row.frame);
    EXPECT_EQ(line, std::string("(1700000000.123456) demo ") + row.text);

    LogFormat::Record record;
    std::string error;
    ASSERT_TRUE(LogFormat::parseLine(line, record, error)) << error;
    EXPECT_EQ(record.microseconds, 1700000000123456LL);
    EXPECT_EQ(record.interface, "demo");
    EXPECT_EQ(record.frame.id, row.frame.id);
    EXPECT_EQ(record.frame.len, row.frame.len);
    if (!(row.frame.id & CANBUS_RTR_FLAG)) {
        EXPECT_EQ(std::memcmp(record.frame.data, row.frame.data, row.frame.len), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, LogLines,
    ::testing::Values(
        LineRow{"SdoRequest", makeFrame(0x605, {0x40, 0x00, 0x10, 0, 0, 0, 0, 0}), "605#4000100000000000"},
        LineRow{"Empty", makeFrame(0x080, {}), "080#"},
        LineRow{"Extended", makeFrame(CANBUS_EFF_FLAG | 0x18FF0001u, {0xAB}), "18FF0001#AB"},
        LineRow{"RemoteNoLength", makeFrame(CANBUS_RTR_FLAG | 0x701u, {}, 0), "701#R"},
        LineRow{"RemoteWithLength", makeFrame(CANBUS_RTR_FLAG | 0x181u, {}, 4), "181#R4"},
        LineRow{"ErrorPassive", makeFrame(CANBUS_ERR_FLAG | CANBUS_ERR_CRTL, {0, 0x30, 0, 0, 0, 0, 0, 0}),
                "20000004#0030000000000000"},
        LineRow{"BusOff", makeFrame(CANBUS_ERR_FLAG | CANBUS_ERR_BUSOFF, {0, 0, 0, 0, 0, 0, 0, 0}),
                "20000040#0000000000000000"}),
    [](const ::testing::TestParamInfo<LineRow>& info) { return info.param.name; });

TEST(LogFormat, SmallTimeStampsArePaddedAsCandumpPadsThem)
{
    EXPECT_EQ(LogFormat::line(12, 5, "can0", makeFrame(0x123, {1})), "(0000000012.000005) can0 123#01");
}

struct BadRow {
    const char* name;
    const char* text;
    const char* error;
};

class BadLogLines : public ::testing::TestWithParam<BadRow> {};

TEST_P(BadLogLines, AreRefusedWithTheReason)
{
    LogFormat::Record record;
    std::string error;
    EXPECT_FALSE(LogFormat::parseLine(GetParam().text, record, error));
    EXPECT_NE(error.find(GetParam().error), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BadLogLines,
    ::testing::Values(BadRow{"NoStamp", "can0 123#11", "expected"},
                      BadRow{"ShortFraction", "(1700000000.12) can0 123#11", "bad time stamp"},
                      BadRow{"NoBrackets", "1700000000.123456 can0 123#11", "bad time stamp"},
                      BadRow{"LettersInStamp", "(17000x0000.123456) can0 123#11", "bad time stamp"},
                      BadRow{"HalfByte", "(1700000000.123456) can0 123#1", "half a byte"},
                      BadRow{"BadIdentifier", "(1700000000.123456) can0 12#11", "bad identifier"},
                      BadRow{"CanFd", "(1700000000.123456) can0 123##0112233", "CAN FD"},
                      BadRow{"MissingFrame", "(1700000000.123456) can0", "expected"}),
    [](const ::testing::TestParamInfo<BadRow>& info) { return info.param.name; });

TEST(LogFormat, AWholeLogSkipsBlankAndCommentLinesAndNamesTheBadLine)
{
    std::vector<LogFormat::Record> records;
    std::string error;
    ASSERT_TRUE(LogFormat::parse("# recorded on site\n"
                                 "(1700000000.000000) can0 705#7F\r\n"
                                 "\n"
                                 "(1700000000.010000) can1 185#0102 R\n",
                                 records, error))
        << error;
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].interface, "can0");
    EXPECT_EQ(records[0].frame.data[0], 0x7F);
    EXPECT_EQ(records[1].microseconds - records[0].microseconds, 10000);
    EXPECT_EQ(records[1].frame.len, 2);

    records.clear();
    EXPECT_FALSE(LogFormat::parse("(1700000000.000000) can0 705#7F\n(1700000000.000001) can0 7050#7F\n",
                                  records, error));
    EXPECT_NE(error.find("line 2:"), std::string::npos) << error;
    EXPECT_TRUE(records.empty());
}

}  // namespace
