#include <canbus/canbus.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

namespace {

TEST(WireFormat, EncodesEveryFieldLittleEndianWithZeroPadding)
{
    canbus_frame frame{};
    frame.id = CANBUS_EFF_FLAG | 0x12345678u;
    frame.len = 3;
    frame.data[0] = 0xAA;
    frame.data[1] = 0xBB;
    frame.data[2] = 0xCC;
    frame.data[5] = 0x77;  // beyond len: must not go on the wire
    frame.bitrate = 250000;  // 0x0003D090
    std::array<uint8_t, CANBUS_FRAME_SIZE> out;
    out.fill(0xEE);
    canbus_encode(&frame, out.data());
    const std::array<uint8_t, CANBUS_FRAME_SIZE> expected = {
        0x78, 0x56, 0x34, 0x92, 3, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0, 0, 0, 0, 0, 0x90, 0xD0, 0x03, 0x00};
    EXPECT_EQ(out, expected);
}

TEST(WireFormat, DecodesWhatItEncodes)
{
    canbus_frame frame{};
    frame.id = 0x605;
    frame.len = 8;
    for (int i = 0; i < 8; ++i)
        frame.data[i] = static_cast<uint8_t>(0x10 + i);
    frame.bitrate = 1000000;
    uint8_t wire[CANBUS_FRAME_SIZE];
    canbus_encode(&frame, wire);
    canbus_frame back{};
    ASSERT_EQ(canbus_decode(wire, sizeof wire, &back), 1);
    EXPECT_EQ(back.id, 0x605u);
    EXPECT_EQ(back.len, 8);
    EXPECT_EQ(back.data[7], 0x17);
    EXPECT_EQ(back.bitrate, 1000000u);
}

TEST(WireFormat, RemoteRequestKeepsLengthButCarriesNoData)
{
    canbus_frame frame{};
    frame.id = CANBUS_RTR_FLAG | 0x181;
    frame.len = 4;
    frame.data[0] = 0x55;
    uint8_t wire[CANBUS_FRAME_SIZE];
    canbus_encode(&frame, wire);
    EXPECT_EQ(wire[3], 0x40);
    EXPECT_EQ(wire[4], 4);
    EXPECT_EQ(wire[8], 0);
}

TEST(WireFormat, RejectsWrongSizesAndLengths)
{
    uint8_t wire[CANBUS_FRAME_SIZE + 1] = {};
    canbus_frame frame{};
    EXPECT_EQ(canbus_decode(wire, 19, &frame), 0);
    EXPECT_EQ(canbus_decode(wire, 21, &frame), 0);
    EXPECT_EQ(canbus_decode(wire, 0, &frame), 0);
    wire[4] = 9;
    EXPECT_EQ(canbus_decode(wire, CANBUS_FRAME_SIZE, &frame), 0);
    wire[4] = 8;
    EXPECT_EQ(canbus_decode(wire, CANBUS_FRAME_SIZE, &frame), 1);
}

TEST(BusDirectoryName, FollowsTheRootVariableAndTheDefaultName)
{
    const char* old = std::getenv("OVRO_CANBUS_DIR");
    std::string saved = old ? old : "";
    setenv("OVRO_CANBUS_DIR", "/tmp/some-root/", 1);
    char buf[256];
    ASSERT_NE(canbus_directory(nullptr, buf, sizeof buf), nullptr);
    EXPECT_STREQ(buf, "/tmp/some-root/default");
    ASSERT_NE(canbus_directory("vbus", buf, sizeof buf), nullptr);
    EXPECT_STREQ(buf, "/tmp/some-root/vbus");
    EXPECT_EQ(canbus_directory("vbus", buf, 10), nullptr);
    EXPECT_EQ(canbus_directory("../etc", buf, sizeof buf), nullptr);
    unsetenv("OVRO_CANBUS_DIR");
    ASSERT_NE(canbus_directory("", buf, sizeof buf), nullptr);
    EXPECT_EQ(std::string(buf), "/tmp/ovro-canbus-" + std::to_string(getuid()) + "/default");
    if (old)
        setenv("OVRO_CANBUS_DIR", saved.c_str(), 1);
}

}  // namespace
