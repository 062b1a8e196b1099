// PlainText.h - the two text rules the file readers and the settings share:
// cutting blanks off both ends, and comparing with the letter case of the
// ASCII letters ignored. Header only, like the baud-rate table.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ovro {

// text without the characters of blanks at either end ("" when it holds
// nothing else).
inline std::string Trim(const std::string& text, const char* blanks)
{
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    const std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

// True when a and b are equal but for the case of ASCII letters.
inline bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

}  // namespace ovro
