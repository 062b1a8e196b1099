// FirmwareCheck - what the driver checks before a board boots from an
// image: the header (magic, format, the kind the board takes, the program
// size) and the CRC-32 of the program bytes.
#ifndef ORXBOARD_FIRMWARECHECK_H
#define ORXBOARD_FIRMWARECHECK_H

#include <cstddef>
#include <cstdint>

namespace orx {

struct FirmwareCheck {
    // True when the image is whole and made for a board that boots image
    // kind `kind`; *version then holds its firmware version.
    static bool valid(const std::uint8_t* image, std::size_t size, std::uint16_t kind, std::uint16_t* version);
};

}  // namespace orx

#endif
