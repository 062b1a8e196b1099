// FirmwareLoader.h - the K315's loaders behind object 0x2F50.
//
// Sub-index 1 takes the commands "FPRG" (stop the application, start the
// resident first-level loader) and "FEND" (start the application / reset
// the controller); sub-index 3 takes page blocks: page address (32 bit),
// three reserved zero bytes, 128 data bytes and the 16-bit sum of
// (byte + 1) mod 256.
//
// The first-level loader receives the second-level loader into RAM. A
// block of seven zero bytes starts it, but only when RAM holds a complete
// one (FirmwareImage). The second-level loader erases the FLASH and
// programs the pages of the application into it; "FEND" starts the new
// application once the FLASH holds a complete one. Pages must lie on a page
// boundary inside the memory of the loader that takes them, in ascending
// order; the page just taken may come again (a write whose answer was lost).
//
// At every start of the controller (power on, reset, "FEND") the
// application runs when the FLASH holds a complete one; otherwise the
// first-level loader keeps the controller until a download is complete.
#pragma once

#include "FirmwareImage.h"
#include "FlashStore.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class FirmwareLoader {
public:
    enum class Stage : uint8_t { Application = 0, FirstLevel = 1, SecondLevel = 2 };
    enum class Action : uint8_t { None, StopApplication, Restart };

    static constexpr uint32_t kStartLoader = 0x47525046;       // "FPRG"
    static constexpr uint32_t kStartApplication = 0x444E4546;  // "FEND"
    static constexpr size_t kPageSize = 128;
    static constexpr size_t kHeaderSize = 7;
    static constexpr size_t kBlockSize = kHeaderSize + kPageSize + 2;

    static uint16_t checksum(const uint8_t* data, size_t size);

    explicit FirmwareLoader(std::string flashPath = std::string()) : m_flash(std::move(flashPath)) {}

    // Reads the FLASH (the file, or the factory application with this
    // version text); false with a message.
    bool loadFlash(const std::string& factoryVersion, std::string& error)
    {
        return m_flash.load(factoryVersion, error);
    }

    // A command written to sub-index 1: returns 0 or an SDO abort code.
    uint32_t command(uint32_t value, Action& action);
    // A block written to sub-index 3: returns 0 or an SDO abort code.
    uint32_t block(const uint8_t* data, size_t size);
    // The next command or block is refused (a failure asked for by a test).
    void refuseNext() { m_refuseNext = true; }
    // The controller starts: RAM is lost, FLASH kept; the application runs
    // if the FLASH holds a complete one, else the first-level loader.
    void boot();

    Stage stage() const { return m_stage; }
    // The version text of what runs: the application's, or a loader's.
    const std::string& runningVersion() const { return m_version; }
    bool applicationValid() const;
    const std::vector<uint8_t>& ram() const { return m_ram; }
    const std::vector<uint8_t>& flash() const { return m_flash.bytes(); }
    const std::string& flashPath() const { return m_flash.path(); }
    // Pages taken since the last start of a loader (repeats counted once).
    uint32_t pagesTaken() const { return m_pages; }
    // FLASH pages of the last download that started its application.
    uint32_t flashedPages() const { return m_flashedPages; }
    // The reason of the last refusal with a hardware error (FLASH file).
    const std::string& lastError() const { return m_lastError; }

private:
    uint32_t page(const uint8_t* block);
    void startFirstLevel();

    Stage m_stage = Stage::Application;
    std::string m_version;
    std::vector<uint8_t> m_ram = std::vector<uint8_t>(FirmwareImage::kRamSize, 0);
    FlashStore m_flash;
    bool m_havePage = false;
    uint32_t m_lastAddress = 0;
    uint32_t m_pages = 0;
    uint32_t m_flashedPages = 0;
    bool m_refuseNext = false;
    std::string m_lastError;
};
