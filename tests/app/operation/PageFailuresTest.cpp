// Every step of every page's Start that can fail, against the simulated
// drive: each failure ends the command with the page's own message, and a
// drive in 'Fault' gets no controlword at all.
#include "OperationTestSupport.h"

#include "canopen/CANopenNode.h"
#include "operation/HomingMode.h"
#include "operation/JogButtonState.h"
#include "operation/ManualMode.h"
#include "operation/PositionMode.h"
#include "operation/VelocityMode.h"
#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"

using namespace optest;

namespace {

enum class Page { Position, PositionUser, Velocity, HomingRun, HomingAssign, Jog };

const char* const kNoObject = "Object does not exist in the object dictionary.";
const char* const kRefused = "Data cannot be transferred or stored to the application.";

struct FailureRow {
    const char* name;
    Page page;
    std::vector<std::string> controls; // simulator control lines before the start
    bool enabled;                      // the drive is in 'Operation Enabled' already
    std::string expected;
};

std::string Text(unsigned id, const char* a, const char* b = nullptr)
{
    return b != nullptr ? FormatMessage(id, a, b) : FormatMessage(id, a);
}

std::vector<FailureRow> Rows()
{
    const unsigned node = OperationSimTest::kNode;
    const std::string noObjectAbort = "0x06020000";
    const std::string refusedAbort = "0x08000020";
    return {
        // Position page.
        {"position: statusword", Page::Position, {"abort 0x6041 0 " + noObjectAbort}, false,
         Text(kMsgPositionReadStatusword, kNoObject)},
        {"position: shutdown", Page::Position, {"abort 0x6040 0 " + refusedAbort}, false,
         Text(kMsgPositionSwitchState, "Ready to Switch On", kRefused)},
        {"position: fault", Page::Position, {"fault 0x2310"}, false, FormatMessage(kMsgPositionNotEnabled, node)},
        {"position: read mode", Page::Position, {"abort 0x6061 0 " + noObjectAbort}, false,
         Text(kMsgPositionReadMode, kNoObject)},
        {"position: switch mode", Page::PositionUser, {"abort 0x6060 0 " + refusedAbort}, false,
         Text(kMsgPositionSwitchMode, "Manufacturer-specific Position Mode", kRefused)},
        {"position: profile number", Page::PositionUser, {"abort 0x2007 0 " + refusedAbort}, false,
         Text(kMsgPositionWriteParameter, "User Profile Number", kRefused)},
        {"position: velocity", Page::Position, {"abort 0x6081 0 " + refusedAbort}, false,
         Text(kMsgPositionWriteParameter, "Profile Velocity", kRefused)},
        {"position: acceleration", Page::Position, {"abort 0x6083 0 " + refusedAbort}, false,
         Text(kMsgPositionWriteParameter, "Profile Acceleration", kRefused)},
        {"position: deceleration", Page::Position, {"abort 0x6084 0 " + refusedAbort}, false,
         Text(kMsgPositionWriteParameter, "Profile Deceleration", kRefused)},
        {"position: max current", Page::Position, {"abort 0x6073 0 " + refusedAbort}, false,
         Text(kMsgPositionWriteParameter, "Max Current", kRefused)},
        {"position: target", Page::Position, {"abort 0x607A 0 " + refusedAbort}, false,
         Text(kMsgPositionWriteParameter, "Target Position", kRefused)},
        {"position: start", Page::Position, {"abort 0x6040 0 " + refusedAbort}, true,
         Text(kMsgPositionStart, kRefused)},
        // Velocity page.
        {"velocity: statusword", Page::Velocity, {"abort 0x6041 0 " + noObjectAbort}, false,
         Text(kMsgVelocityReadStatusword, kNoObject)},
        {"velocity: switch on", Page::Velocity, {"abort 0x6040 0 " + refusedAbort}, false,
         Text(kMsgVelocitySwitchState, "Ready to Switch On", kRefused)},
        {"velocity: fault", Page::Velocity, {"fault 0x2310"}, false, FormatMessage(kMsgVelocityNotEnabled, node)},
        {"velocity: read mode", Page::Velocity, {"abort 0x6061 0 " + noObjectAbort}, false,
         Text(kMsgVelocityReadMode, kNoObject)},
        {"velocity: switch mode", Page::Velocity, {"abort 0x6060 0 " + refusedAbort}, false,
         Text(kMsgVelocitySwitchMode, "Profile Velocity Mode", kRefused)},
        {"velocity: acceleration", Page::Velocity, {"abort 0x6083 0 " + refusedAbort}, false,
         Text(kMsgVelocityWriteParameter, "Profile Acceleration", kRefused)},
        {"velocity: deceleration", Page::Velocity, {"abort 0x6084 0 " + refusedAbort}, false,
         Text(kMsgVelocityWriteParameter, "Profile Deceleration", kRefused)},
        {"velocity: max current", Page::Velocity, {"abort 0x6073 0 " + refusedAbort}, false,
         Text(kMsgVelocityWriteParameter, "Max Current", kRefused)},
        {"velocity: target", Page::Velocity, {"abort 0x60FF 0 " + refusedAbort}, false,
         Text(kMsgVelocityWriteParameter, "Target Velocity", kRefused)},
        {"velocity: start", Page::Velocity, {"abort 0x6040 0 " + refusedAbort}, true,
         Text(kMsgVelocityStart, kRefused)},
        // Homing page.
        {"homing: statusword", Page::HomingRun, {"abort 0x6041 0 " + noObjectAbort}, false,
         Text(kMsgHomingReadStatusword, kNoObject)},
        {"homing: shutdown", Page::HomingRun, {"abort 0x6040 0 " + refusedAbort}, false,
         Text(kMsgHomingSwitchState, "Ready to Switch On", kRefused)},
        {"homing: fault", Page::HomingRun, {"fault 0x2310"}, false, FormatMessage(kMsgHomingNotEnabled, node)},
        {"homing: read mode", Page::HomingRun, {"abort 0x6061 0 " + noObjectAbort}, false,
         Text(kMsgHomingReadMode, kNoObject)},
        {"homing: switch mode", Page::HomingRun, {"abort 0x6060 0 " + refusedAbort}, false,
         Text(kMsgHomingSwitchMode, "Homing Mode", kRefused)},
        {"homing: method", Page::HomingRun, {"abort 0x6098 0 " + refusedAbort}, false,
         Text(kMsgHomingWriteParameter, "Homing method", kRefused)},
        {"homing: start", Page::HomingRun, {"abort 0x6040 0 " + refusedAbort}, true,
         Text(kMsgHomingStart, kRefused)},
        {"assignment: read mode", Page::HomingAssign, {"abort 0x6061 0 " + noObjectAbort}, false,
         Text(kMsgHomingReadMode, kNoObject)},
        {"assignment: value", Page::HomingAssign, {"abort 0x200B 0 " + refusedAbort}, false,
         Text(kMsgHomingWriteParameter, "Position Assignment Value", kRefused)},
        {"assignment: method", Page::HomingAssign, {"abort 0x6098 0 " + refusedAbort}, false,
         Text(kMsgHomingWriteParameter, "Homing method", kRefused)},
        {"assignment: controlword", Page::HomingAssign, {"abort 0x6040 0 " + refusedAbort}, false,
         Text(kMsgHomingAssign, kRefused)},
        // Manual page (jog).
        {"jog: statusword", Page::Jog, {"abort 0x6041 0 " + noObjectAbort}, false,
         Text(kMsgCantReadStatusword, kNoObject)},
        {"jog: shutdown", Page::Jog, {"abort 0x6040 0 " + refusedAbort}, false,
         Text(kMsgCantSwitchState, "Ready to Switch On", kRefused)},
        {"jog: fault", Page::Jog, {"fault 0x2310"}, false, FormatMessage(kMsgCantEnableOperation, node)},
        {"jog: read mode", Page::Jog, {"abort 0x6061 0 " + noObjectAbort}, false,
         Text(kMsgCantReadOperationMode, kNoObject)},
        {"jog: start", Page::Jog, {"abort 0x6040 0 " + refusedAbort}, true, Text(kMsgCantStartDrive, kRefused)},
    };
}

class PageFailuresTest : public OperationSimTest {
protected:
    bool Start(Page page)
    {
        switch (page) {
        case Page::Position:
        case Page::PositionUser: {
            ovro::CPositionMode p(*drive_, ui_);
            p.Open();
            p.Values() = {};
            p.Values().velocity = 5000;
            p.Values().acceleration = 100000;
            p.Values().deceleration = 100000;
            p.Values().maxCurrent = 500;
            p.Values().userProfile = page == Page::PositionUser;
            p.Values().profileSelection = 1;
            return p.Start();
        }
        case Page::Velocity: {
            ovro::CVelocityMode p(*drive_, ui_);
            p.Open();
            p.Values().acceleration = 100000;
            p.Values().deceleration = 100000;
            p.Values().maxCurrent = 500;
            p.Values().targetVelocity = 0;
            return p.Start();
        }
        case Page::HomingRun:
        case Page::HomingAssign: {
            ovro::CHomingMode p(*drive_, ui_);
            p.Open();
            p.Values().selection = -1;
            for (std::size_t i = 0; i < p.Methods().size(); ++i)
                if (p.Methods()[i].method == (page == Page::HomingRun ? 35 : -1))
                    p.Values().selection = static_cast<int>(i);
            return p.Values().selection >= 0 && p.Start();
        }
        case Page::Jog: {
            ovro::CManualMode p(*drive_, ui_);
            p.Open();
            ovro::CJogButtonState button(ovro::CJogButtonState::Direction::Positive);
            const bool started = button.Press(&p, true);
            button.Release(&p);
            return started;
        }
        }
        return false;
    }

    // Back to 'Switch On Disabled' without faults or refusals.
    void Recover()
    {
        Control("abort clear");
        ASSERT_TRUE(doc_->Node()->WriteU16(0x6040, 0, 0x80));
        ASSERT_TRUE(doc_->Node()->WriteU16(0x6040, 0, 0x00));
        ASSERT_TRUE(doc_->Node()->WriteU8(0x6060, 0, 1));
        ui_.messages.clear();
    }

    void Enable()
    {
        for (std::uint16_t cw : {6, 7, 15})
            ASSERT_TRUE(doc_->Node()->WriteU16(0x6040, 0, cw));
    }
};

TEST_F(PageFailuresTest, EachFailingStepEndsTheStartWithThePagesMessage)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    for (const FailureRow& row : Rows()) {
        Recover();
        if (row.enabled)
            Enable();
        for (const std::string& line : row.controls)
            Control(line);
        monitor_->clear();
        EXPECT_FALSE(Start(row.page)) << row.name;
        const std::vector<std::string> shown = TakeMessages();
        EXPECT_EQ(shown, std::vector<std::string>{row.expected}) << row.name;
        ASSERT_EQ(ui_.messages.size(), 0u);
        if (row.controls.front().rfind("fault", 0) == 0) {
            EXPECT_TRUE(monitor_->controlwords(kNode).empty()) << row.name << ": no controlword in 'Fault'";
        }
    }
}

TEST_F(PageFailuresTest, AStartInFaultNamesTheNodeAndWritesNoControlword)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    Control("fault 0x4210");
    ovro::CPositionMode page(*drive_, ui_);
    page.Open();
    monitor_->clear();
    EXPECT_FALSE(page.Start());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, std::string("ERROR:\tcan\xB4" "t switch the drive to state 'Operation "
                                                 "Enabled'!\n\n\tNode #5: the drive may be in state 'Fault'."));
    EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(ui_.messages[0].severity, MessageSeverity::Error);
    EXPECT_EQ(monitor_->sdoRequests(kNode), (std::vector<Request>{R(0x6041)}));
}

TEST_F(PageFailuresTest, ARefusedValueShowsTheDrivesReason)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    ovro::CPositionMode page(*drive_, ui_);
    page.Open();
    page.Values().velocity = 20000; // the drive takes at most 10000 inc/s
    EXPECT_FALSE(page.Start());
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text.rfind(std::string("ERROR:\tcan\xB4" "t write the parameter 'Profile Velocity' "
                                                     "to the drive!\n\n\t"),
                                         0),
              0u)
        << ui_.messages[0].text;
    EXPECT_TRUE(doc_->Device()->motion.position.readFromDrive) << "nothing remembered";
}

TEST_F(PageFailuresTest, WithoutANodeNothingStartsAndNothingIsShown)
{
    ASSERT_NO_FATAL_FAILURE(Connect());
    doc_->OnDisconnect();
    ASSERT_EQ(doc_->Node(), nullptr);
    monitor_->clear();
    ovro::CPositionMode position(*drive_, ui_);
    position.Open();
    EXPECT_FALSE(position.Start());
    ovro::CVelocityMode velocity(*drive_, ui_);
    velocity.Open();
    EXPECT_FALSE(velocity.Start());
    ovro::CHomingMode homing(*drive_, ui_);
    homing.Open();
    EXPECT_FALSE(homing.Start());
    ovro::CManualMode manual(*drive_, ui_);
    manual.Open();
    manual.SetSimulated(false);
    EXPECT_FALSE(manual.Simulated()) << "the box follows the user without a drive";
    EXPECT_FALSE(manual.StartJog(ovro::CManualMode::Direction::Positive));
    position.Stop();
    velocity.Stop();
    EXPECT_TRUE(monitor_->frames().empty());
    EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PageFailuresTest, ModelOneHasNoVelocityPage)
{
    EXPECT_FALSE(ovro::CVelocityMode::HasPage(1));
    EXPECT_TRUE(ovro::CVelocityMode::HasPage(2));
    ASSERT_NO_FATAL_FAILURE(Connect("H315"));
    EXPECT_EQ(doc_->Model(), 1);
    EXPECT_FALSE(ovro::CVelocityMode::HasPage(drive_->Model()));
}

} // namespace
