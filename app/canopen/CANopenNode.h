// CANopenNode.h - the program's handle on one drive on the bus.
//
// The master object creates, connects and deletes node objects. Every
// access to the drive's object dictionary, its NMT commands and its PDOs
// goes through a node. No operation shows a message: each returns false and
// leaves LastError() (a COP error code or one of the node's own codes) and,
// after an SDO abort (error 4), LastAbort().
#pragma once

#include "canopen/CANopenTypes.h"

#include <cstdint>
#include <string>

class CCANopenErrorText;

class CCANopenNode {
public:
    // errorTexts: the lookup behind ErrorText(); may be null.
    explicit CCANopenNode(const CCANopenErrorText* errorTexts = nullptr);
    virtual ~CCANopenNode();
    CCANopenNode(const CCANopenNode&) = delete;
    CCANopenNode& operator=(const CCANopenNode&) = delete;

    // Registers the node and defines its two receive PDOs (8 and 9).
    bool Connect(std::uint16_t boardHandle, std::uint8_t nodeId);
    bool Disconnect();

    // SDO upload of at most size bytes into data; *length is the number of
    // bytes the master library reports, which may exceed size.
    bool ReadSDO(std::uint16_t index, std::uint8_t subIndex, std::uint8_t* data, std::uint32_t* length,
                 std::uint32_t size);
    bool WriteSDO(std::uint16_t index, std::uint8_t subIndex, const std::uint8_t* data,
                  std::uint16_t length);

    // Little-endian values of 1, 2 or 4 bytes. A shorter answer leaves the
    // remaining bytes of value as they were.
    bool ReadU8(std::uint16_t index, std::uint8_t subIndex, std::uint8_t& value);
    bool ReadU16(std::uint16_t index, std::uint8_t subIndex, std::uint16_t& value);
    bool ReadU32(std::uint16_t index, std::uint8_t subIndex, std::uint32_t& value);
    bool WriteU8(std::uint16_t index, std::uint8_t subIndex, std::uint8_t value);
    bool WriteU16(std::uint16_t index, std::uint8_t subIndex, std::uint16_t value);
    bool WriteU32(std::uint16_t index, std::uint8_t subIndex, std::uint32_t value);

    // Clears the drive's error history (0x1003/0 := 0).
    bool ClearErrorHistory();

    bool StartNode();
    bool EnterPreOperational();
    bool ResetNode();
    bool ResetCommunication();

    // "Device=%s, S/N=%lu HW=%s, SW=%s, NodeId=%u"
    bool GetIdentity(std::string& text);

    // Sets up one PDO of the drive (communication object commIndex) and the
    // matching PDO in the master. The record's entry count is read from the
    // drive.
    bool ConfigurePDO(std::uint8_t pdoNumber, std::uint16_t commIndex, PdoCommParam* record,
                      std::uint8_t length);

    // Takes the oldest received PDO; one of another node is consumed and
    // answered with error 9.
    bool ReadPDO(std::uint8_t* pdoNumber, std::uint8_t* data, std::uint8_t* length,
                 std::uint16_t* status = nullptr);

    // The text of LastAbort(): brief, the text alone; else the whole
    // message with node, object and code.
    std::string GetAbortText(bool brief) const;
    // The text of an SDO abort code.
    static const char* AbortText(std::uint32_t abortCode);

    // The text of the last error for a message: after an abort the abort
    // code's text, else the COP error text.
    std::string ErrorText() const;

    std::uint16_t BoardHandle() const { return boardHandle_; }
    std::uint8_t NodeId() const { return nodeId_; }
    std::int16_t LastError() const { return lastError_; }
    // Forgets the last error (the oscilloscope polls PDOs that may not be there).
    void ClearLastError() { lastError_ = 0; }
    std::uint32_t LastAbort() const { return lastAbort_; }
    std::uint16_t LastIndex() const { return lastIndex_; }
    std::uint8_t LastSubIndex() const { return lastSubIndex_; }

private:
    bool Fail(std::int32_t error);
    bool FailFromCop();
    bool Succeed();
    bool SdoFailed();
    bool ReadValue(std::uint16_t index, std::uint8_t subIndex, std::uint8_t* bytes, std::uint32_t size);

    std::uint16_t boardHandle_ = 0;
    std::uint8_t nodeId_ = 0;
    std::int16_t lastError_ = 0;
    std::uint32_t lastAbort_ = 0;
    std::uint16_t lastIndex_ = CANopen::Object::DeviceType;
    std::uint8_t lastSubIndex_ = 0;
    const CCANopenErrorText* errorTexts_ = nullptr;
};
