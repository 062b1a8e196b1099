#include "download/PageBlock.h"

void PageBlock::Open(std::uint32_t pageAddress, std::size_t fillPosition)
{
    pageAddress_ = pageAddress;
    fill_ = fillPosition < kPageSize ? fillPosition : kPageSize;
    wire_.fill(0);
    for (int i = 0; i < 4; ++i)
        wire_[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(pageAddress >> (8 * i));
    for (std::size_t i = 0; i < kPageSize; ++i)
        wire_[kHeaderSize + i] = 0xFF;
}

bool PageBlock::SkipTo(std::size_t position)
{
    if (position < fill_ || position > kPageSize)
        return false;
    fill_ = position;
    return true;
}

bool PageBlock::Put(std::uint8_t byte)
{
    if (Full())
        return false;
    wire_[kHeaderSize + fill_] = byte;
    ++fill_;
    return true;
}

std::uint16_t PageBlock::ChecksumOf(const std::uint8_t* data, std::size_t size)
{
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < size; ++i)
        sum = static_cast<std::uint16_t>(sum + static_cast<std::uint8_t>(data[i] + 1));
    return sum;
}

std::uint16_t PageBlock::Seal()
{
    const std::uint16_t sum = Checksum();
    wire_[kHeaderSize + kPageSize] = static_cast<std::uint8_t>(sum);
    wire_[kHeaderSize + kPageSize + 1] = static_cast<std::uint8_t>(sum >> 8);
    return sum;
}
