// ScriptedPeer.h - a scriptable CANopen node on the virtual CAN bus, for tests.
//
// The peer opens its own endpoint on a virtual bus (libs/canbus) and answers
// on a thread of its own until it is destroyed:
//   - SDO server (requests on 0x600 + node-id, answers on 0x580 + node-id):
//     expedited and segmented upload and download on a small object
//     dictionary; unknown objects abort with 0x06020000, writes to read-only
//     objects with 0x06010002, reads of write-only objects with 0x06010001;
//   - NMT (identifier 0): every command addressed to it or to all nodes is
//     recorded;
//   - remote requests: answered with the data set by setRemoteAnswer();
//   - LMT slave (0x7E5 in, 0x7E4 out): switch mode global / selective,
//     inquiries 0x24 / 0x25 / 0x26, configure node-id 0x11, bit timing 0x13,
//     store 0x17, each with a scriptable error code or misbehaviour;
//   - emergencies and arbitrary frames (PDOs) sent on demand.
// Every frame the peer receives is recorded (received(), waitForFrame()).
//
// Misbehaviour is scripted as one-shot SDO faults: each fault applies once to
// a chosen answer of the next SDO transfer (step 0 = the answer to the
// initiate request, step n = the answer to the n-th segment request).
//
// Typical use in a test fixture:
//   setenv("OVRO_CANBUS_DIR", tempDir, 1);
//   ovro::test::ScriptedPeer peer("e2e", 5);      // node 5, any bit rate
//   ASSERT_TRUE(peer.isOpen());
//   peer.setObject(0x1000, 0, {0x92, 0x01, 0x02, 0x00});
//   peer.injectSdoFault({ovro::test::ScriptedPeer::Fault::Abort, 0, 0x08000020});
//
// All members are thread-safe; the peer stops its thread in the destructor.
//
// CMake: link `ovro_test_peer`. A test folder that is configured before
// tests/support (folders are added in sorted order) adds it itself:
//   if(NOT TARGET ovro_test_peer)
//     add_subdirectory(${CMAKE_SOURCE_DIR}/tests/support ${CMAKE_CURRENT_BINARY_DIR}/support)
//   endif()
#ifndef OVRO_TEST_SCRIPTEDPEER_H
#define OVRO_TEST_SCRIPTEDPEER_H

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <canbus/canbus.h>

namespace ovro::test {

class ScriptedPeer {
public:
    // How an SDO answer misbehaves.
    enum class Fault {
        NoAnswer,     // send nothing: the client runs into its time-out
        WrongToggle,  // segment answer with the toggle bit of the previous one
        WrongCommand, // answer with a command specifier the client does not expect
        WrongLength,  // the proper answer, but with `length` data bytes (not 8)
        Abort,        // abort frame 0x80 with `abortCode` (any value, 0 included)
    };

    struct SdoFault {
        Fault fault = Fault::NoAnswer;
        unsigned step = 0;      // 0: answer to the initiate; n: to the n-th segment request
        uint32_t abortCode = 0; // Fault::Abort only
        uint8_t length = 7;     // Fault::WrongLength only (0..8, 8 is not a fault)
    };

    // How the peer answers one confirmed LMT service (0x11, 0x13, 0x17, 0x24..0x26).
    struct LmtScript {
        uint8_t errorCode = 0;       // error byte of a configure/store answer
        bool noAnswer = false;       // send nothing
        bool wrongCommand = false;   // answer with a command specifier + 1
        std::optional<uint8_t> length; // answer with this length instead of 8
    };

    // One recorded NMT command: command specifier and addressed node (0 = all).
    struct NmtCommand {
        uint8_t command;
        uint8_t node;
    };

    // Opens an endpoint on bus `bus` at `bitrate` bit/s (0: any rate) as node
    // `nodeId` (1..127). The device type 0x1000/0 is preset to 0x00020192.
    ScriptedPeer(const std::string& bus, uint8_t nodeId, uint32_t bitrate = 0);
    ~ScriptedPeer();
    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;

    bool isOpen() const { return ep_ != nullptr; }
    uint8_t nodeId() const;
    void setNodeId(uint8_t nodeId);
    void setBitrate(uint32_t bitrate);

    // ---- Object dictionary ----
    enum class Access { ReadWrite, ReadOnly, WriteOnly };
    void setObject(uint16_t index, uint8_t sub, std::vector<uint8_t> bytes,
                   Access access = Access::ReadWrite);
    void removeObject(uint16_t index, uint8_t sub);
    std::optional<std::vector<uint8_t>> object(uint16_t index, uint8_t sub) const;
    // Objects of 1..4 bytes are uploaded expedited by default; true makes
    // the peer upload them segmented too (larger ones always are).
    void setSegmentedUploads(bool segmented);
    // Expedited upload answers without the size-indicated bit (0x42).
    void setSizeIndicated(bool indicated);

    // ---- SDO misbehaviour ----
    void injectSdoFault(const SdoFault& fault);
    void clearSdoFaults();
    // Number of client abort frames (0x80 on 0x600 + node-id) received, and
    // the code of the last one.
    unsigned clientAborts() const;
    uint32_t lastClientAbortCode() const;

    // ---- Recording ----
    std::vector<canbus_frame> received() const;
    // Frames received with this identifier (flags stripped, RTR excluded).
    std::vector<canbus_frame> receivedWithId(uint32_t id) const;
    // Forgets the frames, NMT commands and client aborts received so far.
    void clearReceived();
    // Waits until a frame that `match` accepts has been received (also one
    // received before the call); false on time-out.
    bool waitForFrame(const std::function<bool(const canbus_frame&)>& match,
                      std::chrono::milliseconds timeout);
    std::vector<NmtCommand> nmtCommands() const;

    // ---- Sending on demand ----
    bool sendFrame(uint32_t id, const std::vector<uint8_t>& data);
    // Emergency on 0x080 + node-id: error code (low byte first), error
    // register, 5 manufacturer-specific bytes.
    bool sendEmergency(uint16_t errorCode, uint8_t errorRegister,
                       const std::array<uint8_t, 5>& manufacturer = {});
    // Answers a remote request for `cobId` with a data frame of `data`.
    void setRemoteAnswer(uint16_t cobId, std::vector<uint8_t> data);

    // ---- LMT slave ----
    // Manufacturer and product names (7 bytes each) and the serial number
    // as 14 decimal digits.
    void setLmtAddress(const std::string& manufacturer, const std::string& product,
                       const std::string& serialDigits);
    void setLmtScript(uint8_t commandSpecifier, const LmtScript& script);
    bool lmtConfigurationMode() const;
    std::optional<uint8_t> lmtConfiguredNodeId() const;   // from 0x11
    std::optional<uint8_t> lmtConfiguredBitTiming() const; // baud index from 0x13
    unsigned lmtStoreCount() const;                        // 0x17 received

private:
    struct ObjectEntry {
        std::vector<uint8_t> bytes;
        Access access;
    };
    // State of the SDO transfer in progress.
    struct Transfer {
        enum class Kind { None, Upload, Download } kind = Kind::None;
        uint16_t index = 0;
        uint8_t sub = 0;
        uint8_t toggle = 0;
        unsigned step = 0;
        size_t offset = 0;
        std::vector<uint8_t> data;
    };

    void run();
    void handle(const canbus_frame& f);
    void handleSdo(const canbus_frame& f);
    void handleLmt(const canbus_frame& f);
    void sdoUploadInitiate(uint16_t index, uint8_t sub);
    void sdoUploadSegment(uint8_t cmd);
    void sdoDownloadInitiate(const canbus_frame& f, uint16_t index, uint8_t sub);
    void sdoDownloadSegment(const canbus_frame& f);
    // Sends an SDO answer, applying a fault scripted for the current step.
    void sdoAnswer(std::array<uint8_t, 8> data, bool isSegmentAnswer);
    void sdoAbort(uint16_t index, uint8_t sub, uint32_t code);
    bool sendLocked(uint32_t id, const uint8_t* data, uint8_t len);

    canbus_endpoint* ep_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable frameArrived_;
    std::thread thread_;
    bool stop_ = false;

    uint8_t nodeId_;
    std::map<std::pair<uint16_t, uint8_t>, ObjectEntry> objects_;
    bool segmentedUploads_ = false;
    bool sizeIndicated_ = true;
    std::vector<SdoFault> faults_;
    Transfer transfer_;
    unsigned clientAborts_ = 0;
    uint32_t lastClientAbort_ = 0;

    std::vector<canbus_frame> received_;
    std::vector<NmtCommand> nmt_;
    std::map<uint16_t, std::vector<uint8_t>> remoteAnswers_;

    std::array<uint8_t, 7> lmtManufacturer_{};
    std::array<uint8_t, 7> lmtProduct_{};
    std::array<uint8_t, 7> lmtSerial_{};
    std::map<uint8_t, LmtScript> lmtScripts_;
    bool lmtConfig_ = false;
    uint8_t lmtSelective_ = 0; // selective switch parts matched so far
    std::optional<uint8_t> lmtNodeId_;
    std::optional<uint8_t> lmtBitTiming_;
    unsigned lmtStores_ = 0;
};

} // namespace ovro::test

#endif
