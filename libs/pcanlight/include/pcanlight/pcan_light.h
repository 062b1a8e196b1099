/*
 * pcan_light.h - the calls of a PCAN-Light driver library, as the software
 * master binds them by name from libpcan_*.so.
 *
 * The first-channel libraries export the CAN_ names, the second-channel ones
 * (libpcan_2isa.so, libpcan_2pci.so, libpcan_2pcc.so) the CAN2_ names. The
 * initialisation takes two arguments on the plug-and-play types (PCI, PC Card,
 * USB) and five on the others (ISA, dongle). Every call returns a 32-bit
 * error word, 0 for success.
 */
#ifndef PCANLIGHT_PCAN_LIGHT_H
#define PCANLIGHT_PCAN_LIGHT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Message types */
#define PCAN_MSGTYPE_STANDARD 0x00u /* standard data frame */
#define PCAN_MSGTYPE_RTR 0x01u      /* remote request */
#define PCAN_MSGTYPE_EXTENDED 0x02u /* 29-bit identifier */
#define PCAN_MSGTYPE_STATUS 0x80u   /* status message: error bits in DATA[3] */

/* Frame types for the initialisation */
#define PCAN_INIT_TYPE_ST 0 /* standard frames only */
#define PCAN_INIT_TYPE_EX 1 /* extended frames too */

/* Error bits of the result word and of a status message's DATA[3] */
#define PCAN_ERR_OK 0x0000u
#define PCAN_ERR_XMTFULL 0x0001u   /* transmit buffer full */
#define PCAN_ERR_OVERRUN 0x0002u   /* controller or receive queue lost frames */
#define PCAN_ERR_BUSLIGHT 0x0004u  /* error warning */
#define PCAN_ERR_BUSHEAVY 0x0008u  /* bus error (error passive) */
#define PCAN_ERR_BUSOFF 0x0010u    /* bus off */
#define PCAN_ERR_QRCVEMPTY 0x0020u /* receive queue empty */
#define PCAN_ERR_QOVERRUN 0x0040u  /* receive queue overrun */
#define PCAN_ERR_QXMTFULL 0x0080u  /* transmit queue full */
#define PCAN_ERR_REGTEST 0x0100u   /* controller register test failed: no hardware */
#define PCAN_ERR_NOVXD 0x0200u     /* driver not loaded */
#define PCAN_ERRMASK_ILLHANDLE 0x1C00u
#define PCAN_ERR_HWINUSE 0x0400u
#define PCAN_ERR_NETINUSE 0x0800u
#define PCAN_ERR_ILLHW 0x1400u
#define PCAN_ERR_ILLNET 0x1800u
#define PCAN_ERR_ILLCLIENT 0x1C00u
#define PCAN_ERR_RESOURCE 0x2000u
#define PCAN_ERR_PARMTYP 0x4000u
#define PCAN_ERR_PARMVAL 0x8000u

/* BTR0BTR1 values of the bit rates */
#define PCAN_BAUD_1M 0x0014u
#define PCAN_BAUD_500K 0x001Cu
#define PCAN_BAUD_250K 0x011Cu
#define PCAN_BAUD_125K 0x031Cu
#define PCAN_BAUD_100K 0x432Fu
#define PCAN_BAUD_50K 0x472Fu
#define PCAN_BAUD_20K 0x532Fu
#define PCAN_BAUD_10K 0x672Fu

/* The message record: 14 bytes, packed, little-endian. */
#pragma pack(push, 1)
typedef struct TPCANMsg {
    uint32_t ID;      /* 11-bit or 29-bit identifier */
    uint8_t MSGTYPE;  /* PCAN_MSGTYPE_* */
    uint8_t LEN;      /* 0..8 */
    uint8_t DATA[8];
} TPCANMsg;
#pragma pack(pop)

#define PCAN_VERSION_TEXT_SIZE 256

/* Entry point types, for binding by name. */
typedef uint32_t (*PCAN_InitPnp_t)(uint16_t btr0btr1, int msgType);
typedef uint32_t (*PCAN_InitHw_t)(uint16_t btr0btr1, int msgType, int hwType, uint32_t ioPort,
                                  uint16_t interrupt);
typedef uint32_t (*PCAN_Close_t)(void);
typedef uint32_t (*PCAN_Status_t)(void);
typedef uint32_t (*PCAN_Write_t)(TPCANMsg* msg);
typedef uint32_t (*PCAN_Read_t)(TPCANMsg* msg);
typedef uint32_t (*PCAN_VersionInfo_t)(char* text);
typedef uint32_t (*PCAN_ResetClient_t)(void);

/* Our extension, exported as CAN_WaitRead / CAN2_WaitRead: blocks until a
 * frame or status message waits in the receive queue or the time-out (in
 * microseconds) has passed. 0 when something waits, PCAN_ERR_QRCVEMPTY on
 * time-out. A master that finds it waits on it instead of busy polling. */
typedef uint32_t (*PCAN_WaitRead_t)(uint32_t timeoutMicroseconds);

/* Our extension, exported as CAN_SetChannel / CAN2_SetChannel: the channel
 * ("virtual:<bus>", "socketcan:<interface>") that the next Init opens instead
 * of the one the environment names; NULL or "" returns to the environment.
 * PCAN_ERR_ILLHW for a text that names no channel. An intelligent board's
 * firmware uses it to run on the channel its hardware registry assigns. */
typedef uint32_t (*PCAN_SetChannel_t)(const char* text);

#ifdef __cplusplus
}
#endif

#endif /* PCANLIGHT_PCAN_LIGHT_H */
