#include "FirmwareCheck.h"

#include <orxboard/orx_firmware.h>
#include <orxboard/orx_protocol.h>

#include <cstring>

namespace orx {

bool FirmwareCheck::valid(const std::uint8_t* image, std::size_t size, std::uint16_t kind, std::uint16_t* version)
{
    if (!image || size < ORX_IMAGE_HEADER_SIZE || std::memcmp(image, ORX_IMAGE_MAGIC, 4) != 0)
        return false;
    if (orx_get_u16(image + 4) != ORX_IMAGE_FORMAT || orx_get_u16(image + ORX_IMAGE_KIND_OFFSET) != kind)
        return false;
    std::uint32_t program = orx_get_u32(image + ORX_IMAGE_SIZE_OFFSET);
    if (program != size - ORX_IMAGE_HEADER_SIZE)
        return false;
    if (orx_crc32(image + ORX_IMAGE_HEADER_SIZE, program) != orx_get_u32(image + ORX_IMAGE_CRC_OFFSET))
        return false;
    if (version)
        *version = orx_get_u16(image + ORX_IMAGE_VERSION_OFFSET);
    return true;
}

}  // namespace orx
