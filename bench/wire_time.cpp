// wire_time - how close the whole stack comes to the wire on a wire-timed
// virtual bus (see libs/canbus/README.md, "Wire time"). libmastergate.so ->
// libsoftmaster.so -> libpcan_usb.so and the bus, against
//   - ovro-drive-sim --realtime: expedited reads,
//   - a ScriptedPeer in this process: a segmented download,
// at 1000 and 125 kbit/s. Prints each figure with its wire limit: the time
// of its frames alone (135 bits for each frame of 8 data bytes), the bus
// never idle.
// Usage: wire_time [seconds per figure, default 1]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <canbus/canbus.h>
#include <cop/cop.h>

#include "ScriptedPeer.h"
#include "SimProcess.h"

namespace {

constexpr uint8_t kNode = 5;
const char* const kBus = "wire";
using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double frameSeconds(uint32_t bitrate)
{
    canbus_frame sdo{};
    sdo.id = 0x605;
    sdo.len = 8;
    return double(canbus_wire_time_ns(&sdo, bitrate)) / 1e9;
}

struct Rate {
    unsigned kbit;
    uint8_t code;
};

// Expedited reads per second against the simulator; 2 frames each.
bool reads(const std::string& dir, const Rate& rate, double span, double& perSecond)
{
    ovro::test::SimProcess sim;
    if (!sim.start(dir, {"--node-id", "5", "--bitrate", std::to_string(rate.kbit), "--bus", kBus, "--realtime"})) {
        std::fprintf(stderr, "wire_time: ovro-drive-sim did not start\n%s", sim.log().c_str());
        return false;
    }
    if (!COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, rate.code) || !COP_AddNode(kNode))
        return false;
    COP_SetSDOTimeout(1000);
    long count = 0;
    uint8_t buf[8];
    int16_t len = 0;
    bool ok = true;
    const auto start = Clock::now();
    while (ok && seconds(Clock::now() - start) < span) {
        ok = COP_ReadSDO(kNode, 0x1000, 0, &len, buf, sizeof buf);
        ++count;
    }
    perSecond = double(count) / seconds(Clock::now() - start);
    COP_Terminate();
    return ok;
}

// KB/s of segmented downloads of `bytes` to a ScriptedPeer.
bool downloads(const Rate& rate, std::size_t bytes, double span, double& kbPerSecond)
{
    ovro::test::ScriptedPeer peer(kBus, kNode, rate.kbit * 1000);
    if (!peer.isOpen())
        return false;
    peer.setObject(0x2F50, 1, {});
    if (!COP_Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, nullptr, rate.code) || !COP_AddNode(kNode))
        return false;
    COP_SetSDOTimeout(1000);
    std::vector<uint8_t> block(bytes);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = uint8_t(i);
    long sent = 0;
    bool ok = true;
    const auto start = Clock::now();
    while (ok && seconds(Clock::now() - start) < span) {
        ok = COP_WriteSDO(kNode, 0x2F50, 1, int16_t(block.size()), block.data());
        sent += ok ? long(block.size()) : 0;
    }
    kbPerSecond = double(sent) / 1024.0 / seconds(Clock::now() - start);
    COP_Terminate();
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const double span = argc > 1 ? std::max(0.2, std::atof(argv[1])) : 1.0;
    char pattern[] = "/tmp/ovro-bench-wire-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::string dir = pattern;
    setenv("OVRO_CANBUS_DIR", dir.c_str(), 1);
    setenv("OVRO_CAN_CHANNEL", (std::string("virtual:") + kBus).c_str(), 1);

    int status = 0;
    std::printf("on a wire-timed bus (share of the wire limit: the frames' time alone):\n");
    for (const Rate rate : {Rate{1000, COP_BAUD_1000}, Rate{125, COP_BAUD_125}}) {
        const double frame = frameSeconds(rate.kbit * 1000);
        double perSecond = 0, kb = 0;
        const std::size_t bytes = 137;  // a firmware page: initiate and 20 segments
        if (!reads(dir, rate, span, perSecond)) {
            std::fprintf(stderr, "wire_time: reads at %u kbit/s failed, error %d\n", rate.kbit,
                         int(COP_GetLastError()));
            status = 1;
        }
        setenv("OVRO_CANBUS_WIRE_TIME", "1", 1);  // no simulator to ask for it
        if (!downloads(rate, bytes, span, kb)) {
            std::fprintf(stderr, "wire_time: downloads at %u kbit/s failed, error %d\n", rate.kbit,
                         int(COP_GetLastError()));
            status = 1;
        }
        unsetenv("OVRO_CANBUS_WIRE_TIME");
        const double readLimit = 1.0 / (2 * frame);
        const double frames = 2.0 + 2.0 * double((bytes + 6) / 7);
        const double kbLimit = double(bytes) / 1024.0 / (frames * frame);
        std::printf("  %4u kbit/s, frame of 8 bytes %.0f us:\n", rate.kbit, frame * 1e6);
        std::printf("    expedited reads (simulator):   %8.0f reads/s, limit %6.0f: %5.1f %%\n", perSecond, readLimit,
                    100.0 * perSecond / readLimit);
        std::printf("    %zu-byte downloads (peer):     %8.2f KB/s,    limit %6.2f: %5.1f %%\n", bytes, kb, kbLimit,
                    100.0 * kb / kbLimit);
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return status;
}
