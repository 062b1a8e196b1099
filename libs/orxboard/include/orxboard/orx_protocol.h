/*
 * orx_protocol.h - the messages between the host library (cardmaster) and
 * the firmware of an Orvax board, through the queues of the driver's
 * message interface (kdi3.h). README.md of this folder shows the layout of
 * every message.
 *
 * A block: 16-bit code, 16-bit parameter length, the parameters from byte 4
 * on; all numbers little-endian. Commands go on transmit queue 0 and are
 * answered on receive queue 0 in the same layout, the result byte (a signed
 * board result: 0, 2, 3, 4, 5, 6, 10, ...) at offset 4. SDO transfers travel
 * in pieces of up to 241 data bytes on transmit and receive queue 1.
 *
 * Usage (host side):
 *   uint8_t b[ORX_COMMAND_BLOCK_MAX];
 *   orx_block_begin(b, ORX_CMD_START_NODE, 1);
 *   b[ORX_PARAM] = node;                // send on ORX_TXQ_COMMAND
 *   ... answer a: orx_block_code(a) == ORX_CMD_START_NODE, result (int8_t)a[ORX_RESULT_BYTE]
 */
#ifndef ORXBOARD_ORX_PROTOCOL_H
#define ORXBOARD_ORX_PROTOCOL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Queues ------------------------------------------------------------ */

#define ORX_TXQ_COMMAND 0
#define ORX_TXQ_SDO 1
#define ORX_TXQ_PDO 2
#define ORX_TX_QUEUES 3

#define ORX_RXQ_ANSWER 0
#define ORX_RXQ_SDO 1
#define ORX_RXQ_PDO 2
#define ORX_RXQ_EMCY 3
#define ORX_RXQ_EVENT 4
#define ORX_RXQ_SYNC 5
#define ORX_RX_QUEUES 6

/* ---- Blocks ------------------------------------------------------------ */

#define ORX_HEADER 4                /* code and parameter length */
#define ORX_PARAM 4                 /* first parameter byte */
#define ORX_RESULT_BYTE 4           /* result byte of an answer */
#define ORX_ANSWER_DATA 5           /* first data byte of an answer */
#define ORX_COMMAND_BLOCK_MAX 60    /* command and answer blocks */
#define ORX_SDO_BLOCK_MAX 256       /* SDO pieces */
#define ORX_SDO_PIECE_HEADER 15     /* bytes of an SDO piece before its data */
#define ORX_SDO_PIECE_DATA (ORX_SDO_BLOCK_MAX - ORX_SDO_PIECE_HEADER) /* 241 */

/* ---- Command codes (transmit queue 0, answered on receive queue 0) ---- */

#define ORX_CMD_TEST 4           /* echo of the parameters */
#define ORX_CMD_TIMESTAMP 6      /* define the time-stamp object */
#define ORX_CMD_INIT_INTERFACE 8 /* start the CAN controller */
#define ORX_CMD_VERSION 12       /* firmware version */
#define ORX_CMD_STATUS 14        /* status word */
#define ORX_CMD_RELEASE 16       /* the host lets the board go */
#define ORX_CMD_RESET 18         /* back to the state after booting */
#define ORX_CMD_ADD_NODE 0x1000
#define ORX_CMD_SEARCH_NODE 0x1004
#define ORX_CMD_DELETE_NODE 0x1008
#define ORX_CMD_START_NODE 0x100C
#define ORX_CMD_PRE_OPERATIONAL 0x1010
#define ORX_CMD_SET_DISCONNECTED 0x1014
#define ORX_CMD_STOP_NODE 0x1018
#define ORX_CMD_RESET_COMM 0x101C
#define ORX_CMD_RESET_NODE 0x1020
#define ORX_CMD_GET_NODE_STATE 0x1024
#define ORX_CMD_IDENTIFY_NODE 0x1028
#define ORX_CMD_CHANGE_NODE 0x102C
#define ORX_CMD_REQUEST_PDO 0x2014
#define ORX_CMD_CANCEL_SDO 0x2028
#define ORX_CMD_CREATE_PDO 0x3000
#define ORX_CMD_DEF_SYNC 0x3008
#define ORX_CMD_ENABLE_SYNC 0x3014
#define ORX_CMD_DISABLE_SYNC 0x3018
#define ORX_CMD_START_STOP_TS 0x303C
#define ORX_CMD_SET_SDO_TIMEOUT 0x3040
#define ORX_CMD_CREATE_SDO 0x3044
#define ORX_CMD_LMT_GET_ADDRESS 0x4000
#define ORX_CMD_LMT_CONFIG_NODE 0x4004

/* Transmit queue 2, no answer. */
#define ORX_CMD_WRITE_PDO 10

/* The firmware's service number of its PDO and SYNC producers, the "2"
 * that the write-PDO, enable-SYNC and disable-SYNC messages carry. */
#define ORX_SERVICE_PROCESS_DATA 2

/* ---- SDO pieces (queue 1 both ways) ------------------------------------ */

#define ORX_SDO_REQUEST 0x2020 /* first piece of a request */
#define ORX_SDO_DATA 0x2024    /* further download pieces */
#define ORX_SDO_ANSWER 0x2030  /* answer pieces */
#define ORX_SDO_BUSY 0x2034    /* the firmware still works on the host's transfer */

/* Request piece offsets */
#define ORX_SDOQ_TRANSFER 4 /* 16-bit transfer number */
#define ORX_SDOQ_PIECE 6
#define ORX_SDOQ_NODE 7
#define ORX_SDOQ_SDO 8
#define ORX_SDOQ_FLAGS 9 /* ORX_SDOF_ bits */
#define ORX_SDOQ_INDEX 10
#define ORX_SDOQ_SUB 12
#define ORX_SDOQ_LENGTH 13 /* download: data length; upload: the host's capacity */
#define ORX_SDOF_DOWNLOAD 0x01
#define ORX_SDOF_BLOCK 0x02

/* Answer piece offsets */
#define ORX_SDOA_TRANSFER 4
#define ORX_SDOA_PIECE 6
#define ORX_SDOA_FLAGS 7 /* ORX_SDOA_LAST */
#define ORX_SDOA_RESULT 8
#define ORX_SDOA_ABORT 9   /* 32-bit abort code */
#define ORX_SDOA_LENGTH 13 /* bytes the node sent */
#define ORX_SDOA_LAST 0x01

/* ---- Unsolicited messages (receive queues 2...5) ----------------------- */

#define ORX_MSG_PDO 0x2010   /* node, PDO number, length, 8 data bytes */
#define ORX_MSG_EMCY 0x2018  /* node, 8 data bytes */
#define ORX_MSG_SYNC 0x3010  /* 16-bit number of the SYNC, 32-bit ms stamp */
#define ORX_MSG_EVENT 0x5000 /* 16-bit event code, 32-bit value */

#define ORX_EVENT_BOOTED 1      /* value: firmware version */
#define ORX_EVENT_CAN_STATUS 2  /* value: new status word */
#define ORX_EVENT_LOST 3        /* value: receive queue that dropped a message */

/* Status word (ORX_CMD_STATUS) */
#define ORX_STATUS_CAN_STARTED 0x0100u /* low byte: CAN controller state */
#define ORX_STATUS_SYNC_ACTIVE 0x0200u
#define ORX_STATUS_SDO_RUNNING 0x0400u
#define ORX_STATUS_TIME_ACTIVE 0x0800u

/* ---- Board results the firmware answers with --------------------------- */

#define ORX_RESULT_OK 0
#define ORX_RESULT_GENERAL 1
#define ORX_RESULT_PROTOCOL 2  /* "Failure in CAL.": an answer the master cannot use */
#define ORX_RESULT_PARAMETER 3
#define ORX_RESULT_ABORTED 4   /* abort code at offset 5 (commands) or ORX_SDOA_ABORT */
#define ORX_RESULT_NO_NODE 5
#define ORX_RESULT_NOT_STARTED 6
#define ORX_RESULT_TIMEOUT 10
#define ORX_RESULT_CANCELLED (-20) /* SDO transfer cancelled by the host */
#define ORX_RESULT_UNKNOWN 32

/* ---- Helpers ----------------------------------------------------------- */

static inline void orx_put_u16(uint8_t* p, uint16_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

static inline void orx_put_u32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = (uint8_t)(v >> (8 * i));
}

static inline uint16_t orx_get_u16(const uint8_t* p)
{
    return (uint16_t)(p[0] | p[1] << 8);
}

static inline uint32_t orx_get_u32(const uint8_t* p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

/* Writes code and parameter length and zeroes the parameters. */
static inline void orx_block_begin(uint8_t* block, uint16_t code, uint16_t length)
{
    orx_put_u16(block, code);
    orx_put_u16(block + 2, length);
    for (uint16_t i = 0; i < length; ++i)
        block[ORX_PARAM + i] = 0;
}

static inline uint16_t orx_block_code(const uint8_t* block)
{
    return orx_get_u16(block);
}

static inline uint16_t orx_block_length(const uint8_t* block)
{
    return orx_get_u16(block + 2);
}

/* Bytes of the whole block. */
static inline uint32_t orx_block_size(const uint8_t* block)
{
    return (uint32_t)ORX_HEADER + orx_block_length(block);
}

#ifdef __cplusplus
}
#endif

#endif /* ORXBOARD_ORX_PROTOCOL_H */
