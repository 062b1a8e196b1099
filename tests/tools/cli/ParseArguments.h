// ParseArguments.h - the CLI's option parser run on a command line given as
// a list of words, the program's name put in front as argv[0].
#pragma once

#include <string>
#include <vector>

#include "CliOptions.h"

namespace clitest {

inline bool ParseArguments(const std::vector<std::string>& args, CliOptions& options, std::string& error)
{
    std::vector<const char*> argv{"ovro-qvt-cli"};
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    return CCliOptions::Parse(static_cast<int>(argv.size()), argv.data(), options, error);
}

}  // namespace clitest
