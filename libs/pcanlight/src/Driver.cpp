#include "Driver.h"

#include "FrameConversion.h"
#include "SocketCanBackend.h"
#include "VirtualBackend.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace ovro::pcanlight {

std::shared_ptr<Backend> Driver::current()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return backend_;
}

std::string Driver::configuredChannel()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!channelOverride_.empty())
            return channelOverride_;
    }
    return Channel::configured(config_.channelEnv, config_.defaultChannel);
}

std::uint32_t Driver::setChannel(const char* text)
{
    std::string value = text ? text : "";
    Channel parsed;
    if (!value.empty() && !Channel::parse(value, parsed))
        return PCAN_ERR_ILLHW;
    std::lock_guard<std::mutex> lock(mutex_);
    channelOverride_ = value;
    return PCAN_ERR_OK;
}

std::uint32_t Driver::init(std::uint16_t btr0btr1, int msgType)
{
    const std::uint32_t bitrate = FrameConversion::bitrateOfBtr(btr0btr1);
    if (bitrate == 0 || (msgType != PCAN_INIT_TYPE_ST && msgType != PCAN_INIT_TYPE_EX))
        return PCAN_ERR_PARMVAL;
    Channel channel;
    if (!Channel::parse(configuredChannel(), channel))
        return PCAN_ERR_ILLHW;
    const bool extended = msgType == PCAN_INIT_TYPE_EX;

    // A second initialisation starts afresh: the old channel is closed first
    // so that it can be opened again at the new rate.
    std::shared_ptr<Backend> old;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        old.swap(backend_);
    }
    old.reset();

    std::uint32_t error = PCAN_ERR_OK;
    try {
        std::shared_ptr<Backend> backend;
        if (channel.kind() == Channel::Kind::Virtual)
            backend = VirtualBackend::open(channel.name(), bitrate, extended, &error);
        else
            backend = SocketCanBackend::open(channel.name(), bitrate, extended, &error);
        std::lock_guard<std::mutex> lock(mutex_);
        backend_ = std::move(backend);
        channelText_ = channel.describe();
    } catch (const std::bad_alloc&) {
        return PCAN_ERR_RESOURCE;
    }
    return error;
}

std::uint32_t Driver::close()
{
    std::shared_ptr<Backend> old;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        old.swap(backend_);
    }
    return PCAN_ERR_OK;  // the reader stops as `old` goes
}

std::uint32_t Driver::status()
{
    std::shared_ptr<Backend> backend = current();
    return backend ? backend->status() : PCAN_ERR_ILLCLIENT;
}

std::uint32_t Driver::write(const TPCANMsg* msg)
{
    std::shared_ptr<Backend> backend = current();
    if (!backend)
        return PCAN_ERR_ILLCLIENT;
    if (!msg)
        return PCAN_ERR_PARMVAL;
    return backend->write(*msg);
}

std::uint32_t Driver::read(TPCANMsg* msg)
{
    std::shared_ptr<Backend> backend = current();
    if (!backend)
        return PCAN_ERR_ILLCLIENT;
    if (!msg)
        return PCAN_ERR_PARMVAL;
    return backend->read(*msg);
}

std::uint32_t Driver::versionInfo(char* text)
{
    if (!text)
        return PCAN_ERR_PARMVAL;
    std::string channel;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        channel = channelText_;
    }
    if (channel.empty()) {
        std::string configured = configuredChannel();
        Channel parsed;
        channel = Channel::parse(configured, parsed) ? parsed.describe() : "no channel";
    }
    std::snprintf(text, PCAN_VERSION_TEXT_SIZE, "PCAN-Light compatible driver for %s (%s) %s",
                  config_.board, channel.c_str(), kVersion);
    return PCAN_ERR_OK;
}

std::uint32_t Driver::resetClient()
{
    std::shared_ptr<Backend> backend = current();
    if (!backend)
        return PCAN_ERR_ILLCLIENT;
    backend->reset();
    return PCAN_ERR_OK;
}

std::uint32_t Driver::waitRead(std::uint32_t timeoutMicroseconds)
{
    std::shared_ptr<Backend> backend = current();
    if (!backend)
        return PCAN_ERR_ILLCLIENT;
    return backend->waitRead(timeoutMicroseconds) ? PCAN_ERR_OK : PCAN_ERR_QRCVEMPTY;
}

}  // namespace ovro::pcanlight
