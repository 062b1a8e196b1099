// One page of download data. Its first bytes are the wire form sent to
// the drive: page address (4, little-endian), two reserved fields (2 + 1,
// always 0), the page data, and the block checksum (2, little-endian).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class PageBlock {
public:
    static constexpr std::size_t kPageSize = 128;
    static constexpr std::size_t kHeaderSize = 7;
    static constexpr std::size_t kWireLength = kPageSize + 9;

    PageBlock() { Open(0, 0); }

    // Starts the page at pageAddress (a multiple of the page size) with all
    // data bytes 0xFF and the next byte to write at fillPosition.
    void Open(std::uint32_t pageAddress, std::size_t fillPosition);

    std::uint32_t PageAddress() const { return pageAddress_; }
    std::size_t PageSize() const { return kPageSize; }
    std::size_t FillPosition() const { return fill_; }
    bool Full() const { return fill_ >= kPageSize; }

    // Moves the fill position forward to position (the bytes between stay
    // 0xFF); false when position lies behind it or beyond the page.
    bool SkipTo(std::size_t position);
    // Writes one byte at the fill position; false when the page is full.
    bool Put(std::uint8_t byte);

    const std::uint8_t* Data() const { return wire_.data() + kHeaderSize; }
    std::uint8_t DataAt(std::size_t i) const { return wire_[kHeaderSize + i]; }

    // The sum modulo 65536 of (b + 1) mod 256 over all data bytes; a page
    // of 0xFF sums to 0.
    std::uint16_t Checksum() const { return ChecksumOf(Data(), kPageSize); }
    static std::uint16_t ChecksumOf(const std::uint8_t* data, std::size_t size);
    // Computes the checksum and stores it into the wire bytes.
    std::uint16_t Seal();

    // The wire bytes, kWireLength of them.
    const std::uint8_t* Wire() const { return wire_.data(); }

private:
    std::array<std::uint8_t, kWireLength> wire_{};
    std::uint32_t pageAddress_ = 0;
    std::size_t fill_ = 0;
};
