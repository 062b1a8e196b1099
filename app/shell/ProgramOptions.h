// ProgramOptions.h - the values of the "Program Options" sheet.
#pragma once

#include "settings/BaudRate.h"

#include <cstdint>
#include <string>

struct ProgramOptions {
    std::string xmlPath;         // folder of the description and help files
    std::string sllFileName;     // Second-Level-Loader file of the firmware download
    std::int16_t sllPageSize = 128;
    std::uint8_t nodeId = 127;   // proposed by the connection dialogs
    std::uint8_t baudIndex = ovro::kDefaultBaudRateCode;  // 0..8, 1000 ... 10 kBit/s

    static constexpr int kMinPageSize = 0;
    static constexpr int kMaxPageSize = 32767;
    static constexpr int kMinNodeId = 1;
    static constexpr int kMaxNodeId = 127;
    static constexpr std::uint8_t kDefaultNodeId = 127;
    static constexpr std::uint8_t kDefaultBaudIndex = ovro::kDefaultBaudRateCode;
};
