// MasterEngine - the firmware's CANopen master: the software master's
// protocol services (libs/softmaster: NMT, SDO client, PDO, SYNC, EMCY,
// LMT, linked into the driver library) driving the board's CAN controller,
// a PCAN-Light-compatible channel. The services keep process-global state
// and are not thread-safe, so every call runs under the engine's lock.
//
// Results are board results (orx_protocol.h): the master's error codes
// mapped to what the firmware answers.
//
// Usage:
//   MasterEngine engine(COP_BOARD_PCAN_USB, "virtual:demo");
//   std::unique_lock<std::mutex> lock(engine.mutex());
//   engine.initInterface(COP_BAUD_500);
//   engine.addNode(5);  engine.readSdo(...);
#ifndef ORXBOARD_MASTERENGINE_H
#define ORXBOARD_MASTERENGINE_H

#include <orxboard/orx_protocol.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

namespace orx {

class MasterEngine {
public:
    // pcanType: the PCAN-Light board type of the controller; channel: the
    // registry's CHANNEL (empty: the environment's).
    MasterEngine(std::uint32_t pcanType, std::string channel);
    ~MasterEngine();
    MasterEngine(const MasterEngine&) = delete;
    MasterEngine& operator=(const MasterEngine&) = delete;

    std::mutex& mutex() { return m_mutex; }

    // Board result of a master error code.
    static std::int8_t boardResult(std::int32_t copError);

    // ---- everything below with mutex() held ----
    std::int8_t initInterface(std::uint8_t baud);
    void terminate();
    bool started() const { return m_started; }
    std::uint8_t controllerStatus() const;

    std::int8_t addNode(std::uint8_t node);
    std::int8_t deleteNode(std::uint8_t node);
    std::int8_t searchNode(std::uint8_t node, std::uint32_t* abortCode);
    std::int8_t nmt(std::uint16_t command, std::uint8_t node);
    std::int8_t setSdoTimeout(std::uint16_t timeout);
    std::int8_t readSdo(std::uint8_t node, std::uint16_t index, std::uint8_t sub, std::uint8_t* data,
                        std::int16_t capacity, std::int16_t* length, std::uint32_t* abortCode);
    std::int8_t writeSdo(std::uint8_t node, std::uint16_t index, std::uint8_t sub, const std::uint8_t* data,
                         std::int16_t length, std::uint32_t* abortCode);
    std::int8_t createPdo(std::uint8_t node, std::uint8_t pdo, std::uint8_t transmit, std::uint16_t cobId,
                          std::uint8_t length);
    std::int8_t writePdo(std::uint8_t node, std::uint8_t pdo, const std::uint8_t* data);
    std::int8_t requestPdo(std::uint8_t node, std::uint8_t pdo);
    // 1 with a PDO, 0 when none waits.
    int readPdo(std::uint8_t* node, std::uint8_t* pdo, std::uint8_t* data, std::uint8_t* length);
    int readEmergency(std::uint8_t* node, std::uint8_t* data);
    std::int8_t sendSync();
    std::int8_t lmtAddress(char* manufacturer, char* product, char* serial);
    std::int8_t lmtConfigure(const char* manufacturer, const char* product, const char* serial,
                             std::uint8_t node, std::uint8_t baud, std::uint32_t* abortCode);

    // Whether the controller runs, without the lock.
    bool running() const { return m_running; }
    // Waits (without the lock) until the controller holds a frame, at most
    // `microseconds`; returns at once when the controller is not started.
    bool waitForFrame(std::uint32_t microseconds);

private:
    std::int8_t transfer(int ok, std::uint32_t* abortCode);

    std::mutex m_mutex;
    std::uint32_t m_pcanType;
    std::string m_channel;
    void* m_driver = nullptr;  // the PCAN-Light library, for the channel and the wait
    void* m_setChannel = nullptr;
    void* m_waitRead = nullptr;
    bool m_started = false;
    std::atomic<bool> m_running{false};  // m_started, for waitForFrame without the lock
};

}  // namespace orx

#endif
