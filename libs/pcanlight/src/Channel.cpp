#include "Channel.h"

#include <net/if.h>

#include <cstdlib>

namespace ovro::pcanlight {

namespace {

bool startsWith(const std::string& text, const char* head, std::string& rest)
{
    std::string h(head);
    if (text.compare(0, h.size(), h) != 0)
        return false;
    rest = text.substr(h.size());
    return true;
}

}  // namespace

bool Channel::parse(const std::string& text, Channel& out)
{
    std::string rest;
    if (startsWith(text, "virtual:", rest)) {
        if (rest.empty())
            rest = "default";
        if (rest == "." || rest == ".." || rest.find('/') != std::string::npos)
            return false;
        out.kind_ = Kind::Virtual;
        out.name_ = rest;
        return true;
    }
    if (startsWith(text, "socketcan:", rest)) {
        if (rest.empty() || rest.size() >= IFNAMSIZ || rest.find('/') != std::string::npos)
            return false;
        out.kind_ = Kind::SocketCan;
        out.name_ = rest;
        return true;
    }
    return false;
}

std::string Channel::configured(const char* env, const char* fallback)
{
    const char* value = std::getenv(env);
    return (value && *value) ? value : fallback;
}

std::string Channel::describe() const
{
    return (kind_ == Kind::Virtual ? "virtual bus " : "SocketCAN ") + name_;
}

}  // namespace ovro::pcanlight
