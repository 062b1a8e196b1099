// CRecordingTab: the "Recording" tab of the oscilloscope window without its
// widgets - the channel list, the list of signals still available, and the
// time bases the bus can carry with those channels. The window shows the
// lists and forwards the user's choices.
#pragma once

#include "scope/RecordingSettings.h"

#include <cstdint>
#include <string>
#include <vector>

class IUserInterface;

class CRecordingTab {
public:
    struct Entry {
        std::string text;
        int value;  // signal or time-base index; -1 for "<select a signal>"
    };

    CRecordingTab(RecordingSettings& settings, std::uint8_t baudRate) : settings_(settings), baudRate_(baudRate) {}
    void SetBaudRate(std::uint8_t baudRate) { baudRate_ = baudRate; }

    // The channels' signal names in channel order.
    std::vector<std::string> ChannelTexts() const;
    // "<select a signal>", then the signals 0..3 that are no channel.
    std::vector<Entry> AvailableSignals() const;
    // The time bases from the smallest allowed index on.
    std::vector<Entry> TimeBases() const;
    // The list position of the present time base, or -1 when it is not listed.
    int TimeBasePosition() const;

    // An available signal was chosen: it becomes the next channel.
    bool ChooseSignal(int signal) { return settings_.AddChannel(signal); }
    // A channel was double-clicked: it is removed.
    bool RemoveChannel(int position) { return settings_.RemoveChannelAt(position); }
    void ChooseTimeBase(int index);

    // Leaving the tab: a time base below the smallest allowed one shows
    // "Illegal value for time base entered!". False after a message.
    bool Leave(IUserInterface& ui) const;

private:
    RecordingSettings& settings_;
    std::uint8_t baudRate_;
};
