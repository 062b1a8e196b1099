// CANopenMaster.cpp - the program's single owner of the CAN interface.
#include "canopen/CANopenMaster.h"

#include "canopen/CANopenNode.h"
#include "ui/MessageTexts.h"

#include <atomic>
#include <new>
#include <thread>
#include <utility>

namespace {

constexpr std::chrono::milliseconds kBitTimingSwitchWait{1000};
constexpr std::uint16_t kBoardTextSize = 256;

} // namespace

CCANopenMaster::CCANopenMaster()
    : wait_([](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); })
{
}

CCANopenMaster::~CCANopenMaster()
{
    DeleteNodes();
}

void CCANopenMaster::DeleteNodes()
{
    for (std::size_t id = CANopen::kMinNodeId; id <= CANopen::kMaxNodeId; ++id) {
        delete nodes_[id];
        nodes_[id] = nullptr;
    }
}

bool CCANopenMaster::Fail(std::int32_t error)
{
    lastError_ = static_cast<std::int16_t>(error);
    return false;
}

bool CCANopenMaster::FailFromCop()
{
    return Fail(COP_GetLastError());
}

void CCANopenMaster::SetErrorList(std::map<std::int32_t, std::string> errors)
{
    errorTexts_.SetErrorList(std::move(errors));
}

void CCANopenMaster::SetWaitFunction(std::function<void(std::chrono::milliseconds)> wait)
{
    if (wait)
        wait_ = std::move(wait);
}

// The steps every (re)start of the interface shares.
bool CCANopenMaster::StartInterface(std::uint8_t baud)
{
    using namespace CANopen;
    if (!COP_ResetCAN(baud))
        return FailFromCop();
    if (!COP_CreatePDO(kLmtPdoNode, kLmtPdoNumber, 1, kLmtMasterCobId, kLmtPdoLength))
        return FailFromCop();
    if (!COP_SetSDOTimeout(sdoTimeout_))
        return FailFromCop();
    return true;
}

bool CCANopenMaster::Initialize(std::int16_t library, std::uint32_t boardType, const CopHwParam* hw,
                                std::uint8_t baud, std::uint8_t timing)
{
    baudRate_ = baud;
    timing_ = timing;
    if (initialised_) {
        COP_Terminate();
        boardType_ = 0xFFFFFFFFu;
        lastError_ = 0;
        initialised_ = false;
    }
    // the COP API takes the parameters by pointer but does not change them
    CopHwParam parameters{};
    if (hw != nullptr)
        parameters = *hw;
    if (!COP_Initialize(library, boardType, hw != nullptr ? &parameters : nullptr, baud))
        return FailFromCop();
    if (!StartInterface(baud))
        return false;
    boardHandle_ = COP_GetBoardHandle();
    boardType_ = boardType;
    if (hw != nullptr) {
        hwAddress_ = hw->ioPort;
        hwInterrupt_ = hw->interrupt;
    }
    lastError_ = 0;
    initialised_ = true;
    static std::atomic<std::uint32_t> sessions{0};
    session_ = ++sessions;
    return true;
}

bool CCANopenMaster::Reinitialize(std::uint8_t baud, std::uint8_t timing)
{
    if (!StartInterface(baud))
        return false;
    lastError_ = 0;
    baudRate_ = baud;
    timing_ = timing;
    for (std::size_t id = CANopen::kMinNodeId; id <= CANopen::kMaxNodeId; ++id)
        if (nodes_[id] != nullptr)
            COP_AddNode(static_cast<std::uint8_t>(id));
    return true;
}

bool CCANopenMaster::Terminate()
{
    if (!initialised_)
        return true;
    for (std::size_t id = CANopen::kMinNodeId; id <= CANopen::kMaxNodeId; ++id) {
        if (nodes_[id] != nullptr) {
            nodes_[id]->Disconnect();
            delete nodes_[id];
            nodes_[id] = nullptr;
        }
    }
    COP_Terminate();
    boardHandle_ = 0;
    boardType_ = 0xFFFFFFFFu;
    hwAddress_ = 0;
    hwInterrupt_ = 0;
    lastError_ = 0;
    initialised_ = false;
    return true;
}

std::uint16_t CCANopenMaster::SetSDOTimeout(std::uint16_t timeout)
{
    const std::uint16_t previous = sdoTimeout_;
    if (COP_SetSDOTimeout(timeout)) {
        sdoTimeout_ = timeout;
        lastError_ = 0;
    } else {
        FailFromCop();
    }
    return previous;
}

bool CCANopenMaster::ConnectNode(std::uint8_t nodeId, CCANopenNode** node)
{
    if (!CANopen::IsValidNodeId(nodeId))
        return Fail(COP_ERR_NODE_ID);
    if (nodes_[nodeId] != nullptr)
        return Fail(COP_ERR_NODE_CONNECTED);
    CCANopenNode* created = new (std::nothrow) CCANopenNode(&errorTexts_);
    if (created == nullptr)
        return Fail(COP_ERR_FATAL);
    if (!created->Connect(boardHandle_, nodeId)) {
        lastError_ = created->LastError();
        delete created;
        return false;
    }
    nodes_[nodeId] = created;
    if (node != nullptr)
        *node = created;
    return true;
}

CCANopenNode* CCANopenMaster::GetNode(std::uint8_t nodeId)
{
    if (!CANopen::IsValidNodeId(nodeId)) {
        Fail(COP_ERR_NODE_ID);
        return nullptr;
    }
    if (nodes_[nodeId] == nullptr) {
        Fail(COP_ERR_ILLEGAL_PARAM);
        return nullptr;
    }
    return nodes_[nodeId];
}

bool CCANopenMaster::DisconnectNode(CCANopenNode* node)
{
    if (node == nullptr)
        return Fail(COP_ERR_NULL_POINTER);
    return DisconnectNode(node->NodeId());
}

bool CCANopenMaster::DisconnectNode(std::uint8_t nodeId)
{
    if (!CANopen::IsValidNodeId(nodeId))
        return Fail(COP_ERR_NODE_ID);
    CCANopenNode* node = nodes_[nodeId];
    if (node == nullptr)
        return Fail(COP_ERR_ILLEGAL_PARAM);
    if (!node->Disconnect())
        return Fail(node->LastError());
    delete node;
    nodes_[nodeId] = nullptr;
    return true;
}

bool CCANopenMaster::WriteLmt(const std::array<std::uint8_t, 8>& message)
{
    if (!COP_WritePDO(CANopen::kLmtPdoNode, CANopen::kLmtPdoNumber, message.data()))
        return FailFromCop();
    return true;
}

CCANopenNode* CCANopenMaster::ConfigureNode(std::uint8_t nodeId, std::uint8_t baud)
{
    if (!CANopen::IsValidNodeId(nodeId)) {
        Fail(COP_ERR_NODE_ID);
        return nullptr;
    }
    char manufacturer[COP_LMT_MANUFACTURER_SIZE] = {};
    char product[COP_LMT_PRODUCT_SIZE] = {};
    char serial[COP_LMT_SERIAL_SIZE] = {};
    if (!COP_GetLMTAddress(manufacturer, product, serial) ||
        !COP_ConfigureNode(manufacturer, product, serial, nodeId, baud)) {
        FailFromCop();
        return nullptr;
    }
    // restart at the current rate: this defines the LMT object again
    if (!Reinitialize(baudRate_, timing_))
        return nullptr;
    // activate bit timing, switch delay 100 ms (low byte first)
    if (!WriteLmt({0x15, 0x64, 0x00, 0, 0, 0, 0, 0}))
        return nullptr;
    wait_(kBitTimingSwitchWait);
    if (!Reinitialize(baud, timing_))
        return nullptr;
    // switch mode global: back to operation mode
    if (!WriteLmt({0x04, 0x00, 0, 0, 0, 0, 0, 0}))
        return nullptr;
    CCANopenNode* node = nullptr;
    if (!ConnectNode(nodeId, &node))
        return nullptr;
    return node;
}

bool CCANopenMaster::GetBoardInfo(std::string& text)
{
    char hardware[kBoardTextSize] = {};
    char firmware[kBoardTextSize] = {};
    // the texts may fill the whole size without a terminator: keep one byte
    if (!COP_GetBoardHardware(hardware, kBoardTextSize - 1) ||
        !COP_GetBoardFirmware(firmware, kBoardTextSize - 1))
        return FailFromCop();
    lastError_ = 0;
    if (const char* version = COP_GetLibraryVersion())
        text = StringPrintf("%s\n\nBoard=%s, Firmware %s", version, hardware, firmware);
    else
        text = StringPrintf("Board=%s, Firmware %s", hardware, firmware);
    return true;
}

bool CCANopenMaster::GetLastErrorText(std::string& text) const
{
    // the last matching row of the table wins
    std::size_t count = 0;
    const std::int32_t* codes = COP_ErrorCodes(&count);
    const char* found = nullptr;
    for (std::size_t i = 0; i < count; ++i)
        if (codes[i] == lastError_)
            found = COP_ErrorText(codes[i]);
    if (found == nullptr)
        found = "Fatal error!";
    text = StringPrintf("Rhababermarmelade, Last error=%d, \"%s\"", static_cast<int>(lastError_), found);
    return true;
}

bool CCANopenMaster::IsBoardLibrary() const
{
    return initialised_ && ORX_Library() != 0;
}

bool CCANopenMaster::DefinePdoCallback(ORX_CALLBACK callback)
{
    if (!ORX_DefineCallbacks(callback, nullptr, nullptr, nullptr))
        return FailFromCop();
    return true;
}

bool CCANopenMaster::ReadBoardPdo(std::uint8_t* node, std::uint8_t* pdoNumber, std::uint8_t* length,
                                  std::uint8_t* data)
{
    return ORX_ReadPDO(node, pdoNumber, length, data) != 0;
}
