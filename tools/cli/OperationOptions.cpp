#include "OperationOptions.h"

#include <limits>

namespace {

struct CommandText {
    const char* name;
    const char* synopsis;
    const char* help;
};

const CommandText kTexts[] = {
    {"motion", "motion MODE ... (position, velocity, homing, jog, manual, stop, halt)",
     "Moves the drive as the pages of the Motion Control window do:\n"
     "  motion position TARGET [--relative] [--velocity V] [--acceleration A]\n"
     "         [--deceleration D] [--max-current PERMILLE] [--profile N] [--wait [MS]]\n"
     "  motion velocity V [--acceleration A] [--deceleration D] [--max-current PERMILLE]\n"
     "  motion homing METHOD [--assign POSITION] [--wait [MS]]\n"
     "  motion jog +|- [--for MS]      press a jog button, hold it, release it\n"
     "  motion manual on|off           \"Simulated Manual Mode via CAN Bus\"\n"
     "  motion stop                    quick stop (controlword 2)\n"
     "  motion halt                    halt of the velocity page (controlword 271)\n"
     "An option not given takes the value the page shows when it opens, read\n"
     "from the drive. --profile N moves with the drive's user profile N (1...10)\n"
     "(\"User-defined Profile\"); --velocity, --acceleration, --deceleration or\n"
     "--max-current move with these profile values.\n"
     "METHOD is a method of the description's homing list (-1: assign the\n"
     "position of --assign). --wait waits for 'target reached' (statusword bit\n"
     "10) up to MS milliseconds (default 10000). --for holds a jog button MS\n"
     "milliseconds (default 1000). Each run opens the page afresh: 'manual on'\n"
     "sends nothing (the drive changes its mode at the next jog), and 'jog'\n"
     "sets the box first when the drive is in its manual mode."},
    {"reset-fault", "reset-fault",
     "\"Reset Fault\": acknowledges a fault of the drive and clears its error\n"
     "history once the fault is gone; fails while the drive still reports one."},
    {"status", "status [--watch] [--interval MS] [--count N]",
     "Prints the actual values and the drive status of the Motion Control and\n"
     "Device Status windows, one 'Label: value' line per field, after one cycle\n"
     "of the status poll. --watch repeats the block every --interval MS\n"
     "(default 1000) until interrupted or --count N blocks have been printed.\n"
     "Output-Shaft Speed and Torque are printed when the motor data allow\n"
     "computing them."},
    {"limits", "limits", "Prints the Motion Profile Limits and the Software Position Limits of the drive."},
};

const CommandText* Find(const std::string& command)
{
    for (const CommandText& t : kTexts)
        if (command == t.name)
            return &t;
    return nullptr;
}

bool IsNumber(const char* text)
{
    if (text == nullptr || *text == '\0')
        return false;
    if (*text == '-' || *text == '+')
        ++text;
    if (*text == '\0')
        return false;
    for (; *text != '\0'; ++text)
        if (*text < '0' || *text > '9')
            return false;
    return true;
}

// A decimal number in [minimum, maximum].
bool Number(const std::string& text, long long minimum, long long maximum, long long& value)
{
    if (!IsNumber(text.c_str()) || text.size() > 12)
        return false;
    value = std::stoll(text);
    return value >= minimum && value <= maximum;
}

constexpr long long kU32 = std::numeric_limits<std::uint32_t>::max();
constexpr long long kS32Min = std::numeric_limits<std::int32_t>::min();
constexpr long long kS32Max = std::numeric_limits<std::int32_t>::max();

} // namespace

const std::vector<std::string>& COperationOptions::Commands()
{
    static const std::vector<std::string> names = {"motion", "reset-fault", "status", "limits"};
    return names;
}

bool COperationOptions::IsCommand(const std::string& command)
{
    return Find(command) != nullptr;
}

const char* COperationOptions::Synopsis(const std::string& command)
{
    const CommandText* t = Find(command);
    return t != nullptr ? t->synopsis : "";
}

const char* COperationOptions::Help(const std::string& command)
{
    const CommandText* t = Find(command);
    return t != nullptr ? t->help : "";
}

bool COperationOptions::IsOptionOf(const std::string& command, const std::string& option)
{
    if (command == "motion")
        return option == "--relative" || option == "--velocity" || option == "--acceleration" ||
               option == "--deceleration" || option == "--max-current" || option == "--profile" ||
               option == "--wait" || option == "--assign" || option == "--for";
    if (command == "status")
        return option == "--watch" || option == "--interval" || option == "--count";
    return false;
}

bool COperationOptions::TakesValue(const std::string& option, const char* next)
{
    if (option == "--relative" || option == "--watch")
        return false;
    if (option == "--wait")
        return IsNumber(next) && next[0] != '-';
    return true;
}

bool COperationOptions::Parse(const std::string& command, const std::vector<std::string>& words,
                              OperationOptions& o, std::string& error)
{
    o = OperationOptions{};
    std::vector<std::string> positional;
    std::vector<std::string> given;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() < 3 || word.compare(0, 2, "--") != 0 || !IsOptionOf(command, word.substr(0, word.find('=')))) {
            positional.push_back(word);
            continue;
        }
        std::string name = word;
        std::optional<std::string> value;
        if (const std::size_t eq = word.find('='); eq != std::string::npos) {
            name = word.substr(0, eq);
            value = word.substr(eq + 1);
        } else if (TakesValue(name, i + 1 < words.size() ? words[i + 1].c_str() : nullptr)) {
            if (i + 1 >= words.size()) {
                error = "option " + name + " needs a value";
                return false;
            }
            value = words[++i];
        }
        given.push_back(name);
        long long n = 0;
        const auto need = [&](long long minimum, long long maximum, const char* what) {
            if (value && Number(*value, minimum, maximum, n))
                return true;
            error = "option " + name + ": '" + value.value_or("") + "' is not " + what;
            return false;
        };
        if (name == "--relative" || name == "--watch") {
            if (value) {
                error = "option " + name + " takes no value";
                return false;
            }
            (name == "--relative" ? o.relative : o.watch) = true;
        } else if (name == "--velocity") {
            if (!need(0, kU32, "a velocity 0...4294967295 inc/s"))
                return false;
            o.velocity = static_cast<std::uint32_t>(n);
        } else if (name == "--acceleration" || name == "--deceleration") {
            if (!need(0, kU32, "a ramp 0...4294967295 inc/s\xC2\xB2"))
                return false;
            (name == "--acceleration" ? o.acceleration : o.deceleration) = static_cast<std::uint32_t>(n);
        } else if (name == "--max-current") {
            if (!need(0, 65535, "a current 0...65535 per thousand"))
                return false;
            o.maxCurrent = static_cast<std::uint16_t>(n);
        } else if (name == "--profile") {
            if (!need(1, 10, "a user profile 1...10"))
                return false;
            o.profile = static_cast<std::uint8_t>(n);
        } else if (name == "--assign") {
            if (!need(kS32Min, kS32Max, "a position (32-bit signed)"))
                return false;
            o.assign = static_cast<std::int32_t>(n);
        } else if (name == "--wait") {
            o.waitMs = kDefaultWaitMs;
            if (value) {
                if (!need(1, kU32, "a time 1...4294967295 ms"))
                    return false;
                o.waitMs = static_cast<std::uint32_t>(n);
            }
        } else if (name == "--for" || name == "--interval") {
            if (!need(0, kU32, "a time in ms"))
                return false;
            (name == "--for" ? o.jogMs : o.intervalMs) = static_cast<std::uint32_t>(n);
        } else if (name == "--count") {
            if (!need(1, kU32, "a number of blocks 1...4294967295"))
                return false;
            o.count = static_cast<std::uint32_t>(n);
        }
    }

    const auto only = [&](std::initializer_list<const char*> allowed, const std::string& what) {
        for (const std::string& g : given) {
            bool fits = false;
            for (const char* a : allowed)
                fits = fits || g == a;
            if (!fits) {
                error = "option " + g + " does not belong to '" + what + "'";
                return false;
            }
        }
        return true;
    };
    const auto count = [&](std::size_t n, const std::string& synopsis) {
        if (positional.size() == n)
            return true;
        error = "usage: " + synopsis;
        return false;
    };

    if (command != "motion")
        return count(0, Synopsis(command));
    if (positional.empty()) {
        error = "command 'motion' needs a mode: position, velocity, homing, jog, manual, stop or halt";
        return false;
    }
    const std::string mode = positional.front();
    long long n = 0;
    if (mode == "position") {
        o.motion = OperationOptions::Motion::Position;
        if (!only({"--relative", "--velocity", "--acceleration", "--deceleration", "--max-current", "--profile",
                   "--wait"},
                  "motion position") ||
            !count(2, "motion position TARGET [--relative] [--velocity V] ..."))
            return false;
        if (!Number(positional[1], kS32Min, kS32Max, n)) {
            error = "'" + positional[1] + "' is not a target position (32-bit signed)";
            return false;
        }
        o.target = static_cast<std::int32_t>(n);
        if (o.profile && (o.velocity || o.acceleration || o.deceleration || o.maxCurrent)) {
            error = "motion position: --profile moves with the drive's user profile; --velocity, "
                    "--acceleration, --deceleration and --max-current do not go with it";
            return false;
        }
    } else if (mode == "velocity") {
        o.motion = OperationOptions::Motion::Velocity;
        if (!only({"--acceleration", "--deceleration", "--max-current"}, "motion velocity") ||
            !count(2, "motion velocity V [--acceleration A] [--deceleration D] [--max-current PERMILLE]"))
            return false;
        if (!Number(positional[1], kS32Min, kS32Max, n)) {
            error = "'" + positional[1] + "' is not a target velocity (32-bit signed)";
            return false;
        }
        o.target = static_cast<std::int32_t>(n);
    } else if (mode == "homing") {
        o.motion = OperationOptions::Motion::Homing;
        if (!only({"--assign", "--wait"}, "motion homing") ||
            !count(2, "motion homing METHOD [--assign POSITION] [--wait [MS]]"))
            return false;
        if (!Number(positional[1], -128, 127, n)) {
            error = "'" + positional[1] + "' is not a homing method (-128...127)";
            return false;
        }
        o.method = static_cast<std::int8_t>(n);
    } else if (mode == "jog") {
        o.motion = OperationOptions::Motion::Jog;
        if (!only({"--for"}, "motion jog") || !count(2, "motion jog +|- [--for MS]"))
            return false;
        if (positional[1] != "+" && positional[1] != "-") {
            error = "motion jog: the direction is + or -, not '" + positional[1] + "'";
            return false;
        }
        o.jogNegative = positional[1] == "-";
    } else if (mode == "manual") {
        o.motion = OperationOptions::Motion::Manual;
        if (!only({}, "motion manual") || !count(2, "motion manual on|off"))
            return false;
        if (positional[1] != "on" && positional[1] != "off") {
            error = "motion manual: on or off, not '" + positional[1] + "'";
            return false;
        }
        o.manualOn = positional[1] == "on";
    } else if (mode == "stop" || mode == "halt") {
        o.motion = mode == "stop" ? OperationOptions::Motion::Stop : OperationOptions::Motion::Halt;
        if (!only({}, "motion " + mode) || !count(1, "motion " + mode))
            return false;
    } else {
        error = "unknown motion mode '" + mode + "' (position, velocity, homing, jog, manual, stop, halt)";
        return false;
    }
    return true;
}
