#include "CliOptions.h"

#include <array>

#include "RecordOptions.h"
#include "canopen/CANopenTypes.h"
#include "settings/AppSettings.h"
#include "settings/NumberParse.h"

namespace {

struct CommandHelp {
    const char* name;
    const char* synopsis;
    const char* text;
    std::size_t positional;  // number of arguments
    std::size_t optional = 0;  // how many of them may be left out
};

// The operation and recording commands check their arguments themselves.
constexpr std::size_t kOwnArguments = static_cast<std::size_t>(-1);

const std::array<CommandHelp, 19> kCommands = {{
    {"scan", "scan [--first N] [--last N]",
     "Searches the bus at one bit rate (--bitrate) for drives with node-ids\n"
     "from --first to --last (default 1 to 127) and lists each drive found\n"
     "with its name, ident number and software version.",
     0},
    {"info", "info", "Connects the drive (--node-id, --bitrate) and shows its identity and model.", 0},
    {"upload", "upload FILE",
     "Connects the drive, uploads all its parameters and saves them as a\n"
     "commissioning document (.31x). Nothing is written when the upload fails.",
     1},
    {"download", "download FILE [--store]",
     "Opens a commissioning document, connects the drive and downloads the\n"
     "document's parameters and node settings; --store then stores them into\n"
     "the drive's EEPROM.",
     1},
    {"store", "store", "Stores the drive's parameters into its EEPROM (asks first).", 0},
    {"reset", "reset", "Resets the drive's parameters to their power-on values (asks first).", 0},
    {"restore", "restore", "Restores the factory settings of the drive in its RAM (asks first).", 0},
    {"read", "read INDEX SUBINDEX [--type TYPE]",
     "Reads one object of the drive and prints its value. TYPE is a data type\n"
     "as the description names it (Integer8 ... Integer32, Unsigned8 ...\n"
     "Unsigned32, Visible String, Octet String, Date, Time Of Day); without\n"
     "--type the type of the description's parameter at that address is used.",
     2},
    {"write", "write INDEX SUBINDEX VALUE [--type TYPE]",
     "Writes one object of the drive. VALUE is a number (decimal, 0x hex or\n"
     "0 octal) of an integer type or the text of a Visible String.",
     3},
    {"configure", "configure --new-node-id N --new-bitrate KBIT",
     "Gives the single drive on the bus a new node-id and bit rate (LMT).\n"
     "Only this one drive may be on the bus.",
     0},
    {"show", "show FILE", "Prints a commissioning document as a table by section. No bus is needed.", 1},
    {"diff", "diff [FILE]",
     "Connects the drive and sets, for every parameter, the value in the drive,\n"
     "in the commissioning document FILE (without FILE: the factory settings)\n"
     "and the description's default side by side, marked \"not yet downloaded\",\n"
     "\"changed in drive\" and \"*\" (changed from factory). Read-only values\n"
     "are shown but do not count. Exit status 0 exactly when every parameter a\n"
     "download writes agrees between drive and document.",
     1, 1},
    {"firmware", "firmware APP.h86 [--sll FILE] [--yes]",
     "Connects the drive (an Ovro K315) and loads the application file APP.h86\n"
     "into it with the Second-Level-Loader FILE (default: sll/sll.H86 next to\n"
     "the program), as \"Firmware Update\" does: each step and the progress as\n"
     "lines, the log beside APP.h86 (APP.log), then the upload of the\n"
     "parameters. Ctrl+C cancels after the page being sent (asks first; --yes\n"
     "answers Yes). Exit status 0 only when the new application runs.",
     1},
    {"motion", COperationOptions::Synopsis("motion"), COperationOptions::Help("motion"), kOwnArguments},
    {"reset-fault", COperationOptions::Synopsis("reset-fault"), COperationOptions::Help("reset-fault"),
     kOwnArguments},
    {"status", COperationOptions::Synopsis("status"), COperationOptions::Help("status"), kOwnArguments},
    {"limits", COperationOptions::Synopsis("limits"), COperationOptions::Help("limits"), kOwnArguments},
    {"record", CRecordOptions::kSynopsis, CRecordOptions::kHelp, kOwnArguments},
    {"export", "export DOC.31x OUT",
     "Writes the oscilloscope recording of a commissioning document as CSV (OUT\n"
     "ending in .csv) or as tab-separated text. No bus is needed.",
     2},
}};

const CommandHelp* FindCommand(const std::string& name)
{
    for (const CommandHelp& c : kCommands)
        if (name == c.name)
            return &c;
    return nullptr;
}

// The option's value: the text after '=' or the next argument.
bool TakeValue(const std::string& option, const std::optional<std::string>& inline_, int argc,
               const char* const* argv, int& i, std::string& value, std::string& error)
{
    if (inline_) {
        value = *inline_;
        return true;
    }
    if (i + 1 >= argc) {
        error = "option " + option + " needs a value";
        return false;
    }
    value = argv[++i];
    return true;
}

}  // namespace

bool CCliOptions::IsCommand(const std::string& command)
{
    return FindCommand(command) != nullptr;
}

std::optional<std::uint8_t> CCliOptions::BaudCodeOfKbit(const std::string& text)
{
    const std::uint8_t code = CAppSettings::BaudCodeOfText(text);
    if (text != CAppSettings::BaudTextOfCode(code))
        return std::nullopt;
    return code;
}

std::optional<std::uint8_t> CCliOptions::NodeIdOf(const std::string& text)
{
    std::uint8_t id = 0;
    if (!ParseU8(text.c_str(), id) || !CANopen::IsValidNodeId(id))
        return std::nullopt;
    return id;
}

bool CCliOptions::Parse(int argc, const char* const* argv, CliOptions& o, std::string& error)
{
    o = CliOptions{};
    bool optionsEnd = false;
    // Command options may come before the command; they are checked once it is known.
    std::vector<std::string> commandOptions;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (optionsEnd || arg.size() < 2 || arg[0] != '-' || (arg[1] != '-' && arg != "-h")) {
            if (o.command.empty() && !optionsEnd) {
                if (!IsCommand(arg)) {
                    error = "unknown command '" + arg + "'";
                    return false;
                }
                o.command = arg;
            } else {
                o.arguments.push_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            if (o.command.empty()) {
                error = "a command must come before --";
                return false;
            }
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        std::string value;
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--yes" || name == "--store") {
            if (inlineValue) {
                error = "option " + name + " takes no value";
                return false;
            }
            if (name == "--yes")
                o.yes = true;
            else
                o.store = true;
            commandOptions.push_back(name);
        } else if (name == "--sll") {
            if (!TakeValue(name, inlineValue, argc, argv, i, value, error))
                return false;
            if (value.empty()) {
                error = "option " + name + " needs a value";
                return false;
            }
            o.sll = value;
            commandOptions.push_back(name);
        } else if (name == "--board" || name == "--description") {
            if (!TakeValue(name, inlineValue, argc, argv, i, value, error))
                return false;
            if (value.empty()) {
                error = "option " + name + " needs a value";
                return false;
            }
            (name == "--board" ? o.board : o.description) = value;
        } else if (name == "--node-id" || name == "--new-node-id") {
            if (!TakeValue(name, inlineValue, argc, argv, i, value, error))
                return false;
            const std::optional<std::uint8_t> id = NodeIdOf(value);
            if (!id) {
                error = "option " + name + ": '" + value + "' is not a node-id (1...127)";
                return false;
            }
            (name == "--node-id" ? o.nodeId : o.newNodeId) = id;
            if (name != "--node-id")
                commandOptions.push_back(name);
        } else if (name == "--bitrate" || name == "--new-bitrate") {
            if (!TakeValue(name, inlineValue, argc, argv, i, value, error))
                return false;
            const std::optional<std::uint8_t> code = BaudCodeOfKbit(value);
            if (!code) {
                error = "option " + name + ": '" + value +
                        "' is not a bit rate (1000, 800, 500, 250, 125, 100, 50, 20 or 10 kbit/s)";
                return false;
            }
            (name == "--bitrate" ? o.baudRate : o.newBaudRate) = code;
            if (name != "--bitrate")
                commandOptions.push_back(name);
        } else if (name == "--sdo-timeout") {
            if (!TakeValue(name, inlineValue, argc, argv, i, value, error))
                return false;
            std::uint16_t ms = 0;
            if (!ParseU16(value.c_str(), ms) || ms == 0) {
                error = "option " + name + ": '" + value + "' is not a time-out 1...65535 ms";
                return false;
            }
            o.sdoTimeout = ms;
        } else if (name == "--first" || name == "--last") {
            if (!TakeValue(name, inlineValue, argc, argv, i, value, error))
                return false;
            std::uint8_t id = 0;
            if (!ParseU8(value.c_str(), id)) {
                error = "option " + name + ": '" + value + "' is not a number 0...255";
                return false;
            }
            (name == "--first" ? o.first : o.last) = id;
            commandOptions.push_back(name);
        } else if (name == "--type") {
            if (!TakeValue(name, inlineValue, argc, argv, i, value, error))
                return false;
            o.type = value;
            commandOptions.push_back(name);
        } else if (COperationOptions::IsOptionOf(o.command, name)) {
            // Kept in order with its value for the command's own parser.
            o.arguments.push_back(arg);
            if (!inlineValue && i + 1 < argc && COperationOptions::TakesValue(name, argv[i + 1]))
                o.arguments.push_back(argv[++i]);
        } else if (const CommandHelp* own = FindCommand(o.command);
                   own != nullptr && own->positional == kOwnArguments && !COperationOptions::IsCommand(o.command)) {
            // The recording commands parse their options themselves.
            o.arguments.push_back(arg);
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (o.help)
        return true;
    if (o.command.empty()) {
        error = "no command given";
        return false;
    }
    for (const std::string& option : commandOptions) {
        const bool fits = option == "--yes" ||
                          ((option == "--first" || option == "--last") && o.command == "scan") ||
                          (option == "--store" && o.command == "download") ||
                          (option == "--type" && (o.command == "read" || o.command == "write")) ||
                          (option == "--sll" && o.command == "firmware") ||
                          ((option == "--new-node-id" || option == "--new-bitrate") && o.command == "configure");
        if (!fits) {
            error = "option " + option + " does not belong to command '" + o.command + "'";
            return false;
        }
    }
    const CommandHelp* help = FindCommand(o.command);
    if (help->positional == kOwnArguments)
        return !COperationOptions::IsCommand(o.command) ||
               COperationOptions::Parse(o.command, o.arguments, o.operation, error);
    if (o.arguments.size() > help->positional || o.arguments.size() + help->optional < help->positional) {
        const std::string count = help->positional == 0   ? std::string("no arguments")
                                  : help->positional == 1 ? std::string("1 argument")
                                                          : std::to_string(help->positional) + " arguments";
        error = "command '" + o.command + "' takes " + count + ": " + help->synopsis;
        return false;
    }
    if (o.command == "configure" && (!o.newNodeId || !o.newBaudRate)) {
        error = "command 'configure' needs --new-node-id and --new-bitrate";
        return false;
    }
    return true;
}

std::string CCliOptions::Usage()
{
    std::string text =
        "Usage: ovro-qvt-cli [OPTIONS] COMMAND [ARGUMENTS]\n"
        "\n"
        "Commissioning of Ovro K315 / H315 drives from a terminal, with the commands\n"
        "and messages of Ovro-QVT.\n"
        "\n"
        "Options:\n"
        "  --board NAME        CAN interface by its name in the description's list,\n"
        "                      e.g. \"PEAK PCAN-USB\" (default: the interface saved by\n"
        "                      Ovro-QVT)\n"
        "  --node-id N         node-id of the drive, 1...127 (default: the saved\n"
        "                      default node-id, else 127)\n"
        "  --bitrate KBIT      bit rate in kbit/s: 1000, 800, 500, 250, 125, 100, 50,\n"
        "                      20 or 10 (default: the saved bit rate, else 20)\n"
        "  --description FILE  device description (default: Ovro-QVT.xml next to\n"
        "                      the program)\n"
        "  --sdo-timeout MS    time-out of each SDO answer in ms (default 100); for\n"
        "                      slow buses and busy machines\n"
        "  --yes               answer every question with Yes (without it questions\n"
        "                      are asked on a terminal, else answered No)\n"
        "  --help              this help; COMMAND --help: the help of a command\n"
        "\n"
        "Commands:\n";
    for (const CommandHelp& c : kCommands)
        text += std::string("  ") + c.synopsis + "\n";
    text +=
        "\n"
        "Messages go to standard error; results (scan list, info, read value, show\n"
        "table) to standard output. Exit status: 0 success, 1 failure, 2 bad usage.\n";
    return text;
}

std::string CCliOptions::CommandUsage(const std::string& command)
{
    const CommandHelp* c = FindCommand(command);
    if (c == nullptr)
        return Usage();
    return std::string("Usage: ovro-qvt-cli [OPTIONS] ") + c->synopsis + "\n\n" + c->text +
           "\n\nOPTIONS are the global options of 'ovro-qvt-cli --help'.\n";
}
