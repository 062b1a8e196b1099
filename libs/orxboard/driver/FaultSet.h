// FaultSet - the faults a board's registry entry injects for tests, from
// its variable FAULT: a comma-separated list of
//   bsp         the board object cannot be created
//   in-use      another process has the board (open fails with KDI_ERR_IN_USE)
//   open        the board does not open (another failure)
//   download    the firmware download fails
//   configure   the board refuses its configuration
//   kdi         the message interface cannot be created
//   queues      the queues do not open
//   silent      the firmware answers no command but the version query
//   silent-sdo  the firmware takes SDO requests and never answers them
//   version=N   the firmware reports version N (e.g. 0x0400)
#ifndef ORXBOARD_FAULTSET_H
#define ORXBOARD_FAULTSET_H

#include <cstdint>
#include <optional>
#include <string>

namespace orx {

struct FaultSet {
    bool bsp = false;
    bool inUse = false;
    bool open = false;
    bool download = false;
    bool configure = false;
    bool kdi = false;
    bool queues = false;
    bool silent = false;
    bool silentSdo = false;
    std::optional<std::uint16_t> version;

    // Unknown words are ignored.
    static FaultSet parse(const std::string& text);
};

}  // namespace orx

#endif
