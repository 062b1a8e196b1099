#include "NumberArgument.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

bool NumberArgument::parse(const std::string& text, uint64_t limit, uint64_t& out)
{
    // strtoull would skip blanks and take a sign (negating the value): a
    // number here starts with a digit.
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || v > limit)
        return false;
    out = v;
    return true;
}
