/*
 * gate_soft.h - entry points of the software master (libsoftmaster.so),
 * which exports the COP API under the same names and arguments.
 */
#ifndef MASTERGATE_GATE_SOFT_H
#define MASTERGATE_GATE_SOFT_H

#include <cop/cop.h>

typedef struct SoftEntries {
    COP_SM_Initialize_t Initialize;
    __typeof__(&COP_ResetCAN) ResetCAN;
    __typeof__(&COP_Terminate) Terminate;
    __typeof__(&COP_GetBoardHardware) GetBoardHardware;
    __typeof__(&COP_GetBoardFirmware) GetBoardFirmware;
    __typeof__(&COP_AddNode) AddNode;
    __typeof__(&COP_DeleteNode) DeleteNode;
    __typeof__(&COP_SearchNode) SearchNode;
    __typeof__(&COP_StartRemoteNode) StartRemoteNode;
    __typeof__(&COP_StopRemoteNode) StopRemoteNode;
    __typeof__(&COP_EnterPreOperationalState) EnterPreOperationalState;
    __typeof__(&COP_ResetNode) ResetNode;
    __typeof__(&COP_ResetCommunication) ResetCommunication;
    __typeof__(&COP_SetSDOTimeout) SetSDOTimeout;
    __typeof__(&COP_ReadSDO) ReadSDO;
    __typeof__(&COP_WriteSDO) WriteSDO;
    __typeof__(&COP_CreatePDO) CreatePDO;
    __typeof__(&COP_ReadPDO) ReadPDO;
    __typeof__(&COP_RequestPDO) RequestPDO;
    __typeof__(&COP_WritePDO) WritePDO;
    __typeof__(&COP_GetEmergency) GetEmergency;
    __typeof__(&COP_SendSync) SendSync;
    __typeof__(&COP_GetLMTAddress) GetLMTAddress;
    __typeof__(&COP_ConfigureNode) ConfigureNode;
    __typeof__(&COP_GetLastError) GetLastError;
    __typeof__(&COP_GetLastAbort) GetLastAbort;
    __typeof__(&COP_GetLibraryVersion) GetLibraryVersion;
    __typeof__(&COP_GetVersion) GetVersion;
} SoftEntries;

/* Binds every entry in order; 0 or the errno of the first missing one. */
int gate_bind_soft(void* library, SoftEntries* entries);

#endif
