#include "download/Crc32.h"

#include <array>

namespace {

std::array<std::uint32_t, 256> MakeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        table[i] = c;
    }
    return table;
}

const std::array<std::uint32_t, 256>& Table()
{
    static const std::array<std::uint32_t, 256> table = MakeTable();
    return table;
}

}  // namespace

void Crc32::Update(const void* data, std::size_t size)
{
    const auto& table = Table();
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
        register_ = table[(register_ ^ p[i]) & 0xFFu] ^ (register_ >> 8);
}

void Crc32::UpdateTextLine(const std::string& line)
{
    static const char cr = '\r';
    for (const char c : line) {
        if (c == '\n')
            Update(&cr, 1);
        Update(&c, 1);
    }
}
