/*
 * sm_service.h - what the confirmed services (SDO client, LMT) share: the
 * frame buffer in which requests are built and answers read, the one-shot
 * sender, and the wait for an answer under a per-frame time-out.
 *
 * Results of the services: 0 success; a negative COP error code; or
 * SM_ABORTED, with the node's SDO abort code or LMT error code in *abortCode.
 * Any 32-bit abort code, 0 and codes with bit 31 set included, thus travels
 * apart from the error code and cannot be mistaken for one.
 */
#ifndef SOFTMASTER_SM_SERVICE_H
#define SOFTMASTER_SM_SERVICE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SM_ABORTED 4 /* = COP_ERR_ABORTED */

#define SM_OBJ_REQUEST 0
#define SM_OBJ_ANSWER 1

/* The 8-byte buffer of the service that runs. */
extern uint8_t FrameBuffer[8];

uint32_t sm_get_u32(const uint8_t* p);
void sm_put_u32(uint8_t* p, uint32_t v);

/* Sends one frame through object 0 and frees the object again. */
int32_t send_once(uint32_t identifier, int length, const uint8_t* data);

/* Defines object 0 (transmit, request) and object 1 (receive, answer). */
int32_t sm_begin(uint32_t requestId, uint32_t answerId);
/* Sends FrameBuffer (8 bytes) through object 0. */
int32_t sm_send(void);
/* Waits for the answer on object 1 for up to `timeoutMs`: 0 with the frame in
 * FrameBuffer and its length in *length, -50 on time-out, or a driver code. */
int32_t sm_await(uint16_t timeoutMs, int16_t* length);
/* Frees objects 0 and 1. */
void sm_end(void);

#ifdef __cplusplus
}
#endif

#endif
