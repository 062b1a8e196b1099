/*
 * gate_board.h - entry points of the board-based master (libcardmaster.so),
 * bound by their own names (see cop/cop_board.h).
 */
#ifndef MASTERGATE_GATE_BOARD_H
#define MASTERGATE_GATE_BOARD_H

#include <cop/cop_board.h>

typedef struct BoardEntries {
    COP_CM_InitBoard_t InitBoard;
    COP_CM_InitInterface_t InitInterface;
    COP_CM_DefineCallbacks_t DefineCallbacks;
    COP_CM_ReleaseBoard_t ReleaseBoard;
    COP_CM_GetBoardInfo_t GetBoardInfo;
    COP_CM_GetStatus_t GetStatus;
    COP_CM_AddNode_t AddNode;
    COP_CM_DeleteNode_t DeleteNode;
    COP_CM_SearchNode_t SearchNode;
    COP_CM_GetNodeState_t GetNodeState;
    COP_CM_StartNode_t StartNode;
    COP_CM_EnterPreOperational_t EnterPreOperational;
    COP_CM_StopNode_t StopNode;
    COP_CM_ResetComm_t ResetComm;
    COP_CM_ResetNode_t ResetNode;
    COP_CM_SetSDOTimeOut_t SetSDOTimeOut;
    COP_CM_ReadSDO_t ReadSDO;
    COP_CM_WriteSDO_t WriteSDO;
    COP_CM_CreatePDO_t CreatePDO;
    COP_CM_ReadPDO_t ReadPDO;
    COP_CM_RequestPDO_t RequestPDO;
    COP_CM_WritePDO_t WritePDO;
    COP_CM_DefSyncObj_t DefSyncObj;
    COP_CM_EnableSync_t EnableSync;
    COP_CM_DisableSync_t DisableSync;
    COP_CM_GetEmergencyObj_t GetEmergencyObj;
    COP_CM_LMT_GetAddress_t LMT_GetAddress;
    COP_CM_LMT_ConfigNode_t LMT_ConfigNode;
} BoardEntries;

/* Binds every entry in order; 0 or the errno of the first missing one. */
int gate_bind_board(void* library, BoardEntries* entries);

#endif
