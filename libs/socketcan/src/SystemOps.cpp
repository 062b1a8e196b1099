// The system's SocketCAN operations: raw CAN sockets, libsocketcan for the
// bit timing, interface flags by ioctl and the interface list from sysfs.
#include "SystemOps.h"

#include <libsocketcan.h>
#include <linux/can.h>
#include <linux/can/raw.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace ovro::socketcan {

namespace {

bool fillRequest(const char* interface, ifreq& req)
{
    std::memset(&req, 0, sizeof req);
    if (!interface || !*interface || std::strlen(interface) >= IFNAMSIZ)
        return false;
    std::strncpy(req.ifr_name, interface, IFNAMSIZ - 1);
    return true;
}

// Interface flags; any socket serves for the request.
int interfaceFlags(const char* interface, short& flags)
{
    ifreq req;
    if (!fillRequest(interface, req))
        return -ENODEV;
    const int sock = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return -errno;
    const int result = ioctl(sock, SIOCGIFFLAGS, &req) == 0 ? 0 : -errno;
    ::close(sock);
    flags = req.ifr_flags;
    return result;
}

int openRaw(void*, const char* interface, std::uint32_t errMask)
{
    ifreq req;
    if (!fillRequest(interface, req))
        return -ENODEV;
    const unsigned index = if_nametoindex(interface);
    if (index == 0)
        return -ENODEV;
    const int fd = ::socket(PF_CAN, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, CAN_RAW);
    if (fd < 0)
        return -errno;
    can_err_mask_t mask = errMask;
    if (mask != 0)
        setsockopt(fd, SOL_CAN_RAW, CAN_RAW_ERR_FILTER, &mask, sizeof mask);
    sockaddr_can addr;
    std::memset(&addr, 0, sizeof addr);
    addr.can_family = AF_CAN;
    addr.can_ifindex = static_cast<int>(index);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        const int error = errno;
        ::close(fd);
        return -error;
    }
    return fd;
}

int bitrate(void*, const char* interface, std::uint32_t* out)
{
    if (if_nametoindex(interface) == 0)
        return -ENODEV;
    can_bittiming timing;
    std::memset(&timing, 0, sizeof timing);
    // Interfaces without bit timing (vcan) answer with an error: no rate.
    *out = can_get_bittiming(interface, &timing) == 0 ? timing.bitrate : 0;
    return 0;
}

int setBitrate(void*, const char* interface, std::uint32_t rate)
{
    if (if_nametoindex(interface) == 0)
        return -ENODEV;
    if (can_do_stop(interface) != 0)
        return -EPERM;
    if (can_set_bitrate(interface, rate) == 0 && can_do_start(interface) == 0)
        return 0;
    can_do_start(interface);  // leave it running as it was
    return -EPERM;
}

int isUp(void*, const char* interface)
{
    short flags = 0;
    const int result = interfaceFlags(interface, flags);
    if (result < 0)
        return result == -ENODEV || result == -ENXIO ? -ENODEV : result;
    return (flags & IFF_UP) ? 1 : 0;
}

int bringUp(void*, const char* interface)
{
    if (if_nametoindex(interface) == 0)
        return -ENODEV;
    return can_do_start(interface) == 0 ? 0 : -EPERM;
}

std::size_t list(void*, char (*names)[SOCKETCAN_NAME_SIZE], std::size_t max)
{
    return socketcan_list_in("/sys/class/net", names, max);
}

}  // namespace

const socketcan_ops& systemOps()
{
    static const socketcan_ops ops = {openRaw, bitrate, setBitrate, isUp, bringUp, list, nullptr};
    return ops;
}

}  // namespace ovro::socketcan
