/*
 * frame_queue.c - drop-oldest ring of received frames.
 */
#include "frame_queue.h"

#include <string.h>

void fq_clear(FrameQueue* q)
{
    q->write = q->read = 0;
}

int fq_empty(const FrameQueue* q)
{
    return q->write == q->read;
}

void fq_put(FrameQueue* q, uint16_t identifier, int16_t length, const uint8_t* data)
{
    QueuedFrame* e = &q->slots[q->write];
    if (length < 0)
        length = 0;
    if (length > 8)
        length = 8;
    e->identifier = identifier;
    e->length = length;
    memset(e->data, 0, sizeof e->data);
    memcpy(e->data, data, (size_t)length);
    q->write = (q->write + 1) % q->size;
    if ((q->write + 1) % q->size == q->read)
        q->read = (q->read + 1) % q->size;
}

int fq_take(FrameQueue* q, QueuedFrame* out)
{
    if (fq_empty(q))
        return 0;
    *out = q->slots[q->read];
    q->read = (q->read + 1) % q->size;
    return 1;
}
