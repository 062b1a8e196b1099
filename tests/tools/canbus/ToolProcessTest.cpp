// The canbus program itself: a dump child process sees what a send puts on
// the bus.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "PrivateBus.h"

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string err;
};

class CanbusTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus_.create("canbus-tool-test"));
    }
    void TearDown() override
    {
        if (dumper_ > 0) {
            kill(dumper_, SIGKILL);
            waitpid(dumper_, nullptr, 0);
        }
        if (dumpOut_ >= 0)
            close(dumpOut_);
        bus_.remove();
    }

    // Runs canbus to the end; returns its exit status and standard error.
    Result run(const std::vector<std::string>& args)
    {
        int pipeErr[2];
        Result result;
        if (pipe(pipeErr) != 0)
            return result;
        pid_t pid = fork();
        if (pid == 0) {
            dup2(pipeErr[1], 2);
            close(pipeErr[0]);
            int devNull = open("/dev/null", O_WRONLY);
            dup2(devNull, 1);
            execArgs(args);
        }
        close(pipeErr[1]);
        char buf[512];
        ssize_t n;
        while ((n = read(pipeErr[0], buf, sizeof buf)) > 0)
            result.err.append(buf, static_cast<std::size_t>(n));
        close(pipeErr[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return result;
    }

    [[noreturn]] static void execArgs(const std::vector<std::string>& args)
    {
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(CANBUS_TOOL_PATH));
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(CANBUS_TOOL_PATH, argv.data());
        _exit(127);
    }

    // Starts "canbus dump BUS" and waits until its socket is on the bus.
    void startDump(const std::string& bus, std::vector<std::string> extra = {})
    {
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        dumper_ = fork();
        ASSERT_GE(dumper_, 0);
        if (dumper_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            std::vector<std::string> args = {"dump", bus};
            args.insert(args.end(), extra.begin(), extra.end());
            execArgs(args);
        }
        close(out[1]);
        dumpOut_ = out[0];
        for (int i = 0; i < 500; ++i) {
            if (socketCount(bus) > 0)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        FAIL() << "the dump never joined the bus";
    }

    int socketCount(const std::string& bus)
    {
        int count = 0;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(bus_.path(bus), ec))
            count += entry.path().extension() == ".sock";
        return count;
    }

    // The next line of the dump, or "" after 5 s.
    std::string dumpLine()
    {
        for (;;) {
            auto newline = pending_.find('\n');
            if (newline != std::string::npos) {
                std::string line = pending_.substr(0, newline);
                pending_.erase(0, newline + 1);
                return line;
            }
            pollfd fd{dumpOut_, POLLIN, 0};
            if (poll(&fd, 1, 5000) <= 0)
                return "";
            char buf[256];
            ssize_t n = read(dumpOut_, buf, sizeof buf);
            if (n <= 0)
                return "";
            pending_.append(buf, static_cast<std::size_t>(n));
        }
    }

    ovro::test::PrivateBus bus_;
    pid_t dumper_ = -1;
    int dumpOut_ = -1;
    std::string pending_;
};

TEST_F(CanbusTool, DumpShowsWhatSendPutsOnTheBus)
{
    startDump("vbus");
    ASSERT_EQ(run({"send", "vbus", "123#11223344"}).status, 0);
    // " (<seconds>.<6 digits>)  vbus  123   [4]  11 22 33 44"
    std::string line = dumpLine();
    const std::string tail = ")  vbus  123   [4]  11 22 33 44";
    ASSERT_GT(line.size(), tail.size() + 10) << "'" << line << "'";
    EXPECT_EQ(line.substr(0, 2), " (");
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
    const std::string stamp = line.substr(2, line.size() - tail.size() - 2);
    const auto dot = stamp.find('.');
    ASSERT_NE(dot, std::string::npos) << stamp;
    EXPECT_EQ(stamp.size() - dot - 1, 6u) << stamp;
    EXPECT_EQ(stamp.find_first_not_of("0123456789."), std::string::npos) << stamp;
    EXPECT_GT(std::stoll(stamp.substr(0, dot)), 1600000000LL) << stamp;

    ASSERT_EQ(run({"send", "vbus", "7E5#R8"}).status, 0);
    line = dumpLine();
    EXPECT_NE(line.find("  vbus  7E5   [8]  remote request"), std::string::npos) << line;

    ASSERT_EQ(run({"send", "vbus", "error-passive"}).status, 0);
    line = dumpLine();
    EXPECT_NE(line.find("  vbus  20000004   [8]  00 30 00 00 00 00 00 00   ERRORFRAME"),
              std::string::npos)
        << line;

    // Stopping the dump removes its socket from the bus.
    kill(dumper_, SIGTERM);
    int status = 0;
    waitpid(dumper_, &status, 0);
    dumper_ = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(socketCount("vbus"), 0);
}

TEST_F(CanbusTool, DumpAtABitRateIgnoresOtherRates)
{
    startDump("rates", {"--bitrate", "250k"});
    ASSERT_EQ(run({"--bitrate", "500k", "send", "rates", "100#01"}).status, 0);
    ASSERT_EQ(run({"--bitrate", "250000", "send", "rates", "200#02"}).status, 0);
    std::string line = dumpLine();
    EXPECT_NE(line.find("  rates  200   [1]  02"), std::string::npos) << line;
}

// A flood: the frames one after the other at the wire's frame rate (no
// faster than 111 bits each at 1 Mbit/s), the identifiers in turn.
TEST_F(CanbusTool, SendFloodsTheBusAtTheWireRateWithSteppedIds)
{
    startDump("flood", {"--bitrate", "1M"});
    const auto start = std::chrono::steady_clock::now();
    const Result r = run({"--bitrate", "1M", "send", "flood", "123#1122334455667788", "--count", "900", "--flood",
                          "--ids", "100-10F"});
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("900 frames sent"), std::string::npos) << r.err;
    EXPECT_GE(ms, 900 * 111 / 1000) << "faster than the wire";
    for (int i = 0; i < 900; ++i) {
        const std::string line = dumpLine();
        char id[8];
        std::snprintf(id, sizeof id, "%03X", 0x100 + i % 16);
        ASSERT_NE(line.find(std::string("  flood  ") + id + "   [8]  11 22 33 44 55 66 77 88"), std::string::npos)
            << "frame " << i << ": " << line;
    }
}

TEST_F(CanbusTool, BadInputFailsWithAClearMessage)
{
    Result r = run({"send", "vbus", "123#1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("half a byte"), std::string::npos) << r.err;
    r = run({"send", "vbus", "12#11"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("bad identifier"), std::string::npos) << r.err;
    r = run({"frobnicate"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("unknown command"), std::string::npos) << r.err;
    r = run({"--bitrate", "lots", "dump"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("bad bit rate"), std::string::npos) << r.err;
    EXPECT_EQ(run({"--help"}).status, 0);
    EXPECT_EQ(socketCount("vbus"), 0);  // nothing was left behind
}

}  // namespace

namespace {

std::string readFile(const std::string& path)
{
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

// Runs a program to its end with its standard output into a string.
int runCapture(const std::vector<std::string>& argv, std::string& out)
{
    int pipeOut[2];
    if (pipe(pipeOut) != 0)
        return -1;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeOut[1], 1);
        close(pipeOut[0]);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(pipeOut[1]);
    char buf[1024];
    ssize_t n;
    while ((n = read(pipeOut[0], buf, sizeof buf)) > 0)
        out.append(buf, static_cast<std::size_t>(n));
    close(pipeOut[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits until the file holds this many lines.
bool waitForLines(const std::string& path, std::size_t lines)
{
    for (int i = 0; i < 500; ++i) {
        const std::string text = readFile(path);
        if (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) >= lines)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace

TEST_F(CanbusTool, DumpWritesTheLogFormatOfCanUtilsWithOptionsAfterTheBus)
{
    const std::string log = bus_.path("trace.log");
    startDump("demo", {"-l", log});
    ASSERT_EQ(run({"send", "demo", "605#4000100000000000"}).status, 0);
    ASSERT_EQ(run({"send", "demo", "701#R"}).status, 0);
    ASSERT_EQ(run({"send", "demo", "12345678#AABB"}).status, 0);
    ASSERT_EQ(run({"send", "demo", "error-passive"}).status, 0);
    ASSERT_TRUE(waitForLines(log, 4)) << readFile(log);
    kill(dumper_, SIGTERM);
    int status = 0;
    waitpid(dumper_, &status, 0);
    dumper_ = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const std::string text = readFile(log);
    std::vector<std::string> lines;
    std::size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    ASSERT_EQ(lines.size(), 4u) << text;
    const char* frames[] = {" demo 605#4000100000000000", " demo 701#R", " demo 12345678#AABB",
                            " demo 20000004#0030000000000000"};
    for (std::size_t i = 0; i < 4; ++i) {
        // "(1700000000.123456) demo ..."
        ASSERT_GE(lines[i].size(), 19u) << lines[i];
        EXPECT_EQ(lines[i][0], '(');
        EXPECT_EQ(lines[i][11], '.');
        EXPECT_EQ(lines[i][18], ')');
        EXPECT_EQ(lines[i].substr(19), frames[i]);
    }

    // can-utils' own converter reads it.
    if (std::string(LOG2ASC_PATH).empty() || access(LOG2ASC_PATH, X_OK) != 0)
        GTEST_SKIP() << "log2asc (Debian package can-utils) is not installed";
    std::string asc;
    ASSERT_EQ(runCapture({LOG2ASC_PATH, "-I", log, "demo"}, asc), 0) << asc;
    EXPECT_NE(asc.find("base hex  timestamps absolute"), std::string::npos) << asc;
    // Channel 1 is the first interface named: demo.
    EXPECT_NE(asc.find(" 1  605             Rx   d 8 40 00 10 00 00 00 00 00"), std::string::npos) << asc;
    EXPECT_NE(asc.find(" 1  701             Rx   r 0"), std::string::npos) << asc;
    EXPECT_NE(asc.find(" 1  12345678x       Rx   d 2 AA BB"), std::string::npos) << asc;
    EXPECT_NE(asc.find(" 1  ErrorFrame"), std::string::npos) << asc;
}

TEST_F(CanbusTool, DumpNeverOverwritesAnExistingLog)
{
    const std::string log = bus_.path("kept.log");
    {
        FILE* f = std::fopen(log.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("(1700000000.000000) can0 123#01\n", f);
        std::fclose(f);
    }
    Result r = run({"dump", "demo", "--log", log});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("exists already"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(log), "(1700000000.000000) can0 123#01\n");
    EXPECT_EQ(run({"send", "demo", "-l", log, "123#11"}).status, 2);  // -l belongs to dump
}

TEST_F(CanbusTool, PlayReplaysALogOntoTheMappedBusWithItsTiming)
{
    const std::string log = bus_.path("site.log");
    {
        FILE* f = std::fopen(log.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("(1699999999.900000) can0 185#0102\n"
                   "(1699999999.950000) can1 099#\n"
                   "(1700000000.000000) can0 701#R\n",
                   f);
        std::fclose(f);
    }
    startDump("demo");
    // Options after the file, canplayer's assignment: can0's frames to demo.
    const auto begin = std::chrono::steady_clock::now();
    Result r = run({"play", log, "demo=can0"});
    const auto took = std::chrono::steady_clock::now() - begin;
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_GE(took, std::chrono::milliseconds(100));  // the log's 0.1 s
    EXPECT_NE(dumpLine().find("  demo  185   [2]  01 02"), std::string::npos);
    EXPECT_NE(dumpLine().find("  demo  701   [0]  remote request"), std::string::npos);

    r = run({"play", log, "--bus", "demo", "--bitrate", "250k"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(dumpLine().find("  demo  185   [2]  01 02"), std::string::npos);

    r = run({"play", bus_.path("missing.log")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
}
