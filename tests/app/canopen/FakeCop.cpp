// FakeCop.cpp - the scripted COP API of the unit tests.
#include "FakeCop.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

std::string Line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Line(const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string Bytes(const uint8_t* data, size_t length)
{
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += Line(" %02X", data[i]);
    return text;
}

FakeCop& F()
{
    return FakeCop::Instance();
}

} // namespace

FakeCop& FakeCop::Instance()
{
    static FakeCop fake;
    return fake;
}

void FakeCop::Reset()
{
    *this = FakeCop();
}

std::vector<uint8_t> FakeCop::Object(uint16_t index, uint8_t sub) const
{
    auto it = objects_.find({index, sub});
    return it != objects_.end() ? it->second : std::vector<uint8_t>();
}

std::string FakeCop::CallsText() const
{
    std::string text;
    for (const auto& call : calls_)
        text += call + "\n";
    return text;
}

std::vector<std::string> FakeCop::CallsStartingWith(const std::string& prefix) const
{
    std::vector<std::string> found;
    for (const auto& call : calls_)
        if (call.rfind(prefix, 0) == 0)
            found.push_back(call);
    return found;
}

// Records the call; false when the test made the function fail.
bool FakeCop::Enter(const std::string& line, const std::string& function)
{
    calls_.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
    auto it = failures_.find(function);
    pendingFailure_ = it != failures_.end() ? it->second : 0;
    return pendingFailure_ == 0;
}

COP_BOOL FakeCop::Ok()
{
    lastError = 0;
    return 1;
}

COP_BOOL FakeCop::Error(int32_t code, uint32_t abortCode)
{
    lastError = code;
    if (code == COP_ERR_ABORTED)
        lastAbort = abortCode;
    return 0;
}

#define SIMPLE(name, format, ...)                                                                      \
    if (!F().Enter(Line(#name " " format, __VA_ARGS__), #name))                                         \
        return F().Error(F().PendingFailure());                                                        \
    return F().Ok();

extern "C" {

COP_BOOL COP_Installed(int16_t library, uint32_t boardType){SIMPLE(Installed, "%d 0x%08X", library, boardType)}

COP_BOOL COP_Initialize(int16_t library, uint32_t boardType, CopHwParam* hw, uint8_t baud)
{
    std::string parameters = hw ? Line(" io=0x%X irq=%u", hw->ioPort, hw->interrupt) : std::string();
    SIMPLE(Initialize, "%d 0x%08X %u%s", library, boardType, baud, parameters.c_str())
}

COP_BOOL COP_ResetCAN(uint8_t baud){SIMPLE(ResetCAN, "%u", baud)}

COP_BOOL COP_Terminate(void)
{
    SIMPLE(Terminate, "%s", "")
}

uint16_t COP_GetBoardHandle(void)
{
    F().Enter("GetBoardHandle", "GetBoardHandle");
    return F().boardHandle;
}

static COP_BOOL BoardText(const char* function, const char* value, char* text, uint16_t size)
{
    if (!F().Enter(Line("%s %u", function, size), function))
        return F().Error(F().PendingFailure());
    std::strncpy(text, value, size);
    return F().Ok();
}

COP_BOOL COP_GetBoardHardware(char* text, uint16_t size)
{
    return BoardText("GetBoardHardware", "PEAK PCAN-USB", text, size);
}

COP_BOOL COP_GetBoardFirmware(char* text, uint16_t size)
{
    return BoardText("GetBoardFirmware", "PCAN-Light V2.5", text, size);
}

const char* COP_GetLibraryVersion(void)
{
    if (!F().Enter("GetLibraryVersion", "GetLibraryVersion")) {
        F().Error(F().PendingFailure());
        return nullptr;
    }
    return "CANopen Master API for PEAK PCAN-Light, V1.00";
}

const char* COP_GetLibraryName(void)
{
    return "libsoftmaster.so";
}

const char* COP_GetVersion(void)
{
    return "FakeCop";
}

int32_t COP_GetLastError(void)
{
    return F().lastError;
}

uint32_t COP_GetLastAbort(void)
{
    return F().lastAbort;
}

COP_BOOL COP_AddNode(uint8_t node){SIMPLE(AddNode, "%u", node)}

COP_BOOL COP_DeleteNode(uint8_t node){SIMPLE(DeleteNode, "%u", node)}

COP_BOOL COP_SearchNode(uint8_t node){SIMPLE(SearchNode, "%u", node)}

COP_BOOL COP_StartRemoteNode(uint8_t node){SIMPLE(StartRemoteNode, "%u", node)}

COP_BOOL COP_StopRemoteNode(uint8_t node){SIMPLE(StopRemoteNode, "%u", node)}

COP_BOOL COP_EnterPreOperationalState(uint8_t node){SIMPLE(EnterPreOperationalState, "%u", node)}

COP_BOOL COP_ResetNode(uint8_t node){SIMPLE(ResetNode, "%u", node)}

COP_BOOL COP_ResetCommunication(uint8_t node){SIMPLE(ResetCommunication, "%u", node)}

COP_BOOL COP_SetSDOTimeout(uint16_t timeout){SIMPLE(SetSDOTimeout, "%u", timeout)}

COP_BOOL COP_ReadSDO(uint8_t node, uint16_t index, uint8_t subIndex, int16_t* length, uint8_t* data,
                     int16_t size)
{
    if (!F().Enter(Line("ReadSDO %u 0x%04X %u %d %d", node, index, subIndex, length ? *length : -1, size),
                   "ReadSDO"))
        return F().Error(F().PendingFailure());
    auto abort = F().aborts_.find({index, subIndex});
    if (abort != F().aborts_.end())
        return F().Error(COP_ERR_ABORTED, abort->second);
    auto it = F().objects_.find({index, subIndex});
    if (it == F().objects_.end())
        return F().Error(COP_ERR_ABORTED, 0x06020000u);
    const auto& bytes = it->second;
    size_t copied = std::min(bytes.size(), static_cast<size_t>(size < 0 ? 0 : size));
    std::memcpy(data, bytes.data(), copied);
    *length = static_cast<int16_t>(F().reportReceived ? bytes.size() : copied);
    return F().Ok();
}

COP_BOOL COP_WriteSDO(uint8_t node, uint16_t index, uint8_t subIndex, int16_t length, const uint8_t* data)
{
    if (!F().Enter(Line("WriteSDO %u 0x%04X %u %d%s", node, index, subIndex, length,
                        Bytes(data, static_cast<size_t>(length)).c_str()),
                   "WriteSDO"))
        return F().Error(F().PendingFailure());
    auto abort = F().aborts_.find({index, subIndex});
    if (abort != F().aborts_.end())
        return F().Error(COP_ERR_ABORTED, abort->second);
    std::vector<uint8_t> bytes(data, data + length);
    F().objects_[{index, subIndex}] = bytes;
    if (F().onWrite)
        F().onWrite(index, subIndex, bytes);
    return F().Ok();
}

COP_BOOL COP_CreatePDO(uint8_t node, uint8_t pdoNumber, uint8_t transmit, uint16_t cobId, uint8_t length){
    SIMPLE(CreatePDO, "%u %u %u 0x%X %u", node, pdoNumber, transmit, cobId, length)}

COP_BOOL COP_WritePDO(uint8_t node, uint8_t pdoNumber, const uint8_t* data)
{
    SIMPLE(WritePDO, "%u %u%s", node, pdoNumber, Bytes(data, 8).c_str())
}

COP_BOOL COP_RequestPDO(uint8_t node, uint8_t pdoNumber){SIMPLE(RequestPDO, "%u %u", node, pdoNumber)}

COP_BOOL COP_ReadPDO(uint8_t* node, uint8_t* pdoNumber, uint8_t* data, uint8_t* length)
{
    if (!F().Enter("ReadPDO", "ReadPDO"))
        return F().Error(F().PendingFailure());
    if (F().pdos_.empty())
        return F().Error(COP_ERR_QUEUE_EMPTY);
    FakePdo pdo = F().pdos_.front();
    F().pdos_.pop_front();
    *node = pdo.node;
    *pdoNumber = pdo.pdoNumber;
    *length = static_cast<uint8_t>(pdo.data.size());
    std::memcpy(data, pdo.data.data(), pdo.data.size());
    return F().Ok();
}

COP_BOOL COP_GetEmergency(uint8_t*, uint8_t*)
{
    SIMPLE(GetEmergency, "%s", "")
}

COP_BOOL COP_SendSync(void)
{
    SIMPLE(SendSync, "%s", "")
}

COP_BOOL COP_GetLMTAddress(char* manufacturer, char* product, char* serial)
{
    if (!F().Enter("GetLMTAddress", "GetLMTAddress"))
        return F().Error(F().PendingFailure());
    std::memcpy(manufacturer, "OVROKEL", 7);
    std::memcpy(product, "K315CAN", 7);
    std::memcpy(serial, "00000012345678", 14);
    return F().Ok();
}

COP_BOOL COP_ConfigureNode(const char* manufacturer, const char* product, const char* serial, uint8_t node,
                           uint8_t baud){SIMPLE(ConfigureNode, "%.7s %.7s %.14s %u %u", manufacturer, product,
                                                serial, node, baud)}

COP_BOOL ORX_Library(void)
{
    return 0;
}

COP_BOOL ORX_DefineCallbacks(ORX_CALLBACK, ORX_CALLBACK, ORX_CALLBACK, ORX_CALLBACK)
{
    return F().Error(COP_ERR_NOT_SUPPORTED);
}

COP_BOOL ORX_ReadPDO(uint8_t*, uint8_t*, uint8_t*, uint8_t*)
{
    return F().Error(COP_ERR_NOT_SUPPORTED);
}

} // extern "C"
