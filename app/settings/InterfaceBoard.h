// One interface board as the device description lists it: display name,
// library code (100 board-based master, 200 PCAN-Light master) and
// board-type code.
#pragma once

#include <cstdint>
#include <string>

struct InterfaceBoard {
    std::string name;
    std::int16_t library = 0;
    std::uint32_t boardType = 0;
};
