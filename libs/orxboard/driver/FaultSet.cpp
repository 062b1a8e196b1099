#include "FaultSet.h"

#include <cstdlib>
#include <sstream>

namespace orx {

FaultSet FaultSet::parse(const std::string& text)
{
    FaultSet f;
    std::istringstream in(text);
    std::string word;
    while (std::getline(in, word, ',')) {
        std::size_t b = word.find_first_not_of(" \t");
        std::size_t e = word.find_last_not_of(" \t");
        if (b == std::string::npos)
            continue;
        word = word.substr(b, e - b + 1);
        if (word == "bsp")
            f.bsp = true;
        else if (word == "in-use")
            f.inUse = true;
        else if (word == "open")
            f.open = true;
        else if (word == "download")
            f.download = true;
        else if (word == "configure")
            f.configure = true;
        else if (word == "kdi")
            f.kdi = true;
        else if (word == "queues")
            f.queues = true;
        else if (word == "silent")
            f.silent = true;
        else if (word == "silent-sdo")
            f.silentSdo = true;
        else if (word.rfind("version=", 0) == 0)
            f.version = static_cast<std::uint16_t>(std::strtoul(word.c_str() + 8, nullptr, 0));
    }
    return f;
}

}  // namespace orx
