/*
 * cop_board.h - the export set of the board-based CANopen master
 * (libcardmaster.so) as mastergate binds it: function-pointer types for the
 * entry points looked up by name, and the board information record.
 *
 * Every board call takes the board handle (1...4) first and returns a
 * 16-bit signed result: 0 success, positive CANopen master errors, negative
 * board errors (the program sees the negative ones 100 lower through
 * mastergate's COP_GetLastError).
 *
 * The board library exports these under the plain names (COP_InitBoard,
 * COP_ReadSDO, ...), which collide with the prototypes of cop.h: a file that
 * defines them includes cop.h with COP_NO_PROTOTYPES defined and may define
 * COP_CM_PROTOTYPES to have the prototypes below checked against its code.
 */
#ifndef COP_COP_BOARD_H
#define COP_COP_BOARD_H

#include <stddef.h>
#include <stdint.h>

#include "cop/cop.h"

#if defined(COP_CM_PROTOTYPES) && !defined(COP_NO_PROTOTYPES)
#error "COP_CM_PROTOTYPES needs COP_NO_PROTOTYPES: the board exports reuse the COP names"
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result of a board call: 0 success, else the board's error code. */
typedef int16_t COP_CM_RESULT;

/* ---- Board information record (COP_GetBoardInfo) ---------------------- */

/* A version word holds the major number in its high byte and the minor
 * number in its low byte ("V%u.%02u"). The two texts are zero-terminated
 * when they are shorter than their fields; a reader must not rely on it. */
typedef struct CopBoardInfo {
    uint16_t hardwareVersion;  /* offset 0 */
    uint16_t firmwareVersion;  /* offset 2 */
    uint16_t apiVersion;       /* offset 4: board-API software version */
    uint8_t reserved[6];       /* offset 6 */
    char serialNumber[16];     /* offset 12 */
    char boardName[40];        /* offset 28 */
} CopBoardInfo;

#define COP_BOARD_INFO_SIZE 68

#ifdef __cplusplus
static_assert(sizeof(CopBoardInfo) == COP_BOARD_INFO_SIZE, "board information record layout");
static_assert(offsetof(CopBoardInfo, serialNumber) == 12, "board information record layout");
static_assert(offsetof(CopBoardInfo, boardName) == 28, "board information record layout");
#else
_Static_assert(sizeof(CopBoardInfo) == COP_BOARD_INFO_SIZE, "board information record layout");
_Static_assert(offsetof(CopBoardInfo, serialNumber) == 12, "board information record layout");
_Static_assert(offsetof(CopBoardInfo, boardName) == 28, "board information record layout");
#endif

/* Major and minor number of a version word. */
#define COP_VERSION_MAJOR(word) ((unsigned)(((word) >> 8) & 0xFFu))
#define COP_VERSION_MINOR(word) ((unsigned)((word)&0xFFu))

/* ---- Entry points bound by mastergate, in binding order ----------------- */

/* boardType in/out (low byte cleared, 0xFFFFFF00 asks the user, 0 takes the
 * registry's default board); entry: the hardware-registry entry opened. */
typedef COP_CM_RESULT (*COP_CM_InitBoard_t)(uint16_t* handle, uint32_t* boardType, uint32_t* entry);
/* channel 0 or 1; baud-rate code; flags (bit 7 clear); time value (bit 15 clear). */
typedef COP_CM_RESULT (*COP_CM_InitInterface_t)(uint16_t handle, uint8_t channel, uint8_t baud,
                                                uint8_t flags, uint16_t time);
typedef COP_CM_RESULT (*COP_CM_DefineCallbacks_t)(uint16_t handle, ORX_CALLBACK pdo,
                                                  ORX_CALLBACK emergency, ORX_CALLBACK event,
                                                  ORX_CALLBACK sync);
typedef COP_CM_RESULT (*COP_CM_ReleaseBoard_t)(uint16_t handle);
typedef COP_CM_RESULT (*COP_CM_GetBoardInfo_t)(uint16_t handle, CopBoardInfo* info);
/* Bound, never called: the board's state word. */
typedef COP_CM_RESULT (*COP_CM_GetStatus_t)(uint16_t handle, uint16_t* status);
/* node-id; a mode byte; a guard time (bit 15 clear); a life-time factor.
 * mastergate passes 0 for the last three. */
typedef COP_CM_RESULT (*COP_CM_AddNode_t)(uint16_t handle, uint8_t node, uint8_t mode, uint16_t time,
                                          uint8_t factor);
typedef COP_CM_RESULT (*COP_CM_DeleteNode_t)(uint16_t handle, uint8_t node);
typedef COP_CM_RESULT (*COP_CM_SearchNode_t)(uint16_t handle, uint8_t node);
/* Bound, never called: the NMT state the board keeps for a node. */
typedef COP_CM_RESULT (*COP_CM_GetNodeState_t)(uint16_t handle, uint8_t node, uint8_t* state);
typedef COP_CM_RESULT (*COP_CM_StartNode_t)(uint16_t handle, uint8_t node);
typedef COP_CM_RESULT (*COP_CM_EnterPreOperational_t)(uint16_t handle, uint8_t node);
typedef COP_CM_RESULT (*COP_CM_StopNode_t)(uint16_t handle, uint8_t node);
typedef COP_CM_RESULT (*COP_CM_ResetComm_t)(uint16_t handle, uint8_t node);
typedef COP_CM_RESULT (*COP_CM_ResetNode_t)(uint16_t handle, uint8_t node);
typedef COP_CM_RESULT (*COP_CM_SetSDOTimeOut_t)(uint16_t handle, uint16_t timeout);
/* length: in the capacity of data, out the number of bytes received. */
typedef COP_CM_RESULT (*COP_CM_ReadSDO_t)(uint16_t handle, uint8_t node, uint8_t sdoNumber, uint8_t mode,
                                          uint16_t index, uint8_t subIndex, uint16_t* length,
                                          uint8_t* data, uint32_t* abort);
typedef COP_CM_RESULT (*COP_CM_WriteSDO_t)(uint16_t handle, uint8_t node, uint8_t sdoNumber, uint8_t mode,
                                           uint16_t index, uint8_t subIndex, uint16_t length,
                                           const uint8_t* data, uint32_t* abort);
/* direction 1: the master transmits; mode: mastergate passes 1. */
typedef COP_CM_RESULT (*COP_CM_CreatePDO_t)(uint16_t handle, uint8_t node, uint8_t pdoNumber,
                                            uint8_t direction, uint8_t mode, uint8_t length,
                                            uint16_t cobId);
typedef COP_CM_RESULT (*COP_CM_ReadPDO_t)(uint16_t handle, uint8_t* node, uint8_t* pdoNumber,
                                          uint8_t* length, uint8_t* data);
typedef COP_CM_RESULT (*COP_CM_RequestPDO_t)(uint16_t handle, uint8_t node, uint8_t pdoNumber);
typedef COP_CM_RESULT (*COP_CM_WritePDO_t)(uint16_t handle, uint8_t node, uint8_t pdoNumber,
                                           const uint8_t* data);
typedef COP_CM_RESULT (*COP_CM_DefSyncObj_t)(uint16_t handle, uint16_t period, uint16_t window);
typedef COP_CM_RESULT (*COP_CM_EnableSync_t)(uint16_t handle, uint16_t value);
typedef COP_CM_RESULT (*COP_CM_DisableSync_t)(uint16_t handle);
/* bytes: the 5 manufacturer-specific bytes. */
typedef COP_CM_RESULT (*COP_CM_GetEmergencyObj_t)(uint16_t handle, uint8_t* node, uint16_t* code,
                                                  uint8_t* reg, uint8_t* bytes);
/* mode 0 or 1; buffers as COP_GetLMTAddress (8, 8 and 16 bytes, no terminator). */
typedef COP_CM_RESULT (*COP_CM_LMT_GetAddress_t)(uint16_t handle, uint8_t mode, uint8_t baud,
                                                 char* manufacturer, char* product, char* serial);
typedef COP_CM_RESULT (*COP_CM_LMT_ConfigNode_t)(uint16_t handle, const char* manufacturer,
                                                 const char* product, const char* serial,
                                                 uint8_t node, uint8_t baud, uint8_t newBaud);

/* Other exports of the board library that take plain values. */
typedef COP_CM_RESULT (*COP_CM_SetCommTimeOut_t)(uint16_t handle, uint16_t timeout);

#ifdef COP_CM_PROTOTYPES
COP_CM_RESULT COP_InitBoard(uint16_t* handle, uint32_t* boardType, uint32_t* entry);
COP_CM_RESULT COP_InitInterface(uint16_t handle, uint8_t channel, uint8_t baud, uint8_t flags,
                                uint16_t time);
COP_CM_RESULT COP_DefineCallbacks(uint16_t handle, ORX_CALLBACK pdo, ORX_CALLBACK emergency,
                                  ORX_CALLBACK event, ORX_CALLBACK sync);
COP_CM_RESULT COP_ReleaseBoard(uint16_t handle);
COP_CM_RESULT COP_GetBoardInfo(uint16_t handle, CopBoardInfo* info);
COP_CM_RESULT COP_GetStatus(uint16_t handle, uint16_t* status);
COP_CM_RESULT COP_AddNode(uint16_t handle, uint8_t node, uint8_t mode, uint16_t time, uint8_t factor);
COP_CM_RESULT COP_DeleteNode(uint16_t handle, uint8_t node);
COP_CM_RESULT COP_SearchNode(uint16_t handle, uint8_t node);
COP_CM_RESULT COP_GetNodeState(uint16_t handle, uint8_t node, uint8_t* state);
COP_CM_RESULT COP_StartNode(uint16_t handle, uint8_t node);
COP_CM_RESULT COP_EnterPreOperational(uint16_t handle, uint8_t node);
COP_CM_RESULT COP_StopNode(uint16_t handle, uint8_t node);
COP_CM_RESULT COP_ResetComm(uint16_t handle, uint8_t node);
COP_CM_RESULT COP_ResetNode(uint16_t handle, uint8_t node);
COP_CM_RESULT COP_SetSDOTimeOut(uint16_t handle, uint16_t timeout);
COP_CM_RESULT COP_ReadSDO(uint16_t handle, uint8_t node, uint8_t sdoNumber, uint8_t mode, uint16_t index,
                          uint8_t subIndex, uint16_t* length, uint8_t* data, uint32_t* abort);
COP_CM_RESULT COP_WriteSDO(uint16_t handle, uint8_t node, uint8_t sdoNumber, uint8_t mode, uint16_t index,
                           uint8_t subIndex, uint16_t length, const uint8_t* data, uint32_t* abort);
COP_CM_RESULT COP_CreatePDO(uint16_t handle, uint8_t node, uint8_t pdoNumber, uint8_t direction,
                            uint8_t mode, uint8_t length, uint16_t cobId);
COP_CM_RESULT COP_ReadPDO(uint16_t handle, uint8_t* node, uint8_t* pdoNumber, uint8_t* length,
                          uint8_t* data);
COP_CM_RESULT COP_RequestPDO(uint16_t handle, uint8_t node, uint8_t pdoNumber);
COP_CM_RESULT COP_WritePDO(uint16_t handle, uint8_t node, uint8_t pdoNumber, const uint8_t* data);
COP_CM_RESULT COP_DefSyncObj(uint16_t handle, uint16_t period, uint16_t window);
COP_CM_RESULT COP_EnableSync(uint16_t handle, uint16_t value);
COP_CM_RESULT COP_DisableSync(uint16_t handle);
COP_CM_RESULT COP_GetEmergencyObj(uint16_t handle, uint8_t* node, uint16_t* code, uint8_t* reg,
                                  uint8_t* bytes);
COP_CM_RESULT COP_LMT_GetAddress(uint16_t handle, uint8_t mode, uint8_t baud, char* manufacturer,
                                 char* product, char* serial);
COP_CM_RESULT COP_LMT_ConfigNode(uint16_t handle, const char* manufacturer, const char* product,
                                 const char* serial, uint8_t node, uint8_t baud, uint8_t newBaud);
COP_CM_RESULT COP_SetCommTimeOut(uint16_t handle, uint16_t timeout);
#endif /* COP_CM_PROTOTYPES */

#ifdef __cplusplus
}
#endif

#endif /* COP_COP_BOARD_H */
