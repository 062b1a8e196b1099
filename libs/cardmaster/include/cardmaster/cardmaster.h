/*
 * cardmaster.h - the 50 exports of libcardmaster.so, the master library for
 * the intelligent Orvax CAN boards whose firmware runs the CANopen master.
 *
 * Every export takes the board handle (1...4) first and returns a 16-bit
 * signed result: 0 success, positive CANopen master errors (4 an SDO abort,
 * 9 nothing waiting, 16 an SDO transfer still running, ...), negative board
 * errors -20...-40 (CM_ERR_*; the program sees them 100 lower through
 * mastergate). An unknown or closed handle gives 1.
 *
 * Usage:
 *   uint16_t h; uint32_t type = 0x01050F00, entry;
 *   COP_InitBoard(&h, &type, &entry);          // loads the firmware, opens the queues
 *   COP_InitInterface(h, 0, COP_BAUD_500, 0, 0);
 *   COP_AddNode(h, 5, 0, 0, 0);
 *   uint16_t n = 256; uint8_t buf[256]; uint32_t abort;
 *   COP_ReadSDO(h, 5, 1, 0, 0x1000, 0, &n, buf, &abort);
 *   COP_DefineCallbacks(h, onPdo, NULL, NULL, NULL);  // onPdo drains with COP_ReadPDO
 *   COP_ReleaseBoard(h);
 *
 * The calls may come from several threads; the callbacks run on the
 * library's receive threads.
 */
#ifndef CARDMASTER_CARDMASTER_H
#define CARDMASTER_CARDMASTER_H

#include <stdint.h>

#ifndef COP_NO_PROTOTYPES
#define COP_NO_PROTOTYPES
#endif
#ifndef COP_CM_PROTOTYPES
#define COP_CM_PROTOTYPES
#endif
#include <cop/cop_board.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Native results ---------------------------------------------------- */

#define CM_OK 0
#define CM_ERR_GENERAL 1            /* also: unknown or closed handle */
#define CM_ERR_PROTOCOL 2           /* the firmware got an answer it cannot use */
#define CM_ERR_PARAMETER 3          /* null pointer, value out of range */
#define CM_ERR_ABORTED 4            /* the node aborted the SDO transfer */
#define CM_ERR_NO_NODE 5
#define CM_ERR_NOT_STARTED 6        /* the board's CAN interface is not initialised */
#define CM_ERR_EMPTY 9              /* no message waiting */
#define CM_ERR_CAN_TIMEOUT 10       /* the node did not answer in time */
#define CM_ERR_SDO_RUNNING 16
#define CM_ERR_UNKNOWN_COMMAND 32
#define CM_ERR_SDO_CANCELLED (-20)
#define CM_ERR_SDO_INSTALL (-21)
#define CM_ERR_KDI (-22)            /* driver library or its objects */
#define CM_ERR_RESOURCE (-23)       /* memory or an OS object */
#define CM_ERR_BOARD_TYPE (-24)     /* board type unknown or not in the hardware registry */
#define CM_ERR_CALLBACK (-28)
#define CM_ERR_DOWNLOAD (-29)
#define CM_ERR_COMMUNICATION (-30)
#define CM_ERR_OTHER_PROCESS (-31)
#define CM_ERR_FIRMWARE_VERSION (-32)
#define CM_ERR_SELECTION_CANCELLED (-33)
#define CM_ERR_BOARD_NOT_FOUND (-34)
#define CM_ERR_NOT_SUPPORTED (-35)
#define CM_ERR_NO_SLOT (-36)
#define CM_ERR_IN_USE (-37)
#define CM_ERR_TIMEOUT (-38)        /* no answer from the board within the time-out */
#define CM_ERR_TRY_AGAIN (-40)      /* the transmit queue stayed full */

#define CM_BOARDS 4
#define CM_API_VERSION 0x0302u /* "V3.02" */
#define CM_MIN_FIRMWARE 0x0410u

/* Board types beside the real ones. */
#define CM_BOARD_SELECT 0xFFFFFF00u /* the user picks the board */
#define CM_BOARD_DEFAULT 0x00000000u /* the registry's default board */

/* SDO directions and modes (COP_PutSDO) */
#define CM_SDO_UPLOAD 0
#define CM_SDO_DOWNLOAD 1
#define CM_SDO_NORMAL 0
#define CM_SDO_BLOCK 1

/* ---- Records ----------------------------------------------------------- */

typedef struct CopPdoMessage {
    uint8_t node;
    uint8_t pdoNumber;
    uint8_t length;
    uint8_t data[8];
} CopPdoMessage;

typedef struct CopEmergencyMessage {
    uint8_t node;
    uint16_t code;
    uint8_t reg;
    uint8_t bytes[5];
} CopEmergencyMessage;

/* COP_IdentifyRemNode: valid bit n set when entry n could be read (0
 * device type 0x1000, 1...4 the identity object 0x1018 sub-indexes 1...4). */
typedef struct CopNodeIdentity {
    uint8_t valid;
    uint32_t deviceType;
    uint32_t vendorId;
    uint32_t productCode;
    uint32_t revision;
    uint32_t serialNumber;
} CopNodeIdentity;

/* What a receive thread writes to the file descriptor of
 * COP_DefineEventMsgs: the defined message, the board handle and the
 * queue number (2 PDO, 3 emergency, 4 event, 5 SYNC). */
typedef struct CopWindowMessage {
    uint32_t message;
    uint32_t handle;
    uint32_t queue;
} CopWindowMessage;

/* ---- The exports not in cop_board.h ------------------------------------ */

/* A command block (16-bit code, 16-bit parameter length, parameters; at
 * most 60 bytes) into the board's command queue, waiting for room up to
 * half the communication time-out: CM_ERR_TRY_AGAIN when it stays full. */
COP_CM_RESULT COP_SendMsg(uint16_t handle, const uint8_t* block);
/* The next answer block (60-byte buffer), waiting up to the communication
 * time-out: CM_ERR_TIMEOUT when none comes. */
COP_CM_RESULT COP_GetMsg(uint16_t handle, uint8_t* block);
/* The firmware echoes up to 55 bytes. */
COP_CM_RESULT COP_TestCommand(uint16_t handle, const uint8_t* data, uint8_t length, uint8_t* echo);
/* Back to the board's state after COP_InitBoard: the firmware forgets
 * nodes, PDOs and the interface; waiting messages and a running SDO
 * transfer are dropped. */
COP_CM_RESULT COP_Reset_DLL(uint16_t handle);
COP_CM_RESULT COP_SetDisconnected(uint16_t handle, uint8_t node);
/* what: bit mask as CopNodeIdentity.valid (0: all). */
COP_CM_RESULT COP_IdentifyRemNode(uint16_t handle, uint8_t node, uint8_t what, CopNodeIdentity* identity);
COP_CM_RESULT COP_ChangeNodeParameter(uint16_t handle, uint8_t node, uint8_t mode, uint16_t time,
                                      uint8_t factor);
/* The oldest firmware event (ORX_EVENT_* of orx_protocol.h); CM_ERR_EMPTY when none. */
COP_CM_RESULT COP_GetEvent(uint16_t handle, uint16_t* code, uint32_t* value);
/* The board's client SDO: number 1 on 0x600/0x580 + node (0: those). */
COP_CM_RESULT COP_CreateSDO(uint16_t handle, uint8_t node, uint8_t sdoNumber, uint16_t requestId,
                            uint16_t answerId);
/* Defines the TIME object on cobId; the firmware sends it every "third
 * setting" seconds once started. */
COP_CM_RESULT COP_InitTimeStampObj(uint16_t handle, uint16_t cobId);
/* start 1 / 0; interval in seconds (0: as defined). */
COP_CM_RESULT COP_StartStopTSObj(uint16_t handle, uint8_t start, uint16_t interval);
/* Queues an SDO request: CM_ERR_SDO_RUNNING while one runs. A download's
 * data are copied; an upload takes up to length bytes. event: a file
 * descriptor (an eventfd) that gets an 8-byte 1 written when the request
 * ends, -1 for none. */
COP_CM_RESULT COP_PutSDO(uint16_t handle, uint8_t node, uint8_t sdoNumber, uint8_t direction, uint8_t mode,
                         uint16_t index, uint8_t subIndex, uint16_t length, const uint8_t* data, int event);
/* The result of the request: CM_ERR_EMPTY while it runs; else its result,
 * the data (at most *length bytes; *length then the bytes the node sent)
 * and the abort code; the handler is free again. */
COP_CM_RESULT COP_GetSDO(uint16_t handle, uint8_t* data, uint16_t* length, uint32_t* abort);
/* Stops the running request (it ends with CM_ERR_SDO_CANCELLED) and waits
 * up to 17999 ms for the handler to be free. */
COP_CM_RESULT COP_CancelSDO(uint16_t handle);
COP_CM_RESULT COP_ReadPDO_S(uint16_t handle, CopPdoMessage* pdo);
COP_CM_RESULT COP_WritePDO_S(uint16_t handle, const CopPdoMessage* pdo);
COP_CM_RESULT COP_GetEmergencyObj_S(uint16_t handle, CopEmergencyMessage* emergency);
/* The SYNC messages the board sent since the last call; CM_ERR_EMPTY for none. */
COP_CM_RESULT COP_CheckSync(uint16_t handle, uint16_t* count);
/* A PDO of the predefined connection set, 8 bytes: pdoNumber 1...4;
 * direction 1 (the master transmits) 0x200/0x300/0x400/0x500 + node, 0
 * 0x180/0x280/0x380/0x480 + node. */
COP_CM_RESULT COP_CreatePDOPredef(uint16_t handle, uint8_t node, uint8_t pdoNumber, uint8_t direction);
/* The receive threads write a CopWindowMessage to `window` (a pipe or
 * socket) for the queues whose message is not 0, instead of calling back.
 * Once per open board, as COP_DefineCallbacks. */
COP_CM_RESULT COP_DefineEventMsgs(uint16_t handle, int window, uint32_t pdoMessage, uint32_t emergencyMessage,
                                  uint32_t eventMessage, uint32_t syncMessage);
/* Thread ids of the receive threads (PDO, emergency, event, SYNC); 0 for
 * one that does not run. */
COP_CM_RESULT COP_GetThreadIds(uint16_t handle, uint32_t ids[4]);

#ifdef __cplusplus
}
#endif

#endif /* CARDMASTER_CARDMASTER_H */
