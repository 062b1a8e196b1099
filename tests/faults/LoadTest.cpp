// Load: a full bus of 127 simulated drives, and a bus flooded at the wire's
// frame rate. Each test prints its figures.
//
//   FullBus   127 K315 drives (node-ids 1...127, serial numbers 1001...1127)
//             on one virtual bus at 500 kbit/s (OVRO_FULL_BUS_DRIVES=N: the
//             first N of them, the short form the test command runs): the
//             node search over them finds each, in order, with its name, and
//             every serial number is its own. The sweep's time is printed
//             next to its ideal (each drive's four reads at the time one
//             read takes), then once more with every eighth drive silent
//             (the ideal then adds their SDO time-outs).
//   Flood     `canbus send --flood` puts 8-byte frames with the identifiers
//             0x100...0x17F on a 500 kbit/s bus (250 kbit/s in a sanitized
//             build, whose programs are slower) one after the other at the
//             wire's rate; uploads (expedited and segmented) and downloads
//             of the program's master all complete with the right values,
//             and a PCAN-Light channel whose owner stops reading reports
//             its lost frames (PCAN_ERR_QOVERRUN) once its queue is full,
//             not before.
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <canbus/canbus.h>
#include <cop/cop.h>
#include <pcanlight/pcan_light.h>

#include "../app/document/DocTestSupport.h"
#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "description/Commissioning.h"
#include "document/NodeSearch.h"
#include "PrivateBus.h"
#include "SimProcess.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The search's view: no retry, the first record taken.
class SweepView : public ovro::INodeSearchView {
public:
    std::unique_ptr<IProgress> BeginSearchProgress(std::int32_t range) override
    {
        progress.range = range;
        return std::make_unique<doctest::ScriptedProgress>(progress);
    }
    bool AskRetry(const std::string&) override { return false; }
    std::optional<std::size_t> ChooseResult(const std::vector<ovro::SearchNodeResult>&, std::uint8_t) override
    {
        return 0;
    }
    doctest::ProgressLog progress;
};

// The median time of one call, in ms.
template <class F>
double MedianMs(int times, F f)
{
    std::vector<double> t;
    for (int i = 0; i < times; ++i) {
        const auto start = Clock::now();
        f();
        t.push_back(Ms(Clock::now() - start));
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// ------------------------------------------------------------ the full bus

constexpr int kAllDrives = 127;
// Each simulator ticks every millisecond, so that a full bus keeps a small
// machine busy: the time-out leaves room for that.
constexpr std::uint16_t kSweepTimeoutMs = 1000;

int DrivesOnTheBus()
{
    const char* n = std::getenv("OVRO_FULL_BUS_DRIVES");
    const int drives = n ? std::atoi(n) : kAllDrives;
    return drives >= 8 && drives <= kAllDrives ? drives : kAllDrives;
}
constexpr std::uint8_t kBaud500 = 2;  // index into the baud-rate table

TEST(FullBus, TheNodeSearchFindsAll127DrivesWithTheirOwnSerialNumbers)
{
    const int kDrives = DrivesOnTheBus();
    ovro::test::PrivateBus bus;
    ASSERT_TRUE(bus.create("ovro-fullbus"));
    ::setenv("OVRO_CAN_CHANNEL", "virtual:full", 1);
    std::vector<std::unique_ptr<ovro::test::SimProcess>> drives;
    const auto bootStart = Clock::now();
    for (int node = 1; node <= kDrives; ++node) {
        drives.push_back(std::make_unique<ovro::test::SimProcess>());
        ASSERT_TRUE(drives.back()->launch(bus.dir(), {"--model", "K315", "--node-id", std::to_string(node),
                                                      "--bitrate", "500", "--bus", "full", "--serial",
                                                      std::to_string(1000 + node)}))
            << "drive " << node;
    }
    for (int node = 1; node <= kDrives; ++node)
        ASSERT_TRUE(drives[node - 1]->waitUntilUp(120000)) << "drive " << node << "\n" << drives[node - 1]->log();
    const double bootMs = Ms(Clock::now() - bootStart);

    ovro::CCommissioning commissioning;
    ASSERT_TRUE(commissioning.LoadDescription(OVRO_DESCRIPTION_FILE));
    CCANopenMaster master;
    ASSERT_TRUE(master.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500, 0))
        << "error " << master.LastError();
    master.SetSDOTimeout(kSweepTimeoutMs);

    // The unit of the ideal: the four reads a found drive costs, on drive 1.
    double readsMs = 0;
    {
        CCANopenNode* node = nullptr;
        ASSERT_TRUE(master.ConnectNode(1, &node));
        std::uint32_t type = 0;
        readsMs += MedianMs(15, [&] { EXPECT_TRUE(node->ReadU32(0x1000, 0, type)); });
        for (std::uint16_t index : {0x1008, 0x1009, 0x100A}) {
            readsMs += MedianMs(15, [&] {
                std::uint8_t text[16];
                std::uint32_t length = 0;
                EXPECT_TRUE(node->ReadSDO(index, 0, text, &length, sizeof text)) << std::hex << index;
            });
        }
        master.DisconnectNode(1);
    }

    ovro::CNodeSearch::Range range;
    range.first = 1;
    range.last = static_cast<unsigned>(kDrives);
    range.baudRate = kBaud500;
    auto sweep = [&](std::vector<ovro::SearchNodeResult>& results) {
        doctest::ScriptedUi ui;
        SweepView view;
        ovro::CNodeSearch search(master, commissioning, ui, view);
        bool baudFailed = false;
        const auto start = Clock::now();
        EXPECT_TRUE(search.Sweep(range, baudFailed));
        const double ms = Ms(Clock::now() - start);
        EXPECT_FALSE(baudFailed);
        EXPECT_TRUE(ui.messages.empty());
        results = search.Results();
        return ms;
    };

    std::printf("[ figures  ] %d drives started in %.0f ms; one found drive's four reads take %.2f ms\n", kDrives,
                bootMs, readsMs);
    std::fflush(stdout);
    std::vector<ovro::SearchNodeResult> found;
    const double allMs = sweep(found);
    const double allIdeal = kDrives * readsMs;
    std::printf("[ figures  ] node search 1...%d, all present:      %8.1f ms, ideal %8.1f ms (%.2f times), %zu found\n",
                kDrives, allMs, allIdeal, allMs / allIdeal, found.size());
    std::fflush(stdout);
    EXPECT_EQ(found.size(), std::size_t(kDrives));
    for (int i = 0; i < kDrives && i < int(found.size()); ++i) {
        EXPECT_EQ(found[i].nodeId, i + 1);
        EXPECT_EQ(found[i].deviceName, "Ovro K315") << "node " << i + 1;
        EXPECT_NE(found[i].identNumber, ovro::CNodeSearch::kUnknownText) << "node " << i + 1;
        EXPECT_NE(found[i].softwareVersion, ovro::CNodeSearch::kUnknownText) << "node " << i + 1;
    }
    // The serial numbers (0x1018:04), each its own.
    std::set<std::uint32_t> serials;
    for (int id = 1; id <= kDrives; ++id) {
        CCANopenNode* node = nullptr;
        ASSERT_TRUE(master.ConnectNode(static_cast<std::uint8_t>(id), &node));
        std::uint32_t serial = 0;
        EXPECT_TRUE(node->ReadU32(0x1018, 4, serial)) << "node " << id;
        EXPECT_EQ(serial, std::uint32_t(1000 + id));
        serials.insert(serial);
        master.DisconnectNode(static_cast<std::uint8_t>(id));
    }
    EXPECT_EQ(serials.size(), std::size_t(kDrives));

    // Every eighth drive silent: each costs one time-out.
    int silenced = 0;
    for (int id = 8; id <= kDrives; id += 8, ++silenced)
        ASSERT_EQ(drives[id - 1]->control("silent"), "ok\n");
    const double gapsMs = sweep(found);
    EXPECT_EQ(found.size(), std::size_t(kDrives - silenced));
    for (const ovro::SearchNodeResult& r : found)
        EXPECT_NE(r.nodeId % 8, 0) << "a silent drive was found: " << int(r.nodeId);
    master.Terminate();

    // The ideal: four reads per drive found, one time-out per silent one.
    const double gapsIdeal = (kDrives - silenced) * readsMs + silenced * double(kSweepTimeoutMs);
    std::printf("[ figures  ] node search 1...%d, %3d of them silent: %8.1f ms, ideal %8.1f ms (%.2f times; %u ms "
                "time-out), %zu found\n",
                kDrives, silenced, gapsMs, gapsIdeal, gapsMs / gapsIdeal, unsigned(kSweepTimeoutMs),
                found.size());
    // The silent drives cost their time-outs, no more: a sweep that waits
    // longer than the time-out for an absent node, or retries it, shows here.
    EXPECT_GE(gapsMs, silenced * double(kSweepTimeoutMs) * 0.9);
    EXPECT_LE(gapsMs - allMs, silenced * double(kSweepTimeoutMs) * 1.5 + 2000);
}

// ------------------------------------------------------------ the flood

// canbus send --flood as a child process, ended with the test.
class Flooder {
public:
    bool start(const std::vector<std::string>& args)
    {
        std::vector<std::string> all = {OVRO_CANBUS_TOOL};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        return ::posix_spawn(&pid_, OVRO_CANBUS_TOOL, nullptr, nullptr, argv.data(), environ) == 0;
    }
    ~Flooder()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }

private:
    pid_t pid_ = -1;
};

#ifdef OVRO_SANITIZED
constexpr int kFloodKbit = 250;
constexpr std::uint16_t kFloodBtr = PCAN_BAUD_250K;
constexpr std::uint8_t kFloodBaud = COP_BAUD_250;
#else
constexpr int kFloodKbit = 500;
constexpr std::uint16_t kFloodBtr = PCAN_BAUD_500K;
constexpr std::uint8_t kFloodBaud = COP_BAUD_500;
#endif
// 8-byte frames of 111 bits.
constexpr double kFloodFramesPerSecond = kFloodKbit * 1000.0 / 111;

// A PCAN-Light library of its own (not the master's), loaded by its path.
class PcanChannel {
public:
    bool open(const char* path)
    {
        lib_ = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (!lib_)
            return false;
        init_ = reinterpret_cast<PCAN_InitPnp_t>(::dlsym(lib_, "CAN_Init"));
        read_ = reinterpret_cast<PCAN_Read_t>(::dlsym(lib_, "CAN_Read"));
        close_ = reinterpret_cast<PCAN_Close_t>(::dlsym(lib_, "CAN_Close"));
        return init_ && read_ && close_ && init_(kFloodBtr, PCAN_INIT_TYPE_ST) == PCAN_ERR_OK;
    }
    ~PcanChannel()
    {
        if (close_)
            close_();
        if (lib_)
            ::dlclose(lib_);
    }
    std::uint32_t read(TPCANMsg& msg) { return read_(&msg); }

private:
    void* lib_ = nullptr;
    PCAN_InitPnp_t init_ = nullptr;
    PCAN_Read_t read_ = nullptr;
    PCAN_Close_t close_ = nullptr;
};

TEST(Flood, UploadsAndDownloadsCompleteAndTheDriverReportsItsLostFrames)
{
    ovro::test::PrivateBus bus;
    ASSERT_TRUE(bus.create("ovro-flood"));
    ::setenv("OVRO_CAN_CHANNEL", "virtual:flood", 1);
    ovro::test::SimProcess drive;
    ASSERT_TRUE(drive.start(bus.dir(), {"--model", "K315", "--node-id", "5", "--bitrate", std::to_string(kFloodKbit), "--bus",
                             "flood"}))
        << drive.log();
    CCANopenMaster master;
    ASSERT_TRUE(master.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, kFloodBaud, 0))
        << "error " << master.LastError();
    master.SetSDOTimeout(1000);
    CCANopenNode* node = nullptr;
    ASSERT_TRUE(master.ConnectNode(5, &node));

    PcanChannel channel;
    ASSERT_TRUE(channel.open(OVRO_PCAN_PCI)) << ::dlerror();
    TPCANMsg msg;
    while (channel.read(msg) == PCAN_ERR_OK) {
    }  // nothing lost so far, nothing waiting

    Flooder flood;
    ASSERT_TRUE(flood.start({"--bitrate", std::to_string(kFloodKbit) + "k", "send", "flood", "100#0123456789ABCDEF", "--count", "0", "--flood",
                             "--ids", "100-17F"}));
    // The channel reads the flood at first: frames, no status.
    std::this_thread::sleep_for(100ms);
    while (channel.read(msg) == PCAN_ERR_OK) {
    }
    const auto readStart = Clock::now();
    std::this_thread::sleep_for(500ms);
    int frames = 0;
    while (channel.read(msg) == PCAN_ERR_OK) {
        EXPECT_EQ(msg.MSGTYPE, PCAN_MSGTYPE_STANDARD) << "a status before the queue was full";
        ++frames;
    }
    const double rate = frames / (Ms(Clock::now() - readStart) / 1000);
    EXPECT_GT(frames, 100) << "the flood did not come";

    // The master's transfers while the channel's queue fills up. The
    // virtual bus drops a frame for a receiver whose socket stays full for
    // 2 ms (a process the loaded machine did not run in time, which no CAN
    // controller does); the transfer it hits times out (-50) and is tried
    // once more. Such retries are counted and printed: rare, each followed
    // by a transfer that works, never a wrong value.
    const auto start = Clock::now();
    int uploads = 0, downloads = 0, retried = 0;
    std::uint32_t value = 1000;
    auto transfer = [&](const char* what, const std::function<bool()>& f) {
        if (f())
            return true;
        EXPECT_EQ(node->LastError(), -50) << what;
        ++retried;
        const bool again = f();
        EXPECT_TRUE(again) << what << " failed twice, error " << node->LastError();
        return again;
    };
    // Until the idle channel's queue has overflowed, and a second more.
    const auto span = std::chrono::milliseconds(long(CANBUS_QUEUE_FRAMES / kFloodFramesPerSecond * 1000) + 1000);
    while (Clock::now() - start < span) {
        std::uint32_t type = 0;
        ASSERT_TRUE(transfer("0x1000", [&] { return node->ReadU32(0x1000, 0, type); }));
        EXPECT_NE(type, 0u);
        std::uint8_t text[16] = {};
        std::uint32_t length = 0;
        ASSERT_TRUE(transfer("0x1008", [&] { return node->ReadSDO(0x1008, 0, text, &length, sizeof text); }));
        EXPECT_EQ(std::string(reinterpret_cast<char*>(text), length), "Ovro K315");
        uploads += 2;
        // A new value each time, within the object's range (1...10000).
        value = value < 10000 ? value + 1 : 1000;
        ASSERT_TRUE(transfer("0x6081 written", [&] { return node->WriteU32(0x6081, 0, value); }));
        std::uint32_t back = 0;
        ASSERT_TRUE(transfer("0x6081 read", [&] { return node->ReadU32(0x6081, 0, back); }));
        EXPECT_EQ(back, value);
        ++downloads;
        ++uploads;
    }
    EXPECT_LE(retried, 2 + (uploads + downloads) / 200) << "transfers lost under the flood";
    const double seconds = Ms(Clock::now() - start) / 1000;

    // 16384 frames waited in the channel's queue; it lost the rest.
    ASSERT_EQ(channel.read(msg), PCAN_ERR_OK);
    EXPECT_EQ(msg.MSGTYPE, PCAN_MSGTYPE_STATUS);
    EXPECT_EQ(msg.LEN, 4);
    EXPECT_TRUE(msg.DATA[3] & PCAN_ERR_QOVERRUN) << "status " << int(msg.DATA[3]);
    // The frames that waited; a further status entry (the queue overran
    // again while the test read) is no frame.
    int queued = 0;
    while (channel.read(msg) == PCAN_ERR_OK)
        if (msg.MSGTYPE == PCAN_MSGTYPE_STANDARD)
            ++queued;
    std::printf("[ figures  ] flood at %d kbit/s, %.0f frames/s (the wire's rate: %.0f): %d uploads and %d downloads "
                "in %.1f s (%.2f ms each), all right, %d tried twice; the idle channel reported its lost frames after %d "
                "queued\n",
                kFloodKbit, rate, kFloodFramesPerSecond, uploads, downloads, seconds, seconds * 1000 / (uploads + downloads),
                retried, queued);
    EXPECT_GE(queued, CANBUS_QUEUE_FRAMES / 2);
    master.Terminate();
}

}  // namespace
