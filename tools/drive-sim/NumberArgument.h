// NumberArgument.h - a whole number given on the command line or the control
// socket: decimal, "0x" hexadecimal or leading-0 octal, no sign, no blanks.
#pragma once

#include <cstdint>
#include <string>

class NumberArgument {
public:
    // True with the value in out when text is a number of at most limit;
    // out is left alone otherwise (empty text, sign, blanks, trailing
    // characters, overflow, above the limit).
    static bool parse(const std::string& text, uint64_t limit, uint64_t& out);
};
