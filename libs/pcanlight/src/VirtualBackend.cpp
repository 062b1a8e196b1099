#include "VirtualBackend.h"

#include "FrameConversion.h"

#include <cerrno>
#include <chrono>

namespace ovro::pcanlight {

std::unique_ptr<VirtualBackend> VirtualBackend::open(const std::string& bus, std::uint32_t bitrate,
                                                     bool extended, std::uint32_t* error)
{
    int err = 0;
    canbus_endpoint* endpoint = canbus_open(bus.c_str(), bitrate, &err);
    if (!endpoint) {
        *error = (err == ENOMEM || err == EAGAIN) ? PCAN_ERR_RESOURCE : PCAN_ERR_REGTEST;
        return nullptr;
    }
    *error = PCAN_ERR_OK;
    return std::unique_ptr<VirtualBackend>(new VirtualBackend(endpoint, extended));
}

VirtualBackend::~VirtualBackend()
{
    canbus_close(endpoint_);
}

std::uint32_t VirtualBackend::write(const TPCANMsg& msg)
{
    canbus_frame frame;
    std::uint32_t error = FrameConversion::toBusFrame(msg, frame);
    if (error != PCAN_ERR_OK)
        return error;
    int result = canbus_send(endpoint_, &frame);
    if (result == 0)
        return PCAN_ERR_OK;
    return (result == -ENOMEM || result == -ENOBUFS) ? PCAN_ERR_QXMTFULL : PCAN_ERR_RESOURCE;
}

bool VirtualBackend::convert(const canbus_frame& frame, TPCANMsg& msg)
{
    if (frame.id & CANBUS_ERR_FLAG)
        return errorState_.apply(frame.id, frame.len, frame.data, msg);
    if ((frame.id & CANBUS_EFF_FLAG) && !extended_)
        return false;
    FrameConversion::fromBusFrame(frame, msg);
    return true;
}

std::uint32_t VirtualBackend::read(TPCANMsg& msg)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (canbus_take_lost(endpoint_) > 0) {
        msg = errorState_.queueOverrun();
        return PCAN_ERR_OK;
    }
    if (!held_.empty()) {
        msg = held_.front();
        held_.pop_front();
        return PCAN_ERR_OK;
    }
    canbus_frame frame;
    while (canbus_receive(endpoint_, &frame, 0)) {
        if (convert(frame, msg))
            return PCAN_ERR_OK;
    }
    return PCAN_ERR_QRCVEMPTY;
}

bool VirtualBackend::waitRead(std::uint32_t timeoutMicroseconds)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::microseconds(timeoutMicroseconds);
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        // Only a frame that read() would deliver counts: an extended frame
        // on a standard-only channel is dropped here, not waited for. While
        // another waiter is on the endpoint the frames are left to it: a
        // frame taken past it would not wake it.
        canbus_frame frame;
        TPCANMsg msg;
        while (!receiving_ && held_.empty() && canbus_receive(endpoint_, &frame, 0)) {
            if (convert(frame, msg))
                held_.push_back(msg);
        }
        if (!held_.empty())
            return true;
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        if (receiving_) {
            heldChanged_.wait_until(lock, deadline);
            continue;
        }
        // The lock is not held while waiting, so read() and write() go on.
        receiving_ = true;
        lock.unlock();
        bool got = canbus_receive_us(endpoint_, &frame, left.count());
        lock.lock();
        receiving_ = false;
        if (got && convert(frame, msg))
            held_.push_back(msg);
        heldChanged_.notify_all();  // a frame for all, or another waiter's turn at the endpoint
    }
}

void VirtualBackend::reset()
{
    std::lock_guard<std::mutex> lock(mutex_);
    held_.clear();
    canbus_flush(endpoint_);
    canbus_take_lost(endpoint_);
}

}  // namespace ovro::pcanlight
