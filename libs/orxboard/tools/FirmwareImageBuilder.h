// FirmwareImageBuilder - makes the firmware image of one Orvax board
// family: the header of orx_firmware.h and the program bytes, the same at
// every build. The program bytes stand in for the board's CANopen firmware;
// the emulated driver runs the firmware in itself once the image has
// passed its check.
#ifndef ORXBOARD_FIRMWAREIMAGEBUILDER_H
#define ORXBOARD_FIRMWAREIMAGEBUILDER_H

#include <cstdint>
#include <vector>

namespace orx {

// The image kinds: 101, 102, 103, 105, 106, 107.
bool isImageKind(unsigned kind);
// The image of that kind; empty for no kind.
std::vector<std::uint8_t> buildFirmwareImage(unsigned kind);

}  // namespace orx

#endif
