// Channel - which CAN channel a driver library serves: "virtual:<bus>" or
// "socketcan:<interface>", from the environment.
#ifndef PCANLIGHT_CHANNEL_H
#define PCANLIGHT_CHANNEL_H

#include <string>

namespace ovro::pcanlight {

class Channel {
public:
    enum class Kind { Virtual, SocketCan };

    // False for a text that names no channel.
    static bool parse(const std::string& text, Channel& out);

    // The channel from the variable `env`, else from `fallback`.
    static std::string configured(const char* env, const char* fallback);

    Kind kind() const { return kind_; }
    const std::string& name() const { return name_; }

    // "virtual bus default", "SocketCAN can0".
    std::string describe() const;

private:
    Kind kind_ = Kind::Virtual;
    std::string name_;
};

}  // namespace ovro::pcanlight

#endif
