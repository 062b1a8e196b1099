// DriveContext.h - what the drive-profile modules get from the CANopen side.
//
// The simulator owns the object dictionary, the NMT state machine, the
// emergency producer and the store file. Drive modules (device control,
// motion, homing, logbook, firmware loader) add their objects to the
// dictionary in their constructor, hook into them, and are ticked by the
// main loop in steps of 1 ms.
#pragma once

#include "ObjectDictionary.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class DriveModel : uint8_t { K315, H315 };

// NMT states with their heartbeat / node-guarding codes.
enum class NmtState : uint8_t {
    Initialising = 0x00,
    Stopped = 0x04,
    Operational = 0x05,
    PreOperational = 0x7F,
};

enum class DriveEvent : uint8_t {
    ResetNode,           // NMT reset node (the store file has been reloaded)
    ResetCommunication,  // NMT reset communication
    NmtStateChanged,     // see DriveContext::nmtState()
    Stored,              // 0x1010 "save" done: parameters are in the store file
    Restored,            // 0x1011 "load" done: factory values take effect after the next reset
};

// Failures a test asks for through the control socket.
enum class InjectedFailure : uint8_t {
    RefuseStore,     // the next store (0x1010) is refused
    RefuseFirmware,  // the next firmware command (0x2F50) is refused
};

class DriveContext;

class IDriveModule {
public:
    virtual ~IDriveModule() = default;
    // Advances the module by elapsedMs >= 1 (it steps through them one
    // millisecond at a time). The main loop calls it every millisecond,
    // except while every module is at rest: then it catches up before the
    // next frame or control line, at the latest every 100 ms.
    virtual void tick(uint32_t elapsedMs) = 0;
    // True while nothing the module does can show on the bus on its own
    // (no motion, no power stage, no fault reaction): it need not be ticked
    // every millisecond then.
    virtual bool atRest() const { return false; }
    virtual void onEvent(DriveEvent /*event*/) {}
    // A fault raised through the control socket ("fault CODE"): the simulator
    // has already sent the emergency with that code and recorded it; the
    // module puts the drive into its fault state (0x603F, statusword).
    virtual void onFault(uint16_t /*errorCode*/) {}
    // A control line the simulator itself does not know; return true and
    // fill reply ("ok ..." or "error ...") when the module handled it.
    virtual bool onControl(const std::vector<std::string>& /*words*/, std::string& /*reply*/) { return false; }
    // Appends "key=value" lines to the state report of the control socket.
    virtual void describeState(std::string& /*out*/) const {}
};

class DriveContext {
public:
    virtual ~DriveContext() = default;

    virtual ObjectDictionary& dictionary() = 0;
    virtual DriveModel model() const = 0;
    virtual uint8_t nodeId() const = 0;  // 0 = unconfigured
    virtual NmtState nmtState() const = 0;
    virtual uint64_t nowMs() const = 0;  // monotonic

    // Sends an emergency (0x80 + node-id): error code, error register and
    // five manufacturer bytes; records the code in 0x1003 and sets 0x1001.
    // errorCode 0 is the "error reset / no error" message: it clears 0x1001.
    virtual void sendEmergency(uint16_t errorCode, uint8_t errorRegister,
                               const std::array<uint8_t, 5>& data) = 0;

    // Writes the retained entries to the store file now (counters, ...).
    virtual void saveRetained() = 0;
    // Resets the node as NMT reset node does, after the current SDO answer.
    virtual void requestResetNode() = 0;
    // True once per failure asked for through the control socket.
    virtual bool takeInjectedFailure(InjectedFailure failure) = 0;
};

// Drive modules register a factory at static initialisation:
//   static DriveModuleRegistration reg("drive", [](DriveContext& c) {
//       return std::make_unique<DriveProfile>(c); });
// The simulator creates every registered module in name order once its
// CANopen objects exist.
using DriveModuleFactory = std::function<std::unique_ptr<IDriveModule>(DriveContext&)>;

struct DriveModuleRegistration {
    DriveModuleRegistration(const char* name, DriveModuleFactory factory);
    static std::vector<std::pair<std::string, DriveModuleFactory>>& all();
};
