// ovro-qvt-cli: the commands of Ovro-QVT's document from a terminal, for
// commissioning drives by script.
#include <unistd.h>

#include <climits>
#include <iostream>
#include <string>

#include "CliCommands.h"
#include "CliOptions.h"
#include "CliSession.h"
#include "settings/QSettingsStore.h"
#include "TerminalUserInterface.h"

namespace {

// The folder of the executable, where the description lies.
std::string ProgramDirectory(const char* argv0)
{
    char path[PATH_MAX + 1] = {};
    const ssize_t n = ::readlink("/proc/self/exe", path, PATH_MAX);
    std::string exe = n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string(argv0);
    const std::size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

}  // namespace

int main(int argc, char** argv)
{
    CliOptions options;
    std::string error;
    if (!CCliOptions::Parse(argc, argv, options, error)) {
        std::cerr << CCliOptions::kProgram << ": " << error << "\n"
                  << "Try '" << CCliOptions::kProgram << " --help'.\n";
        return CCliSession::kUsage;
    }
    if (options.help) {
        std::cout << (options.command.empty() ? CCliOptions::Usage() : CCliOptions::CommandUsage(options.command));
        return CCliSession::kSuccess;
    }
    const CTerminalUserInterface::Answer answer = options.yes                ? CTerminalUserInterface::Answer::Yes
                                                  : ::isatty(STDIN_FILENO) != 0 ? CTerminalUserInterface::Answer::Ask
                                                                                : CTerminalUserInterface::Answer::No;
    CTerminalUserInterface ui(std::cerr, std::cin, answer);
    const QSettingsStore store;
    CCliSession session(options, store, ui, std::cout, std::cerr, ProgramDirectory(argv[0]));
    CCliCommands commands(session);
    const int status = commands.Run();
    std::cout.flush();
    return status;
}
