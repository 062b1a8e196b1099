// ovro-firmware-image: writes a firmware image the simulated K315 accepts -
// a second-level loader for its RAM or an application for its FLASH - as a
// binary file. ovro-hexfile turns it into an Intel-HEX file with its .sfv.
#include "FirmwareImage.h"
#include "NumberArgument.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
const char* kUsage =
    "Usage: ovro-firmware-image loader|application VERSION SIZE OUTPUT\n"
    "Writes a firmware image of SIZE bytes for the simulated Ovro K315: a second-level\n"
    "loader (load it at address 0x0) or an application (load it at 0x10000). The drive\n"
    "reports VERSION (at most 15 characters) in object 0x100A while the image runs.\n"
    "The same arguments always give the same image.\n";

int fail(const std::string& message)
{
    std::fprintf(stderr, "ovro-firmware-image: %s\n", message.c_str());
    return 1;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc != 5) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string kind = argv[1];
    const std::string version = argv[2];
    uint64_t size = 0;
    if (kind != "loader" && kind != "application") {
        std::fprintf(stderr, "ovro-firmware-image: unknown kind '%s' (loader or application)\n", kind.c_str());
        return 2;
    }
    const FirmwareImage::Kind k = kind == "loader" ? FirmwareImage::Kind::Loader : FirmwareImage::Kind::Application;
    if (version.empty() || version.size() >= FirmwareImage::kVersionSize) {
        std::fprintf(stderr, "ovro-firmware-image: the version text must have 1 to %zu characters\n",
                     FirmwareImage::kVersionSize - 1);
        return 2;
    }
    if (!NumberArgument::parse(argv[3], FirmwareImage::memorySizeOf(k), size) || size < FirmwareImage::kHeaderSize) {
        std::fprintf(stderr, "ovro-firmware-image: the size must be %zu to %u bytes\n", FirmwareImage::kHeaderSize,
                     unsigned(FirmwareImage::memorySizeOf(k)));
        return 2;
    }
    const std::vector<uint8_t> image = FirmwareImage::make(k, version, size_t(size));

    // Written beside the target and renamed, so a failed write keeps an old file.
    const std::string output = argv[4];
    const std::string temporary = output + ".tmp";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f)
        return fail(temporary + ": " + std::strerror(errno));
    const bool written = std::fwrite(image.data(), 1, image.size(), f) == image.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        ::unlink(temporary.c_str());
        return fail(temporary + ": write failed");
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        ::unlink(temporary.c_str());
        return fail(output + ": " + reason);
    }
    return 0;
}
