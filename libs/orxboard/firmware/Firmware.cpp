#include "Firmware.h"

#include "BusPump.h"
#include "CommandProcessor.h"
#include "SdoProcessor.h"

#include <orxboard/orx_protocol.h>

#include <system_error>

namespace orx {

Firmware::Firmware(std::shared_ptr<BoardQueues> queues, FirmwareSettings settings)
    : m_state(std::move(queues), std::move(settings))
{
}

Firmware::~Firmware()
{
    stop();
}

bool Firmware::start()
{
    {
        std::lock_guard<std::mutex> lock(m_state.engine.mutex());
        m_state.engine.setSdoTimeout(m_state.settings.sdoTimeout);
    }
    try {
        m_commands = std::thread([this] { CommandProcessor(m_state).run(); });
        m_sdo = std::thread([this] { SdoProcessor(m_state).run(); });
        m_pump = std::thread([this] { BusPump(m_state).run(); });
    } catch (const std::system_error&) {
        stop();
        return false;
    }
    std::uint8_t booted[ORX_HEADER + 6];
    orx_block_begin(booted, ORX_MSG_EVENT, 6);
    orx_put_u16(booted + ORX_PARAM, ORX_EVENT_BOOTED);
    orx_put_u32(booted + ORX_PARAM + 2, m_state.settings.version);
    m_state.queues->post(ORX_RXQ_EVENT, booted, sizeof booted);
    return true;
}

void Firmware::stop()
{
    m_state.stop = true;
    m_state.queues->stop();
    for (std::thread* t : {&m_commands, &m_sdo, &m_pump})
        if (t->joinable())
            t->join();
    std::lock_guard<std::mutex> lock(m_state.engine.mutex());
    m_state.engine.terminate();
}

}  // namespace orx
