// CANopenNode.cpp - the program's handle on one drive on the bus.
#include "canopen/CANopenNode.h"

#include "canopen/CANopenErrorText.h"
#include "ui/MessageTexts.h"

#include <cop/cop.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kSdoBufferSize = 256;
constexpr std::uint32_t kIdentityTextSize = 16;

struct AbortRow {
    std::uint32_t code;
    const char* text;
};

// CiA DS-301 abort codes and the texts the program shows for them.
const AbortRow kAbortTexts[] = {
    {0x05030000u, "Toggle bit not alternated."},
    {0x05040000u, "SDO protocol timed out."},
    {0x05040001u, "Client/server command specifier not valid or unknown."},
    {0x05040002u, "Invalid block size (block mode only)."},
    {0x05040003u, "Invalid sequence number (block mode only)."},
    {0x05040004u, "CRC error (block mode only)."},
    {0x05040005u, "Out of memory."},
    {0x06010000u, "Unsupported access to an object."},
    {0x06010001u, "Attempt to read a write only object."},
    {0x06010002u, "Attempt to write a read only object."},
    {0x06020000u, "Object does not exist in the object dictionary."},
    {0x06040041u, "Object cannot be mapped to the PDO."},
    {0x06040042u, "The number and length of the objects to be mapped would exceed PDO length."},
    {0x06040043u, "General parameter incompatibility reason."},
    {0x06040047u, "General internal incompatibility in the device."},
    {0x06060000u, "Access failed due to an hardware error."},
    {0x06070010u, "Data type does not match, length of service parameter does not match"},
    {0x06070012u, "Data type does not match, length of service parameter too high"},
    {0x06070013u, "Data type does not match, length of service parameter too low"},
    {0x06090011u, "Sub-index does not exist."},
    {0x06090030u, "Value range of parameter exceeded (only for write access)."},
    {0x06090031u, "Value of parameter written too high."},
    {0x06090032u, "Value of parameter written too low."},
    {0x06090036u, "Maximum value is less than minimum value."},
    {0x08000000u, "general error"},
    {0x08000020u, "Data cannot be transferred or stored to the application."},
    {0x08000021u, "Data cannot be transferred or stored to the application because of local control."},
    {0x08000022u,
     "Data cannot be transferred or stored to the application because of the present device state."},
    {0x08000023u, "Object dictionary dynamic generation fails or no object dictionary is present (e.g. "
                  "object dictionary is generated from file and generation fails because of an file "
                  "error)."},
};

constexpr const char* kUnknownAbortText = "Unknown SDO abort code.";

} // namespace

CCANopenNode::CCANopenNode(const CCANopenErrorText* errorTexts) : errorTexts_(errorTexts) {}

CCANopenNode::~CCANopenNode() = default;

bool CCANopenNode::Fail(std::int32_t error)
{
    lastError_ = static_cast<std::int16_t>(error);
    return false;
}

bool CCANopenNode::FailFromCop()
{
    return Fail(COP_GetLastError());
}

bool CCANopenNode::Succeed()
{
    lastError_ = 0;
    return true;
}

bool CCANopenNode::SdoFailed()
{
    FailFromCop();
    if (lastError_ == COP_ERR_ABORTED)
        lastAbort_ = COP_GetLastAbort();
    return false;
}

bool CCANopenNode::Connect(std::uint16_t boardHandle, std::uint8_t nodeId)
{
    using namespace CANopen;
    if (!COP_AddNode(nodeId))
        return FailFromCop();
    lastError_ = 0;
    boardHandle_ = boardHandle;
    nodeId_ = nodeId;
    if (!COP_CreatePDO(nodeId, kSamplePdo1, 0, static_cast<std::uint16_t>(kSamplePdo1Base + nodeId),
                       kSamplePdo1Length) ||
        !COP_CreatePDO(nodeId, kSamplePdo2, 0, static_cast<std::uint16_t>(kSamplePdo2Base + nodeId),
                       kSamplePdo2Length)) {
        FailFromCop();
        COP_DeleteNode(nodeId);
        nodeId_ = 0;
        boardHandle_ = 0;
        return false;
    }
    return true;
}

bool CCANopenNode::Disconnect()
{
    if (!COP_DeleteNode(nodeId_))
        return FailFromCop();
    lastError_ = 0;
    boardHandle_ = 0;
    nodeId_ = 0;
    return true;
}

bool CCANopenNode::ReadSDO(std::uint16_t index, std::uint8_t subIndex, std::uint8_t* data,
                           std::uint32_t* length, std::uint32_t size)
{
    lastAbort_ = 0;
    lastIndex_ = index;
    lastSubIndex_ = subIndex;
    if (data == nullptr || length == nullptr)
        return Fail(COP_ERR_NULL_POINTER);
    // the master library never gets more room than the buffer has
    const std::uint32_t wanted = std::min(size, kSdoBufferSize);
    std::uint8_t buffer[kSdoBufferSize] = {};
    std::int16_t received = static_cast<std::int16_t>(kSdoBufferSize);
    if (!COP_ReadSDO(nodeId_, index, subIndex, &received, buffer, static_cast<std::int16_t>(wanted)))
        return SdoFailed();
    const std::uint32_t count = received > 0 ? static_cast<std::uint32_t>(received) : 0u;
    std::memcpy(data, buffer, std::min(count, wanted));
    *length = count;
    return Succeed();
}

bool CCANopenNode::WriteSDO(std::uint16_t index, std::uint8_t subIndex, const std::uint8_t* data,
                            std::uint16_t length)
{
    lastAbort_ = 0;
    lastIndex_ = index;
    lastSubIndex_ = subIndex;
    if (data == nullptr)
        return Fail(COP_ERR_NULL_POINTER);
    if (length > INT16_MAX)
        return Fail(COP_ERR_LENGTH);
    if (!COP_WriteSDO(nodeId_, index, subIndex, static_cast<std::int16_t>(length), data))
        return SdoFailed();
    return Succeed();
}

bool CCANopenNode::ReadValue(std::uint16_t index, std::uint8_t subIndex, std::uint8_t* bytes,
                             std::uint32_t size)
{
    std::uint32_t length = 0;
    return ReadSDO(index, subIndex, bytes, &length, size);
}

bool CCANopenNode::ReadU8(std::uint16_t index, std::uint8_t subIndex, std::uint8_t& value)
{
    return ReadValue(index, subIndex, &value, 1);
}

bool CCANopenNode::ReadU16(std::uint16_t index, std::uint8_t subIndex, std::uint16_t& value)
{
    std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    if (!ReadValue(index, subIndex, bytes, sizeof bytes))
        return false;
    value = static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
    return true;
}

bool CCANopenNode::ReadU32(std::uint16_t index, std::uint8_t subIndex, std::uint32_t& value)
{
    std::uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    if (!ReadValue(index, subIndex, bytes, sizeof bytes))
        return false;
    value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    return true;
}

bool CCANopenNode::WriteU8(std::uint16_t index, std::uint8_t subIndex, std::uint8_t value)
{
    return WriteSDO(index, subIndex, &value, 1);
}

bool CCANopenNode::WriteU16(std::uint16_t index, std::uint8_t subIndex, std::uint16_t value)
{
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    return WriteSDO(index, subIndex, bytes, sizeof bytes);
}

bool CCANopenNode::WriteU32(std::uint16_t index, std::uint8_t subIndex, std::uint32_t value)
{
    std::uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    return WriteSDO(index, subIndex, bytes, sizeof bytes);
}

bool CCANopenNode::ClearErrorHistory()
{
    return WriteU8(CANopen::Object::ErrorHistory, 0, 0);
}

bool CCANopenNode::StartNode()
{
    return COP_StartRemoteNode(nodeId_) ? Succeed() : FailFromCop();
}

bool CCANopenNode::EnterPreOperational()
{
    return COP_EnterPreOperationalState(nodeId_) ? Succeed() : FailFromCop();
}

bool CCANopenNode::ResetNode()
{
    return COP_ResetNode(nodeId_) ? Succeed() : FailFromCop();
}

bool CCANopenNode::ResetCommunication()
{
    return COP_ResetCommunication(nodeId_) ? Succeed() : FailFromCop();
}

bool CCANopenNode::GetIdentity(std::string& text)
{
    using namespace CANopen;
    char texts[3][kIdentityTextSize + 1] = {};
    const std::uint16_t objects[3] = {Object::DeviceName, Object::HardwareVersion, Object::SoftwareVersion};
    for (int i = 0; i < 3; ++i) {
        std::uint32_t length = 0;
        if (!ReadSDO(objects[i], 0, reinterpret_cast<std::uint8_t*>(texts[i]), &length, kIdentityTextSize))
            return false;
        texts[i][std::min(length, kIdentityTextSize)] = '\0';
    }
    std::uint32_t serial = 0;
    if (!ReadU32(Object::Identity, Object::IdentitySerialNumber, serial))
        return false;
    text = StringPrintf("Device=%s, S/N=%lu HW=%s, SW=%s, NodeId=%u", texts[0],
                        static_cast<unsigned long>(serial), texts[1], texts[2], nodeId_);
    return true;
}

bool CCANopenNode::ConfigurePDO(std::uint8_t pdoNumber, std::uint16_t commIndex, PdoCommParam* record,
                                std::uint8_t length)
{
    using namespace CANopen;
    std::uint8_t transmit;
    if (commIndex >= Object::ReceivePdoCommFirst && commIndex <= Object::ReceivePdoCommLast)
        transmit = 1;
    else if (commIndex >= Object::TransmitPdoCommFirst && commIndex <= Object::TransmitPdoCommLast)
        transmit = 0;
    else
        return Fail(COP_ERR_ILLEGAL_PARAM);
    if (record == nullptr)
        return Fail(COP_ERR_NULL_POINTER);
    if (!ReadU8(commIndex, 0, record->entryCount))
        return false;
    if ((record->cobId & kPdoInvalid) == 0 &&
        !COP_CreatePDO(nodeId_, pdoNumber, transmit, static_cast<std::uint16_t>(record->cobId & 0xFFFFu),
                       length))
        return FailFromCop();
    if (!WriteU32(commIndex, 1, record->cobId))
        return false;
    if (record->entryCount >= 2 && !WriteU8(commIndex, 2, record->transmissionType))
        return false;
    if (record->entryCount >= 3 && !WriteU16(commIndex, 3, record->inhibitTime))
        return false;
    if (record->entryCount >= 5 && !WriteU16(commIndex, 5, record->eventTimer))
        return false;
    return true;
}

bool CCANopenNode::ReadPDO(std::uint8_t* pdoNumber, std::uint8_t* data, std::uint8_t* length,
                           std::uint16_t* status)
{
    if (pdoNumber == nullptr || data == nullptr || length == nullptr)
        return Fail(COP_ERR_NULL_POINTER);
    std::uint8_t node = 0;
    if (!COP_ReadPDO(&node, pdoNumber, data, length))
        return FailFromCop();
    if (node != nodeId_)
        return Fail(COP_ERR_QUEUE_EMPTY);
    if (status != nullptr)
        *status = 0;
    return Succeed();
}

const char* CCANopenNode::AbortText(std::uint32_t abortCode)
{
    for (const AbortRow& row : kAbortTexts)
        if (row.code == abortCode)
            return row.text;
    return kUnknownAbortText;
}

std::string CCANopenNode::GetAbortText(bool brief) const
{
    const char* text = AbortText(lastAbort_);
    if (brief)
        return text;
    return StringPrintf("Node #%u, Object %04X/%02X: SDO-Transfer aborted!\n\n\tSDO-Abort 0x%08lX - %s",
                        nodeId_, lastIndex_, lastSubIndex_, static_cast<unsigned long>(lastAbort_), text);
}

std::string CCANopenNode::ErrorText() const
{
    if (lastError_ == COP_ERR_ABORTED)
        return GetAbortText(true);
    if (errorTexts_ != nullptr)
        return errorTexts_->Text(lastError_);
    return CCANopenErrorText().Text(lastError_);
}
