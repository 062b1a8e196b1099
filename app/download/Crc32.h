// CRC-32 as SFV files and zip use it: reflected polynomial 0xEDB88320,
// initial value 0xFFFFFFFF, final complement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class Crc32 {
public:
    void Update(const void* data, std::size_t size);
    // A line as read in text mode: a carriage return goes in before every
    // line feed, so that the CRC is that of the file with CR LF line ends.
    void UpdateTextLine(const std::string& line);
    // The finished CRC (complemented register).
    std::uint32_t Value() const { return ~register_; }

private:
    std::uint32_t register_ = 0xFFFFFFFFu;
};
