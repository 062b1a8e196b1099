// CQVTBoard: a CAN interface board listed by the device description.
#pragma once

#include <cstdint>
#include <string>

namespace ovro {

class CQVTBoard {
public:
    std::string name;          // display name (the element text)
    std::uint32_t type = 0;    // board-type code of the master library
    std::uint16_t vendor = 0;  // master library code: 100 or 200
    bool plugAndPlay = true;   // needs no I/O address and interrupt
    bool multiLine = false;    // more than one CAN line
};

}  // namespace ovro
