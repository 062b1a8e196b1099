/*
 * softmaster.h - the 29 exports of libsoftmaster.so. They are those of the
 * COP API in cop/cop.h, except COP_Installed and COP_Initialize, which take
 * no library code here (cop.h: COP_SM_Installed_t, COP_SM_Initialize_t).
 */
#ifndef SOFTMASTER_SOFTMASTER_H
#define SOFTMASTER_SOFTMASTER_H

#include <stdint.h>

#define COP_NO_PROTOTYPES
#include <cop/cop.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SM_EXPORT __attribute__((visibility("default")))

SM_EXPORT COP_BOOL COP_Installed(uint32_t boardType);
SM_EXPORT COP_BOOL COP_Initialize(uint32_t boardType, CopHwParam* hw, uint8_t baud);
SM_EXPORT COP_BOOL COP_ResetCAN(uint8_t baud);
SM_EXPORT COP_BOOL COP_Terminate(void);
SM_EXPORT COP_BOOL COP_GetBoardHardware(char* text, uint16_t size);
SM_EXPORT COP_BOOL COP_GetBoardFirmware(char* text, uint16_t size);
SM_EXPORT COP_BOOL COP_AddNode(uint8_t node);
SM_EXPORT COP_BOOL COP_DeleteNode(uint8_t node);
SM_EXPORT COP_BOOL COP_SearchNode(uint8_t node);
SM_EXPORT COP_BOOL COP_StartRemoteNode(uint8_t node);
SM_EXPORT COP_BOOL COP_StopRemoteNode(uint8_t node);
SM_EXPORT COP_BOOL COP_EnterPreOperationalState(uint8_t node);
SM_EXPORT COP_BOOL COP_ResetNode(uint8_t node);
SM_EXPORT COP_BOOL COP_ResetCommunication(uint8_t node);
SM_EXPORT COP_BOOL COP_SetSDOTimeout(uint16_t timeout);
SM_EXPORT COP_BOOL COP_ReadSDO(uint8_t node, uint16_t index, uint8_t subIndex, int16_t* length,
                               uint8_t* data, int16_t size);
SM_EXPORT COP_BOOL COP_WriteSDO(uint8_t node, uint16_t index, uint8_t subIndex, int16_t length,
                                const uint8_t* data);
SM_EXPORT COP_BOOL COP_CreatePDO(uint8_t node, uint8_t pdoNumber, uint8_t transmit, uint16_t cobId,
                                 uint8_t length);
SM_EXPORT COP_BOOL COP_ReadPDO(uint8_t* node, uint8_t* pdoNumber, uint8_t* data, uint8_t* length);
SM_EXPORT COP_BOOL COP_RequestPDO(uint8_t node, uint8_t pdoNumber);
SM_EXPORT COP_BOOL COP_WritePDO(uint8_t node, uint8_t pdoNumber, const uint8_t* data);
SM_EXPORT COP_BOOL COP_GetEmergency(uint8_t* node, uint8_t* data);
SM_EXPORT COP_BOOL COP_SendSync(void);
SM_EXPORT COP_BOOL COP_GetLMTAddress(char* manufacturer, char* product, char* serial);
SM_EXPORT COP_BOOL COP_ConfigureNode(const char* manufacturer, const char* product, const char* serial,
                                     uint8_t node, uint8_t baud);
SM_EXPORT int32_t COP_GetLastError(void);
SM_EXPORT uint32_t COP_GetLastAbort(void);
SM_EXPORT const char* COP_GetLibraryVersion(void);
SM_EXPORT const char* COP_GetVersion(void);

#ifdef __cplusplus
}
#endif

#endif
