// The driver libraries over the virtual bus, loaded from the build.
#include "PcanLibrary.h"

#include <canbus/canbus.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

canbus_frame busFrame(uint32_t id, uint8_t len, uint8_t first = 0)
{
    canbus_frame frame{};
    frame.id = id;
    frame.len = len;
    for (int i = 0; i < len; ++i)
        frame.data[i] = static_cast<uint8_t>(first + i);
    return frame;
}

class VirtualDriver : public ::testing::Test {
protected:
    void SetUp() override
    {
        char templ[] = "/tmp/pcanlight-test.XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        root_ = templ;
        setenv("OVRO_CANBUS_DIR", root_.c_str(), 1);
        setenv("OVRO_CAN_CHANNEL", "virtual:first", 1);
        setenv("OVRO_CAN_CHANNEL2", "virtual:second", 1);
        ASSERT_TRUE(usb_.load(PCAN_USB_PATH, "CAN_", true)) << dlerror();
    }
    void TearDown() override
    {
        usb_.unload();
        canbus_close(peer_);
        unsetenv("OVRO_CAN_CHANNEL");
        unsetenv("OVRO_CAN_CHANNEL2");
        unsetenv("OVRO_CANBUS_DIR");
        fs::remove_all(root_);
    }
    canbus_endpoint* peer(uint32_t bitrate, const char* bus = "first")
    {
        peer_ = canbus_open(bus, bitrate, nullptr);
        EXPECT_NE(peer_, nullptr);
        return peer_;
    }
    void send(const canbus_frame& frame) { ASSERT_EQ(canbus_send(peer_, &frame), 0); }
    // Reads the next message, waiting for it to come in.
    uint32_t readWaiting(PcanLibrary& lib, TPCANMsg& msg)
    {
        lib.waitRead(1000000);
        return lib.read(&msg);
    }

    std::string root_;
    PcanLibrary usb_;
    canbus_endpoint* peer_ = nullptr;
};

TEST_F(VirtualDriver, WritesAndReadsAtTheRateOfTheBtrValue)
{
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_250K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    canbus_endpoint* bus = peer(250000);
    TPCANMsg out{0x605, PCAN_MSGTYPE_STANDARD, 8, {0x40, 0x00, 0x10, 0x00, 0, 0, 0, 0}};
    ASSERT_EQ(usb_.write(&out), PCAN_ERR_OK);
    canbus_frame got{};
    ASSERT_EQ(canbus_receive(bus, &got, 1000), 1);
    EXPECT_EQ(got.id, 0x605u);
    EXPECT_EQ(got.len, 8);
    EXPECT_EQ(got.data[2], 0x10);
    EXPECT_EQ(got.bitrate, 250000u);

    send(busFrame(0x585, 4, 0x43));
    TPCANMsg in{};
    ASSERT_EQ(readWaiting(usb_, in), PCAN_ERR_OK);
    EXPECT_EQ(in.ID, 0x585u);
    EXPECT_EQ(in.MSGTYPE, PCAN_MSGTYPE_STANDARD);
    EXPECT_EQ(in.LEN, 4);
    EXPECT_EQ(in.DATA[0], 0x43);
    EXPECT_EQ(in.DATA[3], 0x46);
    EXPECT_EQ(usb_.read(&in), PCAN_ERR_QRCVEMPTY);
}

TEST_F(VirtualDriver, DoesNotHearNodesAtAnotherRate)
{
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_125K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    peer(500000);
    send(busFrame(0x701, 1));
    TPCANMsg in{};
    EXPECT_EQ(usb_.waitRead(30000), PCAN_ERR_QRCVEMPTY);
    EXPECT_EQ(usb_.read(&in), PCAN_ERR_QRCVEMPTY);
}

TEST_F(VirtualDriver, RefusesUnknownBtrValuesAndCallsBeforeInit)
{
    TPCANMsg msg{0x100, PCAN_MSGTYPE_STANDARD, 0, {}};
    EXPECT_EQ(usb_.write(&msg), PCAN_ERR_ILLCLIENT);
    EXPECT_EQ(usb_.read(&msg), PCAN_ERR_ILLCLIENT);
    EXPECT_EQ(usb_.resetClient(), PCAN_ERR_ILLCLIENT);
    EXPECT_EQ(usb_.initPnp(0x0000, PCAN_INIT_TYPE_ST), PCAN_ERR_PARMVAL);  // 800k
    EXPECT_EQ(usb_.initPnp(0x1234, PCAN_INIT_TYPE_ST), PCAN_ERR_PARMVAL);
    EXPECT_EQ(usb_.initPnp(PCAN_BAUD_1M, 7), PCAN_ERR_PARMVAL);
    EXPECT_EQ(usb_.write(&msg), PCAN_ERR_ILLCLIENT);  // still not initialised
}

TEST_F(VirtualDriver, RefusesABadChannelAndAMissingInterface)
{
    setenv("OVRO_CAN_CHANNEL", "serial:/dev/ttyS0", 1);
    EXPECT_EQ(usb_.initPnp(PCAN_BAUD_1M, PCAN_INIT_TYPE_ST), PCAN_ERR_ILLHW);
    setenv("OVRO_CAN_CHANNEL", "socketcan:nosuchcan9", 1);
    EXPECT_EQ(usb_.initPnp(PCAN_BAUD_1M, PCAN_INIT_TYPE_ST), PCAN_ERR_REGTEST);
    TPCANMsg msg{};
    EXPECT_EQ(usb_.read(&msg), PCAN_ERR_ILLCLIENT);
}

TEST_F(VirtualDriver, RemoteAndExtendedFramesHaveTheirTypes)
{
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_500K, PCAN_INIT_TYPE_EX), PCAN_ERR_OK);
    canbus_endpoint* bus = peer(500000);
    send(busFrame(CANBUS_RTR_FLAG | 0x181, 8));
    send(busFrame(CANBUS_EFF_FLAG | 0x18FF1234, 2, 7));
    send(busFrame(CANBUS_EFF_FLAG | CANBUS_RTR_FLAG | 0x1234, 0));
    TPCANMsg in{};
    ASSERT_EQ(readWaiting(usb_, in), PCAN_ERR_OK);
    EXPECT_EQ(in.ID, 0x181u);
    EXPECT_EQ(in.MSGTYPE, PCAN_MSGTYPE_RTR);
    EXPECT_EQ(in.LEN, 8);
    ASSERT_EQ(readWaiting(usb_, in), PCAN_ERR_OK);
    EXPECT_EQ(in.ID, 0x18FF1234u);
    EXPECT_EQ(in.MSGTYPE, PCAN_MSGTYPE_EXTENDED);
    EXPECT_EQ(in.DATA[1], 8);
    ASSERT_EQ(readWaiting(usb_, in), PCAN_ERR_OK);
    EXPECT_EQ(in.MSGTYPE, PCAN_MSGTYPE_EXTENDED | PCAN_MSGTYPE_RTR);

    TPCANMsg rtr{0x281, PCAN_MSGTYPE_RTR, 6, {1, 2}};
    ASSERT_EQ(usb_.write(&rtr), PCAN_ERR_OK);
    TPCANMsg ext{0x1FFFFFFF, PCAN_MSGTYPE_EXTENDED, 1, {0xAB}};
    ASSERT_EQ(usb_.write(&ext), PCAN_ERR_OK);
    canbus_frame got{};
    ASSERT_EQ(canbus_receive(bus, &got, 1000), 1);
    EXPECT_EQ(got.id, CANBUS_RTR_FLAG | 0x281);
    EXPECT_EQ(got.len, 6);
    EXPECT_EQ(got.data[0], 0);
    ASSERT_EQ(canbus_receive(bus, &got, 1000), 1);
    EXPECT_EQ(got.id, CANBUS_EFF_FLAG | 0x1FFFFFFF);
    EXPECT_EQ(got.data[0], 0xAB);

    TPCANMsg bad{0x800, PCAN_MSGTYPE_STANDARD, 0, {}};
    EXPECT_EQ(usb_.write(&bad), PCAN_ERR_PARMVAL);
    TPCANMsg status{0, PCAN_MSGTYPE_STATUS, 4, {}};
    EXPECT_EQ(usb_.write(&status), PCAN_ERR_PARMTYP);
}

TEST_F(VirtualDriver, StandardFramesOnlyDropsExtendedOnes)
{
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_500K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    peer(0);
    send(busFrame(CANBUS_EFF_FLAG | 0x18FF1234, 2));
    send(busFrame(0x123, 1));
    TPCANMsg in{};
    ASSERT_EQ(readWaiting(usb_, in), PCAN_ERR_OK);
    EXPECT_EQ(in.ID, 0x123u);
}

TEST_F(VirtualDriver, FullQueueReportsOverrunInAStatusMessage)
{
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_1M, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    peer(1000000);
    const int frames = CANBUS_QUEUE_FRAMES + 200;
    for (int i = 0; i < frames; ++i)
        send(busFrame(i & 0x7FF, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    TPCANMsg in{};
    ASSERT_EQ(usb_.read(&in), PCAN_ERR_OK);
    EXPECT_EQ(in.MSGTYPE, PCAN_MSGTYPE_STATUS);
    EXPECT_EQ(in.DATA[3], PCAN_ERR_OVERRUN | PCAN_ERR_QOVERRUN);
    int data = 0;
    while (usb_.read(&in) == PCAN_ERR_OK) {
        ASSERT_EQ(in.MSGTYPE, PCAN_MSGTYPE_STANDARD);
        ++data;
    }
    EXPECT_EQ(data, CANBUS_QUEUE_FRAMES);
}

TEST_F(VirtualDriver, InjectedErrorFramesBecomeStatusMessages)
{
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_20K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    peer(0);
    EXPECT_EQ(usb_.status(), 0u);
    canbus_frame passive = busFrame(CANBUS_ERR_FLAG | CANBUS_ERR_CRTL, 8);
    std::memset(passive.data, 0, 8);
    passive.data[1] = CANBUS_ERR_CRTL_RX_PASSIVE | CANBUS_ERR_CRTL_TX_PASSIVE;
    canbus_frame busoff = busFrame(CANBUS_ERR_FLAG | CANBUS_ERR_BUSOFF, 8);
    std::memset(busoff.data, 0, 8);
    canbus_frame active = passive;
    active.data[1] = CANBUS_ERR_CRTL_ACTIVE;
    send(passive);
    send(busoff);
    send(active);

    TPCANMsg in{};
    ASSERT_EQ(readWaiting(usb_, in), PCAN_ERR_OK);
    EXPECT_EQ(in.MSGTYPE, PCAN_MSGTYPE_STATUS);
    EXPECT_EQ(in.DATA[3], PCAN_ERR_BUSHEAVY);
    ASSERT_EQ(readWaiting(usb_, in), PCAN_ERR_OK);
    EXPECT_EQ(in.DATA[3], PCAN_ERR_BUSOFF);
    EXPECT_EQ(usb_.status(), PCAN_ERR_BUSOFF);
    ASSERT_EQ(readWaiting(usb_, in), PCAN_ERR_OK);
    EXPECT_EQ(in.MSGTYPE, PCAN_MSGTYPE_STATUS);
    EXPECT_EQ(in.DATA[3], 0);
    EXPECT_EQ(usb_.status(), 0u);
}

TEST_F(VirtualDriver, WaitReadTimesOutAndWakesOnAFrame)
{
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_250K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    peer(250000);
    auto start = Clock::now();
    EXPECT_EQ(usb_.waitRead(20000), PCAN_ERR_QRCVEMPTY);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(20));

    std::thread sender([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        canbus_send(peer_, &(const canbus_frame&)busFrame(0x1A0, 1));
    });
    start = Clock::now();
    EXPECT_EQ(usb_.waitRead(10000000), PCAN_ERR_OK);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    sender.join();
    TPCANMsg in{};
    ASSERT_EQ(usb_.read(&in), PCAN_ERR_OK);
    EXPECT_EQ(in.ID, 0x1A0u);
    EXPECT_EQ(usb_.waitRead(0), PCAN_ERR_QRCVEMPTY);
}

TEST_F(VirtualDriver, AFrameWakesEveryThreadThatWaits)
{
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_500K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    peer(500000);
    // One waiter with a short time-out, two with long ones: the frame ends
    // every wait at once, whichever of them takes it from the bus.
    auto wait = [&](std::uint32_t us) {
        auto start = Clock::now();
        bool got = usb_.waitRead(us) == PCAN_ERR_OK;
        return std::make_pair(got, Clock::now() - start);
    };
    auto shortOne = std::async(std::launch::async, wait, 20000u);
    auto first = std::async(std::launch::async, wait, 3000000u);
    auto second = std::async(std::launch::async, wait, 3000000u);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    send(busFrame(0x181, 2));
    EXPECT_FALSE(shortOne.get().first) << "its time was up before the frame came";
    for (auto* f : {&first, &second}) {
        auto [got, took] = f->get();
        EXPECT_TRUE(got);
        EXPECT_LT(took, std::chrono::milliseconds(1500));
    }
    TPCANMsg in{};
    EXPECT_EQ(usb_.read(&in), PCAN_ERR_OK);
    EXPECT_EQ(in.ID, 0x181u);
}

TEST_F(VirtualDriver, ReinitAndResetClientEmptyTheQueue)
{
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_250K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    canbus_endpoint* bus = peer(0);
    send(busFrame(0x10, 0));
    ASSERT_EQ(usb_.waitRead(1000000), PCAN_ERR_OK);
    EXPECT_EQ(usb_.resetClient(), PCAN_ERR_OK);
    TPCANMsg in{};
    EXPECT_EQ(usb_.read(&in), PCAN_ERR_QRCVEMPTY);

    send(busFrame(0x11, 0));
    ASSERT_EQ(usb_.waitRead(1000000), PCAN_ERR_OK);
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_125K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    EXPECT_EQ(usb_.read(&in), PCAN_ERR_QRCVEMPTY);
    TPCANMsg out{0x12, PCAN_MSGTYPE_STANDARD, 0, {}};
    ASSERT_EQ(usb_.write(&out), PCAN_ERR_OK);
    canbus_frame got{};
    ASSERT_EQ(canbus_receive(bus, &got, 1000), 1);
    EXPECT_EQ(got.bitrate, 125000u);
    // One socket of the driver, one of the peer: the old one is gone.
    int sockets = 0;
    for (const auto& entry : fs::directory_iterator(root_ + "/first"))
        sockets += entry.path().extension() == ".sock";
    EXPECT_EQ(sockets, 2);
    EXPECT_EQ(usb_.close(), PCAN_ERR_OK);
    EXPECT_EQ(usb_.write(&out), PCAN_ERR_ILLCLIENT);
}

// Each load of a driver library brings its own copy of the bus endpoint,
// whose names would start afresh: a sender still holding the name of the
// endpoint of the unloaded copy could then remove or feed the new one.
TEST_F(VirtualDriver, ReloadedLibraryNeverReusesASocketName)
{
    auto driverSockets = [this] {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root_ + "/first")) {
            if (entry.path().extension() == ".sock")
                names.push_back(entry.path().filename().string());
        }
        return names;
    };
    std::vector<std::string> seen;
    for (int load = 0; load < 4; ++load) {
        if (load > 0) {
            ASSERT_TRUE(usb_.load(PCAN_USB_PATH, "CAN_", true)) << dlerror();
        }
        ASSERT_EQ(usb_.initPnp(PCAN_BAUD_500K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
        const auto names = driverSockets();
        ASSERT_EQ(names.size(), 1u);
        for (const auto& old : seen) {
            EXPECT_NE(names[0], old) << "load " << load;
        }
        seen.push_back(names[0]);
        usb_.unload();
        EXPECT_TRUE(driverSockets().empty());
    }
}

TEST_F(VirtualDriver, VersionTextNamesBoardAndChannelAndEndsInTheVersion)
{
    char text[PCAN_VERSION_TEXT_SIZE];
    ASSERT_EQ(usb_.versionInfo(text), PCAN_ERR_OK);
    std::string version(text);
    EXPECT_NE(version.find("PCAN-USB"), std::string::npos) << version;
    EXPECT_NE(version.find("virtual bus first"), std::string::npos) << version;
    EXPECT_EQ(version.find('\n'), std::string::npos);
    ASSERT_NE(version.rfind(' '), std::string::npos);
    EXPECT_EQ(version.substr(version.rfind(' ') + 1), "2.49");
}

TEST_F(VirtualDriver, SetChannelOverridesTheVariableUntilCleared)
{
    auto setChannel = reinterpret_cast<PCAN_SetChannel_t>(dlsym(usb_.handle, "CAN_SetChannel"));
    ASSERT_NE(setChannel, nullptr);
    EXPECT_EQ(setChannel("serial:/dev/ttyS0"), PCAN_ERR_ILLHW) << "no channel: refused, nothing changes";
    ASSERT_EQ(setChannel("virtual:other"), PCAN_ERR_OK);
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_500K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    char text[PCAN_VERSION_TEXT_SIZE];
    ASSERT_EQ(usb_.versionInfo(text), PCAN_ERR_OK);
    EXPECT_NE(std::string(text).find("virtual bus other"), std::string::npos) << text;
    canbus_endpoint* other = peer(500000, "other");
    TPCANMsg out{0x181, PCAN_MSGTYPE_STANDARD, 1, {7}};
    ASSERT_EQ(usb_.write(&out), PCAN_ERR_OK);
    canbus_frame got{};
    ASSERT_EQ(canbus_receive(other, &got, 1000), 1);
    EXPECT_EQ(got.id, 0x181u);

    // Cleared: the next init is back on the variable's bus.
    ASSERT_EQ(setChannel(nullptr), PCAN_ERR_OK);
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_500K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    ASSERT_EQ(usb_.versionInfo(text), PCAN_ERR_OK);
    EXPECT_NE(std::string(text).find("virtual bus first"), std::string::npos) << text;
}

TEST_F(VirtualDriver, ExportsOnlyTheDriverCalls)
{
    EXPECT_EQ(dlsym(usb_.handle, "canbus_open"), nullptr);
    EXPECT_EQ(dlsym(usb_.handle, "CAN2_Init"), nullptr);
    PcanLibrary second;
    ASSERT_TRUE(second.load(PCAN_2PCI_PATH, "CAN2_", true));
    EXPECT_EQ(dlsym(second.handle, "CAN_Init"), nullptr);
    second.unload();
}

TEST_F(VirtualDriver, SecondChannelLibraryUsesItsOwnChannelAndQueue)
{
    PcanLibrary second;
    ASSERT_TRUE(second.load(PCAN_2PCI_PATH, "CAN2_", true));
    ASSERT_EQ(usb_.initPnp(PCAN_BAUD_50K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    ASSERT_EQ(second.initPnp(PCAN_BAUD_50K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);
    canbus_endpoint* bus = peer(50000, "second");
    TPCANMsg out{0x77, PCAN_MSGTYPE_STANDARD, 1, {5}};
    ASSERT_EQ(second.write(&out), PCAN_ERR_OK);
    canbus_frame got{};
    ASSERT_EQ(canbus_receive(bus, &got, 1000), 1);
    EXPECT_EQ(got.id, 0x77u);
    send(busFrame(0x78, 0));
    TPCANMsg in{};
    ASSERT_EQ(readWaiting(second, in), PCAN_ERR_OK);
    EXPECT_EQ(in.ID, 0x78u);
    EXPECT_EQ(usb_.read(&in), PCAN_ERR_QRCVEMPTY);  // other bus
    char text[PCAN_VERSION_TEXT_SIZE];
    ASSERT_EQ(second.versionInfo(text), PCAN_ERR_OK);
    EXPECT_NE(std::string(text).find("PCAN-PCI (2nd channel)"), std::string::npos) << text;
    second.unload();
}

TEST_F(VirtualDriver, NonPlugAndPlayLibraryTakesFiveArguments)
{
    PcanLibrary isa;
    ASSERT_TRUE(isa.load(PCAN_ISA_PATH, "CAN_", false));
    usb_.unload();  // both would share OVRO_CAN_CHANNEL; only one at a time here
    ASSERT_EQ(isa.initHw(PCAN_BAUD_100K, PCAN_INIT_TYPE_ST, 9, 0x300, 10), PCAN_ERR_OK);
    canbus_endpoint* bus = peer(100000);
    TPCANMsg out{0x80, PCAN_MSGTYPE_STANDARD, 0, {}};
    ASSERT_EQ(isa.write(&out), PCAN_ERR_OK);
    canbus_frame got{};
    ASSERT_EQ(canbus_receive(bus, &got, 1000), 1);
    EXPECT_EQ(got.bitrate, 100000u);
    isa.unload();
}

}  // namespace
