// The C interface of the virtual bus endpoint and its wire form.
#include <canbus/canbus.h>

#include "BusDirectory.h"
#include "Endpoint.h"
#include "WireTime.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

using ovro::canbus::BusDirectory;
using ovro::canbus::Endpoint;

struct canbus_endpoint {
    std::unique_ptr<Endpoint> impl;
};

namespace {

void putLe32(std::uint8_t* out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getLe32(const std::uint8_t* in)
{
    return static_cast<std::uint32_t>(in[0]) | static_cast<std::uint32_t>(in[1]) << 8 |
           static_cast<std::uint32_t>(in[2]) << 16 | static_cast<std::uint32_t>(in[3]) << 24;
}

}  // namespace

extern "C" {

void canbus_encode(const canbus_frame* frame, uint8_t out[CANBUS_FRAME_SIZE])
{
    std::memset(out, 0, CANBUS_FRAME_SIZE);
    std::uint8_t len = frame->len > 8 ? 8 : frame->len;
    putLe32(out, frame->id);
    out[4] = len;
    // Remote requests carry no data; unused bytes stay zero.
    if (!(frame->id & CANBUS_RTR_FLAG))
        std::memcpy(out + 8, frame->data, len);
    putLe32(out + 16, frame->bitrate);
}

int canbus_decode(const uint8_t* in, size_t size, canbus_frame* frame)
{
    if (!in || !frame || size != CANBUS_FRAME_SIZE || in[4] > 8)
        return 0;
    canbus_frame f{};
    f.id = getLe32(in);
    f.len = in[4];
    if (!(f.id & CANBUS_RTR_FLAG))
        std::memcpy(f.data, in + 8, f.len);
    f.bitrate = getLe32(in + 16);
    *frame = f;
    return 1;
}

char* canbus_directory(const char* name, char* buf, size_t size)
{
    std::string path = BusDirectory::pathOf(name);
    if (path.empty() || !buf || path.size() >= size)
        return nullptr;
    std::memcpy(buf, path.c_str(), path.size() + 1);
    return buf;
}

canbus_endpoint* canbus_open(const char* name, uint32_t bitrate, int* err)
{
    const char* wire = std::getenv("OVRO_CANBUS_WIRE_TIME");
    const bool wireTime = wire && (std::strcmp(wire, "1") == 0 || std::strcmp(wire, "on") == 0 ||
                                   std::strcmp(wire, "yes") == 0);
    return canbus_open_with(name, bitrate, wireTime ? CANBUS_WIRE_TIME : 0u, err);
}

canbus_endpoint* canbus_open_with(const char* name, uint32_t bitrate, unsigned flags, int* err)
{
    canbus_endpoint* ep = new (std::nothrow) canbus_endpoint;
    if (!ep) {
        if (err)
            *err = ENOMEM;
        return nullptr;
    }
    ep->impl = Endpoint::open(name, bitrate, (flags & CANBUS_WIRE_TIME) != 0, err);
    if (!ep->impl) {
        delete ep;
        return nullptr;
    }
    return ep;
}

void canbus_close(canbus_endpoint* ep)
{
    delete ep;
}

void canbus_set_bitrate(canbus_endpoint* ep, uint32_t bitrate)
{
    if (ep)
        ep->impl->setBitrate(bitrate);
}

uint32_t canbus_bitrate(const canbus_endpoint* ep)
{
    return ep ? ep->impl->bitrate() : 0;
}

int canbus_send(canbus_endpoint* ep, const canbus_frame* frame)
{
    if (!ep || !frame)
        return -EINVAL;
    return ep->impl->send(*frame);
}

int canbus_receive_us(canbus_endpoint* ep, canbus_frame* frame, int64_t timeout_us)
{
    if (!ep || !frame)
        return 0;
    return ep->impl->receive(*frame, std::chrono::microseconds(timeout_us < 0 ? -1 : timeout_us)) ? 1 : 0;
}

int canbus_receive(canbus_endpoint* ep, canbus_frame* frame, int timeout_ms)
{
    return canbus_receive_us(ep, frame, timeout_ms < 0 ? -1 : int64_t(timeout_ms) * 1000);
}

int canbus_wire_timed(canbus_endpoint* ep)
{
    return ep && ep->impl->wireTimed() ? 1 : 0;
}

uint32_t canbus_frame_bits(const canbus_frame* frame)
{
    return frame ? ovro::canbus::WireTime::bits(*frame) : 0;
}

int64_t canbus_wire_time_ns(const canbus_frame* frame, uint32_t bitrate)
{
    return frame ? ovro::canbus::WireTime::nanoseconds(*frame, bitrate) : 0;
}

int canbus_set_wake_fd(canbus_endpoint* ep, int fd)
{
    if (!ep)
        return -EINVAL;
    return -ep->impl->setWakeFd(fd);
}

size_t canbus_pending(canbus_endpoint* ep)
{
    return ep ? ep->impl->queue().size() : 0;
}

uint64_t canbus_take_lost(canbus_endpoint* ep)
{
    return ep ? ep->impl->queue().takeLost() : 0;
}

void canbus_flush(canbus_endpoint* ep)
{
    if (ep)
        ep->impl->queue().clear();
}

}  // extern "C"
