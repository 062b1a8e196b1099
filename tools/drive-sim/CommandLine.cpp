#include "CommandLine.h"

#include "NumberArgument.h"

namespace {
const unsigned kRates[] = {1000, 800, 500, 250, 125, 100, 50, 20, 10};
}  // namespace

unsigned CommandLine::kbitOf(uint8_t bitTiming)
{
    return bitTiming < 9 ? kRates[bitTiming] : 0;
}

int CommandLine::bitTimingOf(unsigned kbit)
{
    for (int i = 0; i < 9; ++i) {
        if (kRates[i] == kbit)
            return i;
    }
    return -1;
}

std::string CommandLine::usage()
{
    return "Usage: ovro-drive-sim [options]\n"
           "A simulated Ovro K315/H315 drive on the virtual CAN bus or a SocketCAN interface.\n"
           "  --model K315|H315    drive model (default K315)\n"
           "  --node-id N          node-id 1..127; 'none' or omitted: unconfigured, reached by LMT only\n"
           "  --bitrate KBIT       1000, 800, 500, 250, 125, 100, 50, 20 or 10 (default 20)\n"
           "  --bus NAME           virtual bus name (default 'default')\n"
           "  --socketcan IF       use a SocketCAN interface instead of the virtual bus\n"
           "  --eeprom FILE        non-volatile store, created with the factory values when missing;\n"
           "                       a node-id and bit rate stored by LMT there override the options\n"
           "  --serial N           serial number (identity object and LMT address, default 1)\n"
           "  --description FILE   device description (default Ovro-QVT.xml next to the program,\n"
           "                       then ../share/ovro-qvt/Ovro-QVT.xml)\n"
           "  --control PATH       Unix socket for test commands (send 'help' for the list)\n"
           "  --realtime           the virtual bus costs wire time: every frame on it, from any node,\n"
           "                       takes its time at the bit rate, one after the other\n"
           "  -v                   log every frame sent and received\n"
           "  --help               this text\n";
}

bool CommandLine::parse(int argc, char** argv, SimOptions& o, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = "option " + arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string v;
        uint64_t n = 0;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "-v" || arg == "--verbose") {
            o.verbose = true;
        } else if (arg == "--realtime") {
            o.realtime = true;
        } else if (arg == "--model") {
            if (!value(v))
                return false;
            if (v == "K315")
                o.model = DriveModel::K315;
            else if (v == "H315")
                o.model = DriveModel::H315;
            else {
                error = "unknown model '" + v + "' (K315 or H315)";
                return false;
            }
        } else if (arg == "--node-id") {
            if (!value(v))
                return false;
            if (v == "none")
                o.nodeId = 0;
            else if (NumberArgument::parse(v, 127, n) && n >= 1)
                o.nodeId = uint8_t(n);
            else {
                error = "node-id must be 1..127 or 'none': " + v;
                return false;
            }
        } else if (arg == "--bitrate") {
            if (!value(v))
                return false;
            const int timing = NumberArgument::parse(v, 1000, n) ? bitTimingOf(unsigned(n)) : -1;
            if (timing < 0) {
                error = "bit rate must be 1000, 800, 500, 250, 125, 100, 50, 20 or 10: " + v;
                return false;
            }
            o.bitTiming = uint8_t(timing);
        } else if (arg == "--serial") {
            if (!value(v))
                return false;
            if (!NumberArgument::parse(v, 99999999999999ull, n)) {
                error = "serial number must be 0..99999999999999: " + v;
                return false;
            }
            o.serial = n;
        } else if (arg == "--bus") {
            if (!value(o.bus))
                return false;
        } else if (arg == "--socketcan") {
            if (!value(o.socketCan))
                return false;
        } else if (arg == "--eeprom") {
            if (!value(o.eeprom))
                return false;
        } else if (arg == "--description") {
            if (!value(o.description))
                return false;
        } else if (arg == "--control") {
            if (!value(o.control))
                return false;
        } else {
            error = "unknown option: " + arg;
            return false;
        }
    }
    return true;
}
