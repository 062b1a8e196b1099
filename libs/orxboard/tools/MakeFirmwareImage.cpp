// orx-fwimage KIND OUTPUT - writes the firmware image of one Orvax board
// family (kind: 101, 102, 103, 105, 106 or 107) for the master library to
// carry: the header of orx_firmware.h and the program bytes. The program
// bytes stand in for the board's CANopen firmware; the emulated driver runs
// the firmware in itself once the image has passed its check.
#include <orxboard/orx_firmware.h>
#include <orxboard/orx_protocol.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: orx-fwimage KIND OUTPUT\n");
        return 2;
    }
    const unsigned long kind = std::strtoul(argv[1], nullptr, 10);
    const unsigned kinds[] = {101, 102, 103, 105, 106, 107};
    bool known = false;
    for (unsigned k : kinds)
        known = known || k == kind;
    if (!known) {
        std::fprintf(stderr, "orx-fwimage: no board family %s\n", argv[1]);
        return 2;
    }
    // Program sizes of the families, 12 to 22 KiB.
    const std::size_t program = 12 * 1024 + (kind - 100) * 1536;
    std::vector<std::uint8_t> image(ORX_IMAGE_HEADER_SIZE + program, 0);
    std::uint32_t x = 0x9E3779B9u ^ static_cast<std::uint32_t>(kind);
    for (std::size_t i = 0; i < program; ++i) {  // xorshift32: the same bytes at every build
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
    std::snprintf(reinterpret_cast<char*>(image.data() + ORX_IMAGE_TITLE_OFFSET), 16, "ORX COP %lu", kind);

    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out || std::fwrite(image.data(), 1, image.size(), out) != image.size() || std::fclose(out) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
