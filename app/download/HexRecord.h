// The Intel-HEX reader's state and the last record it read; one instance
// lives for one whole download.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct HexRecord {
    static constexpr std::size_t kMaxData = 32;

    std::uint32_t base = 0;     // extended address from the last type 02 / 04 record
    std::uint32_t offset = 0;   // 16-bit load offset of the last record
    std::uint8_t length = 0;    // data bytes of the last data record
    std::array<std::uint8_t, kMaxData> data = Erased();
    std::int32_t line = 0;      // lines read so far from the current file

    // Absolute address of the last record.
    std::uint32_t Address() const { return base + offset; }

    static constexpr std::array<std::uint8_t, kMaxData> Erased()
    {
        std::array<std::uint8_t, kMaxData> a{};
        a.fill(0xFF);
        return a;
    }
};
