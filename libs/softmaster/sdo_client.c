/*
 * sdo_client.c - SDO client of the software master: the transfer state
 * machine, and its runner on the message objects of the driver layer.
 */
#include "sdo_client.h"

#include <string.h>

#include "pcan_ctrl.h"
#include "sm_service.h"

/* What the awaited answer answers. */
enum {
    PHASE_UPLOAD_INITIATE,
    PHASE_UPLOAD_SEGMENT,
    PHASE_DOWNLOAD_EXPEDITED,
    PHASE_DOWNLOAD_INITIATE,
    PHASE_DOWNLOAD_SEGMENT,
};

/* ---- The state machine ---------------------------------------------- */

/* Puts command, index and sub-index into the request, the rest zero. */
static void build(SdoTransfer* t, uint8_t command)
{
    memset(t->request, 0, sizeof t->request);
    t->request[0] = command;
    t->request[1] = (uint8_t)t->index;
    t->request[2] = (uint8_t)(t->index >> 8);
    t->request[3] = t->subIndex;
}

static void begin(SdoTransfer* t, uint8_t phase, uint16_t index, uint8_t subIndex)
{
    memset(t, 0, sizeof *t);
    t->phase = phase;
    t->index = index;
    t->subIndex = subIndex;
}

/* The client gives up: the abort frame goes out, then the transfer ends. */
static SdoStep client_abort(SdoTransfer* t, uint32_t code, int32_t result)
{
    build(t, SDO_CS_ABORT);
    sm_put_u32(t->request + 4, code);
    t->result = result;
    return SDO_STEP_FINISH;
}

/* The server gave up: the transfer ends without a reply. */
static SdoStep server_abort(SdoTransfer* t, const uint8_t* frame)
{
    t->abortCode = sm_get_u32(frame + 4);
    t->result = SM_ABORTED;
    return SDO_STEP_END;
}

static SdoStep succeed(SdoTransfer* t)
{
    t->result = 0;
    return SDO_STEP_END;
}

/* Asks for the next upload segment. */
static SdoStep request_upload_segment(SdoTransfer* t)
{
    memset(t->request, 0, sizeof t->request);
    t->request[0] = (uint8_t)(SDO_CCS_UPLOAD_SEGMENT | t->toggle);
    t->phase = PHASE_UPLOAD_SEGMENT;
    return SDO_STEP_AWAIT;
}

/* Sends the next download segment: up to 7 bytes, the last one marked. */
static SdoStep send_download_segment(SdoTransfer* t)
{
    int32_t remaining = t->length - t->count;
    int32_t unused = remaining < 8 ? 7 - remaining : 0;
    int32_t n = 7 - unused;
    t->last = n == remaining;
    memset(t->request, 0, sizeof t->request);
    t->request[0] = (uint8_t)(SDO_CCS_DOWNLOAD_SEGMENT | unused << 1 | t->toggle | (t->last ? SDO_LAST_SEGMENT : 0));
    memcpy(t->request + 1, t->data + t->count, (size_t)n);
    t->count += n;
    t->phase = PHASE_DOWNLOAD_SEGMENT;
    return SDO_STEP_AWAIT;
}

SdoStep sdo_begin_upload(SdoTransfer* t, uint16_t index, uint8_t subIndex, uint8_t* buffer, int32_t size)
{
    begin(t, PHASE_UPLOAD_INITIATE, index, subIndex);
    t->buffer = buffer;
    t->size = size < 0 ? 0 : size;
    build(t, SDO_CCS_INITIATE_UPLOAD);
    return SDO_STEP_AWAIT;
}

SdoStep sdo_begin_download_expedited(SdoTransfer* t, uint16_t index, uint8_t subIndex, const uint8_t* data,
                                     int32_t length)
{
    begin(t, PHASE_DOWNLOAD_EXPEDITED, index, subIndex);
    t->data = data;
    t->length = length;
    build(t, (uint8_t)(SDO_CCS_INITIATE_DOWNLOAD | SDO_EXPEDITED | SDO_SIZE_INDICATED | (4 - length) << 2));
    memcpy(t->request + 4, data, (size_t)length);
    return SDO_STEP_AWAIT;
}

SdoStep sdo_begin_download_segmented(SdoTransfer* t, uint16_t index, uint8_t subIndex, const uint8_t* data,
                                     int32_t length)
{
    begin(t, PHASE_DOWNLOAD_INITIATE, index, subIndex);
    t->data = data;
    t->length = length;
    build(t, SDO_CCS_INITIATE_DOWNLOAD | SDO_SIZE_INDICATED);
    sm_put_u32(t->request + 4, (uint32_t)length);
    return SDO_STEP_AWAIT;
}

/* Initiate upload answered: the data, or the first segment request. */
static SdoStep upload_initiated(SdoTransfer* t, const uint8_t* frame)
{
    uint8_t cmd = frame[0];
    if ((cmd & SDO_CS_MASK) == SDO_CS_ABORT)
        return server_abort(t, frame);
    if ((cmd & SDO_CS_MASK) != SDO_SCS_INITIATE_UPLOAD)
        return client_abort(t, SDO_ABORT_COMMAND, COP_ERR_FORMAT);
    if (cmd & SDO_EXPEDITED) {
        int32_t n = (cmd & SDO_SIZE_INDICATED) ? 4 - (int32_t)SDO_EXPEDITED_UNUSED(cmd) : 4;
        if (n > t->size)
            n = t->size;
        memcpy(t->buffer, frame + 4, (size_t)n);
        t->count = n;
        return succeed(t);
    }
    t->toggle = 0;
    return request_upload_segment(t);
}

/* An upload segment: kept as far as the buffer goes, counted beyond it. */
static SdoStep upload_segment(SdoTransfer* t, const uint8_t* frame)
{
    uint8_t cmd = frame[0];
    if ((cmd & SDO_CS_MASK) == SDO_CS_ABORT)
        return server_abort(t, frame);
    if ((cmd & SDO_CS_MASK) != SDO_SCS_UPLOAD_SEGMENT)
        return client_abort(t, SDO_ABORT_COMMAND, COP_ERR_FORMAT);
    if ((cmd & SDO_TOGGLE) != t->toggle)
        return client_abort(t, SDO_ABORT_TOGGLE, COP_ERR_FORMAT);
    int32_t n = 7 - (int32_t)SDO_SEGMENT_UNUSED(cmd);
    if (t->count < t->size) {
        int32_t room = t->size - t->count;
        memcpy(t->buffer + t->count, frame + 1, (size_t)(n < room ? n : room));
    }
    if (t->count < INT32_MAX - 7)
        t->count += n;
    if (!(cmd & SDO_LAST_SEGMENT) && t->count > (t->size > SDO_LARGEST_OBJECT ? t->size : SDO_LARGEST_OBJECT))
        return client_abort(t, SDO_ABORT_OUT_OF_MEMORY, COP_ERR_LENGTH); /* more than anyone reads */
    if (cmd & SDO_LAST_SEGMENT) {
        if (t->count > t->size)
            t->count = t->size;
        if (t->count < t->size)
            t->buffer[t->count] = 0; /* lets callers read visible strings as texts */
        return succeed(t);
    }
    t->toggle ^= SDO_TOGGLE;
    return request_upload_segment(t);
}

/* Initiate download answered: exactly "initiate download answer" goes on. */
static SdoStep download_initiated(SdoTransfer* t, const uint8_t* frame)
{
    if (frame[0] == SDO_CS_ABORT)
        return server_abort(t, frame);
    if (frame[0] != SDO_SCS_INITIATE_DOWNLOAD)
        return client_abort(t, SDO_ABORT_COMMAND, COP_ERR_FORMAT);
    if (t->phase == PHASE_DOWNLOAD_EXPEDITED)
        return succeed(t);
    t->toggle = 0;
    return send_download_segment(t);
}

/* A download segment confirmed: the next one, or done after the last. */
static SdoStep download_segment(SdoTransfer* t, const uint8_t* frame)
{
    uint8_t cmd = frame[0];
    if ((cmd & SDO_CS_MASK) == SDO_CS_ABORT)
        return server_abort(t, frame);
    if ((cmd & SDO_CS_MASK) != SDO_SCS_DOWNLOAD_SEGMENT)
        return client_abort(t, SDO_ABORT_COMMAND, COP_ERR_FORMAT);
    if ((cmd & SDO_TOGGLE) != t->toggle)
        return client_abort(t, SDO_ABORT_TOGGLE, COP_ERR_FORMAT);
    if (t->last)
        return succeed(t);
    t->toggle ^= SDO_TOGGLE;
    return send_download_segment(t);
}

SdoStep sdo_on_answer(SdoTransfer* t, const uint8_t* frame, int16_t length)
{
    if (length != 8)
        return client_abort(t, SDO_ABORT_GENERAL, COP_ERR_LENGTH);
    switch (t->phase) {
    case PHASE_UPLOAD_INITIATE: return upload_initiated(t, frame);
    case PHASE_UPLOAD_SEGMENT: return upload_segment(t, frame);
    case PHASE_DOWNLOAD_EXPEDITED:
    case PHASE_DOWNLOAD_INITIATE: return download_initiated(t, frame);
    default: return download_segment(t, frame);
    }
}

SdoStep sdo_on_timeout(SdoTransfer* t)
{
    return client_abort(t, SDO_ABORT_TIMEOUT, COP_ERR_TIMEOUT);
}

SdoStep sdo_on_error(SdoTransfer* t, int32_t code)
{
    return client_abort(t, SDO_ABORT_GENERAL, code);
}

int16_t sdo_uploaded(const SdoTransfer* t)
{
    return (int16_t)t->count;
}

/* ---- On the bus ----------------------------------------------------- */

/* Runs a begun transfer on objects 0 and 1 with a time-out per answer. */
static int32_t run(SdoTransfer* t, SdoStep step, uint8_t node, uint16_t timeoutMs, uint32_t* abortCode)
{
    int32_t r = sm_begin(SDO_REQUEST_BASE + node, SDO_ANSWER_BASE + node);
    while (r == 0 && step != SDO_STEP_END) {
        memcpy(FrameBuffer, t->request, sizeof FrameBuffer);
        r = sm_send();
        if (step == SDO_STEP_FINISH) {
            r = 0; /* the abort's own fate does not change the result */
            break;
        }
        if (r)
            break; /* the request could not be sent: no abort either */
        int16_t length = 0;
        r = sm_await(timeoutMs, &length);
        if (r == COP_ERR_TIMEOUT)
            step = sdo_on_timeout(t);
        else if (r)
            step = sdo_on_error(t, r);
        else
            step = sdo_on_answer(t, FrameBuffer, length);
        r = 0;
    }
    sm_end();
    if (r)
        return r;
    if (t->result == SM_ABORTED)
        *abortCode = t->abortCode;
    return t->result;
}

int32_t sdo_upload(uint8_t node, uint16_t index, uint8_t subIndex, int16_t* length, uint8_t* buffer,
                   int16_t size, uint16_t timeoutMs, uint32_t* abortCode)
{
    if (!length || !buffer || !abortCode)
        return COP_ERR_FATAL;
    *length = 0;
    SdoTransfer t;
    int32_t r = run(&t, sdo_begin_upload(&t, index, subIndex, buffer, size), node, timeoutMs, abortCode);
    *length = r == 0 ? sdo_uploaded(&t) : 0;
    return r;
}

int32_t sdo_download_expedited(uint8_t node, uint16_t index, uint8_t subIndex, int16_t length,
                               const uint8_t* data, uint16_t timeoutMs, uint32_t* abortCode)
{
    if (!data || !abortCode)
        return COP_ERR_FATAL;
    if (length < 1 || length > 4)
        return COP_ERR_ILLEGAL_PARAM;
    SdoTransfer t;
    return run(&t, sdo_begin_download_expedited(&t, index, subIndex, data, length), node, timeoutMs, abortCode);
}

int32_t sdo_download_segmented(uint8_t node, uint16_t index, uint8_t subIndex, int16_t length,
                               const uint8_t* data, uint16_t timeoutMs, uint32_t* abortCode)
{
    if (!data || !abortCode)
        return COP_ERR_FATAL;
    if (length < 5)
        return COP_ERR_ILLEGAL_PARAM;
    SdoTransfer t;
    return run(&t, sdo_begin_download_segmented(&t, index, subIndex, data, length), node, timeoutMs, abortCode);
}
