// CopLibrary.h - the COP API of a master library loaded at run time, for the
// end-to-end tests: libmastergate.so when it is built (the program's path),
// else libsoftmaster.so itself. libsoftmaster.so is also bound directly, for
// its own COP_Installed (board type only) and the calls made without an
// interface.
#ifndef SOFTMASTER_TEST_COPLIBRARY_H
#define SOFTMASTER_TEST_COPLIBRARY_H

#include <string>

#include <cop/cop.h>

class CopLibrary {
public:
    // folder: where libmastergate.so, libsoftmaster.so and the drivers are.
    // library: the master library mastergate loads (the board-based master,
    // COP_LIBRARY_CARDMASTER, only through mastergate).
    CopLibrary(const std::string& folder, bool viaMastergate, int16_t library = COP_LIBRARY_SOFTMASTER);
    ~CopLibrary();
    CopLibrary(const CopLibrary&) = delete;
    CopLibrary& operator=(const CopLibrary&) = delete;

    bool loaded() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    bool viaMastergate() const { return gate_ != nullptr; }

    // With the library code given to the constructor.
    COP_BOOL Initialize(uint32_t boardType, CopHwParam* hw, uint8_t baud);
    COP_BOOL Installed(uint32_t boardType);
    int16_t library() const { return library_; }

    decltype(&::COP_ResetCAN) ResetCAN = nullptr;
    decltype(&::COP_Terminate) Terminate = nullptr;
    decltype(&::COP_GetBoardHardware) GetBoardHardware = nullptr;
    decltype(&::COP_GetBoardFirmware) GetBoardFirmware = nullptr;
    decltype(&::COP_GetLibraryVersion) GetLibraryVersion = nullptr;
    decltype(&::COP_GetVersion) GetVersion = nullptr;
    decltype(&::COP_GetLastError) GetLastError = nullptr;
    decltype(&::COP_GetLastAbort) GetLastAbort = nullptr;
    decltype(&::COP_AddNode) AddNode = nullptr;
    decltype(&::COP_DeleteNode) DeleteNode = nullptr;
    decltype(&::COP_SearchNode) SearchNode = nullptr;
    decltype(&::COP_StartRemoteNode) StartRemoteNode = nullptr;
    decltype(&::COP_StopRemoteNode) StopRemoteNode = nullptr;
    decltype(&::COP_EnterPreOperationalState) EnterPreOperationalState = nullptr;
    decltype(&::COP_ResetNode) ResetNode = nullptr;
    decltype(&::COP_ResetCommunication) ResetCommunication = nullptr;
    decltype(&::COP_SetSDOTimeout) SetSDOTimeout = nullptr;
    decltype(&::COP_ReadSDO) ReadSDO = nullptr;
    decltype(&::COP_WriteSDO) WriteSDO = nullptr;
    decltype(&::COP_CreatePDO) CreatePDO = nullptr;
    decltype(&::COP_WritePDO) WritePDO = nullptr;
    decltype(&::COP_RequestPDO) RequestPDO = nullptr;
    decltype(&::COP_ReadPDO) ReadPDO = nullptr;
    decltype(&::COP_GetEmergency) GetEmergency = nullptr;
    decltype(&::COP_SendSync) SendSync = nullptr;
    decltype(&::COP_GetLMTAddress) GetLMTAddress = nullptr;
    decltype(&::COP_ConfigureNode) ConfigureNode = nullptr;

    // Only libmastergate.so has these (null otherwise).
    decltype(&::ORX_Library) OrxLibrary = nullptr;
    decltype(&::ORX_DefineCallbacks) OrxDefineCallbacks = nullptr;
    decltype(&::ORX_ReadPDO) OrxReadPDO = nullptr;

    // libsoftmaster.so's own exports, bound directly.
    COP_SM_Installed_t smInstalled = nullptr;
    decltype(&::COP_AddNode) smAddNode = nullptr;
    decltype(&::COP_ReadSDO) smReadSDO = nullptr;
    decltype(&::COP_GetLastError) smGetLastError = nullptr;
    decltype(&::COP_GetLastAbort) smGetLastAbort = nullptr;

private:
    void* bind(void* handle, const char* name);

    int16_t library_;
    void* gate_ = nullptr;
    void* soft_ = nullptr;
    std::string error_;
    decltype(&::COP_Installed) gateInstalled_ = nullptr;
    decltype(&::COP_Initialize) gateInitialize_ = nullptr;
    COP_SM_Initialize_t smInitialize_ = nullptr;
};

#endif
