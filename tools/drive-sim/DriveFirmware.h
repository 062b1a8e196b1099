// DriveFirmware.h - the K315's firmware side: its loaders behind object
// 0x2F50 (FirmwareLoader), the version text it reports in 0x100A, the node's
// loader-only mode while a loader holds the controller, and the failures a
// test injects into a download through the control socket:
//   loader refuse-start        the next "FPRG" is refused with an SDO abort
//   loader refuse-page N [K]   the N-th page written from now is refused, and
//                              so are its next K-1 writes (K = 1 by default)
//   loader silent-at N         the drive falls silent while it takes the
//                              N-th page written from now (until "resume")
// The "refuse firmware" failure of the node refuses the next command or
// block, whatever it is.
#pragma once

#include "DriveContext.h"
#include "FirmwareLoader.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class DriveFirmware {
public:
    // stopApplication: the application leaves the controller (power stage
    // off, motion stopped).
    DriveFirmware(DriveContext& context, std::function<void()> stopApplication);

    // Reads the FLASH; false with a message.
    bool prepare(std::string& error);
    // The controller starts (power on, reset): the application in the FLASH
    // or, without a complete one, the first-level loader.
    void boot();

    // Writes to 0x2F50 sub-index 1 and 3: 0 or an SDO abort code.
    uint32_t command(uint32_t value);
    uint32_t block(const std::vector<uint8_t>& data);

    bool onControl(const std::vector<std::string>& words, std::string& reply);
    void describeState(std::string& out) const;

    const FirmwareLoader& loader() const { return m_loader; }
    // The objects a loader answers: identity, versions, model probe, 0x2F50.
    static bool servedByLoader(uint16_t index);

private:
    // Shows what runs: version text in 0x100A, loader-only mode of the node.
    void publish();

    DriveContext& m_ctx;
    std::function<void()> m_stopApplication;
    FirmwareLoader m_loader;
    bool m_refuseStart = false;
    uint64_t m_pageWrites = 0;       // writes of pages so far
    uint64_t m_refuseFrom = 0;       // number of the first refused page write, 0 = none
    uint64_t m_refuseCount = 0;
    uint64_t m_pagesRefused = 0;     // page writes refused as asked
    uint64_t m_silentAt = 0;         // page write that silences the drive, 0 = none
};
