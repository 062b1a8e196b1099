// The whole COP stack - libmastergate.so, libsoftmaster.so and
// libpcan_usb.so - on a SocketCAN interface whose socket is one end of a
// socketpair; a small CANopen peer at the other end answers as a drive.
#include "FakeSocketCan.h"

#include <cop/cop.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

using ovro::test::FakeSocketCan;

constexpr std::uint8_t kNode = 5;

// Answers SDO uploads of 0x1018/01 with 0x00000215 and takes downloads.
class Peer {
public:
    explicit Peer(int fd) : fd_(fd), thread_([this] { Run(); }) {}
    ~Peer()
    {
        stop_ = true;
        thread_.join();
    }
    std::uint32_t Written()
    {
        std::lock_guard lock(mutex_);
        return written_;
    }
    void Send(const can_frame& frame) { FakeSocketCan::writeFrame(fd_, frame); }

private:
    void Run()
    {
        while (!stop_) {
            can_frame f;
            if (!FakeSocketCan::readFrame(fd_, f, 20) || f.can_id != 0x600u + kNode)
                continue;
            const std::uint8_t command = f.data[0];
            if (command == 0x40 && f.data[1] == 0x18 && f.data[2] == 0x10 && f.data[3] == 1) {
                Send(FakeSocketCan::frame(0x580 + kNode, {0x43, 0x18, 0x10, 0x01, 0x15, 0x02, 0x00, 0x00}));
            } else if (command == 0x23) {
                std::lock_guard lock(mutex_);
                std::memcpy(&written_, f.data + 4, 4);
                Send(FakeSocketCan::frame(0x580 + kNode, {0x60, f.data[1], f.data[2], f.data[3], 0, 0, 0, 0}));
            } else {
                // Object does not exist.
                Send(FakeSocketCan::frame(0x580 + kNode, {0x80, f.data[1], f.data[2], f.data[3], 0x00, 0x00, 0x02, 0x06}));
            }
        }
    }

    int fd_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::uint32_t written_ = 0;
    std::thread thread_;
};

TEST(CopOverSocketCan, SdoAndPdoReachThePeerThroughTheSeam)
{
    FakeSocketCan can;
    can.add("can0", {500000});
    setenv("OVRO_CAN_CHANNEL", "socketcan:can0", 1);
    ASSERT_TRUE(COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500))
        << COP_GetLastError();
    ASSERT_GE(can.peer("can0"), 0);
    {
        Peer peer(can.peer("can0"));
        ASSERT_TRUE(COP_SetSDOTimeout(1000));
        ASSERT_TRUE(COP_AddNode(kNode)) << COP_GetLastError();

        std::uint8_t data[4] = {};
        std::int16_t length = 0;
        ASSERT_TRUE(COP_ReadSDO(kNode, 0x1018, 1, &length, data, sizeof data)) << COP_GetLastError();
        EXPECT_EQ(length, 4);
        EXPECT_EQ(data[0] | data[1] << 8, 0x0215);

        const std::uint8_t velocity[4] = {0xC4, 0x09, 0, 0};  // 2500
        ASSERT_TRUE(COP_WriteSDO(kNode, 0x6081, 0, 4, velocity)) << COP_GetLastError();
        EXPECT_EQ(peer.Written(), 2500u);

        // A refused object comes back as an abort with its code.
        EXPECT_FALSE(COP_ReadSDO(kNode, 0x2999, 0, &length, data, sizeof data));
        EXPECT_EQ(COP_GetLastError(), COP_ERR_ABORTED);
        EXPECT_EQ(COP_GetLastAbort(), 0x06020000u);

        // A transmit PDO of the drive.
        ASSERT_TRUE(COP_CreatePDO(kNode, 1, 0, 0x180 + kNode, 2));
        peer.Send(FakeSocketCan::frame(0x180 + kNode, {0x37, 0x02}));
        std::uint8_t node = 0, pdo = 0, pdoData[8] = {}, pdoLength = 0;
        bool got = false;
        for (int i = 0; i < 200 && !got; ++i) {
            got = COP_ReadPDO(&node, &pdo, pdoData, &pdoLength);
            if (!got)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_TRUE(got) << COP_GetLastError();
        EXPECT_EQ(node, kNode);
        EXPECT_EQ(pdo, 1);
        EXPECT_EQ(pdoLength, 2);
        EXPECT_EQ(pdoData[0], 0x37);

        // A receive PDO of the drive goes out on its identifier.
        ASSERT_TRUE(COP_CreatePDO(kNode, 1, 1, 0x200 + kNode, 1));
        const std::uint8_t command[1] = {0x0F};
        ASSERT_TRUE(COP_WritePDO(kNode, 1, command)) << COP_GetLastError();
    }
    EXPECT_TRUE(COP_Terminate());
    unsetenv("OVRO_CAN_CHANNEL");
}

TEST(CopOverSocketCan, AnInterfaceAtAnotherRateThatMayNotChangeIsRefused)
{
    FakeSocketCan can;
    can.add("can0", {250000, true, false, true});
    setenv("OVRO_CAN_CHANNEL", "socketcan:can0", 1);
    EXPECT_FALSE(COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500));
    EXPECT_EQ(COP_GetLastError(), -265);  // invalid parameter value
    EXPECT_EQ(can.opens("can0"), 0);
    COP_Terminate();
    unsetenv("OVRO_CAN_CHANNEL");
}

}  // namespace
