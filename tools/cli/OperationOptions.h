// COperationOptions: the command line of the operation commands of
// ovro-qvt-cli - motion, reset-fault, status and limits - with their own
// options, which come after the command.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct OperationOptions {
    enum class Motion { None, Position, Velocity, Homing, Jog, Manual, Stop, Halt };
    Motion motion = Motion::None;

    // motion position TARGET / velocity V / homing METHOD
    std::int32_t target = 0;
    std::int8_t method = 0;
    bool relative = false;
    std::optional<std::uint32_t> velocity;     // --velocity
    std::optional<std::uint32_t> acceleration; // --acceleration
    std::optional<std::uint32_t> deceleration; // --deceleration
    std::optional<std::uint16_t> maxCurrent;   // --max-current PERMILLE
    std::optional<std::uint8_t> profile;       // --profile N (1...10)
    std::optional<std::int32_t> assign;        // --assign POSITION
    std::optional<std::uint32_t> waitMs;       // --wait [MS]

    // motion jog +|- [--for MS]
    bool jogNegative = false;
    std::uint32_t jogMs = 1000;
    // motion manual on|off
    bool manualOn = true;

    // status [--watch] [--interval MS] [--count N]
    bool watch = false;
    std::uint32_t intervalMs = 1000;
    std::optional<std::uint32_t> count;
};

class COperationOptions {
public:
    static constexpr std::uint32_t kDefaultWaitMs = 10000;

    static bool IsCommand(const std::string& command);
    // The option belongs to the command; takesValue tells whether the next
    // argument is its value (for --wait only when it is a number).
    static bool IsOptionOf(const std::string& command, const std::string& option);
    static bool TakesValue(const std::string& option, const char* next);

    // Parses the words after the command (options with their values kept
    // in order); false with a one-line error.
    static bool Parse(const std::string& command, const std::vector<std::string>& words, OperationOptions& options,
                      std::string& error);

    // Synopsis and help text of a command.
    static const char* Synopsis(const std::string& command);
    static const char* Help(const std::string& command);
    static const std::vector<std::string>& Commands();
};
