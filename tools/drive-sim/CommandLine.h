// CommandLine.h - the options of ovro-drive-sim.
#pragma once

#include "DriveContext.h"

#include <cstdint>
#include <string>

struct SimOptions {
    DriveModel model = DriveModel::K315;
    uint8_t nodeId = 0;          // 0 = unconfigured (LMT only)
    uint8_t bitTiming = 7;       // CiA table index, 7 = 20 kbit/s
    std::string bus = "default";
    std::string socketCan;       // non-empty: use this SocketCAN interface
    std::string eeprom;          // store file, empty = in memory only
    std::string description;     // device description, empty = look next to the program
    std::string control;         // control socket path
    uint64_t serial = 1;
    bool verbose = false;
    bool quiet = false;          // no log lines (a fuzzer's node)
    bool realtime = false;       // the virtual bus costs wire time
    bool help = false;
};

class CommandLine {
public:
    // Parses argv; false with a message for a bad option.
    static bool parse(int argc, char** argv, SimOptions& options, std::string& error);
    static std::string usage();

    // CiA bit-timing table 0: index -> kbit/s, and back (-1 when not in the table).
    static unsigned kbitOf(uint8_t bitTiming);
    static int bitTimingOf(unsigned kbit);
};
