// scope_recording - figures of the oscilloscope's collection with the
// software master: four channels at the 1 ms time base, 1000 kBit/s, the
// simulated drive pacing its frames at their wire time (--realtime), for a
// ring's worth of samples (29999, half a minute) while the drive moves.
// Each run prints
//   - the samples recorded,
//   - the samples lost: time-master PDOs (0x385) that a second endpoint on
//     the bus saw but that are missing from the ring's sequence,
//   - the CPU used by the collection (the user-interface thread's CPU time
//     in the ticks, per wall-clock second),
//   - the longest and the mean time a tick held the user-interface thread,
//     also without the time the thread waited for a processor.
// The collection runs twice: first asking again at once when no PDO waits
// (a busy wait), then resting 200 us before asking again (the program's
// way).
// Usage: scope_recording [samples, default 29999]
#include "canopen/CANopenDrive.h"
#include "canopen/CANopenMaster.h"
#include "canopen/CANopenNode.h"
#include "description/Commissioning.h"
#include "document/ConnectDeviceChooser.h"
#include "document/QVTDoc.h"
#include "scope/OscilloscopeData.h"
#include "scope/Recording.h"
#include "scope/RecordingPlot.h"
#include "ui/UserInterface.h"

#include "PrivateBus.h"
#include "SimProcess.h"

#include <canbus/canbus.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

namespace {

constexpr std::uint8_t kNode = 5;
const char* const kBus = "scopebench";
using Clock = std::chrono::steady_clock;

class PrintingUi : public IUserInterface {
public:
    void ShowMessage(MessageSeverity, MessageIcon, const std::string& text) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    bool AskYesNo(MessageIcon, const std::string&, bool) override { return false; }
    std::unique_ptr<IProgress> BeginProgress(std::int32_t) override { return nullptr; }
    std::optional<std::string> ChooseFile(const FileRequest&) override { return std::nullopt; }
};

class Connect : public ovro::IConnectDeviceChooser {
public:
    ovro::ConnectDeviceChoice Choose(const ovro::ConnectDeviceRequest&) override
    {
        ovro::ConnectDeviceChoice c;
        c.result = ovro::ConnectDeviceChoice::Connect;
        c.nodeId = kNode;
        c.baudRate = COP_BAUD_1000;
        return c;
    }
};

// The plot's side of a tick: points counted, nothing drawn.
class CountingPlot : public IRecordingPlot {
public:
    void SetChannels(const std::vector<std::string>& titles, const std::string&) override
    {
        channels = static_cast<int>(titles.size());
    }
    int ChannelCount() const override { return channels; }
    void AddPoint(int, double, double) override { ++points; }
    void SetTimeAxis(double, double) override {}
    double TimeMinimum() const override { return 0; }
    double TimeSpan() const override { return 1000; }
    void Repaint() override {}
    int channels = 0;
    long points = 0;
};

// A second endpoint on the bus that keeps the position of every frame of
// the time-master PDO, in the order of the wire.
class Listener {
public:
    Listener()
    {
        endpoint_ = canbus_open(kBus, 1000000, nullptr);
        positions_.reserve(80000);
        thread_ = std::thread([this] {
            canbus_frame f{};
            while (!stop_) {
                if (canbus_receive(endpoint_, &f, 20) == 1 && f.id == 0x380u + kNode && f.len >= 6)
                    positions_.push_back(static_cast<std::int32_t>(f.data[2] | f.data[3] << 8 | f.data[4] << 16 |
                                                                   static_cast<std::uint32_t>(f.data[5]) << 24));
            }
        });
    }
    ~Listener() { Stop(); }
    bool Open() const { return endpoint_ != nullptr; }
    void Stop()
    {
        if (!thread_.joinable())
            return;
        stop_ = true;
        thread_.join();
        lost_ = canbus_take_lost(endpoint_);
        canbus_close(endpoint_);
    }
    const std::vector<std::int32_t>& Positions() const { return positions_; }
    std::uint64_t EndpointLost() const { return lost_; }

private:
    canbus_endpoint* endpoint_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<std::int32_t> positions_;
    std::uint64_t lost_ = 0;
};

// Nanoseconds this thread has waited for a processor (the scheduler's run
// delay), 0 where the kernel does not say.
std::uint64_t RunQueueWait()
{
    std::FILE* f = std::fopen("/proc/thread-self/schedstat", "r");
    if (f == nullptr)
        return 0;
    unsigned long long running = 0, waiting = 0;
    const int n = std::fscanf(f, "%llu %llu", &running, &waiting);
    std::fclose(f);
    return n == 2 ? waiting : 0;
}

double ThreadCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

bool Move(ovro::CQVTDoc& doc, IUserInterface& ui, std::int32_t target)
{
    CCANopenNode& node = *doc.Node();
    return SwitchModeOfOperation(node, ModeOfOperation::ProfilePosition, ui) && EnableOperation(node, ui) &&
           node.WriteU32(0x607A, 0, static_cast<std::uint32_t>(target)) &&
           StartDrive(node, Controlword::EnableOperation, ui) && StartDrive(node, Controlword::StartMotion, ui);
}

// The ring's positions against the wire's, in order: every wire frame the
// ring skips is a lost sample. A sample the witness did not see (its own
// endpoint missed the frame) is counted apart.
struct Comparison {
    long lost = 0;
    long unseen = 0;
};

Comparison Compare(const SampleRing& ring, const std::vector<std::int32_t>& wire)
{
    Comparison c;
    std::size_t j = 0;
    for (std::int32_t i = 0; i < ring.Count(); ++i) {
        const std::int32_t p = ring.At(ring.S() + i).position;
        std::size_t k = j;
        // The drive moves on: a frame is at most a few dozen frames away.
        while (k < wire.size() && k < j + 64 && wire[k] != p)
            ++k;
        if (k == wire.size() || wire[k] != p) {
            ++c.unseen;
            continue;
        }
        c.lost += static_cast<long>(k - j);
        j = k + 1;
    }
    return c;
}

int Run(const char* name, std::chrono::microseconds idleWait, std::int32_t samples, ovro::CQVTDoc& doc,
        CCANopenMaster& master, IUserInterface& ui, std::int32_t target)
{
    COscilloscopeData data;
    data.settings.SetChannels({RecordingSettings::kPosition, RecordingSettings::kVelocity,
                               RecordingSettings::kCurrent, RecordingSettings::kDemandedVelocity});
    data.settings.timeBase = 0;  // 1 ms
    CountingPlot plot;
    CRecording recording(data.settings, data.collector, master, ui);
    recording.SetDocument(&doc);
    recording.SetPlot(&plot);
    recording.SetIdleWait(idleWait);
    recording.Open();
    if (!Move(doc, ui, target)) {
        std::fprintf(stderr, "scope_recording: the drive does not move: %s\n", doc.Node()->GetAbortText(false).c_str());
        return 1;
    }
    Listener listener;
    if (!listener.Open()) {
        std::fprintf(stderr, "scope_recording: no second endpoint on the bus\n");
        return 1;
    }
    if (!recording.Start()) {
        std::fprintf(stderr, "scope_recording: the recording did not start\n");
        return 1;
    }
    const Clock::time_point begin = Clock::now();
    double cpu = 0;
    Clock::duration longest{}, total{}, longestOwn{};
    long ticks = 0, over30 = 0, ownOver30 = 0;
    Clock::time_point next = begin;
    while (data.ring.Count() < samples && Clock::now() - begin < std::chrono::seconds(90)) {
        next += CRecording::kTickPeriod;
        const double cpuBefore = ThreadCpu();
        const std::uint64_t waitBefore = RunQueueWait();
        const Clock::time_point t0 = Clock::now();
        recording.OnTimer();
        const Clock::duration held = Clock::now() - t0;
        // What the tick itself took: without the time the thread stood in
        // the run queue of a machine with too little processor for all.
        const Clock::duration own = held - std::chrono::nanoseconds(RunQueueWait() - waitBefore);
        cpu += ThreadCpu() - cpuBefore;
        longest = std::max(longest, held);
        longestOwn = std::max(longestOwn, own);
        total += held;
        ++ticks;
        if (held > std::chrono::milliseconds(30))
            ++over30;
        if (own > std::chrono::milliseconds(30))
            ++ownOver30;
        std::this_thread::sleep_until(next);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - begin).count();
    recording.Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    listener.Stop();
    recording.Close();
    const Comparison compared = Compare(data.ring, listener.Positions());
    const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::printf("%s\n", name);
    std::printf("  samples recorded          %d\n", data.ring.Count());
    std::printf("  samples lost              %ld (of %zu time-master PDOs the witness saw; %ld samples it missed)\n",
                compared.lost, listener.Positions().size(), compared.unseen);
    std::printf("  CPU used by collection    %.1f %% of a core (%.2f s in %.2f s)\n", 100.0 * cpu / wall, cpu, wall);
    std::printf("  tick held the UI thread   longest %.2f ms, mean %.2f ms, over 30 ms: %ld of %ld\n", ms(longest),
                ms(total) / double(std::max(ticks, 1L)), over30, ticks);
    std::printf("    without run-queue wait  longest %.2f ms, over 30 ms: %ld\n", ms(longestOwn), ownOver30);
    std::printf("  listener endpoint lost    %llu\n", static_cast<unsigned long long>(listener.EndpointLost()));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::int32_t samples =
        std::clamp<std::int32_t>(argc > 1 ? std::atoi(argv[1]) : SampleRing::kCapacity, 100, SampleRing::kCapacity);
    ovro::test::PrivateBus bus;
    if (!bus.create("ovro-scope-bench"))
        return 1;
    ::setenv("OVRO_CAN_CHANNEL", (std::string("virtual:") + kBus).c_str(), 1);
    ovro::test::SimProcess sim;
    if (!sim.start(bus.dir(), {"--model", "K315", "--node-id", "5", "--bitrate", "1000", "--bus", kBus, "--realtime",
                               "--description", OVRO_DESCRIPTION_FILE, "--eeprom", bus.path("eeprom")})) {
        std::fprintf(stderr, "scope_recording: the simulated drive did not start\n%s", sim.log().c_str());
        return 1;
    }
    ovro::CCommissioning description;
    if (!description.LoadDescription(OVRO_DESCRIPTION_FILE))
        return 1;
    CCANopenMaster master;
    if (!master.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_1000, 0)) {
        std::fprintf(stderr, "scope_recording: no interface, error %d\n", master.LastError());
        return 1;
    }
    master.SetSDOTimeout(500);
    PrintingUi ui;
    Connect chooser;
    ovro::DocumentEnvironment env;
    env.master = &master;
    env.commissioning = &description;
    env.ui = &ui;
    env.chooser = &chooser;
    ovro::CQVTDoc doc(env);
    if (!doc.OnNewDocument())
        return 1;
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("scope_recording: 4 channels, 1 ms, 1000 kBit/s, drive paced at wire time, %d samples, "
                "load average %.1f on %u cores\n",
                samples, load[0], std::thread::hardware_concurrency());
    int status = Run("busy wait (asks again at once)", std::chrono::microseconds(0), samples, doc, master, ui,
                     900'000);
    status |= Run("resting 200 us when no PDO waits", CRecording::kIdleWait, samples, doc, master, ui, -900'000);
    doc.OnCloseDocument();
    master.Terminate();
    return status;
}
