// LoaderBlocks.h - what a master writes to the K315's loaders on 0x2F50,
// spelled out as the program's download sends it, apart from the
// simulator's own constants: the commands of sub-index 1, the start of the
// second-level loader, and the page blocks of sub-index 3 (the address in
// four bytes, three zero bytes, 128 data bytes and the 16-bit sum of each
// data byte plus one).
#pragma once

#include <cstdint>
#include <vector>

namespace loaderblocks {

inline constexpr std::uint32_t kFprg = 0x47525046;  // "FPRG": start the loader
inline constexpr std::uint32_t kFend = 0x444E4546;  // "FEND": start the application
inline const std::vector<std::uint8_t> kStartSll(7, 0);

// The block of the page at address of an image that starts at base; what
// lies beyond the image is 0xFF.
inline std::vector<std::uint8_t> ImagePage(const std::vector<std::uint8_t>& image, std::uint32_t base,
                                           std::uint32_t address)
{
    std::vector<std::uint8_t> b(137, 0);
    for (int i = 0; i < 4; ++i)
        b[i] = std::uint8_t(address >> (8 * i));
    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i < 128; ++i) {
        const std::uint32_t at = address - base + i;
        b[7 + i] = at < image.size() ? image[at] : 0xFF;
        sum += std::uint8_t(b[7 + i] + 1);
    }
    b[135] = std::uint8_t(sum);
    b[136] = std::uint8_t(sum >> 8);
    return b;
}

}  // namespace loaderblocks
