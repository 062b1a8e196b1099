// A log recorded on site (candump -l while Ovro-QVT polled a K315 in
// fault) replayed by "canbus play --wait-for 600-67F" into the program's
// status poll: the replay answers the live poll's SDO requests in step
// with it, and the poll fills the device-status record with the drive's
// values from the site.
#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "PrivateBus.h"
#include "description/QVTDevice.h"
#include "document/StatusPoll.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

constexpr const char* kBus = "site";

class ReplayStatusPoll : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus_.create("canbus-replay"));
        setenv("OVRO_CAN_CHANNEL", (std::string("virtual:") + kBus).c_str(), 1);
    }
    void TearDown() override
    {
        master_.Terminate();
        if (player_ > 0) {
            kill(player_, SIGTERM);
            waitpid(player_, nullptr, 0);
        }
        unsetenv("OVRO_CAN_CHANNEL");
        bus_.remove();
    }

    // Starts the replay and waits until it listens on the bus.
    void startPlayer()
    {
        player_ = fork();
        ASSERT_GE(player_, 0);
        if (player_ == 0) {
            execl(CANBUS_TOOL_PATH, CANBUS_TOOL_PATH, "play", SITE_LOG, "--bus", kBus, "--wait-for", "600-67F",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 500; ++i) {
            std::error_code ec;
            for (const auto& entry : std::filesystem::directory_iterator(bus_.path(kBus), ec)) {
                if (entry.path().extension() == ".sock")
                    return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        FAIL() << "the replay never joined the bus";
    }

    ovro::test::PrivateBus bus_;
    CCANopenMaster master_;
    pid_t player_ = -1;
};

TEST_F(ReplayStatusPoll, ThePollShowsTheDriveAsItWasOnSite)
{
    startPlayer();
    ASSERT_TRUE(master_.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500, 0))
        << "error " << master_.LastError();
    master_.SetSDOTimeout(500);
    CCANopenNode* node = nullptr;
    ASSERT_TRUE(master_.ConnectNode(5, &node));

    ovro::CQVTDevice device;
    ovro::CStatusPoll poll;
    ovro::CStatusPoll::State state;
    // 500 kbit/s: 24 reads a tick, the whole cycle of 72 in three ticks.
    for (int tick = 0; tick < 3; ++tick) {
        poll.Tick(state, node, &device, master_.BaudRate());
        ASSERT_FALSE(state.pollFailed) << "tick " << tick << ", error " << node->LastError();
    }
    EXPECT_EQ(poll.Step(), 0);
    EXPECT_TRUE(state.errorHistoryValid);

    const ovro::ActualValues& a = device.actual;
    EXPECT_EQ(a.statusword, 0x0E18);  // Fault
    EXPECT_EQ(a.errorCode, 0x4210);
    EXPECT_EQ(a.statusRegister, 0x80400000u);
    EXPECT_EQ(a.actualTemperature, 28);
    EXPECT_EQ(a.actualVoltage, 24000u);
    EXPECT_EQ(a.digitalInputs, 0x3D100006u);
    EXPECT_EQ(a.actualMode, 1);
    EXPECT_EQ(a.powerOnTime, 4u);
    EXPECT_EQ(a.errorList[0].Code(), 0x4210);
    EXPECT_EQ(a.errorList[1].Code(), 0x2310);
    EXPECT_EQ(a.errorList[2].Code(), 0x0000);
}

TEST_F(ReplayStatusPoll, WithoutTheReplayNobodyAnswers)
{
    ASSERT_TRUE(master_.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500, 0));
    master_.SetSDOTimeout(50);
    CCANopenNode* node = nullptr;
    ASSERT_TRUE(master_.ConnectNode(5, &node));
    ovro::CQVTDevice device;
    ovro::CStatusPoll poll;
    ovro::CStatusPoll::State state;
    poll.Tick(state, node, &device, master_.BaudRate());
    EXPECT_TRUE(state.pollFailed);
    EXPECT_EQ(device.actual.statusword, 0);
}

}  // namespace
