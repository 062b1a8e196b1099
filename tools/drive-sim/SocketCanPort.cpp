#include "SocketCanPort.h"

#include <cerrno>
#include <cstring>
#include <linux/can.h>
#include <linux/can/raw.h>
#include <net/if.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

std::unique_ptr<CanPort> CanPort::openSocketCan(const std::string& interface, std::string& error)
{
    const int fd = ::socket(PF_CAN, SOCK_RAW | SOCK_CLOEXEC, CAN_RAW);
    if (fd < 0) {
        error = std::string("cannot create a CAN socket: ") + std::strerror(errno);
        return nullptr;
    }
    ifreq ifr{};
    if (interface.size() >= sizeof ifr.ifr_name) {
        ::close(fd);
        error = "interface name too long: " + interface;
        return nullptr;
    }
    std::strncpy(ifr.ifr_name, interface.c_str(), sizeof ifr.ifr_name - 1);
    if (::ioctl(fd, SIOCGIFINDEX, &ifr) < 0) {
        error = "no CAN interface '" + interface + "': " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    sockaddr_can addr{};
    addr.can_family = AF_CAN;
    addr.can_ifindex = ifr.ifr_ifindex;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0) {
        error = "cannot bind to '" + interface + "': " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
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
