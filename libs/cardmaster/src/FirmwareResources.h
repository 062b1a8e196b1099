// FirmwareResources - the board firmware images built into the library,
// by resource number (101, 102, 103, 105, 106, 107). Opaque bytes, handed
// to the driver unread.
#ifndef CARDMASTER_FIRMWARERESOURCES_H
#define CARDMASTER_FIRMWARERESOURCES_H

#include <cstddef>
#include <cstdint>

namespace cardmaster {

struct FirmwareResource {
    const std::uint8_t* data;
    std::size_t size;
};

// False when the library holds no resource of that number.
bool findFirmware(int resource, FirmwareResource& out);

}  // namespace cardmaster

#endif
