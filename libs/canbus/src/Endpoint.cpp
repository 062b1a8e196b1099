#include "Endpoint.h"

#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

namespace ovro::canbus {

namespace {

using Clock = std::chrono::steady_clock;

// A peer whose queue stays full this long misses the frame.
constexpr auto kFullPeerRetry = std::chrono::milliseconds(2);
// A refusing peer is only taken for dead when it still refuses after this
// pause, and only while its file is still the one that refused.
constexpr auto kRefusedGrace = std::chrono::microseconds(300);
constexpr auto kRetryPause = std::chrono::microseconds(20);
// Datagrams the reader takes from the socket with one call.
constexpr unsigned kDrainBatch = 64;

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

// 64 bits that differ between processes and between the copies of this
// library that one process may load (each copy counts its names from 0).
std::uint64_t randomTag()
{
    std::uint64_t tag = 0;
    if (getrandom(&tag, sizeof tag, GRND_NONBLOCK) == sizeof tag)
        return tag;
    static std::atomic<std::uint64_t> fallback{0};
    tag = static_cast<std::uint64_t>(Clock::now().time_since_epoch().count()) ^
          reinterpret_cast<std::uintptr_t>(&tag) ^ (fallback.fetch_add(1) << 48);
    // splitmix64 finaliser
    tag = (tag ^ (tag >> 30)) * 0xBF58476D1CE4E5B9ull;
    tag = (tag ^ (tag >> 27)) * 0x94D049BB133111EBull;
    return tag ^ (tag >> 31);
}

// The file a peer name stands for at one moment: its device and inode.
struct FileId {
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const FileId&) const = default;
};

// False when the path is gone (or is no socket).
bool socketFileId(const std::string& path, FileId& id)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode))
        return false;
    id = {st.st_dev, st.st_ino};
    return true;
}

struct Pending {
    std::string path;
    sockaddr_un addr;
    bool refused;
    Clock::time_point refusedAt;
    FileId refusedFile;
};

// Remembers when and which file first refused; false when it is gone.
bool noteRefusal(Pending& peer, Clock::time_point now)
{
    peer.refused = true;
    peer.refusedAt = now;
    return socketFileId(peer.path, peer.refusedFile);
}

// A peer that refused again. True while it is worth trying once more.
bool retryRefused(Pending& peer, Clock::time_point now, Clock::time_point deadline)
{
    if (!peer.refused)
        return noteRefusal(peer, now);
    if (now - peer.refusedAt < kRefusedGrace)
        return true;
    FileId current;
    if (!socketFileId(peer.path, current))
        return false;  // gone meanwhile
    if (current == peer.refusedFile) {
        unlink(peer.path.c_str());  // its owner is gone
        return false;
    }
    // Another socket has the name now: never remove that one on the
    // strength of its predecessor's refusal.
    return now < deadline && noteRefusal(peer, now);
}

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
    try {
        Endpoint* self = ep.get();
        ep->reader_ = std::make_unique<SocketReader>(ep->socket_, [self] { self->drain(); });
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
        return nullptr;
    }
    if ((error = ep->reader_->start()) != 0)
        return nullptr;
    return ep;
}

int Endpoint::bindUnique()
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        // Never a name used before: a sender may still hold the name of an
        // endpoint that has gone, and must not take this one for it.
        char tag[17];
        std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(randomTag()));
        std::string name = std::to_string(getpid()) + "-" + std::to_string(nameCounter++) + "-" +
                           tag + ".sock";
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
    // The file goes first: senders then find no peer (ENOENT) instead of a
    // dead socket that they would have to wait on and remove.
    if (!ownName_.empty())
        unlink((dir_.path() + "/" + ownName_).c_str());
    reader_.reset();
    if (socket_ >= 0)
        close(socket_);
}

void Endpoint::drain()
{
    // Several datagrams per call, so that a reader that gets the processor
    // seldom on a busy machine still empties the socket at once.
    std::uint8_t bufs[kDrainBatch][64];
    iovec iov[kDrainBatch];
    mmsghdr msgs[kDrainBatch];
    canbus_frame frames[kDrainBatch];
    for (;;) {
        for (unsigned i = 0; i < kDrainBatch; ++i) {
            iov[i] = {bufs[i], sizeof bufs[i]};
            std::memset(&msgs[i], 0, sizeof msgs[i]);
            msgs[i].msg_hdr.msg_iov = &iov[i];
            msgs[i].msg_hdr.msg_iovlen = 1;
        }
        int n = recvmmsg(socket_, msgs, kDrainBatch, MSG_DONTWAIT, nullptr);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;  // EAGAIN: drained
        }
        const std::uint32_t own = bitrate_.load();
        std::size_t kept = 0;
        for (int i = 0; i < n; ++i) {
            canbus_frame frame;
            // A truncated datagram is longer than a frame: MSG_TRUNC marks it.
            if ((msgs[i].msg_hdr.msg_flags & MSG_TRUNC) ||
                !canbus_decode(bufs[i], msgs[i].msg_len, &frame))
                continue;
            if (own != 0 && frame.bitrate != 0 && frame.bitrate != own)
                continue;
            frames[kept++] = frame;
        }
        if (kept > 0)
            queue_.push(frames, kept);
        if (static_cast<unsigned>(n) < kDrainBatch)
            return;  // the socket was emptied
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
            Pending peer{dir_.path() + "/" + name, {}, false, {}, {}};
            if (!makeAddress(peer.path, peer.addr))
                continue;
            if (sendto(socket_, wire, sizeof wire, MSG_DONTWAIT | MSG_NOSIGNAL,
                       reinterpret_cast<const sockaddr*>(&peer.addr), sizeof peer.addr) >= 0 ||
                errno == ENOENT)
                continue;
            if (errno == ECONNREFUSED) {
                if (!noteRefusal(peer, Clock::now()))
                    continue;  // already gone
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
                if (errno == ECONNREFUSED)
                    done = !retryRefused(peer, now, deadline);
                else if (errno == EAGAIN || errno == ENOBUFS || errno == EINTR) {
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
