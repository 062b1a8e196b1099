#include "FirmwareLoader.h"

#include "SdoAbortCode.h"

#include <algorithm>

uint16_t FirmwareLoader::checksum(const uint8_t* data, size_t size)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += static_cast<uint8_t>(data[i] + 1);
    return static_cast<uint16_t>(sum);
}

void FirmwareLoader::restart()
{
    m_stage = Stage::Application;
    m_ram.clear();
    m_havePage = false;
}

uint32_t FirmwareLoader::command(uint32_t value, Action& action)
{
    action = Action::None;
    if (m_refuseNext) {
        m_refuseNext = false;
        return SdoAbortCode::CannotStore;
    }
    if (value == kStartLoader) {
        // (Re)start the first-level loader; a download always starts over.
        m_stage = Stage::FirstLevel;
        m_ram.clear();
        m_havePage = false;
        action = Action::StopDrive;
        return 0;
    }
    if (value == kStartApplication) {
        if (m_stage == Stage::SecondLevel)
            m_flashedPages = static_cast<uint32_t>(m_flash.size());
        m_stage = Stage::Application;
        m_ram.clear();
        m_havePage = false;
        action = Action::Restart;
        return 0;
    }
    return SdoAbortCode::ValueRange;
}

uint32_t FirmwareLoader::block(const uint8_t* data, size_t size)
{
    if (m_refuseNext) {
        m_refuseNext = false;
        return SdoAbortCode::CannotStore;
    }
    if (m_stage == Stage::Application)
        return SdoAbortCode::CannotStoreState;
    if (size == kHeaderSize) {
        if (std::any_of(data, data + size, [](uint8_t b) { return b != 0; }))
            return SdoAbortCode::ValueRange;
        // Start the second-level loader: only the first-level loader with a
        // loader in RAM can.
        if (m_stage != Stage::FirstLevel || m_ram.empty())
            return SdoAbortCode::CannotStoreState;
        m_stage = Stage::SecondLevel;
        m_flash.clear();
        m_havePage = false;
        return 0;
    }
    if (size != kBlockSize)
        return size < kBlockSize ? SdoAbortCode::LengthTooLow : SdoAbortCode::LengthTooHigh;

    const uint32_t address = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                             uint32_t(data[3]) << 24;
    if (data[4] != 0 || data[5] != 0 || data[6] != 0)
        return SdoAbortCode::ValueRange;
    const uint16_t sum = static_cast<uint16_t>(data[kHeaderSize + kPageSize] |
                                               data[kHeaderSize + kPageSize + 1] << 8);
    if (sum != checksum(data + kHeaderSize, kPageSize))
        return SdoAbortCode::CannotStore;
    return page(address, data + kHeaderSize, m_stage == Stage::FirstLevel ? m_ram : m_flash);
}

uint32_t FirmwareLoader::page(uint32_t address, const uint8_t* data, std::map<uint32_t, Page>& memory)
{
    if (address % kPageSize != 0)
        return SdoAbortCode::ValueRange;
    // Ascending order; the same page again is a repeat and is taken.
    if (m_havePage && address < m_lastAddress)
        return SdoAbortCode::ValueRange;
    if (&memory == &m_ram && memory.size() >= kRamPages && !memory.count(address))
        return SdoAbortCode::OutOfMemory;
    Page& p = memory[address];
    std::copy(data, data + kPageSize, p.begin());
    m_havePage = true;
    m_lastAddress = address;
    return 0;
}
