// libs/socketcan: the interface list from sysfs, the operations put in
// place by a test, and names that are no interface names.
#include <socketcan/socketcan.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

TEST(SocketCanList, TakesOnlyTheCanTypeInterfacesSorted)
{
    char tmpl[] = "/tmp/socketcan-sysfs-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const fs::path root = tmpl;
    const std::pair<const char*, const char*> entries[] = {
        {"vcan0", "280\n"}, {"eth0", "1\n"}, {"can1", "280\n"}, {"lo", "772\n"}, {"can0", "280"}};
    for (const auto& [name, type] : entries) {
        fs::create_directories(root / name);
        std::ofstream(root / name / "type") << type;
    }
    fs::create_directories(root / "notype");

    char names[8][SOCKETCAN_NAME_SIZE];
    ASSERT_EQ(socketcan_list_in(root.c_str(), names, 8), 3u);
    EXPECT_STREQ(names[0], "can0");
    EXPECT_STREQ(names[1], "can1");
    EXPECT_STREQ(names[2], "vcan0");
    // Fewer places than interfaces: the count is still the whole.
    char one[1][SOCKETCAN_NAME_SIZE];
    EXPECT_EQ(socketcan_list_in(root.c_str(), one, 1), 3u);
    EXPECT_STREQ(one[0], "can0");
    EXPECT_EQ(socketcan_list_in((root / "missing").c_str(), names, 8), 0u);
    fs::remove_all(root);
}

int fakeBitrate(void* context, const char*, uint32_t* rate)
{
    *rate = *static_cast<uint32_t*>(context);
    return 0;
}

TEST(SocketCanOps, ATestsOperationsStandInAndTheRestStaysTheSystems)
{
    uint32_t rate = 125000;
    socketcan_ops ops{};
    ops.bitrate = fakeBitrate;
    ops.context = &rate;
    socketcan_set_ops(&ops);
    uint32_t got = 0;
    EXPECT_EQ(socketcan_bitrate("can9", &got), 0);
    EXPECT_EQ(got, 125000u);
    // open is left to the system, which has no interface of that name.
    EXPECT_LT(socketcan_open("no-such-can9", 0), 0);
    socketcan_set_ops(nullptr);
    EXPECT_EQ(socketcan_bitrate("no-such-can9", &got), -ENODEV);
}

TEST(SocketCanOps, NamesThatAreNoInterfaceNamesAreRefusedBeforeAnyCall)
{
    const std::string tooLong(SOCKETCAN_NAME_SIZE, 'c');
    uint32_t rate = 0;
    for (const char* name : {"", "../can0", tooLong.c_str()}) {
        EXPECT_EQ(socketcan_open(name, 0), -ENODEV) << name;
        EXPECT_EQ(socketcan_bitrate(name, &rate), -ENODEV) << name;
        EXPECT_EQ(socketcan_is_up(name), -ENODEV) << name;
        EXPECT_EQ(socketcan_set_bitrate(name, 500000), -ENODEV) << name;
    }
    EXPECT_EQ(socketcan_open(nullptr, 0), -ENODEV);
}

}  // namespace
