// CopLibrary.cpp - binds the COP API of a master library by name.
#include "CopLibrary.h"

#include <dlfcn.h>

CopLibrary::CopLibrary(const std::string& folder, bool viaMastergate, int16_t library) : library_(library)
{
    if (library != COP_LIBRARY_SOFTMASTER && !viaMastergate) {
        error_ = "the board-based master is reached through libmastergate.so only";
        return;
    }
    soft_ = dlopen((folder + "/" COP_SOFTMASTER_FILE).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!soft_) {
        error_ = dlerror();
        return;
    }
    if (viaMastergate) {
        gate_ = dlopen((folder + "/libmastergate.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!gate_) {
            error_ = dlerror();
            return;
        }
    }
    void* api = gate_ ? gate_ : soft_;
#define BIND(member, name) *reinterpret_cast<void**>(&member) = bind(api, name)
    BIND(ResetCAN, "COP_ResetCAN");
    BIND(Terminate, "COP_Terminate");
    BIND(GetBoardHardware, "COP_GetBoardHardware");
    BIND(GetBoardFirmware, "COP_GetBoardFirmware");
    BIND(GetLibraryVersion, "COP_GetLibraryVersion");
    BIND(GetVersion, "COP_GetVersion");
    BIND(GetLastError, "COP_GetLastError");
    BIND(GetLastAbort, "COP_GetLastAbort");
    BIND(AddNode, "COP_AddNode");
    BIND(DeleteNode, "COP_DeleteNode");
    BIND(SearchNode, "COP_SearchNode");
    BIND(StartRemoteNode, "COP_StartRemoteNode");
    BIND(StopRemoteNode, "COP_StopRemoteNode");
    BIND(EnterPreOperationalState, "COP_EnterPreOperationalState");
    BIND(ResetNode, "COP_ResetNode");
    BIND(ResetCommunication, "COP_ResetCommunication");
    BIND(SetSDOTimeout, "COP_SetSDOTimeout");
    BIND(ReadSDO, "COP_ReadSDO");
    BIND(WriteSDO, "COP_WriteSDO");
    BIND(CreatePDO, "COP_CreatePDO");
    BIND(WritePDO, "COP_WritePDO");
    BIND(RequestPDO, "COP_RequestPDO");
    BIND(ReadPDO, "COP_ReadPDO");
    BIND(GetEmergency, "COP_GetEmergency");
    BIND(SendSync, "COP_SendSync");
    BIND(GetLMTAddress, "COP_GetLMTAddress");
    BIND(ConfigureNode, "COP_ConfigureNode");
    if (gate_) {
        BIND(gateInstalled_, "COP_Installed");
        BIND(gateInitialize_, "COP_Initialize");
        BIND(OrxLibrary, "ORX_Library");
        BIND(OrxDefineCallbacks, "ORX_DefineCallbacks");
        BIND(OrxReadPDO, "ORX_ReadPDO");
    }
    api = soft_;
    BIND(smInstalled, "COP_Installed");
    BIND(smInitialize_, "COP_Initialize");
    BIND(smAddNode, "COP_AddNode");
    BIND(smReadSDO, "COP_ReadSDO");
    BIND(smGetLastError, "COP_GetLastError");
    BIND(smGetLastAbort, "COP_GetLastAbort");
#undef BIND
}

CopLibrary::~CopLibrary()
{
    if (gate_)
        dlclose(gate_);
    if (soft_)
        dlclose(soft_);
}

void* CopLibrary::bind(void* handle, const char* name)
{
    void* p = dlsym(handle, name);
    if (!p && error_.empty())
        error_ = std::string("missing export ") + name;
    return p;
}

COP_BOOL CopLibrary::Initialize(uint32_t boardType, CopHwParam* hw, uint8_t baud)
{
    if (gate_)
        return gateInitialize_(library_, boardType, hw, baud);
    return smInitialize_(boardType, hw, baud);
}

COP_BOOL CopLibrary::Installed(uint32_t boardType)
{
    if (gate_)
        return gateInstalled_(library_, boardType);
    return smInstalled(boardType);
}
