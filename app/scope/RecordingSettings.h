// RecordingSettings: the oscilloscope's one set of settings - the table of
// the six signals it can record or trigger on, the channel list, the time
// base, the trigger and its texts as typed, and the plot's time axis. The
// oscilloscope windows and the document's recording sections share it; the
// program reads it from the profile section "Recording" at start and writes
// it back at exit.
//
//   RecordingSettings settings;
//   settings.Read(store);                       // start-up
//   settings.AddChannel(RecordingSettings::kPosition);
//   int first = settings.MinTimeBaseIndex(master.BaudRate());
//   settings.timeBase = std::max(settings.timeBase, first);
//   ...                                         // CRecording::Start
//   settings.Write(store);                      // exit
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class ISettingsStore;

// One signal of the drive that a PDO carries.
struct SignalDef {
    std::uint16_t nameId;     // message number of its name
    std::uint32_t use;        // 0..3: set while a channel; 4, 5: always 1
    const char* unit;         // "" for none
    std::uint16_t index;      // object of the drive
    std::uint16_t subIndex;
    std::uint16_t size;       // bytes
    std::uint8_t pdo;         // PDO number it arrives in (set by Start)
    std::int32_t channel;     // 0..3 while a channel
};

class RecordingSettings {
public:
    // Signal indexes.
    static constexpr int kPosition = 0;
    static constexpr int kVelocity = 1;
    static constexpr int kCurrent = 2;
    static constexpr int kDemandedVelocity = 3;
    static constexpr int kDigitalInputs = 4;
    static constexpr int kStatusword = 5;
    static constexpr int kSignalCount = 6;
    static constexpr int kChannelSignals = 4;  // 0..3 can be channels
    static constexpr int kMaxChannels = 4;

    // Trigger kinds ("Slope").
    static constexpr int kNoTrigger = -1;
    static constexpr int kRisingEdge = 0;
    static constexpr int kFallingEdge = 1;
    static constexpr int kAnyEdge = 2;
    static constexpr int kInWindow = 3;
    static constexpr int kOutWindow = 4;
    static constexpr int kBinaryAnd = 5;
    static constexpr int kBinaryOr = 6;
    static constexpr int kKindCount = 7;

    struct TimeBase {
        std::uint16_t milliseconds;
        const char* text;
    };
    static constexpr int kTimeBaseCount = 16;
    static constexpr int kDefaultTimeBase = 7;  // 50 ms
    // Entry 0..15; an index outside gives the default entry.
    static const TimeBase& TimeBaseAt(int index);
    // The key of a channel (0..kMaxChannels-1) in the section "Recording": "Signal1"...
    static const char* SignalKey(int channel);
    // The index of a table text ("1ms" ... "5.0s"), or -1.
    static int TimeBaseOfText(const std::string& text);

    RecordingSettings();

    // The name of a signal (its message text) and "%s [%s]" with its unit.
    static std::string SignalName(int signal);
    std::string SignalTitle(int signal) const;

    // ---- Channels ----------------------------------------------------------
    bool IsChannel(int signal) const;
    // Appends a signal 0..3 that is not a channel yet as the next channel;
    // false when it cannot be added.
    bool AddChannel(int signal);
    // Removes the channel at a list position; the others are renumbered in
    // list order. A removed trigger signal takes trigger and kind to -1.
    bool RemoveChannelAt(int position);
    // Replaces the channel list; signals outside 0..3, repeated ones and any
    // beyond four are left out.
    void SetChannels(const std::vector<int>& list);
    std::vector<int> Channels() const;

    // ---- Time base ---------------------------------------------------------
    // The smallest time-base index the bus can carry at this baud-rate code
    // with the present channels.
    int MinTimeBaseIndex(std::uint8_t baudRate) const;
    std::uint16_t TimeBaseMilliseconds() const { return TimeBaseAt(timeBase).milliseconds; }

    // ---- Trigger texts -----------------------------------------------------
    // Does the text convert with the conversion of the signal's type
    // (current signed 16 bit, digital inputs unsigned 32, statusword
    // unsigned 16, all others signed 32)?
    static bool ParsesForSignal(int signal, const std::string& text);
    // Delay and Filter: signed 32 bit.
    static bool ParsesAsNumber(const std::string& text);
    // The trigger signal is 4 or 5: the extra column of tables and exports.
    bool HasExtraColumn() const { return trigger == kDigitalInputs || trigger == kStatusword; }

    // ---- Profile ("Recording") ----------------------------------------------
    void Read(const ISettingsStore& store);
    // A trigger text is written only when it converts for the trigger
    // signal's type, Delay and Filter only when they are numbers.
    bool Write(ISettingsStore& store) const;

    std::array<SignalDef, kSignalCount> signalDefs;
    int channelCount = 0;
    std::array<int, kMaxChannels> channel{};  // Signal1..Signal4
    int timeBase = kDefaultTimeBase;
    int trigger = kNoTrigger;  // signal index, or -1
    int slope = kNoTrigger;    // trigger kind, or -1
    std::string level, minimum, maximum;
    std::string mask = "0x0", value = "0x0";
    std::string delay, filter;
    std::int32_t timeMin = 0;
    std::int32_t timeSpan = 1000;

private:
    void Renumber();
};
