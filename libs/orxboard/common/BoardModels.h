// BoardModels - the board maker's product table: every Orvax board type
// code with its name, the driver library that runs it, the firmware image
// kind it boots from and its hardware version.
//
// A type code packs four bytes, low to high: 0, board model, bus (1 ISA,
// 2 PCI, 4 PCMCIA, 5 USB), 1. The low byte is ignored by every lookup.
#ifndef ORXBOARD_BOARDMODELS_H
#define ORXBOARD_BOARDMODELS_H

#include <cstddef>
#include <cstdint>

namespace orx {

enum class Driver { None, Dpram, Pci, Card, Usb };

struct BoardModel {
    std::uint32_t type;
    const char* name;  // without the maker's name: "Stick-U1 compact"
    Driver driver;     // Driver::None: a board of an older generation
    std::uint16_t imageKind;
    std::uint16_t hardwareVersion;
};

class BoardModels {
public:
    // Every model, in the order the registry lists them.
    static const BoardModel* all(std::size_t& count);
    // The model of a type code (low byte ignored), or null.
    static const BoardModel* find(std::uint32_t type);
    // The type a new registry makes its default entry: the USB stick.
    static constexpr std::uint32_t kDefaultType = 0x01050F00u;
};

}  // namespace orx

#endif
