// orx-fwimage KIND OUTPUT - writes the firmware image of one Orvax board
// family (101, 102, 103, 105, 106 or 107) for the master library to carry.
#include "FirmwareImageBuilder.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: orx-fwimage KIND OUTPUT\n");
        return 2;
    }
    const unsigned kind = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10));
    std::vector<std::uint8_t> image = orx::buildFirmwareImage(kind);
    if (image.empty()) {
        std::fprintf(stderr, "orx-fwimage: no board family %s\n", argv[1]);
        return 2;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (!out || std::fwrite(image.data(), 1, image.size(), out) != image.size() || std::fclose(out) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    return 0;
}
