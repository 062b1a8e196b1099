#include "description/BaudRate.h"

namespace ovro {

namespace {
const char* const kKbitTexts[] = {"1000", "800", "500", "250", "125", "100", "50", "20", "10"};
const char* const kCodeTexts[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8"};
const int kKbit[] = {1000, 800, 500, 250, 125, 100, 50, 20, 10};
constexpr int kCodes = 9;
constexpr int kDefaultCode = 7;
}  // namespace

std::string BaudRateText(int codeOrKbit)
{
    for (int code = 0; code < kCodes; ++code) {
        if (codeOrKbit == code || codeOrKbit == kKbit[code])
            return kKbitTexts[code];
    }
    return kKbitTexts[kDefaultCode];
}

int BaudRateCode(const std::string& text)
{
    for (int code = 0; code < kCodes; ++code) {
        if (text == kKbitTexts[code] || text == kCodeTexts[code])
            return code;
    }
    return kDefaultCode;
}

}  // namespace ovro
