// ovro-hexfile: writes a binary image as an Intel-HEX firmware file with
// its check-sum file (.sfv), as the firmware download of Ovro-QVT reads them.
#include "HexWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {
const char* kUsage =
    "Usage: ovro-hexfile [--address ADDR] [--record-size N] IMAGE OUTPUT.h86\n"
    "Writes the binary file IMAGE as the Intel-HEX file OUTPUT.h86 (CR LF line ends) and\n"
    "its check-sum file OUTPUT.sfv beside it.\n"
    "  --address ADDR      load address of the image's first byte (default 0; decimal or 0x...)\n"
    "  --record-size N     data bytes per record, 1..32 (default 32)\n";

bool ParseNumber(const char* text, unsigned long long limit, unsigned long long& out)
{
    if (text == nullptr || *text == '\0' || *text == '-' || *text == '+' || *text == ' ')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text, &end, 0);
    if (errno != 0 || *end != '\0' || v > limit)
        return false;
    out = v;
    return true;
}
}  // namespace

int main(int argc, char** argv)
{
    unsigned long long address = 0;
    unsigned long long recordSize = HexWriter::kMaxRecordSize;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--address" || arg == "--record-size") {
            const bool ok = i + 1 < argc && (arg == "--address" ? ParseNumber(argv[++i], 0xFFFFFFFFull, address)
                                                                  : ParseNumber(argv[++i], 32, recordSize));
            if (!ok || (arg == "--record-size" && recordSize == 0)) {
                std::fprintf(stderr, "ovro-hexfile: %s needs %s\n\n%s", arg.c_str(),
                             arg == "--address" ? "an address of 0 to 0xFFFFFFFF" : "a size of 1 to 32", kUsage);
                return 2;
            }
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "ovro-hexfile: unknown option %s\n\n%s", arg.c_str(), kUsage);
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::ifstream in(files[0], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "ovro-hexfile: %s: %s\n", files[0].c_str(), std::strerror(errno));
        return 1;
    }
    const std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::fprintf(stderr, "ovro-hexfile: %s: read failed\n", files[0].c_str());
        return 1;
    }
    std::string error;
    if (!HexWriter::WriteFiles(image, static_cast<std::uint32_t>(address), static_cast<std::size_t>(recordSize),
                               files[1], error)) {
        std::fprintf(stderr, "ovro-hexfile: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
