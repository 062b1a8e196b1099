// Helpers of the download file tests: records, files in a private
// temporary folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One Intel-HEX record line without line end, with a correct check sum.
std::string HexLine(unsigned type, unsigned address, const std::vector<std::uint8_t>& data);
// count bytes first, first + 1, ...
std::vector<std::uint8_t> Bytes(std::size_t count, unsigned first = 0);

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    // Writes the bytes to the named file and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::string dir_;
};

// The lines joined, each ended by eol.
std::string Join(const std::vector<std::string>& lines, const char* eol);
// CRC-32 of the bytes as they are.
std::uint32_t CrcOfBytes(const std::string& bytes);
// A check-sum file line for a CRC.
std::string SfvLine(const std::string& name, std::uint32_t crc);
