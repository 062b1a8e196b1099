// The driver library on a SocketCAN interface. Needs a vcan interface named
// by OVRO_TEST_VCAN (default vcan0), which machines without SocketCAN lack.
#include "PcanLibrary.h"

#include <gtest/gtest.h>

#include <linux/can.h>
#include <linux/can/raw.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

TEST(SocketCanDriver, RoundTripOverAVcanInterface)
{
    const char* env = std::getenv("OVRO_TEST_VCAN");
    std::string name = env && *env ? env : "vcan0";
    int sock = socket(PF_CAN, SOCK_RAW, CAN_RAW);
    if (sock < 0)
        GTEST_SKIP() << "SocketCAN is not available on this machine (" << std::strerror(errno) << ")";
    unsigned index = if_nametoindex(name.c_str());
    if (index == 0) {
        close(sock);
        GTEST_SKIP() << "no SocketCAN interface " << name
                     << " (create one: ip link add dev vcan0 type vcan; ip link set up vcan0)";
    }
    sockaddr_can addr{};
    addr.can_family = AF_CAN;
    addr.can_ifindex = static_cast<int>(index);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);

    setenv("OVRO_CAN_CHANNEL", ("socketcan:" + name).c_str(), 1);
    PcanLibrary usb;
    ASSERT_TRUE(usb.load(PCAN_USB_PATH, "CAN_", true));
    ASSERT_EQ(usb.initPnp(PCAN_BAUD_500K, PCAN_INIT_TYPE_ST), PCAN_ERR_OK);

    TPCANMsg out{0x605, PCAN_MSGTYPE_STANDARD, 2, {0x2B, 0x17}};
    ASSERT_EQ(usb.write(&out), PCAN_ERR_OK);
    can_frame frame{};
    ASSERT_EQ(read(sock, &frame, sizeof frame), static_cast<ssize_t>(sizeof frame));
    EXPECT_EQ(frame.can_id, 0x605u);
    EXPECT_EQ(frame.data[1], 0x17);

    frame = can_frame{};
    frame.can_id = 0x585;
    frame.len = 1;
    frame.data[0] = 0x60;
    ASSERT_EQ(write(sock, &frame, sizeof frame), static_cast<ssize_t>(sizeof frame));
    ASSERT_EQ(usb.waitRead(1000000), PCAN_ERR_OK);
    TPCANMsg in{};
    ASSERT_EQ(usb.read(&in), PCAN_ERR_OK);
    EXPECT_EQ(in.ID, 0x585u);
    EXPECT_EQ(in.DATA[0], 0x60);
    usb.unload();
    unsetenv("OVRO_CAN_CHANNEL");
    close(sock);
}

}  // namespace
