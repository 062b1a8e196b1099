#include "Bridge.h"

#include <fcntl.h>
#include <linux/can.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// How long a frame waits for room in the interface's transmit queue.
constexpr auto kFullQueueRetry = std::chrono::milliseconds(2);

}  // namespace

bool Bridge::writeFrame(const canbus_frame& frame)
{
    can_frame out;
    std::memset(&out, 0, sizeof out);
    out.can_id = frame.id;
    out.len = frame.len > 8 ? 8 : frame.len;
    std::memcpy(out.data, frame.data, out.len);
    const auto deadline = std::chrono::steady_clock::now() + kFullQueueRetry;
    for (;;) {
        if (::write(socket_, &out, sizeof out) == static_cast<ssize_t>(sizeof out))
            return true;
        if ((errno != EAGAIN && errno != ENOBUFS && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

void Bridge::toInterface(const volatile std::sig_atomic_t& stop)
{
    while (!stop && !done_.load()) {
        canbus_frame frame;
        if (canbus_receive(bus_, &frame, 100) != 1)
            continue;
        if (uint64_t lost = canbus_take_lost(bus_))
            stats_.lost += lost;
        if (frame.id & CANBUS_ERR_FLAG)
            continue;
        if (writeFrame(frame))
            ++stats_.toInterface;
        else
            ++stats_.dropped;
    }
}

bool Bridge::run(const volatile std::sig_atomic_t& stop, std::string& error)
{
    done_ = false;
    const int flags = fcntl(socket_, F_GETFL);
    if (flags < 0 || fcntl(socket_, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = std::string("cannot use the interface's socket: ") + std::strerror(errno);
        return false;
    }
    std::thread forward(&Bridge::toInterface, this, std::cref(stop));
    bool ok = true;
    while (!stop && ok) {
        pollfd fd{socket_, POLLIN, 0};
        const int n = poll(&fd, 1, 100);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = std::string("polling the interface failed: ") + std::strerror(errno);
            ok = false;
            break;
        }
        if (n == 0)
            continue;
        if (fd.revents & (POLLHUP | POLLNVAL)) {
            error = "the interface went away";
            ok = false;
            break;
        }
        for (;;) {
            can_frame in;
            const ssize_t got = ::read(socket_, &in, sizeof in);
            if (got < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                    break;
                if (errno == ENETDOWN)
                    break;  // down for now: the error frames tell the state
                error = std::string("reading the interface failed: ") + std::strerror(errno);
                ok = false;
                break;
            }
            if (got == 0) {
                error = "the interface went away";
                ok = false;
                break;
            }
            if (got != static_cast<ssize_t>(sizeof in) || in.len > 8)
                continue;  // not a classic frame
            canbus_frame frame{};
            frame.id = in.can_id;
            frame.len = in.len;
            std::memcpy(frame.data, in.data, in.len);
            if (canbus_send(bus_, &frame) == 0)
                ++stats_.toBus;
        }
    }
    done_ = true;
    forward.join();
    return ok;
}
