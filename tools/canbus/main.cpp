// canbus - dumps and sends frames on the virtual CAN bus.
#include "CommandLine.h"
#include "DumpLine.h"
#include "FrameSyntax.h"

#include <canbus/canbus.h>

#include <signal.h>
#include <sys/time.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onStop(int)
{
    stopRequested = 1;
}

canbus_endpoint* openBus(const CommandLine& cmd)
{
    int err = 0;
    canbus_endpoint* ep = canbus_open(cmd.bus.c_str(), cmd.bitrate, &err);
    if (!ep)
        std::fprintf(stderr, "canbus: cannot open bus '%s': %s\n", cmd.bus.c_str(), std::strerror(err));
    return ep;
}

int dump(const CommandLine& cmd)
{
    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);  // a closed pipe shows as a failed write

    canbus_endpoint* ep = openBus(cmd);
    if (!ep)
        return 1;
    while (!stopRequested) {
        canbus_frame frame;
        if (!canbus_receive(ep, &frame, 100))
            continue;
        timeval now {};
        gettimeofday(&now, nullptr);
        std::string line = DumpLine::format(now.tv_sec, static_cast<int32_t>(now.tv_usec), cmd.bus, frame);
        if (std::printf("%s\n", line.c_str()) < 0 || std::fflush(stdout) != 0)
            break;  // the reader went away
        if (uint64_t lost = canbus_take_lost(ep))
            std::fprintf(stderr, "canbus: %llu frames lost\n", static_cast<unsigned long long>(lost));
    }
    canbus_close(ep);
    return 0;
}

int send(const CommandLine& cmd)
{
    canbus_frame frame;
    std::string error;
    if (!FrameSyntax::parse(cmd.frame, frame, error)) {
        std::fprintf(stderr, "canbus: %s\n", error.c_str());
        return 2;
    }
    canbus_endpoint* ep = openBus(cmd);
    if (!ep)
        return 1;
    int result = canbus_send(ep, &frame);
    canbus_close(ep);
    if (result != 0) {
        std::fprintf(stderr, "canbus: cannot send on bus '%s': %s\n", cmd.bus.c_str(), std::strerror(-result));
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    CommandLine cmd;
    std::string error;
    if (!cmd.parse(std::vector<std::string>(argv + 1, argv + argc), error)) {
        std::fprintf(stderr, "canbus: %s\nTry 'canbus --help'.\n", error.c_str());
        return 2;
    }
    switch (cmd.command) {
    case CommandLine::Command::Dump:
        return dump(cmd);
    case CommandLine::Command::Send:
        return send(cmd);
    case CommandLine::Command::Help:
        break;
    }
    std::fputs(CommandLine::usage(), stdout);
    return 0;
}
