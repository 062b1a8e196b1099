#include "FirmwareImage.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace FirmwareImage {

namespace {
const char kLoaderMagic[4] = {'O', 'V', 'S', 'L'};
const char kApplicationMagic[4] = {'O', 'V', 'A', 'P'};
constexpr size_t kCrcStart = 16;

const char* magicOf(Kind kind)
{
    return kind == Kind::Loader ? kLoaderMagic : kApplicationMagic;
}

void putU32(uint8_t* out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[i] = uint8_t(v >> (8 * i));
}

uint32_t getU32(const uint8_t* in)
{
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}
}  // namespace

uint32_t baseOf(Kind kind)
{
    return kind == Kind::Loader ? kRamBase : kFlashBase;
}

uint32_t memorySizeOf(Kind kind)
{
    return kind == Kind::Loader ? kRamSize : kFlashSize;
}

uint32_t crc32(const uint8_t* data, size_t size)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::vector<uint8_t> make(Kind kind, const std::string& version, size_t size)
{
    std::vector<uint8_t> image(std::max(size, kHeaderSize), 0);
    std::memcpy(image.data(), magicOf(kind), 4);
    putU32(image.data() + 4, uint32_t(image.size()));
    const size_t n = std::min(version.size(), kVersionSize - 1);
    std::memcpy(image.data() + 16, version.data(), n);
    // Code: a xorshift sequence seeded from the version text.
    uint32_t x = 0x9E3779B9u ^ crc32(reinterpret_cast<const uint8_t*>(version.data()), version.size());
    for (size_t i = kHeaderSize; i < image.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        image[i] = uint8_t(x >> 24);
    }
    putU32(image.data() + 8, crc32(image.data() + kCrcStart, image.size() - kCrcStart));
    return image;
}

std::optional<std::string> check(Kind kind, const uint8_t* memory, size_t size)
{
    if (size < kHeaderSize || std::memcmp(memory, magicOf(kind), 4) != 0)
        return std::nullopt;
    const uint32_t length = getU32(memory + 4);
    if (length < kHeaderSize || length > size)
        return std::nullopt;
    if (crc32(memory + kCrcStart, length - kCrcStart) != getU32(memory + 8))
        return std::nullopt;
    const char* text = reinterpret_cast<const char*>(memory + 16);
    return std::string(text, strnlen(text, kVersionSize));
}

}  // namespace FirmwareImage
