// ovro-drive-sim: a simulated Ovro K315/H315 drive on the virtual CAN bus or
// a SocketCAN interface.
#include "CanPort.h"
#include "CommandLine.h"
#include "ControlCommands.h"
#include "ControlServer.h"
#include "DescriptionObjects.h"
#include "SimulatedNode.h"

#include <csignal>
#include <cstdio>
#include <memory>

namespace {
volatile std::sig_atomic_t g_stop = 0;

void onSignal(int)
{
    g_stop = 1;
}
}  // namespace

int main(int argc, char** argv)
{
    SimOptions options;
    std::string error;
    if (!CommandLine::parse(argc, argv, options, error)) {
        std::fprintf(stderr, "ovro-drive-sim: %s\n\n%s", error.c_str(), CommandLine::usage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(CommandLine::usage().c_str(), stdout);
        return 0;
    }
    options.description = DescriptionObjects::locate(options.description, argv[0]);

    std::unique_ptr<CanPort> port =
        options.socketCan.empty()
            ? CanPort::openVirtual(options.bus, CommandLine::kbitOf(options.bitTiming) * 1000, options.realtime, error)
            : CanPort::openSocketCan(options.socketCan, error);
    if (!port) {
        std::fprintf(stderr, "ovro-drive-sim: %s\n", error.c_str());
        return 1;
    }

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    SimulatedNode node(options, *port);
    ControlCommands commands(node);
    ControlServer control([&commands](const std::vector<std::string>& words) { return commands.handle(words); });
    if (!options.control.empty()) {
        if (!control.open(options.control, error)) {
            std::fprintf(stderr, "ovro-drive-sim: %s\n", error.c_str());
            return 1;
        }
        node.setControl(control.eventFd(), [&control] { control.poll(); });
    }
    if (!node.start(error)) {
        std::fprintf(stderr, "ovro-drive-sim: %s\n", error.c_str());
        return 1;
    }
    node.run(g_stop);
    return 0;
}
