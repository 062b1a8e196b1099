// CLinuxChannel: the Linux channel of the PCAN-Light board types - which
// channel their library uses ("virtual:<bus>" or "socketcan:<interface>"),
// where that choice comes from, what the machine offers, and what the
// user must run when a SocketCAN interface is down or at another bit rate.
//
// The library reads OVRO_CAN_CHANNEL (first-channel board types) or
// OVRO_CAN_CHANNEL2 (second-channel types) at every initialisation. The
// user's variable wins; without it the channel stored in the settings is
// put into the program's own environment before the interface is opened;
// without either the library takes socketcan:can0 or socketcan:can1.
//
//   CLinuxChannel channel;                       // notes the user's variables
//   channel.InEffect(boardType, stored);         // what the library will use
//   channel.Apply(boardType, stored);            // before the master opens it
//   channel.Check("socketcan:can0", 500000);     // "" or what to run
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CLinuxChannel {
public:
    enum class Source { Environment, Settings, Default };

    struct Choice {
        std::string channel;
        Source source = Source::Default;
    };

    // What the channel logic asks of the machine; each defaults to the
    // real one (the process environment, libs/socketcan, the bus folder).
    struct Machine {
        std::function<std::optional<std::string>(const char* name)> getenv;
        std::function<void(const char* name, const std::string& value)> setenv;
        std::function<std::vector<std::string>()> socketCanInterfaces;
        std::function<std::vector<std::string>()> virtualBuses;
        // 0 with the rate (0: no bit timing), or -errno (-ENODEV: missing).
        std::function<int(const std::string& interface, std::uint32_t& bitrate)> bitrate;
        // 1 up, 0 down, -errno.
        std::function<int(const std::string& interface)> isUp;
    };

    CLinuxChannel();
    explicit CLinuxChannel(Machine machine);

    static constexpr std::int16_t kPcanLightLibrary = 200;
    // True for the board types whose library takes a Linux channel.
    static bool UsesChannel(std::int16_t library) { return library == kPcanLightLibrary; }
    static bool SecondChannel(std::uint32_t boardType);
    static const char* Variable(std::uint32_t boardType);
    static const char* DefaultChannel(std::uint32_t boardType);
    // "virtual:<bus>" with a plain bus name or "socketcan:<interface>".
    static bool Valid(const std::string& channel);

    // The channel the library will use, and where it comes from.
    Choice InEffect(std::uint32_t boardType, const std::string& stored) const;
    // Puts the stored channel into the program's environment unless the
    // user's environment names one; false when there was nothing to do.
    bool Apply(std::uint32_t boardType, const std::string& stored);

    // The channels to offer: the machine's SocketCAN interfaces, then the
    // virtual buses that exist, then the default when it is neither.
    std::vector<std::string> Offers(std::uint32_t boardType) const;

    // Empty when the channel can be used at the bit rate as it is (or set
    // to it); otherwise a message that says what to run.
    std::string Check(const std::string& channel, std::uint32_t bitrate) const;
    // The lines of "&Properties...": the channel, its source and its bit
    // rate state.
    std::string Describe(std::uint32_t boardType, const std::string& stored, std::uint32_t bitrate) const;

    // The bit rate in bit/s of a CiA baud-rate code (0 for unknown codes).
    static std::uint32_t BitrateOfCode(std::uint8_t code);

private:
    Machine machine_;
    std::optional<std::string> user_[2];  // the user's variables at start
};
