/*
 * fake_pcan.h - a PCAN-Light driver library for tests, without WaitRead.
 * Built as libpcan_isa.so (CAN_ names, five-argument initialisation) and,
 * with FAKE_PCAN_SECOND_CHANNEL_PNP defined, as libpcan_2pci.so (CAN2_
 * names, two-argument initialisation), each in a folder of its own. The test
 * controls what Read delivers and what Write, Init and ResetClient answer,
 * and sees every frame written and the order of the Init and ResetClient
 * calls.
 */
#ifndef FAKE_PCAN_H
#define FAKE_PCAN_H

#include <stddef.h>
#include <stdint.h>

#include <pcanlight/pcan_light.h>

#ifdef __cplusplus
extern "C" {
#endif

#define FAKE_PCAN_QUEUE 32768

typedef struct FakeInitCall {
    int calls;
    uint16_t btr0btr1;
    int msgType;
    int hwType;
    uint32_t ioPort;
    uint16_t interrupt;
} FakeInitCall;

/* Called for every frame written; may push answers. */
typedef void (*FakeResponder)(const TPCANMsg* written, void* context);

void fake_pcan_reset(void);
/* Queues a message for CAN_Read; 0 when the queue is full. */
int fake_pcan_push(const TPCANMsg* msg);
int fake_pcan_push_data(uint32_t id, uint8_t len, const uint8_t* data);
size_t fake_pcan_pending(void);
void fake_pcan_set_write_result(uint32_t result);
void fake_pcan_set_init_result(uint32_t result);
void fake_pcan_set_version(const char* text);
void fake_pcan_set_responder(FakeResponder responder, void* context);
/* Frames written so far (at most max copied); returns the count. */
size_t fake_pcan_written(TPCANMsg* out, size_t max);
void fake_pcan_clear_written(void);
FakeInitCall fake_pcan_init_call(void);
int fake_pcan_close_calls(void);
void fake_pcan_set_reset_result(uint32_t result);
/* The Init and ResetClient calls since the reset, in order: "I" for each
 * Init, "R" for each ResetClient (at most 63 letters kept). */
const char* fake_pcan_call_log(void);

#ifdef __cplusplus
}
#endif

#endif
