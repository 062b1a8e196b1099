#include "Endpoint.h"

#include "WireTime.h"

#include <sys/prctl.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
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
// On a wire-timed bus a sender sleeps until this long before its frame has
// passed the wire and waits out the rest on the clock.
constexpr std::int64_t kWakeMargin = 40000;  // ns
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

// The socket file a path names now: false when it is gone or no socket.
bool socketFileId(const char* path, dev_t& dev, ino_t& ino)
{
    struct stat st {};
    if (lstat(path, &st) != 0 || !S_ISSOCK(st.st_mode))
        return false;
    dev = st.st_dev;
    ino = st.st_ino;
    return true;
}

}  // namespace

Endpoint::Endpoint(BusDirectory dir, std::uint32_t bitrate)
    : dir_(std::move(dir)), bitrate_(bitrate), queue_(CANBUS_QUEUE_FRAMES), peers_(dir_.path())
{
}

std::unique_ptr<Endpoint> Endpoint::open(const char* name, std::uint32_t bitrate, bool wireTime, int* err)
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
    ep->record_ = BusRecord::open(ep->dir_.path());
    if ((error = ep->bindUnique(wireTime)) != 0)
        return nullptr;
    if (ep->record_)
        ep->record_->notePeerChange();  // senders: read the folder again
    try {
        Endpoint* self = ep.get();
        ep->reader_ = std::make_unique<SocketReader>(ep->socket_, [self] { return self->drain(); });
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
        return nullptr;
    }
    if ((error = ep->reader_->start()) != 0)
        return nullptr;
    return ep;
}

int Endpoint::bindUnique(bool wireTime)
{
    for (int attempt = 0; attempt < 1000; ++attempt) {
        // Never a name used before: a sender may still hold the name of an
        // endpoint that has gone, and must not take this one for it.
        char tag[17];
        std::snprintf(tag, sizeof tag, "%016llx", static_cast<unsigned long long>(randomTag()));
        std::string name = std::to_string(getpid()) + "-" + std::to_string(nameCounter++) + "-" + tag +
                           (wireTime ? PeerList::kWireTimeEnding : ".sock");
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
    if (!ownName_.empty()) {
        unlink((dir_.path() + "/" + ownName_).c_str());
        if (record_)
            record_->notePeerChange();
    }
    reader_.reset();
    if (socket_ >= 0)
        close(socket_);
}

std::size_t Endpoint::drain()
{
    // Several datagrams per call, so that a reader that gets the processor
    // seldom on a busy machine still empties the socket at once.
    std::uint8_t bufs[kDrainBatch][64];
    iovec iov[kDrainBatch];
    mmsghdr msgs[kDrainBatch];
    canbus_frame frames[kDrainBatch];
    std::size_t queued = 0;
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
            return queued;  // EAGAIN: drained
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
            queued += queue_.push(frames, kept);
        if (static_cast<unsigned>(n) < kDrainBatch)
            return queued;  // the socket was emptied
    }
}

void Endpoint::refreshPeers()
{
    if (!peers_.refresh(ownName_, record_.get()))
        return;
    // One message per peer, all with the same datagram; sized here, never
    // while a frame is sent.
    messages_.resize(peers_.size());
    retry_.clear();
    retry_.reserve(peers_.size());
    for (std::size_t i = 0; i < peers_.size(); ++i) {
        std::memset(&messages_[i], 0, sizeof messages_[i]);
        messages_[i].msg_hdr.msg_name = const_cast<sockaddr_un*>(&peers_.address(i));
        messages_[i].msg_hdr.msg_namelen = sizeof(sockaddr_un);
    }
}

// Remembers when and which file first refused; false when it is gone.
bool Endpoint::noteRefusal(Retry& peer, Clock::time_point now)
{
    peer.refused = true;
    peer.refusedAt = now;
    return socketFileId(peers_.address(peer.peer).sun_path, peer.dev, peer.ino);
}

// A peer that refused again. True while it is worth trying once more.
bool Endpoint::retryRefused(Retry& peer, Clock::time_point now, Clock::time_point deadline)
{
    if (!peer.refused)
        return noteRefusal(peer, now);
    if (now - peer.refusedAt < kRefusedGrace)
        return true;
    const char* path = peers_.address(peer.peer).sun_path;
    dev_t dev;
    ino_t ino;
    if (!socketFileId(path, dev, ino))
        return false;  // gone meanwhile
    if (dev == peer.dev && ino == peer.ino) {
        unlink(path);  // its owner is gone
        if (record_)
            record_->notePeerChange();
        return false;
    }
    // Another socket has the name now: never remove that one on the
    // strength of its predecessor's refusal.
    return now < deadline && noteRefusal(peer, now);
}

int Endpoint::send(const canbus_frame& frame)
{
    if (frame.len > 8)
        return -EINVAL;
    canbus_frame out = frame;
    out.bitrate = bitrate_.load();
    std::uint8_t wire[CANBUS_FRAME_SIZE];
    canbus_encode(&out, wire);
    iovec iov{wire, sizeof wire};

    std::lock_guard<std::mutex> lock(sendMutex_);
    try {
        refreshPeers();
    } catch (const std::bad_alloc&) {
        return -ENOMEM;
    }
    if (peers_.wireTimed())
        passWire(out);
    const std::size_t count = peers_.size();
    for (std::size_t i = 0; i < count; ++i) {
        messages_[i].msg_hdr.msg_iov = &iov;
        messages_[i].msg_hdr.msg_iovlen = 1;
    }

    // All peers with one call; the kernel stops at the first that fails,
    // which is looked at on its own before the rest go on.
    retry_.clear();
    for (std::size_t at = 0; at < count;) {
        const int sent = sendmmsg(socket_, &messages_[at], static_cast<unsigned>(count - at), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent > 0) {
            at += static_cast<std::size_t>(sent);
            continue;
        }
        const int error = errno;
        if (sent < 0 && error == EINTR)
            continue;
        Retry peer{at, false, {}, 0, 0};
        ++at;
        if (sent < 0 && error == ECONNREFUSED) {
            if (noteRefusal(peer, Clock::now()))
                retry_.push_back(peer);
        } else if (sent < 0 && (error == EAGAIN || error == ENOBUFS)) {
            retry_.push_back(peer);
        }
        // ENOENT: gone already; anything else is not a socket of ours.
    }

    const auto deadline = Clock::now() + kFullPeerRetry;
    while (!retry_.empty()) {
        std::this_thread::sleep_for(kRetryPause);
        const auto now = Clock::now();
        for (std::size_t i = 0; i < retry_.size();) {
            Retry& peer = retry_[i];
            bool done = true;
            if (sendmsg(socket_, &messages_[peer.peer].msg_hdr, MSG_DONTWAIT | MSG_NOSIGNAL) < 0) {
                if (errno == ECONNREFUSED)
                    done = !retryRefused(peer, now, deadline);
                else if (errno == EAGAIN || errno == ENOBUFS || errno == EINTR) {
                    peer.refused = false;
                    done = now >= deadline;  // still full: it misses this frame
                }
            }
            if (done) {
                retry_[i] = retry_.back();
                retry_.pop_back();
            } else {
                ++i;
            }
        }
    }
    return 0;
}

// Waits for the frame's slot on the bus and until the frame has passed the
// wire: receivers see it no earlier than they would on a real bus.
void Endpoint::passWire(const canbus_frame& frame)
{
    const std::int64_t wire = WireTime::nanoseconds(frame, frame.bitrate);
    if (wire == 0)
        return;  // rate 0 ("any") or an error frame
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::int64_t ns = std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
    std::int64_t end;
    if (record_) {
        end = record_->reserve(ns, wire);
    } else {
        end = WireTime::slot(localBusFree_, ns, wire).end;
        localBusFree_ = end;
    }
    // A sleep ends some tens of microseconds late even with a small timer
    // slack (50 us by default, a third of a frame at 1 Mbit/s): it ends
    // kWakeMargin early and the rest is waited out on the clock.
    const int slack = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    if (slack > 1000)
        prctl(PR_SET_TIMERSLACK, 1000, 0, 0, 0);
    const std::int64_t wake = end - kWakeMargin;
    if (wake > ns) {
        const timespec until{static_cast<time_t>(wake / 1000000000), static_cast<long>(wake % 1000000000)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
    }
    if (slack > 1000)
        prctl(PR_SET_TIMERSLACK, slack, 0, 0, 0);
    do {
        clock_gettime(CLOCK_MONOTONIC, &now);
    } while (std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec < end);
}

bool Endpoint::wireTimed()
{
    std::lock_guard<std::mutex> lock(sendMutex_);
    try {
        refreshPeers();
    } catch (const std::bad_alloc&) {
    }
    return peers_.wireTimed();
}

bool Endpoint::receive(canbus_frame& frame, std::chrono::microseconds timeout)
{
    if (queue_.pop(frame, std::chrono::microseconds(0)))
        return true;
    if (timeout.count() == 0)
        return false;  // what arrives, the reader thread queues
    const bool forever = timeout.count() < 0 || timeout > std::chrono::hours(24);
    const auto deadline = Clock::now() + (forever ? std::chrono::microseconds(0) : timeout);
    const auto queued = [this] { return queue_.size() > 0; };
    for (;;) {
        auto left = std::chrono::microseconds(-1);
        if (!forever) {
            left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return false;
        }
        switch (reader_->awaitData(left, queued)) {
        case SocketReader::Wait::Ready:
            // Readable, or queued by the reader: take it in this thread.
            reader_->drainNow();
            if (queue_.pop(frame, std::chrono::microseconds(0)))
                return true;
            break;
        case SocketReader::Wait::Busy:
            // Another consumer waits on the socket and queues what comes.
            return queue_.pop(frame, left);
        case SocketReader::Wait::Woken:
        case SocketReader::Wait::TimedOut:
            reader_->drainNow();
            return queue_.pop(frame, std::chrono::microseconds(0));
        }
    }
}

}  // namespace ovro::canbus
