// SocketCanPort.h - a CanPort on a Linux SocketCAN interface (raw PF_CAN
// socket). The interface's bit rate is set by the system, not by the drive.
#pragma once

#include "CanPort.h"

class SocketCanPort : public CanPort {
public:
    SocketCanPort(int fd, std::string interface) : m_fd(fd), m_interface(std::move(interface)) {}
    ~SocketCanPort() override;
    SocketCanPort(const SocketCanPort&) = delete;
    SocketCanPort& operator=(const SocketCanPort&) = delete;

    bool send(const canbus_frame& frame) override;
    bool receive(canbus_frame& frame, int64_t timeoutUs) override;
    void setWakeFd(int fd) override { m_wakeFd = fd; }
    void setBitrate(uint32_t) override {}
    std::string describe() const override;

private:
    int m_fd;
    int m_wakeFd = -1;
    std::string m_interface;
};
