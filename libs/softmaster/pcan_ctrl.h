/*
 * pcan_ctrl.h - driver layer of the software master: binds one PCAN-Light
 * driver library at run time and offers message objects on top of its single
 * receive queue: transmit objects, receive objects, a remote-request object
 * and a catch-all ring for every frame no object claims.
 *
 * Single-threaded, static state, one interface per process. Every operation
 * returns 0 or a negative COP error code unless said otherwise.
 */
#ifndef SOFTMASTER_PCAN_CTRL_H
#define SOFTMASTER_PCAN_CTRL_H

#include <stdint.h>

#define COP_NO_PROTOTYPES
#include <cop/cop.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CTRL_OBJECTS 15
#define CTRL_RING_OBJECT 14
#define CTRL_RING_SLOTS 16384
#define CTRL_POLL_BUDGET 100

/* Kinds of message objects */
#define CTRL_KIND_FREE 0
#define CTRL_KIND_TRANSMIT 1
#define CTRL_KIND_TRANSMIT2 2
#define CTRL_KIND_RECEIVE 3
#define CTRL_KIND_REMOTE 4 /* receive, and send a remote request when defined */

/* Bits of the controller status byte */
#define CTRL_ST_STOPPED 0x80u
#define CTRL_ST_BUSOFF 0x40u
#define CTRL_ST_WARNING 0x20u
#define CTRL_ST_BUSERROR 0x10u
#define CTRL_ST_TXBUSY 0x08u
#define CTRL_ST_RXEMPTY 0x04u
#define CTRL_ST_MSGLOST 0x02u
#define CTRL_ST_OVERRUN 0x01u

int16_t ctrl_open(uint32_t boardType, const CopHwParam* hw);
int16_t ctrl_close(void);
int16_t ctrl_start(uint8_t baud);
int16_t ctrl_stop(void);

/* kindLength: kind in the low byte, data length (0..8) in the high byte. */
int16_t ctrl_define(int object, uint32_t identifier, uint16_t kindLength);
int16_t ctrl_delete(int object);
/* data NULL: send the object's own data. */
int16_t ctrl_send(int object, int length, const uint8_t* data);
/* data receives up to 8 bytes (the frame's length). */
int16_t ctrl_read(int object, int16_t* length, uint8_t* data);
int16_t ctrl_read_ring(uint32_t* identifier, int16_t* length, uint8_t* data);
int16_t ctrl_enable_ring(void);
/* Takes up to `budget` frames from the driver; returns the number taken. */
int ctrl_poll(int budget);

/* One deadline for the whole layer. */
int16_t ctrl_timer_start(uint16_t milliseconds);
int ctrl_timer_expired(void);
/* Sleeps until the driver holds a frame or the deadline passes, whichever
 * comes first (on drivers without CAN_WaitRead, for a short while). */
void ctrl_wait(void);

/* Texts taken from the driver's version text, or NULL. */
const char* ctrl_hardware_text(void);
const char* ctrl_firmware_text(void);

/* 1 when the driver library of the board type can be found. */
int ctrl_library_present(uint32_t boardType);

/* Inspection, for the engine and the tests. */
int ctrl_is_open(void);
uint8_t ctrl_status(void);
int16_t ctrl_ring_status(void);
/* Maps a driver result word (bits above 0xFF) to a COP error code. */
int16_t ctrl_map_error(uint32_t result);

#ifdef __cplusplus
}
#endif

#endif
