// CommandLine - the arguments of the canbus tool. Options may stand before
// or after the command and its arguments.
#ifndef CANBUS_TOOL_COMMANDLINE_H
#define CANBUS_TOOL_COMMANDLINE_H

#include "FloodSender.h"
#include "Player.h"

#include <cstdint>
#include <string>
#include <vector>

struct CommandLine {
    enum class Command { Help, Dump, Send, Play, Bridge };

    Command command = Command::Help;
    std::string bus = "default";
    std::string frame;      // send
    std::string logFile;    // dump -l, play
    std::string interface;  // bridge
    uint32_t bitrate = 0;   // 0: any rate (bridge: the interface's)
    bool bitrateGiven = false;
    Player::Options play;   // play
    FloodSender::Options send;  // send: --count, --flood, --ids

    // False with a message in `error` for arguments that make no sense.
    bool parse(const std::vector<std::string>& args, std::string& error);

    // "250000", "250k", "1M" in bit/s.
    static bool parseBitrate(const std::string& text, uint32_t& bitrate);
    // A bus name the bus directory can have.
    static bool validBusName(const std::string& name);

    static const char* usage();
};

#endif
