/*
 * frame_queue.h - a fixed ring of received frames that drops its oldest
 * entry when full (it holds at most slots - 2 entries). The caller provides
 * the slots; nothing is allocated.
 */
#ifndef SOFTMASTER_FRAME_QUEUE_H
#define SOFTMASTER_FRAME_QUEUE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QueuedFrame {
    uint16_t identifier;
    int16_t length; /* 0..8 */
    uint8_t data[8];
} QueuedFrame;

typedef struct FrameQueue {
    QueuedFrame* slots;
    uint32_t size;
    uint32_t write;
    uint32_t read;
} FrameQueue;

void fq_clear(FrameQueue* q);
int fq_empty(const FrameQueue* q);
void fq_put(FrameQueue* q, uint16_t identifier, int16_t length, const uint8_t* data);
/* 1 with the oldest entry, 0 when empty. */
int fq_take(FrameQueue* q, QueuedFrame* out);

#ifdef __cplusplus
}
#endif

#endif
