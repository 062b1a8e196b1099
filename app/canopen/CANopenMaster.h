// CANopenMaster.h - the program's single owner of the CAN interface.
//
// It opens, restarts and closes the interface through the COP API, owns one
// node object per connected node-id, gives the single unconfigured node on
// the bus a node-id and baud rate by LMT, and turns error codes into texts.
// Its operations never show messages: they return false (or null) and
// leave LastError(), which the caller turns into a message.
//
// Usage:
//     CCANopenMaster master;
//     CopHwParam hw{};                       // address and IRQ of an ISA board
//     if (!master.Initialize(COP_LIBRARY_SOFTMASTER, COP_BOARD_PCAN_USB, &hw, COP_BAUD_125, 0))
//         return master.ErrorText(master.LastError());
//     CCANopenNode* node = nullptr;
//     if (master.ConnectNode(5, &node)) {    // the node object stays the master's
//         std::uint32_t type = 0;
//         node->ReadU32(CANopen::Object::DeviceType, 0, type);   // SDO upload
//         master.DisconnectNode(node);
//     }
//     master.Terminate();
#pragma once

#include "canopen/CANopenErrorText.h"
#include "canopen/CANopenTypes.h"

#include <cop/cop.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

class CCANopenNode;

class CCANopenMaster {
public:
    CCANopenMaster();
    // Deletes the node objects without talking to the bus.
    virtual ~CCANopenMaster();
    CCANopenMaster(const CCANopenMaster&) = delete;
    CCANopenMaster& operator=(const CCANopenMaster&) = delete;

    bool Initialize(std::int16_t library, std::uint32_t boardType, const CopHwParam* hw, std::uint8_t baud,
                    std::uint8_t timing);
    // Restarts at another baud rate, keeping the node objects.
    bool Reinitialize(std::uint8_t baud, std::uint8_t timing);
    // Disconnects and deletes every node, closes the interface. Always true.
    bool Terminate();
    // Returns the previous time-out whether or not the call succeeded.
    std::uint16_t SetSDOTimeout(std::uint16_t timeout);

    bool ConnectNode(std::uint8_t nodeId, CCANopenNode** node = nullptr);
    CCANopenNode* GetNode(std::uint8_t nodeId);
    bool DisconnectNode(CCANopenNode* node);
    bool DisconnectNode(std::uint8_t nodeId);
    // LMT configuration of the one node on the bus; the new node object or null.
    CCANopenNode* ConfigureNode(std::uint8_t nodeId, std::uint8_t baud);

    bool GetBoardInfo(std::string& text);

    // The board master delivers received PDOs through a callback in its
    // receive thread instead of being polled.
    bool IsBoardLibrary() const;
    // Hands the board master its PDO-received callback (once per run).
    bool DefinePdoCallback(ORX_CALLBACK callback);
    // Takes the oldest PDO the board master holds; for its callback, in the
    // board's thread: it touches no state of the master object.
    static bool ReadBoardPdo(std::uint8_t* node, std::uint8_t* pdoNumber, std::uint8_t* length,
                             std::uint8_t* data);
    bool GetLastErrorText(std::string& text) const;

    // The error texts of the program (see CCANopenErrorText).
    void SetErrorList(std::map<std::int32_t, std::string> errors);
    const CCANopenErrorText& ErrorTexts() const { return errorTexts_; }
    std::string ErrorText(std::int32_t code) const { return errorTexts_.Text(code); }

    // The wait between the LMT bit-timing switch and the restart at the new
    // rate (1000 ms); replaceable for tests.
    void SetWaitFunction(std::function<void(std::chrono::milliseconds)> wait);

    bool IsInitialised() const { return initialised_; }
    // Which opening of an interface this is: a number of its own for every
    // successful Initialize of any master in the program (0: none yet).
    // What a board keeps per opening, such as its callbacks, is gone with
    // the next one.
    std::uint32_t Session() const { return session_; }
    std::uint16_t BoardHandle() const { return boardHandle_; }
    std::uint32_t BoardType() const { return boardType_; }
    std::uint32_t HwAddress() const { return hwAddress_; }
    std::uint32_t HwInterrupt() const { return hwInterrupt_; }
    std::uint8_t Timing() const { return timing_; }
    std::uint8_t BaudRate() const { return baudRate_; }
    std::uint16_t SdoTimeout() const { return sdoTimeout_; }
    std::int16_t LastError() const { return lastError_; }

private:
    bool Fail(std::int32_t error);
    bool FailFromCop();
    bool StartInterface(std::uint8_t baud);
    bool WriteLmt(const std::array<std::uint8_t, 8>& message);
    void DeleteNodes();

    bool initialised_ = false;
    std::uint32_t session_ = 0;
    std::uint16_t boardHandle_ = 0;
    std::uint32_t boardType_ = 0xFFFFFFFFu;
    std::uint32_t hwAddress_ = 0;
    std::uint32_t hwInterrupt_ = 0;
    std::uint8_t timing_ = 0;
    std::uint8_t baudRate_ = COP_BAUD_20;
    std::uint16_t sdoTimeout_ = CANopen::kDefaultSdoTimeout;
    std::array<CCANopenNode*, CANopen::kNodeSlots> nodes_{};
    std::int16_t lastError_ = 0;
    CCANopenErrorText errorTexts_;
    std::function<void(std::chrono::milliseconds)> wait_;
};
