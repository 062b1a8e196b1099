#include "settings/NumberParse.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

int DigitValue(char c, unsigned radix)
{
    const int v = HexDigit(c);
    return (v >= 0 && static_cast<unsigned>(v) < radix) ? v : -1;
}

// Reads the digits from p on in the given radix; fails when a digit is not
// of the radix, when the value exceeds limit or when anything but blanks
// follows. At least one digit is required unless allowEmpty.
bool ReadDigits(const char* p, unsigned radix, std::uint64_t limit, bool allowEmpty,
                std::uint64_t& value)
{
    value = 0;
    bool any = false;
    for (; *p != '\0' && !IsBlank(*p); ++p) {
        const int d = DigitValue(*p, radix);
        if (d < 0)
            return false;
        value = value * radix + static_cast<unsigned>(d);
        if (value > limit)
            return false;
        any = true;
    }
    if (!any && !allowEmpty)
        return false;
    while (IsBlank(*p))
        ++p;
    return *p == '\0';
}

// Parses text into the bit pattern of a bits-wide integer. For decimal
// numbers the range is that of the signed or unsigned type.
bool Parse(const char* text, unsigned bits, bool isSigned, std::uint64_t& pattern)
{
    pattern = 0;
    if (text == nullptr)
        return false;
    const char* p = text;
    while (IsBlank(*p))
        ++p;
    if (*p == '\0')
        return false;

    const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    if (*p == '0') {
        ++p;
        std::uint64_t v = 0;
        bool ok;
        if (*p == 'x' || *p == 'X')
            ok = ReadDigits(p + 1, 16, mask, true, v);   // "0x" alone is 0
        else
            ok = ReadDigits(p, 8, mask, true, v);        // "0" alone is 0
        if (!ok)
            return false;
        pattern = v;
        return true;
    }

    bool negative = false;
    if (*p == '+') {
        ++p;
    } else if (*p == '-') {
        if (!isSigned)
            return false;
        negative = true;
        ++p;
    }
    const std::uint64_t maxPositive = isSigned ? (mask >> 1) : mask;
    const std::uint64_t limit = negative ? maxPositive + 1 : maxPositive;
    std::uint64_t v = 0;
    if (!ReadDigits(p, 10, limit, false, v))
        return false;
    pattern = negative ? ((~v + 1) & mask) : v;
    return true;
}

template <typename T>
bool ParseAs(const char* text, T& value, unsigned bits, bool isSigned)
{
    value = 0;
    std::uint64_t pattern = 0;
    if (!Parse(text, bits, isSigned, pattern))
        return false;
    // The bit pattern is taken as is: two's complement for signed types.
    value = static_cast<T>(pattern);
    return true;
}

}  // namespace

bool ParseU8(const char* text, std::uint8_t& value) { return ParseAs(text, value, 8, false); }
bool ParseS8(const char* text, std::int8_t& value) { return ParseAs(text, value, 8, true); }
bool ParseU16(const char* text, std::uint16_t& value) { return ParseAs(text, value, 16, false); }
bool ParseS16(const char* text, std::int16_t& value) { return ParseAs(text, value, 16, true); }
bool ParseU32(const char* text, std::uint32_t& value) { return ParseAs(text, value, 32, false); }
bool ParseS32(const char* text, std::int32_t& value) { return ParseAs(text, value, 32, true); }
