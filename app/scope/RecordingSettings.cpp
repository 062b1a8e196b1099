// RecordingSettings.cpp - the signal and time-base tables, the channel list
// and the profile section "Recording".
#include "scope/RecordingSettings.h"

#include "settings/ISettingsStore.h"
#include "settings/NumberParse.h"
#include "settings/SettingsKeys.h"
#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"

#include <algorithm>

namespace {


// The signals in their fixed order; PDO numbers and channels are filled in
// by Start and by the channel list.
constexpr std::array<SignalDef, RecordingSettings::kSignalCount> kSignalTable = {{
    {kMsgActualPosition, 0, "inc", 0x6063, 0, 4, 0, 0},
    {kMsgActualVelocity, 0, "inc/s", 0x606C, 0, 4, 0, 0},
    {kMsgActualCurrent, 0, "mA", 0x6078, 0, 2, 0, 0},
    {kMsgDemandedVelocity, 0, "inc/s", 0x606B, 0, 4, 0, 0},
    {kMsgDigitalInputs, 1, "", 0x60FD, 0, 4, 0, 0},
    {kMsgStatusword, 1, "", 0x6041, 0, 2, 0, 0},
}};

constexpr std::array<RecordingSettings::TimeBase, RecordingSettings::kTimeBaseCount> kTimeBases = {{
    {1, "1ms"},     {2, "2ms"},     {4, "4ms"},     {5, "5ms"},     {10, "10ms"},   {20, "20ms"},
    {25, "25ms"},   {50, "50ms"},   {100, "100ms"}, {200, "200ms"}, {250, "250ms"}, {500, "500ms"},
    {1000, "1.0s"}, {2000, "2.0s"}, {2500, "2.5s"}, {5000, "5.0s"},
}};

const char* const kSignalKeys[RecordingSettings::kMaxChannels] = {SettingsKeys::kSignal1, SettingsKeys::kSignal2,
                                                                    SettingsKeys::kSignal3, SettingsKeys::kSignal4};

} // namespace

const char* RecordingSettings::SignalKey(int channel)
{
    return kSignalKeys[channel];
}

const RecordingSettings::TimeBase& RecordingSettings::TimeBaseAt(int index)
{
    if (index < 0 || index >= kTimeBaseCount)
        index = kDefaultTimeBase;
    return kTimeBases[static_cast<std::size_t>(index)];
}

int RecordingSettings::TimeBaseOfText(const std::string& text)
{
    for (int i = 0; i < kTimeBaseCount; ++i)
        if (text == kTimeBases[static_cast<std::size_t>(i)].text)
            return i;
    return -1;
}

RecordingSettings::RecordingSettings() : signalDefs(kSignalTable) {}

std::string RecordingSettings::SignalName(int signal)
{
    if (signal < 0 || signal >= kSignalCount)
        return std::string();
    return MessageText(kSignalTable[static_cast<std::size_t>(signal)].nameId);
}

std::string RecordingSettings::SignalTitle(int signal) const
{
    if (signal < 0 || signal >= kSignalCount)
        return std::string();
    return StringPrintf("%s [%s]", SignalName(signal).c_str(), signalDefs[static_cast<std::size_t>(signal)].unit);
}

bool RecordingSettings::IsChannel(int signal) const
{
    for (int i = 0; i < channelCount; ++i)
        if (channel[static_cast<std::size_t>(i)] == signal)
            return true;
    return false;
}

bool RecordingSettings::AddChannel(int signal)
{
    if (signal < 0 || signal >= kChannelSignals || channelCount >= kMaxChannels || IsChannel(signal))
        return false;
    channel[static_cast<std::size_t>(channelCount++)] = signal;
    Renumber();
    return true;
}

bool RecordingSettings::RemoveChannelAt(int position)
{
    if (position < 0 || position >= channelCount)
        return false;
    const int signal = channel[static_cast<std::size_t>(position)];
    for (int i = position; i + 1 < channelCount; ++i)
        channel[static_cast<std::size_t>(i)] = channel[static_cast<std::size_t>(i + 1)];
    channel[static_cast<std::size_t>(--channelCount)] = 0;
    if (trigger == signal) {
        trigger = kNoTrigger;
        slope = kNoTrigger;
    }
    Renumber();
    return true;
}

void RecordingSettings::SetChannels(const std::vector<int>& list)
{
    channelCount = 0;
    channel.fill(0);
    for (int signal : list)
        if (signal >= 0 && signal < kChannelSignals && channelCount < kMaxChannels && !IsChannel(signal))
            channel[static_cast<std::size_t>(channelCount++)] = signal;
    Renumber();
}

std::vector<int> RecordingSettings::Channels() const
{
    return std::vector<int>(channel.begin(), channel.begin() + channelCount);
}

// Use flags and channel numbers follow the list.
void RecordingSettings::Renumber()
{
    for (int s = 0; s < kChannelSignals; ++s) {
        signalDefs[static_cast<std::size_t>(s)].use = 0;
        signalDefs[static_cast<std::size_t>(s)].channel = 0;
    }
    for (int i = 0; i < channelCount; ++i) {
        SignalDef& def = signalDefs[static_cast<std::size_t>(channel[static_cast<std::size_t>(i)])];
        def.use = 1;
        def.channel = i;
    }
}

int RecordingSettings::MinTimeBaseIndex(std::uint8_t baudRate) const
{
    // One PDO group each: position; velocity or current; demanded velocity.
    const int groups = (IsChannel(kPosition) ? 1 : 0) + (IsChannel(kVelocity) || IsChannel(kCurrent) ? 1 : 0) +
                       (IsChannel(kDemandedVelocity) ? 1 : 0);
    const int first = groups == 0 ? static_cast<int>(baudRate) - 2 : groups + static_cast<int>(baudRate) - 3;
    return std::clamp(first, 0, kTimeBaseCount - 1);
}

bool RecordingSettings::ParsesForSignal(int signal, const std::string& text)
{
    switch (signal) {
    case kCurrent: {
        std::int16_t v;
        return ParseS16(text.c_str(), v);
    }
    case kDigitalInputs: {
        std::uint32_t v;
        return ParseU32(text.c_str(), v);
    }
    case kStatusword: {
        std::uint16_t v;
        return ParseU16(text.c_str(), v);
    }
    default: {
        std::int32_t v;
        return ParseS32(text.c_str(), v);
    }
    }
}

bool RecordingSettings::ParsesAsNumber(const std::string& text)
{
    std::int32_t v;
    return ParseS32(text.c_str(), v);
}

void RecordingSettings::Read(const ISettingsStore& store)
{
    using namespace SettingsKeys;
    const int count = store.ReadInt(kRecording, kSignals, kSignalsDefault);
    std::vector<int> list;
    for (int i = 0; i < std::clamp(count, 0, kMaxChannels); ++i)
        list.push_back(store.ReadInt(kRecording, SignalKey(i), kSignalDefault));
    SetChannels(list);
    timeBase = store.ReadInt(kRecording, kTimeBase, kTimeBaseDefault);
    if (timeBase < 0 || timeBase >= kTimeBaseCount)
        timeBase = kDefaultTimeBase;
    trigger = store.ReadInt(kRecording, kTrigger, kTriggerDefault);
    if (trigger < kNoTrigger || trigger >= kSignalCount)
        trigger = kNoTrigger;
    slope = store.ReadInt(kRecording, kSlope, kSlopeDefault);
    if (slope < kNoTrigger || slope >= kKindCount || trigger == kNoTrigger)
        slope = kNoTrigger;
    level = store.ReadString(kRecording, kLevel, kEmptyTextDefault);
    minimum = store.ReadString(kRecording, kMin, kEmptyTextDefault);
    maximum = store.ReadString(kRecording, kMax, kEmptyTextDefault);
    mask = store.ReadString(kRecording, kMask, kMaskValueDefault);
    value = store.ReadString(kRecording, kValue, kMaskValueDefault);
    delay = store.ReadString(kRecording, kDelay, kEmptyTextDefault);
    filter = store.ReadString(kRecording, kFilter, kEmptyTextDefault);
    timeMin = store.ReadInt(kRecording, kTimeMin, kTimeMinDefault);
    timeSpan = store.ReadInt(kRecording, kTimeSpan, kTimeSpanDefault);
    if (timeSpan <= 0)
        timeSpan = kTimeSpanDefault;
}

bool RecordingSettings::Write(ISettingsStore& store) const
{
    using namespace SettingsKeys;
    bool ok = store.WriteInt(kRecording, kSignals, channelCount);
    for (int i = 0; i < kMaxChannels; ++i)
        ok = store.WriteInt(kRecording, SignalKey(i), channel[static_cast<std::size_t>(i)]) && ok;
    ok = store.WriteInt(kRecording, kTimeBase, timeBase) && ok;
    ok = store.WriteInt(kRecording, kTrigger, trigger) && ok;
    ok = store.WriteInt(kRecording, kSlope, slope) && ok;
    const auto text = [&](const char* key, const std::string& t, bool parses) {
        if (parses)
            ok = store.WriteString(kRecording, key, t) && ok;
    };
    text(kLevel, level, ParsesForSignal(trigger, level));
    text(kMin, minimum, ParsesForSignal(trigger, minimum));
    text(kMax, maximum, ParsesForSignal(trigger, maximum));
    text(kMask, mask, ParsesForSignal(trigger, mask));
    text(kValue, value, ParsesForSignal(trigger, value));
    text(kDelay, delay, ParsesAsNumber(delay));
    text(kFilter, filter, ParsesAsNumber(filter));
    ok = store.WriteInt(kRecording, kTimeMin, timeMin) && ok;
    ok = store.WriteInt(kRecording, kTimeSpan, timeSpan) && ok;
    return ok;
}
