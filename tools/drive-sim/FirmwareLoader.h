// FirmwareLoader.h - the drive's loaders behind object 0x2F50 (K315).
//
// Sub-index 1 takes the commands "FPRG" (start the resident first-level
// loader) and "FEND" (start the application / reset the controller);
// sub-index 3 takes page blocks: page address (32 bit), three reserved
// zero bytes, 128 data bytes and the 16-bit sum of (byte + 1) mod 256.
// The first-level loader receives the second-level loader into RAM; a block
// of seven zero bytes starts it; the second-level loader writes the pages of
// the application into FLASH. Pages must come in ascending address order; a
// page may be repeated (a write whose answer was lost).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>

class FirmwareLoader {
public:
    enum class Stage : uint8_t { Application = 0, FirstLevel = 1, SecondLevel = 2 };
    enum class Action : uint8_t { None, StopDrive, Restart };

    static constexpr uint32_t kStartLoader = 0x47525046;       // "FPRG"
    static constexpr uint32_t kStartApplication = 0x444E4546;  // "FEND"
    static constexpr size_t kPageSize = 128;
    static constexpr size_t kHeaderSize = 7;
    static constexpr size_t kBlockSize = kHeaderSize + kPageSize + 2;
    static constexpr size_t kRamPages = 256;  // 32 KiB for the second-level loader

    using Page = std::array<uint8_t, kPageSize>;

    static uint16_t checksum(const uint8_t* data, size_t size);

    // A command written to sub-index 1: returns 0 or an SDO abort code.
    uint32_t command(uint32_t value, Action& action);
    // A block written to sub-index 3: returns 0 or an SDO abort code.
    uint32_t block(const uint8_t* data, size_t size);
    // The next command or block is refused (a failure asked for by a test).
    void refuseNext() { m_refuseNext = true; }
    // The controller restarts: the application runs, RAM is lost, FLASH kept.
    void restart();

    Stage stage() const { return m_stage; }
    const std::map<uint32_t, Page>& ram() const { return m_ram; }
    const std::map<uint32_t, Page>& flash() const { return m_flash; }
    uint32_t flashedPages() const { return m_flashedPages; }  // of the last completed download

private:
    uint32_t page(uint32_t address, const uint8_t* data, std::map<uint32_t, Page>& memory);

    Stage m_stage = Stage::Application;
    std::map<uint32_t, Page> m_ram;
    std::map<uint32_t, Page> m_flash;
    bool m_havePage = false;
    uint32_t m_lastAddress = 0;
    uint32_t m_flashedPages = 0;
    bool m_refuseNext = false;
};
