// StatusLampPages: the five bit pages of the Device Status window - the
// statusword, the two halves of the manufacturer status register and of
// the digital inputs - with their tab titles, group captions and the fixed
// text of each of their 16 lamps, and the 16 bits each page shows.
#pragma once

#include <array>
#include <cstdint>

namespace ovro {

struct ActualValues;

struct LampPage {
    const char* pageClass; // the page's class name (CWndStatusword, ...)
    const char* title;     // tab title
    const char* group;     // caption of the lamps' group; "" for none
    // bitTexts[i] belongs to bit 15 - i: the upper row shows the higher 8 bits.
    std::array<const char*, 16> bitTexts;
    // Which value the page shows.
    enum class Source { Statusword, StatusRegisterHigh, StatusRegisterLow, InputsHigh, InputsLow } source;

    // The 16 bits of the page's value.
    std::uint16_t Bits(const ActualValues& actual) const;
};

class CStatusLampPages {
public:
    static constexpr int kCount = 5;
    // Pages 0...4 in the order of the sheet.
    static const LampPage& Page(int index);
};

} // namespace ovro
