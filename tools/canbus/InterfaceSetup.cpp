#include "InterfaceSetup.h"

#include <socketcan/socketcan.h>

#include <cerrno>
#include <cstring>

namespace InterfaceSetup {

std::string ipCommand(const std::string& interface, uint32_t bitrate)
{
    std::string command = "ip link set " + interface + " up";
    if (bitrate != 0)
        command += " type can bitrate " + std::to_string(bitrate);
    return command;
}

bool prepare(const std::string& interface, uint32_t wanted, uint32_t& busRate, std::string& error)
{
    uint32_t present = 0;
    int result = socketcan_bitrate(interface.c_str(), &present);
    if (result == -ENODEV) {
        error = "there is no SocketCAN interface '" + interface + "'";
        return false;
    }
    if (result < 0) {
        error = "cannot read the bit rate of '" + interface + "': " + std::strerror(-result);
        return false;
    }
    if (wanted != 0 && present != 0 && present != wanted) {
        if (socketcan_set_bitrate(interface.c_str(), wanted) != 0) {
            error = "'" + interface + "' runs at " + std::to_string(present) +
                    " bit/s and this process may not change it; run (as root): ip link set " + interface +
                    " down; " + ipCommand(interface, wanted);
            return false;
        }
        present = wanted;
    }
    result = socketcan_is_up(interface.c_str());
    if (result == 0 && socketcan_bring_up(interface.c_str()) != 0) {
        error = "'" + interface + "' is down; run (as root): " +
                ipCommand(interface, present != 0 ? present : wanted);
        return false;
    }
    if (result < 0) {
        error = "cannot read the state of '" + interface + "': " + std::strerror(-result);
        return false;
    }
    busRate = present != 0 ? present : wanted;
    return true;
}

}  // namespace InterfaceSetup
