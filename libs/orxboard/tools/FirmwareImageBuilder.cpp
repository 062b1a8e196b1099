#include "FirmwareImageBuilder.h"

#include <orxboard/orx_firmware.h>
#include <orxboard/orx_protocol.h>

#include <cstdio>
#include <cstring>

namespace orx {

bool isImageKind(unsigned kind)
{
    for (unsigned k : {101u, 102u, 103u, 105u, 106u, 107u})
        if (k == kind)
            return true;
    return false;
}

std::vector<std::uint8_t> buildFirmwareImage(unsigned kind)
{
    if (!isImageKind(kind))
        return {};
    // Program sizes of the families, 13.5 to 22.5 KiB.
    const std::size_t program = 12 * 1024 + (kind - 100) * 1536;
    std::vector<std::uint8_t> image(ORX_IMAGE_HEADER_SIZE + program, 0);
    std::uint32_t x = 0x9E3779B9u ^ kind;
    for (std::size_t i = 0; i < program; ++i) {  // xorshift32
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        image[ORX_IMAGE_HEADER_SIZE + i] = static_cast<std::uint8_t>(x);
    }
    std::memcpy(image.data(), ORX_IMAGE_MAGIC, 4);
    orx_put_u16(image.data() + 4, ORX_IMAGE_FORMAT);
    orx_put_u16(image.data() + ORX_IMAGE_KIND_OFFSET, static_cast<std::uint16_t>(kind));
    orx_put_u16(image.data() + ORX_IMAGE_VERSION_OFFSET, ORX_FIRMWARE_VERSION);
    orx_put_u32(image.data() + ORX_IMAGE_SIZE_OFFSET, static_cast<std::uint32_t>(program));
    orx_put_u32(image.data() + ORX_IMAGE_CRC_OFFSET, orx_crc32(image.data() + ORX_IMAGE_HEADER_SIZE, program));
    std::snprintf(reinterpret_cast<char*>(image.data() + ORX_IMAGE_TITLE_OFFSET), 16, "ORX COP %u", kind);
    return image;
}

}  // namespace orx
