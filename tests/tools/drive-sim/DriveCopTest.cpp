// The simulated drive as the program meets it: through the COP API
// (mastergate -> softmaster -> pcan_usb, or mastergate -> cardmaster -> the
// emulated board) on a private virtual bus.
#ifdef OVRO_HAVE_COP

#include "CopSimFixture.h"
#include "FirmwareImage.h"
#include "LoaderBlocks.h"

#include <algorithm>

#include <chrono>
#include <thread>
#include <vector>

namespace {

class DriveCop : public CopSimFixture {
protected:
    SimProcess& start(const char* model = "K315")
    {
        SimProcess& sim = startSim({"--model", model, "--node-id", "5", "--bitrate", "500", "--serial", "77",
                                    "--eeprom", path("eeprom.txt")});
        EXPECT_TRUE(initializeCop()) << COP_GetLastError();
        EXPECT_TRUE(COP_SetSDOTimeout(1000));
        EXPECT_TRUE(COP_AddNode(kNode)) << COP_GetLastError();
        return sim;
    }

    static bool write(uint16_t index, uint8_t sub, int64_t value, int16_t size)
    {
        uint8_t data[4];
        for (int i = 0; i < size; ++i)
            data[i] = uint8_t(uint64_t(value) >> (8 * i));
        return COP_WriteSDO(kNode, index, sub, size, data);
    }
    static bool write(uint16_t index, uint8_t sub, const std::vector<uint8_t>& data)
    {
        return COP_WriteSDO(kNode, index, sub, int16_t(data.size()), data.data());
    }
    // Reads a number of size bytes; sign-extended when asked.
    static int64_t read(uint16_t index, uint8_t sub, int16_t size, bool isSigned = false)
    {
        uint8_t data[256] = {};
        int16_t length = 256;
        EXPECT_TRUE(COP_ReadSDO(kNode, index, sub, &length, data, size))
            << std::hex << index << "/" << int(sub) << " error " << std::dec << COP_GetLastError();
        uint64_t v = 0;
        for (int i = 0; i < size; ++i)
            v |= uint64_t(data[i]) << (8 * i);
        if (isSigned && size < 8 && (v >> (8 * size - 1)) & 1)
            v |= ~uint64_t(0) << (8 * size);
        return int64_t(v);
    }
    static std::string readText(uint16_t index, uint8_t sub)
    {
        uint8_t data[64] = {};
        int16_t length = sizeof data;
        EXPECT_TRUE(COP_ReadSDO(kNode, index, sub, &length, data, sizeof data)) << COP_GetLastError();
        return std::string(reinterpret_cast<char*>(data), size_t(std::max<int16_t>(length, 0)));
    }
    static uint16_t statusword() { return uint16_t(read(0x6041, 0, 2)); }
    static bool controlword(uint16_t cw) { return write(0x6040, 0, cw, 2); }

    // Polls the statusword until all bits of mask are set.
    static bool waitFor(uint16_t mask, int timeoutMs)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if ((statusword() & mask) == mask)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return (statusword() & mask) == mask;
    }

    // The program's enable sequence, checking each state on the way.
    static void enable()
    {
        ASSERT_EQ(statusword() & 0x4F, 0x40) << "Switch On Disabled after boot";
        ASSERT_TRUE(controlword(0x0006));
        ASSERT_EQ(statusword() & 0x6F, 0x21) << "Ready to Switch On";
        ASSERT_TRUE(controlword(0x0007));
        ASSERT_EQ(statusword() & 0x6F, 0x23) << "Switched On";
        ASSERT_TRUE(controlword(0x000F));
        ASSERT_EQ(statusword() & 0x6F, 0x27) << "Operation Enabled";
    }

    // Waits for the next emergency: through a board it comes by the board's
    // own queue, after the SDO answers that followed it on the bus.
    static bool nextEmergency(uint8_t& node, uint8_t* data, int timeoutMs = 5000)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!COP_GetEmergency(&node, data)) {
            if (std::chrono::steady_clock::now() >= end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    static void expectAbort(uint32_t abortCode)
    {
        EXPECT_EQ(COP_GetLastError(), 4);
        EXPECT_EQ(COP_GetLastAbort(), abortCode);
    }
};

constexpr uint16_t kTargetReached = 0x0400;
constexpr uint16_t kHomingAttained = 0x1000;

TEST_P(DriveCop, EnableSequenceReachesOperationEnabled)
{
    start();
    enable();
    // disable voltage from Operation Enabled
    ASSERT_TRUE(controlword(0x0000));
    EXPECT_EQ(statusword() & 0x4F, 0x40);
}

TEST_P(DriveCop, ProfilePositionMoveEndsAtTheTarget)
{
    start();
    enable();
    const int64_t moves = read(0x200E, 3, 4);
    ASSERT_TRUE(write(0x6060, 0, 1, 1));
    EXPECT_EQ(read(0x6061, 0, 1, true), 1);
    ASSERT_TRUE(write(0x6081, 0, 10000, 4));
    ASSERT_TRUE(write(0x6083, 0, 200000, 4));
    ASSERT_TRUE(write(0x6084, 0, 200000, 4));
    ASSERT_TRUE(write(0x607A, 0, -6000, 4));
    ASSERT_TRUE(write(0x1003, 0, 0, 1));
    ASSERT_TRUE(controlword(0x001F));
    ASSERT_TRUE(controlword(0x000F));
    EXPECT_EQ(statusword() & kTargetReached, 0) << "moving";
    ASSERT_TRUE(waitFor(kTargetReached, 5000));
    EXPECT_EQ(read(0x6064, 0, 4, true), -6000);
    EXPECT_EQ(read(0x606C, 0, 4, true), 0);
    EXPECT_NE(read(0x1002, 0, 4) & (1 << 25), 0) << "position approached";
    EXPECT_EQ(read(0x200E, 3, 4), moves + 1) << "one more positioning in the logbook";
    EXPECT_EQ(read(0x6079, 0, 4) / 1000, 23) << "about 24 V on the DC link";
}

TEST_P(DriveCop, ProfileVelocityMoveReachesItsSpeed)
{
    start();
    enable();
    ASSERT_TRUE(write(0x6060, 0, 3, 1));
    ASSERT_TRUE(write(0x6083, 0, 100000, 4));
    ASSERT_TRUE(write(0x6084, 0, 100000, 4));
    ASSERT_TRUE(write(0x60FF, 0, 8000, 4));
    ASSERT_TRUE(controlword(0x000F));
    ASSERT_TRUE(waitFor(kTargetReached, 3000));
    EXPECT_EQ(read(0x606C, 0, 4, true), 8000);
    EXPECT_EQ(read(0x606B, 0, 4, true), 8000);
    EXPECT_GT(read(0x6078, 0, 2, true), 0) << "current flows";
    EXPECT_NE(read(0x1002, 0, 4) & (1 << 26), 0) << "motor turning";
    const int64_t x0 = read(0x6064, 0, 4, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_GT(read(0x6064, 0, 4, true), x0 + 400);
    // stop with the halt bit, as the velocity page does
    ASSERT_TRUE(controlword(0x010F));
    ASSERT_TRUE(waitFor(kTargetReached | 0x1000, 3000));
    EXPECT_EQ(read(0x606C, 0, 4, true), 0);
}

// The oscilloscope's velocity/current PDO follows the motion.
TEST_P(DriveCop, RecordingPdoCarriesVelocityAndCurrent)
{
    start();
    enable();
    ASSERT_TRUE(write(0x6060, 0, 3, 1));
    ASSERT_TRUE(write(0x60FF, 0, 6000, 4));
    ASSERT_TRUE(controlword(0x000F));
    ASSERT_TRUE(waitFor(kTargetReached, 3000));
    ASSERT_TRUE(write(0x1821, 2, 0xFE, 1));
    ASSERT_TRUE(write(0x1821, 5, 10, 2));
    ASSERT_TRUE(write(0x1821, 1, 0x480 + kNode, 4)) << COP_GetLastError() << " " << std::hex << COP_GetLastAbort();
    ASSERT_TRUE(COP_CreatePDO(kNode, 9, 0, 0x480 + kNode, 6));
    ASSERT_TRUE(COP_StartRemoteNode(kNode));
    int received = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < end && received < 5) {
        uint8_t node = 0, pdo = 0, length = 0, data[8] = {};
        if (!COP_ReadPDO(&node, &pdo, data, &length)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        if (node != kNode || pdo != 9)
            continue;
        ++received;
        ASSERT_EQ(length, 6);
        EXPECT_EQ(int32_t(data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24), 6000);
        EXPECT_GT(int16_t(data[4] | data[5] << 8), 0) << "current while running";
    }
    EXPECT_EQ(received, 5);
    COP_EnterPreOperationalState(kNode);
}

TEST_P(DriveCop, HomingEndsAtHomeWithTheAttainedBit)
{
    start();
    enable();
    ASSERT_TRUE(write(0x6060, 0, 6, 1));
    ASSERT_TRUE(write(0x6098, 0, 19, 1));
    ASSERT_TRUE(write(0x6099, 1, 10000, 4));
    ASSERT_TRUE(write(0x6099, 2, 2000, 4));
    ASSERT_TRUE(write(0x609A, 0, 1000000, 4));
    EXPECT_EQ(read(0x1002, 0, 4) & (1 << 24), 0) << "not referenced yet";
    ASSERT_TRUE(controlword(0x001F));
    ASSERT_TRUE(waitFor(kTargetReached | kHomingAttained, 10000));
    EXPECT_EQ(read(0x6064, 0, 4, true), read(0x607C, 0, 4, true)) << "home is at the home offset";
    EXPECT_EQ(read(0x60FD, 0, 4) & 0x7, 0x4) << "on the edge of the home switch";
    EXPECT_NE(read(0x1002, 0, 4) & (1 << 24), 0) << "drive referenced";

    // position assignment (method -1): no movement, no enable needed
    ASSERT_TRUE(controlword(0x0000));
    ASSERT_TRUE(write(0x200B, 0, 123456, 4));
    ASSERT_TRUE(write(0x6098, 0, -1, 1));
    ASSERT_TRUE(controlword(0x001F));
    EXPECT_EQ(read(0x6064, 0, 4, true), 123456);
}

TEST_P(DriveCop, FaultAndFaultReset)
{
    SimProcess& sim = start();
    enable();
    uint8_t node = 0;
    uint8_t data[8];
    while (COP_GetEmergency(&node, data)) {
    }
    ASSERT_EQ(sim.control("fault 0x2310"), "ok\n");
    EXPECT_EQ(statusword() & 0x4F, 0x08) << "Fault: the motor stood already";
    EXPECT_EQ(read(0x603F, 0, 2), 0x2310);
    const uint32_t reg = uint32_t(read(0x1002, 0, 4));
    EXPECT_NE(reg & 0x80000000u, 0u) << "malfunction";
    EXPECT_NE(reg & (1u << 21), 0u) << "continuous current exceeded";
    ASSERT_TRUE(nextEmergency(node, data));
    EXPECT_EQ(node, kNode);
    EXPECT_EQ(data[0] | data[1] << 8, 0x2310);

    ASSERT_TRUE(controlword(0x000F));
    EXPECT_EQ(statusword() & 0x4F, 0x08) << "enable does not leave Fault";
    ASSERT_TRUE(controlword(0x0080));
    EXPECT_EQ(statusword() & 0x4F, 0x40) << "Switch On Disabled after the reset";
    EXPECT_EQ(read(0x1002, 0, 4) & 0x80000000u, 0u);
    EXPECT_EQ(read(0x603F, 0, 2), 0);
    bool resetSeen = false;
    while (!resetSeen && nextEmergency(node, data))
        resetSeen = node == kNode && data[0] == 0 && data[1] == 0;
    EXPECT_TRUE(resetSeen) << "error reset emergency";
    enable();
}

std::vector<uint8_t> page(uint32_t address, uint8_t seed, int checksumError = 0)
{
    std::vector<uint8_t> b(137, 0);
    for (int i = 0; i < 4; ++i)
        b[i] = uint8_t(address >> (8 * i));
    uint32_t sum = 0;
    for (int i = 0; i < 128; ++i) {
        b[7 + i] = uint8_t(seed + i * 7);
        sum += uint8_t(b[7 + i] + 1);
    }
    sum += uint32_t(checksumError);
    b[135] = uint8_t(sum);
    b[136] = uint8_t(sum >> 8);
    return b;
}

using loaderblocks::kFend;
using loaderblocks::kFprg;
using loaderblocks::kStartSll;
using loaderblocks::ImagePage;

TEST_P(DriveCop, FirmwarePagesAreAcceptedInSequence)
{
    SimProcess& sim = start();
    COP_SetSDOTimeout(3000);
    const std::vector<uint8_t> loader = FirmwareImage::make(FirmwareImage::Kind::Loader, "SLL V1.02", 200);
    const std::vector<uint8_t> app = FirmwareImage::make(FirmwareImage::Kind::Application, "V2.777", 8 * 128);
    ASSERT_TRUE(COP_EnterPreOperationalState(kNode));
    ASSERT_TRUE(write(0x2F50, 1, kFprg, 4)) << COP_GetLastError();
    EXPECT_EQ(read(0x2F50, 2, 1), 1) << "first-level loader";
    EXPECT_EQ(readText(0x100A, 0), "FLL V1.00");
    ASSERT_TRUE(write(0x2F50, 3, ImagePage(loader, 0, 0x0000)));
    ASSERT_TRUE(write(0x2F50, 3, ImagePage(loader, 0, 0x0080)));
    ASSERT_TRUE(write(0x2F50, 3, kStartSll));
    EXPECT_EQ(read(0x2F50, 2, 1), 2) << "second-level loader";
    EXPECT_EQ(readText(0x100A, 0), "SLL V1.02");
    for (uint32_t a = 0x10000; a < 0x10000 + 8 * 128; a += 128)
        ASSERT_TRUE(write(0x2F50, 3, ImagePage(app, 0x10000, a)));
    ASSERT_TRUE(write(0x2F50, 1, kFend, 4));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the drive restarts
    EXPECT_EQ(read(0x2F50, 2, 1), 0) << "application running";
    EXPECT_EQ(readText(0x100A, 0), "V2.777");
    EXPECT_NE(sim.control("state").find("firmware.pages=8"), std::string::npos) << sim.control("state");
}

TEST_P(DriveCop, FirmwarePagesWithBadChecksumOrOrderAreRefused)
{
    SimProcess& sim = start();
    EXPECT_FALSE(write(0x2F50, 3, page(0, 1)));
    expectAbort(0x08000022);  // no loader running
    ASSERT_TRUE(COP_StartRemoteNode(kNode));
    EXPECT_FALSE(write(0x2F50, 1, kFprg, 4));
    expectAbort(0x08000022);  // not while operational
    ASSERT_TRUE(COP_EnterPreOperationalState(kNode));
    ASSERT_EQ(sim.control("refuse firmware"), "ok\n");
    EXPECT_FALSE(write(0x2F50, 1, kFprg, 4));
    expectAbort(0x08000020);
    ASSERT_TRUE(write(0x2F50, 1, kFprg, 4));
    EXPECT_FALSE(write(0x2F50, 3, page(0x0100, 1, 1)));
    expectAbort(0x08000020);
    ASSERT_TRUE(write(0x2F50, 3, page(0x0100, 1)));
    EXPECT_FALSE(write(0x2F50, 3, page(0x0080, 1)));
    expectAbort(0x06090030);
    EXPECT_EQ(read(0x2F50, 2, 1), 1) << "still in the first-level loader";
}

TEST_P(DriveCop, H315HasNoVelocityModeAndNoLoader)
{
    start("H315");
    EXPECT_FALSE(write(0x6060, 0, 3, 1));
    expectAbort(0x06090030);
    EXPECT_FALSE(write(0x2F50, 1, kFprg, 4));
    expectAbort(0x06020000);
    enable();
    ASSERT_TRUE(write(0x6060, 0, -3, 1));
    ASSERT_TRUE(controlword(0x002F));  // jog negative
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_LT(read(0x606C, 0, 4, true), 0);
    ASSERT_TRUE(controlword(0x010F));
    ASSERT_TRUE(waitFor(kTargetReached, 3000));
    EXPECT_EQ(read(0x606C, 0, 4, true), 0);
}
INSTANTIATE_TEST_SUITE_P(Masters, DriveCop, ::testing::ValuesIn(kCopMasters), copMasterName);

}  // namespace

#endif  // OVRO_HAVE_COP
