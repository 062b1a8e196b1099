// canbus - dumps, sends, logs and replays frames on the virtual CAN bus and
// bridges it to a SocketCAN interface.
#include "Bridge.h"
#include "BusPorts.h"
#include "CommandLine.h"
#include "DumpLine.h"
#include "FloodSender.h"
#include "FrameSyntax.h"
#include "InterfaceSetup.h"
#include "LogFormat.h"
#include "Player.h"

#include <canbus/canbus.h>
#include <socketcan/socketcan.h>

#include <fcntl.h>
#include <linux/can.h>
#include <linux/can/error.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onStop(int)
{
    stopRequested = 1;
}

void catchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);  // a closed pipe shows as a failed write
}

canbus_endpoint* openBus(const std::string& bus, uint32_t bitrate)
{
    int err = 0;
    canbus_endpoint* ep = canbus_open(bus.c_str(), bitrate, &err);
    if (!ep)
        std::fprintf(stderr, "canbus: cannot open bus '%s': %s\n", bus.c_str(), std::strerror(err));
    return ep;
}

// A new log file; an existing file is never overwritten.
std::FILE* createLog(const std::string& path)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == EEXIST)
            std::fprintf(stderr, "canbus: '%s' exists already: give another file name\n", path.c_str());
        else
            std::fprintf(stderr, "canbus: cannot create '%s': %s\n", path.c_str(), std::strerror(errno));
        return nullptr;
    }
    return fdopen(fd, "w");
}

int dump(const CommandLine& cmd)
{
    catchStopSignals();
    std::FILE* log = nullptr;
    if (!cmd.logFile.empty() && !(log = createLog(cmd.logFile)))
        return 1;
    canbus_endpoint* ep = openBus(cmd.bus, cmd.bitrate);
    if (!ep) {
        if (log) {
            std::fclose(log);
            unlink(cmd.logFile.c_str());
        }
        return 1;
    }
    std::FILE* out = log ? log : stdout;
    int status = 0;
    while (!stopRequested) {
        canbus_frame frame;
        if (!canbus_receive(ep, &frame, 100))
            continue;
        timeval now {};
        gettimeofday(&now, nullptr);
        const int32_t usec = static_cast<int32_t>(now.tv_usec);
        const std::string line = log ? LogFormat::line(now.tv_sec, usec, cmd.bus, frame)
                                     : DumpLine::format(now.tv_sec, usec, cmd.bus, frame);
        if (std::fprintf(out, "%s\n", line.c_str()) < 0) {
            status = 1;
            break;
        }
        // Whole lines reach the reader as soon as the bus falls quiet.
        if (canbus_pending(ep) == 0 && std::fflush(out) != 0) {
            status = 1;
            break;
        }
        if (uint64_t lost = canbus_take_lost(ep))
            std::fprintf(stderr, "canbus: %llu frames lost\n", static_cast<unsigned long long>(lost));
    }
    canbus_close(ep);
    if (log) {
        if (std::fclose(log) != 0)
            status = 1;
        if (status != 0)
            std::fprintf(stderr, "canbus: writing '%s' failed: %s\n", cmd.logFile.c_str(), std::strerror(errno));
        return status;
    }
    return 0;  // a reader that went away ends a dump quietly
}

int send(const CommandLine& cmd)
{
    canbus_frame frame;
    std::string error;
    if (!FrameSyntax::parse(cmd.frame, frame, error)) {
        std::fprintf(stderr, "canbus: %s\n", error.c_str());
        return 2;
    }
    canbus_endpoint* ep = openBus(cmd.bus, cmd.bitrate);
    if (!ep)
        return 1;
    catchStopSignals();
    std::uint64_t sent = 0;
    const int result = FloodSender::run(ep, frame, cmd.send, stopRequested, sent);
    canbus_close(ep);
    if (result != 0) {
        std::fprintf(stderr, "canbus: cannot send on bus '%s' (after %llu frames): %s\n", cmd.bus.c_str(),
                     static_cast<unsigned long long>(sent), std::strerror(-result));
        return 1;
    }
    if (cmd.send.count != 1)
        std::fprintf(stderr, "canbus: %llu frames sent\n", static_cast<unsigned long long>(sent));
    return 0;
}

int play(const CommandLine& cmd)
{
    std::ifstream file(cmd.logFile, std::ios::binary);
    std::stringstream text;
    if (!file || !(text << file.rdbuf())) {
        std::fprintf(stderr, "canbus: cannot read '%s': %s\n", cmd.logFile.c_str(), std::strerror(errno));
        return 1;
    }
    std::vector<LogFormat::Record> records;
    std::string error;
    if (!LogFormat::parse(text.str(), records, error)) {
        std::fprintf(stderr, "canbus: %s: %s\n", cmd.logFile.c_str(), error.c_str());
        return 1;
    }
    catchStopSignals();
    Player player(cmd.play);
    BusPorts ports(cmd.bitrate);
    // A replay in step with a live side hears its buses from the start.
    for (const LogFormat::Record& record : records) {
        const std::string bus = player.target(record.interface);
        if (!bus.empty() && player.awaited(record.frame) && !ports.open(bus, error)) {
            std::fprintf(stderr, "canbus: %s\n", error.c_str());
            return 1;
        }
    }
    if (!player.play(records, ports, stopRequested, error)) {
        std::fprintf(stderr, "canbus: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int bridge(const CommandLine& cmd)
{
    uint32_t busRate = 0;
    std::string error;
    if (!InterfaceSetup::prepare(cmd.interface, cmd.bitrateGiven ? cmd.bitrate : 0, busRate, error)) {
        std::fprintf(stderr, "canbus: %s\n", error.c_str());
        return 1;
    }
    const int fd = socketcan_open(cmd.interface.c_str(), CAN_ERR_MASK);
    if (fd < 0) {
        std::fprintf(stderr, "canbus: cannot open '%s': %s\n", cmd.interface.c_str(), std::strerror(-fd));
        return 1;
    }
    canbus_endpoint* ep = openBus(cmd.bus, busRate);
    if (!ep) {
        close(fd);
        return 1;
    }
    catchStopSignals();
    std::fprintf(stderr, "canbus: bridging bus '%s' and '%s' at %s\n", cmd.bus.c_str(), cmd.interface.c_str(),
                 busRate ? (std::to_string(busRate) + " bit/s").c_str() : "any bit rate");
    Bridge link(ep, fd);
    const bool ok = link.run(stopRequested, error);
    canbus_close(ep);
    close(fd);
    if (!ok) {
        std::fprintf(stderr, "canbus: %s\n", error.c_str());
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
    case CommandLine::Command::Play:
        return play(cmd);
    case CommandLine::Command::Bridge:
        return bridge(cmd);
    case CommandLine::Command::Help:
        break;
    }
    std::fputs(CommandLine::usage(), stdout);
    return 0;
}
