// BoardTypes - the board types this library drives, with the driver
// library and the firmware resource of each. Any other type gives
// CM_ERR_NOT_SUPPORTED (among them 0x01050A00, the older USB stick).
#ifndef CARDMASTER_BOARDTYPES_H
#define CARDMASTER_BOARDTYPES_H

#include <cstdint>

namespace cardmaster {

struct BoardType {
    std::uint32_t type;
    const char* driver;  // file name
    int resource;        // firmware resource number
};

// The row of a type (low byte cleared), or null.
const BoardType* findBoardType(std::uint32_t type);

}  // namespace cardmaster

#endif
