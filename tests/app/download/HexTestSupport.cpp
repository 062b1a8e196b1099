#include "HexTestSupport.h"

#include "download/Crc32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

std::string HexLine(unsigned type, unsigned address, const std::vector<std::uint8_t>& data)
{
    std::vector<unsigned> bytes = {static_cast<unsigned>(data.size() & 0xFF), (address >> 8) & 0xFF,
                                   address & 0xFF, type & 0xFF};
    for (std::uint8_t b : data)
        bytes.push_back(b);
    unsigned sum = 0;
    std::string line = ":";
    char hex[4];
    for (unsigned b : bytes) {
        sum += b;
        std::snprintf(hex, sizeof hex, "%02X", b);
        line += hex;
    }
    std::snprintf(hex, sizeof hex, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + hex;
}

std::vector<std::uint8_t> Bytes(std::size_t count, unsigned first)
{
    std::vector<std::uint8_t> v;
    for (std::size_t i = 0; i < count; ++i)
        v.push_back(static_cast<std::uint8_t>(first + i));
    return v;
}

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "ovro-dl-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    dir_ = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(dir_, ec);
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const
{
    const std::string path = Path(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return path;
}

std::string Join(const std::vector<std::string>& lines, const char* eol)
{
    std::string text;
    for (const std::string& l : lines)
        text += l + eol;
    return text;
}

std::uint32_t CrcOfBytes(const std::string& bytes)
{
    Crc32 crc;
    crc.Update(bytes.data(), bytes.size());
    return crc.Value();
}

std::string SfvLine(const std::string& name, std::uint32_t crc)
{
    char text[32];
    std::snprintf(text, sizeof text, " %08X", static_cast<unsigned>(crc));
    return name + text;
}
