#include "Endpoint.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>
#include <vector>

namespace ovro::canbus {

namespace {

using Clock = std::chrono::steady_clock;

// A peer whose queue stays full this long misses the frame.
constexpr auto kFullPeerRetry = std::chrono::milliseconds(2);
// A refusing peer is only taken for dead when it still refuses after this
// pause: a socket file exists a moment before its socket accepts datagrams.
constexpr auto kRefusedGrace = std::chrono::microseconds(300);
constexpr auto kRetryPause = std::chrono::microseconds(20);

std::atomic<unsigned> nameCounter{0};

bool makeAddress(const std::string& path, sockaddr_un& addr)
{
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

struct Pending {
    std::string path;
    sockaddr_un addr;
    bool refused;
    Clock::time_point refusedAt;
};

}  // namespace

Endpoint::Endpoint(BusDirectory dir, std::uint32_t bitrate)
    : dir_(std::move(dir)), bitrate_(bitrate), queue_(CANBUS_QUEUE_FRAMES)
{
}

std::unique_ptr<Endpoint> Endpoint::open(const char* name, std::uint32_t bitrate, int* err)
{
    int dummy = 0;
    int& error = err ? *err : dummy;
    std::string path = BusDirectory::pathOf(name);
    if (path.empty()) {
        error = EINVAL;
        return nullptr;
    }
    std::unique_ptr<Endpoint> ep;
    try {
        ep.reset(new Endpoint(BusDirectory(path), bitrate));
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
        return nullptr;
    }
    if ((error = ep->dir_.create()) != 0)
        return nullptr;
    ep->socket_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (ep->socket_ < 0) {
        error = errno;
        return nullptr;
    }
    if ((error = ep->bindUnique()) != 0)
        return nullptr;
    ep->stopEvent_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (ep->stopEvent_ < 0) {
        error = errno;
        return nullptr;
    }
    try {
        ep->reader_ = std::thread(&Endpoint::readLoop, ep.get());
    } catch (const std::system_error& e) {
        error = e.code().value() ? e.code().value() : EAGAIN;
        return nullptr;
    }
    error = 0;
    return ep;
}

int Endpoint::bindUnique()
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::string name = std::to_string(getpid()) + "-" + std::to_string(nameCounter++) + ".sock";
        sockaddr_un addr;
        if (!makeAddress(dir_.path() + "/" + name, addr))
            return ENAMETOOLONG;
        if (bind(socket_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
            ownName_ = name;
            return 0;
        }
        if (errno != EADDRINUSE)
            return errno;
    }
    return EADDRINUSE;
}

Endpoint::~Endpoint()
{
    if (reader_.joinable()) {
        std::uint64_t one = 1;
        ssize_t n = write(stopEvent_, &one, sizeof one);
        (void)n;
        reader_.join();
    }
    if (socket_ >= 0)
        close(socket_);
    if (stopEvent_ >= 0)
        close(stopEvent_);
    if (!ownName_.empty())
        unlink((dir_.path() + "/" + ownName_).c_str());
}

void Endpoint::readLoop()
{
    for (;;) {
        pollfd fds[2] = {{socket_, POLLIN, 0}, {stopEvent_, POLLIN, 0}};
        int n = poll(fds, 2, -1);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents || (fds[0].revents & POLLNVAL))
            return;
        if (fds[0].revents)
            drain();
    }
}

void Endpoint::drain()
{
    std::uint8_t buf[64];
    for (;;) {
        ssize_t n = recv(socket_, buf, sizeof buf, MSG_DONTWAIT | MSG_TRUNC);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;  // EAGAIN: drained
        }
        canbus_frame frame;
        if (!canbus_decode(buf, static_cast<std::size_t>(n), &frame))
            continue;
        std::uint32_t own = bitrate_.load();
        if (own != 0 && frame.bitrate != 0 && frame.bitrate != own)
            continue;
        queue_.push(frame);
    }
}

int Endpoint::send(const canbus_frame& frame)
{
    if (frame.len > 8)
        return -EINVAL;
    canbus_frame out = frame;
    out.bitrate = bitrate_.load();
    std::uint8_t wire[CANBUS_FRAME_SIZE];
    canbus_encode(&out, wire);

    std::vector<Pending> retry;
    try {
        for (const std::string& name : dir_.peers(ownName_)) {
            Pending peer{dir_.path() + "/" + name, {}, false, {}};
            if (!makeAddress(peer.path, peer.addr))
                continue;
            if (sendto(socket_, wire, sizeof wire, MSG_DONTWAIT | MSG_NOSIGNAL,
                       reinterpret_cast<const sockaddr*>(&peer.addr), sizeof peer.addr) >= 0 ||
                errno == ENOENT)
                continue;
            if (errno == ECONNREFUSED) {
                peer.refused = true;
                peer.refusedAt = Clock::now();
            } else if (errno != EAGAIN && errno != ENOBUFS && errno != EINTR) {
                continue;  // not a socket of ours; leave it alone
            }
            retry.push_back(std::move(peer));
        }
    } catch (const std::bad_alloc&) {
        return -ENOMEM;
    }

    const auto deadline = Clock::now() + kFullPeerRetry;
    while (!retry.empty()) {
        std::this_thread::sleep_for(kRetryPause);
        const auto now = Clock::now();
        for (std::size_t i = 0; i < retry.size();) {
            Pending& peer = retry[i];
            bool done = true;
            if (sendto(socket_, wire, sizeof wire, MSG_DONTWAIT | MSG_NOSIGNAL,
                       reinterpret_cast<const sockaddr*>(&peer.addr), sizeof peer.addr) < 0) {
                if (errno == ECONNREFUSED) {
                    if (!peer.refused) {
                        peer.refused = true;
                        peer.refusedAt = now;
                        done = false;
                    } else if (now - peer.refusedAt >= kRefusedGrace) {
                        unlink(peer.path.c_str());  // its owner is gone
                    } else {
                        done = false;
                    }
                } else if (errno == EAGAIN || errno == ENOBUFS || errno == EINTR) {
                    peer.refused = false;
                    done = now >= deadline;  // still full: it misses this frame
                }
            }
            if (done) {
                retry[i] = std::move(retry.back());
                retry.pop_back();
            } else {
                ++i;
            }
        }
    }
    return 0;
}

}  // namespace ovro::canbus
