// CommandLine - the arguments of the canbus tool.
#ifndef CANBUS_TOOL_COMMANDLINE_H
#define CANBUS_TOOL_COMMANDLINE_H

#include <cstdint>
#include <string>
#include <vector>

struct CommandLine {
    enum class Command { Help, Dump, Send };

    Command command = Command::Help;
    std::string bus = "default";
    std::string frame;      // send only
    uint32_t bitrate = 0;   // 0: any rate

    // False with a message in `error` for arguments that make no sense.
    bool parse(const std::vector<std::string>& args, std::string& error);

    // "250000", "250k", "1M" in bit/s.
    static bool parseBitrate(const std::string& text, uint32_t& bitrate);

    static const char* usage();
};

#endif
