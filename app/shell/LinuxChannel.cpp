#include "shell/LinuxChannel.h"

#include <socketcan/socketcan.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kVirtual = "virtual:";
constexpr const char* kSocketCan = "socketcan:";

bool StartsWith(const std::string& text, const char* head, std::string& rest)
{
    const std::size_t n = std::strlen(head);
    if (text.compare(0, n, head) != 0)
        return false;
    rest = text.substr(n);
    return true;
}

std::vector<std::string> MachineInterfaces()
{
    char names[32][SOCKETCAN_NAME_SIZE];
    const std::size_t count = std::min<std::size_t>(socketcan_list(names, 32), 32);
    return std::vector<std::string>(names, names + count);
}

std::vector<std::string> MachineBuses()
{
    const char* env = std::getenv("OVRO_CANBUS_DIR");
    const std::string root = (env && *env) ? env : "/tmp/ovro-canbus-" + std::to_string(getuid());
    std::vector<std::string> buses;
    if (DIR* dir = opendir(root.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            struct stat st {};
            if (name[0] != '.' && stat((root + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                buses.push_back(name);
        }
        closedir(dir);
    }
    std::sort(buses.begin(), buses.end());
    return buses;
}

CLinuxChannel::Machine RealMachine()
{
    CLinuxChannel::Machine m;
    m.getenv = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0')
            return std::nullopt;
        return std::string(value);
    };
    m.setenv = [](const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); };
    m.socketCanInterfaces = MachineInterfaces;
    m.virtualBuses = MachineBuses;
    m.bitrate = [](const std::string& interface, std::uint32_t& rate) {
        return socketcan_bitrate(interface.c_str(), &rate);
    };
    m.isUp = [](const std::string& interface) { return socketcan_is_up(interface.c_str()); };
    return m;
}

}  // namespace

CLinuxChannel::CLinuxChannel() : CLinuxChannel(RealMachine()) {}

CLinuxChannel::CLinuxChannel(Machine machine) : machine_(std::move(machine))
{
    user_[0] = machine_.getenv("OVRO_CAN_CHANNEL");
    user_[1] = machine_.getenv("OVRO_CAN_CHANNEL2");
}

bool CLinuxChannel::SecondChannel(std::uint32_t boardType)
{
    // PCAN-ISA (SJA/2nd channel), PCAN-PCI and PCAN-PC Card 2nd channel.
    return boardType == 0x00020009u || boardType == 0x0002000Au || boardType == 0x0002000Bu;
}

const char* CLinuxChannel::Variable(std::uint32_t boardType)
{
    return SecondChannel(boardType) ? "OVRO_CAN_CHANNEL2" : "OVRO_CAN_CHANNEL";
}

const char* CLinuxChannel::DefaultChannel(std::uint32_t boardType)
{
    return SecondChannel(boardType) ? "socketcan:can1" : "socketcan:can0";
}

bool CLinuxChannel::Valid(const std::string& channel)
{
    std::string rest;
    if (StartsWith(channel, kVirtual, rest))
        return !rest.empty() && rest != "." && rest != ".." && rest.find('/') == std::string::npos;
    if (StartsWith(channel, kSocketCan, rest))
        return !rest.empty() && rest.size() < SOCKETCAN_NAME_SIZE && rest.find('/') == std::string::npos;
    return false;
}

CLinuxChannel::Choice CLinuxChannel::InEffect(std::uint32_t boardType, const std::string& stored) const
{
    const std::optional<std::string>& user = user_[SecondChannel(boardType) ? 1 : 0];
    if (user)
        return {*user, Source::Environment};
    if (Valid(stored))
        return {stored, Source::Settings};
    return {DefaultChannel(boardType), Source::Default};
}

bool CLinuxChannel::Apply(std::uint32_t boardType, const std::string& stored)
{
    if (user_[SecondChannel(boardType) ? 1 : 0] || !Valid(stored))
        return false;
    machine_.setenv(Variable(boardType), stored);
    return true;
}

std::vector<std::string> CLinuxChannel::Offers(std::uint32_t boardType) const
{
    std::vector<std::string> offers;
    for (const std::string& name : machine_.socketCanInterfaces())
        offers.push_back(kSocketCan + name);
    for (const std::string& bus : machine_.virtualBuses())
        offers.push_back(kVirtual + bus);
    const std::string fallback = DefaultChannel(boardType);
    if (std::find(offers.begin(), offers.end(), fallback) == offers.end())
        offers.push_back(fallback);
    return offers;
}

std::uint32_t CLinuxChannel::BitrateOfCode(std::uint8_t code)
{
    static constexpr std::uint32_t kRates[] = {1000000, 800000, 500000, 250000, 125000, 100000, 50000, 20000, 10000};
    return code < 9 ? kRates[code] : 0;
}

std::string CLinuxChannel::Check(const std::string& channel, std::uint32_t bitrate) const
{
    std::string interface;
    if (!StartsWith(channel, kSocketCan, interface))
        return {};  // the virtual bus takes any rate
    const std::string setUp = "ip link set " + interface + " up type can bitrate " + std::to_string(bitrate);
    std::uint32_t present = 0;
    const int result = machine_.bitrate(interface, present);
    if (result == -ENODEV)
        return "There is no SocketCAN interface '" + interface + "' on this machine.";
    const int up = machine_.isUp(interface);
    if (present != 0 && present != bitrate)
        return "'" + interface + "' runs at " + std::to_string(present) + " bit/s. Unless the program may change "
               "it, run as root:\n    ip link set " + interface + " down\n    " + setUp;
    if (up == 0)
        return "'" + interface + "' is down. Unless the program may start it, run as root:\n    " +
               (present == 0 && result == 0 ? "ip link set " + interface + " up" : setUp);
    return {};
}

std::string CLinuxChannel::Describe(std::uint32_t boardType, const std::string& stored, std::uint32_t bitrate) const
{
    const Choice choice = InEffect(boardType, stored);
    std::string text = "Channel: " + choice.channel + " (";
    switch (choice.source) {
    case Source::Environment: text += std::string("from ") + Variable(boardType); break;
    case Source::Settings: text += "from the settings"; break;
    case Source::Default: text += "the default"; break;
    }
    text += ")\n";
    std::string interface;
    if (!StartsWith(choice.channel, kSocketCan, interface))
        return text + "Bit rate: " + std::to_string(bitrate) + " bit/s on the virtual bus";
    std::uint32_t present = 0;
    if (machine_.bitrate(interface, present) != 0)
        return text + "Bit rate: unknown, the interface is missing";
    if (present == 0)
        return text + "Bit rate: the interface has no bit timing (vcan)";
    return text + "Bit rate: " + std::to_string(present) + " bit/s" +
           (present == bitrate ? ", as the connection wants" : ", the connection wants " + std::to_string(bitrate));
}
