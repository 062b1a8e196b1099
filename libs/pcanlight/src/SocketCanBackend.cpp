#include "SocketCanBackend.h"

#include "FrameConversion.h"

#include <socketcan/socketcan.h>

#include <linux/can/error.h>
#include <linux/can/raw.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <chrono>
#include <new>

namespace ovro::pcanlight {

namespace {

// Puts the interface at the bit rate where this process may; otherwise an
// interface already at that rate, or one without bit timing (vcan), is
// accepted as it is. PCAN_ERR_REGTEST when the interface is missing.
std::uint32_t setBitrate(const std::string& name, std::uint32_t bitrate)
{
    std::uint32_t present = 0;
    if (socketcan_bitrate(name.c_str(), &present) != 0)
        return PCAN_ERR_REGTEST;
    if (present == 0 || present == bitrate)
        return PCAN_ERR_OK;
    return socketcan_set_bitrate(name.c_str(), bitrate) == 0 ? PCAN_ERR_OK : PCAN_ERR_PARMVAL;
}

}  // namespace

std::unique_ptr<SocketCanBackend> SocketCanBackend::open(const std::string& interface,
                                                         std::uint32_t bitrate, bool extended,
                                                         std::uint32_t* error)
{
    // The socket comes from libs/socketcan, where tests put a socketpair.
    if ((*error = setBitrate(interface, bitrate)) != PCAN_ERR_OK)
        return nullptr;
    *error = PCAN_ERR_REGTEST;
    const int up = socketcan_is_up(interface.c_str());
    if (up < 0 || (up == 0 && (socketcan_bring_up(interface.c_str()) != 0 ||
                               socketcan_is_up(interface.c_str()) != 1)))
        return nullptr;
    std::unique_ptr<SocketCanBackend> backend(new SocketCanBackend(extended));
    backend->socket_ = socketcan_open(interface.c_str(), CAN_ERR_CRTL | CAN_ERR_BUSOFF | CAN_ERR_RESTARTED);
    if (backend->socket_ < 0)
        return nullptr;
    try {
        SocketCanBackend* self = backend.get();
        backend->reader_ = std::make_unique<canbus::SocketReader>(backend->socket_, [self] { return self->drain(); });
    } catch (const std::bad_alloc&) {
        *error = PCAN_ERR_RESOURCE;
        return nullptr;
    }
    if (backend->reader_->start() != 0) {
        *error = PCAN_ERR_RESOURCE;
        return nullptr;
    }
    *error = PCAN_ERR_OK;
    return backend;
}

SocketCanBackend::~SocketCanBackend()
{
    reader_.reset();
    if (socket_ >= 0)
        close(socket_);
}

std::size_t SocketCanBackend::drain()
{
    std::size_t queued = 0;
    can_frame frame;
    while (::read(socket_, &frame, sizeof frame) == static_cast<ssize_t>(sizeof frame)) {
        TPCANMsg msg;
        if (frame.can_id & CAN_ERR_FLAG) {
            if (errorState_.apply(frame.can_id, frame.len, frame.data, msg) && queue_.push(msg))
                ++queued;
        } else if (!(frame.can_id & CAN_EFF_FLAG) || extended_) {
            FrameConversion::fromCanFrame(frame, msg);
            if (queue_.push(msg))
                ++queued;
        }
    }
    return queued;
}

std::uint32_t SocketCanBackend::write(const TPCANMsg& msg)
{
    can_frame frame;
    std::uint32_t error = FrameConversion::toCanFrame(msg, frame);
    if (error != PCAN_ERR_OK)
        return error;
    if (::write(socket_, &frame, sizeof frame) == static_cast<ssize_t>(sizeof frame))
        return PCAN_ERR_OK;
    if (errno == EAGAIN || errno == ENOBUFS)
        return PCAN_ERR_QXMTFULL;
    return PCAN_ERR_ILLHW;  // interface down or gone
}

std::uint32_t SocketCanBackend::read(TPCANMsg& msg)
{
    if (queue_.takeLost() > 0) {
        msg = errorState_.queueOverrun();
        return PCAN_ERR_OK;
    }
    return queue_.pop(msg, std::chrono::microseconds(0)) ? PCAN_ERR_OK : PCAN_ERR_QRCVEMPTY;
}

bool SocketCanBackend::waitRead(std::uint32_t timeoutMicroseconds)
{
    // The waiting thread drains the socket itself: one wake-up per frame.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::microseconds(timeoutMicroseconds);
    const auto ready = [this] { return queue_.waitReady(std::chrono::microseconds(0)); };
    for (;;) {
        if (ready())
            return true;
        reader_->drainNow();
        if (ready())
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        switch (reader_->awaitData(left, ready)) {
        case canbus::SocketReader::Wait::Busy:
            return queue_.waitReady(left);
        case canbus::SocketReader::Wait::TimedOut:
            reader_->drainNow();
            return ready();
        default:
            break;
        }
    }
}

void SocketCanBackend::reset()
{
    queue_.clear();
    queue_.takeLost();
}

}  // namespace ovro::pcanlight
