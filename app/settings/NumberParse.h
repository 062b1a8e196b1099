// Strict text-to-number conversion shared by the file readers.
//
// Accepted forms: optional leading blanks (spaces, tabs), then
//   "0x"/"0X" followed by hexadecimal digits (either case),
//   "0" followed by octal digits 0..7,
//   or a decimal number with an optional "+" (and "-" for signed types);
// then only blanks may follow. Signs are not allowed before a "0" prefix.
// Decimal values must lie in the type's range; hexadecimal and octal values
// may use the type's full width and are taken as its bit pattern
// ("0xFF" gives -1 for the signed 8-bit type). Leading zeros do not count
// as digits. The output is set to 0 first; false means the text is not a
// number of the type. A null text fails.
//
// Plain C++, no Qt: link the static library `ovro_numbers`.
#pragma once

#include <cstdint>

bool ParseU8(const char* text, std::uint8_t& value);
bool ParseS8(const char* text, std::int8_t& value);
bool ParseU16(const char* text, std::uint16_t& value);
bool ParseS16(const char* text, std::int16_t& value);
bool ParseU32(const char* text, std::uint32_t& value);
bool ParseS32(const char* text, std::int32_t& value);

// The value of a hexadecimal digit of either case; -1 for any other character.
inline int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
