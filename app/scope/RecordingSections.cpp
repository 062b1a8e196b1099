// RecordingSections.cpp - the recording in a commissioning document.
#include "scope/RecordingSections.h"

#include "document/ProfileReader.h"
#include "document/SafeFile.h"
#include "settings/SettingsKeys.h"
#include "ui/MessageTexts.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

// A value inside one line: a line break would end the entry early.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

std::string Entry(const char* key, long value)
{
    return StringPrintf("%s=%li", key, value) + ovro::kLineEnd;
}

// The text when it parses, else "0".
std::string TextEntry(const char* key, const std::string& text, bool parses)
{
    return std::string(key) + "=" + (parses ? OneLine(text) : std::string("0")) + ovro::kLineEnd;
}

} // namespace

std::string CRecordingSections::DataLine(const Sample& s)
{
    return StringPrintf("%li,%li,%i,%li,0x%lX,0x%X", static_cast<long>(s.position), static_cast<long>(s.velocity),
                        static_cast<int>(s.current), static_cast<long>(s.demandedVelocity),
                        static_cast<unsigned long>(s.digitalInputs), static_cast<unsigned>(s.statusword));
}

void CRecordingSections::ScanDataLine(const std::string& line, Sample& s)
{
    long position = s.position, velocity = s.velocity, demanded = s.demandedVelocity;
    int current = s.current;
    unsigned long inputs = s.digitalInputs;
    unsigned statusword = s.statusword;
    std::sscanf(line.c_str(), "%li,%li,%i,%li,0x%lX,0x%X", &position, &velocity, &current, &demanded, &inputs,
                &statusword);
    s.position = static_cast<std::int32_t>(position);
    s.velocity = static_cast<std::int32_t>(velocity);
    s.current = static_cast<std::int16_t>(current);
    s.demandedVelocity = static_cast<std::int32_t>(demanded);
    s.digitalInputs = static_cast<std::uint32_t>(inputs);
    s.statusword = static_cast<std::uint16_t>(statusword);
}

std::string CRecordingSections::Format(const RecordingSettings& settings, const SampleRing& ring)
{
    using namespace SettingsKeys;
    const int t = settings.trigger;
    std::string text = std::string("[") + kRecording + "]" + ovro::kLineEnd;
    text += Entry(kSignals, settings.channelCount);
    for (int i = 0; i < RecordingSettings::kMaxChannels; ++i)
        text += Entry(RecordingSettings::SignalKey(static_cast<int>(i)), settings.channel[static_cast<std::size_t>(i)]);
    text += Entry(kTimeBase, settings.timeBase);
    text += Entry(kTrigger, settings.trigger);
    text += Entry(kSlope, settings.slope);
    text += TextEntry(kLevel, settings.level, RecordingSettings::ParsesForSignal(t, settings.level));
    text += TextEntry(kMin, settings.minimum, RecordingSettings::ParsesForSignal(t, settings.minimum));
    text += TextEntry(kMax, settings.maximum, RecordingSettings::ParsesForSignal(t, settings.maximum));
    text += TextEntry(kMask, settings.mask, RecordingSettings::ParsesForSignal(t, settings.mask));
    text += TextEntry(kValue, settings.value, RecordingSettings::ParsesForSignal(t, settings.value));
    text += TextEntry(kDelay, settings.delay, RecordingSettings::ParsesAsNumber(settings.delay));
    text += TextEntry(kFilter, settings.filter, RecordingSettings::ParsesAsNumber(settings.filter));
    text += Entry(kTimeMin, settings.timeMin);
    text += Entry(kTimeSpan, settings.timeSpan);
    const std::int32_t count = ring.Count();
    text += Entry("PlotCount", count);
    text += Entry("PlotTrigger", ring.TriggerOffset());
    text += ovro::kLineEnd;
    text += std::string(kPlotData) + ovro::kLineEnd;
    const std::int32_t s = ring.S();
    for (std::int32_t i = 0; i < count; ++i)
        text += DataLine(ring.At(s + i)) + ovro::kLineEnd;
    text += ovro::kLineEnd;
    return text;
}

void CRecordingSections::Append(std::string& text, const RecordingSettings& settings, const SampleRing& ring)
{
    text += Format(settings, ring);
}

bool CRecordingSections::Load(const std::string& path, RecordingSettings& settings, SampleRing& ring)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream content;
    content << file.rdbuf();
    return LoadText(content.str(), settings, ring);
}

bool CRecordingSections::LoadText(const std::string& text, RecordingSettings& settings, SampleRing& ring)
{
    using namespace SettingsKeys;
    const ovro::CProfileReader profile = ovro::CProfileReader::FromText(text);
    const auto number = [&](const char* key, long def) { return profile.GetInt(kRecording, key, def); };
    const auto string = [&](const char* key, const char* def) {
        std::string value = profile.GetString(kRecording, key, def);
        if (value.size() > kMaxLine)
            value.resize(kMaxLine);
        return value;
    };

    RecordingSettings loaded;
    const long count = std::clamp<long>(number(kSignals, 0), 0, RecordingSettings::kMaxChannels);
    std::vector<int> list;
    for (long i = 0; i < count; ++i)
        list.push_back(static_cast<int>(number(RecordingSettings::SignalKey(static_cast<int>(i)), 0)));
    loaded.SetChannels(list);
    loaded.timeBase = static_cast<int>(number(kTimeBase, RecordingSettings::kDefaultTimeBase));
    if (loaded.timeBase < 0 || loaded.timeBase >= RecordingSettings::kTimeBaseCount)
        loaded.timeBase = RecordingSettings::kDefaultTimeBase;
    loaded.trigger = static_cast<int>(number(kTrigger, RecordingSettings::kNoTrigger));
    if (loaded.trigger < RecordingSettings::kNoTrigger || loaded.trigger >= RecordingSettings::kSignalCount)
        loaded.trigger = RecordingSettings::kNoTrigger;
    loaded.slope = static_cast<int>(number(kSlope, RecordingSettings::kNoTrigger));
    if (loaded.slope < RecordingSettings::kNoTrigger || loaded.slope >= RecordingSettings::kKindCount)
        loaded.slope = RecordingSettings::kNoTrigger;
    loaded.level = string(kLevel, "");
    loaded.minimum = string(kMin, "");
    loaded.maximum = string(kMax, "");
    loaded.mask = string(kMask, kMaskValueDefault);
    loaded.value = string(kValue, kMaskValueDefault);
    loaded.delay = string(kDelay, "");
    loaded.filter = string(kFilter, "");
    loaded.timeMin = static_cast<std::int32_t>(number(kTimeMin, kTimeMinDefault));
    loaded.timeSpan = static_cast<std::int32_t>(number(kTimeSpan, kTimeSpanDefault));
    if (loaded.timeSpan <= 0)
        loaded.timeSpan = kTimeSpanDefault;
    const long plotCount = std::clamp<long>(number("PlotCount", 0), 0, SampleRing::kCapacity);
    const long plotTrigger = number("PlotTrigger", 0);
    // The PDO numbers belong to the drive of the last Start.
    for (int s = 0; s < RecordingSettings::kSignalCount; ++s)
        loaded.signalDefs[static_cast<std::size_t>(s)].pdo = settings.signalDefs[static_cast<std::size_t>(s)].pdo;
    settings = loaded;

    std::int32_t read = 0;
    std::istringstream lines(text);
    std::string line;
    bool inData = false;
    while (read < plotCount && std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!inData) {
            inData = line == kPlotData;
            continue;
        }
        if (line.size() > kMaxLine)
            line.resize(kMaxLine);
        ScanDataLine(line, ring.At(read));
        ++read;
    }
    // Only the samples the file holds count: the rest of the ring belongs
    // to another recording.
    ring.ResetIndices();
    ring.SetW(read);
    ring.SetT(static_cast<std::int32_t>(std::clamp<long>(plotTrigger, 0, std::max<long>(read - 1, 0))));
    return true;
}
