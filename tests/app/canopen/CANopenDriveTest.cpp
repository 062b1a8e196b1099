// The drive-profile vocabulary and the enable sequence.
#include "canopen/CANopenDrive.h"
#include "canopen/CANopenErrorText.h"
#include "canopen/CANopenNode.h"
#include "FakeCop.h"
#include "ScriptedUserInterface.h"
#include "ui/MessageTexts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(DeviceStateTest, StatuswordsAreNamedByTheFirstMatchingRow)
{
    const struct {
        uint16_t statusword;
        const char* name;
    } cases[] = {
        {0x0000, "Not Ready to Switch On"}, {0x0250, "Switch On Disabled"}, {0x0040, "Switch On Disabled"},
        {0x0021, "Ready to Switch On"},     {0x0031, "Ready to Switch On"}, {0x0033, "Switched On"},
        {0x0237, "Operation Enabled"},      {0x0027, "Operation Enabled"},  {0x0007, "Quick-Stop Active"},
        {0x001F, "Fault Reaction Active"},  {0x0218, "Fault"},              {0x0008, "Fault"},
        {0x0001, "Online"},                 {0x0061, "Online"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(DeviceStateName(c.statusword), c.name) << std::hex << c.statusword;
    size_t count = 0;
    const DeviceStateRow* table = DeviceStateTable(&count);
    ASSERT_EQ(count, 9u);
    EXPECT_EQ(table[count - 1].mask, 0);
}

TEST(DeviceStateTest, ModeNames)
{
    EXPECT_STREQ(ModeOfOperationName(1), "Profile Position Mode");
    EXPECT_STREQ(ModeOfOperationName(3), "Profile Velocity Mode");
    EXPECT_STREQ(ModeOfOperationName(6), "Homing Mode");
    EXPECT_STREQ(ModeOfOperationName(-1), "Manual Mode");
    EXPECT_STREQ(ModeOfOperationName(-2), "Manufacturer-specific Position Mode");
    EXPECT_STREQ(ModeOfOperationName(-3), "Simulated Manual Mode");
    EXPECT_STREQ(ModeOfOperationName(-128), "Configuration Mode");
    EXPECT_EQ(ModeOfOperationName(2), nullptr);
}

// A drive that follows the DSP-402 state machine on controlword writes.
class EnableSequenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake().Reset();
        errors.SetErrorList({{-50, "Time-out error."}});
        ASSERT_TRUE(node.Connect(0, 5));
        fake().onWrite = [this](uint16_t index, uint8_t sub, const std::vector<uint8_t>& data) {
            if (index != 0x6040 || sub != 0 || data.size() != 2 || !following)
                return;
            const uint16_t controlword = static_cast<uint16_t>(data[0] | data[1] << 8);
            const uint16_t state = Statusword() & 0x6F;
            if (controlword == 0x0006 && (Statusword() & 0x4F) == 0x40)
                SetStatusword(0x0231);
            else if (controlword == 0x0007 && state == 0x21)
                SetStatusword(0x0233);
            else if (controlword == 0x000F && (state == 0x23 || state == 0x07))
                SetStatusword(0x0237);
        };
        fake().ClearCalls();
    }
    FakeCop& fake() { return FakeCop::Instance(); }
    uint16_t Statusword() const
    {
        auto bytes = FakeCop::Instance().Object(0x6041, 0);
        if (bytes.size() < 2)
            return 0;
        return static_cast<uint16_t>(bytes.at(0) | bytes.at(1) << 8);
    }
    void SetStatusword(uint16_t value) { fake().SetObject(0x6041, 0, {uint8_t(value), uint8_t(value >> 8)}); }
    std::vector<std::string> ControlwordWrites() const
    {
        return FakeCop::Instance().CallsStartingWith("WriteSDO 5 0x6040");
    }

    CCANopenErrorText errors;
    CCANopenNode node{&errors};
    ScriptedUserInterface ui;
    bool following = true;
};

TEST_F(EnableSequenceTest, FromSwitchOnDisabledThroughEveryState)
{
    SetStatusword(0x0250);
    ASSERT_TRUE(EnableOperation(node, ui));
    EXPECT_EQ(ControlwordWrites(), (std::vector<std::string>{"WriteSDO 5 0x6040 0 2 06 00",
                                                             "WriteSDO 5 0x6040 0 2 07 00",
                                                             "WriteSDO 5 0x6040 0 2 0F 00"}));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(EnableSequenceTest, QuickStopGetsEnableOperationDirectly)
{
    SetStatusword(0x0207);
    ASSERT_TRUE(EnableOperation(node, ui));
    EXPECT_EQ(ControlwordWrites(), (std::vector<std::string>{"WriteSDO 5 0x6040 0 2 0F 00"}));
}

TEST_F(EnableSequenceTest, OperationEnabledNeedsNothing)
{
    SetStatusword(0x0637);
    ASSERT_TRUE(EnableOperation(node, ui));
    EXPECT_TRUE(ControlwordWrites().empty());
    EXPECT_EQ(fake().CallsStartingWith("ReadSDO").size(), 1u);
}

TEST_F(EnableSequenceTest, FaultEndsWithMessage63602)
{
    SetStatusword(0x0218);
    EXPECT_FALSE(EnableOperation(node, ui));
    EXPECT_TRUE(ControlwordWrites().empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].severity, MessageSeverity::Error);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(ui.messages[0].text, FormatMessage(63602, 5u));
    EXPECT_NE(ui.messages[0].text.find("Node #5: the drive may be in state 'Fault'."), std::string::npos);
}

TEST_F(EnableSequenceTest, DriveThatDoesNotFollowEndsWithMessage63602)
{
    following = false;
    SetStatusword(0x0250);
    EXPECT_FALSE(EnableOperation(node, ui));
    EXPECT_EQ(ControlwordWrites().size(), 1u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, FormatMessage(63602, 5u));
}

TEST_F(EnableSequenceTest, FailingStatuswordReadShowsMessage63600)
{
    fake().Fail("ReadSDO", -50);
    EXPECT_FALSE(EnableOperation(node, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              std::string("ERROR:\tcan") + char(0xB4) + "t read the statusword of the drive!\n\n\tTime-out error.");
}

TEST_F(EnableSequenceTest, AbortedControlwordWriteShowsMessage63601WithAbortText)
{
    SetStatusword(0x0231);
    fake().SetAbort(0x6040, 0, 0x08000022u);
    EXPECT_FALSE(EnableOperation(node, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              std::string("ERROR:\tcan") + char(0xB4) +
                  "t switch the drive to state 'Switched On'!\n\n\tData cannot be transferred or stored to the "
                  "application because of the present device state.");
}

TEST_F(EnableSequenceTest, ModeSwitchWritesOnlyWhenTheModeDiffers)
{
    fake().SetObject(0x6061, 0, {0xFF});
    ASSERT_TRUE(SwitchModeOfOperation(node, ModeOfOperation::Manual, ui));
    EXPECT_TRUE(fake().CallsStartingWith("WriteSDO").empty());
    ASSERT_TRUE(SwitchModeOfOperation(node, ModeOfOperation::Homing, ui));
    EXPECT_EQ(fake().CallsStartingWith("WriteSDO"), (std::vector<std::string>{"WriteSDO 5 0x6060 0 1 06"}));

    fake().SetObject(0x6061, 0, {0x06});
    fake().SetAbort(0x6060, 0, 0x06090030u);
    EXPECT_FALSE(SwitchModeOfOperation(node, ModeOfOperation::Manual, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, FormatMessage(63604, "Manual Mode",
                                                 "Value range of parameter exceeded (only for write access)."));

    fake().Fail("ReadSDO", -50);
    EXPECT_FALSE(SwitchModeOfOperation(node, ModeOfOperation::Manual, ui));
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, FormatMessage(63603, "Time-out error."));
}

TEST_F(EnableSequenceTest, FailingStartShowsMessage63605)
{
    ASSERT_TRUE(StartDrive(node, Controlword::StartMotion, ui));
    EXPECT_EQ(ControlwordWrites(), (std::vector<std::string>{"WriteSDO 5 0x6040 0 2 1F 00"}));
    fake().Fail("WriteSDO", -50);
    EXPECT_FALSE(StartDrive(node, Controlword::JogNegative, ui));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, FormatMessage(63605, "Time-out error."));
}

} // namespace
