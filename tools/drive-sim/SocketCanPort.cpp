#include "SocketCanPort.h"

#include <socketcan/socketcan.h>

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <linux/can.h>
#include <poll.h>
#include <unistd.h>

std::unique_ptr<CanPort> CanPort::openSocketCan(const std::string& interface, std::string& error)
{
    // The socket comes from libs/socketcan, where tests put a socketpair.
    const int fd = socketcan_open(interface.c_str(), 0);
    if (fd == -ENODEV) {
        error = "no CAN interface '" + interface + "'";
        return nullptr;
    }
    if (fd < 0) {
        error = "cannot open the CAN interface '" + interface + "': " + std::strerror(-fd);
        return nullptr;
    }
    // The drive waits for room to send, as a controller does.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return std::make_unique<SocketCanPort>(fd, interface);
}

SocketCanPort::~SocketCanPort()
{
    ::close(m_fd);
}

bool SocketCanPort::send(const canbus_frame& frame)
{
    can_frame out{};
    out.can_id = frame.id;
    out.can_dlc = frame.len > 8 ? 8 : frame.len;
    std::memcpy(out.data, frame.data, 8);
    return ::write(m_fd, &out, sizeof out) == ssize_t(sizeof out);
}

bool SocketCanPort::receive(canbus_frame& frame, int64_t timeoutUs)
{
    pollfd pfd[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    timespec ts{timeoutUs / 1000000, long(timeoutUs % 1000000) * 1000};
    if (::ppoll(pfd, m_wakeFd >= 0 ? 2 : 1, timeoutUs < 0 ? nullptr : &ts, nullptr) <= 0 || !(pfd[0].revents & POLLIN))
        return false;
    can_frame in{};
    if (::read(m_fd, &in, sizeof in) != ssize_t(sizeof in))
        return false;
    frame = canbus_frame{};
    frame.id = in.can_id;
    frame.len = in.can_dlc > 8 ? 8 : in.can_dlc;
    std::memcpy(frame.data, in.data, frame.len);
    return true;
}

std::string SocketCanPort::describe() const
{
    return "SocketCAN '" + m_interface + "'";
}
