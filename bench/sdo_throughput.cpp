// sdo_throughput - figures of the SDO path of the software master: the whole
// stack (libmastergate.so -> libsoftmaster.so -> libpcan_usb.so -> virtual
// bus) against a ScriptedPeer on a private bus. Prints
//   - expedited SDO reads per second,
//   - segmented download throughput in KB/s,
//   - CPU seconds per wall-clock second while a COP_ReadSDO waits for an
//     answer that never comes (whole process, and the waiting thread alone).
// Usage: sdo_throughput [seconds per figure, default 2]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <cop/cop.h>

#include "ScriptedPeer.h"

namespace {

constexpr uint8_t kNode = 5;
constexpr uint8_t kSilentNode = 6;
const char* const kBus = "bench";

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double cpuSeconds(int who)
{
    rusage ru{};
    getrusage(who, &ru);
    auto s = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(ru.ru_utime) + s(ru.ru_stime);
}

bool timedOut(long& failures)
{
    if (COP_GetLastError() != COP_ERR_TIMEOUT)
        return false;
    ++failures;
    return true;
}

int fail(const char* what)
{
    std::fprintf(stderr, "sdo_throughput: %s failed, error %d\n", what, int(COP_GetLastError()));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    const double span = argc > 1 ? std::atof(argv[1]) : 2.0;
    char dir[] = "/tmp/ovro-bench.XXXXXX";
    if (!mkdtemp(dir)) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("OVRO_CANBUS_DIR", dir, 1);
    setenv("OVRO_CAN_CHANNEL", (std::string("virtual:") + kBus).c_str(), 1);

    int status = 0;
    {
        ovro::test::ScriptedPeer peer(kBus, kNode, 500000);
        if (!peer.isOpen()) {
            std::fprintf(stderr, "sdo_throughput: cannot open the peer's endpoint\n");
            return 1;
        }
        peer.setObject(0x2000, 1, {1, 2, 3, 4});
        peer.setObject(0x2F50, 1, {});

        if (!COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, COP_BAUD_500))
            return fail("COP_Initialize");
        if (!COP_AddNode(kNode) || !COP_AddNode(kSilentNode))
            return fail("COP_AddNode");
        COP_SetSDOTimeout(1000); // only a lost frame waits this long

        // A frame the bus dropped costs one time-out; it is counted, not fatal.
        long failures = 0;

        // Expedited reads.
        long reads = 0;
        uint8_t buf[8];
        int16_t len = 0;
        auto start = Clock::now();
        while (seconds(Clock::now() - start) < span) {
            for (int i = 0; i < 100; ++i, ++reads)
                if (!COP_ReadSDO(kNode, 0x2000, 1, &len, buf, sizeof buf) && !timedOut(failures))
                    return fail("COP_ReadSDO");
        }
        const double readRate = double(reads) / seconds(Clock::now() - start);

        // Segmented downloads of 32767 bytes.
        std::vector<uint8_t> block(32767);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = uint8_t(i);
        long bytes = 0;
        start = Clock::now();
        while (seconds(Clock::now() - start) < span) {
            if (COP_WriteSDO(kNode, 0x2F50, 1, int16_t(block.size()), block.data()))
                bytes += long(block.size());
            else if (!timedOut(failures))
                return fail("COP_WriteSDO");
        }
        const double kbPerSecond = double(bytes) / 1024.0 / seconds(Clock::now() - start);

        // Waiting for an answer that never comes.
        const uint16_t waitMs = uint16_t(span * 1000 > 60000 ? 60000 : span * 1000);
        COP_SetSDOTimeout(waitMs);
        const double processBefore = cpuSeconds(RUSAGE_SELF);
        const double threadBefore = cpuSeconds(RUSAGE_THREAD);
        start = Clock::now();
        const bool answered = COP_ReadSDO(kSilentNode, 0x2000, 1, &len, buf, sizeof buf);
        const double wall = seconds(Clock::now() - start);
        const double processCpu = (cpuSeconds(RUSAGE_SELF) - processBefore) / wall;
        const double threadCpu = (cpuSeconds(RUSAGE_THREAD) - threadBefore) / wall;
        if (answered || COP_GetLastError() != COP_ERR_TIMEOUT)
            status = fail("the silent read");

        std::printf("expedited SDO reads:        %10.0f reads/s (target >= 10000)\n", readRate);
        std::printf("segmented SDO download:     %10.1f KB/s\n", kbPerSecond);
        std::printf("CPU while waiting %.1f s:    %10.4f CPU s/s for the process, %.4f for the waiting thread (target < 0.05)\n",
                    wall, processCpu, threadCpu);
        if (failures)
            std::printf("transfers that timed out:   %10ld (frames lost on the bus)\n", failures);
        COP_Terminate();
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return status;
}
