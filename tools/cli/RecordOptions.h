// CRecordOptions: the options of ovro-qvt-cli's "record" command -
//   record --signals LIST --time-base TEXT
//          [--trigger SIGNAL --slope KIND (--level L | --min A --max B | --mask M --value V)]
//          [--delay MS] (--duration MS | --samples N) --output FILE
//          [--document FILE.31x] [--move-to INC [--move-velocity V]] [--timeout MS]
// - and their translation into the oscilloscope's settings. The trigger
// values and the delay stay texts: the Trigger tab's checks judge them.
#pragma once

#include "scope/RecordingSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct RecordOptions {
    std::vector<int> channels;  // signal indexes in channel order
    int timeBase = -1;
    int trigger = RecordingSettings::kNoTrigger;
    int slope = RecordingSettings::kNoTrigger;
    std::string level, minimum, maximum;
    std::string mask = "0x0", value = "0x0";
    std::string delay = "0";
    std::optional<std::uint32_t> durationMs;
    std::optional<std::uint32_t> samples;
    std::uint32_t timeoutMs = 60000;  // for the trigger
    std::string output;
    std::optional<std::string> document;
    std::optional<std::int32_t> moveTo;
    std::optional<std::uint32_t> moveVelocity;
};

class CRecordOptions {
public:
    // The command's own arguments (everything after "record" but the global
    // options); false with a one-line error.
    static bool Parse(const std::vector<std::string>& arguments, RecordOptions& options, std::string& error);
    // Into the settings: channels, time base, trigger, kind and texts.
    static void Apply(const RecordOptions& options, RecordingSettings& settings);

    // "position", "velocity", "current", "demanded-velocity", "inputs",
    // "statusword" -> 0..5; -1 otherwise.
    static int SignalOfName(const std::string& name);
    // "rising" ... "or" -> 0..6; -1 otherwise.
    static int KindOfName(const std::string& name);

    static const char* const kSynopsis;
    static const char* const kHelp;
};
