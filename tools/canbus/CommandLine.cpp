#include "CommandLine.h"

#include <cctype>

bool CommandLine::parseBitrate(const std::string& text, uint32_t& bitrate)
{
    uint64_t value = 0;
    std::size_t i = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > UINT32_MAX)
            return false;
    }
    if (i == 0)
        return false;
    std::string suffix = text.substr(i);
    if (suffix == "k" || suffix == "K")
        value *= 1000;
    else if (suffix == "M")
        value *= 1000000;
    else if (!suffix.empty())
        return false;
    if (value > UINT32_MAX)
        return false;
    bitrate = static_cast<uint32_t>(value);
    return true;
}

bool CommandLine::parse(const std::vector<std::string>& args, std::string& error)
{
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            command = Command::Help;
            return true;
        }
        std::string value;
        if (arg == "--bitrate" || arg == "-b") {
            if (i + 1 == args.size()) {
                error = "--bitrate needs a value";
                return false;
            }
            value = args[++i];
        } else if (arg.rfind("--bitrate=", 0) == 0) {
            value = arg.substr(10);
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option '" + arg + "'";
            return false;
        } else {
            positional.push_back(arg);
            continue;
        }
        if (!parseBitrate(value, bitrate)) {
            error = "bad bit rate '" + value + "': give bit/s, or kbit/s with the suffix k (250k)";
            return false;
        }
    }
    if (positional.empty()) {
        error = "no command given";
        return false;
    }
    const std::string verb = positional[0];
    positional.erase(positional.begin());
    if (verb == "dump") {
        if (positional.size() > 1) {
            error = "dump takes at most one bus name";
            return false;
        }
        command = Command::Dump;
        if (!positional.empty())
            bus = positional[0];
    } else if (verb == "send") {
        if (positional.empty() || positional.size() > 2) {
            error = "send takes a frame, with a bus name before it";
            return false;
        }
        command = Command::Send;
        if (positional.size() == 2)
            bus = positional[0];
        frame = positional.back();
    } else if (verb == "help") {
        command = Command::Help;
    } else {
        error = "unknown command '" + verb + "'";
        return false;
    }
    if (bus.empty() || bus == "." || bus == ".." || bus.find('/') != std::string::npos) {
        error = "bad bus name '" + bus + "'";
        return false;
    }
    return true;
}

const char* CommandLine::usage()
{
    return "Usage: canbus [--bitrate RATE] dump [BUS]\n"
           "       canbus [--bitrate RATE] send [BUS] FRAME\n"
           "\n"
           "Dumps or sends frames on the virtual CAN bus BUS (default: \"default\"),\n"
           "a folder under $OVRO_CANBUS_DIR, else /tmp/ovro-canbus-<uid>.\n"
           "\n"
           "FRAME:\n"
           "  123#DEADBEEF     standard data frame (3 hex digits), up to 8 data bytes,\n"
           "                   optionally separated by dots: 123#DE.AD.BE.EF\n"
           "  12345678#11      extended data frame (8 hex digits)\n"
           "  123#R, 123#R4    remote request, optionally with a length 0..8\n"
           "  20000040#...     error frame with its SocketCAN classes\n"
           "  busoff, error-passive, error-warning, error-active\n"
           "                   error frames that set the controller state of listeners\n"
           "\n"
           "Options:\n"
           "  -b, --bitrate RATE  bit rate in bit/s, or kbit/s with suffix k (250k);\n"
           "                      0 (default) hears every rate and sends as any rate\n"
           "  -h, --help          this text\n";
}
