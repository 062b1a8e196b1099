#include "SocketCanBackend.h"

#include "FrameConversion.h"

#include <libsocketcan.h>
#include <linux/can/error.h>
#include <linux/can/raw.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <chrono>
#include <new>

namespace ovro::pcanlight {

namespace {

bool interfaceUp(int sock, const std::string& name)
{
    ifreq req;
    std::memset(&req, 0, sizeof req);
    std::strncpy(req.ifr_name, name.c_str(), IFNAMSIZ - 1);
    return ioctl(sock, SIOCGIFFLAGS, &req) == 0 && (req.ifr_flags & IFF_UP);
}

// Puts the interface at the bit rate where this process may; otherwise an
// interface already at that rate, or one without bit timing (vcan), is
// accepted as it is.
std::uint32_t setBitrate(const std::string& name, std::uint32_t bitrate)
{
    can_bittiming timing;
    std::memset(&timing, 0, sizeof timing);
    if (can_get_bittiming(name.c_str(), &timing) != 0 || timing.bitrate == 0 ||
        timing.bitrate == bitrate)
        return PCAN_ERR_OK;
    if (can_do_stop(name.c_str()) != 0)
        return PCAN_ERR_PARMVAL;  // not ours to change
    if (can_set_bitrate(name.c_str(), bitrate) == 0 && can_do_start(name.c_str()) == 0)
        return PCAN_ERR_OK;
    can_do_start(name.c_str());  // leave it running as it was
    return PCAN_ERR_PARMVAL;
}

}  // namespace

std::unique_ptr<SocketCanBackend> SocketCanBackend::open(const std::string& interface,
                                                         std::uint32_t bitrate, bool extended,
                                                         std::uint32_t* error)
{
    *error = PCAN_ERR_REGTEST;
    const unsigned index = if_nametoindex(interface.c_str());
    if (index == 0)
        return nullptr;
    std::unique_ptr<SocketCanBackend> backend(new SocketCanBackend(extended));
    backend->socket_ = socket(PF_CAN, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, CAN_RAW);
    if (backend->socket_ < 0)
        return nullptr;
    if ((*error = setBitrate(interface, bitrate)) != PCAN_ERR_OK)
        return nullptr;
    *error = PCAN_ERR_REGTEST;
    if (!interfaceUp(backend->socket_, interface) &&
        (can_do_start(interface.c_str()) != 0 || !interfaceUp(backend->socket_, interface)))
        return nullptr;

    can_err_mask_t errors = CAN_ERR_CRTL | CAN_ERR_BUSOFF | CAN_ERR_RESTARTED;
    setsockopt(backend->socket_, SOL_CAN_RAW, CAN_RAW_ERR_FILTER, &errors, sizeof errors);
    sockaddr_can addr;
    std::memset(&addr, 0, sizeof addr);
    addr.can_family = AF_CAN;
    addr.can_ifindex = static_cast<int>(index);
    if (bind(backend->socket_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0)
        return nullptr;
    try {
        SocketCanBackend* self = backend.get();
        backend->reader_ = std::make_unique<canbus::SocketReader>(backend->socket_, [self] { self->drain(); });
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

void SocketCanBackend::drain()
{
    can_frame frame;
    while (::read(socket_, &frame, sizeof frame) == static_cast<ssize_t>(sizeof frame)) {
        TPCANMsg msg;
        if (frame.can_id & CAN_ERR_FLAG) {
            if (errorState_.apply(frame.can_id, frame.len, frame.data, msg))
                queue_.push(msg);
        } else if (!(frame.can_id & CAN_EFF_FLAG) || extended_) {
            FrameConversion::fromCanFrame(frame, msg);
            queue_.push(msg);
        }
    }
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
    return queue_.waitReady(std::chrono::microseconds(timeoutMicroseconds));
}

void SocketCanBackend::reset()
{
    queue_.clear();
    queue_.takeLost();
}

}  // namespace ovro::pcanlight
