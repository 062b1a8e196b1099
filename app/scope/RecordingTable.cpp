// RecordingTable.cpp - rows of the recording and the clipboard text.
#include "scope/RecordingTable.h"

#include "scope/PlotFeed.h"
#include "ui/MessageTexts.h"

#include <cmath>

CRecordingTable::CRecordingTable(const RecordingSettings& settings, const SampleRing& ring, double ratedCurrent)
    : settings_(settings), ring_(ring), ratedCurrent_(ratedCurrent), first_(ring.S()), count_(ring.Count())
{
}

int CRecordingTable::ColumnCount() const
{
    return 1 + settings_.channelCount + (HasExtraColumn() ? 1 : 0);
}

std::vector<std::string> CRecordingTable::Header() const
{
    std::vector<std::string> header{kTimeHeader};
    for (int signal : settings_.Channels())
        header.push_back(settings_.SignalTitle(signal));
    if (HasExtraColumn())
        header.push_back(RecordingSettings::SignalName(settings_.trigger));
    return header;
}

long CRecordingTable::Time(std::int32_t i) const
{
    return static_cast<long>(ring_.Step(first_ + i)) * static_cast<long>(settings_.TimeBaseMilliseconds());
}

long CRecordingTable::ChannelValue(std::int32_t i, int channel) const
{
    const int signal = settings_.channel[static_cast<std::size_t>(channel)];
    return static_cast<long>(std::trunc(CPlotFeed::ShownValue(SampleAt(i), signal, ratedCurrent_)));
}

unsigned long CRecordingTable::ExtraValue(std::int32_t i) const
{
    const Sample& s = SampleAt(i);
    return settings_.trigger == RecordingSettings::kDigitalInputs ? s.digitalInputs : s.statusword;
}

std::string CRecordingTable::ExtraDecimal(std::int32_t i) const
{
    if (settings_.trigger == RecordingSettings::kDigitalInputs)
        return StringPrintf("%lu", ExtraValue(i));
    return StringPrintf("%u", static_cast<unsigned>(ExtraValue(i)));
}

std::vector<std::string> CRecordingTable::Row(std::int32_t i) const
{
    std::vector<std::string> row{StringPrintf("%+li", Time(i))};
    for (int c = 0; c < settings_.channelCount; ++c)
        row.push_back(StringPrintf("%li", ChannelValue(i, c)));
    if (HasExtraColumn()) {
        if (settings_.trigger == RecordingSettings::kDigitalInputs)
            row.push_back(StringPrintf("0x%08lX", ExtraValue(i)));
        else
            row.push_back(StringPrintf("0x%04X", static_cast<unsigned>(ExtraValue(i))));
    }
    return row;
}

std::string CRecordingTable::ClipboardText(const std::function<void(std::int32_t rows)>& progress) const
{
    const std::vector<std::string> header = Header();
    std::string text;
    // Room for every row at once: a time, up to four values and the extra
    // column of at most 11 characters each, tabs and the line break.
    text.reserve(static_cast<std::size_t>(count_ + 1) * static_cast<std::size_t>(ColumnCount()) * 12 + 64);
    for (std::size_t c = 0; c < header.size(); ++c) {
        if (c > 0)
            text += '\t';
        text += header[c];
    }
    for (std::int32_t i = 0; i < count_; ++i) {
        text += "\r\n";
        text += StringPrintf("%+li", Time(i));
        for (int c = 0; c < settings_.channelCount; ++c)
            text += StringPrintf("\t%li", ChannelValue(i, c));
        if (HasExtraColumn()) {
            text += '\t';
            text += ExtraDecimal(i);
        }
        if (progress)
            progress(i + 1);
    }
    return text;
}
