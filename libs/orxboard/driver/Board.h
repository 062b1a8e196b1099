// Board - an emulated Orvax board behind the driver's board object: claims
// the board (a lock file beside the registry, so that a second process
// finds it in use), checks and keeps the firmware it is given (and keeps it
// over a restart, in "Board<entry>.flash"), and on configuration creates
// the board's queues and boots the firmware. Each driver library runs one
// board at a time per process: the firmware's master services are
// process-global.
#ifndef ORXBOARD_BOARD_H
#define ORXBOARD_BOARD_H

#include "BoardModels.h"
#include "BoardQueues.h"
#include "FaultSet.h"
#include "RegistryAccess.h"

#include <orxboard/kdi3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orx {

class Firmware;

struct DriverConfig {
    const char* name;      // "kdi_usb"
    Driver driver;         // the boards this library runs
    std::uint32_t pcanType;  // the CAN controller: a PCAN-Light board type
};

class Board {
public:
    Board(const DriverConfig& config, const BoardModel& model, std::uint32_t entry, FaultSet faults);
    ~Board();
    Board(const Board&) = delete;
    Board& operator=(const Board&) = delete;

    KDI_RESULT open();
    KDI_RESULT download(const void* image, std::uint32_t size, std::uint32_t mode);
    KDI_RESULT configure(const KdiBoardParameter* parameter);
    KDI_RESULT info(KdiBoardInfo* info) const;
    KDI_RESULT close();

    // Null until the board is configured.
    std::shared_ptr<BoardQueues> queues() const { return m_queues; }
    const FaultSet& faults() const { return m_faults; }

private:
    std::string flashFile() const;
    bool bootImage(std::uint16_t* version);

    DriverConfig m_config;
    const BoardModel& m_model;
    std::uint32_t m_entry;
    FaultSet m_faults;
    RegistryAccess m_registry;
    bool m_open = false;
    int m_lockFd = -1;
    std::vector<std::uint8_t> m_image;
    std::shared_ptr<BoardQueues> m_queues;
    std::unique_ptr<Firmware> m_firmware;
};

}  // namespace orx

#endif
