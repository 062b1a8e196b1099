// The recording settings: channel list, the smallest time base per bus
// speed, the profile section "Recording", and the two tabs' models with
// their messages.
#include "scope/RecordingSettings.h"
#include "scope/RecordingTab.h"
#include "scope/TriggerTab.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"

#include "ScriptedUserInterface.h"

#include <gtest/gtest.h>

namespace {

using RS = RecordingSettings;

// The texts of a tab's list entries.
template <typename Entry>
std::vector<std::string> Texts(const std::vector<Entry>& entries)
{
    std::vector<std::string> texts;
    for (const auto& e : entries)
        texts.push_back(e.text);
    return texts;
}

TEST(RecordingSettings, ChannelsNumberedInListOrderAndRenumberedOnRemoval)
{
    RS s;
    EXPECT_TRUE(s.AddChannel(RS::kCurrent));
    EXPECT_TRUE(s.AddChannel(RS::kPosition));
    EXPECT_FALSE(s.AddChannel(RS::kPosition)) << "a signal is a channel once";
    EXPECT_FALSE(s.AddChannel(RS::kDigitalInputs)) << "trigger only";
    EXPECT_TRUE(s.AddChannel(RS::kDemandedVelocity));
    EXPECT_EQ(s.signalDefs[RS::kCurrent].channel, 0);
    EXPECT_EQ(s.signalDefs[RS::kPosition].channel, 1);
    EXPECT_EQ(s.signalDefs[RS::kDemandedVelocity].channel, 2);
    EXPECT_EQ(s.signalDefs[RS::kVelocity].use, 0u);
    s.trigger = RS::kPosition;
    s.slope = RS::kRisingEdge;
    ASSERT_TRUE(s.RemoveChannelAt(1));
    EXPECT_EQ(s.Channels(), (std::vector<int>{RS::kCurrent, RS::kDemandedVelocity}));
    EXPECT_EQ(s.signalDefs[RS::kDemandedVelocity].channel, 1);
    EXPECT_EQ(s.signalDefs[RS::kPosition].use, 0u);
    EXPECT_EQ(s.trigger, -1) << "the removed signal was the trigger";
    EXPECT_EQ(s.slope, -1);
    EXPECT_EQ(s.signalDefs[RS::kStatusword].use, 1u) << "trigger-only signals are always in use";
}

struct MinimumCase {
    const char* name;
    std::vector<int> channels;
    std::uint8_t baud;
    int first;
};

class MinimumTimeBase : public ::testing::TestWithParam<MinimumCase> {};

TEST_P(MinimumTimeBase, FollowsGroupsAndBaudRate)
{
    RS s;
    s.SetChannels(GetParam().channels);
    EXPECT_EQ(s.MinTimeBaseIndex(GetParam().baud), GetParam().first);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MinimumTimeBase,
    ::testing::Values(MinimumCase{"none_1000", {}, 0, 0}, MinimumCase{"none_20", {}, 7, 5},
                      MinimumCase{"position_velocity_125", {0, 1}, 4, 3},
                      MinimumCase{"velocity_current_one_group_125", {1, 2}, 4, 2},
                      MinimumCase{"all_four_1000", {0, 1, 2, 3}, 0, 0}, MinimumCase{"all_four_500", {0, 1, 2, 3}, 2, 2},
                      MinimumCase{"all_four_10", {0, 1, 2, 3}, 8, 8}),
    [](const auto& info) { return info.param.name; });

TEST(RecordingSettings, TimeBasesOfferedAt125KBitWithPositionAndVelocity)
{
    RS s;
    s.SetChannels({RS::kPosition, RS::kVelocity});
    s.timeBase = 1;  // 2 ms, from an earlier, faster bus
    CRecordingTab tab(s, 4);
    const std::vector<std::string> offered = Texts(tab.TimeBases());
    ASSERT_EQ(offered.size(), 13u);
    EXPECT_EQ(offered.front(), "5ms");
    EXPECT_EQ(offered.back(), "5.0s");
    EXPECT_EQ(tab.TimeBasePosition(), -1) << "2ms is not listed";
    ScriptedUserInterface ui;
    EXPECT_FALSE(tab.Leave(ui));
    EXPECT_EQ(ui.MessageTexts(), (std::vector<std::string>{"Illegal value for time base entered!"}));
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Exclamation);
    tab.ChooseTimeBase(3);
    EXPECT_EQ(tab.TimeBasePosition(), 0);
    EXPECT_TRUE(tab.Leave(ui));
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST(RecordingTab, AvailableSignalsAndChannelsFollowTheChoices)
{
    RS s;
    CRecordingTab tab(s, 0);
    EXPECT_EQ(Texts(tab.AvailableSignals()),
              (std::vector<std::string>{"<select a signal>", "Actual Position", "Actual Velocity", "Actual Current",
                                        "Demanded Velocity"}));
    EXPECT_TRUE(tab.ChooseSignal(RS::kCurrent));
    EXPECT_TRUE(tab.ChooseSignal(RS::kPosition));
    EXPECT_EQ(tab.ChannelTexts(), (std::vector<std::string>{"Actual Current", "Actual Position"}));
    EXPECT_EQ(Texts(tab.AvailableSignals()),
              (std::vector<std::string>{"<select a signal>", "Actual Velocity", "Demanded Velocity"}));
    EXPECT_TRUE(tab.RemoveChannel(0));
    EXPECT_EQ(tab.ChannelTexts(), (std::vector<std::string>{"Actual Position"}));
    EXPECT_EQ(Texts(tab.AvailableSignals()).size(), 4u);
}

TEST(TriggerTab, ListsKindsFieldsAndUnits)
{
    RS s;
    s.SetChannels({RS::kCurrent, RS::kPosition});
    CTriggerTab tab(s);
    EXPECT_EQ(Texts(tab.Triggers()), (std::vector<std::string>{"No trigger", "Actual Current", "Actual Position",
                                                               "Digital Inputs", "Statusword"}));
    EXPECT_EQ(Texts(CTriggerTab::Kinds()),
              (std::vector<std::string>{"(none)", "rising edge", "falling edge", "any edge", "in window", "out window",
                                        "binary AND", "binary OR"}));
    tab.ChooseTrigger(RS::kCurrent);
    tab.ChooseKind(RS::kInWindow);
    EXPECT_EQ(tab.ShownFields(), CTriggerTab::Fields::Window);
    EXPECT_EQ(tab.Unit(), "mA");
    EXPECT_EQ(tab.TriggerPosition(), 1);
    EXPECT_EQ(tab.KindPosition(), 4);
    tab.ChooseTrigger(RS::kNoTrigger);
    EXPECT_EQ(s.slope, -1) << "No trigger takes the kind along";
    EXPECT_EQ(tab.ShownFields(), CTriggerTab::Fields::None);
}

struct LeaveCase {
    const char* name;
    int trigger;
    int kind;
    std::string level, minimum, maximum, mask, value, delay, filter;
    std::vector<std::string> messages;
};

class TriggerTabLeave : public ::testing::TestWithParam<LeaveCase> {};

TEST_P(TriggerTabLeave, ChecksTheShownFieldsWithTheSignalsType)
{
    const LeaveCase& c = GetParam();
    RS s;
    s.SetChannels({RS::kPosition, RS::kCurrent});
    s.trigger = c.trigger;
    s.slope = c.kind;
    s.level = c.level;
    s.minimum = c.minimum;
    s.maximum = c.maximum;
    s.mask = c.mask;
    s.value = c.value;
    s.delay = c.delay;
    s.filter = c.filter;
    ScriptedUserInterface ui;
    EXPECT_EQ(CTriggerTab(s).Leave(ui), static_cast<int>(c.messages.size()));
    EXPECT_EQ(ui.MessageTexts(), c.messages);
    for (const auto& m : ui.messages)
        EXPECT_EQ(m.icon, MessageIcon::Exclamation);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TriggerTabLeave,
    ::testing::Values(
        LeaveCase{"level_ok", 0, 0, "100", "", "", "0x0", "0x0", "0", "", {}},
        LeaveCase{"level_bad", 0, 1, "abc", "", "", "0x0", "0x0", "5", "", {"Illegal value for slope level entered!"}},
        LeaveCase{"current_level_beyond_16_bit", 2, 2, "40000", "", "", "", "", "0", "",
                  {"Illegal value for slope level entered!"}},
        LeaveCase{"statusword_negative_value", 5, 5, "", "", "", "0x0008", "-1", "0", "",
                  {"Illegal value for binary value entered!"}},
        LeaveCase{"inputs_full_32_bit_mask", 4, 6, "", "", "", "0xFFFFFFFF", "4000000000", "0", "", {}},
        LeaveCase{"window_both_bad", 0, 3, "", "x", "", "", "", "0", "",
                  {"Illegal value for minimum level entered!", "Illegal value for maximum level entered!"}},
        LeaveCase{"hidden_fields_not_checked", 0, 0, "7", "junk", "junk", "junk", "junk", "0", "", {}},
        LeaveCase{"delay_needed_with_a_kind", 0, 0, "7", "", "", "", "", "", "",
                  {"Illegal value for delay time entered!"}},
        LeaveCase{"no_kind_empty_delay_and_filter", -1, -1, "", "", "", "", "", "", "", {}},
        LeaveCase{"bad_filter", -1, -1, "", "", "", "", "", "", "1.5", {"Illegal value for delay filter entered!"}}),
    [](const auto& info) { return info.param.name; });

TEST(RecordingSettings, ProfileRoundTripWritesOnlyTextsThatParse)
{
    RS s;
    s.SetChannels({RS::kVelocity, RS::kPosition});
    s.timeBase = 2;
    s.trigger = RS::kStatusword;
    s.slope = RS::kBinaryAnd;
    s.mask = "0x0400";
    s.value = "-3";  // not an unsigned 16-bit value
    s.level = "12";
    s.delay = "250";
    s.filter = "x";
    s.timeMin = -200;
    s.timeSpan = 2500;
    MemorySettingsStore store;
    ASSERT_TRUE(s.Write(store));
    using namespace SettingsKeys;
    EXPECT_EQ(store.ReadInt(kRecording, kSignals, -9), 2);
    EXPECT_EQ(store.ReadInt(kRecording, kSignal1, -9), 1);
    EXPECT_EQ(store.ReadInt(kRecording, kSignal2, -9), 0);
    EXPECT_EQ(store.ReadString(kRecording, kMask, "?"), "0x0400");
    EXPECT_FALSE(store.Contains(kRecording, kValue));
    EXPECT_FALSE(store.Contains(kRecording, kFilter));
    EXPECT_EQ(store.ReadString(kRecording, kDelay, "?"), "250");

    RS back;
    back.Read(store);
    EXPECT_EQ(back.Channels(), (std::vector<int>{RS::kVelocity, RS::kPosition}));
    EXPECT_EQ(back.signalDefs[RS::kPosition].channel, 1);
    EXPECT_EQ(back.signalDefs[RS::kPosition].use, 1u);
    EXPECT_EQ(back.timeBase, 2);
    EXPECT_EQ(back.trigger, RS::kStatusword);
    EXPECT_EQ(back.slope, RS::kBinaryAnd);
    EXPECT_EQ(back.value, "0x0") << "the default of a text not written";
    EXPECT_EQ(back.filter, "");
    EXPECT_EQ(back.timeMin, -200);
    EXPECT_EQ(back.timeSpan, 2500);
}

TEST(RecordingSettings, ADamagedProfileGivesUsableSettings)
{
    MemorySettingsStore store;
    using namespace SettingsKeys;
    store.WriteInt(kRecording, kSignals, 9);
    store.WriteInt(kRecording, kSignal1, 3);
    store.WriteInt(kRecording, kSignal2, 3);
    store.WriteInt(kRecording, kSignal3, 17);
    store.WriteInt(kRecording, kSignal4, 0);
    store.WriteInt(kRecording, kTimeBase, 99);
    store.WriteInt(kRecording, kTrigger, 8);
    store.WriteInt(kRecording, kSlope, 2);
    store.WriteInt(kRecording, kTimeSpan, 0);
    RS s;
    s.Read(store);
    EXPECT_EQ(s.Channels(), (std::vector<int>{3, 0}));
    EXPECT_EQ(s.timeBase, 7);
    EXPECT_EQ(s.trigger, -1);
    EXPECT_EQ(s.slope, -1);
    EXPECT_EQ(s.timeSpan, 1000);
}

TEST(RecordingSettings, TimeBaseTable)
{
    EXPECT_EQ(RS::TimeBaseAt(0).milliseconds, 1);
    EXPECT_STREQ(RS::TimeBaseAt(12).text, "1.0s");
    EXPECT_EQ(RS::TimeBaseAt(15).milliseconds, 5000);
    EXPECT_EQ(RS::TimeBaseOfText("2.5s"), 14);
    EXPECT_EQ(RS::TimeBaseOfText("3ms"), -1);
    EXPECT_EQ(RS().TimeBaseMilliseconds(), 50);
}

}  // namespace
