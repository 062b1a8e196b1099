// DriveSimFuzzer.cpp - libFuzzer target: a hostile master against the
// simulated drive. Each input is a run of frames (SDO requests and
// segments, LMT services, NMT commands, SYNC, PDOs, remote requests, any
// identifier) with pauses between them, fed to a freshly started K315 (or
// H315); every frame the drive sends must be a well-formed CAN frame, and
// an SDO answer must name a command the client can take.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "CanPort.h"
#include "CommandLine.h"
#include "SimulatedNode.h"

namespace {

constexpr uint8_t kNode = 5;

class FuzzPort : public CanPort {
public:
    bool send(const canbus_frame& frame) override
    {
        if (frame.len > 8)
            std::abort();  // the drive built a frame no bus carries
        const uint32_t id = frame.id & CANBUS_SFF_MASK;
        if (id == 0x580u + kNode && !(frame.id & CANBUS_RTR_FLAG) && frame.len == 8) {
            const uint8_t command = frame.data[0] >> 5;
            // Server command specifiers: 0 upload segment, 1 download segment,
            // 2 initiate upload, 3 initiate download, 4 abort.
            if (command > 4)
                std::abort();
        }
        ++sent;
        return true;
    }
    bool receive(canbus_frame&, int64_t) override { return false; }
    void setWakeFd(int) override {}
    void setBitrate(uint32_t) override {}
    std::string describe() const override { return "fuzz"; }
    unsigned long sent = 0;
};

// The fuzz input, consumed as the run goes.
struct Input {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    uint8_t next() { return pos < size ? data[pos++] : 0; }
    bool empty() const { return pos >= size; }
};

uint32_t pickIdentifier(Input& in)
{
    const uint8_t sel = in.next();
    switch (sel & 0x0F) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4: return 0x600 + kNode;                       // SDO request
    case 5:
    case 6: return 0x7E5;                               // LMT
    case 7: return 0x000;                               // NMT
    case 8: return 0x080;                               // SYNC
    case 9: return 0x200 + 0x100 * (in.next() & 3) + kNode;  // RPDO 1..4
    case 10: return 0x700 + kNode;                      // node guarding
    case 11: return 0x600 + (in.next() & 0x7F);         // another node's SDO
    default: return (uint32_t(in.next()) << 8 | in.next()) & 0x7FF;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    Input in{data, size};
    SimOptions options;
    options.model = (in.next() & 1) ? DriveModel::H315 : DriveModel::K315;
    options.nodeId = kNode;
    options.quiet = true;
    FuzzPort port;
    SimulatedNode node(options, port);
    std::string error;
    if (!node.start(error))
        std::abort();
    while (!in.empty()) {
        canbus_frame frame{};
        frame.id = pickIdentifier(in);
        const uint8_t flags = in.next();
        if ((flags & 0xE0) == 0xE0)
            frame.id |= CANBUS_RTR_FLAG;
        else if ((flags & 0xF0) == 0xD0)
            frame.id |= CANBUS_EFF_FLAG | uint32_t(in.next()) << 11;
        frame.len = flags & 0x0F;
        if (frame.len > 8)
            frame.len = 8;  // no bus delivers more
        for (uint8_t i = 0; i < frame.len; ++i)
            frame.data[i] = in.next();
        node.handleFrame(frame);
        // A pause before the next frame: LMT switch delays, motion, heartbeats.
        const uint8_t pause = in.next();
        if (pause & 0x80)
            node.tick(pause & 0x7F);
    }
    return 0;
}
