// Baud-rate codes 0...8 (the CiA bit-timing table: 1000, 800, 500, 250,
// 125, 100, 50, 20, 10 kBit/s) and their texts.
#pragma once

#include <string>

namespace ovro {

// kBit/s text of a code (0...8) or of a kBit/s number; anything else "20".
std::string BaudRateText(int codeOrKbit);
// Code of a kBit/s text ("1000"..."10") or of a code text ("0"..."8"),
// compared exactly; anything else 7.
int BaudRateCode(const std::string& text);

}  // namespace ovro
