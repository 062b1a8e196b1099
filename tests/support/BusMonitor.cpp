#include "BusMonitor.h"

#include <cstdio>

namespace ovro::test {

namespace {
constexpr std::uint32_t kSdoRequestBase = 0x600;
constexpr std::uint8_t kInitiateUpload = 0x40;
constexpr std::uint8_t kCommandMask = 0xE0;
constexpr std::uint8_t kInitiateDownload = 0x20;
constexpr std::uint8_t kExpedited = 0x02;
constexpr std::uint8_t kSizeIndicated = 0x01;
} // namespace

BusMonitor::BusMonitor(const std::string& bus)
{
    ep_ = canbus_open(bus.c_str(), 0, nullptr);
}

BusMonitor::~BusMonitor()
{
    canbus_close(ep_);
}

void BusMonitor::collect(int quietMs)
{
    if (ep_ == nullptr)
        return;
    canbus_frame frame;
    while (canbus_receive(ep_, &frame, quietMs) == 1)
        frames_.push_back(frame);
}

void BusMonitor::clear()
{
    collect();
    frames_.clear();
}

const std::vector<canbus_frame>& BusMonitor::frames()
{
    collect();
    return frames_;
}

std::vector<BusMonitor::SdoRequest> BusMonitor::sdoRequests(std::uint8_t nodeId)
{
    std::vector<SdoRequest> requests;
    for (const canbus_frame& f : frames()) {
        if ((f.id & (CANBUS_EFF_FLAG | CANBUS_RTR_FLAG | CANBUS_ERR_FLAG)) != 0 ||
            (f.id & CANBUS_SFF_MASK) != kSdoRequestBase + nodeId || f.len != 8)
            continue;
        SdoRequest r;
        r.index = static_cast<std::uint16_t>(f.data[1] | (f.data[2] << 8));
        r.sub = f.data[3];
        const std::uint8_t command = f.data[0];
        if (command == kInitiateUpload) {
            requests.push_back(r);
        } else if ((command & kCommandMask) == kInitiateDownload && (command & kExpedited) != 0) {
            r.write = true;
            r.size = (command & kSizeIndicated) != 0 ? static_cast<std::uint8_t>(4 - ((command >> 2) & 3)) : 4;
            for (int i = 0; i < r.size; ++i)
                r.value |= static_cast<std::uint32_t>(f.data[4 + i]) << (8 * i);
            requests.push_back(r);
        }
    }
    return requests;
}

std::vector<std::uint16_t> BusMonitor::controlwords(std::uint8_t nodeId)
{
    std::vector<std::uint16_t> values;
    for (const SdoRequest& r : sdoRequests(nodeId))
        if (r.write && r.index == 0x6040 && r.sub == 0)
            values.push_back(static_cast<std::uint16_t>(r.value));
    return values;
}

std::string BusMonitor::text(const SdoRequest& r)
{
    char line[48];
    if (r.write)
        std::snprintf(line, sizeof line, "W %04X/%02X=%0*X", r.index, r.sub, 2 * r.size, r.value);
    else
        std::snprintf(line, sizeof line, "R %04X/%02X", r.index, r.sub);
    return line;
}

std::string BusMonitor::text(const std::vector<SdoRequest>& requests)
{
    std::string all;
    for (const SdoRequest& r : requests)
        all += (all.empty() ? "" : ", ") + text(r);
    return all;
}

BusMonitor::SdoRequest BusMonitor::read(std::uint16_t index, std::uint8_t sub)
{
    SdoRequest r;
    r.index = index;
    r.sub = sub;
    return r;
}

BusMonitor::SdoRequest BusMonitor::write(std::uint16_t index, std::uint8_t sub, std::uint32_t value,
                                         std::uint8_t size)
{
    SdoRequest r;
    r.write = true;
    r.index = index;
    r.sub = sub;
    r.value = value;
    r.size = size;
    return r;
}

} // namespace ovro::test
