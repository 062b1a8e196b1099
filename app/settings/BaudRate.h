// BaudRate.h - the program's one table of CAN baud rates. A baud rate is
// known by its code, 0...8, the index of the CiA bit-timing table (cop.h:
// COP_BAUD_1000 ... COP_BAUD_10, whose kBit/s numbers COP_BaudKbit gives).
// Each code has the kBit/s text of the lists, the settings and the
// commissioning file ("20") and the text of the status bar and the
// print-out ("20kBit/s", "1.0MBit/s"). Header only: the file readers that
// are built without the other libraries use it too.
#pragma once

#include <cop/cop.h>

#include <cstdint>
#include <string>

namespace ovro {

struct BaudRateEntry {
    const char* kbitText; // "1000" ... "10"
    const char* rateText; // "1.0MBit/s" ... "10kBit/s"
};

inline constexpr BaudRateEntry kBaudRates[] = {
    {"1000", "1.0MBit/s"}, {"800", "800kBit/s"}, {"500", "500kBit/s"},
    {"250", "250kBit/s"},  {"125", "125kBit/s"}, {"100", "100kBit/s"},
    {"50", "50kBit/s"},    {"20", "20kBit/s"},   {"10", "10kBit/s"},
};
inline constexpr int kBaudRateCount = static_cast<int>(sizeof kBaudRates / sizeof kBaudRates[0]);
static_assert(kBaudRateCount == COP_BAUD_COUNT, "one entry for each code of the bit-timing table");
// 20 kBit/s: the rate the program starts with and falls back to.
inline constexpr int kDefaultBaudRateCode = COP_BAUD_20;

inline bool IsBaudRateCode(int code)
{
    return code >= 0 && code < kBaudRateCount;
}

// The code a baud-rate list selects for a code: the code itself, or
// 20 kBit/s for any other number.
inline int ListedBaudRateCode(int code)
{
    return IsBaudRateCode(code) ? code : kDefaultBaudRateCode;
}

// The kBit/s text of a code; null for any other number.
inline const char* BaudRateKbitText(int code)
{
    return IsBaudRateCode(code) ? kBaudRates[code].kbitText : nullptr;
}

// The status-bar text of a code; null for any other number.
inline const char* BaudRateRateText(int code)
{
    return IsBaudRateCode(code) ? kBaudRates[code].rateText : nullptr;
}

// The code of a kBit/s text, compared exactly; -1 for any other text.
inline int BaudRateCodeOfKbitText(const std::string& text)
{
    for (int code = 0; code < kBaudRateCount; ++code)
        if (text == kBaudRates[code].kbitText)
            return code;
    return -1;
}

// kBit/s text of a code (0...8) or of a kBit/s number; anything else "20".
inline std::string BaudRateText(int codeOrKbit)
{
    for (int code = 0; code < kBaudRateCount; ++code) {
        const long kbit = COP_BaudKbit(static_cast<std::uint8_t>(code));
        if (codeOrKbit == code || codeOrKbit == kbit)
            return kBaudRates[code].kbitText;
    }
    return kBaudRates[kDefaultBaudRateCode].kbitText;
}

// Code of a kBit/s text ("1000"..."10") or of a code text ("0"..."8"),
// compared exactly; anything else 7.
inline int BaudRateCode(const std::string& text)
{
    const int code = BaudRateCodeOfKbitText(text);
    if (code >= 0)
        return code;
    if (text.size() == 1 && IsBaudRateCode(text[0] - '0'))
        return text[0] - '0';
    return kDefaultBaudRateCode;
}

}  // namespace ovro
