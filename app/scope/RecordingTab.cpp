// RecordingTab.cpp - the lists of the "Recording" tab.
#include "scope/RecordingTab.h"

#include "ui/MessageTexts.h"
#include "ui/MessageIds.h"
#include "ui/UserInterface.h"

std::vector<std::string> CRecordingTab::ChannelTexts() const
{
    std::vector<std::string> texts;
    for (int signal : settings_.Channels())
        texts.push_back(RecordingSettings::SignalName(signal));
    return texts;
}

std::vector<CRecordingTab::Entry> CRecordingTab::AvailableSignals() const
{
    std::vector<Entry> entries{{MessageText(kMsgSelectSignal), -1}};
    for (int signal = 0; signal < RecordingSettings::kChannelSignals; ++signal)
        if (!settings_.IsChannel(signal))
            entries.push_back({RecordingSettings::SignalName(signal), signal});
    return entries;
}

std::vector<CRecordingTab::Entry> CRecordingTab::TimeBases() const
{
    std::vector<Entry> entries;
    for (int i = settings_.MinTimeBaseIndex(baudRate_); i < RecordingSettings::kTimeBaseCount; ++i)
        entries.push_back({RecordingSettings::TimeBaseAt(i).text, i});
    return entries;
}

int CRecordingTab::TimeBasePosition() const
{
    const int first = settings_.MinTimeBaseIndex(baudRate_);
    if (settings_.timeBase < first || settings_.timeBase >= RecordingSettings::kTimeBaseCount)
        return -1;
    return settings_.timeBase - first;
}

void CRecordingTab::ChooseTimeBase(int index)
{
    if (index >= 0 && index < RecordingSettings::kTimeBaseCount)
        settings_.timeBase = index;
}

bool CRecordingTab::Leave(IUserInterface& ui) const
{
    if (settings_.timeBase >= settings_.MinTimeBaseIndex(baudRate_))
        return true;
    ui.ShowMessage(MessageSeverity::Error, MessageIcon::Exclamation, MessageText(kMsgIllegalTimeBase));
    return false;
}
