#include "FirmwareResources.h"

// Made at build time (see ../CMakeLists.txt): one array per image and the
// table cm_firmware_table.
#include "firmware_images.h"

namespace cardmaster {

bool findFirmware(int resource, FirmwareResource& out)
{
    for (std::size_t i = 0; i < cm_firmware_count; ++i) {
        if (cm_firmware_table[i].resource == resource) {
            out.data = cm_firmware_table[i].data;
            out.size = cm_firmware_table[i].size;
            return true;
        }
    }
    return false;
}

}  // namespace cardmaster
