#include "FakeSocketCan.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ovro::test {

FakeSocketCan::FakeSocketCan()
{
    ops_ = {open, bitrate, setBitrate, isUp, bringUp, list, this};
    socketcan_set_ops(&ops_);
}

FakeSocketCan::~FakeSocketCan()
{
    socketcan_set_ops(nullptr);
    for (auto& [name, entry] : interfaces_) {
        if (entry.peer >= 0)
            ::close(entry.peer);
    }
}

void FakeSocketCan::add(const std::string& name, Interface state)
{
    std::lock_guard lock(mutex_);
    interfaces_[name].state = state;
}

FakeSocketCan::Interface FakeSocketCan::state(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    auto it = interfaces_.find(name);
    return it == interfaces_.end() ? Interface{} : it->second.state;
}

int FakeSocketCan::peer(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    auto it = interfaces_.find(name);
    return it == interfaces_.end() ? -1 : it->second.peer;
}

void FakeSocketCan::closePeer(const std::string& name)
{
    std::lock_guard lock(mutex_);
    auto it = interfaces_.find(name);
    if (it != interfaces_.end() && it->second.peer >= 0) {
        ::close(it->second.peer);
        it->second.peer = -1;
    }
}

std::uint32_t FakeSocketCan::errorMask(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    auto it = interfaces_.find(name);
    return it == interfaces_.end() ? 0 : it->second.mask;
}

int FakeSocketCan::opens(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    auto it = interfaces_.find(name);
    return it == interfaces_.end() ? 0 : it->second.opens;
}

std::vector<std::uint32_t> FakeSocketCan::ratesSet(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    auto it = interfaces_.find(name);
    return it == interfaces_.end() ? std::vector<std::uint32_t>{} : it->second.rates;
}

int FakeSocketCan::open(void* context, const char* name, std::uint32_t mask)
{
    auto* self = static_cast<FakeSocketCan*>(context);
    std::lock_guard lock(self->mutex_);
    auto it = self->interfaces_.find(name);
    if (it == self->interfaces_.end())
        return -ENODEV;
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0)
        return -errno;
    // The test's end of an earlier socket goes: its owner closed or will close it.
    if (it->second.peer >= 0)
        ::close(it->second.peer);
    it->second.peer = fds[1];
    it->second.mask = mask;
    ++it->second.opens;
    return fds[0];
}

int FakeSocketCan::bitrate(void* context, const char* name, std::uint32_t* rate)
{
    auto* self = static_cast<FakeSocketCan*>(context);
    std::lock_guard lock(self->mutex_);
    auto it = self->interfaces_.find(name);
    if (it == self->interfaces_.end())
        return -ENODEV;
    *rate = it->second.state.bitrate;
    return 0;
}

int FakeSocketCan::setBitrate(void* context, const char* name, std::uint32_t rate)
{
    auto* self = static_cast<FakeSocketCan*>(context);
    std::lock_guard lock(self->mutex_);
    auto it = self->interfaces_.find(name);
    if (it == self->interfaces_.end())
        return -ENODEV;
    if (!it->second.state.mayChangeBitrate)
        return -EPERM;
    it->second.state.bitrate = rate;
    it->second.rates.push_back(rate);
    return 0;
}

int FakeSocketCan::isUp(void* context, const char* name)
{
    auto* self = static_cast<FakeSocketCan*>(context);
    std::lock_guard lock(self->mutex_);
    auto it = self->interfaces_.find(name);
    if (it == self->interfaces_.end())
        return -ENODEV;
    return it->second.state.up ? 1 : 0;
}

int FakeSocketCan::bringUp(void* context, const char* name)
{
    auto* self = static_cast<FakeSocketCan*>(context);
    std::lock_guard lock(self->mutex_);
    auto it = self->interfaces_.find(name);
    if (it == self->interfaces_.end())
        return -ENODEV;
    if (!it->second.state.mayBringUp)
        return -EPERM;
    it->second.state.up = true;
    return 0;
}

std::size_t FakeSocketCan::list(void* context, char (*names)[SOCKETCAN_NAME_SIZE], std::size_t max)
{
    auto* self = static_cast<FakeSocketCan*>(context);
    std::lock_guard lock(self->mutex_);
    std::size_t i = 0;
    for (const auto& [name, entry] : self->interfaces_) {
        if (i < max && names) {
            std::memset(names[i], 0, SOCKETCAN_NAME_SIZE);
            std::strncpy(names[i], name.c_str(), SOCKETCAN_NAME_SIZE - 1);
        }
        ++i;
    }
    return i;
}

bool FakeSocketCan::writeFrame(int fd, const can_frame& frame)
{
    return ::write(fd, &frame, sizeof frame) == static_cast<ssize_t>(sizeof frame);
}

bool FakeSocketCan::readFrame(int fd, can_frame& frame, int timeoutMs)
{
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0)
        return false;
    return ::read(fd, &frame, sizeof frame) == static_cast<ssize_t>(sizeof frame);
}

can_frame FakeSocketCan::frame(std::uint32_t id, std::vector<std::uint8_t> data)
{
    can_frame f;
    std::memset(&f, 0, sizeof f);
    f.can_id = id;
    f.len = static_cast<std::uint8_t>(data.size() > 8 ? 8 : data.size());
    if (f.len != 0)
        std::memcpy(f.data, data.data(), f.len);
    return f;
}

}  // namespace ovro::test
