#include "FirmwareLoader.h"

#include "SdoAbortCode.h"

#include <algorithm>

using FirmwareImage::Kind;

uint16_t FirmwareLoader::checksum(const uint8_t* data, size_t size)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += static_cast<uint8_t>(data[i] + 1);
    return static_cast<uint16_t>(sum);
}

bool FirmwareLoader::applicationValid() const
{
    return FirmwareImage::check(Kind::Application, m_flash.bytes().data(), m_flash.bytes().size()).has_value();
}

void FirmwareLoader::boot()
{
    std::fill(m_ram.begin(), m_ram.end(), 0);
    m_havePage = false;
    m_pages = 0;
    if (auto version = FirmwareImage::check(Kind::Application, m_flash.bytes().data(), m_flash.bytes().size())) {
        m_stage = Stage::Application;
        m_version = *version;
    } else {
        // No complete application: the resident loader keeps the controller.
        m_stage = Stage::FirstLevel;
        m_version = FirmwareImage::kFirstLevelVersion;
    }
}

void FirmwareLoader::startFirstLevel()
{
    m_stage = Stage::FirstLevel;
    m_version = FirmwareImage::kFirstLevelVersion;
    std::fill(m_ram.begin(), m_ram.end(), 0);
    m_havePage = false;
    m_pages = 0;
}

uint32_t FirmwareLoader::command(uint32_t value, Action& action)
{
    action = Action::None;
    if (m_refuseNext) {
        m_refuseNext = false;
        return SdoAbortCode::CannotStore;
    }
    if (value == kStartLoader) {
        // From the application or either loader: a download starts over.
        if (m_stage == Stage::Application)
            action = Action::StopApplication;
        startFirstLevel();
        return 0;
    }
    if (value == kStartApplication) {
        // The second-level loader starts only a complete application; the
        // others reset the controller, which then starts what it finds.
        if (m_stage == Stage::SecondLevel) {
            if (!applicationValid())
                return SdoAbortCode::CannotStoreState;
            m_flashedPages = m_pages;
        }
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
        return SdoAbortCode::CannotStoreState;  // no loader runs
    if (size == kHeaderSize) {
        if (std::any_of(data, data + size, [](uint8_t b) { return b != 0; }))
            return SdoAbortCode::ValueRange;
        // Start the second-level loader: the first-level loader's job, and
        // only with a complete one in RAM.
        if (m_stage != Stage::FirstLevel)
            return SdoAbortCode::CannotStoreState;
        auto version = FirmwareImage::check(Kind::Loader, m_ram.data(), m_ram.size());
        if (!version)
            return SdoAbortCode::CannotStoreState;
        // The second-level loader erases the application before it programs.
        if (!m_flash.erase(m_lastError))
            return SdoAbortCode::HardwareError;
        m_stage = Stage::SecondLevel;
        m_version = *version;
        m_havePage = false;
        m_pages = 0;
        return 0;
    }
    if (size != kBlockSize)
        return size < kBlockSize ? SdoAbortCode::LengthTooLow : SdoAbortCode::LengthTooHigh;
    if (data[4] != 0 || data[5] != 0 || data[6] != 0)
        return SdoAbortCode::ValueRange;
    const uint16_t sum = static_cast<uint16_t>(data[kHeaderSize + kPageSize] | data[kHeaderSize + kPageSize + 1] << 8);
    if (sum != checksum(data + kHeaderSize, kPageSize))
        return SdoAbortCode::CannotStore;
    return page(data);
}

uint32_t FirmwareLoader::page(const uint8_t* block)
{
    const uint32_t address = uint32_t(block[0]) | uint32_t(block[1]) << 8 | uint32_t(block[2]) << 16 |
                             uint32_t(block[3]) << 24;
    const Kind kind = m_stage == Stage::FirstLevel ? Kind::Loader : Kind::Application;
    const uint32_t base = FirmwareImage::baseOf(kind);
    const uint32_t size = FirmwareImage::memorySizeOf(kind);
    if (address % kPageSize != 0 || address < base || address - base > size - kPageSize)
        return SdoAbortCode::ValueRange;
    // Ascending order; the page just taken again is a repeat.
    if (m_havePage && address < m_lastAddress)
        return SdoAbortCode::ValueRange;
    const bool repeat = m_havePage && address == m_lastAddress;
    const uint8_t* bytes = block + kHeaderSize;
    if (kind == Kind::Loader) {
        std::copy(bytes, bytes + kPageSize, m_ram.begin() + (address - base));
    } else if (!m_flash.write(address - base, bytes, kPageSize, m_lastError)) {
        return SdoAbortCode::HardwareError;
    }
    if (!repeat)
        ++m_pages;
    m_havePage = true;
    m_lastAddress = address;
    return 0;
}
