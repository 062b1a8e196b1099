// InterfaceSetup - gets a SocketCAN interface ready for the bridge: up, at
// the asked bit rate where the process may set it, and tells the rate the
// virtual side runs at. When the interface cannot be used as it is, the
// message says which ip command makes it usable.
#ifndef CANBUS_TOOL_INTERFACESETUP_H
#define CANBUS_TOOL_INTERFACESETUP_H

#include <cstdint>
#include <string>

namespace InterfaceSetup {

// wanted: the asked bit rate, 0 for "as the interface runs". On success
// busRate is the rate for the virtual bus (the interface's; 0 for an
// interface without bit timing such as vcan, unless one was asked for).
bool prepare(const std::string& interface, uint32_t wanted, uint32_t& busRate, std::string& error);

// "ip link set can0 up type can bitrate 500000"
std::string ipCommand(const std::string& interface, uint32_t bitrate);

}  // namespace InterfaceSetup

#endif
