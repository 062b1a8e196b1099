// FileFilter.cpp - file-dialog filters from filter lists.
#include "ui/FileFilter.h"

std::string DialogFilter(const std::string& filterList)
{
    std::string result;
    std::size_t at = 0;
    // Pairs of name and pattern; an empty name ends the list.
    while (at < filterList.size()) {
        const std::size_t bar = filterList.find('|', at);
        if (bar == std::string::npos || bar == at)
            break;
        const std::size_t end = filterList.find('|', bar + 1);
        if (!result.empty())
            result += ";;";
        result += filterList.substr(at, bar - at);
        at = end == std::string::npos ? filterList.size() : end + 1;
    }
    return result;
}
