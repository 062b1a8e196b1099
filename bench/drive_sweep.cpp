// drive_sweep - 127 simulated drives (node-ids 1..127, ovro-drive-sim
// processes) on one private virtual bus at 500 kbit/s, and the software
// master through libmastergate.so. Prints
//   - the idle CPU of each simulated drive (mean and the busiest one),
//   - the time of a node sweep (COP_SearchNode 1..127) against its ideal:
//     one read per present node plus one time-out per absent one, first
//     with every drive present, then with every eighth drive silenced.
// Usage: drive_sweep [seconds of idle measurement, default 5]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <cop/cop.h>

#include "SimProcess.h"

namespace {

constexpr int kDrives = 127;
constexpr uint16_t kTimeoutMs = 50;
const char* const kBus = "sweep";

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// CPU time of a process in seconds: the run time of all its threads, from
// /proc (schedstat counts in nanoseconds, stat only in clock ticks).
double processCpuSeconds(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    double total = 0;
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
        std::ifstream in(task.path() / "schedstat");
        double ns = 0;
        if (in >> ns)
            total += ns / 1e9;
    }
    return total;
}

int fail(const char* what)
{
    std::fprintf(stderr, "drive_sweep: %s failed, error %d\n", what, int(COP_GetLastError()));
    return 1;
}

// One sweep over 1..127: the time, and the ids that answered.
double sweep(int& found)
{
    found = 0;
    const auto start = Clock::now();
    for (int node = 1; node <= kDrives; ++node)
        if (COP_SearchNode(uint8_t(node)))
            ++found;
    return seconds(Clock::now() - start);
}

}  // namespace

int main(int argc, char** argv)
{
    const double idleSpan = argc > 1 ? std::atof(argv[1]) : 5.0;
    char dir[] = "/tmp/ovro-sweep.XXXXXX";
    if (!mkdtemp(dir)) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("OVRO_CANBUS_DIR", dir, 1);
    setenv("OVRO_CAN_CHANNEL", (std::string("virtual:") + kBus).c_str(), 1);

    int status = 0;
    {
        std::vector<std::unique_ptr<ovro::test::SimProcess>> drives;
        for (int node = 1; node <= kDrives; ++node) {
            drives.push_back(std::make_unique<ovro::test::SimProcess>());
            if (!drives.back()->launch(dir, {"--node-id", std::to_string(node), "--bitrate", "500", "--bus", kBus})) {
                std::fprintf(stderr, "drive_sweep: cannot start drive %d\n", node);
                return 1;
            }
        }
        for (int node = 1; node <= kDrives; ++node) {
            if (!drives[size_t(node - 1)]->waitUntilUp(60000)) {
                std::fprintf(stderr, "drive_sweep: drive %d did not come up\n%s", node,
                             drives[size_t(node - 1)]->log().c_str());
                return 1;
            }
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));  // start-up work done

        // Idle: nobody talks on the bus.
        std::vector<double> before;
        for (auto& d : drives)
            before.push_back(processCpuSeconds(d->pid()));
        const auto idleStart = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(idleSpan));
        const double idleWall = seconds(Clock::now() - idleStart);
        std::vector<double> idle;
        for (size_t i = 0; i < drives.size(); ++i)
            idle.push_back((processCpuSeconds(drives[i]->pid()) - before[i]) / idleWall * 100.0);
        double mean = 0;
        for (double v : idle)
            mean += v;
        mean /= double(idle.size());
        const double busiest = *std::max_element(idle.begin(), idle.end());

        if (!COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500))
            return fail("COP_Initialize");
        COP_SetSDOTimeout(kTimeoutMs);

        // One read of a present node, as the unit of the ideal.
        std::vector<double> reads;
        int missed = 0;
        for (int i = 0; i < 200; ++i) {
            const auto t = Clock::now();
            if (COP_SearchNode(uint8_t(1 + i % kDrives)))
                reads.push_back(seconds(Clock::now() - t));
            else
                ++missed;
        }
        if (reads.empty())
            return fail("COP_SearchNode of a present drive");
        std::sort(reads.begin(), reads.end());
        const double read = reads[reads.size() / 2];

        int found = 0;
        const double all = sweep(found);
        const double allIdeal = kDrives * read;
        const int foundAll = found;

        int silenced = 0;
        for (int node = 8; node <= kDrives; node += 8, ++silenced)
            drives[size_t(node - 1)]->control("silent");
        const double gaps = sweep(found);
        const double gapsIdeal = (kDrives - silenced) * read + silenced * kTimeoutMs / 1000.0;
        COP_Terminate();

        std::printf("%d simulated drives on one bus at 500 kbit/s:\n", kDrives);
        std::printf("  idle CPU per drive:         %10.3f %% of a core on average, %.3f %% the busiest (target <= 1)\n",
                    mean, busiest);
        std::printf("  one read of a present node: %10.1f us (median of %zu; %d of 200 timed out)\n", read * 1e6,
                    reads.size(), missed);
        std::printf("  sweep, all present:         %10.1f ms for %d found, ideal %.1f ms (%.2f times)\n", all * 1e3,
                    foundAll, allIdeal * 1e3, all / allIdeal);
        std::printf("  sweep, %d silent:           %10.1f ms for %d found, ideal %.1f ms (%.2f times; %u ms time-out)\n",
                    silenced, gaps * 1e3, found, gapsIdeal * 1e3, gaps / gapsIdeal, unsigned(kTimeoutMs));
        if (foundAll != kDrives || found != kDrives - silenced)
            status = 1;
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return status;
}
