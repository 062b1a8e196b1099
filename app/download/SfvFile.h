// Check-sum files (".sfv") beside the firmware files.
#pragma once

#include <cstdint>
#include <string>

// Reads the expected CRC-32 from a check-sum file. Empty lines and lines
// beginning with ";" are skipped; the first other line must hold a blank
// followed by a hexadecimal number. A file without such a line expects
// 0xFFFFFFFF. Returns 0, or -4 when the file does not exist, -5 when it
// cannot be read, -6 when the deciding line is malformed.
int ReadSfvFile(const std::string& path, std::uint32_t& expected);
