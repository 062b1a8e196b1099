#include "HexWriter.h"

#include "download/Crc32.h"
#include "download/HexFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// One record ":LLAAAATT<data>CC" with its CR LF.
std::string Record(std::uint8_t type, std::uint16_t offset, const std::uint8_t* data, std::size_t size)
{
    static const char* kDigits = "0123456789ABCDEF";
    std::string line = ":";
    unsigned sum = 0;
    auto put = [&](std::uint8_t b) {
        line.push_back(kDigits[b >> 4]);
        line.push_back(kDigits[b & 0x0F]);
        sum += b;
    };
    put(static_cast<std::uint8_t>(size));
    put(static_cast<std::uint8_t>(offset >> 8));
    put(static_cast<std::uint8_t>(offset));
    put(type);
    for (std::size_t i = 0; i < size; ++i)
        put(data[i]);
    const std::uint8_t check = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
    line.push_back(kDigits[check >> 4]);
    line.push_back(kDigits[check & 0x0F]);
    line += "\r\n";
    return line;
}

std::string BaseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Writes text under the temporary name of path.
bool WriteTemporary(const std::string& path, const std::string& text, std::string& error)
{
    const std::string temporary = path + ".tmp";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (f == nullptr) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        error = temporary + ": write failed";
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool Commit(const std::string& path, std::string& error)
{
    if (std::rename((path + ".tmp").c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        ::unlink((path + ".tmp").c_str());
        return false;
    }
    return true;
}

}  // namespace

std::string HexWriter::HexText(const std::vector<std::uint8_t>& image, std::uint32_t address, std::size_t recordSize)
{
    std::string text;
    std::uint32_t segment = 0;
    std::size_t done = 0;
    while (done < image.size()) {
        const std::uint32_t at = address + static_cast<std::uint32_t>(done);
        if ((at >> 16) != segment) {
            segment = at >> 16;
            const std::uint8_t upper[2] = {static_cast<std::uint8_t>(segment >> 8), static_cast<std::uint8_t>(segment)};
            text += Record(0x04, 0, upper, 2);
        }
        // Up to the record size, and not across the end of the segment.
        std::size_t n = recordSize;
        n = std::min<std::size_t>(n, image.size() - done);
        n = std::min<std::size_t>(n, 0x10000u - (at & 0xFFFFu));
        text += Record(0x00, static_cast<std::uint16_t>(at), image.data() + done, n);
        done += n;
    }
    text += Record(0x01, 0, nullptr, 0);
    return text;
}

std::string HexWriter::SfvText(const std::string& fileName, const std::string& fileText)
{
    Crc32 crc;
    crc.Update(fileText.data(), fileText.size());
    char value[16];
    std::snprintf(value, sizeof value, "%08X", crc.Value());
    return "; written by ovro-hexfile\r\n" + fileName + " " + value + "\r\n";
}

bool HexWriter::WriteFiles(const std::vector<std::uint8_t>& image, std::uint32_t address, std::size_t recordSize,
                           const std::string& hexPath, std::string& error)
{
    if (recordSize < 1 || recordSize > kMaxRecordSize) {
        error = "the record size must be 1 to 32 bytes";
        return false;
    }
    if (image.size() > 0x100000000ull - address) {
        error = "the image does not fit below 4 GiB from its address";
        return false;
    }
    const std::string hex = HexText(image, address, recordSize);
    const std::string sfvPath = ReplaceExtension(hexPath, "sfv");
    // Both files are complete before either replaces the one there was.
    if (!WriteTemporary(hexPath, hex, error))
        return false;
    if (!WriteTemporary(sfvPath, SfvText(BaseName(hexPath), hex), error)) {
        ::unlink((hexPath + ".tmp").c_str());
        return false;
    }
    if (!Commit(hexPath, error)) {
        ::unlink((sfvPath + ".tmp").c_str());
        return false;
    }
    return Commit(sfvPath, error);
}
