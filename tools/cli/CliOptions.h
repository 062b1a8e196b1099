// CCliOptions: the command line of ovro-qvt-cli - global options, the
// command, its options and arguments - and the help texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "OperationOptions.h"

struct CliOptions {
    // Global options.
    std::optional<std::string> board;        // --board NAME
    std::optional<std::uint8_t> nodeId;      // --node-id N
    std::optional<std::uint8_t> baudRate;    // --bitrate KBIT, as baud-rate code
    std::optional<std::string> description;  // --description FILE
    std::optional<std::uint16_t> sdoTimeout; // --sdo-timeout MS
    bool yes = false;                        // --yes
    bool help = false;                       // --help

    std::string command;
    std::vector<std::string> arguments;

    // Command options.
    unsigned first = 1;    // scan --first
    unsigned last = 127;   // scan --last
    bool store = false;    // download --store
    std::optional<std::string> type;           // read/write --type
    std::optional<std::uint8_t> newNodeId;     // configure --new-node-id
    std::optional<std::uint8_t> newBaudRate;   // configure --new-bitrate
    std::optional<std::string> sll;            // firmware --sll
    // motion, reset-fault, status, limits: options after the command.
    OperationOptions operation;
};

class CCliOptions {
public:
    static constexpr const char* kProgram = "ovro-qvt-cli";

    // Parses argv[1...]; false with a one-line error for a bad command line.
    static bool Parse(int argc, const char* const* argv, CliOptions& options, std::string& error);

    // The whole help, or the help of one command.
    static std::string Usage();
    static std::string CommandUsage(const std::string& command);
    static bool IsCommand(const std::string& command);

    // Baud-rate code of a kbit/s text "1000" ... "10"; nothing for others.
    static std::optional<std::uint8_t> BaudCodeOfKbit(const std::string& text);
    // A node-id 1...127 in any form the number parsers take.
    static std::optional<std::uint8_t> NodeIdOf(const std::string& text);
};
