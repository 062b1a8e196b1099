#include "BusClient.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {
using Clock = std::chrono::steady_clock;

uint32_t sdoAbort(const canbus_frame& f)
{
    return uint32_t(f.data[4]) | uint32_t(f.data[5]) << 8 | uint32_t(f.data[6]) << 16 | uint32_t(f.data[7]) << 24;
}
}  // namespace

BusClient::BusClient(const std::string& bus, uint32_t bitrate)
{
    m_ep = canbus_open(bus.c_str(), bitrate, nullptr);
}

BusClient::~BusClient()
{
    canbus_close(m_ep);
}

void BusClient::send(uint32_t id, std::vector<uint8_t> data)
{
    canbus_frame f{};
    f.id = id;
    f.len = uint8_t(std::min<size_t>(data.size(), 8));
    std::copy(data.begin(), data.begin() + f.len, f.data);
    canbus_send(m_ep, &f);
}

void BusClient::flush()
{
    m_aside.clear();
    canbus_flush(m_ep);
}

std::optional<canbus_frame> BusClient::waitFor(uint32_t id, int timeoutMs)
{
    for (auto it = m_aside.begin(); it != m_aside.end(); ++it) {
        if (it->id == id) {
            canbus_frame f = *it;
            m_aside.erase(it);
            return f;
        }
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return std::nullopt;
        canbus_frame f{};
        if (canbus_receive_us(m_ep, &f, left) != 1)
            return std::nullopt;
        if (f.id == id)
            return f;
        if (m_aside.size() < 10000)
            m_aside.push_back(f);
    }
}

std::vector<canbus_frame> BusClient::collect(uint32_t id, int durationMs)
{
    std::vector<canbus_frame> frames;
    const auto deadline = Clock::now() + std::chrono::milliseconds(durationMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            break;
        if (auto f = waitFor(id, int(left)))
            frames.push_back(*f);
    }
    return frames;
}

std::optional<canbus_frame> BusClient::sdoExchange(uint8_t node, const uint8_t request[8])
{
    send(0x600u + node, std::vector<uint8_t>(request, request + 8));
    return waitFor(0x580u + node, 500);
}

int64_t BusClient::upload(uint8_t node, uint16_t index, uint8_t sub, std::vector<uint8_t>& out)
{
    out.clear();
    uint8_t req[8] = {0x40, uint8_t(index), uint8_t(index >> 8), sub, 0, 0, 0, 0};
    auto a = sdoExchange(node, req);
    if (!a)
        return kTimeout;
    if (a->len != 8)
        return kBadAnswer;
    if (a->data[0] == 0x80)
        return sdoAbort(*a);
    if ((a->data[0] & 0xE0) != 0x40)
        return kBadAnswer;
    if (a->data[0] & 0x02) {
        const size_t n = (a->data[0] & 0x01) ? 4 - ((a->data[0] >> 2) & 3) : 4;
        out.assign(a->data + 4, a->data + 4 + n);
        return 0;
    }
    uint8_t toggle = 0;
    for (int segments = 0; segments < 100000; ++segments) {
        uint8_t seg[8] = {uint8_t(0x60 | toggle), 0, 0, 0, 0, 0, 0, 0};
        auto s = sdoExchange(node, seg);
        if (!s)
            return kTimeout;
        if (s->len != 8)
            return kBadAnswer;
        if (s->data[0] == 0x80)
            return sdoAbort(*s);
        if ((s->data[0] & 0xE0) != 0x00 || (s->data[0] & 0x10) != toggle)
            return kBadAnswer;
        const size_t n = 7 - ((s->data[0] >> 1) & 7);
        out.insert(out.end(), s->data + 1, s->data + 1 + n);
        if (s->data[0] & 0x01)
            return 0;
        toggle ^= 0x10;
    }
    return kBadAnswer;
}

int64_t BusClient::download(uint8_t node, uint16_t index, uint8_t sub, const std::vector<uint8_t>& data)
{
    if (data.empty() || data.size() > 4)
        return downloadSegmented(node, index, sub, data);
    uint8_t req[8] = {uint8_t(0x23 | ((4 - data.size()) << 2)), uint8_t(index), uint8_t(index >> 8), sub, 0, 0, 0, 0};
    std::copy(data.begin(), data.end(), req + 4);
    auto a = sdoExchange(node, req);
    if (!a)
        return kTimeout;
    if (a->len != 8)
        return kBadAnswer;
    if (a->data[0] == 0x80)
        return sdoAbort(*a);
    return a->data[0] == 0x60 ? 0 : kBadAnswer;
}

int64_t BusClient::downloadSegmented(uint8_t node, uint16_t index, uint8_t sub, const std::vector<uint8_t>& data)
{
    const uint32_t size = uint32_t(data.size());
    uint8_t req[8] = {0x21, uint8_t(index), uint8_t(index >> 8), sub, uint8_t(size), uint8_t(size >> 8),
                      uint8_t(size >> 16), uint8_t(size >> 24)};
    auto a = sdoExchange(node, req);
    if (!a)
        return kTimeout;
    if (a->data[0] == 0x80)
        return sdoAbort(*a);
    if (a->data[0] != 0x60)
        return kBadAnswer;
    size_t offset = 0;
    uint8_t toggle = 0;
    do {
        const size_t n = std::min<size_t>(7, data.size() - offset);
        const bool last = offset + n >= data.size();
        uint8_t seg[8] = {uint8_t(toggle | ((7 - n) << 1) | (last ? 1 : 0)), 0, 0, 0, 0, 0, 0, 0};
        std::copy(data.begin() + long(offset), data.begin() + long(offset + n), seg + 1);
        auto s = sdoExchange(node, seg);
        if (!s)
            return kTimeout;
        if (s->data[0] == 0x80)
            return sdoAbort(*s);
        if ((s->data[0] & 0xE0) != 0x20 || (s->data[0] & 0x10) != toggle)
            return kBadAnswer;
        offset += n;
        toggle ^= 0x10;
    } while (offset < data.size());
    return 0;
}

int64_t BusClient::uploadU32(uint8_t node, uint16_t index, uint8_t sub, uint32_t& value)
{
    std::vector<uint8_t> bytes;
    const int64_t r = upload(node, index, sub, bytes);
    value = 0;
    for (size_t i = 0; i < bytes.size() && i < 4; ++i)
        value |= uint32_t(bytes[i]) << (8 * i);
    return r;
}

int64_t BusClient::downloadU32(uint8_t node, uint16_t index, uint8_t sub, uint32_t value, size_t size)
{
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < size; ++i)
        bytes.push_back(uint8_t(value >> (8 * i)));
    return download(node, index, sub, bytes);
}

std::optional<std::vector<uint8_t>> BusClient::lmt(std::vector<uint8_t> request, bool confirmed)
{
    request.resize(8, 0);
    send(0x7E5, request);
    if (!confirmed)
        return std::nullopt;
    auto a = waitFor(0x7E4, 500);
    if (!a)
        return std::nullopt;
    return std::vector<uint8_t>(a->data, a->data + a->len);
}
