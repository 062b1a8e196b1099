#include "CommandLine.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <net/if.h>

namespace {

// An option with a value: "--name VALUE", "--name=VALUE" or "-x VALUE".
bool optionValue(const std::vector<std::string>& args, std::size_t& i, const char* longName,
                 const char* shortName, std::string& value, bool& matched, std::string& error)
{
    const std::string& arg = args[i];
    const std::string withEquals = std::string(longName) + "=";
    matched = false;
    if (arg.rfind(withEquals, 0) == 0) {
        matched = true;
        value = arg.substr(withEquals.size());
        return true;
    }
    if (arg != longName && (shortName == nullptr || arg != shortName))
        return true;
    matched = true;
    if (i + 1 == args.size()) {
        error = std::string(longName) + " needs a value";
        return false;
    }
    value = args[++i];
    return true;
}

}  // namespace

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

bool CommandLine::validBusName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool CommandLine::parse(const std::vector<std::string>& args, std::string& error)
{
    std::vector<std::string> positional;
    std::vector<std::string> dumpOnly, playOnly, sendOnly;  // options given, for the check below
    std::string playBus;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            command = Command::Help;
            return true;
        }
        if (arg == "--loop") {
            play.loop = true;
            playOnly.push_back(arg);
            continue;
        }
        if (arg == "--flood") {
            send.flood = true;
            sendOnly.push_back(arg);
            continue;
        }
        std::string value;
        bool matched = false;
        if (!optionValue(args, i, "--bitrate", "-b", value, matched, error))
            return false;
        if (matched) {
            if (!parseBitrate(value, bitrate)) {
                error = "bad bit rate '" + value + "': give bit/s, or kbit/s with the suffix k (250k)";
                return false;
            }
            bitrateGiven = true;
            continue;
        }
        if (!optionValue(args, i, "--log", "-l", value, matched, error))
            return false;
        if (matched) {
            if (value.empty()) {
                error = "--log needs a file name";
                return false;
            }
            logFile = value;
            dumpOnly.push_back("--log");
            continue;
        }
        if (!optionValue(args, i, "--bus", nullptr, value, matched, error))
            return false;
        if (matched) {
            playBus = value;
            playOnly.push_back("--bus");
            continue;
        }
        if (!optionValue(args, i, "--count", nullptr, value, matched, error))
            return false;
        if (matched) {
            char* end = nullptr;
            errno = 0;
            const unsigned long long n = std::strtoull(value.c_str(), &end, 10);
            if (value.empty() || value[0] == '-' || *end != '\0' || errno != 0) {
                error = "bad count '" + value + "': give a number of frames (0: until stopped)";
                return false;
            }
            send.count = n;
            sendOnly.push_back("--count");
            continue;
        }
        if (!optionValue(args, i, "--ids", nullptr, value, matched, error))
            return false;
        if (matched) {
            Player::IdRange range;
            if (!Player::parseRange(value, range)) {
                error = "bad identifiers '" + value + "': give a hexadecimal range (100-17F)";
                return false;
            }
            send.stepIds = true;
            send.firstId = range.first;
            send.lastId = range.last;
            sendOnly.push_back("--ids");
            continue;
        }
        if (!optionValue(args, i, "--wait-for", nullptr, value, matched, error))
            return false;
        if (matched) {
            std::size_t start = 0;
            while (start <= value.size()) {
                std::size_t comma = value.find(',', start);
                if (comma == std::string::npos)
                    comma = value.size();
                Player::IdRange range;
                if (!Player::parseRange(value.substr(start, comma - start), range)) {
                    error = "bad identifiers '" + value + "': give hexadecimal identifiers or ranges (600-67F)";
                    return false;
                }
                play.waitFor.push_back(range);
                start = comma + 1;
            }
            playOnly.push_back("--wait-for");
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option '" + arg + "'";
            return false;
        }
        positional.push_back(arg);
    }
    if (positional.empty()) {
        error = "no command given";
        return false;
    }
    const std::string verb = positional[0];
    positional.erase(positional.begin());
    if (!dumpOnly.empty() && verb != "dump") {
        error = dumpOnly[0] + " is an option of dump";
        return false;
    }
    if (!sendOnly.empty() && verb != "send") {
        error = sendOnly[0] + " is an option of send";
        return false;
    }
    if (send.flood && bitrate == 0) {
        error = "--flood needs the bit rate of the wire (--bitrate)";
        return false;
    }
    send.bitrate = bitrate;
    if (!playOnly.empty() && verb != "play") {
        error = playOnly[0] + " is an option of play";
        return false;
    }
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
    } else if (verb == "play") {
        if (positional.empty()) {
            error = "play takes a log file";
            return false;
        }
        command = Command::Play;
        logFile = positional[0];
        for (std::size_t i = 1; i < positional.size(); ++i) {
            const std::string& assignment = positional[i];
            const std::size_t equals = assignment.find('=');
            if (equals == std::string::npos || !validBusName(assignment.substr(0, equals)) ||
                equals + 1 == assignment.size()) {
                error = "bad assignment '" + assignment + "': give BUS=INTERFACE";
                return false;
            }
            play.assignments.emplace_back(assignment.substr(0, equals), assignment.substr(equals + 1));
        }
        if (!playBus.empty() && !play.assignments.empty()) {
            error = "give either --bus or BUS=INTERFACE assignments";
            return false;
        }
        if (!playBus.empty() && !validBusName(playBus)) {
            error = "bad bus name '" + playBus + "'";
            return false;
        }
        play.bus = playBus;
        bus = playBus.empty() ? bus : playBus;
    } else if (verb == "bridge") {
        if (positional.size() != 2) {
            error = "bridge takes a bus name and a SocketCAN interface";
            return false;
        }
        command = Command::Bridge;
        bus = positional[0];
        interface = positional[1];
        if (interface.empty() || interface.size() >= IFNAMSIZ || interface.find('/') != std::string::npos) {
            error = "bad interface name '" + interface + "'";
            return false;
        }
    } else if (verb == "help") {
        command = Command::Help;
    } else {
        error = "unknown command '" + verb + "'";
        return false;
    }
    if (!validBusName(bus)) {
        error = "bad bus name '" + bus + "'";
        return false;
    }
    return true;
}

const char* CommandLine::usage()
{
    return "Usage: canbus [--bitrate RATE] dump [BUS] [-l FILE]\n"
           "       canbus [--bitrate RATE] send [BUS] FRAME [--count N] [--flood] [--ids A-B]\n"
           "       canbus [--bitrate RATE] play FILE [--bus BUS | BUS=IFACE...] [--loop]\n"
           "                                    [--wait-for IDS]\n"
           "       canbus [--bitrate RATE] bridge BUS IFACE\n"
           "\n"
           "Dumps, sends, logs and replays frames on the virtual CAN bus BUS (default:\n"
           "\"default\"), a folder under $OVRO_CANBUS_DIR, else /tmp/ovro-canbus-<uid>,\n"
           "and bridges it to a SocketCAN interface.\n"
           "\n"
           "  dump      every frame, candump style; with -l FILE into FILE in the log\n"
           "            format of can-utils (candump -l, canplayer, log2asc):\n"
           "            (1700000000.123456) demo 605#4000100000000000\n"
           "  send      one frame, or N of them (--count, 0: until stopped)\n"
           "  play      replays a log with its timing, as canplayer does. Frames logged\n"
           "            on interface X go to the bus X, or all to --bus BUS, or those of\n"
           "            IFACE to BUS for each BUS=IFACE given (others are skipped)\n"
           "  bridge    forwards every frame both ways between BUS and the SocketCAN\n"
           "            interface IFACE (can0, vcan0), at the interface's bit rate\n"
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
           "                      0 (default) hears every rate and sends as any rate;\n"
           "                      bridge: sets the interface to RATE where it may\n"
           "  -l, --log FILE      dump: write the log to FILE (which must not exist)\n"
           "  --bus BUS           play: every frame to BUS\n"
           "  --loop              play: start again at the end, until stopped\n"
           "  --count N           send: the frame N times (0: until stopped)\n"
           "  --flood             send: one after the other at the wire's full frame rate\n"
           "                      at RATE (47 + 8 bits a byte for a standard frame)\n"
           "  --ids A-B           send: the identifier steps through A...B (hexadecimal)\n"
           "  --wait-for IDS      play: frames of these identifiers (600-67F,605,...)\n"
           "                      are the live side's: wait for each on the bus instead\n"
           "                      of sending it, then go on in step with it\n"
           "  -h, --help          this text\n";
}
